#pragma once
// Rules of the main window that need no widgets: the names its controls go by (the menu items and
// buttons that the control states switch), and where the document buttons lie on their panel.

#include "editor/ControlStates.h"

#include <QRect>
#include <QStringList>

#include <cstdint>
#include <optional>

#include <string_view>
#include <vector>

// The objectNames of the widgets that stand for a control. Most controls are one menu item or one
// button; the zoom commands are the View menu's four items and the four zoom buttons, and a menu
// group is every item of that menu (none for the Effects menu until effect modules are loaded).
QStringList controlObjectNames(Control control);

// The document buttons, one per open document in list order: each as high as the panel less 1,
// 1 pixel from its top. They are 162 pixels wide until they no longer fit; then they share the
// panel's width. A panel no wider than a button gives its whole width to each.
inline constexpr int kDocumentButtonWidth = 162;
std::vector<QRect> documentButtonRects(int count, int panelWidth, int panelHeight);

// Where the display goes when the user moves or resizes the overview's frame: the zoom that fits
// the frame's samples into the display's width (rounded up) and the frame's first sample. None when
// that zoom is 0 or the display shows that part already.
struct DisplayPlace {
    uint32_t zoom = 0;
    uint32_t left = 0;
    friend bool operator==(const DisplayPlace&, const DisplayPlace&) = default;
};
std::optional<DisplayPlace> displayForOverviewFrame(int frameLeft, int frameWidth, uint32_t overviewZoom,
                                                    int displayWidth, const DisplayPlace& shown);
