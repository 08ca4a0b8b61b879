#pragma once
// Saving one track of the recording window into a file the user names, and the format step that
// writes a working WAV as the chosen file. The working WAV is only read; the user's file appears
// under its name only when it is complete (the copy is written beside it and renamed), so a
// cancelled or failed save leaves neither a partial file nor a changed track.
//
// Only WAV targets are written so far: an MP3 or WMA name is refused with a plain message.
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
// The target's format cannot be written yet; the user has been told.
inline constexpr int FormatNotAvailable = -1;
} // namespace SaveCode

struct TrackSaveServices {
    JobRunner& runner;
    const platform::Messages& messages;
    CopyFunction copy = CopyFileWithProgress; // the WAV road's copy
};

// Writes sourceWav as target in the format of target's extension: 0, 129 when stopped, or the code
// of the failure (184 no source, 484 no or another extension, the copy's code), shown by the caller;
// FormatNotAvailable for an MP3 or WMA target, already reported.
int ConvertWaveToTarget(const TrackSaveServices& services, const QString& sourceWav, const QString& target);

// The name the save dialog proposes after lastName was chosen: its file name up to the first ".".
QString proposedSaveName(const QString& lastName);

// Asks for a file name and saves a changed track (state 1) there. On success the track's saved path
// is the file, its state 2 and its saved kind the file's format, and lastName the chosen path;
// otherwise the track is untouched. False when nothing was saved (unchanged track, the dialog
// cancelled, a refused name or a failed save, each reported).
bool SaveTrack(const TrackSaveServices& services, TrackSide side, TrackRecord& track, QString& lastName);

} // namespace recorder
