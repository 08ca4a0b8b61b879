#include "platform/messaging/LocalEndpoint.h"

#include "platform/base/Log.h"

#include <QHash>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <mutex>

namespace platform {

namespace {

constexpr qint64 kMaxUnreadReplies = 256 * 1024;

std::mutex g_registryMutex;

QHash<QString, LocalEndpoint*>& registry()
{
    static QHash<QString, LocalEndpoint*> endpoints;
    return endpoints;
}

} // namespace

// One accepted connection: cuts frames out of what arrives and serves them in order.
class EndpointConnection : public QObject {
public:
    EndpointConnection(QLocalSocket* socket, LocalEndpoint* endpoint)
        : QObject(endpoint)
        , m_socket(socket)
        , m_endpoint(endpoint)
    {
        socket->setParent(this);
        socket->setReadBufferSize(wire::kHeaderSize + wire::maxBodySize());
        m_unfinished.setSingleShot(true);
        m_unfinished.setInterval(endpoint->m_limits.unfinishedFrameTimeout);
        connect(&m_unfinished, &QTimer::timeout, this, [this] { drop(QStringLiteral("a frame stayed unfinished")); });
        connect(socket, &QLocalSocket::readyRead, this, &EndpointConnection::serve);
        connect(socket, &QLocalSocket::disconnected, this, [this] {
            // What arrived before the sender closed is still served.
            QPointer<EndpointConnection> self(this);
            serve();
            if (self)
                close();
        });
    }

    void serve()
    {
        if (m_closed)
            return;
        QPointer<EndpointConnection> self(this);
        for (;;) {
            wire::Frame frame;
            QString why;
            const wire::FrameReader::Result result = m_reader.next(&frame, &why);
            if (result == wire::FrameReader::Result::Invalid)
                return drop(why);
            if (result == wire::FrameReader::Result::Frame) {
                if (!handle(frame, &why)) {
                    if (self)
                        drop(why);
                    return;
                }
                // A handler may have closed the window, and this connection with it.
                if (!self || m_closed)
                    return;
                continue;
            }
            const qsizetype take = std::min(m_reader.room(), m_socket->bytesAvailable());
            if (take <= 0)
                break;
            m_reader.append(m_socket->read(take));
        }
        if (!m_reader.hasPartialFrame())
            m_unfinished.stop();
        else if (!m_unfinished.isActive())
            m_unfinished.start();
    }

private:
    bool handle(const wire::Frame& frame, QString* why)
    {
        switch (frame.type) {
        case wire::FrameType::Query:
            reply(wire::queryReplyFrame(m_endpoint->info()));
            return true;
        case wire::FrameType::Post:
            if (const std::optional<wire::PostBody> post = wire::parsePost(frame.body)) {
                m_endpoint->postLater(post->message, intptr_t(post->wParam), intptr_t(post->lParam));
                return true;
            }
            break;
        case wire::FrameType::CopyData:
            if (std::optional<wire::CopyDataBody> copy = wire::parseCopyData(frame.body)) {
                QPointer<EndpointConnection> self(this);
                const bool answer = m_endpoint->copyData(copy->dwData, copy->data);
                if (self)
                    reply(wire::copyDataReplyFrame(answer));
                return true;
            }
            break;
        case wire::FrameType::QueryReply:
        case wire::FrameType::CopyDataReply:
            *why = QStringLiteral("a reply was sent to a window");
            return false;
        }
        *why = QStringLiteral("a frame of type %1 does not fit its layout").arg(uint32_t(frame.type));
        return false;
    }

    // The sender is waiting: the reply goes out now, not when the event loop next runs. A sender
    // that asks and never reads its replies is not allowed to pile them up here.
    void reply(const QByteArray& frame)
    {
        m_socket->write(frame);
        m_socket->flush();
        if (m_socket->bytesToWrite() > kMaxUnreadReplies)
            drop(QStringLiteral("the sender does not read its replies"));
    }

    void drop(const QString& why)
    {
        if (m_closed)
            return;
        qCWarning(lcPlatform).noquote() << "closing a connection to window" << m_endpoint->handle().id << ":" << why;
        m_socket->disconnect(this);
        m_socket->abort();
        close();
    }

    void close()
    {
        if (m_closed)
            return;
        m_closed = true;
        m_unfinished.stop();
        m_endpoint->forget(this);
        deleteLater();
    }

    QLocalSocket* m_socket;
    LocalEndpoint* m_endpoint;
    wire::FrameReader m_reader;
    QTimer m_unfinished;
    bool m_closed = false;
};

LocalEndpoint::LocalEndpoint(EndpointFolder::NewEndpoint endpoint, const QString& className, WindowHandler& handler,
                             EndpointLimits limits)
    : m_endpoint(std::move(endpoint))
    , m_className(className)
    , m_handler(handler)
    , m_limits(limits)
{
}

std::unique_ptr<LocalEndpoint> LocalEndpoint::open(const EndpointFolder& folder, const QString& className,
                                                   WindowHandler& handler, EndpointLimits limits)
{
    EndpointFolder::NewEndpoint endpoint = folder.createEndpoint(className);
    if (endpoint.lockFd < 0)
        return nullptr;
    std::unique_ptr<LocalEndpoint> opened(new LocalEndpoint(std::move(endpoint), className, handler, limits));
    QLocalServer& server = opened->m_server;
    if (!server.listen(opened->m_endpoint.socketPath)) {
        qCWarning(lcPlatform).noquote() << "window" << className << "cannot listen on"
                                        << opened->m_endpoint.socketPath << ":" << server.errorString();
        return nullptr;
    }
    connect(&server, &QLocalServer::newConnection, opened.get(), &LocalEndpoint::acceptConnections);
    std::lock_guard lock(g_registryMutex);
    registry().insert(opened->m_endpoint.socketPath, opened.get());
    return opened;
}

LocalEndpoint::~LocalEndpoint()
{
    {
        std::lock_guard lock(g_registryMutex);
        registry().remove(m_endpoint.socketPath);
    }
    const std::vector<EndpointConnection*> connections = std::exchange(m_connections, {});
    for (EndpointConnection* connection : connections)
        delete connection;
    m_server.close();
    EndpointFolder::release(m_endpoint);
}

LocalEndpoint* LocalEndpoint::ownedByThisThread(const QString& socketPath)
{
    std::lock_guard lock(g_registryMutex);
    LocalEndpoint* endpoint = registry().value(socketPath);
    return endpoint && endpoint->thread() == QThread::currentThread() ? endpoint : nullptr;
}

WindowInfo LocalEndpoint::info() const
{
    return {m_className, m_handler.windowCaption(), m_handler.windowVisible(), m_handler.windowEnabled()};
}

void LocalEndpoint::postLater(uint32_t message, intptr_t wParam, intptr_t lParam)
{
    QMetaObject::invokeMethod(
        this, [this, message, wParam, lParam] { m_handler.windowMessage(message, wParam, lParam); },
        Qt::QueuedConnection);
}

bool LocalEndpoint::copyData(uint64_t dwData, const QByteArray& data)
{
    return m_handler.windowCopyData(dwData, data);
}

void LocalEndpoint::acceptConnections()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        if (int(m_connections.size()) >= m_limits.maxConnections) {
            qCWarning(lcPlatform).noquote() << "window" << m_endpoint.socketPath << "refuses a connection: already"
                                            << m_connections.size() << "open";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto* connection = new EndpointConnection(socket, this);
        m_connections.push_back(connection);
        connection->serve();
    }
}

void LocalEndpoint::forget(EndpointConnection* connection)
{
    m_connections.erase(std::remove(m_connections.begin(), m_connections.end(), connection), m_connections.end());
}

} // namespace platform
