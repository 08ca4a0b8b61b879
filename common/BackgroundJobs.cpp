#include "common/BackgroundJobs.h"

#include "common/Log.h"

#include <algorithm>

BackgroundJobs::BackgroundJobs(QObject* receiver)
{
    m_poster.setReceiver(receiver);
}

BackgroundJobs::~BackgroundJobs()
{
    for (Entry& entry : m_entries)
        entry.job->requestCancel();
    for (Entry& entry : m_entries)
        entry.worker->join();
}

int BackgroundJobs::start(std::unique_ptr<TJobRecord> job, JobRunner::WorkerBody body)
{
    TJobRecord* record = job.get();
    auto worker = std::make_unique<JobThread>();
    m_entries.push_back({std::move(job), nullptr});
    const bool started = worker->start(
        [this, record, body = std::move(body)] {
            body(*record);
            const JobState end = record->currentState();
            if (end == JobState::Done || end == JobState::Failed)
                m_poster.post(kJobEndedMessage, intptr_t(record->id));
        },
        m_starter);
    if (!started) {
        const int code = threadFailureCode(record->kind);
        m_entries.pop_back();
        return code;
    }
    m_entries.back().worker = std::move(worker);
    return JobCode::Ok;
}

std::vector<BackgroundJobs::Entry>::iterator BackgroundJobs::entryOf(uint64_t id)
{
    return std::find_if(m_entries.begin(), m_entries.end(), [id](const Entry& e) { return e.job->id == id; });
}

TJobRecord* BackgroundJobs::find(uint64_t id) const
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [id](const Entry& e) { return e.job->id == id; });
    return it == m_entries.end() ? nullptr : it->job.get();
}

std::vector<TJobRecord*> BackgroundJobs::jobs() const
{
    std::vector<TJobRecord*> result;
    for (const Entry& entry : m_entries)
        result.push_back(entry.job.get());
    return result;
}

bool BackgroundJobs::cancelAndWait(uint64_t id, std::chrono::milliseconds timeout)
{
    TJobRecord* job = find(id);
    if (!job)
        return false;
    job->requestCancel();
    // Looked up afresh at each step: what the events run meanwhile may remove the job.
    const auto ended = [this, id] {
        const auto it = entryOf(id);
        return it == m_entries.end() || it->worker->finished();
    };
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    waitWithEvents([&] { return ended() || std::chrono::steady_clock::now() >= deadline; });
    if (!ended()) {
        qCWarning(lcCommon) << "background job" << id << "did not stop within" << timeout.count() << "ms";
        return false;
    }
    return true;
}

std::unique_ptr<TJobRecord> BackgroundJobs::take(uint64_t id)
{
    const auto it = entryOf(id);
    if (it == m_entries.end() || it->job->isActive())
        return nullptr;
    // The job's final state is the worker's last write but one: what is left (posting the end)
    // never waits, so the join is short.
    it->worker->join();
    std::unique_ptr<TJobRecord> job = std::move(it->job);
    m_entries.erase(it);
    return job;
}
