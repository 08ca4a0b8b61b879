#include "podcast/FeedProject.h"

#include "common/FeedText.h"
#include "podcast/FeedReader.h"
#include "podcast/FeedWriter.h"
#include "podcast/Log.h"
#include "podcast/ProjectFile.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace podcast {

namespace {

const QString numericForm = QStringLiteral("MM/dd/yyyy HH:mm:ss");

QString mimeType(AudioFileKind kind)
{
    switch (kind) {
    case AudioFileKind::Wav:
        return QStringLiteral("audio/wave");
    case AudioFileKind::Mp3:
        return QStringLiteral("audio/mpeg");
    case AudioFileKind::Wma:
        return QStringLiteral("audio/wma");
    case AudioFileKind::None:
        break;
    }
    return {};
}

// "English (United States): en-us" gives "en-us"; a bare code stays as it is.
QString languageCode(const QString& language)
{
    const qsizetype colon = language.indexOf(QLatin1Char(':'));
    return (colon < 0 ? language : language.mid(colon + 2)).trimmed();
}

// The file name an episode's address ends in, without its query.
QString audioFileName(const QString& link)
{
    const QUrl url(link);
    if (url.isValid() && !url.fileName().isEmpty())
        return url.fileName();
    return link.mid(link.lastIndexOf(QLatin1Char('/')) + 1);
}

bool hasItunesValues(const Feed& feed)
{
    const FeedChannel& c = feed.channel;
    if (!c.subtitle.isEmpty() || !c.keywords.isEmpty() || !c.ownerName.isEmpty() || !c.ownerEmail.isEmpty()
        || !c.summary.isEmpty() || !c.explicitText.isEmpty() || !c.block.isEmpty() || !c.categories.isEmpty()
        || !c.imageLink.isEmpty())
        return true;
    for (const FeedItem& i : feed.items) {
        if (!i.author.isEmpty() || !i.subtitle.isEmpty() || !i.keywords.isEmpty() || !i.duration.isEmpty()
            || !i.summary.isEmpty() || !i.explicitText.isEmpty() || !i.block.isEmpty())
            return true;
    }
    return false;
}

} // namespace

FeedChannel feedChannelOf(const PodcastRecord& r)
{
    FeedChannel c;
    c.podcastType = r.PodcastType == 255 ? 0 : r.PodcastType;
    c.ttl = r.SeriesTTL;
    c.title = r.FeedTitle;
    c.description = r.FeedDescription;
    c.link = r.FeedURL;
    c.webMaster = r.SeriesWebMaster;
    c.managingEditor = r.SeriesEditor;
    c.copyright = r.SeriesCopyright;
    c.language = languageCode(r.SeriesLanguage);
    c.subtitle = r.FeedSubtitle;
    c.keywords = r.FeedKeywords;
    c.ownerName = r.FeedOwner;
    c.ownerEmail = r.FeedOwnerEmail;
    c.summary = r.FeedSummary;
    c.explicitText = r.FeedExplicit;
    c.block = r.FeedBlock;
    const QStringList categories = r.Categories.value_or(QStringList());
    const QStringList subCategories = r.SubCategories.value_or(QStringList());
    for (qsizetype i = 0; i < categories.size(); ++i)
        c.categories << FeedCategory{categories[i], subCategories.value(i)};
    c.imageLink = r.FeedImageLink;
    return c;
}

FeedItem feedItemOf(const PodcastRecord& r)
{
    FeedItem item;
    item.title = r.ItemTitle;
    item.description = r.ItemDescription;
    item.pubDate = common::NumericDateToUtc(r.ItemDateTime);
    if (!item.pubDate.isValid() && !r.ItemDateTime.isEmpty())
        qCWarning(lcPodcast) << "episode date" << r.ItemDateTime << "is not a date; the feed gives the current time";
    item.link = r.ItemURL;
    item.enclosureLength = r.FileSize;
    item.enclosureType = mimeType(r.AudioKind);
    item.author = r.ItemAuthor;
    item.subtitle = r.ItemSubtitle;
    item.keywords = r.ItemKeywords;
    item.duration = r.ItemDuration;
    item.summary = r.ItemSummary;
    item.explicitText = r.ItemExplicit;
    item.block = r.ItemBlock;
    return item;
}

int GenerateFeed(const QString& projectPath, const QString& feedPath)
{
    PodcastRecord record;
    QList<PodcastRecord> episodes;
    if (const int result = ReadPDIProject(projectPath, record, episodes); result != PdiOk)
        return result;
    const FeedChannel channel = feedChannelOf(record);
    QList<FeedItem> items;
    items.reserve(episodes.size());
    for (const PodcastRecord& episode : episodes)
        items << feedItemOf(episode);
    QString error;
    if (!writeFeedFile(feedPath, channel, items, &error)) {
        qCWarning(lcPodcast) << "feed" << feedPath << "cannot be written:" << error;
        return PdiCannotCreate;
    }
    return PdiOk;
}

void ReadFeedChannel(const Feed& feed, const QString& feedPath, PodcastRecord& r)
{
    const FeedChannel& c = feed.channel;
    const QFileInfo info(feedPath);
    r.FeedName = info.fileName();
    r.HTMLFileName = info.completeBaseName() + QStringLiteral(".html");
    r.FeedFilePath = feedPath;
    r.FeedTitle = c.title;
    r.FeedDescription = c.description;
    r.FeedURL = c.link;
    r.FeedDateTime = common::ConvertPubDateToNumeric(c.pubDate);
    r.SeriesWebMaster = c.webMaster;
    r.SeriesEditor = c.managingEditor;
    r.SeriesCopyright = c.copyright;
    r.SeriesLanguage = c.language;
    r.SeriesTTL = c.ttl;
    r.FeedSubtitle = c.subtitle;
    r.FeedKeywords = c.keywords;
    r.FeedOwner = c.ownerName;
    r.FeedOwnerEmail = c.ownerEmail;
    r.FeedSummary = c.summary;
    r.FeedExplicit = c.explicitText;
    r.FeedBlock = c.block;
    r.FeedImageLink = c.imageLink;
    QStringList categories;
    QStringList subCategories;
    for (const FeedCategory& category : c.categories) {
        categories << category.category;
        subCategories << category.subCategory;
    }
    r.Categories = categories;
    r.SubCategories = subCategories;
    r.PodcastType = hasItunesValues(feed) ? 1 : 0;
    r.TotalItems = qint32(feed.items.size());
}

void ReadFeedItem(const Feed& feed, const QString& feedPath, qsizetype index, PodcastRecord& r)
{
    const FeedItem& item = feed.items.at(index);
    r.ItemDescription = item.description;
    r.ItemTitle = item.title;
    r.ItemDateTime = item.pubDate.isValid() ? item.pubDate.toUTC().toString(numericForm) : QString();
    r.ItemURL = item.link;
    r.AudioFilePath = QFileInfo(feedPath).absoluteDir().filePath(audioFileName(item.link));
    r.ItemGuid = item.guid;
    r.ItemAuthor = item.author;
    r.ItemSubtitle = item.subtitle;
    r.ItemKeywords = item.keywords;
    r.ItemSummary = item.summary;
    r.ItemDuration = item.duration;
    r.ItemExplicit = item.explicitText;
    r.ItemBlock = item.block;
}

int ImportFeedToPDI(const QString& feedPath, const QString& projectPath)
{
    Feed feed;
    switch (readFeedFile(feedPath, feed)) {
    case FeedReadResult::Ok:
        break;
    case FeedReadResult::CannotOpen:
        qCWarning(lcPodcast) << "feed" << feedPath << "cannot be read";
        return PdiCannotOpen;
    case FeedReadResult::NotAFeed:
        qCWarning(lcPodcast) << "file" << feedPath << "is not an RSS feed";
        return PdiCannotOpen;
    }
    PodcastRecord record;
    ReadFeedChannel(feed, feedPath, record);
    QList<PodcastRecord> episodes;
    episodes.reserve(feed.items.size());
    PodcastRecord episode = record;
    for (qsizetype index = feed.items.size() - 1; index >= 0; --index) {
        ReadFeedItem(feed, feedPath, index, episode);
        episodes << episode;
    }
    // A fresh file, so nothing of a project that was at projectPath before stays in it.
    return CreatePDIProject(projectPath, record, episodes);
}

} // namespace podcast
