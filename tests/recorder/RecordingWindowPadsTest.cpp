// The recording window's music pads on the virtual sound backend, driven as a user does: files
// dropped on a pad and chosen through its popup menu, pads fired by their function keys and by
// clicks, into a recording's music take, Esc and "Stop All Segments", the window's other keys, pad
// lists through the Load and Save buttons, the pads of the last session kept on closing, and a
// screenshot of the window with pads loaded.
#include "recorder/MusicPadPanel.h"
#include "recorder/RecordingControls.h"

#include "common/WaveUtil.h"
#include "controls/CoolButton.h"
#include "controls/EQBmpBtn.h"
#include "controls/Waveform.h"
#include "recorder/MusicPads.h"
#include "tests/platform/audio/EngineTestSupport.h"
#include "tests/recorder/WindowOnVirtualSound.h"

#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>

#include <set>

using namespace recorder;
using controls::TEQBmpButton;

namespace {

class WindowPads : public windowtest::WindowOnVirtualSound {
protected:
    void SetUp() override
    {
        windowtest::WindowOnVirtualSound::SetUp();
        window->trackRoads().setRecordingFormat(format);
        jingle = enginetest::writeWave(folder + "/Jingle.one.wav", format, enginetest::ramp16(300, 2, 100));
        bed = enginetest::writeWave(folder + "/bed.wav", format, enginetest::ramp16(200, 2, 1000));
    }

    TEQBmpButton* pad(int slot) const
    {
        return window->findChild<TEQBmpButton*>(QStringLiteral("F%1EffectButton").arg(slot + 1));
    }
    MusicPads& pads() const { return window->pads().pads(); }

    // Drags the files from a file manager over the pad and drops them: true when the pad took them.
    bool dropOn(QWidget* target, const QStringList& files)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& file : files)
            urls << QUrl::fromLocalFile(file);
        data.setUrls(urls);
        const QPointF at = QRectF(target->rect()).center();
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }

    // Opens the pad's popup menu and chooses the item; its text before the choice is returned.
    QString choose(int slot, const char* item)
    {
        QMenu* menu = window->pads().popupMenu();
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5), pad(slot)->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(pad(slot), &request);
        if (!QTest::qWaitForWindowExposed(menu))
            return {};
        auto* action = menu->findChild<QAction*>(QString::fromLatin1(item));
        const QString text = action->text();
        if (action->isEnabled())
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        else
            menu->close();
        return text;
    }

    void releaseKey(Qt::Key key) { QTest::keyRelease(window.get(), key); }

    const WaveFormatEx format = makePcmFormat(8000, 16, 2);
    QString jingle;
    QString bed;
};

TEST_F(WindowPads, PadsAreAssignedByDropAndByTheirMenu)
{
    for (int slot = 0; slot < kPadSlots; ++slot) {
        ASSERT_NE(pad(slot), nullptr) << slot;
        EXPECT_EQ(pad(slot)->Caption(), QStringLiteral("F%1").arg(slot + 1));
        EXPECT_TRUE(pad(slot)->isEnabled());
    }
    const QString text = folder + "/notes.txt";
    testsupport::writeFile(text, "text");
    EXPECT_FALSE(dropOn(pad(0), {text}));
    EXPECT_FALSE(dropOn(pad(0), {jingle, bed}));
    EXPECT_FALSE(dropOn(pad(0), {folder}));
    EXPECT_TRUE(pads().slot(PadPage::First, 0).working.isEmpty());

    ASSERT_TRUE(dropOn(pad(0), {jingle}));
    EXPECT_EQ(pad(0)->Caption(), "Jingle");
    EXPECT_EQ(pad(0)->toolTip(), "Jingle.one.wav");
    EXPECT_TRUE(pad(0)->font().bold());
    EXPECT_FALSE(pad(1)->font().bold());

    platform::FileDialogResult chosen;
    chosen.accepted = true;
    chosen.files = {bed};
    interaction.expectOpenFile(chosen);
    EXPECT_EQ(choose(1, "AssignEffectItem"), "Assign Effect");
    EXPECT_EQ(pad(1)->Caption(), "bed");
    const platform::FileDialogRequest& asked = interaction.prompts().back().request;
    EXPECT_EQ(asked.filter, "Wave Files (*.wav)|*.wav|MP3 Files (*.mp3)|*.mp3|WMA Files (*.WMA)|*.wma|"
                            "All Supported Media Types |*.mp3;*.wav;*.wma");
    EXPECT_TRUE(asked.fileMustExist);

    EXPECT_EQ(choose(1, "LoopingItem"), "Looping On");
    EXPECT_TRUE(pads().slot(PadPage::First, 1).loop);
    EXPECT_FALSE(pad(1)->Glyph().isNull());
    EXPECT_TRUE(pad(0)->Glyph().isNull());
    EXPECT_EQ(choose(1, "LoopingItem"), "Looping Off");
    EXPECT_TRUE(pad(1)->Glyph().isNull());

    // While a pad plays its menu offers nothing, and a drop on it is not taken.
    releaseKey(Qt::Key_F2);
    ASSERT_TRUE(pads().slot(PadPage::First, 1).playing);
    EXPECT_EQ(choose(1, "AssignEffectItem"), "Unassign Effect");
    EXPECT_FALSE(pads().slot(PadPage::First, 1).working.isEmpty());
    EXPECT_FALSE(dropOn(pad(1), {jingle}));
    releaseKey(Qt::Key_Escape);

    const QString working = pads().slot(PadPage::First, 1).working;
    EXPECT_EQ(choose(1, "AssignEffectItem"), "Unassign Effect");
    EXPECT_EQ(pad(1)->Caption(), "F2");
    EXPECT_FALSE(QFile::exists(working));
}

// Function keys fire the pads (F10 too) and show them pressed; a pad played to its end comes up
// again; Esc stops every pad, and "Stop All Segments" is offered only while pads play.
TEST_F(WindowPads, FunctionKeysFirePadsAndEscStopsThem)
{
    ASSERT_TRUE(dropOn(pad(0), {jingle}));
    ASSERT_TRUE(dropOn(pad(9), {bed}));
    pads().toggleLoop(9);
    auto* stopAll = named<controls::TCoolButton>(Control::StopAllTracksCoolButton);
    EXPECT_FALSE(stopAll->isEnabled());

    releaseKey(Qt::Key_F10);
    releaseKey(Qt::Key_F1);
    EXPECT_TRUE(pad(0)->Pressed());
    EXPECT_TRUE(pad(9)->Pressed());
    EXPECT_TRUE(pads().padsActive());
    EXPECT_TRUE(stopAll->isEnabled());
    EXPECT_EQ(window->findChild<QMenuBar*>()->activeAction(), nullptr);

    backend.advance(400);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pad(0)->Pressed(); }));
    EXPECT_TRUE(pad(9)->Pressed());
    EXPECT_TRUE(pads().padsActive());

    releaseKey(Qt::Key_F3); // a free pad
    EXPECT_FALSE(pad(2)->Pressed());

    const QString take = pads().temporaryTake();
    releaseKey(Qt::Key_Escape);
    EXPECT_FALSE(pad(9)->Pressed());
    EXPECT_FALSE(pads().padsActive());
    EXPECT_FALSE(QFile::exists(take));
    EXPECT_FALSE(stopAll->isEnabled());

    // A click fires a pad as its key does; "Stop All Segments" stops it.
    QTest::mouseClick(pad(9), Qt::LeftButton);
    EXPECT_TRUE(pad(9)->Pressed());
    ASSERT_TRUE(stopAll->isEnabled());
    QTest::mouseClick(stopAll, Qt::LeftButton);
    EXPECT_FALSE(pad(9)->Pressed());
    EXPECT_FALSE(pads().padsActive());
}

// Pad lists through the Save and Load buttons; closing the window keeps the first page as the
// last-used pads.
TEST_F(WindowPads, PadListsThroughTheButtonsAndTheLastUsedPadsOnClosing)
{
    ASSERT_TRUE(dropOn(pad(0), {jingle}));
    ASSERT_TRUE(dropOn(pad(5), {bed}));
    const QString list = folder + "/show.mfl";
    platform::FileDialogResult saveAs;
    saveAs.accepted = true;
    saveAs.files = {list};
    interaction.expectSaveFile(saveAs, "Save Buttons As");
    QTest::mouseClick(window->findChild<QWidget*>(QStringLiteral("SaveMusicList")), Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(list));
    EXPECT_EQ(interaction.prompts().back().request.defaultExtension, "mfl");

    pads().ClearPad(0);
    pads().ClearPad(5);
    ASSERT_TRUE(dropOn(pad(3), {bed}));
    platform::FileDialogResult open;
    open.accepted = true;
    open.files = {list};
    interaction.expectOpenFile(open, "Open Buttons File");
    QTest::mouseClick(named<QWidget>(Control::LoadMusicList), Qt::LeftButton);
    EXPECT_EQ(pad(0)->Caption(), "Jingle");
    EXPECT_EQ(pad(5)->Caption(), "bed");
    EXPECT_EQ(pad(3)->Caption(), "F4");

    window->close();
    EXPECT_EQ(store.readString(lastUsedPadsKey(), "File Path 0").value, jingle);
    EXPECT_EQ(store.readString(lastUsedPadsKey(), "Button caption 5").value, "bed");
    EXPECT_EQ(store.readString(lastUsedPadsKey(), "File Path 3").value, "");
}

// A take whose format is chosen as it starts converts the pads to it first; a pad fired by its key
// during the take goes into the music take at the frame it was fired.
TEST_F(WindowPads, ATakeConvertsThePadsAndTakesThemIn)
{
    window->trackRoads().setRecordingFormat({});
    const QString mono = enginetest::writeWave(folder + "/mono.wav", makePcmFormat(22050, 16, 1),
                                               enginetest::ramp16(2205, 1, 500));
    ASSERT_TRUE(dropOn(pad(0), {mono}));
    WaveFormatEx loaded;
    ASSERT_EQ(ReadWaveFormat(pads().slot(PadPage::First, 0).working, nullptr, &loaded), 0);
    EXPECT_EQ(loaded.samplesPerSec, 22050u);

    interaction.expectMessageBox(platform::IDYES, QStringLiteral("start recording now"));
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    const QString working = pads().slot(PadPage::First, 0).working;
    uint32_t padFrames = 0;
    ASSERT_EQ(ReadWaveFormat(working, &padFrames, &loaded), 0);
    EXPECT_EQ(loaded, format);
    EXPECT_EQ(padFrames, 800u);
    const QByteArray padSamples = wavefixtures::pythonWaveInfo(working).samples;

    backend.advance(300);
    releaseKey(Qt::Key_F1);
    ASSERT_TRUE(pad(0)->Pressed());
    backend.advance(1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pad(0)->Pressed(); }));
    click(Control::StartStopRecordingButton);
    ASSERT_FALSE(window->recording().take().running());

    const wavefixtures::WaveInfo music =
        wavefixtures::pythonWaveInfo(window->trackRoads().track(TrackSide::Music)->workingPath);
    EXPECT_EQ(music.frames, 1300);
    EXPECT_EQ(music.samples, QByteArray(300 * 4, '\0') + padSamples + QByteArray(200 * 4, '\0'));
}

// During a take "Current" stops the pad fired last and "Stop All Segments" the others; a pad still
// playing when the take stops comes up with it.
TEST_F(WindowPads, CurrentAndStopAllDuringATake)
{
    for (int slot : {0, 1, 2}) {
        ASSERT_TRUE(dropOn(pad(slot), {bed}));
        pads().toggleLoop(slot);
    }
    auto* current = named<controls::TCoolButton>(Control::CurrentMusicTrackPlaybackCoolButton);
    auto* stopAll = named<controls::TCoolButton>(Control::StopAllTracksCoolButton);
    EXPECT_FALSE(current->isEnabled());
    click(Control::StartStopRecordingButton);
    ASSERT_TRUE(window->recording().take().running());
    EXPECT_TRUE(current->isEnabled());
    for (Qt::Key key : {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3})
        releaseKey(key);
    backend.advance(300);
    QTest::mouseClick(current, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pad(2)->Pressed(); }));
    EXPECT_TRUE(pad(0)->Pressed());
    EXPECT_TRUE(pad(1)->Pressed());
    ASSERT_TRUE(stopAll->isEnabled());
    QTest::mouseClick(stopAll, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pad(0)->Pressed() && !pad(1)->Pressed(); }));
    EXPECT_FALSE(stopAll->isEnabled());

    releaseKey(Qt::Key_F1);
    backend.advance(300);
    click(Control::StartStopRecordingButton);
    ASSERT_FALSE(window->recording().take().running());
    EXPECT_FALSE(pad(0)->Pressed());
    EXPECT_FALSE(pads().slot(PadPage::First, 0).playing);
}

// The window's letters press the record buttons and the keypad zooms, but not while the position
// box takes the typing.
TEST_F(WindowPads, RecordLettersAndTheKeypadZoom)
{
    auto* box = named<QLineEdit>(Control::PositionMaskEdit);
    QTest::keyRelease(box, Qt::Key_R);
    EXPECT_FALSE(window->recording().take().running());
    releaseKey(Qt::Key_R);
    ASSERT_TRUE(window->recording().take().running());
    backend.advance(80000);
    releaseKey(Qt::Key_R);
    ASSERT_FALSE(window->recording().take().running());

    auto* voice = named<controls::TQzv32WaveDisplay>(Control::PreRecordedWaveDisplay);
    const uint32_t extents = voice->ZoomLevel();
    QTest::keyRelease(window.get(), Qt::Key_Plus);
    EXPECT_EQ(voice->ZoomLevel(), extents) << "a plus without the keypad";
    QTest::keyRelease(window.get(), Qt::Key_Plus, Qt::KeypadModifier);
    const uint32_t zoomedIn = voice->ZoomLevel();
    EXPECT_LT(zoomedIn, extents);
    QTest::keyRelease(window.get(), Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_GT(voice->ZoomLevel(), zoomedIn);
    QTest::keyRelease(window.get(), Qt::Key_Plus, Qt::KeypadModifier);
    QTest::keyRelease(window.get(), Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_EQ(voice->ZoomLevel(), extents);

    interaction.expectMessageBox(platform::IDNO, QStringLiteral("already recorded Music Track"));
    releaseKey(Qt::Key_U);
    ASSERT_TRUE(window->recording().overdub().running());
    EXPECT_EQ(window->recording().overdub().side(), OverdubSide::Music);
    backend.advance(800);
    releaseKey(Qt::Key_U);
    EXPECT_FALSE(window->recording().overdub().running());
}

TEST_F(WindowPads, ScreenshotWithPadsLoaded)
{
    const QImage freePad = pad(0)->grab().toImage();
    ASSERT_TRUE(dropOn(pad(0), {jingle}));
    ASSERT_TRUE(dropOn(pad(1), {bed}));
    ASSERT_TRUE(dropOn(pad(6), {enginetest::writeWave(folder + "/applause.wav", format, enginetest::ramp16(100))}));
    pads().toggleLoop(1);
    releaseKey(Qt::Key_F2);
    ASSERT_TRUE(pad(1)->Pressed());
    EXPECT_FALSE(pad(1)->GlyphDown().isNull());

    const QImage image = window->grab().toImage();
    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    const QString path = QDir::current().filePath(QStringLiteral("screenshots/recording-window-pads.png"));
    ASSERT_TRUE(image.save(path)) << path.toStdString();
    std::printf("recording window with pads: %s\n", qPrintable(path));

    // The assigned pad looks other than a free one, and the playing pad other than both.
    EXPECT_NE(pad(0)->grab().toImage(), freePad);
    EXPECT_NE(pad(1)->grab().toImage(), pad(0)->grab().toImage());
    const QRect panel = window->findChild<QWidget*>(QStringLiteral("PadPanel"))->geometry();
    std::set<QRgb> colours;
    for (int y = panel.top(); y < panel.bottom(); y += 2) {
        for (int x = panel.left(); x < panel.right(); x += 2)
            colours.insert(image.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 30u);
    for (const char* name : {"SaveMusicList", "LoadMusicList", "CurrentMusicTrackPlaybackCoolButton",
                             "StopAllTracksCoolButton"}) {
        const QWidget* button = window->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_TRUE(button->parentWidget()->contentsRect().contains(button->geometry())) << name;
    }
    releaseKey(Qt::Key_Escape);
}

} // namespace
