// The music pads without the window, on the virtual sound backend with the real music-track
// library, file import and format conversion: pads fired, looped and stopped (what the output heard
// and what the music take holds), the temporary take's life, the pad-finished message, pads on a
// recording's music take, assignments of good and bad files, the conversion of all pads to a new
// format, pad lists and the last-used pads.
#include "recorder/MusicPads.h"

#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "common/WaveUtil.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/audio/VirtualBackend.h"
#include "platform/settings/IniFile.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/Messages.h"
#include "tests/common/JobTestSupport.h"
#include "tests/platform/audio/EngineTestSupport.h"
#include "tests/platform/audio/MessageRecorder.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstring>

using namespace recorder;
using enginetest::ramp16;
using enginetest::writeWave;
using platform::audio::kMsgPadEnded;

namespace {

const WaveFormatEx kFormat = makePcmFormat(8000, 16, 2);
constexpr int kFrameBytes = 4;

QByteArray silence(int64_t frames)
{
    return QByteArray(frames * kFrameBytes, '\0');
}

// a + b sample by sample, the shorter as silence past its end.
QByteArray mixed(const QByteArray& a, const QByteArray& b)
{
    QByteArray out(std::max(a.size(), b.size()), '\0');
    for (qsizetype i = 0; i + 1 < out.size(); i += 2) {
        int16_t x = 0, y = 0;
        if (i + 1 < a.size())
            std::memcpy(&x, a.constData() + i, 2);
        if (i + 1 < b.size())
            std::memcpy(&y, b.constData() + i, 2);
        const auto sum = int16_t(std::clamp(int(x) + int(y), -32768, 32767));
        std::memcpy(out.data() + i, &sum, 2);
    }
    return out;
}

WaveFormatEx formatOf(const QString& wave)
{
    WaveFormatEx format;
    EXPECT_EQ(ReadWaveFormat(wave, nullptr, &format), 0) << wave.toStdString();
    return format;
}

class MusicPadsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        backend.setPeriod(100);
        library.SetCallbackWindowHandle(&window);
        folder = testsupport::testFolder();
        temp = folder + "/temp";
        ASSERT_TRUE(QDir().mkpath(temp));
        loadServices.tempFolder = [this] { return temp; };
        loadServices.fileInfo = [this](const QString& file, platform::audio::AudioFileInfo& info) {
            return int(engine.AudioGetFileInfo(&info, file, 0, 0));
        };
        padA = writeWave(folder + "/Intro-theme.long.wav", kFormat, padASamples);
        padB = writeWave(folder + "/bed.wav", kFormat, padBSamples);
        pads = makePads();
    }
    void TearDown() override
    {
        pads.reset();
        EXPECT_TRUE(ui.allConsumed());
    }

    std::unique_ptr<MusicPads> makePads()
    {
        MusicPadServices services(library, messages);
        services.tempFolder = [this] { return temp; };
        services.freeSpace = [this](const QString&) { return freeBytes; };
        services.outputDevice = [] { return -1; };
        services.musicRecording = [this] { return musicRecording; };
        services.recordingFormat = [this] { return recordingFormat; };
        services.setRecordingFormat = [this](const WaveFormatEx& format) { recordingFormat = format; };
        services.import = [this](const QString& file, QString* working) {
            return importPadFile(loadServices, busy, file, working);
        };
        services.convert = [this](const QString& wave, const WaveFormatEx& format, QString* converted) {
            return convertPadWave(runner, temp, wave, format, converted);
        };
        services.stopPlayer = [this] { ++playerStops; };
        services.pageChanged = [this](PadPage page) { pageChanges.push_back(page); };
        services.stopAllEnabled = [this](bool enabled) { stopAll.push_back(enabled); };
        return std::make_unique<MusicPads>(std::move(services));
    }

    // Hands the library's pad-finished messages to the pads, as the window does.
    void deliverPadMessages()
    {
        enginetest::runPostedMessages();
        for (; delivered < window.messages.size(); ++delivered) {
            if (window.messages[delivered].id == kMsgPadEnded)
                pads->padEnded(int(window.messages[delivered].wParam));
        }
    }

    QStringList tempFiles() const { return QDir(temp).entryList(QDir::Files); }

    const QByteArray padASamples = ramp16(300, 2, 100);
    const QByteArray padBSamples = ramp16(200, 2, 1000);
    platform::audio::VirtualBackend backend;
    platform::audio::AudioEngine engine{backend};
    platform::audio::MusicTrackLibrary library{engine};
    testsupport::MessageRecorder window;
    std::size_t delivered = 0;
    testsupport::ScriptedInteraction ui;
    platform::Messages messages = makeRecorderMessages(ui);
    jobtest::ScriptedProgressHost progress;
    JobRunner runner{progress};
    TrackLoadServices loadServices{runner, messages};
    BusyFlag busy;
    QString folder;
    QString temp;
    QString padA;
    QString padB;
    WaveFormatEx recordingFormat = kFormat;
    bool musicRecording = false;
    int64_t freeBytes = int64_t(1) << 40;
    int playerStops = 0;
    std::vector<PadPage> pageChanges;
    std::vector<bool> stopAll;
    std::unique_ptr<MusicPads> pads;
};

TEST(MusicPadNames, IndexesCaptionsAndDefaults)
{
    const struct {
        PadPage page;
        int slot;
        int index;
    } indexes[] = {
        {PadPage::First, 0, 0}, {PadPage::First, 11, 11}, {PadPage::Shift, 3, 15}, {PadPage::Control, 11, 35}};
    for (const auto& c : indexes)
        EXPECT_EQ(padIndex(c.page, c.slot), c.index);

    const std::pair<const char*, const char*> captions[] = {
        {"/music/Intro-theme.long.wav", "Intro-th"},
        {"/a.folder/jingle.mp3", "jingle"},
        {"/music/noextension", "noextens"},
        {"/music/.hidden.wav", ""},
        {"/music/x.y.z.wma", "x"},
    };
    for (const auto& [file, caption] : captions)
        EXPECT_EQ(padCaptionOf(QString::fromUtf8(file)), QString::fromUtf8(caption)) << file;
    EXPECT_EQ(defaultPadCaption(0), "F1");
    EXPECT_EQ(defaultPadCaption(11), "F12");
}

// F12 loops its bed; F1 is fired over it and stopped again while the bed goes on: the temporary take
// keeps running until every pad has stopped. What the output heard is the two pads mixed from the
// frames they were fired.
TEST_F(MusicPadsTest, PadsPlayOnTheirOwnAndTheTakeRunsUntilTheLastStops)
{
    ASSERT_TRUE(pads->LoadSegmentFile(0, padA, {}));
    ASSERT_TRUE(pads->LoadSegmentFile(11, padB, {}));
    EXPECT_EQ(pads->caption(PadPage::First, 0), "Intro-th");
    EXPECT_EQ(pads->hint(PadPage::First, 0), "Intro-theme.long.wav");
    pads->toggleLoop(11);
    ASSERT_TRUE(pads->slot(PadPage::First, 11).loop);

    pads->EffectButtonClick(11);
    ASSERT_TRUE(pads->padsActive());
    const QString take = pads->temporaryTake();
    EXPECT_TRUE(take.endsWith(".wav"));
    EXPECT_TRUE(QFile::exists(take));
    EXPECT_EQ(backend.outputFormat(0).rate, 8000);
    backend.advance(200);
    pads->EffectButtonClick(0);
    EXPECT_TRUE(pads->slot(PadPage::First, 0).playing);
    backend.advance(100);
    pads->EffectButtonClick(0);
    EXPECT_FALSE(pads->slot(PadPage::First, 0).playing);
    deliverPadMessages();
    EXPECT_TRUE(pads->padsActive());
    EXPECT_TRUE(pads->slot(PadPage::First, 11).playing);
    backend.advance(300);
    deliverPadMessages();
    EXPECT_TRUE(pads->slot(PadPage::First, 11).playing) << "a looping pad plays on";

    pads->StopAllPads();
    EXPECT_FALSE(pads->padsActive());
    EXPECT_FALSE(pads->slot(PadPage::First, 11).playing);
    EXPECT_FALSE(QFile::exists(take));
    EXPECT_EQ(playerStops, 1);
    EXPECT_EQ(stopAll.back(), false);
    EXPECT_TRUE(std::count(stopAll.begin(), stopAll.end(), true) >= 1);

    const QByteArray heard = backend.outputAudio(0);
    const QByteArray bed = padBSamples.repeated(3);
    const QByteArray expected = mixed(bed, silence(200) + padASamples.left(100 * kFrameBytes));
    EXPECT_EQ(heard, expected);
}

// A pad that plays to its end is the last one: its message ends the temporary take. Pressing a free
// pad starts nothing.
TEST_F(MusicPadsTest, ThePadFinishedMessageEndsTheTakeAfterTheLastPad)
{
    pads->EffectButtonClick(2);
    EXPECT_EQ(backend.outputStreamCount(), 0);
    EXPECT_FALSE(pads->padsActive());
    ASSERT_FALSE(pageChanges.empty());
    EXPECT_FALSE(pads->slot(PadPage::First, 2).playing);

    ASSERT_TRUE(pads->LoadSegmentFile(0, padA, {}));
    pads->EffectButtonClick(0);
    const QString take = pads->temporaryTake();
    backend.advance(400);
    deliverPadMessages();
    EXPECT_FALSE(pads->slot(PadPage::First, 0).playing);
    EXPECT_FALSE(pads->padsActive());
    EXPECT_FALSE(QFile::exists(take));
    EXPECT_EQ(stopAll, (std::vector<bool>{true, false}));
    EXPECT_EQ(backend.outputAudio(0), padASamples + silence(100));
}

// The message names a pad by its index: the page it belongs to is shown again, then the first page.
TEST_F(MusicPadsTest, PadFinishedMessagesNameTheirPageAndSlot)
{
    ASSERT_TRUE(pads->LoadSegmentFile(3, padB, {}));
    pads->toggleLoop(3);
    pads->EffectButtonClick(3);
    const struct {
        int index;
        std::vector<PadPage> shown;
    } cases[] = {{15, {PadPage::Shift, PadPage::First}},
                 {35, {PadPage::Control, PadPage::First}},
                 {36, {}},
                 {-1, {}},
                 {11, {PadPage::First}}};
    for (const auto& c : cases) {
        pageChanges.clear();
        pads->padEnded(c.index);
        EXPECT_EQ(pageChanges, c.shown) << c.index;
        EXPECT_TRUE(pads->slot(PadPage::First, 3).playing) << c.index;
        EXPECT_TRUE(pads->padsActive());
    }
    pads->padEnded(3);
    EXPECT_FALSE(pads->slot(PadPage::First, 3).playing);
    EXPECT_FALSE(pads->padsActive());
}

// The temporary folder needs more than 1 MB free before pads play on their own.
TEST_F(MusicPadsTest, TooLittleFreeSpaceStartsNothing)
{
    ASSERT_TRUE(pads->LoadSegmentFile(0, padA, {}));
    const struct {
        int64_t free;
        bool starts;
    } cases[] = {{1'048'576, false}, {0, false}, {1'048'577, true}, {-1, true}};
    for (const auto& c : cases) {
        freeBytes = c.free;
        if (!c.starts)
            ui.expectMessageBox(platform::IDOK, "Insufficent Disk Space.");
        pads->EffectButtonClick(0);
        EXPECT_EQ(pads->padsActive(), c.starts) << c.free;
        EXPECT_EQ(pads->slot(PadPage::First, 0).playing, c.starts) << c.free;
        pads->StopAllPads();
    }
    EXPECT_TRUE(ui.allConsumed());
}

// Without a recording format the first pad sets 44,100 Hz, 16 bits, stereo, and the pads loaded in
// their own formats are converted to it before the take starts.
TEST_F(MusicPadsTest, TheFirstPadSetsTheRecordingFormatWhenNoneIsSet)
{
    recordingFormat = {};
    ASSERT_TRUE(pads->LoadSegmentFile(0, padA, {}));
    ASSERT_TRUE(pads->LoadSegmentFile(1, padB, {}));
    EXPECT_EQ(formatOf(pads->slot(PadPage::First, 0).working), kFormat);
    pads->EffectButtonClick(0);
    EXPECT_EQ(recordingFormat, makePcmFormat(44100, 16, 2));
    ASSERT_TRUE(pads->padsActive());
    EXPECT_EQ(backend.outputFormat(0).rate, 44100);
    for (int slot : {0, 1})
        EXPECT_EQ(formatOf(pads->slot(PadPage::First, slot).working), makePcmFormat(44100, 16, 2)) << slot;
    EXPECT_TRUE(pads->slot(PadPage::First, 0).playing);
    pads->StopAllPads();
}

// The pad fired first cannot follow the new format (its file has gone): it is freed and reported,
// and nothing plays.
TEST_F(MusicPadsTest, APadThatCannotFollowTheNewFormatDoesNotStart)
{
    recordingFormat = {};
    const QString doomed = writeWave(folder + "/doomed.wav", kFormat, padBSamples);
    ASSERT_TRUE(pads->LoadSegmentFile(2, doomed, {}));
    ASSERT_TRUE(QFile::remove(doomed));
    ui.expectMessageBox(platform::IDOK, "First Page :\n   F3\n");
    pads->EffectButtonClick(2);
    EXPECT_FALSE(pads->slot(PadPage::First, 2).playing);
    EXPECT_TRUE(pads->slot(PadPage::First, 2).working.isEmpty());
    EXPECT_FALSE(pads->padsActive());
    EXPECT_TRUE(tempFiles().isEmpty()) << tempFiles().join(' ').toStdString();
    EXPECT_EQ(stopAll, std::vector<bool>{false});
}

// While a recording's music take runs the pads go into it at the frame they are fired, and no
// temporary take is made; the end of the recording ends the pads that played into it.
TEST_F(MusicPadsTest, PadsFiredWhileRecordingGoIntoTheMusicTake)
{
    ASSERT_TRUE(pads->LoadSegmentFile(0, padA, {}));
    ASSERT_TRUE(pads->LoadSegmentFile(1, padB, {}));
    pads->toggleLoop(1);
    const QString voice = folder + "/voice.wav";
    const QString music = folder + "/music.wav";
    ASSERT_EQ(engine.AudioStartRecord(voice, 8000, 16, 2, 0), 0);
    ASSERT_EQ(library.PrepareMusicTrack(music, kFormat, -1), 0);
    musicRecording = true;
    backend.advance(500);
    pads->EffectButtonClick(0);
    backend.advance(200);
    pads->EffectButtonClick(0); // stopped before its end
    pads->EffectButtonClick(1);
    backend.advance(300);
    EXPECT_FALSE(pads->padsActive());
    EXPECT_TRUE(pads->slot(PadPage::First, 1).playing);
    pads->escape(); // the pad fired last stops
    deliverPadMessages();
    EXPECT_FALSE(pads->slot(PadPage::First, 1).playing);
    pads->EffectButtonClick(1);
    backend.advance(100);
    ASSERT_EQ(engine.AudioStopRecord(), 0);
    ASSERT_EQ(library.StopMusicTrackRecording(), 0);
    musicRecording = false;
    pads->recordingEnded();
    EXPECT_FALSE(pads->slot(PadPage::First, 1).playing);
    EXPECT_EQ(stopAll.back(), false);
    EXPECT_EQ(playerStops, 0);

    const wavefixtures::WaveInfo take = wavefixtures::pythonWaveInfo(music);
    EXPECT_EQ(take.frames, 1100);
    EXPECT_EQ(take.samples, silence(500) + padASamples.left(200 * kFrameBytes) + padBSamples
                                + padBSamples.left(100 * kFrameBytes) + padBSamples.left(100 * kFrameBytes));
}

// Pads fired during a voice take without a music take play on their own, on the voice capture's
// clock; the end of the take ends them and their temporary take.
TEST_F(MusicPadsTest, PadsOnTheirOwnDuringAVoiceTakeEndWithIt)
{
    ASSERT_TRUE(pads->LoadSegmentFile(0, padB, {}));
    pads->toggleLoop(0);
    ASSERT_EQ(engine.AudioStartRecord(folder + "/voice.wav", 8000, 16, 2, 0), 0);
    pads->EffectButtonClick(0);
    ASSERT_TRUE(pads->padsActive());
    const QString take = pads->temporaryTake();
    backend.advance(300);
    EXPECT_EQ(library.MusicGetRecordPosition(1), 300);
    ASSERT_EQ(engine.AudioStopRecord(), 0);
    pads->recordingEnded();
    EXPECT_FALSE(pads->padsActive());
    EXPECT_FALSE(pads->slot(PadPage::First, 0).playing);
    EXPECT_FALSE(QFile::exists(take));
    EXPECT_EQ(stopAll.back(), false);
    EXPECT_EQ(library.MusicGetRecordPosition(1), 0);
}

// What an assignment makes of good and bad files: a pad that fails is left free (and its earlier
// file goes), with the failure shown.
TEST_F(MusicPadsTest, AssignmentsOfGoodAndBadFiles)
{
    const QString corrupt = folder + "/corrupt.wav";
    testsupport::writeFile(corrupt, QByteArray("RIFF\x10\0\0\0WAVEjunkjunkjunk", 24));
    const QString text = folder + "/notes.txt";
    testsupport::writeFile(text, "not audio");
    const QString otherFormat = writeWave(folder + "/mono.wav", makePcmFormat(22050, 16, 1), ramp16(2205, 1));
    const QString longName =
        writeWave(folder + "/A very long name of a jingle that goes on and on.wav", kFormat, padBSamples);
    const QString truncated = folder + "/truncated.wav";
    testsupport::writeFile(truncated, wavefixtures::pcmWave(kFormat, padASamples).left(44 + 40 * kFrameBytes));
    const QString silent = writeWave(folder + "/empty.wav", kFormat, {});
    const auto encoded = [this](const QString& name, const char* codec) {
        const QString path = folder + "/" + name;
        const QStringList arguments{"-loglevel", "error", "-f", "lavfi", "-i",
                                    "sine=frequency=440:duration=0.5:sample_rate=22050", "-ac", "2", "-c:a", codec, path};
        const testsupport::ToolResult made = testsupport::runTool(QStringLiteral(VA_FFMPEG), arguments);
        EXPECT_EQ(made.exitCode, 0) << made.err.toStdString();
        return path;
    };
    const QString mp3 = encoded("Theme.mp3", "libmp3lame");
    const QString wma = encoded("Sting.wma", "wmav2");
    const QString badMp3 = folder + "/noise.mp3";
    testsupport::writeFile(badMp3, QByteArray(4096, '\x5a'));

    const struct {
        QString file;
        bool assigned;
        QString message; // part of the message shown, empty for none
        QString caption;
    } cases[] = {
        {folder + "/gone.wav", false, "does not exist", "F1"},
        {corrupt, false, "", "F1"},
        {text, false, "not supported", "F1"},
        {otherFormat, true, "", "mono"},
        {longName, true, "", "A very l"},
        {truncated, true, "", "truncate"},
        {silent, false, "", "F1"},
        {mp3, true, "", "Theme"},
        {wma, true, "", "Sting"},
        {badMp3, false, "", "F1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        ASSERT_TRUE(pads->LoadSegmentFile(0, padB, {}));
        const QString earlier = pads->slot(PadPage::First, 0).working;
        if (!c.assigned)
            ui.expectMessageBox(platform::IDOK, c.message);
        EXPECT_EQ(pads->LoadSegmentFile(0, c.file, {}), c.assigned);
        EXPECT_TRUE(ui.allConsumed());
        const PadSlot& pad = pads->slot(PadPage::First, 0);
        EXPECT_EQ(pads->caption(PadPage::First, 0), c.caption);
        EXPECT_FALSE(QFile::exists(earlier));
        if (c.assigned) {
            EXPECT_EQ(pad.source, c.file);
            EXPECT_EQ(formatOf(pad.working), kFormat);
            EXPECT_EQ(tempFiles().size(), 1);
        } else {
            EXPECT_TRUE(pad.working.isEmpty());
            EXPECT_TRUE(pad.source.isEmpty());
            EXPECT_TRUE(tempFiles().isEmpty()) << tempFiles().join(' ').toStdString();
        }
    }

    // Ten minutes of 8-bit mono become ten minutes in the recording format.
    constexpr int64_t kLongFrames = 600 * 8000;
    const QString longFile = folder + "/long.wav";
    testsupport::writeFile(longFile,
                           wavefixtures::pcmWave(makePcmFormat(8000, 8, 1), QByteArray(kLongFrames, '\x90')));
    ASSERT_TRUE(pads->LoadSegmentFile(3, longFile, {}));
    uint32_t frames = 0;
    WaveFormatEx format;
    ASSERT_EQ(ReadWaveFormat(pads->slot(PadPage::First, 3).working, &frames, &format), 0);
    EXPECT_EQ(format, kFormat);
    EXPECT_EQ(frames, uint32_t(kLongFrames));
}

// A new recording format: every pad is made again from its file; a pad whose file has gone is
// freed and reported, grouped by page.
TEST_F(MusicPadsTest, ConvertingAllPadsToANewFormatReportsThoseThatFailed)
{
    const QString doomed = writeWave(folder + "/doomed.wav", kFormat, padBSamples);
    ASSERT_TRUE(pads->LoadSegmentFile(0, padA, {}));
    ASSERT_TRUE(pads->LoadSegmentFile(1, doomed, {}));
    ASSERT_TRUE(pads->LoadSegmentFile(6, padB, {}));
    const QString oldWorking = pads->slot(PadPage::First, 0).working;
    ASSERT_TRUE(QFile::remove(doomed));

    const WaveFormatEx format = makePcmFormat(22050, 16, 1);
    ui.expectMessageBox(platform::IDOK, "Some files could not be changed into the compatible formats for mixing "
                                        "purposes.\nPlease check the following: \nFirst Page :\n   F2\nCtrl Page :\n"
                                        "Shift Page :");
    pads->ConvertSegmentsToFormat(format);
    EXPECT_TRUE(pads->slot(PadPage::First, 1).working.isEmpty());
    EXPECT_EQ(pads->caption(PadPage::First, 1), "F2");
    for (int slot : {0, 6})
        EXPECT_EQ(formatOf(pads->slot(PadPage::First, slot).working), format) << slot;
    EXPECT_FALSE(QFile::exists(oldWorking));
    EXPECT_EQ(tempFiles().size(), 2);
    const wavefixtures::WaveInfo converted = wavefixtures::soxWaveInfo(pads->slot(PadPage::First, 6).working, false);
    EXPECT_EQ(converted.rate, 22050);
    EXPECT_EQ(converted.channels, 1);
}

// A pad list written by us is read by Python's configparser with all 24 keys, and loads back.
TEST_F(MusicPadsTest, PadListsRoundTrip)
{
    const QString list = folder + "/pads.mfl";
    EXPECT_FALSE(pads->saveList(list)) << "nothing to save";
    EXPECT_FALSE(QFile::exists(list));
    ASSERT_TRUE(pads->LoadSegmentFile(0, padA, {}));
    ASSERT_TRUE(pads->LoadSegmentFile(4, padB, QStringLiteral("Bed")));
    ASSERT_TRUE(pads->saveList(list));

    const testsupport::ToolResult read =
        testsupport::runPythonScript(QStringLiteral("ini_configparser.py"), {list});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    const QJsonObject page = QJsonDocument::fromJson(read.out).object().value("FirstPage").toObject();
    EXPECT_EQ(page.size(), 24);
    EXPECT_EQ(page.value("Path0").toString(), padA);
    EXPECT_EQ(page.value("Button0").toString(), "Intro-th");
    EXPECT_EQ(page.value("Path4").toString(), padB);
    EXPECT_EQ(page.value("Button4").toString(), "Bed");
    EXPECT_EQ(page.value("Path11").toString(), "");

    std::unique_ptr<MusicPads> other = makePads();
    ASSERT_TRUE(other->loadList(list));
    for (int slot = 0; slot < kPadSlots; ++slot) {
        EXPECT_EQ(other->slot(PadPage::First, slot).source, pads->slot(PadPage::First, slot).source) << slot;
        EXPECT_EQ(other->caption(PadPage::First, slot), pads->caption(PadPage::First, slot)) << slot;
    }
    EXPECT_FALSE(other->slot(PadPage::First, 4).working.isEmpty());
}

// Lists made elsewhere: CR LF line ends, Windows-1252 text, keys and sections of another version, a
// path that no longer exists (its pad loads free with the default caption).
TEST_F(MusicPadsTest, APadListOfAnotherVersionLoadsWhatItKnows)
{
    const QString list = folder + "/older.mfl";
    QByteArray text = "; made by another version\r\n[Version]\r\nNumber=7\r\n[FirstPage]\r\nPath0=" + padA.toUtf8()
        + "\r\nButton0=Caf\xe9\r\nPath4=" + (folder + "/deleted.wav").toUtf8()
        + "\r\nButton4=Gone\r\nPath5=" + padB.toUtf8() + "\r\nButton5=\r\nColour5=red\r\n[ShiftPage]\r\nPath0=x\r\n";
    testsupport::writeFile(list, text);
    ASSERT_TRUE(pads->LoadSegmentFile(4, padB, {}));
    ASSERT_TRUE(pads->loadList(list));
    EXPECT_EQ(pads->caption(PadPage::First, 0), QString::fromUtf8("Caf\u00e9"));
    EXPECT_EQ(pads->slot(PadPage::First, 0).source, padA);
    EXPECT_TRUE(pads->slot(PadPage::First, 4).working.isEmpty());
    EXPECT_EQ(pads->caption(PadPage::First, 4), "F5");
    EXPECT_EQ(pads->caption(PadPage::First, 5), "bed");
    EXPECT_EQ(tempFiles().size(), 2);
}

// A list that cannot be one is refused with a message, and the pads stay as they were.
TEST_F(MusicPadsTest, DamagedPadListsLeaveThePadsAlone)
{
    ASSERT_TRUE(pads->LoadSegmentFile(2, padA, {}));
    const QString working = pads->slot(PadPage::First, 2).working;
    const QString binary = folder + "/binary.mfl";
    testsupport::writeFile(binary, QByteArray("[FirstPage]\r\nPath0=\0\x01\x02", 22));
    const QString noSection = folder + "/nosection.mfl";
    testsupport::writeFile(noSection, "Path0=" + padB.toUtf8() + "\r\nButton0=x\r\n");
    const QString huge = folder + "/huge.mfl";
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(platform::IniFile::maxFileSize + 1));
    }
    for (const QString& list : {binary, noSection, huge, folder + "/missing.mfl", folder}) {
        SCOPED_TRACE(list.toStdString());
        ui.expectMessageBox(platform::IDOK, "is not a pad list that can be read");
        EXPECT_FALSE(pads->loadList(list));
        EXPECT_EQ(pads->slot(PadPage::First, 2).working, working);
        EXPECT_EQ(pads->slot(PadPage::First, 2).source, padA);
    }

    // A list that cannot be written leaves the old one whole.
    const QString kept = folder + "/kept.mfl";
    ASSERT_TRUE(pads->saveList(kept));
    const QByteArray before = testsupport::readFile(kept);
    ui.expectMessageBox(platform::IDOK, "could not be saved");
    EXPECT_FALSE(pads->saveList(binary + "/inside.mfl"));
    EXPECT_EQ(testsupport::readFile(kept), before);
}

// The last-used pads round trip through the settings store; restoring assigns only the slots the
// use table names and empties the others.
TEST_F(MusicPadsTest, LastUsedPadsAreStoredAndRestoredBySlot)
{
    platform::MemorySettingsStore store;
    EXPECT_EQ(pads->LoadLastUsedPadFiles(store), 0);
    ASSERT_TRUE(pads->LoadSegmentFile(0, padA, {}));
    ASSERT_TRUE(pads->LoadSegmentFile(4, padB, QStringLiteral("Bed")));
    const QString gone = writeWave(folder + "/gone.wav", kFormat, padBSamples);
    ASSERT_TRUE(pads->LoadSegmentFile(7, gone, {}));
    ASSERT_TRUE(pads->SaveLastUsedPadFiles(store));
    ASSERT_TRUE(QFile::remove(gone));
    EXPECT_EQ(store.readString(lastUsedPadsKey(), "File Path 4").value, padB);
    EXPECT_EQ(store.readString(lastUsedPadsKey(), "Button caption 4").value, "Bed");
    EXPECT_EQ(store.valueNames(lastUsedPadsKey()).size(), 24);

    std::unique_ptr<MusicPads> restored = makePads();
    EXPECT_EQ(restored->LoadLastUsedPadFiles(store), 3);
    std::array<bool, kPadSlots> use{};
    use[0] = true;
    use[7] = true;
    ui.expectMessageBox(platform::IDOK, "does not exist");
    restored->RestoreLastUsedPadFiles(use);
    EXPECT_EQ(restored->slot(PadPage::First, 0).source, padA);
    EXPECT_EQ(restored->caption(PadPage::First, 0), "Intro-th");
    EXPECT_TRUE(restored->slot(PadPage::First, 4).working.isEmpty());
    EXPECT_TRUE(restored->storedPaths()[4].isEmpty());
    EXPECT_TRUE(restored->slot(PadPage::First, 7).working.isEmpty());
    EXPECT_EQ(restored->caption(PadPage::First, 7), "F8");
}

} // namespace
