// Loading files into the recording window's two tracks through Import Voice Track and Import Music
// Track, as a user does it: a one-hour WAV into the voice track, then a one-hour 128 kbit/s MP3
// into the music track, each under the real progress window (offscreen unless a platform was
// chosen), with the file dialog answered at once. A road ends when its host has rebuilt the peaks
// of the tracks it reloads (on a worker under the progress window, as the window does). Loading the
// MP3 also pads the shorter track and reloads the voice track, so that road builds peaks twice.
// References in the same run, on the same files read from the page cache: `cp` of the WAV followed
// by our peak build of it alone, and `ffmpeg -i x.mp3 x.wav`. Goals: the WAV road within 1.5 times
// cp plus the peak build, the MP3 road within 1.3 times ffmpeg, and the GUI thread never kept from
// its event loop for more than 50 ms during either road. Our working WAVs are flushed to the disk
// before they are put in place, which cp and ffmpeg do not do: beside each goal stands the
// reference followed by a flush of its output. Three rounds; the medians are compared.
#include "bench/BenchSupport.h"
#include "bench/BenchWindows.h"
#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "common/WaveUtil.h"
#include "controls/ProgressBar.h"
#include "controls/WaveDisplayFile.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/Messages.h"
#include "platform/audio/AudioEngine.h"
#include "recorder/TrackRoads.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace recorder;

constexpr int kRounds = 3;
constexpr double kMp3Goal = 1.3;
constexpr double kWaveGoal = 1.5;
constexpr double kStallGoalMs = 50;

// The window's part of the roads: a reload rebuilds the track's peaks on a worker under the
// progress window; the rest has nothing to show.
class BenchHost : public TrackHost {
public:
    BenchHost(JobRunner& runner, TrackRoads*& roads)
        : m_runner(runner), m_roads(roads)
    {
    }

    int failures = 0;
    double peakSeconds = 0; // of all reloads since the last reset

    bool saveTrack(TrackSide) override { return false; }
    void closeTrackDisplay(TrackSide side) override { m_displays.erase(side); }
    int convertTrackFormat(TrackSide, const QString&, const WaveFormatEx&) override { return ++failures; }
    void reloadTrack(TrackSide side) override
    {
        const auto start = Clock::now();
        auto display = std::make_unique<controls::WaveDisplayFile>();
        std::atomic<int32_t> progress{0};
        if (display->OpenWaveFile(m_roads->track(side)->workingPath) != 0) {
            ++failures;
            return;
        }
        std::unique_ptr<controls::PeakBuildJob> build = display->beginPeakBuild(progress);
        TJobRecord job(JobKind::CancelOnly);
        const int started = m_runner.runOnWorker(job, QStringLiteral("Building Peaks..."), false, [&](TJobRecord& running) {
            build->run();
            running.progress.store(100);
            running.finish(JobState::Done);
        });
        if (started != 0 || display->finishPeakBuild(*build) != 0)
            ++failures;
        m_displays[side] = std::move(display);
        peakSeconds += bench::secondsSince(start);
    }
    void padded(TrackSide) override {}
    void setCaretToStart(TrackSide) override {}
    void setControlState(ControlState) override {}
    void showTrackLayout(TrackSide, int64_t) override {}
    bool closeTracks() override { return true; }
    int openVoiceDisplay(const QString&, const QString&) override { return ++failures; }
    void showOpenedFile(const QString&) override {}

private:
    JobRunner& m_runner;
    TrackRoads*& m_roads;
    std::map<TrackSide, std::unique_ptr<controls::WaveDisplayFile>> m_displays;
};

// Made once with lame from the hour WAV and kept.
QString makeMp3(const QString& wave)
{
    const QString path = bench::workFolder() + "/hour-128k-stereo-lame.mp3";
    if (QFileInfo(path).size() > 50'000'000)
        return path;
    std::printf("making %s (once)...\n", qPrintable(path));
    std::fflush(stdout);
    const QString partial = path + ".part";
    if (!bench::runQuietly("lame", {"--quiet", "-b", "128", wave, partial})) {
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Goals goals("track_load_bench");
    const QString wave = bench::hourWave();
    const QString mp3 = wave.isEmpty() ? QString() : makeMp3(wave);
    if (mp3.isEmpty()) {
        goals.failed("track loads", "the inputs could not be made with sox and lame");
        return goals.exitCode();
    }
    const QString temp = bench::workFolder() + "/track-load-temp";
    QDir(temp).removeRecursively();
    QDir().mkpath(temp);
    bench::warmPageCache({wave, mp3});

    // References, in each round before the roads.
    const QString copy = temp + "/copy.wav";
    const QString decoded = temp + "/ffmpeg.wav";
    std::vector<double> cps, cpsFlushed, peakBuilds, ffmpegs, ffmpegsFlushed;
    const auto references = [&] {
        const double cp = bench::timed([&] { return bench::runQuietly("cp", {wave, copy}); });
        QFile::remove(copy);
        const double cpFlushed = bench::timed([&] { return bench::runQuietly("cp", {wave, copy}) && bench::flushFile(copy); });
        QFile::remove(copy);
        const double peaks = bench::peakBuildSeconds(wave);
        const QStringList decode{"-nostdin", "-v", "error", "-y", "-i", mp3, decoded};
        const double ffmpeg = bench::timed([&] { return bench::runQuietly("ffmpeg", decode); });
        QFile::remove(decoded);
        const double ffmpegFlushed =
            bench::timed([&] { return bench::runQuietly("ffmpeg", decode) && bench::flushFile(decoded); });
        QFile::remove(decoded);
        cps.push_back(cp);
        cpsFlushed.push_back(cpFlushed);
        peakBuilds.push_back(peaks);
        ffmpegs.push_back(ffmpeg);
        ffmpegsFlushed.push_back(ffmpegFlushed);
        return cp >= 0 && cpFlushed >= 0 && peaks >= 0 && ffmpeg >= 0 && ffmpegFlushed >= 0;
    };

    bench::AnsweringInteraction ui;
    const platform::Messages messages = makeRecorderMessages(ui);
    controls::TProgressBarForm progress(controls::ControlVariant::Recorder);
    JobRunner runner(progress);
    TrackLoadServices services(runner, messages);
    services.tempFolder = [&temp] { return temp + "/"; };
    services.fileInfo = [](const QString& file, platform::audio::AudioFileInfo& info) {
        return int(platform::audio::readAudioFileInfo(file, info));
    };
    BusyFlag busy;
    TrackRoads* roadsPointer = nullptr;
    BenchHost host(runner, roadsPointer);
    TrackRoads roads(services, busy, host);
    roadsPointer = &roads;

    struct Road {
        double seconds = -1;
        double peakSeconds = 0;
        double stallMs = 0;
        double stallEnded = 0; // seconds into the road
    };
    const auto load = [&](const QString& path, TrackSide side) {
        ui.nextFile = path;
        host.peakSeconds = 0;
        bench::StallMeter stalls;
        Road road;
        road.seconds = bench::timed([&] {
            side == TrackSide::Voice ? roads.OpenVoiceTrackClick() : roads.OpenMusicTrackClick();
            return roads.track(side).has_value();
        });
        road.stallMs = stalls.longestMs();
        road.stallEnded = stalls.longestEndedSeconds();
        road.peakSeconds = host.peakSeconds;
        return road;
    };
    std::vector<double> waveSeconds, wavePeaks, mp3Seconds, mp3Peaks;
    double waveStallMs = 0;
    double mp3StallMs = 0;
    bool loaded = true;
    for (int round = 0; round < kRounds && loaded; ++round) {
        if (!references()) {
            goals.failed("track loads", "a reference run failed");
            return goals.exitCode();
        }
        const Road waveRoad = load(wave, TrackSide::Voice);
        const Road mp3Road = load(mp3, TrackSide::Music);
        roads.dropTrack(TrackSide::Voice);
        roads.dropTrack(TrackSide::Music);
        loaded = waveRoad.seconds >= 0 && mp3Road.seconds >= 0;
        waveSeconds.push_back(waveRoad.seconds);
        wavePeaks.push_back(waveRoad.peakSeconds);
        mp3Seconds.push_back(mp3Road.seconds);
        mp3Peaks.push_back(mp3Road.peakSeconds);
        std::printf("round %d: WAV road %.3f s, longest stall %.1f ms ending %.3f s in; MP3 road %.3f s, longest stall "
                    "%.1f ms ending %.3f s in\n",
                    round + 1, waveRoad.seconds, waveRoad.stallMs, waveRoad.stallEnded, mp3Road.seconds,
                    mp3Road.stallMs, mp3Road.stallEnded);
        waveStallMs = std::max(waveStallMs, waveRoad.stallMs);
        mp3StallMs = std::max(mp3StallMs, mp3Road.stallMs);
    }
    QDir(temp).removeRecursively();
    const double cp = bench::median(cps);
    const double cpFlushed = bench::median(cpsFlushed);
    const double peaks = bench::median(peakBuilds);
    const double ffmpeg = bench::median(ffmpegs);
    const double ffmpegFlushed = bench::median(ffmpegsFlushed);
    const double waveRoad = bench::median(waveSeconds);
    const double mp3Road = bench::median(mp3Seconds);

    std::printf("inputs: %s (%.0f MB), %s (%.0f MB), read from the page cache; %d cores given\n", qPrintable(wave),
                double(QFileInfo(wave).size()) / 1e6, qPrintable(mp3), double(QFileInfo(mp3).size()) / 1e6,
                bench::coresGiven());
    std::printf("%d rounds, medians; the longest stall of all rounds:\n", kRounds);
    std::printf("  cp of the WAV                          %6.3f s  (followed by a flush of the copy %.3f s)\n", cp,
                cpFlushed);
    std::printf("  our peak build of the WAV alone        %6.3f s\n", peaks);
    std::printf("  ffmpeg -i x.mp3 x.wav                  %6.3f s  (followed by a flush of its output %.3f s)\n",
                ffmpeg, ffmpegFlushed);
    std::printf("  WAV into the voice track               %6.3f s  (peak build %.3f s; longest stall %.1f ms)\n",
                waveRoad, bench::median(wavePeaks), waveStallMs);
    std::printf("  MP3 into the music track               %6.3f s  (peak builds %.3f s; longest stall %.1f ms)\n",
                mp3Road, bench::median(mp3Peaks), mp3StallMs);
    if (!ui.boxes.isEmpty() || host.failures > 0 || !loaded) {
        for (const QString& box : ui.boxes)
            std::printf("  message shown: %s\n", qPrintable(box));
        goals.failed("track loads", "a load or its peak build failed");
        return goals.exitCode();
    }
    goals.atMost("WAV into a track, to cp plus our peak build", waveRoad / (cp + peaks), kWaveGoal, "x");
    goals.likeForLike("cp and a flush of the copy plus our peak build", waveRoad / (cpFlushed + peaks));
    goals.atMost("MP3 into a track, to ffmpeg's decode", mp3Road / ffmpeg, kMp3Goal, "x");
    goals.likeForLike("ffmpeg and a flush of its output", mp3Road / ffmpegFlushed);
    goals.atMost("longest GUI stall while a WAV loads", waveStallMs, kStallGoalMs, "ms");
    goals.atMost("longest GUI stall while an MP3 loads", mp3StallMs, kStallGoalMs, "ms");
    return goals.exitCode();
}
