// The skinned controls on a screen at 200% (this program runs with QT_SCALE_FACTOR=2): each one
// grabbed comes out twice its logical size, where it shows a skin picture one to one it shows the
// @2x picture's own pixels, not the plain picture enlarged, and one-pixel edges drawn along a
// control's rim cover its outermost device pixels on every side.
#include "controls/CoolButton.h"
#include "controls/CoolForm.h"
#include "controls/CoolSliderH.h"
#include "controls/CoolSliderV.h"
#include "controls/EQMeter.h"
#include "controls/RectBtnEx.h"
#include "controls/SkinImages.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QTest>

#include <functional>
#include <memory>

using namespace controls;

namespace {

constexpr int kRatio = 2;

// A control, a logical area of it, and the device pixels that area must show: `picture` (at the
// ratio) tiled from `from` (in the picture's pixels) over a fill of `backdrop`.
struct ScalingCase {
    const char* name;
    std::function<std::unique_ptr<QWidget>()> make;
    QRect area;
    std::function<QImage()> picture;
    QPoint from;
    QColor backdrop;
};

std::unique_ptr<QWidget> button()
{
    auto made = std::make_unique<TCoolButton>(ControlVariant::Recorder);
    made->setNewStyleButton(true);
    made->resize(80, 25);
    return made;
}

std::unique_ptr<QWidget> horizontalSlider()
{
    auto made = std::make_unique<TCoolSliderH>(ControlVariant::Recorder);
    made->resize(150, made->sizeHint().height());
    // The thumb at one end, clear of the areas checked.
    made->setRange(0, 100);
    made->setPosition(0);
    return made;
}

std::unique_ptr<QWidget> verticalSlider()
{
    auto made = std::make_unique<TCoolSliderV>(ControlVariant::Editor);
    made->resize(made->sizeHint().width(), 150);
    // The thumb at one end, clear of the areas checked.
    made->setRange(0, 100);
    made->setPosition(0);
    return made;
}

std::unique_ptr<QWidget> meter()
{
    auto made = std::make_unique<TEQMeter>();
    made->resize(12, 82);
    made->setMax(100);
    made->setBarCount(1);
    made->setBarWidth(12);
    made->setBarValue(0, 100);
    return made;
}

std::unique_ptr<QWidget> form()
{
    auto made = std::make_unique<TCoolForm>();
    made->resize(120, 80);
    return made;
}

QImage picture(const char* name)
{
    return skinImage(QString::fromLatin1(name), kRatio);
}

// The meter's lit bar: the @2x "FG" stretched to the bar (12 - 2 wide, 82 - 1 high) in device pixels.
QImage meterBar()
{
    return picture("FG").scaled(QSize(12, 81) * kRatio);
}

QColor buttonFace()
{
    return TCoolButton(ControlVariant::Recorder).palette().color(QPalette::Button);
}

// The device pixels `area` should show.
QImage expected(const ScalingCase& c)
{
    QImage art = c.picture();
    art.setDevicePixelRatio(1);
    QImage image(c.area.size() * kRatio, QImage::Format_ARGB32_Premultiplied);
    image.fill(c.backdrop);
    QPainter painter(&image);
    const QSize tile = art.size() - QSize(c.from.x(), c.from.y());
    for (int y = 0; y < image.height(); y += tile.height()) {
        for (int x = 0; x < image.width(); x += tile.width())
            painter.drawImage(QPoint(x, y), art, QRect(c.from, tile));
    }
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The first device pixel where two pictures differ, for the failure message.
QString firstDifference(const QImage& shown, const QImage& want)
{
    for (int y = 0; y < want.height(); ++y) {
        for (int x = 0; x < want.width(); ++x) {
            if (shown.pixel(x, y) != want.pixel(x, y))
                return QStringLiteral("(%1, %2): %3 instead of %4")
                    .arg(x)
                    .arg(y)
                    .arg(shown.pixel(x, y), 8, 16, QLatin1Char('0'))
                    .arg(want.pixel(x, y), 8, 16, QLatin1Char('0'));
        }
    }
    return {};
}

} // namespace

TEST(SkinScalingTest, ScreenIsAt200Percent)
{
    EXPECT_EQ(qApp->devicePixelRatio(), 2.0) << "the test program runs with QT_SCALE_FACTOR=2";
}

TEST(SkinScalingTest, ControlsShowTheLargePicturesPixelForPixel)
{
    // Every area lies where the control draws its picture one to one: the button's left end above
    // its stretched middle rows, the slider channels' middles (tiles from the control's edge), the
    // lit bar of a full meter, the form's top-left corner and a tile of its top side.
    const ScalingCase cases[] = {
        {"button, left end", button, QRect(0, 0, 8, 11), [] { return picture("Btnleft"); }, QPoint(0, 0), buttonFace()},
        {"button, right end", button, QRect(72, 0, 8, 11), [] { return picture("Btnright"); }, QPoint(0, 0),
         buttonFace()},
        {"horizontal slider, channel", horizontalSlider, QRect(40, 7, 40, 6), [] { return picture("channelhorz"); },
         QPoint(0, 0), Qt::transparent},
        {"vertical slider, channel", verticalSlider, QRect(7, 40, 6, 40), [] { return picture("channelvert"); },
         QPoint(0, 0), Qt::transparent},
        {"meter, lit bar", meter, QRect(1, 1, 10, 80), meterBar, QPoint(0, 2), Qt::transparent},
        {"form, top-left corner", form, QRect(0, 0, 6, 6), [] { return picture("topleft"); }, QPoint(0, 0),
         Qt::transparent},
        {"form, top side", form, QRect(32, 0, 32, 6), [] { return picture("top"); }, QPoint(0, 0), Qt::transparent},
    };
    for (const ScalingCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<QWidget> widget = c.make();
        widget->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(widget.get()));
        const QImage shown = widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(shown.size(), widget->size() * kRatio);
        EXPECT_EQ(shown.devicePixelRatio(), kRatio);
        const QImage part = shown.copy(QRect(c.area.topLeft() * kRatio, c.area.size() * kRatio));
        const QImage want = expected(c);
        EXPECT_TRUE(part == want) << firstDifference(part, want).toStdString();
    }
}

// The controls keep their logical sizes, so layouts do not move at 200%.
TEST(SkinScalingTest, LogicalSizesAreThoseOfThePlainPictures)
{
    EXPECT_EQ(TCoolSliderH(ControlVariant::Recorder).sizeHint().height(), skinImage(QStringLiteral("thumbhorz")).height());
    EXPECT_EQ(TCoolSliderV(ControlVariant::Editor).sizeHint().width(), skinImage(QStringLiteral("thumbvert")).width());
    TCoolForm shownForm;
    shownForm.resize(120, 80);
    shownForm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shownForm));
    EXPECT_EQ(shownForm.background().size(), QSize(240, 160));
    EXPECT_EQ(logicalSize(shownForm.background()), QSize(120, 80));
}

namespace {

// A control whose rim carries an edge of one logical pixel, and the colour of each side's edge
// (top, left, bottom, right); `focused` when the edge is the focus rectangle.
struct EdgeCase {
    const char* name;
    std::function<std::unique_ptr<QWidget>()> make;
    bool focused;
    QColor sides[4];
};

std::unique_ptr<QWidget> focusedSlider()
{
    auto made = verticalSlider();
    made->show();
    made->activateWindow();
    made->setFocus();
    return made;
}

std::unique_ptr<QWidget> borderedButton()
{
    auto made = std::make_unique<TQzv32RectBtnEx>();
    made->resize(60, 24);
    made->setDrawBorder(true);
    made->setColor(QColor(0x80, 0xA0, 0xC0));
    made->show();
    return made;
}

// The share of a device line's pixels that have the colour.
double share(const QImage& image, bool row, int index, const QColor& colour)
{
    const int count = row ? image.width() : image.height();
    int matching = 0;
    for (int i = 0; i < count; ++i) {
        if (image.pixelColor(row ? i : index, row ? index : i).rgb() == colour.rgb())
            ++matching;
    }
    return double(matching) / count;
}

} // namespace

TEST(SkinScalingTest, RimEdgesCoverTheOutermostDevicePixels)
{
    const QColor focus(0x3B, 0x4A, 0x5C);
    const EdgeCase cases[] = {
        {"focus rectangle of a slider", focusedSlider, true, {focus, focus, focus, focus}},
        {"border of a rectangle button", borderedButton, false, {Qt::white, Qt::white, Qt::black, Qt::black}},
    };
    for (const EdgeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<QWidget> widget = c.make();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(widget.get()));
        ASSERT_EQ(widget->hasFocus(), c.focused);
        const QImage shown = widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(shown.size(), widget->size() * kRatio);
        // The two outermost device lines of each side both carry the edge (a dotted one about half).
        const int last[] = {0, 0, shown.height() - 1, shown.width() - 1};
        const int step[] = {1, 1, -1, -1};
        for (int side = 0; side < 4; ++side) {
            const bool row = side % 2 == 0;
            for (int depth = 0; depth < kRatio; ++depth)
                EXPECT_GT(share(shown, row, last[side] + depth * step[side], c.sides[side]), 0.3)
                    << "side " << side << ", device line " << depth;
        }
    }
}
