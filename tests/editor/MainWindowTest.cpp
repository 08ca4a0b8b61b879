// The editor's main window offscreen, driven through its named controls: the control states on
// the menu items and buttons, opening WAV files through the File menu's scripted dialog, the
// document buttons, the edit commands from their menu items and their keys checked by the working
// file's hash, the start command line's switches, a failed open, and a screenshot of the window
// with a document for a person to look at.
#include "editor/MainForm.h"

#include "editor/CommandLine.h"
#include "editor/MainFormRules.h"
#include "editor/RecSettingsForm.h"
#include "editor/SourceImport.h"

#include "common/EditorMessages.h"
#include "common/JobRecord.h"
#include "common/JobRunner.h"
#include "common/Util.h"
#include "controls/Color.h"
#include "controls/ColorScheme.h"
#include "controls/Overview.h"
#include "controls/ProgressBar.h"
#include "controls/RectBtnEx.h"
#include "controls/Scale.h"
#include "controls/Waveform.h"
#include "platform/audio/EditProcesses.h"
#include "platform/base/Colors.h"
#include "platform/files/FileTime.h"
#include "platform/messaging/ArgumentBlock.h"
#include "platform/messaging/FakeMessaging.h"
#include "platform/messaging/ProgramWindows.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/UrlOpener.h"
#include "tests/platform/codecs/CodecFixtures.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <thread>

using controls::TQzv32RectBtnEx;
using controls::TQzv32WaveDisplay;
using testsupport::ScriptedInteraction;

namespace {

bool isEnabled(const QObject* object)
{
    if (const auto* action = qobject_cast<const QAction*>(object))
        return action->isEnabled();
    return static_cast<const QWidget*>(object)->isEnabled();
}

// Runs the event loop until the condition holds, at most five seconds (QTest's own waiting checks
// report to QTest, not to GoogleTest).
bool eventually(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, 5000);
}

void clickMenuItem(QWidget& window, const QString& name)
{
    auto* action = window.findChild<QAction*>(name);
    ASSERT_NE(action, nullptr) << name.toStdString();
    ASSERT_TRUE(action->isEnabled()) << name.toStdString();
    auto* menu = qobject_cast<QMenu*>(action->parent());
    ASSERT_NE(menu, nullptr) << name.toStdString();
    menu->popup(window.mapToGlobal(QPoint(10, 24)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

// Runs body once the progress window is up (from its modal run's event loop).
void whenProgressShown(controls::TProgressBarForm& progress, std::function<void()> body)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, &progress, body] {
        if (QApplication::activeModalWidget() != &progress || !progress.isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        body();
    });
    timer->start();
}

// A copy that reports 7 % and waits until released, stopping when asked to; released, it copies,
// or fails with `failure` when one is given.
CopyFunction heldCopy(const std::atomic<bool>& released, int failure = 0)
{
    return [&released, failure](const QString& source, const QString& target, std::atomic<int32_t>& percent,
                                const std::atomic<int32_t>& cancelWord) {
        percent.store(7);
        while (!released.load()) {
            if (cancelWord.load() != int32_t(JobState::Running))
                return 129;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return failure != 0 ? failure : CopyFileWithProgress(source, target, percent, cancelWord);
    };
}

// The captions the progress window showed with.
class ShownCaptions : public QObject {
public:
    explicit ShownCaptions(QWidget& window)
    {
        window.installEventFilter(this);
    }
    int count(const QString& caption) const { return int(captions.count(caption)); }

    QStringList captions;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            captions << static_cast<QWidget*>(watched)->windowTitle();
        return false;
    }
};

class NoBrowser : public platform::UrlOpener {
public:
    bool openUrl(const QUrl&) override { return false; }
};

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(temp)); }
    void TearDown() override { EXPECT_TRUE(interaction.allConsumed()); }

    // The window, shown after it took the command line it starts with.
    std::unique_ptr<TMainForm> makeWindow(const QStringList& commandLine = {})
    {
        auto window = std::make_unique<TMainForm>(EditorWindowServices{
            messages, settings, runner, library,
            [this](QWidget* parent) -> std::unique_ptr<SourceDecoder> {
                SourceImportServices services;
                services.tempFolder = [this] { return temp; };
                return std::make_unique<SourceImport>(messages, browser, std::move(services), parent);
            },
            [this] { return temp; }, [this](QWidget*) { return newFormat; }, messaging, copy});
        progressWindow.setMainWindow(window.get());
        window->setStartCommandLine(readCommandLine(commandLine));
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }

    // A sine made by sox; effects follow the synthesis (a fade gives the picture a shape).
    QString tone(const QString& name, double seconds, int rate = 8000, int channels = 1,
                 const QStringList& effects = {})
    {
        const QString path = folder + "/" + name;
        EXPECT_EQ(testsupport::runSox(QStringList{"-n", "-r", QString::number(rate), "-c", QString::number(channels),
                                                  "-b", "16", path, "synth", QString::number(seconds), "sine", "440",
                                                  "vol", "0.6"} +
                                      effects)
                      .exitCode,
                  0);
        return path;
    }

    // File > Open with the scripted dialog answering path, and the message box it leads to (when
    // messageAnswer is set) answered so.
    void open(TMainForm& window, const QString& path, std::optional<int> messageAnswer = {},
              const QString& messageContains = {})
    {
        platform::FileDialogResult chosen;
        chosen.accepted = true;
        chosen.files = {path};
        interaction.expectOpenFile(chosen);
        if (messageAnswer)
            interaction.expectMessageBox(*messageAnswer, messageContains);
        clickMenuItem(window, "FileOpenMenu");
        ASSERT_TRUE(interaction.allConsumed());
    }

    // Types text over a position field opened by a click on its label, ended with the key given.
    static void typeField(QLabel* label, QLineEdit* edit, const QString& text, Qt::Key end)
    {
        QTest::mouseClick(label, Qt::LeftButton);
        ASSERT_TRUE(edit->isVisible());
        edit->selectAll();
        edit->setCursorPosition(0);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, end);
        EXPECT_FALSE(edit->isVisible());
    }

    // Whether each widget the control states switch is enabled, by name; the controls this program
    // does not offer are hidden, which a menu item also counts as disabled, and are left out.
    using States = std::vector<std::pair<std::string, bool>>;
    static States shownStates(TMainForm& window)
    {
        States states;
        for (int i = 0; i < kControlCount; ++i)
            if (!hidden(Control(i)))
                for (const QString& name : controlObjectNames(Control(i)))
                    states.emplace_back(name.toStdString(), isEnabled(window.findChild<QObject*>(name)));
        return states;
    }
    static States expectedStates(const ControlPanel& panel)
    {
        States states;
        for (int i = 0; i < kControlCount; ++i)
            if (!hidden(Control(i)))
                for (const QString& name : controlObjectNames(Control(i)))
                    states.emplace_back(name.toStdString(), panel.enabled(Control(i)));
        return states;
    }
    static bool hidden(Control control)
    {
        return control == Control::LoadFrom || control == Control::CloseAll || control == Control::BatchExport ||
               control == Control::AppRecord;
    }

    QString folder = testsupport::testFolder();
    QString temp = folder + "/temp/";
    ScriptedInteraction interaction;
    platform::Messages messages = makeEditorMessages(interaction);
    platform::MemorySettingsStore settings;
    platform::audio::EditProcesses engine{[] { return false; }, [this] { return temp; }};
    EngineEditLibrary<platform::audio::EditProcesses> library{engine};
    controls::TProgressBarForm progressWindow{controls::ControlVariant::Editor};
    JobRunner runner{progressWindow};
    NoBrowser browser;
    std::atomic<bool> released{false};
    CopyFunction copy = CopyFileWithProgress;
    std::optional<WaveFormatEx> newFormat = makePcmFormat(8000, 16, 1);
    platform::Messaging* messaging = nullptr;
};

// Every control the states switch is there under its name; without a document the window offers
// only New and Open of the File menu's commands and Insert Silence of the Edit menu's.
TEST_F(MainWindowTest, NamedControlsShowTheStateForNoDocument)
{
    auto window = makeWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor"));
    for (int i = 0; i < kControlCount; ++i)
        for (const QString& name : controlObjectNames(Control(i)))
            EXPECT_NE(window->findChild<QObject*>(name), nullptr) << name.toStdString();
    for (const char* name : {"FileMenu", "EditMenu", "ViewMenu", "EffectsMenu", "ToolsMenu", "HelpMenu"})
        EXPECT_NE(window->findChild<QMenu*>(name), nullptr) << name;
    for (const char* name : {"PositionBox", "StartSelectionBox", "EndSelectionBox"})
        EXPECT_NE(window->findChild<QLabel*>(name), nullptr) << name;

    ControlPanel expected;
    SetControlState(expected, ControlState::NoDocument);
    EXPECT_EQ(shownStates(*window), expectedStates(expected));
    EXPECT_TRUE(isEnabled(window->findChild<QAction*>("FileNewMenu")));
    EXPECT_FALSE(isEnabled(window->findChild<QAction*>("EditCutMenu")));
    EXPECT_FALSE(window->findChild<QWidget*>("PauseButton")->isVisible());
    for (const char* name : {"FileLoadFromMenu", "FileCloseAllMenu", "BatchExportMenu"})
        EXPECT_FALSE(window->findChild<QAction*>(name)->isVisible()) << name;
    EXPECT_FALSE(window->findChild<QWidget*>("AppRecButton")->isVisible());
}

// A WAV opened through File > Open: its display shows the whole file, its button carries its name,
// the caption names it; a selection made with the mouse, cut, and undone leaves the working file
// as the user's file was, byte for byte. The control states follow each step.
TEST_F(MainWindowTest, OpenCutAndUndoRestoresTheFile)
{
    auto window = makeWindow();
    const QString song = tone("song.wav", 1.0);
    open(*window, song);

    TQzv32WaveDisplay* display = window->currentDisplay();
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->TotalSamples(), 8000u);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor: song.wav"));
    const auto buttons = window->findChildren<TQzv32RectBtnEx*>("DocumentButton");
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->Caption(), QStringLiteral("song.wav"));
    EXPECT_TRUE(buttons[0]->Down());
    // The panel that holds the button is not offered.
    EXPECT_FALSE(buttons[0]->isHidden());
    EXPECT_FALSE(buttons[0]->isVisible());
    // The working copy is made, then editing is offered.
    const TDocumentRecord* document = window->workspace().documents().current();
    ASSERT_NE(document, nullptr);
    ASSERT_TRUE(eventually([&] { return document->isWorkspaceReady(); }));
    EXPECT_EQ(testsupport::hashOf(document->workingFile), testsupport::hashOf(song));
    // The states of the window as it went: no document, File > Open (which leaves podcast upload
    // off), the document opened with nothing on the clipboard.
    ControlPanel expected;
    SetControlState(expected, ControlState::NoDocument);
    expected.setEnabled(Control::UploadPodcast, false);
    UpdateDocumentControls(expected, {document, true, false, false, false, false});
    expected.setEnabled(Control::Paste, false);
    EXPECT_EQ(shownStates(*window), expectedStates(expected));
    EXPECT_FALSE(isEnabled(window->findChild<QAction*>("EditCutMenu")));

    // A drag across the middle of the display selects.
    const int y = display->height() / 2;
    QTest::mousePress(display, Qt::LeftButton, {}, QPoint(display->width() / 4, y));
    QTest::mouseMove(display, QPoint(display->width() / 2, y));
    QTest::mouseRelease(display, Qt::LeftButton, {}, QPoint(display->width() / 2, y));
    const uint32_t start = display->SelectionStartPos();
    const uint32_t end = display->SelectionEndPos();
    ASSERT_LT(start, end);
    EXPECT_NE(window->findChild<QLabel*>("EndSelectionBox")->text(), QStringLiteral("000:00:000"));
    UpdateDocumentControls(expected, {document, false, false, false, false, false});
    EXPECT_EQ(shownStates(*window), expectedStates(expected));

    clickMenuItem(*window, "EditCutMenu");
    ASSERT_TRUE(eventually([&] { return window->currentDisplay()->TotalSamples() == 8000u - (end - start); }));
    EXPECT_NE(testsupport::hashOf(document->workingFile), testsupport::hashOf(song));
    EXPECT_EQ(document->saveState, SaveState::Modified);
    EXPECT_TRUE(isEnabled(window->findChild<QAction*>("EditUndoMenu")));
    EXPECT_FALSE(isEnabled(window->findChild<QAction*>("EditRedoMenu")));
    EXPECT_EQ(wavefixtures::soxWaveInfo(document->workingFile, false).frames, int64_t(8000 - (end - start)));

    clickMenuItem(*window, "EditUndoMenu");
    ASSERT_TRUE(eventually([&] { return window->currentDisplay()->TotalSamples() == 8000u; }));
    EXPECT_EQ(testsupport::hashOf(document->workingFile), testsupport::hashOf(song));
    EXPECT_TRUE(isEnabled(window->findChild<QAction*>("EditRedoMenu")));
    // The user's file was never touched.
    EXPECT_EQ(wavefixtures::soxWaveInfo(song, false).frames, 8000);
}

// Opening another file first closes the open one (a changed one only when the user lets it go),
// so the button panel holds the new document's button alone; opening the open file again only
// selects it, and File > New makes an untitled empty document in the chosen format.
TEST_F(MainWindowTest, EachOpenReplacesTheDocumentAndItsButton)
{
    auto window = makeWindow();
    const QString first = tone("first.wav", 0.5);
    const QString second = tone("second.wav", 0.25);
    open(*window, first);
    const DocumentList& documents = window->workspace().documents();
    const QString firstWorking = documents.current()->workingFile;
    ASSERT_TRUE(eventually([&] { return documents.current()->isWorkspaceReady(); }));

    open(*window, second);
    ASSERT_EQ(documents.count(), 1);
    EXPECT_FALSE(QFileInfo::exists(firstWorking));
    EXPECT_EQ(window->currentDisplay()->TotalSamples(), 2000u);
    auto buttons = window->findChildren<TQzv32RectBtnEx*>("DocumentButton");
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->Caption(), QStringLiteral("second.wav"));
    EXPECT_EQ(buttons[0]->toolTip(), second);
    const QWidget* panel = buttons[0]->parentWidget();
    EXPECT_EQ(buttons[0]->geometry(), documentButtonRects(1, panel->width(), panel->height()).front());
    const int32_t id = documents.current()->id;
    const QString working = documents.current()->workingFile;
    ASSERT_TRUE(eventually([&] { return documents.current()->isWorkspaceReady(); }));

    // The open file again: the same document, no second copy.
    open(*window, second);
    ASSERT_EQ(documents.count(), 1);
    EXPECT_EQ(documents.current()->id, id);
    EXPECT_EQ(documents.current()->workingFile, working);
    // Its own button, clicked, keeps it and stays down.
    QTest::mouseClick(buttons[0], Qt::LeftButton);
    EXPECT_TRUE(buttons[0]->Down());
    EXPECT_EQ(documents.current()->id, id);

    // A changed document is closed only when the user lets its changes go.
    clickMenuItem(*window, "EditSelectAllMenu");
    clickMenuItem(*window, "EditCropMenu");
    ASSERT_EQ(documents.current()->saveState, SaveState::Modified);
    open(*window, first, platform::IDCANCEL, "has changed");
    EXPECT_EQ(documents.current()->id, id);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor: second.wav"));

    interaction.expectMessageBox(platform::IDNO, "has changed");
    clickMenuItem(*window, "FileNewMenu");
    ASSERT_TRUE(interaction.allConsumed());
    ASSERT_EQ(documents.count(), 1);
    EXPECT_EQ(documents.current()->displayName, QStringLiteral("Untitled1.wav"));
    EXPECT_EQ(documents.current()->waveFormat, makePcmFormat(8000, 16, 1));
    buttons = window->findChildren<TQzv32RectBtnEx*>("DocumentButton");
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->Caption(), QStringLiteral("Untitled1.wav"));
    // An empty document: it can be saved and recorded into, not played or edited.
    ControlPanel expected;
    SetControlState(expected, ControlState::EmptyDocument);
    for (const Control control : {Control::Save, Control::SaveAs, Control::Close, Control::InsertSilence})
        EXPECT_TRUE(expected.enabled(control));
    for (const char* name : {"FileSaveMenu", "FileSaveAsMenu", "FileCloseMenu", "EditInsertSilenceMenu"})
        EXPECT_TRUE(isEnabled(window->findChild<QObject*>(name))) << name;
    for (const char* name : {"PlayButton", "EditCutMenu", "EditSelectAllMenu", "ViewZoomInMenu"})
        EXPECT_FALSE(isEnabled(window->findChild<QObject*>(name))) << name;
}

// A file that is not there keeps the open document as it was; a file that is no WAV is told and
// leaves the window without a document (the open one was closed to make room for it).
TEST_F(MainWindowTest, FailedOpensAreToldAndKeepWhatTheyCan)
{
    auto window = makeWindow();
    open(*window, tone("song.wav", 0.5));
    const DocumentList& documents = window->workspace().documents();
    const int32_t id = documents.current()->id;
    ASSERT_TRUE(eventually([&] { return documents.current()->isWorkspaceReady(); }));

    const QString missing = folder + "/gone.wav";
    open(*window, missing, platform::IDOK, "does not exist");
    ASSERT_EQ(documents.count(), 1);
    EXPECT_EQ(documents.current()->id, id);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor: song.wav"));
    EXPECT_TRUE(window->currentDisplay()->isVisible());
    EXPECT_EQ(window->currentDisplay()->TotalSamples(), 4000u);

    const QString notWave = folder + "/notes.wav";
    testsupport::writeFile(notWave, "these are words, not sound");
    open(*window, notWave, platform::IDOK);
    EXPECT_TRUE(documents.isEmpty());
    EXPECT_EQ(window->currentDisplay(), nullptr);
    EXPECT_TRUE(window->findChild<QWidget*>("TemplateWaveform")->isVisible());
    EXPECT_TRUE(window->findChildren<TQzv32RectBtnEx*>("DocumentButton").isEmpty());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor"));
    ControlPanel expected;
    SetControlState(expected, ControlState::NoDocument);
    expected.setEnabled(Control::UploadPodcast, false);
    EXPECT_EQ(shownStates(*window), expectedStates(expected));
}

// An opened WAV is shown from the user's file while its working copy is made; an edit waits for
// the copy under "Preparing file for editing...". Cancelling that wait leaves the document open,
// read-only and unchanged; a copy that fails says why and that the file stays read-only.
TEST_F(MainWindowTest, EditsWaitForTheWorkingCopy)
{
    copy = heldCopy(released);
    auto window = makeWindow();
    const QString first = tone("first.wav", 0.5);
    const QByteArray firstHash = testsupport::hashOf(first);
    open(*window, first);
    const DocumentList& documents = window->workspace().documents();
    const TDocumentRecord* document = documents.current();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(window->currentDisplay()->TotalSamples(), 4000u);
    EXPECT_EQ(document->workspaceState, WorkspaceState::Copying);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor: first.wav"));

    clickMenuItem(*window, "EditSelectAllMenu");
    QString caption;
    whenProgressShown(progressWindow, [&] {
        caption = progressWindow.windowTitle();
        QTest::mouseClick(progressWindow.CancelButton, Qt::LeftButton);
    });
    clickMenuItem(*window, "EditCutMenu");
    EXPECT_EQ(caption, QString::fromLatin1(kPreparingForEditingCaption));
    EXPECT_EQ(document->workspaceState, WorkspaceState::ReadOnly);
    EXPECT_EQ(document->saveState, SaveState::Unchanged);
    EXPECT_EQ(window->currentDisplay()->TotalSamples(), 4000u);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor: first.wav (Read Only)"));
    EXPECT_EQ(testsupport::hashOf(first), firstHash);

    // The next file's copy is let go while the cut waits: the cut follows on the working copy.
    const QString second = tone("second.wav", 0.5);
    open(*window, second);
    document = documents.current();
    ASSERT_EQ(document->workspaceState, WorkspaceState::Copying);
    clickMenuItem(*window, "EditSelectAllMenu");
    caption.clear();
    whenProgressShown(progressWindow, [&] {
        caption = progressWindow.windowTitle();
        released = true;
    });
    clickMenuItem(*window, "EditCutMenu");
    EXPECT_EQ(caption, QString::fromLatin1(kPreparingForEditingCaption));
    ASSERT_TRUE(eventually([&] { return document->saveState == SaveState::Modified; }));
    EXPECT_TRUE(document->isWorkspaceReady());
    EXPECT_EQ(wavefixtures::soxWaveInfo(document->workingFile, false).frames, 0);
    EXPECT_EQ(wavefixtures::soxWaveInfo(second, false).frames, 4000);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor: second.wav"));
}

TEST_F(MainWindowTest, AFailedWorkingCopyLeavesTheDocumentReadOnly)
{
    copy = heldCopy(released, 150);
    auto window = makeWindow();
    open(*window, tone("song.wav", 0.5));
    const TDocumentRecord* document = window->workspace().documents().current();
    ASSERT_NE(document, nullptr);
    interaction.expectMessageBox(platform::IDOK, "Could not create wave file");
    interaction.expectMessageBox(platform::IDOK, "remain opened in read only mode");
    released = true;
    ASSERT_TRUE(eventually([&] { return interaction.allConsumed(); }));
    EXPECT_EQ(document->workspaceState, WorkspaceState::ReadOnly);
    EXPECT_EQ(document->copyJobId, 0u);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor: song.wav (Read Only)"));
    EXPECT_EQ(window->currentDisplay()->TotalSamples(), 4000u);
}

// The peak build's worker waits until `go` is set: the test acts while its progress window is up.
JobThread::Starter heldBuild(const std::atomic<bool>& go)
{
    return [&go](std::thread& thread, std::function<void()> body) {
        thread = std::thread([&go, body = std::move(body)] {
            while (!go.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            body();
        });
        return true;
    };
}

// The working copy starts before the peaks are built. One that fails while they are built is told
// (its message, then the read-only one) only once the document is shown, not under the progress window.
TEST_F(MainWindowTest, AWorkingCopyEndingWhileThePeaksAreBuiltIsToldOnceTheDocumentIsShown)
{
    std::atomic<bool> copyReturned{false};
    copy = [&, held = heldCopy(released, 150)](const QString& source, const QString& target,
                                               std::atomic<int32_t>& percent, const std::atomic<int32_t>& cancelWord) {
        const int code = held(source, target, percent, cancelWord);
        copyReturned = true;
        return code;
    };
    std::atomic<bool> build{false};
    runner.setThreadStarter(heldBuild(build));
    auto window = makeWindow();
    bool toldUnderTheBuild = true;
    whenProgressShown(progressWindow, [&] {
        released = true;
        ASSERT_TRUE(eventually([&] { return copyReturned.load(); }));
        // Serves the copy's posted end under the progress window.
        QTest::qWait(100);
        toldUnderTheBuild = interaction.allConsumed();
        build = true;
    });
    platform::FileDialogResult chosen;
    chosen.accepted = true;
    chosen.files = {tone("song.wav", 0.5)};
    interaction.expectOpenFile(chosen);
    interaction.expectMessageBox(platform::IDOK, "Could not create wave file");
    interaction.expectMessageBox(platform::IDOK, "remain opened in read only mode");
    clickMenuItem(*window, "FileOpenMenu");
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_FALSE(toldUnderTheBuild);
    const TDocumentRecord* document = window->workspace().documents().current();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->workspaceState, WorkspaceState::ReadOnly);
    EXPECT_EQ(document->copyJobId, 0u);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor: song.wav (Read Only)"));
    EXPECT_EQ(window->currentDisplay()->TotalSamples(), 4000u);
}

// A peak build cancelled while the working copy runs (the cancel is told) stops the copy: no
// document, no file left in the temporary folder, the user's file unchanged.
TEST_F(MainWindowTest, ACancelledPeakBuildStopsTheWorkingCopy)
{
    copy = heldCopy(released);
    std::atomic<bool> build{false};
    runner.setThreadStarter(heldBuild(build));
    auto window = makeWindow();
    const QString song = tone("song.wav", 0.5);
    const QByteArray hash = testsupport::hashOf(song);
    whenProgressShown(progressWindow, [&] {
        QTest::mouseClick(progressWindow.CancelButton, Qt::LeftButton);
        build = true;
    });
    open(*window, song, platform::IDOK, "aborted");
    EXPECT_TRUE(window->workspace().documents().isEmpty());
    EXPECT_EQ(window->currentDisplay(), nullptr);
    // A copy still running would write its working file once let go.
    released = true;
    QTest::qWait(200);
    EXPECT_TRUE(QDir(temp).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(testsupport::hashOf(song), hash);
}

// MP3 and WMA files open as documents decoded into their working WAV under the conversion windows;
// an MP3 that cannot be decoded is told once, by the decoder, and leaves no file behind.
TEST_F(MainWindowTest, CompressedFilesOpenThroughTheirDecoders)
{
    const struct {
        const char* name;
        int rate;
        int channels;
        SourceKind kind;
    } cases[] = {
        {"song.mp3", 44100, 2, SourceKind::Mp3},
        {"talk.wma", 22050, 1, SourceKind::Wma},
    };
    auto window = makeWindow();
    const DocumentList& documents = window->workspace().documents();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder + "/" + c.name;
        const QString source = c.kind == SourceKind::Mp3
                                   ? codecfixtures::lameTone(path, 2, c.rate, c.channels, 128)
                                   : codecfixtures::ffmpegTone(path, 2, c.rate, c.channels,
                                                               {"-c:a", "wmav2", "-b:a", "64k"});
        ASSERT_FALSE(source.isEmpty());
        open(*window, source);
        ASSERT_EQ(documents.count(), 1);
        const TDocumentRecord* document = documents.current();
        EXPECT_EQ(document->documentFile, source);
        EXPECT_EQ(document->sourceKind, c.kind);
        EXPECT_TRUE(document->isWorkspaceReady());
        const wavefixtures::WaveInfo info = wavefixtures::soxWaveInfo(document->workingFile, false);
        EXPECT_EQ(info.rate, c.rate);
        EXPECT_EQ(info.channels, c.channels);
        EXPECT_NEAR(double(info.frames) / c.rate, 2.0, 0.1);
        EXPECT_EQ(int64_t(window->currentDisplay()->TotalSamples()), info.frames);
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor: ") + c.name);
    }

    // The open document is closed to make room before the file is decoded, as for any open.
    const QString noise = folder + "/noise.mp3";
    testsupport::writeFile(noise, QByteArray(5000, '\x17'));
    open(*window, noise, platform::IDOK, "input file is not corrupt");
    EXPECT_TRUE(documents.isEmpty());
    EXPECT_EQ(window->currentDisplay(), nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor"));
    const QStringList waves = QDir(temp).entryList({"*.wav", "*.WAV"}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(waves.isEmpty()) << waves.join(", ").toStdString();
}

// The share of the display's pixels in the picture that are of colour.
double shareOf(const QImage& image, const QRect& rect, const QColor& colour)
{
    int matching = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if ((image.pixel(x, y) | 0xFF000000u) == (colour.rgb() | 0xFF000000u))
                ++matching;
    return double(matching) / (rect.width() * rect.height());
}

// The window with a two-second stereo document and a selection in its middle, saved for a person
// to look at: the display draws the sound and the selection, the position fields give the
// selection's ends, and the status bar the document's name and format.
TEST_F(MainWindowTest, ScreenshotWithADocumentAndASelection)
{
    auto window = makeWindow();
    open(*window, tone("interview.wav", 2.0, 44100, 2, {"fade", "q", "0.8", "2", "0.8"}));
    TQzv32WaveDisplay* display = window->currentDisplay();
    ASSERT_NE(display, nullptr);
    ASSERT_TRUE(eventually([&] { return window->workspace().documents().current()->isWorkspaceReady(); }));
    const int y = display->height() / 2;
    QTest::mousePress(display, Qt::LeftButton, {}, QPoint(display->width() / 4, y));
    QTest::mouseMove(display, QPoint(display->width() / 2, y));
    QTest::mouseRelease(display, Qt::LeftButton, {}, QPoint(display->width() / 2, y));
    ASSERT_LT(display->SelectionStartPos(), display->SelectionEndPos());

    const QImage image = window->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    const QString path = QDir::current().filePath(QStringLiteral("screenshots/editor-main-window-document.png"));
    ASSERT_TRUE(image.save(path)) << path.toStdString();

    EXPECT_EQ(image.size(), window->size() * image.devicePixelRatio());
    const QRect displayRect(display->mapTo(window.get(), QPoint(0, 0)), display->size());
    const QRect left(displayRect.topLeft(), QSize(displayRect.width() / 4 - 2, displayRect.height()));
    const QRect selected(displayRect.topLeft() + QPoint(displayRect.width() / 4 + 2, 0),
                         QSize(displayRect.width() / 4 - 4, displayRect.height()));
    // Left of the selection the sine fills much of the height in the waveform colour; inside it
    // the selection's background shows.
    EXPECT_GT(shareOf(image, left, display->WaveFormColor()), 0.2);
    EXPECT_GT(shareOf(image, selected, display->SelectionBackGroundColor()) +
                  shareOf(image, selected, display->SelectionWaveFormColor()),
              0.9);

    const QStringList status = [&] {
        QStringList texts;
        for (int i = 0; i < kEditorStatusPanelCount; ++i)
            texts << window->findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(i))->text();
        return texts;
    }();
    EXPECT_EQ(status, (QStringList{"interview.wav", "44100 Hz", "16 Bit", "Stereo",
                                   QStringLiteral("1:%1").arg(display->ZoomLevel()), "000:02:000"}));
    EXPECT_NE(window->findChild<QLabel*>("StartSelectionBox")->text(), QStringLiteral("000:00:000"));
    EXPECT_NE(window->findChild<QLabel*>("EndSelectionBox")->text(),
              window->findChild<QLabel*>("StartSelectionBox")->text());
    EXPECT_FALSE(window->findChild<QWidget*>("DocumentButtonPanel")->isVisible());
}

// The command line the editor starts with is opened once its window shows, each switch as a table
// row: a track of the recorder is named for its track and keeps its format (the format change is
// hidden); a WMA is decoded into its working file as File > Open does it, also as a track; what is
// not built yet says so; "/Burn" first opens nothing.
TEST_F(MainWindowTest, TheStartCommandLineOpensItsFilesAsItsSwitchesSay)
{
    const QString wav = tone("take.wav", 0.5);
    const QString wma = codecfixtures::ffmpegTone(folder + "/talk.wma", 1, 22050, 1, {"-c:a", "wmav2", "-b:a", "64k"});
    ASSERT_FALSE(wma.isEmpty());
    const QString playlist = folder + "/list.plst";
    testsupport::writeFile(playlist, wma.toUtf8());
    struct SwitchCase {
        const char* name;
        QStringList arguments;
        QString documentFile; // empty: no document
        QString displayName;
        SourceKind kind;
        bool formatChangeShown;
        const char* message; // what the window says, or null
    };
    const SwitchCase cases[] = {
        {"a voice track", {wav, "/NoSplash", "/VoiceTrack"}, wav, "Voice Track", SourceKind::Wave, false, nullptr},
        {"a music track", {wav, "/NoSplash", "/MusicTrack"}, wav, "Music Track", SourceKind::Wave, false, nullptr},
        {"a normal track", {wav, "/NormalTrack"}, wav, "take.wav", SourceKind::Wave, true, nullptr},
        {"no splash alone", {"/NoSplash", wav}, wav, "take.wav", SourceKind::Wave, true, nullptr},
        {"a wma", {wma}, wma, "talk.wma", SourceKind::Wma, true, nullptr},
        {"a wma as the music track", {wma, "/NoSplash", "/MusicTrack"}, wma, "Music Track", SourceKind::Wma, false,
         nullptr},
        {"unsaved", {wav, "/Unsaved"}, {}, {}, SourceKind::None, true,
         "Opening a file as an unsaved document is not available yet."},
        {"a wma playlist", {playlist}, {}, {}, SourceKind::None, true, "Importing WMA playlists is not available yet."},
        {"burn first", {"/Burn", wav}, {}, {}, SourceKind::None, true, nullptr},
    };
    for (const SwitchCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.message)
            interaction.expectMessageBox(platform::IDOK, QString::fromLatin1(c.message));
        auto window = makeWindow(c.arguments);
        const DocumentList& documents = window->workspace().documents();
        if (c.documentFile.isEmpty()) {
            if (c.message)
                ASSERT_TRUE(eventually([&] { return interaction.allConsumed(); }));
            else
                QTest::qWait(200);
            EXPECT_TRUE(documents.isEmpty());
            EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor"));
        } else {
            ASSERT_TRUE(eventually([&] { return documents.count() == 1; }));
            const TDocumentRecord* document = documents.current();
            EXPECT_EQ(document->documentFile, c.documentFile);
            EXPECT_EQ(document->displayName, c.displayName);
            EXPECT_EQ(document->sourceKind, c.kind);
            const auto buttons = window->findChildren<TQzv32RectBtnEx*>("DocumentButton");
            ASSERT_EQ(buttons.size(), 1);
            EXPECT_EQ(buttons[0]->Caption(), c.displayName);
            EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor: ") + c.displayName);
            ASSERT_TRUE(eventually([&] { return document->isWorkspaceReady(); }));
            const wavefixtures::WaveInfo working = wavefixtures::soxWaveInfo(document->workingFile, false);
            EXPECT_EQ(int64_t(window->currentDisplay()->TotalSamples()), working.frames);
            EXPECT_GT(working.frames, 0);
        }
        EXPECT_EQ(window->findChild<QAction*>("EditChangeFormatMenu")->isVisible(), c.formatChangeShown);
        EXPECT_TRUE(window->findChild<QAction*>("EditMuteMenu")->isVisible());
        EXPECT_TRUE(interaction.allConsumed());
    }
}

// The zoom buttons and the position fields, as a user works them: zooming in halves the level the
// status bar shows and the ruler follows; a caret typed past the end goes to the end, Esc leaves
// it; a selection typed end first is stored from the smaller end.
TEST_F(MainWindowTest, ZoomButtonsAndPositionFields)
{
    auto window = makeWindow();
    open(*window, tone("song.wav", 1.0));
    TQzv32WaveDisplay* display = window->currentDisplay();
    ASSERT_NE(display, nullptr);
    ASSERT_TRUE(eventually([&] { return window->workspace().documents().current()->isWorkspaceReady(); }));
    auto* zoomPanel = window->findChild<QLabel*>("StatusPanel4");
    const uint32_t whole = display->ZoomLevel();
    ASSERT_GT(whole, 3u);
    EXPECT_EQ(zoomPanel->text(), QStringLiteral("1:%1").arg(whole));
    QTest::mouseClick(window->findChild<QWidget*>("ZoomInButton"), Qt::LeftButton);
    EXPECT_EQ(display->ZoomLevel(), whole / 2);
    EXPECT_EQ(zoomPanel->text(), QStringLiteral("1:%1").arg(whole / 2));
    EXPECT_EQ(window->findChild<controls::TQzv32Scale*>("Scale")->ZoomLevel(), whole / 2);
    QTest::mouseClick(window->findChild<QWidget*>("ZoomToExtentsButton"), Qt::LeftButton);
    EXPECT_EQ(display->ZoomLevel(), whole);

    // Zoomed in, the overview's frame covers the part in view; dragged, it takes the display along.
    QTest::mouseClick(window->findChild<QWidget*>("ZoomInButton"), Qt::LeftButton);
    QTest::mouseClick(window->findChild<QWidget*>("ZoomInButton"), Qt::LeftButton);
    auto* overview = window->findChild<controls::TQzv32Overview*>("Overview");
    QWidget* frame = overview->frame();
    ASSERT_LT(frame->width(), overview->width() / 2);
    EXPECT_EQ(frame->x(), 0);
    const QPoint grip(frame->width() / 2, frame->height() / 2);
    QTest::mousePress(frame, Qt::LeftButton, {}, grip);
    QTest::mouseMove(frame, grip + QPoint(60, 0));
    QTest::mouseRelease(frame, Qt::LeftButton, {}, grip + QPoint(60, 0));
    ASSERT_GT(frame->x(), 0);
    ASSERT_TRUE(eventually([&] { return display->LeftSamplePos() == uint32_t(frame->x()) * overview->ZoomLevel(); }))
        << display->LeftSamplePos() << " " << frame->x();
    EXPECT_EQ(window->findChild<controls::TQzv32Scale*>("Scale")->LeftSamplePos(), display->LeftSamplePos());
    // The scroll buttons step by half a view on the press, and on while held.
    QWidget* scrollLeft = window->findChild<QWidget*>("WaveformLeftScrollButton");
    QTest::mouseClick(scrollLeft, Qt::LeftButton);
    const uint32_t halfView = display->ZoomLevel() * uint32_t(display->contentsRect().width()) / 2;
    const uint32_t dragged = uint32_t(frame->x()) * overview->ZoomLevel();
    EXPECT_EQ(display->LeftSamplePos(), dragged > halfView ? dragged - halfView : 0);
    QWidget* scrollRight = window->findChild<QWidget*>("WaveformRightScrollButton");
    const uint32_t before = display->LeftSamplePos();
    QTest::mousePress(scrollRight, Qt::LeftButton);
    QTest::qWait(350);
    QTest::mouseRelease(scrollRight, Qt::LeftButton);
    EXPECT_GE(display->LeftSamplePos(), std::min(before + 3 * halfView, display->MaxPosition()));
    const uint32_t released = display->LeftSamplePos();
    QTest::qWait(250);
    EXPECT_EQ(display->LeftSamplePos(), released);
    QTest::mouseClick(window->findChild<QWidget*>("ZoomToExtentsButton"), Qt::LeftButton);

    auto* position = window->findChild<QLabel*>("PositionBox");
    auto* positionEdit = window->findChild<QLineEdit*>("PositionMaskEdit");
    typeField(position, positionEdit, "000:05:000", Qt::Key_Return);
    EXPECT_EQ(display->CaretPositionBySamples(), 8000u);
    EXPECT_EQ(position->text(), QStringLiteral("000:01:000"));
    typeField(position, positionEdit, "000:00:250", Qt::Key_Escape);
    EXPECT_EQ(display->CaretPositionBySamples(), 8000u);
    EXPECT_EQ(position->text(), QStringLiteral("000:01:000"));
    typeField(position, positionEdit, "000:00:250", Qt::Key_Return);
    EXPECT_EQ(display->CaretPositionBySamples(), 2000u);

    typeField(window->findChild<QLabel*>("StartSelectionBox"), window->findChild<QLineEdit*>("StartSelectionMaskEdit"),
         "000:00:750", Qt::Key_Return);
    typeField(window->findChild<QLabel*>("EndSelectionBox"), window->findChild<QLineEdit*>("EndSelectionMaskEdit"),
         "000:00:500", Qt::Key_Return);
    EXPECT_EQ(display->SelectionStartPos(), 4000u);
    EXPECT_EQ(display->SelectionEndPos(), 6000u);
    EXPECT_TRUE(window->findChild<QAction*>("EditCutMenu")->isEnabled());
}

// The peaks of a file come from its cache while the file is unchanged: the same WAV opened again
// builds none; the working file an edit changed under its name is always built afresh.
TEST_F(MainWindowTest, ThePeakCacheServesAnUnchangedFile)
{
    const QString peaksCaption = QStringLiteral("Building Peaks...");
    ShownCaptions shown(progressWindow);
    auto window = makeWindow();
    const QString song = tone("song.wav", 1.0);
    open(*window, song);
    EXPECT_EQ(shown.count(peaksCaption), 1);
    const DocumentList& documents = window->workspace().documents();
    ASSERT_TRUE(eventually([&] { return documents.current()->isWorkspaceReady(); }));
    clickMenuItem(*window, "FileCloseMenu");
    ASSERT_TRUE(documents.isEmpty());

    open(*window, song);
    EXPECT_EQ(shown.count(peaksCaption), 1);
    TQzv32WaveDisplay* display = window->currentDisplay();
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->TotalSamples(), 8000u);
    ASSERT_TRUE(eventually([&] { return documents.current()->isWorkspaceReady(); }));

    const int y = display->height() / 2;
    QTest::mousePress(display, Qt::LeftButton, {}, QPoint(display->width() / 4, y));
    QTest::mouseMove(display, QPoint(display->width() / 2, y));
    QTest::mouseRelease(display, Qt::LeftButton, {}, QPoint(display->width() / 2, y));
    const uint32_t cut = display->SelectionEndPos() - display->SelectionStartPos();
    ASSERT_GT(cut, 0u);
    // The working copy holds the audio of the user's file: the cut shortens the peaks of that
    // file, and undo and redo show the peaks of each state again. Nothing is built.
    clickMenuItem(*window, "EditCutMenu");
    ASSERT_TRUE(eventually([&] { return window->currentDisplay()->TotalSamples() == 8000u - cut; }));
    EXPECT_EQ(display->WaveFileName(), documents.current()->workingFile);
    const controls::PeakCache cutPeaks = display->peakCache();
    clickMenuItem(*window, "EditUndoMenu");
    ASSERT_TRUE(eventually([&] { return window->currentDisplay()->TotalSamples() == 8000u; }));
    clickMenuItem(*window, "EditRedoMenu");
    ASSERT_TRUE(eventually([&] { return window->currentDisplay()->TotalSamples() == 8000u - cut; }));
    EXPECT_TRUE(display->peakCache().channels == cutPeaks.channels);
    clickMenuItem(*window, "EditUndoMenu");
    ASSERT_TRUE(eventually([&] { return window->currentDisplay()->TotalSamples() == 8000u; }));
    EXPECT_EQ(shown.count(peaksCaption), 1);

    TQzv32WaveDisplay fresh;
    std::atomic<int32_t> progress{0};
    ASSERT_EQ(fresh.OpenWaveFile(documents.current()->workingFile), 0);
    ASSERT_EQ(fresh.BuildPeaks(progress), 0);
    EXPECT_TRUE(display->peakCache().channels == fresh.peakCache().channels);
    auto* overview = window->findChild<controls::TQzv32Overview*>("Overview");
    EXPECT_EQ(overview->sharedPeaks(), display->sharedPeaks()) << "the overview draws the display's peaks";
    TQzv32WaveDisplay fromCache;
    ASSERT_EQ(fromCache.OpenWaveFile(documents.current()->workingFile), 0);
    const QString cache = GetPeakFileName(documents.current()->workingFile, temp);
    ASSERT_TRUE(eventually([&] { return fromCache.LoadPeakFile(cache) == 0; })) << "written in the background";
    EXPECT_TRUE(fromCache.peakCache().channels == fresh.peakCache().channels)
        << "the working file's cache holds the state undone to";
}

// However the selection is cleared (the display does not tell of it), the commands that need one
// go off: Select None, and a caret typed into the position field.
TEST_F(MainWindowTest, ClearingTheSelectionSwitchesItsCommandsOff)
{
    auto window = makeWindow();
    open(*window, tone("song.wav", 1.0));
    const TDocumentRecord* document = window->workspace().documents().current();
    ASSERT_NE(document, nullptr);
    ASSERT_TRUE(eventually([&] { return document->isWorkspaceReady(); }));
    const std::function<void()> clears[] = {
        [&] { clickMenuItem(*window, "EditSelectNoneMenu"); },
        [&] {
            typeField(window->findChild<QLabel*>("PositionBox"), window->findChild<QLineEdit*>("PositionMaskEdit"),
                      "000:00:250", Qt::Key_Return);
        },
    };
    QStringList names;
    for (const Control control : {Control::Cut, Control::Copy, Control::Crop, Control::Clear, Control::CutToFile,
                                  Control::CopyToFile, Control::SelectNone})
        names += controlObjectNames(control);
    for (size_t i = 0; i < std::size(clears); ++i) {
        SCOPED_TRACE(i);
        clickMenuItem(*window, "EditSelectAllMenu");
        for (const QString& name : names)
            EXPECT_TRUE(isEnabled(window->findChild<QObject*>(name))) << name.toStdString();
        clears[i]();
        EXPECT_EQ(window->currentDisplay()->SelectionStartPos(), window->currentDisplay()->SelectionEndPos());
        for (const QString& name : names)
            EXPECT_FALSE(isEnabled(window->findChild<QObject*>(name))) << name.toStdString();
    }
}

// A second start's command line reaches the window through the messaging between processes. When
// the user keeps the changed document open instead of the recorder's voice track, the recorder is
// told to take its track back; a hidden window takes no command line.
TEST_F(MainWindowTest, AHandedOverTrackTheUserKeepsOutGoesBackToTheRecorder)
{
    platform::FakeDesktop desktop;
    platform::FakeMessaging editorSide(desktop);
    platform::FakeMessaging recorderSide(desktop);
    platform::FakeMessaging secondStart(desktop);
    platform::FakeWindow recorder(QStringLiteral("Wexo Ravadur"));
    const auto recorderRegistration = recorderSide.registerWindow(platform::kRecordingWindowClass, recorder);
    messaging = &editorSide;
    auto window = makeWindow();
    open(*window, tone("song.wav", 0.5));
    ASSERT_TRUE(eventually([&] { return window->workspace().documents().current()->isWorkspaceReady(); }));
    clickMenuItem(*window, "EditSelectAllMenu");
    clickMenuItem(*window, "EditCropMenu");
    const int32_t id = window->workspace().documents().current()->id;

    const std::optional<platform::FoundWindow> editor = secondStart.findWindow(
        platform::kEditorMainWindowClass, QStringLiteral("Vexal Audio Zuq Editor"), platform::CaptionMatch::BeginsWith);
    ASSERT_TRUE(editor);
    const platform::BuiltArgumentBlock block = platform::buildArgumentBlock(
        {tone("take.wav", 0.5), "/NoSplash", "/VoiceTrack"}, platform::ArgumentBlockSender::Editor);
    interaction.expectMessageBox(platform::IDCANCEL, "has changed");
    EXPECT_EQ(secondStart.sendCopyData(editor->handle, block.count, block.bytes).result(), 1);
    ASSERT_TRUE(eventually([&] { return recorder.messages().size() == size_t(1); }));
    EXPECT_EQ(recorder.messages()[0].message, platform::kRecorderTrackDoneMessage);
    EXPECT_EQ(recorder.messages()[0].wParam, platform::kTrackDoneVoice);
    EXPECT_EQ(window->workspace().documents().current()->id, id);

    window->hide();
    EXPECT_EQ(secondStart.sendCopyData(editor->handle, block.count, block.bytes).result(), 0);
}

// Closing the window closes the documents first: a changed one the user keeps holds the window
// open; let go, the window closes and the working files are gone.
TEST_F(MainWindowTest, ClosingTheWindowAsksForAChangedDocument)
{
    auto window = makeWindow();
    open(*window, tone("song.wav", 0.5));
    const DocumentList& documents = window->workspace().documents();
    ASSERT_TRUE(eventually([&] { return documents.current()->isWorkspaceReady(); }));
    clickMenuItem(*window, "EditSelectAllMenu");
    clickMenuItem(*window, "EditCropMenu");
    const TDocumentRecord document = *documents.current();

    interaction.expectMessageBox(platform::IDCANCEL, "has changed");
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->busy());
    EXPECT_EQ(documents.count(), 1);

    interaction.expectMessageBox(platform::IDNO, "has changed");
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(documents.isEmpty());
    for (const QString& file : {document.workingFile, document.undoFile, document.redoFile})
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
}

// The edit commands driven as a user drives them, once through the Edit menu and once through the
// keyboard (Ctrl+C, Ctrl+V, Ctrl+Z, Ctrl+Y, Ctrl+X on the window; Clear and Crop have no key), with
// the selection and the caret typed into the position fields: after each step the display shows the
// working file's length, the working file holds what the step left (a state seen before comes
// back byte for byte), and Undo and Redo are offered as the undo and redo files say.
TEST_F(MainWindowTest, EditCommandsRunFromTheirMenuItemsAndTheirKeys)
{
    const QString song = tone("song.wav", 1.0);
    struct EditStep {
        const char* name;
        const char* menuItem;
        int key;   // with Ctrl; 0: the command has no key and the menu is used
        int start; // frames selected first (start == end: the caret is put at start instead; -1: left)
        int end;
        int64_t length; // after the step
        char state;     // a name for the working file's contents; equal names, equal bytes
        bool undo;
        bool redo;
    };
    const EditStep steps[] = {
        {"copy", "EditCopyMenu", Qt::Key_C, 2000, 4000, 8000, 'A', false, false},
        {"paste at the caret", "EditPasteMenu", Qt::Key_V, 1000, 1000, 10000, 'B', true, false},
        {"undo", "EditUndoMenu", Qt::Key_Z, -1, -1, 8000, 'A', false, true},
        {"redo", "EditRedoMenu", Qt::Key_Y, -1, -1, 10000, 'B', true, false},
        {"cut", "EditCutMenu", Qt::Key_X, 0, 2000, 8000, 'C', true, false},
        {"paste over a selection", "EditPasteMenu", Qt::Key_V, 0, 4000, 6000, 'D', true, false},
        {"undo again", "EditUndoMenu", Qt::Key_Z, -1, -1, 8000, 'C', false, true},
        {"clear", "EditClearMenu", 0, 0, 1000, 7000, 'E', true, false},
        {"crop", "EditCropMenu", 0, 1000, 5000, 4000, 'F', true, false},
    };
    const auto at = [](int frame) {
        return QStringLiteral("000:%1:%2").arg(frame / 8000, 2, 10, QLatin1Char('0')).arg(frame % 8000 / 8, 3, 10,
                                                                                           QLatin1Char('0'));
    };
    for (const bool keys : {false, true}) {
        SCOPED_TRACE(keys ? "keys" : "menus");
        auto window = makeWindow();
        open(*window, song);
        const TDocumentRecord* document = window->workspace().documents().current();
        ASSERT_NE(document, nullptr);
        ASSERT_TRUE(eventually([&] { return document->isWorkspaceReady(); }));
        std::map<char, QByteArray> states = {{'A', testsupport::hashOf(song)}};
        for (const EditStep& step : steps) {
            SCOPED_TRACE(step.name);
            if (step.start >= 0 && step.start == step.end) {
                typeField(window->findChild<QLabel*>("PositionBox"), window->findChild<QLineEdit*>("PositionMaskEdit"),
                          at(step.start), Qt::Key_Return);
                ASSERT_EQ(window->currentDisplay()->SelectionStartPos(), window->currentDisplay()->SelectionEndPos());
            } else if (step.start >= 0) {
                typeField(window->findChild<QLabel*>("StartSelectionBox"),
                          window->findChild<QLineEdit*>("StartSelectionMaskEdit"), at(step.start), Qt::Key_Return);
                typeField(window->findChild<QLabel*>("EndSelectionBox"),
                          window->findChild<QLineEdit*>("EndSelectionMaskEdit"), at(step.end), Qt::Key_Return);
                ASSERT_EQ(window->currentDisplay()->SelectionStartPos(), uint32_t(step.start));
                ASSERT_EQ(window->currentDisplay()->SelectionEndPos(), uint32_t(step.end));
            }
            if (keys && step.key != 0) {
                auto* action = window->findChild<QAction*>(step.menuItem);
                ASSERT_TRUE(action->isEnabled());
                window->activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
                QTest::keyClick(window.get(), Qt::Key(step.key), Qt::ControlModifier);
            } else {
                clickMenuItem(*window, step.menuItem);
            }
            ASSERT_TRUE(eventually([&] { return int64_t(window->currentDisplay()->TotalSamples()) == step.length; }))
                << window->currentDisplay()->TotalSamples();
            EXPECT_EQ(wavefixtures::soxWaveInfo(document->workingFile, false).frames, step.length);
            const QByteArray working = testsupport::hashOf(document->workingFile);
            if (const auto seen = states.find(step.state); seen != states.end())
                EXPECT_EQ(working, seen->second);
            else
                states[step.state] = working;
            EXPECT_EQ(hasUndoData(*document), step.undo);
            EXPECT_EQ(hasRedoData(*document), step.redo);
            EXPECT_EQ(window->findChild<QAction*>("EditUndoMenu")->isEnabled(), step.undo);
            EXPECT_EQ(window->findChild<QAction*>("EditRedoMenu")->isEnabled(), step.redo);
            EXPECT_TRUE(window->findChild<QAction*>("EditPasteMenu")->isEnabled()) << "the clipboard holds audio";
        }
        interaction.expectMessageBox(platform::IDNO, "has changed");
        EXPECT_TRUE(window->close());
    }
}

// The peak caches the display builds for a document's working file go with the document, whether
// File > Close closes it or the window's close-down does; the cache beside the user's own file,
// which serves the next open of that file, stays.
TEST_F(MainWindowTest, ClosingADocumentRemovesThePeakCachesOfItsFiles)
{
    const QString song = tone("song.wav", 0.5);
    const std::pair<const char*, std::function<void(TMainForm&)>> roads[] = {
        {"File > Close", [](TMainForm& window) { clickMenuItem(window, "FileCloseMenu"); }},
        {"closing the window", [](TMainForm& window) { EXPECT_TRUE(window.close()); }},
    };
    const auto peakCaches = [&] { return QDir(temp).entryList({"*.vxp"}, QDir::Files | QDir::Hidden); };
    for (const auto& [name, close] : roads) {
        SCOPED_TRACE(name);
        auto window = makeWindow();
        open(*window, song);
        const DocumentList& documents = window->workspace().documents();
        ASSERT_TRUE(eventually([&] { return documents.current()->isWorkspaceReady(); }));
        // A cut and its undo show the working file under its name: its peaks are cached beside it.
        clickMenuItem(*window, "EditSelectAllMenu");
        clickMenuItem(*window, "EditCutMenu");
        clickMenuItem(*window, "EditUndoMenu");
        ASSERT_TRUE(eventually([&] { return window->currentDisplay()->TotalSamples() == 4000u; }));
        const QString workingCache = QFileInfo(documents.current()->workingFile).completeBaseName() + ".vxp";
        ASSERT_TRUE(eventually([&] { return peakCaches().contains(workingCache); }))
            << peakCaches().join(", ").toStdString();

        interaction.expectMessageBox(platform::IDNO, "has changed");
        close(*window);
        EXPECT_TRUE(documents.isEmpty());
        EXPECT_TRUE(peakCaches().isEmpty()) << peakCaches().join(", ").toStdString();
        EXPECT_TRUE(QFileInfo::exists(folder + "/song.vxp"));
    }
}

// View > Sample Number shows the three fields as sample numbers and is kept: the next window
// starts in that form. A setting that cannot be written is told, and the form changes all the same.
TEST_F(MainWindowTest, ThePositionFormIsKeptInTheSettings)
{
    {
        auto window = makeWindow();
        open(*window, tone("song.wav", 1.0));
        ASSERT_TRUE(eventually([&] { return window->workspace().documents().current()->isWorkspaceReady(); }));
        EXPECT_TRUE(window->findChild<QAction*>("ViewPositionDisplayMinSecMenu")->isChecked());
        clickMenuItem(*window, "EditSelectAllMenu");
        clickMenuItem(*window, "ViewPositionDisplaySamplesMenu");
        EXPECT_TRUE(window->findChild<QAction*>("ViewPositionDisplaySamplesMenu")->isChecked());
        EXPECT_FALSE(window->findChild<QAction*>("ViewPositionDisplayMinSecMenu")->isChecked());
        EXPECT_EQ(window->findChild<QLabel*>("EndSelectionBox")->text(), QStringLiteral("00008000"));
        EXPECT_EQ(window->findChild<QLabel*>("StatusPanel5")->text(), QStringLiteral("8000"));
    }
    auto window = makeWindow();
    EXPECT_TRUE(window->findChild<QAction*>("ViewPositionDisplaySamplesMenu")->isChecked());
    EXPECT_EQ(window->findChild<QLabel*>("PositionBox")->text(), QStringLiteral("00000000"));

    settings.setFailWrites(true);
    interaction.expectMessageBox(platform::IDOK, "Cannot write");
    clickMenuItem(*window, "ViewPositionDisplayMinSecMenu");
    EXPECT_EQ(window->findChild<QLabel*>("PositionBox")->text(), QStringLiteral("000:00:000"));
}

// A document button's popup closes its document; View > Full Screen and Minimum Size switch the
// window's size and each other.
TEST_F(MainWindowTest, DocumentPopupAndWindowSizeCommands)
{
    auto window = makeWindow();
    open(*window, tone("song.wav", 0.5));
    auto* button = window->findChild<TQzv32RectBtnEx*>("DocumentButton");
    ASSERT_NE(button, nullptr);
    ASSERT_NE(button->PopupMenu(), nullptr);
    auto* close = button->PopupMenu()->findChild<QAction*>("CloseWavefilePopupMenu");
    ASSERT_NE(close, nullptr);
    ASSERT_NE(button->PopupMenu()->findChild<QAction*>("SelectWavefilePopupMenu"), nullptr);
    close->trigger();
    EXPECT_TRUE(window->workspace().documents().isEmpty());
    EXPECT_TRUE(window->findChildren<TQzv32RectBtnEx*>("DocumentButton").isEmpty());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor"));

    auto* fullScreen = window->findChild<QAction*>("ViewFillScreenMenu");
    auto* minimumSize = window->findChild<QAction*>("ViewMinimumSizeMenu");
    EXPECT_FALSE(minimumSize->isEnabled());
    clickMenuItem(*window, "ViewFillScreenMenu");
    EXPECT_TRUE(window->isMaximized());
    EXPECT_FALSE(fullScreen->isEnabled());
    clickMenuItem(*window, "ViewMinimumSizeMenu");
    EXPECT_FALSE(window->isMaximized());
    EXPECT_TRUE(fullScreen->isEnabled());
    EXPECT_EQ(window->size(), window->minimumSize());
}

// Runs body with the modal dialog of type T once it is up (from its modal run's event loop).
template <typename T>
void whenModalShown(std::function<void(T&)> body)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, body] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        body(*dialog);
    });
    timer->start();
}

// A user zoomed in and scrolled to a part of a long file keeps that view through a cut, its undo
// and its redo; a display that showed the whole file shows the whole new file.
TEST_F(MainWindowTest, EditsUndoAndRedoKeepTheZoomAndTheFirstFrame)
{
    auto window = makeWindow();
    open(*window, tone("long.wav", 4.0));
    TQzv32WaveDisplay* display = window->currentDisplay();
    ASSERT_NE(display, nullptr);
    ASSERT_TRUE(eventually([&] { return window->workspace().documents().current()->isWorkspaceReady(); }));
    QTest::mouseClick(window->findChild<QWidget*>("ZoomInButton"), Qt::LeftButton);
    QTest::mouseClick(window->findChild<QWidget*>("ZoomInButton"), Qt::LeftButton);
    QTest::mouseClick(window->findChild<QWidget*>("WaveformRightScrollButton"), Qt::LeftButton);
    const uint32_t zoom = display->ZoomLevel();
    const uint32_t left = display->LeftSamplePos();
    ASSERT_LT(zoom, display->MaxZoomLevel());
    ASSERT_GT(left, 0u);
    // The selection fields, in sample numbers, select a tenth of the part in view.
    clickMenuItem(*window, "ViewPositionDisplaySamplesMenu");
    const uint32_t start = left + (display->RightSamplePos() - left) / 4;
    const uint32_t end = start + (display->RightSamplePos() - left) / 10;
    const auto select = [&] {
        typeField(window->findChild<QLabel*>("StartSelectionBox"),
                  window->findChild<QLineEdit*>("StartSelectionMaskEdit"),
                  QStringLiteral("%1").arg(start, 8, 10, QChar('0')), Qt::Key_Return);
        typeField(window->findChild<QLabel*>("EndSelectionBox"), window->findChild<QLineEdit*>("EndSelectionMaskEdit"),
                  QStringLiteral("%1").arg(end, 8, 10, QChar('0')), Qt::Key_Return);
        ASSERT_EQ(display->SelectionStartPos(), start);
        ASSERT_EQ(display->SelectionEndPos(), end);
    };
    select();

    const uint32_t total = display->TotalSamples();
    clickMenuItem(*window, "EditCutMenu");
    ASSERT_TRUE(eventually([&] { return window->currentDisplay()->TotalSamples() == total - (end - start); }));
    EXPECT_EQ(display->ZoomLevel(), zoom);
    EXPECT_EQ(display->LeftSamplePos(), left);
    EXPECT_EQ(window->findChild<controls::TQzv32Scale*>("Scale")->ZoomLevel(), zoom);
    clickMenuItem(*window, "EditUndoMenu");
    ASSERT_TRUE(eventually([&] { return window->currentDisplay()->TotalSamples() == total; }));
    EXPECT_EQ(display->ZoomLevel(), zoom);
    EXPECT_EQ(display->LeftSamplePos(), left);
    clickMenuItem(*window, "EditRedoMenu");
    ASSERT_TRUE(eventually([&] { return window->currentDisplay()->TotalSamples() == total - (end - start); }));
    EXPECT_EQ(display->ZoomLevel(), zoom);
    EXPECT_EQ(display->LeftSamplePos(), left);

    QTest::mouseClick(window->findChild<QWidget*>("ZoomToExtentsButton"), Qt::LeftButton);
    const uint32_t whole = display->ZoomLevel();
    select();
    clickMenuItem(*window, "EditCutMenu");
    ASSERT_TRUE(eventually([&] { return window->currentDisplay()->TotalSamples() == total - 2 * (end - start); }));
    EXPECT_EQ(display->ZoomLevel(), display->MaxZoomLevel());
    EXPECT_LT(display->ZoomLevel(), whole);
    EXPECT_EQ(display->LeftSamplePos(), 0u);
}

// Cut and Clear take the removed range out of the peaks the display shows and save them as the
// working file's cache, stamped with its time: no build. Undo shows the other state's peaks again.
TEST_F(MainWindowTest, CutAndClearShortenThePeaksWithoutABuild)
{
    const QString peaksCaption = QStringLiteral("Building Peaks...");
    ShownCaptions shown(progressWindow);
    auto window = makeWindow();
    open(*window, tone("song.wav", 1.0));
    const TDocumentRecord* document = window->workspace().documents().current();
    ASSERT_TRUE(eventually([&] { return document->isWorkspaceReady(); }));
    clickMenuItem(*window, "ViewPositionDisplaySamplesMenu");
    const auto select = [&](uint32_t start, uint32_t end) {
        typeField(window->findChild<QLabel*>("StartSelectionBox"),
                  window->findChild<QLineEdit*>("StartSelectionMaskEdit"),
                  QStringLiteral("%1").arg(start, 8, 10, QChar('0')), Qt::Key_Return);
        typeField(window->findChild<QLabel*>("EndSelectionBox"), window->findChild<QLineEdit*>("EndSelectionMaskEdit"),
                  QStringLiteral("%1").arg(end, 8, 10, QChar('0')), Qt::Key_Return);
    };
    // The display shows the user's file until an edit has shown it the working file.
    select(0, 800);
    clickMenuItem(*window, "EditCropMenu");
    TQzv32WaveDisplay* display = window->currentDisplay();
    ASSERT_EQ(display->TotalSamples(), 800u);
    const int builds = shown.count(peaksCaption);
    const QString cache = GetPeakFileName(document->workingFile, temp);
    auto* overview = window->findChild<controls::TQzv32Overview*>("Overview");

    // Ranges on whole blocks of peaks: what is left equals a fresh build of the new file.
    const std::pair<const char*, uint32_t> commands[] = {{"EditCutMenu", 640}, {"EditClearMenu", 480}};
    for (const auto& [command, length] : commands) {
        SCOPED_TRACE(command);
        select(64, 64 + (display->TotalSamples() - length));
        clickMenuItem(*window, command);
        ASSERT_EQ(display->TotalSamples(), length);
        EXPECT_EQ(shown.count(peaksCaption), builds);
        EXPECT_EQ(overview->TotalSamples(), length);
        // The cache is written in the background.
        EXPECT_TRUE(eventually([&] {
            return platform::fileWriteTimeNs(cache) == platform::fileWriteTimeNs(document->workingFile);
        }));
        TQzv32WaveDisplay fresh;
        std::atomic<int32_t> progress{0};
        ASSERT_EQ(fresh.OpenWaveFile(document->workingFile), 0);
        ASSERT_EQ(fresh.BuildPeaks(progress), 0);
        EXPECT_TRUE(fresh.peakCache().channels == display->peakCache().channels);
        TQzv32WaveDisplay fromCache;
        ASSERT_EQ(fromCache.OpenWaveFile(document->workingFile), 0);
        EXPECT_EQ(fromCache.LoadPeakFile(cache), 0) << "the saved peaks count as current";
    }
    // Undo shows the peaks the state had, without a build.
    clickMenuItem(*window, "EditUndoMenu");
    ASSERT_EQ(display->TotalSamples(), 640u);
    EXPECT_EQ(shown.count(peaksCaption), builds);
    {
        TQzv32WaveDisplay fresh;
        std::atomic<int32_t> progress{0};
        ASSERT_EQ(fresh.OpenWaveFile(document->workingFile), 0);
        ASSERT_EQ(fresh.BuildPeaks(progress), 0);
        EXPECT_TRUE(fresh.peakCache().channels == display->peakCache().channels);
        EXPECT_TRUE(fresh.peakCache().channels == overview->peakCache().channels);
    }
    // An undo file changed behind the window's back is no longer the state whose peaks were kept.
    clickMenuItem(*window, "EditRedoMenu");
    ASSERT_EQ(display->TotalSamples(), 480u);
    const std::optional<int64_t> undoTime = platform::fileWriteTimeNs(document->undoFile);
    ASSERT_TRUE(undoTime);
    ASSERT_TRUE(platform::setFileWriteTimeNs(document->undoFile, *undoTime - 1000000000));
    clickMenuItem(*window, "EditUndoMenu");
    ASSERT_EQ(display->TotalSamples(), 640u);
    EXPECT_EQ(shown.count(peaksCaption), builds + 1);

    // All of it cut: no peaks left, nothing to tell.
    clickMenuItem(*window, "EditSelectAllMenu");
    clickMenuItem(*window, "EditCutMenu");
    EXPECT_EQ(display->TotalSamples(), 0u);
    EXPECT_EQ(overview->TotalSamples(), 0u);
    EXPECT_EQ(shown.count(peaksCaption), builds + 1);
}

// Paste is offered for a file handed over by a second start while the clipboard holds audio,
// although closing the document before switched it off.
TEST_F(MainWindowTest, AHandedOverFileOffersPasteOfTheClipboard)
{
    platform::FakeDesktop desktop;
    platform::FakeMessaging editorSide(desktop);
    platform::FakeMessaging secondStart(desktop);
    messaging = &editorSide;
    auto window = makeWindow();
    open(*window, tone("song.wav", 0.5));
    ASSERT_TRUE(eventually([&] { return window->workspace().documents().current()->isWorkspaceReady(); }));
    clickMenuItem(*window, "EditSelectAllMenu");
    clickMenuItem(*window, "EditCopyMenu");
    ASSERT_TRUE(isEnabled(window->findChild<QAction*>("EditPasteMenu")));

    const std::optional<platform::FoundWindow> editor = secondStart.findWindow(
        platform::kEditorMainWindowClass, QStringLiteral("Vexal Audio Zuq Editor"), platform::CaptionMatch::BeginsWith);
    ASSERT_TRUE(editor);
    const platform::BuiltArgumentBlock block =
        platform::buildArgumentBlock({tone("take.wav", 0.5)}, platform::ArgumentBlockSender::Editor);
    EXPECT_EQ(secondStart.sendCopyData(editor->handle, block.count, block.bytes).result(), 1);
    ASSERT_TRUE(eventually([&] {
        const TDocumentRecord* document = window->workspace().documents().current();
        return document && document->displayName == QStringLiteral("take.wav");
    }));
    EXPECT_TRUE(isEnabled(window->findChild<QAction*>("EditPasteMenu")));
}

// A voice track the user closes is forgotten: handed over again, it is named a track again.
TEST_F(MainWindowTest, AClosedTrackIsNamedATrackWhenHandedOverAgain)
{
    platform::FakeDesktop desktop;
    platform::FakeMessaging editorSide(desktop);
    platform::FakeMessaging secondStart(desktop);
    messaging = &editorSide;
    auto window = makeWindow();
    const std::optional<platform::FoundWindow> editor = secondStart.findWindow(
        platform::kEditorMainWindowClass, QStringLiteral("Vexal Audio Zuq Editor"), platform::CaptionMatch::BeginsWith);
    ASSERT_TRUE(editor);
    const platform::BuiltArgumentBlock block = platform::buildArgumentBlock(
        {tone("take.wav", 0.5), "/NoSplash", "/VoiceTrack"}, platform::ArgumentBlockSender::Editor);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(secondStart.sendCopyData(editor->handle, block.count, block.bytes).result(), 1);
        ASSERT_TRUE(eventually([&] { return !window->workspace().documents().isEmpty(); }));
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor: Voice Track"));
        ASSERT_TRUE(eventually([&] { return window->workspace().documents().current()->isWorkspaceReady(); }));
        clickMenuItem(*window, "FileCloseMenu");
        ASSERT_TRUE(window->workspace().documents().isEmpty());
    }
}

// The window leaves the application's display name alone, so the platform adds nothing to its
// caption; the caption is the product's title and the document's name.
TEST_F(MainWindowTest, TheCaptionIsTheTitleAndTheDocumentAlone)
{
    auto window = makeWindow();
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    open(*window, tone("song.wav", 0.5));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor: song.wav"));
    EXPECT_FALSE(window->findChild<QWidget*>("DocumentButtonPanel")->isVisible());
}

// The waveform colours: the scheme stored is shown from the start, View > Set Colors changes it on
// Ok, and closing the window stores the scheme it shows.
TEST_F(MainWindowTest, SetColorsChangesTheSchemeThatIsLoadedAndSaved)
{
    const auto stored = [this] {
        controls::ColorScheme scheme(controls::SchemeProgram::Editor, settings, messages);
        EXPECT_EQ(scheme.LoadColorScheme(), 0);
        return scheme.GetSchemeColor(controls::EditorColor::WaveformBackground);
    };
    const auto store = [this](uint32_t background) {
        controls::ColorScheme scheme(controls::SchemeProgram::Editor, settings, messages);
        ASSERT_EQ(scheme.LoadColorScheme(), 0);
        scheme.setUseDefault(controls::EditorColor::WaveformBackground, false);
        scheme.setCustomColor(controls::EditorColor::WaveformBackground, background);
        ASSERT_EQ(scheme.SaveColorScheme(), 0);
    };
    store(0x123456);
    auto window = makeWindow();
    EXPECT_EQ(window->findChild<TQzv32WaveDisplay*>("TemplateWaveform")->BackGroundColor(),
              platform::colorFromRef(0x123456));
    open(*window, tone("song.wav", 0.5));
    TQzv32WaveDisplay* display = window->currentDisplay();
    EXPECT_EQ(display->BackGroundColor(), platform::colorFromRef(0x123456));

    // Back to the default (black) in the dialog.
    whenModalShown<controls::TColorForm>([](controls::TColorForm& dialog) {
        dialog.DisplayElementsListBox->setCurrentRow(controls::EditorColor::WaveformBackground);
        QTest::mouseClick(dialog.DefaultRadioButton, Qt::LeftButton);
        QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
    });
    clickMenuItem(*window, "ViewSetColorsMenu");
    ASSERT_TRUE(eventually([] { return QApplication::activeModalWidget() == nullptr; }));
    EXPECT_EQ(display->BackGroundColor(), QColor(Qt::black));
    EXPECT_EQ(window->findChild<TQzv32WaveDisplay*>("TemplateWaveform")->BackGroundColor(), QColor(Qt::black));

    store(0x654321);
    ASSERT_TRUE(window->close());
    EXPECT_EQ(stored(), 0u) << "the window stores the scheme it shows";
}

// An undo whose peak build the user cancels moves the files back; the display then shows the
// edited file again (built without a Cancel), at the zoom and first frame it had, and Undo is
// still offered.
TEST_F(MainWindowTest, ACancelledUndoShowsTheEditedFileAgain)
{
    auto window = makeWindow();
    // Long enough for its peaks to take a while to build.
    open(*window, tone("long.wav", 300.0, 44100, 2));
    const TDocumentRecord* document = window->workspace().documents().current();
    ASSERT_TRUE(eventually([&] { return document->isWorkspaceReady(); }));
    TQzv32WaveDisplay* display = window->currentDisplay();
    QTest::mouseClick(window->findChild<QWidget*>("ZoomInButton"), Qt::LeftButton);
    QTest::mouseClick(window->findChild<QWidget*>("WaveformRightScrollButton"), Qt::LeftButton);
    clickMenuItem(*window, "ViewPositionDisplaySamplesMenu");
    typeField(window->findChild<QLabel*>("StartSelectionBox"), window->findChild<QLineEdit*>("StartSelectionMaskEdit"),
              "00044100", Qt::Key_Return);
    typeField(window->findChild<QLabel*>("EndSelectionBox"), window->findChild<QLineEdit*>("EndSelectionMaskEdit"),
              "00088200", Qt::Key_Return);
    const uint32_t total = display->TotalSamples();
    clickMenuItem(*window, "EditCutMenu");
    ASSERT_EQ(display->TotalSamples(), total - 44100);
    const QByteArray edited = testsupport::hashOf(document->workingFile);
    const uint32_t zoom = display->ZoomLevel();
    const uint32_t left = display->LeftSamplePos();

    // Touched, the undo file no longer matches the peaks kept for it: the undo builds.
    const std::optional<int64_t> undoTime = platform::fileWriteTimeNs(document->undoFile);
    ASSERT_TRUE(undoTime);
    ASSERT_TRUE(platform::setFileWriteTimeNs(document->undoFile, *undoTime + 1000000000));
    whenProgressShown(progressWindow, [&] { QTest::mouseClick(progressWindow.CancelButton, Qt::LeftButton); });
    interaction.expectMessageBox(platform::IDOK, "aborted");
    clickMenuItem(*window, "EditUndoMenu");
    ASSERT_TRUE(interaction.allConsumed());
    EXPECT_EQ(testsupport::hashOf(document->workingFile), edited);
    EXPECT_EQ(display->WaveFileName(), document->workingFile);
    EXPECT_EQ(display->TotalSamples(), total - 44100);
    EXPECT_EQ(display->peakState(), controls::PeakState::Built);
    EXPECT_EQ(display->ZoomLevel(), zoom);
    EXPECT_EQ(display->LeftSamplePos(), left);
    EXPECT_TRUE(isEnabled(window->findChild<QAction*>("EditUndoMenu")));
    EXPECT_FALSE(isEnabled(window->findChild<QAction*>("EditRedoMenu")));
}

} // namespace
