// The feed writer: the exact lines of a basic and an iTunes feed (with a fixed clock for an
// undated episode), checked as well by xmllint, feedparser and podcastparser.
#include "podcast/FeedWriter.h"

#include "common/FeedText.h"
#include "podcast/FeedReader.h"
#include "tests/podcast/FeedFixtures.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>

#include <string>

using namespace podcast;
using feedtest::crlf;

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

const char basicFeed[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0" xmlns:itunes="http://www.itunes.com/dtds/podcast-1.0.dtd">
<channel>
<ttl>60</ttl>
<title>Tom &amp; Jerry&apos;s &lt;Show&gt;</title>
<description>Weekly &quot;talk&quot;</description>
<link>http://example.org/feed.xml?a=1&amp;b=2</link>
<generator>Dvq RSS Feed Generation Engine</generator>
<item>
<title>Episode 3</title>
<description>Part 3</description>
<pubDate>Sun, 03 Sep 2006 11:00:00 GMT</pubDate>
<link>http://example.org/ep3.mp3</link>
<guid>http://example.org/ep3.mp3</guid>
<enclosure length="3000" url="http://example.org/ep3.mp3" type="audio/mpeg" />
</item>
<item>
<title>Episode 2</title>
<description>Part 2</description>
<pubDate>Sat, 02 Sep 2006 10:00:00 GMT</pubDate>
<link>http://example.org/ep2.mp3</link>
<guid>http://example.org/ep2.mp3</guid>
<enclosure length="2000" url="http://example.org/ep2.mp3" type="audio/mpeg" />
</item>
<item>
<title>Episode 1</title>
<description>Part 1</description>
<pubDate>Fri, 01 Sep 2006 09:00:00 GMT</pubDate>
<link>http://example.org/ep1.mp3</link>
<guid>http://example.org/ep1.mp3</guid>
<enclosure length="1000" url="http://example.org/ep1.mp3" type="audio/mpeg" />
</item>
</channel>
</rss>
)";

const char itunesFeed[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0" xmlns:itunes="http://www.itunes.com/dtds/podcast-1.0.dtd">
<channel>
<title>Café 🎙 שלום</title>
<description>A &lt; B &amp; C &gt; D</description>
<link>https://example.org/feed.xml</link>
<webMaster>web@example.org</webMaster>
<managingEditor>Ed &lt;ed@example.org&gt;</managingEditor>
<copyright>&#xA9; 2006 O&apos;Brien</copyright>
<language>en-us</language>
<generator>Dvq RSS Feed Generation Engine</generator>
<itunes:subtitle>Sub</itunes:subtitle>
<itunes:keywords>talk,music</itunes:keywords>
<itunes:author>Ann &amp; Bob</itunes:author>
<itunes:owner>
<itunes:name>Ann &amp; Bob</itunes:name>
<itunes:email>ann@example.org</itunes:email>
</itunes:owner>
<itunes:summary>مرحبا summary</itunes:summary>
<itunes:explicit>No</itunes:explicit>
<itunes:category text="Arts">
</itunes:category>
<itunes:category text="Technology">
<itunes:category text="Podcasting"/>
</itunes:category>
<itunes:category text="Kids &amp; Family">
</itunes:category>
<itunes:block>No</itunes:block>
<itunes:image  href="http://example.org/art.jpg?w=600&amp;h=600" />
<item>
<title>Undated</title>
<description></description>
<pubDate>Thu, 29 Feb 2024 23:59:58 GMT</pubDate>
<link>http://example.org/two.wav</link>
<guid>http://example.org/two.wav</guid>
<enclosure length="0" url="http://example.org/two.wav" type="audio/wave" />
<itunes:keywords>k</itunes:keywords>
</item>
<item>
<title>Q&amp;A &quot;live&quot;</title>
<description>&lt;b&gt;bold&lt;/b&gt; 😀</description>
<pubDate>Tue, 05 Sep 2006 14:03:09 GMT</pubDate>
<link>http://example.org/get?id=1&amp;fmt=mp3</link>
<guid>http://example.org/get?id=1&amp;fmt=mp3</guid>
<enclosure length="12345" url="http://example.org/get?id=1&amp;fmt=mp3" type="audio/mpeg" />
<itunes:author>Ann</itunes:author>
<itunes:subtitle>First</itunes:subtitle>
<itunes:duration>01:02:03</itunes:duration>
<itunes:summary>It&apos;s here</itunes:summary>
<itunes:explicit>Yes</itunes:explicit>
<itunes:block>No</itunes:block>
</item>
</channel>
</rss>
)";

class FeedWriterTest : public ::testing::Test {
protected:
    const common::FeedClockOverride clock{[] { return feedtest::utc(2024, 2, 29, 23, 59, 58); }};
    const QString folder = testsupport::testFolder();
};

} // namespace

TEST_F(FeedWriterTest, BasicFeedIsExactAndReadByFeedTools)
{
    const QString path = QDir(folder).filePath(QStringLiteral("basic.xml"));
    QString error;
    ASSERT_TRUE(writeFeedFile(path, feedtest::basicChannel(), feedtest::basicItems(), &error)) << error.toStdString();
    EXPECT_EQ(testsupport::readFile(path), crlf(basicFeed));
    EXPECT_EQ(feedtest::xmllintErrors(path), QString());

    const QJsonObject read = feedtest::pythonReading(path);
    EXPECT_EQ(read[QStringLiteral("bozo")].toInt(), 0);
    EXPECT_EQ(read[QStringLiteral("title")].toString(), QStringLiteral("Tom & Jerry's <Show>"));
    const QJsonArray items = read[QStringLiteral("items")].toArray();
    ASSERT_EQ(items.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QJsonObject item = items[i].toObject();
        const int n = 3 - i;
        EXPECT_EQ(item[QStringLiteral("title")].toString(), QStringLiteral("Episode %1").arg(n));
        EXPECT_EQ(item[QStringLiteral("length")].toInt(), 1000 * n);
        EXPECT_EQ(item[QStringLiteral("published")].toInteger(), feedtest::utc(2006, 9, n, 8 + n, 0, 0).toSecsSinceEpoch());
    }
}

TEST_F(FeedWriterTest, ItunesFeedWithHostileTextsIsExactAndReadByFeedTools)
{
    const QString path = QDir(folder).filePath(QStringLiteral("itunes.xml"));
    ASSERT_TRUE(writeFeedFile(path, feedtest::itunesChannel(), feedtest::itunesItems()));
    EXPECT_EQ(testsupport::readFile(path), crlf(itunesFeed));
    EXPECT_EQ(feedtest::xmllintErrors(path), QString());

    const QJsonObject read = feedtest::pythonReading(path);
    EXPECT_EQ(read[QStringLiteral("bozo")].toInt(), 0);
    EXPECT_EQ(read[QStringLiteral("title")].toString(), feedtest::itunesChannel().title);
    EXPECT_EQ(read[QStringLiteral("image")].toString(), QStringLiteral("http://example.org/art.jpg?w=600&h=600"));
    const QJsonArray categories = read[QStringLiteral("categories")].toArray();
    EXPECT_TRUE(categories.contains(QStringLiteral("Podcasting")));
    EXPECT_TRUE(categories.contains(QStringLiteral("Kids & Family")));
    const QJsonArray items = read[QStringLiteral("items")].toArray();
    ASSERT_EQ(items.size(), 2);
    const QJsonObject qa = items[1].toObject();
    EXPECT_EQ(qa[QStringLiteral("title")].toString(), QStringLiteral("Q&A \"live\""));
    EXPECT_EQ(qa[QStringLiteral("href")].toString(), QStringLiteral("http://example.org/get?id=1&fmt=mp3"));
    EXPECT_EQ(qa[QStringLiteral("length")].toInt(), 12345);
    EXPECT_EQ(qa[QStringLiteral("type")].toString(), QStringLiteral("audio/mpeg"));
    EXPECT_EQ(qa[QStringLiteral("published")].toInteger(), feedtest::utc(2006, 9, 5, 14, 3, 9).toSecsSinceEpoch());

    EXPECT_EQ(read[QStringLiteral("pp_title")].toString(), feedtest::itunesChannel().title);
    EXPECT_FALSE(read[QStringLiteral("pp_explicit")].toBool());
    const QJsonArray episodes = read[QStringLiteral("pp_episodes")].toArray();
    ASSERT_EQ(episodes.size(), 2);
    bool sawQa = false;
    for (const QJsonValue& value : episodes) {
        const QJsonObject episode = value.toObject();
        if (episode[QStringLiteral("title")].toString() != QStringLiteral("Q&A \"live\""))
            continue;
        sawQa = true;
        EXPECT_EQ(episode[QStringLiteral("total_time")].toInt(), 3723);
        EXPECT_TRUE(episode[QStringLiteral("explicit")].toBool());
        EXPECT_EQ(episode[QStringLiteral("file_size")].toInt(), 12345);
        EXPECT_EQ(episode[QStringLiteral("url")].toString(), QStringLiteral("http://example.org/get?id=1&fmt=mp3"));
    }
    EXPECT_TRUE(sawQa);
}

// Items inserted one by one above each other, as a feed grows an episode at a time, give the
// same text as the whole feed written at once.
TEST_F(FeedWriterTest, InsertingItemsOneByOneGivesTheWholeFeed)
{
    struct Case {
        const char* name;
        FeedChannel channel;
        QList<FeedItem> items;
    };
    const QList<Case> cases{{"basic without items", feedtest::basicChannel(), {}},
                            {"basic", feedtest::basicChannel(), feedtest::basicItems()},
                            {"iTunes", feedtest::itunesChannel(), feedtest::itunesItems()},
                            {"iTunes without items", feedtest::itunesChannel(), {}}};
    for (const Case& c : cases) {
        QStringList lines = WriteFeedChannel(c.channel);
        for (const FeedItem& item : c.items)
            InsertFeedItem(lines, c.channel.podcastType, item);
        EXPECT_EQ(feedBytes(c.channel, c.items), (lines.join("\r\n") + "\r\n").toUtf8()) << c.name;
    }
}

// What XML cannot hold (controls, unpaired surrogates, U+FFFE and U+FFFF) is left out, so that
// the feed stays readable; tabs and line ends in attributes come back as they were.
TEST_F(FeedWriterTest, TextsXmlCannotHoldAreLeftOutAndAttributesKeepTheirLineEnds)
{
    using namespace std::string_literals;
    const auto text = [](const std::u16string& units) { return QString::fromStdU16String(units); };
    struct Case {
        const char* name;
        QString written;
        QString inElement; // an XML reader turns CR LF and a lone CR into LF
        QString inAttribute;
    };
    const Case cases[] = {
        {"controls", text(u"a\x01" u"b\0c\x1F\x0B" u"d"s), "abcd", "abcd"},
        {"not characters", text(u"x\xFFFE" u"y\xFFFF"s), "xy", "xy"},
        {"unpaired surrogates", text(u"\xD800" u"a\xDC00" u"b\xD83D\xDE00\xDE00"s), text(u"ab\xD83D\xDE00"s),
         text(u"ab\xD83D\xDE00"s)},
        {"tab and line ends", text(u"a\tb\r\nc\rd\ne"s), text(u"a\tb\nc\nd\ne"s), text(u"a\tb\r\nc\rd\ne"s)},
        {"ordinary", u8("Caf\u00e9 & <b>"), u8("Caf\u00e9 & <b>"), u8("Caf\u00e9 & <b>")},
    };
    for (const Case& c : cases) {
        FeedChannel channel = feedtest::itunesChannel();
        channel.title = c.written;
        channel.categories = {{c.written, c.written}};
        FeedItem item = feedtest::itunesItems().first();
        item.title = c.written;
        item.author = c.written;
        item.enclosureType = c.written;
        const QString path = QDir(folder).filePath(QStringLiteral("hostile.xml"));
        ASSERT_TRUE(writeFeedFile(path, channel, {item}));
        EXPECT_EQ(feedtest::xmllintErrors(path), QString()) << c.name;
        Feed read;
        ASSERT_EQ(readFeedFile(path, read), FeedReadResult::Ok) << c.name;
        EXPECT_EQ(read.channel.title, c.inElement) << c.name;
        ASSERT_EQ(read.channel.categories.size(), 1) << c.name;
        EXPECT_EQ(read.channel.categories[0].category, c.inAttribute) << c.name;
        EXPECT_EQ(read.channel.categories[0].subCategory, c.inAttribute) << c.name;
        ASSERT_EQ(read.items.size(), 1) << c.name;
        EXPECT_EQ(read.items[0].title, c.inElement) << c.name;
        EXPECT_EQ(read.items[0].author, c.inElement) << c.name;
        EXPECT_EQ(read.items[0].enclosureType, c.inAttribute) << c.name;
    }
}

// A value of nothing but such characters is written as an empty one would be: no empty category,
// no owner without a name, so that the feed reads back the same each time it is written again.
TEST_F(FeedWriterTest, ValuesOfNothingButUnwritableCharactersCountAsEmpty)
{
    FeedChannel channel = feedtest::itunesChannel();
    channel.categories = {{u8("\x01"), u8("\x02")}, {u8("\x01"), u8("Sub")}, {u8("Arts"), u8("\x03")}};
    channel.ownerName = u8("\x01");
    channel.imageLink = u8("\x1F");
    channel.subtitle = u8("\x02");
    const QStringList lines = WriteFeedChannel(channel);
    for (const QString& line : lines) {
        for (const char* absent : {"<itunes:owner>", "<itunes:author>", "<itunes:image", "<itunes:subtitle>",
                                   "<itunes:category text=\"\""})
            EXPECT_FALSE(line.startsWith(QLatin1String(absent))) << line.toStdString();
    }
    Feed read;
    ASSERT_EQ(readFeedBytes((lines.join("\r\n") + "\r\n").toUtf8(), read), FeedReadResult::Ok);
    ASSERT_EQ(read.channel.categories.size(), 2);
    EXPECT_EQ(read.channel.categories[0].category, u8("Sub"));
    EXPECT_EQ(read.channel.categories[0].subCategory, QString());
    EXPECT_EQ(read.channel.categories[1].category, u8("Arts"));
    EXPECT_EQ(read.channel.categories[1].subCategory, QString());
    EXPECT_EQ(read.channel.ownerEmail, QString());
}

TEST_F(FeedWriterTest, ConditionalChannelLines)
{
    struct Case {
        const char* name;
        int podcastType;
        bool ownerEmail;
        QStringList present;
        QStringList absent;
    };
    const Case cases[] = {
        {"owner without e-mail", 1, false, {QStringLiteral("<itunes:subtitle>Sub</itunes:subtitle>")},
         {QStringLiteral("<itunes:author>"), QStringLiteral("<itunes:owner>"), QStringLiteral("<itunes:name>")}},
        {"series lines without iTunes tags", 2, true,
         {QStringLiteral("<webMaster>web@example.org</webMaster>"), QStringLiteral("<language>en-us</language>")},
         {QStringLiteral("<itunes:subtitle>Sub</itunes:subtitle>"), QStringLiteral("<itunes:owner>")}},
        {"basic", 0, true, {QStringLiteral("<generator>Dvq RSS Feed Generation Engine</generator>")},
         {QStringLiteral("<webMaster>web@example.org</webMaster>"), QStringLiteral("<copyright>"),
          QStringLiteral("<language>en-us</language>"), QStringLiteral("<ttl>")}},
    };
    for (const Case& c : cases) {
        FeedChannel channel = feedtest::itunesChannel();
        channel.podcastType = c.podcastType;
        if (!c.ownerEmail)
            channel.ownerEmail.clear();
        const QStringList lines = WriteFeedChannel(channel);
        for (const QString& line : c.present)
            EXPECT_TRUE(lines.contains(line)) << c.name << ": " << line.toStdString();
        for (const QString& line : c.absent) {
            for (const QString& written : lines)
                EXPECT_FALSE(written.startsWith(line)) << c.name << ": " << written.toStdString();
        }
    }
}

TEST_F(FeedWriterTest, FailedWriteIsReportedAndLeavesNoFile)
{
    const QString blocker = QDir(folder).filePath(QStringLiteral("file"));
    testsupport::writeFile(blocker, "x");
    QString error;
    EXPECT_FALSE(writeFeedFile(blocker + QStringLiteral("/feed.xml"), feedtest::basicChannel(), {}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(testsupport::readFile(blocker), QByteArray("x"));
}
