#include "recorder/PlaybackControls.h"

#include "recorder/ApplyTrackLayout.h"
#include "recorder/LiveOverdubbing.h"

#include "common/ErrCodes.h"
#include "common/PositionBox.h"
#include "common/WaveUtil.h"
#include "controls/ColorScheme.h"
#include "controls/CoolButton.h"
#include "controls/CoolSliderH.h"
#include "controls/EQMeter.h"
#include "controls/Scale.h"
#include "controls/Waveform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/base/PostedMessage.h"
#include "platform/base/Colors.h"
#include "platform/ui/Messages.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>
#include <array>

namespace recorder {

namespace {

using controls::TCoolButton;
using controls::TQzv32WaveDisplay;

constexpr int kPositionTimerMs = 50;
constexpr int kClipTimerMs = 1000;

const char* const kSaturatedText =
    "Mixed data is saturated. To Prevent Saturation, set value in Preferences Dialogbox.";

// The gains a kind of playback takes: a track alone plays at its trim, the mix by the fader.
GainRoute routeOf(PlayKind kind)
{
    switch (kind) {
    case PlayKind::Voice:
        return GainRoute::VoiceAlone;
    case PlayKind::Music:
        return GainRoute::MusicAlone;
    default:
        return GainRoute::Mixed;
    }
}

Control buttonOf(TransportCommand command)
{
    switch (command) {
    case TransportCommand::PlayVoice:
        return Control::PreRecordedPlayBtn;
    case TransportCommand::PlayMusic:
        return Control::RecordingPlayBtn;
    case TransportCommand::PlayMix:
        return Control::MixedPlayBtn;
    case TransportCommand::Pause:
        return Control::PauseBtn;
    case TransportCommand::Stop:
        break;
    }
    return Control::StopBtn;
}

bool holdsTrack(const TQzv32WaveDisplay& display)
{
    return !display.WaveFileName().isEmpty() && display.TotalSamples() > 0;
}

} // namespace

PlaybackControls::PlaybackControls(TLiveOvedubbingForm& form, platform::audio::AudioEngine& engine,
                                   const platform::Messages& messages, std::function<bool()> preventSaturation)
    : QObject(&form)
    , m_form(form)
    , m_engine(engine)
    , m_messages(messages)
    , m_preventSaturation(std::move(preventSaturation))
    , m_transport(engine)
{
    m_positionTimer.setInterval(kPositionTimerMs);
    connect(&m_positionTimer, &QTimer::timeout, this, &PlaybackControls::tick);
    m_clipTimer.setInterval(kClipTimerMs);
    m_clipTimer.setSingleShot(true);
    connect(&m_clipTimer, &QTimer::timeout, this, &PlaybackControls::lampsOff);

    connectCommand(Control::PreRecordedPlayBtn, Control::PlaybackVoiceTrackMenu, TransportCommand::PlayVoice);
    connectCommand(Control::RecordingPlayBtn, Control::PlaybackMusicTrackMenu, TransportCommand::PlayMusic);
    connectCommand(Control::MixedPlayBtn, Control::PlaybackMixedTrackMenu, TransportCommand::PlayMix);
    connectCommand(Control::PauseBtn, Control::PlaybackPauseMenu, TransportCommand::Pause);
    connectCommand(Control::StopBtn, Control::PlaybackStopMenu, TransportCommand::Stop);
    connectAction(Control::ForwardBtn, Control::PlaybackFastForwardMenu, &PlaybackControls::fastForward);
    connectAction(Control::RewindBtn, Control::PlaybackRewindMenu, &PlaybackControls::rewind);
    connectAction(Control::SkipToStartBtn, Control::PlaybackSkipToStartMenu, &PlaybackControls::skipToStart);
    connectAction(Control::SkipToEndBtn, Control::PlaybackSkipToEndMenu, &PlaybackControls::skipToEnd);
    connectAction(Control::ZoomInButton, Control::ViewZoomInMenu, &PlaybackControls::zoomIn);
    connectAction(Control::ZoomOutButton, Control::ViewZoomOutMenu, &PlaybackControls::zoomOut);
    connectAction(Control::ZoomToExtentsButton, Control::ViewZoomToExtentsMenu, &PlaybackControls::zoomToExtents);
    // The play items show a tick while their track plays.
    for (Control item : {Control::PlaybackVoiceTrackMenu, Control::PlaybackMusicTrackMenu,
                         Control::PlaybackMixedTrackMenu})
        control<QAction>(item)->setCheckable(true);
    form.installEventFilter(this);

    connect(control<controls::TCoolSliderH>(Control::CurrentPositionTrackBar), &controls::CoolSliderBase::OnScroll, this,
            [this](int, int step) { sliderMoved(step); });
    for (Control c : {Control::PreRecordedWaveDisplay, Control::RecordingWaveDisplay}) {
        auto* display = control<TQzv32WaveDisplay>(c);
        connect(display, &TQzv32WaveDisplay::OnCaretPositionChange, this,
                [this, display] { showFrame(display->CaretPositionBySamples()); });
    }
    control<QLineEdit>(Control::PositionMaskEdit)->installEventFilter(this);
}

PlaybackControls::~PlaybackControls()
{
    // Closing the window ends its playback.
    if (m_transport.playing())
        m_engine.AudioStop();
}

template <class T> T* PlaybackControls::control(Control c) const
{
    return m_form.findChild<T*>(QString::fromLatin1(controlName(c)));
}

void PlaybackControls::connectCommand(Control button, Control item, TransportCommand command)
{
    connect(control<TCoolButton>(button), &TCoolButton::OnClick, this, [this, command] { this->command(command); });
    connect(control<QAction>(item), &QAction::triggered, this, [this, command] { this->command(command); });
}

void PlaybackControls::connectAction(Control button, Control item, void (PlaybackControls::*action)())
{
    connect(control<TCoolButton>(button), &TCoolButton::OnClick, this, action);
    connect(control<QAction>(item), &QAction::triggered, this, action);
}

TransportSituation PlaybackControls::situation() const
{
    TransportSituation s;
    s.voiceTrack = holdsTrack(*control<TQzv32WaveDisplay>(Control::PreRecordedWaveDisplay));
    s.musicTrack = holdsTrack(*control<TQzv32WaveDisplay>(Control::RecordingWaveDisplay));
    s.kind = m_transport.kind();
    s.paused = m_transport.paused();
    return s;
}

PlaySource PlaybackControls::source() const
{
    PlaySource source;
    const auto* voice = control<TQzv32WaveDisplay>(Control::PreRecordedWaveDisplay);
    const auto* music = control<TQzv32WaveDisplay>(Control::RecordingWaveDisplay);
    if (const auto& track = m_form.trackRoads().track(TrackSide::Voice))
        source.voiceWav = track->workingPath;
    if (const auto& track = m_form.trackRoads().track(TrackSide::Music))
        source.musicWav = track->workingPath;
    source.voiceCaret = voice->CaretPositionBySamples();
    source.musicCaret = music->CaretPositionBySamples();
    source.voiceTotal = voice->TotalSamples();
    source.musicTotal = music->TotalSamples();
    source.preventSaturation = m_preventSaturation();
    return source;
}

void PlaybackControls::command(TransportCommand command)
{
    const TransportStep step = transportStep(situation(), command);
    if (!step.accepted) {
        popUp(command);
        return;
    }
    const bool play = command == TransportCommand::PlayVoice || command == TransportCommand::PlayMusic
                      || command == TransportCommand::PlayMix;
    if (play && m_form.levelTestRunning())
        m_form.StopLevelTest();
    if (const uint16_t code = m_transport.run(step, source())) {
        ShowMappedError(m_messages, code, PlayerErrorToMessageId);
        popUp(command);
        return;
    }
    if (play)
        m_form.faderController().setRoute(routeOf(m_transport.kind()));
    apply(step);
    if (command == TransportCommand::Stop)
        m_form.startLevelTestWhenAsked();
}

void PlaybackControls::popUp(TransportCommand command)
{
    if (command == TransportCommand::Stop)
        return;
    // A pause button that did nothing shows what the playback is.
    control<TCoolButton>(buttonOf(command))->setDown(command == TransportCommand::Pause && m_transport.paused());
}

void PlaybackControls::apply(const TransportStep& step)
{
    if (step.state)
        m_form.SetControlState(*step.state);
    m_form.ApplyControlChanges(step.changes);
    for (const MenuTick& tick : step.ticks)
        control<QAction>(tick.item)->setChecked(tick.checked);
    if (step.positionTimer)
        *step.positionTimer ? m_positionTimer.start() : m_positionTimer.stop();
    if (step.resetMeters)
        resetMeters();
}

void PlaybackControls::resetMeters()
{
    for (const char* name : {"EQMeter1", "EQMeter2"})
        m_form.findChild<controls::TEQMeter*>(QString::fromLatin1(name))->setBarValue(0, 0);
    m_clipTimer.stop();
    lampsOff();
}

void PlaybackControls::showLevelTest(bool running)
{
    if (running)
        m_positionTimer.start();
    else if (!m_transport.playing())
        m_positionTimer.stop();
}

void PlaybackControls::showLevels(int left, int right)
{
    const std::array<int, 2> levels{left, right};
    for (int channel = 0; channel < 2; ++channel) {
        const QString meter = QStringLiteral("EQMeter%1").arg(channel + 1);
        m_form.findChild<controls::TEQMeter*>(meter)->setBarValue(0, levels[std::size_t(channel)]);
    }
    if (!clips(left) && !clips(right))
        return;
    for (int channel = 0; channel < 2; ++channel)
        if (clips(levels[std::size_t(channel)]))
            setLamp(channel, true);
    m_clipTimer.stop();
    m_clipTimer.start();
}

void PlaybackControls::stopPlayback()
{
    command(TransportCommand::Stop);
}

bool PlaybackControls::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == control<QLineEdit>(Control::PositionMaskEdit)) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                // Enter takes the typed position by leaving the box for the voice display.
                control<TQzv32WaveDisplay>(Control::PreRecordedWaveDisplay)->setFocus();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            positionTyped();
        }
        return false;
    }
    if (watched != &m_form || event->type() != platform::PostedMessage::eventType())
        return false;
    const auto* message = static_cast<const platform::PostedMessage*>(event);
    // The playback under a Voice or Music take is the take's.
    if (message->message() != platform::audio::kMsgPlaybackEnded || !m_transport.playing())
        return false;
    playbackEnded(message->wParam() != 0);
    return true;
}

void PlaybackControls::playbackEnded(bool saturated)
{
    const int64_t playStart = m_transport.playStart();
    const bool mix = m_transport.kind() == PlayKind::Mix;
    stopPlayback();
    showFrame(playStart);
    // With prevention on, a saturated sum was scaled into range: nothing to tell.
    if (mix && saturated && !m_preventSaturation())
        m_messages.ShowMessageBox(QString::fromLatin1(kSaturatedText), QString::fromLatin1(kRecorderCaption),
                                  platform::MB_OK | platform::MB_ICONINFORMATION);
}

void PlaybackControls::fastForward()
{
    uint16_t code = 0;
    const std::optional<int64_t> target = m_transport.fastForward(&code);
    if (!target) {
        stopPlayback();
        return;
    }
    if (code) {
        ShowMappedError(m_messages, code, PlayerErrorToMessageId);
        return;
    }
    showFrame(*target);
}

void PlaybackControls::rewind()
{
    uint16_t code = 0;
    const int64_t target = m_transport.rewind(&code);
    if (code) {
        ShowMappedError(m_messages, code, PlayerErrorToMessageId);
        return;
    }
    showFrame(target);
}

void PlaybackControls::skipToStart()
{
    if (m_transport.playing())
        if (const uint16_t code = m_transport.moveTo(0))
            ShowMappedError(m_messages, code, PlayerErrorToMessageId);
    showFrame(0);
}

void PlaybackControls::skipToEnd()
{
    stopPlayback();
    TQzv32WaveDisplay* display = leader();
    if (!display)
        return;
    const int64_t total = display->TotalSamples();
    showFrame(total > 0 ? total - 1 : 0);
    m_form.ShowPosition(uint32_t(total), kPositionFrames);
}

void PlaybackControls::zoomIn()
{
    TQzv32WaveDisplay* lead = leader();
    if (!lead || m_form.busyFlag().isBusy())
        return;
    const ZoomView view = recorder::zoomIn(lead->ZoomLevel(), lead->LeftSamplePos(), lead->RightSamplePos());
    lead->setZoomLevel(view.zoom);
    lead->setLeftSamplePos(uint32_t(view.left));
    showZoom(*lead);
}

void PlaybackControls::zoomOut()
{
    TQzv32WaveDisplay* lead = leader();
    if (!lead || m_form.busyFlag().isBusy())
        return;
    const std::optional<ZoomView> view =
        recorder::zoomOut(lead->ZoomLevel(), lead->LeftSamplePos(), lead->RightSamplePos(), lead->MaxZoomLevel());
    if (!view)
        return;
    lead->setZoomLevel(view->zoom);
    lead->setLeftSamplePos(uint32_t(view->left));
    showZoom(*lead);
}

void PlaybackControls::zoomToExtents()
{
    TQzv32WaveDisplay* lead = leader();
    if (!lead || m_form.busyFlag().isBusy())
        return;
    lead->setZoomLevel(lead->MaxZoomLevel());
    lead->setLeftSamplePos(0);
    showZoom(*lead);
}

void PlaybackControls::showZoom(TQzv32WaveDisplay& lead)
{
    auto* music = control<TQzv32WaveDisplay>(Control::RecordingWaveDisplay);
    if (&lead != music && holdsTrack(*music)) {
        music->setZoomLevel(lead.ZoomLevel());
        music->setLeftSamplePos(lead.LeftSamplePos());
    }
    const WaveFormatEx& format = lead.format();
    const uint32_t lengthMs =
        format.samplesPerSec ? uint32_t(uint64_t(lead.TotalSamples()) * 1000 / format.samplesPerSec) : 0;
    m_form.ShowStatusFormat(lengthMs, format.samplesPerSec, false, format.channels, format.bitsPerSample);
    showFrame(lead.CaretPositionBySamples());
}

void PlaybackControls::sliderMoved(int step)
{
    if (TQzv32WaveDisplay* lead = leader())
        showFrame(SliderScale(lead->TotalSamples()).frameAt(step));
}

void PlaybackControls::positionTyped()
{
    auto* box = control<QLineEdit>(Control::PositionMaskEdit);
    auto* voice = control<TQzv32WaveDisplay>(Control::PreRecordedWaveDisplay);
    if (!holdsTrack(*voice)) {
        box->setText(QStringLiteral("00000000"));
        return;
    }
    const PositionBox position(m_form.positionUnit(), voice->format(), voice->TotalSamples());
    const std::optional<uint32_t> frame = position.frameOf(box->text());
    if (!frame) {
        m_form.ShowPosition(voice->CaretPositionBySamples(), kPositionFrames);
        return;
    }
    showFrame(*frame);
    voice->setFocus();
}

TQzv32WaveDisplay* PlaybackControls::leader() const
{
    auto* voice = control<TQzv32WaveDisplay>(Control::PreRecordedWaveDisplay);
    if (holdsTrack(*voice))
        return voice;
    auto* music = control<TQzv32WaveDisplay>(Control::RecordingWaveDisplay);
    return holdsTrack(*music) ? music : nullptr;
}

void PlaybackControls::showFrame(int64_t frame)
{
    TQzv32WaveDisplay* lead = leader();
    if (!lead)
        return;
    const auto sample = uint32_t(std::clamp<int64_t>(frame, 0, lead->TotalSamples()));
    for (Control c : {Control::PreRecordedWaveDisplay, Control::RecordingWaveDisplay}) {
        auto* display = control<TQzv32WaveDisplay>(c);
        if (holdsTrack(*display))
            display->setCaretPositionBySamples(sample);
    }
    m_form.ShowPosition(sample, kPositionFrames);
    const SliderScale scale(lead->TotalSamples());
    auto* slider = control<controls::TCoolSliderH>(Control::CurrentPositionTrackBar);
    const QSignalBlocker quiet(slider);
    slider->setPosition(int(scale.stepAt(sample)));
    slider->setSelection(int(scale.stepAt(lead->LeftSamplePos())), int(scale.stepAt(lead->RightSamplePos())));
    if (auto* ruler = m_form.findChild<controls::TQzv32Scale*>(QStringLiteral("CurrentViewScale")))
        TLiveOvedubbingForm::SyncRuler(*ruler, lead->ZoomLevel(), lead->format(), lead->LeftSamplePos());
}

void PlaybackControls::tick()
{
    if (!m_transport.playing()) {
        if (m_form.levelTestRunning()) {
            int left = 0;
            int right = 0;
            m_engine.AudioGetRecordLevel(&left, &right);
            showLevels(left, right);
        }
        return;
    }
    const TransportPoll poll = m_transport.poll();
    showLevels(poll.left, poll.right);
    // The mix plays the fader as the take recorded it.
    if (m_transport.kind() == PlayKind::Mix)
        m_form.replayFader(poll.position);
    showFrame(poll.position);
}

void PlaybackControls::lampsOff()
{
    for (int channel = 0; channel < 2; ++channel)
        setLamp(channel, false);
}

void PlaybackControls::setLamp(int channel, bool on)
{
    static const char* const names[] = {"LeftChannelClipping", "RightChannelClipping"};
    auto* lamp = m_form.findChild<QLabel*>(QString::fromLatin1(names[channel]));
    const int element = on ? controls::RecorderColor::ClippingLightOn : controls::RecorderColor::ClippingLightOff;
    QPalette palette = lamp->palette();
    palette.setColor(QPalette::Window, platform::colorFromRef(m_form.colorScheme().GetSchemeColor(element)));
    lamp->setPalette(palette);
}

} // namespace recorder
