#pragma once
// The MP3-to-WAV library of the programs: an MP3 file decoded into a new PCM WAV on the caller's
// (worker) thread, while the GUI thread reads the percent done and may stop it; and the MP3 file's
// bit rate and length.
//
// Result codes (0 success; the others go through Mp3ToWavErrorToMessageId, code - 80 for 400-430):
//
// | code | meaning                                                                  | message |
// |------|--------------------------------------------------------------------------|---------|
// |    0 | converted                                                                |       0 |
// |  402 | out of memory                                                            |     322 |
// |  404 | this FFmpeg has no MP3 decoder                                           |     324 |
// |  405 | the decoder or the resampler would not start                             |     325 |
// |  407 | the MP3 file is missing or cannot be read                                |     327 |
// |  408 | the WAV file cannot be created (or names the MP3 file itself)            |     328 |
// |  409 | the complete WAV could not be put in place of the target                 |     329 |
// |  415 | the WAV header cannot be written                                         |     335 |
// |  417 | writing the samples failed                                               |     337 |
// |  429 | not an MP3 file, damaged, or cut short                                   |     349 |
// |  431 | stopped by StopConversion                                                |     242 |
// |  432 | the WAV will not fit in the free space of its folder                     |     352 |
// |  439 | could not complete: the WAV would pass 4 GiB, a conversion already runs, |     360 |
// |      | or the target format is not one we write                                 |         |
// |  440 | ConvertMP3FileIntoWaveUsingWMA only: use ConvertMP3FileIntoWave          |     364 |
//
// Whatever the result, a failed or stopped conversion leaves no output and the MP3 file unchanged.

#include "platform/codecs/DecodeToWave.h"

#include <QString>

#include <atomic>
#include <cstdint>

namespace platform::codecs {

namespace Mp3ToWavCode {
inline constexpr int Ok = 0;
inline constexpr int OutOfMemory = 402;
inline constexpr int NoCodec = 404;
inline constexpr int CodecFailed = 405;
inline constexpr int CannotOpenInput = 407;
inline constexpr int CannotCreateOutput = 408;
inline constexpr int CannotCloseOutput = 409;
inline constexpr int CannotCreateRiff = 415;
inline constexpr int WriteFailed = 417;
inline constexpr int CorruptInput = 429;
inline constexpr int Aborted = 431;
inline constexpr int NotEnoughTempSpace = 432;
inline constexpr int CouldNotComplete = 439;
inline constexpr int UseOtherDecoder = 440;
} // namespace Mp3ToWavCode

// The code above for a status of the decoding core.
int mp3ToWavCode(DecodeStatus status);

class VXMP3WAV {
public:
    explicit VXMP3WAV(DecodeEnvironment environment = {});

    // Decodes source into target as 16-bit PCM at the MP3's own rate and channels. Blocks until
    // the conversion ends; one conversion at a time per object.
    int ConvertMP3FileIntoWave(const QString& source, const QString& target);
    // The same into a chosen format (the recording format of the recorder, for one).
    int ConvertMP3FileIntoWave(const QString& source, const QString& target, const PcmTarget& format);
    // There is no second decoder: always 440, so callers go on with ConvertMP3FileIntoWave.
    int ConvertMP3FileIntoWaveUsingWMA(const QString& source, const QString& target);

    // Percent done of the running (or the last) conversion, 0..100; safe from any thread.
    int GetStatus() const { return m_percent.load(std::memory_order_relaxed); }
    // Stops the running conversion, which then returns 431; without one it does nothing.
    void StopConversion();

    // The MP3 file's bit rate in kbit/s (its average for a variable rate), 0 when unreadable.
    static int GetBitRateOfMp3File(const QString& fileName);
    // The MP3 file's length in milliseconds as its header states it (ffprobe's duration), 0 when
    // unreadable.
    static uint32_t GetLengthOfMp3File(const QString& fileName);
    // Whether the file is MPEG audio (layer 1, 2 or 3) that decodes.
    static bool IsConversionPossible(const QString& fileName);
    // Whether this system can decode MP3 at all (the FFmpeg in use has an MP3 decoder).
    static bool IsMP3CodecFound();

private:
    DecodeEnvironment m_environment;
    std::atomic<int> m_percent{0};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stop{false};
};

} // namespace platform::codecs
