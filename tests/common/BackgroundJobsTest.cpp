// Background jobs: a worker per job, the "job ended" message posted by id, cancels before the copy
// began, while it runs and after it has ended, a worker that does not stop in time, and the worker
// always joined before its record is handed over or freed.
#include "common/BackgroundJobs.h"
#include "common/CopyJob.h"
#include "tests/common/JobTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <vector>

using jobtest::Gate;
using namespace std::chrono_literals;

namespace {

// The main window's side: records the messages posted to it.
class Receiver : public QObject {
public:
    std::vector<std::pair<uint32_t, intptr_t>> messages;

    bool event(QEvent* event) override
    {
        if (event->type() != platform::PostedMessage::eventType())
            return QObject::event(event);
        const auto* message = static_cast<platform::PostedMessage*>(event);
        messages.emplace_back(message->message(), message->wParam());
        return true;
    }
};

// Serves events for a while, so anything posted is delivered.
void serveEvents(std::chrono::milliseconds time)
{
    const auto end = std::chrono::steady_clock::now() + time;
    waitWithEvents([end] { return std::chrono::steady_clock::now() >= end; });
}

class BackgroundJobsTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::testFolder();
        source = folder + "/source.wav";
        target = folder + "/work.tmp";
        testsupport::writeFile(source, wavefixtures::sampleBytes(20 * 65520));
    }

    int startCopy(const CopyFunction& copy = CopyFileWithProgress, const QString& from = {})
    {
        auto job = std::make_unique<TJobRecord>(JobKind::WorkspaceCopy,
                                                std::make_unique<CopyParameters>(from.isEmpty() ? source : from, target));
        id = job->id;
        return jobs.start(std::move(job), [copy](TJobRecord& j) { runCopyJob(j, copy); });
    }

    // Waits, serving events, until the job's end has been posted.
    bool endPosted()
    {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        waitWithEvents([&] { return !receiver.messages.empty() || std::chrono::steady_clock::now() >= deadline; });
        return !receiver.messages.empty();
    }

    QString folder;
    QString source;
    QString target;
    Receiver receiver;
    BackgroundJobs jobs{&receiver};
    uint64_t id = 0;
};

// A copy that waits inside until released, whatever the cancel word says meanwhile.
CopyFunction heldCopy(Gate& inside, Gate& release)
{
    return [&inside, &release](const QString& s, const QString& t, std::atomic<int32_t>& percent,
                               const std::atomic<int32_t>& cancelWord) {
        inside.open();
        release.wait();
        return CopyFileWithProgress(s, t, percent, cancelWord);
    };
}

} // namespace

TEST_F(BackgroundJobsTest, AFinishedCopyPostsItsEndByIdAndIsHandedOver)
{
    ASSERT_EQ(startCopy(), 0);
    ASSERT_TRUE(endPosted());
    ASSERT_EQ(receiver.messages.size(), 1u);
    EXPECT_EQ(receiver.messages[0].first, kJobEndedMessage);
    EXPECT_EQ(receiver.messages[0].second, intptr_t(id));

    const std::unique_ptr<TJobRecord> job = jobs.take(id);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->currentState(), JobState::Done);
    EXPECT_EQ(job->result(), 0);
    EXPECT_EQ(testsupport::readFile(target), testsupport::readFile(source));
    EXPECT_TRUE(jobs.jobs().empty());
    EXPECT_EQ(jobs.find(id), nullptr) << "a message about a job already removed finds nothing";
}

TEST_F(BackgroundJobsTest, AFailedCopyPostsItsEndToo)
{
    ASSERT_EQ(startCopy(CopyFileWithProgress, folder + "/missing.wav"), 0);
    ASSERT_TRUE(endPosted());
    const std::unique_ptr<TJobRecord> job = jobs.take(id);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->currentState(), JobState::Failed);
    EXPECT_EQ(job->result(), 148);
}

TEST_F(BackgroundJobsTest, CancelWhileTheCopyRunsPostsNothing)
{
    Gate inside, release;
    ASSERT_EQ(startCopy(heldCopy(inside, release)), 0);
    ASSERT_TRUE(jobtest::eventually([&] { return inside.isOpen(); }));
    EXPECT_EQ(jobs.take(id), nullptr) << "a running job stays in the list";
    QTimer::singleShot(0, [&release] { release.open(); });
    EXPECT_TRUE(jobs.cancelAndWait(id, 5000ms));
    serveEvents(50ms);
    EXPECT_TRUE(receiver.messages.empty());
    const std::unique_ptr<TJobRecord> job = jobs.take(id);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->currentState(), JobState::Cancelled);
    EXPECT_EQ(job->result(), 129);
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(BackgroundJobsTest, CancelBeforeTheCopyBeganPostsNothing)
{
    Gate start;
    jobs.setThreadStarter(jobtest::heldStarter(start));
    bool copied = false;
    ASSERT_EQ(startCopy([&copied](auto&&...) {
        copied = true;
        return 0;
    }), 0);
    QTimer::singleShot(0, [&start] { start.open(); });
    EXPECT_TRUE(jobs.cancelAndWait(id, 5000ms));
    serveEvents(50ms);
    EXPECT_TRUE(receiver.messages.empty());
    const std::unique_ptr<TJobRecord> job = jobs.take(id);
    ASSERT_TRUE(job);
    EXPECT_FALSE(copied);
    EXPECT_EQ(job->currentState(), JobState::Cancelled);
    EXPECT_EQ(job->result(), 129);
}

TEST_F(BackgroundJobsTest, CancelAfterTheEndKeepsTheOutcome)
{
    ASSERT_EQ(startCopy(), 0);
    ASSERT_TRUE(jobtest::eventually([&] { return !jobs.find(id)->isActive(); }));
    EXPECT_TRUE(jobs.cancelAndWait(id, 5000ms));
    EXPECT_EQ(jobs.find(id)->currentState(), JobState::Done);
    ASSERT_TRUE(endPosted());
    serveEvents(50ms);
    EXPECT_EQ(receiver.messages.size(), 1u);
    EXPECT_EQ(jobs.take(id)->result(), 0);
}

TEST_F(BackgroundJobsTest, AWorkerThatDoesNotStopInTimeKeepsItsJob)
{
    Gate inside, release;
    ASSERT_EQ(startCopy(heldCopy(inside, release)), 0);
    ASSERT_TRUE(jobtest::eventually([&] { return inside.isOpen(); }));
    EXPECT_FALSE(jobs.cancelAndWait(id, 30ms));
    ASSERT_NE(jobs.find(id), nullptr);
    EXPECT_EQ(jobs.take(id), nullptr);

    release.open();
    std::unique_ptr<TJobRecord> job;
    waitWithEvents([&] { return bool(job = jobs.take(id)); });
    EXPECT_EQ(job->currentState(), JobState::Cancelled) << "the copy saw the cancel once it went on";
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(BackgroundJobsTest, NoThreadGives181AndKeepsNothing)
{
    jobs.setThreadStarter(jobtest::failingStarter());
    EXPECT_EQ(startCopy(), 181);
    EXPECT_TRUE(jobs.jobs().empty());
    EXPECT_FALSE(jobs.cancelAndWait(id, 10ms));
    EXPECT_EQ(jobs.take(id), nullptr);
}

TEST_F(BackgroundJobsTest, SeveralJobsRunSideBySide)
{
    std::vector<uint64_t> ids;
    for (int i = 0; i < 3; ++i) {
        target = folder + QStringLiteral("/work%1.tmp").arg(i);
        ASSERT_EQ(startCopy(), 0);
        ids.push_back(id);
    }
    EXPECT_EQ(jobs.jobs().size(), 3u);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    waitWithEvents([&] { return receiver.messages.size() == 3 || std::chrono::steady_clock::now() >= deadline; });
    ASSERT_EQ(receiver.messages.size(), 3u);
    for (const auto& [message, wParam] : receiver.messages) {
        const std::unique_ptr<TJobRecord> job = jobs.take(uint64_t(wParam));
        ASSERT_TRUE(job);
        EXPECT_EQ(job->result(), 0);
    }
    EXPECT_TRUE(jobs.jobs().empty());
}

TEST(BackgroundJobsLifetime, DestroyingTheListCancelsAndJoinsItsWorkers)
{
    const QString folder = testsupport::testFolder();
    testsupport::writeFile(folder + "/source.wav", wavefixtures::sampleBytes(65520));
    std::atomic<bool> sawCancel{false};
    Gate inside;
    {
        Receiver receiver;
        BackgroundJobs jobs(&receiver);
        auto job = std::make_unique<TJobRecord>(JobKind::WorkspaceCopy,
                                                std::make_unique<CopyParameters>(folder + "/source.wav", folder + "/t"));
        ASSERT_EQ(jobs.start(std::move(job),
                             [&](TJobRecord& j) {
                                 inside.open();
                                 while (j.currentState() == JobState::Running)
                                     std::this_thread::yield();
                                 sawCancel = true;
                                 j.finish(JobState::Cancelled);
                             }),
                  0);
        ASSERT_TRUE(jobtest::eventually([&] { return inside.isOpen(); }));
    }
    EXPECT_TRUE(sawCancel.load());
}
