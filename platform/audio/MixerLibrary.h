#pragma once
// The sound card's mixer for the recorder and the editor: device selection, the volumes of the
// chosen output and input device, and news of changes made by other programs, under the calls'
// own names. It works on a MixerBackend: the sound server's (PulseMixerBackend) or one in memory
// (FakeMixerBackend).
//
// Devices: outputs are the sinks, inputs the sources without the monitors of sinks, in the order of
// the audio engine's lists, so that one index means one device in both. Index -1 selects the
// server's default device and keeps following it when the default changes.
//
// Volumes: per channel, within the bounds 0..65535. 65535 is the server's 100 %; a device set above
// 100 % by another program reads as 65535, and values written are clamped to 65535, so this mixer
// never amplifies. With 2 channels, left is the loudest channel on the left side, right the
// loudest on the right side (a device with neither: its first and second channel), and other
// channels (centre, bass) take the louder of the two when written. With 1 channel, the value read is
// the loudest channel and a value written goes to every channel. A one-channel device refuses
// 2 channels (107), so callers fall back to 1 channel for it.
//
// Record sources: the system's version class is 7, so the device itself is its single source,
// index 0, whose name is the device's description (at most 64 characters).
//
// News (after CreateVXMixCallbackThread, to the window of SetVXMixCallbackWindow, on its thread):
// 0x7E9 when the chosen output's volume changed, 0x7EA when the chosen input's volume changed, and
// 0x7EB (lParam 0, the single source) when the chosen input's source changed: its active port, or
// the device itself when the input follows the default device. A change is reported when the
// volume differs from the last one this mixer knew: the volumes it wrote itself are known before
// they are written, so their echo from the server is not reported (the window would otherwise set
// the volume again on each report), and neither are other changes of a device that leave its
// volume as it was.
//
// Result codes (0 = success):
//   101  no memory                          (not produced: allocation failures end the program)
//   102  the output devices cannot be listed (the server did not answer)
//   103  invalid output device index (out of range, or -1 with no default output)
//   104  the chosen output device is no longer there
//   105  no sound server to open the output mixer on
//   106  no output device selected
//   107  the device has no control for the channels asked (2 channels of a one-channel device)
//   108  the server refused or did not answer a volume change
//   109  a bad argument: channels other than 1 or 2, a missing out argument, a source index other
//        than 0
//   110  the input devices cannot be listed (the server did not answer)
//   111  invalid input device index (out of range, or -1 with no default input)
//   112  the chosen input device is no longer there
//   113  no sound server to open the input mixer on
//   114  no input device selected
//   115  the output volume bounds cannot be read (no output device selected, or it is gone)
//   116  the input volume bounds cannot be read (no input device selected, or it is gone)
//
// Threads: the calls are made on the GUI thread (the one the library was made on); the news comes
// from the library's own thread.

#include "platform/base/PostedMessage.h"
#include "platform/audio/MixerBackend.h"

#include <QString>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

class QObject;

namespace platform::audio {

namespace MixerCode {
inline constexpr int Ok = 0;
inline constexpr int NoMemory = 101;
inline constexpr int OutputListUnreadable = 102;
inline constexpr int InvalidOutputIndex = 103;
inline constexpr int OutputDeviceGone = 104;
inline constexpr int NoServerForOutput = 105;
inline constexpr int NoOutputSelected = 106;
inline constexpr int NoControlForChannels = 107;
inline constexpr int ChangeRefused = 108;
inline constexpr int BadArgument = 109;
inline constexpr int InputListUnreadable = 110;
inline constexpr int InvalidInputIndex = 111;
inline constexpr int InputDeviceGone = 112;
inline constexpr int NoServerForInput = 113;
inline constexpr int NoInputSelected = 114;
inline constexpr int OutputBoundsUnreadable = 115;
inline constexpr int InputBoundsUnreadable = 116;
} // namespace MixerCode

namespace MixerMessage {
inline constexpr uint32_t OutputVolumeChanged = 0x7E9;
inline constexpr uint32_t InputVolumeChanged = 0x7EA;
inline constexpr uint32_t RecordSourceChanged = 0x7EB;
} // namespace MixerMessage

class MixerLibrary {
public:
    static constexpr uint32_t VolumeMaximum = 0xFFFF;
    static constexpr int SourceNameLength = 64;

    explicit MixerLibrary(std::shared_ptr<MixerBackend> backend);
    // Stops the news and deselects both devices.
    ~MixerLibrary();
    MixerLibrary(const MixerLibrary&) = delete;
    MixerLibrary& operator=(const MixerLibrary&) = delete;

    int SetVXMixCallbackWindow(QObject* receiver);
    int CreateVXMixCallbackThread();

    // The number of devices; 0 when there is none or the server cannot be reached.
    int GetNumberOfInputDevices();
    int SelectInputDevice(int index);
    int DeselectInputDevice();
    int GetNumberOfOutputDevices();
    int SelectOutputDevice(int index);
    int DeselectOutputDevice();

    int GetNumberOfInputSources(int* count);
    int GetInputSourceDescription(int index, QString* text);
    bool IsCurrentInputSourceSelected(int index);
    int SelectInputSource(int index);
    int GetMicrophoneSourceIndex(int* index);

    // Either out argument may be null.
    int GetInputVolumeBounds(uint32_t* minimum, uint32_t* maximum);
    int GetOutputVolumeBounds(uint32_t* minimum, uint32_t* maximum);

    // channels 1 or 2; with 1 channel, right may be null (else it gets the same value) and is
    // ignored when setting.
    int GetCurrentInputVolSetting(int channels, uint32_t* left, uint32_t* right);
    int SetCurrentInputVolSetting(int channels, uint32_t left, uint32_t right);
    int GetCurrentOutputVolSetting(int channels, uint32_t* left, uint32_t* right);
    int SetCurrentOutputVolSetting(int channels, uint32_t left, uint32_t right);

    // The server's raw volume and the 0..65535 value of these calls; exact both ways for every value.
    static uint32_t valueFromVolume(uint32_t volume);
    static uint32_t volumeFromValue(uint32_t value);

private:
    struct Selection {
        bool selected = false;
        bool followsDefault = false;
        QString name; // the device chosen, or the default it last resolved to
        std::vector<uint32_t> knownVolumes;
        QString knownPort;
        uint64_t generation = 0; // counts selections and our own writes
    };
    struct Resolved {
        int code = MixerCode::Ok;
        MixerDevice device;
    };

    Selection& selection(MixerDirection direction);
    Resolved resolve(MixerDirection direction);
    int numberOfDevices(MixerDirection direction);
    int select(MixerDirection direction, int index);
    int deselect(MixerDirection direction);
    int bounds(MixerDirection direction, uint32_t* minimum, uint32_t* maximum);
    int getVolume(MixerDirection direction, int channels, uint32_t* left, uint32_t* right);
    int setVolume(MixerDirection direction, int channels, uint32_t left, uint32_t right);
    Resolved inputSource(int index);

    void changed(MixerDirection direction);
    void watchLoop();
    void check(MixerDirection direction);

    std::shared_ptr<MixerBackend> m_backend;
    MessagePoster m_poster;

    std::mutex m_mutex; // the two selections
    Selection m_output;
    Selection m_input;

    std::mutex m_watchMutex; // what the watch thread is told
    std::condition_variable m_watchWake;
    bool m_stop = false;
    bool m_outputChanged = false;
    bool m_inputChanged = false;
    std::thread m_watcher;
};

} // namespace platform::audio
