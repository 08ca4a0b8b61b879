// The skinned sliders as widgets (offscreen): keys, clicks beside the thumb, dragging, the events
// of each slider in each program and their order, the highlighted range, and ranges and sizes
// the arithmetic cannot divide by.
#include "controls/CoolSliderH.h"
#include "controls/CoolSliderV.h"
#include "controls/SkinImages.h"
#include "controls/SliderModel.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

using namespace controls;

namespace {

struct Event {
    std::string name;
    int code = 0;
    int position = 0;
    bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Event& e)
{
    return out << e.name << "(" << e.code << "," << e.position << ")";
}

// A pointer move with no button held.
void hover(QWidget* widget, QPoint at)
{
    QMouseEvent event(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, {});
    QCoreApplication::sendEvent(widget, &event);
}

Event change()
{
    return {"change", 0, 0};
}

Event scroll(int position, int code = ScrollCode::Position)
{
    return {"scroll", code, position};
}

class CoolSliderTest : public ::testing::Test {
protected:
    void make(Qt::Orientation orientation, ControlVariant variant)
    {
        m_host = std::make_unique<QWidget>();
        m_host->resize(300, 300);
        if (orientation == Qt::Horizontal)
            m_slider = new TCoolSliderH(variant, m_host.get());
        else
            m_slider = new TCoolSliderV(variant, m_host.get());
        m_slider->move(10, 10);
        QObject::connect(m_slider, &CoolSliderBase::OnChange, [this] { m_events.push_back(change()); });
        QObject::connect(m_slider, &CoolSliderBase::OnScroll,
                         [this](int code, int position) { m_events.push_back(scroll(position, code)); });
        m_host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_host.get()));
    }

    bool horizontal() const { return m_slider->orientation() == Qt::Horizontal; }
    // A point on the slider's axis at `along`, in the middle across it.
    QPoint at(int along) const
    {
        return horizontal() ? QPoint(along, m_slider->height() / 2) : QPoint(m_slider->width() / 2, along);
    }
    int thumbLength() const { return horizontal() ? m_slider->thumbSize().width() : m_slider->thumbSize().height(); }
    int length() const { return horizontal() ? m_slider->width() : m_slider->height(); }

    std::unique_ptr<QWidget> m_host;
    CoolSliderBase* m_slider = nullptr;
    std::vector<Event> m_events;
};

} // namespace

TEST_F(CoolSliderTest, DefaultsAndSetters)
{
    make(Qt::Horizontal, ControlVariant::Editor);
    EXPECT_EQ(m_slider->size(), QSize(150, skinImage(QStringLiteral("thumbhorz")).height()));
    EXPECT_EQ(m_slider->Position(), 50);
    m_slider->setPosition(150);
    EXPECT_EQ(m_slider->Position(), 99);
    m_slider->setPosition(-5);
    EXPECT_EQ(m_slider->Position(), 0);
    EXPECT_TRUE(m_events.empty()) << "setting the position from code raises nothing";

    TCoolSliderV vertical(ControlVariant::Editor);
    EXPECT_EQ(vertical.size(), QSize(skinImage(QStringLiteral("thumbvert")).width(), 150));
}

TEST_F(CoolSliderTest, EndKeyInEachSliderAndProgram)
{
    struct Case {
        Qt::Orientation orientation;
        ControlVariant variant;
        std::vector<Event> onPress;
        std::vector<Event> onRelease;
        bool buttonDownWhileHeld;
    };
    const Case cases[] = {
        {Qt::Horizontal, ControlVariant::Editor, {scroll(99)}, {change(), scroll(99)}, true},
        {Qt::Horizontal, ControlVariant::Recorder, {scroll(99)}, {}, false},
        {Qt::Vertical, ControlVariant::Editor, {change(), scroll(99)}, {}, false},
        // The recorder's vertical slider reports the change of position, not the key.
        {Qt::Vertical, ControlVariant::Recorder, {change(), scroll(99)}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.orientation == Qt::Horizontal ? "horizontal" : "vertical") +
                     (c.variant == ControlVariant::Editor ? " editor" : " recorder"));
        m_events.clear();
        make(c.orientation, c.variant);
        QTest::keyPress(m_slider, Qt::Key_End);
        EXPECT_EQ(m_slider->Position(), 99);
        EXPECT_EQ(m_events, c.onPress);
        if (auto* h = qobject_cast<TCoolSliderH*>(m_slider)) {
            EXPECT_EQ(h->IsButtonDown(), c.buttonDownWhileHeld);
        }
        m_events.clear();
        QTest::keyRelease(m_slider, Qt::Key_End);
        EXPECT_EQ(m_events, c.onRelease);
        if (auto* h = qobject_cast<TCoolSliderH*>(m_slider)) {
            EXPECT_FALSE(h->IsButtonDown());
        }
        EXPECT_TRUE(m_slider->hasFocus());
    }
}

TEST_F(CoolSliderTest, KeysStepByLineAndPage)
{
    make(Qt::Vertical, ControlVariant::Editor);
    m_slider->setLineSize(3);
    m_slider->setPageSize(10);
    const std::pair<Qt::Key, int> steps[] = {
        {Qt::Key_PageDown, 60}, {Qt::Key_PageUp, 50}, {Qt::Key_Down, 53}, {Qt::Key_Right, 56},
        {Qt::Key_Up, 53},       {Qt::Key_Left, 50},   {Qt::Key_Home, 0},  {Qt::Key_Left, 0},
    };
    for (const auto& [key, expected] : steps) {
        QTest::keyClick(m_slider, key);
        EXPECT_EQ(m_slider->Position(), expected) << QKeySequence(key).toString().toStdString();
    }
    // The vertical slider answers every key, even one that is not a slider key.
    m_events.clear();
    QTest::keyClick(m_slider, Qt::Key_A);
    EXPECT_EQ(m_events, (std::vector<Event>{change(), scroll(0)}));
}

TEST_F(CoolSliderTest, ClickBesideTheThumbStepsToThePointer)
{
    for (const Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
        m_events.clear();
        make(orientation, ControlVariant::Editor);
        const int far = m_slider->thumbPosition() + thumbLength() + 30;
        QTest::mousePress(m_slider, Qt::LeftButton, {}, at(far));
        // The thumb's far edge is at the click.
        EXPECT_GE(m_slider->thumbPosition() + thumbLength(), far);
        EXPECT_LT(thumbOffset(m_slider->Position() - 1, 0, 99, length(), thumbLength()) + thumbLength(), far);
        const int after = m_slider->Position();
        QTest::mouseRelease(m_slider, Qt::LeftButton, {}, at(far));
        if (orientation == Qt::Horizontal)
            EXPECT_EQ(m_events, (std::vector<Event>{scroll(after), change()}));
        else
            EXPECT_EQ(m_events, (std::vector<Event>{change(), scroll(after)}));

        // Before the thumb: its near edge comes to the click.
        QTest::mouseClick(m_slider, Qt::LeftButton, {}, at(5));
        EXPECT_LE(m_slider->thumbPosition(), 5);
        EXPECT_GT(thumbOffset(m_slider->Position() + 1, 0, 99, length(), thumbLength()), 5);
    }
}

TEST_F(CoolSliderTest, DraggingTheThumb)
{
    for (const Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
        m_events.clear();
        make(orientation, ControlVariant::Editor);
        const int grab = m_slider->thumbPosition() + 3;
        QTest::mousePress(m_slider, Qt::LeftButton, {}, at(grab));
        EXPECT_EQ(m_slider->Position(), 50) << "a press on the thumb moves nothing";
        m_events.clear();
        std::vector<Event> expected;
        for (const int to : {grab + 17, grab + 40, -50, 400}) {
            QTest::mouseMove(m_slider, at(to));
            const int value = std::clamp(valueAtOffset(to - 3, 0, 99, length(), thumbLength()), 0, 99);
            EXPECT_EQ(m_slider->Position(), value) << to;
            expected.push_back(scroll(value));
        }
        EXPECT_EQ(m_events, expected);
        EXPECT_EQ(m_slider->Position(), 99);
        QTest::mouseRelease(m_slider, Qt::LeftButton, {}, at(400));
        // Moves after the release change nothing.
        hover(m_slider, at(10));
        EXPECT_EQ(m_slider->Position(), 99);
    }
}

TEST_F(CoolSliderTest, HorizontalFollowsThePointerAfterAPressBesideTheThumb)
{
    make(Qt::Horizontal, ControlVariant::Editor);
    auto* slider = static_cast<TCoolSliderH*>(m_slider);
    QTest::mousePress(slider, Qt::LeftButton, {}, at(130));
    EXPECT_TRUE(slider->IsButtonDown());
    const int stepped = slider->Position();
    const int grip = 130 - slider->thumbPosition();
    // Without moving, the thumb stays where the step put it; then it follows with that grip.
    QTest::mouseMove(slider, at(130));
    EXPECT_EQ(slider->Position(), stepped);
    QTest::mouseMove(slider, at(100));
    EXPECT_EQ(slider->Position(), valueAtOffset(100 - grip, 0, 99, 150, thumbLength()));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, at(100));
    EXPECT_FALSE(slider->IsButtonDown());

    // The vertical slider does not.
    make(Qt::Vertical, ControlVariant::Editor);
    QTest::mousePress(m_slider, Qt::LeftButton, {}, at(140));
    const int afterPress = m_slider->Position();
    QTest::mouseMove(m_slider, at(20));
    EXPECT_EQ(m_slider->Position(), afterPress);
}

TEST_F(CoolSliderTest, RecorderVerticalReportsChangesAndEveryMove)
{
    make(Qt::Vertical, ControlVariant::Recorder);
    m_slider->setPosition(60);
    m_slider->setPosition(60);
    EXPECT_EQ(m_events, (std::vector<Event>{change()}));

    // A move over it without a button: the position stayed.
    m_events.clear();
    hover(m_slider, at(5));
    EXPECT_EQ(m_events, (std::vector<Event>{scroll(60)}));

    // Dragging: a rise, a fall, then no change.
    const int grab = m_slider->thumbPosition() + 2;
    QTest::mousePress(m_slider, Qt::LeftButton, {}, at(grab));
    m_events.clear();
    QTest::mouseMove(m_slider, at(grab + 20));
    const int risen = m_slider->Position();
    QTest::mouseMove(m_slider, at(grab - 10));
    const int fallen = m_slider->Position();
    QTest::mouseMove(m_slider, at(grab - 10));
    ASSERT_GT(risen, 60);
    ASSERT_LT(fallen, risen);
    EXPECT_EQ(m_events, (std::vector<Event>{change(), scroll(risen, ScrollCode::LineUp), change(),
                                            scroll(fallen, ScrollCode::LineDown), scroll(fallen)}));
    m_events.clear();
    QTest::mouseRelease(m_slider, Qt::LeftButton, {}, at(grab - 10));
    EXPECT_TRUE(m_events.empty());
}

TEST_F(CoolSliderTest, HighlightedRangeIsDrawnOverTheChannel)
{
    make(Qt::Horizontal, ControlVariant::Editor);
    auto* slider = static_cast<TCoolSliderH*>(m_slider);
    slider->setRange(0, 100);
    slider->setPosition(0);
    const QImage selection = skinImage(QStringLiteral("channelsel"));
    const int y = (slider->height() - selection.height() + 1) / 2 + selection.height() / 2;
    const QColor lit = selection.pixelColor(0, selection.height() / 2);
    EXPECT_NE(slider->grab().toImage().pixelColor(75, y), lit);
    slider->setSelection(60, 40); // 60 to 90 pixels of 150
    EXPECT_EQ(slider->SelStart(), 40);
    EXPECT_EQ(slider->SelEnd(), 60);
    const QImage drawn = slider->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(75, y), lit);
    EXPECT_NE(drawn.pixelColor(55, y), lit);
    EXPECT_NE(drawn.pixelColor(95, y), lit);
    // The thumb is drawn where thumbOffset puts it.
    const QImage thumb = skinImage(QStringLiteral("thumbhorz"));
    slider->setPosition(100);
    EXPECT_EQ(slider->grab().toImage().pixelColor(150 - thumb.width() + thumb.width() / 2, slider->height() / 2),
              thumb.pixelColor(thumb.width() / 2, thumb.height() / 2));
}

TEST_F(CoolSliderTest, EqualEndsAndEmptySizesDoNotDivideByZero)
{
    for (const Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
        make(orientation, ControlVariant::Editor);
        // A form storing Min 10 before Max 5 leaves Min = Max = 5.
        m_slider->setMin(10);
        EXPECT_EQ(m_slider->Min(), 10);
        m_slider->setMax(5);
        EXPECT_EQ(m_slider->Min(), 5);
        EXPECT_EQ(m_slider->Max(), 5);
        EXPECT_EQ(m_slider->thumbPosition(), 0);
        QTest::mousePress(m_slider, Qt::LeftButton, {}, at(2));
        QTest::mouseMove(m_slider, at(100));
        QTest::mouseRelease(m_slider, Qt::LeftButton, {}, at(100));
        QTest::keyClick(m_slider, Qt::Key_End);
        EXPECT_EQ(m_slider->Position(), 5);
        m_slider->grab();

        // A control no longer than its thumb, and one of size 0.
        m_slider->setMax(99);
        for (const QSize size : {QSize(8, 8), QSize(0, 0)}) {
            m_slider->resize(size);
            QTest::mousePress(m_slider, Qt::LeftButton, {}, at(1));
            QTest::mouseMove(m_slider, at(60));
            QTest::mouseRelease(m_slider, Qt::LeftButton, {}, at(60));
            m_slider->repaint();
            EXPECT_EQ(m_slider->thumbPosition(), 0);
        }
    }
}

TEST_F(CoolSliderTest, MissingPicturesStillPaintAndSlide)
{
    setSkinFolder(QStringLiteral("/nonexistent-skin-folder"));
    make(Qt::Horizontal, ControlVariant::Editor);
    EXPECT_TRUE(m_slider->thumbSize().isEmpty());
    EXPECT_FALSE(m_slider->grab().isNull());
    QTest::keyClick(m_slider, Qt::Key_Home);
    EXPECT_EQ(m_slider->Position(), 0);
    QTest::mouseClick(m_slider, Qt::LeftButton, {}, at(120));
    EXPECT_EQ(m_slider->Position(), valueAtOffset(120, 0, 99, 150, 0));
    setSkinFolder({});
}
