#pragma once
// One connection to the sound server: a libpulse threaded main loop and its context, shared by the
// playback and recording streams and by the mixer of a process (shared()). It connects to the
// server named by PULSE_SERVER, or to the default one, never starts a server, and connects again on
// the next use after the server went away. When no server answers, every use fails at once or
// within the timeout; nothing waits for ever.
//
// Locking: libpulse objects are used only with the main loop's lock held (Lock). Callbacks of
// libpulse run on the loop's own thread with the lock already held; there Lock does nothing, and
// nothing may wait (waitFor refuses). The last reference must not be dropped on the loop thread.

#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>

#include <QString>

#include <functional>
#include <map>
#include <memory>

namespace platform::audio {

class PulseContext {
public:
    // The process's shared connection, made on first use and kept while someone holds it.
    static std::shared_ptr<PulseContext> shared();

    // A connection of its own to `server` (a libpulse server string such as "unix:/path"); empty
    // means the server named by PULSE_SERVER or the default one.
    explicit PulseContext(const QString& server = {});
    ~PulseContext();
    PulseContext(const PulseContext&) = delete;
    PulseContext& operator=(const PulseContext&) = delete;

    class Lock {
    public:
        explicit Lock(PulseContext& pulse);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        pa_threaded_mainloop* m_loop; // null on the loop thread, where the lock is already held
    };

    // Lock held. The connected context, connecting (again) when there is no working connection;
    // null when the server cannot be reached. Connecting waits, so off the loop thread only; on the
    // loop thread it returns the current context when it is ready.
    pa_context* context();
    // Lock held. The current context when it is ready, without connecting.
    pa_context* readyContext() const;

    bool onLoopThread() const;

    // Lock held, off the loop thread: waits until done() holds, the connection breaks or the
    // timeout passes. True when done() held. Callbacks that change what done() reads call wake().
    bool waitFor(const std::function<bool()>& done, int timeoutMs = DefaultTimeoutMs);
    // Lock held, off the loop thread: waits for a request whose callback calls wake(), and releases
    // it. True when it completed; a request still running at the timeout is cancelled. A null
    // operation (refused at once) gives false.
    bool wait(pa_operation* operation);
    // Wakes the threads in waitFor. Lock held (callbacks hold it).
    void wake();
    // Lock held. Runs task on the loop thread, after the caller has let go of the lock.
    void runLater(std::function<void()> task);

    // Lock held. Listeners run on the loop thread with the lock held, for every new, changed and
    // removed sink and source and every change of the server (its default devices), on this and
    // on every later connection. The connection breaking is reported as PA_SUBSCRIPTION_EVENT_SERVER
    // with the index PA_INVALID_INDEX and `lost` set.
    using Listener = std::function<void(pa_subscription_event_type_t type, uint32_t index, bool lost)>;
    int addListener(Listener listener);
    void removeListener(int id);

    static constexpr int DefaultTimeoutMs = 5000;

private:
    void disconnect();
    void dispatch(pa_subscription_event_type_t type, uint32_t index, bool lost);
    static void onState(pa_context* context, void* self);
    static void onEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* self);

    QString m_server;
    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    bool m_lostReported = false;
    std::map<int, Listener> m_listeners;
    int m_nextListener = 1;
};

} // namespace platform::audio
