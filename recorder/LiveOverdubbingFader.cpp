// The recording window's fader and trims: their widgets wired to the fader controller, whose gains
// go to the player and the music-track library and whose tint goes to the two track displays; and
// the record device button.
#include "recorder/LiveOverdubbing.h"

#include "recorder/WebEQSliderV.h"

#include "controls/CoolButton.h"
#include "controls/CoolSliderV.h"
#include "controls/Waveform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/base/Colors.h"

namespace recorder {

using controls::TQzv32WaveDisplay;

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
    connect(button, &controls::TCoolButton::OnClick, this, [this] {
        if (m_services.showDevicePreferences)
            m_services.showDevicePreferences();
    });
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
    // The recorded frames while a take runs, else the frame being heard.
    auto& engine = m_services.engine;
    return m_voiceRecording || m_musicRecording ? engine.AudioGetRecordPosition(1) : engine.AudioGetPosition(1);
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
