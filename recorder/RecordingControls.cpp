#include "recorder/RecordingControls.h"

#include "recorder/BusyFlag.h"
#include "recorder/LiveOverdubbing.h"
#include "recorder/Log.h"
#include "recorder/PlaybackControls.h"

#include "common/ErrCodes.h"
#include "common/Util.h"
#include "common/WaveUtil.h"
#include "controls/CoolButton.h"
#include "controls/EQMeter.h"
#include "controls/Waveform.h"
#include "platform/audio/AudioEngine.h"
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
    // Named children, so that the recording benchmark can run them on the virtual backend's clock.
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
}

RecordingControls::~RecordingControls()
{
    // Closing the window ends its take; the files stay valid WAVs.
    if (m_take.running())
        m_take.stop();
    if (m_overdub.running())
        m_overdub.stop();
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
            // The take goes into new working WAVs; the tracks wait for it untouched.
            for (TrackSide side : {TrackSide::Voice, TrackSide::Music}) {
                m_parked[std::size_t(side)] = roads.track(side);
                roads.track(side).reset();
            }
        }
        if (!m_insert) {
            if (messages.ShowMessageBox(QStringLiteral("Do You Want To Clear Existing Recording And Start New Recording."),
                                        vendor, platform::MB_YESNO | platform::MB_ICONQUESTION)
                != platform::IDYES)
                return;
            roads.dropTrack(TrackSide::Voice);
            roads.dropTrack(TrackSide::Music);
            m_form.SetControlState(ControlState::NoTrack);
        }
    }
    if (!roads.track(TrackSide::Voice))
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
    return m_services.messages.ShowMessageBox(QStringLiteral("Do you want to start recording now?"),
                                              QString::fromLatin1(kRecorderCaption), platform::MB_YESNO)
        == platform::IDYES;
}

void RecordingControls::startTake()
{
    if (!readyToRecord()) {
        popUp();
        return;
    }
    const QString folder = m_services.tempFolder();
    TrackRoads& roads = m_form.trackRoads();
    const WaveFormatEx format = roads.recordingFormat();
    const QString voice = takeFileName(folder);
    const QString music = takeFileName(folder);
    if (voice.isEmpty() || music.isEmpty()) {
        popUp();
        m_services.messages.ShowErrorMessage(LoadCode::NoTempFile);
        return;
    }
    m_busy.emplace(m_form.busyFlag());
    if (const uint16_t code = m_take.start(voice, music, format, -1)) {
        ShowMappedError(m_services.messages, code, PlayerErrorToMessageId);
        popUp();
        m_busy.reset();
        return;
    }
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
    showCaptions(true);
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

void RecordingControls::stopTake()
{
    popUp();
    m_positionTimer.stop();
    m_spaceTimer.stop();
    if (const uint16_t code = m_take.stop())
        ShowMappedError(m_services.messages, code, PlayerErrorToMessageId);
    m_form.faderController().endTake();
    m_form.playback().resetMeters();
    showCaptions(false);
    m_form.setRecordingFlags(false, false);
    m_busy.reset();
    if (m_insert)
        insertTakes();
    m_form.ReloadVoiceTrack();
    m_form.ReloadMusicTrack();
    m_form.SetControlState(ControlState::BothTracks);
    ControlChange pause;
    pause.enabled = false;
    pause.caption = QStringLiteral("Pause");
    m_form.ApplyControlChanges({{Control::PauseRecordingButton, pause}});
    for (Control c : {Control::PreRecordedWaveDisplay, Control::RecordingWaveDisplay})
        control<TQzv32WaveDisplay>(c)->setCaretPositionBySamples(0);
    m_form.ShowPosition(0, kPositionFrames);
    if (std::optional<TrackRecord>& music = m_form.trackRoads().track(TrackSide::Music))
        music->state = kTrackChanged;
}

void RecordingControls::insertTakes()
{
    m_insert = false;
    TrackRoads& roads = m_form.trackRoads();
    const QString folder = m_services.tempFolder();
    for (TrackSide side : {TrackSide::Voice, TrackSide::Music}) {
        std::optional<TrackRecord>& parked = m_parked[std::size_t(side)];
        std::optional<TrackRecord>& live = roads.track(side);
        if (!parked || !live)
            continue;
        const TakeInsert insert{parked->workingPath, live->workingPath, takeFileName(folder)};
        if (insertTake(m_services.runner, m_services.engine, m_services.messages, insert, m_insertPosition) != 0) {
            QFile::remove(insert.result);
            // Each track not inserted yet stays as it was before the take, and its take goes; a
            // voice track already inserted keeps its insert.
            for (TrackSide s : {TrackSide::Voice, TrackSide::Music}) {
                std::optional<TrackRecord>& kept = m_parked[std::size_t(s)];
                if (!kept)
                    continue;
                if (const std::optional<TrackRecord>& take = roads.track(s))
                    QFile::remove(take->workingPath);
                roads.track(s) = kept;
                kept.reset();
            }
            return;
        }
        QFile::remove(parked->workingPath);
        QFile::remove(GetPeakFileName(parked->workingPath, folder));
        QFile::remove(live->workingPath);
        TrackRecord merged = *parked;
        merged.workingPath = insert.result;
        merged.state = kTrackChanged;
        live = merged;
        parked.reset();
    }
}

void RecordingControls::showCaptions(bool recording)
{
    control<TQzv32WaveDisplay>(Control::PreRecordedWaveDisplay)
        ->setNoSamplePresentText(recording ? QStringLiteral("Recording Voice Track...") : QStringLiteral("Voice Track Space."));
    control<TQzv32WaveDisplay>(Control::RecordingWaveDisplay)
        ->setNoSamplePresentText(recording ? QStringLiteral("Recording Music Track...") : QStringLiteral("Music Track Space."));
    auto* label = m_form.findChild<QLabel*>(QStringLiteral("RecordingLabel"));
    label->setText(QStringLiteral("Recording"));
    label->setVisible(recording);
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
    m_form.findChild<QLabel*>(QStringLiteral("RecordingLabel"))
        ->setText(m_take.paused() ? QStringLiteral("Paused") : QStringLiteral("Recording"));
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
    roads.dropTrack(recorded);
    if (!readyToRecord()) {
        popUpOverdub(side);
        m_form.SetControlState(roads.track(played) ? (played == TrackSide::Voice ? ControlState::MusicWithoutVoice
                                                                                  : ControlState::VoiceWithoutMusic)
                                                   : ControlState::NoTrack);
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
    m_busy.emplace(m_form.busyFlag());
    if (const uint16_t code = m_overdub.start(side, takeWav, format, playWav, playStart)) {
        ShowMappedError(m_services.messages, code, PlayerErrorToMessageId);
        popUpOverdub(side);
        m_busy.reset();
        return;
    }
    TrackRecord record;
    record.workingPath = takeWav;
    record.state = kTrackChanged;
    record.source = TrackSourceKind::Wave;
    record.waveFormat = format;
    roads.track(recorded) = record;
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
    showCaptions(true);
    m_form.ShowPosition(0, kPositionFrames);
    m_positionTimer.start();
    m_spaceTimer.start();
}

void RecordingControls::stopOverdub()
{
    m_positionTimer.stop();
    m_spaceTimer.stop();
    const OverdubSide side = m_overdub.side();
    if (const uint16_t code = m_overdub.stop())
        ShowMappedError(m_services.messages, code, PlayerErrorToMessageId);
    m_form.playback().resetMeters();
    showCaptions(false);
    m_form.setRecordingFlags(false, false);
    m_busy.reset();
    popUpOverdub(side);
    TrackRoads& roads = m_form.trackRoads();
    placeOverdub(side == OverdubSide::Voice ? TrackSide::Voice : TrackSide::Music, m_overdub.placedAt());
    const std::optional<TrackRecord>& voice = roads.track(TrackSide::Voice);
    const std::optional<TrackRecord>& music = roads.track(TrackSide::Music);
    if (voice && music)
        EqualizeTrackLengths(voice->workingPath, music->workingPath, roads.recordingFormat().bitsPerSample == 8);
    m_form.ReloadVoiceTrack();
    m_form.ReloadMusicTrack();
    const bool both = roads.track(TrackSide::Voice) && roads.track(TrackSide::Music);
    m_form.SetControlState(both ? ControlState::BothTracks
                                : roads.track(TrackSide::Voice) ? ControlState::VoiceWithoutMusic
                                                                : ControlState::MusicWithoutVoice);
    for (Control c : {Control::PreRecordedWaveDisplay, Control::RecordingWaveDisplay})
        control<TQzv32WaveDisplay>(c)->setCaretPositionBySamples(0);
    m_form.ShowPosition(0, kPositionFrames);
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
