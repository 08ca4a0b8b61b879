#pragma once
// The mixer on the sound server: the sinks and sources of PulseDevices.h with their volumes, set
// through the server, and news from the server's change events. It shares the connection of the
// process with the audio engine's streams.

#include "platform/audio/MixerBackend.h"

#include <memory>

namespace platform::audio {

class PulseContext;

class PulseMixerBackend : public MixerBackend {
public:
    // On the process's shared connection.
    PulseMixerBackend();
    explicit PulseMixerBackend(std::shared_ptr<PulseContext> pulse);
    ~PulseMixerBackend() override;

    Result devices(MixerDirection direction, MixerDeviceList* list) override;
    Result setVolumes(MixerDirection direction, const QString& name, const std::vector<uint32_t>& volumes) override;
    void watch(std::function<void(MixerDirection)> changed) override;

private:
    std::shared_ptr<PulseContext> m_pulse;
    int m_listener = 0;
};

} // namespace platform::audio
