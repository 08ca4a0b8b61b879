#pragma once
// Mix down to a new file: the user names the file (the name rules below), the two tracks are mixed
// on a worker under the window's progress bar (MixTracksToWave.h), the mix is written as WAV, MP3
// or WMA, its song information asked and written, and both working tracks are kept beside it as
// "_V<name>.wav" and "_M<name>.wav", the names the podcast builder looks for to reopen them.
//
// The user's file appears under its name only when it is complete: a WAV mix is written beside it
// under a temporary name and renamed, an MP3 or WMA mix is encoded from a temporary WAV in the
// temporary folder by the format step (TrackSave.h), which writes its target the same way. A
// cancel or a failure leaves no file under the user's name, deletes the temporary WAV, keeps the
// previous mix record and never touches the tracks.
#include "recorder/BusyFlag.h"
#include "recorder/MixTracksToWave.h"
#include "recorder/SongInformation.h"
#include "recorder/TrackLoader.h"
#include "recorder/TrackSave.h"

#include "common/CopyJob.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class JobRunner;
namespace platform {
class Messages;
}

namespace recorder {

struct MixedFile;

// The mix being made (1) or saved (2).
inline constexpr int kMixBeingMade = 1;
inline constexpr int kMixSaved = 2;

struct MixRecord {
    QString savedPath;
    int state = 0;
    TrackSourceKind format = TrackSourceKind::None;
    TID3InfoRecord songInfo{};
};

// What a file name without its folder asks of the save loop.
enum class MixNameCheck {
    Accept,
    Spaces,  // its last special character is a blank: ask to replace the blanks with "_"
    Invalid, // another special character: refused
};
// The characters a podcast's file name should not hold.
inline constexpr char kSpecialNameCharacters[] = "$ ,%&?*:/][}{)(^#@!\\+|=><;";
MixNameCheck checkMixFileName(const QString& fileName);

// The chosen path with the extension of the chosen filter (1 MP3, 2 WAV, 3 WMA) appended unless it
// has it already (in any case); an existing other extension stays in front.
QString withMixExtension(const QString& path, int filterIndex);

// Where the working tracks are kept beside the mix target: its folder, "_V" or "_M", its file name
// less its last four characters, ".wav".
struct KeptTrackNames {
    QString voice;
    QString music;
};
KeptTrackNames keptTrackNames(const QString& target);

// What the mix-down works with; each outlives the call.
struct MixDownServices {
    const platform::Messages& messages;
    JobRunner& runner; // the format step's and the kept tracks' copies under the progress window
    BusyFlag& busy;
    QString tempFolder{};
    bool preventSaturation = false;
    AskSongInformationFn askSongInformation{}; // none: no song information is asked
    CopyFunction copy = CopyFileWithProgress;
    // The format step's MP3 and WMA windows and the MP3 bit rate, as a track save has them.
    ExportMp3Fn exportMp3{};
    ExportWmaFn exportWma{};
    int mp3BitRate = 0;
    std::function<void(int64_t done)> afterBlock{}; // see MixRequest
};

// What the mix-down does to the recording window.
class MixDownHost {
public:
    virtual ~MixDownHost() = default;
    // Every control and top-level menu off, remembering which were on; then exactly those back on.
    virtual void DisableWindowControls() = 0;
    virtual void RestoreWindowControls() = 0;
    // The progress bar in the time ruler's place with a button that calls stop; hidden again with
    // an empty stop.
    virtual void showMixProgress(const std::function<void()>& stop) = 0;
    virtual void setMixProgress(int64_t done, int64_t total) = 0;
    // The mix is saved: the caption names it, the window keeps its path, extension and size, and
    // the mixed track can be edited.
    virtual void mixSaved(const MixedFile& mixed) = 0;
};

// The tracks to mix.
struct MixSources {
    QString voiceWav;
    QString musicWav;
    MixFader fader;
};

// Runs the mix on a worker while the GUI thread serves the window (its controls off, the progress
// bar and its stop button shown): the mix's code, after the worker has been joined. Shows the
// mix's own failures (479, 480, 103, 398, 104, 369) and the saturation notice.
int MixTracksOnWorker(const MixDownServices& services, MixDownHost& host, const MixSources& sources,
                      const QString& targetWav);

// The whole road. On success record is the new mix record (saved), lastName the chosen path, and
// the result true; otherwise record and the window are as they were.
bool MixDownToNewFile(const MixDownServices& services, MixDownHost& host, const MixSources& sources,
                      std::optional<MixRecord>& record, QString& lastName);

} // namespace recorder
