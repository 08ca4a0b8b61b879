// Pictures of the builder's content pages filled as a user would have them, for a person to look
// at, with the checks that each shows something and offers its Back and Next buttons.
#include "tests/podcast/XvqPageFixture.h"

#include "platform/base/ProgramFolder.h"
#include "podcast/FtpHosts.h"
#include "podcast/XvqPages.h"

#include "tests/support/WaveFixtures.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QSet>

#include <cstdio>

using namespace podcast;

namespace {

class XvqPageScreenshotsTest : public xvqpagetest::XvqPageFixture {
protected:
    // The hosts the program ships, and the user's own host saved earlier.
    platform::ProgramFolderOverride program{folder};
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(QString::fromLatin1(VA_HOST_SETTINGS), folder + "/HostSettings.ini"));
        PodcastRecord host = realisticRecord();
        host.HostType = FtpHostType::None;
        host.Password = QStringLiteral("garden-2026");
        ASSERT_TRUE(FtpHosts().SaveHostInformation(host));
    }

    PodcastRecord realisticRecord()
    {
        PodcastRecord r;
        r.PodcastType = 1;
        r.WebsiteLink = QStringLiteral("http://radio.example.org/podcasts/");
        r.HostName = QStringLiteral("Community radio");
        r.FTPAddress = QStringLiteral("ftp.radio.example.org");
        r.UploadPath = QStringLiteral("/public_html/podcasts");
        r.PortNo = 21;
        r.LoginName = QStringLiteral("anna");
        r.HostType = FtpHostType::Custom;
        r.AudioFilePath = folder + "/garden-talk-12.wav";
        // Twelve seconds of sound at a low rate keep the file small.
        testsupport::writeFile(r.AudioFilePath,
                               wavefixtures::pcmWave(wavefixtures::waveFormat(WAVE_FORMAT_PCM, 1, 1000, 8),
                                                     wavefixtures::sampleBytes(12'000)));
        r.AudioFileName = QStringLiteral("garden-talk-12.wav");
        r.FeedName = QStringLiteral("garden-talk.xml");
        r.FeedTitle = QStringLiteral("Garden Talk");
        r.FeedDescription = QStringLiteral("Weekly conversations with gardeners & growers.\nNew episodes on Fridays.");
        r.SeriesWebMaster = QStringLiteral("webmaster@radio.example.org");
        r.SeriesEditor = QStringLiteral("anna@radio.example.org");
        r.SeriesCopyright = QStringLiteral("© 2026 Community Radio");
        r.SeriesLanguage = QStringLiteral("English (United Kingdom): en-gb");
        r.SeriesTTL = 60;
        r.FeedSubtitle = QStringLiteral("Conversations with gardeners");
        r.FeedKeywords = QStringLiteral("garden, plants, allotment");
        r.FeedOwner = QStringLiteral("Anna Green");
        r.FeedOwnerEmail = QStringLiteral("anna@radio.example.org");
        r.FeedSummary = QStringLiteral("Every week Anna visits a garden and talks with the people who grow it.");
        r.FeedExplicit = QStringLiteral("No");
        r.FeedBlock = QStringLiteral("No");
        r.Categories = QStringList{QStringLiteral("Games & Hobbies"), QStringLiteral("Society & Culture")};
        r.SubCategories = QStringList{QStringLiteral("Hobbies"), QStringLiteral("Places & Travel")};
        QImage cover(300, 300, QImage::Format_RGB32);
        cover.fill(QColor(70, 140, 60));
        r.FeedImagePath = folder + "/garden-cover.jpg";
        EXPECT_TRUE(cover.save(r.FeedImagePath, "JPG"));
        r.ItemTitle = QStringLiteral("Episode 12: Tomatoes in a cold spring");
        r.ItemDescription = QStringLiteral("Jo shows how her tomatoes survived the frost in May.");
        r.ItemDateTime = QStringLiteral("05/22/2026 09:30:00");
        r.ItemAuthor = QStringLiteral("Anna Green");
        r.ItemSubtitle = QStringLiteral("Tomatoes in a cold spring");
        r.ItemKeywords = QStringLiteral("tomatoes, frost");
        r.ItemSummary = QStringLiteral("Jo shows how her tomatoes survived the frost in May.");
        return r;
    }
};

TEST_F(XvqPageScreenshotsTest, EachPageFilledIn)
{
    const XvqPage pages[] = {XvqPage::AudioFile,       XvqPage::HostSelection,  XvqPage::FeedInfo,
                             XvqPage::FeediTunesInfo,  XvqPage::PodcastItemInfo, XvqPage::ItemiTunesInfo,
                             XvqPage::FTPInfo,         XvqPage::Upload};
    ASSERT_TRUE(QDir::current().mkpath("screenshots"));
    for (XvqPage kind : pages) {
        const QString name = xvqPageName(kind);
        SCOPED_TRACE(name.toStdString());
        auto page = makePage(kind);
        ASSERT_NE(page, nullptr);
        PodcastRecord record = realisticRecord();
        const XvqContext pageContext = context(QStringLiteral("garden-talk.pdi"));
        // The paths and links as the earlier pages leave them.
        auto feed = makePage(XvqPage::FeedInfo);
        feed->UIUpdate(record, pageContext);
        ASSERT_EQ(feed->Gather(record, pageContext), StepVerdict::Proceed);
        auto audio = makePage(XvqPage::AudioFile);
        audio->UIUpdate(record, pageContext);
        ASSERT_EQ(audio->Gather(record, pageContext), StepVerdict::Proceed);
        auto artwork = makePage(XvqPage::FeediTunesInfo);
        artwork->UIUpdate(record, pageContext);
        ASSERT_EQ(artwork->Gather(record, pageContext), StepVerdict::Proceed);
        feed.reset();
        audio.reset();
        artwork.reset();

        page->UIUpdate(record, pageContext);
        showActive(*page);
        const QImage image = page->grab().toImage();
        const QString path = QDir::current().filePath("screenshots/TXvqPage-" + name + ".png");
        EXPECT_TRUE(image.save(path)) << path.toStdString();
        std::printf("%s: %s\n", qPrintable(name), qPrintable(path));

        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 4) {
            for (int x = 0; x < image.width(); x += 4)
                colours.insert(image.pixel(x, y));
        }
        EXPECT_GT(colours.size(), 8) << "the page shows more than a blank";
        ASSERT_NE(page->backButton(), nullptr);
        EXPECT_TRUE(page->backButton()->isVisible() && page->backButton()->isEnabled());
        EXPECT_TRUE(page->rect().contains(page->backButton()->geometry()));
        if (page->nextButton() != nullptr) {
            EXPECT_TRUE(page->nextButton()->isVisible() && page->nextButton()->isEnabled());
            EXPECT_TRUE(page->rect().contains(page->nextButton()->geometry()));
        }
        window.hide();
    }
}

} // namespace
