#pragma once
// The editor's WAV reader: the shared reader's record and result codes, an open that always refuses
// an empty "data" chunk, and reads of sample bytes at any offset into the data, so block readers
// (effects and the like) need not track the file position themselves.
//
// Files are untrusted: chunk sizes are checked against the file by the RIFF layer, a "data" chunk
// cut short counts its whole frames only, and a read never returns bytes past the end of "data",
// whatever chunks follow it.

#include "common/WaveRead.h"

#include <cstdint>

namespace editor {

// The offset lies at or past the end of the sample data, or nothing could be read there.
inline constexpr int kWaveReadNothingRead = 5006;

// As the shared OpenWaveForRead with data required: an empty "data" chunk gives
// WaveReadCode::NoData. On success the handle is at the first byte of sample data.
int OpenWaveForRead(const QString& fileName, TWaveReader& reader,
                    platform::RiffFile::Mode mode = platform::RiffFile::Mode::Read);

// Reads up to count bytes starting offset bytes into the sample data, never past its end; bytesRead
// gets the number read. WaveReadCode::Ok when at least one byte was read, else kWaveReadNothingRead.
// The handle is left at the first byte of sample data either way, so reads do not depend on each
// other.
int ReadWaveData(TWaveReader& reader, int64_t offset, int64_t count, int64_t& bytesRead, void* buffer);

using ::CloseWaveForRead;

} // namespace editor
