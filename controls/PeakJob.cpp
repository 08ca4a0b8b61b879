#include "controls/PeakJob.h"

namespace controls {

void runPeakBuildWorker(TJobRecord& job)
{
    auto* parameters = job.parametersAs<PeakBuildParameters>();
    PeakBuildJob* build = parameters ? parameters->build.get() : nullptr;
    if (!build || job.currentState() == JobState::CancelAsked) {
        if (build)
            build->result = WaveDisplayCode::Cancelled;
        job.ownResult.store(JobCode::Cancelled);
        job.finish(JobState::Cancelled);
        return;
    }
    build->run();
    job.exitReason.store(build->result);
    job.finish(build->result == WaveDisplayCode::Ok ? JobState::Done : JobState::Failed);
}

} // namespace controls
