#pragma once
// The names of the sections and keys of a podcast project file (".pdi"), in the order in which a
// full save writes them, and the numbering of the episode sections and category keys.
#include <QString>

namespace podcast::pdi {

// The version every save writes; files without the key are version 2, files without the
// Settings section version 1.
inline constexpr int kCurrentVersion = 3;

inline constexpr char kSettings[] = "Settings";
inline constexpr char kPodcastType[] = "PodcastType";
inline constexpr char kLastActivePage[] = "LastActivePage";
inline constexpr char kFeedName[] = "FeedName";
inline constexpr char kAudioFileName[] = "AudioFileName";
inline constexpr char kHTMLFileName[] = "HTMLFileName";
inline constexpr char kPDIVersion[] = "PDIVersion";

inline constexpr char kID3Tag[] = "ID3Tag";
inline constexpr char kUseID3Tag[] = "UseID3Tag";

inline constexpr char kHostSelection[] = "HostSelection";
inline constexpr char kHostName[] = "HostName";
inline constexpr char kUserName[] = "username";
inline constexpr char kLoginName[] = "loginname";
inline constexpr char kUploadPath[] = "uploadpath";
inline constexpr char kPortNo[] = "PortNo";
inline constexpr char kHostType[] = "HostType";
inline constexpr char kFTPAddress[] = "FTPAddress";
inline constexpr char kWebsiteLink[] = "WebsiteLink";

inline constexpr char kFeedInfo[] = "FeedInfo";
inline constexpr char kFeedGenerated[] = "FeedGenerated";
inline constexpr char kFeedFilePath[] = "FeedFilePath";
inline constexpr char kFeedURL[] = "FeedURL";
inline constexpr char kFeedTitle[] = "FeedTitle";
inline constexpr char kFeedDescription[] = "FeedDescription"; // escaped
inline constexpr char kFeedDateTime[] = "FeedDateTime";

inline constexpr char kFeedItunesInfo[] = "FeedItunesInfo";
inline constexpr char kFeedSubtitle[] = "FeedSubtitle";
inline constexpr char kFeedKeywords[] = "FeedKeywords";
inline constexpr char kFeedOwner[] = "FeedOwner";
inline constexpr char kFeedOwnerEmail[] = "FeedOwnerEmail";
inline constexpr char kFeedSummary[] = "FeedSummary"; // escaped
inline constexpr char kFeedBlock[] = "FeedBlock";
inline constexpr char kFeedExplicit[] = "FeedExplicit";
inline constexpr char kFeedTotalCategories[] = "FeedTotalCategories";
inline constexpr char kFeedCategory[] = "FeedCategory"; // + number
inline constexpr char kFeedSubCategory[] = "FeedSubCategory"; // + number
inline constexpr char kFeedImagePath[] = "FeedImagePath";
inline constexpr char kFeedImageLink[] = "FeedImageLink";

inline constexpr char kMoreInfo[] = "MoreInfo";
inline constexpr char kSeriesWebMaster[] = "SeriesWebMaster";
inline constexpr char kSeriesCopyright[] = "SeriesCopyright";
inline constexpr char kSeriesEditor[] = "SeriesEditor";
inline constexpr char kSeriesLanguage[] = "SeriesLanguage";
inline constexpr char kSeriesTTL[] = "SeriesTTL";

inline constexpr char kItemsInformation[] = "ItemsInformation";
inline constexpr char kTotalItems[] = "TotalItems";

inline constexpr char kUploadInfo[] = "UploadInfo";
inline constexpr char kHTMLFileLink[] = "HTMLFileLink";
inline constexpr char kHTMLFilePath[] = "HTMLFilePath";

// Episode sections: + number (see sectionNumber); without a number in version-1 files.
inline constexpr char kPodcastItem[] = "PodcastItem";
inline constexpr char kAudioFilePath[] = "AudioFilePath";
inline constexpr char kItemURL[] = "ItemURL";
inline constexpr char kItemTitle[] = "ItemTitle";
inline constexpr char kItemDescription[] = "ItemDescription"; // escaped
inline constexpr char kItemDateTime[] = "ItemDateTime";
inline constexpr char kItemUploaded[] = "ItemUploaded";

inline constexpr char kItemItunesInfo[] = "ItemItunesInfo";
inline constexpr char kItemGuid[] = "ItemGuid";
inline constexpr char kItemAuthor[] = "ItemAuthor";
inline constexpr char kItemSubtitle[] = "ItemSubtitle";
inline constexpr char kItemKeywords[] = "ItemKeywords";
inline constexpr char kItemSummary[] = "ItemSummary"; // escaped
inline constexpr char kItemDuration[] = "ItemDuration";
inline constexpr char kItemBlock[] = "ItemBlock";
inline constexpr char kItemExplicit[] = "ItemExplicit";

// Version-1 files keep the audio path of their single episode here.
inline constexpr char kAudioFile[] = "AudioFile";

// The number of an episode section or category key: at least two digits, filled with "0" on the
// left, never cut (1 -> "01", 12 -> "12", 100 -> "100").
inline QString sectionNumber(int number)
{
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

inline QString podcastItemSection(int episode)
{
    return QLatin1String(kPodcastItem) + sectionNumber(episode);
}

inline QString itemItunesInfoSection(int episode)
{
    return QLatin1String(kItemItunesInfo) + sectionNumber(episode);
}

} // namespace podcast::pdi
