// A cut and a paste on a one-hour 44.1 kHz 16-bit stereo WAV through the engine's edit processes,
// against, in the same run, sox doing the same edits and cp copying the file. Each of our edits
// writes about an hour of audio (the cut: the rest and the clipboard; the paste: the file and the
// pasted part) and flushes it to the disk before renaming it into place, so cp is also timed with a
// flush of its copy. Goals: faster than sox, within 2 times of cp.
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
#include <fcntl.h>
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

bool flush(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

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
    const QString input = bench::hourWave();
    if (input.isEmpty()) {
        std::fprintf(stderr, "could not make the input with sox\n");
        return 1;
    }
    // Into the page cache, so that every run reads from memory.
    bench::runQuietly("cat", {input});

    const QString copy = kWork + "/edit-cp.wav";
    const QString rest = kWork + "/edit-rest.wav";
    const QString clip = kWork + "/edit-clip.wav";
    const QString pasted = kWork + "/edit-pasted.wav";
    const QString sox = QStringLiteral(VA_SOX);

    const double cp = bestOf([&] { return bench::runQuietly("cp", {input, copy}); }, {copy});
    const double cpFlushed = bestOf([&] { return bench::runQuietly("cp", {input, copy}) && flush(copy); }, {copy});
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
    QFile::remove(clip);

    VirtualBackend backend;
    AudioEngine engine(backend);
    engine.SetTempPath(kWork);
    const double ourCut = bestOf(
        [&] { return edit(engine, [&](uint32_t* c) { return engine.AudioCut(input, kCutStart, kCutEnd, 1, c, 0, rest); }); },
        {rest});
    const double ourPaste = bestOf(
        [&] { return edit(engine, [&](uint32_t* c) { return engine.AudioPasteEx(input, kPasteAt, 1, c, 0, "", pasted); }); },
        {pasted});
    if (cp < 0 || cpFlushed < 0 || soxCut < 0 || soxPaste < 0 || ourCut < 0 || ourPaste < 0) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }

    std::printf("edits of a one-hour 44.1 kHz 16-bit stereo WAV (%.0f MB), best of %d runs:\n",
                double(QFileInfo(input).size()) / 1e6, kRuns);
    std::printf("  cp of the file                      %6.2f s\n", cp);
    std::printf("  cp of the file, then flushed         %6.2f s\n", cpFlushed);
    std::printf("  sox cut (rest and cut part)          %6.2f s\n", soxCut);
    std::printf("  sox paste (three inputs joined)      %6.2f s\n", soxPaste);
    std::printf("  our cut (rest and clipboard)         %6.2f s  %5.1f x faster than sox, %4.2f x cp, %4.2f x cp flushed\n",
                ourCut, soxCut / ourCut, ourCut / cp, ourCut / cpFlushed);
    std::printf("  our paste (from the clipboard)       %6.2f s  %5.1f x faster than sox, %4.2f x cp, %4.2f x cp flushed\n",
                ourPaste, soxPaste / ourPaste, ourPaste / cp, ourPaste / cpFlushed);
    std::printf("  (goals: faster than sox, within 2 x cp)\n");
    return 0;
}
