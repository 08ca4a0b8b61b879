#include "recorder/SetControlState.h"

#include <initializer_list>

namespace recorder {

namespace {

using enum Control;

constexpr std::array<std::string_view, kControlCount> kNames = {
    "FileNewMenu",
    "FileCloseMenu",
    "FileSaveVoiceTrackMenu",
    "FileSaveMusicTrackMenu",
    "FileMixDownToNewFileMenu",
    "FilePreferencesMenu",
    "FileExitMenu",
    "FileOpenMenu",
    "OpenVoiceTrack",
    "OpenMusicTrack",
    "FileLaunchEditorMenu",
    "OpenConversationMenu",
    "RecordVoIPConversation",
    "OpenInEditor",
    "WelcomeScreen",
    "LaunchXVQOption",
    "UploadButton",
    "ViewZoomInMenu",
    "ViewZoomOutMenu",
    "ViewZoomToExtentsMenu",
    "ViewPositionDisplaysMenu",
    "ViewSetColorsMenu",
    "PlaybackVoiceTrackMenu",
    "PlaybackMixedTrackMenu",
    "PlaybackMusicTrackMenu",
    "PlaybackPauseMenu",
    "PlaybackStopMenu",
    "PlaybackSkipToStartMenu",
    "PlaybackSkipToEndMenu",
    "PlaybackRewindMenu",
    "PlaybackFastForwardMenu",
    "FadeInMenu",
    "FadeOutMenu",
    "EditVoiceTrackMenu",
    "EditMusicTrackMenu",
    "EditMixedTrackMenu",
    "EditVoiceTrackCoolButton",
    "EditMusicTrackCoolButton",
    "EditMixTrackCoolButton",
    "SaveVoiceTrackButton",
    "SaveMusicTrackButton",
    "MixDownToNewFileButton",
    "ZoomInButton",
    "ZoomOutButton",
    "ZoomToExtentsButton",
    "PreRecordedPlayBtn",
    "RecordingPlayBtn",
    "MixedPlayBtn",
    "PauseBtn",
    "StopBtn",
    "SkipToStartBtn",
    "SkipToEndBtn",
    "RewindBtn",
    "ForwardBtn",
    "StartStopRecordingButton",
    "VoiceRecordButton",
    "MusicRecordButton",
    "PauseRecordingButton",
    "RecSourceButton",
    "ReMixButton",
    "CurrentMusicTrackPlaybackCoolButton",
    "StopAllTracksCoolButton",
    "LoadMusicList",
    "EffectsTreeView",
    "CurrentPositionTrackBar",
    "PositionMaskEdit",
    "RecordingRightVolumeTrackBar",
    "VoiceVolumeSlider",
    "MusicVolumeSlider",
    "PreRecordedWaveDisplay",
    "RecordingWaveDisplay",
};

using Group = std::initializer_list<Control>;

constexpr Group kZoom = {ViewZoomInMenu, ViewZoomOutMenu, ViewZoomToExtentsMenu,
                         ZoomInButton,   ZoomOutButton,   ZoomToExtentsButton};

constexpr Group kPlaybackMenus = {PlaybackVoiceTrackMenu,  PlaybackMixedTrackMenu, PlaybackMusicTrackMenu,
                                  PlaybackPauseMenu,       PlaybackStopMenu,       PlaybackSkipToStartMenu,
                                  PlaybackSkipToEndMenu,   PlaybackRewindMenu,     PlaybackFastForwardMenu};

constexpr Group kPads = {CurrentMusicTrackPlaybackCoolButton, StopAllTracksCoolButton};

// Everything that opens, imports or hands over a file: enabled with a track, disabled while sound
// plays or is recorded.
constexpr Group kOpenGroup = {FileOpenMenu, OpenVoiceTrack, OpenMusicTrack, FileLaunchEditorMenu,
                              OpenConversationMenu, RecordVoIPConversation, OpenInEditor,
                              WelcomeScreen, LaunchXVQOption, UploadButton};

// What no recording may touch: the files, the tracks' playback and edits, the zoom and the effects.
constexpr Group kRecordingGroup = {
    FileNewMenu, FilePreferencesMenu, FileMixDownToNewFileMenu, FileSaveMusicTrackMenu, FileSaveVoiceTrackMenu,
    FileCloseMenu, ViewZoomInMenu, ViewZoomOutMenu, ViewZoomToExtentsMenu, ZoomInButton, ZoomOutButton,
    ZoomToExtentsButton, PlaybackVoiceTrackMenu, PlaybackMixedTrackMenu, PlaybackMusicTrackMenu,
    PlaybackSkipToStartMenu, PlaybackSkipToEndMenu, PreRecordedPlayBtn, MixedPlayBtn, RecordingPlayBtn,
    SkipToStartBtn, SkipToEndBtn, ReMixButton, MixDownToNewFileButton, SaveMusicTrackButton,
    SaveVoiceTrackButton, EditMusicTrackCoolButton, EditMusicTrackMenu, EditVoiceTrackCoolButton,
    EditVoiceTrackMenu, EffectsTreeView};

class RowBuilder {
public:
    RowBuilder& enable(Group controls, bool when = true) { return setEnabled(controls, true, when); }
    RowBuilder& disable(Group controls, bool when = true) { return setEnabled(controls, false, when); }
    RowBuilder& readOnly(bool value)
    {
        ControlChange change;
        change.readOnly = value;
        row.changes.emplace_back(PositionMaskEdit, change);
        return *this;
    }
    RowBuilder& value(Control control, int value)
    {
        ControlChange change;
        change.value = value;
        row.changes.emplace_back(control, change);
        return *this;
    }
    RowBuilder& caption(Control control, const QString& text)
    {
        ControlChange change;
        change.caption = text;
        row.changes.emplace_back(control, change);
        return *this;
    }
    RowBuilder& pressed(Control control, const QString& text)
    {
        ControlChange change;
        change.down = true;
        change.caption = text;
        row.changes.emplace_back(control, change);
        return *this;
    }

    ControlStateRow row;

private:
    RowBuilder& setEnabled(Group controls, bool enabled, bool when)
    {
        if (!when)
            return *this;
        for (const Control control : controls) {
            ControlChange change;
            change.enabled = enabled;
            row.changes.emplace_back(control, change);
        }
        return *this;
    }
};

// A recording disables the recording group and leaves only the pad playback and the stop of the
// take it makes.
ControlStateRow recordingRow(Group alsoDisabled)
{
    RowBuilder b;
    b.disable(kRecordingGroup).readOnly(true).enable({CurrentMusicTrackPlaybackCoolButton});
    b.disable(alsoDisabled).disable({LoadMusicList}).disable(kOpenGroup);
    return b.row;
}

} // namespace

std::string_view controlName(Control control)
{
    return kNames[std::size_t(control)];
}

std::optional<Control> controlByName(std::string_view name)
{
    for (int i = 0; i < kControlCount; ++i) {
        if (kNames[std::size_t(i)] == name)
            return Control(i);
    }
    return std::nullopt;
}

std::optional<ControlState> layoutControlState(int layoutType)
{
    if (layoutType == 2)
        return ControlState::VoiceTrack;
    return std::nullopt;
}

ControlStateRow controlStateRow(ControlState state, const ControlStateContext& c)
{
    RowBuilder b;
    switch (state) {
    case ControlState::NoTrack:
        b.enable({FileNewMenu, FilePreferencesMenu, FileExitMenu, ViewPositionDisplaysMenu, ViewSetColorsMenu,
                  StartStopRecordingButton, VoiceRecordButton, MusicRecordButton, RecSourceButton, ReMixButton,
                  EffectsTreeView, LoadMusicList});
        b.disable({FileMixDownToNewFileMenu, MixDownToNewFileButton, FileSaveMusicTrackMenu, SaveMusicTrackButton,
                   FileSaveVoiceTrackMenu, SaveVoiceTrackButton, FileCloseMenu});
        b.disable(kZoom).disable(kPlaybackMenus);
        b.disable({PreRecordedPlayBtn, MixedPlayBtn, RecordingPlayBtn, PauseBtn, StopBtn, SkipToStartBtn,
                   SkipToEndBtn, RewindBtn, ForwardBtn, FadeInMenu, FadeOutMenu, EditVoiceTrackCoolButton,
                   EditVoiceTrackMenu, EditMusicTrackCoolButton, EditMusicTrackMenu, EditMixTrackCoolButton,
                   EditMixedTrackMenu});
        b.disable(kPads).disable({CurrentPositionTrackBar});
        b.readOnly(true)
            .caption(PreRecordedWaveDisplay, QStringLiteral("Voice Track Space."))
            .caption(RecordingWaveDisplay, QStringLiteral("Music Track Space."))
            .value(RecordingRightVolumeTrackBar, 0);
        b.row.applyFader = true;
        break;
    case ControlState::VoiceTrack:
        b.row.firstState = ControlState::NoTrack;
        b.enable({FileCloseMenu}).enable(kZoom);
        b.enable({PlaybackVoiceTrackMenu, PlaybackSkipToStartMenu, PlaybackSkipToEndMenu, PreRecordedPlayBtn,
                  SkipToStartBtn, SkipToEndBtn, EditVoiceTrackCoolButton, EditVoiceTrackMenu, CurrentPositionTrackBar,
                  EffectsTreeView, LoadMusicList});
        b.enable(kOpenGroup);
        b.disable({FadeInMenu, FadeOutMenu}).disable(kPads).disable({EditMusicTrackCoolButton, EditMusicTrackMenu});
        b.readOnly(false);
        break;
    case ControlState::BothTracks:
        b.row.firstLayout = 2;
        b.enable({FileMixDownToNewFileMenu, MixDownToNewFileButton, FileSaveMusicTrackMenu, FileSaveVoiceTrackMenu,
                  SaveMusicTrackButton, SaveVoiceTrackButton, PlaybackMixedTrackMenu, PlaybackMusicTrackMenu,
                  MixedPlayBtn, RecordingPlayBtn, EditMusicTrackCoolButton, EditMusicTrackMenu,
                  EditVoiceTrackCoolButton, EditVoiceTrackMenu, FadeInMenu, FadeOutMenu, VoiceRecordButton,
                  MusicRecordButton, ReMixButton, EffectsTreeView, LoadMusicList});
        b.enable(kOpenGroup);
        b.disable(kPads).disable({PauseRecordingButton});
        break;
    case ControlState::Playing:
        b.enable({PlaybackStopMenu, StopBtn});
        b.enable({PlaybackPauseMenu, PlaybackFastForwardMenu, PlaybackRewindMenu, PauseBtn, RewindBtn, ForwardBtn},
                 !c.remixPlayback);
        b.disable({FileNewMenu, FileCloseMenu, FilePreferencesMenu, PlaybackVoiceTrackMenu, PreRecordedPlayBtn,
                   StartStopRecordingButton, VoiceRecordButton, MusicRecordButton, ReMixButton,
                   EditMusicTrackCoolButton, EditMusicTrackMenu, EditVoiceTrackCoolButton, EditVoiceTrackMenu});
        b.disable(kPads).disable({CurrentPositionTrackBar});
        // The Mix button's playback records the fader's moves: the fader stays live then.
        b.disable({RecordingRightVolumeTrackBar}, !c.remixPlayback);
        b.disable({FileMixDownToNewFileMenu, MixDownToNewFileButton, FileSaveMusicTrackMenu, SaveMusicTrackButton,
                   FileSaveVoiceTrackMenu, SaveVoiceTrackButton},
                  c.musicTrack);
        b.disable(kOpenGroup);
        b.disable({PlaybackSkipToStartMenu, PlaybackSkipToEndMenu, SkipToStartBtn, SkipToEndBtn}, c.remixPlayback);
        b.readOnly(false);
        break;
    case ControlState::PlaybackStopped: {
        b.enable({FileNewMenu, FileCloseMenu, FilePreferencesMenu, PlaybackVoiceTrackMenu, PlaybackSkipToEndMenu,
                  PlaybackSkipToStartMenu, SkipToStartBtn, SkipToEndBtn, CurrentPositionTrackBar,
                  RecordingRightVolumeTrackBar, OpenConversationMenu});
        b.enable(kOpenGroup);
        b.enable({StartStopRecordingButton, VoiceRecordButton, MusicRecordButton, ReMixButton},
                 !c.voiceRecording && !c.musicRecording);
        b.enable({PreRecordedPlayBtn, EditVoiceTrackCoolButton, EditVoiceTrackMenu, SaveVoiceTrackButton,
                  FileSaveVoiceTrackMenu},
                 c.voiceTrack);
        b.enable({FileSaveMusicTrackMenu, SaveMusicTrackButton, EditMusicTrackCoolButton, EditMusicTrackMenu},
                 c.musicTrack);
        b.enable({FileMixDownToNewFileMenu, MixDownToNewFileButton, MixedPlayBtn}, c.voiceTrack && c.musicTrack);
        b.disable({PlaybackPauseMenu, PlaybackStopMenu, PlaybackFastForwardMenu, PlaybackRewindMenu, PauseBtn,
                   StopBtn, RewindBtn, ForwardBtn});
        b.disable(kPads);
        b.value(RecordingRightVolumeTrackBar, 0).readOnly(false);
        b.row.applyFader = true;
        break;
    }
    case ControlState::RecordingBoth:
        b.row = recordingRow({VoiceRecordButton, MusicRecordButton});
        b.enable({PauseRecordingButton});
        b.pressed(StartStopRecordingButton, QStringLiteral("Stop Record"));
        b.value(VoiceVolumeSlider, 0).value(MusicVolumeSlider, 0);
        break;
    case ControlState::VoiceWithoutMusic:
        b.row.firstLayout = 2;
        b.enable({FileSaveVoiceTrackMenu, SaveVoiceTrackButton, PlaybackVoiceTrackMenu, PreRecordedPlayBtn,
                  EditVoiceTrackCoolButton, EditVoiceTrackMenu, FadeInMenu, FadeOutMenu, VoiceRecordButton,
                  MusicRecordButton, ReMixButton, EffectsTreeView, LoadMusicList});
        b.enable(kOpenGroup);
        b.disable(kPads).disable({PauseRecordingButton});
        break;
    case ControlState::MusicWithoutVoice:
        b.row.firstLayout = 14;
        b.enable({FileNewMenu, FileSaveMusicTrackMenu, SaveMusicTrackButton, FileCloseMenu, FilePreferencesMenu,
                  FileExitMenu});
        b.enable(kZoom);
        b.enable({PlaybackMusicTrackMenu, PlaybackSkipToStartMenu, PlaybackSkipToEndMenu, RecordingPlayBtn,
                  SkipToStartBtn, SkipToEndBtn, EditMusicTrackCoolButton, EditMusicTrackMenu, FadeInMenu,
                  FadeOutMenu, VoiceRecordButton, MusicRecordButton, ReMixButton, CurrentPositionTrackBar,
                  EffectsTreeView, LoadMusicList});
        b.enable(kOpenGroup);
        b.disable(kPads).disable({PauseRecordingButton});
        b.readOnly(false);
        break;
    case ControlState::RecordingMusic:
        b.row = recordingRow({VoiceRecordButton});
        b.value(MusicVolumeSlider, 0);
        break;
    case ControlState::RecordingVoice:
        b.row = recordingRow({MusicRecordButton});
        b.value(VoiceVolumeSlider, 0);
        break;
    }
    return b.row;
}

void ControlPanel::apply(const ControlStateRow& row)
{
    for (const auto& [control, change] : row.changes) {
        ControlValue& v = m_values[std::size_t(control)];
        if (change.enabled)
            v.enabled = *change.enabled;
        if (change.readOnly)
            v.readOnly = *change.readOnly;
        if (change.down)
            v.down = *change.down;
        if (change.caption)
            v.caption = *change.caption;
        if (change.value)
            v.value = *change.value;
    }
}

void ControlPanel::setControlState(ControlState state, const ControlStateContext& context)
{
    const ControlStateRow row = controlStateRow(state, context);
    if (row.firstState)
        setControlState(*row.firstState, context);
    if (const auto layoutState = layoutControlState(row.firstLayout))
        setControlState(*layoutState, context);
    apply(row);
}

} // namespace recorder
