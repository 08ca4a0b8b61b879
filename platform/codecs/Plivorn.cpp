#include "platform/codecs/Plivorn.h"

#include "platform/base/Rounding.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace platform::codecs {

namespace {

// The name the WMA export lists give the encoder of the same codec, so a file's own encoder can be
// picked there by name; other codecs go by FFmpeg's name for them.
QString codecName(const AudioFileInfo& file)
{
    if (file.codec == QLatin1String("wmav1"))
        return QStringLiteral("WMA Version 1");
    if (file.codec == QLatin1String("wmav2"))
        return QStringLiteral("WMA Version 2");
    return file.codecLongName.isEmpty() ? file.codec : file.codecLongName;
}

QString channelText(int channels)
{
    if (channels == 1)
        return QStringLiteral("mono");
    if (channels == 2)
        return QStringLiteral("stereo");
    return QStringLiteral("%1 channels").arg(channels);
}

} // namespace

int plivornCode(DecodeStatus status)
{
    switch (status) {
    case DecodeStatus::Ok: return PlivornCode::Ok;
    case DecodeStatus::CannotOpen: return PlivornCode::CannotOpenInput;
    case DecodeStatus::NotAudio:
    case DecodeStatus::Corrupt: return PlivornCode::NotAudio;
    case DecodeStatus::NoDecoder:
    case DecodeStatus::DecoderFailed:
    case DecodeStatus::UnsupportedTarget: return PlivornCode::NoDecoder;
    case DecodeStatus::SameFile:
    case DecodeStatus::CannotCreate:
    case DecodeStatus::HeaderFailed: return PlivornCode::CannotCreateOutput;
    case DecodeStatus::WriteFailed:
    case DecodeStatus::CommitFailed: return PlivornCode::WriteFailed;
    case DecodeStatus::NoSpace: return PlivornCode::NoSpace;
    case DecodeStatus::TooLarge: return PlivornCode::TooLarge;
    case DecodeStatus::OutOfMemory: return PlivornCode::OutOfMemory;
    case DecodeStatus::Cancelled: return PlivornCode::Cancelled;
    }
    return PlivornCode::NotAudio;
}

void copyTextField(const QString& text, char* field, std::size_t size)
{
    if (size == 0)
        return;
    const QByteArray bytes = text.toUtf8();
    std::size_t length = std::min<std::size_t>(std::size_t(bytes.size()), size - 1);
    // Never end inside a character: step back over continuation bytes to the start of the cut one.
    if (length < std::size_t(bytes.size()))
        while (length > 0 && (uint8_t(bytes[qsizetype(length)]) & 0xC0) == 0x80)
            --length;
    std::memcpy(field, bytes.constData(), length);
    std::memset(field + length, 0, size - length);
}

int Plivorn::ConvertWmaFileIntoWave(const QString& source, const QString& target, const std::atomic<int32_t>* cancel,
                                    std::atomic<int32_t>* progress, std::atomic<int32_t>* state,
                                    const DecodeEnvironment& environment)
{
    if (!cancel || !progress || !state)
        return PlivornCode::MissingWord;
    DecodeRequest request;
    request.cancelled = [cancel] { return cancel->load(std::memory_order_relaxed) != 0; };
    request.progress = [progress](int percent) { progress->store(percent, std::memory_order_relaxed); };
    const DecodeOutcome outcome = decodeToWave(source, target, request, environment);
    const int code = plivornCode(outcome.status);
    state->store(code == PlivornCode::Ok ? PlivornState::Finished
                 : code == PlivornCode::Cancelled ? PlivornState::Cancelled
                                             : PlivornState::Failed,
                 std::memory_order_release);
    return code;
}

int Plivorn::GetFileInfo(const QString& fileName, WmaFileInfo* info)
{
    if (!info)
        return PlivornCode::MissingWord;
    *info = {};
    copyTextField(fileName, info->fileName, sizeof info->fileName);
    AudioDecoder decoder;
    const DecodeStatus status = decoder.open(fileName);
    if (status != DecodeStatus::Ok)
        return plivornCode(status);
    const AudioFileInfo& file = decoder.info();
    info->bitRate = uint32_t(std::min<int64_t>(file.bitRate, UINT32_MAX));
    info->channels = file.channels;
    info->bitsPerSample = 16;
    info->durationMs = file.durationUs < 0 ? 0 : uint64_t(divRoundHalfEven(file.durationUs, 1000));
    info->samplesPerSec = file.samplesPerSec;
    copyTextField(codecName(file), info->codecName, sizeof info->codecName);
    copyTextField(QStringLiteral("%1 kbit/s, %2 Hz, %3")
                      .arg(divRoundHalfEven(file.bitRate, 1000))
                      .arg(file.samplesPerSec)
                      .arg(channelText(file.channels)),
                  info->formatName, sizeof info->formatName);
    return PlivornCode::Ok;
}

uint32_t Plivorn::GetMP3FileDuration(const QString& fileName)
{
    AudioDecoder decoder;
    if (decoder.open(fileName) != DecodeStatus::Ok)
        return 0;
    const QString codec = decoder.info().codec;
    if (codec != QLatin1String("mp3") && codec != QLatin1String("mp2") && codec != QLatin1String("mp1"))
        return 0;
    int64_t frames = 0;
    if (decoder.countFrames(frames) != DecodeStatus::Ok)
        return 0;
    return uint32_t(std::min<int64_t>(divRoundHalfEven(frames * 1000, decoder.info().samplesPerSec), UINT32_MAX));
}

bool Plivorn::IsWmaDecoderFound()
{
    return avcodec_find_decoder(AV_CODEC_ID_WMAV1) != nullptr && avcodec_find_decoder(AV_CODEC_ID_WMAV2) != nullptr;
}

} // namespace platform::codecs
