#include "editor/Workspace.h"

#include "common/WaveRead.h"
#include "common/WaveUtil.h"

#include <QFileInfo>

WorkspaceHost::~WorkspaceHost() = default;
SourceDecoder::~SourceDecoder() = default;

int readWaveFileInformation(const QString& file, FileInformation& info)
{
    TWaveReader reader;
    const int code = OpenWaveForRead(file, reader, platform::RiffFile::Mode::Read, false);
    if (code != WaveReadCode::Ok)
        return code;
    const WaveFormatEx& format = reader.format;
    const uint32_t dataSize = reader.dataSize;
    CloseWaveForRead(reader.handle);
    if (format.samplesPerSec == 0)
        return WaveReadCode::CannotRead;
    const uint64_t frames = dataSize / format.blockAlign;
    info.bitsPerSample = format.bitsPerSample;
    info.channels = format.channels;
    info.samplesPerSec = format.samplesPerSec;
    info.lengthMs = uint32_t(frames * 1000 / format.samplesPerSec);
    return 0;
}

namespace {

WorkspaceResult message(int code, QString argument = {})
{
    return {code, WorkspaceResult::Report::Message, std::move(argument)};
}

WorkspaceResult silent(int code)
{
    return {code, WorkspaceResult::Report::None, {}};
}

} // namespace

Workspace::Workspace(WorkspaceHost& host, SourceDecoder& decoder, std::function<QString()> tempFolder,
                     FileInfoReader readInfo, FreeBytesProbe freeBytes)
    : m_host(host)
    , m_decoder(decoder)
    , m_tempFolder(std::move(tempFolder))
    , m_readInfo(std::move(readInfo))
    , m_freeBytes(std::move(freeBytes))
{
}

int Workspace::closeLast()
{
    if (m_documents.isEmpty())
        return 0;
    return m_host.closeDocumentAt(m_documents.lastIndex());
}

void Workspace::dropDocument(TDocumentRecord& document, int previousCurrent)
{
    const int index = m_documents.indexOfId(document.id);
    const TDocumentRecord* const previous = m_documents.at(previousCurrent);
    const std::unique_ptr<TDocumentRecord> dropped = m_documents.takeAt(index);
    int restored = DocumentList::kNoDocument;
    for (int i = 0; i < m_documents.count(); ++i)
        if (m_documents.at(i) == previous)
            restored = i;
    m_documents.restoreCurrent(restored);
}

WorkspaceResult Workspace::newDocument(const WaveFormatEx& format)
{
    if (const int code = closeLast())
        return silent(code);

    auto made = std::make_unique<TDocumentRecord>();
    ReservedFiles names(m_tempFolder());
    if (const int code = reserveWorkspaceNames(names, *made))
        return message(code);
    const int created =
        CreateEmptyWaveFile(made->workingFile, format.samplesPerSec, format.bitsPerSample, format.channels);
    if (created != 0)
        return message(created);

    made->documentFile = m_documents.nextUntitledName();
    made->saveState = SaveState::Untitled;
    made->workspaceState = WorkspaceState::Ready;
    made->sourceKind = SourceKind::Wave;
    made->info = {format.bitsPerSample, format.channels, 0, format.samplesPerSec};
    made->rebuildWaveFormat();
    nameDocument(*made, TrackRole::Normal, m_tracks);

    const int previousCurrent = m_documents.currentIndex();
    TDocumentRecord& document = m_documents.append(std::move(made));
    if (const int code = m_host.createViews(document, document.workingFile)) {
        dropDocument(document, previousCurrent);
        return silent(code);
    }
    const int index = m_documents.lastIndex();
    m_documents.setCurrent(index);
    m_documents.countUntitled();
    names.release();
    return {0, WorkspaceResult::Report::None, {}, index};
}

WorkspaceResult Workspace::openFile(const QString& path, TrackRole role)
{
    if (path.isEmpty())
        return silent(0);
    if (!QFileInfo::exists(path))
        return message(kFileMissing, path);

    if (const int open = m_documents.indexOfFile(path); open != DocumentList::kNoDocument) {
        const int code = selectDocument(open);
        WorkspaceResult result = code ? message(code) : silent(0);
        result.index = code ? DocumentList::kNoDocument : open;
        return result;
    }

    if (const int code = closeLast()) {
        // The recorder waits for the track it handed over: give back exactly that one.
        if (code == kCancelled && role != TrackRole::Normal) {
            (role == TrackRole::Music ? m_tracks.musicTrackFile : m_tracks.voiceTrackFile).clear();
            m_host.trackRefused(role);
        }
        return silent(code);
    }

    const SourceKind kind = sourceKindOf(path);
    const QString tempFolder = m_tempFolder();
    int64_t sourceRate = 0;
    if (kind != SourceKind::Wave)
        sourceRate = m_decoder.bitsPerSecond(path, kind);
    const int64_t needed = workspaceBytesNeeded(kind, QFileInfo(path).size(), sourceRate);
    if (const int code = checkTempSpace(needed, m_freeBytes(tempFolder)))
        return {code, WorkspaceResult::Report::NoTempSpace, {}};

    auto made = std::make_unique<TDocumentRecord>();
    ReservedFiles names(tempFolder);
    if (const int code = reserveWorkspaceNames(names, *made))
        return message(code);
    if (kind != SourceKind::Wave) {
        if (const int code = m_decoder.convert(path, kind, made->workingFile))
            return code == kMp3NotConvertible ? message(code, path) : silent(code);
    }

    made->documentFile = path;
    made->saveState = SaveState::Unchanged;
    made->sourceKind = kind;
    made->sourceBitRate = int32_t(kind == SourceKind::Mp3 ? sourceRate / 1000 : sourceRate);
    nameDocument(*made, role, m_tracks);

    // A WAV is shown (and played) from its document file while the copy runs; a decoded source
    // exists only as its working file. The copy starts first, so it runs beside the peak build.
    const QString shownFile = kind == SourceKind::Wave ? made->documentFile : made->workingFile;
    const int previousCurrent = m_documents.currentIndex();
    TDocumentRecord& document = m_documents.append(std::move(made));
    const int index = m_documents.lastIndex();
    if (kind == SourceKind::Wave) {
        document.workspaceState = WorkspaceState::Copying;
        if (const int code = m_host.startWorkspaceCopy(document)) {
            dropDocument(document, previousCurrent);
            return message(code);
        }
    } else {
        document.workspaceState = WorkspaceState::Ready;
    }

    if (const int code = m_host.createViews(document, shownFile)) {
        if (document.copyJobId != 0)
            m_host.cancelWorkspaceCopy(document);
        dropDocument(document, previousCurrent);
        return silent(code);
    }
    m_documents.setCurrent(index);

    if (const int code = m_readInfo(shownFile, document.info)) {
        if (document.copyJobId != 0)
            m_host.cancelWorkspaceCopy(document);
        m_host.discardViews(document);
        dropDocument(document, previousCurrent);
        return {code, WorkspaceResult::Report::FileInformation, path};
    }
    document.rebuildWaveFormat();
    names.release();

    if (QFileInfo(path).suffix().compare(QLatin1String("tmp"), Qt::CaseInsensitive) != 0)
        m_host.addRecentFile(path);
    // Last: the copy's end, handled now if it came meanwhile, may tell the user of a failure.
    if (document.copyJobId != 0)
        m_host.releaseWorkspaceCopy(document);
    return {0, WorkspaceResult::Report::None, {}, index};
}

WorkspaceResult Workspace::openFileFromMenu(const QString& path)
{
    if (path.isEmpty() || !QFileInfo::exists(path) || m_documents.indexOfFile(path) != DocumentList::kNoDocument)
        return openFile(path);
    if (const int code = closeLast())
        return silent(code);
    m_tracks = {};
    return openFile(path);
}

int Workspace::selectDocument(int index)
{
    return m_documents.setCurrent(index);
}

int Workspace::workspaceCopyEnded(uint64_t jobId, int result, int* code)
{
    const int index = m_documents.indexOfCopyJob(jobId);
    TDocumentRecord* document = m_documents.at(index);
    if (!document)
        return DocumentList::kNoDocument;
    document->copyJobId = 0;
    document->workspaceState = result == 0 ? WorkspaceState::Ready : WorkspaceState::ReadOnly;
    if (code)
        *code = result;
    return index;
}
