#pragma once
// The fader automation of a take: every move of the fader while a take records, stamped with the
// frame of the audio clock at which it happened (the take's recorded frames, which leave out paused
// time and follow the sound card rather than the wall clock), and read back by frame when the mix
// plays or is mixed down, so a move lands on the same audio whatever the load of the machine.

#include <cstdint>
#include <vector>

namespace recorder {

class TMixFade {
public:
    struct Entry {
        int64_t frame = 0;
        int value = 0;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    int Min() const { return m_min; }
    int Max() const { return m_max; }
    int Value() const { return m_value; }
    bool Recording() const { return m_recording; }
    bool Paused() const { return m_paused; }
    const std::vector<Entry>& Entries() const { return m_entries; }

    void SetRange(int min, int max);
    void Clear();
    // Starts a new automation at frame with the current value as its first entry.
    void StartRecording(int64_t frame);
    // The fader is at value since frame: recorded while recording and not paused, when it changed.
    // Frames never run backwards in the list: an earlier frame is taken as the last entry's.
    void SetFaderValue(int value, int64_t frame);
    void Pause();
    void Resume();
    void StopRecording();
    // The value of the last entry at or before frame (the later of two at one frame); the current
    // value when none is.
    int GetValueAtFrame(int64_t frame) const;

private:
    int m_min = 0;
    int m_max = 100;
    int m_value = 50;
    bool m_recording = false;
    bool m_paused = false;
    std::vector<Entry> m_entries;
};

// The fader's value at a track frame as playback and the mix-down replay an automation: the recorded
// value from the automation's first entry on; before it, and without one, the fader's present value.
int faderValueAt(const TMixFade* automation, int fader, int64_t frame);

} // namespace recorder
