#pragma once
// The files of an edit process: the PCM WAVs it reads, and the WAVs it writes, each a complete new
// file (header and data, laid out by the WAV writer) under a temporary name beside its target that
// takes the target's place only when the whole edit succeeded. Sample data is copied by the kernel
// (copy_file_range) in large steps where it can, else through a buffer; sizes are 64-bit.
//
// Every call returns 0 or a player code (PlayerCodes.h), or platform::kProcessCancelled when the
// process was asked to stop between two steps.

#include "common/WaveFormat.h"
#include "common/WaveWrite.h"
#include "platform/files/PendingFile.h"
#include "platform/base/PolledProcess.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace platform::audio {

// An open file descriptor, closed with its owner.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd)
        : m_fd(fd)
    {
    }
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;

    int fd() const { return m_fd; }
    // Closes now; false when the close reported an error.
    bool close();

private:
    int m_fd = -1;
};

// Whether a WAV written as the WAV writer lays it out can hold that many bytes of samples within the
// 4 GiB limit of the format.
bool fitsInWave(int64_t dataBytes);

// A PCM WAV an edit reads: its format, where its samples lie, and its whole frames.
struct EditInput {
    QString path;
    WaveFormatEx format;
    int64_t dataOffset = 0;
    int64_t frames = 0;
    FileHandle file;

    int64_t bytes(int64_t frameCount) const { return frameCount * format.blockAlign; }
};

// 0, or 102 the file cannot be opened (or no name), 108 no RIFF "WAVE" or no usable "fmt ", 110 no
// "data", 318 not PCM (a compressed WAV), 104 PCM the engine does not edit (other than 8 or 16 bits,
// 1 or 2 channels).
uint16_t openEditInput(const QString& path, EditInput& input);

// How the edits go about their work, replaceable so that tests can stop a process part-way.
struct EditEnvironment {
    // Bytes of samples per step (between two looks at the cancel word); 0: the edits' own sizes.
    int64_t stepBytes = 0;
    // Called on the process's thread after each step.
    std::function<void()> stepDone;
};

// Counts the bytes an edit has written towards its total and turns them into the process's percent;
// asked between steps whether the process should stop.
class EditProgress {
public:
    EditProgress(platform::PolledProcess::Control& control, int64_t totalBytes, const EditEnvironment& environment);

    bool cancelled() const { return m_control.cancelRequested(); }
    // The bytes of one step where the edit would take `preferred`.
    int64_t step(int64_t preferred) const { return m_environment.stepBytes > 0 ? m_environment.stepBytes : preferred; }
    // A step of `bytes` is done.
    void add(int64_t bytes);

private:
    platform::PolledProcess::Control& m_control;
    const EditEnvironment& m_environment;
    int64_t m_total;
    int64_t m_done = 0;
};

// One WAV an edit writes.
class EditOutput {
public:
    // Starts the new file for target: its header, then its samples. 0, 360 when `frames` frames of
    // the format would pass the 4 GiB limit, 301 when the file cannot be created.
    uint16_t start(const QString& target, const WaveFormatEx& format, int64_t frames);

    // Appends frames [first, first + count) of input.
    uint16_t copy(const EditInput& input, int64_t first, int64_t count, EditProgress& progress);
    // Appends count frames of silence (0, or 128 for 8-bit samples).
    uint16_t silence(int64_t count, EditProgress& progress);
    // Appends frames [first, first + count) of input after `change` rewrote them in place.
    using Change = std::function<void(uint8_t* frames, int64_t count)>;
    uint16_t transform(const EditInput& input, int64_t first, int64_t count, const Change& change,
                       EditProgress& progress);

    // Writes the header's sizes and closes the file; it stays under its temporary name.
    uint16_t finish();
    // Puts the finished file in place of its target: 0, or 319.
    uint16_t commit();

private:
    uint16_t write(const uint8_t* bytes, int64_t count);
    // Asks the disk to start writing the last `bytes` written.
    void startWriteback(int64_t bytes);
    uint16_t copyByKernel(int fd, int64_t from, int64_t count);
    uint16_t copyByBuffer(int fd, int64_t from, int64_t count);

    WaveFormatEx m_format;
    std::unique_ptr<platform::PendingFile> m_pending;
    WaveWriterHandle m_writer;
    FileHandle m_file;         // the temporary file, for the samples
    int64_t m_dataOffset = 0;  // where the samples start
    int64_t m_written = 0;     // sample bytes so far
    bool m_kernelCopy = true;  // cleared once the kernel declined to copy between these files
};

} // namespace platform::audio
