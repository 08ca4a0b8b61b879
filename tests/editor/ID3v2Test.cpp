// The editor's ID3v2 tag: what it writes is read back by mutagen, by TagLib and by itself, with the
// audio after the tag unchanged; tags that mutagen and lame write are read; where a new tag goes
// (in place or through a new file) and what the old tag keeps; broken tags as small byte fixtures.
#include "editor/ID3v2.h"

#include "tests/editor/Id3TestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include <sys/stat.h>

using editor::TID3v2;
using namespace id3test;

namespace {

struct Fields {
    QString title, artist, album, year, genre, comment, composer, encoder, copyright, language, link;
    uint8_t track = 0;
    friend bool operator==(const Fields&, const Fields&) = default;
};

void PrintTo(const Fields& f, std::ostream* os)
{
    *os << QStringList{f.title, f.artist, f.album, f.year, f.genre, f.comment, f.composer, f.encoder, f.copyright,
                       f.language, f.link, QString::number(f.track)}
               .join(" | ")
               .toStdString();
}

void setFields(TID3v2& tag, const Fields& f)
{
    tag.SetTitle(f.title);
    tag.SetArtist(f.artist);
    tag.SetAlbum(f.album);
    tag.SetYear(f.year);
    tag.SetGenre(f.genre);
    tag.SetComment(f.comment);
    tag.SetComposer(f.composer);
    tag.SetEncoder(f.encoder);
    tag.SetCopyright(f.copyright);
    tag.SetLanguage(f.language);
    tag.SetLink(f.link);
    tag.SetTrack(f.track);
}

Fields fieldsOf(const TID3v2& tag)
{
    return Fields{tag.Title(),    tag.Artist(),  tag.Album(),     tag.Year(),     tag.Genre(), tag.Comment(),
                  tag.Composer(), tag.Encoder(), tag.Copyright(), tag.Language(), tag.Link(),  tag.Track()};
}

// The length of the tag at the start of bytes from its header (no footer expected).
int64_t tagLengthOf(const QByteArray& bytes)
{
    int64_t size = 0;
    for (int i = 6; i < 10; ++i)
        size = size << 7 | (uchar(bytes[i]) & 0x7f);
    return size + 10;
}

// Byte fixtures of tags as other writers (and broken ones) make them.
QByteArray syncsafe(uint32_t v)
{
    QByteArray bytes(4, 0);
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((v >> (7 * (3 - i))) & 0x7f);
    return bytes;
}
QByteArray plain32(uint32_t v)
{
    QByteArray bytes(4, 0);
    for (int i = 0; i < 4; ++i)
        bytes[i] = char(v >> (8 * (3 - i)));
    return bytes;
}
QByteArray frame2(const char* id, const QByteArray& data)
{
    const auto n = uint32_t(data.size());
    return QByteArray(id, 3) + char(n >> 16) + char(n >> 8) + char(n) + data;
}
QByteArray frame3(const char* id, const QByteArray& data, uint16_t flags = 0)
{
    return QByteArray(id, 4) + plain32(uint32_t(data.size())) + char(flags >> 8) + char(flags) + data;
}
QByteArray frame4(const char* id, const QByteArray& data, uint16_t flags = 0)
{
    return QByteArray(id, 4) + syncsafe(uint32_t(data.size())) + char(flags >> 8) + char(flags) + data;
}
QByteArray latin1Text(const char* text)
{
    return QByteArray(1, 0) + text;
}
// A tag: header (its size field the body's length unless given) and body.
QByteArray tagOf(uint8_t version, uint8_t flags, const QByteArray& body, int64_t declared = -1)
{
    return QByteArray("ID3", 3) + char(version) + char(0) + char(flags) +
           syncsafe(uint32_t(declared < 0 ? body.size() : declared)) + body;
}

const Fields kLatin1{"Morning Show", "Zoë Müller", "Épisodes", "2024", "Podcast", "Weekly talk; café ©",
                     "J. Doe", "Our encoder 1.0", "© 2024 Station", "eng", "http://example.org/show", 7};
const Fields kUtf16{"Утреннее шоу 🎙", "山田太郎", "Ελληνικά", "2023", "Поп", "Ласкаво просимо", "Владимир",
                    "エンコーダ", "© 東京", "日本語", "http://example.org/show?id=5", 12};
const Fields kSparse{"Only a title", {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, 0};

Fields longFields()
{
    const QString text = QString::fromUtf8("東") + QString(400, 'x');
    return Fields{text, text, text, "1999", text, text, text, text, text, text, "http://example.org/" + QString(200, 'p'), 100};
}

// ---------------------------------------------------------------------------------------------
// What we write, read back by mutagen, TagLib and ourselves.

struct WriteCase {
    const char* name;
    Fields fields;
    int64_t tagLength; // -1: exactly what the frames need (no padding)
};

// ISO-8859-1 where the text fits, else UTF-16.
int encodingFor(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() <= 0xff; }) ? 0 : 1;
}

class Id3v2WriteTest : public testing::TestWithParam<WriteCase> {};

TEST_P(Id3v2WriteTest, IsReadBackByMutagenTagLibAndItself)
{
    const WriteCase& c = GetParam();
    const QString path = untaggedMp3("song.mp3");
    TID3v2 tag;
    setFields(tag, c.fields);
    ASSERT_TRUE(tag.SaveToFile(path));

    const QByteArray bytes = testsupport::readFile(path);
    ASSERT_TRUE(bytes.startsWith(QByteArray("ID3\x03\x00\x00", 6)));
    const int64_t length = tagLengthOf(bytes);
    if (c.tagLength > 0)
        EXPECT_EQ(length, c.tagLength);
    else
        EXPECT_GT(length, 4096);
    // The audio follows the tag unchanged, and with no padding the last frame ends the tag.
    EXPECT_EQ(sha256(QByteArrayView(bytes).sliced(qsizetype(length))), sha256(untaggedAudio()));
    if (c.tagLength < 0) {
        EXPECT_NE(bytes[qsizetype(length) - 1], 0);
    }

    const QJsonObject mutagen = readWithMutagen(path);
    EXPECT_EQ(mutagen.value("version").toArray(), (QJsonArray{2, 3, 0}));
    const struct {
        const char* id;
        QString value;
    } texts[] = {{"TIT2", c.fields.title},     {"TPE1", c.fields.artist},   {"TALB", c.fields.album},
                 {"TYER", c.fields.year},      {"TCON", c.fields.genre},    {"TCOM", c.fields.composer},
                 {"TENC", c.fields.encoder},   {"TCOP", c.fields.copyright}, {"TLAN", c.fields.language},
                 {"TRCK", c.fields.track ? QString::number(c.fields.track) : QString()}};
    int expectedFrames = 0;
    for (const auto& t : texts) {
        SCOPED_TRACE(t.id);
        const QJsonObject frame = frameOf(mutagen, t.id);
        if (t.value.isEmpty()) {
            EXPECT_TRUE(frame.isEmpty());
            continue;
        }
        ++expectedFrames;
        EXPECT_EQ(frame.value("text").toArray(), QJsonArray{t.value});
        EXPECT_EQ(frame.value("encoding").toInt(), encodingFor(t.value));
    }
    const QJsonObject comment = frameOf(mutagen, "COMM");
    if (!c.fields.comment.isEmpty()) {
        ++expectedFrames;
        EXPECT_EQ(comment.value("text").toArray(), QJsonArray{c.fields.comment});
        EXPECT_EQ(comment.value("lang").toString(), "eng");
        EXPECT_EQ(comment.value("desc").toString(), "");
        EXPECT_EQ(comment.value("encoding").toInt(), encodingFor(c.fields.comment));
    }
    if (!c.fields.link.isEmpty()) {
        ++expectedFrames;
        EXPECT_EQ(frameOf(mutagen, "WXXX").value("url").toString(), c.fields.link);
    }
    EXPECT_EQ(mutagen.value("frames").toArray().size(), expectedFrames);

    const TagLibReading taglib = readWithTagLib(path);
    ASSERT_TRUE(taglib.hasTag);
    EXPECT_EQ(taglib.title, c.fields.title);
    EXPECT_EQ(taglib.artist, c.fields.artist);
    EXPECT_EQ(taglib.album, c.fields.album);
    EXPECT_EQ(taglib.comment, c.fields.comment);
    EXPECT_EQ(taglib.genre, c.fields.genre);
    EXPECT_EQ(taglib.year, c.fields.year.toUInt());
    EXPECT_EQ(taglib.track, c.fields.track);

    TID3v2 back;
    ASSERT_TRUE(back.ReadFromFile(path));
    EXPECT_TRUE(back.Exists());
    EXPECT_EQ(back.VersionID(), 3);
    EXPECT_EQ(back.Size(), length);
    EXPECT_EQ(fieldsOf(back), c.fields);
}

INSTANTIATE_TEST_SUITE_P(Fields, Id3v2WriteTest,
                         testing::Values(WriteCase{"Latin1", kLatin1, 4096}, WriteCase{"Utf16", kUtf16, 4096},
                                         WriteCase{"Sparse", kSparse, 4096},
                                         WriteCase{"PastTheRoom", longFields(), -1}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Where the new tag goes.

struct PlacementCase {
    const char* name;
    QByteArray oldTag;     // in front of the audio
    Fields fields;
    bool inPlace;
    int64_t tagLength;
    int64_t audioOffset;   // where the unchanged audio starts in the new file
};

// Frames of exactly 290 bytes: a tag that needs 300.
const Fields kNeeds300{QString(279, 't'), {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, 0};

QByteArray oldTag(int64_t length, uint8_t version = 3, uint8_t flags = 0)
{
    const QByteArray frame = frame3("TIT2", latin1Text("old title"));
    const int64_t body = length - 10 - ((flags & 0x10) ? 10 : 0);
    QByteArray bytes = tagOf(version, flags, frame + QByteArray(qsizetype(body) - frame.size(), 0), body);
    if (flags & 0x10)
        bytes += QByteArray("3DI", 3) + char(version) + char(0) + char(flags) + syncsafe(uint32_t(body));
    return bytes;
}

ino_t inodeOf(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

class Id3v2PlacementTest : public testing::TestWithParam<PlacementCase> {};

TEST_P(Id3v2PlacementTest, PutsTheTagWhereItFitsAndKeepsTheAudio)
{
    const PlacementCase& c = GetParam();
    const QString path = testsupport::testFolder() + "/song.mp3";
    testsupport::writeFile(path, c.oldTag + untaggedAudio());
    const ino_t inode = inodeOf(path);
    TID3v2 tag;
    setFields(tag, c.fields);
    ASSERT_TRUE(tag.SaveToFile(path));

    const QByteArray bytes = testsupport::readFile(path);
    EXPECT_EQ(inodeOf(path) == inode, c.inPlace);
    ASSERT_EQ(tagLengthOf(bytes), c.tagLength);
    EXPECT_EQ(sha256(QByteArrayView(bytes).sliced(qsizetype(c.audioOffset))), sha256(untaggedAudio()));
    EXPECT_EQ(bytes.size(), c.audioOffset + untaggedAudio().size());
    TID3v2 back;
    ASSERT_TRUE(back.ReadFromFile(path));
    EXPECT_EQ(fieldsOf(back), c.fields);
    // The frames come first, then only zeros up to the tag's end.
    const qsizetype framesEnd = 10 + (c.fields.title.isEmpty() ? 0 : c.fields.title.size() + 11);
    EXPECT_EQ(bytes.mid(framesEnd, qsizetype(c.tagLength) - framesEnd), QByteArray(qsizetype(c.tagLength) - framesEnd, 0));
}

INSTANTIATE_TEST_SUITE_P(
    OldTags, Id3v2PlacementTest,
    testing::Values(
        PlacementCase{"UntaggedEmptyFields", {}, Fields{}, false, 4096, 4096},
        PlacementCase{"UntaggedNeeds300", {}, kNeeds300, false, 4096, 4096},
        PlacementCase{"Old2048Needs300", oldTag(2048), kNeeds300, true, 2048, 2048},
        PlacementCase{"OldExactlyNeeded", oldTag(300), kNeeds300, true, 300, 300},
        PlacementCase{"OldTooSmall", oldTag(299), kNeeds300, false, 4096, 4096},
        PlacementCase{"OldFillsTheRoom", oldTag(4096), kNeeds300, true, 4096, 4096},
        PlacementCase{"OldJustPastTheRoom", oldTag(4097), kNeeds300, false, 4096, 4096},
        PlacementCase{"OldPastTheRoom", oldTag(5000), kNeeds300, false, 4096, 4096},
        PlacementCase{"OldVersion4WithFooter", oldTag(1024, 4, 0x10), kNeeds300, true, 1024, 1024},
        PlacementCase{"OldVersion2", tagOf(2, 0, frame2("TT2", latin1Text("x")) + QByteArray(600, 0)), kNeeds300,
                      true, 618, 618}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Id3v2Placement, OldTagClaimingMoreThanTheFileStaysBehindTheNewOne)
{
    const QString path = testsupport::testFolder() + "/song.mp3";
    const QByteArray broken = tagOf(3, 0, frame3("TIT2", latin1Text("x")), 0x0fffffff);
    testsupport::writeFile(path, broken + untaggedAudio());
    TID3v2 tag;
    tag.SetTitle("new");
    ASSERT_TRUE(tag.SaveToFile(path));
    const QByteArray bytes = testsupport::readFile(path);
    EXPECT_EQ(tagLengthOf(bytes), 4096);
    EXPECT_EQ(bytes.mid(4096), broken + untaggedAudio());
}

// ---------------------------------------------------------------------------------------------
// Frames the fields do not hold survive a save.

TEST(Id3v2Keep, FramesOfAVersion3TagAreCarriedOver)
{
    const QString path = untaggedMp3("song.mp3");
    const QByteArray picture = QByteArray(64, 'P') + QByteArray("\x00\xff\x00\x01", 4) + QByteArray(300, 'Q');
    ASSERT_TRUE(writeWithMutagen(
        path, QJsonObject{{"version", 3},
                          {"frames", QJsonArray{QJsonObject{{"id", "TIT2"}, {"encoding", 0}, {"text", "old"}},
                                                QJsonObject{{"id", "TIT1"}, {"encoding", 0}, {"text", "a group"}},
                                                QJsonObject{{"id", "TXXX"}, {"encoding", 1}, {"desc", "mood"}, {"text", "calm"}},
                                                QJsonObject{{"id", "APIC"}, {"encoding", 0}, {"mime", "image/png"},
                                                            {"type", 3}, {"desc", "cover"},
                                                            {"data", QString::fromLatin1(picture.toBase64())}}}}}));
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadFromFile(path));
    tag.SetTitle("new");
    ASSERT_TRUE(tag.SaveToFile(path));

    const QJsonObject mutagen = readWithMutagen(path);
    EXPECT_EQ(mutagen.value("version").toArray(), (QJsonArray{2, 3, 0}));
    EXPECT_EQ(frameOf(mutagen, "TIT2").value("text").toArray(), QJsonArray{"new"});
    EXPECT_EQ(frameOf(mutagen, "TIT1").value("text").toArray(), QJsonArray{"a group"});
    EXPECT_EQ(frameOf(mutagen, "TXXX").value("desc").toString(), "mood");
    EXPECT_EQ(frameOf(mutagen, "TXXX").value("text").toArray(), QJsonArray{"calm"});
    EXPECT_EQ(frameOf(mutagen, "APIC").value("desc").toString(), "cover");
    EXPECT_TRUE(testsupport::readFile(path).contains(picture));
    EXPECT_EQ(mutagen.value("frames").toArray().size(), 4);
}

TEST(Id3v2Keep, FramesOfAVersion4TagAreCarriedOverWhereVersion3HasThem)
{
    const QString path = untaggedMp3("song.mp3");
    ASSERT_TRUE(writeWithMutagen(
        path, QJsonObject{{"version", 4},
                          {"frames", QJsonArray{QJsonObject{{"id", "TIT2"}, {"encoding", 3}, {"text", "old"}},
                                                QJsonObject{{"id", "TPE2"}, {"encoding", 3}, {"text", "Ünïcødé Бэнд"}},
                                                QJsonObject{{"id", "TOPE"}, {"encoding", 3}, {"text", QJsonArray{"one", "two"}}},
                                                QJsonObject{{"id", "TDRC"}, {"encoding", 3}, {"text", "2019-05-01"}},
                                                QJsonObject{{"id", "TXXX"}, {"encoding", 3}, {"desc", "mood"}, {"text", "calm"}},
                                                QJsonObject{{"id", "PRIV"}, {"owner", "org.example"},
                                                            {"data", QString::fromLatin1(QByteArray("secret").toBase64())}}}}}));
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadFromFile(path));
    EXPECT_EQ(tag.Year(), "2019");
    ASSERT_TRUE(tag.SaveToFile(path));

    const QJsonObject mutagen = readWithMutagen(path);
    EXPECT_EQ(mutagen.value("version").toArray(), (QJsonArray{2, 3, 0}));
    EXPECT_EQ(frameOf(mutagen, "TIT2").value("text").toArray(), QJsonArray{"old"});
    EXPECT_EQ(frameOf(mutagen, "TYER").value("text").toArray(), QJsonArray{"2019"});
    // UTF-8 becomes UTF-16, which version 2.3 knows; a frame version 2.3 lacks is dropped.
    EXPECT_EQ(frameOf(mutagen, "TPE2").value("text").toArray(), QJsonArray{"Ünïcødé Бэнд"});
    EXPECT_EQ(frameOf(mutagen, "TPE2").value("encoding").toInt(), 1);
    EXPECT_EQ(frameOf(mutagen, "TOPE").value("text").toArray(), (QJsonArray{"one", "two"}));
    EXPECT_TRUE(frameOf(mutagen, "TDRC").isEmpty());
    EXPECT_TRUE(frameOf(mutagen, "TXXX").isEmpty());
    EXPECT_FALSE(frameOf(mutagen, "PRIV").isEmpty());
    EXPECT_TRUE(testsupport::readFile(path).contains(QByteArray("org.example\0secret", 18)));
}

// ---------------------------------------------------------------------------------------------
// Files that are read-only, missing or not files.

TEST(Id3v2Files, ReadOnlyFileIsMadeWritableAndKeepsItsOtherPermissions)
{
    for (const bool inPlace : {true, false}) {
        SCOPED_TRACE(inPlace ? "in place" : "rewritten");
        const QString path = testsupport::testFolder() + "/song.mp3";
        testsupport::writeFile(path, (inPlace ? oldTag(2048) : QByteArray()) + untaggedAudio());
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0440), 0);
        TID3v2 tag;
        tag.SetTitle("title");
        ASSERT_TRUE(tag.SaveToFile(path));
        struct stat info;
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0640u);
        TID3v2 back;
        ASSERT_TRUE(back.ReadFromFile(path));
        EXPECT_EQ(back.Title(), "title");
    }
}

TEST(Id3v2Files, MissingFileOrFolderFailsAndLeavesNothingBehind)
{
    const QString folder = testsupport::testFolder();
    TID3v2 tag;
    tag.SetTitle("title");
    EXPECT_FALSE(tag.SaveToFile(folder + "/missing.mp3"));
    EXPECT_FALSE(tag.ReadFromFile(folder + "/missing.mp3"));
    EXPECT_EQ(tag.Title(), "");
    EXPECT_FALSE(tag.ReadFromFile(folder));
    tag.SetTitle("title");
    EXPECT_FALSE(tag.SaveToFile(folder));
    EXPECT_TRUE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST(Id3v2Files, TagBytesAreTheTagWrittenInFrontOfUntaggedAudio)
{
    const QString path = untaggedMp3("song.mp3");
    TID3v2 tag;
    setFields(tag, kUtf16);
    const QByteArray bytes = tag.TagBytes();
    ASSERT_TRUE(tag.SaveToFile(path));
    EXPECT_EQ(testsupport::readFile(path), bytes + untaggedAudio());
    TID3v2 back;
    ASSERT_TRUE(back.ReadFromBytes(bytes));
    EXPECT_EQ(fieldsOf(back), kUtf16);
}

TEST(Id3v2Fields, SettersTrimBlanksAndControlCharacters)
{
    TID3v2 tag;
    tag.SetTitle(" \t Title\r\n ");
    tag.SetComment(QString(QChar(1)) + "a  b" + QChar(0x1f));
    tag.SetTrack(0);
    EXPECT_EQ(tag.Title(), "Title");
    EXPECT_EQ(tag.Comment(), "a  b");
    EXPECT_EQ(tag.Track(), 0);
}

// ---------------------------------------------------------------------------------------------
// Tags that mutagen and lame write.

struct ReadCase {
    const char* name;
    QJsonObject spec;
    Fields expected;
};

QJsonObject text(const char* id, const QString& value, int encoding = 0)
{
    return QJsonObject{{"id", id}, {"encoding", encoding}, {"text", value}};
}
QJsonObject comment(const QString& value, const QString& description, int encoding = 0)
{
    return QJsonObject{{"id", "COMM"}, {"encoding", encoding}, {"lang", "eng"}, {"desc", description}, {"text", value}};
}

class Id3v2ReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(Id3v2ReadTest, ReadsTheFieldsMutagenWrote)
{
    const ReadCase& c = GetParam();
    const QString path = untaggedMp3("song.mp3");
    ASSERT_TRUE(writeWithMutagen(path, c.spec));
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadFromFile(path));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(tag.VersionID(), c.spec.value("version").toInt());
    EXPECT_EQ(fieldsOf(tag), c.expected);
}

const QString kLongText = QString(300, 'c') + "!";

INSTANTIATE_TEST_SUITE_P(
    Writers, Id3v2ReadTest,
    testing::Values(
        ReadCase{"Version3Latin1",
                 {{"version", 3},
                  {"frames", QJsonArray{text("TIT2", "Café"), text("TPE1", "Zoë"), text("TALB", "Album"),
                                        text("TRCK", "4"), text("TYER", "1998"), text("TCON", "Jazz"),
                                        comment("notes", ""), text("TCOM", "Composer"), text("TENC", "enc"),
                                        text("TCOP", "(c)"), text("TLAN", "deu"),
                                        QJsonObject{{"id", "WXXX"}, {"encoding", 0}, {"desc", ""}, {"url", "http://a.b/c"}}}}},
                 Fields{"Café", "Zoë", "Album", "1998", "Jazz", "notes", "Composer", "enc", "(c)", "deu", "http://a.b/c", 4}},
        ReadCase{"Version4Utf8",
                 {{"version", 4},
                  {"frames", QJsonArray{text("TIT2", "Заголовок", 3), text("TPE1", "東京", 3), text("TRCK", "3/12"),
                                        text("TDRC", "2019-05-01"), text("TCON", "(17)Rock"),
                                        comment("Ласкаво", "", 3)}}},
                 Fields{"Заголовок", "東京", {}, "2019", "Rock", "Ласкаво", {}, {}, {}, {}, {}, 3}},
        ReadCase{"Version3Utf16",
                 {{"version", 3},
                  {"frames", QJsonArray{text("TIT2", "Ünïcødé 🎙", 1), text("TIT1", "group"), text("TCON", "(17)")}}},
                 Fields{"Ünïcødé 🎙", {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, 0}},
        ReadCase{"SecondChoices",
                 {{"version", 3},
                  {"frames", QJsonArray{text("TIT1", "group"), text("TOPE", "original artist"), text("TOAL", "original album")}}},
                 Fields{"group", "original artist", "original album", {}, {}, {}, {}, {}, {}, {}, {}, 0}},
        // A version 2.4 frame longer than 127 bytes has a syncsafe length unlike its plain one.
        ReadCase{"Version4LongFramesFirst",
                 {{"version", 4}, {"padding", 0}, {"frames", QJsonArray{text("TIT2", kLongText, 3), text("TPE1", "after")}}},
                 Fields{kLongText, "after", {}, {}, {}, {}, {}, {}, {}, {}, {}, 0}},
        ReadCase{"CommentWithoutDescriptionWins",
                 {{"version", 3},
                  {"frames", QJsonArray{comment("player data", "iTunNORM"), comment("the comment", ""),
                                        comment("more data", "iTunSMPB")}}},
                 Fields{{}, {}, {}, {}, {}, "the comment", {}, {}, {}, {}, {}, 0}},
        ReadCase{"DescribedCommentWhenAlone",
                 {{"version", 4}, {"frames", QJsonArray{comment("described", "note", 1)}}},
                 Fields{{}, {}, {}, {}, {}, "described", {}, {}, {}, {}, {}, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Id3v2Read, TagsWrittenByLame)
{
    const QString folder = testsupport::testFolder();
    const QString wave = folder + "/tone.wav";
    const QString mp3 = folder + "/tagged.mp3";
    testsupport::runSox({"-n", "-r", "44100", "-c", "1", "-b", "16", wave, "synth", "0.5", "sine", "440"});
    const testsupport::ToolResult lame = testsupport::runTool(
        "lame", {"--quiet", "--add-id3v2", "--tt", "Lame Title", "--ta", "Lame Artist", "--tl", "Lame Album", "--ty",
                 "2021", "--tc", "Lame comment", "--tn", "5", "--tg", "Rock", wave, mp3});
    ASSERT_EQ(lame.exitCode, 0) << lame.err.toStdString();
    TID3v2 tag;
    ASSERT_TRUE(tag.ReadFromFile(mp3));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(fieldsOf(tag), (Fields{"Lame Title", "Lame Artist", "Lame Album", "2021", "Rock", "Lame comment", {}, {},
                                     {}, {}, {}, 5}));
}

// ---------------------------------------------------------------------------------------------
// Broken and unusual tags, as bytes: read as far as they are sound, never past their end.

struct HostileCase {
    const char* name;
    QByteArray bytes; // the whole file
    bool exists;
    int version;
    qsizetype size;
    QString title;
    QString artist;
    uint8_t track;
};

class Id3v2HostileTest : public testing::TestWithParam<HostileCase> {};

TEST_P(Id3v2HostileTest, ReadsWhatIsSound)
{
    const HostileCase& c = GetParam();
    const QString path = testsupport::testFolder() + "/broken.mp3";
    testsupport::writeFile(path, c.bytes);
    TID3v2 fromFile;
    TID3v2 fromBytes;
    ASSERT_TRUE(fromFile.ReadFromFile(path));
    ASSERT_TRUE(fromBytes.ReadFromBytes(c.bytes));
    for (const TID3v2* tag : {&fromFile, &fromBytes}) {
        EXPECT_EQ(tag->Exists(), c.exists);
        EXPECT_EQ(tag->VersionID(), c.version);
        EXPECT_EQ(qsizetype(tag->Size()), c.size);
        EXPECT_EQ(tag->Title(), c.title);
        EXPECT_EQ(tag->Artist(), c.artist);
        EXPECT_EQ(tag->Track(), c.track);
    }
}

const QByteArray kTitle3 = frame3("TIT2", latin1Text("Title"));
const QByteArray kArtist3 = frame3("TPE1", latin1Text("Artist"));
const QByteArray kArtist4 = frame4("TPE1", latin1Text("Artist"));

INSTANTIATE_TEST_SUITE_P(
    Bytes, Id3v2HostileTest,
    testing::Values(
        HostileCase{"NoTag", QByteArray(200, 'x'), false, 0, 0, {}, {}, 0},
        HostileCase{"HeaderOnly", tagOf(3, 0, {}), true, 3, 10, {}, {}, 0},
        HostileCase{"SizePastTheEnd", tagOf(3, 0, kTitle3, 1000), true, 3, 0, {}, {}, 0},
        HostileCase{"UnknownVersion", tagOf(5, 0, kTitle3), true, 5, 10 + kTitle3.size(), {}, {}, 0},
        HostileCase{"FrameLengthPastTheTag",
                    tagOf(3, 0, kArtist3 + frame3("TIT2", latin1Text("Title")).left(12)), true, 3,
                    10 + kArtist3.size() + 12, {}, "Artist", 0},
        HostileCase{"FrameLengthAllOnes",
                    tagOf(3, 0, kArtist3 + QByteArray("TIT2\xff\xff\xff\xff\x00\x00Title", 15)), true, 3,
                    10 + kArtist3.size() + 15, {}, "Artist", 0},
        HostileCase{"PaddingEndsTheFrames", tagOf(3, 0, kArtist3 + QByteArray(20, 0) + kTitle3), true, 3,
                    10 + kArtist3.size() + 20 + kTitle3.size(), {}, "Artist", 0},
        HostileCase{"Unsynchronised",
                    tagOf(3, 0x80, frame3("TIT2", QByteArray("\x00\xff\x00Z", 4)).replace("\x00\x00\x00\x04", 4, "\x00\x00\x00\x03", 4) + kArtist3),
                    true, 3, 10 + 14 + kArtist3.size(), QString::fromLatin1("\xffZ"), "Artist", 0},
        HostileCase{"ExtendedHeader3", tagOf(3, 0x40, plain32(6) + QByteArray(6, 0) + kTitle3), true, 3,
                    10 + 10 + kTitle3.size(), "Title", {}, 0},
        HostileCase{"ExtendedHeader4", tagOf(4, 0x40, syncsafe(6) + QByteArray("\x01\x00", 2) + kArtist4), true, 4,
                    10 + 6 + kArtist4.size(), {}, "Artist", 0},
        HostileCase{"ExtendedHeaderTooLong", tagOf(3, 0x40, plain32(5000) + kTitle3), true, 3, 10 + 4 + kTitle3.size(),
                    {}, {}, 0},
        HostileCase{"ExtendedHeaderCut", tagOf(4, 0x40, QByteArray(2, 0)), true, 4, 12, {}, {}, 0},
        HostileCase{"CompressedAndEncryptedFrames",
                    tagOf(3, 0, frame3("TIT2", QByteArray("\x00\x00\x00\x05xx", 7), 0x0080) +
                                    frame3("TPE1", latin1Text("secret"), 0x0040) +
                                    frame3("TIT1", latin1Text("Group"))),
                    true, 3, 10 + 17 + 17 + 16, "Group", {}, 0},
        HostileCase{"Version4SealedFrames",
                    tagOf(4, 0, frame4("TIT2", latin1Text("zipped"), 0x0008) + frame4("TPE1", latin1Text("hidden"), 0x0004) +
                                    frame4("TRCK", QByteArray("\x07\x00\x00\x00\x02\x00" "9", 7), 0x0041)),
                    true, 4, 10 + 17 + 17 + 17, {}, {}, 9},
        HostileCase{"Version4UnsynchronisedFrame",
                    tagOf(4, 0, frame4("TIT2", QByteArray("\x00\xff\x00Z", 4), 0x0002)), true, 4, 24,
                    QString::fromLatin1("\xffZ"), {}, 0},
        HostileCase{"Version4PlainLengthWithHighBits",
                    tagOf(4, 0, frame3("TIT2", latin1Text(QByteArray(200, 't'))) + kArtist4), true, 4,
                    10 + 211 + kArtist4.size(), QString(200, 't'), "Artist", 0},
        // 256 read as syncsafe is 128, which lands inside the text: the plain length leads on.
        HostileCase{"Version4PlainLength",
                    tagOf(4, 0, frame3("TIT2", latin1Text(QByteArray(255, 't'))) + kArtist4), true, 4,
                    10 + 266 + kArtist4.size(), QString(255, 't'), "Artist", 0},
        HostileCase{"Version4Footer",
                    tagOf(4, 0x10, kArtist4) + QByteArray("3DI\x04\x00\x10", 6) + syncsafe(uint32_t(kArtist4.size())),
                    true, 4, 20 + kArtist4.size(), {}, "Artist", 0},
        HostileCase{"InvalidEncodings",
                    tagOf(3, 0, frame3("TIT2", QByteArray("\x07Title", 6)) + frame3("TPE1", QByteArray("\x01\xff\xfe" "A" "\x00" "B", 6)) +
                                    frame3("TRCK", QByteArray(1, 0))),
                    true, 3, 10 + 16 + 16 + 11, {}, "A", 0},
        HostileCase{"Utf16WithoutBomOrEnd", tagOf(3, 0, frame3("TIT2", QByteArray("\x02\x00T\x00i\x00", 6))), true, 3,
                    26, "Ti", {}, 0},
        HostileCase{"EmptyFrames", tagOf(3, 0, frame3("TIT2", {}) + frame3("COMM", QByteArray(2, 0)) + kArtist3), true,
                    3, 10 + 10 + 12 + kArtist3.size(), {}, "Artist", 0},
        // The later of two frames replaces the earlier even when it cannot be read itself.
        HostileCase{"SecondChoiceRepeated",
                    tagOf(3, 0, frame3("TIT1", latin1Text("first")) + frame3("TIT1", latin1Text("zipped"), 0x0080)),
                    true, 3, 10 + 16 + 17, {}, {}, 0},
        HostileCase{"TrackNotANumber", tagOf(3, 0, frame3("TRCK", latin1Text("x/5"))), true, 3, 24, {}, {}, 0},
        HostileCase{"TrackKeepsItsLowByte", tagOf(3, 0, frame3("TRCK", latin1Text("258/300"))), true, 3, 28, {}, {}, 2},
        HostileCase{"Version2",
                    tagOf(2, 0, frame2("TT2", latin1Text("Title")) + frame2("TP1", latin1Text("Artist")) +
                                    frame2("TRK", latin1Text("3/9"))),
                    true, 2, 10 + 12 + 13 + 10, "Title", "Artist", 3},
        HostileCase{"Version2Compressed", tagOf(2, 0x40, frame2("TT2", latin1Text("Title"))), true, 2, 22, {}, {}, 0},
        HostileCase{"Version2FrameCut", tagOf(2, 0, frame2("TT2", latin1Text("Title")).left(8)), true, 2, 18, {}, {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Id3v2Read, ShortFileFailsAndLeavesTheFieldsReset)
{
    const QString path = testsupport::testFolder() + "/short.mp3";
    testsupport::writeFile(path, "ID3\x03");
    TID3v2 tag;
    tag.SetTitle("before");
    EXPECT_FALSE(tag.ReadFromFile(path));
    EXPECT_FALSE(tag.Exists());
    EXPECT_EQ(tag.Title(), "");
    EXPECT_FALSE(tag.ReadFromBytes("ID3"));
}

} // namespace
