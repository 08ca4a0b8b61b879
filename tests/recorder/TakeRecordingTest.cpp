// A take without a window, on the virtual sound backend: the free-space limit, take names, the
// Voice & Music take with pause (no gap, no frame twice, both files the same length) and the
// insert of a take into a track through the paste process, which leaves the track as it was when
// it fails.
#include "recorder/TakeRecording.h"

#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/audio/VirtualBackend.h"
#include "tests/common/JobTestSupport.h"
#include "tests/platform/audio/EngineTestSupport.h"
#include "tests/support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

using namespace recorder;
using enginetest::frames;
using enginetest::ramp16;
using enginetest::writeWave;

namespace {

const WaveFormatEx kStereo8k = makePcmFormat(8000, 16, 2);
constexpr int kFrameBytes = 4;

TEST(TakeRules, FreeSpaceLimit)
{
    EXPECT_FALSE(roomToRecord(kLowSpaceBytes));
    EXPECT_TRUE(roomToRecord(kLowSpaceBytes + 1));
    EXPECT_FALSE(roomToRecord(0));
    EXPECT_TRUE(roomToRecord(-1)); // the file system does not say
}

// Each name is held by an empty file of its own, so no later name (of a take or of any other
// file made in the folder) can be the same while the take lives.
TEST(TakeRules, TakeNamesAreFreshWavFilesInTheFolder)
{
    const QString folder = testsupport::testFolder();
    const QString first = takeFileName(folder);
    const QString second = takeFileName(folder);
    EXPECT_NE(first, second);
    for (const QString& name : {first, second}) {
        EXPECT_TRUE(name.endsWith(QStringLiteral(".wav"))) << name.toStdString();
        EXPECT_EQ(QFileInfo(name).absolutePath(), QDir(folder).absolutePath());
        EXPECT_TRUE(QFileInfo(name).isFile()) << name.toStdString();
        EXPECT_EQ(QFileInfo(name).size(), 0);
    }
    EXPECT_TRUE(QDir(folder).entryList({QStringLiteral("*.tmp")}, QDir::Files).isEmpty());
    EXPECT_TRUE(takeFileName(folder + "/missing-folder").isEmpty());
}

class TakeOnVirtualSound : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::testFolder();
        backend.setPeriod(100);
    }

    QString folder;
    testsupport::ScriptedInteraction interaction;
    platform::Messages messages = makeRecorderMessages(interaction);
    platform::audio::VirtualBackend backend;
    platform::audio::AudioEngine engine{backend};
    platform::audio::MusicTrackLibrary music{engine};
};

// The microphone says which frame it captured: a pause drops what it hears, the resume goes on with
// the next frame heard, and the music take has exactly the voice take's length.
TEST_F(TakeOnVirtualSound, PauseLeavesNoGapAndBothFilesHaveOneLength)
{
    ASSERT_TRUE(backend.setInputWave(writeWave(folder + "/microphone.wav", kStereo8k, ramp16(8000))));
    VoiceAndMusicTake take(engine, music);
    const QString voice = takeFileName(folder);
    const QString musicWav = takeFileName(folder);
    ASSERT_EQ(take.start(voice, musicWav, kStereo8k, -1), 0);
    EXPECT_TRUE(take.running());
    backend.advance(3000);
    EXPECT_EQ(take.position(), 3000);
    ASSERT_EQ(take.pause(), 0);
    EXPECT_TRUE(take.paused());
    backend.advance(2000);
    EXPECT_EQ(take.position(), 3000);
    ASSERT_EQ(take.resume(), 0);
    backend.advance(1000);
    EXPECT_EQ(take.position(), 4000);
    ASSERT_EQ(take.stop(), 0);
    EXPECT_FALSE(take.running());

    const wavefixtures::WaveInfo voiceRead = wavefixtures::pythonWaveInfo(voice);
    const wavefixtures::WaveInfo musicRead = wavefixtures::pythonWaveInfo(musicWav);
    EXPECT_EQ(voiceRead.frames, 4000);
    EXPECT_EQ(musicRead.frames, voiceRead.frames);
    const QByteArray heard = ramp16(8000);
    EXPECT_EQ(voiceRead.samples, frames(heard, kFrameBytes, 0, 3000) + frames(heard, kFrameBytes, 5000, 1000));
}

// A take that cannot start leaves nothing running.
TEST_F(TakeOnVirtualSound, FailedStartLeavesNothingRunning)
{
    VoiceAndMusicTake take(engine, music);
    backend.setInputOpenFailure(platform::audio::StreamError::DeviceBusy);
    EXPECT_NE(take.start(takeFileName(folder), takeFileName(folder), kStereo8k, -1), 0);
    EXPECT_FALSE(take.running());
    EXPECT_EQ(engine.AudioGetRecordPosition(1), 0);
    backend.setInputOpenFailure(platform::audio::StreamError::None);
    backend.setOutputOpenFailure(platform::audio::StreamError::DeviceBusy);
    EXPECT_NE(take.start(takeFileName(folder), takeFileName(folder), kStereo8k, -1), 0);
    EXPECT_FALSE(take.running());
    EXPECT_EQ(engine.AudioGetRecordPosition(1), 0);
}

// Voice only: the voice take starts with the music heard from its start. Music only: the voice is
// heard from the frame given while the music take runs. Stop ends both.
TEST_F(TakeOnVirtualSound, OverdubRecordsOneTrackWhileTheOtherPlays)
{
    ASSERT_TRUE(backend.setInputWave(writeWave(folder + "/microphone.wav", kStereo8k, ramp16(8000, 2, 1))));
    const QByteArray played = ramp16(4000, 2, 500);
    const QString playWav = writeWave(folder + "/played.wav", kStereo8k, played);
    struct Case {
        OverdubSide side;
        int64_t playStart;
    };
    for (const Case c : {Case{OverdubSide::Voice, 0}, Case{OverdubSide::Music, 1000}}) {
        SCOPED_TRACE(int(c.side));
        OverdubTake take(engine, music);
        const QString takeWav = takeFileName(folder);
        const int outputs = backend.outputStreamCount();
        ASSERT_EQ(take.start(c.side, takeWav, kStereo8k, playWav, c.playStart, -1), 0);
        EXPECT_TRUE(take.running());
        backend.advance(1500);
        EXPECT_EQ(take.position(), 1500);
        EXPECT_EQ(engine.AudioGetPosition(1), c.playStart + 1500);
        ASSERT_EQ(take.stop(), 0);
        EXPECT_FALSE(take.running());
        EXPECT_EQ(engine.AudioGetPosition(1), 0);
        // The played file's stream is the first one the take opened.
        EXPECT_EQ(backend.outputAudio(outputs), frames(played, kFrameBytes, c.playStart, 1500));
        const wavefixtures::WaveInfo read = wavefixtures::pythonWaveInfo(takeWav);
        EXPECT_EQ(read.frames, 1500);
        if (c.side == OverdubSide::Voice) {
            EXPECT_EQ(read.samples, ramp16(1500, 2, 1));
        }
    }
}

// An overdub whose playback cannot start records nothing.
TEST_F(TakeOnVirtualSound, OverdubWithoutItsPlaybackLeavesNothingRunning)
{
    OverdubTake take(engine, music);
    const QString missing = folder + "/missing.wav";
    for (OverdubSide side : {OverdubSide::Voice, OverdubSide::Music}) {
        EXPECT_NE(take.start(side, takeFileName(folder), kStereo8k, missing, 0, -1), 0);
        EXPECT_FALSE(take.running());
        EXPECT_EQ(engine.AudioGetRecordPosition(1), 0);
        EXPECT_EQ(music.MusicGetRecordPosition(1), 0);
    }
}

class InsertTake : public TakeOnVirtualSound {
protected:
    jobtest::ScriptedProgressHost host;
    JobRunner runner{host};
};

// The take goes in at the frame given: the track before it, the take, the rest of the track.
TEST_F(InsertTake, TakeGoesInAtThePosition)
{
    const QByteArray track = ramp16(1000);
    const QByteArray takeFrames = ramp16(500, 2, 10000);
    struct Case {
        int64_t position;
        QByteArray expected;
    };
    const Case cases[] = {
        {0, takeFrames + track},
        {300, frames(track, kFrameBytes, 0, 300) + takeFrames + frames(track, kFrameBytes, 300, 700)},
        {1000, track + takeFrames},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        const TakeInsert insert{writeWave(folder + "/track.wav", kStereo8k, track),
                                writeWave(folder + "/take.wav", kStereo8k, takeFrames), takeFileName(folder)};
        ASSERT_EQ(insertTake(runner, engine, messages, insert, c.position), 0);
        const wavefixtures::WaveInfo read = wavefixtures::pythonWaveInfo(insert.result);
        EXPECT_EQ(read.frames, 1500);
        EXPECT_EQ(read.samples, c.expected);
    }
}

// A paste that fails says why and leaves the track and the take as they were.
TEST_F(InsertTake, FailedInsertLeavesTheTrack)
{
    const TakeInsert insert{writeWave(folder + "/track.wav", kStereo8k, ramp16(1000)),
                            writeWave(folder + "/take.wav", kStereo8k, ramp16(500)), takeFileName(folder)};
    const QByteArray trackHash = testsupport::hashOf(insert.track);
    const QByteArray takeHash = testsupport::hashOf(insert.take);
    interaction.expectMessageBox(platform::IDOK);
    EXPECT_NE(insertTake(runner, engine, messages, insert, 1001), 0);
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(testsupport::hashOf(insert.track), trackHash);
    EXPECT_EQ(testsupport::hashOf(insert.take), takeHash);
}

} // namespace
