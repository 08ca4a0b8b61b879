#pragma once
// The sinks and sources of the sound server as the audio layers list them. The audio engine and the
// mixer both list devices through here, so one index means one device in both: outputs are the
// sinks, inputs the sources that are not the monitor of a sink, each sorted by name (the same
// devices always give the same order, whatever order the server made them in).

#include "platform/audio/PulseContext.h"

#include <pulse/channelmap.h>
#include <pulse/volume.h>

#include <QString>

#include <cstdint>
#include <vector>

namespace platform::audio {

enum class DeviceKind { Output, Input };

struct PulseDevice {
    QString name;
    QString description;
    uint32_t index = PA_INVALID_INDEX;
    pa_channel_map channelMap{};
    pa_cvolume volume{};
    QString activePort; // empty when the device has no ports
};

struct PulseDeviceList {
    std::vector<PulseDevice> devices;
    QString defaultName; // the server's default device when it is one of the list, else empty
};

enum class PulseQuery { Ok, NoServer, Failed };

// Lock held, off the loop thread.
PulseQuery queryDevices(PulseContext& pulse, DeviceKind kind, PulseDeviceList* list);

} // namespace platform::audio
