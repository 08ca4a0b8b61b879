#include "controls/PopupMenu.h"

#include <QContextMenuEvent>
#include <QMenu>

namespace controls {

namespace {

constexpr char kPopupComponent[] = "PopupComponent";

} // namespace

void PopupMenuSlot::contextMenu(QWidget* owner, QContextMenuEvent* event) const
{
    if (!m_menu) {
        event->ignore();
        return;
    }
    m_menu->setProperty(kPopupComponent, QVariant::fromValue(QPointer<QWidget>(owner)));
    m_menu->popup(event->globalPos());
    event->accept();
}

QWidget* popupComponent(const QMenu* menu)
{
    return menu ? menu->property(kPopupComponent).value<QPointer<QWidget>>().data() : nullptr;
}

} // namespace controls
