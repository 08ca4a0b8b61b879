#include "podcast/UploadChecks.h"

#include <initializer_list>

namespace podcast {

namespace {

struct CheckRow {
    bool (*fails)(const PodcastRecord&);
    UploadCheck check;
};

// Field names from literals (a braced pair of literals would be read as a range of characters).
QStringList names(std::initializer_list<const char*> list)
{
    QStringList result;
    for (const char* name : list)
        result.append(QString::fromLatin1(name));
    return result;
}

bool iTunes(const PodcastRecord& record)
{
    return record.PodcastType == 1;
}

const QList<CheckRow>& checkTable()
{
    static const QList<CheckRow> table{
        {[](const PodcastRecord& r) { return r.FTPAddress.isEmpty(); },
         {UploadCheck::Stop, 1010, {}, XvqPage::HostSelection, names({"FTPAddressRO", "FTPAddressEdit"})}},
        {[](const PodcastRecord& r) { return r.LoginName.isEmpty(); },
         {UploadCheck::Stop, 1009, {}, XvqPage::HostSelection, names({"LoginNameRO", "UserNameRO", "LoginNameEdit"})}},
        {[](const PodcastRecord& r) { return r.AudioFilePath.isEmpty(); },
         {UploadCheck::Stop, 1011, {}, XvqPage::AudioFile, names({"AudioFilePathEdit"})}},
        {[](const PodcastRecord& r) { return r.FeedName.isEmpty(); },
         {UploadCheck::Stop, 1012, {}, XvqPage::FeedInfo, names({"FeedNameEdit"})}},
        {[](const PodcastRecord& r) { return r.FeedFilePath.isEmpty(); },
         {UploadCheck::Stop, 1012, {}, XvqPage::FeedInfo, names({"FeedNameEdit"})}},
        {[](const PodcastRecord& r) { return r.Password.isEmpty(); },
         {UploadCheck::Question, 0, "No Password given for FTP Host. Do you want to continue?", XvqPage::HostSelection,
          names({"PasswordEdit"})}},
        {[](const PodcastRecord& r) { return r.ItemTitle.isEmpty(); },
         {UploadCheck::Question, 0, "Title not given for Podcast Episode. Do you want to continue?",
          XvqPage::PodcastItemInfo, names({"PodcastTitleEdit", "ItemTitleEdit"})}},
        {[](const PodcastRecord& r) { return r.ItemDescription.isEmpty(); },
         {UploadCheck::Question, 0, "Description not given for Podcast Episode. Do you want to continue?",
          XvqPage::PodcastItemInfo, names({"DescriptionMemo", "ItemDescriptionMemo"})}},
        {[](const PodcastRecord& r) { return r.FeedTitle.isEmpty(); },
         {UploadCheck::Question, 0, "Title not given for Podcast Feed. Do you want to continue?", XvqPage::FeedInfo,
          names({"FeedTitleEdit"})}},
        {[](const PodcastRecord& r) { return r.FeedDescription.isEmpty(); },
         {UploadCheck::Question, 0, "Description not given for Podcast Feed. Do you want to continue?",
          XvqPage::FeedInfo, names({"FeedDescriptionMemo"})}},
        {[](const PodcastRecord& r) { return iTunes(r) && r.FeedOwner.isEmpty(); },
         {UploadCheck::Question, 0,
          "Owner name not given for Podcast Feed iTunes Information. Do you want to continue?",
          XvqPage::FeediTunesInfo, names({"SeriesOwnerNameEdit", "FeedOwnerEdit"})}},
        {[](const PodcastRecord& r) { return iTunes(r) && r.FeedOwnerEmail.isEmpty(); },
         {UploadCheck::Question, 0,
          "Owner email id not given for Podcast Feed iTunes Information. Do you want to continue?",
          XvqPage::FeediTunesInfo, names({"EmailEdit", "FeedOwnerEmailEdit"})}},
        {[](const PodcastRecord& r) { return iTunes(r) && (!r.Categories || r.Categories->isEmpty()); },
         {UploadCheck::Question, 0,
          "Podcast category and sub-category not given for Podcast Feed iTunes Information. Do you want to "
          "continue?",
          XvqPage::FeediTunesInfo, names({"SeriesCategoryButton"})}},
        {[](const PodcastRecord& r) { return r.PortNo == 0; },
         {UploadCheck::Question, 0, "Port Number not given for remote host. Do you want to continue",
          XvqPage::FTPInfo, names({"PortNoEdit", "PortEdit"})}},
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
