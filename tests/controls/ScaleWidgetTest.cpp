// The time ruler as a widget (offscreen): it paints the layout it computes with its own font, and
// its setters repaint only on a change.
#include "controls/Scale.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QImage>

using namespace controls;

namespace {

int inkColumns(const QImage& image, int top, int bottom, const QColor& ink)
{
    int count = 0;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = top; y <= bottom; ++y) {
            if (image.pixelColor(x, y) == ink) {
                ++count;
                break;
            }
        }
    }
    return count;
}

} // namespace

TEST(ScaleWidgetTest, PaintsItsTicksAndLabelsInItsFont)
{
    TQzv32Scale scale;
    EXPECT_EQ(scale.size(), QSize(500, 20));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(10);
    font.setStyleStrategy(QFont::NoAntialias); // text pixels in the pen's colour only
    scale.setFont(font);
    scale.setColor(QColor(0, 0, 255));
    QPalette palette = scale.palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    scale.setPalette(palette);
    scale.setAutoFillBackground(true);

    // Without data: the base line, one tick at 0 and the zero label.
    QImage picture = scale.grab().toImage();
    EXPECT_EQ(picture.pixelColor(250, 2), QColor(0, 0, 255));
    EXPECT_EQ(picture.pixelColor(0, 9), QColor(0, 0, 255));
    EXPECT_EQ(picture.pixelColor(250, 9), Qt::white);
    EXPECT_GT(inkColumns(picture, 4, 19, QColor(255, 0, 0)), 10) << "the text 00:00:000";

    scale.setIsDataAvailable(true);
    scale.setZoomLevel(441);
    scale.setLeftSamplePos(441000);
    const ScaleLayout layout = scale.currentLayout();
    ASSERT_EQ(layout.step, 1000);
    ASSERT_FALSE(layout.labels.empty());
    EXPECT_EQ(layout.labels.front().text, "00:10:000");
    picture = scale.grab().toImage();
    for (const ScaleTick& tick : layout.ticks) {
        if (tick.x >= 0 && tick.x < 500) {
            EXPECT_EQ(picture.pixelColor(tick.x, tick.bottom - 1), QColor(0, 0, 255)) << tick.x;
        }
    }
    // Labels that fit are drawn; the last one that would pass the right edge is not.
    const QFontMetrics metrics(font);
    for (const ScaleLabel& label : layout.labels) {
        EXPECT_LE(label.x - kScaleLabelIndent + metrics.horizontalAdvance(label.text), 500);
    }

    scale.setFormat(TFormat::Samples);
    EXPECT_EQ(scale.currentLayout().labels.front().text, "441000");
    WaveFormatEx fast = makePcmFormat(88200, 16, 1);
    scale.setFormat(TFormat::Time);
    scale.SetWaveFormat(fast);
    EXPECT_EQ(scale.currentLayout().labels.front().text, "00:05:000") << "the same frames at twice the rate";
}
