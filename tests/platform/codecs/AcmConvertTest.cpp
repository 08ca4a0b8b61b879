// WAV to PCM conversion by the player library's ACMAudioConvertFormatPCM, compared with ffmpeg.

#include "platform/codecs/PcmConversion.h"

#include "tests/platform/codecs/CodecFixtures.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace platform::codecs;
using codecfixtures::compareWithReference;
using codecfixtures::ffmpegDecode;
using codecfixtures::folderEntries;
using codecfixtures::soxTone;

namespace {

struct Conversion {
    const char* name;
    QStringList soxOptions;
    int rate;
    int channels;
    WaveFormatEx target;
};

const Conversion kConversions[] = {
    {"ima adpcm to cd quality", {"-e", "ima-adpcm"}, 22050, 1, makePcmFormat(44100, 16, 2)},
    {"mu-law to 8 bit", {"-e", "u-law"}, 8000, 1, makePcmFormat(22050, 8, 1)},
    {"gsm to 16 bit", {"-e", "gsm-full-rate"}, 8000, 1, makePcmFormat(11025, 16, 1)},
    {"cd quality to telephone", {"-b", "16"}, 44100, 2, makePcmFormat(8000, 16, 1)},
    {"8 bit to 16 bit", {"-b", "8"}, 22050, 2, makePcmFormat(22050, 16, 2)},
};

TEST(AcmConvert, ConvertsIntoTheTargetFormatAsFfmpegDoes)
{
    for (const Conversion& c : kConversions) {
        SCOPED_TRACE(c.name);
        const QString folder = testsupport::testFolder();
        const QString source = soxTone(folder + "/source.wav", 1.5, c.rate, c.channels, c.soxOptions);
        // The caller's temporary name exists, empty, before the conversion.
        testsupport::writeFile(folder + "/LOD1.tmp", {});
        ASSERT_EQ(ACMAudioConvertFormatPCM(source, folder + "/LOD1.tmp", c.target), AcmCode::Ok);

        const wavefixtures::WaveInfo sox = wavefixtures::soxWaveInfo(folder + "/LOD1.tmp", false);
        EXPECT_EQ(sox.rate, int(c.target.samplesPerSec));
        EXPECT_EQ(sox.bits, c.target.bitsPerSample);
        EXPECT_EQ(sox.channels, c.target.channels);
        const codecfixtures::Comparison comparison = compareWithReference(
            folder + "/LOD1.tmp", ffmpegDecode(source, c.target.bitsPerSample, int(c.target.samplesPerSec),
                                               c.target.channels));
        EXPECT_EQ(comparison.frames, comparison.referenceFrames);
        EXPECT_EQ(comparison.maxDiff, 0);
    }
}

TEST(AcmConvert, RefusesTargetFormatsItDoesNotWrite)
{
    const QString folder = testsupport::testFolder();
    const QString source = soxTone(folder + "/source.wav", 0.5, 8000, 1, {"-b", "16"});
    WaveFormatEx badBlockAlign = makePcmFormat(22050, 16, 2);
    badBlockAlign.blockAlign = 2;
    WaveFormatEx badByteRate = makePcmFormat(22050, 16, 2);
    badByteRate.avgBytesPerSec = 44100;
    WaveFormatEx adpcm = makePcmFormat(22050, 16, 1);
    adpcm.formatTag = 0x11;
    const WaveFormatEx targets[] = {makePcmFormat(44100, 24, 2), makePcmFormat(44100, 16, 3), makePcmFormat(500, 16, 1),
                                    makePcmFormat(400000, 16, 1), badBlockAlign, badByteRate, adpcm, WaveFormatEx{}};
    for (const WaveFormatEx& target : targets) {
        EXPECT_EQ(ACMAudioConvertFormatPCM(source, folder + "/out.wav", target), AcmCode::FormatNotSupported)
            << target.formatTag << " " << target.samplesPerSec << " " << target.bitsPerSample << " " << target.channels;
    }
    EXPECT_EQ(folderEntries(folder), QStringList{"source.wav"});
}

TEST(AcmConvert, OutputFailuresLeaveNoFileAndTheSourceAsItWas)
{
    const QString folder = testsupport::testFolder();
    const QString source = soxTone(folder + "/source.wav", 2, 44100, 2, {"-b", "16"});
    const QByteArray before = testsupport::readFile(source);
    const WaveFormatEx target = makePcmFormat(44100, 16, 1);

    EXPECT_EQ(ACMAudioConvertFormatPCM(source, source, target), AcmCode::CannotCreateDestination);
    EXPECT_EQ(ACMAudioConvertFormatPCM(source, folder + "/no/such/folder.wav", target), AcmCode::CannotCreateDestination);
    EXPECT_EQ(ACMAudioConvertFormatPCM(source, folder + "/out.wav", target,
                                       DecodeEnvironment{[](const QString&) { return int64_t(1000); }, {}}),
              AcmCode::CannotCreateDestination);
    {
        // The disk fills up part-way through the samples.
        wavefixtures::FileSizeLimit limit(60000);
        EXPECT_EQ(ACMAudioConvertFormatPCM(source, folder + "/out.wav", target), AcmCode::CannotCreateDestination);
    }
    EXPECT_EQ(folderEntries(folder), QStringList{"source.wav"});
    EXPECT_EQ(testsupport::readFile(source), before);
}

} // namespace
