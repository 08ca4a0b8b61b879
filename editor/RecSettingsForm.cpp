#include "editor/RecSettingsForm.h"

#include "editor/DialogButtons.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int kHelpContext = 37;
}

bool acceptEveryRecordFormat(const WaveFormatEx&)
{
    return true;
}

TRecSettingsForm::TRecSettingsForm(const RecordFormatQuery& query, platform::HelpOpener* help, QWidget* parent)
    : QDialog(parent)
    , m_rules(supportedRecordFormats(query))
{
    setObjectName(QStringLiteral("RecSettingsForm"));
    setWindowTitle(QStringLiteral("Choose Format"));
    auto* form = new QFormLayout(this);
    const auto list = [&](const char* name, const QString& label) {
        auto* box = new QComboBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setMinimumWidth(140);
        form->addRow(label, box);
        return box;
    };
    m_rate = list("RecordingSamplingRateComboBox", QStringLiteral("&Sampling Rate"));
    m_bits = list("RecordingBitRateComboBox", QStringLiteral("&Bit Rate"));
    m_channels = list("RecordingChannelComboBox", QStringLiteral("&Channels"));
    const DialogButtons buttons = makeDialogButtons(this, help, kHelpContext);
    connect(buttons.ok, &QPushButton::clicked, this, &TRecSettingsForm::accept);
    m_ok = buttons.ok;
    form->addRow(buttons.row);
    showLists();

    connect(m_rate, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_filling)
            return;
        m_rules.selectRate(index);
        showLists();
    });
    connect(m_bits, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_filling)
            return;
        m_rules.selectBits(index);
        showLists();
    });
    connect(m_channels, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling)
            m_rules.selectChannels(index);
    });
}

void TRecSettingsForm::showLists()
{
    m_filling = true;
    const auto fill = [](QComboBox* box, const QStringList& items, int index) {
        QStringList shown;
        for (int i = 0; i < box->count(); ++i)
            shown << box->itemText(i);
        if (shown != items) {
            box->clear();
            box->addItems(items);
        }
        box->setCurrentIndex(index);
    };
    fill(m_rate, m_rules.rates(), m_rules.rateIndex());
    fill(m_bits, m_rules.bits(), m_rules.bitsIndex());
    fill(m_channels, m_rules.channels(), m_rules.channelsIndex());
    m_filling = false;
}

void TRecSettingsForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_ok->setFocus();
}

void TRecSettingsForm::accept()
{
    m_rules.accept();
    QDialog::accept();
}
