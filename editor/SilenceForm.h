#pragma once
// TInsertSilenceForm, "Insert Silence": how many seconds of silence Edit > Insert Silence inserts.
// The length is kept in the editor's settings from one run to the next.

#include "editor/SilenceDialogRules.h"

#include <QDialog>

class QLineEdit;

namespace platform {
class HelpOpener;
class Messages;
class SettingsStore;
} // namespace platform

class TInsertSilenceForm : public QDialog {
    Q_OBJECT

public:
    TInsertSilenceForm(platform::SettingsStore& settings, const platform::Messages& messages,
                       platform::HelpOpener* help, QWidget* parent = nullptr);

    // The length in seconds, as stored or as the last OK took it.
    double silenceTime() const { return m_rules.time(); }

    // A field that holds no length from 0.001 up to 4,294,967,295 s shows the last length again and
    // the dialog stays open.
    void accept() override;
    void reject() override;

private:
    platform::SettingsStore& m_settings;
    const platform::Messages& m_messages;
    InsertSilenceRules m_rules;
    QLineEdit* m_edit = nullptr;
};
