#pragma once
// The sound server as the audio engine sees it: device lists, and output and input streams of PCM
// frames. Two implementations: PulseBackend (libpulse; PipeWire desktops serve it too) and
// VirtualBackend (memory and a generated input on a clock the tests drive, for tests and
// benchmarks).
//
// Threads: stream callbacks run on the backend's own thread (the virtual backend: on the thread
// that advances its clock) and must not block for long. Everything else may be called from any
// one thread at a time. After close() (or the stream's destruction) returns, no callback of that
// stream runs any more; so close() waits for a callback that is running, and must not be called
// while holding a lock that a callback waits for.

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace platform::audio {

struct AudioDevice {
    QString name;        // the server's stable key of the device
    QString description; // what the user sees
};

// 8-bit unsigned or 16-bit signed little-endian PCM, channels interleaved, as WAV files hold it.
struct StreamFormat {
    uint32_t rate = 0;
    uint16_t channels = 0;
    uint16_t bits = 0;

    int frameBytes() const { return channels * (bits / 8); }
    friend bool operator==(const StreamFormat&, const StreamFormat&) = default;
};

// Why a stream could not be opened or stopped working.
enum class StreamError {
    None,
    NoDevice,          // no such device (or none at all)
    FormatRefused,     // the device cannot take or give this format
    DeviceBusy,        // the device exists but cannot be used now
    ServerUnavailable, // no sound server to talk to
    DeviceLost,        // the device went away (unplugged, module unloaded) while streaming
    Failed,            // anything else
};

class OutputStream {
public:
    struct Callbacks {
        // Fills up to `frames` frames into buffer and returns how many it filled. Fewer than asked
        // means the data has ended: the stream plays what it has, then calls drained() once.
        std::function<int64_t(void* buffer, int64_t frames)> fill;
        std::function<void()> drained;
        // The stream stopped for good (e.g. the device went away). Called at most once.
        std::function<void(StreamError)> failed;
    };

    virtual ~OutputStream() = default;

    // Frames handed over by fill() that have become audible so far, latency taken into account.
    // Never decreases; stops while paused; frames dropped by flush() never count.
    virtual int64_t audibleFrames() = 0;
    virtual void setPaused(bool paused) = 0;
    // Drops what was filled but not yet heard; fill() is asked for new frames at once.
    virtual void flush() = 0;
    virtual void close() = 0;
};

class InputStream {
public:
    struct Callbacks {
        // Frames as they arrive from the device, in the stream's format.
        std::function<void(const void* data, int64_t frames)> captured;
        // The stream stopped for good (e.g. the device went away). Called at most once.
        std::function<void(StreamError)> failed;
    };

    virtual ~InputStream() = default;
    // How long ago, in frames, the frame that captured() delivers next was at the microphone; 0
    // when the server does not tell (yet).
    virtual int64_t latencyFrames() = 0;
    virtual void close() = 0;
};

class AudioBackend {
public:
    virtual ~AudioBackend() = default;

    // Current devices, in a stable order (the same devices give the same order). Inputs leave out
    // the monitors of outputs.
    virtual std::vector<AudioDevice> outputDevices() = 0;
    virtual std::vector<AudioDevice> inputDevices() = 0;
    // Names of the server's default devices; empty when there is none.
    virtual QString defaultOutputDevice() = 0;
    virtual QString defaultInputDevice() = 0;

    // device: a name from the lists, or empty for the server's default. Null on failure, with the
    // reason in *error. Streaming starts at once.
    virtual std::unique_ptr<OutputStream> openOutput(const QString& device, const StreamFormat& format,
                                                     OutputStream::Callbacks callbacks, StreamError* error) = 0;
    virtual std::unique_ptr<InputStream> openInput(const QString& device, const StreamFormat& format,
                                                   InputStream::Callbacks callbacks, StreamError* error) = 0;

    // False for a backend whose clock its user drives (the virtual backend). Its callbacks may then
    // wait for the engine's reader and writer threads instead of playing silence or dropping frames,
    // so that what comes out does not depend on thread timing. A real-time backend's callbacks never
    // wait.
    virtual bool realTime() const { return true; }
};

} // namespace platform::audio
