// The WexoRavadur program itself, started offscreen without a sound server, in this test's own
// runtime folder: later starts find the first one's welcome window, hand it their file or end at
// once, and a start after the first one was killed becomes the first.
#include "recorder/RecorderStart.h"

#include "platform/messaging/ArgumentBlock.h"
#include "platform/messaging/FakeMessaging.h"
#include "platform/messaging/LocalMessaging.h"
#include "platform/messaging/ProgramWindows.h"

#include "tests/platform/messaging/MessagingTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using messagingtest::waitUntil;
using testsupport::ChildProcess;

namespace {

const QString kRecorder = QStringLiteral(VA_WEXO_RAVADUR);

class RecorderProgramTest : public testing::Test {
protected:
    void SetUp() override { qputenv("PULSE_SERVER", "unix:/nonexistent/sound-server"); }

    // The running recorder's welcome window as another process sees it.
    std::optional<platform::WindowInfo> welcome()
    {
        const std::optional<platform::FoundWindow> found = messaging.findWindow(
            platform::kRecorderWelcomeWindowClass, QStringLiteral("Wexo Ravadur"), platform::CaptionMatch::Contains);
        return found ? std::optional(found->info) : std::nullopt;
    }

    bool welcomeIsFree()
    {
        const std::optional<platform::WindowInfo> info = welcome();
        return info && info->visible && info->enabled &&
               info->caption == QString::fromLatin1(recorder::kWelcomeCaption);
    }

    QString existingFile(const QString& name)
    {
        const QString path = folder + "/" + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }

    QString folder = testsupport::testFolder();
    platform::LocalMessaging messaging;
};

TEST_F(RecorderProgramTest, LaterStartsEndAtOnceOrHandTheirFileToTheRunningRecorder)
{
    ChildProcess running;
    ASSERT_TRUE(running.start(kRecorder, {}));
    ASSERT_TRUE(waitUntil([&] { return welcomeIsFree(); }, 30000)) << running.err().toStdString();
    EXPECT_TRUE(running.err().contains("no sound server answers")) << running.err().toStdString();

    ChildProcess empty;
    ASSERT_TRUE(empty.start(kRecorder, {}));
    EXPECT_EQ(empty.wait(), 0) << empty.err().toStdString();
    EXPECT_TRUE(welcomeIsFree());

    // The running recorder asks the podcast type of the file it was handed: its welcome window is
    // then under a modal window.
    ChildProcess handing;
    ASSERT_TRUE(handing.start(kRecorder, {existingFile("take.mp3")}));
    EXPECT_EQ(handing.wait(), 0) << handing.err().toStdString();
    EXPECT_TRUE(waitUntil([&] { return welcome() && !welcome()->enabled; }, 10000)) << running.err().toStdString();

    // Killed, it leaves nothing that keeps the next start from being the first.
    running.kill();
    EXPECT_EQ(running.wait(), -1);
    ChildProcess next;
    ASSERT_TRUE(next.start(kRecorder, {}));
    EXPECT_TRUE(waitUntil([&] { return welcomeIsFree(); }, 30000)) << next.err().toStdString();
    next.terminate();
    next.wait();
}

// This test process stands for the running recorder: it holds the claim, and its welcome window
// notes the blocks it takes while the test's event loop runs.
TEST_F(RecorderProgramTest, ALaterStartHandsOverItsFileAbsoluteAndWithoutNoSplash)
{
    const std::unique_ptr<platform::InstanceClaim> claim =
        messaging.claimInstance(QString(platform::kRecorderInstanceName));
    ASSERT_EQ(claim->state(), platform::InstanceState::First);
    platform::FakeWindow window(QString::fromLatin1(recorder::kWelcomeCaption));
    const auto registration = messaging.registerWindow(platform::kRecorderWelcomeWindowClass, window);
    ASSERT_TRUE(registration);

    const QString take = existingFile("take 1.mp3");
    const QString relative = QDir::current().relativeFilePath(take);
    ASSERT_FALSE(QDir::isAbsolutePath(relative));
    ChildProcess handing;
    ASSERT_TRUE(handing.start(kRecorder, {"/NoSplash", relative}));
    ASSERT_TRUE(waitUntil([&] { return !window.copies().empty(); }, 30000)) << handing.err().toStdString();
    EXPECT_EQ(handing.wait(), 0) << handing.err().toStdString();
    ASSERT_EQ(window.copies().size(), 1u);
    const platform::ArgumentBlock block = platform::ArgumentBlock::parse(window.copies()[0].data);
    EXPECT_EQ(window.copies()[0].dwData, 1u);
    EXPECT_EQ(block.count(), 1u);
    EXPECT_EQ(block.slot(0), take);

    ChildProcess empty;
    ASSERT_TRUE(empty.start(kRecorder, {}));
    EXPECT_EQ(empty.wait(), 0) << empty.err().toStdString();
    EXPECT_EQ(window.copies().size(), 1u);
}

} // namespace
