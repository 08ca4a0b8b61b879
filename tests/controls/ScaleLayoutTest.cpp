// The time ruler's layout: exact frame and millisecond conversions, the round time steps, the
// label text, where ticks and labels go (first tick left of a scrolled edge, the step doubling
// when labels crowd), and settings that once divided by zero or never ended.
#include "controls/ScaleLayout.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace controls;

namespace {

// Every label as wide as its characters times the given pixels, so the test decides when labels
// crowd.
std::function<int(const QString&)> widthPerChar(int pixels)
{
    return [pixels](const QString& text) { return int(text.size()) * pixels; };
}

ScaleSettings withData(uint32_t zoom, uint32_t left = 0, TFormat format = TFormat::Time)
{
    ScaleSettings s;
    s.IsDataAvailable = true;
    s.ZoomLevel = zoom;
    s.LeftSamplePos = left;
    s.Format = format;
    return s;
}

std::vector<int> longTicks(const ScaleLayout& layout)
{
    std::vector<int> xs;
    for (const ScaleTick& t : layout.ticks) {
        if (t.bottom == kScaleLongTickEnd)
            xs.push_back(t.x);
    }
    return xs;
}

} // namespace

TEST(ScaleLayoutTest, ConversionsAreExactIntegerArithmetic)
{
    const WaveFormatEx cd = makePcmFormat(44100, 16, 2);
    struct Case {
        int64_t frames, ms;
    };
    // frames to ms truncates; 3,200 frames are 72.56 ms.
    const Case toMs[] = {{0, 0}, {441, 10}, {3200, 72}, {44099, 999}, {44100, 1000}, {int64_t(4294967295), 97391548}};
    for (const Case& c : toMs)
        EXPECT_EQ(framesToMs(c.frames, cd), c.ms) << c.frames;
    // ms to frames rounds halves to even: 5 ms x 44.1 = 220.5 -> 220, 15 ms = 661.5 -> 662.
    const Case toFrames[] = {{88, 2}, {6174, 140}, {220, 5}, {662, 15}, {441000, 10000}};
    for (const Case& c : toFrames)
        EXPECT_EQ(msToFrames(c.ms, cd), c.frames) << c.ms;

    for (const WaveFormatEx& broken : {makePcmFormat(0, 16, 2), makePcmFormat(44100, 0, 2), makePcmFormat(44100, 16, 0)}) {
        EXPECT_EQ(framesToMs(44100, broken), 0);
        EXPECT_EQ(msToFrames(1000, broken), 0);
    }
}

TEST(ScaleLayoutTest, NiceStepsAndTimeTexts)
{
    struct Case {
        int64_t ms, step;
    };
    const Case cases[] = {
        {0, 0},         {2, 2},         {10, 10},       {72, 70},        {100, 100},     {101, 100},
        {999, 900},     {1000, 1000},   {4999, 4000},   {5999, 5000},    {7000, 5000},   {59999, 55000},
        {60000, 60000}, {299999, 240000}, {420000, 300000}, {3600000, 3600000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(niceTimeStep(c.ms), c.step) << c.ms;

    EXPECT_EQ(scaleTimeText(0), "00:00:000");
    EXPECT_EQ(scaleTimeText(61005), "01:01:005");
    EXPECT_EQ(scaleTimeText(6000000), "100:00:000");
}

TEST(ScaleLayoutTest, StepDoublesOnceWhenLabelsWouldCrowd)
{
    // 44.1 kHz, zoom 32, gap 100: 3,200 frames are 72 ms, so the step is 70 ms, 96 pixels wide.
    // "00:00:000" is 9 characters: at 6 pixels 54 x 1.75 = 94.5 < 96, at 7 pixels 110 >= 96.
    const ScaleLayout roomy = layoutScale(withData(32), widthPerChar(6));
    EXPECT_EQ(roomy.step, 70);
    ASSERT_GE(roomy.labels.size(), 3u);
    EXPECT_EQ(roomy.labels[1].text, "00:00:070");
    EXPECT_EQ(roomy.labels[1].x, 96 + kScaleLabelIndent);

    const ScaleLayout crowded = layoutScale(withData(32), widthPerChar(7));
    EXPECT_EQ(crowded.step, 140);
    ASSERT_GE(crowded.labels.size(), 2u);
    EXPECT_EQ(crowded.labels[1].text, "00:00:140");
    EXPECT_EQ(crowded.labels[1].x, 192 + kScaleLabelIndent);
}

TEST(ScaleLayoutTest, ZoomOneLabelsEveryTwoMilliseconds)
{
    const ScaleLayout layout = layoutScale(withData(1), widthPerChar(5));
    ASSERT_EQ(layout.step, 2);
    ASSERT_GE(layout.labels.size(), 5u);
    EXPECT_EQ(layout.labels[0].text, "00:00:000");
    EXPECT_EQ(layout.labels[1].text, "00:00:002");
    EXPECT_EQ(layout.labels[2].text, "00:00:004");
    EXPECT_EQ(layout.labels[1].x, 88 + kScaleLabelIndent);
    EXPECT_EQ(layout.labels[2].x, 176 + kScaleLabelIndent) << "4 ms are 176.4 frames, rounded";
    // The tick at 529 (12 ms) lies past the 500-pixel ruler.
    EXPECT_EQ(layout.labels.size(), 6u);
    EXPECT_EQ(longTicks(layout), (std::vector<int>{0, 88, 176, 265, 353, 441}));
}

TEST(ScaleLayoutTest, AScrolledRulerStartsLeftOfItsEdge)
{
    // Zoom 441: 100 pixels are 1,000 ms. Scrolled to 10 s, the first tick (9 s) lies at -100, its
    // label is not drawn, and 10 s is labelled at pixel 0.
    const ScaleLayout layout = layoutScale(withData(441, 441000), widthPerChar(5));
    ASSERT_EQ(layout.step, 1000);
    ASSERT_FALSE(layout.labels.empty());
    EXPECT_EQ(layout.labels[0].text, "00:10:000");
    EXPECT_EQ(layout.labels[0].x, kScaleLabelIndent);
    EXPECT_EQ(longTicks(layout).front(), 0);
    EXPECT_EQ(layout.labels[1].text, "00:11:000");
    // The small ticks of the 9 s interval on the ruler: none left of 0.
    EXPECT_TRUE(std::all_of(layout.ticks.begin(), layout.ticks.end(), [](const ScaleTick& t) { return t.x >= 0; }));
    EXPECT_EQ(std::count_if(layout.ticks.begin(), layout.ticks.end(), [](const ScaleTick& t) { return t.x >= 0 && t.x < 100; }),
              11) << "one long and ten short ticks in the first 100 pixels";
}

TEST(ScaleLayoutTest, SampleLabelsAreTheFramesAtTheirPixels)
{
    ScaleSettings s = withData(10, 1234, TFormat::Samples);
    const ScaleLayout layout = layoutScale(s, widthPerChar(5));
    ASSERT_EQ(layout.step, 1000);
    ASSERT_GE(layout.labels.size(), 2u);
    // The tick of 1,000 lies at pixel -23, left of the edge, but its label shows in part; 2,000
    // lies at pixel 76. Each label is the frame at its tick's pixel, not the tick's value.
    EXPECT_EQ(layout.labels[0], (ScaleLabel{-23 + kScaleLabelIndent, "1004"}));
    EXPECT_EQ(layout.labels[1], (ScaleLabel{76 + kScaleLabelIndent, "1994"}));
}

TEST(ScaleLayoutTest, WithoutDataOnlyTheZeroLabel)
{
    for (const TFormat format : {TFormat::Time, TFormat::Samples}) {
        ScaleSettings s = withData(32, 0, format);
        s.IsDataAvailable = false;
        const ScaleLayout layout = layoutScale(s, widthPerChar(5));
        EXPECT_EQ(layout.ticks, (std::vector<ScaleTick>{{0, kScaleLongTickEnd}}));
        ASSERT_EQ(layout.labels.size(), 1u);
        EXPECT_EQ(layout.labels[0].x, kScaleLabelIndent);
        EXPECT_EQ(layout.labels[0].text, format == TFormat::Time ? "00:00:000" : "0");
    }
}

// Settings that the published properties allow and that once divided by zero or looped for ever.
TEST(ScaleLayoutTest, UnusualSettingsEndWithAHarmlessRuler)
{
    struct Case {
        const char* name;
        ScaleSettings settings;
        bool labelled; // draws more than the zero label
        int charWidth = 5;
    };
    const auto with = [](auto change) {
        ScaleSettings s = withData(32);
        change(s);
        return s;
    };
    const Case cases[] = {
        {"no small divisions", with([](ScaleSettings& s) { s.NumSmallDivisons = 0; }), true},
        {"negative small divisions", with([](ScaleSettings& s) { s.NumSmallDivisons = -3; }), true},
        {"huge small divisions", with([](ScaleSettings& s) { s.NumSmallDivisons = 2000000000; }), true},
        {"gap 0", with([](ScaleSettings& s) { s.GapInPixels = 0; }), false},
        {"negative gap", with([](ScaleSettings& s) { s.GapInPixels = -100; s.Format = TFormat::Samples; }), false},
        {"huge gap", with([](ScaleSettings& s) { s.GapInPixels = 2000000000; s.ZoomLevel = 4000000000u; }), true},
        {"zoom 0", with([](ScaleSettings& s) { s.ZoomLevel = 0; }), false},
        {"rate 0", with([](ScaleSettings& s) { s.waveFormat.samplesPerSec = 0; }), false},
        // 1 pixel at zoom 100 is 2 ms, which is 88 frames: less than a pixel per step (labels of
        // no width never double it).
        {"a step narrower than a pixel", with([](ScaleSettings& s) { s.GapInPixels = 1; s.ZoomLevel = 100; }), false, 0},
        {"width 0", with([](ScaleSettings& s) { s.width = 0; }), false},
        {"the last frame", with([](ScaleSettings& s) { s.LeftSamplePos = 4294967295u; s.ZoomLevel = 4294967295u; }), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScaleLayout layout = layoutScale(c.settings, widthPerChar(c.charWidth));
        EXPECT_LE(layout.ticks.size(), size_t(2 * 500 + 2));
        if (c.labelled)
            EXPECT_FALSE(layout.labels.empty());
        else
            EXPECT_LE(layout.labels.size(), 1u);
    }
}
