// Song information by file extension: WAV "id3 " chunks and MP3 tags written through our code and
// read back through it and through mutagen (tests/scripts/tags_read.py); every written WAV is walked
// chunk by chunk (sizes, pad bytes, RIFF size), read by sox and ffprobe, and its sample bytes
// compared by hash with those before the write.
#include "common/AudioFileTag.h"

#include "common/ErrCodes.h"
#include "platform/codecs/Id3Tag.h"
#include "platform/codecs/TagFile.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstring>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::codecs;
using testsupport::ScriptedInteraction;

namespace {

TID3InfoRecord songRecord(const QString& title, const QString& track)
{
    TID3InfoRecord record = emptySongInfo();
    setSongInfoText(record.title, title);
    setSongInfoText(record.artist, QString::fromUtf8("Zoë Host"));
    setSongInfoText(record.album, "Weekly");
    setSongInfoText(record.year, "2024");
    setSongInfoText(record.genre, "Podcast");
    setSongInfoText(record.comment, "Episode notes");
    setSongInfoText(record.track, track);
    setSongInfoText(record.link, "http://example.org/show");
    return record;
}

// A record with every byte set, to see whether a call leaves it alone.
TID3InfoRecord filledRecord()
{
    TID3InfoRecord record;
    std::memset(&record, 'Q', sizeof record);
    return record;
}

bool sameRecord(const TID3InfoRecord& a, const TID3InfoRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

QJsonObject readTags(const QString& path)
{
    const testsupport::ToolResult result = testsupport::runPythonScript("tags_read.py", {path});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return QJsonDocument::fromJson(result.out).object();
}

QString frameText(const QJsonObject& tags, const QString& id)
{
    for (const QJsonValue& frame : tags.value("frames").toArray())
        if (frame.toObject().value("id").toString() == id)
            return frame.toObject().value("text").toArray().first().toString();
    return {};
}

bool hasFrame(const QJsonObject& tags, const QString& id)
{
    for (const QJsonValue& frame : tags.value("frames").toArray())
        if (frame.toObject().value("id").toString() == id)
            return true;
    return false;
}

// The chunk ids of the RIFF form in order; fails the test unless every chunk (with its pad byte
// after an odd size) lies end to end up to the end of the file and the RIFF size says so.
QStringList checkedChunkIds(const QJsonObject& wave)
{
    QStringList ids;
    int64_t end = 12;
    for (const QJsonValue& value : wave.value("chunks").toArray()) {
        const QJsonArray chunk = value.toArray();
        ids << chunk[0].toString();
        const int64_t size = chunk[1].toInteger();
        end += 8 + size + (size & 1);
    }
    const int64_t fileSize = wave.value("file_size").toInteger();
    EXPECT_EQ(end, fileSize) << "the chunks do not fill the file exactly";
    EXPECT_EQ(wave.value("riff_size").toInteger(), fileSize - 8);
    return ids;
}

QByteArray samplesHash(const QString& path)
{
    return QCryptographicHash::hash(wavefixtures::pythonWaveInfo(path).samples, QCryptographicHash::Sha256);
}

// Frames as ffprobe counts them; the test fails when it reports any error.
int64_t ffprobeFrames(const QString& path)
{
    const testsupport::ToolResult probe = testsupport::runTool(
        VA_FFPROBE, {"-v", "error", "-show_entries", "stream=duration_ts", "-of", "csv=p=0", path});
    EXPECT_EQ(probe.exitCode, 0);
    EXPECT_TRUE(probe.err.isEmpty()) << probe.err.toStdString();
    return probe.out.trimmed().toLongLong();
}

ino_t inodeOf(const QString& path)
{
    struct stat s {};
    ::stat(QFile::encodeName(path).constData(), &s);
    return s.st_ino;
}

// A tag of the record as the library builds it, padded to an odd size.
QByteArray oddTag(const TID3InfoRecord& record, int size)
{
    return id3v2Tag(id3v2Frames(record), size);
}

const WaveFormatEx kFormat8 = wavefixtures::waveFormat(WAVE_FORMAT_PCM, 1, 8000, 8);
// 4,001 one-byte frames: a data chunk of odd size, followed by a pad byte.
const QByteArray kOddSamples = wavefixtures::sampleBytes(4001, 5);
const QByteArray kList = wavefixtures::chunk("LIST", QByteArray("INFOISFT\x06\0\0\0abcde\0", 18));
const QByteArray kJunk = wavefixtures::chunk("JUNK", "seven!!");

QByteArray tagChunk(const char* id, int size)
{
    return wavefixtures::chunk(id, oddTag(songRecord("Old title", "1"), size));
}

class AudioFileTagTest : public testing::Test {
protected:
    ScriptedInteraction ui;
    platform::Messages messages = makeRecorderMessages(ui);
    QString folder = testsupport::testFolder();
};

} // namespace

// Each fixture gets a tag, and then a second one: the file keeps one "id3 " chunk, valid RIFF and
// the same samples; the second write fits the first tag and goes in place.
TEST_F(AudioFileTagTest, WaveChunkIsWrittenOnceAndTheWaveStaysValid)
{
    struct Case {
        const char* name;
        QByteArray content;   // empty: a sox-made WAV
        int tagSize;          // 0: the record's tag as built; else that many bytes through WriteWavId3Chunk
        QStringList idsAfter;
        bool firstInPlace;
    };
    const QByteArray fmt = wavefixtures::chunk("fmt ", wavefixtures::fmtBody(kFormat8));
    const QByteArray data = wavefixtures::chunk("data", kOddSamples);
    const Case cases[] = {
        {"sox", {}, 0, {"fmt ", "data", "id3 "}, false},
        {"odd data, LIST and JUNK after it", wavefixtures::pcmWave(kFormat8, kOddSamples, kList + kJunk), 0,
         {"fmt ", "data", "LIST", "JUNK", "id3 "}, false},
        {"odd tag appended", wavefixtures::pcmWave(kFormat8, kOddSamples, kList), 4097,
         {"fmt ", "data", "LIST", "id3 "}, false},
        {"small old tag between data and LIST", wavefixtures::pcmWave(kFormat8, kOddSamples, tagChunk("id3 ", 301) + kList + kJunk),
         0, {"fmt ", "data", "id3 ", "LIST", "JUNK"}, false},
        {"large old tag after data", wavefixtures::pcmWave(kFormat8, kOddSamples, kList + tagChunk("id3 ", 6001)), 0,
         {"fmt ", "data", "LIST", "id3 "}, true},
        {"old tag before data", wavefixtures::riff("WAVE", fmt + tagChunk("id3 ", 301) + data + kList), 0,
         {"fmt ", "id3 ", "data", "LIST"}, false},
        {"two tag chunks", wavefixtures::pcmWave(kFormat8, kOddSamples, tagChunk("ID3 ", 6001) + kList + tagChunk("id3 ", 301)),
         0, {"fmt ", "data", "id3 ", "LIST"}, false},
        // A tag chunk too large to be read back is replaced, not written over.
        {"oversized old tag", wavefixtures::pcmWave(kFormat8, kOddSamples, wavefixtures::chunk("id3 ", QByteArray(kMaxWaveTagSize + 1, '\0')) + kList),
         0, {"fmt ", "data", "id3 ", "LIST"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString wave = folder + "/show.wav";
        QFile::remove(wave);
        if (c.content.isEmpty())
            wavefixtures::soxWave(wave, 16, 2, 3001, 44100);
        else
            testsupport::writeFile(wave, c.content);
        const QByteArray hash = samplesHash(wave);
        const int64_t frames = wavefixtures::soxWaveInfo(wave, false).frames;
        ASSERT_GT(frames, 0);

        const TID3InfoRecord first = songRecord("First title", "7");
        const int64_t sizeBefore = QFileInfo(wave).size();
        const ino_t inodeBefore = inodeOf(wave);
        if (c.tagSize == 0)
            ASSERT_TRUE(WriteAudioFileTag(wave, first, messages));
        else
            ASSERT_TRUE(WriteWavId3Chunk(wave, oddTag(first, c.tagSize), messages));
        EXPECT_EQ(QFileInfo(wave).size() == sizeBefore && inodeOf(wave) == inodeBefore, c.firstInPlace);

        const TID3InfoRecord second = songRecord(QString::fromUtf8("Second — ünïcode"), "");
        const int64_t sizeAfterFirst = QFileInfo(wave).size();
        const ino_t inodeAfterFirst = inodeOf(wave);
        for (const TID3InfoRecord* record : {&first, &second}) {
            if (record == &second) {
                ASSERT_TRUE(WriteAudioFileTag(wave, second, messages));
                EXPECT_EQ(QFileInfo(wave).size(), sizeAfterFirst) << "the second tag went in place";
                EXPECT_EQ(inodeOf(wave), inodeAfterFirst);
            }
            const QJsonObject tags = readTags(wave);
            const QJsonObject layout = tags.value("wave").toObject();
            EXPECT_EQ(checkedChunkIds(layout).join('|').toStdString(), c.idsAfter.join('|').toStdString());
            // The chunk holds the tag and, after the end its header gives, only zeros.
            const QByteArray chunk = readWaveTagChunk(wave).value_or(QByteArray());
            const int64_t tagSize = id3v2TagSize(chunk.left(kId3HeaderSize)).value_or(0);
            EXPECT_GT(tagSize, kId3HeaderSize);
            EXPECT_EQ(chunk.mid(tagSize), QByteArray(chunk.size() - tagSize, '\0'));
            EXPECT_EQ(layout.value("title").toString(), songInfoText(record->title));
            EXPECT_EQ(frameText(tags, "TPE1"), songInfoText(record->artist));
            EXPECT_EQ(hasFrame(tags, "TRCK"), !songInfoText(record->track).isEmpty());
            EXPECT_EQ(samplesHash(wave), hash);
            EXPECT_EQ(wavefixtures::soxWaveInfo(wave, false).frames, frames);
            EXPECT_EQ(ffprobeFrames(wave), frames);

            TID3InfoRecord read = filledRecord();
            EXPECT_TRUE(ReadAudioFileTag(wave, read));
            EXPECT_TRUE(sameRecord(read, *record)) << songInfoText(read.title).toStdString();
        }
    }
    EXPECT_TRUE(ui.prompts().empty());
}

TEST_F(AudioFileTagTest, ReadByExtension)
{
    enum class Expect { Zeroed, Unchanged, Tagged };
    struct Case {
        const char* name;
        QByteArray content; // empty: no file at all
        bool result;
        Expect record;
        int wavCode; // what ReadWavId3Chunk gives; -1 where it is not asked
    };
    const TID3InfoRecord tagged = songRecord("Tagged", "12");
    const QByteArray taggedWave = wavefixtures::pcmWave(kFormat8, kOddSamples, wavefixtures::chunk("id3 ", BuildId3TagBlock(tagged)));
    const QByteArray fmtAndData = wavefixtures::chunk("fmt ", wavefixtures::fmtBody(kFormat8))
                                + wavefixtures::chunk("data", kOddSamples);
    const Case cases[] = {
        {"plain.wav", wavefixtures::pcmWave(kFormat8, kOddSamples, kList), true, Expect::Zeroed, kNoWavTagCode},
        {"tagged.WAV", taggedWave, true, Expect::Tagged, 0},
        {"song.WMA", QByteArray("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8) + QByteArray(100, '\0'), false, Expect::Zeroed, -1},
        {"song.ogg", "OggS" + QByteArray(100, '\0'), true, Expect::Unchanged, -1},
        {"missing.wav", {}, false, Expect::Unchanged, kNoWavTagCode},
        // Hostile chunks: a tag chunk claiming almost 4 GiB, a file cut inside its tag chunk, a
        // LIST chunk running past the end, a ".wav" that is no RIFF file.
        {"forged.wav", wavefixtures::riff("WAVE", fmtAndData + "id3 " + wavefixtures::le32(0xFFFFFFF0) + QByteArray(64, 'x')),
         true, Expect::Zeroed, kNoWavTagCode},
        {"truncated.wav", taggedWave.left(taggedWave.size() - 1000), true, Expect::Zeroed, kNoWavTagCode},
        {"long list.wav", wavefixtures::riff("WAVE", fmtAndData + "LIST" + wavefixtures::le32(5000) + "INFO"
                                                         + wavefixtures::chunk("id3 ", BuildId3TagBlock(tagged))),
         true, Expect::Zeroed, kNoWavTagCode},
        {"text.wav", "not a wave at all", true, Expect::Zeroed, kNoWavTagCode},
        // A chunk that holds no tag: read without error, the record left as it was.
        {"no tag inside.wav", wavefixtures::pcmWave(kFormat8, kOddSamples, wavefixtures::chunk("id3 ", "garbage")), true,
         Expect::Zeroed, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder + "/" + c.name;
        if (!c.content.isEmpty())
            testsupport::writeFile(path, c.content);

        TID3InfoRecord record = filledRecord();
        EXPECT_EQ(ReadAudioFileTag(path, record), c.result);
        switch (c.record) {
        case Expect::Zeroed: EXPECT_TRUE(sameRecord(record, emptySongInfo())); break;
        case Expect::Unchanged: EXPECT_TRUE(sameRecord(record, filledRecord())); break;
        case Expect::Tagged: EXPECT_TRUE(sameRecord(record, tagged)); break;
        }
        if (c.wavCode >= 0) {
            TID3InfoRecord direct = filledRecord();
            EXPECT_EQ(ReadWavId3Chunk(path, direct), c.wavCode);
            EXPECT_TRUE(sameRecord(direct, c.record == Expect::Tagged ? tagged : filledRecord()));
        }
    }
}

// MP3s made by lame (no tag) and by ffmpeg (a tag of its own): our tag is read back by mutagen and
// by us, and the audio after the tag is what it was.
TEST_F(AudioFileTagTest, Mp3TagIsWrittenAndReadBack)
{
    const QString wave = wavefixtures::soxWave(folder + "/tone.wav", 16, 2, 22050, 44100);
    const QString plain = folder + "/plain.mp3";
    ASSERT_EQ(testsupport::runTool("lame", {"--quiet", "-b", "64", wave, plain}).exitCode, 0);
    const QString foreign = folder + "/foreign.MP3";
    ASSERT_EQ(testsupport::runTool(VA_FFMPEG, {"-v", "error", "-i", plain, "-c", "copy", "-id3v2_version", "3", "-metadata",
                                               "title=Their title", "-metadata", "artist=Their host", foreign})
                  .exitCode,
              0);

    TID3InfoRecord theirs = filledRecord();
    ASSERT_TRUE(ReadAudioFileTag(foreign, theirs));
    EXPECT_EQ(songInfoText(theirs.title), "Their title");
    EXPECT_EQ(songInfoText(theirs.artist), "Their host");
    TID3InfoRecord none = filledRecord();
    ASSERT_TRUE(ReadAudioFileTag(plain, none));
    EXPECT_TRUE(sameRecord(none, emptySongInfo()));

    const auto audioOf = [](const QByteArray& file) { return file.mid(id3v2TagSize(file.left(kId3HeaderSize)).value_or(-1)); };
    for (const QString& mp3 : {plain, foreign}) {
        for (const QString& track : {QString("9"), QString()}) {
            SCOPED_TRACE((mp3 + " track " + track).toStdString());
            const QByteArray audio = audioOf(testsupport::readFile(mp3));
            const TID3InfoRecord record = songRecord("Our title", track);
            ASSERT_TRUE(WriteAudioFileTag(mp3, record, messages));
            EXPECT_TRUE(audioOf(testsupport::readFile(mp3)) == audio);
            const QJsonObject tags = readTags(mp3);
            EXPECT_EQ(frameText(tags, "TIT2"), "Our title");
            EXPECT_EQ(frameText(tags, "TRCK"), track);
            EXPECT_EQ(hasFrame(tags, "TRCK"), !track.isEmpty());
            TID3InfoRecord read = filledRecord();
            EXPECT_TRUE(ReadAudioFileTag(mp3, read));
            EXPECT_TRUE(sameRecord(read, record));
        }
    }
    EXPECT_TRUE(ui.prompts().empty());
}

// Files that take no tag and files that are gone are left alone, without a message.
TEST_F(AudioFileTagTest, OtherFilesAreNotWritten)
{
    const struct {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"song.wma", QByteArray("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8) + QByteArray(100, '\0')},
        {"song.ogg", "OggS" + QByteArray(100, '\0')},
        {"notes.txt", "text"},
    };
    for (const auto& c : cases) {
        const QString path = folder + "/" + c.name;
        testsupport::writeFile(path, c.content);
        EXPECT_TRUE(WriteAudioFileTag(path, songRecord("T", "1"), messages)) << c.name;
        EXPECT_TRUE(testsupport::readFile(path) == c.content) << c.name;
    }
    EXPECT_TRUE(WriteAudioFileTag(folder + "/missing.wav", songRecord("T", "1"), messages));
    EXPECT_FALSE(QFileInfo::exists(folder + "/missing.wav"));

    // The tag library's own calls on a file it cannot handle: saved as success, loaded as nothing.
    const QString text = folder + "/notes.txt";
    EXPECT_TRUE(SaveId3Info(text, songRecord("T", "1")));
    TID3InfoRecord record = filledRecord();
    LoadId3Info(text, record);
    EXPECT_TRUE(sameRecord(record, filledRecord()));
    EXPECT_TRUE(ui.prompts().empty());
}

// A WAV tag that cannot be written: message 482, which has no text in the recorder, reaches only
// the log; the file is as it was.
TEST_F(AudioFileTagTest, WaveTagThatCannotBeWrittenIsLogged)
{
    const QString forged = folder + "/forged.wav";
    testsupport::writeFile(forged, wavefixtures::pcmWave(kFormat8, kOddSamples, "id3 " + wavefixtures::le32(0xFFFFFFF0) + "xx"));
    const QString full = folder + "/full.wav";
    testsupport::writeFile(full, wavefixtures::pcmWave(kFormat8, kOddSamples, kList));

    for (const QString& path : {forged, full}) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray before = testsupport::readFile(path);
        testsupport::LogCapture log;
        {
            // The rewrite would pass this size; the forged file fails before it writes.
            wavefixtures::FileSizeLimit limit(before.size() + 100);
            EXPECT_FALSE(WriteAudioFileTag(path, songRecord("T", "1"), messages));
        }
        EXPECT_TRUE(log.contains(QStringLiteral("message %1 has no text").arg(kWavTagWriteMessageId)));
        EXPECT_TRUE(testsupport::readFile(path) == before);
    }
    EXPECT_TRUE(ui.prompts().empty());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).join(' '), "forged.wav full.wav");
}

// An MP3 whose tag cannot be written gets the error box: a full disk, and a read-only file.
TEST_F(AudioFileTagTest, Mp3TagThatCannotBeWrittenShowsTheErrorBox)
{
    const QString wave = wavefixtures::soxWave(folder + "/tone.wav", 16, 1, 8000, 44100);
    const QString mp3 = folder + "/song.mp3";
    ASSERT_EQ(testsupport::runTool("lame", {"--quiet", "-b", "64", wave, mp3}).exitCode, 0);
    const QByteArray before = testsupport::readFile(mp3);

    const auto expectBox = [&](const char* why, const std::function<void()>& makeItFail) {
        SCOPED_TRACE(why);
        const size_t shown = ui.prompts().size();
        ui.expectMessageBox(platform::IDOK);
        makeItFail();
        EXPECT_TRUE(testsupport::readFile(mp3) == before);
        ASSERT_EQ(ui.prompts().size(), shown + 1);
        EXPECT_EQ(ui.prompts().back().text, "Error : Can not write ID3 information in read only file.");
        EXPECT_EQ(ui.prompts().back().caption, "Wexo Ravadur");
        EXPECT_EQ(ui.prompts().back().flags & platform::MB_ICONMASK, platform::MB_ICONERROR);
    };
    expectBox("full disk", [&] {
        wavefixtures::FileSizeLimit limit(before.size() + 100);
        EXPECT_FALSE(WriteAudioFileTag(mp3, songRecord("T", "1"), messages));
    });
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes read-only files";
    ASSERT_TRUE(QFile::setPermissions(mp3, QFileDevice::ReadOwner));
    expectBox("read-only", [&] { EXPECT_FALSE(WriteAudioFileTag(mp3, songRecord("T", "1"), messages)); });
}
