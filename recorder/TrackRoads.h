#pragma once
// The recording window's roads into its tracks: Import Voice Track, Import Music Track and
// File > Open. They own the two track records and the recording format; what they do to the window
// (displays, control states, rulers, the save and close roads, the format conversion window) goes
// through TrackHost, which the form implements.
//
// A new file is loaded before the track it replaces is dropped, so a failed load leaves the window
// as it was.
#include "recorder/SetControlState.h"
#include "recorder/TrackLoader.h"

#include <QString>

#include <optional>

namespace recorder {

class TrackHost {
public:
    virtual ~TrackHost() = default;
    // The track's save road; true when the track is saved afterwards.
    virtual bool saveTrack(TrackSide side) = 0;
    // Closes the file shown in the side's display.
    virtual void closeTrackDisplay(TrackSide side) = 0;
    // Converts the working WAV into format with the format conversion window, which puts the
    // track on the converted WAV (setWorkingPath): 0, or the code it has shown.
    virtual int convertTrackFormat(TrackSide side, const QString& workingWav, const WaveFormatEx& format) = 0;
    // Reopens the side's display on its working WAV (peak cache) and shows the whole track.
    virtual void reloadTrack(TrackSide side) = 0;
    // The padded WAV's new write time becomes its watcher's baseline, so the padding is not
    // reported as an outside edit.
    virtual void padded(TrackSide side) = 0;
    virtual void setCaretToStart(TrackSide side) = 0;
    virtual void setControlState(ControlState state) = 0;
    // The position box at sample 0; the position slider and the rulers for the side's display.
    virtual void showTrackLayout(TrackSide side, int64_t totalFrames) = 0;
    // File > Close: false when the user kept the tracks.
    virtual bool closeTracks() = 0;
    // File > Open: opens the voice display on the working WAV (building its peaks under
    // the caption) at its highest zoom level; 0, or the code it has shown.
    virtual int openVoiceDisplay(const QString& workingWav, const QString& caption) = 0;
    // File > Open's end: the voice-track layout, the window caption with the file's name, the
    // fader at 0 and the record and Mix buttons disabled.
    virtual void showOpenedFile(const QString& fileName) = 0;
};

// The file opened by File > Open, kept for the upload road.
struct MixedFile {
    QString path;
    QString extension; // with its dot
    int64_t size = 0;
};

class TrackRoads {
public:
    TrackRoads(TrackLoadServices& services, BusyFlag& busy, TrackHost& host);

    void OpenVoiceTrackClick() { importTrack(TrackSide::Voice); }
    void OpenMusicTrackClick() { importTrack(TrackSide::Music); }
    void FileOpenMenuClick();

    const std::optional<TrackRecord>& track(TrackSide side) const
    {
        return side == TrackSide::Voice ? m_voice : m_music;
    }
    std::optional<TrackRecord>& track(TrackSide side) { return slot(side); }
    // The host's format conversion put the side's track on a new working WAV.
    void setWorkingPath(TrackSide side, const QString& path)
    {
        if (std::optional<TrackRecord>& record = slot(side))
            record->workingPath = path;
    }
    // Sample rate 0: not set yet (the first track sets it).
    const WaveFormatEx& recordingFormat() const { return m_recordingFormat; }
    void setRecordingFormat(const WaveFormatEx& format) { m_recordingFormat = format; }
    // The format of the tracks closed last, kept when the tracks are closed.
    const WaveFormatEx& previousRecordingFormat() const { return m_previousFormat; }
    const MixedFile& mixedFile() const { return m_mixed; }

    // The tracks are closed: the recording format becomes the previous one and is cleared, and the
    // mixed file is forgotten.
    void forgetClosedTracks();
    // The tracks no longer stand for the file File > Open opened (they were cleared, or a take
    // changed them): leaving them asks about saving again.
    void forgetMixedFile() { m_mixed = MixedFile(); }
    // The tracks were mixed down into this file.
    void setMixedFile(const MixedFile& mixed) { m_mixed = mixed; }

    // Deletes the side's working WAV and its peak cache, closes its display and forgets the track.
    void dropTrack(TrackSide side);
    // dropTrack, and the peak cache of the file the track was saved to goes too (the user's file
    // itself, and a file of another kind under the cache's name, stay).
    void unloadTrack(TrackSide side);

private:
    std::optional<TrackRecord>& slot(TrackSide side) { return side == TrackSide::Voice ? m_voice : m_music; }
    void importTrack(TrackSide side);
    // Converts the side's working WAV to the recording format when it differs; false (the track
    // dropped, the failure shown) when that fails.
    bool unifyFormat(TrackSide side);
    void showTracks(TrackSide side);

    TrackLoadServices& m_services;
    BusyFlag& m_busy;
    TrackHost& m_host;
    std::optional<TrackRecord> m_voice;
    std::optional<TrackRecord> m_music;
    WaveFormatEx m_recordingFormat;
    WaveFormatEx m_previousFormat;
    MixedFile m_mixed;
};

} // namespace recorder
