// Where a resize of the recording window puts the controls that follow its size, worked out by hand
// for a window of 1,000 x 700 with the view ruler at y = 300.
#include "recorder/ResizeLayout.h"

#include <gtest/gtest.h>

using namespace recorder;

namespace {

ResizeInput sample()
{
    ResizeInput in;
    in.clientWidth = 1000;
    in.voiceDisplay = QRect(40, 60, 900, 200);   // 60..259, the ruler moved down to 300
    in.viewRuler = QRect(40, 300, 900, 20);      // 300..319
    in.musicDisplay = QRect(40, 330, 900, 250);  // 330..579: the bottom stays
    in.spaceBar = QRect(945, 290, 12, 40);
    in.faderFrame = QRect(960, 0, 30, 100);
    in.mixButton = QRect(955, 0, 40, 22);
    in.mixLabel = QRect(962, 0, 26, 14);
    in.positionSlider = QRect(10, 600, 500, 20);
    in.fullRuler = QRect(10, 625, 500, 20);
    in.statusBar = QRect(0, 680, 500, 20);
    in.padPanel = QRect(0, 585, 600, 10);
    return in;
}

TEST(ResizeLayout, ControlsFollowTheRulerAndTheWindow)
{
    const ResizeLayout out = resizeLayout(sample());
    EXPECT_EQ(out.voiceDisplay, QRect(40, 60, 900, 240));   // ends right above the ruler
    EXPECT_EQ(out.musicDisplay, QRect(40, 320, 900, 260));  // starts below it, bottom still 579
    EXPECT_EQ(out.musicDisplay.bottom(), 579);
    EXPECT_EQ(out.spaceBar, QRect(945, 300, 12, 40));
    // 144 below the voice display's top; 240 + 260 + 40 - 300 = 240 high
    EXPECT_EQ(out.faderFrame, QRect(960, 204, 30, 240));
    EXPECT_EQ(out.fader, QRect(962, 206, 26, 236));
    EXPECT_EQ(out.mixButton, QRect(955, 449, 40, 22));      // frame bottom 443, 5 pixels between
    EXPECT_EQ(out.mixLabel, QRect(962, 187, 26, 14));       // bottom 200, 5 pixels above the fader
    EXPECT_EQ(out.positionSlider, QRect(10, 600, 970, 20));
    EXPECT_EQ(out.fullRuler, QRect(10, 625, 970, 20));
    EXPECT_EQ(out.statusBar, QRect(0, 680, 970, 20));
    EXPECT_EQ(out.padPanel, QRect(190, 585, 600, 10));      // centred under the music display
}

TEST(ResizeLayout, ASmallWindowGivesNoNegativeSizes)
{
    ResizeInput in = sample();
    in.clientWidth = 20;
    in.voiceDisplay = QRect(40, 60, 900, 50);
    in.viewRuler = QRect(40, 110, 900, 20);
    in.musicDisplay = QRect(40, 130, 900, 60);
    const ResizeLayout out = resizeLayout(in);
    EXPECT_EQ(out.faderFrame.height(), 0);
    EXPECT_EQ(out.positionSlider.width(), 0);
    EXPECT_EQ(out.statusBar.width(), 0);
}

} // namespace
