#include "platform/base/PolledProcess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using platform::PolledProcess;
using platform::ProcessTable;

namespace {

// A body that steps its progress from 0 to 100 while the test watches, and stops on cancel.
PolledProcess::Body steppingBody(std::atomic<int>& step, int result)
{
    return [&step, result](PolledProcess::Control& control) {
        for (int p = 0; p <= 100; p += 10) {
            while (step.load() < p && !control.cancelRequested())
                std::this_thread::yield();
            if (control.cancelRequested())
                return platform::kProcessCancelled;
            control.setProgress(p);
        }
        return result;
    };
}

void waitUntil(const std::function<bool()>& condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition() && std::chrono::steady_clock::now() < end)
        std::this_thread::yield();
    ASSERT_TRUE(condition());
}

} // namespace

TEST(PolledProcess, ReportsProgressThenItsExitReason)
{
    for (int result : {0, 358}) {
        std::atomic<int> step{0};
        PolledProcess process(steppingBody(step, result));
        waitUntil([&] { return process.progress() == 0; });
        EXPECT_FALSE(process.isOver());
        EXPECT_EQ(process.exitReason(), 0);
        step = 50;
        waitUntil([&] { return process.progress() == 50; });
        EXPECT_FALSE(process.isOver());
        step = 100;
        waitUntil([&] { return process.isOver(); });
        EXPECT_EQ(process.exitReason(), result);
        EXPECT_EQ(process.progress(), 100);
    }
}

TEST(PolledProcess, CancelEndsWith129AndProgressNeverFalls)
{
    std::atomic<int> step{30};
    PolledProcess process(steppingBody(step, 0));
    waitUntil([&] { return process.progress() == 30; });
    process.cancel();
    process.wait();
    EXPECT_TRUE(process.isOver());
    EXPECT_EQ(process.exitReason(), platform::kProcessCancelled);
    EXPECT_EQ(process.progress(), 30);

    PolledProcess clamp([](PolledProcess::Control& c) {
        c.setProgress(70);
        c.setProgress(40);
        c.setProgress(250);
        return 1;
    });
    clamp.wait();
    EXPECT_EQ(clamp.progress(), 100);
}

TEST(PolledProcess, TableHandlesAreNeverZeroAndRemovalJoins)
{
    ProcessTable table;
    std::atomic<bool> release{false};
    std::atomic<bool> finished{false};
    const uint32_t a = table.add(std::make_unique<PolledProcess>([&](PolledProcess::Control&) {
        while (!release.load())
            std::this_thread::yield();
        finished = true;
        return 0;
    }));
    const uint32_t b = table.add(std::make_unique<PolledProcess>([](PolledProcess::Control&) { return 7; }));
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);
    ASSERT_NE(table.find(b), nullptr);
    table.find(b)->wait();
    EXPECT_EQ(table.find(b)->exitReason(), 7);
    EXPECT_EQ(table.find(12345), nullptr);
    EXPECT_FALSE(table.remove(12345));

    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        release = true;
    });
    EXPECT_TRUE(table.remove(a));
    EXPECT_TRUE(finished.load()); // removal waited for the body
    EXPECT_EQ(table.find(a), nullptr);
    releaser.join();
    EXPECT_TRUE(table.remove(b));
}
