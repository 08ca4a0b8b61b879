#include "editor/TrimSilenceForm.h"

#include "editor/DialogButtons.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int kHelpContext = 19;
}

TTrimSilenceForm::TTrimSilenceForm(platform::SettingsStore& settings, const platform::Messages& messages,
                                   platform::HelpOpener* help, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_messages(messages)
    , m_rules(readStoredNumber(settings, messages, kTrimSilenceValue, TrimSilenceRules::kDefault))
{
    setObjectName(QStringLiteral("TrimSilenceForm"));
    setWindowTitle(QStringLiteral("Trim Silence"));
    auto* column = new QVBoxLayout(this);
    const SpinField field = makeSpinField(this, "SilencePercentageEdit", QStringLiteral("&Silence (% of Maximum)"));
    m_edit = field.edit;
    m_edit->setText(m_rules.text());
    connectSpinButtons(this, field, m_rules);
    column->addLayout(field.row);
    const DialogButtons buttons = makeDialogButtons(this, help, kHelpContext);
    connect(buttons.ok, &QPushButton::clicked, this, &TTrimSilenceForm::accept);
    column->addLayout(buttons.row);
}

void TTrimSilenceForm::accept()
{
    if (const auto text = m_rules.accept(m_edit->text()))
        m_edit->setText(*text);
    writeStoredNumber(m_settings, m_messages, kTrimSilenceValue, m_rules.threshold());
    QDialog::accept();
}

void TTrimSilenceForm::reject()
{
    m_edit->setText(m_rules.text());
    QDialog::reject();
}
