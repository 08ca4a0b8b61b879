#include "recorder/MixDown.h"

#include "recorder/Log.h"
#include "recorder/TrackRoads.h"
#include "recorder/TrackSave.h"

#include "common/AudioFileTag.h"
#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "common/JobThread.h"
#include "common/Util.h"
#include "platform/files/PendingFile.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/Messages.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace recorder {

namespace {

constexpr char kMixFilter[] = "MP3 Files (*.mp3)|*.mp3|Wave Files (*.wav)|*.wav|WMA Files (*.WMA)|*.wma";
constexpr char kInvalidName[] =
    "Please Enter Valid Filename Without SPACE,$ ,%&?*:/][}{)(^#@!\\+\\|=><; Characters.";
constexpr char kSaturated[] = "Mixed data is saturated. To Prevent Saturation, set value in Preferences Dialogbox.";
// The complete mix could not take the target's place.
constexpr int kCannotPlaceMix = 150;
// How often the window's progress bar follows the worker.
constexpr int kProgressIntervalMs = 50;

QString spacesQuestion()
{
    return QStringLiteral("Some podcast aggregators may not support spaces between words in the audio file name.\n"
                          "We suggest you replace spaces with underscores [ _ ].\n\n")
         + QString(23, QLatin1Char(' ')) + QStringLiteral("Do you want to replace spaces with underscores?");
}

TrackSourceKind kindOfTarget(const QString& target)
{
    const QString suffix = QFileInfo(target).suffix().toLower();
    if (suffix == QLatin1String("mp3"))
        return TrackSourceKind::Mp3;
    if (suffix == QLatin1String("wma"))
        return TrackSourceKind::Wma;
    return TrackSourceKind::Wave;
}

// The save loop: the chosen target with its filter's extension, or nothing when the user cancelled.
std::optional<QString> askMixTarget(const platform::Messages& messages, const QString& lastName)
{
    platform::FileDialogRequest request;
    request.title = QStringLiteral("Save Mix file As");
    request.filter = QString::fromLatin1(kMixFilter);
    request.defaultExtension = QStringLiteral("mp3");
    request.overwritePrompt = true;
    request.fileName = proposedSaveName(lastName);
    for (;;) {
        const platform::FileDialogResult chosen = messages.interaction().saveFile(request);
        if (!chosen.accepted || chosen.files.isEmpty())
            return std::nullopt;
        const QFileInfo file(chosen.files.constFirst());
        request.filterIndex = chosen.filterIndex;
        request.fileName = file.fileName();
        request.initialFolder = file.absolutePath();
        switch (checkMixFileName(file.fileName())) {
        case MixNameCheck::Accept: {
            const QString target = withMixExtension(file.filePath(), chosen.filterIndex);
            // The dialog asked before replacing the name typed, not the one with the extension added.
            if (target == file.filePath() || !QFileInfo::exists(target)
                || messages.ShowMessageBox(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                               .arg(QDir::toNativeSeparators(target)),
                                           {}, platform::MB_YESNO | platform::MB_ICONWARNING)
                       == platform::IDYES)
                return target;
            continue;
        }
        case MixNameCheck::Spaces:
            if (messages.ShowMessageBox(spacesQuestion(), {}, platform::MB_YESNO | platform::MB_ICONQUESTION)
                == platform::IDYES) {
                request.fileName = file.fileName().replace(QLatin1Char(' '), QLatin1Char('_'));
                continue;
            }
            break;
        case MixNameCheck::Invalid:
            break;
        }
        messages.ShowMessageBox(QString::fromLatin1(kInvalidName), {}, platform::MB_OK | platform::MB_ICONERROR);
    }
}

// The mix's own messages; 111, 481 and a stop show nothing here.
void showMixFailure(const platform::Messages& messages, int code, const QString& target)
{
    switch (code) {
    case MixCode::TrackMissing:
    case MixCode::NoTarget:
    case MixCode::CannotOpen:
    case MixCode::NoMemory:
    case MixCode::WriteFailed:
        messages.ShowErrorMessage(code);
        break;
    case MixCode::CannotCreate:
        messages.ShowMessageBox(QStringLiteral("Error : Cannot create the file %1.").arg(QDir::toNativeSeparators(target)),
                                {}, platform::MB_OK | platform::MB_ICONERROR);
        break;
    default:
        break;
    }
}

// The format step's failure, as the mix-down reports it. The MP3 and WMA windows have shown their
// own failures already; only the step's own codes and a cancel are shown here.
void showFormatFailure(const platform::Messages& messages, int code, const QString& source, const QString& target)
{
    switch (code) {
    case SaveCode::SourceMissing:
        messages.ShowErrorMessage(code, {QDir::toNativeSeparators(source)});
        break;
    case SaveCode::Cancelled:
    case SaveCode::BadExtension:
    case SaveCode::CannotConvertFormat:
        messages.ShowErrorMessage(code);
        break;
    default:
        qCWarning(lcRecorder) << "writing the mix as" << target << "failed with code" << code;
        break;
    }
}

// Writes the mix into the WAV target beside it and puts it in place: the mix's code, or 150 when
// the complete file could not take the target's place.
int mixIntoWave(const MixDownServices& services, MixDownHost& host, const MixSources& sources, const QString& target)
{
    platform::PendingFile pending(target);
    if (!pending.isValid()) {
        qCWarning(lcRecorder).noquote() << "cannot create the mix beside" << target << ":" << pending.errorText();
        showMixFailure(services.messages, MixCode::CannotCreate, target);
        return MixCode::CannotCreate;
    }
    if (const int code = MixTracksOnWorker(services, host, sources, pending.path()))
        return code;
    if (!pending.commit()) {
        qCWarning(lcRecorder).noquote() << "cannot put the mix in place as" << target << ":" << pending.errorText();
        services.messages.ShowErrorMessage(kCannotPlaceMix);
        return kCannotPlaceMix;
    }
    return MixCode::Ok;
}

// Mixes into a temporary WAV and writes it as the MP3 or WMA target: 0, or a code already shown.
int mixIntoEncoded(const MixDownServices& services, MixDownHost& host, const MixSources& sources,
                   const QString& target)
{
    const QString temp = GetTempWaveFileName(services.tempFolder);
    if (temp.isEmpty()) {
        services.messages.ShowErrorMessage(LoadCode::NoTempFile);
        return LoadCode::NoTempFile;
    }
    int code = MixTracksOnWorker(services, host, sources, temp);
    if (code == MixCode::Ok) {
        const TrackSaveServices save{services.runner, services.messages, services.copy, services.exportMp3,
                                     services.exportWma, services.mp3BitRate};
        code = ConvertWaveToTarget(save, temp, target);
        if (code != 0)
            showFormatFailure(services.messages, code, temp, target);
    } else {
        code = code == MixCode::Cancelled ? code : MixCode::CannotMix;
    }
    if (QFile file(temp); file.exists() && !file.remove())
        qCWarning(lcRecorder).noquote() << "cannot remove the temporary mix" << temp << ":" << file.errorString();
    return code;
}

} // namespace

MixNameCheck checkMixFileName(const QString& fileName)
{
    const QString special = QString::fromLatin1(kSpecialNameCharacters);
    for (qsizetype i = fileName.size() - 1; i >= 0; --i) {
        if (special.contains(fileName.at(i)))
            return fileName.at(i) == QLatin1Char(' ') ? MixNameCheck::Spaces : MixNameCheck::Invalid;
    }
    return MixNameCheck::Accept;
}

QString withMixExtension(const QString& path, int filterIndex)
{
    static const char* const extensions[] = {"mp3", "wav", "wma"};
    const char* extension = extensions[filterIndex >= 1 && filterIndex <= 3 ? filterIndex - 1 : 0];
    if (QFileInfo(path).suffix().compare(QLatin1String(extension), Qt::CaseInsensitive) == 0)
        return path;
    return path + QLatin1Char('.') + QLatin1String(extension);
}

KeptTrackNames keptTrackNames(const QString& target)
{
    const QFileInfo file(target);
    const QString folder = file.path() + QLatin1Char('/');
    const QString name = file.fileName().chopped(std::min<qsizetype>(4, file.fileName().size()));
    return {folder + QStringLiteral("_V") + name + QStringLiteral(".wav"),
            folder + QStringLiteral("_M") + name + QStringLiteral(".wav")};
}

int MixTracksOnWorker(const MixDownServices& services, MixDownHost& host, const MixSources& sources,
                      const QString& targetWav)
{
    MixRequest request;
    request.voiceWav = sources.voiceWav;
    request.musicWav = sources.musicWav;
    request.targetWav = targetWav;
    request.fader = sources.fader;
    request.preventSaturation = services.preventSaturation;
    request.afterBlock = services.afterBlock;
    MixProgress progress;
    int code = MixCode::Ok;

    const BusyGuard busy(services.busy);
    host.DisableWindowControls();
    host.showMixProgress([&progress] { progress.stop.store(true, std::memory_order_relaxed); });
    host.setMixProgress(0, 0);
    {
        JobThread worker;
        if (worker.start([&] { code = MixTracksToWave(request, progress); })) {
            QEventLoop loop;
            QTimer poll;
            poll.setInterval(kProgressIntervalMs);
            QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
                host.setMixProgress(progress.done.load(std::memory_order_relaxed),
                                    progress.total.load(std::memory_order_relaxed));
                if (worker.finished())
                    loop.quit();
            });
            poll.start();
            if (!worker.finished())
                loop.exec();
            worker.join();
        } else {
            qCWarning(lcRecorder) << "no thread could be started for the mix";
            code = MixCode::CannotMix;
        }
    }
    host.showMixProgress({});
    host.RestoreWindowControls();

    showMixFailure(services.messages, code, targetWav);
    if (code == MixCode::Ok && !services.preventSaturation && progress.saturated.load())
        services.messages.ShowMessageBox(QString::fromLatin1(kSaturated), {},
                                         platform::MB_OK | platform::MB_ICONINFORMATION);
    return code;
}

bool MixDownToNewFile(const MixDownServices& services, MixDownHost& host, const MixSources& sources,
                      std::optional<MixRecord>& record, QString& lastName)
{
    if (sources.voiceWav.isEmpty() || sources.musicWav.isEmpty())
        return false;
    if (services.busy.isBusy()) {
        services.messages.ShowMessageById(kJobBusyCode, {}, platform::MB_OK | platform::MB_ICONINFORMATION);
        return false;
    }
    const BusyGuard busy(services.busy);
    MixRecord mix;
    mix.state = kMixBeingMade;

    const std::optional<QString> chosen = askMixTarget(services.messages, lastName);
    if (!chosen)
        return false;
    const QString target = *chosen;
    mix.format = kindOfTarget(target);
    const int code = mix.format == TrackSourceKind::Wave ? mixIntoWave(services, host, sources, target)
                                                         : mixIntoEncoded(services, host, sources, target);
    if (code == MixCode::Cancelled)
        return false;
    // The format step's result alone does not prove the file is there; a missing or empty target
    // is a failed mix, never a saved one.
    if (code == 0 && GetFileSizeByName(target) <= 0) {
        qCWarning(lcRecorder) << "the mix" << target << "is missing or empty after it was written";
        services.messages.ShowErrorMessage(MixCode::CannotMix);
        return false;
    }
    if (code != 0) {
        if (code == MixCode::CannotMix || mix.format == TrackSourceKind::Wave)
            services.messages.ShowErrorMessage(MixCode::CannotMix);
        return false;
    }

    mix.savedPath = target;
    lastName = target;
    if (mix.format != TrackSourceKind::Wma && services.askSongInformation
        && services.askSongInformation(mix.songInfo))
        WriteAudioFileTag(target, mix.songInfo, services.messages);
    mix.state = kMixSaved;
    record = mix;
    host.mixSaved(MixedFile{target, QLatin1Char('.') + QFileInfo(target).suffix(), GetFileSizeByName(target)});

    const KeptTrackNames kept = keptTrackNames(target);
    const std::pair<QString, QString> copies[] = {{sources.voiceWav, kept.voice}, {sources.musicWav, kept.music}};
    const char* captions[] = {"Saving Voice Track...", "Saving Music Track..."};
    for (int i = 0; i < 2; ++i) {
        if (const int copied = CopyFileOnWorker(services.runner, copies[i].first, copies[i].second,
                                                QString::fromLatin1(captions[i]), services.copy))
            qCWarning(lcRecorder) << "cannot keep the track" << copies[i].first << "as" << copies[i].second
                                  << ": code" << copied;
    }
    return true;
}

} // namespace recorder
