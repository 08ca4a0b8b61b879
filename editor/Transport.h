#pragma once
// The main window's transport without widgets: which of play, pause, stop, record, the level test
// and the engine's end messages is taken in which state, and what each asks of the audio engine;
// the range Play plays; the targets of the seek buttons; the keys that click transport buttons;
// and the clip lamps over the level meters.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

enum class TransportState { Stopped, Playing, Paused, Recording, LevelTest };

enum class TransportCommand {
    Play,           // Play, Play From Start
    Pause,          // the Pause button, which also resumes
    Stop,
    Record,         // the record button: starts, or stops a recording
    PlaybackEnded,  // the engine's message: the range has been played
    RecordingEnded, // the engine's message: the input went away or the take could not be written
    LevelTest,      // start the level test
};

// The engine calls a command makes, in order.
enum class EngineCall { StopLevelTest, Play, Resume, Pause, Stop, StartRecord, StopRecord, StartLevelTest };

struct TransportSituation {
    TransportState state = TransportState::Stopped;
    bool document = false;      // a current document
    bool audio = false;         // the current document holds audio
    bool alwaysTestLevels = false;
};

// What a command does: the calls, and the state once all of them succeeded. A refused command has
// no calls and leaves the state. A call that fails leaves the state its predecessors made.
struct TransportStep {
    std::vector<EngineCall> calls;
    TransportState next = TransportState::Stopped;
    friend bool operator==(const TransportStep&, const TransportStep&) = default;
};

// Record without a document is taken: the window first makes one (see StartStopRecording).
TransportStep transportStep(const TransportSituation& situation, TransportCommand command);

// The range Play plays, in frames; end 0 plays to the end of the file. Without a selection from the
// caret, or from 0 when the caret is at the end; with one, the selection in order.
struct PlayRangeFrames {
    int64_t start = 0;
    int64_t end = 0;
    friend bool operator==(const PlayRangeFrames&, const PlayRangeFrames&) = default;
};
PlayRangeFrames playRangeFor(int64_t caret, int64_t selectionStart, int64_t selectionEnd, int64_t total);

// Forward moves on by 5 % of the file; at or past its end the playback stops (none).
std::optional<int64_t> forwardTarget(int64_t position, int64_t total);
// Rewind moves back by 5 % of the file, not before its start.
int64_t rewindTarget(int64_t position, int64_t total);
// Skip to end: the selection's larger end, else the end of the file. Skip to start: the smaller
// end, else 0.
int64_t skipToEndTarget(int64_t selectionStart, int64_t selectionEnd, int64_t total);
int64_t skipToStartTarget(int64_t selectionStart, int64_t selectionEnd);

// The buttons a key clicks when it is released in the main window.
enum class TransportButton { Play, Pause, Stop, Record };
struct TransportKey {
    int key = 0;            // Qt::Key
    bool alt = false;
    bool otherModifier = false; // Shift, Ctrl or Meta held
};
std::optional<TransportButton> buttonForKey(const TransportKey& key, bool playing, bool recording);

// A channel whose level passes this lights its clip lamp.
inline constexpr int kClipLevel = 95;
// How long a lamp stays lit after the last level that passed it.
inline constexpr int kClipHoldMs = 3000;

// The two clip lamps: lit by a level above kClipLevel, put out together when the clip timer runs
// out (or the transport stops).
class ClipLamps {
public:
    // Levels of one poll: true when a lamp was lit by them, and the clip timer starts again.
    bool levels(int left, int right);
    void off() { m_lit = {false, false}; }
    bool lit(int channel) const { return m_lit[channel != 0 ? 1 : 0]; }

private:
    std::array<bool, 2> m_lit{};
};
