#include "recorder/MusicPads.h"

#include "recorder/Log.h"
#include "recorder/TrackLoader.h"

#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "common/RegistryUtil.h"
#include "common/Util.h"
#include "common/WaveUtil.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/codecs/PcmConversion.h"
#include "platform/files/AtomicFile.h"
#include "platform/settings/IniDocument.h"
#include "platform/settings/IniFile.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/Messages.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace recorder {

namespace {

constexpr int kCancelled = 129;
// The window keeps its page labels hidden and its page timer off, so the first page is the one in use.
constexpr PadPage kCurrentPage = PadPage::First;
const char kListSection[] = "FirstPage";
const char kLastUsedSubKey[] = "\\LastUsedFile\\FirstPage";

// The conversion report lists the pages in this order.
constexpr std::array<std::pair<PadPage, const char*>, kPadPages> kConvertOrder = {
    {{PadPage::First, "First Page :"}, {PadPage::Control, "Ctrl Page :"}, {PadPage::Shift, "Shift Page :"}}};

QString trimmedFileName(const QString& path)
{
    return QFileInfo(path).fileName().trimmed();
}

bool samePcmShape(const WaveFormatEx& a, const WaveFormatEx& b)
{
    return a.formatTag == b.formatTag && a.samplesPerSec == b.samplesPerSec && a.bitsPerSample == b.bitsPerSample
        && a.channels == b.channels;
}

// A pad that does not stop is no failure the user can act on; the log keeps it.
void logStopCode(const char* call, uint16_t code)
{
    if (code)
        qCWarning(lcRecorder) << call << "failed with code" << code;
}

void removeFile(const QString& path)
{
    if (!path.isEmpty() && QFile::exists(path) && !QFile::remove(path))
        qCWarning(lcRecorder) << "cannot delete the pad file" << path;
}

} // namespace

int padIndex(PadPage page, int slot)
{
    return slot + kPadSlots * (int(page) - 1);
}

QString defaultPadCaption(int slot)
{
    return QStringLiteral("F%1").arg(slot + 1);
}

QString padCaptionOf(const QString& file)
{
    const QString name = QFileInfo(file).fileName();
    return name.left(name.indexOf(QLatin1Char('.'))).left(8);
}

QString lastUsedPadsKey()
{
    return QString::fromLatin1(kRegistryUtilBaseKey) + QString::fromLatin1(kLastUsedSubKey);
}

int importPadFile(TrackLoadServices& services, BusyFlag& busy, const QString& file, QString* working)
{
    TrackRecord loaded;
    LoadOptions options;
    options.copyCaption = QStringLiteral("Loading File... ") + QFileInfo(file).fileName();
    const int code = LoadMusicFile(file, services, busy, loaded, options);
    if (code == 0)
        *working = loaded.workingPath;
    return code;
}

int convertPadWave(JobRunner& runner, const QString& folder, const QString& wave, const WaveFormatEx& format,
                   QString* converted)
{
    int code = 0;
    *converted = ConvertToPcmTempFile(
        wave, format, [&folder] { return GetTempWaveFileName(folder); },
        [&runner, &code](const QString& source, const QString& target, const WaveFormatEx& to) {
            TJobRecord job(JobKind::CancelOnly);
            const int started = runner.runOnWorker(
                job, QStringLiteral("Converting loaded files format. Please Wait..."), false, [&](TJobRecord& j) {
                    const int own = platform::codecs::ACMAudioConvertFormatPCM(source, target, to);
                    j.ownResult.store(own);
                    j.finish(own == 0 ? JobState::Done : JobState::Failed);
                });
            code = started != 0 ? started : job.result();
            return code;
        });
    return converted->isEmpty() && code == 0 ? int(LoadCode::NoTempFile) : code;
}

MusicPads::MusicPads(MusicPadServices services)
    : m_services(std::move(services))
{
}

MusicPads::~MusicPads()
{
    if (m_active) {
        logStopCode("StopPlaybackOfAllTracks", m_services.library.StopPlaybackOfAllTracks());
        m_services.library.StopMusicTrackRecording();
        removeFile(m_takePath);
    }
    for (auto& page : m_pages) {
        for (PadSlot& pad : page)
            removeFile(pad.working);
    }
}

QString MusicPads::caption(PadPage page, int s) const
{
    const PadSlot& pad = slot(page, s);
    return pad.caption.isEmpty() ? defaultPadCaption(s) : pad.caption;
}

QString MusicPads::hint(PadPage page, int s) const
{
    return trimmedFileName(slot(page, s).source);
}

bool MusicPads::anyPadAssigned() const
{
    return std::any_of(m_pages.begin(), m_pages.end(), [](const auto& page) {
        return std::any_of(page.begin(), page.end(), [](const PadSlot& pad) { return !pad.working.isEmpty(); });
    });
}

bool MusicPads::firstPageAssigned() const
{
    const auto& page = m_pages[pageRow(PadPage::First)];
    return std::any_of(page.begin(), page.end(), [](const PadSlot& pad) { return !pad.working.isEmpty(); });
}

bool MusicPads::anyPlaying() const
{
    return std::any_of(m_pages.begin(), m_pages.end(), [](const auto& page) {
        return std::any_of(page.begin(), page.end(), [](const PadSlot& pad) { return pad.playing; });
    });
}

PadPage MusicPads::currentPage() const
{
    return kCurrentPage;
}

void MusicPads::changed(PadPage page)
{
    if (m_services.pageChanged)
        m_services.pageChanged(page);
}

void MusicPads::setStopAll(bool enabled)
{
    if (m_services.stopAllEnabled)
        m_services.stopAllEnabled(enabled);
}

void MusicPads::EffectButtonClick(int s)
{
    if (s < 0 || s >= kPadSlots)
        return;
    PadSlot& pad = at(kCurrentPage, s);
    if (pad.working.isEmpty()) {
        changed(kCurrentPage);
        return;
    }
    const bool wasPlaying = pad.playing;
    pad.playing = !wasPlaying;
    changed(kCurrentPage);
    const int index = padIndex(kCurrentPage, s);
    platform::audio::MusicTrackLibrary& library = m_services.library;
    const auto failed = [&](uint16_t code) {
        at(kCurrentPage, s).playing = false;
        changed(kCurrentPage);
        ShowMappedError(m_services.messages, code, PlayerErrorToMessageId);
    };

    if (m_services.musicRecording && m_services.musicRecording()) {
        if (wasPlaying) {
            logStopCode("StopMixFile", library.StopMixFile(index));
            return;
        }
        setStopAll(true);
        if (const uint16_t code = library.MixFileWithMusicTrack(pad.working, index, pad.loop ? 1 : 0))
            failed(code);
        return;
    }
    if (wasPlaying) {
        stopOne(index);
        return;
    }
    if (!m_active && !startTemporaryTake()) {
        at(kCurrentPage, s).playing = false;
        changed(kCurrentPage);
        return;
    }
    // Starting the take may have converted the pads to a new recording format, or freed this one.
    PadSlot& started = at(kCurrentPage, s);
    if (started.working.isEmpty()) {
        started.playing = false;
        changed(kCurrentPage);
        if (!anyPlaying())
            endTemporaryTake();
        return;
    }
    if (const uint16_t code = library.MixFileWithMusicTrack(started.working, index, started.loop ? 1 : 0)) {
        failed(code);
        if (!anyPlaying())
            endTemporaryTake();
        return;
    }
    setStopAll(true);
}

bool MusicPads::startTemporaryTake()
{
    const QString folder = m_services.tempFolder();
    const int64_t freeBytes = m_services.freeSpace ? m_services.freeSpace(folder) : -1;
    if (freeBytes >= 0 && freeBytes <= kPadSpaceBytes) {
        m_services.messages.ShowMessageBox(QStringLiteral("Insufficent Disk Space."), {},
                                           platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    const QString path = takeFileName(folder);
    if (path.isEmpty()) {
        m_services.messages.ShowErrorMessage(LoadCode::NoTempFile);
        return false;
    }
    WaveFormatEx format = m_services.recordingFormat();
    if (format.samplesPerSec == 0) {
        format = makePcmFormat(44100, 16, 2);
        m_services.setRecordingFormat(format);
        ConvertSegmentsToFormat(format);
    }
    const int device = m_services.outputDevice ? m_services.outputDevice() : -1;
    if (const uint16_t code = m_services.library.PrepareMusicTrack(path, format, device)) {
        removeFile(path);
        ShowMappedError(m_services.messages, code, PlayerErrorToMessageId);
        return false;
    }
    m_takePath = path;
    m_active = true;
    return true;
}

void MusicPads::endTemporaryTake()
{
    if (!m_active)
        return;
    if (const uint16_t code = m_services.library.StopMusicTrackRecording())
        qCWarning(lcRecorder) << "the pads' temporary take ended with code" << code;
    removeFile(m_takePath);
    m_takePath.clear();
    m_active = false;
    setStopAll(false);
}

void MusicPads::stopOne(int index)
{
    logStopCode("StopMixFile", m_services.library.StopMixFile(index));
    if (!anyPlaying())
        endTemporaryTake();
}

void MusicPads::padEnded(int index)
{
    if (index < 0 || index >= kPadSlots * kPadPages)
        return;
    const auto page = PadPage(index / kPadSlots + 1);
    at(page, index % kPadSlots).playing = false;
    changed(page);
    if (page != PadPage::First)
        changed(PadPage::First);
    if (m_active && !anyPlaying())
        endTemporaryTake();
}

void MusicPads::StopAllPads()
{
    if (m_active) {
        logStopCode("StopPlaybackOfAllTracks", m_services.library.StopPlaybackOfAllTracks());
        for (auto& page : m_pages) {
            for (PadSlot& pad : page)
                pad.playing = false;
        }
        for (int p = 1; p <= kPadPages; ++p)
            changed(PadPage(p));
        endTemporaryTake();
    }
    if (m_services.stopPlayer)
        m_services.stopPlayer();
}

void MusicPads::StopAllSegmentsClick()
{
    if (m_active)
        StopAllPads();
    else
        logStopCode("StopPlaybackOfAllTracks", m_services.library.StopPlaybackOfAllTracks());
    setStopAll(false);
}

void MusicPads::CurrentClick()
{
    logStopCode("StopPlaybackOfCurrentMixingTrack", m_services.library.StopPlaybackOfCurrentMixingTrack());
}

void MusicPads::escape()
{
    if (m_services.musicRecording && m_services.musicRecording())
        logStopCode("StopPlaybackOfCurrentMixingTrack", m_services.library.StopPlaybackOfCurrentMixingTrack());
    else
        StopAllPads();
}

void MusicPads::recordingEnded()
{
    // Pads fired during a voice take played on their own, on that take's clock, which has stopped.
    if (m_active)
        logStopCode("StopPlaybackOfAllTracks", m_services.library.StopPlaybackOfAllTracks());
    bool any = false;
    for (auto& page : m_pages) {
        for (PadSlot& pad : page) {
            any = any || pad.playing;
            pad.playing = false;
        }
    }
    if (any) {
        for (int p = 1; p <= kPadPages; ++p)
            changed(PadPage(p));
    }
    endTemporaryTake();
    setStopAll(false);
}

void MusicPads::freeSlot(PadSlot& pad)
{
    removeFile(pad.working);
    pad.working.clear();
    pad.source.clear();
    pad.caption.clear();
}

void MusicPads::showIncompatible(const QString& file) const
{
    const QString text = QStringLiteral("The file ") + file + QStringLiteral(" has incompatible file format.");
    m_services.messages.ShowMessageBox(text, {}, platform::MB_OK | platform::MB_ICONINFORMATION);
}

int MusicPads::makeWorkingWave(const QString& file, QString* working)
{
    QString made;
    if (const int code = m_services.import(file, &made))
        return code;
    const WaveFormatEx wanted = m_services.recordingFormat();
    if (wanted.samplesPerSec != 0) {
        WaveFormatEx format;
        if (ReadWaveFormat(made, nullptr, &format) != 0) {
            removeFile(made);
            showIncompatible(file);
            return LoadCode::FormatNotConverted;
        }
        if (!samePcmShape(format, wanted)) {
            QString converted;
            const int code = m_services.convert(made, wanted, &converted);
            removeFile(made);
            if (code != 0 || converted.isEmpty()) {
                qCWarning(lcRecorder) << "the pad file" << file << "was not converted, code" << code;
                showIncompatible(file);
                return code != 0 ? code : LoadCode::FormatNotConverted;
            }
            made = converted;
        }
    }
    *working = made;
    return 0;
}

bool MusicPads::LoadSegmentFile(int s, const QString& file, const QString& caption)
{
    m_importCancelled = false;
    return assign(s, file, caption);
}

bool MusicPads::assign(int s, const QString& file, const QString& caption)
{
    if (s < 0 || s >= kPadSlots || m_importCancelled)
        return false;
    if (file.isEmpty()) {
        ClearPad(s);
        return false;
    }
    if (!QFileInfo(file).isFile()) {
        m_services.messages.ShowErrorMessage(LoadCode::FileMissing, {file});
        ClearPad(s);
        return false;
    }
    QString working;
    if (const int code = makeWorkingWave(file, &working)) {
        m_importCancelled = code == kCancelled;
        ClearPad(s);
        return false;
    }
    PadSlot& pad = at(kCurrentPage, s);
    removeFile(pad.working);
    pad.working = working;
    pad.caption = caption.isEmpty() ? padCaptionOf(file) : caption;
    pad.source = file;
    changed(kCurrentPage);
    return true;
}

void MusicPads::ClearPad(int s)
{
    if (s < 0 || s >= kPadSlots)
        return;
    freeSlot(at(kCurrentPage, s));
    changed(kCurrentPage);
}

void MusicPads::toggleLoop(int s)
{
    if (s < 0 || s >= kPadSlots)
        return;
    PadSlot& pad = at(kCurrentPage, s);
    pad.loop = !pad.loop;
    changed(kCurrentPage);
}

void MusicPads::ConvertSegmentsToFormat(const WaveFormatEx& format)
{
    QStringList report;
    bool anyFailed = false;
    for (const auto& [page, title] : kConvertOrder) {
        report << QString::fromLatin1(title);
        for (int s = 0; s < kPadSlots; ++s) {
            PadSlot& pad = at(page, s);
            if (pad.working.isEmpty())
                continue;
            WaveFormatEx current;
            bool ok = ReadWaveFormat(pad.working, nullptr, &current) == 0;
            if (ok && !samePcmShape(current, format)) {
                const QString extension = QFileInfo(pad.source).suffix().toLower();
                QString intermediate;
                QString converted;
                ok = (extension == QLatin1String("wav") || extension == QLatin1String("mp3")
                      || extension == QLatin1String("wma"))
                    && QFileInfo(pad.source).isFile() && m_services.import(pad.source, &intermediate) == 0
                    && m_services.convert(intermediate, format, &converted) == 0 && !converted.isEmpty();
                removeFile(intermediate);
                if (ok) {
                    removeFile(pad.working);
                    pad.working = converted;
                }
            }
            if (!ok) {
                qCWarning(lcRecorder) << "the pad" << defaultPadCaption(s) << "of page" << int(page)
                                      << "could not be made again from" << pad.source;
                freeSlot(pad);
                report << QStringLiteral("   F%1").arg(s + 1);
                anyFailed = true;
            }
        }
        changed(page);
    }
    if (!anyFailed)
        return;
    const QString text = QStringLiteral("Some files could not be changed into the compatible formats for mixing "
                                        "purposes.\nPlease check the following: \n")
        + report.join(QLatin1Char('\n'));
    m_services.messages.ShowMessageBox(text, {}, platform::MB_OK | platform::MB_ICONWARNING);
}

bool MusicPads::saveList(const QString& path)
{
    if (!anyPadAssigned())
        return false;
    platform::IniDocument list;
    const QString section = QString::fromLatin1(kListSection);
    for (int s = 0; s < kPadSlots; ++s) {
        const PadSlot& pad = slot(PadPage::First, s);
        list.setValue(section, QStringLiteral("Path%1").arg(s), pad.source);
        list.setValue(section, QStringLiteral("Button%1").arg(s), pad.working.isEmpty() ? QString() : pad.caption);
    }
    QString error;
    if (!platform::writeFileAtomically(path, list.toBytes(), &error)) {
        qCWarning(lcRecorder) << "cannot save the pad list" << path << error;
        m_services.messages.ShowMessageBox(QStringLiteral("The pad list could not be saved to %1: %2").arg(path, error),
                                           {}, platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    return true;
}

bool MusicPads::loadList(const QString& path)
{
    const auto refuse = [&](const char* why) {
        qCWarning(lcRecorder) << "the pad list" << path << "was not loaded:" << why;
        m_services.messages.ShowMessageBox(
            QStringLiteral("The file %1 is not a pad list that can be read. The pads stay as they are.").arg(path), {},
            platform::MB_OK | platform::MB_ICONERROR);
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse("it cannot be opened");
    if (file.size() > platform::IniFile::maxFileSize)
        return refuse("it is too large");
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size())
        return refuse("it cannot be read");
    if (bytes.contains('\0'))
        return refuse("it holds binary data");
    const platform::IniDocument list = platform::IniDocument::fromBytes(bytes);
    const QString section = QString::fromLatin1(kListSection);
    if (!list.sectionExists(section))
        return refuse("it has no FirstPage section");

    std::array<QString, kPadSlots> paths;
    std::array<QString, kPadSlots> captions;
    for (int s = 0; s < kPadSlots; ++s) {
        const QString listed = list.value(section, QStringLiteral("Path%1").arg(s)).value_or(QString());
        paths[std::size_t(s)] = QFileInfo(listed).isFile() ? listed : QString();
        captions[std::size_t(s)] = list.value(section, QStringLiteral("Button%1").arg(s)).value_or(QString());
        if (!listed.isEmpty() && paths[std::size_t(s)].isEmpty())
            qCInfo(lcRecorder) << "the pad list names a file that is not there:" << listed;
    }
    m_importCancelled = false;
    for (int s = 0; s < kPadSlots; ++s)
        assign(s, paths[std::size_t(s)], captions[std::size_t(s)]);
    m_importCancelled = false;
    changed(PadPage::First);
    return true;
}

bool MusicPads::SaveLastUsedPadFiles(platform::SettingsStore& store) const
{
    const QString key = lastUsedPadsKey();
    bool ok = true;
    for (int s = 0; s < kPadSlots; ++s) {
        const PadSlot& pad = slot(PadPage::First, s);
        ok = store.writeString(key, QStringLiteral("File Path %1").arg(s), pad.source) && ok;
        const QString caption = pad.working.isEmpty() ? QString() : pad.caption;
        ok = store.writeString(key, QStringLiteral("Button caption %1").arg(s), caption) && ok;
    }
    if (!ok)
        qCWarning(lcRecorder) << "the last-used pads could not all be stored";
    return ok;
}

int MusicPads::LoadLastUsedPadFiles(const platform::SettingsStore& store)
{
    if (!store.keyExists(lastUsedPadsKey()))
        return 0;
    return ReadLastUsedPadFiles(store);
}

int MusicPads::ReadLastUsedPadFiles(const platform::SettingsStore& store)
{
    const QString key = lastUsedPadsKey();
    int stored = 0;
    for (int s = 0; s < kPadSlots; ++s) {
        const auto path = store.readString(key, QStringLiteral("File Path %1").arg(s));
        const auto caption = store.readString(key, QStringLiteral("Button caption %1").arg(s));
        m_storedPaths[std::size_t(s)] = path.ok() ? path.value : QString();
        m_storedCaptions[std::size_t(s)] = caption.ok() ? caption.value : QString();
        stored += m_storedPaths[std::size_t(s)].isEmpty() ? 0 : 1;
    }
    return stored;
}

void MusicPads::RestoreLastUsedPadFiles(const std::array<bool, kPadSlots>& use)
{
    m_importCancelled = false;
    for (int s = 0; s < kPadSlots; ++s) {
        if (!use[std::size_t(s)]) {
            m_storedPaths[std::size_t(s)].clear();
            m_storedCaptions[std::size_t(s)].clear();
        }
        assign(s, m_storedPaths[std::size_t(s)], m_storedCaptions[std::size_t(s)]);
    }
    m_importCancelled = false;
    changed(PadPage::First);
}

} // namespace recorder
