#pragma once
// The content of a settings store held in memory, and its JSON form:
//   {"keys": {"Software\\Vexal Audio": {},
//             "Software\\Vexal Audio\\Settings": {"Temp Path": {"type": "string", "data": "/tmp/"},
//                                                 "Count": {"type": "integer", "data": 3},
//                                                 "Blob": {"type": "binary", "data": "<base64>"}}}}
// Every key is listed under its path (components joined by one backslash, each in the case of its
// creation), parents included, so that a key without values survives. The root holds no values.
#include "platform/settings/SettingsStore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace platform {

class SettingsTree {
public:
    // Paths are the components of SettingsStore::splitKeyPath. The editing calls return whether
    // anything changed.
    bool keyExists(const QStringList& path) const;
    bool createKey(const QStringList& path);
    bool deleteKey(const QStringList& path);
    QStringList subKeyNames(const QStringList& path) const;
    QStringList valueNames(const QStringList& path) const;
    SettingsRead<SettingsValue> value(const QStringList& path, const QString& name) const;
    // Creates the key when missing. The root cannot hold values: nothing changes.
    bool setValue(const QStringList& path, const QString& name, const SettingsValue& value);
    bool removeValue(const QStringList& path, const QString& name);

    QByteArray toJson() const;
    // Nothing when the bytes are not a settings document (errorText says why). Entries of a wrong
    // form inside a valid document are left out and logged.
    static std::optional<SettingsTree> fromJson(const QByteArray& bytes, QString* errorText);

private:
    struct NamedValue {
        QString name;
        SettingsValue value;
    };
    struct Key {
        QString path;
        std::map<QString, NamedValue> values; // by folded name
    };

    static QString foldedPath(const QStringList& path);

    std::map<QString, Key> m_keys; // by folded path; the root is not listed
};

} // namespace platform
