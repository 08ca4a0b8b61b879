#pragma once
// The recorder's preferences: the temporary folder for work files, the level-test and
// saturation-prevention switches and the recording and playback devices, kept under
// "\Software\Vexal Audio\Wexo Ravadur\Settings". Made and loaded at program start, saved at
// program end (and after each OK of the window); other parts of the program read them through the
// accessors. The window (TPreferencesForm) shows them and hands its OK to accept().

#include "common/PreferencesCore.h"

#include <QString>

inline constexpr char kRecorderSettingsKey[] = "\\Software\\Vexal Audio\\Wexo Ravadur\\Settings";

namespace PreferenceValue {
inline constexpr char PreventSaturation[] = "Prevent Saturation";
}

// What the window hands over on OK.
struct RecorderPreferencesChoice {
    QString tempFolder;            // the field's text
    bool alwaysTestLevels = false;
    bool preventSaturation = false;
    int inputPosition = -1;        // the chosen entry of inputDevices().entries(); -1: none
    int outputPosition = -1;
};

class RecorderPreferences : public PreferencesCore {
public:
    // Messages are the recorder's; store, engine and messages must outlive the preferences.
    RecorderPreferences(platform::SettingsStore& store, platform::audio::AudioEngine& engine,
                        const platform::Messages& messages);

    // Reads the settings (each unreadable value keeps its default), tells about a temporary folder
    // that is gone (441), gives the engine the folder and builds the device lists.
    void load();
    // Writes the settings. 0, or the id of the message shown: 185 the key cannot be opened, 187 a
    // value could not be written.
    int save();

    bool GetPreventSaturation() const { return m_preventSaturation; }

    // The window's OK: false (the window stays open) when the folder does not exist (180 shown).
    // Otherwise the choice is taken (421 when the temporary folder changed; it is used from the
    // next start, while GetTempPath returns it at once), the devices are selected in the engine
    // and the settings are saved.
    bool accept(const RecorderPreferencesChoice& choice);

    // The window's help file and context.
    static QString helpFile() { return QStringLiteral("WexoRavadur.chm"); }
    static constexpr int kHelpContext = 16;

private:
    // Off until the settings say otherwise: the recorder mixes as recorded.
    bool m_preventSaturation = false;
};
