// CopyFileWithProgress on a worker thread while the GUI thread watches its percent and cancels it:
// the two share only the two atomic words, and a cancel at any moment leaves either the old target
// or the complete copy, never a part of it.
#include "common/Util.h"

#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QDir>

#include <thread>

TEST(CopyFileThread, CancelFromAnotherThreadLeavesNoPartialTarget)
{
    const QString folder = testsupport::testFolder();
    const QString source = folder + "/source.wav";
    const QString target = folder + "/target.wav";
    const QByteArray content = wavefixtures::sampleBytes(200 * kCopyBlockSize);
    const QByteArray old("the saved take");
    testsupport::writeFile(source, content);

    // Cancel at once, after ever more progress, and never (-1).
    for (const int cancelAt : {0, 1, 30, 90, -1}) {
        testsupport::writeFile(target, old);
        std::atomic<int32_t> percent{0};
        std::atomic<int32_t> go{1};
        std::atomic<int> result{-1};
        std::thread worker([&] { result = CopyFileWithProgress(source, target, percent, go); });
        if (cancelAt >= 0) {
            while (percent.load() < cancelAt && result.load() == -1)
                std::this_thread::yield();
            go = 0;
        }
        worker.join();

        const QByteArray now = testsupport::readFile(target);
        if (result == 0) {
            EXPECT_EQ(now, content) << cancelAt;
            EXPECT_EQ(percent.load(), 100) << cancelAt;
        } else {
            EXPECT_EQ(result, 129) << cancelAt;
            EXPECT_EQ(now, old) << cancelAt;
        }
        if (cancelAt < 0) {
            EXPECT_EQ(result, 0);
        }
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2) << cancelAt;
    }
}
