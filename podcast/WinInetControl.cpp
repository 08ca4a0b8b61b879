#include "podcast/WinInetControl.h"

#include "podcast/Log.h"

#include <QEventLoop>

namespace podcast {

TWinInetControl::TWinInetControl(std::unique_ptr<FtpEngine> engine, QObject* parent)
    : QObject(parent)
    , m_transport(std::make_unique<FtpTransport>(std::move(engine)))
{
    connect(m_transport.get(), &FtpTransport::stateChanged, this, [this](WinInetState state) {
        if (!m_destroying)
            setState(state);
    });
}

TWinInetControl::~TWinInetControl()
{
    m_destroying = true;
    for (const QPointer<QEventLoop>& loop : std::as_const(m_loops)) {
        if (loop)
            loop->quit();
    }
    m_transport.reset();
}

QString TWinInetControl::LastResponseText() const
{
    const QString reply = m_transport->lastReply();
    return reply.isEmpty() ? QStringLiteral("No error description available") : reply;
}

FtpConnectSettings TWinInetControl::connectSettings() const
{
    FtpConnectSettings s;
    s.host = m_hostName;
    s.port = m_port;
    s.user = m_userName;
    s.password = m_password;
    s.connectTimeoutMs = m_connectTimeout;
    s.connectRetries = m_connectRetries;
    s.passive = passive;
    s.resolveNames = m_resolveNames;
    s.proxyName = m_proxyName;
    s.proxyBypassList = m_proxyBypassList;
    return s;
}

FtpResult TWinInetControl::waitFor(const std::function<void(FtpTransport::Done)>& start, bool& alive)
{
    QPointer<TWinInetControl> self(this);
    auto result = std::make_shared<std::optional<FtpResult>>();
    QEventLoop loop;
    QPointer<QEventLoop> loopGuard(&loop);
    m_loops.append(loopGuard);
    start([result, loopGuard](const FtpResult& r) {
        *result = r;
        if (loopGuard)
            loopGuard->quit();
    });
    if (!result->has_value())
        loop.exec();
    alive = !self.isNull() && !m_destroying;
    if (!alive)
        return FtpResult{FtpError::OperationCancelled, QString()};
    m_loops.removeAll(loopGuard);
    return result->value_or(FtpResult{FtpError::OperationCancelled, QString()});
}

void TWinInetControl::RaiseWinInetError(const FtpResult& result)
{
    m_lastError = result;
    setState(WinInetState::wsNone);
    qCInfo(lcPodcast) << "FTP:" << LastErrorText() << result.reply;
}

bool TWinInetControl::setState(WinInetState state)
{
    if (state == m_state)
        return false;
    m_state = state;
    emit OnStateChange(state);
    // A connection that ends, by Disconnect() or by the server, is announced once.
    if (state == WinInetState::wsConnected)
        m_hadConnection = true;
    if (state == WinInetState::wsNone && m_hadConnection) {
        m_hadConnection = false;
        emit OnDisconnected();
    }
    return true;
}

bool TWinInetControl::Connect()
{
    return m_state == WinInetState::wsConnected;
}

bool TWinInetControl::Disconnect()
{
    bool alive = true;
    waitFor([this](FtpTransport::Done done) { m_transport->disconnectFromHost(std::move(done)); }, alive);
    if (!alive)
        return false;
    setState(WinInetState::wsNone);
    return true;
}

void TWinInetControl::Abort()
{
    m_transport->abort();
}

} // namespace podcast
