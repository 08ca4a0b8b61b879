#pragma once
// The music take: the pads mixed into a WAV in the recording format and heard through an output
// stream.
//
// Two clocks drive it. While a voice recording of the engine runs, the take follows the voice
// capture (CaptureFollower): every captured frame written to the voice take renders one frame of
// pads into the music take, and it starts with as many silent frames as the voice take held when
// the music take was attached, so both takes have the same length and stay sample-aligned. What is
// heard is then a copy of what goes into the take, passed to the output through a ring; the input
// and output clocks drift a little, which the ring absorbs: when it runs dry the output plays
// silence, and when it holds more than half a second the output skips ahead to a tenth of a second.
// Without a voice recording the output stream's callback renders the pads and writes them to the
// take.
//
// The gain of SetWaveOutAttenLevel applies to what is heard only; the take is written at unity.

#include "platform/audio/AudioBackend.h"
#include "platform/audio/RecordSession.h"
#include "platform/audio/RingBuffer.h"
#include "platform/audio/TakeWriter.h"
#include "platform/audio/WaveSource.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::audio {

struct MusicTakeSetup {
    AudioBackend* backend = nullptr;
    Prefetcher* prefetcher = nullptr;
    QString path;
    StreamFormat format;
    QString device;            // empty: the server's default output
    bool followsCapture = false;
    // On the output's clock, lined up with a playback: see MusicTrackLibrary::PrepareMusicTrackOverdub.
    bool overdub = false;
    std::function<void(int index, uint32_t generation)> padEnded; // a pad played to its end; any thread
    std::function<void()> takeEnded;                                // the take ended by itself; any thread
};

class MusicTake : public CaptureFollower {
public:
    // 0, 203 the file cannot be created, 104 or 105 the output cannot be opened.
    static uint16_t start(MusicTakeSetup setup, std::unique_ptr<MusicTake>& take);
    ~MusicTake() override;

    bool followsCapture() const { return m_setup.followsCapture; }
    const StreamFormat& format() const { return m_setup.format; }
    int64_t frames();
    void setAttenuation(float gain) { m_attenuation.store(gain, std::memory_order_relaxed); }
    // Only a take on the output's clock pauses; one that follows the capture pauses with it.
    void setPaused(bool paused);

    // 0, or the file codes, 104 a format other than the take's, 117 an empty file. A pad already
    // playing at that index starts again.
    uint16_t addPad(const QString& path, int index, bool loop, uint32_t generation);
    // Stops the pad playing at index; false when none plays there.
    bool stopPad(int index);
    struct StoppedPad {
        int index;
        uint32_t generation;
    };
    // Stops the pad started last among those still playing, or all of them.
    std::vector<StoppedPad> stopCurrentPad();
    std::vector<StoppedPad> stopAllPads();
    // Frees the pads that played to their end.
    void reclaimEndedPads();

    // Closes the output and finishes the file (the caller detaches a following take first).
    // 0, or 301 when the take could not be written.
    uint16_t stop();

    void follow(int64_t framesSoFar) override;
    void captured(int64_t frames) override;

private:
    struct Pad {
        int index = 0;
        uint32_t generation = 0;
        std::unique_ptr<WaveSource> source;
        bool ended = false;
    };

    explicit MusicTake(MusicTakeSetup setup);
    // False while an overdub holds its start (the frames stay out of the take).
    bool render(uint8_t* out, int64_t frames);
    int64_t outputLatency();
    void endHolding();
    void attenuate(uint8_t* data, int64_t frames);
    int64_t fillOutput(void* buffer, int64_t frames);
    std::vector<StoppedPad> takePads(bool onlyCurrent);
    void endedByItself();

    MusicTakeSetup m_setup;
    std::unique_ptr<TakeWriter> m_writer;
    std::atomic<float> m_attenuation{1.0f};
    std::atomic<bool> m_ended{false};

    // An overdub writes nothing until its first pad (or its stop): the frames rendered until then
    // are silence, and as many of them as the output's latency are dropped, because a pad fired
    // now is rendered that much ahead of what is heard.
    bool m_holding = false; // under m_padMutex
    int64_t m_held = 0;     // under m_padMutex
    std::atomic<int64_t> m_rendered{0};

    std::mutex m_padMutex; // the pad list; held by the audio thread while it renders
    std::vector<std::unique_ptr<Pad>> m_pads;
    std::vector<uint8_t> m_padScratch;
    std::vector<uint8_t> m_renderScratch;

    RingBuffer m_monitor; // what the capture rendered, on its way to the output
    std::unique_ptr<OutputStream> m_stream;
};

} // namespace platform::audio
