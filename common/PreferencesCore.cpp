#include "common/PreferencesCore.h"

#include "common/Log.h"
#include "common/Util.h"
#include "platform/ui/Messages.h"
#include "platform/audio/AudioEngine.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

PreferencesCore::PreferencesCore(QString settingsKey, QString productName, platform::SettingsStore& store,
                                 platform::audio::AudioEngine& engine, const platform::Messages& messages,
                                 ErrorCodeMap playerMap)
    : m_settingsKey(std::move(settingsKey))
    , m_productName(std::move(productName))
    , m_store(store)
    , m_engine(engine)
    , m_messages(messages)
    , m_playerMap(playerMap)
    , m_input(DeviceDirection::Input, engine)
    , m_output(DeviceDirection::Output, engine)
{
    m_tempFolder.reset(GetDefaultTempPath());
}

QString PreferencesCore::GetTempPath()
{
    return m_tempFolder.fieldOrDefault(GetDefaultTempPath());
}

QString PreferencesCore::GetDefaultTempPath()
{
    QString folder = QDir::tempPath();
    AddTrailingBackslash(folder);
    return folder;
}

QString PreferencesCore::browseFolder(const QString& fieldText) const
{
    const QString start = fieldText.trimmed();
    const std::optional<QString> chosen =
        m_messages.interaction().chooseFolder(QStringLiteral("Select Folder for Temp Files"), start);
    return chosen ? *chosen : start;
}

bool PreferencesCore::openKey()
{
    if (m_store.keyExists(m_settingsKey) || m_store.createKey(m_settingsKey))
        return true;
    qCWarning(lcCommon) << "cannot open or create the settings key" << m_settingsKey;
    m_messages.ShowErrorMessage(185);
    return false;
}

template <typename T, typename Read>
bool PreferencesCore::read(const char* name, T& value, Read readValue)
{
    const QString valueName = QString::fromLatin1(name);
    const platform::SettingsRead<T> result = readValue(valueName);
    if (result.ok()) {
        value = result.value;
        return true;
    }
    if (result.status == platform::SettingsReadStatus::Failed) {
        qCWarning(lcCommon) << "cannot read the setting" << valueName << "of" << m_settingsKey
                            << "; its default is used and the stored value kept";
        m_unreadable.insert(valueName);
    }
    return false;
}

bool PreferencesCore::readString(const char* name, QString& value)
{
    return read(name, value, [&](const QString& n) { return m_store.readString(m_settingsKey, n); });
}

bool PreferencesCore::readInteger(const char* name, int32_t& value)
{
    return read(name, value, [&](const QString& n) { return m_store.readInteger(m_settingsKey, n); });
}

bool PreferencesCore::readBool(const char* name, bool& value)
{
    return read(name, value, [&](const QString& n) { return m_store.readBool(m_settingsKey, n); });
}

bool PreferencesCore::loadTempFolderAndSwitch()
{
    QString folder;
    const bool folderRead = readString(PreferenceValue::TempPath, folder);
    folder = folder.isEmpty() ? GetDefaultTempPath() : QDir::cleanPath(folder);
    AddTrailingBackslash(folder);
    m_tempFolder.reset(folder);
    const bool switchRead = readBool(PreferenceValue::AlwaysTestLevels, m_alwaysTestLevels);
    return folderRead && switchRead;
}

bool PreferencesCore::loadDevices()
{
    int32_t input = -1;
    int32_t output = -1;
    QString inputName;
    QString outputName;
    const bool inputRead = readInteger(PreferenceValue::InputDevice, input);
    const bool outputRead = readInteger(PreferenceValue::OutputDevice, output);
    readString(PreferenceValue::InputDeviceName, inputName);
    readString(PreferenceValue::OutputDeviceName, outputName);
    m_input.setStored(inputRead ? input : -1, inputName);
    m_output.setStored(outputRead ? output : -1, outputName);
    return inputRead && outputRead;
}

void PreferencesCore::checkTempFolder()
{
    const QString folder = m_tempFolder.current();
    if (QFileInfo(folder).isDir())
        return;
    const QString system = GetDefaultTempPath();
    qCWarning(lcCommon) << "the temporary folder" << folder << "does not exist; using" << system;
    m_messages.ShowErrorMessage(441, {m_productName, system});
    // The stored folder stays as it is until the user chooses another one: a drive that is not
    // mounted today may be back tomorrow.
    m_tempFolder.fallBack(system);
}

void PreferencesCore::applyToEngine()
{
    ShowMappedError(m_messages, m_engine.SetTempPath(m_tempFolder.current()), m_playerMap);
    m_input.build(m_messages, m_playerMap);
    m_output.build(m_messages, m_playerMap);
}

bool PreferencesCore::write(const char* name, const platform::SettingsValue& value)
{
    const QString valueName = QString::fromLatin1(name);
    if (m_unreadable.contains(valueName)) {
        qCInfo(lcCommon) << "the setting" << valueName << "was not read and not changed; left as stored";
        return true;
    }
    if (m_store.writeValue(m_settingsKey, valueName, value))
        return true;
    qCWarning(lcCommon) << "cannot write the setting" << valueName << "of" << m_settingsKey;
    return false;
}

bool PreferencesCore::writeString(const char* name, const QString& value)
{
    return write(name, value);
}

bool PreferencesCore::writeInteger(const char* name, int32_t value)
{
    return write(name, qint32(value));
}

bool PreferencesCore::writeBool(const char* name, bool value)
{
    return write(name, qint32(value ? 1 : 0));
}

bool PreferencesCore::saveShared()
{
    // Every value is tried, whatever failed before it.
    bool ok = writeString(PreferenceValue::TempPath, m_tempFolder.folderToSave());
    ok = writeBool(PreferenceValue::AlwaysTestLevels, m_alwaysTestLevels) && ok;
    ok = writeInteger(PreferenceValue::InputDevice, m_input.storedIndex()) && ok;
    ok = writeInteger(PreferenceValue::OutputDevice, m_output.storedIndex()) && ok;
    ok = writeString(PreferenceValue::InputDeviceName, m_input.storedName()) && ok;
    ok = writeString(PreferenceValue::OutputDeviceName, m_output.storedName()) && ok;
    return ok;
}

int PreferencesCore::finishSave(bool allWritten)
{
    if (allWritten)
        return 0;
    m_messages.ShowErrorMessage(187);
    return 187;
}

bool PreferencesCore::acceptTempFolder(const QString& text)
{
    if (text.isEmpty() || !QFileInfo(text).isDir()) {
        m_messages.ShowErrorMessage(180);
        return false;
    }
    QString folder = QDir::cleanPath(QFileInfo(text).absoluteFilePath());
    AddTrailingBackslash(folder);
    chosen(PreferenceValue::TempPath);
    if (m_tempFolder.choose(folder))
        m_messages.ShowMessageById(421, {}, platform::MB_OK | platform::MB_ICONINFORMATION);
    return true;
}

void PreferencesCore::acceptSwitch(bool alwaysTestLevels)
{
    m_alwaysTestLevels = alwaysTestLevels;
    chosen(PreferenceValue::AlwaysTestLevels);
}

void PreferencesCore::acceptDevices(int inputPosition, int outputPosition)
{
    if (inputPosition >= 0) {
        m_input.choose(inputPosition, m_messages, m_playerMap);
        chosen(PreferenceValue::InputDevice);
        chosen(PreferenceValue::InputDeviceName);
    }
    if (outputPosition >= 0) {
        m_output.choose(outputPosition, m_messages, m_playerMap);
        chosen(PreferenceValue::OutputDevice);
        chosen(PreferenceValue::OutputDeviceName);
    }
}
