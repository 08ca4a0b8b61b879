#pragma once
// The point arrays that the waveform view draws: per channel one polyline with two points per
// rendered column (the column's minimum and maximum mapped into the channel's band), built either
// from the peak cache (zoom 32 and more; the file is not touched) or from the WAV file's samples
// (below 32; only the visible frames are read).

#include "common/WaveFormat.h"
#include "controls/PeakCache.h"
#include "controls/WaveViewGeometry.h"

#include <QPoint>
#include <QString>

#include <cstdint>
#include <vector>

namespace controls {

// The pieces in which samples are read: a multiple of every frame size (1, 2 and 4 bytes).
inline constexpr int64_t kSamplePieceBytes = 65520;

struct WaveTraces {
    // One polyline per channel: 2 x plan.columns points, x already stretched to the view's width.
    std::vector<std::vector<QPoint>> channels;
    // The minimum and maximum of each rendered column, per channel; shorter than plan.columns when
    // the data end before the view does.
    std::vector<std::vector<PeakEntry>> columns;
};

// Which point of a column comes first in the polyline: the cache's traces start at the minimum,
// the samples' traces at the maximum.
enum class PointOrder { MinFirst, MaxFirst };

// Merges the cache entries of each rendered column: renderZoom / 32 entries from entry left / 32
// on, stopping at the end of the entries. Returns the columns filled (at most plan.columns).
int peakColumns(const PeakEntry* entries, int64_t entryCount, const ViewPlan& plan, PeakEntry* out);

// Min and max of each column of zoom frames over interleaved samples, fed piece by piece.
class SampleColumnScanner {
public:
    SampleColumnScanner(int channels, int bits, uint32_t zoom, int maxColumns);

    // Frames of interleaved samples as the file holds them (8-bit unsigned, 16-bit little-endian).
    void feed(const uint8_t* frames, int64_t frameCount);
    // Ends a column cut short by the end of the data.
    void finish();
    const std::vector<std::vector<PeakEntry>>& columns() const { return m_columns; }

private:
    int m_channels;
    int m_bits;
    uint32_t m_zoom;
    int m_maxColumns;
    uint32_t m_inColumn = 0; // frames of the current column seen so far
    std::vector<std::vector<PeakEntry>> m_columns;
    PeakEntry m_current[2] = {};
};

// The polyline of one channel: two points per column at x = the column's stretched pixel, the
// columns after the given ones on the zero line.
void tracePoints(const std::vector<PeakEntry>& columns, const ViewPlan& plan, ChannelBand band, int bits,
                 int scaleVertical, PointOrder order, std::vector<QPoint>& points);

// The traces of a view from the peak cache: 0, or 112 when the cache is empty or has fewer
// channels than the file.
int tracesFromPeaks(const PeakCache& cache, const WaveFormatEx& format, const ViewPlan& plan, int height,
                    int scaleVertical, WaveTraces& traces);

// The traces of a view from the file's samples: reads the frames plan.left to plan.right only.
// 0, the header's codes (101 to 105, 113; 113 also when the file's format is no longer the one
// given), or 107 when the data end before the first visible frame or a read fails.
int tracesFromSamples(const QString& path, const WaveFormatEx& format, const ViewPlan& plan, int height,
                      int scaleVertical, WaveTraces& traces);

} // namespace controls
