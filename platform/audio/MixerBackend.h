#pragma once
// The sound card's mixer as MixerLibrary sees it: the output and input devices with their volumes
// per channel, setting those volumes, and news that something changed. Two implementations:
// PulseMixerBackend (the sound server's sinks and sources) and FakeMixerBackend (devices in memory,
// for tests of the windows that use the mixer). Both pass the same contract tests.
//
// Volumes are the server's raw per-channel values: 0 is silent, NormalVolume is 100 %, and values
// above it amplify.

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace platform::audio {

enum class MixerDirection { Output, Input };

// Which side of the listener a channel feeds.
enum class ChannelSide { Left, Right, Other };

struct MixerDevice {
    QString name;        // the server's stable key, as the audio engine uses it
    QString description; // what the user sees
    std::vector<ChannelSide> sides; // one per channel
    std::vector<uint32_t> volumes;  // one per channel
    QString port; // the active port (say, the microphone jack), empty when the device has none

    friend bool operator==(const MixerDevice&, const MixerDevice&) = default;
};

struct MixerDeviceList {
    std::vector<MixerDevice> devices; // outputs, or inputs without monitors, in the engine's order
    QString defaultName;              // the server's default device when it is listed, else empty
};

class MixerBackend {
public:
    static constexpr uint32_t NormalVolume = 0x10000;

    enum class Result { Ok, NoServer, NoDevice, Failed };

    virtual ~MixerBackend() = default;

    virtual Result devices(MixerDirection direction, MixerDeviceList* list) = 0;
    // volumes: one per channel of the device.
    virtual Result setVolumes(MixerDirection direction, const QString& name, const std::vector<uint32_t>& volumes) = 0;

    // From now on, changed(direction) is called, on any thread, after something about the devices
    // of that direction may have changed (a volume, a port, a device added or removed, the default
    // device), our own changes included. It must return quickly and must not call the backend. An
    // empty function stops the news; once that call returns, no call of the old function runs.
    virtual void watch(std::function<void(MixerDirection)> changed) = 0;
};

} // namespace platform::audio
