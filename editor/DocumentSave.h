#pragma once
// Saving a document's edits to its file or to a new one, as WAV or MP3 with its song information,
// and reverting them, without the windows.
//
// The user's file is never at risk: the new content is written beside it under a temporary name,
// tag included, flushed to the disk, and only then renamed over it. A save that fails (a full disk,
// a folder that cannot be written) or is cancelled leaves the old file as it was.

#include "editor/DocumentRecord.h"
#include "editor/ID3v2.h"

#include "common/CopyJob.h"
#include "common/Util.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

class JobRunner;

namespace platform {
class Messages;
class SettingsStore;
} // namespace platform

enum class SaveMode {
    Save = 1,   // over the document file (a dialog only for an untitled document)
    SaveAs = 2, // under a name the user chooses
};

// "Error : Cannot save file to disk. Please make sure that there is enough room on disk ..."
inline constexpr int kCannotSaveFile = 146;
// "Error : Cannot revert the changes. ..."
inline constexpr int kCannotRevert = 142;
inline constexpr char kSavingWaveCaption[] = "Saving wave file...";
inline constexpr char kSavingMp3Caption[] = "Saving MP3 file...";
inline constexpr char kRevertingCaption[] = "Reverting the changes...";
inline constexpr char kSaveFilter[] = "Wave Files (*.wav)|*.wav|MP3 Files (*.mp3)|*.mp3";
// Where the save dialog's folder is kept; the key does not exist before the first save with a dialog.
inline constexpr char kFirstTimeSavingKey[] = "\\Software\\Vexal Audio\\Zuq Editor\\First Time Saving";
inline constexpr char kSaveFolderValue[] = "Directroy";
// An MP3 made from a WAV, whose bit rate nothing gives.
inline constexpr uint32_t kDefaultMp3BitRate = 128;

// The song information a save writes: the tag of the document file, an ID3v1 tag made into an ID3v2
// one; none when the file has neither.
std::optional<editor::TID3v2> documentTag(const TDocumentRecord& document);

// The chosen name with the extension (".wav", ".mp3") added unless it already ends so, in any case.
QString withExtension(const QString& chosen, const QString& extension);

// Encodes a PCM WAV into an MP3 at bitRate kbit/s through the editor's LAME wrapper, the tag's bytes
// (when given) in front of the audio and its ID3v1 form at the end; written as a new file beside
// target and put in its place when complete and on the disk. percent and cancelWord as a copy's:
// 0, 129 cancelled, kCannotSaveFile, or the wrapper's code (KestruneCode).
int encodeWaveToMp3(const QString& source, const QString& target, uint32_t bitRate, const editor::TID3v2* tag,
                    std::atomic<int32_t>& percent, const std::atomic<int32_t>& cancelWord);

// Copies a WAV to target with the tag as its "id3 " chunk, the same way: 0, 129, or kCannotSaveFile.
int copyWaveWithTag(const QString& source, const QString& target, const editor::TID3v2* tag,
                    std::atomic<int32_t>& percent, const std::atomic<int32_t>& cancelWord,
                    const CopyFunction& copy = CopyScratchFileWithProgress);

struct SaveServices {
    const platform::Messages& messages;
    platform::SettingsStore& settings;
    JobRunner& runner;
    // Where the first save dialog opens.
    std::function<QString()> musicFolder;
    // Whether the document's working file holds its audio (waiting for its copy is allowed): the
    // save reads the working file, else the document file.
    std::function<bool(TDocumentRecord&)> workingFileReady;
    // The copy of a WAV into the new file, beside the target (replaceable so tests can fail it).
    CopyFunction copy = CopyScratchFileWithProgress;
};

class DocumentSaver {
public:
    explicit DocumentSaver(SaveServices services);

    // Saves the document: 0 saved (the document then names the file saved, its save state is
    // Unchanged and its kind the file's), 129 cancelled or refused with its reason already shown
    // (no MP3 encoder, a WMA document), else a message id not yet shown. A document without changes is not saved again by Save. The old file stays as it was
    // unless 0 is returned.
    int save(TDocumentRecord& document, SaveMode mode);

    // Copies the document file over the working file again: 0 (the document is Unchanged and its
    // information read again; the undo and redo files are emptied), 129, or kCannotRevert.
    int revert(TDocumentRecord& document);

private:
    // The save dialog: the file to write (the chosen name with its filter's extension) and whether
    // the MP3 filter was chosen; none when cancelled, or when the extension added names a file
    // the user does not want replaced.
    struct Chosen {
        QString path;
        bool mp3 = false;
    };
    std::optional<Chosen> askTarget(const TDocumentRecord& document, SaveMode mode);
    QString startFolder() const;
    void rememberFolder(const QString& chosenFile);
    int saveWave(TDocumentRecord& document, const QString& source, const QString& target);
    int saveMp3(TDocumentRecord& document, const QString& source, const QString& target, uint32_t bitRate);

    SaveServices m_services;
};

// The undo and redo files of the document emptied (their names stay reserved): nothing to undo or
// redo. False when one could not be emptied (logged).
bool emptyUndoAndRedo(const TDocumentRecord& document);
