// Podcast projects saved and opened again: every value and every episode comes back, the layout is
// what other readers of the file expect, episodes are deleted and renumbered, and a failing save
// leaves the old file as it was.
#include "podcast/ProjectFile.h"
#include "podcast/ProjectFileKeys.h"

#include "tests/podcast/ProjectFixtures.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

using namespace podcast;
using namespace projectfixtures;
using testsupport::hashOf;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

class ProjectFileTest : public testing::Test {
protected:
    QString folder = testsupport::testFolder();
    QString path = folder + "/weekly.pdi";

    // A project of three episodes written the way the builder does: settings, then each episode.
    void writeThreeEpisodes()
    {
        PodcastRecord record = sampleSettings();
        ASSERT_EQ(WritePDISettings(path, record), PdiOk);
        for (int n = 1; n <= 3; ++n) {
            setEpisode(record, n, folder);
            ASSERT_EQ(WritePDIItem(path, record, n), PdiOk);
        }
    }

    PodcastRecord readEpisode(int n)
    {
        PodcastRecord record;
        EXPECT_EQ(ReadPDIItem(path, n, record), PdiOk);
        return record;
    }
};

TEST_F(ProjectFileTest, SettingsAndEveryEpisodeReadBack)
{
    writeThreeEpisodes();
    PodcastRecord settings;
    ASSERT_EQ(ReadPDISettings(path, settings), PdiOk);
    expectSameSettings(settings, sampleSettings());
    for (int n = 1; n <= 3; ++n) {
        PodcastRecord expected;
        setEpisode(expected, n, folder);
        expectSameEpisode(readEpisode(n), expected);
    }
    int version = 0;
    ASSERT_EQ(GetPDIVersion(path, version), PdiOk);
    EXPECT_EQ(version, 3);
}

TEST_F(ProjectFileTest, SavingAgainUpdatesInPlaceWithoutDuplicates)
{
    writeThreeEpisodes();
    PodcastRecord record = sampleSettings();
    record.FeedTitle = "Renamed";
    record.Categories = QStringList{"Music"};
    record.SubCategories = QStringList{"Jazz"};
    setEpisode(record, 2, folder);
    record.ItemTitle = "Second, edited";
    ASSERT_EQ(WritePDIProject(path, record, 2), PdiOk);

    PodcastRecord read;
    ASSERT_EQ(ReadPDISettings(path, read), PdiOk);
    expectSameSettings(read, record);
    EXPECT_EQ(readEpisode(2).ItemTitle, u8("Second, edited"));
    PodcastRecord first;
    setEpisode(first, 1, folder);
    expectSameEpisode(readEpisode(1), first);
    EXPECT_EQ(QString::fromUtf8(readFile(path)).count("[PodcastItem02]"), 1);
    EXPECT_EQ(QString::fromUtf8(readFile(path)).count("FeedTitle="), 1);
}

TEST_F(ProjectFileTest, LayoutAsOtherReadersSeeIt)
{
    writeThreeEpisodes();
    const QByteArray bytes = readFile(path);
    EXPECT_TRUE(bytes.startsWith("[Settings]\r\nPodcastType=1\r\nLastActivePage=6\r\nFeedName=weekly.xml\r\n"));
    EXPECT_TRUE(bytes.contains("FeedDescription=Line one \\e first\\nLine two: \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D\r\n"));
    EXPECT_TRUE(bytes.contains("FeedTotalCategories=3\r\nFeedCategory00=Arts\r\nFeedSubCategory00=Design\r\n"));

    const testsupport::ToolResult result = testsupport::runPythonScript("ini_configparser.py", {path});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject sections = QJsonDocument::fromJson(result.out).object();
    EXPECT_EQ(sections.keys(), (QStringList{"FeedInfo", "FeedItunesInfo", "HostSelection", "ID3Tag", "ItemItunesInfo01",
                                            "ItemItunesInfo02", "ItemItunesInfo03", "ItemsInformation", "MoreInfo",
                                            "PodcastItem01", "PodcastItem02", "PodcastItem03", "Settings", "UploadInfo"}));
    const QJsonObject settings = sections.value("Settings").toObject();
    EXPECT_EQ(settings.value("PDIVersion").toString(), u8("3"));
    EXPECT_EQ(sections.value("HostSelection").toObject().value("PortNo").toString(), u8("2121"));
    EXPECT_EQ(sections.value("ItemsInformation").toObject().value("TotalItems").toString(), u8("3"));
    EXPECT_EQ(sections.value("PodcastItem02").toObject().value("ItemUploaded").toString(), u8("0"));
    // A title in quotes is quoted once more, so that a reader that strips one pair gets it back.
    EXPECT_EQ(sections.value("FeedInfo").toObject().value("FeedTitle").toString(),
              u8("Anna's \"Weekly\" <News> & Views 🎙️"));
}

TEST_F(ProjectFileTest, SectionAndKeyNumbers)
{
    const struct {
        int number;
        const char* text;
    } cases[] = {{0, "00"}, {1, "01"}, {7, "07"}, {12, "12"}, {100, "100"}, {1234, "1234"}};
    for (const auto& c : cases)
        EXPECT_EQ(pdi::sectionNumber(c.number), u8(c.text)) << c.number;

    PodcastRecord record;
    setEpisode(record, 7, folder);
    ASSERT_EQ(WritePDIItem(path, record, 7), PdiOk);
    const QByteArray bytes = readFile(path);
    EXPECT_TRUE(bytes.startsWith("[PodcastItem07]\r\n"));
    EXPECT_TRUE(bytes.contains("\r\n[ItemItunesInfo07]\r\n"));
    expectSameEpisode(readEpisode(7), record);
}

TEST_F(ProjectFileTest, PodcastTypeAndNumbersOutOfRange)
{
    PodcastRecord record = sampleSettings();
    record.PodcastType = 255;
    ASSERT_EQ(WritePDISettings(path, record), PdiOk);
    EXPECT_TRUE(readFile(path).startsWith("[Settings]\r\nPodcastType=0\r\n"));
    PodcastRecord read;
    ASSERT_EQ(ReadPDISettings(path, read), PdiOk);
    EXPECT_EQ(read.PodcastType, 0);
    EXPECT_EQ(read.PortNo, 2121);
}

TEST_F(ProjectFileTest, EpisodeAudioKindAndSize)
{
    writeFile(folder + "/talk.WAV", QByteArray(1234, 'x'));
    const struct {
        const char* file;
        AudioFileKind kind;
        qint64 size;
    } cases[] = {
        {"talk.WAV", AudioFileKind::Wav, 1234},
        {"missing.mp3", AudioFileKind::Mp3, 0},
        {"missing.wma", AudioFileKind::Wma, 0},
        {"notes.txt", AudioFileKind::None, 0},
    };
    for (const auto& c : cases) {
        PodcastRecord record;
        record.AudioFilePath = folder + "/" + c.file;
        ASSERT_EQ(WritePDIItem(path, record, 1), PdiOk);
        PodcastRecord read;
        read.FileSize = 99;
        ASSERT_EQ(ReadPDIItem(path, 1, read), PdiOk);
        EXPECT_EQ(read.AudioKind, c.kind) << c.file;
        EXPECT_EQ(read.FileSize, c.size) << c.file;
    }
}

TEST_F(ProjectFileTest, DeletingAnEpisodeMovesTheLaterOnesDown)
{
    writeThreeEpisodes();
    ASSERT_EQ(DeletePDIItem(path, 2), PdiOk);
    qint32 count = 0;
    ASSERT_EQ(GetPDIItemCount(path, count), PdiOk);
    EXPECT_EQ(count, 2);
    PodcastRecord first;
    setEpisode(first, 1, folder);
    PodcastRecord third;
    setEpisode(third, 3, folder);
    expectSameEpisode(readEpisode(1), first);
    expectSameEpisode(readEpisode(2), third);
    const QString text = QString::fromUtf8(readFile(path));
    EXPECT_FALSE(text.contains("PodcastItem03"));
    EXPECT_FALSE(text.contains("ItemItunesInfo03"));
    PodcastRecord settings;
    ASSERT_EQ(ReadPDISettings(path, settings), PdiOk);
    EXPECT_EQ(settings.FeedTitle, sampleSettings().FeedTitle);

    // An episode the project does not hold changes nothing.
    const QByteArray before = hashOf(path);
    EXPECT_EQ(DeletePDIItem(path, 5), PdiOk);
    EXPECT_EQ(DeletePDIItem(path, 0), PdiOk);
    EXPECT_EQ(hashOf(path), before);
}

TEST_F(ProjectFileTest, AddingAnEpisodeAfterTheLast)
{
    writeThreeEpisodes();
    PodcastRecord record = sampleSettings();
    setEpisode(record, 3, folder);
    int episode = 0;
    ASSERT_EQ(AddPDIItem(path, record, episode), PdiOk);
    EXPECT_EQ(episode, 4);
    PodcastRecord expected = sampleSettings();
    expected.TotalItems = 4;
    expectSameSettings(record, expected);
    EXPECT_TRUE(record.ItemTitle.isEmpty());
    EXPECT_TRUE(record.AudioFilePath.isEmpty());
    // A new episode must not publish the previous one's length.
    EXPECT_TRUE(record.ItemDuration.isEmpty());
    EXPECT_EQ(record.ItemGuid, u8("guid-3"));
    EXPECT_EQ(record.ItemBlock, u8("No"));

    qint32 count = 0;
    ASSERT_EQ(GetPDIItemCount(path, count), PdiOk);
    EXPECT_EQ(count, 4);
    expectSameEpisode(readEpisode(4), record);
    PodcastRecord third;
    setEpisode(third, 3, folder);
    expectSameEpisode(readEpisode(3), third);

    PodcastRecord untouched = record;
    EXPECT_EQ(AddPDIItem(folder + "/none.pdi", untouched, episode), PdiCannotOpen);
    EXPECT_EQ(episode, 4);
    EXPECT_FALSE(QFileInfo::exists(folder + "/none.pdi"));
}

TEST_F(ProjectFileTest, OneKeyReadersAndUploadedMarks)
{
    writeThreeEpisodes();
    PodcastRecord third;
    setEpisode(third, 3, folder);
    third.ItemUploaded = false;
    ASSERT_EQ(WritePDIItem(path, third, 3), PdiOk);
    ASSERT_EQ(MarkPDIItemsUploaded(path, {"02"}), PdiOk);
    const bool expected[] = {true, true, false};
    for (int n = 1; n <= 3; ++n) {
        bool uploaded = !expected[n - 1];
        ASSERT_EQ(ReadPDIItemBool(path, pdi::kItemUploaded, n, uploaded), PdiOk);
        EXPECT_EQ(uploaded, expected[n - 1]) << n;
    }
    QString title;
    ASSERT_EQ(ReadPDIItemString(path, pdi::kItemTitle, 3, title), PdiOk);
    EXPECT_EQ(title, readEpisode(3).ItemTitle);
    QString feedPath;
    ASSERT_EQ(ReadPDIFeedPath(path, feedPath), PdiOk);
    EXPECT_EQ(feedPath, sampleSettings().FeedFilePath);
}

TEST_F(ProjectFileTest, NewProjectHoldsOneEpisodeAndTheCurrentVersion)
{
    writeFile(path, "[PodcastItem05]\r\nItemTitle=stale\r\n");
    PodcastRecord record = sampleSettings();
    setEpisode(record, 1, folder);
    record.ItemUploaded = true;
    ASSERT_EQ(CreateNewPDIFile(path, record), PdiOk);
    EXPECT_EQ(record.TotalItems, 1);
    int version = 0;
    ASSERT_EQ(GetPDIVersion(path, version), PdiOk);
    EXPECT_EQ(version, 3);
    EXPECT_FALSE(readFile(path).contains("stale"));
    const PodcastRecord read = readEpisode(1);
    EXPECT_EQ(read.ItemTitle, record.ItemTitle);
    EXPECT_FALSE(read.ItemUploaded);
}

// Saving an unsaved project under a name keeps every episode it has, and replaces (never merges
// with) whatever the chosen file held.
TEST_F(ProjectFileTest, SaveAsKeepsEveryEpisodeAndReplacesTheTarget)
{
    writeThreeEpisodes();
    const QString target = folder + "/chosen.pdi";
    writeFile(target, "[PodcastItem04]\r\nItemTitle=from an older project\r\n[ItemsInformation]\r\nTotalItems=4\r\n");
    const QByteArray sourceBefore = hashOf(path);
    PodcastRecord record = sampleSettings();
    setEpisode(record, 2, folder);
    record.ItemTitle = "Edited before saving";
    ASSERT_EQ(SavePDIProjectAs(path, target, record, 2), PdiOk);

    EXPECT_EQ(hashOf(path), sourceBefore);
    EXPECT_FALSE(readFile(target).contains("older project"));
    qint32 count = 0;
    ASSERT_EQ(GetPDIItemCount(target, count), PdiOk);
    EXPECT_EQ(count, 3);
    PodcastRecord episode;
    ASSERT_EQ(ReadPDIItem(target, 2, episode), PdiOk);
    EXPECT_EQ(episode.ItemTitle, u8("Edited before saving"));
    PodcastRecord third;
    setEpisode(third, 3, folder);
    ASSERT_EQ(ReadPDIItem(target, 3, episode), PdiOk);
    expectSameEpisode(episode, third);

    EXPECT_EQ(SavePDIProjectAs(path, "", record, 1), PdiInvalidFileName);
}

// The whole project read from one reading of the file gives what reading each episode gives, and
// written again at once gives the same file.
TEST_F(ProjectFileTest, WholeProjectReadAndWrittenAtOnce)
{
    writeThreeEpisodes();
    PodcastRecord settings;
    QList<PodcastRecord> episodes;
    ASSERT_EQ(ReadPDIProject(path, settings, episodes), PdiOk);
    expectSameSettings(settings, sampleSettings());
    ASSERT_EQ(episodes.size(), 3);
    for (int n = 1; n <= 3; ++n)
        expectSameEpisode(episodes[n - 1], readEpisode(n));

    const QString copy = folder + "/copy.pdi";
    writeFile(copy, "[PodcastItem05]\r\nItemTitle=stale\r\n");
    settings.TotalItems = 7;
    ASSERT_EQ(CreatePDIProject(copy, settings, episodes), PdiOk);
    EXPECT_EQ(readFile(copy), readFile(path));
    EXPECT_EQ(CreatePDIProject("", settings, episodes), PdiInvalidFileName);

    PodcastRecord untouched = sampleSettings();
    QList<PodcastRecord> kept{untouched};
    EXPECT_EQ(ReadPDIProject(folder + "/missing.pdi", untouched, kept), PdiCannotOpen);
    expectSameSettings(untouched, sampleSettings());
    EXPECT_EQ(kept.size(), 1);
}

// The episode count is the file's own word: a damaged one gives no episodes or no more than the
// file can hold, never millions of empty ones.
TEST_F(ProjectFileTest, WholeProjectReadWithADamagedCount)
{
    struct Case {
        const char* count;
        qsizetype episodes;
    };
    const Case cases[] = {{"0", 0}, {"-4", 0}, {"2", 2}, {"x", 1}, {"2147483647", -1}};
    for (const Case& c : cases) {
        writeThreeEpisodes();
        const QByteArray text = readFile(path).replace("TotalItems=3", QByteArray("TotalItems=") + c.count);
        writeFile(path, text);
        PodcastRecord settings;
        QList<PodcastRecord> episodes;
        ASSERT_EQ(ReadPDIProject(path, settings, episodes), PdiOk) << c.count;
        if (c.episodes >= 0) {
            EXPECT_EQ(episodes.size(), c.episodes) << c.count;
        } else {
            EXPECT_GE(episodes.size(), 3) << c.count;
            EXPECT_LE(episodes.size(), 100) << c.count;
        }
        for (qsizetype i = 0; i < qMin<qsizetype>(episodes.size(), 3); ++i)
            expectSameEpisode(episodes[i], readEpisode(int(i + 1)));
    }
}

// A save that fails half-way (the disk refuses more bytes) leaves the old project byte for byte.
TEST_F(ProjectFileTest, FailingSaveLeavesTheOldFile)
{
    writeThreeEpisodes();
    const QByteArray before = readFile(path);
    PodcastRecord record = sampleSettings();
    record.FeedDescription = QString(64 * 1024, QLatin1Char('d'));
    setEpisode(record, 1, folder);
    {
        wavefixtures::FileSizeLimit limit(before.size() + 100);
        EXPECT_EQ(WritePDISettings(path, record), PdiCannotCreate);
        EXPECT_EQ(WritePDIProject(path, record, 1), PdiCannotCreate);
        EXPECT_EQ(CreateNewPDIFile(path, record), PdiCannotCreate);
        EXPECT_EQ(SavePDIProjectAs(path, path, record, 1), PdiCannotCreate);
        EXPECT_EQ(CreatePDIProject(path, record, {record, record}), PdiCannotCreate);
    }
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"weekly.pdi"});
}

} // namespace
