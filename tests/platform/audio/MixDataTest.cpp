// The mixing routine and the player's MixData: gains per side and channel, 8 and 16 bits, mono
// and stereo, rounding, clipping and its flag, and the soft knee of prevention.
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MixData.h"
#include "platform/audio/VirtualBackend.h"

#include "tests/platform/audio/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

using namespace platform::audio;

namespace {

struct MixCase {
    const char* name;
    int bits;
    int channels;
    std::vector<int> first;  // samples as stored (8-bit: 0..255)
    std::vector<int> second;
    MixGains gains;
    bool prevent;
    std::vector<int> expected;
    bool saturated;
};

QByteArray bytesOf(const std::vector<int>& samples, int bits)
{
    QByteArray bytes;
    for (int s : samples) {
        if (bits == 16)
            bytes += wavefixtures::le16(uint16_t(int16_t(s)));
        else
            bytes += char(uint8_t(s));
    }
    return bytes;
}

std::vector<int> samplesOf(const QByteArray& bytes, int bits)
{
    std::vector<int> samples;
    for (int i = 0; i < bytes.size(); i += bits / 8)
        samples.push_back(bits == 16 ? enginetest::sample16(bytes, i / 2) : int(uint8_t(bytes[i])));
    return samples;
}

const MixGains unity{1.0f, 1.0f, 1.0f, 1.0f};

} // namespace

TEST(MixData, MixesByTheTable)
{
    const std::vector<MixCase> cases = {
        {"16-bit mono sum", 16, 1, {1000, -500}, {2000, -700}, unity, false, {3000, -1200}, false},
        {"16-bit stereo gains per side and channel", 16, 2, {1000, 1000}, {4000, 4000}, {0.5f, 1.0f, 0.25f, 0.0f},
         false, {1500, 1000}, false},
        {"mono takes the left gains", 16, 1, {1000}, {1000}, {0.5f, 2.0f, 0.25f, 3.0f}, false, {750}, false},
        {"halves round to even", 16, 1, {3, 5, -3, 7}, {0, 0, 0, 0}, {0.5f, 0.5f, 1.0f, 1.0f}, false,
         {2, 2, -2, 4}, false},
        {"16-bit clipping sets the flag", 16, 2, {30000, -30000}, {10000, -10000}, unity, false, {32767, -32768}, true},
        {"exactly full scale is not saturated", 16, 1, {32000, -32000}, {767, -768}, unity, false, {32767, -32768},
         false},
        {"prevention leaves quiet sums alone", 16, 1, {10000, -12000}, {5000, -6000}, unity, true, {15000, -18000},
         false},
        {"8-bit mono sum around 128", 8, 1, {200, 100}, {180, 90}, unity, false, {252, 62}, false},
        {"8-bit clipping at both ends", 8, 1, {255, 0}, {255, 0}, unity, false, {255, 0}, true},
        {"8-bit stereo gains", 8, 2, {228, 28}, {128, 228}, {0.5f, 1.0f, 1.0f, 0.5f}, false, {178, 78}, false},
        {"a gain of 0 silences its side", 16, 2, {1234, 4321}, {-50, 60}, {0.0f, 0.0f, 1.0f, 1.0f}, false,
         {-50, 60}, false},
    };
    for (const MixCase& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray first = bytesOf(c.first, c.bits);
        const QByteArray second = bytesOf(c.second, c.bits);
        int saturated = 0;
        EXPECT_EQ(mixData(first.data(), first.size(), second.constData(), second.size(), c.channels, c.bits, c.prevent,
                          &saturated, c.gains),
                  0);
        EXPECT_EQ(samplesOf(first, c.bits), c.expected);
        EXPECT_EQ(saturated, c.saturated ? 1 : 0);
    }
}

// With prevention a sum past full scale bends below it: nothing is clipped, louder stays louder,
// and the flag still tells that the plain sum would have clipped.
TEST(MixData, PreventionBendsLoudSumsBelowFullScale)
{
    const std::vector<int> voice = {30000, 20000, 24000, -24000, 32000};
    const std::vector<int> music = {10000, 24000, 24000, -24000, 32000};
    QByteArray first = bytesOf(voice, 16);
    int saturated = 0;
    ASSERT_EQ(mixData(first.data(), first.size(), bytesOf(music, 16).constData(), first.size(), 1, 16, true, &saturated,
                      unity),
              0);
    const std::vector<int> out = samplesOf(first, 16);
    EXPECT_EQ(saturated, 1);
    EXPECT_GT(out[0], int(kSoftKnee * 32768));
    EXPECT_LT(out[0], out[1]); // 40000 < 44000 < 48000: louder stays louder
    EXPECT_LT(out[1], out[2]);
    EXPECT_LT(out[2], 32767);
    EXPECT_EQ(out[3], -out[2]);
    EXPECT_LE(out[4], 32767); // far past full scale it approaches the top

    QByteArray eight = bytesOf({200, 190}, 8);
    saturated = 0;
    ASSERT_EQ(mixData(eight.data(), 2, bytesOf({200, 190}, 8).constData(), 2, 1, 8, true, &saturated, unity), 0);
    EXPECT_EQ(saturated, 1);
    EXPECT_LT(uint8_t(eight[0]), 255);
    EXPECT_GT(uint8_t(eight[0]), uint8_t(eight[1]));
}

// The knee depends on each sample alone: one call or blocks of any size give the same bytes.
TEST(MixData, PreventionGivesTheSameBytesWhateverTheBlocks)
{
    QByteArray voice = wavefixtures::sampleBytes(40000, 3);
    const QByteArray music = wavefixtures::sampleBytes(40000, 4);
    const MixGains gains{1.3f, 1.1f, 0.9f, 1.7f};
    QByteArray whole = voice;
    int flag = 0;
    ASSERT_EQ(mixData(whole.data(), whole.size(), music.constData(), music.size(), 2, 16, true, &flag, gains), 0);
    for (int at = 0; at < voice.size(); at += 4 * 777) {
        const int n = std::min<int>(4 * 777, voice.size() - at);
        ASSERT_EQ(mixData(voice.data() + at, n, music.constData() + at, n, 2, 16, true, &flag, gains), 0);
    }
    EXPECT_EQ(voice, whole);
}

// The flag collects a run of blocks: a clean block after a saturated one leaves it set.
TEST(MixData, TheFlagIsOnlyEverSet)
{
    QByteArray loud = bytesOf({30000}, 16);
    QByteArray quiet = bytesOf({100}, 16);
    int saturated = 0;
    mixData(quiet.data(), 2, bytesOf({100}, 16).constData(), 2, 1, 16, false, &saturated, unity);
    EXPECT_EQ(saturated, 0);
    mixData(loud.data(), 2, bytesOf({30000}, 16).constData(), 2, 1, 16, false, &saturated, unity);
    mixData(quiet.data(), 2, bytesOf({100}, 16).constData(), 2, 1, 16, false, &saturated, unity);
    EXPECT_EQ(saturated, 1);
}

// A shorter second buffer mixes where both have frames; the rest of the first takes its own gains.
TEST(MixData, TheRestOfALongerFirstBufferTakesItsOwnGains)
{
    QByteArray first = bytesOf({1000, 1000, 1000, 1000}, 16);
    const QByteArray second = bytesOf({400, 400}, 16);
    int saturated = 0;
    ASSERT_EQ(mixData(first.data(), first.size(), second.constData(), second.size(), 2, 16, false, &saturated,
                      {0.5f, 0.5f, 0.5f, 0.5f}),
              0);
    EXPECT_EQ(samplesOf(first, 16), (std::vector<int>{700, 700, 500, 500}));
}

TEST(MixData, RefusesFormatsAndBuffersItCannotMix)
{
    QByteArray buffer(8, '\0');
    int saturated = 0;
    EXPECT_EQ(mixData(buffer.data(), 8, buffer.constData(), 8, 3, 16, false, &saturated, unity), 107);
    EXPECT_EQ(mixData(buffer.data(), 8, buffer.constData(), 8, 2, 24, false, &saturated, unity), 107);
    EXPECT_EQ(mixData(nullptr, 8, buffer.constData(), 8, 2, 16, false, &saturated, unity), 117);
    EXPECT_EQ(mixData(buffer.data(), -2, buffer.constData(), 8, 2, 16, false, &saturated, unity), 117);
    EXPECT_EQ(mixData(buffer.data(), 0, nullptr, 0, 2, 16, false, &saturated, unity), 0);
}

// The engine's MixData mixes with the gains of SetVolume.
TEST(MixData, TheEngineMixesWithTheCurrentGains)
{
    VirtualBackend backend;
    AudioEngine engine(backend);
    ASSERT_EQ(engine.SetVolume(0.5f, 0.5f, 2.0f, 2.0f), 0);
    QByteArray voice = bytesOf({1000, -1000}, 16);
    const QByteArray music = bytesOf({100, 200}, 16);
    int saturated = 0;
    ASSERT_EQ(engine.MixData(voice.data(), voice.size(), music.constData(), music.size(), 2, 16, 0, &saturated), 0);
    EXPECT_EQ(samplesOf(voice, 16), (std::vector<int>{700, -100}));
    EXPECT_EQ(engine.SetVolume(-1.0f, std::numeric_limits<float>::quiet_NaN(), 1.0f, 1.0f), 0);
    QByteArray again = bytesOf({1000, -1000}, 16);
    ASSERT_EQ(engine.MixData(again.data(), again.size(), music.constData(), music.size(), 2, 16, -1, &saturated), 0);
    EXPECT_EQ(samplesOf(again, 16), (std::vector<int>{100, 200}));
}
