// The player library on the tests' private sound server: a tone written into the pipe source in
// real time is recorded into a WAV (read back by Python's wave module), a WAV played to the null
// sink arrives on its monitor (recorded by parec), and a device that goes away ends a playback with
// the playback-ended message and a recording with the recording-ended message, code 204 and a valid
// WAV of what it captured.
#include "platform/audio/AudioEngine.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/audio/PulseBackend.h"

#include "tests/platform/audio/MessageRecorder.h"
#include "tests/platform/audio/PulseTestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QThread>

#include <cstring>

using namespace platform::audio;
using testsupport::MessageRecorder;

namespace {

constexpr uint32_t PlaybackEnded = 0x465;

class EngineOnPulse : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(pulsetest::serverAddress().isEmpty()) << "PULSE_SERVER is not set";
        engine.SetCallbackWindow(&window);
        folder = testsupport::testFolder();
    }

    std::vector<int16_t> samples(const QByteArray& bytes)
    {
        std::vector<int16_t> s(size_t(bytes.size()) / 2);
        std::memcpy(s.data(), bytes.constData(), s.size() * 2);
        return s;
    }

    PulseBackend backend;
    AudioEngine engine{backend};
    MessageRecorder window;
    QString folder;
};

} // namespace

TEST_F(EngineOnPulse, RecordsTheToneOfThePipeSourceIntoAWave)
{
    pulsetest::FifoTone tone(pulsetest::pipeSourceFifo(), 1000, 12000);
    ASSERT_TRUE(tone.start());
    const QString take = folder + "/take.wav";
    ASSERT_EQ(engine.SelectInputDeviceByName("va_pipe"), 0);
    ASSERT_EQ(engine.AudioStartRecord(take, 44100, 16, 2, 0), 0);
    const int64_t writtenAtStart = tone.framesWritten();
    QThread::msleep(1000);
    const int64_t position = engine.AudioGetRecordPosition(1);
    ASSERT_EQ(engine.AudioStopRecord(), 0);
    const int64_t writtenAtStop = tone.framesWritten();
    tone.stop();

    const wavefixtures::WaveInfo wave = wavefixtures::pythonWaveInfo(take);
    ASSERT_EQ(wave.rate, 44100);
    ASSERT_EQ(wave.channels, 2);
    ASSERT_EQ(wave.bits, 16);
    EXPECT_GE(wave.frames, position);
    EXPECT_LE(wave.frames, writtenAtStop);
    EXPECT_GE(wave.frames, writtenAtStop - writtenAtStart - 44100 * 3 / 10);
    const std::vector<int16_t> s = samples(wave.samples);
    ASSERT_EQ(int64_t(s.size()), wave.frames * 2);
    ASSERT_GT(wave.frames, 441);

    // One unbroken run of the tone: no frame lost or doubled on the way to the file.
    int64_t offset = -1;
    for (int64_t k = 0; k < 441 && offset < 0; ++k) {
        int16_t a[2], b[2];
        tone.frame(k, a);
        tone.frame(k + 1, b);
        if (a[0] == s[0] && a[1] == s[1] && b[0] == s[2] && b[1] == s[3])
            offset = k;
    }
    ASSERT_GE(offset, 0);
    int64_t mismatches = 0;
    for (int64_t i = 0; i < wave.frames; ++i) {
        int16_t f[2];
        tone.frame(offset + i, f);
        mismatches += f[0] != s[size_t(i * 2)] || f[1] != s[size_t(i * 2 + 1)];
    }
    EXPECT_EQ(mismatches, 0);

    int crossings = 0, peak = 0;
    for (int64_t i = 1; i < wave.frames; ++i) {
        crossings += s[size_t((i - 1) * 2)] < 0 && s[size_t(i * 2)] >= 0;
        peak = std::max(peak, std::abs(int(s[size_t(i * 2)])));
    }
    EXPECT_NEAR(crossings / (double(wave.frames) / 44100), 1000.0, 10.0);
    EXPECT_NEAR(peak, 12000, 2);
}

TEST_F(EngineOnPulse, AWavePlayedToTheNullSinkArrivesOnItsMonitor)
{
    const std::vector<int16_t> noise = pulsetest::noise(22050, 777);
    const QString file = folder + "/noise.wav";
    testsupport::writeFile(file, wavefixtures::pcmWave(wavefixtures::waveFormat(WAVE_FORMAT_PCM, 2, 44100, 16),
                                                       QByteArray(reinterpret_cast<const char*>(noise.data()),
                                                                  qsizetype(noise.size() * 2))));

    pulsetest::ParecRecording monitor;
    ASSERT_TRUE(monitor.start("va_null.monitor"));

    ASSERT_EQ(engine.SelectOutputDeviceByName("va_null"), 0);
    ASSERT_EQ(engine.AudioPlayWave(file, 0, 1, 0, 0, 0), 0);
    ASSERT_TRUE(pulsetest::waitUntil([&] { return window.count(PlaybackEnded) == 1; }));
    QThread::msleep(200);
    const std::vector<int16_t> heard = monitor.stop();

    // The monitor may miss the very start while the sink wakes up.
    EXPECT_TRUE(pulsetest::arrivedUnchanged(noise, heard, 2205));
    EXPECT_EQ(window.count(PlaybackEnded), 1);
}

TEST_F(EngineOnPulse, APlaybackWhoseDeviceGoesAwayEnds)
{
    const int module = pulsetest::loadModule("module-null-sink", {"sink_name=va_gone", "norewinds=1"});
    ASSERT_GE(module, 0);
    const QString file = folder + "/long.wav";
    testsupport::writeFile(file, wavefixtures::pcmWave(wavefixtures::waveFormat(WAVE_FORMAT_PCM, 2, 44100, 16),
                                                       QByteArray(44100 * 4 * 4, '\x10')));
    ASSERT_EQ(engine.SelectOutputDeviceByName("va_gone"), 0);
    ASSERT_EQ(engine.AudioPlayWave(file, 0, 1, 0, 0, 0), 0);
    ASSERT_TRUE(pulsetest::waitUntil([&] { return engine.AudioGetPosition(1) > 0; }));
    ASSERT_TRUE(pulsetest::unloadModule(module));
    ASSERT_TRUE(pulsetest::waitUntil([&] { return window.count(PlaybackEnded) == 1; }, 3000));
    pulsetest::waitUntil([] { return false; }, 200);
    EXPECT_EQ(window.count(PlaybackEnded), 1);
    EXPECT_EQ(engine.AudioGetPosition(1), 0); // nothing plays any more
}

TEST_F(EngineOnPulse, ARecordingWhoseDeviceGoesAwayKeepsWhatItCaptured)
{
    const int module = pulsetest::loadModule("module-null-source", {"source_name=va_gone"});
    ASSERT_GE(module, 0);
    const QString take = folder + "/take.wav";
    ASSERT_EQ(engine.SelectInputDeviceByName("va_gone"), 0);
    ASSERT_EQ(engine.AudioStartRecord(take, 44100, 16, 2, 0), 0);
    ASSERT_TRUE(pulsetest::waitUntil([&] { return engine.AudioGetRecordPosition(1) >= 44100 / 2; }));
    ASSERT_TRUE(pulsetest::unloadModule(module));
    // The window learns of the end at once, with the code the stop returns.
    ASSERT_TRUE(pulsetest::waitUntil([&] { return window.count(platform::audio::kMsgRecordingEnded) == 1; }));
    EXPECT_EQ(window.messages.back().wParam, 204);
    const int64_t position = engine.AudioGetRecordPosition(1);
    EXPECT_EQ(engine.AudioStopRecord(), 204);

    const wavefixtures::WaveInfo wave = wavefixtures::pythonWaveInfo(take);
    EXPECT_EQ(wave.rate, 44100);
    EXPECT_EQ(wave.channels, 2);
    EXPECT_GE(wave.frames, 44100 / 2);
    EXPECT_GE(wave.frames, position);
    EXPECT_EQ(wave.samples.size(), wave.frames * 4);
    EXPECT_EQ(wavefixtures::soxWaveInfo(take, false).frames, wave.frames);
}
