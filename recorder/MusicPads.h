#pragma once
// The recording window's music pads without widgets: twelve slots on each of three pages (the
// first, the Shift and the Control page; the window uses the first throughout), the file each slot
// plays, and the rules by which pads start and stop in the music-track library.
//
// While the music take of a recording runs, a pad is mixed into it. Otherwise the first pad started
// prepares a temporary music take of its own, which is ended and deleted when the last pad stops.
// Every pad plays from a working WAV in the temporary folder, made from the file the user assigned
// and kept in the recording format (when one is set), so the library mixes it without converting.
//
// Pad lists (".mfl") and the last-used pads in the settings store keep the first page's source
// paths and captions. GUI thread only.

#include "common/WaveFormat.h"
#include "recorder/TakeRecording.h"
#include "recorder/TrackLoader.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class JobRunner;

namespace platform {
class Messages;
class SettingsStore;
namespace audio {
class MusicTrackLibrary;
}
}

namespace recorder {

inline constexpr int kPadSlots = 12;
inline constexpr int kPadPages = 3;
// The temporary folder needs more than this many free bytes before pads play on their own.
inline constexpr int64_t kPadSpaceBytes = 1'048'576;

enum class PadPage { First = 1, Shift = 2, Control = 3 };

// The index the music-track library knows a pad by: slot + 12 x (page - 1), 0..35.
int padIndex(PadPage page, int slot);
// "F1".."F12".
QString defaultPadCaption(int slot);
// The file name without its folder, up to its first ".", cut to 8 characters.
QString padCaptionOf(const QString& file);

struct PadSlot {
    QString working; // the WAV that plays; empty while the pad is free
    QString caption; // empty: the default caption
    QString source;  // the file the user assigned
    bool loop = false;
    bool playing = false;
};

struct MusicPadServices {
    MusicPadServices(platform::audio::MusicTrackLibrary& library_, const platform::Messages& messages_)
        : library(library_), messages(messages_)
    {
    }

    platform::audio::MusicTrackLibrary& library;
    const platform::Messages& messages;
    std::function<QString()> tempFolder;
    FreeSpaceFunction freeSpace;
    std::function<int()> outputDevice; // -1: the server's default
    // Whether the music take of a recording runs (pads are then mixed into it).
    std::function<bool()> musicRecording;
    // The recording format (samplesPerSec 0 while none is set) and its change, which the window shows.
    std::function<WaveFormatEx()> recordingFormat;
    std::function<void(const WaveFormatEx&)> setRecordingFormat;
    // Makes a new working WAV from a user's file (copied, or decoded from MP3 or WMA): 0 and
    // *working, or the code it has shown already; 129 when the user cancelled.
    std::function<int(const QString& file, QString* working)> import;
    // Converts a WAV into a new temporary WAV of format: 0 and *converted, or a code (not shown).
    std::function<int(const QString& wave, const WaveFormatEx& format, QString* converted)> convert;
    // Stops the player (the voice and music playback), showing its failure.
    std::function<void()> stopPlayer;
    // What the window shows of the pads: a page's buttons changed; "Stop All Segments" is enabled.
    std::function<void(PadPage page)> pageChanged;
    std::function<void(bool enabled)> stopAllEnabled;
};

class MusicPads {
public:
    explicit MusicPads(MusicPadServices services);
    // Deletes every working file; a temporary take still running is ended and deleted.
    ~MusicPads();
    MusicPads(const MusicPads&) = delete;
    MusicPads& operator=(const MusicPads&) = delete;

    const PadSlot& slot(PadPage page, int slot) const { return m_pages[pageRow(page)][std::size_t(slot)]; }
    PadPage currentPage() const;
    // The caption a button shows, and its tooltip: the trimmed file name of the source.
    QString caption(PadPage page, int slot) const;
    QString hint(PadPage page, int slot) const;
    bool padsActive() const { return m_active; }
    QString temporaryTake() const { return m_takePath; }
    bool anyPadAssigned() const;
    bool firstPageAssigned() const;

    // The pad button (or its key): starts or stops the current page's pad of that slot.
    void EffectButtonClick(int slot);
    // The library's news that pad index stopped (played to its end, or stopped with others).
    void padEnded(int index);
    // Every pad stops with the temporary take; then the player stops.
    void StopAllPads();
    void StopAllSegmentsClick();
    void CurrentClick();
    // Esc: the pad started last while recording, else every pad.
    void escape();
    // A recording ended, and with it the pads that played into its music take (or on its clock).
    void recordingEnded();

    // Assigns file (empty: frees the pad) with its caption (empty: the caption rule) to the slot of
    // the current page; true when the pad holds the file. A failure is shown and leaves the pad free.
    bool LoadSegmentFile(int slot, const QString& file, const QString& caption);
    void ClearPad(int slot);
    void toggleLoop(int slot);

    // Makes every pad's working WAV again in format; the pads that fail are freed and listed in one
    // warning. The caller sets the recording format.
    void ConvertSegmentsToFormat(const WaveFormatEx& format);

    // ".mfl" pad lists of the first page. Saving writes nothing when no pad holds a file (false);
    // a list that cannot be read leaves the pads as they are. Both show their failures.
    bool saveList(const QString& path);
    bool loadList(const QString& path);

    // The last-used pads of the first page in the settings store.
    bool SaveLastUsedPadFiles(platform::SettingsStore& store) const;
    // The number of stored paths that are not empty (0 without the key); they are kept for Restore.
    int LoadLastUsedPadFiles(const platform::SettingsStore& store);
    int ReadLastUsedPadFiles(const platform::SettingsStore& store);
    // Assigns the stored pads of the slots that use says to restore; frees the others.
    void RestoreLastUsedPadFiles(const std::array<bool, kPadSlots>& use);
    const std::array<QString, kPadSlots>& storedPaths() const { return m_storedPaths; }
    const std::array<QString, kPadSlots>& storedCaptions() const { return m_storedCaptions; }

private:
    static std::size_t pageRow(PadPage page) { return std::size_t(int(page) - 1); }
    PadSlot& at(PadPage page, int slot) { return m_pages[pageRow(page)][std::size_t(slot)]; }
    // One assignment of a pass: nothing once an import of the pass was cancelled.
    bool assign(int slot, const QString& file, const QString& caption);
    bool anyPlaying() const;
    void changed(PadPage page);
    void setStopAll(bool enabled);
    // Prepares the temporary take; false (shown) when it cannot run.
    bool startTemporaryTake();
    void endTemporaryTake();
    void stopOne(int index);
    void freeSlot(PadSlot& pad);
    // The working WAV of a file in the recording format: 0 and *working, or a code (shown).
    int makeWorkingWave(const QString& file, QString* working);
    void showIncompatible(const QString& file) const;

    MusicPadServices m_services;
    std::array<std::array<PadSlot, kPadSlots>, kPadPages> m_pages;
    bool m_active = false;
    QString m_takePath;
    bool m_importCancelled = false; // in the current pass of assignments
    std::array<QString, kPadSlots> m_storedPaths;
    std::array<QString, kPadSlots> m_storedCaptions;
};

// The key of the last-used pads in the settings store.
QString lastUsedPadsKey();

// The window's import of a pad file: a working WAV made as a music track's is, copied with the
// caption "Loading File... " and the file name. 0 and *working, or the code it has shown.
int importPadFile(TrackLoadServices& services, BusyFlag& busy, const QString& file, QString* working);
// A WAV converted into a new temporary WAV of format in folder on a worker under the progress
// window: 0 and *converted, or a code (not shown).
int convertPadWave(JobRunner& runner, const QString& folder, const QString& wave, const WaveFormatEx& format,
                   QString* converted);

} // namespace recorder
