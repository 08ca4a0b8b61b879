#include "podcast/FTPInfoTab.h"

#include "podcast/XvqPageSupport.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace podcast {

FTPInfoTab::FTPInfoTab(QWidget* parent) : XvqPageWidget(XvqPage::FTPInfo, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_address = namedReadOnlyEdit("FTPAddressEdit", this);
    form->addRow(tr("FTP Address :"), m_address);
    m_folder = namedReadOnlyEdit("UploadPathEdit", this);
    form->addRow(tr("Remote Folder :"), m_folder);
    m_port = namedReadOnlyEdit("PortEdit", this);
    form->addRow(tr("Port :"), m_port);
    m_loginName = namedReadOnlyEdit("LoginNameEdit", this);
    form->addRow(tr("Login Name :"), m_loginName);
    layout->addLayout(form);
    layout->addWidget(notAvailableLabel(tr("Choosing and editing FTP hosts is not available yet."), this));
    layout->addStretch(1);

    QPushButton* back = namedButton("FTPBackButton", tr("< &Back"), this);
    QPushButton* next = namedButton("FTPNextButton", tr("&Next >"), this);
    addNavigationRow(layout, back, next);
    setNavigationButtons(back, next);
}

void FTPInfoTab::UIUpdate(PodcastRecord& record, const XvqContext&)
{
    const FillGuard guard(*this);
    m_address->setText(record.FTPAddress);
    m_folder->setText(record.UploadPath);
    m_port->setText(record.PortNo == 0 ? QString() : QString::number(record.PortNo));
    m_loginName->setText(record.LoginName);
}

StepVerdict FTPInfoTab::Gather(PodcastRecord&, const XvqContext&)
{
    return StepVerdict::Proceed;
}

} // namespace podcast
