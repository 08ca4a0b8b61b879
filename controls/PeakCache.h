#pragma once
// The peak cache of a waveform: per channel, one (Min, Max) entry per block of 32 frames, and its
// file (".vxp"), which both programs read and write:
//
//   offset 0      u16  channel count C
//   offset 2      u32  entries per channel N (0 for an empty cache)
//   offset 6      C x N entries of Min (i16) then Max (i16), channel 1 first, block 0 first
//
// little-endian, no magic number, no version; its size is exactly 6 + C x N x 4 bytes. 16-bit
// files store signed sample values, 8-bit files the raw unsigned bytes 0 to 255.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace controls {

inline constexpr int kFramesPerPeak = 32;

// A trivial type: PeakEntry{} is (0, 0); a default-initialised one is left unset.
struct PeakEntry {
    int16_t Min;
    int16_t Max;

    friend bool operator==(const PeakEntry&, const PeakEntry&) = default;
};

// Memory for a large channel, taken straight from the kernel with every page already in place
// (on huge pages where the system offers them). A channel that is then written entry by entry,
// as the peak build and the cache file's reader do, would otherwise take one page fault per 4 KiB,
// a cost that grows with the file and dwarfs the scan itself. Throws std::bad_alloc.
void* mapChannelMemory(size_t bytes);
void unmapChannelMemory(void* memory, size_t bytes);

// Channels from this size on come from mapChannelMemory(); smaller ones from the heap.
inline constexpr size_t kMappedChannelBytes = size_t(1) << 20;

// Allocates like std::allocator for small blocks and through mapChannelMemory() for large ones;
// a resize() leaves new elements of a trivial type unset instead of zeroing them. The peak build
// sizes a channel and then writes every entry, from several threads; zeroing first would touch
// all of a large cache's memory once more on one thread.
template <typename T>
struct ChannelAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = ChannelAllocator<U>;
    };

    ChannelAllocator() = default;
    template <typename U>
    ChannelAllocator(const ChannelAllocator<U>&) noexcept
    {
    }

    T* allocate(size_t n)
    {
        if (n * sizeof(T) >= kMappedChannelBytes)
            return static_cast<T*>(mapChannelMemory(n * sizeof(T)));
        return std::allocator<T>::allocate(n);
    }
    void deallocate(T* p, size_t n) noexcept
    {
        if (n * sizeof(T) >= kMappedChannelBytes)
            unmapChannelMemory(p, n * sizeof(T));
        else
            std::allocator<T>::deallocate(p, n);
    }

    template <typename U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>)
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using PeakChannel = std::vector<PeakEntry, ChannelAllocator<PeakEntry>>;

// ceil(frames / 32): the entries per channel that cover a file of that many frames.
constexpr uint32_t peakEntriesFor(uint32_t frames)
{
    return frames == 0 ? 0 : (frames - 1) / kFramesPerPeak + 1;
}

struct PeakCache {
    std::vector<PeakChannel> channels; // all of the same length

    bool isEmpty() const { return channels.empty() || channels.front().empty(); }
    // Entries per channel: the first channel's length, 0 when there is none.
    uint32_t entriesPerChannel() const { return channels.empty() ? 0 : uint32_t(channels.front().size()); }
    void clear() { channels.clear(); }

    // channelCount channels of entries (0, 0). May throw std::bad_alloc.
    static PeakCache zeroed(int channelCount, uint32_t entries);
    // channelCount channels of unset entries, for a writer that sets every one. May throw
    // std::bad_alloc.
    static PeakCache unset(int channelCount, uint32_t entries);
};

// Writes the cache file with channelCount channels: 0, 116 (cannot create) or 117 (write
// failed). A cache that does not cover channelCount channels is written as an empty one (N = 0),
// so that the file is always consistent.
int writePeakFile(const QString& path, const PeakCache& cache, uint16_t channelCount);

// Reads a cache file for a WAV of `channels` channels and `expectedEntries` entries per channel.
// Returns 0 with the file's whole cache (its channel count may exceed `channels`), or 119 (cannot
// open), 120 (a short read, or a length other than 6 + C x N x 4), 121 (N is not expectedEntries,
// or C is below channels) or 106 (out of memory). The length is checked before anything is
// allocated. On failure cache is left as it was.
int readPeakFile(const QString& path, uint32_t expectedEntries, int channels, PeakCache& cache);

// Whether the file is laid out as a cache file (its length agrees with its header), so that a file
// of another kind that happens to carry a cache's name is never taken for one and deleted.
bool isPeakFile(const QString& path);

} // namespace controls
