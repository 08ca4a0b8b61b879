#pragma once
// The colour scheme of the waveform view: one entry per display element (a fixed default colour,
// a custom colour and whether the default is used), the recorder's six elements or the editor's
// eleven, loaded from and saved to the settings store, one text value per element. The host window
// owns one for the program's life and applies GetSchemeColor of each element to its controls; the
// colour dialog (Color.h) edits it. Colours are 0x00BBGGRR values.

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace platform {
class Messages;
class SettingsStore;
} // namespace platform

namespace controls {

enum class SchemeProgram { Recorder, Editor };

// Element indexes of the recorder's scheme.
namespace RecorderColor {
enum : int { WaveformBackground = 0, Waveform, Axis, Cursor, ClippingLightOn, ClippingLightOff, Count };
}

// Element indexes of the editor's scheme.
namespace EditorColor {
enum : int {
    WaveformBackground = 0,
    Waveform,
    Axis,
    Cursor,
    SelectionBackground,
    SelectionWaveform,
    OverviewBackground,
    OverviewWaveform,
    LedBackground,
    ClippingLightOn,
    ClippingLightOff,
    Count
};
}

// Results of loading and saving, the message ids that were shown.
namespace ColorSchemeCode {
inline constexpr int Ok = 0;
inline constexpr int CannotOpenStore = 183;
inline constexpr int CannotOpenKey = 185;
inline constexpr int CannotWriteValue = 187;
} // namespace ColorSchemeCode

struct SchemeElement {
    QString name;          // also the value name and the dialog's list text
    uint32_t defaultColor; // fixed
    uint32_t customColor;
    bool useDefault;
};

// The colour as the scheme stores it: the standard name of one of the sixteen basic colours
// ("clBlack", "clLime", ...), otherwise "$" and eight hexadecimal digits ("$00123456").
QString colorToText(uint32_t color);
// Reads a name (in any case), "$" with up to eight hexadecimal digits, or a decimal number;
// nothing for other text or a value above $00FFFFFF.
std::optional<uint32_t> textToColor(const QString& text);

class ColorScheme {
public:
    // Messages are shown through messages; the values live in store. Both must outlive the scheme.
    ColorScheme(SchemeProgram program, platform::SettingsStore& store, const platform::Messages& messages);

    static QString keyPath(SchemeProgram program);
    // The program's elements at their defaults.
    static std::vector<SchemeElement> defaultElements(SchemeProgram program);
    // The program's help file, which the dialog's Help button opens.
    static QString helpFile(SchemeProgram program);

    SchemeProgram program() const { return m_program; }
    int count() const { return int(m_elements.size()); }
    // The element at index (0 to count() - 1).
    const SchemeElement& element(int index) const { return m_elements.at(size_t(index)); }

    // Reads every element: a missing or unreadable value gives the default, and an element uses
    // the default exactly when the colour read equals it. Returns 0, or shows and returns 183
    // (the store cannot be read) or 185 (the key cannot be made); the table then stays as it was.
    int LoadColorScheme();
    // Writes every element's colour (the default when it uses the default). Returns 0, or shows
    // and returns 183 or 185 (nothing written), or 187 when a value could not be written (the
    // others are still written).
    int SaveColorScheme();
    // The element's default colour when it uses the default, else its custom colour; 0 for an
    // index outside the table.
    uint32_t GetSchemeColor(int index) const;

    // Outside the table nothing changes.
    void setUseDefault(int index, bool useDefault);
    void setCustomColor(int index, uint32_t color);

private:
    int openKey(const char* operation);
    int fail(int code, const char* operation);

    SchemeProgram m_program;
    platform::SettingsStore& m_store;
    const platform::Messages& m_messages;
    std::vector<SchemeElement> m_elements;
};

} // namespace controls
