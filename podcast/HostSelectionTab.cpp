#include "podcast/HostSelectionTab.h"

#include "podcast/XvqPageSupport.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace podcast {

HostSelectionTab::HostSelectionTab(QWidget* parent) : XvqPageWidget(XvqPage::HostSelection, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_hostName = namedReadOnlyEdit("HostNameEdit", this);
    form->addRow(tr("Host Name :"), m_hostName);
    m_webLink = namedReadOnlyEdit("WebsiteLinkEdit", this);
    form->addRow(tr("Web Link :"), m_webLink);
    layout->addLayout(form);
    layout->addWidget(notAvailableLabel(tr("Choosing and editing FTP hosts is not available yet."), this));
    layout->addStretch(1);

    QPushButton* back = namedButton("HostBackButton", tr("< &Back"), this);
    QPushButton* next = namedButton("HostNextButton", tr("&Next >"), this);
    addNavigationRow(layout, back, next);
    setNavigationButtons(back, next);
}

void HostSelectionTab::UIUpdate(PodcastRecord& record, const XvqContext&)
{
    const FillGuard guard(*this);
    m_hostName->setText(record.HostName);
    m_webLink->setText(record.WebsiteLink);
}

StepVerdict HostSelectionTab::Gather(PodcastRecord&, const XvqContext&)
{
    return StepVerdict::Proceed;
}

} // namespace podcast
