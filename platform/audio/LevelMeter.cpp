#include "platform/audio/LevelMeter.h"

#include "platform/base/Rounding.h"

#include <algorithm>
#include <cstdlib>
#include <type_traits>

namespace platform::audio {

namespace {

// Largest distance from silence per channel, in sample steps (16 bits: up to 32768, 8: up to 128).
template<typename Sample, int Channels>
void peaks(const Sample* samples, int frames, int (&peak)[2])
{
    int high[Channels] = {};
    for (int i = 0; i < frames * Channels; i += Channels) {
        for (int c = 0; c < Channels; ++c) {
            const int s = int(samples[i + c]);
            const int v = std::is_signed_v<Sample> ? std::abs(s) : std::abs(s - 128);
            high[c] = std::max(high[c], v);
        }
    }
    peak[0] = high[0];
    peak[1] = high[Channels - 1];
}

} // namespace

LevelMeter::LevelMeter(const StreamFormat& format)
    : m_format(format)
{
}

void LevelMeter::add(const void* data, int64_t frames, int64_t index)
{
    const int frameBytes = m_format.frameBytes();
    const auto* bytes = static_cast<const uint8_t*>(data);
    uint64_t written = m_written.load(std::memory_order_relaxed);
    for (int64_t done = 0; done < frames; done += kBlockFrames) {
        const int n = int(std::min<int64_t>(kBlockFrames, frames - done));
        int peak[2] = {};
        const void* block = bytes + done * frameBytes;
        if (m_format.bits == 16) {
            if (m_format.channels == 2)
                peaks<int16_t, 2>(static_cast<const int16_t*>(block), n, peak);
            else
                peaks<int16_t, 1>(static_cast<const int16_t*>(block), n, peak);
        } else if (m_format.channels == 2) {
            peaks<uint8_t, 2>(static_cast<const uint8_t*>(block), n, peak);
        } else {
            peaks<uint8_t, 1>(static_cast<const uint8_t*>(block), n, peak);
        }
        if (written - m_polled.load(std::memory_order_acquire) >= kBlocks) {
            Block& newest = m_blocks[(written - 1) % kBlocks];
            const int left = std::max(newest.left.load(std::memory_order_relaxed), peak[0]);
            const int right = std::max(newest.right.load(std::memory_order_relaxed), peak[1]);
            newest.left.store(left, std::memory_order_relaxed);
            newest.right.store(right, std::memory_order_relaxed);
            continue;
        }
        Block& next = m_blocks[written % kBlocks];
        next.start.store(index + done, std::memory_order_relaxed);
        next.left.store(peak[0], std::memory_order_relaxed);
        next.right.store(peak[1], std::memory_order_relaxed);
        ++written;
        m_written.store(written, std::memory_order_release);
    }
}

void LevelMeter::poll(int64_t heard, int* left, int* right)
{
    int high[2] = {};
    uint64_t polled = m_polled.load(std::memory_order_relaxed);
    const uint64_t written = m_written.load(std::memory_order_acquire);
    while (polled < written) {
        const Block& block = m_blocks[polled % kBlocks];
        if (block.start.load(std::memory_order_relaxed) >= heard)
            break;
        high[0] = std::max(high[0], block.left.load(std::memory_order_relaxed));
        high[1] = std::max(high[1], block.right.load(std::memory_order_relaxed));
        ++polled;
    }
    m_polled.store(polled, std::memory_order_release);
    const int64_t fullScale = m_format.bits == 16 ? 32768 : 128;
    if (left)
        *left = int(divRoundHalfEven(int64_t(high[0]) * 100, fullScale));
    if (right)
        *right = int(divRoundHalfEven(int64_t(high[1]) * 100, fullScale));
}

} // namespace platform::audio
