// The point arrays of the waveform view: merging cache entries into columns (against a plain
// loop), the two render paths agreeing on the same frames, reading only the data chunk's samples,
// the point order and stretch, and the codes for a cache or file that cannot be drawn from.
#include "controls/WaveDisplayFile.h"
#include "controls/WaveDisplayCodes.h"
#include "controls/TraceRaster.h"
#include "controls/WaveTraces.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <climits>

using namespace controls;
using namespace wavefixtures;
using testsupport::testFolder;
using testsupport::writeFile;

namespace {

PeakChannel randomEntries(int count, quint32 seed)
{
    QRandomGenerator random(seed);
    PeakChannel entries(static_cast<size_t>(count));
    for (PeakEntry& e : entries) {
        const int a = random.bounded(-32768, 32768);
        const int b = random.bounded(-32768, 32768);
        e = PeakEntry{int16_t(std::min(a, b)), int16_t(std::max(a, b))};
    }
    return entries;
}

ViewPlan peakPlan(uint32_t renderZoom, uint32_t left, int columns)
{
    ViewPlan plan;
    plan.fromPeaks = true;
    plan.zoom = renderZoom;
    plan.renderZoom = renderZoom;
    plan.left = left;
    plan.columns = columns;
    plan.width = columns;
    return plan;
}

QString writeWave(const QString& name, const QByteArray& bytes)
{
    const QString path = testFolder() + "/" + name;
    writeFile(path, bytes);
    return path;
}

// A stereo ramp: frame f holds f - 20000 on the left and 20000 - f on the right (f < 40,000).
QByteArray stereoRamp(int frames, const QByteArray& laterChunks = {})
{
    QList<int16_t> samples;
    for (int f = 0; f < frames; ++f)
        samples << int16_t(f % 40000 - 20000) << int16_t(20000 - f % 40000);
    return pcmWave(waveFormat(1, 2, 8000, 16), pcm16(samples), laterChunks);
}

} // namespace

TEST(WaveTracesTest, PeakColumnsMergeTheirEntriesLikeAPlainLoop)
{
    const PeakChannel entries = randomEntries(1000, 7);
    struct Case {
        const char* name;
        uint32_t renderZoom, left;
        int columns;
    };
    const Case cases[] = {
        {"one entry a column", 32, 0, 500},
        {"seven entries, not a whole vector", 224, 64, 100},
        {"nine entries, a vector and one", 288, 3200, 100},
        {"left inside a block starts at that block", 320, 100, 50},
        {"the cache ends before the view", 640, 31000, 50},
        {"left past the cache", 32, 40000, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<PeakEntry> out(size_t(c.columns));
        const int filled = peakColumns(entries.data(), int64_t(entries.size()), peakPlan(c.renderZoom, c.left, c.columns), out.data());
        std::vector<PeakEntry> expected;
        const size_t perColumn = c.renderZoom / 32;
        for (size_t first = c.left / 32; first < entries.size() && int(expected.size()) < c.columns; first += perColumn) {
            PeakEntry e = entries[first];
            for (size_t i = first; i < std::min(first + perColumn, entries.size()); ++i) {
                e.Min = std::min(e.Min, entries[i].Min);
                e.Max = std::max(e.Max, entries[i].Max);
            }
            expected.push_back(e);
        }
        ASSERT_EQ(filled, int(expected.size()));
        out.resize(size_t(filled));
        EXPECT_EQ(out, expected);
    }
}

// At zoom 32 the cache's columns and the samples' columns cover the same blocks, so the two paths
// must agree column by column; an off-by-one between them shows as a shifted or merged column.
TEST(WaveTracesTest, BothPathsAgreeAtZoom32)
{
    const QString path = soxWave(testFolder() + "/noise.wav", 16, 2, 12000);
    WaveDisplayFile file;
    ASSERT_EQ(file.OpenWaveFile(path), 0);
    std::atomic<int32_t> progress{0};
    ASSERT_EQ(file.BuildPeaks(progress), 0);

    for (const uint32_t left : {0u, 320u, 6400u}) {
        SCOPED_TRACE(left);
        ViewPlan plan = planView(32, left, file.TotalSamples(), 200);
        ASSERT_TRUE(plan.fromPeaks);
        WaveTraces fromPeaks;
        ASSERT_EQ(tracesFromPeaks(file.peakCache(), file.format(), plan, 100, 0, fromPeaks), 0);
        plan.fromPeaks = false;
        WaveTraces fromSamples;
        ASSERT_EQ(tracesFromSamples(path, file.format(), plan, 100, 0, fromSamples), 0);
        ASSERT_EQ(fromPeaks.columns.size(), 2u);
        EXPECT_EQ(fromPeaks.columns[0].size(), 200u);
        EXPECT_EQ(fromPeaks.columns, fromSamples.columns);
    }
}

TEST(WaveTracesTest, SamplesAfterTheDataChunkAreNotDrawn)
{
    // 1,000 frames followed by a tag chunk of loud bytes; the last screen reaches past the data.
    const QByteArray loud(4000, '\x7f');
    const QString path = writeWave("tagged.wav", stereoRamp(1000, chunk("id3 ", loud)));
    WaveDisplayFile file;
    ASSERT_EQ(file.OpenWaveFile(path), 0);
    ASSERT_EQ(file.TotalSamples(), 1000u);

    ViewPlan plan = planView(4, 900, 1000, 100); // 400 frames from 600
    ASSERT_EQ(plan.left, 600u);
    WaveTraces traces;
    ASSERT_EQ(tracesFromSamples(path, file.format(), plan, 200, 0, traces), 0);
    ASSERT_EQ(traces.columns[0].size(), 100u);
    EXPECT_EQ(traces.columns[0][99], (PeakEntry{int16_t(996 - 20000), int16_t(999 - 20000)}));

    // A display that still counts more frames than the file holds draws the rest flat.
    plan = planView(4, 0, 1200, 300);
    ASSERT_EQ(tracesFromSamples(path, file.format(), plan, 200, 0, traces), 0);
    EXPECT_EQ(traces.columns[0].size(), 250u) << "1,000 frames make 250 columns of 4";
    const std::vector<QPoint>& right = traces.channels[1];
    ASSERT_EQ(right.size(), 600u);
    for (size_t i = 500; i < right.size(); ++i)
        EXPECT_EQ(right[i].y(), 150) << "on the right channel's zero line at point " << i;
}

TEST(WaveTracesTest, PointsFollowTheOrderOfEachPathAndStretchToTheWidth)
{
    const std::vector<PeakEntry> columns{{-32767, 32767}, {0, 16384}};
    ViewPlan plan;
    plan.columns = 4;
    plan.width = 8; // widened by two
    std::vector<QPoint> points;
    const ChannelBand band{100, 100};
    tracePoints(columns, plan, band, 16, 0, PointOrder::MinFirst, points);
    const std::vector<QPoint> minFirst{{0, 200}, {0, 0}, {2, 100}, {2, 50}, {4, 100}, {4, 100}, {6, 100}, {6, 100}};
    EXPECT_EQ(points, minFirst);
    tracePoints(columns, plan, band, 16, 0, PointOrder::MaxFirst, points);
    EXPECT_EQ(points[0], QPoint(0, 0));
    EXPECT_EQ(points[1], QPoint(0, 200));
    tracePoints(columns, plan, band, 16, -10, PointOrder::MinFirst, points);
    EXPECT_EQ(points[0], QPoint(0, 190)) << "ScaleVertical pulls both ends toward the axis";
    EXPECT_EQ(points[1], QPoint(0, 10));
    EXPECT_EQ(points[3], QPoint(2, 50)) << "a column touching the axis is not scaled";

    plan.columns = 6;
    plan.width = 3; // compressed by two
    tracePoints(columns, plan, band, 16, 0, PointOrder::MinFirst, points);
    EXPECT_EQ(points[2].x(), 0);
    EXPECT_EQ(points[4].x(), 1);
    EXPECT_EQ(points[10].x(), 2);
}

TEST(WaveTracesTest, EightBitSilenceLiesOnTheZeroLine)
{
    const QString path = writeWave("silence8.wav", pcmWave(waveFormat(1, 1, 8000, 8), QByteArray(4000, '\x80')));
    WaveDisplayFile file;
    ASSERT_EQ(file.OpenWaveFile(path), 0);
    std::atomic<int32_t> progress{0};
    ASSERT_EQ(file.BuildPeaks(progress), 0);
    for (const uint32_t zoom : {1u, 40u}) {
        const ViewPlan plan = planView(zoom, 0, file.TotalSamples(), 50);
        WaveTraces traces;
        const int result = plan.fromPeaks ? tracesFromPeaks(file.peakCache(), file.format(), plan, 101, 0, traces)
                                          : tracesFromSamples(path, file.format(), plan, 101, 0, traces);
        ASSERT_EQ(result, 0);
        for (const QPoint& p : traces.channels[0])
            ASSERT_EQ(p.y(), 50) << "zoom " << zoom;
    }
}

TEST(WaveTracesTest, CachesAndFilesThatCannotBeDrawnFromGiveTheirCodes)
{
    const QString path = writeWave("ramp.wav", stereoRamp(3200));
    WaveDisplayFile file;
    ASSERT_EQ(file.OpenWaveFile(path), 0);
    const ViewPlan peaks = planView(64, 0, 3200, 50);
    const ViewPlan samples = planView(4, 0, 3200, 50);
    WaveTraces traces;

    EXPECT_EQ(tracesFromPeaks(PeakCache{}, file.format(), peaks, 100, 0, traces), WaveDisplayCode::NothingToDraw);
    PeakCache mono;
    mono.channels.push_back(randomEntries(100, 1));
    EXPECT_EQ(tracesFromPeaks(mono, file.format(), peaks, 100, 0, traces), WaveDisplayCode::NothingToDraw)
        << "a cache of fewer channels than the file";

    EXPECT_EQ(tracesFromSamples(testFolder() + "/missing.wav", file.format(), samples, 100, 0, traces),
              WaveDisplayCode::CannotOpenWave);
    const QString replaced = writeWave("replaced.wav", pcmWave(waveFormat(1, 1, 8000, 16), pcm16({1, 2, 3})));
    EXPECT_EQ(tracesFromSamples(replaced, file.format(), samples, 100, 0, traces), WaveDisplayCode::UnsupportedFormat)
        << "the file is no longer the format the display opened";
    const QString shrunk = writeWave("shrunk.wav", stereoRamp(100));
    EXPECT_EQ(tracesFromSamples(shrunk, file.format(), planView(4, 2000, 3200, 50), 100, 0, traces),
              WaveDisplayCode::ReadFailed)
        << "the data end before the view starts";
}

// The rows each column gets, against the plain definition of the lines: every step of every
// segment computed on its own.
TEST(TraceRasterTest, SpansHoldEveryPixelOfTheLinesAndNothingElse)
{
    constexpr int width = 32, height = 40;
    QRandomGenerator random(11);
    for (int round = 0; round < 200; ++round) {
        std::vector<QPoint> points;
        int x = random.bounded(-6, 10);
        for (int i = 0; i < 6; ++i) {
            points.emplace_back(x, random.bounded(-20, 60));
            x += random.bounded(0, 8);
        }
        ColumnSpans spans(width, height);
        spans.addPolyline(points.data(), points.size());

        std::vector<int> top(width, INT_MAX), bottom(width, INT_MIN);
        for (size_t i = 1; i < points.size(); ++i) {
            QPoint a = points[i - 1], b = points[i];
            const int dx = b.x() - a.x(), dy = b.y() - a.y();
            const bool xMajor = std::abs(dx) >= std::abs(dy);
            const int major = xMajor ? std::abs(dx) : std::abs(dy);
            const int minor = xMajor ? std::abs(dy) : std::abs(dx);
            for (int k = 0; k <= major; ++k) {
                const int across = major == 0 ? 0 : (2 * k * minor + major) / (2 * major);
                const int px = a.x() + (xMajor ? k : across) * (dx >= 0 ? 1 : -1);
                const int py = a.y() + (xMajor ? across : k) * (dy >= 0 ? 1 : -1);
                if (px >= 0 && px < width && py >= 0 && py < height) {
                    top[px] = std::min(top[px], py);
                    bottom[px] = std::max(bottom[px], py);
                }
            }
        }
        for (int c = 0; c < width; ++c) {
            if (top[c] == INT_MAX) {
                ASSERT_GT(spans.top(c), spans.bottom(c)) << "round " << round << " column " << c;
            } else {
                ASSERT_EQ(spans.top(c), top[c]) << "round " << round << " column " << c;
                ASSERT_EQ(spans.bottom(c), bottom[c]) << "round " << round << " column " << c;
            }
        }
    }
}

TEST(TraceRasterTest, FarPointsAreClippedAndOnlyTheSpansArePainted)
{
    ColumnSpans spans(8, 30);
    const QPoint steps[] = {{1, 20}, {1, 5}, {2, 20}, {2, 5}};
    spans.addPolyline(steps, 4);
    EXPECT_EQ(spans.top(1), 5);
    EXPECT_EQ(spans.bottom(1), 20);
    EXPECT_EQ(spans.top(2), 5) << "a steep step ends on its end point";
    EXPECT_EQ(spans.bottom(2), 20);
    EXPECT_GT(spans.top(3), spans.bottom(3));

    // From far above the image to far below: only the visible columns are visited.
    ColumnSpans far(8, 30);
    const QPoint outside[] = {{3, -1000000000}, {3, 29}, {7, 25}, {9, 2000000000}};
    far.addPolyline(outside, 4);
    EXPECT_EQ(far.top(3), 0);
    EXPECT_EQ(far.bottom(3), 29);
    EXPECT_EQ(far.top(5), 27);
    EXPECT_EQ(far.bottom(5), 27);
    EXPECT_EQ(far.top(7), 25);
    EXPECT_EQ(far.bottom(7), 29);

    QImage image(8, 30, QImage::Format_RGB32);
    paintSpans(image, qRgb(0, 0, 0), qRgb(255, 255, 255), {spans, far});
    EXPECT_EQ(image.pixel(1, 5), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(1, 4), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(3, 0), qRgb(255, 255, 255)) << "the second channel's pixels";
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));

    QImage other(9, 30, QImage::Format_RGB32);
    paintSpans(other, qRgb(1, 2, 3), qRgb(255, 255, 255), {spans});
    EXPECT_EQ(other.pixel(1, 5), qRgb(1, 2, 3)) << "spans of another size: the background only";
}
