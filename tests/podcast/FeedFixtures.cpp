#include "tests/podcast/FeedFixtures.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QTimeZone>

namespace feedtest {

using podcast::FeedCategory;
using podcast::FeedChannel;
using podcast::FeedItem;

QDateTime utc(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), QTimeZone::utc());
}

FeedChannel basicChannel()
{
    FeedChannel c;
    c.ttl = 60;
    c.title = QStringLiteral("Tom & Jerry's <Show>");
    c.description = QStringLiteral("Weekly \"talk\"");
    c.link = QStringLiteral("http://example.org/feed.xml?a=1&b=2");
    // Only podcasts with the iTunes tags write these.
    c.webMaster = QStringLiteral("web@example.org");
    c.language = QStringLiteral("en-us");
    c.subtitle = QStringLiteral("never written");
    return c;
}

QList<FeedItem> basicItems()
{
    QList<FeedItem> items;
    for (int n = 1; n <= 3; ++n) {
        FeedItem item;
        item.title = QStringLiteral("Episode %1").arg(n);
        item.description = QStringLiteral("Part %1").arg(n);
        item.pubDate = utc(2006, 9, n, 8 + n, 0, 0);
        item.link = QStringLiteral("http://example.org/ep%1.mp3").arg(n);
        item.enclosureLength = 1000 * n;
        item.enclosureType = QStringLiteral("audio/mpeg");
        item.author = QStringLiteral("never written");
        items << item;
    }
    return items;
}

FeedChannel itunesChannel()
{
    FeedChannel c;
    c.podcastType = 1;
    c.title = QStringLiteral("Caf\u00e9 \U0001F399 \u05E9\u05DC\u05D5\u05DD");
    c.description = QStringLiteral("A < B & C > D");
    c.link = QStringLiteral("https://example.org/feed.xml");
    c.webMaster = QStringLiteral("web@example.org");
    c.managingEditor = QStringLiteral("Ed <ed@example.org>");
    c.copyright = QStringLiteral("\u00A9 2006 O'Brien");
    c.language = QStringLiteral("en-us");
    c.subtitle = QStringLiteral("Sub");
    c.keywords = QStringLiteral("talk,music");
    c.ownerName = QStringLiteral("Ann & Bob");
    c.ownerEmail = QStringLiteral("ann@example.org");
    c.summary = QStringLiteral("\u0645\u0631\u062D\u0628\u0627 summary");
    c.explicitText = QStringLiteral("No");
    c.categories = {FeedCategory{QStringLiteral("Arts"), {}},
                    FeedCategory{QStringLiteral("Technology"), QStringLiteral("Podcasting")},
                    FeedCategory{QStringLiteral("Kids & Family"), {}}};
    c.block = QStringLiteral("No");
    c.imageLink = QStringLiteral("http://example.org/art.jpg?w=600&h=600");
    return c;
}

QList<FeedItem> itunesItems()
{
    FeedItem first;
    first.title = QStringLiteral("Q&A \"live\"");
    first.description = QStringLiteral("<b>bold</b> \U0001F600");
    first.pubDate = utc(2006, 9, 5, 14, 3, 9);
    first.link = QStringLiteral("http://example.org/get?id=1&fmt=mp3");
    first.enclosureLength = 12345;
    first.enclosureType = QStringLiteral("audio/mpeg");
    first.author = QStringLiteral("Ann");
    first.subtitle = QStringLiteral("First");
    first.duration = QStringLiteral("01:02:03");
    first.summary = QStringLiteral("It's here");
    first.explicitText = QStringLiteral("Yes");
    first.block = QStringLiteral("No");
    FeedItem second;
    second.title = QStringLiteral("Undated");
    second.link = QStringLiteral("http://example.org/two.wav");
    second.enclosureType = QStringLiteral("audio/wave");
    second.keywords = QStringLiteral("k");
    return {first, second};
}

QByteArray crlf(const char* text)
{
    return QByteArray(text).replace("\n", "\r\n");
}

QString xmllintErrors(const QString& path)
{
    const auto result = testsupport::runTool(QStringLiteral(VA_XMLLINT), {QStringLiteral("--noout"), path});
    if (result.exitCode == 0 && result.err.isEmpty())
        return {};
    return QStringLiteral("exit %1: %2").arg(result.exitCode).arg(QString::fromUtf8(result.err));
}

QJsonObject pythonReading(const QString& path)
{
    const auto result = testsupport::runPythonScript(QStringLiteral("feed_check.py"), {path});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return QJsonDocument::fromJson(result.out).object();
}

} // namespace feedtest
