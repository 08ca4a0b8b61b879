// The editor's ID3v1 tag: what it writes is read back by mutagen and by itself with the audio in
// front unchanged; tags that mutagen and lame write are read; the version test of bytes 125 and 126;
// the genre table.
#include "editor/ID3v1.h"

#include "tests/editor/Id3TestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstring>
#include <sys/stat.h>

using editor::TID3v1;
using namespace id3test;

namespace {

struct V1Fields {
    QString title, artist, album, year, comment;
    uint8_t track = 0;
    uint8_t genre = 255;
    friend bool operator==(const V1Fields&, const V1Fields&) = default;
};

void PrintTo(const V1Fields& f, std::ostream* os)
{
    *os << QStringList{f.title, f.artist, f.album, f.year, f.comment, QString::number(f.track), QString::number(f.genre)}
               .join(" | ")
               .toStdString();
}

V1Fields fieldsOf(const TID3v1& tag)
{
    return V1Fields{tag.Title(), tag.Artist(), tag.Album(), tag.Year(), tag.Comment(), tag.Track(), tag.Genre()};
}

void setFields(TID3v1& tag, const V1Fields& f)
{
    tag.SetTitle(f.title);
    tag.SetArtist(f.artist);
    tag.SetAlbum(f.album);
    tag.SetYear(f.year);
    tag.SetComment(f.comment);
    tag.SetTrack(f.track);
    tag.SetGenre(f.genre);
}

// ---------------------------------------------------------------------------------------------

struct RoundTripCase {
    const char* name;
    V1Fields fields;
    int version;
    V1Fields readBack;          // what ours reads from the file
    QJsonObject mutagen;        // what mutagen reads: frame id -> text
};

class Id3v1RoundTripTest : public testing::TestWithParam<RoundTripCase> {};

TEST_P(Id3v1RoundTripTest, IsReadBackByMutagenAndItself)
{
    const RoundTripCase& c = GetParam();
    const QString path = untaggedMp3("song.mp3");
    TID3v1 tag;
    setFields(tag, c.fields);
    ASSERT_TRUE(tag.SaveToFile(path));

    const QByteArray bytes = testsupport::readFile(path);
    ASSERT_EQ(bytes.size(), untaggedAudio().size() + 128);
    EXPECT_EQ(sha256(QByteArrayView(bytes).first(untaggedAudio().size())), sha256(untaggedAudio()));
    EXPECT_EQ(QJsonDocument(readWithMutagen(path).value("v1").toObject()).toJson().toStdString(),
              QJsonDocument(c.mutagen).toJson().toStdString());

    TID3v1 back;
    ASSERT_TRUE(back.ReadFromFile(path));
    EXPECT_TRUE(back.Exists());
    EXPECT_EQ(back.VersionID(), c.version);
    EXPECT_EQ(fieldsOf(back), c.readBack);
}

const QString k30 = "123456789 123456789 123456789x";

INSTANTIATE_TEST_SUITE_P(
    Fields, Id3v1RoundTripTest,
    testing::Values(
        // Without a track all 30 comment characters stay; mutagen takes the last one for a track.
        RoundTripCase{"Version10",
                      {"Title", "Artist", "Album", "2024", k30, 0, 13},
                      1,
                      {"Title", "Artist", "Album", "2024", k30, 0, 13},
                      {{"TIT2", "Title"}, {"TPE1", "Artist"}, {"TALB", "Album"}, {"TDRC", "2024"},
                       {"COMM", k30.left(29)}, {"TRCK", "120"}, {"TCON", "13"}}},
        // A track takes the comment's last two bytes.
        RoundTripCase{"Version11",
                      {"Title", {}, {}, {}, k30, 7, 255},
                      2,
                      {"Title", {}, {}, {}, k30.left(28), 7, 255},
                      {{"TIT2", "Title"}, {"COMM", k30.left(28)}, {"TRCK", "7"}}},
        // The editor's genre bytes: its "Jazz" (9) is the common list's "Metal" to other programs.
        RoundTripCase{"Latin1AndGenre",
                      {"Café Müller", "Zoë", {}, "1999", {}, 0, 9},
                      1,
                      {"Café Müller", "Zoë", {}, "1999", {}, 0, 9},
                      {{"TIT2", "Café Müller"}, {"TPE1", "Zoë"}, {"TDRC", "1999"}, {"TCON", "9"}}},
        RoundTripCase{"OutsideLatin1",
                      {"Дом 東京", {}, {}, {}, {}, 0, 255},
                      1,
                      {"??? ??", {}, {}, {}, {}, 0, 255},
                      {{"TIT2", "??? ??"}}},
        RoundTripCase{"CutToTheFields",
                      {k30 + "overflow", {}, {}, "20245", {}, 0, 0},
                      1,
                      {k30, {}, {}, "2024", {}, 0, 0},
                      {{"TIT2", k30}, {"TDRC", "2024"}, {"TCON", "0"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Id3v1Save, ReplacesTheOldTagInsteadOfAddingOne)
{
    const QString path = untaggedMp3("song.mp3");
    // mutagen writes the first tag, ours the next two.
    ASSERT_TRUE(writeWithMutagen(path, QJsonObject{{"version", 3}, {"v1", 2},
                                                   {"frames", QJsonArray{QJsonObject{{"id", "TIT2"}, {"encoding", 0}, {"text", "mutagen"}}}}}));
    const QByteArray tagged = testsupport::readFile(path);
    ASSERT_TRUE(tagged.right(128).startsWith("TAG"));
    for (const char* title : {"first", "second"}) {
        TID3v1 tag;
        tag.SetTitle(title);
        ASSERT_TRUE(tag.SaveToFile(path));
    }
    const QByteArray bytes = testsupport::readFile(path);
    EXPECT_EQ(bytes.size(), tagged.size());
    EXPECT_EQ(bytes.left(bytes.size() - 128), tagged.left(tagged.size() - 128));
    EXPECT_EQ(bytes.count("TAG"), tagged.count("TAG"));
    TID3v1 back;
    ASSERT_TRUE(back.ReadFromFile(path));
    EXPECT_EQ(back.Title(), "second");
}

TEST(Id3v1Save, ReadOnlyShortAndMissingFiles)
{
    const QString folder = testsupport::testFolder();
    TID3v1 tag;
    tag.SetTitle("title");

    const QString readOnly = folder + "/read-only.mp3";
    testsupport::writeFile(readOnly, untaggedAudio());
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    EXPECT_TRUE(tag.SaveToFile(readOnly));
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(readOnly).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);

    // A file shorter than a tag gets one; it cannot have had one.
    const QString shortFile = folder + "/short.mp3";
    testsupport::writeFile(shortFile, "abc");
    EXPECT_TRUE(tag.SaveToFile(shortFile));
    EXPECT_EQ(testsupport::readFile(shortFile).size(), 3 + 128);
    TID3v1 back;
    ASSERT_TRUE(back.ReadFromFile(shortFile));
    EXPECT_EQ(back.Title(), "title");

    EXPECT_FALSE(tag.SaveToFile(folder + "/missing.mp3"));
    EXPECT_FALSE(tag.SaveToFile(folder));
    EXPECT_FALSE(QFile::exists(folder + "/missing.mp3"));
}

// ---------------------------------------------------------------------------------------------

TEST(Id3v1Read, FilesWithoutATagOrTooShort)
{
    const QString folder = testsupport::testFolder();
    TID3v1 tag;
    tag.SetTitle("before");
    const QString untagged = untaggedMp3("untagged.mp3");
    EXPECT_TRUE(tag.ReadFromFile(untagged));
    EXPECT_FALSE(tag.Exists());
    EXPECT_EQ(fieldsOf(tag), V1Fields{});
    EXPECT_EQ(tag.VersionID(), 1);

    const QString shortFile = folder + "/short.mp3";
    testsupport::writeFile(shortFile, QByteArray(127, 'x'));
    tag.SetTitle("before");
    EXPECT_FALSE(tag.ReadFromFile(shortFile));
    EXPECT_EQ(tag.Title(), "");
    EXPECT_FALSE(tag.ReadFromFile(folder + "/missing.mp3"));
}

TEST(Id3v1Read, TagsOfMutagenAndLame)
{
    const QString fromMutagen = untaggedMp3("mutagen.mp3");
    ASSERT_TRUE(writeWithMutagen(
        fromMutagen,
        QJsonObject{{"version", 4},
                    {"v1", 2},
                    {"frames", QJsonArray{QJsonObject{{"id", "TIT2"}, {"encoding", 3}, {"text", "Mutagen title"}},
                                          QJsonObject{{"id", "TPE1"}, {"encoding", 3}, {"text", "Zoë"}},
                                          QJsonObject{{"id", "TRCK"}, {"encoding", 3}, {"text", "4/10"}},
                                          QJsonObject{{"id", "TDRC"}, {"encoding", 3}, {"text", "2020"}},
                                          QJsonObject{{"id", "TCON"}, {"encoding", 3}, {"text", "Rock"}}}}}));
    TID3v1 tag;
    ASSERT_TRUE(tag.ReadFromFile(fromMutagen));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(tag.VersionID(), 2);
    // The common list's Rock is 17, which is Rock in the editor's table too.
    EXPECT_EQ(fieldsOf(tag), (V1Fields{"Mutagen title", "Zoë", {}, "2020", {}, 4, 17}));
    EXPECT_EQ(tag.GetGenreName(), "Rock");

    const QString folder = testsupport::testFolder();
    const QString wave = folder + "/tone.wav";
    const QString fromLame = folder + "/lame.mp3";
    testsupport::runSox({"-n", "-r", "44100", "-c", "1", "-b", "16", wave, "synth", "0.5", "sine", "440"});
    const testsupport::ToolResult lame = testsupport::runTool(
        "lame", {"--quiet", "--id3v1-only", "--tt", "Lame Title", "--ta", "Lame Artist", "--tl", "Lame Album", "--ty",
                 "2021", "--tc", "Lame comment", "--tn", "5", "--tg", "Rock", wave, fromLame});
    ASSERT_EQ(lame.exitCode, 0) << lame.err.toStdString();
    ASSERT_TRUE(tag.ReadFromFile(fromLame));
    EXPECT_EQ(tag.VersionID(), 2);
    EXPECT_EQ(fieldsOf(tag), (V1Fields{"Lame Title", "Lame Artist", "Lame Album", "2021", "Lame comment", 5, 17}));
}

struct VersionCase {
    const char* name;
    char byte125;
    char byte126;
    int version;
    uint8_t track;
    QString comment;
};

class Id3v1VersionTest : public testing::TestWithParam<VersionCase> {};

TEST_P(Id3v1VersionTest, BytesBeforeTheGenreTellTheVersion)
{
    const VersionCase& c = GetParam();
    QByteArray tag = QByteArray("TAG") + QByteArray(30, 't') + QByteArray(30, 0) + QByteArray(30, 0) + "1990" +
                     QByteArray(28, 'c') + c.byte125 + c.byte126 + char(3);
    ASSERT_EQ(tag.size(), 128);
    const QString path = testsupport::testFolder() + "/song.mp3";
    testsupport::writeFile(path, untaggedAudio() + tag);
    TID3v1 read;
    ASSERT_TRUE(read.ReadFromFile(path));
    EXPECT_EQ(read.VersionID(), c.version);
    EXPECT_EQ(read.Track(), c.track);
    EXPECT_EQ(read.Comment(), c.comment);
    EXPECT_EQ(read.Title(), QString(30, 't'));
    EXPECT_EQ(read.Year(), "1990");
    EXPECT_EQ(read.Genre(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Id3v1VersionTest,
    testing::Values(VersionCase{"ZeroThenTrack", 0, 7, 2, 7, QString(28, 'c')},
                    VersionCase{"ZeroThenZero", 0, 0, 1, 0, QString(28, 'c')},
                    VersionCase{"BlankThenLetter", ' ', 'x', 2, 'x', QString(28, 'c')},
                    VersionCase{"BlankThenBlank", ' ', ' ', 1, 0, QString(28, 'c')},
                    VersionCase{"Text", 'd', 'e', 1, 0, QString(28, 'c') + "de"},
                    VersionCase{"TextThenControl", 'd', '\x01', 1, 0, QString(28, 'c') + "d"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Id3v1Fields, SettersTrimTheEndAndCutToTheField)
{
    TID3v1 tag;
    EXPECT_EQ(tag.Genre(), 255);
    EXPECT_EQ(tag.VersionID(), 1);
    tag.SetTitle("  Title \t\r\n");
    tag.SetYear("199 ");
    tag.SetComment(k30 + "more");
    tag.SetArtist(QString(29, 'a') + "  b");
    EXPECT_EQ(tag.Title(), "  Title");
    EXPECT_EQ(tag.Year(), "199");
    EXPECT_EQ(tag.Comment(), k30);
    EXPECT_EQ(tag.Artist(), QString(29, 'a'));
}

TEST(Id3v1Genres, TableAndNames)
{
    const QStringList& names = TID3v1::GenreNames();
    ASSERT_EQ(names.size(), 149);
    const struct {
        uint8_t genre;
        const char* name;
    } rows[] = {{0, "Podcast"},      {1, "Blues"},           {12, "Oldies"},  {13, "Pop"},
                {17, "Rock"},        {67, "Psychadelic"},    {92, "Progessive Rock"},
                {123, "A capella"},  {144, "Trash Metal"},   {147, "Synthpop"}, {148, "Other"},
                {149, ""},           {200, ""},              {255, ""}};
    for (const auto& row : rows) {
        TID3v1 tag;
        tag.SetGenre(row.genre);
        EXPECT_EQ(tag.GetGenreName(), QString::fromUtf8(row.name)) << int(row.genre);
    }
}

} // namespace
