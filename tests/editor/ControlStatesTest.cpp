#include "editor/ControlStates.h"

#include <gtest/gtest.h>

#include <set>

using C = Control;
using S = ControlState;

namespace {

ControlPanel allOn()
{
    return ControlPanel{};
}

ControlPanel allOff()
{
    ControlPanel panel;
    for (ControlStatus& status : panel.controls)
        status = {false, false};
    return panel;
}

std::set<Control> enabledIn(const ControlPanel& panel)
{
    std::set<Control> on;
    for (int i = 0; i < kControlCount; ++i)
        if (panel.controls[size_t(i)].enabled)
            on.insert(Control(i));
    return on;
}

std::set<Control> everyControl()
{
    std::set<Control> all;
    for (int i = 0; i < kControlCount; ++i)
        all.insert(Control(i));
    return all;
}

std::set<Control> without(std::set<Control> set, std::initializer_list<Control> removed)
{
    for (Control c : removed)
        set.erase(c);
    return set;
}

} // namespace

// The table as a whole: every state has one row, a base is a row without a base of its own, and no
// row names a control twice (which would make its order matter).
TEST(ControlStates, TableIsWellFormed)
{
    std::set<int> states;
    for (const ControlStateRow& row : controlStateTable()) {
        SCOPED_TRACE(int(row.state));
        EXPECT_TRUE(states.insert(int(row.state)).second);
        if (row.hasBase) {
            const auto base = std::find_if(controlStateTable().begin(), controlStateTable().end(),
                                           [&](const auto& r) { return r.state == row.base; });
            ASSERT_NE(base, controlStateTable().end());
            EXPECT_FALSE(base->hasBase);
        }
        std::set<Control> named;
        for (const ControlChange& change : row.changes)
            EXPECT_TRUE(named.insert(change.control).second) << int(change.control);
    }
    EXPECT_EQ(states, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

// Each state applied over a panel with everything on and over one with everything off: what it
// leaves on tells what it enables, what it leaves off tells what it disables.
TEST(ControlStates, EachStateSwitchesItsControls)
{
    const std::set<Control> all = everyControl();
    const std::set<Control> selectionItems = {C::Cut, C::Copy, C::Crop, C::CutToFile, C::CopyToFile, C::SelectNone,
                                              C::Clear};
    const std::set<Control> noDocumentOff = without(
        all, {C::New, C::Open, C::LoadFrom, C::InsertSilence, C::Preferences, C::Record, C::AppRecord,
              C::RecordingFormat, C::SaveAsPodcast, C::UploadPodcast, C::Pause});
    const std::set<Control> emptyDocumentOn = {C::New, C::Open, C::LoadFrom, C::Save, C::SaveAs, C::Export, C::Close,
                                               C::CloseAll, C::InsertSilence, C::RecordingFormat, C::BatchExport,
                                               C::EffectsItems, C::EffectsPopupItems, C::ToolsItems};
    const std::set<Control> audioOn = {C::Close, C::CloseAll, C::SaveAs, C::Export, C::BatchExport, C::SelectAll,
                                       C::Mute, C::InsertSilence, C::TrimSilence, C::ChangeFormat, C::ViewItems,
                                       C::EffectsItems, C::EffectsPopupItems, C::ToolsItems, C::Play,
                                       C::PlayFromStart, C::SkipBack, C::SkipForward};
    const std::set<Control> audioOff = {C::Save, C::SelectNone, C::Undo, C::Redo};
    const std::set<Control> recordingOff = {C::RecordingFormat, C::New, C::Open, C::LoadFrom, C::Save, C::SaveAs,
                                            C::Export, C::BatchExport, C::Play, C::PlayFromStart, C::SkipBack,
                                            C::SkipForward, C::Preferences, C::ChangeFormat};

    struct Case {
        ControlState state;
        std::set<Control> onFromOff;  // enabled when applied over everything off
        std::set<Control> offFromOn;  // disabled when applied over everything on
    };
    std::set<Control> recordingEndedOn = audioOn;
    recordingEndedOn.insert(recordingOff.begin(), recordingOff.end());
    std::set<Control> formatChangedOn = audioOn;
    formatChangedOn.insert({C::Save, C::RecordingFormat});
    const Case cases[] = {
        {S::NoDocument, {C::New, C::Open, C::LoadFrom}, noDocumentOff},
        {S::EmptyDocument, emptyDocumentOn, without(noDocumentOff, {C::Save, C::SaveAs, C::Export, C::Close,
                                                                     C::CloseAll, C::BatchExport, C::EffectsItems,
                                                                     C::EffectsPopupItems, C::ToolsItems})},
        {S::DocumentWithAudio, audioOn, audioOff},
        {S::PlaybackStarted, {C::Stop, C::Rewind, C::Forward, C::SkipBack, C::SkipForward},
         {C::Play, C::PlayFromStart, C::Record, C::AppRecord, C::RecordingFormat, C::Preferences, C::ChangeFormat,
          C::Export, C::SaveAsPodcast, C::UploadPodcast}},
        {S::PlaybackStopped, {C::Play, C::PlayFromStart, C::SkipBack, C::SkipForward, C::Record, C::AppRecord,
                              C::RecordingFormat, C::Preferences, C::ChangeFormat, C::Export},
         {C::Stop, C::Rewind, C::Forward}},
        {S::RecordingStarted, {C::Stop}, recordingOff},
        {S::RecordingEnded, recordingEndedOn, {C::SelectNone, C::Undo, C::Redo, C::Stop}},
        {S::LevelTestStarted, {}, {}},
        {S::LevelTestStopped, {}, {}},
        {S::SelectionNotEmpty, {C::Cut, C::Copy, C::Crop, C::CutToFile, C::CopyToFile, C::SelectAll, C::SelectNone,
                                C::Clear},
         {}},
        {S::SelectionEmpty, {}, selectionItems},
        {S::FormatChanged, [&] {
             std::set<Control> on = audioOn;
             on.insert(emptyDocumentOn.begin(), emptyDocumentOn.end());
             for (Control c : {C::New, C::Open, C::LoadFrom})
                 on.erase(c);
             return on;
         }(),
         {C::SelectNone, C::Undo, C::Redo}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.state));
        ControlPanel fromOff = allOff();
        SetControlState(fromOff, c.state);
        EXPECT_EQ(enabledIn(fromOff), c.onFromOff);
        ControlPanel fromOn = allOn();
        SetControlState(fromOn, c.state);
        std::set<Control> off;
        for (Control control : all)
            if (!fromOn.enabled(control))
                off.insert(control);
        EXPECT_EQ(off, c.offFromOn);
        // Only the states that take every document command away hide Pause.
        const bool hidesPause = c.state == S::NoDocument || c.state == S::EmptyDocument;
        EXPECT_EQ(fromOn[C::Pause].visible, !hidesPause);
    }
}

TEST(ControlStates, RecordingEndedGivesBackWhatRecordingTook)
{
    ControlPanel panel;
    SetControlState(panel, S::DocumentWithAudio);
    SetControlState(panel, S::RecordingStarted);
    EXPECT_TRUE(panel.enabled(C::Stop));
    SetControlState(panel, S::RecordingEnded);
    for (Control c : {C::New, C::Open, C::Save, C::SaveAs, C::Export, C::Play, C::Preferences, C::RecordingFormat})
        EXPECT_TRUE(panel.enabled(c)) << int(c);
    EXPECT_FALSE(panel.enabled(C::Stop));
}

TEST(ControlStates, SelectionStatesWaitWhilePlaying)
{
    for (ControlState state : {S::SelectionEmpty, S::SelectionNotEmpty}) {
        for (ControlPanel start : {allOn(), allOff()}) {
            ControlPanel panel = start;
            SetControlState(panel, state, true);
            EXPECT_EQ(panel, start) << int(state);
        }
    }
    ControlPanel panel = allOff();
    SetControlState(panel, S::SelectionNotEmpty, false);
    EXPECT_TRUE(panel.enabled(C::Cut));
}

// The menus after a document was selected, edited or saved: one row per situation.
TEST(ControlStates, DocumentControlsFollowTheDocument)
{
    enum Doc { NoDoc, EmptyUntitled, AudioUntitled, AudioModified, AudioUnchanged };
    struct Case {
        Doc doc;
        bool selectionEmpty;
        bool undo, redo, paste;
        bool playing;
        std::set<Control> on; // among the controls checked below
    };
    const std::set<Control> checked = {C::Save, C::Revert, C::Export, C::Undo, C::Redo, C::Paste, C::Cut,
                                       C::SelectNone, C::SelectAll, C::Play, C::InsertSilence, C::Close, C::New};
    const Case cases[] = {
        {NoDoc, true, true, true, true, false, {C::New, C::InsertSilence}},
        {EmptyUntitled, true, true, false, true, false,
         {C::New, C::Save, C::Undo, C::Paste, C::InsertSilence, C::Close}},
        {EmptyUntitled, true, false, true, false, false, {C::New, C::Save, C::Redo, C::InsertSilence, C::Close}},
        {AudioUntitled, true, false, false, false, false,
         {C::New, C::Save, C::Export, C::SelectAll, C::Play, C::InsertSilence, C::Close}},
        {AudioUntitled, false, true, true, true, false,
         {C::New, C::Save, C::Export, C::Undo, C::Redo, C::Paste, C::Cut, C::SelectNone, C::SelectAll, C::Play,
          C::InsertSilence, C::Close}},
        {AudioModified, true, true, false, false, false,
         {C::New, C::Save, C::Revert, C::Export, C::Undo, C::SelectAll, C::Play, C::InsertSilence, C::Close}},
        {AudioModified, false, false, false, true, false,
         {C::New, C::Save, C::Revert, C::Export, C::Paste, C::Cut, C::SelectNone, C::SelectAll, C::Play,
          C::InsertSilence, C::Close}},
        // While playing the selection items keep what they had (here: the start, all on).
        {AudioModified, true, false, false, false, true,
         {C::New, C::Save, C::Revert, C::Export, C::Cut, C::SelectAll, C::Play, C::InsertSilence, C::Close}},
        // Unchanged: nothing to save or revert, undo and redo stay off whatever the files hold.
        {AudioUnchanged, true, true, true, true, false,
         {C::New, C::Export, C::Paste, C::SelectAll, C::Play, C::InsertSilence, C::Close}},
        {AudioUnchanged, false, false, false, false, false,
         {C::New, C::Export, C::Paste, C::Cut, C::SelectNone, C::SelectAll, C::Play, C::InsertSilence, C::Close}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.doc) * 1000 + c.selectionEmpty * 100 + c.undo * 10 + c.redo);
        TDocumentRecord document;
        document.info.lengthMs = c.doc == EmptyUntitled ? 0 : 1500;
        document.saveState = c.doc == AudioModified    ? SaveState::Modified
                             : c.doc == AudioUnchanged ? SaveState::Unchanged
                                                       : SaveState::Untitled;
        ControlPanel panel; // everything on, as a fresh window
        UpdateDocumentControls(panel, {c.doc == NoDoc ? nullptr : &document, c.selectionEmpty, c.undo, c.redo,
                                       c.paste, c.playing});
        std::set<Control> on;
        for (Control control : checked)
            if (panel.enabled(control))
                on.insert(control);
        EXPECT_EQ(on, c.on);
    }
}

TEST(ControlStates, DocumentButtonClicks)
{
    struct Case {
        int index;
        int current;
        bool recording;
        bool selects;
    };
    const Case cases[] = {{0, 0, false, false}, {1, 0, false, true}, {1, 0, true, false}, {0, -1, false, true}};
    for (const Case& c : cases)
        EXPECT_EQ(documentClickSelects(c.index, c.current, c.recording), c.selects)
            << c.index << " " << c.current << " " << c.recording;

    struct After {
        uint32_t lengthMs;
        SaveState save;
        bool exportOn;
        bool revertOn;
    };
    const After after[] = {
        {0, SaveState::Untitled, false, false},
        {0, SaveState::Modified, false, true},
        {10, SaveState::Modified, true, true},
        {10, SaveState::Unchanged, true, false},
        {10, SaveState::Untitled, true, false},
    };
    for (const After& a : after) {
        for (const ControlPanel& start : {allOn(), allOff()}) {
            ControlPanel panel = start;
            TDocumentRecord document;
            document.info.lengthMs = a.lengthMs;
            document.saveState = a.save;
            afterDocumentButtonSelect(panel, document);
            EXPECT_EQ(panel.enabled(C::Export), a.exportOn) << a.lengthMs << int(a.save);
            EXPECT_EQ(panel.enabled(C::Revert), a.revertOn) << a.lengthMs << int(a.save);
            // Nothing else changes.
            panel[C::Export] = start[C::Export];
            panel[C::Revert] = start[C::Revert];
            EXPECT_EQ(panel, start);
        }
    }
}
