#include "platform/audio/MixerLibrary.h"

#include "platform/base/Rounding.h"

#include <algorithm>
#include <utility>

namespace platform::audio {

namespace {

struct Codes {
    int listUnreadable, invalidIndex, deviceGone, noServer, noneSelected, boundsUnreadable;
};

const Codes& codes(MixerDirection direction)
{
    static const Codes output{MixerCode::OutputListUnreadable, MixerCode::InvalidOutputIndex,
                              MixerCode::OutputDeviceGone,     MixerCode::NoServerForOutput,
                              MixerCode::NoOutputSelected,     MixerCode::OutputBoundsUnreadable};
    static const Codes input{MixerCode::InputListUnreadable, MixerCode::InvalidInputIndex,
                             MixerCode::InputDeviceGone,     MixerCode::NoServerForInput,
                             MixerCode::NoInputSelected,     MixerCode::InputBoundsUnreadable};
    return direction == MixerDirection::Output ? output : input;
}

// The channels of each side; a device whose channels have no side uses its first two as left and
// right.
struct Sides {
    std::vector<size_t> left, right;
};

Sides sidesOf(const MixerDevice& device)
{
    Sides sides;
    for (size_t i = 0; i < device.sides.size() && i < device.volumes.size(); ++i) {
        if (device.sides[i] == ChannelSide::Left)
            sides.left.push_back(i);
        else if (device.sides[i] == ChannelSide::Right)
            sides.right.push_back(i);
    }
    if (sides.left.empty() || sides.right.empty()) {
        sides.left = {0};
        sides.right = {1};
    }
    return sides;
}

uint32_t loudest(const std::vector<uint32_t>& volumes, const std::vector<size_t>& channels)
{
    uint32_t volume = 0;
    for (size_t channel : channels)
        volume = std::max(volume, volumes[channel]);
    return volume;
}

} // namespace

uint32_t MixerLibrary::valueFromVolume(uint32_t volume)
{
    const int64_t value = divRoundHalfEven(int64_t(volume) * VolumeMaximum, MixerBackend::NormalVolume);
    return uint32_t(std::min<int64_t>(value, VolumeMaximum));
}

uint32_t MixerLibrary::volumeFromValue(uint32_t value)
{
    const int64_t clamped = std::min<uint32_t>(value, VolumeMaximum);
    return uint32_t(divRoundHalfEven(clamped * MixerBackend::NormalVolume, VolumeMaximum));
}

MixerLibrary::MixerLibrary(std::shared_ptr<MixerBackend> backend)
    : m_backend(std::move(backend))
{
}

MixerLibrary::~MixerLibrary()
{
    m_backend->watch({});
    {
        std::lock_guard lock(m_watchMutex);
        m_stop = true;
    }
    m_watchWake.notify_all();
    if (m_watcher.joinable())
        m_watcher.join();
    DeselectInputDevice();
    DeselectOutputDevice();
}

MixerLibrary::Selection& MixerLibrary::selection(MixerDirection direction)
{
    return direction == MixerDirection::Output ? m_output : m_input;
}

int MixerLibrary::SetVXMixCallbackWindow(QObject* receiver)
{
    m_poster.setReceiver(receiver);
    return MixerCode::Ok;
}

int MixerLibrary::CreateVXMixCallbackThread()
{
    if (m_watcher.joinable())
        return MixerCode::Ok;
    m_watcher = std::thread([this] { watchLoop(); });
    m_backend->watch([this](MixerDirection direction) { changed(direction); });
    return MixerCode::Ok;
}

int MixerLibrary::numberOfDevices(MixerDirection direction)
{
    MixerDeviceList list;
    if (m_backend->devices(direction, &list) != MixerBackend::Result::Ok)
        return 0;
    return int(list.devices.size());
}

int MixerLibrary::GetNumberOfInputDevices()
{
    return numberOfDevices(MixerDirection::Input);
}

int MixerLibrary::GetNumberOfOutputDevices()
{
    return numberOfDevices(MixerDirection::Output);
}

int MixerLibrary::select(MixerDirection direction, int index)
{
    const Codes& code = codes(direction);
    MixerDeviceList list;
    switch (m_backend->devices(direction, &list)) {
    case MixerBackend::Result::Ok:
        break;
    case MixerBackend::Result::NoServer:
        return code.noServer;
    default:
        return code.listUnreadable;
    }
    const MixerDevice* device = nullptr;
    if (index == -1) {
        for (const MixerDevice& d : list.devices) {
            if (d.name == list.defaultName)
                device = &d;
        }
    } else if (index >= 0 && size_t(index) < list.devices.size()) {
        device = &list.devices[size_t(index)];
    }
    if (!device)
        return code.invalidIndex;

    std::lock_guard lock(m_mutex);
    Selection& s = selection(direction);
    s.selected = true;
    s.followsDefault = index == -1;
    s.name = device->name;
    s.knownVolumes = device->volumes;
    s.knownPort = device->port;
    ++s.generation;
    return MixerCode::Ok;
}

int MixerLibrary::deselect(MixerDirection direction)
{
    std::lock_guard lock(m_mutex);
    Selection& s = selection(direction);
    const uint64_t generation = s.generation + 1;
    s = {};
    s.generation = generation;
    return MixerCode::Ok;
}

int MixerLibrary::SelectInputDevice(int index)
{
    return select(MixerDirection::Input, index);
}

int MixerLibrary::DeselectInputDevice()
{
    return deselect(MixerDirection::Input);
}

int MixerLibrary::SelectOutputDevice(int index)
{
    return select(MixerDirection::Output, index);
}

int MixerLibrary::DeselectOutputDevice()
{
    return deselect(MixerDirection::Output);
}

MixerLibrary::Resolved MixerLibrary::resolve(MixerDirection direction)
{
    const Codes& code = codes(direction);
    Selection chosen;
    {
        std::lock_guard lock(m_mutex);
        chosen = selection(direction);
    }
    if (!chosen.selected)
        return {code.noneSelected, {}};
    MixerDeviceList list;
    switch (m_backend->devices(direction, &list)) {
    case MixerBackend::Result::Ok:
        break;
    case MixerBackend::Result::NoServer:
        return {code.noServer, {}};
    default:
        return {code.listUnreadable, {}};
    }
    const QString name = chosen.followsDefault ? list.defaultName : chosen.name;
    for (MixerDevice& device : list.devices) {
        if (device.name == name && !name.isEmpty())
            return {MixerCode::Ok, std::move(device)};
    }
    return {code.deviceGone, {}};
}

MixerLibrary::Resolved MixerLibrary::inputSource(int index)
{
    Resolved resolved = resolve(MixerDirection::Input);
    if (resolved.code == MixerCode::Ok && index != 0)
        resolved.code = MixerCode::BadArgument;
    return resolved;
}

int MixerLibrary::GetNumberOfInputSources(int* count)
{
    if (!count)
        return MixerCode::BadArgument;
    const Resolved resolved = inputSource(0);
    *count = resolved.code == MixerCode::Ok ? 1 : 0;
    return resolved.code;
}

int MixerLibrary::GetInputSourceDescription(int index, QString* text)
{
    if (!text)
        return MixerCode::BadArgument;
    const Resolved resolved = inputSource(index);
    if (resolved.code == MixerCode::Ok)
        *text = resolved.device.description.left(SourceNameLength);
    return resolved.code;
}

bool MixerLibrary::IsCurrentInputSourceSelected(int index)
{
    return inputSource(index).code == MixerCode::Ok;
}

int MixerLibrary::SelectInputSource(int index)
{
    return inputSource(index).code;
}

int MixerLibrary::GetMicrophoneSourceIndex(int* index)
{
    if (!index)
        return MixerCode::BadArgument;
    const int code = inputSource(0).code;
    if (code == MixerCode::Ok)
        *index = 0;
    return code;
}

int MixerLibrary::bounds(MixerDirection direction, uint32_t* minimum, uint32_t* maximum)
{
    if (resolve(direction).code != MixerCode::Ok)
        return codes(direction).boundsUnreadable;
    if (minimum)
        *minimum = 0;
    if (maximum)
        *maximum = VolumeMaximum;
    return MixerCode::Ok;
}

int MixerLibrary::GetInputVolumeBounds(uint32_t* minimum, uint32_t* maximum)
{
    return bounds(MixerDirection::Input, minimum, maximum);
}

int MixerLibrary::GetOutputVolumeBounds(uint32_t* minimum, uint32_t* maximum)
{
    return bounds(MixerDirection::Output, minimum, maximum);
}

int MixerLibrary::getVolume(MixerDirection direction, int channels, uint32_t* left, uint32_t* right)
{
    if ((channels != 1 && channels != 2) || !left || (channels == 2 && !right))
        return MixerCode::BadArgument;
    const Resolved resolved = resolve(direction);
    if (resolved.code != MixerCode::Ok)
        return resolved.code;
    const std::vector<uint32_t>& volumes = resolved.device.volumes;
    if (volumes.empty() || (channels == 2 && volumes.size() < 2))
        return MixerCode::NoControlForChannels;
    if (channels == 1) {
        *left = valueFromVolume(*std::max_element(volumes.begin(), volumes.end()));
        if (right)
            *right = *left;
        return MixerCode::Ok;
    }
    const Sides sides = sidesOf(resolved.device);
    *left = valueFromVolume(loudest(volumes, sides.left));
    *right = valueFromVolume(loudest(volumes, sides.right));
    return MixerCode::Ok;
}

int MixerLibrary::setVolume(MixerDirection direction, int channels, uint32_t left, uint32_t right)
{
    if (channels != 1 && channels != 2)
        return MixerCode::BadArgument;
    const Resolved resolved = resolve(direction);
    if (resolved.code != MixerCode::Ok)
        return resolved.code;
    const MixerDevice& device = resolved.device;
    const size_t count = device.volumes.size();
    if (count == 0 || (channels == 2 && count < 2))
        return MixerCode::NoControlForChannels;

    std::vector<uint32_t> volumes(count, volumeFromValue(left));
    if (channels == 2) {
        const Sides sides = sidesOf(device);
        std::fill(volumes.begin(), volumes.end(), volumeFromValue(std::max(left, right)));
        for (size_t channel : sides.left)
            volumes[channel] = volumeFromValue(left);
        for (size_t channel : sides.right)
            volumes[channel] = volumeFromValue(right);
    }

    // Known before it is written, so that the server's report of it is not taken as news.
    std::vector<uint32_t> before;
    uint64_t generation;
    {
        std::lock_guard lock(m_mutex);
        Selection& s = selection(direction);
        before = s.knownVolumes;
        s.knownVolumes = volumes;
        generation = ++s.generation;
    }
    const MixerBackend::Result result = m_backend->setVolumes(direction, device.name, volumes);
    {
        // A look at the device that began while this was written may have seen the old volume.
        std::lock_guard lock(m_mutex);
        Selection& s = selection(direction);
        if (result != MixerBackend::Result::Ok && s.generation == generation)
            s.knownVolumes = before;
        ++s.generation;
    }
    if (result == MixerBackend::Result::Ok)
        return MixerCode::Ok;
    switch (result) {
    case MixerBackend::Result::NoServer:
        return codes(direction).noServer;
    case MixerBackend::Result::NoDevice:
        return codes(direction).deviceGone;
    default:
        return MixerCode::ChangeRefused;
    }
}

int MixerLibrary::GetCurrentInputVolSetting(int channels, uint32_t* left, uint32_t* right)
{
    return getVolume(MixerDirection::Input, channels, left, right);
}

int MixerLibrary::SetCurrentInputVolSetting(int channels, uint32_t left, uint32_t right)
{
    return setVolume(MixerDirection::Input, channels, left, right);
}

int MixerLibrary::GetCurrentOutputVolSetting(int channels, uint32_t* left, uint32_t* right)
{
    return getVolume(MixerDirection::Output, channels, left, right);
}

int MixerLibrary::SetCurrentOutputVolSetting(int channels, uint32_t left, uint32_t right)
{
    return setVolume(MixerDirection::Output, channels, left, right);
}

void MixerLibrary::changed(MixerDirection direction)
{
    {
        std::lock_guard lock(m_watchMutex);
        (direction == MixerDirection::Output ? m_outputChanged : m_inputChanged) = true;
    }
    m_watchWake.notify_one();
}

void MixerLibrary::watchLoop()
{
    std::unique_lock lock(m_watchMutex);
    for (;;) {
        m_watchWake.wait(lock, [this] { return m_stop || m_outputChanged || m_inputChanged; });
        if (m_stop)
            return;
        const bool output = std::exchange(m_outputChanged, false);
        const bool input = std::exchange(m_inputChanged, false);
        lock.unlock();
        if (output)
            check(MixerDirection::Output);
        if (input)
            check(MixerDirection::Input);
        lock.lock();
    }
}

// Compares the chosen device with what this mixer last knew of it and reports the differences.
void MixerLibrary::check(MixerDirection direction)
{
    uint64_t generation;
    {
        std::lock_guard lock(m_mutex);
        const Selection& s = selection(direction);
        if (!s.selected)
            return;
        generation = s.generation;
    }
    const Resolved resolved = resolve(direction);
    if (resolved.code != MixerCode::Ok)
        return;

    bool volumeChanged = false;
    bool sourceChanged = false;
    {
        std::lock_guard lock(m_mutex);
        Selection& s = selection(direction);
        if (s.generation != generation) {
            // Selected again or written meanwhile: what was read may be older than what is known.
            changed(direction);
            return;
        }
        volumeChanged = resolved.device.volumes != s.knownVolumes;
        sourceChanged = resolved.device.name != s.name || resolved.device.port != s.knownPort;
        s.knownVolumes = resolved.device.volumes;
        s.name = resolved.device.name;
        s.knownPort = resolved.device.port;
    }
    if (direction == MixerDirection::Input && sourceChanged)
        m_poster.post(MixerMessage::RecordSourceChanged, 0, 0);
    if (volumeChanged)
        m_poster.post(direction == MixerDirection::Output ? MixerMessage::OutputVolumeChanged
                                                          : MixerMessage::InputVolumeChanged);
}

} // namespace platform::audio
