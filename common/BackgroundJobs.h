#pragma once
// Jobs that run beside the user's work (the copy of a WAV into its working file) instead of under
// the progress window. Each has its own worker. When a worker ends with the job Done or Failed it
// posts kJobEndedMessage to the receiver, naming the job by id; a job that stopped on a cancel
// posts nothing, since whoever cancelled it waits for it and removes it. The GUI thread alone
// keeps the list: it finds a job by id (a message about a job already removed finds nothing),
// cancels it, and removes an ended one, which joins its worker before handing the record over.

#include "common/JobRecord.h"
#include "common/JobRunner.h"
#include "common/JobThread.h"
#include "platform/base/PostedMessage.h"

#include <chrono>
#include <memory>
#include <vector>

class QObject;

// Posted with wParam = the ended job's id.
inline constexpr uint32_t kJobEndedMessage = 0x4C9;

class BackgroundJobs {
public:
    // receiver gets the messages as PostedMessage events on its thread.
    explicit BackgroundJobs(QObject* receiver);
    // Asks every job still running to cancel and waits for all workers.
    ~BackgroundJobs();
    BackgroundJobs(const BackgroundJobs&) = delete;
    BackgroundJobs& operator=(const BackgroundJobs&) = delete;

    // Keeps the job and starts body(job) on a worker: 0, or the kind's thread code when no worker
    // could be started (the job is dropped).
    int start(std::unique_ptr<TJobRecord> job, JobRunner::WorkerBody body);

    TJobRecord* find(uint64_t id) const;
    // The jobs kept, oldest first.
    std::vector<TJobRecord*> jobs() const;

    // Asks the job to cancel and waits, serving events, until its worker has ended or the time is
    // up. True when the worker has ended (also when it had ended before, or when the job was
    // removed while waiting); false for an unknown id and when the time ran out.
    bool cancelAndWait(uint64_t id, std::chrono::milliseconds timeout);
    // Removes a job that has ended (Done, Cancelled or Failed) and hands it over once its worker
    // has been joined. Null for an unknown id, and for a job still running, which stays in the
    // list.
    std::unique_ptr<TJobRecord> take(uint64_t id);

    void setThreadStarter(JobThread::Starter starter) { m_starter = std::move(starter); }

private:
    struct Entry {
        std::unique_ptr<TJobRecord> job;
        std::unique_ptr<JobThread> worker;
    };

    std::vector<Entry>::iterator entryOf(uint64_t id);

    platform::MessagePoster m_poster;
    JobThread::Starter m_starter = JobThread::startStdThread;
    std::vector<Entry> m_entries;
};
