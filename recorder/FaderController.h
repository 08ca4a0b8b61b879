#pragma once
// The fader and the two trims of the recording window without their widgets: the gains they give
// the engine, the automation a take records, its replay by frame and the displays' tint. The window
// feeds it the user's moves and the audio clock; the recording and playback roads drive the take
// and the replay through the entry points below. Frames are the tracks' frames: a take that starts
// at track frame F passes F to beginTake and then its own recorded frame count with every move.

#include "recorder/FaderTint.h"
#include "recorder/MixFade.h"
#include "recorder/TrackGains.h"

#include <functional>
#include <memory>

namespace recorder {

class FaderController {
public:
    // Receives the gains whenever they are applied; the window hands them to the engine.
    using GainsSink = std::function<void(const EngineGains&)>;
    // Receives the displays' new colours after a move of the fader.
    using TintSink = std::function<void(const TintChange&)>;

    explicit FaderController(GainsSink gains, TintSink tint = {});

    int fader() const { return m_fader; }
    int voiceTrim() const { return m_voiceTrim; }
    int musicTrim() const { return m_musicTrim; }
    GainRoute route() const { return m_route; }
    // The automation of the last take; null before the first take and after reset.
    const TMixFade* automation() const { return m_automation.get(); }

    // What plays from now on; applies the gains for it.
    void setRoute(GainRoute route);
    // The colours the tint starts from and the scheme's background.
    void setTintColours(uint32_t voice, uint32_t music, uint32_t background);

    // The user moved the fader at this frame of the audio clock (take frames while a take runs).
    // Ignored while the take is paused; recorded while it runs.
    void onFaderMoved(int64_t frame, int value);
    void onVoiceTrimMoved(int value);
    void onMusicTrimMoved(int value);
    // The fader put somewhere by a control state: the gains and the tint follow, nothing is recorded.
    void setFader(int value);
    // Hands the present gains to the engine (the control states that apply the fader).
    void applyFader();
    // Both displays get the background again (a playback starts); the next move tints from the
    // middle.
    void restoreTint();

    // A take (or a re-mix pass) starts at track frame origin: a new automation whose first entry
    // holds the fader's value there.
    void beginTake(int64_t origin);
    void pauseTake();
    void resumeTake();
    void endTake();
    bool takeRunning() const;
    // Forgets the automation (the tracks were closed).
    void reset();

    // The fader's recorded value at a track frame; its present value before the take's first frame
    // and without an automation.
    int valueAt(int64_t frame) const;
    // The gains at a track frame by the automation and the present trims.
    TrackGains gainsAt(int64_t frame) const;
    // Playback reached frame: the fader goes to the recorded value and the gains follow. Returns the
    // value.
    int replayAt(int64_t frame);

private:
    void moveTint();

    GainsSink m_gainsSink;
    TintSink m_tintSink;
    GainRoute m_route = GainRoute::Mixed;
    int m_fader = 0;
    int m_voiceTrim = 0;
    int m_musicTrim = 0;
    int64_t m_origin = 0;
    std::unique_ptr<TMixFade> m_automation;
    FaderTint m_tint;
    uint32_t m_voiceColour = 0xFFFFFF;
    uint32_t m_musicColour = 0xFFFFFF;
    uint32_t m_background = 0xFFFFFF;
};

} // namespace recorder
