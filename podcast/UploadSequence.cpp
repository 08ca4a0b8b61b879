#include "podcast/UploadSequence.h"

#include "podcast/SimpFTP.h"

#include <QFileInfo>

#include <utility>

namespace podcast {

QString TransportStateLine(int state)
{
    switch (state) {
    case 0:
        return QStringLiteral("Disconnecting...");
    case 1:
        return QStringLiteral("No connection to remote host.");
    case 2:
        return QStringLiteral("Connecting .....");
    case 4:
        return QStringLiteral("Resolving the host name.");
    case 5:
        return QStringLiteral("Host name resolved. Trying to connect...");
    default:
        return {};
    }
}

QString RemotePathJoin(const QString& folder, const QString& name)
{
    return folder.isEmpty() ? name : AddRemoteSlash(folder) + name;
}

UploadSequence::UploadSequence(QStringList files, std::function<bool(const QString&)> exists)
    : m_files(std::move(files)), m_exists(std::move(exists))
{
}

bool UploadSequence::running() const
{
    return m_state == UploadState::Connecting || m_state == UploadState::Listing || m_state == UploadState::Asking ||
           m_state == UploadState::Putting;
}

QList<UploadCommand> UploadSequence::handle(const UploadEvent& event)
{
    // The connection's state lines come in every state; after the end only the loss of the
    // connection still matters (it enables OK).
    if (event.kind == UploadEvent::StateChanged) {
        if (!m_done) {
            if (const QString line = TransportStateLine(event.state); !line.isEmpty())
                add(line);
        }
        if (event.state == 1)
            m_okEnabled = true;
        return {};
    }
    // Cancel stops the work wherever it stands; the window closes.
    if (event.kind == UploadEvent::CancelConfirmed) {
        if (!running())
            return {};
        m_cancelled = true;
        m_state = UploadState::Cancelled;
        m_cancelEnabled = false;
        m_okEnabled = true;
        add(QStringLiteral("Upload Canceled."));
        return {{UploadCommand::Abort}, {UploadCommand::Disconnect}, {UploadCommand::Close}};
    }
    switch (m_state) {
    case UploadState::Idle:
        if (event.kind != UploadEvent::Start)
            return {};
        m_state = UploadState::Connecting;
        // Cancel works from the start: a connection attempt can take minutes.
        m_cancelEnabled = true;
        return {{UploadCommand::Connect}};
    case UploadState::Connecting:
        if (event.kind == UploadEvent::ConnectFailed) {
            if (!event.reply.isEmpty())
                add(event.reply);
            m_state = UploadState::Stopped;
            m_cancelEnabled = false;
            m_okEnabled = true;
            return {{UploadCommand::ResetProgress}};
        }
        if (event.kind != UploadEvent::Connected)
            return {};
        add(QStringLiteral("Connected."));
        m_folder = event.folder;
        // Files are never put into the login folder instead of the one asked for.
        if (!event.folderEntered) {
            add(QStringLiteral("Couldn't change to the remote folder. ") + event.reply);
            return stop();
        }
        if (m_files.isEmpty())
            return stop();
        return nextFile();
    case UploadState::Listing: {
        if (event.kind == UploadEvent::ListFailed) {
            // Without the listing it is unknown whether a file would be overwritten: not sent.
            ++m_failures;
            add(QStringLiteral("Cannot list the remote folder; ") + QFileInfo(m_files[m_index]).fileName() +
                QStringLiteral(" not uploaded. ") + event.reply);
            return nextFile();
        }
        if (event.kind != UploadEvent::Listed)
            return {};
        const QString name = QFileInfo(m_files[m_index]).fileName();
        if (!event.names.contains(name, Qt::CaseInsensitive))
            return putCurrent();
        m_state = UploadState::Asking;
        return {{UploadCommand::AskOverwrite, {}, {},
                 QStringLiteral("The file ") + name + QStringLiteral(" already exists at remote location. ") +
                     QStringLiteral("Do you want to overwrite it?")}};
    }
    case UploadState::Asking:
        if (event.kind != UploadEvent::Answered)
            return {};
        switch (event.answer) {
        case OverwriteCancel:
            return stop();
        case OverwriteNo:
            m_delivered.insert(m_files[m_index]);
            return nextFile();
        case OverwriteYesToAll:
            m_yesToAll = true;
            return putCurrent();
        case OverwriteYes:
            return putCurrent();
        default:
            return {};
        }
    case UploadState::Putting:
        if (event.kind != UploadEvent::PutDone)
            return {};
        if (event.ok) {
            m_delivered.insert(m_files[m_index]);
        } else {
            ++m_failures;
            add(QFileInfo(m_files[m_index]).fileName() + QStringLiteral(" could not be uploaded. ") + event.reply);
        }
        return nextFile();
    case UploadState::Finished:
    case UploadState::Stopped:
    case UploadState::Cancelled:
        return {};
    }
    return {};
}

QList<UploadCommand> UploadSequence::nextFile()
{
    QList<UploadCommand> commands{{UploadCommand::ResetProgress}};
    while (++m_index < m_files.size()) {
        const QString& path = m_files[m_index];
        if (!m_exists(path)) {
            ++m_failures;
            add(path + QStringLiteral(" does not exist. Continuing with other."));
            continue;
        }
        add(QStringLiteral("Uploading File ") + path);
        if (m_yesToAll) {
            commands += putCurrent();
            return commands;
        }
        m_state = UploadState::Listing;
        commands.append({UploadCommand::ListFolder, {}, m_folder, {}});
        return commands;
    }
    commands += finish();
    return commands;
}

QList<UploadCommand> UploadSequence::putCurrent()
{
    m_state = UploadState::Putting;
    const QString& path = m_files[m_index];
    return {{UploadCommand::PutFile, path, RemotePathJoin(m_folder, QFileInfo(path).fileName()), {}}};
}

QList<UploadCommand> UploadSequence::finish()
{
    if (m_failures > 0)
        add(QStringLiteral("One or more files could not be uploaded."));
    add(QStringLiteral("Upload Complete."));
    m_state = UploadState::Finished;
    m_done = true;
    m_okEnabled = true;
    m_cancelEnabled = false;
    return {{UploadCommand::Disconnect}};
}

QList<UploadCommand> UploadSequence::stop()
{
    m_state = UploadState::Stopped;
    m_okEnabled = true;
    m_cancelEnabled = false;
    return {{UploadCommand::ResetProgress}, {UploadCommand::Disconnect}};
}

} // namespace podcast
