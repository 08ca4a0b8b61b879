// The editor's main window on a one-hour 44.1 kHz 16-bit stereo WAV, as a user works it (offscreen
// unless a platform was chosen): File > Open with the file dialog answered at once, until the
// working copy is made and the peaks are built; ten minutes from the middle selected through the
// selection fields; Edit > Cut until the window shows the rest; then Edit > Undo and Edit > Redo.
// References in the same run, on the same file read from the page cache: `cp` of the WAV followed
// by our peak build of it alone, and `sox in.wav out.wav trim 0 =start =end`, which takes the same
// ten minutes out. Goals: the open within 1.5 times cp plus the peak build, the cut faster than
// sox, undo and redo each under 50 ms (they rename files and copy no audio), and the
// GUI thread never kept from its event loop for more than 50 ms along the whole road. The edit's
// files are flushed to the disk before they are put in place, which sox does not do (the working
// copy, the editor's scratch copy of a file the user keeps, is not flushed): beside each goal
// stands the reference with a flush of what it wrote (for the cut: sox
// also writing the cut part, as our cut fills the clipboard, and our peak build of the rest, which
// the window shows). Three rounds, each in a new window; the medians are compared.
#include "bench/BenchSupport.h"
#include "bench/BenchWindows.h"
#include "common/EditorMessages.h"
#include "common/JobRunner.h"
#include "common/Util.h"
#include "controls/ProgressBar.h"
#include "controls/WaveDisplayFile.h"
#include "controls/Waveform.h"
#include "editor/MainForm.h"
#include "editor/SourceImport.h"
#include "platform/audio/EditProcesses.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/Messages.h"
#include "platform/ui/UrlOpener.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

#include <sys/stat.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 3;
constexpr int kRate = 44100;
constexpr int64_t kHourFrames = int64_t(3600) * kRate;
// Minutes 25 to 35 are cut out.
constexpr int kCutStartMinute = 25;
constexpr int kCutEndMinute = 35;
constexpr int64_t kCutStart = int64_t(kCutStartMinute) * 60 * kRate;
constexpr int64_t kCutEnd = int64_t(kCutEndMinute) * 60 * kRate;
constexpr int64_t kRestFrames = kHourFrames - (kCutEnd - kCutStart);
constexpr double kOpenGoal = 1.5;
constexpr double kStepGoalMs = 50;
constexpr double kStallGoalMs = 50;
// Longer than any step may take here: a step that has not ended by then failed.
constexpr int kStepTimeoutMs = 60'000;

// How long the progress window stayed up under each caption, to place a step's time in its parts.
class ProgressTimes : public QObject {
public:
    explicit ProgressTimes(QWidget& window)
    {
        window.installEventFilter(this);
    }
    std::map<QString, double> seconds;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            m_caption = static_cast<QWidget*>(watched)->windowTitle();
            m_shown = Clock::now();
        } else if (event->type() == QEvent::Hide && !m_caption.isEmpty()) {
            seconds[m_caption] += bench::secondsSince(m_shown);
            m_caption.clear();
        }
        return false;
    }

private:
    QString m_caption;
    Clock::time_point m_shown;
};

QString partsText(const std::map<QString, double>& parts)
{
    QStringList texts;
    for (const auto& [caption, seconds] : parts)
        texts << QStringLiteral("\"%1\" %2 s").arg(caption, QString::number(seconds, 'f', 3));
    return texts.isEmpty() ? QStringLiteral("no progress window") : texts.join(QStringLiteral(", "));
}

// Serves the event loop until condition holds, looking every millisecond and sleeping between;
// false when it did not within the step's timeout.
bool waitFor(const std::function<bool()>& condition)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer look;
    look.setTimerType(Qt::PreciseTimer);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    QTimer::singleShot(kStepTimeoutMs, &loop, [&loop] { loop.exit(1); });
    look.start(1);
    return loop.exec() == 0;
}

QString sample(int64_t frames)
{
    return QStringLiteral("=%1s").arg(frames);
}

// The frames a WAV holds by its header; -1 when it cannot be read.
int64_t framesOf(const QString& path)
{
    controls::WaveDisplayFile file;
    return file.OpenWaveFile(path) == 0 ? int64_t(file.TotalSamples()) : -1;
}

// The file's identity on its disk, which a rename keeps and a copy does not; 0 when it is missing.
uint64_t inodeOf(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? uint64_t(info.st_ino) : 0;
}

// A selection field typed as a user does it: a click on its box opens the field, the minutes are
// typed in the form the box shows ("025:00:000"), Return ends it.
bool typeMinutes(TMainForm& window, const char* box, const char* field, int minutes)
{
    auto* label = window.findChild<QLabel*>(QString::fromLatin1(box));
    auto* edit = window.findChild<QLineEdit*>(QString::fromLatin1(field));
    if (!label || !edit)
        return false;
    const qsizetype digits = label->text().indexOf(QLatin1Char(':'));
    if (digits <= 0)
        return false;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(4, 4), label->mapToGlobal(QPointF(4, 4)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(label, &press);
    if (edit->isHidden())
        return false;
    edit->setText(QStringLiteral("%1:00:000").arg(minutes, int(digits), 10, QLatin1Char('0')));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &enter);
    return edit->isHidden();
}

// One step of the road: its time, the longest stall of the GUI thread during it, and where the
// progress window's time went.
struct Step {
    double seconds = -1;
    double stallMs = 0;
    std::map<QString, double> parts;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Goals goals("editor_bench");
    const QString wave = bench::hourWave();
    if (wave.isEmpty()) {
        goals.failed("editor road", "the input could not be made with sox");
        return goals.exitCode();
    }
    const QString temp = bench::workFolder() + "/editor-temp";
    QDir(temp).removeRecursively();
    QDir().mkpath(temp);
    const QString tempFolder = temp + "/";
    bench::warmPageCache({wave});
    const QString sox = QStringLiteral(VA_SOX);

    // References, in each round before the road.
    const QString copy = temp + "/copy.wav";
    const QString rest = temp + "/sox-rest.wav";
    const QString part = temp + "/sox-part.wav";
    const QStringList cutRest{"-D", wave, rest, "trim", "0", sample(kCutStart), sample(kCutEnd)};
    const QStringList cutPart{"-D", wave, part, "trim", sample(kCutStart), sample(kCutEnd)};
    std::vector<double> cps, cpsFlushed, peakBuilds, soxes, soxesFlushed, soxesBoth, restPeakBuilds;
    bool soxLengthRight = true;
    const auto references = [&] {
        const double cp = bench::timed([&] { return bench::runQuietly("cp", {wave, copy}); });
        QFile::remove(copy);
        const double cpFlushed = bench::timed([&] { return bench::runQuietly("cp", {wave, copy}) && bench::flushFile(copy); });
        QFile::remove(copy);
        const double peaks = bench::peakBuildSeconds(wave);
        const double soxCut = bench::timed([&] { return bench::runQuietly(sox, cutRest); });
        soxLengthRight = soxLengthRight && framesOf(rest) == kRestFrames;
        QFile::remove(rest);
        const double soxFlushed = bench::timed([&] { return bench::runQuietly(sox, cutRest) && bench::flushFile(rest); });
        QFile::remove(rest);
        const double soxBoth = bench::timed([&] {
            return bench::runQuietly(sox, cutRest) && bench::runQuietly(sox, cutPart) && bench::flushFile(rest)
                && bench::flushFile(part);
        });
        const double restPeaks = bench::peakBuildSeconds(rest);
        QFile::remove(rest);
        QFile::remove(part);
        cps.push_back(cp);
        cpsFlushed.push_back(cpFlushed);
        peakBuilds.push_back(peaks);
        soxes.push_back(soxCut);
        soxesFlushed.push_back(soxFlushed);
        soxesBoth.push_back(soxBoth);
        restPeakBuilds.push_back(restPeaks);
        return cp >= 0 && cpFlushed >= 0 && peaks >= 0 && soxCut >= 0 && soxFlushed >= 0 && soxBoth >= 0
            && restPeaks >= 0;
    };

    bench::AnsweringInteraction ui;
    const platform::Messages messages = makeEditorMessages(ui);
    platform::MemorySettingsStore settings;
    const auto tempFolderOf = [&tempFolder] { return tempFolder; };
    platform::audio::EditProcesses engine([] { return false; }, tempFolderOf);
    EngineEditLibrary<platform::audio::EditProcesses> editLibrary(engine);
    controls::TProgressBarForm progress(controls::ControlVariant::Editor);
    JobRunner runner(progress);
    ProgressTimes progressTimes(progress);
    platform::DesktopUrlOpener urlOpener;
    const auto makeDecoder = [&](QWidget* window) -> std::unique_ptr<SourceDecoder> {
        SourceImportServices services;
        services.tempFolder = tempFolderOf;
        return std::make_unique<SourceImport>(messages, urlOpener, std::move(services), window);
    };
    const EditorWindowServices services{messages,    settings,   runner, editLibrary, makeDecoder, tempFolderOf,
                                        [](QWidget*) { return std::optional<WaveFormatEx>(); }};
    // The open builds the peaks, as the first open of a file does: the cache beside it goes first.
    const QString wavePeaks = GetPeakFileName(wave, tempFolder);

    std::vector<double> opens, cuts, undos, redos;
    double stallMs = 0;     // over the whole road
    double stepStallMs = 0; // the longest within one step, to tell which step it was
    QString stallStep;
    QString failure;
    for (int round = 0; round < kRounds && failure.isEmpty(); ++round) {
        if (!references()) {
            failure = QStringLiteral("a reference run failed");
            break;
        }
        QFile::remove(wavePeaks);
        TMainForm window(services);
        progress.setMainWindow(&window);
        window.show();
        QCoreApplication::processEvents();

        std::map<QString, Step> steps;
        const auto step = [&](const QString& name, const std::function<bool()>& work, const std::function<bool()>& ended) {
            progressTimes.seconds.clear();
            Step& done = steps[name];
            bench::StallMeter stalls;
            const auto start = Clock::now();
            const bool started = work();
            if (started && waitFor(ended))
                done.seconds = bench::secondsSince(start);
            done.stallMs = stalls.longestMs();
            done.parts = progressTimes.seconds;
            if (done.stallMs > stepStallMs) {
                stepStallMs = done.stallMs;
                stallStep = name;
            }
            if (done.seconds < 0 && failure.isEmpty())
                failure = name + (started ? QStringLiteral(" did not leave the window and the file as it should")
                                          : QStringLiteral(": the window did not offer it"));
            return done.seconds >= 0;
        };
        const auto trigger = [&](const char* item) {
            auto* action = window.findChild<QAction*>(QString::fromLatin1(item));
            if (!action || !action->isEnabled())
                return false;
            action->trigger();
            return true;
        };
        const auto shows = [&](int64_t frames) {
            const controls::TQzv32WaveDisplay* display = window.currentDisplay();
            return display && int64_t(display->TotalSamples()) == frames;
        };
        const auto current = [&] { return window.workspace().documents().current(); };

        // Each step, then what the window and the working file must show after it.
        const auto working = [&](int64_t frames) {
            return current() && current()->isWorkspaceReady() && shows(frames)
                && framesOf(current()->workingFile) == frames;
        };
        ui.nextFile = wave;
        // The files that undo and redo are to put in place: renamed, they keep their identity.
        uint64_t undone = 0;
        uint64_t redone = 0;
        bench::StallMeter roadStalls;
        const bool road =
            step("open", [&] { return trigger("FileOpenMenu"); },
                 [&] { return !ui.boxes.isEmpty() || (current() && current()->workspaceState != WorkspaceState::Copying); })
            && (working(kHourFrames) || (failure = QStringLiteral("the open left no working copy of the hour"), false))
            && step("select", [&] {
                   return typeMinutes(window, "StartSelectionBox", "StartSelectionMaskEdit", kCutStartMinute)
                       && typeMinutes(window, "EndSelectionBox", "EndSelectionMaskEdit", kCutEndMinute);
               },
               [&] {
                   const controls::TQzv32WaveDisplay* display = window.currentDisplay();
                   return display && int64_t(display->SelectionStartPos()) == kCutStart
                       && int64_t(display->SelectionEndPos()) == kCutEnd;
               })
            && step("cut", [&] { return trigger("EditCutMenu"); }, [&] { return working(kRestFrames); })
            && (undone = inodeOf(current()->undoFile), true)
            && step("undo", [&] { return trigger("EditUndoMenu"); }, [&] { return working(kHourFrames); })
            && (redone = inodeOf(current()->redoFile), undone == inodeOf(current()->workingFile))
            && step("redo", [&] { return trigger("EditRedoMenu"); }, [&] { return working(kRestFrames); })
            && redone == inodeOf(current()->workingFile);
        stallMs = std::max(stallMs, roadStalls.longestMs());
        if (!road && failure.isEmpty())
            failure = QStringLiteral("undo or redo put a copy in place of the file it was to rename");
        if (!ui.boxes.isEmpty())
            failure = QStringLiteral("the window showed a message");
        if (!failure.isEmpty())
            break;
        opens.push_back(steps["open"].seconds);
        cuts.push_back(steps["cut"].seconds);
        undos.push_back(steps["undo"].seconds * 1000);
        redos.push_back(steps["redo"].seconds * 1000);
        std::printf("round %d (longest stall along the road %.1f ms):\n", round + 1, roadStalls.longestMs());
        for (const char* name : {"open", "select", "cut", "undo", "redo"}) {
            const Step& done = steps[QString::fromLatin1(name)];
            std::printf("  %-6s %8.3f s  longest stall %6.1f ms  (%s)\n", name, done.seconds, done.stallMs,
                        qPrintable(partsText(done.parts)));
        }
        std::fflush(stdout);
    }
    QFile::remove(wavePeaks);
    QDir(temp).removeRecursively();
    for (const QString& box : ui.boxes)
        std::printf("  message shown: %s\n", qPrintable(box));
    if (!soxLengthRight)
        failure = QStringLiteral("sox's cut did not leave fifty minutes");
    if (!failure.isEmpty()) {
        goals.failed("editor road", failure);
        return goals.exitCode();
    }

    const double cp = bench::median(cps);
    const double cpFlushed = bench::median(cpsFlushed);
    const double peaks = bench::median(peakBuilds);
    const double soxCut = bench::median(soxes);
    const double soxFlushed = bench::median(soxesFlushed);
    const double soxBoth = bench::median(soxesBoth);
    const double restPeaks = bench::median(restPeakBuilds);
    const double open = bench::median(opens);
    const double cut = bench::median(cuts);
    const double undo = bench::median(undos);
    const double redo = bench::median(redos);
    std::printf("input: %s (%.0f MB), read from the page cache; %d cores given\n", qPrintable(wave),
                double(QFileInfo(wave).size()) / 1e6, bench::coresGiven());
    std::printf("%d rounds, medians; the longest stall of all rounds:\n", kRounds);
    std::printf("  cp of the WAV                              %7.3f s  (followed by a flush of the copy %.3f s)\n", cp,
                cpFlushed);
    std::printf("  our peak build of the WAV alone            %7.3f s\n", peaks);
    std::printf("  sox trim 0 =25m =35m (the rest, 50 min)    %7.3f s  (followed by a flush of its output %.3f s)\n",
                soxCut, soxFlushed);
    std::printf("  sox making the rest and the cut part       %7.3f s  (both flushed); our peak build of the rest "
                "%.3f s\n",
                soxBoth, restPeaks);
    std::printf("  File > Open, copy and peaks ended          %7.3f s\n", open);
    std::printf("  Edit > Cut of minutes 25 to 35             %7.3f s\n", cut);
    std::printf("  Edit > Undo                                %7.1f ms\n", undo);
    std::printf("  Edit > Redo                                %7.1f ms\n", redo);
    std::printf("  longest GUI stall along the road           %7.1f ms  (within one step: %.1f ms, during the %s)\n",
                stallMs, stepStallMs, qPrintable(stallStep));
    goals.atMost("open of an hour, to cp plus our peak build", open / (cp + peaks), kOpenGoal, "x");
    goals.likeForLike("cp and a flush of the copy plus our peak build", open / (cpFlushed + peaks));
    goals.atMost("cut of ten minutes, to sox", cut / soxCut, 1, "x");
    goals.likeForLike("sox followed by a flush of its output", cut / soxFlushed);
    goals.likeForLike("sox making the rest and the cut part, flushed, plus our peak build of the rest",
                      cut / (soxBoth + restPeaks));
    goals.atMost("undo of the cut", undo, kStepGoalMs, "ms");
    goals.atMost("redo of the cut", redo, kStepGoalMs, "ms");
    goals.atMost("longest GUI stall along the road", stallMs, kStallGoalMs, "ms");
    return goals.exitCode();
}
