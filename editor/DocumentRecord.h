#pragma once
// One open file of the editor. The user's file (the document file) is never edited in place: every
// edit changes a working copy in the temporary folder, and two more temporary files keep one level
// of undo and redo. The record holds the names of those files, the document's states and its
// format; the display, overview and document button that show it belong to the main window.

#include "common/WaveFormat.h"

#include <QString>

#include <cstdint>

enum class SaveState : int32_t {
    None = 0,      // a record just made, not yet filled
    Modified = 1,  // changed since the last save
    Unchanged = 2, // as opened, saved or reverted
    Untitled = 3,  // new, never saved
};

enum class WorkspaceState : int32_t {
    None = 0,
    Copying = 1,  // the document file is being copied into the working file
    ReadOnly = 2, // the copy failed or was cancelled: the document plays from its document file only
    Ready = 3,    // the working file holds the audio
};

enum class SourceKind : int32_t {
    None = 0,
    Wave = 1,
    Mp3 = 2,
    Wma = 3,
};

// Which of the recorder's tracks a file is opened as (the hand-over switch of the command line).
enum class TrackRole {
    Normal,
    Music,
    Voice,
};

// What the player reads from an audio file: its format and its duration in milliseconds.
struct FileInformation {
    uint16_t bitsPerSample = 0;
    uint16_t channels = 0;
    uint32_t lengthMs = 0; // 0 for an empty document
    uint32_t samplesPerSec = 0;

    friend bool operator==(const FileInformation&, const FileInformation&) = default;
};

struct TDocumentRecord {
    int32_t id = 0;
    FileInformation info;
    QString documentFile; // the user's file; "UntitledN.wav" for a new document
    QString workingFile;
    QString undoFile;
    QString redoFile;
    SaveState saveState = SaveState::None;
    WorkspaceState workspaceState = WorkspaceState::None;
    WaveFormatEx waveFormat;
    SourceKind sourceKind = SourceKind::None;
    // kbit/s of an MP3 source, the decoder's rate field of a WMA source, 0 for a WAV.
    int32_t sourceBitRate = 0;
    // The name the document goes by in captions and messages.
    QString displayName;
    // The recorder's track this document is named after, or Normal.
    TrackRole shownAs = TrackRole::Normal;
    // The background job that copies the document file into the working file; 0 when none runs.
    // Job ids are never reused, so a late "job ended" message cannot reach another document.
    uint64_t copyJobId = 0;

    // PCM format built from the file information (after every load).
    void rebuildWaveFormat();
    bool isEmpty() const { return info.lengthMs == 0; }
    // Edits, recording into the document and saving it do nothing: its working copy could not be
    // made. An untitled document never had a document file to copy, so it is never read-only.
    bool isReadOnly() const;
    // The working file may be changed now (the copy into it has ended well, or none was needed).
    bool isWorkspaceReady() const { return workspaceState == WorkspaceState::Ready; }
};
