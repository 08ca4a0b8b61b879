#include "podcast/HostSelectionTab.h"

#include "common/FeedText.h"
#include "platform/ui/Messages.h"
#include "podcast/Log.h"
#include "podcast/XvqPageSupport.h"
#include "podcast/XvqRules.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace podcast {

namespace {

constexpr int kHostNameTakenMessage = 1020;
constexpr int kInvalidWebLinkMessage = 1025;

// The values that make up a host, apart from the remote folder and the port, which the FTP page
// edits as well.
void copyHost(const PodcastRecord& from, PodcastRecord& to)
{
    to.HostName = from.HostName;
    to.HostType = from.HostType;
    to.WebsiteLink = from.WebsiteLink;
    to.FTPAddress = from.FTPAddress;
    to.UserName = from.UserName;
    to.LoginName = from.LoginName;
    to.Password = from.Password;
    to.HasUserName = from.HasUserName;
    to.HasLoginName = from.HasLoginName;
    to.HostWebsiteTemplate = from.HostWebsiteTemplate;
    to.LoginNameTemplate = from.LoginNameTemplate;
}

int rowOf(const QListWidget& list, const QString& name)
{
    for (int row = 0; row < list.count(); ++row) {
        if (list.item(row)->text().compare(name, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

} // namespace

HostSelectionTab::HostSelectionTab(QWidget* parent) : XvqPageWidget(XvqPage::HostSelection, parent)
{
    buildFields();
    connect(m_hostList, &QListWidget::currentRowChanged, this, [this] {
        if (!filling())
            ExistingHostListBoxClick();
    });
    connect(m_removeButton, &QPushButton::clicked, this, [this] { DeleteHostButtonClick(); });
    connect(m_hostName, &QLineEdit::editingFinished, this, [this] { HostNameEditExit(); });
    connect(m_webLink, &QLineEdit::editingFinished, this, [this] { WebLinkROExit(); });
    connect(m_userName, &QLineEdit::editingFinished, this, [this] { UserNameROExit(); });
    connect(m_userName, &QLineEdit::textEdited, this, [this] { UserNameROKeyUp(); });
    for (QLineEdit* field : {m_hostName, m_ftpAddress, m_userName, m_loginName, m_password, m_webLink}) {
        connect(field, &QLineEdit::textEdited, this, [this] { HostSettingsChange(); });
        reportEdits(field, SIGNAL(textEdited(QString)));
    }
}

void HostSelectionTab::buildFields()
{
    auto* layout = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;

    auto* listColumn = new QVBoxLayout;
    m_hostList = new QListWidget(this);
    m_hostList->setObjectName(QStringLiteral("ExistingHostListBox"));
    listColumn->addWidget(buddyLabel(tr("&Existing Hosts :"), m_hostList, this));
    listColumn->addWidget(m_hostList, 1);
    m_removeButton = namedButton("DeleteHostButton", tr("&Remove Host"), this);
    listColumn->addWidget(m_removeButton, 0, Qt::AlignLeft);
    columns->addLayout(listColumn, 2);

    auto* grid = new QGridLayout;
    int row = 0;
    const auto addRow = [&](QLabel* label, QLineEdit* field) {
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
        ++row;
    };
    m_hostName = namedEdit("HostNameEdit", this);
    m_hostNameLabel = namedLabel("HostNameLabel", tr("&Host Name :"), this);
    addRow(m_hostNameLabel, m_hostName);
    m_ftpAddress = namedEdit("FTPAddressRO", this);
    m_ftpAddressLabel = namedLabel("FTPAddressLabel", tr("&FTP Address :"), this);
    addRow(m_ftpAddressLabel, m_ftpAddress);
    m_userName = namedEdit("UserNameRO", this);
    m_userNameLabel = namedLabel("UserNameLabel", tr("&User Name :"), this);
    addRow(m_userNameLabel, m_userName);
    m_loginName = namedEdit("LoginNameRO", this);
    m_loginNameLabel = namedLabel("LoginNameLabel", tr("&Login Name :"), this);
    addRow(m_loginNameLabel, m_loginName);
    m_password = namedEdit("PasswordEdit", this);
    m_password->setEchoMode(QLineEdit::Password);
    addRow(namedLabel("PasswordLabel", tr("&Password :"), this), m_password);
    m_webLink = namedEdit("WebLinkRO", this);
    m_webLink->setPlaceholderText(QStringLiteral("http://"));
    m_webLinkLabel = namedLabel("WebLinkLabel", tr("&Web Link :"), this);
    addRow(m_webLinkLabel, m_webLink);
    grid->setRowStretch(row, 1);
    columns->addLayout(grid, 3);

    layout->addLayout(columns, 1);
    QPushButton* back = namedButton("HostBackButton", tr("< &Back"), this);
    QPushButton* next = namedButton("HostNextButton", tr("&Next >"), this);
    addNavigationRow(layout, back, next);
    setNavigationButtons(back, next);
}

void HostSelectionTab::UIUpdate(PodcastRecord& record, const XvqContext& context)
{
    m_context = context;
    const FillGuard guard(*this);
    m_host = record;
    m_loadedSinceUpdate = false;
    if (!record.HostName.isEmpty() && record.HostName != m_loadedName) {
        // Projects keep the host's address, links and names, not its password nor the way its
        // links are made: those come from the host files.
        PodcastRecord loaded = record;
        FtpHosts().UpdateHostInformation(loaded, record.HostName);
        record.HostType = loaded.HostType;
        record.Password = loaded.Password;
        record.HasUserName = loaded.HasUserName;
        record.HasLoginName = loaded.HasLoginName;
        record.HostWebsiteTemplate = loaded.HostWebsiteTemplate;
        record.LoginNameTemplate = loaded.LoginNameTemplate;
        copyHost(record, m_host);
        m_loadedName = record.HostName;
        m_hostChanged = false;
    }
    HostSelectionTabShow();
    UIUpdateHostInfo();
    record.HostType = m_host.HostType;
}

void HostSelectionTab::HostSelectionTabShow()
{
    m_hostList->clear();
    m_hostList->addItems(FtpHosts().hostRows());
    if (m_hostList->count() == 0)
        return;
    const int row = rowOf(*m_hostList, m_host.HostName);
    if (row >= 0 && !m_host.HostName.isEmpty()) {
        m_hostList->setCurrentRow(row);
        return;
    }
    m_hostList->setCurrentRow(m_hostList->count() - 1);
    m_userName->setEnabled(false);
    m_userNameLabel->setEnabled(false);
}

void HostSelectionTab::selectCurrentRow()
{
    const int row = m_host.HostName.isEmpty() ? -1 : rowOf(*m_hostList, m_host.HostName);
    if (row >= 0) {
        m_hostList->setCurrentRow(row);
        return;
    }
    if (m_hostList->count() > 0)
        m_hostList->setCurrentRow(m_hostList->count() - 1);
    m_host.HostType = FtpHostType::None;
}

void HostSelectionTab::UIUpdateHostInfo()
{
    const FillGuard guard(*this);
    selectCurrentRow();
    for (QWidget* widget : std::initializer_list<QWidget*>{m_hostName, m_ftpAddress, m_userName, m_loginName, m_webLink,
                                                           m_hostNameLabel, m_ftpAddressLabel, m_userNameLabel,
                                                           m_loginNameLabel, m_webLinkLabel})
        widget->setEnabled(true);
    switch (m_host.HostType) {
    case FtpHostType::Predefined:
        for (QWidget* widget : std::initializer_list<QWidget*>{m_ftpAddress, m_ftpAddressLabel, m_webLink,
                                                               m_webLinkLabel, m_hostName, m_hostNameLabel})
            widget->setEnabled(false);
        if (m_host.HasLoginName == 0) {
            m_loginName->setEnabled(false);
            m_loginNameLabel->setEnabled(false);
        }
        break;
    case FtpHostType::Custom:
        m_host.UserName.clear();
        m_userName->setEnabled(false);
        m_userNameLabel->setEnabled(false);
        m_hostName->setEnabled(false);
        m_hostNameLabel->setEnabled(false);
        break;
    case FtpHostType::None:
        m_host.UserName.clear();
        m_userName->setEnabled(false);
        m_userNameLabel->setEnabled(false);
        break;
    }
    m_ftpAddress->setText(m_host.FTPAddress);
    m_loginName->setText(m_host.LoginName);
    m_webLink->setText(m_host.WebsiteLink);
    m_hostName->setText(m_host.HostName);
    m_userName->setText(m_host.UserName);
    m_password->setText(m_host.Password);
    m_removeButton->setEnabled(m_host.HostType == FtpHostType::Custom);
}

void HostSelectionTab::takeFields()
{
    m_host.LoginName = m_loginName->text().trimmed();
    m_host.UserName = m_userName->text().trimmed();
    m_host.FTPAddress = m_ftpAddress->text().trimmed();
    m_host.WebsiteLink = m_webLink->text().trimmed();
    m_host.HostName = m_hostName->text().trimmed();
    // Blanks may belong to a password: it is taken as typed.
    m_host.Password = m_password->text();
}

StepVerdict HostSelectionTab::Gather(PodcastRecord& record, const XvqContext& context)
{
    m_context = context;
    takeFields();
    copyHost(m_host, record);
    if (m_loadedSinceUpdate) {
        record.UploadPath = m_host.UploadPath;
        record.PortNo = m_host.PortNo;
    }
    const QString& web = record.WebsiteLink;
    if (!web.isEmpty()) {
        record.ItemURL = WebLinkOfFile(web, record.AudioFileName);
        record.FeedURL = WebLinkOfFile(web, record.FeedName);
        record.HTMLFileLink = WebLinkOfFile(web, record.HTMLFileName);
        if (!record.ArtworkFileName.isEmpty())
            record.FeedImageLink = WebLinkOfFile(web, record.ArtworkFileName);
    }
    if (!record.HostName.isEmpty()) {
        record.HostType = FtpHosts().UpdateHostType(record.HostName);
        m_host.HostType = record.HostType;
        if (m_hostChanged) {
            const QString question = tr("Save Changes for Host ") + record.HostName + QStringLiteral("?");
            if (showXvqMessage(m_context, question, platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES)
                SaveHostInformation(record, context);
        }
    }
    m_loadedName = record.HostName;
    return StepVerdict::Proceed;
}

bool HostSelectionTab::SaveHostInformation(PodcastRecord& record, const XvqContext& context)
{
    QString error;
    if (!FtpHosts().SaveHostInformation(record, &error)) {
        showXvqMessage(context,
                       tr("Could not save the settings of host \"%1\" (%2).").arg(record.HostName, error),
                       platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    m_hostChanged = false;
    record.HostType = FtpHosts().UpdateHostType(record.HostName);
    copyHost(record, m_host);
    m_loadedName = record.HostName;
    // A new host is listed among the custom hosts now, and can be removed.
    const FillGuard guard(*this);
    m_hostList->clear();
    m_hostList->addItems(FtpHosts().hostRows());
    UIUpdateHostInfo();
    return true;
}

void HostSelectionTab::offerToSaveHost()
{
    if (!m_hostChanged || m_host.HostName.isEmpty())
        return;
    const QString question = tr("Save Changes for Host ") + m_host.HostName + QStringLiteral("?");
    if (showXvqMessage(m_context, question, platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES)
        return;
    QString error;
    if (!FtpHosts().SaveHostInformation(m_host, &error))
        showXvqMessage(m_context, tr("Could not save the settings of host \"%1\" (%2).").arg(m_host.HostName, error),
                       platform::MB_OK | platform::MB_ICONERROR);
}

void HostSelectionTab::ExistingHostListBoxClick()
{
    const QListWidgetItem* item = m_hostList->currentItem();
    if (item == nullptr || item->text() == m_host.HostName)
        return;
    const QString row = item->text();
    // Edits of the host being left are not dropped without asking.
    takeFields();
    offerToSaveHost();
    makeCurrent(row);
}

void HostSelectionTab::makeCurrent(const QString& row)
{
    if (row != m_host.HostName)
        emit informationChanged();
    m_hostChanged = false;
    FtpHosts().UpdateHostInformation(m_host, row);
    m_loadedName = m_host.HostName;
    m_loadedSinceUpdate = true;
    UIUpdateHostInfo();
}

void HostSelectionTab::DeleteHostButtonClick()
{
    if (m_host.HostType != FtpHostType::Custom)
        return;
    if (showXvqMessage(m_context, tr("Are you sure you want to remove ftp host?"),
                       platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES)
        return;
    const QString name = m_host.HostName;
    const int removedRow = rowOf(*m_hostList, name);
    QString error;
    if (!FtpHosts().removeCustomHost(name, &error)) {
        showXvqMessage(m_context, tr("Could not remove host \"%1\" (%2).").arg(name, error),
                       platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    const QStringList rows = FtpHosts().hostRows();
    {
        const FillGuard guard(*this);
        m_hostList->clear();
        m_hostList->addItems(rows);
    }
    if (rows.isEmpty()) {
        makeCurrent(QString::fromLatin1(kEnterYourHost));
        return;
    }
    makeCurrent(removedRow > 0 ? rows.value(removedRow - 1, rows.front()) : rows.front());
}

void HostSelectionTab::HostNameEditExit()
{
    const QString name = m_hostName->text().trimmed();
    if (name.isEmpty())
        return;
    if (rowOf(*m_hostList, name) >= 0 && name.compare(m_loadedName, Qt::CaseInsensitive) != 0) {
        showXvqError(m_context, kHostNameTakenMessage);
    } else if (const QString problem = FtpHosts::hostNameProblem(name); !problem.isEmpty()) {
        showXvqMessage(m_context,
                       tr("The host name \"%1\" cannot be used (%2). Please enter another name.").arg(name, problem),
                       platform::MB_OK | platform::MB_ICONERROR);
    } else {
        return;
    }
    m_hostName->clear();
    m_hostName->setFocus();
}

void HostSelectionTab::WebLinkROExit()
{
    const QString link = m_webLink->text().trimmed();
    if (link.isEmpty())
        return;
    if (!common::IsValidUrl(link)) {
        if (m_context.messages != nullptr)
            m_context.messages->ShowErrorMessage(kInvalidWebLinkMessage, {link});
        else
            qCWarning(lcPodcast) << "invalid web link" << link;
        m_webLink->setFocus();
        return;
    }
    if (!link.endsWith(QLatin1Char('/')))
        m_webLink->setText(link + QLatin1Char('/'));
}

void HostSelectionTab::UserNameROExit()
{
    if (m_host.HasUserName != 1 || m_userName->text().trimmed().isEmpty())
        return;
    UserNameROKeyUp();
}

void HostSelectionTab::UserNameROKeyUp()
{
    if (m_host.HasUserName != 1)
        return;
    m_host.UserName = m_userName->text().trimmed();
    m_host.LoginName = m_loginName->text().trimmed();
    FtpHosts::applyUserName(m_host);
    const FillGuard guard(*this);
    m_webLink->setText(m_host.WebsiteLink);
    m_loginName->setText(m_host.LoginName);
}

void HostSelectionTab::HostSettingsChange()
{
    if (filling())
        return;
    m_hostChanged = true;
    emit hostSettingsChanged();
}

void HostSelectionTab::clearFields()
{
    XvqPageWidget::clearFields();
    m_host = PodcastRecord();
    m_loadedName.clear();
    m_loadedSinceUpdate = false;
    m_hostChanged = false;
}

} // namespace podcast
