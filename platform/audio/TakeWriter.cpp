#include "platform/audio/TakeWriter.h"

#include "platform/base/Log.h"
#include "platform/audio/PlayerCodes.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace platform::audio {

namespace {

constexpr int64_t kPart = 256 * 1024;

// Eight seconds of audio bridge a disk that stalls; at least a megabyte.
std::size_t ringBytes(const StreamFormat& format)
{
    return std::max<std::size_t>(1024 * 1024, std::size_t(format.rate) * format.frameBytes() * 8);
}

} // namespace

TakeWriter::TakeWriter(WaveWriterHandle file, const StreamFormat& format, bool realTime, std::function<void()> failed)
    : m_file(std::move(file))
    , m_format(format)
    , m_realTime(realTime)
    , m_failed(std::move(failed))
    , m_ring(ringBytes(format))
    , m_refreshBytes(int64_t(format.rate) * format.frameBytes())
    , m_thread([this] { run(); })
{
}

TakeWriter::~TakeWriter()
{
    finish();
}

void TakeWriter::setLeadingSilence(int64_t frames)
{
    m_frames.fetch_add(frames, std::memory_order_acq_rel);
    m_leadingSilence.store(frames, std::memory_order_release);
    m_wakeWriter.notify_one();
}

bool TakeWriter::push(const void* data, int64_t frames)
{
    if (failure() != 0)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    int64_t left = frames * m_format.frameBytes();
    if (m_realTime) {
        if (int64_t(m_ring.writeAvailable()) < left) {
            fail("the disk did not keep up with the take");
            return false;
        }
        m_ring.write(bytes, std::size_t(left));
    } else {
        for (;;) {
            const int64_t n = int64_t(m_ring.write(bytes, std::size_t(left)));
            bytes += n;
            left -= n;
            if (left == 0)
                break;
            std::unique_lock lock(m_mutex);
            m_wakeWriter.notify_one();
            m_wakePusher.wait_for(lock, std::chrono::milliseconds(5),
                                  [&] { return m_ring.writeAvailable() > 0 || failure() != 0; });
            if (failure() != 0)
                return false;
        }
    }
    m_frames.fetch_add(frames, std::memory_order_acq_rel);
    // The writer looks at the ring every 50 ms by itself; waking it for each period would cost the
    // audio thread a system call and the writer a wakeup many times a second.
    if (int64_t(m_ring.capacity() - m_ring.writeAvailable()) >= kPart)
        m_wakeWriter.notify_one();
    return true;
}

void TakeWriter::fail(const char* why)
{
    uint16_t none = 0;
    if (!m_failure.compare_exchange_strong(none, PlayerCode::DiskWriteError, std::memory_order_acq_rel))
        return;
    qCWarning(lcPlatform) << "the take ends:" << why;
    m_wakePusher.notify_all();
    if (m_failed)
        m_failed();
}

bool TakeWriter::writeOut(const void* data, int64_t bytes)
{
    if (failure() != 0)
        return false;
    WaveWriteError error = WaveWriteError::None;
    if (!WriteWaveData(m_file, data, bytes, &error)) {
        fail(error == WaveWriteError::TooLarge ? "the file would pass 4 GiB" : "the file cannot be written");
        return false;
    }
    m_sinceRefresh += bytes;
    if (m_sinceRefresh >= m_refreshBytes) {
        m_sinceRefresh = 0;
        if (!RefreshWaveHeader(m_file)) {
            fail("the header cannot be brought up to date");
            return false;
        }
    }
    return true;
}

void TakeWriter::run()
{
    std::vector<uint8_t> part(kPart);
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            m_wakeWriter.wait_for(lock, std::chrono::milliseconds(50), [&] {
                return m_finishing.load(std::memory_order_acquire) || int64_t(m_ring.readAvailable()) >= kPart
                    || m_leadingSilence.load(std::memory_order_acquire) > 0;
            });
        }
        const bool finishing = m_finishing.load(std::memory_order_acquire);
        if (const int64_t silence = m_leadingSilence.exchange(0, std::memory_order_acq_rel); silence > 0) {
            std::fill(part.begin(), part.end(), m_format.bits == 8 ? 128 : 0);
            for (int64_t left = silence * m_format.frameBytes(); left > 0;) {
                const int64_t n = std::min(left, kPart);
                if (!writeOut(part.data(), n))
                    break;
                left -= n;
            }
        }
        while (m_ring.readAvailable() > 0) {
            const int64_t n = int64_t(m_ring.read(part.data(), part.size()));
            writeOut(part.data(), n);
            m_wakePusher.notify_one();
        }
        if (finishing)
            break;
    }
}

uint16_t TakeWriter::finish()
{
    if (m_thread.joinable()) {
        {
            const std::lock_guard lock(m_mutex);
            m_finishing.store(true, std::memory_order_release);
        }
        m_wakeWriter.notify_one();
        m_thread.join();
        if (m_file && !CloseWaveFile(m_file))
            fail("the file cannot be finished");
    }
    return failure();
}

} // namespace platform::audio
