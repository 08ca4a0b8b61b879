#pragma once
// The feed of a podcast project: generated whole from the project file, and a feed with no
// project beside it imported into a new project. Results are the project file's message ids.
#include "podcast/FeedModel.h"
#include "podcast/PodcastRecord.h"

#include <QString>

namespace podcast {

// Writes the feed of the project at projectPath to feedPath (replaced atomically). Episodes are
// listed from the highest number down to episode 1. An episode date is read as UTC in the form
// "MM/dd/yyyy HH:mm:ss"; an empty or unreadable one is written as now.
int GenerateFeed(const QString& projectPath, const QString& feedPath);

// Builds the project at projectPath from the feed at feedPath. The feed's last item becomes
// episode 1, so that generating the project again lists the items in the feed's order. A feed
// that cannot be read, or is no RSS feed, gives PdiCannotOpen (the reason goes to the log).
int ImportFeedToPDI(const QString& feedPath, const QString& projectPath);

// The record's channel and current episode as the feed writes them.
FeedChannel feedChannelOf(const PodcastRecord& record);
FeedItem feedItemOf(const PodcastRecord& record);
// The channel of a read feed into a zeroed record (the feed's own path in FeedFilePath).
void ReadFeedChannel(const Feed& feed, const QString& feedPath, PodcastRecord& record);
// Item index (0-based, file order) of a read feed into the record's current episode.
void ReadFeedItem(const Feed& feed, const QString& feedPath, qsizetype index, PodcastRecord& record);

} // namespace podcast
