#include "recorder/ApplyTrackLayout.h"

#include "platform/base/Rounding.h"

#include <algorithm>

namespace recorder {

using platform::divRoundHalfEven;

int64_t SliderScale::frameAt(int64_t step) const
{
    return scaled() ? divRoundHalfEven(step * m_totalFrames, kSliderMax) : step;
}

int64_t SliderScale::stepAt(int64_t frame) const
{
    return scaled() ? divRoundHalfEven(frame * kSliderMax, m_totalFrames) : frame;
}

TrackLayout trackLayout(int64_t totalFrames, int viewRulerWidth, int fullRulerWidth)
{
    TrackLayout layout;
    const int range = layout.sliderMax - layout.sliderMin;
    layout.pageSize = int(divRoundHalfEven(range, 50));
    layout.lineSize = int(divRoundHalfEven(range, 100));
    layout.scale = SliderScale(totalFrames);
    layout.viewRulerZoom = divRoundHalfEven(totalFrames, std::max(1, viewRulerWidth));
    layout.fullRulerZoom = divRoundHalfEven(totalFrames, std::max(1, fullRulerWidth));
    return layout;
}

} // namespace recorder
