#pragma once
// Typed settings of the recorder under "\Software\Drovane\Wexo Ravadur\" + subkey. Results: 0, 183
// the key cannot be made, 186 the key or value is missing or cannot be read (also a value of
// another type), 187 the write failed. Nothing is shown here; callers show the code's message.
//
// Reads need the key to exist and never create it, except ReadRegBinary, which creates its key
// first. Writes create their key.

#include "common/SettingsAccess.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace platform {
class SettingsStore;
}

inline constexpr char kRegistryUtilBaseKey[] = "\\Software\\Drovane\\Wexo Ravadur";

class RegistryUtil {
public:
    explicit RegistryUtil(platform::SettingsStore& store);

    int ReadRegInteger(const QString& subKey, const QString& name, int32_t& value) const;
    int ReadRegBool(const QString& subKey, const QString& name, bool& value) const;
    int ReadRegString(const QString& subKey, const QString& name, QString& value) const;
    // At most size bytes.
    int ReadRegBinary(const QString& subKey, const QString& name, QByteArray& buffer, qsizetype size);

    int WriteRegString(const QString& subKey, const QString& name, const QString& value);
    int WriteRegInteger(const QString& subKey, const QString& name, int32_t value);
    int WriteRegBool(const QString& subKey, const QString& name, bool value);
    int WriteRegBinary(const QString& subKey, const QString& name, const QByteArray& buffer);

private:
    SettingsAccess m_access;
};
