// The mix-down of two one-hour 44.1 kHz 16-bit stereo tracks with a fader move every ten seconds,
// as the recorder makes it: to WAV (mixed beside the target under a temporary name, flushed and
// renamed into place) and to MP3 at 128 kbit/s (mixed into a temporary WAV, then encoded by the
// encoder library liblame_enc.so). In the same run `sox -m` mixes the same two files into a WAV,
// and `sox -m ... -t wav - | lame -b 128 -` into an MP3. Goals: the WAV mix-down faster than sox
// and at least 100 times real time; the MP3 mix-down within 1.1 times the sox | lame pipeline.
// sox leaves its file unflushed and lame's defaults differ from the library's settings (joint stereo
// and ReplayGain analysis against the library's plain stereo, CRC and no analysis), so both
// references are also timed doing our work and printed beside the goals.
#include "bench/BenchSupport.h"
#include "recorder/FaderController.h"
#include "recorder/MixTracksToWave.h"
#include "common/Lame_dll.h"
#include "common/WaveRead.h"
#include "platform/files/PendingFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

constexpr int kSeconds = 3600;
constexpr int kRate = 44100;
constexpr int kBitRate = 128;

// A take over the whole hour that moves the fader every ten seconds, back and forth across its range.
recorder::MixFader faderMovingEveryTenSeconds()
{
    recorder::FaderController fader({});
    fader.beginTake(0);
    for (int second = 10; second < kSeconds; second += 10)
        fader.onFaderMoved(int64_t(second) * kRate, (second / 10) % 49 - 24);
    fader.endTake();
    return {*fader.automation(), fader.fader(), fader.voiceTrim(), fader.musicTrim()};
}

bool mix(const QString& voice, const QString& music, const QString& target, const recorder::MixFader& fader)
{
    recorder::MixRequest request;
    request.voiceWav = voice;
    request.musicWav = music;
    request.targetWav = target;
    request.fader = fader;
    request.preventSaturation = true;
    recorder::MixProgress progress;
    return recorder::MixTracksToWave(request, progress) == recorder::MixCode::Ok;
}

// The WAV road: the mix beside the target, put in its place once it is on the disk.
bool mixToWave(const QString& voice, const QString& music, const QString& target, const recorder::MixFader& fader)
{
    platform::PendingFile pending(target);
    return pending.isValid() && mix(voice, music, pending.path(), fader) && pending.commit();
}

QString quoted(const QString& path)
{
    return QLatin1Char('\'') + QString(path).replace(QLatin1Char('\''), QLatin1String("'\\''")) + QLatin1Char('\'');
}

// sox -m of the two files piped into lame with these options.
bool soxIntoLame(const QString& voice, const QString& music, const QString& mp3, const QString& lameOptions)
{
    const QString pipeline = QStringLiteral("%1 -m %2 %3 -t wav - | lame --quiet -b %4 %5 - %6")
                                 .arg(QStringLiteral(VA_SOX), quoted(voice), quoted(music))
                                 .arg(kBitRate)
                                 .arg(lameOptions, quoted(mp3));
    return bench::runQuietly(QStringLiteral("bash"), {"-o", "pipefail", "-c", pipeline});
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bench::Goals goals("mix_down_bench");
    const QString wavGoal = QStringLiteral("WAV mix-down, times as fast as sox -m");
    const QString speedGoal = QStringLiteral("WAV mix-down, times real time");
    const QString mp3Goal = QStringLiteral("MP3 mix-down at %1 kbit/s, to sox -m | lame -b %1").arg(kBitRate);
    const QString voice = bench::hourWave();
    const QString music = bench::soxWave("hour-44k-16bit-stereo-music.wav", kSeconds,
                                         {"sine", "220", "sine", "330", "vol", "0.7"});
    if (voice.isEmpty() || music.isEmpty()) {
        goals.failed(wavGoal, "the inputs could not be made with sox");
        return goals.exitCode();
    }
    if (!IsLameEncoderPresent()) {
        goals.failed(mp3Goal, "liblame_enc.so does not load from the program folder");
        return goals.exitCode();
    }
    const recorder::MixFader fader = faderMovingEveryTenSeconds();
    std::printf("inputs: %s and %s (%d minutes each), %zu fader moves\n", qPrintable(voice), qPrintable(music),
                kSeconds / 60, fader.automation->Entries().size());
    std::fflush(stdout);
    bench::warmPageCache({voice, music});

    const QString work = bench::workFolder();
    const QString ourWave = work + "/mixed-down.wav", soxWave = work + "/mixed-by-sox.wav";
    const QString ourMp3 = work + "/mixed-down.mp3", soxMp3 = work + "/mixed-by-sox-lame.mp3";
    const QString tempWave = work + "/mix-down-temp.wav";

    const double ours = bench::timed([&] { return mixToWave(voice, music, ourWave, fader); });
    const double sox = bench::timed([&] { return bench::runQuietly(QStringLiteral(VA_SOX), {"-m", voice, music, soxWave}); });
    const double soxFlushed = bench::timed([&] {
        return bench::runQuietly(QStringLiteral(VA_SOX), {"-m", voice, music, soxWave}) && bench::flushFile(soxWave);
    });
    const double oursMp3 = bench::timed([&] {
        const bool ok = mix(voice, music, tempWave, fader) && EncodeWaveToMp3(tempWave, ourMp3, kBitRate) == LameCode::Ok;
        QFile::remove(tempWave);
        return ok;
    });
    const double pipeline = bench::timed([&] { return soxIntoLame(voice, music, soxMp3, {}); });
    const double pipelineLike =
        bench::timed([&] { return soxIntoLame(voice, music, soxMp3, QStringLiteral("-q 3 -m s --noreplaygain -p -t")); });
    // Our mix is the sum of the tracks at their gains, sox -m's their average: lame spends longer on
    // the louder signal, so the same encoder on our own mix is timed too.
    const double mixThenLame = bench::timed([&] {
        return mix(voice, music, tempWave, fader)
            && bench::runQuietly(QStringLiteral("lame"), {"--quiet", "-b", QString::number(kBitRate), "-q", "3", "-m", "s",
                                                          "--noreplaygain", "-p", "-t", tempWave, soxMp3});
    });
    const qint64 mixedBytes = QFileInfo(ourWave).size();
    for (const QString& file : {ourWave, soxWave, ourMp3, soxMp3, tempWave})
        QFile::remove(file);

    if (ours < 0 || oursMp3 < 0) {
        goals.failed(ours < 0 ? wavGoal : mp3Goal, "our mix-down failed");
        return goals.exitCode();
    }
    if (sox < 0 || soxFlushed < 0 || pipeline < 0 || pipelineLike < 0 || mixThenLame < 0) {
        goals.failed(sox < 0 ? wavGoal : mp3Goal, "sox or lame failed");
        return goals.exitCode();
    }
    std::printf("mixed: %lld bytes\n", static_cast<long long>(mixedBytes));
    std::printf("mix-down to WAV (flushed):                          %7.2f s\n", ours);
    std::printf("sox -m VOICE MUSIC OUT.wav:                         %7.2f s\n", sox);
    std::printf("sox -m VOICE MUSIC OUT.wav, then flushed:           %7.2f s\n", soxFlushed);
    std::printf("mix-down to MP3 (temporary WAV, liblame_enc.so):    %7.2f s\n", oursMp3);
    std::printf("sox -m ... -t wav - | lame -b %d -:                 %7.2f s\n", kBitRate, pipeline);
    std::printf("the same with lame -q 3 -m s --noreplaygain -p -t:  %7.2f s\n", pipelineLike);
    std::printf("our mix into a WAV, then lame with those settings:  %7.2f s\n", mixThenLame);
    goals.atLeast(wavGoal, sox / ours, 1.0, "x");
    goals.likeForLike("sox -m with its output flushed", soxFlushed / ours);
    goals.atLeast(speedGoal, kSeconds / ours, 100, "x");
    goals.atMost(mp3Goal, oursMp3 / pipeline, 1.1, "x");
    goals.likeForLike("the pipeline with our encoder settings (lame -q 3 -m s --noreplaygain -p -t)",
                      oursMp3 / pipelineLike);
    goals.likeForLike("our mix, then lame with our encoder settings", oursMp3 / mixThenLame);
    return goals.exitCode();
}
