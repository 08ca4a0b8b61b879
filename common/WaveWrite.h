#pragma once
// Writing a PCM WAV file: CreateWaveFile writes the header and leaves the file inside an open
// "data" chunk, WriteWaveData appends samples, CloseWaveFile writes both chunk sizes and closes.
//
// Each open file keeps its own chunk state in its WaveWriter, so any number of files may be
// written at once (one writer per thread).

#include "common/WaveFormat.h"
#include "platform/files/Riff.h"

#include <QString>

#include <cstdint>
#include <memory>

// The largest size a chunk of a RIFF file can state.
inline constexpr int64_t kMaxRiffChunkSize = 0xFFFFFFFF;

// An open WAV being written. Destroying one that is still open finishes it (writes the sizes), so
// what was written is kept even when a caller forgets CloseWaveFile. The next samples go to the
// file's current position.
struct WaveWriter {
    ~WaveWriter();

    std::unique_ptr<platform::RiffFile> file;
    platform::RiffChunk riffChunk;
    platform::RiffChunk dataChunk;
};
using WaveWriterHandle = std::unique_ptr<WaveWriter>;

// Why WriteWaveData failed.
enum class WaveWriteError {
    None,
    TooLarge,    // the file would pass 4 GiB (message kWaveTooLargeMessageId); what was written is kept
    WriteFailed, // the bytes could not be written (or there was no open file, or no buffer)
};

// Opens fileName (created, or truncated when it exists) and writes the header of a PCM WAV.
// On success writer holds the open file positioned inside the "data" chunk and the result is 0;
// otherwise the file is closed and the result is the message id of the step that failed: 160 open,
// 170 RIFF chunk, 171 "fmt " chunk, 172 format bytes, 173 leaving "fmt ", 174 "data" chunk.
int startWaveFile(const QString& fileName, const WaveFormatEx& format, WaveWriter& writer);

// The open writer, or null when the file cannot be created.
WaveWriterHandle CreateWaveFile(const QString& fileName, uint32_t samplesPerSec, uint16_t bitsPerSample,
                                uint16_t channels);

// Appends count bytes of samples. On failure the file is finished with the sizes of what was
// written before, the handle is closed and reset (so it must not be closed again), false is
// returned and *error (when given) says why. A null handle returns false.
bool WriteWaveData(WaveWriterHandle& handle, const void* buffer, int64_t count, WaveWriteError* error = nullptr);

// Writes the sizes of what was written so far into the header of a file still being written (the
// "data" size and the RIFF size up to the end of the data) and goes back to the end, so that a
// reader sees exactly those samples if the writer dies. False when the handle is null or a seek or
// write failed; the handle stays open either way.
bool RefreshWaveHeader(WaveWriterHandle& handle);

// Writes the "data" and RIFF sizes and closes the file; the handle is reset whatever happens.
// False when something failed or the handle was null.
bool CloseWaveFile(WaveWriterHandle& handle);

