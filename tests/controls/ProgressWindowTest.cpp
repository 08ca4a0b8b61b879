// The progress window on the offscreen platform: its timer polls, the bar follows, Cancel and close
// requests in both programs, its geometry, colour and place; and jobs on real workers run under it.
#include "common/CopyJob.h"
#include "common/JobRunner.h"
#include "controls/PeakJob.h"
#include "controls/ProgressBar.h"
#include "controls/Waveform.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

using namespace controls;

namespace {

// A job seen through the poll: the tick number (from 1) gives the reply; every call is recorded
// with what the window showed at that moment.
struct Poll {
    struct Call {
        bool cancel;
        int barValue;
        bool visible;
        bool cancelEnabled;
    };
    TProgressBarForm* form = nullptr;
    std::function<std::pair<int, int32_t>(int tick)> reply;
    // Runs at a tick, after the reply was decided; what it schedules happens after the tick.
    std::function<void(int tick)> atTick;
    // Runs on the cancel request.
    std::function<void()> onCancel;
    std::vector<Call> calls;
    int ticks = 0;

    TProgressBarForm::PollCallback callback()
    {
        return [this](QObject*, bool cancel, int32_t& running) {
            calls.push_back({cancel, form->ProgressBar->value(), form->isVisible(), form->CancelButton->isEnabled()});
            if (cancel) {
                if (onCancel)
                    onCancel();
                return 0;
            }
            ++ticks;
            const auto [percent, run] = reply(ticks);
            running = run;
            if (atTick)
                atTick(ticks);
            return percent;
        };
    }
    int cancelCalls() const
    {
        return int(std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.cancel; }));
    }
};

// Runs for `ticks` ticks, then ends.
std::function<std::pair<int, int32_t>(int)> endsAfter(int ticks)
{
    return [ticks](int tick) { return std::pair<int, int32_t>{tick * 10, tick < ticks ? 1 : 2}; };
}

class ProgressWindowTest : public testing::TestWithParam<ControlVariant> {
protected:
    int run(bool cancelShown)
    {
        poll.form = &form;
        form.Start("Opening file...", cancelShown, poll.callback(), nullptr);
        return form.exec();
    }

    TProgressBarForm form{GetParam()};
    Poll poll;
};

} // namespace

INSTANTIATE_TEST_SUITE_P(BothPrograms, ProgressWindowTest,
                         testing::Values(ControlVariant::Recorder, ControlVariant::Editor),
                         [](const auto& info) { return info.param == ControlVariant::Recorder ? "Recorder" : "Editor"; });

TEST_P(ProgressWindowTest, AJobOverAtTheFirstTickClosesItAfterOneTick)
{
    poll.reply = [](int) { return std::pair<int, int32_t>{0, 0}; };
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(run(true), QDialog::Accepted);
    EXPECT_GE(clock.elapsed(), 90);
    EXPECT_LT(clock.elapsed(), 1000);
    ASSERT_EQ(poll.calls.size(), 1u);
    EXPECT_FALSE(poll.calls[0].cancel);
    EXPECT_TRUE(poll.calls[0].visible);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.ProgressStatusTimer->isActive());
    EXPECT_EQ(form.windowTitle(), "Opening file...");
}

TEST_P(ProgressWindowTest, TheBarFollowsThePercentClamped)
{
    const std::pair<int, int32_t> replies[] = {{10, 1}, {130, 1}, {-5, 1}, {64, 1}, {99, 0}};
    poll.reply = [&replies](int tick) { return replies[tick - 1]; };
    run(true);
    ASSERT_EQ(poll.calls.size(), 5u);
    // Each call sees what the tick before it showed.
    const int shown[] = {0, 10, 100, 0, 64};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(poll.calls[i].barValue, shown[i]) << "tick " << i + 1;
}

TEST_P(ProgressWindowTest, CancelAsksTheJobOnceAndCloses)
{
    poll.reply = [](int) { return std::pair<int, int32_t>{30, 1}; };
    poll.atTick = [this](int tick) {
        if (tick == 2)
            QTimer::singleShot(0, [this] { QTest::mouseClick(form.CancelButton, Qt::LeftButton); });
    };
    EXPECT_EQ(run(true), QDialog::Rejected);
    EXPECT_EQ(poll.cancelCalls(), 1);
    EXPECT_TRUE(poll.calls.back().cancel);
    EXPECT_EQ(poll.ticks, 2);
    EXPECT_FALSE(form.ProgressStatusTimer->isActive());
}

TEST_P(ProgressWindowTest, WithoutCancelItCannotBeClosedWhileTheJobRuns)
{
    poll.reply = endsAfter(4);
    poll.atTick = [this](int tick) {
        if (tick == 1) {
            QTimer::singleShot(0, [this] {
                form.close();
                QTest::keyClick(&form, Qt::Key_Escape);
            });
        }
    };
    EXPECT_EQ(run(false), QDialog::Accepted);
    EXPECT_EQ(poll.cancelCalls(), 0);
    EXPECT_EQ(poll.ticks, 4) << "the window stayed until the job ended";
    EXPECT_TRUE(poll.calls[2].visible);
}

TEST_P(ProgressWindowTest, ClosingARunningJobWithCancelCancelsIt)
{
    for (const bool byEscape : {false, true}) {
        SCOPED_TRACE(byEscape ? "Esc" : "close");
        poll = {};
        poll.reply = endsAfter(100);
        poll.atTick = [this, byEscape](int tick) {
            if (tick == 2) {
                QTimer::singleShot(0, [this, byEscape] {
                    if (byEscape)
                        QTest::keyClick(&form, Qt::Key_Escape);
                    else
                        form.close();
                });
            }
        };
        EXPECT_EQ(run(true), QDialog::Rejected);
        EXPECT_EQ(poll.cancelCalls(), 1);
        EXPECT_EQ(poll.ticks, 2);
        EXPECT_FALSE(form.isVisible());
    }
}

TEST_P(ProgressWindowTest, TheKeepOpenFlagRefusesCloseInTheEditorOnly)
{
    form.setKeepOpen(true);
    poll.reply = endsAfter(4);
    poll.atTick = [this](int tick) {
        if (tick == 1)
            QTimer::singleShot(0, [this] { form.close(); });
    };
    run(true);
    if (GetParam() == ControlVariant::Editor) {
        EXPECT_EQ(poll.cancelCalls(), 0);
        EXPECT_EQ(poll.ticks, 4);
    } else {
        EXPECT_EQ(poll.cancelCalls(), 1) << "the recorder's window has no keep-open flag";
        EXPECT_EQ(poll.ticks, 1);
    }
    EXPECT_FALSE(form.keepOpen()) << "the end of the job clears the flag";
}

TEST_P(ProgressWindowTest, CancelWithTheKeepOpenFlag)
{
    // Cancel asks the job to stop either way. While the editor's keep-open flag is set the window
    // then stays, its Cancel disabled, until the job has ended; a poll that clears the flag on the
    // cancel (as a peak build's does) lets it close at once. The recorder's window has no flag.
    const bool editor = GetParam() == ControlVariant::Editor;
    const struct {
        bool byKey;
        bool pollClearsTheFlag;
        bool staysOpen;
    } cases[] = {
        {false, false, editor},
        {true, false, editor},
        {false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.byKey ? "Space" : "click") << ", poll clears the flag "
                                        << c.pollClearsTheFlag);
        poll = {};
        poll.reply = endsAfter(6);
        poll.atTick = [this, &c](int tick) {
            if (tick == 2) {
                QTimer::singleShot(0, [this, &c] {
                    if (c.byKey)
                        QTest::keyClick(form.CancelButton, Qt::Key_Space);
                    else
                        QTest::mouseClick(form.CancelButton, Qt::LeftButton);
                });
            }
        };
        if (c.pollClearsTheFlag)
            poll.onCancel = [this] { form.setKeepOpen(false); };
        form.setKeepOpen(true);

        const int closedBy = run(true);
        EXPECT_EQ(poll.cancelCalls(), 1);
        EXPECT_TRUE(poll.calls.front().cancelEnabled);
        EXPECT_FALSE(form.isVisible());
        EXPECT_FALSE(form.keepOpen());
        EXPECT_FALSE(form.ProgressStatusTimer->isActive());
        if (c.staysOpen) {
            EXPECT_EQ(closedBy, QDialog::Accepted) << "closed by the end of the job";
            EXPECT_EQ(poll.ticks, 6);
            EXPECT_TRUE(poll.calls.back().visible);
            EXPECT_FALSE(poll.calls.back().cancelEnabled);
        } else {
            EXPECT_EQ(closedBy, QDialog::Rejected);
            EXPECT_EQ(poll.ticks, 2);
            EXPECT_TRUE(poll.calls.back().cancel);
        }
    }
}

TEST_P(ProgressWindowTest, HidingCancelWidensTheBarOnce)
{
    for (const bool cancelShown : {false, false, true, true, false}) {
        form.Start("x", cancelShown, [](QObject*, bool, int32_t& running) {
            running = 0;
            return 0;
        }, nullptr);
        form.ProgressStatusTimer->stop();
        EXPECT_EQ(form.CancelButton->isHidden(), !cancelShown);
        EXPECT_EQ(form.ProgressBar->geometry(), progressBarRect(cancelShown));
        EXPECT_EQ(form.ProgressBar->value(), 0);
    }
    EXPECT_EQ(form.size(), kProgressClientSize);
    EXPECT_EQ(form.CancelButton->geometry(), progressCancelRect());
    EXPECT_EQ(form.CancelButton->text(), "Cancel");
    EXPECT_EQ(form.ProgressStatusTimer->interval(), 100);
}

TEST_P(ProgressWindowTest, CentredOnTheMainWindowWithAGreenBar)
{
    QWidget main;
    main.setGeometry(150, 120, 900, 640);
    main.show();
    form.setMainWindow(&main);
    QPoint placed;
    QImage bar;
    poll.reply = [](int tick) { return std::pair<int, int32_t>{50, tick < 3 ? 1 : 0}; };
    poll.atTick = [&](int tick) {
        if (tick == 2) {
            placed = form.frameGeometry().topLeft();
            bar = form.ProgressBar->grab().toImage();
        }
    };
    run(true);
    EXPECT_EQ(placed, centredTopLeft(main.frameGeometry(), form.frameGeometry().size()));
    ASSERT_FALSE(bar.isNull());
    const int y = bar.height() / 2;
    EXPECT_EQ(bar.pixelColor(bar.width() / 4, y), QColor(0, 0x80, 0)) << "the filled half is green";
    EXPECT_NE(bar.pixelColor(bar.width() * 3 / 4, y), QColor(0, 0x80, 0)) << "the rest is not";
}

// Real workers under the real window.
namespace {

class ProgressWindowJobTest : public testing::Test {
protected:
    TProgressBarForm form{ControlVariant::Editor};
    JobRunner runner{form};
};

} // namespace

TEST_F(ProgressWindowJobTest, ACopyOnAWorker)
{
    const QString folder = testsupport::testFolder();
    testsupport::writeFile(folder + "/a.wav", wavefixtures::sampleBytes(30 * 65520));
    EXPECT_EQ(CopyFileOnWorker(runner, folder + "/a.wav", folder + "/b.wav", "Saving Voice Track..."), 0);
    EXPECT_EQ(testsupport::readFile(folder + "/b.wav"), testsupport::readFile(folder + "/a.wav"));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "Saving Voice Track...");
    EXPECT_TRUE(form.CancelButton->isHidden());
}

// The window closes when the worker returns, not at the next tick of its timer.
TEST_F(ProgressWindowJobTest, AJobThatEndsAtOnceClosesTheWindowBeforeTheFirstTick)
{
    TJobRecord job(JobKind::CancelOnly);
    QElapsedTimer elapsed;
    elapsed.start();
    ASSERT_EQ(runner.runOnWorker(job, "Opening file...", false, [](TJobRecord& running) { running.finish(JobState::Done); }),
              0);
    EXPECT_LT(elapsed.elapsed(), kProgressTickMs * 9 / 10);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(ProgressWindowJobTest, APeakBuildInstalledInTheWaveformAndOneCancelledByTheButton)
{
    const QString wav = wavefixtures::soxWave(testsupport::testFolder() + "/t.wav", 16, 2, 600000, 44100);
    TQzv32WaveDisplay display;
    ASSERT_EQ(display.OpenWaveFile(wav), WaveDisplayCode::Ok);
    const PeakBuildOutcome built = runPeakBuildJob(runner, display, "Building Peaks...", true);
    EXPECT_EQ(built.result(), 0);
    EXPECT_EQ(display.peakState(), PeakState::Built);
    EXPECT_EQ(display.peakCache().entriesPerChannel(), 600000u / 32);

    // The second build is held at its first piece until the button's cancel reached the display.
    struct Held {
        TQzv32WaveDisplay& display;
        std::atomic<bool> atFirstPiece{false};
        std::unique_ptr<PeakBuildJob> beginPeakBuild(std::atomic<int32_t>& progress)
        {
            std::unique_ptr<PeakBuildJob> job = display.beginPeakBuild(progress);
            job->afterPieceRead = [this](int64_t piece) {
                if (piece != 0)
                    return;
                atFirstPiece = true;
                while (display.peakState() != PeakState::CancelRequested)
                    std::this_thread::yield();
            };
            return job;
        }
        int finishPeakBuild(PeakBuildJob& job) { return display.finishPeakBuild(job); }
        void CancelPeakBuilding() { display.CancelPeakBuilding(); }
    } held{display};
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (held.atFirstPiece && form.isVisible()) {
            clicker.stop();
            QTest::mouseClick(form.CancelButton, Qt::LeftButton);
        }
    });
    clicker.start(5);
    const PeakBuildOutcome cancelled = runPeakBuildJob(runner, held, "Building Peaks...", true);
    EXPECT_EQ(cancelled.result(), WaveDisplayCode::Cancelled);
    EXPECT_EQ(display.peakState(), PeakState::CancelRequested);
    EXPECT_TRUE(display.peakCache().isEmpty());
    EXPECT_FALSE(form.isVisible());
}
