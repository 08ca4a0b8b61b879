// The decoding core against ffmpeg's own decode of the same files: every container and codec the
// programs open, into the source's format and into other PCM formats.

#include "platform/codecs/DecodeToWave.h"

#include "tests/platform/codecs/CodecFixtures.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <vector>

using namespace platform::codecs;
using codecfixtures::compareWithReference;
using codecfixtures::ffmpegDecode;
using codecfixtures::ffmpegTone;
using codecfixtures::soxTone;

namespace {

struct Fixture {
    const char* name;
    const char* file;
    // Makes the fixture in folder; empty when that failed.
    QString (*make)(const QString& path);
};

const Fixture kFixtures[] = {
    {"mp3 stereo", "stereo.mp3",
     [](const QString& p) { return ffmpegTone(p, 3, 44100, 2, {"-c:a", "libmp3lame", "-b:a", "128k"}); }},
    {"mp3 mono lame vbr", "mono.mp3",
     [](const QString& p) { return ffmpegTone(p, 2.5, 22050, 1, {"-c:a", "libmp3lame", "-q:a", "4"}); }},
    {"wma v2", "tone.wma",
     [](const QString& p) { return ffmpegTone(p, 3, 44100, 2, {"-c:a", "wmav2", "-b:a", "128k"}); }},
    {"wma v1 mono", "mono.wma",
     [](const QString& p) { return ffmpegTone(p, 2, 22050, 1, {"-c:a", "wmav1", "-b:a", "64k"}); }},
    {"ogg vorbis", "tone.ogg",
     [](const QString& p) { return ffmpegTone(p, 2.5, 44100, 1, {"-c:a", "libvorbis", "-q:a", "3"}); }},
    {"mp3 in wav", "mpeg.wav",
     [](const QString& p) { return ffmpegTone(p, 2, 32000, 2, {"-c:a", "libmp3lame", "-b:a", "96k"}); }},
    {"ima adpcm wav", "adpcm.wav",
     [](const QString& p) { return soxTone(p, 2, 22050, 1, {"-e", "ima-adpcm"}); }},
    {"ms adpcm wav", "msadpcm.wav",
     [](const QString& p) { return soxTone(p, 2, 11025, 2, {"-e", "ms-adpcm"}); }},
    {"mu-law wav", "ulaw.wav", [](const QString& p) { return soxTone(p, 2, 8000, 1, {"-e", "u-law"}); }},
    {"a-law wav", "alaw.wav", [](const QString& p) { return soxTone(p, 2, 8000, 2, {"-e", "a-law"}); }},
    {"gsm wav", "gsm.wav", [](const QString& p) { return soxTone(p, 2, 8000, 1, {"-e", "gsm-full-rate"}); }},
    {"pcm 24 bit", "pcm24.wav", [](const QString& p) { return soxTone(p, 1.5, 48000, 2, {"-b", "24"}); }},
    {"pcm 8 bit", "pcm8.wav", [](const QString& p) { return soxTone(p, 1.5, 11025, 1, {"-b", "8"}); }},
    {"pcm float", "float.wav",
     [](const QString& p) { return soxTone(p, 1.5, 44100, 2, {"-e", "floating-point", "-b", "32"}); }},
};

struct Target {
    const char* name;
    PcmTarget target;
};

const Target kTargets[] = {
    {"as the source", {0, 16, 0}},
    {"44100/16/2", {44100, 16, 2}},
    {"22050/8/1", {22050, 8, 1}},
    {"8000/16/1", {8000, 16, 1}},
};

class DecodeMatchesFfmpeg : public testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(DecodeMatchesFfmpeg, SampleForSample)
{
    const Fixture& fixture = kFixtures[std::get<0>(GetParam())];
    const Target& target = kTargets[std::get<1>(GetParam())];
    const QString folder = testsupport::testFolder();
    const QString source = fixture.make(folder + "/" + fixture.file);
    ASSERT_FALSE(source.isEmpty());
    const QByteArray before = testsupport::readFile(source);
    const QString output = folder + "/out.wav";

    DecodeRequest request;
    request.target = target.target;
    std::vector<int> progress;
    request.progress = [&](int percent) { progress.push_back(percent); };
    const DecodeOutcome outcome = decodeToWave(source, output, request);
    ASSERT_EQ(outcome.status, DecodeStatus::Ok) << describe(outcome.status);

    const QByteArray reference = ffmpegDecode(source, target.target.bitsPerSample, int(target.target.samplesPerSec),
                                              target.target.channels);
    const codecfixtures::Comparison c = compareWithReference(output, reference);
    EXPECT_EQ(c.bits, target.target.bitsPerSample);
    if (target.target.samplesPerSec) {
        EXPECT_EQ(c.rate, int(target.target.samplesPerSec));
    }
    if (target.target.channels) {
        EXPECT_EQ(c.channels, target.target.channels);
    }
    EXPECT_EQ(c.frames, outcome.frames);
    EXPECT_EQ(c.frames, c.referenceFrames);
    EXPECT_GT(c.frames, 0);
    EXPECT_EQ(c.maxDiff, 0) << c.differing << " samples differ";
    EXPECT_EQ(testsupport::readFile(source), before) << "the source was changed";

    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

std::string paramName(const testing::TestParamInfo<std::tuple<int, int>>& info)
{
    std::string name = std::string(kFixtures[std::get<0>(info.param)].name) + "_to_"
                     + kTargets[std::get<1>(info.param)].name;
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DecodeMatchesFfmpeg,
                         testing::Combine(testing::Range(0, int(std::size(kFixtures))),
                                          testing::Range(0, int(std::size(kTargets)))),
                         paramName);

} // namespace
