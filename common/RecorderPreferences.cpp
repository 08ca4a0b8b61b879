#include "common/RecorderPreferences.h"

RecorderPreferences::RecorderPreferences(platform::SettingsStore& store, platform::audio::AudioEngine& engine,
                                         const platform::Messages& messages)
    : PreferencesCore(QString::fromLatin1(kRecorderSettingsKey), QString::fromLatin1(kRecorderCaption), store, engine,
                      messages, PlayerErrorToMessageId)
{
}

void RecorderPreferences::load()
{
    openKey();
    loadTempFolderAndSwitch();
    readBool(PreferenceValue::PreventSaturation, m_preventSaturation);
    loadDevices();
    checkTempFolder();
    applyToEngine();
}

int RecorderPreferences::save()
{
    if (!openKey())
        return 185;
    bool ok = saveShared();
    ok = writeBool(PreferenceValue::PreventSaturation, m_preventSaturation) && ok;
    return finishSave(ok);
}

bool RecorderPreferences::accept(const RecorderPreferencesChoice& choice)
{
    if (!acceptTempFolder(choice.tempFolder))
        return false;
    acceptSwitch(choice.alwaysTestLevels);
    m_preventSaturation = choice.preventSaturation;
    chosen(PreferenceValue::PreventSaturation);
    acceptDevices(choice.inputPosition, choice.outputPosition);
    save();
    return true;
}
