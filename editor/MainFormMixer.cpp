// The main window's mixer controls: the record and playback volume and balance sliders on the
// chosen devices, the record source's name, and the mixer's news of changes made elsewhere.
// MixerSliders.h holds the arithmetic; a read that fails leaves a slider where it is and is
// logged, a change that fails is told.
#include "editor/MainForm.h"

#include "editor/MainFormParts.h"
#include "editor/MixerSliders.h"

#include "common/ErrCodes.h"
#include "common/Log.h"
#include "controls/CoolButton.h"
#include "platform/audio/MixerLibrary.h"
#include "platform/base/PostedMessage.h"
#include "platform/ui/Messages.h"

#include <QBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>

using namespace controls;
using platform::audio::MixerLibrary;

namespace {

struct ChannelValues {
    uint32_t left = 0;
    uint32_t right = 0;
    bool mono = false; // the device has one channel, which both values give
};

// The side's values: both channels of a stereo device, else the one channel's value twice. 0 or
// the mixer's code.
int readVolumes(MixerLibrary& mixer, bool input, ChannelValues& values)
{
    const auto get = [&](int channels, uint32_t* left, uint32_t* right) {
        return input ? mixer.GetCurrentInputVolSetting(channels, left, right)
                     : mixer.GetCurrentOutputVolSetting(channels, left, right);
    };
    values.mono = false;
    if (get(2, &values.left, &values.right) == 0)
        return 0;
    values.mono = true;
    const int code = get(1, &values.left, nullptr);
    values.right = values.left;
    return code;
}

int writeVolumes(MixerLibrary& mixer, bool input, int channels, uint32_t left, uint32_t right)
{
    return input ? mixer.SetCurrentInputVolSetting(channels, left, right)
                 : mixer.SetCurrentOutputVolSetting(channels, left, right);
}

} // namespace

void TMainForm::createMixerControls(QWidget* parent, QBoxLayout* row)
{
    const std::array<const char*, 4> names{"RecordVolumeTrackBar", "RecordBalanceTrackBar", "PlaybackVolumeTrackBar",
                                           "PlaybackBalanceTrackBar"};
    for (size_t i = 0; i < m_mixerSliders.size(); ++i) {
        const bool volume = i % 2 == 0;
        const SliderRange range = volume ? kVolumeSliderRange : kBalanceSliderRange;
        auto* slider = new QSlider(volume ? Qt::Vertical : Qt::Horizontal, parent);
        m_mixerSliders[i] = slider;
        slider->setObjectName(QString::fromLatin1(names[i]));
        slider->setRange(range.min, range.max);
        // The loudest end, the minimum, is at the top.
        slider->setInvertedAppearance(volume);
        slider->setValue(volume ? range.min : (range.max - range.min) / 2);
        if (volume)
            slider->setFixedHeight(48);
        else
            slider->setFixedWidth(60);
        const MixerSide side = i < 2 ? MixerSide::Record : MixerSide::Playback;
        connect(slider, &QSlider::valueChanged, this, [this, side, volume] {
            if (volume)
                mixerVolumeMoved(side);
            else
                mixerBalanceMoved(side);
        });
        row->addWidget(slider);
    }
    auto* source = new TCoolButton(ControlVariant::Editor, parent);
    source->setObjectName(QStringLiteral("RecSourceButton"));
    source->setCaption(QStringLiteral("Rec Device"));
    source->setTransparent(true);
    source->setMinimumSize(72, 26);
    // Every input is its own single source: the device is chosen in the preferences.
    connect(source, &TCoolButton::OnClick, this, [this] { notAvailable(QStringLiteral("Preferences")); });
    row->addWidget(source);
    m_sourceLabel = new QLabel(parent);
    m_sourceLabel->setObjectName(QStringLiteral("RecSourceLabel"));
    row->addWidget(m_sourceLabel);

    MixerLibrary* mixer = m_services.mixer;
    if (!mixer)
        return;
    mixer->SetVXMixCallbackWindow(this);
    if (const int code = mixer->CreateVXMixCallbackThread())
        qCWarning(lcCommon) << "the mixer's news cannot be had:" << code;
    showSourceName();
    readMixerSide(MixerSide::Record);
    readMixerSide(MixerSide::Playback);
}

void TMainForm::showSourceName()
{
    QString name;
    if (m_services.mixer && m_services.mixer->GetInputSourceDescription(0, &name) != 0)
        name.clear();
    m_sourceLabel->setText(name);
}

bool TMainForm::mixerMessage(const platform::PostedMessage& message)
{
    namespace news = platform::audio::MixerMessage;
    switch (message.message()) {
    case news::OutputVolumeChanged:
        readMixerSide(MixerSide::Playback);
        return true;
    case news::InputVolumeChanged:
        readMixerSide(MixerSide::Record);
        return true;
    case news::RecordSourceChanged: {
        int sources = 0;
        if (m_services.mixer && m_services.mixer->GetNumberOfInputSources(&sources) == 0 && message.lParam() >= 0 &&
            message.lParam() < sources) {
            showSourceName();
            readMixerSide(MixerSide::Record, false);
        }
        return true;
    }
    default:
        return false;
    }
}

uint32_t TMainForm::mixerBound(MixerSide side)
{
    uint32_t minimum = 0;
    uint32_t maximum = 0;
    MixerLibrary& mixer = *m_services.mixer;
    const bool input = side == MixerSide::Record;
    const int code =
        input ? mixer.GetInputVolumeBounds(&minimum, &maximum) : mixer.GetOutputVolumeBounds(&minimum, &maximum);
    return volumeBound(code, maximum, input);
}

void TMainForm::readMixerSide(MixerSide side, bool withBalance)
{
    MixerLibrary* mixer = m_services.mixer;
    if (!mixer)
        return;
    ChannelValues values;
    if (const int code = readVolumes(*mixer, side == MixerSide::Record, values)) {
        qCWarning(lcCommon) << "the mixer's volumes cannot be read:" << code;
        return;
    }
    {
        const QSignalBlocker quiet(volumeSlider(side));
        volumeSlider(side)->setValue(volumeSliderPosition(std::max(values.left, values.right), mixerBound(side)));
    }
    if (withBalance) {
        const QSignalBlocker quiet(balanceSlider(side));
        balanceSlider(side)->setValue(balanceSliderPosition(values.left, values.right));
    }
}

void TMainForm::mixerVolumeMoved(MixerSide side)
{
    if (TQzv32WaveDisplay* display = currentDisplay())
        display->setFocus();
    MixerLibrary* mixer = m_services.mixer;
    if (!mixer)
        return;
    const bool input = side == MixerSide::Record;
    const uint32_t volume = volumeFromSlider(volumeSlider(side)->value(), mixerBound(side));
    ChannelValues present;
    readVolumes(*mixer, input, present);
    int code = 0;
    if (present.mono) {
        code = writeVolumes(*mixer, input, 1, volume, volume);
    } else {
        const auto [left, right] = splitByBalance(volume, balanceSlider(side)->value());
        code = writeVolumes(*mixer, input, 2, left, right);
    }
    if (code)
        ShowMappedError(m_services.messages, code, MixerErrorToMessageId);
}

void TMainForm::mixerBalanceMoved(MixerSide side)
{
    if (TQzv32WaveDisplay* display = currentDisplay())
        display->setFocus();
    MixerLibrary* mixer = m_services.mixer;
    if (!mixer)
        return;
    const bool input = side == MixerSide::Record;
    ChannelValues present;
    if (const int code = readVolumes(*mixer, input, present)) {
        ShowMappedError(m_services.messages, code, MixerErrorToMessageId);
        return;
    }
    // One channel has no balance.
    if (present.mono)
        return;
    const auto [left, right] = volumesForBalance(balanceSlider(side)->value(), present.left, present.right);
    if (const int code = writeVolumes(*mixer, input, 2, left, right))
        ShowMappedError(m_services.messages, code, MixerErrorToMessageId);
}
