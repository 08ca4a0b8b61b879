#include "editor/SourceImport.h"

#include "common/ErrCodes.h"
#include "common/MP3ToWaveUnit.h"
#include "common/WmaToWave.h"
#include "platform/codecs/Plivorn.h"
#include "platform/codecs/VXMP3WAV.h"
#include "platform/ui/Messages.h"

#include <QFile>

#include <memory>

using platform::codecs::Mp3ToWavCode::Aborted;
using platform::codecs::Mp3ToWavCode::CorruptInput;
using platform::codecs::Plivorn;
using platform::codecs::VXMP3WAV;
using platform::codecs::WmaFileInfo;
namespace PlivornState = platform::codecs::PlivornState;

SourceImport::SourceImport(const platform::Messages& messages, platform::UrlOpener& urlOpener,
                           SourceImportServices services, QWidget* parent)
    : m_messages(messages)
    , m_urlOpener(urlOpener)
    , m_services(std::move(services))
    , m_parent(parent)
{
    if (!m_services.mp3DecoderAvailable)
        m_services.mp3DecoderAvailable = VXMP3WAV::IsMP3CodecFound;
    if (!m_services.wmaDecoderAvailable)
        m_services.wmaDecoderAvailable = Plivorn::IsWmaDecoderFound;
}

int64_t SourceImport::bitsPerSecond(const QString& source, SourceKind kind)
{
    switch (kind) {
    case SourceKind::Mp3: return int64_t(VXMP3WAV::GetBitRateOfMp3File(source)) * 1000;
    case SourceKind::Wma: {
        // The information block is large; it stays off the stack.
        auto info = std::make_unique<WmaFileInfo>();
        return Plivorn::GetFileInfo(source, info.get()) == 0 ? int64_t(info->bitRate) : 0;
    }
    case SourceKind::Wave:
    case SourceKind::None: break;
    }
    return 0;
}

int SourceImport::convert(const QString& source, SourceKind kind, const QString& target)
{
    const int code = kind == SourceKind::Wma ? convertWma(source, target) : convertMp3(source, target);
    // The target is the document's reserved working file: nothing of a failed conversion stays.
    if (code != 0)
        QFile::remove(target);
    return code;
}

int SourceImport::convertMp3(const QString& source, const QString& target)
{
    if (!m_services.mp3DecoderAvailable())
        return kMp3NotConvertible;
    // The decoder is there, so a file it finds no MPEG audio in is told as a damaged input rather
    // than sending the user to download a component.
    if (!VXMP3WAV::IsConversionPossible(source)) {
        const int id = Mp3ToWavErrorToMessageId(CorruptInput);
        m_messages.ShowErrorMessage(id);
        return id;
    }
    Tmp3towaveForm window(m_messages, m_services.environment, m_parent);
    window.setThreadStarter(m_services.threadStarter);
    const int result = window.ConvertMp3ToWave(source, target, QString::fromLatin1(kMp3ConversionCaption));
    if (result == 0 || result == kImportNoThreadMessageId)
        return result;
    m_messages.ShowErrorMessage(Mp3ToWavErrorToMessageId(result));
    return result == Aborted ? kCancelled : Mp3ToWavErrorToMessageId(result);
}

int SourceImport::convertWma(const QString& source, const QString& target)
{
    WmaImportServices services;
    // The WAV of a WMA is estimated at the CD format.
    services.recordingFormat = [] { return makePcmFormat(44100, 16, 2); };
    services.tempFolder = m_services.tempFolder;
    services.freeSpace = m_services.freeSpace;
    services.decoderAvailable = m_services.wmaDecoderAvailable;
    services.environment = m_services.environment;
    TWmatoWaveForm window(m_messages, m_urlOpener, std::move(services), m_parent);
    window.setThreadStarter(m_services.threadStarter);
    window.setWindowTitle(QString::fromLatin1(kWmaImportCaption));
    switch (window.ConvertWmaToWave(source, target)) {
    case PlivornState::Finished: return 0;
    case PlivornState::Cancelled: return kCancelled;
    default: return kWmaNotReadable;
    }
}
