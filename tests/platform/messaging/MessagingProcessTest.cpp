// Messaging between two real processes: the peer program (MessagingPeer.cpp) registers a window or
// hands its command line over, and this test process talks to it, kills it, and takes over what a
// killed first instance leaves behind.
#include "platform/messaging/ArgumentBlock.h"
#include "platform/messaging/FakeMessaging.h"
#include "platform/messaging/LocalMessaging.h"
#include "platform/messaging/ProgramWindows.h"

#include "tests/platform/messaging/MessagingPeerCommands.h"
#include "tests/platform/messaging/MessagingTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>

using namespace platform;
using messagingtest::waitUntil;
using testsupport::ChildProcess;

namespace {

const QString kPeer = QStringLiteral(VA_MESSAGING_PEER);

// The peer's output line that starts with the prefix, once it is there (empty when it did not come).
QString waitForLine(const ChildProcess& child, const QString& prefix, int milliseconds = 20000)
{
    QString found;
    waitUntil(
        [&] {
            for (const QByteArray& line : child.out().split('\n')) {
                if (line.startsWith(prefix.toUtf8())) {
                    found = QString::fromUtf8(line);
                    return true;
                }
            }
            return false;
        },
        milliseconds);
    return found;
}

QStringList endpointFiles(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
}

class MessagingProcesses : public testing::Test {
protected:
    QString folder = messagingtest::shortFolder();
    LocalMessaging messaging{LocalMessagingOptions{folder, std::chrono::milliseconds(3000), {}}};

    bool startPeer(ChildProcess& child, const QStringList& arguments)
    {
        if (!child.start(kPeer, QStringList{QStringLiteral("--folder"), folder} + arguments))
            return false;
        return !waitForLine(child, QStringLiteral("ready")).isEmpty();
    }
};

TEST_F(MessagingProcesses, AnotherProcessesWindowIsFoundAndAnswers)
{
    ChildProcess peer;
    ASSERT_TRUE(startPeer(peer, {"--class", kRecorderWelcomeWindowClass, "--caption", "Welcome to Wexo Ravadur"}))
        << peer.err().toStdString();

    const std::optional<FoundWindow> found =
        messaging.findWindow(QStringLiteral("COM.DROVANE.DIVUZUV"), QStringLiteral("Wexo Ravadur"), CaptionMatch::Contains);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->info.caption, QStringLiteral("Welcome to Wexo Ravadur"));
    EXPECT_TRUE(found->info.visible);
    EXPECT_TRUE(found->info.enabled);

    const BuiltArgumentBlock block = buildArgumentBlock({QStringLiteral("/home/u/episode.mp3")}, ArgumentBlockSender::Recorder);
    const SendResult sent = messaging.sendCopyData(found->handle, block.count, block.bytes);
    EXPECT_EQ(sent.status, SendStatus::Answered);
    EXPECT_EQ(sent.result(), 1);
    const QString digest = QString::fromLatin1(QCryptographicHash::hash(block.bytes, QCryptographicHash::Sha256).toHex());
    EXPECT_EQ(waitForLine(peer, QStringLiteral("copydata")), QStringLiteral("copydata 1 65540 ") + digest);

    EXPECT_TRUE(messaging.postMessage(found->handle, kRecorderTrackDoneMessage, kTrackDoneMusic, -5));
    EXPECT_FALSE(waitForLine(peer, QStringLiteral("post 1229 2 -5")).isEmpty());

    EXPECT_TRUE(messaging.postMessage(found->handle, peercommand::kQuit, 0, 0));
    EXPECT_EQ(peer.wait(), 0) << peer.err().toStdString();
    EXPECT_EQ(endpointFiles(folder), QStringList()); // a window that ends cleanly leaves nothing
    EXPECT_FALSE(messaging.queryWindow(found->handle));
}

TEST_F(MessagingProcesses, AHiddenDisabledRefusingWindowSaysSo)
{
    ChildProcess peer;
    ASSERT_TRUE(startPeer(peer, {"--class", kEditorMainWindowClass, "--caption", "Vexal Audio Zuq Editor", "--hidden",
                                 "--disabled", "--refuse"}));
    const std::optional<FoundWindow> found =
        messaging.findWindow(kEditorMainWindowClass, QStringLiteral("Vexal Audio Zuq Editor"), CaptionMatch::Equals);
    ASSERT_TRUE(found);
    EXPECT_FALSE(found->info.visible);
    EXPECT_FALSE(found->info.enabled);
    const SendResult sent = messaging.sendCopyData(found->handle, 0, QByteArray(kArgumentBlockSize, '\0'));
    EXPECT_EQ(sent.status, SendStatus::Answered);
    EXPECT_EQ(sent.result(), 0);
}

TEST_F(MessagingProcesses, ASecondInstanceHandsItsArgumentsToOurWindowOrTellsTheRecorder)
{
    FakeWindow editor(QStringLiteral("Vexal Audio Zuq Editor: take.wav"));
    FakeWindow recorder(QStringLiteral("Recording - Wexo Ravadur"));
    auto editorRegistration = messaging.registerWindow(kEditorMainWindowClass, editor);
    auto recorderRegistration = messaging.registerWindow(kRecordingWindowClass, recorder);
    ASSERT_TRUE(editorRegistration && recorderRegistration);

    // Our windows answer from this thread's event loop while the other process waits on them, so
    // the loop runs until what the other process does has arrived.
    const auto runHandOver = [&](const QStringList& arguments, const std::function<bool()>& arrived) {
        ChildProcess second;
        EXPECT_TRUE(second.start(kPeer, QStringList{"--folder", folder, "--hand-over", "Vexal Audio Zuq Editor"} + arguments));
        EXPECT_TRUE(waitUntil(arrived, 20000)) << second.err().toStdString();
        return second.wait();
    };

    EXPECT_EQ(runHandOver({"/w/voice take.wav", "/NoSplash", "/VoiceTrack"}, [&] { return editor.copies().size() == 1; }), 0);
    ASSERT_EQ(editor.copies().size(), 1u);
    EXPECT_EQ(editor.copies()[0].dwData, 2u);
    const ArgumentBlock block = ArgumentBlock::parse(editor.copies()[0].data);
    EXPECT_EQ(block.defects(), NoArgumentBlockDefect);
    EXPECT_EQ(block.count(), 2u);
    EXPECT_EQ(block.slot(0), QStringLiteral("/w/voice take.wav"));
    EXPECT_TRUE(block.slot(1).isEmpty());
    EXPECT_EQ(block.slot(2), QStringLiteral("/VoiceTrack"));
    EXPECT_TRUE(recorder.messages().empty());

    editor.setAnswer(false);
    EXPECT_EQ(runHandOver({"/w/music.wav", "/MusicTrack"}, [&] { return recorder.messages().size() == 1; }), 1);
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(editor.copies().size(), 2u);
    EXPECT_EQ(recorder.messages()[0].message, kRecorderEditorBusyMessage);
    EXPECT_EQ(recorder.messages()[0].wParam, 0);
}

TEST_F(MessagingProcesses, AKilledFirstInstanceIsTakenOverAndItsWindowReplaced)
{
    const QStringList asRecorder{"--claim", kRecorderInstanceName, "--class", kRecorderWelcomeWindowClass, "--caption",
                                 "Welcome to Wexo Ravadur"};
    ChildProcess first;
    ASSERT_TRUE(startPeer(first, asRecorder));
    EXPECT_FALSE(waitForLine(first, QStringLiteral("instance first")).isEmpty());
    EXPECT_EQ(messaging.claimInstance(kRecorderInstanceName)->state(), InstanceState::Second);
    const std::optional<FoundWindow> old =
        messaging.findWindow(kRecorderWelcomeWindowClass, QStringLiteral("Wexo Ravadur"), CaptionMatch::Contains);
    ASSERT_TRUE(old);

    EXPECT_TRUE(messaging.postMessage(old->handle, peercommand::kCrash, 0, 0));
    EXPECT_EQ(first.wait(), -1); // killed, not ended
    EXPECT_TRUE(QFileInfo::exists(old->handle.id)); // what the killed process left behind

    {
        testsupport::LogCapture log;
        const auto claim = messaging.claimInstance(kRecorderInstanceName);
        EXPECT_EQ(claim->state(), InstanceState::First);
        EXPECT_TRUE(log.contains(QStringLiteral("taken over"), QStringLiteral("va.platform")));
        EXPECT_FALSE(messaging.findWindow(kRecorderWelcomeWindowClass, {}, CaptionMatch::Contains));
        EXPECT_FALSE(QFileInfo::exists(old->handle.id));
        EXPECT_EQ(messaging.sendCopyData(old->handle, 0, {}).status, SendStatus::NoWindow);

        ChildProcess blocked;
        ASSERT_TRUE(blocked.start(kPeer, QStringList{"--folder", folder} + asRecorder));
        EXPECT_EQ(blocked.wait(), 3);
        EXPECT_TRUE(blocked.out().startsWith("instance second"));
    }

    ChildProcess next;
    ASSERT_TRUE(startPeer(next, asRecorder));
    EXPECT_FALSE(waitForLine(next, QStringLiteral("instance first")).isEmpty());
    const std::optional<FoundWindow> replaced =
        messaging.findWindow(kRecorderWelcomeWindowClass, QStringLiteral("Wexo Ravadur"), CaptionMatch::Contains);
    ASSERT_TRUE(replaced);
    EXPECT_NE(replaced->handle, old->handle);
    EXPECT_EQ(messaging.sendCopyData(replaced->handle, 0, QByteArray(4, 'x')).result(), 1);
    EXPECT_TRUE(messaging.postMessage(replaced->handle, peercommand::kQuit, 0, 0));
    EXPECT_EQ(next.wait(), 0);
}

TEST_F(MessagingProcesses, AHangingWindowGivesATimelyFailure)
{
    ChildProcess peer;
    ASSERT_TRUE(startPeer(peer, {"--class", kEditorMainWindowClass, "--caption", "Vexal Audio Zuq Editor"}));
    LocalMessaging impatient(LocalMessagingOptions{folder, std::chrono::milliseconds(300), {}});
    const std::optional<FoundWindow> found =
        impatient.findWindow(kEditorMainWindowClass, QStringLiteral("Vexal Audio Zuq Editor"), CaptionMatch::BeginsWith);
    ASSERT_TRUE(found);

    EXPECT_TRUE(impatient.postMessage(found->handle, peercommand::kHang, 60000, 0));
    ASSERT_FALSE(waitForLine(peer, QStringLiteral("post 32514")).isEmpty());
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(impatient.sendCopyData(found->handle, 0, QByteArray(kArgumentBlockSize, '\0')).status, SendStatus::TimedOut);
    EXPECT_FALSE(impatient.queryWindow(found->handle));
    EXPECT_TRUE(impatient.postMessage(found->handle, kRecorderTrackDoneMessage, kTrackDoneVoice, 0));
    EXPECT_LT(clock.elapsed(), 3000);
    peer.terminate();
    EXPECT_EQ(peer.wait(), -1);
}

} // namespace
