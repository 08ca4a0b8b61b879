#include "recorder/TrackRoads.h"

#include "common/ErrCodes.h"
#include "common/Util.h"
#include "controls/PeakCache.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/Messages.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace recorder {

namespace {

TrackSide otherSide(TrackSide side) { return side == TrackSide::Voice ? TrackSide::Music : TrackSide::Voice; }

QString trackName(TrackSide side)
{
    return side == TrackSide::Voice ? QStringLiteral("Voice Track") : QStringLiteral("Music Track");
}

platform::FileDialogRequest openRequest(const QString& title, const QString& filter)
{
    platform::FileDialogRequest request;
    request.title = title;
    request.filter = filter;
    request.fileMustExist = true;
    request.overwritePrompt = true;
    return request;
}

WaveFormatEx formatOf(const platform::audio::AudioFileInfo& info)
{
    return makePcmFormat(info.samplesPerSec, info.bitsPerSample, uint16_t(info.channels));
}

} // namespace

TrackRoads::TrackRoads(TrackLoadServices& services, BusyFlag& busy, TrackHost& host)
    : m_services(services), m_busy(busy), m_host(host)
{
}

void TrackRoads::dropTrack(TrackSide side)
{
    std::optional<TrackRecord>& track = slot(side);
    if (!track)
        return;
    const QString tempFolder = m_services.tempFolder ? m_services.tempFolder() : QString();
    QFile::remove(GetPeakFileName(track->workingPath, tempFolder));
    QFile::remove(track->workingPath);
    m_host.closeTrackDisplay(side);
    track.reset();
}

void TrackRoads::unloadTrack(TrackSide side)
{
    const std::optional<TrackRecord>& track = slot(side);
    if (!track)
        return;
    if (!track->savedPath.isEmpty()) {
        const QString peaks = GetPeakFileName(track->savedPath, m_services.tempFolder ? m_services.tempFolder() : QString());
        if (controls::isPeakFile(peaks))
            QFile::remove(peaks);
    }
    dropTrack(side);
}

void TrackRoads::forgetClosedTracks()
{
    m_previousFormat = m_recordingFormat;
    m_recordingFormat = WaveFormatEx();
    m_mixed = MixedFile();
}

void TrackRoads::importTrack(TrackSide side)
{
    const platform::Messages& messages = m_services.messages;
    if (const std::optional<TrackRecord>& current = slot(side); current && current->state == kTrackChanged) {
        const int answer =
            messages.ShowMessageBox(QStringLiteral("Do you want to save the already recorded %1?").arg(trackName(side)),
                                    QStringLiteral("Vexal Audio"), platform::MB_YESNOCANCEL | platform::MB_ICONQUESTION);
        if (answer == platform::IDCANCEL)
            return;
        if (answer == platform::IDYES && !(m_host.saveTrack(side) && slot(side) && slot(side)->state == kTrackSaved))
            return;
    }
    const platform::FileDialogResult chosen = messages.interaction().openFile(
        openRequest(QStringLiteral("Select File For %1").arg(trackName(side)),
                    QStringLiteral("MP3 Files (*.mp3)|*.mp3|Wave Files (*.wav)|*.wav|WMA Files (*.WMA)|*.wma")));
    if (!chosen.accepted || chosen.files.isEmpty())
        return;

    TrackRecord loaded;
    const QString& path = chosen.files.constFirst();
    const int code = side == TrackSide::Voice ? LoadVoiceFile(path, m_services, m_busy, loaded)
                                              : LoadMusicFile(path, m_services, m_busy, loaded);
    if (code != 0)
        return;
    dropTrack(side);
    slot(side) = loaded;

    if (m_recordingFormat.samplesPerSec == 0)
        m_recordingFormat = loaded.waveFormat;
    else if (!unifyFormat(side)) {
        m_host.setControlState(m_voice   ? ControlState::VoiceWithoutMusic
                               : m_music ? ControlState::MusicWithoutVoice
                                         : ControlState::NoTrack);
        return;
    }
    showTracks(side);
}

bool TrackRoads::unifyFormat(TrackSide side)
{
    TrackRecord& track = *slot(side);
    if (track.waveFormat == m_recordingFormat)
        return true;
    const platform::Messages& messages = m_services.messages;
    if (m_host.convertTrackFormat(side, track.workingPath, m_recordingFormat) != 0) {
        dropTrack(side);
        return false;
    }
    platform::audio::AudioFileInfo info;
    if (const int code = m_services.fileInfo(track.workingPath, info)) {
        dropTrack(side);
        ShowMappedError(messages, code, PlayerErrorToMessageId);
        return false;
    }
    // A conversion that left the old format would give two tracks that cannot be padded or mixed.
    if (formatOf(info) != m_recordingFormat) {
        dropTrack(side);
        messages.ShowErrorMessage(LoadCode::FormatNotConverted);
        return false;
    }
    track.fileInfo = info;
    track.waveFormat = formatOf(info);
    return true;
}

void TrackRoads::showTracks(TrackSide side)
{
    const TrackSide other = otherSide(side);
    if (std::optional<TrackRecord>& otherTrack = slot(other)) {
        QString padded;
        if (EqualizeTrackLengths(m_voice->workingPath, m_music->workingPath, m_recordingFormat.bitsPerSample == 8,
                                 &padded))
            m_host.padded(padded == m_voice->workingPath ? TrackSide::Voice : TrackSide::Music);
        for (TrackSide each : {TrackSide::Voice, TrackSide::Music}) {
            platform::audio::AudioFileInfo info;
            if (m_services.fileInfo(slot(each)->workingPath, info) == 0)
                slot(each)->fileInfo = info;
        }
        m_host.reloadTrack(other);
        m_host.setCaretToStart(other);
        otherTrack->state = kTrackChanged;
    }
    m_host.reloadTrack(side);
    m_host.setControlState(m_voice && m_music             ? ControlState::BothTracks
                           : side == TrackSide::Voice ? ControlState::VoiceWithoutMusic
                                                      : ControlState::MusicWithoutVoice);
    m_host.showTrackLayout(side, slot(side)->fileInfo.frames);
}

void TrackRoads::FileOpenMenuClick()
{
    const platform::Messages& messages = m_services.messages;
    const QStringList filters{QStringLiteral("Wave Files (*.wav)|*.wav"), QStringLiteral("MP3 Files (*.mp3)|*.mp3"),
                              QStringLiteral("WMA Files (*.WMA)|*.wma"),
                              QStringLiteral("All Supported Media Types |*.mp3;*.wav;*.wma")};
    const platform::FileDialogResult chosen =
        messages.interaction().openFile(openRequest(QString(), filters.join(QLatin1Char('|'))));
    if (!chosen.accepted || chosen.files.isEmpty())
        return;
    const QString& path = chosen.files.constFirst();
    // Loading over a voice track the user chose to keep would orphan its working file.
    if (QFileInfo(path).isFile() && m_voice && !m_host.closeTracks())
        return;

    LoadOptions options;
    options.state = kTrackSaved;
    options.reportConversionFailure = false;
    options.copyCaption = QStringLiteral("Opening file...");
    TrackRecord loaded;
    if (LoadVoiceFile(path, m_services, m_busy, loaded, options) != 0)
        return;
    if (m_host.openVoiceDisplay(loaded.workingPath, QStringLiteral("Building Voice Track Peaks...")) != 0) {
        const QString tempFolder = m_services.tempFolder ? m_services.tempFolder() : QString();
        QFile::remove(GetPeakFileName(loaded.workingPath, tempFolder));
        QFile::remove(loaded.workingPath);
        return;
    }
    m_voice = loaded;
    const QFileInfo file(path);
    m_mixed = {path, QLatin1Char('.') + file.suffix(), GetFileSizeByName(path)};
    m_host.showOpenedFile(file.fileName());
}

} // namespace recorder
