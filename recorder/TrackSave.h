#pragma once
// Saving one track of the recording window into a file the user names, and the format step that
// writes a working WAV as the chosen file (a copy, an MP3 or a WMA file). The working WAV is only
// read; the user's file appears under its name only when it is complete (it is written beside it
// and renamed), so a cancelled or failed save leaves neither a partial file nor a changed track.
#include "recorder/SongInformation.h"
#include "recorder/TrackLoader.h"

#include "common/CopyJob.h"

#include <QString>

class JobRunner;
namespace platform {
class Messages;
}

namespace recorder {

namespace SaveCode {
inline constexpr int Cancelled = 129;
inline constexpr int SourceMissing = 184;
inline constexpr int BadExtension = 484;
inline constexpr int CannotConvertFormat = 313;
} // namespace SaveCode

// Writes source as the MP3 target at the bit rate (kbit/s) without asking when the encoder takes it:
// 0, 129 when the user cancelled or no encoder can make it (the user has been told), otherwise the
// encoder's failure, already shown.
using ExportMp3Fn = std::function<int(const QString& source, const QString& target, int bitRate)>;
// Writes source as the WMA target with the encoder and format the user picks: 0, 129 when the user
// cancelled, otherwise the failure, already shown.
using ExportWmaFn = std::function<int(const QString& source, const QString& target)>;

struct TrackSaveServices {
    JobRunner& runner;
    const platform::Messages& messages;
    CopyFunction copy = CopyFileWithProgress; // the WAV road's copy
    ExportMp3Fn exportMp3;
    ExportWmaFn exportWma;
    // The bit rate an MP3 target is written at: the voice track's kept MP3 rate, else the music
    // track's (see mp3RateOfTracks).
    int mp3BitRate = 0;
    // Asked after a save for the song information written as the file's tag.
    AskSongInformationFn askSongInformation;
};

// The MP3 bit rate kept in the voice track, else in the music track (0 when neither has one).
int mp3RateOfTracks(const TrackRecord* voice, const TrackRecord* music);

// Writes sourceWav as target in the format of target's extension: 0, 129 when stopped, or the code
// of the failure (184 no source, 484 no or another extension, 313 no exporter for the format, the
// copy's or the exporter's code), shown by the caller unless the exporter already did.
int ConvertWaveToTarget(const TrackSaveServices& services, const QString& sourceWav, const QString& target);

// The name the save dialog proposes after lastName was chosen: its file name up to the first ".".
QString proposedSaveName(const QString& lastName);

// Asks for a file name and saves a changed track (state 1) there. On success the track's saved path
// is the file, its state 2 and its saved kind the file's format, and lastName the chosen path; then
// the song information is asked for and, when confirmed, kept in the track and written as the MP3's
// or WAV's tag. Otherwise the track is untouched. False when nothing was saved (unchanged track, the dialog
// cancelled, a refused name or a failed save, each reported).
bool SaveTrack(const TrackSaveServices& services, TrackSide side, TrackRecord& track, QString& lastName);

} // namespace recorder
