#include "common/WaveUtil.h"
#include "tests/support/WaveFixtures.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace wavefixtures;
using testsupport::readFile;
using testsupport::testFolder;
using testsupport::writeFile;

namespace {

constexpr QFileDevice::Permissions kOwnerReadWriteOthersRead =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser
    | QFileDevice::ReadOther;

QByteArray silence(int64_t count, bool eightBit)
{
    return QByteArray(int(count), eightBit ? '\x80' : '\0');
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// A WAV whose data fills most of 4 GiB: header sizes written, then the file extended to match,
// which leaves a hole instead of writing the gigabytes.
void writeSparseWave(const QString& path, uint32_t dataSize, const QByteArray& later = {})
{
    const QByteArray header = QByteArray("RIFF") + le32(38 + dataSize + uint32_t(later.size())) + "WAVE"
                            + chunk("fmt ", fmtBody(makePcmFormat(8000, 8, 1))) + "data" + le32(dataSize);
    writeFile(path, header);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(46 + int64_t(dataSize)));
    ASSERT_TRUE(file.seek(46 + int64_t(dataSize)));
    ASSERT_EQ(file.write(later), later.size());
}

QByteArray headerOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(46) : QByteArray();
}

} // namespace

TEST(WaveUtil, CreateEmptyWaveFileWritesTheFortySixBytes)
{
    const QString path = testFolder() + "/empty.wav";
    ASSERT_EQ(CreateEmptyWaveFile(path, 44100, 16, 2), 0);
    EXPECT_EQ(readFile(path), QByteArray::fromHex("52494646 26000000 57415645"      // RIFF, 38, WAVE
                                                  "666d7420 12000000 0100 0200"     // fmt , 18, PCM, 2 channels
                                                  "44ac0000 10b10200 0400 1000 0000" // 44100, 176400, 4, 16, 0
                                                  "64617461 00000000"));            // data, 0
    const WaveInfo info = pythonWaveInfo(path);
    EXPECT_EQ(info.rate, 44100);
    EXPECT_EQ(info.frames, 0);
    EXPECT_EQ(CreateEmptyWaveFile(testFolder() + "/missing/empty.wav", 44100, 16, 2), 160);
}

TEST(WaveUtil, AppendSilenceExtendsTheDataAndKeepsLaterChunks)
{
    struct Case {
        const char* name;
        uint16_t bits;
        uint16_t channels;
        int dataBytes;
        int64_t count;
        QByteArray later;      // chunks after "data"
        int missingBytes = 0;  // the data size states more bytes than the file holds
    };
    const QByteArray id3 = chunk("id3 ", "TAG01");
    const QByteArray list = chunk("LIST", QByteArray("INFO") + chunk("ICMT", "said twice"));
    const Case cases[] = {
        {"8-bit", 8, 1, 1000, 1000, {}},
        {"8-bit, odd result gains a pad byte", 8, 1, 1000, 11, {}},
        {"8-bit, odd data: its pad byte becomes silence", 8, 1, 1001, 11, {}},
        {"16-bit stereo", 16, 2, 4000, 400, {}},
        {"8-bit, odd data, id3 chunk after", 8, 1, 1001, 10, id3},
        {"16-bit, LIST chunk after", 16, 2, 4000, 400, list},
        {"cut recording", 16, 1, 1000, 200, {}, 4000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool eightBit = c.bits == 8;
        const WaveFormatEx format = makePcmFormat(8000, c.bits, c.channels);
        const QByteArray samples = sampleBytes(c.dataBytes);
        const QString folder = testFolder();
        const QString path = folder + "/voice.wav";
        QByteArray original = pcmWave(format, samples, c.later);
        if (c.missingBytes)
            original = riff("WAVE", chunk("fmt ", fmtBody(format)) + chunk("data", samples, c.dataBytes + c.missingBytes));
        writeFile(path, original);
        ASSERT_TRUE(QFile::setPermissions(path, kOwnerReadWriteOthersRead));

        ASSERT_TRUE(AppendSilenceToWave(path, c.count, eightBit));

        const QByteArray extended = samples + silence(c.count, eightBit);
        const QByteArray result = readFile(path);
        EXPECT_EQ(result, pcmWave(format, extended, c.later));
        if (!c.missingBytes) {
            // Both sizes grow by the count, and the RIFF size by the change of the pad byte too.
            EXPECT_EQ(result.mid(4, 4), le32(uint32_t(original.size() - 8 + c.count + (extended.size() & 1) - (samples.size() & 1))));
            EXPECT_EQ(result.mid(42, 4), le32(uint32_t(samples.size() + c.count)));
        }
        EXPECT_TRUE(result.endsWith(c.later));
        for (const WaveInfo& info : {pythonWaveInfo(path), soxWaveInfo(path)}) {
            EXPECT_EQ(info.frames, extended.size() / format.blockAlign);
            EXPECT_EQ(info.samples, extended);
        }
        EXPECT_EQ(QFile::permissions(path), kOwnerReadWriteOthersRead);
        EXPECT_EQ(filesIn(folder), QStringList{"voice.wav"});
    }
}

TEST(WaveUtil, AppendSilenceOfNothingOrToNoWave)
{
    const QString folder = testFolder();
    const QString wave = folder + "/voice.wav";
    const QByteArray original = pcmWave(makePcmFormat(8000, 8, 1), sampleBytes(101), chunk("id3 ", "TAG"));
    writeFile(wave, original);
    EXPECT_TRUE(AppendSilenceToWave(wave, 0, true));
    EXPECT_FALSE(AppendSilenceToWave(wave, -1, true));
    EXPECT_EQ(readFile(wave), original);

    const QString text = folder + "/notes.wav";
    writeFile(text, "not a recording");
    EXPECT_FALSE(AppendSilenceToWave(text, 10, true));
    EXPECT_EQ(readFile(text), QByteArray("not a recording"));

    EXPECT_FALSE(AppendSilenceToWave(folder + "/missing.wav", 10, true));
    EXPECT_FALSE(AppendSilenceToWave(folder + "/missing.wav", 0, true));
    EXPECT_FALSE(QFile::exists(folder + "/missing.wav"));
}

TEST(WaveUtil, AFailedAppendLeavesTheFileAsItWas)
{
    const WaveFormatEx format = makePcmFormat(8000, 16, 1);
    const struct {
        const char* name;
        QByteArray later;
    } cases[] = {{"in place", {}}, {"through a copy", chunk("id3 ", "TAG01")}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = testFolder();
        const QString path = folder + "/voice.wav";
        const QByteArray original = pcmWave(format, sampleBytes(2000), c.later);
        writeFile(path, original);
        bool appended = true;
        {
            const FileSizeLimit diskFull(original.size() + 10);
            appended = AppendSilenceToWave(path, 1000, false);
        }
        EXPECT_FALSE(appended);
        EXPECT_EQ(readFile(path), original);
        EXPECT_EQ(filesIn(folder), QStringList{"voice.wav"});
    }
}

TEST(WaveUtil, AppendSilenceStopsAtFourGigabytes)
{
    const uint32_t largestData = 0xFFFFFFD8; // with the 38 bytes of the other chunks: 0xFFFFFFFE
    const QString path = testFolder() + "/long.wav";
    writeSparseWave(path, largestData - 100);

    ASSERT_TRUE(AppendSilenceToWave(path, 100, true));
    const QByteArray full = headerOf(path);
    EXPECT_EQ(full.mid(4, 4), le32(0xFFFFFFFE));
    EXPECT_EQ(full.mid(42, 4), le32(largestData));
    EXPECT_EQ(QFile(path).size(), 46 + int64_t(largestData));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        ASSERT_TRUE(file.seek(46 + int64_t(largestData) - 101));
        EXPECT_EQ(file.read(101), QByteArray(1, '\0') + silence(100, true));
    }
    EXPECT_EQ(pythonWaveInfo(path, false).frames, int64_t(largestData));

    // One byte more needs a pad byte too.
    EXPECT_FALSE(AppendSilenceToWave(path, 1, true));
    EXPECT_EQ(headerOf(path), full);
    EXPECT_EQ(QFile(path).size(), 46 + int64_t(largestData));

    // The same limit when a chunk follows the data, checked before anything is copied.
    const QString tagged = testFolder() + "/tagged.wav";
    const QByteArray id3 = chunk("id3 ", "TAG");
    writeSparseWave(tagged, largestData - 100 - uint32_t(id3.size()), id3);
    const QByteArray before = headerOf(tagged);
    EXPECT_FALSE(AppendSilenceToWave(tagged, 101, true));
    EXPECT_EQ(headerOf(tagged), before);
    EXPECT_EQ(QFile(tagged).size(), 46 + int64_t(largestData) - 100);
    EXPECT_EQ(filesIn(QFileInfo(tagged).absolutePath()), QStringList{"tagged.wav"});
}

TEST(WaveUtil, ConvertPositionIsExactIntegerArithmetic)
{
    constexpr int ms = kPositionMilliseconds;
    constexpr int frames = kPositionFrames;
    const struct {
        uint32_t value;
        int from;
        int to;
        uint32_t rate;
        int64_t expected;
    } cases[] = {
        {1000, ms, frames, 22050, 22050},
        {22051, frames, ms, 22050, 1000},
        {10, ms, frames, 22050, 220}, // 220.5: halves go to even
        {30, ms, frames, 22050, 662}, // 661.5
        {1, ms, frames, 44100, 44},
        {3, ms, frames, 11025, 33},   // 33.075
        // Here value / rate x 1000 in floating point falls just below the whole number.
        {48048, frames, ms, 48000, 1001},
        {8008, frames, ms, 8000, 1001},
        {88641, frames, ms, 44100, 2010},
        {0xFFFFFFFF, frames, ms, 8000, 536870911},
        {0xFFFFFFFF, frames, ms, 1, 4294967295000},
        {0xFFFFFFFF, ms, frames, 0xFFFFFFFF, 18446744065119617}, // x rate / 1000 passes 2^63
        {0xFFFFFF3C, ms, frames, 0xFFFFFFFF, 18446743227600994}, // ...994.5: halves to even there too
        {0xFFFFFE74, ms, frames, 0xFFFFFFFF, 18446742368607536}, // ...535.5
        {500, ms, ms, 44100, 500},
        {500, frames, frames, 44100, 500},
        {500, 2, frames, 44100, 0},
        {500, ms, 2, 44100, 0},
        {500, 2, 2, 44100, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " " << c.from << "->" << c.to << " at " << c.rate);
        const WaveFormatEx format = makePcmFormat(c.rate, 16, 2);
        EXPECT_EQ(ConvertPosition(c.value, c.from, c.to, &format), c.expected);
    }

    EXPECT_EQ(ConvertPosition(1000, ms, frames, nullptr), 0);
    EXPECT_EQ(ConvertPosition(1000, ms, ms, nullptr), 0);
    for (auto field : {&WaveFormatEx::samplesPerSec, &WaveFormatEx::avgBytesPerSec}) {
        WaveFormatEx format = makePcmFormat(22050, 16, 2);
        format.*field = 0;
        // Only the rate matters of the two.
        EXPECT_EQ(ConvertPosition(1000, ms, frames, &format), field == &WaveFormatEx::samplesPerSec ? 0 : 22050);
    }
    for (auto field : {&WaveFormatEx::bitsPerSample, &WaveFormatEx::channels}) {
        WaveFormatEx format = makePcmFormat(22050, 16, 2);
        format.*field = 0;
        EXPECT_EQ(ConvertPosition(1000, ms, frames, &format), 0);
        EXPECT_EQ(ConvertPosition(1000, ms, ms, &format), 0);
    }
}
