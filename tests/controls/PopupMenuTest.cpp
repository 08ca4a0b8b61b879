// The popup menu of the picture button and of the file tab (offscreen): a context-menu request
// opens the control's menu and the menu knows which control it was opened on; without a menu the
// request goes on to the parent.
#include "controls/EQBmpBtn.h"
#include "controls/PopupMenu.h"
#include "controls/RectBtnEx.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

#include <functional>
#include <memory>

using namespace controls;

namespace {

// Counts the context-menu requests that reach the host itself.
class Host : public QWidget {
public:
    int requests = 0;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        ++requests;
        event->accept();
    }
};

struct ControlKind {
    const char* name;
    std::function<QWidget*(QWidget* parent, QMenu* menu)> make;
};

const ControlKind kControls[] = {
    {"picture button",
     [](QWidget* parent, QMenu* menu) {
         auto* button = new TEQBmpButton(parent);
         button->setPopupMenu(menu);
         return button;
     }},
    {"file tab",
     [](QWidget* parent, QMenu* menu) {
         auto* tab = new TQzv32RectBtnEx(parent);
         tab->setPopupMenu(menu);
         return tab;
     }},
};

void askForContextMenu(QWidget* control)
{
    const QPoint at(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, control->mapToGlobal(at));
    QCoreApplication::sendEvent(control, &event);
}

} // namespace

TEST(PopupMenuTest, OpensOnTheControlItWasAskedOnOrLeavesTheRequestToTheParent)
{
    for (const ControlKind& kind : kControls) {
        SCOPED_TRACE(kind.name);
        Host host;
        host.resize(300, 100);
        QMenu menu;
        menu.addAction(QStringLiteral("Close"));
        QWidget* first = kind.make(&host, &menu);
        QWidget* second = kind.make(&host, &menu);
        QWidget* without = kind.make(&host, nullptr);
        second->move(100, 0);
        without->move(200, 0);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        EXPECT_EQ(popupComponent(&menu), nullptr);

        askForContextMenu(second);
        EXPECT_TRUE(menu.isVisible());
        EXPECT_EQ(popupComponent(&menu), second);
        EXPECT_EQ(host.requests, 0);
        menu.hide();

        askForContextMenu(first);
        EXPECT_EQ(popupComponent(&menu), first);
        menu.hide();

        askForContextMenu(without);
        EXPECT_EQ(host.requests, 1);
        EXPECT_FALSE(menu.isVisible());

        delete first;
        EXPECT_EQ(popupComponent(&menu), nullptr);
    }
}
