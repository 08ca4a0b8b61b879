// The format conversion window over the format library: a track converted while the window turns
// its spinner and refuses to close, a failed conversion reported with the track kept as it was,
// one file converted for a caller, the pad files' job, and a screenshot of the window at work.

#include "recorder/FormatConvertForm.h"

#include "common/ErrCodes.h"
#include "common/WaveUtil.h"
#include "platform/codecs/VXFmtHlp.h"
#include "platform/files/TempName.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StringTable.h"

#include "tests/platform/codecs/CodecFixtures.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace recorder;
using codecfixtures::folderEntries;
using codecfixtures::soxTone;
using testsupport::ScriptedInteraction;
using Track = ConvertTracks::Track;

using testsupport::hashOf;

namespace {

platform::StringTable recorderStrings()
{
    platform::StringTable table;
    EXPECT_TRUE(table.load(QString::fromLatin1(kRecorderStringTablePath)));
    return table;
}

class Tracks : public ConvertTracks {
public:
    QString workingPath(Track track) const override
    {
        const auto it = paths.find(track);
        return it == paths.end() ? QString() : it->second;
    }
    void setWorkingPath(Track track, const QString& path) override { paths[track] = path; }

    std::map<Track, QString> paths;
};

class FormatConvertFormTest : public ::testing::Test {
protected:
    FormatConvertFormTest()
        : library(platform::codecs::DecodeEnvironment{{}, gate.hook()})
        , calls(library)
    {
    }

    std::unique_ptr<TFormatConvertForm> makeWindow()
    {
        ConvertProcessServices process;
        process.start = [this](const QString& source, const QString& target, const WaveFormatEx& format,
                               uint32_t* cell) { return library.AudioConvert(source, target, &format, cell, 0); };
        process.library = &calls;
        process.newTempWaveName = [this] { return platform::createTempFile(temps, "LOD"); };
        return std::make_unique<TFormatConvertForm>(FormatConvertServices{
            messages, tracks, process, [this] { return recordingFormat; }, [this] { padRuns(); }});
    }

    // Runs body once the window is up, from the event loop of its modal run.
    void whenShown(TFormatConvertForm& window, std::function<void()> body)
    {
        auto* timer = new QTimer(&window);
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, &window, [timer, &window, body] {
            if (!window.isVisible())
                return;
            timer->stop();
            body();
        });
        timer->start();
    }

    QString folder = testsupport::testFolder();
    QString temps = [this] {
        QDir().mkpath(folder + "/temps");
        return folder + "/temps";
    }();
    // Holds each conversion after its first block until the test releases it.
    codecfixtures::Gate gate;
    platform::codecs::VXFmtHlp library;
    ConvertProcessCalls calls;
    ScriptedInteraction interaction;
    platform::Messages messages{recorderStrings(), interaction, QString::fromLatin1(kRecorderCaption)};
    Tracks tracks;
    WaveFormatEx recordingFormat = makePcmFormat(22050, 16, 1);
    std::function<void()> padRuns = [] {};
};

// While the voice track converts the window shows the job's text, turns the spinner, refuses
// Escape, and is kept as a picture; at the end the track has a working WAV in the recording
// format and the old one is gone.
TEST_F(FormatConvertFormTest, VoiceTrackConvertsUnderTheTurningSpinner)
{
    const QString old = soxTone(temps + "/LODvoice.tmp", 2, 44100, 2, {"-b", "16", "-t", "wav"});
    tracks.paths[Track::Voice] = old;
    auto window = makeWindow();

    QStringList spinner;
    bool checked = false;
    whenShown(*window, [&] {
        ASSERT_TRUE(gate.waitReached());
        EXPECT_EQ(window->windowTitle(), "Converting format...");
        EXPECT_EQ(window->StaticText1->text(), "Converting Voice Track File Format...");
        spinner << window->StatusProgressLabel->text();
        for (int i = 0; i < 3; ++i) {
            QTest::qWait(TFormatConvertForm::kSpinnerIntervalMs + 20);
            spinner << window->StatusProgressLabel->text();
        }
        QTest::keyClick(window.get(), Qt::Key_Escape);
        window->close();
        QTest::qWait(50);
        EXPECT_TRUE(window->isVisible()) << "the window closed while its job ran";

        const QImage image = window->grab().toImage();
        ASSERT_TRUE(QDir::current().mkpath("screenshots"));
        const QString path = QDir::current().filePath("screenshots/format-convert-voice-track.png");
        EXPECT_TRUE(image.save(path)) << path.toStdString();
        std::printf("format conversion window: %s\n", qPrintable(path));
        // The message lies inside the window and draws over its background.
        const QRect text = window->StaticText1->geometry();
        EXPECT_TRUE(window->rect().contains(text));
        std::set<QRgb> colours;
        for (int y = text.top(); y <= text.bottom(); ++y) {
            for (int x = text.left(); x <= text.right(); ++x)
                colours.insert(image.pixel(x, y));
        }
        EXPECT_GT(colours.size(), 2u);
        checked = true;
        gate.release();
    });
    EXPECT_EQ(window->ConvertTrack("voice track"), 0);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(spinner.size(), 4);
    for (int i = 1; i < spinner.size(); ++i)
        EXPECT_NE(spinner[i], spinner[i - 1]);
    for (const QString& text : spinner)
        EXPECT_TRUE(QStringList({"\\", "|", "/", "---"}).contains(text)) << text.toStdString();

    const QString converted = tracks.workingPath(Track::Voice);
    EXPECT_NE(converted, old);
    EXPECT_FALSE(QFileInfo::exists(old));
    WaveFormatEx format{};
    ASSERT_EQ(ReadWaveFormat(converted, nullptr, &format), 0);
    EXPECT_EQ(format, recordingFormat);
    const auto probe = codecfixtures::ffprobe(converted);
    EXPECT_EQ(probe["stream"].toObject()["sample_rate"].toString(), "22050");
    EXPECT_EQ(probe["stream"].toObject()["channels"].toInt(), 1);
    EXPECT_EQ(folderEntries(temps), QStringList({QFileInfo(converted).fileName()}));
}

// A working WAV that does not convert: the user is told, the track keeps its file unchanged and
// no new file is left; the other track is not touched either.
TEST_F(FormatConvertFormTest, AFailedTrackConversionIsReportedAndTheTrackKept)
{
    gate.release();
    const QString broken = temps + "/LODmusic.tmp";
    testsupport::writeFile(broken, QByteArray(3000, '\x33'));
    const QByteArray before = hashOf(broken);
    tracks.paths[Track::Music] = broken;
    tracks.paths[Track::Voice] = temps + "/LODvoice.tmp";
    interaction.expectMessageBox(platform::IDOK, "Error: Could not convert the format.");
    auto window = makeWindow();
    EXPECT_EQ(window->ConvertTrack("Music Track"), 313);
    EXPECT_EQ(tracks.workingPath(Track::Music), broken);
    EXPECT_EQ(tracks.workingPath(Track::Voice), temps + "/LODvoice.tmp");
    EXPECT_EQ(hashOf(broken), before);
    EXPECT_EQ(folderEntries(temps), QStringList({"LODmusic.tmp"}));
    ASSERT_EQ(interaction.prompts().size(), 1u);
    EXPECT_EQ(interaction.prompts()[0].caption, "Wexo Ravadur");
}

// One file for a caller: a new WAV on success, an empty name (and no box) on failure; the
// caller's file is only read.
TEST_F(FormatConvertFormTest, OneFileGivesItsNewNameOrNothing)
{
    gate.release();
    const QString pad = soxTone(folder + "/pad.wav", 1, 8000, 1, {"-b", "8"});
    const QByteArray before = hashOf(pad);
    auto window = makeWindow();
    QString shownText;
    whenShown(*window, [&] { shownText = window->StaticText1->text(); });
    const QString result = window->ConvertFile(pad, makePcmFormat(44100, 16, 2));
    EXPECT_EQ(shownText, "Converting file format. Please Wait...");
    ASSERT_FALSE(result.isEmpty());
    WaveFormatEx format{};
    ASSERT_EQ(ReadWaveFormat(result, nullptr, &format), 0);
    EXPECT_EQ(format, makePcmFormat(44100, 16, 2));
    EXPECT_EQ(hashOf(pad), before);
    QFile::remove(result);

    testsupport::writeFile(folder + "/fake.wav", "RIFF....WAVEjunk");
    EXPECT_EQ(window->ConvertFile(folder + "/fake.wav", makePcmFormat(44100, 16, 2)), QString());
    EXPECT_EQ(folderEntries(temps), QStringList());
    EXPECT_TRUE(interaction.prompts().empty());
}

// "Music Files" runs the pads' conversion while the window shows its text; an unknown kind runs
// nothing, and neither does a kind whose track is not loaded.
TEST_F(FormatConvertFormTest, PadFilesRunUnderTheWindowAndOtherKindsDoNothing)
{
    gate.release();
    int runs = 0;
    QString shownText;
    bool visible = false;
    auto window = makeWindow();
    padRuns = [&] {
        ++runs;
        shownText = window->StaticText1->text();
        visible = window->isVisible();
    };
    EXPECT_EQ(window->ConvertTrack("MUSIC FILES"), 0);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(visible);
    EXPECT_EQ(shownText, "Converting loaded files format. Please Wait...");

    EXPECT_EQ(window->ConvertTrack("Voice"), 0);
    EXPECT_EQ(window->ConvertTrack("Voice Track"), 0);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(tracks.paths.empty() || tracks.workingPath(Track::Voice).isEmpty());
    EXPECT_EQ(folderEntries(temps), QStringList());
    EXPECT_TRUE(interaction.prompts().empty());
}

} // namespace
