// The recorder's preferences window, offscreen: its pages and texts, OK refused for a folder that
// does not exist, OK with a new folder, Cancel and closing putting the controls back, the folder
// buttons and Help.
#include "common/PreferencesForm.h"

#include "common/ErrCodes.h"
#include "common/RecorderPreferences.h"
#include "platform/ui/HelpOpener.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/base/ProgramFolder.h"
#include "platform/ui/UrlOpener.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/VirtualBackend.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

using testsupport::ScriptedInteraction;

namespace {

class RecordingUrlOpener : public platform::UrlOpener {
public:
    bool openUrl(const QUrl& url) override
    {
        opened.push_back(url);
        return true;
    }
    std::vector<QUrl> opened;
};

class PreferencesFormTest : public testing::Test {
protected:
    PreferencesFormTest()
    {
        backend.setInputDevices({{"mic", "USB Microphone"}});
        backend.setOutputDevices({{"speakers", "Speakers"}, {"headset", "Headset"}});
        preferences.load();
    }

    platform::audio::VirtualBackend backend;
    platform::audio::AudioEngine engine{backend};
    ScriptedInteraction ui;
    platform::Messages messages = makeRecorderMessages(ui);
    platform::MemorySettingsStore store;
    RecorderPreferences preferences{store, engine, messages};
    RecordingUrlOpener urls;
    platform::HelpOpener help{urls, ui, "Wexo Ravadur"};
    const QString systemTemp = QDir::tempPath() + "/";
};

} // namespace

TEST_F(PreferencesFormTest, PagesAndTexts)
{
    TPreferencesForm form(preferences, &help);
    ASSERT_EQ(form.PageControl->count(), 2);
    EXPECT_EQ(form.PageControl->tabText(0), "General");
    EXPECT_EQ(form.PageControl->tabText(1), "Devices");
    EXPECT_EQ(form.DefaultButton->text(), "&Default");
    EXPECT_EQ(form.BrowseButton->text(), "Browse...");
    EXPECT_EQ(form.AlwaysTestLevelsCheckBox->text(), "&Always Show Test Levels");
    EXPECT_EQ(form.PreventSaturationCheckBox->text(), "&Prevent Saturation");
    EXPECT_EQ(form.OkButton->text(), "OK");
    EXPECT_EQ(form.CancelButton->text(), "Cancel");
    EXPECT_EQ(form.HelpButton->text(), "&Help");
    EXPECT_EQ(form.TempPathEdit->text(), systemTemp);

    ASSERT_EQ(form.InputDevicesComboBox->count(), 2);
    EXPECT_EQ(form.InputDevicesComboBox->itemText(0), "USB Microphone");
    EXPECT_EQ(form.InputDevicesComboBox->itemText(1), "Default Recording Device");
    EXPECT_EQ(form.InputDevicesComboBox->currentIndex(), 1);
    ASSERT_EQ(form.OutputDevicesComboBox->count(), 3);
    EXPECT_EQ(form.OutputDevicesComboBox->itemText(2), "Default Playback Device");
    EXPECT_EQ(form.OutputDevicesComboBox->currentIndex(), 2);
}

TEST_F(PreferencesFormTest, OkWithAFolderThatDoesNotExistKeepsTheWindowOpen)
{
    TPreferencesForm form(preferences, &help);
    form.show();
    form.TempPathEdit->setText(testsupport::testFolder() + "/missing");
    form.AlwaysTestLevelsCheckBox->setChecked(true);
    ui.expectMessageBox(platform::IDOK, "Invalid temporary file location specified");
    form.OkButton->click();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.result(), 0);
    EXPECT_FALSE(preferences.GetAlwaysTestLevels());
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].caption, "Wexo Ravadur");
}

TEST_F(PreferencesFormTest, OkTakesTheChoiceAndCancelPutsTheControlsBack)
{
    const QString folder = testsupport::testFolder();
    TPreferencesForm form(preferences, &help);
    form.show();
    form.TempPathEdit->setText(folder);
    form.PreventSaturationCheckBox->setChecked(true);
    form.OutputDevicesComboBox->setCurrentIndex(1);
    ui.expectMessageBox(platform::IDOK, "Please restart the program");
    form.OkButton->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(preferences.GetTempPath(), folder + "/") << "returned at once";
    EXPECT_EQ(form.TempPathEdit->text(), folder + "/");
    EXPECT_TRUE(preferences.GetPreventSaturation());
    EXPECT_EQ(preferences.GetOutputDeviceIndex(), 1);

    // Changes thrown away by Cancel, by closing the window and by Escape.
    for (int way = 0; way < 3; ++way) {
        form.show();
        EXPECT_EQ(form.TempPathEdit->text(), systemTemp) << "the field shows the folder in use";
        form.TempPathEdit->setText("/elsewhere");
        form.PreventSaturationCheckBox->setChecked(false);
        form.AlwaysTestLevelsCheckBox->setChecked(true);
        form.OutputDevicesComboBox->setCurrentIndex(0);
        if (way == 0)
            form.CancelButton->click();
        else if (way == 1)
            form.close();
        else
            form.reject();
        EXPECT_FALSE(form.isVisible()) << way;
        EXPECT_EQ(form.result(), QDialog::Rejected) << way;
        EXPECT_EQ(form.TempPathEdit->text(), systemTemp) << way;
        EXPECT_EQ(preferences.tempFolder().pending(), folder + "/") << way;
        EXPECT_TRUE(form.PreventSaturationCheckBox->isChecked()) << way;
        EXPECT_FALSE(form.AlwaysTestLevelsCheckBox->isChecked()) << way;
        EXPECT_EQ(form.OutputDevicesComboBox->currentIndex(), 1) << way;
        EXPECT_EQ(preferences.GetOutputDeviceIndex(), 1) << way;
        EXPECT_TRUE(preferences.GetPreventSaturation()) << way;
    }
    EXPECT_EQ(ui.prompts().size(), 1u);
}

// A folder chosen for the next start is not what the program runs with: the window, shown again,
// shows the folder in use, while the chosen one is still what the settings get.
TEST_F(PreferencesFormTest, ShownAgainItShowsTheFolderInUse)
{
    const QString folder = testsupport::testFolder() + "/";
    TPreferencesForm form(preferences, &help);
    form.show();
    form.TempPathEdit->setText(folder);
    ui.expectMessageBox(platform::IDOK, "Please restart the program");
    form.OkButton->click();
    ASSERT_FALSE(form.isVisible());
    ASSERT_EQ(preferences.tempFolder().pending(), folder);

    form.show();
    EXPECT_EQ(form.TempPathEdit->text(), systemTemp);
    EXPECT_EQ(preferences.tempFolder().current(), systemTemp);
    EXPECT_EQ(preferences.GetTempPath(), systemTemp) << "the field's folder";
    EXPECT_EQ(preferences.tempFolder().pending(), folder) << "still waiting for the next start";
    EXPECT_EQ(engine.tempPath(), systemTemp);
    EXPECT_EQ(preferences.save(), 0);
    EXPECT_EQ(store.readString(QString::fromLatin1(kRecorderSettingsKey), "Temp Path").value, folder);
    form.reject();
    EXPECT_EQ(ui.prompts().size(), 1u);
}

TEST_F(PreferencesFormTest, FolderButtonsAndHelp)
{
    const QString program = testsupport::testFolder();
    platform::ProgramFolderOverride programFolder(program);
    QDir().mkpath(program + "/help/WexoRavadur");
    testsupport::writeFile(program + "/help/WexoRavadur/16.html", "<html></html>");

    TPreferencesForm form(preferences, &help);
    form.show();
    form.TempPathEdit->setText(" /typed ");
    ui.expectChooseFolder(std::nullopt, "Select Folder for Temp Files");
    form.BrowseButton->click();
    EXPECT_EQ(form.TempPathEdit->text(), "/typed");
    ui.expectChooseFolder(QString("/picked"));
    form.BrowseButton->click();
    EXPECT_EQ(form.TempPathEdit->text(), "/picked");
    form.DefaultButton->click();
    EXPECT_EQ(form.TempPathEdit->text(), systemTemp);

    form.HelpButton->click();
    ASSERT_EQ(urls.opened.size(), 1u);
    EXPECT_EQ(urls.opened[0], QUrl::fromLocalFile(program + "/help/WexoRavadur/16.html"));
    form.reject();
}
