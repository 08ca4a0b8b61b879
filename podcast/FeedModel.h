#pragma once
// The contents of a podcast feed: its channel and its items, as the feed writer writes them and
// the feed reader finds them. Texts are plain (never escaped); the writer escapes them.
#include <QDateTime>
#include <QList>
#include <QString>

namespace podcast {

struct FeedCategory {
    QString category;
    QString subCategory;
};

struct FeedChannel {
    // 0 basic, 1 with the iTunes tags (anything else writes as basic plus the series lines).
    int podcastType = 0;
    int ttl = 0;
    QString title;
    QString description;
    QString link;
    QString pubDate; // read only: the channel's own date as written
    QString webMaster;
    QString managingEditor;
    QString copyright;
    QString language; // the code, e.g. "en-us"
    QString subtitle;
    QString keywords;
    QString ownerName;
    QString ownerEmail;
    QString summary;
    QString explicitText;
    QString block;
    QList<FeedCategory> categories;
    QString imageLink;
};

struct FeedItem {
    QString title;
    QString description;
    // Written in UTC; an invalid moment is written as now. Read back invalid when the feed's date
    // is missing or not a date.
    QDateTime pubDate;
    QString link;
    QString guid; // read only: the writer gives the link as the guid
    qint64 enclosureLength = 0;
    QString enclosureType;
    QString author;
    QString subtitle;
    QString keywords;
    QString duration;
    QString summary;
    QString explicitText;
    QString block;
};

// The whole feed; items in file order (our feeds list the newest first).
struct Feed {
    FeedChannel channel;
    QList<FeedItem> items;
};

} // namespace podcast
