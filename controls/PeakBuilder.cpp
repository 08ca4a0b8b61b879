#include "controls/PeakBuilder.h"

#include "controls/Log.h"
#include "controls/WaveDisplayCodes.h"
#include "platform/base/Rounding.h"

#include <QThread>

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace controls {

// 16-bit samples are used as they lie in the buffer, which is the file's byte order only on a
// little-endian host.
static_assert(std::endian::native == std::endian::little);

namespace {

// Frames are 1, 2 or 4 bytes; a piece holds whole blocks of each.
static_assert(kPeakPieceBytes % (kFramesPerPeak * 4) == 0);

constexpr int32_t kBuilding = int32_t(PeakState::Building);
constexpr int kMaxChannels = 2;

// Vectors of the compiler's vector extension (GCC and Clang): element-wise operators that become
// packed instructions on every target (SSE2 on x86-64, NEON on ARM), without intrinsics.
template <typename T, int Lanes>
struct VectorOf {
    typedef T type __attribute__((vector_size(Lanes * sizeof(T))));
};
template <typename T, int Lanes>
using Vector = typename VectorOf<T, Lanes>::type;

template <typename T, int Lanes>
inline Vector<T, Lanes> lanewiseMin(Vector<T, Lanes> a, Vector<T, Lanes> b)
{
    return a < b ? a : b;
}

template <typename T, int Lanes>
inline Vector<T, Lanes> lanewiseMax(Vector<T, Lanes> a, Vector<T, Lanes> b)
{
    return a > b ? a : b;
}

// Min and max per channel over the frames of one block, samples of C channels interleaved.
template <typename T, int C>
struct BlockScan {
    // A whole block is 32 x C samples, read as rows of one 16-byte vector each: lane k holds
    // channel k % C, so the rows fold by lanewise min/max, and the lanes are then halved down
    // to one per channel.
    static constexpr int kLanes = 16 / int(sizeof(T));
    static constexpr int kRows = kFramesPerPeak * C / kLanes;
    static_assert(kLanes % C == 0 && kRows * kLanes == kFramesPerPeak * C);

    template <int Width>
    static void fold(Vector<T, Width> mins, Vector<T, Width> maxs, T* lo, T* hi)
    {
        if constexpr (Width == C) {
            for (int c = 0; c < C; ++c) {
                lo[c] = mins[c];
                hi[c] = maxs[c];
            }
        } else {
            // Lane k and lane k + Width / 2 hold the same channel, as Width / 2 is a multiple of C.
            constexpr size_t half = sizeof(Vector<T, Width / 2>);
            Vector<T, Width / 2> minLow, minHigh, maxLow, maxHigh;
            std::memcpy(&minLow, &mins, half);
            std::memcpy(&minHigh, reinterpret_cast<const char*>(&mins) + half, half);
            std::memcpy(&maxLow, &maxs, half);
            std::memcpy(&maxHigh, reinterpret_cast<const char*>(&maxs) + half, half);
            fold<Width / 2>(lanewiseMin<T, Width / 2>(minLow, minHigh), lanewiseMax<T, Width / 2>(maxLow, maxHigh),
                            lo, hi);
        }
    }

    static void whole(const T* samples, T* lo, T* hi)
    {
        Vector<T, kLanes> mins, maxs, row;
        std::memcpy(&mins, samples, sizeof mins);
        maxs = mins;
        for (int r = 1; r < kRows; ++r) {
            std::memcpy(&row, samples + r * kLanes, sizeof row);
            mins = lanewiseMin<T, kLanes>(mins, row);
            maxs = lanewiseMax<T, kLanes>(maxs, row);
        }
        fold<kLanes>(mins, maxs, lo, hi);
    }

    // The last block of a file: 1 to 32 frames.
    static void partial(const T* samples, int frames, T* lo, T* hi)
    {
        for (int c = 0; c < C; ++c)
            lo[c] = hi[c] = samples[c];
        for (int f = 1; f < frames; ++f) {
            for (int c = 0; c < C; ++c) {
                const T v = samples[f * C + c];
                lo[c] = std::min(lo[c], v);
                hi[c] = std::max(hi[c], v);
            }
        }
    }

    // Scans the frames of one piece into out[channel][0...]. Returns the number of entries, or -1
    // when the state stopped being Building before a block.
    static int64_t piece(const void* data, int64_t frames, PeakEntry* const* out, const std::atomic<int32_t>& state)
    {
        const T* samples = static_cast<const T*>(data);
        T lo[C];
        T hi[C];
        int64_t block = 0;
        for (; (block + 1) * kFramesPerPeak <= frames; ++block) {
            if (state.load(std::memory_order_relaxed) != kBuilding)
                return -1;
            whole(samples + block * kFramesPerPeak * C, lo, hi);
            for (int c = 0; c < C; ++c)
                out[c][block] = PeakEntry{int16_t(lo[c]), int16_t(hi[c])};
        }
        const int rest = int(frames - block * kFramesPerPeak);
        if (rest > 0) {
            if (state.load(std::memory_order_relaxed) != kBuilding)
                return -1;
            partial(samples + block * kFramesPerPeak * C, rest, lo, hi);
            for (int c = 0; c < C; ++c)
                out[c][block] = PeakEntry{int16_t(lo[c]), int16_t(hi[c])};
            ++block;
        }
        return block;
    }
};

using PieceScan = int64_t (*)(const void*, int64_t, PeakEntry* const*, const std::atomic<int32_t>&);

PieceScan pieceScanFor(const WaveFormatEx& format)
{
    // 8-bit samples are unsigned bytes, kept raw; 16-bit samples are signed.
    if (format.bitsPerSample == 8)
        return format.channels == 1 ? &BlockScan<uint8_t, 1>::piece : &BlockScan<uint8_t, 2>::piece;
    return format.channels == 1 ? &BlockScan<int16_t, 1>::piece : &BlockScan<int16_t, 2>::piece;
}

// What the threads of one build share. Each thread scans its own run of pieces and writes its
// own entries; only the counters below are written by all of them.
struct SharedScan {
    const QString& fileName;
    int64_t dataOffset;
    int64_t frameBytes;
    int64_t totalBytes;
    PieceScan scanPiece;
    PeakEntry* channels[kMaxChannels];
    const std::atomic<int32_t>& state;
    std::atomic<int32_t>& progress;
    const std::function<void(int64_t)>& afterPieceRead;

    std::atomic<int64_t> bytesDone{0};
    std::atomic<int> failure{WaveDisplayCode::Ok}; // the first failure of any thread

    void fail(int code)
    {
        int none = WaveDisplayCode::Ok;
        failure.compare_exchange_strong(none, code);
    }

    // Progress only ever rises, whichever thread finishes a piece first.
    void addDone(int64_t bytes)
    {
        const int64_t done = bytesDone.fetch_add(bytes) + bytes;
        const auto percent = int32_t(platform::divRoundHalfEven(done * 99, totalBytes));
        int32_t shown = progress.load();
        while (shown < percent && !progress.compare_exchange_weak(shown, percent)) {
        }
    }
};

// Scans pieces [first, end) with its own buffer, reading from file (opened here when null).
void scanPiecesWith(SharedScan& shared, platform::RiffFile* file, int64_t first, int64_t end)
{
    std::unique_ptr<platform::RiffFile> own;
    if (!file) {
        own = platform::RiffFile::open(shared.fileName, platform::RiffFile::Mode::Read);
        if (!own)
            return shared.fail(WaveDisplayCode::CannotOpenWave);
        file = own.get();
    }
    // Held as 16-bit values so that both sample types may read it.
    std::unique_ptr<int16_t[]> buffer(new (std::nothrow) int16_t[size_t(kPeakPieceBytes / 2)]);
    if (!buffer)
        return shared.fail(WaveDisplayCode::OutOfMemory);
    const int64_t start = shared.dataOffset + first * kPeakPieceBytes;
    if (file->seek(start) != start)
        return shared.fail(WaveDisplayCode::ReadFailed);

    const int64_t blocksPerPiece = kPeakPieceBytes / shared.frameBytes / kFramesPerPeak;
    for (int64_t piece = first; piece < end; ++piece) {
        if (shared.failure.load() != WaveDisplayCode::Ok)
            return;
        const int64_t wanted = std::min(kPeakPieceBytes, shared.totalBytes - piece * kPeakPieceBytes);
        // The data chunk was checked against the file when it was opened; a short read means the
        // file shrank since.
        if (file->read(buffer.get(), wanted) != wanted)
            return shared.fail(WaveDisplayCode::ReadFailed);
        if (shared.afterPieceRead)
            shared.afterPieceRead(piece);
        PeakEntry* out[kMaxChannels];
        for (int c = 0; c < kMaxChannels; ++c)
            out[c] = shared.channels[c] ? shared.channels[c] + piece * blocksPerPiece : nullptr;
        if (shared.scanPiece(buffer.get(), wanted / shared.frameBytes, out, shared.state) < 0)
            return shared.fail(WaveDisplayCode::Cancelled);
        shared.addDone(wanted);
    }
}

// The body of every scanning thread: nothing may escape it.
void scanPieces(SharedScan& shared, platform::RiffFile* file, int64_t first, int64_t end) noexcept
{
    try {
        scanPiecesWith(shared, file, first, end);
    } catch (const std::bad_alloc&) {
        shared.fail(WaveDisplayCode::OutOfMemory);
    }
}

// Threads for a build: enough pieces each to be worth a thread, and no more than the cores this
// process may run on (more would only take turns on them).
int scanThreadsFor(int64_t pieces)
{
    constexpr int kMostThreads = 4;
    constexpr int64_t kLeastPiecesPerThread = 4;
    const int cores = std::max(1, QThread::idealThreadCount());
    return int(std::clamp<int64_t>(pieces / kLeastPiecesPerThread, 1, std::min(kMostThreads, cores)));
}

} // namespace

PeakBuildJob::PeakBuildJob(QString fileName, std::atomic<int32_t>& state, std::atomic<int32_t>& progress)
    : m_fileName(std::move(fileName))
    , m_state(state)
    , m_progress(progress)
{
}

void PeakBuildJob::run()
{
    result = WaveDisplayCode::Ok;
    headerRead = false;
    cache.clear();
    if (m_fileName.isEmpty()) {
        result = WaveDisplayCode::NoFileToBuild;
        return;
    }
    std::unique_ptr<platform::RiffFile> file;
    result = readWaveDisplayHeader(m_fileName, header, &file);
    if (result == WaveDisplayCode::Ok) {
        headerRead = true;
        if (header.totalSamples > 0)
            result = scan(*file);
    }
    if (result != WaveDisplayCode::Ok)
        cache.clear();
    saveResult = WaveDisplayCode::Ok;
    if (result == WaveDisplayCode::Ok && !peakFile.isEmpty()) {
        saveResult = writePeakFile(peakFile, cache, header.format.channels);
        if (saveResult != WaveDisplayCode::Ok)
            qCWarning(lcControls) << "saving the peak file" << peakFile << "failed with code" << saveResult;
    }
    m_progress.store(100);
}

int PeakBuildJob::scan(platform::RiffFile& file)
{
    const int channels = header.format.channels;
    const int64_t totalBytes = int64_t(header.totalSamples) * header.format.blockAlign;
    const int64_t pieces = (totalBytes + kPeakPieceBytes - 1) / kPeakPieceBytes;
    const int threads = scanThreadsFor(pieces);
    std::vector<std::thread> helpers;
    std::vector<int> leftOver;
    try {
        cache = PeakCache::unset(channels, peakEntriesFor(header.totalSamples)); // the scan sets every entry
        helpers.reserve(size_t(threads));
        leftOver.reserve(size_t(threads));
    } catch (const std::bad_alloc&) {
        return WaveDisplayCode::OutOfMemory;
    }
    SharedScan shared{m_fileName, header.dataOffset, header.format.blockAlign, totalBytes, pieceScanFor(header.format),
                      {}, m_state, m_progress, afterPieceRead};
    for (int c = 0; c < channels; ++c)
        shared.channels[c] = cache.channels[size_t(c)].data();
    m_progress.store(0);

    // The data is split into runs of whole pieces, one per thread; this thread scans the first
    // through the file it already has open. A thread that cannot be started leaves its run to
    // this thread.
    const auto runStart = [&](int t) { return pieces * t / threads; };
    for (int t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(scanPieces, std::ref(shared), nullptr, runStart(t), runStart(t + 1));
        } catch (const std::system_error&) {
            leftOver.push_back(t);
        }
    }
    scanPieces(shared, &file, runStart(0), runStart(1));
    for (int t : leftOver)
        scanPieces(shared, nullptr, runStart(t), runStart(t + 1));
    for (std::thread& helper : helpers)
        helper.join();
    return shared.failure.load();
}

} // namespace controls
