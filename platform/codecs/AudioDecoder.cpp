#include "platform/codecs/AudioDecoder.h"

#include "platform/base/Log.h"
#include "platform/codecs/FfmpegLog.h"

#include <QFile>
#include <QFileInfo>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/intreadwrite.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>

namespace platform::codecs {

namespace {

// Containers of the files the programs open; FFmpeg may not guess any other for a hostile file.
constexpr char kContainers[] = "mp3,asf,ogg,wav";

// read() returns a block once it holds this much output, or this many source frames went into
// it, so that progress and cancel come in steps of a few seconds of audio at most.
constexpr std::size_t kBlockBytes = 1 << 20;
constexpr int64_t kBlockSourceFrames = 1 << 18;

// The largest Ogg page: header, 255 lacing values, 255 segments of 255 bytes.
constexpr int64_t kMaxOggPage = 27 + 255 + 255 * 255;

// A seek lands this long before its target (in source seconds, as a divisor of the rate) and
// decodes up to it, so that the decoder's state there (an MP3's bit reservoir, the overlap of the
// previous block) is what a decode from the start would have: the samples from the target on are
// the same either way.
constexpr int64_t kSeekPrerollDivisor = 2;

struct FormatCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct ResamplerFreer {
    void operator()(SwrContext* context) const { swr_free(&context); }
};

DecodeStatus statusOfOpenError(int error)
{
    if (error == AVERROR(ENOMEM))
        return DecodeStatus::OutOfMemory;
    if (error == AVERROR(ENOENT) || error == AVERROR(EACCES) || error == AVERROR(EISDIR) || error == AVERROR(EPERM))
        return DecodeStatus::CannotOpen;
    return DecodeStatus::NotAudio;
}

DecodeStatus statusOfDecodeError(int error)
{
    return error == AVERROR(ENOMEM) ? DecodeStatus::OutOfMemory : DecodeStatus::Corrupt;
}

// Whether the last Ogg page in the file is complete and ends its stream. A file cut short ends in
// a partial page, or in a page that is not the last of its stream; FFmpeg drops such an end
// without a word, so the cut would go unnoticed.
bool oggStreamEnded(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const int64_t size = file.size();
    const int64_t start = std::max<int64_t>(0, size - kMaxOggPage);
    if (!file.seek(start))
        return false;
    const QByteArray tail = file.read(size - start);
    const auto* bytes = reinterpret_cast<const uint8_t*>(tail.constData());
    for (qsizetype at = tail.lastIndexOf("OggS"); at >= 0; at = at > 0 ? tail.lastIndexOf("OggS", at - 1) : -1) {
        if (tail.size() - at < 27 || bytes[at + 4] != 0)
            continue;
        const int segments = bytes[at + 26];
        if (tail.size() - at < 27 + segments)
            return false; // the last page header itself is cut
        int64_t body = 0;
        for (int i = 0; i < segments; ++i)
            body += bytes[at + 27 + i];
        const int64_t end = at + 27 + segments + body;
        if (end > tail.size())
            return false;
        return (bytes[at + 5] & 0x04) != 0;
    }
    return false;
}

} // namespace

const char* describe(DecodeStatus status)
{
    switch (status) {
    case DecodeStatus::Ok: return "success";
    case DecodeStatus::CannotOpen: return "the file cannot be opened";
    case DecodeStatus::NotAudio: return "the file is not audio in a format we read";
    case DecodeStatus::NoDecoder: return "no decoder for the audio of the file";
    case DecodeStatus::DecoderFailed: return "the decoder could not be started";
    case DecodeStatus::Corrupt: return "the file is damaged or cut short";
    case DecodeStatus::OutOfMemory: return "out of memory";
    case DecodeStatus::UnsupportedTarget: return "the target format is not supported";
    case DecodeStatus::SameFile: return "the target is the source file";
    case DecodeStatus::CannotCreate: return "the output file cannot be created";
    case DecodeStatus::HeaderFailed: return "the header of the output file cannot be written";
    case DecodeStatus::WriteFailed: return "the output file cannot be written";
    case DecodeStatus::TooLarge: return "the output would pass 4 GiB";
    case DecodeStatus::NoSpace: return "not enough free space for the output";
    case DecodeStatus::CommitFailed: return "the output could not be put in place";
    case DecodeStatus::Cancelled: return "cancelled";
    }
    return "unknown";
}

WaveFormatEx resolveTarget(const PcmTarget& target, uint32_t samplesPerSec, uint16_t channels)
{
    const uint32_t rate = target.samplesPerSec ? target.samplesPerSec : samplesPerSec;
    const uint16_t outChannels = target.channels ? target.channels : std::min<uint16_t>(channels, 2);
    if (rate < kMinTargetRate || rate > kMaxTargetRate || (outChannels != 1 && outChannels != 2)
        || (target.bitsPerSample != 8 && target.bitsPerSample != 16))
        return {};
    return makePcmFormat(rate, target.bitsPerSample, outChannels);
}

struct AudioDecoder::State {
    std::unique_ptr<AVFormatContext, FormatCloser> format;
    std::unique_ptr<AVCodecContext, CodecFreer> codec;
    std::unique_ptr<AVPacket, PacketFreer> packet;
    std::unique_ptr<AVFrame, FrameFreer> frame;
    std::unique_ptr<SwrContext, ResamplerFreer> resampler;
    int streamIndex = -1;
    // The frame (block) size of a WAV's samples, and the samples in one block; 0 for other
    // containers.
    int wholeBlocks = 0;
    int blockSamples = 0;
    int64_t fileSize = 0;
    bool inputEnded = false;
    bool finished = false;
    // The input side the resampler was made for; a stream may change it part-way.
    int inFormat = -1;
    int inRate = 0;
    AVChannelLayout inLayout{};
    // After a seek: the source frame (counted from the first decoded sample of the stream) that
    // output starts at; decoded samples before it are dropped. -1 when not seeking.
    int64_t skipTo = -1;
    // The time of the first sample a decode from the start gives, once a frame was decoded.
    bool originKnown = false;
    int64_t origin = 0;
    // While seeking: the source frame after the last decoded frame, when known.
    int64_t nextSource = AV_NOPTS_VALUE;
    // The input planes of the frame being converted, moved past dropped samples.
    std::vector<const uint8_t*> planes;

    ~State() { av_channel_layout_uninit(&inLayout); }
};

AudioDecoder::AudioDecoder() = default;
AudioDecoder::~AudioDecoder() = default;

DecodeStatus AudioDecoder::open(const QString& path)
{
    routeFfmpegLog();
    m_state = std::make_unique<State>();
    m_info = {};
    m_output = {};
    m_decodedSourceFrames = 0;

    const QFileInfo file(path);
    if (path.isEmpty() || !file.exists() || file.isDir() || !file.isReadable())
        return DecodeStatus::CannotOpen;
    if (file.size() == 0)
        return DecodeStatus::NotAudio;
    m_state->fileSize = file.size();

    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", kContainers, 0);
    AVFormatContext* context = nullptr;
    // "file:" keeps a name with a colon from being taken for another protocol.
    const QByteArray url = "file:" + QFile::encodeName(file.absoluteFilePath());
    int error = avformat_open_input(&context, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (error < 0) {
        qCDebug(lcPlatform) << "FFmpeg cannot open" << path << ffmpegErrorText(error);
        return statusOfOpenError(error);
    }
    m_state->format.reset(context);
    error = avformat_find_stream_info(context, nullptr);
    if (error < 0) {
        qCDebug(lcPlatform) << "FFmpeg finds no streams in" << path << ffmpegErrorText(error);
        return statusOfOpenError(error);
    }

    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (index == AVERROR_DECODER_NOT_FOUND)
        return DecodeStatus::NoDecoder;
    if (index < 0)
        return DecodeStatus::NotAudio;
    AVStream* stream = context->streams[index];
    const AVCodecParameters* parameters = stream->codecpar;
    if (parameters->sample_rate <= 0 || parameters->ch_layout.nb_channels <= 0)
        return DecodeStatus::NotAudio;
    for (unsigned i = 0; i < context->nb_streams; ++i)
        context->streams[i]->discard = int(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    m_state->streamIndex = index;

    m_info.container = QString::fromLatin1(context->iformat->name);
    m_info.codec = QString::fromLatin1(avcodec_get_name(parameters->codec_id));
    if (const AVCodecDescriptor* descriptor = avcodec_descriptor_get(parameters->codec_id))
        m_info.codecLongName = QString::fromUtf8(descriptor->long_name);
    m_info.samplesPerSec = uint32_t(parameters->sample_rate);
    m_info.channels = uint16_t(std::min(parameters->ch_layout.nb_channels, 0xFFFF));
    m_info.bitRate = parameters->bit_rate > 0 ? parameters->bit_rate : std::max<int64_t>(context->bit_rate, 0);
    m_info.durationUs = context->duration == AV_NOPTS_VALUE ? -1 : context->duration;
    // A WAV that was cut short is a recording that ended early and is read as far as it goes.
    if (context->duration_estimation_method == AVFMT_DURATION_FROM_STREAM && stream->duration != AV_NOPTS_VALUE
        && stream->duration > 0 && m_info.container != QLatin1String("wav"))
        m_info.declaredFrames = av_rescale_q(stream->duration, stream->time_base, AVRational{1, parameters->sample_rate});
    if (m_info.container == QLatin1String("wav")) {
        m_state->wholeBlocks = std::max(parameters->block_align, 0);
        if (m_state->wholeBlocks > 0)
            m_state->blockSamples = std::max(av_get_audio_frame_duration2(stream->codecpar, parameters->block_align), 0);
    }
    if (m_info.container == QLatin1String("ogg"))
        m_info.cutShort = !oggStreamEnded(file.absoluteFilePath());

    m_state->codec.reset(avcodec_alloc_context3(decoder));
    m_state->packet.reset(av_packet_alloc());
    m_state->frame.reset(av_frame_alloc());
    if (!m_state->codec || !m_state->packet || !m_state->frame)
        return DecodeStatus::OutOfMemory;
    AVCodecContext* codec = m_state->codec.get();
    error = avcodec_parameters_to_context(codec, parameters);
    if (error < 0)
        return statusOfDecodeError(error);
    codec->pkt_timebase = stream->time_base;
    error = avcodec_open2(codec, decoder, nullptr);
    if (error < 0) {
        qCDebug(lcPlatform) << "FFmpeg cannot start the decoder of" << path << ffmpegErrorText(error);
        return error == AVERROR(ENOMEM) ? DecodeStatus::OutOfMemory : DecodeStatus::DecoderFailed;
    }
    return setTarget({});
}

DecodeStatus AudioDecoder::setTarget(const PcmTarget& target)
{
    if (!m_state || !m_state->codec || m_state->resampler || m_decodedSourceFrames > 0)
        return DecodeStatus::DecoderFailed;
    const WaveFormatEx output = resolveTarget(target, m_info.samplesPerSec, m_info.channels);
    if (output.formatTag != WAVE_FORMAT_PCM)
        return DecodeStatus::UnsupportedTarget;
    m_output = output;
    return DecodeStatus::Ok;
}

int AudioDecoder::inputPercent() const
{
    if (!m_state || !m_state->format || !m_state->format->pb || m_state->fileSize <= 0)
        return 0;
    if (m_state->finished)
        return 100;
    const int64_t position = std::clamp<int64_t>(avio_tell(m_state->format->pb), 0, m_state->fileSize);
    return int(position * 100 / m_state->fileSize);
}

// Runs the decoded frame from its sample `skip` on (or, with flush, what the resampler still holds)
// through the resampler and appends the output to block.
DecodeStatus AudioDecoder::convert(std::vector<uint8_t>& block, bool flush, int skip)
{
    State& state = *m_state;
    AVFrame* frame = state.frame.get();
    if (!flush) {
        AVChannelLayout layout{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_check(&frame->ch_layout) == 0)
            av_channel_layout_default(&layout, frame->ch_layout.nb_channels);
        else if (av_channel_layout_copy(&layout, &frame->ch_layout) < 0)
            return DecodeStatus::OutOfMemory;
        const bool changed = !state.resampler || frame->format != state.inFormat || frame->sample_rate != state.inRate
                          || av_channel_layout_compare(&layout, &state.inLayout) != 0;
        if (changed && state.resampler) {
            // The stream changed its format: what the old resampler holds comes first.
            const DecodeStatus drained = convert(block, true, 0);
            if (drained != DecodeStatus::Ok) {
                av_channel_layout_uninit(&layout);
                return drained;
            }
        }
        if (changed) {
            AVChannelLayout outLayout{};
            av_channel_layout_default(&outLayout, m_output.channels);
            SwrContext* resampler = nullptr;
            const AVSampleFormat outFormat = m_output.bitsPerSample == 8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
            int error = swr_alloc_set_opts2(&resampler, &outLayout, outFormat, int(m_output.samplesPerSec), &layout,
                                            AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
            av_channel_layout_uninit(&outLayout);
            state.resampler.reset(resampler);
            if (error >= 0)
                error = swr_init(resampler);
            if (error < 0) {
                av_channel_layout_uninit(&layout);
                qCWarning(lcPlatform) << "the resampler cannot be started:" << ffmpegErrorText(error);
                return error == AVERROR(ENOMEM) ? DecodeStatus::OutOfMemory : DecodeStatus::DecoderFailed;
            }
            state.inFormat = frame->format;
            state.inRate = frame->sample_rate;
            av_channel_layout_uninit(&state.inLayout);
            state.inLayout = layout;
        } else {
            av_channel_layout_uninit(&layout);
        }
        m_decodedSourceFrames += frame->nb_samples - skip;
    }
    if (!state.resampler)
        return DecodeStatus::Ok;

    const int inFrames = flush ? 0 : frame->nb_samples - skip;
    const uint8_t** in = nullptr;
    if (!flush) {
        const AVSampleFormat format = AVSampleFormat(frame->format);
        const int channels = frame->ch_layout.nb_channels;
        const bool planar = av_sample_fmt_is_planar(format) != 0;
        const std::size_t step = std::size_t(av_get_bytes_per_sample(format)) * (planar ? 1 : channels);
        state.planes.resize(std::size_t(planar ? channels : 1));
        for (std::size_t i = 0; i < state.planes.size(); ++i)
            state.planes[i] = frame->extended_data[i] + std::size_t(skip) * step;
        in = state.planes.data();
    }
    const std::size_t frameBytes = m_output.blockAlign;
    for (;;) {
        const int room = swr_get_out_samples(state.resampler.get(), inFrames);
        if (room < 0)
            return DecodeStatus::DecoderFailed;
        if (room == 0 && flush)
            return DecodeStatus::Ok;
        const std::size_t used = block.size();
        block.resize(used + std::size_t(room) * frameBytes);
        uint8_t* out = block.data() + used;
        const int made = swr_convert(state.resampler.get(), &out, room, in, inFrames);
        if (made < 0) {
            block.resize(used);
            return made == AVERROR(ENOMEM) ? DecodeStatus::OutOfMemory : DecodeStatus::Corrupt;
        }
        block.resize(used + std::size_t(made) * frameBytes);
        if (!flush || made == 0)
            return DecodeStatus::Ok;
    }
}

int AudioDecoder::samplesToDrop()
{
    State& state = *m_state;
    if (state.skipTo < 0)
        return 0;
    const AVFrame* frame = state.frame.get();
    int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE)
        pts = frame->pts;
    int64_t first = state.nextSource;
    if (pts != AV_NOPTS_VALUE) {
        const AVStream* stream = state.format->streams[state.streamIndex];
        first = av_rescale_q(pts - state.origin, stream->time_base, AVRational{1, int(m_info.samplesPerSec)});
        // Frames start at whole frames from the first one. Where times are coarser than a sample
        // (an ASF stream's milliseconds), or come from a rounded byte rate (a WAV's blocks of
        // compressed samples), they may miss that, and are put back on it.
        const int step = state.blockSamples > 1 ? state.blockSamples : frame->nb_samples;
        const bool coarse = int64_t(stream->time_base.num) * m_info.samplesPerSec > stream->time_base.den;
        if ((coarse || state.blockSamples > 1) && step > 0 && first >= 0)
            first = (first + step / 2) / step * step;
    }
    if (first == AV_NOPTS_VALUE) {
        // Nowhere to place it: the output goes on from here.
        qCDebug(lcPlatform) << "a decoded frame without a time after a seek; playing on from it";
        state.skipTo = -1;
        return 0;
    }
    // A packet of several frames gives a time to its first frame only; the others follow it.
    state.nextSource = first + frame->nb_samples;
    if (state.nextSource <= state.skipTo)
        return -1;
    const int64_t drop = std::max<int64_t>(0, state.skipTo - first);
    state.skipTo = -1;
    return int(drop);
}

DecodeStatus AudioDecoder::seek(int64_t frame)
{
    if (!m_state || !m_state->codec || m_output.formatTag != WAVE_FORMAT_PCM || frame < 0)
        return DecodeStatus::DecoderFailed;
    State& state = *m_state;
    if (!state.originKnown) {
        // Positions count from the first sample a decode from the start gives, whose time the
        // container may not state (an ASF stream's first frame comes some milliseconds in).
        bool got = false;
        const DecodeStatus status = nextFrame(got);
        if (status != DecodeStatus::Ok)
            return status;
        av_frame_unref(state.frame.get());
        state.originKnown = true;
    }
    const AVStream* stream = state.format->streams[state.streamIndex];
    const int64_t rate = m_info.samplesPerSec;
    const int64_t target = av_rescale(frame, rate, m_output.samplesPerSec);
    const int64_t from = target - rate / kSeekPrerollDivisor;
    // Near the start the seek goes to the first packet: the stream's first decoded sample may lie
    // some packets in (an MP3 encoder's delay), and the decoder needs those packets before it.
    const int64_t timestamp = from <= 0 ? std::min<int64_t>(state.origin, 0)
                                        : state.origin + av_rescale_q(from, AVRational{1, int(rate)}, stream->time_base);
    const int error = avformat_seek_file(state.format.get(), state.streamIndex, INT64_MIN, timestamp, timestamp, 0);
    if (error < 0) {
        qCDebug(lcPlatform) << "FFmpeg cannot seek:" << ffmpegErrorText(error);
        return statusOfDecodeError(error);
    }
    avcodec_flush_buffers(state.codec.get());
    // The resampler's history belongs to the old place; a new one starts with the next frame.
    state.resampler.reset();
    state.inFormat = -1;
    state.inputEnded = false;
    state.finished = false;
    state.skipTo = target;
    state.nextSource = AV_NOPTS_VALUE;
    m_decodedSourceFrames = target;
    return DecodeStatus::Ok;
}

DecodeStatus AudioDecoder::nextFrame(bool& got)
{
    State& state = *m_state;
    got = false;
    for (;;) {
        int result = avcodec_receive_frame(state.codec.get(), state.frame.get());
        if (result == 0) {
            if (!state.originKnown) {
                const int64_t pts = state.frame->best_effort_timestamp;
                state.origin = pts == AV_NOPTS_VALUE ? 0 : pts;
                state.originKnown = true;
            }
            got = true;
            return DecodeStatus::Ok;
        }
        if (result == AVERROR_EOF)
            return DecodeStatus::Ok;
        if (result != AVERROR(EAGAIN)) {
            qCDebug(lcPlatform) << "FFmpeg cannot decode:" << ffmpegErrorText(result);
            return statusOfDecodeError(result);
        }
        if (state.inputEnded)
            return DecodeStatus::Corrupt; // a decoder that wants input after the end
        AVPacket* packet = state.packet.get();
        result = av_read_frame(state.format.get(), packet);
        if (result == AVERROR_EOF) {
            state.inputEnded = true;
            result = avcodec_send_packet(state.codec.get(), nullptr);
        } else if (result < 0) {
            qCDebug(lcPlatform) << "FFmpeg cannot read:" << ffmpegErrorText(result);
            return statusOfDecodeError(result);
        } else if (packet->stream_index != state.streamIndex) {
            av_packet_unref(packet);
            continue;
        } else if ((packet->flags & AV_PKT_FLAG_CORRUPT) && state.wholeBlocks > 0
                   && packet->size % state.wholeBlocks != 0) {
            // The short last read of a WAV cut short: its whole frames (blocks) are kept.
            packet->size -= packet->size % state.wholeBlocks;
            result = packet->size > 0 ? avcodec_send_packet(state.codec.get(), packet) : 0;
            av_packet_unref(packet);
        } else {
            result = avcodec_send_packet(state.codec.get(), packet);
            av_packet_unref(packet);
        }
        if (result < 0 && result != AVERROR_EOF) {
            qCDebug(lcPlatform) << "FFmpeg cannot decode a packet:" << ffmpegErrorText(result);
            return statusOfDecodeError(result);
        }
    }
}

DecodeStatus AudioDecoder::read(std::vector<uint8_t>& block)
{
    block.clear();
    if (!m_state || !m_state->codec || m_output.formatTag != WAVE_FORMAT_PCM)
        return DecodeStatus::DecoderFailed;
    State& state = *m_state;
    const int64_t firstFrame = m_decodedSourceFrames;
    while (!state.finished && block.size() < kBlockBytes && m_decodedSourceFrames - firstFrame < kBlockSourceFrames) {
        bool got = false;
        const DecodeStatus status = nextFrame(got);
        if (status != DecodeStatus::Ok)
            return status;
        if (!got) {
            state.finished = true;
            return convert(block, true, 0);
        }
        const int skip = samplesToDrop();
        const DecodeStatus converted = skip < 0 ? DecodeStatus::Ok : convert(block, false, skip);
        av_frame_unref(state.frame.get());
        if (converted != DecodeStatus::Ok)
            return converted;
    }
    return DecodeStatus::Ok;
}

DecodeStatus AudioDecoder::countFrames(int64_t& frames)
{
    frames = 0;
    if (!m_state || !m_state->codec || m_decodedSourceFrames > 0)
        return DecodeStatus::DecoderFailed;
    State& state = *m_state;
    const AVStream* stream = state.format->streams[state.streamIndex];
    AVPacket* packet = state.packet.get();
    int64_t duration = 0;
    int64_t dropped = 0;
    for (;;) {
        const int result = av_read_frame(state.format.get(), packet);
        if (result == AVERROR_EOF)
            break;
        if (result < 0)
            return statusOfDecodeError(result);
        if (packet->stream_index == state.streamIndex) {
            if (packet->duration <= 0) {
                av_packet_unref(packet);
                return DecodeStatus::Corrupt;
            }
            duration += packet->duration;
            std::size_t size = 0;
            // Little-endian 32-bit counts of samples to drop at the start and at the end.
            if (const uint8_t* skip = av_packet_get_side_data(packet, AV_PKT_DATA_SKIP_SAMPLES, &size); skip && size >= 8)
                dropped += int64_t(AV_RL32(skip)) + int64_t(AV_RL32(skip + 4));
        }
        av_packet_unref(packet);
    }
    state.finished = true;
    frames = std::max<int64_t>(0, av_rescale_q(duration, stream->time_base, AVRational{1, int(m_info.samplesPerSec)})
                                      - dropped);
    return DecodeStatus::Ok;
}

} // namespace platform::codecs
