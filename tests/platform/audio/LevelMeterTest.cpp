// Peak levels over the poll window.
#include "platform/audio/LevelMeter.h"

#include "tests/platform/audio/EngineTestSupport.h"

#include <gtest/gtest.h>

using platform::audio::LevelMeter;
using platform::audio::StreamFormat;

// A meter nobody polled for long still gives the peak of its whole window, the newest frames
// included, and nothing from before it afterwards.
TEST(LevelMeter, ALatePollSeesTheWholeWindow)
{
    LevelMeter meter(StreamFormat{8000, 2, 16});
    const QByteArray quiet = enginetest::constant16(1024, 8192);
    for (int i = 0; i < 3000; ++i)
        meter.add(quiet.constData(), 1024, int64_t(i) * 1024);
    const QByteArray loud = enginetest::constant16(10, -32768);
    meter.add(loud.constData(), 10, 3000 * 1024);
    int left = -1;
    int right = -1;
    meter.poll(INT64_MAX, &left, &right);
    EXPECT_EQ(left, 100);
    EXPECT_EQ(right, 100);
    meter.poll(INT64_MAX, &left, &right);
    EXPECT_EQ(left, 0);
    meter.add(quiet.constData(), 1024, 4000 * 1024);
    meter.poll(INT64_MAX, &left, &right);
    EXPECT_EQ(left, 25);
}

// 8-bit samples are measured around 128; mono shows on both sides; only blocks begun before the
// heard frame count.
TEST(LevelMeter, EightBitMonoAndTheHeardFrame)
{
    LevelMeter meter(StreamFormat{8000, 1, 8});
    const QByteArray first(100, char(128 + 64));
    const QByteArray second(100, char(0));
    meter.add(first.constData(), 100, 0);
    meter.add(second.constData(), 100, 100);
    int left = -1;
    int right = -1;
    meter.poll(100, &left, &right);
    EXPECT_EQ(left, 50);
    EXPECT_EQ(right, 50);
    meter.poll(101, &left, &right);
    EXPECT_EQ(left, 100);
}
