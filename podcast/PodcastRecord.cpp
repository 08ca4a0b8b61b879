#include "podcast/PodcastRecord.h"

#include <QFileInfo>

namespace podcast {

void ClearItemFields(PodcastRecord& record)
{
    record.AudioFilePath.clear();
    record.FeedTitle.clear();
    record.FeedDescription.clear();
    record.FeedName.clear();
    record.FeedDateTime.clear();
    record.SeriesWebMaster.clear();
    record.SeriesCopyright.clear();
    record.SeriesEditor.clear();
    record.SeriesLanguage.clear();
    record.SeriesTTL = 0;
    record.FeedSubtitle.clear();
    record.FeedKeywords.clear();
    record.FeedOwner.clear();
    record.FeedOwnerEmail.clear();
    record.FeedSummary.clear();
    record.FeedExplicit = QStringLiteral("No");
    record.FeedBlock = QStringLiteral("No");
    record.Categories.reset();
    record.SubCategories.reset();
    record.FeedImagePath.clear();
    record.FeedImageLink.clear();
    record.ArtworkFileName.clear();
    record.ItemAuthor.clear();
    record.ItemSubtitle.clear();
    record.ItemKeywords.clear();
    record.ItemSummary.clear();
    record.ItemExplicit = QStringLiteral("No");
    record.ItemBlock = QStringLiteral("No");
    record.ItemDuration.clear();
    record.HTMLFileName.clear();
    record.HTMLFileLink.clear();
    record.HTMLFilePath.clear();
    record.ItemURL.clear();
    record.ItemTitle.clear();
    record.ItemDescription.clear();
    record.ItemDateTime.clear();
    record.ItemUploaded = false;
}

std::optional<AudioFileKind> audioKindOfPath(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("wav"))
        return AudioFileKind::Wav;
    if (suffix == QLatin1String("mp3"))
        return AudioFileKind::Mp3;
    if (suffix == QLatin1String("wma"))
        return AudioFileKind::Wma;
    return std::nullopt;
}

} // namespace podcast
