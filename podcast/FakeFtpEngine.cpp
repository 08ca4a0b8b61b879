#include "podcast/FakeFtpEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <thread>

namespace podcast {

QString FakeFtpEngine::absolute(const QString& path) const
{
    const QString joined = path.startsWith(u'/') ? path : m_cwd + u'/' + path;
    QString clean = QDir::cleanPath(joined);
    if (clean.size() > 1 && clean.endsWith(u'/'))
        clean.chop(1);
    return clean.isEmpty() ? QStringLiteral("/") : clean;
}

FtpResult FakeFtpEngine::fail(FtpError error, const QString& reply)
{
    return FtpResult{error, reply};
}

FtpResult FakeFtpEngine::connect(const FtpConnectSettings& settings)
{
    if (m_connected)
        return {};
    QString host;
    int port = 0;
    int slowPort = 0;
    QString user;
    QString password;
    QString home;
    {
        auto lock = m_server->lock();
        host = m_server->host;
        port = m_server->port;
        slowPort = m_server->slowPort;
        user = m_server->user;
        password = m_server->password;
        home = m_server->home;
    }
    reportState(WinInetState::wsResolving);
    if (settings.host != host) {
        reportState(WinInetState::wsNone);
        return fail(FtpError::NameNotResolved, QString());
    }
    reportState(WinInetState::wsResolved);
    reportState(WinInetState::wsConnecting);
    if (settings.port != port && settings.port != slowPort) {
        reportState(WinInetState::wsNone);
        return fail(FtpError::CannotConnect, QString());
    }
    if (settings.user != user || settings.password != password) {
        reportState(WinInetState::wsNone);
        return fail(FtpError::IncorrectPassword, QStringLiteral("530 Authentication failed."));
    }
    {
        auto lock = m_server->lock();
        ++m_server->connects;
    }
    m_connected = true;
    m_slow = settings.port == slowPort;
    m_cwd = home;
    reportState(WinInetState::wsConnected);
    return FtpResult{FtpError::Ok, QStringLiteral("230 Login successful.")};
}

FtpResult FakeFtpEngine::changeDir(const QString& dir)
{
    if (!m_connected)
        return fail(FtpError::NotConnected, QString());
    const QString target = absolute(dir);
    auto lock = m_server->lock();
    if (!m_server->folders.contains(target))
        return fail(FtpError::ExtendedError, QStringLiteral("550 No such file or directory."));
    m_cwd = target;
    return FtpResult{FtpError::Ok, QStringLiteral("250 \"%1\" is the current directory.").arg(target)};
}

FtpResult FakeFtpEngine::printDir(QString& dir)
{
    if (!m_connected)
        return fail(FtpError::NotConnected, QString());
    dir = m_cwd;
    return FtpResult{FtpError::Ok, QStringLiteral("257 \"%1\" is the current directory.").arg(m_cwd)};
}

FtpResult FakeFtpEngine::list(const QString& folder, QList<FtpEntry>& entries)
{
    entries.clear();
    if (!m_connected)
        return fail(FtpError::NotConnected, QString());
    const QString target = folder.isEmpty() ? m_cwd : absolute(folder);
    auto lock = m_server->lock();
    if (!m_server->folders.contains(target))
        return fail(FtpError::ExtendedError, QStringLiteral("550 No such file or directory."));
    const QString prefix = target == u"/" ? target : target + u'/';
    for (const QString& path : std::as_const(m_server->folders)) {
        if (path.startsWith(prefix) && path.size() > prefix.size() && !path.mid(prefix.size()).contains(u'/'))
            entries.append(FtpEntry{path.mid(prefix.size()), FtpEntryType::Folder, 0});
    }
    for (auto it = m_server->files.cbegin(); it != m_server->files.cend(); ++it) {
        if (it.key().startsWith(prefix) && !it.key().mid(prefix.size()).contains(u'/'))
            entries.append(FtpEntry{it.key().mid(prefix.size()), FtpEntryType::File, it.value().size()});
    }
    return FtpResult{FtpError::Ok, QStringLiteral("226 Transfer complete.")};
}

FtpResult FakeFtpEngine::putFile(const QString& localPath, const QString& remotePath)
{
    if (!m_connected)
        return fail(FtpError::NotConnected, QString());
    if (remotePath.contains(u'\r') || remotePath.contains(u'\n') || remotePath.contains(QChar(0)))
        return fail(FtpError::ExtendedError, QStringLiteral("501 Line breaks are not allowed in a remote name."));
    QFile local(localPath);
    if (!QFileInfo(localPath).isFile() || !local.open(QIODevice::ReadOnly))
        return fail(FtpError::LocalFileNotFound, local.errorString());
    const QString target = absolute(remotePath);
    const QString folder = QFileInfo(target).path();
    FtpProgress progress{0, local.size(), QFileInfo(localPath).fileName()};
    int chunk = 0;
    const auto noLimit = int64_t(-1);
    int64_t full = noLimit;
    int64_t kept = noLimit;
    int64_t drop = noLimit;
    std::chrono::microseconds delay{0};
    {
        auto lock = m_server->lock();
        if (!m_server->folders.contains(folder) || m_server->readOnlyFolders.contains(folder))
            return fail(FtpError::ExtendedError, QStringLiteral("550 Not enough privileges."));
        chunk = std::max(1, m_server->putChunkBytes);
        delay = m_slow ? m_server->slowChunkDelay : std::chrono::microseconds(0);
        full = m_server->fullFolders.value(folder, noLimit);
        kept = m_server->shortFolders.value(folder, noLimit);
        drop = m_server->dropFolders.value(folder, noLimit);
        m_server->files.insert(target, QByteArray());
    }
    reportProgress(progress);
    int64_t sent = 0;
    while (!local.atEnd()) {
        if (abortRequested())
            return fail(FtpError::OperationCancelled, QString());
        QByteArray bytes = local.read(chunk);
        if (bytes.isEmpty())
            return fail(FtpError::LocalFileNotFound, local.errorString());
        if (delay.count() > 0)
            std::this_thread::sleep_for(delay);
        auto lock = m_server->lock();
        QByteArray& stored = m_server->files[target];
        if (drop != noLimit && sent + bytes.size() >= drop) {
            stored.append(bytes.left(qsizetype(drop - sent)));
            m_server->bytesReceived += drop - sent;
            lock.unlock();
            m_connected = false;
            reportState(WinInetState::wsNone);
            return fail(FtpError::ConnectionAborted, QString());
        }
        if (full != noLimit && stored.size() + bytes.size() > full)
            return fail(FtpError::ExtendedError, QStringLiteral("426 No space left on device; transfer aborted."));
        sent += bytes.size();
        m_server->bytesReceived += bytes.size();
        if (kept != noLimit)
            bytes.truncate(qsizetype(std::max<int64_t>(0, std::min<int64_t>(bytes.size(), kept - stored.size()))));
        stored.append(bytes);
        progress.bytesDone = sent;
        lock.unlock();
        reportProgress(progress);
    }
    qsizetype held = 0;
    {
        auto lock = m_server->lock();
        held = m_server->files.value(target).size();
    }
    if (held != progress.fileSize) {
        return fail(FtpError::ConnectionAborted, QStringLiteral("The server holds %1 of the %2 bytes of %3.")
                                                     .arg(held)
                                                     .arg(progress.fileSize)
                                                     .arg(target));
    }
    return FtpResult{FtpError::Ok, QStringLiteral("226 Transfer complete.")};
}

void FakeFtpEngine::disconnect()
{
    if (!m_connected)
        return;
    reportState(WinInetState::wsDisconnecting);
    m_connected = false;
    reportState(WinInetState::wsNone);
}

} // namespace podcast
