// The recording window's fader and trims: their widgets wired to the fader controller, whose gains
// go to the player and the music-track library and whose tint goes to the two track displays; and
// the record device button, the preferences, the volume sliders of the mixer and the record level
// test.
#include "recorder/LiveOverdubbing.h"

#include "recorder/Log.h"
#include "recorder/MusicPadPanel.h"
#include "recorder/PlaybackControls.h"
#include "recorder/WebEQSliderV.h"

#include "common/ErrCodes.h"
#include "common/PreferencesForm.h"
#include "common/RecorderPreferences.h"
#include "controls/ColorScheme.h"
#include "controls/CoolButton.h"
#include "controls/CoolSliderV.h"
#include "controls/EQMeter.h"
#include "controls/Waveform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/base/Colors.h"
#include "platform/ui/Messages.h"

#include <QCheckBox>
#include <QLabel>
#include <QTabWidget>

#include <utility>

namespace recorder {

using controls::TQzv32WaveDisplay;

namespace {

// A device of the preferences as the mixer knows it: -1 follows the system's preferred device.
int mixerIndex(RecorderPreferences& preferences, DeviceDirection direction)
{
    const DeviceChoice& choice =
        direction == DeviceDirection::Input ? preferences.inputDevices() : preferences.outputDevices();
    if (choice.storedIndex() < 0)
        return -1;
    return direction == DeviceDirection::Input ? preferences.GetInputDeviceIndex() : preferences.GetOutputDeviceIndex();
}

} // namespace

bool showPreferencesForm(RecorderPreferences& preferences, QWidget* parent, bool devicesPage)
{
    TPreferencesForm form(preferences, nullptr, parent);
    return showPreferencesOn(form, devicesPage);
}

bool showPreferencesOn(TPreferencesForm& form, bool devicesPage)
{
    form.PageControl->setCurrentIndex(0);
    if (devicesPage) {
        for (int i = 0; i < form.PageControl->count(); ++i) {
            if (form.PageControl->tabText(i) == QStringLiteral("Devices"))
                form.PageControl->setCurrentIndex(i);
        }
    }
    return form.exec() == QDialog::Accepted;
}

void TLiveOvedubbingForm::connectFader()
{
    m_fader->setRange(kFaderMin, kFaderMax);
    m_fader->setPosition(0);
    connect(m_fader, &controls::CoolSliderBase::OnScroll, this,
            [this](int, int position) { m_faderControl.onFaderMoved(audioClockFrame(), position); });
    const std::pair<Control, TrackSide> trims[] = {{Control::VoiceVolumeSlider, TrackSide::Voice},
                                                   {Control::MusicVolumeSlider, TrackSide::Music}};
    for (const auto& [control, side] : trims) {
        auto* trim = static_cast<TWebEQSliderV*>(m_controls[std::size_t(control)]);
        trim->setRange(kFaderMin, kFaderMax);
        trim->setPosition(0);
        connect(trim, &TWebEQSliderV::OnScroll, this,
                [this, side](int, int position) { trimMoved(side, position); });
    }
}

void TLiveOvedubbingForm::connectRecordDevice()
{
    // Every input device is its own single source, so the button opens the choice of device.
    auto* button = static_cast<controls::TCoolButton*>(m_controls[std::size_t(Control::RecSourceButton)]);
    connect(button, &controls::TCoolButton::OnClick, this, [this] { FilePreferencesMenuClick(true); });
}

void TLiveOvedubbingForm::FilePreferencesMenuClick(bool devicesPage)
{
    RecorderPreferences* preferences = m_services.preferences;
    if (!preferences || m_voiceRecording || m_musicRecording || m_playback->transport().playing())
        return;
    const auto stored = [](const DeviceChoice& choice) { return std::pair(choice.storedIndex(), choice.storedName()); };
    const auto input = stored(preferences->inputDevices());
    const auto output = stored(preferences->outputDevices());
    if (!m_services.showPreferences(*preferences, this, devicesPage))
        return;
    const bool inputChanged = stored(preferences->inputDevices()) != input;
    const bool outputChanged = stored(preferences->outputDevices()) != output;
    // The engine takes a newly chosen input for its next capture, so a running level test starts
    // again on it.
    if (inputChanged && m_levelTest)
        StopLevelTest();
    if (preferences->GetAlwaysTestLevels())
        StartLevelTest();
    else if (m_levelTest)
        StopLevelTest();
    if (!m_volumes)
        return;
    if (inputChanged) {
        if (const int code = m_volumes->selectInput(mixerIndex(*preferences, DeviceDirection::Input)))
            ShowMappedError(m_services.messages, code, MixerErrorToMessageId);
    }
    if (outputChanged) {
        if (const int code = m_volumes->selectOutput(mixerIndex(*preferences, DeviceDirection::Output)))
            ShowMappedError(m_services.messages, code, MixerErrorToMessageId);
    }
    showVolumes();
}

void TLiveOvedubbingForm::createVolumeControls()
{
    // The record device's name under the button that chooses it.
    const int x = static_cast<QWidget*>(m_controls[std::size_t(Control::StartStopRecordingButton)])->geometry().x();
    m_sourceLabel = new QLabel(this);
    m_sourceLabel->setObjectName(QStringLiteral("RecordingSourceLabel"));
    anchor(m_sourceLabel, QRect(x, 366, 140, 14), Anchor::Right);

    // The sliders at their own height, in the free corner between the pad panel, the zoom buttons
    // and the effects tree; it keeps its place to the bottom right, where the pad panel, centred
    // under the music track, cannot reach.
    constexpr int left = 700;
    constexpr int top = 562;
    constexpr int captionHeight = 14;
    constexpr int sliderTop = top + captionHeight + 2;
    const std::pair<const char*, const char*> captions[] = {{"PlaybackVolumeLabel", "Playback"},
                                                            {"RecordVolumeLabel", "Record"}};
    for (int i = 0; i < 2; ++i) {
        auto* label = new QLabel(QString::fromLatin1(captions[i].second), this);
        label->setObjectName(QString::fromLatin1(captions[i].first));
        label->setAlignment(Qt::AlignCenter);
        anchor(label, QRect(left + i * 78, top, 62, captionHeight), Anchor::RightAndBottom);
    }
    const std::array<const char*, 4> names = {"PlaybackLeftVolSlider", "PlaybackRightVolSlider",
                                              "RecordingLeftVolSlider", "RecordingRightVolSlider"};
    const std::array<int, 4> lefts = {left, left + 32, left + 78, left + 110};
    int sliderHeight = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto* slider = new TWebEQSliderV(this);
        slider->setObjectName(QString::fromLatin1(names[i]));
        slider->setRange(kVolumeSliderMin, kVolumeSliderMax);
        slider->setPosition(kVolumeSliderMin);
        slider->setImageType(1);
        slider->setScaleType(2);
        sliderHeight = slider->sizeHint().height();
        anchor(slider, QRect(lefts[i], sliderTop, 30, sliderHeight), Anchor::RightAndBottom);
        m_volumeSliders[i] = slider;
    }
    m_lockBox = new QCheckBox(QStringLiteral("Lock L/R Volumes"), this);
    m_lockBox->setObjectName(QStringLiteral("CombinedValueCheckBox"));
    anchor(m_lockBox, QRect(left, sliderTop + sliderHeight + 4, 140, 16), Anchor::RightAndBottom);

    if (!m_services.mixer) {
        for (TWebEQSliderV* slider : m_volumeSliders)
            slider->setEnabled(false);
        m_lockBox->setEnabled(false);
        return;
    }
    m_volumes = new MixerVolumes(*m_services.mixer, m_services.settings, this);
    connect(m_volumes, &MixerVolumes::changed, this, &TLiveOvedubbingForm::showVolumes);
    for (std::size_t i = 0; i < m_volumeSliders.size(); ++i) {
        const VolumeChannel channel = i % 2 == 0 ? VolumeChannel::Left : VolumeChannel::Right;
        const bool playback = i < 2;
        connect(m_volumeSliders[i], &TWebEQSliderV::OnScroll, this, [this, channel, playback](int, int position) {
            if (playback)
                m_volumes->playbackMoved(channel, position);
            else
                m_volumes->recordMoved(channel, position);
            showVolumes();
        });
    }
    connect(m_lockBox, &QCheckBox::clicked, this, [this](bool ticked) {
        if (const int code = m_volumes->lockClicked(ticked))
            qCWarning(lcRecorder) << "the locked volumes could not be written to the devices, code" << code;
        showVolumes();
    });
}

int TLiveOvedubbingForm::InitMixerDevices(int inputIndex, int outputIndex)
{
    int result = 0;
    if (m_volumes) {
        result = m_volumes->init(inputIndex, outputIndex);
        showVolumes();
        if (result != 0 && result != kNoOutputDevice)
            ShowMappedError(m_services.messages, result, MixerErrorToMessageId);
    }
    if (result == 0)
        startLevelTestWhenAsked();
    return result;
}

void TLiveOvedubbingForm::SaveMixerSettings()
{
    if (m_volumes)
        m_volumes->save();
}

void TLiveOvedubbingForm::showVolumes()
{
    // Positions set from here raise no scroll, so nothing is written back to the mixer.
    const VolumePositions& p = m_volumes->positions();
    const std::array<int, 4> positions = {p.playbackLeft, p.playbackRight, p.recordLeft, p.recordRight};
    for (std::size_t i = 0; i < positions.size(); ++i)
        m_volumeSliders[i]->setPosition(positions[i]);
    m_lockBox->setChecked(p.lock);
    m_lockBox->setEnabled(p.lockEnabled);
    m_sourceLabel->setText(m_volumes->sourceName());
}

void TLiveOvedubbingForm::StartLevelTest()
{
    if (m_levelTest || m_voiceRecording || m_musicRecording || m_playback->transport().playing())
        return;
    WaveFormatEx format;
    format.samplesPerSec = 44'100;
    format.bitsPerSample = 16;
    format.channels = 2;
    // The track's record: right after a take its display does not show it yet.
    if (const std::optional<TrackRecord>& voice = std::as_const(m_roads).track(TrackSide::Voice);
        voice && voice->waveFormat.samplesPerSec != 0)
        format = voice->waveFormat;
    const int code = m_services.engine.AudioStartRecordLevelTest(format.samplesPerSec, format.bitsPerSample,
                                                                 format.channels);
    if (code != 0) {
        ShowMappedError(m_services.messages, code, PlayerErrorToMessageId);
        return;
    }
    m_levelTest = true;
    m_playback->levelTestRuns(true);
}

void TLiveOvedubbingForm::StopLevelTest()
{
    m_levelTest = false;
    m_playback->levelTestRuns(false);
    const int code = m_services.engine.AudioStopRecordLevelTest();
    if (code != 0) {
        ShowMappedError(m_services.messages, code, PlayerErrorToMessageId);
        return;
    }
    m_playback->resetMeters();
}

void TLiveOvedubbingForm::startLevelTestWhenAsked()
{
    if (m_services.alwaysTestLevels())
        StartLevelTest();
}

void TLiveOvedubbingForm::setRecordingFlags(bool voice, bool music)
{
    const bool wasRecording = m_voiceRecording || m_musicRecording;
    // The pads that played during the take ended with it.
    if (wasRecording && !voice && !music)
        m_pads->pads().recordingEnded();
    m_voiceRecording = voice;
    m_musicRecording = music;
    if (voice || music) {
        if (m_levelTest)
            StopLevelTest();
    } else if (wasRecording) {
        startLevelTestWhenAsked();
    }
}

void TLiveOvedubbingForm::replayFader(int64_t frame)
{
    // Set from code, the slider raises no scroll, so the replayed value is not recorded again.
    m_fader->setPosition(m_faderControl.replayAt(frame));
}

void TLiveOvedubbingForm::trimMoved(TrackSide side, int position)
{
    if (side == TrackSide::Voice)
        m_faderControl.onVoiceTrimMoved(position);
    else
        m_faderControl.onMusicTrimMoved(position);
    TQzv32WaveDisplay& shown = display(side);
    if (m_voiceRecording || m_musicRecording || shown.WaveFileName().isEmpty())
        return;
    // The display shows the trimmed track: smaller as the trim lowers it, nothing when it is silent.
    shown.ScaleVertical = -position;
    shown.HideWaveForm = -position == kFaderMin;
    shown.DrawView(shown.ZoomLevel(), shown.LeftSamplePos());
}

int64_t TLiveOvedubbingForm::audioClockFrame() const
{
    // The recorded frames while a take runs, the frames since the pass began during a re-mix, else
    // the frame being heard. The Music button's take runs on the music library's clock; with the
    // voice it follows the voice's.
    auto& engine = m_services.engine;
    if (m_remixPlayback)
        return engine.AudioGetPosition(1) - m_playback->transport().playStart();
    if (m_musicRecording && !m_voiceRecording)
        return m_services.musicLibrary.MusicGetRecordPosition(1);
    return m_voiceRecording ? engine.AudioGetRecordPosition(1) : engine.AudioGetPosition(1);
}

void TLiveOvedubbingForm::applyFaderGains(const EngineGains& gains)
{
    if (gains.volume) {
        const EngineGains::Pairs& p = *gains.volume;
        m_services.engine.SetVolume(p.firstLeft, p.firstRight, p.secondLeft, p.secondRight);
    }
    if (gains.musicLevel)
        m_services.musicLibrary.SetWaveOutAttenLevel(*gains.musicLevel);
}

void TLiveOvedubbingForm::applyFaderTint(const TintChange& change)
{
    if (change.voice)
        m_voiceDisplay->setBackGroundColor(platform::colorFromRef(*change.voice));
    if (change.music)
        m_musicDisplay->setBackGroundColor(platform::colorFromRef(*change.music));
}

} // namespace recorder
