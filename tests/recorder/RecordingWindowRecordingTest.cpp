// Recording in the recording window on the virtual sound backend, driven through its named
// controls: the first take asks for the recording format, Pause Rec leaves no gap, the stop leaves
// two tracks of one length, the recording label blinks; a nearly full disk refuses or stops a take
// (the take stays a valid WAV); a music take that ends by itself ends its take with message 123; a
// take over loaded tracks is inserted at the caret, or the tracks are cleared; an insert that
// fails, or a take that does not start, leaves the tracks as they were; a take whose input goes
// away ends and keeps what it recorded; Voice and Music takes hear and record the fader.
#include "recorder/FileSaveDialog.h"
#include "recorder/PlaybackControls.h"
#include "recorder/PodcastWizard.h"
#include "recorder/RecordingControls.h"

#include "controls/CoolButton.h"
#include "controls/ColorScheme.h"
#include "controls/CoolSliderV.h"
#include "controls/EQMeter.h"
#include "controls/Waveform.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/base/Colors.h"
#include "platform/base/PostedMessage.h"
#include "tests/platform/audio/EngineTestSupport.h"
#include "tests/recorder/WindowOnVirtualSound.h"
#include "tests/support/WaveFixtures.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

using namespace recorder;
using controls::TCoolButton;
using enginetest::constant16;
using enginetest::frames;
using enginetest::ramp16;
using enginetest::sample16;
using enginetest::writeWave;
using platform::audio::StreamError;

namespace {

std::string buttonName(const ::testing::TestParamInfo<Control>& info)
{
    return std::string(controlName(info.param));
}

std::string sideName(OverdubSide side)
{
    return side == OverdubSide::Voice ? "Voice" : "Music";
}

const WaveFormatEx kStereo8k = makePcmFormat(8000, 16, 2);
constexpr int kFrameBytes = 4;

class RecordingWindowTakeTest : public windowtest::WindowOnVirtualSound {
protected:
    void SetUp() override
    {
        windowtest::WindowOnVirtualSound::SetUp();
        // The microphone says which frame it heard.
        ASSERT_TRUE(backend.setInputWave(writeWave(folder + "/microphone.wav", kStereo8k, microphone)));
    }
    controls::TQzv32WaveDisplay& display(Control c) { return *named<controls::TQzv32WaveDisplay>(c); }
    QString working(TrackSide side) { return window->trackRoads().track(side)->workingPath; }
    wavefixtures::WaveInfo read(TrackSide side) { return wavefixtures::pythonWaveInfo(working(side)); }
    QStringList statusTexts() const
    {
        QStringList texts;
        for (const QLabel* panel :
             window->findChild<QStatusBar*>(QStringLiteral("StatusBar1"))->findChildren<QLabel*>())
            texts << panel->text();
        return texts;
    }
    // Closes the tracks, pressing No if the save question shows: whether it showed.
    bool closeAskedToSave()
    {
        bool asked = false;
        QTimer answer;
        answer.setInterval(10);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<TFileSaveDlg*>(QApplication::activeModalWidget())) {
                answer.stop();
                asked = true;
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("NoButton")), Qt::LeftButton);
            }
        });
        answer.start();
        EXPECT_EQ(window->CloseTracks(), 0);
        return asked;
    }
    QLabel* label() const { return window->findChild<QLabel*>(QStringLiteral("RecordingLabel")); }
    QTimer* positionTimer() const { return window->findChild<QTimer*>(QStringLiteral("RecordingPositionTimer")); }
    // One tick of the recording's position timer, as its timeout would run it.
    void tick() { ASSERT_TRUE(QMetaObject::invokeMethod(positionTimer(), "timeout", Qt::DirectConnection)); }
    bool whiteText() const { return label()->palette().color(QPalette::WindowText) == QColor(Qt::white); }
    // The controls as a take leaves them: buttons up and on, timers stopped, the label gone.
    void expectTakeStopped()
    {
        EXPECT_FALSE(window->busyFlag().isBusy());
        EXPECT_FALSE(window->recording().freeSpaceTimerActive());
        EXPECT_FALSE(positionTimer()->isActive());
        EXPECT_FALSE(named<TCoolButton>(Control::StartStopRecordingButton)->Down());
        EXPECT_EQ(named<TCoolButton>(Control::StartStopRecordingButton)->Caption(), QStringLiteral("Voice && Music"));
        EXPECT_FALSE(named<QWidget>(Control::PauseRecordingButton)->isEnabled());
        EXPECT_EQ(named<TCoolButton>(Control::PauseRecordingButton)->Caption(), QStringLiteral("Pause"));
        for (Control c : {Control::StartStopRecordingButton, Control::VoiceRecordButton, Control::MusicRecordButton,
                          Control::PreRecordedPlayBtn, Control::MixedPlayBtn}) {
            EXPECT_TRUE(named<QWidget>(c)->isEnabled()) << controlName(c);
            EXPECT_FALSE(named<TCoolButton>(c)->Down()) << controlName(c);
        }
        EXPECT_FALSE(label()->isVisible());
        EXPECT_EQ(display(Control::PreRecordedWaveDisplay).CaretPositionBySamples(), 0u);
        EXPECT_EQ(display(Control::RecordingWaveDisplay).CaretPositionBySamples(), 0u);
        EXPECT_EQ(named<QLineEdit>(Control::PositionMaskEdit)->text(), QStringLiteral("000:00:000"));
        EXPECT_EQ(window->trackRoads().track(TrackSide::Music)->state, kTrackChanged);
    }

    const QByteArray microphone = ramp16(16000, 2, 3);
};

TEST_F(RecordingWindowTakeTest, FirstTakeAsksTheFormatAndPauseLeavesNoGap)
{
    EXPECT_TRUE(named<QWidget>(Control::StartStopRecordingButton)->isEnabled());
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("Do you want to start recording now?"));
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    EXPECT_EQ(formatQuestions, 1);
    EXPECT_TRUE(window->busyFlag().isBusy());
    EXPECT_TRUE(named<TCoolButton>(Control::StartStopRecordingButton)->Down());
    EXPECT_EQ(named<TCoolButton>(Control::StartStopRecordingButton)->Caption(), QStringLiteral("Stop Record"));
    EXPECT_TRUE(named<QWidget>(Control::PauseRecordingButton)->isEnabled());
    EXPECT_FALSE(named<QWidget>(Control::PreRecordedPlayBtn)->isEnabled());
    EXPECT_TRUE(window->recording().freeSpaceTimerActive());

    backend.advance(3000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return named<QLineEdit>(Control::PositionMaskEdit)->text() == "000:00:375"; }, 2000))
        << named<QLineEdit>(Control::PositionMaskEdit)->text().toStdString();
    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    const QImage picture = window->grab().toImage();
    EXPECT_EQ(picture.size(), window->size() * picture.devicePixelRatio());
    EXPECT_TRUE(picture.save(QDir::current().filePath(QStringLiteral("screenshots/recording-window-recording.png"))));
    click(Control::PauseRecordingButton);
    EXPECT_EQ(named<TCoolButton>(Control::PauseRecordingButton)->Caption(), QStringLiteral("Resume"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window->findChild<QLabel*>(QStringLiteral("RecordingLabel"))->text() == "Paused"; }, 2000));
    backend.advance(1000);
    click(Control::PauseRecordingButton);
    EXPECT_EQ(named<TCoolButton>(Control::PauseRecordingButton)->Caption(), QStringLiteral("Pause"));
    backend.advance(1000);
    click(Control::StartStopRecordingButton);

    EXPECT_FALSE(window->recording().take().running());
    EXPECT_FALSE(window->busyFlag().isBusy());
    EXPECT_FALSE(window->recording().freeSpaceTimerActive());
    EXPECT_FALSE(named<TCoolButton>(Control::StartStopRecordingButton)->Down());
    EXPECT_EQ(named<TCoolButton>(Control::StartStopRecordingButton)->Caption(), QStringLiteral("Voice && Music"));
    const wavefixtures::WaveInfo voice = read(TrackSide::Voice);
    const wavefixtures::WaveInfo musicTake = read(TrackSide::Music);
    EXPECT_EQ(voice.frames, 4000);
    EXPECT_EQ(musicTake.frames, voice.frames);
    EXPECT_EQ(voice.samples, frames(microphone, kFrameBytes, 0, 3000) + frames(microphone, kFrameBytes, 4000, 1000));
    EXPECT_EQ(display(Control::PreRecordedWaveDisplay).TotalSamples(), 4000u);
    EXPECT_EQ(display(Control::RecordingWaveDisplay).TotalSamples(), 4000u);
    EXPECT_TRUE(named<QWidget>(Control::PreRecordedPlayBtn)->isEnabled());
    EXPECT_TRUE(named<QWidget>(Control::MixedPlayBtn)->isEnabled());

    // A second take over the tracks does not ask for the format again; declining both questions
    // leaves the tracks.
    const QString voicePath = working(TrackSide::Voice);
    interaction.expectMessageBox(platform::IDNO, QStringLiteral("Insert Recording"));
    interaction.expectMessageBox(platform::IDNO, QStringLiteral("Clear Existing Recording"));
    click(Control::StartStopRecordingButton);
    EXPECT_FALSE(window->recording().take().running());
    EXPECT_EQ(formatQuestions, 1);
    EXPECT_EQ(working(TrackSide::Voice), voicePath);
}

// The label blinks on the position timer while the take runs: every fifth tick it turns opaque with
// white text, or transparent with black text; paused, it says so, opaque with white text.
TEST_F(RecordingWindowTakeTest, RecordingLabelBlinksOnThePositionTimer)
{
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("start recording now"));
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    positionTimer()->stop(); // the test gives the ticks
    EXPECT_TRUE(label()->isVisible());
    EXPECT_EQ(label()->text(), QStringLiteral("Recording"));
    EXPECT_FALSE(label()->autoFillBackground());
    for (int i = 1; i < kRecordingLabelBlinkTicks; ++i) {
        tick();
        EXPECT_FALSE(label()->autoFillBackground()) << i;
    }
    const struct {
        bool opaque;
        bool white;
    } toggles[] = {{true, true}, {false, false}, {true, true}};
    for (const auto& t : toggles) {
        tick();
        EXPECT_EQ(label()->autoFillBackground(), t.opaque);
        EXPECT_EQ(whiteText(), t.white);
        EXPECT_EQ(label()->text(), QStringLiteral("Recording"));
        for (int i = 1; i < kRecordingLabelBlinkTicks; ++i)
            tick();
        EXPECT_EQ(label()->autoFillBackground(), t.opaque) << "held between toggles";
    }
    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    EXPECT_TRUE(window->grab().save(QDir::current().filePath(QStringLiteral("screenshots/recording-window-label-on.png"))));

    click(Control::PauseRecordingButton);
    positionTimer()->stop();
    tick(); // transparent just now: paused shows the label opaque anyway
    EXPECT_EQ(label()->text(), QStringLiteral("Paused"));
    EXPECT_TRUE(label()->autoFillBackground());
    EXPECT_TRUE(whiteText());
    click(Control::StartStopRecordingButton);
    expectTakeStopped();
    EXPECT_EQ(label()->text(), QStringLiteral("Recording"));
    EXPECT_FALSE(label()->autoFillBackground());
    EXPECT_TRUE(whiteText());
}

// The music take that can no longer be written ends the Voice & Music take by itself: the window
// stops the take as its button would, says so with message 123 alone, and keeps both takes as
// valid WAVs of one length holding what was recorded.
TEST_F(RecordingWindowTakeTest, MusicTakeThatEndsByItselfEndsTheTake)
{
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("start recording now"));
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    backend.advance(1000);
    // What the disk holds when it fills up stays in the takes.
    const auto onDisk = [&](TrackSide side) { return QFileInfo(working(side)).size() >= 46 + 1000 * kFrameBytes; };
    ASSERT_TRUE(QTest::qWaitFor([&] { return onDisk(TrackSide::Voice) && onDisk(TrackSide::Music); }, 5000));
    {
        constexpr int64_t kRoomFrames = 1500;
        const wavefixtures::FileSizeLimit diskFull(46 + kRoomFrames * kFrameBytes);
        // Both sides fail to write; whichever tells first stops the take, and the user is told once.
        interaction.expectMessageBox(platform::IDOK);
        backend.advance(1000);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->recording().take().running(); }, 10000));
    }
    // The other side's news, when it came too, said nothing more.
    QCoreApplication::processEvents();
    EXPECT_TRUE(interaction.allConsumed());
    ASSERT_EQ(interaction.prompts().size(), 2u); // the start question and the one message
    const QString told = interaction.prompts().back().text;
    EXPECT_TRUE(told.contains(QStringLiteral("inadequate free space")) || told.contains(QStringLiteral("write data")))
        << told.toStdString();
    expectTakeStopped();
    const wavefixtures::WaveInfo voice = wavefixtures::soxWaveInfo(working(TrackSide::Voice));
    const wavefixtures::WaveInfo musicTake = wavefixtures::soxWaveInfo(working(TrackSide::Music), false);
    EXPECT_GE(voice.frames, 1000);
    EXPECT_LE(voice.frames, 1500);
    EXPECT_EQ(voice.samples, frames(microphone, kFrameBytes, 0, voice.frames));
    EXPECT_EQ(musicTake.frames, voice.frames);
    EXPECT_EQ(display(Control::PreRecordedWaveDisplay).TotalSamples(), uint32_t(voice.frames));
    EXPECT_EQ(display(Control::RecordingWaveDisplay).TotalSamples(), uint32_t(voice.frames));

    // With no take running the message still says what happened, and nothing else changes.
    const QString voicePath = working(TrackSide::Voice);
    interaction.expectMessageBox(platform::IDOK, QStringLiteral("inadequate free space"));
    QCoreApplication::postEvent(window.get(), new platform::PostedMessage(platform::audio::kMsgMusicRecordingEnded, 0, 0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return interaction.allConsumed(); }, 2000));
    EXPECT_EQ(working(TrackSide::Voice), voicePath);
    expectTakeStopped();
}

// Fader moves during a Voice & Music take are recorded at the take's frames (a pause leaves no
// gap in them); playing the mix puts the slider and the gains where the take had them.
TEST_F(RecordingWindowTakeTest, MixPlaybackReplaysTheFaderOfTheTake)
{
    auto* fader = named<controls::TCoolSliderV>(Control::RecordingRightVolumeTrackBar);
    FaderController& gains = window->faderController();
    const auto recorded = [&](int64_t frame) {
        backend.advance(frame - engine.AudioGetRecordPosition(1));
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine.AudioGetRecordPosition(1) == frame; }, 2000));
    };
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("start recording now"));
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    ASSERT_TRUE(fader->isEnabled());
    recorded(1000);
    QTest::keyClick(fader, Qt::Key_End);
    click(Control::PauseRecordingButton);
    backend.advance(700);
    click(Control::PauseRecordingButton);
    recorded(2000);
    QTest::keyClick(fader, Qt::Key_Home);
    recorded(3000);
    click(Control::StartStopRecordingButton);
    ASSERT_FALSE(window->recording().take().running());

    // Outside a take the slider moves without recording; the replay puts it back.
    fader->setFocus();
    QTest::keyClick(fader, Qt::Key_End);
    ASSERT_EQ(gains.fader(), 24);
    click(Control::MixedPlayBtn);
    EXPECT_EQ(gains.route(), GainRoute::Mixed);
    struct Heard {
        int64_t frame;
        int fader;
    };
    for (const Heard h : {Heard{500, 0}, Heard{1500, 24}, Heard{2500, -24}}) {
        SCOPED_TRACE(h.frame);
        backend.advance(h.frame - engine.AudioGetPosition(1));
        ASSERT_TRUE(QTest::qWaitFor([&] { return fader->Position() == h.fader; }, 2000)) << fader->Position();
        EXPECT_EQ(gains.fader(), h.fader);
        EXPECT_EQ(gains.gainsAt(h.frame).voice, trackGains(h.fader, 0, 0).voice);
    }
    click(Control::StopBtn);

    // Closing the tracks (No to the save question) forgets the automation.
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<TFileSaveDlg*>(QApplication::activeModalWidget())) {
            answer.stop();
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("NoButton")), Qt::LeftButton);
        }
    });
    answer.start();
    EXPECT_EQ(window->CloseTracks(), 0);
    EXPECT_EQ(gains.automation(), nullptr);
}

// With "Always Test Levels" the input's levels show from the set-up on, whenever nothing plays or
// records: the meters and clip lamps move and the position stays. A take and a playback end the
// test while they run; their stop starts it again. Without the preference nothing starts it.
TEST_F(RecordingWindowTakeTest, LevelTestRunsWheneverNothingPlaysOrRecords)
{
    backend.setInputSine(440, 0.99);
    alwaysTestLevels = true;
    auto* box = named<QLineEdit>(Control::PositionMaskEdit);
    const QString position = box->text();
    auto* meter = window->findChild<controls::TEQMeter*>(QStringLiteral("EQMeter1"));
    auto* lamp = window->findChild<QLabel*>(QStringLiteral("LeftChannelClipping"));
    const QColor lampOn = platform::colorFromRef(window->colorScheme().GetSchemeColor(controls::RecorderColor::ClippingLightOn));
    const auto inputOpen = [&] { return backend.inputStreamCount() > 0 && backend.inputOpen(backend.inputStreamCount() - 1); };

    ASSERT_EQ(window->InitMixerDevices(-1, -1), 0);
    ASSERT_TRUE(window->levelTestRunning());
    EXPECT_TRUE(inputOpen());
    EXPECT_TRUE(window->playback().positionTimerActive());
    backend.advance(2000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return meter->barValue(0) > 95; }, 2000)) << meter->barValue(0);
    EXPECT_EQ(lamp->palette().color(QPalette::Window), lampOn);
    EXPECT_EQ(box->text(), position);

    interaction.expectMessageBox(platform::IDYES, QStringLiteral("start recording now"));
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    EXPECT_FALSE(window->levelTestRunning());
    EXPECT_FALSE(window->playback().positionTimerActive());
    backend.advance(1000);
    click(Control::StartStopRecordingButton);
    ASSERT_FALSE(window->recording().take().running());
    EXPECT_TRUE(window->levelTestRunning());
    EXPECT_TRUE(inputOpen());

    click(Control::PreRecordedPlayBtn);
    ASSERT_TRUE(window->playback().transport().playing());
    EXPECT_FALSE(window->levelTestRunning());
    EXPECT_FALSE(inputOpen());
    click(Control::StopBtn);
    EXPECT_TRUE(window->levelTestRunning());
    EXPECT_TRUE(inputOpen());

    alwaysTestLevels = false;
    window->StopLevelTest();
    EXPECT_FALSE(inputOpen());
    EXPECT_EQ(meter->barValue(0), 0);
    click(Control::PreRecordedPlayBtn);
    click(Control::StopBtn);
    EXPECT_FALSE(window->levelTestRunning());
    EXPECT_FALSE(window->playback().positionTimerActive());
}

// A cancelled format question starts nothing and leaves the format unset.
TEST_F(RecordingWindowTakeTest, CancelledFormatStartsNothing)
{
    chosenFormat.reset();
    click(Control::StartStopRecordingButton);
    EXPECT_FALSE(window->recording().take().running());
    EXPECT_EQ(window->trackRoads().recordingFormat().samplesPerSec, 0u);
    EXPECT_FALSE(named<TCoolButton>(Control::StartStopRecordingButton)->Down());
    EXPECT_FALSE(window->busyFlag().isBusy());
}

// 50 MB free refuses a take; a take that runs stops when the free space falls to it, and what it
// recorded stays a valid WAV.
TEST_F(RecordingWindowTakeTest, NearlyFullDiskRefusesAndStopsTheTake)
{
    freeBytes = kLowSpaceBytes;
    interaction.expectMessageBox(platform::IDOK);
    click(Control::StartStopRecordingButton);
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_FALSE(window->recording().take().running());
    EXPECT_EQ(backend.inputStreamCount(), 0);

    freeBytes = kLowSpaceBytes + 1;
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("start recording now"));
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    backend.advance(2000);
    freeBytes = kLowSpaceBytes;
    interaction.expectMessageBox(platform::IDOK);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->recording().take().running(); }, 3000));
    EXPECT_TRUE(interaction.allConsumed());
    const wavefixtures::WaveInfo voice = wavefixtures::soxWaveInfo(working(TrackSide::Voice));
    EXPECT_EQ(voice.frames, 2000);
    EXPECT_EQ(voice.samples, frames(microphone, kFrameBytes, 0, 2000));
    EXPECT_EQ(wavefixtures::soxWaveInfo(working(TrackSide::Music), false).frames, 2000);
}

// A voice take that can no longer be shown after the stop is dropped, and the controls are then
// the music track's alone.
TEST_F(RecordingWindowTakeTest, VoiceTakeThatCannotBeShownLeavesTheMusicControls)
{
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("start recording now"));
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    backend.advance(500);
    ASSERT_TRUE(QFile::remove(working(TrackSide::Voice)));
    interaction.expectMessageBox(platform::IDOK);
    click(Control::StartStopRecordingButton);
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_FALSE(window->trackRoads().track(TrackSide::Voice));
    ASSERT_TRUE(window->trackRoads().track(TrackSide::Music));
    for (const Control c : {Control::MixedPlayBtn, Control::PreRecordedPlayBtn, Control::SaveVoiceTrackButton})
        EXPECT_FALSE(named<QWidget>(c)->isEnabled()) << controlName(c);
    EXPECT_TRUE(named<QWidget>(Control::RecordingPlayBtn)->isEnabled());
}

// The music take of Voice & Music and of the Music button plays on the output the preferences
// chose.
TEST_F(RecordingWindowTakeTest, MusicTakePlaysOnThePreferredOutput)
{
    backend.setOutputDevices({{QStringLiteral("virtual-out"), QStringLiteral("Virtual Output")},
                              {QStringLiteral("second-out"), QStringLiteral("Second Output")}});
    outputDevice = 1;
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("start recording now"));
    interaction.expectMessageBox(platform::IDNO, QStringLiteral("save the already recorded Music Track?"));
    for (const Control button : {Control::StartStopRecordingButton, Control::MusicRecordButton}) {
        SCOPED_TRACE(controlName(button));
        click(button);
        ASSERT_TRUE(window->busyFlag().isBusy());
        // The music take's output is the last one opened (under the Music button the voice plays
        // first, on the default output).
        EXPECT_EQ(backend.outputDevice(backend.outputStreamCount() - 1), QStringLiteral("second-out"));
        backend.advance(300);
        click(button);
        ASSERT_FALSE(window->busyFlag().isBusy());
    }
    EXPECT_TRUE(interaction.allConsumed());
}

class OpenedFileInWindow : public RecordingWindowTakeTest, public ::testing::WithParamInterface<Control> {};

// After File > Open, a take that clears or changes the tracks makes them stand no more for the
// opened file: closing then asks about saving them instead of throwing the take away.
TEST_P(OpenedFileInWindow, TakeOverItIsAskedAboutAtClose)
{
    platform::FileDialogResult opened;
    opened.accepted = true;
    opened.files = {writeWave(folder + "/finished.wav", kStereo8k, ramp16(1000, 2, 100))};
    interaction.expectOpenFile(opened);
    clickMenuItem(Control::FileOpenMenu);
    ASSERT_FALSE(window->trackRoads().mixedFile().path.isEmpty());
    // The stop of a playback gives the record buttons back.
    click(Control::PreRecordedPlayBtn);
    click(Control::StopBtn);
    const Control button = GetParam();
    if (button == Control::StartStopRecordingButton)
        interaction.expectMessageBox(platform::IDYES, QStringLiteral("Clear Existing Recording"));
    // File > Open sets no recording format.
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("start recording now"));
    click(button);
    ASSERT_TRUE(window->busyFlag().isBusy());
    EXPECT_TRUE(window->trackRoads().mixedFile().path.isEmpty());
    backend.advance(500);
    click(button);
    ASSERT_FALSE(window->busyFlag().isBusy());
    EXPECT_TRUE(closeAskedToSave());
}

INSTANTIATE_TEST_SUITE_P(Takes, OpenedFileInWindow,
                         ::testing::Values(Control::StartStopRecordingButton, Control::VoiceRecordButton,
                                           Control::MusicRecordButton),
                         buttonName);

class InputLostInWindow : public RecordingWindowTakeTest, public ::testing::WithParamInterface<Control> {};

// A take whose input goes away ends as its button would end it: what was recorded stays as the
// voice track, and the user is told.
TEST_P(InputLostInWindow, TakeEndsAndKeepsWhatItRecorded)
{
    const Control button = GetParam();
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("start recording now"));
    click(button);
    ASSERT_TRUE(window->busyFlag().isBusy());
    backend.advance(600);
    interaction.expectMessageBox(platform::IDOK, QStringLiteral("Unable to use the Record device"));
    backend.removeDevice(QStringLiteral("virtual-in"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->busyFlag().isBusy(); }, 3000));
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_FALSE(window->recording().take().running());
    EXPECT_FALSE(window->recording().overdub().running());
    EXPECT_FALSE(named<TCoolButton>(button)->Down());
    const wavefixtures::WaveInfo voice = read(TrackSide::Voice);
    EXPECT_EQ(voice.frames, 600);
    EXPECT_EQ(voice.samples, frames(microphone, kFrameBytes, 0, 600));
    EXPECT_TRUE(named<QWidget>(Control::PreRecordedPlayBtn)->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Takes, InputLostInWindow,
                         ::testing::Values(Control::StartStopRecordingButton, Control::VoiceRecordButton), buttonName);

class InsertInWindow : public RecordingWindowTakeTest {
protected:
    void loadTracks()
    {
        importTrack(TrackSide::Voice, writeWave(folder + "/voice.wav", kStereo8k, voiceTrack));
        importTrack(TrackSide::Music, writeWave(folder + "/music.wav", kStereo8k, musicTrack));
    }
    void recordOverTheTracks(int64_t takeFrames)
    {
        interaction.expectMessageBox(platform::IDYES, QStringLiteral("Insert Recording"));
        click(Control::StartStopRecordingButton);
        ASSERT_TRUE(window->recording().take().running());
        backend.advance(takeFrames);
        click(Control::StartStopRecordingButton);
        ASSERT_FALSE(window->recording().take().running());
    }

    const QByteArray voiceTrack = ramp16(1000, 2, 100);
    const QByteArray musicTrack = constant16(1000, 7);
};

// The take goes into both tracks at the caret: each grows by the take's length.
TEST_F(InsertInWindow, TakeIsInsertedAtTheCaret)
{
    loadTracks();
    const QString parked = working(TrackSide::Voice);
    display(Control::PreRecordedWaveDisplay).setCaretPositionBySamples(300);
    recordOverTheTracks(500);
    const wavefixtures::WaveInfo voice = read(TrackSide::Voice);
    EXPECT_EQ(voice.samples, frames(voiceTrack, kFrameBytes, 0, 300) + frames(microphone, kFrameBytes, 0, 500)
                                 + frames(voiceTrack, kFrameBytes, 300, 700));
    const wavefixtures::WaveInfo musicRead = read(TrackSide::Music);
    EXPECT_EQ(musicRead.samples, frames(musicTrack, kFrameBytes, 0, 300) + constant16(500, 0)
                                     + frames(musicTrack, kFrameBytes, 300, 700));
    EXPECT_FALSE(QFileInfo::exists(parked));
    EXPECT_EQ(display(Control::PreRecordedWaveDisplay).TotalSamples(), 1500u);
    EXPECT_EQ(display(Control::RecordingWaveDisplay).TotalSamples(), 1500u);
}

// An insert whose result cannot be written says so and leaves both tracks as they were.
TEST_F(InsertInWindow, FailedInsertLeavesTheTracks)
{
    loadTracks();
    const QString voicePath = working(TrackSide::Voice);
    const QString musicPath = working(TrackSide::Music);
    const QByteArray voiceHash = testsupport::hashOf(voicePath);
    const QByteArray musicHash = testsupport::hashOf(musicPath);
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("Insert Recording"));
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    backend.advance(500);
    interaction.expectMessageBox(platform::IDOK);
    {
        // Room for the take's files, not for a track with the take in it.
        const wavefixtures::FileSizeLimit limit(3000);
        click(Control::StartStopRecordingButton);
    }
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(working(TrackSide::Voice), voicePath);
    EXPECT_EQ(working(TrackSide::Music), musicPath);
    EXPECT_EQ(testsupport::hashOf(voicePath), voiceHash);
    EXPECT_EQ(testsupport::hashOf(musicPath), musicHash);
    EXPECT_EQ(display(Control::PreRecordedWaveDisplay).TotalSamples(), 1000u);
}

// A paste that fails on the music track after the voice went in leaves both tracks as they were,
// so they stay in line, and nothing of the take stays in the temporary folder.
TEST_F(InsertInWindow, TakeWhoseMusicInsertFailsLeavesBothTracks)
{
    loadTracks();
    const QString voicePath = working(TrackSide::Voice);
    const QString musicPath = working(TrackSide::Music);
    const QByteArray voiceHash = testsupport::hashOf(voicePath);
    const QByteArray musicHash = testsupport::hashOf(musicPath);
    const QStringList before = QDir(temp).entryList({QStringLiteral("*.wav")}, QDir::Files);
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("Insert Recording"));
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    backend.advance(500);
    // The music take cannot be read when it is pasted.
    ASSERT_TRUE(QFile::remove(working(TrackSide::Music)));
    interaction.expectMessageBox(platform::IDOK);
    click(Control::StartStopRecordingButton);
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(working(TrackSide::Voice), voicePath);
    EXPECT_EQ(working(TrackSide::Music), musicPath);
    EXPECT_EQ(testsupport::hashOf(voicePath), voiceHash);
    EXPECT_EQ(testsupport::hashOf(musicPath), musicHash);
    EXPECT_EQ(display(Control::PreRecordedWaveDisplay).TotalSamples(), 1000u);
    EXPECT_EQ(display(Control::RecordingWaveDisplay).TotalSamples(), 1000u);
    EXPECT_EQ(QDir(temp).entryList({QStringLiteral("*.wav")}, QDir::Files), before);
}

// An insert whose take does not start (too little free space, the input busy) leaves both tracks
// in the window as they were, and the next insert goes in.
TEST_F(InsertInWindow, InsertTakeThatDoesNotStartKeepsTheTracks)
{
    loadTracks();
    const QString voicePath = working(TrackSide::Voice);
    const QString musicPath = working(TrackSide::Music);
    const std::function<void(bool)> refusals[] = {
        [&](bool on) { freeBytes = on ? kLowSpaceBytes : int64_t(1) << 40; },
        [&](bool on) { backend.setInputOpenFailure(on ? StreamError::DeviceBusy : StreamError::None); },
    };
    for (std::size_t i = 0; i < std::size(refusals); ++i) {
        SCOPED_TRACE(i);
        refusals[i](true);
        interaction.expectMessageBox(platform::IDYES, QStringLiteral("Insert Recording"));
        interaction.expectMessageBox(platform::IDOK);
        click(Control::StartStopRecordingButton);
        refusals[i](false);
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_FALSE(window->recording().take().running());
        EXPECT_FALSE(window->busyFlag().isBusy());
        ASSERT_TRUE(window->trackRoads().track(TrackSide::Voice));
        ASSERT_TRUE(window->trackRoads().track(TrackSide::Music));
        EXPECT_EQ(working(TrackSide::Voice), voicePath);
        EXPECT_EQ(working(TrackSide::Music), musicPath);
        EXPECT_EQ(read(TrackSide::Voice).samples, voiceTrack);
        EXPECT_TRUE(named<QWidget>(Control::MixedPlayBtn)->isEnabled());
    }
    display(Control::PreRecordedWaveDisplay).setCaretPositionBySamples(1000);
    recordOverTheTracks(500);
    const wavefixtures::WaveInfo voice = read(TrackSide::Voice);
    EXPECT_EQ(voice.frames, 1500);
    EXPECT_EQ(frames(voice.samples, kFrameBytes, 0, 1000), voiceTrack);
    EXPECT_EQ(read(TrackSide::Music).frames, 1500);
}

// Clearing the tracks for a new take drops them with their working WAVs.
TEST_F(InsertInWindow, ClearingTheTracksStartsAFreshTake)
{
    loadTracks();
    const QString voicePath = working(TrackSide::Voice);
    interaction.expectMessageBox(platform::IDNO, QStringLiteral("Insert Recording"));
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("Clear Existing Recording"));
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    EXPECT_FALSE(QFileInfo::exists(voicePath));
    // The status bar shows the take's format, not the length of the tracks it replaced.
    const QStringList status = statusTexts();
    ASSERT_EQ(status.size(), 5);
    EXPECT_EQ(status.mid(0, 3), QStringList({"8000 Hz", "16 Bit", "Stereo"}));
    EXPECT_EQ(status[4], QStringLiteral("000:00:000"));
    backend.advance(700);
    click(Control::StartStopRecordingButton);
    EXPECT_EQ(read(TrackSide::Voice).frames, 700);
    EXPECT_EQ(read(TrackSide::Music).frames, 700);
}

class OverdubInWindow : public InsertInWindow {
protected:
    bool down(Control button) { return named<TCoolButton>(button)->Down(); }
};

// Voice only with a (saved) music track: the music plays from its start while the voice records;
// Music pressed meanwhile does nothing; the stop leaves both tracks of one length, the voice take
// holding what the microphone gave from its first frame, and the padded music changed.
TEST_F(OverdubInWindow, VoiceRecordsWhileTheMusicPlays)
{
    importTrack(TrackSide::Music, writeWave(folder + "/music.wav", kStereo8k, musicTrack));
    platform::FileDialogResult saved;
    saved.accepted = true;
    saved.files = {folder + "/saved-music.wav"};
    interaction.expectSaveFile(saved, QStringLiteral("Save Music Track As"));
    ASSERT_TRUE(window->SaveMusicTrack());
    ASSERT_EQ(window->trackRoads().track(TrackSide::Music)->state, kTrackSaved);
    const int outputs = backend.outputStreamCount();
    click(Control::VoiceRecordButton);
    ASSERT_TRUE(window->recording().overdub().running());
    EXPECT_EQ(formatQuestions, 0); // the music track set the format
    EXPECT_TRUE(down(Control::VoiceRecordButton));
    EXPECT_FALSE(named<QWidget>(Control::StartStopRecordingButton)->isEnabled());
    EXPECT_TRUE(window->busyFlag().isBusy());
    backend.advance(600);
    EXPECT_EQ(backend.outputAudio(outputs), frames(musicTrack, kFrameBytes, 0, 600));
    window->recording().overdubClicked(OverdubSide::Music); // the Music button is off; its handler refuses too
    EXPECT_EQ(window->recording().overdub().side(), OverdubSide::Voice);
    backend.advance(600);
    click(Control::VoiceRecordButton);
    EXPECT_FALSE(window->recording().overdub().running());
    EXPECT_FALSE(window->busyFlag().isBusy());
    EXPECT_FALSE(down(Control::VoiceRecordButton));
    const wavefixtures::WaveInfo voice = read(TrackSide::Voice);
    EXPECT_EQ(voice.frames, 1200);
    EXPECT_EQ(voice.samples, frames(microphone, kFrameBytes, 0, 1200));
    EXPECT_EQ(read(TrackSide::Music).frames, 1200); // padded with silence to the voice's length
    EXPECT_EQ(window->trackRoads().track(TrackSide::Music)->state, kTrackChanged);
    EXPECT_TRUE(named<QWidget>(Control::MixedPlayBtn)->isEnabled());
    EXPECT_TRUE(named<QWidget>(Control::MusicRecordButton)->isEnabled());
}

// Stop while a Voice take plays the music ends the music alone: the take goes on with its
// controls. While a Voice & Music take records over the tracks, neither the music nor the mix plays.
TEST_F(OverdubInWindow, StopDuringATakeEndsOnlyThePlayedTrack)
{
    importTrack(TrackSide::Music, writeWave(folder + "/music.wav", kStereo8k, musicTrack));
    const int outputs = backend.outputStreamCount();
    click(Control::VoiceRecordButton);
    ASSERT_TRUE(window->recording().overdub().running());
    backend.advance(300);
    ASSERT_TRUE(backend.outputOpen(outputs));
    window->playback().command(TransportCommand::Stop);
    EXPECT_FALSE(backend.outputOpen(outputs));
    EXPECT_TRUE(window->recording().overdub().running());
    EXPECT_TRUE(down(Control::VoiceRecordButton));
    EXPECT_FALSE(named<QWidget>(Control::StartStopRecordingButton)->isEnabled());
    backend.advance(300);
    EXPECT_EQ(engine.AudioGetRecordPosition(1), 600);
    click(Control::VoiceRecordButton);
    EXPECT_EQ(read(TrackSide::Voice).samples.left(600 * kFrameBytes), frames(microphone, kFrameBytes, 0, 600));

    interaction.expectMessageBox(platform::IDYES, QStringLiteral("Insert Recording"));
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    for (TransportCommand command : {TransportCommand::PlayMusic, TransportCommand::PlayMix}) {
        window->playback().command(command);
        EXPECT_FALSE(window->playback().transport().playing()) << int(command);
    }
    click(Control::StartStopRecordingButton);
}

// With output and input latency, a click of the music that the microphone hears again lands in
// the Voice-only take at the click's frame, as the speaker played it.
TEST_F(OverdubInWindow, VoiceTakeLinesUpWithTheMusicHeard)
{
    constexpr int64_t kClick = 300;
    QByteArray clicked(int(1000 * kFrameBytes), '\0');
    clicked[int(kClick * kFrameBytes) + 1] = 0x40;
    clicked[int(kClick * kFrameBytes) + 3] = 0x40;
    backend.setLatency(240);
    backend.setInputLatency(160);
    backend.setInputLoopback({8000, 2, 16});
    importTrack(TrackSide::Music, writeWave(folder + "/music.wav", kStereo8k, clicked));
    click(Control::VoiceRecordButton);
    ASSERT_TRUE(window->recording().overdub().running());
    backend.advance(1500);
    click(Control::VoiceRecordButton);
    ASSERT_FALSE(window->recording().overdub().running());
    const QByteArray voice = read(TrackSide::Voice).samples;
    const qsizetype loud = voice.indexOf(char(0x40));
    ASSERT_GE(loud, 0);
    EXPECT_EQ(loud / kFrameBytes, kClick);
}

// Music only over loaded tracks: the voice plays from the music display's caret while the music
// take runs; the stop pads the take to the voice's length. A second Music take over the recorded
// (changed) music track asks first, and Cancel keeps it.
TEST_F(OverdubInWindow, MusicRecordsWhileTheVoicePlays)
{
    loadTracks();
    display(Control::RecordingWaveDisplay).setCaretPositionBySamples(200);
    const int outputs = backend.outputStreamCount();
    // The loaded music track counts as changed, so the window asks before it replaces it.
    ASSERT_EQ(window->trackRoads().track(TrackSide::Music)->state, kTrackChanged);
    interaction.expectMessageBox(platform::IDNO, QStringLiteral("save the already recorded Music Track?"));
    click(Control::MusicRecordButton);
    ASSERT_TRUE(window->recording().overdub().running());
    EXPECT_EQ(window->recording().overdub().side(), OverdubSide::Music);
    backend.advance(500);
    EXPECT_EQ(backend.outputAudio(outputs), frames(voiceTrack, kFrameBytes, 200, 500));
    click(Control::MusicRecordButton);
    EXPECT_FALSE(window->recording().overdub().running());
    EXPECT_EQ(read(TrackSide::Voice).samples, voiceTrack);
    EXPECT_EQ(read(TrackSide::Music).frames, 1000); // the take padded to the voice's length
    EXPECT_EQ(window->recording().overdub().placedAt(), 200); // the take goes at the caret it played from

    const QString recorded = working(TrackSide::Music);
    interaction.expectMessageBox(platform::IDCANCEL, QStringLiteral("save the already recorded Music Track?"));
    click(Control::MusicRecordButton);
    EXPECT_FALSE(window->recording().overdub().running());
    EXPECT_EQ(working(TrackSide::Music), recorded);
    EXPECT_FALSE(down(Control::MusicRecordButton));
}

// A Voice or Music take in an empty window: only its own display says it records; after the stop
// Voice & Music and the other record button can be pressed again.
class LoneOverdubInWindow : public OverdubInWindow, public ::testing::WithParamInterface<OverdubSide> {};

TEST_P(LoneOverdubInWindow, OnlyTheRecordedDisplaySaysRecording)
{
    const bool voice = GetParam() == OverdubSide::Voice;
    const Control button = voice ? Control::VoiceRecordButton : Control::MusicRecordButton;
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("start recording now"));
    click(button);
    ASSERT_TRUE(window->recording().overdub().running());
    EXPECT_EQ(display(Control::PreRecordedWaveDisplay).NoSamplePresentText(),
              voice ? QStringLiteral("Recording Voice Track...") : QStringLiteral("Voice Track Space."));
    EXPECT_EQ(display(Control::RecordingWaveDisplay).NoSamplePresentText(),
              voice ? QStringLiteral("Music Track Space.") : QStringLiteral("Recording Music Track..."));
    backend.advance(500);
    click(button);
    ASSERT_FALSE(window->recording().overdub().running());
    for (const Control c :
         {Control::StartStopRecordingButton, voice ? Control::MusicRecordButton : Control::VoiceRecordButton})
        EXPECT_TRUE(named<QWidget>(c)->isEnabled()) << controlName(c);
}

INSTANTIATE_TEST_SUITE_P(Sides, LoneOverdubInWindow, ::testing::Values(OverdubSide::Voice, OverdubSide::Music),
                         [](const auto& info) { return sideName(info.param); });

struct RefusedOverdub {
    OverdubSide side;
    bool lowSpace; // else its device is busy
};

class RefusedOverdubInWindow : public OverdubInWindow, public ::testing::WithParamInterface<RefusedOverdub> {};

// A Voice or Music take that does not start (too little free space, its device busy) leaves the
// track it would have replaced loaded and shown, with the controls for it.
TEST_P(RefusedOverdubInWindow, TakeThatDoesNotStartKeepsTheTrack)
{
    const RefusedOverdub c = GetParam();
    const bool voice = c.side == OverdubSide::Voice;
    const TrackSide side = voice ? TrackSide::Voice : TrackSide::Music;
    const Control button = voice ? Control::VoiceRecordButton : Control::MusicRecordButton;
    importTrack(side, writeWave(folder + "/track.wav", kStereo8k, voiceTrack));
    const QString path = working(side);
    if (c.lowSpace)
        freeBytes = kLowSpaceBytes;
    else if (voice)
        backend.setInputOpenFailure(StreamError::DeviceBusy);
    else
        backend.setOutputOpenFailure(StreamError::DeviceBusy);
    interaction.expectMessageBox(platform::IDNO, QStringLiteral("save the already recorded"));
    interaction.expectMessageBox(platform::IDOK);
    click(button);
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_FALSE(window->recording().overdub().running());
    EXPECT_FALSE(window->busyFlag().isBusy());
    EXPECT_FALSE(down(button));
    ASSERT_TRUE(window->trackRoads().track(side));
    EXPECT_EQ(working(side), path);
    EXPECT_EQ(read(side).samples, voiceTrack);
    EXPECT_EQ(display(voice ? Control::PreRecordedWaveDisplay : Control::RecordingWaveDisplay).TotalSamples(), 1000u);
    EXPECT_TRUE(named<QWidget>(voice ? Control::PreRecordedPlayBtn : Control::RecordingPlayBtn)->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Refusals, RefusedOverdubInWindow,
                         ::testing::Values(RefusedOverdub{OverdubSide::Voice, true},
                                           RefusedOverdub{OverdubSide::Voice, false},
                                           RefusedOverdub{OverdubSide::Music, true},
                                           RefusedOverdub{OverdubSide::Music, false}),
                         [](const auto& info) {
                             return sideName(info.param.side) + (info.param.lowSpace ? "LowSpace" : "DeviceBusy");
                         });

// A Voice or Music take after a playback of one track alone (which left its own gain route), with
// the fader at one end.
struct OverdubFader {
    Control button;
    Control playedAlone;
    Qt::Key before; // the fader's key before the take
    Qt::Key during; // its key at the take's frame 400
    GainRoute route;
};

class OverdubFaderInWindow : public OverdubInWindow, public ::testing::WithParamInterface<OverdubFader> {
protected:
    const QByteArray loudMusic = constant16(1000, 4000);
};

// The track played under a Voice or Music take is heard at its own gain from the fader, whatever
// played before; the fader's moves during the take are recorded at the track frames they were
// made at.
TEST_P(OverdubFaderInWindow, TakeHearsTheFaderAndRecordsItsMoves)
{
    const OverdubFader f = GetParam();
    const bool voiceTake = f.button == Control::VoiceRecordButton;
    importTrack(TrackSide::Voice, writeWave(folder + "/voice.wav", kStereo8k, voiceTrack));
    importTrack(TrackSide::Music, writeWave(folder + "/music.wav", kStereo8k, loudMusic));
    click(f.playedAlone);
    click(Control::StopBtn);
    FaderController& gains = window->faderController();
    auto* fader = named<controls::TCoolSliderV>(Control::RecordingRightVolumeTrackBar);
    fader->setFocus();
    QTest::keyClick(fader, f.before);
    const int before = gains.fader();
    ASSERT_NE(before, 0);
    // The voice plays under the music take from the music display's caret.
    const int64_t playStart = voiceTake ? 0 : 200;
    display(Control::RecordingWaveDisplay).setCaretPositionBySamples(playStart);
    interaction.expectMessageBox(platform::IDNO, QStringLiteral("save the already recorded"));
    const int outputs = backend.outputStreamCount();
    click(f.button);
    ASSERT_TRUE(window->recording().overdub().running());
    EXPECT_EQ(gains.route(), f.route);
    backend.advance(400);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->recording().overdub().position() == 400; }, 2000));
    const QByteArray played =
        voiceTake ? frames(loudMusic, kFrameBytes, 0, 400) : frames(voiceTrack, kFrameBytes, playStart, 400);
    const float gain = voiceTake ? trackGains(before, 0, 0).music : trackGains(before, 0, 0).voice;
    const QByteArray heard = backend.outputAudio(outputs);
    ASSERT_EQ(heard.size(), played.size());
    for (qsizetype i = 0; i < played.size() / 2; ++i)
        ASSERT_NEAR(sample16(heard, i), sample16(played, i) * gain, 1.0) << "sample " << i;

    QTest::keyClick(fader, f.during);
    const int during = gains.fader();
    ASSERT_NE(during, before);
    backend.advance(400);
    click(f.button);
    ASSERT_FALSE(window->recording().overdub().running());
    ASSERT_NE(gains.automation(), nullptr);
    const int64_t origin = window->recording().overdub().placedAt();
    EXPECT_EQ(origin, playStart);
    EXPECT_EQ(gains.valueAt(origin + 399), before);
    EXPECT_EQ(gains.valueAt(origin + 400), during);
}

INSTANTIATE_TEST_SUITE_P(Sides, OverdubFaderInWindow,
                         ::testing::Values(OverdubFader{Control::VoiceRecordButton, Control::PreRecordedPlayBtn,
                                                        Qt::Key_Home, Qt::Key_End, GainRoute::VoiceRecording},
                                           OverdubFader{Control::MusicRecordButton, Control::RecordingPlayBtn,
                                                        Qt::Key_End, Qt::Key_Home, GainRoute::Mixed}),
                         [](const auto& info) { return std::string(controlName(info.param.button)); });

// A Music-only take whose output goes away ends by itself: the window stops it as the Music button
// would, with message 123, and keeps the take beside the voice track.
TEST_F(OverdubInWindow, MusicTakeWhoseOutputGoesAwayEndsTheOverdub)
{
    importTrack(TrackSide::Voice, writeWave(folder + "/voice.wav", kStereo8k, voiceTrack));
    click(Control::MusicRecordButton);
    ASSERT_TRUE(window->recording().overdub().running());
    ASSERT_EQ(window->recording().overdub().side(), OverdubSide::Music);
    backend.advance(400);
    const QString take = working(TrackSide::Music);
    interaction.expectMessageBox(platform::IDOK, QStringLiteral("inadequate free space"));
    backend.removeDevice("virtual-out");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->recording().overdub().running(); }, 5000));
    EXPECT_TRUE(interaction.allConsumed());
    expectTakeStopped();
    EXPECT_EQ(working(TrackSide::Music), take); // placed at frame 0: the take file itself
    EXPECT_EQ(read(TrackSide::Voice).samples, voiceTrack);
    const wavefixtures::WaveInfo music = wavefixtures::soxWaveInfo(working(TrackSide::Music));
    EXPECT_EQ(music.frames, 1000); // 400 recorded, padded to the voice's length
    EXPECT_EQ(display(Control::RecordingWaveDisplay).TotalSamples(), 1000u);
}

// The format page: CD quality at first with the boxes off; a preset sets and locks the boxes;
// Custom frees them; Finish gives the boxes' format, Cancel none.
TEST(PodcastWizardFormat, PresetsCustomFinishAndCancel)
{
    const auto all = offeredFormats([](const OfferedFormat&) { return true; });
    TPodcastWizardForm wizard(all);
    wizard.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wizard));
    auto* rate = wizard.findChild<QComboBox*>(QStringLiteral("SampleRateComboBox"));
    auto* bits = wizard.findChild<QComboBox*>(QStringLiteral("BitsComboBox"));
    auto* channels = wizard.findChild<QComboBox*>(QStringLiteral("ChannelsComboBox"));
    EXPECT_EQ(wizard.chosen(), makePcmFormat(44100, 16, 2));
    EXPECT_FALSE(rate->isEnabled());

    // A radio button takes a click on its mark.
    const auto choose = [&](const char* name) {
        auto* button = wizard.findChild<QRadioButton*>(QString::fromLatin1(name));
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    };
    choose("Quality2");
    EXPECT_EQ(wizard.chosen(), makePcmFormat(11025, 16, 1));
    EXPECT_EQ(channels->currentText(), QStringLiteral("Mono"));
    EXPECT_FALSE(bits->isEnabled());

    choose("Quality3");
    EXPECT_TRUE(rate->isEnabled());
    EXPECT_EQ(wizard.chosen(), makePcmFormat(44100, 16, 2));
    rate->setCurrentIndex(rate->findText(QStringLiteral("48000 Hz")));
    bits->setCurrentIndex(bits->findText(QStringLiteral("8 Bit")));
    EXPECT_EQ(channels->currentText(), QStringLiteral("Stereo")); // kept by position
    EXPECT_EQ(wizard.chosen(), makePcmFormat(48000, 8, 2));

    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    const QString path = QDir::current().filePath(QStringLiteral("screenshots/podcast-wizard-custom.png"));
    const QImage picture = wizard.grab().toImage();
    EXPECT_GT(picture.width(), 200);
    EXPECT_TRUE(picture.save(path));

    QSignalSpy finished(&wizard, &QDialog::finished);
    QTest::mouseClick(wizard.findChild<QPushButton*>(QStringLiteral("FinishButton")), Qt::LeftButton);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.front().front().toInt(), int(QDialog::Accepted));
    wizard.show();
    QTest::keyClick(&wizard, Qt::Key_Escape);
    ASSERT_EQ(finished.count(), 2);
    EXPECT_EQ(finished.back().front().toInt(), int(QDialog::Rejected));
}

} // namespace
