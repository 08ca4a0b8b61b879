#pragma once
// Whole-buffer file I/O at an offset, retrying interrupted and short transfers, and the text of a
// system error: one way to do both for every layer.

#include <QString>

#include <cstdint>

namespace platform {

// Reads count bytes at offset: the number read (fewer only at the end of the file), or -1 with
// errno set.
int64_t readAt(int fd, void* buffer, int64_t count, int64_t offset);

// Writes all count bytes at offset: true, or false with errno set (ENOSPC when the device took
// nothing).
bool writeAt(int fd, const void* buffer, int64_t count, int64_t offset);

// The system's text for an errno value.
QString systemErrorText(int error);

} // namespace platform
