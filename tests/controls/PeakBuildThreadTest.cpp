// The peak build on a real worker thread while the test's main thread plays the GUI thread: it
// reads progress and the state, cancels, and installs the result after joining. Also run under
// ThreadSanitizer.
#include "controls/WaveDisplayFile.h"
#include "tests/support/WaveFixtures.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <sched.h>

using namespace controls;

namespace {

// 4.4 MB of 16-bit stereo: 17 pieces, scanned by helper threads of the job as well.
constexpr int64_t kFrames = 1100000;

struct Watch {
    int32_t lastProgress = 0;
    bool progressRose = true; // never went down
    bool alwaysBuilding = true;
};

// Polls like a progress window until stop() holds.
template <typename Stop>
Watch watch(const WaveDisplayFile& display, const std::atomic<int32_t>& progress, Stop stop)
{
    Watch w;
    while (!stop()) {
        const int32_t p = progress.load();
        w.progressRose = w.progressRose && p >= w.lastProgress;
        w.lastProgress = p;
        w.alwaysBuilding = w.alwaysBuilding && display.peakState() == PeakState::Building;
        std::this_thread::yield();
    }
    return w;
}

} // namespace

TEST(PeakBuildThread, CancelMidwayThenACompleteBuildInstalledAfterJoin)
{
    const QString wav = wavefixtures::soxWave(testsupport::testFolder() + "/t.wav", 16, 2, kFrames, 44100);
    WaveDisplayFile display;
    ASSERT_EQ(display.OpenWaveFile(wav), WaveDisplayCode::Ok);

    // First run: the worker waits at the fourth piece until the main thread has cancelled.
    {
        std::atomic<int32_t> progress{0};
        std::atomic<bool> atMiddle{false};
        std::atomic<bool> cancelSent{false};
        std::atomic<bool> done{false};
        const std::unique_ptr<PeakBuildJob> job = display.beginPeakBuild(progress);
        job->afterPieceRead = [&](int64_t piece) {
            if (piece == 3) {
                atMiddle = true;
                while (!cancelSent.load())
                    std::this_thread::yield();
            }
        };
        std::thread worker([&] {
            job->run();
            done = true;
        });
        const Watch w = watch(display, progress, [&] { return atMiddle.load() || done.load(); });
        ASSERT_TRUE(atMiddle.load()) << "the build ended before its fourth piece";
        EXPECT_TRUE(w.progressRose);
        EXPECT_TRUE(w.alwaysBuilding);
        EXPECT_GT(progress.load(), 0);
        EXPECT_LT(progress.load(), 99);
        display.CancelPeakBuilding();
        cancelSent = true;
        worker.join();

        EXPECT_EQ(display.finishPeakBuild(*job), WaveDisplayCode::Cancelled);
        EXPECT_EQ(display.peakState(), PeakState::CancelRequested);
        EXPECT_TRUE(display.peakCache().isEmpty());
        EXPECT_EQ(progress.load(), 100);
    }

    // Second run: left alone, it completes; nothing is installed before finishPeakBuild.
    std::atomic<int32_t> progress{0};
    std::atomic<bool> done{false};
    const std::unique_ptr<PeakBuildJob> job = display.beginPeakBuild(progress);
    std::thread worker([&] {
        job->run();
        done = true;
    });
    const Watch w = watch(display, progress, [&] { return done.load(); });
    worker.join();
    EXPECT_TRUE(w.progressRose);
    EXPECT_TRUE(w.alwaysBuilding);
    EXPECT_EQ(display.peakState(), PeakState::Building) << "the state waits for the result to be installed";
    EXPECT_TRUE(display.peakCache().isEmpty());

    EXPECT_EQ(display.finishPeakBuild(*job), WaveDisplayCode::Ok);
    EXPECT_EQ(display.peakState(), PeakState::Built);
    EXPECT_EQ(progress.load(), 100);
    EXPECT_EQ(display.peakCache().entriesPerChannel(), uint32_t(kFrames / 32));

    WaveDisplayFile reference;
    std::atomic<int32_t> referenceProgress{0};
    ASSERT_EQ(reference.OpenWaveFile(wav), WaveDisplayCode::Ok);
    ASSERT_EQ(reference.BuildPeaks(referenceProgress), WaveDisplayCode::Ok);
    EXPECT_EQ(display.peakCache().channels, reference.peakCache().channels);
}

// The scan's threads fit the cores the process may run on: a build given fewer cores than the
// machine has starts no helper threads to take turns on them.
TEST(PeakBuildThread, ScansWithNoMoreThreadsThanTheCoresGiven)
{
    const QString wav = wavefixtures::soxWave(testsupport::testFolder() + "/t.wav", 16, 2, kFrames, 44100);
    cpu_set_t given;
    ASSERT_EQ(sched_getaffinity(0, sizeof given, &given), 0);
    std::vector<int> cpus;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &given))
            cpus.push_back(cpu);
    }
    // 17 pieces are enough for four threads; fewer cores allow fewer.
    for (const size_t cores : {size_t(1), size_t(2)}) {
        if (cores > cpus.size())
            continue;
        SCOPED_TRACE(testing::Message() << cores << " core(s)");
        cpu_set_t narrow;
        CPU_ZERO(&narrow);
        for (size_t i = 0; i < cores; ++i)
            CPU_SET(cpus[i], &narrow);
        ASSERT_EQ(sched_setaffinity(0, sizeof narrow, &narrow), 0);

        WaveDisplayFile display;
        ASSERT_EQ(display.OpenWaveFile(wav), WaveDisplayCode::Ok);
        std::atomic<int32_t> progress{0};
        std::mutex lock;
        std::set<std::thread::id> threads;
        const std::unique_ptr<PeakBuildJob> job = display.beginPeakBuild(progress);
        job->afterPieceRead = [&](int64_t) {
            const std::lock_guard<std::mutex> hold(lock);
            threads.insert(std::this_thread::get_id());
        };
        job->run();
        const int result = display.finishPeakBuild(*job);
        ASSERT_EQ(sched_setaffinity(0, sizeof given, &given), 0);

        EXPECT_EQ(result, WaveDisplayCode::Ok);
        EXPECT_EQ(threads.size(), cores);
    }
}
