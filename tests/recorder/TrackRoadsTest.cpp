// The roads into the recording window's tracks: Import Voice/Music Track and File > Open, with the
// window stood in for by a host that records what it is asked to do.
#include "recorder/TrackRoads.h"

#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "common/Util.h"
#include "common/WaveUtil.h"
#include "platform/audio/AudioEngine.h"
#include "platform/codecs/PcmConversion.h"
#include "platform/ui/Messages.h"
#include "tests/common/JobTestSupport.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace recorder;

namespace {

class FakeHost : public TrackHost {
public:
    std::function<int(const QString&, const QString&, const WaveFormatEx&)> convert =
        [](const QString& source, const QString& target, const WaveFormatEx& format) {
            return platform::codecs::ACMAudioConvertFormatPCM(source, target, format);
        };
    bool saves = true;
    bool closes = true;
    std::function<void(TrackSide)> onSave;
    QStringList calls;
    std::optional<ControlState> state;

    static QString name(TrackSide side) { return side == TrackSide::Voice ? "voice" : "music"; }

    bool saveTrack(TrackSide side) override
    {
        calls << "save " + name(side);
        if (onSave)
            onSave(side);
        return saves;
    }
    void closeTrackDisplay(TrackSide side) override { calls << "close " + name(side); }
    int convertTrackFormat(TrackSide side, const QString& wav, const WaveFormatEx& format) override
    {
        calls << "convert " + name(side);
        // The conversion window converts into a new file and puts it in place of the working WAV.
        const QString converted = wav + ".new";
        const int code = convert(wav, converted, format);
        if (code == 0 && QFileInfo::exists(converted)) {
            QFile::remove(wav);
            QFile::rename(converted, wav);
        }
        return code;
    }
    void reloadTrack(TrackSide side) override { calls << "reload " + name(side); }
    void padded(TrackSide side) override { calls << "padded " + name(side); }
    void setCaretToStart(TrackSide side) override { calls << "caret " + name(side); }
    void setControlState(ControlState s) override { state = s; }
    void showTrackLayout(TrackSide side, int64_t frames) override
    {
        calls << QString("layout %1 %2").arg(name(side)).arg(frames);
    }
    bool closeTracks() override
    {
        calls << "close tracks";
        return closes;
    }
    int openVoiceDisplay(const QString&, const QString& caption) override
    {
        calls << "open voice display " + caption;
        return 0;
    }
    void showOpenedFile(const QString& fileName) override { calls << "opened " + fileName; }
};

QByteArray dataOf(const QString& path)
{
    const QByteArray bytes = testsupport::readFile(path);
    return bytes.size() < 46 ? QByteArray() : bytes.mid(46, qFromLittleEndian<quint32>(bytes.constData() + 42));
}

class TrackRoadsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::testFolder();
        temp = folder + "/temp/";
        ASSERT_TRUE(QDir().mkpath(temp));
        services.tempFolder = [this] { return temp; };
        services.fileInfo = [](const QString& file, platform::audio::AudioFileInfo& info) {
            return int(platform::audio::readAudioFileInfo(file, info));
        };
    }
    void TearDown() override { EXPECT_TRUE(ui.allConsumed()); }

    QString tone(const QString& name, int rate, int channels, double seconds)
    {
        const QString path = folder + "/" + name;
        EXPECT_EQ(testsupport::runSox({"-n", "-r", QString::number(rate), "-c", QString::number(channels), "-b", "16",
                                       path, "synth", QString::number(seconds), "sine", "300", "vol", "0.5"})
                      .exitCode,
                  0);
        return path;
    }
    void choose(const QString& path, const QString& title = {})
    {
        platform::FileDialogResult result;
        result.accepted = true;
        result.files = {path};
        ui.expectOpenFile(result, title);
    }
    QStringList workingFiles() const { return QDir(temp).entryList({"LOD*"}, QDir::Files); }

    QString folder;
    QString temp;
    testsupport::ScriptedInteraction ui;
    platform::Messages messages = makeRecorderMessages(ui);
    jobtest::ScriptedProgressHost progress;
    JobRunner runner{progress};
    TrackLoadServices services{runner, messages};
    BusyFlag busy;
    FakeHost host;
    TrackRoads roads{services, busy, host};
};

// A finished file opened with File > Open, then a shorter music track of another format: the
// music is converted to the recording format and padded with silence, the voice marked changed.
TEST_F(TrackRoadsTest, MusicJoiningAnOpenedFileIsConvertedPaddedAndMarksTheVoiceChanged)
{
    const QString voice = tone("finished show.wav", 44100, 2, 2.0);
    choose(voice);
    roads.FileOpenMenuClick();
    ASSERT_TRUE(roads.track(TrackSide::Voice));
    EXPECT_EQ(roads.track(TrackSide::Voice)->state, kTrackSaved);
    EXPECT_EQ(roads.mixedFile().path, voice);
    EXPECT_EQ(roads.mixedFile().extension, ".wav");
    EXPECT_EQ(roads.mixedFile().size, QFileInfo(voice).size());
    EXPECT_EQ(host.calls, QStringList({"open voice display Building Voice Track Peaks...", "opened finished show.wav"}));
    EXPECT_EQ(progress.shown.back().caption, "Opening file...");

    // File > Open leaves the recording format for the first imported track to set.
    roads.setRecordingFormat(roads.track(TrackSide::Voice)->waveFormat);
    host.calls.clear();
    const QString music = tone("bed.wav", 22050, 1, 1.0);
    choose(music, "Select File For Music Track");
    roads.OpenMusicTrackClick();
    ASSERT_TRUE(roads.track(TrackSide::Music));
    const TrackRecord& musicTrack = *roads.track(TrackSide::Music);
    EXPECT_EQ(musicTrack.waveFormat, makePcmFormat(44100, 16, 2));
    const auto probed = testsupport::runTool("ffprobe", {"-v", "error", "-show_entries", "stream=sample_rate,channels",
                                                          "-of", "default=nw=1", musicTrack.workingPath});
    EXPECT_EQ(probed.out, "sample_rate=44100\nchannels=2\n");
    const QByteArray voiceData = dataOf(roads.track(TrackSide::Voice)->workingPath);
    const QByteArray musicData = dataOf(musicTrack.workingPath);
    ASSERT_EQ(musicData.size(), voiceData.size());
    EXPECT_EQ(musicData.mid(44100 * 4 + 4 * 64), QByteArray(musicData.size() - 44100 * 4 - 4 * 64, '\0'));
    EXPECT_EQ(roads.track(TrackSide::Voice)->state, kTrackChanged);
    EXPECT_EQ(host.calls, QStringList({"convert music", "padded music", "reload voice", "caret voice", "reload music",
                                       "layout music 88200"}));
    EXPECT_EQ(host.state, ControlState::BothTracks);
}

TEST_F(TrackRoadsTest, FirstTrackSetsTheRecordingFormatAndAReplacementDropsTheOldWorkingFile)
{
    choose(tone("first.wav", 32000, 1, 0.5), "Select File For Voice Track");
    roads.OpenVoiceTrackClick();
    ASSERT_TRUE(roads.track(TrackSide::Voice));
    EXPECT_EQ(roads.recordingFormat(), makePcmFormat(32000, 16, 1));
    EXPECT_EQ(host.state, ControlState::VoiceWithoutMusic);
    const QString oldWorking = roads.track(TrackSide::Voice)->workingPath;
    const QString oldPeaks = GetPeakFileName(oldWorking, temp);
    ASSERT_TRUE(QFileInfo::exists(oldPeaks));

    // A failing load keeps the track; the changed track's question is answered No.
    const QString bad = folder + "/bad.mp3";
    testsupport::writeFile(bad, QByteArray(2000, 'z'));
    ui.expectMessageBox(platform::IDNO, "Do you want to save the already recorded Voice Track?");
    choose(bad);
    ui.expectMessageBox(platform::IDOK, "input file is not corrupt");
    roads.OpenVoiceTrackClick();
    EXPECT_EQ(roads.track(TrackSide::Voice)->workingPath, oldWorking);
    EXPECT_EQ(workingFiles().filter(".tmp").size(), 1);

    ui.expectMessageBox(platform::IDNO, "Voice Track");
    choose(tone("second.wav", 32000, 1, 0.25));
    roads.OpenVoiceTrackClick();
    EXPECT_NE(roads.track(TrackSide::Voice)->workingPath, oldWorking);
    EXPECT_FALSE(QFileInfo::exists(oldWorking));
    EXPECT_FALSE(QFileInfo::exists(oldPeaks));
    EXPECT_TRUE(host.calls.contains("close voice"));
}

TEST_F(TrackRoadsTest, TheSaveQuestionCanStopTheImport)
{
    choose(tone("take.wav", 8000, 1, 0.25));
    roads.OpenMusicTrackClick();
    ASSERT_TRUE(roads.track(TrackSide::Music));
    const QString working = roads.track(TrackSide::Music)->workingPath;

    ui.expectMessageBox(platform::IDCANCEL, "Music Track");
    roads.OpenMusicTrackClick();
    host.saves = false;
    ui.expectMessageBox(platform::IDYES, "Music Track");
    roads.OpenMusicTrackClick();
    EXPECT_TRUE(host.calls.contains("save music"));
    EXPECT_EQ(roads.track(TrackSide::Music)->workingPath, working);
    EXPECT_EQ(ui.prompts().size(), 3u);
}

// A conversion that fails, or that leaves another format, drops the new track (its working file
// deleted) and says so; the window's state shows what is left.
TEST_F(TrackRoadsTest, AFailedFormatConversionDropsTheNewTrack)
{
    struct Case {
        const char* name;
        std::function<int(const QString&, const QString&, const WaveFormatEx&)> convert;
        const char* message;
    };
    const Case cases[] = {
        {"conversion fails", [](const QString&, const QString&, const WaveFormatEx&) { return 358; }, nullptr},
        {"format unchanged", [](const QString&, const QString&, const WaveFormatEx&) { return 0; },
         "Could not convert the format"},
    };
    choose(tone("voice.wav", 44100, 1, 0.5));
    roads.OpenVoiceTrackClick();
    const QString music = tone("music.wav", 8000, 1, 0.5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.convert = c.convert;
        choose(music);
        if (c.message)
            ui.expectMessageBox(platform::IDOK, c.message);
        roads.OpenMusicTrackClick();
        EXPECT_FALSE(roads.track(TrackSide::Music));
        EXPECT_EQ(host.state, ControlState::VoiceWithoutMusic);
        EXPECT_EQ(workingFiles().filter(".tmp").size(), 1);
    }
}

TEST_F(TrackRoadsTest, FileOpenStopsWhenTheUserKeepsTheTracks)
{
    choose(tone("voice.wav", 8000, 1, 0.25));
    roads.OpenVoiceTrackClick();
    const QString working = roads.track(TrackSide::Voice)->workingPath;
    host.closes = false;
    choose(tone("other.wav", 8000, 1, 0.25));
    roads.FileOpenMenuClick();
    EXPECT_EQ(roads.track(TrackSide::Voice)->workingPath, working);
    EXPECT_EQ(workingFiles().filter(".tmp").size(), 1);
    EXPECT_TRUE(roads.mixedFile().path.isEmpty());
}

} // namespace
