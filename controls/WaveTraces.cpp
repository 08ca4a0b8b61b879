#include "controls/WaveTraces.h"

#include "controls/WaveDisplayCodes.h"
#include "controls/WaveDisplayHeader.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

namespace controls {

// 16-bit samples and cache entries are used as they lie in memory.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(PeakEntry) == 4);
static_assert(kSamplePieceBytes % 4 == 0);

namespace {

constexpr int kMaxChannels = 2;

// 8 lanes of the compiler's vector extension: packed min and max (SSE2 on x86-64) without
// intrinsics. Entries are (Min, Max) pairs, so in a row of lanes the even lanes hold minima and
// the odd ones maxima; rows fold lanewise into two pairs of accumulators, which stay in registers
// and let two rows be folded at once.
typedef int16_t Lanes8 __attribute__((vector_size(16)));
constexpr int kEntriesPerRow = int(sizeof(Lanes8) / sizeof(PeakEntry));

inline Lanes8 loadRow(const PeakEntry* entries)
{
    Lanes8 row;
    std::memcpy(&row, entries, sizeof row);
    return row;
}

// The smallest Min and largest Max of count entries (count > 0).
PeakEntry mergeEntries(const PeakEntry* entries, int64_t count)
{
    PeakEntry result = entries[0];
    int64_t i = 0;
    if (count >= 2 * kEntriesPerRow) {
        Lanes8 lows0 = loadRow(entries);
        Lanes8 lows1 = loadRow(entries + kEntriesPerRow);
        Lanes8 highs0 = lows0;
        Lanes8 highs1 = lows1;
        for (i = 2 * kEntriesPerRow; i + 2 * kEntriesPerRow <= count; i += 2 * kEntriesPerRow) {
            const Lanes8 row0 = loadRow(entries + i);
            const Lanes8 row1 = loadRow(entries + i + kEntriesPerRow);
            lows0 = row0 < lows0 ? row0 : lows0;
            highs0 = row0 > highs0 ? row0 : highs0;
            lows1 = row1 < lows1 ? row1 : lows1;
            highs1 = row1 > highs1 ? row1 : highs1;
        }
        const Lanes8 lows = lows0 < lows1 ? lows0 : lows1;
        const Lanes8 highs = highs0 > highs1 ? highs0 : highs1;
        for (int lane = 0; lane < 8; lane += 2) {
            result.Min = std::min<int16_t>(result.Min, lows[lane]);
            result.Max = std::max<int16_t>(result.Max, highs[lane + 1]);
        }
    }
    for (; i < count; ++i) {
        result.Min = std::min(result.Min, entries[i].Min);
        result.Max = std::max(result.Max, entries[i].Max);
    }
    return result;
}

int16_t sampleAt(const uint8_t* p, int bits)
{
    return bits == 8 ? int16_t(*p) : qFromLittleEndian<int16_t>(p);
}

} // namespace

int peakColumns(const PeakEntry* entries, int64_t entryCount, const ViewPlan& plan, PeakEntry* out)
{
    const int64_t perColumn = std::max<int64_t>(plan.renderZoom / kFramesPerPeak, 1);
    int64_t first = plan.left / kFramesPerPeak;
    int filled = 0;
    while (filled < plan.columns && first < entryCount) {
        const int64_t count = std::min(perColumn, entryCount - first);
        out[filled++] = mergeEntries(entries + first, count);
        first += count;
    }
    return filled;
}

SampleColumnScanner::SampleColumnScanner(int channels, int bits, uint32_t zoom, int maxColumns)
    : m_channels(std::clamp(channels, 1, kMaxChannels))
    , m_bits(bits)
    , m_zoom(std::max<uint32_t>(zoom, 1))
    , m_maxColumns(std::max(maxColumns, 0))
    , m_columns(size_t(m_channels))
{
    for (auto& channel : m_columns)
        channel.reserve(size_t(m_maxColumns));
}

void SampleColumnScanner::feed(const uint8_t* frames, int64_t frameCount)
{
    const int sampleBytes = m_bits / 8;
    const int frameBytes = sampleBytes * m_channels;
    for (int64_t f = 0; f < frameCount && int(m_columns[0].size()) < m_maxColumns; ++f) {
        const uint8_t* frame = frames + f * frameBytes;
        for (int c = 0; c < m_channels; ++c) {
            const int16_t v = sampleAt(frame + c * sampleBytes, m_bits);
            PeakEntry& current = m_current[c];
            if (m_inColumn == 0) {
                current = PeakEntry{v, v};
            } else if (v > current.Max) {
                current.Max = v;
            } else if (v < current.Min) {
                current.Min = v;
            }
        }
        if (++m_inColumn == m_zoom)
            finish();
    }
}

void SampleColumnScanner::finish()
{
    if (m_inColumn == 0 || int(m_columns[0].size()) >= m_maxColumns)
        return;
    for (int c = 0; c < m_channels; ++c)
        m_columns[size_t(c)].push_back(m_current[c]);
    m_inColumn = 0;
}

void tracePoints(const std::vector<PeakEntry>& columns, const ViewPlan& plan, ChannelBand band, int bits,
                 int scaleVertical, PointOrder order, std::vector<QPoint>& points)
{
    const int count = std::max(plan.columns, 0);
    points.resize(size_t(count) * 2);
    const int filled = std::min(count, int(columns.size()));
    for (int i = 0; i < filled; ++i) {
        const int x = stretchedColumn(i, count, plan.width);
        int minOffset = valueOffset(columns[size_t(i)].Min, band.half, bits);
        int maxOffset = valueOffset(columns[size_t(i)].Max, band.half, bits);
        scaleColumn(minOffset, maxOffset, scaleVertical);
        const QPoint low(x, band.centre - minOffset);
        const QPoint high(x, band.centre - maxOffset);
        points[size_t(i) * 2] = order == PointOrder::MinFirst ? low : high;
        points[size_t(i) * 2 + 1] = order == PointOrder::MinFirst ? high : low;
    }
    for (int i = filled; i < count; ++i) {
        const QPoint zero(stretchedColumn(i, count, plan.width), band.centre);
        points[size_t(i) * 2] = zero;
        points[size_t(i) * 2 + 1] = zero;
    }
}

int tracesFromPeaks(const PeakCache& cache, const WaveFormatEx& format, const ViewPlan& plan, int height,
                    int scaleVertical, WaveTraces& traces)
{
    const int channels = format.channels;
    if (cache.isEmpty() || channels < 1 || channels > kMaxChannels || int(cache.channels.size()) < channels)
        return WaveDisplayCode::NothingToDraw;
    traces.channels.resize(size_t(channels));
    traces.columns.resize(size_t(channels));
    for (int c = 0; c < channels; ++c) {
        const PeakChannel& entries = cache.channels[size_t(c)];
        std::vector<PeakEntry>& columns = traces.columns[size_t(c)];
        columns.resize(size_t(std::max(plan.columns, 0)));
        columns.resize(size_t(peakColumns(entries.data(), int64_t(entries.size()), plan, columns.data())));
        tracePoints(columns, plan, channelBand(c, channels, height), format.bitsPerSample, scaleVertical,
                    PointOrder::MinFirst, traces.channels[size_t(c)]);
    }
    return WaveDisplayCode::Ok;
}

int tracesFromSamples(const QString& path, const WaveFormatEx& format, const ViewPlan& plan, int height,
                      int scaleVertical, WaveTraces& traces)
{
    WaveDisplayHeader header;
    std::unique_ptr<platform::RiffFile> file;
    const int opened = readWaveDisplayHeader(path, header, &file);
    if (opened != WaveDisplayCode::Ok)
        return opened;
    if (header.format.channels != format.channels || header.format.bitsPerSample != format.bitsPerSample)
        return WaveDisplayCode::UnsupportedFormat;

    const int channels = format.channels;
    const int frameBytes = header.format.blockAlign;
    // Only the visible frames, and only those the data chunk holds: anything after it (a tag
    // chunk, say) is not sample data.
    const int64_t visible = int64_t(plan.right) - int64_t(plan.left);
    const int64_t present = std::clamp<int64_t>(int64_t(header.totalSamples) - int64_t(plan.left), 0, visible);
    if (visible > 0 && present == 0)
        return WaveDisplayCode::ReadFailed;
    if (file->seek(header.dataOffset + int64_t(plan.left) * frameBytes) < 0)
        return WaveDisplayCode::ReadFailed;

    SampleColumnScanner scanner(channels, format.bitsPerSample, plan.zoom, plan.columns);
    std::unique_ptr<uint8_t[]> piece(new (std::nothrow) uint8_t[kSamplePieceBytes]);
    if (!piece)
        return WaveDisplayCode::OutOfMemory;
    const int64_t framesPerPiece = kSamplePieceBytes / frameBytes;
    for (int64_t done = 0; done < present;) {
        const int64_t frames = std::min(framesPerPiece, present - done);
        const int64_t got = file->read(piece.get(), frames * frameBytes);
        if (got <= 0)
            return WaveDisplayCode::ReadFailed;
        scanner.feed(piece.get(), got / frameBytes);
        done += got / frameBytes;
        if (got % frameBytes != 0)
            break;
    }
    scanner.finish();

    traces.channels.resize(size_t(channels));
    traces.columns = scanner.columns();
    for (int c = 0; c < channels; ++c)
        tracePoints(traces.columns[size_t(c)], plan, channelBand(c, channels, height), format.bitsPerSample,
                    scaleVertical, PointOrder::MaxFirst, traces.channels[size_t(c)]);
    return WaveDisplayCode::Ok;
}

} // namespace controls
