#include "common/EditorPreferences.h"

#include "common/Log.h"
#include "common/Util.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

EditorPreferences::EditorPreferences(platform::SettingsStore& store, platform::audio::AudioEngine& engine,
                                     const platform::Messages& messages, ErrorCodeMap playerMap)
    : PreferencesCore(QString::fromLatin1(kEditorSettingsKey), QStringLiteral("ZuqEditor"), store, engine, messages,
                      playerMap)
{
}

int EditorPreferences::load()
{
    const bool keyOpen = openKey();
    bool allRead = loadTempFolderAndSwitch();

    QString rip;
    if (readString(PreferenceValue::RipFolder, rip) && !rip.isEmpty()) {
        rip = QDir::cleanPath(rip);
        AddTrailingBackslash(rip);
    } else {
        allRead = false;
        rip.clear();
    }
    m_ripStored = rip;
    allRead = readBool(PreferenceValue::SongInfoDialog, m_showSongInfoDialog) && allRead;
    allRead = readBool(PreferenceValue::CheckForUpdate, m_checkForUpdate) && allRead;
    allRead = loadDevices() && allRead;

    checkTempFolder();
    m_ripField = rip;
    GetRipFolder();
    applyToEngine();
    if (!keyOpen)
        return 185;
    return allRead ? 0 : 186;
}

int EditorPreferences::save()
{
    if (!openKey())
        return 185;
    bool ok = saveShared();
    const QString rip = m_ripStored.isEmpty() ? m_ripField : m_ripStored;
    if (!rip.isEmpty())
        ok = writeString(PreferenceValue::RipFolder, rip) && ok;
    ok = writeBool(PreferenceValue::SongInfoDialog, m_showSongInfoDialog) && ok;
    ok = writeBool(PreferenceValue::CheckForUpdate, m_checkForUpdate) && ok;
    return finishSave(ok);
}

QString EditorPreferences::GetRipFolder()
{
    if (m_ripField.isEmpty() || !QFileInfo(m_ripField).isDir()) {
        if (!m_ripField.isEmpty())
            qCInfo(lcCommon) << "the rip folder" << m_ripField << "does not exist; its default is used";
        m_ripField = GetDefaultRipFolder();
    }
    return m_ripField;
}

QString EditorPreferences::GetDefaultRipFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        qCWarning(lcCommon) << "no music folder" << folder << "; ripped music goes to the documents folder";
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    AddTrailingBackslash(folder);
    return folder;
}

void EditorPreferences::SetShowSongInfoDialog(bool show)
{
    m_showSongInfoDialog = show;
    chosen(PreferenceValue::SongInfoDialog);
}
