#pragma once
// A sound card mixer in memory, for tests of the windows that use MixerLibrary. It behaves as the
// sound server does (the contract tests run on both): devices kept in name order, each change
// (ours and those made "from outside" through the functions below) reported through watch(), an
// unknown device refused, nothing answered while the server is "down". Thread-safe.

#include "platform/audio/MixerBackend.h"

#include <mutex>

namespace platform::audio {

class FakeMixerBackend : public MixerBackend {
public:
    // No devices at first.
    FakeMixerBackend();
    ~FakeMixerBackend() override;

    Result devices(MixerDirection direction, MixerDeviceList* list) override;
    Result setVolumes(MixerDirection direction, const QString& name, const std::vector<uint32_t>& volumes) override;
    void watch(std::function<void(MixerDirection)> changed) override;

    // What other programs and the hardware do. A device's volumes default to 100 % on every channel.
    void addDevice(MixerDirection direction, MixerDevice device);
    void removeDevice(MixerDirection direction, const QString& name);
    void setDefaultDevice(MixerDirection direction, const QString& name);
    void setVolumesFromOutside(MixerDirection direction, const QString& name, const std::vector<uint32_t>& volumes);
    void setPort(MixerDirection direction, const QString& name, const QString& port);
    void setServerRunning(bool running);
    // setVolumes() fails with Result::Failed while refusing.
    void setRefusingChanges(bool refusing);

    // The device as it is now; an empty one (no name) when there is none.
    MixerDevice device(MixerDirection direction, const QString& name) const;

private:
    struct Side {
        std::vector<MixerDevice> devices;
        QString defaultName;
    };
    Side& side(MixerDirection direction) { return direction == MixerDirection::Output ? m_output : m_input; }
    MixerDevice* find(MixerDirection direction, const QString& name);
    void notify(MixerDirection direction);

    mutable std::mutex m_mutex;
    Side m_output;
    Side m_input;
    bool m_running = true;
    bool m_refusing = false;

    std::mutex m_watchMutex; // held while the watcher runs, so that watch({}) waits for it
    std::function<void(MixerDirection)> m_changed;
};

} // namespace platform::audio
