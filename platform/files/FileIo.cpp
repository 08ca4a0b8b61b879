#include "platform/files/FileIo.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace platform {

int64_t readAt(int fd, void* buffer, int64_t count, int64_t offset)
{
    auto* p = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd, p + done, size_t(count - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

bool writeAt(int fd, const void* buffer, int64_t count, int64_t offset)
{
    const auto* p = static_cast<const char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::pwrite(fd, p + done, size_t(count - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

QString systemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace platform
