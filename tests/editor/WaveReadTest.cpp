#include "editor/WaveRead.h"

#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QFile>

#include <unistd.h>
#include <vector>

using namespace wavefixtures;
using testsupport::readFile;
using testsupport::testFolder;
using testsupport::writeFile;

namespace {

QString fixture(const QString& name, const QByteArray& bytes)
{
    const QString path = testFolder() + "/" + name;
    writeFile(path, bytes);
    return path;
}

struct OpenCase {
    const char* name;
    QByteArray bytes;
    int code;             // 0: any code of the RIFF layer (below 5000, not 0)
    uint32_t dataSize;    // on success
};

std::vector<OpenCase> openCases()
{
    const WaveFormatEx mono16 = makePcmFormat(8000, 16, 1);
    const WaveFormatEx stereo16 = makePcmFormat(8000, 16, 2);
    const QByteArray fmt = chunk("fmt ", fmtBody(mono16));
    const QByteArray samples = sampleBytes(40);
    return {
        {"plain", pcmWave(mono16, samples), WaveReadCode::Ok, 40},
        {"sixteen-byte fmt", riff("WAVE", chunk("fmt ", fmtBody(mono16, 16)) + chunk("data", samples)),
         WaveReadCode::Ok, 40},
        {"odd LIST before data", riff("WAVE", fmt + chunk("LIST", "INFOabc") + chunk("data", samples)),
         WaveReadCode::Ok, 40},
        {"data before fmt", riff("WAVE", chunk("data", samples) + fmt), WaveReadCode::Ok, 40},
        {"chunks after data", pcmWave(mono16, samples, chunk("id3 ", sampleBytes(11, 2)) + chunk("LIST", "INFO")),
         WaveReadCode::Ok, 40},
        // A recording cut short: the stated sizes (of "data" and of the RIFF chunk) run past the
        // file, and its last frame is partial.
        {"data cut short mid-frame",
         riff("WAVE", chunk("fmt ", fmtBody(stereo16)) + chunk("data", sampleBytes(13), 400), 4 + 26 + 8 + 400),
         WaveReadCode::Ok, 12},
        {"data size of 4 GiB", riff("WAVE", fmt + chunk("data", samples, 0xFFFFFFFFu)), WaveReadCode::Ok, 40},
        {"empty data", pcmWave(mono16, {}), WaveReadCode::NoData, 0},
        {"data cut to less than a frame", riff("WAVE", chunk("fmt ", fmtBody(stereo16)) + chunk("data", "ab", 400)),
         WaveReadCode::NoData, 0},
        {"no data", riff("WAVE", fmt + chunk("LIST", "INFO")), WaveReadCode::CannotRead, 0},
        {"extensible format", pcmWave(waveFormat(0xFFFE, 2, 8000, 16), samples), WaveReadCode::NotPcm, 0},
        {"ADPCM format", pcmWave(waveFormat(0x11, 1, 8000, 4, 256), samples), WaveReadCode::NotPcm, 0},
        {"fmt shorter than a record", riff("WAVE", chunk("fmt ", fmtBody(mono16, 12)) + chunk("data", samples)),
         WaveReadCode::CannotRead, 0},
        {"fmt past the end of the file", riff("WAVE", chunk("fmt ", fmtBody(mono16), 5000)), 0, 0},
        {"no fmt", riff("WAVE", chunk("data", samples)), 0, 0},
        {"no RIFF", "not a wave file at all", 0, 0},
        {"empty file", {}, 0, 0},
    };
}

} // namespace

TEST(EditorWaveRead, OpenGivesTheCodeOfEachFile)
{
    for (const OpenCase& c : openCases()) {
        SCOPED_TRACE(c.name);
        TWaveReader reader;
        const int code = editor::OpenWaveForRead(fixture("open.wav", c.bytes), reader);
        if (c.code == 0) {
            EXPECT_NE(code, 0);
            EXPECT_LT(code, 5000);
        } else {
            EXPECT_EQ(code, c.code);
        }
        if (code == WaveReadCode::Ok) {
            EXPECT_EQ(reader.dataSize, c.dataSize);
            ASSERT_TRUE(reader.handle);
            EXPECT_EQ(reader.handle->position(), reader.dataChunk.dataOffset);
            EXPECT_EQ(reader.format.formatTag, WAVE_FORMAT_PCM);
        } else {
            EXPECT_FALSE(reader.handle);
            EXPECT_EQ(reader.dataSize, 0u);
            EXPECT_EQ(reader.format, WaveFormatEx{});
            EXPECT_EQ(reader.dataChunk.size, 0u);
        }
        CloseWaveForRead(reader.handle);
    }
}

TEST(EditorWaveRead, OpenWithoutAFileNameOrFile)
{
    TWaveReader reader;
    EXPECT_EQ(editor::OpenWaveForRead(QString(), reader), WaveReadCode::NoFileName);
    EXPECT_EQ(editor::OpenWaveForRead(testFolder() + "/missing.wav", reader), WaveReadCode::CannotRead);
    EXPECT_EQ(editor::OpenWaveForRead(testFolder(), reader), WaveReadCode::CannotRead) << "a folder";
    EXPECT_FALSE(reader.handle);
}

namespace {

enum class Layout {
    AsMade,      // the file as sox wrote it
    ChunksAfter, // the same samples with an odd-sized chunk and a tag chunk after "data"
    CutShort,    // cut in the middle of a frame; the header still states the whole size
};

struct WaveCase {
    int bits;
    int channels;
    Layout layout;
};

// The file of a case and the sample bytes a reader must see in it.
struct Prepared {
    QString path;
    QByteArray samples;
};

Prepared prepare(const WaveCase& c)
{
    const QString made = soxWave(testFolder() + QStringLiteral("/sox-%1-%2.wav").arg(c.bits).arg(c.channels), c.bits,
                                 c.channels, 301);
    const WaveInfo info = pythonWaveInfo(made);
    EXPECT_EQ(info.frames, 301);
    const WaveFormatEx format = makePcmFormat(8000, uint16_t(c.bits), uint16_t(c.channels));
    switch (c.layout) {
    case Layout::AsMade: return {made, info.samples};
    case Layout::ChunksAfter:
        return {fixture("after.wav", pcmWave(format, info.samples, chunk("LIST", "INFOz") + chunk("id3 ", "ID3tag"))),
                info.samples};
    case Layout::CutShort: {
        const QByteArray whole = readFile(made);
        const int keptFrames = 123;
        // One byte of the next frame is left (a whole frame of 8-bit mono); an odd-sized "data" chunk
        // also ends in a pad byte, so the cut is counted from the start of the samples.
        const qsizetype present = keptFrames * format.blockAlign + 1;
        const qsizetype cut = whole.indexOf("data") + 8 + present;
        return {fixture("cut.wav", whole.left(cut)), info.samples.left(present - present % format.blockAlign)};
    }
    }
    return {};
}

} // namespace

TEST(EditorWaveRead, ReadsAtAnyOffsetSeeOnlyTheSampleBytes)
{
    const WaveCase cases[] = {
        {8, 1, Layout::AsMade},       {8, 2, Layout::AsMade},       {16, 1, Layout::AsMade},
        {16, 2, Layout::AsMade},      {8, 1, Layout::ChunksAfter},  {8, 2, Layout::ChunksAfter},
        {16, 1, Layout::ChunksAfter}, {16, 2, Layout::ChunksAfter}, {8, 1, Layout::CutShort},
        {8, 2, Layout::CutShort},     {16, 1, Layout::CutShort},    {16, 2, Layout::CutShort},
    };
    for (const WaveCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << "-bit, " << c.channels << " channels, layout " << int(c.layout));
        const Prepared p = prepare(c);
        TWaveReader reader;
        ASSERT_EQ(editor::OpenWaveForRead(p.path, reader), WaveReadCode::Ok);
        const int64_t size = p.samples.size();
        ASSERT_EQ(int64_t(reader.dataSize), size);

        // Odd offsets, the last byte, and counts that run across the end of the data.
        const std::pair<int64_t, int64_t> reads[] = {
            {0, 1},        {0, 7},        {1, 64},      {3, 3},        {size / 2 + 1, 100}, {size - 1, 1},
            {size - 1, 9}, {size - 5, 64}, {0, size},   {0, size + 10}, {7, int64_t(1) << 40},
        };
        for (const auto& [offset, count] : reads) {
            QByteArray buffer(int(std::min<int64_t>(count, size + 16)), '\xAA');
            int64_t read = -1;
            EXPECT_EQ(editor::ReadWaveData(reader, offset, buffer.size(), read, buffer.data()), WaveReadCode::Ok)
                << offset << "+" << count;
            const int64_t expected = std::min<int64_t>(buffer.size(), size - offset);
            EXPECT_EQ(read, expected) << offset << "+" << count;
            EXPECT_EQ(buffer.left(read), p.samples.mid(offset, expected)) << offset << "+" << count;
            EXPECT_EQ(buffer.mid(read), QByteArray(buffer.size() - read, '\xAA')) << "nothing written past the read";
            EXPECT_EQ(reader.handle->position(), reader.dataChunk.dataOffset) << "back at the first sample byte";
        }

        // At or past the end, or before the start: nothing is read.
        for (const int64_t offset : {size, size + 1, int64_t(1) << 33, int64_t(-1)}) {
            char byte = 'x';
            int64_t read = -1;
            EXPECT_EQ(editor::ReadWaveData(reader, offset, 1, read, &byte), editor::kWaveReadNothingRead) << offset;
            EXPECT_EQ(read, 0);
            EXPECT_EQ(byte, 'x');
            EXPECT_EQ(reader.handle->position(), reader.dataChunk.dataOffset);
        }
        CloseWaveForRead(reader.handle);
        EXPECT_FALSE(reader.handle);
    }
}

TEST(EditorWaveRead, NothingToReadGivesNothingRead)
{
    const QString path = fixture("small.wav", pcmWave(makePcmFormat(8000, 8, 1), sampleBytes(10)));
    TWaveReader reader;
    ASSERT_EQ(editor::OpenWaveForRead(path, reader), WaveReadCode::Ok);
    char buffer[16] = {};
    int64_t read = -1;
    EXPECT_EQ(editor::ReadWaveData(reader, 0, 0, read, buffer), editor::kWaveReadNothingRead) << "no bytes asked";
    EXPECT_EQ(editor::ReadWaveData(reader, 0, -4, read, buffer), editor::kWaveReadNothingRead);
    EXPECT_EQ(editor::ReadWaveData(reader, 0, 4, read, nullptr), editor::kWaveReadNothingRead);
    EXPECT_EQ(read, 0);

    // The file shrinks under the open reader: what is gone reads as nothing, what is left still reads.
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), reader.dataChunk.dataOffset + 4), 0);
    EXPECT_EQ(editor::ReadWaveData(reader, 6, 4, read, buffer), editor::kWaveReadNothingRead);
    EXPECT_EQ(read, 0);
    EXPECT_EQ(editor::ReadWaveData(reader, 2, 8, read, buffer), WaveReadCode::Ok);
    EXPECT_EQ(read, 2);
    EXPECT_EQ(QByteArray(buffer, 2), sampleBytes(10).mid(2, 2));
    EXPECT_EQ(reader.handle->position(), reader.dataChunk.dataOffset);

    CloseWaveForRead(reader.handle);
    EXPECT_EQ(editor::ReadWaveData(reader, 0, 4, read, buffer), editor::kWaveReadNothingRead) << "closed";
}
