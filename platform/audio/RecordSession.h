#pragma once
// One recording (or level test) of the engine: an input stream, its level meter and, for a
// recording, the take writer. Pausing drops the captured frames at the audio thread, so the take
// goes on from the frame after the last one written: no gap and no frame twice. The music take can
// follow this recording's clock (CaptureFollower): for every frame written here it writes one.

#include "platform/audio/AudioBackend.h"
#include "platform/audio/LevelMeter.h"
#include "platform/audio/TakeWriter.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace platform::audio {

class CaptureFollower {
public:
    virtual ~CaptureFollower() = default;
    // Control thread, when attached: the frames the recording holds already.
    virtual void follow(int64_t framesSoFar) = 0;
    // Audio thread: the recording has just written this many frames.
    virtual void captured(int64_t frames) = 0;
};

class RecordSession {
public:
    // Opens the input on device (empty: the server's default). With a path the take is written
    // there, the file (re)created with the format; without, only levels are measured. 0 or a code:
    // 201 format refused, 203 file not created, 204 device missing or busy, 205 anything else.
    // An overdub take (alignedStart) keeps nothing until beginTakeNow(). ended is called once, from
    // the audio or the writer thread, with the code of a take that ended by itself.
    static uint16_t start(AudioBackend& backend, const QString& device, const StreamFormat& format,
                          const QString& path, std::unique_ptr<RecordSession>& session, bool alignedStart = false,
                          std::function<void(uint16_t code)> ended = {});
    // Control thread, once, for an overdub: the take's frame 0 is the frame at the microphone now.
    // What the input delivered until now and the input's latency after it were heard before, and
    // are dropped.
    void beginTakeNow();
    ~RecordSession();

    bool writesTake() const { return bool(m_writer); }
    void setPaused(bool paused) { m_paused.store(paused, std::memory_order_release); }
    // Frames in the take so far.
    int64_t frames() const;
    const StreamFormat& format() const { return m_format; }
    void levels(int* left, int* right) { m_meter.poll(INT64_MAX, left, right); }

    void attach(CaptureFollower* follower);
    void detach(CaptureFollower* follower);

    // Closes the input and finishes the take. 0, or the code of what ended the recording by itself:
    // 204 the device went away, 205 the stream failed otherwise, 301 the take could not be written.
    uint16_t stop();

private:
    RecordSession(const StreamFormat& format);
    void captured(const void* data, int64_t frames);
    void failed(StreamError error);
    // The first end wins: true when this one did.
    bool end(uint16_t code);

    const StreamFormat m_format;
    LevelMeter m_meter;
    std::atomic<int64_t> m_capturedFrames{0}; // written by the audio thread under m_followerMutex
    std::atomic<int64_t> m_keepFrom{0};       // the first captured frame that goes into the take
    std::atomic<bool> m_paused{false};
    std::atomic<uint16_t> m_endCode{0};
    std::function<void(uint16_t)> m_ended;
    std::unique_ptr<TakeWriter> m_writer;
    std::mutex m_followerMutex; // held by the audio thread while it writes and drives the follower
    CaptureFollower* m_follower = nullptr;
    std::unique_ptr<InputStream> m_stream;
};

} // namespace platform::audio
