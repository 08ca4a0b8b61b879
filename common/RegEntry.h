#pragma once
// Typed settings under "\Software\Vexal Audio\Wexo Express\" + subkey, the express product's key.
// Results: 0, 20 the key cannot be made, 22 the key or value is missing or cannot be read, 23 the
// write failed. Reads need the key to exist and never create it; writes create it.

#include "common/SettingsAccess.h"

#include <QString>

namespace platform {
class SettingsStore;
}

inline constexpr char kRegEntryBaseKey[] = "\\Software\\Vexal Audio\\Wexo Express";

class RegEntry {
public:
    explicit RegEntry(platform::SettingsStore& store);

    // value: -1 for true, 0 for false.
    int ReadExpressRegBool(const QString& subKey, const QString& name, int& value) const;
    int ReadExpressRegString(const QString& subKey, const QString& name, QString& value) const;
    int WriteExpressRegString(const QString& subKey, const QString& name, const QString& value);
    int WriteExpressRegBool(const QString& subKey, const QString& name, bool value);

private:
    SettingsAccess m_access;
};
