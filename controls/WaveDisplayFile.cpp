#include "controls/WaveDisplayFile.h"

#include "common/Util.h"
#include "controls/Log.h"
#include "controls/WaveDisplayHeader.h"

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

namespace controls {

namespace {
constexpr uint32_t kOpenedZoomLevel = 32;
}

const PeakCache& WaveDisplayFile::peakCache() const
{
    static const PeakCache none;
    return m_cache ? *m_cache : none;
}

void WaveDisplayFile::setViewWidth(int width)
{
    m_viewWidth = std::max(1, width);
}

int WaveDisplayFile::record(const char* operation, const QString& subject, int code)
{
    m_lastError = code;
    if (code == WaveDisplayCode::Cancelled)
        qCInfo(lcControls) << operation << "cancelled:" << subject;
    else if (code != WaveDisplayCode::Ok)
        qCWarning(lcControls) << operation << subject << "failed with code" << code;
    return code;
}

void WaveDisplayFile::resetPositions()
{
    m_view = WaveViewState{};
}

int WaveDisplayFile::OpenWaveFile(const QString& fileName)
{
    if (fileName.isEmpty())
        return WaveDisplayCode::Ok;
    WaveDisplayHeader header;
    const int result = readWaveDisplayHeader(fileName, header);
    if (result != WaveDisplayCode::Ok)
        return record("opening", fileName, result);
    m_format = header.format;
    m_totalSamples = header.totalSamples;
    resetPositions();
    m_view.ZoomLevel = kOpenedZoomLevel;
    m_fileName = fileName;
    m_cache.reset();
    m_peakState.store(int32_t(PeakState::Opened));
    m_lastError = WaveDisplayCode::Ok;
    return WaveDisplayCode::Ok;
}

int WaveDisplayFile::BuildPeaks(std::atomic<int32_t>& progress)
{
    const std::unique_ptr<PeakBuildJob> job = beginPeakBuild(progress);
    job->run();
    return finishPeakBuild(*job);
}

std::unique_ptr<PeakBuildJob> WaveDisplayFile::beginPeakBuild(std::atomic<int32_t>& progress)
{
    if (!m_fileName.isEmpty())
        m_peakState.store(int32_t(PeakState::Building));
    return std::make_unique<PeakBuildJob>(m_fileName, m_peakState, progress);
}

int WaveDisplayFile::finishPeakBuild(PeakBuildJob& job)
{
    const int result = job.result;
    if (result == WaveDisplayCode::NoFileToBuild)
        return record("building the peaks of", job.fileName(), result);
    if (job.headerRead) {
        m_format = job.header.format;
        m_totalSamples = job.header.totalSamples;
    }
    m_cache = std::make_shared<const PeakCache>(std::move(job.cache));
    if (result == WaveDisplayCode::Ok) {
        if (m_totalSamples == 0)
            resetPositions();
        m_peakState.store(int32_t(PeakState::Built));
    } else if (result != WaveDisplayCode::Cancelled) {
        // Left at Building the view would stay blank for good; a later load must be drawable.
        m_peakState.store(int32_t(PeakState::Opened));
    }
    return record("building the peaks of", job.fileName(), result);
}

void WaveDisplayFile::CancelPeakBuilding()
{
    m_peakState.store(int32_t(PeakState::CancelRequested));
}

void WaveDisplayFile::CloseWave()
{
    resetPositions();
    m_totalSamples = 0;
    m_fileName.clear();
    m_format = WaveFormatEx{};
    m_peakState.store(int32_t(PeakState::Closed));
    m_lastError = WaveDisplayCode::Ok;
}

int WaveDisplayFile::SavePeakFile(const QString& peakFileName)
{
    int result = WaveDisplayCode::Ok;
    if (m_fileName.isEmpty())
        result = WaveDisplayCode::NoWaveOpen;
    else if (peakFileName.isEmpty())
        result = WaveDisplayCode::EmptyPeakFileName;
    else
        result = writePeakFile(peakFileName, peakCache(), m_format.channels);
    if (result != WaveDisplayCode::Ok)
        qCWarning(lcControls) << "saving the peak file" << peakFileName << "failed with code" << result;
    return result;
}

int WaveDisplayFile::LoadPeakFile(const QString& peakFileName)
{
    return loadPeakFile(peakFileName, true);
}

int WaveDisplayFile::LoadPeakFileNoTimeCheck(const QString& peakFileName)
{
    return loadPeakFile(peakFileName, false);
}

int WaveDisplayFile::loadPeakFile(const QString& peakFileName, bool checkTime)
{
    const auto fail = [&](int code) {
        m_cache.reset();
        return record("loading the peak file", peakFileName, code);
    };
    if (m_fileName.isEmpty())
        return fail(WaveDisplayCode::NoWaveOpen);
    if (peakFileName.isEmpty())
        return fail(WaveDisplayCode::EmptyPeakFileName);
    if (checkTime) {
        int64_t waveTime = 0;
        int64_t peakTime = 0;
        const int waveResult = GetFileWriteTime(m_fileName, waveTime);
        if (waveResult != WaveDisplayCode::Ok)
            return fail(waveResult);
        // A peak file that cannot be opened skips the comparison and fails below with 119.
        const int peakResult = GetFileWriteTime(peakFileName, peakTime);
        if (peakResult == WaveDisplayCode::FileTimeUnreadable)
            return fail(peakResult);
        if (peakResult == WaveDisplayCode::Ok && waveTime > peakTime)
            return fail(WaveDisplayCode::PeakFileStale);
    }
    const uint32_t expected = peakEntriesFor(m_totalSamples);
    if (expected == 0)
        return fail(WaveDisplayCode::NothingToDraw);
    PeakCache loaded;
    const int result = readPeakFile(peakFileName, expected, m_format.channels, loaded);
    if (result != WaveDisplayCode::Ok)
        return fail(result);
    m_cache = std::make_shared<const PeakCache>(std::move(loaded));
    // A loaded cache is complete, whatever a failed build before left in the state.
    m_peakState.store(int32_t(PeakState::Built));
    return record("loading the peak file", peakFileName, WaveDisplayCode::Ok);
}

int WaveDisplayFile::UsePeaks(std::shared_ptr<const PeakCache> peaks)
{
    const auto fail = [&](int code) {
        m_cache.reset();
        return record("taking over the peaks of", m_fileName, code);
    };
    if (m_fileName.isEmpty())
        return fail(WaveDisplayCode::NoWaveOpen);
    const uint32_t expected = peakEntriesFor(m_totalSamples);
    if (expected == 0)
        return fail(WaveDisplayCode::NothingToDraw);
    if (!peaks || peaks->entriesPerChannel() != expected || peaks->channels.size() < m_format.channels)
        return fail(WaveDisplayCode::PeakFileStale);
    m_cache = std::move(peaks);
    m_peakState.store(int32_t(PeakState::Built));
    return record("taking over the peaks of", m_fileName, WaveDisplayCode::Ok);
}

void WaveDisplayFile::SetTotalSamples(uint32_t count)
{
    m_totalSamples = count;
}

int WaveDisplayFile::DeletePeakRange(uint32_t a, uint32_t b, std::shared_ptr<const PeakCache> shortened)
{
    if (a > b)
        std::swap(a, b);
    m_lastError = WaveDisplayCode::Ok;
    const uint32_t totalBefore = m_totalSamples;
    // A range that reaches past the end removes only the frames there are.
    m_totalSamples -= std::min(b, totalBefore) - std::min(a, totalBefore);
    if (m_totalSamples == 0) {
        m_cache.reset();
        resetPositions();
        return WaveDisplayCode::Ok;
    }
    // Nothing to shorten in an empty cache: zero entries would be drawn and saved as real peaks.
    if (peakCache().isEmpty())
        return WaveDisplayCode::Ok;
    const bool fits = shortened && shortened->entriesPerChannel() == peakEntriesFor(m_totalSamples) &&
                      shortened->channels.size() == m_format.channels;
    if (!fits) {
        try {
            shortened = ShortenedPeaks(*m_cache, m_format.channels, totalBefore, a, b);
        } catch (const std::bad_alloc&) {
            return record("deleting a peak range of", m_fileName, WaveDisplayCode::OutOfMemory);
        }
    }
    m_cache = std::move(shortened);
    return WaveDisplayCode::Ok;
}

std::shared_ptr<const PeakCache> WaveDisplayFile::ShortenedPeaks(const PeakCache& peaks, int channels,
                                                                 uint32_t totalSamples, uint32_t a, uint32_t b)
{
    if (a > b)
        std::swap(a, b);
    a = std::min(a, totalSamples);
    b = std::min(b, totalSamples);
    const uint32_t left = totalSamples - (b - a);
    if (left == 0 || peaks.isEmpty())
        return nullptr;
    // Blocks wholly inside a to b; the samples left in a partly covered block keep its old values
    // until the next full build.
    const int64_t firstRemoved = peakEntriesFor(a);
    const int64_t lastRemoved = int64_t(b / kFramesPerPeak) - 1;
    // Every entry is set below.
    auto shortened = std::make_shared<PeakCache>(PeakCache::unset(channels, peakEntriesFor(left)));
    for (size_t c = 0; c < shortened->channels.size(); ++c) {
        PeakChannel& kept = shortened->channels[c];
        auto filled = kept.begin();
        if (c < peaks.channels.size()) {
            // The blocks before the range, then those after it, as far as the new length takes.
            const PeakChannel& old = peaks.channels[c];
            const int64_t size = int64_t(old.size());
            const int64_t before = std::clamp<int64_t>(firstRemoved, 0, size);
            const int64_t after = std::clamp<int64_t>(std::max(lastRemoved + 1, before), 0, size);
            const auto copy = [&](int64_t from, int64_t to) {
                const int64_t count = std::min<int64_t>(to - from, kept.end() - filled);
                filled = std::copy_n(old.begin() + from, count, filled);
            };
            copy(0, before);
            copy(after, size);
        }
        std::fill(filled, kept.end(), PeakEntry{});
    }
    return shortened;
}

int WaveDisplayFile::GetFileWriteTime(const QString& fileName, int64_t& time)
{
    // Not logged here: the callers decide whether a missing file is a failure.
    switch (readFileWriteTime(fileName, time)) {
    case FileWriteTimeRead::Ok:
        return m_lastError = WaveDisplayCode::Ok;
    case FileWriteTimeRead::CannotOpen:
        return m_lastError = WaveDisplayCode::CannotOpenWave;
    case FileWriteTimeRead::CannotQuery:
        break;
    }
    return m_lastError = WaveDisplayCode::FileTimeUnreadable;
}

uint32_t WaveDisplayFile::MaxZoomLevel()
{
    uint32_t total = m_totalSamples;
    if (total == 0) {
        if (m_fileName.isEmpty())
            return 1;
        WaveDisplayHeader header;
        m_lastError = readWaveDisplayHeader(m_fileName, header);
        if (m_lastError != WaveDisplayCode::Ok)
            return 1;
        total = header.totalSamples;
    }
    const uint64_t level = uint64_t(total) / uint64_t(m_viewWidth) + 1;
    return uint32_t(std::min<uint64_t>(level, std::numeric_limits<uint32_t>::max()));
}

int WaveDisplayFile::recordViewResult(const char* operation, int code)
{
    return record(operation, m_fileName, code);
}

int WaveDisplayFile::GetLastError(QString* message, int* osError, QString* osMessage) const
{
    if (message)
        message->clear();
    if (osError)
        *osError = 0;
    if (osMessage)
        osMessage->clear();
    return m_lastError;
}

} // namespace controls
