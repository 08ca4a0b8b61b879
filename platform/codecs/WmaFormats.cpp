#include "platform/codecs/WmaFormats.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>

namespace platform::codecs {

namespace {

constexpr uint32_t kMinRate = 8000;
constexpr uint32_t kMaxRate = 48000;
constexpr int kBitRates[] = {24, 32, 40, 48, 64, 80, 96, 128, 160, 192, 256, 320};

bool isReadablePcm(const WaveFormatEx& f)
{
    const bool bitsOk = f.bitsPerSample == 8 || f.bitsPerSample == 16 || f.bitsPerSample == 24 || f.bitsPerSample == 32;
    return f.formatTag == WAVE_FORMAT_PCM && (f.channels == 1 || f.channels == 2) && bitsOk
        && f.blockAlign == f.channels * f.bitsPerSample / 8 && f.samplesPerSec >= kMinRate && f.samplesPerSec <= kMaxRate;
}

bool tryEncoder(const AVCodec* codec, const WmaFormat& format)
{
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (!context)
        return false;
    context->sample_rate = int(format.sampleRate);
    context->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    av_channel_layout_default(&context->ch_layout, format.channels);
    context->bit_rate = int64_t(format.bitRate) * 1000;
    const bool opened = avcodec_open2(context, codec, nullptr) >= 0;
    avcodec_free_context(&context);
    return opened;
}

// Whether the encoder starts with the format; the answers are kept, since the windows ask again on
// every change of the encoder.
bool encoderOpens(const AVCodec* codec, const WmaFormat& format)
{
    static std::mutex mutex;
    static std::map<std::tuple<const AVCodec*, uint32_t, int, int>, bool> answers;
    const auto key = std::tuple(codec, format.sampleRate, format.channels, format.bitRate);
    {
        std::lock_guard lock(mutex);
        if (const auto it = answers.find(key); it != answers.end())
            return it->second;
    }
    const bool opens = tryEncoder(codec, format);
    std::lock_guard lock(mutex);
    answers.emplace(key, opens);
    return opens;
}

} // namespace

QString WmaFormat::text() const
{
    return QStringLiteral("%1 kbit/s, %2 Hz, %3")
        .arg(bitRate)
        .arg(sampleRate)
        .arg(channels == 1 ? QStringLiteral("mono") : QStringLiteral("stereo"));
}

std::vector<WmaEncoderInfo> availableWmaEncoders()
{
    std::vector<WmaEncoderInfo> encoders;
    for (const auto& [name, id] : {std::pair{"WMA Version 1", "wmav1"}, std::pair{"WMA Version 2", "wmav2"}})
        if (const AVCodec* codec = avcodec_find_encoder_by_name(id))
            encoders.push_back({QString::fromLatin1(name), codec});
    return encoders;
}

std::vector<WmaFormat> wmaFormatsFor(const AVCodec* codec, const WaveFormatEx& source)
{
    std::vector<WmaFormat> formats;
    if (!codec || !isReadablePcm(source))
        return formats;
    for (int channels = 1; channels <= source.channels; ++channels) {
        // Below 4:1 against 16-bit PCM a lossy format only costs space.
        const int64_t limit = int64_t(source.samplesPerSec) * channels * 16 / 4;
        for (int kbps : kBitRates) {
            const WmaFormat format{kbps, source.samplesPerSec, channels};
            if (int64_t(kbps) * 1000 <= limit && encoderOpens(codec, format))
                formats.push_back(format);
        }
    }
    std::stable_sort(formats.begin(), formats.end(), [](const WmaFormat& a, const WmaFormat& b) {
        return a.bitRate != b.bitRate ? a.bitRate < b.bitRate : a.channels < b.channels;
    });
    return formats;
}

} // namespace platform::codecs
