#pragma once
// Opening files into documents and making new ones, without the windows: the order of the steps,
// what each failure undoes, and the states a document is born with. What the steps need from the
// main window (closing a document with its question, the views, the background copy, the recorder,
// the recent files) and from the decoders comes through the narrow interfaces below.

#include "editor/DocumentList.h"
#include "editor/WorkspaceFiles.h"

#include "common/WaveFormat.h"

#include <QString>

#include <cstdint>
#include <functional>

// The main window's side of the open and new roads.
class WorkspaceHost {
public:
    virtual ~WorkspaceHost();
    // Closes the document (asking about unsaved changes): 0, 129 when the user kept it, or the code
    // of a failure already shown.
    virtual int closeDocumentAt(int index) = 0;
    // The recorder handed a track over that the editor did not take: clear that track's mode and
    // tell the recorder, so it takes the track back.
    virtual void trackRefused(TrackRole role) = 0;
    // Makes the display, overview and document button of the document and builds the peaks of
    // shownFile into the display: 0, or the code of the failure (already shown). On failure nothing
    // of the views stays.
    virtual int createViews(TDocumentRecord& document, const QString& shownFile) = 0;
    // Frees the views of a document whose open failed after createViews.
    virtual void discardViews(TDocumentRecord& document) = 0;
    // Starts copying the document file into the working file in the background and sets the
    // document's copyJobId: 0, or the code of the failure. The copy runs while the views are made;
    // its end is held until releaseWorkspaceCopy, since handling it needs the views.
    virtual int startWorkspaceCopy(TDocumentRecord& document) = 0;
    // The open has finished: an end of the copy that came meanwhile is handled now, a later one
    // when it comes.
    virtual void releaseWorkspaceCopy(TDocumentRecord& document) = 0;
    // Stops that copy and waits for its worker, so the working file can be deleted.
    virtual void cancelWorkspaceCopy(TDocumentRecord& document) = 0;
    virtual void addRecentFile(const QString& path) = 0;
};

// The decoders of compressed sources.
class SourceDecoder {
public:
    virtual ~SourceDecoder();
    // The bit rate in bits per second; 0 when it cannot be read.
    virtual int64_t bitsPerSecond(const QString& source, SourceKind kind) = 0;
    // Decodes the source into a PCM WAV at target: 0; 229 when this system cannot decode MP3 (the
    // open reports it: the window asks about the component); else the code of a failure the
    // decoder has told the user itself, as its windows do (129 cancelled, 489 a WMA that could not
    // be converted, or a message id).
    virtual int convert(const QString& source, SourceKind kind, const QString& target) = 0;
};

// Reads the format and length of a WAV: 0, or the reader's code.
using FileInfoReader = std::function<int(const QString& file, FileInformation& info)>;
// A FileInfoReader over the shared WAV reader (an empty WAV is read too); its codes are those of
// OpenWaveForRead (WaveReadCode and the RIFF layer's), a rate of 0 giving WaveReadCode::CannotRead.
int readWaveFileInformation(const QString& file, FileInformation& info);

inline constexpr int kFileMissing = 184;        // "Error : The file %s does not exist."
inline constexpr int kMp3NotConvertible = 229;  // asked as a question: the MP3 component is missing
inline constexpr int kWmaNotReadable = 489;     // a WMA file that could not be converted (already told)
inline constexpr int kCancelled = 129;

struct WorkspaceResult {
    enum class Report {
        None,            // nothing to tell: success, a cancel, or a failure the host or the decoder showed
        Message,         // the message of code, with argument for its %s
        NoTempSpace,     // kNoTempSpaceText (code 104)
        FileInformation, // the file-information reader's code, through that reader's map
    };
    int code = 0;
    Report report = Report::None;
    QString argument;
    int index = DocumentList::kNoDocument; // the document opened, made or selected
};

class Workspace {
public:
    // tempFolder gives the preferences' temporary folder at the time of each open.
    Workspace(WorkspaceHost& host, SourceDecoder& decoder, std::function<QString()> tempFolder,
              FileInfoReader readInfo = readWaveFileInformation, FreeBytesProbe freeBytes = freeBytesOnDrive);

    DocumentList& documents() { return m_documents; }
    const DocumentList& documents() const { return m_documents; }
    RememberedTracks& tracks() { return m_tracks; }
    const RememberedTracks& tracks() const { return m_tracks; }

    // A new untitled document whose working file is an empty WAV in the format.
    WorkspaceResult newDocument(const WaveFormatEx& format);
    // Opens a WAV, MP3 or WMA file into a document, named for the recorder's track it is opened as.
    WorkspaceResult openFile(const QString& path, TrackRole role = TrackRole::Normal);
    // File > Open: the last document is closed while the recorder's tracks are still remembered,
    // so closing a handed-over track tells the recorder; then the tracks are forgotten and the file
    // is opened as a normal one. A missing file closes nothing. Unless the result is 129 (the user
    // kept the last document, which stays the track it was), the window leaves the track modes.
    WorkspaceResult openFileFromMenu(const QString& path);
    // Makes an open document current: 0, or 143 for an index outside the list.
    int selectDocument(int index);
    // The background copy of a document ended with the job's result (0 success). The document
    // becomes ready, or read-only on a failure. Returns the index of the document (kNoDocument for
    // a job no document waits for: it was closed) and sets *code to the result to report before
    // message 182.
    int workspaceCopyEnded(uint64_t jobId, int result, int* code = nullptr);

private:
    // Closes the last document before another is opened or made: 0 or the host's code.
    int closeLast();
    // Takes a document out of the list again after a failed open and restores the current one.
    void dropDocument(TDocumentRecord& document, int previousCurrent);

    WorkspaceHost& m_host;
    SourceDecoder& m_decoder;
    std::function<QString()> m_tempFolder;
    FileInfoReader m_readInfo;
    FreeBytesProbe m_freeBytes;
    DocumentList m_documents;
    RememberedTracks m_tracks;
};
