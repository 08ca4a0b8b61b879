#pragma once
// Writing a take (a recording, or the music take) to its WAV off the audio thread: the audio thread
// pushes frames into a lock-free ring, a writer thread appends them to the file and brings the
// header up to date every second of audio, so a crash loses at most the last seconds.
//
// On a real-time backend a full ring (the disk did not keep up for seconds) ends the take; on the
// virtual backend the pushing thread waits for the writer instead. Either way the file keeps every
// frame that was written, with valid sizes.

#include "common/WaveWrite.h"
#include "platform/audio/AudioBackend.h"
#include "platform/audio/RingBuffer.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace platform::audio {

class TakeWriter {
public:
    // Takes over an open writer positioned in the "data" chunk. failed is called once, from the
    // writer or the pushing thread, when the take ends by itself (its code is then failure()).
    TakeWriter(WaveWriterHandle file, const StreamFormat& format, bool realTime, std::function<void()> failed);
    ~TakeWriter();
    TakeWriter(const TakeWriter&) = delete;
    TakeWriter& operator=(const TakeWriter&) = delete;

    // Before the first push only: the take starts with this many frames of silence.
    void setLeadingSilence(int64_t frames);
    // Pushing thread (one): false when the take has ended (the frames are dropped).
    bool push(const void* data, int64_t frames);
    // Frames taken into the take so far, the leading silence included.
    int64_t frames() const { return m_frames.load(std::memory_order_acquire); }
    // 0, or 301 once the take has ended by itself.
    uint16_t failure() const { return m_failure.load(std::memory_order_acquire); }

    // After the last push: writes the rest, the final sizes, closes the file and joins the thread.
    // 0, or 301 when the take ended by itself or could not be finished.
    uint16_t finish();

private:
    void run();
    bool writeOut(const void* data, int64_t bytes);
    void fail(const char* why);

    WaveWriterHandle m_file;
    const StreamFormat m_format;
    const bool m_realTime;
    std::function<void()> m_failed;
    RingBuffer m_ring;
    const int64_t m_refreshBytes;
    int64_t m_sinceRefresh = 0; // writer thread

    std::atomic<int64_t> m_leadingSilence{0};
    std::atomic<int64_t> m_frames{0};
    std::atomic<uint16_t> m_failure{0};
    std::atomic<bool> m_finishing{false};

    std::mutex m_mutex;
    std::condition_variable m_wakeWriter;
    std::condition_variable m_wakePusher;
    std::thread m_thread;
};

} // namespace platform::audio
