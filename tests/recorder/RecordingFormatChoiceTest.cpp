// The recording format page's rules: the formats offered, what each box lists, the quality
// presets and the format the boxes' texts give.
#include "recorder/RecordingFormatChoice.h"

#include <gtest/gtest.h>

using namespace recorder;

namespace {

TEST(RecordingFormatChoice, BoxesListWhatTheInputAccepts)
{
    const auto all = offeredFormats([](const OfferedFormat&) { return true; });
    ASSERT_EQ(all.size(), 48u);
    EXPECT_EQ(all.front(), (OfferedFormat{8000, 8, 1}));
    EXPECT_EQ(all[1], (OfferedFormat{8000, 8, 2}));
    EXPECT_EQ(all[2], (OfferedFormat{8000, 16, 1}));
    EXPECT_EQ(all.back(), (OfferedFormat{96000, 16, 2}));
    EXPECT_EQ(rateTexts(all).size(), 12);
    EXPECT_EQ(bitTexts(all, 44100), (QStringList{"8 Bit", "16 Bit"}));
    EXPECT_EQ(channelTexts(all, 44100, 16), (QStringList{"Mono", "Stereo"}));

    // An input that takes only 8-bit mono at 8,000 and 11,025 Hz: 44,100 Hz is not there and the
    // first rate is chosen.
    const auto narrow = offeredFormats(
        [](const OfferedFormat& f) { return f.bits == 8 && f.channels == 1 && f.rate <= 11025; });
    const QStringList rates = rateTexts(narrow);
    EXPECT_EQ(rates, (QStringList{"8000 Hz", "11025 Hz"}));
    EXPECT_EQ(choiceIndex(rates, "44100 Hz"), 0);
    EXPECT_EQ(choiceIndex(rates, "11025 Hz"), 1);
    EXPECT_EQ(bitTexts(narrow, 8000), QStringList{"8 Bit"});
    EXPECT_EQ(channelTexts(narrow, 8000, 8), QStringList{"Mono"});
    EXPECT_TRUE(bitTexts(narrow, 44100).isEmpty());
    // A choice that is gone keeps the position of the previous one when it still exists.
    EXPECT_EQ(choiceIndex({"8 Bit", "16 Bit"}, "24 Bit", 1), 1);
    EXPECT_EQ(choiceIndex({"8 Bit"}, "24 Bit", 1), 0);
}

TEST(RecordingFormatChoice, PresetsAndTheChosenFormat)
{
    struct Case {
        Quality quality;
        OfferedFormat format;
    };
    const Case cases[] = {
        {Quality::Cd, {44100, 16, 2}},
        {Quality::Fm, {22050, 16, 2}},
        {Quality::AmRadio, {11025, 16, 1}},
        {Quality::Custom, {44100, 16, 2}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qualityFormat(c.quality), c.format) << int(c.quality);

    const WaveFormatEx am = chosenFormat("11025 Hz", "16 Bit", "Mono");
    EXPECT_EQ(am.formatTag, 1);
    EXPECT_EQ(am.samplesPerSec, 11025u);
    EXPECT_EQ(am.channels, 1);
    EXPECT_EQ(am.blockAlign, 2);
    EXPECT_EQ(am.avgBytesPerSec, 22050u);
    EXPECT_EQ(am.extraSize, 0);
    const WaveFormatEx empty = chosenFormat("", "", "");
    EXPECT_EQ(empty, makePcmFormat(44100, 16, 2));
}

} // namespace
