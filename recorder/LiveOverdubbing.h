#pragma once
// TLiveOvedubbingForm, the recorder's recording window: the voice and music track displays with the
// view ruler between them, the position slider and full-track ruler, level meters and clip lamps,
// the fader between the tracks with the two trims, the transport, record, pad and file controls,
// the menus and the five-panel status bar.
//
// The window's rules live in recorder_core: the control states (SetControlState.h), the status
// panels (ShowStatusFormat.h), the track layout (ApplyTrackLayout.h), the resize geometry
// (ResizeLayout.h) and the placement (WindowPlacement.h); the position box's texts are shared with
// the editor (common/PositionBox.h). The form keeps one ControlPanel and copies each row's values
// onto the widgets of the same objectName; it decides nothing itself.
//
// GUI thread only: the player and music-track libraries post their news to the window as
// PostedMessage events.

#include "recorder/ApplyTrackLayout.h"
#include "recorder/BusyFlag.h"
#include "recorder/FaderController.h"
#include "recorder/MixDown.h"
#include "recorder/MixerVolumes.h"
#include "recorder/PodcastWizard.h"
#include "recorder/SongInformation.h"
#include "recorder/SetControlState.h"
#include "recorder/TakeRecording.h"
#include "recorder/TrackLoader.h"
#include "recorder/TrackRoads.h"

#include "common/CopyJob.h"
#include "controls/ColorScheme.h"
#include "controls/CoolForm.h"
#include "platform/codecs/DecodeToWave.h"

#include <QColor>

#include <QPointer>
#include <QRect>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QAction;
class QCheckBox;
class QActionGroup;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QMenuBar;
class QStatusBar;

class JobRunner;
class RecorderPreferences;
class TPreferencesForm;
struct WaveFormatEx;

namespace controls {
class TCoolButton;
class TCoolSliderH;
class TCoolSliderV;
class TEQGroupBox;
class TEQMeter;
class TQzv32Scale;
class TQzv32WaveDisplay;
}

namespace platform {
class Messages;
class SettingsStore;
namespace audio {
class AudioEngine;
class MixerLibrary;
class MusicTrackLibrary;
}
}

namespace recorder {
struct TrackSaveServices;

class TWebEQSliderV;
class MusicPadPanel;
class PlaybackControls;
class RecordingControls;

// Shows the preferences window modally over parent, on its Devices page when asked; true on OK.
using ShowPreferencesFunction = std::function<bool(RecorderPreferences&, QWidget* parent, bool devicesPage)>;
bool showPreferencesForm(RecorderPreferences& preferences, QWidget* parent, bool devicesPage);
// The same on a preferences window that lives on between showings.
bool showPreferencesOn(TPreferencesForm& form, bool devicesPage);

// What the window works with; each outlives it.
struct RecordingWindowServices {
    platform::SettingsStore& settings;
    const platform::Messages& messages;
    platform::audio::AudioEngine& engine;
    platform::audio::MusicTrackLibrary& musicLibrary;
    JobRunner& runner;                  // loads and peak builds under the progress window
    std::function<QString()> tempFolder; // the preferences' temporary folder
    CopyFunction trackCopy = CopyFileWithProgress; // writes a saved track; tests stop it part-way
    // The program's preferences: the level test's switch and the devices the window follows. Without
    // them File > Preferences and "Rec Device" do nothing and the level test is not started by itself.
    RecorderPreferences* preferences = nullptr;
    ShowPreferencesFunction showPreferences = showPreferencesForm;
    // The sound card's mixer behind the volume sliders; without one they stay off.
    platform::audio::MixerLibrary* mixer = nullptr;
    FreeSpaceFunction freeSpace = platform::codecs::freeSpaceOf; // of the temporary folder
    // The recording format asked for when a take starts without one; none when cancelled.
    std::function<std::optional<WaveFormatEx>(QWidget* parent)> chooseRecordingFormat = askRecordingFormat;
    // The preferences' "Prevent Saturation" switch, read when a mix starts to play.
    std::function<bool()> preventSaturation = [] { return false; };
    // The preferences' "Always Test Levels" switch: the record level test then runs from the set-up
    // on whenever nothing plays or records.
    std::function<bool()> alwaysTestLevels = [] { return false; };
    // The preferences' output device index (-1: the server's default), on which a music take plays.
    std::function<int()> outputDevice = [] { return -1; };
    // Gives a save the windows of its MP3 and WMA roads and of its song information, made over the
    // window; none: those roads are refused and no song information is asked for.
    std::function<void(TrackSaveServices& save, QWidget* window)> saveWindows;
    // Called on the mix's worker after each block it wrote; tests hold a mix there.
    std::function<void(int64_t done)> mixAfterBlock{};
};

// Points the services at the recorder's preferences, which outlive the window: the temporary
// folder, "Prevent Saturation", "Always Test Levels", the output device, and the preferences
// themselves for File > Preferences.
void usePreferences(RecordingWindowServices& services, RecorderPreferences& preferences);

class TLiveOvedubbingForm : public controls::TCoolForm, private TrackHost, private MixDownHost {
    Q_OBJECT

public:
    explicit TLiveOvedubbingForm(const RecordingWindowServices& services, QWidget* parent = nullptr);
    ~TLiveOvedubbingForm() override;

    // The designed client size, which is also the window's minimum.
    static QSize designedSize();

    void SetControlState(ControlState state);
    // 2 lays the window out for the voice track, 14 for the music track; any other type only
    // refreshes the position box and the slider from the voice display's caret.
    void ApplyTrackLayout(int type);
    void ShowStatusFormat(uint32_t lengthMs, uint32_t sampleRate, bool clear, int channels, int bits);
    // position in unit (kPositionMilliseconds or kPositionFrames).
    void ShowPosition(uint32_t position, int unit);
    static void SyncRuler(controls::TQzv32Scale& ruler, uint32_t zoom, const WaveFormatEx& format,
                          uint32_t leftSample);

    // Selects the devices the preferences chose (-1: the system's preferred one) and shows their
    // volumes; 0 or the mixer's code (194: no output device). Nothing without a mixer.
    int InitMixerDevices(int inputIndex, int outputIndex);
    // Keeps the lock and the record source, and lets the devices go (the window closes).
    void SaveMixerSettings();
    // The record level test: the input's levels without a take, in the voice track's format (44.1
    // kHz, 16 bits, stereo without one). Not while playing or recording; a refusal is shown.
    // Stopping puts the meters to 0 and the clip lamps off. The position timer shows the levels
    // while it runs.
    void StartLevelTest();
    void StopLevelTest();
    bool levelTestRunning() const { return m_levelTest; }
    // A playback or a take ended: the level test starts again when the preferences ask for it.
    void startLevelTestWhenAsked();
    // File > Preferences (and "Rec Device", on the Devices page), refused while something records or
    // plays. After OK the level test follows its switch, and a newly chosen input or output device
    // is taken by the level test and the volume sliders; the preferences chose it in the engine.
    void FilePreferencesMenuClick(bool devicesPage = false);

    // The placement in the settings store; the codes of WindowPlacement.h.
    int SaveWindowPlacement();
    int RestoreWindowPlacement();

    // The question before tracks are thrown away (TFileSaveDlg): the SaveChoice pressed, after its
    // save has run; Cancel when that save did not complete.
    int AskSaveBeforeLeaving();
    // Save a changed track under a name the user chooses; true when it was saved.
    bool SaveVoiceTrack();
    bool SaveMusicTrack();
    // Mixes both tracks down into a file the user names (MixDown.h); true when it was saved.
    bool MixDownToNewFile();
    // The last saved mix; none before the first and after the tracks were closed.
    const std::optional<MixRecord>& mixRecord() const { return m_mix; }
    // Throws both tracks away with their working files, asking first when nothing of them would
    // be kept: 2 when the user cancelled (everything stays), else 0.
    int UnloadWaveFile();
    // File > Close: 2 when refused (busy) or cancelled, else 0; afterwards the window is empty.
    int CloseTracks();
    // Show the track again from its working WAV after that file changed outside the window. A voice
    // track that can no longer be shown is dropped.
    void ReloadVoiceTrack();
    void ReloadMusicTrack();

    BusyFlag& busyFlag() { return m_busy; }
    // The values the control states gave the named controls.
    const ControlPanel& controlPanel() const { return m_panel; }
    // The unit the position box shows, from View > Position Displays.
    int positionUnit() const { return m_positionUnit; }
    const TrackRoads& trackRoads() const { return m_roads; }
    // The fader and trims: the recording and playback roads drive its take and replay.
    FaderController& faderController() { return m_faderControl; }
    // Playback reached frame: the fader slider goes where the automation had it, the gains follow.
    void replayFader(int64_t frame);
    TrackRoads& trackRoads() { return m_roads; }
    // What a take records, for the control states. A take that starts ends the level test (the
    // engine has given the input to the take); one that ends starts it again when asked for.
    void setRecordingFlags(bool voice, bool music);
    bool voiceRecording() const { return m_voiceRecording; }
    bool musicRecording() const { return m_musicRecording; }
    // The playback of the Mix button, which records the fader's moves anew.
    bool remixPlayback() const { return m_remixPlayback; }
    void setRemixPlayback(bool on) { m_remixPlayback = on; }
    const controls::ColorScheme& colorScheme() const { return m_colorScheme; }
    // Sets controls outside a control state (the transport's buttons and items) through the panel.
    void ApplyControlChanges(const std::vector<std::pair<Control, ControlChange>>& changes);
    PlaybackControls& playback() { return *m_playback; }
    RecordingControls& recording() { return *m_recording; }
    MusicPadPanel& pads() { return *m_pads; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // How a control follows a resize: down with the bottom edge, across with the right one, or both.
    enum class Anchor { Bottom, Right, RightAndBottom };
    struct Anchored {
        QWidget* widget;
        QRect designed;
        Anchor how;
    };

    void createMenus();
    void createTrackArea();
    void createSideControls();
    void createTransport();
    void createPadPanel();
    void createStatusBar();
    controls::TCoolButton* coolButton(Control control, const char* text);
    void anchor(QWidget* widget, const QRect& designed, Anchor how);
    void layOut();
    void applyChange(Control control, const ControlChange& change);
    void applyColorScheme();
    ControlStateContext stateContext() const;
    // The display whose track gives positions their format: the voice track's, else the music's.
    controls::TQzv32WaveDisplay* trackDisplay() const;
    controls::TQzv32WaveDisplay& display(TrackSide side) const;
    // Opens the display on a working WAV (peaks from the cache or built under the progress window)
    // and draws it at its highest zoom level, the whole track in view.
    int openDisplay(TrackSide side, const QString& workingWav, const QString& caption, uint32_t left = 0);
    bool saveTrackOf(TrackSide side);
    // What a save of a track or the mix works with: the runner, the messages, the kept MP3 rate
    // and the windows of saveWindows.
    TrackSaveServices trackSaveServices();
    // View > Position Displays: the position box, both rulers and the status bar in the new unit.
    void setPositionUnit(int unit);
    // The position slider's steps and selection and both rulers for the display's track.
    void layOutSliderAndRulers(const controls::TQzv32WaveDisplay& display);
    // Applies changes to the named controls through the panel.
    void applyRow(const ControlStateRow& row);
    // Controls whose command is not built yet are off, with the reason in their tooltips.
    void disableUnavailable();
    // The fader, the trims and the record device button (LiveOverdubbingFader.cpp).
    void connectFader();
    void connectRecordDevice();
    void createVolumeControls();
    void showVolumes();
    void trimMoved(TrackSide side, int position);
    int64_t audioClockFrame() const;
    void applyFaderGains(const EngineGains& gains);
    void applyFaderTint(const TintChange& change);
    // The mix-down's button and menu item (LiveOverdubbingMixDown.cpp).
    void connectMixDown();
    // While a mix runs: the progress bar and its stop button where the view ruler is.
    void placeMixProgress();

    // MixDownHost
    void DisableWindowControls() override;
    void RestoreWindowControls() override;
    void showMixProgress(const std::function<void()>& stop) override;
    void setMixProgress(int64_t done, int64_t total) override;
    void mixSaved(const MixedFile& mixed) override;

    // TrackHost
    bool saveTrack(TrackSide side) override;
    void closeTrackDisplay(TrackSide side) override;
    int convertTrackFormat(TrackSide side, const QString& workingWav, const WaveFormatEx& format) override;
    void reloadTrack(TrackSide side) override;
    void padded(TrackSide side) override;
    void setCaretToStart(TrackSide side) override;
    void setControlState(ControlState state) override;
    void showTrackLayout(TrackSide side, int64_t totalFrames) override;
    bool closeTracks() override;
    int openVoiceDisplay(const QString& workingWav, const QString& caption) override;
    void showOpenedFile(const QString& fileName) override;

    RecordingWindowServices m_services;
    controls::ColorScheme m_colorScheme;
    BusyFlag m_busy;
    TrackLoadServices m_loadServices;
    TrackRoads m_roads;
    ControlPanel m_panel;
    std::array<QObject*, kControlCount> m_controls{};
    std::vector<Anchored> m_anchored;

    QMenuBar* m_menuBar = nullptr;
    QActionGroup* m_positionUnitGroup = nullptr;
    QAction* m_fullScreenMenu = nullptr;
    QAction* m_minimumSizeMenu = nullptr;
    QStatusBar* m_statusBar = nullptr;
    std::array<QLabel*, 5> m_statusPanels{};

    controls::TQzv32WaveDisplay* m_voiceDisplay = nullptr;
    controls::TQzv32WaveDisplay* m_musicDisplay = nullptr;
    controls::TQzv32Scale* m_viewRuler = nullptr;
    controls::TQzv32Scale* m_fullRuler = nullptr;
    controls::TCoolSliderH* m_positionSlider = nullptr;
    QProgressBar* m_spaceBar = nullptr;
    QFrame* m_faderFrame = nullptr;
    controls::TCoolSliderV* m_fader = nullptr;
    QLabel* m_mixLabel = nullptr;
    controls::TCoolButton* m_mixButton = nullptr;
    controls::TEQGroupBox* m_padPanel = nullptr;
    std::array<controls::TEQMeter*, 2> m_meters{};
    std::array<QLabel*, 2> m_clipLamps{};

    // The window's data that the control states read; the recording and playback roads set it.
    bool m_voiceRecording = false;
    bool m_musicRecording = false;
    bool m_remixPlayback = false;
    int m_positionUnit = 0;
    QString m_positionMask; // the position box's mask as last set
    SliderScale m_sliderScale;
    QString m_lastSaveName; // the save dialog proposes the last chosen name
    bool m_levelTest = false;
    MixerVolumes* m_volumes = nullptr; // with a mixer
    std::array<TWebEQSliderV*, 4> m_volumeSliders{}; // playback left, right, record left, right
    QCheckBox* m_lockBox = nullptr;
    QLabel* m_sourceLabel = nullptr;
    FaderController m_faderControl{[this](const EngineGains& gains) { applyFaderGains(gains); },
                                   [this](const TintChange& change) { applyFaderTint(change); }};
    PlaybackControls* m_playback = nullptr; // children of the window
    RecordingControls* m_recording = nullptr;
    MusicPadPanel* m_pads = nullptr;
    std::optional<MixRecord> m_mix;
    QPushButton* m_mixStop = nullptr; // beside the progress bar while a mix runs
    std::function<void()> m_mixStopRequest;
    std::vector<QPointer<QWidget>> m_disabledWidgets; // what DisableWindowControls turned off
    std::vector<QPointer<QAction>> m_disabledMenus;
};

} // namespace recorder
