// The player's recording and level test on the virtual backend: the take holds exactly what was
// captured (read back by Python's wave module and sox), pause and resume leave neither a gap nor a
// frame twice, the header is kept up to date while recording, a lost device or a full disk keeps
// every frame written as a valid WAV and tells the window, and an overdub lines up with the playback.
#include "common/WaveUtil.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/audio/VirtualBackend.h"

#include "tests/platform/audio/EngineTestSupport.h"
#include "tests/platform/audio/MessageRecorder.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <atomic>
#include <thread>
#include <vector>

using namespace platform::audio;
using namespace enginetest;
using testsupport::readFile;
using testsupport::testFolder;
using wavefixtures::pythonWaveInfo;
using wavefixtures::soxWaveInfo;

namespace {

class Recording : public ::testing::Test {
protected:
    void SetUp() override
    {
        backend.setPeriod(100);
        backend.setInputSine(440, 0.5);
        folder = testFolder();
        take = folder + "/take.wav";
        engine.SetCallbackWindow(&window);
    }

    // The ended messages delivered so far, after waiting up to a few seconds for the first.
    std::vector<intptr_t> recordingsEnded(bool wait)
    {
        QElapsedTimer waited;
        waited.start();
        do {
            runPostedMessages();
        } while (wait && window.count(kMsgRecordingEnded) == 0 && waited.elapsed() < 5000);
        std::vector<intptr_t> codes;
        for (const auto& m : window.messages) {
            if (m.id == kMsgRecordingEnded) {
                EXPECT_EQ(m.thread, QThread::currentThread());
                codes.push_back(m.wParam);
            }
        }
        return codes;
    }

    testsupport::MessageRecorder window;
    VirtualBackend backend;
    AudioEngine engine{backend};
    QString folder;
    QString take;
};

} // namespace

// The recorder hands over an empty WAV of its own: the take is written there in the format asked.
TEST_F(Recording, TheTakeIsTheInputFrameForFrame)
{
    ASSERT_EQ(CreateEmptyWaveFile(take, 44100, 16, 1), 0);
    ASSERT_EQ(engine.AudioStartRecord(take, 8000, 16, 2, 0), 0);
    backend.advance(1000);
    EXPECT_EQ(engine.AudioGetRecordPosition(1), 1000);
    backend.advance(2345);
    EXPECT_EQ(engine.AudioGetRecordPosition(1), 3345);
    EXPECT_EQ(engine.AudioGetRecordPosition(0), 418);
    ASSERT_EQ(engine.AudioStopRecord(), 0);
    EXPECT_EQ(engine.AudioGetRecordPosition(1), 0);

    const wavefixtures::WaveInfo python = pythonWaveInfo(take);
    EXPECT_EQ(python.rate, 8000);
    EXPECT_EQ(python.channels, 2);
    EXPECT_EQ(python.bits, 16);
    EXPECT_EQ(python.frames, 3345);
    EXPECT_EQ(python.samples, backend.inputAudio(0));
    EXPECT_EQ(soxWaveInfo(take).samples, backend.inputAudio(0));
    EXPECT_FALSE(backend.inputOpen(0));
}

TEST_F(Recording, EightBitMonoAndAWaveAsTheMicrophone)
{
    const QString voice = folder + "/voice.wav";
    const QByteArray spoken = wavefixtures::sampleBytes(6000, 7);
    writeWave(voice, makePcmFormat(11025, 8, 1), spoken);
    ASSERT_TRUE(backend.setInputWave(voice));
    ASSERT_EQ(engine.AudioStartRecord(take, 11025, 8, 1, 0), 0);
    backend.advance(7000);
    ASSERT_EQ(engine.AudioStopRecord(), 0);
    // A microphone of another format cannot be opened.
    EXPECT_EQ(engine.AudioStartRecord(folder + "/other.wav", 11025, 16, 1, 0), PlayerCode::UnsupportedRecordFormat);
    const wavefixtures::WaveInfo sox = soxWaveInfo(take);
    EXPECT_EQ(sox.bits, 8);
    EXPECT_EQ(sox.frames, 7000);
    EXPECT_EQ(sox.samples, spoken + QByteArray(1000, char(128)));
}

// Frames captured while paused are dropped; the take goes on with the next frame after a resume.
TEST_F(Recording, PauseAndResumeLeaveNoGapAndNoFrameTwice)
{
    ASSERT_EQ(engine.AudioStartRecord(take, 8000, 16, 1, 0), 0);
    backend.advance(1000);
    ASSERT_EQ(engine.PauseRecording(), 0);
    backend.advance(500);
    EXPECT_EQ(engine.AudioGetRecordPosition(1), 1000);
    ASSERT_EQ(engine.ResumeRecording(), 0);
    backend.advance(700);
    ASSERT_EQ(engine.PauseRecording(), 0);
    ASSERT_EQ(engine.PauseRecording(), 0);
    backend.advance(100);
    ASSERT_EQ(engine.ResumeRecording(), 0);
    backend.advance(333);
    ASSERT_EQ(engine.AudioStopRecord(), 0);
    // The recorder resumes a paused take after the stop: harmless.
    EXPECT_EQ(engine.ResumeRecording(), 0);

    const QByteArray input = backend.inputAudio(0);
    const QByteArray expected = frames(input, 2, 0, 1000) + frames(input, 2, 1500, 700) + frames(input, 2, 2300, 333);
    EXPECT_EQ(pythonWaveInfo(take).samples, expected);
}

// Every second of audio the header is brought up to date: a copy taken while recording (what
// a crash leaves) is a valid WAV of the frames written until then.
TEST_F(Recording, TheHeaderIsKeptUpToDateWhileRecording)
{
    ASSERT_EQ(engine.AudioStartRecord(take, 8000, 16, 1, 0), 0);
    backend.advance(20000);
    QElapsedTimer waited;
    waited.start();
    uint32_t stated = 0;
    while (waited.elapsed() < 10000) {
        const QByteArray header = readFile(take).left(46);
        std::memcpy(&stated, header.constData() + 42, 4);
        if (stated != 0xFFFFFFFF && stated >= 32000)
            break;
        QThread::msleep(10);
    }
    ASSERT_GE(stated, 32000u);
    ASSERT_NE(stated, 0xFFFFFFFFu);
    const QString crashed = folder + "/crashed.wav";
    ASSERT_TRUE(QFile::copy(take, crashed));
    ASSERT_EQ(engine.AudioStopRecord(), 0);
    const wavefixtures::WaveInfo python = pythonWaveInfo(crashed);
    ASSERT_GE(python.frames, 16000);
    EXPECT_EQ(python.samples, frames(backend.inputAudio(0), 2, 0, python.frames));
    EXPECT_EQ(pythonWaveInfo(take).frames, 20000);
}

// An input that goes away ends the take with every frame captured until then; the stop reports it.
TEST_F(Recording, ALostInputKeepsEveryFrameCaptured)
{
    testsupport::LogCapture log;
    ASSERT_EQ(engine.AudioStartRecord(take, 8000, 16, 2, 0), 0);
    backend.advance(1500);
    backend.removeDevice("virtual-in");
    backend.advance(500);
    EXPECT_EQ(engine.AudioGetRecordPosition(1), 1500);
    EXPECT_EQ(recordingsEnded(true), std::vector<intptr_t>{PlayerCode::RecordDeviceBusy});
    EXPECT_EQ(engine.AudioStopRecord(), PlayerCode::RecordDeviceBusy);
    EXPECT_EQ(engine.AudioStopRecord(), 0);
    EXPECT_TRUE(log.contains("the recording input stopped"));
    const wavefixtures::WaveInfo sox = soxWaveInfo(take);
    EXPECT_EQ(sox.frames, 1500);
    EXPECT_EQ(sox.samples, backend.inputAudio(0));
    EXPECT_EQ(pythonWaveInfo(take).samples, backend.inputAudio(0));
}

// The end of a take the window has stopped meanwhile is not delivered: the stop told already.
TEST_F(Recording, AnEndPostedBeforeTheStopIsNotDelivered)
{
    ASSERT_EQ(engine.AudioStartRecord(take, 8000, 16, 2, 0), 0);
    backend.advance(300);
    backend.removeDevice("virtual-in");
    EXPECT_EQ(engine.AudioStopRecord(), PlayerCode::RecordDeviceBusy);
    EXPECT_TRUE(recordingsEnded(false).empty());
    backend.setInputDevices({{"virtual-in", "Virtual Input"}});
    ASSERT_EQ(engine.AudioStartRecord(take, 8000, 16, 2, 0), 0);
    backend.advance(300);
    EXPECT_TRUE(recordingsEnded(false).empty());
    EXPECT_EQ(engine.AudioStopRecord(), 0);
}

// A disk that fills up ends the take; the file keeps what reached it, with valid sizes.
TEST_F(Recording, AFullDiskEndsTheTakeWithWhatWasWritten)
{
    uint16_t stopped = 0;
    {
        const wavefixtures::FileSizeLimit diskFull(46 + 4000);
        ASSERT_EQ(engine.AudioStartRecord(take, 8000, 16, 1, 0), 0);
        backend.advance(8000);
        EXPECT_EQ(recordingsEnded(true), std::vector<intptr_t>{PlayerCode::DiskWriteError});
        stopped = engine.AudioStopRecord();
    }
    EXPECT_EQ(stopped, PlayerCode::DiskWriteError);
    const wavefixtures::WaveInfo python = pythonWaveInfo(take);
    ASSERT_GE(python.frames, 0);
    EXPECT_LE(python.frames, 2000);
    EXPECT_EQ(python.samples, frames(backend.inputAudio(0), 2, 0, python.frames));
}

TEST_F(Recording, WrongCallsAndRefusedInputsGiveTheirCodes)
{
    EXPECT_EQ(engine.AudioStopRecord(), 0);
    EXPECT_EQ(engine.PauseRecording(), 0);
    EXPECT_EQ(engine.AudioGetRecordPosition(1), 0);
    int left = -1;
    int right = -1;
    EXPECT_EQ(engine.AudioGetRecordLevel(&left, &right), 0);
    EXPECT_EQ(left + right, 0);
    EXPECT_EQ(engine.AudioStartRecord("", 8000, 16, 1, 0), PlayerCode::NoRecordFileName);
    EXPECT_EQ(engine.AudioStartRecord(take, 8000, 24, 1, 0), PlayerCode::UnsupportedRecordFormat);
    EXPECT_EQ(engine.AudioStartRecord(take, 8000, 16, 3, 0), PlayerCode::UnsupportedRecordFormat);
    EXPECT_EQ(engine.AudioStartRecord(take, 500, 16, 1, 0), PlayerCode::UnsupportedRecordFormat);
    EXPECT_EQ(engine.AudioStartRecord(folder + "/missing/take.wav", 8000, 16, 1, 0), PlayerCode::CannotOpenRecordFile);
    EXPECT_EQ(engine.AudioStartRecordLevelTest(8000, 12, 1), PlayerCode::UnsupportedRecordFormat);

    struct Refusal {
        StreamError error;
        uint16_t code;
    };
    for (const Refusal& r : {Refusal{StreamError::NoDevice, PlayerCode::RecordDeviceBusy},
                             Refusal{StreamError::DeviceBusy, PlayerCode::RecordDeviceBusy},
                             Refusal{StreamError::FormatRefused, PlayerCode::UnsupportedRecordFormat},
                             Refusal{StreamError::Failed, PlayerCode::CannotStartRecording}}) {
        SCOPED_TRACE(int(r.error));
        backend.setInputOpenFailure(r.error);
        EXPECT_EQ(engine.AudioStartRecord(take, 8000, 16, 1, 0), r.code);
        EXPECT_EQ(engine.AudioStartRecordLevelTest(8000, 16, 1), r.code);
    }
    backend.setInputOpenFailure(StreamError::None);

    ASSERT_EQ(engine.AudioStartRecord(take, 8000, 16, 1, 0), 0);
    EXPECT_EQ(engine.AudioStartRecord(take, 8000, 16, 1, 0), PlayerCode::AlreadyRecording);
    EXPECT_EQ(engine.AudioStartRecordLevelTest(8000, 16, 1), PlayerCode::AlreadyRecording);
    backend.advance(200);
    EXPECT_EQ(engine.AudioStopRecordLevelTest(), 0); // leaves the recording alone
    backend.advance(200);
    EXPECT_EQ(engine.AudioGetRecordPosition(1), 400);
    EXPECT_EQ(engine.AudioStopRecord(), 0);
}

// The level test measures the selected input without a take; a recording started meanwhile takes
// the input over. Levels are the peak since the last poll.
TEST_F(Recording, TheLevelTestMeasuresTheInput)
{
    backend.setInputDevices({{"mic", "Microphone"}, {"line", "Line In"}});
    ASSERT_EQ(engine.SelectInputDevice(1), 0);
    ASSERT_EQ(engine.AudioStartRecordLevelTest(8000, 16, 2), 0);
    EXPECT_EQ(backend.inputDevice(0), "line");
    EXPECT_EQ(engine.AudioStartRecordLevelTest(8000, 16, 2), PlayerCode::AlreadyRecording);
    backend.advance(800);
    int left = -1;
    int right = -1;
    ASSERT_EQ(engine.AudioGetRecordLevel(&left, &right), 0);
    EXPECT_EQ(left, 50);
    EXPECT_EQ(right, 50);
    engine.AudioGetRecordLevel(&left, &right);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(engine.AudioGetRecordPosition(1), 0);
    ASSERT_EQ(engine.AudioStopRecordLevelTest(), 0);
    EXPECT_EQ(engine.AudioStopRecordLevelTest(), 0);
    EXPECT_FALSE(backend.inputOpen(0));

    backend.setInputSine(100, 1.0);
    ASSERT_EQ(engine.AudioStartRecordLevelTest(8000, 8, 1), 0);
    backend.advance(800);
    engine.AudioGetRecordLevel(&left, &right);
    EXPECT_EQ(left, 99); // 127 of 128
    EXPECT_EQ(right, 99);
    ASSERT_EQ(engine.AudioStartRecord(take, 8000, 16, 1, 0), 0);
    EXPECT_FALSE(backend.inputOpen(1));
    backend.advance(300);
    engine.AudioGetRecordLevel(&left, &right);
    EXPECT_EQ(left, 100);
    ASSERT_EQ(engine.AudioStopRecord(), 0);
    EXPECT_EQ(pythonWaveInfo(take, false).frames, 300);
}

// Recording while playing (one track records while the other plays), both on the same clock.
TEST_F(Recording, RecordsWhilePlaying)
{
    const QString music = writeWave(folder + "/music.wav", makePcmFormat(8000, 16, 2), ramp16(5000));
    ASSERT_EQ(engine.AudioPlayWave(music, 0, 1, 0, 0, 0), 0);
    ASSERT_EQ(engine.AudioStartRecord(take, 8000, 16, 2, 0), 0);
    backend.advance(2000);
    EXPECT_EQ(engine.AudioGetPosition(1), 2000);
    EXPECT_EQ(engine.AudioGetRecordPosition(1), 2000);
    ASSERT_EQ(engine.AudioStopRecord(), 0);
    ASSERT_EQ(engine.AudioStop(), 0);
    EXPECT_EQ(pythonWaveInfo(take).samples, backend.inputAudio(0));
    EXPECT_EQ(backend.outputAudio(0), ramp16(2000));
}

// An overdub lines up with what the speaker played: a click of the playing track, heard back by
// the microphone (a loopback) after the output's and the input's latency, lands on the take's frame
// that stands for the click's frame of the track, whatever the latencies, the period and the moment
// the recording began. A plain recording started at the same moment is off by the input latency.
TEST_F(Recording, AnOverdubLandsOnTheFrameThatWasHeard)
{
    const int64_t click = 12345;
    QByteArray track = constant16(20000, 0, 1);
    std::memcpy(track.data() + click * 2, "\x20\x4e", 2); // 20000
    const QString music = writeWave(folder + "/music.wav", makePcmFormat(8000, 16, 1), track);
    auto clickIn = [](const QByteArray& samples) {
        for (int64_t i = 0; i < samples.size() / 2; ++i) {
            if (sample16(samples, i) != 0)
                return i;
        }
        return int64_t(-1);
    };

    struct Case {
        int64_t period, outputLatency, inputLatency, playedBefore;
    };
    for (const Case& c : {Case{100, 0, 0, 1000}, Case{256, 1000, 700, 3001}, Case{64, 333, 4096, 5555},
                          Case{1024, 2048, 100, 0}, Case{1000, 1500, 2500, 7777}}) {
        SCOPED_TRACE(testing::Message() << "period " << c.period << " latencies " << c.outputLatency << "/"
                                        << c.inputLatency << " after " << c.playedBefore);
        for (const bool overdub : {true, false}) {
            int64_t startedAt = -1;
            {
                VirtualBackend looped;
                looped.setPeriod(c.period);
                looped.setLatency(c.outputLatency);
                looped.setInputLatency(c.inputLatency);
                looped.setInputLoopback({8000, 1, 16});
                AudioEngine player(looped);
                ASSERT_EQ(player.AudioPlayWave(music, 0, 1, 0, 0, 0), 0);
                looped.advance(c.playedBefore);
                if (overdub) {
                    ASSERT_EQ(player.AudioStartOverdubRecord(take, 8000, 16, 1, 0, 1, &startedAt), 0);
                } else {
                    startedAt = player.AudioGetPosition(1);
                    ASSERT_EQ(player.AudioStartRecord(take, 8000, 16, 1, 0), 0);
                }
                looped.advance(click + c.outputLatency + c.inputLatency);
                ASSERT_EQ(player.AudioStopRecord(), 0);
                ASSERT_EQ(player.AudioStop(), 0);
            }
            const int64_t landed = clickIn(pythonWaveInfo(take).samples);
            if (overdub)
                EXPECT_EQ(landed, click - startedAt);
            else
                EXPECT_EQ(landed, click - startedAt + c.inputLatency);
        }
    }
}

// Overdubbing needs a playback to line up with.
TEST_F(Recording, AnOverdubWithoutPlaybackIsRefused)
{
    int64_t startedAt = -1;
    EXPECT_EQ(engine.AudioStartOverdubRecord(take, 8000, 16, 1, 0, 1, &startedAt), PlayerCode::NoDataToPlay);
    EXPECT_EQ(startedAt, -1);
    EXPECT_EQ(backend.inputStreamCount(), 0);
}

// The clock runs on its own thread while the GUI thread pauses, resumes and polls: the take is
// still a valid WAV holding a run of the input without gaps inside each stretch.
TEST_F(Recording, ControlCallsWhileTheClockRunsElsewhere)
{
    ASSERT_EQ(engine.AudioStartRecord(take, 8000, 16, 1, 0), 0);
    std::atomic<bool> running{true};
    std::thread clock([&] {
        while (running.load())
            backend.advance(100);
    });
    int64_t last = 0;
    for (int i = 0; i < 200; ++i) {
        const int64_t position = engine.AudioGetRecordPosition(1);
        EXPECT_GE(position, last);
        last = position;
        int left, right;
        engine.AudioGetRecordLevel(&left, &right);
        if (i % 50 == 10)
            engine.PauseRecording();
        if (i % 50 == 20)
            engine.ResumeRecording();
        QThread::usleep(200);
    }
    ASSERT_EQ(engine.AudioStopRecord(), 0);
    running = false;
    clock.join();
    const wavefixtures::WaveInfo python = pythonWaveInfo(take, false);
    EXPECT_GE(python.frames, last);
    EXPECT_EQ(python.rate, 8000);
}
