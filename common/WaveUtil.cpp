#include "common/WaveUtil.h"

#include "common/Log.h"
#include "common/WaveWrite.h"
#include "platform/files/PendingFile.h"
#include "platform/files/Riff.h"
#include "platform/base/Rounding.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>

#include <memory>
#include <unistd.h>
#include <vector>

using platform::RiffChunk;
using platform::RiffFile;
namespace RiffCode = platform::RiffCode;

namespace {

constexpr int kMsgCannotOpenWave = 103;
constexpr int kMsgNotWave = 108;
constexpr int kMsgCannotReadFmt = 109;
constexpr int kMsgNoDataChunk = 111;
constexpr int kMsgNoFmtChunk = 161;
constexpr int kMsgNoWaveData = 164;
constexpr int kMsgCannotAscendData = 175;
constexpr int kMsgCannotAscendRiff = 176;

constexpr int64_t kBlockSize = 1 << 20;

bool writeSize(RiffFile& file, const RiffChunk& chunk, int64_t size)
{
    uint8_t bytes[4];
    qToLittleEndian<uint32_t>(uint32_t(size), bytes);
    return file.seek(chunk.dataOffset - 4) >= 0 && file.write(bytes, 4) == 4;
}

bool writeFill(RiffFile& file, int64_t count, uint8_t value)
{
    const std::vector<uint8_t> block(std::size_t(std::min(count, kBlockSize)), value);
    for (int64_t left = count; left > 0;) {
        const int64_t n = std::min<int64_t>(left, int64_t(block.size()));
        if (file.write(block.data(), n) != n)
            return false;
        left -= n;
    }
    return true;
}

// Copies the bytes [from, to) of source to the current position of target.
bool copyRange(RiffFile& source, int64_t from, int64_t to, RiffFile& target)
{
    if (source.seek(from) < 0)
        return false;
    std::vector<uint8_t> block(std::size_t(std::min(std::max<int64_t>(to - from, 0), kBlockSize)));
    for (int64_t left = to - from; left > 0;) {
        const int64_t n = std::min<int64_t>(left, int64_t(block.size()));
        if (source.read(block.data(), n) != n || target.write(block.data(), n) != n)
            return false;
        left -= n;
    }
    return true;
}

// Where the silence goes and what the sizes become.
struct SilencePlan {
    RiffChunk riff;
    RiffChunk data;
    int64_t fileSize = 0;
    int64_t dataEnd = 0;   // first byte after the sample data (where the silence starts)
    int64_t tailStart = 0; // first byte after "data" and its pad byte: the later chunks, if any
    int64_t newDataSize = 0;
    int64_t newRiffSize = 0;
    bool inPlace = false;  // "data" is the last thing in the file
};

// In place: the silence overwrites an old pad byte, a new one follows when the size becomes odd,
// and the sizes are written last, so a failure before them leaves the old WAV readable.
bool appendInPlace(RiffFile& file, const SilencePlan& plan, int64_t count, uint8_t silence)
{
    const bool ok = file.seek(plan.dataEnd) >= 0 && writeFill(file, count, silence)
                 && writeFill(file, plan.newDataSize & 1, 0) && writeSize(file, plan.data, plan.newDataSize)
                 && writeSize(file, plan.riff, plan.newRiffSize);
    if (!ok) {
        file.close();
        // Drop the bytes written past the old end; the old sizes still describe the file.
        ::truncate(QFile::encodeName(file.path()).constData(), plan.fileSize);
        return false;
    }
    return file.close() == RiffCode::Ok;
}

// With chunks after "data": header and data, the silence and its pad byte, then the later chunks
// unchanged, written beside the original and put in its place only when complete.
bool appendByCopy(RiffFile& source, const SilencePlan& plan, int64_t count, uint8_t silence)
{
    platform::PendingFile pending(source.path());
    if (!pending.isValid())
        return false;
    auto copy = RiffFile::open(pending.path(), RiffFile::Mode::ReadWrite);
    bool ok = copy && copyRange(source, 0, plan.dataEnd, *copy) && writeFill(*copy, count, silence)
           && writeFill(*copy, plan.newDataSize & 1, 0) && copyRange(source, plan.tailStart, plan.fileSize, *copy)
           && writeSize(*copy, plan.data, plan.newDataSize) && writeSize(*copy, plan.riff, plan.newRiffSize);
    ok = copy && copy->close() == RiffCode::Ok && ok;
    source.close();
    return ok && pending.commit();
}

} // namespace

int CreateEmptyWaveFile(const QString& fileName, uint32_t samplesPerSec, uint16_t bitsPerSample, uint16_t channels)
{
    WaveWriter writer;
    const int failed = startWaveFile(fileName, makePcmFormat(samplesPerSec, bitsPerSample, channels), writer);
    if (failed != 0)
        return failed;
    std::unique_ptr<RiffFile> file = std::move(writer.file);
    int result = 0;
    if (file->ascend(writer.dataChunk) != RiffCode::Ok)
        result = kMsgCannotAscendData;
    else if (file->ascend(writer.riffChunk) != RiffCode::Ok)
        result = kMsgCannotAscendRiff;
    if (file->close() != RiffCode::Ok && result == 0)
        result = kMsgCannotAscendRiff;
    return result;
}

int ReadWaveFormat(const QString& fileName, uint32_t* frames, WaveFormatEx* format)
{
    if (frames)
        *frames = 0;
    const auto file = RiffFile::open(fileName, RiffFile::Mode::Read);
    if (!file)
        return kMsgCannotOpenWave;
    RiffChunk riff;
    riff.formType = platform::fourCC("WAVE");
    if (file->descend(riff, nullptr, RiffFile::Descend::FindRiff) != RiffCode::Ok)
        return kMsgNotWave;
    RiffChunk fmt;
    fmt.id = platform::fourCC("fmt ");
    const int found = file->descend(fmt, &riff, RiffFile::Descend::FindChunk);
    if (found == RiffCode::ChunkNotFound)
        return kMsgNoFmtChunk;
    if (found != RiffCode::Ok || fmt.size < uint32_t(kWaveFormatMinSize))
        return kMsgCannotReadFmt;
    uint8_t bytes[kWaveFormatSize] = {};
    const int64_t wanted = std::min<int64_t>(fmt.size, kWaveFormatSize);
    if (file->read(bytes, wanted) != wanted)
        return kMsgCannotReadFmt;
    const WaveFormatEx read = parseWaveFormat(bytes, std::size_t(wanted));
    if (read.blockAlign == 0 || read.channels == 0)
        return kMsgCannotReadFmt;

    RiffChunk data;
    data.id = platform::fourCC("data");
    if (file->ascend(fmt) != RiffCode::Ok
        || file->descend(data, &riff, RiffFile::Descend::FindChunk) != RiffCode::Ok)
        return kMsgNoDataChunk;
    const uint32_t count = data.size / read.blockAlign;
    if (count == 0)
        return kMsgNoWaveData;
    if (frames)
        *frames = count;
    if (format)
        *format = read;
    return 0;
}

bool AppendSilenceToWave(const QString& fileName, int64_t count, bool eightBit)
{
    if (count < 0)
        return false;
    auto file = RiffFile::open(fileName, RiffFile::Mode::ReadWrite);
    SilencePlan plan;
    plan.data.id = platform::fourCC("data");
    if (!file || file->descend(plan.riff, nullptr, RiffFile::Descend::FindRiff) != RiffCode::Ok
        || file->descend(plan.data, &plan.riff, RiffFile::Descend::FindChunk) != RiffCode::Ok) {
        qCWarning(lcCommon) << "cannot append silence to" << fileName << "- not a readable WAV";
        return false;
    }
    if (count == 0)
        return true;

    plan.fileSize = file->fileSize();
    if (plan.fileSize < 0) {
        qCWarning(lcCommon) << "cannot append silence to" << fileName << "- its size cannot be read";
        return false;
    }
    plan.dataEnd = plan.data.dataOffset + plan.data.size;
    plan.tailStart = plan.dataEnd + (plan.data.size & 1);
    plan.inPlace = plan.tailStart >= plan.fileSize;
    plan.newDataSize = int64_t(plan.data.size) + count;
    const int64_t newPaddedEnd = plan.dataEnd + count + (plan.newDataSize & 1);
    plan.newRiffSize = plan.inPlace ? newPaddedEnd - plan.riff.dataOffset
                                    : int64_t(plan.riff.size) + (newPaddedEnd - plan.tailStart);
    if (plan.newRiffSize > kMaxRiffChunkSize) {
        qCWarning(lcCommon) << "cannot append" << count << "bytes of silence to" << fileName
                            << "- the WAV would pass 4 GiB";
        return false;
    }

    const uint8_t silence = eightBit ? 128 : 0;
    const bool ok = plan.inPlace ? appendInPlace(*file, plan, count, silence) : appendByCopy(*file, plan, count, silence);
    if (!ok)
        qCWarning(lcCommon) << "could not append silence to" << fileName;
    return ok;
}

int64_t ConvertPosition(uint32_t value, int fromUnit, int toUnit, const WaveFormatEx* format)
{
    if (!format || format->samplesPerSec == 0 || format->bitsPerSample == 0 || format->channels == 0)
        return 0;
    const bool known = (fromUnit == kPositionMilliseconds || fromUnit == kPositionFrames)
                    && (toUnit == kPositionMilliseconds || toUnit == kPositionFrames);
    if (!known)
        return 0;
    if (fromUnit == toUnit)
        return value;
    if (fromUnit == kPositionFrames)
        return int64_t(uint64_t(value) * 1000 / format->samplesPerSec);
    // value x rate always fits 64 unsigned bits but not always the signed helper. Splitting off a
    // multiple of 2000 keeps the parity of the quotient, which is what halves-to-even looks at.
    const uint64_t product = uint64_t(value) * format->samplesPerSec;
    const int64_t evenPart = int64_t(product / 2000) * 2;
    return evenPart + platform::divRoundHalfEven(int64_t(product % 2000), 1000);
}
