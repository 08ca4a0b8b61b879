#include "platform/codecs/VXMP3WAV.h"

#include "platform/base/Log.h"
#include "platform/base/Rounding.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace platform::codecs {

namespace {

// MPEG audio of every layer: what the library calls an MP3 file.
const QStringList kMpegAudio{QStringLiteral("mp3"), QStringLiteral("mp2"), QStringLiteral("mp1")};

// Opens an MPEG audio file for its header values; false when it is none.
bool openMpegAudio(const QString& fileName, AudioDecoder& decoder)
{
    return decoder.open(fileName) == DecodeStatus::Ok && kMpegAudio.contains(decoder.info().codec);
}

} // namespace

int mp3ToWavCode(DecodeStatus status)
{
    switch (status) {
    case DecodeStatus::Ok: return Mp3ToWavCode::Ok;
    case DecodeStatus::OutOfMemory: return Mp3ToWavCode::OutOfMemory;
    case DecodeStatus::NoDecoder: return Mp3ToWavCode::NoCodec;
    case DecodeStatus::DecoderFailed: return Mp3ToWavCode::CodecFailed;
    case DecodeStatus::CannotOpen: return Mp3ToWavCode::CannotOpenInput;
    case DecodeStatus::SameFile:
    case DecodeStatus::CannotCreate: return Mp3ToWavCode::CannotCreateOutput;
    case DecodeStatus::CommitFailed: return Mp3ToWavCode::CannotCloseOutput;
    case DecodeStatus::HeaderFailed: return Mp3ToWavCode::CannotCreateRiff;
    case DecodeStatus::WriteFailed: return Mp3ToWavCode::WriteFailed;
    case DecodeStatus::NotAudio:
    case DecodeStatus::Corrupt: return Mp3ToWavCode::CorruptInput;
    case DecodeStatus::Cancelled: return Mp3ToWavCode::Aborted;
    case DecodeStatus::NoSpace: return Mp3ToWavCode::NotEnoughTempSpace;
    case DecodeStatus::TooLarge:
    case DecodeStatus::UnsupportedTarget: return Mp3ToWavCode::CouldNotComplete;
    }
    return Mp3ToWavCode::CouldNotComplete;
}

VXMP3WAV::VXMP3WAV(DecodeEnvironment environment)
    : m_environment(std::move(environment))
{
}

int VXMP3WAV::ConvertMP3FileIntoWave(const QString& source, const QString& target)
{
    return ConvertMP3FileIntoWave(source, target, PcmTarget{});
}

int VXMP3WAV::ConvertMP3FileIntoWave(const QString& source, const QString& target, const PcmTarget& format)
{
    bool idle = false;
    if (!m_running.compare_exchange_strong(idle, true)) {
        qCWarning(lcPlatform) << "an MP3 conversion already runs; converting" << source << "is refused";
        return Mp3ToWavCode::CouldNotComplete;
    }
    m_stop.store(false);
    m_percent.store(0);

    DecodeRequest request;
    request.target = format;
    request.codecs = kMpegAudio;
    request.cancelled = [this] { return m_stop.load(std::memory_order_relaxed); };
    request.progress = [this](int percent) { m_percent.store(percent, std::memory_order_relaxed); };
    const DecodeOutcome outcome = decodeToWave(source, target, request, m_environment);

    m_running.store(false);
    m_stop.store(false);
    return mp3ToWavCode(outcome.status);
}

int VXMP3WAV::ConvertMP3FileIntoWaveUsingWMA(const QString&, const QString&)
{
    return Mp3ToWavCode::UseOtherDecoder;
}

void VXMP3WAV::StopConversion()
{
    if (m_running.load())
        m_stop.store(true);
}

int VXMP3WAV::GetBitRateOfMp3File(const QString& fileName)
{
    AudioDecoder decoder;
    if (!openMpegAudio(fileName, decoder))
        return 0;
    return int(divRoundHalfEven(decoder.info().bitRate, 1000));
}

uint32_t VXMP3WAV::GetLengthOfMp3File(const QString& fileName)
{
    AudioDecoder decoder;
    if (!openMpegAudio(fileName, decoder) || decoder.info().durationUs < 0)
        return 0;
    return uint32_t(std::min<int64_t>(divRoundHalfEven(decoder.info().durationUs, 1000), UINT32_MAX));
}

bool VXMP3WAV::IsConversionPossible(const QString& fileName)
{
    AudioDecoder decoder;
    if (!openMpegAudio(fileName, decoder))
        return false;
    std::vector<uint8_t> block;
    return decoder.read(block) == DecodeStatus::Ok && !block.empty();
}

bool VXMP3WAV::IsMP3CodecFound()
{
    return avcodec_find_decoder(AV_CODEC_ID_MP3) != nullptr;
}

} // namespace platform::codecs
