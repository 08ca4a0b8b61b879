// Saving an hour's WAV as MP3 the way the recorder does: the WAV-to-MP3 dialog in its "Save" mode
// (offscreen unless a platform was given), its encoder on a worker while the GUI thread keeps its
// timer and bar going. Against the lame command at the same bit rate and quality with the settings
// our encoder uses (plain stereo, CRC, no ReplayGain analysis, no information tag) on the same
// file. Goals: at most 1.1 times lame's time, and no GUI stall over 50 ms while it encodes.
#include "bench/BenchSupport.h"
#include "bench/BenchWindows.h"
#include "common/ErrCodes.h"
#include "platform/base/ProgramFolder.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Messages.h"
#include "platform/ui/UrlOpener.h"
#include "recorder/WavToMP3Unit.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

constexpr int kBitRate = 128;
constexpr int kQuality = 3; // the encoder's high-quality preset
constexpr double kStallGoalMs = 50;

class NoUrls : public platform::UrlOpener {
public:
    bool openUrl(const QUrl&) override { return false; }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Goals goals("mp3_save_bench");
    const QString goal = QStringLiteral("MP3 save through the dialog, to lame -b %1 -q %2 with our settings")
                             .arg(kBitRate)
                             .arg(kQuality);
    const QString wave = bench::hourWave();
    if (wave.isEmpty()) {
        goals.failed(goal, "the input could not be made with sox");
        return goals.exitCode();
    }
    const double minutes = double(QFileInfo(wave).size() - 44) / (44100.0 * 4 * 60);
    std::printf("input: %s (%.0f minutes), %d kbit/s\n", qPrintable(wave), minutes, kBitRate);
    std::fflush(stdout);
    bench::warmPageCache({wave});

    bench::AnsweringInteraction ui(platform::IDOK);
    const platform::Messages messages = makeRecorderMessages(ui);
    platform::MemorySettingsStore settings;
    NoUrls urls;
    const QString ours = bench::workFolder() + "/saved-by-dialog.mp3";
    const QString theirs = bench::workFolder() + "/saved-by-lame.mp3";

    recorder::TWaveToMP3ConversionForm form(messages, settings, urls);
    if (form.ConvertWaveToMp3(wave, ours) != 0) {
        goals.failed(goal, "the dialog could not be prepared: " + ui.boxes.join(" / "));
        return goals.exitCode();
    }
    int result = -1;
    bench::StallMeter stalls;
    const double dialog = bench::timed([&] {
        bool cancelled = false;
        result = form.ShowWaveToMp3Conversion(QStringLiteral("Save"), cancelled, kBitRate);
        return result == 0;
    });
    const double stallMs = stalls.longestMs();
    const double stallEnded = stalls.longestEndedSeconds();
    if (dialog < 0) {
        goals.failed(goal, QStringLiteral("the dialog's conversion failed with %1").arg(result));
        return goals.exitCode();
    }
    const double lame = bench::timed([&] {
        return bench::runQuietly("lame", {"--quiet", "-b", QString::number(kBitRate), "-q", QString::number(kQuality),
                                          "-m", "s", "--noreplaygain", "-p", "-t", wave, theirs});
    });
    QFile::remove(ours);
    QFile::remove(theirs);
    if (lame < 0) {
        goals.failed(goal, "lame failed");
        return goals.exitCode();
    }
    std::printf("lame -b %d -q %d -m s --noreplaygain -p -t:   %7.2f s\n", kBitRate, kQuality, lame);
    std::printf("the dialog in its Save mode:                   %7.2f s  (longest stall %.1f ms, ending %.1f s in)\n",
                dialog, stallMs, stallEnded);
    goals.atMost(goal, dialog / lame, 1.1, "x");
    goals.atMost("longest GUI stall while the dialog encodes", stallMs, kStallGoalMs, "ms");
    return goals.exitCode();
}
