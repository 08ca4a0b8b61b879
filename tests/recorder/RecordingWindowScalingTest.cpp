// The recording window on a screen at 200% (this program runs with QT_SCALE_FACTOR=2): it keeps its
// logical size and is drawn with twice the pixels, its skinned frame from the @2x pictures, and a
// screenshot of the empty window is kept for people to look at. The faders' knobs are the @2x
// pictures too.
#include "recorder/LiveOverdubbing.h"
#include "recorder/WebEQSliderV.h"

#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "controls/ProgressBar.h"
#include "controls/SkinImages.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/audio/VirtualBackend.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StringTable.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QTest>

#include <cstdio>
#include <set>

using namespace recorder;

namespace {

platform::StringTable recorderStrings()
{
    platform::StringTable table;
    EXPECT_TRUE(table.load(QString::fromLatin1(kRecorderStringTablePath)));
    return table;
}

class RecordingWindowScalingTest : public ::testing::Test {
protected:
    std::unique_ptr<TLiveOvedubbingForm> makeWindow()
    {
        return std::make_unique<TLiveOvedubbingForm>(
            RecordingWindowServices{store, messages, engine, music, runner, [this] { return temp; }});
    }

    platform::MemorySettingsStore store;
    testsupport::ScriptedInteraction interaction;
    platform::Messages messages{recorderStrings(), interaction, QString::fromLatin1(kRecorderCaption)};
    platform::audio::VirtualBackend backend;
    platform::audio::AudioEngine engine{backend};
    platform::audio::MusicTrackLibrary music{engine};
    controls::TProgressBarForm progressWindow{controls::ControlVariant::Recorder};
    JobRunner runner{progressWindow};
    QString temp = testsupport::testFolder() + "/temp/";
};

TEST_F(RecordingWindowScalingTest, EmptyWindowAt200Percent)
{
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "the test program runs with QT_SCALE_FACTOR=2";
    auto window = makeWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QImage image = window->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), window->size() * 2);
    EXPECT_EQ(image.devicePixelRatio(), 2.0);
    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    const QString path = QDir::current().filePath(QStringLiteral("screenshots/recording-window-empty-200.png"));
    ASSERT_TRUE(image.save(path)) << path.toStdString();
    std::printf("recording window at 200%%: %s\n", qPrintable(path));

    // Not blank: the frame, the controls and their captions give many colours.
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 20u);

    // The skinned background is composed at 200%: its top-left corner (under the menu bar in the
    // window) is the @2x frame picture, pixel for pixel.
    const QImage background = window->background().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(background.size(), image.size());
    const QImage corner = controls::skinImage(QStringLiteral("topleft"), 2).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(corner.devicePixelRatio(), 2.0);
    EXPECT_TRUE(background.copy(QRect(QPoint(0, 0), corner.size())) == corner);
}

// Every opaque pixel of the knob shows the @2x knob picture's own pixel; the knob keeps its logical
// size and place.
TEST(WebEQSliderVScalingTest, KnobIsTheLargePicture)
{
    TWebEQSliderV slider;
    slider.resize(30, 150);
    slider.setRange(0, 100);
    slider.setPosition(50);
    slider.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&slider));
    EXPECT_EQ(slider.knobSize(), controls::skinImage(QStringLiteral("THUMB")).size());
    const QImage shown = slider.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(shown.size(), slider.size() * 2);
    const QImage knob = controls::skinImage(QLatin1String(slider.hasFocus() ? "THUMBHIGH" : "THUMB"), 2)
                            .convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(knob.size(), slider.knobSize() * 2);
    const QPoint at = QPoint((slider.width() - slider.knobSize().width()) / 2, slider.knobTop()) * 2;
    int opaque = 0;
    int differing = 0;
    for (int y = 0; y < knob.height(); ++y) {
        for (int x = 0; x < knob.width(); ++x) {
            if (qAlpha(knob.pixel(x, y)) != 255)
                continue;
            ++opaque;
            if (shown.pixel(at + QPoint(x, y)) != knob.pixel(x, y))
                ++differing;
        }
    }
    EXPECT_GT(opaque, knob.width() * knob.height() / 2);
    EXPECT_EQ(differing, 0);
}

} // namespace
