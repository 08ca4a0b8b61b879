#pragma once
// The two FTP servers the transport's contract runs on: the server in memory, and the tests' real
// server (tests/scripts/ftp-server.py, reached through the file VA_FTP_SERVER names). Both have the
// same folders: readonly/ (no writes), full/ (a file cannot grow past fullBytes), short/ (the server
// keeps shortBytes of a file and reports success), drop/ (the connection drops after dropBytes).

#include "podcast/FakeFtpEngine.h"
#include "podcast/FtpTransport.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace podcast::test {

class FtpServerUnderTest {
public:
    virtual ~FtpServerUnderTest() = default;
    // A good login; slow: through the port whose puts are slow.
    virtual FtpConnectSettings settings(bool slow = false) const = 0;
    virtual std::unique_ptr<FtpEngine> engine() const = 0;
    // The bytes of the file at the absolute remote path, or nothing when there is none.
    virtual std::optional<QByteArray> fileAt(const QString& path) const = 0;
    virtual void makeFolder(const QString& path) = 0;
    virtual void makeFile(const QString& path, const QByteArray& bytes) = 0;
    // Logins the server has accepted so far.
    virtual int logins() const = 0;
    // A host name that does not resolve and a port where nothing listens.
    virtual QString unknownHost() const = 0;
    virtual int closedPort() const = 0;

    int64_t fullBytes = 0;
    int64_t shortBytes = 0;
    int64_t dropBytes = 0;
};

class FakeServer : public FtpServerUnderTest {
public:
    FakeServer();
    FtpConnectSettings settings(bool slow) const override;
    std::unique_ptr<FtpEngine> engine() const override;
    std::optional<QByteArray> fileAt(const QString& path) const override;
    void makeFolder(const QString& path) override;
    void makeFile(const QString& path, const QByteArray& bytes) override;
    int logins() const override;
    QString unknownHost() const override { return QStringLiteral("no-such-host.invalid"); }
    int closedPort() const override { return 1; }

    std::shared_ptr<FakeFtpServer> server = std::make_shared<FakeFtpServer>();
};

// Skips the test (GTEST_SKIP) when VA_FTP_SERVER is not set: see ready().
class RealServer : public FtpServerUnderTest {
public:
    RealServer();
    bool ready() const { return !m_home.isEmpty(); }
    QString why() const { return m_why; }
    FtpConnectSettings settings(bool slow) const override;
    std::unique_ptr<FtpEngine> engine() const override;
    std::optional<QByteArray> fileAt(const QString& path) const override;
    void makeFolder(const QString& path) override;
    void makeFile(const QString& path, const QByteArray& bytes) override;
    int logins() const override;
    QString unknownHost() const override { return QStringLiteral("no-such-host.invalid"); }
    int closedPort() const override;
    QString localPath(const QString& remotePath) const { return m_home + remotePath; }

private:
    QString m_host;
    int m_port = 0;
    int m_slowPort = 0;
    QString m_user;
    QString m_password;
    QString m_home;
    QString m_log;
    QString m_why;
};

} // namespace podcast::test
