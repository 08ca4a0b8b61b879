#include "podcast/UploadStatusUnit.h"

#include "common/ErrCodes.h"
#include "platform/ui/Messages.h"
#include "podcast/FileOverwriteUnit.h"
#include "podcast/SimpFTP.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace podcast {

namespace {

constexpr uint32_t kConnectTimeoutMs = 300000;
constexpr uint32_t kConnectRetries = 3;

} // namespace

TUploadingForm::TUploadingForm(const platform::Messages& messages, TransportFactory transports, QWidget* parent)
    : QDialog(parent), m_messages(messages), m_transports(std::move(transports))
{
    setObjectName(QStringLiteral("UploadingForm"));
    setWindowTitle(tr("Server Status"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    m_log = new QPlainTextEdit(this);
    m_log->setObjectName(QStringLiteral("ConnectionStatus"));
    m_log->setReadOnly(true);
    m_log->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("UploadProgressBar"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_ok = new QPushButton(tr("&OK"), this);
    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_ok->setEnabled(false);
    m_cancel = new QPushButton(tr("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_cancel->setEnabled(false);
    m_cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { CancelButtonClick(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_log, 1);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    setFixedSize(520, 340);

    askOverwrite = [](QWidget* owner, const QString& message) {
        TOverwriteMessageForm dialog(owner);
        return AskOverwrite(dialog, message);
    };
}

TUploadingForm::~TUploadingForm() = default;

void TUploadingForm::SetFileList(const QStringList& files)
{
    m_files = files;
}

void TUploadingForm::prepareUpload(const QString& userName, const QString& password, const QString& hostName,
                                   const QString& remoteDir, int port)
{
    m_settings = FtpConnectSettings{};
    m_settings.host = hostName;
    m_settings.user = userName;
    m_settings.password = password;
    m_settings.port = port > 0 ? port : 21;
    m_settings.connectTimeoutMs = kConnectTimeoutMs;
    m_settings.connectRetries = kConnectRetries;
    m_remoteDir = remoteDir;
    m_started = false;
}

QStringList TUploadingForm::Upload(const QString& userName, const QString& password, const QString& hostName,
                                   const QString& remoteDir, int port)
{
    prepareUpload(userName, password, hostName, remoteDir, port);
    exec();
    return delivered();
}

QStringList TUploadingForm::delivered() const
{
    if (!m_sequence)
        return {};
    QStringList files = m_sequence->delivered().values();
    files.sort();
    return files;
}

void TUploadingForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_progress->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: rgb(0, 128, 0); }"));
    // One sequence per showing: showing the window again after a question closed starts none.
    if (m_started)
        return;
    m_started = true;
    m_shownLines = 0;
    m_log->clear();
    m_transport = m_transports();
    connect(m_transport.get(), &FtpTransport::stateChanged, this,
            [this](WinInetState state) { feed(UploadEvent(UploadEvent::StateChanged, int(state))); });
    connect(m_transport.get(), &FtpTransport::progress, this,
            [this](const FtpProgress& progress) { m_progress->setValue(QuickProgressPercent(progress)); });
    m_sequence = std::make_unique<UploadSequence>(m_files, [](const QString& path) {
        return QFileInfo(path).isFile();
    });
    QTimer::singleShot(0, this, [this] { feed(UploadEvent(UploadEvent::Start)); });
}

void TUploadingForm::feed(const UploadEvent& event)
{
    if (!m_sequence)
        return;
    const QList<UploadCommand> commands = m_sequence->handle(event);
    refresh();
    for (const UploadCommand& command : commands)
        run(command);
    refresh();
}

void TUploadingForm::run(const UploadCommand& command)
{
    switch (command.kind) {
    case UploadCommand::Connect:
        connectAndEnter();
        return;
    case UploadCommand::ListFolder:
        m_transport->list(command.remotePath, [this](const FtpResult& result, const QList<FtpEntry>& entries) {
            UploadEvent event(result.ok() ? UploadEvent::Listed : UploadEvent::ListFailed);
            for (const FtpEntry& entry : entries)
                event.names.append(entry.name);
            event.reply = result.reply;
            feed(event);
        });
        return;
    case UploadCommand::AskOverwrite:
        // Asked from a fresh call, so that the question's own event loop never runs inside a
        // transport's report.
        QTimer::singleShot(0, this, [this, text = command.text] {
            UploadEvent event(UploadEvent::Answered);
            event.answer = askOverwrite(this, text);
            feed(event);
        });
        return;
    case UploadCommand::PutFile:
        m_transport->putFile(command.localPath, command.remotePath, [this](const FtpResult& result) {
            UploadEvent event(UploadEvent::PutDone);
            event.ok = result.ok();
            event.reply = result.ok() ? QString() : winInetErrorText(result.error, m_settings.host, m_settings.user) +
                                                        QLatin1Char(' ') + result.reply.trimmed();
            feed(event);
        });
        return;
    case UploadCommand::Abort:
        m_transport->abort();
        return;
    case UploadCommand::Disconnect:
        m_transport->disconnectFromHost();
        return;
    case UploadCommand::ResetProgress:
        m_progress->setValue(0);
        return;
    case UploadCommand::Close:
        done(QDialog::Rejected);
        return;
    }
}

void TUploadingForm::connectAndEnter()
{
    m_transport->connectToHost(m_settings, [this](const FtpResult& result) {
        if (!result.ok()) {
            UploadEvent failed(UploadEvent::ConnectFailed);
            failed.reply = winInetErrorText(result.error, m_settings.host, m_settings.user);
            if (!result.reply.trimmed().isEmpty())
                failed.reply += QLatin1Char(' ') + result.reply.trimmed();
            feed(failed);
            return;
        }
        const auto printed = [this](bool entered, const QString& reply) {
            m_transport->printDir([this, entered, reply](const FtpResult& printResult, const QString& dir) {
                UploadEvent connected(UploadEvent::Connected);
                connected.folder = printResult.ok() ? dir : m_remoteDir;
                connected.folderEntered = entered;
                connected.reply = reply;
                feed(connected);
            });
        };
        if (m_remoteDir.trimmed().isEmpty()) {
            printed(true, {});
            return;
        }
        m_transport->changeDir(m_remoteDir, [this, printed](const FtpResult& changed) {
            printed(changed.ok(), m_remoteDir + QLatin1Char(' ') + changed.reply.trimmed());
        });
    });
}

void TUploadingForm::refresh()
{
    if (!m_sequence)
        return;
    const QStringList& log = m_sequence->log();
    for (; m_shownLines < log.size(); ++m_shownLines)
        m_log->appendPlainText(log[m_shownLines]);
    m_ok->setEnabled(m_sequence->okEnabled());
    m_cancel->setEnabled(m_sequence->cancelEnabled());
    if (m_sequence->okEnabled() && !m_cancel->isEnabled())
        m_ok->setDefault(true);
}

void TUploadingForm::CancelButtonClick()
{
    const int answer = m_messages.ShowMessageBox(tr("Do you want to cancel uploading your podcast?"),
                                                 QString::fromLatin1(kRecorderCaption),
                                                 platform::MB_YESNO | platform::MB_ICONQUESTION |
                                                     platform::MB_DEFBUTTON2);
    if (answer != platform::IDYES)
        return;
    feed(UploadEvent(UploadEvent::CancelConfirmed));
}

void TUploadingForm::reject()
{
    // Escape and the window's close ask before they stop a running upload.
    if (m_sequence && m_sequence->running()) {
        CancelButtonClick();
        return;
    }
    QDialog::reject();
}

void TUploadingForm::closeEvent(QCloseEvent* event)
{
    if (m_sequence && m_sequence->running()) {
        event->ignore();
        CancelButtonClick();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace podcast
