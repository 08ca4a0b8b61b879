#include "common/RegEntry.h"

RegEntry::RegEntry(platform::SettingsStore& store)
    : m_access(store, QString::fromLatin1(kRegEntryBaseKey), {20, 22, 23})
{
}

int RegEntry::ReadExpressRegBool(const QString& subKey, const QString& name, int& value) const
{
    bool on = false;
    const int code = m_access.readBool(subKey, name, on);
    if (code == 0)
        value = on ? -1 : 0;
    return code;
}

int RegEntry::ReadExpressRegString(const QString& subKey, const QString& name, QString& value) const
{
    return m_access.readString(subKey, name, value);
}

int RegEntry::WriteExpressRegString(const QString& subKey, const QString& name, const QString& value)
{
    return m_access.writeString(subKey, name, value);
}

int RegEntry::WriteExpressRegBool(const QString& subKey, const QString& name, bool value)
{
    return m_access.writeBool(subKey, name, value);
}
