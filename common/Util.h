#pragma once
// The small routines that the windows of both programs share: zero-padded numbers, position texts,
// a cancellable copy with progress, file size and write time, version texts, the peak cache's file
// name, path and extension text, hexadecimal text, a simulated click, conversion of a compressed
// WAV to a PCM temporary file, and whether the editor runs. The WAV routines of the same family
// are in WaveUtil.h.
//
// Paths use "/" (a trailing "/" marks a folder). Failures are message ids of the string table.

#include "common/WaveFormat.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

class QObject;
namespace platform {
class Messaging;
}

// text with "0" in front until it is width characters long; a longer text is returned unchanged.
QString PadWithZeros(const QString& text, int width);

// ms as minutes (3 digits), seconds (2) and milliseconds (3), each padded with zeros.
void MsToMinSecMs(uint32_t ms, QString& minutes, QString& seconds, QString& milliseconds);
int64_t MinSecMsToMs(int64_t minutes, int64_t seconds, int64_t milliseconds);

// Size of a CopyFileWithProgress block.
inline constexpr int kCopyBlockSize = 65520;

// Copies source to target in blocks, on a worker thread. percent gets the share copied so far
// (0..100); cancelWord is read before each block and any value but 1 stops the copy with 129.
// The copy is written beside the target under a temporary name and replaces it only when it is
// complete, so a cancelled or failed copy leaves an existing target as it was (and creates none).
// Source and target that are one file (the same path, a link, another spelling) copy nothing.
// Returns 0, or: 104 no memory, 129 cancelled, 148 no source (the caller names the file in the
// message), 149 the source cannot be opened, 150 the target cannot be created or put in place,
// 151 the source's size cannot be read, 152 the source ended early or could not be read,
// 153 a write failed (the disk is full).
int CopyFileWithProgress(const QString& source, const QString& target, std::atomic<int32_t>& percent,
                         const std::atomic<int32_t>& cancelWord);
// CopyFileWithProgress for a program's own working copy of a file the user keeps: the copy is not
// flushed to the disk before it takes the target's place, since a crash makes it worthless anyway.
int CopyScratchFileWithProgress(const QString& source, const QString& target, std::atomic<int32_t>& percent,
                                const std::atomic<int32_t>& cancelWord);

// Size in bytes; 0 when the file cannot be opened for reading (folders included), -1 when its size
// cannot be read.
int64_t GetFileSizeByName(const QString& file);

// How reading a file's last-write time ended.
enum class FileWriteTimeRead {
    Ok,
    CannotOpen,  // missing, unreadable, or no regular file (a folder, a pipe, a device)
    CannotQuery, // opened, but its time could not be read
};
// The last-write time in nanoseconds since the epoch (see platform/FileTime.h) of a regular file
// opened for reading; time is left alone on failure. The one way both the utilities and the
// waveform display read it.
FileWriteTimeRead readFileWriteTime(const QString& file, int64_t& time);

// readFileWriteTime as a yes or no.
bool GetFileLastWriteTime(const QString& file, int64_t& time);

// The system's version class. Always 7, the newest: there is no record-source list on this
// system, every input device is its own source.
int GetWindowsVersionClass();

// The program's product version, from the build; "No Version Information Found" without one.
QString GetProductVersion();

// The name of a WAV's peak cache: the WAV's name up to the last "." of its file name (the whole
// name when it has none) followed by ".vxp". That file is opened for reading and writing and made
// (empty) when missing; when this fails (a read-only or vanished folder) the cache goes to
// fallbackFolder (the preferences' temporary folder) under the bare name with a mark of the WAV's
// folder, so same-named WAVs of different folders never share a cache.
QString GetPeakFileName(const QString& waveFile, const QString& fallbackFolder);

// Appends "/" unless the path already ends with one. An empty path stays empty (it must not turn
// into the root folder).
void AddTrailingBackslash(QString& path);

// The text before its first "." (the whole text without one). For bare names only: a dot in a
// folder name would cut the path there.
QString RemoveFileExtension(const QString& text);

// The value of the hexadecimal digits at the start of text, up to the first other character;
// 0 without a digit. More than eight digits wrap around as 32-bit arithmetic does.
int HexToInt(const QString& text);

// Posts a left-button press and then a release at (1, 0) to the window, as a user's click would
// arrive: handled after the caller returns to the event loop, ignored by a disabled window.
void SimulateClick(QObject* window);

// Makes a new empty temporary WAV file and returns its path; empty when none could be made.
using TempWaveNameProvider = std::function<QString()>;
// Converts source into a PCM WAV of format at target; 0 on success, else a player code.
using PcmConversion = std::function<int(const QString& source, const QString& target, const WaveFormatEx& format)>;

// Converts a (compressed) WAV into a new temporary PCM WAV of format and returns its name; on
// failure the temporary file is deleted and the result is empty.
QString ConvertToPcmTempFile(const QString& source, const WaveFormatEx& format,
                             const TempWaveNameProvider& newTempWaveName, const PcmConversion& convert);

// True when the editor's main window is there: a window of the class "TMainForm" (compared without
// case) whose caption contains "Vexal Audio Zuq Editor", found through the programs' messaging.
bool IsEditorRunning(platform::Messaging& messaging);

// There is no system MP3 codec on this system (MP3 is encoded with the encoder library): false.
bool IsMp3AcmCodecInstalled();

// The install folder of another product, found by its uninstall entry. No product registers one on
// this system: always empty.
QString FindInstallFolderByUninstallKey(const QString& product);
