#pragma once
// TWaveToMP3ConversionForm: turns a WAV into an MP3 with the encoder and bit rate the user picks
// (in "Save" mode with a preset rate it starts by itself). The encoder runs on a worker thread while
// the bar shows its progress; the MP3 appears under its name only when complete, so a cancel or a
// failure leaves nothing there.
#include "common/Lame_dll.h"
#include "platform/codecs/VXWAVMP3.h"
#include "recorder/WavToMp3Rules.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <thread>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace platform {
class Messages;
class SettingsStore;
class UrlOpener;
} // namespace platform

namespace recorder {

// The encoders the window drives; tests put slow or failing ones in.
struct Mp3EncoderCalls {
    std::function<bool()> lamePresent = IsLameEncoderPresent;
    std::function<int(const QString& wav, int kbps, bool* supported)> lameRateSupported = IsLameBitrateSupported;
    std::function<int(const QString& wav, const QString& mp3, int kbps, Mp3EncodeWords* words)> lameEncode
        = EncodeWaveToMp3;
    // The system codec: 0 when it can encode the file, its bit-rate test (bits per second), the
    // conversion, its percent and its stop.
    std::function<int(const QString& wav)> codecFound = platform::codecs::IsValidMP3CodecFound;
    std::function<int(const QString& wav, uint32_t bps, bool* supported)> codecRateSupported
        = platform::codecs::IsBitrateSupported;
    std::function<int(const QString& wav, const QString& mp3, uint32_t bps)> codecConvert
        = platform::codecs::ConvertWaveFileToMp3;
    std::function<int(int* percent)> codecStatus = platform::codecs::GetStatusWavToMP3;
    std::function<int()> codecStop = platform::codecs::StopConversionWavToMP3;
};

// Where the codec download page is.
inline constexpr char kMp3ComponentPage[] = "https://packages.debian.org/bookworm/libmp3lame0";

class TWaveToMP3ConversionForm : public QDialog {
    Q_OBJECT

public:
    TWaveToMP3ConversionForm(const platform::Messages& messages, platform::SettingsStore& settings,
                             platform::UrlOpener& urls, Mp3EncoderCalls calls = {},
                             QWidget* parent = nullptr);
    // Stops a conversion still running and waits for its worker.
    ~TWaveToMP3ConversionForm() override;

    // Prepares the window for source and target: 0 when it is ready, -1 when no encoder can make
    // the MP3 (the user has been told).
    int ConvertWaveToMp3(const QString& source, const QString& target);
    // Shows the window modally; in mode "Save" (any case) with the encoder choice locked and, when
    // the encoder used last takes bitRate, converting at once. Returns 0 when the MP3 was written,
    // 129 when the user cancelled, otherwise the encoder's failure (already shown); cancelled is
    // true for 129.
    int ShowWaveToMp3Conversion(const QString& mode, bool& cancelled, int bitRate);

    QComboBox* CodecNamesComboBox = nullptr;
    QComboBox* BitRateComboBox = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QTimer* PercentTimer = nullptr;
    QPushButton* StartButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QLabel* WarningMessage = nullptr;
    QLabel* WarningImage = nullptr;
    QLabel* WebPageUrl = nullptr;

public slots:
    // Escape and the title bar: as "&Cancel".
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillRates(const QString& codec, bool highest);
    void startClicked();
    void cancelClicked();
    void pollPercent();
    void workerEnded(int code);
    void showFailure(int code);
    bool running() const { return m_thread.joinable(); }

    const platform::Messages& m_messages;
    platform::SettingsStore& m_settings;
    platform::UrlOpener& m_urls;
    Mp3EncoderCalls m_calls;
    Mp3CodecChoices m_choices;
    QString m_source;
    QString m_target;
    QString m_mode;
    int m_presetRate = 0;
    int m_rate = 0;
    int m_outcome = 0;
    bool m_lameInUse = false;
    Mp3EncodeWords m_words;
    std::thread m_thread;
};

} // namespace recorder
