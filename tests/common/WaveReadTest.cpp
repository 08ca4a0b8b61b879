#include "common/WaveRead.h"
#include "common/WaveUtil.h"
#include "tests/support/WaveFixtures.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <optional>

using namespace wavefixtures;
using testsupport::testFolder;
using testsupport::writeFile;

namespace {

// Expected result "some code of the RIFF layer": a non-zero value below 5000.
constexpr int kRiffError = -1;

enum class Source { Bytes, Sox, Missing, Folder, EmptyName };

struct FileCase {
    const char* name;
    Source source;
    QByteArray bytes;   // Source::Bytes
    QStringList sox;    // Source::Sox: the options of `sox -n <options> FILE synth 0.01 ...` (80 frames)
    int openRequired;   // OpenWaveForRead, data required
    int openOptional;   // OpenWaveForRead, data not required
    int readFormat;     // ReadWaveFormat
    uint32_t dataSize = 0; // the reader's data size when it opens the file
    uint32_t frames = 0;   // ReadWaveFormat's frame count when it succeeds
    std::optional<WaveFormatEx> format = {}; // the format both return, when they succeed
    uint16_t formatTag = WAVE_FORMAT_PCM;    // ReadWaveFormat's format tag when it succeeds
};

void expectOpen(const QString& path, bool requireData, const FileCase& c, const QByteArray& samples)
{
    SCOPED_TRACE(requireData ? "data required" : "data not required");
    const int expected = requireData ? c.openRequired : c.openOptional;
    TWaveReader reader;
    const int code = OpenWaveForRead(path, reader, platform::RiffFile::Mode::Read, requireData);
    if (expected == kRiffError) {
        EXPECT_GT(code, 0);
        EXPECT_LT(code, 5000);
    } else {
        EXPECT_EQ(code, expected);
    }
    if (code != WaveReadCode::Ok) {
        EXPECT_FALSE(reader.handle);
        EXPECT_EQ(reader.dataSize, 0u);
        EXPECT_EQ(reader.format, WaveFormatEx{});
        EXPECT_EQ(reader.riffChunk.id | reader.fmtChunk.id | reader.dataChunk.id, 0u);
        return;
    }
    EXPECT_EQ(reader.fileName, path);
    EXPECT_EQ(reader.dataSize, c.dataSize);
    if (c.format) {
        EXPECT_EQ(reader.format, *c.format);
    }
    // The handle stands at the first sample byte.
    if (c.source == Source::Bytes) {
        QByteArray read(int(c.dataSize), '\0');
        EXPECT_EQ(reader.handle->read(read.data(), read.size()), read.size());
        EXPECT_EQ(read, samples.left(int(c.dataSize)));
    }
    CloseWaveForRead(reader.handle);
    EXPECT_FALSE(reader.handle);
}

void expectReadFormat(const QString& path, const FileCase& c)
{
    uint32_t frames = 12345;
    WaveFormatEx format;
    EXPECT_EQ(ReadWaveFormat(path, &frames, &format), c.readFormat);
    EXPECT_EQ(ReadWaveFormat(path, nullptr, nullptr), c.readFormat);
    if (c.readFormat != 0) {
        EXPECT_EQ(frames, 0u);
        return;
    }
    EXPECT_EQ(frames, c.frames);
    EXPECT_EQ(format.formatTag, c.formatTag);
    if (c.format) {
        EXPECT_EQ(format, *c.format);
    }
}

} // namespace

// Well-formed, unusual and malformed files: the code each reading routine gives. Under the
// sanitizers this also shows that no input makes them crash, read out of bounds or hang.
TEST(WaveRead, EveryFileGivesTheExpectedCodeFromEachRoutine)
{
    const WaveFormatEx f = makePcmFormat(8000, 16, 2);
    const QByteArray s = sampleBytes(40);
    const QByteArray fmt = chunk("fmt ", fmtBody(f));
    const QByteArray data = chunk("data", s);
    const QByteArray list = chunk("LIST", QByteArray("INFO") + chunk("INAM", "Take 1"));
    WaveFormatEx extra = f;
    extra.extraSize = 32;
    WaveFormatEx noAlign = f;
    noAlign.blockAlign = 0;
    WaveFormatEx noChannels = f;
    noChannels.channels = 0;
    const WaveFormatEx pcm24 = makePcmFormat(8000, 24, 2);
    const QByteArray cut = riff("WAVE", fmt + chunk("data", s, 0x7FFFFFC0) + s.left(1), 0x7FFFFFF0);

    const FileCase cases[] = {
        {"well-formed", Source::Bytes, pcmWave(f, s), {}, 5000, 5000, 0, 40, 10, f},
        {"other form type", Source::Bytes, riff("AVI ", fmt + data), {}, 5000, 5000, 108, 40, 0, f},
        {"16-byte fmt", Source::Bytes, riff("WAVE", chunk("fmt ", fmtBody(f, 16)) + data), {}, 5000, 5000, 0, 40, 10, f},
        {"50-byte fmt", Source::Bytes, riff("WAVE", chunk("fmt ", fmtBody(extra, 50)) + data), {}, 5000, 5000, 0, 40, 10, extra},
        {"fmt shorter than 16", Source::Bytes, riff("WAVE", chunk("fmt ", fmtBody(f, 14)) + data), {}, 5003, 5003, 109},
        {"sox 16-bit", Source::Sox, {}, {"-r", "8000", "-c", "2", "-b", "16"}, 5000, 5000, 0, 320, 80, f},
        {"sox 24-bit extensible", Source::Sox, {}, {"-r", "8000", "-c", "2", "-b", "24"}, 5005, 5005, 0, 0, 80, {}, 0xFFFE},
        {"sox IMA ADPCM", Source::Sox, {}, {"-r", "8000", "-c", "1", "-e", "ima-adpcm"}, 5005, 5005, 0, 0, 1, {}, 0x11},
        {"24-bit PCM", Source::Bytes, pcmWave(pcm24, s.left(36)), {}, 5000, 5000, 0, 36, 6, pcm24},
        {"empty data", Source::Bytes, pcmWave(f, {}), {}, 5004, 5000, 164, 0, 0},
        {"LIST before fmt", Source::Bytes, riff("WAVE", list + fmt + data), {}, 5000, 5000, 0, 40, 10, f},
        {"LIST before data", Source::Bytes, riff("WAVE", fmt + list + data), {}, 5000, 5000, 0, 40, 10, f},
        {"odd chunk before data", Source::Bytes, riff("WAVE", fmt + chunk("junk", "abc") + data), {}, 5000, 5000, 0, 40, 10, f},
        {"data before fmt", Source::Bytes, riff("WAVE", data + fmt), {}, 5000, 5000, 0, 40, 10, f},
        {"data past the end", Source::Bytes, riff("WAVE", fmt + chunk("data", s.left(10), 1000)), {}, 5000, 5000, 0, 8, 2, f},
        {"data past the end, no whole frame", Source::Bytes, riff("WAVE", fmt + chunk("data", s.left(2), 1000)), {}, 5004, 5000, 164, 0, 0},
        {"cut recording", Source::Bytes, cut, {}, 5000, 5000, 0, 40, 10, f},
        {"data past its RIFF chunk", Source::Bytes, riff("WAVE", fmt + data, 4 + 26 + 8 + 5), {}, 5000, 5000, 0, 4, 1, f},
        {"chunk past the end before data", Source::Bytes, riff("WAVE", fmt + chunk("LIST", "INFO", 0x10000) + data), {}, 5003, 5003, 111},
        {"chunk past the end before fmt", Source::Bytes, riff("WAVE", chunk("junk", "abcd", 0x10000) + fmt + data), {}, kRiffError, kRiffError, 109},
        {"fmt size 0xFFFFFFF0", Source::Bytes, riff("WAVE", chunk("fmt ", fmtBody(f), 0xFFFFFFF0) + data), {}, kRiffError, kRiffError, 109},
        {"block align 0", Source::Bytes, pcmWave(noAlign, s), {}, 5003, 5003, 109},
        {"0 channels", Source::Bytes, pcmWave(noChannels, s), {}, 5003, 5003, 109},
        {"no fmt", Source::Bytes, riff("WAVE", data), {}, kRiffError, kRiffError, 161},
        {"no data", Source::Bytes, riff("WAVE", fmt + list), {}, 5003, 5003, 111},
        {"header cut in fmt", Source::Bytes, pcmWave(f, s).left(30), {}, kRiffError, kRiffError, 109},
        {"header cut in RIFF", Source::Bytes, pcmWave(f, s).left(10), {}, kRiffError, kRiffError, 108},
        {"empty file", Source::Bytes, {}, {}, kRiffError, kRiffError, 108},
        {"not RIFF", Source::Bytes, "This is a text file, not a recording.\n", {}, kRiffError, kRiffError, 108},
        {"missing file", Source::Missing, {}, {}, 5003, 5003, 103},
        {"a folder", Source::Folder, {}, {}, 5003, 5003, 103},
        {"empty name", Source::EmptyName, {}, {}, 5002, 5002, 103},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = testFolder();
        QString path = folder + "/file.wav";
        switch (c.source) {
        case Source::Bytes: writeFile(path, c.bytes); break;
        case Source::Sox:
            ASSERT_EQ(testsupport::runSox(QStringList{"-n"} + c.sox + QStringList{path, "synth", "0.01", "sine", "440"})
                          .exitCode, 0);
            break;
        case Source::Missing: break;
        case Source::Folder: path = folder; break;
        case Source::EmptyName: path.clear(); break;
        }
        expectOpen(path, true, c, s);
        expectOpen(path, false, c, s);
        expectReadFormat(path, c);
    }
}

TEST(WaveRead, ClosingAClosedHandleDoesNothing)
{
    std::unique_ptr<platform::RiffFile> handle;
    CloseWaveForRead(handle);
    EXPECT_FALSE(handle);
}
