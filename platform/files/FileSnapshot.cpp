#include "platform/files/FileSnapshot.h"

#include <QFile>

#include <sys/stat.h>

#include <ctime>
#include <utility>

namespace platform {

namespace {

// Coarser than any time stamp granularity of the file systems a user folder may live on.
constexpr std::int64_t racyWindowNs = 2'000'000'000;

std::int64_t nanoseconds(const timespec& time)
{
    return std::int64_t(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileStamp fromStat(const struct stat& info)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.regular = S_ISREG(info.st_mode);
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = nanoseconds(info.st_mtim);
    stamp.changedNs = nanoseconds(info.st_ctim);
    return stamp;
}

std::int64_t nowNs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return nanoseconds(now);
}

} // namespace

FileStamp FileStamp::ofPath(const QString& path)
{
    struct stat info{};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return fromStat(info);
}

FileStamp FileStamp::ofDescriptor(int descriptor)
{
    struct stat info{};
    if (::fstat(descriptor, &info) != 0)
        return {};
    return fromStat(info);
}

bool FileStamp::isRecent(std::int64_t now) const
{
    return exists && (now - modifiedNs < racyWindowNs || now - changedNs < racyWindowNs);
}

FileSnapshot::FileSnapshot(QString path, qint64 maxSize)
    : m_path(std::move(path))
    , m_maxSize(maxSize)
{
}

bool FileSnapshot::refresh()
{
    if (m_state != State::Unknown && !m_recent && FileStamp::ofPath(m_path) == m_stamp)
        return false;

    State state = State::Present;
    QByteArray bytes;
    FileStamp stamp;
    QString errorText;
    QFile file(m_path);
    const FileStamp before = FileStamp::ofPath(m_path);
    if (before.exists && !before.regular) {
        // Opening a pipe for reading would wait for a writer.
        state = State::Unreadable;
        stamp = before;
        errorText = QStringLiteral("not a regular file");
    } else if (!file.open(QIODevice::ReadOnly)) {
        stamp = FileStamp::ofPath(m_path);
        state = stamp.exists ? State::Unreadable : State::Missing;
        if (stamp.exists)
            errorText = file.errorString();
    } else {
        // The stamp of the open file belongs to exactly the bytes read below.
        stamp = FileStamp::ofDescriptor(file.handle());
        if (!stamp.exists || !stamp.regular) {
            state = State::Unreadable;
            errorText = QStringLiteral("not a regular file");
        } else if (stamp.size > m_maxSize) {
            state = State::TooLarge;
        } else {
            bytes = file.readAll();
            if (file.error() != QFileDevice::NoError) {
                state = State::Unreadable;
                errorText = file.errorString();
                bytes.clear();
            } else if (bytes.size() > m_maxSize) {
                state = State::TooLarge;
                bytes.clear();
            }
        }
    }

    const bool changed = state != m_state || bytes != m_bytes;
    m_state = state;
    m_bytes = std::move(bytes);
    m_stamp = stamp;
    m_recent = stamp.isRecent(nowNs());
    m_errorText = errorText;
    return changed;
}

void FileSnapshot::assume(const QByteArray& bytes)
{
    m_state = State::Present;
    m_bytes = bytes;
    m_stamp = FileStamp::ofPath(m_path);
    // Someone else may have written in the same time stamp tick; look at the bytes next time.
    m_recent = true;
    m_errorText.clear();
}

} // namespace platform
