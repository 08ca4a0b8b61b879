// The audio page's preview slider on the engine's virtual backend: the length and range of each
// file type, the errors of a file it cannot preview, the thumb following what is heard, the end of
// a preview (played out or stopped) told to the notify window, and seeking by mouse and keys.
#include "podcast/AuditionSlider.h"

#include "platform/audio/PlayerCodes.h"
#include "platform/audio/VirtualBackend.h"
#include "tests/platform/audio/MessageRecorder.h"
#include "tests/platform/codecs/CodecFixtures.h"
#include "tests/podcast/XvqFormSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <QFile>
#include <QHBoxLayout>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>

using namespace platform::audio;
using podcast::AuditionKind;
using podcast::TAuditionSlider;

namespace {

constexpr int kRate = 8000; // every fixture's rate: 8 frames a millisecond
constexpr int kWaitMs = 5000;

QString kindName(AuditionKind kind)
{
    switch (kind) {
    case AuditionKind::Wave:
        return "wav";
    case AuditionKind::Mp3:
        return "mp3";
    case AuditionKind::Wma:
        return "wma";
    case AuditionKind::Ogg:
        return "ogg";
    case AuditionKind::None:
        break;
    }
    return "none";
}

// A stereo 16-bit WAV of a quiet ramp, `ms` long.
QString makeWave(const QString& path, int ms)
{
    QByteArray samples(ms * 8 * 4, Qt::Uninitialized);
    for (int i = 0; i < samples.size() / 2; ++i)
        reinterpret_cast<int16_t*>(samples.data())[i] = int16_t(i % 2000);
    testsupport::writeFile(path, wavefixtures::pcmWave(wavefixtures::waveFormat(WAVE_FORMAT_PCM, 2, kRate, 16), samples));
    return path;
}

class AuditionSliderTest : public ::testing::Test {
protected:
    // One-second and two-second files of each type, made once for the suite.
    static void SetUpTestSuite()
    {
        const QString folder = testsupport::testFolder();
        s_short = new std::map<AuditionKind, QString>;
        s_long = new std::map<AuditionKind, QString>;
        (*s_short)[AuditionKind::Wave] = makeWave(folder + "/short.wav", 1000);
        (*s_long)[AuditionKind::Wave] = makeWave(folder + "/long.WAV", 2000);
        const std::map<AuditionKind, QStringList> encoders = {
            {AuditionKind::Mp3, {"-c:a", "libmp3lame", "-b:a", "32k"}},
            {AuditionKind::Wma, {"-c:a", "wmav2", "-b:a", "48k"}},
            {AuditionKind::Ogg, {"-c:a", "libvorbis", "-q:a", "2"}},
        };
        for (const auto& [kind, encoder] : encoders) {
            (*s_short)[kind] = codecfixtures::ffmpegTone(folder + "/short." + kindName(kind), 1, kRate, 2, encoder);
            (*s_long)[kind] = codecfixtures::ffmpegTone(folder + "/long." + kindName(kind).toUpper(), 2, kRate, 2, encoder);
        }
    }

    void SetUp() override
    {
        for (const auto* files : {s_short, s_long})
            for (const auto& [kind, path] : *files)
                ASSERT_FALSE(path.isEmpty()) << "no fixture for " << kindName(kind).toStdString();
        backend.setPeriod(256);
        slider.resize(200, 24);
        slider.SetNotifyWindow(&notify);
    }

    // What the file lasts as ffprobe reads it, in ms.
    static double probedMs(const QString& path)
    {
        return codecfixtures::ffprobe(path).value("format").toObject().value("duration").toString().toDouble() * 1000;
    }

    bool waitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, kWaitMs); }

    // Runs the virtual clock on by ms and waits until the thumb shows about that place.
    bool heardAt(int ms, int tolerance = 5)
    {
        return waitFor([&] { return std::abs(slider.Position() - ms) <= tolerance; });
    }

    static inline std::map<AuditionKind, QString>* s_short;
    static inline std::map<AuditionKind, QString>* s_long;

    VirtualBackend backend;
    AudioEngine engine{backend};
    PlivornPlayback wma{engine};
    VorbisPlayback vorbis{engine};
    testsupport::MessageRecorder notify;
    TAuditionSlider slider{engine, wma, vorbis};
};

} // namespace

TEST(AuditionSliderRules, KindsClickPositionsAndTickIntervals)
{
    const struct {
        const char* path;
        AuditionKind kind;
    } kinds[] = {
        {"/a/b.wav", AuditionKind::Wave}, {"/a/b.WaV", AuditionKind::Wave}, {"b.MP3", AuditionKind::Mp3},
        {"b.wma", AuditionKind::Wma},     {"/x.y/b.OGG", AuditionKind::Ogg}, {"b.wav.txt", AuditionKind::None},
        {"/a/wav", AuditionKind::None},   {"", AuditionKind::None},
    };
    for (const auto& row : kinds)
        EXPECT_EQ(podcast::auditionKindOf(row.path), row.kind) << row.path;

    const struct {
        int min, max, x, width, position;
    } clicks[] = {
        {0, 2000, 100, 200, 1000}, // the middle
        {0, 2000, 0, 200, 0},      {0, 2000, 200, 200, 2000},
        {0, 1000, 1, 300, 4},      // ceil(3.33)
        {0, 2000, -20, 200, 0},    {0, 2000, 900, 200, 2000}, // outside the bar: its nearer end
        {10, 20, 50, 100, 15},     {0, 0, 50, 100, 0},       {0, 2000, 50, 0, 0},
    };
    for (const auto& row : clicks)
        EXPECT_EQ(podcast::auditionClickPosition(row.min, row.max, row.x, row.width), row.position)
            << row.min << ".." << row.max << " x " << row.x << " of " << row.width;

    const struct {
        int range, pixels, interval;
    } ticks[] = {{2000, 200, 10}, {2001, 200, 11}, {100, 200, 1}, {0, 200, 1}, {2000, 0, 2000}};
    for (const auto& row : ticks)
        EXPECT_EQ(podcast::auditionTickInterval(row.range, row.pixels), row.interval) << row.range << "/" << row.pixels;
}

TEST_F(AuditionSliderTest, BeforeAFileIsSet)
{
    EXPECT_FALSE(slider.isEnabled());
    EXPECT_EQ(slider.orientation(), Qt::Horizontal);
    EXPECT_EQ(slider.tickPosition(), QSlider::NoTicks);
    EXPECT_EQ(slider.Min(), 0);
    EXPECT_EQ(slider.Max(), 10);
    EXPECT_EQ(slider.MaxPlayTime(), 10);
    EXPECT_EQ(slider.Position(), 0);
    EXPECT_EQ(slider.Device(), 0u);
    EXPECT_EQ(slider.GetLoadError(), 0);
    EXPECT_EQ(slider.Play(), PlayerCode::NoFileName);
    EXPECT_EQ(slider.playState(), TAuditionSlider::PlayState::Idle);
    int device = 7;
    EXPECT_EQ(slider.GetPreferredOutputDevice(device), 0);
    EXPECT_EQ(device, 0);
    // Nothing plays, so there is nothing to end.
    EXPECT_EQ(slider.Stop(), 0);
    QTest::qWait(20);
    EXPECT_TRUE(notify.messages.empty());
}

// The window that heard the engine before the slider (the recording window) hears it again after.
TEST_F(AuditionSliderTest, TheEngineGoesBackToItsCallbackWindowAfterTheSlider)
{
    EXPECT_EQ(engine.callbackWindow(), &slider);
    testsupport::MessageRecorder window;
    engine.SetCallbackWindow(&window);
    {
        TAuditionSlider preview{engine, wma, vorbis};
        EXPECT_EQ(engine.callbackWindow(), &preview);
    }
    EXPECT_EQ(engine.callbackWindow(), &window);
}

TEST_F(AuditionSliderTest, EachTypeGivesItsLengthAsTheRange)
{
    for (AuditionKind kind : {AuditionKind::Wave, AuditionKind::Mp3, AuditionKind::Wma, AuditionKind::Ogg}) {
        SCOPED_TRACE(kindName(kind).toStdString());
        const QString path = s_long->at(kind);
        ASSERT_EQ(slider.setFileName(path), std::nullopt);
        const double expected = kind == AuditionKind::Wave ? 2000.0 : probedMs(path);
        EXPECT_NEAR(slider.MaxPlayTime(), expected, 1.0);
        EXPECT_EQ(slider.Max(), slider.MaxPlayTime());
        EXPECT_EQ(slider.Min(), 0);
        EXPECT_EQ(slider.FileName(), path);
        EXPECT_EQ(slider.Position(), kind == AuditionKind::Mp3 ? 1 : 0);
        EXPECT_EQ(slider.pageStep(), (slider.Max() + 9) / 10);
        EXPECT_EQ(slider.singleStep(), (slider.Max() + 4) / 5);
        EXPECT_TRUE(slider.isEnabled());
        slider.setEnabled(false);
    }
}

TEST_F(AuditionSliderTest, AFileItCannotPreviewIsAnErrorAndClearsTheName)
{
    const QString folder = testsupport::testFolder();
    testsupport::writeFile(folder + "/notes.txt", "some words");
    testsupport::writeFile(folder + "/broken.wav", "RIFF not really");
    testsupport::writeFile(folder + "/broken.ogg", QByteArray(4000, 'x'));
    testsupport::writeFile(folder + "/broken.mp3", QByteArray(4000, '\0'));
    const QString invalid = "Invalid Media File TAuditionSlider";
    const struct {
        QString path;
        QString error;
    } rows[] = {
        {folder + "/missing.wav", folder + "/missing.wav File Not Exists"},
        {folder + "/notes.txt", invalid},
        {folder + "/broken.wav", invalid},
        {folder + "/broken.ogg", invalid},
        {folder + "/broken.mp3", invalid},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        ASSERT_EQ(slider.setFileName(s_short->at(AuditionKind::Wave)), std::nullopt);
        EXPECT_EQ(slider.setFileName(row.path), row.error);
        EXPECT_TRUE(slider.FileName().isEmpty());
        EXPECT_EQ(slider.Play(), PlayerCode::NoFileName);
        EXPECT_EQ(engine.currentPlayback(), 0u);
    }
}

// The MP3 preview takes its path in a fixed field: a path too long for it plays nothing rather
// than a cut name.
TEST_F(AuditionSliderTest, AnMp3PathTooLongForTheFileSetIsRefused)
{
    const QString folder = testsupport::testFolder();
    const QString path = folder + "/" + QString(300 - folder.size(), 'm') + ".mp3";
    ASSERT_TRUE(QFile::copy(s_short->at(AuditionKind::Mp3), path));
    ASSERT_EQ(slider.setFileName(path), std::nullopt);
    EXPECT_EQ(slider.Play(), PlayerCode::CannotOpenFile);
    EXPECT_EQ(engine.currentPlayback(), 0u);
    EXPECT_NE(slider.playState(), TAuditionSlider::PlayState::Playing);
}

// The thumb follows the position heard on the virtual clock, from the file's start and from a
// place set before the play; nothing heard yet is no end. An Ogg file plays from its start wherever
// the thumb was.
TEST_F(AuditionSliderTest, TheThumbFollowsWhatIsHeard)
{
    for (AuditionKind kind : {AuditionKind::Wave, AuditionKind::Mp3, AuditionKind::Wma, AuditionKind::Ogg}) {
        SCOPED_TRACE(kindName(kind).toStdString());
        const struct {
            int from;
            int heardAfterHalfASecond;
        } plays[] = {
            {-1, 500}, // the file's start
            {500, kind == AuditionKind::Ogg ? 500 : 1000},
        };
        for (const auto& play : plays) {
            SCOPED_TRACE(play.from);
            notify.messages.clear();
            ASSERT_EQ(slider.setFileName(s_long->at(kind)), std::nullopt);
            slider.setPosition(play.from);
            ASSERT_EQ(slider.Play(), 0);
            EXPECT_EQ(slider.playState(), TAuditionSlider::PlayState::Playing);
            EXPECT_EQ(slider.Play(), 0);
            QTest::qWait(50);
            EXPECT_EQ(slider.playState(), TAuditionSlider::PlayState::Playing);
            backend.advance(kRate / 2);
            EXPECT_TRUE(heardAt(play.heardAfterHalfASecond)) << slider.Position();
            backend.advance(kRate / 4);
            EXPECT_TRUE(heardAt(play.heardAfterHalfASecond + 250)) << slider.Position();
            EXPECT_TRUE(notify.messages.empty());
            EXPECT_EQ(slider.Stop(), 0);
            EXPECT_TRUE(waitFor([&] { return notify.count(TAuditionSlider::kMsgPreviewEnded) == 1; }));
        }
    }
}

// However a preview ends, played out or stopped, the notify window hears of it once, the thumb goes
// back to where the play started and the control waits for its next file.
TEST_F(AuditionSliderTest, TheEndOfAPreviewIsToldOnce)
{
    for (AuditionKind kind : {AuditionKind::Wave, AuditionKind::Mp3, AuditionKind::Wma, AuditionKind::Ogg}) {
        for (bool playOut : {true, false}) {
            SCOPED_TRACE(kindName(kind).toStdString() + (playOut ? " played out" : " stopped"));
            notify.messages.clear();
            QSignalSpy ended(&slider, &TAuditionSlider::previewEnded);
            ASSERT_EQ(slider.setFileName(s_short->at(kind)), std::nullopt);
            slider.setPosition(250);
            ASSERT_EQ(slider.Play(), 0);
            if (playOut) {
                backend.advance(kRate * 3 / 2);
            } else {
                backend.advance(kRate / 4);
                EXPECT_EQ(slider.Stop(), 0);
                EXPECT_EQ(engine.currentPlayback(), 0u);
                EXPECT_EQ(slider.Stop(), 0);
            }
            ASSERT_TRUE(waitFor([&] { return notify.count(TAuditionSlider::kMsgPreviewEnded) > 0; }));
            QTest::qWait(30);
            EXPECT_EQ(notify.count(TAuditionSlider::kMsgPreviewEnded), 1);
            EXPECT_EQ(notify.messages.size(), 1u);
            EXPECT_EQ(ended.count(), 1);
            EXPECT_EQ(slider.playState(), TAuditionSlider::PlayState::Stopped);
            EXPECT_EQ(slider.Position(), 250);
            EXPECT_FALSE(slider.isEnabled());
            EXPECT_EQ(engine.currentPlayback(), 0u);
        }
    }
}

// A press jumps the thumb to the place clicked and the release seeks there; keys seek by their
// steps; a move while nothing plays starts nothing.
TEST_F(AuditionSliderTest, ClicksAndKeysSeek)
{
    for (AuditionKind kind : {AuditionKind::Wave, AuditionKind::Mp3, AuditionKind::Wma, AuditionKind::Ogg}) {
        SCOPED_TRACE(kindName(kind).toStdString());
        ASSERT_EQ(slider.setFileName(s_long->at(kind)), std::nullopt);
        QSignalSpy changed(&slider, &TAuditionSlider::OnChange);
        const QPoint middle(slider.width() / 2, slider.height() / 2);
        QTest::mouseClick(&slider, Qt::LeftButton, {}, middle);
        EXPECT_EQ(engine.currentPlayback(), 0u);
        EXPECT_EQ(changed.count(), 2); // the press and the release
        slider.setPosition(0);

        ASSERT_EQ(slider.Play(), 0);
        backend.advance(kRate / 4);
        ASSERT_TRUE(heardAt(250));
        QTest::mouseClick(&slider, Qt::LeftButton, {}, middle);
        const int half = (slider.Max() + 1) / 2;
        EXPECT_NEAR(slider.Position(), half, 1);
        backend.advance(kRate / 4);
        EXPECT_TRUE(heardAt(half + 250)) << slider.Position();

        QTest::keyClick(&slider, Qt::Key_Left);
        const int back = half + 250 - slider.singleStep();
        backend.advance(kRate / 8);
        EXPECT_TRUE(heardAt(back + 125)) << slider.Position();
        EXPECT_EQ(slider.playState(), TAuditionSlider::PlayState::Playing);

        // The end of the bar ends the preview.
        QTest::keyClick(&slider, Qt::Key_End);
        EXPECT_EQ(slider.playState(), TAuditionSlider::PlayState::Stopped);
        EXPECT_TRUE(waitFor([&] { return !slider.isEnabled(); }));
    }
}

// A new file while one plays ends the old preview first; its end cannot disable the new file.
TEST_F(AuditionSliderTest, ANewFileEndsThePreviewOfTheOld)
{
    ASSERT_EQ(slider.setFileName(s_long->at(AuditionKind::Wave)), std::nullopt);
    ASSERT_EQ(slider.Play(), 0);
    backend.advance(kRate / 4);
    ASSERT_EQ(slider.setFileName(s_short->at(AuditionKind::Mp3)), std::nullopt);
    EXPECT_EQ(engine.currentPlayback(), 0u);
    QTest::qWait(30);
    EXPECT_EQ(notify.count(TAuditionSlider::kMsgPreviewEnded), 1);
    EXPECT_TRUE(slider.isEnabled());
    EXPECT_EQ(slider.Position(), 1);
    EXPECT_EQ(slider.Play(), 0);
}

TEST_F(AuditionSliderTest, ScreenshotMidPreview)
{
    QWidget page;
    auto* layout = new QHBoxLayout(&page);
    auto* own = new TAuditionSlider(engine, wma, vorbis);
    layout->addWidget(own);
    page.resize(320, 48);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    ASSERT_EQ(own->setFileName(s_long->at(AuditionKind::Wave)), std::nullopt);
    ASSERT_EQ(own->Play(), 0);
    backend.advance(kRate * 3 / 4);
    EXPECT_TRUE(QTest::qWaitFor([&] { return own->Position() == 750; }, kWaitMs)) << own->Position();
    xvqtest::saveScreenshot(page, "TAuditionSlider-playing");
    own->Stop();
}
