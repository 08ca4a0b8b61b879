#include "recorder/FadeIn.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace recorder {

TFadeInOutForm::TFadeInOutForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FadeInOutForm"));
    setWindowTitle(QStringLiteral("Fade In"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    layout->addLayout(row);
    row->addWidget(new QLabel(QStringLiteral("Fade In Time (ss:mmm) :"), this));
    auto* time = new QLineEdit(this);
    time->setObjectName(QStringLiteral("FadeTimeEdit"));
    time->setInputMask(QStringLiteral("99:999"));
    row->addWidget(time);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    layout->addWidget(ok, 0, Qt::AlignRight);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace recorder
