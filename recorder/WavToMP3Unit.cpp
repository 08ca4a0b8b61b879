#include "recorder/WavToMP3Unit.h"

#include "recorder/Log.h"

#include "common/RecorderPreferences.h"
#include "common/WaveUtil.h"
#include "platform/base/Colors.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/Messages.h"
#include "platform/ui/UrlOpener.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <system_error>

namespace recorder {

namespace {

constexpr uint32_t kBarColor = 0x008000; // $00BBGGRR: dark green
constexpr int kPercentIntervalMs = 500;
constexpr int kCancelled = 129;
constexpr int kNoComponentQuestion = 229;
constexpr int kCodecCannotMessage = 230;
constexpr int kRateNotPossibleMessage = 233;
constexpr int kNoStatusMessage = 234;
constexpr int kNoThreadMessage = 235;
constexpr char kCodecValue[] = "MP3 Export Codec";
constexpr char kBitRateValue[] = "MP3 Export BitRate";
constexpr char kWarningText[]
    = "The currently selected MP3 encoder and bitrate does not provide optimum quality for music files. To get a "
      "better quality MP3 file, please use a different MP3 converter. For more information Click Here:";

} // namespace

TWaveToMP3ConversionForm::TWaveToMP3ConversionForm(const platform::Messages& messages,
                                                   platform::SettingsStore& settings, platform::UrlOpener& urls,
                                                   Mp3EncoderCalls calls, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_messages(messages)
    , m_settings(settings)
    , m_urls(urls)
    , m_calls(std::move(calls))
{
    setObjectName(QStringLiteral("WaveToMP3ConversionForm"));
    setWindowTitle(QStringLiteral("Vexal Audio MP3 Conversion"));

    CodecNamesComboBox = new QComboBox(this);
    CodecNamesComboBox->setObjectName(QStringLiteral("CodecNamesComboBox"));
    BitRateComboBox = new QComboBox(this);
    BitRateComboBox->setObjectName(QStringLiteral("BitRateComboBox"));
    auto* codecLabel = new QLabel(QStringLiteral("&Encoder:"), this);
    codecLabel->setBuddy(CodecNamesComboBox);
    auto* rateLabel = new QLabel(QStringLiteral("&Bit rate (kbit/s):"), this);
    rateLabel->setBuddy(BitRateComboBox);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setStyleSheet(
        QStringLiteral("QProgressBar::chunk { background-color: %1; }").arg(platform::colorFromRef(kBarColor).name()));

    WarningImage = new QLabel(this);
    WarningImage->setObjectName(QStringLiteral("WarningImage"));
    WarningImage->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    WarningMessage = new QLabel(QString::fromLatin1(kWarningText), this);
    WarningMessage->setObjectName(QStringLiteral("WarningMessage"));
    WarningMessage->setWordWrap(true);
    WebPageUrl = new QLabel(QStringLiteral("<a href=\"page\">Click Here</a>"), this);
    WebPageUrl->setObjectName(QStringLiteral("WebPageUrl"));
    connect(WebPageUrl, &QLabel::linkActivated, this, [this] {
        if (!m_urls.openUrl(QUrl(QString::fromLatin1(kMp3ComponentPage))))
            qCWarning(lcRecorder) << "the MP3 component page could not be opened";
    });

    StartButton = new QPushButton(QStringLiteral("&Start"), this);
    StartButton->setObjectName(QStringLiteral("StartButton"));
    StartButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(StartButton, &QPushButton::clicked, this, &TWaveToMP3ConversionForm::startClicked);
    connect(CancelButton, &QPushButton::clicked, this, &TWaveToMP3ConversionForm::cancelClicked);
    connect(CodecNamesComboBox, &QComboBox::textActivated, this,
            [this](const QString& codec) { fillRates(codec, true); });

    PercentTimer = new QTimer(this);
    PercentTimer->setObjectName(QStringLiteral("PercentTimer"));
    PercentTimer->setInterval(kPercentIntervalMs);
    connect(PercentTimer, &QTimer::timeout, this, &TWaveToMP3ConversionForm::pollPercent);

    auto* choices = new QGridLayout;
    choices->addWidget(codecLabel, 0, 0);
    choices->addWidget(CodecNamesComboBox, 0, 1);
    choices->addWidget(rateLabel, 1, 0);
    choices->addWidget(BitRateComboBox, 1, 1);
    choices->setColumnStretch(1, 1);
    auto* warningText = new QVBoxLayout;
    warningText->setSpacing(4);
    warningText->addWidget(WarningMessage);
    warningText->addWidget(WebPageUrl);
    auto* warning = new QHBoxLayout;
    warning->addWidget(WarningImage, 0, Qt::AlignTop);
    warning->addLayout(warningText, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(StartButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(ProgressBar1);
    layout->addLayout(warning);
    layout->addLayout(buttons);
    setFixedWidth(400);
}

TWaveToMP3ConversionForm::~TWaveToMP3ConversionForm()
{
    if (running()) {
        m_words.abort = true;
        if (!m_lameInUse)
            m_calls.codecStop();
        m_thread.join();
    }
}

int TWaveToMP3ConversionForm::ConvertWaveToMp3(const QString& source, const QString& target)
{
    const bool lame = m_calls.lamePresent();
    PercentTimer->stop();
    ProgressBar1->setValue(0);
    m_source = source;
    if (const int code = ReadWaveFormat(source, nullptr, nullptr)) {
        m_messages.ShowErrorMessage(code);
        return -1;
    }
    m_target = target;
    CodecNamesComboBox->clear();

    const int found = m_calls.codecFound(source);
    if (!lame) {
        if (found == 436 || found == 438) {
            const int answer = m_messages.ShowMessageBox(m_messages.messageText(kNoComponentQuestion), {},
                                                         platform::MB_YESNO | platform::MB_ICONQUESTION);
            if (answer == platform::IDYES && !m_urls.openUrl(QUrl(QString::fromLatin1(kMp3ComponentPage))))
                qCWarning(lcRecorder) << "the MP3 component page could not be opened";
            return -1;
        }
        if (found != 0) {
            m_messages.ShowErrorMessage(kCodecCannotMessage);
            return -1;
        }
    }

    // A WAV the probe cannot read is reported once, not for every rate.
    int probeFailure = LameProbe::Ok;
    const auto lameAccepts = [&](int kbps) {
        bool supported = false;
        if (probeFailure == LameProbe::Ok)
            probeFailure = m_calls.lameRateSupported(source, kbps, &supported);
        return supported;
    };
    const auto codecAccepts = [&](int kbps) {
        bool supported = false;
        return found == 0 && m_calls.codecRateSupported(source, uint32_t(kbps) * 1000, &supported) == 0 && supported;
    };
    m_choices = buildMp3CodecChoices(lame, lameAccepts, codecAccepts);
    if (probeFailure != LameProbe::Ok) {
        const char* text = probeFailure == LameProbe::NotOpened ? kLameNotOpenedMessage : kLameFileReadErrorMessage;
        m_messages.ShowMessageBox(QString::fromLatin1(text), {}, platform::MB_OK | platform::MB_ICONERROR);
    }
    if (m_choices.lameRates.isEmpty() && m_choices.codecRates.isEmpty()) {
        m_messages.ShowErrorMessage(kCodecCannotMessage);
        return -1;
    }
    CodecNamesComboBox->addItems(m_choices.codecNames);
    CodecNamesComboBox->setCurrentIndex(0);
    // Only the system codec: it is not what music deserves, which the warning says.
    const bool warn = !lame;
    WarningImage->setVisible(warn);
    WarningMessage->setVisible(warn);
    WebPageUrl->setVisible(warn);

    const auto storedCodec
        = m_settings.readString(QString::fromLatin1(kRecorderSettingsKey), QString::fromLatin1(kCodecValue));
    const qsizetype stored = storedCodec.ok() ? m_choices.codecNames.indexOf(storedCodec.value) : -1;
    if (stored >= 0)
        CodecNamesComboBox->setCurrentIndex(int(stored));
    fillRates(CodecNamesComboBox->currentText(), false);
    return 0;
}

void TWaveToMP3ConversionForm::fillRates(const QString& codec, bool highest)
{
    BitRateComboBox->clear();
    const QList<int>& rates = ratesOfCodec(m_choices, codec);
    for (const int rate : rates)
        BitRateComboBox->addItem(QString::number(rate), rate);
    BitRateComboBox->setCurrentIndex(highest ? int(rates.size()) - 1 : 0);
    StartButton->setEnabled(!rates.isEmpty());
}

int TWaveToMP3ConversionForm::ShowWaveToMp3Conversion(const QString& mode, bool& cancelled, int bitRate)
{
    m_mode = mode;
    m_presetRate = bitRate;
    m_outcome = 0;
    m_words.abort = false;
    const bool save = mode.compare(QLatin1String("Save"), Qt::CaseInsensitive) == 0;
    CodecNamesComboBox->setEnabled(!save);
    BitRateComboBox->setEnabled(!save);
    exec();
    cancelled = m_outcome == kCancelled;
    return m_outcome;
}

void TWaveToMP3ConversionForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    const QList<int>& rates = ratesOfCodec(m_choices, CodecNamesComboBox->currentText());
    BitRateComboBox->setCurrentIndex(shownRateIndex(rates));
    if (m_mode.compare(QLatin1String("Save"), Qt::CaseInsensitive) != 0)
        return;
    const QString codec = saveModeCodec(mp3CodecUsedThisRun(), m_calls.lamePresent());
    bool supported = false;
    if (isLameCodec(codec))
        m_calls.lameRateSupported(m_source, m_presetRate, &supported);
    else if (!codec.isEmpty())
        supported = m_calls.codecRateSupported(m_source, uint32_t(std::max(0, m_presetRate)) * 1000, &supported) == 0
                    && supported;
    const qsizetype codecIndex = m_choices.codecNames.indexOf(codec);
    const qsizetype rateIndex = ratesOfCodec(m_choices, codec).indexOf(m_presetRate);
    if (supported && codecIndex >= 0 && rateIndex >= 0) {
        CodecNamesComboBox->setCurrentIndex(int(codecIndex));
        fillRates(codec, false);
        BitRateComboBox->setCurrentIndex(int(rateIndex));
        QMetaObject::invokeMethod(this, &TWaveToMP3ConversionForm::startClicked, Qt::QueuedConnection);
    } else {
        CodecNamesComboBox->setEnabled(true);
        BitRateComboBox->setEnabled(true);
    }
}

void TWaveToMP3ConversionForm::startClicked()
{
    if (running() || !StartButton->isEnabled() || BitRateComboBox->currentIndex() < 0)
        return;
    const QFileInfo target(m_target);
    if (target.exists() && !target.isWritable())
        QFile::setPermissions(m_target, QFile::permissions(m_target) | QFileDevice::WriteOwner);
    ProgressBar1->setValue(0);
    const QString codec = CodecNamesComboBox->currentText();
    m_rate = BitRateComboBox->currentData().toInt();
    const QString key = QString::fromLatin1(kRecorderSettingsKey);
    if (!m_settings.writeString(key, QString::fromLatin1(kCodecValue), codec)
        || !m_settings.writeInteger(key, QString::fromLatin1(kBitRateValue), m_rate))
        qCWarning(lcRecorder) << "the MP3 encoder choice could not be stored";
    m_lameInUse = isLameCodec(codec);
    setMp3CodecUsedThisRun(codec);
    m_outcome = 0;
    m_words.abort = false;
    m_words.percent = 0;
    StartButton->setEnabled(false);
    CodecNamesComboBox->setEnabled(false);
    BitRateComboBox->setEnabled(false);
    PercentTimer->start();

    const auto work = [this, source = m_source, target = m_target, rate = m_rate, lame = m_lameInUse] {
        int code = 0;
        if (lame)
            code = m_calls.lameEncode(source, target, rate, &m_words);
        else
            code = rate > 0 ? m_calls.codecConvert(source, target, uint32_t(rate) * 1000) : LameCode::BitRateTooHigh;
        QMetaObject::invokeMethod(this, [this, code] { workerEnded(code); }, Qt::QueuedConnection);
    };
    try {
        m_thread = std::thread(work);
    } catch (const std::system_error& error) {
        qCWarning(lcRecorder) << "no worker for the MP3 conversion:" << error.what();
        PercentTimer->stop();
        StartButton->setEnabled(true);
        m_messages.ShowErrorMessage(kNoThreadMessage);
    }
}

void TWaveToMP3ConversionForm::pollPercent()
{
    if (m_lameInUse) {
        ProgressBar1->setValue(m_words.percent.load(std::memory_order_relaxed));
        return;
    }
    int percent = 0;
    if (m_calls.codecStatus(&percent) != 0) {
        PercentTimer->stop();
        m_messages.ShowErrorMessage(kNoStatusMessage);
        cancelClicked();
        return;
    }
    if (percent < 100)
        ProgressBar1->setValue(percent);
}

void TWaveToMP3ConversionForm::workerEnded(int code)
{
    m_thread.join();
    PercentTimer->stop();
    const bool stopAsked = m_words.abort.load();
    if (code == LameCode::Ok) {
        ProgressBar1->setValue(0);
        m_outcome = 0;
        accept();
        return;
    }
    if (stopAsked || code == LameCode::Aborted) {
        m_outcome = kCancelled;
        QDialog::reject();
        return;
    }
    if (code == LameCode::BitRateTooHigh) {
        // Another rate or encoder may do: the choice is open again.
        StartButton->setEnabled(true);
        CodecNamesComboBox->setEnabled(true);
        BitRateComboBox->setEnabled(true);
        m_messages.ShowMessageById(kRateNotPossibleMessage, {m_rate}, platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    showFailure(code);
    m_outcome = code;
    QDialog::reject();
}

void TWaveToMP3ConversionForm::showFailure(int code)
{
    qCWarning(lcRecorder) << "MP3 conversion of" << m_source << "to" << m_target << "failed with code" << code;
    const unsigned flags = platform::MB_OK | platform::MB_ICONERROR;
    switch (code) {
    case LameCode::CannotCreate:
        m_messages.ShowMessageBox(QString::fromLatin1(kLameCannotCreateMessage), {}, flags);
        break;
    case LameCode::NotPcm:
    case LameCode::Refused:
        m_messages.ShowErrorMessage(kCodecCannotMessage);
        break;
    default:
        m_messages.ShowMessageBox(
            QStringLiteral("Error : The MP3 file could not be written (encoder result %1).").arg(code), {}, flags);
        break;
    }
}

void TWaveToMP3ConversionForm::cancelClicked()
{
    m_outcome = kCancelled;
    if (!running()) {
        QDialog::reject();
        return;
    }
    // The worker's end closes the window; the encoder stops at its next block.
    CancelButton->setEnabled(false);
    m_words.abort = true;
    if (!m_lameInUse)
        m_calls.codecStop();
}

void TWaveToMP3ConversionForm::reject()
{
    cancelClicked();
}

} // namespace recorder
