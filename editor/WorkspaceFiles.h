#pragma once
// The files of a document's workspace: the working, undo and redo files reserved under unique names
// in the temporary folder, the kind of source a file is, and the room its working copy needs there.

#include "editor/DocumentRecord.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

inline constexpr char kEditorTempPrefix[] = "qel32";
// "Could not create wave file": no name could be reserved in the temporary folder.
inline constexpr int kNoTempName = 150;

// Names reserved in one folder: each is created empty at once, so no other program or document
// takes it. Until release(), the files (and peak caches made of them) are deleted when the set
// ends, so a failed open or new document leaves nothing behind.
class ReservedFiles {
public:
    explicit ReservedFiles(QString folder);
    ~ReservedFiles();
    ReservedFiles(const ReservedFiles&) = delete;
    ReservedFiles& operator=(const ReservedFiles&) = delete;

    // The path of a new empty file, or empty when none could be made (error() says why).
    QString reserve();
    // The files now belong to a document: they stay.
    void release() { m_paths.clear(); }
    const QString& error() const { return m_error; }

private:
    QString m_folder;
    QStringList m_paths;
    QString m_error;
};

// Fills the working, undo and redo names of the document from the set: 0, or kNoTempName (the names
// already taken stay in the set and go with it).
int reserveWorkspaceNames(ReservedFiles& names, TDocumentRecord& document);

// By the extension, ignoring case: ".mp3" and ".wma" are compressed sources, anything else is read as
// a WAV.
SourceKind sourceKindOf(const QString& path);

// The rate of audio CD sound, the format a compressed source is assumed to unpack to.
inline constexpr int64_t kCdBitsPerSecond = 1'411'200;
// Assumed when a compressed source's bit rate cannot be read.
inline constexpr int64_t kAssumedSourceBitsPerSecond = 128'000;

// Bytes the working copy of a file of this kind and size needs: the size itself for a WAV; for a
// compressed source the size grown by the ratio of CD sound to its bit rate (bits per second; 0 or
// less means unknown).
int64_t workspaceBytesNeeded(SourceKind kind, int64_t fileSize, int64_t sourceBitsPerSecond);

// Free bytes on the drive of a folder, -1 when they cannot be read.
using FreeBytesProbe = std::function<int64_t(const QString& folder)>;
int64_t freeBytesOnDrive(const QString& folder);

inline constexpr char kNoTempSpaceText[] =
    "Warning : There is not enough free space on your temporary drive. It is recommended to make more free "
    "space available, and try again.?";
// Refused for lack of room: what the open returns after showing kNoTempSpaceText.
inline constexpr int kNoTempSpace = 104;

// 0 when the drive has room for needed bytes or its free space cannot be read, else kNoTempSpace.
int checkTempSpace(int64_t needed, int64_t freeBytes);
