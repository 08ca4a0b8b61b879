#pragma once
// Messaging between the processes of one user over local sockets in the window folder (see
// EndpointFolder). A window's endpoint is served on the thread that registered it. Lookups,
// queries and copy-data sends may come from any thread and wait at most the reply timeout; a
// window of the calling thread is reached directly, as it could not answer over its socket while
// its thread waits. Posted messages from the thread that made this object go over one connection
// per window, so they arrive in the order they were posted; from other threads each post makes
// its own connection.

#include "platform/messaging/EndpointFolder.h"
#include "platform/messaging/LocalEndpoint.h"
#include "platform/messaging/Messaging.h"
#include "platform/messaging/MessagingWire.h"

#include <chrono>
#include <memory>

namespace platform {

class PostChannels;

struct LocalMessagingOptions {
    QString folder; // empty: EndpointFolder::defaultPath()
    std::chrono::milliseconds replyTimeout{3000};
    EndpointLimits endpointLimits;
};

class LocalMessaging : public Messaging {
public:
    explicit LocalMessaging(LocalMessagingOptions options = {});
    ~LocalMessaging() override;
    LocalMessaging(const LocalMessaging&) = delete;
    LocalMessaging& operator=(const LocalMessaging&) = delete;

    const QString& folder() const { return m_folder.path(); }

    std::unique_ptr<WindowRegistration> registerWindow(const QString& className, WindowHandler& handler) override;
    QList<WindowHandle> windowsOfClass(const QString& className) override;
    std::optional<WindowInfo> queryWindow(const WindowHandle& window) override;
    bool postMessage(const WindowHandle& window, uint32_t message, intptr_t wParam, intptr_t lParam) override;
    SendResult sendCopyData(const WindowHandle& window, uint64_t dwData, const QByteArray& data) override;
    std::unique_ptr<InstanceClaim> claimInstance(const QString& name) override;

private:
    // One request and its reply over a fresh connection, within the reply timeout.
    SendStatus exchange(const QString& socketPath, const QByteArray& request, wire::FrameType replyType,
                        QByteArray* replyBody) const;
    bool postOnce(const QString& socketPath, const QByteArray& frame) const;

    LocalMessagingOptions m_options;
    EndpointFolder m_folder;
    std::unique_ptr<PostChannels> m_channels;
};

} // namespace platform
