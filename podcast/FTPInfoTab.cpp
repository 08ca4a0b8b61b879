#include "podcast/FTPInfoTab.h"

#include "podcast/FtpHosts.h"
#include "podcast/XvqPageSupport.h"

#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace podcast {

namespace {

constexpr int kCannotConnectMessage = 1024;

// The hourglass while the chooser connects, restored on every way out.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

FTPInfoTab::FTPInfoTab(QWidget* parent) : XvqPageWidget(XvqPage::FTPInfo, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_address = namedEdit("FTPAddressEdit", this);
    form->addRow(buddyLabel(tr("FTP &Address :"), m_address, this), m_address);
    m_folder = namedEdit("UploadPathEdit", this);
    m_browse = namedButton("FTPBrowseButton", tr("Bro&wse ..."), this);
    m_browse->setEnabled(false);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(m_browse);
    form->addRow(buddyLabel(tr("&Remote Folder :"), m_folder, this), folderRow);
    m_port = namedEdit("PortNoEdit", this);
    m_port->setValidator(new QIntValidator(0, 65535, m_port));
    m_port->setMaximumWidth(m_port->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 16);
    form->addRow(buddyLabel(tr("&Port :"), m_port, this), m_port);
    m_loginName = namedEdit("LoginNameEdit", this);
    form->addRow(buddyLabel(tr("FTP &Login Name :"), m_loginName, this), m_loginName);
    layout->addLayout(form);
    layout->addStretch(1);

    QPushButton* back = namedButton("FTPBackButton", tr("< &Back"), this);
    QPushButton* next = namedButton("FTPNextButton", tr("&Next >"), this);
    addNavigationRow(layout, back, next);
    setNavigationButtons(back, next);

    for (QLineEdit* field : {m_address, m_folder, m_port, m_loginName})
        reportEdits(field, SIGNAL(textEdited(QString)));
    connect(m_folder, &QLineEdit::editingFinished, this, [this] { UploadPathEditExit(); });
    connect(m_browse, &QPushButton::clicked, this, [this] { FTPBrowseButtonClick(); });
}

void FTPInfoTab::setRemoteFolderChooserFactory(RemoteFolderChooserFactory factory)
{
    m_chooserFactory = std::move(factory);
    m_browse->setEnabled(static_cast<bool>(m_chooserFactory));
}

void FTPInfoTab::UIUpdate(PodcastRecord& record, const XvqContext& context)
{
    m_context = context;
    const FillGuard guard(*this);
    if (record.PortNo == 0)
        record.PortNo = kDefaultFtpPort;
    m_address->setText(record.FTPAddress);
    m_folder->setText(record.UploadPath);
    m_port->setText(QString::number(record.PortNo));
    m_loginName->setText(record.LoginName);
    m_password = record.Password;
}

StepVerdict FTPInfoTab::Gather(PodcastRecord& record, const XvqContext& context)
{
    m_context = context;
    record.FTPAddress = m_address->text().trimmed();
    record.UploadPath = m_folder->text().trimmed();
    record.LoginName = m_loginName->text().trimmed();
    const QString port = m_port->text().trimmed();
    record.PortNo = port.isEmpty() ? kDefaultFtpPort : (port.toInt() == 0 ? 0 : portOrDefault(port.toInt()));
    return StepVerdict::Proceed;
}

void FTPInfoTab::UploadPathEditExit()
{
    const QString folder = m_folder->text().trimmed();
    if (!folder.isEmpty() && !folder.startsWith(QLatin1Char('/')))
        m_folder->setText(QLatin1Char('/') + folder);
}

void FTPInfoTab::FTPBrowseButtonClick()
{
    if (!m_chooserFactory)
        return;
    m_browse->setEnabled(false);
    PodcastRecord host;
    host.Password = m_password;
    Gather(host, m_context);
    if (host.Password.isEmpty()
        && showXvqMessage(m_context, tr("No Password given for FTP Host. Do you want to Continue?"),
                          platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES) {
        m_browse->setEnabled(true);
        return;
    }
    std::unique_ptr<RemoteFolderChooser> chooser = m_chooserFactory(this);
    bool connected = false;
    if (chooser) {
        const WaitCursor wait;
        connected = chooser->ConnectToRemoteHost(host.FTPAddress, host.PortNo == 0 ? kDefaultFtpPort : host.PortNo,
                                                 host.LoginName, host.Password, host.UploadPath);
    }
    if (!connected) {
        showXvqError(m_context, kCannotConnectMessage);
    } else if (chooser->chooseFolder()) {
        m_folder->setText(chooser->GetUploadPath());
        emit informationChanged();
    }
    m_browse->setEnabled(true);
}

} // namespace podcast
