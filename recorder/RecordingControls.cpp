#include "recorder/RecordingControls.h"

#include "recorder/BusyFlag.h"
#include "recorder/LiveOverdubbing.h"
#include "recorder/Log.h"
#include "recorder/MusicPadPanel.h"
#include "recorder/PlaybackControls.h"

#include "common/ErrCodes.h"
#include "common/Util.h"
#include "common/WaveUtil.h"
#include "controls/CoolButton.h"
#include "controls/EQMeter.h"
#include "controls/Waveform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/base/Colors.h"
#include "platform/base/PostedMessage.h"
#include "platform/ui/Messages.h"

#include <QFile>
#include <QLabel>

namespace recorder {

namespace {

using controls::TCoolButton;
using controls::TQzv32WaveDisplay;

constexpr int kPositionTimerMs = 50;
constexpr int kSpaceTimerMs = 1000;
const char kVendorCaption[] = "Vexal Audio";
// "The drive used to store temporary work files has inadequate free space ...": the music take
// could not go on.
constexpr int kMusicTakeEndedMessageId = 123;
// The recording label's own background, seen while it is opaque.
const QColor kLabelBackground = platform::colorFromRef(0x0000C0);

} // namespace

RecordingControls::RecordingControls(TLiveOvedubbingForm& form, const RecordingWindowServices& services)
    : QObject(&form)
    , m_form(form)
    , m_services(services)
    , m_take(services.engine, services.musicLibrary)
    , m_overdub(services.engine, services.musicLibrary)
    , m_positionTimer(this)
    , m_spaceTimer(this)
{
    // Named children, so that tests and the recording benchmark can run them on their own clock.
    m_positionTimer.setObjectName(QStringLiteral("RecordingPositionTimer"));
    m_spaceTimer.setObjectName(QStringLiteral("RecordingSpaceTimer"));
    m_positionTimer.setInterval(kPositionTimerMs);
    connect(&m_positionTimer, &QTimer::timeout, this, &RecordingControls::tick);
    m_spaceTimer.setInterval(kSpaceTimerMs);
    connect(&m_spaceTimer, &QTimer::timeout, this, &RecordingControls::checkFreeSpace);
    connect(control<TCoolButton>(Control::StartStopRecordingButton), &TCoolButton::OnClick, this,
            &RecordingControls::voiceAndMusicClicked);
    connect(control<TCoolButton>(Control::PauseRecordingButton), &TCoolButton::OnClick, this,
            &RecordingControls::pauseClicked);
    connect(control<TCoolButton>(Control::VoiceRecordButton), &TCoolButton::OnClick, this,
            [this] { overdubClicked(OverdubSide::Voice); });
    connect(control<TCoolButton>(Control::MusicRecordButton), &TCoolButton::OnClick, this,
            [this] { overdubClicked(OverdubSide::Music); });
    form.installEventFilter(this);
}

RecordingControls::~RecordingControls()
{
    // Closing the window ends its take; the files stay valid WAVs.
    if (m_take.running())
        m_take.stop();
    if (m_overdub.running())
        m_overdub.stop();
}

bool RecordingControls::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_form || event->type() != platform::PostedMessage::eventType())
        return false;
    switch (static_cast<const platform::PostedMessage*>(event)->message()) {
    case platform::audio::kMsgRecordingEnded:
        // The input went away or the take could not be written: the take ends as its button would
        // end it, keeping what was recorded, and the stop shows why.
        if (m_take.running() || m_overdub.running()) {
            stopRunningTake();
            expectLateEndNews();
        } else {
            lateEndNews();
        }
        return true;
    case platform::audio::kMsgMusicRecordingEnded:
        musicTakeEnded();
        return true;
    default:
        return false;
    }
}

template <class T> T* RecordingControls::control(Control c) const
{
    return m_form.findChild<T*>(QString::fromLatin1(controlName(c)));
}

void RecordingControls::popUp()
{
    ControlChange button;
    button.down = false;
    button.caption = QStringLiteral("Voice && Music");
    ControlChange pause;
    pause.enabled = false;
    m_form.ApplyControlChanges({{Control::StartStopRecordingButton, button}, {Control::PauseRecordingButton, pause}});
}

void RecordingControls::voiceAndMusicClicked()
{
    if (m_take.running()) {
        stopTake();
        return;
    }
    TrackRoads& roads = m_form.trackRoads();
    m_insert = false;
    if (roads.track(TrackSide::Voice) || roads.track(TrackSide::Music)) {
        popUp();
        const platform::Messages& messages = m_services.messages;
        const QString vendor = QString::fromLatin1(kVendorCaption);
        if (roads.track(TrackSide::Voice) && roads.track(TrackSide::Music)
            && messages.ShowMessageBox(QStringLiteral("Do You Want To Insert Recording At Current Position?"), vendor,
                                       platform::MB_YESNO | platform::MB_ICONQUESTION)
                   == platform::IDYES) {
            m_insert = true;
            m_insertPosition = control<TQzv32WaveDisplay>(Control::PreRecordedWaveDisplay)->CaretPositionBySamples();
        }
        if (!m_insert) {
            if (messages.ShowMessageBox(QStringLiteral("Do You Want To Clear Existing Recording And Start New Recording."),
                                        vendor, platform::MB_YESNO | platform::MB_ICONQUESTION)
                != platform::IDYES)
                return;
            roads.dropTrack(TrackSide::Voice);
            roads.dropTrack(TrackSide::Music);
            roads.forgetMixedFile();
            m_form.SetControlState(ControlState::NoTrack);
        }
    }
    if (m_insert || !roads.track(TrackSide::Voice))
        startTake();
}

bool RecordingControls::readyToRecord()
{
    if (!roomToRecord(m_services.freeSpace(m_services.tempFolder()))) {
        m_services.messages.ShowErrorMessage(kDiskFullMessageId);
        return false;
    }
    TrackRoads& roads = m_form.trackRoads();
    if (roads.recordingFormat().samplesPerSec != 0)
        return true;
    const std::optional<WaveFormatEx> chosen = m_services.chooseRecordingFormat(&m_form);
    if (!chosen) {
        roads.setRecordingFormat({});
        return false;
    }
    roads.setRecordingFormat(*chosen);
    m_form.ShowStatusFormat(0, chosen->samplesPerSec, false, chosen->channels, chosen->bitsPerSample);
    // The pads are mixed into the take as they are: they follow the new format first.
    m_form.pads().pads().ConvertSegmentsToFormat(*chosen);
    return m_services.messages.ShowMessageBox(QStringLiteral("Do you want to start recording now?"),
                                              QString::fromLatin1(kRecorderCaption), platform::MB_YESNO)
        == platform::IDYES;
}

void RecordingControls::startTake()
{
    // A take that does not start leaves the tracks of an insert where they are.
    if (!readyToRecord()) {
        m_insert = false;
        popUp();
        return;
    }
    const QString folder = m_services.tempFolder();
    TrackRoads& roads = m_form.trackRoads();
    const WaveFormatEx format = roads.recordingFormat();
    const QString voice = takeFileName(folder);
    const QString music = takeFileName(folder);
    if (voice.isEmpty() || music.isEmpty()) {
        QFile::remove(voice);
        QFile::remove(music);
        m_insert = false;
        popUp();
        m_services.messages.ShowErrorMessage(LoadCode::NoTempFile);
        return;
    }
    m_busy.emplace(m_form.busyFlag());
    // The take records from the input the level test holds.
    if (m_form.levelTestRunning())
        m_form.StopLevelTest();
    // Pads playing on their own hold the music-track library's take, which the recording needs.
    m_form.pads().pads().StopAllPads();
    if (const uint16_t code = m_take.start(voice, music, format, m_services.outputDevice())) {
        ShowMappedError(m_services.messages, code, PlayerErrorToMessageId);
        popUp();
        m_busy.reset();
        QFile::remove(voice);
        QFile::remove(music);
        m_insert = false;
        return;
    }
    m_form.ShowStatusFormat(0, format.samplesPerSec, false, format.channels, format.bitsPerSample);
    // The take goes into new working WAVs; an insert's tracks wait for it untouched.
    if (m_insert) {
        for (TrackSide side : {TrackSide::Voice, TrackSide::Music})
            m_parked[std::size_t(side)] = roads.track(side);
    }
    roads.forgetMixedFile();
    for (const auto& [side, path] : {std::pair{TrackSide::Voice, voice}, std::pair{TrackSide::Music, music}}) {
        TrackRecord record;
        record.workingPath = path;
        record.state = kTrackChanged;
        record.source = TrackSourceKind::Wave;
        record.waveFormat = format;
        roads.track(side) = record;
    }
    // Fader moves during the take are recorded on the take's clock from the frame it goes to.
    FaderController& fader = m_form.faderController();
    fader.setRoute(GainRoute::Mixed);
    fader.beginTake(m_insert ? m_insertPosition : 0);
    m_form.setRecordingFlags(true, true);
    m_form.SetControlState(ControlState::RecordingBoth);
    showCaptions(true, true);
    m_positionTimer.start();
    m_spaceTimer.start();
}

void RecordingControls::pauseClicked()
{
    if (!m_take.running())
        return;
    const bool pausing = !m_take.paused();
    const uint16_t code = pausing ? m_take.pause() : m_take.resume();
    if (code) {
        ShowMappedError(m_services.messages, code, PlayerErrorToMessageId);
        return;
    }
    pausing ? m_form.faderController().pauseTake() : m_form.faderController().resumeTake();
    ControlChange pause;
    pause.caption = pausing ? QStringLiteral("Resume") : QStringLiteral("Pause");
    m_form.ApplyControlChanges({{Control::PauseRecordingButton, pause}});
}

void RecordingControls::stopTake(bool musicEnded)
{
    popUp();
    m_positionTimer.stop();
    m_spaceTimer.stop();
    if (const uint16_t code = m_take.stop(musicEnded)) {
        // After the music take ended by itself one message tells the user (123); the voice's
        // failure, on the same disk as a rule, goes to the log.
        if (musicEnded)
            qCWarning(lcRecorder) << "the voice take stopped with the music take, with code" << code;
        else
            ShowMappedError(m_services.messages, code, PlayerErrorToMessageId);
    }
    takeStopped();
    // A music take that ended early is padded before an insert, so both takes go in at one length
    // and the tracks stay lined up after them.
    equalizeTracks();
    if (m_insert)
        insertTakes();
    m_form.ReloadVoiceTrack();
    m_form.ReloadMusicTrack();
    // A voice track that could not be shown again is gone, and its reload set the controls for
    // what is left.
    const TrackRoads& roads = m_form.trackRoads();
    if (roads.track(TrackSide::Voice) && roads.track(TrackSide::Music))
        m_form.SetControlState(ControlState::BothTracks);
    ControlChange pause;
    pause.enabled = false;
    pause.caption = QStringLiteral("Pause");
    m_form.ApplyControlChanges({{Control::PauseRecordingButton, pause}});
    for (Control c : {Control::PreRecordedWaveDisplay, Control::RecordingWaveDisplay})
        control<TQzv32WaveDisplay>(c)->setCaretPositionBySamples(0);
    // The position box and the slider from the voice caret, now at 0.
    m_form.ApplyTrackLayout(0);
    if (std::optional<TrackRecord>& music = m_form.trackRoads().track(TrackSide::Music))
        music->state = kTrackChanged;
    m_form.startLevelTestWhenAsked();
}

void RecordingControls::equalizeTracks()
{
    const TrackRoads& roads = m_form.trackRoads();
    const std::optional<TrackRecord>& voice = roads.track(TrackSide::Voice);
    const std::optional<TrackRecord>& music = roads.track(TrackSide::Music);
    if (voice && music
        && !EqualizeTrackLengths(voice->workingPath, music->workingPath, roads.recordingFormat().bitsPerSample == 8))
        qCWarning(lcRecorder) << "the tracks keep different lengths: the shorter of" << voice->workingPath << "and"
                              << music->workingPath << "could not be padded";
}

void RecordingControls::musicTakeEnded()
{
    // With the Voice & Music button up nothing would stop the voice, so it stops with the music.
    const bool musicTakeRan = m_take.running() || (m_overdub.running() && m_overdub.side() == OverdubSide::Music);
    if (m_take.running())
        stopTake(true);
    else if (musicTakeRan)
        stopOverdub(true);
    if (!musicTakeRan && lateEndNews())
        return;
    if (musicTakeRan)
        expectLateEndNews();
    m_services.messages.ShowErrorMessage(kMusicTakeEndedMessageId);
}

void RecordingControls::expectLateEndNews()
{
    // The stop has joined both sides' threads, so news of the other side is queued by now: it comes
    // before this call's own end.
    m_endTold = true;
    QTimer::singleShot(0, this, [this] { m_endTold = false; });
}

bool RecordingControls::lateEndNews()
{
    // A full disk or a lost device ends both sides of a take at once; the side whose news came
    // first stopped the take and told the user, so the other side's says nothing more.
    if (!m_endTold)
        return false;
    m_endTold = false;
    qCInfo(lcRecorder) << "the other side of the take that ended by itself has ended too";
    return true;
}

void RecordingControls::insertTakes()
{
    m_insert = false;
    TrackRoads& roads = m_form.trackRoads();
    const QString folder = m_services.tempFolder();
    // Both tracks are pasted before either changes, so they never end up out of line.
    std::array<QString, 2> results;
    bool pasted = true;
    for (TrackSide side : {TrackSide::Voice, TrackSide::Music}) {
        const std::optional<TrackRecord>& parked = m_parked[std::size_t(side)];
        const std::optional<TrackRecord>& take = roads.track(side);
        if (!parked || !take)
            continue;
        QString& result = results[std::size_t(side)];
        result = takeFileName(folder);
        if (result.isEmpty()) {
            m_services.messages.ShowErrorMessage(LoadCode::NoTempFile);
            pasted = false;
            break;
        }
        if (insertTake(m_services.runner, m_services.engine, m_services.messages,
                       {parked->workingPath, take->workingPath, result}, m_insertPosition)
            != 0) {
            pasted = false;
            break;
        }
    }
    for (TrackSide side : {TrackSide::Voice, TrackSide::Music}) {
        std::optional<TrackRecord>& parked = m_parked[std::size_t(side)];
        std::optional<TrackRecord>& live = roads.track(side);
        const QString& result = results[std::size_t(side)];
        if (!parked)
            continue;
        if (!pasted) {
            // Both tracks stay as they were before the take, and the take goes.
            QFile::remove(result);
            if (live)
                QFile::remove(live->workingPath);
            live = parked;
        } else if (live) {
            QFile::remove(parked->workingPath);
            QFile::remove(GetPeakFileName(parked->workingPath, folder));
            QFile::remove(live->workingPath);
            TrackRecord merged = *parked;
            merged.workingPath = result;
            merged.state = kTrackChanged;
            live = merged;
        }
        parked.reset();
    }
}

void RecordingControls::showCaptions(bool voice, bool music)
{
    control<TQzv32WaveDisplay>(Control::PreRecordedWaveDisplay)
        ->setNoSamplePresentText(voice ? QStringLiteral("Recording Voice Track...") : QStringLiteral("Voice Track Space."));
    control<TQzv32WaveDisplay>(Control::RecordingWaveDisplay)
        ->setNoSamplePresentText(music ? QStringLiteral("Recording Music Track...") : QStringLiteral("Music Track Space."));
    m_label.reset();
    showLabel(m_label.look());
    m_form.findChild<QLabel*>(QStringLiteral("RecordingLabel"))->setVisible(voice || music);
}

void RecordingControls::showLabel(const RecordingLabelLook& look)
{
    auto* label = m_form.findChild<QLabel*>(QStringLiteral("RecordingLabel"));
    label->setText(look.caption);
    label->setAutoFillBackground(!look.transparent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, kLabelBackground);
    palette.setColor(QPalette::WindowText, look.whiteText ? QColor(Qt::white) : QColor(Qt::black));
    label->setPalette(palette);
}

void RecordingControls::tick()
{
    int left = 0;
    int right = 0;
    m_services.engine.AudioGetRecordLevel(&left, &right);
    if (m_overdub.running()) {
        // One track records while the other plays: the meters show both.
        int playedLeft = 0;
        int playedRight = 0;
        m_services.engine.AudioGetPlaybackLevel(&playedLeft, &playedRight);
        left += playedLeft;
        right += playedRight;
    }
    m_form.playback().showLevels(left, right);
    showLabel(m_label.tick(m_take.paused()));
    const int64_t position = m_overdub.running() ? m_overdub.position() : m_take.position();
    // The take is in no display yet, so the recording format converts its frames for the box.
    const uint32_t rate = m_form.trackRoads().recordingFormat().samplesPerSec;
    if (m_form.positionUnit() == kPositionMilliseconds && rate != 0)
        m_form.ShowPosition(uint32_t(position * 1000 / rate), kPositionMilliseconds);
    else
        m_form.ShowPosition(uint32_t(position), kPositionFrames);
}

void RecordingControls::checkFreeSpace()
{
    if ((!m_take.running() && !m_overdub.running()) || roomToRecord(m_services.freeSpace(m_services.tempFolder())))
        return;
    stopRunningTake();
    m_services.messages.ShowErrorMessage(kDiskFullMessageId);
}

void RecordingControls::stopRunningTake()
{
    if (m_take.running())
        stopTake();
    else if (m_overdub.running())
        stopOverdub();
}

void RecordingControls::popUpOverdub(OverdubSide side)
{
    ControlChange up;
    up.down = false;
    m_form.ApplyControlChanges(
        {{side == OverdubSide::Voice ? Control::VoiceRecordButton : Control::MusicRecordButton, up}});
}

void RecordingControls::overdubClicked(OverdubSide side)
{
    if (m_overdub.running()) {
        if (m_overdub.side() == side)
            stopOverdub();
        else
            popUpOverdub(side);
        return;
    }
    if (m_take.running() || m_form.playback().transport().playing()) {
        popUpOverdub(side);
        return;
    }
    const TrackSide recorded = side == OverdubSide::Voice ? TrackSide::Voice : TrackSide::Music;
    const TrackSide played = side == OverdubSide::Voice ? TrackSide::Music : TrackSide::Voice;
    TrackRoads& roads = m_form.trackRoads();
    if (const std::optional<TrackRecord>& track = roads.track(recorded); track && track->state == kTrackChanged) {
        const int answer = m_services.messages.ShowMessageBox(
            side == OverdubSide::Voice ? QStringLiteral("Do you want to save the already recorded Voice Track?")
                                       : QStringLiteral("Do you want to save the already recorded Music Track?"),
            QString::fromLatin1(kVendorCaption), platform::MB_YESNOCANCEL | platform::MB_ICONQUESTION);
        const bool kept = answer == platform::IDNO
                          || (answer == platform::IDYES
                              && (side == OverdubSide::Voice ? m_form.SaveVoiceTrack() : m_form.SaveMusicTrack()));
        if (!kept) {
            popUpOverdub(side);
            return;
        }
    }
    // The music plays from its start under a voice take; the voice from the music's caret under a
    // music take.
    const int64_t playStart =
        side == OverdubSide::Voice ? 0 : control<TQzv32WaveDisplay>(Control::RecordingWaveDisplay)->CaretPositionBySamples();
    // The track the take replaces stays until the take runs: a take that does not start changes
    // nothing.
    if (!readyToRecord()) {
        popUpOverdub(side);
        return;
    }
    const WaveFormatEx format = roads.recordingFormat();
    const QString takeWav = takeFileName(m_services.tempFolder());
    if (takeWav.isEmpty()) {
        popUpOverdub(side);
        m_services.messages.ShowErrorMessage(LoadCode::NoTempFile);
        return;
    }
    const QString playWav = roads.track(played) ? roads.track(played)->workingPath : QString();
    // What plays under the take is heard at its gains from the first buffer on.
    FaderController& fader = m_form.faderController();
    fader.setRoute(side == OverdubSide::Voice ? GainRoute::VoiceRecording : GainRoute::Mixed);
    m_busy.emplace(m_form.busyFlag());
    if (m_form.levelTestRunning())
        m_form.StopLevelTest();
    m_form.pads().pads().StopAllPads();
    if (const uint16_t code =
            m_overdub.start(side, takeWav, format, playWav, playStart, m_services.outputDevice())) {
        ShowMappedError(m_services.messages, code, PlayerErrorToMessageId);
        popUpOverdub(side);
        m_busy.reset();
        QFile::remove(takeWav);
        return;
    }
    roads.dropTrack(recorded);
    roads.forgetMixedFile();
    TrackRecord record;
    record.workingPath = takeWav;
    record.state = kTrackChanged;
    record.source = TrackSourceKind::Wave;
    record.waveFormat = format;
    roads.track(recorded) = record;
    // Fader moves are recorded from the track frame the take goes to.
    fader.beginTake(m_overdub.placedAt());
    m_form.setRecordingFlags(side == OverdubSide::Voice, side == OverdubSide::Music);
    m_form.SetControlState(side == OverdubSide::Voice ? ControlState::RecordingVoice : ControlState::RecordingMusic);
    ControlChange off;
    off.enabled = false;
    ControlChange pressed;
    pressed.down = true;
    const Control button = side == OverdubSide::Voice ? Control::VoiceRecordButton : Control::MusicRecordButton;
    const Control other = side == OverdubSide::Voice ? Control::MusicRecordButton : Control::VoiceRecordButton;
    m_form.ApplyControlChanges({{button, pressed},
                                {other, off},
                                {Control::StartStopRecordingButton, off},
                                {Control::ReMixButton, off}});
    showCaptions(side == OverdubSide::Voice, side == OverdubSide::Music);
    m_form.ShowPosition(0, kPositionFrames);
    m_positionTimer.start();
    m_spaceTimer.start();
}

void RecordingControls::takeStopped()
{
    m_form.faderController().endTake();
    m_form.playback().resetMeters();
    showCaptions(false, false);
    m_form.setRecordingFlags(false, false);
    m_busy.reset();
}

void RecordingControls::stopOverdub(bool takeEnded)
{
    m_positionTimer.stop();
    m_spaceTimer.stop();
    const OverdubSide side = m_overdub.side();
    if (const uint16_t code = m_overdub.stop(takeEnded))
        ShowMappedError(m_services.messages, code, PlayerErrorToMessageId);
    takeStopped();
    popUpOverdub(side);
    TrackRoads& roads = m_form.trackRoads();
    placeOverdub(side == OverdubSide::Voice ? TrackSide::Voice : TrackSide::Music, m_overdub.placedAt());
    equalizeTracks();
    // The music under a voice take was padded to the take's length.
    if (side == OverdubSide::Voice && roads.track(TrackSide::Voice)) {
        if (std::optional<TrackRecord>& music = roads.track(TrackSide::Music))
            music->state = kTrackChanged;
    }
    m_form.ReloadVoiceTrack();
    m_form.ReloadMusicTrack();
    const bool both = roads.track(TrackSide::Voice) && roads.track(TrackSide::Music);
    m_form.SetControlState(both ? ControlState::BothTracks
                                : roads.track(TrackSide::Voice) ? ControlState::VoiceWithoutMusic
                                                                : ControlState::MusicWithoutVoice);
    // The buttons the take turned off come back whatever tracks there are.
    ControlChange on;
    on.enabled = true;
    const Control other = side == OverdubSide::Voice ? Control::MusicRecordButton : Control::VoiceRecordButton;
    m_form.ApplyControlChanges({{Control::StartStopRecordingButton, on}, {other, on}, {Control::ReMixButton, on}});
    for (Control c : {Control::PreRecordedWaveDisplay, Control::RecordingWaveDisplay})
        control<TQzv32WaveDisplay>(c)->setCaretPositionBySamples(0);
    m_form.ShowPosition(0, kPositionFrames);
    m_form.startLevelTestWhenAsked();
}

void RecordingControls::placeOverdub(TrackSide side, int64_t frame)
{
    std::optional<TrackRecord>& track = m_form.trackRoads().track(side);
    if (frame <= 0 || !track)
        return;
    // The take goes after as much silence as the played track had run before it began.
    const WaveFormatEx format = track->waveFormat;
    const QString folder = m_services.tempFolder();
    const QString silence = takeFileName(folder);
    const QString placed = takeFileName(folder);
    const bool made = !silence.isEmpty() && !placed.isEmpty()
                      && CreateEmptyWaveFile(silence, format.samplesPerSec, format.bitsPerSample, format.channels) == 0
                      && AppendSilenceToWave(silence, frame * format.blockAlign, format.bitsPerSample == 8);
    if (!made)
        qCWarning(lcRecorder) << "the overdub take stays at frame 0: no silence of" << frame << "frames could be made in"
                              << folder;
    if (made
        && insertTake(m_services.runner, m_services.engine, m_services.messages, {silence, track->workingPath, placed},
                      frame)
               == 0) {
        QFile::remove(track->workingPath);
        track->workingPath = placed;
    } else {
        QFile::remove(placed);
    }
    QFile::remove(silence);
}

} // namespace recorder
