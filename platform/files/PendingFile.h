#pragma once
// A new version of a file, written beside it under a temporary name and put in its place only when
// complete: readers, the other program and a crash see either the old file or the whole new one,
// and a failure or a cancel leaves the old file (or no file) as it was.

#include <QString>

namespace platform {

class PendingFile {
public:
    // target: the file to be replaced or created; a symbolic link is followed to the real file.
    explicit PendingFile(const QString& target);
    // Removes the temporary file unless it was committed.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // False when no temporary file could be created (errorText() says why).
    bool isValid() const { return !m_path.isEmpty(); }
    // Where the new content is written: an empty file, hidden, in the target's folder.
    const QString& path() const { return m_path; }
    const QString& target() const { return m_target; }
    const QString& errorText() const { return m_error; }

    // Durable: the new content reaches the disk before it takes the target's place, so a crash
    // leaves the old file or the whole new one. Scratch: for the programs' own working files, which
    // a crash makes worthless anyway; the user's files stay untouched, so the flush only costs time.
    enum class Durability { Durable, Scratch };
    // Gives the new file the old one's permissions (a new file keeps the default ones), flushes it
    // to the disk unless it is scratch, and renames it over the target. False, with the old file
    // untouched, on failure.
    bool commit(Durability durability = Durability::Durable);
    // Drops the new content now.
    void discard();

private:
    QString m_target;
    QString m_path;
    QString m_error;
    bool m_committed = false;
};

} // namespace platform
