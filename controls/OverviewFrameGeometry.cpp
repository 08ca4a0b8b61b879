#include "controls/OverviewFrameGeometry.h"

#include <algorithm>

namespace controls {

QRect constrainFrame(const QRect& requested, int currentTop, int stripWidth)
{
    const int strip = std::max(stripWidth, 1);
    const int width = std::clamp(requested.width(), 1, strip);
    return QRect(frameLeftForMove(requested.left(), width, strip), currentTop, width, requested.height());
}

int frameLeftForMove(int requestedLeft, int frameWidth, int stripWidth)
{
    return std::clamp(requestedLeft, 0, std::max(stripWidth - frameWidth, 0));
}

FrameSpan frameForLeftBorder(int requestedLeft, int right, int minWidth)
{
    const int leftmostRight = std::max(right - std::max(minWidth, 1) + 1, 0);
    return {std::clamp(requestedLeft, 0, leftmostRight), right};
}

FrameSpan frameForRightBorder(int requestedRight, int left, int stripWidth, int minWidth)
{
    const int last = std::max(stripWidth - 1, left);
    const int first = std::min(left + std::max(minWidth, 1) - 1, last);
    return {left, std::clamp(requestedRight, first, last)};
}

} // namespace controls
