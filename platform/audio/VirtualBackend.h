#pragma once
// A sound server in memory for tests and benchmarks. Its clock stands still until advance() runs
// it on by a number of frames: every open stream then gets its callbacks on the advancing thread,
// in periods, inputs before outputs. What becomes audible on each output is kept per stream, and
// the input comes from a generator (silence, a sine), from a WAV file standing in for the
// microphone, or from a loopback of what the outputs made audible. Output and input latency,
// failing opens and devices that go away are there to be simulated.
//
// Not real time (realTime() is false): callbacks may wait for the engine's reader and writer
// threads, so what comes out does not depend on thread timing. The backend must outlive its
// streams. Streams may be opened, closed and inspected from any thread.

#include "platform/audio/AudioBackend.h"

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::audio {

class VirtualBackend : public AudioBackend {
public:
    // One output "virtual-out" ("Virtual Output") and one input "virtual-in" ("Virtual Input"),
    // both the defaults; period 1024 frames, no latency, silent input.
    VirtualBackend();
    ~VirtualBackend() override;

    std::vector<AudioDevice> outputDevices() override;
    std::vector<AudioDevice> inputDevices() override;
    QString defaultOutputDevice() override;
    QString defaultInputDevice() override;
    std::unique_ptr<OutputStream> openOutput(const QString& device, const StreamFormat& format,
                                             OutputStream::Callbacks callbacks, StreamError* error) override;
    std::unique_ptr<InputStream> openInput(const QString& device, const StreamFormat& format,
                                           InputStream::Callbacks callbacks, StreamError* error) override;
    bool realTime() const override { return false; }

    // Devices and defaults (a default that is not in the list makes "" resolve to nothing).
    void setOutputDevices(const std::vector<AudioDevice>& devices);
    void setInputDevices(const std::vector<AudioDevice>& devices);
    void setDefaultOutputDevice(const QString& name);
    void setDefaultInputDevice(const QString& name);
    // The device leaves the lists; its open streams fail with DeviceLost, on the calling thread.
    void removeDevice(const QString& name);

    // Frames per callback.
    void setPeriod(int64_t frames);
    // Frames an output holds between fill() and being audible.
    void setLatency(int64_t frames);
    // Frames between the microphone and an input's captured(): inputs opened later report it as
    // their latency, and the loopback microphone reaches them that much later.
    void setInputLatency(int64_t frames);
    // Later opens fail with this error (None: they succeed again).
    void setOutputOpenFailure(StreamError error);
    void setInputOpenFailure(StreamError error);
    // What inputs capture: a sine of the frequency at level x full scale on every channel, the
    // same for each stream from its first frame; silence; or the samples of a WAV (in the stream's
    // format, else the open fails with FormatRefused), then silence. False when the WAV cannot be
    // read.
    void setInputSine(double frequency, double level);
    void setInputSilence();
    bool setInputWave(const QString& path);
    // The microphone hears the outputs of this 16-bit format: what they made audible, summed and
    // clipped, input latency later (inputs must be of that format). Outputs then run before inputs
    // in each period, so a latency shorter than the period is exact too.
    void setInputLoopback(const StreamFormat& format);
    // Whether audible and captured audio is kept for inspection (on by default).
    void setKeepAudio(bool keep);

    // Runs the clock on: every open stream's callbacks for `frames` frames, period by period.
    void advance(int64_t frames);

    // Inspection, by the order in which streams were opened (closed ones included).
    int outputStreamCount() const;
    QByteArray outputAudio(int stream) const;     // what became audible
    int64_t outputAudibleFrames(int stream) const;
    QString outputDevice(int stream) const;       // the resolved device name
    StreamFormat outputFormat(int stream) const;
    bool outputOpen(int stream) const;
    bool outputPaused(int stream) const;
    int inputStreamCount() const;
    QByteArray inputAudio(int stream) const;      // what was captured
    QString inputDevice(int stream) const;
    bool inputOpen(int stream) const;

private:
    struct Output;
    struct Input;
    class OutputHandle;
    class InputHandle;

    QString resolve(const std::vector<AudioDevice>& devices, const QString& wanted, const QString& fallback) const;
    void generate(Input& input, int64_t frames);
    void hear(const Output& output, int64_t frames);
    void loopback(const Input& input, uint8_t* out, int64_t frames) const;
    void runOutput(Output& output, int64_t frames);

    mutable std::mutex m_mutex;
    std::vector<AudioDevice> m_outputs;
    std::vector<AudioDevice> m_inputs;
    QString m_defaultOutput;
    QString m_defaultInput;
    int64_t m_period = 1024;
    int64_t m_latency = 0;
    int64_t m_inputLatency = 0;
    int64_t m_clock = 0; // frames advanced so far
    StreamError m_outputFailure = StreamError::None;
    StreamError m_inputFailure = StreamError::None;
    enum class Signal { Silence, Sine, Wave, Loopback } m_signal = Signal::Silence;
    // Loopback: the samples the outputs of m_heardFormat made audible, summed, from clock frame
    // m_heardFrom on (kept for the whole test).
    std::vector<int32_t> m_heard;
    int64_t m_heardFrom = 0;
    StreamFormat m_heardFormat;
    double m_frequency = 0;
    double m_level = 0;
    StreamFormat m_waveFormat;
    QByteArray m_waveSamples;
    bool m_keep = true;
    std::vector<std::shared_ptr<Output>> m_outputStreams;
    std::vector<std::shared_ptr<Input>> m_inputStreams;
};

} // namespace platform::audio
