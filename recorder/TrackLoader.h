#pragma once
// Loading a user's file into a track of the recording window. A track never works on the user's
// file: the file becomes a working WAV in the temporary folder (decoded from MP3 or WMA, or
// rewritten from a WAV) and the track keeps that. Working WAVs are written as a header and the
// "data" chunk only, as 8- or 16-bit PCM, so padding a track later can never turn a trailing chunk
// of the user's file into audio.
//
// A failed load shows its message (unless the caller's road reports it), deletes the working file
// it made and leaves the caller's track record as it was; the user's file is only ever read.
#include "common/WaveFormat.h"
#include "platform/audio/AudioEngine.h"
#include "platform/codecs/DecodeToWave.h"
#include "platform/codecs/SongInfo.h"
#include "recorder/BusyFlag.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

class JobRunner;
namespace platform {
class Messages;
}

namespace recorder {

enum class TrackSide { Voice, Music };

// Where a track's audio came from.
enum class TrackSourceKind : int { None = 0, Wave = 1, Mp3 = 2, Wma = 3 };

// Track states: changed since the last save, saved.
inline constexpr int kTrackChanged = 1;
inline constexpr int kTrackSaved = 2;

struct TrackRecord {
    QString savedPath;   // the user's file
    QString workingPath; // the working WAV in the temporary folder
    int state = 0;
    TrackSourceKind source = TrackSourceKind::None;
    TrackSourceKind savedKind = TrackSourceKind::None; // the format of the file it was last saved to
    int mp3BitRate = 0; // kbit/s of a loaded MP3
    TID3InfoRecord songInfo{}; // the user's file's tag (MP3 and WAV files carry one)
    platform::audio::AudioFileInfo fileInfo;
    WaveFormatEx waveFormat;
};

// Message ids of the load step.
namespace LoadCode {
inline constexpr int Ok = 0;
inline constexpr int NoTempFile = 160;   // no working file could be made in the temporary folder
inline constexpr int FileMissing = 184;  // "Error : The file %s does not exist."
inline constexpr int NoMp3Decoder = 229; // the question offering the MP3 component
inline constexpr int FormatNotConverted = 313; // "Error: Could not convert the format."
inline constexpr int NotSupported = 430; // "Error : File format not supported."
} // namespace LoadCode

// What loading needs from the program around it.
struct TrackLoadServices {
    TrackLoadServices(JobRunner& runner, const platform::Messages& messages);

    JobRunner& runner;                  // runs the conversions and copies under the progress window
    const platform::Messages& messages; // the recorder's messages
    // The preferences' temporary folder.
    std::function<QString()> tempFolder;
    // The player library's file information of a WAV: 0 or a player code.
    std::function<int(const QString& file, platform::audio::AudioFileInfo& info)> fileInfo;
    // Stops the window's position timer when it runs (an MP3 decode is about to start).
    std::function<void()> stopPositionTimer;
    // Opens a web link of the maker's site ("wmp7").
    std::function<void(const QString& link)> openWebLink;
    // Free space and block hooks of the decoders and the WAV rewrite; tests inject a full disk.
    platform::codecs::DecodeEnvironment decodeEnvironment;
};

// How a road differs from the plain track load (File > Open: the file is marked saved, a failed
// MP3 or WMA conversion is not reported again, the copy has its own caption).
struct LoadOptions {
    int state = kTrackChanged;
    bool reportConversionFailure = true;
    QString copyCaption; // empty: the track's own caption
};

// A new, empty working WAV named with the prefix "LOD" in folder; empty when none could be made.
QString GetTempWaveFileName(const QString& folder);

// Loads path into track; on failure track is unchanged. 0, or the message id or library code
// already reported (see the failure table in the .cpp).
int LoadVoiceFile(const QString& path, TrackLoadServices& services, BusyFlag& busy, TrackRecord& track,
                  const LoadOptions& options = {});
int LoadMusicFile(const QString& path, TrackLoadServices& services, BusyFlag& busy, TrackRecord& track,
                  const LoadOptions& options = {});

// Rewrites a WAV as a header and "data" only: 8- and 16-bit PCM stays as it is, any other encoding
// or depth becomes 16-bit PCM, more than two channels become two. The copy function of the copy
// job: percent is written as it goes and any cancelWord but 1 stops it. 0, 129 when stopped, or a
// message id (149 cannot open, 430 not a WAV we read, 152 damaged, 150 cannot create the target,
// 153 cannot write (a full disk), 104 no memory, 900 over 4 GiB). A failure leaves target as it was.
int CopyWaveCanonically(const QString& source, const QString& target, std::atomic<int32_t>& percent,
                        const std::atomic<int32_t>& cancelWord, const platform::codecs::DecodeEnvironment& environment);

// Pads the shorter of the two working WAVs with silence (128 for eight-bit samples) to the other's
// data size; with equal sizes the voice WAV is padded by nothing. False when either is no readable
// WAV or the padding fails. On success *padded (when given) names the file that was padded.
bool EqualizeTrackLengths(const QString& voiceWav, const QString& musicWav, bool eightBit, QString* padded = nullptr);

} // namespace recorder
