// Playback in the recording window on the virtual sound backend, driven through its named controls:
// the play buttons and what they switch, the position timer moving the position box, the carets
// and the slider to the audible frame, pause, fast forward, rewind and skips, stop, the end of the
// playback with its saturation message, the meters and clip lamps, and a failing device.
#include "recorder/PlaybackControls.h"

#include "common/WaveUtil.h"
#include "controls/ColorScheme.h"
#include "controls/CoolButton.h"
#include "controls/CoolSliderH.h"
#include "controls/CoolSliderV.h"
#include "controls/EQMeter.h"
#include "controls/Scale.h"
#include "controls/Waveform.h"
#include "platform/base/Colors.h"
#include "tests/platform/audio/EngineTestSupport.h"
#include "tests/recorder/WindowOnVirtualSound.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include <array>

using namespace recorder;
using controls::TCoolButton;
using enginetest::constant16;
using enginetest::ramp16;
using enginetest::writeWave;

namespace {

const WaveFormatEx kStereo8k = makePcmFormat(8000, 16, 2);
constexpr int kFrames = 8000;

class PlaybackWindowTest : public windowtest::WindowOnVirtualSound {
protected:
    void loadTracks(const QByteArray& voice, const QByteArray& music)
    {
        importTrack(TrackSide::Voice, writeWave(folder + "/voice.wav", kStereo8k, voice));
        importTrack(TrackSide::Music, writeWave(folder + "/music.wav", kStereo8k, music));
    }
    PlaybackControls& playback() { return window->playback(); }
    controls::TQzv32WaveDisplay& voiceDisplay() { return *named<controls::TQzv32WaveDisplay>(Control::PreRecordedWaveDisplay); }
    controls::TQzv32WaveDisplay& musicDisplay() { return *named<controls::TQzv32WaveDisplay>(Control::RecordingWaveDisplay); }
    bool down(Control button) { return named<TCoolButton>(button)->Down(); }
    bool enabled(Control control)
    {
        if (auto* action = named<QAction>(control))
            return action->isEnabled();
        return named<QWidget>(control)->isEnabled();
    }
    // Runs the clock on and lets the position timer show what is heard.
    void hear(int64_t frames)
    {
        backend.advance(frames);
        const int64_t expected = engine.AudioGetPosition(1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return int64_t(voiceDisplay().CaretPositionBySamples()) == expected; }, 2000))
            << "caret " << voiceDisplay().CaretPositionBySamples() << ", heard " << expected;
    }
    QColor lamp(const char* name)
    {
        return window->findChild<QLabel*>(QString::fromLatin1(name))->palette().color(QPalette::Window);
    }
    QColor schemeColor(int element) { return platform::colorFromRef(window->colorScheme().GetSchemeColor(element)); }
};

// Play Voice plays the voice track from its caret; the position timer puts the carets, the position
// box and the slider on the frame being heard (not on what was handed to the device ahead of its
// latency); Pause holds it; fast forward and rewind move it by 2 % of the track, never before the
// start; Stop gives the controls back.
TEST_F(PlaybackWindowTest, VoicePlaysFromTheCaretAndTheTimerShowsWhatIsHeard)
{
    loadTracks(ramp16(kFrames), ramp16(kFrames, 2, 7));
    backend.setLatency(300);
    voiceDisplay().setCaretPositionBySamples(1000);

    click(Control::PreRecordedPlayBtn);
    ASSERT_EQ(playback().transport().kind(), PlayKind::Voice);
    EXPECT_TRUE(down(Control::PreRecordedPlayBtn));
    EXPECT_TRUE(named<QAction>(Control::PlaybackVoiceTrackMenu)->isChecked());
    for (Control off : {Control::MixedPlayBtn, Control::RecordingPlayBtn, Control::PlaybackMixedTrackMenu,
                        Control::PlaybackMusicTrackMenu, Control::CurrentPositionTrackBar})
        EXPECT_FALSE(enabled(off)) << controlName(off);
    for (Control on : {Control::StopBtn, Control::PauseBtn, Control::ForwardBtn, Control::RewindBtn})
        EXPECT_TRUE(enabled(on)) << controlName(on);
    EXPECT_TRUE(playback().positionTimerActive());

    hear(1000);
    // 1000 frames heard from frame 1000; the device holds 300 more that are not heard yet.
    EXPECT_EQ(voiceDisplay().CaretPositionBySamples(), 2000u);
    EXPECT_EQ(musicDisplay().CaretPositionBySamples(), 2000u);
    EXPECT_EQ(named<controls::TCoolSliderH>(Control::CurrentPositionTrackBar)->Position(), 2000);
    const QString shown = named<QLineEdit>(Control::PositionMaskEdit)->text();
    hear(100);
    EXPECT_NE(named<QLineEdit>(Control::PositionMaskEdit)->text(), shown);

    click(Control::PauseBtn);
    EXPECT_TRUE(playback().transport().paused());
    EXPECT_TRUE(down(Control::PauseBtn));
    EXPECT_FALSE(playback().positionTimerActive());
    const int64_t held = engine.AudioGetPosition(1);
    backend.advance(800);
    EXPECT_EQ(engine.AudioGetPosition(1), held);
    click(Control::PauseBtn);
    EXPECT_FALSE(playback().transport().paused());
    EXPECT_FALSE(down(Control::PauseBtn));

    click(Control::ForwardBtn);
    EXPECT_EQ(voiceDisplay().CaretPositionBySamples(), uint32_t(held + 160));
    for (int i = 0; i < 10; ++i)
        click(Control::RewindBtn);
    EXPECT_EQ(voiceDisplay().CaretPositionBySamples(), 1000u);
    EXPECT_EQ(engine.AudioGetPosition(1), 1000);

    click(Control::StopBtn);
    EXPECT_FALSE(playback().transport().playing());
    EXPECT_FALSE(playback().positionTimerActive());
    EXPECT_FALSE(down(Control::PreRecordedPlayBtn));
    EXPECT_FALSE(named<QAction>(Control::PlaybackVoiceTrackMenu)->isChecked());
    for (Control on : {Control::PreRecordedPlayBtn, Control::MixedPlayBtn, Control::RecordingPlayBtn,
                       Control::PlaybackMixedTrackMenu, Control::PlaybackMusicTrackMenu, Control::SkipToEndBtn})
        EXPECT_TRUE(enabled(on)) << controlName(on);
    for (Control off : {Control::StopBtn, Control::PauseBtn, Control::ForwardBtn})
        EXPECT_FALSE(enabled(off)) << controlName(off);
    EXPECT_FALSE(backend.outputOpen(0));
}

// The music plays alone from its caret through the Playback menu; skip to start seeks the
// playback to 0; skip to end stops it and puts the carets on the last frame.
TEST_F(PlaybackWindowTest, MusicFromTheMenuAndTheSkips)
{
    loadTracks(ramp16(kFrames), ramp16(kFrames, 2, 7));
    musicDisplay().setCaretPositionBySamples(2000);
    clickMenuItem(Control::PlaybackMusicTrackMenu);
    ASSERT_EQ(playback().transport().kind(), PlayKind::Music);
    EXPECT_TRUE(down(Control::RecordingPlayBtn));
    EXPECT_FALSE(enabled(Control::PlaybackMusicTrackMenu));
    backend.advance(200);
    EXPECT_EQ(enginetest::sample16(backend.outputAudio(0), 0), int16_t(2007));

    click(Control::SkipToStartBtn);
    EXPECT_EQ(engine.AudioGetPosition(1), 0);
    EXPECT_EQ(voiceDisplay().CaretPositionBySamples(), 0u);

    click(Control::SkipToEndBtn);
    EXPECT_FALSE(playback().transport().playing());
    EXPECT_EQ(voiceDisplay().CaretPositionBySamples(), uint32_t(kFrames - 1));
    EXPECT_EQ(musicDisplay().CaretPositionBySamples(), uint32_t(kFrames - 1));
    EXPECT_TRUE(enabled(Control::RecordingPlayBtn));
    EXPECT_FALSE(down(Control::RecordingPlayBtn));
    EXPECT_TRUE(enabled(Control::PlaybackMusicTrackMenu));
}

// The mix of two loud tracks plays to its end: the meters and both clip lamps light, the end
// message stops the playback, puts the carets back where it started and says that the mix
// saturated; the lamps go out a second after the last loud level.
TEST_F(PlaybackWindowTest, MixPlaysToItsEndWithMetersLampsAndTheSaturationMessage)
{
    loadTracks(constant16(kFrames, 30000), constant16(kFrames, 30000));
    voiceDisplay().setCaretPositionBySamples(4000);
    click(Control::MixedPlayBtn);
    ASSERT_EQ(playback().transport().kind(), PlayKind::Mix);
    EXPECT_TRUE(down(Control::MixedPlayBtn));
    EXPECT_FALSE(enabled(Control::RecordingPlayBtn));

    hear(1000);
    auto* left = window->findChild<controls::TEQMeter*>(QStringLiteral("EQMeter1"));
    EXPECT_EQ(left->barValue(0), 100);
    EXPECT_EQ(lamp("LeftChannelClipping"), schemeColor(controls::RecorderColor::ClippingLightOn));
    EXPECT_EQ(lamp("RightChannelClipping"), schemeColor(controls::RecorderColor::ClippingLightOn));

    interaction.expectMessageBox(platform::IDOK, QStringLiteral("Mixed data is saturated."));
    backend.advance(kFrames);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !playback().transport().playing(); }, 2000));
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(voiceDisplay().CaretPositionBySamples(), 4000u);
    EXPECT_FALSE(down(Control::MixedPlayBtn));
    EXPECT_TRUE(enabled(Control::MixedPlayBtn));
    EXPECT_EQ(left->barValue(0), 0);
    EXPECT_EQ(lamp("LeftChannelClipping"), schemeColor(controls::RecorderColor::ClippingLightOff));
}

// With "Prevent Saturation" on, the loud mix is scaled instead of clipped and ends without the
// message.
TEST_F(PlaybackWindowTest, PreventedSaturationEndsWithoutTheMessage)
{
    preventSaturation = true;
    loadTracks(constant16(kFrames, 30000), constant16(kFrames, 30000));
    click(Control::MixedPlayBtn);
    ASSERT_EQ(playback().transport().kind(), PlayKind::Mix);
    backend.advance(kFrames + 1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !playback().transport().playing(); }, 2000));
    const int16_t first = enginetest::sample16(backend.outputAudio(backend.outputStreamCount() - 1), 0);
    EXPECT_LT(first, 32767); // 60000 scaled into range, not clipped
    EXPECT_GT(first, 16000);
}

// The lamps stay lit for a second after the last level above 95, then go out; 95 itself lights
// nothing.
TEST_F(PlaybackWindowTest, ClipLampsHoldForASecond)
{
    // 95 % and 96 % of full scale on the left channel, in turn; the right stays quiet.
    QByteArray samples = constant16(kFrames, 0);
    auto* out = reinterpret_cast<int16_t*>(samples.data());
    for (int i = 0; i < kFrames; ++i)
        out[i * 2] = int16_t(i < 2000 ? 31129 : 31457);
    loadTracks(samples, constant16(kFrames, 0));
    click(Control::PreRecordedPlayBtn);
    hear(1000);
    EXPECT_EQ(lamp("LeftChannelClipping"), schemeColor(controls::RecorderColor::ClippingLightOff));
    hear(2000);
    EXPECT_EQ(lamp("LeftChannelClipping"), schemeColor(controls::RecorderColor::ClippingLightOn));
    EXPECT_EQ(lamp("RightChannelClipping"), schemeColor(controls::RecorderColor::ClippingLightOff));
    click(Control::PauseBtn);
    EXPECT_EQ(lamp("LeftChannelClipping"), schemeColor(controls::RecorderColor::ClippingLightOn));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return lamp("LeftChannelClipping") == schemeColor(controls::RecorderColor::ClippingLightOff); }, 3000));
    click(Control::StopBtn);
}

// Zoom in halves the voice display's level and the music display follows; zoom out doubles it back;
// at the highest level zoom out does nothing; zoom to extents goes back to the whole track. The
// status bar shows the level.
TEST_F(PlaybackWindowTest, ZoomButtonsMoveBothDisplays)
{
    loadTracks(ramp16(kFrames), ramp16(kFrames));
    const uint32_t whole = voiceDisplay().ZoomLevel();
    ASSERT_EQ(whole, voiceDisplay().MaxZoomLevel());
    ASSERT_GT(whole, 3u);
    const auto statusShows = [&](uint32_t zoom) {
        const QString text = QStringLiteral("1:%1").arg(zoom);
        for (const QLabel* panel : window->findChildren<QLabel*>())
            if (panel->text() == text)
                return true;
        return false;
    };

    click(Control::ZoomInButton);
    const uint32_t in = voiceDisplay().ZoomLevel();
    EXPECT_LT(in, whole);
    EXPECT_EQ(musicDisplay().ZoomLevel(), in);
    EXPECT_EQ(musicDisplay().LeftSamplePos(), voiceDisplay().LeftSamplePos());
    EXPECT_TRUE(statusShows(in));

    click(Control::ZoomInButton);
    const uint32_t deeper = voiceDisplay().ZoomLevel();
    EXPECT_LT(deeper, in);
    clickMenuItem(Control::ViewZoomOutMenu);
    EXPECT_EQ(voiceDisplay().ZoomLevel(), deeper * 2);
    EXPECT_EQ(musicDisplay().ZoomLevel(), deeper * 2);

    click(Control::ZoomToExtentsButton);
    EXPECT_EQ(voiceDisplay().ZoomLevel(), whole);
    EXPECT_EQ(voiceDisplay().LeftSamplePos(), 0u);
    EXPECT_EQ(musicDisplay().ZoomLevel(), whole);
    click(Control::ZoomOutButton); // beyond the highest level: nothing happens
    EXPECT_EQ(voiceDisplay().ZoomLevel(), whole);
    EXPECT_TRUE(statusShows(whole));
}

// A position typed into the box moves both carets and the slider when Enter leaves the box; one
// past the end of the track is refused and the box shows the caret again. The slider's keys move
// both carets.
TEST_F(PlaybackWindowTest, PositionBoxAndSliderMoveTheCarets)
{
    loadTracks(ramp16(kFrames), ramp16(kFrames));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto* box = named<QLineEdit>(Control::PositionMaskEdit);
    const auto type = [&](const QString& text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    };
    type(QStringLiteral("00000250")); // 0 min 00 s 250 ms at 8 kHz
    EXPECT_EQ(voiceDisplay().CaretPositionBySamples(), 2000u);
    EXPECT_EQ(musicDisplay().CaretPositionBySamples(), 2000u);
    EXPECT_EQ(named<controls::TCoolSliderH>(Control::CurrentPositionTrackBar)->Position(), 2000);
    EXPECT_TRUE(voiceDisplay().hasFocus());

    const QString shown = box->text();
    type(QStringLiteral("00001001")); // 8008 frames, past the end
    EXPECT_EQ(voiceDisplay().CaretPositionBySamples(), 2000u);
    EXPECT_EQ(box->text(), shown);

    type(QStringLiteral("00001000")); // the end itself is a position
    EXPECT_EQ(voiceDisplay().CaretPositionBySamples(), uint32_t(kFrames));

    auto* slider = named<controls::TCoolSliderH>(Control::CurrentPositionTrackBar);
    ASSERT_TRUE(slider->isEnabled());
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Home);
    EXPECT_EQ(voiceDisplay().CaretPositionBySamples(), 0u);
    EXPECT_EQ(musicDisplay().CaretPositionBySamples(), 0u);
}

// Every playback plays the recorded fader back when there is a music track: the slider, the gains
// and the tint follow the automation. A playback starts on displays without a tint.
TEST_F(PlaybackWindowTest, EveryPlaybackReplaysTheRecordedFader)
{
    loadTracks(ramp16(kFrames), ramp16(kFrames, 2, 7));
    auto* fader = named<controls::TCoolSliderV>(Control::RecordingRightVolumeTrackBar);
    const QColor background = voiceDisplay().BackGroundColor();
    FaderController& gains = window->faderController();
    gains.beginTake(0);
    gains.onFaderMoved(2000, 24);
    gains.onFaderMoved(4000, -10);
    gains.endTake();
    struct Case {
        Control button;
        PlayKind kind;
    };
    for (const Case c : {Case{Control::PreRecordedPlayBtn, PlayKind::Voice}, Case{Control::RecordingPlayBtn, PlayKind::Music},
                         Case{Control::MixedPlayBtn, PlayKind::Mix}}) {
        SCOPED_TRACE(controlName(c.button));
        voiceDisplay().setCaretPositionBySamples(0);
        musicDisplay().setCaretPositionBySamples(0);
        fader->setFocus();
        QTest::keyClick(fader, Qt::Key_End); // tints the music display
        ASSERT_NE(musicDisplay().BackGroundColor(), background);
        click(c.button);
        ASSERT_EQ(playback().transport().kind(), c.kind);
        EXPECT_EQ(voiceDisplay().BackGroundColor(), background);
        EXPECT_EQ(musicDisplay().BackGroundColor(), background);
        struct Heard {
            int64_t frame;
            int fader;
        };
        for (const Heard h : {Heard{1000, 0}, Heard{3000, 24}, Heard{5000, -10}}) {
            SCOPED_TRACE(h.frame);
            backend.advance(h.frame - engine.AudioGetPosition(1));
            ASSERT_TRUE(QTest::qWaitFor([&] { return fader->Position() == h.fader; }, 2000)) << fader->Position();
            EXPECT_EQ(gains.fader(), h.fader);
        }
        EXPECT_NE(voiceDisplay().BackGroundColor(), background); // -10 favours the voice
        click(Control::StopBtn);
        EXPECT_EQ(fader->Position(), 0);
        EXPECT_EQ(voiceDisplay().BackGroundColor(), background);
    }
}

// The Mix button plays the mix from where the last playback started while the fader's moves are
// recorded anew at the frames heard (the pass replays nothing); Stop ends the pass and gives the
// record buttons back. A pass that plays to its end ends the same way.
TEST_F(PlaybackWindowTest, MixButtonRecordsTheFaderAnew)
{
    loadTracks(ramp16(kFrames), ramp16(kFrames, 2, 7));
    auto* fader = named<controls::TCoolSliderV>(Control::RecordingRightVolumeTrackBar);
    FaderController& gains = window->faderController();
    voiceDisplay().setCaretPositionBySamples(2000);
    click(Control::PreRecordedPlayBtn);
    click(Control::StopBtn);
    voiceDisplay().setCaretPositionBySamples(0);

    ASSERT_TRUE(enabled(Control::ReMixButton));
    click(Control::ReMixButton);
    ASSERT_EQ(playback().transport().kind(), PlayKind::Mix);
    EXPECT_EQ(playback().transport().playStart(), 2000);
    EXPECT_TRUE(window->remixPlayback());
    EXPECT_TRUE(named<QAction>(Control::PlaybackMixedTrackMenu)->isChecked());
    for (Control off : {Control::MixedPlayBtn, Control::RecordingPlayBtn, Control::PlaybackMixedTrackMenu,
                        Control::PlaybackMusicTrackMenu, Control::ReMixButton, Control::SkipToStartBtn,
                        Control::PauseBtn, Control::ForwardBtn, Control::VoiceRecordButton})
        EXPECT_FALSE(enabled(off)) << controlName(off);
    EXPECT_FALSE(down(Control::MixedPlayBtn));
    EXPECT_TRUE(fader->isEnabled());
    EXPECT_EQ(gains.route(), GainRoute::Mixed);
    ASSERT_NE(gains.automation(), nullptr);
    EXPECT_TRUE(gains.takeRunning());

    hear(1000);
    fader->setFocus();
    QTest::keyClick(fader, Qt::Key_End);
    hear(1000);
    EXPECT_EQ(fader->Position(), 24);
    QTest::keyClick(fader, Qt::Key_Home);
    hear(500);
    EXPECT_EQ(fader->Position(), -24);
    click(Control::StopBtn);
    EXPECT_FALSE(window->remixPlayback());
    EXPECT_FALSE(gains.takeRunning());
    EXPECT_FALSE(named<QAction>(Control::PlaybackMixedTrackMenu)->isChecked());
    for (Control on : {Control::ReMixButton, Control::VoiceRecordButton, Control::MusicRecordButton,
                       Control::MixedPlayBtn})
        EXPECT_TRUE(enabled(on)) << controlName(on);
    struct Recorded {
        int64_t frame;
        int fader;
    };
    for (const Recorded r : {Recorded{2500, 0}, Recorded{3500, 24}, Recorded{4500, -24}})
        EXPECT_EQ(gains.valueAt(r.frame), r.fader) << r.frame;

    click(Control::ReMixButton);
    ASSERT_TRUE(window->remixPlayback());
    backend.advance(kFrames);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !playback().transport().playing(); }, 2000));
    EXPECT_FALSE(window->remixPlayback());
    EXPECT_FALSE(gains.takeRunning());
    EXPECT_TRUE(enabled(Control::ReMixButton));
}

// View > Position Displays: the sample number and then minutes and seconds again; the position box
// shows the caret in the chosen unit, both rulers count the same way and the status bar shows the
// track's format again.
TEST_F(PlaybackWindowTest, PositionDisplaysSwitchTheBoxTheRulersAndTheStatusBar)
{
    loadTracks(ramp16(kFrames), ramp16(kFrames));
    voiceDisplay().setCaretPositionBySamples(2000);
    auto* box = named<QLineEdit>(Control::PositionMaskEdit);
    const std::array<controls::TQzv32Scale*, 2> rulers = {
        window->findChild<controls::TQzv32Scale*>(QStringLiteral("CurrentViewScale")),
        window->findChild<controls::TQzv32Scale*>(QStringLiteral("CurrentPositionScale"))};
    const auto item = [&](const QString& text) {
        for (QAction* action : named<QAction>(Control::ViewPositionDisplaysMenu)->menu()->actions())
            if (action->text() == text)
                return action;
        ADD_FAILURE() << text.toStdString();
        return static_cast<QAction*>(nullptr);
    };
    auto* rate = window->findChild<QLabel*>(QStringLiteral("StatusPanel0"));
    struct Case {
        const char* item;
        int unit;
        const char* shown;
        controls::TFormat format;
    };
    const Case cases[] = {{"&Sample Number", kPositionFrames, "00002000", controls::TFormat::Samples},
                          {"&Minutes / Seconds", kPositionMilliseconds, "000:00:250", controls::TFormat::Time}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        window->ShowStatusFormat(0, 0, true, 0, 0);
        ASSERT_NE(rate->text(), QStringLiteral("8000 Hz"));
        QAction* action = item(QString::fromLatin1(c.item));
        ASSERT_NE(action, nullptr);
        action->trigger();
        EXPECT_TRUE(action->isChecked());
        EXPECT_EQ(window->positionUnit(), c.unit);
        EXPECT_EQ(box->text(), QString::fromLatin1(c.shown));
        for (const controls::TQzv32Scale* ruler : rulers)
            EXPECT_EQ(ruler->Format(), c.format);
        EXPECT_EQ(rate->text(), QStringLiteral("8000 Hz"));
    }
}

// A device that cannot be opened: the player's message, the button pops up and nothing plays.
TEST_F(PlaybackWindowTest, FailingDeviceShowsTheMessageAndLeavesTheControls)
{
    loadTracks(ramp16(kFrames), ramp16(kFrames));
    backend.setOutputOpenFailure(platform::audio::StreamError::DeviceBusy);
    interaction.expectMessageBox(platform::IDOK);
    click(Control::PreRecordedPlayBtn);
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_FALSE(playback().transport().playing());
    EXPECT_FALSE(down(Control::PreRecordedPlayBtn));
    EXPECT_TRUE(enabled(Control::PreRecordedPlayBtn));
    EXPECT_FALSE(enabled(Control::StopBtn));
    EXPECT_FALSE(playback().positionTimerActive());
}

} // namespace
