#pragma once
// The Edit menu's commands on the current document, without the windows: cut, copy, paste, clear,
// crop and mute run one edit process of the audio engine each (under the progress window), and
// undo and redo rotate the document's three files.
//
// The audio only ever changes by whole files. An edit writes a complete new WAV under a fresh name
// in the temporary folder; only when that has succeeded does the working file become the undo file
// and the new file the working file, and the redo file is deleted. Undo moves the working file to
// the redo file and the undo file to the working file; redo the reverse. A failed or cancelled
// edit leaves the working, undo and redo files as they were, and a rotation that fails half-way is
// moved back, so the working file always holds the user's audio. Moves are rename(2) within the
// temporary folder, which replaces the target in one step.

#include "editor/DocumentRecord.h"

#include "common/JobRunner.h"
#include "common/PolledLibrary.h"
#include "editor/ControlStates.h"
#include "editor/Util.h"

#include <QFile>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

namespace platform {
class Interaction;
class Messages;
} // namespace platform

// The audio engine's edit processes as the commands call them (see EditProcesses.h).
class EditLibrary : public PolledLibrary {
public:
    virtual int cut(const QString& file, int64_t start, int64_t end, uint32_t* cell, const QString& result) = 0;
    virtual int cutInFile(const QString& file, int64_t start, int64_t end, uint32_t* cell, const QString& target,
                          const QString& result) = 0;
    virtual int copy(const QString& file, int64_t start, int64_t end, uint32_t* cell) = 0;
    virtual int copyInFile(const QString& file, int64_t start, int64_t end, uint32_t* cell, const QString& target) = 0;
    // An empty source pastes the clipboard.
    virtual int paste(const QString& file, int64_t position, uint32_t* cell, const QString& source,
                      const QString& result) = 0;
    virtual int clear(const QString& file, int64_t start, int64_t end, uint32_t* cell, const QString& result) = 0;
    virtual int crop(const QString& file, int64_t start, int64_t end, uint32_t* cell, const QString& result) = 0;
    virtual int mute(const QString& file, int64_t start, int64_t end, uint32_t* cell, int channels,
                     const QString& result) = 0;
    // threshold: the loudest silence in hundredths of a percent of full scale.
    virtual int trimSilence(const QString& file, int64_t start, int64_t end, uint32_t* cell, uint16_t threshold,
                            const QString& result) = 0;
    // 1 when the clipboard holds audio.
    virtual int canPaste() = 0;
    virtual int insertSilence(const QString& file, int64_t position, uint32_t* cell, int64_t durationMs,
                              const QString& result) = 0;
};

// EditLibrary over any engine with the AudioEdit... calls, in frames.
template <typename Engine>
class EngineEditLibrary : public EditLibrary {
public:
    explicit EngineEditLibrary(Engine& engine)
        : m_engine(engine)
        , m_process(engine)
    {
    }

    int cut(const QString& file, int64_t start, int64_t end, uint32_t* cell, const QString& result) override
    {
        return m_engine.AudioCut(file, start, end, kFrames, cell, 0, result);
    }
    int cutInFile(const QString& file, int64_t start, int64_t end, uint32_t* cell, const QString& target,
                  const QString& result) override
    {
        return m_engine.AudioCutInFile(file, start, end, kFrames, cell, 0, target, result);
    }
    int copy(const QString& file, int64_t start, int64_t end, uint32_t* cell) override
    {
        return m_engine.AudioCopy(file, start, end, kFrames, cell, 0);
    }
    int copyInFile(const QString& file, int64_t start, int64_t end, uint32_t* cell, const QString& target) override
    {
        return m_engine.AudioCopyInFile(file, start, end, kFrames, cell, 0, target);
    }
    int paste(const QString& file, int64_t position, uint32_t* cell, const QString& source,
              const QString& result) override
    {
        return m_engine.AudioPasteEx(file, position, kFrames, cell, 0, source, result);
    }
    int clear(const QString& file, int64_t start, int64_t end, uint32_t* cell, const QString& result) override
    {
        return m_engine.AudioClear(file, start, end, kFrames, cell, 0, result);
    }
    int crop(const QString& file, int64_t start, int64_t end, uint32_t* cell, const QString& result) override
    {
        return m_engine.AudioCrop(file, start, end, kFrames, cell, 0, result);
    }
    int mute(const QString& file, int64_t start, int64_t end, uint32_t* cell, int channels,
             const QString& result) override
    {
        return m_engine.AudioEditMute(file, start, end, kFrames, cell, 0, channels, result);
    }
    int trimSilence(const QString& file, int64_t start, int64_t end, uint32_t* cell, uint16_t threshold,
                    const QString& result) override
    {
        return m_engine.AudioEditTrimSilence(file, start, end, kFrames, cell, 0, threshold, result);
    }
    int canPaste() override { return m_engine.AudioEditCanPaste(); }
    int insertSilence(const QString& file, int64_t position, uint32_t* cell, int64_t durationMs,
                      const QString& result) override
    {
        return m_engine.AudioInsertSilence(file, position, kFrames, cell, 0, durationMs, result);
    }

    int processIsOver(uint32_t handle) override { return m_process.processIsOver(handle); }
    int processProgress(uint32_t handle) override { return m_process.processProgress(handle); }
    int reasonForProcessExit(uint32_t handle) override { return m_process.reasonForProcessExit(handle); }
    int cancelPressed(uint32_t handle) override { return m_process.cancelPressed(handle); }
    int closeHandle(uint32_t* cell) override { return m_process.closeHandle(cell); }

private:
    static constexpr int kFrames = 1; // positions in sample frames
    Engine& m_engine;
    EditProcessCalls<Engine> m_process;
};

// The display's positions, in sample frames, as a command reads them before it runs.
struct EditView {
    int64_t selectionStart = 0;
    int64_t selectionEnd = 0;
    int64_t caret = 0; // the position field
    int64_t totalSamples = 0;
    uint32_t zoom = 0;      // frames per pixel column
    bool atMaxZoom = true;  // the whole file is in view
    uint32_t left = 0;      // the first frame in view
};

// How the views follow a new working file.
struct EditRefresh {
    enum class Peaks {
        RemoveRange, // the range [removedStart, removedEnd) left the file: the peaks lose it in place
        Rebuild,     // the peaks are built again from the working file
        Reopen,      // undo and redo: the display opens the working file again and builds its peaks
        Restore,     // the files were moved back after a failed reopen: as Reopen, without a Cancel
    };
    Peaks peaks = Peaks::Rebuild;
    int64_t removedStart = 0;
    int64_t removedEnd = 0;
    // Where the caret goes (the host lowers it to the new length); the selection is cleared.
    int64_t caret = 0;
    // The view before the command: a display that showed the whole file shows the whole new one,
    // any other keeps its zoom level and first frame.
    uint32_t zoom = 0;
    bool atMaxZoom = true;
    uint32_t left = 0;
    // The display shows the whole new file, whatever it showed before.
    bool showWhole = false;
};

// The main window's side of the commands.
class EditHost {
public:
    virtual ~EditHost();
    virtual EditView editView() const = 0;
    // The document's working file may be edited: its background copy has ended well (the host
    // waits for it under the progress window) and it is not read-only.
    virtual bool readyForEditing(TDocumentRecord& document) = 0;
    // Peaks, zoom, overview, caret, position and selection fields for the working file: 0, or the
    // code of a failure already shown.
    virtual int refreshViews(TDocumentRecord& document, const EditRefresh& refresh) = 0;
    // Called before an edit that ends in refreshViews with this refresh, should it succeed: the
    // host may start work for it on a worker meanwhile.
    virtual void prepareViews(const TDocumentRecord& document, const EditRefresh& refresh)
    {
        (void)document;
        (void)refresh;
    }
    // The save dialog of the to-file forms; empty when the user cancelled.
    virtual QString askTargetFile() = 0;
    // The panel and the status bar changed: the window shows them.
    virtual void controlsChanged(const TDocumentRecord& document, const ControlPanel& panel) = 0;
};

// The file steps of an edit's commit and of the rotation, replaceable so a test can make each fail.
struct EditFileSteps {
    // Moves a file onto another name, replacing it: true on success.
    std::function<bool(const QString& from, const QString& to)> move = editor::MoveFileOver;
    // Deletes a file: true when it is gone, also when there was none.
    std::function<bool(const QString& path)> remove = [](const QString& path) {
        return QFile::remove(path) || !QFile::exists(path);
    };
};

// The commands' own codes (message ids of the editor's string table).
namespace EditCode {
inline constexpr int CannotMakeRedo = 133;    // the working file could not become the redo file
inline constexpr int CannotComplete = 137;    // the new file could not become the working file
inline constexpr int CannotMakeUndo = 177;    // the working file could not become the undo file
inline constexpr int CannotUndo = 178;        // the undo file could not become the working file
} // namespace EditCode

// Undo is offered while the undo file holds something, redo while the redo file does.
bool hasUndoData(const TDocumentRecord& document);
bool hasRedoData(const TDocumentRecord& document);

class EditCommands {
public:
    // panel: the main window's control states, changed by the commands and shown through the host.
    // readInfo: the file information of a WAV, 0 or the WAV reader's code (readWaveFileInformation).
    EditCommands(EditHost& host, EditLibrary& library, JobRunner& runner, const platform::Messages& messages,
                 ControlPanel& panel, std::function<int(const QString&, FileInformation&)> readInfo,
                 EditFileSteps files = {});

    // Each returns 0 (also when there was nothing to do), or the code of a failure already shown
    // (129 after a cancel, shown as a warning).
    int cut(TDocumentRecord& document, bool toFile = false);
    int copy(TDocumentRecord& document, bool toFile = false);
    // At the caret, or after the selection, which the pasted audio then replaces. An empty source
    // pastes the clipboard; a source file pastes that file.
    int paste(TDocumentRecord& document, const QString& source = {});
    int clear(TDocumentRecord& document);
    int crop(TDocumentRecord& document);
    // channels: 3 both, 1 the left only, 2 the right only.
    int mute(TDocumentRecord& document, int channels);
    // Removes the silence at both ends of the selection (of the whole file without one); the
    // threshold is a percentage of full scale.
    int trimSilence(TDocumentRecord& document, double thresholdPercent);
    int undo(TDocumentRecord& document);
    int redo(TDocumentRecord& document);
    // Inserts durationMs of silence at the caret, or in place of the selection. On success
    // *silence (when given) holds the first frame of the silence and its end.
    int insertSilence(TDocumentRecord& document, int64_t durationMs,
                      std::pair<int64_t, int64_t>* silence = nullptr);
    // The working file replaced by what convert writes from it into output (0 or a code already
    // shown), as one step of undo; the display then shows the whole file, the caret at 0.
    using Conversion = std::function<int(const QString& source, const QString& output)>;
    int changeFormat(TDocumentRecord& document, const Conversion& convert);

private:
    // Runs one edit process under the progress window.
    int runProcess(const QString& caption, const JobRunner::ProcessStart& start);
    // Runs the edit into a fresh file beside the working file and makes it the working file.
    // edit gets the output's name and returns the process's result.
    int commit(TDocumentRecord& document, const std::function<int(const QString& output)>& edit,
               const EditRefresh& refresh);
    // commit with one edit process, run under the progress window with caption.
    using ProcessIntoFile = std::function<int(const QString& output, uint32_t* cell)>;
    int commitProcess(TDocumentRecord& document, const QString& caption, const ProcessIntoFile& edit,
                      const EditRefresh& refresh);
    // The ordered selection of a command that needs one; none when the document cannot be edited
    // or nothing is selected.
    std::optional<std::pair<int64_t, int64_t>> selectedRange(TDocumentRecord& document);
    // Undo and redo share one rotation, run the one way or the other.
    int rotate(TDocumentRecord& document, bool undoing);
    // After the display failed to show the other state: from goes back to its name, the working
    // file's old audio back from keep, and the display to the working file.
    void rollBack(TDocumentRecord& document, const QString& from, const QString& keep, bool undoing,
                  const EditRefresh& reopen);
    // The file information and the format of the working file read again: 0 or a shown code.
    int reloadInformation(TDocumentRecord& document);
    // Undo and Redo offered as the undo and redo files say, also after a rotation that failed
    // half-way.
    void followFiles(const TDocumentRecord& document);
    void updateControls(TDocumentRecord& document);
    void showError(int id) const;

    EditHost& m_host;
    EditLibrary& m_library;
    JobRunner& m_runner;
    const platform::Messages& m_messages;
    ControlPanel& m_panel;
    std::function<int(const QString&, FileInformation&)> m_readInfo;
    EditFileSteps m_files;
};
