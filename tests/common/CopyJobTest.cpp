// Copies on a worker (job kind 1) with the utilities' copy: finished, failed, refused, and cancelled
// before the copy began, while it ran and after it had ended.
#include "common/CopyJob.h"
#include "common/JobRunner.h"
#include "tests/common/JobTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTimer>

#include <algorithm>

using jobtest::Gate;
using jobtest::ScriptedProgressHost;

namespace {

class CopyJobTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::testFolder();
        source = folder + "/source.wav";
        target = folder + "/target.wav";
        // 40 blocks of the copy, so the bar has something to follow.
        testsupport::writeFile(source, wavefixtures::sampleBytes(40 * 65520 + 123));
    }

    // Runs the copy as a job with Cancel shown, as the tests of cancelling need.
    int runCopy(TJobRecord& job, const CopyFunction& copy = CopyFileWithProgress)
    {
        return runner.runOnWorker(job, "Copying...", true, [&copy](TJobRecord& j) { runCopyJob(j, copy); });
    }

    QString folder;
    QString source;
    QString target;
    ScriptedProgressHost host;
    JobRunner runner{host};
};

} // namespace

TEST_F(CopyJobTest, CopiesUnderTheWindowWithoutCancel)
{
    EXPECT_EQ(CopyFileOnWorker(runner, source, target, "Saving wave file..."), 0);
    EXPECT_EQ(testsupport::readFile(target), testsupport::readFile(source));
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].caption, "Saving wave file...");
    EXPECT_FALSE(host.shown[0].cancelShown);
    const std::vector<int>& percents = host.shown[0].percents;
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(runner.currentJob(), nullptr);
}

TEST_F(CopyJobTest, FailuresComeBackAsTheCopysCode)
{
    EXPECT_EQ(CopyFileOnWorker(runner, folder + "/missing.wav", target, "Copy"), 148);
    EXPECT_EQ(CopyFileOnWorker(runner, source, folder + "/no/such/folder/t.wav", "Copy"), 150);
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(host.shown.size(), 2u);
}

TEST_F(CopyJobTest, NoThreadGives154AndNoWindow)
{
    runner.setThreadStarter(jobtest::failingStarter());
    EXPECT_EQ(CopyFileOnWorker(runner, source, target, "Copy"), 154);
    EXPECT_TRUE(host.shown.empty());
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(runner.currentJob(), nullptr);
}

TEST_F(CopyJobTest, ASecondJobIsRefusedWhileOneRuns)
{
    int nested = -1;
    host.beforeTick = [&](int tick) {
        if (tick == 1)
            nested = CopyFileOnWorker(runner, source, folder + "/second.wav", "Copy");
    };
    EXPECT_EQ(CopyFileOnWorker(runner, source, target, "Copy"), 0);
    EXPECT_EQ(nested, kJobBusyCode);
    EXPECT_FALSE(QFile::exists(folder + "/second.wav"));
}

TEST_F(CopyJobTest, CancelBeforeTheCopyBegan)
{
    // The worker is held back until the cancel has been asked; the gate opens from the event loop
    // in which the runner waits once the window has closed.
    Gate start;
    runner.setThreadStarter(jobtest::heldStarter(start));
    bool copied = false;
    host.pressCancelAt = [&](int) {
        QTimer::singleShot(0, [&start] { start.open(); });
        return true;
    };
    TJobRecord job(JobKind::FileCopy, std::make_unique<CopyParameters>(source, target));
    ASSERT_EQ(runCopy(job, [&copied](auto&&...) {
        copied = true;
        return 0;
    }), 0);
    EXPECT_FALSE(copied);
    EXPECT_EQ(job.currentState(), JobState::Cancelled);
    EXPECT_EQ(job.result(), 129);
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(CopyJobTest, CancelWhileTheCopyRuns)
{
    // The copy has begun and waits inside until the cancel has been asked.
    Gate inside;
    Gate release;
    const CopyFunction copy = [&](const QString& s, const QString& t, std::atomic<int32_t>& percent,
                                  const std::atomic<int32_t>& cancelWord) {
        percent.store(5);
        inside.open();
        release.wait();
        return CopyFileWithProgress(s, t, percent, cancelWord);
    };
    host.pressCancelAt = [&](int) {
        if (!inside.isOpen())
            return false;
        QTimer::singleShot(0, [&release] { release.open(); });
        return true;
    };
    TJobRecord job(JobKind::FileCopy, std::make_unique<CopyParameters>(source, target));
    ASSERT_EQ(runCopy(job, copy), 0);
    EXPECT_EQ(job.currentState(), JobState::Cancelled);
    EXPECT_EQ(job.ownResult.load(), 129);
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(CopyJobTest, CancelAfterTheEndChangesNothing)
{
    TJobRecord job(JobKind::FileCopy, std::make_unique<CopyParameters>(source, target));
    // Cancel is pressed once the worker has written its final state but before a tick saw it.
    host.pressCancelAt = [&](int) { return jobtest::eventually([&job] { return !job.isActive(); }); };
    ASSERT_EQ(runCopy(job), 0);
    EXPECT_TRUE(host.shown[0].cancelPressed);
    EXPECT_EQ(job.currentState(), JobState::Done);
    EXPECT_EQ(job.result(), 0);
    EXPECT_EQ(testsupport::readFile(target), testsupport::readFile(source));
}

TEST_F(CopyJobTest, AJobWithoutItsFilesEndsCancelled)
{
    TJobRecord job(JobKind::FileCopy);
    bool copied = false;
    ASSERT_EQ(runCopy(job, [&copied](auto&&...) {
        copied = true;
        return 0;
    }), 0);
    EXPECT_FALSE(copied);
    EXPECT_EQ(job.currentState(), JobState::Cancelled);
    EXPECT_EQ(job.result(), 129);
}
