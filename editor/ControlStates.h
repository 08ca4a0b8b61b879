#pragma once
// Which commands and transport buttons of the main window are enabled (and whether Pause shows)
// in each situation of the editor: the control-state table, kept as data, and the rules that pick
// states after a document is selected, edited or saved. The window applies the resulting panel to
// its menu items and buttons.

#include "editor/DocumentRecord.h"

#include <array>
#include <cstdint>
#include <span>

enum class Control : int {
    // File
    New, Open, LoadFrom, Save, SaveAs, Export, Close, CloseAll, Revert, BatchExport, SaveAsPodcast, UploadPodcast,
    // Edit
    Undo, Redo, Cut, Copy, Paste, Crop, CutToFile, CopyToFile, SelectAll, SelectNone, Clear, Mute, InsertSilence,
    TrimSilence, ChangeFormat,
    // The items of the View menu (its zoom commands), of the Effects menu, of the effects popup and
    // of the Tools menu: each group is switched as one.
    ViewItems, EffectsItems, EffectsPopupItems, ToolsItems,
    Preferences,
    // Transport and recording buttons
    Play, PlayFromStart, SkipBack, SkipForward, Stop, Rewind, Forward, Pause, Record, AppRecord, RecordingFormat,
    Count
};
inline constexpr int kControlCount = int(Control::Count);

enum class ControlState : int {
    NoDocument = 1,
    EmptyDocument = 2,
    DocumentWithAudio = 3,
    PlaybackStarted = 4,
    PlaybackStopped = 5,
    RecordingStarted = 6,
    RecordingEnded = 7,
    LevelTestStarted = 8,
    LevelTestStopped = 9,
    SelectionNotEmpty = 10,
    SelectionEmpty = 11,
    FormatChanged = 12,
};

enum class Change : uint8_t { Enable, Disable, Show, Hide };

struct ControlChange {
    Control control;
    Change change;
};

// One row of the table: a state first applies its base state (when it has one), then its changes
// in order.
struct ControlStateRow {
    ControlState state;
    bool hasBase;
    ControlState base;
    std::span<const ControlChange> changes;
};

std::span<const ControlStateRow> controlStateTable();

struct ControlStatus {
    bool enabled = true;
    bool visible = true;
    friend bool operator==(const ControlStatus&, const ControlStatus&) = default;
};

struct ControlPanel {
    std::array<ControlStatus, kControlCount> controls{};

    ControlStatus& operator[](Control c) { return controls[size_t(c)]; }
    const ControlStatus& operator[](Control c) const { return controls[size_t(c)]; }
    bool enabled(Control c) const { return (*this)[c].enabled; }
    void setEnabled(Control c, bool on) { (*this)[c].enabled = on; }
    friend bool operator==(const ControlPanel&, const ControlPanel&) = default;
};

// Applies a state of the table. The selection states change nothing while playback runs or is
// paused, since the transport then owns the selection.
void SetControlState(ControlPanel& panel, ControlState state, bool playingOrPaused = false);

// What UpdateDocumentControls decides by.
struct DocumentControlsInput {
    const TDocumentRecord* document = nullptr; // the current document, or none
    bool selectionEmpty = true;
    bool undoAvailable = false; // the undo file holds something
    bool redoAvailable = false;
    bool canPaste = false;      // the clipboard holds audio
    bool playingOrPaused = false;
};

// The panel after a document was selected, edited or saved.
void UpdateDocumentControls(ControlPanel& panel, const DocumentControlsInput& input);

// A click on a document's button or its "Window" item selects the document, unless it is the
// current one or a recording runs (the button then pops up again).
bool documentClickSelects(int index, int currentIndex, bool recording);
// After a document button selected a document: Export is off for an empty document, Revert is on
// only while it has unsaved changes.
void afterDocumentButtonSelect(ControlPanel& panel, const TDocumentRecord& document);
