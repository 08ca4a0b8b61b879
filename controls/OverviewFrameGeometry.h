#pragma once
// Where the overview's frame may lie, apart from the widget. The frame only moves sideways (its top
// never changes), stays inside the strip (left 0 to strip width - frame width) and is never wider
// than the strip. A frame the user resizes keeps a least width, so that both side borders and some
// inside remain to take hold of.

#include <QRect>

namespace controls {

// The frame's geometry for a requested one: the current top, the width within 1..stripWidth, the
// left within 0..stripWidth - width.
QRect constrainFrame(const QRect& requested, int currentTop, int stripWidth);

// Moving by the pointer: the left the frame takes when dragged to requestedLeft.
int frameLeftForMove(int requestedLeft, int frameWidth, int stripWidth);

// Resizing by a side border: the new left and right (inclusive pixel columns) when the left border
// is dragged to requestedLeft, or the right border to requestedRight; the other side stays where it
// is, and the frame keeps at least minWidth pixels.
struct FrameSpan {
    int left;
    int right;
    int width() const { return right - left + 1; }
};
FrameSpan frameForLeftBorder(int requestedLeft, int right, int minWidth);
FrameSpan frameForRightBorder(int requestedRight, int left, int stripWidth, int minWidth);

} // namespace controls
