// Recording in the recording window on the virtual sound backend, driven through its named
// controls: the first take asks for the recording format, Pause Rec leaves no gap, the stop leaves
// two tracks of one length, the recording label blinks; a nearly full disk refuses or stops a take
// (the take stays a valid WAV); a music take that ends by itself ends its take with message 123; a
// take over loaded tracks is inserted at the caret, or the tracks are cleared; an insert that fails
// leaves the tracks as they were.
#include "recorder/FileSaveDialog.h"
#include "recorder/PlaybackControls.h"
#include "recorder/PodcastWizard.h"
#include "recorder/RecordingControls.h"

#include "controls/CoolButton.h"
#include "controls/CoolSliderV.h"
#include "controls/Waveform.h"
#include "platform/audio/PlayerCodes.h"
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

using namespace recorder;
using controls::TCoolButton;
using enginetest::constant16;
using enginetest::frames;
using enginetest::ramp16;
using enginetest::writeWave;

namespace {

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
        interaction.expectMessageBox(platform::IDOK, QStringLiteral("inadequate free space"));
        backend.advance(1000);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->recording().take().running(); }, 10000));
    }
    EXPECT_TRUE(interaction.allConsumed());
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
    backend.advance(700);
    click(Control::StartStopRecordingButton);
    EXPECT_EQ(read(TrackSide::Voice).frames, 700);
    EXPECT_EQ(read(TrackSide::Music).frames, 700);
}

class OverdubInWindow : public InsertInWindow {
protected:
    bool down(Control button) { return named<TCoolButton>(button)->Down(); }
};

// Voice only with a music track: the music plays from its start while the voice records; Music
// pressed meanwhile does nothing; the stop leaves both tracks of one length, the voice take
// holding what the microphone gave from its first frame.
TEST_F(OverdubInWindow, VoiceRecordsWhileTheMusicPlays)
{
    importTrack(TrackSide::Music, writeWave(folder + "/music.wav", kStereo8k, musicTrack));
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
    EXPECT_TRUE(named<QWidget>(Control::MixedPlayBtn)->isEnabled());
    EXPECT_TRUE(named<QWidget>(Control::MusicRecordButton)->isEnabled());
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
