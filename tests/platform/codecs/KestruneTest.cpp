// The editor's LAME wrapper over the encoder library of the build's program folder, and the system
// MP3 codec road that Linux does not have.
#include "platform/codecs/Kestrune.h"
#include "platform/codecs/VXWAVMP3.h"

#include "common/WaveRead.h"
#include "platform/base/ProgramFolder.h"
#include "tests/platform/codecs/EncodeSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cmath>
#include <vector>

using namespace platform::codecs;

namespace {

constexpr int64_t kCodecDelay = 576 + 529;

struct Conversion {
    int result = -1;
    QByteArray mp3;
};

// The encoding loop of the MP3 export: suggested buffers, blocks of WAV data (of `block` bytes when
// given, else the suggested input size), the flush, the release.
Conversion convert(const QString& wave, uint32_t kbps, uint32_t block = 0)
{
    Conversion out;
    TWaveReader reader;
    if (OpenWaveForRead(wave, reader) != WaveReadCode::Ok) {
        ADD_FAILURE() << "cannot read " << wave.toStdString();
        return out;
    }
    const LameSettings settings{kbps, {}};
    LameConversionHandle handle;
    out.result = InitLAMEWaveMP3Conversion(QString(), reader.format, settings, handle);
    if (out.result != KestruneCode::Ok)
        return out;
    uint32_t outputSize = 0, inputSize = 0;
    out.result = GetSuggestedLengthOfBuffersForLame(settings, reader.format, &outputSize, &inputSize);
    if (out.result != KestruneCode::Ok)
        return out;
    const uint32_t blockSize = block ? block : inputSize;
    std::vector<char> input(blockSize);
    std::vector<char> output(outputSize);
    for (uint32_t left = reader.dataSize; left > 0;) {
        const uint32_t n = std::min(left, blockSize);
        if (reader.handle->read(input.data(), n) != n) {
            ADD_FAILURE() << "short read";
            return out;
        }
        uint32_t written = 0;
        out.result = LAMEConvertWaveMP3(handle.get(), input.data(), output.data(), n, &written);
        if (out.result != KestruneCode::Ok)
            return out;
        EXPECT_LE(written, outputSize);
        out.mp3.append(output.data(), written);
        left -= n;
    }
    uint32_t written = 0;
    out.result = LAMEFlushWaveMP3Conversion(handle.get(), output.data(), &written);
    out.mp3.append(output.data(), written);
    EXPECT_EQ(UnInitLAMEWaveMP3Conversion(handle), KestruneCode::Ok);
    EXPECT_FALSE(handle);
    return out;
}

WaveFormatEx pcm(uint32_t rate, uint16_t bits, uint16_t channels)
{
    return makePcmFormat(rate, bits, channels);
}

class Kestrune : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(FindLAMEEncoder(encodetest::programBin()), KestruneCode::Ok); }
};

} // namespace

TEST_F(Kestrune, FindsTheEncoderOnlyWhereItIs)
{
    const QString empty = testsupport::testFolder();
    EXPECT_EQ(FindLAMEEncoder(empty), KestruneCode::NoEncoder);
    // With no encoder found and none in the program folder, nothing can be converted.
    platform::ProgramFolderOverride folder(empty);
    LameConversionHandle handle;
    EXPECT_EQ(InitLAMEWaveMP3Conversion(QString(), pcm(44100, 16, 2), LameSettings{128, {}}, handle),
              KestruneCode::NoEncoder);
    EXPECT_FALSE(handle);
    EXPECT_EQ(LAMEIsBitRateSupportedForThisFormat(128, pcm(44100, 16, 2)), KestruneCode::NoEncoder);
}

struct LayoutCase {
    int rate;
    int bits;
    int channels;
    uint32_t kbps;
};

class KestruneLayouts : public Kestrune, public testing::WithParamInterface<LayoutCase> {};

TEST_P(KestruneLayouts, EveryPcmLayoutEncodesWholeAndInTune)
{
    const LayoutCase c = GetParam();
    const QString folder = testsupport::testFolder();
    const double seconds = 1.2;
    const QString wave = encodetest::toneWave(folder + "/in.wav", c.rate, c.bits, c.channels, seconds);
    ASSERT_FALSE(wave.isEmpty());
    const Conversion done = convert(wave, c.kbps);
    ASSERT_EQ(done.result, KestruneCode::Ok);
    const QString mp3 = folder + "/out.mp3";
    testsupport::writeFile(mp3, done.mp3);

    const auto info = encodetest::probe(mp3);
    EXPECT_EQ(info.value("streams.stream.0.codec_name"), "mp3");
    EXPECT_EQ(info.value("streams.stream.0.sample_rate").toInt(), c.rate);
    EXPECT_EQ(info.value("streams.stream.0.channels").toInt(), c.channels);
    EXPECT_EQ(info.value("streams.stream.0.bit_rate").toLongLong(), int64_t(c.kbps) * 1000);
    QString decoded;
    const int64_t frames = encodetest::decodeWithFfmpeg(mp3, &decoded);
    const int64_t inputFrames = std::llround(seconds * c.rate);
    EXPECT_GE(frames, inputFrames + kCodecDelay);
    EXPECT_LE(frames, inputFrames + kCodecDelay + 1152);
    // A sign or byte-order mistake in the widening would not come back as a 1 kHz tone at its level.
    const auto before = encodetest::soxStats(wave);
    const auto after = encodetest::soxStats(decoded);
    ASSERT_TRUE(before.ok && after.ok);
    EXPECT_NEAR(after.frequency, 1000, 30);
    const double toneRms = after.rms * std::sqrt(double(frames) / double(inputFrames));
    EXPECT_NEAR(20 * std::log10(toneRms / before.rms), 0, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Layouts, KestruneLayouts,
                         testing::Values(LayoutCase{8000, 8, 1, 32}, LayoutCase{22050, 8, 2, 64},
                                         LayoutCase{44100, 16, 2, 128}, LayoutCase{48000, 24, 2, 192},
                                         LayoutCase{44100, 32, 1, 64}));

TEST_F(Kestrune, BlocksThatSplitFramesGiveTheSameStream)
{
    // 24-bit stereo frames are 6 bytes: blocks of 1,000 and 7 bytes end inside frames.
    const QString wave = encodetest::toneWave(testsupport::testFolder() + "/in.wav", 48000, 24, 2, 0.4);
    const Conversion whole = convert(wave, 128);
    ASSERT_EQ(whole.result, KestruneCode::Ok);
    for (uint32_t block : {1000u, 7u}) {
        const Conversion split = convert(wave, 128, block);
        ASSERT_EQ(split.result, KestruneCode::Ok);
        EXPECT_TRUE(split.mp3 == whole.mp3) << block << "-byte blocks";
    }
}

TEST_F(Kestrune, TruncatedWaveEncodesTheFramesPresent)
{
    // A recording cut short: the data chunk claims more than the file holds.
    const QString folder = testsupport::testFolder();
    const QString wave = encodetest::toneWave(folder + "/in.wav", 44100, 16, 2, 1.0);
    QByteArray bytes = testsupport::readFile(wave);
    bytes.chop(bytes.size() / 2 + 1);
    testsupport::writeFile(wave, bytes);
    const Conversion done = convert(wave, 128);
    ASSERT_EQ(done.result, KestruneCode::Ok);
    testsupport::writeFile(folder + "/out.mp3", done.mp3);
    const auto info = encodetest::probe(folder + "/out.mp3");
    EXPECT_EQ(info.value("streams.stream.0.codec_name"), "mp3");
    EXPECT_NEAR(info.value("format.duration").toDouble(), 0.5, 0.1);
}

TEST_F(Kestrune, BitRateSupportFollowsTheEncoder)
{
    struct Case {
        WaveFormatEx format;
        uint32_t kbps;
        int expected;
    };
    WaveFormatEx adpcm = pcm(44100, 4, 2);
    adpcm.formatTag = 17;
    WaveFormatEx badAlign = pcm(44100, 16, 2);
    badAlign.blockAlign = 3;
    const Case cases[] = {
        {pcm(44100, 16, 2), 24, KestruneCode::Refused},
        {pcm(44100, 16, 2), 32, KestruneCode::Ok},
        {pcm(44100, 16, 2), 320, KestruneCode::Ok},
        {pcm(22050, 16, 1), 192, KestruneCode::Refused},
        {pcm(22050, 16, 1), 160, KestruneCode::Ok},
        {pcm(8000, 8, 1), 96, KestruneCode::Refused},
        {pcm(8000, 8, 1), 64, KestruneCode::Ok},
        {pcm(44100, 16, 2), 20, KestruneCode::Refused},
        {adpcm, 128, KestruneCode::NotPcm},
        {pcm(44100, 16, 3), 128, KestruneCode::NotPcm},
        {badAlign, 128, KestruneCode::NotPcm},
        {pcm(0, 16, 2), 128, KestruneCode::NotPcm},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LAMEIsBitRateSupportedForThisFormat(c.kbps, c.format), c.expected)
            << c.format.samplesPerSec << " Hz " << c.format.bitsPerSample << " bits " << c.format.channels
            << " channels tag " << c.format.formatTag << " at " << c.kbps;
}

TEST_F(Kestrune, MisusedCallsFailWithoutHarm)
{
    const WaveFormatEx format = pcm(44100, 16, 2);
    LameConversionHandle handle;
    ASSERT_EQ(InitLAMEWaveMP3Conversion(QString(), format, LameSettings{128, {}}, handle), KestruneCode::Ok);
    uint32_t outputSize = 0, inputSize = 0;
    ASSERT_EQ(GetSuggestedLengthOfBuffersForLame(LameSettings{128, {}}, format, &outputSize, &inputSize),
              KestruneCode::Ok);
    EXPECT_EQ(inputSize % format.blockAlign, 0u);
    std::vector<char> input(3 * size_t(inputSize));
    std::vector<char> output(outputSize);
    uint32_t written = 7;
    EXPECT_EQ(LAMEConvertWaveMP3(nullptr, input.data(), output.data(), 100, &written), KestruneCode::EncodeFailed);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(LAMEConvertWaveMP3(handle.get(), nullptr, output.data(), 100, &written), KestruneCode::EncodeFailed);
    EXPECT_EQ(LAMEConvertWaveMP3(handle.get(), input.data(), output.data(), 3 * inputSize, &written),
              KestruneCode::EncodeFailed);
    EXPECT_EQ(LAMEConvertWaveMP3(handle.get(), input.data(), output.data(), 2 * inputSize, &written), KestruneCode::Ok);
    EXPECT_EQ(LAMEFlushWaveMP3Conversion(handle.get(), output.data(), &written), KestruneCode::Ok);
    EXPECT_EQ(LAMEFlushWaveMP3Conversion(handle.get(), output.data(), &written), KestruneCode::EncodeFailed);
    EXPECT_EQ(LAMEFlushWaveMP3Conversion(nullptr, output.data(), &written), KestruneCode::EncodeFailed);
    EXPECT_EQ(GetSuggestedLengthOfBuffersForLame(LameSettings{128, {}}, format, nullptr, &inputSize),
              KestruneCode::Refused);
    EXPECT_EQ(UnInitLAMEWaveMP3Conversion(handle), KestruneCode::Ok);
    EXPECT_EQ(UnInitLAMEWaveMP3Conversion(handle), KestruneCode::Ok);
}

TEST(SystemMp3Codec, ReportsNoCodecSoOnlyLameIsOffered)
{
    const QString folder = testsupport::testFolder();
    const QString wave = encodetest::toneWave(folder + "/in.wav", 44100, 16, 2, 0.1);
    EXPECT_EQ(IsValidMP3CodecFound(wave), SystemMp3Code::NoCodec);
    for (uint32_t bps : {32000u, 128000u, 320000u}) {
        bool supported = true;
        EXPECT_EQ(IsBitrateSupported(wave, bps, &supported), SystemMp3Code::Ok);
        EXPECT_FALSE(supported);
    }
    EXPECT_EQ(ConvertWaveFileToMp3(wave, folder + "/out.mp3", 128000), SystemMp3Code::NoCodec);
    EXPECT_FALSE(QFile::exists(folder + "/out.mp3"));
    int percent = 55;
    EXPECT_EQ(GetStatusWavToMP3(&percent), SystemMp3Code::Ok);
    EXPECT_EQ(percent, 0);
    EXPECT_EQ(StopConversionWavToMP3(), SystemMp3Code::Ok);
}
