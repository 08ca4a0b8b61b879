#include "common/CopyJob.h"

#include "common/JobRunner.h"
#include "common/Log.h"

void runCopyJob(TJobRecord& job, const CopyFunction& copy)
{
    const auto* files = job.parametersAs<CopyParameters>();
    if (!files || job.currentState() == JobState::CancelAsked) {
        job.ownResult.store(JobCode::Cancelled);
        job.finish(JobState::Cancelled);
        return;
    }
    const int code = copy(files->source, files->target, job.progress, job.state);
    job.ownResult.store(code);
    if (code != 0 && code != JobCode::Cancelled)
        qCWarning(lcCommon) << "copying" << files->source << "to" << files->target << "failed with code" << code;
    job.finish(code == 0 ? JobState::Done : code == JobCode::Cancelled ? JobState::Cancelled : JobState::Failed);
}

int CopyFileOnWorker(JobRunner& runner, const QString& source, const QString& target, const QString& caption,
                     const CopyFunction& copy)
{
    TJobRecord job(JobKind::FileCopy, std::make_unique<CopyParameters>(source, target));
    const int started = runner.runOnWorker(job, caption, false, [&copy](TJobRecord& j) { runCopyJob(j, copy); });
    return started != 0 ? started : job.result();
}
