// The recording window on the tests' sound server: a Voice & Music take of the tone written into
// the pipe source (its pitch and level in the voice track, both tracks of one length), the mix
// played to the null sink, found again on its monitor, and Voice-only takes while the music plays:
// of the tone (placed where the window puts it, the music heard meanwhile), and of the null sink's
// own monitor, where a click of the music lands at the frame it was played; and a pad fired by its
// key during a Voice & Music take, found whole in the music take.
#include "recorder/MusicPadPanel.h"
#include "recorder/PlaybackControls.h"
#include "recorder/RecordingControls.h"

#include "controls/EQBmpBtn.h"
#include "platform/audio/PulseBackend.h"
#include "tests/platform/audio/EngineTestSupport.h"
#include "tests/platform/audio/PulseTestSupport.h"
#include "tests/recorder/WindowOnVirtualSound.h"
#include "tests/support/WaveFixtures.h"

#include <QRegularExpression>
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
    // Zero crossings per second of the left channel and its peak, over frames [from, to).
    static std::pair<double, int> pitchAndPeak(const std::vector<int16_t>& s, int64_t from, int64_t to, int channel)
    {
        int crossings = 0;
        int peak = 0;
        for (int64_t i = from + 1; i < to; ++i) {
            crossings += s[size_t((i - 1) * 2 + channel)] < 0 && s[size_t(i * 2 + channel)] >= 0;
            peak = std::max(peak, std::abs(int(s[size_t(i * 2 + channel)])));
        }
        return {crossings / (double(to - from) / 44100), peak};
    }
    QString working(TrackSide side) const { return window->trackRoads().track(side)->workingPath; }
};

// The latency the server configured for a sink's or a source's processing, in frames at 44.1 kHz, as
// pactl lists it ("Latency: 1234 usec, configured 50000 usec"); -1 when it is not listed.
int64_t configuredLatencyFrames(bool sink, const QString& name)
{
    const testsupport::ToolResult listed = pulsetest::pactl({QStringLiteral("list"), sink ? QStringLiteral("sinks")
                                                                                          : QStringLiteral("sources")});
    static const QRegularExpression latency(QStringLiteral("Latency: \\d+ usec, configured (\\d+) usec"));
    bool inDevice = false;
    for (const QString& line : QString::fromUtf8(listed.out).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QStringLiteral("Name: ")))
            inDevice = trimmed.mid(6) == name;
        const QRegularExpressionMatch m = latency.match(trimmed);
        if (inDevice && m.hasMatch())
            return m.captured(1).toLongLong() * 44100 / 1'000'000;
    }
    return -1;
}

// What the server holds in the buffer of the one stream playing, in frames at 44.1 kHz, as pactl
// lists it ("Buffer Latency: 60000 usec"); -1 when nothing plays.
int64_t playbackBufferFrames()
{
    const testsupport::ToolResult listed = pulsetest::pactl({QStringLiteral("list"), QStringLiteral("sink-inputs")});
    static const QRegularExpression latency(QStringLiteral("Buffer Latency: (\\d+) usec"));
    const QRegularExpressionMatch m = latency.match(QString::fromUtf8(listed.out));
    return m.hasMatch() ? m.captured(1).toLongLong() * 44100 / 1'000'000 : -1;
}

// A module loaded for one test, unloaded again whatever the test's outcome: the server is shared.
class LoadedModule {
public:
    LoadedModule(const QString& module, const QStringList& arguments)
        : m_index(pulsetest::loadModule(module, arguments))
    {
    }
    ~LoadedModule()
    {
        if (m_index >= 0)
            pulsetest::unloadModule(m_index);
    }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;
    bool loaded() const { return m_index >= 0; }

private:
    int m_index;
};

TEST_F(WindowOnPulse, VoiceAndMusicTakeOfTheMicrophoneTone)
{
    pulsetest::FifoTone tone(pulsetest::pipeSourceFifo(), 1000, 12000);
    ASSERT_TRUE(tone.start());
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("start recording now"));
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    QTest::qWait(1000);
    // The tone ends first: once nothing records, the pipe source may stop reading, and a writer into
    // its full FIFO would wait for ever.
    tone.stop();
    click(Control::StartStopRecordingButton);
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

// A pad fired by its function key during a Voice & Music take is mixed into the music take whole,
// after the silence of the take before it; the pad comes up again when it has played.
TEST_F(WindowOnPulse, APadFiredByItsKeyGoesIntoTheMusicTake)
{
    const WaveFormatEx format = makePcmFormat(44100, 16, 2);
    const std::vector<int16_t> noise = pulsetest::noise(17640, 31);
    const QByteArray jingle(reinterpret_cast<const char*>(noise.data()), qsizetype(noise.size() * 2));
    ASSERT_TRUE(window->pads().pads().LoadSegmentFile(0, enginetest::writeWave(folder + "/jingle.wav", format, jingle), {}));
    auto* pad = window->findChild<controls::TEQBmpButton*>(QStringLiteral("F1EffectButton"));
    pulsetest::FifoTone tone(pulsetest::pipeSourceFifo(), 1000, 12000);
    ASSERT_TRUE(tone.start());
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("start recording now"));
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    QTest::qWait(400);
    QTest::keyRelease(window.get(), Qt::Key_F1);
    EXPECT_TRUE(pad->Pressed());
    EXPECT_FALSE(window->pads().pads().padsActive()) << "no take of the pads' own while recording";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !pad->Pressed(); }, 3000));
    QTest::qWait(200);
    tone.stop(); // before the take: see VoiceAndMusicTakeOfTheMicrophoneTone
    click(Control::StartStopRecordingButton);
    ASSERT_FALSE(window->recording().take().running());

    const wavefixtures::WaveInfo music = wavefixtures::pythonWaveInfo(working(TrackSide::Music));
    ASSERT_EQ(music.rate, 44100);
    const qsizetype at = music.samples.indexOf(jingle);
    ASSERT_GE(at, 0) << "the pad is not in the music take";
    EXPECT_EQ(at % 4, 0);
    EXPECT_GT(at / 4, 2205) << "the pad went in before its key was pressed";
    EXPECT_EQ(music.samples.left(at), QByteArray(at, '\0'));
    EXPECT_EQ(music.samples.mid(at + jingle.size()), QByteArray(music.samples.size() - at - jingle.size(), '\0'));
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

// Voice only while the music plays: the music reaches the null sink whole, the take holds the
// microphone's tone unbroken at its pitch and level, and the voice track is the take after as many
// silent frames as the music had played when it began, so that it lines up with what was heard.
TEST_F(WindowOnPulse, VoiceOverdubOfTheMicrophoneToneWhileTheMusicPlays)
{
    const WaveFormatEx format = makePcmFormat(44100, 16, 2);
    const std::vector<int16_t> noise = pulsetest::noise(22050, 77);
    const QByteArray noiseBytes(reinterpret_cast<const char*>(noise.data()), qsizetype(noise.size() * 2));
    importTrack(TrackSide::Music, enginetest::writeWave(folder + "/music.wav", format, noiseBytes));
    pulsetest::FifoTone tone(pulsetest::pipeSourceFifo(), 1000, 12000);
    ASSERT_TRUE(tone.start());
    pulsetest::ParecRecording monitor;
    ASSERT_TRUE(monitor.start("va_null.monitor"));

    click(Control::VoiceRecordButton);
    ASSERT_TRUE(window->recording().overdub().running());
    QTest::qWait(1500);
    tone.stop(); // before the take: see VoiceAndMusicTakeOfTheMicrophoneTone
    click(Control::VoiceRecordButton);
    ASSERT_FALSE(window->recording().overdub().running());
    QThread::msleep(200);
    EXPECT_TRUE(pulsetest::arrivedUnchanged(noise, monitor.stop(), 2205));

    const int64_t placedAt = window->recording().overdub().placedAt();
    const wavefixtures::WaveInfo voice = wavefixtures::pythonWaveInfo(working(TrackSide::Voice));
    const wavefixtures::WaveInfo music = wavefixtures::pythonWaveInfo(working(TrackSide::Music), false);
    ASSERT_EQ(voice.rate, 44100);
    EXPECT_EQ(music.frames, voice.frames);
    const std::vector<int16_t> s = samples(voice.samples);
    const auto silent = [&](int64_t i) { return s[size_t(i * 2)] == 0 && s[size_t(i * 2 + 1)] == 0; };
    // Before placedAt the silence the window put there; from there on the take, which the pipe
    // source may open with silence of its own until the tone's frames reach it, and which ends
    // in silence once the tone stopped (and the padding of the track).
    EXPECT_TRUE(std::all_of(s.begin(), s.begin() + placedAt * 2, [](int16_t v) { return v == 0; }));
    int64_t first = placedAt;
    while (first < voice.frames && silent(first))
        ++first;
    int64_t end = voice.frames;
    while (end > first && silent(end - 1))
        --end;
    ASSERT_GT(end - first, 44100) << "placed at " << placedAt << ", the tone from " << first << " to " << end;
    // One unbroken run of the tone.
    int64_t offset = -1;
    for (int64_t k = 0; k < 441 && offset < 0; ++k) {
        int16_t a[2], b[2];
        tone.frame(k, a);
        tone.frame(k + 1, b);
        if (a[0] == s[size_t(first * 2)] && a[1] == s[size_t(first * 2 + 1)] && b[0] == s[size_t(first * 2 + 2)]
            && b[1] == s[size_t(first * 2 + 3)])
            offset = k;
    }
    ASSERT_GE(offset, 0);
    int64_t mismatches = 0;
    for (int64_t i = first; i < end; ++i) {
        int16_t f[2];
        tone.frame(offset + i - first, f);
        mismatches += f[0] != s[size_t(i * 2)] || f[1] != s[size_t(i * 2 + 1)];
    }
    EXPECT_EQ(mismatches, 0);
    const auto [pitch, peak] = pitchAndPeak(s, first, end, 0);
    EXPECT_NEAR(pitch, 1000.0, 10.0);
    EXPECT_NEAR(peak, 12000, 2);
    EXPECT_NEAR(pitchAndPeak(s, first, end, 1).second, 6000, 2);
}

// Voice only with the null sink's monitor as the microphone (through a remapped source, since
// monitors are no input devices): a click of the music lands in the voice track at the frame where
// the music has it. The server's timing is not exact to the frame: the take is lined up with the
// frame heard when it began, which counts what the playing stream's buffer and the sink still hold,
// and the server's figures for those, like the times of the monitor and of the remapped source, are
// only as fresh as its last report of each, which comes once per block it processes. So the click
// may land as far away as the latencies of those stages together, as the server reports them while
// the take runs (about 120 ms here; the click typically lands within 40 ms).
TEST_F(WindowOnPulse, VoiceOverdubLinesUpWithTheMusicHeard)
{
    const LoadedModule loop(QStringLiteral("module-remap-source"),
                            {QStringLiteral("master=va_null.monitor"), QStringLiteral("source_name=va_loop"),
                             QStringLiteral("channels=2"), QStringLiteral("source_properties=device.description=Test_Loop")});
    ASSERT_TRUE(loop.loaded());
    ASSERT_EQ(engine.SelectInputDeviceByName(QStringLiteral("va_loop")), 0);
    const WaveFormatEx format = makePcmFormat(44100, 16, 2);
    constexpr int64_t kClick = 22050;
    QByteArray clicked(66150 * 4, '\0');
    for (int64_t i = kClick; i < kClick + 32; ++i) {
        const int16_t loud = 20000;
        std::memcpy(clicked.data() + i * 4, &loud, 2);
        std::memcpy(clicked.data() + i * 4 + 2, &loud, 2);
    }
    importTrack(TrackSide::Music, enginetest::writeWave(folder + "/music.wav", format, clicked));

    click(Control::VoiceRecordButton);
    ASSERT_TRUE(window->recording().overdub().running());
    QTest::qWait(300);
    const int64_t sinkBlock = configuredLatencyFrames(true, QStringLiteral("va_null"));
    const int64_t monitorBlock = configuredLatencyFrames(false, QStringLiteral("va_null.monitor"));
    const int64_t sourceBlock = configuredLatencyFrames(false, QStringLiteral("va_loop"));
    const int64_t buffered = playbackBufferFrames();
    ASSERT_GT(sinkBlock, 0);
    ASSERT_GT(monitorBlock, 0);
    ASSERT_GT(sourceBlock, 0);
    ASSERT_GE(buffered, 0);
    QTest::qWait(1700);
    click(Control::VoiceRecordButton);
    ASSERT_FALSE(window->recording().overdub().running());

    const wavefixtures::WaveInfo voice = wavefixtures::pythonWaveInfo(working(TrackSide::Voice));
    const std::vector<int16_t> s = samples(voice.samples);
    int64_t heard = -1;
    for (int64_t i = 0; i < voice.frames && heard < 0; ++i) {
        if (std::abs(int(s[size_t(i * 2)])) > 10000)
            heard = i;
    }
    ASSERT_GE(heard, 0) << "the click is not in the take";
    const int64_t tolerance = buffered + sinkBlock + monitorBlock + sourceBlock;
    EXPECT_LE(std::abs(heard - kClick), tolerance)
        << "heard at " << heard << ", played at " << kClick << ", placed at " << window->recording().overdub().placedAt();
    std::printf("the click landed %lld frames from where it was played (tolerance %lld)\n",
                static_cast<long long>(heard - kClick), static_cast<long long>(tolerance));
}

} // namespace
