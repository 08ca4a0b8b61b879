#pragma once
// TWmatoWaveForm, the window under which a WMA file becomes a WAV before a track loads it: the WMA
// library converts on a worker with the job's cancel, progress and state words while the bar shows
// the progress; "&Cancel" (or closing the window) sets the cancel word. Before it starts, the
// decoder must be there, the file readable, and the temporary folder's drive must have room for
// the WAV.

#include "common/ImportJobs.h"
#include "common/ImportProgressDialog.h"
#include "platform/codecs/Plivorn.h"

#include <functional>
#include <memory>

namespace platform {
class Messages;
class UrlOpener;
}

// What the window asks of the program and the machine, replaceable so tests reach every road.
struct WmaImportServices {
    // The recording window's recording format; a rate of 0 when none is set.
    std::function<WaveFormatEx()> recordingFormat;
    std::function<QString()> tempFolder;
    // Free bytes in a folder, -1 when unknown.
    std::function<int64_t(const QString& folder)> freeSpace = platform::codecs::freeSpaceOf;
    // Whether the WMA decoders are there.
    std::function<bool()> decoderAvailable = platform::codecs::Plivorn::IsWmaDecoderFound;
    platform::codecs::DecodeEnvironment environment;
};

// Where the codec question sends the user on Yes.
inline constexpr char kWmaCodecPage[] = "https://ffmpeg.org/download.html";

class TWmatoWaveForm : public ImportProgressDialog {
    Q_OBJECT

public:
    TWmatoWaveForm(const platform::Messages& messages, platform::UrlOpener& urlOpener, WmaImportServices services,
                   QWidget* parent = nullptr);
    ~TWmatoWaveForm() override;

    // Converts wma into wav (a working file: removed again when the conversion does not complete).
    // Returns the job's state: 0 converted, 2 failed (message 489 shown), 3 cancelled (490 shown);
    // or 489 when it never started (the reason shown).
    int ConvertWmaToWave(const QString& wma, const QString& wav);

    void setThreadStarter(ImportThreadStarter starter) { m_starter = std::move(starter); }

protected:
    int percent() const override;
    void cancelJob() override;

private:
    const platform::Messages& m_messages;
    platform::UrlOpener& m_urlOpener;
    WmaImportServices m_services;
    ImportThreadStarter m_starter = startImportThread;
    std::unique_ptr<WmaImportJob> m_job;
};
