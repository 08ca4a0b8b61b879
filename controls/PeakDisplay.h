#pragma once
// Opening a WAV in a waveform display: the peaks come from the cache file beside the WAV when it is
// still good, otherwise they are built on a worker under the progress window and saved for the
// next time by that worker. Works with any display that has the file calls of
// controls::WaveDisplayFile (the file side itself, or the waveform widget).
#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "common/Util.h"
#include "controls/PeakJob.h"
#include "platform/ui/Messages.h"

#include <QString>

namespace controls {

// What OpenPeakDisplay does besides the build.
struct PeakDisplayRequest {
    QString wavFile;
    QString caption;          // of the progress window while the peaks are built
    bool usePeakCache = true; // take a good cache file instead of building
    bool openFirst = true;    // open the WAV in the display first
    QString tempFolder;       // where the cache goes when the WAV's folder takes none
    bool cancelShown = false; // the progress window offers Cancel
};

// 0, or the code already shown: the display's code (through its message map), or the runner's
// when no worker could build (156; 434 while another job runs).
template <typename Display>
int OpenPeakDisplay(Display& display, const PeakDisplayRequest& request, JobRunner& runner,
                    const platform::Messages& messages)
{
    if (request.openFirst) {
        if (const int code = display.OpenWaveFile(request.wavFile)) {
            ShowMappedError(messages, code, WaveDisplayErrorToMessageId);
            return code;
        }
    }
    const QString peakFile = GetPeakFileName(request.wavFile, request.tempFolder);
    if (request.usePeakCache && display.LoadPeakFile(peakFile) == 0)
        return 0;
    const PeakBuildOutcome outcome =
        runPeakBuildJob(runner, display, request.caption, request.cancelShown, peakFile);
    if (outcome.runnerCode != 0 || outcome.ownResult != 0) {
        const int code = outcome.result();
        messages.ShowErrorMessage(code);
        return code;
    }
    const int code = outcome.exitReason != 0 ? outcome.exitReason : outcome.saveResult;
    ShowMappedError(messages, code, WaveDisplayErrorToMessageId);
    return code;
}

} // namespace controls
