#pragma once
// One playback of the engine: a single WAV, or two mixed, over a frame range, on one output stream.
// The samples come from WaveSources read ahead on the prefetch thread; the output callback mixes
// them with the gains it reads at each call (so a gain change is heard from the next buffer).
//
// A seek closes the stream and opens a new one at the new frame, so the position is always the
// first frame of the current stream part plus what of it has become audible (latency included),
// and never goes backwards within a part. The end of the range, or a stream that fails, posts the
// ended message once through the session's `ended` function.

#include "platform/audio/AudioBackend.h"
#include "platform/audio/FileSet.h"
#include "platform/audio/LevelMeter.h"
#include "platform/audio/MixData.h"
#include "platform/audio/WaveSource.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace platform::audio {

// The four gains of SetVolume, read by the audio thread.
struct LiveGains {
    std::atomic<float> firstLeft{1.0f};
    std::atomic<float> firstRight{1.0f};
    std::atomic<float> secondLeft{1.0f};
    std::atomic<float> secondRight{1.0f};

    MixGains load() const;
};

struct PlaybackSetup {
    AudioBackend* backend = nullptr;
    Prefetcher* prefetcher = nullptr;
    const LiveGains* gains = nullptr;
    QString device;               // empty: the server's default output
    QString first;                // the file played, or the voice of a mix
    QString second;               // the music of a mix; empty for a single file
    std::shared_ptr<const FileSet> set; // played instead of the file `first` when given
    int64_t start = 0;            // frames
    int64_t end = 0;              // frames; 0 or past the end of the first file: its end
    bool preventSaturation = false;
    std::function<void(bool saturated)> ended; // called once, from any thread
};

class PlaybackSession {
public:
    // 0 or a code: the file codes of openPcmWave, 104 a format the engine cannot play, 107 the two
    // files of a mix differ in format, 117 nothing to play in the range, 105 no output stream. A
    // set's frames play as a file's would.
    static uint16_t start(PlaybackSetup setup, std::unique_ptr<PlaybackSession>& session);
    ~PlaybackSession();

    const StreamFormat& format() const { return m_format; }
    bool paused() const { return m_paused; }
    int64_t end() const { return m_end; }

    // 0, or 101 when not paused.
    uint16_t resume();
    void pause();
    // frame within [0, end): 0, or a code of start(); 117 outside. A failure leaves no stream.
    uint16_t moveTo(int64_t frame);
    int64_t position();
    void levels(int* left, int* right);

private:
    struct Part;

    explicit PlaybackSession(PlaybackSetup setup);
    uint16_t openPart(int64_t frame);
    void closePart();
    void finish(); // posts the ended message, once

    PlaybackSetup m_setup;
    StreamFormat m_format;
    int64_t m_end = 0;
    int64_t m_secondFrames = 0;
    bool m_paused = false;
    int64_t m_pausedAt = 0;      // the frame a seek while paused will resume from
    std::atomic<bool> m_saturated{false};
    std::atomic<bool> m_finished{false};
    std::unique_ptr<Part> m_part;
};

} // namespace platform::audio
