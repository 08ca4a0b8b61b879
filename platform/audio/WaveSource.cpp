#include "platform/audio/WaveSource.h"

#include "platform/base/Log.h"

#include <algorithm>
#include <bit>
#include <chrono>

namespace platform::audio {

namespace {

constexpr int64_t kLargestPart = 128 * 1024;
constexpr int64_t kSmallestPart = 16 * 1024;

// About two seconds of audio, so a stalled disk is bridged without holding much memory per pad. The
// ring's size is a power of two, so its free space always splits at a frame's border.
std::size_t ringBytes(const StreamFormat& format)
{
    return std::max<std::size_t>(64 * 1024, std::size_t(format.rate) * std::size_t(format.frameBytes()) * 2);
}

} // namespace

Prefetcher::Prefetcher() = default;

Prefetcher::~Prefetcher()
{
    stopThread();
}

void Prefetcher::stopThread()
{
    std::thread finished;
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
        finished = std::move(m_thread);
    }
    if (finished.joinable()) {
        m_wake.release();
        finished.join();
    }
}

void Prefetcher::add(WaveSource* source)
{
    {
        const std::lock_guard lock(m_mutex);
        m_sources.push_back(source);
        if (!m_thread.joinable()) {
            m_stop = false;
            m_thread = std::thread([this] { run(); });
        }
    }
    wake();
}

void Prefetcher::remove(WaveSource* source)
{
    bool last = false;
    {
        const std::lock_guard lock(m_mutex);
        std::erase(m_sources, source);
        last = m_sources.empty();
    }
    if (last)
        stopThread();
}

void Prefetcher::wake()
{
    m_wake.release();
}

uint64_t Prefetcher::dataRound()
{
    const std::lock_guard lock(m_dataMutex);
    return m_dataRounds;
}

void Prefetcher::waitForData(uint64_t seenRound)
{
    std::unique_lock lock(m_dataMutex);
    m_dataArrived.wait_for(lock, std::chrono::milliseconds(5), [&] { return m_dataRounds != seenRound; });
}

void Prefetcher::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        bool worked = false;
        for (WaveSource* source : m_sources)
            worked |= source->fillSome();
        if (worked) {
            {
                const std::lock_guard data(m_dataMutex);
                ++m_dataRounds;
            }
            m_dataArrived.notify_all();
            continue;
        }
        lock.unlock();
        // Consumers wake the thread when a ring has room; the timeout only bounds a missed wake.
        (void)m_wake.try_acquire_for(std::chrono::milliseconds(20));
        while (m_wake.try_acquire()) {
        }
        lock.lock();
    }
}

WaveSource::WaveSource(PcmWave wave, int64_t first, int64_t end, bool loop, Prefetcher& prefetcher, bool realTime)
    : WaveSource(std::make_unique<PcmWaveReader>(std::move(wave)), first, end, loop, prefetcher, realTime)
{
}

WaveSource::WaveSource(std::unique_ptr<FrameReader> reader, int64_t first, int64_t end, bool loop,
                       Prefetcher& prefetcher, bool realTime)
    : m_reader(std::move(reader))
    , m_first(first)
    , m_end(end)
    , m_loop(loop)
    , m_frameBytes(m_reader->format().frameBytes())
    , m_realTime(realTime)
    , m_prefetcher(prefetcher)
    , m_ring(ringBytes(m_reader->format()))
    , m_next(first)
    , m_done(first >= end)
{
    while (fillSome()) {
    }
    m_prefetcher.add(this);
}

WaveSource::~WaveSource()
{
    m_prefetcher.remove(this);
}

int64_t WaveSource::readFrames(uint8_t* out, int64_t frames, bool* failed)
{
    int64_t got = 0;
    while (got < frames) {
        const int64_t n = m_reader->read(out + got * m_frameBytes, frames - got);
        if (n <= 0) {
            *failed = n < 0;
            break;
        }
        got += n;
    }
    return got;
}

bool WaveSource::fillSome()
{
    if (m_done.load(std::memory_order_relaxed))
        return false;
    RingBuffer::Region first, second;
    m_ring.writeRegions(first, second);
    const int64_t free = int64_t(first.size + second.size) / m_frameBytes * m_frameBytes;
    const int64_t remaining = (m_end - m_next) * m_frameBytes;
    const int64_t want = std::min({free, remaining, kLargestPart / m_frameBytes * m_frameBytes});
    if (want <= 0 || want < std::min(remaining, kSmallestPart))
        return false;

    bool failed = false;
    if (!m_placed) {
        failed = !m_reader->seek(m_next);
        m_placed = !failed;
    }
    const int64_t intoFirst = std::min<int64_t>(want, int64_t(first.size)) / m_frameBytes;
    int64_t read = failed ? 0 : readFrames(first.data, intoFirst, &failed);
    if (read == intoFirst && want / m_frameBytes > intoFirst)
        read += readFrames(second.data, want / m_frameBytes - intoFirst, &failed);
    if (read * m_frameBytes != want) {
        qCWarning(lcPlatform) << "cannot read on in" << m_reader->name() << "at frame" << m_next + read
                              << (failed ? "- it failed there" : "- it ends there");
        m_ring.commit(std::size_t(read * m_frameBytes));
        m_done.store(true, std::memory_order_release);
        return true;
    }
    m_ring.commit(std::size_t(want));
    m_next += read;
    if (m_next == m_end) {
        if (m_loop) {
            m_next = m_first;
            m_placed = false;
        } else {
            m_done.store(true, std::memory_order_release);
        }
    }
    return true;
}

void WaveSource::skip(int64_t frames)
{
    m_skip += frames;
}

bool WaveSource::atEnd() const
{
    return m_done.load(std::memory_order_acquire) && m_ring.readAvailable() < std::size_t(m_frameBytes);
}

int64_t WaveSource::read(void* out, int64_t frames)
{
    auto* bytes = static_cast<uint8_t*>(out);
    int64_t got = 0;
    for (;;) {
        const uint64_t round = m_realTime ? 0 : m_prefetcher.dataRound();
        const bool done = m_done.load(std::memory_order_acquire);
        int64_t available = int64_t(m_ring.readAvailable()) / m_frameBytes;
        if (m_skip > 0) {
            const int64_t passed = std::min(m_skip, available);
            m_ring.skip(std::size_t(passed * m_frameBytes));
            m_skip -= passed;
            available -= passed;
        }
        if (m_skip == 0) {
            const int64_t n = std::min(frames - got, available);
            m_ring.read(bytes + got * m_frameBytes, std::size_t(n * m_frameBytes));
            got += n;
            available -= n;
        }
        if (got == frames || (done && available == 0) || m_realTime)
            break;
        m_prefetcher.wake();
        m_prefetcher.waitForData(round);
    }
    if (m_ring.readAvailable() < m_ring.capacity() / 2 && !m_done.load(std::memory_order_relaxed))
        m_prefetcher.wake();
    return got;
}

} // namespace platform::audio
