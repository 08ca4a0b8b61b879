// The arithmetic of the waveform view: zoom levels and what a rendering covers, frames and pixels,
// the channel bands and the value mapping, the selection's columns, and the rules of the caret
// keys, mouse drags and resizes, including the inputs that must not divide by zero or overflow.
#include "controls/WaveViewGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>

using namespace controls;

namespace {
constexpr uint32_t kMax = std::numeric_limits<uint32_t>::max();
}

TEST(WaveViewGeometryTest, PlanChoosesTheZoomTheSourceAndTheColumns)
{
    struct Case {
        const char* name;
        uint32_t zoom, left, total;
        int width;
        bool fromPeaks;
        uint32_t effective, render, plannedLeft, right;
        int columns;
    };
    const Case cases[] = {
        // 10,000 frames in 500 pixels: the maximum zoom is 21, so 32 renders from the samples.
        {"zoom above the maximum", 32, 0, 10000, 500, false, 21, 21, 0, 10000, 500},
        {"zoom 0 counts as 1", 0, 0, 10000, 500, false, 1, 1, 0, 500, 500},
        {"zoom 31 still from the samples", 31, 0, 100000, 500, false, 31, 31, 0, 15500, 500},
        {"zoom 32 from the cache", 32, 0, 100000, 500, true, 32, 32, 0, 16000, 500},
        {"zoom 40 renders 625 columns of 32", 40, 0, 1000000, 500, true, 40, 32, 0, 20000, 625},
        {"zoom 47 still rounds down", 47, 0, 1000000, 500, true, 47, 32, 0, 23500, 734},
        {"zoom 48 rounds up", 48, 0, 1000000, 500, true, 48, 64, 0, 24000, 375},
        {"zoom 50 renders 390 columns of 64", 50, 0, 1000000, 500, true, 50, 64, 0, 25000, 390},
        {"zoom 64 renders 500 columns", 64, 0, 1000000, 500, true, 64, 64, 0, 32000, 500},
        {"left past the end is pulled back a screen", 10, 99999, 100000, 500, false, 10, 10, 95000, 100000, 500},
        {"left beyond the file", 10, 500000, 100000, 500, false, 10, 10, 95000, 100000, 500},
        {"file shorter than a screen", 1, 40, 300, 500, false, 1, 1, 0, 300, 500},
        {"one-pixel view at zoom 48: no whole column", 48, 0, 1000000, 1, true, 48, 64, 0, 48, 0},
        {"the largest zoom and file", kMax, kMax, kMax, 1, true, kMax, kMax - 31, 0, kMax, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ViewPlan plan = planView(c.zoom, c.left, c.total, c.width);
        EXPECT_EQ(plan.fromPeaks, c.fromPeaks);
        EXPECT_EQ(plan.zoom, c.effective);
        EXPECT_EQ(plan.renderZoom, c.render);
        EXPECT_EQ(plan.left, c.plannedLeft);
        EXPECT_EQ(plan.right, c.right);
        EXPECT_EQ(plan.columns, c.columns);
    }
}

TEST(WaveViewGeometryTest, ZoomLimits)
{
    EXPECT_EQ(maxZoomFor(10000, 500), 21u);
    EXPECT_EQ(maxZoomFor(0, 500), 1u);
    EXPECT_EQ(maxZoomFor(10000, 0), 10001u) << "a width of 0 counts as 1";
    EXPECT_EQ(maxZoomFor(kMax, 1), kMax) << "no wrap past 2^32";
    EXPECT_EQ(renderZoomFor(0), 0u);
    EXPECT_EQ(renderZoomFor(21), 21u);
    EXPECT_EQ(renderZoomFor(79), 64u);
    EXPECT_EQ(renderZoomFor(80), 96u);
    EXPECT_EQ(maxPositionFor(10000, 500, 10), 5000u);
    EXPECT_EQ(maxPositionFor(10000, 500, 21), 0u);
    EXPECT_EQ(maxPositionFor(0, 500, 10), 0u);
    EXPECT_EQ(zoomForSpan(5000, 500), 11u);
    EXPECT_EQ(zoomForSpan(499, 500), 1u);
    EXPECT_EQ(zoomForSpan(100, 0), 101u);
}

TEST(WaveViewGeometryTest, FramesAndPixels)
{
    EXPECT_EQ(pixelToSample(100, 10, 5000), 6000);
    EXPECT_EQ(pixelToSample(-3, 10, 5000), 4970);
    EXPECT_EQ(pixelToSample(7, 0, 5), 12) << "zoom 0 counts as 1";
    EXPECT_EQ(sampleToPixel(6009, 10, 5000), 100);
    EXPECT_EQ(sampleToPixel(4991, 10, 5000), 0) << "truncated toward the edge";
    EXPECT_EQ(sampleToPixel(4990, 10, 5000), -1);
    EXPECT_EQ(sampleToPixel(0, 10, 5000), -500);
    EXPECT_EQ(sampleToPixel(9, 0, 2), 7);
    EXPECT_EQ(sampleToPixel(kMax, 1, 0), int64_t(kMax));
    // A click stands for the frame under it, never one past the end of the file.
    EXPECT_EQ(clickedSample(100, 10, 5000, 10000), 6000u);
    EXPECT_EQ(clickedSample(400, 1, 0, 300), 300u) << "right of the last frame of a short file";
    EXPECT_EQ(clickedSample(-7, 10, 5000, 10000), 5000u) << "left of the view";
    EXPECT_EQ(clickedSample(INT_MAX, kMax, kMax, kMax), kMax);
    EXPECT_EQ(rightSampleFor(9000, 500, 10, 10000), 10000u);
    EXPECT_EQ(rightSampleFor(kMax - 1, 1000, kMax, kMax), kMax) << "64-bit sum";
}

TEST(WaveViewGeometryTest, LeftForCaretKeepsTheCaretAtTheLeftEdgeBetweenTheFirstAndLastScreen)
{
    struct Case {
        uint32_t caret;
        uint32_t left;
    };
    // 500 pixels at zoom 10: a screen is 5,000 frames of 100,000.
    const Case cases[] = {{0, 0}, {4999, 0}, {5000, 5000}, {50000, 50000}, {95000, 95000}, {95001, 95000}, {100000, 95000}};
    for (const Case& c : cases)
        EXPECT_EQ(leftForCaret(c.caret, 500, 10, 100000), c.left) << c.caret;
    EXPECT_EQ(leftForCaret(3000, 500, 10, 2000), 0u) << "a file shorter than a screen";
    EXPECT_EQ(leftForCaret(kMax, 1000, kMax, kMax), 0u) << "a span past 2^32";
}

TEST(WaveViewGeometryTest, ResizeAddsOneAndSubtractsOneInTurnNeverBelowOne)
{
    EXPECT_EQ(zoomAfterResize(0, 10000, 400, 0), 26u);
    EXPECT_EQ(zoomAfterResize(0, 10000, 400, 1), 24u);
    EXPECT_EQ(zoomAfterResize(0, 10000, 400, 2), 26u);
    EXPECT_EQ(zoomAfterResize(0, 300, 400, 1), 1u);
    EXPECT_EQ(zoomAfterResize(500, 0, 400, 0), 1u) << "never rendered: right before left";
    EXPECT_EQ(zoomAfterResize(0, 100, 0, 0), 101u) << "width 0 counts as 1";
}

// A resize keeps the zoom and the first visible frame while the file still fills the new width
// from there; only when it no longer does is the former span refitted, +1 and -1 in turn.
TEST(WaveViewGeometryTest, ResizeRefitsTheZoomOnlyWhenTheFileNoLongerFillsTheView)
{
    struct Case {
        const char* name;
        uint32_t left, right, zoom, total;
        int oldWidth, newWidth, refits;
        std::optional<uint32_t> zoomAfter;
    };
    const Case cases[] = {
        {"height only", 50000, 55000, 10, 200000, 500, 500, 0, std::nullopt},
        {"height only, a file shorter than the view", 0, 300, 1, 300, 500, 500, 0, std::nullopt},
        {"narrower", 50000, 55000, 10, 200000, 500, 400, 0, std::nullopt},
        {"wider, still inside the file", 50000, 55000, 10, 200000, 500, 600, 0, std::nullopt},
        {"wider, up to the last frame exactly", 194000, 199000, 10, 200000, 500, 600, 0, std::nullopt},
        {"the whole file, narrower: the zoom stays", 0, 10000, 21, 10000, 500, 450, 0, std::nullopt},
        {"wider past the end", 195000, 200000, 10, 200000, 500, 600, 0, 9u},
        {"wider past the end after one refit", 195000, 200000, 10, 200000, 500, 600, 1, 7u},
        {"the whole file, wider", 0, 10000, 21, 10000, 500, 550, 0, 19u},
        {"a file shorter than the view, narrower", 0, 300, 1, 300, 500, 400, 0, 1u},
        {"zoom 0 counts as 1", 0, 550, 0, 550, 550, 600, 0, 1u},
        {"the largest positions do not overflow", kMax - 1, kMax, kMax, kMax, 1, 2, 0, 1u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(zoomRefitForResize(c.left, c.right, c.zoom, c.total, c.oldWidth, c.newWidth, c.refits), c.zoomAfter);
    }
}

TEST(WaveViewGeometryTest, BandsAndValueMapping)
{
    EXPECT_EQ(channelBand(0, 1, 201).centre, 100);
    EXPECT_EQ(channelBand(0, 1, 201).half, 100);
    EXPECT_EQ(channelBand(0, 2, 201).centre, 50);
    EXPECT_EQ(channelBand(1, 2, 201).centre, 150);
    EXPECT_EQ(channelBand(1, 2, 201).half, 50);
    EXPECT_EQ(channelBand(0, 0, 0).centre, 0) << "no channels, no height";

    struct Case {
        int value, half, bits, offset;
    };
    const Case cases[] = {
        {32767, 100, 16, 100}, {-32767, 100, 16, -100}, {-32768, 100, 16, -100}, {0, 100, 16, 0},
        {16384, 100, 16, 50},  {255, 64, 8, 64},        {0, 64, 8, -64},         {128, 64, 8, 0},
        // Halves go to the even neighbour: 64 x 1 / 128 = 0.5, 64 x 3 / 128 = 1.5.
        {129, 64, 8, 0},       {131, 64, 8, 2},         {127, 64, 8, 0},         {125, 64, 8, -2},
        {32767, 0, 16, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(valueOffset(c.value, c.half, c.bits), c.offset) << c.value << " " << c.half << " " << c.bits;
}

TEST(WaveViewGeometryTest, ScaleVerticalStretchesOrShrinksButNeverCrossesTheAxis)
{
    struct Case {
        int min, max, scale, newMin, newMax;
    };
    const Case cases[] = {
        {-10, 20, 3, -13, 23}, {-10, 20, -4, -6, 16}, {-2, 5, -4, 0, 1}, {3, 8, -5, 0, 3},
        {0, 20, 3, 0, 20}, // an offset of 0: untouched
        {-10, 0, 3, -10, 0},
        {-10, 20, INT_MIN, 0, 0},
        {-10, 20, INT_MAX, -10 - (1 << 20), 20 + (1 << 20)}, // no overflow
    };
    for (const Case& c : cases) {
        int min = c.min;
        int max = c.max;
        scaleColumn(min, max, c.scale);
        EXPECT_EQ(min, c.newMin) << c.min << " " << c.max << " " << c.scale;
        EXPECT_EQ(max, c.newMax) << c.min << " " << c.max << " " << c.scale;
    }
}

TEST(WaveViewGeometryTest, SelectionColumnsClipToTheView)
{
    struct Case {
        const char* name;
        uint32_t start, end, left, right, zoom;
        std::optional<SelectionColumns> columns;
    };
    const Case cases[] = {
        {"inside", 1000, 2000, 0, 5000, 10, SelectionColumns{100, 200}},
        {"ends in either order", 2000, 1000, 0, 5000, 10, SelectionColumns{100, 200}},
        {"no selection", 1000, 1000, 0, 5000, 10, std::nullopt},
        {"left of the view", 100, 900, 1000, 6000, 10, std::nullopt},
        {"right of the view", 7000, 9000, 1000, 6000, 10, std::nullopt},
        {"across the left edge", 100, 2000, 1000, 6000, 10, SelectionColumns{0, 100}},
        {"across both edges", 0, 99999, 1000, 6000, 10, SelectionColumns{0, 500}},
        {"touching the right edge", 6000, 7000, 1000, 6000, 10, SelectionColumns{500, 500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(selectionColumns(c.start, c.end, c.left, c.right, c.zoom, 500), c.columns);
    }
}

TEST(WaveViewGeometryTest, CaretKeys)
{
    struct Case {
        const char* name;
        CaretKey key;
        uint32_t reference, zoom;
        bool ctrl;
        uint32_t target;
    };
    const Case cases[] = {
        {"Home", CaretKey::Home, 5000, 10, false, 0},
        {"End", CaretKey::End, 5000, 10, false, 100000},
        {"Left", CaretKey::Left, 1000, 10, false, 990},
        {"Left at 0 stays", CaretKey::Left, 0, 10, false, 0},
        {"Left by more than there is", CaretKey::Left, 5, 10, false, 0},
        {"Ctrl+Left", CaretKey::Left, 1000, 10, true, 900},
        {"Right", CaretKey::Right, 1000, 10, false, 1010},
        {"Ctrl+Right", CaretKey::Right, 1000, 10, true, 1100},
        {"Ctrl+Right stops at the end", CaretKey::Right, 99950, 10, true, 100000},
        {"Ctrl+Right at the largest zoom", CaretKey::Right, 7, kMax, true, 100000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(caretKeyTarget(c.key, c.reference, c.zoom, c.ctrl, 100000), c.target) << c.name;
}

TEST(WaveViewGeometryTest, DragStepsScrollByATenthOutsideTheView)
{
    struct Case {
        const char* name;
        int x;
        uint32_t zoom, left, right, total;
        std::optional<uint32_t> scrollTo;
        uint32_t position;
        bool outside;
    };
    // 500 pixels at zoom 10: a tenth of the view is 500 frames.
    const Case cases[] = {
        {"inside", 40, 10, 2000, 7000, 100000, std::nullopt, 2400, false},
        {"on the right edge", 500, 10, 2000, 7000, 100000, std::nullopt, 7000, false},
        {"inside, past the end", 400, 10, 0, 3000, 3000, std::nullopt, 3000, false},
        {"left", -5, 10, 2000, 7000, 100000, 1500u, 1500, true},
        {"left, near the start", -5, 10, 300, 5300, 100000, 0u, 0, true},
        {"left at the start", -5, 10, 0, 5000, 100000, std::nullopt, 0, true},
        {"right", 501, 10, 2000, 7000, 100000, 2500u, 7500, true},
        {"right, near the end", 600, 10, 94800, 99800, 100000, 95000u, 100000, true},
        {"right at the end", 600, 10, 95000, 100000, 100000, std::nullopt, 100000, true},
        {"a view of less than ten frames still moves", -1, 1, 3, 8, 100, 2u, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int width = c.zoom == 1 ? 5 : 500;
        const DragStep step = dragStep(c.x, width, c.zoom, c.left, c.right, c.total);
        EXPECT_EQ(step.scrollTo, c.scrollTo);
        EXPECT_EQ(step.position, c.position);
        EXPECT_EQ(step.outside, c.outside);
    }
}
