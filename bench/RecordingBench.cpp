// Recording a Voice & Music take in the recording window, shown (offscreen unless a platform was
// chosen), as a user does it: the format 44.1 kHz 16-bit stereo chosen at the first take, Voice &
// Music pressed, the take stopped with the same button. Two runs:
// - Ten minutes on the virtual backend as fast as it runs: its clock is run on by 50 ms of frames
//   at a time, and after each step the window's position timer and, every second of audio, its
//   free-space timer fire once, as they would in real time, so the meters, the position box and the
//   label are brought up to date 12,000 times; the events are served between the steps. The
//   microphone is a sine; the backend keeps none of it. Figure: the process's CPU time per second
//   of audio, and what that is as a share of one core in real time.
// - Thirty seconds of wall time on a private sound server (tests/scripts/pulse-server.sh: a null
//   sink for the music take's output, and a stereo null source of the server as the input, which
//   delivers silence in the fragments asked for, as a sound card does), three times, a new window
//   each time. Figure: the process's CPU time over those seconds as a share of one core, the median
//   of the rounds; beside it the server's own, and as a reference parecord capturing the same input
//   in the same 20 ms fragments into a WAV for as long.
// Goals: under 2% of one core while recording in real time, and both takes of each run of the same
// number of frames (their WAV headers). Four looping pads (F1 to F4, three-second tones) are fired
// as each take starts and play into the music take until it stops.
#include "bench/BenchSupport.h"
#include "bench/BenchWindows.h"
#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "controls/ProgressBar.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/audio/PulseBackend.h"
#include "platform/audio/VirtualBackend.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/Messages.h"
#include "recorder/LiveOverdubbing.h"
#include "recorder/MusicPadPanel.h"
#include "recorder/MusicPads.h"
#include "recorder/RecordingControls.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>
#include <time.h>
#include <unistd.h>

namespace {

using namespace recorder;
using platform::audio::AudioBackend;

constexpr uint32_t kRate = 44100;
constexpr int kTickMs = 50;                    // the window's position timer
constexpr int64_t kTickFrames = kRate * kTickMs / 1000;
constexpr int kTicksPerSpaceCheck = 1000 / kTickMs; // its free-space timer fires every second
constexpr int kVirtualSeconds = 600;
constexpr int kPulseSeconds = 30;
constexpr int kPulseRounds = 3;
// The capture fragment the sound-server backend asks for, as the virtual backend's period and
// parecord's latency.
constexpr int kCaptureFragmentMs = 20;
constexpr int64_t kPeriodFrames = kRate * kCaptureFragmentMs / 1000;
constexpr double kCpuGoalPercent = 2;
constexpr char kStartQuestion[] = "Do you want to start recording now?";
constexpr int kPads = 4;

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// CPU seconds (user and system) used so far by the process or thread of a /proc stat file, and
// its name; -1 when it cannot be read.
double statCpuSeconds(const QString& statFile, QString* name = nullptr)
{
    QFile stat(statFile);
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // The name stands in parentheses (it may hold spaces); utime and stime are the 12th and 13th
    // fields after it.
    const QByteArray line = stat.readAll();
    const qsizetype open = line.indexOf('(');
    const qsizetype close = line.lastIndexOf(')');
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    if (open < 0 || close < open || fields.size() < 13)
        return -1;
    if (name)
        *name = QString::fromUtf8(line.mid(open + 1, close - open - 1));
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

// The machine's load average over the last minute, as /proc/loadavg gives it: CPU time per unit of
// work grows on a busy machine, so the figures are read next to it.
QString loadAverage()
{
    QFile load(QStringLiteral("/proc/loadavg"));
    if (!load.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(load.readAll().split(' ').value(0));
}

// The CPU seconds of each thread of this process by its id, with its name.
struct ThreadCpu {
    QString name;
    double seconds = 0;
};
std::map<QString, ThreadCpu> threadCpu()
{
    std::map<QString, ThreadCpu> threads;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        ThreadCpu thread;
        thread.seconds = statCpuSeconds(tasks.filePath(tid + "/stat"), &thread.name);
        if (thread.seconds >= 0)
            threads[tid] = thread;
    }
    return threads;
}

// What each thread used between two readings, the busiest first, as "name tid: seconds".
QString threadShares(const std::map<QString, ThreadCpu>& before, const std::map<QString, ThreadCpu>& after)
{
    std::vector<std::pair<double, QString>> used;
    for (const auto& [tid, thread] : after) {
        const auto earlier = before.find(tid);
        const double seconds = thread.seconds - (earlier == before.end() ? 0 : earlier->second.seconds);
        if (seconds > 0)
            used.emplace_back(seconds, QStringLiteral("%1 %2%3: %4 s")
                                           .arg(thread.name, tid,
                                                tid == QString::number(getpid()) ? QStringLiteral(" (GUI)") : QString())
                                           .arg(seconds, 0, 'f', 2));
    }
    std::sort(used.begin(), used.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    QStringList texts;
    for (const auto& [seconds, text] : used)
        texts << text;
    return texts.isEmpty() ? QStringLiteral("none above the clock tick") : texts.join(", ");
}

// Yes to every question; each one is kept, so that anything but the question before the first take
// is reported.
class AnsweringInteraction : public bench::AnsweringInteraction {
public:
    AnsweringInteraction()
        : bench::AnsweringInteraction(platform::IDYES)
    {
    }

    // The boxes other than the start question, which are errors of the run.
    QStringList unexpected() const
    {
        QStringList others;
        for (const QString& box : boxes) {
            if (box != QLatin1String(kStartQuestion))
                others << box;
        }
        return others;
    }
};

// The recording window shown on one backend, with the services the program gives it.
class RecordingWindow {
public:
    RecordingWindow(AudioBackend& backend, const QString& temp)
        : m_temp(temp)
        , m_engine(backend)
        , m_music(m_engine)
    {
        RecordingWindowServices services{m_store, m_messages, m_engine, m_music, m_runner, [this] { return m_temp; }};
        services.chooseRecordingFormat = [](QWidget*) { return std::optional(makePcmFormat(kRate, 16, 2)); };
        m_window = std::make_unique<TLiveOvedubbingForm>(services);
        m_progress.setMainWindow(m_window.get());
        m_window->show();
        QCoreApplication::processEvents();
        MusicPads& pads = m_window->pads().pads();
        for (int slot = 0; slot < kPads; ++slot) {
            const QString file = bench::soxWave(QStringLiteral("pad-%1.wav").arg(slot + 1), 3,
                                                {"sine", QString::number(220 * (slot + 1)), "vol", "0.1"});
            if (!file.isEmpty() && pads.LoadSegmentFile(slot, file, {}))
                pads.toggleLoop(slot);
        }
    }

    // Presses Voice & Music and fires the four pads; false when no take runs or a pad does not play.
    bool start()
    {
        m_window->recording().voiceAndMusicClicked();
        if (!m_window->recording().take().running())
            return false;
        MusicPads& pads = m_window->pads().pads();
        for (int slot = 0; slot < kPads; ++slot)
            pads.EffectButtonClick(slot);
        for (int slot = 0; slot < kPads; ++slot) {
            if (!pads.slot(PadPage::First, slot).playing)
                return false;
        }
        return true;
    }
    // Presses it again; false when the take still runs.
    bool stop()
    {
        m_window->recording().voiceAndMusicClicked();
        return !m_window->recording().take().running();
    }
    QTimer* timer(const char* name) const { return m_window->findChild<QTimer*>(QLatin1String(name)); }

    // Frames in a track's take, from its WAV header; -1 when it cannot be read.
    int64_t takeFrames(TrackSide side) const
    {
        const std::optional<TrackRecord>& track = m_window->trackRoads().track(side);
        platform::audio::AudioFileInfo info;
        if (!track || platform::audio::readAudioFileInfo(track->workingPath, info) != 0)
            return -1;
        return info.frames;
    }
    QStringList unexpectedBoxes() const { return m_ui.unexpected(); }
    QString positionText() const
    {
        return m_window->findChild<QLineEdit*>(QString::fromLatin1(controlName(Control::PositionMaskEdit)))->text();
    }

private:
    QString m_temp;
    AnsweringInteraction m_ui;
    const platform::Messages m_messages = makeRecorderMessages(m_ui);
    platform::MemorySettingsStore m_store;
    platform::audio::AudioEngine m_engine;
    platform::audio::MusicTrackLibrary m_music;
    controls::TProgressBarForm m_progress{controls::ControlVariant::Recorder};
    JobRunner m_runner{m_progress};
    std::unique_ptr<TLiveOvedubbingForm> m_window;
};

struct Take {
    double audioSeconds = 0;
    double cpuSeconds = 0;
    double wallSeconds = 0;
    double serverCpuSeconds = -1; // the sound server's own over the same time; -1 unknown
    QString threads;              // what each thread of the process used
    QString load;                 // the load average at the end
    int64_t voiceFrames = -1;
    int64_t musicFrames = -1;
    QString position; // what the position box showed before the stop
    QString error; // empty when the take was recorded and stopped
};

// After the stop: both takes' lengths from their WAV headers, and what the window said besides the
// start question; an error when a header cannot be read or nothing was recorded.
void readTakes(RecordingWindow& recording, Take& take)
{
    if (!recording.stop())
        take.error = "the take did not stop";
    take.voiceFrames = recording.takeFrames(TrackSide::Voice);
    take.musicFrames = recording.takeFrames(TrackSide::Music);
    if (take.voiceFrames < 0 || take.musicFrames < 0)
        take.error = "a take's WAV header cannot be read";
    else if (take.voiceFrames == 0)
        take.error = "nothing was recorded";
    if (!recording.unexpectedBoxes().isEmpty())
        take.error = "the window said: " + recording.unexpectedBoxes().join(" / ");
}

// Fires a timer's timeout as its interval passing would.
void fire(QTimer* timer)
{
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
}

Take recordOnVirtualBackend(const QString& temp)
{
    platform::audio::VirtualBackend backend;
    backend.setPeriod(kPeriodFrames);
    backend.setInputSine(440, 0.5);
    backend.setKeepAudio(false);
    RecordingWindow recording(backend, temp);
    Take take;
    QTimer* position = recording.timer("RecordingPositionTimer");
    QTimer* space = recording.timer("RecordingSpaceTimer");
    if (!position || !space) {
        take.error = "the window's position and free-space timers were not found";
        return take;
    }
    if (!recording.start()) {
        take.error = "the take did not start with its pads";
        return take;
    }
    // The virtual clock is theirs now: they fire once for each 50 ms (and second) of audio.
    position->stop();
    space->stop();
    const int ticks = kVirtualSeconds * 1000 / kTickMs;
    const std::map<QString, ThreadCpu> threadsStart = threadCpu();
    const double cpuStart = processCpuSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    for (int tick = 1; tick <= ticks; ++tick) {
        backend.advance(kTickFrames);
        fire(position);
        if (tick % kTicksPerSpaceCheck == 0)
            fire(space);
        QCoreApplication::processEvents();
    }
    take.cpuSeconds = processCpuSeconds() - cpuStart;
    take.wallSeconds = bench::secondsSince(wallStart);
    take.threads = threadShares(threadsStart, threadCpu());
    take.load = loadAverage();
    take.audioSeconds = double(ticks) * kTickFrames / kRate;
    take.position = recording.positionText();
    readTakes(recording, take);
    return take;
}

// The private sound server of tests/scripts/pulse-server.sh, in the work folder, with a null source
// of its own as the default input: the pipe source passes on what is written into it as fast as it
// comes, and the server's sine source in blocks of seconds, while a null source runs on the
// server's clock in the fragments its clients ask for.
class SoundServer {
public:
    ~SoundServer()
    {
        if (!m_folder.isEmpty())
            bench::runQuietly("bash", {VA_PULSE_SCRIPT, "stop", m_folder});
    }

    // Empty when it runs, else the reason it does not.
    QString start()
    {
        m_folder = bench::workFolder() + "/pulse";
        QString socket = m_folder + "/native";
        // A socket address holds about a hundred bytes.
        if (socket.toUtf8().size() > 100)
            socket = QStringLiteral("/tmp/va-bench-pulse-%1/native").arg(getuid());
        QProcess script;
        script.setProcessChannelMode(QProcess::MergedChannels);
        script.start("bash", {VA_PULSE_SCRIPT, "start", m_folder, socket});
        if (!script.waitForFinished(60'000) || script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0)
            return "the sound server did not start: " + QString::fromLocal8Bit(script.readAll()).trimmed();
        qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
        QFile pid(m_folder + "/pid");
        if (pid.open(QIODevice::ReadOnly))
            m_pid = pid.readAll().trimmed().toLongLong();
        if (!bench::runQuietly("pactl", {"load-module", "module-null-source", "source_name=va_bench_in", "channels=2",
                                         "format=s16le", "rate=" + QString::number(kRate)})
            || !bench::runQuietly("pactl", {"set-default-source", "va_bench_in"}))
            return "the sound server did not take a null source as its default input";
        return {};
    }
    // The server's CPU seconds so far; -1 when unknown.
    double cpuSeconds() const { return m_pid > 0 ? statCpuSeconds(QStringLiteral("/proc/%1/stat").arg(m_pid)) : -1; }

    // The reference: parecord capturing the same input in the same fragments into a WAV, as the
    // least a recording client pays on this machine. Its CPU load over kPulseSeconds of wall time after it has settled for a
    // second, in % of one core; -1 when it did not run.
    double parecordPercent(const QString& wave) const
    {
        QProcess parecord;
        parecord.setStandardErrorFile(QProcess::nullDevice());
        parecord.start("parecord", {"--format=s16le", "--rate=" + QString::number(kRate), "--channels=2",
                                    "--latency-msec=" + QString::number(kCaptureFragmentMs), "--file-format=wav",
                                    wave});
        if (!parecord.waitForStarted())
            return -1;
        const QString stat = QStringLiteral("/proc/%1/stat").arg(parecord.processId());
        const auto wait = [](int ms) {
            QEventLoop loop;
            QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
            loop.exec();
        };
        wait(1000);
        const double start = statCpuSeconds(stat);
        const auto wallStart = std::chrono::steady_clock::now();
        wait(kPulseSeconds * 1000);
        // Read while it runs: an ended process has no stat file.
        const double end = statCpuSeconds(stat);
        const double wall = bench::secondsSince(wallStart);
        const bool ran = parecord.state() == QProcess::Running;
        parecord.terminate();
        parecord.waitForFinished();
        return ran && start >= 0 && end >= 0 ? 100 * (end - start) / wall : -1;
    }

private:
    QString m_folder;
    qint64 m_pid = 0;
};

Take recordOnSoundServer(const QString& temp, const SoundServer& server)
{
    platform::audio::PulseBackend backend;
    RecordingWindow recording(backend, temp);
    Take take;
    if (!recording.start()) {
        take.error = "the take did not start with its pads";
        if (!recording.unexpectedBoxes().isEmpty())
            take.error += ": " + recording.unexpectedBoxes().join(" / ");
        return take;
    }
    QEventLoop loop;
    QTimer::singleShot(kPulseSeconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    const double serverStart = server.cpuSeconds();
    const std::map<QString, ThreadCpu> threadsStart = threadCpu();
    const double cpuStart = processCpuSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    loop.exec();
    take.cpuSeconds = processCpuSeconds() - cpuStart;
    take.wallSeconds = bench::secondsSince(wallStart);
    take.threads = threadShares(threadsStart, threadCpu());
    take.load = loadAverage();
    if (const double serverEnd = server.cpuSeconds(); serverStart >= 0 && serverEnd >= 0)
        take.serverCpuSeconds = serverEnd - serverStart;
    take.position = recording.positionText();
    readTakes(recording, take);
    take.audioSeconds = double(take.voiceFrames) / kRate;
    return take;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Goals goals("recording_bench");
    const QString temp = bench::workFolder() + "/recording-temp/";
    QDir(temp).removeRecursively();
    QDir().mkpath(temp);
    std::printf("pads: %d looping pads play into the music take of every run\n", kPads);
    std::printf("%d cores given; the window is shown on the %s platform\n", bench::coresGiven(),
                qPrintable(QGuiApplication::platformName()));

    const Take fast = recordOnVirtualBackend(temp);
    QDir(temp).removeRecursively();
    if (!fast.error.isEmpty()) {
        goals.failed("recording on the virtual backend", fast.error);
    } else {
        const double msPerSecond = 1000 * fast.cpuSeconds / fast.audioSeconds;
        std::printf("virtual backend: %.0f s of audio recorded in %.2f s of wall time, %d position ticks; CPU %.2f s = "
                    "%.3f ms per second of audio (%.3f%% of one core in real time)\n",
                    fast.audioSeconds, fast.wallSeconds, kVirtualSeconds * 1000 / kTickMs, fast.cpuSeconds,
                    msPerSecond, msPerSecond / 10);
        std::printf("virtual backend: voice take %lld frames, music take %lld frames (%lld expected); the position box "
                    "showed %s\n",
                    static_cast<long long>(fast.voiceFrames), static_cast<long long>(fast.musicFrames),
                    static_cast<long long>(int64_t(kVirtualSeconds) * kRate), qPrintable(fast.position));
        std::printf("virtual backend: CPU by thread: %s; load average %s\n", qPrintable(fast.threads),
                    qPrintable(fast.load));
        goals.atMost("recorder CPU per second of audio, virtual backend, as a share of one core", msPerSecond / 10,
                     kCpuGoalPercent, "%");
        goals.atMost("drift between the voice and music takes, virtual backend",
                     double(std::llabs(fast.voiceFrames - fast.musicFrames)), 0, "frames");
    }

    QDir().mkpath(temp);
    SoundServer server;
    if (const QString why = server.start(); !why.isEmpty()) {
        goals.failed("recording on the sound server", why);
        return goals.exitCode();
    }
    // The machine is shared: a round can land on a busy moment, so the median of the rounds is judged.
    std::vector<double> percents;
    int64_t drift = 0;
    for (int round = 1; round <= kPulseRounds; ++round) {
        QDir().mkpath(temp);
        const Take real = recordOnSoundServer(temp, server);
        QDir(temp).removeRecursively();
        if (!real.error.isEmpty()) {
            goals.failed("recording on the sound server", real.error);
            return goals.exitCode();
        }
        const double percent = 100 * real.cpuSeconds / real.wallSeconds;
        percents.push_back(percent);
        drift = std::max<int64_t>(drift, std::llabs(real.voiceFrames - real.musicFrames));
        std::printf("sound server, round %d: %.2f s of wall time recorded, %.2f s of audio in the takes; recorder "
                    "process CPU %.3f s = %.3f%% of one core (the server itself: %.3f s CPU, not ours)\n",
                    round, real.wallSeconds, real.audioSeconds, real.cpuSeconds, percent, real.serverCpuSeconds);
        std::printf("sound server, round %d: voice take %lld frames, music take %lld frames; the position box showed "
                    "%s\n",
                    round, static_cast<long long>(real.voiceFrames), static_cast<long long>(real.musicFrames),
                    qPrintable(real.position));
        std::printf("sound server, round %d: CPU by thread: %s; load average %s\n", round, qPrintable(real.threads),
                    qPrintable(real.load));
    }
    QDir().mkpath(temp);
    const double reference = server.parecordPercent(temp + "parecord.wav");
    QDir(temp).removeRecursively();
    if (reference >= 0)
        std::printf("reference: parecord capturing the same input in %d ms fragments into a WAV: %.3f%% of one core; "
                    "load average %s\n",
                    kCaptureFragmentMs, reference, qPrintable(loadAverage()));
    else
        std::printf("reference: parecord did not run\n");
    goals.atMost(QStringLiteral("recorder process CPU recording in real time on the sound server, median of %1 rounds")
                     .arg(kPulseRounds),
                 bench::median(percents), kCpuGoalPercent, "% of one core");
    goals.atMost("drift between the voice and music takes, sound server, largest of the rounds", double(drift), 0,
                 "frames");
    return goals.exitCode();
}
