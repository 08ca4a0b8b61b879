#pragma once
// Reading PCM WAV files: open a file, check its format and leave the position at the first byte of
// sample data, so the caller reads the samples block by block straight from the handle.
//
// All state lives in the caller's record, so readers may run on several threads at once.

#include "common/WaveFormat.h"
#include "platform/files/Riff.h"

#include <QString>

#include <cstdint>
#include <memory>

// Result codes of OpenWaveForRead. Other non-zero values below 5000 are the RIFF layer's own codes
// (platform::RiffCode) for a missing or unreadable RIFF or "fmt " chunk.
namespace WaveReadCode {
inline constexpr int Ok = 5000;
inline constexpr int NoFileName = 5002;
inline constexpr int CannotRead = 5003; // cannot open, format unreadable, or no "data" chunk
inline constexpr int NoData = 5004;     // the "data" chunk is empty and data were required
inline constexpr int NotPcm = 5005;
} // namespace WaveReadCode

struct TWaveReader {
    QString fileName;
    WaveFormatEx format; // the first (up to) 18 bytes of "fmt "; fields the chunk lacks stay 0
    std::unique_ptr<platform::RiffFile> handle;
    uint32_t dataSize = 0; // bytes of sample data; a truncated "data" chunk counts its whole frames
    platform::RiffChunk riffChunk;
    platform::RiffChunk dataChunk;
    platform::RiffChunk fmtChunk;
};

// Opens fileName into reader; WaveReadCode::Ok leaves reader.handle positioned at the first byte of
// sample data. On failure the handle is closed and the record's format, sizes and chunks are cleared.
int OpenWaveForRead(const QString& fileName, TWaveReader& reader,
                    platform::RiffFile::Mode mode = platform::RiffFile::Mode::Read, bool requireData = true);

// Closes the handle when it is open.
void CloseWaveForRead(std::unique_ptr<platform::RiffFile>& handle);
