// The audio backend on the tests' private sound server: device lists, what is played arriving
// bit-exact on the null sink's monitor (recorded by parec), a tone written into the pipe source in
// real time arriving bit-exact through our recording stream, the audible position, devices that
// go away, and the server going away and coming back.
#include "platform/audio/PulseBackend.h"
#include "platform/audio/PulseContext.h"

#include "tests/platform/audio/PulseTestSupport.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <cstring>
#include <mutex>

using namespace platform::audio;

namespace {

const StreamFormat CdFormat{44100, 2, 16};

std::vector<QString> names(const std::vector<AudioDevice>& devices)
{
    std::vector<QString> result;
    for (const AudioDevice& d : devices)
        result.push_back(d.name);
    return result;
}

// A playback whose fill() counts frames of a known signal, ends after `endAt` frames, and records
// every callback.
struct Playback {
    std::atomic<int64_t> filled{0};
    std::atomic<int64_t> endAt{INT64_MAX};
    std::atomic<int> fills{0};
    std::atomic<int> drained{0};
    std::atomic<int> failures{0};
    std::atomic<int> error{int(StreamError::None)};
    std::atomic<int64_t> audibleAtDrained{-1};
    std::atomic<OutputStream*> stream{nullptr};
    const std::vector<int16_t>* signal = nullptr; // frames to play; silence when absent

    OutputStream::Callbacks callbacks()
    {
        return {
            [this](void* buffer, int64_t frames) {
                ++fills;
                const int64_t from = filled.load();
                const int64_t n = std::max<int64_t>(0, std::min(frames, endAt.load() - from));
                auto* out = static_cast<int16_t*>(buffer);
                for (int64_t i = 0; i < n * 2; ++i) {
                    const size_t at = size_t(from * 2 + i);
                    out[i] = signal && at < signal->size() ? (*signal)[at] : 0;
                }
                filled = from + n;
                return n;
            },
            [this] {
                if (OutputStream* s = stream.load())
                    audibleAtDrained = s->audibleFrames();
                ++drained;
            },
            [this](StreamError e) {
                error = int(e);
                ++failures;
            },
        };
    }
};

struct Recording {
    explicit Recording(int channels = 2)
        : channels(channels)
    {
    }
    const int channels;
    std::mutex mutex;
    std::vector<int16_t> samples;
    std::atomic<int64_t> frames{0};
    std::atomic<int> failures{0};
    std::atomic<int> error{int(StreamError::None)};
    std::atomic<InputStream*> closeFromCallback{nullptr};
    std::atomic<int> callsAfterClose{0};
    std::atomic<bool> closed{false};

    InputStream::Callbacks callbacks()
    {
        return {
            [this](const void* data, int64_t n) {
                if (closed)
                    ++callsAfterClose;
                {
                    std::lock_guard lock(mutex);
                    const auto* s = static_cast<const int16_t*>(data);
                    samples.insert(samples.end(), s, s + n * channels);
                }
                frames += n;
                if (InputStream* stream = closeFromCallback.load()) {
                    stream->close();
                    closed = true;
                }
            },
            [this](StreamError e) {
                error = int(e);
                ++failures;
            },
        };
    }
};

class PulseBackendTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(pulsetest::serverAddress().isEmpty()) << "PULSE_SERVER is not set"; }

    PulseBackend backend;
};

} // namespace

TEST_F(PulseBackendTest, ListsSinksAndSourcesWithoutMonitorsInNameOrder)
{
    EXPECT_EQ(names(backend.outputDevices()), (std::vector<QString>{"va_null", "va_null2"}));
    EXPECT_EQ(names(backend.inputDevices()), (std::vector<QString>{"va_mono", "va_pipe"}));
    EXPECT_EQ(backend.outputDevices().front().description, "Test_Output_A");
    EXPECT_EQ(backend.defaultOutputDevice(), "va_null");
    EXPECT_EQ(backend.defaultInputDevice(), "va_pipe");

    // Made last, listed first; gone again once unloaded.
    const int module = pulsetest::loadModule("module-null-sink", {"sink_name=va_a_first", "norewinds=1"});
    ASSERT_GE(module, 0);
    EXPECT_EQ(names(backend.outputDevices()), (std::vector<QString>{"va_a_first", "va_null", "va_null2"}));
    EXPECT_EQ(names(backend.inputDevices()), (std::vector<QString>{"va_mono", "va_pipe"}));
    ASSERT_TRUE(pulsetest::unloadModule(module));
    EXPECT_EQ(backend.outputDevices().size(), 2u);

    // A default that is a monitor is no input device of ours.
    pulsetest::pactl({"set-default-source", "va_null.monitor"});
    EXPECT_EQ(backend.defaultInputDevice(), "");
    pulsetest::pactl({"set-default-source", "va_pipe"});
}

TEST_F(PulseBackendTest, WhatIsPlayedArrivesUnchangedOnTheMonitor)
{
    // Half a second of noise: it matches itself at one offset only.
    const std::vector<int16_t> noise = pulsetest::noise(22050, 12345);

    pulsetest::ParecRecording monitor;
    ASSERT_TRUE(monitor.start("va_null.monitor"));

    Playback playback;
    playback.signal = &noise;
    playback.endAt = int64_t(noise.size() / 2);
    StreamError error = StreamError::Failed;
    auto stream = backend.openOutput("va_null", CdFormat, playback.callbacks(), &error);
    ASSERT_TRUE(stream) << int(error);
    playback.stream = stream.get();
    ASSERT_TRUE(pulsetest::waitUntil([&] { return playback.drained.load() == 1; }));
    EXPECT_EQ(playback.audibleAtDrained.load(), 22050);
    stream->close();
    QThread::msleep(200);
    const std::vector<int16_t> heard = monitor.stop();

    // The monitor may miss the very start while the sink wakes up.
    EXPECT_TRUE(pulsetest::arrivedUnchanged(noise, heard, 2205));
    EXPECT_EQ(playback.failures.load(), 0);
}

TEST_F(PulseBackendTest, RecordsAToneWrittenIntoThePipeSourceInRealTime)
{
    pulsetest::FifoTone tone(pulsetest::pipeSourceFifo(), 1000, 12000);
    ASSERT_TRUE(tone.start()) << pulsetest::pipeSourceFifo().toStdString();
    Recording recording;
    StreamError error = StreamError::Failed;
    auto stream = backend.openInput("va_pipe", CdFormat, recording.callbacks(), &error);
    ASSERT_TRUE(stream) << int(error);
    const int64_t writtenAtOpen = tone.framesWritten();
    QThread::msleep(1000);
    stream->close();
    const int64_t writtenAtClose = tone.framesWritten();
    const int64_t frames = recording.frames;
    QThread::msleep(100);
    EXPECT_EQ(recording.frames.load(), frames); // nothing after close()
    tone.stop();

    // Every frame that arrived was counted, and about every one written while recording arrived.
    std::lock_guard lock(recording.mutex);
    const std::vector<int16_t>& s = recording.samples;
    ASSERT_EQ(int64_t(s.size()), frames * 2);
    EXPECT_LE(frames, writtenAtClose);
    EXPECT_GE(frames, writtenAtClose - writtenAtOpen - 44100 * 3 / 10);

    // Bit-exact: one unbroken run of the tone (it repeats every 441 frames).
    ASSERT_GT(frames, 441);
    int64_t offset = -1;
    for (int64_t k = 0; k < 441 && offset < 0; ++k) {
        int16_t f[2];
        tone.frame(k, f);
        if (f[0] == s[0] && f[1] == s[1]) {
            int16_t g[2];
            tone.frame(k + 1, g);
            if (g[0] == s[2] && g[1] == s[3])
                offset = k;
        }
    }
    ASSERT_GE(offset, 0);
    int64_t mismatches = 0;
    for (int64_t i = 0; i < frames; ++i) {
        int16_t f[2];
        tone.frame(offset + i, f);
        mismatches += f[0] != s[size_t(i * 2)] || f[1] != s[size_t(i * 2 + 1)];
    }
    EXPECT_EQ(mismatches, 0);

    // Frequency and level as a meter would see them.
    int crossings = 0;
    int peakLeft = 0, peakRight = 0;
    for (int64_t i = 1; i < frames; ++i) {
        crossings += s[size_t((i - 1) * 2)] < 0 && s[size_t(i * 2)] >= 0;
        peakLeft = std::max(peakLeft, std::abs(int(s[size_t(i * 2)])));
        peakRight = std::max(peakRight, std::abs(int(s[size_t(i * 2 + 1)])));
    }
    const double seconds = double(frames) / 44100;
    EXPECT_NEAR(crossings / seconds, 1000.0, 10.0);
    EXPECT_NEAR(peakLeft, 12000, 2);
    EXPECT_NEAR(peakRight, 6000, 2);
    EXPECT_EQ(recording.failures.load(), 0);
}

TEST_F(PulseBackendTest, TheAudiblePositionFollowsPlaybackPausesAndLeavesOutWhatAFlushDropped)
{
    Playback playback;
    auto stream = backend.openOutput("va_null", CdFormat, playback.callbacks(), nullptr);
    ASSERT_TRUE(stream);
    playback.stream = stream.get();
    QElapsedTimer clock;
    clock.start();

    int64_t last = 0;
    while (clock.elapsed() < 600) {
        const int64_t now = stream->audibleFrames();
        ASSERT_GE(now, last);
        last = now;
        QThread::msleep(10);
    }
    const int64_t elapsed = clock.elapsed() * 44100 / 1000;
    EXPECT_LE(last, elapsed);
    EXPECT_GE(last, elapsed - 44100 * 3 / 10); // within the latency and the start
    EXPECT_LE(last, playback.filled.load());

    stream->setPaused(true);
    const int64_t paused = stream->audibleFrames();
    QThread::msleep(200);
    EXPECT_EQ(stream->audibleFrames(), paused);

    // What was filled but not heard is dropped: the end comes exactly `more` frames later.
    const int64_t more = 4410;
    playback.endAt = playback.filled.load() + more;
    stream->flush();
    const int64_t atFlush = stream->audibleFrames();
    EXPECT_EQ(atFlush, paused);
    stream->setPaused(false);
    ASSERT_TRUE(pulsetest::waitUntil([&] { return playback.drained.load() == 1; }));
    EXPECT_EQ(playback.audibleAtDrained.load(), atFlush + more);
    EXPECT_EQ(stream->audibleFrames(), atFlush + more);
    QThread::msleep(100);
    EXPECT_EQ(playback.drained.load(), 1);
    EXPECT_EQ(playback.failures.load(), 0);
}

TEST_F(PulseBackendTest, NothingToPlayDrainsAtOnce)
{
    Playback playback;
    playback.endAt = 0;
    auto stream = backend.openOutput("", CdFormat, playback.callbacks(), nullptr);
    ASSERT_TRUE(stream);
    ASSERT_TRUE(pulsetest::waitUntil([&] { return playback.drained.load() == 1; }));
    EXPECT_EQ(stream->audibleFrames(), 0);
}

TEST_F(PulseBackendTest, OpenFailuresSayWhy)
{
    struct Case {
        const char* what;
        QString device;
        StreamFormat format;
        StreamError error;
    };
    const Case cases[] = {
        {"unknown device", "no_such_device", CdFormat, StreamError::NoDevice},
        {"24 bits", "", {44100, 2, 24}, StreamError::FormatRefused},
        {"no channels", "", {44100, 0, 16}, StreamError::FormatRefused},
        {"rate 0", "", {0, 2, 16}, StreamError::FormatRefused},
    };
    for (const Case& c : cases) {
        StreamError error = StreamError::None;
        Playback playback;
        EXPECT_FALSE(backend.openOutput(c.device, c.format, playback.callbacks(), &error)) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
        Recording recording;
        error = StreamError::None;
        EXPECT_FALSE(backend.openInput(c.device, c.format, recording.callbacks(), &error)) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
    }

    PulseBackend nowhere(std::make_shared<PulseContext>("unix:/nonexistent/va-test-socket"));
    QElapsedTimer clock;
    clock.start();
    StreamError error = StreamError::None;
    Playback playback;
    EXPECT_FALSE(nowhere.openOutput("", CdFormat, playback.callbacks(), &error));
    EXPECT_EQ(error, StreamError::ServerUnavailable);
    EXPECT_TRUE(nowhere.outputDevices().empty());
    EXPECT_TRUE(nowhere.defaultInputDevice().isEmpty());
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST_F(PulseBackendTest, ADeviceThatGoesAwayEndsTheStreamEvenWhenTheServerMovesIt)
{
    struct Case {
        const char* what;
        bool output;
        bool throughDefault; // the server moves such a stream to the next default
    };
    const Case cases[] = {
        {"playback on the device", true, false},
        {"playback on the default device", true, true},
        {"recording on the device", false, false},
        {"recording on the default device", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int module = c.output ? pulsetest::loadModule("module-null-sink", {"sink_name=va_gone", "norewinds=1"})
                                    : pulsetest::loadModule("module-null-source", {"source_name=va_gone"});
        ASSERT_GE(module, 0);
        if (c.throughDefault)
            pulsetest::pactl({c.output ? "set-default-sink" : "set-default-source", "va_gone"});
        const QString device = c.throughDefault ? QString() : QStringLiteral("va_gone");
        Playback playback;
        Recording recording;
        std::unique_ptr<OutputStream> output;
        std::unique_ptr<InputStream> input;
        if (c.output)
            output = backend.openOutput(device, CdFormat, playback.callbacks(), nullptr);
        else
            input = backend.openInput(device, CdFormat, recording.callbacks(), nullptr);
        ASSERT_TRUE(output || input);
        ASSERT_TRUE(pulsetest::waitUntil([&] { return playback.fills > 0 || recording.frames > 0; }));

        ASSERT_TRUE(pulsetest::unloadModule(module));
        std::atomic<int>& failures = c.output ? playback.failures : recording.failures;
        std::atomic<int>& error = c.output ? playback.error : recording.error;
        ASSERT_TRUE(pulsetest::waitUntil([&] { return failures.load() > 0; }, 3000));
        EXPECT_EQ(StreamError(error.load()), StreamError::DeviceLost);
        const int fills = playback.fills;
        const int64_t frames = recording.frames;
        QThread::msleep(200);
        EXPECT_EQ(failures.load(), 1);
        EXPECT_EQ(playback.fills.load(), fills);
        EXPECT_EQ(recording.frames.load(), frames);
        pulsetest::pactl({"set-default-sink", "va_null"});
        pulsetest::pactl({"set-default-source", "va_pipe"});
    }
}

TEST_F(PulseBackendTest, AStreamTheUserMovesGoesOnAndEndsWithItsNewDevice)
{
    for (const bool output : {true, false}) {
        SCOPED_TRACE(output ? "playback" : "recording");
        const int module = output ? pulsetest::loadModule("module-null-sink", {"sink_name=va_moved", "norewinds=1"})
                                  : pulsetest::loadModule("module-null-source", {"source_name=va_moved"});
        ASSERT_GE(module, 0);
        Playback playback;
        Recording recording(1);
        std::unique_ptr<OutputStream> out;
        std::unique_ptr<InputStream> in;
        if (output)
            out = backend.openOutput("va_null2", CdFormat, playback.callbacks(), nullptr);
        else
            in = backend.openInput("va_mono", {44100, 1, 16}, recording.callbacks(), nullptr);
        ASSERT_TRUE(out || in);
        const testsupport::ToolResult list = pulsetest::pactl({"list", "short", output ? "sink-inputs" : "source-outputs"});
        const QByteArray index = list.out.split('\t').first().trimmed();
        ASSERT_FALSE(index.isEmpty()) << list.out.toStdString();
        ASSERT_EQ(pulsetest::pactl({output ? "move-sink-input" : "move-source-output", QString::fromUtf8(index), "va_moved"})
                      .exitCode,
                  0);
        QThread::msleep(300);
        const int fills = playback.fills;
        const int64_t frames = recording.frames;
        EXPECT_TRUE(pulsetest::waitUntil([&] { return playback.fills > fills || recording.frames > frames; }, 2000));
        EXPECT_EQ(playback.failures.load() + recording.failures.load(), 0);

        // Its device now is the one it was moved to.
        ASSERT_TRUE(pulsetest::unloadModule(module));
        std::atomic<int>& failures = output ? playback.failures : recording.failures;
        ASSERT_TRUE(pulsetest::waitUntil([&] { return failures.load() > 0; }, 3000));
        EXPECT_EQ(StreamError(output ? playback.error.load() : recording.error.load()), StreamError::DeviceLost);
    }
}

TEST_F(PulseBackendTest, NoCallbackAfterCloseFromAnyThread)
{
    // Closed from the test's thread while playing.
    Playback playback;
    auto output = backend.openOutput("va_null", CdFormat, playback.callbacks(), nullptr);
    ASSERT_TRUE(output);
    ASSERT_TRUE(pulsetest::waitUntil([&] { return playback.fills > 1; }));
    output->close();
    const int fills = playback.fills;
    QThread::msleep(150);
    EXPECT_EQ(playback.fills.load(), fills);
    output.reset();

    // Closed from inside its own callback.
    Recording recording(1);
    auto input = backend.openInput("va_mono", {44100, 1, 16}, recording.callbacks(), nullptr);
    ASSERT_TRUE(input);
    recording.closeFromCallback = input.get();
    ASSERT_TRUE(pulsetest::waitUntil([&] { return recording.closed.load(); }));
    QThread::msleep(150);
    EXPECT_EQ(recording.callsAfterClose.load(), 0);
    input.reset();
}

TEST_F(PulseBackendTest, TheServerGoingAwayEndsStreamsAndItsReturnIsFound)
{
    pulsetest::PrivateServer server(testsupport::testFolder() + "/server");
    ASSERT_TRUE(server.start());
    PulseBackend own(std::make_shared<PulseContext>(server.address()));
    ASSERT_EQ(own.outputDevices().size(), 2u);
    Playback playback;
    auto stream = own.openOutput("", CdFormat, playback.callbacks(), nullptr);
    ASSERT_TRUE(stream);

    ASSERT_TRUE(server.stop());
    ASSERT_TRUE(pulsetest::waitUntil([&] { return playback.failures.load() == 1; }, 3000));
    EXPECT_EQ(StreamError(playback.error.load()), StreamError::ServerUnavailable);
    EXPECT_TRUE(own.outputDevices().empty());
    StreamError error = StreamError::None;
    EXPECT_FALSE(own.openOutput("", CdFormat, playback.callbacks(), &error));
    EXPECT_EQ(error, StreamError::ServerUnavailable);
    stream.reset();

    ASSERT_TRUE(server.start());
    EXPECT_EQ(names(own.outputDevices()), (std::vector<QString>{"va_null", "va_null2"}));
}
