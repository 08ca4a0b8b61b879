#pragma once
// The receiving end of one registered window: a local socket server on the thread that registered
// the window. It answers queries of the window's state and copy-data blocks at once, and hands
// posted messages to the window's handler later from the event loop. Every frame is checked; a
// connection that sends a malformed frame, announces an oversized one or leaves a frame unfinished
// too long is closed and logged, and the window goes on serving the others.

#include "platform/messaging/EndpointFolder.h"
#include "platform/messaging/Messaging.h"
#include "platform/messaging/MessagingWire.h"

#include <QLocalServer>
#include <QObject>

#include <chrono>
#include <memory>
#include <vector>

namespace platform {

class EndpointConnection;

struct EndpointLimits {
    int maxConnections = 32;
    std::chrono::milliseconds unfinishedFrameTimeout{5000};
};

class LocalEndpoint : public QObject, public WindowRegistration {
public:
    // Null (logged) when the window cannot be made reachable.
    static std::unique_ptr<LocalEndpoint> open(const EndpointFolder& folder, const QString& className,
                                               WindowHandler& handler, EndpointLimits limits);
    ~LocalEndpoint() override;

    WindowHandle handle() const override { return {m_endpoint.socketPath}; }

    // The endpoint with this socket path when the calling thread owns it, else null. A window's own
    // thread must reach its windows directly: over the socket it would wait for itself.
    static LocalEndpoint* ownedByThisThread(const QString& socketPath);

    WindowInfo info() const;
    void postLater(uint32_t message, intptr_t wParam, intptr_t lParam);
    bool copyData(uint64_t dwData, const QByteArray& data);

private:
    friend class EndpointConnection;

    LocalEndpoint(EndpointFolder::NewEndpoint endpoint, const QString& className, WindowHandler& handler,
                  EndpointLimits limits);
    void acceptConnections();
    void forget(EndpointConnection* connection);

    EndpointFolder::NewEndpoint m_endpoint;
    QString m_className;
    WindowHandler& m_handler;
    EndpointLimits m_limits;
    QLocalServer m_server;
    std::vector<EndpointConnection*> m_connections;
};

} // namespace platform
