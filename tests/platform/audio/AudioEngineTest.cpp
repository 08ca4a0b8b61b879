// The player's playback on the virtual backend: the transport as a table, what is heard, mixed
// playback with gains changed while it plays, saturation, levels, devices and file information.
#include "platform/audio/AudioEngine.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/audio/VirtualBackend.h"

#include "tests/platform/audio/EngineTestSupport.h"
#include "tests/platform/audio/MessageRecorder.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <QThread>

#include <atomic>
#include <thread>
#include <vector>

using namespace platform::audio;
using namespace enginetest;
using testsupport::testFolder;
using wavefixtures::waveFormat;

namespace {

const WaveFormatEx kStereo8k = makePcmFormat(8000, 16, 2);
constexpr int kFileFrames = 10000;

class Playback : public ::testing::Test {
protected:
    void SetUp() override
    {
        backend.setPeriod(100);
        engine.SetCallbackWindow(&window);
        folder = testFolder();
        file = writeWave(folder + "/ramp.wav", kStereo8k, ramp16(kFileFrames));
    }

    int ended()
    {
        runPostedMessages();
        return window.count(kMsgPlaybackEnded);
    }

    VirtualBackend backend;
    AudioEngine engine{backend};
    testsupport::MessageRecorder window;
    QString folder;
    QString file;
};

enum class Op { Play, Advance, Pause, Resume, MoveTo, Stop };

struct Step {
    Op op;
    int64_t a = 0;
    int64_t b = 0;
    uint16_t code = 0;
    int64_t position = -1; // checked after the step, before the messages run
    int ended = -1;        // 0x465 so far, after the messages run
    bool runMessages = true;
};

struct Scenario {
    const char* name;
    std::vector<Step> steps;
};

} // namespace

TEST_F(Playback, TransportFollowsTheTable)
{
    const std::vector<Scenario> scenarios = {
        {"plays to its end and says so once",
         {{Op::Play, 0, 0, 0, 0, 0},
          {Op::Advance, 4000, 0, 0, 4000, 0},
          {Op::Advance, 6000, 0, 0, 10000, 0},
          {Op::Advance, 100, 0, 0, 10000, 1},
          {Op::Advance, 1000, 0, 0, 0, 1}}},
        {"plays the range it is given",
         {{Op::Play, 1000, 3000, 0, 1000},
          {Op::Advance, 1500, 0, 0, 2500, 0},
          {Op::Advance, 600, 0, 0, 3000, 1}}},
        {"a pause holds the position",
         {{Op::Play, 0, 0, 0},
          {Op::Advance, 1000, 0, 0, 1000},
          {Op::Pause, 0, 0, 0, 1000},
          {Op::Advance, 1000, 0, 0, 1000},
          {Op::Pause, 0, 0, 0, 1000},
          {Op::Resume, 0, 0, 0, 1000},
          {Op::Advance, 500, 0, 0, 1500},
          {Op::Resume, 0, 0, PlayerCode::AlreadyPlaying, 1500, 0}}},
        {"a seek goes on from the new frame, forwards or back",
         {{Op::Play, 0, 0, 0},
          {Op::Advance, 1000},
          {Op::MoveTo, 5000, 0, 0, 5000},
          {Op::Advance, 100, 0, 0, 5100},
          {Op::MoveTo, 200, 0, 0, 200},
          {Op::Advance, 100, 0, 0, 300, 0}}},
        {"a seek while paused waits for the resume",
         {{Op::Play, 0, 0, 0},
          {Op::Advance, 1000},
          {Op::Pause},
          {Op::MoveTo, 7000, 0, 0, 7000},
          {Op::Advance, 500, 0, 0, 7000},
          {Op::Resume, 0, 0, 0, 7000},
          {Op::Advance, 100, 0, 0, 7100}}},
        {"a stopped playback says nothing",
         {{Op::Play, 0, 0, 0},
          {Op::Advance, 1000},
          {Op::Stop, 0, 0, 0, 0, 0},
          {Op::Advance, 10000, 0, 0, 0, 0}}},
        {"a stop after the end but before the message says nothing",
         {{Op::Play, 0, 0, 0},
          {Op::Advance, 10100, 0, 0, 10000, -1, false},
          {Op::Stop, 0, 0, 0, 0, 0}}},
        {"a playback after the end starts afresh",
         {{Op::Play, 0, 0, 0},
          {Op::Advance, 10100, 0, 0, -1, 1},
          {Op::Play, 9000, 0, 0, 9000},
          {Op::Advance, 1100, 0, 0, -1, 2}}},
        {"calls in the wrong state",
         {{Op::Pause, 0, 0, PlayerCode::NoDataToPlay},
          {Op::Resume, 0, 0, PlayerCode::NoDataToPlay},
          {Op::MoveTo, 10, 0, PlayerCode::NoDataToPlay},
          {Op::Stop, 0, 0, 0},
          {Op::Play, 0, 0, 0},
          {Op::Play, 0, 0, PlayerCode::AlreadyPlaying},
          {Op::MoveTo, kFileFrames, 0, PlayerCode::NoDataToPlay},
          {Op::MoveTo, -1, 0, PlayerCode::NoDataToPlay},
          {Op::Advance, 300, 0, 0, 300, 0}}},
        {"an empty range plays nothing",
         {{Op::Play, 5000, 5000, PlayerCode::NoDataToPlay},
          {Op::Play, kFileFrames, 0, PlayerCode::NoDataToPlay},
          {Op::Play, 9000, 20000, 0},
          {Op::Advance, 1100, 0, 0, -1, 1}}},
    };
    for (const Scenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        window.messages.clear();
        for (std::size_t i = 0; i < scenario.steps.size(); ++i) {
            SCOPED_TRACE(i);
            const Step& step = scenario.steps[i];
            uint16_t code = 0;
            switch (step.op) {
            case Op::Play: code = engine.AudioPlayWave(file, step.a, 1, 0, 0, step.b); break;
            case Op::Advance: backend.advance(step.a); break;
            case Op::Pause: code = engine.AudioPause(); break;
            case Op::Resume: code = engine.AudioResume(); break;
            case Op::MoveTo: code = engine.AudioMoveTo(step.a, 1); break;
            case Op::Stop: code = engine.AudioStop(); break;
            }
            EXPECT_EQ(code, step.code);
            if (step.position >= 0) {
                EXPECT_EQ(engine.AudioGetPosition(1), step.position);
            }
            if (step.runMessages && step.ended >= 0) {
                EXPECT_EQ(ended(), step.ended);
            }
        }
        engine.AudioStop();
        runPostedMessages();
    }
}

// What is heard is the file's frames in order, from each seek on, with nothing while paused.
TEST_F(Playback, WhatIsHeardIsTheFileFromEachSeek)
{
    const QByteArray samples = ramp16(kFileFrames);
    ASSERT_EQ(engine.AudioPlayWave(file, 0, 1, 0, 0, 0), 0);
    backend.advance(1000);
    ASSERT_EQ(engine.AudioMoveTo(5000, 1), 0);
    backend.advance(500);
    ASSERT_EQ(engine.AudioPause(), 0);
    backend.advance(300);
    ASSERT_EQ(engine.AudioResume(), 0);
    backend.advance(200);
    ASSERT_EQ(engine.AudioStop(), 0);
    ASSERT_EQ(backend.outputStreamCount(), 2);
    EXPECT_EQ(backend.outputAudio(0), frames(samples, 4, 0, 1000));
    EXPECT_EQ(backend.outputAudio(1), frames(samples, 4, 5000, 700));
    EXPECT_FALSE(backend.outputOpen(1));
}

TEST_F(Playback, PositionsInMillisecondsUseTheFilesRate)
{
    ASSERT_EQ(engine.AudioPlayWave(file, 250, 0, 0, 0, 500), 0);
    backend.advance(1000);
    EXPECT_EQ(engine.AudioGetPosition(1), 3000);
    EXPECT_EQ(engine.AudioGetPosition(0), 375);
    EXPECT_EQ(engine.AudioGetPosition(7), 0);
    ASSERT_EQ(engine.AudioMoveTo(300, 0), 0);
    EXPECT_EQ(engine.AudioGetPosition(1), 2400);
    backend.advance(2000);
    EXPECT_EQ(ended(), 1);
    EXPECT_EQ(backend.outputAudio(1), frames(ramp16(kFileFrames), 4, 2400, 1600));
}

// The position is what is heard: with latency it trails what was handed to the stream.
TEST_F(Playback, ThePositionIsTheAudibleFrame)
{
    backend.setLatency(600);
    ASSERT_EQ(engine.AudioPlayWave(file, 0, 1, 0, 0, 0), 0);
    backend.advance(1000);
    EXPECT_EQ(engine.AudioGetPosition(1), 1000);
    backend.advance(9000);
    EXPECT_EQ(engine.AudioGetPosition(1), 10000);
    EXPECT_EQ(ended(), 1);
    EXPECT_EQ(backend.outputAudio(0), ramp16(kFileFrames));
}

// The meters show the peak of what was heard since the last poll, not of what is queued ahead.
TEST_F(Playback, LevelsFollowWhatIsHeard)
{
    const QString loud =
        writeWave(folder + "/levels.wav", kStereo8k, constant16(2000, 16384) + constant16(2000, -32768));
    backend.setLatency(500);
    ASSERT_EQ(engine.AudioPlayWave(loud, 0, 1, 0, 0, 0), 0);
    int left = -1;
    int right = -1;
    backend.advance(1000);
    ASSERT_EQ(engine.AudioGetPlaybackLevel(&left, &right), 0);
    EXPECT_EQ(left, 50);
    EXPECT_EQ(right, 50);
    backend.advance(1000);
    engine.AudioGetPlaybackLevel(&left, &right);
    EXPECT_EQ(left, 50); // the loud half is queued, not heard
    backend.advance(100);
    engine.AudioGetPlaybackLevel(&left, &right);
    EXPECT_EQ(left, 100);
    EXPECT_EQ(right, 100);
    engine.AudioGetPlaybackLevel(&left, &right);
    EXPECT_EQ(left, 0); // nothing heard since
    engine.AudioStop();
    engine.AudioGetPlaybackLevel(&left, &right);
    EXPECT_EQ(right, 0);
}

TEST_F(Playback, ASingleFileTakesTheFirstPairOfGains)
{
    const QString quiet = writeWave(folder + "/quiet.wav", kStereo8k, constant16(1000, 1000));
    ASSERT_EQ(engine.SetVolume(0.5f, 2.0f, 9.0f, 9.0f), 0);
    ASSERT_EQ(engine.AudioPlayWave(quiet, 0, 1, 0, 0, 0), 0);
    backend.advance(1100);
    const QByteArray out = backend.outputAudio(0);
    ASSERT_EQ(out.size(), 4000);
    EXPECT_EQ(sample16(out, 0), 500);
    EXPECT_EQ(sample16(out, 1), 2000);
    ASSERT_EQ(ended(), 1);
    EXPECT_EQ(window.messages.back().wParam, 0);
}

// SetVolume while a mix plays is heard from the next buffer: what was already handed to the stream
// (the latency) keeps the old gains, everything after has the new ones. The music is silent past
// its end.
TEST_F(Playback, AMixHearsGainChangesWithinABuffer)
{
    const QString voice = writeWave(folder + "/voice.wav", kStereo8k, constant16(4000, 1000));
    const QString music = writeWave(folder + "/music.wav", kStereo8k, constant16(3000, 2000));
    backend.setLatency(300);
    ASSERT_EQ(engine.AudioPlayMixWave(voice, music, 0, 1, 0, 0, 0, 0), 0);
    backend.advance(1000);
    ASSERT_EQ(engine.SetVolume(0.5f, 0.5f, 0.25f, 0.25f), 0);
    backend.advance(3100);
    ASSERT_EQ(ended(), 1);
    EXPECT_EQ(window.messages.back().wParam, 0);
    const QByteArray out = backend.outputAudio(0);
    ASSERT_EQ(out.size(), 4000 * 4);
    int64_t firstChanged = -1;
    for (int64_t f = 0; f < 4000; ++f) {
        const int16_t expected = f < 1300 ? 3000 : f < 3000 ? 1000 : 500;
        ASSERT_EQ(sample16(out, f * 2), expected) << "frame " << f;
        ASSERT_EQ(sample16(out, f * 2 + 1), expected) << "frame " << f;
        if (firstChanged < 0 && expected != 3000)
            firstChanged = f;
    }
    EXPECT_LE(firstChanged, 1000 + 300 + 100); // the latency plus one period
}

// Without prevention a loud mix is clipped; with it, it is bent below full scale. Both report the
// saturation with the ended message.
TEST_F(Playback, ASaturatedMixIsReportedWithTheEnd)
{
    const QString voice = writeWave(folder + "/voice.wav", kStereo8k, constant16(1000, 30000));
    const QString music = writeWave(folder + "/music.wav", kStereo8k, constant16(1000, 10000));
    const QString soft = writeWave(folder + "/soft.wav", kStereo8k, constant16(1000, 100));
    struct Case {
        const char* name;
        QString music;
        int prevent;
        int16_t expected;
        intptr_t saturated;
    };
    const std::vector<Case> cases = {
        {"clipped", music, 0, 32767, 1}, {"prevented", music, -1, 0, 1}, {"quiet", soft, 0, 30100, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int stream = backend.outputStreamCount();
        window.messages.clear();
        ASSERT_EQ(engine.AudioPlayMixWave(voice, c.music, 0, 1, 0, 0, 1000, c.prevent), 0);
        backend.advance(1100);
        ASSERT_EQ(ended(), 1);
        EXPECT_EQ(window.messages.back().wParam, c.saturated);
        const int16_t first = sample16(backend.outputAudio(stream), 0);
        if (c.expected != 0) {
            EXPECT_EQ(first, c.expected);
        } else {
            EXPECT_LT(first, 32767);
            EXPECT_GT(first, 30000);
        }
    }
}

TEST_F(Playback, MixedFilesMustShareTheirFormat)
{
    const QString voice = writeWave(folder + "/voice.wav", kStereo8k, constant16(100, 1));
    const QString faster = writeWave(folder + "/fast.wav", makePcmFormat(16000, 16, 2), constant16(100, 1));
    const QString mono = writeWave(folder + "/mono.wav", makePcmFormat(8000, 16, 1), constant16(100, 1, 1));
    EXPECT_EQ(engine.AudioPlayMixWave(voice, faster, 0, 1, 0, 0, 0, 0), PlayerCode::FormatsDiffer);
    EXPECT_EQ(engine.AudioPlayMixWave(voice, mono, 0, 1, 0, 0, 0, 0), PlayerCode::FormatsDiffer);
    EXPECT_EQ(engine.AudioPlayMixWave(voice, "", 0, 1, 0, 0, 0, 0), PlayerCode::NoFileName);
    EXPECT_EQ(engine.AudioPlayMixWave(voice, folder + "/missing.wav", 0, 1, 0, 0, 0, 0), PlayerCode::CannotOpenFile);
}

// An output that cannot be opened, or goes away while playing, ends the playback with the codes
// and the message of the map; the loss is logged.
TEST_F(Playback, OutputFailuresEndThePlayback)
{
    backend.setOutputOpenFailure(platform::audio::StreamError::DeviceBusy);
    EXPECT_EQ(engine.AudioPlayWave(file, 0, 1, 0, 0, 0), PlayerCode::CannotOpenOutput);
    backend.setOutputOpenFailure(platform::audio::StreamError::FormatRefused);
    EXPECT_EQ(engine.AudioPlayWave(file, 0, 1, 0, 0, 0), PlayerCode::FormatNotSupported);
    backend.setOutputOpenFailure(platform::audio::StreamError::None);

    testsupport::LogCapture log;
    ASSERT_EQ(engine.AudioPlayWave(file, 0, 1, 0, 0, 0), 0);
    backend.advance(500);
    backend.removeDevice("virtual-out");
    EXPECT_EQ(ended(), 1);
    EXPECT_TRUE(log.contains("the playback ends"));
    EXPECT_EQ(engine.AudioGetPosition(1), 0);
    EXPECT_EQ(engine.AudioPlayWave(file, 0, 1, 0, 0, 0), PlayerCode::CannotOpenOutput);
}

// The ended message arrives on the GUI thread even when the clock runs on another thread.
TEST_F(Playback, TheEndedMessageArrivesOnTheGuiThread)
{
    ASSERT_EQ(engine.AudioPlayWave(file, 0, 1, 0, 0, 0), 0);
    std::thread clock([this] { backend.advance(kFileFrames + 100); });
    clock.join();
    EXPECT_EQ(ended(), 1);
    EXPECT_EQ(window.messages.back().thread, QThread::currentThread());
}

// The clock runs on its own thread while the GUI thread polls, pauses, seeks and stops: the
// position never goes back except by a seek.
TEST_F(Playback, ControlCallsWhileTheClockRunsElsewhere)
{
    const QString longer = writeWave(folder + "/long.wav", kStereo8k, ramp16(2000000));
    std::atomic<bool> running{true};
    std::thread clock([&] {
        while (running.load())
            backend.advance(100);
    });
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(engine.AudioPlayWave(longer, 0, 1, 0, 0, 0), 0);
        int64_t last = 0;
        for (int i = 0; i < 50; ++i) {
            const int64_t position = engine.AudioGetPosition(1);
            EXPECT_GE(position, last);
            last = position;
            int left, right;
            engine.AudioGetPlaybackLevel(&left, &right);
            if (i == 20) {
                engine.AudioPause();
                last = engine.AudioGetPosition(1);
            }
            if (i == 25)
                engine.AudioResume();
            if (i == 30) {
                ASSERT_EQ(engine.AudioMoveTo(1000, 1), 0);
                last = 1000;
            }
            QThread::usleep(100);
        }
        engine.AudioStop();
    }
    running = false;
    clock.join();
    EXPECT_EQ(ended(), 0);
}

// Bad files give the codes of the map, for playback and for the file information alike.
TEST_F(Playback, UnfitFilesGiveTheirCodes)
{
    using wavefixtures::chunk;
    using wavefixtures::fmtBody;
    using wavefixtures::riff;
    testsupport::writeFile(folder + "/text.wav", "not a wave at all");
    testsupport::writeFile(folder + "/avi.wav", riff("AVI ", chunk("fmt ", fmtBody(kStereo8k))));
    testsupport::writeFile(folder + "/shortfmt.wav", riff("WAVE", chunk("fmt ", fmtBody(kStereo8k, 12))));
    testsupport::writeFile(folder + "/adpcm.wav",
                           wavefixtures::pcmWave(waveFormat(2, 1, 8000, 4, 256), QByteArray(512, 1)));
    testsupport::writeFile(folder + "/nodata.wav", riff("WAVE", chunk("fmt ", fmtBody(kStereo8k))));
    testsupport::writeFile(folder + "/norate.wav", wavefixtures::pcmWave(waveFormat(1, 2, 0, 16), QByteArray(40, 1)));
    writeWave(folder + "/24bit.wav", waveFormat(1, 2, 8000, 24), QByteArray(60, 1));
    writeWave(folder + "/3ch.wav", waveFormat(1, 3, 8000, 16), QByteArray(60, 1));
    writeWave(folder + "/empty.wav", kStereo8k, {});
    struct Case {
        const char* file;
        uint16_t play;
        uint16_t info;
    };
    const std::vector<Case> cases = {
        {"", PlayerCode::NoFileName, PlayerCode::NoFileName},
        {"missing.wav", PlayerCode::CannotOpenFile, PlayerCode::CannotOpenFile},
        {"text.wav", PlayerCode::CannotReadFmt, PlayerCode::CannotReadFmt},
        {"avi.wav", PlayerCode::CannotReadFmt, PlayerCode::CannotReadFmt},
        {"shortfmt.wav", PlayerCode::CannotReadFmt, PlayerCode::CannotReadFmt},
        {"norate.wav", PlayerCode::CannotReadFmt, PlayerCode::CannotReadFmt},
        {"adpcm.wav", PlayerCode::NotPcm, PlayerCode::NotPcm},
        {"nodata.wav", PlayerCode::CannotReadData, PlayerCode::CannotReadData},
        {"24bit.wav", PlayerCode::FormatNotSupported, 0},
        {"3ch.wav", PlayerCode::FormatNotSupported, 0},
        {"empty.wav", PlayerCode::NoDataToPlay, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = *c.file ? folder + "/" + c.file : QString();
        EXPECT_EQ(engine.AudioPlayWave(path, 0, 1, 0, 0, 0), c.play);
        AudioFileInfo info;
        EXPECT_EQ(engine.AudioGetFileInfo(&info, path, 0, 1), c.info);
    }
    EXPECT_EQ(backend.outputStreamCount(), 0);
}

// The file information: format, exact length in milliseconds (frames x 1000 div rate), frames and
// data size, for our fixtures and for a file sox made.
TEST_F(Playback, FileInformationOfFixtures)
{
    using wavefixtures::chunk;
    using wavefixtures::fmtBody;
    using wavefixtures::riff;
    const WaveFormatEx mono22 = makePcmFormat(22050, 16, 1);
    writeWave(folder + "/a.wav", mono22, QByteArray(22051 * 2, 3));
    writeWave(folder + "/b.wav", makePcmFormat(44100, 16, 2), QByteArray((44100 * 3 + 1) * 4, 3));
    writeWave(folder + "/c.wav", makePcmFormat(11025, 8, 1), QByteArray(11024, 3));
    writeWave(folder + "/empty.wav", makePcmFormat(44100, 16, 2), {});
    // A take cut short: the data chunk claims more than the file holds, and ends mid-frame.
    testsupport::writeFile(folder + "/cut.wav", riff("WAVE", chunk("fmt ", fmtBody(mono22)) + QByteArray("data")
                                                         + wavefixtures::le32(100000) + QByteArray(1001, 3)));
    wavefixtures::soxWave(folder + "/sox.wav", 16, 2, 12345, 8000);
    struct Case {
        const char* file;
        uint16_t bits;
        int16_t channels;
        uint32_t rate;
        uint32_t frames;
        uint32_t ms;
    };
    const std::vector<Case> cases = {
        {"a.wav", 16, 1, 22050, 22051, 1000}, {"b.wav", 16, 2, 44100, 132301, 3000},
        {"c.wav", 8, 1, 11025, 11024, 999},   {"empty.wav", 16, 2, 44100, 0, 0},
        {"cut.wav", 16, 1, 22050, 500, 22},   {"sox.wav", 16, 2, 8000, 12345, 1543},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        AudioFileInfo info;
        ASSERT_EQ(engine.AudioGetFileInfo(&info, folder + "/" + c.file, 0, 1), 0);
        EXPECT_EQ(info.bitsPerSample, c.bits);
        EXPECT_EQ(info.channels, c.channels);
        EXPECT_EQ(info.samplesPerSec, c.rate);
        EXPECT_EQ(info.frames, c.frames);
        EXPECT_EQ(info.lengthMs, c.ms);
        EXPECT_EQ(info.dataBytes, c.frames * uint32_t(c.channels) * c.bits / 8);
        EXPECT_EQ(info.formatTag, WAVE_FORMAT_PCM);
    }
    EXPECT_EQ(wavefixtures::soxWaveInfo(folder + "/sox.wav", false).frames, 12345);
    // The record's layout: bits, channels, then the length in ms as its second 32-bit value.
    AudioFileInfo info;
    ASSERT_EQ(engine.AudioGetFileInfo(&info, folder + "/a.wav", 0, 1), 0);
    uint32_t words[7];
    std::memcpy(words, &info, sizeof words);
    EXPECT_EQ(words[0], 16u | 1u << 16);
    EXPECT_EQ(words[1], 1000u);
    EXPECT_EQ(words[2], 22050u);
}

// Devices by index and by name: a stored name finds its device after the order changed, -1 is
// the server's default, and bad indexes give the codes of the map.
TEST_F(Playback, DevicesAreFoundByIndexAndByName)
{
    backend.setOutputDevices({{"a", "Speakers"}, {"b", "Headphones"}, {"c", "HDMI"}});
    backend.setInputDevices({{"m", "Microphone"}, {"l", "Line In"}});
    backend.setDefaultOutputDevice("b");
    backend.setDefaultInputDevice("l");
    EXPECT_EQ(engine.GetNumberOfOutputDevices(), 3);
    EXPECT_EQ(engine.GetNumberOfInputDevices(), 2);
    QString text;
    ASSERT_EQ(engine.GetOutputDeviceDescription(2, &text), 0);
    EXPECT_EQ(text, "HDMI");
    ASSERT_EQ(engine.GetInputDeviceName(0, &text), 0);
    EXPECT_EQ(text, "m");
    EXPECT_EQ(engine.GetOutputDeviceDescription(3, &text), PlayerCode::InvalidOutputIndex);
    EXPECT_EQ(engine.GetInputDeviceDescription(-1, &text), PlayerCode::InvalidInputIndex);
    int index = -5;
    ASSERT_EQ(engine.GetPreferredOutputDeviceIndex(&index), 0);
    EXPECT_EQ(index, 1);
    ASSERT_EQ(engine.GetPreferredInputDeviceIndex(&index), 0);
    EXPECT_EQ(index, 1);

    auto playedOn = [&] {
        const int stream = backend.outputStreamCount();
        EXPECT_EQ(engine.AudioPlayWave(file, 0, 1, 0, 0, 0), 0);
        engine.AudioStop();
        return backend.outputDevice(stream);
    };
    ASSERT_EQ(engine.SelectOutputDevice(2), 0);
    EXPECT_EQ(playedOn(), "c");
    ASSERT_EQ(engine.SelectOutputDevice(-1), 0);
    EXPECT_EQ(playedOn(), "b");
    backend.setDefaultOutputDevice("a");
    EXPECT_EQ(playedOn(), "a");

    backend.setOutputDevices({{"c", "HDMI"}, {"a", "Speakers"}, {"b", "Headphones"}});
    EXPECT_EQ(engine.FindOutputDeviceIndex("c"), 0);
    EXPECT_EQ(engine.FindOutputDeviceIndex("gone"), -1);
    ASSERT_EQ(engine.SelectOutputDeviceByName("b"), 0);
    EXPECT_EQ(playedOn(), "b");
    EXPECT_EQ(engine.SelectOutputDeviceByName("gone"), PlayerCode::InvalidOutputIndex);
    EXPECT_EQ(engine.SelectOutputDevice(3), PlayerCode::InvalidOutputIndex);
    EXPECT_EQ(engine.SelectOutputDevice(-2), PlayerCode::InvalidOutputIndex);
    EXPECT_EQ(engine.SelectInputDevice(2), PlayerCode::InvalidInputIndex);
    EXPECT_EQ(engine.SelectInputDeviceByName("m"), 0);

    backend.setDefaultOutputDevice("");
    backend.setDefaultInputDevice("gone");
    EXPECT_EQ(engine.GetPreferredOutputDeviceIndex(&index), PlayerCode::NoPreferredOutput);
    EXPECT_EQ(engine.GetPreferredInputDeviceIndex(&index), PlayerCode::NoPreferredInput);
}

TEST_F(Playback, TheTempPathMustBeAWritableFolder)
{
    EXPECT_EQ(engine.SetTempPath(folder), 0);
    EXPECT_EQ(engine.tempPath(), folder);
    EXPECT_EQ(engine.SetTempPath(folder + "/missing"), PlayerCode::BadTempLocation);
    EXPECT_EQ(engine.SetTempPath(file), PlayerCode::BadTempLocation);
    EXPECT_EQ(engine.SetTempPath(""), PlayerCode::BadTempLocation);
    EXPECT_EQ(engine.tempPath(), folder);
    EXPECT_EQ(engine.SetEffectState(3, 1), 0);
    EXPECT_EQ(engine.EffectChanged(), 0);
}
