#pragma once
// What the recorder's and the editor's preferences share: the temporary folder, the level-test
// switch and the recording and playback devices, their loading from and saving to the program's
// Settings key, the messages of loading, and the rules of the window's folder buttons and OK.
// The programs' classes (RecorderPreferences, EditorPreferences) add their own values.
//
// Loading shows 185 when the key can neither be opened nor made and goes on: every value falls
// back to its default, so the program works with defaults. A value that could not be read because
// the store failed is never written over with its default; only a value chosen anew (OK) replaces
// it. Saving shows 187 once when any value could not be written; the others are still written.
// A stored temporary folder that does not exist is told (441) and the system's is used, but the
// stored folder is kept until the user chooses another: a drive missing today may be back.
//
// GetTempPath and GetDefaultTempPath may be called from any thread, everything else from the GUI
// thread.

#include "common/DeviceChoice.h"
#include "common/ErrCodes.h"
#include "common/TempFolderState.h"
#include "platform/settings/SettingsStore.h"

#include <QSet>
#include <QString>

namespace platform {
class Messages;
}
namespace platform::audio {
class AudioEngine;
}

namespace PreferenceValue {
inline constexpr char TempPath[] = "Temp Path";
inline constexpr char AlwaysTestLevels[] = "Always Test Levels";
inline constexpr char InputDevice[] = "Last Input Device Selected";
inline constexpr char OutputDevice[] = "Last Output Device Selected";
// The devices' names beside their indexes: they find a device again after the list's order changed.
inline constexpr char InputDeviceName[] = "Last Input Device Name";
inline constexpr char OutputDeviceName[] = "Last Output Device Name";
} // namespace PreferenceValue

class PreferencesCore {
public:
    PreferencesCore(const PreferencesCore&) = delete;
    PreferencesCore& operator=(const PreferencesCore&) = delete;

    // The folder of the window's field; when that folder does not exist, the field and the
    // current folder are first reset to the system's temporary folder.
    QString GetTempPath();
    // The system's temporary folder, ending with "/".
    static QString GetDefaultTempPath();
    bool GetAlwaysTestLevels() const { return m_alwaysTestLevels; }
    // The stored device's index in the engine's list now, or the engine's preferred device when
    // the stored choice is -1; -1 when there is none.
    int GetInputDeviceIndex() { return m_input.deviceIndex(); }
    int GetOutputDeviceIndex() { return m_output.deviceIndex(); }

    const TempFolderState& tempFolder() const { return m_tempFolder; }
    const DeviceChoice& inputDevices() const { return m_input; }
    const DeviceChoice& outputDevices() const { return m_output; }

    // The window is shown: its folder field shows the folder in use again (GetTempPath returns it);
    // a folder chosen for the next start stays pending.
    void showCurrentTempFolder() { m_tempFolder.showCurrent(); }
    // "&Default": the text the folder field gets.
    static QString defaultFolderText() { return GetDefaultTempPath(); }
    // "Browse...": the folder chosen in the folder browser, or fieldText trimmed when the browse
    // was cancelled.
    QString browseFolder(const QString& fieldText) const;

protected:
    // productName: the first argument of message 441. playerMap turns the engine's codes into
    // message ids.
    PreferencesCore(QString settingsKey, QString productName, platform::SettingsStore& store,
                    platform::audio::AudioEngine& engine, const platform::Messages& messages, ErrorCodeMap playerMap);
    ~PreferencesCore() = default;

    // Opens (or makes) the Settings key; false after showing 185.
    bool openKey();
    // Reads one value; false when it is missing, of another type or unreadable (then value keeps
    // its default).
    bool readString(const char* name, QString& value);
    bool readInteger(const char* name, int32_t& value);
    bool readBool(const char* name, bool& value);

    // The shared values of loading; false when one of them could not be read.
    bool loadTempFolderAndSwitch();
    bool loadDevices();
    // When the temporary folder does not exist: message 441, and the system's temporary folder is
    // used (the stored folder stays).
    void checkTempFolder();
    // The engine gets the temporary folder, then the device lists are built.
    void applyToEngine();

    // Writes one value unless its stored value could not be read and was not chosen anew; false
    // when the write failed.
    bool writeString(const char* name, const QString& value);
    bool writeInteger(const char* name, int32_t value);
    bool writeBool(const char* name, bool value);
    // The shared values of saving; false when a write failed.
    bool saveShared();
    // Finishes a save: 187 when any write failed. Returns 0 or the id shown.
    int finishSave(bool allWritten);

    // The window's OK for the temporary folder: 180 (and false) when it does not exist; else it is
    // taken (with "/") and 421 is shown when it differs from the current folder.
    bool acceptTempFolder(const QString& text);
    void acceptSwitch(bool alwaysTestLevels);
    void acceptDevices(int inputPosition, int outputPosition);
    // The value is the user's choice now: saving writes it even if its old value was unreadable.
    void chosen(const char* name) { m_unreadable.remove(QString::fromLatin1(name)); }

private:
    template <typename T, typename Read>
    bool read(const char* name, T& value, Read readValue);
    bool write(const char* name, const platform::SettingsValue& value);

    QString m_settingsKey;
    QString m_productName;
    platform::SettingsStore& m_store;
    platform::audio::AudioEngine& m_engine;
    const platform::Messages& m_messages;
    ErrorCodeMap m_playerMap;

    TempFolderState m_tempFolder;
    bool m_alwaysTestLevels = false;
    DeviceChoice m_input;
    DeviceChoice m_output;
    QSet<QString> m_unreadable;
};
