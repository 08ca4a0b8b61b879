#include "platform/audio/PulseContext.h"

#include "platform/base/Log.h"

#include <pulse/error.h>
#include <pulse/mainloop-api.h>
#include <pulse/timeval.h>

#include <QCoreApplication>

#include <mutex>
#include <vector>

namespace platform::audio {

std::shared_ptr<PulseContext> PulseContext::shared()
{
    static std::mutex mutex;
    static std::weak_ptr<PulseContext> current;
    std::lock_guard guard(mutex);
    std::shared_ptr<PulseContext> pulse = current.lock();
    if (!pulse) {
        pulse = std::make_shared<PulseContext>();
        current = pulse;
    }
    return pulse;
}

PulseContext::PulseContext(const QString& server)
    : m_server(server)
{
    m_loop = pa_threaded_mainloop_new();
    if (m_loop && pa_threaded_mainloop_start(m_loop) < 0) {
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
    }
    if (!m_loop)
        qCWarning(lcPlatform) << "Cannot start the sound server's event loop";
}

PulseContext::~PulseContext()
{
    if (!m_loop)
        return;
    pa_threaded_mainloop_lock(m_loop);
    disconnect();
    m_listeners.clear();
    pa_threaded_mainloop_unlock(m_loop);
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

PulseContext::Lock::Lock(PulseContext& pulse)
    : m_loop(pulse.onLoopThread() ? nullptr : pulse.m_loop)
{
    if (m_loop)
        pa_threaded_mainloop_lock(m_loop);
}

PulseContext::Lock::~Lock()
{
    if (m_loop)
        pa_threaded_mainloop_unlock(m_loop);
}

bool PulseContext::onLoopThread() const
{
    return m_loop && pa_threaded_mainloop_in_thread(m_loop);
}

pa_context* PulseContext::readyContext() const
{
    return m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY ? m_context : nullptr;
}

pa_context* PulseContext::context()
{
    if (pa_context* ready = readyContext())
        return ready;
    if (!m_loop || onLoopThread())
        return nullptr;

    disconnect();
    QByteArray name = QCoreApplication::applicationName().toUtf8();
    if (name.isEmpty())
        name = "Vexal Audio";
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), name.constData());
    if (!m_context)
        return nullptr;
    m_lostReported = true; // nothing to report until this connection has worked
    pa_context_set_state_callback(m_context, &PulseContext::onState, this);
    pa_context_set_subscribe_callback(m_context, &PulseContext::onEvent, this);

    const QByteArray server = m_server.toUtf8();
    pa_context* connecting = m_context;
    const bool ready = pa_context_connect(connecting, server.isEmpty() ? nullptr : server.constData(),
                                          PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0
        && waitFor([connecting] { return pa_context_get_state(connecting) == PA_CONTEXT_READY; });
    if (!ready) {
        qCWarning(lcPlatform) << "Cannot connect to the sound server:" << pa_strerror(pa_context_errno(connecting));
        disconnect();
        return nullptr;
    }
    m_lostReported = false;
    const auto mask = pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE
                                             | PA_SUBSCRIPTION_MASK_SERVER);
    if (pa_operation* subscribing = pa_context_subscribe(m_context, mask, nullptr, nullptr))
        pa_operation_unref(subscribing);
    return m_context;
}

void PulseContext::disconnect()
{
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
}

bool PulseContext::waitFor(const std::function<bool()>& done, int timeoutMs)
{
    if (!m_loop || onLoopThread())
        return done();

    struct Deadline {
        PulseContext* pulse;
        bool passed = false;
    } deadline{this};
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
    timeval when;
    pa_gettimeofday(&when);
    pa_timeval_add(&when, pa_usec_t(timeoutMs) * PA_USEC_PER_MSEC);
    pa_time_event* timer = api->time_new(
        api, &when,
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* data) {
            auto* d = static_cast<Deadline*>(data);
            d->passed = true;
            d->pulse->wake();
        },
        &deadline);

    bool result = false;
    while (!(result = done())) {
        const bool broken = !m_context || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context));
        if (deadline.passed || broken)
            break;
        pa_threaded_mainloop_wait(m_loop);
    }
    api->time_free(timer);
    return result;
}

bool PulseContext::wait(pa_operation* operation)
{
    if (!operation)
        return false;
    waitFor([operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; });
    const pa_operation_state_t state = pa_operation_get_state(operation);
    if (state == PA_OPERATION_RUNNING)
        pa_operation_cancel(operation);
    pa_operation_unref(operation);
    return state == PA_OPERATION_DONE;
}

void PulseContext::wake()
{
    if (m_loop)
        pa_threaded_mainloop_signal(m_loop, 0);
}

void PulseContext::runLater(std::function<void()> task)
{
    if (!m_loop)
        return;
    auto* queued = new std::function<void()>(std::move(task));
    pa_mainloop_api_once(
        pa_threaded_mainloop_get_api(m_loop),
        [](pa_mainloop_api*, void* data) {
            const std::unique_ptr<std::function<void()>> run(static_cast<std::function<void()>*>(data));
            (*run)();
        },
        queued);
}

int PulseContext::addListener(Listener listener)
{
    const int id = m_nextListener++;
    m_listeners.emplace(id, std::move(listener));
    return id;
}

void PulseContext::removeListener(int id)
{
    m_listeners.erase(id);
}

void PulseContext::dispatch(pa_subscription_event_type_t type, uint32_t index, bool lost)
{
    // A listener may remove itself or others while it runs: call each one still registered.
    std::vector<int> ids;
    ids.reserve(m_listeners.size());
    for (const auto& entry : m_listeners)
        ids.push_back(entry.first);
    for (int id : ids) {
        const auto it = m_listeners.find(id);
        if (it == m_listeners.end())
            continue;
        const Listener listener = it->second;
        listener(type, index, lost);
    }
}

void PulseContext::onState(pa_context* context, void* self)
{
    auto* pulse = static_cast<PulseContext*>(self);
    pulse->wake();
    const pa_context_state_t state = pa_context_get_state(context);
    if (PA_CONTEXT_IS_GOOD(state) || pulse->m_lostReported)
        return;
    pulse->m_lostReported = true;
    qCWarning(lcPlatform) << "The connection to the sound server broke:" << pa_strerror(pa_context_errno(context));
    pulse->dispatch(PA_SUBSCRIPTION_EVENT_SERVER, PA_INVALID_INDEX, true);
}

void PulseContext::onEvent(pa_context*, pa_subscription_event_type_t type, uint32_t index, void* self)
{
    static_cast<PulseContext*>(self)->dispatch(type, index, false);
}

} // namespace platform::audio
