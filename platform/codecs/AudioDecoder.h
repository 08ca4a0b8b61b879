#pragma once
// Decoding any audio file that FFmpeg reads (MP3, WMA in ASF, Ogg Vorbis, WAV with PCM or a
// compressed format) into interleaved PCM of a chosen format, block by block. The samples are
// exactly what the ffmpeg program decodes from the same file into the same format: the same
// demuxer, decoder and resampler with the same settings.
//
// The input is hostile: only the file protocol and the four audio containers above are opened, so
// a file cannot make FFmpeg read anything else, and every failure is a DecodeStatus.

#include "common/WaveFormat.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::codecs {

enum class DecodeStatus {
    Ok,
    CannotOpen,        // missing, a folder, or not readable
    NotAudio,          // empty, in no container we read, or without an audio stream
    NoDecoder,         // an audio stream this FFmpeg has no decoder for
    DecoderFailed,     // the decoder or the resampler would not start
    Corrupt,           // decoding failed, nothing decoded, or less audio than the file declares
    OutOfMemory,
    UnsupportedTarget, // a target format outside 8/16 bits, 1/2 channels, 1,000..384,000 Hz
    SameFile,          // the target names the source, which is never changed
    CannotCreate,      // the output file cannot be created
    HeaderFailed,      // the output's WAV header cannot be written
    WriteFailed,       // writing samples or finishing the output failed
    TooLarge,          // the output would pass the 4 GiB limit of a WAV file
    NoSpace,           // the output will not fit in the free space of its folder
    CommitFailed,      // the complete output could not be put in place of the target
    Cancelled,
};

// A short English description of a status, for the log.
const char* describe(DecodeStatus status);

// The output format; 0 keeps the source's rate, or its channels (stereo for a source with more).
struct PcmTarget {
    uint32_t samplesPerSec = 0;
    uint16_t bitsPerSample = 16; // 8 (unsigned) or 16 (signed)
    uint16_t channels = 0;

    friend bool operator==(const PcmTarget&, const PcmTarget&) = default;
};

inline constexpr uint32_t kMinTargetRate = 1000;
inline constexpr uint32_t kMaxTargetRate = 384000;

// What the file says about itself before anything is decoded.
struct AudioFileInfo {
    QString container;      // FFmpeg's demuxer: "mp3", "asf", "ogg", "wav"
    QString codec;          // codec name: "mp3", "wmav2", "vorbis", "adpcm_ima_wav", "pcm_s16le", ...
    QString codecLongName;  // "MP3 (MPEG audio layer 3)", "Windows Media Audio 2", ...
    uint32_t samplesPerSec = 0;
    uint16_t channels = 0;
    int64_t bitRate = 0;          // bits per second; 0 when unknown
    int64_t durationUs = -1;      // the container's duration (as ffprobe shows it); -1 when unknown
    int64_t declaredFrames = -1;  // source frames the file states exactly in a header; -1 when it does not
    bool cutShort = false;        // the file ends before its stream does (an Ogg stream without its end)
};

class AudioDecoder {
public:
    AudioDecoder();
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    // Opens the file and its best audio stream (the one the ffmpeg program picks) and starts the
    // decoder. The output format is the source's rate and channels in 16 bits until setTarget().
    DecodeStatus open(const QString& path);
    const AudioFileInfo& info() const { return m_info; }

    // Chooses the output format; call before the first read().
    DecodeStatus setTarget(const PcmTarget& target);
    const WaveFormatEx& outputFormat() const { return m_output; }

    // Decodes the next part of the file into block (replacing its content) as interleaved PCM in the
    // output format, whole frames only. Ok with an empty block means the end was reached; any other
    // status ends decoding.
    DecodeStatus read(std::vector<uint8_t>& block);

    // Goes to output frame `frame` (at the output rate, counted from the first sample read() gives
    // from the start), so that the next read() starts there with the samples a read from the start
    // would give at that frame. The output format is fixed by then. A frame past the end makes the
    // next read() report the end. Not after countFrames().
    DecodeStatus seek(int64_t frame);

    // Counts the source frames of the stream from its packets, without decoding them, less what
    // the decoder would drop at the start and the end of a gapless stream: the number read() would
    // deliver at the source's rate. Use instead of read(), on a freshly opened file.
    DecodeStatus countFrames(int64_t& frames);

    // Source frames that came out of the decoder so far (after a seek: the source frame reached).
    int64_t decodedSourceFrames() const { return m_decodedSourceFrames; }
    // How far through the input file the reading is, 0..100.
    int inputPercent() const;

private:
    struct State;
    // The decoder's next frame into the state's frame; got stays false at the end.
    DecodeStatus nextFrame(bool& got);
    DecodeStatus convert(std::vector<uint8_t>& block, bool flush, int skip);
    // After a seek: how many samples of the decoded frame come before the target (-1: all of them).
    int samplesToDrop();

    std::unique_ptr<State> m_state;
    AudioFileInfo m_info;
    WaveFormatEx m_output;
    int64_t m_decodedSourceFrames = 0;
};

// The output format a target gives for a source of `channels` at `samplesPerSec`; formatTag 0 when
// the target is not one we write.
WaveFormatEx resolveTarget(const PcmTarget& target, uint32_t samplesPerSec, uint16_t channels);

} // namespace platform::codecs
