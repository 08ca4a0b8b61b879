// The builder's content pages: what each fills from the podcast record and copies back, the
// changed flag, and the checks and derived values of their fields, driven through the named
// controls as a user would.
#include "tests/podcast/XvqPageFixture.h"

#include "common/FeedText.h"
#include "podcast/XvqPageRules.h"
#include "podcast/XvqRules.h"

#include "tests/support/WaveFixtures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimeZone>

#include <functional>
#include <vector>

using namespace podcast;
using platform::IDOK;
using platform::IDYES;
using xvqpagetest::control;

namespace {

const QString kWebLink = QStringLiteral("http://example.com/pod/");

// Texts that a careless page would escape, cut, re-encode or flatten.
const QString kAmp = QStringLiteral("Tom & Jerry <b>live</b>");
const QString kQuotes = QStringLiteral("\"Quoted\" and 'single' \\ back");
const QString kEmoji = QStringLiteral("Mic 🎙️ drop 👩🏽‍💻");
const QString kRtl = QStringLiteral("שלום עולם مرحبا");
const QString kLines = QStringLiteral("First line & <more>\nSecond \"line\"\n\nלילה 🌙");

PodcastRecord hostileRecord()
{
    PodcastRecord r;
    r.WebsiteLink = kWebLink;
    r.HostName = kAmp;
    r.FTPAddress = QStringLiteral("ftp.example.com");
    r.UploadPath = kRtl;
    r.PortNo = 2121;
    r.LoginName = kQuotes;
    r.FeedName = QStringLiteral("show.xml");
    r.FeedTitle = kAmp;
    r.FeedDescription = kLines;
    r.SeriesWebMaster = QStringLiteral("o'brien+pod@example.com");
    r.SeriesEditor = QStringLiteral("editor@example.co.il");
    r.SeriesCopyright = kRtl;
    r.SeriesLanguage = QStringLiteral("Albanian: sq");
    r.SeriesTTL = 1440;
    r.FeedSubtitle = kEmoji;
    r.FeedKeywords = kQuotes;
    r.FeedOwner = kRtl;
    r.FeedOwnerEmail = QStringLiteral("owner@example.com");
    r.FeedSummary = kLines;
    r.FeedExplicit = QStringLiteral("Yes");
    r.FeedBlock = QStringLiteral("No");
    r.Categories = QStringList{QStringLiteral("Arts"), QStringLiteral("Comedy"), QStringLiteral("Games & Hobbies")};
    r.SubCategories = QStringList{QStringLiteral("Visual Arts "), QString(), QStringLiteral("Aviation ")};
    r.ItemTitle = kEmoji;
    r.ItemDescription = kLines;
    r.ItemDateTime = QStringLiteral("03/04/2026 05:06:07");
    r.ItemAuthor = kAmp;
    r.ItemSubtitle = kRtl;
    r.ItemKeywords = kQuotes;
    r.ItemSummary = kLines;
    r.ItemExplicit = QStringLiteral("Yes");
    r.ItemBlock = QStringLiteral("Yes");
    r.Hours = 1;
    r.Minutes = 2;
    r.Seconds = 3;
    r.DurationMs = 3'723'000;
    r.ItemDuration = QStringLiteral("01:02:03");
    return r;
}

struct RoundTripCase {
    const char* name;
    XvqPage page;
    // The field a user types into first; null for pages that only show values.
    const char* firstField;
    std::vector<QString PodcastRecord::*> texts;
    // Further values the gathered record must hold.
    std::function<void(const PodcastRecord& gathered)> check;
};

const std::vector<RoundTripCase>& roundTripCases()
{
    static const std::vector<RoundTripCase> cases{
        {"feed", XvqPage::FeedInfo, "FeedTitleEdit",
         {&PodcastRecord::FeedName, &PodcastRecord::FeedTitle, &PodcastRecord::FeedDescription,
          &PodcastRecord::SeriesWebMaster, &PodcastRecord::SeriesEditor, &PodcastRecord::SeriesCopyright,
          &PodcastRecord::SeriesLanguage},
         [](const PodcastRecord& r) { EXPECT_EQ(r.SeriesTTL, 1440); }},
        {"feed iTunes", XvqPage::FeediTunesInfo, "FeedSubtitleEdit",
         {&PodcastRecord::FeedSubtitle, &PodcastRecord::FeedKeywords, &PodcastRecord::FeedOwner,
          &PodcastRecord::FeedOwnerEmail, &PodcastRecord::FeedSummary, &PodcastRecord::FeedExplicit,
          &PodcastRecord::FeedBlock},
         [](const PodcastRecord& r) {
             EXPECT_EQ(r.Categories, hostileRecord().Categories);
             EXPECT_EQ(r.SubCategories, hostileRecord().SubCategories);
         }},
        {"episode", XvqPage::PodcastItemInfo, "ItemTitleEdit",
         {&PodcastRecord::ItemTitle, &PodcastRecord::ItemDescription, &PodcastRecord::ItemDateTime}, nullptr},
        {"episode iTunes", XvqPage::ItemiTunesInfo, "ItemAuthorEdit",
         {&PodcastRecord::ItemAuthor, &PodcastRecord::ItemSubtitle, &PodcastRecord::ItemKeywords,
          &PodcastRecord::ItemSummary, &PodcastRecord::ItemExplicit, &PodcastRecord::ItemBlock,
          &PodcastRecord::ItemDuration},
         nullptr},
        {"host", XvqPage::HostSelection, nullptr, {&PodcastRecord::HostName, &PodcastRecord::WebsiteLink},
         nullptr},
        {"FTP", XvqPage::FTPInfo, nullptr,
         {&PodcastRecord::FTPAddress, &PodcastRecord::UploadPath, &PodcastRecord::LoginName},
         [](const PodcastRecord& r) { EXPECT_EQ(r.PortNo, 2121); }},
    };
    return cases;
}

class XvqContentPagesTest : public xvqpagetest::XvqPageFixture {};

TEST_F(XvqContentPagesTest, HostileValuesComeBackAsTheyWereAndOnlyTypingIsAnEdit)
{
    for (const RoundTripCase& c : roundTripCases()) {
        SCOPED_TRACE(c.name);
        auto page = makePage(c.page);
        ASSERT_NE(page, nullptr);
        QSignalSpy edits(page.get(), &XvqPageWidget::informationChanged);
        const PodcastRecord original = hostileRecord();
        PodcastRecord shown = original;
        page->UIUpdate(shown, context());
        EXPECT_EQ(edits.count(), 0) << "filling the fields is no edit";

        PodcastRecord gathered = shown;
        EXPECT_EQ(page->Gather(gathered, context()), StepVerdict::Proceed);
        for (QString PodcastRecord::*text : c.texts)
            EXPECT_EQ((gathered.*text).toStdString(), (original.*text).toStdString());
        if (c.check)
            c.check(gathered);
        EXPECT_EQ(edits.count(), 0);

        if (c.firstField == nullptr) {
            // The page shows the host's values but takes none.
            for (QLineEdit* field : page->findChildren<QLineEdit*>())
                EXPECT_TRUE(field->isReadOnly()) << field->objectName().toStdString();
            const auto shownTexts = page->findChildren<QLineEdit*>();
            EXPECT_TRUE(std::any_of(shownTexts.begin(), shownTexts.end(),
                                    [&](QLineEdit* f) { return f->text() == (original.*c.texts.front()); }));
            continue;
        }
        QWidget* first = control<QWidget>(*page, c.firstField);
        ASSERT_NE(first, nullptr);
        QTest::keyClicks(first, QStringLiteral("x"));
        EXPECT_GE(edits.count(), 1) << "typing is an edit";
    }
}

TEST_F(XvqContentPagesTest, EveryPageCarriesItsNamedBackAndNextButtons)
{
    const struct {
        XvqPage page;
        const char* back;
        const char* next;
    } cases[] = {
        {XvqPage::AudioFile, "AudioBackButton", "AudioNextButton"},
        {XvqPage::HostSelection, "HostBackButton", "HostNextButton"},
        {XvqPage::FeedInfo, "FeedBackButton", "FeedNextButton"},
        {XvqPage::FeediTunesInfo, "iTunesFeedBackButton", "iTunesFeedNextButton"},
        {XvqPage::PodcastItemInfo, "ItemBackButton", "ItemNextButton"},
        {XvqPage::ItemiTunesInfo, "iTunesItemBackButton", "iTunesItemNextButton"},
        {XvqPage::FTPInfo, "FTPBackButton", "FTPNextButton"},
        {XvqPage::Upload, "UpLoadBackButton", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.back);
        auto page = makePage(c.page);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->page(), c.page);
        EXPECT_EQ(page->objectName(), xvqPageName(c.page));
        ASSERT_NE(page->backButton(), nullptr);
        EXPECT_EQ(page->backButton()->objectName(), c.back);
        if (c.next == nullptr) {
            EXPECT_EQ(page->nextButton(), nullptr);
            continue;
        }
        ASSERT_NE(page->nextButton(), nullptr);
        EXPECT_EQ(page->nextButton()->objectName(), c.next);
    }
    EXPECT_EQ(createXvqPage(XvqPage::Welcome, &window), nullptr);
    EXPECT_EQ(createXvqPage(XvqPage::PodcastType, &window), nullptr);
}

} // namespace
