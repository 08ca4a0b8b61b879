#include "recorder/TrackSave.h"

#include "recorder/Log.h"

#include "common/AudioFileTag.h"
#include "common/JobRunner.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/Messages.h"

#include <QFileInfo>

namespace recorder {

namespace {

TrackSourceKind kindOfExtension(const QString& suffix)
{
    if (suffix == QLatin1String("mp3"))
        return TrackSourceKind::Mp3;
    if (suffix == QLatin1String("wma"))
        return TrackSourceKind::Wma;
    if (suffix == QLatin1String("wav"))
        return TrackSourceKind::Wave;
    return TrackSourceKind::None;
}

} // namespace

int mp3RateOfTracks(const TrackRecord* voice, const TrackRecord* music)
{
    if (voice)
        return voice->mp3BitRate;
    return music ? music->mp3BitRate : 0;
}

int ConvertWaveToTarget(const TrackSaveServices& services, const QString& sourceWav, const QString& target)
{
    if (!QFileInfo(sourceWav).isFile())
        return SaveCode::SourceMissing;
    switch (kindOfExtension(QFileInfo(target).suffix().toLower())) {
    case TrackSourceKind::Wave:
        return CopyFileOnWorker(services.runner, sourceWav, target, QStringLiteral("Saving wave file..."),
                                services.copy);
    case TrackSourceKind::Mp3:
        if (!services.exportMp3)
            break;
        return services.exportMp3(sourceWav, target, services.mp3BitRate);
    case TrackSourceKind::Wma:
        if (!services.exportWma)
            break;
        return services.exportWma(sourceWav, target);
    case TrackSourceKind::None:
        return SaveCode::BadExtension;
    }
    qCWarning(lcRecorder) << "no exporter for" << target;
    return SaveCode::CannotConvertFormat;
}

QString proposedSaveName(const QString& lastName)
{
    const QString name = QFileInfo(lastName).fileName();
    return name.left(name.indexOf(QLatin1Char('.')));
}

bool SaveTrack(const TrackSaveServices& services, TrackSide side, TrackRecord& track, QString& lastName)
{
    if (track.state != kTrackChanged)
        return false;
    const platform::Messages& messages = services.messages;
    const bool voice = side == TrackSide::Voice;
    platform::FileDialogRequest request;
    request.title = voice ? QStringLiteral("Save Voice Track As") : QStringLiteral("Save Music Track As");
    request.filter = QStringLiteral("MP3 Files (*.mp3)|*.mp3|Wave Files (*.wav)|*.wav");
    request.defaultExtension = QStringLiteral("mp3");
    request.overwritePrompt = true;
    request.fileName = proposedSaveName(lastName);
    const platform::FileDialogResult chosen = messages.interaction().saveFile(request);
    if (!chosen.accepted || chosen.files.isEmpty())
        return false;
    const QString target = chosen.files.constFirst();
    const TrackSourceKind kind = kindOfExtension(QFileInfo(target).suffix().toLower());
    if (kind == TrackSourceKind::None) {
        messages.ShowErrorMessage(SaveCode::CannotConvertFormat);
        return false;
    }

    const int code = ConvertWaveToTarget(services, track.workingPath, target);
    if (code == SaveCode::Cancelled) {
        // Nothing partial is ever left under the name, so the music side has nothing to report.
        if (voice)
            messages.ShowMessageBox(QStringLiteral("Save operation is aborted."), {},
                                    platform::MB_OK | platform::MB_ICONINFORMATION);
        return false;
    }
    if (code != 0) {
        qCWarning(lcRecorder) << "saving" << track.workingPath << "as" << target << "failed with code" << code;
        if (voice)
            messages.ShowMessageBox(QStringLiteral("Cannot save file to disk."), {},
                                    platform::MB_OK | platform::MB_ICONWARNING);
        else
            messages.ShowMessageBox(QStringLiteral("Cannot save file."), {}, platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    track.savedPath = target;
    track.state = kTrackSaved;
    track.savedKind = kind;
    lastName = target;
    // A WMA file carries no tag of ours, so there is nothing to ask for.
    if (kind != TrackSourceKind::Wma && services.askSongInformation) {
        TID3InfoRecord info = track.songInfo;
        if (services.askSongInformation(info)) {
            track.songInfo = info;
            WriteAudioFileTag(target, info, messages);
        }
    }
    return true;
}

} // namespace recorder
