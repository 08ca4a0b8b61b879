#include "platform/audio/PulseDevices.h"

#include <pulse/introspect.h>

#include <algorithm>

namespace platform::audio {

namespace {

struct Collected {
    PulseContext* pulse;
    PulseDeviceList* list;
    QString defaultSink;
    QString defaultSource;
    bool failed = false;
};

template <typename Info>
void collect(Collected* c, const Info* info, int eol)
{
    if (eol < 0)
        c->failed = true;
    if (eol != 0) {
        c->pulse->wake();
        return;
    }
    PulseDevice device;
    device.name = QString::fromUtf8(info->name);
    device.description = QString::fromUtf8(info->description);
    device.index = info->index;
    device.channelMap = info->channel_map;
    device.volume = info->volume;
    if (info->active_port)
        device.activePort = QString::fromUtf8(info->active_port->name);
    c->list->devices.push_back(std::move(device));
}

} // namespace

PulseQuery queryDevices(PulseContext& pulse, DeviceKind kind, PulseDeviceList* list)
{
    *list = {};
    pa_context* context = pulse.context();
    if (!context)
        return PulseQuery::NoServer;

    Collected c{&pulse, list, {}, {}};
    const bool server = pulse.wait(pa_context_get_server_info(
        context,
        [](pa_context*, const pa_server_info* info, void* data) {
            auto* c = static_cast<Collected*>(data);
            if (info) {
                c->defaultSink = QString::fromUtf8(info->default_sink_name);
                c->defaultSource = QString::fromUtf8(info->default_source_name);
            } else {
                c->failed = true;
            }
            c->pulse->wake();
        },
        &c));
    if (!server || c.failed)
        return pulse.readyContext() ? PulseQuery::Failed : PulseQuery::NoServer;

    bool listed;
    if (kind == DeviceKind::Output) {
        listed = pulse.wait(pa_context_get_sink_info_list(
            context,
            [](pa_context*, const pa_sink_info* info, int eol, void* data) {
                collect(static_cast<Collected*>(data), info, eol);
            },
            &c));
    } else {
        listed = pulse.wait(pa_context_get_source_info_list(
            context,
            [](pa_context*, const pa_source_info* info, int eol, void* data) {
                auto* c = static_cast<Collected*>(data);
                if (eol == 0 && info->monitor_of_sink != PA_INVALID_INDEX)
                    return;
                collect(c, info, eol);
            },
            &c));
    }
    if (!listed || c.failed) {
        *list = {};
        return pulse.readyContext() ? PulseQuery::Failed : PulseQuery::NoServer;
    }

    std::sort(list->devices.begin(), list->devices.end(),
              [](const PulseDevice& a, const PulseDevice& b) { return a.name < b.name; });
    const QString& defaultName = kind == DeviceKind::Output ? c.defaultSink : c.defaultSource;
    const bool listedDefault = std::any_of(list->devices.begin(), list->devices.end(),
                                           [&](const PulseDevice& d) { return d.name == defaultName; });
    if (listedDefault)
        list->defaultName = defaultName;
    return PulseQuery::Ok;
}

} // namespace platform::audio
