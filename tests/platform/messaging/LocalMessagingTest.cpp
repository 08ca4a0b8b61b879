// What only the local sockets do: the files of dead windows are cleared away, a hostile
// connection or a hostile reply is refused without harm, the window folder stays private, and the
// instance lock notices a holder that ended without letting go.
#include "platform/messaging/EndpointFolder.h"
#include "platform/messaging/FakeMessaging.h"
#include "platform/messaging/InstanceLock.h"
#include "platform/messaging/LocalMessaging.h"
#include "platform/messaging/MessagingWire.h"
#include "platform/messaging/ProgramWindows.h"

#include "tests/platform/messaging/MessagingTestSupport.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtEndian>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <semaphore>
#include <thread>

using namespace platform;
using messagingtest::PeerThread;
using messagingtest::waitUntil;

namespace {

const QString kPlatformLog = QStringLiteral("va.platform");

LocalMessagingOptions optionsIn(const QString& folder, int replyMs = 1000, EndpointLimits limits = {})
{
    return LocalMessagingOptions{folder, std::chrono::milliseconds(replyMs), limits};
}

// A socket file with nobody listening, as a killed process leaves it.
void leaveSocketFile(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    ASSERT_LT(size_t(encoded.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

QByteArray header(uint32_t magic, uint32_t type, uint32_t length)
{
    QByteArray bytes(wire::kHeaderSize, '\0');
    qToLittleEndian<uint32_t>(magic, bytes.data());
    qToLittleEndian<uint32_t>(type, bytes.data() + 4);
    qToLittleEndian<uint32_t>(length, bytes.data() + 8);
    return bytes;
}

TEST(LocalMessaging, TheFilesOfDeadWindowsGoWithTheNextLookupOrRegistration)
{
    const QString folder = messagingtest::shortFolder();
    LocalMessaging messaging(optionsIn(folder));
    FakeWindow live(QStringLiteral("Recording - Wexo Ravadur"));
    auto registration = messaging.registerWindow(kRecordingWindowClass, live);
    ASSERT_TRUE(registration);

    const QString killed = folder + QStringLiteral("/com.drovane.recorder~1~99999~0");
    leaveSocketFile(killed);
    testsupport::writeFile(killed + QStringLiteral(".lock"), "99999\n");
    const QString withoutLock = folder + QStringLiteral("/com.drovane.recorder~2~99999~1");
    leaveSocketFile(withoutLock);
    const QString lockAlone = folder + QStringLiteral("/tmainform~3~99999~2.lock");
    testsupport::writeFile(lockAlone, {});
    const QString stranger = folder + QStringLiteral("/notes.txt");
    testsupport::writeFile(stranger, "kept");

    EXPECT_EQ(messaging.windowsOfClass(kRecordingWindowClass), QList<WindowHandle>{registration->handle()});
    EXPECT_FALSE(QFileInfo::exists(killed));
    EXPECT_FALSE(QFileInfo::exists(killed + QStringLiteral(".lock")));
    EXPECT_FALSE(QFileInfo::exists(withoutLock));
    EXPECT_TRUE(QFileInfo::exists(lockAlone)); // not of the class looked up

    FakeWindow editor(QStringLiteral("Vexal Audio Zuq Editor"));
    auto editorRegistration = messaging.registerWindow(kEditorMainWindowClass, editor);
    ASSERT_TRUE(editorRegistration);
    EXPECT_FALSE(QFileInfo::exists(lockAlone));
    EXPECT_TRUE(QFileInfo::exists(stranger));
    EXPECT_TRUE(QFileInfo::exists(registration->handle().id));
    EXPECT_TRUE(messaging.findWindow(kRecordingWindowClass, QStringLiteral("Wexo Ravadur"), CaptionMatch::Contains));
}

class HostileConnections : public testing::Test {
protected:
    void SetUp() override
    {
        EndpointLimits limits;
        limits.maxConnections = 3;
        limits.unfinishedFrameTimeout = std::chrono::milliseconds(200);
        peer = std::make_unique<PeerThread>(optionsIn(folder, 1000, limits));
        handle = peer->add(kEditorMainWindowClass, window);
        ASSERT_FALSE(handle.id.isEmpty());
    }

    // Connects a raw socket; the window is served on the peer thread, so blocking waits are safe.
    std::unique_ptr<QLocalSocket> connectRaw()
    {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(handle.id);
        EXPECT_TRUE(socket->waitForConnected(2000));
        return socket;
    }

    static bool closedByPeer(QLocalSocket& socket, int milliseconds = 3000)
    {
        const QDeadlineTimer deadline(milliseconds);
        while (socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired())
            socket.waitForDisconnected(int(std::max<qint64>(deadline.remainingTime(), 1)));
        return socket.state() != QLocalSocket::ConnectedState;
    }

    bool stillServes()
    {
        LocalMessaging client(optionsIn(folder));
        const std::optional<WindowInfo> info = client.queryWindow(handle);
        return info && info->caption == window.windowCaption();
    }

    QString folder = messagingtest::shortFolder();
    FakeWindow window{QStringLiteral("Vexal Audio Zuq Editor")};
    std::unique_ptr<PeerThread> peer;
    WindowHandle handle;
};

TEST_F(HostileConnections, AMalformedFrameClosesItsConnectionOnly)
{
    struct Row {
        const char* name;
        QByteArray bytes;
    };
    const Row rows[] = {
        {"bad magic", header(0xDEADBEEF, 1, 0)},
        {"unknown type", header(wire::kMagic, 9, 0)},
        {"post of a wrong size", header(wire::kMagic, 2, 19) + QByteArray(19, 'p')},
        {"copy-data larger than the block, header only", header(wire::kMagic, 3, 8 + kMaxCopyDataSize + 1)},
        {"copy-data announcing 4 GiB", header(wire::kMagic, 3, 0xFFFFFFFF) + QByteArray(4096, 'x')},
        {"a reply sent to the window", wire::copyDataReplyFrame(true)},
        {"a valid post followed by garbage", wire::postFrame(0x4CD, 1, 0) + QByteArray(64, '\x5a')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testsupport::LogCapture log;
        auto socket = connectRaw();
        socket->write(row.bytes);
        socket->waitForBytesWritten(2000);
        EXPECT_TRUE(closedByPeer(*socket));
        EXPECT_TRUE(log.contains(QStringLiteral("closing a connection"), kPlatformLog));
        EXPECT_TRUE(stillServes());
        EXPECT_TRUE(window.copies().empty());
    }
    // Only the well-formed post before the garbage reached the window.
    ASSERT_TRUE(waitUntil([&] { return !window.messages().empty(); }));
    EXPECT_EQ(window.messages().size(), 1u);
    EXPECT_EQ(window.messages()[0].message, kRecorderTrackDoneMessage);
}

TEST_F(HostileConnections, AFrameLeftUnfinishedIsDroppedInTime)
{
    testsupport::LogCapture log;
    auto socket = connectRaw();
    socket->write(wire::copyDataFrame(1, QByteArray(100, 'a')).left(60));
    socket->waitForBytesWritten(2000);
    EXPECT_TRUE(closedByPeer(*socket));
    EXPECT_TRUE(log.contains(QStringLiteral("unfinished"), kPlatformLog));
    EXPECT_TRUE(window.copies().empty());
    EXPECT_TRUE(stillServes());
}

TEST_F(HostileConnections, ConnectionsPastTheLimitAreRefusedAndTheWindowRecovers)
{
    testsupport::LogCapture log;
    std::vector<std::unique_ptr<QLocalSocket>> held;
    for (int i = 0; i < 3; ++i)
        held.push_back(connectRaw());
    // Let the window take the three before the fourth arrives.
    QThread::msleep(100);
    auto extra = connectRaw();
    EXPECT_TRUE(closedByPeer(*extra));
    EXPECT_TRUE(log.contains(QStringLiteral("refuses a connection"), kPlatformLog));
    for (auto& socket : held)
        EXPECT_EQ(socket->state(), QLocalSocket::ConnectedState);
    held.clear();
    EXPECT_TRUE(waitUntil([&] { return stillServes(); }));
}

TEST_F(HostileConnections, ASenderThatNeverReadsItsRepliesIsCutOff)
{
    testsupport::LogCapture log;
    // A plain socket: Qt's would read the replies into its buffer while it waits to write.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(handle.id);
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const timeval patience{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
    QByteArray queries;
    for (int i = 0; i < 1000; ++i)
        queries += wire::queryFrame();
    bool cutOff = false;
    for (int round = 0; round < 100 && !cutOff; ++round)
        cutOff = ::send(fd, queries.constData(), size_t(queries.size()), MSG_NOSIGNAL) != queries.size();
    ::close(fd);
    EXPECT_TRUE(cutOff);
    EXPECT_TRUE(waitUntil([&] { return log.contains(QStringLiteral("does not read its replies"), kPlatformLog); }));
    EXPECT_TRUE(stillServes());
}

// A "window" that answers one request with the given bytes (or not at all) and then keeps quiet.
// A plain thread: its join is a hand-over ThreadSanitizer sees, unlike the wait on a QThread.
class RawWindow {
public:
    RawWindow(const QString& path, QByteArray reply, bool answer)
        : m_thread([this, path, reply, answer] {
            QLocalServer server;
            if (!server.listen(path))
                return;
            m_listening.release();
            if (!server.waitForNewConnection(5000))
                return;
            QLocalSocket* socket = server.nextPendingConnection();
            socket->waitForReadyRead(5000);
            if (answer) {
                socket->write(reply);
                socket->waitForBytesWritten(5000);
            }
            m_done.acquire();
        })
    {
        m_listening.try_acquire_for(std::chrono::seconds(5));
    }
    ~RawWindow()
    {
        m_done.release();
        m_thread.join();
    }

private:
    std::binary_semaphore m_listening{0};
    std::binary_semaphore m_done{0};
    std::thread m_thread;
};

TEST(LocalMessaging, AHostileReplyFailsTheSenderAndIsNotBelieved)
{
    const QString folder = messagingtest::shortFolder();
    LocalMessaging messaging(optionsIn(folder, 300));
    struct Row {
        const char* name;
        QByteArray reply;
        bool answer;
        SendStatus status;
    };
    const Row rows[] = {
        {"bad magic", header(0x11111111, 0x83, 4) + QByteArray(4, '\1'), true, SendStatus::Failed},
        {"answer 2", header(wire::kMagic, 0x83, 4) + QByteArray("\2\0\0\0", 4), true, SendStatus::Failed},
        {"a query reply instead", wire::queryReplyFrame({"TMainForm", "x", true, true}), true, SendStatus::Failed},
        {"announcing a megabyte", header(wire::kMagic, 0x83, 1 << 20) + QByteArray(1000, 'm'), true, SendStatus::Failed},
        {"silence", {}, false, SendStatus::TimedOut},
    };
    int serial = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = folder + QStringLiteral("/raw%1").arg(serial++);
        RawWindow raw(path, row.reply, row.answer);
        const SendResult sent = messaging.sendCopyData(WindowHandle{path}, 1, QByteArray(10, 'd'));
        EXPECT_EQ(sent.status, row.status);
        EXPECT_EQ(sent.result(), 0);
    }
    for (const QByteArray& reply : {wire::copyDataReplyFrame(true), header(wire::kMagic, 0x81, 10) + QByteArray(10, '\7')}) {
        const QString path = folder + QStringLiteral("/raw%1").arg(serial++);
        RawWindow raw(path, reply, true);
        EXPECT_FALSE(messaging.queryWindow(WindowHandle{path}));
    }
}

TEST(LocalMessaging, WindowsOfTheGuiThreadAreReachableFromAWorkerThread)
{
    LocalMessaging messaging(optionsIn(messagingtest::shortFolder()));
    FakeWindow editor(QStringLiteral("Vexal Audio Zuq Editor"));
    auto registration = messaging.registerWindow(kEditorMainWindowClass, editor);
    ASSERT_TRUE(registration);

    std::atomic<bool> found{false}, posted{false}, done{false};
    std::thread worker([&] {
        found = messaging.findWindow(kEditorMainWindowClass, QStringLiteral("Vexal Audio Zuq Editor"), CaptionMatch::Contains)
                    .has_value();
        posted = messaging.postMessage(registration->handle(), kRecorderEditorBusyMessage, 0, 0);
        done = true;
    });
    EXPECT_TRUE(waitUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_TRUE(found);
    EXPECT_TRUE(posted);
    ASSERT_TRUE(waitUntil([&] { return editor.messages().size() == 1; }));
    EXPECT_EQ(editor.messages()[0].thread, QThread::currentThread());
}

TEST(LocalMessaging, TheWindowFolderIsPrivateAndUnderTheRuntimeFolder)
{
    EXPECT_EQ(EndpointFolder::defaultPath(), qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/va-windows"));

    const QString folder = testsupport::testFolder() + QStringLiteral("/open");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    ASSERT_TRUE(EndpointFolder(folder).ensureExists());
    struct stat info{};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    const QString file = testsupport::testFolder() + QStringLiteral("/plain");
    testsupport::writeFile(file, "x");
    testsupport::LogCapture log;
    EXPECT_FALSE(EndpointFolder(file).ensureExists());
    FakeWindow window;
    EXPECT_FALSE(LocalMessaging(optionsIn(file)).registerWindow(kEditorMainWindowClass, window));
    EXPECT_EQ(LocalMessaging(optionsIn(file)).claimInstance(kEditorInstanceName)->state(), InstanceState::Failed);
    EXPECT_TRUE(log.contains(QStringLiteral("not a folder of this user"), kPlatformLog));
}

TEST(LocalMessaging, APathTooLongForASocketIsRefusedClearly)
{
    const QString folder = testsupport::testFolder() + QLatin1Char('/') + QString(110, QLatin1Char('f'));
    testsupport::LogCapture log;
    FakeWindow window;
    EXPECT_FALSE(LocalMessaging(optionsIn(folder)).registerWindow(kEditorMainWindowClass, window));
    EXPECT_TRUE(log.contains(QStringLiteral("too long"), kPlatformLog));
    // A long class name is shortened in the file name, so it registers like any other.
    const QString folderOk = messagingtest::shortFolder();
    LocalMessaging messaging(optionsIn(folderOk));
    const QString longClass = QString(kMaxClassNameBytes, QLatin1Char('Q'));
    auto registration = messaging.registerWindow(longClass, window);
    ASSERT_TRUE(registration);
    EXPECT_EQ(messaging.windowsOfClass(longClass.toLower()), QList<WindowHandle>{registration->handle()});
    EXPECT_TRUE(messaging.windowsOfClass(QString(kMaxClassNameBytes - 1, QLatin1Char('Q'))).isEmpty());
}

TEST(LocalMessaging, TheInstanceLockNoticesAHolderThatEndedWithoutLettingGo)
{
    const QString folder = testsupport::testFolder();
    const QString file = folder + QStringLiteral("/Drovane%20ZuqEditor%20is%20alive.instance");
    testsupport::writeFile(file, "424242\n");
    {
        testsupport::LogCapture log;
        InstanceLock lock(folder, kEditorInstanceName);
        EXPECT_EQ(lock.state(), InstanceState::First);
        EXPECT_EQ(lock.takenOverFrom(), 424242);
        EXPECT_TRUE(log.contains(QStringLiteral("424242"), kPlatformLog));
        EXPECT_EQ(testsupport::readFile(file).trimmed().toLongLong(), qint64(::getpid()));
        InstanceLock second(folder, kEditorInstanceName);
        EXPECT_EQ(second.state(), InstanceState::Second);
        EXPECT_EQ(second.takenOverFrom(), 0);
    }
    EXPECT_TRUE(testsupport::readFile(file).isEmpty()); // let go cleanly
    InstanceLock again(folder, kEditorInstanceName);
    EXPECT_EQ(again.state(), InstanceState::First);
    EXPECT_EQ(again.takenOverFrom(), 0);
}

} // namespace
