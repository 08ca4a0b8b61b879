// The editor's stored preferences: defaults of a fresh system, value-by-value fallback with its
// result code, the rip folder and its default, the editor's own texts and caption, and saving.
#include "common/EditorPreferences.h"

#include "common/EditorMessages.h"
#include "common/ErrCodes.h"
#include "common/JobRecord.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/VirtualBackend.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <memory>

using testsupport::ScriptedInteraction;

namespace {

const QString kKey = QString::fromLatin1(kEditorSettingsKey);

QString systemTemp()
{
    return QDir::tempPath() + "/";
}

QString musicFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::MusicLocation) + "/";
}

class EditorPreferencesTest : public testing::Test {
protected:
    EditorPreferences& make()
    {
        preferences = std::make_unique<EditorPreferences>(store, engine, messages, PlayerErrorToMessageId);
        return *preferences;
    }

    platform::audio::VirtualBackend backend;
    platform::audio::AudioEngine engine{backend};
    ScriptedInteraction ui;
    platform::Messages messages = makeEditorMessages(ui);
    platform::MemorySettingsStore store;
    std::unique_ptr<EditorPreferences> preferences;
};

} // namespace

TEST_F(EditorPreferencesTest, FreshSystem)
{
    QDir(musicFolder()).removeRecursively();
    EditorPreferences& p = make();
    EXPECT_EQ(p.load(), 186) << "values were missing";
    EXPECT_TRUE(p.GetShowSongInfoDialog());
    EXPECT_TRUE(p.GetCheckForUpdate());
    EXPECT_FALSE(p.GetAlwaysTestLevels());
    EXPECT_EQ(p.GetRipFolder(), musicFolder());
    EXPECT_TRUE(QFileInfo(musicFolder()).isDir()) << "made when missing";
    EXPECT_EQ(EditorPreferences::GetDefaultRipFolder(), musicFolder());
    EXPECT_EQ(p.GetTempPath(), systemTemp());
    EXPECT_EQ(engine.tempPath(), systemTemp());
    EXPECT_EQ(p.inputDevices().storedIndex(), -1);
    EXPECT_EQ(p.GetOutputDeviceIndex(), 0);
    EXPECT_TRUE(ui.prompts().empty());

    EXPECT_EQ(p.save(), 0);
    EXPECT_EQ(store.readString(kKey, "Rip To Music Library Path").value, musicFolder());
    EXPECT_EQ(store.readInteger(kKey, "Song Info Dialog").value, 1);
    EXPECT_EQ(store.readInteger(kKey, "Check For Update").value, 1);
    EXPECT_EQ(store.readString(kKey, "Temp Path").value, systemTemp());

    EditorPreferences again(store, engine, messages, PlayerErrorToMessageId);
    EXPECT_EQ(again.load(), 0) << "everything is there the second time";
}

TEST_F(EditorPreferencesTest, EachUnreadableValueGivesItsDefault)
{
    const QString rip = testsupport::testFolder();
    store.writeString(kKey, "Temp Path", systemTemp());
    store.writeString(kKey, "Rip To Music Library Path", rip);
    store.writeBool(kKey, "Always Test Levels", true);
    store.writeString(kKey, "Song Info Dialog", "abc");
    store.writeBool(kKey, "Check For Update", false);
    store.writeInteger(kKey, "Last Input Device Selected", 0);
    store.writeInteger(kKey, "Last Output Device Selected", 0);

    EditorPreferences& p = make();
    EXPECT_EQ(p.load(), 186);
    EXPECT_TRUE(p.GetShowSongInfoDialog()) << "a value of another type leaves the switch on";
    EXPECT_FALSE(p.GetCheckForUpdate());
    EXPECT_TRUE(p.GetAlwaysTestLevels());
    EXPECT_EQ(p.GetRipFolder(), rip + "/");
    EXPECT_EQ(p.GetInputDeviceIndex(), 0);

    store.writeBool(kKey, "Song Info Dialog", false);
    EditorPreferences complete(store, engine, messages, PlayerErrorToMessageId);
    EXPECT_EQ(complete.load(), 0);
    EXPECT_FALSE(complete.GetShowSongInfoDialog());
}

TEST_F(EditorPreferencesTest, FoldersThatAreGone)
{
    const QString base = testsupport::testFolder();
    store.writeString(kKey, "Temp Path", base + "/gone-temp/");
    store.writeString(kKey, "Rip To Music Library Path", base + "/gone-rip/");
    ui.expectMessageBox(platform::IDOK, "Invalid Temporary file location");

    EditorPreferences& p = make();
    p.load();
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].text, "Error: Invalid Temporary file location. ZuqEditor will store temp files at '"
                                        + systemTemp() + "'. To change Temporary file location go to File->Preferences.");
    EXPECT_EQ(ui.prompts()[0].caption, "Vexal Audio Zuq Editor");
    EXPECT_EQ(p.GetTempPath(), systemTemp());
    EXPECT_EQ(p.GetRipFolder(), musicFolder());

    EXPECT_EQ(p.save(), 0);
    EXPECT_EQ(store.readString(kKey, "Temp Path").value, base + "/gone-temp/") << "kept for its drive's return";
    EXPECT_EQ(store.readString(kKey, "Rip To Music Library Path").value, base + "/gone-rip/");

    // A rip folder that goes away while the editor runs.
    const QString rip = base + "/rip/";
    QDir().mkpath(rip);
    store.writeString(kKey, "Rip To Music Library Path", rip);
    ui.expectMessageBox(platform::IDOK, "Invalid Temporary file location");
    EditorPreferences running(store, engine, messages, PlayerErrorToMessageId);
    running.load();
    EXPECT_EQ(running.GetRipFolder(), rip);
    QDir(rip).removeRecursively();
    EXPECT_EQ(running.GetRipFolder(), musicFolder());
}

TEST_F(EditorPreferencesTest, SongInfoSwitchIsSaved)
{
    EditorPreferences& p = make();
    p.load();
    p.SetShowSongInfoDialog(false);
    EXPECT_FALSE(p.GetShowSongInfoDialog());
    EXPECT_EQ(p.save(), 0);
    EXPECT_EQ(store.readInteger(kKey, "Song Info Dialog").value, 0);

    // Unreadable at load, the user's later choice is still written.
    store.setFailReads(true);
    EditorPreferences failing(store, engine, messages, PlayerErrorToMessageId);
    EXPECT_EQ(failing.load(), 186);
    store.setFailReads(false);
    failing.SetShowSongInfoDialog(true);
    EXPECT_EQ(failing.save(), 0);
    EXPECT_EQ(store.readInteger(kKey, "Song Info Dialog").value, 1);
    EXPECT_EQ(store.readString(kKey, "Temp Path").value, systemTemp()) << "the values not read stay as stored";
}

TEST_F(EditorPreferencesTest, NoDevicesAndUnopenableKeyUseTheEditorsTexts)
{
    backend.setInputDevices({});
    backend.setOutputDevices({});
    store.setFailKeyCreation(true);
    ui.expectMessageBox(platform::IDOK, "Cannot open registry key");
    ui.expectMessageBox(platform::IDOK, "No recording device found");
    ui.expectMessageBox(platform::IDOK, "No playback device found");

    EditorPreferences& p = make();
    EXPECT_EQ(p.load(), 185);
    ASSERT_EQ(ui.prompts().size(), 3u);
    EXPECT_EQ(ui.prompts()[2].text,
              "Error: No playback device found. Please install a sound blaster compatible sound card and try again.");
    for (const auto& prompt : ui.prompts())
        EXPECT_EQ(prompt.caption, "Vexal Audio Zuq Editor");
}

TEST(EditorMessages, TableLoadsWithTheQuotedTexts)
{
    platform::StringTable table;
    ASSERT_TRUE(table.load(QString::fromLatin1(kEditorStringTablePath))) << table.errorString().toStdString();
    EXPECT_EQ(table.ids(), editorStringTable().ids());
    EXPECT_EQ(table.text(180),
              "Error : Invalid temporary file location specified. Please specify another location or press Default.");
    EXPECT_EQ(table.text(421), "Please restart the program in order to set the temporary files path.");
    EXPECT_EQ(table.text(441), "Error: Invalid Temporary file location. %s will store temp files at '%s'. To change "
                               "Temporary file location go to File->Preferences.");
    EXPECT_EQ(table.text(194),
              "Error: No playback device found. Please install a sound blaster compatible sound card and try again.");
    // The editor's own words, which differ from the recorder's by a colon.
    EXPECT_EQ(table.text(187), "Error: Cannot write data in registry. The system might be low on resources. Please "
                               "close other applications and try again.");
    for (const int id : {183, 185, 186, 192})
        EXPECT_FALSE(table.text(id).isEmpty()) << id;
    for (const int id : {180, 194, 421, 441})
        EXPECT_EQ(recorderStringTable().text(id), table.text(id)) << "the recorder shows the same words: " << id;
}

TEST(EditorMessages, EveryCodeOfTheJobsHasItsText)
{
    // A job's failure reaches the user as the editor's message for its code, never as a blank box.
    const std::pair<int, const char*> codes[] = {
        {JobCode::NoMemory, "Error : Could not allocate enough memory."},
        {JobCode::NoCopyThread, "Error: Cannot create thread for copy file."},
        {JobCode::NoPeakThread, "Error: Cannot create thread for waveform drawing."},
        {JobCode::NoWorkspaceThread, "Error: Cannot create thread for making edit file."},
        {JobCode::NoEffectThread, "Error: Cannot create thread for effects processing file."},
        {149, "Error : Could not open wave file. Probably the file is in use"},
        {150, "Error : Could not create wave file."},
    };
    for (const auto& [code, start] : codes)
        EXPECT_TRUE(editorStringTable().text(code).startsWith(QLatin1String(start))) << code;
}
