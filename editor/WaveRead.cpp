#include "editor/WaveRead.h"

#include <algorithm>

namespace editor {

int OpenWaveForRead(const QString& fileName, TWaveReader& reader, platform::RiffFile::Mode mode)
{
    return ::OpenWaveForRead(fileName, reader, mode, true);
}

int ReadWaveData(TWaveReader& reader, int64_t offset, int64_t count, int64_t& bytesRead, void* buffer)
{
    bytesRead = 0;
    if (!reader.handle || !buffer || offset < 0 || offset >= int64_t(reader.dataSize) || count <= 0)
        return kWaveReadNothingRead;
    // Later chunks (tags, cue lists) may follow "data"; their bytes are no samples.
    const int64_t wanted = std::min(count, int64_t(reader.dataSize) - offset);
    platform::RiffFile& file = *reader.handle;
    const int64_t start = reader.dataChunk.dataOffset;
    int64_t read = -1;
    if (file.seek(start + offset) >= 0)
        read = file.read(buffer, wanted);
    file.seek(start);
    if (read <= 0)
        return kWaveReadNothingRead;
    bytesRead = read;
    return WaveReadCode::Ok;
}

} // namespace editor
