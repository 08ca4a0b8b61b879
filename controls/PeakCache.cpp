#include "controls/PeakCache.h"

#include "controls/WaveDisplayCodes.h"

#include <QFile>
#include <QtEndian>

#include <bit>
#include <cerrno>
#include <new>

#include <sys/mman.h>

namespace controls {

// Entries are read and written as they lie in memory, which is the file's byte order only on a
// little-endian host.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(PeakEntry) == 4);

namespace {

constexpr qint64 kHeaderSize = 6;

// Mappings are whole huge pages (2 MiB on x86-64 and on most ARM64 systems), so that the kernel
// places them on a huge-page boundary and none of their memory falls back to small pages.
constexpr size_t kHugePageBytes = size_t(2) << 20;

size_t mappedSize(size_t bytes)
{
    return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}

} // namespace

void* mapChannelMemory(size_t wanted)
{
    const size_t bytes = mappedSize(wanted);
    void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
    // Both are requests: without huge pages the pages are small, and a kernel without
    // MADV_POPULATE_WRITE (before 5.14) maps each page on its first write instead.
    ::madvise(memory, bytes, MADV_HUGEPAGE);
    if (::madvise(memory, bytes, MADV_POPULATE_WRITE) != 0 && errno == ENOMEM) {
        ::munmap(memory, bytes);
        throw std::bad_alloc();
    }
    return memory;
}

void unmapChannelMemory(void* memory, size_t bytes)
{
    ::munmap(memory, mappedSize(bytes));
}

PeakCache PeakCache::zeroed(int channelCount, uint32_t entries)
{
    PeakCache cache;
    cache.channels.resize(size_t(channelCount));
    for (PeakChannel& channel : cache.channels)
        channel.resize(entries, PeakEntry{});
    return cache;
}

PeakCache PeakCache::unset(int channelCount, uint32_t entries)
{
    PeakCache cache;
    cache.channels.resize(size_t(channelCount));
    for (PeakChannel& channel : cache.channels)
        channel.resize(entries);
    return cache;
}

int writePeakFile(const QString& path, const PeakCache& cache, uint16_t channelCount)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate))
        return WaveDisplayCode::CannotCreatePeakFile;

    const uint32_t entries = cache.channels.size() >= channelCount ? cache.entriesPerChannel() : 0;
    uchar header[kHeaderSize];
    qToLittleEndian<uint16_t>(channelCount, header);
    qToLittleEndian<uint32_t>(entries, header + 2);
    if (file.write(reinterpret_cast<const char*>(header), kHeaderSize) != kHeaderSize)
        return WaveDisplayCode::PeakFileWriteFailed;
    if (entries > 0) {
        for (int c = 0; c < channelCount; ++c) {
            const qint64 bytes = qint64(entries) * qint64(sizeof(PeakEntry));
            if (file.write(reinterpret_cast<const char*>(cache.channels[size_t(c)].data()), bytes) != bytes)
                return WaveDisplayCode::PeakFileWriteFailed;
        }
    }
    if (!file.flush())
        return WaveDisplayCode::PeakFileWriteFailed;
    return WaveDisplayCode::Ok;
}

bool isPeakFile(const QString& path)
{
    QFile file(path);
    uchar header[kHeaderSize];
    if (!file.open(QIODevice::ReadOnly) || file.read(reinterpret_cast<char*>(header), kHeaderSize) != kHeaderSize)
        return false;
    const qint64 channels = qFromLittleEndian<uint16_t>(header);
    const qint64 entries = qFromLittleEndian<uint32_t>(header + 2);
    return file.size() == kHeaderSize + channels * entries * qint64(sizeof(PeakEntry));
}

int readPeakFile(const QString& path, uint32_t expectedEntries, int channels, PeakCache& cache)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return WaveDisplayCode::CannotOpenPeakFile;

    uchar header[kHeaderSize];
    if (file.read(reinterpret_cast<char*>(header), kHeaderSize) != kHeaderSize)
        return WaveDisplayCode::PeakFileReadFailed;
    const int storedChannels = qFromLittleEndian<uint16_t>(header);
    const uint32_t entries = qFromLittleEndian<uint32_t>(header + 2);
    if (entries != expectedEntries || storedChannels < channels)
        return WaveDisplayCode::PeakFileStale;
    // The sizes come from the file; they must agree with its length before any memory is taken.
    const qint64 channelBytes = qint64(entries) * qint64(sizeof(PeakEntry));
    if (file.size() != kHeaderSize + qint64(storedChannels) * channelBytes)
        return WaveDisplayCode::PeakFileReadFailed;

    PeakCache loaded;
    try {
        loaded = PeakCache::unset(storedChannels, entries); // every entry is read below
    } catch (const std::bad_alloc&) {
        return WaveDisplayCode::OutOfMemory;
    }
    for (PeakChannel& channel : loaded.channels) {
        if (file.read(reinterpret_cast<char*>(channel.data()), channelBytes) != channelBytes)
            return WaveDisplayCode::PeakFileReadFailed;
    }
    cache = std::move(loaded);
    return WaveDisplayCode::Ok;
}

} // namespace controls
