// Seeking in the decoder: after seek(n) the decoder gives what a decode from the start gives from
// frame n on, for every container the previews play, into the source's format and a resampled one.

#include "platform/codecs/AudioDecoder.h"

#include "tests/platform/codecs/CodecFixtures.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace platform::codecs;
using codecfixtures::ffmpegTone;
using codecfixtures::soxTone;

namespace {

QByteArray decodeAll(AudioDecoder& decoder)
{
    QByteArray out;
    std::vector<uint8_t> block;
    for (;;) {
        EXPECT_EQ(decoder.read(block), DecodeStatus::Ok);
        if (block.empty())
            return out;
        out.append(reinterpret_cast<const char*>(block.data()), qsizetype(block.size()));
    }
}

// The first frame at which two decodes differ by more than `tolerance` in a sample, or -1.
int64_t firstDifference(const QByteArray& a, const QByteArray& b, int frameBytes, int tolerance)
{
    const auto* x = reinterpret_cast<const int16_t*>(a.constData());
    const auto* y = reinterpret_cast<const int16_t*>(b.constData());
    const qsizetype samples = std::min(a.size(), b.size()) / 2;
    for (qsizetype i = 0; i < samples; ++i)
        if (std::abs(int(x[i]) - int(y[i])) > tolerance)
            return i * 2 / frameBytes;
    return -1;
}

struct Case {
    const char* name;
    const char* file;
    QString (*make)(const QString& path);
    PcmTarget target;
    // Resampled output may differ this much, and the length by a frame or two: the resampler starts
    // afresh after a seek, without the history a decode from the start has.
    int tolerance;
    int64_t settleFrames; // where the comparison starts after the seek target
};

const Case kCases[] = {
    {"mp3", "tone.mp3",
     [](const QString& p) { return ffmpegTone(p, 4, 44100, 2, {"-c:a", "libmp3lame", "-b:a", "128k"}); }, {}, 0, 0},
    {"vbr mp3 at 22050", "vbr.mp3",
     [](const QString& p) { return ffmpegTone(p, 4, 22050, 1, {"-c:a", "libmp3lame", "-q:a", "4"}); }, {}, 0, 0},
    {"ogg vorbis", "tone.ogg",
     [](const QString& p) { return ffmpegTone(p, 4, 44100, 2, {"-c:a", "libvorbis", "-q:a", "3"}); }, {}, 0, 0},
    {"wma v2", "tone.wma",
     [](const QString& p) { return ffmpegTone(p, 4, 44100, 2, {"-c:a", "wmav2", "-b:a", "128k"}); }, {}, 0, 0},
    {"wma v1 mono", "mono.wma",
     [](const QString& p) { return ffmpegTone(p, 4, 22050, 1, {"-c:a", "wmav1", "-b:a", "64k"}); }, {}, 0, 0},
    {"wav", "tone.wav", [](const QString& p) { return soxTone(p, 4, 8000, 2, {"-b", "16"}); }, {}, 0, 0},
    {"ima adpcm wav", "adpcm.wav", [](const QString& p) { return soxTone(p, 4, 22050, 1, {"-e", "ima-adpcm"}); }, {},
     0, 0},
    {"mp3 resampled", "tone.mp3",
     [](const QString& p) { return ffmpegTone(p, 4, 44100, 2, {"-c:a", "libmp3lame", "-b:a", "128k"}); },
     {22050, 16, 1}, 300, 64},
};

class DecoderSeek : public testing::TestWithParam<int> {};

TEST_P(DecoderSeek, GivesWhatADecodeFromTheStartGives)
{
    const Case& c = kCases[GetParam()];
    const QString path = c.make(testsupport::testFolder() + "/" + c.file);
    ASSERT_FALSE(path.isEmpty());

    AudioDecoder whole;
    ASSERT_EQ(whole.open(path), DecodeStatus::Ok);
    ASSERT_EQ(whole.setTarget(c.target), DecodeStatus::Ok);
    const int frameBytes = whole.outputFormat().blockAlign;
    const QByteArray reference = decodeAll(whole);
    const int64_t frames = reference.size() / frameBytes;
    ASSERT_GT(frames, 20000);

    for (const int64_t target : {int64_t(0), int64_t(1), int64_t(1151), int64_t(5000), frames / 2 + 17, frames - 3000,
                                 frames - 1}) {
        SCOPED_TRACE(target);
        AudioDecoder decoder;
        ASSERT_EQ(decoder.open(path), DecodeStatus::Ok);
        ASSERT_EQ(decoder.setTarget(c.target), DecodeStatus::Ok);
        ASSERT_EQ(decoder.seek(target), DecodeStatus::Ok);
        const QByteArray tail = decodeAll(decoder);
        const QByteArray expected = reference.mid(target * frameBytes);
        EXPECT_NEAR(double(tail.size() / frameBytes), double(expected.size() / frameBytes), c.tolerance ? 2 : 0);
        const int64_t skip = std::min(c.settleFrames, frames - target) * frameBytes;
        EXPECT_EQ(firstDifference(tail.mid(skip), expected.mid(skip), frameBytes, c.tolerance), -1);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, DecoderSeek, testing::Range(0, int(std::size(kCases))),
                         [](const testing::TestParamInfo<int>& info) {
                             std::string name = kCases[info.param].name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

// Seeking twice, backwards, or past the end: the next read starts where the last seek said.
TEST(DecoderSeekSequence, SeeksMayFollowEachOther)
{
    const QString path = soxTone(testsupport::testFolder() + "/tone.wav", 2, 8000, 1, {"-b", "16"});
    ASSERT_FALSE(path.isEmpty());
    AudioDecoder whole;
    ASSERT_EQ(whole.open(path), DecodeStatus::Ok);
    const QByteArray reference = decodeAll(whole);

    AudioDecoder decoder;
    ASSERT_EQ(decoder.open(path), DecodeStatus::Ok);
    std::vector<uint8_t> block;
    ASSERT_EQ(decoder.read(block), DecodeStatus::Ok);
    ASSERT_EQ(decoder.seek(12000), DecodeStatus::Ok);
    ASSERT_EQ(decoder.seek(3000), DecodeStatus::Ok);
    EXPECT_EQ(decodeAll(decoder), reference.mid(3000 * 2));
    ASSERT_EQ(decoder.seek(16000), DecodeStatus::Ok);
    EXPECT_EQ(decodeAll(decoder), QByteArray());
    EXPECT_EQ(decoder.seek(-1), DecodeStatus::DecoderFailed);

    AudioDecoder unopened;
    EXPECT_EQ(unopened.seek(0), DecodeStatus::DecoderFailed);
}

} // namespace
