#pragma once
// The FTP transport of the podcast upload: one logged-in control connection per transport, used by
// the upload window and the remote folder browser.
//
// Threads. An FtpTransport is made, used and destroyed on the GUI thread. Every operation is
// asynchronous: the call queues it and returns at once; a worker thread of the transport runs the
// queued operations one after another on an FtpEngine (blocking network work), and the results come
// back as queued calls on the GUI thread, in the order the work happened:
//   - stateChanged() for each change of the control connection's state (never for data
//     connections),
//   - progress() while a file is being put (bytes the server actually accepted so far),
//   - the operation's completion callback, once, after its last stateChanged()/progress().
// Operations queued while one runs wait for it. A completion callback is never called after the
// transport is destroyed.
//
// abort() stops the running operation and returns only after it has ended: the worker is no longer
// inside the network call, the connection is closed (state wsNone) and the running operation's
// callback is queued with FtpError::OperationCancelled. Operations queued behind it are dropped:
// their callbacks are queued with FtpError::OperationCancelled too.
//
// Errors are values: FtpResult carries the number the message table uses (WinInet's numbers) and
// the server's last reply text.

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/base/PostedMessage.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace podcast {

// The control connection's state; the numbers are the ones the state handlers see.
enum class WinInetState : int {
    wsDisconnecting = 0,
    wsNone = 1,
    wsConnecting = 2,
    wsConnected = 3,
    wsResolving = 4,
    wsResolved = 5,
};

// "Connecting to %s" and the others, with host for %s; an unknown value gives
// "Unknown state!  Contact support ...".
QString winInetStateText(WinInetState state, const QString& host);

// Failure numbers: WinInet's, as the message table uses them.
enum class FtpError : int {
    Ok = 0,
    LocalFileNotFound = 2,       // the local file is missing or cannot be read
    Timeout = 12002,             // connect or transfer timed out
    ExtendedError = 12003,       // the server refused a command; see the reply text
    InternalError = 12004,
    NameNotResolved = 12007,
    IncorrectUserName = 12013,   // 530 after USER
    IncorrectPassword = 12014,   // 530 after PASS
    LoginFailure = 12015,        // refused login otherwise
    OperationCancelled = 12017,  // abort()
    NotConnected = 12018,        // an operation that needs a connection, without one
    CannotConnect = 12029,
    ConnectionAborted = 12030,   // the connection dropped, or fewer bytes arrived than were sent
};

// "Connection to %s timed out" and the others of the error table; "General Connection Error to %s"
// for numbers the table does not name.
QString winInetErrorText(FtpError error, const QString& host, const QString& user);

struct FtpResult {
    FtpError error = FtpError::Ok;
    QString reply; // the server's last reply text (may be empty when no server answered)
    bool ok() const { return error == FtpError::Ok; }
};

// How the session reaches the network; the numbers are the open types the settings store.
enum class ResolveNames : int {
    rnPreConfig = 0, // the system's proxy settings (the proxy environment variables)
    rnLocal = 1,     // direct: the proxy environment variables are ignored
    rnProxy = 3,     // through proxyName, except hosts of the bypass list
};

struct FtpConnectSettings {
    QString host;
    int port = 21;
    QString user;
    QString password;
    uint32_t connectTimeoutMs = 300000; // 0 is read as 300000
    uint32_t connectRetries = 3;        // connect attempts in all (0 is read as 1)
    bool passive = true;
    ResolveNames resolveNames = ResolveNames::rnLocal;
    QString proxyName;           // host[:port], used only with rnProxy
    QStringList proxyBypassList; // host names that skip the proxy
};

enum class FtpEntryType { File, Folder, Link, Other };

struct FtpEntry {
    QString name;   // the entry's name within its folder, as the server spells it
    FtpEntryType type = FtpEntryType::File;
    int64_t size = 0; // bytes; 0 when the server did not tell
};

struct FtpProgress {
    int64_t bytesDone = 0; // bytes of the current file the server has accepted so far
    int64_t fileSize = 0;  // size of the local file
    QString fileName;      // name part of the local file
};

// The blocking side, run by the transport's worker thread only (one call at a time). Paths are
// remote paths: absolute ("/pub/a.mp3") or relative to the current remote folder.
class FtpEngine {
public:
    virtual ~FtpEngine() = default;

    using StateSink = std::function<void(WinInetState)>;
    using ProgressSink = std::function<void(const FtpProgress&)>;

    // Set once by the transport before the first call; the engine reports through them on the
    // worker thread.
    void setSinks(StateSink state, ProgressSink progress)
    {
        m_stateSink = std::move(state);
        m_progressSink = std::move(progress);
    }
    // Set by abort() from the GUI thread; the engine polls it inside blocking work and gives up
    // with OperationCancelled.
    void setAbortFlag(const std::atomic<bool>* flag) { m_abort = flag; }

    // Connects and logs in; a connected engine returns Ok at once.
    virtual FtpResult connect(const FtpConnectSettings& settings) = 0;
    virtual FtpResult changeDir(const QString& dir) = 0;
    // The current remote folder (PWD).
    virtual FtpResult printDir(QString& dir) = 0;
    // The entries of folder (empty: the current one), without "." and "..".
    virtual FtpResult list(const QString& folder, QList<FtpEntry>& entries) = 0;
    // Puts the local file to remote, replacing it. Ok only when the server holds as many bytes as
    // the local file had.
    virtual FtpResult putFile(const QString& localPath, const QString& remotePath) = 0;
    // Closes the connection (QUIT when it is alive); always ends in wsNone.
    virtual void disconnect() = 0;
    virtual bool connected() const = 0;

protected:
    void reportState(WinInetState state) const
    {
        if (m_stateSink)
            m_stateSink(state);
    }
    void reportProgress(const FtpProgress& progress) const
    {
        if (m_progressSink)
            m_progressSink(progress);
    }
    bool abortRequested() const { return m_abort && m_abort->load(); }

private:
    StateSink m_stateSink;
    ProgressSink m_progressSink;
    const std::atomic<bool>* m_abort = nullptr;
};

// The engine on libcurl (CurlFtpTransport.cpp).
std::unique_ptr<FtpEngine> makeCurlFtpEngine();

class FtpTransport : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const FtpResult&)>;
    using DirDone = std::function<void(const FtpResult&, const QString& dir)>;
    using ListDone = std::function<void(const FtpResult&, const QList<FtpEntry>& entries)>;

    // The transport runs engine on its own worker thread.
    explicit FtpTransport(std::unique_ptr<FtpEngine> engine, QObject* parent = nullptr);
    // Aborts what runs, disconnects and joins the worker; no callback is called afterwards.
    ~FtpTransport() override;

    void connectToHost(const FtpConnectSettings& settings, Done done = {});
    void changeDir(const QString& dir, Done done = {});
    void printDir(DirDone done);
    void list(const QString& folder, ListDone done);
    void putFile(const QString& localPath, const QString& remotePath, Done done = {});
    void disconnectFromHost(Done done = {});

    // See the top of this file: returns after the running operation has ended.
    void abort();

    // The state as last delivered on the GUI thread.
    WinInetState state() const { return m_state; }
    // The reply text of the last result delivered.
    QString lastReply() const { return m_lastReply; }
    // True while an operation is queued or running.
    bool busy() const { return m_pending > 0; }

signals:
    void stateChanged(podcast::WinInetState state);
    void progress(const podcast::FtpProgress& progress);

protected:
    bool event(QEvent* event) override;

private:
    class Worker;
    void queueOperation(std::function<FtpResult()> work, std::function<void(const FtpResult&)> finish);
    // Any thread: onGuiThread runs on the GUI thread, after everything delivered before it.
    void deliver(std::function<void()> onGuiThread);

    // What the worker hands to the GUI thread waits here, under a lock of our own, and one posted
    // message per item tells the GUI thread to take it: the hand-over is then visible to the
    // thread checker, which cannot see the lock inside Qt's event queue.
    std::mutex m_deliveriesLock;
    std::deque<std::function<void()>> m_deliveries;
    platform::MessagePoster m_poster;
    std::unique_ptr<Worker> m_worker;
    WinInetState m_state = WinInetState::wsNone;
    QString m_lastReply;
    int m_pending = 0;
};

// A transport on an engine on the curl library.
inline std::unique_ptr<FtpTransport> makeCurlFtpTransport(QObject* parent = nullptr)
{
    return std::make_unique<FtpTransport>(makeCurlFtpEngine(), parent);
}

} // namespace podcast

Q_DECLARE_METATYPE(podcast::WinInetState)
Q_DECLARE_METATYPE(podcast::FtpProgress)
