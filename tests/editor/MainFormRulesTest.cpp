// The main window's rules without widgets: where the document buttons lie, and the names of the
// controls the states switch.
#include "editor/MainFormRules.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct ButtonCase {
    int count;
    int panelWidth;
    int expectedWidth;
};

// Buttons keep their width until they would pass the panel's edge, then share the panel; a panel
// narrower than one button gives each button the whole panel.
TEST(DocumentButtonRects, WidthFollowsCountAndPanel)
{
    const ButtonCase cases[] = {
        {1, 800, 162}, {4, 800, 162}, {5, 800, 160}, {6, 800, 133}, {5, 810, 162},
        {1, 161, 161}, {3, 100, 100}, {2, 162, 81},
    };
    for (const ButtonCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " buttons on " << c.panelWidth);
        const std::vector<QRect> rects = documentButtonRects(c.count, c.panelWidth, 24);
        ASSERT_EQ(int(rects.size()), c.count);
        for (int i = 0; i < c.count; ++i)
            EXPECT_EQ(rects[size_t(i)], QRect(i * c.expectedWidth, 1, c.expectedWidth, 23)) << i;
    }
    EXPECT_TRUE(documentButtonRects(0, 800, 24).empty());
}

// Each widget name stands for one control only, so copying the panel onto the widgets cannot set
// one widget twice.
TEST(ControlObjectNames, EachNameBelongsToOneControl)
{
    std::set<QString> seen;
    for (int i = 0; i < kControlCount; ++i)
        for (const QString& name : controlObjectNames(Control(i)))
            EXPECT_TRUE(seen.insert(name).second) << name.toStdString();
    EXPECT_EQ(controlObjectNames(Control::ViewItems).size(), 8);
}

struct FrameCase {
    int frameLeft;
    int frameWidth;
    uint32_t overviewZoom;
    int displayWidth;
    DisplayPlace shown;
    std::optional<DisplayPlace> expected;
};

// The frame's samples fill the display's width, rounded up to a whole zoom level; a frame that
// stands where the display is already, or that covers no sample, moves nothing.
TEST(DisplayForOverviewFrame, FollowsTheFrame)
{
    const FrameCase cases[] = {
        {10, 100, 80, 800, {1, 0}, DisplayPlace{10, 800}},
        {0, 101, 80, 800, {1, 0}, DisplayPlace{11, 0}},
        {5, 100, 80, 800, {10, 400}, std::nullopt},
        {0, 0, 80, 800, {10, 0}, std::nullopt},
        {0, 100, 80, 0, {10, 0}, std::nullopt},
        {3, 800, 5'000'000, 800, {1, 0}, DisplayPlace{5'000'000, 15'000'000}},
        {1000, 800, 5'000'000, 800, {1, 0}, std::nullopt}, // the left sample would pass 32 bits
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frameLeft << " " << c.frameWidth << " " << c.overviewZoom);
        EXPECT_EQ(displayForOverviewFrame(c.frameLeft, c.frameWidth, c.overviewZoom, c.displayWidth, c.shown),
                  c.expected);
    }
}

} // namespace
