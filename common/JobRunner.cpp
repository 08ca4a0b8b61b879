#include "common/JobRunner.h"

#include "common/Log.h"
#include "platform/ui/Messages.h"

#include <QEventLoop>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QTimer>

#include <optional>

#include <sys/eventfd.h>
#include <unistd.h>

namespace {

constexpr int kWaitStepMs = 10;

bool isProcessKind(JobKind kind)
{
    return kind == JobKind::EditProcess || kind == JobKind::ConvertProcess;
}

uint32_t processHandle(const TJobRecord& job)
{
    const auto* cell = job.parametersAs<ProcessCellParameters>();
    return cell ? cell->cell : 0;
}

// Clears the runner's current job however the run ends.
class CurrentJob {
public:
    CurrentJob(TJobRecord*& slot, TJobRecord& job)
        : m_slot(slot)
    {
        m_slot = &job;
    }
    ~CurrentJob() { m_slot = nullptr; }
    CurrentJob(const CurrentJob&) = delete;
    CurrentJob& operator=(const CurrentJob&) = delete;

private:
    TJobRecord*& m_slot;
};

} // namespace

void waitWithEvents(const std::function<bool()>& done)
{
    if (done())
        return;
    QEventLoop loop;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    timer.start(kWaitStepMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

JobRunner::JobRunner(JobProgressHost& host)
    : m_host(host)
{
}

int JobRunner::PollJob(bool cancelRequest, int32_t& running)
{
    TJobRecord* job = m_current;
    if (!job) {
        running = 0;
        return 0;
    }
    if (cancelRequest)
        cancelCurrent(*job);

    int percent;
    if (isProcessKind(job->kind) && m_library) {
        const uint32_t handle = processHandle(*job);
        if (job->currentState() == JobState::Running && m_library->processIsOver(handle) == 1) {
            job->exitReason.store(m_library->reasonForProcessExit(handle));
            job->finish(JobState::Done);
        }
        percent = m_library->processProgress(handle);
    } else {
        percent = job->progress.load(std::memory_order_relaxed);
    }
    running = int32_t(job->currentState());
    return percent;
}

void JobRunner::cancelCurrent(TJobRecord& job)
{
    switch (job.kind) {
    case JobKind::PeakBuild:
        if (m_cancelHook)
            m_cancelHook();
        m_host.setKeepOpen(false);
        job.requestCancel();
        break;
    case JobKind::EditProcess:
    case JobKind::ConvertProcess:
        if (job.currentState() == JobState::Running && m_library)
            m_library->cancelPressed(processHandle(job));
        if (job.requestCancel())
            job.ownResult.store(JobCode::Cancelled);
        break;
    case JobKind::Effect:
        if (m_cancelHook)
            m_cancelHook();
        if (job.requestCancel())
            job.ownResult.store(JobCode::Cancelled);
        break;
    case JobKind::CancelOnly:
        if (job.requestCancel())
            job.ownResult.store(JobCode::Cancelled);
        break;
    default:
        job.requestCancel();
        break;
    }
}

void JobRunner::showProgress(const QString& caption, bool cancelShown)
{
    m_host.showJobProgress(caption, cancelShown,
                           [this](bool cancelRequest, int32_t& running) { return PollJob(cancelRequest, running); });
}

int JobRunner::runOnWorker(TJobRecord& job, const QString& caption, bool cancelShown, const WorkerBody& body,
                           CancelHook onCancel)
{
    if (m_current) {
        qCWarning(lcCommon) << "job" << job.id << "refused: job" << m_current->id << "is still running";
        return kJobBusyCode;
    }
    // The worker's word that it has returned, through a descriptor that the GUI thread's event loop
    // watches until the worker is joined. Without one the window sees the end at its next tick.
    const int ended = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    const auto closeEnded = qScopeGuard([ended] {
        if (ended >= 0)
            ::close(ended);
    });
    std::optional<QSocketNotifier> endedNotifier;
    if (ended >= 0) {
        endedNotifier.emplace(ended, QSocketNotifier::Read);
        QObject::connect(&*endedNotifier, &QSocketNotifier::activated, [this, ended] {
            uint64_t count = 0;
            if (::read(ended, &count, sizeof count) == sizeof count)
                m_host.jobEnded();
        });
    }
    JobThread worker;
    const auto run = [&job, &body, ended] {
        body(job);
        const uint64_t one = 1;
        if (ended >= 0 && ::write(ended, &one, sizeof one) != sizeof one)
            qCWarning(lcCommon) << "the end of a job could not be signalled; the window sees it at its next tick";
    };
    if (!worker.start(run, m_starter))
        return threadFailureCode(job.kind);

    // The job stays current until its worker is joined: the wait below serves timers and posted
    // messages, and a job one of them asks for must be refused until this one's work has ended.
    const CurrentJob current(m_current, job);
    m_cancelHook = std::move(onCancel);
    showProgress(caption, cancelShown);
    m_cancelHook = {};
    // The window closed when the job ended or was asked to cancel; either way the worker is joined
    // before the caller may touch or free the record.
    waitWithEvents([&worker] { return worker.finished(); });
    worker.join();
    return JobCode::Ok;
}

int JobRunner::runLibraryProcess(JobKind kind, PolledLibrary& library, const ProcessStart& start,
                                 const QString& caption, bool cancelShown, const platform::Messages& messages,
                                 ErrorCodeMap map)
{
    if (m_current) {
        qCWarning(lcCommon) << "library process refused: job" << m_current->id << "is still running";
        return kJobBusyCode;
    }
    TJobRecord job(kind, std::make_unique<ProcessCellParameters>());
    uint32_t* cell = &job.parametersAs<ProcessCellParameters>()->cell;

    const int started = start(cell);
    if (started != 0) {
        library.closeHandle(cell);
        ShowMappedError(messages, started, map);
        return started;
    }

    const uint32_t handle = *cell;
    {
        // Current until the process is over and closed, as a worker job is until it is joined.
        const CurrentJob current(m_current, job);
        if (library.processIsOver(handle) != 1) {
            m_library = &library;
            showProgress(caption, cancelShown);
            m_library = nullptr;
        }
        waitWithEvents([&library, handle] { return library.processIsOver(handle) == 1; });
        if (job.isActive()) {
            // Over without a poll having seen it (at once, or after a cancel): take the library's
            // word.
            const int reason = library.reasonForProcessExit(handle);
            job.exitReason.store(reason);
            job.finish(reason == 0                    ? JobState::Done
                       : reason == JobCode::Cancelled ? JobState::Cancelled
                                                      : JobState::Failed);
        }
        library.closeHandle(cell);
    }
    const int reason = job.exitReason.load(std::memory_order_acquire);
    ShowMappedError(messages, reason, map);
    return reason;
}
