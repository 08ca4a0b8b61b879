// The editor's start and hand-over against another process over the real local sockets: the
// messaging tests' peer program stands for the running editor, or for a second start.

#include "editor/CommandLineProcessor.h"
#include "editor/InstanceStart.h"

#include "platform/messaging/ArgumentBlock.h"
#include "platform/messaging/LocalMessaging.h"
#include "platform/messaging/ProgramWindows.h"

#include "tests/platform/messaging/MessagingPeerCommands.h"
#include "tests/platform/messaging/MessagingTestSupport.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>

using namespace platform;
using messagingtest::waitUntil;
using testsupport::ChildProcess;

namespace {

const QString kPeer = QStringLiteral(VA_MESSAGING_PEER);

bool hasLine(const ChildProcess& child, const QString& prefix)
{
    for (const QByteArray& line : child.out().split('\n'))
        if (line.startsWith(prefix.toUtf8()))
            return true;
    return false;
}

// The running editor's main window as far as the hand-over goes.
struct ShownWindow : CommandLineHost, WindowHandler {
    bool visible = true;
    QStringList opened;

    bool busy() const override { return false; }
    void setBusy(bool) override { }
    bool mainWindowVisible() const override { return visible; }
    void raiseMainWindow() override { }
    bool recording() const override { return false; }
    void stopPlayback() override { }
    void enterTrackMode(TrackRole role) override { opened << QStringLiteral("mode %1").arg(int(role)); }
    int importWmaPlaylist(const QString&, QString*) override { return kWmaDecoderMissing; }
    void openAsUnsaved(const QString& path) override { opened << QStringLiteral("unsaved ") + path; }
    int openFile(const QString& path, TrackRole) override
    {
        opened << path;
        return 0;
    }
    void offerMp3Component() override { }
    void offerWmaComponent() override { }

    QString windowCaption() const override { return QStringLiteral("Vexal Audio Zuq Editor"); }
    bool windowVisible() const override { return visible; }
    bool windowEnabled() const override { return true; }
    void windowMessage(uint32_t, intptr_t, intptr_t) override { }
    bool windowCopyData(uint64_t, const QByteArray& data) override { return processor.receive(data); }

    CommandLineProcessor processor{*this};
};

class EditorStartProcesses : public testing::Test {
protected:
    QString folder = messagingtest::shortFolder();
    LocalMessaging messaging{LocalMessagingOptions{folder, std::chrono::milliseconds(3000), {}}};
};

TEST_F(EditorStartProcesses, ASecondStartsFilesReachTheRunningEditorOnlyWhileItIsShown)
{
    ShownWindow window;
    auto registration = messaging.registerWindow(kEditorMainWindowClass, window);
    ASSERT_TRUE(registration);
    const QString file = QStringLiteral("/home/zoë/voice take é.wav");

    // The running editor answers from this thread's event loop while the second start waits on it.
    const auto handOver = [&](const QStringList& arguments) {
        ChildProcess second;
        EXPECT_TRUE(
            second.start(kPeer, QStringList{"--folder", folder, "--hand-over", "Vexal Audio Zuq Editor"} + arguments));
        EXPECT_TRUE(waitUntil([&] { return hasLine(second, QStringLiteral("answer")); }, 20000));
        const int exitCode = second.wait();
        QCoreApplication::processEvents();
        return exitCode;
    };

    EXPECT_EQ(handOver({file, "/NoSplash", "/VoiceTrack"}), 0);
    EXPECT_TRUE(waitUntil([&] { return window.opened.size() == 2; }));
    EXPECT_EQ(window.opened, (QStringList{"mode 2", file}));

    window.visible = false;
    window.opened.clear();
    EXPECT_EQ(handOver({file}), 1);
    EXPECT_TRUE(window.opened.isEmpty());
}

TEST_F(EditorStartProcesses, ASecondStartHandsItsCommandLineToTheEditorOfAnotherProcess)
{
    ChildProcess running;
    ASSERT_TRUE(running.start(kPeer,
                              {"--folder", folder, "--claim", kEditorInstanceName, "--class", kEditorMainWindowClass,
                               "--caption", "Vexal Audio Zuq Editor"}));
    ASSERT_TRUE(waitUntil([&] { return hasLine(running, QStringLiteral("ready")); }, 20000));
    ASSERT_TRUE(hasLine(running, QStringLiteral("instance first")));

    const QStringList arguments{"take 1.wav", "/NoSplash", "/MusicTrack"};
    const StartResult result = startEditor(messaging, arguments, QStringLiteral("/home/zoë"));
    EXPECT_EQ(result.outcome, StartOutcome::HandedOver);
    EXPECT_FALSE(result.claim);

    const BuiltArgumentBlock expected =
        buildArgumentBlock({"/home/zoë/take 1.wav", "/NoSplash", "/MusicTrack"}, ArgumentBlockSender::Editor);
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(expected.bytes, QCryptographicHash::Sha256).toHex());
    EXPECT_TRUE(waitUntil([&] { return hasLine(running, QStringLiteral("copydata 2 65540 ") + hash); }, 20000))
        << running.out().toStdString();

    const std::optional<FoundWindow> found =
        messaging.findWindow(kEditorMainWindowClass, QStringLiteral("Vexal Audio Zuq Editor"), CaptionMatch::Equals);
    ASSERT_TRUE(found);
    EXPECT_TRUE(messaging.postMessage(found->handle, peercommand::kQuit, 0, 0));
    EXPECT_EQ(running.wait(), 0);

    const StartResult alone = startEditor(messaging, arguments, QStringLiteral("/home/zoë"));
    EXPECT_EQ(alone.outcome, StartOutcome::RunAsFirst);
    EXPECT_EQ(alone.commandLine.files, QStringList{"/home/zoë/take 1.wav"});
}

} // namespace
