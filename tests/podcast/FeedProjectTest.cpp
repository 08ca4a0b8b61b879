// A project's feed: generated from the project file, imported into a new project, generated again
// byte for byte; feeds that cannot be imported.
#include "podcast/FeedProject.h"

#include "common/FeedText.h"
#include "podcast/FeedReader.h"
#include "podcast/ProjectFile.h"
#include "tests/podcast/FeedFixtures.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace podcast;

namespace {

class FeedProjectTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return QDir(folder).filePath(QLatin1String(name)); }

    // A project of three episodes whose audio files lie in the test folder.
    QString makeProject(quint8 podcastType)
    {
        PodcastRecord r;
        r.PodcastType = podcastType;
        r.FeedTitle = QStringLiteral("R&D <weekly> \u05E9\u05DC\u05D5\u05DD \U0001F399");
        r.FeedDescription = QStringLiteral("It's \"ours\"");
        r.FeedURL = QStringLiteral("http://example.org/show.xml?a=1&b=2");
        r.SeriesTTL = 45;
        r.SeriesWebMaster = QStringLiteral("web@example.org");
        r.SeriesCopyright = QStringLiteral("\u00A9 2006");
        r.SeriesLanguage = QStringLiteral("English (United States): en-us");
        r.FeedSubtitle = QStringLiteral("Sub & more");
        r.FeedOwner = QStringLiteral("Ann");
        r.FeedOwnerEmail = QStringLiteral("ann@example.org");
        r.FeedExplicit = QStringLiteral("No");
        r.Categories = QStringList{QStringLiteral("Arts"), QStringLiteral("Technology")};
        r.SubCategories = QStringList{QString(), QStringLiteral("Podcasting")};
        r.FeedImageLink = QStringLiteral("http://example.org/art.jpg?w=1&h=2");
        const char* names[] = {"ep1.mp3", "ep2.wav", "ep3.wma"};
        const QString project = path("show.pdi");
        for (int n = 1; n <= 3; ++n) {
            const QString audio = path(names[n - 1]);
            testsupport::writeFile(audio, QByteArray(100 * n, 'a'));
            r.AudioFilePath = audio;
            r.ItemTitle = QStringLiteral("Episode %1 & <%1>").arg(n);
            r.ItemDescription = QStringLiteral("Line \u0645\u0631\u062D\u0628\u0627 %1").arg(n);
            r.ItemURL = QStringLiteral("http://example.org/media/%1?src=feed&n=%2").arg(QLatin1String(names[n - 1])).arg(n);
            r.ItemDateTime = n == 2 ? QString() : QStringLiteral("09/0%1/2006 1%1:00:00").arg(n);
            r.ItemDuration = QStringLiteral("00:0%1:00").arg(n);
            r.ItemAuthor = n == 3 ? QStringLiteral("Bob") : QString();
            if (n == 1) {
                EXPECT_EQ(CreateNewPDIFile(project, r), PdiOk);
            } else {
                r.TotalItems = n;
                EXPECT_EQ(WritePDIProject(project, r, n), PdiOk);
            }
        }
        return project;
    }

    const common::FeedClockOverride clock{[] { return feedtest::utc(2024, 2, 29, 23, 59, 58); }};
    const QString folder = testsupport::testFolder();
};

} // namespace

TEST_F(FeedProjectTest, GenerateImportGenerateGivesTheSameFeed)
{
    for (const quint8 type : {quint8(0), quint8(1)}) {
        const QString feedPath = path("show.xml");
        ASSERT_EQ(GenerateFeed(makeProject(type), feedPath), PdiOk);
        EXPECT_EQ(feedtest::xmllintErrors(feedPath), QString());
        Feed feed;
        ASSERT_EQ(readFeedFile(feedPath, feed), FeedReadResult::Ok);
        ASSERT_EQ(feed.items.size(), 3);
        EXPECT_EQ(feed.items[0].title, QStringLiteral("Episode 3 & <3>"));
        EXPECT_EQ(feed.items[0].enclosureType, QStringLiteral("audio/wma"));
        EXPECT_EQ(feed.items[1].enclosureLength, 200);
        EXPECT_EQ(feed.items[1].enclosureType, QStringLiteral("audio/wave"));
        EXPECT_EQ(feed.items[1].pubDate, feedtest::utc(2024, 2, 29, 23, 59, 58));
        EXPECT_EQ(feed.items[2].pubDate, feedtest::utc(2006, 9, 1, 11, 0, 0));
        EXPECT_EQ(feed.channel.language, type == 1 ? QStringLiteral("en-us") : QString());
        EXPECT_EQ(feed.channel.categories.size(), type == 1 ? 2 : 0);

        const QString imported = path("imported.pdi");
        ASSERT_EQ(ImportFeedToPDI(feedPath, imported), PdiOk);
        PodcastRecord record;
        ASSERT_EQ(ReadPDISettings(imported, record), PdiOk);
        EXPECT_EQ(record.TotalItems, 3);
        EXPECT_EQ(record.PodcastType, type);
        EXPECT_EQ(record.FeedName, QStringLiteral("show.xml"));
        EXPECT_EQ(record.HTMLFileName, QStringLiteral("show.html"));
        ASSERT_EQ(ReadPDIItem(imported, 1, record), PdiOk);
        EXPECT_EQ(record.AudioFilePath, path("ep1.mp3"));
        EXPECT_EQ(record.ItemTitle, QStringLiteral("Episode 1 & <1>"));

        const QString again = path("again.xml");
        ASSERT_EQ(GenerateFeed(imported, again), PdiOk);
        EXPECT_EQ(testsupport::readFile(again), testsupport::readFile(feedPath)) << "podcast type " << int(type);
    }
}

TEST_F(FeedProjectTest, FeedOfAnotherWriterImports)
{
    const QString feedPath = path("other.xml");
    testsupport::writeFile(feedPath,
        "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\"><channel>"
        "<title>Other</title><pubDate>Tue, 5 Sep 2006 14:03:09 +0100</pubDate>"
        "<item><title>New</title><enclosure url=\"http://e.org/b/new.mp3?x=1&amp;y=2\" length=\"9\" type=\"audio/mpeg\"/>"
        "<itunes:duration>5:00</itunes:duration></item>"
        "<item><title>Old</title><link>http://e.org/old.wav</link><pubDate>nonsense</pubDate></item>"
        "</channel></rss>");
    const QString project = path("other.pdi");
    testsupport::writeFile(project, "[Stale]\r\nKey=1\r\n");
    ASSERT_EQ(ImportFeedToPDI(feedPath, project), PdiOk);
    EXPECT_FALSE(testsupport::readFile(project).contains("Stale"));
    PodcastRecord record;
    ASSERT_EQ(ReadPDISettings(project, record), PdiOk);
    EXPECT_EQ(record.FeedTitle, QStringLiteral("Other"));
    EXPECT_EQ(record.FeedDateTime, QStringLiteral("09/05/2006 13:03:09"));
    EXPECT_EQ(record.PodcastType, 1);
    ASSERT_EQ(ReadPDIItem(project, 1, record), PdiOk);
    EXPECT_EQ(record.ItemTitle, QStringLiteral("Old"));
    EXPECT_TRUE(record.ItemDateTime.isEmpty());
    ASSERT_EQ(ReadPDIItem(project, 2, record), PdiOk);
    EXPECT_EQ(record.ItemTitle, QStringLiteral("New"));
    EXPECT_EQ(record.ItemURL, QStringLiteral("http://e.org/b/new.mp3?x=1&y=2"));
    EXPECT_EQ(record.AudioFilePath, path("new.mp3"));
    EXPECT_EQ(record.ItemDuration, QStringLiteral("5:00"));
}

TEST_F(FeedProjectTest, FailuresAreReportedAndWriteNothing)
{
    const QString project = path("p.pdi");
    EXPECT_EQ(ImportFeedToPDI(path("missing.xml"), project), PdiCannotOpen);
    testsupport::writeFile(path("page.xml"), "<html><body>not a feed</body></html>");
    EXPECT_EQ(ImportFeedToPDI(path("page.xml"), project), PdiCannotOpen);
    EXPECT_FALSE(QFile::exists(project));

    EXPECT_NE(GenerateFeed(path("missing.pdi"), path("out.xml")), PdiOk);
    EXPECT_FALSE(QFile::exists(path("out.xml")));
    testsupport::writeFile(path("blocker"), "x");
    EXPECT_EQ(GenerateFeed(makeProject(1), path("blocker") + QStringLiteral("/out.xml")), PdiCannotCreate);
}
