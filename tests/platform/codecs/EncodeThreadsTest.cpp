// The encoders used from several threads: streams of the encoder library side by side, the
// wrapper's library switched while conversions run, and a WMA conversion cancelled from another
// thread.
#include "platform/codecs/Kestrune.h"
#include "platform/codecs/LameEncoderLibrary.h"
#include "platform/codecs/Ostrefa.h"

#include "tests/platform/codecs/EncodeSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

using namespace platform::codecs;

namespace {

// Two seconds of a stereo tone, as 16-bit samples.
std::vector<int16_t> tone()
{
    std::vector<int16_t> samples(2 * 88200);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(12000 * std::sin(double(i / 2) * 2 * M_PI * 440 / 44100));
    return samples;
}

QByteArray encode(LameEncoderLibrary& lib, const std::vector<int16_t>& samples)
{
    const LameEncConfig config = makeLameConfig(44100, 2, 128);
    uint32_t perChunk = 0, size = 0;
    LameEncStream stream = 0;
    EXPECT_EQ(lib.initStream(&config, &perChunk, &size, &stream), uint32_t(LAME_ENC_OK));
    std::vector<uint8_t> out(size);
    QByteArray mp3;
    for (size_t at = 0; at < samples.size(); at += perChunk) {
        const uint32_t count = uint32_t(std::min<size_t>(perChunk, samples.size() - at));
        uint32_t written = 0;
        EXPECT_EQ(lib.encodeChunk(stream, count, samples.data() + at, out.data(), &written), uint32_t(LAME_ENC_OK));
        mp3.append(reinterpret_cast<const char*>(out.data()), written);
    }
    uint32_t written = 0;
    EXPECT_EQ(lib.deinitStream(stream, out.data(), &written), uint32_t(LAME_ENC_OK));
    mp3.append(reinterpret_cast<const char*>(out.data()), written);
    EXPECT_EQ(lib.closeStream(stream), uint32_t(LAME_ENC_OK));
    return mp3;
}

struct Job {
    std::atomic<int32_t> progress{0};
    std::atomic<int32_t> state{WmaState::Idle};
    std::atomic<int32_t> cancel{0};
    std::atomic<int32_t> error{-1};
};

} // namespace

TEST(EncodeThreads, LibraryStreamsOnSeveralThreadsStayApart)
{
    const auto lib = LameEncoderLibrary::load(encodetest::programBin());
    ASSERT_TRUE(lib);
    const std::vector<int16_t> samples = tone();
    const QByteArray alone = encode(*lib, samples);
    ASSERT_FALSE(alone.isEmpty());
    std::vector<QByteArray> results(4);
    std::vector<std::thread> threads;
    for (QByteArray& result : results)
        threads.emplace_back([&] { result = encode(*lib, samples); });
    for (std::thread& t : threads)
        t.join();
    for (const QByteArray& result : results)
        EXPECT_TRUE(result == alone);
}

TEST(EncodeThreads, WrapperConversionsSurviveTheLibraryBeingLookedForAgain)
{
    ASSERT_EQ(FindLAMEEncoder(encodetest::programBin()), KestruneCode::Ok);
    const WaveFormatEx format = makePcmFormat(44100, 16, 2);
    const std::vector<int16_t> samples = tone();
    std::atomic<bool> done{false};
    std::thread finder([&] {
        while (!done.load())
            FindLAMEEncoder(encodetest::programBin());
    });
    for (int i = 0; i < 3; ++i) {
        LameConversionHandle handle;
        ASSERT_EQ(InitLAMEWaveMP3Conversion(QString(), format, LameSettings{128, {}}, handle), KestruneCode::Ok);
        uint32_t outputSize = 0, inputSize = 0;
        ASSERT_EQ(GetSuggestedLengthOfBuffersForLame(LameSettings{128, {}}, format, &outputSize, &inputSize),
                  KestruneCode::Ok);
        std::vector<char> out(outputSize);
        uint32_t written = 0, total = 0;
        for (size_t at = 0; at < samples.size(); at += inputSize / 2) {
            const uint32_t bytes = uint32_t(std::min<size_t>(inputSize, (samples.size() - at) * 2));
            ASSERT_EQ(LAMEConvertWaveMP3(handle.get(), samples.data() + at, out.data(), bytes, &written),
                      KestruneCode::Ok);
            total += written;
        }
        ASSERT_EQ(LAMEFlushWaveMP3Conversion(handle.get(), out.data(), &written), KestruneCode::Ok);
        total += written;
        EXPECT_GT(total, 2 * 128000 / 8 * 9 / 10);
        UnInitLAMEWaveMP3Conversion(handle);
    }
    done = true;
    finder.join();
}

TEST(EncodeThreads, WmaConversionCancelledFromAnotherThreadLeavesTheOldTarget)
{
    auto lib = loadWmaEncoderLibrary();
    ASSERT_TRUE(lib);
    const QString folder = testsupport::testFolder();
    const QString wave = encodetest::toneWave(folder + "/in.wav", 44100, 16, 2, 60.0);
    const QString out = folder + "/out.wma";
    testsupport::writeFile(out, "the previous export");

    Job before;
    before.cancel = 1;
    EXPECT_EQ(lib->ConvertFileToWMA(wave, out, 0, "WMA Version 2", &before.progress, &before.state, &before.cancel,
                                    &before.error),
              WmaCode::Ok);
    EXPECT_EQ(before.state.load(), WmaState::Cancelled);

    Job job;
    std::thread canceller([&job] {
        while (job.progress.load() < 1 && job.state.load() != WmaState::Finished)
            std::this_thread::yield();
        job.cancel = 1;
    });
    EXPECT_EQ(lib->ConvertFileToWMA(wave, out, 0, "WMA Version 2", &job.progress, &job.state, &job.cancel, &job.error),
              WmaCode::Ok);
    canceller.join();
    EXPECT_EQ(job.state.load(), WmaState::Cancelled);
    EXPECT_EQ(job.error.load(), WmaCode::Ok);
    EXPECT_LT(job.progress.load(), 100);
    EXPECT_EQ(testsupport::readFile(out), "the previous export");
    EXPECT_EQ(encodetest::folderEntries(folder), "in.wav out.wma");
}
