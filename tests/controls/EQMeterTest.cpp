// The level meter as a widget (offscreen): how many rows a value lights, the peak-hold line, the
// background picture or colour, decay, and bad input (a bar count below 1, indexes outside the
// bars, missing pictures, a size of 0).
#include "controls/EQMeter.h"
#include "controls/SkinImages.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTest>

using namespace controls;

namespace {

const QColor kFill(255, 0, 255);
const QColor kPeak(255, 255, 0);

// A meter as the windows set it up: one bar as wide as the meter, 0 to 100.
void setUp(TEQMeter& meter, QSize size)
{
    meter.resize(size);
    meter.setMax(100);
    meter.setBarCount(1);
    meter.setBarWidth(size.width());
    meter.setBgColor(kFill);
}

// Rows of a column that show neither the fill nor the black frame.
int litRows(const QImage& image, int x)
{
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QColor c = image.pixelColor(x, y);
        if (c != kFill && c != QColor(Qt::black) && c != kPeak)
            ++rows;
    }
    return rows;
}

} // namespace

TEST(EQMeterTest, ValueLightsRowsFromTheBottom)
{
    TEQMeter meter;
    setUp(meter, QSize(12, 82));
    meter.setBarValue(0, 100);
    QImage drawn = meter.grab().toImage();
    ASSERT_EQ(drawn.size(), QSize(12, 82));
    // Height 82 and 0..100: 0.8 rows a unit, so 100 lights 80 rows: all of the inside.
    EXPECT_EQ(litRows(drawn, 5), 80);
    EXPECT_EQ(drawn.pixelColor(5, 0), QColor(Qt::black));
    EXPECT_EQ(drawn.pixelColor(5, 81), QColor(Qt::black));

    meter.setBarValue(0, 50);
    drawn = meter.grab().toImage();
    EXPECT_EQ(litRows(drawn, 5), 40);
    // The lit rows are the lowest ones (41 to 80), and show the lower part of the FG picture.
    EXPECT_EQ(drawn.pixelColor(5, 40), kFill);
    EXPECT_NE(drawn.pixelColor(5, 41), kFill);
    const QImage bar = skinImage(QStringLiteral("FG")).scaled(12, 81);
    EXPECT_EQ(drawn.pixelColor(5, 80), bar.pixelColor(4, 80));

    // The lit bar is two pixels narrower than its slot: a slot of 6 lights columns 1 to 4.
    meter.setBarWidth(6);
    drawn = meter.grab().toImage();
    EXPECT_NE(drawn.pixelColor(4, 60), kFill);
    EXPECT_EQ(drawn.pixelColor(5, 60), kFill);
}

TEST(EQMeterTest, PeakHoldLineAndDecay)
{
    TEQMeter meter;
    setUp(meter, QSize(12, 82));
    meter.setBarValue(0, 100);
    meter.Decay(); // value 95, mark 95
    meter.setBarValue(0, 20);
    meter.Decay(); // value 15, mark 94
    EXPECT_EQ(meter.barValue(0), 15);
    EXPECT_EQ(meter.peakMark(0), 94);
    const int markRow = 82 - int(94 * 0.8) - 1;
    EXPECT_NE(meter.grab().toImage().pixelColor(5, markRow), kPeak) << "only with ShowHistory";
    meter.setShowHistory(true);
    const QImage drawn = meter.grab().toImage();
    EXPECT_EQ(drawn.pixelColor(5, markRow), kPeak);
    EXPECT_EQ(drawn.pixelColor(5, markRow + 1), kFill);
}

TEST(EQMeterTest, BackgroundPictureOrColour)
{
    TEQMeter meter;
    setUp(meter, QSize(12, 82));
    EXPECT_EQ(meter.grab().toImage().pixelColor(5, 20), kFill);
    meter.setShowBackground(true);
    // The BG picture stretched over the inside: the pixel is one of the picture's near that place.
    const QImage background = skinImage(QStringLiteral("BG"));
    const QColor shown = meter.grab().toImage().pixelColor(5, 20);
    const int x = 4 * background.width() / 10;
    const int y = 19 * background.height() / 80;
    bool found = false;
    for (int dy = -3; dy <= 3 && !found; ++dy) {
        for (int dx = -1; dx <= 1 && !found; ++dx)
            found = background.pixelColor(x + dx, y + dy) == shown;
    }
    EXPECT_TRUE(found) << shown.name().toStdString();
}

TEST(EQMeterTest, BadBarCountsAndIndexes)
{
    TEQMeter meter;
    setUp(meter, QSize(12, 82));
    testsupport::ScriptedInteraction interaction;
    meter.setInteraction(&interaction);
    interaction.expectMessageBox(1, QStringLiteral("Invalid property"));
    testsupport::LogCapture log;
    meter.setBarCount(0);
    EXPECT_EQ(meter.BarCount(), 1);
    ASSERT_EQ(interaction.prompts().size(), 1u);
    EXPECT_EQ(interaction.prompts()[0].flags, platform::MB_OK | platform::MB_ICONINFORMATION);
    EXPECT_TRUE(log.contains("bar count 0", "va.controls"));

    for (const int index : {-1, 1, 1000}) {
        meter.setBarValue(index, 50);
        EXPECT_EQ(meter.barValue(index), -1);
    }
    EXPECT_TRUE(log.contains("no bar -1", "va.controls"));
    EXPECT_EQ(meter.barValue(0), 0);

    // Without an interaction the refusal is only logged.
    TEQMeter quiet;
    quiet.setBarCount(-2);
    EXPECT_EQ(quiet.BarCount(), 0);
    EXPECT_TRUE(log.contains("bar count -2", "va.controls"));
}

TEST(EQMeterTest, NarrowEmptyAndPictureLessMetersPaint)
{
    // Equal ends, a bar too narrow to light, sizes of 0: drawn without a lit part. Levels fed
    // to a meter without a range reach the log once.
    TEQMeter meter;
    setUp(meter, QSize(12, 82));
    meter.setMax(0);
    testsupport::LogCapture log;
    meter.setBarValue(0, 50);
    meter.setBarValue(0, 60);
    EXPECT_EQ(litRows(meter.grab().toImage(), 5), 0);
    int reports = 0;
    for (const auto& entry : log.entries())
        reports += entry.category == "va.controls" && entry.message.contains("holds no levels");
    EXPECT_EQ(reports, 1);
    meter.setMax(100);
    meter.setBarWidth(2);
    meter.setBarValue(0, 90);
    EXPECT_EQ(litRows(meter.grab().toImage(), 1), 0);
    meter.resize(0, 0);
    meter.repaint();
    meter.resize(5, 1);
    meter.setBarValue(0, 100);
    meter.grab();

    // Without its pictures the meter still shows its frame and fill.
    setSkinFolder(testsupport::testFolder());
    TEQMeter bare;
    setUp(bare, QSize(12, 82));
    bare.setShowBackground(true);
    bare.setBarValue(0, 100);
    const QImage drawn = bare.grab().toImage();
    EXPECT_EQ(drawn.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(drawn.pixelColor(5, 40), kFill);
    setSkinFolder({});
}
