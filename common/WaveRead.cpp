#include "common/WaveRead.h"

#include <algorithm>

using platform::RiffChunk;
using platform::RiffFile;

namespace {

void clearReader(TWaveReader& reader)
{
    reader.handle.reset();
    reader.dataSize = 0;
    reader.format = {};
    reader.riffChunk = {};
    reader.dataChunk = {};
    reader.fmtChunk = {};
}

int openWave(const QString& fileName, TWaveReader& reader, RiffFile::Mode mode, bool requireData)
{
    reader.handle = RiffFile::open(fileName, mode);
    if (!reader.handle)
        return WaveReadCode::CannotRead;
    RiffFile& file = *reader.handle;

    reader.riffChunk.formType = 0;
    if (const int code = file.descend(reader.riffChunk, nullptr, RiffFile::Descend::FindRiff))
        return code;
    reader.fmtChunk.id = platform::fourCC("fmt ");
    if (const int code = file.descend(reader.fmtChunk, &reader.riffChunk, RiffFile::Descend::FindChunk))
        return code;

    // Shorter than 16 bytes, the record would lack fields every caller relies on.
    if (reader.fmtChunk.size < uint32_t(kWaveFormatMinSize))
        return WaveReadCode::CannotRead;
    uint8_t bytes[kWaveFormatSize] = {};
    const int64_t wanted = std::min<int64_t>(reader.fmtChunk.size, kWaveFormatSize);
    if (file.read(bytes, wanted) != wanted)
        return WaveReadCode::CannotRead;
    const WaveFormatEx format = parseWaveFormat(bytes, std::size_t(wanted));
    // Sizes are divided by the block align and the channel count everywhere.
    if (format.blockAlign == 0 || format.channels == 0)
        return WaveReadCode::CannotRead;
    if (format.formatTag != WAVE_FORMAT_PCM)
        return WaveReadCode::NotPcm;

    if (file.ascend(reader.fmtChunk) != platform::RiffCode::Ok)
        return WaveReadCode::CannotRead;
    reader.dataChunk.id = platform::fourCC("data");
    if (file.descend(reader.dataChunk, &reader.riffChunk, RiffFile::Descend::FindChunk) != platform::RiffCode::Ok)
        return WaveReadCode::CannotRead;
    // A recording cut short ends in a partial frame; callers read whole frames only.
    if (reader.dataChunk.flags & RiffChunk::Clamped)
        reader.dataChunk.size -= reader.dataChunk.size % format.blockAlign;
    if (reader.dataChunk.size == 0 && requireData)
        return WaveReadCode::NoData;

    reader.format = format;
    reader.dataSize = reader.dataChunk.size;
    return WaveReadCode::Ok;
}

} // namespace

int OpenWaveForRead(const QString& fileName, TWaveReader& reader, RiffFile::Mode mode, bool requireData)
{
    clearReader(reader);
    reader.fileName.clear();
    if (fileName.isEmpty())
        return WaveReadCode::NoFileName;
    reader.fileName = fileName;
    const int code = openWave(fileName, reader, mode, requireData);
    if (code != WaveReadCode::Ok)
        clearReader(reader);
    return code;
}

void CloseWaveForRead(std::unique_ptr<RiffFile>& handle)
{
    if (handle)
        handle->close();
    handle.reset();
}
