// The Edit menu's commands on a real engine and real files: what each edit leaves in the working
// file (read back with sox), the rotation of the working, undo and redo files (checked by hash),
// and the roads where an edit is cancelled, fails, or a move of the rotation fails.
#include "editor/EditCommands.h"

#include "editor/Workspace.h"

#include "common/EditorMessages.h"
#include "common/ErrCodes.h"
#include "common/WaveRead.h"
#include "platform/audio/EditProcesses.h"
#include "tests/common/JobTestSupport.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

using namespace wavefixtures;
using platform::IDOK;
using testsupport::readFile;
using testsupport::writeFile;

using testsupport::hashOf;

namespace {

constexpr int kFrames = 1000;

// Frame i of the mono fixture holds 10 x i + 1, so no frame is silent and each says where it came
// from.
int16_t rampValue(int frame)
{
    return int16_t(10 * frame + 1);
}

QList<int16_t> ramp(int first, int count)
{
    QList<int16_t> values;
    for (int i = first; i < first + count; ++i)
        values << rampValue(i);
    return values;
}

// Small steps with a pause between them keep each edit running long enough for the progress window
// to show, and for Cancel to be pressed.
platform::audio::EditEnvironment slowSteps()
{
    return {64, [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }};
}

// The main window: positions set by the test, every refresh recorded.
struct FakeEditHost : EditHost {
    EditView view;
    bool ready = true;
    int refreshAnswer = 0;
    QString target;
    std::vector<EditRefresh> refreshes;
    int controlCalls = 0;
    const jobtest::ScriptedProgressHost* progress = nullptr;
    std::vector<bool> keepOpenAtRefresh; // whether the progress window could be closed
    // The refreshes announced, with the number of progress windows shown by then.
    std::vector<std::pair<EditRefresh, size_t>> prepared;

    EditView editView() const override { return view; }
    bool readyForEditing(TDocumentRecord&) override { return ready; }
    int refreshViews(TDocumentRecord&, const EditRefresh& refresh) override
    {
        refreshes.push_back(refresh);
        keepOpenAtRefresh.push_back(progress && !progress->keepOpenCalls.empty() && progress->keepOpenCalls.back());
        return refreshAnswer;
    }
    void prepareViews(const TDocumentRecord&, const EditRefresh& refresh) override
    {
        prepared.emplace_back(refresh, progress ? progress->shown.size() : 0);
    }
    QString askTargetFile() override { return target; }
    void controlsChanged(const TDocumentRecord&, const ControlPanel&) override { ++controlCalls; }
};

class EditCommandsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(temp + "/clip"));
        document.workingFile = temp + "/qel32work.wav";
        document.undoFile = temp + "/qel32undo.tmp";
        document.redoFile = temp + "/qel32redo.tmp";
        document.displayName = "song.wav";
        document.saveState = SaveState::Unchanged;
        document.workspaceState = WorkspaceState::Ready;
        writeFile(document.workingFile, pcmWave(makePcmFormat(8000, 16, 1), pcm16(ramp(0, kFrames))));
        writeFile(document.undoFile, {});
        writeFile(document.redoFile, {});
        ASSERT_EQ(readWaveFileInformation(document.workingFile, document.info), 0);
        host.view.totalSamples = kFrames;
        host.progress = &progress;
        original = hashOf(document.workingFile);
    }

    void select(int64_t start, int64_t end, int64_t caret = 0)
    {
        host.view.selectionStart = start;
        host.view.selectionEnd = end;
        host.view.caret = caret;
    }

    QList<int16_t> workingSamples() const
    {
        const WaveInfo info = soxWaveInfo(document.workingFile);
        QList<int16_t> values;
        for (int i = 0; i + 1 < info.samples.size(); i += 2)
            values << int16_t(uint8_t(info.samples[i]) | (uint8_t(info.samples[i + 1]) << 8));
        return values;
    }

    // Files in the temporary folder other than the document's three and the engine's clipboard.
    QStringList strayFiles() const
    {
        QStringList files = QDir(temp).entryList(QDir::Files);
        files.removeAll("qel32work.wav");
        files.removeAll("qel32undo.tmp");
        files.removeAll("qel32redo.tmp");
        files.removeIf([](const QString& name) { return !name.startsWith("qel32"); });
        return files;
    }

    QString temp = testsupport::testFolder() + "/temp";
    TDocumentRecord document;
    FakeEditHost host;
    platform::audio::EditProcesses engine{[] { return false; }, [this] { return temp + "/clip"; }, slowSteps()};
    EngineEditLibrary<platform::audio::EditProcesses> library{engine};
    jobtest::ScriptedProgressHost progress;
    JobRunner runner{progress};
    testsupport::ScriptedInteraction ui;
    platform::Messages messages = makeEditorMessages(ui);
    ControlPanel panel;
    std::function<bool(const QString&, const QString&)> move = editor::MoveFileOver;
    std::function<bool(const QString&)> remove = EditFileSteps().remove;
    EditCommands commands{host,
                          library,
                          runner,
                          messages,
                          panel,
                          readWaveFileInformation,
                          {[this](const QString& from, const QString& to) { return move(from, to); },
                           [this](const QString& path) { return remove(path); }}};
    QByteArray original;
};

struct EditCase {
    const char* name;
    int64_t selectionStart;
    int64_t selectionEnd;
    int64_t caret;
    // Copies frames [10, 20) to the clipboard first.
    bool fillClipboard;
    std::function<int(EditCommands&, TDocumentRecord&)> run;
    QList<int16_t> expected;
    EditRefresh::Peaks peaks;
    int64_t expectedCaret;
    QStringList captions; // of the progress windows, in order
};

QList<int16_t> muted(int first, int count)
{
    QList<int16_t> values = ramp(0, kFrames);
    for (int i = first; i < first + count; ++i)
        values[i] = 0;
    return values;
}

} // namespace

TEST_F(EditCommandsTest, EachEditLeavesItsAudioAndRoundTripsThroughUndoAndRedo)
{
    using P = EditRefresh::Peaks;
    const auto cut = [](EditCommands& c, TDocumentRecord& d) { return c.cut(d); };
    const auto clear = [](EditCommands& c, TDocumentRecord& d) { return c.clear(d); };
    const auto crop = [](EditCommands& c, TDocumentRecord& d) { return c.crop(d); };
    const auto paste = [](EditCommands& c, TDocumentRecord& d) { return c.paste(d); };
    const QString recording = temp + "/../recording.wav";
    writeFile(recording, pcmWave(makePcmFormat(8000, 16, 1), pcm16(ramp(10, 10))));
    const auto pasteFile = [&](EditCommands& c, TDocumentRecord& d) { return c.paste(d, recording); };
    const auto mute = [](EditCommands& c, TDocumentRecord& d) { return c.mute(d, 3); };
    // At 1 % of full scale (samples up to 327), frames 0 to 32 of the ramp are silence.
    const auto trim = [](EditCommands& c, TDocumentRecord& d) { return c.trimSilence(d, 1.0); };
    const EditCase cases[] = {
        {"cut", 200, 500, 0, false, cut, ramp(0, 200) + ramp(500, 500), P::RemoveRange, 200, {"Cut..."}},
        {"cut, ends reversed", 500, 200, 0, false, cut, ramp(0, 200) + ramp(500, 500), P::RemoveRange, 200, {"Cut..."}},
        {"clear", 200, 500, 0, false, clear, ramp(0, 200) + ramp(500, 500), P::RemoveRange, 200, {"Clear..."}},
        {"crop", 200, 500, 0, false, crop, ramp(200, 300), P::Rebuild, 200, {"Crop..."}},
        {"paste at the caret", 0, 0, 100, true, paste, ramp(0, 100) + ramp(10, 10) + ramp(100, 900), P::Rebuild, 100,
         {"Paste..."}},
        {"paste over the selection", 200, 500, 700, true, paste, ramp(0, 200) + ramp(10, 10) + ramp(500, 500),
         P::Rebuild, 500, {"Paste...", "Preparing..."}},
        {"paste of a file", 0, 0, 100, false, pasteFile, ramp(0, 100) + ramp(10, 10) + ramp(100, 900), P::Rebuild,
         100, {"Preparing..."}},
        {"mute a selection", 200, 500, 42, false, mute, muted(200, 300), P::Rebuild, 42, {"Mute..."}},
        {"mute without a selection mutes all", 0, 0, 42, false, mute, muted(0, kFrames), P::Rebuild, 42, {"Mute..."}},
        {"trim silence, ends reversed", 500, 0, 42, false, trim, ramp(33, 967), P::Rebuild, 42, {"Trim Silence..."}},
        {"trim silence inside a selection", 20, 500, 42, false, trim, ramp(0, 20) + ramp(33, 967), P::Rebuild, 42,
         {"Trim Silence..."}},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        host.refreshes.clear();
        host.prepared.clear();
        host.keepOpenAtRefresh.clear();
        progress.shown.clear();
        if (c.fillClipboard) {
            select(10, 20);
            ASSERT_EQ(commands.copy(document), 0);
            ASSERT_TRUE(panel.enabled(Control::Paste));
        }
        select(c.selectionStart, c.selectionEnd, c.caret);
        const size_t windowsBefore = progress.shown.size();
        ASSERT_EQ(c.run(commands, document), 0);

        EXPECT_EQ(workingSamples(), c.expected);
        EXPECT_EQ(document.info.lengthMs, uint32_t(c.expected.size() / 8));
        ASSERT_EQ(host.refreshes.size(), 1u);
        EXPECT_EQ(host.refreshes[0].peaks, c.peaks);
        EXPECT_EQ(host.refreshes[0].caret, c.expectedCaret);
        // Announced before the edit runs, so that the host can work meanwhile, and for the very
        // refresh that follows.
        ASSERT_EQ(host.prepared.size(), 1u);
        EXPECT_EQ(host.prepared[0].second, windowsBefore) << "announced before the edit";
        EXPECT_EQ(host.prepared[0].first.peaks, host.refreshes[0].peaks);
        EXPECT_EQ(host.prepared[0].first.removedStart, host.refreshes[0].removedStart);
        EXPECT_EQ(host.prepared[0].first.removedEnd, host.refreshes[0].removedEnd);
        QStringList captions;
        for (size_t i = windowsBefore; i < progress.shown.size(); ++i)
            captions << progress.shown[i].caption;
        EXPECT_EQ(captions, c.captions);
        EXPECT_EQ(document.saveState, SaveState::Modified);
        EXPECT_EQ(hashOf(document.undoFile), original) << "the undo file holds the audio before the edit";
        EXPECT_TRUE(panel.enabled(Control::Undo));
        EXPECT_FALSE(panel.enabled(Control::Redo));
        EXPECT_TRUE(panel.enabled(Control::Save));
        EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(", ").toStdString();

        const QByteArray edited = hashOf(document.workingFile);
        ASSERT_EQ(commands.undo(document), 0);
        EXPECT_EQ(hashOf(document.workingFile), original);
        EXPECT_EQ(hashOf(document.redoFile), edited);
        EXPECT_FALSE(hasUndoData(document));
        EXPECT_FALSE(panel.enabled(Control::Undo));
        EXPECT_TRUE(panel.enabled(Control::Redo));
        EXPECT_EQ(document.info.lengthMs, uint32_t(kFrames / 8));
        EXPECT_EQ(host.refreshes.back().peaks, P::Reopen);
        EXPECT_EQ(host.keepOpenAtRefresh, (std::vector<bool>{false, true})) << "the window stays open for undo";
        EXPECT_FALSE(progress.keepOpenCalls.back());

        ASSERT_EQ(commands.redo(document), 0);
        EXPECT_EQ(hashOf(document.workingFile), edited);
        EXPECT_EQ(hashOf(document.undoFile), original);
        EXPECT_FALSE(hasRedoData(document));
        EXPECT_TRUE(panel.enabled(Control::Undo));
        EXPECT_FALSE(panel.enabled(Control::Redo));
        EXPECT_EQ(document.saveState, SaveState::Modified) << "undo and redo leave the save state";
    }
}

TEST_F(EditCommandsTest, EditsOfAnEmptySelectionOrAnUnreadyDocumentDoNothing)
{
    const std::pair<const char*, std::function<int()>> commandsToRun[] = {
        {"cut", [this] { return commands.cut(document); }},
        {"copy", [this] { return commands.copy(document); }},
        {"clear", [this] { return commands.clear(document); }},
        {"crop", [this] { return commands.crop(document); }},
    };
    for (const bool ready : {true, false}) {
        for (const auto& [name, run] : commandsToRun) {
            SCOPED_TRACE(std::string(name) + (ready ? "" : ", not ready"));
            host.ready = ready;
            select(ready ? 300 : 100, 300);
            EXPECT_EQ(run(), 0);
            EXPECT_EQ(hashOf(document.workingFile), original);
            EXPECT_FALSE(hasUndoData(document));
            EXPECT_TRUE(progress.shown.empty());
            EXPECT_TRUE(host.refreshes.empty());
        }
    }
}

TEST_F(EditCommandsTest, ANewEditAfterAnUndoDropsTheRedoFile)
{
    select(0, 100);
    ASSERT_EQ(commands.cut(document), 0);
    ASSERT_EQ(commands.undo(document), 0);
    ASSERT_TRUE(hasRedoData(document));
    select(0, 10);
    ASSERT_EQ(commands.clear(document), 0);
    EXPECT_FALSE(hasRedoData(document));
    EXPECT_FALSE(panel.enabled(Control::Redo));
    EXPECT_EQ(hashOf(document.undoFile), original);
    EXPECT_EQ(commands.redo(document), 0);
    EXPECT_EQ(workingSamples(), ramp(10, kFrames - 10)) << "redo without a redo file does nothing";
}

TEST_F(EditCommandsTest, ToFileFormsWriteTheTargetAndLeaveTheClipboard)
{
    const QString target = temp + "/../part.wav";
    host.target = target;
    select(100, 400);
    ASSERT_EQ(commands.copy(document, true), 0);
    EXPECT_EQ(soxWaveInfo(target).frames, 300);
    EXPECT_EQ(hashOf(document.workingFile), original);
    EXPECT_FALSE(hasUndoData(document)) << "a copy changes none of the document's files";
    EXPECT_EQ(engine.AudioEditCanPaste(), 0);

    QFile::remove(target);
    ASSERT_EQ(commands.cut(document, true), 0);
    EXPECT_EQ(soxWaveInfo(target).frames, 300);
    EXPECT_EQ(workingSamples(), ramp(0, 100) + ramp(400, 600));
    EXPECT_EQ(engine.AudioEditCanPaste(), 0);

    // Cancelling the save dialog ends the command.
    host.target.clear();
    const QByteArray before = hashOf(document.workingFile);
    EXPECT_EQ(commands.cut(document, true), 0);
    EXPECT_EQ(hashOf(document.workingFile), before);
    EXPECT_EQ(hashOf(document.undoFile), original);
}

TEST_F(EditCommandsTest, ACancelledEditLeavesTheDocumentsFiles)
{
    select(0, 100);
    ASSERT_EQ(commands.clear(document), 0);
    const QByteArray edited = hashOf(document.workingFile);
    progress.pressCancelAt = [](int tick) { return tick == 2; };
    select(100, 900);
    ui.expectMessageBox(IDOK, "Warning: User has aborted the process.");
    EXPECT_EQ(commands.mute(document, 3), kCancelledCode);
    EXPECT_TRUE(progress.shown.back().cancelPressed);
    EXPECT_EQ(ui.prompts().size(), 1u) << "the cancel is told once";
    EXPECT_EQ(hashOf(document.workingFile), edited);
    EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(", ").toStdString();

    ASSERT_EQ(commands.undo(document), 0) << "undo still goes back to the state before the last edit";
    EXPECT_EQ(hashOf(document.workingFile), original);
}

TEST_F(EditCommandsTest, AFailedEditShowsWhyAndKeepsTheUndoState)
{
    select(0, 100);
    ASSERT_EQ(commands.cut(document), 0);
    const QByteArray edited = hashOf(document.workingFile);

    // Writes past 100 bytes fail, so the edit's output cannot be written.
    ui.expectMessageBox(IDOK, messages.messageText(PlayerErrorToMessageId(301)));
    select(0, 0, 50);
    int code = 0;
    {
        const FileSizeLimit limit(100);
        code = commands.paste(document);
    }
    EXPECT_EQ(code, 301);
    EXPECT_EQ(hashOf(document.workingFile), edited);
    EXPECT_EQ(hashOf(document.undoFile), original);
    EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(", ").toStdString();

    ASSERT_EQ(commands.undo(document), 0);
    EXPECT_EQ(hashOf(document.workingFile), original);
    EXPECT_EQ(hashOf(document.redoFile), edited);
}

// Each file step of an edit's commit and of the rotation made to fail, alone and together with the
// move that puts the audio back. Before the failing command the document went through a cut of
// frames [0, 100) (state B over the fixture's A), and for a redo through its undo as well; the
// failing edit cuts frames [0, 10). Afterwards the working file holds one whole state (or, when
// even the move back failed, is missing and the log names where the audio is), the undo and redo
// files hold the states they should, Undo and Redo are offered as those files say, and no output
// file is left.
TEST_F(EditCommandsTest, EachFailingFileStepLeavesTheFilesAndTheMenuInAgreement)
{
    enum class Command { Cut, Undo, Redo };
    struct FailureCase {
        const char* name;
        bool afterUndo; // the cut was undone before the failing command
        Command command;
        std::vector<int> failingSteps; // 1-based among the command's moves and deletes
        int refreshAnswer;             // of the display after a rotation
        int code;
        int shown;    // the code whose message the command showed, or 0
        char working; // 'A', 'B', 'F' (A with frames [0, 10) cut), '-' missing
        char undo;    // '-': no state
        char redo;
        const char* logged; // what the log says, or null
        size_t refreshes;   // of the views by the failing command
    };
    using C = Command;
    const FailureCase cases[] = {
        {"edit: working to undo", false, C::Cut, {1}, 0, EditCode::CannotMakeUndo, EditCode::CannotMakeUndo, 'B',
         'A', '-', nullptr, 0},
        {"edit: output to working", false, C::Cut, {2}, 0, EditCode::CannotComplete, EditCode::CannotComplete, 'B',
         '-', '-', nullptr, 0},
        {"edit: output to working and the move back", false, C::Cut, {2, 3}, 0, EditCode::CannotComplete,
         EditCode::CannotComplete, '-', 'B', '-', "was left in", 0},
        {"edit: the redo file is not deleted", true, C::Cut, {3}, 0, 0, 0, 'F', 'A', 'B', "could not be deleted",
         1},
        {"undo: working to redo", false, C::Undo, {1}, 0, EditCode::CannotMakeRedo, EditCode::CannotMakeRedo, 'B',
         'A', '-', nullptr, 0},
        {"undo: undo to working", false, C::Undo, {2}, 0, EditCode::CannotUndo, EditCode::CannotUndo, 'B', 'A', '-',
         nullptr, 0},
        {"undo: undo to working and the move back", false, C::Undo, {2, 3}, 0, EditCode::CannotUndo,
         EditCode::CannotUndo, '-', 'A', 'B', "was left in", 0},
        {"undo: the display fails", false, C::Undo, {}, 168, 168, 0, 'B', 'A', '-', nullptr, 2},
        {"undo: the display fails and the first move back", false, C::Undo, {3}, 168, 168, EditCode::CannotUndo,
         'A', '-', 'B', nullptr, 2},
        {"undo: the display fails and the second move back", false, C::Undo, {4}, 168, 168,
         EditCode::CannotMakeRedo, '-', 'A', 'B', "was left in", 2},
        {"redo: working to undo", true, C::Redo, {1}, 0, EditCode::CannotMakeRedo, EditCode::CannotMakeRedo, 'A',
         '-', 'B', nullptr, 0},
        {"redo: redo to working", true, C::Redo, {2}, 0, EditCode::CannotMakeRedo, EditCode::CannotMakeRedo, 'A',
         '-', 'B', nullptr, 0},
        {"redo: redo to working and the move back", true, C::Redo, {2, 3}, 0, EditCode::CannotMakeRedo,
         EditCode::CannotMakeRedo, '-', 'A', 'B', "was left in", 0},
        {"redo: the display fails", true, C::Redo, {}, 168, 168, 0, 'A', '-', 'B', nullptr, 2},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        select(0, 100);
        ASSERT_EQ(commands.cut(document), 0);
        const std::map<char, QByteArray> hashes = {{'A', original}, {'B', hashOf(document.workingFile)}};
        if (c.afterUndo) {
            ASSERT_EQ(commands.undo(document), 0);
        }

        int steps = 0;
        const auto fails = [&] {
            return std::find(c.failingSteps.begin(), c.failingSteps.end(), ++steps) != c.failingSteps.end();
        };
        move = [&](const QString& from, const QString& to) { return !fails() && editor::MoveFileOver(from, to); };
        remove = [&](const QString& path) { return !fails() && QFile::remove(path); };
        host.refreshAnswer = c.refreshAnswer;
        const size_t refreshesBefore = host.refreshes.size();
        if (c.shown)
            ui.expectMessageBox(IDOK, messages.messageText(c.shown));
        int code = -1;
        {
            const testsupport::LogCapture log;
            select(0, 10);
            switch (c.command) {
            case C::Cut:
                code = commands.cut(document);
                break;
            case C::Undo:
                code = commands.undo(document);
                break;
            case C::Redo:
                code = commands.redo(document);
                break;
            }
            if (c.logged) {
                EXPECT_TRUE(log.contains(QString::fromLatin1(c.logged)));
            }
        }
        move = editor::MoveFileOver;
        remove = EditFileSteps().remove;
        host.refreshAnswer = 0;

        EXPECT_EQ(code, c.code);
        EXPECT_TRUE(ui.allConsumed());
        EXPECT_EQ(host.refreshes.size() - refreshesBefore, c.refreshes) << "the views follow only a changed file";
        // After a failed move back the document's length is not read again: the log has told.
        if (c.working != '-' && (c.code == 0 || !c.logged)) {
            FileInformation info;
            ASSERT_EQ(readWaveFileInformation(document.workingFile, info), 0);
            EXPECT_EQ(document.info.lengthMs, info.lengthMs) << "the document knows the length it holds";
        }
        if (c.working == '-') {
            EXPECT_FALSE(QFileInfo::exists(document.workingFile));
        } else if (const auto known = hashes.find(c.working); known != hashes.end()) {
            EXPECT_EQ(hashOf(document.workingFile), known->second);
        } else {
            EXPECT_EQ(workingSamples(), ramp(10, kFrames - 10)) << "the whole new state";
        }
        const std::pair<char, const QString*> kept[] = {{c.undo, &document.undoFile}, {c.redo, &document.redoFile}};
        for (const auto& [state, file] : kept) {
            if (state == '-')
                EXPECT_FALSE(QFileInfo(*file).size() > 0) << file->toStdString();
            else
                EXPECT_EQ(hashOf(*file), hashes.at(state)) << file->toStdString();
        }
        EXPECT_EQ(panel.enabled(Control::Undo), hasUndoData(document));
        EXPECT_EQ(panel.enabled(Control::Redo), hasRedoData(document));
        EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(", ").toStdString();
    }
}

// No name for the edit's output can be made beside the working file (the folder's path leaves no
// room for one): the edit says so and changes nothing.
TEST_F(EditCommandsTest, AnEditWithoutAnOutputNameChangesNothing)
{
    // A path of 4,094 bytes can be named, one of 4,096 or more cannot: the working file's name is
    // one byte long, every output name of the reservation at least ten.
    QString deep = temp;
    while (deep.size() < 4092 - 250)
        deep += "/" + QString(200, 'd');
    deep += "/" + QString(4092 - deep.size() - 1, 'e');
    ASSERT_EQ(deep.size(), 4092);
    ASSERT_TRUE(QDir().mkpath(deep));
    const QByteArray bytes = testsupport::readFile(document.workingFile);
    document.workingFile = deep + "/w";
    document.undoFile = deep + "/u";
    document.redoFile = deep + "/r";
    writeFile(document.workingFile, bytes);
    writeFile(document.undoFile, {});
    panel.setEnabled(Control::Undo, false);

    ui.expectMessageBox(IDOK, messages.messageText(kNoTempName));
    select(0, 100);
    EXPECT_EQ(commands.cut(document), kNoTempName);
    EXPECT_EQ(hashOf(document.workingFile), original);
    EXPECT_FALSE(hasUndoData(document));
    EXPECT_FALSE(panel.enabled(Control::Undo));
    EXPECT_EQ(document.saveState, SaveState::Unchanged);
    EXPECT_TRUE(host.refreshes.empty());
    EXPECT_EQ(QDir(deep).entryList(QDir::Files | QDir::Hidden), (QStringList{"u", "w"}));
}

TEST_F(EditCommandsTest, AFailedDisplayRefreshOfAnUndoMovesTheFilesBack)
{
    select(0, 100);
    ASSERT_EQ(commands.cut(document), 0);
    const QByteArray edited = hashOf(document.workingFile);
    host.refreshAnswer = 168;
    EXPECT_EQ(commands.undo(document), 168);
    EXPECT_EQ(hashOf(document.workingFile), edited);
    EXPECT_EQ(hashOf(document.undoFile), original);
    EXPECT_FALSE(hasRedoData(document));
}

TEST_F(EditCommandsTest, AnEditPastFourGigabytesIsRefusedWithItsMessage)
{
    // Two sparse WAVs of a little over 2 GiB each: pasted together they would pass the limit.
    const int64_t dataBytes = (int64_t(1) << 31) + 4096;
    const auto sparseWave = [&](const QString& path) {
        QByteArray header = pcmWave(makePcmFormat(8000, 16, 1), {});
        header.replace(4, 4, le32(uint32_t(header.size() - 8 + dataBytes)));
        header.replace(header.size() - 4, 4, le32(uint32_t(dataBytes)));
        writeFile(path, header);
        QFile file(path);
        ASSERT_TRUE(file.resize(header.size() + dataBytes));
    };
    sparseWave(document.workingFile);
    const QString source = temp + "/../recording.wav";
    sparseWave(source);
    const auto head = [&] {
        QFile file(document.workingFile);
        return file.open(QIODevice::ReadOnly) ? file.read(64) : QByteArray();
    };
    const QByteArray before = head();

    ui.expectMessageBox(IDOK, messages.messageText(kWaveTooLargeMessageId));
    select(0, 0, 0);
    EXPECT_EQ(commands.paste(document, source), 360);
    EXPECT_EQ(QFileInfo(document.workingFile).size(), 46 + dataBytes);
    EXPECT_EQ(head(), before);
    EXPECT_FALSE(hasUndoData(document));
    EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(", ").toStdString();
    QFile::remove(source);
    QFile::remove(document.workingFile);
}

TEST_F(EditCommandsTest, TheMenuFollowsTheClipboardAndAnEmptiedDocument)
{
    struct MenuCase {
        const char* name;
        std::function<int(EditCommands&, TDocumentRecord&)> run;
        int64_t selectionStart;
        int64_t selectionEnd;
        QString target;  // of the to-file forms
        int code;
        bool pasteAfter; // Paste starts enabled
        bool exportAfter; // Export starts enabled
    };
    const QString missingFolder = temp + "/missing/part.wav";
    const MenuCase cases[] = {
        {"cut of everything", [](EditCommands& c, TDocumentRecord& d) { return c.cut(d); }, 0, kFrames, {}, 0, true,
         false},
        {"clear of everything", [](EditCommands& c, TDocumentRecord& d) { return c.clear(d); }, 0, kFrames, {}, 0,
         true, false},
        {"cut of a part", [](EditCommands& c, TDocumentRecord& d) { return c.cut(d); }, 0, 100, {}, 0, true, true},
        {"cut to a file", [](EditCommands& c, TDocumentRecord& d) { return c.cut(d, true); }, 0, 100,
         temp + "/../cut.wav", 0, true, true},
        {"failed copy", [](EditCommands& c, TDocumentRecord& d) { return c.copy(d, true); }, 0, 100, missingFolder,
         301, false, true},
    };
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        panel.setEnabled(Control::Paste, true);
        panel.setEnabled(Control::Export, true);
        host.target = c.target;
        if (c.code != 0)
            ui.expectMessageBox(IDOK, messages.messageText(PlayerErrorToMessageId(c.code)));
        select(c.selectionStart, c.selectionEnd);
        EXPECT_EQ(c.run(commands, document), c.code);
        EXPECT_EQ(panel.enabled(Control::Paste), c.pasteAfter);
        EXPECT_EQ(panel.enabled(Control::Export), c.exportAfter);
        EXPECT_GT(host.controlCalls, 0) << "the window is told";
    }
}

TEST_F(EditCommandsTest, MuteSilencesTheChannelsOfItsCode)
{
    // Left frames hold 10 x i + 1, right frames their negation.
    QList<int16_t> stereo;
    for (int i = 0; i < 100; ++i)
        stereo << rampValue(i) << int16_t(-rampValue(i));
    writeFile(document.workingFile, pcmWave(makePcmFormat(8000, 16, 2), pcm16(stereo)));
    ASSERT_EQ(readWaveFileInformation(document.workingFile, document.info), 0);
    host.view.totalSamples = 100;
    const QByteArray before = hashOf(document.workingFile);

    for (const int channels : {1, 2, 3}) {
        SCOPED_TRACE(channels);
        select(10, 20);
        ASSERT_EQ(commands.mute(document, channels), 0);
        QList<int16_t> expected = stereo;
        for (int i = 10; i < 20; ++i) {
            if (channels & 1)
                expected[2 * i] = 0;
            if (channels & 2)
                expected[2 * i + 1] = 0;
        }
        EXPECT_EQ(workingSamples(), expected);
        ASSERT_EQ(commands.undo(document), 0);
        EXPECT_EQ(hashOf(document.workingFile), before);
    }
}

// The rotation of the working, undo and redo files through sequences of commands. The edits cut
// 100 frames off the front or the back of what the working file holds; the states are named A
// (the fixture) to E. After each step the working file holds the state's frames, each file holds
// the very bytes its state had when it was the working file, and Undo and Redo are offered
// exactly while their files hold a state.
TEST_F(EditCommandsTest, TheRotationFollowsEachSequenceOfCommands)
{
    const std::map<char, QList<int16_t>> states = {{'A', ramp(0, 1000)},
                                                   {'B', ramp(100, 900)},
                                                   {'C', ramp(200, 800)},
                                                   {'D', ramp(0, 900)},
                                                   {'E', ramp(100, 800)}};
    enum class Step { CutFront, CutBack, Undo, Redo };
    struct After {
        Step step;
        char working;
        char undo; // '-': no state
        char redo;
    };
    struct Sequence {
        const char* name;
        std::vector<After> steps;
    };
    using S = Step;
    const Sequence sequences[] = {
        {"one edit", {{S::CutFront, 'B', 'A', '-'}}},
        {"edit, undo", {{S::CutFront, 'B', 'A', '-'}, {S::Undo, 'A', '-', 'B'}}},
        {"edit, undo, redo", {{S::CutFront, 'B', 'A', '-'}, {S::Undo, 'A', '-', 'B'}, {S::Redo, 'B', 'A', '-'}}},
        {"undo twice", {{S::CutFront, 'B', 'A', '-'}, {S::Undo, 'A', '-', 'B'}, {S::Undo, 'A', '-', 'B'}}},
        {"redo twice",
         {{S::CutFront, 'B', 'A', '-'}, {S::Undo, 'A', '-', 'B'}, {S::Redo, 'B', 'A', '-'}, {S::Redo, 'B', 'A', '-'}}},
        {"redo without an undo", {{S::CutFront, 'B', 'A', '-'}, {S::Redo, 'B', 'A', '-'}}},
        {"undo and redo before any edit", {{S::Undo, 'A', '-', '-'}, {S::Redo, 'A', '-', '-'}}},
        {"edit after undo drops the redo state",
         {{S::CutFront, 'B', 'A', '-'},
          {S::Undo, 'A', '-', 'B'},
          {S::CutBack, 'D', 'A', '-'},
          {S::Redo, 'D', 'A', '-'},
          {S::Undo, 'A', '-', 'D'}}},
        {"two edits keep one undo level",
         {{S::CutFront, 'B', 'A', '-'},
          {S::CutFront, 'C', 'B', '-'},
          {S::Undo, 'B', '-', 'C'},
          {S::Undo, 'B', '-', 'C'},
          {S::Redo, 'C', 'B', '-'}}},
        {"edit after redo",
         {{S::CutFront, 'B', 'A', '-'},
          {S::Undo, 'A', '-', 'B'},
          {S::Redo, 'B', 'A', '-'},
          {S::CutBack, 'E', 'B', '-'},
          {S::Undo, 'B', '-', 'E'},
          {S::Redo, 'E', 'B', '-'}}},
    };
    for (const Sequence& sequence : sequences) {
        SCOPED_TRACE(sequence.name);
        SetUp();
        panel.setEnabled(Control::Undo, false);
        panel.setEnabled(Control::Redo, false);
        std::map<char, QByteArray> hashes = {{'A', original}};
        char current = 'A';
        for (size_t i = 0; i < sequence.steps.size(); ++i) {
            const After& after = sequence.steps[i];
            SCOPED_TRACE(i);
            const int64_t length = states.at(current).size();
            int code = -1;
            switch (after.step) {
            case S::CutFront:
                select(0, 100);
                code = commands.cut(document);
                break;
            case S::CutBack:
                select(length - 100, length);
                code = commands.cut(document);
                break;
            case S::Undo:
                code = commands.undo(document);
                break;
            case S::Redo:
                code = commands.redo(document);
                break;
            }
            ASSERT_EQ(code, 0);
            current = after.working;
            ASSERT_EQ(workingSamples(), states.at(after.working));
            EXPECT_EQ(document.info.lengthMs, uint32_t(states.at(after.working).size() / 8));
            const QByteArray working = hashOf(document.workingFile);
            if (const auto seen = hashes.find(after.working); seen != hashes.end())
                EXPECT_EQ(working, seen->second) << "the state comes back byte for byte";
            else
                hashes[after.working] = working;
            const std::pair<char, const QString*> kept[] = {{after.undo, &document.undoFile},
                                                            {after.redo, &document.redoFile}};
            for (const auto& [state, file] : kept) {
                if (state == '-')
                    EXPECT_FALSE(QFileInfo(*file).size() > 0) << file->toStdString();
                else
                    EXPECT_EQ(hashOf(*file), hashes.at(state)) << file->toStdString();
            }
            EXPECT_EQ(hasUndoData(document), after.undo != '-');
            EXPECT_EQ(hasRedoData(document), after.redo != '-');
            EXPECT_EQ(panel.enabled(Control::Undo), after.undo != '-');
            EXPECT_EQ(panel.enabled(Control::Redo), after.redo != '-');
            EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(", ").toStdString();
        }
    }
}

// What an edit of a WAV leaves, worked out by Python's wave module on the same fixture: the frames
// [a, b) removed or kept, the whole file, the clipboard's frames [c0, c1) inserted at pos or in
// place of [a, b), [a, b) silenced, or the silence at the ends of [a, b) trimmed (a sample is loud
// above threshold hundredths of a percent of full scale). Prints the expected frames in hex.
constexpr char kExpectedFramesScript[] = R"(
import sys, wave
op, path = sys.argv[1], sys.argv[2]
a, b, pos, c0, c1, threshold = (int(x) for x in sys.argv[3:9])
with wave.open(path, 'rb') as w:
    channels, width = w.getnchannels(), w.getsampwidth()
    data = w.readframes(w.getnframes())
size = channels * width
n = len(data) // size
def frames(i, j):
    return data[i * size:j * size]
def loud(i):
    full = 128 if width == 1 else 32768
    for c in range(channels):
        at = i * size + c * width
        if width == 1:
            v = data[at] - 128
        else:
            v = int.from_bytes(data[at:at + 2], 'little', signed=True)
        if abs(v) * 10000 > threshold * full:
            return True
    return False
if op == 'remove':
    out = frames(0, a) + frames(b, n)
elif op == 'keep':
    out = frames(a, b)
elif op == 'whole':
    out = data
elif op == 'insert':
    out = frames(0, pos) + frames(c0, c1) + frames(pos, n)
elif op == 'replace':
    out = frames(0, a) + frames(c0, c1) + frames(b, n)
elif op == 'silence':
    zero = (b'\x80' if width == 1 else b'\x00\x00') * channels
    out = frames(0, a) + zero * (b - a) + frames(b, n)
elif op == 'trim':
    kept = [i for i in range(a, b) if loud(i)]
    out = frames(0, a) + (frames(kept[0], kept[-1] + 1) if kept else b'') + frames(b, n)
else:
    sys.exit('unknown operation ' + op)
sys.stdout.write(out.hex())
)";

// Each command on ramps of two formats, against Python's frames of the same fixture. In the 8-bit
// mono ramp frame i holds 128 + i; in the 16-bit stereo ramp the left sample of frame i holds
// 10 x i + 1 and the right one its negation. So every frame tells where it came from, and the
// ramps start in silence that a threshold of 5 % trims (7 and 164 frames).
TEST_F(EditCommandsTest, EachCommandLeavesTheFramesThatPythonCutsFromTheSameFixture)
{
    struct RampFormat {
        const char* name;
        int bits;
        int channels;
        int frames;
    };
    const RampFormat formats[] = {{"8-bit mono", 8, 1, 120}, {"16-bit stereo", 16, 2, 300}};
    // Positions as fractions of the length: eighths.
    struct CommandCase {
        const char* name;
        int clip0, clip1; // copied to the clipboard first unless equal
        int start, end, caret;
        std::function<int(EditCommands&, TDocumentRecord&)> run;
        const char* working;  // the operation that gives the working file
        const char* target;   // the one that gives the to-file target, or null
    };
    const CommandCase commandCases[] = {
        {"cut", 0, 0, 2, 4, 0, [](EditCommands& c, TDocumentRecord& d) { return c.cut(d); }, "remove", nullptr},
        {"copy, then paste at the caret", 2, 4, 0, 0, 1, [](EditCommands& c, TDocumentRecord& d) { return c.paste(d); },
         "insert", nullptr},
        {"paste over a selection", 2, 4, 1, 2, 0, [](EditCommands& c, TDocumentRecord& d) { return c.paste(d); },
         "replace", nullptr},
        {"clear", 0, 0, 2, 4, 0, [](EditCommands& c, TDocumentRecord& d) { return c.clear(d); }, "remove", nullptr},
        {"crop", 0, 0, 2, 4, 0, [](EditCommands& c, TDocumentRecord& d) { return c.crop(d); }, "keep", nullptr},
        {"cut selection to file", 0, 0, 2, 4, 0, [](EditCommands& c, TDocumentRecord& d) { return c.cut(d, true); },
         "remove", "keep"},
        {"copy selection to file", 0, 0, 2, 4, 0,
         [](EditCommands& c, TDocumentRecord& d) { return c.copy(d, true); }, "whole", "keep"},
        {"mute", 0, 0, 2, 4, 0, [](EditCommands& c, TDocumentRecord& d) { return c.mute(d, 3); }, "silence", nullptr},
        {"trim silence of the whole file", 0, 0, 0, 0, 0,
         [](EditCommands& c, TDocumentRecord& d) { return c.trimSilence(d, 5.0); }, "trim", nullptr},
    };
    const QString fixture = temp + "/../ramp.wav";
    const QString target = temp + "/../part.wav";
    for (const RampFormat& format : formats) {
        QByteArray samples;
        for (int i = 0; i < format.frames; ++i) {
            if (format.bits == 8)
                samples.append(char(128 + i));
            else
                samples += pcm16({int16_t(10 * i + 1), int16_t(-(10 * i + 1))});
        }
        writeFile(fixture, pcmWave(makePcmFormat(8000, uint16_t(format.bits), uint16_t(format.channels)), samples));
        const int64_t eighth = format.frames / 8;
        for (const CommandCase& c : commandCases) {
            SCOPED_TRACE(std::string(format.name) + ": " + c.name);
            SetUp();
            QFile::remove(document.workingFile);
            ASSERT_TRUE(QFile::copy(fixture, document.workingFile));
            ASSERT_EQ(readWaveFileInformation(document.workingFile, document.info), 0);
            host.view.totalSamples = format.frames;
            QFile::remove(target);
            host.target = target;
            if (c.clip0 != c.clip1) {
                select(c.clip0 * eighth, c.clip1 * eighth);
                ASSERT_EQ(commands.copy(document), 0);
            }
            const int64_t start = c.start * eighth;
            const int64_t end = c.end * eighth;
            const int64_t caret = c.caret * eighth;
            select(start, end, caret);
            ASSERT_EQ(c.run(commands, document), 0);

            const auto expected = [&](const char* operation) {
                const int64_t a = start == end ? 0 : start;
                const int64_t b = start == end ? format.frames : end;
                const testsupport::ToolResult python = testsupport::runTool(
                    QStringLiteral(VA_PYTHON),
                    {"-c", kExpectedFramesScript, operation, fixture, QString::number(a), QString::number(b),
                     QString::number(caret), QString::number(c.clip0 * eighth), QString::number(c.clip1 * eighth),
                     "500"});
                EXPECT_EQ(python.exitCode, 0) << python.err.toStdString();
                return QByteArray::fromHex(python.out);
            };
            const std::pair<const char*, QString> outputs[] = {{c.working, document.workingFile}, {c.target, target}};
            for (const auto& [operation, file] : outputs) {
                if (!operation)
                    continue;
                SCOPED_TRACE(operation);
                const WaveInfo made = pythonWaveInfo(file);
                EXPECT_EQ(made.bits, format.bits);
                EXPECT_EQ(made.channels, format.channels);
                EXPECT_EQ(made.rate, 8000);
                const QByteArray frames = expected(operation);
                ASSERT_FALSE(frames.isEmpty());
                EXPECT_EQ(made.samples.toHex().toStdString(), frames.toHex().toStdString());
            }
            if (!c.target) {
                EXPECT_FALSE(QFileInfo::exists(target));
            }
        }
    }
}

// The view before an edit, an undo and a redo reaches the refresh that follows it, so the display
// keeps its zoom and first frame (or shows the whole new file when it showed the whole old one).
TEST_F(EditCommandsTest, TheViewBeforeACommandReachesItsRefresh)
{
    const std::pair<const char*, std::function<int()>> steps[] = {
        {"cut", [this] { return commands.cut(document); }},
        {"undo", [this] { return commands.undo(document); }},
        {"redo", [this] { return commands.redo(document); }},
    };
    for (const bool atMax : {false, true}) {
        for (const auto& [name, run] : steps) {
            SCOPED_TRACE(std::string(name) + (atMax ? ", whole file in view" : ", zoomed in"));
            host.view.zoom = atMax ? 4 : 2;
            host.view.atMaxZoom = atMax;
            host.view.left = 300;
            select(400, 450, 420);
            host.refreshes.clear();
            ASSERT_EQ(run(), 0);
            ASSERT_EQ(host.refreshes.size(), 1u);
            EXPECT_EQ(host.refreshes[0].zoom, host.view.zoom);
            EXPECT_EQ(host.refreshes[0].atMaxZoom, atMax);
            EXPECT_EQ(host.refreshes[0].left, 300u);
        }
    }
}

// The display that cannot show the other state of an undo or a redo is given the working file
// again, without a Cancel and at the view it had, once the files are back; a move back that fails
// is told, the display then shows the whole file the working file holds, and Undo and Redo follow
// the files.
TEST_F(EditCommandsTest, AnUndoOrRedoWhoseDisplayFailsGivesTheDisplayTheFileBack)
{
    struct Case {
        const char* name;
        bool undoing;
        int failingMove; // 0: none; 1 or 2: that move back
        int message;     // of the failed move back
    };
    const Case cases[] = {
        {"undo", true, 0, 0},
        {"redo", false, 0, 0},
        {"undo, working back to undo fails", true, 1, EditCode::CannotUndo},
        {"undo, redo back to working fails", true, 2, EditCode::CannotMakeRedo},
        {"redo, working back to redo fails", false, 1, EditCode::CannotMakeRedo},
        {"redo, undo back to working fails", false, 2, EditCode::CannotMakeRedo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        move = editor::MoveFileOver;
        host.refreshAnswer = 0;
        select(0, 100);
        ASSERT_EQ(commands.cut(document), 0);
        if (!c.undoing) {
            ASSERT_EQ(commands.undo(document), 0);
        }
        const QByteArray shown = hashOf(document.workingFile);

        host.refreshes.clear();
        host.refreshAnswer = 168;
        host.view.zoom = 2;
        host.view.atMaxZoom = false;
        host.view.left = 64;
        select(0, 0, 500);
        int moves = 0;
        move = [&](const QString& from, const QString& to) {
            ++moves;
            return (c.failingMove == 0 || moves - 2 != c.failingMove) && editor::MoveFileOver(from, to);
        };
        if (c.message)
            ui.expectMessageBox(IDOK, messages.messageText(c.message));
        EXPECT_EQ(c.undoing ? commands.undo(document) : commands.redo(document), 168);
        move = editor::MoveFileOver;
        EXPECT_TRUE(ui.allConsumed());

        ASSERT_EQ(host.refreshes.size(), 2u);
        EXPECT_EQ(host.refreshes[0].peaks, EditRefresh::Peaks::Reopen);
        const EditRefresh& restore = host.refreshes[1];
        EXPECT_EQ(restore.peaks, EditRefresh::Peaks::Restore);
        EXPECT_EQ(restore.caret, 500);
        EXPECT_EQ(restore.atMaxZoom, c.failingMove != 0);
        EXPECT_EQ(restore.zoom, 2u);
        EXPECT_EQ(restore.left, 64u);
        if (c.failingMove == 0) {
            EXPECT_EQ(hashOf(document.workingFile), shown);
        }
        EXPECT_EQ(panel.enabled(Control::Undo), hasUndoData(document));
        EXPECT_EQ(panel.enabled(Control::Redo), hasRedoData(document));
    }
}

// A working file whose information cannot be read after an edit is told through the player
// library's message for such a file, and the display follows it all the same.
TEST_F(EditCommandsTest, AnUnreadableWorkingFileIsToldAndStillShown)
{
    EditCommands unreadable{host, library, runner, messages, panel,
                            [](const QString&, FileInformation&) { return WaveReadCode::NotPcm; }};
    ui.expectMessageBox(IDOK, messages.messageText(110));
    select(0, 100);
    EXPECT_EQ(unreadable.cut(document), WaveReadCode::NotPcm);
    EXPECT_TRUE(ui.allConsumed());
    ASSERT_EQ(host.refreshes.size(), 1u);
    EXPECT_EQ(host.refreshes[0].peaks, EditRefresh::Peaks::RemoveRange);
    EXPECT_TRUE(panel.enabled(Control::Undo));
}

// A process that cannot start is told through the editor's player map, whose 107 differs from the
// recorder's.
TEST_F(EditCommandsTest, AFailedStartIsToldThroughTheEditorsMap)
{
    struct CutCannotStart : EngineEditLibrary<platform::audio::EditProcesses> {
        using EngineEditLibrary::EngineEditLibrary;
        int cut(const QString&, int64_t, int64_t, uint32_t*, const QString&) override { return 107; }
    } failing{engine};
    EditCommands failingCommands{host, failing, runner, messages, panel, readWaveFileInformation};
    ui.expectMessageBox(IDOK, messages.messageText(105));
    select(0, 100);
    EXPECT_EQ(failingCommands.cut(document), 107);
    EXPECT_TRUE(ui.allConsumed());
    EXPECT_EQ(hashOf(document.workingFile), original);
}

// When the new audio cannot become the working file, the state the undo file held is gone with the
// old audio moved back: Undo is no longer offered.
TEST_F(EditCommandsTest, AnEditThatCannotCompleteTakesUndoAway)
{
    select(0, 100);
    ASSERT_EQ(commands.cut(document), 0);
    ASSERT_TRUE(panel.enabled(Control::Undo));
    int moves = 0;
    move = [&](const QString& from, const QString& to) { return ++moves != 2 && editor::MoveFileOver(from, to); };
    ui.expectMessageBox(IDOK, messages.messageText(EditCode::CannotComplete));
    select(0, 10);
    EXPECT_EQ(commands.cut(document), EditCode::CannotComplete);
    EXPECT_FALSE(panel.enabled(Control::Undo));
}
