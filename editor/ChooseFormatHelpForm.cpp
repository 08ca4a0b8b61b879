#include "editor/ChooseFormatHelpForm.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TChooseFormatHelpForm::TChooseFormatHelpForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ChooseFormatHelpForm"));
    setWindowTitle(QStringLiteral("Help"));
    auto* column = new QVBoxLayout(this);
    auto* memo = new QPlainTextEdit(this);
    memo->setObjectName(QStringLiteral("HelpMemo"));
    memo->setReadOnly(true);
    memo->setPlainText(lines().join(QLatin1Char('\n')));
    memo->setMinimumSize(420, 260);
    column->addWidget(memo);
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(ok);
    column->addLayout(row);
    ok->setFocus();
}

const QStringList& TChooseFormatHelpForm::lines()
{
    static const QStringList text{
        QStringLiteral("Name list shows audio formats you can use. Each name refers to a format and a set of "
                       "attributes. You can add your own names to the list by changing the values under Format "
                       "and Attributes, and then clicking Save As."),
        QStringLiteral("Save As button allow you to save your current format and attribute settings under a new "
                       "name."),
        QStringLiteral("Format list shows the audio formats that your computer supports."),
        QStringLiteral("Attributes list shows the available attributes for the selected format. These attributes "
                       "include the sampling frequency, number of channels, and other settings."),
        QStringLiteral("Ok button closes the dialog box and saves any changes you have made."),
        QStringLiteral("Cancel button closes the dialog box without saving any changes you have made."),
    };
    return text;
}
