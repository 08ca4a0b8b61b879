#include "platform/audio/EditFiles.h"

#include "platform/files/FileIo.h"
#include "platform/base/Log.h"
#include "platform/audio/PcmWave.h"
#include "platform/audio/PlayerCodes.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform::audio {

namespace {

// Bytes the kernel copies between two looks at the cancel word: a few tenths of a second.
constexpr int64_t kKernelStep = 64 << 20;
// Bytes read, changed and written at a time where the samples pass through the process.
constexpr int64_t kBufferStep = 4 << 20;

uint16_t writeFailure(int error)
{
    return error == ENOSPC || error == EDQUOT ? PlayerCode::NoTempSpace : PlayerCode::DiskWriteError;
}

int openFile(const QString& path, int flags)
{
    return ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
}

} // namespace

bool fitsInWave(int64_t dataBytes)
{
    // The RIFF chunk holds the form type, the 18-byte "fmt " chunk, the "data" chunk and its pad.
    constexpr int64_t kRiffOverhead = 4 + 8 + kWaveFormatSize + 8;
    return dataBytes >= 0 && kRiffOverhead + dataBytes + (dataBytes & 1) <= kMaxRiffChunkSize;
}

FileHandle::~FileHandle()
{
    close();
}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
{
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

bool FileHandle::close()
{
    if (m_fd < 0)
        return true;
    return ::close(std::exchange(m_fd, -1)) == 0;
}

uint16_t openEditInput(const QString& path, EditInput& input)
{
    input = EditInput{};
    PcmWave wave;
    uint16_t code = openPcmWave(path, wave);
    if (code == PlayerCode::NoFileName)
        code = PlayerCode::CannotOpenFile;
    else if (code == PlayerCode::NotPcm)
        code = PlayerCode::CompressedFile;
    else if (code == PlayerCode::Ok)
        code = checkStreamable(wave.format);
    if (code != PlayerCode::Ok)
        return code;
    FileHandle file(openFile(path, O_RDONLY));
    if (file.fd() < 0)
        return PlayerCode::CannotOpenFile;
    input.path = path;
    input.format = wave.format;
    input.dataOffset = wave.dataOffset;
    input.frames = wave.frames;
    input.file = std::move(file);
    return PlayerCode::Ok;
}

EditProgress::EditProgress(platform::PolledProcess::Control& control, int64_t totalBytes,
                           const EditEnvironment& environment)
    : m_control(control)
    , m_environment(environment)
    , m_total(std::max<int64_t>(totalBytes, 1))
{
}

void EditProgress::add(int64_t bytes)
{
    m_done += bytes;
    // 100 is kept for the moment every output is in place.
    m_control.setProgress(int(std::min<int64_t>(m_done * 100 / m_total, 99)));
    if (m_environment.stepDone)
        m_environment.stepDone();
}

uint16_t EditOutput::start(const QString& target, const WaveFormatEx& format, int64_t frames)
{
    m_format = format;
    const int64_t data = frames * format.blockAlign;
    if (!fitsInWave(data)) {
        qCWarning(lcPlatform) << "an edit's output" << target << "would hold" << data
                              << "bytes of samples, past the 4 GiB limit of a WAV";
        return PlayerCode::TooLarge;
    }
    m_pending = std::make_unique<platform::PendingFile>(target);
    if (!m_pending->isValid()) {
        qCWarning(lcPlatform).noquote() << "cannot start an edit's output:" << m_pending->errorText();
        return PlayerCode::DiskWriteError;
    }
    m_writer = std::make_unique<WaveWriter>();
    if (const int failed = startWaveFile(m_pending->path(), format, *m_writer)) {
        qCWarning(lcPlatform) << "cannot write the header of" << m_pending->path() << "(message" << failed << ")";
        m_writer.reset();
        return PlayerCode::DiskWriteError;
    }
    m_dataOffset = m_writer->dataChunk.dataOffset;
    m_file = FileHandle(openFile(m_pending->path(), O_WRONLY));
    if (m_file.fd() < 0) {
        qCWarning(lcPlatform) << "cannot open" << m_pending->path() << "for writing:" << platform::systemErrorText(errno);
        return PlayerCode::DiskWriteError;
    }
    return PlayerCode::Ok;
}

uint16_t EditOutput::write(const uint8_t* bytes, int64_t count)
{
    if (!platform::writeAt(m_file.fd(), bytes, count, m_dataOffset + m_written)) {
        const int error = errno;
        qCWarning(lcPlatform) << "cannot write to" << m_pending->path() << ":" << platform::systemErrorText(error);
        return writeFailure(error);
    }
    m_written += count;
    return PlayerCode::Ok;
}

uint16_t EditOutput::copyByBuffer(int fd, int64_t from, int64_t count)
{
    std::vector<uint8_t> buffer(std::size_t(std::min(count, kBufferStep)));
    while (count > 0) {
        const int64_t want = std::min<int64_t>(count, int64_t(buffer.size()));
        const ssize_t got = ::pread(fd, buffer.data(), std::size_t(want), from);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            qCWarning(lcPlatform) << "an edit's input ended or failed to read at byte" << from;
            return PlayerCode::CannotOpenFile;
        }
        if (const uint16_t code = write(buffer.data(), got))
            return code;
        from += got;
        count -= got;
    }
    return PlayerCode::Ok;
}

uint16_t EditOutput::copyByKernel(int fd, int64_t from, int64_t count)
{
    loff_t in = from;
    while (count > 0 && m_kernelCopy) {
        loff_t out = m_dataOffset + m_written;
        const ssize_t done = ::copy_file_range(fd, &in, m_file.fd(), &out, std::size_t(count), 0);
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
            m_kernelCopy = false; // file systems that cannot: the rest goes through a buffer
            break;
        }
        if (done < 0) {
            const int error = errno;
            qCWarning(lcPlatform) << "cannot copy samples into" << m_pending->path() << ":" << platform::systemErrorText(error);
            return error == EIO ? PlayerCode::CannotOpenFile : writeFailure(error);
        }
        if (done == 0) {
            qCWarning(lcPlatform) << "an edit's input ended early at byte" << in;
            return PlayerCode::CannotOpenFile;
        }
        m_written += done;
        count -= done;
    }
    return count > 0 ? copyByBuffer(fd, in, count) : PlayerCode::Ok;
}

void EditOutput::startWriteback(int64_t bytes)
{
    // The file is flushed to the disk before it is put in place; starting the disk's writes now,
    // while the next step is copied, keeps that flush short. A file system that cannot is no error.
    ::sync_file_range(m_file.fd(), m_dataOffset + m_written - bytes, bytes, SYNC_FILE_RANGE_WRITE);
}

uint16_t EditOutput::copy(const EditInput& input, int64_t first, int64_t count, EditProgress& progress)
{
    int64_t from = input.dataOffset + input.bytes(first);
    int64_t left = input.bytes(count);
    while (left > 0) {
        if (progress.cancelled())
            return platform::kProcessCancelled;
        const int64_t step = std::min(left, progress.step(kKernelStep));
        if (const uint16_t code = copyByKernel(input.file.fd(), from, step))
            return code;
        startWriteback(step);
        progress.add(step);
        from += step;
        left -= step;
    }
    return PlayerCode::Ok;
}

uint16_t EditOutput::silence(int64_t count, EditProgress& progress)
{
    int64_t left = count * m_format.blockAlign;
    const std::vector<uint8_t> zeros(std::size_t(std::min(left, progress.step(kBufferStep))),
                                     m_format.bitsPerSample == 8 ? 128 : 0);
    while (left > 0) {
        if (progress.cancelled())
            return platform::kProcessCancelled;
        const int64_t step = std::min<int64_t>(left, int64_t(zeros.size()));
        if (const uint16_t code = write(zeros.data(), step))
            return code;
        startWriteback(step);
        progress.add(step);
        left -= step;
    }
    return PlayerCode::Ok;
}

uint16_t EditOutput::transform(const EditInput& input, int64_t first, int64_t count, const Change& change,
                               EditProgress& progress)
{
    const int frameBytes = input.format.blockAlign;
    const int64_t stepFrames = std::max<int64_t>(1, progress.step(kBufferStep) / frameBytes);
    std::vector<uint8_t> buffer(std::size_t(std::min(count, stepFrames) * frameBytes));
    while (count > 0) {
        if (progress.cancelled())
            return platform::kProcessCancelled;
        const int64_t frames = std::min(count, stepFrames);
        const int64_t bytes = frames * frameBytes;
        if (platform::readAt(input.file.fd(), buffer.data(), bytes, input.dataOffset + input.bytes(first)) != bytes) {
            qCWarning(lcPlatform) << "an edit's input" << input.path << "ended or failed to read";
            return PlayerCode::CannotOpenFile;
        }
        change(buffer.data(), frames);
        if (const uint16_t code = write(buffer.data(), bytes))
            return code;
        startWriteback(bytes);
        progress.add(bytes);
        first += frames;
        count -= frames;
    }
    return PlayerCode::Ok;
}

uint16_t EditOutput::finish()
{
    if (!m_file.close()) {
        const int error = errno;
        qCWarning(lcPlatform) << "cannot close" << m_pending->path() << ":" << platform::systemErrorText(error);
        return writeFailure(error);
    }
    const int64_t end = m_dataOffset + m_written;
    if (!m_writer || m_writer->file->seek(end) != end || !CloseWaveFile(m_writer)) {
        qCWarning(lcPlatform) << "cannot finish the header of" << m_pending->path();
        return PlayerCode::DiskWriteError;
    }
    return PlayerCode::Ok;
}

uint16_t EditOutput::commit()
{
    return m_pending && m_pending->commit() ? PlayerCode::Ok : PlayerCode::FileInUse;
}

} // namespace platform::audio
