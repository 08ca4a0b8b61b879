#include "platform/codecs/PcmConversion.h"

#include "common/WaveUtil.h"
#include "platform/base/Log.h"

namespace platform::codecs {

namespace {

int acmCodeOfSourceCheck(int messageId)
{
    switch (messageId) {
    case 103: return AcmCode::CannotOpenSource;
    case 108: return AcmCode::NotWave;
    case 161: return AcmCode::NoFormatChunk;
    case 111:
    case 164: return AcmCode::NoDataChunk;
    default: return AcmCode::CannotReadFormat;
    }
}

int acmCode(DecodeStatus status)
{
    switch (status) {
    case DecodeStatus::Ok: return AcmCode::Ok;
    case DecodeStatus::CannotOpen: return AcmCode::CannotOpenSource;
    case DecodeStatus::NotAudio:
    case DecodeStatus::NoDecoder:
    case DecodeStatus::DecoderFailed:
    case DecodeStatus::UnsupportedTarget: return AcmCode::FormatNotSupported;
    case DecodeStatus::Corrupt: return AcmCode::CannotReadData;
    case DecodeStatus::OutOfMemory: return AcmCode::NoMemory;
    case DecodeStatus::SameFile:
    case DecodeStatus::CannotCreate:
    case DecodeStatus::HeaderFailed:
    case DecodeStatus::WriteFailed:
    case DecodeStatus::CommitFailed:
    case DecodeStatus::NoSpace: return AcmCode::CannotCreateDestination;
    case DecodeStatus::TooLarge:
    case DecodeStatus::Cancelled: return AcmCode::CouldNotComplete;
    }
    return AcmCode::CouldNotComplete;
}

} // namespace

bool isSupportedPcmTarget(const WaveFormatEx& format)
{
    if (format.formatTag != WAVE_FORMAT_PCM || (format.bitsPerSample != 8 && format.bitsPerSample != 16)
        || (format.channels != 1 && format.channels != 2) || format.samplesPerSec < kMinTargetRate
        || format.samplesPerSec > kMaxTargetRate)
        return false;
    const WaveFormatEx derived = makePcmFormat(format.samplesPerSec, format.bitsPerSample, format.channels);
    return format.blockAlign == derived.blockAlign && format.avgBytesPerSec == derived.avgBytesPerSec;
}

PcmTarget pcmTargetOf(const WaveFormatEx& format)
{
    return PcmTarget{format.samplesPerSec, format.bitsPerSample, format.channels};
}

int checkWaveSource(const QString& source)
{
    uint32_t frames = 0;
    return ReadWaveFormat(source, &frames, nullptr);
}

int ACMAudioConvertFormatPCM(const QString& source, const QString& target, const WaveFormatEx& format,
                             const DecodeEnvironment& environment)
{
    const int sourceCheck = checkWaveSource(source);
    if (sourceCheck != 0) {
        qCWarning(lcPlatform) << "cannot convert" << source << "- not a readable WAV file (message" << sourceCheck << ")";
        return acmCodeOfSourceCheck(sourceCheck);
    }
    if (!isSupportedPcmTarget(format)) {
        qCWarning(lcPlatform) << "cannot convert" << source << "into the format" << format.formatTag
                              << format.samplesPerSec << format.bitsPerSample << format.channels;
        return AcmCode::FormatNotSupported;
    }
    DecodeRequest request;
    request.target = pcmTargetOf(format);
    return acmCode(decodeToWave(source, target, request, environment).status);
}

} // namespace platform::codecs
