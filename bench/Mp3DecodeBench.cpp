// Decoding a one-hour 128 kbit/s 44.1 kHz stereo MP3 into a WAV file as the programs do it (the
// MP3 library's conversion, with its progress and cancel checks), against `ffmpeg -i x.mp3 x.wav`
// on the same file in the same run: both run the same decoder and write the same samples. The MP3
// is read from the page cache by both; each run starts with nothing left to write back and its
// output removed after it. Ours flushes the WAV to the disk before it puts it in place, which
// ffmpeg does not: beside the goal stands ffmpeg followed by a flush of its output. Goal: at most
// 1.0 times ffmpeg.
#include "bench/BenchSupport.h"
#include "common/WaveUtil.h"
#include "platform/codecs/AudioDecoder.h"
#include "platform/codecs/VXMP3WAV.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace platform::codecs;

constexpr int kSeconds = 3600;
constexpr int kRounds = 3;
constexpr double kGoal = 1.0;

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

// One timed run: nothing left to write back before it; the WAV's frames read, then the WAV
// removed, after it. -1 when it failed.
double timedRun(const std::function<bool()>& work, const QString& output, uint32_t& frames)
{
    ::sync();
    const auto start = Clock::now();
    const bool ok = work();
    const double seconds = bench::secondsSince(start);
    frames = 0;
    const bool read = ok && ReadWaveFormat(output, &frames, nullptr) == 0;
    QFile::remove(output);
    return read ? seconds : -1;
}

// Decodes the whole file without writing anything, as a floor for ours.
double decodeOnly(const QString& input)
{
    const auto start = Clock::now();
    AudioDecoder decoder;
    if (decoder.open(input) != DecodeStatus::Ok)
        return -1;
    std::vector<uint8_t> block;
    do {
        if (decoder.read(block) != DecodeStatus::Ok)
            return -1;
    } while (!block.empty());
    return bench::secondsSince(start);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bench::Goals goals("mp3_decode_bench");
    const QString goal = QStringLiteral("MP3 into a WAV file, to ffmpeg -i x.mp3 x.wav");
    const QString input = makeInput();
    if (input.isEmpty()) {
        goals.failed(goal, "the input could not be made with ffmpeg");
        return goals.exitCode();
    }
    bench::warmPageCache({input});
    const QString ours = bench::workFolder() + "/decode-ours.wav";
    const QString theirs = bench::workFolder() + "/decode-ffmpeg.wav";

    std::vector<double> ourTimes, ffmpegTimes, flushedTimes;
    uint32_t ourFrames = 0, theirFrames = 0, flushedFrames = 0;
    VXMP3WAV library;
    for (int round = 0; round < kRounds; ++round) {
        ourTimes.push_back(timedRun([&] { return library.ConvertMP3FileIntoWave(input, ours) == Mp3ToWavCode::Ok; },
                                    ours, ourFrames));
        ffmpegTimes.push_back(timedRun([&] { return ffmpeg({"-i", input, theirs}); }, theirs, theirFrames));
        flushedTimes.push_back(timedRun([&] { return ffmpeg({"-i", input, theirs}) && bench::flushFile(theirs); },
                                        theirs, flushedFrames));
        if (ourTimes.back() < 0 || ffmpegTimes.back() < 0 || flushedTimes.back() < 0) {
            goals.failed(goal, "a run failed");
            return goals.exitCode();
        }
    }
    if (ourFrames != theirFrames || ourFrames != flushedFrames) {
        goals.failed(goal, QStringLiteral("the WAV files differ: %1 frames against ffmpeg's %2").arg(ourFrames).arg(theirFrames));
        return goals.exitCode();
    }
    const double decoding = decodeOnly(input);

    const double our = bench::median(ourTimes);
    const double ffmpegToFile = bench::median(ffmpegTimes);
    const double ffmpegFlushed = bench::median(flushedTimes);
    std::printf("MP3 decoding, %d min of 128 kbit/s 44.1 kHz stereo (%u frames), medians of %d rounds:\n",
                kSeconds / 60, ourFrames, kRounds);
    std::printf("  ours into a WAV file (flushed)       %6.2f s  (%.2f s per 10 min)\n", our, our * 600 / kSeconds);
    std::printf("  ffmpeg into a WAV file               %6.2f s\n", ffmpegToFile);
    std::printf("  ffmpeg into a WAV file, flushed      %6.2f s\n", ffmpegFlushed);
    std::printf("  ours, decoding only (one run)        %6.2f s\n", decoding);
    goals.atMost(goal, our / ffmpegToFile, kGoal, "x");
    goals.likeForLike("ffmpeg followed by a flush of its WAV", our / ffmpegFlushed);
    return goals.exitCode();
}
