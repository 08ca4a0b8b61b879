#pragma once
// Reading WAV samples ahead of playback, so the backend's audio thread never waits for the disk:
// each WaveSource holds a ring of the frames that come next, and one Prefetcher thread keeps the
// rings of all open sources filled from their files. The audio thread only copies from a ring.
//
// On a real-time backend a ring that runs dry (the disk stalled) gives fewer frames than asked and
// the caller plays silence for the rest; on the virtual backend the audio thread waits for the
// reader instead, so what is played does not depend on thread timing.
//
// The reader thread runs only while some source is open, so an idle engine has no threads of its
// own. Sources are opened and closed on one thread (the engine's caller's).

#include "platform/audio/AudioBackend.h"
#include "platform/audio/FrameReader.h"
#include "platform/audio/PcmWave.h"
#include "platform/audio/RingBuffer.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <semaphore>
#include <thread>
#include <vector>

namespace platform::audio {

class WaveSource;

class Prefetcher {
public:
    Prefetcher();
    ~Prefetcher();
    Prefetcher(const Prefetcher&) = delete;
    Prefetcher& operator=(const Prefetcher&) = delete;

private:
    friend class WaveSource;

    void add(WaveSource* source);
    // Returns once the thread no longer reads for the source; the last one ends the thread.
    void remove(WaveSource* source);
    void stopThread();
    // Any thread, without waiting: a ring has room again.
    void wake();
    // For callers that may wait: the count of reading rounds so far, and a short wait for the next
    // round after that count (taken before looking at the ring, so no round is missed).
    uint64_t dataRound();
    void waitForData(uint64_t seenRound);
    void run();

    std::mutex m_mutex; // the list of sources; held while reading for them
    std::vector<WaveSource*> m_sources;
    bool m_stop = false;
    std::counting_semaphore<(1 << 30)> m_wake{0};

    std::mutex m_dataMutex;
    std::condition_variable m_dataArrived;
    uint64_t m_dataRounds = 0;

    std::thread m_thread; // guarded by m_mutex
};

class WaveSource {
public:
    // Streams frames [first, end) of the open wave; with loop the range starts again at first each
    // time it ends (an empty range ends at once). The first part is read at once, on the calling
    // thread, so a stream opened right after has frames from its first callback.
    WaveSource(PcmWave wave, int64_t first, int64_t end, bool loop, Prefetcher& prefetcher, bool realTime);
    // The same over any reader of frames (counted from 0).
    WaveSource(std::unique_ptr<FrameReader> reader, int64_t first, int64_t end, bool loop, Prefetcher& prefetcher,
               bool realTime);
    ~WaveSource();
    WaveSource(const WaveSource&) = delete;
    WaveSource& operator=(const WaveSource&) = delete;

    // Consumer (one thread): copies up to `frames` frames and returns how many. Fewer than asked
    // means the range has ended (atEnd()) or, on a real-time backend, that the reader is behind.
    int64_t read(void* out, int64_t frames);
    // Consumer: the next `frames` frames are passed over as soon as they arrive (frames that the
    // caller replaced by silence while the reader was behind), keeping a second track in step.
    void skip(int64_t frames);
    // Consumer: every frame of a non-looping range was read (or the file could not be read on).
    bool atEnd() const;

private:
    friend class Prefetcher;

    // Reader thread: reads one part into the ring when there is room; true when it read something.
    bool fillSome();
    // Reader thread: up to `frames` frames into out, asking the reader as often as it takes; how
    // many, and false in *failed when the reader failed.
    int64_t readFrames(uint8_t* out, int64_t frames, bool* failed);

    std::unique_ptr<FrameReader> m_reader;
    const int64_t m_first;
    const int64_t m_end;
    const bool m_loop;
    const int m_frameBytes;
    const bool m_realTime;
    Prefetcher& m_prefetcher;
    RingBuffer m_ring;
    int64_t m_next;           // reader: the next frame to read from the file
    bool m_placed = false;    // reader: m_reader is at m_next
    std::atomic<bool> m_done; // reader: everything there is to read is in the ring
    int64_t m_skip = 0;       // consumer: frames still to pass over
};

} // namespace platform::audio
