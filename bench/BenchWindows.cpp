#include "bench/BenchWindows.h"

#include "bench/BenchSupport.h"
#include "controls/WaveDisplayFile.h"

#include <atomic>

namespace bench {

int AnsweringInteraction::messageBox(const QString& text, const QString&, unsigned)
{
    boxes << text;
    return m_answer;
}

platform::FileDialogResult AnsweringInteraction::openFile(const platform::FileDialogRequest&)
{
    platform::FileDialogResult result;
    if (nextFile.isEmpty())
        return result;
    result.accepted = true;
    result.files = {nextFile};
    return result;
}

double peakBuildSeconds(const QString& path)
{
    controls::WaveDisplayFile display;
    std::atomic<int32_t> progress{0};
    return timed([&] { return display.OpenWaveFile(path) == 0 && display.BuildPeaks(progress) == 0; });
}

} // namespace bench
