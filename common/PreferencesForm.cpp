#include "common/PreferencesForm.h"

#include "common/RecorderPreferences.h"
#include "platform/ui/HelpOpener.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

void fillDevices(QComboBox* box, const DeviceChoice& devices)
{
    for (const DeviceEntry& entry : devices.entries())
        box->addItem(entry.description);
}

} // namespace

TPreferencesForm::TPreferencesForm(RecorderPreferences& preferences, platform::HelpOpener* help, QWidget* parent)
    : QDialog(parent)
    , m_preferences(preferences)
    , m_help(help)
{
    setWindowTitle(QStringLiteral("Preferences"));

    PageControl = new QTabWidget(this);
    PageControl->addTab(makeGeneralPage(), QStringLiteral("General"));
    PageControl->addTab(makeDevicesPage(), QStringLiteral("Devices"));

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    HelpButton = new QPushButton(QStringLiteral("&Help"), this);
    HelpButton->setEnabled(m_help != nullptr);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {OkButton, CancelButton, HelpButton})
        buttons->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addLayout(buttons);

    connect(OkButton, &QPushButton::clicked, this, &TPreferencesForm::accept);
    connect(CancelButton, &QPushButton::clicked, this, &TPreferencesForm::reject);
    connect(HelpButton, &QPushButton::clicked, this, [this] {
        m_help->showContext(RecorderPreferences::helpFile(), RecorderPreferences::kHelpContext);
    });
    connect(DefaultButton, &QPushButton::clicked, this,
            [this] { TempPathEdit->setText(RecorderPreferences::defaultFolderText()); });
    connect(BrowseButton, &QPushButton::clicked, this,
            [this] { TempPathEdit->setText(m_preferences.browseFolder(TempPathEdit->text())); });

    fillDevices(InputDevicesComboBox, m_preferences.inputDevices());
    fillDevices(OutputDevicesComboBox, m_preferences.outputDevices());
    restore();
}

QWidget* TPreferencesForm::makeGeneralPage()
{
    auto* page = new QWidget;
    auto* group = new QGroupBox(QStringLiteral("Temporary Files"), page);
    TempPathEdit = new QLineEdit(group);
    TempPathEdit->setObjectName(QStringLiteral("TempPathEdit"));
    DefaultButton = new QPushButton(QStringLiteral("&Default"), group);
    BrowseButton = new QPushButton(QStringLiteral("Browse..."), group);
    auto* folderButtons = new QHBoxLayout;
    folderButtons->addStretch();
    folderButtons->addWidget(DefaultButton);
    folderButtons->addWidget(BrowseButton);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(TempPathEdit);
    groupLayout->addLayout(folderButtons);

    AlwaysTestLevelsCheckBox = new QCheckBox(QStringLiteral("&Always Show Test Levels"), page);
    AlwaysTestLevelsCheckBox->setObjectName(QStringLiteral("AlwaysTestLevelsCheckBox"));
    PreventSaturationCheckBox = new QCheckBox(QStringLiteral("&Prevent Saturation"), page);
    PreventSaturationCheckBox->setObjectName(QStringLiteral("PreventSaturationCheckBox"));

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addWidget(AlwaysTestLevelsCheckBox);
    layout->addWidget(PreventSaturationCheckBox);
    layout->addStretch();
    return page;
}

QWidget* TPreferencesForm::makeDevicesPage()
{
    auto* page = new QWidget;
    InputDevicesComboBox = new QComboBox(page);
    InputDevicesComboBox->setObjectName(QStringLiteral("InputDevicesComboBox"));
    OutputDevicesComboBox = new QComboBox(page);
    OutputDevicesComboBox->setObjectName(QStringLiteral("OutputDevicesComboBox"));
    auto* layout = new QFormLayout(page);
    layout->addRow(QStringLiteral("Recording Device:"), InputDevicesComboBox);
    layout->addRow(QStringLiteral("Playback Device:"), OutputDevicesComboBox);
    return page;
}

void TPreferencesForm::restore()
{
    TempPathEdit->setText(m_preferences.tempFolder().field());
    AlwaysTestLevelsCheckBox->setChecked(m_preferences.GetAlwaysTestLevels());
    PreventSaturationCheckBox->setChecked(m_preferences.GetPreventSaturation());
    InputDevicesComboBox->setCurrentIndex(m_preferences.inputDevices().storedPosition());
    OutputDevicesComboBox->setCurrentIndex(m_preferences.outputDevices().storedPosition());
}

void TPreferencesForm::showEvent(QShowEvent* event)
{
    m_preferences.showCurrentTempFolder();
    restore();
    QDialog::showEvent(event);
}

void TPreferencesForm::accept()
{
    RecorderPreferencesChoice choice;
    choice.tempFolder = TempPathEdit->text();
    choice.alwaysTestLevels = AlwaysTestLevelsCheckBox->isChecked();
    choice.preventSaturation = PreventSaturationCheckBox->isChecked();
    choice.inputPosition = InputDevicesComboBox->currentIndex();
    choice.outputPosition = OutputDevicesComboBox->currentIndex();
    if (!m_preferences.accept(choice))
        return;
    restore();
    QDialog::accept();
}

void TPreferencesForm::reject()
{
    restore();
    QDialog::reject();
}
