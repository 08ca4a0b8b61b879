// The messaging contract, run on the local sockets (the other side served by a thread of its own,
// as another process's GUI thread would serve it) and on the fake that later windows' tests use.
#include "platform/messaging/ArgumentBlock.h"
#include "platform/messaging/FakeMessaging.h"
#include "platform/messaging/LocalMessaging.h"
#include "platform/messaging/ProgramWindows.h"

#include "tests/platform/messaging/MessagingTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

using namespace platform;
using messagingtest::waitUntil;

namespace {

constexpr std::chrono::milliseconds kReplyTimeout{400};

class LocalWorld {
public:
    LocalWorld()
        : m_options{messagingtest::shortFolder(), kReplyTimeout, {}}
        , m_local(m_options)
        , m_remote(m_options)
        , m_otherProcess(m_options)
    {
    }

    Messaging& local() { return m_local; }
    // Instance claims of another process.
    Messaging& otherProcess() { return m_otherProcess; }
    WindowHandle addRemote(const QString& className, WindowHandler& window) { return m_remote.add(className, window); }
    void removeRemote(const WindowHandle& window) { m_remote.remove(window); }
    void hang(const WindowHandle&) { m_remote.hang(); }
    void resume(const WindowHandle&) { m_remote.resume(); }
    QThread* remoteThread() { return m_remote.thread(); }

private:
    LocalMessagingOptions m_options;
    LocalMessaging m_local;
    messagingtest::PeerThread m_remote;
    LocalMessaging m_otherProcess;
};

class FakeWorld {
public:
    Messaging& local() { return m_local; }
    Messaging& otherProcess() { return m_remote; }
    WindowHandle addRemote(const QString& className, WindowHandler& window)
    {
        auto registration = m_remote.registerWindow(className, window);
        const WindowHandle handle = registration->handle();
        m_registrations[handle.id] = std::move(registration);
        return handle;
    }
    void removeRemote(const WindowHandle& window) { m_registrations.erase(window.id); }
    void hang(const WindowHandle& window) { m_desktop.setHung(window, true); }
    void resume(const WindowHandle& window) { m_desktop.setHung(window, false); }
    QThread* remoteThread() { return QThread::currentThread(); }

private:
    FakeDesktop m_desktop;
    FakeMessaging m_local{m_desktop};
    FakeMessaging m_remote{m_desktop};
    std::map<QString, std::unique_ptr<WindowRegistration>> m_registrations;
};

template <typename World>
class MessagingContract : public testing::Test {
protected:
    World world;
};

using Worlds = testing::Types<LocalWorld, FakeWorld>;
class WorldNames {
public:
    template <typename T>
    static std::string GetName(int)
    {
        return std::is_same_v<T, LocalWorld> ? "Local" : "Fake";
    }
};
TYPED_TEST_SUITE(MessagingContract, Worlds, WorldNames);

TYPED_TEST(MessagingContract, FindsWindowsByClassWithoutCaseAndByCaptionEachWay)
{
    FakeWindow recording(QStringLiteral("Recording - Wexo Ravadur"));
    FakeWindow second(QStringLiteral("Wexo Ravadur"), false, false);
    FakeWindow editor(QStringLiteral("Vexal Audio Zuq Editor: take.wav"));
    const WindowHandle a = this->world.addRemote(kRecordingWindowClass, recording);
    const WindowHandle b = this->world.addRemote(QStringLiteral("COM.DROVANE.RECORDER"), second);
    const WindowHandle c = this->world.addRemote(kEditorMainWindowClass, editor);
    ASSERT_FALSE(a.id.isEmpty());
    ASSERT_FALSE(b.id.isEmpty());
    ASSERT_FALSE(c.id.isEmpty());

    EXPECT_EQ(this->world.local().windowsOfClass(QStringLiteral("Com.Drovane.Recorder")), (QList<WindowHandle>{a, b}));

    struct Lookup {
        const char* className;
        const char* caption;
        CaptionMatch match;
        std::optional<WindowHandle> expected;
    };
    const Lookup lookups[] = {
        {"com.drovane.recorder", "Wexo Ravadur", CaptionMatch::Contains, a},
        {"Com.Drovane.Recorder", "Wexo Ravadur", CaptionMatch::Equals, b},
        {"com.drovane.recorder", "Wexo", CaptionMatch::BeginsWith, b},
        {"com.drovane.recorder", "wexo ravadur", CaptionMatch::Contains, std::nullopt},
        {"tmainform", "Vexal Audio Zuq Editor", CaptionMatch::BeginsWith, c},
        {"TMAINFORM", "Vexal Audio Zuq Editor", CaptionMatch::Contains, c},
        {"TMainForm", "Vexal Audio Zuq Editor", CaptionMatch::Equals, std::nullopt},
        {"TMainForm", "", CaptionMatch::Contains, c},
        {"com.drovane.recorde", "", CaptionMatch::Contains, std::nullopt},
        {"com.drovane.Divuzuv", "", CaptionMatch::Contains, std::nullopt},
    };
    for (const Lookup& lookup : lookups) {
        SCOPED_TRACE(std::string(lookup.className) + " / " + lookup.caption);
        const std::optional<FoundWindow> found = this->world.local().findWindow(
            QString::fromUtf8(lookup.className), QString::fromUtf8(lookup.caption), lookup.match);
        ASSERT_EQ(found.has_value(), lookup.expected.has_value());
        if (found) {
            EXPECT_EQ(found->handle, *lookup.expected);
        }
    }

    const std::optional<FoundWindow> found =
        this->world.local().findWindow(kRecordingWindowClass, QStringLiteral("Wexo Ravadur"), CaptionMatch::Equals);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->info.className, QStringLiteral("COM.DROVANE.RECORDER"));
    EXPECT_FALSE(found->info.visible);
    EXPECT_FALSE(found->info.enabled);
}

TYPED_TEST(MessagingContract, QueryTellsTheWindowsStateAsItIsNow)
{
    FakeWindow window(QStringLiteral("Welcome to Wexo Ravadur"));
    const WindowHandle handle = this->world.addRemote(kRecorderWelcomeWindowClass, window);

    std::optional<WindowInfo> info = this->world.local().queryWindow(handle);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->className, QString(kRecorderWelcomeWindowClass));
    EXPECT_EQ(info->caption, QStringLiteral("Welcome to Wexo Ravadur"));
    EXPECT_TRUE(info->visible);
    EXPECT_TRUE(info->enabled);

    window.setCaption(QStringLiteral("Wexo Ravadur \u00e9t\u00e9"));
    window.setVisible(false);
    window.setEnabled(false);
    info = this->world.local().queryWindow(handle);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->caption, QStringLiteral("Wexo Ravadur \u00e9t\u00e9"));
    EXPECT_FALSE(info->visible);
    EXPECT_FALSE(info->enabled);
}

TYPED_TEST(MessagingContract, PostedMessagesArriveInOrderOnTheWindowsThread)
{
    FakeWindow window(QStringLiteral("Recording - Wexo Ravadur"));
    const WindowHandle handle = this->world.addRemote(kRecordingWindowClass, window);

    const intptr_t big = intptr_t(0x7FFFFFFFFFFFFFFF);
    EXPECT_TRUE(this->world.local().postMessage(handle, kRecorderTrackDoneMessage, kTrackDoneVoice, 0));
    EXPECT_TRUE(this->world.local().postMessage(handle, kRecorderTrackDoneMessage, kTrackDoneMusic, -1));
    EXPECT_TRUE(this->world.local().postMessage(handle, kRecorderEditorBusyMessage, -big, big));
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(this->world.local().postMessage(handle, 0x500, i, 0));
    ASSERT_TRUE(waitUntil([&] { return window.messages().size() == 203; }));

    const std::vector<FakeWindow::Message> got = window.messages();
    EXPECT_EQ(got[0].message, kRecorderTrackDoneMessage);
    EXPECT_EQ(got[0].wParam, kTrackDoneVoice);
    EXPECT_EQ(got[1].wParam, kTrackDoneMusic);
    EXPECT_EQ(got[1].lParam, -1);
    EXPECT_EQ(got[2].message, kRecorderEditorBusyMessage);
    EXPECT_EQ(got[2].wParam, -big);
    EXPECT_EQ(got[2].lParam, big);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(got[size_t(3 + i)].wParam, i);
    for (const FakeWindow::Message& message : got)
        ASSERT_EQ(message.thread, this->world.remoteThread());
}

TYPED_TEST(MessagingContract, CopyDataIsAnsweredByTheWindow)
{
    FakeWindow window(QStringLiteral("Vexal Audio Zuq Editor"));
    const WindowHandle handle = this->world.addRemote(kEditorMainWindowClass, window);
    const BuiltArgumentBlock block = buildArgumentBlock(
        {QStringLiteral("/home/u/take.wav"), QStringLiteral("/NoSplash"), QStringLiteral("/VoiceTrack")},
        ArgumentBlockSender::Editor);

    SendResult sent = this->world.local().sendCopyData(handle, block.count, block.bytes);
    EXPECT_EQ(sent.status, SendStatus::Answered);
    EXPECT_EQ(sent.result(), 1);

    window.setAnswer(false);
    sent = this->world.local().sendCopyData(handle, 7, {});
    EXPECT_EQ(sent.status, SendStatus::Answered);
    EXPECT_EQ(sent.result(), 0);

    sent = this->world.local().sendCopyData(handle, 0, QByteArray(kMaxCopyDataSize + 1, 'x'));
    EXPECT_EQ(sent.status, SendStatus::Failed);
    EXPECT_EQ(sent.result(), 0);

    const std::vector<FakeWindow::CopyData> copies = window.copies();
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].dwData, 2u);
    EXPECT_EQ(copies[0].data, block.bytes);
    EXPECT_EQ(copies[0].thread, this->world.remoteThread());
    const ArgumentBlock received = ArgumentBlock::parse(copies[0].data);
    EXPECT_EQ(received.slot(2), QStringLiteral("/VoiceTrack"));
    EXPECT_EQ(copies[1].dwData, 7u);
    EXPECT_TRUE(copies[1].data.isEmpty());
}

TYPED_TEST(MessagingContract, AWindowThatIsGoneIsNotFoundAndTakesNothing)
{
    FakeWindow window(QStringLiteral("Vexal Audio Zuq Editor"));
    const WindowHandle handle = this->world.addRemote(kEditorMainWindowClass, window);
    this->world.removeRemote(handle);

    EXPECT_TRUE(this->world.local().windowsOfClass(kEditorMainWindowClass).isEmpty());
    EXPECT_FALSE(this->world.local().queryWindow(handle));
    EXPECT_FALSE(this->world.local().postMessage(handle, kRecorderEditorBusyMessage, 0, 0));
    EXPECT_EQ(this->world.local().sendCopyData(handle, 0, QByteArray(16, 'a')).status, SendStatus::NoWindow);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.messages().empty());
    EXPECT_TRUE(window.copies().empty());
}

TYPED_TEST(MessagingContract, AHungWindowFailsInTimeAndGetsItsPostsWhenItAnswersAgain)
{
    FakeWindow window(QStringLiteral("Vexal Audio Zuq Editor"));
    const WindowHandle handle = this->world.addRemote(kEditorMainWindowClass, window);
    this->world.hang(handle);

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(this->world.local().sendCopyData(handle, 1, QByteArray(kArgumentBlockSize, '\0')).status,
              SendStatus::TimedOut);
    EXPECT_FALSE(this->world.local().queryWindow(handle));
    EXPECT_FALSE(this->world.local().findWindow(kEditorMainWindowClass, {}, CaptionMatch::Contains));
    EXPECT_LT(clock.elapsed(), 3 * 4 * kReplyTimeout.count());
    EXPECT_TRUE(this->world.local().postMessage(handle, kRecorderTrackDoneMessage, kTrackDoneMusic, 0));

    this->world.resume(handle);
    ASSERT_TRUE(waitUntil([&] { return window.messages().size() == 1; }));
    EXPECT_EQ(window.messages()[0].wParam, kTrackDoneMusic);
    EXPECT_EQ(this->world.local().sendCopyData(handle, 1, {}).status, SendStatus::Answered);
}

TYPED_TEST(MessagingContract, AWindowOfTheCallingThreadIsServedWithoutWaitingForItself)
{
    FakeWindow window(QStringLiteral("Welcome to Wexo Ravadur"));
    auto registration = this->world.local().registerWindow(kRecorderWelcomeWindowClass, window);
    ASSERT_TRUE(registration);
    const std::optional<FoundWindow> found =
        this->world.local().findWindow(kRecorderWelcomeWindowClass, QStringLiteral("Wexo Ravadur"), CaptionMatch::Contains);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->handle, registration->handle());

    EXPECT_EQ(this->world.local().sendCopyData(found->handle, 0, QByteArray(3, 'z')).result(), 1);
    ASSERT_EQ(window.copies().size(), 1u);
    EXPECT_EQ(window.copies()[0].thread, QThread::currentThread());

    EXPECT_TRUE(this->world.local().postMessage(found->handle, 1025, 0, 0));
    EXPECT_TRUE(window.messages().empty()); // posted, not called
    ASSERT_TRUE(waitUntil([&] { return window.messages().size() == 1; }));

    // A message still on its way when the window goes is dropped with it.
    EXPECT_TRUE(this->world.local().postMessage(found->handle, 1025, 1, 0));
    registration.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.messages().size(), 1u);
}

TYPED_TEST(MessagingContract, OnlyTheFirstClaimOfANameIsFirstUntilItIsReleased)
{
    auto first = this->world.local().claimInstance(kRecorderInstanceName);
    EXPECT_EQ(first->state(), InstanceState::First);
    EXPECT_EQ(this->world.otherProcess().claimInstance(kRecorderInstanceName)->state(), InstanceState::Second);
    EXPECT_EQ(this->world.local().claimInstance(kRecorderInstanceName)->state(), InstanceState::Second);

    auto editor = this->world.otherProcess().claimInstance(kEditorInstanceName);
    EXPECT_EQ(editor->state(), InstanceState::First);

    first.reset();
    EXPECT_EQ(this->world.otherProcess().claimInstance(kRecorderInstanceName)->state(), InstanceState::First);
}

TYPED_TEST(MessagingContract, AClassNameThatCannotBeAWindowClassIsRefused)
{
    FakeWindow window;
    for (const QString& name : {QString(), QString(kMaxClassNameBytes + 1, QLatin1Char('c')),
                                QStringLiteral("com.drovane") + QChar(0) + QStringLiteral("recorder")}) {
        EXPECT_FALSE(this->world.local().registerWindow(name, window)) << name.size();
        EXPECT_TRUE(this->world.local().windowsOfClass(name).isEmpty());
    }
    EXPECT_TRUE(this->world.local().registerWindow(QString(kMaxClassNameBytes, QLatin1Char('c')), window));
}

} // namespace
