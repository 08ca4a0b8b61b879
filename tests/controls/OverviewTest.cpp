// The overview strip and its frame as widgets (offscreen): the frame hidden until a file is open,
// then reaching past the strip's top and bottom; dragging it sideways within the strip, vertical
// drags ignored, resizing by its side borders, and the event raised after each change; the whole
// file shown at any width of the strip.
#include "controls/Overview.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <atomic>

using namespace controls;

namespace {

class OverviewTest : public ::testing::Test {
protected:
    OverviewTest()
    {
        m_window.resize(460, 120);
        m_overview = new TQzv32Overview(&m_window);
        m_overview->setGeometry(20, 30, 400, 40);
        m_window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    }

    void open()
    {
        QList<int16_t> samples;
        for (int i = 0; i < 16000; ++i)
            samples << int16_t((i % 40) * 500 - 10000);
        const QString path = testsupport::testFolder() + "/strip.wav";
        testsupport::writeFile(path, wavefixtures::pcmWave(wavefixtures::waveFormat(1, 1, 8000, 16), wavefixtures::pcm16(samples)));
        ASSERT_EQ(m_overview->OpenWaveFile(path), 0);
    }

    // Drags within the frame from one point to another, both in the window's coordinates (the
    // frame moves under the pointer meanwhile).
    void drag(QPoint from, QPoint to, int steps = 4)
    {
        TQzv32OViewFrame* frame = m_overview->frame();
        QTest::mousePress(frame, Qt::LeftButton, {}, frame->mapFrom(&m_window, from));
        for (int i = 1; i <= steps; ++i) {
            const QPoint at = from + (to - from) * i / steps;
            QTest::mouseMove(frame, frame->mapFrom(&m_window, at));
        }
        QTest::mouseRelease(frame, Qt::LeftButton, {}, frame->mapFrom(&m_window, to));
    }

    // A point on the strip's middle row at x in the overview, in the window's coordinates.
    QPoint strip(int x) const { return m_overview->mapTo(&m_window, QPoint(x, 20)); }

    QWidget m_window;
    TQzv32Overview* m_overview;
};

} // namespace

TEST_F(OverviewTest, FrameAppearsWithTheFile)
{
    EXPECT_FALSE(m_overview->ShowCaret());
    EXPECT_FALSE(m_overview->EnableKeyboardSupport());
    EXPECT_FALSE(m_overview->EnableMouseSupport());
    EXPECT_TRUE(m_overview->frame()->isHidden());
    open();
    EXPECT_FALSE(m_overview->frame()->isHidden());
    EXPECT_EQ(m_overview->frame()->geometry(), QRect(0, -40, 400, 120));
    // A new height keeps the frame reaching past the strip.
    m_overview->resize(400, 60);
    EXPECT_EQ(m_overview->frame()->geometry(), QRect(0, -40, 400, 140));
    m_overview->CloseWave();
    EXPECT_TRUE(m_overview->frame()->isHidden());
}

TEST_F(OverviewTest, DraggingMovesTheFrameSidewaysWithinTheStrip)
{
    open();
    QSignalSpy changes(m_overview, &TQzv32Overview::OnFramePosSizeChange);
    TQzv32OViewFrame* frame = m_overview->frame();
    frame->setFrameLeftAndWidth(100, 80);
    EXPECT_EQ(frame->geometry(), QRect(100, -40, 80, 120));
    EXPECT_EQ(changes.count(), 1);
    frame->setFrameLeftAndWidth(100, 80);
    EXPECT_EQ(changes.count(), 1) << "no change, no event";

    // Beyond the right end: the right border stops at the strip's right edge.
    drag(strip(140), strip(600));
    EXPECT_EQ(frame->geometry(), QRect(320, -40, 80, 120));
    EXPECT_GT(changes.count(), 1);
    // Beyond the left end: at 0.
    drag(strip(350), strip(-300));
    EXPECT_EQ(frame->x(), 0);
    EXPECT_EQ(frame->width(), 80);
    // Sideways only: a vertical drag changes nothing and raises nothing.
    frame->setFrameLeftAndWidth(150, 80);
    changes.clear();
    drag(strip(190), strip(190) + QPoint(0, 35));
    EXPECT_EQ(frame->geometry(), QRect(150, -40, 80, 120));
    EXPECT_EQ(changes.count(), 0);
    // A diagonal drag keeps only its sideways part.
    drag(strip(190), strip(190) + QPoint(30, -25));
    EXPECT_EQ(frame->geometry(), QRect(180, -40, 80, 120));
}

TEST_F(OverviewTest, SideBordersResizeTheFrame)
{
    open();
    TQzv32OViewFrame* frame = m_overview->frame();
    frame->setFrameLeftAndWidth(100, 100);
    QSignalSpy changes(m_overview, &TQzv32Overview::OnFramePosSizeChange);
    std::vector<QRect> seen;
    QObject::connect(m_overview, &TQzv32Overview::OnFramePosSizeChange, [&] { seen.push_back(frame->geometry()); });

    // The left border: the left and the width change, the right side stays.
    drag(strip(101), strip(61), 2);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], QRect(80, -40, 120, 120));
    EXPECT_EQ(seen[1], QRect(60, -40, 140, 120));
    // Past the strip's left end it stops at 0; past the right side at the least width.
    drag(strip(61), strip(-50));
    EXPECT_EQ(frame->geometry(), QRect(0, -40, 200, 120));
    drag(strip(1), strip(300));
    EXPECT_EQ(frame->geometry(), QRect(200 - TQzv32OViewFrame::kMinUserWidth, -40, TQzv32OViewFrame::kMinUserWidth, 120));

    // The right border: out to the strip's end, and no further.
    frame->setFrameLeftAndWidth(100, 100);
    drag(strip(198), strip(700));
    EXPECT_EQ(frame->geometry(), QRect(100, -40, 300, 120));

    // Set from code wider than the strip: as wide as the strip.
    frame->setFrameLeftAndWidth(50, 1000);
    EXPECT_EQ(frame->geometry(), QRect(0, -40, 400, 120));
}

// The strip shows the whole file at any width: narrower, wider, and wider again (where a plain
// display alternates +1 and -1 on its refitted zoom).
TEST_F(OverviewTest, EveryWidthShowsTheWholeFile)
{
    open();
    std::atomic<int32_t> progress{0};
    ASSERT_EQ(m_overview->BuildPeaks(progress), 0);
    ASSERT_EQ(m_overview->DrawView(m_overview->MaxZoomLevel(), 0), 0);
    for (const int width : {300, 250, 420, 440, 460, 200}) {
        SCOPED_TRACE(width);
        m_overview->resize(width, 40);
        EXPECT_EQ(m_overview->ZoomLevel(), m_overview->MaxZoomLevel());
        EXPECT_EQ(m_overview->LeftSamplePos(), 0u);
        EXPECT_EQ(m_overview->RightSamplePos(), 16000u);
        EXPECT_EQ(m_overview->viewImage().width(), width - 2);
    }
}
