#include "podcast/XvqPageWidget.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

namespace podcast {

XvqPageWidget::XvqPageWidget(XvqPage page, QWidget* parent) : QWidget(parent), m_page(page)
{
    setObjectName(xvqPageName(page));
}

void XvqPageWidget::clearFields()
{
    const FillGuard guard(*this);
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        // The editors inside spin and combo boxes belong to those boxes.
        if (!qobject_cast<QAbstractSpinBox*>(edit->parentWidget()) && !qobject_cast<QComboBox*>(edit->parentWidget()))
            edit->clear();
    }
    for (QPlainTextEdit* memo : findChildren<QPlainTextEdit*>())
        memo->clear();
    for (QTextEdit* memo : findChildren<QTextEdit*>())
        memo->clear();
    for (QListWidget* list : findChildren<QListWidget*>())
        list->clear();
}

void XvqPageWidget::setNavigationButtons(QPushButton* back, QPushButton* next)
{
    m_back = back;
    m_next = next;
}

void XvqPageWidget::reportEdits(QObject* sender, const char* changedSignal)
{
    connect(sender, changedSignal, this, SLOT(fieldEdited()));
}

void XvqPageWidget::fieldEdited()
{
    if (!filling())
        emit informationChanged();
}

} // namespace podcast
