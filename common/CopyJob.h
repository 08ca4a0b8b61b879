#pragma once
// Copying a file as a job (kind 1 in the foreground, kind 4 in the background): the worker copies
// with the progress word of the job record and goes on only while the job's state stays Running,
// so a cancel request stops it at the next block.

#include "common/JobRecord.h"
#include "common/Util.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

class JobRunner;

// A copy with progress and a cancel word (1: go on): 0, 129 when stopped by the word, else a
// message id; CopyFileWithProgress unless a caller needs another.
using CopyFunction = std::function<int(const QString& source, const QString& target, std::atomic<int32_t>& percent,
                                       const std::atomic<int32_t>& cancelWord)>;

// The worker's part. A job without CopyParameters, or one asked to cancel before the copy began,
// ends Cancelled with 129; otherwise own result = the copy's code and the state is Done (0),
// Cancelled (129) or Failed.
void runCopyJob(TJobRecord& job, const CopyFunction& copy);

// Copies source to target on a worker under the progress window (without Cancel) showing the
// caption. Returns the copy's code (0, 129 or a message id), or the runner's when no worker could
// run (154, or 434 while another job runs). Shows nothing: the caller reports the failure.
int CopyFileOnWorker(JobRunner& runner, const QString& source, const QString& target, const QString& caption,
                     const CopyFunction& copy = CopyFileWithProgress);
