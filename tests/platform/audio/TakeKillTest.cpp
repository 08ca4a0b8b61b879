// A recorder killed while recording leaves valid takes: both WAVs read back (Python's wave module
// and sox) with all but about the last second of what was captured, frame for frame.
#include "platform/audio/VirtualBackend.h"

#include "tests/platform/audio/EngineTestSupport.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include <csignal>
#include <sys/types.h>

using namespace platform::audio;
using namespace enginetest;
using wavefixtures::pythonWaveInfo;
using wavefixtures::soxWaveInfo;

namespace {

// The last number printed after word by the child, or -1.
int64_t lastReported(const QByteArray& out, const QByteArray& word)
{
    int64_t value = -1;
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2 && parts[0] == word)
            value = parts[1].toLongLong();
    }
    return value;
}

// What the child's microphone gave: the virtual backend's sine from its first frame.
QByteArray sineFrames(int64_t count)
{
    VirtualBackend reference;
    reference.setInputSine(440, 0.5);
    StreamError error = StreamError::None;
    InputStream::Callbacks callbacks;
    callbacks.captured = [](const void*, int64_t) {};
    auto input = reference.openInput({}, {8000, 2, 16}, std::move(callbacks), &error);
    reference.advance(count);
    return reference.inputAudio(0);
}

} // namespace

TEST(TakeKill, TakesOfAKilledRecordingAreValidWaves)
{
    const QString folder = testsupport::testFolder();
    const QString voice = folder + "/voice.wav";
    const QString music = folder + "/music.wav";
    testsupport::ChildProcess child;
    ASSERT_TRUE(child.start(VA_TAKE_KILL_CHILD, {voice, music}));

    const int64_t wanted = 8000 * 4;
    int64_t captured = -1;
    QElapsedTimer waited;
    waited.start();
    while (captured < wanted && waited.elapsed() < 60000) {
        QThread::msleep(20);
        captured = lastReported(child.out(), "frames");
    }
    const auto pid = pid_t(lastReported(child.out(), "pid"));
    ASSERT_GT(pid, 0) << child.err().constData();
    ASSERT_GE(captured, wanted) << child.err().constData();
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    EXPECT_EQ(child.wait(), -1);
    captured = lastReported(child.out(), "frames");

    // The header is brought up to date every second of audio; what was captured after the last
    // report is a tenth of a second at most.
    const wavefixtures::WaveInfo voiceTake = pythonWaveInfo(voice);
    EXPECT_EQ(voiceTake.rate, 8000);
    EXPECT_EQ(voiceTake.channels, 2);
    ASSERT_GE(voiceTake.frames, captured - 2 * 8000);
    ASSERT_LE(voiceTake.frames, captured + 800);
    EXPECT_EQ(voiceTake.samples, sineFrames(voiceTake.frames));
    EXPECT_EQ(soxWaveInfo(voice, false).frames, voiceTake.frames);

    const wavefixtures::WaveInfo musicTake = pythonWaveInfo(music);
    EXPECT_EQ(musicTake.channels, 2);
    ASSERT_GE(musicTake.frames, captured - 2 * 8000);
    ASSERT_LE(musicTake.frames, captured + 800);
    EXPECT_EQ(musicTake.samples, constant16(musicTake.frames, 0));
    EXPECT_EQ(soxWaveInfo(music, false).frames, musicTake.frames);
}
