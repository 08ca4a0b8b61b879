#pragma once
// Where a resize of the recording window puts the controls that follow its size: the two track
// displays around the view ruler, the space bar, the fader in its frame with the Mix button and
// the "MIX" label, the controls as wide as the window and the pad panel under the music display.
// All rectangles are in the window's client coordinates.

#include <QRect>

namespace recorder {

// The controls' current rectangles; the ruler, the bar's height, the fader frame's left and width,
// the heights of the Mix button and the label and the pad panel's size are what the resize keeps.
struct ResizeInput {
    int clientWidth = 0;
    QRect voiceDisplay;
    QRect viewRuler;
    QRect musicDisplay;
    QRect spaceBar;     // ProgressBar1
    QRect faderFrame;
    QRect mixButton;
    QRect mixLabel;
    QRect positionSlider;
    QRect fullRuler;
    QRect statusBar;
    QRect padPanel;
};

struct ResizeLayout {
    QRect voiceDisplay;
    QRect musicDisplay;
    QRect spaceBar;
    QRect faderFrame;
    QRect fader;
    QRect mixButton;
    QRect mixLabel;
    QRect positionSlider;
    QRect fullRuler;
    QRect statusBar;
    QRect padPanel;

    friend bool operator==(const ResizeLayout&, const ResizeLayout&) = default;
};

inline constexpr int kFaderFrameOffset = 144;    // below the voice display's top
inline constexpr int kFaderFrameShortening = 300; // against the two displays and the bar together
inline constexpr int kFaderMargin = 2;
inline constexpr int kMixButtonGap = 5;
inline constexpr int kMixLabelGap = 5;
inline constexpr int kRightMargin = 30;

ResizeLayout resizeLayout(const ResizeInput& in);

} // namespace recorder
