// MP3 encoding of a one-hour 44.1 kHz 16-bit stereo WAV through the encoder library liblame_enc.so
// (as the programs drive it: blocks of the WAV's data, the flush, the file written), against the
// lame command at the same bit rate and quality setting on the same file. Goal: at most 1.1 times
// lame's time; both use libmp3lame. lame's defaults do more than our library asks of libmp3lame
// (joint stereo, a ReplayGain analysis, an information tag; ours: plain stereo with CRC), so the
// lame command with our settings is timed as well and printed beside the goal.
#include "bench/BenchSupport.h"
#include "common/WaveRead.h"
#include "platform/codecs/LameEncoderLibrary.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kBitRate = 128;
// The library's high-quality preset is libmp3lame's quality 3.
constexpr int kQuality = 3;

double since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Encodes the WAV into mp3 through the library; false on any failure.
bool encode(platform::codecs::LameEncoderLibrary& lib, const QString& wave, const QString& mp3)
{
    TWaveReader reader;
    if (OpenWaveForRead(wave, reader) != WaveReadCode::Ok)
        return false;
    const LameEncConfig config = platform::codecs::makeLameConfig(reader.format.samplesPerSec, reader.format.channels,
                                                                  kBitRate);
    uint32_t samplesPerChunk = 0, bufferSize = 0;
    LameEncStream stream = 0;
    if (lib.initStream(&config, &samplesPerChunk, &bufferSize, &stream) != LAME_ENC_OK)
        return false;
    QFile out(mp3);
    bool ok = out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    const uint32_t blockBytes = samplesPerChunk * reader.format.blockAlign;
    std::vector<int16_t> samples(blockBytes / 2);
    std::vector<uint8_t> buffer(bufferSize);
    for (uint32_t left = reader.dataSize; ok && left > 0;) {
        const uint32_t n = std::min(left, blockBytes);
        uint32_t written = 0;
        ok = reader.handle->read(samples.data(), n) == n
          && lib.encodeChunk(stream, n / 2, samples.data(), buffer.data(), &written) == LAME_ENC_OK
          && out.write(reinterpret_cast<const char*>(buffer.data()), written) == written;
        left -= n;
    }
    uint32_t written = 0;
    ok = ok && lib.deinitStream(stream, buffer.data(), &written) == LAME_ENC_OK
      && out.write(reinterpret_cast<const char*>(buffer.data()), written) == written;
    lib.closeStream(stream);
    out.close();
    return ok && out.error() == QFileDevice::NoError;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bench::Goals goals("mp3_encode_bench");
    const QString goal = QStringLiteral("MP3 encoding through liblame_enc.so, to lame -b %1 -q %2").arg(kBitRate).arg(kQuality);
    const QString wave = bench::hourWave();
    if (wave.isEmpty()) {
        goals.failed(goal, "the input could not be made with sox");
        return goals.exitCode();
    }
    QString error;
    const auto lib = platform::codecs::LameEncoderLibrary::load(QCoreApplication::applicationDirPath(), &error);
    if (!lib) {
        goals.failed(goal, error);
        return goals.exitCode();
    }
    const double minutes = double(QFileInfo(wave).size() - 44) / (44100.0 * 4 * 60);
    std::printf("input: %s (%.0f minutes), %u kbit/s, quality %d\n", qPrintable(wave), minutes, kBitRate, kQuality);
    std::fflush(stdout);
    bench::warmPageCache({wave});

    const QString ours = bench::workFolder() + "/encoded-by-library.mp3";
    const QString theirs = bench::workFolder() + "/encoded-by-lame.mp3";
    auto start = Clock::now();
    if (!encode(*lib, wave, ours)) {
        goals.failed(goal, "the library's encoding failed");
        return goals.exitCode();
    }
    const double library = since(start);
    const QStringList lameDefaults{"--quiet", "-b", QString::number(kBitRate), "-q", QString::number(kQuality)};
    // Plain stereo, no ReplayGain analysis, CRC on and no information tag, as our library sets it.
    const QStringList ourSettings{"-m", "s", "--noreplaygain", "-p", "-t"};
    start = Clock::now();
    const bool lameRan = bench::runQuietly("lame", lameDefaults + QStringList{wave, theirs});
    const double lame = since(start);
    start = Clock::now();
    const bool likeRan = lameRan && bench::runQuietly("lame", lameDefaults + ourSettings + QStringList{wave, theirs});
    const double lameLike = since(start);
    QFile::remove(ours);
    QFile::remove(theirs);
    if (!likeRan) {
        goals.failed(goal, "lame failed");
        return goals.exitCode();
    }

    std::printf("lame -b %u -q %d:                             %7.2f s  (%.2f s per ten minutes)\n", kBitRate, kQuality,
                lame, lame * 10 / minutes);
    std::printf("lame -b %u -q %d -m s --noreplaygain -p -t:   %7.2f s\n", kBitRate, kQuality, lameLike);
    std::printf("liblame_enc.so:                                  %7.2f s  (%.2f s per ten minutes)\n", library,
                library * 10 / minutes);
    goals.atMost(goal, library / lame, 1.1, "x");
    goals.likeForLike("lame with our settings (-m s --noreplaygain -p -t)", library / lameLike);
    return goals.exitCode();
}
