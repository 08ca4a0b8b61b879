#pragma once
// The format library of the programs: a WAV file converted into another PCM format as a polled
// process. AudioConvert checks its arguments and starts the process, writing its handle into the
// caller's cell; the caller polls is-over and progress, may cancel, reads the exit reason, and
// always ends with AudioConvertCloseHandle on the cell's address, which waits for the process,
// frees it and clears the cell. The format-choice dialog of the same library is FormatChoice.
//
// Codes (results of the calls and exit reasons; VXFmtHlpErrorToMessage shows them):
//
// | code | meaning                                                                     | message |
// |------|-----------------------------------------------------------------------------|---------|
// |    0 | success                                                                     | 0       |
// |  101 | the format dialog was cancelled (the dialog only)                           | 129     |
// |  102 | the format buffer is smaller than its size cell asks (the dialog only)      | 450     |
// |  115 | the source cannot be opened                                                 | 452     |
// |  116 | the target cannot be created (or is the source itself)                      | 453     |
// |  117 | the source is not a WAV file with a readable "fmt " chunk                   | 454     |
// |  118 | the source has no "data" chunk, or not one whole frame in it                | 455     |
// |  119 | out of memory                                                               | 104     |
// |  122 | the target format is not 8/16-bit PCM, 1 or 2 channels, 1,000..384,000 Hz,  | 457     |
// |      | with consistent derived fields                                              |         |
// |  123 | the source's format has no decoder, or it would not start                   | 458     |
// |  124 | the source's samples are damaged                                            | 459     |
// |  125 | the target's WAV header cannot be written                                   | 460     |
// |  127 | writing the samples failed                                                  | 462     |
// |  128 | the target would pass 4 GiB                                                 | 900     |
// |  129 | exit reason only: cancelled (AudioConvertCancelPressed); callers treat it   | -       |
// |      | as a cancel before any map                                                  |         |
// |  130 | the target will not fit in the free space of its folder                     | 465     |
// |  131 | the complete target could not be put in place                               | 466     |
// |  142 | an unknown handle, or a missing cell or format record                       | 449     |
//
// A failed or cancelled process leaves no target file; the source is never changed.

#include "common/WaveFormat.h"
#include "platform/base/PolledProcess.h"
#include "platform/codecs/DecodeToWave.h"

#include <QString>

#include <cstdint>

namespace platform::codecs {

namespace FmtCode {
inline constexpr int Ok = 0;
inline constexpr int DialogCancelled = 101;
inline constexpr int BufferTooSmall = 102;
inline constexpr int CannotOpenSource = 115;
inline constexpr int CannotCreateTarget = 116;
inline constexpr int NotWave = 117;
inline constexpr int NoData = 118;
inline constexpr int OutOfMemory = 119;
inline constexpr int FormatNotSupported = 122;
inline constexpr int NoDecoder = 123;
inline constexpr int CorruptSource = 124;
inline constexpr int HeaderFailed = 125;
inline constexpr int WriteFailed = 127;
inline constexpr int TooLarge = 128;
inline constexpr int Cancelled = platform::kProcessCancelled;
inline constexpr int NoSpace = 130;
inline constexpr int CommitFailed = 131;
inline constexpr int InvalidHandle = 142;
} // namespace FmtCode

// The code above for a status of the decoding core.
int fmtCode(DecodeStatus status);

class VXFmtHlp {
public:
    explicit VXFmtHlp(DecodeEnvironment environment = {});
    // Waits for every process still open.
    ~VXFmtHlp();
    VXFmtHlp(const VXFmtHlp&) = delete;
    VXFmtHlp& operator=(const VXFmtHlp&) = delete;

    // Starts converting source into target in format. 0: the process runs and *cell holds its
    // handle; otherwise nothing was started and *cell is 0. The fifth argument is 0 in every call
    // of the programs and is not used.
    int AudioConvert(const QString& source, const QString& target, const WaveFormatEx* format, uint32_t* cell,
                     uint32_t reserved);

    // 1 when the process is over (also for an unknown handle, so no poll waits forever), else 0.
    int AudioConvertProcessIsOver(uint32_t handle) const;
    // Percent done, 0..100, never going down; 0 for an unknown handle.
    int AudioConvertGetProcessProgress(uint32_t handle) const;
    // The exit reason once over (0 before); 142 for an unknown handle.
    int AudioConvertGetReasonForProcessExit(uint32_t handle) const;
    // Asks the process to stop; it then ends with 129. 0, or 142 for an unknown handle.
    int AudioConvertCancelPressed(uint32_t handle);
    // Waits for the process to end (a running one is not cancelled), frees it and sets *cell to 0.
    // 0, also for a cell that holds 0; 142 for a missing cell or an unknown handle.
    int AudioConvertCloseHandle(uint32_t* cell);

private:
    DecodeEnvironment m_environment;
    platform::ProcessTable m_processes;
};

} // namespace platform::codecs
