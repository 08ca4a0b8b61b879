#pragma once
// TWMAExportForm: exports a PCM WAV as a WMA file with an encoder and output format of the WMA
// library that the user picks. The library converts on a worker thread while a 500 ms timer shows
// its progress; the WMA appears under its name only when complete, and the window never closes
// while the worker is still inside the library.
#include "platform/codecs/Ostrefa.h"

#include "common/WaveFormat.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace platform {
class Messages;
class SettingsStore;
class UrlOpener;
} // namespace platform

// The window's load result when there is no WMA library.
inline constexpr int kWmaLibraryMissing = 487;

using WmaLibraryLoader = std::function<std::unique_ptr<platform::codecs::WmaEncoderLibrary>()>;

class TWMAExportForm : public QDialog {
    Q_OBJECT

public:
    TWMAExportForm(const platform::Messages& messages, platform::SettingsStore& settings, platform::UrlOpener& urls,
                   const WmaLibraryLoader& loader = platform::codecs::loadWmaEncoderLibrary, QWidget* parent = nullptr);
    // Stops an export still running and waits for its worker.
    ~TWMAExportForm() override;

    // Exports source to a WMA file, proposing target: 0 when the export finished or the user
    // cancelled (cancelled tells which), otherwise the id of the failure's message, already shown
    // (487 for a missing library, after the question offering it).
    int ExportFile(const QString& source, const QString& target, bool& cancelled);

    void SetExportFileName(const QString& fileName);
    // When the caller names the file, the export writes exactly that target: the name cannot be
    // edited nor browsed for.
    void SetTargetFixed(bool fixed);
    void SelectEncoderByName(const QString& name);
    void SelectFormatByName(const QString& name);

    QLineEdit* exportFileNameEdit = nullptr;
    QPushButton* BrowseButton = nullptr;
    QComboBox* encoderCombo = nullptr;
    QComboBox* outputFormatCombo = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QTimer* conversionTimer = nullptr;
    QPushButton* ExportButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;

public slots:
    // Escape and the title bar: a close attempt.
    void reject() override;

private:
    int fillEncoders();
    int fillFormats();
    void setControlsEnabled(bool enabled);
    void exportClicked();
    void cancelClicked();
    void browseClicked();
    void timerTick();
    // Stores the format choice, then closes unless an export runs.
    void closeAttempt();
    bool running() const { return m_thread.joinable(); }

    const platform::Messages& m_messages;
    platform::SettingsStore& m_settings;
    platform::UrlOpener& m_urls;
    std::unique_ptr<platform::codecs::WmaEncoderLibrary> m_library;
    int m_loadResult = 0;
    QString m_source;
    QString m_target;
    WaveFormatEx m_format;
    uint32_t m_rememberedRate = 0;
    bool m_cancelled = false;
    bool m_targetFixed = false;
    int m_failure = 0;
    std::atomic<int32_t> m_progress{0};
    std::atomic<int32_t> m_state{0};
    std::atomic<int32_t> m_cancel{0};
    std::atomic<int32_t> m_error{0};
    std::thread m_thread;
};
