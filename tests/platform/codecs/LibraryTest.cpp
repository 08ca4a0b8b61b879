// The MP3, WMA and Ogg Vorbis libraries: their conversions, progress, stop and cancel words, and the
// lengths and bit rates they report, checked against ffmpeg, ffprobe and sox.

#include "platform/base/Rounding.h"
#include "platform/codecs/Plivorn.h"
#include "platform/codecs/VXMP3WAV.h"
#include "platform/codecs/VXVorbisToWav.h"

#include "tests/platform/codecs/CodecFixtures.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstring>
#include <thread>

using namespace platform::codecs;
using codecfixtures::compareWithReference;
using codecfixtures::ffmpegDecode;
using codecfixtures::ffmpegTone;
using codecfixtures::folderEntries;
using codecfixtures::Gate;

namespace {

QString mp3(const QString& folder, double seconds = 3, int rate = 44100, int channels = 2,
            const QStringList& quality = {"-b:a", "128k"})
{
    return ffmpegTone(folder + "/tone.mp3", seconds, rate, channels, QStringList{"-c:a", "libmp3lame"} + quality);
}

QString wma(const QString& folder, double seconds = 3)
{
    return ffmpegTone(folder + "/tone.wma", seconds, 44100, 2, {"-c:a", "wmav2", "-b:a", "128k"});
}

QString ogg(const QString& folder, double seconds = 2.5)
{
    return ffmpegTone(folder + "/tone.ogg", seconds, 44100, 2, {"-c:a", "libvorbis"});
}

// ffprobe's duration (seconds with six decimals) in milliseconds, halves to even.
int64_t probedMs(const QJsonObject& probe)
{
    const double seconds = probe.value("format").toObject().value("duration").toString().toDouble();
    return platform::divRoundHalfEven(qRound64(seconds * 1e6), 1000);
}

TEST(Mp3ToWave, ConvertsAtTheFilesOwnRateAndChannelsIn16Bits)
{
    const QString folder = testsupport::testFolder();
    const QString source = mp3(folder, 3, 22050, 1);
    VXMP3WAV library;
    ASSERT_EQ(library.ConvertMP3FileIntoWave(source, folder + "/out.wav"), Mp3ToWavCode::Ok);
    EXPECT_EQ(library.GetStatus(), 100);

    const wavefixtures::WaveInfo sox = wavefixtures::soxWaveInfo(folder + "/out.wav", false);
    EXPECT_EQ(sox.rate, 22050);
    EXPECT_EQ(sox.channels, 1);
    EXPECT_EQ(sox.bits, 16);
    const codecfixtures::Comparison c = compareWithReference(folder + "/out.wav", ffmpegDecode(source));
    EXPECT_EQ(c.frames, c.referenceFrames);
    EXPECT_EQ(c.maxDiff, 0);
}

TEST(Mp3ToWave, TheMp3CodecIsFoundWhenFfmpegListsItsDecoder)
{
    testsupport::ChildProcess ffmpeg;
    ASSERT_TRUE(ffmpeg.start("ffmpeg", {"-hide_banner", "-decoders"}));
    ASSERT_EQ(ffmpeg.wait(), 0);
    const bool listed = QString::fromUtf8(ffmpeg.out())
                            .contains(QRegularExpression(QStringLiteral("^\\s*A\\S*\\s+mp3\\s"),
                                                         QRegularExpression::MultilineOption));
    EXPECT_EQ(VXMP3WAV::IsMP3CodecFound(), listed);
}

TEST(Mp3ToWave, ConvertsIntoARecordingFormat)
{
    const QString folder = testsupport::testFolder();
    const QString source = mp3(folder);
    VXMP3WAV library;
    ASSERT_EQ(library.ConvertMP3FileIntoWave(source, folder + "/out.wav", PcmTarget{11025, 8, 1}), Mp3ToWavCode::Ok);
    const codecfixtures::Comparison c = compareWithReference(folder + "/out.wav", ffmpegDecode(source, 8, 11025, 1));
    EXPECT_EQ(c.rate, 11025);
    EXPECT_EQ(c.bits, 8);
    EXPECT_EQ(c.channels, 1);
    EXPECT_EQ(c.frames, c.referenceFrames);
    EXPECT_EQ(c.maxDiff, 0);
}

TEST(Mp3ToWave, TheWmaRoadSendsCallersToTheMainDecoder)
{
    const QString folder = testsupport::testFolder();
    const QString source = mp3(folder, 1);
    VXMP3WAV library;
    EXPECT_EQ(library.ConvertMP3FileIntoWaveUsingWMA(source, folder + "/out.wav"), Mp3ToWavCode::UseOtherDecoder);
    EXPECT_FALSE(QFile::exists(folder + "/out.wav"));
}

TEST(Mp3ToWave, StopConversionAbortsWithoutOutputAndLaterConversionsRun)
{
    const QString folder = testsupport::testFolder();
    const QString source = mp3(folder, 15);
    const QByteArray before = testsupport::readFile(source);
    Gate gate;
    VXMP3WAV library(DecodeEnvironment{{}, gate.hook()});
    int result = -1;
    std::thread worker([&] { result = library.ConvertMP3FileIntoWave(source, folder + "/out.wav"); });
    ASSERT_TRUE(gate.waitReached());
    const int status = library.GetStatus();
    EXPECT_GT(status, 0);
    EXPECT_LT(status, 100);
    library.StopConversion();
    gate.release();
    worker.join();

    EXPECT_EQ(result, Mp3ToWavCode::Aborted);
    EXPECT_EQ(folderEntries(folder), QStringList{"tone.mp3"});
    EXPECT_EQ(testsupport::readFile(source), before);

    // A stop while nothing runs (the window calls it when it closes) must not reach the next one.
    library.StopConversion();
    EXPECT_EQ(library.ConvertMP3FileIntoWave(source, folder + "/out.wav"), Mp3ToWavCode::Ok);
}

TEST(Mp3ToWave, RefusesTargetsItCannotWriteAndKeepsAnExistingTargetOnFailure)
{
    const QString folder = testsupport::testFolder();
    const QString source = mp3(folder, 1);
    const QByteArray before = testsupport::readFile(source);
    VXMP3WAV library;
    EXPECT_EQ(library.ConvertMP3FileIntoWave(source, folder + "/missing/out.wav"), Mp3ToWavCode::CannotCreateOutput);
    EXPECT_EQ(library.ConvertMP3FileIntoWave(source, source), Mp3ToWavCode::CannotCreateOutput);
    EXPECT_EQ(testsupport::readFile(source), before);

    testsupport::writeFile(folder + "/old.wav", "old");
    testsupport::writeFile(folder + "/text.mp3", "not audio");
    EXPECT_EQ(library.ConvertMP3FileIntoWave(folder + "/text.mp3", folder + "/old.wav"), Mp3ToWavCode::CorruptInput);
    EXPECT_EQ(testsupport::readFile(folder + "/old.wav"), "old");
    EXPECT_EQ(library.ConvertMP3FileIntoWave(source, folder + "/old.wav"), Mp3ToWavCode::Ok);
    EXPECT_GT(wavefixtures::soxWaveInfo(folder + "/old.wav", false).frames, 0);
}

TEST(Mp3ToWave, TooLittleFreeSpaceIsRefusedBeforeWriting)
{
    const QString folder = testsupport::testFolder();
    const QString source = mp3(folder, 2);
    QString askedFolder;
    VXMP3WAV library(DecodeEnvironment{[&](const QString& f) {
                                           askedFolder = f;
                                           return int64_t(300000); // 2 s of 44.1 kHz stereo need 352,800
                                       },
                                       {}});
    EXPECT_EQ(library.ConvertMP3FileIntoWave(source, folder + "/out.wav"), Mp3ToWavCode::NotEnoughTempSpace);
    EXPECT_EQ(askedFolder, folder);
    EXPECT_EQ(folderEntries(folder), QStringList{"tone.mp3"});
}

TEST(Mp3ToWave, BitRateAndLengthAreFfprobes)
{
    const QString folder = testsupport::testFolder();
    struct Case {
        const char* name;
        QStringList quality;
    };
    const Case cases[] = {{"cbr128.mp3", {"-b:a", "128k"}}, {"cbr64.mp3", {"-b:a", "64k"}}, {"vbr.mp3", {"-q:a", "2"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = ffmpegTone(folder + "/" + c.name, 4.2, 44100, 2, QStringList{"-c:a", "libmp3lame"} + c.quality);
        const QJsonObject probe = codecfixtures::ffprobe(file);
        const int64_t bitRate = probe.value("stream").toObject().value("bit_rate").toString().toLongLong();
        ASSERT_GT(bitRate, 0);
        EXPECT_EQ(VXMP3WAV::GetBitRateOfMp3File(file), qRound64(bitRate / 1000.0));
        EXPECT_EQ(int64_t(VXMP3WAV::GetLengthOfMp3File(file)), probedMs(probe));
        EXPECT_TRUE(VXMP3WAV::IsConversionPossible(file));
    }
}

TEST(Mp3ToWave, OnlyMpegAudioFilesAreMp3Files)
{
    const QString folder = testsupport::testFolder();
    const QString layer2 = ffmpegTone(folder + "/layer2.mp2", 1, 48000, 2, {"-c:a", "mp2"});
    EXPECT_TRUE(VXMP3WAV::IsConversionPossible(layer2));
    EXPECT_GT(VXMP3WAV::GetLengthOfMp3File(layer2), 0u);

    const QString wmaFile = wma(folder, 1);
    testsupport::writeFile(folder + "/text.mp3", QByteArray("hello, this is no audio\n").repeated(40));
    for (const QString& file : {wmaFile, folder + "/text.mp3", folder + "/missing.mp3"}) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_FALSE(VXMP3WAV::IsConversionPossible(file));
        EXPECT_EQ(VXMP3WAV::GetBitRateOfMp3File(file), 0);
        EXPECT_EQ(VXMP3WAV::GetLengthOfMp3File(file), 0u);
    }
    VXMP3WAV library;
    EXPECT_EQ(library.ConvertMP3FileIntoWave(wmaFile, folder + "/out.wav"), Mp3ToWavCode::CorruptInput);
    EXPECT_EQ(library.ConvertMP3FileIntoWave(folder + "/missing.mp3", folder + "/out.wav"),
              Mp3ToWavCode::CannotOpenInput);
    EXPECT_FALSE(QFile::exists(folder + "/out.wav"));
}

struct Job {
    std::atomic<int32_t> cancel{0};
    std::atomic<int32_t> progress{0};
    std::atomic<int32_t> state{PlivornState::Running};
};

TEST(WmaToWave, ConvertsAndReportsThroughTheJobWords)
{
    const QString folder = testsupport::testFolder();
    const QString source = wma(folder);
    Job job;
    EXPECT_EQ(Plivorn::ConvertWmaFileIntoWave(source, folder + "/out.wav", &job.cancel, &job.progress, &job.state),
              PlivornCode::Ok);
    EXPECT_EQ(job.state.load(), PlivornState::Finished);
    EXPECT_EQ(job.progress.load(), 100);
    const codecfixtures::Comparison c = compareWithReference(folder + "/out.wav", ffmpegDecode(source));
    EXPECT_EQ(c.rate, 44100);
    EXPECT_EQ(c.channels, 2);
    EXPECT_EQ(c.frames, c.referenceFrames);
    EXPECT_EQ(c.maxDiff, 0);
}

TEST(WmaToWave, TheCancelWordEndsInStateThreeWithoutOutput)
{
    const QString folder = testsupport::testFolder();
    const QString source = wma(folder, 15);
    Gate gate;
    Job job;
    int result = -1;
    std::thread worker([&] {
        result = Plivorn::ConvertWmaFileIntoWave(source, folder + "/out.wav", &job.cancel, &job.progress, &job.state,
                                                 DecodeEnvironment{{}, gate.hook()});
    });
    ASSERT_TRUE(gate.waitReached());
    EXPECT_EQ(job.state.load(), PlivornState::Running);
    EXPECT_GT(job.progress.load(), 0);
    job.cancel = 1;
    gate.release();
    worker.join();
    EXPECT_EQ(result, PlivornCode::Cancelled);
    EXPECT_EQ(job.state.load(), PlivornState::Cancelled);
    EXPECT_EQ(folderEntries(folder), QStringList{"tone.wma"});

    Job early;
    early.cancel = 1;
    EXPECT_EQ(Plivorn::ConvertWmaFileIntoWave(source, folder + "/out.wav", &early.cancel, &early.progress, &early.state),
              PlivornCode::Cancelled);
    EXPECT_EQ(early.state.load(), PlivornState::Cancelled);
    EXPECT_FALSE(QFile::exists(folder + "/out.wav"));
}

TEST(WmaToWave, MissingWordsChangeNothing)
{
    const QString folder = testsupport::testFolder();
    const QString source = wma(folder, 1);
    Job job;
    EXPECT_EQ(Plivorn::ConvertWmaFileIntoWave(source, folder + "/out.wav", nullptr, &job.progress, &job.state),
              PlivornCode::MissingWord);
    EXPECT_EQ(Plivorn::ConvertWmaFileIntoWave(source, folder + "/out.wav", &job.cancel, nullptr, &job.state),
              PlivornCode::MissingWord);
    EXPECT_EQ(Plivorn::ConvertWmaFileIntoWave(source, folder + "/out.wav", &job.cancel, &job.progress, nullptr),
              PlivornCode::MissingWord);
    EXPECT_EQ(job.state.load(), PlivornState::Running);
    EXPECT_FALSE(QFile::exists(folder + "/out.wav"));
}

TEST(WmaToWave, FileInfoBlockHoldsBitRateLengthAndName)
{
    const QString folder = testsupport::testFolder();
    const QString source = wma(folder, 3.3);
    const QJsonObject probe = codecfixtures::ffprobe(source);
    WmaFileInfo info;
    ASSERT_EQ(Plivorn::GetFileInfo(source, &info), PlivornCode::Ok);

    // The callers read the block by byte offsets.
    uint8_t raw[sizeof info];
    std::memcpy(raw, &info, sizeof info);
    auto u32At = [&](int offset) {
        uint32_t value;
        std::memcpy(&value, raw + offset, 4);
        return value;
    };
    EXPECT_EQ(int64_t(u32At(0)), probe.value("stream").toObject().value("bit_rate").toString().toLongLong());
    EXPECT_EQ(int64_t(u32At(8)), probedMs(probe));
    EXPECT_EQ(QString::fromUtf8(reinterpret_cast<const char*>(raw + 1040)), source);
    EXPECT_EQ(QString::fromUtf8(info.codecName), "WMA Version 2");
    EXPECT_EQ(QString::fromUtf8(info.formatName), "128 kbit/s, 44100 Hz, stereo");
    EXPECT_EQ(info.samplesPerSec, 44100u);
    EXPECT_EQ(info.channels, 2);
}

TEST(WmaToWave, FileInfoOfAnUnreadableFileKeepsOnlyItsNameCutOnACharacterBoundary)
{
    const QString folder = testsupport::testFolder();
    // 2-byte characters: 259 bytes of room end in the middle of one.
    const QString name = folder + "/" + QString(200, QChar(0x00E9)) + ".wma";
    WmaFileInfo info;
    info.bitRate = 1;
    EXPECT_EQ(Plivorn::GetFileInfo(name, &info), PlivornCode::CannotOpenInput);
    EXPECT_EQ(info.bitRate, 0u);
    EXPECT_EQ(info.durationMs, 0u);
    const QByteArray stored(info.fileName);
    EXPECT_LE(stored.size(), 259);
    EXPECT_TRUE(name.toUtf8().startsWith(stored));
    EXPECT_EQ(QString::fromUtf8(stored).toUtf8(), stored) << "a character was cut in half";
    EXPECT_EQ(Plivorn::GetFileInfo(name, nullptr), PlivornCode::MissingWord);
}

TEST(WmaToWave, Mp3DurationCountsTheDecodedFrames)
{
    const QString folder = testsupport::testFolder();
    const QString tagged = mp3(folder, 3.7);
    // Without the encoder's information frame the header states no length and no gapless trim.
    const QString plain = folder + "/plain.mp3";
    testsupport::runSox({"-n", "-r", "44100", "-c", "2", "-b", "16", folder + "/plain.wav", "synth", "2.3", "sine", "500"});
    ASSERT_EQ(testsupport::runTool("lame", {"--quiet", "-t", "-b", "128", folder + "/plain.wav", plain}).exitCode, 0);
    for (const QString& file : {tagged, plain}) {
        SCOPED_TRACE(file.toStdString());
        const int64_t frames = ffmpegDecode(file).size() / 4;
        EXPECT_EQ(int64_t(Plivorn::GetMP3FileDuration(file)), qRound64(frames * 1000.0 / 44100));
    }
    EXPECT_EQ(Plivorn::GetMP3FileDuration(wma(folder, 1)), 0u);
}

TEST(VorbisToWave, LengthIsFfprobesAndOnlyVorbisConverts)
{
    const QString folder = testsupport::testFolder();
    const QString source = ogg(folder, 2.5);
    EXPECT_DOUBLE_EQ(VXVorbisToWav::GetLengthOfVorbisFile(source),
                     codecfixtures::ffprobe(source).value("format").toObject().value("duration").toString().toDouble());
    EXPECT_DOUBLE_EQ(VXVorbisToWav::GetLengthOfVorbisFile(source), 2.5);
    const QString mp3File = mp3(folder, 1);
    EXPECT_EQ(VXVorbisToWav::GetLengthOfVorbisFile(mp3File), -1);
    EXPECT_EQ(VXVorbisToWav::GetLengthOfVorbisFile(folder + "/missing.ogg"), -1);

    EXPECT_EQ(VXVorbisToWav::ConvertVorbisFileIntoWave(mp3File, folder + "/out.wav").status, DecodeStatus::NotAudio);
    EXPECT_FALSE(QFile::exists(folder + "/out.wav"));
    const DecodeOutcome outcome = VXVorbisToWav::ConvertVorbisFileIntoWave(source, folder + "/out.wav");
    ASSERT_EQ(outcome.status, DecodeStatus::Ok);
    const codecfixtures::Comparison c = compareWithReference(folder + "/out.wav", ffmpegDecode(source));
    EXPECT_EQ(c.frames, c.referenceFrames);
    EXPECT_EQ(c.maxDiff, 0);
}

} // namespace
