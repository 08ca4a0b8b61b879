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

} // namespace
