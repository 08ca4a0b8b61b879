// The music-track library on the virtual backend: pads mixed into the music take at the frames
// they were started, the take aligned with the voice take, what is heard, the pad messages and a
// take that ends by itself. Every take is read back by Python's wave module or sox.
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/audio/VirtualBackend.h"

#include "tests/platform/audio/EngineTestSupport.h"
#include "tests/platform/audio/MessageRecorder.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include <cmath>
#include <vector>

using namespace platform::audio;
using namespace enginetest;
using testsupport::testFolder;
using wavefixtures::pythonWaveInfo;
using wavefixtures::soxWaveInfo;

namespace {

const WaveFormatEx kFormat = makePcmFormat(8000, 16, 2);
constexpr int kFrameBytes = 4;

class MusicTrack : public ::testing::Test {
protected:
    void SetUp() override
    {
        backend.setPeriod(100);
        backend.setInputSine(440, 0.3);
        engine.SetCallbackWindow(&window);
        library.SetCallbackWindowHandle(&window);
        folder = testFolder();
        voice = folder + "/voice.wav";
        music = folder + "/music.wav";
        padA = writeWave(folder + "/a.wav", kFormat, padASamples);
        padB = writeWave(folder + "/b.wav", kFormat, padBSamples);
    }

    int padsEnded()
    {
        runPostedMessages();
        return window.count(kMsgPadEnded);
    }

    const QByteArray padASamples = ramp16(300, 2, 5000);
    const QByteArray padBSamples = ramp16(200, 2, 9000);
    VirtualBackend backend;
    AudioEngine engine{backend};
    MusicTrackLibrary library{engine};
    testsupport::MessageRecorder window;
    QString folder;
    QString voice;
    QString music;
    QString padA;
    QString padB;
};

QByteArray silence(int64_t frameCount)
{
    return QByteArray(frameCount * kFrameBytes, '\0');
}

// Each sample halved, halves to even: what an attenuation of 0.5 makes of it.
QByteArray halved(const QByteArray& samples)
{
    QByteArray out = samples;
    for (int i = 0; i < out.size(); i += 2) {
        const auto v = int16_t(std::nearbyint(sample16(samples, i / 2) * 0.5));
        std::memcpy(out.data() + i, &v, 2);
    }
    return out;
}

} // namespace

// The voice recording starts first, the music take a little later, as the recorder does it: the
// music take still starts at the voice take's frame 0, follows its clock, and both end equal.
// Pad A plays once from the frame it was started, pad B loops until the take stops. What is heard
// is the take from the moment it was prepared, at the attenuation asked.
TEST_F(MusicTrack, VoiceAndMusicTakesStayAligned)
{
    ASSERT_EQ(engine.AudioStartRecord(voice, 8000, 16, 2, 0), 0);
    backend.advance(500);
    ASSERT_EQ(library.SetWaveOutAttenLevel(0.5f), 0);
    ASSERT_EQ(library.PrepareMusicTrack(music, kFormat, -1), 0);
    EXPECT_EQ(library.MusicGetRecordPosition(1), 500);
    backend.advance(1000);
    ASSERT_EQ(library.MixFileWithMusicTrack(padA, 0, 0), 0);
    backend.advance(700);
    ASSERT_EQ(padsEnded(), 1);
    EXPECT_EQ(window.messages.back().wParam, 0);
    ASSERT_EQ(library.MixFileWithMusicTrack(padB, 5, 1), 0);
    backend.advance(1000);
    EXPECT_EQ(library.MusicGetRecordPosition(1), 3200);
    EXPECT_EQ(library.MusicGetRecordPosition(0), 400);
    EXPECT_EQ(engine.AudioGetRecordPosition(1), 3200);
    ASSERT_EQ(engine.AudioStopRecord(), 0);
    backend.advance(300);
    ASSERT_EQ(library.StopMusicTrackRecording(), 0);
    EXPECT_EQ(padsEnded(), 1);

    const wavefixtures::WaveInfo voiceTake = pythonWaveInfo(voice);
    const wavefixtures::WaveInfo musicTake = pythonWaveInfo(music);
    EXPECT_EQ(voiceTake.frames, 3200);
    EXPECT_EQ(musicTake.frames, 3200);
    EXPECT_EQ(voiceTake.samples, backend.inputAudio(0));
    const QByteArray expected = silence(1500) + padASamples + silence(400) + padBSamples.repeated(5);
    EXPECT_EQ(musicTake.samples, expected);
    EXPECT_EQ(soxWaveInfo(music).samples, expected);
    ASSERT_EQ(backend.outputStreamCount(), 1);
    EXPECT_EQ(backend.outputAudio(0), halved(expected.mid(500 * kFrameBytes)) + silence(300));
}

// Pausing the voice recording freezes the pads too: the take goes on where it stopped.
TEST_F(MusicTrack, APausedTakeFreezesThePads)
{
    ASSERT_EQ(engine.AudioStartRecord(voice, 8000, 16, 2, 0), 0);
    ASSERT_EQ(library.PrepareMusicTrack(music, kFormat, -1), 0);
    ASSERT_EQ(library.MixFileWithMusicTrack(padB, 2, 1), 0);
    backend.advance(150);
    ASSERT_EQ(engine.PauseRecording(), 0);
    ASSERT_EQ(library.PauseMusicRecording(), 0);
    backend.advance(1000);
    ASSERT_EQ(engine.ResumeRecording(), 0);
    ASSERT_EQ(library.ResumeMusicRecording(), 0);
    backend.advance(450);
    ASSERT_EQ(engine.AudioStopRecord(), 0);
    ASSERT_EQ(library.StopMusicTrackRecording(), 0);
    EXPECT_EQ(pythonWaveInfo(voice).frames, 600);
    EXPECT_EQ(pythonWaveInfo(music).samples, padBSamples.repeated(3));
}

// A lost voice input stops both takes at the same frame.
TEST_F(MusicTrack, ALostVoiceInputStopsBothTakesTogether)
{
    ASSERT_EQ(engine.AudioStartRecord(voice, 8000, 16, 2, 0), 0);
    ASSERT_EQ(library.PrepareMusicTrack(music, kFormat, -1), 0);
    ASSERT_EQ(library.MixFileWithMusicTrack(padB, 0, 1), 0);
    backend.advance(700);
    backend.removeDevice("virtual-in");
    backend.advance(700);
    EXPECT_EQ(engine.AudioStopRecord(), PlayerCode::RecordDeviceBusy);
    EXPECT_EQ(library.StopMusicTrackRecording(), 0);
    EXPECT_EQ(pythonWaveInfo(voice).frames, 700);
    EXPECT_EQ(pythonWaveInfo(music).frames, 700);
}

// Music only: the take is lined up with the voice that plays. A pad fired while the voice frame v
// is heard lands on the take's frame v - start, whatever the output's latency (which makes the
// output render ahead of what is heard), the period and the moments of the start and the firing.
// A plain take lands it the latency later.
TEST_F(MusicTrack, AnOverdubPutsThePadWhereItWasFired)
{
    const QString played = writeWave(folder + "/played.wav", kFormat, ramp16(40000));
    struct Case {
        int64_t period, latency, playedBefore, firedAfter;
    };
    for (const Case& c : {Case{100, 0, 1000, 700}, Case{100, 600, 1000, 777}, Case{256, 2000, 3333, 5000},
                          Case{1024, 1500, 0, 4096}, Case{64, 4000, 10, 9000}}) {
        SCOPED_TRACE(testing::Message() << "period " << c.period << " latency " << c.latency << " after "
                                        << c.playedBefore << " fired " << c.firedAfter);
        for (const bool overdub : {true, false}) {
            int64_t startedAt = -1;
            int64_t heard = -1;
            {
                VirtualBackend output;
                output.setPeriod(c.period);
                output.setLatency(c.latency);
                AudioEngine player(output);
                MusicTrackLibrary pads(player);
                ASSERT_EQ(player.AudioPlayWave(played, 0, 1, 0, 0, 0), 0);
                output.advance(c.playedBefore);
                if (overdub) {
                    ASSERT_EQ(pads.PrepareMusicTrackOverdub(music, kFormat, -1, 1, &startedAt), 0);
                } else {
                    startedAt = player.AudioGetPosition(1);
                    ASSERT_EQ(pads.PrepareMusicTrack(music, kFormat, -1), 0);
                }
                output.advance(c.firedAfter);
                heard = player.AudioGetPosition(1);
                EXPECT_EQ(pads.MusicGetRecordPosition(1), overdub ? heard - startedAt : heard - startedAt + c.latency);
                ASSERT_EQ(pads.MixFileWithMusicTrack(padA, 0, 0), 0);
                output.advance(2000);
                ASSERT_EQ(pads.StopMusicTrackRecording(), 0);
                ASSERT_EQ(player.AudioStop(), 0);
            }
            const QByteArray take = pythonWaveInfo(music).samples;
            const qsizetype found = take.indexOf(padASamples);
            ASSERT_GE(found, 0);
            EXPECT_EQ(take.left(found), silence(found / kFrameBytes));
            EXPECT_EQ(found / kFrameBytes, overdub ? heard - startedAt : heard - startedAt + c.latency);
        }
    }
    int64_t startedAt = -1;
    EXPECT_EQ(library.PrepareMusicTrackOverdub(music, kFormat, -1, 1, &startedAt), PlayerCode::NoDataToPlay);
    ASSERT_EQ(engine.AudioPlayWave(played, 0, 1, 0, 0, 0), 0);
    ASSERT_EQ(engine.AudioStartRecord(voice, 8000, 16, 2, 0), 0);
    EXPECT_EQ(library.PrepareMusicTrackOverdub(music, kFormat, -1, 1, &startedAt), PlayerCode::AlreadyRecording);
    EXPECT_EQ(startedAt, -1);
    ASSERT_EQ(engine.AudioStopRecord(), 0);
    ASSERT_EQ(engine.AudioStop(), 0);
}

// Pads played without a voice recording run on the output's clock from the moment the take is
// prepared; what is heard is what is written. A take on the output's clock pauses its output.
TEST_F(MusicTrack, PadsAloneRunOnTheOutputClock)
{
    ASSERT_EQ(library.PrepareMusicTrack(music, kFormat, -1), 0);
    backend.advance(100);
    ASSERT_EQ(library.MixFileWithMusicTrack(padA, 3, 0), 0);
    backend.advance(500);
    ASSERT_EQ(library.PauseMusicRecording(), 0);
    backend.advance(400);
    EXPECT_EQ(library.MusicGetRecordPosition(1), 600);
    ASSERT_EQ(library.ResumeMusicRecording(), 0);
    backend.advance(500);
    ASSERT_EQ(padsEnded(), 1);
    EXPECT_EQ(window.messages.back().wParam, 3);
    ASSERT_EQ(library.StopMusicTrackRecording(), 0);
    const QByteArray expected = silence(100) + padASamples + silence(700);
    EXPECT_EQ(pythonWaveInfo(music).samples, expected);
    EXPECT_EQ(backend.outputAudio(0), expected);
    EXPECT_EQ(library.MusicGetRecordPosition(1), 0);
}

// 0x52D: sent for a pad that played to its end and for pads stopped as "current" or "all", not for
// a pad stopped by its index, and never for a pad that was started again or stopped since.
TEST_F(MusicTrack, PadMessagesTellWhatTheWindowDoesNotKnow)
{
    ASSERT_EQ(library.PrepareMusicTrack(music, kFormat, -1), 0);
    ASSERT_EQ(library.MixFileWithMusicTrack(padB, 1, 1), 0);
    ASSERT_EQ(library.MixFileWithMusicTrack(padB, 2, 1), 0);
    ASSERT_EQ(library.MixFileWithMusicTrack(padB, 3, 1), 0);
    backend.advance(300);
    ASSERT_EQ(library.StopMixFile(1), 0);
    EXPECT_EQ(padsEnded(), 0);
    ASSERT_EQ(library.StopPlaybackOfCurrentMixingTrack(), 0);
    ASSERT_EQ(padsEnded(), 1);
    EXPECT_EQ(window.messages.back().wParam, 3);
    ASSERT_EQ(library.MixFileWithMusicTrack(padA, 4, 0), 0);
    ASSERT_EQ(library.StopPlaybackOfAllTracks(), 0);
    EXPECT_EQ(padsEnded(), 3);
    EXPECT_EQ(library.StopPlaybackOfAllTracks(), 0);
    EXPECT_EQ(padsEnded(), 3);

    // Pad 7 ends while the window is busy, and is started again before the message is handled.
    ASSERT_EQ(library.MixFileWithMusicTrack(padA, 7, 0), 0);
    backend.advance(400);
    ASSERT_EQ(library.MixFileWithMusicTrack(padA, 7, 0), 0);
    EXPECT_EQ(padsEnded(), 3);
    backend.advance(400);
    EXPECT_EQ(padsEnded(), 4);
    // Pad 8 ends, and is stopped by index before the message is handled.
    ASSERT_EQ(library.MixFileWithMusicTrack(padA, 8, 0), 0);
    backend.advance(400);
    ASSERT_EQ(library.StopMixFile(8), 0);
    EXPECT_EQ(padsEnded(), 4);
    ASSERT_EQ(library.StopMusicTrackRecording(), 0);
    EXPECT_EQ(pythonWaveInfo(music, false).frames, 1500);
}

TEST_F(MusicTrack, WrongCallsGiveTheirCodes)
{
    EXPECT_EQ(library.MixFileWithMusicTrack(padA, 0, 0), PlayerCode::NoRecordFileName);
    EXPECT_EQ(library.StopMixFile(0), 0);
    EXPECT_EQ(library.StopPlaybackOfAllTracks(), 0);
    EXPECT_EQ(library.PauseMusicRecording(), 0);
    EXPECT_EQ(library.StopMusicTrackRecording(), 0);
    EXPECT_EQ(library.MusicGetRecordPosition(1), 0);
    EXPECT_EQ(library.PrepareMusicTrack("", kFormat, -1), PlayerCode::NoRecordFileName);
    EXPECT_EQ(library.PrepareMusicTrack(music, makePcmFormat(8000, 24, 2), -1), PlayerCode::UnsupportedRecordFormat);
    EXPECT_EQ(library.PrepareMusicTrack(music, kFormat, 1), PlayerCode::InvalidOutputIndex);
    EXPECT_EQ(library.PrepareMusicTrack(folder + "/missing/music.wav", kFormat, -1), PlayerCode::CannotOpenRecordFile);
    backend.setOutputOpenFailure(StreamError::DeviceBusy);
    EXPECT_EQ(library.PrepareMusicTrack(music, kFormat, -1), PlayerCode::CannotOpenOutput);
    backend.setOutputOpenFailure(StreamError::None);

    ASSERT_EQ(library.PrepareMusicTrack(music, kFormat, 0), 0);
    EXPECT_EQ(library.PrepareMusicTrack(music, kFormat, 0), PlayerCode::AlreadyRecording);
    const QString mono = writeWave(folder + "/mono.wav", makePcmFormat(8000, 16, 1), constant16(100, 5, 1));
    const QString empty = writeWave(folder + "/empty.wav", kFormat, {});
    EXPECT_EQ(library.MixFileWithMusicTrack(mono, 0, 0), PlayerCode::FormatNotSupported);
    EXPECT_EQ(library.MixFileWithMusicTrack(empty, 0, 0), PlayerCode::NoDataToPlay);
    EXPECT_EQ(library.MixFileWithMusicTrack(folder + "/none.wav", 0, 0), PlayerCode::CannotOpenFile);
    EXPECT_EQ(library.MixFileWithMusicTrack(padA, 36, 0), PlayerCode::NoDataToPlay);
    EXPECT_EQ(library.MixFileWithMusicTrack(padA, -1, 0), PlayerCode::NoDataToPlay);
    ASSERT_EQ(library.StopMusicTrackRecording(), 0);
    EXPECT_EQ(pythonWaveInfo(music, false).frames, 0);
}

// A take that cannot be written ends by itself: 0x52E, and the next stop reports the take's code
// once. The file keeps what was written.
TEST_F(MusicTrack, ATakeThatCannotBeWrittenEndsAndSaysSo)
{
    {
        const wavefixtures::FileSizeLimit diskFull(46 + 2000);
        ASSERT_EQ(library.PrepareMusicTrack(music, kFormat, -1), 0);
        ASSERT_EQ(library.MixFileWithMusicTrack(padB, 0, 1), 0);
        backend.advance(4000);
        QElapsedTimer waited;
        waited.start();
        while (window.count(kMsgMusicRecordingEnded) == 0 && waited.elapsed() < 10000) {
            runPostedMessages();
            QThread::msleep(5);
        }
    }
    EXPECT_EQ(window.count(kMsgMusicRecordingEnded), 1);
    EXPECT_EQ(library.StopMusicTrackRecording(), PlayerCode::DiskWriteError);
    EXPECT_EQ(library.StopMusicTrackRecording(), 0);
    const wavefixtures::WaveInfo written = pythonWaveInfo(music);
    EXPECT_LE(written.frames, 500);
    EXPECT_EQ(written.samples, padBSamples.repeated(5).left(written.samples.size()));
}

// A take on the output's clock whose output goes away ends by itself, with what it holds.
TEST_F(MusicTrack, ATakeWhoseOutputGoesAwayEndsAndSaysSo)
{
    ASSERT_EQ(library.PrepareMusicTrack(music, kFormat, -1), 0);
    backend.advance(300);
    backend.removeDevice("virtual-out");
    runPostedMessages();
    EXPECT_EQ(window.count(kMsgMusicRecordingEnded), 1);
    EXPECT_EQ(library.StopMusicTrackRecording(), 0);
    EXPECT_EQ(soxWaveInfo(music).frames, 300);
}

// A take whose output cannot be opened starts nothing and leaves the voice recording alone; a
// library that goes away finishes its take.
TEST_F(MusicTrack, TheVoiceRecordingOutlivesAFailedOrDroppedTake)
{
    ASSERT_EQ(engine.AudioStartRecord(voice, 8000, 16, 2, 0), 0);
    backend.setOutputOpenFailure(StreamError::NoDevice);
    EXPECT_EQ(library.PrepareMusicTrack(music, kFormat, -1), PlayerCode::CannotOpenOutput);
    backend.setOutputOpenFailure(StreamError::None);
    backend.advance(200);
    {
        MusicTrackLibrary other(engine);
        ASSERT_EQ(other.PrepareMusicTrack(folder + "/other.wav", kFormat, -1), 0);
        backend.advance(200);
    }
    backend.advance(200);
    ASSERT_EQ(engine.AudioStopRecord(), 0);
    EXPECT_EQ(pythonWaveInfo(voice, false).frames, 600);
    EXPECT_EQ(pythonWaveInfo(folder + "/other.wav", false).frames, 400);
}
