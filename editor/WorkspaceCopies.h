#pragma once
// The background copies of documents' WAV files into their working files. A WAV document is shown
// and played from its document file at once, while its working file is filled beside the user's
// work; edits, saves and recordings into it wait for the copy ("Preparing file for editing...").
// The main window owns one of these, starts and cancels copies for the workspace, and hands the
// "job ended" message (kJobEndedMessage, wParam = the job id) to handleJobEnded.

#include "common/BackgroundJobs.h"
#include "common/CopyJob.h"
#include "editor/DocumentList.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

class JobProgressHost;

inline constexpr char kPreparingForEditingCaption[] = "Preparing file for editing...";
// "Cannot create edit file. The file will remain opened in read only mode...": told after the
// copy's own message when a copy fails.
inline constexpr int kReadOnlyMessageId = 182;

// Whether the working file of a document may be changed now.
enum class EditReadiness {
    Ready,     // it holds the audio (or the untitled document needs no copy)
    NotReady,  // read-only, or still being copied and waiting was not allowed
    Cancelled, // the user cancelled the wait: the copy stopped and the document is read-only now
};

class WorkspaceCopies {
public:
    // How long a cancel waits for a copy's worker to stop.
    static constexpr std::chrono::milliseconds kCancelTimeout{5000};

    // Called on the GUI thread once for each copy that ended by itself (not cancelled), with its
    // job id and result (0 success, else the copy's message id). The main window passes them to
    // Workspace::workspaceCopyEnded, then shows a ready document from its working file, or tells
    // a failure (its message, then kReadOnlyMessageId, and the caption's read-only suffix).
    using EndedHandler = std::function<void(uint64_t jobId, int result)>;

    // receiver gets kJobEndedMessage; progress shows the wait for a copy.
    WorkspaceCopies(QObject* receiver, JobProgressHost& progress, EndedHandler ended,
                    CopyFunction copy = CopyScratchFileWithProgress);
    WorkspaceCopies(const WorkspaceCopies&) = delete;
    WorkspaceCopies& operator=(const WorkspaceCopies&) = delete;

    // Starts copying the document file into the working file and sets the document's copyJobId:
    // 0, or 181 when no worker could be started (copyJobId stays 0). The copy starts before the
    // document's views exist: its end is held (not handed to the EndedHandler) until release.
    int start(TDocumentRecord& document);
    // The document's views exist: a held end is handled now (the EndedHandler runs before this
    // returns), a later one when its message comes.
    void release(const TDocumentRecord& document);

    // Stops the document's copy and waits up to kCancelTimeout for its worker. The document
    // becomes read-only and forgets the job either way. True once the worker has ended (the
    // working file may then be deleted); false when the document had no copy, or when the worker
    // did not stop in time and may still write the working file.
    bool cancel(TDocumentRecord& document);

    // The handler of kJobEndedMessage: takes the ended job and calls the EndedHandler. False for
    // a job no longer kept (its end was handled already, or it was cancelled), and for a held one,
    // which stays kept until release.
    bool handleJobEnded(uint64_t jobId);

    // Before an edit, save or recording into the document: Ready when its workspace is ready, and
    // for a read-only document only when it is untitled. While its copy runs and waiting is
    // allowed, shows the progress window with kPreparingForEditingCaption and Cancel until the
    // copy ends (Ready when it ended well) or the user cancels (Cancelled: the caller adds
    // kReadOnlyCaptionSuffix of DocumentList.h to its caption). The document must stay open meanwhile.
    EditReadiness ensureFileReadyForEditing(TDocumentRecord& document, bool waitAllowed);

    // Whether a copy is kept for the job (running, or ended and not yet handled).
    bool isKept(uint64_t jobId) const { return m_jobs.find(jobId) != nullptr; }

    void setThreadStarter(JobThread::Starter starter) { m_jobs.setThreadStarter(std::move(starter)); }

private:
    // Removes the jobs given up by a cancel that timed out once their workers have ended.
    void sweepAbandoned();

    JobProgressHost& m_progress;
    EndedHandler m_ended;
    CopyFunction m_copy;
    BackgroundJobs m_jobs;
    std::vector<uint64_t> m_abandoned;
    // Started copies whose ends wait for release.
    std::vector<uint64_t> m_held;
};
