// The progress window's rules without a display: the poll protocol of its ticks, Cancel, what a
// close request does in each program, the bar's geometry and the centring.
#include "controls/ProgressBarLogic.h"

#include <gtest/gtest.h>

#include <QObject>

#include <vector>

using namespace controls;
using Decision = ProgressWindowLogic::CloseDecision;

namespace {

// A scripted job: each tick returns the next (percent, running) pair; records every call.
struct ScriptedPoll {
    struct Call {
        QObject* owner;
        bool cancel;
    };
    std::vector<std::pair<int, int32_t>> replies;
    std::vector<Call> calls;

    ProgressWindowLogic::PollCallback callback()
    {
        return [this](QObject* owner, bool cancel, int32_t& running) {
            calls.push_back({owner, cancel});
            const size_t i = std::min(calls.size() - 1, replies.size() - 1);
            running = replies[i].second;
            return replies[i].first;
        };
    }
};

} // namespace

TEST(ProgressBarLogic, BarFollowsThePercentClampedWhileRunning)
{
    ScriptedPoll poll;
    poll.replies = {{10, 1}, {130, 1}, {-5, 1}, {55, 1}, {70, 2}};
    ProgressWindowLogic logic(ControlVariant::Editor);
    QObject owner;
    logic.start(true, poll.callback(), &owner);
    EXPECT_TRUE(logic.timerActive());
    EXPECT_EQ(logic.barPosition(), 0);

    for (const int expected : {10, 100, 0, 55}) {
        EXPECT_TRUE(logic.tick());
        EXPECT_EQ(logic.barPosition(), expected);
    }
    EXPECT_FALSE(logic.tick()) << "running = 2: the job has ended";
    EXPECT_FALSE(logic.timerActive());
    EXPECT_EQ(logic.barPosition(), 55) << "the last tick does not move the bar";
    ASSERT_EQ(poll.calls.size(), 5u);
    for (const auto& call : poll.calls) {
        EXPECT_EQ(call.owner, &owner);
        EXPECT_FALSE(call.cancel);
    }
    EXPECT_FALSE(logic.tick()) << "no ticks once the timer is off";
    EXPECT_EQ(poll.calls.size(), 5u);
}

TEST(ProgressBarLogic, StartEmptiesTheBarAgain)
{
    ScriptedPoll poll;
    poll.replies = {{80, 1}};
    ProgressWindowLogic logic(ControlVariant::Recorder);
    logic.start(false, poll.callback(), nullptr);
    logic.tick();
    EXPECT_EQ(logic.barPosition(), 80);
    logic.start(true, poll.callback(), nullptr);
    EXPECT_EQ(logic.barPosition(), 0);
    EXPECT_TRUE(logic.cancelShown());
}

TEST(ProgressBarLogic, TheEndOfTheJobClearsTheKeepOpenFlag)
{
    ScriptedPoll poll;
    poll.replies = {{50, 1}, {0, 0}};
    ProgressWindowLogic logic(ControlVariant::Editor);
    logic.start(true, poll.callback(), nullptr);
    logic.setKeepOpen(true);
    EXPECT_TRUE(logic.tick());
    EXPECT_TRUE(logic.keepOpen());
    EXPECT_FALSE(logic.tick());
    EXPECT_FALSE(logic.keepOpen());
}

TEST(ProgressBarLogic, CancelStopsTheTimerAndAsksTheCallbackOnce)
{
    ScriptedPoll poll;
    poll.replies = {{20, 1}};
    ProgressWindowLogic logic(ControlVariant::Recorder);
    logic.start(true, poll.callback(), nullptr);
    logic.tick();
    EXPECT_TRUE(logic.cancel()) << "the window closes";
    EXPECT_FALSE(logic.timerActive());
    ASSERT_EQ(poll.calls.size(), 2u);
    EXPECT_TRUE(poll.calls[1].cancel);
    EXPECT_EQ(logic.closeRequested(), Decision::Close) << "after Cancel the window may close";
}

TEST(ProgressBarLogic, CancelWhileTheKeepOpenFlagIsSet)
{
    // The window closes on Cancel unless the flag is still set after the callback has had the
    // request; then it stays and its timer goes on until the job ends.
    struct Case {
        ControlVariant variant;
        bool callbackClearsTheFlag;
        bool closes;
    };
    const Case cases[] = {
        {ControlVariant::Editor, false, false},
        {ControlVariant::Editor, true, true},
        {ControlVariant::Recorder, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.variant == ControlVariant::Editor ? "editor" : "recorder")
                                        << ", callback clears the flag " << c.callbackClearsTheFlag);
        ProgressWindowLogic logic(c.variant);
        int cancelRequests = 0;
        logic.start(true, [&](QObject*, bool cancel, int32_t& running) {
            running = 1;
            if (cancel) {
                ++cancelRequests;
                if (c.callbackClearsTheFlag)
                    logic.setKeepOpen(false);
            }
            return 40;
        }, nullptr);
        logic.setKeepOpen(true);
        EXPECT_EQ(logic.cancel(), c.closes);
        EXPECT_EQ(cancelRequests, 1);
        EXPECT_EQ(logic.timerActive(), !c.closes);
        EXPECT_EQ(logic.closeRequested(), c.closes ? Decision::Close : Decision::Refuse);
    }
}

TEST(ProgressBarLogic, CloseRequestDecisions)
{
    struct Case {
        ControlVariant variant;
        bool running;
        bool cancelShown;
        bool keepOpen;
        Decision decision;
    };
    const ControlVariant R = ControlVariant::Recorder;
    const ControlVariant E = ControlVariant::Editor;
    const Case cases[] = {
        // Nothing runs: the window closes, unless the editor keeps it open.
        {R, false, true, false, Decision::Close},
        {E, false, true, false, Decision::Close},
        {E, false, true, true, Decision::Refuse},
        // A running job with Cancel: closing cancels it; the editor's keep-open flag refuses.
        {R, true, true, false, Decision::Cancel},
        {R, true, true, true, Decision::Cancel},
        {E, true, true, false, Decision::Cancel},
        {E, true, true, true, Decision::Refuse},
        // A running job without Cancel cannot be cancelled: the window stays.
        {R, true, false, false, Decision::Refuse},
        {E, true, false, false, Decision::Refuse},
        {E, true, false, true, Decision::Refuse},
    };
    for (const Case& c : cases) {
        ScriptedPoll poll;
        poll.replies = {{0, 1}};
        ProgressWindowLogic logic(c.variant);
        logic.start(c.cancelShown, poll.callback(), nullptr);
        logic.setKeepOpen(c.keepOpen);
        if (!c.running) {
            poll.replies = {{0, 0}};
            logic.tick();
            logic.setKeepOpen(c.keepOpen);
        }
        EXPECT_EQ(logic.closeRequested(), c.decision)
            << (c.variant == E ? "editor" : "recorder") << " running " << c.running << " cancel " << c.cancelShown
            << " keep-open " << c.keepOpen;
        EXPECT_TRUE(poll.calls.size() <= 1) << "a close request never polls";
    }
}

TEST(ProgressBarLogic, TheRecordersWindowHasNoKeepOpenFlag)
{
    ProgressWindowLogic logic(ControlVariant::Recorder);
    logic.setKeepOpen(true);
    EXPECT_FALSE(logic.keepOpen());
}

TEST(ProgressBarLogic, GeometryOfBarAndButton)
{
    EXPECT_EQ(progressBarRect(true), QRect(4, 5, 276, 20));
    EXPECT_EQ(progressBarRect(false), QRect(4, 5, 351, 20)) << "widened by the button's width";
    EXPECT_EQ(progressCancelRect(), QRect(286, 4, 75, 25));
    EXPECT_EQ(kProgressClientSize, QSize(362, 29));
}

TEST(ProgressBarLogic, CentredOnTheMainWindow)
{
    const struct {
        QRect main;
        QSize own;
        QPoint topLeft;
    } cases[] = {
        {QRect(0, 0, 800, 600), QSize(362, 29), QPoint(219, 286)},
        {QRect(100, 50, 1025, 767), QSize(363, 30), QPoint(431, 418)}, // odd sizes round down
        {QRect(-200, -100, 300, 20), QSize(362, 29), QPoint(-231, -104)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(centredTopLeft(c.main, c.own), c.topLeft) << c.main.x() << "," << c.main.y();
}
