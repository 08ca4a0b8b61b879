// The peak build of a display as a job (kind 2): the scan on a worker, the result installed by the
// GUI thread after the join, and the build cancelled before it began, midway, refused, without a
// thread, and failing.
#include "controls/PeakJob.h"
#include "controls/WaveDisplayFile.h"
#include "tests/common/JobTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <algorithm>
#include <atomic>
#include <thread>

using namespace controls;
using jobtest::Gate;
using jobtest::ScriptedProgressHost;

namespace {

// 4.4 MB of 16-bit stereo: the scan has helper threads of its own.
constexpr int64_t kFrames = 1100000;

// The display's file side, with a hook the test puts into each build it prepares.
struct HookedDisplay {
    WaveDisplayFile file;
    std::function<void(int64_t piece)> afterPieceRead;

    std::unique_ptr<PeakBuildJob> beginPeakBuild(std::atomic<int32_t>& progress)
    {
        std::unique_ptr<PeakBuildJob> job = file.beginPeakBuild(progress);
        job->afterPieceRead = afterPieceRead;
        return job;
    }
    int finishPeakBuild(PeakBuildJob& job) { return file.finishPeakBuild(job); }
    void CancelPeakBuilding() { file.CancelPeakBuilding(); }
};

class PeakJobTest : public testing::Test {
protected:
    void SetUp() override
    {
        wav = wavefixtures::soxWave(testsupport::testFolder() + "/t.wav", 16, 2, kFrames, 44100);
        ASSERT_EQ(display.file.OpenWaveFile(wav), WaveDisplayCode::Ok);
    }

    PeakBuildOutcome build() { return runPeakBuildJob(runner, display, "Building Peaks...", true); }

    QString wav;
    HookedDisplay display;
    ScriptedProgressHost host;
    JobRunner runner{host};
};

} // namespace

TEST_F(PeakJobTest, BuiltOnAWorkerAndInstalledAfterTheJoin)
{
    bool alwaysBuildingMeanwhile = true;
    host.beforeTick = [&](int) {
        alwaysBuildingMeanwhile = alwaysBuildingMeanwhile && display.file.peakState() == PeakState::Building &&
                                  display.file.peakCache().isEmpty();
    };
    const PeakBuildOutcome outcome = build();
    EXPECT_EQ(outcome.result(), 0);
    EXPECT_TRUE(alwaysBuildingMeanwhile) << "nothing is installed while the worker runs";
    EXPECT_EQ(display.file.peakState(), PeakState::Built);
    EXPECT_EQ(display.file.peakCache().entriesPerChannel(), uint32_t(kFrames / 32));

    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].caption, "Building Peaks...");
    const std::vector<int>& percents = host.shown[0].percents;
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));

    WaveDisplayFile reference;
    std::atomic<int32_t> progress{0};
    ASSERT_EQ(reference.OpenWaveFile(wav), WaveDisplayCode::Ok);
    ASSERT_EQ(reference.BuildPeaks(progress), WaveDisplayCode::Ok);
    EXPECT_EQ(display.file.peakCache().channels, reference.peakCache().channels);
}

// Given a cache file, the worker writes the peaks it built there; a file that cannot be written
// leaves the build itself good.
TEST_F(PeakJobTest, TheWorkerWritesTheCacheFile)
{
    const QString folder = testsupport::testFolder();
    const struct {
        const char* name;
        QString peakFile;
        int saved;
    } cases[] = {
        {"beside the WAV", folder + "/t.vxp", WaveDisplayCode::Ok},
        {"a folder in its place", folder, WaveDisplayCode::CannotCreatePeakFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PeakBuildOutcome outcome = runPeakBuildJob(runner, display, "Building Peaks...", true, c.peakFile);
        EXPECT_EQ(outcome.result(), 0);
        EXPECT_EQ(outcome.saveResult, c.saved);
        EXPECT_EQ(display.file.peakState(), PeakState::Built);
        if (c.saved == WaveDisplayCode::Ok) {
            PeakCache written;
            ASSERT_EQ(readPeakFile(c.peakFile, uint32_t(kFrames / 32), 2, written), WaveDisplayCode::Ok);
            EXPECT_EQ(written.channels, display.file.peakCache().channels);
        }
    }
}

TEST_F(PeakJobTest, CancelledMidway)
{
    // The scan waits at its fourth piece until the poll has passed the cancel to the display.
    Gate atMiddle;
    display.afterPieceRead = [&](int64_t piece) {
        if (piece == 3) {
            atMiddle.open();
            while (display.file.peakState() != PeakState::CancelRequested)
                std::this_thread::yield();
        }
    };
    host.pressCancelAt = [&](int) { return atMiddle.isOpen(); };
    const PeakBuildOutcome outcome = build();
    EXPECT_EQ(outcome.ownResult, 0);
    EXPECT_EQ(outcome.exitReason, WaveDisplayCode::Cancelled);
    EXPECT_EQ(outcome.result(), WaveDisplayCode::Cancelled);
    EXPECT_EQ(display.file.peakState(), PeakState::CancelRequested);
    EXPECT_TRUE(display.file.peakCache().isEmpty());
    EXPECT_EQ(host.keepOpenCalls, std::vector<bool>{false}) << "a cancelled peak build lets the window close";
}

TEST_F(PeakJobTest, CancelledBeforeTheScanBegan)
{
    Gate start;
    runner.setThreadStarter(jobtest::heldStarter(start));
    std::atomic<int> piecesRead{0};
    display.afterPieceRead = [&](int64_t) { ++piecesRead; };
    host.pressCancelAt = [&](int) {
        QTimer::singleShot(0, [&start] { start.open(); });
        return true;
    };
    const PeakBuildOutcome outcome = build();
    EXPECT_EQ(outcome.ownResult, 129);
    EXPECT_EQ(outcome.result(), 129);
    EXPECT_EQ(piecesRead.load(), 0);
    EXPECT_EQ(display.file.peakState(), PeakState::CancelRequested);
    EXPECT_TRUE(display.file.peakCache().isEmpty());
}

TEST_F(PeakJobTest, NoThreadGives156AndLeavesTheDisplayDrawable)
{
    runner.setThreadStarter(jobtest::failingStarter());
    EXPECT_EQ(build().result(), 156);
    EXPECT_TRUE(host.shown.empty());
    EXPECT_NE(display.file.peakState(), PeakState::Building) << "a display left building never draws again";
}

TEST_F(PeakJobTest, RefusedWhileAnotherJobRunsWithoutTouchingTheDisplay)
{
    std::atomic<int32_t> progress{0};
    ASSERT_EQ(display.file.BuildPeaks(progress), WaveDisplayCode::Ok);
    TJobRecord other(JobKind::CancelOnly);
    PeakBuildOutcome nested;
    host.beforeTick = [&](int tick) {
        if (tick == 1)
            nested = build();
    };
    ASSERT_EQ(runner.runOnWorker(other, "Other", false, [](TJobRecord& j) { j.finish(JobState::Done); }), 0);
    EXPECT_EQ(nested.result(), kJobBusyCode);
    EXPECT_EQ(display.file.peakState(), PeakState::Built);
    EXPECT_EQ(display.file.peakCache().entriesPerChannel(), uint32_t(kFrames / 32));
}

TEST_F(PeakJobTest, AFailingScanEndsWithItsCode)
{
    // The file opened in the display is no longer a WAV when the scan reads it.
    testsupport::writeFile(wav, "no longer a wave file");
    const PeakBuildOutcome outcome = build();
    EXPECT_EQ(outcome.ownResult, 0);
    EXPECT_EQ(outcome.result(), WaveDisplayCode::NotWave);
    EXPECT_EQ(display.file.peakState(), PeakState::Opened);
    EXPECT_TRUE(display.file.peakCache().isEmpty());
}
