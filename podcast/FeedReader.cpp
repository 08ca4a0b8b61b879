#include "podcast/FeedReader.h"

#include "common/FeedText.h"
#include "platform/settings/TextDecoding.h"
#include "podcast/FeedWriter.h"

#include <QFile>
#include <QStringDecoder>
#include <QXmlStreamReader>

namespace podcast {

namespace {

QDateTime pubDateMoment(const QString& text)
{
    return common::NumericDateToUtc(common::ConvertPubDateToNumeric(text));
}

bool isItunes(const QXmlStreamReader& xml)
{
    return xml.namespaceUri().compare(QLatin1String(itunesNamespace), Qt::CaseInsensitive) == 0
        || xml.prefix() == QLatin1String("itunes");
}

QString text(QXmlStreamReader& xml)
{
    return xml.readElementText(QXmlStreamReader::IncludeChildElements);
}

void readCategory(QXmlStreamReader& xml, FeedChannel& channel)
{
    FeedCategory category{xml.attributes().value(QLatin1String("text")).toString(), {}};
    while (xml.readNextStartElement()) {
        if (isItunes(xml) && xml.name() == QLatin1String("category"))
            category.subCategory = xml.attributes().value(QLatin1String("text")).toString();
        xml.skipCurrentElement();
    }
    channel.categories << category;
}

void readOwner(QXmlStreamReader& xml, FeedChannel& channel)
{
    while (xml.readNextStartElement()) {
        if (isItunes(xml) && xml.name() == QLatin1String("name"))
            channel.ownerName = text(xml);
        else if (isItunes(xml) && xml.name() == QLatin1String("email"))
            channel.ownerEmail = text(xml);
        else
            xml.skipCurrentElement();
    }
}

FeedItem readItem(QXmlStreamReader& xml)
{
    FeedItem item;
    QString enclosureUrl;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (isItunes(xml)) {
            QString* target = name == QLatin1String("author")     ? &item.author
                            : name == QLatin1String("subtitle")   ? &item.subtitle
                            : name == QLatin1String("keywords")   ? &item.keywords
                            : name == QLatin1String("duration")   ? &item.duration
                            : name == QLatin1String("summary")    ? &item.summary
                            : name == QLatin1String("explicit")   ? &item.explicitText
                            : name == QLatin1String("block")      ? &item.block
                                                                  : nullptr;
            if (target)
                *target = text(xml);
            else
                xml.skipCurrentElement();
        } else if (name == QLatin1String("title")) {
            item.title = text(xml);
        } else if (name == QLatin1String("description")) {
            item.description = text(xml);
        } else if (name == QLatin1String("pubDate")) {
            item.pubDate = pubDateMoment(text(xml).trimmed());
        } else if (name == QLatin1String("link")) {
            item.link = text(xml).trimmed();
        } else if (name == QLatin1String("guid")) {
            item.guid = text(xml).trimmed();
        } else if (name == QLatin1String("enclosure")) {
            const QXmlStreamAttributes attributes = xml.attributes();
            enclosureUrl = attributes.value(QLatin1String("url")).toString().trimmed();
            item.enclosureType = attributes.value(QLatin1String("type")).toString();
            item.enclosureLength = qMax<qint64>(0, attributes.value(QLatin1String("length")).toLongLong());
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    // Many feeds name the audio only in the enclosure.
    if (item.link.isEmpty())
        item.link = enclosureUrl;
    return item;
}

void readChannel(QXmlStreamReader& xml, Feed& feed)
{
    FeedChannel& channel = feed.channel;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (isItunes(xml)) {
            QString* target = name == QLatin1String("subtitle") ? &channel.subtitle
                            : name == QLatin1String("keywords") ? &channel.keywords
                            : name == QLatin1String("summary")  ? &channel.summary
                            : name == QLatin1String("explicit") ? &channel.explicitText
                            : name == QLatin1String("block")    ? &channel.block
                                                                : nullptr;
            if (target) {
                *target = text(xml);
            } else if (name == QLatin1String("owner")) {
                readOwner(xml, channel);
            } else if (name == QLatin1String("category")) {
                readCategory(xml, channel);
            } else if (name == QLatin1String("image")) {
                channel.imageLink = xml.attributes().value(QLatin1String("href")).toString().trimmed();
                xml.skipCurrentElement();
            } else {
                xml.skipCurrentElement();
            }
            continue;
        }
        QString* target = name == QLatin1String("title")          ? &channel.title
                        : name == QLatin1String("description")    ? &channel.description
                        : name == QLatin1String("link")           ? &channel.link
                        : name == QLatin1String("pubDate")        ? &channel.pubDate
                        : name == QLatin1String("webMaster")      ? &channel.webMaster
                        : name == QLatin1String("managingEditor") ? &channel.managingEditor
                        : name == QLatin1String("copyright")      ? &channel.copyright
                        : name == QLatin1String("language")       ? &channel.language
                                                                  : nullptr;
        if (target) {
            *target = text(xml);
        } else if (name == QLatin1String("ttl")) {
            // A TTL that is not a whole number of minutes is left out.
            bool ok = false;
            const int ttl = text(xml).trimmed().toInt(&ok);
            channel.ttl = ok && ttl > 0 ? ttl : 0;
        } else if (name == QLatin1String("item")) {
            feed.items << readItem(xml);
        } else {
            xml.skipCurrentElement();
        }
    }
}

enum class XmlOutcome { Ok, NotAFeed, NotWellFormed };

XmlOutcome readXml(const QByteArray& bytes, Feed& feed)
{
    QXmlStreamReader xml(bytes);
    bool sawChannel = false;
    if (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("rss"))
            return xml.hasError() ? XmlOutcome::NotWellFormed : XmlOutcome::NotAFeed;
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("channel") && !sawChannel) {
                sawChannel = true;
                readChannel(xml, feed);
            } else {
                xml.skipCurrentElement();
            }
        }
    }
    while (!xml.atEnd() && !xml.hasError())
        xml.readNext();
    if (xml.hasError())
        return XmlOutcome::NotWellFormed;
    return sawChannel ? XmlOutcome::Ok : XmlOutcome::NotAFeed;
}

bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

qsizetype firstLineWith(const QStringList& lines, qsizetype from, const QString& what)
{
    for (qsizetype i = from; i < lines.size(); ++i) {
        if (lines[i].contains(what))
            return i;
    }
    return -1;
}

// Element text from line `first` on, with the search limited to lines before `end`.
QString elementText(const QStringList& lines, const QString& openingTag, qsizetype first, qsizetype end)
{
    qsizetype line = -1;
    for (qsizetype i = first; i < end; ++i) {
        if (lines[i].contains(openingTag)) {
            line = i;
            break;
        }
    }
    if (line < 0)
        return {};
    qsizetype pos = lines[line].indexOf(QLatin1Char('>'), lines[line].indexOf(openingTag));
    if (pos < 0)
        return {};
    ++pos;
    QString result;
    for (; line < lines.size(); ++line, pos = 0) {
        const qsizetype stop = lines[line].indexOf(QLatin1Char('<'), pos);
        if (stop >= 0)
            return result + lines[line].mid(pos, stop - pos);
        result += lines[line].mid(pos) + QLatin1Char(' ');
    }
    return result;
}

// The past-the-last line of the item whose "<item>" is on line first.
qsizetype itemEnd(const QStringList& lines, qsizetype first)
{
    qsizetype end = first + 1;
    while (end < lines.size() && !lines[end].contains(QLatin1String("</item>"))
           && !lines[end].contains(QLatin1String("<item>")))
        ++end;
    return end;
}

// The first and past-the-last line of the itemNumber-th item; first < 0 when there is none.
std::pair<qsizetype, qsizetype> itemLines(const QStringList& lines, int itemNumber)
{
    int count = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].contains(QLatin1String("<item>")) && ++count == itemNumber)
            return {i, itemEnd(lines, i)};
    }
    return {-1, -1};
}

QString attributeText(const QString& line)
{
    const qsizetype name = line.indexOf(QLatin1String(" text"));
    const qsizetype equals = name < 0 ? -1 : line.indexOf(QLatin1Char('='), name);
    const qsizetype open = equals < 0 ? -1 : line.indexOf(QLatin1Char('"'), equals);
    const qsizetype close = open < 0 ? -1 : line.indexOf(QLatin1Char('"'), open + 1);
    return close < 0 ? QString() : line.mid(open + 1, close - open - 1);
}

} // namespace

QString GetElementText(const QStringList& lines, const QString& openingTag)
{
    return elementText(lines, openingTag, 0, lines.size());
}

QString GetItemElementText(const QStringList& lines, const QString& openingTag, int itemNumber)
{
    const auto [first, end] = itemLines(lines, itemNumber);
    return first < 0 ? QString() : elementText(lines, openingTag, first, end);
}

void ReadFeedCategories(const QStringList& lines, QList<FeedCategory>& categories)
{
    qsizetype end = 0;
    while (end < lines.size() && !lines[end].contains(QLatin1String("</channel>"))
           && !lines[end].contains(QLatin1String("<item>")))
        ++end;
    for (qsizetype i = 0; i < end; ++i) {
        if (!lines[i].contains(QLatin1String("<itunes:category ")))
            continue;
        FeedCategory category{common::XmlUnescape(attributeText(lines[i])), {}};
        const qsizetype close = firstLineWith(lines, i + 1, QStringLiteral("</itunes:category>"));
        // A category left open takes no sub-category from the items below it.
        const qsizetype stop = close < 0 || close > end ? end : close;
        for (qsizetype j = i + 1; j < stop; ++j) {
            if (lines[j].contains(QLatin1String("<itunes:category ")))
                category.subCategory = common::XmlUnescape(attributeText(lines[j]));
        }
        categories << category;
        if (close < 0 || close > end)
            return;
        i = close;
    }
}

FeedReadResult readFeedLines(const QStringList& lines, Feed& feed)
{
    if (firstLineWith(lines, 0, QStringLiteral("<channel>")) < 0)
        return FeedReadResult::NotAFeed;
    const qsizetype firstItem = firstLineWith(lines, 0, QStringLiteral("<item>"));
    const qsizetype channelEnd = firstItem < 0 ? lines.size() : firstItem;
    const auto channelText = [&](const char* tag) {
        return common::XmlUnescape(elementText(lines, QLatin1String(tag), 0, channelEnd));
    };
    FeedChannel& c = feed.channel;
    c.title = channelText("<title>");
    c.description = channelText("<description>");
    c.link = channelText("<link>");
    c.pubDate = channelText("<pubDate>");
    c.webMaster = channelText("<webMaster>");
    c.managingEditor = channelText("<managingEditor>");
    c.copyright = channelText("<copyright>");
    c.language = channelText("<language>");
    bool ok = false;
    const int ttl = channelText("<ttl>").trimmed().toInt(&ok);
    c.ttl = ok && ttl > 0 ? ttl : 0;
    c.subtitle = channelText("<itunes:subtitle>");
    c.keywords = channelText("<itunes:keywords>");
    c.ownerName = channelText("<itunes:name>");
    c.ownerEmail = channelText("<itunes:email>");
    c.summary = channelText("<itunes:summary>");
    c.explicitText = channelText("<itunes:explicit>");
    c.block = channelText("<itunes:block>");
    ReadFeedCategories(lines, c.categories);

    // Each item's lines are found once, in one pass: a long feed is read in time in proportion.
    for (qsizetype first = firstItem; first >= 0; first = firstLineWith(lines, first + 1, QStringLiteral("<item>"))) {
        const qsizetype end = itemEnd(lines, first);
        const auto itemText = [&](const char* tag) {
            return common::XmlUnescape(elementText(lines, QLatin1String(tag), first, end));
        };
        FeedItem item;
        item.title = itemText("<title>");
        item.description = itemText("<description>");
        item.pubDate = pubDateMoment(itemText("<pubDate>").trimmed());
        item.link = itemText("<link>").trimmed();
        item.guid = itemText("<guid>").trimmed();
        item.author = itemText("<itunes:author>");
        item.subtitle = itemText("<itunes:subtitle>");
        item.keywords = itemText("<itunes:keywords>");
        item.duration = itemText("<itunes:duration>");
        item.summary = itemText("<itunes:summary>");
        item.explicitText = itemText("<itunes:explicit>");
        item.block = itemText("<itunes:block>");
        feed.items << item;
    }
    return FeedReadResult::Ok;
}

FeedReadResult readFeedBytes(const QByteArray& bytes, Feed& feed)
{
    if (isValidUtf8(bytes)) {
        Feed parsed;
        switch (readXml(bytes, parsed)) {
        case XmlOutcome::Ok:
            feed = parsed;
            return FeedReadResult::Ok;
        case XmlOutcome::NotAFeed:
            return FeedReadResult::NotAFeed;
        case XmlOutcome::NotWellFormed:
            break;
        }
    }
    QStringList lines = platform::decodeUtf8OrWindows1252(bytes).split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    Feed parsed;
    const FeedReadResult result = readFeedLines(lines, parsed);
    if (result == FeedReadResult::Ok)
        feed = parsed;
    return result;
}

FeedReadResult readFeedFile(const QString& feedPath, Feed& feed)
{
    QFile file(feedPath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxFeedFileSize)
        return FeedReadResult::CannotOpen;
    const QByteArray bytes = file.read(maxFeedFileSize + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > maxFeedFileSize)
        return FeedReadResult::CannotOpen;
    return readFeedBytes(bytes, feed);
}

FeedReadResult GetFeedItemTitles(const QString& feedPath, QStringList& titles)
{
    Feed feed;
    const FeedReadResult result = readFeedFile(feedPath, feed);
    for (const FeedItem& item : feed.items)
        titles << item.title;
    return result;
}

} // namespace podcast
