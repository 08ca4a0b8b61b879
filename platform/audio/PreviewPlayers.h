#pragma once
// The preview playback of the WMA library (Plivorn) and of the Ogg Vorbis library (VXVorbisToWav):
// their calls over the engine's own preview (AudioEngine::playDecoded), so a preview of any kind
// plays on the engine's output with its positions, seeks and ended message. One engine plays one
// thing at a time: a preview started while something plays is refused with 101.

#include "platform/audio/AudioEngine.h"

#include <QString>

#include <cstdint>

namespace platform::audio {

class PlivornPlayback {
public:
    explicit PlivornPlayback(AudioEngine& engine)
        : m_engine(engine)
    {
    }

    // Plays file (WMA, or any other audio file the decoder reads) from startMs to endMs (0: its end)
    // and writes the preview's handle into *cell. The output is the engine's (device is not used).
    // 0 or a player code (see AudioEngine::AudioPlayMP3); *cell is 0 on failure.
    uint16_t StartPlayBack(uint32_t* cell, uint32_t device, const QString& file, uint32_t startMs, uint32_t,
                           uint32_t endMs);
    // Stops the preview of handle (nothing else); 117 when it no longer plays.
    uint16_t StopPlayBack(uint32_t handle);
    // Pause and resume the preview of handle: 117 when it no longer plays; resuming one that is not
    // paused gives 101.
    uint16_t PausePlayBack(uint32_t handle);
    uint16_t ResumePlayBack(uint32_t handle);
    // The position heard, in ms, into *positionMs: 0 while the preview plays, 1 once it is over
    // (it reached its end or was stopped) or for another handle, with *positionMs then 0.
    int GetPlayBackPosition(uint32_t handle, uint32_t* positionMs);

private:
    bool playing(uint32_t handle) const { return handle != 0 && handle == m_engine.currentPlayback(); }

    AudioEngine& m_engine;
};

class VorbisPlayback {
public:
    explicit VorbisPlayback(AudioEngine& engine)
        : m_engine(engine)
    {
    }

    // Plays an Ogg Vorbis file from its start. bits: the sample size asked, 16 (anything else 104).
    // 0 or a player code; 104 also for a file that is no Ogg Vorbis.
    uint16_t PlayVorbisFile(const QString& file, int bits);
    // Stops the Vorbis preview (nothing else); 0 also when none plays.
    uint16_t StopPlay();
    // Pauses the Vorbis preview, or resumes it when it is paused (the library has no call of its
    // own to resume); 117 when none plays.
    uint16_t PausePlay();
    // Goes to seconds in the playing preview; 117 outside it or when none plays.
    uint16_t TimeSeek(double seconds);
    // The position heard, in seconds; 0 when no Vorbis preview plays.
    double GetCurrentPosition();

private:
    bool playing() const;

    AudioEngine& m_engine;
    uint32_t m_handle = 0;
};

} // namespace platform::audio
