#pragma once
// The editor's command line: its own at start, or the one a second start hands
// over in the argument block. The recorder starts the editor with a track file,
// "/NoSplash" and a track switch; people start it with files. Switches are the
// exact words below (case counts, except for
// "/Burn"); every other argument names a file, so a path that begins with "/"
// is a file, and an unknown switch is a file that will not be found.

#include "editor/DocumentRecord.h"

#include "platform/messaging/ArgumentBlock.h"

#include <QString>
#include <QStringList>

inline constexpr char kNoSplashSwitch[] = "/NoSplash";
inline constexpr char kMusicTrackSwitch[] = "/MusicTrack";
inline constexpr char kVoiceTrackSwitch[] = "/VoiceTrack";
inline constexpr char kNormalTrackSwitch[] = "/NormalTrack";
inline constexpr char kUnsavedSwitch[] = "/Unsaved";
inline constexpr char kBurnSwitch[] = "/Burn"; // compared without case

struct EditorCommandLine {
    bool musicTrack = false;
    bool voiceTrack = false;
    bool normalTrack = false;
    bool unsaved = false; // open the files as unsaved documents
    bool burn = false; // the first argument was "/Burn": nothing is opened
    QStringList files; // in the order given; never empty strings

    // The recorder's track the files are opened as; music wins when both switches
    // came.
    TrackRole role() const;
    friend bool operator==(const EditorCommandLine&, const EditorCommandLine&) = default;
};

bool isEditorSwitch(const QString& argument);

// The arguments in order, with empty ones left out.
EditorCommandLine readCommandLine(const QStringList& arguments);

// A received block. The sender leaves the slot of "/NoSplash" empty and lowers
// the count for it, so an argument behind a "/NoSplash" lies at the slot of the
// count: the slots up to and including that one are read, and empty slots are
// passed over. A count of 0 holds nothing.
EditorCommandLine readArgumentBlock(const platform::ArgumentBlock& block);

// The arguments as another process can read them: a file given relative to this
// process's folder is made absolute and clean (symbolic links are kept, so the
// recorder's path stays the one it knows). Switches and empty arguments stay as
// they are.
QStringList absoluteArguments(const QStringList& arguments, const QString& workingFolder);
