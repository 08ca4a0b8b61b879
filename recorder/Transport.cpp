#include "recorder/Transport.h"

#include "platform/audio/AudioEngine.h"
#include "platform/base/Rounding.h"

#include <algorithm>

namespace recorder {

namespace {

using enum Control;

ControlChange enabled(bool on)
{
    ControlChange change;
    change.enabled = on;
    return change;
}

ControlChange down(bool pressed)
{
    ControlChange change;
    change.down = pressed;
    return change;
}

ControlChange enabledAndDown(bool on, bool pressed)
{
    ControlChange change;
    change.enabled = on;
    change.down = pressed;
    return change;
}

TransportStep play(EngineCall call, PlayKind kind)
{
    TransportStep step;
    step.accepted = true;
    step.call = call;
    step.kind = kind;
    step.state = ControlState::Playing;
    step.positionTimer = true;
    return step;
}

TransportStep stop(const TransportSituation& s)
{
    TransportStep step;
    step.accepted = true;
    step.call = EngineCall::Stop;
    // One track records while the other plays: the recording keeps the timer and the controls.
    if (s.recording)
        return step;
    step.positionTimer = false;
    step.resetMeters = true;
    step.state = ControlState::PlaybackStopped;
    step.changes.push_back({PauseBtn, down(false)});
    switch (s.kind) {
    case PlayKind::Voice:
        step.changes.push_back({PreRecordedPlayBtn, down(false)});
        step.ticks.push_back({PlaybackVoiceTrackMenu, false});
        if (s.musicTrack) {
            step.changes.push_back({RecordingPlayBtn, enabled(true)});
            step.changes.push_back({PlaybackMixedTrackMenu, enabled(true)});
            step.changes.push_back({PlaybackMusicTrackMenu, enabled(true)});
        }
        break;
    case PlayKind::Music:
        step.changes.push_back({RecordingPlayBtn, enabledAndDown(true, false)});
        step.changes.push_back({PlaybackMusicTrackMenu, enabled(true)});
        step.changes.push_back({PlaybackMixedTrackMenu, enabled(true)});
        step.ticks.push_back({PlaybackMusicTrackMenu, false});
        break;
    case PlayKind::Mix:
        step.changes.push_back({MixedPlayBtn, enabledAndDown(true, false)});
        step.changes.push_back({RecordingPlayBtn, enabled(true)});
        step.changes.push_back({PlaybackMixedTrackMenu, enabled(true)});
        step.changes.push_back({PlaybackMusicTrackMenu, enabled(true)});
        step.ticks.push_back({PlaybackMixedTrackMenu, false});
        break;
    case PlayKind::None:
        break;
    }
    return step;
}

} // namespace

TransportStep transportStep(const TransportSituation& s, TransportCommand command)
{
    const bool idle = s.kind == PlayKind::None;
    switch (command) {
    case TransportCommand::PlayVoice: {
        if (!s.voiceTrack || !idle)
            return {};
        TransportStep step = play(EngineCall::PlayVoice, PlayKind::Voice);
        step.changes.push_back({PreRecordedPlayBtn, down(true)});
        step.ticks.push_back({PlaybackVoiceTrackMenu, true});
        if (s.musicTrack) {
            for (Control c : {MixedPlayBtn, RecordingPlayBtn, PlaybackMixedTrackMenu, PlaybackMusicTrackMenu})
                step.changes.push_back({c, enabled(false)});
        }
        return step;
    }
    case TransportCommand::PlayMusic: {
        if (!s.musicTrack || s.recording || !idle)
            return {};
        TransportStep step = play(EngineCall::PlayMusic, PlayKind::Music);
        step.changes.push_back({PlaybackMusicTrackMenu, enabled(false)});
        step.changes.push_back({PlaybackMixedTrackMenu, enabled(false)});
        step.changes.push_back({RecordingPlayBtn, enabledAndDown(false, true)});
        step.changes.push_back({MixedPlayBtn, enabled(false)});
        step.ticks.push_back({PlaybackMusicTrackMenu, true});
        return step;
    }
    case TransportCommand::PlayMix: {
        if (!s.voiceTrack || !s.musicTrack || s.recording || !idle)
            return {};
        TransportStep step = play(EngineCall::PlayMix, PlayKind::Mix);
        step.changes.push_back({PlaybackMixedTrackMenu, enabled(false)});
        step.changes.push_back({PlaybackMusicTrackMenu, enabled(false)});
        step.changes.push_back({MixedPlayBtn, enabledAndDown(false, true)});
        step.changes.push_back({RecordingPlayBtn, enabled(false)});
        step.ticks.push_back({PlaybackMixedTrackMenu, true});
        return step;
    }
    case TransportCommand::Pause: {
        if (idle || s.recording || !(s.voiceTrack || s.musicTrack))
            return {};
        TransportStep step;
        step.accepted = true;
        step.kind = s.kind;
        step.paused = !s.paused;
        step.call = s.paused ? EngineCall::Resume : EngineCall::Pause;
        step.positionTimer = s.paused;
        step.changes.push_back({PauseBtn, down(!s.paused)});
        return step;
    }
    case TransportCommand::Stop:
        if (idle || !(s.voiceTrack || s.musicTrack))
            return {};
        return stop(s);
    }
    return {};
}

std::optional<int64_t> fastForwardTarget(int64_t position, int64_t totalFrames)
{
    const int64_t target = position + totalFrames * 2 / 100;
    if (target >= totalFrames)
        return std::nullopt;
    return target;
}

int64_t rewindTarget(int64_t position, int64_t totalFrames, int64_t playStart)
{
    return std::max(position - totalFrames * 2 / 100, playStart);
}

std::optional<ZoomView> zoomOut(uint32_t zoom, int64_t left, int64_t right, uint32_t maxZoom)
{
    if (zoom == 0)
        return ZoomView{1, left};
    const int64_t newLeft = std::max<int64_t>(0, left - platform::divRoundHalfEven(right - left, 2));
    if (uint64_t(zoom) * 2 > maxZoom)
        return std::nullopt;
    return ZoomView{zoom * 2, newLeft};
}

ZoomView zoomIn(uint32_t zoom, int64_t left, int64_t right)
{
    if (zoom > 3)
        return {uint32_t(platform::divRoundHalfEven(zoom, 2)), left + platform::divRoundHalfEven(right - left, 4)};
    return {1, left};
}

uint16_t PlaybackTransport::run(const TransportStep& step, const PlaySource& source)
{
    if (!step.accepted)
        return 0;
    uint16_t code = 0;
    int64_t start = m_playStart;
    int64_t total = m_total;
    switch (step.call) {
    case EngineCall::None:
        break;
    case EngineCall::PlayVoice:
        start = source.voiceCaret;
        total = source.voiceTotal;
        code = m_engine.AudioPlayWave(source.voiceWav, start, 1, 0, 0, total);
        break;
    case EngineCall::PlayMusic:
        start = source.musicCaret;
        total = source.musicTotal;
        code = m_engine.AudioPlayWave(source.musicWav, start, 1, 0, 0, total);
        break;
    case EngineCall::PlayMix:
        start = source.voiceCaret;
        total = source.voiceTotal;
        code = m_engine.AudioPlayMixWave(source.voiceWav, source.musicWav, start, 1, 0, 0, total,
                                         source.preventSaturation ? -1 : 0);
        break;
    case EngineCall::Pause:
        code = m_engine.AudioPause();
        break;
    case EngineCall::Resume:
        code = m_engine.AudioResume();
        break;
    case EngineCall::Stop:
        code = m_engine.AudioStop();
        break;
    }
    if (code != 0)
        return code;
    m_kind = step.kind;
    m_paused = step.paused;
    m_playStart = start;
    m_total = total;
    return 0;
}

TransportPoll PlaybackTransport::poll()
{
    TransportPoll poll;
    if (!playing())
        return poll;
    poll.position = m_engine.AudioGetPosition(1);
    m_engine.AudioGetPlaybackLevel(&poll.left, &poll.right);
    return poll;
}

std::optional<int64_t> PlaybackTransport::fastForward(uint16_t* code)
{
    const std::optional<int64_t> target = fastForwardTarget(m_engine.AudioGetPosition(1), m_total);
    *code = target ? moveTo(*target) : 0;
    return target;
}

int64_t PlaybackTransport::rewind(uint16_t* code)
{
    const int64_t target = rewindTarget(m_engine.AudioGetPosition(1), m_total, m_playStart);
    *code = moveTo(target);
    return target;
}

uint16_t PlaybackTransport::moveTo(int64_t position)
{
    return m_engine.AudioMoveTo(position, 1);
}

} // namespace recorder
