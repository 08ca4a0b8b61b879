#include "controls/ColorScheme.h"

#include "controls/Log.h"
#include "platform/ui/Messages.h"
#include "platform/settings/SettingsStore.h"

#include <array>
#include <utility>

namespace controls {

namespace {

struct NamedColor {
    const char* name;
    uint32_t color;
};

constexpr std::array<NamedColor, 16> kNamedColors{{
    {"clBlack", 0x000000},  {"clMaroon", 0x000080}, {"clGreen", 0x008000},   {"clOlive", 0x008080},
    {"clNavy", 0x800000},   {"clPurple", 0x800080}, {"clTeal", 0x808000},    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF},    {"clLime", 0x00FF00},    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},   {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},   {"clWhite", 0xFFFFFF},
}};

constexpr uint32_t kMaxColor = 0xFFFFFF;

} // namespace

QString colorToText(uint32_t color)
{
    for (const NamedColor& named : kNamedColors) {
        if (named.color == color)
            return QString::fromLatin1(named.name);
    }
    return QLatin1Char('$') + QString::number(color, 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

std::optional<uint32_t> textToColor(const QString& text)
{
    const QString trimmed = text.trimmed();
    for (const NamedColor& named : kNamedColors) {
        if (trimmed.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return named.color;
    }
    const auto allOf = [](const QString& digits, int base) {
        for (const QChar c : digits) {
            const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
            const bool hexLetter = (c >= QLatin1Char('a') && c <= QLatin1Char('f')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
            if (!digit && !(base == 16 && hexLetter))
                return false;
        }
        return !digits.isEmpty();
    };
    bool ok = false;
    qulonglong value = 0;
    if (trimmed.startsWith(QLatin1Char('$'))) {
        const QString digits = trimmed.mid(1);
        if (digits.size() <= 8 && allOf(digits, 16))
            value = digits.toULongLong(&ok, 16);
    } else if (allOf(trimmed, 10)) {
        value = trimmed.toULongLong(&ok, 10);
    }
    if (!ok || value > kMaxColor)
        return std::nullopt;
    return uint32_t(value);
}

ColorScheme::ColorScheme(SchemeProgram program, platform::SettingsStore& store, const platform::Messages& messages)
    : m_program(program)
    , m_store(store)
    , m_messages(messages)
    , m_elements(defaultElements(program))
{
}

QString ColorScheme::keyPath(SchemeProgram program)
{
    return program == SchemeProgram::Editor
        ? QStringLiteral("\\Software\\Vexal Audio\\Zuq Editor\\Color Scheme\\Default Scheme")
        : QStringLiteral("\\Software\\Vexal Audio\\Wexo Ravadur\\Color Scheme\\Default Scheme");
}

QString ColorScheme::helpFile(SchemeProgram program)
{
    return program == SchemeProgram::Editor ? QStringLiteral("ZuqEditor.chm") : QStringLiteral("WexoRavadur.chm");
}

std::vector<SchemeElement> ColorScheme::defaultElements(SchemeProgram program)
{
    const std::vector<std::pair<const char*, uint32_t>> table = program == SchemeProgram::Editor
        ? std::vector<std::pair<const char*, uint32_t>>{
              {"Waveform Background", 0x000000},
              {"Waveform", 0xFFB56A},
              {"Axis", 0xFFB56A},
              {"Cursor", 0x00FF00},
              {"Selection Background", 0xA0A0A0},
              {"Selection Waveform", 0x643C32},
              {"Overview Background", 0x000000},
              {"Overview Waveform", 0xFFB56A},
              {"LED Background", 0x000000},
              {"Clipping Light On", 0x0080FF},
              {"Clipping Light Off", 0x808080},
          }
        : std::vector<std::pair<const char*, uint32_t>>{
              {"Waveform Background", 0xC8C8C8},
              {"Waveform", 0x945046},
              {"Axis", 0xFFB56A},
              {"Cursor", 0x00FF00},
              {"Clipping Light On", 0x0000FF},
              {"Clipping Light Off", 0x808080},
          };
    std::vector<SchemeElement> elements;
    for (const auto& [name, color] : table)
        elements.push_back(SchemeElement{QString::fromLatin1(name), color, color, true});
    return elements;
}

int ColorScheme::fail(int code, const char* operation)
{
    qCWarning(lcControls) << operation << "the colour scheme under" << keyPath(m_program) << "failed with code" << code;
    m_messages.ShowErrorMessage(code);
    return code;
}

int ColorScheme::openKey(const char* operation)
{
    const QString key = keyPath(m_program);
    if (m_store.createKey(key))
        return ColorSchemeCode::Ok;
    // A store that cannot even be read is unusable as a whole; otherwise only the key failed.
    const bool storeUnreadable = m_store.readValue(key, element(0).name).status == platform::SettingsReadStatus::Failed;
    return fail(storeUnreadable ? ColorSchemeCode::CannotOpenStore : ColorSchemeCode::CannotOpenKey, operation);
}

int ColorScheme::LoadColorScheme()
{
    const int opened = openKey("loading");
    if (opened != ColorSchemeCode::Ok)
        return opened;
    const QString key = keyPath(m_program);
    std::vector<SchemeElement> loaded = m_elements;
    for (SchemeElement& e : loaded) {
        const platform::SettingsRead<QString> stored = m_store.readString(key, e.name);
        if (stored.status == platform::SettingsReadStatus::Failed)
            return fail(ColorSchemeCode::CannotOpenStore, "loading");
        std::optional<uint32_t> color;
        if (stored.ok()) {
            color = textToColor(stored.value);
            if (!color)
                qCWarning(lcControls) << "colour" << e.name << "reads" << stored.value << "- the default is used";
        } else if (stored.status == platform::SettingsReadStatus::WrongType) {
            qCWarning(lcControls) << "colour" << e.name << "is not a text value - the default is used";
        }
        e.customColor = color.value_or(e.defaultColor);
        e.useDefault = e.customColor == e.defaultColor;
    }
    m_elements = std::move(loaded);
    return ColorSchemeCode::Ok;
}

int ColorScheme::SaveColorScheme()
{
    const int opened = openKey("saving");
    if (opened != ColorSchemeCode::Ok)
        return opened;
    const QString key = keyPath(m_program);
    bool allWritten = true;
    for (int i = 0; i < count(); ++i) {
        if (!m_store.writeString(key, element(i).name, colorToText(GetSchemeColor(i)))) {
            qCWarning(lcControls) << "colour" << element(i).name << "could not be written under" << key;
            allWritten = false;
        }
    }
    return allWritten ? ColorSchemeCode::Ok : fail(ColorSchemeCode::CannotWriteValue, "saving");
}

uint32_t ColorScheme::GetSchemeColor(int index) const
{
    if (index < 0 || index >= count())
        return 0;
    const SchemeElement& e = element(index);
    return e.useDefault ? e.defaultColor : e.customColor;
}

void ColorScheme::setUseDefault(int index, bool useDefault)
{
    if (index >= 0 && index < count())
        m_elements[size_t(index)].useDefault = useDefault;
}

void ColorScheme::setCustomColor(int index, uint32_t color)
{
    if (index >= 0 && index < count())
        m_elements[size_t(index)].customColor = color & 0xFFFFFF;
}

} // namespace controls
