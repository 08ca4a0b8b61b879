#include "podcast/XvqPageSupport.h"

#include "platform/ui/Messages.h"
#include "podcast/Log.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace podcast {

int showXvqMessage(const XvqContext& context, const QString& text, unsigned flags)
{
    if (context.messages == nullptr) {
        qCWarning(lcPodcast) << "builder message without a window to show it:" << text;
        return platform::IDCANCEL;
    }
    return context.messages->ShowMessageBox(text, QString::fromLatin1(kXvqCaption), flags);
}

void showXvqError(const XvqContext& context, int id)
{
    if (context.messages == nullptr) {
        qCWarning(lcPodcast) << "builder message" << id << "without a window to show it";
        return;
    }
    context.messages->ShowErrorMessage(id);
}

QPushButton* namedButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QLineEdit* namedEdit(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QLineEdit* namedReadOnlyEdit(const char* name, QWidget* parent)
{
    QLineEdit* edit = namedEdit(name, parent);
    edit->setReadOnly(true);
    return edit;
}

QPlainTextEdit* namedMemo(const char* name, QWidget* parent)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QString::fromLatin1(name));
    memo->setTabChangesFocus(true);
    return memo;
}

QLabel* namedLabel(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLabel* buddyLabel(const QString& caption, QWidget* field, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setBuddy(field);
    return label;
}

QLabel* notAvailableLabel(const QString& text, QWidget* parent)
{
    QLabel* label = namedLabel("NotAvailableLabel", text, parent);
    label->setWordWrap(true);
    return label;
}

void addNavigationRow(QBoxLayout* layout, QPushButton* back, QPushButton* next)
{
    auto* row = new QHBoxLayout;
    row->addWidget(back);
    row->addStretch(1);
    if (next != nullptr)
        row->addWidget(next);
    layout->addLayout(row);
}

} // namespace podcast
