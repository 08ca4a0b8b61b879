// Decoding a one-hour 128 kbit/s 44.1 kHz stereo MP3 into a WAV, against ffmpeg decoding the same
// file in the same run (`ffmpeg -i x.mp3 -f wav -` into /dev/null, and into a file as we do).
// Goal: within 1.2 times ffmpeg.
#include "bench/BenchSupport.h"
#include "common/WaveUtil.h"
#include "platform/codecs/DecodeToWave.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <limits>

namespace {

using Clock = std::chrono::steady_clock;
using namespace platform::codecs;

constexpr int kSeconds = 3600;
constexpr int kRuns = 3;

double bestOf(int runs, const std::function<bool()>& work)
{
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        if (!work())
            return -1;
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

bool ffmpeg(const QStringList& arguments, const QString& output = QProcess::nullDevice())
{
    return bench::runQuietly(QStringLiteral(VA_FFMPEG), QStringList{"-nostdin", "-v", "error", "-y"} + arguments, output);
}

// Made once and kept: a tone with pink noise, so every frame carries real content.
QString makeInput()
{
    const QString folder = bench::workFolder();
    QDir().mkpath(folder);
    const QString path = folder + "/hour-128k-stereo.mp3";
    if (QFileInfo(path).size() > 50'000'000)
        return path;
    std::printf("making %s (once)...\n", qPrintable(path));
    std::fflush(stdout);
    const QString partial = folder + "/hour-128k-stereo.part.mp3";
    const QString duration = QString::number(kSeconds);
    if (!ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=" + duration, "-f", "lavfi", "-i",
                 "anoisesrc=color=pink:amplitude=0.2:sample_rate=44100:duration=" + duration, "-filter_complex",
                 "amix=inputs=2", "-ac", "2", "-c:a", "libmp3lame", "-b:a", "128k", partial})) {
        QFile::remove(partial);
        return {};
    }
    QFile::remove(path);
    QFile::rename(partial, path);
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString input = makeInput();
    if (input.isEmpty()) {
        std::fprintf(stderr, "could not make the input file\n");
        return 1;
    }
    const QString ours = bench::workFolder() + "/decode-ours.wav";
    const QString theirs = bench::workFolder() + "/decode-ffmpeg.wav";

    int64_t frames = 0;
    const double decodeToFile = bestOf(kRuns, [&] {
        const DecodeOutcome outcome = decodeToWave(input, ours, DecodeRequest{});
        frames = outcome.frames;
        return outcome.status == DecodeStatus::Ok;
    });
    const double decodeOnly = bestOf(kRuns, [&] {
        AudioDecoder decoder;
        if (decoder.open(input) != DecodeStatus::Ok)
            return false;
        std::vector<uint8_t> block;
        do {
            if (decoder.read(block) != DecodeStatus::Ok)
                return false;
        } while (!block.empty());
        return true;
    });
    const double ffmpegToNull = bestOf(kRuns, [&] { return ffmpeg({"-i", input, "-f", "wav", "-"}); });
    const double ffmpegToFile = bestOf(kRuns, [&] { return ffmpeg({"-i", input, "-f", "wav", theirs}); });
    uint32_t ourFrames = 0;
    uint32_t theirFrames = 0;
    const bool same = ReadWaveFormat(ours, &ourFrames, nullptr) == 0 && ReadWaveFormat(theirs, &theirFrames, nullptr) == 0
                   && ourFrames == theirFrames;
    QFile::remove(ours);
    QFile::remove(theirs);
    if (decodeToFile < 0 || decodeOnly < 0 || ffmpegToNull < 0 || ffmpegToFile < 0) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }

    std::printf("MP3 decoding, %d min of 128 kbit/s 44.1 kHz stereo (%lld frames), best of %d runs:\n",
                kSeconds / 60, static_cast<long long>(frames), kRuns);
    std::printf("  ours into a WAV file           %7.2f s  (%.2f s per 10 min)\n", decodeToFile,
                decodeToFile * 600 / kSeconds);
    std::printf("  ours, decoding only            %7.2f s\n", decodeOnly);
    std::printf("  ffmpeg -f wav - > /dev/null    %7.2f s  (%.2f s per 10 min)\n", ffmpegToNull,
                ffmpegToNull * 600 / kSeconds);
    std::printf("  ffmpeg into a WAV file         %7.2f s\n", ffmpegToFile);
    std::printf("  ratio to ffmpeg > /dev/null    %7.2f  (goal: at most 1.2)\n", decodeToFile / ffmpegToNull);
    std::printf("  ratio to ffmpeg into a file    %7.2f\n", decodeToFile / ffmpegToFile);
    std::printf("  frames of the two WAV files %s\n", same ? "equal" : "DIFFER");
    return 0;
}
