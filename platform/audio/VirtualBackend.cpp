#include "platform/audio/VirtualBackend.h"

#include "platform/base/Rounding.h"
#include "platform/audio/PcmWave.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace platform::audio {

struct VirtualBackend::Output {
    QString device;
    StreamFormat format;
    OutputStream::Callbacks callbacks;
    bool open = true;
    bool failed = false;
    bool paused = false;
    bool ended = false;   // fill() gave fewer frames than asked
    bool drained = false; // drained() was called
    std::vector<uint8_t> queue; // handed over, not audible yet
    std::vector<uint8_t> buffer;
    int64_t audible = 0;
    QByteArray audio;
};

struct VirtualBackend::Input {
    QString device;
    StreamFormat format;
    InputStream::Callbacks callbacks;
    bool open = true;
    bool failed = false;
    int64_t openedAt = 0; // the clock when it was opened
    int64_t latency = 0;
    int64_t position = 0;
    std::vector<uint8_t> buffer;
    QByteArray audio;
};

class VirtualBackend::OutputHandle : public OutputStream {
public:
    OutputHandle(VirtualBackend& backend, std::shared_ptr<Output> state)
        : m_backend(backend)
        , m_state(std::move(state))
    {
    }
    ~OutputHandle() override { close(); }

    int64_t audibleFrames() override
    {
        const std::lock_guard lock(m_backend.m_mutex);
        return m_state->audible;
    }
    void setPaused(bool paused) override
    {
        const std::lock_guard lock(m_backend.m_mutex);
        m_state->paused = paused;
    }
    // The dropped frames are gone; fill() is asked again at the next period.
    void flush() override
    {
        const std::lock_guard lock(m_backend.m_mutex);
        m_state->queue.clear();
        m_state->ended = false;
        m_state->drained = false;
    }
    void close() override
    {
        const std::lock_guard lock(m_backend.m_mutex);
        m_state->open = false;
    }

private:
    VirtualBackend& m_backend;
    std::shared_ptr<Output> m_state;
};

class VirtualBackend::InputHandle : public InputStream {
public:
    InputHandle(VirtualBackend& backend, std::shared_ptr<Input> state)
        : m_backend(backend)
        , m_state(std::move(state))
    {
    }
    ~InputHandle() override { close(); }

    int64_t latencyFrames() override
    {
        const std::lock_guard lock(m_backend.m_mutex);
        return m_state->latency;
    }
    void close() override
    {
        const std::lock_guard lock(m_backend.m_mutex);
        m_state->open = false;
    }

private:
    VirtualBackend& m_backend;
    std::shared_ptr<Input> m_state;
};

namespace {

bool streamable(const StreamFormat& format)
{
    return format.rate > 0 && (format.channels == 1 || format.channels == 2) && (format.bits == 8 || format.bits == 16);
}

} // namespace

VirtualBackend::VirtualBackend()
    : m_outputs{{QStringLiteral("virtual-out"), QStringLiteral("Virtual Output")}}
    , m_inputs{{QStringLiteral("virtual-in"), QStringLiteral("Virtual Input")}}
    , m_defaultOutput(QStringLiteral("virtual-out"))
    , m_defaultInput(QStringLiteral("virtual-in"))
{
}

VirtualBackend::~VirtualBackend() = default;

std::vector<AudioDevice> VirtualBackend::outputDevices()
{
    const std::lock_guard lock(m_mutex);
    return m_outputs;
}

std::vector<AudioDevice> VirtualBackend::inputDevices()
{
    const std::lock_guard lock(m_mutex);
    return m_inputs;
}

QString VirtualBackend::defaultOutputDevice()
{
    const std::lock_guard lock(m_mutex);
    return m_defaultOutput;
}

QString VirtualBackend::defaultInputDevice()
{
    const std::lock_guard lock(m_mutex);
    return m_defaultInput;
}

QString VirtualBackend::resolve(const std::vector<AudioDevice>& devices, const QString& wanted,
                                const QString& fallback) const
{
    const QString name = wanted.isEmpty() ? fallback : wanted;
    const bool present =
        std::any_of(devices.begin(), devices.end(), [&](const AudioDevice& d) { return d.name == name; });
    return present ? name : QString();
}

std::unique_ptr<OutputStream> VirtualBackend::openOutput(const QString& device, const StreamFormat& format,
                                                         OutputStream::Callbacks callbacks, StreamError* error)
{
    const std::lock_guard lock(m_mutex);
    StreamError failure = m_outputFailure;
    const QString resolved = resolve(m_outputs, device, m_defaultOutput);
    if (failure == StreamError::None && resolved.isEmpty())
        failure = StreamError::NoDevice;
    if (failure == StreamError::None && !streamable(format))
        failure = StreamError::FormatRefused;
    if (error)
        *error = failure;
    if (failure != StreamError::None)
        return nullptr;
    auto state = std::make_shared<Output>();
    state->device = resolved;
    state->format = format;
    state->callbacks = std::move(callbacks);
    m_outputStreams.push_back(state);
    return std::make_unique<OutputHandle>(*this, std::move(state));
}

std::unique_ptr<InputStream> VirtualBackend::openInput(const QString& device, const StreamFormat& format,
                                                       InputStream::Callbacks callbacks, StreamError* error)
{
    const std::lock_guard lock(m_mutex);
    StreamError failure = m_inputFailure;
    const QString resolved = resolve(m_inputs, device, m_defaultInput);
    if (failure == StreamError::None && resolved.isEmpty())
        failure = StreamError::NoDevice;
    if (failure == StreamError::None
        && (!streamable(format) || (m_signal == Signal::Wave && !(format == m_waveFormat))
            || (m_signal == Signal::Loopback && !(format == m_heardFormat))))
        failure = StreamError::FormatRefused;
    if (error)
        *error = failure;
    if (failure != StreamError::None)
        return nullptr;
    auto state = std::make_shared<Input>();
    state->device = resolved;
    state->format = format;
    state->callbacks = std::move(callbacks);
    state->openedAt = m_clock;
    state->latency = m_inputLatency;
    m_inputStreams.push_back(state);
    return std::make_unique<InputHandle>(*this, std::move(state));
}

void VirtualBackend::setOutputDevices(const std::vector<AudioDevice>& devices)
{
    const std::lock_guard lock(m_mutex);
    m_outputs = devices;
}

void VirtualBackend::setInputDevices(const std::vector<AudioDevice>& devices)
{
    const std::lock_guard lock(m_mutex);
    m_inputs = devices;
}

void VirtualBackend::setDefaultOutputDevice(const QString& name)
{
    const std::lock_guard lock(m_mutex);
    m_defaultOutput = name;
}

void VirtualBackend::setDefaultInputDevice(const QString& name)
{
    const std::lock_guard lock(m_mutex);
    m_defaultInput = name;
}

void VirtualBackend::removeDevice(const QString& name)
{
    const std::lock_guard lock(m_mutex);
    auto named = [&](const AudioDevice& device) { return device.name == name; };
    std::erase_if(m_outputs, named);
    std::erase_if(m_inputs, named);
    for (const auto& output : m_outputStreams) {
        if (output->open && !output->failed && output->device == name) {
            output->failed = true;
            if (output->callbacks.failed)
                output->callbacks.failed(StreamError::DeviceLost);
        }
    }
    for (const auto& input : m_inputStreams) {
        if (input->open && !input->failed && input->device == name) {
            input->failed = true;
            if (input->callbacks.failed)
                input->callbacks.failed(StreamError::DeviceLost);
        }
    }
}

void VirtualBackend::setPeriod(int64_t frames)
{
    const std::lock_guard lock(m_mutex);
    m_period = std::max<int64_t>(frames, 1);
}

void VirtualBackend::setLatency(int64_t frames)
{
    const std::lock_guard lock(m_mutex);
    m_latency = std::max<int64_t>(frames, 0);
}

void VirtualBackend::setInputLatency(int64_t frames)
{
    const std::lock_guard lock(m_mutex);
    m_inputLatency = std::max<int64_t>(frames, 0);
}

void VirtualBackend::setOutputOpenFailure(StreamError error)
{
    const std::lock_guard lock(m_mutex);
    m_outputFailure = error;
}

void VirtualBackend::setInputOpenFailure(StreamError error)
{
    const std::lock_guard lock(m_mutex);
    m_inputFailure = error;
}

void VirtualBackend::setInputSine(double frequency, double level)
{
    const std::lock_guard lock(m_mutex);
    m_signal = Signal::Sine;
    m_frequency = frequency;
    m_level = level;
}

void VirtualBackend::setInputSilence()
{
    const std::lock_guard lock(m_mutex);
    m_signal = Signal::Silence;
}

void VirtualBackend::setInputLoopback(const StreamFormat& format)
{
    const std::lock_guard lock(m_mutex);
    m_signal = Signal::Loopback;
    m_heardFormat = format;
    m_heard.clear();
    m_heardFrom = m_clock;
}

bool VirtualBackend::setInputWave(const QString& path)
{
    PcmWave wave;
    if (openPcmWave(path, wave) != 0 || checkStreamable(wave.format) != 0)
        return false;
    QByteArray samples(wave.frames * wave.format.blockAlign, Qt::Uninitialized);
    if (wave.file->seek(wave.dataOffset) != wave.dataOffset
        || wave.file->read(samples.data(), samples.size()) != samples.size())
        return false;
    const std::lock_guard lock(m_mutex);
    m_signal = Signal::Wave;
    m_waveFormat = wave.streamFormat();
    m_waveSamples = samples;
    return true;
}

void VirtualBackend::setKeepAudio(bool keep)
{
    const std::lock_guard lock(m_mutex);
    m_keep = keep;
}

void VirtualBackend::generate(Input& input, int64_t frames)
{
    const StreamFormat& format = input.format;
    const int frameBytes = format.frameBytes();
    input.buffer.resize(std::size_t(frames * frameBytes));
    uint8_t* out = input.buffer.data();
    const uint8_t silence = format.bits == 8 ? 128 : 0;
    switch (m_signal) {
    case Signal::Silence:
        std::fill(input.buffer.begin(), input.buffer.end(), silence);
        break;
    case Signal::Sine:
        for (int64_t i = 0; i < frames; ++i) {
            const double phase = 2 * std::numbers::pi * m_frequency * double(input.position + i) / format.rate;
            const double value = m_level * std::sin(phase);
            for (int c = 0; c < format.channels; ++c) {
                if (format.bits == 16) {
                    const auto sample = int16_t(roundHalfEven(value * 32767));
                    std::memcpy(out + (i * format.channels + c) * 2, &sample, 2);
                } else {
                    out[i * format.channels + c] = uint8_t(128 + roundHalfEven(value * 127));
                }
            }
        }
        break;
    case Signal::Wave: {
        const int64_t at = input.position * frameBytes;
        const int64_t have = std::clamp<int64_t>(m_waveSamples.size() - at, 0, frames * frameBytes);
        std::memcpy(out, m_waveSamples.constData() + std::min<int64_t>(at, m_waveSamples.size()), std::size_t(have));
        std::fill(input.buffer.begin() + have, input.buffer.end(), silence);
        break;
    }
    case Signal::Loopback:
        loopback(input, out, frames);
        break;
    }
    input.callbacks.captured(out, frames);
    if (m_keep)
        input.audio.append(reinterpret_cast<const char*>(out), frames * frameBytes);
    input.position += frames;
}

void VirtualBackend::loopback(const Input& input, uint8_t* out, int64_t frames) const
{
    const int channels = input.format.channels;
    const int64_t first = input.openedAt + input.position - input.latency - m_heardFrom;
    for (int64_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const int64_t at = (first + i) * channels + c;
            const int32_t sum = at >= 0 && at < int64_t(m_heard.size()) ? m_heard[std::size_t(at)] : 0;
            const auto sample = int16_t(std::clamp<int32_t>(sum, -32768, 32767));
            std::memcpy(out + (i * channels + c) * 2, &sample, 2);
        }
    }
}

// Adds the frames an output makes audible now to what the loopback microphone hears.
void VirtualBackend::hear(const Output& output, int64_t frames)
{
    if (m_signal != Signal::Loopback || !(output.format == m_heardFormat))
        return;
    const int channels = m_heardFormat.channels;
    const int64_t first = (m_clock - m_heardFrom) * channels;
    for (int64_t i = 0; i < frames * channels; ++i) {
        int16_t sample;
        std::memcpy(&sample, output.queue.data() + i * 2, 2);
        m_heard[std::size_t(first + i)] += sample;
    }
}

void VirtualBackend::runOutput(Output& output, int64_t frames)
{
    const int frameBytes = output.format.frameBytes();
    if (!output.ended) {
        const int64_t queued = int64_t(output.queue.size()) / frameBytes;
        const int64_t want = m_latency + frames - queued;
        if (want > 0) {
            output.buffer.resize(std::size_t(want * frameBytes));
            const int64_t got = std::clamp<int64_t>(output.callbacks.fill(output.buffer.data(), want), 0, want);
            output.queue.insert(output.queue.end(), output.buffer.begin(), output.buffer.begin() + got * frameBytes);
            output.ended = got < want;
        }
    }
    const int64_t play = std::min<int64_t>(frames, int64_t(output.queue.size()) / frameBytes);
    hear(output, play);
    if (m_keep)
        output.audio.append(reinterpret_cast<const char*>(output.queue.data()), play * frameBytes);
    output.queue.erase(output.queue.begin(), output.queue.begin() + play * frameBytes);
    output.audible += play;
    if (output.ended && output.queue.empty() && !output.drained) {
        output.drained = true;
        if (output.callbacks.drained)
            output.callbacks.drained();
    }
}

void VirtualBackend::advance(int64_t frames)
{
    for (int64_t left = frames; left > 0;) {
        const std::lock_guard lock(m_mutex);
        const int64_t n = std::min(m_period, left);
        const bool looped = m_signal == Signal::Loopback;
        auto runInputs = [&] {
            for (const auto& input : m_inputStreams) {
                if (input->open && !input->failed)
                    generate(*input, n);
            }
        };
        if (!looped)
            runInputs();
        else
            m_heard.resize(std::size_t((m_clock + n - m_heardFrom) * m_heardFormat.channels), 0);
        for (const auto& output : m_outputStreams) {
            if (output->open && !output->failed && !output->paused)
                runOutput(*output, n);
        }
        if (looped)
            runInputs();
        m_clock += n;
        left -= n;
    }
}

int VirtualBackend::outputStreamCount() const
{
    const std::lock_guard lock(m_mutex);
    return int(m_outputStreams.size());
}

QByteArray VirtualBackend::outputAudio(int stream) const
{
    const std::lock_guard lock(m_mutex);
    return m_outputStreams.at(std::size_t(stream))->audio;
}

int64_t VirtualBackend::outputAudibleFrames(int stream) const
{
    const std::lock_guard lock(m_mutex);
    return m_outputStreams.at(std::size_t(stream))->audible;
}

QString VirtualBackend::outputDevice(int stream) const
{
    const std::lock_guard lock(m_mutex);
    return m_outputStreams.at(std::size_t(stream))->device;
}

StreamFormat VirtualBackend::outputFormat(int stream) const
{
    const std::lock_guard lock(m_mutex);
    return m_outputStreams.at(std::size_t(stream))->format;
}

bool VirtualBackend::outputOpen(int stream) const
{
    const std::lock_guard lock(m_mutex);
    const auto& output = m_outputStreams.at(std::size_t(stream));
    return output->open && !output->failed;
}

bool VirtualBackend::outputPaused(int stream) const
{
    const std::lock_guard lock(m_mutex);
    return m_outputStreams.at(std::size_t(stream))->paused;
}

int VirtualBackend::inputStreamCount() const
{
    const std::lock_guard lock(m_mutex);
    return int(m_inputStreams.size());
}

QByteArray VirtualBackend::inputAudio(int stream) const
{
    const std::lock_guard lock(m_mutex);
    return m_inputStreams.at(std::size_t(stream))->audio;
}

QString VirtualBackend::inputDevice(int stream) const
{
    const std::lock_guard lock(m_mutex);
    return m_inputStreams.at(std::size_t(stream))->device;
}

bool VirtualBackend::inputOpen(int stream) const
{
    const std::lock_guard lock(m_mutex);
    const auto& input = m_inputStreams.at(std::size_t(stream));
    return input->open && !input->failed;
}

} // namespace platform::audio
