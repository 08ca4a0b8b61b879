// The podcast's web page from the two templates: a golden page for a small feed, the marker rules,
// values escaped for HTML (checked as well by xmllint and Python's HTML parser), and the failures
// that leave the earlier page alone.
#include "platform/base/ProgramFolder.h"
#include "podcast/FeedWriter.h"
#include "podcast/HtmlPage.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace podcast;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

FeedItem item(const QString& title, const QString& description, const QString& link)
{
    FeedItem i;
    i.title = title;
    i.description = description;
    i.link = link;
    return i;
}

class HtmlPageTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return QDir(folder).filePath(name); }
    QString programPath(const QString& name) const { return QDir(program).filePath(name); }

    void writeTemplates(const QByteArray& page, const QByteArray& episode)
    {
        writeFile(programPath(QString::fromLatin1(pageTemplateName)), page);
        writeFile(programPath(QString::fromLatin1(fileTemplateName)), episode);
    }
    // The feed's items given oldest first; the feed lists them newest first.
    QString writeFeed(const FeedChannel& channel, const QList<FeedItem>& oldestFirst)
    {
        const QString feed = path(QStringLiteral("show.xml"));
        EXPECT_TRUE(writeFeedFile(feed, channel, oldestFirst));
        return feed;
    }

    QString folder = testsupport::testFolder();
    QString program = [this] {
        QDir(folder).mkpath(QStringLiteral("program"));
        return path(QStringLiteral("program"));
    }();
    platform::ProgramFolderOverride programFolder{program};
};

TEST_F(HtmlPageTest, GoldenPageListsTheFeedsItemsNewestFirstBeforeTheEpisodesLine)
{
    writeTemplates("<!DOCTYPE html>\n"
                   "<title><YQM.FeedTitle></title>\n"
                   "<h1><YQM.FeedTitle> | <yqm.feedtitle></h1>\n"
                   "<p><YQM.FeedLink></YQM.FeedLink></p>\n"
                   "<!-- <YQM.PodcastInfo> -->\n"
                   "</body>\n",
                   "<div>\r\n"
                   "<YQM.Title></YQM.Title>\r\n"
                   "<YQM.Description></YQM.Description>\r\n"
                   "<YQM.Link></YQM.Link>\r\n"
                   "</div>\r\n");
    FeedChannel channel;
    channel.title = QStringLiteral("News & Views");
    channel.link = QStringLiteral("http://example.org/pod/show.xml");
    const QString feed = writeFeed(channel, {item(QStringLiteral("First"), QStringLiteral("One"),
                                                  QStringLiteral("http://example.org/pod/e1.mp3")),
                                             item(QStringLiteral("Second <2>"), QStringLiteral("Two\r\nlines"),
                                                  QStringLiteral("http://example.org/pod/e2.mp3?x=1&y=2"))});
    const QString page = path(QStringLiteral("show.html"));
    writeFile(page, QByteArray(4096, 'x'));

    const HtmlPageResult result = CreateHTMLFile(feed, page);

    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(readFile(page),
              QByteArray("<!DOCTYPE html>\r\n"
                         "<title>News &amp; Views</title>\r\n"
                         "<h1>News &amp; Views | News &amp; Views</h1>\r\n"
                         "<p><A href=\"http://example.org/pod/show.xml\">http://example.org/pod/show.xml</A></p>\r\n"
                         "<div>\r\n"
                         "<P>Second &lt;2&gt;</P>\r\n"
                         "<P>Two\r\nlines</P>\r\n"
                         "<A href=\"http://example.org/pod/e2.mp3?x=1&amp;y=2\">"
                         "http://example.org/pod/e2.mp3?x=1&amp;y=2</A>\r\n"
                         "</div>\r\n"
                         "<div>\r\n"
                         "<P>First</P>\r\n"
                         "<P>One</P>\r\n"
                         "<A href=\"http://example.org/pod/e1.mp3\">http://example.org/pod/e1.mp3</A>\r\n"
                         "</div>\r\n"
                         "<!-- <YQM.PodcastInfo> -->\r\n"
                         "</body>\r\n"));
}

TEST_F(HtmlPageTest, FeedWithoutItemsOrEmptyEpisodeTemplateGivesAPageWithoutBlocks)
{
    struct Case {
        const char* name;
        QByteArray episodeTemplate;
        int items;
    };
    const Case cases[] = {
        {"feed without items", "<YQM.Title></YQM.Title>\n", 0},
        {"empty episode template", "", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeTemplates("<ul>\n<YQM.PodcastInfo>\n</ul>\n", c.episodeTemplate);
        QList<FeedItem> items;
        for (int n = 1; n <= c.items; ++n)
            items << item(QStringLiteral("E%1").arg(n), {}, {});
        const QString page = path(QStringLiteral("show.html"));
        ASSERT_TRUE(CreateHTMLFile(writeFeed(FeedChannel{}, items), page).ok());
        EXPECT_EQ(readFile(page), QByteArray("<ul>\r\n<YQM.PodcastInfo>\r\n</ul>\r\n"));
    }
}

TEST(HtmlPageMarkers, EpisodeMarkersAreFoundByExactCaseAndReplacedInAnyCase)
{
    const FeedItem episode = item(QStringLiteral("T"), QStringLiteral("D"), QStringLiteral("http://l/"));
    const struct {
        const char* line;
        const char* expected;
    } cases[] = {
        {"<yqm.title>x</yqm.title>", "<yqm.title>x</yqm.title>"},
        {"<YQM.Title>x</YQM.Title>", "<P>Tx</P>"},
        {"<YQM.Title> <yqm.TITLE>", "<P>T <P>T"},
        {"<YQM.Title>x</yqm.title>", "<P>Tx</yqm.title>"},
        {"<YQM.DESCRIPTION></YQM.Description>", "<YQM.DESCRIPTION></P>"},
        {"<YQM.Title></YQM.Title>|<YQM.Description></YQM.Description>|<YQM.Link></YQM.Link>",
         "<P>T</P>|<P>D</P>|<A href=\"http://l/\">http://l/</A>"},
        {"<YQM.Link>", "<A href=\"http://l/\">http://l/"},
        {"plain & <b>template</b> text", "plain & <b>template</b> text"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(episodeBlockLines({u8(c.line)}, episode), QStringList{u8(c.expected)}) << c.line;
}

TEST(HtmlPageMarkers, ValuesThatLookLikeMarkersAreNotReplacedAgain)
{
    const FeedItem episode = item(QStringLiteral("</YQM.Title><YQM.Link>"), QStringLiteral("<YQM.Description>"),
                                  QStringLiteral("http://l/"));
    EXPECT_EQ(episodeBlockLines({QStringLiteral("<YQM.Title></YQM.Title> <YQM.Description></YQM.Description>")}, episode),
              QStringList{QStringLiteral("<P>&lt;/YQM.Title&gt;&lt;YQM.Link&gt;</P> <P>&lt;YQM.Description&gt;</P>")});
}

TEST(HtmlPageMarkers, PageMarkersAndTheEpisodesLine)
{
    FeedChannel channel;
    channel.title = QStringLiteral("C");
    channel.link = QStringLiteral("http://c/");
    const QStringList blocks{QStringLiteral("B1"), QStringLiteral("B2")};
    const struct {
        const char* name;
        QStringList pageTemplate;
        QStringList expected;
    } cases[] = {
        {"blocks before the episodes line, which stays",
         {"a", "<!-- <YQM.PodcastInfo> -->", "z"},
         {"a", "B1", "B2", "<!-- <YQM.PodcastInfo> -->", "z"}},
        {"episodes line in lower case is no episodes line", {"<yqm.podcastinfo>"}, {"<yqm.podcastinfo>"}},
        {"every episodes line gets the blocks",
         {"<YQM.PodcastInfo>", "<YQM.PodcastInfo>"},
         {"B1", "B2", "<YQM.PodcastInfo>", "B1", "B2", "<YQM.PodcastInfo>"}},
        {"several markers on one line",
         {"<YQM.FeedTitle><YQM.FeedLink></YQM.FeedLink> <yqm.feedlink>"},
         {"C<A href=\"http://c/\">http://c/</A> <A href=\"http://c/\">http://c/"}},
        {"title on the episodes line", {"<YQM.FeedTitle> <YQM.PodcastInfo>"}, {"B1", "B2", "C <YQM.PodcastInfo>"}},
        {"lower-case page markers alone", {"<yqm.feedtitle></yqm.feedlink>"}, {"<yqm.feedtitle></yqm.feedlink>"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pageLines(c.pageTemplate, channel, blocks), c.expected) << c.name;
}

TEST(HtmlPageText, ValuesAreEscapedAndCleaned)
{
    const struct {
        QString value;
        QString expected;
    } cases[] = {
        {u8("Tom & Jerry <live> \"q\" 'a'"), u8("Tom &amp; Jerry &lt;live&gt; &quot;q&quot; &#39;a&#39;")},
        {u8("&amp; stays text"), u8("&amp;amp; stays text")},
        {u8("🎙️ emoji 😀"), u8("🎙️ emoji 😀")},
        {u8("שלום مرحبا \u202Eevil"), u8("שלום مرحبا \u202Eevil")},
        {u8("a\nb\r\nc\rd"), u8("a\r\nb\r\nc\r\nd")},
        {u8("bell\x07 nul") + QChar(0) + u8("x \u0085next"), u8("bell nulx next")},
        {u8("lone ") + QChar(0xD800) + u8("surrogate") + QChar(0xDC00), u8("lone surrogate")},
        {u8("non") + QChar(0xFFFE) + u8("character") + QChar(0xFDD0), u8("noncharacter")},
        {u8("tab\tkept"), u8("tab\tkept")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(htmlText(c.value), c.expected) << c.value.toStdString();
}

TEST(HtmlPageText, OnlyLinksThatCannotRunCodeBecomeLiveLinks)
{
    const struct {
        const char* link;
        bool live;
    } cases[] = {
        {"http://example.org/e.mp3", true},
        {"HTTPS://example.org/e.mp3?a=1&b=2", true},
        {"ftp://example.org/e.mp3", true},
        {"episode1.mp3", true},
        {"/pod/e.mp3", true},
        {"//example.org/e.mp3", true},
        {"e.mp3?time=10:20", true},
        {"javascript:alert(1)", false},
        {"JaVaScRiPt:alert(1)", false},
        {" \x01javascript:alert(1)", false},
        {"java\tscr\nipt:alert(1)", false},
        {"vbscript:msgbox(1)", false},
        {"data:text/html,<script>alert(1)</script>", false},
        {"file:///etc/passwd", false},
        {"", false},
        {"   ", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        const QString link = u8(c.link);
        EXPECT_EQ(isSafeLink(link), c.live);
        EXPECT_EQ(htmlLinkOpening(link), (c.live ? QStringLiteral("<A href=\"%1\">%1") : QStringLiteral("<A>%1"))
                                              .arg(htmlText(link)));
    }
}

TEST(HtmlPageText, TemplateLinesAnyLineEndAndEncoding)
{
    const struct {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\rc", {"a", "b", "c"}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"\xEF\xBB\xBF<p>caf\xC3\xA9</p>\n", {u8("<p>café</p>")}},
        {"<p>caf\xE9</p>\n", {u8("<p>café</p>")}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(templateLines(c.bytes), c.lines) << c.bytes.toStdString();
}

TEST_F(HtmlPageTest, EpisodeBlocksAreAppendedToTheLinesGiven)
{
    writeFile(path(QStringLiteral("episode.html")), "<YQM.Title></YQM.Title>\n");
    const QString feed = writeFeed(FeedChannel{}, {item(QStringLiteral("Old"), {}, {}), item(QStringLiteral("New"), {}, {})});
    QStringList lines{QStringLiteral("before")};

    ASSERT_TRUE(GenerateAudioHTMLList(feed, path(QStringLiteral("episode.html")), lines).ok());

    EXPECT_EQ(lines, (QStringList{"before", "<P>New</P>", "<P>Old</P>"}));
}

TEST_F(HtmlPageTest, FailuresAreReportedAndLeaveTheEarlierPage)
{
    enum Setup { Both, NoPageTemplate, NoFileTemplate, NoTemplates, NoFeed, NotAFeed, EmptyPageTemplate, PageInAFile };
    const struct {
        const char* name;
        Setup setup;
        bool emptyPath;
        int message;
        const char* argument;
    } cases[] = {
        {"empty page path", Both, true, HtmlPageResult::NoPagePath, nullptr},
        {"page template missing", NoPageTemplate, false, HtmlPageResult::MissingTemplate, pageTemplateName},
        {"episode template missing", NoFileTemplate, false, HtmlPageResult::MissingTemplate, fileTemplateName},
        {"both missing: the page template is named", NoTemplates, false, HtmlPageResult::MissingTemplate,
         pageTemplateName},
        {"feed missing", NoFeed, false, HtmlPageResult::CannotReadFeed, nullptr},
        {"feed is no feed", NotAFeed, false, HtmlPageResult::CannotReadFeed, nullptr},
        {"page template empty", EmptyPageTemplate, false, HtmlPageResult::CannotWritePage, nullptr},
        {"page cannot be written", PageInAFile, false, HtmlPageResult::CannotWritePage, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(program).removeRecursively();
        QDir(folder).mkpath(QStringLiteral("program"));
        writeTemplates(c.setup == EmptyPageTemplate ? "" : "<YQM.PodcastInfo>\n", "<YQM.Title></YQM.Title>\n");
        if (c.setup == NoPageTemplate || c.setup == NoTemplates)
            QFile::remove(programPath(QString::fromLatin1(pageTemplateName)));
        if (c.setup == NoFileTemplate || c.setup == NoTemplates)
            QFile::remove(programPath(QString::fromLatin1(fileTemplateName)));
        QString feed = writeFeed(FeedChannel{}, {item(QStringLiteral("E"), {}, {})});
        if (c.setup == NoFeed)
            QFile::remove(feed);
        if (c.setup == NotAFeed)
            writeFile(feed, "<html><body>not a feed</body></html>");
        QString page = path(QStringLiteral("show.html"));
        writeFile(page, "earlier page");
        if (c.setup == PageInAFile)
            page = path(QStringLiteral("show.html/inside.html"));

        const HtmlPageResult result = CreateHTMLFile(feed, c.emptyPath ? QString() : page);

        EXPECT_EQ(result.message, c.message);
        if (c.argument) {
            ASSERT_EQ(result.args.size(), 1);
            EXPECT_EQ(result.args[0].text(), programPath(QString::fromLatin1(c.argument)));
        } else {
            EXPECT_TRUE(result.args.isEmpty());
        }
        EXPECT_EQ(readFile(path(QStringLiteral("show.html"))), QByteArray("earlier page"));
        EXPECT_EQ(QDir(folder).entryList(QDir::Files), (QStringList{"show.html"} + (c.setup == NoFeed ? QStringList()
                                                                                                    : QStringList{"show.xml"})));
    }
}

// The templates that ship beside the programs, with hostile texts in the feed: the page is valid
// for xmllint's HTML parser, and Python's HTML parser reads back every text as it was, every safe
// link as a live link and every unsafe one as text alone.
TEST_F(HtmlPageTest, ShippedTemplatesGiveAValidPageThatShowsHostileTextsAsText)
{
    for (const char* name : {pageTemplateName, fileTemplateName}) {
        const QString shipped = QStringLiteral(VA_PROGRAM_FOLDER "/") + QString::fromLatin1(name);
        ASSERT_TRUE(QFile::exists(shipped)) << shipped.toStdString();
        writeFile(programPath(QString::fromLatin1(name)), readFile(shipped));
    }
    FeedChannel channel;
    channel.title = u8("<script>alert(1)</script> Tom's \"Show\" & Co 🎙️");
    channel.link = QStringLiteral("http://example.org/pod/show.xml?a=1&b=2");
    const struct {
        QString title;
        QString description;
        QString link;
        bool live;
    } episodes[] = {
        {u8("Tom & Jerry <live> \"q\" 'a'"), u8("a < b > c & d"), u8("http://example.org/e.mp3?x=1&y=\"2\"<3>"), true},
        {u8("🎙️ Emoji 😀"), u8("&amp; is shown as typed"), u8("javascript:alert(document.cookie)"), false},
        {u8("שלום \u202Eevil\u202C مرحبا"), u8("مرحبا بكم"), u8("JaVaScRiPt:alert(1)"), false},
        {u8("</YQM.Title><script>alert(1)</script>"), u8("<img src=x onerror=alert(1)>"),
         u8("data:text/html,<script>alert(1)</script>"), false},
        {u8("Plain"), u8("Plain text"), u8("https://example.org/e5.mp3"), true},
    };
    QList<FeedItem> oldestFirst;
    for (const auto& e : episodes)
        oldestFirst.prepend(item(e.title, e.description, e.link));
    const QString page = path(QStringLiteral("show.html"));

    ASSERT_TRUE(CreateHTMLFile(writeFeed(channel, oldestFirst), page).ok());

    const auto lint = testsupport::runTool(QStringLiteral(VA_XMLLINT), {"--html", "--noout", page});
    EXPECT_EQ(lint.exitCode, 0);
    EXPECT_EQ(QString::fromUtf8(lint.out + lint.err), QString());

    const auto parsed = testsupport::runPythonScript(QStringLiteral("html_page_check.py"), {page});
    ASSERT_EQ(parsed.exitCode, 0) << parsed.err.toStdString();
    const QJsonObject reading = QJsonDocument::fromJson(parsed.out).object();
    EXPECT_EQ(reading["title"].toString(), channel.title);
    EXPECT_FALSE(reading["tags"].toArray().contains(QStringLiteral("script")));
    EXPECT_FALSE(reading["tags"].toArray().contains(QStringLiteral("img")));
    EXPECT_TRUE(reading["handlers"].toArray().isEmpty());
    const QJsonArray anchors = reading["anchors"].toArray();
    const QJsonArray paragraphs = reading["paragraphs"].toArray();
    ASSERT_EQ(anchors.size(), qsizetype(1 + std::size(episodes)));
    // The feed's paragraph, then each episode's title and description.
    ASSERT_EQ(paragraphs.size(), qsizetype(1 + 2 * std::size(episodes)));
    EXPECT_TRUE(paragraphs[0].toString().endsWith(channel.link)) << paragraphs[0].toString().toStdString();
    EXPECT_EQ(anchors[0].toObject()["href"].toString(), channel.link);
    EXPECT_EQ(anchors[0].toObject()["text"].toString(), channel.link);
    for (size_t n = 0; n < std::size(episodes); ++n) {
        SCOPED_TRACE(episodes[n].title.toStdString());
        const QJsonObject anchor = anchors[qsizetype(n + 1)].toObject();
        EXPECT_EQ(anchor["text"].toString(), episodes[n].link);
        if (episodes[n].live)
            EXPECT_EQ(anchor["href"].toString(), episodes[n].link);
        else
            EXPECT_TRUE(anchor["href"].isNull());
        EXPECT_EQ(paragraphs[qsizetype(1 + 2 * n)].toString(), episodes[n].title);
        EXPECT_EQ(paragraphs[qsizetype(2 + 2 * n)].toString(), episodes[n].description);
    }
}

} // namespace
