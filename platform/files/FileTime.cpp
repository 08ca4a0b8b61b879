#include "platform/files/FileTime.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

namespace {
constexpr int64_t kNsPerSecond = 1000000000;

void setError(int* errorNumber)
{
    if (errorNumber)
        *errorNumber = errno;
}

int64_t writeTimeNs(const struct stat& st)
{
    return int64_t(st.st_mtim.tv_sec) * kNsPerSecond + st.st_mtim.tv_nsec;
}
} // namespace

std::optional<int64_t> fileWriteTimeNs(const QString& path, int* errorNumber)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        setError(errorNumber);
        return std::nullopt;
    }
    return writeTimeNs(st);
}

std::optional<int64_t> descriptorWriteTimeNs(int fd, int* errorNumber)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        setError(errorNumber);
        return std::nullopt;
    }
    return writeTimeNs(st);
}

bool setFileWriteTimeNs(const QString& path, int64_t ns, int* errorNumber)
{
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = time_t(ns / kNsPerSecond);
    times[1].tv_nsec = long(ns % kNsPerSecond);
    if (times[1].tv_nsec < 0) {
        times[1].tv_nsec += kNsPerSecond;
        times[1].tv_sec -= 1;
    }
    if (::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) != 0) {
        setError(errorNumber);
        return false;
    }
    return true;
}

} // namespace platform
