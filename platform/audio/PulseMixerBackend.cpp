#include "platform/audio/PulseMixerBackend.h"

#include "platform/audio/PulseContext.h"
#include "platform/audio/PulseDevices.h"

#include <pulse/error.h>
#include <pulse/introspect.h>

#include <algorithm>

namespace platform::audio {

namespace {

DeviceKind kindOf(MixerDirection direction)
{
    return direction == MixerDirection::Output ? DeviceKind::Output : DeviceKind::Input;
}

ChannelSide sideOf(pa_channel_position_t position)
{
    switch (position) {
    case PA_CHANNEL_POSITION_FRONT_LEFT:
    case PA_CHANNEL_POSITION_REAR_LEFT:
    case PA_CHANNEL_POSITION_FRONT_LEFT_OF_CENTER:
    case PA_CHANNEL_POSITION_SIDE_LEFT:
    case PA_CHANNEL_POSITION_TOP_FRONT_LEFT:
    case PA_CHANNEL_POSITION_TOP_REAR_LEFT:
        return ChannelSide::Left;
    case PA_CHANNEL_POSITION_FRONT_RIGHT:
    case PA_CHANNEL_POSITION_REAR_RIGHT:
    case PA_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER:
    case PA_CHANNEL_POSITION_SIDE_RIGHT:
    case PA_CHANNEL_POSITION_TOP_FRONT_RIGHT:
    case PA_CHANNEL_POSITION_TOP_REAR_RIGHT:
        return ChannelSide::Right;
    default:
        return ChannelSide::Other;
    }
}

} // namespace

PulseMixerBackend::PulseMixerBackend()
    : PulseMixerBackend(PulseContext::shared())
{
}

PulseMixerBackend::PulseMixerBackend(std::shared_ptr<PulseContext> pulse)
    : m_pulse(std::move(pulse))
{
}

PulseMixerBackend::~PulseMixerBackend()
{
    watch({});
}

MixerBackend::Result PulseMixerBackend::devices(MixerDirection direction, MixerDeviceList* list)
{
    *list = {};
    PulseContext::Lock lock(*m_pulse);
    PulseDeviceList found;
    switch (queryDevices(*m_pulse, kindOf(direction), &found)) {
    case PulseQuery::Ok:
        break;
    case PulseQuery::NoServer:
        return Result::NoServer;
    default:
        return Result::Failed;
    }
    for (const PulseDevice& d : found.devices) {
        MixerDevice device;
        device.name = d.name;
        device.description = d.description;
        device.port = d.activePort;
        for (int channel = 0; channel < d.volume.channels; ++channel) {
            device.volumes.push_back(d.volume.values[channel]);
            device.sides.push_back(channel < d.channelMap.channels ? sideOf(d.channelMap.map[channel])
                                                                   : ChannelSide::Other);
        }
        list->devices.push_back(std::move(device));
    }
    list->defaultName = found.defaultName;
    return Result::Ok;
}

MixerBackend::Result PulseMixerBackend::setVolumes(MixerDirection direction, const QString& name,
                                                   const std::vector<uint32_t>& volumes)
{
    if (volumes.empty() || volumes.size() > PA_CHANNELS_MAX)
        return Result::Failed;
    pa_cvolume volume;
    pa_cvolume_init(&volume);
    volume.channels = uint8_t(volumes.size());
    for (size_t channel = 0; channel < volumes.size(); ++channel)
        volume.values[channel] = std::min<uint32_t>(volumes[channel], PA_VOLUME_MAX);

    PulseContext::Lock lock(*m_pulse);
    pa_context* context = m_pulse->context();
    if (!context)
        return Result::NoServer;
    struct Outcome {
        PulseContext* pulse;
        bool success = false;
    } outcome{m_pulse.get()};
    const auto done = [](pa_context*, int success, void* data) {
        auto* o = static_cast<Outcome*>(data);
        o->success = success != 0;
        o->pulse->wake();
    };
    const QByteArray device = name.toUtf8();
    pa_operation* operation = direction == MixerDirection::Output
        ? pa_context_set_sink_volume_by_name(context, device.constData(), &volume, done, &outcome)
        : pa_context_set_source_volume_by_name(context, device.constData(), &volume, done, &outcome);
    if (m_pulse->wait(operation) && outcome.success)
        return Result::Ok;
    if (!m_pulse->readyContext())
        return Result::NoServer;
    return pa_context_errno(context) == PA_ERR_NOENTITY ? Result::NoDevice : Result::Failed;
}

void PulseMixerBackend::watch(std::function<void(MixerDirection)> changed)
{
    PulseContext::Lock lock(*m_pulse);
    if (m_listener) {
        m_pulse->removeListener(m_listener);
        m_listener = 0;
    }
    if (!changed)
        return;
    m_listener = m_pulse->addListener([changed](pa_subscription_event_type_t type, uint32_t, bool) {
        switch (type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) {
        case PA_SUBSCRIPTION_EVENT_SINK:
            changed(MixerDirection::Output);
            break;
        case PA_SUBSCRIPTION_EVENT_SOURCE:
            changed(MixerDirection::Input);
            break;
        case PA_SUBSCRIPTION_EVENT_SERVER: // the default devices, or the connection
            changed(MixerDirection::Output);
            changed(MixerDirection::Input);
            break;
        default:
            break;
        }
    });
    // The server's news flows once connected.
    m_pulse->context();
}

} // namespace platform::audio
