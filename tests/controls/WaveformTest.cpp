// The waveform display as a widget (offscreen): zoom and scroll, the caret, selection by mouse and
// keys with automatic scrolling, the selection commands and the events they raise, resizing,
// painting (selection, HideWaveForm, the border), where a rendered waveform lies, and input it
// cannot draw.
#include "controls/Waveform.h"
#include "controls/WaveDisplayCodes.h"
#include "platform/base/Colors.h"
#include "platform/base/Rounding.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <cmath>
#include <memory>
#include <numbers>

using namespace controls;
using namespace wavefixtures;
using testsupport::testFolder;
using testsupport::writeFile;

namespace {

constexpr int kWidth = 500;
constexpr int kHeight = 201;
const QColor kBackground(0, 0, 0);
const QColor kWave(255, 255, 255);
const QColor kAxis(255, 0, 0);
const QColor kSelectionBackground(0, 0, 255);
const QColor kSelectionWave(255, 255, 0);

// Frame f of channel c of the test signals.
using Signal = std::function<int16_t(int f, int c)>;

QString writeSignal(int frames, int channels, const Signal& signal)
{
    QList<int16_t> samples;
    samples.reserve(frames * channels);
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c)
            samples << signal(f, c);
    }
    const QString path = testFolder() + "/signal.wav";
    writeFile(path, pcmWave(waveFormat(1, uint16_t(channels), 8000, 16), pcm16(samples)));
    return path;
}

int16_t sine(int f, int period, int amplitude)
{
    return int16_t(std::lround(amplitude * std::sin(2 * std::numbers::pi * f / period)));
}

class WaveformTest : public ::testing::Test {
protected:
    WaveformTest()
    {
        m_host.resize(kWidth + 40, kHeight + 40);
        m_display = new TQzv32WaveDisplay(&m_host);
        m_display->setGeometry(10, 10, kWidth + 2, kHeight + 2); // a one-pixel border
        m_display->setBackGroundColor(kBackground);
        m_display->setWaveFormColor(kWave);
        m_display->setAxisColor(kAxis);
        m_display->setSelectionBackGroundColor(kSelectionBackground);
        m_display->setSelectionWaveFormColor(kSelectionWave);
        m_host.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_host));
    }

    // Opens a file, builds its cache and renders it at zoom from left.
    void open(const QString& path, uint32_t zoom, uint32_t left = 0)
    {
        ASSERT_EQ(m_display->OpenWaveFile(path), 0);
        std::atomic<int32_t> progress{0};
        ASSERT_EQ(m_display->BuildPeaks(progress), 0);
        ASSERT_EQ(m_display->DrawView(zoom, left), 0);
    }

    void openLong(uint32_t zoom, uint32_t left = 0)
    {
        open(writeSignal(200000, 1, [](int f, int) { return sine(f, 400, 20000); }), zoom, left);
    }

    // A client position as a widget position.
    QPoint at(int x, int y = kHeight / 2) const { return QPoint(x, y) + m_display->contentsRect().topLeft(); }

    void press(int x) { QTest::mousePress(m_display, Qt::LeftButton, {}, at(x)); }
    void move(int x) { QTest::mouseMove(m_display, at(x)); }
    void release(int x) { QTest::mouseRelease(m_display, Qt::LeftButton, {}, at(x)); }

    QImage picture() const { return m_display->grab().toImage().copy(m_display->contentsRect()); }

    QWidget m_host;
    TQzv32WaveDisplay* m_display = nullptr;
};

using Selection = std::pair<quint32, quint32>;

Selection lastSelection(const QSignalSpy& spy)
{
    EXPECT_FALSE(spy.isEmpty());
    if (spy.isEmpty())
        return {};
    return {spy.last().at(0).toUInt(), spy.last().at(1).toUInt()};
}

} // namespace

TEST_F(WaveformTest, OpeningShowsTheEmptyPictureUntilTheOwnerRenders)
{
    EXPECT_EQ(m_display->ZoomLevel(), 1u);
    const QString path = writeSignal(10000, 2, [](int f, int c) { return sine(f, 100, c ? 8000 : 16000); });
    ASSERT_EQ(m_display->OpenWaveFile(path), 0);
    EXPECT_EQ(m_display->ZoomLevel(), 32u);
    EXPECT_EQ(m_display->CaretPositionBySamples(), 0u);
    EXPECT_EQ(m_display->MaxZoomLevel(), 21u) << "10,000 frames in 500 pixels";
    EXPECT_TRUE(m_display->viewImage().isNull());
    EXPECT_EQ(m_display->caretPixel(), 0);

    std::atomic<int32_t> progress{0};
    ASSERT_EQ(m_display->BuildPeaks(progress), 0);
    ASSERT_EQ(m_display->DrawView(32, 0), 0);
    EXPECT_EQ(m_display->ZoomLevel(), 21u) << "drawn whole, from the samples";
    EXPECT_EQ(m_display->LeftSamplePos(), 0u);
    EXPECT_EQ(m_display->RightSamplePos(), 10000u);
    EXPECT_EQ(m_display->viewImage().size(), QSize(kWidth, kHeight));
    EXPECT_EQ(m_display->MaxPosition(), 0u);

    m_display->CloseWave();
    EXPECT_EQ(m_display->WaveFileName(), QString());
    EXPECT_EQ(m_display->ZoomLevel(), 1u);
    EXPECT_EQ(m_display->TotalSamples(), 0u);
    EXPECT_FALSE(m_display->caretPixel());
    EXPECT_EQ(picture().pixelColor(2, kHeight - 2), kBackground);
}

TEST_F(WaveformTest, ZoomKeepsTheCaretAtTheLeftEdgeExceptInTheFirstAndLastScreen)
{
    openLong(1);
    QSignalSpy caretMoves(m_display, &TQzv32WaveDisplay::OnCaretPositionChange);
    struct Case {
        uint32_t caret, left, right;
    };
    // Zoom 10 shows 5,000 of 200,000 frames.
    const Case cases[] = {{100, 0, 5000}, {100000, 100000, 105000}, {199000, 195000, 200000}};
    for (const Case& c : cases) {
        m_display->setZoomLevel(1);
        m_display->setCaretPositionBySamples(c.caret);
        m_display->setZoomLevel(10);
        EXPECT_EQ(m_display->ZoomLevel(), 10u);
        EXPECT_EQ(m_display->LeftSamplePos(), c.left) << c.caret;
        EXPECT_EQ(m_display->RightSamplePos(), c.right) << c.caret;
        EXPECT_EQ(m_display->caretPixel(), std::min<int>((c.caret - c.left) / 10, kWidth - 2));
    }
    EXPECT_TRUE(caretMoves.isEmpty()) << "setting the properties raises no event";

    m_display->setZoomLevel(0);
    EXPECT_EQ(m_display->ZoomLevel(), 1u);
    m_display->setZoomLevel(100000);
    EXPECT_EQ(m_display->ZoomLevel(), m_display->MaxZoomLevel()) << "clamped to the whole file";
    EXPECT_EQ(m_display->RightSamplePos(), 200000u);

    m_display->setZoomLevel(10);
    m_display->setLeftSamplePos(50000);
    EXPECT_EQ(m_display->LeftSamplePos(), 50000u);
    EXPECT_FALSE(m_display->caretPixel()) << "the caret is out of view";
    m_display->setLeftSamplePos(4000000);
    EXPECT_EQ(m_display->LeftSamplePos(), 195000u) << "kept inside the file";
    EXPECT_EQ(m_display->MaxPosition(), 195000u);
}

TEST_F(WaveformTest, DraggingSelectsAndReportsTheSmallerEndFirst)
{
    openLong(10);
    QSignalSpy selections(m_display, &TQzv32WaveDisplay::OnSelection);
    QSignalSpy caretMoves(m_display, &TQzv32WaveDisplay::OnCaretPositionChange);
    press(100);
    EXPECT_FALSE(m_display->caretPixel()) << "hidden while the button is down";
    move(70);
    EXPECT_EQ(lastSelection(selections), Selection(700, 1000));
    move(40);
    release(40);
    EXPECT_EQ(lastSelection(selections), Selection(400, 1000));
    EXPECT_EQ(m_display->SelectionStartPos(), 1000u);
    EXPECT_EQ(m_display->SelectionEndPos(), 400u);
    EXPECT_EQ(m_display->CaretPositionBySamples(), 400u);
    EXPECT_EQ(m_display->caretPixel(), 40);
    EXPECT_EQ(caretMoves.size(), 1);
    EXPECT_TRUE(m_display->hasFocus());

    // A click without a move puts the caret there and clears the selection.
    selections.clear();
    press(250);
    release(250);
    EXPECT_EQ(lastSelection(selections), Selection(0, 0));
    EXPECT_EQ(m_display->SelectionStartPos(), 0u);
    EXPECT_EQ(m_display->SelectionEndPos(), 0u);
    EXPECT_EQ(m_display->CaretPositionBySamples(), 2500u);

    // Moving back onto the start reports no selection.
    selections.clear();
    press(300);
    move(320);
    move(300);
    EXPECT_EQ(lastSelection(selections), Selection(0, 0));
    release(300);

    // Without mouse support nothing happens.
    m_display->setEnableMouseSupport(false);
    selections.clear();
    press(10);
    move(60);
    release(60);
    EXPECT_TRUE(selections.isEmpty());
    EXPECT_EQ(m_display->CaretPositionBySamples(), 3000u);
}

// A file of 300 frames at zoom 1 leaves the view right of x = 300 empty. A press there is a press at
// the end of the file: the caret goes there and the owner hears of it, as for any other click.
TEST_F(WaveformTest, AClickRightOfTheLastFrameCountsAsAClickAtTheEnd)
{
    open(writeSignal(300, 1, [](int f, int) { return sine(f, 50, 12000); }), 1);
    ASSERT_EQ(m_display->RightSamplePos(), 300u);
    struct Case {
        const char* name;
        int pressX, releaseX;
        uint32_t caret, start, end;
        Selection reported;
    };
    const Case cases[] = {
        {"a click inside, for comparison", 100, 100, 100, 0, 0, Selection(0, 0)},
        {"a click past the end", 400, 400, 300, 0, 0, Selection(0, 0)},
        {"a click on the last frame's edge", 300, 300, 300, 0, 0, Selection(0, 0)},
        {"a drag from past the end", 450, 120, 120, 300, 120, Selection(120, 300)},
        {"a drag to past the end", 120, 450, 300, 120, 300, Selection(120, 300)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_display->setCaretPositionBySamples(50);
        QSignalSpy selections(m_display, &TQzv32WaveDisplay::OnSelection);
        QSignalSpy caretMoves(m_display, &TQzv32WaveDisplay::OnCaretPositionChange);
        press(c.pressX);
        if (c.releaseX != c.pressX)
            move(c.releaseX);
        release(c.releaseX);
        EXPECT_EQ(m_display->CaretPositionBySamples(), c.caret);
        EXPECT_EQ(caretMoves.size(), 1);
        EXPECT_EQ(lastSelection(selections), c.reported);
        EXPECT_EQ(m_display->SelectionStartPos(), c.start);
        EXPECT_EQ(m_display->SelectionEndPos(), c.end);
        EXPECT_EQ(m_display->caretPixel(), int(c.caret)) << "shown again after the release";
        m_display->ClearSelection();
    }
}

TEST_F(WaveformTest, HoldingTheButtonOutsideTheViewScrollsUntilTheEdgeOfTheFile)
{
    openLong(10, 20000);
    QSignalSpy selections(m_display, &TQzv32WaveDisplay::OnSelection);
    press(200);
    move(-20); // and stay there
    QTRY_COMPARE_WITH_TIMEOUT(m_display->LeftSamplePos(), 0u, 10000);
    EXPECT_EQ(lastSelection(selections), Selection(0, 22000));
    release(-20);
    EXPECT_EQ(m_display->SelectionEndPos(), 0u);
    EXPECT_EQ(m_display->CaretPositionBySamples(), 0u);

    m_display->setLeftSamplePos(180000);
    press(100);
    move(kWidth + 30);
    QTRY_COMPARE_WITH_TIMEOUT(m_display->RightSamplePos(), 200000u, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(lastSelection(selections), Selection(181000, 200000), 10000);
    release(kWidth + 30);
    EXPECT_EQ(m_display->SelectionEndPos(), 200000u) << "let go outside: the end stays at the edge";
}

TEST_F(WaveformTest, CaretKeysMoveAndShiftExtendsTheSelection)
{
    openLong(10);
    m_display->setFocus();
    m_display->setCaretPositionBySamples(1000);
    QSignalSpy selections(m_display, &TQzv32WaveDisplay::OnSelection);
    QSignalSpy caretMoves(m_display, &TQzv32WaveDisplay::OnCaretPositionChange);

    QTest::keyClick(m_display, Qt::Key_Left, Qt::ShiftModifier);
    ASSERT_FALSE(selections.isEmpty());
    EXPECT_EQ(Selection(selections.first().at(0).toUInt(), selections.first().at(1).toUInt()), Selection(1000, 990))
        << "in stored order";
    EXPECT_EQ(m_display->CaretPositionBySamples(), 990u);
    QTest::keyClick(m_display, Qt::Key_Left, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(lastSelection(selections), Selection(1000, 890));
    EXPECT_GE(caretMoves.size(), 2);

    // A key without Shift drops the selection and moves from the caret.
    QTest::keyClick(m_display, Qt::Key_Right);
    EXPECT_EQ(lastSelection(selections), Selection(0, 0));
    EXPECT_EQ(m_display->SelectionStartPos(), 0u);
    EXPECT_EQ(m_display->CaretPositionBySamples(), 900u);

    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        uint32_t from, to;
    };
    const Case cases[] = {
        {Qt::Key_Right, Qt::ControlModifier, 1000, 1100},
        {Qt::Key_Right, Qt::ControlModifier, 199950, 200000},
        {Qt::Key_Left, Qt::NoModifier, 0, 0},
        {Qt::Key_Home, Qt::NoModifier, 5000, 0},
        {Qt::Key_End, Qt::NoModifier, 5000, 200000},
        {Qt::Key_Up, Qt::NoModifier, 5000, 5000},
        {Qt::Key_Down, Qt::NoModifier, 5000, 5000},
    };
    for (const Case& c : cases) {
        m_display->setCaretPositionBySamples(c.from);
        QTest::keyClick(m_display, c.key, c.modifiers);
        EXPECT_EQ(m_display->CaretPositionBySamples(), c.to) << c.key << " from " << c.from;
        EXPECT_TRUE(m_display->caretPixel()) << "scrolled into view";
    }

    m_display->setEnableKeyboardSupport(false);
    m_display->setCaretPositionBySamples(5000);
    QTest::keyClick(m_display, Qt::Key_Right);
    EXPECT_EQ(m_display->CaretPositionBySamples(), 5000u);
}

TEST_F(WaveformTest, SelectionCommands)
{
    openLong(10);
    QSignalSpy selections(m_display, &TQzv32WaveDisplay::OnSelection);
    QSignalSpy caretMoves(m_display, &TQzv32WaveDisplay::OnCaretPositionChange);

    m_display->SetSelection(0, 200100);
    EXPECT_EQ(m_display->SelectionStartPos(), 0u);
    EXPECT_EQ(m_display->SelectionEndPos(), 200000u) << "clamped to the end";
    EXPECT_EQ(m_display->CaretPositionBySamples(), 200000u);
    EXPECT_TRUE(selections.isEmpty()) << "SetSelection raises no OnSelection";
    EXPECT_EQ(caretMoves.size(), 1);

    m_display->ClearSelection();
    EXPECT_EQ(lastSelection(selections), Selection(0, 0));
    m_display->SelectAll();
    EXPECT_EQ(lastSelection(selections), Selection(0, 200000));
    const qsizetype count = selections.size();
    m_display->SelectAll();
    EXPECT_EQ(selections.size(), count) << "already all selected";

    m_display->SetSelection(6000, 1000);
    m_display->ZoomToSelection();
    EXPECT_EQ(m_display->LeftSamplePos(), 1000u);
    EXPECT_EQ(m_display->ZoomLevel(), 11u) << "5,000 frames in 500 pixels";

    m_display->CloseWave();
    selections.clear();
    m_display->SelectAll();
    m_display->ClearSelection();
    m_display->ZoomToSelection();
    EXPECT_TRUE(selections.isEmpty()) << "nothing without a file";
}

TEST_F(WaveformTest, PaintingShowsTheSelectionInItsColoursAndTheCaret)
{
    openLong(10);
    m_display->setCaretColor(QColor(0, 255, 0));
    m_display->SetSelection(1000, 2000); // columns 100 to 200; the caret goes to 200
    const QImage shown = picture();
    EXPECT_EQ(shown.pixelColor(50, 5), kBackground);
    EXPECT_EQ(shown.pixelColor(150, 5), kSelectionBackground);
    EXPECT_EQ(shown.pixelColor(250, 5), kBackground);
    EXPECT_EQ(shown.pixelColor(200, 5), QColor(0, 255, 0)) << "the caret";
    bool selectionWave = false;
    for (int y = 0; y < kHeight; ++y)
        selectionWave = selectionWave || shown.pixelColor(150, y) == kSelectionWave;
    EXPECT_TRUE(selectionWave);

    m_display->setEnableSelection(false);
    m_display->update();
    EXPECT_EQ(picture().pixelColor(150, 5), kBackground) << "a selection is not drawn when disabled";
}

TEST_F(WaveformTest, HideWaveFormDrawsOnlyTheBackgroundAndAZeroLinePerChannel)
{
    open(writeSignal(20000, 2, [](int f, int) { return sine(f, 50, 30000); }), 32);
    m_display->HideWaveForm = true;
    m_display->setShowCaret(false);
    m_display->update();
    const QImage shown = picture();
    for (int y = 0; y < kHeight; ++y) {
        for (const int x : {0, 123, kWidth - 1}) {
            const QColor expected = (y == 50 || y == 150) ? kAxis : kBackground;
            ASSERT_EQ(shown.pixelColor(x, y), expected) << x << "," << y;
        }
    }
}

// Real resizes of the widget, in order: a user who scrolled away from the caret keeps the place and
// the zoom through height changes, narrowing and widening, until a widening takes the view past
// the end of the file. Only then is the former span refitted to the width (+1 and -1 on the
// quotient in turn) and the view goes to the caret, as for any zoom change. No resize raises an
// event.
TEST_F(WaveformTest, ResizingKeepsTheZoomAndThePlaceUntilTheFileNoLongerFills)
{
    openLong(10);
    m_display->setCaretPositionBySamples(1000);
    m_display->setLeftSamplePos(50000);
    QSignalSpy caretMoves(m_display, &TQzv32WaveDisplay::OnCaretPositionChange);
    QSignalSpy selections(m_display, &TQzv32WaveDisplay::OnSelection);
    struct Step {
        const char* name;
        std::optional<uint32_t> scrollTo; // the user scrolls before the resize
        int width, height;
        uint32_t zoom, left, right;
    };
    const Step steps[] = {
        {"height only", std::nullopt, kWidth, 150, 10, 50000, 55000},
        {"height back", std::nullopt, kWidth, kHeight, 10, 50000, 55000},
        {"narrower", std::nullopt, 400, kHeight, 10, 50000, 54000},
        {"wider, still inside the file", std::nullopt, 600, 120, 10, 50000, 56000},
        {"wider up to the last frame exactly", 193500u, 650, kHeight, 10, 193500, 200000},
        // From 193,500 at zoom 10, 900 pixels would pass the end: 6,500 div 900 + 1.
        {"wider past the end: refitted, to the caret", std::nullopt, 900, kHeight, 8, 0, 7200},
        // From the last screen (192,800 to 200,000), 1,000 pixels at zoom 8 would pass the end.
        {"past the end again: the next refit subtracts one", 192800u, 1000, 180, 7200 / 1000 - 1, 0, 6000},
    };
    m_host.resize(1100, 300);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.scrollTo)
            m_display->setLeftSamplePos(*step.scrollTo);
        m_display->resize(step.width + 2, step.height + 2);
        EXPECT_EQ(m_display->ZoomLevel(), step.zoom);
        EXPECT_EQ(m_display->LeftSamplePos(), step.left);
        EXPECT_EQ(m_display->RightSamplePos(), step.right);
        EXPECT_EQ(m_display->viewImage().size(), QSize(step.width, step.height));
        EXPECT_EQ(m_display->CaretPositionBySamples(), 1000u);
        EXPECT_EQ(picture().size(), QSize(step.width, step.height));
    }
    EXPECT_TRUE(caretMoves.isEmpty());
    EXPECT_TRUE(selections.isEmpty());
}

// Where the waveform lies in the rendering, checked against the samples written: from the samples
// (zoom below 32) the trace passes through every column's extremes; from the cache the drawn
// columns are the ones that cover a burst of sound in each channel, and nothing else.
TEST_F(WaveformTest, TheRenderedWaveformLiesWhereTheSamplesAre)
{
    const int amplitude = 16384; // half scale: 50 pixels in a 100-pixel half band
    const QString slow = writeSignal(64000, 1, [&](int f, int) { return sine(f, 1000, amplitude); });
    ASSERT_EQ(m_display->OpenWaveFile(slow), 0);
    std::atomic<int32_t> progress{0};
    ASSERT_EQ(m_display->BuildPeaks(progress), 0);
    for (const uint32_t zoom : {1u, 4u, 16u}) {
        for (const uint32_t left : {0u, 12345u}) {
            SCOPED_TRACE(testing::Message() << "zoom " << zoom << " left " << left);
            ASSERT_EQ(m_display->DrawView(zoom, left), 0);
            const QImage image = m_display->viewImage();
            for (int x = 0; x < kWidth; ++x) {
                int16_t lo = INT16_MAX, hi = INT16_MIN;
                for (uint32_t f = left + x * zoom; f < left + (x + 1) * zoom; ++f) {
                    lo = std::min(lo, sine(int(f), 1000, amplitude));
                    hi = std::max(hi, sine(int(f), 1000, amplitude));
                }
                for (const int16_t v : {lo, hi}) {
                    const int y = 100 - int(platform::roundHalfEven(100.0 * v / 32767));
                    if (y != 100) {
                        ASSERT_EQ(image.pixelColor(x, y), kWave) << "x " << x << " value " << v;
                    }
                }
                for (int y = 0; y < kHeight; ++y) {
                    if (y < 50 || y > 150) {
                        ASSERT_EQ(image.pixelColor(x, y), kBackground) << x << "," << y;
                    }
                }
            }
        }
    }

    // Stereo: a square burst on the left channel at frames 20,000 to 30,000 and on the right at
    // 50,000 to 52,000, silence elsewhere.
    const QString bursts = writeSignal(100000, 2, [&](int f, int c) -> int16_t {
        const bool on = c == 0 ? (f >= 20000 && f < 30000) : (f >= 50000 && f < 52000);
        return on ? int16_t(f % 2 ? amplitude : -amplitude) : int16_t(0);
    });
    ASSERT_EQ(m_display->OpenWaveFile(bursts), 0);
    ASSERT_EQ(m_display->BuildPeaks(progress), 0);
    const int bandCentres[] = {50, 150};
    const int burst[2][2] = {{20000, 30000}, {50000, 52000}};
    for (const uint32_t zoom : {32u, 40u, 50u, 64u, 100u, 201u}) {
        SCOPED_TRACE(testing::Message() << "zoom " << zoom);
        ASSERT_EQ(m_display->DrawView(zoom, 15000), 0);
        ASSERT_EQ(m_display->ZoomLevel(), zoom);
        const uint32_t left = m_display->LeftSamplePos();
        const QImage image = m_display->viewImage();
        for (int c = 0; c < 2; ++c) {
            const int centre = bandCentres[c];
            const int64_t first = (int64_t(burst[c][0]) - left) / zoom;
            const int64_t last = (int64_t(burst[c][1]) - 1 - left) / zoom;
            bool reachedTop = false, reachedBottom = false;
            for (int x = 0; x < kWidth; ++x) {
                bool sound = false;
                for (int y = centre - 50; y < centre + 50; ++y) {
                    if (y == centre)
                        continue;
                    const bool wave = image.pixelColor(x, y) == kWave;
                    sound = sound || wave;
                    if (wave && (y < centre - 25 || y > centre + 25))
                        FAIL() << "channel " << c << " drawn beyond its amplitude at " << x << "," << y;
                    reachedTop = reachedTop || (wave && y == centre - 25);
                    reachedBottom = reachedBottom || (wave && y == centre + 25);
                }
                if (x < first - 3 || x > last + 3) {
                    ASSERT_FALSE(sound) << "channel " << c << " drawn at column " << x;
                }
                if (x > first + 3 && x < last - 3) {
                    ASSERT_TRUE(sound) << "channel " << c << " missing at column " << x;
                }
            }
            const bool inView = last >= 0 && first < kWidth;
            EXPECT_EQ(reachedTop && reachedBottom, inView) << "channel " << c;
        }
    }
}

// Input the display cannot draw: no file, no cache, a cache being built, no client area, a cache
// for another length, zoom 0. Each gives its code or a harmless picture, never a crash.
TEST_F(WaveformTest, WhatCannotBeDrawnGivesACodeOrNothing)
{
    testsupport::LogCapture log;
    EXPECT_EQ(m_display->DrawView(32, 0), 0) << "no file";
    press(10);
    release(30);
    QTest::keyClick(m_display, Qt::Key_Right);
    m_display->setZoomLevel(4);
    m_display->setLeftSamplePos(100);
    EXPECT_EQ(m_display->ZoomLevel(), 1u);
    EXPECT_EQ(m_display->LeftSamplePos(), 0u);

    const QString path = writeSignal(50000, 2, [](int f, int c) { return sine(f, 300, c ? -9000 : 9000); });
    ASSERT_EQ(m_display->OpenWaveFile(path), 0);
    EXPECT_EQ(m_display->DrawView(64, 0), WaveDisplayCode::NothingToDraw) << "no cache yet";
    EXPECT_EQ(m_display->GetLastError(), WaveDisplayCode::NothingToDraw);
    EXPECT_TRUE(log.contains("failed with code 112", "va.controls"));
    EXPECT_EQ(m_display->DrawView(4, 0), WaveDisplayCode::NothingToDraw) << "not from the samples either";

    std::atomic<int32_t> progress{0};
    std::unique_ptr<PeakBuildJob> job = m_display->beginPeakBuild(progress);
    EXPECT_EQ(m_display->DrawView(64, 0), 0) << "nothing is drawn while the cache is built";
    EXPECT_TRUE(m_display->viewImage().isNull());
    job->run();
    ASSERT_EQ(m_display->finishPeakBuild(*job), 0);

    EXPECT_EQ(m_display->DrawView(0, 0), 0);
    EXPECT_EQ(m_display->ZoomLevel(), 1u) << "zoom 0 counts as 1";

    // The cache covers 50,000 frames but the display is told of 80,000: the rest is drawn flat.
    m_display->SetTotalSamples(80000);
    EXPECT_EQ(m_display->DrawView(m_display->MaxZoomLevel(), 0), 0);
    EXPECT_EQ(m_display->RightSamplePos(), 80000u);
    // Fewer frames than the cache: drawn from the entries there are.
    m_display->SetTotalSamples(10);
    EXPECT_EQ(m_display->DrawView(1, 5), 0);
    EXPECT_EQ(m_display->RightSamplePos(), 10u);
    m_display->SetTotalSamples(50000);

    m_display->resize(2, 2); // no client area left inside the border
    EXPECT_EQ(m_display->DrawView(10, 0), 0);
    m_display->resize(1, 0);
    press(0);
    move(-5);
    release(0);
    QTest::keyClick(m_display, Qt::Key_End);
    m_display->setZoomLevel(10);
    (void)picture();
    m_display->resize(kWidth + 2, kHeight + 2);
    EXPECT_EQ(m_display->DrawView(10, 0), 0);
    EXPECT_EQ(m_display->viewImage().size(), QSize(kWidth, kHeight));

    // A file that went away is reported when its samples are needed.
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(m_display->DrawView(2, 0), WaveDisplayCode::CannotOpenWave);
    EXPECT_EQ(m_display->DrawView(64, 0), 0) << "the cache alone still serves";
}

// The plain border stands out from the view's background whatever that is, until the owner sets the
// palette's text colour, which is then drawn as it stands.
TEST_F(WaveformTest, TheBorderStandsOutFromTheBackground)
{
    const QColor backgrounds[] = {QColor(0, 0, 0), QColor(255, 255, 255), QColor(0x1B, 0x20, 0x27),
                                  QColor(0x77, 0x77, 0x77)};
    for (const QColor& background : backgrounds) {
        SCOPED_TRACE(background.name().toStdString());
        m_display->setBackGroundColor(background);
        const QImage drawn = m_display->grab().toImage();
        const QColor border = drawn.pixelColor(0, kHeight / 2);
        ASSERT_EQ(drawn.pixelColor(1, kHeight / 2), background);
        EXPECT_EQ(drawn.pixelColor(kWidth + 1, 7), border) << "the same on every side";
        EXPECT_GE(platform::contrastRatio(border, background), platform::kEdgeContrast) << border.name().toStdString();
    }

    QPalette own = m_display->palette();
    own.setColor(QPalette::WindowText, QColor(20, 20, 20));
    m_display->setPalette(own);
    m_display->setBackGroundColor(kBackground);
    EXPECT_EQ(m_display->grab().toImage().pixelColor(0, kHeight / 2), QColor(20, 20, 20));
}
