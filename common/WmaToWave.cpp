#include "common/WmaToWave.h"

#include "common/Log.h"
#include "common/Util.h"
#include "platform/ui/Messages.h"
#include "platform/ui/UrlOpener.h"

#include <QFile>
#include <QProgressBar>
#include <QUrl>

using platform::codecs::Plivorn;
namespace PlivornState = platform::codecs::PlivornState;
using platform::codecs::WmaFileInfo;

namespace {

const char kCodecQuestion[] =
    "Windows Media Audio9 Codec is required to use this functionality.\r\nDo you want to download this component "
    "now?\r\nPlease make sure you are connected to the Internet before pressing the Yes button";
const char kCopyProtection[] = "Warning: Cannot open file. The file has Copy protection";
const char kNoTempSpace[] = "Warning : There is not enough free space on your temporary drive. It is recommended to "
                            "make more free space available, and try again.";

} // namespace

TWmatoWaveForm::TWmatoWaveForm(const platform::Messages& messages, platform::UrlOpener& urlOpener,
                               WmaImportServices services, QWidget* parent)
    : ImportProgressDialog(parent)
    , m_messages(messages)
    , m_urlOpener(urlOpener)
    , m_services(std::move(services))
{
    setObjectName(QStringLiteral("WmatoWaveForm"));
    setWindowTitle(QStringLiteral("Importing WMA File "));
}

TWmatoWaveForm::~TWmatoWaveForm() = default;

int TWmatoWaveForm::ConvertWmaToWave(const QString& wma, const QString& wav)
{
    ProgressBar->setValue(0);
    // The target is a working file made for this import: it goes whenever the import does not run.
    const auto refuse = [&wav] {
        QFile::remove(wav);
        return kWmaImportFailed;
    };
    if (!m_services.decoderAvailable()) {
        const int answer = m_messages.ShowMessageBox(QString::fromLatin1(kCodecQuestion), {},
                                                     platform::MB_YESNO | platform::MB_ICONQUESTION);
        if (answer == platform::IDYES && !m_urlOpener.openUrl(QUrl(QString::fromLatin1(kWmaCodecPage))))
            qCWarning(lcCommon) << "the codec page could not be opened";
        return refuse();
    }
    auto info = std::make_unique<WmaFileInfo>();
    if (Plivorn::GetFileInfo(wma, info.get()) != 0) {
        m_messages.ShowMessageBox(QString::fromLatin1(kCopyProtection), {}, platform::MB_OK | platform::MB_ICONERROR);
        return refuse();
    }
    WaveFormatEx format = m_services.recordingFormat();
    if (format.samplesPerSec == 0)
        format = makePcmFormat(44100, 16, 2);
    const int64_t needed = wmaSpaceNeeded(GetFileSizeByName(wma), info->bitRate, info->durationMs, format);
    const int64_t free = m_services.freeSpace(m_services.tempFolder());
    if (free >= 0 && free < needed) {
        m_messages.ShowMessageBox(QString::fromLatin1(kNoTempSpace), {}, platform::MB_OK | platform::MB_ICONERROR);
        return refuse();
    }

    m_job = std::make_unique<WmaImportJob>(m_services.environment, m_starter);
    if (!m_job->start(wma, wav, [this] { postEnded(); })) {
        m_messages.ShowErrorMessage(kWmaImportFailed);
        return kWmaImportFailed;
    }
    runUntilEnded();
    m_job->wait();
    const int32_t state = m_job->state();
    if (state == PlivornState::Failed)
        m_messages.ShowErrorMessage(kWmaImportFailed);
    else if (state == PlivornState::Cancelled)
        m_messages.ShowErrorMessage(kWmaImportAbortedMessageId);
    return state;
}

int TWmatoWaveForm::percent() const
{
    if (!m_job)
        return 0;
    return m_job->state() == PlivornState::Finished ? 100 : m_job->percent();
}

void TWmatoWaveForm::cancelJob()
{
    if (m_job)
        m_job->cancel();
}
