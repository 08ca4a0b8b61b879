#pragma once
// Typed reads and writes of values under one base key of the settings store, with the result codes
// of the accessor family that uses it. Shared by RegistryUtil and RegEntry, which differ only in
// their base key and codes.

#include "platform/settings/SettingsStore.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

struct SettingsAccessCodes {
    int cannotOpen;  // the key cannot be made
    int cannotRead;  // the key or value is missing, of another type, or cannot be read
    int cannotWrite; // the write failed
};

class SettingsAccess {
public:
    SettingsAccess(platform::SettingsStore& store, QString baseKey, SettingsAccessCodes codes);

    QString keyPath(const QString& subKey) const;

    // The key must exist already: a read never creates it.
    int readInteger(const QString& subKey, const QString& name, int32_t& value) const;
    int readBool(const QString& subKey, const QString& name, bool& value) const;
    int readString(const QString& subKey, const QString& name, QString& value) const;
    // Creates the key when missing, then reads at most maxSize bytes.
    int readBinary(const QString& subKey, const QString& name, QByteArray& value, qsizetype maxSize);

    // Each creates the key when missing.
    int writeString(const QString& subKey, const QString& name, const QString& value);
    int writeInteger(const QString& subKey, const QString& name, int32_t value);
    int writeBool(const QString& subKey, const QString& name, bool value);
    int writeBinary(const QString& subKey, const QString& name, const QByteArray& value);

private:
    template <typename T, typename Read>
    int read(const QString& subKey, const QString& name, T& value, Read readValue) const;
    int openForWrite(const QString& key);
    int write(const QString& subKey, const QString& name, const platform::SettingsValue& value);

    platform::SettingsStore& m_store;
    QString m_baseKey;
    SettingsAccessCodes m_codes;
};
