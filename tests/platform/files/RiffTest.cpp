#include "platform/files/Riff.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>

using platform::fourCC;
using platform::RiffChunk;
using platform::RiffFile;
namespace RiffCode = platform::RiffCode;

namespace {

// Little builder for hand-made RIFF files, so a test states exactly the bytes it means.
struct Bytes {
    QByteArray data;
    Bytes& id(const char* four) { data.append(four, 4); return *this; }
    Bytes& u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            data.append(char((v >> (8 * i)) & 0xFF));
        return *this;
    }
    Bytes& raw(const QByteArray& b) { data.append(b); return *this; }
    Bytes& fill(int n, char c) { data.append(QByteArray(n, c)); return *this; }
    Bytes& chunk(const char* four, const QByteArray& body, bool pad = true)
    {
        id(four).u32(uint32_t(body.size())).raw(body);
        if (pad && (body.size() & 1))
            data.append('\0');
        return *this;
    }
};

QByteArray riff(const char* form, const QByteArray& children, int64_t declared = -1)
{
    return Bytes().id("RIFF").u32(uint32_t(declared >= 0 ? declared : children.size() + 4)).id(form).raw(children).data;
}

QString writeTemp(const QByteArray& bytes, const QString& name = QStringLiteral("f.riff"))
{
    const QString path = testsupport::testFolder() + "/" + name;
    testsupport::writeFile(path, bytes);
    return path;
}

std::unique_ptr<RiffFile> openRead(const QString& path)
{
    int error = -1;
    auto file = RiffFile::open(path, RiffFile::Mode::Read, &error);
    EXPECT_EQ(error, RiffCode::Ok);
    return file;
}

} // namespace

TEST(Riff, WritesSizesAndPadBytesOfCreatedChunks)
{
    const QString path = testsupport::testFolder() + "/made.wav";
    {
        int error = -1;
        auto file = RiffFile::open(path, RiffFile::Mode::Create, &error);
        ASSERT_TRUE(file);
        RiffChunk outer;
        outer.formType = fourCC("WAVE");
        ASSERT_EQ(file->createChunk(outer, RiffFile::Create::Riff), RiffCode::Ok);
        RiffChunk fmt;
        fmt.id = fourCC("fmt ");
        ASSERT_EQ(file->createChunk(fmt), RiffCode::Ok);
        ASSERT_EQ(file->write("0123456789abcdefgh", 18), 18);
        ASSERT_EQ(file->ascend(fmt), RiffCode::Ok);
        RiffChunk data;
        data.id = fourCC("data");
        ASSERT_EQ(file->createChunk(data), RiffCode::Ok);
        ASSERT_EQ(file->write("abcde", 5), 5);
        ASSERT_EQ(file->ascend(data), RiffCode::Ok);
        EXPECT_EQ(data.size, 5u);
        ASSERT_EQ(file->ascend(outer), RiffCode::Ok);
        EXPECT_EQ(file->close(), RiffCode::Ok);
    }
    const QByteArray expected = riff("WAVE", Bytes().chunk("fmt ", "0123456789abcdefgh").chunk("data", "abcde").data);
    EXPECT_EQ(testsupport::readFile(path), expected);
    EXPECT_EQ(expected.size(), 12 + 26 + 8 + 6);
}

TEST(Riff, FindsChunksAmongAllChildrenWhateverTheirOrder)
{
    // data before fmt, an odd-sized LIST with its pad byte, and an unknown chunk in between.
    const QByteArray children = Bytes()
                                    .chunk("LIST", QByteArray("INFOabc"))
                                    .chunk("data", QByteArray("\x01\x02\x03\x04", 4))
                                    .chunk("junk", QByteArray(3, 'j'))
                                    .chunk("fmt ", QByteArray(16, 'f'))
                                    .data;
    auto file = openRead(writeTemp(riff("WAVE", children)));
    ASSERT_TRUE(file);

    RiffChunk outer;
    outer.formType = fourCC("WAVE");
    ASSERT_EQ(file->descend(outer, nullptr, RiffFile::Descend::FindRiff), RiffCode::Ok);
    EXPECT_EQ(file->position(), 12);

    RiffChunk fmt;
    fmt.id = fourCC("fmt ");
    ASSERT_EQ(file->descend(fmt, &outer, RiffFile::Descend::FindChunk), RiffCode::Ok);
    EXPECT_EQ(fmt.size, 16u);
    char body[16];
    ASSERT_EQ(file->read(body, 16), 16);
    EXPECT_EQ(QByteArray(body, 16), QByteArray(16, 'f'));
    ASSERT_EQ(file->ascend(fmt), RiffCode::Ok);

    // The search starts again at the first child, so data is found although it lies before fmt.
    RiffChunk data;
    data.id = fourCC("data");
    ASSERT_EQ(file->descend(data, &outer, RiffFile::Descend::FindChunk), RiffCode::Ok);
    EXPECT_EQ(data.size, 4u);
    EXPECT_EQ(data.flags & RiffChunk::Clamped, 0u);

    RiffChunk list;
    ASSERT_EQ(file->descend(list, &outer, RiffFile::Descend::FindList), RiffCode::Ok);
    EXPECT_EQ(list.formType, fourCC("INFO"));

    RiffChunk missing;
    missing.id = fourCC("id3 ");
    EXPECT_EQ(file->descend(missing, &outer, RiffFile::Descend::FindChunk), RiffCode::ChunkNotFound);
}

TEST(Riff, FormTypeIsMatchedOnlyWhenGiven)
{
    auto file = openRead(writeTemp(riff("AVI ", Bytes().chunk("data", "xx").data)));
    ASSERT_TRUE(file);
    RiffChunk wave;
    wave.formType = fourCC("WAVE");
    EXPECT_EQ(file->descend(wave, nullptr, RiffFile::Descend::FindRiff), RiffCode::ChunkNotFound);
    RiffChunk any;
    EXPECT_EQ(file->descend(any, nullptr, RiffFile::Descend::FindRiff), RiffCode::Ok);
    EXPECT_EQ(any.formType, fourCC("AVI "));
}

TEST(Riff, SizesAreCheckedAgainstParentAndFile)
{
    struct Case {
        const char* name;
        QByteArray file;
        uint32_t wanted;
        int expectedCode;
        uint32_t expectedSize;
        bool clamped;
    };
    const QByteArray fmt = Bytes().chunk("fmt ", QByteArray(16, 'f')).data;
    const Case cases[] = {
        {"data past the end is clamped to the bytes present",
         riff("WAVE", fmt + Bytes().id("data").u32(1000).fill(10, 'd').data), fourCC("data"), RiffCode::Ok, 10, true},
        {"data with the streaming size 0xFFFFFFFF is clamped",
         riff("WAVE", fmt + Bytes().id("data").u32(0xFFFFFFFF).fill(7, 'd').data), fourCC("data"), RiffCode::Ok, 7, true},
        {"a RIFF size past the end is clamped, its children still found",
         riff("WAVE", fmt + Bytes().chunk("data", "abcd").data, 100000), fourCC("data"), RiffCode::Ok, 4, false},
        {"another chunk past the end is corrupt, not clamped",
         riff("WAVE", Bytes().id("LIST").u32(500).id("INFO").data + fmt), fourCC("fmt "), RiffCode::Corrupt, 0, false},
        {"fmt past the end is corrupt",
         riff("WAVE", Bytes().id("fmt ").u32(0xFFFFFFF0).fill(16, 'f').data), fourCC("fmt "), RiffCode::Corrupt, 0, false},
        {"data past its parent but inside the file is clamped to the parent",
         riff("WAVE", fmt + Bytes().id("data").u32(8).fill(8, 'd').data, 4 + 24 + 8 + 4) + QByteArray(8, 'z'),
         fourCC("data"), RiffCode::Ok, 4, true},
        {"a header cut short ends the search",
         riff("WAVE", fmt + QByteArray("dat"), 4 + 24 + 3), fourCC("data"), RiffCode::ChunkNotFound, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto file = openRead(writeTemp(c.file));
        ASSERT_TRUE(file);
        RiffChunk outer;
        ASSERT_EQ(file->descend(outer, nullptr, RiffFile::Descend::FindRiff), RiffCode::Ok);
        RiffChunk chunk;
        chunk.id = c.wanted;
        EXPECT_EQ(file->descend(chunk, &outer, RiffFile::Descend::FindChunk), c.expectedCode);
        if (c.expectedCode == RiffCode::Ok) {
            EXPECT_EQ(chunk.size, c.expectedSize);
            EXPECT_EQ((chunk.flags & RiffChunk::Clamped) != 0, c.clamped);
            EXPECT_LE(chunk.dataOffset + chunk.size, file->fileSize());
        }
    }
}

TEST(Riff, MalformedOuterChunksAreRefused)
{
    struct Case {
        const char* name;
        QByteArray file;
        int expectedCode;
    };
    const Case cases[] = {
        {"empty file", QByteArray(), RiffCode::ChunkNotFound},
        {"shorter than a header", QByteArray("RIFF\x04", 5), RiffCode::ChunkNotFound},
        {"RIFF too small for its form type", Bytes().id("RIFF").u32(2).raw("WA").data, RiffCode::Corrupt},
        {"RIFF with nothing after the size", Bytes().id("RIFF").u32(100).data, RiffCode::Corrupt},
        {"not RIFF at all", QByteArray("ID3\x03\x00\x00\x00\x00\x00\x00 some text", 21), RiffCode::Corrupt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto file = openRead(writeTemp(c.file));
        ASSERT_TRUE(file);
        RiffChunk outer;
        EXPECT_EQ(file->descend(outer, nullptr, RiffFile::Descend::FindRiff), c.expectedCode);
    }
}

TEST(Riff, AscendOutOfAReadChunkSkipsItsPadByte)
{
    const QByteArray children = Bytes().chunk("odd ", "abc").chunk("next", "zz").data;
    auto file = openRead(writeTemp(riff("TEST", children)));
    ASSERT_TRUE(file);
    RiffChunk outer;
    ASSERT_EQ(file->descend(outer, nullptr, RiffFile::Descend::FindRiff), RiffCode::Ok);
    RiffChunk odd;
    ASSERT_EQ(file->descend(odd, &outer, RiffFile::Descend::Next), RiffCode::Ok);
    EXPECT_EQ(odd.id, fourCC("odd "));
    ASSERT_EQ(file->ascend(odd), RiffCode::Ok);
    RiffChunk next;
    ASSERT_EQ(file->descend(next, &outer, RiffFile::Descend::Next), RiffCode::Ok);
    EXPECT_EQ(next.id, fourCC("next"));
    EXPECT_EQ(next.dataOffset, 12 + 8 + 4 + 8);
}

TEST(Riff, CreatedChunkPastFourGigabytesIsRefused)
{
    const QString path = testsupport::testFolder() + "/big.riff";
    auto file = RiffFile::open(path, RiffFile::Mode::Create);
    ASSERT_TRUE(file);
    RiffChunk data;
    data.id = fourCC("data");
    ASSERT_EQ(file->createChunk(data), RiffCode::Ok);
    ASSERT_GE(file->seek(data.dataOffset + 0x100000000LL), 0);
    EXPECT_EQ(file->ascend(data), RiffCode::TooLarge);
}

TEST(Riff, OnlyRegularFilesOpen)
{
    const QString folder = testsupport::testFolder();
    const QString fifo = folder + "/pipe";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {folder + "/missing.wav", folder, fifo, QString()}) {
        SCOPED_TRACE(path.toStdString());
        int error = 0;
        EXPECT_FALSE(RiffFile::open(path, RiffFile::Mode::Read, &error)); // never blocks on the FIFO
        EXPECT_EQ(error, RiffCode::CannotOpen);
    }
}

TEST(Riff, ReadWriteAndSeekKeepOnePosition)
{
    const QString path = writeTemp("0123456789");
    int error = -1;
    auto file = RiffFile::open(path, RiffFile::Mode::ReadWrite, &error);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->seek(-3, SEEK_END), 7);
    char buffer[8] = {};
    EXPECT_EQ(file->read(buffer, 8), 3);
    EXPECT_EQ(QByteArray(buffer, 3), "789");
    EXPECT_EQ(file->read(buffer, 8), 0);
    EXPECT_EQ(file->seek(2, SEEK_SET), 2);
    EXPECT_EQ(file->write("ab", 2), 2);
    EXPECT_EQ(file->seek(1, SEEK_CUR), 5);
    EXPECT_EQ(file->seek(-10, SEEK_CUR), -1);
    EXPECT_EQ(file->close(), RiffCode::Ok);
    EXPECT_EQ(testsupport::readFile(path), "01ab456789");
}
