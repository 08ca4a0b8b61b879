// The arithmetic of the skinned controls without a display: button slices and their bands, the
// form's tiles, the shade rule and transparent colours, the slider's range rules and thumb
// arithmetic, the meter's decay and layout, caption shortening and the overview frame's limits.
#include "controls/CaptionFit.h"
#include "controls/MeterModel.h"
#include "controls/OverviewFrameGeometry.h"
#include "controls/SkinGeometry.h"
#include "controls/SliderModel.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <climits>
#include <vector>

using namespace controls;

// --- Button slices and bands ---

TEST(SkinGeometryTest, ButtonSlicesShareTheWidth)
{
    struct Case {
        int width, leftSlice, rightSlice;
        int leftEnd, rightStart, centre;
    };
    const Case cases[] = {
        {50, 8, 8, 8, 42, 34},  // the usual: both ends whole, the centre between
        {10, 8, 8, 5, 5, 0},    // narrower than both ends: half each, no centre
        {11, 8, 8, 6, 5, 0},    // round(5.5) = 6 for both halves: the ends overlap by one column
        {9, 8, 8, 4, 5, 1},     // round(4.5) = 4 (halves to even)
        {0, 8, 8, 0, 0, 0},     // nothing to draw into
        {-5, 8, 8, 0, 0, 0},    // a negative width counts as 0
        {50, 0, 0, 0, 50, 50},  // missing end slices: the centre takes all
        {50, -3, 8, 0, 42, 42}, // a nonsense width is taken as missing
    };
    for (const Case& c : cases) {
        const SliceSpans spans = buttonSliceSpans(c.width, c.leftSlice, c.rightSlice);
        EXPECT_EQ(spans.leftEnd, c.leftEnd) << c.width;
        EXPECT_EQ(spans.rightStart, c.rightStart) << c.width;
        EXPECT_EQ(spans.centreWidth(), c.centre) << c.width;
    }
}

TEST(SkinGeometryTest, SlicesStretchOnlyTheirMiddleRows)
{
    struct Case {
        int imageHeight, areaHeight;
        std::vector<Band> bands;
    };
    const Case cases[] = {
        // 25 rows: 11 on top, 3 in the middle (odd), 11 at the bottom.
        {25, 25, {{0, 11, 0, 11}, {11, 3, 11, 3}, {14, 11, 14, 11}}},
        {25, 40, {{0, 11, 0, 11}, {11, 3, 11, 18}, {14, 11, 29, 11}}},
        // 24 rows: 11, 2 (even), 11.
        {24, 30, {{0, 11, 0, 11}, {11, 2, 11, 8}, {13, 11, 19, 11}}},
        // An area exactly as tall as top and bottom: no middle band.
        {25, 22, {{0, 11, 0, 11}, {14, 11, 11, 11}}},
        // Shorter than top and bottom together, or a picture under 4 rows: stretched whole.
        {25, 10, {{0, 25, 0, 10}}},
        {3, 25, {{0, 3, 0, 25}}},
        {1, 25, {{0, 1, 0, 25}}},
        {4, 25, {{0, 1, 0, 1}, {1, 2, 1, 23}, {3, 1, 24, 1}}},
        // A missing picture or an empty area: nothing.
        {0, 25, {}},
        {25, 0, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(threeBands(c.imageHeight, c.areaHeight), c.bands) << c.imageHeight << " into " << c.areaHeight;
}

TEST(SkinGeometryTest, BandsFillTheAreaWithoutGaps)
{
    for (int image = 1; image <= 30; ++image) {
        for (int area = 1; area <= 60; ++area) {
            int next = 0;
            for (const Band& band : threeBands(image, area)) {
                EXPECT_EQ(band.targetTop, next);
                EXPECT_GT(band.targetRows, 0);
                EXPECT_GE(band.sourceTop, 0);
                EXPECT_LE(band.sourceTop + band.sourceRows, image);
                next += band.targetRows;
            }
            EXPECT_EQ(next, area) << image << " into " << area;
        }
    }
}

// --- The form's background ---

namespace {

FormPieceSizes pieces(int frame, int tile)
{
    FormPieceSizes sizes;
    sizes[FormPiece::Center] = QSize(tile, tile);
    sizes[FormPiece::Top] = sizes[FormPiece::Bot] = QSize(tile, frame);
    sizes[FormPiece::Left] = sizes[FormPiece::Right] = QSize(frame, tile);
    for (const FormPiece corner : {FormPiece::TopLeft, FormPiece::TopRight, FormPiece::BotLeft, FormPiece::BotRight})
        sizes[corner] = QSize(frame, frame);
    return sizes;
}

// Which piece covers each pixel last, painted as the layout says.
QImage paintLayout(QSize client, const FormPieceSizes& sizes)
{
    QImage image(client, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (const FormPlacement& placement : formSkinLayout(client, sizes)) {
        const int piece = int(placement.piece);
        painter.fillRect(QRect(placement.at, sizes[placement.piece]), QColor(10 + piece, 0, 0));
    }
    return image;
}

} // namespace

TEST(SkinGeometryTest, FormBackgroundCoversEveryPixel)
{
    // Sizes that are not multiples of the tiles, where rounded tile counts would leave a strip.
    for (const QSize client : {QSize(100, 70), QSize(47, 33), QSize(16, 16), QSize(5, 3), QSize(1, 1)}) {
        const FormPieceSizes sizes = pieces(6, 32);
        const QImage covered = paintLayout(client, sizes);
        for (int y = 0; y < client.height(); ++y) {
            for (int x = 0; x < client.width(); ++x)
                ASSERT_NE(qAlpha(covered.pixel(x, y)), 0) << client.width() << "x" << client.height() << " at " << x << "," << y;
        }
    }
}

TEST(SkinGeometryTest, FormCornersAndEdgesLieOnTheirSides)
{
    FormPieceSizes sizes = pieces(6, 32);
    // A bottom-right corner taller than the bottom-left one still sits in the corner.
    sizes[FormPiece::BotRight] = QSize(6, 9);
    const QImage covered = paintLayout(QSize(100, 70), sizes);
    auto pieceAt = [&](int x, int y) { return FormPiece(qRed(covered.pixel(x, y)) - 10); };
    EXPECT_EQ(pieceAt(0, 0), FormPiece::TopLeft);
    EXPECT_EQ(pieceAt(99, 0), FormPiece::TopRight);
    EXPECT_EQ(pieceAt(0, 69), FormPiece::BotLeft);
    EXPECT_EQ(pieceAt(99, 69), FormPiece::BotRight);
    EXPECT_EQ(pieceAt(99, 61), FormPiece::BotRight);
    EXPECT_EQ(pieceAt(50, 2), FormPiece::Top);
    EXPECT_EQ(pieceAt(50, 67), FormPiece::Bot);
    EXPECT_EQ(pieceAt(2, 35), FormPiece::Left);
    EXPECT_EQ(pieceAt(97, 35), FormPiece::Right);
    EXPECT_EQ(pieceAt(50, 35), FormPiece::Center);

    // Missing pieces are left out; an empty client area places nothing.
    sizes[FormPiece::Top] = QSize();
    for (const FormPlacement& placement : formSkinLayout(QSize(100, 70), sizes))
        EXPECT_NE(placement.piece, FormPiece::Top);
    EXPECT_TRUE(formSkinLayout(QSize(0, 70), sizes).empty());
    EXPECT_TRUE(formSkinLayout(QSize(-4, -4), sizes).empty());
    EXPECT_EQ(tileCount(65, 32), 3);
    EXPECT_EQ(tileCount(64, 32), 2);
    EXPECT_EQ(tileCount(64, 0), 0);
    EXPECT_EQ(tileCount(0, 32), 0);
}

// --- Greys and transparency ---

TEST(SkinGeometryTest, ShadeRule)
{
    struct Case {
        int r, g, b, percent, grey;
    };
    const Case cases[] = {
        {0, 0, 0, 50, 128},        // k = 50 x 765 div 300 = 127
        {0, 0, 0, 100, 0},         // k = 255
        {255, 255, 255, 50, 240},  // k = 0: light colours all become 240
        {200, 200, 200, 50, 228},  // k = 50 x 165 div 300 = 27
        {250, 250, 250, 50, 240},  // k = 2
        {255, 0, 0, 50, 170},      // k = 50 x 510 div 300 = 85
        {0, 0, 0, 150, 0},         // a percentage above 100 counts as 100
        {0, 0, 0, -20, 240},       // below 0 as 0
    };
    for (const Case& c : cases)
        EXPECT_EQ(shadeGrey(c.r, c.g, c.b, c.percent), c.grey) << c.r << "," << c.g << "," << c.b << " at " << c.percent;
}

TEST(SkinGeometryTest, ShadedAndTransparentPictures)
{
    QImage glyph(3, 2, QImage::Format_RGB32);
    glyph.fill(QColor(0, 255, 0));
    glyph.setPixelColor(1, 0, Qt::black);
    glyph.setPixelColor(2, 0, Qt::red);

    // A picture without alpha loses the colour of its bottom-left pixel.
    const QImage transparent = transparentImage(glyph);
    EXPECT_EQ(qAlpha(transparent.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(transparent.pixel(0, 1)), 0);
    EXPECT_EQ(transparent.pixelColor(1, 0), QColor(Qt::black));
    // One with alpha is kept as it is.
    QImage withAlpha(2, 2, QImage::Format_ARGB32);
    withAlpha.fill(QColor(10, 20, 30, 200));
    EXPECT_EQ(transparentImage(withAlpha), withAlpha);

    const QImage keyed = withTransparentColor(glyph, Qt::red);
    EXPECT_EQ(qAlpha(keyed.pixel(2, 0)), 0);
    EXPECT_EQ(keyed.pixelColor(0, 0), QColor(0, 255, 0));

    // Greying keeps transparent pixels transparent.
    const QImage grey = shadedImage(transparent, 50).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(grey.pixel(0, 0)), 0);
    EXPECT_EQ(grey.pixelColor(1, 0), QColor(128, 128, 128));
    EXPECT_EQ(grey.pixelColor(2, 0), QColor(170, 170, 170));
    EXPECT_TRUE(shadedImage(QImage(), 50).isNull());
    EXPECT_TRUE(transparentImage(QImage()).isNull());
}

// --- Slider values ---

TEST(SliderModelTest, RangeRulesOfTheSetters)
{
    SliderRange range;
    EXPECT_EQ(range.Min(), 0);
    EXPECT_EQ(range.Max(), 99);
    EXPECT_EQ(range.Position(), 50);

    // Clamping.
    EXPECT_TRUE(range.setPosition(150));
    EXPECT_EQ(range.Position(), 99);
    EXPECT_TRUE(range.setPosition(-5));
    EXPECT_EQ(range.Position(), 0);
    EXPECT_FALSE(range.setPosition(-7));

    // Set by the owner, a position outside the range also reaches the log; one inside does not.
    {
        testsupport::LogCapture log;
        EXPECT_TRUE(range.assignPosition(40));
        EXPECT_TRUE(log.entries().empty());
        EXPECT_TRUE(range.assignPosition(120));
        EXPECT_EQ(range.Position(), 99);
        EXPECT_TRUE(log.contains("slider position 120 lies outside", "va.controls"));
    }

    // A stored Min 10 that arrives before a stored Max 5: kept, then lowered to 5 by Max. The
    // range of one value that is left reaches the log.
    testsupport::LogCapture log;
    SliderRange loaded;
    loaded.setMin(10);
    EXPECT_EQ(loaded.Min(), 10);
    EXPECT_EQ(loaded.Max(), 99);
    EXPECT_FALSE(log.contains("holds one value", "va.controls"));
    loaded.setMax(5);
    EXPECT_EQ(loaded.Min(), 5);
    EXPECT_EQ(loaded.Max(), 5);
    EXPECT_EQ(loaded.Position(), 5);
    EXPECT_FALSE(loaded.hasSpan());
    EXPECT_TRUE(log.contains("holds one value", "va.controls"));

    // Later Min assignments raise Max and Position.
    SliderRange later;
    later.setMin(0);
    later.setMax(20);
    EXPECT_TRUE(later.setMin(30));
    EXPECT_EQ(later.Max(), 30);
    EXPECT_EQ(later.Position(), 30);

    // A first Min above Max leaves a range of one value, never an inverted clamp, and Position
    // is never left outside it, also when the first Min lies above Position.
    SliderRange inverted;
    EXPECT_TRUE(inverted.setMin(200));
    EXPECT_EQ(inverted.Position(), 200);
    EXPECT_EQ(inverted.clamped(50), 200);
    EXPECT_FALSE(inverted.setPosition(7));
    inverted.setMax(300);
    EXPECT_EQ(inverted.Min(), 200);
    EXPECT_EQ(inverted.Position(), 200);
    SliderRange raised;
    EXPECT_TRUE(raised.setMin(60));
    EXPECT_EQ(raised.Position(), 60);

    SliderRange both;
    EXPECT_TRUE(both.setRange(24, -24));
    EXPECT_EQ(both.Min(), -24);
    EXPECT_EQ(both.Max(), 24);
    EXPECT_EQ(both.Position(), 24);
}

TEST(SliderModelTest, HighlightedRange)
{
    SliderRange range;
    // One at a time, each end against the other: SelStart cannot pass SelEnd (still 0 here) ...
    EXPECT_FALSE(range.setSelStart(20));
    EXPECT_EQ(range.SelStart(), 0);
    // ... and with SelStart at 20, a SelEnd of 10 is raised to it.
    EXPECT_TRUE(range.setSelEnd(30));
    EXPECT_TRUE(range.setSelStart(20));
    EXPECT_TRUE(range.setSelEnd(10));
    EXPECT_EQ(range.SelEnd(), 20);
    EXPECT_TRUE(range.setSelEnd(300));
    EXPECT_EQ(range.SelEnd(), 99);

    // Both at once, in either order, each within the range.
    EXPECT_TRUE(range.setSelection(30, 20));
    EXPECT_EQ(range.SelStart(), 20);
    EXPECT_EQ(range.SelEnd(), 30);
    EXPECT_FALSE(range.setSelection(20, 30));
    EXPECT_TRUE(range.setSelection(-10, 500));
    EXPECT_EQ(range.SelStart(), 0);
    EXPECT_EQ(range.SelEnd(), 99);
}

TEST(SliderModelTest, ThumbOffsetAndDragValue)
{
    struct Case {
        int value, min, max, length, thumb, offset;
    };
    const Case offsets[] = {
        {50, 0, 99, 150, 11, 70},    // round(139 x 50 / 99) = round(70.2)
        {0, 0, 99, 150, 11, 0},
        {99, 0, 99, 150, 11, 139},   // the thumb's far end at the control's end
        {0, -24, 24, 150, 11, 70},   // round(139 x 24 / 48) = round(69.5) = 70 (to even)
        {5, 5, 5, 150, 11, 0},       // Max = Min: at the start
        {50, 0, 99, 11, 11, 0},      // no longer than the thumb
        {50, 0, 99, 0, 11, 0},       // size 0
        {INT_MAX, INT_MIN, INT_MAX, 1000, 10, 990}, // the widest range does not overflow
        {150, 0, 99, 150, 11, 139},  // a value outside the range stays on the control
    };
    for (const Case& c : offsets)
        EXPECT_EQ(thumbOffset(c.value, c.min, c.max, c.length, c.thumb), c.offset) << c.value << " in " << c.min << ".." << c.max;

    const Case values[] = {
        {0, 0, 99, 150, 11, 70},     // offset 70 -> round(70 x 99 / 139) = round(49.86) = 50
        {0, 0, 99, 150, 11, 0},
        {0, 0, 99, 150, 11, 139},
        {0, 0, 99, 150, 11, 500},    // far past the end: beyond Max, for the setter to clamp
        {0, 0, 3, 10, 2, 4},         // round(4 x 3 / 8) = round(1.5) = 2 (to even)
        {0, 1, 4, 10, 2, 4},         // round(1.5 + 1) = round(2.5) = 2 (to even, Min inside)
        {0, 5, 5, 150, 11, 30},      // no span: Min
        {0, 0, 99, 11, 11, 30},      // no travel: Min
    };
    const int expected[] = {50, 0, 99, 198, 2, 2, 5, 0};
    for (size_t i = 0; i < std::size(values); ++i) {
        const Case& c = values[i];
        EXPECT_EQ(valueAtOffset(c.offset, c.min, c.max, c.length, c.thumb), expected[i]) << "offset " << c.offset;
    }
}

TEST(SliderModelTest, PressBesideTheThumbStepsTowardThePointer)
{
    // Length 150, thumb 11, range 0..99: the thumb of 50 covers 70..81.
    const int length = 150;
    const int thumb = 11;
    // Right of the thumb: the far end reaches the pointer.
    const int right = stepTowardPointer(120, 50, 0, 99, length, thumb);
    EXPECT_GE(thumbOffset(right, 0, 99, length, thumb) + thumb, 120);
    EXPECT_LT(thumbOffset(right - 1, 0, 99, length, thumb) + thumb, 120);
    // Left of it: the near end reaches the pointer.
    const int left = stepTowardPointer(20, 50, 0, 99, length, thumb);
    EXPECT_LE(thumbOffset(left, 0, 99, length, thumb), 20);
    EXPECT_GT(thumbOffset(left + 1, 0, 99, length, thumb), 20);
    // On the thumb: no step.
    EXPECT_EQ(stepTowardPointer(75, 50, 0, 99, length, thumb), 50);
    // Beyond the ends the steps stop at Max and Min.
    EXPECT_EQ(stepTowardPointer(10000, 50, 0, 99, length, thumb), 99);
    EXPECT_EQ(stepTowardPointer(-10000, 50, 0, 99, length, thumb), 0);
    // Few values: one step jumps past the pointer and stops there, it does not swing back.
    EXPECT_EQ(stepTowardPointer(100, 0, 0, 1, length, thumb), 1);
    // No span: nothing moves. No travel: the far end never reaches the pointer, the steps end at Max.
    EXPECT_EQ(stepTowardPointer(140, 5, 5, 5, length, thumb), 5);
    EXPECT_EQ(stepTowardPointer(140, 0, 0, 99, 5, thumb), 99);
    // The widest range is searched, not walked, and lands where a walk would stop.
    const int wide = stepTowardPointer(140, 0, INT_MIN, INT_MAX, length, thumb);
    EXPECT_GE(thumbOffset(wide, INT_MIN, INT_MAX, length, thumb) + thumb, 140);
    EXPECT_LT(thumbOffset(wide - 1, INT_MIN, INT_MAX, length, thumb) + thumb, 140);
}

TEST(SliderModelTest, KeysAndWholeLengthPixels)
{
    struct Case {
        SliderKey key;
        int expected;
    };
    const Case cases[] = {
        {SliderKey::PageUp, 40},   {SliderKey::PageDown, 60}, {SliderKey::End, 99},  {SliderKey::Home, -5},
        {SliderKey::Left, 47},     {SliderKey::Up, 47},       {SliderKey::Right, 53}, {SliderKey::Down, 53},
    };
    for (const Case& c : cases)
        EXPECT_EQ(positionAfterKey(c.key, 50, -5, 99, 3, 10), c.expected);
    EXPECT_EQ(positionAfterKey(SliderKey::Down, INT_MAX, 0, INT_MAX, 5, 10), INT_MAX);

    EXPECT_EQ(valueToPixel(20, 0, 100, 150), 30);
    EXPECT_EQ(valueToPixel(1, 0, 4, 2), 0); // round(0.5) = 0
    EXPECT_EQ(valueToPixel(20, 5, 5, 150), 0);
}

// --- The level meter ---

TEST(MeterModelTest, DecayAndPeakMarks)
{
    MeterModel meter;
    meter.setMax(100);
    ASSERT_TRUE(meter.setBarCount(2));

    // From 100: 95, 90, ... 5, 0 after 20 steps.
    meter.setBarValue(0, 100);
    for (int step = 1; step <= 20; ++step) {
        meter.decay();
        EXPECT_EQ(meter.barValue(0), 100 - 5 * step);
    }
    // From 3 (not more than 3 above Min) it stays.
    meter.setBarValue(1, 3);
    meter.decay();
    EXPECT_EQ(meter.barValue(1), 3);

    // A mark at 100 falls one per step while the value drops away.
    MeterModel peak;
    peak.setMax(100);
    peak.setBarCount(1);
    peak.setBarValue(0, 100);
    peak.decay(); // the mark takes the value: 95
    EXPECT_EQ(peak.peakMark(0), 95);
    peak.setBarValue(0, 10);
    peak.decay(); // value 5, mark 94
    EXPECT_EQ(peak.peakMark(0), 94);
    peak.decay(); // value 0, mark 93
    EXPECT_EQ(peak.peakMark(0), 93);
    // Setting 0 again is no change and keeps the mark; a change to 0 clears it at once.
    EXPECT_FALSE(peak.setBarValue(0, 0));
    EXPECT_EQ(peak.peakMark(0), 93);
    peak.setBarValue(0, 30);
    EXPECT_TRUE(peak.setBarValue(0, 0));
    EXPECT_EQ(peak.peakMark(0), 0);
}

TEST(MeterModelTest, ValuesIndexesAndCounts)
{
    MeterModel meter;
    EXPECT_EQ(meter.BarCount(), 0);
    meter.setMax(100);
    EXPECT_FALSE(meter.setBarValue(0, 50)) << "no bars yet";
    ASSERT_TRUE(meter.setBarCount(2));
    EXPECT_TRUE(meter.setBarValue(1, 150));
    EXPECT_EQ(meter.barValue(1), 100);
    EXPECT_FALSE(meter.setBarValue(1, 120)) << "clamped to the same value";
    EXPECT_TRUE(meter.setBarValue(1, -4));
    EXPECT_EQ(meter.barValue(1), 0);
    for (const int index : {-1, 2, INT_MIN, INT_MAX}) {
        EXPECT_FALSE(meter.setBarValue(index, 50));
        EXPECT_EQ(meter.barValue(index), -1);
        EXPECT_EQ(meter.peakMark(index), -1);
        EXPECT_EQ(meter.litRows(index), 0);
        EXPECT_FALSE(meter.markRow(index));
    }
    // A count below 1 changes nothing; a new count zeroes the bars.
    EXPECT_FALSE(meter.setBarCount(0));
    EXPECT_FALSE(meter.setBarCount(-3));
    EXPECT_EQ(meter.BarCount(), 2);
    meter.setBarValue(0, 40);
    ASSERT_TRUE(meter.setBarCount(3));
    EXPECT_EQ(meter.barValue(0), 0);
    EXPECT_FALSE(meter.setBarWidth(0));
    EXPECT_FALSE(meter.setSeparation(-1));
}

TEST(MeterModelTest, Layout)
{
    MeterModel meter;
    meter.setMax(100);
    meter.setBarCount(1);
    meter.setBarWidth(12);
    meter.layout(12, 82);
    // Height 82: 0.8 pixels per unit; 100 lights 80 rows, the whole inside.
    EXPECT_DOUBLE_EQ(meter.scale(), 0.8);
    EXPECT_EQ(meter.margin(), 1);
    meter.setBarValue(0, 100);
    EXPECT_EQ(meter.litRows(0), 80);
    meter.setBarValue(0, 51);
    EXPECT_EQ(meter.litRows(0), 40); // 40.8
    EXPECT_EQ(meter.litWidth(), 10);
    meter.setBarValue(0, 100);
    meter.decay();
    EXPECT_EQ(meter.markRow(0), 82 - 76 - 1);

    // Several bars are centred: (100 - 2 x 4 - 3 x 20) div 2 + 1.
    MeterModel bars;
    bars.setBarCount(3);
    bars.setBarWidth(20);
    bars.setSeparation(4);
    bars.setMax(10);
    bars.layout(100, 50);
    EXPECT_EQ(bars.margin(), 17);
    EXPECT_EQ(bars.barLeft(2), 2 * 24 + 17);
    bars.layout(50, 50); // too narrow: margin 1
    EXPECT_EQ(bars.margin(), 1);

    // A range that does not start at 0 lights from its bottom.
    MeterModel offset;
    offset.setMin(-60);
    offset.setMax(0);
    offset.setBarCount(1);
    offset.layout(12, 62);
    offset.setBarValue(0, -30);
    EXPECT_EQ(offset.litRows(0), 30);
    offset.setBarValue(0, -60);
    EXPECT_EQ(offset.litRows(0), 0);

    // Max = Min, a bar too narrow to light, a control of size 0: nothing lit, nothing divided by 0.
    MeterModel flat;
    flat.setBarCount(1);
    flat.setBarWidth(2);
    flat.layout(0, 0);
    flat.setBarValue(0, 5);
    EXPECT_EQ(flat.scale(), 0.0);
    EXPECT_EQ(flat.litRows(0), 0);
    EXPECT_EQ(flat.litWidth(), 0);
    EXPECT_FALSE(flat.markRow(0));
}

// --- Caption shortening ---

TEST(CaptionFitTest, ShortensToTheWidth)
{
    // A fixed-width font: 6 pixels a character.
    const auto width = [](const QString& text) { return 6 * int(text.size()); };
    EXPECT_EQ(fitCaption(QStringLiteral("song.wav"), 90, width), "song.wav");
    EXPECT_EQ(fitCaption(QStringLiteral("song.wav"), 0, width), "");
    EXPECT_EQ(fitCaption(QStringLiteral("song.wav"), -10, width), "");

    // 40 characters on a 90-pixel tab with caption and picture offsets of 2 and 0: 88 pixels.
    const QString forty = QStringLiteral("A long recording of the weekly show.wav");
    ASSERT_EQ(forty.size(), 39);
    const QString fitted = fitCaption(forty + "x", 88, width);
    EXPECT_TRUE(fitted.endsWith("...")) << fitted.toStdString();
    EXPECT_LT(width(fitted), 88);
    // 14 characters fit (84 < 88) and two more go; "..." is as wide as three characters, so one
    // more goes for the result to fit.
    EXPECT_EQ(fitted, forty.left(11) + "...");

    // Where "..." is wider than two characters, characters keep going until the result fits.
    const auto wideDots = [](const QString& text) {
        int w = 0;
        for (const QChar c : text)
            w += c == '.' ? 10 : 5;
        return w;
    };
    const QString narrow = fitCaption(QStringLiteral("abcdefghij"), 40, wideDots);
    EXPECT_LT(wideDots(narrow), 40);
    EXPECT_EQ(narrow, "a...");
    // Nothing fits, not even "...": empty, and no endless loop.
    EXPECT_EQ(fitCaption(QStringLiteral("abcdefghij"), 20, wideDots), "");
    // A character outside the basic plane is never cut in half.
    const QString emoji = QString::fromUtf8("ab\xF0\x9F\x8E\xB5\xF0\x9F\x8E\xB5\xF0\x9F\x8E\xB5"
                                           "cd");
    const QString cut = fitCaption(emoji, 40, width);
    EXPECT_FALSE(cut.isEmpty());
    for (int i = 0; i < cut.size(); ++i) {
        if (cut.at(i).isHighSurrogate()) {
            EXPECT_TRUE(i + 1 < cut.size() && cut.at(i + 1).isLowSurrogate());
        }
    }
}

// --- The overview frame ---

TEST(OverviewFrameGeometryTest, FrameStaysInTheStrip)
{
    // Moving: left within 0..strip - width.
    EXPECT_EQ(frameLeftForMove(450, 100, 500), 400);
    EXPECT_EQ(frameLeftForMove(-30, 100, 500), 0);
    EXPECT_EQ(frameLeftForMove(120, 100, 500), 120);
    EXPECT_EQ(frameLeftForMove(120, 600, 500), 0);

    // Setting from code: the top stays, the width is capped at the strip, the left kept inside.
    EXPECT_EQ(constrainFrame(QRect(450, 7, 100, 90), -40, 500), QRect(400, -40, 100, 90));
    EXPECT_EQ(constrainFrame(QRect(30, 0, 900, 90), -40, 500), QRect(0, -40, 500, 90));
    EXPECT_EQ(constrainFrame(QRect(30, 0, 0, 90), -40, 500), QRect(30, -40, 1, 90));
    EXPECT_EQ(constrainFrame(QRect(30, 0, 10, 90), -40, 0), QRect(0, -40, 1, 90));

    // Resizing by the left border: the right side stays, the left stops at 0 and at the least width.
    FrameSpan span = frameForLeftBorder(50, 199, 12);
    EXPECT_EQ(span.left, 50);
    EXPECT_EQ(span.width(), 150);
    EXPECT_EQ(frameForLeftBorder(-20, 199, 12).left, 0);
    EXPECT_EQ(frameForLeftBorder(195, 199, 12).left, 188);
    EXPECT_EQ(frameForLeftBorder(5, 3, 12).left, 0);
    // By the right border: the left side stays, the right stops at the strip's end.
    span = frameForRightBorder(700, 100, 500, 12);
    EXPECT_EQ(span.right, 499);
    EXPECT_EQ(frameForRightBorder(90, 100, 500, 12).right, 111);
    EXPECT_EQ(frameForRightBorder(90, 495, 500, 12).right, 499);
}
