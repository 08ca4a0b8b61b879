#pragma once
// TMainForm, the editor's main window: the menus, the transport and zoom buttons, the document
// buttons, one waveform display with its ruler and overview per document, the three position
// fields and the status bar.
//
// The window's rules live in editor_core and editor_edit: opening and making documents
// (Workspace), the control states (ControlStates), the edit commands with undo and redo
// (EditCommands), the view (ViewFields), the command line and its hand-over
// (CommandLineProcessor) and the close-down (CloseDown). The window implements their host
// interfaces on its widgets and copies the control panel onto the widgets of the same objectName.
// Commands whose work is not built yet say so when chosen.

#include "editor/CloseDown.h"
#include "editor/CommandLineProcessor.h"
#include "editor/ControlStates.h"
#include "editor/DocumentSave.h"
#include "editor/EditCommands.h"
#include "editor/FormatConversion.h"
#include "editor/Transport.h"
#include "editor/ViewFields.h"
#include "editor/Workspace.h"
#include "editor/WorkspaceCopies.h"

#include "common/WaveFormat.h"
#include "controls/ColorScheme.h"
#include "platform/messaging/Messaging.h"

#include <QColor>
#include <QMainWindow>
#include <QStandardPaths>
#include <QThreadPool>
#include <QTimer>

#include <array>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <optional>

class QBoxLayout;
class QLabel;
class QLineEdit;
class QSlider;
class QStackedWidget;

class JobRunner;

namespace controls {
struct PeakCache;
class TEQMeter;
class TQzv32Overview;
class TQzv32RectBtnEx;
class TQzv32Scale;
class TQzv32WaveDisplay;
} // namespace controls

namespace platform {
class HelpOpener;
class Messages;
class PostedMessage;
class SettingsStore;
namespace codecs {
class VXFmtHlp;
}
namespace audio {
class AudioEngine;
class MixerLibrary;
}
} // namespace platform

// What the window works with; each outlives it.
struct EditorWindowServices {
    const platform::Messages& messages;
    platform::SettingsStore& settings;   // the editor's settings (the position form)
    JobRunner& runner;                   // edits and peak builds under the progress window
    EditLibrary& editLibrary;            // the audio engine's edit processes
    // Makes the decoder of MP3 and WMA sources, whose windows show over the window given.
    std::function<std::unique_ptr<SourceDecoder>(QWidget* window)> makeDecoder;
    std::function<QString()> tempFolder; // the preferences' temporary folder
    // The recording-format dialog of File > New: the chosen format, none on Cancel.
    std::function<std::optional<WaveFormatEx>(QWidget* parent)> chooseFormat;
    // Where the window answers a second start; null: it answers nobody.
    platform::Messaging* messaging = nullptr;
    // What copies an opened WAV into its working file, on a worker thread.
    CopyFunction copy = CopyScratchFileWithProgress;
    // The dialogs' Help buttons open the help through it; null: they are disabled.
    platform::HelpOpener* help = nullptr;
    // Where the first save dialog opens: the user's music folder.
    std::function<QString()> musicFolder = [] {
        return QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    };
    // Plays and records the documents; null: the transport does nothing.
    platform::audio::AudioEngine* engine = nullptr;
    // The format the user chose last in the recording-format dialog, which the level test uses;
    // null: the dialog's defaults.
    std::function<WaveFormatEx()> recordingFormat = {};
    // The preference "Always Test Levels"; null: off.
    std::function<bool()> alwaysTestLevels = {};
    // The sound card's mixer with the devices chosen; null: the mixer sliders do nothing.
    platform::audio::MixerLibrary* mixer = nullptr;
};

class TMainForm : public QMainWindow,
                  private WorkspaceHost,
                  private ViewHost,
                  private EditHost,
                  private CommandLineHost,
                  private CloseDownHost,
                  private platform::WindowHandler {
    Q_OBJECT

public:
    explicit TMainForm(const EditorWindowServices& services, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The program's own command line, opened on the first show.
    void setStartCommandLine(const EditorCommandLine& line) { m_startCommandLine = line; }

    const Workspace& workspace() const { return m_workspace; }
    const ControlPanel& controlPanel() const { return m_panel; }
    // The display of the current document; null without one.
    controls::TQzv32WaveDisplay* currentDisplay() const;
    bool busy() const override { return m_busy > 0; }
    TransportState transportState() const { return m_transport; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct DocumentViews;
    class DisplayView;

    void createMenus();
    void createButtons(QWidget* parent);
    void createPositionFields(QWidget* parent);
    void createStatusBar();
    QAction* menuItem(QMenu* menu, const char* name, const QString& text);
    void notAvailable(const QString& what);
    // View > Minutes / Seconds (false) or Sample Number (true), kept in the settings.
    void setPositionForm(bool samples);
    void name(Control control, QObject* object);
    void applyPanel();
    void applyControlState(ControlState state);
    void updateDocumentControls();
    void showCurrentDocument();
    DocumentViews* viewsOf(const TDocumentRecord* document) const;
    void layOutDocumentButtons();
    void reportWorkspace(const WorkspaceResult& result);
    // Opens file in the document's display and overview; the peak cache is tried first unless the
    // file has just been changed under the same name. Without cancelShown the build cannot be
    // cancelled.
    int openDisplay(DocumentViews& views, const QString& file, bool usePeakCache, bool cancelShown = true);
    // Shows the working file from peaks kept for its audio: none when there are none (the caller
    // builds them), else 0 or the display's code, shown.
    std::optional<int> showKeptPeaks(DocumentViews& views, const QString& workingFile);
    // Keeps the display's peaks for the files they fit, then drops those of files that are no
    // longer the document's undo or redo state.
    void keepShownPeaks(DocumentViews& views);
    void dropStalePeaks(DocumentViews& views, const TDocumentRecord& document);
    // Writes the display's peaks as the cache of file on a thread of their own, one cache after
    // the other in the order given; with stampTime the cache takes the file's time, so that it
    // counts as current for it. A failure is logged: without the cache the next open builds.
    void savePeaksInBackground(DocumentViews& views, const QString& file, bool stampTime);
    // Gives every display and overview the colours of the scheme and draws them again.
    void applyColorScheme();
    void colorViews(controls::TQzv32WaveDisplay& display, controls::TQzv32Overview* overview) const;
    void setColors();
    // The overview shows file with the display's peaks.
    void openOverview(DocumentViews& views, const QString& file);
    // The range the edit removed leaves the display's peaks, which are saved as the cache of the
    // working file it now shows: 0, or the display's code, shown.
    // `ahead`: the display's present peaks less the range, made ahead, or none.
    int removePeakRange(DocumentViews& views, const QString& workingFile, const EditRefresh& refresh,
                        std::shared_ptr<const controls::PeakCache> ahead);

    // The menu and button commands.
    void fileNew();
    void fileOpen();
    void fileClose();
    // A file just opened: Paste is offered while the clipboard holds audio (closing the document
    // before switched it off).
    void offerPaste();
    void documentButtonClicked(int32_t id);
    using EditRun = std::function<int(TDocumentRecord&)>;
    void runEdit(const EditRun& run);
    void workspaceCopyEnded(uint64_t id, int result);
    // Edit > Mute, Trim Silence, Insert Silence and Change Format: their dialog, then the edit.
    void editMute();
    void editTrimSilence();
    void editInsertSilence();
    void editChangeFormat();
    FormatConversion& formatConversion();
    // Tools > Record Cleaner: the effect whose Effects menu item names the cleaner, as if that item
    // were chosen; nothing without one.
    void recordCleaner();
    // Stops the document's copy and removes its files of this run with their peak caches; a working
    // file whose copy would not stop stays.
    void removeDocumentFiles(TDocumentRecord& document);
    // File > Save and Save As, File > Revert, and what the window shows after them.
    void fileSave(SaveMode mode);
    void fileRevert();
    void showSaved(TDocumentRecord& document, const QString& oldFile, SaveMode mode);
    // The recorder's track is finished in the editor: the track is forgotten and the recorder told.
    void trackDone(TrackRole role);
    // The workspace's peak cache of a document closed unchanged becomes its document file's cache,
    // stamped with the file's time, so that the next open of the file reuses it.
    void keepPeakCache(const TDocumentRecord& document);
    // One step of the held scroll button.
    void scrollHeld();
    // The user moved or resized the overview's frame: the display follows from the event loop.
    void overviewFrameMoved();

    // WorkspaceHost
    int closeDocumentAt(int index) override;
    void trackRefused(TrackRole role) override;
    int createViews(TDocumentRecord& document, const QString& shownFile) override;
    void discardViews(TDocumentRecord& document) override;
    int startWorkspaceCopy(TDocumentRecord& document) override;
    void releaseWorkspaceCopy(TDocumentRecord& document) override;
    void cancelWorkspaceCopy(TDocumentRecord& document) override;
    void addRecentFile(const QString& path) override;

    // ViewHost
    void setRuler(const RulerView& ruler) override;
    uint32_t overviewZoomLevel() override;
    int overviewWidth() const override;
    void setOverviewFrame(const OverviewFrame& frame) override;
    void setFieldText(PositionField field, const QString& text) override;
    void setFieldMasks(const QString& inputMask, const QString& emptyText) override;
    void setStatusPanel(int panel, const QString& text) override;
    void setControlState(ControlState state) override;
    void setSelectItems(bool selectAllEnabled, bool selectNoneEnabled) override;

    // EditHost
    EditView editView() const override;
    bool readyForEditing(TDocumentRecord& document) override;
    int refreshViews(TDocumentRecord& document, const EditRefresh& refresh) override;
    void prepareViews(const TDocumentRecord& document, const EditRefresh& refresh) override;
    QString askTargetFile() override;
    void controlsChanged(const TDocumentRecord& document, const ControlPanel& panel) override;

    // CommandLineHost
    void setBusy(bool busy) override;
    bool mainWindowVisible() const override { return isVisible(); }
    void raiseMainWindow() override;
    bool recording() const override { return m_transport == TransportState::Recording; }
    void stopPlayback() override;
    void enterTrackMode(TrackRole role) override;
    int importWmaPlaylist(const QString& path, QString* wav) override;
    void openAsUnsaved(const QString& path) override;
    int openFile(const QString& path, TrackRole role) override;
    void offerMp3Component() override;
    void offerWmaComponent() override;

    // CloseDownHost
    void stopRecording() override;
    void stopLevelTest() override;
    int documentCount() const override { return m_workspace.documents().count(); }
    void showMainWindow() override { show(); }
    // The scheme shows its own failure.
    int saveSettings() override
    {
        m_colorScheme.SaveColorScheme();
        return 0;
    }
    void showError(int id) override;
    void releaseDevices() override;

    // WindowHandler: a second start hands its command line over.
    QString windowCaption() const override { return windowTitle(); }
    bool windowVisible() const override { return isVisible(); }
    bool windowEnabled() const override { return isEnabled(); }
    void windowMessage(uint32_t, intptr_t, intptr_t) override { }
    bool windowCopyData(uint64_t dwData, const QByteArray& data) override;

    EditorWindowServices m_services;
    controls::ColorScheme m_colorScheme;
    std::unique_ptr<SourceDecoder> m_decoder;
    Workspace m_workspace;
    WorkspaceCopies m_copies;
    QAction* m_minSecItem = nullptr;
    QAction* m_samplesItem = nullptr;
    ControlPanel m_panel;
    EditCommands m_edit;
    ViewFields m_view;
    CommandLineProcessor m_commandLine;
    DocumentSaver m_saver;
    std::unique_ptr<platform::WindowRegistration> m_registration;
    std::optional<EditorCommandLine> m_startCommandLine;
    bool m_shownOnce = false;
    int m_busy = 0;
    // A track of the recorder keeps its format: the format change is hidden once one is expected.
    bool m_changeFormatHidden = false;
    QAction* m_changeFormatSeparator = nullptr;
    std::map<int32_t, std::unique_ptr<DocumentViews>> m_views;
    // One thread: the caches are written in the order made, so the last one written for a file is
    // the last one made. Its destruction waits for the writes.
    QThreadPool m_peakSaves;
    // The shown peaks less the range an edit removes, made on a worker while the edit runs, so
    // that the GUI thread does not spend the time to lay out a new cache of that size.
    struct PeaksAhead {
        const TDocumentRecord* document = nullptr;
        std::shared_ptr<const controls::PeakCache> from;
        uint32_t totalSamples = 0; // the display's before the edit
        EditRefresh refresh;
        std::future<std::shared_ptr<const controls::PeakCache>> shortened;
    };
    std::optional<PeaksAhead> m_peaksAhead;
    // The peaks made ahead for this document, edit and the display's present peaks; none else.
    std::shared_ptr<const controls::PeakCache> takePeaksAhead(const TDocumentRecord& document,
                                                              const EditRefresh& refresh,
                                                              const controls::TQzv32WaveDisplay& display);
    std::array<QList<QObject*>, kControlCount> m_controls{};

    // Made on the first change of format.
    std::unique_ptr<platform::codecs::VXFmtHlp> m_formatLibrary;
    std::unique_ptr<FormatConversion> m_conversion;

    std::array<QWidget*, 2> m_scrollButtons{}; // left, right
    QTimer m_scrollRepeat;
    bool m_scrollingRight = false;
    QStackedWidget* m_waveArea = nullptr;
    controls::TQzv32WaveDisplay* m_templateDisplay = nullptr;
    QWidget* m_buttonPanel = nullptr;
    std::array<QLabel*, 3> m_fieldLabels{};
    std::array<QLineEdit*, 3> m_fieldEdits{};
    std::array<QLabel*, kEditorStatusPanelCount> m_statusPanels{};

    // --- Transport, recording and level meters (MainFormTransport.cpp) ---
    void createTransportControls(QWidget* parent);
    // The engine's end messages and the mixer's news; false for another message.
    bool transportMessage(const platform::PostedMessage& message);
    void playButtonClick();
    void playFromStartButtonClick();
    bool playingOrPaused() const;
    void pauseButtonClick();
    void stopButtonClick();
    void rewindButtonClick();
    void fastForwardButtonClick();
    void skipToStartButtonClick();
    void skipToEndButtonClick();
    void startStopRecordingButtonClick();
    void recSettingsButtonClick();
    // Plays [start, end) of the current document (end 0: to its end), or resumes a paused one.
    void playRange(int64_t start, int64_t end);
    void stopPlaybackNow();
    void playbackEnded();
    void startRecording();
    // Ends the recording, also one the engine ended by itself: the take so far goes into the
    // document.
    void stopRecordingNow();
    void startLevelTest();
    void stopLevelTestNow();
    // The caret, the position field and the overview frame at frame while playing or seeking.
    void showTransportPosition(int64_t frame);
    void playRecTimerTick();
    void clippingTimerTick();
    void metersOff();
    void showLamps();
    void applyTransportColors();
    // The level test, when the user always wants it: on showing the window and after the transport
    // stopped.
    void testLevelsWhenAlwaysWanted();
    QWidget* controlWidget(Control control) const;
    WaveFormatEx recordingFormat() const;

    TransportState m_transport = TransportState::Stopped;
    bool m_stoppedByUser = false;
    int64_t m_playStart = 0;
    int64_t m_playEnd = 0; // the end of the range playing; the end of the file when 0
    // "Save As Podcast" and "Upload Podcast" as they were before the playback, which takes them
    // away; its stop gives them back.
    std::array<bool, 2> m_podcastItemsBeforePlayback{};
    // An insert recording: the take goes into its own file, which is pasted into the document at
    // the caret when the recording stops.
    struct InsertTake {
        QString file;
        int64_t position = 0;
    };
    std::optional<InsertTake> m_insertTake;
    QTimer m_playRecTimer;
    QTimer m_clippingTimer;
    ClipLamps m_lamps;
    int m_blink = 0;
    QColor m_clipOn{Qt::red};
    QColor m_clipOff{Qt::gray};
    std::array<controls::TEQMeter*, 2> m_meters{};
    std::array<QLabel*, 2> m_lampLabels{};
    QLabel* m_recordingLabel = nullptr;

    // --- The mixer's sliders and record source (MainFormMixer.cpp) ---
    enum class MixerSide { Playback, Record };
    void createMixerControls(QWidget* parent, QBoxLayout* row);
    bool mixerMessage(const platform::PostedMessage& message);
    // The side's volume (and balance) sliders from the device.
    void readMixerSide(MixerSide side, bool withBalance = true);
    void mixerVolumeMoved(MixerSide side);
    void mixerBalanceMoved(MixerSide side);
    uint32_t mixerBound(MixerSide side);
    QSlider* volumeSlider(MixerSide side) const { return m_mixerSliders[side == MixerSide::Record ? 0 : 2]; }
    QSlider* balanceSlider(MixerSide side) const { return m_mixerSliders[side == MixerSide::Record ? 1 : 3]; }
    void showSourceName();

    // Record volume and balance, playback volume and balance.
    std::array<QSlider*, 4> m_mixerSliders{};
    QLabel* m_sourceLabel = nullptr;
};
