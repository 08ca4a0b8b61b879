// The recording window on the tests' sound server: a Voice & Music take of the tone written into
// the pipe source (its pitch and level in the voice track, both tracks of one length), and the mix
// played to the null sink, found again on its monitor.
#include "recorder/PlaybackControls.h"
#include "recorder/RecordingControls.h"

#include "platform/audio/PulseBackend.h"
#include "tests/platform/audio/EngineTestSupport.h"
#include "tests/platform/audio/PulseTestSupport.h"
#include "tests/recorder/WindowOnVirtualSound.h"
#include "tests/support/WaveFixtures.h"

#include <QThread>

#include <cstring>

using namespace recorder;

namespace {

class WindowOnPulse : public windowtest::WindowOnSound<platform::audio::PulseBackend> {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(pulsetest::serverAddress().isEmpty()) << "PULSE_SERVER is not set";
        WindowOnSound::SetUp();
        chosenFormat = makePcmFormat(44100, 16, 2);
    }
    static std::vector<int16_t> samples(const QByteArray& bytes)
    {
        std::vector<int16_t> s(size_t(bytes.size()) / 2);
        std::memcpy(s.data(), bytes.constData(), s.size() * 2);
        return s;
    }
};

TEST_F(WindowOnPulse, VoiceAndMusicTakeOfTheMicrophoneTone)
{
    pulsetest::FifoTone tone(pulsetest::pipeSourceFifo(), 1000, 12000);
    ASSERT_TRUE(tone.start());
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("start recording now"));
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    QTest::qWait(1000);
    click(Control::StartStopRecordingButton);
    tone.stop();
    ASSERT_FALSE(window->recording().take().running());

    const wavefixtures::WaveInfo voice = wavefixtures::pythonWaveInfo(window->trackRoads().track(TrackSide::Voice)->workingPath);
    const wavefixtures::WaveInfo musicTake =
        wavefixtures::pythonWaveInfo(window->trackRoads().track(TrackSide::Music)->workingPath, false);
    ASSERT_GT(voice.frames, 44100 / 2);
    EXPECT_EQ(musicTake.frames, voice.frames);
    const std::vector<int16_t> s = samples(voice.samples);
    int crossings = 0;
    int peak = 0;
    for (int64_t i = 1; i < voice.frames; ++i) {
        crossings += s[size_t((i - 1) * 2)] < 0 && s[size_t(i * 2)] >= 0;
        peak = std::max(peak, std::abs(int(s[size_t(i * 2)])));
    }
    EXPECT_NEAR(crossings / (double(voice.frames) / 44100), 1000.0, 10.0);
    EXPECT_NEAR(peak, 12000, 2);
}

TEST_F(WindowOnPulse, TheMixPlaysToTheNullSink)
{
    const WaveFormatEx format = makePcmFormat(44100, 16, 2);
    const std::vector<int16_t> noise = pulsetest::noise(22050, 4242);
    const QByteArray noiseBytes(reinterpret_cast<const char*>(noise.data()), qsizetype(noise.size() * 2));
    importTrack(TrackSide::Voice, enginetest::writeWave(folder + "/voice.wav", format, noiseBytes));
    // A silent music track: the mix is the voice alone.
    importTrack(TrackSide::Music, enginetest::writeWave(folder + "/music.wav", format, enginetest::constant16(22050, 0)));

    pulsetest::ParecRecording monitor;
    ASSERT_TRUE(monitor.start("va_null.monitor"));
    click(Control::MixedPlayBtn);
    ASSERT_EQ(window->playback().transport().kind(), PlayKind::Mix);
    ASSERT_TRUE(pulsetest::waitUntil([&] { return !window->playback().transport().playing(); }));
    QThread::msleep(200);
    const std::vector<int16_t> heard = monitor.stop();
    // The monitor may miss the very start while the sink wakes up.
    EXPECT_TRUE(pulsetest::arrivedUnchanged(noise, heard, 2205));
}

} // namespace
