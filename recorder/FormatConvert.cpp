#include "recorder/FormatConvert.h"

#include "common/ErrCodes.h"
#include "common/WaveUtil.h"
#include "recorder/Log.h"

#include <QFile>
#include <QFileInfo>

namespace recorder {

namespace {

// The format library's codes that have a message of their own here.
constexpr int kTargetTooLarge = 128;
constexpr int kNoSpace = 130;

constexpr int kCannotConvertMessageId = 313;
constexpr int kNoSpaceMessageId = 153;
constexpr int kCannotCreateTempMessageId = 160;

} // namespace

std::optional<ConvertMode> convertModeOfKind(const QString& kind)
{
    if (kind.compare(QLatin1String("Music Files"), Qt::CaseInsensitive) == 0)
        return ConvertMode::PadFiles;
    if (kind.compare(QLatin1String("Voice Track"), Qt::CaseInsensitive) == 0)
        return ConvertMode::VoiceTrack;
    if (kind.compare(QLatin1String("Music Track"), Qt::CaseInsensitive) == 0)
        return ConvertMode::MusicTrack;
    return std::nullopt;
}

QString convertModeMessage(ConvertMode mode)
{
    switch (mode) {
    case ConvertMode::PadFiles: return QStringLiteral("Converting loaded files format. Please Wait...");
    case ConvertMode::VoiceTrack: return QStringLiteral("Converting Voice Track File Format...");
    case ConvertMode::MusicTrack: return QStringLiteral("Converting Music Track File Format...");
    case ConvertMode::OneFile: return QStringLiteral("Converting file format. Please Wait...");
    }
    return {};
}

QString nextSpinnerText(const QString& text)
{
    if (text == QLatin1String("|"))
        return QStringLiteral("/");
    if (text == QLatin1String("/"))
        return QStringLiteral("---");
    return QStringLiteral("|");
}

int formatConversionMessageId(int code)
{
    switch (code) {
    case 0: return 0;
    case kTargetTooLarge: return kWaveTooLargeMessageId;
    case kNoSpace: return kNoSpaceMessageId;
    default: return kCannotConvertMessageId;
    }
}

QString peakFileOf(const QString& waveFile)
{
    const int slash = waveFile.lastIndexOf(QLatin1Char('/'));
    const int dot = waveFile.lastIndexOf(QLatin1Char('.'));
    return (dot > slash ? waveFile.left(dot) : waveFile) + QStringLiteral(".vxp");
}

FormatConversionJob::FormatConversionJob(ConvertProcessServices services)
    : m_services(std::move(services))
{
}

FormatConversionJob::~FormatConversionJob()
{
    if (m_cell != 0) {
        m_services.library->cancelPressed(m_cell);
        m_services.library->closeHandle(&m_cell);
        QFile::remove(m_target);
    }
}

bool FormatConversionJob::start(const QString& source, const WaveFormatEx& format)
{
    m_format = format;
    m_over = false;
    m_target = m_services.newTempWaveName();
    if (m_target.isEmpty()) {
        qCWarning(lcRecorder) << "no temporary WAV for the conversion of" << source;
        m_over = true;
        m_code = kCannotCreateTempMessageId;
        return false;
    }
    const int code = m_services.start(source, m_target, format, &m_cell);
    if (code != 0) {
        m_cell = 0;
        finish(code);
        return false;
    }
    qCInfo(lcRecorder) << "converting" << source << "into" << m_target;
    return true;
}

bool FormatConversionJob::poll()
{
    if (m_over)
        return true;
    if (m_services.library->processIsOver(m_cell) == 0)
        return false;
    const int reason = m_services.library->reasonForProcessExit(m_cell);
    m_services.library->closeHandle(&m_cell);
    m_cell = 0;
    if (reason != 0) {
        finish(reason);
        return true;
    }
    WaveFormatEx written{};
    if (ReadWaveFormat(m_target, nullptr, &written) != 0
        || !(written == m_format)) {
        qCWarning(lcRecorder) << "the conversion into" << m_target << "did not give the format asked for";
        finish(kFormatMismatchCode);
        return true;
    }
    finish(0);
    return true;
}

void FormatConversionJob::finish(int code)
{
    m_over = true;
    m_code = code;
    if (code != 0) {
        qCWarning(lcRecorder) << "format conversion failed with code" << code;
        QFile::remove(m_target);
    }
}

int replaceTrackWorkingWave(ConvertTracks& tracks, ConvertTracks::Track track, const FormatConversionJob& job)
{
    if (job.code() != 0)
        return job.code();
    const QString old = tracks.workingPath(track);
    tracks.setWorkingPath(track, job.resultFile());
    if (!QFile::remove(old))
        qCWarning(lcRecorder) << "the replaced working WAV" << old << "could not be deleted";
    const QString peaks = peakFileOf(old);
    if (QFileInfo::exists(peaks) && !QFile::remove(peaks))
        qCWarning(lcRecorder) << "the replaced peak file" << peaks << "could not be deleted";
    return 0;
}

} // namespace recorder
