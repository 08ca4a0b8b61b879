#include "recorder/PodcastWizard.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace recorder {

namespace {

QString rateText(uint32_t rate)
{
    return QStringLiteral("%1 Hz").arg(rate);
}

QString bitText(int bits)
{
    return QStringLiteral("%1 Bit").arg(bits);
}

uint32_t rateOf(const QString& text)
{
    return QString(text).remove(QStringLiteral(" Hz")).toUInt();
}

int bitsOf(const QString& text)
{
    return QString(text).remove(QStringLiteral(" Bit")).toInt();
}

} // namespace

TPodcastWizardForm::TPodcastWizardForm(std::vector<OfferedFormat> offered, QWidget* parent)
    : QDialog(parent)
    , m_offered(std::move(offered))
{
    setObjectName(QStringLiteral("PodcastWizardForm"));
    setWindowTitle(QStringLiteral("Podcast Wizard"));
    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("LocatePageControl"));
    auto* quality = new QWidget(pages);
    pages->addTab(quality, QStringLiteral("Music &Quality"));

    auto* layout = new QVBoxLayout(quality);
    const std::pair<Quality, const char*> presets[] = {
        {Quality::Cd, "CD Quality (Best)"},
        {Quality::Fm, "FM Quality (Good)"},
        {Quality::AmRadio, "AM Radio Quality (Small file size)"},
        {Quality::Custom, "Custom Audio Quality"},
    };
    std::vector<QRadioButton*> buttons;
    for (const auto& [preset, caption] : presets) {
        auto* button = new QRadioButton(QString::fromLatin1(caption), quality);
        button->setObjectName(QStringLiteral("Quality%1").arg(int(preset)));
        layout->addWidget(button);
        connect(button, &QRadioButton::toggled, this, [this, preset = preset](bool on) {
            if (on)
                selectQuality(preset);
        });
        buttons.push_back(button);
    }
    auto* boxes = new QFormLayout;
    m_rate = new QComboBox(quality);
    m_rate->setObjectName(QStringLiteral("SampleRateComboBox"));
    m_bits = new QComboBox(quality);
    m_bits->setObjectName(QStringLiteral("BitsComboBox"));
    m_channels = new QComboBox(quality);
    m_channels->setObjectName(QStringLiteral("ChannelsComboBox"));
    boxes->addRow(QStringLiteral("Sample Rate"), m_rate);
    boxes->addRow(QStringLiteral("Bits"), m_bits);
    boxes->addRow(QStringLiteral("Channels"), m_channels);
    layout->addLayout(boxes);
    m_rate->addItems(rateTexts(m_offered));
    connect(m_rate, &QComboBox::currentIndexChanged, this, &TPodcastWizardForm::fillBits);
    connect(m_bits, &QComboBox::currentIndexChanged, this, &TPodcastWizardForm::fillChannels);
    select(qualityFormat(Quality::Cd));

    auto* buttonsBox = new QDialogButtonBox(this);
    auto* back = buttonsBox->addButton(QStringLiteral("<< &Back"), QDialogButtonBox::ActionRole);
    auto* next = buttonsBox->addButton(QStringLiteral("Ne&xt >>"), QDialogButtonBox::ActionRole);
    // The pad pages that would follow are not part of this wizard.
    back->setEnabled(false);
    next->setEnabled(false);
    auto* finish = buttonsBox->addButton(QStringLiteral("&Finish"), QDialogButtonBox::AcceptRole);
    finish->setObjectName(QStringLiteral("FinishButton"));
    finish->setDefault(true);
    auto* cancel = buttonsBox->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(buttonsBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttonsBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(pages);
    outer->addWidget(buttonsBox);
    buttons.front()->setChecked(true);
}

void TPodcastWizardForm::selectQuality(Quality quality)
{
    select(qualityFormat(quality));
    for (QComboBox* box : {m_rate, m_bits, m_channels})
        box->setEnabled(quality == Quality::Custom);
}

void TPodcastWizardForm::select(const OfferedFormat& format)
{
    m_rate->setCurrentIndex(choiceIndex(rateTexts(m_offered), rateText(format.rate)));
    fillBits();
    m_bits->setCurrentIndex(choiceIndex(bitTexts(m_offered, rateOf(m_rate->currentText())), bitText(format.bits)));
    fillChannels();
    const QString channels = format.channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Stereo");
    m_channels->setCurrentIndex(choiceIndex(
        channelTexts(m_offered, rateOf(m_rate->currentText()), bitsOf(m_bits->currentText())), channels));
}

void TPodcastWizardForm::fillBits()
{
    const int previous = m_bits->currentIndex();
    const QSignalBlocker quiet(m_bits);
    m_bits->clear();
    const QStringList texts = bitTexts(m_offered, rateOf(m_rate->currentText()));
    m_bits->addItems(texts);
    m_bits->setCurrentIndex(choiceIndex(texts, QString(), previous));
    fillChannels();
}

void TPodcastWizardForm::fillChannels()
{
    const int previous = m_channels->currentIndex();
    m_channels->clear();
    const QStringList texts = channelTexts(m_offered, rateOf(m_rate->currentText()), bitsOf(m_bits->currentText()));
    m_channels->addItems(texts);
    m_channels->setCurrentIndex(choiceIndex(texts, QString(), previous));
}

WaveFormatEx TPodcastWizardForm::chosen() const
{
    return chosenFormat(m_rate->currentText(), m_bits->currentText(), m_channels->currentText());
}

std::optional<WaveFormatEx> askRecordingFormat(QWidget* parent)
{
    TPodcastWizardForm wizard(offeredFormats([](const OfferedFormat&) { return true; }), parent);
    if (wizard.exec() != QDialog::Accepted)
        return std::nullopt;
    return wizard.chosen();
}

} // namespace recorder
