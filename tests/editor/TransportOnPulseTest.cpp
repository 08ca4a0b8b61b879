// The editor's recording on the tests' sound server: the tone written into the pipe source, the
// microphone, recorded into a new document through the record button, arrives at its pitch and
// level.
#include "tests/editor/TransportWindow.h"

#include "platform/audio/PulseBackend.h"
#include "tests/platform/audio/PulseTestSupport.h"

#include <cstdlib>
#include <cstring>

namespace {

class TransportOnPulse : public transporttest::TransportWindow<platform::audio::PulseBackend> {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(pulsetest::serverAddress().isEmpty()) << "PULSE_SERVER is not set";
        TransportWindow::SetUp();
        engine.SetTempPath(temp);
        newFormat = makePcmFormat(44100, 16, 2);
    }
};

TEST_F(TransportOnPulse, RecordsTheMicrophoneToneIntoANewDocument)
{
    makeWindow();
    pulsetest::FifoTone tone(pulsetest::pipeSourceFifo(), 1000, 12000);
    ASSERT_TRUE(tone.start());
    click("StartStopRecordingButton");
    ASSERT_EQ(window->transportState(), TransportState::Recording);
    QTest::qWait(1000);
    // The tone ends first: once nothing records, the pipe source may stop reading, and a writer into
    // its full FIFO would wait for ever.
    tone.stop();
    click("StartStopRecordingButton");
    ASSERT_EQ(window->transportState(), TransportState::Stopped);

    const wavefixtures::WaveInfo take = wavefixtures::soxWaveInfo(document()->workingFile);
    ASSERT_GT(take.frames, 44100 / 2);
    EXPECT_EQ(take.rate, 44100);
    EXPECT_EQ(take.channels, 2);
    EXPECT_EQ(display()->TotalSamples(), uint32_t(take.frames));
    std::vector<int16_t> s(size_t(take.samples.size()) / 2);
    std::memcpy(s.data(), take.samples.constData(), s.size() * 2);
    int crossings = 0;
    int peak = 0;
    for (int64_t i = 1; i < take.frames; ++i) {
        crossings += s[size_t((i - 1) * 2)] < 0 && s[size_t(i * 2)] >= 0;
        peak = std::max(peak, std::abs(int(s[size_t(i * 2)])));
    }
    // The take may open with silence of the pipe source's own and end with silence after the tone.
    EXPECT_NEAR(peak, 12000, 2);
    EXPECT_GT(crossings, 400);
    EXPECT_LE(crossings / (double(take.frames) / 44100), 1010.0);
}

} // namespace
