#include "editor/Util.h"

#include "platform/base/Rounding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace editor {

namespace {

// centre x percent / 100, rounded halves to even as every "round" of the suite.
int64_t percentOf(int64_t centre, int64_t percent)
{
    return platform::divRoundHalfEven(centre * percent, 100);
}

} // namespace

bool ReadFileToString(const QString& path, QByteArray& bytes)
{
    bytes.clear();
    // A folder, pipe or device has no size to read; a pipe would block the caller.
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        bytes.clear();
        return false;
    }
    return !bytes.isEmpty();
}

bool FileExistsIn(const QString& name)
{
    return !name.isEmpty() && QFileInfo::exists(QDir::current().absoluteFilePath(name));
}

bool MoveFileOver(const QString& source, const QString& target)
{
    if (source.isEmpty() || target.isEmpty())
        return false;
    // A rename that replaces a file makes ext4 start writing the moved file's unwritten pages on
    // this thread, which for a working copy never flushed keeps the window waiting. An empty
    // target (a reserved name) holds nothing to lose, so it goes first and nothing is replaced.
    const QByteArray targetName = QFile::encodeName(target);
    struct stat moved {};
    struct stat replaced {};
    if (::stat(QFile::encodeName(source).constData(), &moved) == 0 && ::lstat(targetName.constData(), &replaced) == 0 &&
        S_ISREG(replaced.st_mode) && replaced.st_size == 0 &&
        (moved.st_dev != replaced.st_dev || moved.st_ino != replaced.st_ino))
        ::unlink(targetName.constData());
    return std::rename(QFile::encodeName(source).constData(), targetName.constData()) == 0;
}

QString ExpandLongPathName(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    if (absolute == QDir::rootPath())
        return absolute;
    return QFileInfo(absolute).isFile() ? absolute : QString();
}

QString ShortenPath(const QString& path, int maximum)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return path;
    const QString name = path.mid(slash + 1);
    const QString root = path.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    const QString shortest = root + QStringLiteral(".../");
    QString folder = path.left(slash + 1);
    while (folder.size() + name.size() > maximum && folder != shortest && folder != root) {
        QString rest = folder.mid(root.size());
        if (rest.startsWith(QLatin1String(".../")))
            rest.remove(0, 4);
        rest.remove(0, rest.indexOf(QLatin1Char('/')) + 1);
        folder = shortest + rest;
    }
    return folder + name;
}

int BalanceFromVolumes(int64_t left, int64_t right, int maximum, int minimum)
{
    // A negative volume is no volume; this also keeps the louder one, the divisor, above 0.
    left = std::max<int64_t>(left, 0);
    right = std::max<int64_t>(right, 0);
    const int64_t centre = (int64_t(maximum) - minimum) / 2;
    if (left == right)
        return int(centre);
    if (right < left)
        return int(centre - percentOf(centre, platform::divRoundHalfEven((left - right) * 100, left)));
    return int(centre + percentOf(centre, platform::divRoundHalfEven((right - left) * 100, right)));
}

void VolumesFromBalance(int position, int maximum, int minimum, int64_t& right, int64_t& left, int64_t volumeX,
                        int64_t volumeY)
{
    const int64_t loudest = std::max(volumeX, volumeY);
    const int64_t centre = (int64_t(maximum) - minimum) / 2;
    // A position outside the slider counts as its end.
    const int64_t percent =
        centre > 0 ? std::min<int64_t>(platform::divRoundHalfEven(std::abs(position - centre) * 100, centre), 100) : 0;
    right = loudest;
    left = loudest;
    if (percent == 0)
        return;
    const int64_t quieter = loudest - percentOf(loudest, percent);
    if (position > centre)
        left = quieter;
    else
        right = quieter;
}

} // namespace editor
