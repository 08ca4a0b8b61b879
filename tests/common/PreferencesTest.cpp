// The recorder's preferences without their window: loading (fresh, stored, damaged and failing
// settings; a temporary folder or devices that are gone), saving, the accessors and the rules of
// the window's buttons, against the memory and file stores and an engine on the virtual backend.
#include "common/RecorderPreferences.h"

#include "common/ErrCodes.h"
#include "platform/settings/FileSettingsStore.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/VirtualBackend.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>

#include <memory>

using platform::audio::AudioDevice;
using testsupport::ScriptedInteraction;

namespace {

const QString kKey = QString::fromLatin1(kRecorderSettingsKey);

QString systemTemp()
{
    return QDir::tempPath() + "/";
}

class RecorderPreferencesTest : public testing::Test {
protected:
    RecorderPreferencesTest()
    {
        backend.setInputDevices({{"mic", "USB Microphone"}, {"line", "Line In"}});
        backend.setOutputDevices({{"speakers", "Speakers"}, {"headset", "Headset"}, {"hdmi", "HDMI"}});
        backend.setDefaultInputDevice("line");
        backend.setDefaultOutputDevice("speakers");
    }

    RecorderPreferences& make(platform::SettingsStore& settings)
    {
        preferences = std::make_unique<RecorderPreferences>(settings, engine, messages);
        return *preferences;
    }
    RecorderPreferences& load(platform::SettingsStore& settings)
    {
        make(settings).load();
        return *preferences;
    }
    RecorderPreferences& load() { return load(store); }

    QStringList descriptions(const DeviceChoice& devices) const
    {
        QStringList list;
        for (const DeviceEntry& e : devices.entries())
            list << e.description;
        return list;
    }

    platform::audio::VirtualBackend backend;
    platform::audio::AudioEngine engine{backend};
    ScriptedInteraction ui;
    platform::Messages messages = makeRecorderMessages(ui);
    platform::MemorySettingsStore store;
    std::unique_ptr<RecorderPreferences> preferences;
};

} // namespace

TEST_F(RecorderPreferencesTest, FreshSystemGetsDefaultsAndTheKey)
{
    RecorderPreferences& p = load();
    EXPECT_TRUE(store.keyExists(kKey));
    EXPECT_EQ(p.GetTempPath(), systemTemp());
    EXPECT_EQ(p.GetDefaultTempPath(), systemTemp());
    EXPECT_EQ(engine.tempPath(), systemTemp());
    EXPECT_FALSE(p.GetAlwaysTestLevels());
    EXPECT_FALSE(p.GetPreventSaturation());
    EXPECT_EQ(p.inputDevices().storedIndex(), -1);
    EXPECT_EQ(p.outputDevices().storedIndex(), -1);
    EXPECT_EQ(descriptions(p.inputDevices()), QStringList({"USB Microphone", "Line In", "Default Recording Device"}));
    EXPECT_EQ(descriptions(p.outputDevices()),
              QStringList({"Speakers", "Headset", "HDMI", "Default Playback Device"}));
    EXPECT_EQ(p.inputDevices().storedPosition(), 2);
    EXPECT_EQ(p.outputDevices().storedPosition(), 3);
    EXPECT_EQ(p.GetInputDeviceIndex(), 1) << "-1 reads as the system's preferred device";
    EXPECT_EQ(p.GetOutputDeviceIndex(), 0);
    EXPECT_TRUE(ui.prompts().empty());

    EXPECT_EQ(p.save(), 0);
    EXPECT_EQ(store.readString(kKey, "Temp Path").value, systemTemp());
    EXPECT_EQ(store.readInteger(kKey, "Last Input Device Selected").value, -1);
    EXPECT_EQ(store.readInteger(kKey, "Last Output Device Selected").value, -1);
    EXPECT_EQ(store.readInteger(kKey, "Always Test Levels").value, 0);
    EXPECT_EQ(store.readInteger(kKey, "Prevent Saturation").value, 0);
}

TEST_F(RecorderPreferencesTest, StoredValuesAreLoadedAndWrittenBack)
{
    const QString folder = testsupport::testFolder();
    store.writeString(kKey, "Temp Path", folder); // without its trailing "/"
    store.writeBool(kKey, "Always Test Levels", true);
    store.writeBool(kKey, "Prevent Saturation", true);
    store.writeInteger(kKey, "Last Input Device Selected", 0);
    store.writeInteger(kKey, "Last Output Device Selected", 1);

    RecorderPreferences& p = load();
    EXPECT_EQ(p.GetTempPath(), folder + "/");
    EXPECT_EQ(engine.tempPath(), folder + "/");
    EXPECT_TRUE(p.GetAlwaysTestLevels());
    EXPECT_TRUE(p.GetPreventSaturation());
    EXPECT_EQ(p.GetInputDeviceIndex(), 0);
    EXPECT_EQ(p.GetOutputDeviceIndex(), 1);
    EXPECT_EQ(p.outputDevices().storedPosition(), 1);
    EXPECT_EQ(p.outputDevices().storedName(), "headset") << "the name is learnt from the index";

    EXPECT_EQ(p.save(), 0);
    EXPECT_EQ(store.readString(kKey, "Temp Path").value, folder + "/");
    EXPECT_EQ(store.readInteger(kKey, "Last Output Device Selected").value, 1);
    EXPECT_EQ(store.readString(kKey, "Last Output Device Name").value, "headset");
    EXPECT_EQ(store.readInteger(kKey, "Prevent Saturation").value, 1);
}

TEST_F(RecorderPreferencesTest, StoredDeviceIsFoundByNameAfterTheOrderChanged)
{
    store.writeInteger(kKey, "Last Output Device Selected", 1);
    store.writeString(kKey, "Last Output Device Name", "headset");
    backend.setOutputDevices({{"hdmi", "HDMI"}, {"usb", "USB Speaker"}, {"speakers", "Speakers"}, {"headset", "Headset"}});

    RecorderPreferences& p = load();
    EXPECT_EQ(p.outputDevices().storedIndex(), 3);
    EXPECT_EQ(p.outputDevices().storedPosition(), 3);
    EXPECT_EQ(p.GetOutputDeviceIndex(), 3);

    // Plugged in later, before it: the index follows the device.
    backend.setOutputDevices({{"new", "New"}, {"hdmi", "HDMI"}, {"usb", "USB Speaker"}, {"speakers", "Speakers"},
                              {"headset", "Headset"}});
    EXPECT_EQ(p.GetOutputDeviceIndex(), 4);
    EXPECT_TRUE(ui.prompts().empty());
}

TEST_F(RecorderPreferencesTest, StoredDeviceThatIsGoneFallsBackToTheDefault)
{
    struct Case {
        const char* what;
        int index;
        const char* name;
        const char* message;
    } cases[] = {
        {"index past the list", 5, "", "Invalid output device index"},
        {"named device gone", 1, "headset-unplugged", "Invalid output device index"},
    };
    for (const Case& c : cases) {
        platform::MemorySettingsStore settings;
        settings.writeInteger(kKey, "Last Output Device Selected", c.index);
        settings.writeString(kKey, "Last Output Device Name", c.name);
        ui.expectMessageBox(platform::IDOK, c.message);
        RecorderPreferences& p = load(settings);
        EXPECT_EQ(p.outputDevices().storedIndex(), -1) << c.what;
        EXPECT_EQ(p.outputDevices().storedPosition(), 3) << "the default entry: " << c.what;
        EXPECT_EQ(p.GetOutputDeviceIndex(), 0) << c.what;
        EXPECT_EQ(p.save(), 0);
        EXPECT_EQ(settings.readInteger(kKey, "Last Output Device Selected").value, -1) << c.what;
        EXPECT_EQ(settings.readString(kKey, "Last Output Device Name").value, "") << c.what;
    }
}

TEST_F(RecorderPreferencesTest, NoDevicesAreToldAndTheStoredChoiceKept)
{
    backend.setInputDevices({});
    backend.setOutputDevices({});
    store.writeInteger(kKey, "Last Input Device Selected", 1);
    store.writeString(kKey, "Last Input Device Name", "line");
    ui.expectMessageBox(platform::IDOK, "No recording device found");
    ui.expectMessageBox(platform::IDOK, "No playback device found");

    RecorderPreferences& p = load();
    EXPECT_TRUE(p.inputDevices().entries().empty());
    EXPECT_TRUE(p.outputDevices().entries().empty());
    EXPECT_EQ(p.inputDevices().storedPosition(), -1);
    EXPECT_EQ(p.GetInputDeviceIndex(), -1);
    EXPECT_EQ(p.save(), 0);
    EXPECT_EQ(store.readInteger(kKey, "Last Input Device Selected").value, 1)
        << "a start without the sound server loses no choice";
    EXPECT_EQ(store.readString(kKey, "Last Input Device Name").value, "line");
    ASSERT_EQ(ui.prompts().size(), 2u);
    EXPECT_EQ(ui.prompts()[0].text,
              "Error: No recording device found. Please install a sound blaster compatible sound card and try again.");
    EXPECT_EQ(ui.prompts()[0].caption, "Wexo Ravadur");
}

TEST_F(RecorderPreferencesTest, MissingTemporaryFolderIsToldAndTheSystemsUsed)
{
    const QString gone = testsupport::testFolder() + "/unmounted/";
    store.writeString(kKey, "Temp Path", gone);
    ui.expectMessageBox(platform::IDOK, "Invalid Temporary file location");

    RecorderPreferences& p = load();
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].text, "Error: Invalid Temporary file location. Wexo Ravadur will store temp files at '"
                                        + systemTemp()
                                        + "'. To change Temporary file location go to File->Preferences.");
    EXPECT_EQ(ui.prompts()[0].flags, platform::MB_OK | platform::MB_ICONERROR);
    EXPECT_EQ(p.GetTempPath(), systemTemp());
    EXPECT_EQ(p.tempFolder().current(), systemTemp());
    EXPECT_EQ(engine.tempPath(), systemTemp());
    EXPECT_EQ(p.save(), 0);
    EXPECT_EQ(store.readString(kKey, "Temp Path").value, gone) << "the stored folder waits for its drive";
}

TEST_F(RecorderPreferencesTest, TemporaryFolderThatVanishesFallsBackWhenAskedFor)
{
    const QString folder = testsupport::testFolder() + "/work/";
    QDir().mkpath(folder);
    store.writeString(kKey, "Temp Path", folder);
    RecorderPreferences& p = load();
    EXPECT_EQ(p.GetTempPath(), folder);

    QDir(folder).removeRecursively();
    EXPECT_EQ(p.GetTempPath(), systemTemp());
    EXPECT_EQ(p.tempFolder().field(), systemTemp());
    EXPECT_EQ(p.tempFolder().current(), systemTemp());
}

TEST_F(RecorderPreferencesTest, SettingsThatCannotBeOpenedReadOrWritten)
{
    // The key cannot be made: 185, and the program goes on with its defaults.
    {
        platform::MemorySettingsStore settings;
        settings.setFailKeyCreation(true);
        ui.expectMessageBox(platform::IDOK, "Cannot open registry key");
        RecorderPreferences& p = load(settings);
        EXPECT_EQ(p.GetTempPath(), systemTemp());
        EXPECT_EQ(p.outputDevices().entries().size(), 4u);
        ui.expectMessageBox(platform::IDOK, "Cannot open registry key");
        EXPECT_EQ(p.save(), 185);
    }
    // Reads fail: defaults, and saving does not write them over what is stored.
    {
        platform::MemorySettingsStore settings;
        settings.writeString(kKey, "Temp Path", "/somewhere/");
        settings.writeInteger(kKey, "Last Input Device Selected", 1);
        settings.writeBool(kKey, "Prevent Saturation", true);
        settings.setFailReads(true);
        RecorderPreferences& p = load(settings);
        EXPECT_EQ(p.GetTempPath(), systemTemp());
        EXPECT_FALSE(p.GetPreventSaturation());
        EXPECT_EQ(p.save(), 0);
        settings.setFailReads(false);
        EXPECT_EQ(settings.readString(kKey, "Temp Path").value, "/somewhere/");
        EXPECT_EQ(settings.readInteger(kKey, "Last Input Device Selected").value, 1);
        EXPECT_EQ(settings.readInteger(kKey, "Prevent Saturation").value, 1);
    }
    // Writes fail: 187 once, whatever the number of values.
    {
        platform::MemorySettingsStore settings;
        RecorderPreferences& p = load(settings);
        settings.setFailWrites(true);
        ui.expectMessageBox(platform::IDOK, "Cannot write data in registry");
        EXPECT_EQ(p.save(), 187);
    }
    EXPECT_TRUE(ui.allConsumed());
}

TEST_F(RecorderPreferencesTest, FileStoreMissingDamagedOrUnreadable)
{
    const QString folder = testsupport::testFolder();
    const QString path = folder + "/registry.json";
    // Missing: defaults; the choice made with OK is in the file for the next start.
    {
        platform::FileSettingsStore settings(path);
        RecorderPreferences& p = load(settings);
        ui.expectMessageBox(platform::IDOK, "Please restart the program");
        EXPECT_TRUE(p.accept({folder, true, true, 0, 2}));
    }
    {
        platform::FileSettingsStore settings(path);
        RecorderPreferences& p = load(settings);
        EXPECT_EQ(p.GetTempPath(), folder + "/");
        EXPECT_TRUE(p.GetAlwaysTestLevels());
        EXPECT_TRUE(p.GetPreventSaturation());
        EXPECT_EQ(p.GetInputDeviceIndex(), 0);
        EXPECT_EQ(p.GetOutputDeviceIndex(), 2);
    }
    // Damaged: defaults; saving keeps the damaged file aside.
    const QByteArray garbage("\x01{ \"Software\": [", 16);
    testsupport::writeFile(path, garbage);
    {
        platform::FileSettingsStore settings(path);
        RecorderPreferences& p = load(settings);
        EXPECT_FALSE(p.GetAlwaysTestLevels());
        EXPECT_EQ(p.save(), 0);
        EXPECT_EQ(testsupport::readFile(path + ".corrupt"), garbage);
    }
    // Unreadable (a folder where the file should be): the key cannot be opened, the defaults are
    // used and nothing is written over it.
    const QString blocked = folder + "/blocked.json";
    QDir().mkpath(blocked);
    {
        platform::FileSettingsStore settings(blocked);
        ui.expectMessageBox(platform::IDOK, "Cannot open registry key");
        RecorderPreferences& p = load(settings);
        EXPECT_EQ(p.GetTempPath(), systemTemp());
        ui.expectMessageBox(platform::IDOK, "Cannot open registry key");
        EXPECT_EQ(p.save(), 185);
        EXPECT_TRUE(QFileInfo(blocked).isDir());
    }
}

TEST_F(RecorderPreferencesTest, OkRefusesAFolderThatDoesNotExist)
{
    RecorderPreferences& p = load();
    for (const QString& text : {testsupport::testFolder() + "/missing", QString(), QString("   ")}) {
        ui.expectMessageBox(platform::IDOK, "Invalid temporary file location specified");
        EXPECT_FALSE(p.accept({text, true, true, 0, 0})) << text.toStdString();
    }
    ASSERT_EQ(ui.prompts().size(), 3u);
    EXPECT_EQ(ui.prompts()[0].text,
              "Error : Invalid temporary file location specified. Please specify another location or press Default.");
    EXPECT_FALSE(p.GetAlwaysTestLevels()) << "nothing is taken from a refused OK";
    EXPECT_EQ(p.inputDevices().storedIndex(), -1);
    EXPECT_EQ(p.GetTempPath(), systemTemp());
}

TEST_F(RecorderPreferencesTest, OkTakesTheChoice)
{
    const QString folder = testsupport::testFolder();
    RecorderPreferences& p = load();

    // A new folder: told to restart, returned at once, given to the engine only at the next start.
    ui.expectMessageBox(platform::IDOK, "Please restart the program");
    EXPECT_TRUE(p.accept({folder, true, true, 1, 1}));
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].text, "Please restart the program in order to set the temporary files path.");
    EXPECT_EQ(ui.prompts()[0].flags, platform::MB_OK | platform::MB_ICONINFORMATION);
    EXPECT_EQ(p.GetTempPath(), folder + "/");
    EXPECT_EQ(p.tempFolder().pending(), folder + "/");
    EXPECT_EQ(p.tempFolder().current(), systemTemp());
    EXPECT_EQ(engine.tempPath(), systemTemp());
    EXPECT_TRUE(p.GetAlwaysTestLevels());
    EXPECT_TRUE(p.GetPreventSaturation());
    EXPECT_EQ(p.GetInputDeviceIndex(), 1);
    EXPECT_EQ(p.GetOutputDeviceIndex(), 1);
    EXPECT_EQ(store.readString(kKey, "Temp Path").value, folder + "/") << "saved at OK";
    EXPECT_EQ(store.readString(kKey, "Last Output Device Name").value, "headset");

    // The devices were selected in the engine: a playback opens on the chosen output.
    const QString wave = folder + "/tone.wav";
    testsupport::runSox({"-n", "-r", "8000", "-b", "16", "-c", "1", wave, "synth", "0.1", "sine", "440"});
    ASSERT_EQ(engine.AudioPlayWave(wave, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(backend.outputDevice(backend.outputStreamCount() - 1), "headset");
    engine.AudioStop();

    // Back to the folder the program runs with: no restart needed, and that folder is written.
    EXPECT_TRUE(p.accept({systemTemp(), false, false, 2, 3}));
    EXPECT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(p.tempFolder().pending(), systemTemp());
    EXPECT_EQ(p.inputDevices().storedIndex(), -1);
    EXPECT_EQ(p.GetInputDeviceIndex(), 1) << "the preferred input";
    EXPECT_EQ(store.readString(kKey, "Temp Path").value, systemTemp());

    // No selection in a list changes nothing of its device.
    EXPECT_TRUE(p.accept({systemTemp(), false, false, -1, -1}));
    EXPECT_EQ(p.outputDevices().storedIndex(), -1);
}

TEST_F(RecorderPreferencesTest, FolderButtons)
{
    RecorderPreferences& p = load();
    EXPECT_EQ(RecorderPreferences::defaultFolderText(), systemTemp());

    ui.expectChooseFolder(QString("/chosen/folder"), "Select Folder for Temp Files");
    EXPECT_EQ(p.browseFolder("  /old/text  "), "/chosen/folder");
    EXPECT_EQ(ui.prompts().back().startFolder, "/old/text");
    ui.expectChooseFolder(std::nullopt);
    EXPECT_EQ(p.browseFolder("  /old/text  "), "/old/text") << "a cancelled browse keeps the trimmed text";
}
