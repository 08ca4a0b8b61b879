#pragma once
// Reads a podcast feed back: RSS 2.0 through an XML parser (CDATA, entities, any layout), and, for
// files the parser refuses, the one-element-a-line layout that older versions of our writer made
// (in the single-byte code page, with unescaped addresses). Texts come back plain (unescaped).
#include "podcast/FeedModel.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace podcast {

enum class FeedReadResult { Ok, CannotOpen, NotAFeed };

inline constexpr qint64 maxFeedFileSize = 64 * 1024 * 1024;

FeedReadResult readFeedBytes(const QByteArray& bytes, Feed& feed);
// CannotOpen for a missing or unreadable file and for one larger than maxFeedFileSize.
FeedReadResult readFeedFile(const QString& feedPath, Feed& feed);
// Appends one title per item; its count is the feed's item count.
FeedReadResult GetFeedItemTitles(const QString& feedPath, QStringList& titles);

// The line reader of the older layout. Texts are returned as they stand in the file (escaped).
// The text of the first element opened by openingTag (e.g. "<title>"); an element that runs over
// several lines gets one blank per line end.
QString GetElementText(const QStringList& lines, const QString& openingTag);
// The same within the itemNumber-th item (1-based).
QString GetItemElementText(const QStringList& lines, const QString& openingTag, int itemNumber);
// The channel's categories before its first item, their names unescaped.
void ReadFeedCategories(const QStringList& lines, QList<FeedCategory>& categories);
// The whole feed from the older layout; NotAFeed when the lines hold no channel.
FeedReadResult readFeedLines(const QStringList& lines, Feed& feed);

} // namespace podcast
