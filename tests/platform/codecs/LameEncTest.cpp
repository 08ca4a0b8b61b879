// The encoder library liblame_enc.so, loaded from the build's program folder as the programs load
// it, driven through its four calls, its MP3 output read by ffprobe, ffmpeg and sox.
#include "platform/codecs/LameEncoderLibrary.h"

#include "common/WaveRead.h"
#include "tests/platform/codecs/EncodeSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cmath>
#include <cstring>
#include <link.h>
#include <functional>
#include <vector>

using namespace platform::codecs;

namespace {

// The delay libmp3lame puts in front (its own 576 samples plus the decoder's 529).
constexpr int64_t kCodecDelay = 576 + 529;

// Samples an MP3 frame holds: 1,152 for MPEG-1 (32 kHz and up), 576 below.
int64_t frameSamples(int rate)
{
    return rate >= 32000 ? 1152 : 576;
}

std::shared_ptr<LameEncoderLibrary> library()
{
    QString error;
    auto lib = LameEncoderLibrary::load(encodetest::programBin(), &error);
    EXPECT_TRUE(lib) << error.toStdString();
    return lib;
}

struct Encoded {
    uint32_t result = LAME_ENC_OK; // the first failing call's result
    QByteArray mp3;
};

// Encodes a WAV's samples as the programs do: blocks of samplesPerChunk x block align bytes (for
// stereo that is twice the reported sample count), or blocks of `values` samples when given.
Encoded encodeWave(LameEncoderLibrary& lib, const QString& wave, const LameEncConfig& config, uint32_t values = 0)
{
    Encoded out;
    TWaveReader reader;
    if (OpenWaveForRead(wave, reader) != WaveReadCode::Ok) {
        ADD_FAILURE() << "cannot read " << wave.toStdString();
        return out;
    }
    uint32_t samplesPerChunk = 0, bufferSize = 0;
    LameEncStream stream = 0;
    out.result = lib.initStream(&config, &samplesPerChunk, &bufferSize, &stream);
    if (out.result != LAME_ENC_OK)
        return out;
    const uint32_t blockValues = values ? values : samplesPerChunk * reader.format.blockAlign / 2;
    std::vector<int16_t> samples(blockValues);
    std::vector<uint8_t> buffer(bufferSize);
    for (uint32_t left = reader.dataSize / 2; left > 0 && out.result == LAME_ENC_OK;) {
        const uint32_t count = std::min(left, blockValues);
        if (reader.handle->read(samples.data(), int64_t(count) * 2) != int64_t(count) * 2) {
            ADD_FAILURE() << "short read";
            break;
        }
        uint32_t written = 0;
        out.result = lib.encodeChunk(stream, count, samples.data(), buffer.data(), &written);
        out.mp3.append(reinterpret_cast<const char*>(buffer.data()), written);
        left -= count;
    }
    if (out.result == LAME_ENC_OK) {
        uint32_t written = 0;
        out.result = lib.deinitStream(stream, buffer.data(), &written);
        out.mp3.append(reinterpret_cast<const char*>(buffer.data()), written);
    }
    EXPECT_EQ(lib.closeStream(stream), uint32_t(LAME_ENC_OK));
    return out;
}

double decibels(double ratio)
{
    return 20 * std::log10(ratio);
}

// The file of a library loaded into this process whose name contains part.
QString loadedLibraryPath(const char* part)
{
    std::pair<const char*, QString> search{part, QString()};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* s = static_cast<std::pair<const char*, QString>*>(data);
            if (info->dlpi_name && std::strstr(info->dlpi_name, s->first))
                s->second = QString::fromLocal8Bit(info->dlpi_name);
            return 0;
        },
        &search);
    return search.second;
}

} // namespace

TEST(LameEncoderLibrary, LoadsOnlyACompleteEncoderFromTheGivenFolder)
{
    // (Loading the encoder brings libmp3lame in too.)
    const auto encoder = LameEncoderLibrary::load(encodetest::programBin());
    EXPECT_TRUE(encoder);

    const QString empty = testsupport::testFolder();
    QString error;
    EXPECT_FALSE(LameEncoderLibrary::load(empty, &error));
    EXPECT_FALSE(error.isEmpty());

    // A file of that name that is no library, and a library without the calls.
    const QString junk = testsupport::testFolder();
    testsupport::writeFile(junk + "/" + LameEncoderLibrary::fileName(), "not a library");
    EXPECT_FALSE(LameEncoderLibrary::load(junk));
    const QString other = testsupport::testFolder();
    const QString lame = loadedLibraryPath("libmp3lame");
    ASSERT_FALSE(lame.isEmpty());
    ASSERT_TRUE(QFile::copy(lame, other + "/" + LameEncoderLibrary::fileName()));
    EXPECT_FALSE(LameEncoderLibrary::load(other, &error));
    EXPECT_TRUE(error.contains("missing")) << error.toStdString();
}

struct EncodeCase {
    int rate;
    int channels;
    uint32_t kbps;
};

class LameEncodeTable : public testing::TestWithParam<EncodeCase> {};

TEST_P(LameEncodeTable, WholeAudioAtTheAskedRateWithCrcAndPrivateBits)
{
    const EncodeCase c = GetParam();
    auto lib = library();
    ASSERT_TRUE(lib);
    const QString folder = testsupport::testFolder();
    const double seconds = 1.3;
    const QString wave = encodetest::toneWave(folder + "/in.wav", c.rate, 16, c.channels, seconds);
    ASSERT_FALSE(wave.isEmpty());

    const Encoded encoded = encodeWave(*lib, wave, makeLameConfig(c.rate, uint16_t(c.channels), c.kbps));
    ASSERT_EQ(encoded.result, uint32_t(LAME_ENC_OK));
    const QString mp3 = folder + "/out.mp3";
    testsupport::writeFile(mp3, encoded.mp3);

    const auto info = encodetest::probe(mp3);
    EXPECT_EQ(info.value("format.format_name"), "mp3");
    EXPECT_EQ(info.value("streams.stream.0.codec_name"), "mp3");
    EXPECT_EQ(info.value("streams.stream.0.sample_rate").toInt(), c.rate);
    EXPECT_EQ(info.value("streams.stream.0.channels").toInt(), c.channels);
    EXPECT_EQ(info.value("streams.stream.0.bit_rate").toLongLong(), int64_t(c.kbps) * 1000);

    // The whole audio is there: after the codec's delay every input sample, then at most one
    // (MPEG-1) frame of padding.
    const int64_t inputFrames = std::llround(seconds * c.rate);
    const int64_t decodedFrames = info.value("streams.stream.0.nb_read_packets").toLongLong() * frameSamples(c.rate);
    EXPECT_GE(decodedFrames, inputFrames + kCodecDelay);
    EXPECT_LE(decodedFrames, inputFrames + kCodecDelay + 1152);

    // The tone comes back at its pitch and level.
    QString decoded;
    ASSERT_EQ(encodetest::decodeWithFfmpeg(mp3, &decoded), decodedFrames);
    const auto before = encodetest::soxStats(wave);
    const auto after = encodetest::soxStats(decoded);
    ASSERT_TRUE(before.ok && after.ok);
    EXPECT_NEAR(after.frequency, 1000, 30);
    // (The delay and the padding are silence: the tone's level is the RMS over the tone alone.)
    const double toneRms = after.rms * std::sqrt(double(decodedFrames) / double(inputFrames));
    EXPECT_NEAR(decibels(toneRms / before.rms), 0, 1.0);

    // Every frame header: CRC present (protection bit 0), private bit set, the rate's MPEG version.
    ASSERT_GE(encoded.mp3.size(), 4);
    const auto b1 = uint8_t(encoded.mp3[1]);
    const auto b2 = uint8_t(encoded.mp3[2]);
    EXPECT_EQ(uint8_t(encoded.mp3[0]), 0xFF);
    EXPECT_EQ(b1 & 0x01, 0);
    EXPECT_EQ(b2 & 0x01, 1);
    const int version = (b1 >> 3) & 3; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    EXPECT_EQ(version, c.rate >= 32000 ? 3 : c.rate >= 16000 ? 2 : 0);
}

INSTANTIATE_TEST_SUITE_P(Rates, LameEncodeTable,
                         testing::Values(EncodeCase{44100, 2, 128}, EncodeCase{44100, 1, 64}, EncodeCase{48000, 2, 320},
                                         EncodeCase{32000, 2, 96}, EncodeCase{22050, 1, 160}, EncodeCase{24000, 2, 64},
                                         EncodeCase{16000, 1, 32}, EncodeCase{11025, 1, 24}, EncodeCase{8000, 1, 32}));

TEST(LameEncoderLibrary, BlocksOfAnySizeGiveTheSameStream)
{
    // Stereo blocks that end between the two samples of a frame give the same MP3 bytes.
    auto lib = library();
    ASSERT_TRUE(lib);
    const QString wave = encodetest::toneWave(testsupport::testFolder() + "/in.wav", 44100, 16, 2, 0.7);
    const LameEncConfig config = makeLameConfig(44100, 2, 128);
    const Encoded whole = encodeWave(*lib, wave, config);
    ASSERT_EQ(whole.result, uint32_t(LAME_ENC_OK));
    for (uint32_t values : {1u, 1001u, 4607u}) {
        const Encoded odd = encodeWave(*lib, wave, config, values);
        ASSERT_EQ(odd.result, uint32_t(LAME_ENC_OK));
        EXPECT_TRUE(odd.mp3 == whole.mp3) << values << "-sample blocks";
    }
}

TEST(LameEncoderLibrary, VariableBitRateStaysWithinItsLimits)
{
    auto lib = library();
    ASSERT_TRUE(lib);
    const QString folder = testsupport::testFolder();
    const QString wave = encodetest::toneWave(folder + "/in.wav", 44100, 16, 2, 1.0);
    LameEncConfig config = makeLameConfig(44100, 2, 64);
    config.vbrFlag = -1;
    config.maxBitRate = 192;
    const Encoded encoded = encodeWave(*lib, wave, config);
    ASSERT_EQ(encoded.result, uint32_t(LAME_ENC_OK));
    testsupport::writeFile(folder + "/out.mp3", encoded.mp3);
    const auto info = encodetest::probe(folder + "/out.mp3");
    EXPECT_EQ(info.value("streams.stream.0.codec_name"), "mp3");
    const int64_t rate = info.value("format.bit_rate").toLongLong();
    EXPECT_GE(rate, 64000);
    EXPECT_LE(rate, 192000);
}

struct RecordCase {
    const char* what;
    std::function<void(LameEncConfig&)> change;
    uint32_t expected;
};

TEST(LameEncoderLibrary, RefusesRecordsItCannotHonour)
{
    auto lib = library();
    ASSERT_TRUE(lib);
    const RecordCase cases[] = {
        {"the configuration as the programs pass it", [](LameEncConfig&) {}, LAME_ENC_OK},
        {"another kind of record", [](LameEncConfig& c) { c.configKind = 255; }, LAME_ENC_BAD_RECORD},
        {"another version", [](LameEncConfig& c) { c.structVersion = 2; }, LAME_ENC_BAD_RECORD},
        {"another size", [](LameEncConfig& c) { c.structSize = 330; }, LAME_ENC_BAD_RECORD},
        {"a reserved byte set", [](LameEncConfig& c) { c.reserved[254] = 1; }, LAME_ENC_BAD_RECORD},
        {"sample rate 0", [](LameEncConfig& c) { c.sampleRate = 0; }, LAME_ENC_UNSUPPORTED},
        {"sample rate 7,999", [](LameEncConfig& c) { c.sampleRate = 7999; }, LAME_ENC_UNSUPPORTED},
        {"sample rate 4 GHz", [](LameEncConfig& c) { c.sampleRate = 4000000000u; }, LAME_ENC_UNSUPPORTED},
        {"a resample rate MP3 has not", [](LameEncConfig& c) { c.resampleRate = 12345; }, LAME_ENC_UNSUPPORTED},
        {"resampled to 22,050 Hz", [](LameEncConfig& c) { c.resampleRate = 22050; }, LAME_ENC_OK},
        {"bit rate 0", [](LameEncConfig& c) { c.bitRate = 0; }, LAME_ENC_UNSUPPORTED},
        {"bit rate 20", [](LameEncConfig& c) { c.bitRate = 20; }, LAME_ENC_UNSUPPORTED},
        {"bit rate 24 at 44,100 Hz", [](LameEncConfig& c) { c.bitRate = 24; }, LAME_ENC_UNSUPPORTED},
        {"bit rate 32 at 44,100 Hz", [](LameEncConfig& c) { c.bitRate = 32; }, LAME_ENC_OK},
        {"bit rate 999", [](LameEncConfig& c) { c.bitRate = 999; }, LAME_ENC_UNSUPPORTED},
        {"192 kbit/s at 22,050 Hz", [](LameEncConfig& c) { c.sampleRate = 22050; c.bitRate = 192; }, LAME_ENC_UNSUPPORTED},
        {"160 kbit/s at 22,050 Hz", [](LameEncConfig& c) { c.sampleRate = 22050; c.bitRate = 160; }, LAME_ENC_OK},
        {"96 kbit/s at 8,000 Hz", [](LameEncConfig& c) { c.sampleRate = 8000; c.bitRate = 96; }, LAME_ENC_UNSUPPORTED},
        {"a maximum rate MP3 has not", [](LameEncConfig& c) { c.maxBitRate = 1000; }, LAME_ENC_UNSUPPORTED},
        {"VBR with its maximum below its minimum",
         [](LameEncConfig& c) { c.vbrFlag = -1; c.maxBitRate = 64; }, LAME_ENC_UNSUPPORTED},
        {"mode dual channel", [](LameEncConfig& c) { c.mode = 2; }, LAME_ENC_UNSUPPORTED},
        {"mode -5", [](LameEncConfig& c) { c.mode = -5; }, LAME_ENC_UNSUPPORTED},
        {"joint stereo", [](LameEncConfig& c) { c.mode = LAME_ENC_MODE_JOINT_STEREO; }, LAME_ENC_OK},
        {"preset 3", [](LameEncConfig& c) { c.preset = 3; }, LAME_ENC_UNSUPPORTED},
        {"preset -2", [](LameEncConfig& c) { c.preset = -2; }, LAME_ENC_UNSUPPORTED},
        {"MPEG version 2", [](LameEncConfig& c) { c.mpegVersion = 2; }, LAME_ENC_UNSUPPORTED},
        {"psychoacoustic model 1", [](LameEncConfig& c) { c.psychoModel = 1; }, LAME_ENC_UNSUPPORTED},
        {"emphasis 2", [](LameEncConfig& c) { c.emphasis = 2; }, LAME_ENC_UNSUPPORTED},
        {"emphasis 3", [](LameEncConfig& c) { c.emphasis = 3; }, LAME_ENC_OK},
        {"VBR quality 10", [](LameEncConfig& c) { c.vbrQuality = 10; }, LAME_ENC_UNSUPPORTED},
        {"VBR quality -1", [](LameEncConfig& c) { c.vbrQuality = -1; }, LAME_ENC_UNSUPPORTED},
    };
    for (const RecordCase& c : cases) {
        LameEncConfig config = makeLameConfig(44100, 2, 128);
        c.change(config);
        uint32_t samples = 99, size = 99;
        LameEncStream stream = 99;
        EXPECT_EQ(lib->initStream(&config, &samples, &size, &stream), c.expected) << c.what;
        if (c.expected == LAME_ENC_OK) {
            EXPECT_NE(stream, 0u) << c.what;
            EXPECT_GT(samples, 0u) << c.what;
            EXPECT_GE(size, 7200u) << c.what;
            EXPECT_EQ(lib->closeStream(stream), uint32_t(LAME_ENC_OK)) << c.what;
        } else {
            EXPECT_EQ(stream, 0u) << c.what;
        }
    }
    const LameEncConfig config = makeLameConfig(44100, 2, 128);
    uint32_t samples = 0, size = 0;
    LameEncStream stream = 0;
    EXPECT_EQ(lib->initStream(nullptr, &samples, &size, &stream), uint32_t(LAME_ENC_BAD_ARGUMENT));
    EXPECT_EQ(lib->initStream(&config, nullptr, &size, &stream), uint32_t(LAME_ENC_BAD_ARGUMENT));
    EXPECT_EQ(lib->initStream(&config, &samples, &size, nullptr), uint32_t(LAME_ENC_BAD_ARGUMENT));
}

TEST(LameEncoderLibrary, StreamCallsOutOfOrderAreRefused)
{
    auto lib = library();
    ASSERT_TRUE(lib);
    const LameEncConfig config = makeLameConfig(44100, 2, 128);
    uint32_t samplesPerChunk = 0, size = 0;
    LameEncStream stream = 0;
    ASSERT_EQ(lib->initStream(&config, &samplesPerChunk, &size, &stream), uint32_t(LAME_ENC_OK));
    std::vector<int16_t> samples(2 * samplesPerChunk + 2, 1000);
    std::vector<uint8_t> out(size);
    uint32_t written = 0;

    EXPECT_EQ(lib->encodeChunk(0, 10, samples.data(), out.data(), &written), uint32_t(LAME_ENC_BAD_STREAM));
    EXPECT_EQ(lib->encodeChunk(stream + 1000, 10, samples.data(), out.data(), &written), uint32_t(LAME_ENC_BAD_STREAM));
    EXPECT_EQ(lib->encodeChunk(stream, 2 * samplesPerChunk + 2, samples.data(), out.data(), &written),
              uint32_t(LAME_ENC_BAD_ARGUMENT));
    EXPECT_EQ(lib->encodeChunk(stream, 10, nullptr, out.data(), &written), uint32_t(LAME_ENC_BAD_ARGUMENT));
    EXPECT_EQ(lib->encodeChunk(stream, 10, samples.data(), nullptr, &written), uint32_t(LAME_ENC_BAD_ARGUMENT));
    EXPECT_EQ(lib->encodeChunk(stream, 2 * samplesPerChunk, samples.data(), out.data(), &written),
              uint32_t(LAME_ENC_OK));
    EXPECT_LE(written, size);

    EXPECT_EQ(lib->deinitStream(stream, out.data(), &written), uint32_t(LAME_ENC_OK));
    EXPECT_GT(written, 0u);
    EXPECT_EQ(lib->encodeChunk(stream, 10, samples.data(), out.data(), &written), uint32_t(LAME_ENC_FINISHED));
    EXPECT_EQ(lib->deinitStream(stream, out.data(), &written), uint32_t(LAME_ENC_FINISHED));
    EXPECT_EQ(lib->closeStream(stream), uint32_t(LAME_ENC_OK));
    EXPECT_EQ(lib->closeStream(stream), uint32_t(LAME_ENC_BAD_STREAM));
    EXPECT_EQ(lib->deinitStream(stream, out.data(), &written), uint32_t(LAME_ENC_BAD_STREAM));
}
