// Peak build of a one-hour 44.1 kHz 16-bit stereo WAV (about 635 MB) held in the page cache,
// against the time to read the file (cat) and the time of sox's own pass over it. Goal: the build
// takes at most 1.5 times the read.
#include "bench/BenchSupport.h"
#include "controls/WaveDisplayFile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <limits>

namespace {

using Clock = std::chrono::steady_clock;

struct Timing {
    double first = -1; // the first run alone
    double best = -1;  // the best of all runs
};

Timing measure(int runs, const std::function<bool()>& work)
{
    Timing t;
    t.best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        if (!work())
            return Timing{};
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (i == 0)
            t.first = seconds;
        t.best = std::min(t.best, seconds);
    }
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString path = bench::hourWave();
    if (path.isEmpty()) {
        std::fprintf(stderr, "could not make the input file with sox\n");
        return 1;
    }
    const double megabytes = double(QFileInfo(path).size()) / 1e6;
    std::printf("input: %s (%.0f MB)\n", qPrintable(path), megabytes);

    // Into the page cache, so that every run below reads from memory.
    bench::runQuietly("cat", {path});

    const double cat = measure(5, [&] { return bench::runQuietly("cat", {path}); }).best;
    const double sox = measure(2, [&] { return bench::runQuietly(QStringLiteral(VA_SOX), {path, "-n", "stat"}); }).best;

    controls::WaveDisplayFile display;
    if (display.OpenWaveFile(path) != 0) {
        std::fprintf(stderr, "cannot open the input: code %d\n", display.GetLastError());
        return 1;
    }
    std::atomic<int32_t> progress{0};
    int result = 0;
    // The first build also pays for the first touch of the cache's memory (40 MB); later ones may
    // get memory the allocator kept from the build before.
    const Timing build = measure(5, [&] {
        result = display.BuildPeaks(progress);
        return result == 0;
    });
    if (build.best < 0) {
        std::fprintf(stderr, "peak build failed: code %d\n", result);
        return 1;
    }

    std::printf("read (cat FILE > /dev/null): %.3f s\n", cat);
    std::printf("sox FILE -n stat:            %.3f s\n", sox);
    std::printf("peak build, best of 5:       %.3f s  (%.2f x the read, goal <= 1.5; %.0f MB/s)\n", build.best,
                build.best / cat, megabytes / build.best);
    std::printf("peak build, first run:       %.3f s  (%.2f x the read)\n", build.first, build.first / cat);
    std::printf("entries per channel: %u\n", display.peakCache().entriesPerChannel());
    return 0;
}
