#include "platform/files/PendingFile.h"

#include "platform/files/FileIo.h"
#include "platform/base/Log.h"
#include "platform/files/TempName.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

PendingFile::PendingFile(const QString& target)
{
    const QFileInfo info(target);
    // Replace the file a link points to, not the link.
    m_target = info.isSymLink() ? info.canonicalFilePath() : info.absoluteFilePath();
    if (m_target.isEmpty()) {
        m_error = QStringLiteral("the link %1 points to nothing").arg(target);
        return;
    }
    const QFileInfo real(m_target);
    m_path = createTempFile(real.absolutePath(), QLatin1Char('.') + real.fileName() + QLatin1Char('.'), &m_error);
}

PendingFile::~PendingFile()
{
    discard();
}

void PendingFile::discard()
{
    if (!m_committed && !m_path.isEmpty())
        QFile::remove(m_path);
    m_path.clear();
}

bool PendingFile::commit(Durability durability)
{
    if (m_path.isEmpty() || m_committed)
        return false;
    const QByteArray temp = QFile::encodeName(m_path);
    const QByteArray target = QFile::encodeName(m_target);
    struct stat old;
    if (::stat(target.constData(), &old) == 0 && ::chmod(temp.constData(), old.st_mode & 07777) != 0) {
        m_error = QStringLiteral("cannot set the permissions of %1: %2").arg(m_path, systemErrorText(errno));
    } else {
        bool synced = true;
        if (durability == Durability::Durable) {
            const int fd = ::open(temp.constData(), O_RDONLY | O_CLOEXEC);
            synced = fd >= 0 && ::fsync(fd) == 0;
            if (fd >= 0)
                ::close(fd);
        }
        if (!synced)
            m_error = QStringLiteral("cannot write %1 to the disk: %2").arg(m_path, systemErrorText(errno));
        else if (std::rename(temp.constData(), target.constData()) != 0)
            m_error = QStringLiteral("cannot put %1 in place of %2: %3").arg(m_path, m_target, systemErrorText(errno));
        else
            m_committed = true;
    }
    if (!m_committed)
        qCWarning(lcPlatform).noquote() << m_error;
    return m_committed;
}

} // namespace platform
