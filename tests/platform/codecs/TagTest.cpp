// The tag library: song information records written as ID3v2.3 tags into MP3 files and into the
// "id3 " chunk of WAV files, read back by mutagen (tests/scripts/tags_read.py) and by the library;
// the audio around the tag is checked byte for byte, WAVs also by Python's wave module and sox.
#include "platform/codecs/Id3Tag.h"
#include "platform/codecs/Tessivo.h"

#include "tests/platform/codecs/EncodeSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::codecs;

namespace {

struct Fields {
    QString title, artist, album, year, genre, comment, composer, copyright, language, track, link;
};

TID3InfoRecord recordOf(const Fields& f)
{
    TID3InfoRecord r = emptySongInfo();
    setSongInfoText(r.title, f.title);
    setSongInfoText(r.artist, f.artist);
    setSongInfoText(r.album, f.album);
    setSongInfoText(r.year, f.year);
    setSongInfoText(r.genre, f.genre);
    setSongInfoText(r.comment, f.comment);
    setSongInfoText(r.composer, f.composer);
    setSongInfoText(r.copyright, f.copyright);
    setSongInfoText(r.language, f.language);
    setSongInfoText(r.track, f.track);
    setSongInfoText(r.link, f.link);
    return r;
}

const Fields kLatin1{"Morning Show", "Zoë Müller", "Épisodes", "2024", "Podcast", "Weekly talk; café ©", "J. Doe",
                     "© 2024 Station", "eng", "7", "http://example.org/show"};
const Fields kUtf16{"Утреннее шоу", "山田太郎", "Ελληνικά", "2023", "Поп", "Ласкаво просимо 🎙", "Владимир",
                    "© 東京", "日本語", "12", "http://example.org/шоу"};
const Fields kSparse{"Only a title", {}, {}, {}, {}, {}, {}, {}, {}, {}, {}};

// Every field at its full width with characters that need UTF-16: the frames pass 4,096 bytes.
Fields longFields()
{
    const QString text = QString::fromUtf8("東") + QString(255, 'x');
    return Fields{text, text, text, "1999", text, text, text, text, text, "100", "http://example.org/" + QString(200, 'p')};
}

QJsonObject readTags(const QString& path)
{
    const testsupport::ToolResult result = testsupport::runPythonScript("tags_read.py", {path});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return QJsonDocument::fromJson(result.out).object();
}

QJsonObject frameOf(const QJsonObject& tags, const QString& id)
{
    for (const QJsonValue& frame : tags.value("frames").toArray())
        if (frame.toObject().value("id").toString() == id)
            return frame.toObject();
    return {};
}

int frameCount(const QJsonObject& tags)
{
    return int(tags.value("frames").toArray().size());
}

bool fitsLatin1(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

// The link as the frame holds it: ISO-8859-1, other characters percent-encoded as UTF-8.
QString storedLink(const QString& link)
{
    if (link == kUtf16.link)
        return "http://example.org/%D1%88%D0%BE%D1%83";
    EXPECT_TRUE(fitsLatin1(link));
    return link;
}

// Checks every field of the record against mutagen's reading of the frames.
void expectFrames(const QJsonObject& tags, const TID3InfoRecord& record)
{
    EXPECT_EQ(tags.value("version").toArray(), (QJsonArray{2, 3, 0}));
    int expectedFrames = 0;
    const auto text = [&](const char* id, const QString& value) {
        if (value.isEmpty()) {
            EXPECT_TRUE(frameOf(tags, id).isEmpty()) << id;
            return;
        }
        ++expectedFrames;
        const QJsonObject frame = frameOf(tags, id);
        EXPECT_EQ(frame.value("text").toArray(), QJsonArray{value}) << id;
        EXPECT_EQ(frame.value("encoding").toInt(), fitsLatin1(value) ? 0 : 1) << id;
    };
    text("TIT2", songInfoText(record.title));
    text("TPE1", songInfoText(record.artist));
    text("TALB", songInfoText(record.album));
    text("TYER", songInfoText(record.year));
    text("TCON", songInfoText(record.genre));
    text("TCOM", songInfoText(record.composer));
    text("TCOP", songInfoText(record.copyright));
    text("TLAN", songInfoText(record.language));
    text("TRCK", songInfoText(record.track));
    if (const QString comment = songInfoText(record.comment); !comment.isEmpty()) {
        ++expectedFrames;
        const QJsonObject frame = frameOf(tags, "COMM");
        EXPECT_EQ(frame.value("text").toArray(), QJsonArray{comment});
        EXPECT_EQ(frame.value("lang").toString(), "eng");
        EXPECT_EQ(frame.value("desc").toString(), "");
        EXPECT_EQ(frame.value("encoding").toInt(), fitsLatin1(comment) ? 0 : 1);
    }
    if (const QString link = songInfoText(record.link); !link.isEmpty()) {
        ++expectedFrames;
        const QJsonObject frame = frameOf(tags, "WXXX");
        EXPECT_EQ(frame.value("url").toString(), storedLink(link));
        EXPECT_EQ(frame.value("desc").toString(), "");
    }
    EXPECT_EQ(frameCount(tags), expectedFrames);
}

void expectSameRecord(const TID3InfoRecord& actual, const TID3InfoRecord& expected)
{
    const std::pair<const char*, std::pair<QString, QString>> fields[] = {
        {"title", {songInfoText(actual.title), songInfoText(expected.title)}},
        {"artist", {songInfoText(actual.artist), songInfoText(expected.artist)}},
        {"album", {songInfoText(actual.album), songInfoText(expected.album)}},
        {"year", {songInfoText(actual.year), songInfoText(expected.year)}},
        {"genre", {songInfoText(actual.genre), songInfoText(expected.genre)}},
        {"comment", {songInfoText(actual.comment), songInfoText(expected.comment)}},
        {"composer", {songInfoText(actual.composer), songInfoText(expected.composer)}},
        {"copyright", {songInfoText(actual.copyright), songInfoText(expected.copyright)}},
        {"language", {songInfoText(actual.language), songInfoText(expected.language)}},
        {"track", {songInfoText(actual.track), songInfoText(expected.track)}},
    };
    for (const auto& [name, values] : fields)
        EXPECT_EQ(values.first.toStdString(), values.second.toStdString()) << name;
    EXPECT_EQ(songInfoText(actual.link), storedLink(songInfoText(expected.link)));
}

int save(const QString& path, const TID3InfoRecord& record)
{
    ID3Object tag;
    InitID3Object(tag, path);
    if (!tag)
        return -1;
    EXPECT_EQ(SetID3Info(tag.get(), record), 0);
    const int result = SaveID3InfoToFile(tag.get());
    DeInitID3Object(tag);
    EXPECT_FALSE(tag);
    return result;
}

TID3InfoRecord load(const QString& path)
{
    ID3Object tag;
    InitID3Object(tag, path);
    TID3InfoRecord record = emptySongInfo();
    EXPECT_TRUE(tag) << path.toStdString();
    if (tag) {
        EXPECT_EQ(GetID3Info(tag.get(), record), 0);
    }
    return record;
}

// An MP3 made by the lame command: no tag, audio frames from the first byte.
QString makeMp3(const QString& folder)
{
    const QString wave = encodetest::toneWave(folder + "/tone.wav", 44100, 16, 2, 0.5);
    const QString mp3 = folder + "/song.mp3";
    const testsupport::ToolResult made = testsupport::runTool("lame", {"--quiet", "-b", "64", wave, mp3});
    EXPECT_EQ(made.exitCode, 0);
    return mp3;
}

int64_t id3Size(const QByteArray& file)
{
    return id3v2TagSize(file.left(kId3HeaderSize)).value_or(-1);
}

QByteArray waveSamples(const QString& path)
{
    return wavefixtures::pythonWaveInfo(path).samples;
}

} // namespace

TEST(SongInfoRecord, TextIsCutOnACharacterBoundary)
{
    struct Case {
        QString text;
        QByteArray stored;
    };
    // A field of 5 bytes holds 4 bytes of text.
    const Case cases[] = {
        {"", ""},
        {"abcd", "abcd"},
        {"abcde", "abcd"},
        {QString::fromUtf8("ab€"), "ab"},
        {QString::fromUtf8("a€"), QString::fromUtf8("a€").toUtf8()},
        {QString::fromUtf8("é€"), QString::fromUtf8("é").toUtf8()},
        {QString::fromUtf8("x🎙"), "x"},
        {QString::fromUtf8("🎙x"), QString::fromUtf8("🎙").toUtf8()},
    };
    for (const Case& c : cases) {
        char field[5];
        std::memset(field, 'Z', sizeof field);
        setSongInfoText(field, c.text);
        EXPECT_EQ(QByteArray(field, int(qstrnlen(field, sizeof field))), c.stored) << c.text.toStdString();
        EXPECT_EQ(field[4], '\0');
        EXPECT_EQ(songInfoText(field), QString::fromUtf8(c.stored));
    }
    // A field without a terminator is read to its width and no further.
    char full[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(songInfoText(full), "abcd");
}

class TagRoundTrip : public testing::TestWithParam<std::pair<const char*, Fields>> {};

TEST_P(TagRoundTrip, Mp3TagReadsBackThroughMutagenAndTheLibrary)
{
    const TID3InfoRecord record = recordOf(GetParam().second);
    const QString mp3 = makeMp3(testsupport::testFolder());
    const QByteArray before = testsupport::readFile(mp3);
    ASSERT_EQ(id3Size(before), 0);

    ASSERT_EQ(save(mp3, record), TagFileCode::Ok);
    const QByteArray after = testsupport::readFile(mp3);
    const int64_t tagSize = id3Size(after);
    EXPECT_GE(tagSize, kNewId3TagSize);
    EXPECT_EQ(tagSize % 1024, 0);
    EXPECT_TRUE(after.mid(tagSize) == before) << "the audio after the tag changed";
    expectFrames(readTags(mp3), record);
    expectSameRecord(load(mp3), record);
    EXPECT_EQ(encodetest::probe(mp3).value("streams.stream.0.codec_name"), "mp3");
}

TEST_P(TagRoundTrip, WaveChunkReadsBackAndTheWaveStaysReadable)
{
    const TID3InfoRecord record = recordOf(GetParam().second);
    const QString folder = testsupport::testFolder();
    const QString wave = wavefixtures::soxWave(folder + "/song.wav", 16, 2, 20000, 44100);
    const QByteArray samples = waveSamples(wave);
    const int64_t sizeBefore = QFileInfo(wave).size();

    ASSERT_EQ(save(wave, record), TagFileCode::Ok);
    const QJsonObject tags = readTags(wave);
    expectFrames(tags, record);
    expectSameRecord(load(wave), record);

    const QJsonObject layout = tags.value("wave").toObject();
    const QJsonArray chunks = layout.value("chunks").toArray();
    ASSERT_EQ(chunks.size(), 3);
    EXPECT_EQ(chunks[2].toArray()[0].toString(), "id3 ");
    const int64_t tagSize = chunks[2].toArray()[1].toInteger();
    EXPECT_EQ(QFileInfo(wave).size(), sizeBefore + 8 + tagSize);
    EXPECT_EQ(layout.value("riff_size").toInteger(), layout.value("file_size").toInteger() - 8);
    EXPECT_EQ(layout.value("title").toString(), songInfoText(record.title));
    EXPECT_TRUE(waveSamples(wave) == samples);
    const wavefixtures::WaveInfo sox = wavefixtures::soxWaveInfo(wave, false);
    EXPECT_EQ(sox.frames, 20000);
}

INSTANTIATE_TEST_SUITE_P(Records, TagRoundTrip,
                         testing::Values(std::pair{"latin1", kLatin1}, std::pair{"utf16", kUtf16},
                                         std::pair{"sparse", kSparse}, std::pair{"long", longFields()}),
                         [](const auto& info) { return std::string(info.param.first); });

TEST(Tag, Mp3TagIsRewrittenInPlaceWhileItFitsAndGrowsBeyond)
{
    const QString mp3 = makeMp3(testsupport::testFolder());
    const QByteArray audio = testsupport::readFile(mp3);
    ASSERT_EQ(save(mp3, recordOf(kLatin1)), TagFileCode::Ok);
    const struct stat first = [&] { struct stat s; ::stat(QFile::encodeName(mp3).constData(), &s); return s; }();

    // A smaller tag goes into the old one's room: same file, same size.
    ASSERT_EQ(save(mp3, recordOf(kSparse)), TagFileCode::Ok);
    struct stat second;
    ::stat(QFile::encodeName(mp3).constData(), &second);
    EXPECT_EQ(second.st_ino, first.st_ino);
    EXPECT_EQ(second.st_size, first.st_size);
    expectFrames(readTags(mp3), recordOf(kSparse));

    // A tag that needs more room than there is: a new file with a larger tag, the same audio.
    const TID3InfoRecord large = recordOf(longFields());
    ASSERT_EQ(save(mp3, large), TagFileCode::Ok);
    const QByteArray after = testsupport::readFile(mp3);
    EXPECT_GT(id3Size(after), kNewId3TagSize);
    EXPECT_TRUE(after.mid(id3Size(after)) == audio);
    expectFrames(readTags(mp3), large);
    EXPECT_TRUE(testsupport::readFile(mp3).size() > first.st_size);
    EXPECT_EQ(encodetest::folderEntries(QFileInfo(mp3).path()), "song.mp3 tone.wav");
}

TEST(Tag, AnId3v1TagAtTheEndIsKeptInStep)
{
    const QString mp3 = makeMp3(testsupport::testFolder());
    QByteArray old(kId3v1Size, '\0');
    old.replace(0, 12, "TAGOld title");
    QByteArray audio = testsupport::readFile(mp3);
    testsupport::writeFile(mp3, audio + old);

    for (const Fields& fields : {kLatin1, longFields()}) {
        const TID3InfoRecord record = recordOf(fields);
        ASSERT_EQ(save(mp3, record), TagFileCode::Ok);
        const QByteArray file = testsupport::readFile(mp3);
        EXPECT_TRUE(file.mid(id3Size(file), audio.size()) == audio);
        EXPECT_EQ(file.size(), id3Size(file) + audio.size() + kId3v1Size);
        const QJsonObject v1 = readTags(mp3).value("v1").toObject();
        EXPECT_EQ(v1.value("TIT2").toString(), songInfoText(record.title).left(30).replace(QString::fromUtf8("東"), "?"));
        EXPECT_EQ(v1.value("TRCK").toString(), songInfoText(record.track));
        expectFrames(readTags(mp3), record);
    }
}

// The track read from a file's tag survives a save unchanged: read, written and read again, the
// record is the same, and the written frame holds the text the record holds. The tags come from
// ffmpeg; mutagen reads what we wrote.
TEST(Tag, TrackIsReadAndWrittenTheSameWay)
{
    const QString folder = testsupport::testFolder();
    const QString plain = makeMp3(folder);
    // The texts of the TRCK frame as mutagen reads them.
    const auto trackFrame = [](const QString& path) {
        QStringList texts;
        for (const QJsonValue& text : frameOf(readTags(path), "TRCK").value("text").toArray())
            texts << text.toString();
        return texts.join('|').toStdString();
    };
    struct Case {
        QString inFile;   // TRCK as another program wrote it
        QString inRecord; // what the record holds, and what a save writes
    };
    const Case cases[] = {
        {"7", "7"},
        {"100", "100"},
        {"3/12", "3"},
        {" 12 ", "12"},
        {"Tl x", "Tl"},
        {"12 345", "12"},
        {QString::fromUtf8("Tä5x"), QString::fromUtf8("Tä")},
        {QString::fromUtf8("äöü"), QString::fromUtf8("ä")},
        {QString::fromUtf8(" ä ö"), QString::fromUtf8("ä")},
        {"  ", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(("\"" + c.inFile + "\"").toStdString());
        const QString mp3 = folder + "/tagged.mp3";
        QFile::remove(mp3);
        const testsupport::ToolResult made = testsupport::runTool(
            VA_FFMPEG, {"-v", "error", "-i", plain, "-c", "copy", "-id3v2_version", "3", "-metadata",
                        "track=" + c.inFile, "-metadata", "title=Show", mp3});
        ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
        ASSERT_EQ(trackFrame(mp3), c.inFile.toStdString());

        const TID3InfoRecord read = load(mp3);
        EXPECT_EQ(songInfoText(read.track).toStdString(), c.inRecord.toStdString());
        EXPECT_EQ(songInfoText(read.title), "Show");
        ASSERT_EQ(save(mp3, read), TagFileCode::Ok);
        EXPECT_EQ(trackFrame(mp3), c.inRecord.toStdString());
        expectFrames(readTags(mp3), read);
        const TID3InfoRecord again = load(mp3);
        EXPECT_EQ(songInfoText(again.track).toStdString(), c.inRecord.toStdString());
        EXPECT_EQ(std::memcmp(&again, &read, sizeof read), 0) << "the whole record read back as it was";
    }

    // A record given blanks around its track is written as it will be read.
    for (const char* track : {" 5", "5 ", " 5 "}) {
        SCOPED_TRACE(track);
        const QString mp3 = folder + "/made.mp3";
        QFile::copy(plain, mp3);
        TID3InfoRecord record = recordOf(kSparse);
        setSongInfoText(record.track, track);
        ASSERT_EQ(save(mp3, record), TagFileCode::Ok);
        EXPECT_EQ(trackFrame(mp3), "5");
        EXPECT_EQ(songInfoText(load(mp3).track).toStdString(), "5");
        QFile::remove(mp3);
    }
}

TEST(Tag, WaveChunkIsReplacedWhereItStandsAndOtherChunksKept)
{
    // A tag chunk before the data, and an odd-sized LIST chunk after it.
    const QString folder = testsupport::testFolder();
    const QString wave = folder + "/song.wav";
    const WaveFormatEx format = makePcmFormat(8000, 16, 1);
    const QByteArray samples = wavefixtures::sampleBytes(4000, 3);
    const QByteArray list = wavefixtures::chunk("LIST", "INFOISFT\x05\0\0\0abcd\0", {});
    const QByteArray oldTag = id3TagBytes(recordOf(kSparse)).left(300);
    testsupport::writeFile(wave, wavefixtures::riff("WAVE", wavefixtures::chunk("fmt ", wavefixtures::fmtBody(format))
                                                             + wavefixtures::chunk("id3 ", oldTag)
                                                             + wavefixtures::chunk("data", samples) + list));
    const TID3InfoRecord record = recordOf(kUtf16);
    ASSERT_EQ(save(wave, record), TagFileCode::Ok);

    const QJsonObject tags = readTags(wave);
    expectFrames(tags, record);
    const QJsonArray chunks = tags.value("wave").toObject().value("chunks").toArray();
    ASSERT_EQ(chunks.size(), 4);
    const QStringList ids{chunks[0].toArray()[0].toString(), chunks[1].toArray()[0].toString(),
                          chunks[2].toArray()[0].toString(), chunks[3].toArray()[0].toString()};
    EXPECT_EQ(ids, (QStringList{"fmt ", "id3 ", "data", "LIST"}));
    const QByteArray file = testsupport::readFile(wave);
    EXPECT_TRUE(file.endsWith(list));
    EXPECT_TRUE(waveSamples(wave) == samples);

    // A smaller tag later is written over this one: the file keeps its size.
    const int64_t size = file.size();
    ASSERT_EQ(save(wave, recordOf(kLatin1)), TagFileCode::Ok);
    EXPECT_EQ(QFileInfo(wave).size(), size);
    expectFrames(readTags(wave), recordOf(kLatin1));
    EXPECT_TRUE(waveSamples(wave) == samples);
}

TEST(Tag, TagsThatCannotBeWrittenLeaveTheFileAsItWas)
{
    const QString folder = testsupport::testFolder();

    // An MP3 whose ID3 size field points past its end.
    const QString damaged = folder + "/damaged.mp3";
    QByteArray head("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10);
    testsupport::writeFile(damaged, head + QByteArray(500, '\x55'));
    // A WAV whose tag chunk claims almost 4 GiB.
    const QString corrupt = folder + "/corrupt.wav";
    const QByteArray body = wavefixtures::chunk("fmt ", wavefixtures::fmtBody(makePcmFormat(8000, 16, 1)))
                          + wavefixtures::chunk("data", wavefixtures::sampleBytes(100)) + QByteArray("id3 ")
                          + wavefixtures::le32(0xFFFFFFF0) + QByteArray(64, 'x');
    testsupport::writeFile(corrupt, wavefixtures::riff("WAVE", body));

    for (const QString& path : {damaged, corrupt}) {
        const QByteArray before = testsupport::readFile(path);
        EXPECT_EQ(songInfoText(load(path).title), "") << path.toStdString();
        EXPECT_EQ(save(path, recordOf(kLatin1)), TagFileCode::CannotRead) << path.toStdString();
        EXPECT_TRUE(testsupport::readFile(path) == before) << path.toStdString();
    }

    // A tag that must grow when the disk is full: the old file stays, nothing is left behind.
    const QString mp3 = makeMp3(folder);
    const QByteArray before = testsupport::readFile(mp3);
    {
        wavefixtures::FileSizeLimit limit(before.size() + 100);
        EXPECT_EQ(save(mp3, recordOf(kLatin1)), TagFileCode::CannotWrite);
    }
    EXPECT_TRUE(testsupport::readFile(mp3) == before);
    EXPECT_EQ(encodetest::folderEntries(folder), "corrupt.wav damaged.mp3 song.mp3 tone.wav");
}

TEST(Tag, ReadOnlyFileIsNotChanged)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes read-only files";
    const QString mp3 = makeMp3(testsupport::testFolder());
    const QByteArray before = testsupport::readFile(mp3);
    ASSERT_TRUE(QFile::setPermissions(mp3, QFileDevice::ReadOwner));
    EXPECT_EQ(save(mp3, recordOf(kLatin1)), TagFileCode::CannotWrite);
    EXPECT_TRUE(testsupport::readFile(mp3) == before);
}

TEST(Tag, OnlyMp3AndWaveFilesGetATagObject)
{
    const QString folder = testsupport::testFolder();
    struct Case {
        const char* name;
        QByteArray content;
        bool taggable;
    };
    const Case cases[] = {
        {"song.wma", QByteArray("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8) + QByteArray(100, '\0'), false},
        {"song.ogg", "OggS" + QByteArray(100, '\0'), false},
        {"movie.avi", wavefixtures::riff("AVI ", QByteArray(20, '\0')), false},
        {"notes.txt", "just text", false},
        {"frames.bin", QByteArray("\xFF\xFB\x90\x64", 4) + QByteArray(400, '\0'), true},
        {"named.MP3", "anything", true},
        {"tagged.dat", "ID3\x03" + QByteArray(20, '\0'), true},
        {"wave.dat", wavefixtures::pcmWave(makePcmFormat(8000, 8, 1), "abcd"), true},
    };
    for (const Case& c : cases) {
        const QString path = folder + "/" + c.name;
        testsupport::writeFile(path, c.content);
        ID3Object tag;
        InitID3Object(tag, path);
        EXPECT_EQ(bool(tag), c.taggable) << c.name;
    }
    ID3Object missing;
    InitID3Object(missing, folder + "/missing.mp3");
    EXPECT_FALSE(missing);

    TID3InfoRecord record = emptySongInfo();
    EXPECT_EQ(SetID3Info(nullptr, record), TagFileCode::CannotRead);
    EXPECT_EQ(GetID3Info(nullptr, record), TagFileCode::CannotRead);
    EXPECT_EQ(SaveID3InfoToFile(nullptr), TagFileCode::CannotRead);
}

TEST(Tag, WaveWithoutTagReadsAsEmptyRecord)
{
    const QString wave = wavefixtures::soxWave(testsupport::testFolder() + "/plain.wav", 16, 1, 1000);
    const TID3InfoRecord record = load(wave);
    const TID3InfoRecord empty = emptySongInfo();
    EXPECT_EQ(std::memcmp(&record, &empty, sizeof record), 0);
}
