#include "platform/codecs/VXFmtHlp.h"

#include "platform/base/Log.h"
#include "platform/codecs/PcmConversion.h"

#include <new>

namespace platform::codecs {

namespace {

int fmtCodeOfSourceCheck(int messageId)
{
    switch (messageId) {
    case 103: return FmtCode::CannotOpenSource;
    case 111:
    case 164: return FmtCode::NoData;
    default: return FmtCode::NotWave;
    }
}

} // namespace

int fmtCode(DecodeStatus status)
{
    switch (status) {
    case DecodeStatus::Ok: return FmtCode::Ok;
    case DecodeStatus::CannotOpen: return FmtCode::CannotOpenSource;
    case DecodeStatus::NotAudio:
    case DecodeStatus::NoDecoder:
    case DecodeStatus::DecoderFailed: return FmtCode::NoDecoder;
    case DecodeStatus::Corrupt: return FmtCode::CorruptSource;
    case DecodeStatus::OutOfMemory: return FmtCode::OutOfMemory;
    case DecodeStatus::UnsupportedTarget: return FmtCode::FormatNotSupported;
    case DecodeStatus::SameFile:
    case DecodeStatus::CannotCreate: return FmtCode::CannotCreateTarget;
    case DecodeStatus::HeaderFailed: return FmtCode::HeaderFailed;
    case DecodeStatus::WriteFailed: return FmtCode::WriteFailed;
    case DecodeStatus::TooLarge: return FmtCode::TooLarge;
    case DecodeStatus::NoSpace: return FmtCode::NoSpace;
    case DecodeStatus::CommitFailed: return FmtCode::CommitFailed;
    case DecodeStatus::Cancelled: return FmtCode::Cancelled;
    }
    return FmtCode::InvalidHandle;
}

VXFmtHlp::VXFmtHlp(DecodeEnvironment environment)
    : m_environment(std::move(environment))
{
}

VXFmtHlp::~VXFmtHlp() = default;

int VXFmtHlp::AudioConvert(const QString& source, const QString& target, const WaveFormatEx* format, uint32_t* cell,
                           uint32_t)
{
    if (!cell || !format)
        return FmtCode::InvalidHandle;
    *cell = 0;
    const int sourceCheck = checkWaveSource(source);
    if (sourceCheck != 0) {
        qCWarning(lcPlatform) << "cannot convert" << source << "- not a readable WAV file (message" << sourceCheck << ")";
        return fmtCodeOfSourceCheck(sourceCheck);
    }
    if (!isSupportedPcmTarget(*format)) {
        qCWarning(lcPlatform) << "cannot convert" << source << "into the format" << format->formatTag
                              << format->samplesPerSec << format->bitsPerSample << format->channels;
        return FmtCode::FormatNotSupported;
    }
    if (target.isEmpty() || sameFile(source, target))
        return FmtCode::CannotCreateTarget;

    const PcmTarget pcm = pcmTargetOf(*format);
    const DecodeEnvironment environment = m_environment;
    try {
        auto process = std::make_unique<PolledProcess>([source, target, pcm, environment](PolledProcess::Control& control) {
            DecodeRequest request;
            request.target = pcm;
            request.cancelled = [&control] { return control.cancelRequested(); };
            request.progress = [&control](int percent) { control.setProgress(percent); };
            return fmtCode(decodeToWave(source, target, request, environment).status);
        });
        *cell = m_processes.add(std::move(process));
    } catch (const std::bad_alloc&) {
        return FmtCode::OutOfMemory;
    }
    return FmtCode::Ok;
}

int VXFmtHlp::AudioConvertProcessIsOver(uint32_t handle) const
{
    const PolledProcess* process = m_processes.find(handle);
    return !process || process->isOver() ? 1 : 0;
}

int VXFmtHlp::AudioConvertGetProcessProgress(uint32_t handle) const
{
    const PolledProcess* process = m_processes.find(handle);
    return process ? process->progress() : 0;
}

int VXFmtHlp::AudioConvertGetReasonForProcessExit(uint32_t handle) const
{
    const PolledProcess* process = m_processes.find(handle);
    return process ? process->exitReason() : FmtCode::InvalidHandle;
}

int VXFmtHlp::AudioConvertCancelPressed(uint32_t handle)
{
    PolledProcess* process = m_processes.find(handle);
    if (!process)
        return FmtCode::InvalidHandle;
    process->cancel();
    return FmtCode::Ok;
}

int VXFmtHlp::AudioConvertCloseHandle(uint32_t* cell)
{
    if (!cell)
        return FmtCode::InvalidHandle;
    const uint32_t handle = *cell;
    *cell = 0;
    if (handle == 0)
        return FmtCode::Ok;
    return m_processes.remove(handle) ? FmtCode::Ok : FmtCode::InvalidHandle;
}

} // namespace platform::codecs
