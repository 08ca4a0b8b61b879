#pragma once
// The upload window's sequence without widgets or network: it is fed what the FTP transport and
// the user did (events) and answers with what is to be done next (commands), keeping the log, the
// buttons' states and what reached the server. One object per showing of the window.
//
// States: Idle -> Connecting -> Listing / Asking / Putting (per file) -> Finished, or Stopped (an
// empty list, a folder that cannot be entered, Cancel in the overwrite question, a failed
// connection) or Cancelled (the user's Cancel). An event that does not belong to the state it
// arrives in changes nothing, so a late answer of the transport after a cancel is harmless.
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

namespace podcast {

enum class UploadState { Idle, Connecting, Listing, Asking, Putting, Finished, Stopped, Cancelled };

// The answers of the overwrite question, as the dialog's modal results.
enum OverwriteAnswer : int { OverwriteCancel = 2, OverwriteYes = 6, OverwriteNo = 7, OverwriteYesToAll = 10 };

struct UploadEvent {
    enum Kind {
        Start,
        // The transport's connection state changed (the numbers of TransportStateLine).
        StateChanged,
        // Logged in; folder is the remote folder the server stands in, folderEntered false when the
        // folder asked for could not be entered.
        Connected,
        ConnectFailed, // reply: why, for the log
        Listed,     // names: the remote folder's entries
        ListFailed, // reply: the server's text
        Answered,   // answer: an OverwriteAnswer
        PutDone,    // ok, reply
        CancelConfirmed,
    };
    UploadEvent(Kind kind = Start, int state = 0) : kind(kind), state(state) {}
    Kind kind = Start;
    int state = 0;
    QString folder;
    bool folderEntered = true;
    QStringList names;
    int answer = 0;
    bool ok = false;
    QString reply;
};

struct UploadCommand {
    enum Kind { Connect, ListFolder, AskOverwrite, PutFile, Abort, Disconnect, ResetProgress, Close };
    UploadCommand(Kind kind = Connect, QString localPath = {}, QString remotePath = {}, QString text = {})
        : kind(kind), localPath(std::move(localPath)), remotePath(std::move(remotePath)), text(std::move(text))
    {
    }
    Kind kind = Connect;
    QString localPath;  // PutFile
    QString remotePath; // ListFolder: the folder; PutFile: the remote file's path
    QString text;       // AskOverwrite: the question
    bool operator==(const UploadCommand&) const = default;
};

// The log line of a transport connection state (0 disconnecting .. 5 host resolved); empty for
// states that add none.
QString TransportStateLine(int state);

// A remote folder and a name joined with exactly one "/" between them; a name alone (relative to
// the server's folder) when there is no folder.
QString RemotePathJoin(const QString& folder, const QString& name);

class UploadSequence {
public:
    // files: full local paths in upload order; exists tells whether a local file is there.
    UploadSequence(QStringList files, std::function<bool(const QString&)> exists);

    QList<UploadCommand> handle(const UploadEvent& event);

    UploadState state() const { return m_state; }
    const QStringList& log() const { return m_log; }
    bool okEnabled() const { return m_okEnabled; }
    bool cancelEnabled() const { return m_cancelEnabled; }
    int failures() const { return m_failures; }
    // Whether the sequence still works with the server (Cancel asks before it stops it).
    bool running() const;
    // The local files now on the server: sent, or left there by the answer No.
    const QSet<QString>& delivered() const { return m_delivered; }

private:
    QList<UploadCommand> nextFile();
    QList<UploadCommand> putCurrent();
    QList<UploadCommand> finish();
    QList<UploadCommand> stop();
    void add(const QString& line) { m_log.append(line); }

    QStringList m_files;
    std::function<bool(const QString&)> m_exists;
    UploadState m_state = UploadState::Idle;
    QStringList m_log;
    QString m_folder;
    qsizetype m_index = -1;
    int m_failures = 0;
    bool m_yesToAll = false;
    bool m_done = false;
    bool m_cancelled = false;
    bool m_okEnabled = false;
    bool m_cancelEnabled = false;
    QSet<QString> m_delivered;
};

} // namespace podcast
