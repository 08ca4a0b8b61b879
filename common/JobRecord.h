#pragma once
// The record of one long job, shared by the GUI thread and the job's worker (or polled through an
// outside library's process handle): its kind, state, progress and results. Both programs use it
// for every job that runs under the progress window or in the background.
//
// Sharing rules (no locks):
// - Before the worker starts, the GUI thread fills kind and parameters; neither changes afterwards.
// - The worker writes progress, its own result and the exit reason, then the final state last
//   (release), so whoever reads a final state (acquire) also sees the results.
// - The GUI thread writes only the cancel request, and only over the state Running
//   (requestCancel), so a request never hides an outcome the worker has already written.
// - For the process kinds (3 and 6) no worker of ours writes the record: the GUI thread stores
//   what the library reports.
// - The record is freed only after its worker has been joined.

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

enum class JobKind : int32_t {
    FileCopy = 1,       // a file copied on a worker
    PeakBuild = 2,      // the peaks of a waveform display built on a worker
    EditProcess = 3,    // an edit process of the player library
    WorkspaceCopy = 4,  // a WAV copied into its working file in the background
    Effect = 5,         // an effect applied on a worker
    ConvertProcess = 6, // a conversion process of the format library
    CancelOnly = 7,     // other work that can only be cancelled
};

enum class JobState : int32_t {
    Running = 1,
    Done = 2,
    CancelAsked = 3,
    Cancelled = 4,
    Failed = 5,
};

// Result codes of the job machinery (message ids of the programs' string tables).
namespace JobCode {
inline constexpr int Ok = 0;
inline constexpr int NoMemory = 104;
inline constexpr int Cancelled = 129;
inline constexpr int NoCopyThread = 154;      // "Cannot create thread for copy file"
inline constexpr int NoPeakThread = 156;      // "... for waveform drawing"
inline constexpr int NoWorkspaceThread = 181; // "... for making edit file"
inline constexpr int NoEffectThread = 386;    // "... for effects processing file"
} // namespace JobCode

// The code a job of this kind reports when its worker thread cannot be started.
int threadFailureCode(JobKind kind);

// What a job works on; each kind derives its own block.
struct JobParameters {
    virtual ~JobParameters();
};

// Kinds 1 and 4: the file copied and its copy.
struct CopyParameters : JobParameters {
    CopyParameters(QString source, QString target);
    QString source;
    QString target;
};

// Kinds 3 and 6: the cell into which the library's start call writes the process handle.
struct ProcessCellParameters : JobParameters {
    uint32_t cell = 0;
};

struct TJobRecord {
    explicit TJobRecord(JobKind kind, std::unique_ptr<JobParameters> parameters = {});
    TJobRecord(const TJobRecord&) = delete;
    TJobRecord& operator=(const TJobRecord&) = delete;

    // Unique in the process, never reused: a posted "job ended" message names its job by id, so a
    // message about a job already gone finds nothing.
    const uint64_t id;
    const JobKind kind;
    std::atomic<int32_t> progress{0};
    std::atomic<int32_t> state{int32_t(JobState::Running)};
    std::atomic<int32_t> ownResult{0};
    std::atomic<int32_t> exitReason{0};
    const std::unique_ptr<JobParameters> parameters;

    JobState currentState() const { return JobState(state.load(std::memory_order_acquire)); }
    // Running or CancelAsked: the work has not ended yet.
    bool isActive() const;
    // Turns Running into CancelAsked; false (nothing written) when the job has already ended or
    // was already asked.
    bool requestCancel();
    // The worker's last write: the final state, after its results.
    void finish(JobState finalState);
    // What the job gives its caller. A copy and an effect give the exit reason when there is one,
    // else the own result; a library process gives its exit reason alone (its own result only
    // notes that Cancel was pressed, which the process may have finished before it saw); a peak
    // build and the other kinds give the own result when set, else the exit reason.
    int result() const;

    template <typename Parameters>
    Parameters* parametersAs() const
    {
        return dynamic_cast<Parameters*>(parameters.get());
    }
};
