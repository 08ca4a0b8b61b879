#pragma once
// TFormatConvertForm, the recorder's "please wait" window under which audio is converted into the
// recording format: the loaded pad files, the voice or the music track's working WAV, or one given
// file. Made once and shown modally for each job; it starts the job once it has been painted,
// turns a text spinner while the format library's process runs, and closes itself when the job is
// over. The user cannot close it meanwhile. The rules of the job are in FormatConvert.h.

#include "recorder/FormatConvert.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QTimer;

namespace platform {
class Messages;
}

namespace recorder {

// What the window works with; each outlives it.
struct FormatConvertServices {
    const platform::Messages& messages;
    ConvertTracks& tracks;
    ConvertProcessServices process;
    std::function<WaveFormatEx()> recordingFormat;
    // Converts every loaded pad file into the recording format, on the GUI thread: it may open
    // windows of its own.
    std::function<void()> convertPadFiles;
};

class TFormatConvertForm : public QDialog {
    Q_OBJECT

public:
    // The spinner's turn.
    static constexpr int kSpinnerIntervalMs = 100;

    explicit TFormatConvertForm(FormatConvertServices services, QWidget* parent = nullptr);
    ~TFormatConvertForm() override;

    // "Music Files", "Voice Track" or "Music Track" (any case). Returns 0, or the id of the message
    // shown because a track could not be converted (the track then keeps its working WAV). Any
    // other kind does nothing and returns 0.
    int ConvertTrack(const QString& kind);
    // Converts source into a new temporary WAV in format; its name, or empty on failure (nothing is
    // shown: the caller says what the file was for).
    QString ConvertFile(const QString& source, const WaveFormatEx& format);

    QLabel* StaticText1 = nullptr;
    QLabel* StatusProgressLabel = nullptr;
    QTimer* ShowProgress = nullptr;

public slots:
    // Escape, and through QDialog's close event also the title bar: refused while the job runs, as
    // the window closes itself at its end.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void run(ConvertMode mode);
    void startWork();
    void tick();
    void finishWork();

    FormatConvertServices m_services;
    ConvertMode m_mode = ConvertMode::VoiceTrack;
    QString m_source;
    WaveFormatEx m_format{};
    std::unique_ptr<FormatConversionJob> m_job;
    bool m_working = false;
    int m_code = 0;
};

} // namespace recorder
