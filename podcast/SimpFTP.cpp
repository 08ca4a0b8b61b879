#include "podcast/SimpFTP.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

namespace podcast {

QString AddRemoteSlash(const QString& s, TFTPFileSystemType type)
{
    if (type != TFTPFileSystemType::ftUnix || s.endsWith(u'/'))
        return s;
    return s + u'/';
}

QString AddLocalSlash(const QString& s)
{
    return s.endsWith(u'/') ? s : s + u'/';
}

QString StripTrailingSlash(const QString& s)
{
    if (s.size() <= 1)
        return s;
    return s.endsWith(u'/') || s.endsWith(u'\\') ? s.chopped(1) : s;
}

QString UrlDirPart(const QString& s)
{
    const qsizetype slash = s.lastIndexOf(u'/');
    return slash < 0 ? QString() : s.left(slash + 1);
}

qint64 GetLocalFileSize(const QString& name)
{
    QFile file(name);
    if (!QFileInfo(name).isFile() || !file.open(QIODevice::ReadOnly))
        return -1;
    return file.size();
}

int QuickProgressPercent(const FtpProgress& progress)
{
    if (progress.fileSize <= 0)
        return 0;
    const double done = double(std::clamp<int64_t>(progress.bytesDone, 0, progress.fileSize));
    return int(std::lround(done / double(progress.fileSize) * 100.0));
}

TSimpleFTP::TSimpleFTP(std::unique_ptr<FtpEngine> engine, QObject* parent)
    : TWinInetControl(std::move(engine), parent)
{
    setPort(21);
    connect(&transport(), &FtpTransport::progress, this, [this](const FtpProgress& progress) {
        m_progress = progress;
        if (!m_progress.fileName.isEmpty())
            emit OnTransferProgress(m_progress);
    });
}

void TSimpleFTP::setFileSystemType(TFTPFileSystemType type)
{
    if (State() != WinInetState::wsConnected)
        m_fileSystemType = type;
}

bool TSimpleFTP::Connect()
{
    if (State() == WinInetState::wsConnected) {
        if (!m_remoteDir.isEmpty())
            ChangeDir(m_remoteDir);
        emit OnConnected();
        return true;
    }
    if (OnLogin) {
        QString user = UserName();
        QString password = Password();
        OnLogin(user, password);
        setUserName(user);
        setPassword(password);
    }
    bool alive = true;
    const FtpConnectSettings settings = connectSettings();
    const FtpResult result = waitFor(
        [this, settings](FtpTransport::Done done) { transport().connectToHost(settings, std::move(done)); }, alive);
    if (!alive)
        return false;
    if (!result.ok()) {
        RaiseWinInetError(result);
        return false;
    }
    // The state arrives before the result; a connection that dropped meanwhile is not connected.
    if (State() != WinInetState::wsConnected)
        return false;
    m_greeting = result.reply;
    if (!m_remoteDir.isEmpty())
        ChangeDir(m_remoteDir);
    emit OnConnected();
    return true;
}

bool TSimpleFTP::Disconnect()
{
    return TWinInetControl::Disconnect();
}

QString TSimpleFTP::RemoteDir()
{
    if (State() != WinInetState::wsConnected)
        return m_remoteDir;
    bool alive = true;
    auto dir = std::make_shared<QString>();
    const FtpResult result = waitFor(
        [this, dir](FtpTransport::Done done) {
            transport().printDir([dir, done = std::move(done)](const FtpResult& r, const QString& d) {
                *dir = d;
                done(r);
            });
        },
        alive);
    return alive && result.ok() ? *dir : m_remoteDir;
}

bool TSimpleFTP::ChangeDir(const QString& dir)
{
    if (State() != WinInetState::wsConnected) {
        m_remoteDir = dir;
        return true;
    }
    bool alive = true;
    const QString target = StripTrailingSlash(dir);
    const FtpResult result = waitFor(
        [this, target](FtpTransport::Done done) { transport().changeDir(target, std::move(done)); }, alive);
    if (!alive)
        return false;
    if (!result.ok()) {
        noteFailure(result);
        return false;
    }
    m_remoteDir = dir;
    emit OnDirectoryChange();
    return true;
}

bool TSimpleFTP::PutFile(const QString& name)
{
    if (name.contains(u'/'))
        return PutFile(name, AddRemoteSlash(RemoteDir(), m_fileSystemType) + QFileInfo(name).fileName());
    return PutFile(AddLocalSlash(m_localDir) + name, AddRemoteSlash(RemoteDir(), m_fileSystemType) + name);
}

bool TSimpleFTP::PutFile(const QString& localFile, const QString& remoteFile)
{
    if (State() != WinInetState::wsConnected) {
        noteFailure(FtpResult{FtpError::NotConnected, QString()});
        return false;
    }
    const qint64 size = GetLocalFileSize(localFile);
    if (size < 0) {
        noteFailure(FtpResult{FtpError::LocalFileNotFound, QString()});
        return false;
    }
    m_progress = FtpProgress{0, size, QFileInfo(localFile).fileName()};
    bool alive = true;
    const FtpResult result = waitFor(
        [this, localFile, remoteFile](FtpTransport::Done done) {
            transport().putFile(localFile, remoteFile, std::move(done));
        },
        alive);
    if (!alive)
        return false;
    if (!result.ok())
        noteFailure(result);
    return result.ok();
}

int TSimpleFTP::List(const QString& mask, bool fullPaths)
{
    m_fileNames.clear();
    m_fileEntries.clear();
    return FindFiles(mask, true, fullPaths);
}

int TSimpleFTP::ListCurrentDir()
{
    return FindFiles(QString(), false, false);
}

int TSimpleFTP::FindFiles(const QString& mask, bool fillList, bool fullPaths)
{
    // The folder part of the mask is listed; its name part filters, as a wildcard where "*.*"
    // means every name.
    QString prefix;
    QString pattern;
    if (mask.contains(u'/')) {
        prefix = UrlDirPart(mask);
        pattern = mask.mid(prefix.size());
    } else {
        prefix = AddRemoteSlash(RemoteDir(), m_fileSystemType);
        pattern = mask;
    }
    if (pattern == u"*.*")
        pattern = QStringLiteral("*");
    const QRegularExpression match(pattern.isEmpty() ? QStringLiteral(".*")
                                                      : QRegularExpression::wildcardToRegularExpression(
                                                          pattern, QRegularExpression::UnanchoredWildcardConversion));
    const QRegularExpression anchored(QRegularExpression::anchoredPattern(match.pattern()));

    bool alive = true;
    auto entries = std::make_shared<QList<FtpEntry>>();
    const FtpResult result = waitFor(
        [this, prefix, entries](FtpTransport::Done done) {
            transport().list(prefix, [entries, done = std::move(done)](const FtpResult& r, const QList<FtpEntry>& e) {
                *entries = e;
                done(r);
            });
        },
        alive);
    if (!alive)
        return 0;
    if (!result.ok()) {
        noteFailure(result);
        return 0;
    }
    int count = 0;
    for (const FtpEntry& entry : std::as_const(*entries)) {
        if (!anchored.match(entry.name).hasMatch())
            continue;
        if (fillList) {
            m_fileNames.append(fullPaths ? prefix + entry.name : entry.name);
            m_fileEntries.append(entry);
        }
        ++count;
        emit OnFindItem(entry);
    }
    return count;
}

} // namespace podcast
