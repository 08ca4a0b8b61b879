#include "editor/FormatChoiceForm.h"

#include "editor/ChooseFormatHelpForm.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>

using platform::codecs::FormatChoice;

TFormatChoiceForm::TFormatChoiceForm(const FormatChoice& choice, const QString& caption, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormatChoiceForm"));
    setWindowTitle(caption);
    auto* form = new QFormLayout(this);
    m_formats = new QComboBox(this);
    m_formats->setObjectName(QStringLiteral("AttributesComboBox"));
    for (const FormatChoice::Entry& entry : choice.formats())
        m_formats->addItem(entry.text);
    m_formats->setCurrentIndex(choice.selected());
    m_formats->setMaxVisibleItems(16);
    form->addRow(QStringLiteral("&Attributes:"), m_formats);

    auto* row = new QHBoxLayout;
    row->addStretch();
    const auto button = [&](const char* name, const QString& text) {
        auto* made = new QPushButton(text, this);
        made->setObjectName(QString::fromLatin1(name));
        made->setAutoDefault(false);
        row->addWidget(made);
        return made;
    };
    QPushButton* ok = button("OkButton", QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(button("CancelButton", QStringLiteral("Cancel")), &QPushButton::clicked, this, &QDialog::reject);
    connect(button("HelpButton", QStringLiteral("&Help")), &QPushButton::clicked, this, [this] {
        TChooseFormatHelpForm help(this);
        help.exec();
    });
    form->addRow(row);
}

int TFormatChoiceForm::selected() const
{
    return m_formats->currentIndex();
}

int TFormatChoiceForm::ask(QWidget* parent, const QString& caption, uint8_t* buffer, uint32_t* sizeCell,
                           uint32_t flags, const WaveFormatEx* source)
{
    FormatChoice choice(source, buffer, sizeCell, flags);
    if (const int code = choice.prepare(sizeCell))
        return code;
    TFormatChoiceForm dialog(choice, caption, parent);
    if (dialog.exec() != QDialog::Accepted)
        return FormatChoice::cancel();
    choice.select(dialog.selected());
    return choice.accept(buffer, sizeCell);
}
