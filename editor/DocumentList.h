#pragma once
// The editor's open documents in the order they were opened, and which one is current. The main
// window opens one file at a time (opening or creating a document first closes the last one), but
// the list keeps its rules for any number: ids, lookup by file, the current document, untitled
// numbering and the names shown for a document.

#include "editor/DocumentRecord.h"

#include <QString>

#include <memory>
#include <vector>

// The recorder's tracks the editor holds: the path of the document file opened as each, empty when
// none. A file opened as a track while that track is already remembered is named as a normal file.
struct RememberedTracks {
    QString musicTrackFile;
    QString voiceTrackFile;
};

inline constexpr char kMusicTrackName[] = "Music Track";
inline constexpr char kVoiceTrackName[] = "Voice Track";
inline constexpr char kReadOnlyCaptionSuffix[] = " (Read Only)";

// Names a document whose document file is set, opened in the given role: "Music Track" / "Voice
// Track" for the first file of that role (whose path is then remembered), else the file name
// without its folder.
void nameDocument(TDocumentRecord& document, TrackRole role, RememberedTracks& tracks);
// The document button's hint: the track name, or the full path of the document file.
QString documentHint(const TDocumentRecord& document);
// The window caption: the product title, followed by ": " and the display name when a document is
// shown, and by " (Read Only)" when its working copy could not be made.
QString windowCaption(const TDocumentRecord* document);
// Two paths name the same document file: their absolute, cleaned forms are equal (case counts, as
// it does for Linux file names).
bool sameDocumentFile(const QString& a, const QString& b);

class DocumentList {
public:
    static constexpr int kNoDocument = -1;

    int count() const { return int(m_documents.size()); }
    bool isEmpty() const { return m_documents.empty(); }
    // Null for an index outside the list.
    TDocumentRecord* at(int index) const;

    // The smallest id not below the number of open documents that no open document uses.
    int32_t freeId() const;
    // Appends the record with a free id and returns it; the current document does not change.
    TDocumentRecord& append(std::unique_ptr<TDocumentRecord> document);
    // Removes the document and hands it over; null for an index outside the list. When it was
    // current, no document is current afterwards.
    std::unique_ptr<TDocumentRecord> takeAt(int index);
    // The document that opening or creating another closes first; kNoDocument for an empty list.
    int lastIndex() const { return count() - 1; }

    // The index of the open document with this document file, or kNoDocument.
    int indexOfFile(const QString& documentFile) const;
    int indexOfId(int32_t id) const;
    // The document whose working copy the background job with this id makes, or kNoDocument.
    int indexOfCopyJob(uint64_t jobId) const;

    int currentIndex() const { return m_current; }
    TDocumentRecord* current() const { return at(m_current); }
    // Makes the document current: 0, or 143 for an index outside the list (nothing changes).
    int setCurrent(int index);
    // Restores a current document remembered before a failed open; kNoDocument and any index that is
    // no longer in the list leave no document current.
    void restoreCurrent(int index);

    // "Untitled" + (counter + 1) + ".wav": the name of the next new document.
    QString nextUntitledName() const;
    // Counts a new document made; the counter never goes back, so names are not reused.
    void countUntitled() { ++m_untitledCounter; }
    int untitledCounter() const { return m_untitledCounter; }

private:
    std::vector<std::unique_ptr<TDocumentRecord>> m_documents;
    int m_current = kNoDocument;
    int m_untitledCounter = 0;
};
