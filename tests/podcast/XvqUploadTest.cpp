// The builder's upload road on its real pages, with the episode chooser and the upload window
// replaced: what is checked first, what is saved and written, what is sent and what is marked.
#include "tests/podcast/XvqUploadSupport.h"

#include "podcast/ProjectFile.h"


using namespace podcast;

namespace {

TEST_F(XvqUploadTest, SendsTheChosenEpisodesThenFeedPageAndArtworkAndMarksWhatArrived)
{
    const struct {
        const char* name;
        int type;
        bool audio3Arrives;
        QStringList uploaded; // episodes marked afterwards
    } cases[] = {
        {"basic podcast, everything arrives", 0, true, {QStringLiteral("01"), QStringLiteral("03")}},
        {"iTunes podcast, everything arrives", 1, true, {QStringLiteral("01"), QStringLiteral("03")}},
        {"episode 3 did not arrive", 0, false, {QStringLiteral("01")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString project = makeUploadProject(c.type);
        auto window = makeUploadWindow();
        window->prepareForExistingPodcast(project);
        window->show();
        chooser = ChosenEpisodes{{QStringLiteral("01"), QStringLiteral("03")}, {audio(1), audio(3)}};
        deliverAllBut = c.audio3Arrives ? QString() : audio(3);
        click(*window, QStringLiteral("UploadItem"));

        const QString feed = path(QStringLiteral("weekly.xml"));
        const QString page = path(QStringLiteral("weekly.html"));
        QStringList expected{audio(1), audio(3), feed, page};
        if (c.type == 1)
            expected.append(artwork);
        EXPECT_EQ(sentFiles, expected);
        EXPECT_EQ(account.hostName, QStringLiteral("ftp.example.org"));
        EXPECT_EQ(account.userName, QStringLiteral("anna.ftp"));
        EXPECT_EQ(account.password, QStringLiteral("s3cret"));
        EXPECT_EQ(account.remoteDir, QStringLiteral("/pod/cast"));
        EXPECT_EQ(account.port, 2121);
        EXPECT_EQ(chooserProject, project);
        EXPECT_TRUE(QFileInfo(feed).size() > 0);
        EXPECT_TRUE(QFileInfo(page).size() > 0);
        for (int n = 1; n <= 3; ++n) {
            const QString number = QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
            EXPECT_EQ(uploadedMark(project, n), c.uploaded.contains(number)) << n;
        }
        EXPECT_EQ(window->record().ItemUploaded, true) << "episode 1 is the current one";
        EXPECT_FALSE(window->changed());
        window->hide();
        resetRecording();
    }
}

TEST_F(XvqUploadTest, ChecksStopAtTheFirstMissingField)
{
    using Edit = std::function<void(PodcastRecord&)>;
    const struct {
        const char* name;
        Edit edit;
        QStringList answers; // the questions' answers before the stop, "message" for a stop's box
        const char* shows;   // the text of the last box
        XvqPage page;
        const char* field;
    } cases[] = {
        {"no address and no login: only 1010", [](PodcastRecord& r) { r.FTPAddress.clear(); r.LoginName.clear(); },
         {"ok"}, "Please Specify FTP Host Address", XvqPage::HostSelection, "FTPAddressRO"},
        {"no feed name", [](PodcastRecord& r) { r.FeedName.clear(); }, {"ok"},
         "Please Specify Valid Feed Filename To Upload", XvqPage::FeedInfo, "FeedNameEdit"},
        {"password: No", [](PodcastRecord& r) { r.HostName.clear(); }, {"no"}, "No Password given for FTP Host",
         XvqPage::HostSelection, "PasswordEdit"},
        {"no episode title: No after Yes to the password", [](PodcastRecord& r) {
             r.HostName.clear();
             r.ItemTitle.clear();
         },
         {QStringLiteral("yes"), QStringLiteral("no")}, "Title not given for Podcast Episode", XvqPage::PodcastItemInfo, "ItemTitleEdit"},
        {"no owner e-mail", [](PodcastRecord& r) { r.FeedOwnerEmail.clear(); }, {"no"},
         "Owner email id not given", XvqPage::FeediTunesInfo, "FeedOwnerEmailEdit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString project = makeUploadProject(1, c.edit);
        const QByteArray before = testsupport::hashOf(project);
        auto window = makeUploadWindow();
        window->prepareForExistingPodcast(project);
        window->show();
        for (const QString& answer : c.answers) {
            const bool last = &answer == &c.answers.back();
            const int id = answer == QStringLiteral("yes") ? platform::IDYES
                           : answer == QStringLiteral("no") ? platform::IDNO
                                                            : platform::IDOK;
            interaction.expectMessageBox(id, last ? QString::fromUtf8(c.shows) : QString());
        }
        click(*window, QStringLiteral("UploadItem"));
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(shownPage(*window), c.page);
        QWidget* focused = window->focusWidget();
        EXPECT_EQ(focused ? focused->objectName() : QString(), QString::fromUtf8(c.field));
        EXPECT_TRUE(sentFiles.isEmpty());
        EXPECT_TRUE(chooserProject.isEmpty());
        EXPECT_EQ(testsupport::hashOf(project), before);
        EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("weekly.xml"))));
        window->hide();
        resetRecording();
    }
}

} // namespace

namespace {

TEST_F(XvqUploadTest, UnsavedChangesAreSavedBeforeAnythingIsWritten)
{
    const QString project = makeUploadProject(0);
    const QByteArray before = testsupport::hashOf(project);
    auto window = makeUploadWindow();
    window->prepareForExistingPodcast(project);
    window->show();
    window->requestPage(XvqPage::PodcastItemInfo);
    ASSERT_EQ(shownPage(*window), XvqPage::PodcastItemInfo);
    auto* title = named<QLineEdit>(*window, QStringLiteral("ItemTitleEdit"));
    ASSERT_NE(title, nullptr);
    title->end(false);
    QTest::keyClicks(title, QStringLiteral(" (new)"));
    window->requestPage(XvqPage::Upload);
    ASSERT_EQ(shownPage(*window), XvqPage::Upload);
    ASSERT_TRUE(window->changed());
    chooser = ChosenEpisodes{{QStringLiteral("01")}, {audio(1)}};

    // No: the upload ends before the project, the feed or the page is written.
    interaction.expectMessageBox(platform::IDNO, QStringLiteral("Before uploading you need to save changes."));
    click(*window, QStringLiteral("UploadButton"));
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(testsupport::hashOf(project), before);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("weekly.xml"))));
    EXPECT_TRUE(sentFiles.isEmpty());

    // Yes: saved, then written and sent.
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("Before uploading you need to save changes."));
    click(*window, QStringLiteral("UploadButton"));
    EXPECT_TRUE(interaction.allConsumed());
    QString saved;
    ASSERT_EQ(ReadPDIItemString(project, QStringLiteral("ItemTitle"), 1, saved), PdiOk);
    EXPECT_EQ(saved, QStringLiteral("Episode 1 (new)"));
    EXPECT_TRUE(testsupport::readFile(path(QStringLiteral("weekly.xml"))).contains("Episode 1 (new)"));
    EXPECT_EQ(sentFiles, (QStringList{audio(1), path(QStringLiteral("weekly.xml")), path(QStringLiteral("weekly.html"))}));
    EXPECT_TRUE(uploadedMark(project, 1));
    EXPECT_FALSE(window->changed());
}

} // namespace
