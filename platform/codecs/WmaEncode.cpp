// The WMA conversion: the WAV's samples read block by block, converted to the encoder's sample
// layout (and to mono when the format asks for it), encoded and written into an ASF file beside the
// target, which replaces the target only when complete.
#include "platform/codecs/WmaFormats.h"

#include "common/WaveRead.h"
#include "platform/files/PendingFile.h"
#include "platform/codecs/Ostrefa.h"

#include <QFile>
#include <QFileInfo>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <memory>
#include <vector>

namespace platform::codecs {

namespace {

constexpr int kBlockFrames = 8192;
constexpr int kCancelled = -1;

struct CodecContextFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct SwrFree {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct FifoFree {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
// Closes the file (when open) and frees the muxer.
struct MuxerFree {
    void operator()(AVFormatContext* m) const
    {
        if (m->pb)
            avio_closep(&m->pb);
        avformat_free_context(m);
    }
};

class WmaWriter {
public:
    WmaWriter() = default;
    ~WmaWriter();
    WmaWriter(const WmaWriter&) = delete;
    WmaWriter& operator=(const WmaWriter&) = delete;

    int open(const AVCodec* codec, const WmaFormat& format, const WaveFormatEx& source, const QString& path);
    // Converts frames of source samples and encodes every whole encoder frame.
    int write(const uint8_t* samples, int frames);
    // Encodes what is left (padded with silence to a whole frame) and finishes the file.
    int finish();

private:
    int encodeFromFifo(int frames);
    int send(const AVFrame* frame);

    std::unique_ptr<AVCodecContext, CodecContextFree> m_encoder;
    std::unique_ptr<SwrContext, SwrFree> m_convert;
    std::unique_ptr<AVFormatContext, MuxerFree> m_muxer;
    std::unique_ptr<AVAudioFifo, FifoFree> m_fifo;
    std::unique_ptr<AVFrame, FrameFree> m_frame;
    std::unique_ptr<AVPacket, PacketFree> m_packet;
    AVStream* m_stream = nullptr;
    std::vector<int32_t> m_widened;
    uint8_t** m_converted = nullptr;
    int m_bytesPerSample = 0;
    int m_sourceChannels = 0;
    int64_t m_nextPts = 0;
};

WmaWriter::~WmaWriter()
{
    if (m_converted)
        av_freep(&m_converted[0]);
    av_freep(&m_converted);
}

AVSampleFormat inputFormatOf(int bytesPerSample)
{
    return bytesPerSample == 1 ? AV_SAMPLE_FMT_U8 : bytesPerSample == 2 ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_S32;
}

int WmaWriter::open(const AVCodec* codec, const WmaFormat& format, const WaveFormatEx& source, const QString& path)
{
    m_bytesPerSample = source.bitsPerSample / 8;
    m_sourceChannels = source.channels;
    m_encoder.reset(avcodec_alloc_context3(codec));
    m_frame.reset(av_frame_alloc());
    m_packet.reset(av_packet_alloc());
    if (!m_encoder || !m_frame || !m_packet)
        return WmaCode::CannotLoad;
    m_encoder->sample_rate = int(format.sampleRate);
    m_encoder->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    av_channel_layout_default(&m_encoder->ch_layout, format.channels);
    m_encoder->bit_rate = int64_t(format.bitRate) * 1000;
    m_encoder->time_base = AVRational{1, int(format.sampleRate)};
    if (avcodec_open2(m_encoder.get(), codec, nullptr) < 0)
        return WmaCode::FormatNotSupported;

    AVChannelLayout inputLayout;
    av_channel_layout_default(&inputLayout, source.channels);
    SwrContext* convert = nullptr;
    if (swr_alloc_set_opts2(&convert, &m_encoder->ch_layout, m_encoder->sample_fmt, m_encoder->sample_rate, &inputLayout,
                            inputFormatOf(m_bytesPerSample), int(source.samplesPerSec), 0, nullptr)
        < 0)
        return WmaCode::CannotLoad;
    m_convert.reset(convert);
    m_fifo.reset(av_audio_fifo_alloc(m_encoder->sample_fmt, format.channels, 2 * kBlockFrames));
    if (swr_init(m_convert.get()) < 0 || !m_fifo
        || av_samples_alloc_array_and_samples(&m_converted, nullptr, format.channels, kBlockFrames,
                                              m_encoder->sample_fmt, 0)
               < 0)
        return WmaCode::CannotLoad;

    AVFormatContext* muxer = nullptr;
    if (avformat_alloc_output_context2(&muxer, nullptr, "asf", nullptr) < 0 || !muxer)
        return WmaCode::CannotLoad;
    m_muxer.reset(muxer);
    m_stream = avformat_new_stream(muxer, nullptr);
    if (!m_stream || avcodec_parameters_from_context(m_stream->codecpar, m_encoder.get()) < 0)
        return WmaCode::CannotLoad;
    m_stream->time_base = m_encoder->time_base;
    // "file:" so that no part of the name is ever taken for another protocol.
    const QByteArray url = "file:" + QFile::encodeName(path);
    if (avio_open(&muxer->pb, url.constData(), AVIO_FLAG_WRITE) < 0)
        return WmaCode::FileInUse;
    if (avformat_write_header(muxer, nullptr) < 0)
        return WmaCode::WriteError;
    return WmaCode::Ok;
}

int WmaWriter::write(const uint8_t* samples, int frames)
{
    const uint8_t* input = samples;
    if (m_bytesPerSample == 3) {
        // 24-bit samples go to the converter as 32-bit ones.
        const size_t count = size_t(frames) * size_t(m_sourceChannels);
        m_widened.resize(count);
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* s = samples + 3 * i;
            m_widened[i] = int32_t(uint32_t(s[0]) << 8 | uint32_t(s[1]) << 16 | uint32_t(s[2]) << 24);
        }
        input = reinterpret_cast<const uint8_t*>(m_widened.data());
    }
    const uint8_t* planes[1] = {input};
    const int converted = swr_convert(m_convert.get(), m_converted, kBlockFrames, planes, frames);
    if (converted < 0 || av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void**>(m_converted), converted) < converted)
        return WmaCode::CannotLoad;
    while (av_audio_fifo_size(m_fifo.get()) >= m_encoder->frame_size)
        if (const int rc = encodeFromFifo(m_encoder->frame_size); rc != WmaCode::Ok)
            return rc;
    return WmaCode::Ok;
}

int WmaWriter::encodeFromFifo(int frames)
{
    AVFrame* frame = m_frame.get();
    av_frame_unref(frame);
    frame->nb_samples = m_encoder->frame_size;
    frame->format = m_encoder->sample_fmt;
    frame->sample_rate = m_encoder->sample_rate;
    if (av_channel_layout_copy(&frame->ch_layout, &m_encoder->ch_layout) < 0 || av_frame_get_buffer(frame, 0) < 0)
        return WmaCode::CannotLoad;
    if (frames < m_encoder->frame_size)
        av_samples_set_silence(frame->extended_data, frames, m_encoder->frame_size - frames,
                               frame->ch_layout.nb_channels, m_encoder->sample_fmt);
    if (av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void**>(frame->extended_data), frames) < frames)
        return WmaCode::CannotLoad;
    frame->pts = m_nextPts;
    m_nextPts += m_encoder->frame_size;
    return send(frame);
}

int WmaWriter::send(const AVFrame* frame)
{
    if (avcodec_send_frame(m_encoder.get(), frame) < 0)
        return WmaCode::WriteError;
    for (;;) {
        const int rc = avcodec_receive_packet(m_encoder.get(), m_packet.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return WmaCode::Ok;
        if (rc < 0)
            return WmaCode::WriteError;
        av_packet_rescale_ts(m_packet.get(), m_encoder->time_base, m_stream->time_base);
        m_packet->stream_index = m_stream->index;
        if (av_interleaved_write_frame(m_muxer.get(), m_packet.get()) < 0)
            return WmaCode::WriteError;
    }
}

int WmaWriter::finish()
{
    if (const int left = av_audio_fifo_size(m_fifo.get()); left > 0)
        if (const int rc = encodeFromFifo(left); rc != WmaCode::Ok)
            return rc;
    if (const int rc = send(nullptr); rc != WmaCode::Ok)
        return rc;
    if (av_write_trailer(m_muxer.get()) < 0 || avio_closep(&m_muxer->pb) < 0)
        return WmaCode::WriteError;
    return WmaCode::Ok;
}

int openSource(const QString& source, TWaveReader& reader)
{
    const int rc = OpenWaveForRead(source, reader, RiffFile::Mode::Read, false);
    if (rc == WaveReadCode::Ok)
        return WmaCode::Ok;
    const QFileInfo info(source);
    return info.isFile() && info.isReadable() ? WmaCode::NoFormat : WmaCode::FileInUse;
}

} // namespace

int encodeWaveToWma(const QString& source, const QString& target, const AVCodec* codec, int formatIndex,
                    const WmaJobWords& words)
{
    TWaveReader reader;
    if (const int rc = openSource(source, reader); rc != WmaCode::Ok)
        return rc;
    const std::vector<WmaFormat> formats = wmaFormatsFor(codec, reader.format);
    if (formats.empty())
        return WmaCode::NoFormat;
    if (formatIndex < 0 || formatIndex >= int(formats.size()))
        return WmaCode::FormatNotSupported;

    PendingFile pending(target);
    if (!pending.isValid())
        return WmaCode::FileInUse;
    WmaWriter writer;
    if (const int rc = writer.open(codec, formats[size_t(formatIndex)], reader.format, pending.path()); rc != WmaCode::Ok)
        return rc;

    const int blockAlign = reader.format.blockAlign;
    std::vector<uint8_t> block(size_t(kBlockFrames) * size_t(blockAlign));
    const int64_t total = reader.dataSize;
    for (int64_t done = 0; done < total;) {
        if (words.cancel->load() != 0)
            return kCancelled;
        const int64_t want = std::min<int64_t>(int64_t(block.size()), total - done);
        const int64_t got = reader.handle->read(block.data(), want);
        if (got != want)
            return WmaCode::WriteError;
        if (const int rc = writer.write(block.data(), int(got / blockAlign)); rc != WmaCode::Ok)
            return rc;
        done += got;
        words.progress->store(int32_t(done * 99 / total));
    }
    if (words.cancel->load() != 0)
        return kCancelled;
    if (const int rc = writer.finish(); rc != WmaCode::Ok)
        return rc;
    return pending.commit() ? WmaCode::Ok : WmaCode::WriteError;
}

} // namespace platform::codecs
