#include "controls/Color.h"

#include "platform/base/Colors.h"
#include "platform/ui/HelpOpener.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace controls {

namespace {

// The help page of the dialog.
constexpr int kColorHelpContext = 26;

} // namespace

TColorForm::TColorForm(ColorScheme& scheme, platform::HelpOpener* help, QWidget* parent)
    : QDialog(parent)
    , m_scheme(scheme)
    , m_help(help)
    , m_picker([](const QColor& initial, QWidget* owner) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(initial, owner);
        return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
    })
{
    setWindowTitle(QStringLiteral("Set Colors"));

    auto* schemeBox = new QGroupBox(QStringLiteral("[ Color Scheme ]"), this);
    auto* elementsLabel = new QLabel(QStringLiteral("Display Elements"), schemeBox);
    DisplayElementsListBox = new QListWidget(schemeBox);
    elementsLabel->setBuddy(DisplayElementsListBox);

    auto* colorRadioGroup = new QGroupBox(QStringLiteral("Color"), schemeBox);
    DefaultRadioButton = new QRadioButton(QStringLiteral("Default"), colorRadioGroup);
    CustomizeRadioButton = new QRadioButton(QStringLiteral("Customize"), colorRadioGroup);
    auto* radios = new QButtonGroup(this);
    radios->addButton(DefaultRadioButton);
    radios->addButton(CustomizeRadioButton);
    auto* radioLayout = new QVBoxLayout(colorRadioGroup);
    radioLayout->addWidget(DefaultRadioButton);
    radioLayout->addWidget(CustomizeRadioButton);

    ChangeColor = new QPushButton(QStringLiteral("Change &Color..."), schemeBox);
    SampleColorPanel = new QFrame(schemeBox);
    SampleColorPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    SampleColorPanel->setAutoFillBackground(true);
    SampleColorPanel->setMinimumSize(60, 30);

    auto* schemeLayout = new QGridLayout(schemeBox);
    schemeLayout->addWidget(elementsLabel, 0, 0);
    schemeLayout->addWidget(DisplayElementsListBox, 1, 0, 3, 1);
    schemeLayout->addWidget(colorRadioGroup, 1, 1);
    schemeLayout->addWidget(ChangeColor, 2, 1);
    schemeLayout->addWidget(SampleColorPanel, 3, 1);

    OkButton = new QPushButton(QStringLiteral("Ok"), this);
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    ApplyButton = new QPushButton(QStringLiteral("Apply"), this);
    HelpButton = new QPushButton(QStringLiteral("&Help"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {OkButton, CancelButton, ApplyButton, HelpButton})
        buttons->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(schemeBox);
    layout->addLayout(buttons);

    connect(DisplayElementsListBox, &QListWidget::currentRowChanged, this, &TColorForm::elementSelected);
    connect(DefaultRadioButton, &QRadioButton::clicked, this, [this] { colorChoiceClicked(true); });
    connect(CustomizeRadioButton, &QRadioButton::clicked, this, [this] { colorChoiceClicked(false); });
    connect(ChangeColor, &QPushButton::clicked, this, &TColorForm::changeColorClicked);
    connect(OkButton, &QPushButton::clicked, this, &TColorForm::accept);
    connect(CancelButton, &QPushButton::clicked, this, &TColorForm::reject);
    connect(ApplyButton, &QPushButton::clicked, this, &TColorForm::applyClicked);
    connect(HelpButton, &QPushButton::clicked, this, &TColorForm::helpClicked);

    m_scheme.LoadColorScheme();
    fillList();
}

void TColorForm::fillList()
{
    DisplayElementsListBox->blockSignals(true);
    DisplayElementsListBox->clear();
    for (int i = 0; i < m_scheme.count(); ++i)
        DisplayElementsListBox->addItem(m_scheme.element(i).name);
    DisplayElementsListBox->blockSignals(false);
    DisplayElementsListBox->setCurrentRow(0);
    elementSelected(DisplayElementsListBox->currentRow());
}

void TColorForm::elementSelected(int index)
{
    if (index < 0 || index >= m_scheme.count())
        return;
    (m_scheme.element(index).useDefault ? DefaultRadioButton : CustomizeRadioButton)->setChecked(true);
    showSample(m_scheme.GetSchemeColor(index));
}

void TColorForm::colorChoiceClicked(bool useDefault)
{
    const int index = DisplayElementsListBox->currentRow();
    if (index < 0 || index >= m_scheme.count())
        return;
    m_scheme.setUseDefault(index, useDefault);
    showSample(m_scheme.GetSchemeColor(index));
}

void TColorForm::changeColorClicked()
{
    const int index = DisplayElementsListBox->currentRow();
    const std::optional<QColor> chosen = m_picker(m_sample, this);
    if (!chosen || index < 0 || index >= m_scheme.count())
        return;
    CustomizeRadioButton->setChecked(true);
    m_scheme.setUseDefault(index, false);
    m_scheme.setCustomColor(index, platform::colorToRef(*chosen));
    showSample(m_scheme.GetSchemeColor(index));
}

void TColorForm::showSample(uint32_t color)
{
    m_sample = platform::colorFromRef(color);
    QPalette palette = SampleColorPanel->palette();
    palette.setColor(QPalette::Window, m_sample);
    SampleColorPanel->setPalette(palette);
}

void TColorForm::accept()
{
    m_scheme.SaveColorScheme();
    QDialog::accept();
}

void TColorForm::reject()
{
    m_scheme.LoadColorScheme();
    fillList();
    QDialog::reject();
}

void TColorForm::applyClicked()
{
    m_scheme.SaveColorScheme();
    emit applied();
}

void TColorForm::helpClicked()
{
    if (m_help)
        m_help->showContext(ColorScheme::helpFile(m_scheme.program()), kColorHelpContext);
}

} // namespace controls
