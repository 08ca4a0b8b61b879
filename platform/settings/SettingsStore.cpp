#include "platform/settings/SettingsStore.h"

namespace platform {

namespace {

template <typename T>
SettingsRead<T> readAs(const SettingsRead<SettingsValue>& read)
{
    if (!read.ok())
        return {read.status, {}};
    if (const T* value = std::get_if<T>(&read.value))
        return {SettingsReadStatus::Ok, *value};
    return {SettingsReadStatus::WrongType, {}};
}

} // namespace

SettingsStore::~SettingsStore() = default;

SettingsRead<QString> SettingsStore::readString(const QString& key, const QString& name) const
{
    return readAs<QString>(readValue(key, name));
}

SettingsRead<qint32> SettingsStore::readInteger(const QString& key, const QString& name) const
{
    return readAs<qint32>(readValue(key, name));
}

SettingsRead<bool> SettingsStore::readBool(const QString& key, const QString& name) const
{
    const SettingsRead<qint32> read = readInteger(key, name);
    return {read.status, read.ok() && read.value != 0};
}

SettingsRead<QByteArray> SettingsStore::readBinary(const QString& key, const QString& name, qsizetype maxSize) const
{
    SettingsRead<QByteArray> read = readAs<QByteArray>(readValue(key, name));
    if (read.value.size() > maxSize)
        read.value.truncate(qMax<qsizetype>(maxSize, 0));
    return read;
}

bool SettingsStore::writeString(const QString& key, const QString& name, const QString& value)
{
    return writeValue(key, name, SettingsValue(value));
}

bool SettingsStore::writeInteger(const QString& key, const QString& name, qint32 value)
{
    return writeValue(key, name, SettingsValue(value));
}

bool SettingsStore::writeBool(const QString& key, const QString& name, bool value)
{
    return writeInteger(key, name, value ? 1 : 0);
}

bool SettingsStore::writeBinary(const QString& key, const QString& name, const QByteArray& value)
{
    return writeValue(key, name, SettingsValue(value));
}

QStringList SettingsStore::splitKeyPath(const QString& key)
{
    return key.split(u'\\', Qt::SkipEmptyParts);
}

} // namespace platform
