// The builder's content pages: what each fills from the podcast record and copies back, the
// changed flag, and the checks and derived values of their fields, driven through the named
// controls as a user would.
#include "tests/podcast/XvqPageFixture.h"

#include "common/FeedText.h"
#include "podcast/XvqPageRules.h"
#include "podcast/XvqRules.h"

#include <QApplication>
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
using xvqpagetest::control;
using xvqpagetest::kWebLink;

namespace {

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
    r.Password = kEmoji;
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
    // The field a user types into first.
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
        {"host", XvqPage::HostSelection, "PasswordEdit",
         {&PodcastRecord::HostName, &PodcastRecord::WebsiteLink, &PodcastRecord::FTPAddress, &PodcastRecord::LoginName,
          &PodcastRecord::Password},
         nullptr},
        {"FTP", XvqPage::FTPInfo, "FTPAddressEdit",
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

struct FeedNameCase {
    const char* typed;
    const char* project; // the project's name in the test folder; empty for none
    const char* audio;   // the audio file, under the test folder
    QString webLink;
    const char* name;     // what the field shows after it is left, and FeedName
    const char* htmlName;
    const char* feedUrl;  // empty without a web link
    const char* pageUrl;
    const char* outputFolder; // where the feed goes, under the test folder
    bool warns;
};

TEST_F(XvqContentPagesTest, FeedNameIsNormalisedWhenLeftAndGivesThePathsAndLinks)
{
    const FeedNameCase cases[] = {
        {"show", "show.pdi", "audio/ep.wav", kWebLink, "show.xml", "show.html", "http://example.com/pod/show.xml",
         "http://example.com/pod/show.html", "", false},
        {"  show.XML ", "show.pdi", "audio/ep.wav", kWebLink, "show.XML", "show.html",
         "http://example.com/pod/show.XML", "http://example.com/pod/show.html", "", false},
        {"feed.xml.bak", "show.pdi", "audio/ep.wav", kWebLink, "feed.xml.bak.xml", "feed.xml.bak.html",
         "http://example.com/pod/feed.xml.bak.xml", "http://example.com/pod/feed.xml.bak.html", "", false},
        {"my show", "show.pdi", "audio/ep.wav", kWebLink, "my show.xml", "my show.html",
         "http://example.com/pod/my%20show.xml", "http://example.com/pod/my%20show.html", "", true},
        {"show", "show.pdi", "audio/ep.wav", QString(), "show.xml", "show.html", "", "", "", false},
        // An unsaved project writes beside the audio file, not into the temporary folder.
        {"show", "xvq1234.tmp", "audio/ep.wav", kWebLink, "show.xml", "show.html", "http://example.com/pod/show.xml",
         "http://example.com/pod/show.html", "/audio", false},
        {"show", "", "audio/ep.wav", kWebLink, "show.xml", "show.html", "http://example.com/pod/show.xml",
         "http://example.com/pod/show.html", "/audio", false},
    };
    for (const FeedNameCase& c : cases) {
        SCOPED_TRACE(c.typed);
        SCOPED_TRACE(c.project);
        auto page = makePage(XvqPage::FeedInfo);
        ASSERT_NE(page, nullptr);
        PodcastRecord record;
        record.WebsiteLink = c.webLink;
        record.AudioFilePath = folder + "/" + c.audio;
        page->UIUpdate(record, context(c.project));
        auto* name = control<QLineEdit>(*page, "FeedNameEdit");
        auto* address = control<QLineEdit>(*page, "FeedURLEdit");
        ASSERT_TRUE(name && address);
        ASSERT_TRUE(name->isEnabled()) << "a new podcast names its feed";
        EXPECT_EQ(control<QLineEdit>(*page, "WebLinkEdit")->text(), c.webLink);

        QTest::keyClicks(name, QString::fromUtf8(c.typed));
        EXPECT_EQ(address->text(), WebLinkOfFile(c.webLink, QString::fromUtf8(c.typed).trimmed()))
            << "each key refreshes the feed's address";
        if (c.warns)
            interaction.expectMessageBox(IDOK, QStringLiteral("Having spaces and special characters"));
        QTest::keyClick(name, Qt::Key_Return);
        EXPECT_EQ(name->text(), c.name);
        EXPECT_EQ(address->text(), c.feedUrl);
        EXPECT_TRUE(interaction.allConsumed());

        ASSERT_EQ(page->Gather(record, context(c.project)), StepVerdict::Proceed);
        const QString output = folder + c.outputFolder;
        EXPECT_EQ(record.FeedName, c.name);
        EXPECT_EQ(record.FeedFilePath, output + "/" + c.name);
        EXPECT_EQ(record.HTMLFilePath, output + "/" + c.htmlName);
        EXPECT_EQ(record.HTMLFileName, c.htmlName);
        EXPECT_EQ(record.FeedURL, c.feedUrl);
        EXPECT_EQ(record.HTMLFileLink, c.pageUrl);
    }
}

TEST_F(XvqContentPagesTest, SavedProjectKeepsItsFeedNameAndAnEmptyNameEmptiesThePaths)
{
    auto page = makePage(XvqPage::FeedInfo);
    ASSERT_NE(page, nullptr);
    PodcastRecord record = hostileRecord();
    page->UIUpdate(record, context(QStringLiteral("show.pdi")));
    EXPECT_FALSE(control<QLineEdit>(*page, "FeedNameEdit")->isEnabled());
    EXPECT_EQ(control<QLineEdit>(*page, "FeedURLEdit")->text(), "http://example.com/pod/show.xml");

    record.FeedName.clear();
    record.FeedFilePath = QStringLiteral("/old/show.xml");
    record.HTMLFilePath = QStringLiteral("/old/show.html");
    page->UIUpdate(record, context(QStringLiteral("show.pdi")));
    EXPECT_TRUE(control<QLineEdit>(*page, "FeedNameEdit")->isEnabled());
    ASSERT_EQ(page->Gather(record, context(QStringLiteral("show.pdi"))), StepVerdict::Proceed);
    EXPECT_EQ(record.FeedName, "");
    EXPECT_EQ(record.FeedFilePath, "");
    EXPECT_EQ(record.HTMLFilePath, "");
}

TEST_F(XvqContentPagesTest, LanguageBoxFindsTheStoredLineAndKeepsAnUnknownOne)
{
    const struct {
        const char* stored;
        const char* shown;
        const char* gathered;
    } cases[] = {
        {"", "English (United States): en-us", "English (United States): en-us"},
        // Stored values lose their trailing blank; the line with it is still found.
        {"Albanian: sq", "Albanian: sq ", "Albanian: sq"},
        {"Estonian:  et", "Estonian:  et", "Estonian:  et"},
        // A feed imported from elsewhere carries the code alone.
        {"de-at", "German (Austria): de-at", "German (Austria): de-at"},
        {"Klingon: tlh", "Klingon: tlh", "Klingon: tlh"},
    };
    auto page = makePage(XvqPage::FeedInfo);
    ASSERT_NE(page, nullptr);
    auto* box = control<QComboBox>(*page, "LanguageComboBox");
    ASSERT_NE(box, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        PodcastRecord record;
        record.SeriesLanguage = c.stored;
        page->UIUpdate(record, context());
        EXPECT_EQ(box->currentText(), c.shown);
        EXPECT_LE(box->count(), LanguageLines().size() + 1) << "an unknown language is added once at most";
        ASSERT_EQ(page->Gather(record, context()), StepVerdict::Proceed);
        EXPECT_EQ(record.SeriesLanguage, c.gathered);
    }
    ASSERT_EQ(LanguageLines().size(), 96);
    EXPECT_EQ(LanguageLines().front(), kDefaultLanguageLine);
    EXPECT_EQ(LanguageLines().back(), "Ukranian: uk");
}

TEST_F(XvqContentPagesTest, TtlStaysWithinADay)
{
    auto page = makePage(XvqPage::FeedInfo);
    ASSERT_NE(page, nullptr);
    auto* ttl = control<QSpinBox>(*page, "TTLSpinEdit");
    ASSERT_NE(ttl, nullptr);
    const struct {
        qint32 stored;
        qint32 gathered;
    } cases[] = {{0, 0}, {60, 60}, {1440, 1440}, {5000, 1440}, {-3, 0}};
    for (const auto& c : cases) {
        PodcastRecord record;
        record.SeriesTTL = c.stored;
        page->UIUpdate(record, context());
        ASSERT_EQ(page->Gather(record, context()), StepVerdict::Proceed);
        EXPECT_EQ(record.SeriesTTL, c.gathered) << c.stored;
    }
}

TEST_F(XvqContentPagesTest, WebmasterAndEditorTakeOnlyEmailAddresses)
{
    const struct {
        const char* typed;
        const char* kept;
        bool complains;
    } cases[] = {
        {"not an address", "", true},
        {"a@b", "", true},
        {"  someone@example.com ", "  someone@example.com ", false},
        {"", "", false},
    };
    for (const char* field : {"WebmasterEdit", "EditorEdit"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(field);
            SCOPED_TRACE(c.typed);
            auto page = makePage(XvqPage::FeedInfo);
            ASSERT_NE(page, nullptr);
            PodcastRecord record;
            page->UIUpdate(record, context());
            showActive(*page);
            auto* edit = control<QLineEdit>(*page, field);
            ASSERT_NE(edit, nullptr);
            edit->setFocus();
            QTest::keyClicks(edit, QString::fromUtf8(c.typed));
            if (c.complains)
                interaction.expectMessageBox(IDOK, QStringLiteral("Incorrect Email Address."));
            QTest::keyClick(edit, Qt::Key_Return);
            EXPECT_TRUE(interaction.allConsumed());
            EXPECT_EQ(edit->text(), c.kept);
            if (c.complains) {
                EXPECT_TRUE(edit->hasFocus()) << "the field is refocused";
            }
        }
    }
}

TEST_F(XvqContentPagesTest, FieldHintsShowBesideTheFieldBeingTyped)
{
    auto page = makePage(XvqPage::FeedInfo);
    ASSERT_NE(page, nullptr);
    PodcastRecord record;
    page->UIUpdate(record, context(QStringLiteral("xvq1.tmp")));
    showActive(*page);
    const char* const labels[] = {"FeedNameExampleLabel", "FeedNameHintLabel", "FeedTitleExampleLabel",
                                  "FeedDescriptionExampleLabel", "WebmasterExampleLabel", "EditorExampleLabel"};
    const struct {
        const char* field;
        std::vector<const char*> shown;
    } cases[] = {
        {"FeedNameEdit", {"FeedNameExampleLabel", "FeedNameHintLabel"}},
        {"FeedTitleEdit", {"FeedTitleExampleLabel"}},
        {"FeedDescriptionMemo", {"FeedDescriptionExampleLabel"}},
        {"WebmasterEdit", {"WebmasterExampleLabel"}},
        {"EditorEdit", {"EditorExampleLabel"}},
        {"CopyrightEdit", {}},
        {"LanguageComboBox", {}},
        {"TTLSpinEdit", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        QWidget* field = control<QWidget>(*page, c.field);
        ASSERT_NE(field, nullptr);
        field->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasFocus() || field->isAncestorOf(QApplication::focusWidget()); }));
        for (const char* label : labels) {
            const bool expected = std::find_if(c.shown.begin(), c.shown.end(), [&](const char* s) {
                                      return QByteArray(s) == label;
                                  }) != c.shown.end();
            EXPECT_EQ(control<QLabel>(*page, label)->isVisible(), expected) << label;
        }
    }
    EXPECT_EQ(control<QLabel>(*page, "FeedNameHintLabel")->text(), "(Hint : No Spaces)");
}

TEST_F(XvqContentPagesTest, EpisodeDateIsStoredInUtcAndShownInLocalTime)
{
    ASSERT_NE(QDateTime::currentDateTime().offsetFromUtc(), 0) << "the test runs in a zone off UTC";
    const QDateTime now(QDate(2026, 7, 1), QTime(8, 30, 0), QTimeZone::utc());
    const common::FeedClockOverride clock([&] { return now; });
    const struct {
        const char* stored;
        QDateTime utc; // the moment the picker must show, in local time
        const char* gathered;
    } cases[] = {
        {"12/31/2026 20:00:00", QDateTime(QDate(2026, 12, 31), QTime(20, 0, 0), QTimeZone::utc()), "12/31/2026 20:00:00"},
        // Older projects: one-digit month and day, no seconds, a 12-hour clock.
        {"1/5/2026 9:07 PM", QDateTime(QDate(2026, 1, 5), QTime(21, 7, 0), QTimeZone::utc()), "01/05/2026 21:07:00"},
        {"3/4/2026 5:06:07", QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), QTimeZone::utc()), "03/04/2026 05:06:07"},
        {"12/1/2026 12:15:30 AM", QDateTime(QDate(2026, 12, 1), QTime(0, 15, 30), QTimeZone::utc()), "12/01/2026 00:15:30"},
        {"", now, "07/01/2026 08:30:00"},
        {"next Tuesday", now, "07/01/2026 08:30:00"},
    };
    auto page = makePage(XvqPage::PodcastItemInfo);
    ASSERT_NE(page, nullptr);
    auto* picker = control<QDateTimeEdit>(*page, "PubDateTimePicker");
    ASSERT_NE(picker, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        PodcastRecord record;
        record.ItemDateTime = c.stored;
        page->UIUpdate(record, context());
        EXPECT_EQ(picker->dateTime().toString("MM/dd/yyyy HH:mm:ss"),
                  c.utc.toLocalTime().toString("MM/dd/yyyy HH:mm:ss"));
        ASSERT_EQ(page->Gather(record, context()), StepVerdict::Proceed);
        EXPECT_EQ(record.ItemDateTime, c.gathered);
    }

    PodcastRecord record;
    page->UIUpdate(record, context());
    picker->setDateTime(QDateTime(QDate(2027, 2, 3), QTime(4, 5, 6), QTimeZone::utc()).toLocalTime());
    ASSERT_EQ(page->Gather(record, context()), StepVerdict::Proceed);
    EXPECT_EQ(record.ItemDateTime, "02/03/2027 04:05:06");
}

TEST_F(XvqContentPagesTest, EpisodePageTakesTitleAndDescriptionFromTheTagWhenAsked)
{
    const QString longTitle = QString(300, QChar(u'é'));
    const struct {
        const char* name;
        bool useTag;
        QString tagTitle;
        QString expectedTitle;
        QString expectedDescription;
    } cases[] = {
        {"tag", true, QStringLiteral("Tag & <title> 🎙"), QStringLiteral("Tag & <title> 🎙"), QStringLiteral("Tag comment")},
        // The tag holds 259 bytes of UTF-8: a title of two-byte letters keeps 129 of them.
        {"long tag", true, longTitle, QString(129, QChar(u'é')), QStringLiteral("Tag comment")},
        {"no tag", false, QStringLiteral("Tag title"), QStringLiteral("Typed title"), QStringLiteral("Typed text")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto page = makePage(XvqPage::PodcastItemInfo);
        ASSERT_NE(page, nullptr);
        PodcastRecord record;
        record.WebsiteLink = kWebLink;
        record.AudioFileName = QStringLiteral("Ep 1.mp3");
        record.ItemTitle = QStringLiteral("Typed title");
        record.ItemDescription = QStringLiteral("Typed text");
        record.UseID3Tag = c.useTag;
        platform::codecs::setSongInfoText(record.SongInfo.title, c.tagTitle);
        platform::codecs::setSongInfoText(record.SongInfo.comment, QStringLiteral("Tag comment"));
        page->UIUpdate(record, context());
        EXPECT_EQ(control<QLineEdit>(*page, "ItemURLEdit")->text(), "http://example.com/pod/Ep%201.mp3");
        EXPECT_EQ(record.ItemURL, "http://example.com/pod/Ep%201.mp3");
        EXPECT_EQ(control<QLineEdit>(*page, "ItemTitleEdit")->text(), c.expectedTitle);
        ASSERT_EQ(page->Gather(record, context()), StepVerdict::Proceed);
        EXPECT_EQ(record.ItemTitle, c.expectedTitle);
        EXPECT_EQ(record.ItemDescription, c.expectedDescription);
    }
}

TEST(XvqPageRulesTest, StoredDatesAreReadInEveryFormOlderProjectsWrote)
{
    const struct {
        const char* text;
        const char* utc; // empty: not a date
    } cases[] = {
        {"07/04/2026 13:05:09", "2026-07-04T13:05:09+00:00"},
        {" 7/4/2026 13:05 ", "2026-07-04T13:05:00+00:00"},
        {"7/4/2026 1:05:09 PM", "2026-07-04T13:05:09+00:00"},
        {"7/4/2026 12:05 AM", "2026-07-04T00:05:00+00:00"},
        {"13/04/2026 13:05:09", ""},
        {"07/04/26 13:05:09", ""},
        {"07/04/2026", ""},
        {"Tue, 04 Jul 2026 13:05:09 GMT", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        const QDateTime parsed = ParseStoredDateTime(c.text);
        EXPECT_EQ(parsed.isValid() ? parsed.toString(Qt::ISODate) : QString(), c.utc) << c.text;
    }
    EXPECT_EQ(StoredDateTime(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), QTimeZone(5 * 3600))),
              "01/01/2026 22:04:05");
}

TEST(XvqPageRulesTest, FeedFolderIsTheSavedProjectsElseTheAudioFiles)
{
    const struct {
        const char* project;
        const char* audio;
        const char* folder;
    } cases[] = {
        {"/home/ann/shows/show.pdi", "/home/ann/audio/ep.wav", "/home/ann/shows"},
        {"/tmp/xvqAb12.tmp", "/home/ann/audio/ep.wav", "/home/ann/audio"},
        {"/tmp/xvqAb12.TMP", "/home/ann/audio/ep.wav", "/home/ann/audio"},
        {"", "/home/ann/audio/ep.wav", "/home/ann/audio"},
        {"", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FeedFolder(c.project, c.audio), c.folder) << c.project;
}

// The action of the category menu under the captions a user reads (a "&" shows doubled).
QAction* menuAction(QMenu& menu, const QString& top, const QString& sub)
{
    for (QAction* action : menu.actions()) {
        if (action->text() != top)
            continue;
        if (sub.isEmpty())
            return action->menu() == nullptr ? action : nullptr;
        if (action->menu() == nullptr)
            return nullptr;
        for (QAction* subAction : action->menu()->actions()) {
            if (subAction->text() == sub)
                return subAction;
        }
    }
    return nullptr;
}

TEST_F(XvqContentPagesTest, CategoryMenuAddsLinesThatSurviveGatherAndUpdate)
{
    auto page = makePage(XvqPage::FeediTunesInfo);
    ASSERT_NE(page, nullptr);
    PodcastRecord record;
    page->UIUpdate(record, context());
    showActive(*page);
    auto* menu = control<QMenu>(*page, "CategoryPopup");
    auto* list = control<QListWidget>(*page, "SeriesCategorySelected");
    ASSERT_TRUE(menu && list);
    QSignalSpy edits(page.get(), &XvqPageWidget::informationChanged);
    QTest::mouseClick(control<QPushButton>(*page, "SeriesCategoryButton"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
    menu->close();

    const struct {
        const char* top;
        const char* sub;
        const char* line;
    } clicks[] = {
        {"Arts", "Visual Arts ", "Arts:Visual Arts "},
        {"Arts", "Fashion && Beauty", "Arts:Fashion & Beauty"},
        {"Comedy", "", "Comedy"},
        {"Government && Organizations ", "Non-Profit", "Government & Organizations :Non-Profit"},
        {"TV && Film ", "", "TV & Film "},
    };
    for (const auto& c : clicks) {
        QAction* action = menuAction(*menu, c.top, c.sub);
        ASSERT_NE(action, nullptr) << c.top << " / " << c.sub;
        action->trigger();
        ASSERT_GT(list->count(), 0);
        EXPECT_EQ(list->item(list->count() - 1)->text(), c.line);
    }
    EXPECT_EQ(edits.count(), int(std::size(clicks)));

    // Delete removes every selected line, and only those.
    list->clearSelection();
    list->item(1)->setSelected(true);
    list->item(2)->setSelected(true);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Delete);
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    EXPECT_EQ(lines, QStringList({"Arts:Visual Arts ", "Government & Organizations :Non-Profit", "TV & Film "}));

    ASSERT_EQ(page->Gather(record, context()), StepVerdict::Proceed);
    EXPECT_EQ(record.Categories, QStringList({"Arts", "Government & Organizations ", "TV & Film "}));
    EXPECT_EQ(record.SubCategories, QStringList({"Visual Arts ", "Non-Profit", ""}));
    for (int cycle = 0; cycle < 3; ++cycle) {
        page->UIUpdate(record, context());
        ASSERT_EQ(page->Gather(record, context()), StepVerdict::Proceed);
    }
    EXPECT_EQ(record.SubCategories, QStringList({"Visual Arts ", "Non-Profit", ""})) << "no letter is lost per cycle";

    // Every entry of the table is in the menu.
    for (const CategoryMenuEntry& entry : CategoryMenu()) {
        const QString top = QString(entry.category).replace("&", "&&");
        if (entry.subCategories.isEmpty()) {
            EXPECT_NE(menuAction(*menu, top, QString()), nullptr) << entry.category.toStdString();
        }
        for (const QString& sub : entry.subCategories)
            EXPECT_NE(menuAction(*menu, top, QString(sub).replace("&", "&&")), nullptr) << sub.toStdString();
    }
    EXPECT_EQ(menu->actions().size(), 16);
}

TEST_F(XvqContentPagesTest, UploadPageShowsTheLinksAndPathsOfTheProject)
{
    const struct {
        const char* project;
        const char* feedPath; // under the test folder, or the text shown
        const char* pagePath;
        bool artwork;
    } cases[] = {
        {"show.pdi", "/show.xml", "/show.html", true},
        {"xvqAb12.tmp", "<Not Specified Yet>", "<Not Specified Yet>", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.project);
        auto page = makePage(XvqPage::Upload);
        ASSERT_NE(page, nullptr);
        PodcastRecord record = hostileRecord();
        record.PodcastType = c.artwork ? 1 : 0;
        record.AudioFilePath = folder + "/audio/Ep 1.mp3";
        record.ItemURL = QStringLiteral("http://example.com/pod/Ep%201.mp3");
        record.FeedURL = QStringLiteral("http://example.com/pod/show.xml");
        record.HTMLFileLink = QStringLiteral("http://example.com/pod/show.html");
        record.FeedImagePath = folder + "/cover.jpg";
        record.FeedImageLink = QStringLiteral("http://example.com/pod/cover.jpg");
        page->UIUpdate(record, context(c.project));
        showActive(*page);
        const bool saved = QByteArray(c.feedPath).startsWith('/');
        const QString feedPath = saved ? folder + c.feedPath : QString::fromUtf8(c.feedPath);
        const QString pagePath = saved ? folder + c.pagePath : QString::fromUtf8(c.pagePath);
        EXPECT_EQ(control<QLineEdit>(*page, "FeedFilePathEdit")->text(), feedPath);
        EXPECT_EQ(control<QLineEdit>(*page, "HTMLFilePathEdit")->text(), pagePath);
        EXPECT_EQ(control<QLineEdit>(*page, "ItemLinkEdit")->text(), record.ItemURL);
        EXPECT_EQ(control<QLineEdit>(*page, "FeedLinkEdit")->text(), record.FeedURL);
        EXPECT_EQ(control<QLineEdit>(*page, "HTMLFileLinkEdit")->text(), record.HTMLFileLink);
        EXPECT_EQ(control<QLineEdit>(*page, "AudioFilePathEdit")->text(), record.AudioFilePath);
        EXPECT_EQ(control<QLineEdit>(*page, "FeedImagePathEdit")->isVisible(), c.artwork);
        EXPECT_EQ(control<QLineEdit>(*page, "FeedImageLinkEdit")->isVisible(), c.artwork);
        // The stored paths follow one rule: the saved project's folder, else the audio file's.
        const QString output = saved ? folder : folder + "/audio";
        EXPECT_EQ(record.FeedFilePath, output + "/show.xml");
        EXPECT_EQ(record.HTMLFilePath, output + "/show.html");
        EXPECT_TRUE(control<QPushButton>(*page, "UploadButton")->isEnabled());
        window.hide();
    }
}

} // namespace
