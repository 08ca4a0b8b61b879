// The ZuqEditor program itself, started twice offscreen: the first start opens its own command
// line when its window shows, a second start hands its file to it and ends with 0, and a second
// start without files ends at once.
#include "platform/messaging/LocalMessaging.h"
#include "platform/messaging/ProgramWindows.h"

#include "tests/platform/messaging/MessagingTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using messagingtest::waitUntil;
using testsupport::ChildProcess;

namespace {

const QString kEditor = QStringLiteral(VA_ZUQ_EDITOR);
const QString kCaption = QStringLiteral("Vexal Audio Zuq Editor");

class EditorProgramTest : public testing::Test {
protected:
    // The running editor's caption as another process reads it; empty while no editor answers.
    QString runningCaption()
    {
        const std::optional<platform::FoundWindow> found =
            messaging.findWindow(platform::kEditorMainWindowClass, kCaption, platform::CaptionMatch::BeginsWith);
        if (!found)
            return {};
        const std::optional<platform::WindowInfo> info = messaging.queryWindow(found->handle);
        return info ? info->caption : QString();
    }

    QString tone(const QString& name)
    {
        const QString path = folder + "/" + name;
        EXPECT_EQ(testsupport::runSox({"-n", "-r", "8000", "-c", "1", "-b", "16", path, "synth", "0.5", "sine", "440"})
                      .exitCode,
                  0);
        return path;
    }

    QString folder = testsupport::testFolder();
    platform::LocalMessaging messaging;
};

TEST_F(EditorProgramTest, ASecondStartHandsItsFileToTheRunningEditorAndEnds)
{
    const QString first = tone("first.wav");
    const QString second = tone("second.wav");
    ChildProcess running;
    ASSERT_TRUE(running.start(kEditor, {first}));
    EXPECT_TRUE(waitUntil([&] { return runningCaption() == kCaption + ": first.wav"; }, 30000))
        << runningCaption().toStdString() << running.err().toStdString();

    ChildProcess handingOver;
    ASSERT_TRUE(handingOver.start(kEditor, {second, "/NoSplash"}));
    EXPECT_EQ(handingOver.wait(), 0) << handingOver.err().toStdString();
    EXPECT_TRUE(waitUntil([&] { return runningCaption() == kCaption + ": second.wav"; }, 30000))
        << runningCaption().toStdString() << running.err().toStdString();

    ChildProcess empty;
    ASSERT_TRUE(empty.start(kEditor, {}));
    EXPECT_EQ(empty.wait(), 0) << empty.err().toStdString();
    EXPECT_EQ(runningCaption(), kCaption + ": second.wav");

    running.terminate();
    running.wait();
}

} // namespace
