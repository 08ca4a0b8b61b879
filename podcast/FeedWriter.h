#pragma once
// Writes an RSS 2.0 feed with the iTunes podcast tags: one element a line, CR LF line ends, UTF-8,
// every text and attribute escaped, characters XML cannot hold left out. New items go above the
// ones already there.
#include "podcast/FeedModel.h"

#include <QString>
#include <QStringList>

namespace podcast {

inline constexpr char itunesNamespace[] = "http://www.itunes.com/dtds/podcast-1.0.dtd";

// The lines of a feed that has a channel and no items yet.
QStringList WriteFeedChannel(const FeedChannel& channel);
// Inserts the item's lines before the first item (or before the channel's end when there is none).
// The iTunes lines are written only for podcast type 1.
void InsertFeedItem(QStringList& feedLines, int podcastType, const FeedItem& item);
// The feed's bytes, the items given oldest first so that the newest ends up at the top.
QByteArray feedBytes(const FeedChannel& channel, const QList<FeedItem>& oldestFirst);
// Replaces the file at feedPath atomically; false with errorText (optional) when it cannot be written.
bool writeFeedFile(const QString& feedPath, const FeedChannel& channel, const QList<FeedItem>& oldestFirst,
                   QString* errorText = nullptr);

} // namespace podcast
