// Hostile and damaged input through every call that reads it: each gives its code, returns (no
// hang), leaves no output behind and never changes the file.

#include "platform/codecs/PcmConversion.h"
#include "platform/codecs/Plivorn.h"
#include "platform/codecs/VXFmtHlp.h"
#include "platform/codecs/VXMP3WAV.h"
#include "platform/codecs/VXVorbisToWav.h"

#include "tests/platform/codecs/CodecFixtures.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <chrono>
#include <thread>

using namespace platform::codecs;
using codecfixtures::ffmpegTone;
using codecfixtures::folderEntries;
using codecfixtures::soxTone;
using codecfixtures::truncateCopy;

namespace {

QByteArray syncSafe(uint32_t value)
{
    QByteArray bytes(4, 0);
    for (int i = 0; i < 4; ++i)
        bytes[3 - i] = char((value >> (7 * i)) & 0x7F);
    return bytes;
}

// A copy of the good file with `count` bytes from `at` overwritten by a fixed pattern.
QString damaged(const QString& good, const QString& path, qsizetype at, qsizetype count)
{
    QByteArray bytes = testsupport::readFile(good);
    for (qsizetype i = at; i < at + count && i < bytes.size(); ++i)
        bytes[i] = char((i * 151 + 7) & 0xFF);
    testsupport::writeFile(path, bytes);
    return path;
}

QString goodMp3(const QString& folder)
{
    return ffmpegTone(folder + "/good.mp3", 4, 44100, 2, {"-c:a", "libmp3lame", "-b:a", "128k"});
}

QString goodWma(const QString& folder)
{
    return ffmpegTone(folder + "/good.wma", 4, 44100, 2, {"-c:a", "wmav2", "-b:a", "128k"});
}

QString goodOgg(const QString& folder)
{
    return ffmpegTone(folder + "/good.ogg", 4, 44100, 2, {"-c:a", "libvorbis"});
}

QString inFolder(const QString& folder, const char* name)
{
    return folder + "/" + name;
}

struct Row {
    const char* name;
    // Makes the bad file in folder (its helpers are removed again); returns its path.
    QString (*make)(const QString& folder);
    DecodeStatus core;
    int mp3;        // VXMP3WAV::ConvertMP3FileIntoWave
    int wma;        // Plivorn::ConvertWmaFileIntoWave
    int acm;        // ACMAudioConvertFormatPCM
    int fmt;        // VXFmtHlp::AudioConvert, or the exit reason when it starts
    bool mp3Possible;  // VXMP3WAV::IsConversionPossible
    int fileInfo;   // Plivorn::GetFileInfo
    bool vorbisLength; // VXVorbisToWav::GetLengthOfVorbisFile gives a length
    int64_t frames = 0; // frames of a successful conversion's output; 0: any number but 0
};

constexpr DecodeStatus Ok = DecodeStatus::Ok;
constexpr DecodeStatus NotAudio = DecodeStatus::NotAudio;
constexpr DecodeStatus Corrupt = DecodeStatus::Corrupt;
constexpr DecodeStatus CannotOpen = DecodeStatus::CannotOpen;

const Row kRows[] = {
    {"empty file", [](const QString& f) { testsupport::writeFile(inFolder(f, "empty.mp3"), {}); return inFolder(f, "empty.mp3"); },
     NotAudio, 429, 2, 351, 117, false, 2, false},
    {"text renamed mp3",
     [](const QString& f) {
         testsupport::writeFile(inFolder(f, "text.mp3"), QByteArray("Dear listener, this is no audio.\n").repeated(60));
         return inFolder(f, "text.mp3");
     },
     NotAudio, 429, 2, 351, 117, false, 2, false},
    {"noise renamed wma",
     [](const QString& f) {
         QByteArray bytes(40000, 0);
         for (int i = 0; i < bytes.size(); ++i)
             bytes[i] = char((i * 2654435761u) >> 13);
         testsupport::writeFile(inFolder(f, "noise.wma"), bytes);
         return inFolder(f, "noise.wma");
     },
     NotAudio, 429, 2, 351, 117, false, 2, false},
    {"mp3 whose id3 size points past the end",
     [](const QString& f) {
         const QByteArray audio = testsupport::readFile(goodMp3(f));
         QFile::remove(inFolder(f, "good.mp3"));
         testsupport::writeFile(inFolder(f, "id3.mp3"), QByteArray("ID3\x03\x00\x00", 6) + syncSafe(uint32_t(audio.size()) + 100000) + audio);
         return inFolder(f, "id3.mp3");
     },
     NotAudio, 429, 2, 351, 117, false, 2, false},
    {"truncated mp3",
     [](const QString& f) {
         const QString good = goodMp3(f);
         truncateCopy(good, inFolder(f, "cut.mp3"), QFile(good).size() * 6 / 10);
         QFile::remove(good);
         return inFolder(f, "cut.mp3");
     },
     Corrupt, 429, 2, 351, 117, true, 0, false},
    {"mp3 with damaged frames",
     [](const QString& f) {
         const QString good = goodMp3(f);
         damaged(good, inFolder(f, "damaged.mp3"), 30000, 4000);
         QFile::remove(good);
         return inFolder(f, "damaged.mp3");
     },
     Corrupt, 429, 2, 351, 117, false, 0, false},
    {"truncated wma",
     [](const QString& f) {
         const QString good = goodWma(f);
         truncateCopy(good, inFolder(f, "cut.wma"), QFile(good).size() * 6 / 10);
         QFile::remove(good);
         return inFolder(f, "cut.wma");
     },
     Corrupt, 429, 2, 351, 117, false, 0, false},
    {"wma with damaged header",
     [](const QString& f) {
         const QString good = goodWma(f);
         damaged(good, inFolder(f, "header.wma"), 0, 16);
         QFile::remove(good);
         return inFolder(f, "header.wma");
     },
     NotAudio, 429, 2, 351, 117, false, 2, false},
    {"truncated ogg",
     [](const QString& f) {
         const QString good = goodOgg(f);
         truncateCopy(good, inFolder(f, "cut.ogg"), QFile(good).size() * 6 / 10);
         QFile::remove(good);
         return inFolder(f, "cut.ogg");
     },
     Corrupt, 429, 2, 351, 117, false, 0, true},
    {"ogg with damaged identification header",
     [](const QString& f) {
         const QString good = goodOgg(f);
         const qsizetype at = testsupport::readFile(good).indexOf("\x01vorbis");
         damaged(good, inFolder(f, "header.ogg"), at, 30);
         QFile::remove(good);
         return inFolder(f, "header.ogg");
     },
     NotAudio, 429, 2, 351, 117, false, 2, false},
    // A WAV cut short is a recording that ended early: it is read as far as it goes.
    {"truncated pcm wav",
     [](const QString& f) {
         const QString good = soxTone(inFolder(f, "good.wav"), 2, 22050, 2, {"-b", "16"});
         truncateCopy(good, inFolder(f, "cut.wav"), 44 + 4 * 10000 + 3);
         QFile::remove(good);
         return inFolder(f, "cut.wav");
     },
     Ok, 429, 0, 0, 0, false, 0, false, 10000},
    {"truncated ima adpcm wav",
     [](const QString& f) {
         const QString good = soxTone(inFolder(f, "good.wav"), 2, 22050, 1, {"-e", "ima-adpcm"});
         truncateCopy(good, inFolder(f, "cut.wav"), QFile(good).size() / 2 + 100);
         QFile::remove(good);
         return inFolder(f, "cut.wav");
     },
     Ok, 429, 0, 0, 0, false, 0, false},
    {"wav with a short fmt chunk",
     [](const QString& f) {
         using namespace wavefixtures;
         testsupport::writeFile(inFolder(f, "fmt.wav"),
                                riff("WAVE", chunk("fmt ", fmtBody(waveFormat(1, 1, 8000, 16), 8))
                                                 + chunk("data", sampleBytes(800))));
         return inFolder(f, "fmt.wav");
     },
     NotAudio, 429, 2, 353, 117, false, 2, false},
    {"wav without a data chunk",
     [](const QString& f) {
         using namespace wavefixtures;
         testsupport::writeFile(inFolder(f, "nodata.wav"), riff("WAVE", chunk("fmt ", fmtBody(waveFormat()))));
         return inFolder(f, "nodata.wav");
     },
     NotAudio, 429, 2, 356, 118, false, 2, false},
    {"riff of another form type",
     [](const QString& f) {
         using namespace wavefixtures;
         testsupport::writeFile(inFolder(f, "form.wav"),
                                riff("RMID", chunk("fmt ", fmtBody(waveFormat())) + chunk("data", sampleBytes(800))));
         return inFolder(f, "form.wav");
     },
     NotAudio, 429, 2, 351, 117, false, 2, false},
    {"missing file", [](const QString& f) { return inFolder(f, "missing.mp3"); }, CannotOpen, 407, 1, 350, 115, false, 1,
     false},
    {"a folder",
     [](const QString& f) {
         QDir(f).mkdir("folder.wav");
         return inFolder(f, "folder.wav");
     },
     CannotOpen, 407, 1, 350, 115, false, 1, false},
};

class BadInput : public testing::TestWithParam<int> {};

TEST_P(BadInput, GivesItsCodeWithoutOutput)
{
    const Row& row = kRows[GetParam()];
    const QString folder = testsupport::testFolder();
    const QString bad = row.make(folder);
    const QStringList files = folderEntries(folder);
    const QByteArray before = testsupport::readFile(bad);
    const QString out = folder + "/out.wav";

    // A successful conversion leaves exactly its target; a failed one nothing at all.
    auto checkOutput = [&](bool succeeded, const char* call) {
        SCOPED_TRACE(call);
        QStringList expected = files;
        if (succeeded) {
            expected.append("out.wav");
            expected.sort();
            const int64_t frames = wavefixtures::soxWaveInfo(out, false).frames;
            if (row.frames) {
                EXPECT_EQ(frames, row.frames);
            } else {
                EXPECT_GT(frames, 0);
            }
        }
        EXPECT_EQ(folderEntries(folder), expected);
        QFile::remove(out);
        EXPECT_EQ(testsupport::readFile(bad), before) << "the input was changed";
    };

    DecodeRequest request;
    EXPECT_EQ(decodeToWave(bad, out, request).status, row.core) << describe(decodeToWave(bad, out, request).status);
    checkOutput(row.core == Ok, "core");

    VXMP3WAV mp3;
    EXPECT_EQ(mp3.ConvertMP3FileIntoWave(bad, out), row.mp3);
    checkOutput(row.mp3 == 0, "mp3");

    std::atomic<int32_t> cancel{0};
    std::atomic<int32_t> progress{0};
    std::atomic<int32_t> state{PlivornState::Running};
    EXPECT_EQ(Plivorn::ConvertWmaFileIntoWave(bad, out, &cancel, &progress, &state), row.wma);
    EXPECT_EQ(state.load(), row.wma == 0 ? PlivornState::Finished : PlivornState::Failed);
    checkOutput(row.wma == 0, "wma");

    const WaveFormatEx target = makePcmFormat(22050, 16, 1);
    EXPECT_EQ(ACMAudioConvertFormatPCM(bad, out, target), row.acm);
    checkOutput(row.acm == 0, "acm");

    VXFmtHlp formats;
    uint32_t cell = 0;
    int fmt = formats.AudioConvert(bad, out, &target, &cell, 0);
    if (fmt == 0) {
        while (!formats.AudioConvertProcessIsOver(cell))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        fmt = formats.AudioConvertGetReasonForProcessExit(cell);
    }
    EXPECT_EQ(formats.AudioConvertCloseHandle(&cell), 0);
    EXPECT_EQ(fmt, row.fmt);
    checkOutput(row.fmt == 0, "fmt");

    EXPECT_EQ(VXMP3WAV::IsConversionPossible(bad), row.mp3Possible);
    WmaFileInfo info;
    EXPECT_EQ(Plivorn::GetFileInfo(bad, &info), row.fileInfo);
    EXPECT_EQ(VXVorbisToWav::GetLengthOfVorbisFile(bad) >= 0, row.vorbisLength);
    checkOutput(false, "queries");
}

INSTANTIATE_TEST_SUITE_P(Rows, BadInput, testing::Range(0, int(std::size(kRows))),
                         [](const testing::TestParamInfo<int>& info) {
                             std::string name = kRows[info.param].name;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace
