#include "controls/WaveDisplayHeader.h"

#include "controls/WaveDisplayCodes.h"

#include <algorithm>

namespace controls {

using platform::RiffChunk;
using platform::RiffFile;
namespace RiffCode = platform::RiffCode;

int readWaveDisplayHeader(const QString& path, WaveDisplayHeader& header, std::unique_ptr<RiffFile>* file)
{
    std::unique_ptr<RiffFile> riff = RiffFile::open(path, RiffFile::Mode::Read);
    if (!riff)
        return WaveDisplayCode::CannotOpenWave;

    RiffChunk wave;
    wave.formType = platform::fourCC("WAVE");
    if (riff->descend(wave, nullptr, RiffFile::Descend::FindRiff) != RiffCode::Ok)
        return WaveDisplayCode::NotWave;

    RiffChunk fmt;
    fmt.id = platform::fourCC("fmt ");
    const int fmtResult = riff->descend(fmt, &wave, RiffFile::Descend::FindChunk);
    if (fmtResult == RiffCode::ChunkNotFound)
        return WaveDisplayCode::NoFormatChunk;
    // Any other failure is a "fmt " (or a chunk before it) whose size does not fit the file.
    if (fmtResult != RiffCode::Ok || fmt.size < kWaveFormatMinSize)
        return WaveDisplayCode::FormatChunkUnreadable;
    // Longer chunks (extensible formats) carry more than the record holds; only its 18 bytes count.
    uint8_t bytes[kWaveFormatSize];
    const int64_t wanted = std::min<int64_t>(fmt.size, kWaveFormatSize);
    if (riff->read(bytes, wanted) != wanted)
        return WaveDisplayCode::FormatChunkUnreadable;
    const WaveFormatEx stored = parseWaveFormat(bytes, size_t(wanted));

    const bool showable = (stored.bitsPerSample == 8 || stored.bitsPerSample == 16)
                       && (stored.channels == 1 || stored.channels == 2)
                       && stored.blockAlign == stored.channels * (stored.bitsPerSample / 8);
    if (!showable)
        return WaveDisplayCode::UnsupportedFormat;

    RiffChunk data;
    data.id = platform::fourCC("data");
    if (riff->descend(data, &wave, RiffFile::Descend::FindChunk) != RiffCode::Ok)
        return WaveDisplayCode::NoDataChunk;

    WaveDisplayHeader result;
    result.format.channels = stored.channels;
    result.format.samplesPerSec = stored.samplesPerSec;
    result.format.avgBytesPerSec = stored.avgBytesPerSec;
    result.format.blockAlign = stored.blockAlign;
    result.format.bitsPerSample = stored.bitsPerSample;
    result.totalSamples = data.size / stored.blockAlign;
    result.dataOffset = data.dataOffset;
    header = result;
    if (file)
        *file = std::move(riff);
    return WaveDisplayCode::Ok;
}

} // namespace controls
