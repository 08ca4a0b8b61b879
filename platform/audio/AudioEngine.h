#pragma once
// The player library of both programs: devices, playback of one WAV or two mixed, recording into a
// WAV, the level test, file information, MixData and the playback gains; previews of compressed
// files and sets of files; the edit processes (EditProcesses.h) and the PCM conversion of a
// compressed WAV (PcmConversion.h). One engine per process,
// made on the GUI thread over a backend (PulseBackend in the programs, VirtualBackend in tests),
// which must outlive it; the music-track library (MusicTrackLibrary) works through it.
//
// Contract
// - Every call is made from the GUI thread. Results are 16-bit codes, 0 = success, from the table
//   below (the programs' player code map turns them into messages). A call in the wrong state gives
//   a code of the table or, where the state already holds (stop when stopped, pause when paused),
//   0; never a crash or a wait.
// - Devices are the server's, keyed by their server names. The programs keep an index, so the name is
//   offered beside it (Get...DeviceName, Select...DeviceByName, Find...DeviceIndex): a caller that
//   stores the name as well finds the same device after the order changed. Index -1 selects the
//   server's default device, followed wherever the server moves it. The selection applies to the
//   next playback or recording.
// - Positions are frames with unit 1 and milliseconds with unit 0 (frames x 1000 div rate; from
//   milliseconds: round half to even of ms x rate / 1000). The playback position is the frame being
//   heard: the stream's audible frames, latency included. It never goes backwards except by
//   AudioMoveTo.
// - Levels are 0..100 per channel, linear (100 = full scale), the peak of what was heard (or
//   captured) since the previous call.
// - SetVolume's gains (first pair: the file of a single playback, or the voice of a mix; second:
//   the music of a mix) are atomics that the audio thread reads at each buffer, so a change is
//   heard from the next buffer on. MixData mixes with the same gains.
// - Saturation: see MixData.h. A single playback is scaled and clipped and reports no saturation.
// - The playback-ended message 0x465 goes to the callback window on the GUI thread exactly once
//   for each playback that reaches the end of its range, with wParam = 1 when the mixed sum
//   saturated, and never after AudioStop. A playback whose device fails or goes away ends the same
//   way, and the failure is logged.
// - Disk I/O stays off the audio thread: playback reads ahead on a reader thread (about two seconds
//   per file); a recording goes through a ring to a writer thread, which brings the WAV's header up
//   to date every second of audio, so a crash loses at most the last seconds.
// - Recording (re)creates the named file with the asked format (an empty WAV made beforehand, or a
//   fresh name). Pause drops the captured frames at the audio thread; resume goes on with the next
//   frame, so the take has neither a gap nor a frame twice. An input that fails or goes away ends
//   the take with every frame captured until then as a valid WAV; AudioStopRecord then returns
//   204 (301 when the take could not be written). A take that ends by itself so posts 0x467 to
//   the callback window with that code in wParam, once, and not after AudioStopRecord.
// - The record source of AudioStartRecord is not used: every input device is its own single source.
// - SetEffectState and EffectChanged are accepted and change nothing (the effect presets are not
//   offered).
//
// Codes (see PlayerCodes.h)
//   100 no file name for playback           150 no default output among the devices
//   101 playback already runs / not paused  152 invalid output device index (or unknown name)
//   102 the WAV cannot be opened            153 no default input among the devices
//   104 format the engine cannot play       155 invalid input device index (or unknown name)
//   105 the output device cannot be opened  201 record format not supported
//   107 two files of a mix differ in        203 record file cannot be created
//       format; MixData's format            204 input missing, busy, or lost while recording
//   108 no RIFF WAVE / no usable "fmt "     205 recording cannot start (other failure)
//   109 not PCM                             206 recording or level test already runs
//   110 no "data" chunk                     207 no record file name
//   117 nothing to play in the range; a     301 the take could not be written (disk full,
//       transport call while nothing plays;     4 GiB, disk too slow)
//       a seek outside the range            322 the temp path is not a writable folder
// The edit processes add 301-323 and 360 (see EditProcesses.h), the conversion 350-360.

#include "common/WaveFormat.h"
#include "platform/audio/AudioBackend.h"
#include "platform/audio/EditProcesses.h"
#include "platform/audio/NotificationPoster.h"
#include "platform/audio/PlaybackSession.h"
#include "platform/audio/RecordSession.h"
#include "platform/audio/WaveSource.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

namespace platform::audio {

// What AudioGetFileInfo writes: the file's format and length, then the rest of the format and the
// data size.
struct AudioFileInfo {
    uint16_t bitsPerSample = 0;
    int16_t channels = 0;
    uint32_t lengthMs = 0; // frames x 1000 div samples per second
    uint32_t samplesPerSec = 0;
    uint32_t frames = 0;
    uint32_t dataBytes = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t formatTag = 0;
};
static_assert(sizeof(AudioFileInfo) == 28, "the file-information record is 28 bytes");

// The file information of a PCM WAV, as AudioGetFileInfo gives it, without an engine: 0 or one of
// openPcmWave's codes.
uint16_t readAudioFileInfo(const QString& file, AudioFileInfo& info);

// One file of a preview set: 302 bytes, the file's path (UTF-8, ended by a zero byte) at byte 4.
struct PlaybackSetEntry {
    uint8_t reserved[4] = {};
    char path[298] = {};
};
static_assert(sizeof(PlaybackSetEntry) == 302, "a set's entry is 302 bytes");

// What AudioGetPlaybackSetInfo writes, in the unit asked.
struct PlaybackSetInfo {
    int32_t file = -1;        // the file heard, counted from 0; -1 when no set plays
    int32_t files = 0;
    int64_t position = 0;     // in the whole set
    int64_t filePosition = 0; // within the file heard
    int64_t length = 0;       // of the whole set
};

class MusicTrackLibrary;

class AudioEngine {
public:
    explicit AudioEngine(AudioBackend& backend);
    ~AudioEngine();
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    // Devices.
    int GetNumberOfOutputDevices();
    int GetNumberOfInputDevices();
    uint16_t GetOutputDeviceDescription(int index, QString* description);
    uint16_t GetInputDeviceDescription(int index, QString* description);
    uint16_t GetOutputDeviceName(int index, QString* name);
    uint16_t GetInputDeviceName(int index, QString* name);
    // The index of a device by its server name, or -1 when it is not there.
    int FindOutputDeviceIndex(const QString& name);
    int FindInputDeviceIndex(const QString& name);
    uint16_t GetPreferredOutputDeviceIndex(int* index);
    uint16_t GetPreferredInputDeviceIndex(int* index);
    uint16_t SelectOutputDevice(int index);
    uint16_t SelectInputDevice(int index);
    // An empty name selects the server's default device.
    uint16_t SelectOutputDeviceByName(const QString& name);
    uint16_t SelectInputDeviceByName(const QString& name);

    // The engine's work folder (for the edit processes).
    uint16_t SetTempPath(const QString& folder);
    QString tempPath() const { return m_tempPath; }
    // The receiver of 0x465 and 0x467 (a PostedMessage event on its thread).
    void SetCallbackWindow(QObject* window);
    QObject* callbackWindow() const { return m_poster.receiver(); }

    // Playback of [start, end) of file; an end of 0 (or past the file) plays to its end. The two
    // zeros of the calling convention are not used.
    uint16_t AudioPlayWave(const QString& file, int64_t start, int unit, int, int, int64_t end);
    // The voice and the music mixed over the voice's range; the music is silent past its end.
    // preventSaturation: non-zero (the programs pass -1) selects prevention.
    uint16_t AudioPlayMixWave(const QString& voice, const QString& music, int64_t start, int unit, int, int,
                              int64_t end, int preventSaturation);
    uint16_t AudioPause();
    uint16_t AudioResume();
    uint16_t AudioStop();
    uint16_t AudioMoveTo(int64_t position, int unit);
    // The position heard; 0 when nothing plays (and for a unit other than 0 or 1).
    int64_t AudioGetPosition(int unit);
    uint16_t AudioGetPlaybackLevel(int* left, int* right);

    // Recording from the selected input into file.
    uint16_t AudioStartRecord(const QString& file, uint32_t samplesPerSec, uint16_t bitsPerSample, uint16_t channels,
                              int recordSource);
    // An overdub: recording while a playback runs, lined up with what the speaker played. The take's
    // frame 0 is the playback's frame heard when this call was made (the output's latency is in
    // the playback position), and the input's latency is taken off, so a sound played at frame p
    // and picked up by the microphone lands at take frame p - *playbackPosition. *playbackPosition
    // gets that frame of the playing file in unit (1 frames, 0 ms). Codes as AudioStartRecord, and
    // 117 when nothing plays (or for another unit).
    uint16_t AudioStartOverdubRecord(const QString& file, uint32_t samplesPerSec, uint16_t bitsPerSample,
                                     uint16_t channels, int recordSource, int unit, int64_t* playbackPosition);
    // Frames (or ms) in the take; 0 when no recording runs.
    int64_t AudioGetRecordPosition(int unit);
    uint16_t AudioGetRecordLevel(int* left, int* right);
    uint16_t PauseRecording();
    uint16_t ResumeRecording();
    uint16_t AudioStopRecord();
    // Levels of the selected input without a take; a recording started later ends the test.
    uint16_t AudioStartRecordLevelTest(uint32_t samplesPerSec, uint16_t bitsPerSample, uint16_t channels);
    uint16_t AudioStopRecordLevelTest();

    // The format and length of a PCM WAV (an empty one too). The two numbers of the calling
    // convention are not used.
    uint16_t AudioGetFileInfo(AudioFileInfo* info, const QString& file, int, int);

    // Mixes buffer 2 into buffer 1 with the current gains; see mixData in MixData.h.
    uint16_t MixData(void* buffer1, int64_t count1, const void* buffer2, int64_t count2, int channels, int bits,
                     int preventSaturation, int* saturated);
    // Gains of 1.0 leave a track unchanged; negative or NaN gains are taken as 0, gains above 1000
    // as 1000.
    uint16_t SetVolume(float firstLeft, float firstRight, float secondLeft, float secondRight);
    uint16_t SetEffectState(int effect, int on);
    uint16_t EffectChanged();

    // Previews (the podcast builder's audition slider): files decoded as they play, and sets of
    // files played one after the other as one. They play through the playback above: AudioPause,
    // AudioResume, AudioMoveTo, AudioGetPosition and AudioStop work on them, and the ended message
    // follows the same rules (posted once at the end, never after AudioStop; a caller that wants an
    // end message for its own stop posts it itself, as the slider does). Codes: those of
    // AudioPlayWave, and 104 for a file the decoder cannot play, 107 for WAV files of a set whose
    // formats differ, 100 for an entry without a path.
    // An MP3 (or any other audio file the decoder reads) from start to end (0: its end).
    uint16_t AudioPlayMP3(const QString& file, int64_t start, int unit, int, int, int64_t end);
    // count PCM WAVs of one format, or count MP3 files (decoded into the first one's rate and
    // channels), one after the other; start and end on the whole set.
    uint16_t AudioPlayWaveFilesSet(const PlaybackSetEntry* entries, int count, int64_t start, int unit, int, int,
                                   int64_t end);
    uint16_t AudioPlayMP3FilesSet(const PlaybackSetEntry* entries, int count, int64_t start, int unit, int, int,
                                  int64_t end);
    // Where the set playing is; 117 (and file -1, the rest 0) when no set plays.
    uint16_t AudioGetPlaybackSetInfo(PlaybackSetInfo* info, int unit);
    // A seek on the whole set: as AudioMoveTo, 117 also when no set plays.
    uint16_t AudioMoveIntoPlaybackSet(int64_t position, int unit);
    // The previews of the WMA and Ogg libraries: any audio file the decoder reads, as AudioPlayMP3.
    uint16_t playDecoded(const QString& file, int64_t start, int unit, int64_t end);
    // The number of the playback running now (a preview's handle); 0 when nothing plays.
    uint32_t currentPlayback() const;

    // A WAV (PCM, or compressed) converted into a new PCM WAV of format: 0 or 350-360, see
    // PcmConversion.h.
    uint16_t ACMAudioConvertFormatPCM(const QString& source, const QString& target, const WaveFormatEx& format);

    // Edit processes, polled through their handle cell: see EditProcesses.h. None starts while a
    // playback runs (310).
    uint16_t AudioPasteEx(const QString& target, int64_t position, int unit, uint32_t* cell, int reserved,
                          const QString& source, const QString& result);
    uint16_t AudioCut(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int reserved,
                      const QString& result);
    uint16_t AudioCutInFile(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int reserved,
                            const QString& target, const QString& result);
    uint16_t AudioCopy(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int reserved);
    uint16_t AudioCopyInFile(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int reserved,
                             const QString& target);
    uint16_t AudioClear(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int reserved,
                        const QString& result);
    uint16_t AudioCrop(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int reserved,
                       const QString& result);
    uint16_t AudioEditMute(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int reserved,
                           int channels, const QString& result);
    uint16_t AudioEditTrimSilence(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell,
                                  int reserved, uint16_t threshold, const QString& result);
    uint16_t AudioInsertSilence(const QString& file, int64_t position, int unit, uint32_t* cell, int reserved,
                                int64_t durationMs, const QString& result);
    int AudioEditProcessIsOver(uint32_t handle) const;
    int AudioEditGetProcessProgress(uint32_t handle) const;
    int AudioEditGetReasonForProcessExit(uint32_t handle) const;
    uint16_t AudioEditCancelPressed(uint32_t handle);
    uint16_t AudioEditCloseHandle(uint32_t* cell);
    int AudioEditCanPaste() const;
    uint16_t AudioEditSetUndoRedo(int enable);

private:
    friend class MusicTrackLibrary;

    // Device name for an index (-1: empty, the default), or a code.
    uint16_t outputDeviceName(int index, QString* name);
    RecordSession* takeRecording() const;
    uint16_t startRecording(const QString& file, const StreamFormat& format, bool alignedStart);
    uint16_t startPlayback(PlaybackSetup setup, int unit);
    uint16_t playSet(FileSet::Kind kind, const QStringList& files, int64_t start, int unit, int64_t end);
    bool deliverPlaybackEnded(const platform::PostedMessage& message);
    bool deliver(const platform::PostedMessage& message);
    void stopPlayback();

    AudioBackend& m_backend;
    Prefetcher m_prefetcher;
    LiveGains m_gains;
    NotificationPoster m_poster;
    QString m_outputDevice; // selected names; empty: the server's default
    QString m_inputDevice;
    QString m_tempPath;
    std::unique_ptr<PlaybackSession> m_playback;
    std::shared_ptr<const FileSet> m_set; // what m_playback plays, when a set
    intptr_t m_playbackNumber = 0;
    std::unique_ptr<RecordSession> m_record;
    intptr_t m_recordNumber = 0;
    EditProcesses m_edits{[this] { return m_playback != nullptr; }, [this] { return m_tempPath; }}; // joined first
};

} // namespace platform::audio
