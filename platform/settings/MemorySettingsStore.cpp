#include "platform/settings/MemorySettingsStore.h"

namespace platform {

void MemorySettingsStore::setFailReads(bool fail)
{
    QMutexLocker locker(&m_mutex);
    m_failReads = fail;
}

void MemorySettingsStore::setFailKeyCreation(bool fail)
{
    QMutexLocker locker(&m_mutex);
    m_failKeyCreation = fail;
}

void MemorySettingsStore::setFailWrites(bool fail)
{
    QMutexLocker locker(&m_mutex);
    m_failWrites = fail;
}

bool MemorySettingsStore::keyExists(const QString& key) const
{
    QMutexLocker locker(&m_mutex);
    return !m_failReads && m_tree.keyExists(splitKeyPath(key));
}

bool MemorySettingsStore::createKey(const QString& key)
{
    QMutexLocker locker(&m_mutex);
    const QStringList path = splitKeyPath(key);
    if (m_failKeyCreation && !m_tree.keyExists(path))
        return false;
    m_tree.createKey(path);
    return true;
}

bool MemorySettingsStore::deleteKey(const QString& key)
{
    QMutexLocker locker(&m_mutex);
    const QStringList path = splitKeyPath(key);
    if (m_failWrites || path.isEmpty())
        return false;
    m_tree.deleteKey(path);
    return true;
}

QStringList MemorySettingsStore::subKeyNames(const QString& key) const
{
    QMutexLocker locker(&m_mutex);
    return m_failReads ? QStringList() : m_tree.subKeyNames(splitKeyPath(key));
}

QStringList MemorySettingsStore::valueNames(const QString& key) const
{
    QMutexLocker locker(&m_mutex);
    return m_failReads ? QStringList() : m_tree.valueNames(splitKeyPath(key));
}

bool MemorySettingsStore::valueExists(const QString& key, const QString& name) const
{
    QMutexLocker locker(&m_mutex);
    return !m_failReads && m_tree.value(splitKeyPath(key), name).ok();
}

bool MemorySettingsStore::deleteValue(const QString& key, const QString& name)
{
    QMutexLocker locker(&m_mutex);
    if (m_failWrites)
        return false;
    m_tree.removeValue(splitKeyPath(key), name);
    return true;
}

SettingsRead<SettingsValue> MemorySettingsStore::readValue(const QString& key, const QString& name) const
{
    QMutexLocker locker(&m_mutex);
    if (m_failReads)
        return {SettingsReadStatus::Failed, {}};
    return m_tree.value(splitKeyPath(key), name);
}

bool MemorySettingsStore::writeValue(const QString& key, const QString& name, const SettingsValue& value)
{
    QMutexLocker locker(&m_mutex);
    const QStringList path = splitKeyPath(key);
    if (m_failWrites || path.isEmpty() || (m_failKeyCreation && !m_tree.keyExists(path)))
        return false;
    m_tree.setValue(path, name, value);
    return true;
}

} // namespace platform
