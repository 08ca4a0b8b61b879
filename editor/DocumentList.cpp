#include "editor/DocumentList.h"

#include "common/EditorMessages.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr int kIndexOutOfRange = 143;

QString absoluteClean(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

void nameDocument(TDocumentRecord& document, TrackRole role, RememberedTracks& tracks)
{
    QString* remembered = role == TrackRole::Music   ? &tracks.musicTrackFile
                          : role == TrackRole::Voice ? &tracks.voiceTrackFile
                                                     : nullptr;
    if (remembered && remembered->isEmpty()) {
        *remembered = document.documentFile;
        document.shownAs = role;
        document.displayName = QString::fromLatin1(role == TrackRole::Music ? kMusicTrackName : kVoiceTrackName);
        return;
    }
    document.shownAs = TrackRole::Normal;
    document.displayName = QFileInfo(document.documentFile).fileName();
}

QString documentHint(const TDocumentRecord& document)
{
    if (document.shownAs == TrackRole::Normal)
        return document.documentFile;
    return document.displayName;
}

QString windowCaption(const TDocumentRecord* document)
{
    QString caption = QString::fromLatin1(kEditorCaption);
    if (!document)
        return caption;
    caption += QStringLiteral(": ") + document->displayName;
    if (document->isReadOnly())
        caption += QLatin1String(kReadOnlyCaptionSuffix);
    return caption;
}

bool sameDocumentFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    return absoluteClean(a) == absoluteClean(b);
}

TDocumentRecord* DocumentList::at(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return m_documents[size_t(index)].get();
}

int32_t DocumentList::freeId() const
{
    int32_t id = int32_t(count());
    while (indexOfId(id) != kNoDocument)
        ++id;
    return id;
}

TDocumentRecord& DocumentList::append(std::unique_ptr<TDocumentRecord> document)
{
    document->id = freeId();
    m_documents.push_back(std::move(document));
    return *m_documents.back();
}

std::unique_ptr<TDocumentRecord> DocumentList::takeAt(int index)
{
    if (!at(index))
        return {};
    std::unique_ptr<TDocumentRecord> taken = std::move(m_documents[size_t(index)]);
    m_documents.erase(m_documents.begin() + index);
    if (m_current == index)
        m_current = kNoDocument;
    else if (m_current > index)
        --m_current;
    return taken;
}

int DocumentList::indexOfFile(const QString& documentFile) const
{
    const auto found = std::find_if(m_documents.begin(), m_documents.end(),
                                    [&](const auto& d) { return sameDocumentFile(d->documentFile, documentFile); });
    return found == m_documents.end() ? kNoDocument : int(found - m_documents.begin());
}

int DocumentList::indexOfId(int32_t id) const
{
    const auto found = std::find_if(m_documents.begin(), m_documents.end(), [&](const auto& d) { return d->id == id; });
    return found == m_documents.end() ? kNoDocument : int(found - m_documents.begin());
}

int DocumentList::indexOfCopyJob(uint64_t jobId) const
{
    if (jobId == 0)
        return kNoDocument;
    const auto found = std::find_if(m_documents.begin(), m_documents.end(),
                                    [&](const auto& d) { return d->copyJobId == jobId; });
    return found == m_documents.end() ? kNoDocument : int(found - m_documents.begin());
}

int DocumentList::setCurrent(int index)
{
    if (!at(index))
        return kIndexOutOfRange;
    m_current = index;
    return 0;
}

void DocumentList::restoreCurrent(int index)
{
    m_current = at(index) ? index : kNoDocument;
}

QString DocumentList::nextUntitledName() const
{
    return QStringLiteral("Untitled%1.wav").arg(m_untitledCounter + 1);
}
