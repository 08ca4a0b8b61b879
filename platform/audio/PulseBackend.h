#pragma once
// The audio backend on the sound server (libpulse; PipeWire desktops serve it too). Outputs are the
// sinks and inputs the sources that are not monitors, in the order of PulseDevices.h, keyed by the
// server's device names.
//
// Streams:
// - Callbacks run on the connection's event-loop thread with its lock held, and never after close()
//   has returned: close() (and every other call of a stream) waits for a callback that is running,
//   so it must not be called while holding a lock that a callback takes. A callback may itself
//   call its stream's functions, close() too. The open calls never wait for a callback: the first
//   one comes after the open has let go of the event loop, so a caller may hold its own lock
//   around an open.
// - audibleFrames() follows the server's timing of the stream (its latency included), interpolated
//   between the server's reports.
// - A stream whose device goes away ends with failed(DeviceLost). The server may move such a stream
//   to another device without asking; a move is taken as a loss when the device it came from no
//   longer exists, while a move by the user (the old device still there) keeps the stream going.
//   A broken connection ends the stream with failed(ServerUnavailable).

#include "platform/audio/AudioBackend.h"

#include <memory>

namespace platform::audio {

class PulseContext;

class PulseBackend : public AudioBackend {
public:
    // On the process's shared connection.
    PulseBackend();
    explicit PulseBackend(std::shared_ptr<PulseContext> pulse);
    ~PulseBackend() override;

    std::vector<AudioDevice> outputDevices() override;
    std::vector<AudioDevice> inputDevices() override;
    QString defaultOutputDevice() override;
    QString defaultInputDevice() override;

    std::unique_ptr<OutputStream> openOutput(const QString& device, const StreamFormat& format,
                                             OutputStream::Callbacks callbacks, StreamError* error) override;
    std::unique_ptr<InputStream> openInput(const QString& device, const StreamFormat& format,
                                           InputStream::Callbacks callbacks, StreamError* error) override;

private:
    std::shared_ptr<PulseContext> m_pulse;
};

} // namespace platform::audio
