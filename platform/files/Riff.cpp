#include "platform/files/Riff.h"

#include "platform/files/FileIo.h"
#include "platform/base/Log.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr uint32_t kRiff = fourCC("RIFF");
constexpr uint32_t kList = fourCC("LIST");
constexpr uint32_t kData = fourCC("data");
constexpr int64_t kMaxChunkSize = 0xFFFFFFFFLL;

bool hasFormType(uint32_t id)
{
    return id == kRiff || id == kList;
}

int64_t paddedEnd(const RiffChunk& c)
{
    return c.dataOffset + int64_t(c.size) + (c.size & 1);
}

} // namespace

RiffFile::RiffFile(int fd, QString path)
    : m_fd(fd)
    , m_path(std::move(path))
{
}

RiffFile::~RiffFile()
{
    close();
}

std::unique_ptr<RiffFile> RiffFile::open(const QString& path, Mode mode, int* error)
{
    int flags = O_CLOEXEC | O_NONBLOCK; // non-blocking only so that a FIFO cannot stall the open
    switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    case Mode::ReadWrite: flags |= O_RDWR; break;
    case Mode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    const QByteArray name = QFile::encodeName(path);
    const int fd = name.isEmpty() ? -1 : ::open(name.constData(), flags, 0666);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        if (error)
            *error = RiffCode::CannotOpen;
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (error)
        *error = RiffCode::Ok;
    return std::unique_ptr<RiffFile>(new RiffFile(fd, path));
}

int64_t RiffFile::fileSize() const
{
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return -1;
    return st.st_size;
}

int64_t RiffFile::read(void* buffer, int64_t count)
{
    if (m_fd < 0 || count < 0)
        return -1;
    const int64_t n = readAt(m_fd, buffer, count, m_position);
    if (n > 0)
        m_position += n;
    return n;
}

int64_t RiffFile::write(const void* buffer, int64_t count)
{
    if (m_fd < 0 || count < 0)
        return -1;
    if (!writeAt(m_fd, buffer, count, m_position))
        return -1;
    m_position += count;
    return count;
}

int64_t RiffFile::seek(int64_t offset, int whence)
{
    int64_t base = 0;
    switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = m_position; break;
    case SEEK_END:
        base = fileSize();
        if (base < 0)
            return -1;
        break;
    default: return -1;
    }
    const int64_t target = base + offset;
    if (m_fd < 0 || target < 0)
        return -1;
    m_position = target;
    return target;
}

int RiffFile::close()
{
    if (m_fd < 0)
        return RiffCode::Ok;
    const int rc = ::close(m_fd);
    m_fd = -1;
    if (rc != 0) {
        qCWarning(lcPlatform) << "closing" << m_path << "failed:" << errno;
        return RiffCode::CannotWrite;
    }
    return RiffCode::Ok;
}

// Reads the chunk header at `at`; the chunk must lie within `limit` (its parent's end or the end of
// the file, whichever comes first). Only top-level RIFF chunks and "data" chunks may be clamped.
int RiffFile::readHeader(int64_t at, int64_t limit, RiffChunk& chunk, bool topLevel)
{
    if (at + 8 > limit)
        return RiffCode::ChunkNotFound;
    uint8_t header[12];
    if (readAt(m_fd, header, 8, at) != 8)
        return RiffCode::CannotRead;
    RiffChunk c;
    c.id = qFromLittleEndian<uint32_t>(header);
    c.storedSize = qFromLittleEndian<uint32_t>(header + 4);
    c.size = c.storedSize;
    c.dataOffset = at + 8;
    if (c.dataOffset + int64_t(c.storedSize) > limit) {
        const bool mayClamp = (c.id == kData) || (topLevel && c.id == kRiff);
        if (!mayClamp)
            return RiffCode::Corrupt;
        c.size = uint32_t(limit - c.dataOffset);
        c.flags |= RiffChunk::Clamped;
    }
    if (hasFormType(c.id)) {
        if (c.size < 4 || readAt(m_fd, header + 8, 4, c.dataOffset) != 4)
            return RiffCode::Corrupt;
        c.formType = qFromLittleEndian<uint32_t>(header + 8);
    }
    chunk = c;
    return RiffCode::Ok;
}

int RiffFile::descend(RiffChunk& chunk, const RiffChunk* parent, Descend how)
{
    if (m_fd < 0)
        return RiffCode::InvalidArgument;
    const int64_t size = fileSize();
    if (size < 0)
        return RiffCode::CannotRead;

    int64_t start = 0;
    int64_t limit = size;
    if (parent) {
        start = parent->dataOffset + (hasFormType(parent->id) ? 4 : 0);
        limit = std::min(limit, parent->dataOffset + int64_t(parent->size));
    }
    const bool topLevel = (parent == nullptr);

    if (how == Descend::Next) {
        RiffChunk found;
        const int rc = readHeader(m_position, limit, found, topLevel);
        if (rc != RiffCode::Ok)
            return rc;
        chunk = found;
        m_position = found.dataOffset + (hasFormType(found.id) ? 4 : 0);
        return RiffCode::Ok;
    }

    for (int64_t at = start;;) {
        RiffChunk found;
        const int rc = readHeader(at, limit, found, topLevel);
        if (rc != RiffCode::Ok)
            return rc;
        bool match = false;
        switch (how) {
        case Descend::FindChunk: match = (found.id == chunk.id); break;
        case Descend::FindRiff: match = (found.id == kRiff && (chunk.formType == 0 || found.formType == chunk.formType)); break;
        case Descend::FindList: match = (found.id == kList && (chunk.formType == 0 || found.formType == chunk.formType)); break;
        case Descend::Next: break;
        }
        if (match) {
            chunk = found;
            m_position = found.dataOffset + (hasFormType(found.id) ? 4 : 0);
            return RiffCode::Ok;
        }
        at = paddedEnd(found);
    }
}

int RiffFile::ascend(RiffChunk& chunk)
{
    if (m_fd < 0)
        return RiffCode::InvalidArgument;
    if (chunk.flags & RiffChunk::Created) {
        const int64_t size = m_position - chunk.dataOffset;
        if (size < 0)
            return RiffCode::InvalidArgument;
        if (size > kMaxChunkSize)
            return RiffCode::TooLarge;
        uint8_t bytes[4];
        qToLittleEndian<uint32_t>(uint32_t(size), bytes);
        if (!writeAt(m_fd, bytes, 4, chunk.dataOffset - 4))
            return RiffCode::CannotWrite;
        if (size & 1) {
            const uint8_t pad = 0;
            if (!writeAt(m_fd, &pad, 1, chunk.dataOffset + size))
                return RiffCode::CannotWrite;
        }
        chunk.size = uint32_t(size);
        chunk.storedSize = uint32_t(size);
        chunk.flags &= ~uint32_t(RiffChunk::Created);
    }
    m_position = paddedEnd(chunk);
    return RiffCode::Ok;
}

int RiffFile::createChunk(RiffChunk& chunk, Create kind)
{
    if (m_fd < 0)
        return RiffCode::InvalidArgument;
    const uint32_t id = kind == Create::Riff ? kRiff : kind == Create::List ? kList : chunk.id;
    uint8_t header[12];
    qToLittleEndian<uint32_t>(id, header);
    qToLittleEndian<uint32_t>(chunk.size, header + 4);
    int64_t length = 8;
    if (hasFormType(id)) {
        qToLittleEndian<uint32_t>(chunk.formType, header + 8);
        length = 12;
    }
    if (!writeAt(m_fd, header, length, m_position))
        return RiffCode::CannotWrite;
    chunk.id = id;
    chunk.dataOffset = m_position + 8;
    chunk.flags = RiffChunk::Created;
    chunk.storedSize = chunk.size;
    m_position += length;
    return RiffCode::Ok;
}

} // namespace platform
