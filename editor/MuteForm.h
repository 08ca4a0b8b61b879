#pragma once
// TMuteForm, "Wave Mute": which channels Edit > Mute silences.

#include "editor/SilenceDialogRules.h"

#include <QDialog>

class QRadioButton;

namespace platform {
class HelpOpener;
}

class TMuteForm : public QDialog {
    Q_OBJECT

public:
    // mono: the document has one channel, and the choices are disabled.
    TMuteForm(bool mono, platform::HelpOpener* help, QWidget* parent = nullptr);

    // The choice of the last OK (both channels until then).
    MuteChannels channels() const { return m_rules.channels(); }

    void accept() override;
    void reject() override;

private:
    void showChoice();

    MuteRules m_rules;
    QRadioButton* m_both = nullptr;
    QRadioButton* m_left = nullptr;
    QRadioButton* m_right = nullptr;
};
