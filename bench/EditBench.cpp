// A cut and a paste on a one-hour 44.1 kHz 16-bit stereo WAV through the engine's edit processes,
// against, in the same run, sox doing the same edits and cp copying the file. Each of our edits
// writes about an hour of audio (the cut: the rest and the clipboard; the paste: the file and the
// pasted part) and flushes it to the disk before renaming it into place; neither sox nor cp
// flushes, so beside each goal stands the reference followed by a flush of what it wrote. Goals:
// faster than sox, within 2 times of cp.
#include "bench/BenchSupport.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/VirtualBackend.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <limits>
#include <unistd.h>

namespace {

using platform::audio::AudioEngine;
using platform::audio::VirtualBackend;

constexpr int kRate = 44100;
constexpr int kRuns = 3;
// The cut takes minutes 20 to 40 out; the paste puts them back in at minute 30.
constexpr int64_t kCutStart = int64_t(20 * 60) * kRate;
constexpr int64_t kCutEnd = int64_t(40 * 60) * kRate;
constexpr int64_t kPasteAt = int64_t(30 * 60) * kRate;

const QString kWork = bench::workFolder();

// The best of kRuns, each started with nothing left to write back and the outputs removed after.
double bestOf(const std::function<bool()>& work, const QStringList& outputs)
{
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < kRuns; ++i) {
        ::sync();
        const auto start = std::chrono::steady_clock::now();
        const bool ok = work();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        for (const QString& output : outputs)
            QFile::remove(output);
        if (!ok)
            return -1;
        best = std::min(best, seconds);
    }
    return best;
}

// Runs one edit through the handle protocol to its end; true when it succeeded.
bool edit(AudioEngine& engine, const std::function<uint16_t(uint32_t*)>& start)
{
    uint32_t cell = 0;
    if (start(&cell) != 0)
        return false;
    while (!engine.AudioEditProcessIsOver(cell))
        QThread::msleep(1);
    const int reason = engine.AudioEditGetReasonForProcessExit(cell);
    engine.AudioEditCloseHandle(&cell);
    return reason == 0;
}

QString sample(int64_t frames)
{
    return QStringLiteral("=%1s").arg(frames);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bench::Goals verdicts("edit_bench");
    const QString goals[] = {
        QStringLiteral("cut, to sox making the rest and the cut part"),
        QStringLiteral("paste, to sox joining the three parts"),
        QStringLiteral("cut, to cp of the file"),
        QStringLiteral("paste, to cp of the file"),
    };
    const QString input = bench::hourWave();
    if (input.isEmpty()) {
        for (const QString& goal : goals)
            verdicts.failed(goal, "the input could not be made with sox");
        return verdicts.exitCode();
    }
    // Into the page cache, so that every run reads from memory.
    bench::warmPageCache({input});

    const QString copy = kWork + "/edit-cp.wav";
    const QString rest = kWork + "/edit-rest.wav";
    const QString clip = kWork + "/edit-clip.wav";
    const QString pasted = kWork + "/edit-pasted.wav";
    const QString sox = QStringLiteral(VA_SOX);

    const double cp = bestOf([&] { return bench::runQuietly("cp", {input, copy}); }, {copy});
    const double cpFlushed = bestOf([&] { return bench::runQuietly("cp", {input, copy}) && bench::flushFile(copy); }, {copy});
    const double soxCut = bestOf(
        [&] {
            return bench::runQuietly(sox, {"-D", input, rest, "trim", "0", sample(kCutStart), sample(kCutEnd)})
                && bench::runQuietly(sox, {"-D", input, clip, "trim", sample(kCutStart), sample(kCutEnd)});
        },
        {rest, clip});
    // sox pastes by joining three inputs, two of them parts of the file cut out by other sox runs.
    bench::runQuietly(sox, {"-D", input, clip, "trim", sample(kCutStart), sample(kCutEnd)});
    const double soxPaste = bestOf(
        [&] {
            return bench::runQuietly(sox, {"-D", QStringLiteral("|%1 %2 -p trim 0 %3").arg(sox, input, sample(kPasteAt)), clip,
                             QStringLiteral("|%1 %2 -p trim %3").arg(sox, input, sample(kPasteAt)), "-b", "16",
                             pasted});
        },
        {pasted});
    const double soxPasteFlushed = bestOf(
        [&] {
            return bench::runQuietly(sox, {"-D", QStringLiteral("|%1 %2 -p trim 0 %3").arg(sox, input, sample(kPasteAt)), clip,
                             QStringLiteral("|%1 %2 -p trim %3").arg(sox, input, sample(kPasteAt)), "-b", "16",
                             pasted})
                && bench::flushFile(pasted);
        },
        {pasted});
    QFile::remove(clip);
    const double soxCutFlushed = bestOf(
        [&] {
            return bench::runQuietly(sox, {"-D", input, rest, "trim", "0", sample(kCutStart), sample(kCutEnd)})
                && bench::runQuietly(sox, {"-D", input, clip, "trim", sample(kCutStart), sample(kCutEnd)})
                && bench::flushFile(rest) && bench::flushFile(clip);
        },
        {rest, clip});

    VirtualBackend backend;
    AudioEngine engine(backend);
    engine.SetTempPath(kWork);
    const double ourCut = bestOf(
        [&] { return edit(engine, [&](uint32_t* c) { return engine.AudioCut(input, kCutStart, kCutEnd, 1, c, 0, rest); }); },
        {rest});
    const double ourPaste = bestOf(
        [&] { return edit(engine, [&](uint32_t* c) { return engine.AudioPasteEx(input, kPasteAt, 1, c, 0, "", pasted); }); },
        {pasted});
    if (cp < 0 || cpFlushed < 0 || soxCut < 0 || soxCutFlushed < 0 || soxPaste < 0 || soxPasteFlushed < 0 || ourCut < 0
        || ourPaste < 0) {
        for (const QString& goal : goals)
            verdicts.failed(goal, "a run failed");
        return verdicts.exitCode();
    }

    std::printf("edits of a one-hour 44.1 kHz 16-bit stereo WAV (%.0f MB), best of %d runs:\n",
                double(QFileInfo(input).size()) / 1e6, kRuns);
    std::printf("  cp of the file                       %6.2f s\n", cp);
    std::printf("  cp of the file, then flushed         %6.2f s\n", cpFlushed);
    std::printf("  sox cut (rest and cut part)          %6.2f s  (flushed: %.2f s)\n", soxCut, soxCutFlushed);
    std::printf("  sox paste (three inputs joined)      %6.2f s  (flushed: %.2f s)\n", soxPaste, soxPasteFlushed);
    std::printf("  our cut (rest and clipboard)         %6.2f s\n", ourCut);
    std::printf("  our paste (from the clipboard)       %6.2f s\n", ourPaste);
    verdicts.atMost(goals[0], ourCut / soxCut, 1, "x");
    verdicts.likeForLike("sox followed by a flush of its two files", ourCut / soxCutFlushed);
    verdicts.atMost(goals[1], ourPaste / soxPaste, 1, "x");
    verdicts.likeForLike("sox followed by a flush of its file", ourPaste / soxPasteFlushed);
    verdicts.atMost(goals[2], ourCut / cp, 2, "x");
    verdicts.likeForLike("cp followed by a flush of the copy", ourCut / cpFlushed);
    verdicts.atMost(goals[3], ourPaste / cp, 2, "x");
    verdicts.likeForLike("cp followed by a flush of the copy", ourPaste / cpFlushed);
    return verdicts.exitCode();
}
