#pragma once
// The player library's edit processes: cut, copy, paste, clear, crop, mute, trim silence and insert
// silence on PCM WAV files (8 or 16 bits, 1 or 2 channels), each run as a polled process on its own
// thread. The audio engine owns one and passes its calls on.
//
// Protocol (every call from the GUI thread). A start call checks its arguments and the files and
// returns 0 with the process's handle written into the caller's cell, or a code with the cell set
// to 0 and nothing started. The caller polls AudioEditProcessIsOver (1 = over) and
// AudioEditGetProcessProgress (0..100, never going down), may call AudioEditCancelPressed, reads
// AudioEditGetReasonForProcessExit once it is over (0 success, 129 cancelled, else a code below),
// and always ends with AudioEditCloseHandle on the cell's address, which waits for a process that
// still runs, frees it and sets the cell to 0.
//
// Files. Each output is a complete new WAV (the header, then the samples; chunks after the samples
// of an input are not carried over) written under a temporary name beside it and renamed over it
// only when the whole edit is done, so a failed or cancelled process leaves no output, and its
// inputs are never changed. An empty result name edits the file in place: the new version replaces
// it in the same way. Cut and Copy without a target file keep the cut or copied audio in the
// engine's clipboard, a WAV in the engine's temporary folder (SetTempPath) that lives as long as the
// engine; Paste without a source pastes it.
//
// Positions are frames with unit 1 and milliseconds with unit 0 (round half to even of ms x rate /
// 1000). A range may be given with its ends in either order; [start, end) is edited.
//
// Codes (PlayerCodes.h; the player code map shows them)
//   102 an input cannot be opened            310 the engine is playing
//   104 an input is PCM the engine does not  312 nothing to paste: the clipboard is empty
//       edit (not 8/16 bits, 1/2 channels)   313 a position or range outside the file, a
//   108 no RIFF WAVE / no usable "fmt "          negative length, or an unknown unit
//   110 no "data" chunk                      318 an input is not PCM (a compressed WAV)
//   301 an output cannot be created or       319 an output names an input it may not replace,
//       written                                  or cannot be put in place
//   302 cut of an empty range                320 clear of an empty range
//   303 the disk of an output is full        321 crop of an empty range
//   304 out of memory                        322 a clipboard call without a usable temp folder
//   306 copy of an empty range               323 an unknown handle, or no cell
//   307 the file to paste cannot be opened   360 an output would pass the 4 GiB limit of a WAV
//   308 the file to paste differs in format  129 exit reason of a cancelled process
// The engine keeps no undo of its own: AudioEditSetUndoRedo is accepted and changes nothing, so the
// codes of the library's undo (305, 314-317) never occur.

#include "platform/base/PolledProcess.h"
#include "platform/audio/EditFiles.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace platform::audio {

struct EditJob;

class EditProcesses {
public:
    // playing: whether the engine plays now; tempFolder: the engine's temporary folder (empty when
    // none was set).
    EditProcesses(std::function<bool()> playing, std::function<QString()> tempFolder,
                  EditEnvironment environment = {});
    // Waits for every process still open, then removes the clipboard file.
    ~EditProcesses();
    EditProcesses(const EditProcesses&) = delete;
    EditProcesses& operator=(const EditProcesses&) = delete;

    // result = target[0, position) + source + target[position, end); an empty source pastes the
    // clipboard.
    uint16_t AudioPasteEx(const QString& target, int64_t position, int unit, uint32_t* cell, int,
                          const QString& source, const QString& result);
    // result = file without [start, end); the range goes to the clipboard, or to target.
    uint16_t AudioCut(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int,
                      const QString& result);
    uint16_t AudioCutInFile(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int,
                            const QString& target, const QString& result);
    // The range into the clipboard, or into target.
    uint16_t AudioCopy(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int);
    uint16_t AudioCopyInFile(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int,
                             const QString& target);
    // result = file without [start, end).
    uint16_t AudioClear(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int,
                        const QString& result);
    // result = [start, end) of file.
    uint16_t AudioCrop(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int,
                       const QString& result);
    // result = file with [start, end) silent on the channels of the code: 3 both, 1 the left only, 2
    // the right only (a mono file's channel for any of them). An empty range copies the file.
    uint16_t AudioEditMute(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int,
                           int channels, const QString& result);
    // result = file with the silence at the start and at the end of [start, end) removed (all of
    // the range when it is all silence). Silence: every sample of a frame within threshold
    // hundredths of a percent of full scale (the editor's default 0.03 % is 3).
    uint16_t AudioEditTrimSilence(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int,
                                  uint16_t threshold, const QString& result);
    // result = file with durationMs of silence (round half to even of ms x rate / 1000 frames)
    // inserted at position.
    uint16_t AudioInsertSilence(const QString& file, int64_t position, int unit, uint32_t* cell, int,
                                int64_t durationMs, const QString& result);

    // 1 when the process is over (also for an unknown handle, so no poll waits forever), else 0.
    int AudioEditProcessIsOver(uint32_t handle) const;
    // Percent done, 0..100; 0 for an unknown handle.
    int AudioEditGetProcessProgress(uint32_t handle) const;
    // The exit reason once over (0 before); 323 for an unknown handle.
    int AudioEditGetReasonForProcessExit(uint32_t handle) const;
    // Asks the process to stop; it ends with 129 soon after, leaving no output. 0, or 323.
    uint16_t AudioEditCancelPressed(uint32_t handle);
    // Waits for the process to end (a running one is not cancelled), frees it and sets *cell to 0.
    // 0, also for a cell that holds 0; 323 for a missing cell or an unknown handle.
    uint16_t AudioEditCloseHandle(uint32_t* cell);

    // 1 when the clipboard holds audio to paste, else 0.
    int AudioEditCanPaste() const;
    uint16_t AudioEditSetUndoRedo(int enable);

private:
    struct Range;
    // Every start call's first step: 323 without a cell, else the cell set to 0, then 310 while the
    // engine plays.
    uint16_t prepareStart(uint32_t* cell) const;
    // The start step, then the input file opened into job and [start, end) checked against it:
    // emptyCode (unless 0) for an empty range.
    uint16_t openRange(uint32_t* cell, const QString& file, int64_t start, int64_t end, int unit,
                       uint16_t emptyCode, EditJob& job, Range& range);
    // The clipboard's file, made on first use; 322 when there is no temporary folder to make it in.
    uint16_t clipboard(QString& path);
    // Starts the job's process: 0 with its handle in *cell, or 360 and 301 for outputs that cannot be
    // written, 304.
    uint16_t launch(EditJob& job, uint32_t* cell);

    // The clipboard's WAV, removed with the engine (after its processes ended).
    struct ClipboardFile {
        ~ClipboardFile();
        QString path;
    };

    std::function<bool()> m_playing;
    std::function<QString()> m_tempFolder;
    EditEnvironment m_environment;
    ClipboardFile m_clipboard;
    platform::ProcessTable m_processes; // last: destroyed, so joined, first
};

} // namespace platform::audio
