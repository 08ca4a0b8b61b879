#pragma once
// The editor's preferences, kept under "\Software\Vexal Audio\Zuq Editor\Settings": the shared
// ones (temporary folder, level test, devices) plus the folder for ripped music and the switches
// of the song-information dialog and of the update check. Made and loaded at program start and
// saved at program end; other parts of the editor read them through the accessors, on the GUI
// thread (GetTempPath and GetDefaultTempPath from any thread).

#include "common/PreferencesCore.h"

#include <QString>

inline constexpr char kEditorSettingsKey[] = "\\Software\\Vexal Audio\\Zuq Editor\\Settings";

namespace PreferenceValue {
inline constexpr char RipFolder[] = "Rip To Music Library Path";
inline constexpr char SongInfoDialog[] = "Song Info Dialog";
inline constexpr char CheckForUpdate[] = "Check For Update";
} // namespace PreferenceValue

class EditorPreferences : public PreferencesCore {
public:
    // messages are the editor's and playerMap its player code map; store, engine and messages must
    // outlive the preferences.
    EditorPreferences(platform::SettingsStore& store, platform::audio::AudioEngine& engine,
                      const platform::Messages& messages, ErrorCodeMap playerMap);

    // Reads the settings (each unreadable value gives its default), tells about a temporary folder
    // that is gone (441), replaces a rip folder that is gone by its default, gives the engine the
    // temporary folder and builds the device lists. 0 when every value was read; 186 when one was
    // missing or unreadable; 185 when the key could not be opened (shown).
    int load();
    // Writes the settings. 0, or the id of the message shown: 185 the key cannot be opened, 187 a
    // value could not be written.
    int save();

    // The rip folder's field; when that folder does not exist, it is first reset to its default.
    // The stored folder stays until the user chooses another one (a drive that is not mounted
    // today may be back tomorrow).
    QString GetRipFolder();
    // The user's music folder (made when missing), else the documents folder, ending with "/".
    static QString GetDefaultRipFolder();
    bool GetShowSongInfoDialog() const { return m_showSongInfoDialog; }
    // The song-information dialog's "Do not show" box.
    void SetShowSongInfoDialog(bool show);
    bool GetCheckForUpdate() const { return m_checkForUpdate; }

    static QString helpFile() { return QStringLiteral("ZuqEditor.chm"); }
    static constexpr int kHelpContext = 16;

private:
    QString m_ripField;  // what GetRipFolder returns
    QString m_ripStored; // what a save writes; empty: the field
    bool m_showSongInfoDialog = true;
    bool m_checkForUpdate = true;
};
