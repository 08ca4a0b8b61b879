#include "editor/SilenceForm.h"

#include "editor/DialogButtons.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int kHelpContext = 25;
}

TInsertSilenceForm::TInsertSilenceForm(platform::SettingsStore& settings, const platform::Messages& messages,
                                       platform::HelpOpener* help, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_messages(messages)
    , m_rules(readStoredNumber(settings, messages, kInsertSilenceTimeValue, InsertSilenceRules::kDefault))
{
    setObjectName(QStringLiteral("InsertSilenceForm"));
    setWindowTitle(QStringLiteral("Insert Silence"));
    auto* column = new QVBoxLayout(this);
    const SpinField field =
        makeSpinField(this, "SilenceTimeEdit", QStringLiteral("&Silence Time"), QStringLiteral("seconds"));
    m_edit = field.edit;
    m_edit->setText(m_rules.text());
    connectSpinButtons(this, field, m_rules);
    column->addLayout(field.row);
    const DialogButtons buttons = makeDialogButtons(this, help, kHelpContext);
    connect(buttons.ok, &QPushButton::clicked, this, &TInsertSilenceForm::accept);
    column->addLayout(buttons.row);
}

void TInsertSilenceForm::accept()
{
    if (!m_rules.accept(m_edit->text())) {
        m_edit->setText(m_rules.text());
        m_edit->setFocus();
        return;
    }
    writeStoredNumber(m_settings, m_messages, kInsertSilenceTimeValue, m_rules.time());
    QDialog::accept();
}

void TInsertSilenceForm::reject()
{
    m_edit->setText(m_rules.text());
    QDialog::reject();
}
