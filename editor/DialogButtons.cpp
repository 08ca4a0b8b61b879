#include "editor/DialogButtons.h"

#include "common/EditorPreferences.h"
#include "platform/ui/HelpOpener.h"

#include <QDialog>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>


namespace {

// The Up and Down keys in a field press its spin buttons.
class ArrowKeys : public QObject {
public:
    ArrowKeys(QToolButton* up, QToolButton* down, QObject* parent)
        : QObject(parent)
        , m_up(up)
        , m_down(down)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                (key == Qt::Key_Up ? m_up : m_down)->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QToolButton* m_up;
    QToolButton* m_down;
};

} // namespace

DialogButtons makeDialogButtons(QDialog* dialog, platform::HelpOpener* help, int helpContext)
{
    DialogButtons buttons;
    auto* row = new QHBoxLayout;
    row->addStretch();
    const auto button = [&](const char* name, const QString& caption) {
        auto* made = new QPushButton(caption, dialog);
        made->setObjectName(QString::fromLatin1(name));
        made->setAutoDefault(false);
        row->addWidget(made);
        return made;
    };
    buttons.ok = button("OkButton", QStringLiteral("Ok"));
    buttons.cancel = button("CancelButton", QStringLiteral("Cancel"));
    buttons.help = button("HelpButton", QStringLiteral("&Help"));
    buttons.ok->setDefault(true);
    buttons.row = row;
    QObject::connect(buttons.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    buttons.help->setEnabled(help != nullptr);
    QObject::connect(buttons.help, &QPushButton::clicked, dialog,
                     [help, helpContext] { help->showContext(EditorPreferences::helpFile(), helpContext); });
    return buttons;
}

SpinField makeSpinField(QDialog* dialog, const char* editName, const QString& label, const QString& unit)
{
    SpinField field;
    auto* row = new QHBoxLayout;
    auto* caption = new QLabel(label, dialog);
    field.edit = new QLineEdit(dialog);
    field.edit->setObjectName(QString::fromLatin1(editName));
    caption->setBuddy(field.edit);
    const auto arrow = [&](const char* suffix, Qt::ArrowType type) {
        auto* button = new QToolButton(dialog);
        button->setObjectName(QString::fromLatin1(editName) + QLatin1String(suffix));
        button->setArrowType(type);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(18, 12);
        return button;
    };
    field.up = arrow("Up", Qt::UpArrow);
    field.down = arrow("Down", Qt::DownArrow);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    arrows->addWidget(field.up);
    arrows->addWidget(field.down);
    row->addWidget(caption);
    row->addWidget(field.edit, 1);
    row->addLayout(arrows);
    if (!unit.isEmpty())
        row->addWidget(new QLabel(unit, dialog));
    field.edit->installEventFilter(new ArrowKeys(field.up, field.down, field.edit));
    field.row = row;
    return field;
}
