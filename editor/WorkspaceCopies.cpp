#include "editor/WorkspaceCopies.h"

#include "common/JobProgressHost.h"

#include <algorithm>
#include <memory>

WorkspaceCopies::WorkspaceCopies(QObject* receiver, JobProgressHost& progress, EndedHandler ended, CopyFunction copy)
    : m_progress(progress)
    , m_ended(std::move(ended))
    , m_copy(std::move(copy))
    , m_jobs(receiver)
{
}

int WorkspaceCopies::start(TDocumentRecord& document)
{
    sweepAbandoned();
    auto job = std::make_unique<TJobRecord>(
        JobKind::WorkspaceCopy, std::make_unique<CopyParameters>(document.documentFile, document.workingFile));
    const uint64_t id = job->id;
    const int code = m_jobs.start(std::move(job), [copy = m_copy](TJobRecord& j) { runCopyJob(j, copy); });
    document.copyJobId = code == 0 ? id : 0;
    if (code == 0)
        m_held.push_back(id);
    return code;
}

void WorkspaceCopies::release(const TDocumentRecord& document)
{
    const uint64_t id = document.copyJobId;
    if (std::erase(m_held, id) == 0)
        return;
    // Its message, served while the views were made, was put off.
    if (const TJobRecord* job = m_jobs.find(id); job && !job->isActive())
        handleJobEnded(id);
}

bool WorkspaceCopies::cancel(TDocumentRecord& document)
{
    const uint64_t id = document.copyJobId;
    document.copyJobId = 0;
    document.workspaceState = WorkspaceState::ReadOnly;
    std::erase(m_held, id);
    if (id == 0 || !m_jobs.find(id))
        return false;
    if (!m_jobs.cancelAndWait(id, kCancelTimeout)) {
        // Its end, should it ever come, no longer concerns the document.
        m_abandoned.push_back(id);
        return false;
    }
    // Gone already when its end was handled while the cancel waited.
    m_jobs.take(id);
    return true;
}

bool WorkspaceCopies::handleJobEnded(uint64_t jobId)
{
    sweepAbandoned();
    if (std::find(m_held.begin(), m_held.end(), jobId) != m_held.end())
        return false;
    const std::unique_ptr<TJobRecord> job = m_jobs.take(jobId);
    if (!job)
        return false;
    if (m_ended)
        m_ended(jobId, job->result());
    return true;
}

EditReadiness WorkspaceCopies::ensureFileReadyForEditing(TDocumentRecord& document, bool waitAllowed)
{
    switch (document.workspaceState) {
    case WorkspaceState::Ready: return EditReadiness::Ready;
    case WorkspaceState::ReadOnly:
        return document.saveState == SaveState::Untitled ? EditReadiness::Ready : EditReadiness::NotReady;
    case WorkspaceState::Copying: break;
    case WorkspaceState::None: return EditReadiness::NotReady;
    }
    const uint64_t id = document.copyJobId;
    if (!waitAllowed || id == 0 || !m_jobs.find(id))
        return EditReadiness::NotReady;

    bool cancelled = false;
    m_progress.showJobProgress(QString::fromLatin1(kPreparingForEditingCaption), true,
                               [this, id, &document, &cancelled](bool cancelRequest, int32_t& running) {
                                   if (cancelRequest) {
                                       cancelled = true;
                                       cancel(document);
                                       running = 0;
                                       return 0;
                                   }
                                   // A job no longer kept has ended and been handled meanwhile.
                                   const TJobRecord* job = m_jobs.find(id);
                                   running = job && job->isActive() ? 1 : 0;
                                   return job ? job->progress.load(std::memory_order_relaxed) : 100;
                               });
    if (cancelled)
        return EditReadiness::Cancelled;
    // The window closes as soon as the worker has ended; its message may still be on its way.
    if (const TJobRecord* job = m_jobs.find(id); job && !job->isActive())
        handleJobEnded(id);
    return document.workspaceState == WorkspaceState::Ready ? EditReadiness::Ready : EditReadiness::NotReady;
}

void WorkspaceCopies::sweepAbandoned()
{
    std::erase_if(m_abandoned, [this](uint64_t id) { return !m_jobs.find(id) || m_jobs.take(id) != nullptr; });
}
