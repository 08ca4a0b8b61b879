#include "platform/messaging/LocalMessaging.h"

#include "platform/messaging/InstanceLock.h"
#include "platform/base/Log.h"
#include "platform/messaging/SocketExchange.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QLocalSocket>
#include <QThread>

#include <algorithm>

namespace platform {

namespace {

int remaining(const QDeadlineTimer& deadline)
{
    return int(std::max<qint64>(deadline.remainingTime(), 0));
}

bool connectWithin(QLocalSocket& socket, const QString& socketPath, const QDeadlineTimer& deadline)
{
    socket.connectToServer(socketPath);
    return socket.waitForConnected(remaining(deadline));
}

} // namespace

// The connections that carry posted messages from the thread that made the LocalMessaging, one
// per window, kept open so that messages to one window keep their order.
class PostChannels : public QObject {
public:
    explicit PostChannels(std::chrono::milliseconds timeout)
        : m_timeout(timeout)
    {
    }

    bool post(const QString& socketPath, const QByteArray& frame)
    {
        // A kept connection may have lost its window since; a fresh one tells whether the window
        // is really gone.
        for (int attempt = 0; attempt < 2; ++attempt) {
            QLocalSocket* socket = channel(socketPath);
            if (!socket)
                return false;
            if (socket->write(frame) == frame.size()) {
                socket->flush();
                if (socket->state() == QLocalSocket::ConnectedState)
                    return true;
            }
            discard(socketPath);
        }
        return false;
    }

private:
    QLocalSocket* channel(const QString& socketPath)
    {
        if (QLocalSocket* kept = m_sockets.value(socketPath)) {
            if (kept->state() == QLocalSocket::ConnectedState)
                return kept;
            discard(socketPath);
        }
        auto* socket = new QLocalSocket(this);
        if (!connectWithin(*socket, socketPath, QDeadlineTimer(m_timeout))) {
            delete socket;
            return nullptr;
        }
        connect(socket, &QLocalSocket::disconnected, this, [this, socketPath, socket] {
            if (m_sockets.value(socketPath) == socket)
                discard(socketPath);
        });
        // A window never writes on this connection; whatever comes is refused, not buffered.
        connect(socket, &QLocalSocket::readyRead, this, [this, socketPath, socket] {
            qCWarning(lcPlatform).noquote() << "window" << socketPath << "wrote on its message connection; closed";
            socket->abort();
            if (m_sockets.value(socketPath) == socket)
                discard(socketPath);
        });
        m_sockets.insert(socketPath, socket);
        return socket;
    }

    void discard(const QString& socketPath)
    {
        if (QLocalSocket* socket = m_sockets.take(socketPath)) {
            socket->disconnect(this);
            socket->abort();
            socket->deleteLater();
        }
    }

    std::chrono::milliseconds m_timeout;
    QHash<QString, QLocalSocket*> m_sockets;
};

LocalMessaging::LocalMessaging(LocalMessagingOptions options)
    : m_options(std::move(options))
    , m_folder(m_options.folder.isEmpty() ? EndpointFolder::defaultPath() : m_options.folder)
    , m_channels(std::make_unique<PostChannels>(m_options.replyTimeout))
{
}

LocalMessaging::~LocalMessaging() = default;

std::unique_ptr<WindowRegistration> LocalMessaging::registerWindow(const QString& className, WindowHandler& handler)
{
    if (!isValidWindowClassName(className)) {
        qCWarning(lcPlatform).noquote() << "a window cannot register under the class name" << className.left(80);
        return nullptr;
    }
    if (!m_folder.ensureExists())
        return nullptr;
    m_folder.removeDead();
    return LocalEndpoint::open(m_folder, className, handler, m_options.endpointLimits);
}

QList<WindowHandle> LocalMessaging::windowsOfClass(const QString& className)
{
    QList<WindowHandle> windows;
    if (!isValidWindowClassName(className))
        return windows;
    for (const QString& socketPath : m_folder.liveEndpoints(className))
        windows.append(WindowHandle{socketPath});
    return windows;
}

std::optional<WindowInfo> LocalMessaging::queryWindow(const WindowHandle& window)
{
    if (LocalEndpoint* own = LocalEndpoint::ownedByThisThread(window.id))
        return own->info();
    QByteArray reply;
    if (exchange(window.id, wire::queryFrame(), wire::FrameType::QueryReply, &reply) != SendStatus::Answered)
        return std::nullopt;
    std::optional<WindowInfo> info = wire::parseQueryReply(reply);
    if (!info)
        qCWarning(lcPlatform).noquote() << "window" << window.id << "answered a query with a malformed reply";
    return info;
}

bool LocalMessaging::postMessage(const WindowHandle& window, uint32_t message, intptr_t wParam, intptr_t lParam)
{
    if (LocalEndpoint* own = LocalEndpoint::ownedByThisThread(window.id)) {
        own->postLater(message, wParam, lParam);
        return true;
    }
    const QByteArray frame = wire::postFrame(message, int64_t(wParam), int64_t(lParam));
    if (QThread::currentThread() == m_channels->thread())
        return m_channels->post(window.id, frame);
    return postOnce(window.id, frame);
}

SendResult LocalMessaging::sendCopyData(const WindowHandle& window, uint64_t dwData, const QByteArray& data)
{
    if (data.size() > kMaxCopyDataSize) {
        qCWarning(lcPlatform) << "a copy-data block of" << data.size() << "bytes is larger than" << kMaxCopyDataSize
                              << "and is not sent";
        return {SendStatus::Failed, false};
    }
    if (LocalEndpoint* own = LocalEndpoint::ownedByThisThread(window.id))
        return {SendStatus::Answered, own->copyData(dwData, data)};
    QByteArray reply;
    const SendStatus status = exchange(window.id, wire::copyDataFrame(dwData, data), wire::FrameType::CopyDataReply, &reply);
    if (status != SendStatus::Answered)
        return {status, false};
    const std::optional<bool> answer = wire::parseCopyDataReply(reply);
    if (!answer) {
        qCWarning(lcPlatform).noquote() << "window" << window.id << "answered a copy-data block with a malformed reply";
        return {SendStatus::Failed, false};
    }
    return {SendStatus::Answered, *answer};
}

std::unique_ptr<InstanceClaim> LocalMessaging::claimInstance(const QString& name)
{
    return std::make_unique<InstanceLock>(m_folder.path(), name);
}

SendStatus LocalMessaging::exchange(const QString& socketPath, const QByteArray& request, wire::FrameType replyType,
                                    QByteArray* replyBody) const
{
    SocketExchange exchange{QDeadlineTimer(m_options.replyTimeout)};
    QString why;
    SendStatus status = exchange.connectTo(socketPath, &why);
    if (status == SendStatus::Answered)
        status = exchange.send(request, &why);
    wire::Frame frame;
    if (status == SendStatus::Answered)
        status = exchange.receive(&frame, &why);
    if (status == SendStatus::Answered && frame.type != replyType) {
        why = QStringLiteral("it answered with a frame of type %1").arg(uint32_t(frame.type));
        status = SendStatus::Failed;
    }
    switch (status) {
    case SendStatus::Answered:
        *replyBody = frame.body;
        break;
    case SendStatus::NoWindow:
        break;
    case SendStatus::TimedOut:
        qCInfo(lcPlatform).noquote() << "window" << socketPath << "did not answer in time:" << why;
        break;
    case SendStatus::Failed:
        qCWarning(lcPlatform).noquote() << "exchange with window" << socketPath << "failed:" << why;
        break;
    }
    return status;
}

bool LocalMessaging::postOnce(const QString& socketPath, const QByteArray& frame) const
{
    SocketExchange exchange{QDeadlineTimer(m_options.replyTimeout)};
    QString why;
    return exchange.connectTo(socketPath, &why) == SendStatus::Answered
           && exchange.send(frame, &why) == SendStatus::Answered;
}

} // namespace platform
