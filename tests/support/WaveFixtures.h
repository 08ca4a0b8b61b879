#pragma once
// Building WAV files byte by byte for the tests (well-formed and malformed), reading them back with
// the outside checkers (Python's wave module, sox), and a file size limit that makes writes fail.

#include "common/WaveFormat.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <sys/resource.h>

namespace wavefixtures {

QByteArray le16(uint16_t value);
QByteArray le32(uint32_t value);

// A chunk: id, size (the body's, unless statedSize is given), body and a pad byte after an odd body.
QByteArray chunk(const char* id, const QByteArray& body, std::optional<uint32_t> statedSize = {});
// "RIFF", its size (4 + body, unless statedSize is given), the form type and the body.
QByteArray riff(const char* formType, const QByteArray& body, std::optional<uint32_t> statedSize = {});
// The body of a "fmt " chunk of the given size: the record's bytes, cut or padded with zeros.
QByteArray fmtBody(const WaveFormatEx& format, int size = kWaveFormatSize);
// A WAV as our writer lays it out: 18-byte "fmt ", then "data", then the later chunks.
QByteArray pcmWave(const WaveFormatEx& format, const QByteArray& samples, const QByteArray& laterChunks = {});
// A format record with every field free: blockAlign defaults to channels x bits / 8, the byte rate
// follows from it.
WaveFormatEx waveFormat(uint16_t tag = WAVE_FORMAT_PCM, uint16_t channels = 1, uint32_t rate = 8000,
                        uint16_t bits = 16, std::optional<uint16_t> blockAlign = {});
// 16-bit samples as little-endian bytes.
QByteArray pcm16(const QList<int16_t>& samples);
// A sox-made WAV of `frames` frames at `path`: a sine on the first channel, white noise on the
// others, so that peaks differ from block to block and reach both ends of the range.
QString soxWave(const QString& path, int bits, int channels, int64_t frames, int rate = 8000);
// count bytes of a repeatable pattern, different for each seed.
QByteArray sampleBytes(int count, int seed = 1);

struct WaveInfo {
    int channels = 0;
    int bits = 0;
    int rate = 0;
    int64_t frames = -1;
    QByteArray samples;
};

// What Python's wave module reads; frames stays -1 when it cannot read the file.
WaveInfo pythonWaveInfo(const QString& path, bool withSamples = true);
// What sox reads; frames stays -1 when it cannot read the file.
WaveInfo soxWaveInfo(const QString& path, bool withSamples = true);

// While it lives, writes that take a file past `bytes` fail (EFBIG) instead of succeeding.
class FileSizeLimit {
public:
    explicit FileSizeLimit(int64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};

} // namespace wavefixtures
