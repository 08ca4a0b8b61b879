#include "platform/messaging/EndpointFolder.h"

#include "platform/files/FileIo.h"
#include "platform/base/Log.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>
#include <optional>
#include <tuple>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

const QLatin1String kLockSuffix(".lock");
const QLatin1Char kSeparator('~');

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

struct EndpointName {
    QString className; // escaped
    quint64 time = 0;
    quint64 pid = 0;
    quint64 serial = 0;

    auto order() const { return std::tie(time, pid, serial); }
};

std::optional<EndpointName> parseName(const QString& name)
{
    const QStringList parts = name.split(kSeparator);
    if (parts.size() != 4 || parts[0].isEmpty())
        return std::nullopt;
    EndpointName parsed;
    bool timeOk = false, pidOk = false, serialOk = false;
    parsed.className = parts[0];
    parsed.time = parts[1].toULongLong(&timeOk, 16);
    parsed.pid = parts[2].toULongLong(&pidOk, 10);
    parsed.serial = parts[3].toULongLong(&serialOk, 10);
    if (!timeOk || !pidOk || !serialOk)
        return std::nullopt;
    return parsed;
}

// The names in the folder that look like endpoints (sockets and locks alike, without ".lock").
QStringList endpointNames(const QString& folder)
{
    QSet<QString> names;
    DIR* dir = ::opendir(encoded(folder).constData());
    if (!dir)
        return {};
    while (const dirent* entry = ::readdir(dir)) {
        QString name = QFile::decodeName(entry->d_name);
        if (name.endsWith(kLockSuffix))
            name.chop(kLockSuffix.size());
        if (parseName(name))
            names.insert(name);
    }
    ::closedir(dir);
    return names.values();
}

// The class part of an endpoint's name. A long class name is replaced by a digest, so that the
// socket path stays within a socket address; '#' never stands in an escaped name.
QString classKey(const QString& className)
{
    const QString escaped = EndpointFolder::escape(className.toLower());
    if (escaped.size() <= 48)
        return escaped;
    return QLatin1Char('#')
           + QString::fromLatin1(QCryptographicHash::hash(className.toLower().toUtf8(), QCryptographicHash::Sha256)
                                     .toHex()
                                     .left(32));
}

quint64 nowNanoseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return quint64(now.tv_sec) * 1000000000u + quint64(now.tv_nsec);
}

} // namespace

EndpointFolder::EndpointFolder(QString path)
    : m_path(std::move(path))
{
}

QString EndpointFolder::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/va-windows");
}

bool EndpointFolder::ensureExists() const
{
    const QByteArray path = encoded(m_path);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        qCWarning(lcPlatform).noquote() << "cannot create the window folder" << m_path << ":" << systemErrorText(errno);
        return false;
    }
    struct stat info{};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
        qCWarning(lcPlatform).noquote() << "the window folder" << m_path << "is not a folder of this user";
        return false;
    }
    if ((info.st_mode & 0077) != 0 && ::chmod(path.constData(), 0700) != 0) {
        qCWarning(lcPlatform).noquote() << "cannot make the window folder" << m_path << "private:" << systemErrorText(errno);
        return false;
    }
    return true;
}

QString EndpointFolder::escape(const QString& name)
{
    QString escaped;
    for (const char byte : name.toUtf8()) {
        const auto c = uchar(byte);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-')
            escaped += QLatin1Char(char(c));
        else
            escaped += QStringLiteral("%%1").arg(c, 2, 16, QLatin1Char('0')).toUpper();
    }
    return escaped;
}

bool EndpointFolder::keepIfAlive(const QString& socketPath) const
{
    const QByteArray socket = encoded(socketPath);
    const QByteArray lock = encoded(socketPath + kLockSuffix);
    const int fd = ::open(lock.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        // A socket without its lock belongs to nobody: a window takes its lock before it listens.
        if (errno == ENOENT)
            ::unlink(socket.constData());
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return true;
    }
    qCInfo(lcPlatform).noquote() << "removing the endpoint of a window whose process has ended:" << socketPath;
    ::unlink(socket.constData());
    ::unlink(lock.constData());
    ::close(fd);
    return false;
}

QStringList EndpointFolder::liveEndpoints(const QString& className) const
{
    const QString wanted = classKey(className);
    std::vector<std::pair<EndpointName, QString>> found;
    for (const QString& name : endpointNames(m_path)) {
        std::optional<EndpointName> parsed = parseName(name);
        if (parsed->className != wanted)
            continue;
        const QString socketPath = m_path + QLatin1Char('/') + name;
        if (keepIfAlive(socketPath))
            found.emplace_back(*parsed, socketPath);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first.order() < b.first.order(); });
    QStringList paths;
    for (const auto& entry : found)
        paths << entry.second;
    return paths;
}

void EndpointFolder::removeDead() const
{
    for (const QString& name : endpointNames(m_path))
        keepIfAlive(m_path + QLatin1Char('/') + name);
}

EndpointFolder::NewEndpoint EndpointFolder::createEndpoint(const QString& className) const
{
    static std::atomic<quint64> serial{0};
    const QString prefix = m_path + QLatin1Char('/') + classKey(className) + kSeparator;
    for (int attempt = 0; attempt < 16; ++attempt) {
        NewEndpoint endpoint;
        endpoint.socketPath = prefix + QString::number(nowNanoseconds(), 16) + kSeparator
                              + QString::number(::getpid()) + kSeparator + QString::number(serial++);
        endpoint.lockPath = endpoint.socketPath + kLockSuffix;
        if (encoded(endpoint.socketPath).size() >= qsizetype(sizeof(sockaddr_un::sun_path))) {
            qCWarning(lcPlatform).noquote() << "the window socket path is too long for a socket address:"
                                            << endpoint.socketPath;
            return {};
        }
        const QByteArray lock = encoded(endpoint.lockPath);
        const int fd = ::open(lock.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            qCWarning(lcPlatform).noquote() << "cannot create the window lock" << endpoint.lockPath << ":"
                                            << systemErrorText(errno);
            return {};
        }
        // Between the creation and the lock, a lookup may have taken the unlocked file for a dead
        // window's and removed it; then the lock holds a file without a name, and a new name is tried.
        struct stat held{}, named{};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && ::stat(lock.constData(), &named) == 0
            && held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            endpoint.lockFd = fd;
            return endpoint;
        }
        ::close(fd);
    }
    qCWarning(lcPlatform).noquote() << "cannot take a window lock in" << m_path;
    return {};
}

void EndpointFolder::release(NewEndpoint& endpoint)
{
    if (endpoint.lockFd < 0)
        return;
    ::unlink(encoded(endpoint.lockPath).constData());
    ::close(endpoint.lockFd);
    endpoint.lockFd = -1;
}

} // namespace platform
