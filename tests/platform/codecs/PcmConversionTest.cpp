// The format library's polled AudioConvert process with its handle cell, and the format-choice
// dialog's decisions.

#include "platform/codecs/FormatChoice.h"
#include "platform/codecs/PcmConversion.h"
#include "platform/codecs/VXFmtHlp.h"

#include "tests/platform/codecs/CodecFixtures.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

using namespace platform::codecs;
using codecfixtures::compareWithReference;
using codecfixtures::ffmpegDecode;
using codecfixtures::folderEntries;
using codecfixtures::Gate;
using codecfixtures::soxTone;

namespace {

// Polls a process to its end the way the programs do, checking what every poll reports.
int pollToEnd(VXFmtHlp& library, uint32_t handle, std::vector<int>* progress = nullptr)
{
    while (!library.AudioConvertProcessIsOver(handle)) {
        const int percent = library.AudioConvertGetProcessProgress(handle);
        EXPECT_GE(percent, 0);
        EXPECT_LE(percent, 100);
        if (progress)
            progress->push_back(percent);
        EXPECT_EQ(library.AudioConvertGetReasonForProcessExit(handle), 0) << "an exit reason before the end";
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (progress)
        progress->push_back(library.AudioConvertGetProcessProgress(handle));
    return library.AudioConvertGetReasonForProcessExit(handle);
}

TEST(FormatProcess, ConvertsUnderPollingAndCloseClearsTheCell)
{
    const QString folder = testsupport::testFolder();
    const QString source = soxTone(folder + "/source.wav", 20, 44100, 2, {"-b", "16"});
    const WaveFormatEx target = makePcmFormat(22050, 8, 1);
    Gate gate;
    VXFmtHlp library(DecodeEnvironment{{}, gate.hook()});
    uint32_t cell = 0;
    ASSERT_EQ(library.AudioConvert(source, folder + "/out.wav", &target, &cell, 0), FmtCode::Ok);
    ASSERT_NE(cell, 0u);
    ASSERT_TRUE(gate.waitReached());
    EXPECT_EQ(library.AudioConvertProcessIsOver(cell), 0);
    EXPECT_GT(library.AudioConvertGetProcessProgress(cell), 0);
    EXPECT_LT(library.AudioConvertGetProcessProgress(cell), 100);
    gate.release();

    std::vector<int> progress;
    EXPECT_EQ(pollToEnd(library, cell, &progress), FmtCode::Ok);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 100);

    EXPECT_EQ(library.AudioConvertCloseHandle(&cell), FmtCode::Ok);
    EXPECT_EQ(cell, 0u);
    const codecfixtures::Comparison c = compareWithReference(folder + "/out.wav", ffmpegDecode(source, 8, 22050, 1));
    EXPECT_EQ(c.rate, 22050);
    EXPECT_EQ(c.bits, 8);
    EXPECT_EQ(c.channels, 1);
    EXPECT_EQ(c.frames, c.referenceFrames);
    EXPECT_EQ(c.maxDiff, 0);
}

TEST(FormatProcess, CancelEndsWith129AndNoOutput)
{
    const QString folder = testsupport::testFolder();
    const QString source = soxTone(folder + "/source.wav", 20, 44100, 2, {"-b", "16"});
    const QByteArray before = testsupport::readFile(source);
    const WaveFormatEx target = makePcmFormat(48000, 16, 2);
    Gate gate;
    VXFmtHlp library(DecodeEnvironment{{}, gate.hook()});
    uint32_t cell = 0;
    ASSERT_EQ(library.AudioConvert(source, folder + "/out.wav", &target, &cell, 0), FmtCode::Ok);
    ASSERT_TRUE(gate.waitReached());
    EXPECT_EQ(library.AudioConvertCancelPressed(cell), FmtCode::Ok);
    gate.release();
    EXPECT_EQ(pollToEnd(library, cell), FmtCode::Cancelled);
    EXPECT_EQ(library.AudioConvertCloseHandle(&cell), FmtCode::Ok);
    EXPECT_EQ(folderEntries(folder), QStringList{"source.wav"});
    EXPECT_EQ(testsupport::readFile(source), before);
}

TEST(FormatProcess, ClosingARunningProcessWaitsForItsEnd)
{
    const QString folder = testsupport::testFolder();
    const QString source = soxTone(folder + "/source.wav", 20, 44100, 2, {"-b", "16"});
    const WaveFormatEx target = makePcmFormat(44100, 16, 1);
    Gate gate;
    VXFmtHlp library(DecodeEnvironment{{}, gate.hook()});
    uint32_t cell = 0;
    ASSERT_EQ(library.AudioConvert(source, folder + "/out.wav", &target, &cell, 0), FmtCode::Ok);
    ASSERT_TRUE(gate.waitReached());
    std::thread opener([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        gate.release();
    });
    EXPECT_EQ(library.AudioConvertCloseHandle(&cell), FmtCode::Ok);
    EXPECT_EQ(cell, 0u);
    // Close returned only after the process wrote and put in place the whole file.
    EXPECT_EQ(wavefixtures::soxWaveInfo(folder + "/out.wav", false).frames, 20 * 44100);
    opener.join();
}

TEST(FormatProcess, StartFailuresGiveTheirCodeAndNoHandle)
{
    const QString folder = testsupport::testFolder();
    const QString source = soxTone(folder + "/source.wav", 0.5, 8000, 1, {"-b", "16"});
    testsupport::writeFile(folder + "/text.wav", "not a wave file at all");
    const WaveFormatEx good = makePcmFormat(8000, 16, 2);
    const WaveFormatEx bad = makePcmFormat(8000, 12, 2);
    VXFmtHlp library;
    struct Case {
        const char* name;
        QString source;
        QString target;
        const WaveFormatEx* format;
        int code;
    };
    const Case cases[] = {
        {"missing source", folder + "/missing.wav", folder + "/out.wav", &good, FmtCode::CannotOpenSource},
        {"not a wav", folder + "/text.wav", folder + "/out.wav", &good, FmtCode::NotWave},
        {"unsupported format", source, folder + "/out.wav", &bad, FmtCode::FormatNotSupported},
        {"no format", source, folder + "/out.wav", nullptr, FmtCode::InvalidHandle},
        {"target is the source", source, source, &good, FmtCode::CannotCreateTarget},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t cell = 77;
        EXPECT_EQ(library.AudioConvert(c.source, c.target, c.format, &cell, 0), c.code);
        EXPECT_EQ(cell, c.format ? 0u : 77u);
    }
    EXPECT_EQ(library.AudioConvert(source, folder + "/out.wav", &good, nullptr, 0), FmtCode::InvalidHandle);
    EXPECT_EQ(folderEntries(folder), (QStringList{"source.wav", "text.wav"}));
}

TEST(FormatProcess, UnknownHandlesAreOverAndRefused)
{
    VXFmtHlp library;
    EXPECT_EQ(library.AudioConvertProcessIsOver(5), 1);
    EXPECT_EQ(library.AudioConvertGetProcessProgress(5), 0);
    EXPECT_EQ(library.AudioConvertGetReasonForProcessExit(5), FmtCode::InvalidHandle);
    EXPECT_EQ(library.AudioConvertCancelPressed(5), FmtCode::InvalidHandle);
    uint32_t cell = 5;
    EXPECT_EQ(library.AudioConvertCloseHandle(&cell), FmtCode::InvalidHandle);
    EXPECT_EQ(cell, 0u);
    EXPECT_EQ(library.AudioConvertCloseHandle(&cell), FmtCode::Ok);
    EXPECT_EQ(library.AudioConvertCloseHandle(nullptr), FmtCode::InvalidHandle);
}

TEST(FormatChoiceContract, OffersPcmAtEveryRateBitsAndChannels)
{
    const FormatChoice plain(nullptr, nullptr, nullptr, 0);
    ASSERT_EQ(plain.formats().size(), FormatChoice::standardRates().size() * 4);
    EXPECT_EQ(plain.formats().first().text, "8,000 Hz, 8 Bit, Mono (8 KB/s)");
    EXPECT_EQ(plain.formats()[plain.selected()].text, "44,100 Hz, 16 Bit, Stereo (172 KB/s)");
    for (const FormatChoice::Entry& entry : plain.formats())
        EXPECT_TRUE(isSupportedPcmTarget(entry.format)) << entry.text.toStdString();

    // A source at a rate of its own is offered that rate too, in order.
    const WaveFormatEx source = makePcmFormat(37800, 16, 1);
    const FormatChoice withSource(&source, nullptr, nullptr, 0);
    ASSERT_EQ(withSource.formats().size(), plain.formats().size() + 4);
    EXPECT_EQ(withSource.formats()[withSource.selected()].format, source);
    for (int i = 1; i < withSource.formats().size(); ++i)
        EXPECT_LE(withSource.formats()[i - 1].format.samplesPerSec, withSource.formats()[i].format.samplesPerSec);
}

TEST(FormatChoiceContract, StartsOnTheBufferThenTheSourceThenCdQuality)
{
    const WaveFormatEx source = makePcmFormat(22050, 8, 1);
    uint8_t buffer[kWaveFormatSize];
    serializeWaveFormat(makePcmFormat(11025, 16, 2), buffer);
    uint32_t size = kWaveFormatSize;
    uint8_t compressed[kWaveFormatSize];
    WaveFormatEx adpcm = makePcmFormat(11025, 4, 1);
    adpcm.formatTag = 0x11;
    serializeWaveFormat(adpcm, compressed);

    struct Case {
        const char* name;
        const WaveFormatEx* source;
        const uint8_t* buffer;
        uint32_t flags;
        WaveFormatEx expected;
    };
    const Case cases[] = {
        {"buffer", &source, buffer, kFormatChoiceStartWithBuffer, makePcmFormat(11025, 16, 2)},
        {"buffer not asked for", &source, buffer, 0, source},
        {"buffer not offered", &source, compressed, kFormatChoiceStartWithBuffer, source},
        {"nothing known", nullptr, compressed, kFormatChoiceStartWithBuffer, makePcmFormat(44100, 16, 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FormatChoice choice(c.source, c.buffer, &size, c.flags);
        EXPECT_EQ(choice.formats()[choice.selected()].format, c.expected);
    }
}

TEST(FormatChoiceContract, AnswersInTheCallersBufferAndSizeCell)
{
    uint8_t buffer[kWaveFormatSize];
    std::memset(buffer, 0xAB, sizeof buffer);
    uint32_t small = 16;
    const FormatChoice tooSmall(nullptr, buffer, &small, 0);
    EXPECT_EQ(tooSmall.prepare(&small), FmtCode::BufferTooSmall);
    EXPECT_EQ(small, uint32_t(kWaveFormatSize));
    EXPECT_EQ(tooSmall.prepare(nullptr), FmtCode::InvalidHandle);

    uint32_t size = kWaveFormatSize;
    FormatChoice choice(nullptr, buffer, &size, 0);
    EXPECT_EQ(choice.prepare(&size), FmtCode::Ok);
    EXPECT_EQ(FormatChoice::cancel(), FmtCode::DialogCancelled);
    EXPECT_EQ(buffer[0], 0xAB) << "cancel changes nothing";

    EXPECT_FALSE(choice.select(int(choice.formats().size())));
    ASSERT_TRUE(choice.select(2));
    EXPECT_EQ(choice.accept(buffer, &size), FmtCode::Ok);
    EXPECT_EQ(size, uint32_t(kWaveFormatSize));
    EXPECT_EQ(parseWaveFormat(buffer, sizeof buffer), choice.formats()[2].format);
}

} // namespace
