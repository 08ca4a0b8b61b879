#pragma once
// TWinInetControl: one FTP session as the upload windows see it: the connection settings, the
// control connection's state and its text, and the last failure with its message. It carries no
// protocol of its own: TSimpleFTP (SimpFTP.h) adds FTP.
//
// Calls look synchronous to the window that makes them (Connect() returns whether it connected),
// yet never block the GUI thread: the work runs on the transport's worker thread while a local
// event loop keeps serving the window, so a Cancel button can reach Abort() in the middle of a
// put. A window that may be closed during such a call must be deleted with deleteLater(); a call
// whose object is destroyed under it returns false.

#include "podcast/FtpTransport.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QEventLoop;

namespace podcast {

class TWinInetControl : public QObject {
    Q_OBJECT
public:
    explicit TWinInetControl(std::unique_ptr<FtpEngine> engine, QObject* parent = nullptr);
    // Closes the connection without OnDisconnected and without a state change.
    ~TWinInetControl() override;

    uint32_t ConnectRetries() const { return m_connectRetries; }
    void setConnectRetries(uint32_t retries) { m_connectRetries = retries; }
    bool EnableCache() const { return m_enableCache; }
    void setEnableCache(bool enable) { m_enableCache = enable; }
    QString HostName() const { return m_hostName; }
    void setHostName(const QString& host) { m_hostName = host; }
    QString UserName() const { return m_userName; }
    void setUserName(const QString& user) { m_userName = user; }
    QString Password() const { return m_password; }
    void setPassword(const QString& password) { m_password = password; }
    int Port() const { return m_port; }
    void setPort(int port) { m_port = port; }
    QString ProxyName() const { return m_proxyName; }
    void setProxyName(const QString& proxy) { m_proxyName = proxy; }
    QStringList ProxyBypassList() const { return m_proxyBypassList; }
    void setProxyBypassList(const QStringList& hosts) { m_proxyBypassList = hosts; }
    // Milliseconds; 0 is stored as 300000.
    uint32_t ConnectTimeout() const { return m_connectTimeout; }
    void setConnectTimeout(uint32_t milliseconds) { m_connectTimeout = milliseconds == 0 ? 300000 : milliseconds; }
    ResolveNames resolveNames() const { return m_resolveNames; }
    void setResolveNames(ResolveNames resolve) { m_resolveNames = resolve; }
    // Failures are always values (LastError(), LastErrorText()); this only says whether a window
    // wants them shown.
    bool SilentExceptions() const { return m_silentExceptions; }
    void setSilentExceptions(bool silent) { m_silentExceptions = silent; }

    WinInetState State() const { return m_state; }
    QString StateText() const { return winInetStateText(m_state, m_hostName); }
    // The server's last reply, or "No error description available".
    QString LastResponseText() const;
    // The last failure, and its message from the error table.
    FtpResult LastError() const { return m_lastError; }
    QString LastErrorText() const { return winInetErrorText(m_lastError.error, m_hostName, m_userName); }

    // True at once when connected; otherwise false: the derived class connects.
    virtual bool Connect();
    virtual bool Disconnect();
    // Stops the running call; returns after it has ended and the connection is closed.
    void Abort();

signals:
    void OnStateChange(podcast::WinInetState state);
    void OnConnected();
    void OnDisconnected();

protected:
    FtpTransport& transport() { return *m_transport; }
    FtpConnectSettings connectSettings() const;
    // Runs one transport call to its end while the GUI thread keeps serving events; false in
    // alive when this object was destroyed meanwhile.
    FtpResult waitFor(const std::function<void(FtpTransport::Done)>& start, bool& alive);
    // A failure: the state becomes wsNone, and the failure is kept for LastError().
    void RaiseWinInetError(const FtpResult& result);
    void noteFailure(const FtpResult& result) { m_lastError = result; }
    // Stores the state and fires OnStateChange; false when it was the state already.
    bool setState(WinInetState state);
    bool passive = true;

private:
    std::unique_ptr<FtpTransport> m_transport;
    QList<QPointer<QEventLoop>> m_loops;
    bool m_destroying = false;
    bool m_hadConnection = false;

    uint32_t m_connectRetries = 3;
    bool m_enableCache = false;
    QString m_hostName;
    QString m_userName;
    QString m_password;
    int m_port = 0;
    QString m_proxyName;
    QStringList m_proxyBypassList;
    uint32_t m_connectTimeout = 300000;
    ResolveNames m_resolveNames = ResolveNames::rnLocal;
    bool m_silentExceptions = true;
    WinInetState m_state = WinInetState::wsNone;
    FtpResult m_lastError;
};

} // namespace podcast
