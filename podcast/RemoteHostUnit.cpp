#include "podcast/RemoteHostUnit.h"

#include "podcast/Log.h"
#include "podcast/UploadSequence.h"

#include <QApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <optional>

namespace podcast {

namespace {

constexpr uint32_t kConnectTimeoutMs = 60000;
constexpr uint32_t kConnectRetries = 1;
constexpr int kImageRole = Qt::UserRole;

} // namespace

TRemoteHostForm::TRemoteHostForm(TransportFactory transports, QWidget* parent)
    : QDialog(parent), m_transports(std::move(transports))
{
    setObjectName(QStringLiteral("RemoteHostForm"));
    setWindowTitle(tr("Choose Folder To Upload Files"));
    m_host = new QLabel(tr("Remote Host :"), this);
    m_host->setObjectName(QStringLiteral("RemoteHost"));
    auto* pathLabel = new QLabel(tr("Remote Path : "), this);
    pathLabel->setObjectName(QStringLiteral("PathLabel"));
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("RemotePathEdit"));
    m_path->setReadOnly(true);
    pathLabel->setBuddy(m_path);
    m_refresh = new QPushButton(tr("&Refresh (F5)"), this);
    m_refresh->setObjectName(QStringLiteral("ToolRefreshButton"));
    m_parent = new QPushButton(tr("&Parent Dir (F7)"), this);
    m_parent->setObjectName(QStringLiteral("ToolParentDir"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("RemoteList"));
    m_list->setHeaderLabels({tr("File Name"), tr("File Size")});
    m_list->setRootIsDecorated(false);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSortingEnabled(false);
    QFont bold = m_list->font();
    bold.setBold(true);
    m_list->setFont(bold);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(false);
    m_select = new QPushButton(tr("OK"), this);
    m_select->setObjectName(QStringLiteral("SelectButton"));
    m_select->setDefault(true);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("RemotePanel"));
    m_status->setFrameShape(QFrame::StyledPanel);

    connect(m_refresh, &QPushButton::clicked, this, [this] { refresh(); });
    connect(m_parent, &QPushButton::clicked, this,
            [this] { changeTo(QStringLiteral(".."), tr("Changing to parent directory.")); });
    connect(m_select, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { listDoubleClicked(item); });

    auto* top = new QHBoxLayout;
    top->addWidget(m_host, 1);
    top->addWidget(m_refresh);
    top->addWidget(m_parent);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(pathLabel);
    pathRow->addWidget(m_path, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_select);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(pathRow);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_status);
    resize(520, 420);
    setStatus(tr("Connecting to Remote Host"));
}

TRemoteHostForm::~TRemoteHostForm() = default;

bool TRemoteHostForm::ConnectToRemoteHost(const QString& hostName, quint16 port, const QString& userName,
                                          const QString& password, const QString& remoteFolder)
{
    FtpConnectSettings settings;
    settings.host = hostName;
    settings.port = port > 0 ? port : kDefaultFtpPort;
    settings.user = userName;
    settings.password = password;
    settings.connectTimeoutMs = kConnectTimeoutMs;
    settings.connectRetries = kConnectRetries;
    m_host->setText(tr("Remote Host :") + QLatin1Char(' ') + hostName);
    m_transport = m_transports();
    setBusy(true);
    std::optional<FtpResult> result;
    QEventLoop wait;
    m_transport->connectToHost(settings, [&](const FtpResult& connected) {
        result = connected;
        wait.quit();
    });
    if (!result)
        wait.exec();
    if (!result->ok()) {
        qCWarning(lcPodcast) << "cannot connect to" << hostName << int(result->error) << result->reply;
        setBusy(false);
        m_transport.reset();
        return false;
    }
    if (remoteFolder.trimmed().isEmpty())
        directoryChanged();
    else
        m_transport->changeDir(remoteFolder, [this](const FtpResult&) { directoryChanged(); });
    return true;
}

bool TRemoteHostForm::chooseFolder()
{
    return exec() == QDialog::Accepted;
}

QString TRemoteHostForm::GetUploadPath() const
{
    return m_path->text().trimmed();
}

QString TRemoteHostForm::statusText() const
{
    return m_status->text();
}

void TRemoteHostForm::setStatus(const QString& text)
{
    m_status->setText(text);
}

void TRemoteHostForm::setBusy(bool busy)
{
    m_busy = busy;
    // Cancel stays usable: a slow server can always be left.
    for (QWidget* widget : {static_cast<QWidget*>(m_list), static_cast<QWidget*>(m_refresh),
                            static_cast<QWidget*>(m_parent), static_cast<QWidget*>(m_select)})
        widget->setEnabled(!busy);
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TRemoteHostForm::directoryChanged()
{
    setStatus(tr("Directory changed. Listing files..."));
    m_transport->printDir([this](const FtpResult& result, const QString& dir) {
        if (result.ok())
            m_path->setText(dir);
        refresh();
    });
}

void TRemoteHostForm::refresh()
{
    if (!m_transport)
        return;
    if (!m_busy)
        setBusy(true);
    const QString folder = m_path->text();
    m_transport->list(QString(), [this, folder](const FtpResult& result, const QList<FtpEntry>& entries) {
        m_list->clear();
        const QStyle* style = this->style();
        const QIcon icons[] = {style->standardIcon(QStyle::SP_FileIcon), style->standardIcon(QStyle::SP_DirIcon),
                               style->standardIcon(QStyle::SP_FileDialogToParent)};
        for (const RemoteFolderRow& row : RemoteFolderRows(folder, entries)) {
            auto* item = new QTreeWidgetItem(m_list, {row.caption, row.size});
            item->setIcon(0, icons[row.image]);
            item->setData(0, kImageRole, int(row.image));
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        }
        setBusy(false);
        setStatus(result.ok() ? tr("Listing done.") : tr("Cannot list the folder. ") + result.reply.trimmed());
    });
}

void TRemoteHostForm::changeTo(const QString& folder, const QString& status)
{
    if (!m_transport || m_busy)
        return;
    setStatus(status);
    setBusy(true);
    m_transport->changeDir(folder, [this](const FtpResult& result) {
        if (!result.ok()) {
            setBusy(false);
            setStatus(tr("Cannot change the directory"));
            return;
        }
        directoryChanged();
    });
}

void TRemoteHostForm::listDoubleClicked(QTreeWidgetItem* item)
{
    if (item == nullptr) {
        setStatus(tr("Listing done."));
        return;
    }
    const int image = item->data(0, kImageRole).toInt();
    if (image == RemoteFolderRow::Parent) {
        changeTo(QStringLiteral(".."), tr("Changing to parent directory."));
    } else if (image == RemoteFolderRow::Folder) {
        const QString name = item->text(0);
        changeTo(RemotePathJoin(m_path->text(), name), tr("Changing to ") + name.trimmed());
    }
}

void TRemoteHostForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F5) {
        if (!m_busy)
            refresh();
        return;
    }
    if (event->key() == Qt::Key_F7) {
        changeTo(QStringLiteral(".."), tr("Changing to parent directory."));
        return;
    }
    QDialog::keyPressEvent(event);
}

void TRemoteHostForm::done(int result)
{
    if (m_busy)
        setBusy(false);
    // Closing ends the session (the transport itself goes with the window).
    if (m_transport)
        m_transport->disconnectFromHost();
    QDialog::done(result);
}

} // namespace podcast
