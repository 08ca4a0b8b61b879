#pragma once
// A control's own popup menu: shown when a context menu is asked for over the control. One menu may
// serve several controls (the pads, the file tabs), so the menu remembers the control it was last
// opened on for its items to act on.

#include <QPointer>

class QContextMenuEvent;
class QMenu;
class QWidget;

namespace controls {

class PopupMenuSlot {
public:
    QMenu* menu() const { return m_menu; }
    void setMenu(QMenu* menu) { m_menu = menu; }

    // Opens the menu for owner where the event asks and accepts the event. Without a menu the event
    // is ignored, so it goes on to the owner's parent as for any widget.
    void contextMenu(QWidget* owner, QContextMenuEvent* event) const;

private:
    QPointer<QMenu> m_menu;
};

// The control the menu was last opened on; null before the first popup or once that control is gone.
QWidget* popupComponent(const QMenu* menu);

} // namespace controls
