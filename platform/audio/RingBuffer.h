#pragma once
// A lock-free ring of bytes between exactly one producer thread and one consumer thread: how audio
// crosses between the backend's audio thread and the engine's reader and writer threads without a
// lock. Neither side ever waits here; waiting, where allowed, is the caller's business.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform::audio {

class RingBuffer {
public:
    // The capacity is rounded up to a power of two.
    explicit RingBuffer(std::size_t capacity);

    std::size_t capacity() const { return m_mask + 1; }

    // Consumer side.
    std::size_t readAvailable() const;
    std::size_t read(void* data, std::size_t bytes);
    std::size_t skip(std::size_t bytes);

    // Producer side.
    std::size_t writeAvailable() const;
    std::size_t write(const void* data, std::size_t bytes);
    // Writes up to bytes copies of value.
    std::size_t fill(uint8_t value, std::size_t bytes);

    // Producer side, for writing straight into the ring: the free space as at most two contiguous
    // parts, then commit() of what was written into them.
    struct Region {
        uint8_t* data = nullptr;
        std::size_t size = 0;
    };
    void writeRegions(Region& first, Region& second);
    void commit(std::size_t bytes);

private:
    std::unique_ptr<uint8_t[]> m_data;
    std::size_t m_mask = 0;
    // Both indexes only grow (and wrap at the size_t limit); the difference is the fill.
    alignas(64) std::atomic<std::size_t> m_read{0};
    alignas(64) std::atomic<std::size_t> m_write{0};
};

} // namespace platform::audio
