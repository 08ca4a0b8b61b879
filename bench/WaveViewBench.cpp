// Redraws of the waveform view of a one-hour 44.1 kHz 16-bit stereo WAV (the file the peak
// benchmark reads) in a 1920-pixel view, on one thread (the cache is built first, on several): the
// whole file from the peak cache, a closer zoom from the cache, and 1:1 from the samples, each at several scroll positions. A redraw
// is DrawView (the off-screen rendering) plus painting the control. Printed beside each: the time
// merely to read the cache entries the view covers (and, at 1:1, to read the visible bytes of the
// file). Goals: every redraw under 5 ms, and at most 3 times the read of the cache.
#include "bench/BenchSupport.h"
#include "controls/Waveform.h"
#include "controls/WaveViewGeometry.h"

#include <QApplication>
#include <QFile>
#include <QImage>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using controls::PeakEntry;

constexpr int kWidth = 1920;
constexpr int kHeight = 300;
constexpr int kRuns = 30;

struct Times {
    double median = 0;
    double p90 = 0;
    double worst = 0;
};

// Milliseconds of each run of work, after one run to warm up.
Times measure(const std::function<void()>& work)
{
    work();
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = Clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return Times{ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back()};
}

// Reads every entry from first on (count per channel) and folds them into a sum, the least work
// that touches each entry once.
int64_t readEntries(const controls::PeakCache& cache, int64_t first, int64_t count)
{
    int64_t sum = 0;
    for (const controls::PeakChannel& channel : cache.channels) {
        const int64_t end = std::min<int64_t>(first + count, int64_t(channel.size()));
        const int16_t* values = reinterpret_cast<const int16_t*>(channel.data() + first);
        int32_t lanes[16] = {};
        const int64_t n = (end - first) * 2;
        int64_t i = 0;
        for (; i + 16 <= n; i += 16) {
            for (int k = 0; k < 16; ++k)
                lanes[k] += values[i + k];
        }
        for (; i < n; ++i)
            sum += values[i];
        for (const int32_t lane : lanes)
            sum += lane;
    }
    return sum;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Goals goals("wave_view_bench");
    const QString under5 = QStringLiteral("slowest redraw of the waveform view");
    const QString toCache = QStringLiteral("redraw from the peak cache, to reading the entries it shows (worst median)");
    auto fail = [&](const QString& why) {
        goals.failed(under5, why);
        goals.failed(toCache, why);
        return goals.exitCode();
    };

    const QString path = bench::hourWave();
    if (path.isEmpty())
        return fail("the input could not be made with sox");

    controls::TQzv32WaveDisplay display;
    display.resize(kWidth + 2, kHeight + 2); // a one-pixel border around the client area
    std::atomic<int32_t> progress{0};
    if (display.OpenWaveFile(path) != 0 || display.BuildPeaks(progress) != 0)
        return fail(QStringLiteral("opening and building the peaks failed: code %1").arg(display.GetLastError()));
    const uint32_t total = display.TotalSamples();
    const uint32_t maxZoom = display.MaxZoomLevel();
    std::printf("input: %s, %u frames, %u entries per channel; view %d x %d; %d runs each, one thread\n",
                qPrintable(path), total, display.peakCache().entriesPerChannel(), kWidth, kHeight, kRuns);
    std::printf("%-34s %12s %12s %12s %12s %12s %8s\n", "case", "DrawView", "redraw", "redraw p90", "redraw max",
                "read cache", "ratio");

    QImage canvas(display.size(), QImage::Format_RGB32);
    volatile int64_t sink = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail("the input cannot be read");

    struct Case {
        const char* name;
        uint32_t zoom;
        std::vector<double> at; // scroll positions as parts of the file
    };
    const Case cases[] = {
        {"whole file from the cache", maxZoom, {0.0}},
        {"1/8 of the file from the cache", maxZoom / 8, {0.0, 0.3, 0.6, 0.875}},
        {"1:1 from the samples", 1, {0.0, 0.25, 0.5, 0.75, 1.0}},
    };
    double slowest = 0;
    double slowestP90 = 0;
    double worstRatio = 0;
    for (const Case& c : cases) {
        for (const double part : c.at) {
            const uint32_t left = uint32_t(part * total);
            int result = 0;
            const Times draw = measure([&] { result = display.DrawView(c.zoom, left); });
            if (result != 0)
                return fail(QStringLiteral("DrawView failed: code %1").arg(result));
            const Times redraw = measure([&] {
                display.DrawView(c.zoom, left);
                display.render(&canvas);
            });
            const controls::ViewPlan plan = controls::planView(c.zoom, left, total, kWidth);
            const int64_t firstEntry = plan.left / controls::kFramesPerPeak;
            const int64_t entries = std::max<int64_t>(int64_t(plan.right - plan.left) / controls::kFramesPerPeak, 1);
            const Times read = measure([&] { sink = sink + readEntries(display.peakCache(), firstEntry, entries); });
            char name[64];
            std::snprintf(name, sizeof name, "%s at %.0f%%", c.name, part * 100);
            const double ratio = redraw.median / read.median;
            std::printf("%-34s %9.3f ms %9.3f ms %9.3f ms %9.3f ms %9.4f ms %7.1fx\n", name, draw.median, redraw.median,
                        redraw.p90, redraw.worst, read.median, ratio);
            slowest = std::max(slowest, redraw.worst);
            slowestP90 = std::max(slowestP90, redraw.p90);
            if (plan.fromPeaks)
                worstRatio = std::max(worstRatio, ratio);
            if (!plan.fromPeaks) {
                // What the samples path cannot avoid: reading the visible frames from the file.
                QByteArray bytes;
                const Times fileRead = measure([&] {
                    file.seek(44 + int64_t(plan.left) * 4);
                    bytes = file.read(int64_t(plan.right - plan.left) * 4);
                });
                std::printf("%-34s %9s    %9s    %9s    %9s    %9.4f ms  (read of the %lld visible bytes of the file)\n",
                            "", "", "", "", "", fileRead.median, static_cast<long long>(bytes.size()));
            }
        }
    }
    double load[1] = {0};
    getloadavg(load, 1);
    std::printf("slowest 90th percentile of a case: %.3f ms; load average %.1f on %d processors\n", slowestP90, load[0],
                bench::coresGiven());
    goals.atMost(under5, slowest, 5, "ms");
    goals.atMost(toCache, worstRatio, 3, "x");
    return goals.exitCode();
}
