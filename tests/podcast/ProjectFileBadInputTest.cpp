// Project files as they come from older versions, other systems and damaged disks: each is read
// with a clear result, and what is read is saved back and read again without a loss.
#include "podcast/ProjectFile.h"
#include "platform/settings/IniFile.h"

#include "tests/podcast/ProjectFixtures.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <functional>

using namespace podcast;
using namespace projectfixtures;
using testsupport::hashOf;
using testsupport::writeFile;

namespace {

struct BadInput {
    const char* name;
    // Makes the project at path (nothing for a missing one).
    std::function<void(const QString& path)> make;
    int result;
    int episode; // the episode read
    std::function<void(const PodcastRecord& settings, const PodcastRecord& episode)> check;
};

std::function<void(const QString&)> bytes(const QByteArray& content)
{
    return [content](const QString& path) { writeFile(path, content); };
}

class ProjectBadInput : public testing::TestWithParam<BadInput> {};

TEST_P(ProjectBadInput, ClearResultOrFaithfulRoundTrip)
{
    const BadInput& row = GetParam();
    const QString folder = testsupport::testFolder();
    const QString path = folder + "/project.pdi";
    if (row.make)
        row.make(path);
    testsupport::LogCapture log;

    PodcastRecord settings;
    settings.FeedTitle = "untouched";
    PodcastRecord episode;
    episode.ItemTitle = "untouched";
    EXPECT_EQ(ReadPDISettings(path, settings), row.result);
    EXPECT_EQ(ReadPDIItem(path, row.episode, episode), row.result);

    if (row.result != PdiOk) {
        EXPECT_EQ(settings.FeedTitle, u8("untouched"));
        EXPECT_EQ(episode.ItemTitle, u8("untouched"));
        EXPECT_FALSE(pdiMessageText(row.result).isEmpty());
        EXPECT_TRUE(log.contains(path, "va.podcast"));
        // What cannot be read is never written over.
        if (QFileInfo::exists(path)) {
            const QByteArray before = hashOf(path);
            EXPECT_NE(WritePDISettings(path, settings), PdiOk);
            EXPECT_EQ(hashOf(path), before);
        }
        return;
    }
    row.check(settings, episode);

    // Saved in today's form and read again, nothing changes.
    const int savedAs = row.episode > 0 ? row.episode : 1;
    ASSERT_EQ(WritePDISettings(path, settings), PdiOk);
    ASSERT_EQ(WritePDIItem(path, episode, savedAs), PdiOk);
    PodcastRecord settingsAgain;
    PodcastRecord episodeAgain;
    ASSERT_EQ(ReadPDISettings(path, settingsAgain), PdiOk);
    ASSERT_EQ(ReadPDIItem(path, savedAs, episodeAgain), PdiOk);
    expectSameSettings(settingsAgain, settings);
    expectSameEpisode(episodeAgain, episode);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProjectBadInput,
    testing::Values(
        BadInput{"Garbage", bytes(QByteArray("\x00\x01\xff\xfe garbage\n==\n[\n]\n", 19)), PdiOk, 1,
                 [](const PodcastRecord& s, const PodcastRecord& e) {
                     EXPECT_EQ(s.TotalItems, 1);
                     EXPECT_EQ(s.PortNo, 21);
                     EXPECT_EQ(s.HostType, FtpHostType::None);
                     EXPECT_FALSE(s.Categories.has_value());
                     EXPECT_TRUE(e.ItemTitle.isEmpty());
                 }},
        BadInput{"TruncatedInsideAnEpisode",
                 bytes("[Settings]\r\nPodcastType=1\r\nFeedName=show.xml\r\nPDIVersion=3\r\n[ItemsInformation]\r\n"
                       "TotalItems=2\r\n[PodcastItem01]\r\nItemTitle=First\r\n[PodcastItem02]\r\nItemTi"),
                 PdiOk, 1,
                 [](const PodcastRecord& s, const PodcastRecord& e) {
                     EXPECT_EQ(s.PodcastType, 1);
                     EXPECT_EQ(s.FeedName, u8("show.xml"));
                     EXPECT_EQ(s.TotalItems, 2);
                     EXPECT_EQ(e.ItemTitle, u8("First"));
                 }},
        BadInput{"OlderVersionUnnumberedEpisode",
                 bytes("[Settings]\r\nFeedName=old.xml\r\n[AudioFile]\r\nAudioFilePath=C:\\old\\show.MP3\r\n"
                       "[FeedInfo]\r\nFeedDateTime=Wed, 02 Oct 2002 13:00:05 GMT\r\nFeedDescription=a\\eb\\nc\r\n"
                       "[PodcastItem]\r\nItemTitle=Old one\r\n[ItemItunesInfo]\r\nItemAuthor=Someone\r\n"),
                 PdiOk, 0,
                 [](const PodcastRecord& s, const PodcastRecord& e) {
                     EXPECT_EQ(s.FeedDateTime, u8("10/02/2002 13:00:05"));
                     EXPECT_EQ(s.FeedDescription, u8("a=b\r\nc"));
                     EXPECT_EQ(e.AudioFilePath, u8("C:\\old\\show.MP3"));
                     EXPECT_EQ(e.AudioKind, AudioFileKind::Mp3);
                     EXPECT_EQ(e.FileSize, 0);
                     EXPECT_EQ(e.ItemTitle, u8("Old one"));
                     EXPECT_EQ(e.ItemAuthor, u8("Someone"));
                     // An unnumbered episode without a date of its own has the feed's.
                     EXPECT_EQ(e.ItemDateTime, u8("10/02/2002 13:00:05"));
                 }},
        BadInput{"Windows1252Texts",
                 bytes("[FeedInfo]\r\nFeedTitle=Caf\xe9 \x80 \x93quoted\x94\r\n[PodcastItem01]\r\n"
                       "ItemTitle=Na\xefve & <b>\r\n"),
                 PdiOk, 1,
                 [](const PodcastRecord& s, const PodcastRecord& e) {
                     EXPECT_EQ(s.FeedTitle, u8("Café € “quoted”"));
                     EXPECT_EQ(e.ItemTitle, u8("Naïve & <b>"));
                 }},
        BadInput{"Utf8WithByteOrderMarkAndLineFeeds",
                 bytes("\xEF\xBB\xBF[Settings]\nFeedName=caf\xC3\xA9.xml\n[HostSelection]\nPortNo=abc\nHostType=9\n"),
                 PdiOk, 1,
                 [](const PodcastRecord& s, const PodcastRecord&) {
                     EXPECT_EQ(s.FeedName, u8("café.xml"));
                     EXPECT_EQ(s.PortNo, 21);
                     EXPECT_EQ(s.HostType, FtpHostType::None);
                 }},
        BadInput{"NumbersOutOfRange",
                 bytes("[Settings]\r\nPodcastType=255\r\nLastActivePage=-3\r\n[HostSelection]\r\nPortNo=70000\r\n"
                       "[FeedItunesInfo]\r\nFeedTotalCategories=2000000000\r\nFeedCategory00=Arts\r\n"),
                 PdiOk, 1,
                 [](const PodcastRecord& s, const PodcastRecord&) {
                     EXPECT_EQ(s.PodcastType, 0);
                     EXPECT_EQ(s.LastActivePage, 0);
                     EXPECT_EQ(s.PortNo, 21);
                     ASSERT_TRUE(s.Categories.has_value());
                     ASSERT_FALSE(s.Categories->isEmpty());
                     EXPECT_LE(s.Categories->size(), 2);
                     EXPECT_EQ(s.Categories->first(), u8("Arts"));
                 }},
        BadInput{"EpisodeAudioMissing",
                 bytes("[PodcastItem01]\r\nAudioFilePath=/nowhere/at all/take.wav\r\n"
                       "ItemTitle=\"Quoted\" title ‏עברית 😀\r\n"),
                 PdiOk, 1,
                 [](const PodcastRecord&, const PodcastRecord& e) {
                     EXPECT_EQ(e.AudioFilePath, u8("/nowhere/at all/take.wav"));
                     EXPECT_EQ(e.AudioKind, AudioFileKind::Wav);
                     EXPECT_EQ(e.FileSize, 0);
                     EXPECT_EQ(e.ItemTitle, u8("\"Quoted\" title ‏עברית 😀"));
                 }},
        BadInput{"Missing", nullptr, PdiCannotOpen, 1, nullptr},
        BadInput{"AFolder", [](const QString& path) { QDir().mkpath(path); }, PdiCannotOpen, 1, nullptr},
        BadInput{"TooLarge",
                 [](const QString& path) {
                     writeFile(path, "[Settings]\r\nFeedName=big.xml\r\n");
                     QFile(path).resize(platform::IniFile::maxFileSize + 1);
                 },
                 PdiCannotOpen, 1, nullptr}),
    [](const testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

TEST(ProjectVersion, OfEachGeneration)
{
    const QString folder = testsupport::testFolder();
    const struct {
        const char* name;
        QByteArray content;
        int version;
    } cases[] = {
        {"link.pdi", "[Feed File]=/home/anna/show.xml\r\n", 1},
        {"two.pdi", "[Settings]\r\nFeedName=show.xml\r\n", 2},
        {"three.pdi", "[Settings]\r\nPDIVersion=3\r\n", 3},
    };
    for (const auto& c : cases) {
        writeFile(folder + "/" + c.name, c.content);
        int version = 0;
        EXPECT_EQ(GetPDIVersion(folder + "/" + c.name, version), PdiOk) << c.name;
        EXPECT_EQ(version, c.version) << c.name;
    }
    int version = 0;
    EXPECT_EQ(GetPDIVersion(folder + "/none.pdi", version), PdiCannotOpen);
    EXPECT_EQ(version, 2);
}

// Values that a one-line file cannot hold as they stand come back as the record held them; line
// ends typed into a one-line field become blanks rather than breaking the file.
TEST(ProjectTexts, ComeBackExactly)
{
    const QString path = testsupport::testFolder() + "/texts.pdi";
    const char* texts[] = {
        "Tom & Jerry", "<script>alert('x')</script>", "\"in quotes\"", "'single'", "  spaced  ",
        "a = b ; c", "; looks like a comment", "[Looks Like A Section]", "C:\\news\\today", "emoji 🎧🎙️",
        "עברית ومرحبا mixed", "\\e and \\n literally",
    };
    for (const char* raw : texts) {
        const QString text = u8(raw);
        PodcastRecord record;
        record.FeedTitle = text;
        record.FeedDescription = text + "\r\nsecond line";
        record.ItemTitle = text;
        record.ItemSummary = text;
        record.ItemDuration = text + "\nnext";
        ASSERT_EQ(WritePDIProject(path, record, 1), PdiOk) << raw;
        PodcastRecord read;
        ASSERT_EQ(ReadPDISettings(path, read), PdiOk);
        ASSERT_EQ(ReadPDIItem(path, 1, read), PdiOk);
        EXPECT_EQ(read.FeedTitle, text) << raw;
        EXPECT_EQ(read.FeedDescription, text + "\r\nsecond line") << raw;
        EXPECT_EQ(read.ItemTitle, text) << raw;
        EXPECT_EQ(read.ItemSummary, text) << raw;
        EXPECT_EQ(read.ItemDuration, text + " next") << raw;
    }
}

} // namespace
