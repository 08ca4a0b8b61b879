// The one foreground job. Once its window has closed the runner still waits for the work to end,
// serving timers and posted messages meanwhile; a job that one of those asks for then is refused
// without a second window, and jobs run again once the first one's work has been joined.
#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "common/PolledLibrary.h"
#include "platform/base/PostedMessage.h"
#include "tests/common/JobTestSupport.h"
#include "tests/support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <functional>

using jobtest::FakeEditEngine;
using jobtest::Gate;
using jobtest::ScriptedProgressHost;

namespace {

enum class Road { Worker, Process };
enum class Asker { PostedMessage, Timer };

// The playback-ended message: its handler may well start work of its own.
constexpr uint32_t kPlaybackEnded = 0x465;

// Hands every posted message to onMessage.
struct Receiver : QObject {
    std::function<void()> onMessage;

    bool event(QEvent* e) override
    {
        if (e->type() != platform::PostedMessage::eventType())
            return QObject::event(e);
        onMessage();
        return true;
    }
};

class ForegroundJobTest : public testing::Test {
protected:
    // A job on the road whose work is done as soon as its window ticks.
    int runQuick(Road road)
    {
        if (road == Road::Process) {
            // Held until the first tick, so that it is polled under a window like the worker.
            Gate ticked;
            host.beforeTick = [&ticked](int) { ticked.open(); };
            engine.body = [&ticked](auto&) {
                ticked.wait();
                return 0;
            };
            const int result = runProcess();
            host.beforeTick = {};
            return result;
        }
        TJobRecord job(JobKind::CancelOnly);
        return runner.runOnWorker(job, "Second", true, [](TJobRecord& j) { j.finish(JobState::Done); });
    }

    // A job on the road whose work goes on, past the Cancel that closes its window, until release
    // opens.
    int runHeld(Road road, const Gate& release)
    {
        if (road == Road::Process) {
            engine.body = [&release](auto&) {
                release.wait();
                return 0;
            };
            return runProcess();
        }
        TJobRecord job(JobKind::CancelOnly);
        return runner.runOnWorker(job, "First", true, [&release](TJobRecord& j) {
            release.wait();
            j.finish(JobState::Done);
        });
    }

    int runProcess()
    {
        return runner.runLibraryProcess(JobKind::EditProcess, calls,
                                        [this](uint32_t* cell) { return engine.AudioPasteEx(cell); }, "Pasting...",
                                        true, messages, PlayerErrorToMessageId);
    }

    testsupport::ScriptedInteraction ui;
    platform::Messages messages = makeRecorderMessages(ui);
    FakeEditEngine engine;
    EditProcessCalls<FakeEditEngine> calls{engine};
    ScriptedProgressHost host;
    JobRunner runner{host};
};

} // namespace

TEST_F(ForegroundJobTest, AJobAskedForWhileTheLastOneIsJoinedIsRefused)
{
    const struct {
        Road road;
        Asker asker;
    } cases[] = {
        {Road::Worker, Asker::PostedMessage},
        {Road::Worker, Asker::Timer},
        {Road::Process, Asker::PostedMessage},
        {Road::Process, Asker::Timer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.road == Road::Worker ? "worker" : "process") << " asked by "
                                        << (c.asker == Asker::Timer ? "a timer" : "a posted message"));
        host.shown.clear();
        const int startsBefore = engine.closeCalls;
        Gate release;
        int nested = -1;
        size_t windowsAtNested = 0;
        // The job asked for during the wait; the first job's work ends only after that.
        const auto askForAJob = [&] {
            nested = runQuick(c.road);
            windowsAtNested = host.shown.size();
            release.open();
        };
        platform::MessagePoster poster;
        Receiver receiver;
        receiver.onMessage = askForAJob;
        poster.setReceiver(&receiver);
        QObject timerContext;
        // Cancel at the first job's first tick closes its window; the asker comes once the runner
        // waits.
        bool cancelled = false;
        host.pressCancelAt = [&](int) {
            if (cancelled)
                return false;
            cancelled = true;
            if (c.asker == Asker::PostedMessage)
                poster.post(kPlaybackEnded);
            else
                QTimer::singleShot(10, &timerContext, askForAJob);
            return true;
        };

        EXPECT_EQ(runHeld(c.road, release), 0);
        host.pressCancelAt = {};
        EXPECT_TRUE(release.isOpen()) << "the asker ran during the wait";
        EXPECT_EQ(nested, kJobBusyCode);
        EXPECT_EQ(windowsAtNested, 1u) << "no second progress window";
        if (c.road == Road::Process) {
            EXPECT_EQ(engine.closeCalls, startsBefore + 1) << "the refused process was never started";
        }
        EXPECT_EQ(runner.currentJob(), nullptr);

        EXPECT_EQ(runQuick(c.road), 0) << "once the first job is joined, jobs run again";
        EXPECT_EQ(host.shown.size(), 2u);
        EXPECT_EQ(engine.openProcesses(), 0);
    }
}
