// The job record's rules, and PollJob: what a cancel does to each kind and where the percent comes
// from.
#include "common/JobRecord.h"
#include "common/JobRunner.h"
#include "tests/common/JobTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

using jobtest::Gate;
using jobtest::ScriptedProgressHost;

TEST(JobRecord, CancelIsRequestedOnlyOverRunning)
{
    struct Case {
        JobState from;
        bool requested;
        JobState after;
    };
    const Case cases[] = {
        {JobState::Running, true, JobState::CancelAsked},   {JobState::CancelAsked, false, JobState::CancelAsked},
        {JobState::Done, false, JobState::Done},            {JobState::Cancelled, false, JobState::Cancelled},
        {JobState::Failed, false, JobState::Failed},
    };
    for (const Case& c : cases) {
        TJobRecord job(JobKind::FileCopy);
        job.state.store(int32_t(c.from));
        EXPECT_EQ(job.requestCancel(), c.requested) << int(c.from);
        EXPECT_EQ(job.currentState(), c.after) << int(c.from);
    }
}

TEST(JobRecord, StartsRunningWithNothingDoneAndUniqueIds)
{
    std::set<uint64_t> ids;
    for (int i = 0; i < 100; ++i) {
        const TJobRecord job(JobKind::CancelOnly);
        EXPECT_TRUE(ids.insert(job.id).second);
        EXPECT_EQ(job.currentState(), JobState::Running);
        EXPECT_TRUE(job.isActive());
        EXPECT_EQ(job.progress.load(), 0);
        EXPECT_EQ(job.result(), 0);
    }
}

TEST(JobRecord, ResultByKind)
{
    const JobKind exitReasonFirst[] = {JobKind::FileCopy, JobKind::Effect};
    const JobKind exitReasonAlone[] = {JobKind::EditProcess, JobKind::ConvertProcess};
    const JobKind ownResultFirst[] = {JobKind::PeakBuild, JobKind::WorkspaceCopy, JobKind::CancelOnly};
    const struct {
        int own;
        int exit;
        int exitReasonFirst;
        int exitReasonAlone;
        int ownResultFirst;
    } cases[] = {
        {0, 0, 0, 0, 0},           {0, 110, 110, 110, 110}, {129, 0, 129, 0, 129},
        {150, 110, 110, 110, 150}, {129, 129, 129, 129, 129},
    };
    for (const auto& c : cases) {
        const auto check = [&c](JobKind kind, int expected) {
            TJobRecord job(kind);
            job.ownResult.store(c.own);
            job.exitReason.store(c.exit);
            EXPECT_EQ(job.result(), expected) << "kind " << int(kind) << ", own " << c.own << ", exit " << c.exit;
        };
        for (const JobKind kind : exitReasonFirst)
            check(kind, c.exitReasonFirst);
        for (const JobKind kind : exitReasonAlone)
            check(kind, c.exitReasonAlone);
        for (const JobKind kind : ownResultFirst)
            check(kind, c.ownResultFirst);
    }
}

TEST(JobRecord, ThreadFailureCodeByKind)
{
    const std::pair<JobKind, int> cases[] = {
        {JobKind::FileCopy, 154}, {JobKind::PeakBuild, 156}, {JobKind::WorkspaceCopy, 181}, {JobKind::Effect, 386},
    };
    for (const auto& [kind, code] : cases)
        EXPECT_EQ(threadFailureCode(kind), code) << int(kind);
}

TEST(PollJob, WithoutACurrentJobItReportsTheEnd)
{
    ScriptedProgressHost host;
    JobRunner runner(host);
    for (const bool cancel : {false, true}) {
        int32_t running = 1;
        EXPECT_EQ(runner.PollJob(cancel, running), 0);
        EXPECT_NE(running, 1) << "a window left polling must close";
    }
}

// A worker job whose body shows some progress, then waits for a cancel request and ends Cancelled
// without touching the own result, so the record shows what the poll's cancel wrote.
TEST(PollJob, CancelOfEachWorkerKind)
{
    struct Case {
        JobKind kind;
        bool hookCalled;
        int ownResult;
        bool keepOpenCleared;
    };
    const Case cases[] = {
        {JobKind::FileCopy, false, 0, false},   {JobKind::PeakBuild, true, 0, true},
        {JobKind::WorkspaceCopy, false, 0, false}, {JobKind::Effect, true, 129, false},
        {JobKind::CancelOnly, false, 129, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.kind));
        ScriptedProgressHost host;
        JobRunner runner(host);
        TJobRecord job(c.kind);
        Gate atProgress;
        bool hookCalled = false;
        int progressSeenAt = 0;
        host.pressCancelAt = [&](int tick) {
            if (!atProgress.isOpen())
                return false;
            if (progressSeenAt == 0)
                progressSeenAt = tick;
            return tick > progressSeenAt;
        };
        const int started = runner.runOnWorker(
            job, "Working...", true,
            [&atProgress](TJobRecord& j) {
                j.progress.store(37);
                atProgress.open();
                while (j.currentState() != JobState::CancelAsked)
                    std::this_thread::yield();
                j.finish(JobState::Cancelled);
            },
            [&hookCalled] { hookCalled = true; });
        ASSERT_EQ(started, 0);
        ASSERT_EQ(host.shown.size(), 1u);
        EXPECT_TRUE(host.shown[0].cancelPressed);
        EXPECT_EQ(host.shown[0].percents.back(), 37) << "the percent is the record's progress";
        EXPECT_EQ(hookCalled, c.hookCalled);
        EXPECT_EQ(job.ownResult.load(), c.ownResult);
        EXPECT_EQ(host.keepOpenCalls == std::vector<bool>{false}, c.keepOpenCleared);
        EXPECT_EQ(job.currentState(), JobState::Cancelled);
        EXPECT_EQ(runner.currentJob(), nullptr);
    }
}
