// The picture button and the picture group box as widgets (offscreen): presses, releases inside
// and outside, toggles and double clicks, keys and accelerators, the events and their order, which
// face and glyph are drawn, the transparent colour, repaints with InvalidateOFF, drags offered to
// the owner, and the group box's edges, client area and accelerator.
#include "controls/EQBmpBtn.h"
#include "controls/EQGroupBox.h"
#include "tests/controls/PaintCounter.h"

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>

#include <string>
#include <vector>

using namespace controls;

namespace {

QImage solid(QSize size, const QColor& color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

class EQBmpBtnTest : public ::testing::Test {
protected:
    EQBmpBtnTest()
    {
        m_host.resize(200, 120);
        m_button = new TEQBmpButton(&m_host);
        m_button->setGeometry(20, 20, 60, 30);
        m_button->setUpImage(solid(QSize(60, 30), Qt::blue));
        m_button->setDownImage(solid(QSize(60, 30), Qt::red));
        m_button->setDisImage(solid(QSize(60, 30), Qt::gray));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        font.setStyleStrategy(QFont::NoAntialias);
        m_button->setFont(font);
        QObject::connect(m_button, &TEQBmpButton::OnDown, [this] { m_events.push_back("down"); });
        QObject::connect(m_button, &TEQBmpButton::OnClick, [this] { m_events.push_back("click"); });
        QObject::connect(m_button, &TEQBmpButton::OnMouseDown,
                         [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { m_events.push_back("mousedown"); });
        QObject::connect(m_button, &TEQBmpButton::OnMouseUp,
                         [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { m_events.push_back("mouseup"); });
        m_host.show();
        QApplication::setActiveWindow(&m_host);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m_host));
    }

    QColor faceColor() const { return m_button->grab().toImage().pixelColor(50, 25); }

    void doubleClick(QPoint at)
    {
        QMouseEvent event(QEvent::MouseButtonDblClick, at, m_button->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(m_button, &event);
    }

    QWidget m_host;
    TEQBmpButton* m_button;
    std::vector<std::string> m_events;
};

} // namespace

TEST_F(EQBmpBtnTest, PushButtonPressAndRelease)
{
    EXPECT_EQ(TEQBmpButton().size(), QSize(20, 20));
    EXPECT_EQ(faceColor(), QColor(Qt::blue));
    QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(m_button->Pressed());
    EXPECT_EQ(faceColor(), QColor(Qt::red));
    EXPECT_TRUE(m_button->hasFocus());
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(m_button->Pressed());
    EXPECT_EQ(faceColor(), QColor(Qt::blue));
    EXPECT_EQ(m_events, (std::vector<std::string>{"down", "mousedown", "click", "mouseup"}));
}

TEST_F(EQBmpBtnTest, PushButtonLeftWhilePressed)
{
    // Moving off draws it up; the captured press still clicks when it ends outside.
    QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(m_button, QPoint(100, 60));
    EXPECT_FALSE(m_button->Pressed());
    EXPECT_EQ(faceColor(), QColor(Qt::blue));
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(100, 60));
    EXPECT_EQ(m_events, (std::vector<std::string>{"down", "mousedown", "click", "mouseup"}));
}

TEST_F(EQBmpBtnTest, ToggleButtonShowsItsDownFaceAndGlyph)
{
    m_button->setToggleButton(true);
    // The glyphs are drawn transparent: plain pictures lose their bottom-left colour (black here).
    QImage glyph(8, 8, QImage::Format_RGB32);
    glyph.fill(Qt::black);
    glyph.setPixelColor(3, 3, Qt::yellow);
    m_button->setGlyph(glyph);
    QImage glyphDown = glyph;
    glyphDown.setPixelColor(3, 3, Qt::green);
    m_button->setGlyphDown(glyphDown);

    QTest::mouseClick(m_button, Qt::LeftButton, {}, QPoint(30, 15));
    EXPECT_TRUE(m_button->Pressed());
    QImage drawn = m_button->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(50, 25), QColor(Qt::red));
    EXPECT_EQ(drawn.pixelColor(4 + 3 + 1, 4 + 3 + 1), QColor(Qt::green)) << "GlyphDown, one pixel right and down";
    QTest::mouseClick(m_button, Qt::LeftButton, {}, QPoint(30, 15));
    EXPECT_FALSE(m_button->Pressed());
    drawn = m_button->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(50, 25), QColor(Qt::blue));
    EXPECT_EQ(drawn.pixelColor(4 + 3, 4 + 3), QColor(Qt::yellow));
    EXPECT_EQ(m_events, (std::vector<std::string>{"down", "mousedown", "click", "mouseup", "down", "mousedown", "click",
                                                  "mouseup"}));

    // A right-aligned glyph sits GlyphLeft from the right edge.
    m_button->setGlyphAlign(Qt::AlignRight);
    EXPECT_EQ(m_button->grab().toImage().pixelColor(60 - 8 - 4 + 3, 4 + 3), QColor(Qt::yellow));
}

TEST_F(EQBmpBtnTest, DoubleClickOnAToggleIsASecondPress)
{
    m_button->setToggleButton(true);
    const QPoint at(10, 10);
    QTest::mousePress(m_button, Qt::LeftButton, {}, at);
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, at);
    doubleClick(at);
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, at);
    // Two clicks, two flips: Pressed agrees with the number of clicks.
    EXPECT_FALSE(m_button->Pressed());
    EXPECT_EQ(std::count(m_events.begin(), m_events.end(), "click"), 2);

    // A push button is pressed by the double click and released after it.
    m_button->setToggleButton(false);
    doubleClick(at);
    EXPECT_TRUE(m_button->Pressed());
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, at);
    EXPECT_FALSE(m_button->Pressed());
}

TEST_F(EQBmpBtnTest, KeysAndAccelerator)
{
    QTest::keyClick(m_button, Qt::Key_Space);
    EXPECT_FALSE(m_button->Pressed());
    m_button->setToggleButton(true);
    QTest::keyClick(m_button, Qt::Key_Return);
    EXPECT_TRUE(m_button->Pressed());
    EXPECT_TRUE(m_button->hasFocus());
    EXPECT_EQ(m_events, (std::vector<std::string>{"click", "click"}));

    m_events.clear();
    m_button->setCaption(QStringLiteral("&Play"));
    QTest::keyClick(&m_host, Qt::Key_P, Qt::AltModifier);
    EXPECT_FALSE(m_button->Pressed());
    EXPECT_EQ(m_events, (std::vector<std::string>{"click"}));
    // Without Alt the letter is not the accelerator.
    m_events.clear();
    auto* edit = new QLineEdit(&m_host);
    edit->move(100, 80);
    edit->show();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_P);
    EXPECT_TRUE(m_events.empty());
    EXPECT_EQ(edit->text(), "p");
}

TEST_F(EQBmpBtnTest, DisabledButtonTakesNoInputAndIsEmbossed)
{
    m_button->setCaption(QStringLiteral("Stop"));
    m_button->setToggleButton(true);
    m_button->setEnabled(false);
    QTest::mouseClick(m_button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::keyClick(m_button, Qt::Key_Return);
    QTest::keyClick(m_button, Qt::Key_Space);
    m_button->setPressed(true);
    EXPECT_FALSE(m_button->Pressed());
    EXPECT_TRUE(m_events.empty());

    const QImage drawn = m_button->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(58, 2), QColor(Qt::gray));
    // The caption is drawn twice: in the highlight colour one pixel down and right, then in the
    // shadow colour in place.
    const QColor light = QColor::fromRgb(m_button->palette().color(QPalette::Light).rgb());
    const QColor dark = QColor::fromRgb(m_button->palette().color(QPalette::Dark).rgb());
    int lightPixels = 0;
    int darkPixels = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            lightPixels += drawn.pixelColor(x, y) == light;
            darkPixels += drawn.pixelColor(x, y) == dark;
        }
    }
    EXPECT_GT(lightPixels, 5);
    EXPECT_GT(darkPixels, 10);

    m_button->setEnabled(true);
    m_button->setPressed(true);
    EXPECT_TRUE(m_button->Pressed());
}

TEST_F(EQBmpBtnTest, InvalidateOffLeavesRepaintingToTheOwner)
{
    PaintCounter paints;
    m_button->setFocus();
    QCoreApplication::processEvents();
    m_button->installEventFilter(&paints);

    QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(paints.count, 2);

    m_button->setInvalidateOFF(true);
    paints.count = 0;
    QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(m_button->Pressed());
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(10, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.count, 0);
}

TEST_F(EQBmpBtnTest, TransparentColourShowsTheFill)
{
    QImage face = solid(QSize(60, 30), Qt::blue);
    for (int x = 0; x < 30; ++x) {
        for (int y = 0; y < 30; ++y)
            face.setPixelColor(x, y, QColor(0, 255, 0));
    }
    m_button->setUpImage(face);
    EXPECT_EQ(m_button->grab().toImage().pixelColor(10, 10), QColor(0, 255, 0));
    m_button->setUseTransparency(true);
    m_button->setBgColor(QColor(10, 20, 30));
    const QImage drawn = m_button->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(10, 10), QColor(10, 20, 30));
    EXPECT_EQ(drawn.pixelColor(50, 10), QColor(Qt::blue));
}

TEST_F(EQBmpBtnTest, FrameInsetsAndStretch)
{
    m_button->setShowFocus(false);
    m_button->setUpImage(solid(QSize(10, 10), Qt::blue));
    EXPECT_EQ(m_button->grab().toImage().pixelColor(9, 9), QColor(Qt::blue));
    EXPECT_NE(m_button->grab().toImage().pixelColor(30, 20), QColor(Qt::blue));
    m_button->setStretch(true);
    EXPECT_EQ(m_button->grab().toImage().pixelColor(59, 29), QColor(Qt::blue));

    m_button->setDraw3dBorder(true);
    EXPECT_EQ(m_button->insideRect(), QRect(1, 1, 57, 27));
    m_button->setPressed(true);
    EXPECT_EQ(m_button->insideRect(), QRect(2, 2, 57, 27));
    const QImage drawn = m_button->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(2, 2), QColor(Qt::red));
    EXPECT_NE(drawn.pixelColor(0, 0), QColor(Qt::red));
}

TEST_F(EQBmpBtnTest, TheFrameRaisesTheCaptionByTwoLessItsInset)
{
    m_button->setShowFocus(false);
    m_button->setUpImage(solid(QSize(60, 30), Qt::white));
    m_button->setCaption(QStringLiteral("Pad"));
    const QColor text = m_button->palette().color(QPalette::ButtonText);
    // The first row of the button that holds a pixel of the caption's colour.
    const auto captionTop = [&] {
        const QImage drawn = m_button->grab().toImage();
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 3; x < drawn.width() - 3; ++x)
                if (drawn.pixelColor(x, y) == text)
                    return y;
        return -1;
    };
    const int plain = captionTop();
    ASSERT_GT(plain, 2);
    m_button->setDraw3dBorder(true);
    EXPECT_EQ(captionTop(), plain - 2 + 1); // inset 1 at the top while up
    m_button->setPressed(true);
    EXPECT_EQ(captionTop(), plain - 2 + 2 + 1); // inset 2 while pressed, and the pressed shift
}

TEST_F(EQBmpBtnTest, DragsAreOfferedToTheOwnerAndThoseItRefusesGoOnToTheParent)
{
    // The host takes dropped files, as the recording window does over its pads.
    int hostDrags = 0;
    m_host.setAcceptDrops(true);
    struct Counter : QObject {
        int* drags;
        explicit Counter(int* d) : drags(d) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove)
                ++*drags;
            return false;
        }
    } counter(&hostDrags);
    m_host.installEventFilter(&counter);

    QMimeData data;
    data.setText(QStringLiteral("pad.wav"));
    const auto offer = [&](QEvent::Type type, QPoint at) {
        QDragMoveEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, {}, type);
        QCoreApplication::sendEvent(m_button, &event);
        return event.isAccepted();
    };

    // Nobody takes it on the button: the drag reaches the host.
    EXPECT_FALSE(offer(QEvent::DragEnter, QPoint(5, 6)));
    EXPECT_EQ(hostDrags, 1);

    bool take = false;
    QPoint offeredAt;
    QObject::connect(m_button, &TEQBmpButton::OnDragOver, [&](QObject* source, int x, int y, bool& accept) {
        EXPECT_EQ(source, nullptr);
        offeredAt = QPoint(x, y);
        accept = take;
    });
    EXPECT_FALSE(offer(QEvent::DragEnter, QPoint(7, 8)));
    EXPECT_EQ(offeredAt, QPoint(7, 8));
    EXPECT_EQ(hostDrags, 2);

    // Taken on entering, the drag stays with the button while it moves over it.
    take = true;
    EXPECT_TRUE(offer(QEvent::DragEnter, QPoint(9, 10)));
    EXPECT_EQ(offeredAt, QPoint(9, 10));
    EXPECT_TRUE(offer(QEvent::DragMove, QPoint(11, 12)));
    EXPECT_EQ(offeredAt, QPoint(11, 12));
    EXPECT_EQ(hostDrags, 2);

    QPoint droppedAt;
    QObject::connect(m_button, &TEQBmpButton::OnDragDrop,
                     [&](QObject*, int x, int y) { droppedAt = QPoint(x, y); });
    QDropEvent drop(QPointF(13, 14), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(m_button, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(droppedAt, QPoint(13, 14));
    EXPECT_TRUE(m_events.empty());
}

TEST(EQGroupBoxTest, EdgesPictureAndClientArea)
{
    QWidget host;
    host.resize(300, 200);
    auto* box = new TEQGroupBox(&host);
    EXPECT_EQ(box->size(), QSize(185, 105));
    box->setBackPicture(solid(QSize(10, 10), QColor(0, 0, 200)));
    box->setCaption(QStringLiteral("&Music"));
    auto* label = new QWidget(box);
    label->setGeometry(20, 40, 10, 10);
    auto* first = new QLineEdit(box);
    first->setGeometry(40, 40, 60, 20);
    host.show();
    QApplication::setActiveWindow(&host);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));

    const QImage drawn = box->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(150, 80), QColor(0, 0, 200));
    EXPECT_EQ(drawn.pixelColor(0, 60), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(drawn.pixelColor(1, 60), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(drawn.pixelColor(90, 1), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(drawn.pixel(184, 60), box->palette().color(QPalette::Shadow).rgb());
    EXPECT_EQ(drawn.pixel(90, 104), box->palette().color(QPalette::Shadow).rgb());

    // Children lie below the caption's line, inset by 2 (1 without Ctl3D).
    const int line = QFontMetrics(box->font()).height();
    EXPECT_EQ(box->contentsRect(), QRect(2, line + 2, 181, 105 - line - 4));
    box->setCtl3D(false);
    EXPECT_EQ(box->contentsRect(), QRect(1, line + 1, 183, 105 - line - 2));

    // The accelerator focuses the first child that takes the focus.
    label->show();
    QTest::keyClick(&host, Qt::Key_M, Qt::AltModifier);
    EXPECT_TRUE(first->hasFocus());

    // An empty picture or box draws only what it can.
    box->setBackPicture(QImage());
    box->resize(0, 0);
    box->repaint();
}
