#pragma once
// Text routines of the podcast feed and of the builder's input fields: RFC 822 dates and their
// numeric read-back, XML escaping, and the checks of typed web and e-mail addresses.
#include <QDateTime>
#include <QString>

#include <functional>

namespace common {

// The clock the feed reads "now" from; tests replace it while a FeedClockOverride lives.
QDateTime feedNow();
class FeedClockOverride {
public:
    explicit FeedClockOverride(std::function<QDateTime()> clock);
    ~FeedClockOverride();
    FeedClockOverride(const FeedClockOverride&) = delete;
    FeedClockOverride& operator=(const FeedClockOverride&) = delete;

private:
    std::function<QDateTime()> m_previous;
};

// "ddd, dd MMM yyyy HH:mm:ss GMT" with English names, of the moment converted to UTC; an invalid
// moment gives the current time (feedNow()).
QString GetRfc822DateTime(const QDateTime& moment);

// An RFC 822 date as "MM/dd/yyyy HH:mm:ss" in UTC. Our own form ("Tue, 05 Sep 2006 14:03:09 GMT")
// keeps its fields as written; other common forms (one-digit day, no weekday, no seconds, two-digit
// year, numeric or named zones) are converted to UTC. Empty text gives empty text; text that is not
// a date gives empty text as well.
QString ConvertPubDateToNumeric(const QString& pubDate);
// The inverse for the numeric form: a UTC moment, invalid when the text is not in that form.
QDateTime NumericDateToUtc(const QString& numeric);

// & < > ' " and the copyright sign become entities.
QString XmlEscape(const QString& text);
// The exact inverse of XmlEscape: the six entities (names without regard to case) are decoded in
// one pass from left to right, so an escaped entity comes back as the entity's own text.
QString XmlUnescape(const QString& text);

// False with "(", ")" or a blank; otherwise true when "http://" or "https://" appears.
bool IsValidUrl(const QString& text);
// 7 to 200 characters once trimmed, an "@" and a ".", and no blank inside.
bool IsValidEmail(const QString& text);

} // namespace common
