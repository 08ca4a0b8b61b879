// The editor's transport rules without a window: the command table, the range Play plays, the
// seek targets (also on files past 2^31 frames), the keys, the clip lamps, and the arithmetic of
// the mixer's sliders.
#include "editor/MixerSliders.h"
#include "editor/Transport.h"

#include <gtest/gtest.h>

#include <QtCore/qnamespace.h>

namespace {

using S = TransportState;
using C = TransportCommand;
using E = EngineCall;

struct StepCase {
    const char* name;
    TransportSituation situation;
    TransportCommand command;
    TransportStep expected;
};

constexpr TransportSituation at(S state, bool document = true, bool audio = true, bool always = false)
{
    return {state, document, audio, always};
}

TEST(TransportTest, CommandsInEachState)
{
    const StepCase cases[] = {
        {"play", at(S::Stopped), C::Play, {{E::Play}, S::Playing}},
        {"play without a document", at(S::Stopped, false, false), C::Play, {{}, S::Stopped}},
        {"play an empty document", at(S::Stopped, true, false), C::Play, {{}, S::Stopped}},
        {"play ends the level test first", at(S::LevelTest), C::Play, {{E::StopLevelTest, E::Play}, S::Playing}},
        {"play while paused resumes", at(S::Paused), C::Play, {{E::Resume}, S::Playing}},
        {"play while playing", at(S::Playing), C::Play, {{}, S::Playing}},
        {"play while recording", at(S::Recording), C::Play, {{}, S::Recording}},
        {"pause", at(S::Playing), C::Pause, {{E::Pause}, S::Paused}},
        {"pause again resumes", at(S::Paused), C::Pause, {{E::Resume}, S::Playing}},
        {"pause while stopped", at(S::Stopped), C::Pause, {{}, S::Stopped}},
        {"pause while recording", at(S::Recording), C::Pause, {{}, S::Recording}},
        {"stop playback", at(S::Playing), C::Stop, {{E::Stop}, S::Stopped}},
        {"stop a paused playback", at(S::Paused), C::Stop, {{E::Stop}, S::Stopped}},
        {"stop with the level test always on", at(S::Playing, true, true, true), C::Stop,
         {{E::Stop, E::StartLevelTest}, S::LevelTest}},
        {"stop a recording", at(S::Recording), C::Stop, {{E::StopRecord}, S::Stopped}},
        {"stop leaves the level test", at(S::LevelTest), C::Stop, {{}, S::LevelTest}},
        {"stop while stopped", at(S::Stopped), C::Stop, {{}, S::Stopped}},
        {"the end of the range", at(S::Playing), C::PlaybackEnded, {{E::Stop}, S::Stopped}},
        {"a late end message", at(S::Stopped), C::PlaybackEnded, {{}, S::Stopped}},
        {"an end message while recording", at(S::Recording), C::PlaybackEnded, {{}, S::Recording}},
        {"record", at(S::Stopped), C::Record, {{E::StartRecord}, S::Recording}},
        {"record without a document", at(S::Stopped, false, false), C::Record, {{E::StartRecord}, S::Recording}},
        {"record ends the level test first", at(S::LevelTest), C::Record,
         {{E::StopLevelTest, E::StartRecord}, S::Recording}},
        {"record again stops", at(S::Recording), C::Record, {{E::StopRecord}, S::Stopped}},
        {"record again with the level test always on", at(S::Recording, true, true, true), C::Record,
         {{E::StopRecord, E::StartLevelTest}, S::LevelTest}},
        {"record while playing", at(S::Playing), C::Record, {{}, S::Playing}},
        {"record while paused", at(S::Paused), C::Record, {{}, S::Paused}},
        {"the input went away", at(S::Recording), C::RecordingEnded, {{E::StopRecord}, S::Stopped}},
        {"a late input message", at(S::Stopped), C::RecordingEnded, {{}, S::Stopped}},
        {"level test", at(S::Stopped), C::LevelTest, {{E::StartLevelTest}, S::LevelTest}},
        {"level test while playing", at(S::Playing), C::LevelTest, {{}, S::Playing}},
        {"level test while recording", at(S::Recording), C::LevelTest, {{}, S::Recording}},
        {"level test twice", at(S::LevelTest), C::LevelTest, {{}, S::LevelTest}},
    };
    for (const StepCase& c : cases)
        EXPECT_EQ(transportStep(c.situation, c.command), c.expected) << c.name;
}

TEST(TransportTest, RangePlayed)
{
    struct Case {
        int64_t caret, selectionStart, selectionEnd, total;
        PlayRangeFrames expected;
    };
    const Case cases[] = {
        {100, 0, 0, 1000, {100, 0}},    // from the caret to the end
        {1000, 0, 0, 1000, {0, 0}},     // the caret at the end plays the whole file
        {0, 0, 0, 1000, {0, 0}},
        {5, 200, 600, 1000, {200, 600}},
        {5, 600, 200, 1000, {200, 600}}, // a selection made leftwards
    };
    for (const Case& c : cases)
        EXPECT_EQ(playRangeFor(c.caret, c.selectionStart, c.selectionEnd, c.total), c.expected)
            << c.caret << " " << c.selectionStart << "-" << c.selectionEnd;
}

TEST(TransportTest, SeekTargets)
{
    // 5 % of 1000 frames is 50.
    EXPECT_EQ(forwardTarget(100, 1000), 150);
    EXPECT_EQ(forwardTarget(949, 1000), 999);
    EXPECT_EQ(forwardTarget(950, 1000), std::nullopt); // reaching the end stops
    EXPECT_EQ(rewindTarget(100, 1000), 50);
    EXPECT_EQ(rewindTarget(30, 1000), 0);
    // Five hours and more at 48 kHz: T x 5 would pass 32 bits.
    const int64_t total = int64_t(3'000'000'000);
    EXPECT_EQ(forwardTarget(0, total), 150'000'000);
    EXPECT_EQ(rewindTarget(total - 1, total), total - 1 - 150'000'000);

    EXPECT_EQ(skipToEndTarget(0, 0, 1000), 1000);
    EXPECT_EQ(skipToEndTarget(600, 200, 1000), 600);
    EXPECT_EQ(skipToStartTarget(0, 0), 0);
    EXPECT_EQ(skipToStartTarget(600, 200), 200);
}

TEST(TransportTest, KeysClickButtons)
{
    using B = TransportButton;
    struct Case {
        TransportKey key;
        bool playing, recording;
        std::optional<TransportButton> expected;
    };
    const Case cases[] = {
        {{Qt::Key_P, true}, false, false, B::Play},
        {{Qt::Key_P, true}, true, false, B::Pause},
        {{Qt::Key_P, false}, false, false, std::nullopt}, // P alone types
        {{Qt::Key_Space}, false, false, B::Play},
        {{Qt::Key_Space}, true, false, B::Stop},
        {{Qt::Key_Space, false, true}, false, false, std::nullopt}, // Shift+Space
        {{Qt::Key_Space, true}, false, false, std::nullopt},
        {{Qt::Key_R, true}, false, false, B::Record},
        {{Qt::Key_R, true}, false, true, B::Stop},
        {{Qt::Key_Escape}, false, true, B::Stop},
        {{Qt::Key_Escape}, false, false, B::Stop},
        {{Qt::Key_Escape, false, true}, true, false, std::nullopt},
        {{Qt::Key_S, true}, true, false, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(buttonForKey(c.key, c.playing, c.recording), c.expected)
            << c.key.key << " alt " << c.key.alt << " other " << c.key.otherModifier;
}

TEST(TransportTest, ClipLampsLightAboveTheThreshold)
{
    ClipLamps lamps;
    EXPECT_FALSE(lamps.levels(95, 95)); // 95 is still clean
    EXPECT_FALSE(lamps.lit(0));
    EXPECT_TRUE(lamps.levels(96, 10));
    EXPECT_TRUE(lamps.lit(0));
    EXPECT_FALSE(lamps.lit(1));
    // A lamp stays lit over clean levels until the timer puts it out; a new clip restarts it.
    EXPECT_FALSE(lamps.levels(0, 0));
    EXPECT_TRUE(lamps.lit(0));
    EXPECT_TRUE(lamps.levels(0, 100));
    EXPECT_TRUE(lamps.lit(0));
    EXPECT_TRUE(lamps.lit(1));
    lamps.off();
    EXPECT_FALSE(lamps.lit(0));
    EXPECT_FALSE(lamps.lit(1));
}

TEST(TransportTest, MixerBounds)
{
    EXPECT_EQ(volumeBound(0, 1000, true), 1000u);
    EXPECT_EQ(volumeBound(0, 1000, false), 1000u);
    EXPECT_EQ(volumeBound(116, 1000, true), 65535u); // the bounds could not be read
    EXPECT_EQ(volumeBound(115, 0, false), 65535u);
    EXPECT_EQ(volumeBound(0, 0, true), 65535u); // an input without a range
    EXPECT_EQ(volumeBound(0, 0, false), 0u);
}

TEST(TransportTest, VolumeSliders)
{
    struct Case {
        uint32_t value, bound;
        int position;  // loudest at the top, position 0
        uint32_t back; // what the slider at that position writes
    };
    const Case cases[] = {
        {65535, 65535, 0, 65535},
        {0, 65535, 100, 0},
        {32768, 65535, 50, 32767},
        {1, 200, 100, 0}, // 0.5 rounds to even: 0
        {3, 200, 98, 4},  // 1.5 rounds to even: 2
        {500, 1000, 50, 500},
        {0, 0, 100, 0},   // no bound
    };
    for (const Case& c : cases) {
        EXPECT_EQ(volumeSliderPosition(c.value, c.bound), c.position) << c.value << "/" << c.bound;
        EXPECT_EQ(volumeFromSlider(c.position, c.bound), c.back) << c.value << "/" << c.bound;
    }
}

TEST(TransportTest, BalanceSliders)
{
    using Pair = std::pair<uint32_t, uint32_t>;
    // A volume split by the balance: the side the slider leans to keeps it.
    EXPECT_EQ(splitByBalance(1000, 50), (Pair{1000, 1000}));
    EXPECT_EQ(splitByBalance(1000, 25), (Pair{1000, 500}));
    EXPECT_EQ(splitByBalance(1000, 75), (Pair{500, 1000}));
    EXPECT_EQ(splitByBalance(1000, 0), (Pair{1000, 0}));
    EXPECT_EQ(splitByBalance(1000, 100), (Pair{0, 1000}));
    EXPECT_EQ(splitByBalance(3, 25), (Pair{3, 2})); // 1.5 rounds to even

    struct Case {
        uint32_t left, right;
        int position;
    };
    const Case cases[] = {
        {1000, 1000, 50}, {1000, 500, 25}, {500, 1000, 75}, {1000, 0, 0}, {0, 1000, 100}, {0, 0, 50},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(balanceSliderPosition(c.left, c.right), c.position) << c.left << " " << c.right;
        // The device read and written back through the slider keeps its louder side.
        EXPECT_EQ(volumesForBalance(c.position, c.left, c.right), (Pair{c.left, c.right})) << c.left << " " << c.right;
    }
    // A balance moved to the centre gives both sides the louder value.
    EXPECT_EQ(volumesForBalance(50, 800, 300), (Pair{800, 800}));
    EXPECT_EQ(volumesForBalance(100, 800, 300), (Pair{0, 800}));
}

} // namespace
