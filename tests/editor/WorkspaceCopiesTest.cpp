// The background copies of WAV documents into their working files, as the main window runs them
// for the workspace: opened through the workspace (the copy running while the views are made, its
// end put off until they exist, and stopped when they fail), ended through the posted message, waited for
// under the progress window (ending by itself, ending while the window polls, cancelled), stopped
// by a close, failing (the document stays read-only and the copy's code is reported), and a worker
// that does not stop in time.

#include "editor/Workspace.h"
#include "editor/WorkspaceCopies.h"

#include "common/JobRunner.h"
#include "tests/common/JobTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

using jobtest::Gate;
using namespace std::chrono_literals;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

// A copy held before it begins until released; meanwhile it reports 7 % and, asked to stop, stops.
// One made deaf to the cancel word copies the whole file once released.
CopyFunction slowCopy(Gate& inside, Gate& release, bool hearsCancel = true)
{
    return [&inside, &release, hearsCancel](const QString& s, const QString& t, std::atomic<int32_t>& percent,
                                            const std::atomic<int32_t>& cancelWord) {
        percent.store(7);
        inside.open();
        while (!release.isOpen()) {
            if (hearsCancel && cancelWord.load() != int32_t(JobState::Running))
                return 129;
            std::this_thread::sleep_for(200us);
        }
        const std::atomic<int32_t> goOn{int32_t(JobState::Running)};
        return CopyFileWithProgress(s, t, percent, hearsCancel ? cancelWord : goOn);
    };
}

// The main window as far as the copies go: it starts and cancels them for the workspace, routes
// the posted "job ended" message, and ends a copy in the workspace as the window does.
class Window : public QObject, public WorkspaceHost {
public:
    explicit Window(CopyFunction copy = CopyFileWithProgress)
        : copies(this, progress, [this](uint64_t id, int result) { copyEnded(id, result); }, std::move(copy))
    {
    }

    bool event(QEvent* event) override
    {
        if (event->type() != platform::PostedMessage::eventType())
            return QObject::event(event);
        const auto* message = static_cast<platform::PostedMessage*>(event);
        if (message->message() == kJobEndedMessage)
            messagesHandled.push_back(copies.handleJobEnded(uint64_t(message->wParam())));
        return true;
    }

    void copyEnded(uint64_t id, int result)
    {
        int code = -1;
        const int index = workspace->workspaceCopyEnded(id, result, &code);
        ended.push_back({index, code});
    }

    int closeDocumentAt(int) override { return 0; }
    void trackRefused(TrackRole) override {}
    int createViews(TDocumentRecord& document, const QString&) override
    {
        return makeViews ? makeViews(document) : 0;
    }
    void discardViews(TDocumentRecord&) override {}
    int startWorkspaceCopy(TDocumentRecord& document) override { return copies.start(document); }
    void releaseWorkspaceCopy(TDocumentRecord& document) override { copies.release(document); }
    void cancelWorkspaceCopy(TDocumentRecord& document) override { copies.cancel(document); }
    void addRecentFile(const QString&) override {}

    // Stands for the peak build under the progress window: 0 or the code of its failure.
    std::function<int(TDocumentRecord&)> makeViews;
    jobtest::ScriptedProgressHost progress;
    WorkspaceCopies copies;
    Workspace* workspace = nullptr;
    // (document index, code) of each copy's end as the workspace took it.
    std::vector<std::pair<int, int>> ended;
    // What handleJobEnded answered for each message.
    std::vector<bool> messagesHandled;
};

struct NoDecoder : SourceDecoder {
    int64_t bitsPerSecond(const QString&, SourceKind) override { return 0; }
    int convert(const QString&, SourceKind, const QString&) override { return 229; }
};

class WorkspaceCopiesTest : public testing::Test {
protected:
    explicit WorkspaceCopiesTest(CopyFunction copy = CopyFileWithProgress)
        : window(std::move(copy))
    {
        window.workspace = &workspace;
        QDir().mkpath(temp);
        writeFile(source, wavefixtures::pcmWave(makePcmFormat(8000, 16, 1), wavefixtures::sampleBytes(60000)));
    }

    // Opens the WAV; the document is then current and copying.
    TDocumentRecord& open()
    {
        const WorkspaceResult result = workspace.openFile(source);
        EXPECT_EQ(result.code, 0);
        TDocumentRecord* document = workspace.documents().current();
        EXPECT_TRUE(document);
        EXPECT_EQ(document->workspaceState, WorkspaceState::Copying);
        EXPECT_NE(document->copyJobId, 0u);
        return *document;
    }

    // Serves events until the window has taken a copy's end, or five seconds passed.
    bool endTaken()
    {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        waitWithEvents([&] { return !window.ended.empty() || std::chrono::steady_clock::now() >= deadline; });
        return !window.ended.empty();
    }

    void serveEvents(std::chrono::milliseconds time)
    {
        const auto end = std::chrono::steady_clock::now() + time;
        waitWithEvents([end] { return std::chrono::steady_clock::now() >= end; });
    }

    QString folder = testsupport::testFolder();
    QString temp = folder + "/temp";
    QString source = folder + "/take one.wav";
    NoDecoder decoder;
    Window window;
    Workspace workspace{window, decoder, [this] { return temp; }};
};

class SlowCopyTest : public WorkspaceCopiesTest {
protected:
    SlowCopyTest()
        : WorkspaceCopiesTest(slowCopy(inside, release))
    {
    }
    ~SlowCopyTest() override { release.open(); }

    Gate inside;
    Gate release;
};

} // namespace

TEST_F(WorkspaceCopiesTest, AnOpenedWaveIsCopiedAndItsEndMakesTheDocumentReady)
{
    TDocumentRecord& document = open();
    const uint64_t job = document.copyJobId;
    EXPECT_TRUE(window.copies.isKept(job));
    ASSERT_TRUE(endTaken());
    EXPECT_EQ(window.ended, (std::vector<std::pair<int, int>>{{0, 0}}));
    EXPECT_EQ(document.workspaceState, WorkspaceState::Ready);
    EXPECT_EQ(document.copyJobId, 0u);
    EXPECT_FALSE(window.copies.isKept(job));
    EXPECT_EQ(readFile(document.workingFile), readFile(source));
    EXPECT_EQ(window.copies.ensureFileReadyForEditing(document, true), EditReadiness::Ready);
    EXPECT_TRUE(window.progress.shown.empty()) << "a ready document needs no wait";

    // A second message about the same job finds nothing.
    QCoreApplication::postEvent(&window, new platform::PostedMessage(kJobEndedMessage, intptr_t(job), 0));
    serveEvents(20ms);
    EXPECT_EQ(window.messagesHandled, (std::vector<bool>{true, false}));
    EXPECT_EQ(window.ended.size(), 1u);
}

TEST_F(WorkspaceCopiesTest, AFailedCopyLeavesTheDocumentReadOnlyWithTheCopysCode)
{
    Gate start;
    window.copies.setThreadStarter(jobtest::heldStarter(start));
    TDocumentRecord& document = open();
    // The document file goes away before the copy reads it.
    ASSERT_TRUE(QFile::remove(source));
    start.open();
    ASSERT_TRUE(endTaken());
    ASSERT_EQ(window.ended.size(), 1u);
    EXPECT_EQ(window.ended[0].first, 0);
    EXPECT_EQ(window.ended[0].second, 148) << "the copy's own code, told before the read-only message";
    EXPECT_EQ(document.workspaceState, WorkspaceState::ReadOnly);
    EXPECT_TRUE(document.isReadOnly());
    EXPECT_EQ(window.copies.ensureFileReadyForEditing(document, true), EditReadiness::NotReady);
    EXPECT_TRUE(window.progress.shown.empty());
    // An untitled document never needed its copy: it stays editable.
    document.saveState = SaveState::Untitled;
    EXPECT_EQ(window.copies.ensureFileReadyForEditing(document, true), EditReadiness::Ready);
}

TEST_F(WorkspaceCopiesTest, NoWorkerForTheCopyRefusesTheOpen)
{
    window.copies.setThreadStarter(jobtest::failingStarter());
    const WorkspaceResult result = workspace.openFile(source);
    EXPECT_EQ(result.code, 181);
    EXPECT_EQ(result.report, WorkspaceResult::Report::Message);
    EXPECT_TRUE(workspace.documents().isEmpty());
    EXPECT_TRUE(QDir(temp).entryList(QDir::Files).isEmpty()) << "the reserved names go with the document";
}

TEST_F(SlowCopyTest, TheWaitShowsTheCopysProgressUntilItEnds)
{
    TDocumentRecord& document = open();
    ASSERT_TRUE(jobtest::eventually([&] { return inside.isOpen(); }));
    EXPECT_EQ(window.copies.ensureFileReadyForEditing(document, false), EditReadiness::NotReady);
    EXPECT_TRUE(window.progress.shown.empty()) << "no window when waiting is not allowed";

    window.progress.beforeTick = [this](int tick) {
        if (tick == 5)
            release.open();
    };
    EXPECT_EQ(window.copies.ensureFileReadyForEditing(document, true), EditReadiness::Ready);
    ASSERT_EQ(window.progress.shown.size(), 1u);
    const auto& shown = window.progress.shown[0];
    EXPECT_EQ(shown.caption, "Preparing file for editing...");
    EXPECT_TRUE(shown.cancelShown);
    EXPECT_FALSE(shown.cancelPressed);
    ASSERT_GE(shown.percents.size(), 4u);
    EXPECT_EQ(shown.percents[0], 7);
    // The end was taken after the window closed, before its message arrived.
    EXPECT_EQ(window.ended, (std::vector<std::pair<int, int>>{{0, 0}}));
    EXPECT_EQ(document.workspaceState, WorkspaceState::Ready);
    EXPECT_EQ(readFile(document.workingFile), readFile(source));
    serveEvents(20ms);
    EXPECT_EQ(window.messagesHandled, std::vector<bool>{false});
    EXPECT_EQ(window.ended.size(), 1u);
}

TEST_F(SlowCopyTest, TheCopysMessageMayEndTheWaitWhileTheWindowPolls)
{
    TDocumentRecord& document = open();
    ASSERT_TRUE(jobtest::eventually([&] { return inside.isOpen(); }));
    const uint64_t job = document.copyJobId;
    // The window's loop serves events, as the modal progress window does; the message arrives
    // and is handled there before the poll sees the job.
    window.progress.beforeTick = [&](int tick) {
        if (tick == 3)
            release.open();
        if (tick >= 3)
            waitWithEvents([&] { return !window.copies.isKept(job); });
    };
    EXPECT_EQ(window.copies.ensureFileReadyForEditing(document, true), EditReadiness::Ready);
    EXPECT_EQ(window.messagesHandled, std::vector<bool>{true});
    EXPECT_EQ(window.ended.size(), 1u);
    EXPECT_EQ(document.workspaceState, WorkspaceState::Ready);
}

TEST_F(SlowCopyTest, CancellingTheWaitStopsTheCopyAndLeavesTheDocumentReadOnly)
{
    TDocumentRecord& document = open();
    const uint64_t job = document.copyJobId;
    ASSERT_TRUE(jobtest::eventually([&] { return inside.isOpen(); }));
    window.progress.pressCancelAt = [](int tick) { return tick == 3; };
    EXPECT_EQ(window.copies.ensureFileReadyForEditing(document, true), EditReadiness::Cancelled);
    ASSERT_EQ(window.progress.shown.size(), 1u);
    EXPECT_TRUE(window.progress.shown[0].cancelPressed);
    EXPECT_EQ(document.workspaceState, WorkspaceState::ReadOnly);
    EXPECT_EQ(document.copyJobId, 0u);
    EXPECT_FALSE(window.copies.isKept(job));
    serveEvents(20ms);
    EXPECT_TRUE(window.messagesHandled.empty()) << "a cancelled copy posts nothing";
    EXPECT_TRUE(window.ended.empty());
    EXPECT_EQ(QFileInfo(document.workingFile).size(), 0) << "the working file stays as reserved";
    EXPECT_EQ(window.copies.ensureFileReadyForEditing(document, true), EditReadiness::NotReady);
    EXPECT_EQ(window.progress.shown.size(), 1u);
}

TEST_F(SlowCopyTest, ClosingADocumentStopsItsCopyBeforeItsFilesGo)
{
    TDocumentRecord& document = open();
    const uint64_t job = document.copyJobId;
    ASSERT_TRUE(jobtest::eventually([&] { return inside.isOpen(); }));
    EXPECT_TRUE(window.copies.cancel(document));
    EXPECT_FALSE(window.copies.isKept(job));
    EXPECT_EQ(document.workspaceState, WorkspaceState::ReadOnly);
    EXPECT_EQ(document.copyJobId, 0u);
    EXPECT_FALSE(window.copies.cancel(document)) << "no copy left to stop";
    serveEvents(20ms);
    EXPECT_TRUE(window.ended.empty());
}

TEST_F(WorkspaceCopiesTest, ACopyThatDoesNotStopInTimeNoLongerReachesItsDocument)
{
    Gate inside, release;
    Window deaf(slowCopy(inside, release, false));
    Workspace spaces{deaf, decoder, [this] { return temp; }};
    deaf.workspace = &spaces;
    ASSERT_EQ(spaces.openFile(source).code, 0);
    TDocumentRecord& document = *spaces.documents().current();
    const uint64_t job = document.copyJobId;
    ASSERT_TRUE(jobtest::eventually([&] { return inside.isOpen(); }));

    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(deaf.copies.cancel(document));
    EXPECT_GE(std::chrono::steady_clock::now() - before, WorkspaceCopies::kCancelTimeout);
    EXPECT_EQ(document.workspaceState, WorkspaceState::ReadOnly);
    EXPECT_EQ(document.copyJobId, 0u);
    EXPECT_TRUE(deaf.copies.isKept(job));

    // It finishes its copy later: the document stays read-only and the job goes.
    release.open();
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    waitWithEvents([&] { return !deaf.messagesHandled.empty() || std::chrono::steady_clock::now() >= deadline; });
    EXPECT_EQ(deaf.messagesHandled, std::vector<bool>{false});
    EXPECT_TRUE(deaf.ended.empty());
    EXPECT_FALSE(deaf.copies.isKept(job));
    EXPECT_EQ(document.workspaceState, WorkspaceState::ReadOnly);
}

// Cancel pressed as the copy ends: the document stays read-only as the user asked, and the copy's
// end, whether its message comes while the cancel waits or after, no longer reaches it.
TEST_F(WorkspaceCopiesTest, ACancelAsTheCopyEndsStillLeavesTheDocumentReadOnly)
{
    Gate copied;
    Window racing([&copied](const QString& s, const QString& t, std::atomic<int32_t>& percent,
                            const std::atomic<int32_t>& cancelWord) {
        const int code = CopyFileWithProgress(s, t, percent, cancelWord);
        copied.open();
        return code;
    });
    Workspace spaces{racing, decoder, [this] { return temp; }};
    racing.workspace = &spaces;
    ASSERT_EQ(spaces.openFile(source).code, 0);
    TDocumentRecord& document = *spaces.documents().current();
    const uint64_t job = document.copyJobId;
    ASSERT_TRUE(jobtest::eventually([&] { return copied.isOpen(); }));
    racing.progress.pressCancelAt = [](int) { return true; };
    EXPECT_EQ(racing.copies.ensureFileReadyForEditing(document, true), EditReadiness::Cancelled);
    serveEvents(20ms);
    EXPECT_EQ(document.workspaceState, WorkspaceState::ReadOnly);
    EXPECT_FALSE(racing.copies.isKept(job));
    EXPECT_EQ(racing.messagesHandled.size(), 1u);
    for (const auto& [index, code] : racing.ended)
        EXPECT_EQ(index, DocumentList::kNoDocument) << "the end reached the document after its cancel";
}

// The copy starts before the views: when its message comes while they are made (the progress
// window serves events), the end reaches the document only once the open has made them.
TEST_F(WorkspaceCopiesTest, ACopyEndingWhileTheViewsAreMadeIsHandledOnceTheyExist)
{
    uint64_t job = 0;
    window.makeViews = [&](TDocumentRecord& document) {
        job = document.copyJobId;
        EXPECT_NE(job, 0u) << "the copy runs while the peaks are built";
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        waitWithEvents([&] { return !window.messagesHandled.empty() || std::chrono::steady_clock::now() >= deadline; });
        EXPECT_EQ(window.messagesHandled, std::vector<bool>{false}) << "the end is held";
        EXPECT_TRUE(window.ended.empty());
        EXPECT_TRUE(window.copies.isKept(job));
        EXPECT_EQ(document.workspaceState, WorkspaceState::Copying);
        return 0;
    };
    const WorkspaceResult result = workspace.openFile(source);
    ASSERT_EQ(result.code, 0);
    EXPECT_EQ(window.ended, (std::vector<std::pair<int, int>>{{0, 0}}));
    const TDocumentRecord& document = *workspace.documents().current();
    EXPECT_EQ(document.workspaceState, WorkspaceState::Ready);
    EXPECT_EQ(document.copyJobId, 0u);
    EXPECT_FALSE(window.copies.isKept(job));
    EXPECT_EQ(readFile(document.workingFile), readFile(source));
    serveEvents(20ms);
    EXPECT_EQ(window.ended.size(), 1u);
}

// Views that fail or are cancelled stop the copy, running or ended, and the open leaves nothing:
// no document, no file in the temporary folder, the user's file as it was, no end reported.
TEST_F(WorkspaceCopiesTest, FailedViewsStopTheCopyAndLeaveNothing)
{
    struct Case {
        int viewsCode;
        bool copyEnded;
    };
    for (const Case c : {Case{141, false}, Case{kCancelled, false}, Case{141, true}}) {
        SCOPED_TRACE(testing::Message() << c.viewsCode << (c.copyEnded ? " after the copy" : " during the copy"));
        Gate inside, release;
        Window failing(slowCopy(inside, release));
        Workspace spaces{failing, decoder, [this] { return temp; }};
        failing.workspace = &spaces;
        const QByteArray original = readFile(source);
        uint64_t job = 0;
        failing.makeViews = [&](TDocumentRecord& document) {
            job = document.copyJobId;
            EXPECT_TRUE(jobtest::eventually([&] { return inside.isOpen(); }));
            if (c.copyEnded) {
                release.open();
                const auto deadline = std::chrono::steady_clock::now() + 5s;
                waitWithEvents([&] {
                    return !failing.messagesHandled.empty() || std::chrono::steady_clock::now() >= deadline;
                });
                EXPECT_EQ(failing.messagesHandled, std::vector<bool>{false});
            }
            return c.viewsCode;
        };
        const WorkspaceResult result = spaces.openFile(source);
        release.open();
        EXPECT_EQ(result.code, c.viewsCode);
        EXPECT_EQ(result.report, WorkspaceResult::Report::None);
        EXPECT_TRUE(spaces.documents().isEmpty());
        EXPECT_NE(job, 0u);
        EXPECT_FALSE(failing.copies.isKept(job));
        EXPECT_TRUE(QDir(temp).entryList(QDir::Files).isEmpty());
        EXPECT_EQ(readFile(source), original);
        serveEvents(20ms);
        EXPECT_TRUE(failing.ended.empty());
    }
}
