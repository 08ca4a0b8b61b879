#pragma once
// Unique temporary files: prefix + a unique part + ".tmp" in a folder, created exclusively (never
// an existing file), empty, and left for the caller to fill, rename or delete.

#include <QString>

namespace platform {

// The full path of the new empty file, or an empty string when none could be created (*error then
// says why). The folder is used as given; a trailing separator is optional.
QString createTempFile(const QString& folder, const QString& prefix, QString* error = nullptr);

} // namespace platform
