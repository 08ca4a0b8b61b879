// Converting a track's working WAV, or one file, into the recording format as a polled process of
// the format library: what the track is left with after a success and after each kind of failure,
// the files left behind, and the window's small rules (kinds, spinner, messages).

#include "recorder/FormatConvert.h"

#include "common/WaveUtil.h"
#include "platform/codecs/VXFmtHlp.h"
#include "platform/files/TempName.h"

#include "tests/platform/codecs/CodecFixtures.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

using namespace recorder;
using codecfixtures::folderEntries;
using codecfixtures::soxTone;
using Track = ConvertTracks::Track;

using testsupport::hashOf;

namespace {

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

// The real format library, with temporary WAVs made in the test's folder.
struct RealConversion {
    explicit RealConversion(const QString& tempFolder,
                            platform::codecs::DecodeEnvironment environment = {})
        : library(std::move(environment))
        , calls(library)
    {
        services.start = [this](const QString& source, const QString& target, const WaveFormatEx& format,
                                uint32_t* cell) { return library.AudioConvert(source, target, &format, cell, 0); };
        services.library = &calls;
        services.newTempWaveName = [tempFolder] { return platform::createTempFile(tempFolder, "LOD"); };
    }

    platform::codecs::VXFmtHlp library;
    ConvertProcessCalls calls;
    ConvertProcessServices services;
};

void pollToEnd(FormatConversionJob& job)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!job.poll()) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the conversion never ended";
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

TEST(FormatConvertRules, KindsAreReadWithoutCaseAndAnUnknownKindIsNoJob)
{
    const struct {
        const char* kind;
        std::optional<ConvertMode> mode;
    } cases[] = {
        {"Music Files", ConvertMode::PadFiles},   {"music files", ConvertMode::PadFiles},
        {"Voice Track", ConvertMode::VoiceTrack}, {"VOICE TRACK", ConvertMode::VoiceTrack},
        {"Music Track", ConvertMode::MusicTrack}, {"music Track", ConvertMode::MusicTrack},
        {"", std::nullopt},                       {"Voice Track ", std::nullopt},
        {"File", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(convertModeOfKind(QString::fromLatin1(c.kind)), c.mode) << c.kind;
}

TEST(FormatConvertRules, SpinnerTurnsAndEachModeHasItsMessage)
{
    QString text = QStringLiteral("\\");
    QStringList seen;
    for (int i = 0; i < 6; ++i) {
        text = nextSpinnerText(text);
        seen << text;
    }
    EXPECT_EQ(seen, QStringList({"|", "/", "---", "|", "/", "---"}));

    EXPECT_EQ(convertModeMessage(ConvertMode::PadFiles), "Converting loaded files format. Please Wait...");
    EXPECT_EQ(convertModeMessage(ConvertMode::VoiceTrack), "Converting Voice Track File Format...");
    EXPECT_EQ(convertModeMessage(ConvertMode::MusicTrack), "Converting Music Track File Format...");
    EXPECT_EQ(convertModeMessage(ConvertMode::OneFile), "Converting file format. Please Wait...");
}

TEST(FormatConvertRules, FailuresMapToMessagesThatSayWhy)
{
    const struct {
        int code;
        int id;
    } cases[] = {{0, 0},     {128, 900}, {130, 153}, {115, 313}, {117, 313},
                 {122, 313}, {160, 313}, {kFormatMismatchCode, 313}};
    for (const auto& c : cases)
        EXPECT_EQ(formatConversionMessageId(c.code), c.id) << c.code;
}

TEST(FormatConvertRules, PeakFileIsNamedAfterTheWave)
{
    EXPECT_EQ(peakFileOf("/tmp/LODab12.tmp"), "/tmp/LODab12.vxp");
    EXPECT_EQ(peakFileOf("/tmp/a.b/LOD"), "/tmp/a.b/LOD.vxp");
    EXPECT_EQ(peakFileOf("/tmp/x.y.wav"), "/tmp/x.y.vxp");
}

// A track converted: the new working WAV has the recording format (as sox reads it) and the old one
// and its peak file are gone.
TEST(FormatConvertJob, TrackConvertedIntoTheRecordingFormatReplacesItsWorkingWave)
{
    const QString folder = testsupport::testFolder();
    const QString old = soxTone(folder + "/LODold.tmp.wav", 1.5, 44100, 2, {"-b", "16"});
    testsupport::writeFile(folder + "/LODold.tmp.vxp", "peaks");
    Tracks tracks;
    tracks.paths[Track::Music] = old;
    tracks.paths[Track::Voice] = folder + "/voice.wav";

    RealConversion conversion(folder);
    FormatConversionJob job(conversion.services);
    const WaveFormatEx target = makePcmFormat(22050, 8, 1);
    ASSERT_TRUE(job.start(old, target));
    pollToEnd(job);
    ASSERT_EQ(job.code(), 0);
    EXPECT_EQ(replaceTrackWorkingWave(tracks, Track::Music, job), 0);

    const QString converted = tracks.workingPath(Track::Music);
    EXPECT_NE(converted, old);
    EXPECT_TRUE(QFileInfo(converted).fileName().startsWith("LOD"));
    EXPECT_FALSE(QFileInfo::exists(old));
    EXPECT_FALSE(QFileInfo::exists(folder + "/LODold.tmp.vxp"));
    EXPECT_EQ(tracks.workingPath(Track::Voice), folder + "/voice.wav");

    const auto info = testsupport::runSox({"--i", converted});
    ASSERT_EQ(info.exitCode, 0) << info.err.constData();
    EXPECT_TRUE(info.out.contains("Channels       : 1")) << info.out.constData();
    EXPECT_TRUE(info.out.contains("Sample Rate    : 22050")) << info.out.constData();
    EXPECT_TRUE(info.out.contains("8-bit")) << info.out.constData();
    uint32_t frames = 0;
    ASSERT_EQ(ReadWaveFormat(converted, &frames, nullptr), 0);
    EXPECT_NEAR(double(frames), 1.5 * 22050, 2);
}

// One file converted for a caller: the result names a new WAV, and the caller's file is only read.
TEST(FormatConvertJob, OneFileGivesANewWaveAndLeavesTheSourceAsItWas)
{
    const QString folder = testsupport::testFolder();
    const QString source = soxTone(folder + "/pad.wav", 1, 8000, 1, {"-b", "8"});
    const QByteArray before = hashOf(source);
    RealConversion conversion(folder);
    FormatConversionJob job(conversion.services);
    ASSERT_TRUE(job.start(source, makePcmFormat(44100, 16, 2)));
    pollToEnd(job);
    EXPECT_EQ(job.code(), 0);
    ASSERT_FALSE(job.resultFile().isEmpty());
    WaveFormatEx written{};
    ASSERT_EQ(ReadWaveFormat(job.resultFile(), nullptr, &written), 0);
    EXPECT_EQ(written, makePcmFormat(44100, 16, 2));
    EXPECT_EQ(hashOf(source), before);
}

// Every failure keeps the track on its old working WAV, leaves no new file, gives a code with a
// message, and never changes the file it read.
TEST(FormatConvertJob, FailuresKeepTheTrackAndLeaveNoFileBehind)
{
    const QString folder = testsupport::testFolder();
    const QString good = soxTone(folder + "/good.wav", 1, 44100, 2, {"-b", "16"});
    testsupport::writeFile(folder + "/noise.wav", QByteArray(4000, '\x5a'));
    const QString cut = folder + "/cut.wav";
    codecfixtures::truncateCopy(good, cut, 30);

    const struct {
        const char* name;
        QString source;
        WaveFormatEx format;
        bool tempNames;
        bool starts;
    } cases[] = {
        {"not a WAV", folder + "/noise.wav", makePcmFormat(22050, 16, 1), true, false},
        {"cut inside its header", cut, makePcmFormat(22050, 16, 1), true, false},
        {"a format we do not write", good, makePcmFormat(22050, 24, 1), true, false},
        {"missing", folder + "/gone.wav", makePcmFormat(22050, 16, 1), true, false},
        {"no temporary name", good, makePcmFormat(22050, 16, 1), false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString temps = folder + "/" + c.name;
        ASSERT_TRUE(QDir().mkpath(temps));
        const QByteArray before = QFileInfo::exists(c.source) ? hashOf(c.source) : QByteArray();
        RealConversion conversion(temps);
        if (!c.tempNames)
            conversion.services.newTempWaveName = [] { return QString(); };
        Tracks tracks;
        tracks.paths[Track::Voice] = c.source;
        FormatConversionJob job(conversion.services);
        EXPECT_EQ(job.start(c.source, c.format), c.starts);
        pollToEnd(job);
        EXPECT_NE(job.code(), 0);
        EXPECT_NE(formatConversionMessageId(job.code()), 0);
        EXPECT_TRUE(job.resultFile().isEmpty());
        EXPECT_EQ(replaceTrackWorkingWave(tracks, Track::Voice, job), job.code());
        EXPECT_EQ(tracks.workingPath(Track::Voice), c.source);
        EXPECT_EQ(folderEntries(temps), QStringList());
        if (!before.isEmpty()) {
            EXPECT_EQ(hashOf(c.source), before);
        }
    }
}

// A library whose process reports success for a file in another format: caught, not installed.
class WrongFormatLibrary : public PolledLibrary {
public:
    int processIsOver(uint32_t) override { return 1; }
    int processProgress(uint32_t) override { return 100; }
    int reasonForProcessExit(uint32_t) override { return 0; }
    int cancelPressed(uint32_t) override { return 0; }
    int closeHandle(uint32_t* cell) override
    {
        *cell = 0;
        return 0;
    }
};

TEST(FormatConvertJob, AConversionThatGivesAnotherFormatIsAFailure)
{
    const QString folder = testsupport::testFolder();
    const QString old = soxTone(folder + "/old.wav", 1, 44100, 2, {"-b", "16"});
    WrongFormatLibrary library;
    ConvertProcessServices services;
    services.library = &library;
    services.newTempWaveName = [folder] { return platform::createTempFile(folder, "LOD"); };
    services.start = [](const QString&, const QString& target, const WaveFormatEx&, uint32_t* cell) {
        *cell = 7;
        return CreateEmptyWaveFile(target, 44100, 16, 1);
    };
    Tracks tracks;
    tracks.paths[Track::Music] = old;
    FormatConversionJob job(services);
    ASSERT_TRUE(job.start(old, makePcmFormat(44100, 16, 2)));
    EXPECT_TRUE(job.poll());
    EXPECT_EQ(job.code(), kFormatMismatchCode);
    EXPECT_EQ(formatConversionMessageId(job.code()), 313);
    EXPECT_EQ(replaceTrackWorkingWave(tracks, Track::Music, job), kFormatMismatchCode);
    EXPECT_EQ(tracks.workingPath(Track::Music), old);
    EXPECT_EQ(folderEntries(folder), QStringList({"old.wav"}));
}

// A job given up while its process runs (its window went) stops the process and removes its WAV.
TEST(FormatConvertJob, AJobDroppedWhileRunningStopsAndLeavesNoFile)
{
    const QString folder = testsupport::testFolder();
    const QString source = soxTone(folder + "/source.wav", 20, 44100, 2, {"-b", "16"});
    const QString temps = folder + "/temps";
    ASSERT_TRUE(QDir().mkpath(temps));
    codecfixtures::Gate gate;
    RealConversion conversion(temps, platform::codecs::DecodeEnvironment{{}, gate.hook()});
    {
        FormatConversionJob job(conversion.services);
        ASSERT_TRUE(job.start(source, makePcmFormat(22050, 16, 1)));
        ASSERT_TRUE(gate.waitReached());
        EXPECT_FALSE(job.poll());
        gate.release();
    }
    EXPECT_EQ(folderEntries(temps), QStringList());
}

} // namespace
