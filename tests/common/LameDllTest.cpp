// WAV to MP3 through the build's encoder library: which rates the probe lets through, what the
// encoding loop writes (read back by ffprobe), and that no failure leaves a file under the MP3's
// name or changes one that was there.
#include "common/Lame_dll.h"

#include "platform/base/ProgramFolder.h"
#include "tests/platform/codecs/EncodeSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <thread>


namespace {

class LameDllTest : public ::testing::Test {
protected:
    QString folder = testsupport::testFolder();
    platform::ProgramFolderOverride programFolder{encodetest::programBin()};

    QString tone(int rate, int bits, int channels, double seconds = 1.0)
    {
        const QString path = QStringLiteral("%1/tone-%2-%3-%4.wav").arg(folder).arg(rate).arg(bits).arg(channels);
        EXPECT_FALSE(encodetest::toneWave(path, rate, bits, channels, seconds).isEmpty());
        return path;
    }
};

TEST_F(LameDllTest, ProbeLetsThroughWhatTheEncoderTakes)
{
    ASSERT_TRUE(IsLameEncoderPresent());
    const struct {
        int rate, bits, channels, kbps;
        bool supported;
    } cases[] = {
        {44100, 16, 2, 24, false},  {44100, 16, 2, 32, true},   {44100, 16, 2, 320, true},
        {48000, 16, 1, 20, false},  {32000, 16, 2, 24, false},   {22050, 16, 1, 160, true},
        {22050, 16, 1, 192, false}, {8000, 8, 1, 32, true},     {8000, 8, 1, 20, false},
        {11025, 16, 2, 64, true},   {44100, 24, 2, 128, false}, {44100, 16, 2, 330, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz " << c.bits << " bits " << c.channels << " ch @ " << c.kbps);
        bool supported = !c.supported;
        EXPECT_EQ(IsLameBitrateSupported(tone(c.rate, c.bits, c.channels, 0.1), c.kbps, &supported), LameProbe::Ok);
        EXPECT_EQ(supported, c.supported);
        EXPECT_EQ(LameAcceptsBitrate(c.kbps), c.supported);
    }
}

TEST_F(LameDllTest, ProbeOfFilesItCannotRead)
{
    testsupport::writeFile(folder + "/short.wav", "RIFF\x04\0\0\0WA");
    const struct {
        QString file;
        int code;
    } cases[] = {{folder + "/absent.wav", LameProbe::NotOpened}, {folder + "/short.wav", LameProbe::FileReadError}};
    for (const auto& c : cases) {
        bool supported = true;
        EXPECT_EQ(IsLameBitrateSupported(c.file, 128, &supported), c.code) << c.file.toStdString();
        EXPECT_FALSE(supported);
    }
}

TEST_F(LameDllTest, EncodesWhatFfprobeReadsBack)
{
    const struct {
        int rate, bits, channels, kbps;
        int code;
    } cases[] = {
        {44100, 16, 2, 128, LameCode::Ok},
        {22050, 8, 1, 64, LameCode::Ok},
        {8000, 16, 1, 32, LameCode::Ok},
        {22050, 16, 1, 192, LameCode::BitRateTooHigh},
        {44100, 16, 2, 24, LameCode::Refused},
        {44100, 24, 2, 128, LameCode::NotPcm},
        {22050, 24, 1, 192, LameCode::NotPcm},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz " << c.bits << " bits " << c.channels << " ch @ " << c.kbps);
        const QString mp3 = folder + "/out.mp3";
        QFile::remove(mp3);
        Mp3EncodeWords words;
        EXPECT_EQ(EncodeWaveToMp3(tone(c.rate, c.bits, c.channels), mp3, c.kbps, &words), c.code);
        if (c.code != LameCode::Ok) {
            EXPECT_FALSE(QFile::exists(mp3));
            continue;
        }
        EXPECT_EQ(words.percent.load(), 100);
        const auto info = encodetest::probe(mp3);
        EXPECT_EQ(info.value("streams.stream.0.codec_name"), "mp3");
        EXPECT_EQ(info.value("streams.stream.0.channels").toInt(), c.channels);
        EXPECT_EQ(info.value("streams.stream.0.sample_rate").toInt(), c.rate);
        EXPECT_EQ(info.value("streams.stream.0.bit_rate").toInt(), c.kbps * 1000);
        // The encoder's delay and the padding of the last frame come on top.
        const double duration = info.value("format.duration").toDouble();
        EXPECT_GE(duration, 0.99);
        EXPECT_LE(duration, 1.0 + (1105.0 + 2 * (c.rate >= 32000 ? 1152 : 576)) / c.rate);
    }
    EXPECT_EQ(encodetest::folderEntries(folder).find(".out.mp3"), std::string::npos)
        << encodetest::folderEntries(folder);
}

// A failed or stopped encoding leaves an MP3 that was there as it was, and no other file behind.
TEST_F(LameDllTest, FailuresLeaveTheTargetAlone)
{
    const QString wave = tone(44100, 16, 2);
    testsupport::writeFile(folder + "/noise.wav", QByteArray(100, 'x'));
    const QString mp3 = folder + "/kept.mp3";
    testsupport::writeFile(mp3, "the user's old file");
    const QByteArray before = testsupport::hashOf(mp3);

    const struct {
        const char* what;
        QString wave;
        bool abortFirst;
        int code;
    } cases[] = {
        {"missing source", folder + "/absent.wav", false, LameCode::WaveMissing},
        {"no WAV", folder + "/noise.wav", false, LameCode::NotPcm},
        {"stopped", wave, true, LameCode::Aborted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Mp3EncodeWords words;
        words.abort = c.abortFirst;
        EXPECT_EQ(EncodeWaveToMp3(c.wave, mp3, 128, &words), c.code);
        EXPECT_EQ(testsupport::hashOf(mp3), before);
    }
    EXPECT_EQ(encodetest::folderEntries(folder), "kept.mp3 noise.wav tone-44100-16-2.wav");
}

// A stop asked from another thread while the loop runs (as the dialog asks it) ends the encoding
// part of the way, with nothing left behind.
TEST_F(LameDllTest, StopFromAnotherThreadWhileEncoding)
{
    const QString wave = tone(44100, 16, 2, 20.0);
    const QString mp3 = folder + "/stopped.mp3";
    Mp3EncodeWords words;
    int result = -1;
    std::thread worker([&] { result = EncodeWaveToMp3(wave, mp3, 128, &words); });
    while (words.percent.load() == 0)
        std::this_thread::yield();
    words.abort = true;
    worker.join();
    EXPECT_EQ(result, LameCode::Aborted);
    EXPECT_LT(words.percent.load(), 100);
    EXPECT_EQ(encodetest::folderEntries(folder), "tone-44100-16-2.wav");
}

TEST_F(LameDllTest, UnwritableFolderAndMissingLibrary)
{
    const QString wave = tone(44100, 16, 1);
    // Tests may run with every permission, so the folder that takes no file is one that is a file.
    const QString notAFolder = folder + "/file";
    testsupport::writeFile(notAFolder, "x");
    EXPECT_EQ(EncodeWaveToMp3(wave, notAFolder + "/out.mp3", 128), LameCode::CannotCreate);

    const QString empty = folder + "/empty";
    ASSERT_TRUE(QDir().mkpath(empty));
    platform::ProgramFolderOverride noEncoder(empty);
    EXPECT_FALSE(IsLameEncoderPresent());
    bool supported = true;
    EXPECT_EQ(IsLameBitrateSupported(wave, 128, &supported), LameProbe::Ok);
    EXPECT_FALSE(supported);
    EXPECT_EQ(EncodeWaveToMp3(wave, folder + "/out.mp3", 128), LameCode::NoLibrary);
    EXPECT_FALSE(QFile::exists(folder + "/out.mp3"));
}

} // namespace
