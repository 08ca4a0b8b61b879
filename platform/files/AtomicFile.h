#pragma once
// Replacing a file's content so that a reader (or a crash) sees either the old or the new file,
// never a part of it.
#include <QByteArray>
#include <QString>

namespace platform {

// Writes through a temporary file in the same folder and renames it over the file; the file's
// permissions are kept. Missing parent folders are created. On failure the old file is untouched
// and errorText (optional) says why.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* errorText = nullptr);

} // namespace platform
