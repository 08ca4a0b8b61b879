// The file tab button as a widget (offscreen): presses released inside and outside for push and
// toggle tabs, Down set by code, the caption shortened to the tab, and the colours and border of
// each drawn state, with the default caption colours readable on any fill.
#include "controls/RectBtnEx.h"
#include "platform/base/Colors.h"
#include "tests/controls/PaintCounter.h"

#include <gtest/gtest.h>

#include <QTest>

#include <vector>

using namespace controls;

namespace {

class RectBtnExTest : public ::testing::Test {
protected:
    RectBtnExTest()
    {
        m_host.resize(200, 100);
        m_tab = new TQzv32RectBtnEx(&m_host);
        m_tab->move(10, 10);
        m_tab->setColor(QColor(40, 40, 40));
        m_tab->setDownColor(QColor(220, 220, 220));
        QObject::connect(m_tab, &TQzv32RectBtnEx::OnClick, [this] { ++m_clicks; });
        m_host.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_host));
    }

    QColor fill() const { return m_tab->grab().toImage().pixelColor(85, 25); }

    QWidget m_host;
    TQzv32RectBtnEx* m_tab;
    int m_clicks = 0;
};

} // namespace

TEST_F(RectBtnExTest, PushTabClicksOnlyWhenReleasedInside)
{
    EXPECT_EQ(m_tab->size(), QSize(90, 30));
    QTest::mousePress(m_tab, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(m_tab->drawnUp());
    EXPECT_EQ(fill(), QColor(220, 220, 220));
    QTest::mouseRelease(m_tab, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(m_tab->drawnUp());
    EXPECT_EQ(fill(), QColor(40, 40, 40));
    EXPECT_EQ(m_clicks, 1);

    // Released outside (also just below the last row): drawn up, no click.
    for (const QPoint outside : {QPoint(150, 60), QPoint(10, 30), QPoint(90, 5), QPoint(-1, 5)}) {
        QTest::mousePress(m_tab, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(m_tab, Qt::LeftButton, {}, outside);
        EXPECT_TRUE(m_tab->drawnUp());
        EXPECT_FALSE(m_tab->Down());
    }
    EXPECT_EQ(m_clicks, 1);
}

TEST_F(RectBtnExTest, ToggleTabReleasedOutsideReturnsToItsFormerState)
{
    m_tab->setToggleButton(true);
    QTest::mousePress(m_tab, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(m_tab->Down());
    QTest::mouseRelease(m_tab, Qt::LeftButton, {}, QPoint(150, 60));
    EXPECT_FALSE(m_tab->Down());
    EXPECT_TRUE(m_tab->drawnUp());
    EXPECT_EQ(m_clicks, 0);

    QTest::mouseClick(m_tab, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(m_tab->Down());
    EXPECT_FALSE(m_tab->drawnUp());
    EXPECT_EQ(m_clicks, 1);
    // Released outside from down: back to down.
    QTest::mousePress(m_tab, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(m_tab, Qt::LeftButton, {}, QPoint(10, 45));
    EXPECT_TRUE(m_tab->Down());
    EXPECT_FALSE(m_tab->drawnUp());
    EXPECT_EQ(m_clicks, 1);

    // Without CanChangeState the mouse does nothing.
    m_tab->setCanChangeState(false);
    QTest::mouseClick(m_tab, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(m_tab->Down());
    EXPECT_EQ(m_clicks, 1);
}

TEST_F(RectBtnExTest, SetDownRepaintsOnlyOnAChange)
{
    PaintCounter paints;
    QCoreApplication::processEvents();
    m_tab->installEventFilter(&paints);
    m_tab->setDown(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.count, 1);
    EXPECT_FALSE(m_tab->drawnUp());
    m_tab->setDown(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.count, 1);
    // A change of the enabled state draws the tab up.
    m_tab->setEnabled(false);
    EXPECT_TRUE(m_tab->drawnUp());
    EXPECT_TRUE(m_tab->Down());
}

TEST_F(RectBtnExTest, CaptionIsShortenedAndColoured)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setStyleStrategy(QFont::NoAntialias);
    m_tab->setFont(font);
    const QString forty = QStringLiteral("A recording of the weekly show, take 12");
    m_tab->setCaption(forty + "!");
    const QString shown = m_tab->shownCaption();
    EXPECT_TRUE(shown.endsWith("...")) << shown.toStdString();
    EXPECT_LT(QFontMetrics(font).horizontalAdvance(shown), 90 - 0 - 2);
    m_tab->setOptimalCaption(false);
    EXPECT_EQ(m_tab->shownCaption(), forty + "!");
    m_tab->setOptimalCaption(true);
    m_tab->setCaption(QStringLiteral("a.wav"));
    EXPECT_EQ(m_tab->shownCaption(), "a.wav");
    m_tab->resize(2, 30);
    EXPECT_EQ(m_tab->shownCaption(), "");
    m_tab->resize(90, 30);

    auto count = [this](const QColor& color) {
        const QImage drawn = m_tab->grab().toImage();
        int n = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x)
                n += drawn.pixelColor(x, y) == color;
        }
        return n;
    };
    EXPECT_GT(count(Qt::white), 10);
    EXPECT_EQ(count(Qt::blue), 0);
    m_tab->setDown(true);
    EXPECT_GT(count(Qt::blue), 10);
    EXPECT_EQ(count(Qt::white), 0);
}

TEST_F(RectBtnExTest, BorderOfEachState)
{
    m_tab->setDrawBorder(true);
    QImage drawn = m_tab->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(0, 10), QColor(Qt::white));
    EXPECT_EQ(drawn.pixelColor(10, 0), QColor(Qt::white));
    EXPECT_EQ(drawn.pixelColor(89, 10), QColor(Qt::black));
    EXPECT_EQ(drawn.pixelColor(10, 29), QColor(Qt::black));
    EXPECT_EQ(drawn.pixelColor(88, 10), QColor(128, 128, 128));
    EXPECT_EQ(drawn.pixelColor(10, 28), QColor(128, 128, 128));
    m_tab->setDown(true);
    drawn = m_tab->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(0, 10), QColor(Qt::black));
    EXPECT_EQ(drawn.pixelColor(89, 10), QColor(Qt::white));
    EXPECT_EQ(drawn.pixel(88, 10), m_tab->palette().color(QPalette::Button).rgb());

    // The picture of the state, centred vertically at ImageLeftPos.
    QImage up(10, 10, QImage::Format_RGB32);
    up.fill(Qt::red);
    QImage down = up;
    down.fill(Qt::green);
    m_tab->setUpImage(up);
    m_tab->setDownImage(down);
    m_tab->setImageLeftPos(5);
    EXPECT_EQ(m_tab->grab().toImage().pixelColor(5, 10), QColor(Qt::green));
    m_tab->setDown(false);
    EXPECT_EQ(m_tab->grab().toImage().pixelColor(14, 19), QColor(Qt::red));
}

// With the default colours the caption reads well on the fill, up and down, whatever the palette's
// button colour; a colour the owner sets is drawn as it stands, readable or not.
TEST(RectBtnExDefaults, TheCaptionReadsWellOnTheFillUntilTheOwnerSetsItsColour)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    font.setStyleStrategy(QFont::NoAntialias);
    // The caption's pixels of the drawn tab, and the fill beside them.
    const auto drawn = [](TQzv32RectBtnEx& tab) {
        const QImage image = tab.grab().toImage();
        const QColor fill = image.pixelColor(image.width() - 2, image.height() - 2);
        std::vector<QColor> caption;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y) != fill)
                    caption.push_back(image.pixelColor(x, y));
            }
        }
        return std::pair(fill, caption);
    };
    const QColor buttons[] = {QColor(0xEF, 0xEF, 0xEF), QColor(255, 255, 255), QColor(0x30, 0x30, 0x30),
                              QColor(0x77, 0x77, 0x77), QColor(0, 0, 0x80)};
    for (const QColor& button : buttons) {
        for (const bool down : {false, true}) {
            SCOPED_TRACE(testing::Message() << button.name().toStdString() << (down ? " down" : " up"));
            QWidget host;
            QPalette palette = host.palette();
            palette.setColor(QPalette::Button, button);
            host.setPalette(palette);
            TQzv32RectBtnEx tab(&host);
            tab.setFont(font);
            tab.setCaption(QStringLiteral("Show.wav"));
            tab.setDown(down);
            const auto [fill, caption] = drawn(tab);
            EXPECT_EQ(fill, button);
            ASSERT_GT(caption.size(), 20u);
            for (const QColor& pixel : caption)
                ASSERT_GE(platform::contrastRatio(pixel, fill), platform::kTextContrast) << pixel.name().toStdString();
            EXPECT_EQ(caption.front(), down ? tab.ButtonDownCaptionColor() : tab.ButtonUpCaptionColor());
        }
    }

    // Where they read well the defaults are white up and blue down.
    TQzv32RectBtnEx tab;
    tab.setColor(QColor(0x30, 0x30, 0x30));
    tab.setDownColor(QColor(0xEF, 0xEF, 0xEF));
    EXPECT_EQ(tab.ButtonUpCaptionColor(), QColor(255, 255, 255));
    EXPECT_EQ(tab.ButtonDownCaptionColor(), QColor(0, 0, 255));
    // The defaults follow the fill; the owner's colours do not.
    tab.setColor(QColor(0xEF, 0xEF, 0xEF));
    EXPECT_GE(platform::contrastRatio(tab.ButtonUpCaptionColor(), tab.Color()), platform::kTextContrast);
    tab.setButtonUpCaptionColor(QColor(250, 250, 250));
    tab.setButtonDownCaptionColor(QColor(230, 230, 230));
    tab.setFont(font);
    tab.setCaption(QStringLiteral("Show.wav"));
    EXPECT_EQ(drawn(tab).second.front(), QColor(250, 250, 250));
    tab.setDown(true);
    EXPECT_EQ(drawn(tab).second.front(), QColor(230, 230, 230));
}
