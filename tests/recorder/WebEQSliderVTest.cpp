// The recorder's EQ fader: its value rules, the knob's place, mouse and keys with the events they
// raise in order, the knob pictures of each type and state, the value hint, the side scale, and
// what it does without pictures or without a range.
#include "recorder/WebEQSliderV.h"
#include "controls/SkinImages.h"
#include "controls/SliderModel.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTest>

#include <memory>
#include <string>
#include <vector>

using namespace recorder;
using controls::thumbOffset;
using controls::valueAtOffset;

namespace {

class WebEQSliderVTest : public ::testing::Test {
protected:
    void SetUp() override { make(); }

    void make()
    {
        m_host = std::make_unique<QWidget>();
        m_host->resize(120, 200);
        m_slider = new TWebEQSliderV(m_host.get());
        m_slider->move(10, 10);
        QObject::connect(m_slider, &TWebEQSliderV::OnChange, [this] { m_events.push_back("change"); });
        QObject::connect(m_slider, &TWebEQSliderV::OnScroll, [this](int code, int position) {
            m_events.push_back("scroll " + std::to_string(code) + " " + std::to_string(position));
        });
        QObject::connect(m_slider, &TWebEQSliderV::OnMouseReleased, [this] { m_events.push_back("released"); });
        m_host->show();
        QApplication::setActiveWindow(m_host.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_host.get()));
        // The window gave it the focus; the tests give it themselves where they need it.
        m_slider->clearFocus();
    }

    QPoint at(int y) const { return QPoint(m_slider->width() / 2, y); }
    int knob() const { return m_slider->knobSize().height(); }

    std::unique_ptr<QWidget> m_host;
    TWebEQSliderV* m_slider = nullptr;
    std::vector<std::string> m_events;
};

} // namespace

TEST(WebEQSliderVModelTest, HintValue)
{
    struct Case {
        int position, min, max, hintMin, hintMax, expected;
    };
    const Case cases[] = {
        {50, 0, 99, 0, 100, 51},   // round(50 / 99 x 100) = round(50.5)
        {0, -24, 24, -24, 24, 0},  // the trims: the middle of the range is the middle of the hint
        {-24, -24, 24, 12, -12, 12},
        {24, -24, 24, 12, -12, -12},
        {1, 0, 4, 0, 2, 0},        // round(0.5) = 0 (to even)
        {3, 0, 4, 0, 2, 2},        // round(1.5) = 2
        {5, 5, 5, 7, 90, 7},       // no range: HintMin
    };
    for (const Case& c : cases)
        EXPECT_EQ(webEqHintValue(c.position, c.min, c.max, c.hintMin, c.hintMax), c.expected) << c.position;
}

TEST(WebEQSliderVModelTest, SideScaleTicks)
{
    // 150 high: a tick every 7 pixels, long (30 / 6 = 5) at the top, nearest the middle and at the
    // bottom, half as long elsewhere.
    const std::vector<ScaleTick> ticks = webEqScaleTicks(30, 150);
    ASSERT_EQ(ticks.size(), 22u);
    for (const ScaleTick& tick : ticks) {
        const bool isLong = tick.y == 0 || tick.y == 77 || tick.y == 147;
        EXPECT_EQ(tick.length, isLong ? 5 : 2) << tick.y;
        EXPECT_EQ(tick.y % 7, 0);
    }
    // Under 20 pixels the step is 4.
    EXPECT_EQ(webEqScaleTicks(12, 10), (std::vector<ScaleTick>{{0, 2}, {4, 2}, {8, 2}}));
    EXPECT_TRUE(webEqScaleTicks(0, 150).empty());
    EXPECT_TRUE(webEqScaleTicks(30, 0).empty());
}

TEST_F(WebEQSliderVTest, ValueRulesAndKnobPlace)
{
    EXPECT_EQ(m_slider->height(), 150);
    ASSERT_TRUE(m_slider->picturesLoaded());
    testsupport::LogCapture log;
    m_slider->setPosition(200);
    EXPECT_EQ(m_slider->Position(), 99);
    EXPECT_TRUE(log.contains("slider position 200 lies outside", "va.controls"));
    m_slider->setPosition(-5);
    EXPECT_EQ(m_slider->Position(), 0);
    m_slider->setRange(-24, 24);
    m_slider->setPosition(0);
    EXPECT_EQ(m_slider->knobTop(), thumbOffset(0, -24, 24, 150, knob()));
    // The knob is drawn there, centred.
    const QImage picture = controls::skinImage(QStringLiteral("THUMB"));
    const QImage drawn = m_slider->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(m_slider->width() / 2, m_slider->knobTop() + picture.height() / 2),
              picture.pixelColor(picture.width() / 2, picture.height() / 2));
    EXPECT_TRUE(m_events.empty()) << "setting the position from code raises nothing";

    // Types outside 0..2 are clamped and reach the log.
    m_slider->setImageType(7);
    EXPECT_EQ(m_slider->ImageType(), 2);
    EXPECT_TRUE(log.contains("ImageType 7 is not 0, 1 or 2", "va.controls"));
    m_slider->setScaleType(-1);
    EXPECT_EQ(m_slider->ScaleType(), 0);
    EXPECT_TRUE(log.contains("ScaleType -1 is not 0, 1 or 2", "va.controls"));

    // A form storing Min before Max.
    make();
    m_slider->setMin(10);
    m_slider->setMax(5);
    EXPECT_EQ(m_slider->Min(), 5);
    EXPECT_EQ(m_slider->Max(), 5);
}

TEST_F(WebEQSliderVTest, KeysRaiseChangeAndScrollEachTime)
{
    m_slider->setPageSize(10);
    QTest::keyClick(m_slider, Qt::Key_End);
    EXPECT_EQ(m_slider->Position(), 99);
    QTest::keyClick(m_slider, Qt::Key_PageUp);
    EXPECT_EQ(m_slider->Position(), 89);
    QTest::keyClick(m_slider, Qt::Key_Up);
    EXPECT_EQ(m_slider->Position(), 88);
    QTest::keyClick(m_slider, Qt::Key_Right);
    EXPECT_EQ(m_slider->Position(), 89);
    QTest::keyClick(m_slider, Qt::Key_Home);
    QTest::keyClick(m_slider, Qt::Key_Home); // no change, still reported
    EXPECT_EQ(m_slider->Position(), 0);
    EXPECT_EQ(m_events, (std::vector<std::string>{"change", "scroll 4 99", "change", "scroll 4 89", "change", "scroll 4 88",
                                                  "change", "scroll 4 89", "change", "scroll 4 0", "change", "scroll 4 0"}));
}

TEST_F(WebEQSliderVTest, DraggingTheKnob)
{
    const int top = m_slider->knobTop();
    QTest::mousePress(m_slider, Qt::LeftButton, {}, at(top + 4));
    EXPECT_TRUE(m_slider->hasFocus());
    std::vector<std::string> expected{"change", "scroll 4 50"};
    for (const int y : {top + 30, top - 20, 500, -100}) {
        QTest::mouseMove(m_slider, at(y));
        const int value = std::clamp(valueAtOffset(y - 4, 0, 99, 150, knob()), 0, 99);
        EXPECT_EQ(m_slider->Position(), value);
        expected.push_back("scroll 4 " + std::to_string(value));
    }
    QTest::mouseRelease(m_slider, Qt::LeftButton, {}, at(-100));
    expected.insert(expected.end(), {"change", "released"});
    EXPECT_EQ(m_events, expected);
}

TEST_F(WebEQSliderVTest, PressBesideTheKnobStepsUntilItCoversThePress)
{
    const int below = m_slider->knobTop() + knob() + 25;
    QTest::mouseClick(m_slider, Qt::LeftButton, {}, at(below));
    const int stepped = m_slider->Position();
    EXPECT_GT(stepped, 50);
    EXPECT_GE(m_slider->knobTop() + knob(), below);
    EXPECT_LT(thumbOffset(stepped - 1, 0, 99, 150, knob()) + knob(), below);
    // At the last row the knob stops as soon as it covers the press; at the first row it is at Min.
    QTest::mouseClick(m_slider, Qt::LeftButton, {}, at(149));
    EXPECT_GE(m_slider->knobTop() + knob(), 149);
    EXPECT_LE(m_slider->Position(), 99);
    QTest::mouseClick(m_slider, Qt::LeftButton, {}, at(0));
    EXPECT_EQ(m_slider->Position(), 0);
    EXPECT_EQ(m_events[0], "change");
    EXPECT_EQ(m_events[1], "scroll 4 " + std::to_string(stepped));
    EXPECT_EQ(m_events[2], "change");
    EXPECT_EQ(m_events[3], "released");
}

TEST_F(WebEQSliderVTest, KnobOfEachTypeAndState)
{
    const auto centre = [this] {
        return m_slider->grab().toImage().pixelColor(m_slider->width() / 2, m_slider->knobTop() + knob() / 2);
    };
    const auto pictureCentre = [](const char* name) {
        const QImage picture = controls::skinImage(QString::fromLatin1(name));
        return picture.pixelColor(picture.width() / 2, picture.height() / 2);
    };
    m_slider->setImageType(9);
    EXPECT_EQ(m_slider->ImageType(), 2);
    EXPECT_EQ(m_slider->knobSize(), controls::skinImage(QStringLiteral("THUMB2")).size());
    EXPECT_EQ(centre(), pictureCentre("THUMB2"));
    m_slider->setFocus();
    EXPECT_EQ(centre(), pictureCentre("THUMB2H"));
    m_slider->setEnabled(false);
    EXPECT_EQ(centre(), pictureCentre("THUMB2DIS"));
    m_slider->setEnabled(true);
    m_slider->setImageType(1);
    m_slider->clearFocus();
    EXPECT_EQ(centre(), pictureCentre("THUMBBLUE"));
    m_slider->setScaleType(-3);
    EXPECT_EQ(m_slider->ScaleType(), 0);
    m_slider->setScaleType(7);
    EXPECT_EQ(m_slider->ScaleType(), 2);
}

TEST_F(WebEQSliderVTest, HintShowsTheValueAwayFromTheKnob)
{
    m_slider->setRange(-24, 24);
    m_slider->setHintMin(-24);
    m_slider->setHintMax(24);
    m_slider->setShowPosHints(true);
    const QColor tip = QColor::fromRgb(m_slider->palette().color(QPalette::ToolTipBase).rgb());
    m_slider->setPosition(-20);
    EXPECT_NE(m_slider->grab().toImage().pixelColor(3, 146), tip) << "only with the focus";
    m_slider->setFocus();
    QImage drawn = m_slider->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(3, 146), tip);
    EXPECT_NE(drawn.pixelColor(3, 3), tip);
    m_slider->setPosition(20);
    drawn = m_slider->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(3, 3), tip);
    EXPECT_NE(drawn.pixelColor(3, 146), tip);
}

TEST_F(WebEQSliderVTest, WithoutARangeTheKnobStaysAtTheTop)
{
    m_slider->setRange(7, 7);
    EXPECT_EQ(m_slider->knobTop(), 0);
    QTest::mousePress(m_slider, Qt::LeftButton, {}, at(3));
    QTest::mouseMove(m_slider, at(120));
    QTest::mouseRelease(m_slider, Qt::LeftButton, {}, at(120));
    QTest::mouseClick(m_slider, Qt::LeftButton, {}, at(140));
    QTest::keyClick(m_slider, Qt::Key_PageDown);
    EXPECT_EQ(m_slider->Position(), 7);
    EXPECT_EQ(m_slider->knobTop(), 0);
    // Nor does a control no taller than its knob, or one of size 0, divide by zero.
    m_slider->setRange(0, 99);
    for (const QSize size : {QSize(30, 5), QSize(0, 0)}) {
        m_slider->resize(size);
        QTest::mousePress(m_slider, Qt::LeftButton, {}, at(1));
        QTest::mouseMove(m_slider, at(50));
        QTest::mouseRelease(m_slider, Qt::LeftButton, {}, at(50));
        m_slider->repaint();
        EXPECT_EQ(m_slider->knobTop(), 0);
    }
}

TEST(WebEQSliderVMissingTest, MissingKnobPictureShowsTheMessage)
{
    const QString folder = testsupport::testFolder();
    // Two of the three pictures are not enough.
    for (const char* name : {"THUMB", "THUMBHIGH"})
        controls::skinImage(QString::fromLatin1(name)).save(folder + "/" + name + ".png");
    controls::setSkinFolder(folder);
    TWebEQSliderV slider;
    EXPECT_FALSE(slider.picturesLoaded());
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setStyleStrategy(QFont::NoAntialias);
    slider.setFont(font);
    const QImage drawn = slider.grab().toImage();
    EXPECT_EQ(drawn.pixelColor(1, 1), QColor(Qt::black));
    EXPECT_EQ(drawn.pixelColor(15, 100), QColor(Qt::black));
    int white = 0;
    for (int y = 2; y < 2 + QFontMetrics(font).height(); ++y) {
        for (int x = 2; x < drawn.width(); ++x)
            white += drawn.pixelColor(x, y) == QColor(Qt::white);
    }
    EXPECT_GT(white, 10);
    // It still takes keys and clicks.
    QTest::keyClick(&slider, Qt::Key_End);
    EXPECT_EQ(slider.Position(), 99);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(5, 10));
    controls::setSkinFolder({});
}
