// The builder's content pages: what each fills from the podcast record and copies back, the
// changed flag, and the checks and derived values of their fields, driven through the named
// controls as a user would.
#include "tests/podcast/XvqPageFixture.h"

#include "common/FeedText.h"
#include "common/AudioFileTag.h"
#include "podcast/AudioFileTab.h"
#include "podcast/XvqPageRules.h"
#include "podcast/XvqRules.h"

#include "tests/support/WaveFixtures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimeZone>
#include <QApplication>

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

// A WAV of 1 h 2 min 3 s at a rate low enough to stay small, with a tag in its "id3 " chunk.
QString hourLongWave(const QString& path, const QString& title)
{
    TID3InfoRecord tag = platform::codecs::emptySongInfo();
    platform::codecs::setSongInfoText(tag.title, title);
    platform::codecs::setSongInfoText(tag.comment, QStringLiteral("Notes & <more>"));
    const int frames = 3723 * 100;
    testsupport::writeFile(path, wavefixtures::pcmWave(wavefixtures::waveFormat(WAVE_FORMAT_PCM, 1, 100, 8),
                                                       wavefixtures::sampleBytes(frames),
                                                       wavefixtures::chunk("id3 ", BuildId3TagBlock(tag))));
    return path;
}

class AudioPageTest : public xvqpagetest::XvqPageFixture {
protected:
    void SetUp() override
    {
        page = makePage(XvqPage::AudioFile);
        ASSERT_NE(page, nullptr);
        audio = static_cast<AudioFileTab*>(page.get());
        record.WebsiteLink = kWebLink;
        page->UIUpdate(record, context());
        path = control<QLineEdit>(*page, "AudioFilePathEdit");
        duration = control<QLabel>(*page, "DurationLabel");
        ASSERT_TRUE(path && duration);
    }
    // Chooses file in the browse dialog; message is a part of the message that follows, if any.
    void browse(const QString& file, const QString& message = {})
    {
        platform::FileDialogResult chosen;
        chosen.accepted = true;
        chosen.files = QStringList{file};
        interaction.expectOpenFile(chosen, QStringLiteral("Select Audio File"));
        if (!message.isEmpty())
            interaction.expectMessageBox(IDOK, message);
        QTest::mouseClick(control<QPushButton>(*page, "BrowseAudioFileButton"), Qt::LeftButton);
        ASSERT_TRUE(interaction.allConsumed());
    }

    std::unique_ptr<XvqPageWidget> page;
    AudioFileTab* audio = nullptr;
    PodcastRecord record;
    QLineEdit* path = nullptr;
    QLabel* duration = nullptr;
};

TEST_F(AudioPageTest, BrowsingAWaveShowsItsLengthAndReadsItsKindSizeAndTag)
{
    const QString wave = hourLongWave(folder + "/episode.wav", QStringLiteral("Episode & 1 🎙"));
    QSignalSpy edits(page.get(), &XvqPageWidget::informationChanged);
    browse(wave);
    EXPECT_EQ(path->text(), wave);
    EXPECT_EQ(duration->text(), "01:02:03");
    EXPECT_EQ(record.AudioFilePath, wave);
    EXPECT_EQ(record.AudioKind, AudioFileKind::Wav);
    EXPECT_EQ(record.FileSize, QFileInfo(wave).size());
    EXPECT_EQ(record.Hours, 1);
    EXPECT_EQ(record.Minutes, 2);
    EXPECT_EQ(record.Seconds, 3);
    EXPECT_EQ(platform::codecs::songInfoText(record.SongInfo.title), "Episode & 1 🎙");
    EXPECT_EQ(edits.count(), 1) << "choosing a file is an edit";
    const auto& request = interaction.prompts().back().request;
    EXPECT_TRUE(request.fileMustExist);
    EXPECT_TRUE(request.filter.contains("*.wav") && request.filter.contains("*.WAV") && request.filter.contains("*.mp3"));

    ASSERT_EQ(page->Gather(record, context()), StepVerdict::Proceed);
    EXPECT_EQ(record.AudioFileName, "episode.wav");
    EXPECT_EQ(record.ItemURL, "http://example.com/pod/episode.wav");
}

TEST_F(AudioPageTest, BrowsingAFileThatIsNoSoundEmptiesTheFieldAndPath)
{
    const QString wave = hourLongWave(folder + "/episode.wav", QStringLiteral("One"));
    browse(wave);
    const QString notes = folder + "/notes.wav";
    testsupport::writeFile(notes, "These are my notes for the show, not sound.\n");
    browse(notes, QStringLiteral("Please select an audio file to open."));
    EXPECT_EQ(path->text(), "");
    EXPECT_EQ(duration->text(), "");
    EXPECT_EQ(record.AudioFilePath, "");
    // The earlier file's length must not be published with an episode that has no audio.
    EXPECT_EQ(record.DurationMs, 0);
    EXPECT_EQ(record.FileSize, 0);
    EXPECT_EQ(DurationText(record), "00:00:00");
}

TEST_F(AudioPageTest, LeavingThePageChecksTheTypedPath)
{
    const QString wave = hourLongWave(folder + "/episode.wav", QStringLiteral("One"));
    const QString unsafe = hourLongWave(folder + "/Ep 1 & more.wav", QStringLiteral("Two"));
    const QString notes = folder + "/notes.wav";
    testsupport::writeFile(notes, "not sound");
    const struct {
        const char* name;
        QString typed;
        StepVerdict verdict;
        const char* prompt; // a part of the message shown, or null
        const char* audioName;
        const char* itemUrl;
        qint64 durationMs;
    } cases[] = {
        {"missing", folder + "/gone.wav", StepVerdict::StayOnLeftPage, "Selected Audio file not found", "", "", 0},
        {"empty", QStringLiteral("   "), StepVerdict::Proceed, nullptr, "", "", 0},
        {"typed without Enter", "  " + wave + " ", StepVerdict::Proceed, nullptr, "episode.wav",
         "http://example.com/pod/episode.wav", 3'723'000},
        {"unsafe name", unsafe, StepVerdict::Proceed, "Having spaces and special characters", "Ep 1 & more.wav",
         "http://example.com/pod/Ep%201%20%26%20more.wav", 3'723'000},
        {"not sound", notes, StepVerdict::StayOnLeftPage, "Please select an audio file to open.", "", "", 0},
    };
    showActive(*page);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PodcastRecord fresh;
        fresh.WebsiteLink = kWebLink;
        page->UIUpdate(fresh, context());
        control<QPushButton>(*page, "AudioNextButton")->setFocus();
        path->setText(c.typed);
        if (c.prompt != nullptr)
            interaction.expectMessageBox(IDOK, QString::fromUtf8(c.prompt));
        EXPECT_EQ(page->Gather(fresh, context()), c.verdict);
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(fresh.AudioFileName, c.audioName);
        EXPECT_EQ(fresh.ItemURL, c.itemUrl);
        EXPECT_EQ(fresh.DurationMs, c.durationMs);
        if (c.verdict == StepVerdict::StayOnLeftPage) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return path->hasFocus(); })) << "the path field is focused";
        }
    }
}

TEST_F(AudioPageTest, EnterInThePathShowsTheFileOrSaysItCannotBeRead)
{
    const QString wave = hourLongWave(folder + "/episode.wav", QStringLiteral("One"));
    QTest::keyClicks(path, wave);
    QTest::keyClick(path, Qt::Key_Return);
    EXPECT_EQ(duration->text(), "01:02:03");
    EXPECT_EQ(record.AudioFilePath, wave);

    path->clear();
    QTest::keyClicks(path, folder + "/gone.mp3");
    interaction.expectMessageBox(IDOK, QStringLiteral("Please select an audio file to open."));
    QTest::keyClick(path, Qt::Key_Return);
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(duration->text(), "");
    EXPECT_EQ(record.DurationMs, 0);
}

TEST_F(AudioPageTest, StandInButtonsAreThereButDisabled)
{
    for (const char* name : {"PlayButton", "StopButton", "EditButton", "SongInformationButton", "RecordAudioFileButton",
                             "LoadFromVoIPTapeButton"}) {
        auto* button = control<QPushButton>(*page, name);
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->isEnabled()) << name;
    }
    EXPECT_TRUE(control<QPushButton>(*page, "BrowseAudioFileButton")->isEnabled());
    EXPECT_FALSE(control<QLabel>(*page, "NotAvailableLabel")->text().isEmpty());
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

} // namespace
