#include "common/JobRecord.h"

namespace {

std::atomic<uint64_t> g_nextJobId{1};

} // namespace

int threadFailureCode(JobKind kind)
{
    switch (kind) {
    case JobKind::PeakBuild: return JobCode::NoPeakThread;
    case JobKind::WorkspaceCopy: return JobCode::NoWorkspaceThread;
    case JobKind::Effect: return JobCode::NoEffectThread;
    default: return JobCode::NoCopyThread;
    }
}

JobParameters::~JobParameters() = default;

CopyParameters::CopyParameters(QString source, QString target)
    : source(std::move(source))
    , target(std::move(target))
{
}

TJobRecord::TJobRecord(JobKind kind, std::unique_ptr<JobParameters> parameters)
    : id(g_nextJobId.fetch_add(1, std::memory_order_relaxed))
    , kind(kind)
    , parameters(std::move(parameters))
{
}

bool TJobRecord::isActive() const
{
    const JobState s = currentState();
    return s == JobState::Running || s == JobState::CancelAsked;
}

bool TJobRecord::requestCancel()
{
    int32_t expected = int32_t(JobState::Running);
    return state.compare_exchange_strong(expected, int32_t(JobState::CancelAsked), std::memory_order_acq_rel);
}

void TJobRecord::finish(JobState finalState)
{
    state.store(int32_t(finalState), std::memory_order_release);
}

int TJobRecord::result() const
{
    const int own = ownResult.load(std::memory_order_acquire);
    const int exit = exitReason.load(std::memory_order_acquire);
    switch (kind) {
    case JobKind::FileCopy:
    case JobKind::Effect:
        return exit != 0 ? exit : own;
    case JobKind::EditProcess:
    case JobKind::ConvertProcess:
        return exit;
    default:
        return own != 0 ? own : exit;
    }
}
