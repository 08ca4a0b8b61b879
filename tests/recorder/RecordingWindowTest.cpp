// The recording window on the virtual sound backend: its named controls and what each control
// state makes of them, the status bar and position box, the resize rules, the placement kept in
// the settings store, the refused close while busy, files loaded into the tracks through the File
// menu, and screenshots of the empty window and of the window with two tracks.
#include "recorder/LiveOverdubbing.h"

#include "recorder/ControlAvailability.h"
#include "recorder/FileSaveDialog.h"
#include "recorder/PlaybackControls.h"
#include "recorder/ResizeLayout.h"
#include "recorder/WindowPlacement.h"

#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "common/RecorderPreferences.h"
#include "common/Util.h"
#include "common/WaveUtil.h"
#include "controls/CoolButton.h"
#include "controls/CoolSliderH.h"
#include "controls/CoolSliderV.h"
#include "controls/EQGroupBox.h"
#include "controls/PeakCache.h"
#include "controls/ProgressBar.h"
#include "controls/Waveform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/audio/VirtualBackend.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StringTable.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

#include <map>
#include <set>

using namespace recorder;
using controls::TCoolButton;
using testsupport::ScriptedInteraction;

namespace {

const QString kPlacementKey = QStringLiteral("\\Software\\Vexal Audio\\Wexo Ravadur\\SizeAndPos");

platform::StringTable recorderStrings()
{
    platform::StringTable table;
    EXPECT_TRUE(table.load(QString::fromLatin1(kRecorderStringTablePath)));
    return table;
}

class RecordingWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<TLiveOvedubbingForm> makeWindow()
    {
        return std::make_unique<TLiveOvedubbingForm>(
            RecordingWindowServices{store, messages, engine, music, runner, [this] { return temp; }, trackCopy});
    }

    platform::MemorySettingsStore store;
    ScriptedInteraction interaction;
    platform::Messages messages{recorderStrings(), interaction, QString::fromLatin1(kRecorderCaption)};
    platform::audio::VirtualBackend backend;
    platform::audio::AudioEngine engine{backend};
    platform::audio::MusicTrackLibrary music{engine};
    controls::TProgressBarForm progressWindow{controls::ControlVariant::Recorder};
    JobRunner runner{progressWindow};
    QString temp = testsupport::testFolder() + "/temp/";
    CopyFunction trackCopy = CopyFileWithProgress;
};

bool isEnabled(const QObject* object)
{
    if (const auto* action = qobject_cast<const QAction*>(object))
        return action->isEnabled();
    return static_cast<const QWidget*>(object)->isEnabled();
}

QObject* named(QWidget& window, Control control)
{
    return window.findChild<QObject*>(QString::fromLatin1(controlName(control)));
}

// Whether the window shows the control on: what the table gives, unless its command is not there yet.
bool shownEnabled(const ControlPanel& panel, Control control)
{
    return panel[control].enabled && !isUnavailable(control);
}

// Every control the states switch is there under its name, and after each state its enabled flag
// is what the table gives for the window without tracks, except that a control whose command is not
// built yet stays off (saying why) while the panel keeps the table's value; the position box, the
// Voice & Music button and the trims show the row's other values.
TEST_F(RecordingWindowTest, NamedControlsFollowTheStateTable)
{
    auto window = makeWindow();
    for (int i = 0; i < kControlCount; ++i)
        ASSERT_NE(named(*window, Control(i)), nullptr) << controlName(Control(i));
    for (const char* name : {"CurrentViewScale", "CurrentPositionScale", "EQMeter1", "EQMeter2", "LeftChannelClipping",
                             "RightChannelClipping", "ProgressBar1"})
        EXPECT_NE(window->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;

    // The states reached without a file, in an order the window goes through them.
    const ControlState sequence[] = {ControlState::NoTrack,         ControlState::RecordingBoth,
                                     ControlState::BothTracks,      ControlState::Playing,
                                     ControlState::PlaybackStopped, ControlState::RecordingVoice,
                                     ControlState::VoiceWithoutMusic, ControlState::RecordingMusic,
                                     ControlState::MusicWithoutVoice, ControlState::VoiceTrack,
                                     ControlState::NoTrack};
    ControlPanel expected;
    expected.setControlState(ControlState::NoTrack, {});
    for (const ControlState state : sequence) {
        SCOPED_TRACE(int(state));
        window->SetControlState(state);
        expected.setControlState(state, {});
        for (int i = 0; i < kControlCount; ++i) {
            const Control control = Control(i);
            EXPECT_EQ(isEnabled(named(*window, control)), shownEnabled(expected, control)) << controlName(control);
            EXPECT_EQ(window->controlPanel()[control], expected[control]) << controlName(control);
        }
        const auto* box = static_cast<QLineEdit*>(named(*window, Control::PositionMaskEdit));
        EXPECT_EQ(box->isReadOnly(), expected[Control::PositionMaskEdit].readOnly);
        const auto* record = static_cast<TCoolButton*>(named(*window, Control::StartStopRecordingButton));
        EXPECT_EQ(record->Down(), expected[Control::StartStopRecordingButton].down);
    }

    // The commands of later work stay off in every state and say why; those that work follow the
    // table, so some of them were on and some off along the way.
    std::set<Control> seenOn, seenOff;
    for (const ControlState state : kControlStates) {
        window->SetControlState(state);
        for (int i = 0; i < kControlCount; ++i) {
            const Control control = Control(i);
            QObject* object = named(*window, control);
            if (isUnavailable(control)) {
                EXPECT_FALSE(isEnabled(object)) << controlName(control);
                const QString tip = qobject_cast<QAction*>(object) ? static_cast<QAction*>(object)->toolTip()
                                                                   : static_cast<QWidget*>(object)->toolTip();
                EXPECT_TRUE(tip.contains(QStringLiteral("not available yet"))) << controlName(control);
            } else {
                (isEnabled(object) ? seenOn : seenOff).insert(control);
            }
        }
    }
    for (const Control control : {Control::FileCloseMenu, Control::FileSaveVoiceTrackMenu, Control::SaveMusicTrackButton,
                                  Control::OpenVoiceTrack, Control::FileOpenMenu, Control::MixDownToNewFileButton,
                                  Control::FileMixDownToNewFileMenu}) {
        EXPECT_TRUE(seenOn.count(control)) << controlName(control);
    }
    for (const Control control : {Control::FileCloseMenu, Control::FileSaveVoiceTrackMenu, Control::SaveMusicTrackButton,
                                  Control::OpenVoiceTrack})
        EXPECT_TRUE(seenOff.count(control)) << controlName(control);
    for (const Control control : {Control::RecordVoIPConversation, Control::EditVoiceTrackCoolButton,
                                  Control::EditMixedTrackMenu, Control::OpenInEditor, Control::UploadButton})
        EXPECT_TRUE(isUnavailable(control)) << controlName(control);
    EXPECT_EQ(static_cast<QAction*>(named(*window, Control::OpenInEditor))->toolTip(),
              QStringLiteral("The editor is not available yet."));
}

// The empty window as a user finds it: opening files, recording and the Mix button are offered;
// File > New is what the table offers too, but it is not built yet, so it is off; playback and
// saving are not offered, the position box cannot be typed into and the displays say what they
// are for.
TEST_F(RecordingWindowTest, EmptyWindowOffersOpeningFiles)
{
    auto window = makeWindow();
    for (const Control control : {Control::FileOpenMenu, Control::OpenVoiceTrack, Control::OpenMusicTrack,
                                  Control::FileExitMenu})
        EXPECT_TRUE(isEnabled(named(*window, control))) << controlName(control);
    EXPECT_TRUE(window->controlPanel()[Control::FileNewMenu].enabled);
    EXPECT_FALSE(isEnabled(named(*window, Control::FileNewMenu)));
    EXPECT_TRUE(isEnabled(named(*window, Control::ReMixButton)));
    for (const Control control : {Control::PreRecordedPlayBtn, Control::StopBtn, Control::SaveVoiceTrackButton,
                                  Control::FileCloseMenu, Control::CurrentPositionTrackBar,
                                  Control::CurrentMusicTrackPlaybackCoolButton})
        EXPECT_FALSE(isEnabled(named(*window, control))) << controlName(control);
    EXPECT_TRUE(static_cast<QLineEdit*>(named(*window, Control::PositionMaskEdit))->isReadOnly());
    EXPECT_EQ(static_cast<controls::TQzv32WaveDisplay*>(named(*window, Control::PreRecordedWaveDisplay))
                  ->NoSamplePresentText(),
              QStringLiteral("Voice Track Space."));
    EXPECT_EQ(static_cast<controls::TQzv32WaveDisplay*>(named(*window, Control::RecordingWaveDisplay))
                  ->NoSamplePresentText(),
              QStringLiteral("Music Track Space."));
    const QList<QLabel*> panels = window->findChild<QStatusBar*>(QStringLiteral("StatusBar1"))->findChildren<QLabel*>();
    ASSERT_EQ(panels.size(), 5);
    for (const QLabel* panel : panels)
        EXPECT_TRUE(panel->text().isEmpty());

    // A disabled button takes no click.
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    auto* play = static_cast<TCoolButton*>(named(*window, Control::PreRecordedPlayBtn));
    auto* mix = static_cast<TCoolButton*>(named(*window, Control::ReMixButton));
    QSignalSpy playClicks(play, &TCoolButton::OnClick);
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_EQ(playClicks.count(), 0);
    // Without tracks the Mix button plays nothing and records no fader.
    QTest::mouseClick(mix, Qt::LeftButton);
    EXPECT_FALSE(window->playback().transport().playing());
    EXPECT_FALSE(mix->Down());
    EXPECT_EQ(window->faderController().automation(), nullptr);
}

// The window reads the recorder's preferences: the temporary folder, "Prevent Saturation",
// "Always Test Levels" and the output device.
TEST_F(RecordingWindowTest, ServicesReadThePreferences)
{
    const QString folder = testsupport::testFolder() + "/chosen";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString key = QString::fromLatin1(kRecorderSettingsKey);
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on);
        ASSERT_TRUE(store.writeString(key, QString::fromLatin1(PreferenceValue::TempPath), folder));
        ASSERT_TRUE(store.writeBool(key, QString::fromLatin1(PreferenceValue::PreventSaturation), on));
        ASSERT_TRUE(store.writeBool(key, QString::fromLatin1(PreferenceValue::AlwaysTestLevels), !on));
        RecorderPreferences preferences(store, engine, messages);
        preferences.load();
        RecordingWindowServices services{store, messages, engine, music, runner, {}};
        usePreferences(services, preferences);
        EXPECT_EQ(QDir(services.tempFolder()), QDir(folder)) << services.tempFolder().toStdString();
        EXPECT_EQ(services.preventSaturation(), on);
        EXPECT_EQ(services.alwaysTestLevels(), !on);
        ASSERT_GE(preferences.GetOutputDeviceIndex(), 0) << "the engine has an output to choose";
        EXPECT_EQ(services.outputDevice(), preferences.GetOutputDeviceIndex());
    }
}

TEST_F(RecordingWindowTest, StatusBarAndPositionBoxShowWhatTheyAreGiven)
{
    auto window = makeWindow();
    window->ShowStatusFormat(61005, 44100, false, 2, 16);
    const QList<QLabel*> panels = window->findChild<QStatusBar*>(QStringLiteral("StatusBar1"))->findChildren<QLabel*>();
    QStringList texts;
    for (const QLabel* panel : panels)
        texts << panel->text();
    EXPECT_EQ(texts, QStringList({"44100 Hz", "16 Bit", "Stereo", "1:1", "001:01:005"}));
    window->ShowStatusFormat(0, 0, true, 0, 0);
    for (const QLabel* panel : panels)
        EXPECT_TRUE(panel->text().isEmpty());

    EXPECT_EQ(window->positionUnit(), kPositionMilliseconds);
    window->ShowPosition(61005, kPositionMilliseconds);
    EXPECT_EQ(static_cast<QLineEdit*>(named(*window, Control::PositionMaskEdit))->text(), QStringLiteral("001:01:005"));
}

// A larger window keeps the view ruler between the displays, the fader in its frame with the Mix
// button under it, and the full-width controls 30 pixels short of the window's width.
TEST_F(RecordingWindowTest, ResizeFollowsTheLayoutRules)
{
    auto window = makeWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    for (const QSize size : {QSize(1400, 1000), TLiveOvedubbingForm::designedSize()}) {
        SCOPED_TRACE(size.width());
        window->resize(size);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->size() == size; }));
        const auto rect = [&](const QString& name) { return window->findChild<QWidget*>(name)->geometry(); };
        const QRect voice = rect("PreRecordedWaveDisplay"), ruler = rect("CurrentViewScale"),
                    musicTrack = rect("RecordingWaveDisplay");
        EXPECT_EQ(voice.bottom() + 1, ruler.top());
        EXPECT_EQ(musicTrack.top(), ruler.bottom() + 1);
        EXPECT_EQ(musicTrack.width(), voice.width());
        EXPECT_EQ(rect("ProgressBar1").top(), ruler.top());
        const QRect frame = rect("FaderFrame"), fader = rect("RecordingRightVolumeTrackBar");
        EXPECT_EQ(frame.top(), voice.top() + kFaderFrameOffset);
        EXPECT_EQ(frame.adjusted(2, 2, -2, -2), fader);
        EXPECT_EQ(rect("ReMixButton").top(), frame.bottom() + 1 + kMixButtonGap);
        for (const char* name : {"CurrentPositionTrackBar", "CurrentPositionScale", "StatusBar1"})
            EXPECT_EQ(rect(name).width(), size.width() - kRightMargin) << name;
        const QRect pads = rect("PadPanel");
        EXPECT_LE(std::abs(pads.center().x() - musicTrack.center().x()), 1);
        EXPECT_LE(rect("EffectsTreeView").bottom(), rect("StatusBar1").top());
    }
}

// Closing saves where the window was; the next window opens there. A maximized window reopens
// maximized, with Full Screen off and Minimum Size on.
TEST_F(RecordingWindowTest, PlacementRoundTrip)
{
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QRect where(20, 10, 1040, 820);
    {
        auto window = makeWindow();
        window->setGeometry(where);
        ASSERT_TRUE(window->close());
    }
    EXPECT_EQ(store.readInteger(kPlacementKey, QStringLiteral("Left Position")).value, 20);
    EXPECT_EQ(store.readInteger(kPlacementKey, QStringLiteral("Top Position")).value, 10);
    EXPECT_EQ(store.readInteger(kPlacementKey, QStringLiteral("Width")).value, 1040);
    EXPECT_EQ(store.readInteger(kPlacementKey, QStringLiteral("Height")).value, 820);
    EXPECT_EQ(store.readString(kPlacementKey, QStringLiteral("State")).value, QStringLiteral("Normal"));
    {
        auto window = makeWindow();
        const QRect placed = placeOnScreens(where, screens);
        EXPECT_EQ(window->geometry().topLeft(), placed.topLeft());
        EXPECT_EQ(window->size(), placed.size().expandedTo(TLiveOvedubbingForm::designedSize()));
        EXPECT_TRUE(window->findChild<QAction*>(QStringLiteral("ViewFullScreenMenu"))->isEnabled());
        EXPECT_FALSE(window->findChild<QAction*>(QStringLiteral("ViewMinimumSizeMenu"))->isEnabled());
    }

    ASSERT_EQ(SaveWindowPlacement(store, {PlacementState::Maximized, 0, 0, 0, 0}), 0);
    auto window = makeWindow();
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(window->findChild<QAction*>(QStringLiteral("ViewFullScreenMenu"))->isEnabled());
    EXPECT_TRUE(window->findChild<QAction*>(QStringLiteral("ViewMinimumSizeMenu"))->isEnabled());
}

// While a file loads or a recording starts the window refuses to close, says why and saves
// nothing; afterwards it closes.
TEST_F(RecordingWindowTest, BusyWindowRefusesToClose)
{
    auto window = makeWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    {
        BusyGuard busy(window->busyFlag());
        interaction.expectMessageBox(1, QStringLiteral("is currently busy performing another task"));
        EXPECT_FALSE(window->close());
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_FALSE(store.valueExists(kPlacementKey, QStringLiteral("State")));
    }
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(store.valueExists(kPlacementKey, QStringLiteral("State")));
}

// The share of the rectangle's pixels that differ from the window's background under it.
double drawnShare(const QImage& window, const QImage& background, const QRect& rect)
{
    int differing = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (window.pixel(x, y) != background.pixel(x, y))
                ++differing;
        }
    }
    return double(differing) / (rect.width() * rect.height());
}

// The empty window drawn: every named control lies inside the window, draws over the background
// and overlaps no other; the picture is kept for people to look at.
TEST_F(RecordingWindowTest, ScreenshotOfTheEmptyWindow)
{
    auto window = makeWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QImage image = window->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage background = window->background().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_EQ(image.size(), window->size());
    ASSERT_EQ(background.size(), image.size());
    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    const QString path = QDir::current().filePath(QStringLiteral("screenshots/recording-window-empty.png"));
    ASSERT_TRUE(image.save(path)) << path.toStdString();
    std::printf("recording window: %s\n", qPrintable(path));

    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 20u);

    // The controls placed on the window itself (the pad panel's buttons are checked inside it).
    std::vector<QWidget*> controls;
    for (int i = 0; i < kControlCount; ++i) {
        auto* widget = qobject_cast<QWidget*>(named(*window, Control(i)));
        if (widget && widget->parentWidget() == window.get())
            controls.push_back(widget);
    }
    for (const char* name : {"CurrentViewScale", "CurrentPositionScale", "EQMeter1", "EQMeter2", "ProgressBar1",
                             "PadPanel", "StatusBar1", "MixLabel"})
        controls.push_back(window->findChild<QWidget*>(QString::fromLatin1(name)));
    for (size_t i = 0; i < controls.size(); ++i) {
        const QRect rect = controls[i]->geometry();
        const std::string name = controls[i]->objectName().toStdString();
        EXPECT_TRUE(window->rect().contains(rect)) << name;
        EXPECT_GT(drawnShare(image, background, rect), 0.04) << name;
        for (size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(rect.intersects(controls[j]->geometry())) << name << " overlaps " << controls[j]->objectName().toStdString();
    }
    auto* pads = window->findChild<controls::TEQGroupBox*>(QStringLiteral("PadPanel"));
    for (const QWidget* child : pads->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(pads->contentsRect().contains(child->geometry())) << child->objectName().toStdString();
}

} // namespace

namespace {

// Chooses the menu item as a user does: opens its menu and clicks the item.
void clickMenuItem(QWidget& window, const QString& name)
{
    auto* action = window.findChild<QAction*>(name);
    ASSERT_NE(action, nullptr) << name.toStdString();
    ASSERT_TRUE(action->isEnabled()) << name.toStdString();
    auto* menu = qobject_cast<QMenu*>(action->parent());
    ASSERT_NE(menu, nullptr) << name.toStdString();
    menu->popup(window.mapToGlobal(QPoint(10, 24)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

QStringList statusTexts(QWidget& window)
{
    QStringList texts;
    for (const QLabel* panel : window.findChild<QStatusBar*>(QStringLiteral("StatusBar1"))->findChildren<QLabel*>())
        texts << panel->text();
    return texts;
}

// The share of the display's pixels in the picture that are not its background colour.
double waveShare(const QImage& image, const controls::TQzv32WaveDisplay& display)
{
    const QRect rect = display.geometry();
    const QRgb background = display.BackGroundColor().rgb();
    int drawn = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if ((image.pixel(x, y) | 0xFF000000u) != (background | 0xFF000000u))
                ++drawn;
        }
    }
    return double(drawn) / (rect.width() * rect.height());
}

class TrackLoadingWindowTest : public RecordingWindowTest {
protected:
    void SetUp() override
    {
        folder = testsupport::testFolder();
        ASSERT_TRUE(QDir().mkpath(temp));
    }
    void TearDown() override { EXPECT_TRUE(interaction.allConsumed()); }

    QString tone(const QString& name, int rate, int channels, double seconds, int hz)
    {
        const QString path = folder + "/" + name;
        EXPECT_EQ(testsupport::runSox({"-n", "-r", QString::number(rate), "-c", QString::number(channels), "-b", "16",
                                       path, "synth", QString::number(seconds), "sine", QString::number(hz), "vol",
                                       "0.6"})
                      .exitCode,
                  0);
        return path;
    }
    QString mp3(const QString& name, double seconds)
    {
        const QString wav = tone(name + ".wav", 44100, 2, seconds, 220);
        const QString path = folder + "/" + name;
        EXPECT_EQ(testsupport::runTool("lame", {"--quiet", "-b", "128", wav, path}).exitCode, 0);
        return path;
    }
    void choose(const QString& path, const QString& title)
    {
        platform::FileDialogResult result;
        result.accepted = true;
        result.files = {path};
        interaction.expectOpenFile(result, title);
    }
    controls::TQzv32WaveDisplay& display(TLiveOvedubbingForm& window, Control control)
    {
        return *static_cast<controls::TQzv32WaveDisplay*>(named(window, control));
    }

    QString folder;
};

// A voice WAV and a music MP3 imported through the File menu: both displays draw their tracks, the
// position box and the status bar show the tracks' start and format, and the controls are what the
// state table gives for two tracks. A music track of another format is converted on the way in.
TEST_F(TrackLoadingWindowTest, VoiceAndMusicImportedThroughTheFileMenu)
{
    auto window = makeWindow();
    progressWindow.setMainWindow(window.get());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    choose(tone("voice.wav", 44100, 2, 1.5, 440), "Select File For Voice Track");
    clickMenuItem(*window, "OpenVoiceTrack");
    ASSERT_TRUE(interaction.allConsumed());
    ASSERT_TRUE(window->trackRoads().track(TrackSide::Voice));
    EXPECT_EQ(display(*window, Control::PreRecordedWaveDisplay).TotalSamples(), 66150u);
    // The voice track alone can be saved: the window is in the voice-only state, not state 2.
    for (const Control control : {Control::SaveVoiceTrackButton, Control::FileSaveVoiceTrackMenu})
        EXPECT_TRUE(isEnabled(named(*window, control))) << controlName(control);

    // A music track of another format is converted into the recording format under the format
    // conversion window and padded to the voice's length; the unconverted working WAV is gone.
    choose(tone("narrow.wav", 22050, 1, 1.0, 220), "Select File For Music Track");
    clickMenuItem(*window, "OpenMusicTrack");
    ASSERT_TRUE(interaction.allConsumed());
    {
        const std::optional<TrackRecord>& converted = window->trackRoads().track(TrackSide::Music);
        ASSERT_TRUE(converted);
        EXPECT_EQ(converted->waveFormat, makePcmFormat(44100, 16, 2));
        const QString voicePath = window->trackRoads().track(TrackSide::Voice)->workingPath;
        EXPECT_EQ(QDir(temp).entryInfoList({"LOD*.tmp"}, QDir::Files).size(), 2);
        EXPECT_TRUE(QFileInfo::exists(converted->workingPath));
        EXPECT_EQ(QFileInfo(converted->workingPath).absolutePath(), QFileInfo(voicePath).absolutePath());
        const wavefixtures::WaveInfo read = wavefixtures::soxWaveInfo(converted->workingPath, false);
        EXPECT_EQ(read.rate, 44100);
        EXPECT_EQ(read.channels, 2);
        EXPECT_EQ(read.bits, 16);
        EXPECT_EQ(read.frames, 66150);
        EXPECT_EQ(display(*window, Control::RecordingWaveDisplay).WaveFileName(), converted->workingPath);
        EXPECT_EQ(display(*window, Control::RecordingWaveDisplay).TotalSamples(), 66150u);
        EXPECT_EQ(statusTexts(*window).mid(0, 3), QStringList({"44100 Hz", "16 Bit", "Stereo"}));
    }

    interaction.expectMessageBox(platform::IDNO, "Do you want to save the already recorded Music Track?");
    choose(mp3("music.mp3", 2.0), "Select File For Music Track");
    clickMenuItem(*window, "OpenMusicTrack");
    ASSERT_TRUE(window->trackRoads().track(TrackSide::Music));
    const auto& voice = display(*window, Control::PreRecordedWaveDisplay);
    const auto& musicTrack = display(*window, Control::RecordingWaveDisplay);
    EXPECT_FALSE(musicTrack.WaveFileName().isEmpty());
    // The shorter voice track was padded to the music's length.
    EXPECT_GE(musicTrack.TotalSamples(), 88200u);
    EXPECT_EQ(voice.TotalSamples(), musicTrack.TotalSamples());

    const QStringList status = statusTexts(*window);
    ASSERT_EQ(status.size(), 5);
    EXPECT_EQ(status.mid(0, 3), QStringList({"44100 Hz", "16 Bit", "Stereo"}));
    EXPECT_EQ(status[4], QStringLiteral("000:02:%1").arg(musicTrack.TotalSamples() * 1000 / 44100 % 1000, 3, 10,
                                                         QLatin1Char('0')));
    const auto* box = static_cast<QLineEdit*>(named(*window, Control::PositionMaskEdit));
    EXPECT_EQ(box->text(), QStringLiteral("000:00:000"));
    EXPECT_FALSE(box->isReadOnly());

    // The window went through: no track, the voice alone, then both tracks.
    ControlPanel expected;
    expected.setControlState(ControlState::NoTrack, {});
    ControlStateContext context;
    context.voiceTrack = true;
    expected.setControlState(ControlState::VoiceWithoutMusic, context);
    context.musicTrack = true;
    expected.setControlState(ControlState::BothTracks, context);
    for (int i = 0; i < kControlCount; ++i) {
        const Control control = Control(i);
        EXPECT_EQ(isEnabled(named(*window, control)), shownEnabled(expected, control)) << controlName(control);
        EXPECT_EQ(window->controlPanel()[control], expected[control]) << controlName(control);
    }
    for (const Control control : {Control::SaveVoiceTrackButton, Control::SaveMusicTrackButton, Control::FileCloseMenu,
                                  Control::OpenVoiceTrack, Control::OpenMusicTrack})
        EXPECT_TRUE(isEnabled(named(*window, control))) << controlName(control);

    const QImage image = window->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    const QString path = QDir::current().filePath(QStringLiteral("screenshots/recording-window-two-tracks.png"));
    ASSERT_TRUE(image.save(path)) << path.toStdString();
    std::printf("recording window: %s\n", qPrintable(path));
    // A sine at 0.6 of full scale, the whole track in view, fills far more than an axis and a caret.
    EXPECT_GT(waveShare(image, voice), 0.2);
    EXPECT_GT(waveShare(image, musicTrack), 0.2);
}

// A load that fails says why and leaves the window as it was: the tracks, their displays, the
// status bar, the position box and every control.
TEST_F(TrackLoadingWindowTest, FailedLoadKeepsTheWindowAsItWas)
{
    auto window = makeWindow();
    progressWindow.setMainWindow(window.get());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    choose(tone("voice.wav", 44100, 2, 1.0, 440), "Voice Track");
    clickMenuItem(*window, "OpenVoiceTrack");
    choose(mp3("music.mp3", 1.0), "Music Track");
    clickMenuItem(*window, "OpenMusicTrack");
    ASSERT_TRUE(window->trackRoads().track(TrackSide::Music));

    const QString corrupt = folder + "/corrupt.mp3";
    testsupport::writeFile(corrupt, QByteArray(4000, 'z'));
    struct Case {
        const char* control;
        const char* question;
        QString file;
        const char* message;
    } cases[] = {
        {"OpenVoiceTrack", "Voice Track?", folder + "/missing.wav", "does not exist"},
        {"OpenMusicTrack", "Music Track?", corrupt, "input file is not corrupt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        const QString voicePath = window->trackRoads().track(TrackSide::Voice)->workingPath;
        const QString musicPath = window->trackRoads().track(TrackSide::Music)->workingPath;
        const ControlPanel panel = window->controlPanel();
        const QStringList status = statusTexts(*window);
        const QString position = static_cast<QLineEdit*>(named(*window, Control::PositionMaskEdit))->text();

        interaction.expectMessageBox(platform::IDNO, c.question);
        choose(c.file, {});
        interaction.expectMessageBox(platform::IDOK, c.message);
        clickMenuItem(*window, c.control);
        EXPECT_TRUE(interaction.allConsumed());

        EXPECT_EQ(window->trackRoads().track(TrackSide::Voice)->workingPath, voicePath);
        EXPECT_EQ(window->trackRoads().track(TrackSide::Music)->workingPath, musicPath);
        EXPECT_EQ(display(*window, Control::PreRecordedWaveDisplay).WaveFileName(), voicePath);
        EXPECT_EQ(display(*window, Control::RecordingWaveDisplay).WaveFileName(), musicPath);
        EXPECT_EQ(statusTexts(*window), status);
        EXPECT_EQ(static_cast<QLineEdit*>(named(*window, Control::PositionMaskEdit))->text(), position);
        for (int i = 0; i < kControlCount; ++i)
            EXPECT_EQ(window->controlPanel()[Control(i)], panel[Control(i)]) << controlName(Control(i));
    }
}

// File > Open puts a finished file in the voice track, names it in the caption and leaves the
// record and Mix buttons off.
TEST_F(TrackLoadingWindowTest, FileOpenShowsTheFileInTheVoiceTrack)
{
    auto window = makeWindow();
    progressWindow.setMainWindow(window.get());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    choose(tone("show.wav", 44100, 2, 1.0, 330), {});
    clickMenuItem(*window, "FileOpenMenu");
    ASSERT_TRUE(window->trackRoads().track(TrackSide::Voice));
    EXPECT_EQ(display(*window, Control::PreRecordedWaveDisplay).TotalSamples(), 44100u);
    EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral(" - show.wav")));
    for (const Control control : {Control::StartStopRecordingButton, Control::VoiceRecordButton,
                                  Control::MusicRecordButton, Control::ReMixButton})
        EXPECT_FALSE(window->controlPanel()[control].enabled) << controlName(control);
    EXPECT_TRUE(window->controlPanel()[Control::PreRecordedPlayBtn].enabled);
    EXPECT_TRUE(isEnabled(named(*window, Control::FileCloseMenu)));
    EXPECT_EQ(statusTexts(*window).mid(0, 3), QStringList({"44100 Hz", "16 Bit", "Stereo"}));
}

} // namespace

namespace {

// What the save question showed, and the button pressed on it.
struct SaveQuestion {
    bool shown = false;
    QString caption;
    QString text;
    std::map<QString, bool> enabled; // by button name
    QImage picture;
    bool buttonsInside = false; // every button lies wholly inside the dialog
};

const QStringList kSaveChoiceButtons{"SaveMixedTrackButton", "SaveMusicTrackButton", "SaveVoiceTrackButton",
                                     "NoButton", "CancelButton"};

class ClosingTracksWindowTest : public TrackLoadingWindowTest {
protected:
    std::unique_ptr<TLiveOvedubbingForm> shownWindow()
    {
        auto window = makeWindow();
        progressWindow.setMainWindow(window.get());
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }
    // Answers the next save question by pressing the named button (Escape when empty), as a user
    // does once it shows.
    void answerSaveQuestion(QWidget& window, const QString& button)
    {
        auto* timer = new QTimer(&window);
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, button] {
            auto* dialog = qobject_cast<TFileSaveDlg*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            question.shown = true;
            question.caption = dialog->windowTitle();
            question.text = dialog->findChild<QLabel*>(QStringLiteral("QuestionLabel"))->text();
            for (const QString& name : kSaveChoiceButtons)
                question.enabled[name] = dialog->findChild<QPushButton*>(name)->isEnabled();
            question.picture = dialog->grab().toImage();
            question.buttonsInside = true;
            for (const QString& name : kSaveChoiceButtons) {
                const QWidget* b = dialog->findChild<QPushButton*>(name);
                question.buttonsInside = question.buttonsInside && dialog->rect().contains(b->geometry()) &&
                                         b->width() >= b->sizeHint().width();
            }
            if (button.isEmpty())
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
        });
        timer->start();
    }
    void chooseSaveName(const QString& path, const QString& title = {})
    {
        platform::FileDialogResult result;
        result.accepted = true;
        result.files = {path};
        interaction.expectSaveFile(result, title);
    }
    void importTrack(TLiveOvedubbingForm& window, TrackSide side, const QString& file)
    {
        choose(file, side == TrackSide::Voice ? "Voice Track" : "Music Track");
        clickMenuItem(window, side == TrackSide::Voice ? "OpenVoiceTrack" : "OpenMusicTrack");
        ASSERT_TRUE(interaction.allConsumed());
        ASSERT_TRUE(window.trackRoads().track(side));
    }
    // The working WAV and its peak cache.
    QStringList workingFiles(const TLiveOvedubbingForm& window, TrackSide side)
    {
        const QString wav = window.trackRoads().track(side)->workingPath;
        return {wav, GetPeakFileName(wav, temp)};
    }
    static QByteArray bytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList folderEntries()
    {
        return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    }
    // The window as File > Close leaves it: no tracks, empty displays and status bar, the position
    // box at zero, the slider emptied and off, the product's caption and the empty window's controls.
    void expectEmptyWindow(TLiveOvedubbingForm& window)
    {
        EXPECT_FALSE(window.trackRoads().track(TrackSide::Voice));
        EXPECT_FALSE(window.trackRoads().track(TrackSide::Music));
        EXPECT_TRUE(display(window, Control::PreRecordedWaveDisplay).WaveFileName().isEmpty());
        EXPECT_TRUE(display(window, Control::RecordingWaveDisplay).WaveFileName().isEmpty());
        EXPECT_EQ(static_cast<QLineEdit*>(named(window, Control::PositionMaskEdit))->text(), QStringLiteral("00000000"));
        const auto* slider = static_cast<controls::TCoolSliderH*>(named(window, Control::CurrentPositionTrackBar));
        EXPECT_EQ(slider->SelStart(), slider->SelEnd());
        EXPECT_FALSE(window.controlPanel()[Control::CurrentPositionTrackBar].enabled);
        EXPECT_FALSE(slider->isEnabled());
        for (const QString& text : statusTexts(window))
            EXPECT_TRUE(text.isEmpty());
        EXPECT_EQ(window.windowTitle(), QString::fromLatin1(kRecorderCaption));
        EXPECT_TRUE(window.trackRoads().mixedFile().path.isEmpty());
        EXPECT_EQ(window.trackRoads().recordingFormat(), WaveFormatEx());
        for (const Control control : {Control::FileCloseMenu, Control::SaveVoiceTrackButton, Control::FileSaveMusicTrackMenu})
            EXPECT_FALSE(isEnabled(named(window, control))) << controlName(control);
        for (const Control control : {Control::OpenVoiceTrack, Control::OpenMusicTrack, Control::FileOpenMenu})
            EXPECT_TRUE(isEnabled(named(window, control))) << controlName(control);
        // The table offers recording again, and takes the mixed track's editing away.
        for (const Control control : {Control::StartStopRecordingButton, Control::VoiceRecordButton,
                                      Control::MusicRecordButton, Control::ReMixButton})
            EXPECT_TRUE(window.controlPanel()[control].enabled) << controlName(control);
        for (const Control control : {Control::EditMixTrackCoolButton, Control::EditMixedTrackMenu})
            EXPECT_FALSE(window.controlPanel()[control].enabled) << controlName(control);
    }

    SaveQuestion question;
};

// File > Close with a changed voice track alone asks the save question with only "Save Voice Track"
// offered for a track. Cancel (the button or Escape) keeps everything; No throws the track and its
// working files away and leaves the empty window; Save Voice Track saves first, and only a save
// that completes lets the track go.
TEST_F(ClosingTracksWindowTest, ClosingAChangedVoiceTrackAsksFirst)
{
    const QString source = tone("voice.wav", 44100, 2, 1.0, 440);
    const QString kept = folder + "/kept.wav";
    const QString missingFolder = folder + "/gone/kept.wav";
    struct Case {
        const char* name;
        QString button;       // empty: Escape
        QString saveAs;       // the save dialog's answer; empty: no save dialog
        const char* message;  // the box after the save; none when empty
        bool closed;
    } cases[] = {
        {"cancel", "CancelButton", {}, "", false},
        {"escape", {}, {}, "", false},
        {"save fails", "SaveVoiceTrackButton", missingFolder, "Cannot save file to disk.", false},
        {"save", "SaveVoiceTrackButton", kept, "", true},
        {"no", "NoButton", {}, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(kept);
        auto window = shownWindow();
        importTrack(*window, TrackSide::Voice, source);
        const QStringList working = workingFiles(*window, TrackSide::Voice);
        const QByteArray audio = bytes(working[0]);
        for (const QString& file : working)
            ASSERT_TRUE(QFileInfo::exists(file)) << file.toStdString();
        const ControlPanel panel = window->controlPanel();

        question = {};
        answerSaveQuestion(*window, c.button);
        if (!c.saveAs.isEmpty())
            chooseSaveName(c.saveAs, "Save Voice Track As");
        if (*c.message)
            interaction.expectMessageBox(platform::IDOK, QString::fromLatin1(c.message));
        clickMenuItem(*window, "FileCloseMenu");
        ASSERT_TRUE(QTest::qWaitFor([&] { return question.shown; }));
        EXPECT_TRUE(interaction.allConsumed());

        EXPECT_EQ(question.caption, QStringLiteral("Save File As..."));
        EXPECT_EQ(question.text, QStringLiteral("Recorded file is not saved. Do you want to  save it now ?"));
        EXPECT_EQ(question.enabled, (std::map<QString, bool>{{"SaveMixedTrackButton", false},
                                                              {"SaveMusicTrackButton", false},
                                                              {"SaveVoiceTrackButton", true},
                                                              {"NoButton", true},
                                                              {"CancelButton", true}}));
        EXPECT_FALSE(QFileInfo::exists(missingFolder));
        EXPECT_TRUE(QFileInfo::exists(source));
        if (c.closed) {
            expectEmptyWindow(*window);
            for (const QString& file : working)
                EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
        } else {
            ASSERT_TRUE(window->trackRoads().track(TrackSide::Voice));
            EXPECT_EQ(window->trackRoads().track(TrackSide::Voice)->state, kTrackChanged);
            EXPECT_EQ(display(*window, Control::PreRecordedWaveDisplay).WaveFileName(), working[0]);
            for (const QString& file : working)
                EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
            EXPECT_EQ(bytes(working[0]), audio);
            for (int i = 0; i < kControlCount; ++i)
                EXPECT_EQ(window->controlPanel()[Control(i)], panel[Control(i)]) << controlName(Control(i));
        }
        // The saved file is the track's audio and stays when the track goes.
        EXPECT_EQ(QFileInfo::exists(kept), c.saveAs == kept);
        if (c.saveAs == kept) {
            EXPECT_EQ(bytes(kept), audio);
        }
    }
}

// With both tracks the question comes whatever their state, offers the mix and both track saves,
// and No throws both tracks with all their working files away.
TEST_F(ClosingTracksWindowTest, ClosingBothTracksWithNoDiscardsTheirWorkingFiles)
{
    auto window = shownWindow();
    const QString voiceSource = tone("voice.wav", 44100, 2, 1.0, 440);
    const QString musicSource = tone("music.wav", 44100, 2, 1.0, 220);
    importTrack(*window, TrackSide::Voice, voiceSource);
    importTrack(*window, TrackSide::Music, musicSource);
    const QStringList working = workingFiles(*window, TrackSide::Voice) + workingFiles(*window, TrackSide::Music);
    for (const QString& file : working)
        ASSERT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    const WaveFormatEx format = window->trackRoads().recordingFormat();

    answerSaveQuestion(*window, "NoButton");
    clickMenuItem(*window, "FileCloseMenu");
    ASSERT_TRUE(QTest::qWaitFor([&] { return question.shown; }));
    EXPECT_EQ(question.enabled, (std::map<QString, bool>{{"SaveMixedTrackButton", true},
                                                          {"SaveMusicTrackButton", true},
                                                          {"SaveVoiceTrackButton", true},
                                                          {"NoButton", true},
                                                          {"CancelButton", true}}));
    EXPECT_TRUE(question.buttonsInside);
    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    const QString picture = QDir::current().filePath(QStringLiteral("screenshots/file-save-dialog-two-tracks.png"));
    ASSERT_TRUE(question.picture.save(picture)) << picture.toStdString();
    std::printf("save question: %s\n", qPrintable(picture));
    std::set<QRgb> colours;
    for (int y = 0; y < question.picture.height(); y += 2) {
        for (int x = 0; x < question.picture.width(); x += 2)
            colours.insert(question.picture.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 4u);
    expectEmptyWindow(*window);
    for (const QString& file : working)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_TRUE(QDir(temp).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty())
        << QDir(temp).entryList(QDir::Files | QDir::NoDotAndDotDot).join(' ').toStdString();
    EXPECT_TRUE(QFileInfo::exists(voiceSource));
    EXPECT_TRUE(QFileInfo::exists(musicSource));
    EXPECT_EQ(window->trackRoads().previousRecordingFormat(), format);
}

// A file opened with File > Open counts as saved work: closing asks nothing, deletes the working
// WAV and the peak caches of the working WAV and of the opened file, and the opened file stays.
// The window's own close does the same and then closes. A file of another kind that carries the
// cache's name is not taken for one.
TEST_F(ClosingTracksWindowTest, ClosingAnOpenedFileAsksNothingAndKeepsTheFile)
{
    const std::pair<bool, bool> cases[] = {{false, true}, {false, false}, {true, true}, {true, false}};
    for (const auto& [byWindowClose, realCache] : cases) {
        SCOPED_TRACE(byWindowClose ? "window closed" : "File > Close");
        SCOPED_TRACE(realCache ? "peak cache" : "another file under the cache's name");
        auto window = shownWindow();
        const QString show = tone("show.wav", 44100, 2, 1.0, 330);
        choose(show, {});
        clickMenuItem(*window, "FileOpenMenu");
        ASSERT_TRUE(window->trackRoads().track(TrackSide::Voice));
        const QStringList working = workingFiles(*window, TrackSide::Voice);
        const QString savedPeaks = GetPeakFileName(show, temp);
        if (realCache) {
            controls::PeakCache cache;
            cache.channels = {{{-5, 5}, {-7, 7}}, {{-1, 1}, {-2, 2}}};
            ASSERT_EQ(controls::writePeakFile(savedPeaks, cache, 2), 0);
        } else {
            testsupport::writeFile(savedPeaks, "the user's own notes under the cache's name");
        }

        if (byWindowClose) {
            EXPECT_TRUE(window->close());
            EXPECT_FALSE(window->isVisible());
        } else {
            clickMenuItem(*window, "FileCloseMenu");
            expectEmptyWindow(*window);
        }
        EXPECT_TRUE(interaction.allConsumed());
        for (const QString& file : working)
            EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
        EXPECT_EQ(QFileInfo::exists(savedPeaks), !realCache);
        EXPECT_TRUE(QFileInfo::exists(show));
    }
}

// Cancelling the question of the window's close keeps the window open with its track; No closes it.
TEST_F(ClosingTracksWindowTest, CancelInTheCloseQueryKeepsTheWindowOpen)
{
    auto window = shownWindow();
    importTrack(*window, TrackSide::Music, tone("music.wav", 44100, 2, 1.0, 220));
    const QStringList working = workingFiles(*window, TrackSide::Music);

    answerSaveQuestion(*window, "CancelButton");
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(question.shown);
    EXPECT_TRUE(question.enabled["SaveMusicTrackButton"]);
    EXPECT_FALSE(question.enabled["SaveVoiceTrackButton"]);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->trackRoads().track(TrackSide::Music));
    EXPECT_FALSE(store.valueExists(kPlacementKey, QStringLiteral("State")));

    question = {};
    answerSaveQuestion(*window, "NoButton");
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(question.shown);
    for (const QString& file : working)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_TRUE(store.valueExists(kPlacementKey, QStringLiteral("State")));
}

// While the window is busy File > Close is refused with the busy message and nothing is asked or
// thrown away.
TEST_F(ClosingTracksWindowTest, BusyWindowRefusesToCloseTracks)
{
    auto window = shownWindow();
    importTrack(*window, TrackSide::Voice, tone("voice.wav", 44100, 2, 1.0, 440));
    const QStringList working = workingFiles(*window, TrackSide::Voice);
    {
        BusyGuard busy(window->busyFlag());
        interaction.expectMessageBox(platform::IDOK, QStringLiteral("is currently busy performing another task"));
        clickMenuItem(*window, "FileCloseMenu");
        EXPECT_TRUE(interaction.allConsumed());
    }
    EXPECT_TRUE(window->trackRoads().track(TrackSide::Voice));
    for (const QString& file : working)
        EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_TRUE(isEnabled(named(*window, Control::FileCloseMenu)));
}

// A track saved with its button: the file holds the track's audio, the caption names it, the track
// counts as saved (a second save asks nothing) and closing it asks nothing.
TEST_F(ClosingTracksWindowTest, SavedTrackNeedsNoQuestion)
{
    auto window = shownWindow();
    importTrack(*window, TrackSide::Music, tone("music.wav", 22050, 1, 1.0, 220));
    const QStringList working = workingFiles(*window, TrackSide::Music);
    const QString target = folder + "/saved music.wav";
    chooseSaveName(target, "Save Music Track As");
    QTest::mouseClick(static_cast<QWidget*>(named(*window, Control::SaveMusicTrackButton)), Qt::LeftButton);
    ASSERT_TRUE(interaction.allConsumed());
    const ScriptedInteraction::Prompt& prompt = interaction.prompts().back();
    EXPECT_EQ(prompt.request.filter, QStringLiteral("MP3 Files (*.mp3)|*.mp3|Wave Files (*.wav)|*.wav"));
    EXPECT_EQ(prompt.request.defaultExtension, QStringLiteral("mp3"));
    EXPECT_TRUE(prompt.request.overwritePrompt);

    const std::optional<TrackRecord>& track = window->trackRoads().track(TrackSide::Music);
    ASSERT_TRUE(track);
    EXPECT_EQ(track->state, kTrackSaved);
    EXPECT_EQ(track->savedPath, target);
    EXPECT_EQ(track->savedKind, TrackSourceKind::Wave);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Wexo Ravadur : saved music.wav"));
    const wavefixtures::WaveInfo saved = wavefixtures::soxWaveInfo(target, false);
    EXPECT_EQ(saved.rate, 22050);
    EXPECT_EQ(saved.frames, 22050);
    EXPECT_EQ(bytes(target), bytes(working[0]));

    // Saved already: the button does nothing, closing asks nothing.
    QTest::mouseClick(static_cast<QWidget*>(named(*window, Control::SaveMusicTrackButton)), Qt::LeftButton);
    clickMenuItem(*window, "FileCloseMenu");
    expectEmptyWindow(*window);
    for (const QString& file : working)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_TRUE(QFileInfo::exists(target));

    // The next save dialog proposes the last name without its extension.
    importTrack(*window, TrackSide::Voice, tone("voice.wav", 22050, 1, 1.0, 440));
    chooseSaveName(folder + "/second.wav");
    clickMenuItem(*window, "FileSaveVoiceTrackMenu");
    EXPECT_EQ(interaction.prompts().back().request.fileName, QStringLiteral("saved music"));
}

// Saves that do not complete: the user is told, the track stays changed on its working WAV, and no
// file (whole or partial) appears under the chosen name; a file already there is left as it was.
TEST_F(ClosingTracksWindowTest, SaveThatDoesNotCompleteLeavesNoFile)
{
    const QString source = tone("voice.wav", 44100, 2, 1.0, 440);
    const QString existing = folder + "/existing.wav";
    testsupport::writeFile(existing, "the user's earlier file");

    enum class Fault { None, DiskFull, Stopped };
    struct Case {
        const char* name;
        QString target;
        Fault fault;
        const char* message;
    } cases[] = {
        {"mp3 without its window", folder + "/talk.mp3", Fault::None, "Cannot save file to disk."},
        {"wma without its window", folder + "/talk.WMA", Fault::None, "Cannot save file to disk."},
        {"unknown extension", folder + "/talk.txt", Fault::None, "Error: Could not convert the format."},
        {"disk full", folder + "/full.wav", Fault::DiskFull, "Cannot save file to disk."},
        {"disk full over a file", existing, Fault::DiskFull, "Cannot save file to disk."},
        {"stopped", folder + "/stopped.wav", Fault::Stopped, "Save operation is aborted."},
        {"stopped over a file", existing, Fault::Stopped, "Save operation is aborted."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList before = folderEntries();
        trackCopy = CopyFileWithProgress;
        if (c.fault == Fault::Stopped) {
            trackCopy = [](const QString& source, const QString& target, std::atomic<int32_t>& percent,
                           const std::atomic<int32_t>&) {
                const std::atomic<int32_t> stopped{0};
                return CopyFileWithProgress(source, target, percent, stopped);
            };
        }
        auto saving = makeWindow();
        progressWindow.setMainWindow(saving.get());
        saving->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(saving.get()));
        importTrack(*saving, TrackSide::Voice, source);
        const QString savingWav = saving->trackRoads().track(TrackSide::Voice)->workingPath;
        const QByteArray audio = bytes(savingWav);
        const QStringList withTrack = folderEntries();

        chooseSaveName(c.target);
        interaction.expectMessageBox(platform::IDOK, QString::fromLatin1(c.message));
        {
            std::optional<wavefixtures::FileSizeLimit> diskFull;
            if (c.fault == Fault::DiskFull)
                diskFull.emplace(100000);
            QTest::mouseClick(static_cast<QWidget*>(named(*saving, Control::SaveVoiceTrackButton)), Qt::LeftButton);
        }
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(folderEntries(), withTrack);
        EXPECT_EQ(withTrack, before);
        EXPECT_EQ(bytes(existing), QByteArray("the user's earlier file"));
        const std::optional<TrackRecord>& track = saving->trackRoads().track(TrackSide::Voice);
        ASSERT_TRUE(track);
        EXPECT_EQ(track->state, kTrackChanged);
        EXPECT_EQ(track->workingPath, savingWav);
        EXPECT_EQ(bytes(savingWav), audio);
        EXPECT_EQ(saving->windowTitle(), QString::fromLatin1(kRecorderCaption));
    }
}

// A second import over a changed track offers to save it first; Yes saves it, then the new file
// loads and the saved one stays. File > Open over a changed track asks the save question; No throws
// the track away before the file opens.
TEST_F(ClosingTracksWindowTest, ImportAndOpenOverAChangedTrackOfferTheSave)
{
    auto window = shownWindow();
    importTrack(*window, TrackSide::Voice, tone("first.wav", 44100, 2, 1.0, 440));
    const QStringList first = workingFiles(*window, TrackSide::Voice);
    const QString kept = folder + "/first take.wav";
    const QByteArray audio = bytes(first[0]);

    interaction.expectMessageBox(platform::IDYES, "Do you want to save the already recorded Voice Track?");
    chooseSaveName(kept, "Save Voice Track As");
    importTrack(*window, TrackSide::Voice, tone("second.wav", 44100, 2, 0.5, 330));
    EXPECT_EQ(bytes(kept), audio);
    for (const QString& file : first)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_EQ(display(*window, Control::PreRecordedWaveDisplay).TotalSamples(), 22050u);
    const QStringList second = workingFiles(*window, TrackSide::Voice);

    answerSaveQuestion(*window, "NoButton");
    choose(tone("show.wav", 44100, 2, 2.0, 550), {});
    clickMenuItem(*window, "FileOpenMenu");
    EXPECT_TRUE(question.shown);
    ASSERT_TRUE(window->trackRoads().track(TrackSide::Voice));
    EXPECT_EQ(display(*window, Control::PreRecordedWaveDisplay).TotalSamples(), 88200u);
    for (const QString& file : second)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_TRUE(QFileInfo::exists(kept));
}

// A working WAV changed outside the window is shown again: its display, its record and the
// window's format, length and position controls follow the new file.
TEST_F(ClosingTracksWindowTest, ReloadShowsAChangedWorkingWav)
{
    auto window = shownWindow();
    importTrack(*window, TrackSide::Voice, tone("voice.wav", 44100, 2, 1.0, 440));
    importTrack(*window, TrackSide::Music, tone("music.wav", 44100, 2, 1.0, 220));
    for (const TrackSide side : {TrackSide::Voice, TrackSide::Music}) {
        SCOPED_TRACE(side == TrackSide::Voice ? "voice" : "music");
        const QString wav = window->trackRoads().track(side)->workingPath;
        const QString peaks = GetPeakFileName(wav, temp);
        ASSERT_TRUE(QFileInfo::exists(peaks));
        const QDateTime peaksTime = QFileInfo(peaks).lastModified();
        // A newer write time than the peak cache's, as an editor's save gives.
        QTest::qWait(20);
        ASSERT_EQ(testsupport::runSox({"-n", "-r", "44100", "-c", "2", "-b", "16", "-t", "wav", wav, "synth", "2.5",
                                       "sine", "660"})
                      .exitCode,
                  0);
        if (side == TrackSide::Voice)
            window->ReloadVoiceTrack();
        else
            window->ReloadMusicTrack();
        auto& shown = display(*window, side == TrackSide::Voice ? Control::PreRecordedWaveDisplay
                                                                      : Control::RecordingWaveDisplay);
        EXPECT_EQ(shown.WaveFileName(), wav);
        EXPECT_EQ(shown.TotalSamples(), 110250u);
        EXPECT_EQ(shown.ZoomLevel(), shown.MaxZoomLevel());
        EXPECT_NE(QFileInfo(peaks).lastModified(), peaksTime);
    }
    const std::optional<TrackRecord>& voice = window->trackRoads().track(TrackSide::Voice);
    EXPECT_EQ(voice->fileInfo.frames, 110250);
    EXPECT_EQ(statusTexts(*window)[4], QStringLiteral("000:02:500"));
    EXPECT_TRUE(isEnabled(named(*window, Control::SaveMusicTrackButton)));
    EXPECT_TRUE(interaction.allConsumed());
}

// A voice working WAV that can no longer be read is dropped on reload: the user is told, the
// working file goes, the Voice & Music button is released, and the window shows the music track
// alone.
TEST_F(ClosingTracksWindowTest, ReloadDropsAVoiceTrackThatCannotBeShown)
{
    auto window = shownWindow();
    importTrack(*window, TrackSide::Voice, tone("voice.wav", 44100, 2, 1.0, 440));
    importTrack(*window, TrackSide::Music, tone("music.wav", 44100, 2, 1.0, 220));
    const QString wav = window->trackRoads().track(TrackSide::Voice)->workingPath;
    QTest::qWait(20);
    testsupport::writeFile(wav, QByteArray(3000, 'x'));

    interaction.expectMessageBox(platform::IDOK);
    window->ReloadVoiceTrack();
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_FALSE(window->trackRoads().track(TrackSide::Voice));
    EXPECT_FALSE(QFileInfo::exists(wav));
    EXPECT_TRUE(display(*window, Control::PreRecordedWaveDisplay).WaveFileName().isEmpty());
    const auto* record = static_cast<TCoolButton*>(named(*window, Control::StartStopRecordingButton));
    EXPECT_FALSE(record->Down());
    EXPECT_EQ(record->Caption(), QStringLiteral("Voice && Music"));
    EXPECT_FALSE(window->controlPanel()[Control::PauseRecordingButton].enabled);
    EXPECT_FALSE(isEnabled(named(*window, Control::SaveVoiceTrackButton)));
    EXPECT_TRUE(isEnabled(named(*window, Control::SaveMusicTrackButton)));
    EXPECT_TRUE(window->trackRoads().track(TrackSide::Music));
}

} // namespace
