#pragma once
// The WMA library of the programs, decoding side: a WMA file (or any other audio file FFmpeg reads:
// the reader it stands for took those too) decoded into a new PCM WAV with the progress, cancel and
// state words of the caller's job, the file information block, and the duration of an MP3 file.
// The preview playback of the same library belongs to the audio engine.
//
// Result codes of ConvertWmaFileIntoWave (GetFileInfo uses the same for its failures):
//
// | code | meaning                                                            | final state |
// |------|--------------------------------------------------------------------|-------------|
// |    0 | converted                                                          | 0           |
// |    1 | the file is missing or cannot be read                              | 2           |
// |    2 | not audio we read, damaged, or cut short                           | 2           |
// |    3 | no decoder for the file's audio, or it would not start             | 2           |
// |    4 | the WAV cannot be created (or names the source itself)             | 2           |
// |    5 | writing the WAV failed, or it could not be put in place            | 2           |
// |    6 | the WAV will not fit in the free space of its folder               | 2           |
// |    7 | the WAV would pass 4 GiB                                           | 2           |
// |    8 | out of memory                                                      | 2           |
// |    9 | cancelled through the cancel word                                  | 3           |
// |   10 | a word is missing (null): nothing is done and no state is written  | -           |
//
// (11, which callers read as "the temporary file is too large but complete", is never returned: a
// WAV past 4 GiB cannot be completed and ends with 7.)

#include "platform/codecs/DecodeToWave.h"

#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace platform::codecs {

namespace PlivornCode {
inline constexpr int Ok = 0;
inline constexpr int CannotOpenInput = 1;
inline constexpr int NotAudio = 2;
inline constexpr int NoDecoder = 3;
inline constexpr int CannotCreateOutput = 4;
inline constexpr int WriteFailed = 5;
inline constexpr int NoSpace = 6;
inline constexpr int TooLarge = 7;
inline constexpr int OutOfMemory = 8;
inline constexpr int Cancelled = 9;
inline constexpr int MissingWord = 10;
} // namespace PlivornCode

// The job's state word.
namespace PlivornState {
inline constexpr int32_t Finished = 0;
inline constexpr int32_t Running = 1;
inline constexpr int32_t Failed = 2;
inline constexpr int32_t Cancelled = 3;
} // namespace PlivornState

// The file information block of GetFileInfo. Text fields hold UTF-8, cut on a character boundary
// and ended by a zero byte.
struct WmaFileInfo {
    uint32_t bitRate = 0;        // bits per second
    uint16_t channels = 0;
    uint16_t bitsPerSample = 0;  // of the decoded samples: always 16
    uint64_t durationMs = 0;     // its low half is the block's third 32-bit value
    char codecName[1024] = {};   // the codec's name ("WMA Version 2"), to pick the WMA export's encoder by
    char fileName[260] = {};     // the file the block describes
    char formatName[1024] = {};  // "128 kbit/s, 44100 Hz, stereo", to pick the WMA export's format by
    uint32_t samplesPerSec = 0;
};
static_assert(sizeof(WmaFileInfo) == 2328);
static_assert(offsetof(WmaFileInfo, durationMs) == 8);
static_assert(offsetof(WmaFileInfo, codecName) == 16);
static_assert(offsetof(WmaFileInfo, fileName) == 1040);
static_assert(offsetof(WmaFileInfo, formatName) == 1300);

// The code above for a status of the decoding core.
int plivornCode(DecodeStatus status);

class Plivorn {
public:
    // Decodes source into target as 16-bit PCM at the file's own rate and channels (stereo for a
    // file with more). Reads *cancel (non-zero: stop), writes *progress (percent) and, last, *state
    // (see PlivornState); the caller sets *state to Running before the call.
    static int ConvertWmaFileIntoWave(const QString& source, const QString& target, const std::atomic<int32_t>* cancel,
                                      std::atomic<int32_t>* progress, std::atomic<int32_t>* state,
                                      const DecodeEnvironment& environment = {});

    // Fills *info for the audio file (0 on success; on failure *info is cleared but for its name).
    static int GetFileInfo(const QString& fileName, WmaFileInfo* info);

    // The playing time of an MP3 file in milliseconds, counted from its frames (exact also for a
    // file whose header states no length); 0 when it is no MPEG audio file.
    static uint32_t GetMP3FileDuration(const QString& fileName);

    // Whether this system can decode WMA (the FFmpeg in use has the version 1 and 2 decoders).
    static bool IsWmaDecoderFound();
};

// Copies text into a fixed field as UTF-8, cut on a character boundary, zero-terminated.
void copyTextField(const QString& text, char* field, std::size_t size);

} // namespace platform::codecs
