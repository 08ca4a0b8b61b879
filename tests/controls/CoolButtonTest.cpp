// The skinned button and form as widgets (offscreen): clicks, toggles and the order of their
// events, the mouse-over flag, keyboard activation in the editor's version only, disabled drawing,
// transparency, missing pictures, and the form's background after a resize.
#include "controls/CoolButton.h"
#include "controls/CoolForm.h"
#include "controls/SkinImages.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>

#include <vector>

using namespace controls;

namespace {

const QColor kHostColor(255, 0, 255);
const QColor kFocusColor(0x3B, 0x4A, 0x5C);

// A shown, active window around one button, and the button's events in order.
class CoolButtonTest : public ::testing::Test {
protected:
    void make(ControlVariant variant)
    {
        m_host.resize(200, 100);
        QPalette palette = m_host.palette();
        palette.setColor(QPalette::Window, kHostColor);
        m_host.setPalette(palette);
        m_host.setAutoFillBackground(true);
        m_button = new TCoolButton(variant, &m_host);
        m_button->move(20, 20);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        font.setStyleStrategy(QFont::NoAntialias); // text pixels in the pen's colour only
        m_button->setFont(font);
        QObject::connect(m_button, &TCoolButton::OnChange, [this] { m_events.push_back("change"); });
        QObject::connect(m_button, &TCoolButton::OnClick, [this] { m_events.push_back("click"); });
        m_host.show();
        QApplication::setActiveWindow(&m_host);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_host));
    }

    void click(QPoint at = QPoint(25, 12)) { QTest::mouseClick(m_button, Qt::LeftButton, {}, at); }

    QImage picture() const { return m_button->grab().toImage(); }

    QWidget m_host;
    TCoolButton* m_button = nullptr;
    std::vector<std::string> m_events;
};

bool hasPixel(const QImage& image, const QColor& color, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) == color)
                return true;
        }
    }
    return false;
}

} // namespace

TEST_F(CoolButtonTest, ToggleClickedTwiceReturnsUp)
{
    make(ControlVariant::Editor);
    EXPECT_EQ(m_button->size(), QSize(50, 25));
    m_button->setIsToggleButton(true);
    click();
    EXPECT_TRUE(m_button->Down());
    click();
    EXPECT_FALSE(m_button->Down());
    EXPECT_EQ(m_events, (std::vector<std::string>{"change", "click", "change", "click"}));
    EXPECT_TRUE(m_button->hasFocus());
}

TEST_F(CoolButtonTest, PushButtonIsDownWhileHeldAndClicksOnRelease)
{
    make(ControlVariant::Recorder);
    QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(25, 12));
    EXPECT_TRUE(m_button->Down());
    EXPECT_EQ(m_events, (std::vector<std::string>{"change"}));
    // The press was captured, so its release raises OnClick wherever the pointer is.
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(150, 70));
    EXPECT_FALSE(m_button->Down());
    EXPECT_EQ(m_events, (std::vector<std::string>{"change", "click"}));
    // Another button than the left does nothing.
    QTest::mouseClick(m_button, Qt::RightButton, {}, QPoint(25, 12));
    EXPECT_EQ(m_events.size(), 2u);
}

TEST_F(CoolButtonTest, MouseOverFollowsEnterAndLeaveOfAnEnabledButtonWithNoGrab)
{
    make(ControlVariant::Editor);
    const auto enter = [this] {
        const QPointF at(5, 5);
        QEnterEvent event(at, at, m_button->mapToGlobal(at));
        QCoreApplication::sendEvent(m_button, &event);
    };
    const auto leave = [this] {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(m_button, &event);
    };
    enter();
    EXPECT_TRUE(m_button->isMouseOver());
    leave();
    EXPECT_FALSE(m_button->isMouseOver());

    m_button->setEnabled(false);
    enter();
    EXPECT_FALSE(m_button->isMouseOver());
    m_button->setEnabled(true);

    // While another widget holds the mouse, passing over the button does not count.
    m_host.grabMouse();
    enter();
    EXPECT_FALSE(m_button->isMouseOver());
    m_host.releaseMouse();
    enter();
    EXPECT_TRUE(m_button->isMouseOver());
}

TEST_F(CoolButtonTest, DrawsTheSliceSetOfItsState)
{
    make(ControlVariant::Editor);
    m_button->setCaption(QStringLiteral("Off"));
    // Row 3 lies in the slices' unstretched top band, column 25 in the centre slice.
    const auto centreAt = [](const char* slice) { return skinImage(QString::fromLatin1(slice)).pixelColor(0, 3); };
    EXPECT_EQ(picture().pixelColor(25, 3), centreAt("Btncenter"));
    m_button->setDown(true);
    EXPECT_EQ(picture().pixelColor(25, 3), centreAt("BtncenterDown"));
    m_button->setDown(false);

    // Disabled: the disabled slices, grey text (the shade of black at 50 percent), and no input.
    EXPECT_FALSE(hasPixel(picture(), QColor(128, 128, 128), m_button->rect()));
    m_button->setEnabled(false);
    const QImage disabled = picture();
    EXPECT_EQ(disabled.pixelColor(25, 3), centreAt("BtncenterDisabled"));
    EXPECT_TRUE(hasPixel(disabled, QColor(128, 128, 128), m_button->rect()));
    click();
    QTest::keyClick(m_button, Qt::Key_Space);
    EXPECT_TRUE(m_events.empty());
    EXPECT_FALSE(m_button->Down());
}

TEST_F(CoolButtonTest, GlyphIsCentredAndGreyedWhenDisabled)
{
    make(ControlVariant::Editor);
    QImage glyph(6, 6, QImage::Format_RGB32);
    glyph.fill(QColor(255, 0, 0));
    glyph.setPixelColor(0, 5, QColor(0, 255, 0)); // the bottom-left colour is the transparent one
    m_button->setGlyph(glyph);
    // Centred, one pixel lower: (50 - 6) / 2 = 22, (25 - 6) / 2 + 1 = 10.
    EXPECT_EQ(picture().pixelColor(24, 12), QColor(255, 0, 0));
    EXPECT_NE(picture().pixelColor(22, 15), QColor(0, 255, 0));
    m_button->setDown(true);
    EXPECT_EQ(picture().pixelColor(22 + 1, 10 + 1), QColor(255, 0, 0));
    m_button->setDown(false);
    m_button->setEnabled(false);
    EXPECT_EQ(picture().pixelColor(24, 12), QColor(170, 170, 170));
}

TEST_F(CoolButtonTest, EditorKeysActivateTheButton)
{
    make(ControlVariant::Editor);
    m_button->setIsToggleButton(true);
    QTest::keyClick(m_button, Qt::Key_Space);
    EXPECT_TRUE(m_button->Down());
    EXPECT_TRUE(m_button->State());
    QTest::keyClick(m_button, Qt::Key_Return);
    EXPECT_FALSE(m_button->Down());
    EXPECT_FALSE(m_button->State());
    EXPECT_EQ(m_events, (std::vector<std::string>{"click", "click"}));

    // A push button clicks without staying down; other keys go on to the window.
    m_button->setIsToggleButton(false);
    m_events.clear();
    QTest::keyClick(m_button, Qt::Key_Enter);
    QTest::keyClick(m_button, Qt::Key_A);
    EXPECT_FALSE(m_button->Down());
    EXPECT_EQ(m_events, (std::vector<std::string>{"click"}));

    // The caption's accelerator with Alt acts as Enter.
    m_events.clear();
    m_button->setCaption(QStringLiteral("&Record"));
    QTest::keyClick(&m_host, Qt::Key_R, Qt::AltModifier);
    EXPECT_EQ(m_events, (std::vector<std::string>{"click"}));
    m_button->hide();
    QTest::keyClick(&m_host, Qt::Key_R, Qt::AltModifier);
    EXPECT_EQ(m_events.size(), 1u) << "a hidden button takes no accelerator";
}

TEST_F(CoolButtonTest, RecorderButtonHasNoKeysAndNoFocusRectangle)
{
    make(ControlVariant::Recorder);
    m_button->setIsToggleButton(true);
    m_button->setCaption(QStringLiteral("&Stop"));
    m_button->setFocus();
    QTest::keyClick(m_button, Qt::Key_Space);
    QTest::keyClick(m_button, Qt::Key_Return);
    QTest::keyClick(&m_host, Qt::Key_S, Qt::AltModifier);
    EXPECT_FALSE(m_button->Down());
    EXPECT_TRUE(m_events.empty());
    EXPECT_FALSE(hasPixel(picture(), kFocusColor, QRect(2, 2, 46, 21)));

    TCoolButton editor(ControlVariant::Editor, &m_host);
    editor.show();
    editor.setFocus();
    ASSERT_TRUE(editor.hasFocus());
    EXPECT_TRUE(hasPixel(editor.grab().toImage(), kFocusColor, QRect(2, 2, 1, 21)));
}

TEST_F(CoolButtonTest, TransparentButtonShowsItsParentAtTheCorners)
{
    make(ControlVariant::Editor);
    // The slices' rounded corners leave the very corner pixel uncovered.
    ASSERT_EQ(qAlpha(skinImage(QStringLiteral("Btnleft")).pixel(0, 0)), 0);
    const QPoint corner = m_button->mapTo(&m_host, QPoint(0, 0));
    EXPECT_NE(m_host.grab().toImage().pixelColor(corner), kHostColor);
    m_button->setTransparent(true);
    EXPECT_EQ(m_host.grab().toImage().pixelColor(corner), kHostColor);
}

TEST_F(CoolButtonTest, OldStyleButtonDrawsWholePictures)
{
    make(ControlVariant::Editor);
    const auto solid = [](const QColor& color) {
        QImage image(50, 25, QImage::Format_RGB32);
        image.fill(color);
        return image;
    };
    m_button->setNewStyleButton(false);
    m_button->setUpImage(solid(Qt::red));
    m_button->setDownImage(solid(Qt::green));
    m_button->setDisImage(solid(Qt::blue));
    EXPECT_EQ(picture().pixelColor(10, 10), QColor(Qt::red));
    m_button->setDown(true);
    EXPECT_EQ(picture().pixelColor(10, 10), QColor(Qt::green));
    m_button->setEnabled(false);
    EXPECT_EQ(picture().pixelColor(10, 10), QColor(Qt::blue));
}

TEST_F(CoolButtonTest, MissingPicturesLeaveTheButtonUsable)
{
    setSkinFolder(testsupport::testFolder());
    make(ControlVariant::Editor);
    m_button->setCaption(QStringLiteral("Go"));
    const QImage drawn = picture();
    EXPECT_EQ(drawn.size(), QSize(50, 25));
    // Only the fill and the caption remain.
    EXPECT_EQ(drawn.pixel(10, 8), m_button->palette().color(QPalette::Button).rgb());
    click();
    EXPECT_EQ(m_events, (std::vector<std::string>{"change", "click"}));
    // A button of size 0 paints nothing and still takes input.
    m_button->resize(0, 0);
    m_button->repaint();
    setSkinFolder({});
}

TEST_F(CoolButtonTest, RepaintsEveryButtonOfAFormFromTheLast)
{
    make(ControlVariant::Editor);
    auto* second = new TCoolButton(ControlVariant::Editor, &m_host);
    second->move(100, 20);
    second->show();
    std::vector<QObject*> painted;
    struct Recorder : QObject {
        std::vector<QObject*>* log;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                log->push_back(watched);
            return false;
        }
    } recorder;
    recorder.log = &painted;
    m_button->installEventFilter(&recorder);
    second->installEventFilter(&recorder);
    QCoreApplication::processEvents();
    painted.clear();
    repaintCoolButtons(&m_host);
    EXPECT_EQ(painted, (std::vector<QObject*>{second, m_button}));
    repaintCoolButtons(nullptr);
}

TEST(CoolFormTest, BackgroundFollowsTheSize)
{
    TCoolForm form;
    form.resize(120, 80);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.background().size(), QSize(120, 80));
    const QImage corner = skinImage(QStringLiteral("botRight"));
    const QImage center = skinImage(QStringLiteral("center"));
    auto check = [&](QSize size) {
        const QImage shown = form.grab().toImage();
        ASSERT_EQ(shown.size(), size);
        EXPECT_EQ(shown.pixelColor(size.width() - 1, size.height() - 1), corner.pixelColor(corner.width() - 1, corner.height() - 1));
        EXPECT_EQ(shown.pixelColor(size.width() / 2, size.height() / 2), center.pixelColor(0, 0));
    };
    check(QSize(120, 80));
    form.resize(333, 201);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.background().size(), QSize(333, 201));
    check(QSize(333, 201));
    EXPECT_TRUE(TCoolForm::composeBackground(QSize(0, 10), Qt::white).isNull());
}
