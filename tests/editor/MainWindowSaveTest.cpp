// The main window's File > Save, Revert and Close offscreen, driven through the menu items with the
// scripted interaction answering: what each road leaves on disk and how the document is left.
#include "editor/MainForm.h"

#include "editor/CommandLine.h"
#include "editor/SourceImport.h"

#include "common/EditorMessages.h"
#include "common/JobRunner.h"
#include "common/Util.h"
#include "controls/ProgressBar.h"
#include "controls/RectBtnEx.h"
#include "controls/Waveform.h"
#include "platform/audio/EditProcesses.h"
#include "platform/files/FileTime.h"
#include "platform/messaging/FakeMessaging.h"
#include "platform/messaging/ProgramWindows.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/UrlOpener.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTest>

#include <functional>
#include <optional>

using testsupport::hashOf;
using testsupport::ScriptedInteraction;

namespace {

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
    ASSERT_NE(menu, nullptr);
    menu->popup(window.mapToGlobal(QPoint(10, 24)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

bool enabled(QWidget& window, const char* name)
{
    return window.findChild<QAction*>(name)->isEnabled();
}

class NoBrowser : public platform::UrlOpener {
public:
    bool openUrl(const QUrl&) override { return false; }
};

class MainWindowSaveTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(temp)); }
    void TearDown() override { EXPECT_TRUE(interaction.allConsumed()); }

    // The window, shown after it took the command line it starts with.
    std::unique_ptr<TMainForm> makeWindow(const QStringList& commandLine = {})
    {
        EditorWindowServices services{messages,
                                      settings,
                                      runner,
                                      library,
                                      [this](QWidget* parent) -> std::unique_ptr<SourceDecoder> {
                                          SourceImportServices import;
                                          import.tempFolder = [this] { return temp; };
                                          return std::make_unique<SourceImport>(messages, browser, std::move(import),
                                                                                parent);
                                      },
                                      [this] { return temp; },
                                      [](QWidget*) { return makePcmFormat(8000, 16, 1); }};
        services.musicFolder = [this] { return folder; };
        services.messaging = messaging;
        auto window = std::make_unique<TMainForm>(services);
        progressWindow.setMainWindow(window.get());
        window->setStartCommandLine(readCommandLine(commandLine));
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }

    QString tone(const QString& name)
    {
        const QString path = folder + "/" + name;
        EXPECT_EQ(testsupport::runSox({"-n", "-r", "8000", "-c", "1", "-b", "16", path, "synth", "1", "sine", "440"})
                      .exitCode,
                  0);
        return path;
    }

    // Selects the left 1/parts of the display with the mouse and cuts it.
    static void cutBy(TMainForm& window, int parts)
    {
        controls::TQzv32WaveDisplay* display = window.currentDisplay();
        const int y = display->height() / 2;
        QTest::mousePress(display, Qt::LeftButton, {}, QPoint(1, y));
        QTest::mouseMove(display, QPoint(display->width() / parts, y));
        QTest::mouseRelease(display, Qt::LeftButton, {}, QPoint(display->width() / parts, y));
        clickMenuItem(window, "EditCutMenu");
    }

    // Opens the file and cuts the first half of it: the document is changed, the file is not.
    const TDocumentRecord* openAndCut(TMainForm& window, const QString& path)
    {
        platform::FileDialogResult chosen;
        chosen.accepted = true;
        chosen.files = {path};
        interaction.expectOpenFile(chosen);
        clickMenuItem(window, "FileOpenMenu");
        const TDocumentRecord* document = window.workspace().documents().current();
        EXPECT_TRUE(eventually([&] { return document->isWorkspaceReady(); }));
        const uint32_t before = window.currentDisplay()->TotalSamples();
        cutBy(window, 2);
        EXPECT_TRUE(eventually([&] { return window.currentDisplay()->TotalSamples() < before; }));
        EXPECT_EQ(document->saveState, SaveState::Modified);
        return document;
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
    platform::Messaging* messaging = nullptr;
};

// Closing a changed document: its question answered Yes saves it over the file, No lets the
// changes go, Cancel keeps it open (without its podcast commands); a save that fails is told and
// keeps it open, and so does the window, which would otherwise throw the edits away.
TEST_F(MainWindowSaveTest, CloseRoadsLeaveTheFilesOfTheTable)
{
    enum class Saved { Edited, Original };
    struct Case {
        const char* name;
        int answer;
        bool folderGone; // the file's folder is gone by the time of the save
        bool stillOpen;
        Saved onDisk;
    };
    const std::vector<Case> cases = {
        {"yes saves", platform::IDYES, false, false, Saved::Edited},
        {"no drops the edits", platform::IDNO, false, false, Saved::Original},
        {"cancel keeps the document", platform::IDCANCEL, false, true, Saved::Original},
        {"a failed save keeps the document", platform::IDYES, true, true, Saved::Original},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto window = makeWindow();
        const QString docs = folder + "/" + c.name;
        ASSERT_TRUE(QDir().mkpath(docs));
        const QString song = docs + "/song.wav";
        EXPECT_EQ(testsupport::runSox({"-n", "-r", "8000", "-c", "1", "-b", "16", song, "synth", "1", "sine", "440"})
                      .exitCode,
                  0);
        const QByteArray original = hashOf(song);
        const TDocumentRecord* document = openAndCut(*window, song);
        const QByteArray edited = hashOf(document->workingFile);
        ASSERT_TRUE(enabled(*window, "SaveAsPodcastMenu"));
        if (c.folderGone) {
            ASSERT_TRUE(QFile::rename(docs, docs + " moved"));
        }
        interaction.expectMessageBox(c.answer, "has changed");
        if (c.folderGone)
            interaction.expectMessageBox(platform::IDOK, "Cannot save file to disk");
        clickMenuItem(*window, "FileCloseMenu");
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(window->workspace().documents().count(), c.stillOpen ? 1 : 0);
        const QString onDisk = c.folderGone ? docs + " moved/song.wav" : song;
        EXPECT_EQ(hashOf(onDisk), c.onDisk == Saved::Edited ? edited : original);
        if (c.stillOpen) {
            EXPECT_EQ(window->workspace().documents().current()->saveState, SaveState::Modified);
            EXPECT_FALSE(enabled(*window, "SaveAsPodcastMenu"));
            interaction.expectMessageBox(platform::IDCANCEL, "has changed");
            EXPECT_FALSE(window->close());
            EXPECT_EQ(window->workspace().documents().count(), 1);
            interaction.expectMessageBox(platform::IDNO, "has changed");
            EXPECT_TRUE(window->close());
        }
    }
}

// File > Save writes the edits over the file and leaves nothing to save, undo or revert; after
// another edit File > Revert brings the saved file back into the display. Closed unchanged, the
// document leaves its peaks as the file's cache with the file's time; an untitled empty one closes
// without a question.
TEST_F(MainWindowSaveTest, SaveRevertAndCloseFromTheMenu)
{
    auto window = makeWindow();
    const QString song = tone("song.wav");
    const TDocumentRecord* document = openAndCut(*window, song);
    ASSERT_TRUE(enabled(*window, "FileSaveMenu"));
    ASSERT_TRUE(enabled(*window, "FileRevertMenu"));
    clickMenuItem(*window, "FileSaveMenu");
    EXPECT_EQ(hashOf(song), hashOf(document->workingFile));
    EXPECT_EQ(document->saveState, SaveState::Unchanged);
    for (const char* name : {"FileSaveMenu", "FileRevertMenu", "EditUndoMenu", "EditRedoMenu"})
        EXPECT_FALSE(enabled(*window, name)) << name;
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor: song.wav"));

    const uint32_t saved = window->currentDisplay()->TotalSamples();
    cutBy(*window, 3);
    ASSERT_TRUE(eventually([&] { return window->currentDisplay()->TotalSamples() < saved; }));
    clickMenuItem(*window, "FileRevertMenu");
    ASSERT_TRUE(eventually([&] { return window->currentDisplay()->TotalSamples() == saved; }));
    EXPECT_EQ(hashOf(document->workingFile), hashOf(song));
    EXPECT_EQ(document->saveState, SaveState::Unchanged);
    EXPECT_FALSE(enabled(*window, "FileRevertMenu"));
    EXPECT_FALSE(enabled(*window, "EditUndoMenu"));

    // The display's peaks reach the workspace's cache on a thread of their own.
    const QString workingCache = GetPeakFileName(document->workingFile, temp);
    ASSERT_TRUE(eventually([&] { return QFileInfo(workingCache).size() > 0; }));
    const QByteArray peaks = testsupport::readFile(workingCache);
    clickMenuItem(*window, "FileCloseMenu");
    EXPECT_EQ(window->workspace().documents().count(), 0);
    const QString kept = folder + "/song.vxp";
    EXPECT_EQ(testsupport::readFile(kept), peaks);
    EXPECT_EQ(platform::fileWriteTimeNs(kept), platform::fileWriteTimeNs(song));

    clickMenuItem(*window, "FileNewMenu");
    ASSERT_EQ(window->workspace().documents().count(), 1);
    clickMenuItem(*window, "FileCloseMenu");
    EXPECT_EQ(window->workspace().documents().count(), 0);
}

// Save As asks where; the name typed without extension gets ".wav", the file opened stays as it was,
// and the window names the document after the new file.
TEST_F(MainWindowSaveTest, SaveAsNamesTheDocumentAfterTheNewFile)
{
    auto window = makeWindow();
    const QString song = tone("song.wav");
    const TDocumentRecord* document = openAndCut(*window, song);
    platform::FileDialogResult chosen;
    chosen.accepted = true;
    chosen.files = {folder + "/short"};
    interaction.expectSaveFile(chosen);
    clickMenuItem(*window, "FileSaveAsMenu");
    EXPECT_EQ(document->documentFile, folder + "/short.wav");
    EXPECT_EQ(hashOf(folder + "/short.wav"), hashOf(document->workingFile));
    EXPECT_EQ(wavefixtures::soxWaveInfo(song, false).frames, 8000);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vexal Audio Zuq Editor: short.wav"));
    const auto buttons = window->findChildren<controls::TQzv32RectBtnEx*>("DocumentButton");
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->Caption(), QStringLiteral("short.wav"));
    EXPECT_EQ(buttons[0]->toolTip(), folder + "/short.wav");
}

// The recorder's music track saved over its file stays the recorder's; saved under another name it
// is no longer: the recorder is told once that its editing has ended, and the document goes by the
// new file's name.
TEST_F(MainWindowSaveTest, SavingTheMusicTrackUnderAnotherNameEndsItsEditing)
{
    platform::FakeDesktop desktop;
    platform::FakeMessaging editorSide(desktop);
    platform::FakeMessaging recorderSide(desktop);
    platform::FakeWindow recorder(QStringLiteral("Wexo Ravadur"));
    const auto registration = recorderSide.registerWindow(platform::kRecordingWindowClass, recorder);
    messaging = &editorSide;
    const QString track = tone("music.wav");
    auto window = makeWindow({track, "/NoSplash", "/MusicTrack"});
    ASSERT_TRUE(eventually([&] { return window->workspace().documents().count() == 1; }));
    TDocumentRecord* document = window->workspace().documents().current();
    ASSERT_EQ(document->displayName, QStringLiteral("Music Track"));
    ASSERT_TRUE(eventually([&] { return document->isWorkspaceReady(); }));
    cutBy(*window, 2);
    ASSERT_TRUE(eventually([&] { return document->saveState == SaveState::Modified; }));

    clickMenuItem(*window, "FileSaveMenu");
    EXPECT_EQ(hashOf(track), hashOf(document->workingFile));
    QTest::qWait(50);
    EXPECT_TRUE(recorder.messages().empty());
    EXPECT_EQ(window->workspace().tracks().musicTrackFile, track);

    platform::FileDialogResult chosen;
    chosen.accepted = true;
    chosen.files = {folder + "/mine.wav"};
    interaction.expectSaveFile(chosen);
    clickMenuItem(*window, "FileSaveAsMenu");
    ASSERT_TRUE(eventually([&] { return recorder.messages().size() == size_t(1); }));
    EXPECT_EQ(recorder.messages()[0].message, platform::kRecorderTrackDoneMessage);
    EXPECT_EQ(recorder.messages()[0].wParam, platform::kTrackDoneMusic);
    EXPECT_TRUE(window->workspace().tracks().musicTrackFile.isEmpty());
    EXPECT_EQ(document->displayName, QStringLiteral("mine.wav"));

    clickMenuItem(*window, "FileCloseMenu");
    QTest::qWait(50);
    EXPECT_EQ(recorder.messages().size(), size_t(1));
}

} // namespace
