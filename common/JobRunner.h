#pragma once
// The foreground job of a program's main window: at most one at a time, run under the modal
// progress window and polled by PollJob. A job runs either as a body on a worker thread of ours
// (copies, peak builds, effects) or as a process of an outside library reached through its handle
// cell (edits, conversions). Either way the call returns only when the work has ended: a worker is
// joined, a process is over. While it waits after the window has closed, the GUI thread keeps
// serving events (painting, timers, posted messages) but not user input; the job is still the
// current one then, so a job that one of those events asks for is refused.
//
// No message box is shown from a worker: whatever the job reports is shown by the GUI thread once
// the job has ended, and a cancel (129) shows nothing.

#include "common/ErrCodes.h"
#include "common/JobProgressHost.h"
#include "common/JobRecord.h"
#include "common/JobThread.h"
#include "common/PolledLibrary.h"

#include <QString>

#include <functional>

namespace platform {
class Messages;
}

// Another foreground job is running (the program is busy).
inline constexpr int kJobBusyCode = 434;

// Waits on the GUI thread until done() holds, checking every 10 ms, with the event loop running
// (user input excluded). Needs the application object.
void waitWithEvents(const std::function<bool()>& done);

class JobRunner {
public:
    // Runs on the worker; it must finish() the job last.
    using WorkerBody = std::function<void(TJobRecord& job)>;
    // Called on the GUI thread when the user cancels a job that its worker cannot see by the state
    // alone (the display's peak build, the effect engine).
    using CancelHook = std::function<void()>;
    // A library's start call: writes the process handle into the cell, returns 0 or its code.
    using ProcessStart = std::function<int(uint32_t* cell)>;

    explicit JobRunner(JobProgressHost& host);
    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;

    JobProgressHost& progressHost() const { return m_host; }
    TJobRecord* currentJob() const { return m_current; }

    // The poll of the current job; see JobProgressHost for the protocol. With no current job it
    // reports the end, so a window left polling closes.
    int PollJob(bool cancelRequest, int32_t& running);

    // Runs body(job) on a worker under the progress window with the caption. Returns 0 once the
    // worker has been joined (the job then holds its outcome), kJobBusyCode when another job runs,
    // or the kind's thread code when no worker could be started (the job is left unrun).
    int runOnWorker(TJobRecord& job, const QString& caption, bool cancelShown, const WorkerBody& body,
                    CancelHook onCancel = {});

    // Runs a library process (kind 3 or 6): start() gets the handle cell; a failing start is shown
    // through map and returned without a window; an unfinished process is polled under the window
    // (Cancel asks the library to stop). Once it is over, its exit reason is shown through map and
    // returned, also after a cancel: a process that finished its work before it saw the request has
    // done it (0), and one that failed says why. The handle is always closed.
    int runLibraryProcess(JobKind kind, PolledLibrary& library, const ProcessStart& start, const QString& caption,
                          bool cancelShown, const platform::Messages& messages, ErrorCodeMap map);

    void setThreadStarter(JobThread::Starter starter) { m_starter = std::move(starter); }

private:
    void showProgress(const QString& caption, bool cancelShown);
    void cancelCurrent(TJobRecord& job);

    JobProgressHost& m_host;
    JobThread::Starter m_starter = JobThread::startStdThread;
    TJobRecord* m_current = nullptr;
    CancelHook m_cancelHook;
    PolledLibrary* m_library = nullptr;
};
