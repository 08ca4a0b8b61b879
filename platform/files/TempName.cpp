#include "platform/files/TempName.h"

#include "platform/files/FileIo.h"
#include "platform/base/Log.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

QString createTempFile(const QString& folder, const QString& prefix, QString* error)
{
    const QString base = QDir(folder).absolutePath() + QLatin1Char('/') + prefix;
    int lastErrno = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const quint32 unique = QRandomGenerator::global()->generate() & 0xFFFFFF;
        const QString path = base + QString::number(unique, 16).toUpper() + QStringLiteral(".tmp");
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        lastErrno = errno;
        if (lastErrno != EEXIST)
            break;
    }
    const QString why = QStringLiteral("cannot create a temporary file in %1: %2")
                            .arg(folder, systemErrorText(lastErrno));
    qCWarning(lcPlatform).noquote() << why;
    if (error)
        *error = why;
    return {};
}

} // namespace platform
