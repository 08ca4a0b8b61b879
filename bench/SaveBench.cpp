// File > Save of an edited one-hour 44.1 kHz 16-bit stereo WAV document over its file, as the editor
// runs it (the new file written beside the old one under the progress window, flushed, renamed
// over it), against `cp` of the working file over a copy of the document file followed by `sync`
// of that copy, in the same run. Goal: the save takes at most 1.5 times the copy and its flush.
// The longest stall of the event loop during the saves is printed too.
#include "bench/BenchSupport.h"
#include "bench/BenchWindows.h"
#include "common/EditorMessages.h"
#include "common/JobRunner.h"
#include "controls/ProgressBar.h"
#include "editor/DocumentSave.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Messages.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <vector>

namespace {

constexpr int kRounds = 3;

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Goals goals("save_bench");
    const QString goal = QStringLiteral("Saving an edited one-hour WAV over its file, to cp + sync of it");
    const QString working = bench::hourWave();
    if (working.isEmpty()) {
        goals.failed(goal, "the input could not be made with sox");
        return goals.exitCode();
    }
    const QString folder = bench::workFolder() + "/save";
    QDir().mkpath(folder);
    const QString documentFile = folder + "/episode.wav";
    const QString copy = folder + "/episode-by-cp.wav";
    if (!bench::runQuietly("cp", {working, documentFile}) || !bench::runQuietly("cp", {working, copy})) {
        goals.failed(goal, "the document file could not be made");
        return goals.exitCode();
    }
    std::printf("input: %s (%.0f MB)\n", qPrintable(working), double(QFileInfo(working).size()) / 1e6);
    std::fflush(stdout);
    bench::warmPageCache({working});

    bench::AnsweringInteraction ui;
    const platform::Messages messages = makeEditorMessages(ui);
    platform::MemorySettingsStore settings;
    controls::TProgressBarForm progress(controls::ControlVariant::Editor);
    JobRunner runner(progress);
    DocumentSaver saver({messages, settings, runner, [] { return QDir::homePath(); },
                         [](TDocumentRecord&) { return true; }});

    std::vector<double> saves, references;
    double stallMs = 0;
    QString failure;
    for (int round = 0; round < kRounds && failure.isEmpty(); ++round) {
        const double reference = bench::timed(
            [&] { return bench::runQuietly("cp", {working, copy}) && bench::runQuietly("sync", {copy}); });
        TDocumentRecord document;
        document.documentFile = documentFile;
        document.workingFile = working;
        document.sourceKind = SourceKind::Wave;
        document.saveState = SaveState::Modified;
        bench::StallMeter stalls;
        const double save = bench::timed([&] { return saver.save(document, SaveMode::Save) == 0; });
        stallMs = std::max(stallMs, stalls.longestMs());
        if (reference < 0 || save < 0) {
            failure = reference < 0 ? QStringLiteral("cp or sync failed") : QStringLiteral("the save failed");
            break;
        }
        references.push_back(reference);
        saves.push_back(save);
        std::printf("round %d: save %.2f s, cp + sync %.2f s\n", round + 1, save, reference);
        std::fflush(stdout);
    }
    QFile::remove(copy);
    QFile::remove(documentFile);
    if (!failure.isEmpty()) {
        goals.failed(goal, failure);
        return goals.exitCode();
    }
    const double save = bench::median(saves);
    const double reference = bench::median(references);
    std::printf("cp + sync (median of %d): %7.2f s\n", kRounds, reference);
    std::printf("save (median of %d):      %7.2f s\n", kRounds, save);
    std::printf("longest stall of the event loop during the saves: %.1f ms\n", stallMs);
    goals.atMost(goal, save / reference, 1.5, "x");
    return goals.exitCode();
}
