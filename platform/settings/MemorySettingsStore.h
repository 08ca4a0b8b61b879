#pragma once
// A settings store that lives in memory only: the fake that tests of other layers use. Switches
// make reads, key creation or writes fail, so the failure roads of the callers can be reached.
#include "platform/settings/SettingsStore.h"
#include "platform/settings/SettingsTree.h"

#include <QMutex>

namespace platform {

class MemorySettingsStore final : public SettingsStore {
public:
    // Every read reports Failed; keyExists and valueExists say false, the name lists are empty.
    void setFailReads(bool fail);
    // A key that does not exist yet cannot be made: createKey fails, and so does writing a value
    // under a missing key. Existing keys work as before.
    void setFailKeyCreation(bool fail);
    // Writing and deleting values and deleting keys fail.
    void setFailWrites(bool fail);

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
    mutable QMutex m_mutex;
    SettingsTree m_tree;
    bool m_failReads = false;
    bool m_failKeyCreation = false;
    bool m_failWrites = false;
};

} // namespace platform
