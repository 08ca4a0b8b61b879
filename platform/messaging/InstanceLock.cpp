#include "platform/messaging/InstanceLock.h"

#include "platform/messaging/EndpointFolder.h"
#include "platform/files/FileIo.h"
#include "platform/base/Log.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

InstanceLock::InstanceLock(const QString& folder, const QString& name)
{
    if (name.isEmpty() || !EndpointFolder(folder).ensureExists())
        return;
    const QString path = folder + QLatin1Char('/') + EndpointFolder::escape(name) + QStringLiteral(".instance");
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        qCWarning(lcPlatform).noquote() << "cannot open the instance lock" << path << ":"
                                        << systemErrorText(errno);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            m_state = InstanceState::Second;
        } else {
            qCWarning(lcPlatform).noquote() << "cannot lock the instance lock" << path << ":"
                                            << systemErrorText(error);
        }
        return;
    }
    // The holder writes its process id and clears it when it lets go; an id still there was left
    // by a process that ended without letting go.
    char previous[32] = {};
    const ssize_t read = ::pread(fd, previous, sizeof previous - 1, 0);
    if (read > 0) {
        bool ok = false;
        const qint64 pid = QByteArray(previous, read).trimmed().toLongLong(&ok);
        if (ok && pid > 0) {
            m_takenOverFrom = pid;
            qCInfo(lcPlatform).noquote() << "instance name" << name << "taken over from process" << pid
                                         << "which ended without releasing it";
        }
    }
    const QByteArray own = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, own.constData(), size_t(own.size()), 0) != own.size())
        qCWarning(lcPlatform).noquote() << "cannot note the holder in the instance lock" << path;
    m_fd = fd;
    m_state = InstanceState::First;
}

InstanceLock::~InstanceLock()
{
    if (m_fd < 0)
        return;
    if (::ftruncate(m_fd, 0) != 0)
        qCWarning(lcPlatform) << "cannot clear the holder of an instance lock";
    ::close(m_fd);
}

} // namespace platform
