#include "common/DeviceChoice.h"

#include "common/Log.h"
#include "platform/ui/Messages.h"
#include "platform/audio/AudioEngine.h"

DeviceChoice::DeviceChoice(DeviceDirection direction, platform::audio::AudioEngine& engine)
    : m_direction(direction)
    , m_engine(engine)
{
}

void DeviceChoice::setStored(int index, const QString& name)
{
    m_index = index < 0 ? -1 : index;
    m_name = m_index < 0 ? QString() : name;
}

void DeviceChoice::build(const platform::Messages& messages, ErrorCodeMap playerMap)
{
    const bool input = m_direction == DeviceDirection::Input;
    m_entries.clear();
    const int n = count();
    if (n <= 0) {
        // Nothing to choose from (the sound server may be away): the stored choice stays as it is.
        messages.ShowErrorMessage(input ? 192 : 194);
        return;
    }
    for (int i = 0; i < n; ++i) {
        DeviceEntry entry;
        entry.index = i;
        if (description(i, &entry.description) != 0)
            entry.description = QStringLiteral("Unknown Device");
        if (deviceName(i, &entry.name) != 0)
            entry.name.clear();
        m_entries.push_back(entry);
    }
    m_entries.push_back({-1, input ? QStringLiteral("Default Recording Device") : QStringLiteral("Default Playback Device"), {}});

    uint16_t code;
    if (!m_name.isEmpty()) {
        code = selectByName(m_name);
        if (code == 0)
            m_index = find(m_name);
    } else {
        code = select(m_index);
    }
    ShowMappedError(messages, code, playerMap);

    if (storedPosition() < 0 || code != 0) {
        qCInfo(lcCommon) << (input ? "input" : "output") << "device" << m_index << m_name
                         << "is not there; the preferred device is used";
        m_index = -1;
        m_name.clear();
        select(-1);
    } else if (m_name.isEmpty() && m_index >= 0) {
        m_name = m_entries[std::size_t(storedPosition())].name;
    }
}

int DeviceChoice::storedPosition() const
{
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].index == m_index)
            return int(i);
    }
    return -1;
}

void DeviceChoice::choose(int position, const platform::Messages& messages, ErrorCodeMap playerMap)
{
    if (position < 0 || position >= int(m_entries.size()))
        return;
    const DeviceEntry& entry = m_entries[std::size_t(position)];
    m_index = entry.index;
    m_name = entry.name;
    const uint16_t code = m_name.isEmpty() ? select(m_index) : selectByName(m_name);
    if (code == 0 && !m_name.isEmpty())
        m_index = find(m_name);
    ShowMappedError(messages, code, playerMap);
}

int DeviceChoice::deviceIndex()
{
    int index = m_name.isEmpty() ? m_index : find(m_name);
    if (index < 0 && preferred(&index) != 0)
        index = -1;
    return index;
}

int DeviceChoice::count()
{
    return m_direction == DeviceDirection::Input ? m_engine.GetNumberOfInputDevices()
                                                 : m_engine.GetNumberOfOutputDevices();
}

uint16_t DeviceChoice::description(int index, QString* text)
{
    return m_direction == DeviceDirection::Input ? m_engine.GetInputDeviceDescription(index, text)
                                                 : m_engine.GetOutputDeviceDescription(index, text);
}

uint16_t DeviceChoice::deviceName(int index, QString* text)
{
    return m_direction == DeviceDirection::Input ? m_engine.GetInputDeviceName(index, text)
                                                 : m_engine.GetOutputDeviceName(index, text);
}

int DeviceChoice::find(const QString& name)
{
    return m_direction == DeviceDirection::Input ? m_engine.FindInputDeviceIndex(name)
                                                 : m_engine.FindOutputDeviceIndex(name);
}

uint16_t DeviceChoice::select(int index)
{
    return m_direction == DeviceDirection::Input ? m_engine.SelectInputDevice(index)
                                                 : m_engine.SelectOutputDevice(index);
}

uint16_t DeviceChoice::selectByName(const QString& name)
{
    return m_direction == DeviceDirection::Input ? m_engine.SelectInputDeviceByName(name)
                                                 : m_engine.SelectOutputDeviceByName(name);
}

uint16_t DeviceChoice::preferred(int* index)
{
    return m_direction == DeviceDirection::Input ? m_engine.GetPreferredInputDeviceIndex(index)
                                                 : m_engine.GetPreferredOutputDeviceIndex(index);
}
