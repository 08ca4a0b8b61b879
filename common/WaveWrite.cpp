#include "common/WaveWrite.h"

#include "common/Log.h"

#include <QtEndian>

using platform::RiffChunk;
using platform::RiffFile;
namespace RiffCode = platform::RiffCode;

namespace {

constexpr int kMsgCannotCreateWave = 160;
constexpr int kMsgCannotCreateRiff = 170;
constexpr int kMsgCannotCreateFmt = 171;
constexpr int kMsgCannotWriteFormat = 172;
constexpr int kMsgCannotAscendFmt = 173;
constexpr int kMsgCannotCreateData = 174;

int writeHeader(RiffFile& file, const WaveFormatEx& format, WaveWriter& writer)
{
    // Until the file is finished its sizes say "to the end of the file", so a file whose writer
    // died (a crash during a recording) is still read whole: readers clamp such sizes.
    writer.riffChunk = {};
    writer.riffChunk.size = uint32_t(kMaxRiffChunkSize);
    writer.riffChunk.formType = platform::fourCC("WAVE");
    if (file.createChunk(writer.riffChunk, RiffFile::Create::Riff) != RiffCode::Ok)
        return kMsgCannotCreateRiff;
    RiffChunk fmt;
    fmt.id = platform::fourCC("fmt ");
    if (file.createChunk(fmt) != RiffCode::Ok)
        return kMsgCannotCreateFmt;
    uint8_t bytes[kWaveFormatSize];
    serializeWaveFormat(format, bytes);
    if (file.write(bytes, kWaveFormatSize) != kWaveFormatSize)
        return kMsgCannotWriteFormat;
    if (file.ascend(fmt) != RiffCode::Ok)
        return kMsgCannotAscendFmt;
    writer.dataChunk = {};
    writer.dataChunk.size = uint32_t(kMaxRiffChunkSize);
    writer.dataChunk.id = platform::fourCC("data");
    if (file.createChunk(writer.dataChunk) != RiffCode::Ok)
        return kMsgCannotCreateData;
    return 0;
}

// Writes the "data" and RIFF sizes (and the pad byte) for what was written, then closes the file.
bool finish(WaveWriter& writer)
{
    RiffFile& file = *writer.file;
    bool ok = file.ascend(writer.dataChunk) == RiffCode::Ok && file.ascend(writer.riffChunk) == RiffCode::Ok;
    ok = file.close() == RiffCode::Ok && ok;
    if (!ok)
        qCWarning(lcCommon) << "could not finish the WAV file" << file.path();
    writer.file.reset();
    return ok;
}

// Ends a write that failed: keeps what was written before, closes and resets the handle.
bool failWrite(WaveWriterHandle& handle, WaveWriteError failure, WaveWriteError* error)
{
    if (handle && handle->file && !finish(*handle))
        failure = WaveWriteError::WriteFailed;
    handle.reset();
    if (error)
        *error = failure;
    return false;
}

} // namespace

WaveWriter::~WaveWriter()
{
    if (file)
        finish(*this);
}

int startWaveFile(const QString& fileName, const WaveFormatEx& format, WaveWriter& writer)
{
    writer.file = RiffFile::open(fileName, RiffFile::Mode::Create);
    if (!writer.file)
        return kMsgCannotCreateWave;
    const int failed = writeHeader(*writer.file, format, writer);
    if (failed != 0) {
        writer.file->close();
        writer.file.reset();
    }
    return failed;
}

WaveWriterHandle CreateWaveFile(const QString& fileName, uint32_t samplesPerSec, uint16_t bitsPerSample,
                                uint16_t channels)
{
    auto writer = std::make_unique<WaveWriter>();
    const int failed = startWaveFile(fileName, makePcmFormat(samplesPerSec, bitsPerSample, channels), *writer);
    if (failed != 0) {
        qCWarning(lcCommon).nospace() << "cannot create the WAV file " << fileName << " (message " << failed << ")";
        return nullptr;
    }
    return writer;
}

bool WriteWaveData(WaveWriterHandle& handle, const void* buffer, int64_t count, WaveWriteError* error)
{
    if (error)
        *error = WaveWriteError::None;
    if (!handle || !handle->file)
        return failWrite(handle, WaveWriteError::WriteFailed, error);
    WaveWriter& writer = *handle;
    if (count < 0 || (count > 0 && !buffer))
        return failWrite(handle, WaveWriteError::WriteFailed, error);

    const int64_t dataSize = writer.file->position() + count - writer.dataChunk.dataOffset;
    const int64_t riffSize = writer.dataChunk.dataOffset + dataSize + (dataSize & 1) - writer.riffChunk.dataOffset;
    if (riffSize > kMaxRiffChunkSize) {
        qCWarning(lcCommon) << "the WAV file" << writer.file->path() << "would pass 4 GiB; it is closed at"
                            << dataSize - count << "bytes of data";
        return failWrite(handle, WaveWriteError::TooLarge, error);
    }
    if (count > 0 && writer.file->write(buffer, count) != count) {
        qCWarning(lcCommon) << "could not write to the WAV file" << writer.file->path();
        return failWrite(handle, WaveWriteError::WriteFailed, error);
    }
    return true;
}

bool RefreshWaveHeader(WaveWriterHandle& handle)
{
    if (!handle || !handle->file)
        return false;
    WaveWriter& writer = *handle;
    RiffFile& file = *writer.file;
    const int64_t end = file.position();
    const int64_t riffSize = end - writer.riffChunk.dataOffset;
    const int64_t dataSize = end - writer.dataChunk.dataOffset;
    if (dataSize < 0 || riffSize > kMaxRiffChunkSize)
        return false;
    // Each size field sits just before the first byte of its chunk's data.
    auto writeSize = [&](int64_t dataOffset, int64_t size) {
        uint8_t bytes[4];
        qToLittleEndian(uint32_t(size), bytes);
        return file.seek(dataOffset - 4) == dataOffset - 4 && file.write(bytes, 4) == 4;
    };
    bool ok = writeSize(writer.riffChunk.dataOffset, riffSize) && writeSize(writer.dataChunk.dataOffset, dataSize);
    ok = file.seek(end) == end && ok;
    if (!ok)
        qCWarning(lcCommon) << "could not bring the header of" << file.path() << "up to date";
    return ok;
}

bool CloseWaveFile(WaveWriterHandle& handle)
{
    const bool ok = handle && handle->file && finish(*handle);
    handle.reset();
    return ok;
}
