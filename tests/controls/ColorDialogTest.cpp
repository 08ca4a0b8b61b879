// The "Set Colors" dialog (offscreen, never shown modally): selecting an element shows its choice
// and colour, Default and Customize switch between the two colours, Change Color picks a custom
// one, and Ok, Cancel, Apply and Help do what their captions say.
#include "common/ErrCodes.h"
#include "controls/Color.h"
#include "platform/ui/HelpOpener.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Messages.h"
#include "platform/ui/UrlOpener.h"
#include "tests/support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

using namespace controls;

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

} // namespace

TEST(ColorDialogTest, EditsTheSchemeAndSavesOnlyOnOkOrApply)
{
    testsupport::ScriptedInteraction ui;
    const platform::Messages messages(recorderStringTable(), ui, QStringLiteral("Zuq Editor"));
    platform::MemorySettingsStore store;
    const QString key = ColorScheme::keyPath(SchemeProgram::Editor);
    ASSERT_TRUE(store.writeString(key, "Axis", "$00123456"));
    ColorScheme scheme(SchemeProgram::Editor, store, messages);
    RecordingUrlOpener urls;
    platform::HelpOpener help(urls, ui, QStringLiteral("Zuq Editor"));

    TColorForm form(scheme, &help);
    EXPECT_EQ(form.windowTitle(), "Set Colors");
    ASSERT_EQ(form.DisplayElementsListBox->count(), EditorColor::Count);
    EXPECT_EQ(form.DisplayElementsListBox->item(EditorColor::SelectionWaveform)->text(), "Selection Waveform");
    EXPECT_EQ(form.DisplayElementsListBox->currentRow(), 0);
    EXPECT_TRUE(form.DefaultRadioButton->isChecked());
    EXPECT_EQ(form.sampleColor(), QColor(0, 0, 0));

    // The stored axis colour is custom.
    form.DisplayElementsListBox->setCurrentRow(EditorColor::Axis);
    EXPECT_TRUE(form.CustomizeRadioButton->isChecked());
    EXPECT_EQ(form.sampleColor(), QColor(0x56, 0x34, 0x12));
    form.DefaultRadioButton->click();
    EXPECT_EQ(form.sampleColor(), QColor(0x6A, 0xB5, 0xFF));
    EXPECT_EQ(scheme.GetSchemeColor(EditorColor::Axis), 0xFFB56Au);
    form.CustomizeRadioButton->click();
    EXPECT_EQ(form.sampleColor(), QColor(0x56, 0x34, 0x12)) << "the custom colour read is kept";

    // Customize on an element never customised shows its default; Change Color picks one.
    form.DisplayElementsListBox->setCurrentRow(EditorColor::Cursor);
    form.CustomizeRadioButton->click();
    EXPECT_EQ(form.sampleColor(), QColor(0, 255, 0));
    QColor offered;
    form.setColorPicker([&](const QColor& initial, QWidget*) -> std::optional<QColor> {
        offered = initial;
        return QColor(10, 20, 30);
    });
    form.ChangeColor->click();
    EXPECT_EQ(offered, QColor(0, 255, 0)) << "the chooser starts at the colour shown";
    EXPECT_EQ(scheme.GetSchemeColor(EditorColor::Cursor), 0x1E140Au);
    form.setColorPicker([](const QColor&, QWidget*) { return std::optional<QColor>(); });
    form.ChangeColor->click();
    EXPECT_EQ(scheme.GetSchemeColor(EditorColor::Cursor), 0x1E140Au) << "a cancelled chooser changes nothing";
    EXPECT_FALSE(store.valueExists(key, "Cursor")) << "nothing saved yet";

    // Cancel drops the changes.
    form.CancelButton->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(scheme.GetSchemeColor(EditorColor::Cursor), 0x00FF00u);
    EXPECT_EQ(form.DisplayElementsListBox->currentRow(), 0);

    // Apply saves and tells the host; Ok saves.
    QSignalSpy applied(&form, &TColorForm::applied);
    form.DisplayElementsListBox->setCurrentRow(EditorColor::Waveform);
    form.ChangeColor->click(); // cancelled chooser
    form.setColorPicker([](const QColor&, QWidget*) { return std::optional<QColor>(QColor(1, 2, 3)); });
    form.ChangeColor->click();
    form.ApplyButton->click();
    EXPECT_EQ(applied.size(), 1);
    EXPECT_EQ(store.readString(key, "Waveform").value, "$00030201");
    EXPECT_EQ(store.valueNames(key).size(), EditorColor::Count);
    form.DisplayElementsListBox->setCurrentRow(EditorColor::Axis);
    form.DefaultRadioButton->click();
    form.OkButton->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(store.readString(key, "Axis").value, "$00FFB56A");

    // Help opens the dialog's page of the editor's help, or says it is missing.
    ui.expectMessageBox(platform::IDOK, "ZuqEditor/26.html");
    form.HelpButton->click();
    EXPECT_TRUE(ui.allConsumed());
    EXPECT_TRUE(urls.opened.empty());
}
