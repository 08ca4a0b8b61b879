#include "podcast/UploadChecks.h"

namespace podcast {

namespace {

struct CheckRow {
    bool (*fails)(const PodcastRecord&);
    UploadCheck check;
};

bool iTunes(const PodcastRecord& record)
{
    return record.PodcastType == 1;
}

const QList<CheckRow>& checkTable()
{
    static const QList<CheckRow> table{
        {[](const PodcastRecord& r) { return r.FTPAddress.isEmpty(); },
         {UploadCheck::Stop, 1010, {}, XvqPage::HostSelection, {"FTPAddressRO", "FTPAddressEdit"}}},
        {[](const PodcastRecord& r) { return r.LoginName.isEmpty(); },
         {UploadCheck::Stop, 1009, {}, XvqPage::HostSelection, {"LoginNameRO", "UserNameRO", "LoginNameEdit"}}},
        {[](const PodcastRecord& r) { return r.AudioFilePath.isEmpty(); },
         {UploadCheck::Stop, 1011, {}, XvqPage::AudioFile, {"AudioFilePathEdit"}}},
        {[](const PodcastRecord& r) { return r.FeedName.isEmpty(); },
         {UploadCheck::Stop, 1012, {}, XvqPage::FeedInfo, {"FeedNameEdit"}}},
        {[](const PodcastRecord& r) { return r.FeedFilePath.isEmpty(); },
         {UploadCheck::Stop, 1012, {}, XvqPage::FeedInfo, {"FeedNameEdit"}}},
        {[](const PodcastRecord& r) { return r.Password.isEmpty(); },
         {UploadCheck::Question, 0, "No Password given for FTP Host. Do you want to continue?", XvqPage::HostSelection,
          {"PasswordEdit"}}},
        {[](const PodcastRecord& r) { return r.ItemTitle.isEmpty(); },
         {UploadCheck::Question, 0, "Title not given for Podcast Episode. Do you want to continue?",
          XvqPage::PodcastItemInfo, {"PodcastTitleEdit", "ItemTitleEdit"}}},
        {[](const PodcastRecord& r) { return r.ItemDescription.isEmpty(); },
         {UploadCheck::Question, 0, "Description not given for Podcast Episode. Do you want to continue?",
          XvqPage::PodcastItemInfo, {"DescriptionMemo", "ItemDescriptionMemo"}}},
        {[](const PodcastRecord& r) { return r.FeedTitle.isEmpty(); },
         {UploadCheck::Question, 0, "Title not given for Podcast Feed. Do you want to continue?", XvqPage::FeedInfo,
          {"FeedTitleEdit"}}},
        {[](const PodcastRecord& r) { return r.FeedDescription.isEmpty(); },
         {UploadCheck::Question, 0, "Description not given for Podcast Feed. Do you want to continue?",
          XvqPage::FeedInfo, {"FeedDescriptionMemo"}}},
        {[](const PodcastRecord& r) { return iTunes(r) && r.FeedOwner.isEmpty(); },
         {UploadCheck::Question, 0,
          "Owner name not given for Podcast Feed iTunes Information. Do you want to continue?",
          XvqPage::FeediTunesInfo, {"SeriesOwnerNameEdit", "FeedOwnerEdit"}}},
        {[](const PodcastRecord& r) { return iTunes(r) && r.FeedOwnerEmail.isEmpty(); },
         {UploadCheck::Question, 0,
          "Owner email id not given for Podcast Feed iTunes Information. Do you want to continue?",
          XvqPage::FeediTunesInfo, {"EmailEdit", "FeedOwnerEmailEdit"}}},
        {[](const PodcastRecord& r) { return iTunes(r) && (!r.Categories || r.Categories->isEmpty()); },
         {UploadCheck::Question, 0,
          "Podcast category and sub-category not given for Podcast Feed iTunes Information. Do you want to "
          "continue?",
          XvqPage::FeediTunesInfo, {"SeriesCategoryButton"}}},
        {[](const PodcastRecord& r) { return r.PortNo == 0; },
         {UploadCheck::Question, 0, "Port Number not given for remote host. Do you want to continue",
          XvqPage::FTPInfo, {"PortNoEdit", "PortEdit"}}},
    };
    return table;
}

} // namespace

QList<UploadCheck> FailingUploadChecks(const PodcastRecord& record)
{
    QList<UploadCheck> failing;
    for (const CheckRow& row : checkTable()) {
        if (row.fails(record))
            failing.append(row.check);
    }
    return failing;
}

QStringList BuildUploadList(const QStringList& chosenAudio, const PodcastRecord& record)
{
    QStringList files = chosenAudio;
    if (!record.FeedFilePath.isEmpty())
        files.append(record.FeedFilePath);
    if (!record.HTMLFilePath.isEmpty())
        files.append(record.HTMLFilePath);
    if (iTunes(record) && !record.FeedImagePath.isEmpty())
        files.append(record.FeedImagePath);
    return files;
}

QStringList DeliveredEpisodes(const QStringList& episodes, const QStringList& audioPaths,
                              const QStringList& delivered)
{
    QStringList result;
    for (qsizetype index = 0; index < episodes.size() && index < audioPaths.size(); ++index) {
        if (delivered.contains(audioPaths[index]))
            result.append(episodes[index]);
    }
    return result;
}

} // namespace podcast
