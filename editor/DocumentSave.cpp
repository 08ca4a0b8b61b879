#include "editor/DocumentSave.h"

#include "editor/ID3v1.h"
#include "editor/Workspace.h"

#include "common/JobRunner.h"
#include "common/Log.h"
#include "common/SettingsAccess.h"
#include "common/WaveRead.h"
#include "platform/codecs/Kestrune.h"
#include "platform/codecs/TagFile.h"
#include "platform/files/PendingFile.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/Messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

using platform::PendingFile;
namespace codecs = platform::codecs;

bool goOn(const std::atomic<int32_t>& cancelWord)
{
    return cancelWord.load(std::memory_order_acquire) == int32_t(JobState::Running);
}

// The ID3v1 form of the tag: its fields cut to the old tag's sizes, the genre by its name.
editor::TID3v1 id3v1Of(const editor::TID3v2& tag)
{
    editor::TID3v1 old;
    old.SetTitle(tag.Title());
    old.SetArtist(tag.Artist());
    old.SetAlbum(tag.Album());
    old.SetYear(tag.Year());
    old.SetComment(tag.Comment());
    old.SetTrack(tag.Track());
    const qsizetype genre = editor::TID3v1::GenreNames().indexOf(tag.Genre());
    old.SetGenre(genre >= 0 && genre < 255 ? uint8_t(genre) : uint8_t(255));
    return old;
}

editor::TID3v2 id3v2Of(const editor::TID3v1& old)
{
    editor::TID3v2 tag;
    tag.SetTitle(old.Title());
    tag.SetArtist(old.Artist());
    tag.SetAlbum(old.Album());
    tag.SetTrack(old.Track());
    tag.SetYear(old.Year());
    tag.SetGenre(old.GetGenreName());
    tag.SetComment(old.Comment());
    return tag;
}

// The rate wanted when the encoder takes it for the format, else the nearest it takes below it
// (MP3 of low sample rates has a lower ceiling), else the nearest above.
uint32_t encodableBitRate(const WaveFormatEx& format, uint32_t wanted)
{
    static constexpr uint32_t kRates[] = {8,  16,  24,  32,  40,  48,  56,  64,  80,
                                          96, 112, 128, 144, 160, 192, 224, 256, 320};
    if (codecs::LAMEIsBitRateSupportedForThisFormat(wanted, format) == 0)
        return wanted;
    for (auto rate = std::rbegin(kRates); rate != std::rend(kRates); ++rate)
        if (*rate < wanted && codecs::LAMEIsBitRateSupportedForThisFormat(*rate, format) == 0)
            return *rate;
    for (const uint32_t rate : kRates)
        if (rate > wanted && codecs::LAMEIsBitRateSupportedForThisFormat(rate, format) == 0)
            return rate;
    return wanted;
}

SettingsAccess saveFolderSettings(platform::SettingsStore& store)
{
    // 183: the key cannot be made, 185: the value cannot be read or written.
    return SettingsAccess(store, QString::fromLatin1(kFirstTimeSavingKey), {183, 185, 185});
}

} // namespace

std::optional<editor::TID3v2> documentTag(const TDocumentRecord& document)
{
    const QString& file = document.documentFile;
    if (document.saveState == SaveState::Untitled || !QFileInfo(file).isFile())
        return std::nullopt;
    if (document.sourceKind == SourceKind::Mp3) {
        editor::TID3v2 tag;
        if (tag.ReadFromFile(file) && tag.Exists())
            return tag;
        editor::TID3v1 old;
        if (old.ReadFromFile(file) && old.Exists())
            return id3v2Of(old);
        return std::nullopt;
    }
    if (document.sourceKind == SourceKind::Wave) {
        const std::optional<QByteArray> chunk = codecs::readWaveTagChunk(file);
        editor::TID3v2 tag;
        if (chunk && tag.ReadFromBytes(*chunk) && tag.Exists())
            return tag;
    }
    return std::nullopt;
}

QString withExtension(const QString& chosen, const QString& extension)
{
    return chosen.endsWith(extension, Qt::CaseInsensitive) ? chosen : chosen + extension;
}

int encodeWaveToMp3(const QString& source, const QString& target, uint32_t bitRate, const editor::TID3v2* tag,
                    std::atomic<int32_t>& percent, const std::atomic<int32_t>& cancelWord)
{
    TWaveReader reader;
    if (OpenWaveForRead(source, reader) != WaveReadCode::Ok) {
        qCWarning(lcCommon) << "cannot read" << source << "to encode it";
        return kCannotSaveFile;
    }
    codecs::LameSettings settings;
    settings.bitRate = bitRate;
    codecs::LameConversionHandle conversion;
    if (const int code = codecs::InitLAMEWaveMP3Conversion({}, reader.format, settings, conversion)) {
        qCWarning(lcCommon) << "the MP3 encoder refused" << source << "with code" << code;
        return code;
    }
    uint32_t outputSize = 0;
    uint32_t inputSize = 0;
    if (const int code = codecs::GetSuggestedLengthOfBuffersForLame(settings, reader.format, &outputSize, &inputSize))
        return code;
    PendingFile pending(target);
    QFile out(pending.path());
    if (!pending.isValid() || !out.open(QIODevice::WriteOnly)) {
        qCWarning(lcCommon).noquote() << "cannot write the MP3 beside" << target << pending.errorText();
        return kCannotSaveFile;
    }
    if (tag && out.write(tag->TagBytes()) < 0)
        return kCannotSaveFile;
    std::vector<char> input(inputSize);
    std::vector<char> output(outputSize);
    const int64_t total = reader.dataSize;
    for (int64_t done = 0; done < total;) {
        if (!goOn(cancelWord))
            return kCancelled;
        const int64_t want = std::min<int64_t>(inputSize, total - done);
        if (reader.handle->read(input.data(), want) != want) {
            qCWarning(lcCommon) << source << "ended early";
            return kCannotSaveFile;
        }
        uint32_t made = 0;
        if (const int code = codecs::LAMEConvertWaveMP3(conversion.get(), input.data(), output.data(), uint32_t(want),
                                                        &made))
            return code;
        if (out.write(output.data(), made) != made)
            return kCannotSaveFile;
        done += want;
        percent.store(int32_t(done * 100 / total));
    }
    uint32_t made = 0;
    if (const int code = codecs::LAMEFlushWaveMP3Conversion(conversion.get(), output.data(), &made))
        return code;
    if (out.write(output.data(), made) != made || !out.flush())
        return kCannotSaveFile;
    out.close();
    if (tag && !id3v1Of(*tag).SaveToFile(pending.path()))
        return kCannotSaveFile;
    if (!goOn(cancelWord))
        return kCancelled;
    return pending.commit() ? 0 : kCannotSaveFile;
}

int copyWaveWithTag(const QString& source, const QString& target, const editor::TID3v2* tag,
                    std::atomic<int32_t>& percent, const std::atomic<int32_t>& cancelWord, const CopyFunction& copy)
{
    PendingFile pending(target);
    if (!pending.isValid()) {
        qCWarning(lcCommon).noquote() << "cannot write beside" << target << pending.errorText();
        return kCannotSaveFile;
    }
    // The copy is a scratch one: the flush comes once, when the whole new file is there.
    const int copied = copy(source, pending.path(), percent, cancelWord);
    if (copied == kCancelled)
        return kCancelled;
    if (copied != 0)
        return kCannotSaveFile;
    if (tag && codecs::writeWaveTagChunk(pending.path(), tag->TagBytes()) != codecs::TagFileCode::Ok) {
        qCWarning(lcCommon) << "cannot write the song information into" << target;
        return kCannotSaveFile;
    }
    if (!goOn(cancelWord))
        return kCancelled;
    return pending.commit() ? 0 : kCannotSaveFile;
}

bool emptyUndoAndRedo(const TDocumentRecord& document)
{
    bool emptied = true;
    for (const QString& file : {document.undoFile, document.redoFile}) {
        if (file.isEmpty() || !QFile::exists(file))
            continue;
        if (!QFile::resize(file, 0)) {
            qCWarning(lcCommon) << "cannot empty" << file;
            emptied = false;
        }
    }
    return emptied;
}

DocumentSaver::DocumentSaver(SaveServices services)
    : m_services(std::move(services))
{
}

QString DocumentSaver::startFolder() const
{
    platform::SettingsStore& store = m_services.settings;
    if (!store.keyExists(QString::fromLatin1(kFirstTimeSavingKey)))
        return m_services.musicFolder();
    QString folder;
    if (saveFolderSettings(store).readString({}, QString::fromLatin1(kSaveFolderValue), folder) != 0 ||
        folder.isEmpty())
        return m_services.musicFolder();
    return folder;
}

void DocumentSaver::rememberFolder(const QString& chosenFile)
{
    SettingsAccess access = saveFolderSettings(m_services.settings);
    const QString folder = QFileInfo(chosenFile).absolutePath();
    if (const int code = access.writeString({}, QString::fromLatin1(kSaveFolderValue), folder))
        m_services.messages.ShowErrorMessage(code);
}

std::optional<DocumentSaver::Chosen> DocumentSaver::askTarget(const TDocumentRecord& document, SaveMode mode)
{
    platform::FileDialogRequest request;
    request.title = mode == SaveMode::SaveAs ? QStringLiteral("Save As") : QStringLiteral("Save");
    request.filter = QString::fromLatin1(kSaveFilter);
    request.initialFolder = startFolder();
    if (mode == SaveMode::SaveAs && document.saveState != SaveState::Untitled)
        request.fileName = QFileInfo(document.documentFile).completeBaseName();
    request.defaultExtension = QStringLiteral("wav");
    request.overwritePrompt = true;
    const platform::FileDialogResult result = m_services.messages.interaction().saveFile(request);
    if (!result.accepted || result.files.isEmpty())
        return std::nullopt;
    const QString typed = result.files.front();
    rememberFolder(typed);
    const bool mp3 = result.filterIndex == 2;
    const QString target = withExtension(typed, mp3 ? QStringLiteral(".mp3") : QStringLiteral(".wav"));
    // The dialog asked before replacing the name typed, not the one with the extension added.
    if (target != typed && QFileInfo::exists(target) &&
        m_services.messages.ShowMessageBox(
            QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(target)), {},
            platform::MB_YESNO | platform::MB_ICONWARNING) != platform::IDYES)
        return std::nullopt;
    return Chosen{target, mp3};
}

int DocumentSaver::save(TDocumentRecord& document, SaveMode mode)
{
    if (mode == SaveMode::Save && document.saveState == SaveState::Unchanged)
        return 0;
    const bool untitled = document.saveState == SaveState::Untitled;
    // An untitled document has no document file, and a compressed one was decoded into its working
    // file when it was opened: their audio is in the working file alone. A WAV whose working copy is
    // not there is saved from its own file.
    const bool fromWorkingFile =
        untitled || document.sourceKind != SourceKind::Wave || m_services.workingFileReady(document);
    const QString source = fromWorkingFile ? document.workingFile : document.documentFile;
    // An MP3 keeps its bit rate; one made from a WAV takes the usual one.
    const auto mp3Rate = [&document] {
        const bool mp3 = document.sourceKind == SourceKind::Mp3 && document.sourceBitRate > 0;
        return encodableBitRate(document.waveFormat, mp3 ? uint32_t(document.sourceBitRate) : kDefaultMp3BitRate);
    };
    if (mode == SaveMode::SaveAs || untitled) {
        const std::optional<Chosen> chosen = askTarget(document, mode);
        if (!chosen)
            return kCancelled;
        if (chosen->mp3)
            return saveMp3(document, source, chosen->path, mp3Rate());
        return saveWave(document, source, chosen->path);
    }
    switch (document.sourceKind) {
    case SourceKind::Mp3:
        return saveMp3(document, source, document.documentFile, mp3Rate());
    case SourceKind::Wma:
        m_services.messages.ShowMessageBox(QStringLiteral("Saving WMA files is not available yet."), {},
                                           platform::MB_OK | platform::MB_ICONINFORMATION);
        return kCancelled;
    default:
        return saveWave(document, source, document.documentFile);
    }
}

int DocumentSaver::saveWave(TDocumentRecord& document, const QString& source, const QString& target)
{
    const std::optional<editor::TID3v2> tag = documentTag(document);
    const CopyFunction copy = [this, &tag](const QString& from, const QString& to, std::atomic<int32_t>& percent,
                                           const std::atomic<int32_t>& cancelWord) {
        return copyWaveWithTag(from, to, tag ? &*tag : nullptr, percent, cancelWord, m_services.copy);
    };
    const int code =
        CopyFileOnWorker(m_services.runner, source, target, QString::fromLatin1(kSavingWaveCaption), copy);
    if (code == kCancelled)
        return kCancelled;
    if (code != 0)
        return kCannotSaveFile;
    document.documentFile = target;
    document.sourceKind = SourceKind::Wave;
    document.sourceBitRate = 0;
    document.saveState = SaveState::Unchanged;
    return 0;
}

int DocumentSaver::saveMp3(TDocumentRecord& document, const QString& source, const QString& target, uint32_t bitRate)
{
    const std::optional<editor::TID3v2> tag = documentTag(document);
    TJobRecord job(JobKind::FileCopy, std::make_unique<CopyParameters>(source, target));
    const CopyFunction encode = [bitRate, &tag](const QString& from, const QString& to, std::atomic<int32_t>& percent,
                                                const std::atomic<int32_t>& cancelWord) {
        return encodeWaveToMp3(from, to, bitRate, tag ? &*tag : nullptr, percent, cancelWord);
    };
    const int started = m_services.runner.runOnWorker(job, QString::fromLatin1(kSavingMp3Caption), true,
                                                      [&encode](TJobRecord& j) { runCopyJob(j, encode); });
    const int code = started != 0 ? started : job.result();
    if (code == kCancelled)
        return kCancelled;
    if (code == codecs::KestruneCode::NoEncoder) {
        m_services.messages.ShowMessageBox(
            QStringLiteral("MP3 files cannot be saved: the MP3 encoder (%1) is missing from the program folder.")
                .arg(QStringLiteral("liblame_enc.so")),
            {}, platform::MB_OK | platform::MB_ICONERROR);
        return kCancelled;
    }
    if (code != 0) {
        qCWarning(lcCommon) << "saving" << target << "as MP3 failed with code" << code;
        return kCannotSaveFile;
    }
    document.documentFile = target;
    document.sourceKind = SourceKind::Mp3;
    document.sourceBitRate = int32_t(bitRate);
    document.saveState = SaveState::Unchanged;
    return 0;
}

int DocumentSaver::revert(TDocumentRecord& document)
{
    // Read before anything is replaced: a file that cannot be read leaves the edits as they are.
    FileInformation info;
    if (const int read = readWaveFileInformation(document.documentFile, info)) {
        qCWarning(lcCommon) << document.documentFile << "cannot be read to revert to it:" << read;
        return kCannotRevert;
    }
    const int code = CopyFileOnWorker(m_services.runner, document.documentFile, document.workingFile,
                                      QString::fromLatin1(kRevertingCaption), CopyScratchFileWithProgress);
    if (code == kCancelled)
        return kCancelled;
    if (code != 0)
        return kCannotRevert;
    document.info = info;
    document.rebuildWaveFormat();
    document.saveState = SaveState::Unchanged;
    emptyUndoAndRedo(document);
    return 0;
}
