#include "platform/audio/FileSet.h"

#include "platform/base/Log.h"
#include "platform/base/Rounding.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/codecs/AudioDecoder.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace platform::audio {

using platform::codecs::AudioDecoder;
using platform::codecs::DecodeStatus;

namespace {

uint16_t playerCode(DecodeStatus status)
{
    switch (status) {
    case DecodeStatus::Ok: return PlayerCode::Ok;
    case DecodeStatus::CannotOpen: return PlayerCode::CannotOpenFile;
    case DecodeStatus::OutOfMemory: return PlayerCode::OutOfMemory;
    default: return PlayerCode::FormatNotSupported;
    }
}

// A month, far past any file the programs play, and short enough for 64-bit frame arithmetic at
// any rate.
constexpr int64_t kLongestFileUs = int64_t(31) * 24 * 3600 * 1000000;

uint8_t silenceOf(const StreamFormat& format)
{
    return format.bits == 8 ? 128 : 0;
}

// A decoded file as frames of the set's format, exactly `frames` of them: a decoder that gives
// fewer is followed by silence, one that gives more is cut.
class DecodedReader : public FrameReader {
public:
    DecodedReader(const QString& path, const StreamFormat& format, int64_t frames)
        : m_path(path)
        , m_format(format)
        , m_frames(frames)
    {
    }

    bool open()
    {
        const platform::codecs::PcmTarget target{m_format.rate, m_format.bits, m_format.channels};
        return m_decoder.open(m_path) == DecodeStatus::Ok && m_decoder.setTarget(target) == DecodeStatus::Ok;
    }

    StreamFormat format() const override { return m_format; }

    bool seek(int64_t frame) override
    {
        m_block.clear();
        m_used = 0;
        m_ended = false;
        m_next = frame;
        return m_decoder.seek(frame) == DecodeStatus::Ok;
    }

    int64_t read(void* out, int64_t frames) override
    {
        const int frameBytes = m_format.frameBytes();
        frames = std::min(frames, m_frames - m_next);
        if (frames <= 0)
            return 0;
        if (m_used == m_block.size() && !m_ended) {
            m_used = 0;
            if (m_decoder.read(m_block) != DecodeStatus::Ok)
                return -1;
            m_ended = m_block.empty();
        }
        const int64_t available = int64_t(m_block.size() - m_used) / frameBytes;
        auto* bytes = static_cast<uint8_t*>(out);
        int64_t n = 0;
        if (available > 0) {
            n = std::min(frames, available);
            std::memcpy(bytes, m_block.data() + m_used, std::size_t(n * frameBytes));
            m_used += std::size_t(n * frameBytes);
        } else {
            n = frames;
            std::memset(bytes, silenceOf(m_format), std::size_t(n * frameBytes));
        }
        m_next += n;
        return n;
    }

    QString name() const override { return m_path; }

private:
    QString m_path;
    StreamFormat m_format;
    int64_t m_frames;
    AudioDecoder m_decoder;
    std::vector<uint8_t> m_block;
    std::size_t m_used = 0;
    bool m_ended = false;
    int64_t m_next = 0;
};

// A decoded file's frames at the set's rate, from what its stream states: an Ogg stream's length
// (exact, from its last page), else the durations of its packets less what the decoder drops (exact
// for MP3; a WMA stream's first frame is counted though it decodes to nothing, and is heard as
// silence at its end).
uint16_t decodedFrames(const QString& path, uint32_t rate, int64_t& frames)
{
    AudioDecoder decoder;
    const DecodeStatus opened = decoder.open(path);
    if (opened != DecodeStatus::Ok)
        return playerCode(opened);
    const uint32_t sourceRate = decoder.info().samplesPerSec;
    const int64_t durationUs = decoder.info().durationUs;
    int64_t source = 0;
    const bool ogg = decoder.info().container == QLatin1String("ogg");
    if (ogg || decoder.countFrames(source) != DecodeStatus::Ok) {
        if (durationUs < 0 || durationUs > kLongestFileUs)
            return PlayerCode::FormatNotSupported;
        source = platform::divRoundHalfEven(durationUs * int64_t(sourceRate), 1000000);
    }
    // A hostile header or stream may state any length; no file plays for longer than this.
    if (source < 0 || source > kLongestFileUs / 1000000 * int64_t(sourceRate))
        return PlayerCode::FormatNotSupported;
    frames = platform::divRoundHalfEven(source * int64_t(rate), int64_t(sourceRate));
    return PlayerCode::Ok;
}

} // namespace

// The set's frames, file after file; a file that ends early is followed by silence up to its length.
class FileSetReader : public FrameReader {
public:
    explicit FileSetReader(std::shared_ptr<const FileSet> set)
        : m_set(std::move(set))
    {
    }

    StreamFormat format() const override { return m_set->format(); }

    bool seek(int64_t frame) override
    {
        m_file = m_set->fileAt(frame);
        m_inFile = frame - m_set->startOf(m_file);
        m_reader = m_set->openItem(m_file, m_inFile);
        return m_reader != nullptr;
    }

    int64_t read(void* out, int64_t frames) override
    {
        const int frameBytes = m_set->format().frameBytes();
        while (m_reader && m_inFile >= m_set->m_items[std::size_t(m_file)].frames) {
            if (m_file + 1 == m_set->count())
                return 0;
            ++m_file;
            m_inFile = 0;
            m_reader = m_set->openItem(m_file, 0);
        }
        if (!m_reader)
            return -1;
        frames = std::min(frames, m_set->m_items[std::size_t(m_file)].frames - m_inFile);
        int64_t n = m_reader->read(out, frames);
        if (n < 0)
            return -1;
        if (n == 0) {
            n = frames;
            std::memset(out, silenceOf(m_set->format()), std::size_t(n * frameBytes));
        }
        m_inFile += n;
        return n;
    }

    QString name() const override
    {
        return m_file < m_set->count() ? m_set->m_items[std::size_t(m_file)].path : QString();
    }

private:
    std::shared_ptr<const FileSet> m_set;
    int m_file = 0;
    int64_t m_inFile = 0;
    std::unique_ptr<FrameReader> m_reader;
};

uint16_t FileSet::make(Kind kind, const QStringList& files, std::shared_ptr<const FileSet>& set)
{
    if (files.isEmpty() || files.contains(QString()))
        return PlayerCode::NoFileName;
    try {
        auto made = std::make_shared<FileSet>();
        made->m_kind = kind;
        int64_t start = 0;
        for (const QString& path : files) {
            Item item{path, start, 0};
            if (kind == Kind::Wave) {
                PcmWave wave;
                uint16_t code = openPcmWave(path, wave);
                if (code == PlayerCode::Ok)
                    code = checkStreamable(wave.format);
                if (code != PlayerCode::Ok)
                    return code;
                if (made->m_items.empty())
                    made->m_format = wave.streamFormat();
                else if (!(wave.streamFormat() == made->m_format))
                    return PlayerCode::FormatsDiffer;
                item.frames = wave.frames;
            } else {
                if (made->m_items.empty()) {
                    AudioDecoder decoder;
                    const DecodeStatus opened = decoder.open(path);
                    if (opened != DecodeStatus::Ok)
                        return playerCode(opened);
                    const WaveFormatEx& output = decoder.outputFormat();
                    made->m_format = {output.samplesPerSec, output.channels, output.bitsPerSample};
                }
                if (const uint16_t code = decodedFrames(path, made->m_format.rate, item.frames))
                    return code;
            }
            made->m_items.push_back(item);
            start += item.frames;
        }
        set = std::move(made);
    } catch (const std::bad_alloc&) {
        return PlayerCode::OutOfMemory;
    }
    return PlayerCode::Ok;
}

int FileSet::fileAt(int64_t frame) const
{
    const auto after = std::upper_bound(m_items.begin(), m_items.end(), frame,
                                        [](int64_t f, const Item& item) { return f < item.start; });
    return std::max(0, int(after - m_items.begin()) - 1);
}

std::unique_ptr<FrameReader> FileSet::reader() const
{
    return std::make_unique<FileSetReader>(shared_from_this());
}

std::unique_ptr<FrameReader> FileSet::openItem(int file, int64_t frame) const
{
    const Item& item = m_items[std::size_t(file)];
    std::unique_ptr<FrameReader> reader;
    if (m_kind == Kind::Wave) {
        PcmWave wave;
        if (openPcmWave(item.path, wave) == PlayerCode::Ok && wave.streamFormat() == m_format)
            reader = std::make_unique<PcmWaveReader>(std::move(wave));
    } else {
        auto decoded = std::make_unique<DecodedReader>(item.path, m_format, item.frames);
        if (decoded->open())
            reader = std::move(decoded);
    }
    if (!reader || !reader->seek(frame)) {
        qCWarning(lcPlatform) << "cannot play on in" << item.path << "from frame" << frame;
        return nullptr;
    }
    return reader;
}

} // namespace platform::audio
