#pragma once
// The per-user settings store, in place of the registry under the current user: a tree of keys
// named by backslash-separated paths ("\Software\Vexal Audio\Wexo Ravadur\Settings"), each key
// holding named values of three types: text, 32-bit integer (a Boolean is the integer 0 or 1)
// and bytes.
//
// - Leading, trailing and doubled backslashes of a path do not matter. Key names and value names
//   compare case-insensitively and keep the case in which they were created.
// - A key exists on its own, with or without values; creating a key creates its parents; writing a
//   value creates its key. Reads never create anything.
// - Reads tell an absent key, an absent value, a value of another type and a failed read apart.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <variant>

namespace platform {

enum class SettingsReadStatus {
    Ok,
    NoKey,     // the key does not exist
    NoValue,   // the key exists, the value does not
    WrongType, // the value exists with another type and cannot be read as the one asked for
    Failed,    // the store could not be read
};

template <typename T>
struct SettingsRead {
    SettingsReadStatus status = SettingsReadStatus::Failed;
    T value{};

    bool ok() const { return status == SettingsReadStatus::Ok; }
};

using SettingsValue = std::variant<QString, qint32, QByteArray>;

class SettingsStore {
public:
    virtual ~SettingsStore();

    virtual bool keyExists(const QString& key) const = 0;
    // Creates the key and its missing parents; an existing key is success.
    virtual bool createKey(const QString& key) = 0;
    // Deletes the key with its values and subkeys; true when it no longer exists. The root cannot
    // be deleted.
    virtual bool deleteKey(const QString& key) = 0;
    // Names of the direct subkeys, in case-insensitive order.
    virtual QStringList subKeyNames(const QString& key) const = 0;
    // Names of the key's values, in case-insensitive order.
    virtual QStringList valueNames(const QString& key) const = 0;
    virtual bool valueExists(const QString& key, const QString& name) const = 0;
    // True when the value no longer exists.
    virtual bool deleteValue(const QString& key, const QString& name) = 0;
    virtual SettingsRead<SettingsValue> readValue(const QString& key, const QString& name) const = 0;
    // Creates the key when missing; replaces a value of any type.
    virtual bool writeValue(const QString& key, const QString& name, const SettingsValue& value) = 0;

    SettingsRead<QString> readString(const QString& key, const QString& name) const;
    SettingsRead<qint32> readInteger(const QString& key, const QString& name) const;
    // An integer value; true when it is not 0.
    SettingsRead<bool> readBool(const QString& key, const QString& name) const;
    // At most maxSize bytes of a binary value.
    SettingsRead<QByteArray> readBinary(const QString& key, const QString& name, qsizetype maxSize) const;
    bool writeString(const QString& key, const QString& name, const QString& value);
    bool writeInteger(const QString& key, const QString& name, qint32 value);
    // Stored as the integer 1 or 0.
    bool writeBool(const QString& key, const QString& name, bool value);
    bool writeBinary(const QString& key, const QString& name, const QByteArray& value);

    // The components of a key path; empty for the root.
    static QStringList splitKeyPath(const QString& key);
};

} // namespace platform
