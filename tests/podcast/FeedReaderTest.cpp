// The feed reader: our own feeds read back exactly (and written again unchanged), feeds of other
// writers (one line, CDATA, other date forms), feeds of the older line layout in the single-byte
// code page, and input that is no feed at all.
#include "podcast/FeedReader.h"

#include "common/FeedText.h"
#include "podcast/FeedWriter.h"
#include "tests/podcast/FeedFixtures.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>

using namespace podcast;
using feedtest::utc;

namespace {

class FeedReaderTest : public ::testing::Test {
protected:
    const common::FeedClockOverride clock{[] { return utc(2024, 2, 29, 23, 59, 58); }};
    const QString folder = testsupport::testFolder();
};

QList<FeedItem> reversed(QList<FeedItem> items)
{
    std::reverse(items.begin(), items.end());
    return items;
}

} // namespace

TEST_F(FeedReaderTest, OurFeedReadsBackAndWritesAgainUnchanged)
{
    for (const FeedChannel& channel : {feedtest::basicChannel(), feedtest::itunesChannel()}) {
        const QList<FeedItem> items = channel.podcastType == 1 ? feedtest::itunesItems() : feedtest::basicItems();
        const QByteArray written = feedBytes(channel, items);
        Feed feed;
        ASSERT_EQ(readFeedBytes(written, feed), FeedReadResult::Ok);
        EXPECT_EQ(feed.channel.title, channel.title);
        EXPECT_EQ(feed.channel.description, channel.description);
        EXPECT_EQ(feed.channel.link, channel.link);
        EXPECT_EQ(feed.channel.ttl, channel.ttl);
        ASSERT_EQ(feed.items.size(), items.size());
        const FeedItem& newest = feed.items.front();
        EXPECT_EQ(newest.title, items.back().title);
        EXPECT_EQ(newest.description, items.back().description);
        EXPECT_EQ(newest.link, items.back().link);
        EXPECT_EQ(newest.guid, items.back().link);
        EXPECT_EQ(newest.enclosureType, items.back().enclosureType);
        EXPECT_EQ(newest.enclosureLength, items.back().enclosureLength);

        // The reader keeps the texts plain, so writing them again escapes them once, not twice.
        FeedChannel again = feed.channel;
        again.podcastType = channel.podcastType;
        QList<FeedItem> againItems = reversed(feed.items);
        EXPECT_EQ(feedBytes(again, againItems), written);
    }
}

TEST_F(FeedReaderTest, ItunesValuesReadBack)
{
    Feed feed;
    ASSERT_EQ(readFeedBytes(feedBytes(feedtest::itunesChannel(), feedtest::itunesItems()), feed), FeedReadResult::Ok);
    const FeedChannel expected = feedtest::itunesChannel();
    const FeedChannel& c = feed.channel;
    EXPECT_EQ(c.copyright, expected.copyright);
    EXPECT_EQ(c.managingEditor, expected.managingEditor);
    EXPECT_EQ(c.language, expected.language);
    EXPECT_EQ(c.ownerName, expected.ownerName);
    EXPECT_EQ(c.ownerEmail, expected.ownerEmail);
    EXPECT_EQ(c.summary, expected.summary);
    EXPECT_EQ(c.imageLink, expected.imageLink);
    ASSERT_EQ(c.categories.size(), 3);
    EXPECT_EQ(c.categories[1].category, QStringLiteral("Technology"));
    EXPECT_EQ(c.categories[1].subCategory, QStringLiteral("Podcasting"));
    EXPECT_EQ(c.categories[2].category, QStringLiteral("Kids & Family"));
    EXPECT_TRUE(c.categories[2].subCategory.isEmpty());
    const FeedItem& qa = feed.items[1];
    EXPECT_EQ(qa.pubDate, utc(2006, 9, 5, 14, 3, 9));
    EXPECT_EQ(qa.duration, QStringLiteral("01:02:03"));
    EXPECT_EQ(qa.summary, QStringLiteral("It's here"));
    EXPECT_EQ(qa.explicitText, QStringLiteral("Yes"));
    EXPECT_EQ(feed.items[0].pubDate, utc(2024, 2, 29, 23, 59, 58));
}

TEST_F(FeedReaderTest, FeedsOfOtherWriters)
{
    const QByteArray oneLine =
        "<?xml version=\"1.0\"?><rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/DTDs/Podcast-1.0.dtd\">"
        "<channel><title><![CDATA[A & B <i>]]></title><ttl>soon</ttl><image><title>logo</title></image>"
        "<item><title>T&#233;</title><description><![CDATA[<p>x</p>]]></description>"
        "<pubDate>5 Sep 2006 14:03:09 +0200</pubDate>"
        "<enclosure url=\"http://e.org/a.mp3?x=1&amp;y=2\" length=\"-5\" type=\"audio/mpeg\"/>"
        "<itunes:duration>42</itunes:duration></item>"
        "<item><title>Later</title><pubDate>yesterday</pubDate><link>http://e.org/b</link></item></channel></rss>";
    Feed feed;
    ASSERT_EQ(readFeedBytes(oneLine, feed), FeedReadResult::Ok);
    EXPECT_EQ(feed.channel.title, QStringLiteral("A & B <i>"));
    EXPECT_EQ(feed.channel.ttl, 0);
    ASSERT_EQ(feed.items.size(), 2);
    EXPECT_EQ(feed.items[0].title, QStringLiteral("T\u00e9"));
    EXPECT_EQ(feed.items[0].description, QStringLiteral("<p>x</p>"));
    EXPECT_EQ(feed.items[0].pubDate, utc(2006, 9, 5, 12, 3, 9));
    EXPECT_EQ(feed.items[0].link, QStringLiteral("http://e.org/a.mp3?x=1&y=2"));
    EXPECT_EQ(feed.items[0].enclosureLength, 0);
    EXPECT_EQ(feed.items[0].duration, QStringLiteral("42"));
    EXPECT_FALSE(feed.items[1].pubDate.isValid());
    EXPECT_EQ(feed.items[1].link, QStringLiteral("http://e.org/b"));
}

TEST_F(FeedReaderTest, OlderLineLayoutInTheSingleByteCodePage)
{
    // What older versions wrote: code-page bytes under a UTF-8 declaration, addresses unescaped,
    // a description over two lines, a category left open at the end.
    const QByteArray old = feedtest::crlf(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">\n"
        "<channel>\n<ttl>30</ttl>\n<title>Caf\xe9 &amp; more</title>\n<description>first\nsecond</description>\n"
        "<link>http://e.org/feed.xml?a=1&b=2</link>\n"
        "<itunes:category text=\"Arts\">\n<itunes:category text=\"Design &amp; Art\"/>\n</itunes:category>\n"
        "<item>\n<title>One &lt;1&gt;</title>\n<pubDate>Tue, 05 Sep 2006 14:03:09 GMT</pubDate>\n"
        "<link>http://e.org/1.mp3?k=v&w=z</link>\n<itunes:author>Me</itunes:author>\n</item>\n"
        "<item>\n<title>Two</title>\n</item>\n</channel>\n</rss>\n");
    Feed feed;
    ASSERT_EQ(readFeedBytes(old, feed), FeedReadResult::Ok);
    EXPECT_EQ(feed.channel.ttl, 30);
    EXPECT_EQ(feed.channel.title, QStringLiteral("Caf\u00e9 & more"));
    EXPECT_EQ(feed.channel.description, QStringLiteral("first second"));
    EXPECT_EQ(feed.channel.link, QStringLiteral("http://e.org/feed.xml?a=1&b=2"));
    ASSERT_EQ(feed.channel.categories.size(), 1);
    EXPECT_EQ(feed.channel.categories[0].subCategory, QStringLiteral("Design & Art"));
    ASSERT_EQ(feed.items.size(), 2);
    EXPECT_EQ(feed.items[0].title, QStringLiteral("One <1>"));
    EXPECT_EQ(feed.items[0].pubDate, utc(2006, 9, 5, 14, 3, 9));
    EXPECT_EQ(feed.items[0].link, QStringLiteral("http://e.org/1.mp3?k=v&w=z"));
    EXPECT_EQ(feed.items[0].author, QStringLiteral("Me"));
    EXPECT_TRUE(feed.items[1].author.isEmpty());
    EXPECT_EQ(feed.items[1].title, QStringLiteral("Two"));
}

// In the older layout every item is read from its own lines only, as the one-item reader finds
// them, whatever the shape of its neighbours: a missing end, a text over two lines, a value that
// only the next item has, many items.
TEST_F(FeedReaderTest, OlderLayoutItemsAreReadFromTheirOwnLines)
{
    QStringList lines{QStringLiteral("<channel>"), QStringLiteral("<title>Show & co</title>"),
                      QStringLiteral("<item>"), QStringLiteral("<title>no end</title>"),
                      QStringLiteral("<item>"), QStringLiteral("<title>two"), QStringLiteral("lines</title>"),
                      QStringLiteral("</item>"), QStringLiteral("<itunes:author>between</itunes:author>"),
                      QStringLiteral("<item>"), QStringLiteral("<link> http://e.org/a?b=1&c=2 </link>"),
                      QStringLiteral("</item>")};
    for (int n = 1; n <= 40; ++n) {
        lines << QStringLiteral("<item>") << QStringLiteral("<title>Episode %1 &amp; more</title>").arg(n);
        if (n % 3 == 0)
            lines << QStringLiteral("<itunes:author>Author %1</itunes:author>").arg(n);
        if (n % 5 != 0)
            lines << QStringLiteral("</item>");
    }
    lines << QStringLiteral("</channel>");
    Feed feed;
    ASSERT_EQ(readFeedLines(lines, feed), FeedReadResult::Ok);
    ASSERT_EQ(feed.items.size(), 43);
    for (int n = 1; n <= 43; ++n) {
        const FeedItem& item = feed.items[n - 1];
        const auto alone = [&](const char* tag) {
            return common::XmlUnescape(GetItemElementText(lines, QLatin1String(tag), n));
        };
        EXPECT_EQ(item.title, alone("<title>")) << n;
        EXPECT_EQ(item.author, alone("<itunes:author>")) << n;
        EXPECT_EQ(item.link, alone("<link>").trimmed()) << n;
    }
    EXPECT_EQ(feed.items[1].title, QStringLiteral("two lines"));
    EXPECT_TRUE(feed.items[1].author.isEmpty());
    EXPECT_EQ(feed.items[2].link, QStringLiteral("http://e.org/a?b=1&c=2"));
    EXPECT_EQ(feed.items[5].author, QStringLiteral("Author 3"));
    EXPECT_EQ(feed.items[42].title, QStringLiteral("Episode 40 & more"));
}

// An older feed the XML parser refuses (a control character, a lone CR inside a category) is
// written again as a feed every reader takes, and reads back the same each time after that.
TEST_F(FeedReaderTest, OlderFeedWithControlsIsWrittenReadablyAndReadsBackTheSame)
{
    const QByteArray old = feedtest::crlf(
        "<rss version=\"2.0\">\n<channel>\n<title>Caf\xe9 \x01& friends</title>\n"
        "<itunes:category text=\"Arts\">\n<itunes:category text=\"Des\rign\"/>\n</itunes:category>\n"
        "<item>\n<title>One\x02</title>\n<link>http://e.org/1.mp3?a=1&b=2</link>\n</item>\n</channel>\n</rss>\n");
    Feed feed;
    ASSERT_EQ(readFeedBytes(old, feed), FeedReadResult::Ok);
    ASSERT_EQ(feed.channel.categories.size(), 1);
    EXPECT_EQ(feed.channel.categories[0].subCategory, QStringLiteral("Des\rign"));
    const QString path = QDir(folder).filePath(QStringLiteral("again.xml"));
    QList<Feed> reads{feed};
    for (int round = 1; round <= 2; ++round) {
        FeedChannel channel = reads.last().channel;
        channel.podcastType = 1;
        ASSERT_TRUE(writeFeedFile(path, channel, reversed(reads.last().items)));
        EXPECT_EQ(feedtest::xmllintErrors(path), QString()) << round;
        Feed again;
        ASSERT_EQ(readFeedFile(path, again), FeedReadResult::Ok);
        reads << again;
    }
    for (const Feed& read : reads.mid(1)) {
        EXPECT_EQ(read.channel.title, QStringLiteral("Caf\u00e9 & friends"));
        ASSERT_EQ(read.channel.categories.size(), 1);
        EXPECT_EQ(read.channel.categories[0].subCategory, QStringLiteral("Des\rign"));
        ASSERT_EQ(read.items.size(), 1);
        EXPECT_EQ(read.items[0].title, QStringLiteral("One"));
        EXPECT_EQ(read.items[0].link, QStringLiteral("http://e.org/1.mp3?a=1&b=2"));
    }
}

TEST_F(FeedReaderTest, LineReaderPieces)
{
    const QStringList lines{QStringLiteral("<channel>"),
                            QStringLiteral("<itunes:category text=\"A &amp; B\">"),
                            QStringLiteral("<itunes:category text=\"x\"/>"),
                            QStringLiteral("<itunes:category text=\"y\"/>"),
                            QStringLiteral("</itunes:category>"),
                            QStringLiteral("<itunes:category text=\"Open\">"),
                            QStringLiteral("<item>"),
                            QStringLiteral("<title>a</title>"),
                            QStringLiteral("</item>"),
                            QStringLiteral("<item>"),
                            QStringLiteral("<title>b &amp;"),
                            QStringLiteral("c</title>"),
                            QStringLiteral("</item>"),
                            QStringLiteral("<itunes:category text=\"late\">")};
    EXPECT_EQ(GetElementText(lines, QStringLiteral("<title>")), QStringLiteral("a"));
    EXPECT_EQ(GetItemElementText(lines, QStringLiteral("<title>"), 2), QStringLiteral("b &amp; c"));
    EXPECT_TRUE(GetItemElementText(lines, QStringLiteral("<title>"), 3).isEmpty());
    EXPECT_TRUE(GetElementText(lines, QStringLiteral("<guid>")).isEmpty());
    QList<FeedCategory> categories;
    ReadFeedCategories(lines, categories);
    ASSERT_EQ(categories.size(), 2);
    EXPECT_EQ(categories[0].category, QStringLiteral("A & B"));
    EXPECT_EQ(categories[0].subCategory, QStringLiteral("y"));
    EXPECT_EQ(categories[1].category, QStringLiteral("Open"));
    EXPECT_TRUE(categories[1].subCategory.isEmpty());
}

TEST_F(FeedReaderTest, InputThatIsNoFeed)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        FeedReadResult result;
    };
    const Case cases[] = {
        {"empty", QByteArray(), FeedReadResult::NotAFeed},
        {"web page", "<html><body><channel>no</channel></body></html>", FeedReadResult::NotAFeed},
        {"rss without channel", "<rss version=\"2.0\"></rss>", FeedReadResult::NotAFeed},
        {"atom", "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>t</title></feed>", FeedReadResult::NotAFeed},
        {"binary", QByteArray("\x00\xff\xfe<\x01>", 6), FeedReadResult::NotAFeed},
        {"cut short", "<rss version=\"2.0\"><channel><title>Half</title><item><title>", FeedReadResult::Ok},
    };
    for (const Case& c : cases) {
        Feed feed;
        feed.channel.title = QStringLiteral("untouched");
        EXPECT_EQ(readFeedBytes(c.bytes, feed), c.result) << c.name;
        if (c.result != FeedReadResult::Ok) {
            EXPECT_EQ(feed.channel.title, QStringLiteral("untouched")) << c.name;
        }
    }
}

TEST_F(FeedReaderTest, FilesAndItemTitles)
{
    const QString path = QDir(folder).filePath(QStringLiteral("feed.xml"));
    QStringList titles{QStringLiteral("kept")};
    EXPECT_EQ(GetFeedItemTitles(path, titles), FeedReadResult::CannotOpen);
    EXPECT_EQ(titles, QStringList{QStringLiteral("kept")});
    EXPECT_EQ(GetFeedItemTitles(folder, titles), FeedReadResult::CannotOpen);

    ASSERT_TRUE(writeFeedFile(path, feedtest::basicChannel(), feedtest::basicItems()));
    titles.clear();
    EXPECT_EQ(GetFeedItemTitles(path, titles), FeedReadResult::Ok);
    EXPECT_EQ(titles, (QStringList{QStringLiteral("Episode 3"), QStringLiteral("Episode 2"), QStringLiteral("Episode 1")}));
}
