// Peak build of a one-hour 44.1 kHz 16-bit stereo WAV (about 635 MB), as a user who opens the file
// gets it: the first build in a fresh process, against `cat` of the same file in the same run. The
// file is read once before, so both read it from the page cache. Each round times cat, then a new
// process of this program (`--once FILE`) that opens the file and builds its peaks once and prints
// the seconds that took; the medians of the rounds are compared. Goal: the first build takes at
// most 1.5 times cat, on two cores or more. The caller chooses the cores (bench/run.sh runs this
// on two and on one); this program never moves itself to others.
#include "bench/BenchSupport.h"
#include "controls/WaveDisplayFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 7;
constexpr int kRunsInOneProcess = 5;
constexpr double kGoal = 1.5;

// Opens the file and builds its peaks once: the seconds that took, or -1 when it failed.
double buildOnce(controls::WaveDisplayFile& display, const QString& path)
{
    std::atomic<int32_t> progress{0};
    const auto start = Clock::now();
    if (display.OpenWaveFile(path) != 0 || display.BuildPeaks(progress) != 0)
        return -1;
    return bench::secondsSince(start);
}

// The child: one build in this fresh process, its seconds on stdout.
int runOnce(const QString& path)
{
    controls::WaveDisplayFile display;
    const double seconds = buildOnce(display, path);
    if (seconds < 0) {
        std::fprintf(stderr, "peak build of %s failed: code %d\n", qPrintable(path), display.GetLastError());
        return 1;
    }
    std::printf("%.6f\n", seconds);
    return 0;
}

struct FreshBuild {
    double build = -1;   // as the child measured it
    double process = -1; // the child from its start to its end
};

FreshBuild buildInFreshProcess(const QString& path)
{
    QProcess child;
    child.setStandardErrorFile(QProcess::nullDevice());
    const auto start = Clock::now();
    child.start(QCoreApplication::applicationFilePath(), {"--once", path});
    const bool ended = child.waitForFinished(-1);
    FreshBuild result;
    result.process = bench::secondsSince(start);
    bool parsed = false;
    const double build = child.readAllStandardOutput().trimmed().toDouble(&parsed);
    if (ended && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 && parsed)
        result.build = build;
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("--once"))
        return runOnce(arguments[2]);

    bench::Goals goals("peak_build_bench");
    const int cores = bench::coresGiven();
    const QString goal = QStringLiteral("first peak build in a fresh process, to cat of the file, on %1 core%2")
                             .arg(cores)
                             .arg(cores == 1 ? "" : "s");
    const QString path = bench::hourWave();
    if (path.isEmpty()) {
        goals.failed(goal, "the input could not be made with sox");
        return goals.exitCode();
    }
    const double megabytes = double(QFileInfo(path).size()) / 1e6;
    std::printf("input: %s (%.0f MB), read from the page cache (warm) by both; %d core%s given\n", qPrintable(path),
                megabytes, cores, cores == 1 ? "" : "s");
    bench::warmPageCache({path});

    std::vector<double> cats, builds, processes;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        if (!bench::runQuietly("cat", {path})) {
            goals.failed(goal, "cat failed");
            return goals.exitCode();
        }
        cats.push_back(bench::secondsSince(start));
        const FreshBuild fresh = buildInFreshProcess(path);
        if (fresh.build < 0) {
            goals.failed(goal, "the peak build failed");
            return goals.exitCode();
        }
        builds.push_back(fresh.build);
        processes.push_back(fresh.process);
    }

    // Later builds in one process, for comparison: the allocator may hand them memory that an
    // earlier build already touched.
    controls::WaveDisplayFile display;
    std::vector<double> inProcess;
    for (int run = 0; run < kRunsInOneProcess; ++run) {
        const double seconds = buildOnce(display, path);
        if (seconds < 0) {
            goals.failed(goal, "the peak build failed");
            return goals.exitCode();
        }
        inProcess.push_back(seconds);
    }

    const double cat = bench::median(cats);
    const double build = bench::median(builds);
    std::printf("%d rounds; medians (fastest in brackets):\n", kRounds);
    std::printf("  cat FILE > /dev/null                   %6.3f s  (%.3f s)\n", cat, *std::min_element(cats.begin(), cats.end()));
    std::printf("  first build in a fresh process         %6.3f s  (%.3f s; %.0f MB/s)\n", build,
                *std::min_element(builds.begin(), builds.end()), megabytes / build);
    std::printf("  that process from start to end         %6.3f s\n", bench::median(processes));
    std::printf("  in one process: first build %.3f s, best of %d %.3f s (%.2f x cat)\n", inProcess.front(),
                kRunsInOneProcess, *std::min_element(inProcess.begin(), inProcess.end()),
                *std::min_element(inProcess.begin(), inProcess.end()) / cat);
    std::printf("  entries per channel: %u\n", display.peakCache().entriesPerChannel());
    if (cores >= 2)
        goals.atMost(goal, build / cat, kGoal, "x");
    else
        goals.notJudged(goal, build / cat, "x", "the goal is for two cores or more");
    return goals.exitCode();
}
