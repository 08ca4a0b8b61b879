#pragma once
// The libraries' message poster with a last look on the GUI thread: a message posted by an audio
// thread may have become stale by the time it is delivered (the playback it reports was stopped,
// the pad it reports was started again), so the library's filter decides there whether it still
// goes out.

#include "platform/PostedMessage.h"

#include <QCoreApplication>

#include <functional>

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace platform::audio {

class NotificationPoster : public platform::MessagePoster {
public:
    // GUI thread: true delivers the message to the receiver, false drops it.
    using Filter = std::function<bool(const platform::PostedMessage&)>;

    void setFilter(Filter filter) { m_filter = std::move(filter); }

    // Any thread. As MessagePoster::post, with the hand-over made visible to ThreadSanitizer:
    // Qt's event queue passes the event on under a lock that it does not see, so the event's
    // contents are released here and acquired in event().
    void post(uint32_t message, intptr_t wParam = 0, intptr_t lParam = 0)
    {
        auto* posted = new platform::PostedMessage(message, wParam, lParam);
#if defined(__SANITIZE_THREAD__)
        __tsan_release(this);
#endif
        QCoreApplication::postEvent(this, posted);
    }

protected:
    bool event(QEvent* event) override
    {
#if defined(__SANITIZE_THREAD__)
        __tsan_acquire(this);
#endif
        if (event->type() == platform::PostedMessage::eventType() && m_filter
            && !m_filter(static_cast<const platform::PostedMessage&>(*event)))
            return true;
        return platform::MessagePoster::event(event);
    }

private:
    Filter m_filter;
};

} // namespace platform::audio
