#pragma once
// The program folder: the folder of the running executable, where both programs, their data files
// (templates, host files, help pages), the encoder library and the effect modules live together.

#include <QString>

namespace platform {

// Without a trailing separator.
QString programFolder();
// programFolder() + "/" + name.
QString programFile(const QString& name);

// Tests point the program folder elsewhere while one of these lives.
class ProgramFolderOverride {
public:
    explicit ProgramFolderOverride(const QString& folder);
    ~ProgramFolderOverride();
    ProgramFolderOverride(const ProgramFolderOverride&) = delete;
    ProgramFolderOverride& operator=(const ProgramFolderOverride&) = delete;

private:
    QString m_previous;
};

} // namespace platform
