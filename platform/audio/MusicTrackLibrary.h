#pragma once
// The music-track library of the recorder: the music take into which the pads are mixed (see
// MusicTake.h for its clocks), the pads themselves, and the two messages it posts to its callback
// window: 0x52D when a pad has played to its end (wParam = the pad index) and 0x52E when the take
// ended by itself (it could not be written, or the output it runs on went away).
//
// Contract
// - Calls from the GUI thread; results are player codes (see AudioEngine.h), 0 = success.
// - PrepareMusicTrack (re)creates the take's file in the recording format and opens the output.
//   While a voice recording of the engine runs, the take follows the voice capture and starts at
//   the voice take's frame 0 with silence, so both files have the same length and stay aligned;
//   otherwise it runs on the output's clock from the moment it is prepared.
// - Pad files must be PCM in the take's format (callers convert them first); 104 otherwise.
// - 0x52D is posted for a pad that played to its end and for each pad stopped by
//   StopPlaybackOfCurrentMixingTrack or StopPlaybackOfAllTracks (the window does not clear those
//   itself); not for StopMixFile, which the window asks for by index. A 0x52D whose pad was started
//   again, stopped by index, or whose take was stopped since it was posted is not delivered.
// - Pausing a take that follows the voice capture is the voice recording's pause (both are paused
//   together); a take on the output's clock pauses its output.
// - StopMusicTrackRecording returns when the file is complete; after the take ended by itself it
//   returns that take's code (301) once.
// - The library must be destroyed before its engine.
//
// Codes besides the file codes: 104, 105, 117 (an empty pad file, or a pad index outside 0..35),
// 152 invalid output index, 201 take format not supported, 203 take file not created, 206 a take
// already runs, 207 no take file name, or no take prepared for a pad.

#include "common/WaveFormat.h"
#include "platform/audio/MusicTake.h"
#include "platform/audio/NotificationPoster.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>

namespace platform::audio {

class AudioEngine;

class MusicTrackLibrary {
public:
    explicit MusicTrackLibrary(AudioEngine& engine);
    ~MusicTrackLibrary();
    MusicTrackLibrary(const MusicTrackLibrary&) = delete;
    MusicTrackLibrary& operator=(const MusicTrackLibrary&) = delete;

    void SetCallbackWindowHandle(QObject* window);
    // outputDevice: an index of the engine's output list, or -1 for the server's default.
    uint16_t PrepareMusicTrack(const QString& path, WaveFormatEx format, int outputDevice);
    // Music only: a take lined up with the engine's playback (the voice), which must be running
    // without a voice recording. The take's frame 0 is the playback frame heard now, and a pad lands
    // on the take's frame that stands for the playback frame heard when it was fired: the output
    // renders ahead of what is heard by its latency, which is taken off. *playbackPosition gets that
    // frame in unit (1 frames, 0 ms). Codes as PrepareMusicTrack, and 117 when nothing plays (or
    // for another unit), 206 while a voice recording runs.
    uint16_t PrepareMusicTrackOverdub(const QString& path, WaveFormatEx format, int outputDevice, int unit,
                                      int64_t* playbackPosition);
    // loop: non-zero plays the pad again from its start each time it ends.
    uint16_t MixFileWithMusicTrack(const QString& path, int index, int loop);
    uint16_t StopMixFile(int index);
    uint16_t StopPlaybackOfCurrentMixingTrack();
    uint16_t StopPlaybackOfAllTracks();
    uint16_t PauseMusicRecording();
    uint16_t ResumeMusicRecording();
    uint16_t StopMusicTrackRecording();
    // Frames (unit 1) or milliseconds (unit 0) in the take; 0 without a take.
    int64_t MusicGetRecordPosition(int unit);
    // The gain of what the pads play aloud (the take itself is written at unity).
    uint16_t SetWaveOutAttenLevel(float gain);

private:
    uint16_t prepare(const QString& path, const WaveFormatEx& format, int outputDevice, bool overdub);
    bool deliver(const platform::PostedMessage& message);
    void postStopped(const std::vector<MusicTake::StoppedPad>& pads);
    uint16_t endTake();

    AudioEngine& m_engine;
    NotificationPoster m_poster;
    std::unique_ptr<MusicTake> m_take;
    intptr_t m_takeNumber = 0;
    uint16_t m_endedCode = 0; // of a take that ended by itself, for the next StopMusicTrackRecording
    std::map<int, uint32_t> m_padGenerations; // the pad playing at each index
    uint32_t m_nextGeneration = 0;
    float m_attenuation = 1.0f;
};

} // namespace platform::audio
