#include "common/ExportToWma.h"

#include "common/Log.h"
#include "common/RecorderPreferences.h"
#include "common/WaveUtil.h"
#include "common/WmaExportRules.h"
#include "common/WmaToWave.h"
#include "platform/base/Colors.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/HelpOpener.h"
#include "platform/ui/Messages.h"
#include "platform/ui/UrlOpener.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <system_error>

using platform::codecs::WmaCode::Ok;
namespace WmaState = platform::codecs::WmaState;

namespace {

constexpr uint32_t kBarColor = 0x008000; // $00BBGGRR: dark green
constexpr int kTimerIntervalMs = 500;
constexpr int kNoThreadMessage = 235;
constexpr int kRegistryWriteMessage = 187;
constexpr char kRateValue[] = "Last WMA Sampling Rate Selected";
constexpr char kFormatValue[] = "Last WMA Format Index Selected";
constexpr char kHelpFile[] = "WexoRavadur.chm";
constexpr int kHelpContext = 50;
const char kCodecQuestion[] =
    "Windows Media Audio9 Codec is required to use this functionality.\r\nDo you want to download this component "
    "now?\r\nPlease make sure you are connected to the Internet before pressing the Yes button";

} // namespace

TWMAExportForm::TWMAExportForm(const platform::Messages& messages, platform::SettingsStore& settings,
                               platform::UrlOpener& urls, const WmaLibraryLoader& loader, QWidget* parent)
    : QDialog(parent)
    , m_messages(messages)
    , m_settings(settings)
    , m_urls(urls)
    , m_library(loader())
    , m_loadResult(m_library ? 0 : kWmaLibraryMissing)
{
    setObjectName(QStringLiteral("WMAExportForm"));
    setWindowTitle(QStringLiteral("Export to WMA"));

    exportFileNameEdit = new QLineEdit(this);
    exportFileNameEdit->setObjectName(QStringLiteral("exportFileNameEdit"));
    BrowseButton = new QPushButton(QStringLiteral("&Browse..."), this);
    BrowseButton->setObjectName(QStringLiteral("BrowseButton"));
    encoderCombo = new QComboBox(this);
    encoderCombo->setObjectName(QStringLiteral("encoderCombo"));
    outputFormatCombo = new QComboBox(this);
    outputFormatCombo->setObjectName(QStringLiteral("outputFormatCombo"));
    auto* fileLabel = new QLabel(QStringLiteral("&File name:"), this);
    fileLabel->setBuddy(exportFileNameEdit);
    auto* encoderLabel = new QLabel(QStringLiteral("E&ncoder:"), this);
    encoderLabel->setBuddy(encoderCombo);
    auto* formatLabel = new QLabel(QStringLiteral("&Output format:"), this);
    formatLabel->setBuddy(outputFormatCombo);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setStyleSheet(
        QStringLiteral("QProgressBar::chunk { background-color: %1; }").arg(platform::colorFromRef(kBarColor).name()));

    ExportButton = new QPushButton(QStringLiteral("&Export"), this);
    ExportButton->setObjectName(QStringLiteral("ExportButton"));
    ExportButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    HelpButton = new QPushButton(QStringLiteral("&Help"), this);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    connect(ExportButton, &QPushButton::clicked, this, &TWMAExportForm::exportClicked);
    connect(CancelButton, &QPushButton::clicked, this, &TWMAExportForm::cancelClicked);
    connect(BrowseButton, &QPushButton::clicked, this, &TWMAExportForm::browseClicked);
    connect(HelpButton, &QPushButton::clicked, this, [this] {
        platform::HelpOpener(m_urls, m_messages.interaction(), m_messages.caption())
            .showContext(QString::fromLatin1(kHelpFile), kHelpContext);
    });
    connect(encoderCombo, &QComboBox::textActivated, this, [this] {
        if (const int id = fillFormats())
            m_messages.ShowErrorMessage(id);
    });

    conversionTimer = new QTimer(this);
    conversionTimer->setObjectName(QStringLiteral("conversionTimer"));
    conversionTimer->setInterval(kTimerIntervalMs);
    connect(conversionTimer, &QTimer::timeout, this, &TWMAExportForm::timerTick);

    auto* grid = new QGridLayout;
    grid->addWidget(fileLabel, 0, 0);
    grid->addWidget(exportFileNameEdit, 0, 1);
    grid->addWidget(BrowseButton, 0, 2);
    grid->addWidget(encoderLabel, 1, 0);
    grid->addWidget(encoderCombo, 1, 1, 1, 2);
    grid->addWidget(formatLabel, 2, 0);
    grid->addWidget(outputFormatCombo, 2, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ExportButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(HelpButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);
    setMinimumWidth(480);
}

TWMAExportForm::~TWMAExportForm()
{
    if (running()) {
        m_cancel.store(1);
        m_thread.join();
    }
}

int TWMAExportForm::ExportFile(const QString& source, const QString& target, bool& cancelled)
{
    cancelled = false;
    m_cancelled = false;
    m_failure = 0;
    m_source = source;
    m_target = target;
    // Without the library nothing below can run: the user is offered it instead.
    if (m_loadResult != 0) {
        const int answer = m_messages.ShowMessageBox(QString::fromLatin1(kCodecQuestion), {},
                                                     platform::MB_YESNO | platform::MB_ICONQUESTION);
        if (answer == platform::IDYES && !m_urls.openUrl(QUrl(QString::fromLatin1(kWmaCodecPage))))
            qCWarning(lcCommon) << "the codec page could not be opened";
        return m_loadResult;
    }
    if (const int code = ReadWaveFormat(source, nullptr, &m_format)) {
        m_messages.ShowErrorMessage(code);
        return code;
    }
    if (int id = fillEncoders(); id != 0 || (id = fillFormats()) != 0) {
        m_messages.ShowErrorMessage(id);
        return id;
    }
    SetExportFileName(target);
    setControlsEnabled(true);
    conversionTimer->stop();
    ProgressBar1->setValue(0);
    exec();
    cancelled = m_cancelled;
    return m_failure;
}

int TWMAExportForm::fillEncoders()
{
    encoderCombo->clear();
    int count = 0;
    if (const int code = m_library->GetNumEncodersSupported(&count))
        return wmaErrorMessageId(code) ? wmaErrorMessageId(code) : WmaExportMessage::CannotLoad;
    for (int index = 0; index < count; ++index) {
        QString name;
        int formats = 0;
        if (const int code = m_library->GetEncoderDetail(index, &name))
            return wmaErrorMessageId(code) ? wmaErrorMessageId(code) : WmaExportMessage::CannotLoad;
        if (m_library->GetNumDestFormatsSupported(name, m_format, &formats) == Ok && formats > 0)
            encoderCombo->addItem(name);
    }
    if (encoderCombo->count() == 0)
        return WmaExportMessage::NoFormat;
    encoderCombo->setCurrentIndex(encoderCombo->count() - 1);
    return 0;
}

int TWMAExportForm::fillFormats()
{
    outputFormatCombo->clear();
    const QString encoder = encoderCombo->currentText();
    int count = 0;
    if (m_library->GetNumDestFormatsSupported(encoder, m_format, &count) != Ok || count <= 0)
        return WmaExportMessage::NoFormat;
    for (int index = 0; index < count; ++index) {
        QString text;
        if (m_library->GetDestFormatDetail(encoder, m_format, index, &text) != Ok)
            return WmaExportMessage::NoFormat;
        outputFormatCombo->addItem(text);
    }
    const QString key = QString::fromLatin1(kRecorderSettingsKey);
    const auto rate = m_settings.readInteger(key, QString::fromLatin1(kRateValue));
    const auto index = m_settings.readInteger(key, QString::fromLatin1(kFormatValue));
    outputFormatCombo->setCurrentIndex(chooseWmaFormat(rate.ok() ? std::optional(rate.value) : std::nullopt,
                                                       index.ok() ? std::optional(index.value) : std::nullopt,
                                                       m_format.samplesPerSec, count));
    m_rememberedRate = m_format.samplesPerSec;
    return 0;
}

void TWMAExportForm::SetExportFileName(const QString& fileName)
{
    exportFileNameEdit->setText(fileName);
}

void TWMAExportForm::SetTargetFixed(bool fixed)
{
    m_targetFixed = fixed;
    setControlsEnabled(!running());
}

void TWMAExportForm::SelectEncoderByName(const QString& name)
{
    const int index = encoderCombo->findText(name, Qt::MatchFixedString);
    if (index >= 0 && index != encoderCombo->currentIndex()) {
        encoderCombo->setCurrentIndex(index);
        if (const int id = fillFormats())
            m_messages.ShowErrorMessage(id);
    }
}

void TWMAExportForm::SelectFormatByName(const QString& name)
{
    const int index = outputFormatCombo->findText(name, Qt::MatchFixedString);
    if (index >= 0)
        outputFormatCombo->setCurrentIndex(index);
}

void TWMAExportForm::setControlsEnabled(bool enabled)
{
    exportFileNameEdit->setEnabled(enabled);
    exportFileNameEdit->setReadOnly(m_targetFixed);
    encoderCombo->setEnabled(enabled);
    outputFormatCombo->setEnabled(enabled);
    BrowseButton->setEnabled(enabled && !m_targetFixed);
    ExportButton->setEnabled(enabled);
}

void TWMAExportForm::exportClicked()
{
    if (running())
        return;
    const QString target = exportFileNameEdit->text().trimmed();
    if (!isWmaFileName(target)) {
        m_messages.ShowMessageBox(QStringLiteral("Invalid FileName.  Select other file to export."),
                                  QStringLiteral("Error"), platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    m_target = target;
    const int formatIndex = outputFormatCombo->currentIndex();
    const QString encoder = encoderCombo->currentText();
    m_progress.store(0);
    m_state.store(0);
    m_cancel.store(0);
    m_error.store(0);
    setControlsEnabled(false);
    conversionTimer->start();
    try {
        m_thread = std::thread([this, source = m_source, target, formatIndex, encoder] {
            const int code = m_library->ConvertFileToWMA(source, target, formatIndex, encoder, &m_progress, &m_state,
                                                         &m_cancel, &m_error);
            // A call that failed without saying so in the state word still ends the export.
            const int32_t state = m_state.load();
            const bool over = state == WmaState::Cancelled || state == WmaState::Finished || state == WmaState::Failed;
            if (code != Ok && !over) {
                m_error.store(code);
                m_state.store(WmaState::Failed);
            }
        });
    } catch (const std::system_error& error) {
        qCWarning(lcCommon) << "no worker for the WMA export:" << error.what();
        conversionTimer->stop();
        setControlsEnabled(true);
        m_messages.ShowErrorMessage(kNoThreadMessage);
    }
}

void TWMAExportForm::timerTick()
{
    const int32_t state = m_state.load();
    if (state == WmaState::Running) {
        ProgressBar1->setValue(m_progress.load());
        return;
    }
    if (state != WmaState::Failed && state != WmaState::Cancelled && state != WmaState::Finished)
        return;
    if (state == WmaState::Finished)
        ProgressBar1->setValue(100);
    m_thread.join();
    conversionTimer->stop();
    ProgressBar1->setValue(0);
    if (state == WmaState::Failed) {
        const int code = m_error.load();
        const int id = wmaErrorMessageId(code);
        if (id)
            m_messages.ShowErrorMessage(id);
        else
            qCWarning(lcCommon) << "WMA export of" << m_source << "failed with code" << code;
        // Never 0: the caller must not take a failed export for a finished one.
        m_failure = id ? id : WmaExportMessage::WriteError;
    } else if (state == WmaState::Cancelled) {
        m_cancelled = true;
    } else {
        m_messages.ShowMessageBox(QStringLiteral("Exported to file %1 successfully.").arg(m_target),
                                  QStringLiteral("Export Successful"), platform::MB_OK | platform::MB_ICONINFORMATION);
    }
    closeAttempt();
}

void TWMAExportForm::cancelClicked()
{
    if (running()) {
        // The library stops and reports it; the timer then closes the window.
        m_cancel.store(1);
        return;
    }
    m_cancelled = true;
    closeAttempt();
}

void TWMAExportForm::reject()
{
    if (!running())
        m_cancelled = true;
    closeAttempt();
}

void TWMAExportForm::closeAttempt()
{
    const QString key = QString::fromLatin1(kRecorderSettingsKey);
    if (!m_settings.writeInteger(key, QString::fromLatin1(kRateValue), int32_t(m_rememberedRate))
        || !m_settings.writeInteger(key, QString::fromLatin1(kFormatValue), outputFormatCombo->currentIndex()))
        m_messages.ShowErrorMessage(kRegistryWriteMessage);
    if (!running()) {
        QDialog::reject();
        return;
    }
    if (m_cancel.load() == 0)
        m_messages.ShowMessageBox(QStringLiteral("Conversion Process is active. You cannot close at this time."),
                                  QStringLiteral("Warning!"), platform::MB_OK | platform::MB_ICONWARNING);
}

void TWMAExportForm::browseClicked()
{
    platform::FileDialogRequest request;
    request.title = QStringLiteral("Choose an Output Filename");
    request.filter = QStringLiteral("WMA Files (*.wma)|*.wma");
    request.defaultExtension = QStringLiteral("wma");
    request.overwritePrompt = true;
    request.fileName = exportFileNameEdit->text();
    const platform::FileDialogResult chosen = m_messages.interaction().saveFile(request);
    if (chosen.accepted && !chosen.files.isEmpty())
        SetExportFileName(withWmaExtension(chosen.files.constFirst()));
}
