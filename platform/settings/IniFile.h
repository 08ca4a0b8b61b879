#pragma once
// One initialisation file on disk (project files, pad lists, host files), read and written with
// the rules of IniDocument. Stands in for the Windows profile functions.
//
// - A missing file reads as empty: every read gives its default. The first write creates the file
//   (and its folder) with CR LF line ends; an existing file keeps its line ends.
// - Every write re-reads the file when it changed, edits one line and replaces the file
//   atomically, keeping its permissions; a failed write returns false, is logged, and leaves the
//   file as it was.
// - The parsed file is kept between calls and read again only when it changed on disk, so reading
//   hundreds of keys one by one costs one parse; changes by another process are seen.
// - Files larger than maxFileSize, and files that cannot be read, read as empty and are never
//   written over.
//
// An object may be used from several threads; writes of all IniFile objects of the process are
// serialised, so two objects on one file do not lose each other's changes.
#include "platform/files/FileSnapshot.h"
#include "platform/settings/IniDocument.h"

#include <QMutex>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

namespace platform {

class IniFile {
public:
    enum class FileState { Missing, Readable, Unreadable };

    static constexpr qint64 maxFileSize = 16 * 1024 * 1024;

    explicit IniFile(QString path);
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    QString path() const;
    FileState fileState() const;

    QString readString(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    // The value as a whole integer (decimal, "$" or "0x" hexadecimal); anything else gives the default.
    qint32 readInteger(const QString& section, const QString& key, qint32 defaultValue) const;
    // readInteger(default ? 1 : 0) != 0.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    // A value holding CR or LF, an empty key or section, or a name that would read back as
    // something else is refused (false, logged).
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInteger(const QString& section, const QString& key, qint32 value);
    // Written as "1" or "0".
    bool writeBool(const QString& section, const QString& key, bool value);
    // Removes the first matching section with all its lines; a missing section is success.
    bool eraseSection(const QString& section);
    // A missing key is success.
    bool deleteKey(const QString& section, const QString& key);
    // Several values of one section in one replacement of the file: all are written or none.
    bool writeStrings(const QString& section, const QList<std::pair<QString, QString>>& values);

    QStringList sectionNames() const;
    QStringList keyNames(const QString& section) const;
    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;

private:
    // Brings m_document up to date with the file; the caller holds m_mutex.
    void refresh() const;
    bool edit(const QString& what, const std::function<IniDocument::Edit(IniDocument&)>& change);

    mutable QMutex m_mutex;
    mutable FileSnapshot m_snapshot;
    mutable IniDocument m_document;
};

} // namespace platform
