// The mix-down in the recording window: a mix through the button with its song information and the
// kept tracks, a target folder that cannot be written, a stop in the middle of a mix while the window
// stays responsive, the save question's roads when tracks are closed, and the small choice dialogs.
#include "tests/recorder/WindowOnVirtualSound.h"

#include "recorder/ChooseTrack.h"
#include "recorder/FadeIn.h"
#include "recorder/FileSaveDialog.h"
#include "recorder/PodcastTypeUnit.h"
#include "recorder/SelectTrackUnit.h"

#include "tests/support/WaveFixtures.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <set>
#include <thread>

using namespace recorder;
using namespace testsupport;

namespace {

class MixDownWindowTest : public windowtest::WindowOnVirtualSound {
protected:
    void SetUp() override
    {
        windowtest::WindowOnVirtualSound::SetUp();
        preventSaturation = true;
        out = folder + "/out/";
        ASSERT_TRUE(QDir().mkpath(out));
    }

    // Both tracks, five seconds each (three blocks of the mix).
    void importBothTracks()
    {
        importTrack(TrackSide::Voice, wavefixtures::soxWave(folder + "/voice.wav", 16, 2, 40'000));
        importTrack(TrackSide::Music, wavefixtures::soxWave(folder + "/music.wav", 16, 2, 36'000));
    }
    QString working(TrackSide side) const { return window->trackRoads().track(side)->workingPath; }
    void chooseTarget(const QString& path, int filterIndex = 2)
    {
        platform::FileDialogResult result;
        result.accepted = true;
        result.files = {path};
        result.filterIndex = filterIndex;
        interaction.expectSaveFile(result, "Save Mix file As");
    }
    // Which of the window's controls and menus are on.
    std::map<QString, bool> enabledControls() const
    {
        std::map<QString, bool> on;
        for (const QWidget* child : window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            on[child->objectName()] = child->isEnabled();
        for (const QAction* menu : window->findChild<QMenuBar*>()->actions())
            on[menu->text()] = menu->isEnabled();
        return on;
    }
    QStringList filesIn(const QString& dir) const
    {
        return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QWidget* ruler() const { return window->findChild<QWidget*>(QStringLiteral("CurrentViewScale")); }
    QPushButton* stopButton() const { return window->findChild<QPushButton*>(QStringLiteral("StopMixButton")); }
    QProgressBar* progressBar() const { return window->findChild<QProgressBar*>(QStringLiteral("ProgressBar1")); }

    QString out;
};

// The button mixes both tracks into the chosen WAV: the song information is asked and written as
// the file's tag, the caption names the mix, the window keeps its path, extension and size, both
// working tracks are kept beside it, and every control is back as it was. Closing afterwards asks
// nothing: the mix holds the work.
TEST_F(MixDownWindowTest, TheButtonMixesIntoTheChosenFileWithItsSongInformation)
{
    importBothTracks();
    const std::map<QString, bool> before = enabledControls();
    ASSERT_TRUE(named<QWidget>(Control::MixDownToNewFileButton)->isEnabled());
    int asked = 0;
    askSongInformation = [&asked](TID3InfoRecord& info) {
        ++asked;
        std::strcpy(info.title, "Episode One");
        std::strcpy(info.artist, "The Host");
        return true;
    };
    const QString target = out + "episode.wav";
    chooseTarget(out + "episode");
    click(Control::MixDownToNewFileButton);
    EXPECT_TRUE(interaction.allConsumed());

    EXPECT_EQ(asked, 1);
    ASSERT_TRUE(window->mixRecord());
    EXPECT_EQ(window->mixRecord()->savedPath, target);
    EXPECT_EQ(window->mixRecord()->state, kMixSaved);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Wexo Ravadur : episode.wav"));
    EXPECT_EQ(window->trackRoads().mixedFile().path, target);
    EXPECT_EQ(window->trackRoads().mixedFile().extension, QStringLiteral(".wav"));
    EXPECT_EQ(window->trackRoads().mixedFile().size, QFileInfo(target).size());
    EXPECT_TRUE(window->controlPanel()[Control::EditMixTrackCoolButton].enabled);
    EXPECT_TRUE(window->controlPanel()[Control::EditMixedTrackMenu].enabled);
    EXPECT_EQ(enabledControls(), before);
    EXPECT_TRUE(ruler()->isVisible());
    EXPECT_FALSE(stopButton()->isVisible());
    EXPECT_FALSE(window->busyFlag().isBusy());

    // The window evened the tracks' lengths when the music came.
    EXPECT_EQ(wavefixtures::soxWaveInfo(target, false).frames, 40'000);
    const ToolResult tag = runTool(QStringLiteral("/usr/bin/python3"),
                                   {"-c",
                                    "import sys, mutagen.wave\n"
                                    "t = mutagen.wave.WAVE(sys.argv[1]).tags\n"
                                    "print(t['TIT2'].text[0] + '|' + t['TPE1'].text[0])",
                                    target});
    EXPECT_EQ(tag.exitCode, 0) << tag.err.constData();
    EXPECT_EQ(tag.out.trimmed(), QByteArray("Episode One|The Host"));
    EXPECT_EQ(hashOf(out + "_Vepisode.wav"), hashOf(working(TrackSide::Voice)));
    EXPECT_EQ(hashOf(out + "_Mepisode.wav"), hashOf(working(TrackSide::Music)));
    EXPECT_EQ(filesIn(out), QStringList({"_Mepisode.wav", "_Vepisode.wav", "episode.wav"}));

    clickMenuItem(Control::FileCloseMenu);
    EXPECT_FALSE(window->trackRoads().track(TrackSide::Voice));
    EXPECT_FALSE(window->mixRecord());
    EXPECT_TRUE(window->trackRoads().mixedFile().path.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(target));
}

// A folder that cannot be written: the user is told, nothing appears there, the tracks and their
// working files stay as they were, and the window keeps no mix.
TEST_F(MixDownWindowTest, AFolderThatCannotBeWrittenLeavesEverythingAsItWas)
{
    importBothTracks();
    const QByteArray voice = hashOf(working(TrackSide::Voice));
    const QByteArray music = hashOf(working(TrackSide::Music));
    const std::map<QString, bool> before = enabledControls();
    const QString title = window->windowTitle();
    QString locked = folder + "/locked";
    ASSERT_TRUE(QDir().mkpath(locked));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    // Rights that ignore folder permissions (root) write anywhere but in /proc.
    if (QFileInfo(locked).isWritable())
        locked = QStringLiteral("/proc");
    chooseTarget(locked + "/show.wav");
    interaction.expectMessageBox(platform::IDOK, "Cannot create the file");
    interaction.expectMessageBox(platform::IDOK, "Error : Cannot mix the files.");
    EXPECT_FALSE(window->MixDownToNewFile());
    EXPECT_TRUE(interaction.allConsumed());

    EXPECT_FALSE(QFileInfo::exists(locked + "/show.wav"));
    EXPECT_FALSE(QFileInfo::exists(locked + "/_Vshow.wav"));
    if (locked != QStringLiteral("/proc")) {
        EXPECT_TRUE(filesIn(locked).isEmpty()) << filesIn(locked).join(' ').toStdString();
    }
    EXPECT_EQ(hashOf(working(TrackSide::Voice)), voice);
    EXPECT_EQ(hashOf(working(TrackSide::Music)), music);
    EXPECT_FALSE(window->mixRecord());
    EXPECT_TRUE(window->trackRoads().mixedFile().path.isEmpty());
    EXPECT_EQ(window->windowTitle(), title);
    EXPECT_EQ(enabledControls(), before);
    EXPECT_FALSE(window->busyFlag().isBusy());
}

// A stop pressed while the worker mixes: until then the window serves its events with its
// controls off and the progress bar and the stop button in the ruler's place; afterwards nothing is
// left under the user's name or in the temporary folder, nothing is said, and the window is back.
TEST_F(MixDownWindowTest, StoppingAMixLeavesNoFileAndGivesTheWindowBack)
{
    importBothTracks();
    const QByteArray voice = hashOf(working(TrackSide::Voice));
    const std::map<QString, bool> before = enabledControls();
    const QStringList tempBefore = filesIn(temp);

    std::atomic<bool> blockWritten{false};
    std::atomic<bool> stopPressed{false};
    std::atomic<int> blocks{0};
    mixAfterBlock = [&](int64_t) {
        ++blocks;
        blockWritten.store(true);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!stopPressed.load() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    };
    struct Seen {
        bool rulerHidden = false;
        bool barShown = false;
        int barValue = 0;
        bool mixButtonOn = true;
        bool menusOn = true;
        bool busy = false;
        QImage picture;
        bool inRulersPlace = false;
    } seen;
    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (!blockWritten.load() || progressBar()->value() == 0)
            return;
        watcher.stop();
        seen.rulerHidden = !ruler()->isVisible();
        seen.barShown = progressBar()->isVisible() && stopButton()->isVisible() && stopButton()->isEnabled();
        seen.barValue = progressBar()->value();
        seen.mixButtonOn = named<QWidget>(Control::MixDownToNewFileButton)->isEnabled();
        seen.menusOn = window->findChild<QMenuBar*>()->actions().constFirst()->isEnabled();
        seen.busy = window->busyFlag().isBusy();
        seen.picture = window->grab().toImage();
        // A resize keeps both in the ruler's place.
        window->resize(window->width() + 60, window->height() + 20);
        const QRect place = ruler()->geometry();
        seen.inRulersPlace = progressBar()->geometry().left() == place.left()
                          && progressBar()->geometry().top() == place.top()
                          && progressBar()->geometry().right() < stopButton()->geometry().left()
                          && stopButton()->geometry().right() == place.right();
        QTest::mouseClick(stopButton(), Qt::LeftButton);
        stopPressed.store(true);
    });
    watcher.start();
    chooseTarget(out + "show.wav");
    click(Control::MixDownToNewFileButton);
    EXPECT_TRUE(interaction.allConsumed());

    EXPECT_TRUE(stopPressed.load());
    EXPECT_EQ(blocks.load(), 1);
    EXPECT_TRUE(seen.rulerHidden);
    EXPECT_TRUE(seen.barShown);
    EXPECT_GT(seen.barValue, 0);
    EXPECT_LT(seen.barValue, 1000);
    EXPECT_FALSE(seen.mixButtonOn);
    EXPECT_FALSE(seen.menusOn);
    EXPECT_TRUE(seen.busy);
    EXPECT_TRUE(seen.inRulersPlace);
    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    const QString picture = QDir::current().filePath(QStringLiteral("screenshots/mix-down-in-progress.png"));
    ASSERT_TRUE(seen.picture.save(picture)) << picture.toStdString();
    std::printf("mix-down in progress: %s\n", qPrintable(picture));

    EXPECT_TRUE(filesIn(out).isEmpty()) << filesIn(out).join(' ').toStdString();
    EXPECT_EQ(filesIn(temp), tempBefore);
    EXPECT_EQ(hashOf(working(TrackSide::Voice)), voice);
    EXPECT_FALSE(window->mixRecord());
    EXPECT_EQ(enabledControls(), before);
    EXPECT_TRUE(ruler()->isVisible());
    EXPECT_FALSE(stopButton()->isVisible());
    EXPECT_FALSE(window->busyFlag().isBusy());
}

// File > Close with both tracks asks the save question; each answer takes its road: the mix and
// the voice save keep a file and close, a save cancelled in its dialog keeps the tracks, No closes
// keeping nothing, Cancel keeps the tracks.
TEST_F(MixDownWindowTest, TheSaveQuestionOnLeavingTakesEachRoad)
{
    struct Case {
        const char* name;
        const char* button; // empty: Escape
        QString saveAs;     // the save dialog's answer; empty: no dialog, "-": cancelled
        const char* title;
        bool closed;
        QStringList kept; // files in out afterwards
    };
    const Case cases[] = {
        {"save the mix", "SaveMixedTrackButton", out + "show.wav", "Save Mix file As", true,
         {"_Mshow.wav", "_Vshow.wav", "show.wav"}},
        {"mix dialog cancelled", "SaveMixedTrackButton", "-", "Save Mix file As", false, {}},
        {"save the voice", "SaveVoiceTrackButton", out + "voice.wav", "Save Voice Track As", true, {"voice.wav"}},
        {"no", "NoButton", {}, "", true, {}},
        {"escape", "", {}, "", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& file : filesIn(out))
            QFile::remove(out + file);
        if (!window->trackRoads().track(TrackSide::Voice))
            importBothTracks();

        std::map<QString, bool> offered;
        QTimer answer;
        answer.setInterval(5);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<TFileSaveDlg*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            answer.stop();
            for (const char* name : {"SaveMixedTrackButton", "SaveMusicTrackButton", "SaveVoiceTrackButton"})
                offered[QString::fromLatin1(name)] = dialog->findChild<QPushButton*>(QString::fromLatin1(name))->isEnabled();
            if (*c.button)
                QTest::mouseClick(dialog->findChild<QPushButton*>(QString::fromLatin1(c.button)), Qt::LeftButton);
            else
                QTest::keyClick(dialog, Qt::Key_Escape);
        });
        answer.start();
        if (c.saveAs == QStringLiteral("-"))
            interaction.expectSaveFile({}, QString::fromLatin1(c.title));
        else if (!c.saveAs.isEmpty()) {
            platform::FileDialogResult result;
            result.accepted = true;
            result.files = {c.saveAs};
            result.filterIndex = 2;
            interaction.expectSaveFile(result, QString::fromLatin1(c.title));
        }
        clickMenuItem(Control::FileCloseMenu);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !offered.empty(); }));
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(offered, (std::map<QString, bool>{
                               {"SaveMixedTrackButton", true}, {"SaveMusicTrackButton", true}, {"SaveVoiceTrackButton", true}}));
        EXPECT_EQ(!window->trackRoads().track(TrackSide::Voice), c.closed);
        EXPECT_EQ(!window->trackRoads().track(TrackSide::Music), c.closed);
        EXPECT_EQ(filesIn(out).filter(QStringLiteral(".wav")), c.kept);
    }
}

// The small choice dialogs: their rules and how each looks.
TEST(SmallChoiceDialogs, TrackPresenceDecidesWhatCanBeChosen)
{
    struct Case {
        bool voice;
        bool music;
        std::map<QString, bool> saveButtons; // of the save question
        bool voiceRadioOn, voiceChecked, musicRadioOn, musicChecked; // of the track choice
    };
    const Case cases[] = {
        {true, true, {{"SaveMixedTrackButton", true}, {"SaveMusicTrackButton", true}, {"SaveVoiceTrackButton", true}},
         true, true, true, false},
        {true, false, {{"SaveMixedTrackButton", false}, {"SaveMusicTrackButton", false}, {"SaveVoiceTrackButton", true}},
         true, true, false, false},
        {false, true, {{"SaveMixedTrackButton", false}, {"SaveMusicTrackButton", true}, {"SaveVoiceTrackButton", false}},
         false, false, true, true},
        {false, false, {{"SaveMixedTrackButton", false}, {"SaveMusicTrackButton", false}, {"SaveVoiceTrackButton", false}},
         false, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.voice) + std::to_string(c.music));
        TFileSaveDlg question(c.voice, c.music);
        std::map<QString, bool> on;
        for (const auto& [name, _] : c.saveButtons)
            on[name] = question.findChild<QPushButton*>(name)->isEnabled();
        EXPECT_EQ(on, c.saveButtons);
        EXPECT_TRUE(question.findChild<QPushButton*>(QStringLiteral("NoButton"))->isEnabled());
        EXPECT_TRUE(question.findChild<QPushButton*>(QStringLiteral("CancelButton"))->isEnabled());

        TChooseTrackForm choice(c.voice, c.music);
        choice.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&choice));
        const auto* voice = choice.findChild<QRadioButton*>(QStringLiteral("VoiceTrackRadio"));
        const auto* music = choice.findChild<QRadioButton*>(QStringLiteral("MusicTrackRadio"));
        EXPECT_EQ(voice->isEnabled(), c.voiceRadioOn);
        EXPECT_EQ(voice->isChecked(), c.voiceChecked);
        EXPECT_EQ(music->isEnabled(), c.musicRadioOn);
        EXPECT_EQ(music->isChecked(), c.musicChecked);
        EXPECT_EQ(choice.voiceChosen(), c.voiceChecked);
    }
}

TEST(SmallChoiceDialogs, EachAnswersAsItsCallerReadsIt)
{
    TSelectTrackForm location;
    EXPECT_EQ(location.GetSelectedTrack(), 1);
    const std::pair<const char*, int> radios[] = {{"MusicTrackRadio", 2}, {"EditorRadio", 3}, {"VoiceTrackRadio", 1}};
    for (const auto& [radio, track] : radios) {
        location.findChild<QRadioButton*>(QString::fromLatin1(radio))->setChecked(true);
        EXPECT_EQ(location.GetSelectedTrack(), track) << radio;
    }

    const std::pair<const char*, int> answers[] = {{"YesButton", TrackChoice::Yes}, {"NoButton", TrackChoice::No},
                                                   {"CancelButton", TrackChoice::Cancel}};
    for (const auto& [button, result] : answers) {
        TChooseTrackForm choice(true, true);
        QTimer::singleShot(0, &choice, [&choice, button = button] {
            QTest::mouseClick(choice.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
        });
        EXPECT_EQ(choice.exec(), result) << button;
    }

    TPodcastTypeForm type;
    type.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&type));
    EXPECT_EQ(type.selectedType(), 0);
    EXPECT_TRUE(type.findChild<QPushButton*>(QStringLiteral("OKButton"))->hasFocus());
    type.findChild<QComboBox*>()->setCurrentIndex(1);
    EXPECT_EQ(type.selectedType(), 1);

    TFadeInOutForm fade;
    auto* time = fade.findChild<QLineEdit*>(QStringLiteral("FadeTimeEdit"));
    EXPECT_EQ(time->inputMask(), QStringLiteral("99:999"));
    QTimer::singleShot(0, &fade, [&fade] {
        QTest::mouseClick(fade.findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
    });
    EXPECT_EQ(fade.exec(), QDialog::Accepted);
}

TEST(SmallChoiceDialogs, Screenshots)
{
    TSelectTrackForm location;
    TChooseTrackForm choice(true, false);
    TPodcastTypeForm type;
    TFadeInOutForm fade;
    TFileSaveDlg question(false, false);
    const std::pair<QDialog*, const char*> dialogs[] = {{&location, "choose-location"},
                                                        {&choice, "choose-track-voice-only"},
                                                        {&type, "podcast-type"},
                                                        {&fade, "fade-in"},
                                                        {&question, "file-save-dialog-no-tracks"}};
    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    for (const auto& [dialog, name] : dialogs) {
        SCOPED_TRACE(name);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        const QImage picture = dialog->grab().toImage();
        const QString path = QDir::current().filePath(QStringLiteral("screenshots/%1.png").arg(QLatin1String(name)));
        ASSERT_TRUE(picture.save(path)) << path.toStdString();
        std::printf("%s: %s\n", name, qPrintable(path));
        std::set<QRgb> colours;
        for (int y = 0; y < picture.height(); y += 2) {
            for (int x = 0; x < picture.width(); x += 2)
                colours.insert(picture.pixel(x, y));
        }
        EXPECT_GT(colours.size(), 4u);
        // Every button's caption fits it.
        for (const QPushButton* button : dialog->findChildren<QPushButton*>())
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
        dialog->hide();
    }
}

} // namespace
