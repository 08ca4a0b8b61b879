// The builder's pages that take files: the episode's audio file (browse, Enter, leaving the page)
// and the feed's artwork (the field, its picture and the name check of browse).
#include "tests/podcast/XvqPageFixture.h"

#include "common/AudioFileTag.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/VirtualBackend.h"
#include "podcast/AudioFileTab.h"
#include "podcast/AuditionSlider.h"
#include "podcast/XvqRules.h"

#include "tests/support/WaveFixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

using namespace podcast;
using platform::IDOK;
using platform::IDYES;
using xvqpagetest::control;
using xvqpagetest::kWebLink;

namespace {

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

TEST_F(AudioPageTest, AFileTheUpdateCouldNotReadIsNotTakenOnLeaving)
{
    const QString notes = folder + "/notes.mp3";
    testsupport::writeFile(notes, "not sound");
    record.AudioFilePath = notes;
    page->UIUpdate(record, context());
    EXPECT_EQ(path->text(), notes);
    EXPECT_EQ(duration->text(), "");
    interaction.expectMessageBox(IDOK, QStringLiteral("Please select an audio file to open."));
    EXPECT_EQ(page->Gather(record, context()), StepVerdict::StayOnLeftPage);
    EXPECT_TRUE(interaction.allConsumed());
}

TEST_F(AudioPageTest, ANewPodcastEmptiesThePathAndTheLength)
{
    const QString wave = hourLongWave(folder + "/episode.wav", QStringLiteral("One"));
    browse(wave);
    ASSERT_EQ(duration->text(), "01:02:03");
    page->clearFields();
    EXPECT_EQ(path->text(), "");
    EXPECT_EQ(duration->text(), "");
    // The same file chosen again for the new podcast is read again into the new record.
    PodcastRecord fresh;
    page->UIUpdate(fresh, context());
    path->setText(wave);
    ASSERT_EQ(page->Gather(fresh, context()), StepVerdict::Proceed);
    EXPECT_EQ(fresh.DurationMs, 3'723'000);
}

TEST_F(AudioPageTest, TheSongInformationButtonEditsTheFilesTag)
{
    // Without a song-information window the button is off.
    auto* tagButton = control<QPushButton>(*page, "SongInformationButton");
    EXPECT_FALSE(tagButton->isEnabled());

    struct Answer {
        bool ok = false;
        QString title;
        bool autofill = false;
    } answer;
    QStringList seen; // the title and autofill the window was shown with
    const SongInformationEditor editor = [&](QWidget* parent, TID3InfoRecord& info, bool& autofill) {
        EXPECT_EQ(parent, page->window());
        seen << platform::codecs::songInfoText(info.title) + (autofill ? " +autofill" : "");
        if (!answer.ok)
            return false;
        platform::codecs::setSongInfoText(info.title, answer.title);
        autofill = answer.autofill;
        return true;
    };
    XvqContext withEditor = context();
    withEditor.editSongInformation = &editor;
    page->UIUpdate(record, withEditor);
    ASSERT_TRUE(tagButton->isEnabled());

    // No file: said so, and no window.
    interaction.expectMessageBox(IDOK, QStringLiteral("No file selected."));
    QTest::mouseClick(tagButton, Qt::LeftButton);
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_TRUE(seen.isEmpty());

    const QString wave = hourLongWave(folder + "/episode.wav", QStringLiteral("One"));
    browse(wave);
    const QByteArray before = testsupport::readFile(wave);
    QSignalSpy edits(page.get(), &XvqPageWidget::informationChanged);
    // Cancel leaves the file and the record's choice alone.
    QTest::mouseClick(tagButton, Qt::LeftButton);
    EXPECT_EQ(seen, QStringList{QStringLiteral("One")});
    EXPECT_EQ(testsupport::readFile(wave), before);
    EXPECT_EQ(edits.count(), 0);

    // OK writes the tag into the file and takes the autofill choice.
    answer = {true, QStringLiteral("Two & more"), true};
    QTest::mouseClick(tagButton, Qt::LeftButton);
    TID3InfoRecord written = platform::codecs::emptySongInfo();
    ASSERT_TRUE(ReadAudioFileTag(wave, written));
    EXPECT_EQ(platform::codecs::songInfoText(written.title), QStringLiteral("Two & more"));
    EXPECT_EQ(platform::codecs::songInfoText(record.SongInfo.title), QStringLiteral("Two & more"));
    EXPECT_TRUE(record.UseID3Tag);
    EXPECT_EQ(edits.count(), 1);
    // The next time the window shows what the file now holds, and the choice made.
    answer.ok = false;
    QTest::mouseClick(tagButton, Qt::LeftButton);
    EXPECT_EQ(seen.last(), QStringLiteral("Two & more +autofill"));
    EXPECT_EQ(duration->text(), "01:02:03");
}

TEST_F(AudioPageTest, PlayPreviewsTheFileUntilStopOrItsEnd)
{
    // Without a sound engine there is no preview.
    const QString wave = folder + "/short.wav";
    testsupport::writeFile(wave, wavefixtures::pcmWave(wavefixtures::waveFormat(WAVE_FORMAT_PCM, 1, 8000, 16),
                                                       wavefixtures::sampleBytes(8000 * 2 * 4 / 10)));
    browse(wave);
    auto* play = control<QPushButton>(*page, "PlayButton");
    auto* stop = control<QPushButton>(*page, "StopButton");
    EXPECT_FALSE(play->isEnabled());

    platform::audio::VirtualBackend backend;
    platform::audio::AudioEngine engine(backend);
    XvqContext withSound = context();
    withSound.audioEngine = &engine;
    page->UIUpdate(record, withSound);
    showActive(*page);
    auto* slider = control<TAuditionSlider>(*page, "AuditionSlider");
    ASSERT_NE(slider, nullptr);
    ASSERT_TRUE(play->isEnabled());
    EXPECT_FALSE(slider->isEnabled());
    EXPECT_FALSE(stop->isVisible());
    EXPECT_EQ(slider->Min(), 1);
    EXPECT_EQ(slider->Max(), 399);

    // Play swaps itself for Stop; Stop swaps back.
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_TRUE(audio->previewing());
    EXPECT_TRUE(stop->isVisible());
    EXPECT_FALSE(play->isVisible());
    EXPECT_TRUE(slider->isEnabled());
    backend.advance(1600);
    EXPECT_TRUE(QTest::qWaitFor([&] { return slider->Position() >= 150; }, 5000)) << slider->Position();
    QDir().mkpath(QStringLiteral("screenshots"));
    const QString shot = QDir::current().filePath(QStringLiteral("screenshots/TXvqPage-AudioFileTab-previewing.png"));
    EXPECT_TRUE(page->grab().toImage().save(shot)) << shot.toStdString();
    QTest::mouseClick(stop, Qt::LeftButton);
    EXPECT_FALSE(audio->previewing());
    EXPECT_TRUE(play->isVisible());
    EXPECT_FALSE(stop->isVisible());

    // A preview that plays out comes back by itself, the thumb at the start.
    ASSERT_TRUE(QTest::qWaitFor([&] { return slider->playState() != TAuditionSlider::PlayState::Playing; }, 5000));
    QTest::mouseClick(play, Qt::LeftButton);
    ASSERT_TRUE(audio->previewing());
    // The virtual clock runs on 100 ms at a time until the file has played out.
    for (int step = 0; step < 20 && audio->previewing(); ++step) {
        backend.advance(800);
        QTest::qWait(30);
    }
    EXPECT_FALSE(audio->previewing());
    EXPECT_TRUE(play->isVisible());
    EXPECT_EQ(slider->Position(), slider->Min());

    // Leaving the page stops a preview; a path typed away leaves nothing to play.
    QTest::mouseClick(play, Qt::LeftButton);
    ASSERT_TRUE(audio->previewing());
    page->stopActivity();
    EXPECT_FALSE(audio->previewing());
    path->selectAll();
    QTest::keyClick(path, Qt::Key_Delete);
    EXPECT_FALSE(play->isEnabled());
    // The page and its slider go before the engine, as the builder goes before the recorder's.
    page.reset();
}

TEST_F(AudioPageTest, StandInButtonsAreThereButDisabled)
{
    for (const char* name : {"EditButton", "RecordAudioFileButton", "LoadFromVoIPTapeButton"}) {
        auto* button = control<QPushButton>(*page, name);
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->isEnabled()) << name;
    }
    EXPECT_TRUE(control<QPushButton>(*page, "BrowseAudioFileButton")->isEnabled());
    EXPECT_FALSE(control<QLabel>(*page, "NotAvailableLabel")->text().isEmpty());
}

class ArtworkTest : public xvqpagetest::XvqPageFixture {
protected:
    void SetUp() override
    {
        page = makePage(XvqPage::FeediTunesInfo);
        ASSERT_NE(page, nullptr);
        record.WebsiteLink = kWebLink;
        page->UIUpdate(record, context());
        image = control<QLineEdit>(*page, "FeedImageEdit");
        picture = control<QLabel>(*page, "FeedImage");
        ASSERT_TRUE(image && picture);
    }
    QString jpeg(const QString& name)
    {
        QImage art(64, 48, QImage::Format_RGB32);
        art.fill(QColor(200, 40, 40));
        const QString path = folder + "/" + name;
        EXPECT_TRUE(art.save(path, "JPG"));
        return path;
    }
    bool pictureShown() const { return !picture->pixmap().isNull(); }

    std::unique_ptr<XvqPageWidget> page;
    PodcastRecord record;
    QLineEdit* image = nullptr;
    QLabel* picture = nullptr;
};

TEST_F(ArtworkTest, LeavingTheFieldLoadsThePictureOrSaysWhy)
{
    const QString art = jpeg(QStringLiteral("cover.jpg"));
    const QString text = folder + "/notes.jpg";
    testsupport::writeFile(text, "not a picture");
    const struct {
        const char* name;
        QString typed;
        const char* message; // part of the message shown, or null
        bool shown;
        const char* fieldAfter; // null: the typed text
    } cases[] = {
        {"picture", art, nullptr, true, nullptr},
        {"missing", folder + "/gone.jpg", "Image File Not Found", false, nullptr},
        {"no picture", text, "Could Not Load Selected Image File", false, ""},
        {"empty", QString(), nullptr, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        image->setText(jpeg(QStringLiteral("before.jpg")));
        QTest::keyClick(image, Qt::Key_Return);
        ASSERT_TRUE(pictureShown());
        image->setText(c.typed);
        if (c.message != nullptr)
            interaction.expectMessageBox(IDOK, QString::fromUtf8(c.message));
        QTest::keyClick(image, Qt::Key_Return);
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(pictureShown(), c.shown);
        EXPECT_EQ(image->text(), c.fieldAfter == nullptr ? c.typed : QString::fromUtf8(c.fieldAfter));
    }
}

TEST_F(ArtworkTest, GatherGivesTheArtworksNameAndLinkAndClearsThemWithoutArtwork)
{
    const QString art = jpeg(QStringLiteral("my cover.jpg"));
    image->setText(art);
    ASSERT_EQ(page->Gather(record, context()), StepVerdict::Proceed);
    EXPECT_EQ(record.FeedImagePath, art);
    EXPECT_EQ(record.ArtworkFileName, "my cover.jpg");
    EXPECT_EQ(record.FeedImageLink, "http://example.com/pod/my%20cover.jpg");

    QTest::mouseClick(control<QPushButton>(*page, "RemoveImage"), Qt::LeftButton);
    EXPECT_FALSE(pictureShown());
    ASSERT_EQ(page->Gather(record, context()), StepVerdict::Proceed);
    EXPECT_EQ(record.FeedImagePath, "");
    EXPECT_EQ(record.ArtworkFileName, "");
    EXPECT_EQ(record.FeedImageLink, "");

    // Updating from a record whose artwork is gone says so and empties the field.
    record.FeedImagePath = folder + "/vanished.jpg";
    interaction.expectMessageBox(IDOK, QStringLiteral("Could Not Load Selected Image File"));
    page->UIUpdate(record, context());
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(image->text(), "");
}

TEST_F(ArtworkTest, BrowsingOffersToReplaceBlanksAndRefusesOtherCharacters)
{
    const QString blank = jpeg(QStringLiteral("my cover.jpg"));
    const QString hash = jpeg(QStringLiteral("cover#1.jpg"));
    const QString plain = jpeg(QStringLiteral("plain.jpg"));
    const auto choose = [&](const QString& file) {
        platform::FileDialogResult chosen;
        chosen.accepted = true;
        chosen.files = QStringList{file};
        interaction.expectOpenFile(chosen, QStringLiteral("Select Image File"));
    };
    platform::FileDialogResult cancelled;

    // Blanks, answered No: asked again; then a name with "#": refused; then cancel.
    choose(blank);
    interaction.expectMessageBox(platform::IDNO, QStringLiteral("replace spaces with underscores"));
    choose(hash);
    interaction.expectMessageBox(IDOK, QStringLiteral("Please Enter Valid Filename Without SPACE"));
    interaction.expectOpenFile(cancelled, QStringLiteral("Select Image File"));
    QTest::mouseClick(control<QPushButton>(*page, "FeedImageBrowse"), Qt::LeftButton);
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(image->text(), "");
    EXPECT_TRUE(QFileInfo::exists(blank));

    // Blanks, answered Yes: the file is renamed and offered again under its new name.
    const QString renamed = folder + "/my_cover.jpg";
    choose(blank);
    interaction.expectMessageBox(IDYES, QStringLiteral("replace spaces with underscores"));
    interaction.expectMessageBox(IDOK, "Your filename has been changed to : " + renamed);
    choose(renamed);
    QTest::mouseClick(control<QPushButton>(*page, "FeedImageBrowse"), Qt::LeftButton);
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(interaction.prompts().back().request.fileName, renamed);
    EXPECT_FALSE(QFileInfo::exists(blank));
    EXPECT_EQ(image->text(), renamed);
    EXPECT_TRUE(pictureShown());

    // A rename that would replace another file is refused; nothing is lost.
    const QString again = jpeg(QStringLiteral("my cover.jpg"));
    const QByteArray before = testsupport::hashOf(renamed);
    choose(again);
    interaction.expectMessageBox(IDYES, QStringLiteral("replace spaces with underscores"));
    interaction.expectMessageBox(IDOK, QStringLiteral("Unable to change the filename."));
    choose(plain);
    QTest::mouseClick(control<QPushButton>(*page, "FeedImageBrowse"), Qt::LeftButton);
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(testsupport::hashOf(renamed), before);
    EXPECT_TRUE(QFileInfo::exists(again));
    EXPECT_EQ(image->text(), plain);
}

} // namespace
