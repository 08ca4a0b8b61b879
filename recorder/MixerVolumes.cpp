#include "recorder/MixerVolumes.h"

#include "recorder/VolumeScale.h"

#include "platform/base/PostedMessage.h"
#include "platform/settings/SettingsStore.h"

namespace recorder {

using platform::audio::MixerLibrary;
namespace MixerMessage = platform::audio::MixerMessage;

namespace {

const QString kLockValue = QStringLiteral("Lock L/R Volume Checked");
const QString kSourceValue = QStringLiteral("Last Record Source Selected");

// The device's maximum; the full range when the bounds cannot be read or are 0.
uint32_t deviceMaximum(int result, uint32_t maximum)
{
    return result == 0 && maximum != 0 ? maximum : MixerLibrary::VolumeMaximum;
}

int toSlider(uint32_t value, uint32_t maximum)
{
    return sliderFromDevice(value, maximum, kVolumeSliderMin, kVolumeSliderMax);
}

uint32_t toDevice(int position, uint32_t maximum)
{
    return deviceFromSlider(position, maximum, kVolumeSliderMin, kVolumeSliderMax);
}

} // namespace

MixerVolumes::MixerVolumes(MixerLibrary& mixer, platform::SettingsStore& settings, QObject* parent)
    : QObject(parent), m_mixer(mixer), m_settings(settings)
{
}

bool MixerVolumes::event(QEvent* event)
{
    if (event->type() != platform::PostedMessage::eventType())
        return QObject::event(event);
    onMixerMessage(static_cast<const platform::PostedMessage*>(event)->message());
    return true;
}

int MixerVolumes::init(int inputIndex, int outputIndex)
{
    m_mixer.SetVXMixCallbackWindow(this);
    m_mixer.CreateVXMixCallbackThread();
    if (m_mixer.GetNumberOfInputDevices() > 0) {
        if (const int result = selectWithFallBack(true, inputIndex); result != 0) {
            m_sourceName.clear();
            return result;
        }
        m_mixer.GetInputSourceDescription(0, &m_sourceName);
    }
    const auto lock = m_settings.readBool(QString::fromLatin1(kMixerSettingsKey), kLockValue);
    m_positions.lock = lock.ok() ? lock.value : true;
    readRecord();
    if (m_mixer.GetNumberOfOutputDevices() == 0)
        return kNoOutputDevice;
    if (const int result = selectWithFallBack(false, outputIndex); result != 0)
        return result;
    readPlayback();
    return 0;
}

void MixerVolumes::save()
{
    const QString key = QString::fromLatin1(kMixerSettingsKey);
    m_settings.writeInteger(key, kSourceValue, 0); // the input device is its single source
    m_settings.writeBool(key, kLockValue, m_positions.lock);
    m_mixer.DeselectInputDevice();
    m_mixer.DeselectOutputDevice();
}

int MixerVolumes::selectWithFallBack(bool input, int index)
{
    const auto select = [&](int i) { return input ? m_mixer.SelectInputDevice(i) : m_mixer.SelectOutputDevice(i); };
    int result = select(index);
    const int count = input ? m_mixer.GetNumberOfInputDevices() : m_mixer.GetNumberOfOutputDevices();
    for (int i = 0; result != 0 && i < count; ++i)
        result = select(i);
    return result;
}

void MixerVolumes::readRecord()
{
    uint32_t maximum = 0, left = 0, right = 0;
    const uint32_t deviceMax = deviceMaximum(m_mixer.GetInputVolumeBounds(nullptr, &maximum), maximum);
    m_recordChannels = 2;
    if (m_mixer.GetCurrentInputVolSetting(2, &left, &right) != 0) {
        m_recordChannels = 1;
        if (m_mixer.GetCurrentInputVolSetting(1, &left, &right) != 0)
            return;
    }
    m_positions.recordLeft = toSlider(left, deviceMax);
    if (m_recordChannels == 2) {
        m_positions.lockEnabled = true;
        m_positions.recordRight = toSlider(right, deviceMax);
    } else {
        m_positions.lockEnabled = false;
        m_positions.lock = true;
        m_positions.recordRight = m_positions.recordLeft;
    }
}

void MixerVolumes::readPlayback()
{
    uint32_t maximum = 0, left = 0, right = 0;
    const uint32_t deviceMax = deviceMaximum(m_mixer.GetOutputVolumeBounds(nullptr, &maximum), maximum);
    if (m_mixer.GetCurrentOutputVolSetting(2, &left, &right) != 0)
        return;
    m_positions.playbackLeft = toSlider(left, deviceMax);
    m_positions.playbackRight = toSlider(right, deviceMax);
}

int MixerVolumes::playbackMoved(VolumeChannel channel, int position)
{
    uint32_t maximum = 0, left = 0, right = 0;
    m_mixer.GetCurrentOutputVolSetting(2, &left, &right);
    const uint32_t deviceMax = deviceMaximum(m_mixer.GetOutputVolumeBounds(nullptr, &maximum), maximum);
    const uint32_t value = toDevice(position, deviceMax);
    (channel == VolumeChannel::Left ? m_positions.playbackLeft : m_positions.playbackRight) = position;
    (channel == VolumeChannel::Left ? left : right) = value;
    if (m_positions.lock) {
        m_positions.playbackLeft = m_positions.playbackRight = position;
        left = right = value;
    }
    return m_mixer.SetCurrentOutputVolSetting(2, left, right);
}

int MixerVolumes::recordMoved(VolumeChannel channel, int position)
{
    uint32_t maximum = 0, left = 0, right = 0;
    int channels = 2;
    if (m_mixer.GetCurrentInputVolSetting(2, &left, &right) != 0) {
        channels = 1;
        m_mixer.GetCurrentInputVolSetting(1, &left, &right);
    }
    const uint32_t deviceMax = deviceMaximum(m_mixer.GetInputVolumeBounds(nullptr, &maximum), maximum);
    const uint32_t value = toDevice(position, deviceMax);
    (channel == VolumeChannel::Left ? m_positions.recordLeft : m_positions.recordRight) = position;
    (channel == VolumeChannel::Left ? left : right) = value;
    if (m_positions.lock || channels == 1) {
        m_positions.recordLeft = m_positions.recordRight = position;
        left = right = value;
    }
    return m_mixer.SetCurrentInputVolSetting(channels, left, right);
}

int MixerVolumes::lockClicked(bool ticked)
{
    if (!m_positions.lockEnabled)
        return 0;
    m_positions.lock = ticked;
    if (!ticked)
        return 0;
    m_positions.playbackRight = m_positions.playbackLeft;
    m_positions.recordRight = m_positions.recordLeft;
    // The devices' right channels take the left ones' values, as the sliders now show. The lock
    // box is on only for a two-channel input.
    uint32_t left = 0, right = 0;
    int result = m_mixer.GetCurrentOutputVolSetting(2, &left, &right);
    if (result == 0)
        result = m_mixer.SetCurrentOutputVolSetting(2, left, left);
    int recordResult = m_mixer.GetCurrentInputVolSetting(2, &left, &right);
    if (recordResult == 0)
        recordResult = m_mixer.SetCurrentInputVolSetting(2, left, left);
    return result != 0 ? result : recordResult;
}

int MixerVolumes::selectInput(int index)
{
    const int result = selectWithFallBack(true, index);
    m_sourceName.clear();
    if (result == 0) {
        m_mixer.GetInputSourceDescription(0, &m_sourceName);
        readRecord();
    }
    return result;
}

int MixerVolumes::selectOutput(int index)
{
    const int result = selectWithFallBack(false, index);
    if (result == 0)
        readPlayback();
    return result;
}

void MixerVolumes::onMixerMessage(uint32_t message)
{
    switch (message) {
    case MixerMessage::OutputVolumeChanged:
        readPlayback();
        break;
    case MixerMessage::InputVolumeChanged:
        readRecord();
        break;
    case MixerMessage::RecordSourceChanged:
        m_mixer.GetInputSourceDescription(0, &m_sourceName);
        readRecord();
        break;
    default:
        return;
    }
    emit changed();
}

} // namespace recorder
