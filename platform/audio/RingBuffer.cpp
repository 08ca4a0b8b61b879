#include "platform/audio/RingBuffer.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace platform::audio {

RingBuffer::RingBuffer(std::size_t capacity)
{
    const std::size_t size = std::bit_ceil(std::max<std::size_t>(capacity, 2));
    m_data = std::make_unique<uint8_t[]>(size);
    m_mask = size - 1;
}

std::size_t RingBuffer::readAvailable() const
{
    return m_write.load(std::memory_order_acquire) - m_read.load(std::memory_order_relaxed);
}

std::size_t RingBuffer::writeAvailable() const
{
    return capacity() - (m_write.load(std::memory_order_relaxed) - m_read.load(std::memory_order_acquire));
}

std::size_t RingBuffer::read(void* data, std::size_t bytes)
{
    const std::size_t readIndex = m_read.load(std::memory_order_relaxed);
    const std::size_t count = std::min(bytes, m_write.load(std::memory_order_acquire) - readIndex);
    if (count == 0)
        return 0;
    const std::size_t at = readIndex & m_mask;
    const std::size_t first = std::min(count, capacity() - at);
    auto* out = static_cast<uint8_t*>(data);
    std::memcpy(out, m_data.get() + at, first);
    std::memcpy(out + first, m_data.get(), count - first);
    m_read.store(readIndex + count, std::memory_order_release);
    return count;
}

std::size_t RingBuffer::skip(std::size_t bytes)
{
    const std::size_t readIndex = m_read.load(std::memory_order_relaxed);
    const std::size_t count = std::min(bytes, m_write.load(std::memory_order_acquire) - readIndex);
    m_read.store(readIndex + count, std::memory_order_release);
    return count;
}

void RingBuffer::writeRegions(Region& first, Region& second)
{
    const std::size_t writeIndex = m_write.load(std::memory_order_relaxed);
    const std::size_t free = capacity() - (writeIndex - m_read.load(std::memory_order_acquire));
    const std::size_t at = writeIndex & m_mask;
    first = {m_data.get() + at, std::min(free, capacity() - at)};
    second = {m_data.get(), free - first.size};
}

void RingBuffer::commit(std::size_t bytes)
{
    m_write.store(m_write.load(std::memory_order_relaxed) + bytes, std::memory_order_release);
}

std::size_t RingBuffer::write(const void* data, std::size_t bytes)
{
    Region first, second;
    writeRegions(first, second);
    const std::size_t count = std::min(bytes, first.size + second.size);
    if (count == 0)
        return 0;
    const std::size_t head = std::min(count, first.size);
    const auto* in = static_cast<const uint8_t*>(data);
    std::memcpy(first.data, in, head);
    if (count > head)
        std::memcpy(second.data, in + head, count - head);
    commit(count);
    return count;
}

std::size_t RingBuffer::fill(uint8_t value, std::size_t bytes)
{
    Region first, second;
    writeRegions(first, second);
    const std::size_t count = std::min(bytes, first.size + second.size);
    const std::size_t head = std::min(count, first.size);
    std::memset(first.data, value, head);
    if (count > head)
        std::memset(second.data, value, count - head);
    commit(count);
    return count;
}

} // namespace platform::audio
