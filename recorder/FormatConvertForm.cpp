#include "recorder/FormatConvertForm.h"

#include "recorder/Log.h"

#include "platform/ui/Messages.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace recorder {

namespace {

std::optional<ConvertTracks::Track> trackOf(ConvertMode mode)
{
    switch (mode) {
    case ConvertMode::VoiceTrack: return ConvertTracks::Track::Voice;
    case ConvertMode::MusicTrack: return ConvertTracks::Track::Music;
    case ConvertMode::PadFiles:
    case ConvertMode::OneFile: return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

TFormatConvertForm::TFormatConvertForm(FormatConvertServices services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_services(std::move(services))
{
    setObjectName(QStringLiteral("FormatConvertForm"));
    setWindowTitle(QStringLiteral("Converting format..."));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(360, 96);

    StaticText1 = new QLabel(this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setAlignment(Qt::AlignCenter);
    StatusProgressLabel = new QLabel(QStringLiteral("\\"), this);
    StatusProgressLabel->setObjectName(QStringLiteral("StatusProgressLabel"));
    StatusProgressLabel->setAlignment(Qt::AlignCenter);
    QFont bold = StatusProgressLabel->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 4);
    StatusProgressLabel->setFont(bold);

    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(StaticText1);
    layout->addWidget(StatusProgressLabel);
    layout->addStretch();

    ShowProgress = new QTimer(this);
    ShowProgress->setObjectName(QStringLiteral("ShowProgress"));
    ShowProgress->setInterval(kSpinnerIntervalMs);
    connect(ShowProgress, &QTimer::timeout, this, &TFormatConvertForm::tick);
}

TFormatConvertForm::~TFormatConvertForm() = default;

int TFormatConvertForm::ConvertTrack(const QString& kind)
{
    const std::optional<ConvertMode> mode = convertModeOfKind(kind);
    if (!mode) {
        qCWarning(lcRecorder) << "no format conversion for the kind" << kind;
        return 0;
    }
    run(*mode);
    const int id = formatConversionMessageId(m_code);
    if (id != 0)
        m_services.messages.ShowErrorMessage(id);
    return id;
}

QString TFormatConvertForm::ConvertFile(const QString& source, const WaveFormatEx& format)
{
    m_source = source;
    m_format = format;
    run(ConvertMode::OneFile);
    return m_job ? m_job->resultFile() : QString();
}

void TFormatConvertForm::run(ConvertMode mode)
{
    m_mode = mode;
    m_code = 0;
    m_job.reset();
    StaticText1->clear();
    StatusProgressLabel->setText(QStringLiteral("\\"));
    m_working = true;
    exec();
}

void TFormatConvertForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The work starts once the window has been painted.
    if (m_working)
        QTimer::singleShot(0, this, &TFormatConvertForm::startWork);
}

void TFormatConvertForm::startWork()
{
    if (!m_working || m_job)
        return;
    StaticText1->setText(convertModeMessage(m_mode));
    ShowProgress->start();
    if (m_mode == ConvertMode::PadFiles) {
        if (m_services.convertPadFiles)
            m_services.convertPadFiles();
        finishWork();
        return;
    }
    QString source = m_source;
    WaveFormatEx format = m_format;
    if (const auto track = trackOf(m_mode)) {
        source = m_services.tracks.workingPath(*track);
        format = m_services.recordingFormat();
        if (source.isEmpty()) {
            finishWork();
            return;
        }
    }
    m_job = std::make_unique<FormatConversionJob>(m_services.process);
    if (!m_job->start(source, format))
        finishWork();
}

void TFormatConvertForm::tick()
{
    StatusProgressLabel->setText(nextSpinnerText(StatusProgressLabel->text()));
    if (m_job && m_job->poll())
        finishWork();
}

void TFormatConvertForm::finishWork()
{
    ShowProgress->stop();
    if (m_job) {
        if (const auto track = trackOf(m_mode))
            m_code = replaceTrackWorkingWave(m_services.tracks, *track, *m_job);
        else
            m_code = m_job->code();
    }
    m_working = false;
    // Closed from the event loop, so a job that ends at once still lets the window show first.
    QTimer::singleShot(0, this, &QDialog::accept);
}

void TFormatConvertForm::reject()
{
    if (!m_working)
        QDialog::reject();
}

} // namespace recorder
