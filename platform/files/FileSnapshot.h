#pragma once
// A cached copy of a small file that notices changes made by anyone (another object, another
// process) without reading the file on every access: the file's identity, size and nanosecond
// times are compared first, and the bytes only when those cannot be trusted.
#include <QByteArray>
#include <QString>

#include <cstdint>

namespace platform {

// What stat() tells about a file, enough to see that it was replaced or rewritten.
struct FileStamp {
    bool exists = false;
    bool regular = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;

    static FileStamp ofPath(const QString& path);
    static FileStamp ofDescriptor(int descriptor);
    // A write within the file system's time granularity after this stamp was taken could leave
    // the stamp unchanged, so a recent stamp says nothing about the content.
    bool isRecent(std::int64_t nowNs) const;

    bool operator==(const FileStamp&) const = default;
};

class FileSnapshot {
public:
    enum class State { Unknown, Missing, Present, Unreadable, TooLarge };

    FileSnapshot(QString path, qint64 maxSize);

    const QString& path() const { return m_path; }
    qint64 maxSize() const { return m_maxSize; }
    // Brings the copy up to date; true when the state or the bytes differ from before.
    bool refresh();
    // Records that we replaced the file with these bytes ourselves.
    void assume(const QByteArray& bytes);

    State state() const { return m_state; }
    const QByteArray& bytes() const { return m_bytes; }
    // Why the file could not be read (state Unreadable).
    const QString& errorText() const { return m_errorText; }

private:
    QString m_path;
    qint64 m_maxSize;
    State m_state = State::Unknown;
    QByteArray m_bytes;
    FileStamp m_stamp;
    bool m_recent = false;
    QString m_errorText;
};

} // namespace platform
