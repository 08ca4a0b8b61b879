// The WMA encoder library: its encoder and format lists for sox-made sources, every listed format
// converted and read back by ffprobe, and the failures of its error table.
#include "platform/codecs/Ostrefa.h"

#include "tests/platform/codecs/EncodeSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>


using namespace platform::codecs;

namespace {

struct Job {
    std::atomic<int32_t> progress{-1};
    std::atomic<int32_t> state{WmaState::Idle};
    std::atomic<int32_t> cancel{0};
    std::atomic<int32_t> error{-1};
};

int convert(WmaEncoderLibrary& lib, const QString& source, const QString& target, int format, const QString& encoder,
            Job& job)
{
    return lib.ConvertFileToWMA(source, target, format, encoder, &job.progress, &job.state, &job.cancel, &job.error);
}

std::unique_ptr<WmaEncoderLibrary> library()
{
    auto lib = loadWmaEncoderLibrary();
    EXPECT_TRUE(lib);
    return lib;
}

QStringList encoders(WmaEncoderLibrary& lib)
{
    int count = 0;
    EXPECT_EQ(lib.GetNumEncodersSupported(&count), WmaCode::Ok);
    QStringList names;
    for (int i = 0; i < count; ++i) {
        QString name;
        EXPECT_EQ(lib.GetEncoderDetail(i, &name), WmaCode::Ok);
        names << name;
    }
    return names;
}

QStringList formats(WmaEncoderLibrary& lib, const QString& encoder, const WaveFormatEx& source)
{
    int count = -1;
    EXPECT_EQ(lib.GetNumDestFormatsSupported(encoder, source, &count), WmaCode::Ok);
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        QString text;
        EXPECT_EQ(lib.GetDestFormatDetail(encoder, source, i, &text), WmaCode::Ok);
        EXPECT_LE(text.size(), kWmaTextLimit);
        texts << text;
    }
    return texts;
}

struct ParsedFormat {
    int kbps = 0;
    int rate = 0;
    int channels = 0;
};

ParsedFormat parse(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d+) kbit/s, (\\d+) Hz, (mono|stereo)$"));
    const auto match = pattern.match(text);
    EXPECT_TRUE(match.hasMatch()) << text.toStdString();
    return {match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3) == "mono" ? 1 : 2};
}

} // namespace

TEST(WmaEncoder, ListsBothEncodersTheBetterOneLast)
{
    auto lib = library();
    ASSERT_TRUE(lib);
    EXPECT_EQ(encoders(*lib), (QStringList{"WMA Version 1", "WMA Version 2"}));
    QString name;
    EXPECT_EQ(lib->GetEncoderDetail(-1, &name), WmaCode::CodecNotAvailable);
    EXPECT_EQ(lib->GetEncoderDetail(2, &name), WmaCode::CodecNotAvailable);
    int count = 0;
    EXPECT_EQ(lib->GetNumDestFormatsSupported("MP3", makePcmFormat(44100, 16, 2), &count), WmaCode::CodecNotAvailable);
    EXPECT_EQ(lib->GetDestFormatDetail("wma version 2", makePcmFormat(44100, 16, 2), 0, &name), WmaCode::Ok);
}

TEST(WmaEncoder, FormatsFollowTheSourceAndEndWithTheBest)
{
    auto lib = library();
    ASSERT_TRUE(lib);
    WaveFormatEx adpcm = makePcmFormat(44100, 4, 2);
    adpcm.formatTag = 17;
    struct Case {
        WaveFormatEx source;
        int count;
        const char* last;
    };
    const Case cases[] = {
        {makePcmFormat(44100, 16, 2), 21, "320 kbit/s, 44100 Hz, stereo"},
        {makePcmFormat(48000, 24, 2), 22, "320 kbit/s, 48000 Hz, stereo"},
        {makePcmFormat(22050, 16, 1), 6, "80 kbit/s, 22050 Hz, mono"},
        {makePcmFormat(8000, 8, 1), 2, "32 kbit/s, 8000 Hz, mono"},
        {makePcmFormat(96000, 16, 2), 0, nullptr},
        {makePcmFormat(44100, 16, 6), 0, nullptr},
        {adpcm, 0, nullptr},
    };
    for (const QString& encoder : encoders(*lib)) {
        for (const Case& c : cases) {
            const QStringList texts = formats(*lib, encoder, c.source);
            EXPECT_EQ(texts.size(), c.count) << c.source.samplesPerSec << " " << c.source.channels;
            if (!c.last)
                continue;
            EXPECT_EQ(texts.value(texts.size() - 1), c.last);
            int previous = 0;
            for (const QString& text : texts) {
                const ParsedFormat f = parse(text);
                EXPECT_EQ(f.rate, int(c.source.samplesPerSec));
                EXPECT_LE(f.channels, c.source.channels);
                EXPECT_GE(f.kbps, 24);
                EXPECT_GE(f.kbps * 1000 * 2 + f.channels, previous) << "not ordered: " << text.toStdString();
                previous = f.kbps * 1000 * 2 + f.channels;
            }
            QString text;
            EXPECT_EQ(lib->GetDestFormatDetail(encoder, c.source, c.count, &text), WmaCode::FormatNotSupported);
        }
    }
}

struct SourceCase {
    int encoder; // index in the encoder list
    int rate;
    int bits;
    int channels;
};

class WmaEveryFormat : public testing::TestWithParam<SourceCase> {};

TEST_P(WmaEveryFormat, ConvertsAndReadsBackAsListed)
{
    const SourceCase c = GetParam();
    auto lib = library();
    ASSERT_TRUE(lib);
    const QString folder = testsupport::testFolder();
    const double seconds = 0.3;
    const QString source = encodetest::toneWave(folder + "/in.wav", c.rate, c.bits, c.channels, seconds);
    const QString encoder = encoders(*lib).value(c.encoder);
    const QString codec = c.encoder == 0 ? "wmav1" : "wmav2";
    const QStringList texts = formats(*lib, encoder, makePcmFormat(c.rate, uint16_t(c.bits), uint16_t(c.channels)));
    ASSERT_FALSE(texts.isEmpty());
    for (int i = 0; i < texts.size(); ++i) {
        const std::string what = texts[i].toStdString();
        const ParsedFormat f = parse(texts[i]);
        const QString target = folder + "/out.wma";
        Job job;
        ASSERT_EQ(convert(*lib, source, target, i, encoder, job), WmaCode::Ok) << what;
        EXPECT_EQ(job.state.load(), WmaState::Finished) << what;
        EXPECT_EQ(job.progress.load(), 100) << what;
        EXPECT_EQ(job.error.load(), WmaCode::Ok) << what;
        const auto info = encodetest::probe(target);
        EXPECT_EQ(info.value("format.format_name"), "asf") << what;
        EXPECT_EQ(info.value("streams.stream.0.codec_name"), codec) << what;
        EXPECT_EQ(info.value("streams.stream.0.sample_rate").toInt(), f.rate) << what;
        EXPECT_EQ(info.value("streams.stream.0.channels").toInt(), f.channels) << what;
        EXPECT_EQ(info.value("streams.stream.0.bit_rate").toInt(), f.kbps * 1000) << what;
        EXPECT_NEAR(info.value("format.duration").toDouble(), seconds, 0.1) << what;
        if (i + 1 == texts.size()) {
            // The best format still sounds like the source.
            QString decoded;
            ASSERT_GT(encodetest::decodeWithFfmpeg(target, &decoded), 0);
            EXPECT_NEAR(encodetest::soxStats(decoded).frequency, 1000, 30) << what;
        }
        ASSERT_TRUE(QFile::remove(target));
    }
}

INSTANTIATE_TEST_SUITE_P(Sources, WmaEveryFormat,
                         testing::Values(SourceCase{0, 44100, 16, 2}, SourceCase{0, 48000, 24, 2},
                                         SourceCase{0, 22050, 16, 1}, SourceCase{0, 8000, 8, 1},
                                         SourceCase{1, 44100, 16, 2}, SourceCase{1, 48000, 24, 2},
                                         SourceCase{1, 22050, 16, 1}, SourceCase{1, 8000, 8, 1}));

TEST(WmaEncoder, FailuresGiveTheirCodeAndNoOutput)
{
    auto lib = library();
    ASSERT_TRUE(lib);
    const QString folder = testsupport::testFolder();
    const QString good = encodetest::toneWave(folder + "/good.wav", 44100, 16, 2, 0.5);
    const QString garbage = folder + "/garbage.wav";
    testsupport::writeFile(garbage, wavefixtures::riff("WAVE", "junkjunkjunkjunk"));
    const QString adpcm = folder + "/adpcm.wav";
    testsupport::writeFile(adpcm, wavefixtures::pcmWave(wavefixtures::waveFormat(17, 1, 8000, 4, 256), QByteArray(512, 1)));
    const QString surround = folder + "/surround.wav";
    testsupport::writeFile(surround, wavefixtures::pcmWave(makePcmFormat(44100, 16, 6), QByteArray(1200, 0)));
    struct Case {
        const char* what;
        QString source;
        QString target;
        int format;
        QString encoder;
        int code;
    };
    const QString out = folder + "/out.wma";
    const Case cases[] = {
        {"a missing source", folder + "/missing.wav", out, 0, "WMA Version 2", WmaCode::FileInUse},
        {"a folder as source", folder, out, 0, "WMA Version 2", WmaCode::FileInUse},
        {"a damaged WAV", garbage, out, 0, "WMA Version 2", WmaCode::NoFormat},
        {"a compressed WAV", adpcm, out, 0, "WMA Version 2", WmaCode::NoFormat},
        {"six channels", surround, out, 0, "WMA Version 2", WmaCode::NoFormat},
        {"a format index past the list", good, out, 21, "WMA Version 2", WmaCode::FormatNotSupported},
        {"a negative format index", good, out, -1, "WMA Version 2", WmaCode::FormatNotSupported},
        {"an unknown encoder", good, out, 0, "WMA Lossless", WmaCode::CodecNotAvailable},
        {"a target in a missing folder", good, folder + "/no/out.wma", 0, "WMA Version 2", WmaCode::FileInUse},
    };
    const std::string before = encodetest::folderEntries(folder);
    for (const Case& c : cases) {
        Job job;
        EXPECT_EQ(convert(*lib, c.source, c.target, c.format, c.encoder, job), c.code) << c.what;
        EXPECT_EQ(job.state.load(), WmaState::Failed) << c.what;
        EXPECT_EQ(job.error.load(), c.code) << c.what;
        EXPECT_EQ(encodetest::folderEntries(folder), before) << c.what;
    }

    // A disk that fills up during the conversion: the old target stays as it was.
    testsupport::writeFile(out, "the previous export");
    {
        wavefixtures::FileSizeLimit limit(10000);
        Job job;
        EXPECT_EQ(convert(*lib, good, out, 20, "WMA Version 2", job), WmaCode::WriteError);
        EXPECT_EQ(job.state.load(), WmaState::Failed);
    }
    EXPECT_EQ(testsupport::readFile(out), "the previous export");
    EXPECT_EQ(encodetest::folderEntries(folder), "adpcm.wav garbage.wav good.wav out.wma surround.wav");
}

TEST(WmaEncoder, TruncatedSourceConvertsWhatIsThere)
{
    auto lib = library();
    ASSERT_TRUE(lib);
    const QString folder = testsupport::testFolder();
    const QString wave = encodetest::toneWave(folder + "/in.wav", 44100, 16, 2, 2.0);
    QByteArray bytes = testsupport::readFile(wave);
    bytes.chop(bytes.size() / 2 + 3);
    testsupport::writeFile(wave, bytes);
    Job job;
    ASSERT_EQ(convert(*lib, wave, folder + "/out.wma", 0, "WMA Version 2", job), WmaCode::Ok);
    EXPECT_NEAR(encodetest::probe(folder + "/out.wma").value("format.duration").toDouble(), 1.0, 0.1);
}
