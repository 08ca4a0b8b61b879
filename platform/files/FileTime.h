#pragma once
// Last-write times of files in nanoseconds since the epoch, read with stat and set with utimensat.
// Qt's file-time calls work in milliseconds and would make two writes within a millisecond look
// equal, so they are not used for times that decide whether a cache is current.

#include <QString>

#include <cstdint>
#include <optional>

namespace platform {

// The file's last-write time, or nothing when it cannot be read (*errorNumber gets errno).
std::optional<int64_t> fileWriteTimeNs(const QString& path, int* errorNumber = nullptr);

// The same for an open file: the time of the very file that was opened, whatever its name points
// to by now.
std::optional<int64_t> descriptorWriteTimeNs(int fd, int* errorNumber = nullptr);

// Sets the last-write time (the access time is left as it is). False on failure, with errno.
bool setFileWriteTimeNs(const QString& path, int64_t ns, int* errorNumber = nullptr);

} // namespace platform
