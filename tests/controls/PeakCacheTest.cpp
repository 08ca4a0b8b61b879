// The peak cache file: its exact byte layout, and the reader's refusal of files whose sizes do not
// agree (the file comes from disk and may be anything).
#include "controls/PeakCache.h"
#include "controls/WaveDisplayCodes.h"
#include "tests/support/WaveFixtures.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

using namespace controls;
using testsupport::readFile;
using testsupport::testFolder;
using testsupport::writeFile;
using wavefixtures::le16;
using wavefixtures::le32;

namespace {

PeakCache sampleCache()
{
    PeakCache cache;
    cache.channels = {
        {{-32768, 32767}, {-1, 1}, {100, 200}},
        {{0, 0}, {-300, -200}, {7, 9}},
    };
    return cache;
}

// The share of the pages under [data, data + bytes) that are mapped in, from 0 to 1.
double residentShare(const void* data, size_t bytes)
{
    const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
    const uintptr_t first = reinterpret_cast<uintptr_t>(data) / page * page;
    const uintptr_t end = reinterpret_cast<uintptr_t>(data) + bytes;
    std::vector<unsigned char> pages((end - first + page - 1) / page);
    if (mincore(reinterpret_cast<void*>(first), end - first, pages.data()) != 0)
        return -1;
    size_t resident = 0;
    for (const unsigned char p : pages)
        resident += p & 1;
    return double(resident) / double(pages.size());
}

QByteArray entry(int16_t min, int16_t max)
{
    return le16(uint16_t(min)) + le16(uint16_t(max));
}

} // namespace

TEST(PeakCacheFile, WritesChannelCountEntryCountThenEachChannelsEntries)
{
    const QString path = testFolder() + "/a.vxp";
    ASSERT_EQ(writePeakFile(path, sampleCache(), 2), WaveDisplayCode::Ok);
    const QByteArray expected = le16(2) + le32(3)                                        //
                              + entry(-32768, 32767) + entry(-1, 1) + entry(100, 200)  // channel 1
                              + entry(0, 0) + entry(-300, -200) + entry(7, 9);         // channel 2
    EXPECT_EQ(readFile(path), expected);
}

TEST(PeakCacheFile, WritesOnlyTheHeaderWhenThereIsNothingToWrite)
{
    struct Case {
        const char* name;
        PeakCache cache;
        uint16_t channelCount;
    };
    PeakCache oneChannel;
    oneChannel.channels = {{{1, 2}}};
    const Case cases[] = {
        {"empty cache", PeakCache{}, 2},
        {"cache with fewer channels than the file's", oneChannel, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = testFolder() + "/e.vxp";
        ASSERT_EQ(writePeakFile(path, c.cache, c.channelCount), WaveDisplayCode::Ok);
        EXPECT_EQ(readFile(path), le16(c.channelCount) + le32(0));
    }
}

TEST(PeakCacheFile, WritesTheFileChannelsOfACacheWithMore)
{
    PeakCache cache = sampleCache();
    cache.channels.push_back({{5, 6}, {5, 6}, {5, 6}});
    const QString path = testFolder() + "/three.vxp";
    ASSERT_EQ(writePeakFile(path, cache, 2), WaveDisplayCode::Ok);
    EXPECT_EQ(readFile(path).size(), 6 + 2 * 3 * 4);
}

TEST(PeakCacheFile, ReadsBackWhatItWrote)
{
    const QString path = testFolder() + "/r.vxp";
    ASSERT_EQ(writePeakFile(path, sampleCache(), 2), WaveDisplayCode::Ok);
    PeakCache loaded;
    ASSERT_EQ(readPeakFile(path, 3, 2, loaded), WaveDisplayCode::Ok);
    EXPECT_EQ(loaded.channels, sampleCache().channels);
}

TEST(PeakCacheFile, ReportsWriteFailures)
{
    const PeakCache cache = sampleCache();
    EXPECT_EQ(writePeakFile(testFolder() + "/no/such/folder/a.vxp", cache, 2), WaveDisplayCode::CannotCreatePeakFile);
    EXPECT_EQ(writePeakFile(testFolder(), cache, 2), WaveDisplayCode::CannotCreatePeakFile);
    if (QFile::exists("/dev/full")) { // every write fails there: no space left
        EXPECT_EQ(writePeakFile("/dev/full", cache, 2), WaveDisplayCode::PeakFileWriteFailed);
    }
}

TEST(PeakCacheFile, RefusesFilesThatDoNotFitTheWave)
{
    const QByteArray twoByThree = le16(2) + le32(3) + QByteArray(2 * 3 * 4, '\x01');
    struct Case {
        const char* name;
        std::optional<QByteArray> bytes; // none: no file
        uint32_t expectedEntries;
        int channels;
        int code;
        int loadedChannels = 0;
    };
    const Case cases[] = {
        {"consistent", twoByThree, 3, 2, WaveDisplayCode::Ok, 2},
        {"more channels than the wave: kept, unused", twoByThree, 3, 1, WaveDisplayCode::Ok, 2},
        {"missing", std::nullopt, 3, 2, WaveDisplayCode::CannotOpenPeakFile},
        {"empty file", QByteArray(), 3, 2, WaveDisplayCode::PeakFileReadFailed},
        {"header cut short", le16(2) + QByteArray("\x03\x00\x00", 3), 3, 2, WaveDisplayCode::PeakFileReadFailed},
        {"one entry more than the wave has", le16(2) + le32(4) + QByteArray(2 * 4 * 4, '\0'), 3, 2,
         WaveDisplayCode::PeakFileStale},
        {"one entry fewer", le16(2) + le32(2) + QByteArray(2 * 2 * 4, '\0'), 3, 2, WaveDisplayCode::PeakFileStale},
        {"no entries", le16(2) + le32(0), 3, 2, WaveDisplayCode::PeakFileStale},
        {"fewer channels than the wave", le16(1) + le32(3) + QByteArray(3 * 4, '\0'), 3, 2,
         WaveDisplayCode::PeakFileStale},
        {"no channels", le16(0) + le32(3), 3, 2, WaveDisplayCode::PeakFileStale},
        {"entries cut short", twoByThree.chopped(1), 3, 2, WaveDisplayCode::PeakFileReadFailed},
        {"bytes after the entries", twoByThree + "x", 3, 2, WaveDisplayCode::PeakFileReadFailed},
        {"huge channel count, six bytes", le16(65535) + le32(3), 3, 2, WaveDisplayCode::PeakFileReadFailed},
        {"huge entry count, six bytes", le16(2) + le32(0xFFFFFFFF), 0xFFFFFFFF, 2, WaveDisplayCode::PeakFileReadFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = testFolder() + "/t.vxp";
        if (c.bytes)
            writeFile(path, *c.bytes);
        PeakCache cache = sampleCache();
        EXPECT_EQ(readPeakFile(path, c.expectedEntries, c.channels, cache), c.code);
        if (c.code == WaveDisplayCode::Ok) {
            ASSERT_EQ(int(cache.channels.size()), c.loadedChannels);
            EXPECT_EQ(cache.entriesPerChannel(), c.expectedEntries);
            EXPECT_EQ(cache.channels.back().front(), (PeakEntry{0x0101, 0x0101}));
        } else {
            EXPECT_EQ(cache.channels, sampleCache().channels) << "a refused file leaves the cache alone";
        }
    }
}

// A long file's cache is written entry by entry by the peak build's threads. Its memory is in
// place when the cache is made, not page by page in the middle of the scan, where each first
// write of a page stopped the scan for a fault.
// Only a file whose length agrees with its header is taken for a cache file.
TEST(PeakCacheFile, TellsCacheFilesFromOtherFiles)
{
    const QString folder = testFolder();
    const QString written = folder + "/written.vxp";
    ASSERT_EQ(writePeakFile(written, sampleCache(), 2), 0);
    const QString empty = folder + "/empty.vxp";
    ASSERT_EQ(writePeakFile(empty, PeakCache(), 1), 0);
    QByteArray longer = readFile(written);
    longer.append('x');
    const struct {
        const char* name;
        QByteArray bytes; // written unless the file is one of the caches above
        bool cache;
    } cases[] = {
        {"written.vxp", {}, true},
        {"empty.vxp", {}, true},
        {"longer.vxp", longer, false},
        {"notes.vxp", "My notes about the show, kept beside it.", false},
        {"short.vxp", QByteArray("\x01\x00", 2), false},
        {"missing.vxp", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder + "/" + c.name;
        if (!c.bytes.isEmpty())
            writeFile(path, c.bytes);
        EXPECT_EQ(isPeakFile(path), c.cache);
    }
}

TEST(PeakCacheMemory, LargeChannelsAreInPlaceBeforeTheirFirstWrite)
{
    constexpr uint32_t kEntries = 3'000'000; // 12 MB per channel: about 26 minutes at 44.1 kHz
    struct Case {
        const char* name;
        PeakCache (*make)(int, uint32_t);
    };
    const Case cases[] = {{"unset", &PeakCache::unset}, {"zeroed", &PeakCache::zeroed}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PeakCache cache = c.make(2, kEntries);
        ASSERT_EQ(cache.channels.size(), 2u);
        for (const PeakChannel& channel : cache.channels) {
            ASSERT_EQ(channel.size(), kEntries);
            EXPECT_EQ(residentShare(channel.data(), kEntries * sizeof(PeakEntry)), 1.0);
        }
    }
    const PeakCache zeroed = PeakCache::zeroed(1, kEntries);
    EXPECT_EQ(size_t(std::count(zeroed.channels[0].begin(), zeroed.channels[0].end(), PeakEntry{})), size_t(kEntries));
}

// Large channels live in memory of their own; copies, growth and shrinking keep every entry.
TEST(PeakCacheMemory, LargeChannelsKeepTheirEntriesWhenCopiedOrResized)
{
    PeakChannel channel(400'000); // 1.6 MB
    for (size_t i = 0; i < channel.size(); ++i)
        channel[i] = PeakEntry{int16_t(i), int16_t(-int16_t(i))};
    const PeakChannel copy = channel;
    EXPECT_EQ(copy, channel);
    PeakChannel grown = channel;
    grown.resize(1'000'000, PeakEntry{7, 8});
    EXPECT_TRUE(std::equal(channel.begin(), channel.end(), grown.begin()));
    EXPECT_EQ(grown.back(), (PeakEntry{7, 8}));
    PeakChannel shrunk = channel;
    shrunk.resize(1000); // from the large memory down to a size the heap gives
    shrunk.shrink_to_fit();
    EXPECT_TRUE(std::equal(shrunk.begin(), shrunk.end(), channel.begin()));
}
