#include "editor/SilenceDialogRules.h"

#include "common/EditorPreferences.h"
#include "common/Log.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/Messages.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kCannotOpenRegistry = 183;
constexpr int kCannotOpenKey = 185;

QString settingsKey()
{
    return QString::fromLatin1(kEditorSettingsKey);
}

} // namespace

std::optional<double> parseDialogNumber(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatDialogNumber(double value)
{
    return QString::number(value, 'g', 15);
}

std::optional<QString> InsertSilenceRules::spinUp(const QString& field)
{
    const std::optional<double> value = parseDialogNumber(field);
    if (!value || *value + 1 >= kMaximum)
        return std::nullopt;
    m_time = *value + 1;
    return text();
}

std::optional<QString> InsertSilenceRules::spinDown(const QString& field)
{
    const std::optional<double> value = parseDialogNumber(field);
    if (!value || *value - 1 <= kMinimum)
        return std::nullopt;
    m_time = *value - 1;
    return text();
}

bool InsertSilenceRules::accept(const QString& field)
{
    const std::optional<double> value = parseDialogNumber(field);
    if (!value || *value < kMinimum || *value > kMaximum)
        return false;
    m_time = *value;
    return true;
}

std::optional<QString> TrimSilenceRules::spinUp(const QString& field)
{
    const std::optional<double> value = parseDialogNumber(field);
    if (!value || *value >= 99)
        return std::nullopt;
    m_threshold = *value + 1;
    return text();
}

std::optional<QString> TrimSilenceRules::spinDown(const QString& field)
{
    const std::optional<double> value = parseDialogNumber(field);
    if (!value || *value <= 0)
        return std::nullopt;
    m_threshold = *value - 1;
    return text();
}

std::optional<QString> TrimSilenceRules::accept(const QString& field)
{
    const std::optional<double> value = parseDialogNumber(field);
    if (!value) {
        m_threshold = 0;
        return QStringLiteral("0.0");
    }
    // A level below nothing or above full scale means nothing to the trim.
    m_threshold = std::clamp(*value, 0.0, 100.0);
    if (m_threshold != *value)
        return text();
    return std::nullopt;
}

double readStoredNumber(platform::SettingsStore& store, const platform::Messages& messages, const char* name,
                        double fallback)
{
    const auto read = store.readString(settingsKey(), QString::fromLatin1(name));
    switch (read.status) {
    case platform::SettingsReadStatus::Ok:
        if (const std::optional<double> value = parseDialogNumber(read.value))
            return *value;
        qCWarning(lcCommon) << "the stored" << name << "is no number:" << read.value;
        return fallback;
    case platform::SettingsReadStatus::NoKey:
    case platform::SettingsReadStatus::NoValue:
        return fallback;
    case platform::SettingsReadStatus::WrongType:
        qCWarning(lcCommon) << "the stored" << name << "is not text";
        return fallback;
    case platform::SettingsReadStatus::Failed:
        break;
    }
    messages.ShowErrorMessage(kCannotOpenRegistry);
    return fallback;
}

void writeStoredNumber(platform::SettingsStore& store, const platform::Messages& messages, const char* name,
                       double value)
{
    if (!store.writeString(settingsKey(), QString::fromLatin1(name), formatDialogNumber(value)))
        messages.ShowErrorMessage(kCannotOpenKey);
}
