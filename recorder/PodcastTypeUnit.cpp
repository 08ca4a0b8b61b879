#include "recorder/PodcastTypeUnit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace recorder {

TPodcastTypeForm::TPodcastTypeForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PodcastTypeForm"));
    setWindowTitle(QStringLiteral("Select Podcast Type"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("What type of Podcast do you want to create?"), this));
    m_type = new QComboBox(this);
    m_type->setObjectName(QStringLiteral("PodcastTypeBox"));
    m_type->addItems({QStringLiteral("Podcast Basic"), QStringLiteral("Podcast With iTunes Tags")});
    m_type->setCurrentIndex(0);
    layout->addWidget(m_type);
    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("OKButton"));
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int TPodcastTypeForm::selectedType() const
{
    return m_type->currentIndex();
}

void TPodcastTypeForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_ok->setFocus();
}

} // namespace recorder
