// The recording window's fader and trims, moved by keys as a user would: the gains the player then
// mixes with, the tint of the track displays, and the control states that put the fader back; the
// record device button and File > Preferences, whose devices and level test the window follows.
#include "recorder/LiveOverdubbing.h"

#include "recorder/ControlAvailability.h"
#include "recorder/PlaybackControls.h"
#include "recorder/RecordingControls.h"
#include "recorder/WebEQSliderV.h"

#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "common/PreferencesForm.h"
#include "common/RecorderPreferences.h"
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
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <array>

using namespace recorder;

namespace {

platform::StringTable recorderStrings()
{
    platform::StringTable table;
    EXPECT_TRUE(table.load(QString::fromLatin1(kRecorderStringTablePath)));
    return table;
}

constexpr uint32_t kNormalVolume = platform::audio::MixerBackend::NormalVolume;

// A mixer with two stereo outputs and two stereo inputs; the first of each is the system's
// preferred one, the second is at a quarter of full volume.
std::shared_ptr<platform::audio::FakeMixerBackend> makeFakeMixer()
{
    using namespace platform::audio;
    auto fake = std::make_shared<FakeMixerBackend>();
    for (const auto& [direction, name] : {std::pair{MixerDirection::Output, "speakers"}, {MixerDirection::Input, "mic"}}) {
        for (const QString& deviceName : {QString::fromLatin1(name), QStringLiteral("usb-") + QString::fromLatin1(name)}) {
            MixerDevice device;
            device.name = deviceName;
            device.description = device.name + " device";
            device.sides = {ChannelSide::Left, ChannelSide::Right};
            device.volumes = {kNormalVolume, kNormalVolume};
            if (deviceName.startsWith(QStringLiteral("usb-")))
                device.volumes = {kNormalVolume / 4, kNormalVolume / 4};
            fake->addDevice(direction, device);
        }
        fake->setDefaultDevice(direction, QString::fromLatin1(name));
    }
    return fake;
}

class RecordingWindowFaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The engine lists the mixer's devices in the mixer's order.
        backend.setOutputDevices({{"speakers", "speakers device"}, {"usb-speakers", "usb-speakers device"}});
        backend.setInputDevices({{"mic", "mic device"}, {"usb-mic", "usb-mic device"}});
        backend.setDefaultOutputDevice("speakers");
        backend.setDefaultInputDevice("mic");
        preferences.load();
        RecordingWindowServices services{store, messages, engine, music, runner, [this] { return temp; }};
        services.mixer = &mixer;
        usePreferences(services, preferences);
        services.tempFolder = [this] { return temp; };
        window = std::make_unique<TLiveOvedubbingForm>(services);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    QWidget* named(Control control) const
    {
        return window->findChild<QWidget*>(QString::fromLatin1(controlName(control)));
    }

    // Answers the next preferences window: fill sets its controls, then OK (or Cancel) is clicked.
    // The page it opened on is kept in openedOn.
    void answerPreferences(std::function<void(TPreferencesForm&)> fill, bool ok = true)
    {
        answer.setInterval(10);
        answer.disconnect();
        QObject::connect(&answer, &QTimer::timeout, [this, fill, ok] {
            auto* form = qobject_cast<TPreferencesForm*>(QApplication::activeModalWidget());
            if (!form)
                return;
            answer.stop();
            openedOn = form->PageControl->tabText(form->PageControl->currentIndex());
            fill(*form);
            QTest::mouseClick(ok ? form->OkButton : form->CancelButton, Qt::LeftButton);
        });
        answer.start();
    }

    // File > Preferences, answered as answerPreferences says.
    void choosePreferences(std::function<void(TPreferencesForm&)> fill)
    {
        answerPreferences(std::move(fill));
        auto* item = window->findChild<QAction*>(QString::fromLatin1(controlName(Control::FilePreferencesMenu)));
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
        EXPECT_FALSE(answer.isActive()) << "no preferences window came up";
    }

    static void chooseDevice(QComboBox* box, const char* description)
    {
        const int position = box->findText(QString::fromLatin1(description));
        ASSERT_GE(position, 0) << description;
        box->setCurrentIndex(position);
    }

    int sliderPosition(const char* name) const
    {
        return window->findChild<TWebEQSliderV*>(QString::fromLatin1(name))->Position();
    }

    // Imports a voice track of that sample rate, made by sox, through File > Open Voice Track.
    void importVoice(int rate)
    {
        const QString voiceFile = testsupport::testFolder() + "/voice.wav";
        wavefixtures::soxWave(voiceFile, 16, 2, rate);
        platform::FileDialogResult chosen;
        chosen.accepted = true;
        chosen.files = {voiceFile};
        interaction.expectOpenFile(chosen, QStringLiteral("Voice Track"));
        window->findChild<QAction*>(QStringLiteral("OpenVoiceTrack"))->trigger();
        ASSERT_TRUE(interaction.allConsumed());
    }

    // The input the engine captures from now, and whether its stream is open.
    QString capturedFrom() const
    {
        const int n = backend.inputStreamCount();
        return n > 0 && backend.inputOpen(n - 1) ? backend.inputDevice(n - 1) : QString();
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
    RecorderPreferences preferences{store, engine, messages};
    QTimer answer;
    QString openedOn;
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

// Each input device is its own single source: the source button opens the preferences on the page
// where the device is chosen; File > Preferences opens them on their first page. Cancel changes
// nothing.
TEST_F(RecordingWindowFaderTest, RecDeviceOpensTheDevicePreferences)
{
    ASSERT_EQ(window->InitMixerDevices(-1, -1), 0);
    auto* button = static_cast<controls::TCoolButton*>(named(Control::RecSourceButton));
    EXPECT_EQ(button->Caption(), QStringLiteral("Rec Device"));
    EXPECT_FALSE(isUnavailable(Control::RecSourceButton));
    ASSERT_TRUE(button->isEnabled());
    answerPreferences([](TPreferencesForm& form) { chooseDevice(form.InputDevicesComboBox, "usb-mic device"); },
                      false);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(answer.isActive());
    EXPECT_EQ(openedOn, QStringLiteral("Devices"));
    EXPECT_EQ(preferences.inputDevices().storedIndex(), -1);
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("RecordingSourceLabel"))->text(), QStringLiteral("mic device"));

    choosePreferences([](TPreferencesForm&) {});
    EXPECT_EQ(openedOn, QStringLiteral("General"));
    EXPECT_FALSE(window->levelTestRunning());
}

// After OK in File > Preferences the level test follows its switch, on the input chosen there, and
// the volume sliders show the chosen devices; the engine plays on the chosen output.
TEST_F(RecordingWindowFaderTest, PreferencesOkAppliesTheDevicesAndTheLevelTest)
{
    ASSERT_EQ(window->InitMixerDevices(-1, -1), 0);
    auto* source = window->findChild<QLabel*>(QStringLiteral("RecordingSourceLabel"));
    EXPECT_EQ(sliderPosition("RecordingLeftVolSlider"), 0);
    EXPECT_EQ(sliderPosition("PlaybackLeftVolSlider"), 0);
    EXPECT_FALSE(window->levelTestRunning());

    choosePreferences([](TPreferencesForm& form) {
        form.AlwaysTestLevelsCheckBox->setChecked(true);
        chooseDevice(form.InputDevicesComboBox, "usb-mic device");
        chooseDevice(form.OutputDevicesComboBox, "usb-speakers device");
    });
    EXPECT_TRUE(window->levelTestRunning());
    EXPECT_EQ(capturedFrom(), QStringLiteral("usb-mic"));
    EXPECT_EQ(source->text(), QStringLiteral("usb-mic device"));
    EXPECT_EQ(sliderPosition("RecordingLeftVolSlider"), 75);
    EXPECT_EQ(sliderPosition("RecordingRightVolSlider"), 75);
    EXPECT_EQ(sliderPosition("PlaybackLeftVolSlider"), 75);
    // A move of a slider now goes to the chosen device.
    QTest::keyClick(window->findChild<TWebEQSliderV*>(QStringLiteral("PlaybackLeftVolSlider")), Qt::Key_End);
    EXPECT_EQ(fakeMixer->device(platform::audio::MixerDirection::Output, "usb-speakers").volumes,
              (std::vector<uint32_t>{0, 0}));
    EXPECT_EQ(fakeMixer->device(platform::audio::MixerDirection::Output, "speakers").volumes,
              (std::vector<uint32_t>{kNormalVolume, kNormalVolume}));
    const QString tone = testsupport::testFolder() + "/tone.wav";
    wavefixtures::soxWave(tone, 16, 2, 8'000);
    ASSERT_EQ(engine.AudioPlayWave(tone, 0, 1, 0, 0, 0), 0);
    EXPECT_EQ(backend.outputDevice(backend.outputStreamCount() - 1), QStringLiteral("usb-speakers"));
    ASSERT_EQ(engine.AudioStop(), 0);

    // The running level test moves to the input chosen next; the output stays.
    choosePreferences([](TPreferencesForm& form) { chooseDevice(form.InputDevicesComboBox, "Default Recording Device"); });
    EXPECT_TRUE(window->levelTestRunning());
    EXPECT_EQ(capturedFrom(), QStringLiteral("mic"));
    EXPECT_EQ(backend.inputStreamCount(), 2);
    EXPECT_EQ(source->text(), QStringLiteral("mic device"));
    EXPECT_EQ(sliderPosition("RecordingLeftVolSlider"), 0);
    EXPECT_EQ(sliderPosition("PlaybackLeftVolSlider"), 100); // usb-speakers, silent since the move

    choosePreferences([](TPreferencesForm& form) { form.AlwaysTestLevelsCheckBox->setChecked(false); });
    EXPECT_FALSE(window->levelTestRunning());
    EXPECT_EQ(capturedFrom(), QString());
    EXPECT_TRUE(interaction.prompts().empty());
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

// The volume sliders stand at their own height, and they, their captions and the lock box overlap no
// other control of the window at its designed size or a larger one.
TEST_F(RecordingWindowFaderTest, VolumeSlidersStandClearOfTheOtherControls)
{
    const QStringList group = {"PlaybackVolumeLabel", "RecordVolumeLabel", "PlaybackLeftVolSlider",
                               "PlaybackRightVolSlider", "RecordingLeftVolSlider", "RecordingRightVolSlider",
                               "CombinedValueCheckBox"};
    for (const QSize size : {TLiveOvedubbingForm::designedSize(), TLiveOvedubbingForm::designedSize() + QSize(300, 200)}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        window->resize(size);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->size() == size; }));
        for (const QString& name : group) {
            auto* widget = window->findChild<QWidget*>(name);
            ASSERT_TRUE(widget) << name.toStdString();
            EXPECT_TRUE(widget->isVisible()) << name.toStdString();
            EXPECT_TRUE(window->rect().contains(widget->geometry())) << name.toStdString();
            if (name.endsWith(QStringLiteral("VolSlider"))) {
                EXPECT_EQ(widget->height(), 150) << name.toStdString();
            }
            for (QWidget* other : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (other == widget || !other->isVisible() || group.contains(other->objectName()))
                    continue;
                EXPECT_FALSE(widget->geometry().intersects(other->geometry()))
                    << name.toStdString() << " overlaps " << other->objectName().toStdString() << " "
                    << other->metaObject()->className();
            }
        }
    }
    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    EXPECT_TRUE(window->grab().save(QDir::current().filePath(QStringLiteral("screenshots/recording-window-volumes-large.png"))));
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

// With the level test asked for in the preferences it runs whenever nothing plays or records, and
// the meters show the input: playing a track stops it and the stop starts it again; a take takes
// the input from it and gives it back when it ends.
TEST_F(RecordingWindowFaderTest, LevelTestRunsWheneverNothingPlaysOrRecords)
{
    progressWindow.setMainWindow(window.get());
    ASSERT_TRUE(QDir().mkpath(temp));
    backend.setInputSine(440, 0.5);
    choosePreferences([](TPreferencesForm& form) { form.AlwaysTestLevelsCheckBox->setChecked(true); });
    ASSERT_TRUE(window->levelTestRunning());
    auto* meter = window->findChild<controls::TEQMeter*>(QStringLiteral("EQMeter1"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            backend.advance(441);
            return meter->barValue(0) >= 45;
        },
        3000))
        << meter->barValue(0);

    ASSERT_NO_FATAL_FAILURE(importVoice(44'100));
    EXPECT_TRUE(window->levelTestRunning());

    QTest::mouseClick(named(Control::PreRecordedPlayBtn), Qt::LeftButton);
    ASSERT_TRUE(window->playback().transport().playing());
    EXPECT_FALSE(window->levelTestRunning());
    EXPECT_EQ(capturedFrom(), QString());
    QTest::mouseClick(named(Control::StopBtn), Qt::LeftButton);
    ASSERT_FALSE(window->playback().transport().playing());
    EXPECT_TRUE(window->levelTestRunning());
    EXPECT_EQ(capturedFrom(), QStringLiteral("mic"));

    QTest::mouseClick(named(Control::MusicRecordButton), Qt::LeftButton);
    ASSERT_TRUE(window->recording().overdub().running());
    EXPECT_FALSE(window->levelTestRunning());
    backend.advance(1000);
    QTest::mouseClick(named(Control::MusicRecordButton), Qt::LeftButton);
    ASSERT_FALSE(window->recording().overdub().running());
    EXPECT_TRUE(window->levelTestRunning());
    EXPECT_EQ(capturedFrom(), QStringLiteral("mic"));
}

// A trim lowers its track's picture with its sound, and a silenced track shows no waveform.
TEST_F(RecordingWindowFaderTest, TrimsScaleTheirTracksPicture)
{
    progressWindow.setMainWindow(window.get());
    ASSERT_TRUE(QDir().mkpath(temp));
    ASSERT_NO_FATAL_FAILURE(importVoice(8'000));
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

namespace {

// The program makes one preferences window for its whole run: each showing opens on the page asked
// for, whatever page the last one was left on.
TEST_F(RecordingWindowFaderTest, OnePreferencesWindowForTheRunOpensOnThePageAskedFor)
{
    TPreferencesForm form(preferences, nullptr);
    RecordingWindowServices services{store, messages, engine, music, runner, [this] { return temp; }};
    services.mixer = &mixer;
    usePreferences(services, preferences);
    services.showPreferences = [&form](RecorderPreferences&, QWidget*, bool devicesPage) {
        return showPreferencesOn(form, devicesPage);
    };
    window = std::make_unique<TLiveOvedubbingForm>(services);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_EQ(window->InitMixerDevices(-1, -1), 0);
    const auto sameForm = [&form](TPreferencesForm& shown) { EXPECT_EQ(&shown, &form); };
    const std::pair<bool, const char*> showings[] = {
        {true, "Devices"}, {false, "General"}, {true, "Devices"}, {true, "Devices"}, {false, "General"}};
    for (const auto& [devicesPage, page] : showings) {
        SCOPED_TRACE(page);
        openedOn.clear();
        if (devicesPage) {
            answerPreferences(sameForm, false);
            QTest::mouseClick(named(Control::RecSourceButton), Qt::LeftButton);
            EXPECT_FALSE(answer.isActive());
        } else {
            choosePreferences(sameForm);
        }
        EXPECT_EQ(openedOn, QString::fromLatin1(page));
    }
}

} // namespace
