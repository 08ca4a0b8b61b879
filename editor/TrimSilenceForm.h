#pragma once
// TTrimSilenceForm, "Trim Silence": the loudest level, in percent of full scale, that Edit > Trim
// Silence takes for silence. The level is kept in the editor's settings from one run to the next.

#include "editor/SilenceDialogRules.h"

#include <QDialog>

class QLineEdit;

namespace platform {
class HelpOpener;
class Messages;
class SettingsStore;
} // namespace platform

class TTrimSilenceForm : public QDialog {
    Q_OBJECT

public:
    TTrimSilenceForm(platform::SettingsStore& settings, const platform::Messages& messages,
                     platform::HelpOpener* help, QWidget* parent = nullptr);

    double threshold() const { return m_rules.threshold(); }

    void accept() override;
    void reject() override;

private:
    platform::SettingsStore& m_settings;
    const platform::Messages& m_messages;
    TrimSilenceRules m_rules;
    QLineEdit* m_edit = nullptr;
};
