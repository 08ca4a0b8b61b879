#pragma once
// What laying the recording window out for a track sets, apart from widgets: the position slider's
// range, selection and steps, how slider steps and sample frames map onto each other, and the
// rulers' zoom. The slider has 32,768 steps; a longer track spreads its frames evenly over them.

#include <cstdint>

namespace recorder {

inline constexpr int kSliderMax = 32767;

// Slider steps and frames of one track, in exact integer arithmetic: a track of fewer than 32,768
// frames moves one frame per step; a longer one total / 32,767 frames per step, rounded halves to
// even where a step falls between two frames.
class SliderScale {
public:
    explicit SliderScale(int64_t totalFrames = 0)
        : m_totalFrames(totalFrames)
    {
    }
    bool scaled() const { return m_totalFrames > kSliderMax; }
    // round(step x scale)
    int64_t frameAt(int64_t step) const;
    // round(frame / scale)
    int64_t stepAt(int64_t frame) const;

private:
    int64_t m_totalFrames;
};

struct TrackLayout {
    int sliderMin = 0;
    int sliderMax = kSliderMax;
    int selectionStart = 0;
    int selectionEnd = kSliderMax;
    int pageSize = 0; // round((max - min) / 50)
    int lineSize = 0; // round((max - min) / 100)
    SliderScale scale;
    int64_t viewRulerZoom = 0; // round(total / ruler width)
    int64_t fullRulerZoom = 0;
};

// The layout of a track of totalFrames under rulers of the given widths (a width under 1 counts as 1).
TrackLayout trackLayout(int64_t totalFrames, int viewRulerWidth, int fullRulerWidth);

} // namespace recorder
