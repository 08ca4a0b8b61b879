// Offline rendering through the virtual backend: a mixed playback of two one-hour 44.1 kHz 16-bit
// stereo tracks with gains changed every minute, and the pad mixer writing a one-hour music take
// from four looping pads. In the same run, `sox -m` mixes the same two files. Goals: on one core,
// both renders at least 100 times real time, and the mixed playback faster than sox. The caller
// gives the core (bench/run.sh runs this on one); this program never moves itself to another.
#include "bench/BenchSupport.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/audio/VirtualBackend.h"
#include "platform/base/PostedMessage.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace {

using platform::audio::AudioEngine;
using platform::audio::MusicTrackLibrary;
using platform::audio::VirtualBackend;

constexpr int kSeconds = 3600;
constexpr int kRate = 44100;
constexpr int64_t kFrames = int64_t(kSeconds) * kRate;


struct Timing {
    double wall = 0;
    double cpu = 0;
};

// This process's CPU time and that of its finished children (sox).
double cpuSeconds()
{
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    rusage self{};
    rusage children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    return seconds(self.ru_utime) + seconds(self.ru_stime) + seconds(children.ru_utime) + seconds(children.ru_stime);
}

template<typename Work>
Timing timed(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    const double cpu = cpuSeconds();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), cpuSeconds() - cpu};
}

class EndCounter : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != platform::PostedMessage::eventType())
            return QObject::event(e);
        ++ended;
        return true;
    }
    int ended = 0;
};

void report(const char* what, const Timing& t)
{
    std::printf("%-44s %7.2f s wall, %7.2f s CPU  (%6.0f x real time)\n", what, t.wall, t.cpu, kSeconds / t.wall);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bench::Goals goals("audio_mix_bench");
    const int cores = bench::coresGiven();
    const QString onCores = QStringLiteral(" (on %1 core%2)").arg(cores).arg(cores == 1 ? "" : "s");
    const QString realTimeGoal = "mixed playback with gains, times real time" + onCores;
    const QString padGoal = "pad mixer writing a take, times real time" + onCores;
    const QString soxGoal = "mixed playback, times as fast as sox -m" + onCores;
    auto fail = [&](const QString& why) {
        for (const QString& goal : {realTimeGoal, padGoal, soxGoal})
            goals.failed(goal, why);
        return goals.exitCode();
    };

    const QString voice = bench::hourWave();
    const QString music = bench::soxWave("hour-44k-16bit-stereo-music.wav", kSeconds,
                                   {"sine", "220", "sine", "330", "vol", "0.7"});
    QStringList pads;
    const double padSeconds[] = {2.5, 7.3, 11.0, 30.0};
    for (int i = 0; i < 4; ++i)
        pads << bench::soxWave(QStringLiteral("pad-%1.wav").arg(i), padSeconds[i],
                         {"sine", QString::number(300 + 150 * i), "tremolo", "3", "vol", "0.4"});
    if (voice.isEmpty() || music.isEmpty() || pads.contains(QString()))
        return fail("the inputs could not be made with sox");
    // Into the page cache, so that every run below reads from memory.
    bench::warmPageCache({voice, music});

    bool soxRan = false;
    const Timing sox = timed([&] { soxRan = bench::runQuietly(QStringLiteral(VA_SOX), {"-m", voice, music, "-n"}); });
    if (!soxRan)
        return fail("sox failed");

    VirtualBackend backend;
    backend.setPeriod(4096);
    backend.setKeepAudio(false);
    AudioEngine engine(backend);
    EndCounter window;
    engine.SetCallbackWindow(&window);

    engine.SetVolume(0.8f, 0.8f, 0.5f, 0.5f);
    if (engine.AudioPlayMixWave(voice, music, 0, 1, 0, 0, 0, 0) != 0)
        return fail("the mixed playback did not start");
    const Timing mix = timed([&] {
        for (int minute = 0; window.ended == 0 && minute < 62; ++minute) {
            const float fader = float(minute % 7) / 7.0f;
            engine.SetVolume(1.0f - fader, 1.0f - fader, 0.3f + fader, 0.3f + fader);
            backend.advance(int64_t(60) * kRate);
            QCoreApplication::sendPostedEvents();
        }
    });
    if (window.ended != 1 || engine.AudioGetPosition(1) != 0)
        return fail("the mixed playback did not reach its end");

    const QString take = bench::workFolder() + "/music-take.wav";
    MusicTrackLibrary library(engine);
    if (library.PrepareMusicTrack(take, makePcmFormat(kRate, 16, 2), -1) != 0)
        return fail("the music take did not start");
    for (int i = 0; i < 4; ++i)
        library.MixFileWithMusicTrack(pads[i], i, 1);
    uint16_t stopped = 0;
    const Timing padMix = timed([&] {
        backend.advance(kFrames);
        stopped = library.StopMusicTrackRecording();
    });
    const qint64 takeSize = QFileInfo(take).size();
    QFile::remove(take);
    if (stopped != 0 || takeSize != 46 + kFrames * 4)
        return fail(QStringLiteral("the music take failed: code %1, %2 bytes").arg(stopped).arg(takeSize));

    std::printf("inputs: two hours of 44.1 kHz 16-bit stereo (%.0f MB each), four pads\n",
                double(QFileInfo(voice).size()) / 1e6);
    report("sox -m VOICE MUSIC -n:", sox);
    report("mixed playback with gains (virtual output):", mix);
    report("pad mixer, 4 looping pads, take written:", padMix);
    const double figures[] = {kSeconds / mix.wall, kSeconds / padMix.wall, sox.wall / mix.wall};
    const double limits[] = {100, 100, 1};
    const QString names[] = {realTimeGoal, padGoal, soxGoal};
    for (int i = 0; i < 3; ++i) {
        if (cores == 1)
            goals.atLeast(names[i], figures[i], limits[i], "x");
        else
            goals.notJudged(names[i], figures[i], "x", "the goals are for one core: run this under taskset -c CPU");
    }
    return goals.exitCode();
}
