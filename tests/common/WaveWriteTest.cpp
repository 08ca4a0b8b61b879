#include "common/WaveRead.h"
#include "common/WaveWrite.h"
#include "tests/support/WaveFixtures.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace wavefixtures;
using testsupport::readFile;
using testsupport::testFolder;

namespace {

struct RoundTripCase {
    uint32_t rate;
    uint16_t bits;
    uint16_t channels;
    int bytes;
};

// Our reader: the format, the data size and the samples it leaves the handle at.
void expectOurReaderReads(const QString& path, const WaveFormatEx& format, const QByteArray& samples)
{
    TWaveReader reader;
    ASSERT_EQ(OpenWaveForRead(path, reader), WaveReadCode::Ok);
    EXPECT_EQ(reader.format, format);
    ASSERT_EQ(reader.dataSize, uint32_t(samples.size()));
    QByteArray read(samples.size(), '\0');
    EXPECT_EQ(reader.handle->read(read.data(), read.size()), read.size());
    EXPECT_EQ(read, samples);
    CloseWaveForRead(reader.handle);
    EXPECT_FALSE(reader.handle);
}

} // namespace

TEST(WaveWrite, WrittenFilesAreReadBackBySoxPythonAndOurReader)
{
    const RoundTripCase cases[] = {
        {8000, 8, 1, 1001}, // odd: a pad byte follows the data
        {22050, 8, 2, 2000},
        {44100, 16, 2, 4000},
        {48000, 16, 1, 2002},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << "/" << c.bits << "/" << c.channels << " " << c.bytes);
        const QString path = testFolder() + "/take.wav";
        const QByteArray samples = sampleBytes(c.bytes, c.rate);
        WaveWriterHandle writer = CreateWaveFile(path, c.rate, c.bits, c.channels);
        ASSERT_TRUE(writer);
        // In uneven pieces, as a recorder hands them over.
        ASSERT_TRUE(WriteWaveData(writer, samples.constData(), 7));
        ASSERT_TRUE(WriteWaveData(writer, samples.constData() + 7, 0));
        ASSERT_TRUE(WriteWaveData(writer, samples.constData() + 7, c.bytes - 7));
        ASSERT_TRUE(CloseWaveFile(writer));
        EXPECT_FALSE(writer);

        const WaveFormatEx format = makePcmFormat(c.rate, c.bits, c.channels);
        EXPECT_EQ(readFile(path), pcmWave(format, samples));

        const int64_t frames = c.bytes / format.blockAlign;
        for (const WaveInfo& info : {pythonWaveInfo(path), soxWaveInfo(path)}) {
            EXPECT_EQ(info.rate, int(c.rate));
            EXPECT_EQ(info.channels, c.channels);
            EXPECT_EQ(info.bits, c.bits);
            EXPECT_EQ(info.frames, frames);
            EXPECT_EQ(info.samples, samples.left(int(frames * format.blockAlign)));
        }
        expectOurReaderReads(path, format, samples);
    }
}

TEST(WaveWrite, SeveralFilesAreWrittenAtOnce)
{
    const QString folder = testFolder();
    const QByteArray a = sampleBytes(301, 1);
    const QByteArray b = sampleBytes(400, 2);
    WaveWriterHandle first = CreateWaveFile(folder + "/a.wav", 8000, 8, 1);
    WaveWriterHandle second = CreateWaveFile(folder + "/b.wav", 44100, 16, 2);
    ASSERT_TRUE(first && second);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(WriteWaveData(first, a.constData() + i * 75, i == 3 ? 76 : 75));
        ASSERT_TRUE(WriteWaveData(second, b.constData() + i * 100, 100));
    }
    ASSERT_TRUE(CloseWaveFile(second));
    ASSERT_TRUE(CloseWaveFile(first));
    EXPECT_EQ(readFile(folder + "/a.wav"), pcmWave(makePcmFormat(8000, 8, 1), a));
    EXPECT_EQ(readFile(folder + "/b.wav"), pcmWave(makePcmFormat(44100, 16, 2), b));
}

TEST(WaveWrite, AnAbandonedWriterStillLeavesAValidFile)
{
    const QString path = testFolder() + "/take.wav";
    const QByteArray samples = sampleBytes(99);
    {
        WaveWriterHandle writer = CreateWaveFile(path, 8000, 8, 1);
        ASSERT_TRUE(WriteWaveData(writer, samples.constData(), samples.size()));
    }
    EXPECT_EQ(readFile(path), pcmWave(makePcmFormat(8000, 8, 1), samples));
}

TEST(WaveWrite, AFileWhoseWriterDiedIsReadWhole)
{
    const QString path = testFolder() + "/take.wav";
    const QString crashed = testFolder() + "/crashed.wav";
    const QByteArray samples = sampleBytes(1001);
    WaveWriterHandle writer = CreateWaveFile(path, 8000, 16, 1);
    ASSERT_TRUE(WriteWaveData(writer, samples.constData(), samples.size()));
    // What the disk holds if the program dies now.
    ASSERT_TRUE(QFile::copy(path, crashed));
    ASSERT_TRUE(CloseWaveFile(writer));

    TWaveReader reader;
    ASSERT_EQ(OpenWaveForRead(crashed, reader), WaveReadCode::Ok);
    EXPECT_EQ(reader.dataSize, 1000u); // whole frames only
    CloseWaveForRead(reader.handle);
}

// A header brought up to date while writing describes exactly the samples written so far, for
// readers that trust the sizes; writing then goes on at the end.
TEST(WaveWrite, ARefreshedHeaderDescribesWhatWasWrittenSoFar)
{
    const QString path = testFolder() + "/take.wav";
    const QString crashed = testFolder() + "/crashed.wav";
    const QByteArray first = sampleBytes(1001);
    const QByteArray second = sampleBytes(300, 2);
    WaveWriterHandle writer = CreateWaveFile(path, 8000, 8, 1);
    ASSERT_TRUE(WriteWaveData(writer, first.constData(), first.size()));
    ASSERT_TRUE(RefreshWaveHeader(writer));
    ASSERT_TRUE(QFile::copy(path, crashed));
    ASSERT_TRUE(WriteWaveData(writer, second.constData(), second.size()));
    ASSERT_TRUE(CloseWaveFile(writer));

    const QByteArray dead = readFile(crashed);
    EXPECT_EQ(dead.mid(4, 4), le32(uint32_t(dead.size() - 8)));
    EXPECT_EQ(dead.mid(42, 4), le32(uint32_t(first.size())));
    EXPECT_EQ(pythonWaveInfo(crashed).samples, first);
    EXPECT_EQ(soxWaveInfo(crashed).frames, first.size());
    EXPECT_EQ(readFile(path), pcmWave(makePcmFormat(8000, 8, 1), first + second));

    WaveWriterHandle none;
    EXPECT_FALSE(RefreshWaveHeader(none));
}

TEST(WaveWrite, MissingHandlesAndUncreatableFilesFail)
{
    WaveWriterHandle none;
    WaveWriteError error = WaveWriteError::None;
    EXPECT_FALSE(WriteWaveData(none, "x", 1, &error));
    EXPECT_EQ(error, WaveWriteError::WriteFailed);
    EXPECT_FALSE(CloseWaveFile(none));
    EXPECT_FALSE(CreateWaveFile(testFolder() + "/missing/take.wav", 8000, 8, 1));
}

TEST(WaveWrite, AFailedWriteKeepsWhatWasWrittenAndClosesTheHandle)
{
    const QString path = testFolder() + "/take.wav";
    const QByteArray before = sampleBytes(1000);
    const QByteArray refused = sampleBytes(8000, 2);
    WaveWriterHandle writer = CreateWaveFile(path, 8000, 8, 1);
    ASSERT_TRUE(WriteWaveData(writer, before.constData(), before.size()));
    WaveWriteError error = WaveWriteError::None;
    {
        const FileSizeLimit diskFull(4096);
        EXPECT_FALSE(WriteWaveData(writer, refused.constData(), refused.size(), &error));
    }
    EXPECT_EQ(error, WaveWriteError::WriteFailed);
    EXPECT_FALSE(writer);
    EXPECT_FALSE(CloseWaveFile(writer));
    // The bytes the disk took past the end of the data are outside the RIFF chunk.
    const QByteArray file = readFile(path);
    const QByteArray expected = pcmWave(makePcmFormat(8000, 8, 1), before);
    EXPECT_EQ(file.left(expected.size()), expected);
    EXPECT_EQ(pythonWaveInfo(path).samples, before);
}

// A writer positioned near the limit through a hole in a sparse file, so no gigabytes are written.
TEST(WaveWrite, TheFourGigabyteLimitClosesTheFileWithWhatItHolds)
{
    const QString path = testFolder() + "/long.wav";
    // 38 bytes of chunks besides the data, and the data's pad byte, must fit 0xFFFFFFFF too.
    const int64_t largestData = 0xFFFFFFD8;
    WaveWriterHandle writer = CreateWaveFile(path, 44100, 16, 2);
    ASSERT_TRUE(writer);
    ASSERT_EQ(writer->file->seek(46 + largestData - 4), 46 + largestData - 4);
    ASSERT_TRUE(WriteWaveData(writer, "abcd", 4));
    WaveWriteError error = WaveWriteError::None;
    // One more byte would need a pad byte as well: 38 + 0xFFFFFFD9 + 1 passes the limit.
    EXPECT_FALSE(WriteWaveData(writer, "e", 1, &error));
    EXPECT_EQ(error, WaveWriteError::TooLarge);
    EXPECT_FALSE(writer);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.size(), 46 + largestData);
    const QByteArray header = file.read(46);
    EXPECT_EQ(header.mid(4, 4), le32(0xFFFFFFFE));
    EXPECT_EQ(header.mid(42, 4), le32(uint32_t(largestData)));
    ASSERT_TRUE(file.seek(46 + largestData - 4));
    EXPECT_EQ(file.read(4), QByteArray("abcd"));

    const WaveInfo info = pythonWaveInfo(path, false);
    EXPECT_EQ(info.frames, largestData / 4);
    TWaveReader reader;
    ASSERT_EQ(OpenWaveForRead(path, reader), WaveReadCode::Ok);
    EXPECT_EQ(reader.dataSize, uint32_t(largestData));
}
