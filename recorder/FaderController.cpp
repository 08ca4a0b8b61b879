#include "recorder/FaderController.h"

#include <algorithm>

namespace recorder {

namespace {

int clampToRange(int value)
{
    return std::clamp(value, kFaderMin, kFaderMax);
}

} // namespace

FaderController::FaderController(GainsSink gains, TintSink tint)
    : m_gainsSink(std::move(gains)), m_tintSink(std::move(tint))
{
}

void FaderController::setRoute(GainRoute route)
{
    m_route = route;
    applyFader();
}

void FaderController::setTintColours(uint32_t voice, uint32_t music, uint32_t background)
{
    m_voiceColour = voice;
    m_musicColour = music;
    m_background = background;
}

void FaderController::onFaderMoved(int64_t frame, int value)
{
    if (m_automation && m_automation->Paused())
        return;
    m_fader = clampToRange(value);
    if (takeRunning()) {
        m_automation->SetFaderValue(m_fader, m_origin + frame);
        moveTint();
        applyFader();
    } else {
        applyFader();
        moveTint();
    }
}

void FaderController::onVoiceTrimMoved(int value)
{
    m_voiceTrim = clampToRange(value);
    applyFader();
}

void FaderController::onMusicTrimMoved(int value)
{
    m_musicTrim = clampToRange(value);
    applyFader();
}

void FaderController::setFader(int value)
{
    m_fader = clampToRange(value);
    applyFader();
    // The tint follows, so that a fader put back to 0 leaves no track tinted and the next move
    // steps from where the fader is.
    if (m_fader != m_tint.last())
        moveTint();
}

void FaderController::applyFader()
{
    if (m_gainsSink)
        m_gainsSink(engineGains(trackGains(m_fader, m_voiceTrim, m_musicTrim), m_route));
}

void FaderController::restoreTint()
{
    m_tint = FaderTint();
    m_voiceColour = m_background;
    m_musicColour = m_background;
    if (m_tintSink)
        m_tintSink(TintChange{m_background, m_background});
}

void FaderController::beginTake(int64_t origin)
{
    m_origin = origin;
    m_automation = std::make_unique<TMixFade>();
    m_automation->SetRange(kFaderMin, kFaderMax);
    m_automation->SetFaderValue(m_fader, origin);
    m_automation->StartRecording(origin);
}

void FaderController::pauseTake()
{
    if (m_automation)
        m_automation->Pause();
}

void FaderController::resumeTake()
{
    if (m_automation)
        m_automation->Resume();
}

void FaderController::endTake()
{
    if (m_automation)
        m_automation->StopRecording();
}

bool FaderController::takeRunning() const
{
    return m_automation && m_automation->Recording() && !m_automation->Paused();
}

void FaderController::reset()
{
    m_automation.reset();
}

int FaderController::valueAt(int64_t frame) const
{
    return faderValueAt(m_automation.get(), m_fader, frame);
}

TrackGains FaderController::gainsAt(int64_t frame) const
{
    return trackGains(valueAt(frame), m_voiceTrim, m_musicTrim);
}

int FaderController::replayAt(int64_t frame)
{
    if (takeRunning())
        return m_fader; // a re-mix pass records the fader instead
    const int value = valueAt(frame);
    if (value != m_fader) {
        m_fader = value;
        moveTint();
    }
    applyFader();
    return value;
}

void FaderController::moveTint()
{
    const TintChange change = m_tint.move(m_fader, m_voiceColour, m_musicColour, m_background);
    if (change.voice)
        m_voiceColour = *change.voice;
    if (change.music)
        m_musicColour = *change.music;
    if (m_tintSink && (change.voice || change.music))
        m_tintSink(change);
}

} // namespace recorder
