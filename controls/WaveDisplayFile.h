#pragma once
// The file side of the waveform display: the open WAV file, its format and length, the peak cache
// with its file, and the view positions that these operations reset. It needs no display; the
// waveform widget owns one and draws from it.
//
// Every operation runs on the GUI thread, except PeakBuildJob::run() of a job made by
// beginPeakBuild(), which runs on a worker and shares only the progress word and the peak-state
// word with the GUI thread. While a job is out, the GUI thread may read the state and call
// CancelPeakBuilding(), and nothing else, until finishPeakBuild() has taken the job's result; the
// state stays Building until then, so a half-built cache is never drawn. The display must outlive
// its jobs.

#include "common/WaveFormat.h"
#include "controls/PeakBuilder.h"
#include "controls/PeakCache.h"
#include "controls/WaveDisplayCodes.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

namespace controls {

// The positions in frames, as the widget shows them.
struct WaveViewState {
    uint32_t ZoomLevel = 1; // frames per pixel column
    uint32_t LeftSamplePos = 0;
    uint32_t RightSamplePos = 0;
    uint32_t CaretPositionBySamples = 0;
    uint32_t SelectionStartPos = 0;
    uint32_t SelectionEndPos = 0;

    friend bool operator==(const WaveViewState&, const WaveViewState&) = default;
};

class WaveDisplayFile {
public:
    WaveDisplayFile() = default;
    WaveDisplayFile(const WaveDisplayFile&) = delete;
    WaveDisplayFile& operator=(const WaveDisplayFile&) = delete;

    WaveViewState& view() { return m_view; }
    const WaveViewState& view() const { return m_view; }
    // The widget's client width in pixels; values below 1 are taken as 1.
    void setViewWidth(int width);
    int viewWidth() const { return m_viewWidth; }

    const QString& WaveFileName() const { return m_fileName; }
    // Channels, rate, byte rate, block align and bits of the open file; tag and extra size stay 0.
    const WaveFormatEx& format() const { return m_format; }
    uint32_t TotalSamples() const { return m_totalSamples; }
    PeakState peakState() const { return PeakState(m_peakState.load()); }
    const PeakCache& peakCache() const;
    // The peaks the display draws, read-only, for another display of the same file or for keeping
    // while the file is away; null when there are none.
    const std::shared_ptr<const PeakCache>& sharedPeaks() const { return m_cache; }

    // Checks and opens a WAV file: 0, or 101 to 105 or 113. An empty name returns 0 and changes
    // nothing. Resets zoom (32), positions, caret and selection, and empties the peak cache, which
    // belonged to the file open before.
    int OpenWaveFile(const QString& fileName);

    // Builds the peak cache on the calling thread: beginPeakBuild, run, finishPeakBuild.
    int BuildPeaks(std::atomic<int32_t>& progress);
    // Sets the state to Building (when a file is open) and returns the job for a worker.
    std::unique_ptr<PeakBuildJob> beginPeakBuild(std::atomic<int32_t>& progress);
    // After the worker has finished: takes the header and the cache (empty on failure), records
    // the result and sets the state (Built; CancelRequested stays after a cancel; Opened after
    // another failure). Returns the job's result; 111 when no file was open.
    int finishPeakBuild(PeakBuildJob& job);
    void CancelPeakBuilding();

    void CloseWave();

    // 0, 114 (no WAV open), 115 (empty name), 116, 117.
    int SavePeakFile(const QString& peakFileName);
    // 0 (state Built), 114, 115, 112 (no samples), 119 (missing), 120, 121 (older than the WAV,
    // wrong entry count, fewer channels than the WAV), 101/118 (the WAV's time), 106. A failure
    // empties the cache.
    int LoadPeakFile(const QString& peakFileName);
    int LoadPeakFileNoTimeCheck(const QString& peakFileName);
    // Draws from peaks made for the open file (another display's, or kept from before): 0 (state
    // Built), 114, 112 (no samples), 121 (none, or not of the file's entry count and channels). A
    // failure empties the cache.
    int UsePeaks(std::shared_ptr<const PeakCache> peaks);

    // Stores the frame count; nothing else changes.
    void SetTotalSamples(uint32_t count);
    // After frames a to b were removed from the file: lowers TotalSamples and removes the blocks
    // wholly inside a to b from the cache. 0 or 106. `shortened`, when given, is ShortenedPeaks()
    // of this file's present peaks and the same range, made ahead on a worker; it is taken instead
    // of shortening here when it has the entry count and channels the range leaves.
    int DeletePeakRange(uint32_t a, uint32_t b, std::shared_ptr<const PeakCache> shortened = nullptr);
    // The peaks of a file of totalSamples frames and `channels` channels, less the blocks wholly
    // inside a to b, as DeletePeakRange leaves them; none when nothing is left or peaks is empty.
    // Reads nothing but its arguments, so that it may run on any thread. Throws std::bad_alloc.
    static std::shared_ptr<const PeakCache> ShortenedPeaks(const PeakCache& peaks, int channels,
                                                           uint32_t totalSamples, uint32_t a, uint32_t b);

    // Last-write time in nanoseconds, read as the utilities read it: 0, 101 (cannot be opened for
    // reading, or no regular file: a folder, a pipe) or 118.
    int GetFileWriteTime(const QString& fileName, int64_t& time);

    // TotalSamples div view width + 1; with no samples known, the count is read from the header.
    uint32_t MaxZoomLevel();

    // The last recorded code; the texts are empty and the OS error is 0.
    int GetLastError(QString* message = nullptr, int* osError = nullptr, QString* osMessage = nullptr) const;
    // Records the result of an operation of the view (drawing, a mouse or key event) as the last
    // code; failures are logged. Returns code.
    int recordViewResult(const char* operation, int code);

private:
    int loadPeakFile(const QString& peakFileName, bool checkTime);
    int record(const char* operation, const QString& subject, int code);
    void resetPositions();

    WaveViewState m_view;
    int m_viewWidth = 1;
    QString m_fileName;
    WaveFormatEx m_format;
    uint32_t m_totalSamples = 0;
    std::atomic<int32_t> m_peakState{int32_t(PeakState::Closed)};
    std::shared_ptr<const PeakCache> m_cache;
    int m_lastError = 0;
};

} // namespace controls
