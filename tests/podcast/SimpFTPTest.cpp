// The FTP client the upload windows use, on the FTP server in memory: its path routines, its
// state and events, where PutFile puts what, listing masks, the failure texts, and Abort from an
// event handler in the middle of a put.
#include "FtpServers.h"

#include "podcast/SimpFTP.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace podcast;
using namespace podcast::test;

namespace {

TEST(FtpPaths, RoutinesFollowTheirRules)
{
    struct Case {
        QString in;
        QString addRemoteSlash;
        QString addRemoteSlashUnknown;
        QString addLocalSlash;
        QString stripTrailingSlash;
        QString urlDirPart;
    };
    const Case cases[] = {
        {"", "/", "", "/", "", ""},
        {"/", "/", "/", "/", "/", "/"},
        {"\\", "\\/", "\\", "\\/", "\\", ""},
        {"/pub", "/pub/", "/pub", "/pub/", "/pub", "/"},
        {"/pub/", "/pub/", "/pub/", "/pub/", "/pub", "/pub/"},
        {"pub\\", "pub\\/", "pub\\", "pub\\/", "pub", ""},
        {"/pub/a b/ü.mp3", "/pub/a b/ü.mp3/", "/pub/a b/ü.mp3", "/pub/a b/ü.mp3/", "/pub/a b/ü.mp3", "/pub/a b/"},
        {"a", "a/", "a", "a/", "a", ""},
        {"//", "//", "//", "//", "/", "//"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in.toStdString());
        EXPECT_EQ(AddRemoteSlash(c.in), c.addRemoteSlash);
        EXPECT_EQ(AddRemoteSlash(c.in, TFTPFileSystemType::ftUnknown), c.addRemoteSlashUnknown);
        EXPECT_EQ(AddLocalSlash(c.in), c.addLocalSlash);
        EXPECT_EQ(StripTrailingSlash(c.in), c.stripTrailingSlash);
        EXPECT_EQ(UrlDirPart(c.in), c.urlDirPart);
    }
}

TEST(FtpPaths, ProgressPercentIsRoundedAndBounded)
{
    struct Case {
        int64_t done;
        int64_t size;
        int percent;
    };
    const Case cases[] = {
        {0, 0, 0}, {5, 0, 0}, {5, -1, 0}, {0, 1000, 0}, {4, 1000, 0}, {5, 1000, 1},
        {994, 1000, 99}, {995, 1000, 100}, {1000, 1000, 100}, {2000, 1000, 100}, {-3, 1000, 0},
        {int64_t(3) << 32, int64_t(6) << 32, 50},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QuickProgressPercent(FtpProgress{c.done, c.size, "a"}), c.percent) << c.done << " of " << c.size;
}

TEST(FtpPaths, LocalFileSize)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("a b.mp3"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1234, 'x'));
    file.close();
    EXPECT_EQ(GetLocalFileSize(file.fileName()), 1234);
    EXPECT_EQ(GetLocalFileSize(dir.filePath("missing")), -1);
    EXPECT_EQ(GetLocalFileSize(dir.path()), -1);
}

TEST(WinInetTexts, StatesAndErrorsHaveTheirTexts)
{
    const QString host = QStringLiteral("ftp.example.test");
    const std::pair<int, const char*> states[] = {
        {0, "Disconnecting from ftp.example.test"}, {1, "No connection"},
        {2, "Connecting to ftp.example.test"},      {3, "Connected to ftp.example.test"},
        {4, "Resolving name ftp.example.test"},     {5, "Resolved name ftp.example.test"},
        {6, "Unknown state!  Contact support ..."}, {-1, "Unknown state!  Contact support ..."},
    };
    for (const auto& [state, text] : states)
        EXPECT_EQ(winInetStateText(WinInetState(state), host), QString::fromUtf8(text)) << state;

    const std::pair<FtpError, const char*> errors[] = {
        {FtpError::Timeout, "Connection to ftp.example.test timed out"},
        {FtpError::InternalError, "Internal WININET error"},
        {FtpError::NameNotResolved, "Unable to resolve host name 'ftp.example.test'"},
        {FtpError::IncorrectUserName, "Bad user name: 'jo' connecting to ftp.example.test"},
        {FtpError::IncorrectPassword, "Bad password connecting to ftp.example.test"},
        {FtpError::LoginFailure, "Unable to connect to ftp.example.test"},
        {FtpError::CannotConnect, "Unable to connect to ftp.example.test"},
        {FtpError::ConnectionAborted, "General Connection Error to ftp.example.test"},
        {FtpError::ExtendedError, "General Connection Error to ftp.example.test"},
    };
    for (const auto& [error, text] : errors)
        EXPECT_EQ(winInetErrorText(error, host, "jo"), QString::fromUtf8(text)) << int(error);
}

class SimpleFtp : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(local.isValid());
        server.makeFolder("/pub/sub");
        server.makeFile("/pub/a.mp3", "aaa");
        server.makeFile("/pub/b.txt", "bb");
        server.makeFile("/pub/c d.mp3", "c");
        ftp = std::make_unique<TSimpleFTP>(server.engine());
        const FtpConnectSettings s = server.settings(false);
        ftp->setHostName(s.host);
        ftp->setUserName(s.user);
        ftp->setPassword(s.password);
        QObject::connect(ftp.get(), &TWinInetControl::OnStateChange, [this](WinInetState st) { states.append(st); });
        QObject::connect(ftp.get(), &TWinInetControl::OnDisconnected, [this] { ++disconnected; });
        QObject::connect(ftp.get(), &TWinInetControl::OnConnected, [this] { ++connected; });
        QObject::connect(ftp.get(), &TSimpleFTP::OnDirectoryChange, [this] { ++directoryChanges; });
    }
    QString writeLocal(const QString& name, const QByteArray& bytes)
    {
        QFile file(local.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    FakeServer server;
    QTemporaryDir local;
    std::unique_ptr<TSimpleFTP> ftp;
    QList<WinInetState> states;
    int disconnected = 0;
    int connected = 0;
    int directoryChanges = 0;
};

TEST_F(SimpleFtp, DefaultsAndSettings)
{
    EXPECT_EQ(ftp->Port(), 21);
    EXPECT_EQ(ftp->ConnectRetries(), 3u);
    EXPECT_EQ(ftp->ConnectTimeout(), 300000u);
    EXPECT_EQ(ftp->resolveNames(), ResolveNames::rnLocal);
    EXPECT_TRUE(ftp->SilentExceptions());
    EXPECT_EQ(ftp->State(), WinInetState::wsNone);
    EXPECT_EQ(ftp->TransferType(), TFTPTransferType::ttBinary);
    EXPECT_EQ(ftp->FileSystemType(), TFTPFileSystemType::ftUnix);
    ftp->setConnectTimeout(0);
    EXPECT_EQ(ftp->ConnectTimeout(), 300000u);
    ftp->setConnectTimeout(60000);
    EXPECT_EQ(ftp->ConnectTimeout(), 60000u);
    EXPECT_EQ(ftp->LastResponseText(), QStringLiteral("No error description available"));
}

TEST_F(SimpleFtp, ConnectAppliesTheRemoteDirAndDisconnectAnnouncesOnce)
{
    ftp->setRemoteDir("/pub/");
    EXPECT_EQ(ftp->RemoteDir(), QStringLiteral("/pub/"));
    EXPECT_EQ(directoryChanges, 0);
    ASSERT_TRUE(ftp->Connect());
    EXPECT_EQ(states, (QList<WinInetState>{WinInetState::wsResolving, WinInetState::wsResolved,
                                           WinInetState::wsConnecting, WinInetState::wsConnected}));
    EXPECT_EQ(ftp->StateText(), QStringLiteral("Connected to ftp.example.test"));
    EXPECT_EQ(ftp->RemoteDir(), QStringLiteral("/pub"));
    EXPECT_EQ(directoryChanges, 1);
    EXPECT_EQ(connected, 1);
    EXPECT_FALSE(ftp->Greeting().isEmpty());
    // A second Connect does not log in again, yet announces the connection.
    ASSERT_TRUE(ftp->Connect());
    EXPECT_EQ(server.logins(), 1);
    EXPECT_EQ(connected, 2);
    // The file system type cannot change while connected.
    ftp->setFileSystemType(TFTPFileSystemType::ftUnknown);
    EXPECT_EQ(ftp->FileSystemType(), TFTPFileSystemType::ftUnix);

    EXPECT_TRUE(ftp->Disconnect());
    EXPECT_EQ(ftp->State(), WinInetState::wsNone);
    EXPECT_EQ(disconnected, 1);
    EXPECT_TRUE(ftp->Disconnect());
    EXPECT_EQ(disconnected, 1);
    ftp->setFileSystemType(TFTPFileSystemType::ftUnknown);
    EXPECT_EQ(ftp->FileSystemType(), TFTPFileSystemType::ftUnknown);
}

TEST_F(SimpleFtp, DestroyingWhileConnectedAnnouncesNothing)
{
    ASSERT_TRUE(ftp->Connect());
    const qsizetype statesBefore = states.size();
    ftp.reset();
    QTest::qWait(50);
    EXPECT_EQ(disconnected, 0);
    EXPECT_EQ(states.size(), statesBefore);
}

TEST_F(SimpleFtp, FailedConnectsKeepTheirErrorAndText)
{
    struct Case {
        const char* what;
        std::function<void(TSimpleFTP&)> change;
        FtpError error;
        const char* text;
    };
    const Case cases[] = {
        {"password", [](TSimpleFTP& f) { f.setPassword("wrong"); }, FtpError::IncorrectPassword,
         "Bad password connecting to ftp.example.test"},
        {"host", [](TSimpleFTP& f) { f.setHostName("elsewhere.test"); }, FtpError::NameNotResolved,
         "Unable to resolve host name 'elsewhere.test'"},
        {"port", [](TSimpleFTP& f) { f.setPort(2); }, FtpError::CannotConnect, "Unable to connect to ftp.example.test"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSimpleFTP client(server.engine());
        const FtpConnectSettings s = server.settings(false);
        client.setHostName(s.host);
        client.setUserName(s.user);
        client.setPassword(s.password);
        c.change(client);
        int disconnects = 0;
        QObject::connect(&client, &TWinInetControl::OnDisconnected, [&] { ++disconnects; });
        EXPECT_FALSE(client.Connect());
        EXPECT_EQ(client.State(), WinInetState::wsNone);
        EXPECT_EQ(client.LastError().error, c.error);
        EXPECT_EQ(client.LastErrorText(), QString::fromUtf8(c.text));
        EXPECT_EQ(disconnects, 0);
    }
}

TEST_F(SimpleFtp, OnLoginMayChangeTheLogin)
{
    ftp->setPassword("not yet");
    ftp->OnLogin = [this](QString& user, QString& password) {
        user = server.settings(false).user;
        password = server.settings(false).password;
    };
    EXPECT_TRUE(ftp->Connect());
    EXPECT_EQ(ftp->Password(), server.settings(false).password);
}

TEST_F(SimpleFtp, ChangeDirSendsTheFolderWithoutItsSlashAndKeepsWhatWasGiven)
{
    ASSERT_TRUE(ftp->Connect());
    EXPECT_TRUE(ftp->ChangeDir("/pub/"));
    EXPECT_EQ(ftp->RemoteDir(), QStringLiteral("/pub"));
    EXPECT_TRUE(ftp->ChangeDir("/"));
    EXPECT_EQ(ftp->RemoteDir(), QStringLiteral("/"));
    EXPECT_EQ(directoryChanges, 2);
    EXPECT_FALSE(ftp->ChangeDir("/nowhere/"));
    EXPECT_EQ(ftp->LastError().error, FtpError::ExtendedError);
    EXPECT_TRUE(ftp->LastResponseText().startsWith("550"));
    EXPECT_EQ(directoryChanges, 2);
    EXPECT_EQ(ftp->RemoteDir(), QStringLiteral("/"));
}

TEST_F(SimpleFtp, PutFileComposesLocalAndRemoteNames)
{
    const QString folder = local.path();
    writeLocal("b.mp3", "local b");
    ftp->setLocalDir(folder);
    struct Case {
        QString remoteDir;
        QString name;
        QString expectedRemote;
    };
    const Case cases[] = {
        {"/pub", folder + "/b.mp3", "/pub/b.mp3"},
        {"/pub/", folder + "/b.mp3", "/pub/b.mp3"},
        {"/pub/sub", "b.mp3", "/pub/sub/b.mp3"},
        {"/", "b.mp3", "/b.mp3"},
    };
    ASSERT_TRUE(ftp->Connect());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedRemote.toStdString());
        ASSERT_TRUE(ftp->ChangeDir(c.remoteDir));
        server.server->lock(), server.server->files.remove(c.expectedRemote);
        EXPECT_TRUE(ftp->PutFile(c.name));
        EXPECT_EQ(server.fileAt(c.expectedRemote), std::optional<QByteArray>("local b"));
    }
    // A bare name of a file that LocalDir does not hold fails before anything is sent.
    EXPECT_FALSE(ftp->PutFile("missing.mp3"));
    EXPECT_EQ(ftp->LastError().error, FtpError::LocalFileNotFound);
    EXPECT_FALSE(server.fileAt("/missing.mp3"));
}

TEST_F(SimpleFtp, PutFileReportsProgressAndFailsWithoutAConnection)
{
    const QString path = writeLocal("episode 1.mp3", QByteArray(300 * 1024, 'e'));
    EXPECT_FALSE(ftp->PutFile(path, "/pub/e.mp3"));
    EXPECT_EQ(ftp->LastError().error, FtpError::NotConnected);
    ASSERT_TRUE(ftp->Connect());
    QList<FtpProgress> seen;
    QObject::connect(ftp.get(), &TSimpleFTP::OnTransferProgress, [&](const FtpProgress& p) { seen.append(p); });
    ASSERT_TRUE(ftp->PutFile(path, "/pub/e.mp3"));
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.last().bytesDone, 300 * 1024);
    EXPECT_EQ(seen.last().fileName, QStringLiteral("episode 1.mp3"));
    EXPECT_EQ(QuickProgressPercent(ftp->ProgressInfo()), 100);
}

TEST_F(SimpleFtp, ListFollowsTheMask)
{
    ASSERT_TRUE(ftp->Connect());
    ASSERT_TRUE(ftp->ChangeDir("/pub"));
    struct Case {
        QString mask;
        bool fullPaths;
        QStringList names;
    };
    const Case cases[] = {
        {"", false, {"sub", "a.mp3", "b.txt", "c d.mp3"}},
        {"*.*", false, {"sub", "a.mp3", "b.txt", "c d.mp3"}},
        {"*.mp3", false, {"a.mp3", "c d.mp3"}},
        {"/pub/*.*", true, {"/pub/sub", "/pub/a.mp3", "/pub/b.txt", "/pub/c d.mp3"}},
        {"/pub/?.txt", true, {"/pub/b.txt"}},
        {"/pub/sub/*", true, {}},
        {"/nowhere/*.*", true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask.toStdString());
        int found = 0;
        const auto connection = QObject::connect(ftp.get(), &TSimpleFTP::OnFindItem, [&] { ++found; });
        const int count = ftp->List(c.mask, c.fullPaths);
        QObject::disconnect(connection);
        QStringList names = ftp->FileNames();
        QStringList expected = c.names;
        names.sort();
        expected.sort();
        EXPECT_EQ(names, expected);
        EXPECT_EQ(count, expected.size());
        EXPECT_EQ(found, expected.size());
        EXPECT_EQ(ftp->FileEntries().size(), expected.size());
    }
    int found = 0;
    QObject::connect(ftp.get(), &TSimpleFTP::OnFindItem, [&](const FtpEntry& e) {
        found += e.type == FtpEntryType::Folder ? 100 : 1;
    });
    EXPECT_EQ(ftp->ListCurrentDir(), 4);
    EXPECT_EQ(found, 103);
}

TEST_F(SimpleFtp, AbortFromAHandlerStopsThePutInTheMiddle)
{
    ftp->setPort(server.settings(true).port);
    ASSERT_TRUE(ftp->Connect());
    const QString path = writeLocal("big.mp3", QByteArray(4 * 1024 * 1024, 'b'));
    const QByteArray before = QByteArray(4 * 1024 * 1024, 'b');
    // What a Cancel button does: Abort from an event handler while PutFile waits.
    QObject::connect(ftp.get(), &TSimpleFTP::OnTransferProgress, ftp.get(), [this](const FtpProgress& p) {
        if (p.bytesDone > 0)
            QTimer::singleShot(0, ftp.get(), [this] { ftp->Abort(); });
    });
    EXPECT_FALSE(ftp->PutFile(path, "/pub/big.mp3"));
    EXPECT_EQ(ftp->LastError().error, FtpError::OperationCancelled);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ftp->State() == WinInetState::wsNone; }, 5000));
    EXPECT_EQ(disconnected, 1);
    EXPECT_LT(server.fileAt("/pub/big.mp3").value_or(QByteArray()).size(), 4 * 1024 * 1024);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST_F(SimpleFtp, DestroyedDuringAPutTheCallReturnsFalse)
{
    ftp->setPort(server.settings(true).port);
    ASSERT_TRUE(ftp->Connect());
    const QString path = writeLocal("big.mp3", QByteArray(4 * 1024 * 1024, 'b'));
    TSimpleFTP* raw = ftp.release();
    QObject::connect(raw, &TSimpleFTP::OnTransferProgress, raw, [raw](const FtpProgress& p) {
        if (p.bytesDone > 0)
            raw->deleteLater();
    });
    QPointer<TSimpleFTP> guard(raw);
    EXPECT_FALSE(raw->PutFile(path, "/pub/big.mp3"));
    EXPECT_TRUE(guard.isNull());
}

} // namespace
