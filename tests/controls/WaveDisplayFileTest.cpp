// The file side of the waveform display: opening and checking WAV files, the peak build (checked
// against peaks computed independently from the samples), the peak cache file's validity rules,
// and the edit of the cache after a cut.
#include "controls/WaveDisplayFile.h"
#include "common/Util.h"
#include "platform/files/FileTime.h"
#include "platform/base/Rounding.h"
#include "tests/support/WaveFixtures.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <atomic>
#include <functional>
#include <sys/stat.h>
#include <vector>

using namespace controls;
using namespace wavefixtures;
using testsupport::readFile;
using testsupport::testFolder;
using testsupport::writeFile;

namespace {

constexpr int32_t kUntouched = -7;

// A WAV with a 16-byte "fmt " chunk, as many programs write it.
QByteArray wave(const WaveFormatEx& format, const QByteArray& data)
{
    return riff("WAVE", chunk("fmt ", fmtBody(format, 16)) + chunk("data", data));
}

WaveViewState scrolledView()
{
    return WaveViewState{64, 100, 900, 120, 110, 130};
}

int64_t writeTime(const QString& path)
{
    const std::optional<int64_t> time = platform::fileWriteTimeNs(path);
    EXPECT_TRUE(time.has_value()) << path.toStdString();
    return time.value_or(0);
}

void setWriteTime(const QString& path, int64_t ns)
{
    ASSERT_TRUE(platform::setFileWriteTimeNs(path, ns)) << path.toStdString();
}

// A 16-bit stereo file whose block i holds i x 100 - 16 ... i x 100 + 15 on the first channel and
// the negated values on the second, so that every entry tells where it came from.
QByteArray countingWave(int frames)
{
    QList<int16_t> samples;
    for (int f = 0; f < frames; ++f) {
        const int16_t v = int16_t((f / kFramesPerPeak) * 100 + f % kFramesPerPeak - 16);
        samples << v << int16_t(-v);
    }
    return wave(waveFormat(1, 2, 8000, 16), pcm16(samples));
}

// Rising within each block on the first channel and falling on the second, so that every block's
// extremes lie on its first and last frames, the short last block's included.
QByteArray rampWave(int bits, int channels, int frames)
{
    QByteArray data;
    for (int f = 0; f < frames; ++f) {
        const int step = f % kFramesPerPeak;
        for (int c = 0; c < channels; ++c) {
            const int rising = bits == 8 ? 100 + step * 4 : step * 1000 - 16000;
            const int value = c == 0 ? rising : (bits == 8 ? 255 - rising : -rising);
            data += bits == 8 ? QByteArray(1, char(value)) : le16(uint16_t(value));
        }
    }
    return wave(waveFormat(1, uint16_t(channels), 8000, uint16_t(bits)), data);
}

PeakEntry countingEntry(int block, int channel)
{
    const int16_t min = int16_t(block * 100 - 16);
    const int16_t max = int16_t(block * 100 + 15);
    return channel == 0 ? PeakEntry{min, max} : PeakEntry{int16_t(-max), int16_t(-min)};
}

class WaveDisplayFileTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_folder + "/" + name;
        writeFile(path, bytes);
        return path;
    }

    QString m_folder = testFolder();
    WaveDisplayFile m_display;
    std::atomic<int32_t> m_progress{kUntouched};
};

} // namespace

TEST_F(WaveDisplayFileTest, OpenCopiesTheFormatAndResetsTheView)
{
    const QString first = write("first.wav", countingWave(64));
    ASSERT_EQ(m_display.OpenWaveFile(first), WaveDisplayCode::Ok);
    ASSERT_EQ(m_display.BuildPeaks(m_progress), WaveDisplayCode::Ok);
    m_display.view() = scrolledView();

    const WaveFormatEx tagged = waveFormat(3, 1, 22050, 16); // not PCM: the tag is not tested, and not copied
    const QString second = write("second.wav", riff("WAVE", chunk("fmt ", fmtBody(tagged, 16) + le16(0)) + chunk("data", QByteArray(200, '\0'))));
    ASSERT_EQ(m_display.OpenWaveFile(second), WaveDisplayCode::Ok);

    EXPECT_EQ(m_display.WaveFileName(), second);
    WaveFormatEx expected;
    expected.channels = 1;
    expected.samplesPerSec = 22050;
    expected.avgBytesPerSec = 44100;
    expected.blockAlign = 2;
    expected.bitsPerSample = 16;
    EXPECT_EQ(m_display.format(), expected);
    EXPECT_EQ(m_display.TotalSamples(), 100u);
    EXPECT_EQ(m_display.view(), (WaveViewState{32, 0, 0, 0, 0, 0}));
    EXPECT_EQ(m_display.peakState(), PeakState::Opened);
    EXPECT_TRUE(m_display.peakCache().isEmpty()) << "the cache of the file open before is gone";
    EXPECT_EQ(m_display.GetLastError(), WaveDisplayCode::Ok);
}

TEST_F(WaveDisplayFileTest, OpenWithAnEmptyNameChangesNothing)
{
    const QString path = write("a.wav", countingWave(64));
    ASSERT_EQ(m_display.OpenWaveFile(path), WaveDisplayCode::Ok);
    ASSERT_EQ(m_display.BuildPeaks(m_progress), WaveDisplayCode::Ok);
    m_display.view() = scrolledView();
    EXPECT_EQ(m_display.OpenWaveFile(QString()), WaveDisplayCode::Ok);
    EXPECT_EQ(m_display.WaveFileName(), path);
    EXPECT_EQ(m_display.view(), scrolledView());
    EXPECT_EQ(m_display.peakState(), PeakState::Built);
    EXPECT_EQ(m_display.peakCache().entriesPerChannel(), 2u);
}

// Every routine that reads a WAV header, on every kind of broken file: OpenWaveFile on a fresh
// display, and MaxZoomLevel and BuildPeaks on a display whose file was replaced after opening.
TEST_F(WaveDisplayFileTest, MalformedWaveFilesGiveEachRoutinesCode)
{
    const QString soxFolder = testFolder();
    const QByteArray bits24 = readFile(soxWave(soxFolder + "/24.wav", 24, 1, 100));
    const QByteArray channels3 = readFile(soxWave(soxFolder + "/3ch.wav", 16, 3, 100));
    const QByteArray frames4 = pcm16({1, -1, 2, -2, 3, -3, 4, -4}); // 4 stereo frames
    const QByteArray stereoFmt = fmtBody(waveFormat(1, 2, 8000, 16), 16);
    const QByteArray extensible = stereoFmt + le16(22) + QByteArray(22, '\x05');

    struct Case {
        const char* name;
        std::optional<QByteArray> bytes; // none: the file does not exist
        int code;
        uint32_t totalSamples = 0;       // when accepted
    };
    const Case cases[] = {
        {"missing file", std::nullopt, WaveDisplayCode::CannotOpenWave},
        {"empty file", QByteArray(), WaveDisplayCode::NotWave},
        {"big-endian RIFF", QByteArray("RIFX") + wave(waveFormat(), frames4).mid(4), WaveDisplayCode::NotWave},
        {"RIFF of another form", riff("AVI ", chunk("fmt ", stereoFmt) + chunk("data", frames4)), WaveDisplayCode::NotWave},
        {"no fmt chunk", riff("WAVE", chunk("data", frames4)), WaveDisplayCode::NoFormatChunk},
        {"fmt of 14 bytes", riff("WAVE", chunk("fmt ", stereoFmt.left(14)) + chunk("data", frames4)),
         WaveDisplayCode::FormatChunkUnreadable},
        {"fmt running past the end of the file", riff("WAVE", chunk("fmt ", stereoFmt, 4000)),
         WaveDisplayCode::FormatChunkUnreadable},
        {"24-bit from sox", bits24, WaveDisplayCode::UnsupportedFormat},
        {"3 channels from sox", channels3, WaveDisplayCode::UnsupportedFormat},
        {"no channels", wave(waveFormat(1, 0, 8000, 16, 2), frames4), WaveDisplayCode::UnsupportedFormat},
        {"12 bits", wave(waveFormat(1, 1, 8000, 12, 2), frames4), WaveDisplayCode::UnsupportedFormat},
        {"block align 0", wave(waveFormat(1, 2, 8000, 16, 0), frames4), WaveDisplayCode::UnsupportedFormat},
        {"block align unlike the frame size", wave(waveFormat(1, 1, 8000, 16, 3), frames4), WaveDisplayCode::UnsupportedFormat},
        {"24-bit without data: the format counts first", riff("WAVE", chunk("fmt ", fmtBody(waveFormat(1, 1, 8000, 24), 16))),
         WaveDisplayCode::UnsupportedFormat},
        {"no data chunk", riff("WAVE", chunk("fmt ", stereoFmt)), WaveDisplayCode::NoDataChunk},
        {"16-bit stereo", riff("WAVE", chunk("fmt ", stereoFmt) + chunk("data", frames4)), WaveDisplayCode::Ok, 4},
        {"extensible fmt of 40 bytes", riff("WAVE", chunk("fmt ", extensible) + chunk("data", frames4)), WaveDisplayCode::Ok, 4},
        {"non-PCM tag", wave(waveFormat(0xFFFE, 2, 8000, 16), frames4), WaveDisplayCode::Ok, 4},
        {"data before fmt, other chunks between",
         riff("WAVE", chunk("data", frames4) + chunk("LIST", QByteArray("INFOabc", 7)) + chunk("fmt ", stereoFmt)),
         WaveDisplayCode::Ok, 4},
        {"data running past the end: the whole frames present",
         riff("WAVE", chunk("fmt ", stereoFmt) + chunk("data", frames4 + "xy", 4000)), WaveDisplayCode::Ok, 4},
        {"RIFF size past the end", QByteArray("RIFF") + le32(999999) + wave(waveFormat(1, 2, 8000, 16), frames4).mid(8),
         WaveDisplayCode::Ok, 4},
        {"8-bit mono", wave(waveFormat(1, 1, 8000, 8), QByteArray(7, '\x80')), WaveDisplayCode::Ok, 7},
    };
    const QByteArray good = countingWave(640);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = testFolder();
        const QString path = folder + "/case.wav";
        const auto putCase = [&] {
            if (c.bytes)
                writeFile(path, *c.bytes);
            else
                QFile::remove(path);
        };

        putCase();
        WaveDisplayFile fresh;
        EXPECT_EQ(fresh.OpenWaveFile(path), c.code);
        EXPECT_EQ(fresh.GetLastError(), c.code);
        EXPECT_EQ(fresh.WaveFileName().isEmpty(), c.code != WaveDisplayCode::Ok);
        EXPECT_EQ(fresh.peakState(), c.code == WaveDisplayCode::Ok ? PeakState::Opened : PeakState::Closed);
        EXPECT_EQ(fresh.TotalSamples(), c.totalSamples);

        writeFile(path, good);
        WaveDisplayFile replaced;
        ASSERT_EQ(replaced.OpenWaveFile(path), WaveDisplayCode::Ok);
        replaced.setViewWidth(1);
        replaced.SetTotalSamples(0);
        putCase();
        EXPECT_EQ(replaced.MaxZoomLevel(), c.code == WaveDisplayCode::Ok ? c.totalSamples + 1 : 1u);
        EXPECT_EQ(replaced.GetLastError(), c.code);

        m_progress = kUntouched;
        EXPECT_EQ(replaced.BuildPeaks(m_progress), c.code);
        EXPECT_EQ(replaced.GetLastError(), c.code);
        EXPECT_EQ(m_progress.load(), 100);
        if (c.code == WaveDisplayCode::Ok) {
            EXPECT_EQ(replaced.peakState(), PeakState::Built);
            EXPECT_EQ(replaced.TotalSamples(), c.totalSamples) << "the build takes the file's current length";
            EXPECT_EQ(replaced.peakCache().entriesPerChannel(), 1u);
        } else {
            EXPECT_EQ(replaced.peakState(), PeakState::Opened) << "a failed build must not leave the view blank";
            EXPECT_TRUE(replaced.peakCache().isEmpty());
        }
    }
}

// Our cache file byte for byte against one computed by a Python script from the samples that
// Python's wave module reads, for files sox made and ramps whose extremes lie on block edges.
TEST_F(WaveDisplayFileTest, PeakFileEqualsPeaksComputedFromTheSamples)
{
    struct Case {
        int bits;
        int channels;
        int64_t frames;
        bool ramp = false; // our ramp instead of sox's sine and noise
    };
    const Case cases[] = {
        {8, 1, 320},   {8, 1, 321},   {8, 2, 320},    {8, 2, 321},    {16, 1, 320},
        {16, 1, 321},  {16, 2, 320},  {16, 2, 321},   {16, 2, 65},    {16, 1, 1},
        {16, 2, 70000}, // two pieces, the second ending in a short block
        {8, 1, 300001}, // two pieces of 8192 blocks and more
        {16, 2, 650001}, // ten pieces: scanned by two threads
        {8, 1, 95, true}, {8, 2, 63, true}, {16, 1, 34, true}, {16, 2, 100, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << "-bit, " << c.channels << " channel(s), " << c.frames << " frames"
                                        << (c.ramp ? ", ramp" : ""));
        const QString folder = testFolder();
        const QString wav = folder + "/in.wav";
        if (c.ramp)
            writeFile(wav, rampWave(c.bits, c.channels, int(c.frames)));
        else
            soxWave(wav, c.bits, c.channels, c.frames);
        ASSERT_EQ(m_display.OpenWaveFile(wav), WaveDisplayCode::Ok);
        ASSERT_EQ(m_display.TotalSamples(), uint32_t(c.frames));
        ASSERT_EQ(m_display.BuildPeaks(m_progress), WaveDisplayCode::Ok);
        EXPECT_EQ(m_display.peakState(), PeakState::Built);
        EXPECT_EQ(m_progress.load(), 100);
        EXPECT_EQ(m_display.peakCache().entriesPerChannel(), uint32_t((c.frames + 31) / 32));

        const QString ours = folder + "/in.vxp";
        ASSERT_EQ(m_display.SavePeakFile(ours), WaveDisplayCode::Ok);
        const QString expected = folder + "/expected.vxp";
        const testsupport::ToolResult oracle = testsupport::runPythonScript("peaks_expected.py", {wav, expected});
        ASSERT_EQ(oracle.exitCode, 0) << oracle.err.toStdString();
        const QByteArray bytes = readFile(ours);
        EXPECT_EQ(bytes.size(), 6 + c.channels * ((c.frames + 31) / 32) * 4);
        EXPECT_TRUE(bytes == readFile(expected)) << "our cache file differs from the samples' peaks";
    }
}

TEST_F(WaveDisplayFileTest, StereoFileOf65FramesGivesThreeEntriesAndA30ByteFile)
{
    const QString wav = soxWave(m_folder + "/65.wav", 16, 2, 65);
    ASSERT_EQ(m_display.OpenWaveFile(wav), WaveDisplayCode::Ok);
    ASSERT_EQ(m_display.BuildPeaks(m_progress), WaveDisplayCode::Ok);
    ASSERT_EQ(m_display.peakCache().channels.size(), 2u);
    EXPECT_EQ(m_display.peakCache().channels[0].size(), 3u);
    EXPECT_EQ(m_display.peakCache().channels[1].size(), 3u);
    ASSERT_EQ(m_display.SavePeakFile(m_folder + "/65.vxp"), WaveDisplayCode::Ok);
    EXPECT_EQ(readFile(m_folder + "/65.vxp").size(), 30);
}

TEST_F(WaveDisplayFileTest, EightBitSilenceGivesRawMidpointEntries)
{
    const QString wav = m_folder + "/silence.wav";
    ASSERT_EQ(testsupport::runSox({"-D", "-r", "8000", "-c", "1", "-n", "-b", "8", wav, "trim", "0", "100s"}).exitCode, 0);
    ASSERT_EQ(m_display.OpenWaveFile(wav), WaveDisplayCode::Ok);
    ASSERT_EQ(m_display.BuildPeaks(m_progress), WaveDisplayCode::Ok);
    ASSERT_EQ(m_display.peakCache().channels.size(), 1u);
    EXPECT_EQ(m_display.peakCache().channels[0], PeakChannel(4, PeakEntry{128, 128}));
}

TEST_F(WaveDisplayFileTest, BuildOfAFileWithoutFramesSucceedsEmptyAndResetsTheView)
{
    const QString wav = write("empty.wav", wave(waveFormat(1, 2, 8000, 16), QByteArray()));
    ASSERT_EQ(m_display.OpenWaveFile(wav), WaveDisplayCode::Ok);
    m_display.view() = scrolledView();
    EXPECT_EQ(m_display.BuildPeaks(m_progress), WaveDisplayCode::Ok);
    EXPECT_EQ(m_display.peakState(), PeakState::Built);
    EXPECT_TRUE(m_display.peakCache().isEmpty());
    EXPECT_EQ(m_display.view(), WaveViewState{});
    EXPECT_EQ(m_progress.load(), 100);
    EXPECT_EQ(m_display.LoadPeakFile(m_folder + "/empty.vxp"), WaveDisplayCode::NothingToDraw);
}

TEST_F(WaveDisplayFileTest, BuildWithoutAFileIsRefusedAndTouchesNothing)
{
    EXPECT_EQ(m_display.BuildPeaks(m_progress), WaveDisplayCode::NoFileToBuild);
    EXPECT_EQ(m_display.GetLastError(), WaveDisplayCode::NoFileToBuild);
    EXPECT_EQ(m_display.peakState(), PeakState::Closed);
    EXPECT_EQ(m_progress.load(), kUntouched);
}

TEST_F(WaveDisplayFileTest, BuildsWhateverTheViewWidth)
{
    const QString wav = write("a.wav", countingWave(100));
    ASSERT_EQ(m_display.OpenWaveFile(wav), WaveDisplayCode::Ok);
    m_display.setViewWidth(0);
    EXPECT_EQ(m_display.viewWidth(), 1);
    EXPECT_EQ(m_display.BuildPeaks(m_progress), WaveDisplayCode::Ok);
    EXPECT_EQ(m_display.peakCache().entriesPerChannel(), 4u);
}

// 16-bit stereo of 200,000 frames: 800,000 bytes, read as three whole pieces and a short one, all
// by one thread (too few pieces for helpers), so the hook sees the pieces in order.
class PieceTest : public WaveDisplayFileTest {
protected:
    void SetUp() override
    {
        m_wav = soxWave(m_folder + "/long.wav", 16, 2, kFrames);
        ASSERT_EQ(m_display.OpenWaveFile(m_wav), WaveDisplayCode::Ok);
    }

    // Builds through the three steps, with a hook after each piece read.
    int buildWithHook(const std::function<void(int64_t)>& hook)
    {
        const std::unique_ptr<PeakBuildJob> job = m_display.beginPeakBuild(m_progress);
        job->afterPieceRead = hook;
        job->run();
        return m_display.finishPeakBuild(*job);
    }

    static constexpr int64_t kFrames = 200000;
    static constexpr int64_t kBytes = kFrames * 4;
    QString m_wav;
};

TEST_F(PieceTest, ProgressRisesWithEachPieceOverTheWholeBuildAndEndsAt100)
{
    std::vector<int32_t> seen;
    EXPECT_EQ(buildWithHook([&](int64_t) { seen.push_back(m_progress.load()); }), WaveDisplayCode::Ok);
    std::vector<int32_t> expected;
    for (int64_t piece = 0; piece * kPeakPieceBytes < kBytes; ++piece)
        expected.push_back(int32_t(platform::divRoundHalfEven(piece * kPeakPieceBytes * 99, kBytes)));
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(m_progress.load(), 100);
}

TEST_F(PieceTest, CancelAtAKnownPieceGives110AndAnEmptyCache)
{
    std::vector<int64_t> pieces;
    const int result = buildWithHook([&](int64_t piece) {
        pieces.push_back(piece);
        EXPECT_EQ(m_display.peakState(), PeakState::Building);
        if (piece == 1)
            m_display.CancelPeakBuilding();
    });
    EXPECT_EQ(result, WaveDisplayCode::Cancelled);
    EXPECT_EQ(pieces, (std::vector<int64_t>{0, 1})) << "the scan stops at the first block after the cancel";
    EXPECT_EQ(m_display.peakState(), PeakState::CancelRequested);
    EXPECT_TRUE(m_display.peakCache().isEmpty());
    EXPECT_EQ(m_display.GetLastError(), WaveDisplayCode::Cancelled);
    EXPECT_EQ(m_progress.load(), 100);
}

TEST_F(PieceTest, FileShrinkingDuringTheBuildGives107ThenALoadedCacheIsDrawable)
{
    ASSERT_EQ(m_display.BuildPeaks(m_progress), WaveDisplayCode::Ok);
    const PeakCache built = m_display.peakCache();
    const QString vxp = m_folder + "/long.vxp";
    ASSERT_EQ(m_display.SavePeakFile(vxp), WaveDisplayCode::Ok);
    const QByteArray original = readFile(m_wav);

    const int result = buildWithHook([&](int64_t piece) {
        if (piece == 0) {
            ASSERT_TRUE(QFile::resize(m_wav, 100000));
        }
    });
    EXPECT_EQ(result, WaveDisplayCode::ReadFailed);
    EXPECT_EQ(m_display.peakState(), PeakState::Opened);
    EXPECT_TRUE(m_display.peakCache().isEmpty());

    writeFile(m_wav, original);
    setWriteTime(vxp, writeTime(m_wav));
    ASSERT_EQ(m_display.LoadPeakFile(vxp), WaveDisplayCode::Ok);
    EXPECT_EQ(m_display.peakState(), PeakState::Built);
    EXPECT_EQ(m_display.peakCache().channels, built.channels);
}

// LoadPeakFile and LoadPeakFileNoTimeCheck on cache files beside a 100-frame stereo WAV (4
// entries per channel). Times are set to the nanosecond relative to the WAV's.
TEST_F(WaveDisplayFileTest, PeakFileValidity)
{
    const QString wav = write("a.wav", countingWave(100));
    ASSERT_EQ(m_display.OpenWaveFile(wav), WaveDisplayCode::Ok);
    const QString emptyVxp = m_folder + "/empty.vxp";
    ASSERT_EQ(m_display.SavePeakFile(emptyVxp), WaveDisplayCode::Ok); // nothing built yet: N = 0
    ASSERT_EQ(readFile(emptyVxp), le16(2) + le32(0));
    ASSERT_EQ(m_display.BuildPeaks(m_progress), WaveDisplayCode::Ok);
    const PeakCache built = m_display.peakCache();
    ASSERT_EQ(m_display.SavePeakFile(m_folder + "/good.vxp"), WaveDisplayCode::Ok);
    const QByteArray good = readFile(m_folder + "/good.vxp");
    ASSERT_EQ(good.size(), 6 + 2 * 4 * 4);
    const QByteArray entries = good.mid(6);

    struct Case {
        const char* name;
        std::optional<QByteArray> bytes; // none: no file
        int64_t age;                     // ns by which the cache file is older than the WAV
        int code;
        int codeWithoutTimeCheck;
    };
    const Case cases[] = {
        {"same time", good, 0, WaveDisplayCode::Ok, WaveDisplayCode::Ok},
        {"newer", good, -1000000000, WaveDisplayCode::Ok, WaveDisplayCode::Ok},
        {"older by a nanosecond", good, 1, WaveDisplayCode::PeakFileStale, WaveDisplayCode::Ok},
        {"one entry more", le16(2) + le32(5) + entries + QByteArray(8, '\0'), 0, WaveDisplayCode::PeakFileStale,
         WaveDisplayCode::PeakFileStale},
        {"one entry fewer", le16(2) + le32(3) + entries.left(24), 0, WaveDisplayCode::PeakFileStale,
         WaveDisplayCode::PeakFileStale},
        {"empty cache file", readFile(emptyVxp), 0, WaveDisplayCode::PeakFileStale, WaveDisplayCode::PeakFileStale},
        {"missing", std::nullopt, 0, WaveDisplayCode::CannotOpenPeakFile, WaveDisplayCode::CannotOpenPeakFile},
        {"truncated", good.chopped(3), 0, WaveDisplayCode::PeakFileReadFailed, WaveDisplayCode::PeakFileReadFailed},
        {"longer than its sizes say", good + QByteArray(4, '\0'), 0, WaveDisplayCode::PeakFileReadFailed,
         WaveDisplayCode::PeakFileReadFailed},
        {"fewer channels than the WAV", le16(1) + le32(4) + entries.left(16), 0, WaveDisplayCode::PeakFileStale,
         WaveDisplayCode::PeakFileStale},
        {"more channels than the WAV", le16(3) + le32(4) + entries + entries.left(16), 0, WaveDisplayCode::Ok,
         WaveDisplayCode::Ok},
    };
    using Load = int (WaveDisplayFile::*)(const QString&);
    const std::pair<Load, const char*> loads[] = {{&WaveDisplayFile::LoadPeakFile, "LoadPeakFile"},
                                                  {&WaveDisplayFile::LoadPeakFileNoTimeCheck, "LoadPeakFileNoTimeCheck"}};
    for (const Case& c : cases) {
        for (const auto& [load, loadName] : loads) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << loadName);
            const QString vxp = testFolder() + "/case.vxp";
            if (c.bytes) {
                writeFile(vxp, *c.bytes);
                setWriteTime(vxp, writeTime(wav) - c.age);
            }
            ASSERT_EQ(m_display.OpenWaveFile(wav), WaveDisplayCode::Ok);
            const int expected = load == &WaveDisplayFile::LoadPeakFile ? c.code : c.codeWithoutTimeCheck;
            EXPECT_EQ((m_display.*load)(vxp), expected);
            EXPECT_EQ(m_display.GetLastError(), expected);
            if (expected == WaveDisplayCode::Ok) {
                EXPECT_EQ(m_display.peakState(), PeakState::Built);
                ASSERT_GE(m_display.peakCache().channels.size(), 2u);
                EXPECT_EQ(m_display.peakCache().channels[0], built.channels[0]);
                EXPECT_EQ(m_display.peakCache().channels[1], built.channels[1]);
            } else {
                EXPECT_EQ(m_display.peakState(), PeakState::Opened);
                EXPECT_TRUE(m_display.peakCache().isEmpty());
            }
        }
    }
}

TEST_F(WaveDisplayFileTest, PeakFileRoutinesNeedAFileAndAName)
{
    EXPECT_EQ(m_display.SavePeakFile(m_folder + "/a.vxp"), WaveDisplayCode::NoWaveOpen);
    EXPECT_EQ(m_display.LoadPeakFile(m_folder + "/a.vxp"), WaveDisplayCode::NoWaveOpen);
    EXPECT_EQ(m_display.LoadPeakFileNoTimeCheck(m_folder + "/a.vxp"), WaveDisplayCode::NoWaveOpen);
    ASSERT_EQ(m_display.OpenWaveFile(write("a.wav", countingWave(64))), WaveDisplayCode::Ok);
    EXPECT_EQ(m_display.SavePeakFile(QString()), WaveDisplayCode::EmptyPeakFileName);
    EXPECT_EQ(m_display.LoadPeakFile(QString()), WaveDisplayCode::EmptyPeakFileName);
    EXPECT_EQ(m_display.GetLastError(), WaveDisplayCode::EmptyPeakFileName);
    EXPECT_EQ(m_display.SavePeakFile(m_folder + "/missing/a.vxp"), WaveDisplayCode::CannotCreatePeakFile);
}

TEST_F(WaveDisplayFileTest, DeletePeakRange)
{
    struct Case {
        uint32_t a;
        uint32_t b;
        uint32_t totalAfter;
        std::vector<int> keptBlocks;
    };
    const Case cases[] = {
        {64, 128, 192, {0, 1, 4, 5, 6, 7}},
        {128, 64, 192, {0, 1, 4, 5, 6, 7}},
        {10, 20, 246, {0, 1, 2, 3, 4, 5, 6, 7}},
        {31, 97, 190, {0, 3, 4, 5, 6, 7}},
        {200, 1000, 200, {0, 1, 2, 3, 4, 5, 6}}, // the end past the file is taken as the file's end
        {300, 400, 256, {0, 1, 2, 3, 4, 5, 6, 7}},
        {0, 256, 0, {}},
        {0, 5000, 0, {}},
    };
    // The peaks are shortened by the display, or made ahead from its peaks as a worker would, or
    // handed peaks that do not fit (made for one channel only), which it must not take.
    enum class Ahead { None, Fitting, NotFitting };
    const QString wav = write("256.wav", countingWave(256));
    for (const Case& c : cases) {
        for (const Ahead ahead : {Ahead::None, Ahead::Fitting, Ahead::NotFitting}) {
            SCOPED_TRACE(testing::Message() << "DeletePeakRange(" << c.a << ", " << c.b << "), peaks made ahead "
                                            << int(ahead));
            ASSERT_EQ(m_display.OpenWaveFile(wav), WaveDisplayCode::Ok);
            ASSERT_EQ(m_display.BuildPeaks(m_progress), WaveDisplayCode::Ok);
            ASSERT_EQ(m_display.peakCache().entriesPerChannel(), 8u);
            m_display.view() = scrolledView();
            std::shared_ptr<const PeakCache> made;
            if (ahead == Ahead::Fitting)
                made = WaveDisplayFile::ShortenedPeaks(m_display.peakCache(), 2, 256, c.a, c.b);
            else if (ahead == Ahead::NotFitting)
                made = WaveDisplayFile::ShortenedPeaks(m_display.peakCache(), 1, 256, c.a, c.b);

            EXPECT_EQ(m_display.DeletePeakRange(c.a, c.b, made), WaveDisplayCode::Ok);
            if (ahead == Ahead::Fitting && c.totalAfter != 0) {
                EXPECT_EQ(m_display.sharedPeaks(), made) << "the peaks made ahead are taken as they are";
            }
            EXPECT_EQ(m_display.TotalSamples(), c.totalAfter);
            EXPECT_EQ(m_display.GetLastError(), WaveDisplayCode::Ok);
            if (c.totalAfter == 0) {
                EXPECT_TRUE(m_display.peakCache().isEmpty());
                EXPECT_EQ(m_display.view(), WaveViewState{});
                continue;
            }
            EXPECT_EQ(m_display.view(), scrolledView());
            ASSERT_EQ(m_display.peakCache().channels.size(), 2u);
            for (int channel = 0; channel < 2; ++channel) {
                PeakChannel expected;
                for (int block : c.keptBlocks)
                    expected.push_back(countingEntry(block, channel));
                EXPECT_EQ(m_display.peakCache().channels[size_t(channel)], expected) << "channel " << channel;
            }
        }
    }
}

TEST_F(WaveDisplayFileTest, DeletePeakRangeKeepsAnEmptyCacheEmpty)
{
    ASSERT_EQ(m_display.OpenWaveFile(write("256.wav", countingWave(256))), WaveDisplayCode::Ok);
    EXPECT_EQ(m_display.DeletePeakRange(0, 64), WaveDisplayCode::Ok);
    EXPECT_EQ(m_display.TotalSamples(), 192u);
    EXPECT_TRUE(m_display.peakCache().isEmpty()) << "zero entries would be drawn and saved as real peaks";
}

// Peaks handed over from another display of the same file are drawn as they are, without a copy;
// peaks that do not fit the open file are refused and leave no cache behind.
TEST_F(WaveDisplayFileTest, UsePeaksTakesOnlyPeaksThatFitTheOpenFile)
{
    const QString wav = write("256.wav", countingWave(256));
    WaveDisplayFile source;
    ASSERT_EQ(source.OpenWaveFile(wav), WaveDisplayCode::Ok);
    ASSERT_EQ(source.BuildPeaks(m_progress), WaveDisplayCode::Ok);
    const std::shared_ptr<const PeakCache> built = source.sharedPeaks();
    ASSERT_TRUE(built);

    WaveDisplayFile longer;
    ASSERT_EQ(longer.OpenWaveFile(write("288.wav", countingWave(288))), WaveDisplayCode::Ok);
    ASSERT_EQ(longer.BuildPeaks(m_progress), WaveDisplayCode::Ok);
    const struct {
        const char* name;
        QString file;
        std::shared_ptr<const PeakCache> peaks;
        int expected;
    } cases[] = {
        {"no file open", {}, built, WaveDisplayCode::NoWaveOpen},
        {"a file without frames", write("0.wav", countingWave(0)), built, WaveDisplayCode::NothingToDraw},
        {"no peaks", wav, nullptr, WaveDisplayCode::PeakFileStale},
        {"peaks of a longer file", wav, longer.sharedPeaks(), WaveDisplayCode::PeakFileStale},
        {"one channel for two", wav, std::make_shared<const PeakCache>(PeakCache::zeroed(1, 8)),
         WaveDisplayCode::PeakFileStale},
        {"the file's own", wav, built, WaveDisplayCode::Ok},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WaveDisplayFile display;
        if (!c.file.isEmpty()) {
            ASSERT_EQ(display.OpenWaveFile(c.file), WaveDisplayCode::Ok);
            // A cache from before is dropped by a refusal, never drawn for the wrong file.
            ASSERT_EQ(display.BuildPeaks(m_progress), WaveDisplayCode::Ok);
        }
        EXPECT_EQ(display.UsePeaks(c.peaks), c.expected);
        if (c.expected == WaveDisplayCode::Ok) {
            EXPECT_EQ(display.sharedPeaks(), built);
            EXPECT_EQ(display.peakState(), PeakState::Built);
        } else {
            EXPECT_TRUE(display.peakCache().isEmpty());
        }
    }
}

TEST_F(WaveDisplayFileTest, SetTotalSamplesStoresOnly)
{
    ASSERT_EQ(m_display.OpenWaveFile(write("a.wav", countingWave(256))), WaveDisplayCode::Ok);
    ASSERT_EQ(m_display.BuildPeaks(m_progress), WaveDisplayCode::Ok);
    m_display.view() = scrolledView();
    m_display.SetTotalSamples(5);
    EXPECT_EQ(m_display.TotalSamples(), 5u);
    EXPECT_EQ(m_display.view(), scrolledView());
    EXPECT_EQ(m_display.peakCache().entriesPerChannel(), 8u);
}

TEST_F(WaveDisplayFileTest, MaxZoomLevelDividesByTheViewWidth)
{
    EXPECT_EQ(m_display.MaxZoomLevel(), 1u) << "no file";
    ASSERT_EQ(m_display.OpenWaveFile(write("a.wav", countingWave(1000))), WaveDisplayCode::Ok);
    m_display.setViewWidth(100);
    EXPECT_EQ(m_display.MaxZoomLevel(), 11u);
    m_display.setViewWidth(-5);
    EXPECT_EQ(m_display.MaxZoomLevel(), 1001u);
    m_display.setViewWidth(3);
    m_display.SetTotalSamples(0);
    EXPECT_EQ(m_display.MaxZoomLevel(), 334u) << "the count comes from the header";
    EXPECT_EQ(m_display.TotalSamples(), 0u);
}

TEST_F(WaveDisplayFileTest, CloseWaveResetsTheFileTheViewAndTheState)
{
    ASSERT_EQ(m_display.OpenWaveFile(write("a.wav", countingWave(256))), WaveDisplayCode::Ok);
    ASSERT_EQ(m_display.BuildPeaks(m_progress), WaveDisplayCode::Ok);
    m_display.view() = scrolledView();
    ASSERT_EQ(m_display.LoadPeakFile(m_folder + "/none.vxp"), WaveDisplayCode::CannotOpenPeakFile);
    m_display.CloseWave();
    EXPECT_EQ(m_display.WaveFileName(), QString());
    EXPECT_EQ(m_display.TotalSamples(), 0u);
    EXPECT_EQ(m_display.format(), WaveFormatEx{});
    EXPECT_EQ(m_display.view(), WaveViewState{});
    EXPECT_EQ(m_display.peakState(), PeakState::Closed);
    EXPECT_EQ(m_display.GetLastError(), WaveDisplayCode::Ok);
}

// The display reads a file's time as the utilities do: only a regular file it can open has one.
TEST_F(WaveDisplayFileTest, GetFileWriteTimeAgreesWithTheUtilities)
{
    constexpr int64_t kStamp = 1234567890123456789;
    constexpr int64_t kUnset = -1;
    const QString wav = write("a.wav", countingWave(32));
    setWriteTime(wav, kStamp);
    QDir().mkpath(m_folder + "/folder.wav");
    setWriteTime(m_folder + "/folder.wav", kStamp);
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_folder + "/pipe.wav").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(wav, m_folder + "/link.wav"));
    ASSERT_TRUE(QFile::link(m_folder + "/folder.wav", m_folder + "/folder-link.wav"));

    struct Case {
        const char* name;
        int code;
    };
    const Case cases[] = {
        {"a.wav", WaveDisplayCode::Ok},
        {"link.wav", WaveDisplayCode::Ok},
        {"missing.wav", WaveDisplayCode::CannotOpenWave},
        {"folder.wav", WaveDisplayCode::CannotOpenWave},
        {"folder-link.wav", WaveDisplayCode::CannotOpenWave},
        {"pipe.wav", WaveDisplayCode::CannotOpenWave}, // and no wait for a writer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = m_folder + "/" + c.name;
        const int64_t expected = c.code == WaveDisplayCode::Ok ? kStamp : kUnset;
        int64_t displayTime = kUnset;
        EXPECT_EQ(m_display.GetFileWriteTime(path, displayTime), c.code);
        EXPECT_EQ(displayTime, expected);
        EXPECT_EQ(m_display.GetLastError(), c.code);
        int64_t utilityTime = kUnset;
        EXPECT_EQ(GetFileLastWriteTime(path, utilityTime), c.code == WaveDisplayCode::Ok);
        EXPECT_EQ(utilityTime, expected);
    }
}

TEST_F(WaveDisplayFileTest, GetLastErrorHasNoTexts)
{
    int64_t time = 0;
    EXPECT_EQ(m_display.GetFileWriteTime(m_folder + "/missing", time), WaveDisplayCode::CannotOpenWave);

    QString message = "x";
    QString osMessage = "y";
    int osError = 5;
    EXPECT_EQ(m_display.GetLastError(&message, &osError, &osMessage), WaveDisplayCode::CannotOpenWave);
    EXPECT_TRUE(message.isEmpty());
    EXPECT_TRUE(osMessage.isEmpty());
    EXPECT_EQ(osError, 0);
}
