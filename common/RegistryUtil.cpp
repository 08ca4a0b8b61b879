#include "common/RegistryUtil.h"

RegistryUtil::RegistryUtil(platform::SettingsStore& store)
    : m_access(store, QString::fromLatin1(kRegistryUtilBaseKey), {183, 186, 187})
{
}

int RegistryUtil::ReadRegInteger(const QString& subKey, const QString& name, int32_t& value) const
{
    return m_access.readInteger(subKey, name, value);
}

int RegistryUtil::ReadRegBool(const QString& subKey, const QString& name, bool& value) const
{
    return m_access.readBool(subKey, name, value);
}

int RegistryUtil::ReadRegString(const QString& subKey, const QString& name, QString& value) const
{
    return m_access.readString(subKey, name, value);
}

int RegistryUtil::ReadRegBinary(const QString& subKey, const QString& name, QByteArray& buffer, qsizetype size)
{
    return m_access.readBinary(subKey, name, buffer, size);
}

int RegistryUtil::WriteRegString(const QString& subKey, const QString& name, const QString& value)
{
    return m_access.writeString(subKey, name, value);
}

int RegistryUtil::WriteRegInteger(const QString& subKey, const QString& name, int32_t value)
{
    return m_access.writeInteger(subKey, name, value);
}

int RegistryUtil::WriteRegBool(const QString& subKey, const QString& name, bool value)
{
    return m_access.writeBool(subKey, name, value);
}

int RegistryUtil::WriteRegBinary(const QString& subKey, const QString& name, const QByteArray& buffer)
{
    return m_access.writeBinary(subKey, name, buffer);
}
