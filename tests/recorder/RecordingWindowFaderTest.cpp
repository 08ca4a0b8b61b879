// The recording window's fader and trims, moved by keys as a user would: the gains the player then
// mixes with, the tint of the track displays, and the control states that put the fader back; and
// the record device button.
#include "recorder/LiveOverdubbing.h"

#include "recorder/ControlAvailability.h"
#include "recorder/WebEQSliderV.h"

#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "controls/CoolButton.h"
#include "controls/CoolSliderV.h"
#include "controls/EQMeter.h"
#include "controls/ProgressBar.h"
#include "controls/Waveform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/FakeMixerBackend.h"
#include "platform/audio/MixerLibrary.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/audio/VirtualBackend.h"
#include "platform/base/Colors.h"
#include "platform/base/Rounding.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StringTable.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QTest>

#include <array>

using namespace recorder;

namespace {

platform::StringTable recorderStrings()
{
    platform::StringTable table;
    EXPECT_TRUE(table.load(QString::fromLatin1(kRecorderStringTablePath)));
    return table;
}

// A mixer with one stereo output and one stereo input, the system's preferred ones.
std::shared_ptr<platform::audio::FakeMixerBackend> makeFakeMixer()
{
    using namespace platform::audio;
    auto fake = std::make_shared<FakeMixerBackend>();
    for (const auto& [direction, name] : {std::pair{MixerDirection::Output, "speakers"}, {MixerDirection::Input, "mic"}}) {
        MixerDevice device;
        device.name = QString::fromLatin1(name);
        device.description = device.name + " device";
        device.sides = {ChannelSide::Left, ChannelSide::Right};
        fake->addDevice(direction, device);
        fake->setDefaultDevice(direction, device.name);
    }
    return fake;
}

class RecordingWindowFaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RecordingWindowServices services{store, messages, engine, music, runner, [this] { return temp; }};
        services.showDevicePreferences = [this] { ++devicePreferencesShown; };
        services.mixer = &mixer;
        window = std::make_unique<TLiveOvedubbingForm>(services);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    QWidget* named(Control control) const
    {
        return window->findChild<QWidget*>(QString::fromLatin1(controlName(control)));
    }

    // What the player makes of a full-scale-ish sample of each track alone with its present gains.
    std::array<int16_t, 2> mixedProbe()
    {
        std::array<int16_t, 2> voice{1000, 1000}, music{1000, 1000}, silence{0, 0};
        std::array<int16_t, 2> voiceOut = voice, musicOut = silence;
        int saturated = 0;
        EXPECT_EQ(engine.MixData(voiceOut.data(), 4, silence.data(), 4, 2, 16, 0, &saturated), 0);
        EXPECT_EQ(engine.MixData(musicOut.data(), 4, music.data(), 4, 2, 16, 0, &saturated), 0);
        return {voiceOut[0], musicOut[0]};
    }

    static std::array<int16_t, 2> expectedProbe(int fader, int voiceTrim, int musicTrim)
    {
        const TrackGains gains = trackGains(fader, voiceTrim, musicTrim);
        return {int16_t(platform::roundHalfEven(1000.0f * gains.voice)),
                int16_t(platform::roundHalfEven(1000.0f * gains.music))};
    }

    platform::MemorySettingsStore store;
    testsupport::ScriptedInteraction interaction;
    platform::Messages messages{recorderStrings(), interaction, QString::fromLatin1(kRecorderCaption)};
    platform::audio::VirtualBackend backend;
    platform::audio::AudioEngine engine{backend};
    platform::audio::MusicTrackLibrary music{engine};
    std::shared_ptr<platform::audio::FakeMixerBackend> fakeMixer = makeFakeMixer();
    platform::audio::MixerLibrary mixer{fakeMixer};
    controls::TProgressBarForm progressWindow{controls::ControlVariant::Recorder};
    JobRunner runner{progressWindow};
    QString temp = testsupport::testFolder() + "/temp/";
    int devicePreferencesShown = 0;
    std::unique_ptr<TLiveOvedubbingForm> window;
};

TEST_F(RecordingWindowFaderTest, FaderAndTrimsSetThePlayersGains)
{
    for (const Control control : {Control::RecordingRightVolumeTrackBar, Control::VoiceVolumeSlider,
                                  Control::MusicVolumeSlider}) {
        EXPECT_FALSE(isUnavailable(control)) << controlName(control);
        EXPECT_EQ(named(control)->isEnabled(), window->controlPanel()[control].enabled) << controlName(control);
    }
    auto* fader = static_cast<controls::TCoolSliderV*>(named(Control::RecordingRightVolumeTrackBar));
    auto* voiceTrim = static_cast<TWebEQSliderV*>(named(Control::VoiceVolumeSlider));
    auto* musicTrim = static_cast<TWebEQSliderV*>(named(Control::MusicVolumeSlider));

    struct Step {
        QWidget* widget;
        Qt::Key key;
        int fader, voiceTrim, musicTrim;
    };
    const Step steps[] = {
        {fader, Qt::Key_End, 24, 0, 0},       {fader, Qt::Key_Home, -24, 0, 0},
        {voiceTrim, Qt::Key_Home, -24, -24, 0}, {voiceTrim, Qt::Key_Down, -24, -23, 0},
        {musicTrim, Qt::Key_End, -24, -23, 24}, {fader, Qt::Key_End, 24, -23, 24},
    };
    for (const Step& s : steps) {
        QTest::keyClick(s.widget, s.key);
        SCOPED_TRACE(testing::Message() << s.fader << " " << s.voiceTrim << " " << s.musicTrim);
        EXPECT_EQ(fader->Position(), s.fader);
        EXPECT_EQ(voiceTrim->Position(), s.voiceTrim);
        EXPECT_EQ(musicTrim->Position(), s.musicTrim);
        EXPECT_EQ(mixedProbe(), expectedProbe(s.fader, s.voiceTrim, s.musicTrim));
    }
    EXPECT_EQ(mixedProbe()[1], 0); // the music trim at the top silences the music
}

TEST_F(RecordingWindowFaderTest, FaderTintsTheDisplayOfTheFavouredTrack)
{
    auto* fader = named(Control::RecordingRightVolumeTrackBar);
    auto* voice = static_cast<controls::TQzv32WaveDisplay*>(named(Control::PreRecordedWaveDisplay));
    auto* musicDisplay = static_cast<controls::TQzv32WaveDisplay*>(named(Control::RecordingWaveDisplay));
    const QColor background = voice->BackGroundColor();
    const uint32_t ref = platform::colorToRef(background);

    QTest::keyClick(fader, Qt::Key_End);
    EXPECT_EQ(voice->BackGroundColor(), background);
    EXPECT_EQ(musicDisplay->BackGroundColor(), platform::colorFromRef(shiftTint(ref, 24, true, ref)));
    EXPECT_NE(musicDisplay->BackGroundColor(), background);
    QTest::keyClick(fader, Qt::Key_Home);
    EXPECT_EQ(voice->BackGroundColor(), platform::colorFromRef(shiftTint(ref, 24, true, ref)));
    EXPECT_EQ(musicDisplay->BackGroundColor(), background);

    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    const QString path = QDir::current().filePath(QStringLiteral("screenshots/recording-window-fader-voice.png"));
    EXPECT_TRUE(window->grab().save(path));

    // A control state that puts the fader in the middle gives both tracks unity gain and their
    // background again; the next move tints from the middle.
    window->SetControlState(ControlState::NoTrack);
    EXPECT_EQ(static_cast<controls::TCoolSliderV*>(fader)->Position(), 0);
    EXPECT_EQ(mixedProbe(), expectedProbe(0, 0, 0));
    EXPECT_EQ(voice->BackGroundColor(), background);
    EXPECT_EQ(musicDisplay->BackGroundColor(), background);
    QTest::keyClick(fader, Qt::Key_Down);
    EXPECT_EQ(voice->BackGroundColor(), background);
    EXPECT_EQ(musicDisplay->BackGroundColor(), platform::colorFromRef(shiftTint(ref, 1, true, ref)));
}

TEST_F(RecordingWindowFaderTest, MovesDuringATakeReplayThroughTheController)
{
    auto* fader = static_cast<controls::TCoolSliderV*>(named(Control::RecordingRightVolumeTrackBar));
    FaderController& control = window->faderController();
    control.beginTake(0);
    QTest::keyClick(fader, Qt::Key_End); // nothing plays: the audio clock reads frame 0
    control.endTake();
    QTest::keyClick(fader, Qt::Key_Home);
    window->replayFader(10);
    EXPECT_EQ(fader->Position(), 24);
    EXPECT_EQ(mixedProbe(), expectedProbe(24, 0, 0));
    ASSERT_TRUE(control.automation());
    EXPECT_EQ(control.automation()->Entries().size(), 2u); // the replay recorded nothing
}

// Each input device is its own single source: the source button chooses the device instead.
TEST_F(RecordingWindowFaderTest, RecDeviceOpensTheDevicePreferences)
{
    auto* button = static_cast<controls::TCoolButton*>(named(Control::RecSourceButton));
    EXPECT_EQ(button->Caption(), QStringLiteral("Rec Device"));
    EXPECT_FALSE(isUnavailable(Control::RecSourceButton));
    ASSERT_TRUE(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(devicePreferencesShown, 1);
}

// The volume sliders: the top is the loudest; a locked pair moves together; a change another
// program makes moves the sliders and is not written back.
TEST_F(RecordingWindowFaderTest, VolumeSlidersFollowTheMixerBothWays)
{
    using platform::audio::MixerDirection;
    constexpr uint32_t norm = platform::audio::MixerBackend::NormalVolume;
    fakeMixer->setVolumesFromOutside(MixerDirection::Output, "speakers", {norm / 2, norm / 2});
    ASSERT_EQ(window->InitMixerDevices(-1, -1), 0);
    auto slider = [&](const char* name) { return window->findChild<TWebEQSliderV*>(QString::fromLatin1(name)); };
    auto* lock = window->findChild<QCheckBox*>(QStringLiteral("CombinedValueCheckBox"));
    ASSERT_TRUE(lock);
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("RecordingSourceLabel"))->text(), QStringLiteral("mic device"));
    EXPECT_EQ(slider("PlaybackLeftVolSlider")->Position(), 50);
    EXPECT_EQ(slider("RecordingRightVolSlider")->Position(), 0);
    EXPECT_TRUE(lock->isChecked());

    QTest::keyClick(slider("PlaybackRightVolSlider"), Qt::Key_End); // the bottom: silent, both channels
    EXPECT_EQ(slider("PlaybackLeftVolSlider")->Position(), 100);
    uint32_t left = 1, right = 1;
    ASSERT_EQ(mixer.GetCurrentOutputVolSetting(2, &left, &right), 0);
    EXPECT_EQ(left, 0u);
    EXPECT_EQ(right, 0u);

    QTest::mouseClick(lock, Qt::LeftButton);
    EXPECT_FALSE(lock->isChecked());
    QTest::keyClick(slider("RecordingLeftVolSlider"), Qt::Key_Down); // free: the left channel alone
    ASSERT_EQ(mixer.GetCurrentInputVolSetting(2, &left, &right), 0);
    EXPECT_LT(left, right);
    EXPECT_EQ(slider("RecordingRightVolSlider")->Position(), 0);

    fakeMixer->setVolumesFromOutside(MixerDirection::Output, "speakers", {norm / 3, norm / 7});
    ASSERT_TRUE(QTest::qWaitFor([&] { return slider("PlaybackRightVolSlider")->Position() == 86; }));
    EXPECT_EQ(slider("PlaybackLeftVolSlider")->Position(), 67);
    QTest::qWait(100);
    EXPECT_EQ(fakeMixer->device(MixerDirection::Output, "speakers").volumes, (std::vector<uint32_t>{norm / 3, norm / 7}));

    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    EXPECT_TRUE(window->grab().save(QDir::current().filePath(QStringLiteral("screenshots/recording-window-volumes.png"))));
    window->SaveMixerSettings();
    EXPECT_FALSE(store.readBool(QString::fromLatin1(kMixerSettingsKey), QStringLiteral("Lock L/R Volume Checked")).value);
}

// The level test keeps the input's levels coming without a take; a refusal of the player is shown,
// and stopping it puts the meters to 0.
TEST_F(RecordingWindowFaderTest, LevelTestRunsWhileNothingRecords)
{
    window->StartLevelTest();
    ASSERT_TRUE(window->levelTestRunning());
    int left = -1, right = -1;
    EXPECT_EQ(engine.AudioGetRecordLevel(&left, &right), 0);
    window->StartLevelTest(); // running already: nothing more
    window->StopLevelTest();
    EXPECT_FALSE(window->levelTestRunning());
    auto* meter = window->findChild<controls::TEQMeter*>(QStringLiteral("EQMeter1"));
    EXPECT_EQ(meter->barValue(0), 0);
    // A second level test on the same input is refused by the player: its message shows.
    ASSERT_EQ(engine.AudioStartRecordLevelTest(44'100, 16, 2), 0);
    interaction.expectMessageBox(platform::IDOK);
    window->StartLevelTest();
    EXPECT_FALSE(window->levelTestRunning());
    EXPECT_EQ(interaction.prompts().size(), 1u);
    engine.AudioStopRecordLevelTest();
}

// A trim lowers its track's picture with its sound, and a silenced track shows no waveform.
TEST_F(RecordingWindowFaderTest, TrimsScaleTheirTracksPicture)
{
    progressWindow.setMainWindow(window.get());
    ASSERT_TRUE(QDir().mkpath(temp));
    const QString voiceFile = testsupport::testFolder() + "/voice.wav";
    wavefixtures::soxWave(voiceFile, 16, 2, 8'000);
    platform::FileDialogResult chosen;
    chosen.accepted = true;
    chosen.files = {voiceFile};
    interaction.expectOpenFile(chosen, QStringLiteral("Voice Track"));
    window->findChild<QAction*>(QStringLiteral("OpenVoiceTrack"))->trigger();
    ASSERT_TRUE(interaction.allConsumed());
    auto* display = static_cast<controls::TQzv32WaveDisplay*>(named(Control::PreRecordedWaveDisplay));
    ASSERT_FALSE(display->WaveFileName().isEmpty());
    auto* trim = named(Control::VoiceVolumeSlider);

    struct Step {
        Qt::Key key;
        int scale;
        bool hidden;
    };
    const Step steps[] = {{Qt::Key_Down, -1, false}, {Qt::Key_End, -24, true}, {Qt::Key_Home, 24, false}};
    for (const Step& s : steps) {
        QTest::keyClick(trim, s.key);
        EXPECT_EQ(display->ScaleVertical, s.scale);
        EXPECT_EQ(display->HideWaveForm, s.hidden);
    }
    const QImage shown = display->viewImage();
    QTest::keyClick(trim, Qt::Key_End);
    EXPECT_NE(display->viewImage(), shown); // redrawn without the waveform
}

} // namespace
