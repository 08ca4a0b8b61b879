#include "common/SettingsAccess.h"

#include "common/Log.h"

#include <utility>

SettingsAccess::SettingsAccess(platform::SettingsStore& store, QString baseKey, SettingsAccessCodes codes)
    : m_store(store)
    , m_baseKey(std::move(baseKey))
    , m_codes(codes)
{
}

QString SettingsAccess::keyPath(const QString& subKey) const
{
    return m_baseKey + QLatin1Char('\\') + subKey;
}

template <typename T, typename Read>
int SettingsAccess::read(const QString& subKey, const QString& name, T& value, Read readValue) const
{
    const QString key = keyPath(subKey);
    if (!m_store.keyExists(key))
        return m_codes.cannotRead;
    const platform::SettingsRead<T> result = readValue(key);
    if (!result.ok())
        return m_codes.cannotRead;
    value = result.value;
    return 0;
}

int SettingsAccess::readInteger(const QString& subKey, const QString& name, int32_t& value) const
{
    return read(subKey, name, value, [&](const QString& key) { return m_store.readInteger(key, name); });
}

int SettingsAccess::readBool(const QString& subKey, const QString& name, bool& value) const
{
    return read(subKey, name, value, [&](const QString& key) { return m_store.readBool(key, name); });
}

int SettingsAccess::readString(const QString& subKey, const QString& name, QString& value) const
{
    return read(subKey, name, value, [&](const QString& key) { return m_store.readString(key, name); });
}

int SettingsAccess::readBinary(const QString& subKey, const QString& name, QByteArray& value, qsizetype maxSize)
{
    const QString key = keyPath(subKey);
    if (const int code = openForWrite(key))
        return code;
    const platform::SettingsRead<QByteArray> result = m_store.readBinary(key, name, maxSize);
    if (!result.ok())
        return m_codes.cannotRead;
    value = result.value;
    return 0;
}

int SettingsAccess::openForWrite(const QString& key)
{
    if (m_store.keyExists(key) || m_store.createKey(key))
        return 0;
    qCWarning(lcCommon) << "cannot open or create the settings key" << key;
    return m_codes.cannotOpen;
}

int SettingsAccess::write(const QString& subKey, const QString& name, const platform::SettingsValue& value)
{
    const QString key = keyPath(subKey);
    if (const int code = openForWrite(key))
        return code;
    if (!m_store.writeValue(key, name, value)) {
        qCWarning(lcCommon) << "cannot write the setting" << name << "of" << key;
        return m_codes.cannotWrite;
    }
    return 0;
}

int SettingsAccess::writeString(const QString& subKey, const QString& name, const QString& value)
{
    return write(subKey, name, value);
}

int SettingsAccess::writeInteger(const QString& subKey, const QString& name, int32_t value)
{
    return write(subKey, name, qint32(value));
}

int SettingsAccess::writeBool(const QString& subKey, const QString& name, bool value)
{
    return write(subKey, name, qint32(value ? 1 : 0));
}

int SettingsAccess::writeBinary(const QString& subKey, const QString& name, const QByteArray& value)
{
    return write(subKey, name, value);
}
