// The FTP transport's contract, run on the server in memory and on the tests' real server: the
// same calls give the same results, states and bytes on the server.
#include "FtpServers.h"

#include "podcast/FtpTransport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <optional>

using namespace podcast;
using namespace podcast::test;

namespace {

QByteArray pattern(qsizetype size, char seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + seed) & 0xff);
    return bytes;
}

QByteArray sha(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// What one transport delivered on the GUI thread, in order.
struct Recorder {
    explicit Recorder(FtpTransport& transport)
    {
        QObject::connect(&transport, &FtpTransport::stateChanged, [this](WinInetState state) {
            states.append(state);
            offGuiThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        });
        QObject::connect(&transport, &FtpTransport::progress, [this](const FtpProgress& p) {
            progress.append(p);
            offGuiThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        });
    }
    QList<WinInetState> states;
    QList<FtpProgress> progress;
    bool offGuiThread = false;
};

template <typename Server>
class FtpContract : public ::testing::Test {
protected:
    void SetUp() override
    {
        if constexpr (std::is_same_v<Server, RealServer>) {
            if (!server.ready())
                GTEST_SKIP() << server.why().toStdString();
        }
        ASSERT_TRUE(local.isValid());
        // Each test works in a folder of its own on the server.
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = QStringLiteral("/%1").arg(QString::fromLatin1(info->name()));
        server.makeFolder(folder);
        transport = std::make_unique<FtpTransport>(server.engine());
        recorder = std::make_unique<Recorder>(*transport);
    }

    // Runs one operation to its end; the callback comes on the GUI thread.
    template <typename Start>
    FtpResult wait(Start start)
    {
        std::optional<FtpResult> result;
        start([&](const FtpResult& r) {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            result = r;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 30000));
        return result.value_or(FtpResult{FtpError::InternalError, QStringLiteral("no answer")});
    }

    FtpResult connect(const FtpConnectSettings& settings)
    {
        return wait([&](auto done) { transport->connectToHost(settings, done); });
    }
    FtpResult connect() { return connect(server.settings(false)); }
    FtpResult changeDir(const QString& dir)
    {
        return wait([&](auto done) { transport->changeDir(dir, done); });
    }
    QString printDir()
    {
        QString dir;
        wait([&](auto done) {
            transport->printDir([&dir, done](const FtpResult& r, const QString& d) {
                dir = d;
                done(r);
            });
        });
        return dir;
    }
    FtpResult list(const QString& where, QList<FtpEntry>& entries)
    {
        return wait([&](auto done) {
            transport->list(where, [&entries, done](const FtpResult& r, const QList<FtpEntry>& e) {
                entries = e;
                done(r);
            });
        });
    }
    FtpResult put(const QString& localPath, const QString& remote)
    {
        return wait([&](auto done) { transport->putFile(localPath, remote, done); });
    }
    QString writeLocal(const QString& name, const QByteArray& bytes)
    {
        const QString path = local.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    Server server;
    QTemporaryDir local;
    QString folder;
    std::unique_ptr<FtpTransport> transport;
    std::unique_ptr<Recorder> recorder;
};

using Servers = ::testing::Types<FakeServer, RealServer>;
TYPED_TEST_SUITE(FtpContract, Servers);

TYPED_TEST(FtpContract, ConnectMovesThroughTheStatesOnTheGuiThreadAndLogsInOnce)
{
    const int loginsBefore = this->server.logins();
    const FtpResult result = this->connect();
    ASSERT_TRUE(result.ok()) << result.reply.toStdString();
    const QList<WinInetState> expected{WinInetState::wsResolving, WinInetState::wsResolved,
                                       WinInetState::wsConnecting, WinInetState::wsConnected};
    EXPECT_EQ(this->recorder->states, expected);
    EXPECT_EQ(this->transport->state(), WinInetState::wsConnected);

    // Later operations reuse the logged-in connection, and a second connect is a no-op.
    ASSERT_TRUE(this->changeDir(this->folder).ok());
    QList<FtpEntry> entries;
    ASSERT_TRUE(this->list(QString(), entries).ok());
    ASSERT_TRUE(this->put(this->writeLocal("a.bin", "abc"), "a.bin").ok());
    ASSERT_TRUE(this->connect().ok());
    EXPECT_EQ(this->server.logins() - loginsBefore, 1);
    EXPECT_EQ(this->recorder->states, expected);
    EXPECT_FALSE(this->recorder->offGuiThread);

    ASSERT_TRUE(this->wait([&](auto done) { this->transport->disconnectFromHost(done); }).ok());
    EXPECT_EQ(this->recorder->states.mid(4),
              (QList<WinInetState>{WinInetState::wsDisconnecting, WinInetState::wsNone}));
    // A new connect after a disconnect logs in again.
    ASSERT_TRUE(this->connect().ok());
    EXPECT_EQ(this->server.logins() - loginsBefore, 2);
}

TYPED_TEST(FtpContract, FailedConnectsGiveTheirNumberAndEndWithoutAConnection)
{
    struct Case {
        const char* what;
        std::function<void(FtpConnectSettings&)> change;
        FtpError error;
        const char* replyHas;
    };
    const Case cases[] = {
        {"wrong password", [](FtpConnectSettings& s) { s.password += "x"; }, FtpError::IncorrectPassword, "530"},
        {"unknown user", [](FtpConnectSettings& s) { s.user = "nobody"; }, FtpError::IncorrectPassword, "530"},
        {"unknown host", [this](FtpConnectSettings& s) { s.host = this->server.unknownHost(); },
         FtpError::NameNotResolved, ""},
        {"nothing listens", [this](FtpConnectSettings& s) { s.port = this->server.closedPort(); },
         FtpError::CannotConnect, ""},
        {"nothing listens, retried", [this](FtpConnectSettings& s) {
             s.port = this->server.closedPort();
             s.connectRetries = 3;
         },
         FtpError::CannotConnect, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FtpConnectSettings settings = this->server.settings(false);
        c.change(settings);
        this->recorder->states.clear();
        const FtpResult result = this->connect(settings);
        EXPECT_EQ(result.error, c.error);
        EXPECT_TRUE(result.reply.contains(QLatin1String(c.replyHas))) << result.reply.toStdString();
        ASSERT_FALSE(this->recorder->states.isEmpty());
        EXPECT_EQ(this->recorder->states.last(), WinInetState::wsNone);
        EXPECT_EQ(this->transport->state(), WinInetState::wsNone);
        EXPECT_EQ(this->changeDir("/").error, FtpError::NotConnected);
    }
    // The same transport connects once the settings are right.
    EXPECT_TRUE(this->connect().ok());
}

TYPED_TEST(FtpContract, FoldersChangeRelativeAbsoluteAndBackWithBlanksAndNonAsciiNames)
{
    const QString deep = this->folder + QStringLiteral("/sub dir/Ünïcödé ørdner");
    this->server.makeFolder(deep);
    ASSERT_TRUE(this->connect().ok());
    EXPECT_EQ(this->printDir(), QStringLiteral("/"));
    struct Case {
        QString to;
        QString after;
    };
    const Case cases[] = {
        {this->folder, this->folder},
        {QStringLiteral("sub dir"), this->folder + "/sub dir"},
        {QStringLiteral("Ünïcödé ørdner/"), deep},
        {QStringLiteral(".."), this->folder + "/sub dir"},
        {QStringLiteral("../.."), QStringLiteral("/")},
        {deep + "/", deep},
        {QStringLiteral("/"), QStringLiteral("/")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to.toStdString());
        const FtpResult result = this->changeDir(c.to);
        EXPECT_TRUE(result.ok()) << result.reply.toStdString();
        EXPECT_EQ(this->printDir(), c.after);
    }
    // A folder that is not there: the server's refusal, and the current folder stays.
    ASSERT_TRUE(this->changeDir(this->folder).ok());
    const FtpResult missing = this->changeDir(QStringLiteral("missing"));
    EXPECT_EQ(missing.error, FtpError::ExtendedError);
    EXPECT_TRUE(missing.reply.startsWith(QLatin1String("550"))) << missing.reply.toStdString();
    EXPECT_EQ(this->printDir(), this->folder);
}

TYPED_TEST(FtpContract, ListingGivesNamesTypesAndSizes)
{
    this->server.makeFolder(this->folder + "/a folder");
    this->server.makeFile(this->folder + "/empty.txt", QByteArray());
    this->server.makeFile(this->folder + "/two words.mp3", pattern(12345, 1));
    this->server.makeFile(this->folder + "/ěpisodé 1.mp3", pattern(70000, 2));
    ASSERT_TRUE(this->connect().ok());
    QList<FtpEntry> entries;
    const FtpResult result = this->list(this->folder, entries);
    ASSERT_TRUE(result.ok()) << result.reply.toStdString();
    QMap<QString, std::pair<FtpEntryType, int64_t>> seen;
    for (const FtpEntry& e : entries)
        seen.insert(e.name, {e.type, e.type == FtpEntryType::File ? e.size : 0});
    const QMap<QString, std::pair<FtpEntryType, int64_t>> expected{
        {QStringLiteral("a folder"), {FtpEntryType::Folder, 0}},
        {QStringLiteral("empty.txt"), {FtpEntryType::File, 0}},
        {QStringLiteral("two words.mp3"), {FtpEntryType::File, 12345}},
        {QStringLiteral("ěpisodé 1.mp3"), {FtpEntryType::File, 70000}},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(entries.size(), expected.size());

    // The current folder by default, and a folder that is not there fails.
    ASSERT_TRUE(this->changeDir(this->folder + "/a folder").ok());
    ASSERT_TRUE(this->list(QString(), entries).ok());
    EXPECT_TRUE(entries.isEmpty());
    EXPECT_EQ(this->list(QStringLiteral("/no such folder"), entries).error, FtpError::ExtendedError);
}

TYPED_TEST(FtpContract, ListingOfThousandsOfEntries)
{
    constexpr int count = 3000;
    for (int i = 0; i < count; ++i)
        this->server.makeFile(this->folder + QStringLiteral("/file %1.mp3").arg(i), QByteArray(i % 7, 'x'));
    ASSERT_TRUE(this->connect().ok());
    QList<FtpEntry> entries;
    ASSERT_TRUE(this->list(this->folder, entries).ok());
    ASSERT_EQ(entries.size(), count);
    QSet<QString> names;
    for (const FtpEntry& e : entries) {
        names.insert(e.name);
        EXPECT_EQ(e.size, e.name.mid(5).chopped(4).toInt() % 7) << e.name.toStdString();
    }
    EXPECT_EQ(names.size(), count);
}

TYPED_TEST(FtpContract, PutsStoreTheBytesUnderTheRemoteNameWithProgress)
{
    struct Case {
        QString remote;
        qsizetype size;
    };
    const Case cases[] = {
        {QStringLiteral("plain.bin"), 0},
        {QStringLiteral("with blanks in it.mp3"), 200 * 1024 + 17},
        {QStringLiteral("Ünïcödé épisode.mp3"), 1000},
        {QStringLiteral("plain.bin"), 3 * 1024 * 1024 + 5}, // replaces the empty one
        {QStringLiteral("plain.bin"), 10},                  // and a shorter one replaces it
    };
    ASSERT_TRUE(this->connect().ok());
    ASSERT_TRUE(this->changeDir(this->folder).ok());
    char seed = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remote.toStdString());
        const QByteArray bytes = pattern(c.size, ++seed);
        const QString localPath = this->writeLocal("source.bin", bytes);
        this->recorder->progress.clear();
        const FtpResult result = this->put(localPath, c.remote);
        ASSERT_TRUE(result.ok()) << result.reply.toStdString();
        EXPECT_EQ(this->server.fileAt(this->folder + "/" + c.remote), std::optional<QByteArray>(bytes));
        ASSERT_FALSE(this->recorder->progress.isEmpty());
        int64_t last = -1;
        for (const FtpProgress& p : this->recorder->progress) {
            EXPECT_GE(p.bytesDone, last);
            EXPECT_LE(p.bytesDone, p.fileSize);
            EXPECT_EQ(p.fileSize, c.size);
            EXPECT_EQ(p.fileName, QStringLiteral("source.bin"));
            last = p.bytesDone;
        }
        EXPECT_EQ(last, c.size);
    }
    // An absolute remote path goes where it says, whatever the current folder.
    ASSERT_TRUE(this->changeDir("/").ok());
    const QString localPath = this->writeLocal("b.bin", "absolute");
    ASSERT_TRUE(this->put(localPath, this->folder + "/abs.bin").ok());
    EXPECT_EQ(this->server.fileAt(this->folder + "/abs.bin"), std::optional<QByteArray>("absolute"));
}

TYPED_TEST(FtpContract, FailedPutsAreFailuresAndLeaveTheLocalFileAlone)
{
    struct Case {
        const char* what;
        QString remote;
        qsizetype size;
        FtpError error;
        const char* replyHas;
        bool stillConnected;
    };
    const QString unique = this->folder.mid(1);
    const Case cases[] = {
        {"read-only folder", "/readonly/" + unique, 1000, FtpError::ExtendedError, "550", true},
        {"missing folder", this->folder + "/nowhere/a.bin", 1000, FtpError::ExtendedError, "550", true},
        {"disk full", "/full/" + unique, qsizetype(this->server.fullBytes) * 2, FtpError::ExtendedError, "426", true},
        {"server keeps less", "/short/" + unique, qsizetype(this->server.shortBytes) * 5,
         FtpError::ConnectionAborted, "holds", true},
        {"line break in the name", this->folder + "/a\r\nDELE x", 10, FtpError::ExtendedError, "501", true},
        {"connection dropped", "/drop/" + unique, qsizetype(this->server.dropBytes) * 8,
         FtpError::ConnectionAborted, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(this->connect().ok());
        const QString localPath = this->writeLocal("kept.bin", pattern(c.size, 9));
        const QByteArray before = sha(localPath);
        const FtpResult result = this->put(localPath, c.remote);
        EXPECT_EQ(result.error, c.error) << result.reply.toStdString();
        EXPECT_TRUE(result.reply.contains(QLatin1String(c.replyHas))) << result.reply.toStdString();
        EXPECT_EQ(sha(localPath), before);
        const std::optional<QByteArray> onServer = this->server.fileAt(c.remote);
        EXPECT_TRUE(!onServer || onServer->size() < c.size);
        // The connection stays usable after a refusal, and is closed when it dropped.
        EXPECT_EQ(this->changeDir("/").ok(), c.stillConnected);
        if (!c.stillConnected)
            EXPECT_EQ(this->transport->state(), WinInetState::wsNone);
    }
    EXPECT_EQ(this->server.fileAt(QStringLiteral("/readonly/kept.txt")), std::optional<QByteArray>("kept\n"));
}

TYPED_TEST(FtpContract, WithoutAConnectionOrALocalFileNothingIsSent)
{
    const QString localPath = this->writeLocal("a.bin", "abc");
    QList<FtpEntry> entries;
    EXPECT_EQ(this->put(localPath, this->folder + "/a.bin").error, FtpError::NotConnected);
    EXPECT_EQ(this->changeDir(this->folder).error, FtpError::NotConnected);
    EXPECT_EQ(this->list(this->folder, entries).error, FtpError::NotConnected);
    ASSERT_TRUE(this->connect().ok());
    EXPECT_EQ(this->put(this->local.filePath("missing.bin"), this->folder + "/m.bin").error,
              FtpError::LocalFileNotFound);
    EXPECT_EQ(this->put(this->local.path(), this->folder + "/folder.bin").error, FtpError::LocalFileNotFound);
    EXPECT_FALSE(this->server.fileAt(this->folder + "/a.bin"));
    EXPECT_FALSE(this->server.fileAt(this->folder + "/m.bin"));
    EXPECT_FALSE(this->server.fileAt(this->folder + "/folder.bin"));
}

TYPED_TEST(FtpContract, AbortStopsAPutMidFileAndDropsWhatWaits)
{
    ASSERT_TRUE(this->connect(this->server.settings(true)).ok());
    const QString localPath = this->writeLocal("big.bin", pattern(8 * 1024 * 1024, 3));
    const QByteArray before = sha(localPath);
    const QString remote = this->folder + "/big.bin";
    std::optional<FtpResult> putResult;
    std::optional<FtpResult> queuedResult;
    this->transport->putFile(localPath, remote, [&](const FtpResult& r) { putResult = r; });
    this->transport->changeDir("/", [&](const FtpResult& r) { queuedResult = r; });
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return !this->recorder->progress.isEmpty() && this->recorder->progress.last().bytesDone > 0;
    }, 20000));
    EXPECT_TRUE(this->transport->busy());

    this->transport->abort();
    ASSERT_TRUE(QTest::qWaitFor([&] { return putResult && queuedResult; }, 5000));
    EXPECT_EQ(putResult->error, FtpError::OperationCancelled);
    EXPECT_EQ(queuedResult->error, FtpError::OperationCancelled);
    EXPECT_FALSE(this->transport->busy());
    EXPECT_EQ(this->transport->state(), WinInetState::wsNone);
    EXPECT_EQ(sha(localPath), before);

    // The transfer really stopped: what the server holds no longer grows, and is short.
    const qsizetype held = this->server.fileAt(remote).value_or(QByteArray()).size();
    QTest::qWait(400);
    const qsizetype later = this->server.fileAt(remote).value_or(QByteArray()).size();
    EXPECT_EQ(later, held);
    EXPECT_LT(later, 8 * 1024 * 1024);

    // The transport connects and works again after an abort.
    ASSERT_TRUE(this->connect().ok());
    EXPECT_TRUE(this->put(this->writeLocal("small.bin", "after"), this->folder + "/small.bin").ok());
}

TYPED_TEST(FtpContract, DestroyingTheTransportMidPutCallsNothingBack)
{
    ASSERT_TRUE(this->connect(this->server.settings(true)).ok());
    const QString localPath = this->writeLocal("big.bin", pattern(8 * 1024 * 1024, 4));
    bool called = false;
    this->transport->putFile(localPath, this->folder + "/big.bin", [&](const FtpResult&) { called = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !this->recorder->progress.isEmpty(); }, 20000));
    this->recorder.reset();
    this->transport.reset();
    QTest::qWait(100);
    EXPECT_FALSE(called);
}

} // namespace
