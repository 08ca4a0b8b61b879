// The fader without its widgets: the gain formula, the automation of a take on the audio clock, its
// replay by frame, the displays' tint and the gains the controller hands to the engine.
#include "recorder/FaderController.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace recorder;

namespace {

TEST(TrackGains, FollowTheFaderAndTrims)
{
    struct Case {
        int fader, voiceTrim, musicTrim;
        double voiceDb, musicDb; // NAN: silent
    };
    const Case cases[] = {
        {0, 0, 0, 0.0, 0.0},       {-24, 0, 0, 12.0, -12.0},  {24, 0, 0, -12.0, 12.0},
        {0, -24, 0, 6.0, 0.0},     {0, 0, -24, 0.0, 6.0},     {0, 23, 0, -5.75, 0.0},
        {0, 24, 0, NAN, 0.0},      {0, 0, 24, 0.0, NAN},      {10, 8, -8, -7.0, 7.0},
        {-7, 3, 5, 2.75, -4.75},   {1, 0, 0, -0.5, 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fader << " " << c.voiceTrim << " " << c.musicTrim);
        const TrackGains gains = trackGains(c.fader, c.voiceTrim, c.musicTrim);
        const auto expect = [](double db) { return std::isnan(db) ? 0.0f : float(std::pow(10.0, db / 20.0)); };
        EXPECT_EQ(gains.voice, expect(c.voiceDb));
        EXPECT_EQ(gains.music, expect(c.musicDb));
    }
    // The middle is exactly unity, so a mix at rest leaves the samples as they are.
    EXPECT_EQ(trackGains(0, 0, 0), (TrackGains{1.0f, 1.0f}));
}

TEST(TrackGains, ReachThePlayerByRoute)
{
    const TrackGains g{2.0f, 0.25f};
    using P = EngineGains::Pairs;
    struct Case {
        GainRoute route;
        EngineGains expected;
    };
    const Case cases[] = {
        {GainRoute::Mixed, {P{2.0f, 2.0f, 0.25f, 0.25f}, 0.25f}},
        {GainRoute::VoiceAlone, {P{2.0f, 2.0f, 1.0f, 1.0f}, std::nullopt}},
        {GainRoute::MusicAlone, {P{0.25f, 0.25f, 1.0f, 1.0f}, std::nullopt}},
        {GainRoute::VoiceRecording, {P{0.25f, 0.25f, 2.0f, 2.0f}, 2.0f}},
        {GainRoute::Pads, {std::nullopt, 0.125f}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(engineGains(g, c.route), c.expected) << int(c.route);
}

TEST(MixFade, RecordsChangesOnlyWhileRecording)
{
    TMixFade fade;
    EXPECT_EQ(fade.Value(), 50);
    fade.SetFaderValue(-3, 10); // idle: the value moves, nothing is kept
    EXPECT_TRUE(fade.Entries().empty());
    fade.StartRecording(100);
    fade.SetFaderValue(-3, 150); // unchanged: no entry
    fade.SetFaderValue(5, 200);
    fade.SetFaderValue(5, 210);
    fade.Pause();
    fade.SetFaderValue(9, 250); // paused: the value moves, nothing is kept
    fade.Resume();
    fade.SetFaderValue(-24, 260);
    fade.SetFaderValue(-20, 240); // a clock that went back is held at the last frame
    fade.StopRecording();
    fade.SetFaderValue(7, 300);
    const std::vector<TMixFade::Entry> expected = {{100, -3}, {200, 5}, {260, -24}, {260, -20}};
    EXPECT_EQ(fade.Entries(), expected);
    EXPECT_EQ(fade.Value(), 7);
    EXPECT_FALSE(fade.Recording());

    struct Read {
        int64_t frame;
        int value;
    };
    const Read reads[] = {{99, 7}, {100, -3}, {199, -3}, {200, 5}, {259, 5}, {260, -20}, {1'000'000, -20}};
    for (const Read& r : reads)
        EXPECT_EQ(fade.GetValueAtFrame(r.frame), r.value) << r.frame;

    fade.StartRecording(0); // a new take forgets the old moves
    EXPECT_EQ(fade.Entries(), (std::vector<TMixFade::Entry>{{0, 7}}));
}

TEST(FaderTint, ShiftsEachChannelWithinTheBackground)
{
    struct Case {
        uint32_t colour;
        int steps;
        bool lighter;
        uint32_t background;
        uint32_t expected;
    };
    const Case cases[] = {
        {0x00808080, 1, true, 0x00000000, 0x00848484},  // 128 + 3.92 -> 132
        {0x00808080, 5, true, 0x00000000, 0x00949494},  // 128 + 19.6 -> 148
        {0x00808080, 2, false, 0x00000000, 0x00787878}, // 128 - 7.84 -> 120
        {0x00E0E0E0, 10, true, 0x00000000, 0x00F0F0F0}, // capped at 240
        {0x00808080, 20, false, 0x00706050, 0x00706050}, // never below the background
        {0x00808080, 10, false, 0x00706050, 0x00706059}, // each channel on its own
        {0x00FFFFFF, 3, false, 0x00000000, 0x00FFFFFF}, // white stays white
        {0x00102030, 1, true, 0x00000000, 0x00142434},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shiftTint(c.colour, c.steps, c.lighter, c.background), c.expected) << std::hex << c.colour;
}

TEST(FaderTint, FollowsTheFaderAcrossTheMiddle)
{
    const uint32_t b = 0x00404040;
    FaderTint tint;
    uint32_t voice = b, music = b;
    struct Step {
        int value;
        TintChange expected;
    };
    const Step steps[] = {
        {-3, {shiftTint(b, 3, true, b), b}},
        {-3, {}},                                                          // no move, no paint
        {-1, {shiftTint(shiftTint(b, 3, true, b), 2, false, b), b}},       // back towards the middle
        {-10, {}},                                                          // filled in below
        {5, {b, shiftTint(b, 5, true, b)}},                                // across: voice back, music lit
        {8, {b, shiftTint(shiftTint(b, 5, true, b), 3, true, b)}},
        {0, {b, b}},
    };
    for (const Step& s : steps) {
        TintChange expected = s.expected;
        if (s.value == -10)
            expected = {shiftTint(voice, 9, true, b), b};
        const TintChange change = tint.move(s.value, voice, music, b);
        EXPECT_EQ(change, expected) << s.value;
        voice = change.voice.value_or(voice);
        music = change.music.value_or(music);
        EXPECT_EQ(tint.last(), s.value);
    }
}

struct Sink {
    std::vector<EngineGains> gains;
    std::vector<TintChange> tints;
    FaderController controller{[this](const EngineGains& g) { gains.push_back(g); },
                               [this](const TintChange& t) { tints.push_back(t); }};
};

EngineGains mixedAt(int fader, int voiceTrim = 0, int musicTrim = 0)
{
    return engineGains(trackGains(fader, voiceTrim, musicTrim), GainRoute::Mixed);
}

TEST(FaderController, MovesOfATakeReplayAtTheirFrames)
{
    Sink sink;
    FaderController& fader = sink.controller;
    fader.setFader(-4);
    // A take inserted at track frame 44'100; the moves carry the take's recorded frame counts.
    fader.beginTake(44'100);
    struct Move {
        int64_t takeFrame;
        int value;
    };
    const Move moves[] = {{0, -4}, {2'205, 6}, {2'205, 7}, {9'000, -12}, {30'000, 24}, {30'001, -24}};
    for (const Move& m : moves)
        fader.onFaderMoved(m.takeFrame, m.value);
    fader.pauseTake();
    fader.onFaderMoved(31'000, 3); // ignored: the take is paused
    EXPECT_EQ(fader.fader(), -24);
    fader.resumeTake();
    fader.onFaderMoved(31'000, 3); // the recorded frames went on from where the pause began
    fader.endTake();
    fader.onFaderMoved(40'000, 11); // after the take: gains only
    ASSERT_FALSE(fader.takeRunning());

    struct Read {
        int64_t frame;
        int value;
    };
    const Read reads[] = {{0, 11}, {44'099, 11}, {44'100, -4},  {46'304, -4},  {46'305, 7},
                          {53'100, -12}, {74'100, 24},  {74'101, -24}, {75'099, -24}, {75'100, 3},
                          {500'000, 3}};
    for (const Read& r : reads) {
        sink.gains.clear();
        EXPECT_EQ(fader.valueAt(r.frame), r.value) << r.frame;
        EXPECT_EQ(fader.gainsAt(r.frame), trackGains(r.value, 0, 0)) << r.frame;
        EXPECT_EQ(fader.replayAt(r.frame), r.value) << r.frame;
        EXPECT_EQ(fader.fader(), r.value);
        ASSERT_EQ(sink.gains.size(), 1u);
        EXPECT_EQ(sink.gains.back(), mixedAt(r.value)) << r.frame;
    }
}

TEST(FaderController, GainsFollowEveryMoveAndTheRoute)
{
    Sink sink;
    FaderController& fader = sink.controller;
    fader.onFaderMoved(0, 12);
    fader.onVoiceTrimMoved(-8);
    fader.onMusicTrimMoved(24);
    fader.onFaderMoved(0, 99); // held within the fader's range
    fader.setRoute(GainRoute::VoiceRecording);
    const std::vector<EngineGains> expected = {
        mixedAt(12), mixedAt(12, -8), mixedAt(12, -8, 24), mixedAt(24, -8, 24),
        engineGains(trackGains(24, -8, 24), GainRoute::VoiceRecording)};
    EXPECT_EQ(sink.gains, expected);
    EXPECT_EQ(sink.gains.back().volume->firstLeft, 0.0f); // the music trim at the top silences it
}

TEST(FaderController, ReplayDoesNotOverrideARecordingPass)
{
    Sink sink;
    FaderController& fader = sink.controller;
    EXPECT_EQ(fader.automation(), nullptr);
    fader.beginTake(0);
    fader.onFaderMoved(100, 5);
    EXPECT_EQ(fader.replayAt(0), 5); // the user's fader rules while a pass records
    fader.endTake();
    EXPECT_EQ(fader.replayAt(0), 0);
    fader.reset();
    EXPECT_EQ(fader.automation(), nullptr);
    EXPECT_EQ(fader.valueAt(100), 0); // without an automation: the fader where it is
}

TEST(FaderController, TintsTheDisplaysOnMovesAndReplay)
{
    Sink sink;
    FaderController& fader = sink.controller;
    const uint32_t b = 0x00303030;
    fader.setTintColours(b, b, b);
    fader.onFaderMoved(0, -2);
    fader.onFaderMoved(0, -2);
    fader.beginTake(0);
    fader.onFaderMoved(10, 4);
    fader.endTake();
    fader.replayAt(0);  // back to -2: the voice side lit again
    fader.replayAt(5);  // unchanged: no paint
    const std::vector<TintChange> expected = {
        {shiftTint(b, 2, true, b), b}, {b, shiftTint(b, 4, true, b)}, {shiftTint(b, 2, true, b), b}};
    EXPECT_EQ(sink.tints, expected);
}

} // namespace
