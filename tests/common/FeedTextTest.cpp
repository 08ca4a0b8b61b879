// The feed's text routines: dates with English names in UTC and their numeric read-back, XML
// escaping checked by an outside parser, and the address checks of the builder's fields.
#include "common/FeedText.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <ctime>

#include <QDir>
#include <QLocale>
#include <QRandomGenerator>
#include <QTimeZone>

using namespace common;

namespace {

QDateTime utc(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), QTimeZone::utc());
}

} // namespace

TEST(FeedText, Rfc822DateIsEnglishAndUtcWhateverTheLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString text = GetRfc822DateTime(utc(2006, 9, 5, 14, 3, 9));
    const QString shifted = GetRfc822DateTime(QDateTime(QDate(2006, 9, 5), QTime(1, 30, 0), QTimeZone(2 * 3600)));
    QLocale::setDefault(previous);
    EXPECT_EQ(text, QStringLiteral("Tue, 05 Sep 2006 14:03:09 GMT"));
    // 01:30 at UTC+2 is the evening before in UTC: the day follows the time.
    EXPECT_EQ(shifted, QStringLiteral("Mon, 04 Sep 2006 23:30:00 GMT"));

    const auto parsed = testsupport::runPythonScript(QStringLiteral("feed_text_check.py"),
                                                     {QStringLiteral("date"), text, shifted});
    ASSERT_EQ(parsed.exitCode, 0) << parsed.err.toStdString();
    EXPECT_EQ(parsed.out, QByteArray("2006-09-05T14:03:09+00:00\n2006-09-04T23:30:00+00:00\n"));
}

TEST(FeedText, Rfc822DateOfNoMomentIsTheClocksNow)
{
    const FeedClockOverride clock([] { return utc(2024, 2, 29, 23, 59, 58); });
    EXPECT_EQ(GetRfc822DateTime(QDateTime()), QStringLiteral("Thu, 29 Feb 2024 23:59:58 GMT"));
}

TEST(FeedText, PubDateToNumeric)
{
    struct Case {
        const char* pubDate;
        const char* numeric;
    };
    const Case cases[] = {
        {"Tue, 05 Sep 2006 14:03:09 GMT", "09/05/2006 14:03:09"},
        {"", ""},
        {"tue, 05 sep 2006 14:03:09 gmt", "09/05/2006 14:03:09"},
        {"Tue, 5 Sep 2006 14:03:09 GMT", "09/05/2006 14:03:09"},
        {"5 Sep 2006 14:03:09 +0000", "09/05/2006 14:03:09"},
        {"Tue, 05 Sep 2006 14:03 GMT", "09/05/2006 14:03:00"},
        {"Tue, 05 Sep 06 14:03:09 GMT", "09/05/2006 14:03:09"},
        {"Sun, 31 Dec 2006 22:30:00 -0200", "01/01/2007 00:30:00"},
        {"Tue, 05 Sep 2006 14:03:09 EDT", "09/05/2006 18:03:09"},
        {"Tue, 05 Sep 2006 14:03:09", "09/05/2006 14:03:09"},
        // Not dates: unknown month or zone, impossible day, cut short, another form.
        {"Tue, 05 Sxp 2006 14:03:09 GMT", ""},
        {"Tue, 05 Sep 2006 14:03:09 XYZ", ""},
        {"Fri, 31 Feb 2006 14:03:09 GMT", ""},
        {"Tue, 05", ""},
        {"2006-09-05T14:03:09Z", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConvertPubDateToNumeric(QString::fromUtf8(c.pubDate)), QString::fromUtf8(c.numeric)) << c.pubDate;
}

TEST(FeedText, NumericDateReadsBackAsUtc)
{
    EXPECT_EQ(NumericDateToUtc(QStringLiteral("09/05/2006 14:03:09")), utc(2006, 9, 5, 14, 3, 9));
    EXPECT_FALSE(NumericDateToUtc(QStringLiteral("13/05/2006 14:03:09")).isValid());
    EXPECT_FALSE(NumericDateToUtc(QString()).isValid());
    const QDateTime moment = utc(2031, 12, 31, 23, 59, 59);
    EXPECT_EQ(NumericDateToUtc(ConvertPubDateToNumeric(GetRfc822DateTime(moment))), moment);
}

// Every form of the numeric date reads as the same moment in UTC, whatever the local time zone
// (the hour a local clock skips must not move or vanish); anything that is not a date is invalid.
TEST(FeedText, NumericDatesInEveryLayout)
{
    struct Case {
        const char* numeric;
        QDateTime moment;
    };
    const Case cases[] = {
        {"01/31/2026 00:00:00", utc(2026, 1, 31, 0, 0, 0)},
        {"12/31/1999 23:59:59", utc(1999, 12, 31, 23, 59, 59)},
        {"02/29/2024 12:30:45", utc(2024, 2, 29, 12, 30, 45)},
        {"03/08/2026 02:30:00", utc(2026, 3, 8, 2, 30, 0)},
                {"  09/05/2006 14:03:09\t", utc(2006, 9, 5, 14, 3, 9)},
        {"02/29/2023 12:00:00", {}},
        {"00/10/2026 12:00:00", {}},
        {"04/31/2026 12:00:00", {}},
        {"01/01/2026 24:00:00", {}},
        {"01/01/2026 23:60:00", {}},
        {"01/01/2026 23:59:60", {}},
        {"09-05-2006 14:03:09", {}},
        {"09/05/2006T14:03:09", {}},
        {"0x/05/2006 14:03:09", {}},
        {"09/05/2006 14:03:09 GMT", {}},
        {"09/05/2006", {}},
        {"\xD9\xA0\xD9\xA9/05/2006 14:03:09", {}},
    };
    // A local zone whose clocks change on the two March dates above, for the length of the test.
    struct LocalZone {
        const QByteArray before = qgetenv("TZ");
        const bool hadOne = qEnvironmentVariableIsSet("TZ");
        LocalZone()
        {
            qputenv("TZ", "America/New_York");
            tzset();
        }
        ~LocalZone()
        {
            if (hadOne)
                qputenv("TZ", before);
            else
                qunsetenv("TZ");
            tzset();
        }
    } const zone;
    for (const Case& c : cases) {
        const QDateTime read = NumericDateToUtc(QString::fromUtf8(c.numeric));
        EXPECT_EQ(read, c.moment) << c.numeric;
        EXPECT_EQ(read.isValid(), c.moment.isValid()) << c.numeric;
        if (read.isValid()) {
            EXPECT_EQ(read.offsetFromUtc(), 0) << c.numeric;
            EXPECT_EQ(read.toString("MM/dd/yyyy HH:mm:ss"), QString::fromUtf8(c.numeric).trimmed()) << c.numeric;
        }
    }
}

TEST(FeedText, EscapeAndUnescape)
{
    struct Case {
        const char* text;
        const char* escaped;
    };
    const Case cases[] = {
        {"&<", "&amp;&lt;"},
        {"a > b 'c' \"d\"", "a &gt; b &apos;c&apos; &quot;d&quot;"},
        {"\xC2\xA9 2006", "&#xA9; 2006"},
        {"&lt; typed as such", "&amp;lt; typed as such"},
        {"plain \xF0\x9F\x8E\x99 \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", "plain \xF0\x9F\x8E\x99 \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D"},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(XmlEscape(text), QString::fromUtf8(c.escaped)) << c.text;
        EXPECT_EQ(XmlUnescape(XmlEscape(text)), text) << c.text;
    }
    EXPECT_EQ(XmlUnescape(QStringLiteral("&AMP;&Lt;&#xa9;&nbsp;&")), QStringLiteral("&<\u00A9&nbsp;&"));
}

TEST(FeedText, EscapedTextReadsBackThroughAnXmlParser)
{
    // Random text over the characters that matter, escaped, parsed by Python, gives the text back.
    const QString alphabet = QStringLiteral("&<>'\"\u00A9;#ax \u05D0\U0001F399");
    QRandomGenerator random(20240229);
    const QString folder = testsupport::testFolder();
    for (int round = 0; round < 5; ++round) {
        QString text;
        for (int i = 0; i < 40; ++i) {
            const QChar c = alphabet[random.bounded(int(alphabet.size()))];
            text += c;
            if (c.isHighSurrogate())
                text += alphabet[alphabet.indexOf(c) + 1];
            else if (c.isLowSurrogate())
                text.chop(1);
        }
        EXPECT_EQ(XmlUnescape(XmlEscape(text)), text);
        const QString path = QDir(folder).filePath(QStringLiteral("t%1.xml").arg(round));
        testsupport::writeFile(path, "<t>" + XmlEscape(text).toUtf8() + "</t>");
        const auto parsed = testsupport::runPythonScript(QStringLiteral("feed_text_check.py"), {QStringLiteral("xml"), path});
        ASSERT_EQ(parsed.exitCode, 0) << parsed.err.toStdString();
        EXPECT_EQ(QString::fromUtf8(parsed.out), text);
    }
}

TEST(FeedText, AddressChecks)
{
    struct UrlCase {
        const char* text;
        bool valid;
    };
    const UrlCase urls[] = {
        {"http://example.org/feed.xml", true},
        {"https://example.org/a?b=1&c=2", true},
        {"see http://example.org", false},
        {"http://example.org/my show.mp3", false},
        {"http://example.org/(1)", false},
        {"example.org/feed.xml", false},
        {"ftp://example.org/feed.xml", false},
        {"HTTP://example.org", false},
        {"", false},
    };
    for (const UrlCase& c : urls)
        EXPECT_EQ(IsValidUrl(QString::fromUtf8(c.text)), c.valid) << c.text;

    struct MailCase {
        QString text;
        bool valid;
    };
    const MailCase mails[] = {
        {QStringLiteral("a@b.c"), false},
        {QStringLiteral("ab@cd.ef"), true},
        {QStringLiteral("  ab@cd.ef  "), true},
        {QStringLiteral("ab @cd.ef"), false},
        {QStringLiteral("abcdefgh"), false},
        {QStringLiteral("abc@defgh"), false},
        {QStringLiteral("a@b.") + QString(196, QLatin1Char('x')), true},
        {QStringLiteral("a@b.") + QString(197, QLatin1Char('x')), false},
    };
    for (const MailCase& c : mails)
        EXPECT_EQ(IsValidEmail(c.text), c.valid) << c.text.toStdString();
}
