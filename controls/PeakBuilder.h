#pragma once
// The peak scan of a WAV file, run as a job on a worker thread. The job touches nothing but itself,
// the progress word and the display's peak-state word, both atomics: the thread that made the job
// reads progress and may set the state to CancelRequested meanwhile, and takes the result (code,
// header and cache) only after the worker has finished.
//
// The file is read once, in pieces of kPeakPieceBytes, a multiple of 32 frames for every frame
// size, so that a block of 32 frames never straddles two pieces. A large file is split into runs
// of whole pieces that helper threads of the job scan side by side (each with its own handle of
// the file and its own entries of the cache); run() returns only after all of them have ended.

#include "controls/PeakCache.h"
#include "controls/WaveDisplayHeader.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

namespace controls {

inline constexpr int64_t kPeakPieceBytes = 256 * 1024;

class PeakBuildJob {
public:
    // state is the display's peak-state word; the scan stops with 110 as soon as it is no longer
    // Building. progress receives 0 to 99 as the pieces are read and 100 at the end. Both must
    // outlive the job.
    PeakBuildJob(QString fileName, std::atomic<int32_t>& state, std::atomic<int32_t>& progress);

    // Runs the scan on the calling thread and its helpers. Codes: 0, 101 to 105, 113 (header),
    // 106 (out of memory), 107 (the data ended early: the file shrank), 110 (cancelled), 111 (no
    // file name).
    void run();

    const QString& fileName() const { return m_fileName; }

    // Called after each piece is read, with the piece's index in the data (from 0). With a large
    // file it is called from several threads at once.
    std::function<void(int64_t piece)> afterPieceRead;

    // When set before run(), a complete cache is written there (as SavePeakFile would), so that
    // the thread that waits for the job never writes it.
    QString peakFile;

    // Results, to be read once run() has returned.
    int result = 0;
    int saveResult = 0;        // writePeakFile's code when the cache was written
    bool headerRead = false;   // header holds the file's format and frame count
    WaveDisplayHeader header;
    PeakCache cache;           // complete when result is 0, empty otherwise

private:
    int scan(platform::RiffFile& file);

    QString m_fileName;
    std::atomic<int32_t>& m_state;
    std::atomic<int32_t>& m_progress;
};

} // namespace controls
