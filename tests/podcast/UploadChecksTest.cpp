// What the builder checks before it publishes, and the files it sends, without widgets.
#include "podcast/UploadChecks.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

using namespace podcast;

static void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << '{' << list.join(QStringLiteral(" | ")).toStdString() << '}';
}

namespace {

// A record that passes every check.
PodcastRecord complete(int type)
{
    PodcastRecord r;
    r.PodcastType = quint8(type);
    r.FTPAddress = QStringLiteral("ftp.example.org");
    r.LoginName = QStringLiteral("pod");
    r.Password = QStringLiteral("secret");
    r.AudioFilePath = QStringLiteral("/p/ep1.mp3");
    r.FeedName = QStringLiteral("show.xml");
    r.FeedFilePath = QStringLiteral("/p/show.xml");
    r.HTMLFilePath = QStringLiteral("/p/show.html");
    r.ItemTitle = QStringLiteral("Episode");
    r.ItemDescription = QStringLiteral("About");
    r.FeedTitle = QStringLiteral("Show");
    r.FeedDescription = QStringLiteral("All about it");
    r.FeedOwner = QStringLiteral("Owner");
    r.FeedOwnerEmail = QStringLiteral("owner@example.org");
    r.Categories = QStringList{QStringLiteral("Arts")};
    r.SubCategories = QStringList{QString()};
    r.FeedImagePath = QStringLiteral("/p/art.jpg");
    r.PortNo = 21;
    return r;
}

// How a check is told apart in the expectations: the message id of a stop, the start of a question.
QString tag(const UploadCheck& check)
{
    return check.kind == UploadCheck::Stop ? QString::number(check.messageId) : check.question.left(20);
}

TEST(UploadChecks, OrderOfMissingFields)
{
    using Edit = std::function<void(PodcastRecord&)>;
    const struct {
        const char* name;
        int type;
        Edit edit;
        QStringList tags;                // every failing check, in order
        XvqPage firstPage;
        const char* firstField;
    } cases[] = {
        {"nothing missing", 1, [](PodcastRecord&) {}, {}, XvqPage::Welcome, ""},
        {"no address and no login: 1010 first", 0,
         [](PodcastRecord& r) {
             r.FTPAddress.clear();
             r.LoginName.clear();
         },
         {QStringLiteral("1010"), QStringLiteral("1009")}, XvqPage::HostSelection, "FTPAddressRO"},
        {"no login", 0, [](PodcastRecord& r) { r.LoginName.clear(); }, {"1009"}, XvqPage::HostSelection,
         "LoginNameRO"},
        {"no audio, no feed name, no feed path", 0,
         [](PodcastRecord& r) {
             r.AudioFilePath.clear();
             r.FeedName.clear();
             r.FeedFilePath.clear();
         },
         {"1011", "1012", "1012"}, XvqPage::AudioFile, "AudioFilePathEdit"},
        {"only the feed path", 0, [](PodcastRecord& r) { r.FeedFilePath.clear(); }, {"1012"}, XvqPage::FeedInfo,
         "FeedNameEdit"},
        {"a stop comes before every question", 0,
         [](PodcastRecord& r) {
             r.Password.clear();
             r.PortNo = 0;
             r.FeedName.clear();
         },
         {"1012", "No Password given fo", "Port Number not give"}, XvqPage::FeedInfo, "FeedNameEdit"},
        {"every question of a basic podcast", 0,
         [](PodcastRecord& r) {
             r.Password.clear();
             r.ItemTitle.clear();
             r.ItemDescription.clear();
             r.FeedTitle.clear();
             r.FeedDescription.clear();
             r.FeedOwner.clear();
             r.FeedOwnerEmail.clear();
             r.Categories.reset();
             r.PortNo = 0;
         },
         {"No Password given fo", "Title not given for ", "Description not give", "Title not given for ",
          "Description not give", "Port Number not give"},
         XvqPage::HostSelection, "PasswordEdit"},
        {"the iTunes questions", 1,
         [](PodcastRecord& r) {
             r.FeedOwner.clear();
             r.FeedOwnerEmail.clear();
             r.Categories = QStringList{};
         },
         {"Owner name not given", "Owner email id not g", "Podcast category and"}, XvqPage::FeediTunesInfo,
         "SeriesOwnerNameEdit"},
        {"episode description alone", 1, [](PodcastRecord& r) { r.ItemDescription.clear(); },
         {"Description not give"}, XvqPage::PodcastItemInfo, "DescriptionMemo"},
        {"feed description alone", 1, [](PodcastRecord& r) { r.FeedDescription.clear(); },
         {"Description not give"}, XvqPage::FeedInfo, "FeedDescriptionMemo"},
        {"port alone", 1, [](PodcastRecord& r) { r.PortNo = 0; }, {"Port Number not give"}, XvqPage::FTPInfo,
         "PortNoEdit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PodcastRecord record = complete(c.type);
        c.edit(record);
        const QList<UploadCheck> failing = FailingUploadChecks(record);
        QStringList tags;
        for (const UploadCheck& check : failing)
            tags.append(tag(check));
        EXPECT_EQ(tags, c.tags);
        if (!failing.isEmpty()) {
            EXPECT_EQ(failing.first().page, c.firstPage);
            EXPECT_EQ(failing.first().fields.value(0), QString::fromUtf8(c.firstField));
        }
    }
}

TEST(UploadChecks, QuestionsAreAskedWithTheirWholeText)
{
    PodcastRecord record = complete(1);
    record.PortNo = 0;
    record.Categories.reset();
    const QList<UploadCheck> failing = FailingUploadChecks(record);
    ASSERT_EQ(failing.size(), 2);
    EXPECT_EQ(failing[0].question, QStringLiteral("Podcast category and sub-category not given for Podcast Feed "
                                                  "iTunes Information. Do you want to continue?"));
    EXPECT_EQ(failing[1].question, QStringLiteral("Port Number not given for remote host. Do you want to continue"));
    EXPECT_EQ(failing[1].kind, UploadCheck::Question);
}

TEST(UploadList, OrderForBasicAndITunesPodcasts)
{
    const QStringList chosen{QStringLiteral("/p/ep1.mp3"), QStringLiteral("/p/ep3.mp3")};
    const struct {
        const char* name;
        int type;
        bool page;
        bool image;
        QStringList files;
    } cases[] = {
        {"basic: no artwork", 0, true, true,
         {"/p/ep1.mp3", "/p/ep3.mp3", "/p/show.xml", "/p/show.html"}},
        {"iTunes: artwork last", 1, true, true,
         {"/p/ep1.mp3", "/p/ep3.mp3", "/p/show.xml", "/p/show.html", "/p/art.jpg"}},
        {"iTunes without page or artwork", 1, false, false, {"/p/ep1.mp3", "/p/ep3.mp3", "/p/show.xml"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PodcastRecord record = complete(c.type);
        if (!c.page)
            record.HTMLFilePath.clear();
        if (!c.image)
            record.FeedImagePath.clear();
        EXPECT_EQ(BuildUploadList(chosen, record), c.files);
    }
}

TEST(UploadList, OnlyDeliveredEpisodesAreMarked)
{
    const QStringList episodes{QStringLiteral("01"), QStringLiteral("03")};
    const QStringList audio{QStringLiteral("/p/ep1.mp3"), QStringLiteral("/p/ep3.mp3")};
    EXPECT_EQ(DeliveredEpisodes(episodes, audio, audio), episodes);
    EXPECT_EQ(DeliveredEpisodes(episodes, audio, {QStringLiteral("/p/ep3.mp3"), QStringLiteral("/p/show.xml")}),
              QStringList{QStringLiteral("03")});
    EXPECT_EQ(DeliveredEpisodes(episodes, audio, {}), QStringList{});
}

} // namespace
