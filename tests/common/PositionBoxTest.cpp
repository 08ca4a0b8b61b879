// The texts of a position field in either unit and the position a typed text stands for, in
// files longer than eight digits of samples and three digits of minutes.
#include "common/PositionBox.h"

#include "common/WaveUtil.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr int ms = kPositionMilliseconds;
constexpr int frames = kPositionFrames;
const WaveFormatEx k48 = makePcmFormat(48000, 16, 2);
const WaveFormatEx k44 = makePcmFormat(44100, 16, 1);
constexpr uint32_t kMinute48 = 48000u * 60;
constexpr uint32_t kThreeHours48 = 48000u * 3 * 3600;  // 518,400,000: nine digits
constexpr uint32_t kDay48 = 48000u * 24 * 3600;        // 4,147,200,000: ten digits

TEST(PositionBox, TextOfAPosition)
{
    const struct {
        int boxUnit;
        std::optional<WaveFormatEx> format;
        uint32_t total;
        uint32_t position;
        int positionUnit;
        const char* text;
    } cases[] = {
        {frames, k48, kMinute48, 0, frames, "00000000"},
        {frames, k48, kMinute48, kMinute48, frames, "02880000"},
        {ms, k48, kMinute48, 0, frames, "000:00:000"},
        {ms, k48, kMinute48, kMinute48, frames, "001:00:000"},
        {ms, k48, kMinute48, 61005, ms, "001:01:005"},
        {ms, k48, kThreeHours48, kThreeHours48, frames, "180:00:000"},
        {frames, k48, kThreeHours48, kThreeHours48, frames, "518400000"},
        {frames, k48, kThreeHours48, 0, frames, "000000000"},
        {frames, k48, kThreeHours48, 10800000, ms, "518400000"},
        {frames, k48, kDay48, kDay48, frames, "4147200000"},
        {ms, k48, kDay48, kDay48, frames, "1440:00:000"},
        {ms, k48, kDay48, 0, frames, "0000:00:000"},
        {ms, k48, kDay48, 86399999, ms, "1439:59:999"},
        // frames to milliseconds truncates: 44,101 frames are 1,000.02 ms
        {ms, k44, 441000, 44101, frames, "000:01:000"},
        // milliseconds to frames rounds halves to even: 5 ms = 220.5 frames, 15 ms = 661.5
        {frames, k44, 441000, 5, ms, "00000220"},
        {frames, k44, 441000, 15, ms, "00000662"},
        {frames, k44, 441000, 1, ms, "00000044"},
        // no track: nothing to convert with
        {frames, std::nullopt, 0, 5000, ms, "00000000"},
        {frames, std::nullopt, 0, 1234, frames, "00001234"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PositionBox(c.boxUnit, c.format, c.total).text(c.position, c.positionUnit).toStdString(), c.text);
    }
}

TEST(PositionBox, FrameOfATypedText)
{
    const struct {
        int boxUnit;
        std::optional<WaveFormatEx> format;
        uint32_t total;
        const char* text;
        std::optional<uint32_t> frame;
    } cases[] = {
        {frames, k48, kMinute48, "00000000", 0u},
        {frames, k48, kMinute48, "02880000", kMinute48},
        {frames, k48, kMinute48, "02880001", std::nullopt}, // one past the end
        {frames, k48, kMinute48, "    1234", 1234u},        // blanks of the mask
        {frames, k48, kMinute48, "", 0u},
        {frames, k48, kThreeHours48, "518400000", kThreeHours48},
        {frames, k48, kThreeHours48, "518400001", std::nullopt},
        {frames, k48, kDay48, "4147200000", kDay48},
        {frames, k48, kDay48, "4294967296", std::nullopt},
        {frames, k48, kDay48, "99999999999999", std::nullopt},
        {ms, k48, kMinute48 * 2, "001:01:005", 2928240u},
        {ms, k48, kThreeHours48, "180:00:000", kThreeHours48},
        {ms, k48, kThreeHours48, "180:00:001", std::nullopt},
        {ms, k48, kDay48, "1440:00:000", kDay48},
        {ms, k48, kDay48, "    0:00:000", 0u},
        {ms, k44, 441000, "000:00:005", 220u},
        {ms, k44, 441000, "000:00:015", 662u},
        {ms, k44, 441000, "000:10:000", 441000u},
        {ms, k44, 441000, "000:10:001", std::nullopt},
        // malformed
        {frames, k48, kMinute48, "12a", std::nullopt},
        {frames, k48, kMinute48, "-5", std::nullopt},
        {frames, k48, kMinute48, "+5", std::nullopt},
        {frames, k48, kMinute48, "1e5", std::nullopt},
        {frames, k48, kMinute48, "000:00:001", std::nullopt},
        {ms, k48, kMinute48, "1:2", std::nullopt},
        {ms, k48, kMinute48, "0:0:0:0", std::nullopt},
        {ms, k48, kMinute48, "000:60:000", std::nullopt},
        {ms, k48, kMinute48, "000:00:1000", std::nullopt},
        {ms, k48, kMinute48, "000:x0:000", std::nullopt},
        {ms, k48, kMinute48, "99999999999:00:000", std::nullopt},
        {ms, std::nullopt, 0, "000:00:000", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PositionBox(c.boxUnit, c.format, c.total).frameOf(QString::fromLatin1(c.text)), c.frame);
    }
}

// The editor lowers a position past the end to the end, so it needs the typed position itself.
TEST(PositionBox, TypedPositionMayLieBeyondTheEnd)
{
    const struct {
        int boxUnit;
        std::optional<WaveFormatEx> format;
        uint32_t total;
        const char* text;
        std::optional<uint64_t> value; // in the box's unit
        std::optional<uint64_t> frame;
    } cases[] = {
        {frames, k48, kMinute48, "02880001", uint64_t(kMinute48) + 1, uint64_t(kMinute48) + 1},
        {frames, k48, kMinute48, "99999999999", 99999999999u, 99999999999u},
        {frames, std::nullopt, 0, "00001234", 1234u, 1234u},
        {ms, k48, kMinute48, "999:59:999", 59999999u, 2879999952u},
        {ms, k48, kMinute48, "1439:59:999", 86399999u, 4147199952u},
        // past 32 bits of frames: a day and a half at 48 kHz
        {ms, k48, kMinute48, "2160:00:000", 129600000u, 6220800000u},
        // 1 ms is 44.1 frames: the millisecond typed is kept apart from the frame it rounds to
        {ms, k44, 441000, "000:00:001", 1u, 44u},
        // milliseconds without a format are a position, but no frame
        {ms, std::nullopt, 0, "001:01:005", 61005u, std::nullopt},
        {ms, k48, kMinute48, "000:60:000", std::nullopt, std::nullopt},
        {ms, k48, kMinute48, "0:0", std::nullopt, std::nullopt},
        {ms, k48, kMinute48, "71583:00:000", std::nullopt, std::nullopt}, // past 32 bits of ms
        {frames, k48, kMinute48, "9999999999999", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const PositionBox box(c.boxUnit, c.format, c.total);
        EXPECT_EQ(box.typedValue(QString::fromLatin1(c.text)), c.value);
        EXPECT_EQ(box.typedFrame(QString::fromLatin1(c.text)), c.frame);
    }
}

TEST(PositionBox, TextsReadBackToThePositionTheyShow)
{
    for (const uint32_t total : {0u, 1u, 44099u, kMinute48, 99999999u, 100000000u, kThreeHours48, kDay48}) {
        SCOPED_TRACE(total);
        const PositionBox samples(frames, k48, total);
        const PositionBox times(ms, k48, total);
        for (const uint32_t position : {0u, total / 3, total}) {
            EXPECT_EQ(samples.frameOf(samples.text(position, frames)), position);
            // a millisecond text stands for a frame within one millisecond that shows the same text
            const auto back = times.frameOf(times.text(position, frames));
            ASSERT_TRUE(back);
            EXPECT_LE(*back, total);
            EXPECT_EQ(times.text(*back, frames), times.text(position, frames));
        }
    }
}

TEST(PositionBox, FieldsAreAsWideAsTheTrackNeeds)
{
    const struct {
        int unit;
        uint32_t total;
        const char* mask;
    } cases[] = {
        {frames, 0, "99999999"},
        {frames, 99999999, "99999999"},
        {frames, 100000000, "999999999"},
        {frames, kDay48, "9999999999"},
        {ms, kMinute48, "999:99:999"},
        {ms, kThreeHours48, "999:99:999"},
        {ms, 48000u * 999 * 60 + 47999, "999:99:999"},
        {ms, 48000u * 1000 * 60, "9999:99:999"},
        {ms, kDay48, "9999:99:999"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        const PositionBox box(c.unit, k48, c.total);
        EXPECT_EQ(box.inputMask().toStdString(), c.mask);
        EXPECT_EQ(box.text(c.total, frames).size(), box.inputMask().size());
    }
}

} // namespace
