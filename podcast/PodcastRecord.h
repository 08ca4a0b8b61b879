#pragma once
// The podcast record: every value of one podcast project (feed, host and the current episode),
// shared by the builder's pages and read from and written to the project file. One episode at a
// time lives in the record; the project file holds all of them.
#include "platform/codecs/SongInfo.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace podcast {

enum class AudioFileKind : quint8 { None = 0, Wav = 1, Mp3 = 2, Wma = 3 };

enum class FtpHostType : quint8 { Predefined = 0, Custom = 1, None = 2 };

inline constexpr quint16 kDefaultFtpPort = 21;

struct PodcastRecord {
    AudioFileKind AudioKind = AudioFileKind::None;
    // Bytes of the episode's audio file; 64 bits so that files past 2 GiB keep their size.
    qint64 FileSize = 0;
    QString AudioFilePath;
    TID3InfoRecord SongInfo{};
    bool UseID3Tag = false;
    qint64 DurationMs = 0;
    quint8 Hours = 0;
    quint8 Minutes = 0;
    quint8 Seconds = 0;
    // 0 basic, 1 with iTunes tags.
    quint8 PodcastType = 0;
    quint8 LastActivePage = 0;
    // 0 a new podcast, 2 an existing project.
    quint8 FeedChoice = 0;
    qint32 TotalItems = 0;
    QString FeedName;
    QString AudioFileName;
    QString HTMLFileName;
    QString ArtworkFileName;
    bool FeedGenerated = false;
    QString FeedFilePath;
    QString FeedURL;
    QString FeedTitle;
    QString FeedDescription;
    QString FeedDateTime;
    QString SeriesWebMaster;
    QString SeriesCopyright;
    QString SeriesEditor;
    QString SeriesLanguage;
    // Minutes; 0 means none.
    qint32 SeriesTTL = 0;
    QString ItemURL;
    QString ItemTitle;
    QString ItemDescription;
    QString ItemDateTime;
    bool ItemUploaded = false;

    // The host part.
    QString HostName;
    FtpHostType HostType = FtpHostType::Predefined;
    QString WebsiteLink;
    QString FTPAddress;
    QString UploadPath;
    // 16 bits: a port such as 2121 must survive.
    quint16 PortNo = 0;
    QString UserName;
    QString LoginName;
    QString Password;
    quint8 HasUserName = 0;
    quint8 HasLoginName = 0;
    QString HostWebsiteTemplate;
    QString LoginNameTemplate;

    QString FeedSubtitle;
    QString FeedKeywords;
    QString FeedOwner;
    QString FeedOwnerEmail;
    QString FeedSummary;
    QString FeedBlock;
    QString FeedExplicit;
    // Pairs of equal length; no list at all is not the same as an empty one: only an existing list
    // is written to the project.
    std::optional<QStringList> Categories;
    std::optional<QStringList> SubCategories;
    QString FeedImagePath;
    QString FeedImageLink;
    QString ItemGuid;
    QString ItemAuthor;
    QString ItemSubtitle;
    QString ItemKeywords;
    QString ItemSummary;
    QString ItemDuration;
    QString ItemBlock;
    QString ItemExplicit;
    QString HTMLFileLink;
    QString HTMLFilePath;
};

// Empties the record for a new episode. The duration is cleared as well: a new episode whose audio
// cannot be read must not carry the previous episode's length into the feed. ItemGuid stays.
void ClearItemFields(PodcastRecord& record);

// The audio kind of a path's extension (any case); other extensions give nothing.
std::optional<AudioFileKind> audioKindOfPath(const QString& path);

} // namespace podcast
