#pragma once
// The peak build of a waveform display as a job (kind 2): the GUI thread prepares the build from
// the display, a worker runs the scan under the progress window, and after the worker has been
// joined the GUI thread installs the result in the display. Cancel stops the display's build.
// Works with any display that has the build calls of WaveDisplayFile (the file side itself, or the
// waveform widget).

#include "common/JobRecord.h"
#include "common/JobRunner.h"
#include "controls/PeakBuilder.h"
#include "controls/WaveDisplayCodes.h"

#include <QString>

#include <memory>

namespace controls {

struct PeakBuildParameters : JobParameters {
    std::unique_ptr<PeakBuildJob> build;
};

// The worker's part. A job asked to cancel before the scan began ends Cancelled with 129 (its
// build marked cancelled); otherwise the exit reason is the scan's code and the state Done (0) or
// Failed.
void runPeakBuildWorker(TJobRecord& job);

struct PeakBuildOutcome {
    int runnerCode = 0; // 0, or the runner's code when no worker ran (156, 434)
    int ownResult = 0;  // 129 when cancelled before the scan began
    int exitReason = 0; // what the display's build reported: 0, 110 after a cancel, or its failure
    int saveResult = 0; // writing the cache file after a build: 0, 116 or 117

    // The code the job gives its caller.
    int result() const { return runnerCode != 0 ? runnerCode : ownResult != 0 ? ownResult : exitReason; }
};

// Builds the display's peaks on a worker under the progress window. The display holds the new
// cache (or, on failure, none) when this returns; a build whose worker could not start leaves it
// as after a cancelled build. While another job runs the display is left alone. With a peakFile
// the worker also writes the built cache there.
template <typename Display>
PeakBuildOutcome runPeakBuildJob(JobRunner& runner, Display& display, const QString& caption, bool cancelShown,
                                 const QString& peakFile = {})
{
    if (runner.currentJob())
        return {kJobBusyCode, 0, 0};
    auto parameters = std::make_unique<PeakBuildParameters>();
    PeakBuildParameters* build = parameters.get();
    TJobRecord job(JobKind::PeakBuild, std::move(parameters));
    build->build = display.beginPeakBuild(job.progress);
    build->build->peakFile = peakFile;

    PeakBuildOutcome outcome;
    outcome.runnerCode =
        runner.runOnWorker(job, caption, cancelShown, runPeakBuildWorker, [&display] { display.CancelPeakBuilding(); });
    if (outcome.runnerCode != 0) {
        display.CancelPeakBuilding();
        build->build->result = WaveDisplayCode::Cancelled;
    }
    outcome.saveResult = build->build->saveResult;
    outcome.exitReason = display.finishPeakBuild(*build->build);
    outcome.ownResult = job.ownResult.load();
    return outcome;
}

} // namespace controls
