// What the builder reads of an episode's audio file: its kind, length and size, and nothing at all
// from a file it cannot read.
#include "podcast/AudioFileInfo.h"

#include "podcast/XvqRules.h"
#include "tests/platform/codecs/CodecFixtures.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <string>

using namespace podcast;

namespace {

// Made once for the suite: the encoders take a moment each.
QString g_folder;

class AudioFileInformation : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_folder = QDir::tempPath() + QStringLiteral("/audio-info-%1").arg(QCoreApplication::applicationPid());
        QDir(g_folder).removeRecursively();
        QDir().mkpath(g_folder);
        // 12,345 frames at 8,000 Hz: 1,543.125 ms.
        testsupport::writeFile(g_folder + "/talk.wav",
                               wavefixtures::pcmWave(wavefixtures::waveFormat(WAVE_FORMAT_PCM, 1, 8000, 16),
                                                     wavefixtures::sampleBytes(12345 * 2)));
        codecfixtures::ffmpegTone(g_folder + "/talk.mp3", 2.5, 44100, 2, {"-c:a", "libmp3lame", "-b:a", "128k"});
        codecfixtures::ffmpegTone(g_folder + "/talk.wma", 3.0, 44100, 2, {"-c:a", "wmav2", "-b:a", "128k"});
        QFile::copy(g_folder + "/talk.mp3", g_folder + "/LOUD.MP3");
        testsupport::writeFile(g_folder + "/notes.mp3", "These are my notes for the show, not sound.\n");
        testsupport::writeFile(g_folder + "/notes.wav", "These are my notes for the show, not sound.\n");
        testsupport::writeFile(g_folder + "/notes.wma", "These are my notes for the show, not sound.\n");
        QFile::copy(g_folder + "/talk.wav", g_folder + "/talk.ogg");
        QFile::copy(g_folder + "/talk.wav", g_folder + "/talk");
        QDir().mkpath(g_folder + "/folder.wav");
    }
    static void TearDownTestSuite() { QDir(g_folder).removeRecursively(); }
};

struct ReadableCase {
    const char* file;
    AudioFileKind kind;
    qint64 lengthMs;
    qint64 toleranceMs;
};

TEST_F(AudioFileInformation, ReadsKindLengthAndSize)
{
    const ReadableCase cases[] = {
        {"talk.wav", AudioFileKind::Wav, 1543, 0},
        // An MP3 is counted from its frames; a WMA states its length in whole encoder frames.
        {"talk.mp3", AudioFileKind::Mp3, 2500, 5},
        {"LOUD.MP3", AudioFileKind::Mp3, 2500, 5},
        {"talk.wma", AudioFileKind::Wma, 3000, 50},
    };
    for (const ReadableCase& c : cases) {
        const QString path = g_folder + QLatin1Char('/') + QLatin1String(c.file);
        ASSERT_TRUE(QFileInfo(path).isFile()) << c.file;
        PodcastRecord record;
        ASSERT_TRUE(GetAudioFileInformation(path, record)) << c.file;
        EXPECT_EQ(record.AudioKind, c.kind) << c.file;
        EXPECT_LE(std::abs(record.DurationMs - c.lengthMs), c.toleranceMs) << c.file << ": " << record.DurationMs;
        EXPECT_EQ(record.FileSize, QFileInfo(path).size()) << c.file;
        const qint64 seconds = record.DurationMs / 1000;
        EXPECT_EQ(record.Hours, seconds / 3600) << c.file;
        EXPECT_EQ(record.Minutes, seconds / 60 % 60) << c.file;
        EXPECT_EQ(record.Seconds, seconds % 60) << c.file;
    }
}

TEST_F(AudioFileInformation, UnreadableFilesLeaveTheRecordAlone)
{
    const struct {
        const char* file;
        const char* logged;
    } cases[] = {
        {"absent.mp3", "does not exist"},
        {"folder.wav", "does not exist"},
        {"", "does not exist"},
        {"notes.mp3", "no MPEG audio"},
        {"notes.wav", "no WAV"},
        {"notes.wma", "cannot be read as WMA"},
        {"talk.ogg", "neither WAV, MP3 nor WMA"},
        {"talk", "neither WAV, MP3 nor WMA"},
    };
    for (const auto& c : cases) {
        const QString path = *c.file ? g_folder + QLatin1Char('/') + QLatin1String(c.file) : QString();
        PodcastRecord record;
        record.AudioKind = AudioFileKind::Wma;
        record.FileSize = 4242;
        SetDuration(record, 3723000);
        testsupport::LogCapture log;
        EXPECT_FALSE(GetAudioFileInformation(path, record)) << c.file;
        EXPECT_EQ(record.AudioKind, AudioFileKind::Wma) << c.file;
        EXPECT_EQ(record.FileSize, 4242) << c.file;
        EXPECT_EQ(record.DurationMs, 3723000) << c.file;
        EXPECT_EQ(DurationText(record), QStringLiteral("01:02:03")) << c.file;
        EXPECT_TRUE(log.contains(QLatin1String(c.logged), QStringLiteral("va.podcast"))) << c.file;
    }
}

} // namespace
