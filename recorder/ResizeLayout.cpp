#include "recorder/ResizeLayout.h"

#include <algorithm>

namespace recorder {

namespace {

QRect withWidth(QRect rect, int width)
{
    rect.setWidth(std::max(0, width));
    return rect;
}

} // namespace

ResizeLayout resizeLayout(const ResizeInput& in)
{
    ResizeLayout out;
    out.voiceDisplay = in.voiceDisplay;
    out.voiceDisplay.setBottom(in.viewRuler.top() - 1);

    out.musicDisplay = in.musicDisplay;
    out.musicDisplay.setTop(in.viewRuler.bottom() + 1); // the bottom stays where it was

    out.spaceBar = in.spaceBar;
    out.spaceBar.moveTop(in.viewRuler.top());

    const int tracksHeight = out.voiceDisplay.height() + out.musicDisplay.height() + out.spaceBar.height();
    out.faderFrame = QRect(in.faderFrame.left(), in.voiceDisplay.top() + kFaderFrameOffset, in.faderFrame.width(),
                           std::max(0, tracksHeight - kFaderFrameShortening));
    out.fader = out.faderFrame.adjusted(kFaderMargin, kFaderMargin, -kFaderMargin, -kFaderMargin);

    out.mixButton = in.mixButton;
    out.mixButton.moveTop(out.faderFrame.bottom() + 1 + kMixButtonGap);
    out.mixLabel = in.mixLabel;
    out.mixLabel.moveBottom(out.fader.top() - 1 - kMixLabelGap);

    const int width = in.clientWidth - kRightMargin;
    out.positionSlider = withWidth(in.positionSlider, width);
    out.fullRuler = withWidth(in.fullRuler, width);
    out.statusBar = withWidth(in.statusBar, width);

    out.padPanel = in.padPanel;
    out.padPanel.moveLeft(out.musicDisplay.left() + (out.musicDisplay.width() - in.padPanel.width()) / 2);
    return out;
}

} // namespace recorder
