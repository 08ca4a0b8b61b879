#include "platform/audio/FakeMixerBackend.h"

#include <algorithm>

namespace platform::audio {

FakeMixerBackend::FakeMixerBackend() = default;

FakeMixerBackend::~FakeMixerBackend() = default;

MixerDevice* FakeMixerBackend::find(MixerDirection direction, const QString& name)
{
    for (MixerDevice& device : side(direction).devices) {
        if (device.name == name)
            return &device;
    }
    return nullptr;
}

MixerBackend::Result FakeMixerBackend::devices(MixerDirection direction, MixerDeviceList* list)
{
    std::lock_guard lock(m_mutex);
    *list = {};
    if (!m_running)
        return Result::NoServer;
    const Side& s = side(direction);
    // The list goes to the mixer's watch thread: its texts are copies of their own, so no string data
    // is shared with the fake's state, which the test changes meanwhile (Qt's reference counts are
    // invisible to the thread sanitizer, which would otherwise report the release of shared data).
    const auto own = [](const QString& text) { return QString(text.constData(), text.size()); };
    list->devices = s.devices;
    for (MixerDevice& d : list->devices) {
        d.name = own(d.name);
        d.description = own(d.description);
        d.port = own(d.port);
    }
    const bool listed = std::any_of(s.devices.begin(), s.devices.end(),
                                    [&](const MixerDevice& d) { return d.name == s.defaultName; });
    if (listed)
        list->defaultName = own(s.defaultName);
    return Result::Ok;
}

MixerBackend::Result FakeMixerBackend::setVolumes(MixerDirection direction, const QString& name,
                                                  const std::vector<uint32_t>& volumes)
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_running)
            return Result::NoServer;
        MixerDevice* device = find(direction, name);
        if (!device)
            return Result::NoDevice;
        if (m_refusing || volumes.size() != device->volumes.size())
            return Result::Failed;
        device->volumes = volumes;
    }
    notify(direction);
    return Result::Ok;
}

void FakeMixerBackend::watch(std::function<void(MixerDirection)> changed)
{
    std::lock_guard lock(m_watchMutex);
    m_changed = std::move(changed);
}

void FakeMixerBackend::notify(MixerDirection direction)
{
    std::lock_guard lock(m_watchMutex);
    if (m_changed)
        m_changed(direction);
}

void FakeMixerBackend::addDevice(MixerDirection direction, MixerDevice device)
{
    if (device.volumes.size() != device.sides.size())
        device.volumes.assign(device.sides.size(), NormalVolume);
    {
        std::lock_guard lock(m_mutex);
        std::vector<MixerDevice>& devices = side(direction).devices;
        const auto at = std::lower_bound(devices.begin(), devices.end(), device,
                                         [](const MixerDevice& a, const MixerDevice& b) { return a.name < b.name; });
        devices.insert(at, std::move(device));
    }
    notify(direction);
}

void FakeMixerBackend::removeDevice(MixerDirection direction, const QString& name)
{
    {
        std::lock_guard lock(m_mutex);
        std::vector<MixerDevice>& devices = side(direction).devices;
        devices.erase(std::remove_if(devices.begin(), devices.end(), [&](const MixerDevice& d) { return d.name == name; }),
                      devices.end());
    }
    notify(direction);
}

void FakeMixerBackend::setDefaultDevice(MixerDirection direction, const QString& name)
{
    {
        std::lock_guard lock(m_mutex);
        side(direction).defaultName = name;
    }
    notify(direction);
}

void FakeMixerBackend::setVolumesFromOutside(MixerDirection direction, const QString& name,
                                             const std::vector<uint32_t>& volumes)
{
    {
        std::lock_guard lock(m_mutex);
        MixerDevice* device = find(direction, name);
        if (!device || volumes.size() != device->volumes.size())
            return;
        device->volumes = volumes;
    }
    notify(direction);
}

void FakeMixerBackend::setPort(MixerDirection direction, const QString& name, const QString& port)
{
    {
        std::lock_guard lock(m_mutex);
        if (MixerDevice* device = find(direction, name))
            device->port = port;
    }
    notify(direction);
}

void FakeMixerBackend::setServerRunning(bool running)
{
    {
        std::lock_guard lock(m_mutex);
        m_running = running;
    }
    notify(MixerDirection::Output);
    notify(MixerDirection::Input);
}

void FakeMixerBackend::setRefusingChanges(bool refusing)
{
    std::lock_guard lock(m_mutex);
    m_refusing = refusing;
}

MixerDevice FakeMixerBackend::device(MixerDirection direction, const QString& name) const
{
    std::lock_guard lock(m_mutex);
    const Side& s = direction == MixerDirection::Output ? m_output : m_input;
    for (const MixerDevice& device : s.devices) {
        if (device.name == name)
            return device;
    }
    return {};
}

} // namespace platform::audio
