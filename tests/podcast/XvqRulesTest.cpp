// The builder's names, paths, links and small texts, derived without widgets.
#include "podcast/XvqRules.h"

#include "tests/support/LogCapture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <ostream>

static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

using namespace podcast;

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

TEST(XvqFeedName, EndsWithXmlOnce)
{
    const struct {
        const char* typed;
        const char* name;
    } cases[] = {
        {"show", "show.xml"},
        {"show.XML", "show.XML"},
        {"show.xml", "show.xml"},
        // ".xml" inside the name is not its extension.
        {"feed.xml.bak", "feed.xml.bak.xml"},
        {"my.xmlfeed", "my.xmlfeed.xml"},
        {" a b ", "a b.xml"},
        {"\tnews\n", "news.xml"},
        {"", ""},
        {"   ", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormaliseFeedName(u8(c.typed)), u8(c.name)) << c.typed;
        EXPECT_EQ(NormaliseFeedName(NormaliseFeedName(u8(c.typed))), u8(c.name)) << "again: " << c.typed;
    }
}

TEST(XvqAggregatorCharacters, EachUnsafeCharacterIsFound)
{
    // Written out here rather than taken from the constant, so a character dropped from it shows.
    const QString unsafe = QStringLiteral("$ ,%&?*:/][}{)(^#@!\\+|=><;");
    for (const QChar c : unsafe) {
        const QString name = QStringLiteral("episode") + c + QStringLiteral("01.mp3");
        EXPECT_TRUE(HasAggregatorUnsafeCharacters(name)) << name.toStdString();
    }
    const char* safe[] = {"episode-01_final.mp3", "Show.Episode~2.WAV", "Grüße.mp3", "it's.mp3", ""};
    for (const char* name : safe)
        EXPECT_FALSE(HasAggregatorUnsafeCharacters(u8(name))) << name;
}

TEST(XvqWebLink, NamesAreEncodedWhereAUrlCannotHoldThem)
{
    const struct {
        const char* link;
        const char* name;
        const char* url;
    } cases[] = {
        {"", "talk.mp3", ""},
        {"http://example.org/pod/", "", ""},
        {"http://example.org/pod/", "episode-01_a.b~c.mp3", "http://example.org/pod/episode-01_a.b~c.mp3"},
        {"http://example.org/pod/", "my show.mp3", "http://example.org/pod/my%20show.mp3"},
        {"http://example.org/pod/", "Grüße.mp3", "http://example.org/pod/Gr%C3%BC%C3%9Fe.mp3"},
        {"http://example.org/pod/", "a?b=1#c.mp3", "http://example.org/pod/a%3Fb%3D1%23c.mp3"},
        {"http://example.org/pod/", "100%.mp3", "http://example.org/pod/100%25.mp3"},
        {"http://example.org/pod/", "../up.mp3", "http://example.org/pod/..%2Fup.mp3"},
        {"https://example.org/", "🎙️.mp3", "https://example.org/%F0%9F%8E%99%EF%B8%8F.mp3"},
    };
    for (const auto& c : cases) {
        const QString url = WebLinkOfFile(u8(c.link), u8(c.name));
        EXPECT_EQ(url, u8(c.url)) << c.name;
        if (url.isEmpty())
            continue;
        // The link reads back as a valid address whose last path segment is the name itself.
        const QUrl parsed(url, QUrl::StrictMode);
        EXPECT_TRUE(parsed.isValid()) << url.toStdString();
        EXPECT_TRUE(parsed.query().isEmpty() && parsed.fragment().isEmpty()) << url.toStdString();
        EXPECT_TRUE(parsed.path(QUrl::FullyDecoded).endsWith(QLatin1Char('/') + u8(c.name))) << url.toStdString();
    }
}

TEST(XvqReplaceLastThree, ReplacesTheExtension)
{
    const struct {
        const char* path;
        const char* replacement;
        const char* result;
    } cases[] = {
        {"show.xml", "html", "show.html"},
        {"/home/ann/pod/show.xml", "pdi", "/home/ann/pod/show.pdi"},
        {"ab", "pdi", "pdi"},
        {"", "html", "html"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceLastThree(u8(c.path), u8(c.replacement)), u8(c.result)) << c.path;
}

struct FeedPathsCase {
    const char* name;
    const char* folder;
    const char* feedName;
    const char* webLink;
    FeedPaths expected;
};

class XvqFeedPaths : public testing::TestWithParam<FeedPathsCase> {};

TEST_P(XvqFeedPaths, DerivedFromFolderNameAndLink)
{
    const FeedPathsCase& c = GetParam();
    const FeedPaths paths = FeedPathsFor(u8(c.folder), u8(c.feedName), u8(c.webLink));
    EXPECT_EQ(paths.FeedFilePath, c.expected.FeedFilePath);
    EXPECT_EQ(paths.HTMLFilePath, c.expected.HTMLFilePath);
    EXPECT_EQ(paths.HTMLFileName, c.expected.HTMLFileName);
    EXPECT_EQ(paths.FeedURL, c.expected.FeedURL);
    EXPECT_EQ(paths.HTMLFileLink, c.expected.HTMLFileLink);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XvqFeedPaths,
    testing::Values(
        FeedPathsCase{"Plain", "/home/ann/pod", "show.xml", "http://example.org/pod/",
                      {"/home/ann/pod/show.xml", "/home/ann/pod/show.html", "show.html",
                       "http://example.org/pod/show.xml", "http://example.org/pod/show.html"}},
        FeedPathsCase{"FolderWithSeparator", "/home/ann/pod/", "show.xml", "http://example.org/",
                      {"/home/ann/pod/show.xml", "/home/ann/pod/show.html", "show.html",
                       "http://example.org/show.xml", "http://example.org/show.html"}},
        FeedPathsCase{"NameWithoutExtension", "/pod", "show", "",
                      {"/pod/show.xml", "/pod/show.html", "show.html", "", ""}},
        FeedPathsCase{"UpperCaseExtension", "/pod", "show.XML", "http://example.org/",
                      {"/pod/show.XML", "/pod/show.html", "show.html", "http://example.org/show.XML",
                       "http://example.org/show.html"}},
        FeedPathsCase{"XmlInsideTheName", "/pod", "feed.xml.bak", "",
                      {"/pod/feed.xml.bak.xml", "/pod/feed.xml.bak.html", "feed.xml.bak.html", "", ""}},
        FeedPathsCase{"BlankInTheName", "/pod", "my show", "http://example.org/",
                      {"/pod/my show.xml", "/pod/my show.html", "my show.html", "http://example.org/my%20show.xml",
                       "http://example.org/my%20show.html"}},
        FeedPathsCase{"NoFolder", "", "show.xml", "http://example.org/",
                      {"", "", "show.html", "http://example.org/show.xml", "http://example.org/show.html"}},
        FeedPathsCase{"NoFeedName", "/pod", "  ", "http://example.org/", {}}),
    [](const testing::TestParamInfo<FeedPathsCase>& info) { return std::string(info.param.name); });

TEST(XvqTemporaryProject, RecognisedByItsExtensionInAnyCase)
{
    const struct {
        const char* path;
        bool temporary;
    } cases[] = {
        {"/tmp/xvq1A2B3C.tmp", true}, {"/tmp/xvq1A2B3C.Tmp", true}, {"X.TMP", true},
        {"/home/ann/show.pdi", false}, {"/home/ann/show.tmp.pdi", false}, {"tmp", false}, {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsTemporaryProject(u8(c.path)), c.temporary) << c.path;
}

TEST(XvqTemporaryProject, CreatedEmptyAndUnique)
{
    const QString folder = testsupport::testFolder();
    const QString first = CreateTemporaryProjectPath(folder);
    const QString second = CreateTemporaryProjectPath(folder);
    for (const QString& path : {first, second}) {
        ASSERT_FALSE(path.isEmpty());
        const QFileInfo file(path);
        EXPECT_EQ(file.absolutePath(), QDir(folder).absolutePath());
        EXPECT_TRUE(file.fileName().startsWith(QLatin1String("xvq"))) << path.toStdString();
        EXPECT_TRUE(file.fileName().endsWith(QLatin1String(".tmp"))) << path.toStdString();
        EXPECT_TRUE(IsTemporaryProject(path));
        EXPECT_TRUE(file.isFile());
        EXPECT_EQ(file.size(), 0);
    }
    EXPECT_NE(first, second);
}

TEST(XvqTemporaryProject, MissingFolderGivesNothingAndIsLogged)
{
    testsupport::LogCapture log;
    EXPECT_TRUE(CreateTemporaryProjectPath(testsupport::testFolder() + "/absent").isEmpty());
    EXPECT_TRUE(log.contains(QStringLiteral("temporary project"), QStringLiteral("va.podcast")));
}

TEST(XvqProposedProject, BesideTheAudioFileNamedAfterTheFeed)
{
    const struct {
        const char* audio;
        const char* feedName;
        const char* proposed;
    } cases[] = {
        {"/home/ann/rec/talk.mp3", "show.xml", "/home/ann/rec/show.pdi"},
        {"/home/ann/rec/talk.mp3", "show.XML", "/home/ann/rec/show.pdi"},
        {"/home/ann/rec/talk.mp3", "show", "/home/ann/rec/show.pdi"},
        {"", "show.xml", ""},
        {"/home/ann/rec/talk.mp3", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProposedProjectPath(u8(c.audio), u8(c.feedName)), u8(c.proposed)) << c.audio << " " << c.feedName;
}

struct RecentCase {
    const char* name;
    QStringList stored;
    QString path;
    QStringList recent;
};

class XvqRecentProjects : public testing::TestWithParam<RecentCase> {};

TEST_P(XvqRecentProjects, OpenedPathFirstNoRepeatsTenAtMost)
{
    const RecentCase& c = GetParam();
    EXPECT_EQ(UpdatedRecentProjects(c.stored, c.path), c.recent);
}

QStringList numbered(int count)
{
    QStringList paths;
    for (int i = 0; i < count; ++i)
        paths << QStringLiteral("/pod/p%1.pdi").arg(i);
    return paths;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XvqRecentProjects,
    testing::Values(
        RecentCase{"NewOnTop", {"/a.pdi", "/b.pdi"}, "/c.pdi", {"/c.pdi", "/a.pdi", "/b.pdi"}},
        RecentCase{"StoredMovesToTop", {"/a.pdi", "/b.pdi", "/c.pdi"}, "/b.pdi", {"/b.pdi", "/a.pdi", "/c.pdi"}},
        RecentCase{"CaseSensitive", {"/A.pdi"}, "/a.pdi", {"/a.pdi", "/A.pdi"}},
        RecentCase{"EmptiesDropped", {"", "/a.pdi", ""}, "/b.pdi", {"/b.pdi", "/a.pdi"}},
        RecentCase{"StoredRepeatsDropped", {"/a.pdi", "/a.pdi", "/b.pdi"}, "/c.pdi", {"/c.pdi", "/a.pdi", "/b.pdi"}},
        RecentCase{"TenAtMost", numbered(10), "/new.pdi", QStringList{"/new.pdi"} + numbered(9)},
        RecentCase{"TenAtMostWhenStoredHoldsMore", numbered(12), "/pod/p11.pdi",
                   QStringList{"/pod/p11.pdi"} + numbered(9)},
        RecentCase{"EmptyPathAddsNothing", {"/a.pdi", "/b.pdi"}, "", {"/a.pdi", "/b.pdi"}}),
    [](const testing::TestParamInfo<RecentCase>& info) { return std::string(info.param.name); });

TEST(XvqEpisodeGrid, CellsShowTwentyFiveCharacters)
{
    const QString letters24 = QStringLiteral("abcdefghijklmnopqrstuvwx");
    const QString mic = u8("🎙️");        // two code points, three UTF-16 units
    const QString family = u8("👨‍👩‍👧"); // five code points joined into one character
    const QString accented = u8("e\u0301"); // e and a combining accent
    const struct {
        const char* name;
        QString text;
        QString cell;
    } cases[] = {
        {"Thirty", letters24 + QStringLiteral("yz0123"), letters24 + QStringLiteral("y")},
        {"TwentyFive", letters24 + QStringLiteral("y"), letters24 + QStringLiteral("y")},
        {"Short", QStringLiteral("News"), QStringLiteral("News")},
        {"Empty", QString(), QString()},
        {"EmojiAtTheCut", letters24 + mic + QStringLiteral("tail"), letters24 + mic},
        {"JoinedEmojiAtTheCut", letters24 + family + QStringLiteral("tail"), letters24 + family},
        {"AccentAtTheCut", letters24 + accented + QStringLiteral("tail"), letters24 + accented},
        {"AllEmoji", QString(mic).repeated(30), QString(mic).repeated(25)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EpisodeGridText(c.text), c.cell) << c.name;
}

TEST(XvqCategories, LinesReadBackAsTheSameLines)
{
    const struct {
        const char* line;
        const char* category;
        const char* subCategory;
    } cases[] = {
        {"Arts:Visual Arts ", "Arts", "Visual Arts "},
        {"Top:Sub", "Top", "Sub"},
        {"Technology", "Technology", ""},
        {"Arts: Design", "Arts", " Design"},
        {"A:B:C", "A", "B:C"},
    };
    QStringList lines;
    for (const auto& c : cases)
        lines << u8(c.line);

    PodcastRecord record;
    SetCategoriesFromLines(lines, record);
    ASSERT_TRUE(record.Categories && record.SubCategories);
    ASSERT_EQ(record.Categories->size(), std::size(cases));
    ASSERT_EQ(record.SubCategories->size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(record.Categories->at(i), u8(cases[i].category)) << cases[i].line;
        EXPECT_EQ(record.SubCategories->at(i), u8(cases[i].subCategory)) << cases[i].line;
    }
    // Every visit of the page fills the list from the record and gathers it again.
    for (int cycle = 0; cycle < 3; ++cycle) {
        EXPECT_EQ(CategoryLines(record), lines) << "cycle " << cycle;
        SetCategoriesFromLines(CategoryLines(record), record);
    }
}

TEST(XvqCategories, NoneChosen)
{
    PodcastRecord record;
    EXPECT_TRUE(CategoryLines(record).isEmpty());
    record.Categories = QStringList{"Arts"};
    record.SubCategories = QStringList{"Design"};
    // An emptied list box empties the lists, and the lists then exist (they are written as empty).
    SetCategoriesFromLines({}, record);
    ASSERT_TRUE(record.Categories && record.SubCategories);
    EXPECT_TRUE(record.Categories->isEmpty());
    EXPECT_TRUE(record.SubCategories->isEmpty());
    // Blank lines of the list box are no categories.
    SetCategoriesFromLines({"", "Music:Jazz"}, record);
    EXPECT_EQ(*record.Categories, QStringList{"Music"});
    EXPECT_EQ(*record.SubCategories, QStringList{"Jazz"});
}

TEST(XvqDuration, SplitIntoHoursMinutesSeconds)
{
    const struct {
        qint64 ms;
        qint64 storedMs;
        int hours, minutes, seconds;
        const char* text;
    } cases[] = {
        {0, 0, 0, 0, 0, "00:00:00"},
        {999, 999, 0, 0, 0, "00:00:00"},
        {1000, 1000, 0, 0, 1, "00:00:01"},
        {59999, 59999, 0, 0, 59, "00:00:59"},
        {3723000, 3723000, 1, 2, 3, "01:02:03"},
        {3723999, 3723999, 1, 2, 3, "01:02:03"},
        {86399000, 86399000, 23, 59, 59, "23:59:59"},
        {360000000, 360000000, 100, 0, 0, "100:00:00"},
        // Past what the hours field holds.
        {3600000000, 3600000000, 255, 59, 59, "255:59:59"},
        {-5, 0, 0, 0, 0, "00:00:00"},
    };
    for (const auto& c : cases) {
        PodcastRecord record;
        record.Hours = record.Minutes = record.Seconds = 7;
        SetDuration(record, c.ms);
        EXPECT_EQ(record.DurationMs, c.storedMs) << c.ms;
        EXPECT_EQ(record.Hours, c.hours) << c.ms;
        EXPECT_EQ(record.Minutes, c.minutes) << c.ms;
        EXPECT_EQ(record.Seconds, c.seconds) << c.ms;
        EXPECT_EQ(DurationText(record), u8(c.text)) << c.ms;
    }
}

TEST(XvqYesNo, CheckBoxTexts)
{
    EXPECT_EQ(YesNo(true), QStringLiteral("Yes"));
    EXPECT_EQ(YesNo(false), QStringLiteral("No"));
    const struct {
        const char* text;
        bool checked;
    } cases[] = {{"Yes", true}, {"No", false}, {"yes", false}, {"YES", false}, {" Yes", false}, {"", false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsYes(u8(c.text)), c.checked) << c.text;
}

} // namespace
