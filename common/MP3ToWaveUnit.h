#pragma once
// Tmp3towaveForm, the window under which an MP3 file becomes a WAV before a track loads it: the
// MP3 library converts on a worker while the bar shows its percent; "&Cancel" (or closing the
// window) stops it.

#include "common/ImportJobs.h"
#include "common/ImportProgressDialog.h"

#include <memory>

namespace platform {
class Messages;
}

class Tmp3towaveForm : public ImportProgressDialog {
    Q_OBJECT

public:
    explicit Tmp3towaveForm(const platform::Messages& messages, platform::codecs::DecodeEnvironment environment = {},
                            QWidget* parent = nullptr);
    ~Tmp3towaveForm() override;

    // Converts mp3 into wav (a working file: removed again when the conversion does not complete)
    // under the caption, by default "Preparing Audio File " and the MP3's file name.
    // Returns the MP3 library's code for the caller to show through Mp3ToWavErrorToMessageId
    // (431 after a cancel), or 235, already shown, when no worker could be started.
    int ConvertMp3ToWave(const QString& mp3, const QString& wav, const QString& caption = {});

    void setThreadStarter(ImportThreadStarter starter) { m_starter = std::move(starter); }

protected:
    int percent() const override;
    void cancelJob() override;

private:
    const platform::Messages& m_messages;
    platform::codecs::DecodeEnvironment m_environment;
    ImportThreadStarter m_starter = startImportThread;
    std::unique_ptr<Mp3ImportJob> m_job;
};
