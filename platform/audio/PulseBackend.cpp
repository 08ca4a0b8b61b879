#include "platform/audio/PulseBackend.h"

#include "platform/base/Log.h"
#include "platform/audio/PulseContext.h"
#include "platform/audio/PulseDevices.h"

#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/stream.h>
#include <pulse/timeval.h>

#include <algorithm>
#include <cstring>

namespace platform::audio {

namespace {

constexpr uint32_t PlaybackBufferMs = 80; // the latency asked for: gain changes are heard within it
constexpr uint32_t CaptureFragmentMs = 20;

StreamError openError(pa_context* context)
{
    switch (pa_context_errno(context)) {
    case PA_ERR_NOENTITY:
        return StreamError::NoDevice;
    case PA_ERR_NOTSUPPORTED:
    case PA_ERR_INVALID:
        return StreamError::FormatRefused;
    case PA_ERR_BUSY:
    case PA_ERR_ACCESS:
        return StreamError::DeviceBusy;
    case PA_ERR_CONNECTIONREFUSED:
    case PA_ERR_CONNECTIONTERMINATED:
    case PA_ERR_TIMEOUT:
        return StreamError::ServerUnavailable;
    default:
        return StreamError::Failed;
    }
}

// For requests whose outcome shows in the stream itself.
void release(pa_operation* operation)
{
    if (operation)
        pa_operation_unref(operation);
}

// usec x rate / 1e6 without overflowing for long streams.
int64_t usecToFrames(pa_usec_t usec, uint32_t rate)
{
    return int64_t(usec / PA_USEC_PER_SEC) * rate + int64_t(usec % PA_USEC_PER_SEC * rate / PA_USEC_PER_SEC);
}

// What the two stream kinds share: opening, watching the device, failing once and closing. Every
// member is used with the event loop's lock held. Callbacks of libpulse get the core's address;
// they keep the core alive while they call out, since the stream's owner may drop it meanwhile.
class StreamCore : public std::enable_shared_from_this<StreamCore> {
public:
    StreamCore(std::shared_ptr<PulseContext> pulse, DeviceKind kind, const StreamFormat& format)
        : m_pulse(std::move(pulse))
        , m_kind(kind)
        , m_format(format)
    {
    }
    virtual ~StreamCore() = default;

    StreamError open(const QString& device);
    void close();
    PulseContext& pulse() { return *m_pulse; }

protected:
    // The stream ended for good: no callback after this one.
    void fail(StreamError error);
    void track(pa_operation* operation);
    void untrack(pa_operation* operation);

    virtual pa_stream_flags_t flags() const = 0;
    virtual void setDataCallback() = 0;
    virtual int connect(const char* device) = 0;
    // Called on the loop thread once the open has let go of the lock: streaming starts.
    virtual void started() = 0;
    virtual void reportFailure(StreamError error) = 0;

    std::shared_ptr<PulseContext> m_pulse;
    const DeviceKind m_kind;
    const StreamFormat m_format;
    pa_stream* m_stream = nullptr;
    bool m_live = false;     // opened: callbacks may run
    bool m_finished = false; // closed or failed: no callback any more

private:
    void teardown();
    void onDeviceEvent(pa_subscription_event_type_t type, uint32_t index, bool lost);
    void onMoved();
    void checkedOldDevice(bool exists);

    static void onState(pa_stream* stream, void* self);

    int m_listener = 0;
    uint32_t m_device = PA_INVALID_INDEX;
    std::vector<pa_operation*> m_pending;
    pa_operation* m_moveCheck = nullptr;
    bool m_oldDeviceSeen = false;
};

StreamError StreamCore::open(const QString& device)
{
    if ((m_format.bits != 8 && m_format.bits != 16) || m_format.channels > PA_CHANNELS_MAX)
        return StreamError::FormatRefused;
    const pa_sample_spec spec{m_format.bits == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE, m_format.rate,
                              uint8_t(m_format.channels)};
    if (!pa_sample_spec_valid(&spec))
        return StreamError::FormatRefused;
    pa_channel_map map;
    pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT);

    pa_context* context = m_pulse->context();
    if (!context)
        return StreamError::ServerUnavailable;
    m_stream = pa_stream_new(context, m_kind == DeviceKind::Output ? "Playback" : "Recording", &spec, &map);
    if (!m_stream)
        return openError(context);
    pa_stream_set_state_callback(m_stream, &StreamCore::onState, this);
    pa_stream_set_moved_callback(
        m_stream, [](pa_stream*, void* self) { static_cast<StreamCore*>(self)->onMoved(); }, this);
    setDataCallback();

    const QByteArray name = device.toUtf8();
    pa_stream* stream = m_stream;
    const bool ready = connect(name.isEmpty() ? nullptr : name.constData()) >= 0
        && m_pulse->waitFor([stream] { return pa_stream_get_state(stream) != PA_STREAM_CREATING; })
        && pa_stream_get_state(stream) == PA_STREAM_READY;
    if (!ready) {
        const StreamError error = m_pulse->readyContext() ? openError(context) : StreamError::ServerUnavailable;
        teardown();
        m_finished = true;
        return error;
    }

    m_device = pa_stream_get_device_index(m_stream);
    m_listener = m_pulse->addListener([this](pa_subscription_event_type_t type, uint32_t index, bool lost) {
        onDeviceEvent(type, index, lost);
    });
    m_live = true;
    // The first callbacks come from the loop once this open has let go of the lock.
    m_pulse->runLater([weak = weak_from_this()] {
        if (const std::shared_ptr<StreamCore> core = weak.lock(); core && !core->m_finished)
            core->started();
    });
    return StreamError::None;
}

void StreamCore::teardown()
{
    if (m_listener) {
        m_pulse->removeListener(m_listener);
        m_listener = 0;
    }
    for (pa_operation* operation : m_pending) {
        pa_operation_cancel(operation);
        pa_operation_unref(operation);
    }
    m_pending.clear();
    m_moveCheck = nullptr;
    if (m_stream) {
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_set_moved_callback(m_stream, nullptr, nullptr);
        pa_stream_set_write_callback(m_stream, nullptr, nullptr);
        pa_stream_set_read_callback(m_stream, nullptr, nullptr);
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }
}

void StreamCore::close()
{
    m_finished = true;
    teardown();
}

void StreamCore::fail(StreamError error)
{
    if (m_finished)
        return;
    m_finished = true;
    teardown();
    qCWarning(lcPlatform) << (m_kind == DeviceKind::Output ? "Playback" : "Recording")
                          << "stream ended:" << int(error);
    reportFailure(error);
}

void StreamCore::track(pa_operation* operation)
{
    if (operation)
        m_pending.push_back(operation);
}

void StreamCore::untrack(pa_operation* operation)
{
    const auto it = std::find(m_pending.begin(), m_pending.end(), operation);
    if (it == m_pending.end())
        return;
    pa_operation_unref(*it);
    m_pending.erase(it);
}

void StreamCore::onState(pa_stream* stream, void* self)
{
    auto* core = static_cast<StreamCore*>(self);
    core->m_pulse->wake();
    if (!core->m_live || PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        return;
    const auto keep = core->shared_from_this();
    pa_context* context = core->m_pulse->readyContext();
    if (!context) {
        core->fail(StreamError::ServerUnavailable);
        return;
    }
    // The server kills a stream whose device went away when it has nowhere to move it.
    const int error = pa_context_errno(context);
    core->fail(error == PA_ERR_KILLED || error == PA_ERR_NOENTITY ? StreamError::DeviceLost : StreamError::Failed);
}

void StreamCore::onDeviceEvent(pa_subscription_event_type_t type, uint32_t index, bool lost)
{
    if (m_finished)
        return;
    const auto keep = shared_from_this();
    if (lost) {
        fail(StreamError::ServerUnavailable);
        return;
    }
    const int facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const int wanted = m_kind == DeviceKind::Output ? PA_SUBSCRIPTION_EVENT_SINK : PA_SUBSCRIPTION_EVENT_SOURCE;
    if (facility == wanted && (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE
        && index == m_device)
        fail(StreamError::DeviceLost);
}

// The server moved the stream. When the device it played on is gone, the move was the server's
// rescue and the device is lost; when it is still there, the user moved the stream.
void StreamCore::onMoved()
{
    if (m_finished || m_moveCheck)
        return;
    pa_context* context = m_pulse->readyContext();
    if (!context)
        return;
    m_oldDeviceSeen = false;
    if (m_kind == DeviceKind::Output) {
        m_moveCheck = pa_context_get_sink_info_by_index(
            context, m_device,
            [](pa_context*, const pa_sink_info* info, int eol, void* self) {
                auto* core = static_cast<StreamCore*>(self);
                if (eol == 0)
                    core->m_oldDeviceSeen = info != nullptr;
                else
                    core->checkedOldDevice(eol > 0 && core->m_oldDeviceSeen);
            },
            this);
    } else {
        m_moveCheck = pa_context_get_source_info_by_index(
            context, m_device,
            [](pa_context*, const pa_source_info* info, int eol, void* self) {
                auto* core = static_cast<StreamCore*>(self);
                if (eol == 0)
                    core->m_oldDeviceSeen = info != nullptr;
                else
                    core->checkedOldDevice(eol > 0 && core->m_oldDeviceSeen);
            },
            this);
    }
    track(m_moveCheck);
}

void StreamCore::checkedOldDevice(bool exists)
{
    pa_operation* check = m_moveCheck;
    m_moveCheck = nullptr;
    untrack(check);
    if (m_finished)
        return;
    const auto keep = shared_from_this();
    if (!exists) {
        fail(StreamError::DeviceLost);
        return;
    }
    m_device = pa_stream_get_device_index(m_stream);
}

class OutputCore final : public StreamCore {
public:
    OutputCore(std::shared_ptr<PulseContext> pulse, const StreamFormat& format, OutputStream::Callbacks callbacks)
        : StreamCore(std::move(pulse), DeviceKind::Output, format)
        , m_callbacks(std::move(callbacks))
    {
    }

    int64_t audibleFrames();
    void setPaused(bool paused);
    void flush();

private:
    pa_stream_flags_t flags() const override
    {
        return pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE
                                 | PA_STREAM_ADJUST_LATENCY);
    }
    void setDataCallback() override
    {
        pa_stream_set_write_callback(
            m_stream, [](pa_stream*, size_t bytes, void* self) { static_cast<OutputCore*>(self)->write(bytes); },
            this);
    }
    int connect(const char* device) override
    {
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = m_format.rate * m_format.frameBytes() * PlaybackBufferMs / 1000;
        attr.prebuf = uint32_t(-1);
        attr.minreq = uint32_t(-1);
        attr.fragsize = uint32_t(-1);
        return pa_stream_connect_playback(m_stream, device, &attr, flags(), nullptr, nullptr);
    }
    void started() override { write(pa_stream_writable_size(m_stream)); }
    void reportFailure(StreamError error) override
    {
        if (m_callbacks.failed)
            m_callbacks.failed(error);
    }

    void write(size_t bytes);
    void drain();
    int64_t heardNow();

    OutputStream::Callbacks m_callbacks;
    int64_t m_written = 0; // frames handed to the server
    int64_t m_dropped = 0; // of those, the ones a flush dropped before they were heard
    int64_t m_audible = 0;
    bool m_paused = false;
    bool m_ended = false;   // fill() gave less than asked: no more asking until a flush
    bool m_drained = false; // everything written has been played
    pa_operation* m_draining = nullptr;
};

void OutputCore::write(size_t bytes)
{
    if (!m_live || m_finished || m_ended || !m_stream || bytes == size_t(-1))
        return;
    const auto keep = shared_from_this();
    const size_t frameBytes = size_t(m_format.frameBytes());
    while (bytes >= frameBytes) {
        void* buffer = nullptr;
        size_t size = bytes;
        if (pa_stream_begin_write(m_stream, &buffer, &size) < 0 || !buffer) {
            fail(StreamError::Failed);
            return;
        }
        const int64_t frames = int64_t(std::min(size, bytes) / frameBytes);
        if (frames == 0) {
            pa_stream_cancel_write(m_stream);
            return;
        }
        const int64_t filled = std::clamp<int64_t>(m_callbacks.fill ? m_callbacks.fill(buffer, frames) : 0, 0, frames);
        if (m_finished) // closed from inside fill()
            return;
        if (filled > 0)
            pa_stream_write(m_stream, buffer, size_t(filled) * frameBytes, nullptr, 0, PA_SEEK_RELATIVE);
        else
            pa_stream_cancel_write(m_stream);
        m_written += filled;
        if (filled < frames) {
            drain();
            return;
        }
        bytes -= size_t(filled) * frameBytes;
    }
}

void OutputCore::drain()
{
    m_ended = true;
    m_draining = pa_stream_drain(
        m_stream,
        [](pa_stream*, int success, void* self) {
            auto* core = static_cast<OutputCore*>(self);
            pa_operation* draining = core->m_draining;
            core->m_draining = nullptr;
            core->untrack(draining);
            if (!success || core->m_finished)
                return;
            const auto keep = core->shared_from_this();
            core->m_drained = true;
            core->m_audible = core->heardNow();
            if (core->m_callbacks.drained)
                core->m_callbacks.drained();
        },
        this);
    track(m_draining);
}

// What has been heard so far: the stream's time, never more than what was written and not
// dropped, never less than before.
int64_t OutputCore::heardNow()
{
    const int64_t kept = m_written - m_dropped;
    if (m_drained)
        return std::max(m_audible, kept);
    if (!m_stream || m_finished || m_paused)
        return m_audible;
    pa_usec_t usec = 0;
    if (pa_stream_get_time(m_stream, &usec) < 0)
        return m_audible;
    return std::max(m_audible, std::min(usecToFrames(usec, m_format.rate), kept));
}

int64_t OutputCore::audibleFrames()
{
    PulseContext::Lock lock(pulse());
    m_audible = heardNow();
    return m_audible;
}

void OutputCore::setPaused(bool paused)
{
    PulseContext::Lock lock(pulse());
    if (paused == m_paused)
        return;
    m_audible = heardNow();
    m_paused = paused;
    if (m_stream && !m_finished)
        release(pa_stream_cork(m_stream, paused ? 1 : 0, nullptr, nullptr));
}

void OutputCore::flush()
{
    PulseContext::Lock lock(pulse());
    if (!m_stream || m_finished)
        return;
    m_audible = heardNow();
    if (m_draining) {
        pa_operation_cancel(m_draining);
        untrack(m_draining);
        m_draining = nullptr;
    }
    m_dropped = m_written - m_audible;
    m_ended = false;
    m_drained = false;
    // The server drops what was not heard and asks for new frames at once.
    release(pa_stream_flush(m_stream, nullptr, nullptr));
}

class InputCore final : public StreamCore {
public:
    InputCore(std::shared_ptr<PulseContext> pulse, const StreamFormat& format, InputStream::Callbacks callbacks)
        : StreamCore(std::move(pulse), DeviceKind::Input, format)
        , m_callbacks(std::move(callbacks))
    {
    }

    // The server's timing of the stream: the source's latency and what waits in the stream.
    int64_t latencyFrames()
    {
        PulseContext::Lock lock(pulse());
        pa_usec_t usec = 0;
        int negative = 0;
        if (!m_stream || m_finished || pa_stream_get_latency(m_stream, &usec, &negative) < 0 || negative)
            return 0;
        return usecToFrames(usec, m_format.rate);
    }

private:
    pa_stream_flags_t flags() const override
    {
        return pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE);
    }
    void setDataCallback() override
    {
        pa_stream_set_read_callback(
            m_stream, [](pa_stream*, size_t, void* self) { static_cast<InputCore*>(self)->read(); }, this);
    }
    int connect(const char* device) override
    {
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = uint32_t(-1);
        attr.prebuf = uint32_t(-1);
        attr.minreq = uint32_t(-1);
        attr.fragsize = m_format.rate * m_format.frameBytes() * CaptureFragmentMs / 1000;
        return pa_stream_connect_record(m_stream, device, &attr, flags());
    }
    void started() override { read(); }
    void reportFailure(StreamError error) override
    {
        if (m_callbacks.failed)
            m_callbacks.failed(error);
    }

    void read();
    void deliver(const uint8_t* data, size_t bytes);

    InputStream::Callbacks m_callbacks;
    std::vector<uint8_t> m_partial; // the start of a frame split between two reads
    std::vector<uint8_t> m_silence;
};

void InputCore::read()
{
    if (!m_live || m_finished || !m_stream)
        return;
    const auto keep = shared_from_this();
    while (pa_stream_readable_size(m_stream) > 0) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(m_stream, &data, &bytes) < 0) {
            fail(StreamError::Failed);
            return;
        }
        if (bytes == 0)
            return;
        if (data) {
            deliver(static_cast<const uint8_t*>(data), bytes);
        } else {
            // A hole: frames the server lost. They are given as silence, so the time line holds.
            m_silence.assign(bytes, m_format.bits == 8 ? 0x80 : 0);
            deliver(m_silence.data(), bytes);
        }
        if (m_finished) // closed from inside captured()
            return;
        pa_stream_drop(m_stream);
    }
}

void InputCore::deliver(const uint8_t* data, size_t bytes)
{
    const size_t frameBytes = size_t(m_format.frameBytes());
    if (!m_partial.empty()) {
        const size_t take = std::min(frameBytes - m_partial.size(), bytes);
        m_partial.insert(m_partial.end(), data, data + take);
        data += take;
        bytes -= take;
        if (m_partial.size() < frameBytes)
            return;
        const std::vector<uint8_t> frame = std::move(m_partial);
        m_partial.clear();
        if (m_callbacks.captured)
            m_callbacks.captured(frame.data(), 1);
        if (m_finished)
            return;
    }
    const size_t frames = bytes / frameBytes;
    if (frames > 0 && m_callbacks.captured)
        m_callbacks.captured(data, int64_t(frames));
    if (m_finished)
        return;
    m_partial.assign(data + frames * frameBytes, data + bytes);
}

class PulseOutputStream final : public OutputStream {
public:
    explicit PulseOutputStream(std::shared_ptr<OutputCore> core)
        : m_core(std::move(core))
    {
    }
    ~PulseOutputStream() override { close(); }

    int64_t audibleFrames() override { return m_core->audibleFrames(); }
    void setPaused(bool paused) override { m_core->setPaused(paused); }
    void flush() override { m_core->flush(); }
    void close() override
    {
        PulseContext::Lock lock(m_core->pulse());
        m_core->close();
    }

private:
    std::shared_ptr<OutputCore> m_core;
};

class PulseInputStream final : public InputStream {
public:
    explicit PulseInputStream(std::shared_ptr<InputCore> core)
        : m_core(std::move(core))
    {
    }
    ~PulseInputStream() override { close(); }

    int64_t latencyFrames() override { return m_core->latencyFrames(); }
    void close() override
    {
        PulseContext::Lock lock(m_core->pulse());
        m_core->close();
    }

private:
    std::shared_ptr<InputCore> m_core;
};

std::vector<AudioDevice> listed(PulseContext& pulse, DeviceKind kind)
{
    PulseContext::Lock lock(pulse);
    PulseDeviceList list;
    if (queryDevices(pulse, kind, &list) != PulseQuery::Ok)
        return {};
    std::vector<AudioDevice> devices;
    devices.reserve(list.devices.size());
    for (const PulseDevice& device : list.devices)
        devices.push_back({device.name, device.description});
    return devices;
}

QString defaultDevice(PulseContext& pulse, DeviceKind kind)
{
    PulseContext::Lock lock(pulse);
    PulseDeviceList list;
    queryDevices(pulse, kind, &list);
    return list.defaultName;
}

} // namespace

PulseBackend::PulseBackend()
    : PulseBackend(PulseContext::shared())
{
}

PulseBackend::PulseBackend(std::shared_ptr<PulseContext> pulse)
    : m_pulse(std::move(pulse))
{
}

PulseBackend::~PulseBackend() = default;

std::vector<AudioDevice> PulseBackend::outputDevices()
{
    return listed(*m_pulse, DeviceKind::Output);
}

std::vector<AudioDevice> PulseBackend::inputDevices()
{
    return listed(*m_pulse, DeviceKind::Input);
}

QString PulseBackend::defaultOutputDevice()
{
    return defaultDevice(*m_pulse, DeviceKind::Output);
}

QString PulseBackend::defaultInputDevice()
{
    return defaultDevice(*m_pulse, DeviceKind::Input);
}

std::unique_ptr<OutputStream> PulseBackend::openOutput(const QString& device, const StreamFormat& format,
                                                       OutputStream::Callbacks callbacks, StreamError* error)
{
    auto core = std::make_shared<OutputCore>(m_pulse, format, std::move(callbacks));
    PulseContext::Lock lock(*m_pulse);
    const StreamError result = core->open(device);
    if (error)
        *error = result;
    if (result != StreamError::None)
        return nullptr;
    return std::make_unique<PulseOutputStream>(std::move(core));
}

std::unique_ptr<InputStream> PulseBackend::openInput(const QString& device, const StreamFormat& format,
                                                     InputStream::Callbacks callbacks, StreamError* error)
{
    auto core = std::make_shared<InputCore>(m_pulse, format, std::move(callbacks));
    PulseContext::Lock lock(*m_pulse);
    const StreamError result = core->open(device);
    if (error)
        *error = result;
    if (result != StreamError::None)
        return nullptr;
    return std::make_unique<PulseInputStream>(std::move(core));
}

} // namespace platform::audio
