#include "FtpServers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>

namespace podcast::test {

FakeServer::FakeServer()
{
    fullBytes = 256 * 1024;
    shortBytes = 1000;
    dropBytes = 128 * 1024;
    auto lock = server->lock();
    server->folders = {QStringLiteral("/"), QStringLiteral("/readonly"), QStringLiteral("/full"),
                       QStringLiteral("/short"), QStringLiteral("/drop")};
    server->files.insert(QStringLiteral("/readonly/kept.txt"), QByteArray("kept\n"));
    server->readOnlyFolders.insert(QStringLiteral("/readonly"));
    server->fullFolders.insert(QStringLiteral("/full"), fullBytes);
    server->shortFolders.insert(QStringLiteral("/short"), shortBytes);
    server->dropFolders.insert(QStringLiteral("/drop"), dropBytes);
}

FtpConnectSettings FakeServer::settings(bool slow) const
{
    auto lock = server->lock();
    FtpConnectSettings s;
    s.host = server->host;
    s.port = slow ? server->slowPort : server->port;
    s.user = server->user;
    s.password = server->password;
    s.connectTimeoutMs = 5000;
    s.connectRetries = 1;
    return s;
}

std::unique_ptr<FtpEngine> FakeServer::engine() const
{
    return std::make_unique<FakeFtpEngine>(server);
}

std::optional<QByteArray> FakeServer::fileAt(const QString& path) const
{
    auto lock = server->lock();
    if (!server->files.contains(path))
        return std::nullopt;
    return server->files.value(path);
}

void FakeServer::makeFolder(const QString& path)
{
    auto lock = server->lock();
    QString at;
    for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
        at += u'/' + part;
        server->folders.insert(at);
    }
}

void FakeServer::makeFile(const QString& path, const QByteArray& bytes)
{
    auto lock = server->lock();
    server->files.insert(path, bytes);
}

int FakeServer::logins() const
{
    auto lock = server->lock();
    return server->connects;
}

RealServer::RealServer()
{
    const QString envFile = qEnvironmentVariable("VA_FTP_SERVER");
    if (envFile.isEmpty()) {
        m_why = QStringLiteral("VA_FTP_SERVER is not set: the FTP fixture did not run");
        return;
    }
    QFile file(envFile);
    if (!file.open(QIODevice::ReadOnly)) {
        m_why = QStringLiteral("cannot read %1").arg(envFile);
        return;
    }
    QString home;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArray key = line.left(equals);
        const QString value = QString::fromUtf8(line.mid(equals + 1));
        if (key == "host")
            m_host = value;
        else if (key == "port")
            m_port = value.toInt();
        else if (key == "slow_port")
            m_slowPort = value.toInt();
        else if (key == "user")
            m_user = value;
        else if (key == "password")
            m_password = value;
        else if (key == "home")
            home = value;
        else if (key == "full_bytes")
            fullBytes = value.toLongLong();
        else if (key == "short_bytes")
            shortBytes = value.toLongLong();
        else if (key == "drop_bytes")
            dropBytes = value.toLongLong();
    }
    m_log = QFileInfo(envFile).dir().filePath(QStringLiteral("server.log"));
    m_home = home;
    if (m_home.isEmpty())
        m_why = QStringLiteral("%1 names no home").arg(envFile);
}

FtpConnectSettings RealServer::settings(bool slow) const
{
    FtpConnectSettings s;
    s.host = m_host;
    s.port = slow ? m_slowPort : m_port;
    s.user = m_user;
    s.password = m_password;
    s.connectTimeoutMs = 5000;
    s.connectRetries = 1;
    return s;
}

std::unique_ptr<FtpEngine> RealServer::engine() const
{
    return makeCurlFtpEngine();
}

std::optional<QByteArray> RealServer::fileAt(const QString& path) const
{
    QFile file(localPath(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

void RealServer::makeFolder(const QString& path)
{
    QDir().mkpath(localPath(path));
}

void RealServer::makeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(localPath(path));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

int RealServer::logins() const
{
    QFile file(m_log);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return int(file.readAll().count("' logged in."));
}

int RealServer::closedPort() const
{
    // A port that was just free: nothing listens there once the probe is closed.
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 1;
    return probe.serverPort();
}

} // namespace podcast::test
