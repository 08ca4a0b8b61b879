// The MP3 and WMA imports on their workers, without windows: the worker's end reported once, a
// cancel while the library works, a worker that cannot start, a job dropped while it runs, and
// what each leaves on disk; and the WMA import's space estimate.

#include "common/ImportJobs.h"

#include "platform/codecs/Plivorn.h"

#include "tests/platform/codecs/CodecFixtures.h"
#include "tests/support/TestSupport.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using codecfixtures::ffmpegTone;
using codecfixtures::folderEntries;
using codecfixtures::Gate;
namespace PlivornState = platform::codecs::PlivornState;

namespace {

bool noThread(std::thread&, std::function<void()>)
{
    return false;
}

void waitUntil(const std::atomic<int>& count, int value)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (count.load() < value && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

TEST(WmaSpaceNeeded, FollowsTheFileSizeAndBitRateInSixtyFourBits)
{
    const struct {
        int64_t size;
        uint32_t bitRate;
        uint64_t durationMs;
        WaveFormatEx format;
        int64_t needed;
    } cases[] = {
        {1'000'000, 128'000, 0, makePcmFormat(44100, 16, 2), 11'025'000},
        {1'000'000, 64'000, 0, makePcmFormat(22050, 8, 1), 2'756'250},
        // Past 32 bits in every step, and past 2^63 before the division.
        {4'000'000'000, 32'000, 0, makePcmFormat(48000, 16, 2), 192'000'000'000},
        {int64_t(1) << 40, 8'000, 0, makePcmFormat(384000, 16, 2), 1'688'849'860'263'936},
        // No bit rate: the playing time at the format's byte rate.
        {1'000'000, 0, 2'000, makePcmFormat(44100, 16, 2), 352'800},
        {1'000'000, 0, 0, makePcmFormat(44100, 16, 2), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wmaSpaceNeeded(c.size, c.bitRate, c.durationMs, c.format), c.needed) << c.size << " " << c.bitRate;
}

TEST(Mp3ImportJob, ConvertsAndReportsItsEndOnce)
{
    const QString folder = testsupport::testFolder();
    const QString mp3 = ffmpegTone(folder + "/tone.mp3", 1, 22050, 1, {"-c:a", "libmp3lame", "-b:a", "64k"});
    ASSERT_FALSE(mp3.isEmpty());
    std::atomic<int> ended{0};
    Mp3ImportJob job;
    ASSERT_TRUE(job.start(mp3, folder + "/out.wav", [&ended] { ++ended; }));
    waitUntil(ended, 1);
    EXPECT_TRUE(job.isOver());
    job.wait();
    EXPECT_EQ(job.result(), 0);
    EXPECT_EQ(ended.load(), 1);
    EXPECT_EQ(job.percent(), 100);
    EXPECT_EQ(testsupport::runSox({"--i", folder + "/out.wav"}).exitCode, 0);
}

// Cancelled while the library works, never started, or dropped while running: no WAV remains.
TEST(Mp3ImportJob, ACancelOrAFailedStartLeavesNoWave)
{
    const QString folder = testsupport::testFolder();
    const QString mp3 = ffmpegTone(folder + "/tone.mp3", 2, 44100, 2, {"-c:a", "libmp3lame", "-b:a", "128k"});
    ASSERT_FALSE(mp3.isEmpty());
    {
        Gate gate;
        Mp3ImportJob job(platform::codecs::DecodeEnvironment{{}, gate.hook()});
        testsupport::writeFile(folder + "/out.wav", {});
        ASSERT_TRUE(job.start(mp3, folder + "/out.wav", {}));
        ASSERT_TRUE(gate.waitReached());
        EXPECT_FALSE(job.isOver());
        job.cancel();
        gate.release();
        job.wait();
        EXPECT_EQ(job.result(), kMp3ImportAborted);
        EXPECT_EQ(folderEntries(folder), QStringList({"tone.mp3"}));
    }
    {
        Mp3ImportJob job({}, noThread);
        testsupport::writeFile(folder + "/out.wav", {});
        EXPECT_FALSE(job.start(mp3, folder + "/out.wav", {}));
        EXPECT_TRUE(job.isOver());
        EXPECT_EQ(job.result(), kImportNoThreadMessageId);
        EXPECT_EQ(folderEntries(folder), QStringList({"tone.mp3"}));
    }
    {
        Gate gate;
        auto job = std::make_unique<Mp3ImportJob>(platform::codecs::DecodeEnvironment{{}, gate.hook()});
        ASSERT_TRUE(job->start(mp3, folder + "/out.wav", {}));
        ASSERT_TRUE(gate.waitReached());
        gate.release();
        job.reset();
        EXPECT_EQ(folderEntries(folder), QStringList({"tone.mp3"}));
    }
}

TEST(WmaImportJob, ConvertsCancelsAndFailsToStartThroughItsStateWord)
{
    const QString folder = testsupport::testFolder();
    const QString wma = ffmpegTone(folder + "/tone.wma", 2, 44100, 2, {"-c:a", "wmav2", "-b:a", "128k"});
    ASSERT_FALSE(wma.isEmpty());
    {
        std::atomic<int> ended{0};
        WmaImportJob job;
        ASSERT_TRUE(job.start(wma, folder + "/out.wav", [&ended] { ++ended; }));
        waitUntil(ended, 1);
        job.wait();
        EXPECT_EQ(job.state(), PlivornState::Finished);
        EXPECT_EQ(job.percent(), 100);
        EXPECT_EQ(ended.load(), 1);
        EXPECT_EQ(testsupport::runSox({"--i", folder + "/out.wav"}).exitCode, 0);
        QFile::remove(folder + "/out.wav");
    }
    {
        Gate gate;
        WmaImportJob job(platform::codecs::DecodeEnvironment{{}, gate.hook()});
        ASSERT_TRUE(job.start(wma, folder + "/out.wav", {}));
        ASSERT_TRUE(gate.waitReached());
        EXPECT_EQ(job.state(), PlivornState::Running);
        job.cancel();
        gate.release();
        job.wait();
        EXPECT_EQ(job.state(), PlivornState::Cancelled);
        EXPECT_EQ(folderEntries(folder), QStringList({"tone.wma"}));
    }
    {
        WmaImportJob job({}, noThread);
        testsupport::writeFile(folder + "/out.wav", {});
        EXPECT_FALSE(job.start(wma, folder + "/out.wav", {}));
        EXPECT_EQ(job.state(), PlivornState::Failed);
        EXPECT_EQ(folderEntries(folder), QStringList({"tone.wma"}));
    }
}

} // namespace
