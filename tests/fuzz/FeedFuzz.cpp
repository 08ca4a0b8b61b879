// Fuzz target of the feed reader: any bytes are read without a crash, a hang or a read past their
// end; and a feed once read and written by our writer reads back the same each time it is written
// and read again (the reader takes back what the writer writes).
#include "common/FeedText.h"
#include "podcast/FeedReader.h"
#include "podcast/FeedWriter.h"

#include <QByteArray>
#include <QStringList>
#include <QTimeZone>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace podcast;

QStringList fieldsOf(const Feed& feed)
{
    const FeedChannel& c = feed.channel;
    QStringList fields{QString::number(c.ttl), c.title,     c.description,  c.link,     c.pubDate,
                       c.webMaster,            c.managingEditor, c.copyright, c.language, c.subtitle,
                       c.keywords,             c.ownerName, c.ownerEmail,   c.summary,  c.explicitText,
                       c.block,                c.imageLink, QString::number(c.categories.size())};
    for (const FeedCategory& category : c.categories)
        fields << category.category << category.subCategory;
    fields << QString::number(feed.items.size());
    for (const FeedItem& i : feed.items) {
        fields << i.title << i.description << i.pubDate.toString(Qt::ISODate) << i.link << i.guid
               << QString::number(i.enclosureLength) << i.enclosureType << i.author << i.subtitle << i.keywords
               << i.duration << i.summary << i.explicitText << i.block;
    }
    return fields;
}

// The feed written by our writer with every tag it knows, and read back; false when the reader
// refuses what the writer wrote.
bool writtenAndRead(const Feed& feed, Feed& read)
{
    FeedChannel channel = feed.channel;
    channel.podcastType = 1;
    QList<FeedItem> oldestFirst = feed.items;
    std::reverse(oldestFirst.begin(), oldestFirst.end());
    return readFeedBytes(feedBytes(channel, oldestFirst), read) == FeedReadResult::Ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An undated item is written with the clock's time: a fixed one, so that both writes agree.
    static const common::FeedClockOverride clock(
        [] { return QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58), QTimeZone::utc()); });
    Feed feed;
    if (readFeedBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), feed) != FeedReadResult::Ok)
        return 0;
    Feed once;
    Feed twice;
    if (!writtenAndRead(feed, once) || !writtenAndRead(once, twice)) {
        std::fprintf(stderr, "the reader refused a feed our writer wrote\n");
        std::abort();
    }
    if (fieldsOf(once) != fieldsOf(twice)) {
        std::fprintf(stderr, "fields changed when written and read again:\n%s\n%s\n",
                     qPrintable(fieldsOf(once).join(u'|')), qPrintable(fieldsOf(twice).join(u'|')));
        std::abort();
    }
    return 0;
}
