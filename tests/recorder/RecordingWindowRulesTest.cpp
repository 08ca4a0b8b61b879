// The rules of the recording window besides its control states: the status bar's format panels,
// the slider and rulers of a track's layout, the counted busy flag and the recording label's blink.
#include "recorder/ApplyTrackLayout.h"
#include "recorder/BusyFlag.h"
#include "recorder/RecordingLabel.h"
#include "recorder/ShowStatusFormat.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

using namespace recorder;

namespace {

constexpr uint32_t kThreeHours48 = 48000u * 3 * 3600;  // 518,400,000: nine digits
constexpr uint32_t kDay48 = 48000u * 24 * 3600;        // 4,147,200,000: ten digits

TEST(ShowStatusFormat, Panels)
{
    const struct {
        uint32_t lengthMs;
        uint32_t rate;
        bool clear;
        int channels;
        int bits;
        int zoom;
        StatusPanels panels;
    } cases[] = {
        {61005, 44100, false, 1, 16, 4, {"44100 Hz", "16 Bit", "Mono", "1:4", "001:01:005"}},
        {0, 8000, false, 2, 8, 1, {"8000 Hz", "8 Bit", "Stereo", "1:1", "000:00:000"}},
        {86400000, 48000, false, 2, 24, 8192, {"48000 Hz", "24 Bit", "Stereo", "1:8192", "1440:00:000"}},
        {61005, 44100, true, 1, 16, 4, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lengthMs);
        EXPECT_EQ(statusFormatPanels(c.lengthMs, c.rate, c.clear, c.channels, c.bits, c.zoom), c.panels);
    }
}

TEST(ApplyTrackLayout, SliderStepsAndRulers)
{
    const TrackLayout layout = trackLayout(kThreeHours48, 600, 1200);
    EXPECT_EQ(layout.sliderMin, 0);
    EXPECT_EQ(layout.sliderMax, 32767);
    EXPECT_EQ(layout.selectionStart, 0);
    EXPECT_EQ(layout.selectionEnd, 32767);
    EXPECT_EQ(layout.pageSize, 655); // 655.34
    EXPECT_EQ(layout.lineSize, 328); // 327.67
    EXPECT_EQ(layout.viewRulerZoom, 864000);
    EXPECT_EQ(layout.fullRulerZoom, 432000);
    EXPECT_EQ(layout.scale.frameAt(32767), kThreeHours48);
    EXPECT_EQ(layout.scale.stepAt(kThreeHours48), 32767);

    // ruler zoom rounds halves to even; a ruler without width counts as one pixel wide
    EXPECT_EQ(trackLayout(1000, 400, 0).viewRulerZoom, 2);
    EXPECT_EQ(trackLayout(1400, 400, 0).viewRulerZoom, 4);
    EXPECT_EQ(trackLayout(1000, 400, 0).fullRulerZoom, 1000);
}

TEST(ApplyTrackLayout, SliderScale)
{
    const struct {
        int64_t total;
        bool scaled;
        int64_t step, frameAtStep;
        int64_t frame, stepAtFrame;
    } cases[] = {
        {0, false, 0, 0, 0, 0},
        {32767, false, 32767, 32767, 100, 100},  // one frame per step
        {32768, true, 32767, 32768, 32768, 32767},
        {32768, true, 16383, 16383, 16384, 16384}, // 16,383.4999 and 16,383.5000 (to even)
        {65534, true, 1, 2, 1, 0},               // frame 1 is half a step: to even
        {65534, true, 2, 4, 3, 2},               // frame 3 is a step and a half: to even
        {kDay48, true, 16384, 2073663283, kDay48, 32767},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.total);
        const SliderScale scale(c.total);
        EXPECT_EQ(scale.scaled(), c.scaled);
        EXPECT_EQ(scale.frameAt(c.step), c.frameAtStep);
        EXPECT_EQ(scale.stepAt(c.frame), c.stepAtFrame);
    }
}

TEST(BusyFlag, NestedGuardsReleaseOnlyWithTheLast)
{
    BusyFlag flag;
    EXPECT_FALSE(flag.isBusy());
    {
        BusyGuard outer(flag);
        {
            BusyGuard inner(flag);
            EXPECT_TRUE(flag.isBusy());
            inner.release();
            inner.release(); // a second release gives up nothing more
            EXPECT_TRUE(flag.isBusy());
        }
        EXPECT_TRUE(flag.isBusy());
    }
    EXPECT_FALSE(flag.isBusy());
}

TEST(BusyFlag, AMovedGuardHoldsUntilItsContinuationEnds)
{
    BusyFlag flag;
    std::function<void()> continuation;
    {
        BusyGuard guard(flag);
        continuation = [held = std::make_shared<BusyGuard>(std::move(guard))] { held->release(); };
    }
    EXPECT_TRUE(flag.isBusy());
    continuation();
    EXPECT_FALSE(flag.isBusy());

    BusyGuard a(flag);
    BusyGuard b(flag);
    a = std::move(b); // a gives up its own hold and takes b's
    EXPECT_TRUE(flag.isBusy());
    a.release();
    EXPECT_FALSE(flag.isBusy());
}

// The label toggles on every fifth tick of a running take; a pause shows "Paused" opaque with white
// text and holds the count, which goes on from where it was once the take runs again.
TEST(RecordingLabelBlink, EveryFifthTickTogglesAndAPauseHoldsTheCount)
{
    const RecordingLabelLook clear{QStringLiteral("Recording"), true, true};
    const RecordingLabelLook shown{QStringLiteral("Recording"), false, true};
    const RecordingLabelLook hidden{QStringLiteral("Recording"), true, false};
    const RecordingLabelLook paused{QStringLiteral("Paused"), false, true};
    const struct {
        bool paused;
        RecordingLabelLook look;
    } ticks[] = {
        {false, clear},  {false, clear},  {false, clear}, {false, clear}, {false, shown},  // 5th: opaque
        {false, shown},  {false, shown},  {true, paused}, {true, paused},                  // paused at count 2
        {false, shown},  {false, shown},  {false, hidden},                                 // 3, 4, 5: black text
        {false, hidden}, {false, hidden}, {false, hidden}, {false, hidden}, {false, shown},
    };
    RecordingLabelBlink blink;
    EXPECT_EQ(blink.look(), clear);
    int n = 0;
    for (const auto& t : ticks) {
        SCOPED_TRACE(++n);
        EXPECT_EQ(blink.tick(t.paused), t.look);
        EXPECT_EQ(blink.look(), t.look);
    }
    blink.reset();
    EXPECT_EQ(blink.look(), clear);
    for (int i = 1; i < kRecordingLabelBlinkTicks; ++i)
        EXPECT_EQ(blink.tick(false), clear) << i;
    EXPECT_EQ(blink.tick(false), shown);
}

} // namespace
