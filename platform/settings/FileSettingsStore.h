#pragma once
// The settings store of the current user, kept in one JSON file (see SettingsTree for its form)
// that the recorder and the editor share:
// - a write takes a lock file beside the file, reads the file again when it changed, applies its
//   one change and replaces the file atomically, so two processes never lose each other's values;
// - reads use the content read last, refreshed when the file changed on disk;
// - a file that is not a settings document reads as empty (logged); before the first write over
//   it, it is moved aside to "<name>.corrupt" (or "<name>.corrupt.N" when that exists);
// - a file that cannot be read makes reads fail and is never written over; a folder that cannot
//   be made or written makes writes fail (logged).
#include "platform/files/FileSnapshot.h"
#include "platform/settings/SettingsStore.h"
#include "platform/settings/SettingsTree.h"

#include <QMutex>
#include <QString>

#include <functional>
#include <memory>

namespace platform {

class FileSettingsStore final : public SettingsStore {
public:
    static constexpr qint64 maxFileSize = 64 * 1024 * 1024;

    explicit FileSettingsStore(QString path);

    // "<user config folder>/vexal-audio/registry.json".
    static QString currentUserPath();
    static std::unique_ptr<FileSettingsStore> currentUser();

    QString path() const;

    bool keyExists(const QString& key) const override;
    bool createKey(const QString& key) override;
    bool deleteKey(const QString& key) override;
    QStringList subKeyNames(const QString& key) const override;
    QStringList valueNames(const QString& key) const override;
    bool valueExists(const QString& key, const QString& name) const override;
    bool deleteValue(const QString& key, const QString& name) override;
    SettingsRead<SettingsValue> readValue(const QString& key, const QString& name) const override;
    bool writeValue(const QString& key, const QString& name, const SettingsValue& value) override;

private:
    // Brings m_tree up to date with the file; false when the file cannot be read. The caller
    // holds m_mutex.
    bool refresh() const;
    // Applies one change (which returns whether it changed anything) under the file lock.
    bool change(const QString& what, const std::function<bool(SettingsTree&)>& apply);
    bool moveCorruptFileAside();

    mutable QMutex m_mutex;
    mutable FileSnapshot m_snapshot;
    mutable SettingsTree m_tree;
    mutable bool m_corrupt = false;
};

} // namespace platform
