#pragma once
// The control states of the recording window: which of its named controls each state enables or
// disables, and what else a state sets (the position box's read-only flag, captions, the fader and
// trims, the pressed Voice & Music button). Each state changes only the controls its row lists;
// every other control keeps its value. The form applies a row to its widgets and does nothing else,
// so the rows are tested here without a display.

#include <QString>

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace recorder {

// The argument of SetControlState; the numbers are the ones the other windows pass.
enum class ControlState {
    NoTrack = 1,
    VoiceTrack = 2,        // voice track loaded, no music
    BothTracks = 3,
    Playing = 4,
    PlaybackStopped = 5,
    RecordingBoth = 6,     // voice and music recording at once
    VoiceWithoutMusic = 13,
    MusicWithoutVoice = 14,
    RecordingMusic = 15,
    RecordingVoice = 16,
};

inline constexpr std::array kControlStates = {
    ControlState::NoTrack,         ControlState::VoiceTrack,        ControlState::BothTracks,
    ControlState::Playing,         ControlState::PlaybackStopped,   ControlState::RecordingBoth,
    ControlState::VoiceWithoutMusic, ControlState::MusicWithoutVoice, ControlState::RecordingMusic,
    ControlState::RecordingVoice,
};

// The recording window's controls that the states switch. Their names (controlName) are the
// widgets' objectNames.
enum class Control {
    // File menu
    FileNewMenu,
    FileCloseMenu,
    FileSaveVoiceTrackMenu,
    FileSaveMusicTrackMenu,
    FileMixDownToNewFileMenu,
    FilePreferencesMenu,
    FileExitMenu,
    // the open, import and editor group
    FileOpenMenu,
    OpenVoiceTrack,
    OpenMusicTrack,
    FileLaunchEditorMenu,
    OpenConversationMenu,
    RecordVoIPConversation,
    OpenInEditor,
    WelcomeScreen,
    LaunchXVQOption,
    UploadButton,
    // View menu
    ViewZoomInMenu,
    ViewZoomOutMenu,
    ViewZoomToExtentsMenu,
    ViewPositionDisplaysMenu,
    ViewSetColorsMenu,
    // Playback menu
    PlaybackVoiceTrackMenu,
    PlaybackMixedTrackMenu,
    PlaybackMusicTrackMenu,
    PlaybackPauseMenu,
    PlaybackStopMenu,
    PlaybackSkipToStartMenu,
    PlaybackSkipToEndMenu,
    PlaybackRewindMenu,
    PlaybackFastForwardMenu,
    // Fade menu
    FadeInMenu,
    FadeOutMenu,
    // Edit menu and the Edit Track buttons
    EditVoiceTrackMenu,
    EditMusicTrackMenu,
    EditMixedTrackMenu,
    EditVoiceTrackCoolButton,
    EditMusicTrackCoolButton,
    EditMixTrackCoolButton,
    // file buttons
    SaveVoiceTrackButton,
    SaveMusicTrackButton,
    MixDownToNewFileButton,
    // zoom buttons
    ZoomInButton,
    ZoomOutButton,
    ZoomToExtentsButton,
    // transport
    PreRecordedPlayBtn,
    RecordingPlayBtn,
    MixedPlayBtn,
    PauseBtn,
    StopBtn,
    SkipToStartBtn,
    SkipToEndBtn,
    RewindBtn,
    ForwardBtn,
    // recording
    StartStopRecordingButton,
    VoiceRecordButton,
    MusicRecordButton,
    PauseRecordingButton,
    RecSourceButton,
    ReMixButton,
    // pads and effects
    CurrentMusicTrackPlaybackCoolButton,
    StopAllTracksCoolButton,
    LoadMusicList,
    EffectsTreeView,
    // position, fader, trims, displays
    CurrentPositionTrackBar,
    PositionMaskEdit,
    RecordingRightVolumeTrackBar,
    VoiceVolumeSlider,
    MusicVolumeSlider,
    PreRecordedWaveDisplay,
    RecordingWaveDisplay,
};

inline constexpr int kControlCount = int(Control::RecordingWaveDisplay) + 1;

// The objectName of the control's widget.
std::string_view controlName(Control control);
// The control of that objectName; none for a name the window does not switch.
std::optional<Control> controlByName(std::string_view name);

// What a state sets on one control; an empty field is left as it is.
struct ControlChange {
    std::optional<bool> enabled;
    std::optional<bool> readOnly; // the position box
    std::optional<bool> down;     // the Voice & Music button
    std::optional<QString> caption;
    std::optional<int> value;     // fader and trim positions

    friend bool operator==(const ControlChange&, const ControlChange&) = default;
};

// What the rows that depend on the window's data read of it.
struct ControlStateContext {
    bool voiceTrack = false;     // a voice track is loaded
    bool musicTrack = false;     // a music track is loaded
    bool voiceRecording = false; // the player library records
    bool musicRecording = false; // the music-track library records
    bool remixPlayback = false;  // the playback was started by the Mix button
};

// One row of the table. Before its own changes a row may first run another state (state 2 runs
// state 1) or a track layout (2 or 14; layout 2 itself runs state 2); the form runs those first.
struct ControlStateRow {
    std::optional<ControlState> firstState;
    int firstLayout = 0;      // 0 none, else the ApplyTrackLayout type
    bool applyFader = false;  // after the changes: apply the fader's (new) position to the gains
    std::vector<std::pair<Control, ControlChange>> changes; // in the order they are applied
};

// The row of a state.
ControlStateRow controlStateRow(ControlState state, const ControlStateContext& context);

// The value of every control as the table sees it; the form's widgets mirror it. A new panel holds
// the window as designed: everything enabled, the position box editable, nothing pressed.
struct ControlValue {
    bool enabled = true;
    bool readOnly = false;
    bool down = false;
    QString caption;
    int value = 0;

    friend bool operator==(const ControlValue&, const ControlValue&) = default;
};

class ControlPanel {
public:
    const ControlValue& operator[](Control control) const { return m_values[std::size_t(control)]; }
    // Applies one row's own changes (not its first state or layout).
    void apply(const ControlStateRow& row);
    // SetControlState as a whole: the first state, the layout's state (layout 2 runs state 2;
    // layout 14 runs none), then the row's own changes.
    void setControlState(ControlState state, const ControlStateContext& context);

private:
    std::array<ControlValue, kControlCount> m_values{};
};

// The state of the ApplyTrackLayout type, if it runs one (type 2 runs state 2).
std::optional<ControlState> layoutControlState(int layoutType);

} // namespace recorder
