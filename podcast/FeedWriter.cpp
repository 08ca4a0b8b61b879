#include "podcast/FeedWriter.h"

#include "common/FeedText.h"
#include "platform/files/AtomicFile.h"

namespace podcast {

namespace {

using common::XmlEscape;

bool allowedInXml(char16_t c)
{
    return c >= 0x20 ? c < 0xFFFE : c == u'\t' || c == u'\n' || c == u'\r';
}

// The text without what XML cannot hold at all (controls other than tab and line ends, unpaired
// surrogates, U+FFFE and U+FFFF): one of them, pasted into a title, would make every reader refuse
// the whole feed.
QString xmlCharacters(const QString& text)
{
    QString kept;
    bool changed = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        bool keep = allowedInXml(c.unicode());
        if (c.isHighSurrogate())
            keep = i + 1 < text.size() && text[i + 1].isLowSurrogate();
        else if (c.isLowSurrogate())
            keep = i > 0 && text[i - 1].isHighSurrogate();
        if (keep && changed)
            kept += c;
        else if (!keep && !changed) {
            kept = text.left(i);
            changed = true;
        }
    }
    return changed ? kept : text;
}

// Whether anything of the text is written: one of nothing but such characters counts as empty.
bool isSet(const QString& text)
{
    return !xmlCharacters(text).isEmpty();
}

QString escapedText(const QString& text)
{
    return XmlEscape(xmlCharacters(text));
}

// An attribute's value: tabs and line ends as references as well, since a reader turns them into
// blanks otherwise.
QString escapedAttribute(const QString& value)
{
    QString escaped = escapedText(value);
    escaped.replace(QLatin1Char('\t'), QLatin1String("&#x9;"))
        .replace(QLatin1Char('\n'), QLatin1String("&#xA;"))
        .replace(QLatin1Char('\r'), QLatin1String("&#xD;"));
    return escaped;
}

QString element(const char* tag, const QString& text)
{
    const QString name = QLatin1String(tag);
    return QLatin1Char('<') + name + QLatin1Char('>') + escapedText(text) + QStringLiteral("</") + name
        + QLatin1Char('>');
}

void addIfSet(QStringList& lines, const char* tag, const QString& text)
{
    if (isSet(text))
        lines << element(tag, text);
}

QString attributeElement(const QString& head, const QString& value, const char* tail)
{
    return head + escapedAttribute(value) + QLatin1String(tail);
}

} // namespace

QStringList WriteFeedChannel(const FeedChannel& c)
{
    QStringList lines{QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
                      QStringLiteral("<rss version=\"2.0\" xmlns:itunes=\"%1\">").arg(QLatin1String(itunesNamespace)),
                      QStringLiteral("<channel>")};
    if (c.ttl != 0)
        lines << element("ttl", QString::number(c.ttl));
    lines << element("title", c.title) << element("description", c.description) << element("link", c.link);
    if (c.podcastType != 0) {
        addIfSet(lines, "webMaster", c.webMaster);
        addIfSet(lines, "managingEditor", c.managingEditor);
        addIfSet(lines, "copyright", c.copyright);
        addIfSet(lines, "language", c.language);
    }
    lines << QStringLiteral("<generator>Dvq RSS Feed Generation Engine</generator>");
    if (c.podcastType == 1) {
        addIfSet(lines, "itunes:subtitle", c.subtitle);
        addIfSet(lines, "itunes:keywords", c.keywords);
        if (isSet(c.ownerName) && isSet(c.ownerEmail)) {
            lines << element("itunes:author", c.ownerName) << QStringLiteral("<itunes:owner>")
                  << element("itunes:name", c.ownerName) << element("itunes:email", c.ownerEmail)
                  << QStringLiteral("</itunes:owner>");
        }
        addIfSet(lines, "itunes:summary", c.summary);
        addIfSet(lines, "itunes:explicit", c.explicitText);
        for (const FeedCategory& category : c.categories) {
            const bool hasCategory = isSet(category.category);
            if (hasCategory)
                lines << attributeElement(QStringLiteral("<itunes:category text=\""), category.category, "\">");
            if (isSet(category.subCategory))
                lines << attributeElement(QStringLiteral("<itunes:category text=\""), category.subCategory, "\"/>");
            if (hasCategory)
                lines << QStringLiteral("</itunes:category>");
        }
        addIfSet(lines, "itunes:block", c.block);
        if (isSet(c.imageLink))
            lines << attributeElement(QStringLiteral("<itunes:image  href=\""), c.imageLink, "\" />");
    }
    lines << QStringLiteral("</channel>") << QStringLiteral("</rss>");
    return lines;
}

namespace {

QStringList itemLines(int podcastType, const FeedItem& item)
{
    QStringList lines{QStringLiteral("<item>"), element("title", item.title), element("description", item.description),
                      element("pubDate", common::GetRfc822DateTime(item.pubDate)), element("link", item.link),
                      element("guid", item.link),
                      QStringLiteral("<enclosure length=\"%1\" url=\"%2\" type=\"%3\" />")
                          .arg(item.enclosureLength)
                          .arg(escapedAttribute(item.link), escapedAttribute(item.enclosureType))};
    if (podcastType == 1) {
        addIfSet(lines, "itunes:author", item.author);
        addIfSet(lines, "itunes:subtitle", item.subtitle);
        addIfSet(lines, "itunes:keywords", item.keywords);
        addIfSet(lines, "itunes:duration", item.duration);
        addIfSet(lines, "itunes:summary", item.summary);
        addIfSet(lines, "itunes:explicit", item.explicitText);
        addIfSet(lines, "itunes:block", item.block);
    }
    lines << QStringLiteral("</item>");
    return lines;
}

// Where a new item goes: the first item's line, or the channel's end when there is none.
qsizetype newItemLine(const QStringList& feedLines)
{
    for (qsizetype i = 0; i < feedLines.size(); ++i) {
        if (feedLines[i].contains(QLatin1String("</channel>")) || feedLines[i].contains(QLatin1String("<item>")))
            return i;
    }
    return feedLines.size();
}

} // namespace

void InsertFeedItem(QStringList& feedLines, int podcastType, const FeedItem& item)
{
    qsizetype at = newItemLine(feedLines);
    for (const QString& line : itemLines(podcastType, item))
        feedLines.insert(at++, line);
}

QByteArray feedBytes(const FeedChannel& channel, const QList<FeedItem>& oldestFirst)
{
    // The same text as inserting the items one by one above each other, written in one pass:
    // each would go where the one before it went, so the newest ends up first.
    const QStringList channelLines = WriteFeedChannel(channel);
    const qsizetype at = newItemLine(channelLines);
    const QString lineEnd = QStringLiteral("\r\n");
    QString text;
    const auto add = [&](const QString& line) {
        text += line;
        text += lineEnd;
    };
    for (qsizetype i = 0; i < at; ++i)
        add(channelLines[i]);
    for (qsizetype i = oldestFirst.size() - 1; i >= 0; --i) {
        for (const QString& line : itemLines(channel.podcastType, oldestFirst[i]))
            add(line);
    }
    for (qsizetype i = at; i < channelLines.size(); ++i)
        add(channelLines[i]);
    return text.toUtf8();
}

bool writeFeedFile(const QString& feedPath, const FeedChannel& channel, const QList<FeedItem>& oldestFirst,
                   QString* errorText)
{
    return platform::writeFileAtomically(feedPath, feedBytes(channel, oldestFirst), errorText);
}

} // namespace podcast
