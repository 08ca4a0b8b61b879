// The recording window's control states. Each row of the table below is written out by hand from
// the window's documented behaviour, control by control, and the code's rows are compared with it
// by name; the scenarios then run whole roads (load, record, play, stop) on the control panel.
#include "recorder/SetControlState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>

using namespace recorder;

namespace {

// The groups, as documented.
const std::string kZoom = " ViewZoomInMenu ViewZoomOutMenu ViewZoomToExtentsMenu ZoomInButton ZoomOutButton"
                          " ZoomToExtentsButton ";
const std::string kAllPlaybackMenus = " PlaybackVoiceTrackMenu PlaybackMixedTrackMenu PlaybackMusicTrackMenu"
                                      " PlaybackPauseMenu PlaybackStopMenu PlaybackSkipToStartMenu"
                                      " PlaybackSkipToEndMenu PlaybackRewindMenu PlaybackFastForwardMenu ";
const std::string kPads = " CurrentMusicTrackPlaybackCoolButton StopAllTracksCoolButton ";
const std::string kNote1 = " FileOpenMenu OpenVoiceTrack OpenMusicTrack FileLaunchEditorMenu OpenConversationMenu"
                           " RecordVoIPConversation OpenInEditor WelcomeScreen LaunchXVQOption UploadButton ";
const std::string kNote2Disabled = " FileNewMenu FilePreferencesMenu FileMixDownToNewFileMenu FileSaveMusicTrackMenu"
                                   " FileSaveVoiceTrackMenu FileCloseMenu" + kZoom +
                                   " PlaybackVoiceTrackMenu PlaybackMixedTrackMenu PlaybackMusicTrackMenu"
                                   " PlaybackSkipToStartMenu PlaybackSkipToEndMenu PreRecordedPlayBtn MixedPlayBtn"
                                   " RecordingPlayBtn SkipToStartBtn SkipToEndBtn ReMixButton MixDownToNewFileButton"
                                   " SaveMusicTrackButton SaveVoiceTrackButton EditMusicTrackCoolButton"
                                   " EditMusicTrackMenu EditVoiceTrackCoolButton EditVoiceTrackMenu EffectsTreeView ";

struct Expected {
    ControlState state;
    ControlStateContext context;
    std::string first;    // "state N", "layout N" or empty
    std::string enabled;  // objectNames
    std::string disabled;
    std::string other;    // PositionMaskEdit readOnly|editable, Name=value, Name"caption", Name down, applyFader
};

ControlStateContext ctx(bool voice, bool music, bool voiceRec = false, bool musicRec = false, bool remix = false)
{
    return {voice, music, voiceRec, musicRec, remix};
}

std::vector<Expected> expectedTable()
{
    const std::string state1Disabled =
        " FileMixDownToNewFileMenu MixDownToNewFileButton FileSaveMusicTrackMenu SaveMusicTrackButton"
        " FileSaveVoiceTrackMenu SaveVoiceTrackButton FileCloseMenu" + kZoom + kAllPlaybackMenus +
        " PreRecordedPlayBtn MixedPlayBtn RecordingPlayBtn PauseBtn StopBtn SkipToStartBtn SkipToEndBtn RewindBtn"
        " ForwardBtn FadeInMenu FadeOutMenu EditVoiceTrackCoolButton EditVoiceTrackMenu EditMusicTrackCoolButton"
        " EditMusicTrackMenu EditMixTrackCoolButton EditMixedTrackMenu" + kPads + " CurrentPositionTrackBar";
    const std::string playingDisabled =
        " FileNewMenu FileCloseMenu FilePreferencesMenu PlaybackVoiceTrackMenu PreRecordedPlayBtn"
        " StartStopRecordingButton VoiceRecordButton MusicRecordButton ReMixButton EditMusicTrackCoolButton"
        " EditMusicTrackMenu EditVoiceTrackCoolButton EditVoiceTrackMenu" + kPads + " CurrentPositionTrackBar" + kNote1;
    const std::string playingTransport = " PlaybackPauseMenu PlaybackFastForwardMenu PlaybackRewindMenu PauseBtn"
                                         " RewindBtn ForwardBtn ";
    const std::string musicFiles = " FileMixDownToNewFileMenu MixDownToNewFileButton FileSaveMusicTrackMenu"
                                   " FileSaveVoiceTrackMenu SaveMusicTrackButton SaveVoiceTrackButton ";
    const std::string skips = " PlaybackSkipToStartMenu PlaybackSkipToEndMenu SkipToStartBtn SkipToEndBtn ";
    const std::string stoppedBase = " FileNewMenu FileCloseMenu FilePreferencesMenu PlaybackVoiceTrackMenu"
                                    " PlaybackSkipToEndMenu PlaybackSkipToStartMenu SkipToStartBtn SkipToEndBtn"
                                    " CurrentPositionTrackBar RecordingRightVolumeTrackBar OpenConversationMenu" +
                                    kNote1;
    const std::string recordButtons = " StartStopRecordingButton VoiceRecordButton MusicRecordButton ReMixButton ";
    const std::string voiceItems = " PreRecordedPlayBtn EditVoiceTrackCoolButton EditVoiceTrackMenu"
                                   " SaveVoiceTrackButton FileSaveVoiceTrackMenu ";
    const std::string musicItems = " FileSaveMusicTrackMenu SaveMusicTrackButton EditMusicTrackCoolButton"
                                   " EditMusicTrackMenu ";
    const std::string mixItems = " FileMixDownToNewFileMenu MixDownToNewFileButton MixedPlayBtn ";
    const std::string stoppedDisabled = " PlaybackPauseMenu PlaybackStopMenu PlaybackFastForwardMenu"
                                        " PlaybackRewindMenu PauseBtn StopBtn RewindBtn ForwardBtn" + kPads;
    const std::string stoppedOther = "RecordingRightVolumeTrackBar=0 applyFader PositionMaskEdit editable";

    return {
        {ControlState::NoTrack, ctx(false, false), "",
         "FileNewMenu FilePreferencesMenu FileExitMenu ViewPositionDisplaysMenu ViewSetColorsMenu"
         " StartStopRecordingButton VoiceRecordButton MusicRecordButton RecSourceButton ReMixButton"
         " EffectsTreeView LoadMusicList",
         state1Disabled,
         "PositionMaskEdit readOnly PreRecordedWaveDisplay\"Voice Track Space.\""
         " RecordingWaveDisplay\"Music Track Space.\" RecordingRightVolumeTrackBar=0 applyFader"},
        {ControlState::VoiceTrack, ctx(true, false), "state 1",
         "FileCloseMenu" + kZoom + "PlaybackVoiceTrackMenu PlaybackSkipToStartMenu PlaybackSkipToEndMenu"
         " PreRecordedPlayBtn SkipToStartBtn SkipToEndBtn EditVoiceTrackCoolButton EditVoiceTrackMenu"
         " CurrentPositionTrackBar EffectsTreeView LoadMusicList" + kNote1,
         "FadeInMenu FadeOutMenu" + kPads + "EditMusicTrackCoolButton EditMusicTrackMenu",
         "PositionMaskEdit editable"},
        {ControlState::BothTracks, ctx(true, true), "layout 2",
         musicFiles + "PlaybackMixedTrackMenu PlaybackMusicTrackMenu MixedPlayBtn RecordingPlayBtn"
         " EditMusicTrackCoolButton EditMusicTrackMenu EditVoiceTrackCoolButton EditVoiceTrackMenu FadeInMenu"
         " FadeOutMenu VoiceRecordButton MusicRecordButton ReMixButton EffectsTreeView LoadMusicList" + kNote1,
         kPads + "PauseRecordingButton", ""},
        // playing: with or without the music track, a plain or a re-mix playback
        {ControlState::Playing, ctx(true, false), "", "PlaybackStopMenu StopBtn" + playingTransport,
         playingDisabled + " RecordingRightVolumeTrackBar", "PositionMaskEdit editable"},
        {ControlState::Playing, ctx(true, true), "", "PlaybackStopMenu StopBtn" + playingTransport,
         playingDisabled + " RecordingRightVolumeTrackBar" + musicFiles, "PositionMaskEdit editable"},
        {ControlState::Playing, ctx(true, true, false, false, true), "", "PlaybackStopMenu StopBtn",
         playingDisabled + musicFiles + skips, "PositionMaskEdit editable"},
        {ControlState::Playing, ctx(false, true), "", "PlaybackStopMenu StopBtn" + playingTransport,
         playingDisabled + " RecordingRightVolumeTrackBar" + musicFiles, "PositionMaskEdit editable"},
        // stopped: each combination of tracks, and a library still recording
        {ControlState::PlaybackStopped, ctx(false, false), "", stoppedBase + recordButtons, stoppedDisabled,
         stoppedOther},
        {ControlState::PlaybackStopped, ctx(true, false), "", stoppedBase + recordButtons + voiceItems,
         stoppedDisabled, stoppedOther},
        {ControlState::PlaybackStopped, ctx(false, true), "", stoppedBase + recordButtons + musicItems,
         stoppedDisabled, stoppedOther},
        {ControlState::PlaybackStopped, ctx(true, true), "",
         stoppedBase + recordButtons + voiceItems + musicItems + mixItems, stoppedDisabled, stoppedOther},
        {ControlState::PlaybackStopped, ctx(true, true, true, false), "",
         stoppedBase + voiceItems + musicItems + mixItems, stoppedDisabled, stoppedOther},
        {ControlState::PlaybackStopped, ctx(true, true, false, true), "",
         stoppedBase + voiceItems + musicItems + mixItems, stoppedDisabled, stoppedOther},
        {ControlState::RecordingBoth, ctx(false, false), "",
         "PauseRecordingButton CurrentMusicTrackPlaybackCoolButton",
         kNote2Disabled + "VoiceRecordButton MusicRecordButton LoadMusicList" + kNote1,
         "PositionMaskEdit readOnly StartStopRecordingButton down StartStopRecordingButton\"Stop Record\""
         " VoiceVolumeSlider=0 MusicVolumeSlider=0"},
        {ControlState::VoiceWithoutMusic, ctx(true, false), "layout 2",
         "FileSaveVoiceTrackMenu SaveVoiceTrackButton PlaybackVoiceTrackMenu PreRecordedPlayBtn"
         " EditVoiceTrackCoolButton EditVoiceTrackMenu FadeInMenu FadeOutMenu VoiceRecordButton MusicRecordButton"
         " ReMixButton EffectsTreeView LoadMusicList" + kNote1,
         kPads + "PauseRecordingButton", ""},
        {ControlState::MusicWithoutVoice, ctx(false, true), "layout 14",
         "FileNewMenu FileSaveMusicTrackMenu SaveMusicTrackButton FileCloseMenu FilePreferencesMenu FileExitMenu" +
             kZoom + "PlaybackMusicTrackMenu PlaybackSkipToStartMenu PlaybackSkipToEndMenu RecordingPlayBtn"
             " SkipToStartBtn SkipToEndBtn EditMusicTrackCoolButton EditMusicTrackMenu FadeInMenu FadeOutMenu"
             " VoiceRecordButton MusicRecordButton ReMixButton CurrentPositionTrackBar EffectsTreeView"
             " LoadMusicList" + kNote1,
         kPads + "PauseRecordingButton", "PositionMaskEdit editable"},
        {ControlState::RecordingMusic, ctx(true, false), "", "CurrentMusicTrackPlaybackCoolButton",
         kNote2Disabled + "VoiceRecordButton LoadMusicList" + kNote1, "PositionMaskEdit readOnly MusicVolumeSlider=0"},
        {ControlState::RecordingVoice, ctx(false, true), "", "CurrentMusicTrackPlaybackCoolButton",
         kNote2Disabled + "MusicRecordButton LoadMusicList" + kNote1, "PositionMaskEdit readOnly VoiceVolumeSlider=0"},
    };
}

std::set<std::string> words(const std::string& text)
{
    std::set<std::string> out;
    std::istringstream in(text);
    for (std::string w; in >> w;)
        out.insert(w);
    return out;
}

// A row as the same notation as the expected table; a control switched both ways in one row is
// reported, so that the order of its changes never decides a state.
struct Rendered {
    std::string first;
    std::set<std::string> enabled, disabled, other;
    std::set<std::string> switchedBothWays;
};

Rendered render(const ControlStateRow& row)
{
    Rendered r;
    if (row.firstState)
        r.first = "state " + std::to_string(int(*row.firstState));
    else if (row.firstLayout)
        r.first = "layout " + std::to_string(row.firstLayout);
    if (row.applyFader)
        r.other.insert("applyFader");
    for (const auto& [control, change] : row.changes) {
        const std::string name(controlName(control));
        if (change.enabled)
            (*change.enabled ? r.enabled : r.disabled).insert(name);
        if (change.readOnly)
            r.other.insert(name + (*change.readOnly ? " readOnly" : " editable"));
        if (change.down)
            r.other.insert(name + (*change.down ? " down" : " up"));
        if (change.caption)
            r.other.insert(name + "\"" + change.caption->toStdString() + "\"");
        if (change.value)
            r.other.insert(name + "=" + std::to_string(*change.value));
    }
    for (const std::string& name : r.enabled) {
        if (r.disabled.count(name))
            r.switchedBothWays.insert(name);
    }
    return r;
}

// Splits the "other" notation, where a name and its effect are two words.
std::set<std::string> others(const std::string& text)
{
    std::set<std::string> out;
    std::istringstream in(text);
    for (std::string w; in >> w;) {
        if (w == "applyFader" || w.find('=') != std::string::npos) {
            out.insert(w);
            continue;
        }
        if (const auto quote = w.find('"'); quote != std::string::npos) {
            std::string caption = w;
            while (std::count(caption.begin(), caption.end(), '"') < 2) {
                std::string more;
                in >> more;
                caption += " " + more;
            }
            out.insert(caption);
            continue;
        }
        std::string effect;
        in >> effect;
        out.insert(w + " " + effect);
    }
    return out;
}

std::string describe(const Expected& e)
{
    std::ostringstream s;
    s << "state " << int(e.state) << " voice " << e.context.voiceTrack << " music " << e.context.musicTrack
      << " voiceRec " << e.context.voiceRecording << " musicRec " << e.context.musicRecording << " remix "
      << e.context.remixPlayback;
    return s.str();
}

TEST(SetControlState, EveryRowMatchesTheDocumentedTable)
{
    std::set<ControlState> covered;
    for (const Expected& e : expectedTable()) {
        SCOPED_TRACE(describe(e));
        covered.insert(e.state);
        const Rendered r = render(controlStateRow(e.state, e.context));
        EXPECT_EQ(r.first, e.first);
        EXPECT_EQ(r.enabled, words(e.enabled));
        EXPECT_EQ(r.disabled, words(e.disabled));
        EXPECT_EQ(r.other, others(e.other));
        EXPECT_TRUE(r.switchedBothWays.empty()) << *r.switchedBothWays.begin();
    }
    EXPECT_EQ(covered.size(), kControlStates.size());
}

TEST(SetControlState, RowsThatDoNotDependOnTheWindowIgnoreIt)
{
    const ControlStateContext contexts[] = {ctx(false, false), ctx(true, true, true, true, true)};
    for (const ControlState state : {ControlState::NoTrack, ControlState::VoiceTrack, ControlState::BothTracks,
                                     ControlState::RecordingBoth, ControlState::VoiceWithoutMusic,
                                     ControlState::MusicWithoutVoice, ControlState::RecordingMusic,
                                     ControlState::RecordingVoice}) {
        SCOPED_TRACE(int(state));
        const Rendered a = render(controlStateRow(state, contexts[0]));
        const Rendered b = render(controlStateRow(state, contexts[1]));
        EXPECT_EQ(a.enabled, b.enabled);
        EXPECT_EQ(a.disabled, b.disabled);
        EXPECT_EQ(a.other, b.other);
    }
}

TEST(SetControlState, OpenGroupFollowsItsNote)
{
    const std::set<std::string> group = words(kNote1);
    const struct {
        ControlState state;
        bool enabled;
    } cases[] = {
        {ControlState::VoiceTrack, true},       {ControlState::BothTracks, true},
        {ControlState::VoiceWithoutMusic, true}, {ControlState::MusicWithoutVoice, true},
        {ControlState::Playing, false},         {ControlState::RecordingBoth, false},
        {ControlState::RecordingMusic, false},  {ControlState::RecordingVoice, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.state));
        const Rendered r = render(controlStateRow(c.state, ctx(true, true)));
        const std::set<std::string>& side = c.enabled ? r.enabled : r.disabled;
        for (const std::string& name : group)
            EXPECT_TRUE(side.count(name)) << name;
    }
}

TEST(SetControlState, NamesAreUniqueAndFindTheirControl)
{
    std::set<std::string_view> seen;
    for (int i = 0; i < kControlCount; ++i) {
        const Control control = Control(i);
        const std::string_view name = controlName(control);
        EXPECT_FALSE(name.empty());
        EXPECT_TRUE(seen.insert(name).second) << name;
        EXPECT_EQ(controlByName(name), control) << name;
    }
    EXPECT_EQ(controlByName("NoSuchControl"), std::nullopt);
    EXPECT_EQ(controlName(Control::PositionMaskEdit), "PositionMaskEdit");
    EXPECT_EQ(controlName(Control::StartStopRecordingButton), "StartStopRecordingButton");
}

TEST(SetControlState, OnlyLayoutTwoRunsAState)
{
    EXPECT_EQ(layoutControlState(2), ControlState::VoiceTrack);
    EXPECT_EQ(layoutControlState(14), std::nullopt);
    EXPECT_EQ(layoutControlState(0), std::nullopt);
}

// Whole roads on the panel: the state each control ends in after a series of states.
struct Scenario {
    const char* name;
    std::vector<std::pair<ControlState, ControlStateContext>> steps;
    std::map<std::string, bool> enabled; // objectName -> expected enabled
    std::map<std::string, std::string> other; // objectName -> "readOnly", "editable", "down", "=N", caption
};

TEST(SetControlState, ScenariosEndWithTheControlsTheUserExpects)
{
    const Scenario scenarios[] = {
        {"voice track loaded: 13 runs layout 2, which runs 2, which runs 1 first",
         {{ControlState::VoiceWithoutMusic, ctx(true, false)}},
         {{"FadeInMenu", true}, {"PreRecordedPlayBtn", true}, {"MixedPlayBtn", false}, {"RecordingPlayBtn", false},
          {"CurrentPositionTrackBar", true}, {"FileCloseMenu", true}, {"ZoomInButton", true},
          {"EditMusicTrackCoolButton", false}, {"StopAllTracksCoolButton", false}, {"UploadButton", true},
          {"FileMixDownToNewFileMenu", false}, {"StartStopRecordingButton", true}},
         {{"PositionMaskEdit", "editable"}, {"RecordingRightVolumeTrackBar", "=0"},
          {"PreRecordedWaveDisplay", "Voice Track Space."}}},
        {"both tracks, then a plain playback",
         {{ControlState::BothTracks, ctx(true, true)}, {ControlState::Playing, ctx(true, true)}},
         {{"PauseBtn", true}, {"RewindBtn", true}, {"StopBtn", true}, {"StartStopRecordingButton", false},
          {"RecordingRightVolumeTrackBar", false}, {"MixDownToNewFileButton", false}, {"MixedPlayBtn", true},
          {"SkipToEndBtn", true}, {"OpenVoiceTrack", false}, {"CurrentPositionTrackBar", false}},
         {{"PositionMaskEdit", "editable"}}},
        {"both tracks, then the Mix button's playback keeps the fader and drops the skips",
         {{ControlState::BothTracks, ctx(true, true)}, {ControlState::Playing, ctx(true, true, false, false, true)}},
         {{"RecordingRightVolumeTrackBar", true}, {"SkipToStartBtn", false}, {"PlaybackSkipToEndMenu", false},
          {"PauseBtn", false}, {"StopBtn", true}},
         {}},
        {"playback stopped while the music-track library records keeps recording off",
         {{ControlState::BothTracks, ctx(true, true)}, {ControlState::Playing, ctx(true, true)},
          {ControlState::PlaybackStopped, ctx(true, true, false, true)}},
         {{"VoiceRecordButton", false}, {"ReMixButton", false}, {"MixedPlayBtn", true}, {"PauseBtn", false},
          {"RecordingRightVolumeTrackBar", true}, {"OpenMusicTrack", true}},
         {{"RecordingRightVolumeTrackBar", "=0"}}},
        {"voice and music recording over an empty window",
         {{ControlState::NoTrack, ctx(false, false)}, {ControlState::RecordingBoth, ctx(false, false)}},
         {{"PauseRecordingButton", true}, {"CurrentMusicTrackPlaybackCoolButton", true},
          {"StartStopRecordingButton", true}, {"VoiceRecordButton", false}, {"FileNewMenu", false},
          {"EffectsTreeView", false}, {"LoadMusicList", false}, {"FileExitMenu", true}},
         {{"PositionMaskEdit", "readOnly"}, {"StartStopRecordingButton", "down"},
          {"VoiceVolumeSlider", "=0"}, {"MusicVolumeSlider", "=0"}}},
        {"voice recording over a music track",
         {{ControlState::MusicWithoutVoice, ctx(false, true)}, {ControlState::RecordingVoice, ctx(false, true)}},
         {{"MusicRecordButton", false}, {"VoiceRecordButton", true}, {"RecordingPlayBtn", false},
          {"CurrentMusicTrackPlaybackCoolButton", true}, {"StopAllTracksCoolButton", false}},
         {{"PositionMaskEdit", "readOnly"}}},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        ControlPanel panel;
        for (const auto& [state, context] : s.steps)
            panel.setControlState(state, context);
        for (const auto& [name, enabled] : s.enabled) {
            const auto control = controlByName(name);
            ASSERT_TRUE(control) << name;
            EXPECT_EQ(panel[*control].enabled, enabled) << name;
        }
        for (const auto& [name, expected] : s.other) {
            const auto control = controlByName(name);
            ASSERT_TRUE(control) << name;
            const ControlValue& v = panel[*control];
            if (expected == "readOnly" || expected == "editable")
                EXPECT_EQ(v.readOnly, expected == "readOnly") << name;
            else if (expected == "down")
                EXPECT_TRUE(v.down) << name;
            else if (expected.front() == '=')
                EXPECT_EQ(v.value, std::stoi(expected.substr(1))) << name;
            else
                EXPECT_EQ(v.caption.toStdString(), expected) << name;
        }
    }
}

TEST(SetControlState, ARecordingStateKeepsWhatItsRowDoesNotList)
{
    ControlPanel panel;
    panel.setControlState(ControlState::BothTracks, ctx(true, true));
    panel.setControlState(ControlState::Playing, ctx(true, true));
    const ControlValue stopBefore = panel[Control::StopBtn];
    const ControlValue exitBefore = panel[Control::FileExitMenu];
    panel.setControlState(ControlState::RecordingMusic, ctx(true, true));
    EXPECT_EQ(panel[Control::StopBtn], stopBefore);
    EXPECT_EQ(panel[Control::FileExitMenu], exitBefore);
}

} // namespace
