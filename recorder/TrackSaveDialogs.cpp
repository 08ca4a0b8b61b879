#include "recorder/TrackSaveDialogs.h"

#include "recorder/ID3Information.h"
#include "recorder/LiveOverdubbing.h"

namespace recorder {

ExportMp3Fn makeMp3Exporter(QWidget* parent, const platform::Messages& messages, platform::SettingsStore& settings,
                            platform::UrlOpener& urls, Mp3EncoderCalls calls)
{
    return [=, &messages, &settings, &urls](const QString& source, const QString& target, int bitRate) {
        TWaveToMP3ConversionForm form(messages, settings, urls, calls, parent);
        if (form.ConvertWaveToMp3(source, target) != 0)
            return SaveCode::Cancelled;
        bool cancelled = false;
        return form.ShowWaveToMp3Conversion(QStringLiteral("Save"), cancelled, bitRate);
    };
}

ExportWmaFn makeWmaExporter(QWidget* parent, const platform::Messages& messages, platform::SettingsStore& settings,
                            platform::UrlOpener& urls, WmaLibraryLoader loader)
{
    return [=, &messages, &settings, &urls](const QString& source, const QString& target) {
        TWMAExportForm form(messages, settings, urls, loader, parent);
        // The save has named the file and reports that path as saved.
        form.SetTargetFixed(true);
        bool cancelled = false;
        if (const int code = form.ExportFile(source, target, cancelled))
            return code;
        return cancelled ? SaveCode::Cancelled : 0;
    };
}

void useSaveWindows(RecordingWindowServices& services, platform::UrlOpener& urls)
{
    services.saveWindows = [&settings = services.settings, &urls](TrackSaveServices& save, QWidget* window) {
        save.exportMp3 = makeMp3Exporter(window, save.messages, settings, urls);
        save.exportWma = makeWmaExporter(window, save.messages, settings, urls);
        save.askSongInformation = makeSongInformationAsker(window, save.messages, urls);
    };
}

} // namespace recorder
