#pragma once
// The libraries' message poster with a last look on the GUI thread: a message posted by an audio
// thread may have become stale by the time it is delivered (the playback it reports was stopped,
// the pad it reports was started again), so the library's filter decides there whether it still
// goes out.

#include "platform/base/PostedMessage.h"

#include <functional>

namespace platform::audio {

class NotificationPoster : public platform::MessagePoster {
public:
    // GUI thread: true delivers the message to the receiver, false drops it.
    using Filter = std::function<bool(const platform::PostedMessage&)>;

    void setFilter(Filter filter) { m_filter = std::move(filter); }

protected:
    bool accept(const platform::PostedMessage& message) override { return !m_filter || m_filter(message); }

private:
    Filter m_filter;
};

} // namespace platform::audio
