#include "podcast/FileOverwriteUnit.h"

#include "podcast/UploadSequence.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace podcast {

TOverwriteMessageForm::TOverwriteMessageForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("OverwriteMessageForm"));
    setWindowTitle(tr("File Already Exists"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    MessageLabel = new QLabel(tr("File Already Exists."), this);
    MessageLabel->setObjectName(QStringLiteral("MessageLabel"));
    MessageLabel->setWordWrap(true);
    MessageLabel->setMinimumWidth(360);
    auto* buttons = new QHBoxLayout;
    const auto add = [&](const char* name, const QString& caption, int answer) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        connect(button, &QPushButton::clicked, this, [this, answer] { done(answer); });
        buttons->addWidget(button);
        return button;
    };
    QPushButton* yesToAll = add("YesToAllButton", tr("Yes To &All"), OverwriteYesToAll);
    add("YesButton", tr("&Yes"), OverwriteYes);
    add("NoButton", tr("&No"), OverwriteNo);
    add("CancelButton", tr("&Cancel"), OverwriteCancel);
    yesToAll->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MessageLabel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TOverwriteMessageForm::reject()
{
    done(OverwriteCancel);
}

int AskOverwrite(TOverwriteMessageForm& dialog, const QString& message)
{
    dialog.MessageLabel->setText(message);
    return dialog.exec();
}

} // namespace podcast
