#include "editor/RecSettingsForm.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

TRecSettingsForm::TRecSettingsForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("RecSettingsForm"));
    setWindowTitle(QStringLiteral("Recording Format"));
    auto* form = new QFormLayout(this);
    m_rate = new QComboBox(this);
    m_rate->setObjectName(QStringLiteral("SampleRateComboBox"));
    for (const int rate : {8000, 11025, 16000, 22050, 32000, 44100, 48000})
        m_rate->addItem(QStringLiteral("%1 Hz").arg(rate), rate);
    m_rate->setCurrentIndex(m_rate->findData(44100));
    m_bits = new QComboBox(this);
    m_bits->setObjectName(QStringLiteral("BitsComboBox"));
    m_bits->addItem(QStringLiteral("8 Bit"), 8);
    m_bits->addItem(QStringLiteral("16 Bit"), 16);
    m_bits->setCurrentIndex(1);
    m_channels = new QComboBox(this);
    m_channels->setObjectName(QStringLiteral("ChannelsComboBox"));
    m_channels->addItem(QStringLiteral("Mono"), 1);
    m_channels->addItem(QStringLiteral("Stereo"), 2);
    m_channels->setCurrentIndex(1);
    form->addRow(QStringLiteral("&Sample rate:"), m_rate);
    form->addRow(QStringLiteral("&Bits:"), m_bits);
    form->addRow(QStringLiteral("&Channels:"), m_channels);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

WaveFormatEx TRecSettingsForm::format() const
{
    return makePcmFormat(uint32_t(m_rate->currentData().toInt()), uint16_t(m_bits->currentData().toInt()),
                         uint16_t(m_channels->currentData().toInt()));
}

std::optional<WaveFormatEx> TRecSettingsForm::choose(QWidget* parent)
{
    TRecSettingsForm dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.format();
}
