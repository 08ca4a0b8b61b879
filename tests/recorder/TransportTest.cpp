// The recording window's transport without a window: which command each situation takes and what
// it switches, the fast-forward and rewind steps, the clip threshold, and the commands run on the
// virtual backend (what is heard, the audible position, pause and stop).
#include "recorder/Transport.h"

#include "platform/audio/AudioEngine.h"
#include "platform/audio/VirtualBackend.h"
#include "tests/platform/audio/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace recorder;
using enginetest::frames;
using enginetest::ramp16;
using enginetest::writeWave;

namespace {

using enum Control;
using TC = TransportCommand;

std::optional<ControlChange> changeOf(const TransportStep& step, Control control)
{
    for (const auto& [c, change] : step.changes)
        if (c == control)
            return change;
    return std::nullopt;
}

TransportSituation situation(bool voice, bool music, PlayKind kind = PlayKind::None, bool paused = false,
                             bool recording = false)
{
    return {voice, music, recording, kind, paused};
}

struct StepCase {
    const char* name;
    TransportSituation situation;
    TC command;
    bool accepted;
    EngineCall call;
    PlayKind kind;
    std::optional<ControlState> state;
    std::optional<bool> timer;
};

// Each command in the situations that take or refuse it: the engine call, what plays afterwards,
// the control state and the position timer.
TEST(TransportSteps, TableOfSituationsAndCommands)
{
    const auto P = ControlState::Playing;
    const auto S = ControlState::PlaybackStopped;
    const StepCase cases[] = {
        {"voice without a voice track", situation(false, true), TC::PlayVoice, false, EngineCall::None, PlayKind::None, {}, {}},
        {"voice", situation(true, false), TC::PlayVoice, true, EngineCall::PlayVoice, PlayKind::Voice, P, true},
        {"voice while music plays", situation(true, true, PlayKind::Music), TC::PlayVoice, false, EngineCall::None, PlayKind::None, {}, {}},
        {"music", situation(false, true), TC::PlayMusic, true, EngineCall::PlayMusic, PlayKind::Music, P, true},
        {"music while recording", situation(true, true, PlayKind::None, false, true), TC::PlayMusic, false, EngineCall::None, PlayKind::None, {}, {}},
        {"mix with one track", situation(true, false), TC::PlayMix, false, EngineCall::None, PlayKind::None, {}, {}},
        {"mix", situation(true, true), TC::PlayMix, true, EngineCall::PlayMix, PlayKind::Mix, P, true},
        {"mix while voice plays", situation(true, true, PlayKind::Voice), TC::PlayMix, false, EngineCall::None, PlayKind::None, {}, {}},
        {"pause idle", situation(true, true), TC::Pause, false, EngineCall::None, PlayKind::None, {}, {}},
        {"pause playing", situation(true, true, PlayKind::Mix), TC::Pause, true, EngineCall::Pause, PlayKind::Mix, {}, false},
        {"pause paused", situation(true, true, PlayKind::Mix, true), TC::Pause, true, EngineCall::Resume, PlayKind::Mix, {}, true},
        {"pause while recording", situation(true, true, PlayKind::Music, false, true), TC::Pause, false, EngineCall::None, PlayKind::None, {}, {}},
        {"stop idle", situation(true, true), TC::Stop, false, EngineCall::None, PlayKind::None, {}, {}},
        {"stop voice", situation(true, false, PlayKind::Voice), TC::Stop, true, EngineCall::Stop, PlayKind::None, S, false},
        {"stop paused music", situation(false, true, PlayKind::Music, true), TC::Stop, true, EngineCall::Stop, PlayKind::None, S, false},
        {"stop music under a voice take", situation(true, true, PlayKind::Music, false, true), TC::Stop, true, EngineCall::Stop, PlayKind::None, {}, {}},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TransportStep step = transportStep(c.situation, c.command);
        EXPECT_EQ(step.accepted, c.accepted);
        EXPECT_EQ(step.call, c.call);
        EXPECT_EQ(step.kind, c.kind);
        EXPECT_EQ(step.state, c.state);
        EXPECT_EQ(step.positionTimer, c.timer);
        if (!c.accepted) {
            EXPECT_TRUE(step.changes.empty() && step.ticks.empty());
        }
    }
}

// The play buttons: the one that plays is pressed and its menu item ticked; while one plays, the
// other two kinds cannot start; stop gives back what its play took.
TEST(TransportSteps, PlayButtonsAndMenuItems)
{
    struct Case {
        TC play;
        PlayKind kind;
        Control button;
        Control item;
        std::vector<Control> disabled;
        std::vector<Control> restored; // by the stop itself; the stopped state enables the rest
    };
    const Case cases[] = {
        {TC::PlayVoice, PlayKind::Voice, PreRecordedPlayBtn, PlaybackVoiceTrackMenu,
         {MixedPlayBtn, RecordingPlayBtn, PlaybackMixedTrackMenu, PlaybackMusicTrackMenu},
         {RecordingPlayBtn, PlaybackMixedTrackMenu, PlaybackMusicTrackMenu}},
        {TC::PlayMusic, PlayKind::Music, RecordingPlayBtn, PlaybackMusicTrackMenu,
         {RecordingPlayBtn, MixedPlayBtn, PlaybackMusicTrackMenu, PlaybackMixedTrackMenu},
         {RecordingPlayBtn, PlaybackMusicTrackMenu, PlaybackMixedTrackMenu}},
        {TC::PlayMix, PlayKind::Mix, MixedPlayBtn, PlaybackMixedTrackMenu,
         {MixedPlayBtn, RecordingPlayBtn, PlaybackMixedTrackMenu, PlaybackMusicTrackMenu},
         {MixedPlayBtn, RecordingPlayBtn, PlaybackMixedTrackMenu, PlaybackMusicTrackMenu}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(controlName(c.button));
        const TransportStep play = transportStep(situation(true, true), c.play);
        ASSERT_TRUE(changeOf(play, c.button));
        EXPECT_EQ(changeOf(play, c.button)->down, true);
        EXPECT_EQ(play.ticks, (std::vector<MenuTick>{{c.item, true}}));
        for (Control off : c.disabled) {
            ASSERT_TRUE(changeOf(play, off)) << controlName(off);
            EXPECT_EQ(changeOf(play, off)->enabled, false) << controlName(off);
        }

        const TransportStep stop = transportStep(situation(true, true, c.kind), TC::Stop);
        EXPECT_TRUE(stop.resetMeters);
        EXPECT_EQ(changeOf(stop, c.button)->down, false);
        EXPECT_EQ(changeOf(stop, PauseBtn)->down, false);
        EXPECT_EQ(stop.ticks, (std::vector<MenuTick>{{c.item, false}}));
        for (Control on : c.restored) {
            ASSERT_TRUE(changeOf(stop, on)) << controlName(on);
            EXPECT_EQ(changeOf(stop, on)->enabled, true) << controlName(on);
        }
    }
    // Without a music track, playing the voice leaves the music controls alone.
    EXPECT_FALSE(changeOf(transportStep(situation(true, false), TC::PlayVoice), MixedPlayBtn));
    EXPECT_FALSE(changeOf(transportStep(situation(true, false, PlayKind::Voice), TC::Stop), RecordingPlayBtn));
}

TEST(TransportSteps, PauseButtonFollowsThePause)
{
    EXPECT_EQ(changeOf(transportStep(situation(true, false, PlayKind::Voice), TC::Pause), PauseBtn)->down, true);
    const TransportStep resume = transportStep(situation(true, false, PlayKind::Voice, true), TC::Pause);
    EXPECT_EQ(changeOf(resume, PauseBtn)->down, false);
    EXPECT_FALSE(resume.paused);
}

TEST(TransportArithmetic, FastForwardRewindAndClipThreshold)
{
    struct Case {
        int64_t position, total, playStart;
        std::optional<int64_t> forward;
        int64_t rewind;
    };
    const Case cases[] = {
        {0, 10000, 0, 200, 0},
        {5000, 10000, 0, 5200, 4800},
        {9799, 10000, 0, 9999, 9599},
        {9800, 10000, 0, std::nullopt, 9600}, // the last 2 % stops the playback
        {5100, 10000, 5000, 5300, 5000},      // never before where the playback started
        {10, 49, 0, 10, 10},                  // 2 % of a short track is nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(fastForwardTarget(c.position, c.total), c.forward);
        EXPECT_EQ(rewindTarget(c.position, c.total, c.playStart), c.rewind);
    }
    EXPECT_FALSE(clips(95));
    EXPECT_TRUE(clips(96));
}

TEST(TransportArithmetic, ZoomOutAndIn)
{
    struct Out {
        uint32_t zoom;
        int64_t left, right;
        uint32_t max;
        std::optional<ZoomView> view;
    };
    const Out outs[] = {
        {4, 1000, 2000, 64, ZoomView{8, 500}},
        {4, 1000, 2001, 64, ZoomView{8, 500}},  // half of 1001 rounds to even: 500
        {4, 1000, 2003, 64, ZoomView{8, 498}},  // 501.5 rounds to 502
        {4, 100, 2000, 64, ZoomView{8, 0}},     // not before the first frame
        {32, 0, 100, 64, ZoomView{64, 0}},
        {64, 0, 100, 64, std::nullopt},         // at the maximum nothing happens
        {0, 300, 400, 64, ZoomView{1, 300}},
    };
    for (const Out& c : outs)
        EXPECT_EQ(zoomOut(c.zoom, c.left, c.right, c.max), c.view) << c.zoom << " " << c.left;
    struct In {
        uint32_t zoom;
        int64_t left, right;
        ZoomView view;
    };
    const In ins[] = {
        {8, 1000, 2000, {4, 1250}},
        {5, 1000, 1002, {2, 1000}}, // 2.5 and 0.5 round to even
        {3, 1000, 2000, {1, 1000}},
        {1, 1000, 2000, {1, 1000}},
    };
    for (const In& c : ins)
        EXPECT_EQ(zoomIn(c.zoom, c.left, c.right), c.view) << c.zoom;
}

const WaveFormatEx kStereo8k = makePcmFormat(8000, 16, 2);

class TransportOnEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        backend.setPeriod(100);
        source.voiceWav = writeWave(testsupport::testFolder() + "/voice.wav", kStereo8k, ramp16(8000));
        source.musicWav = writeWave(testsupport::testFolder() + "/music.wav", kStereo8k, ramp16(8000, 2, 5));
        source.voiceTotal = source.musicTotal = 8000;
    }

    uint16_t command(TC c)
    {
        const TransportSituation s{true, true, false, transport.kind(), transport.paused()};
        return transport.run(transportStep(s, c), source);
    }

    platform::audio::VirtualBackend backend;
    platform::audio::AudioEngine engine{backend};
    PlaybackTransport transport{engine};
    PlaySource source;
};

// The voice plays from its caret; the poll gives the audible frame (latency included); pause holds
// the position; fast forward and rewind move it within the track; stop ends the stream.
TEST_F(TransportOnEngine, VoiceFromTheCaretWithPauseSeekAndStop)
{
    backend.setLatency(300);
    source.voiceCaret = 1000;
    ASSERT_EQ(command(TC::PlayVoice), 0);
    EXPECT_EQ(transport.kind(), PlayKind::Voice);
    EXPECT_EQ(transport.playStart(), 1000);
    backend.advance(500);
    EXPECT_EQ(transport.poll().position, 1500);
    ASSERT_EQ(command(TC::Pause), 0);
    EXPECT_TRUE(transport.paused());
    backend.advance(400);
    EXPECT_EQ(transport.poll().position, 1500);
    EXPECT_TRUE(backend.outputPaused(0));
    ASSERT_EQ(command(TC::Pause), 0);
    EXPECT_FALSE(transport.paused());
    uint16_t code = 1;
    EXPECT_EQ(transport.rewind(&code), 1340); // 1500 - 160, above the play start
    EXPECT_EQ(code, 0);
    EXPECT_EQ(transport.rewind(&code), 1180);
    EXPECT_EQ(transport.rewind(&code), 1020);
    EXPECT_EQ(transport.rewind(&code), 1000);
    EXPECT_EQ(transport.fastForward(&code), 1160);
    ASSERT_EQ(engine.AudioMoveTo(7900, 1), 0);
    EXPECT_EQ(transport.fastForward(&code), std::nullopt);
    ASSERT_EQ(command(TC::Stop), 0);
    EXPECT_FALSE(transport.playing());
    EXPECT_FALSE(backend.outputOpen(0));
    EXPECT_EQ(transport.poll().position, 0);
}

// The mix plays both files from the voice caret; the music alone from the music caret.
TEST_F(TransportOnEngine, MixAndMusicPlayTheirFilesFromTheirCarets)
{
    source.voiceCaret = 2000;
    source.musicCaret = 3000;
    ASSERT_EQ(command(TC::PlayMusic), 0);
    backend.advance(100);
    EXPECT_EQ(backend.outputAudio(0), frames(ramp16(8000, 2, 5), 4, 3000, 100));
    ASSERT_EQ(command(TC::Stop), 0);
    ASSERT_EQ(command(TC::PlayMix), 0);
    EXPECT_EQ(transport.kind(), PlayKind::Mix);
    backend.advance(100);
    EXPECT_EQ(transport.poll().position, 2100);
    EXPECT_EQ(enginetest::sample16(backend.outputAudio(1), 0), int16_t(2000 + 2005));
    ASSERT_EQ(command(TC::Stop), 0);
}

// A failing engine call changes nothing; the caller gets its code.
TEST_F(TransportOnEngine, FailedPlayKeepsTheTransportIdle)
{
    source.voiceWav = testsupport::testFolder() + "/missing.wav";
    EXPECT_NE(command(TC::PlayVoice), 0);
    EXPECT_FALSE(transport.playing());
    EXPECT_EQ(transport.poll().position, 0);
}

} // namespace
