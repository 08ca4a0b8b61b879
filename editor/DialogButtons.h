#pragma once
// The parts the editor's small dialogs share: the button row of "Ok", "Cancel" and "&Help" (the
// last opening the dialog's page of the editor's help), and a number field with up and down
// buttons beside it.

#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <QToolButton>

class QLayout;
class QPushButton;

namespace platform {
class HelpOpener;
}

struct DialogButtons {
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* help = nullptr;
    QLayout* row = nullptr;
};

// Ok is the default button; Cancel (and Escape) reject the dialog unless the caller connects
// them otherwise. Without a help opener the Help button is disabled.
DialogButtons makeDialogButtons(QDialog* dialog, platform::HelpOpener* help, int helpContext);

struct SpinField {
    QLineEdit* edit = nullptr;
    QToolButton* up = nullptr;   // <edit's name>Up
    QToolButton* down = nullptr; // <edit's name>Down
    QLayout* row = nullptr;
};

// "label [edit][up/down] unit"; the label's accelerator goes to the edit; the Up and Down keys in
// the edit press the buttons.
SpinField makeSpinField(QDialog* dialog, const char* editName, const QString& label, const QString& unit = {});

// The field's buttons step its text by the dialog's rules, whose spinUp and spinDown give the new
// text, or nothing when it stays; rules belongs to the dialog.
template <typename Rules>
void connectSpinButtons(QDialog* dialog, const SpinField& field, Rules& rules)
{
    QLineEdit* edit = field.edit;
    QObject::connect(field.up, &QToolButton::clicked, dialog, [&rules, edit] {
        if (const auto text = rules.spinUp(edit->text()))
            edit->setText(*text);
    });
    QObject::connect(field.down, &QToolButton::clicked, dialog, [&rules, edit] {
        if (const auto text = rules.spinDown(edit->text()))
            edit->setText(*text);
    });
}
