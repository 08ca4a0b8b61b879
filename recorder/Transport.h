#pragma once
// The recording window's transport without widgets: which play, pause and stop commands are taken
// in which situation, what each asks of the audio engine and which controls it switches, the
// fast-forward and rewind steps, the clip threshold of the meters, and PlaybackTransport, which
// runs the commands against the engine and reads the position and levels the position timer shows.

#include "recorder/SetControlState.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace platform::audio {
class AudioEngine;
}

namespace recorder {

enum class PlayKind { None = 0, Voice = 1, Music = 2, Mix = 3 };

enum class TransportCommand { PlayVoice, PlayMusic, PlayMix, Pause, Stop };

// What the commands depend on.
struct TransportSituation {
    bool voiceTrack = false; // loaded and not empty
    bool musicTrack = false;
    bool recording = false;
    PlayKind kind = PlayKind::None; // what plays now
    bool paused = false;
};

enum class EngineCall { None, PlayVoice, PlayMusic, PlayMix, Pause, Resume, Stop };

// A Playback menu item's tick.
struct MenuTick {
    Control item;
    bool checked;
    friend bool operator==(const MenuTick&, const MenuTick&) = default;
};

// What a command does when the engine call succeeds. A refused command (accepted false) only pops
// its button up again.
struct TransportStep {
    bool accepted = false;
    EngineCall call = EngineCall::None;
    PlayKind kind = PlayKind::None; // afterwards
    bool paused = false;            // afterwards
    std::optional<ControlState> state;
    std::vector<std::pair<Control, ControlChange>> changes; // after the state, in this order
    std::vector<MenuTick> ticks;
    std::optional<bool> positionTimer; // started (true) or stopped (false)
    bool resetMeters = false;          // both meters to 0, both lamps off, the clip timer stopped
};

TransportStep transportStep(const TransportSituation& situation, TransportCommand command);

// Fast forward moves 2 % of the track on; at or past its end the playback stops (nullopt).
std::optional<int64_t> fastForwardTarget(int64_t position, int64_t totalFrames);
// Rewind moves 2 % of the track back, never before the sample where the playback started.
int64_t rewindTarget(int64_t position, int64_t totalFrames, int64_t playStart);
// A channel whose level passes this lights its clip lamp.
inline constexpr int kClipLevel = 95;
inline bool clips(int level) { return level > kClipLevel; }

// A display's zoom level and first visible frame.
struct ZoomView {
    uint32_t zoom = 1;
    int64_t left = 0;
    friend bool operator==(const ZoomView&, const ZoomView&) = default;
};
// Zoom out from the view [left, right]: twice the frames per pixel, the view widened by half its
// span to the left (not before frame 0); nullopt when that would pass maxZoom. Level 0 counts as 1.
std::optional<ZoomView> zoomOut(uint32_t zoom, int64_t left, int64_t right, uint32_t maxZoom);
// Zoom in: above level 3, half the level with the view narrowed by a quarter of its span from the
// left; otherwise level 1 where the view starts.
ZoomView zoomIn(uint32_t zoom, int64_t left, int64_t right);

// The files and ranges a playback starts from.
struct PlaySource {
    QString voiceWav;
    QString musicWav;
    int64_t voiceCaret = 0;
    int64_t musicCaret = 0;
    int64_t voiceTotal = 0;
    int64_t musicTotal = 0;
    bool preventSaturation = false;
};

// One poll of the position timer.
struct TransportPoll {
    int64_t position = 0;
    int left = 0;
    int right = 0;
};

// Runs transport steps on the engine and keeps what plays. GUI thread only.
class PlaybackTransport {
public:
    explicit PlaybackTransport(platform::audio::AudioEngine& engine)
        : m_engine(engine)
    {
    }

    // The engine's result of the step's call (0 when it made none); the kind, pause flag and play
    // start change only on success.
    uint16_t run(const TransportStep& step, const PlaySource& source);

    PlayKind kind() const { return m_kind; }
    bool playing() const { return m_kind != PlayKind::None; }
    bool paused() const { return m_paused; }
    int64_t playStart() const { return m_playStart; }

    // While playing: the audible position and the playback levels; otherwise zeros.
    TransportPoll poll();
    // Fast forward and rewind on the running playback: the new position, or nullopt when fast
    // forward ran past the end (the caller stops). Codes of a failed seek go to *code.
    std::optional<int64_t> fastForward(uint16_t* code);
    int64_t rewind(uint16_t* code);
    uint16_t moveTo(int64_t position);

private:
    platform::audio::AudioEngine& m_engine;
    PlayKind m_kind = PlayKind::None;
    bool m_paused = false;
    int64_t m_playStart = 0;
    int64_t m_total = 0;
};

} // namespace recorder
