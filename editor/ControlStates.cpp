#include "editor/ControlStates.h"

#include <algorithm>

namespace {

using C = Control;
constexpr Change On = Change::Enable;
constexpr Change Off = Change::Disable;

constexpr ControlChange kNoDocument[] = {
    {C::New, On}, {C::Open, On}, {C::LoadFrom, On},
    {C::Save, Off}, {C::SaveAs, Off}, {C::Export, Off}, {C::Close, Off}, {C::CloseAll, Off}, {C::Revert, Off},
    {C::BatchExport, Off},
    // Every Edit item but Insert Silence.
    {C::Undo, Off}, {C::Redo, Off}, {C::Cut, Off}, {C::Copy, Off}, {C::Paste, Off}, {C::Crop, Off},
    {C::CutToFile, Off}, {C::CopyToFile, Off}, {C::SelectAll, Off}, {C::SelectNone, Off}, {C::Clear, Off},
    {C::Mute, Off}, {C::TrimSilence, Off}, {C::ChangeFormat, Off},
    {C::EffectsItems, Off}, {C::EffectsPopupItems, Off}, {C::ToolsItems, Off}, {C::ViewItems, Off},
    {C::Play, Off}, {C::PlayFromStart, Off}, {C::SkipBack, Off}, {C::SkipForward, Off}, {C::Stop, Off},
    {C::Rewind, Off}, {C::Forward, Off}, {C::Pause, Change::Hide},
};

// What an empty document offers beyond no document; a format change offers the same again.
constexpr ControlChange kEmptyDocument[] = {
    {C::Save, On}, {C::SaveAs, On}, {C::Export, On}, {C::Close, On}, {C::CloseAll, On}, {C::InsertSilence, On},
    {C::RecordingFormat, On}, {C::BatchExport, On}, {C::EffectsItems, On}, {C::EffectsPopupItems, On},
    {C::ToolsItems, On},
};

constexpr ControlChange kDocumentWithAudio[] = {
    {C::Save, Off},
    {C::Close, On}, {C::CloseAll, On}, {C::SaveAs, On}, {C::Export, On}, {C::BatchExport, On}, {C::SelectAll, On},
    {C::Mute, On}, {C::InsertSilence, On}, {C::TrimSilence, On}, {C::ChangeFormat, On},
    {C::SelectNone, Off}, {C::Undo, Off}, {C::Redo, Off},
    {C::ViewItems, On}, {C::EffectsItems, On}, {C::EffectsPopupItems, On}, {C::ToolsItems, On},
    {C::Play, On}, {C::PlayFromStart, On}, {C::SkipBack, On}, {C::SkipForward, On},
};

constexpr ControlChange kPlaybackStarted[] = {
    {C::Play, Off}, {C::PlayFromStart, Off},
    {C::Stop, On}, {C::Rewind, On}, {C::Forward, On}, {C::SkipBack, On}, {C::SkipForward, On},
    {C::Record, Off}, {C::AppRecord, Off}, {C::RecordingFormat, Off}, {C::Preferences, Off}, {C::ChangeFormat, Off},
    {C::Export, Off}, {C::SaveAsPodcast, Off}, {C::UploadPodcast, Off},
};

constexpr ControlChange kPlaybackStopped[] = {
    {C::Play, On}, {C::PlayFromStart, On}, {C::SkipBack, On}, {C::SkipForward, On},
    {C::Record, On}, {C::AppRecord, On}, {C::RecordingFormat, On},
    {C::Stop, Off}, {C::Rewind, Off}, {C::Forward, Off},
    {C::Preferences, On}, {C::ChangeFormat, On}, {C::Export, On},
};

constexpr ControlChange kRecordingStarted[] = {
    {C::RecordingFormat, Off}, {C::New, Off}, {C::Open, Off}, {C::LoadFrom, Off}, {C::Save, Off}, {C::SaveAs, Off},
    {C::Export, Off}, {C::BatchExport, Off}, {C::Play, Off}, {C::PlayFromStart, Off}, {C::SkipBack, Off},
    {C::SkipForward, Off},
    {C::Stop, On},
    {C::Preferences, Off}, {C::ChangeFormat, Off},
};

// The items that recording took away come back.
constexpr ControlChange kRecordingEnded[] = {
    {C::RecordingFormat, On}, {C::New, On}, {C::Open, On}, {C::LoadFrom, On}, {C::Save, On}, {C::SaveAs, On},
    {C::Export, On}, {C::BatchExport, On}, {C::Play, On}, {C::PlayFromStart, On}, {C::SkipBack, On},
    {C::SkipForward, On}, {C::Preferences, On}, {C::ChangeFormat, On},
    {C::Stop, Off},
};

constexpr ControlChange kSelectionNotEmpty[] = {
    {C::Cut, On}, {C::Copy, On}, {C::Crop, On}, {C::CutToFile, On}, {C::CopyToFile, On}, {C::SelectAll, On},
    {C::SelectNone, On}, {C::Clear, On},
};

constexpr ControlChange kSelectionEmpty[] = {
    {C::Cut, Off}, {C::Copy, Off}, {C::Crop, Off}, {C::CutToFile, Off}, {C::CopyToFile, Off}, {C::SelectNone, Off},
    {C::Clear, Off},
};

using S = ControlState;
constexpr ControlStateRow kTable[] = {
    {S::NoDocument, false, S::NoDocument, kNoDocument},
    {S::EmptyDocument, true, S::NoDocument, kEmptyDocument},
    {S::DocumentWithAudio, false, S::NoDocument, kDocumentWithAudio},
    {S::PlaybackStarted, false, S::NoDocument, kPlaybackStarted},
    {S::PlaybackStopped, false, S::NoDocument, kPlaybackStopped},
    {S::RecordingStarted, false, S::NoDocument, kRecordingStarted},
    {S::RecordingEnded, true, S::DocumentWithAudio, kRecordingEnded},
    {S::LevelTestStarted, false, S::NoDocument, {}},
    {S::LevelTestStopped, false, S::NoDocument, {}},
    {S::SelectionNotEmpty, false, S::NoDocument, kSelectionNotEmpty},
    {S::SelectionEmpty, false, S::NoDocument, kSelectionEmpty},
    {S::FormatChanged, true, S::DocumentWithAudio, kEmptyDocument},
};

void applyChange(ControlPanel& panel, const ControlChange& change)
{
    ControlStatus& status = panel[change.control];
    switch (change.change) {
    case Change::Enable: status.enabled = true; break;
    case Change::Disable: status.enabled = false; break;
    case Change::Show: status.visible = true; break;
    case Change::Hide: status.visible = false; break;
    }
}

void applySelection(ControlPanel& panel, const DocumentControlsInput& input)
{
    SetControlState(panel, input.selectionEmpty ? S::SelectionEmpty : S::SelectionNotEmpty, input.playingOrPaused);
}

void applyUndoRedoPaste(ControlPanel& panel, const DocumentControlsInput& input)
{
    panel.setEnabled(C::Undo, input.undoAvailable);
    panel.setEnabled(C::Redo, input.redoAvailable);
    panel.setEnabled(C::Paste, input.canPaste);
}

} // namespace

std::span<const ControlStateRow> controlStateTable()
{
    return kTable;
}

void SetControlState(ControlPanel& panel, ControlState state, bool playingOrPaused)
{
    if (playingOrPaused && (state == S::SelectionNotEmpty || state == S::SelectionEmpty))
        return;
    const auto row =
        std::find_if(std::begin(kTable), std::end(kTable), [&](const auto& r) { return r.state == state; });
    if (row == std::end(kTable))
        return;
    if (row->hasBase)
        SetControlState(panel, row->base, playingOrPaused);
    for (const ControlChange& change : row->changes)
        applyChange(panel, change);
}

void UpdateDocumentControls(ControlPanel& panel, const DocumentControlsInput& input)
{
    const TDocumentRecord* document = input.document;
    if (!document) {
        SetControlState(panel, S::NoDocument);
        return;
    }
    switch (document->saveState) {
    case SaveState::Modified:
        SetControlState(panel, S::DocumentWithAudio);
        panel.setEnabled(C::Save, true);
        panel.setEnabled(C::Revert, true);
        applySelection(panel, input);
        applyUndoRedoPaste(panel, input);
        return;
    case SaveState::Untitled:
        if (document->isEmpty()) {
            SetControlState(panel, S::EmptyDocument);
            // Nothing to export yet.
            panel.setEnabled(C::Export, false);
            applyUndoRedoPaste(panel, input);
            return;
        }
        // Save stays offered after the state, which itself takes Save away.
        SetControlState(panel, S::DocumentWithAudio);
        panel.setEnabled(C::Save, true);
        panel.setEnabled(C::Revert, false);
        applySelection(panel, input);
        applyUndoRedoPaste(panel, input);
        return;
    case SaveState::Unchanged:
    case SaveState::None:
        SetControlState(panel, S::DocumentWithAudio);
        // There is nothing to revert to before a change.
        panel.setEnabled(C::Revert, false);
        applySelection(panel, input);
        return;
    }
}

bool documentClickSelects(int index, int currentIndex, bool recording)
{
    return !recording && index != currentIndex;
}

void afterDocumentButtonSelect(ControlPanel& panel, const TDocumentRecord& document)
{
    panel.setEnabled(C::Export, !document.isEmpty());
    panel.setEnabled(C::Revert, document.saveState == SaveState::Modified);
}
