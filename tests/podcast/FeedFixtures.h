#pragma once
// Small feeds shared by the writer's and the reader's tests: a basic one and one with the iTunes
// tags and hostile texts, and the tools that check a written feed.
#include "podcast/FeedModel.h"

#include <QJsonObject>
#include <QString>

namespace feedtest {

QDateTime utc(int y, int mo, int d, int h, int mi, int s);

podcast::FeedChannel basicChannel();
QList<podcast::FeedItem> basicItems(); // oldest first
podcast::FeedChannel itunesChannel();
QList<podcast::FeedItem> itunesItems(); // oldest first

// Lines given with "\n" as the file has them, with CR LF.
QByteArray crlf(const char* text);

// xmllint --noout: its messages, empty when the file is well-formed.
QString xmllintErrors(const QString& path);
// What feedparser and podcastparser found in the file (tests/scripts/feed_check.py).
QJsonObject pythonReading(const QString& path);

} // namespace feedtest
