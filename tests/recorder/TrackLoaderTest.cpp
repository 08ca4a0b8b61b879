// Loading files into the recorder's tracks: working WAVs made from WAV, MP3 and WMA files of many
// shapes (checked with ffprobe), every failure road (message, track kept, no working file left,
// user's file unchanged), and the padding of the shorter track.
#include "recorder/TrackLoader.h"
#include "controls/PeakDisplay.h"

#include "tests/common/JobTestSupport.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"
#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "common/WaveUtil.h"
#include "controls/WaveDisplayFile.h"
#include "platform/audio/AudioEngine.h"
#include "platform/codecs/Id3Tag.h"
#include "platform/ui/Messages.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace recorder;
using testsupport::runTool;

using testsupport::hashOf;

namespace {

// The "data" chunk's bytes of a WAV we wrote; empty unless the header is 46 bytes and nothing but
// the pad byte of an odd chunk follows the data.
QByteArray canonicalData(const QString& path)
{
    const QByteArray bytes = testsupport::readFile(path);
    if (bytes.size() < 46 || bytes.mid(38, 4) != "data")
        return {};
    const qsizetype size = qFromLittleEndian<quint32>(bytes.constData() + 42);
    if (bytes.size() != 46 + size + (size & 1))
        return {};
    return bytes.mid(46, size);
}

QString probe(const QString& path, const QString& entries)
{
    const auto result = runTool("ffprobe", {"-v", "error", "-show_entries", entries, "-of", "default=nw=1", path});
    return QString::fromUtf8(result.out);
}

int probedFrames(const QString& path)
{
    const QString out = probe(path, "stream=duration_ts");
    return out.section('=', 1).trimmed().toInt();
}

void make(const QString& program, const QStringList& arguments)
{
    const auto result = runTool(program, arguments);
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
}

class TrackLoaderTest : public ::testing::Test {
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
        // The track as a previous load left it: a failing load must keep it.
        previous.workingPath = "previous.wav";
        previous.savedPath = "previous-user.wav";
        previous.state = kTrackSaved;
        track = previous;
    }

    void TearDown() override { EXPECT_TRUE(ui.allConsumed()); }

    QString tone(const QString& name, const QStringList& format, double seconds = 1.0, int channels = 2)
    {
        const QString path = folder + "/" + name;
        QStringList arguments{"-n", "-r", "44100", "-c", QString::number(channels)};
        arguments << format << path << "synth" << QString::number(seconds) << "sine" << "440" << "vol" << "0.5";
        EXPECT_EQ(testsupport::runSox(arguments).exitCode, 0);
        return path;
    }

    QStringList workingFiles() const { return QDir(temp).entryList(QDir::Files | QDir::Hidden); }

    QString folder;
    QString temp;
    testsupport::ScriptedInteraction ui;
    platform::Messages messages = makeRecorderMessages(ui);
    jobtest::ScriptedProgressHost progress;
    JobRunner runner{progress};
    TrackLoadServices services{runner, messages};
    BusyFlag busy;
    TrackRecord previous;
    TrackRecord track;
};

TEST_F(TrackLoaderTest, WorkingNamesAreNewEmptyFilesWithTheRecorderPrefix)
{
    const QString first = GetTempWaveFileName(temp);
    const QString second = GetTempWaveFileName(temp);
    EXPECT_NE(first, second);
    EXPECT_TRUE(QFileInfo(first).fileName().startsWith("LOD"));
    EXPECT_EQ(QFileInfo(first).size(), 0);
    EXPECT_EQ(QFileInfo(first).absolutePath(), QDir(temp).absolutePath());
    EXPECT_TRUE(GetTempWaveFileName(folder + "/gone/").isEmpty());
}

// Every WAV becomes a canonical 8- or 16-bit working WAV; PCM of those depths keeps its samples.
TEST_F(TrackLoaderTest, WaveFilesBecomeCanonicalWorkingFiles)
{
    struct Case {
        const char* name;
        QStringList soxFormat;
        int channels;
        const char* codec;
        int workingChannels;
        bool samplesKept;
    };
    const Case cases[] = {
        {"eight bit mono.wav", {"-b", "8", "-e", "unsigned-integer"}, 1, "pcm_u8", 1, true},
        {"sixteen stereo.wav", {"-b", "16"}, 2, "pcm_s16le", 2, true},
        {"twenty-four (extensible) ü.wav", {"-b", "24"}, 2, "pcm_s16le", 2, false},
        {"three channels.wav", {"-b", "16"}, 3, "pcm_s16le", 2, false},
        {"UPPER CASE.WAV", {"-b", "16"}, 1, "pcm_s16le", 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString user = tone(c.name, c.soxFormat, 1.0, c.channels);
        const QByteArray before = hashOf(user);
        track = previous;
        ASSERT_EQ(LoadMusicFile(user, services, busy, track), 0);
        EXPECT_FALSE(busy.isBusy());
        EXPECT_EQ(track.savedPath, user);
        EXPECT_EQ(track.state, kTrackChanged);
        EXPECT_EQ(track.source, TrackSourceKind::Wave);
        EXPECT_TRUE(track.workingPath.startsWith(temp));
        EXPECT_EQ(probe(track.workingPath, "stream=codec_name,channels,sample_rate"),
                  QString("codec_name=%1\nsample_rate=44100\nchannels=%2\n").arg(c.codec).arg(c.workingChannels));
        EXPECT_EQ(probedFrames(track.workingPath), 44100);
        EXPECT_EQ(track.waveFormat.channels, c.workingChannels);
        EXPECT_EQ(track.waveFormat.blockAlign, c.workingChannels * (c.codec == QString("pcm_u8") ? 1 : 2));
        EXPECT_EQ(canonicalData(track.workingPath).size(), 44100 * track.waveFormat.blockAlign);
        if (c.samplesKept) {
            uint32_t frames = 0;
            ASSERT_EQ(ReadWaveFormat(user, &frames, nullptr), 0);
            const QByteArray userBytes = testsupport::readFile(user);
            EXPECT_TRUE(userBytes.endsWith(canonicalData(track.workingPath)));
        }
        EXPECT_EQ(hashOf(user), before);
        EXPECT_EQ(progress.shown.back().caption, "Opening Music Track file...");
    }
}

// Chunks after "data" (a LIST and our own id3 chunk) and the pad byte of an odd 8-bit data chunk
// stay out of the working WAV, so padding it later appends silence right after the samples.
TEST_F(TrackLoaderTest, ChunksAfterTheDataNeverReachTheWorkingFile)
{
    const WaveFormatEx format = makePcmFormat(8000, 8, 1);
    QByteArray samples(8001, char(0x40));
    TID3InfoRecord tag{};
    platform::codecs::setSongInfoText(tag.title, QStringLiteral("Späte Sendung"));
    platform::codecs::setSongInfoText(tag.artist, QStringLiteral("Host"));
    const QByteArray later = wavefixtures::chunk("LIST", QByteArray("INFOISFT\x06\0\0\0noise!", 18))
                             + wavefixtures::chunk("id3 ", platform::codecs::id3TagBytes(tag));
    const QString user = folder + "/tagged take.wav";
    testsupport::writeFile(user, wavefixtures::pcmWave(format, samples, later));
    ASSERT_EQ(LoadVoiceFile(user, services, busy, track), 0);
    EXPECT_EQ(canonicalData(track.workingPath), samples);
    EXPECT_EQ(platform::codecs::songInfoText(track.songInfo.title), QStringLiteral("Späte Sendung"));
    EXPECT_EQ(platform::codecs::songInfoText(track.songInfo.artist), QStringLiteral("Host"));

    const QString music = folder + "/longer.wav";
    testsupport::writeFile(music, wavefixtures::pcmWave(format, QByteArray(9000, char(0x50))));
    TrackRecord musicTrack;
    ASSERT_EQ(LoadMusicFile(music, services, busy, musicTrack), 0);
    QString padded;
    ASSERT_TRUE(EqualizeTrackLengths(track.workingPath, musicTrack.workingPath, true, &padded));
    EXPECT_EQ(padded, track.workingPath);
    EXPECT_EQ(canonicalData(track.workingPath), samples + QByteArray(999, char(0x80)));
    EXPECT_EQ(probedFrames(track.workingPath), 9000);
}

// The samples of 8- and 16-bit PCM of one or two channels, plain or extensible, reach the working
// file byte for byte behind a canonical header, whatever follows them in the user's file and
// however the file was cut short (whole frames only); a cancel leaves the target as it was.
TEST_F(TrackLoaderTest, PcmSamplesAreCopiedBehindACanonicalHeader)
{
    enum class Shape { AsMade, ChunksAfterData, Extensible, CutShort };
    struct Case {
        const char* name;
        QStringList soxFormat;
        int channels;
        int frames;
        Shape shape;
    };
    const Case cases[] = {
        {"eight bit mono", {"-b", "8", "-e", "unsigned-integer"}, 1, 44100, Shape::AsMade},
        {"eight bit stereo", {"-b", "8", "-e", "unsigned-integer"}, 2, 30001, Shape::AsMade},
        {"sixteen mono", {"-b", "16"}, 1, 44100, Shape::AsMade},
        {"sixteen stereo, over one block", {"-b", "16"}, 2, 300001, Shape::AsMade},
        {"odd data, LIST and id3 after it", {"-b", "8", "-e", "unsigned-integer"}, 1, 4411, Shape::ChunksAfterData},
        {"extensible sixteen stereo", {"-b", "16"}, 2, 44100, Shape::Extensible},
        {"extensible eight mono", {"-b", "8", "-e", "unsigned-integer"}, 1, 4410, Shape::Extensible},
        {"data size past the end, part of a frame", {"-b", "16"}, 2, 44100, Shape::CutShort},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString made = folder + "/made.wav";
        const QStringList arguments = QStringList{"-r", "44100", "-n", "-c", QString::number(c.channels)} + c.soxFormat
                                      + QStringList{made, "synth", QString::number(c.frames) + "s", "sine", "440"};
        ASSERT_EQ(testsupport::runSox(arguments).exitCode, 0);
        const QByteArray madeBytes = testsupport::readFile(made);
        const int bits = c.soxFormat[1].toInt();
        const WaveFormatEx format = makePcmFormat(44100, uint16_t(bits), uint16_t(c.channels));
        const QByteArray samples = madeBytes.right(qsizetype(c.frames) * format.blockAlign);
        QByteArray user = madeBytes;
        QByteArray kept = samples;
        switch (c.shape) {
        case Shape::AsMade: break;
        case Shape::ChunksAfterData:
            user = wavefixtures::pcmWave(format, samples,
                                         wavefixtures::chunk("LIST", QByteArray("INFOISFT\x04\0\0\0abc", 16))
                                             + wavefixtures::chunk("id3 ", QByteArray(30, 'T')));
            break;
        case Shape::Extensible: {
            WaveFormatEx extensible = format;
            extensible.formatTag = 0xFFFE;
            extensible.extraSize = 22;
            const QByteArray fmt = wavefixtures::fmtBody(extensible) + wavefixtures::le16(format.bitsPerSample)
                                   + wavefixtures::le32(c.channels == 1 ? 4 : 3)
                                   + QByteArray::fromHex("0100000000001000800000aa00389b71");
            user = wavefixtures::riff("WAVE", wavefixtures::chunk("fmt ", fmt) + wavefixtures::chunk("data", samples));
            break;
        }
        case Shape::CutShort:
            user.chop(format.blockAlign * 100 + 3);
            kept = samples.left(samples.size() - format.blockAlign * 101);
            break;
        }
        const QString source = folder + "/user.wav";
        testsupport::writeFile(source, user);
        const QString target = GetTempWaveFileName(temp);
        std::atomic<int32_t> percent{0};
        const std::atomic<int32_t> goOn{1};
        ASSERT_EQ(CopyWaveCanonically(source, target, percent, goOn, {}), 0);
        EXPECT_EQ(percent.load(), 100);
        EXPECT_TRUE(testsupport::readFile(target) == wavefixtures::pcmWave(format, kept));
        EXPECT_EQ(probedFrames(target), kept.size() / format.blockAlign);
        EXPECT_EQ(testsupport::readFile(source), user);

        std::atomic<int32_t> cancel{1};
        platform::codecs::DecodeEnvironment environment;
        environment.blockWritten = [&cancel] { cancel.store(0); };
        const QString cancelled = GetTempWaveFileName(temp);
        EXPECT_EQ(CopyWaveCanonically(source, cancelled, percent, cancel, environment), 129);
        EXPECT_EQ(QFileInfo(cancelled).size(), 0);
        EXPECT_EQ(workingFiles().size(), 2);
        QFile::remove(target);
        QFile::remove(cancelled);
    }
}

TEST_F(TrackLoaderTest, Mp3AndWmaFilesAreDecodedIntoWorkingFiles)
{
    const QString wave = tone("source.wav", {"-b", "16"}, 1.5, 1);
    const QString mp3 = folder + "/voice ünïcode.mp3";
    make("lame", {"--quiet", "-b", "128", "--id3v2-only", "--tt", "Ünïcode Title", wave, mp3});
    const QString wma = folder + "/music take.wma";
    make("ffmpeg", {"-v", "error", "-i", wave, "-c:a", "wmav2", "-b:a", "64k", wma});
    struct Case {
        QString path;
        TrackSourceKind kind;
        int bitRate;
        const char* caption;
        QString title;
    };
    const Case cases[] = {{mp3, TrackSourceKind::Mp3, 128, "Importing To Wave File", "Ünïcode Title"},
                          {wma, TrackSourceKind::Wma, 0, "Importing WMA File ", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const QByteArray before = hashOf(c.path);
        TrackRecord loaded;
        ASSERT_EQ(LoadVoiceFile(c.path, services, busy, loaded), 0);
        EXPECT_EQ(loaded.source, c.kind);
        EXPECT_EQ(loaded.mp3BitRate, c.bitRate);
        EXPECT_EQ(platform::codecs::songInfoText(loaded.songInfo.title), c.title);
        EXPECT_EQ(probe(loaded.workingPath, "stream=codec_name,channels,sample_rate"),
                  "codec_name=pcm_s16le\nsample_rate=44100\nchannels=1\n");
        // Within one frame of decoder delay either way.
        EXPECT_NEAR(probedFrames(loaded.workingPath), 66150, 2048);
        EXPECT_EQ(canonicalData(loaded.workingPath).size(), int(loaded.fileInfo.frames) * 2);
        EXPECT_EQ(hashOf(c.path), before);
        EXPECT_EQ(progress.shown.back().caption, c.caption);
    }
}

// The GUI thread never opens an MP3: even a file without a frame is found out on the worker, under
// the progress window.
TEST_F(TrackLoaderTest, AnMp3IsProbedUnderTheProgressWindow)
{
    const QString garbage = folder + "/no frames.mp3";
    testsupport::writeFile(garbage, QByteArray(4000, 'x'));
    ui.expectMessageBox(platform::IDOK, "Please make sure that the input file is not corrupt");
    EXPECT_EQ(LoadVoiceFile(garbage, services, busy, track), 429);
    ASSERT_EQ(progress.shown.size(), 1u);
    EXPECT_EQ(progress.shown[0].caption, "Importing To Wave File");
    EXPECT_TRUE(workingFiles().isEmpty());
}

// Every failure: its message, the previous track kept, no working file left, the user's file
// unchanged, the busy flag clear.
TEST_F(TrackLoaderTest, FailedLoadsKeepThePreviousTrackAndLeaveNoWorkingFile)
{
    const QString wave = tone("good.wav", {"-b", "16"}, 1.0, 1);
    const QString mp3 = folder + "/good.mp3";
    make("lame", {"--quiet", "-b", "128", wave, mp3});
    const QString wma = folder + "/good.wma";
    make("ffmpeg", {"-v", "error", "-i", wave, "-c:a", "wmav2", wma});
    const QString garbage = folder + "/garbage.mp3";
    testsupport::writeFile(garbage, QByteArray(4000, 'x'));
    const QString cutMp3 = folder + "/cut short.mp3";
    testsupport::writeFile(cutMp3, testsupport::readFile(mp3).left(3000));
    const QString cutWma = folder + "/cut short.wma";
    testsupport::writeFile(cutWma, testsupport::readFile(wma).left(3000));
    const QString ogg = folder + "/other.ogg";
    testsupport::writeFile(ogg, "OggS");

    const auto fullDisk = [](const QString&) { return int64_t(0); };
    const auto noInfo = [](const QString&, platform::audio::AudioFileInfo&) { return 105; };
    struct Case {
        const char* name;
        QString path;
        int result;
        const char* message; // part of the text shown; null: nothing shown
        std::function<void()> arrange;
    };
    const QString gone = folder + "/gone/";
    const QString missing = folder + "/nothing here.wav";
    const QByteArray missingText = ("The file " + missing + " does not exist").toUtf8();
    // Cancel is pressed at the first tick while the decoder waits after its first block until the
    // request has reached the job, so the conversion cannot end before it is seen.
    std::atomic<TJobRecord*> cancelledJob{nullptr};
    const auto cancelAfterFirstBlock = [&] {
        cancelledJob.store(nullptr);
        progress.pressCancelAt = [&](int) {
            cancelledJob.store(runner.currentJob());
            return true;
        };
        services.decodeEnvironment.blockWritten = [&] {
            EXPECT_TRUE(jobtest::eventually([&] {
                const TJobRecord* job = cancelledJob.load();
                return job && job->currentState() == JobState::CancelAsked;
            }));
        };
    };
    const Case cases[] = {
        {"missing file", missing, 184, missingText.constData(), {}},
        {"unknown extension", ogg, 430, "File format not supported", {}},
        {"garbage MP3", garbage, 429, "Please make sure that the input file is not corrupt", {}},
        {"MP3 cut short", cutMp3, 429, "Please make sure that the input file is not corrupt", {}},
        {"WMA cut short", cutWma, 2, "Please make sure that the input file is not corrupt", {}},
        {"temporary folder gone", wave, 160, "Cannot create Wave file", [&] { services.tempFolder = [gone] { return gone; }; }},
        {"full disk, WAV", wave, 153, "not enough free space", [&] { services.decodeEnvironment.freeSpace = fullDisk; }},
        {"full disk, MP3", mp3, 432, "inadequate free space", [&] { services.decodeEnvironment.freeSpace = fullDisk; }},
        {"full disk, WMA", wma, 6, "inadequate free space", [&] { services.decodeEnvironment.freeSpace = fullDisk; }},
        {"MP3 cancelled", mp3, 431, nullptr, cancelAfterFirstBlock},
        {"WMA cancelled", wma, 9, nullptr, cancelAfterFirstBlock},
        {"no worker thread", wave, 154, "Cannot create thread for copy file",
         [&] { runner.setThreadStarter(jobtest::failingStarter()); }},
        {"file information unreadable", wave, 105, "", [&] { services.fileInfo = noInfo; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto savedTemp = services.tempFolder;
        const auto savedInfo = services.fileInfo;
        services.decodeEnvironment = {};
        progress.pressCancelAt = {};
        runner.setThreadStarter(JobThread::startStdThread);
        if (c.arrange)
            c.arrange();
        const bool exists = QFileInfo::exists(c.path);
        const QByteArray before = exists ? hashOf(c.path) : QByteArray();
        const size_t promptsBefore = ui.prompts().size();
        if (c.message)
            ui.expectMessageBox(platform::IDOK, QString::fromUtf8(c.message));
        track = previous;
        EXPECT_EQ(LoadVoiceFile(c.path, services, busy, track), c.result);
        EXPECT_EQ(ui.prompts().size(), promptsBefore + (c.message ? 1 : 0));
        EXPECT_TRUE(ui.allConsumed());
        EXPECT_EQ(track.workingPath, previous.workingPath);
        EXPECT_EQ(track.savedPath, previous.savedPath);
        EXPECT_EQ(track.state, previous.state);
        EXPECT_TRUE(workingFiles().isEmpty()) << workingFiles().join(' ').toStdString();
        EXPECT_FALSE(busy.isBusy());
        if (exists) {
            EXPECT_EQ(hashOf(c.path), before);
        }
        services.tempFolder = savedTemp;
        services.fileInfo = savedInfo;
    }
}

TEST_F(TrackLoaderTest, EqualizingPadsTheShorterTrackWithDigitalSilence)
{
    const QString voice = tone("voice.wav", {"-b", "16"}, 2.0, 2);
    const QString music = tone("music.wav", {"-b", "16"}, 1.0, 2);
    const QByteArray musicBefore = canonicalData(music);
    QString padded;
    ASSERT_TRUE(EqualizeTrackLengths(voice, music, false, &padded));
    EXPECT_EQ(padded, music);
    const QByteArray after = canonicalData(music);
    ASSERT_EQ(after.size(), canonicalData(voice).size());
    EXPECT_TRUE(after.startsWith(musicBefore));
    EXPECT_EQ(after.mid(musicBefore.size()), QByteArray(after.size() - musicBefore.size(), '\0'));
    const auto stats = testsupport::runSox({music, "-n", "trim", "1", "stat"});
    EXPECT_TRUE(stats.err.contains("Maximum amplitude:     0.000000")) << stats.err.toStdString();

    // Equal lengths: nothing to pad, the voice file is the one named.
    ASSERT_TRUE(EqualizeTrackLengths(voice, music, false, &padded));
    EXPECT_EQ(padded, voice);
    EXPECT_FALSE(EqualizeTrackLengths(voice, folder + "/missing.wav", false));
}

} // namespace

namespace {

// The peak cache beside a working WAV: built and saved on the first open, reused while the WAV is
// unchanged, built again once the WAV is newer; no worker means message 156 and no cache.
TEST_F(TrackLoaderTest, TrackDisplaysReuseTheirPeakCacheWhileTheWaveIsUnchanged)
{
    const QString wav = tone("display.wav", {"-b", "16"}, 1.0, 2);
    const QString peakFile = folder + "/display.vxp";
    const controls::PeakDisplayRequest request{wav, "Building Voice Track Peaks...", true, true, temp};
    controls::WaveDisplayFile display;

    ASSERT_EQ(controls::OpenPeakDisplay(display, request, runner, messages), 0);
    ASSERT_EQ(progress.shown.size(), 1u);
    EXPECT_EQ(progress.shown[0].caption, "Building Voice Track Peaks...");
    EXPECT_FALSE(progress.shown[0].cancelShown);
    const qint64 entries = (44100 + 31) / 32;
    EXPECT_EQ(QFileInfo(peakFile).size(), 6 + 2 * entries * 4);
    EXPECT_EQ(display.peakState(), controls::PeakState::Built);

    controls::WaveDisplayFile again;
    ASSERT_EQ(controls::OpenPeakDisplay(again, request, runner, messages), 0);
    EXPECT_EQ(progress.shown.size(), 1u);
    EXPECT_EQ(again.peakState(), controls::PeakState::Built);

    const controls::PeakDisplayRequest noCache{wav, "Building Voice Track Peaks...", false, true, temp};
    ASSERT_EQ(controls::OpenPeakDisplay(again, noCache, runner, messages), 0);
    EXPECT_EQ(progress.shown.size(), 2u);

    // A WAV newer than its cache is built again.
    QFile file(wav);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QFileInfo(peakFile).lastModified().addSecs(5), QFileDevice::FileModificationTime));
    file.close();
    ASSERT_EQ(controls::OpenPeakDisplay(again, request, runner, messages), 0);
    EXPECT_EQ(progress.shown.size(), 3u);

    runner.setThreadStarter(jobtest::failingStarter());
    ui.expectMessageBox(platform::IDOK, "Cannot create thread for waveform drawing");
    EXPECT_EQ(controls::OpenPeakDisplay(again, noCache, runner, messages), 156);
    EXPECT_NE(again.peakState(), controls::PeakState::Built);

    ui.expectMessageBox(platform::IDOK, "Error while opening wave file");
    EXPECT_EQ(controls::OpenPeakDisplay(again, controls::PeakDisplayRequest{folder + "/none.wav", "x", true, true, temp}, runner,
                               messages),
              101);
}

} // namespace
