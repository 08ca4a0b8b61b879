#include "platform/codecs/TagFile.h"

#include "platform/base/Log.h"
#include "platform/files/PendingFile.h"
#include "platform/files/Riff.h"
#include "platform/codecs/Id3Tag.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>
#include <vector>

namespace platform::codecs {

namespace {

constexpr uint32_t kWave = fourCC("WAVE");
constexpr uint32_t kList = fourCC("LIST");
constexpr uint32_t kRiff = fourCC("RIFF");
constexpr uint32_t kId3Lower = fourCC("id3 ");
constexpr uint32_t kId3Upper = fourCC("ID3 ");
constexpr int64_t kCopyBlock = 1 << 20;

bool isWritable(const QString& path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

bool isMpegFrameStart(const QByteArray& bytes)
{
    if (bytes.size() < 2)
        return false;
    const auto b0 = uint8_t(bytes[0]);
    const auto b1 = uint8_t(bytes[1]);
    return b0 == 0xFF && (b1 & 0xE0) == 0xE0 && ((b1 >> 3) & 3) != 1 && ((b1 >> 1) & 3) != 0;
}

// Copies count bytes from in at offset to the end of out.
int copyBytes(QFile& in, int64_t offset, int64_t count, QFile& out)
{
    if (!in.seek(offset))
        return TagFileCode::CannotRead;
    QByteArray block;
    while (count > 0) {
        block = in.read(std::min(count, kCopyBlock));
        if (block.isEmpty())
            return TagFileCode::CannotRead;
        if (out.write(block) != block.size())
            return TagFileCode::CannotWrite;
        count -= block.size();
    }
    return TagFileCode::Ok;
}

bool syncAndClose(QFile& file)
{
    const bool ok = file.flush() && ::fsync(file.handle()) == 0;
    file.close();
    return ok && file.error() == QFileDevice::NoError;
}

int writeMp3(const QString& path, const TID3InfoRecord& record)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return TagFileCode::CannotRead;
    const int64_t size = in.size();
    const std::optional<int64_t> oldTagSize = id3v2TagSize(in.read(kId3HeaderSize));
    if (!oldTagSize || *oldTagSize > size) {
        qCWarning(lcPlatform).noquote() << path << "has a damaged ID3 tag; its tag is left as it is";
        return TagFileCode::CannotRead;
    }
    bool hasId3v1 = false;
    if (size - *oldTagSize >= kId3v1Size) {
        if (!in.seek(size - kId3v1Size))
            return TagFileCode::CannotRead;
        hasId3v1 = in.read(3) == "TAG";
    }
    const QByteArray frames = id3v2Frames(record);

    if (*oldTagSize >= kId3HeaderSize + frames.size()) {
        in.close();
        QFile out(path);
        if (!out.open(QIODevice::ReadWrite) || out.write(id3v2Tag(frames, *oldTagSize)) != *oldTagSize)
            return TagFileCode::CannotWrite;
        if (hasId3v1 && (!out.seek(size - kId3v1Size) || out.write(id3v1Tag(record)) != kId3v1Size))
            return TagFileCode::CannotWrite;
        return syncAndClose(out) ? TagFileCode::Ok : TagFileCode::CannotWrite;
    }

    PendingFile pending(path);
    if (!pending.isValid())
        return TagFileCode::CannotWrite;
    QFile out(pending.path());
    if (!out.open(QIODevice::WriteOnly))
        return TagFileCode::CannotWrite;
    const QByteArray tag = id3v2Tag(frames, newId3TagSize(frames.size()));
    if (out.write(tag) != tag.size())
        return TagFileCode::CannotWrite;
    if (const int rc = copyBytes(in, *oldTagSize, size - *oldTagSize - (hasId3v1 ? kId3v1Size : 0), out);
        rc != TagFileCode::Ok)
        return rc;
    if (hasId3v1 && out.write(id3v1Tag(record)) != kId3v1Size)
        return TagFileCode::CannotWrite;
    if (!syncAndClose(out) || !pending.commit())
        return TagFileCode::CannotWrite;
    return TagFileCode::Ok;
}

struct WaveLayout {
    std::unique_ptr<RiffFile> file;
    RiffChunk riff;
    std::vector<RiffChunk> chunks; // the RIFF form's children in file order
    int tagIndex = -1;             // the first "id3 " (or "ID3 ") chunk among them
    int tagCount = 0;

    // The tag chunk that a new tag may be written over: the only one there is, and no larger than
    // a chunk that is read back.
    const RiffChunk* soleTag() const
    {
        return tagCount == 1 && chunks[size_t(tagIndex)].size <= kMaxWaveTagSize ? &chunks[size_t(tagIndex)] : nullptr;
    }
};

int readWaveLayout(const QString& path, WaveLayout& layout)
{
    layout.file = RiffFile::open(path, RiffFile::Mode::Read);
    if (!layout.file)
        return TagFileCode::CannotRead;
    layout.riff.formType = kWave;
    if (layout.file->descend(layout.riff, nullptr, RiffFile::Descend::FindRiff) != RiffCode::Ok)
        return TagFileCode::CannotRead;
    for (;;) {
        RiffChunk chunk;
        const int rc = layout.file->descend(chunk, &layout.riff, RiffFile::Descend::Next);
        if (rc == RiffCode::ChunkNotFound)
            break;
        if (rc != RiffCode::Ok || layout.file->ascend(chunk) != RiffCode::Ok)
            return TagFileCode::CannotRead;
        if (chunk.id == kId3Lower || chunk.id == kId3Upper) {
            if (layout.tagIndex < 0)
                layout.tagIndex = int(layout.chunks.size());
            ++layout.tagCount;
        }
        layout.chunks.push_back(chunk);
    }
    return TagFileCode::Ok;
}

// Copies a chunk's data from the layout's file into out at its position.
int copyChunkData(RiffFile& in, const RiffChunk& chunk, RiffFile& out)
{
    if (in.seek(chunk.dataOffset) < 0)
        return TagFileCode::CannotRead;
    std::vector<char> block(size_t(std::min<int64_t>(chunk.size, kCopyBlock)));
    for (int64_t left = chunk.size; left > 0;) {
        const int64_t n = std::min<int64_t>(left, int64_t(block.size()));
        if (in.read(block.data(), n) != n)
            return TagFileCode::CannotRead;
        if (out.write(block.data(), n) != n)
            return TagFileCode::CannotWrite;
        left -= n;
    }
    return TagFileCode::Ok;
}

int writeChunk(RiffFile& out, uint32_t id, const QByteArray& data)
{
    RiffChunk chunk;
    chunk.id = id;
    if (out.createChunk(chunk) != RiffCode::Ok || out.write(data.constData(), data.size()) != data.size()
        || out.ascend(chunk) != RiffCode::Ok)
        return TagFileCode::CannotWrite;
    return TagFileCode::Ok;
}

int rewriteWave(const QString& path, WaveLayout& layout, const QByteArray& tag)
{
    PendingFile pending(path);
    if (!pending.isValid())
        return TagFileCode::CannotWrite;
    std::unique_ptr<RiffFile> out = RiffFile::open(pending.path(), RiffFile::Mode::Create);
    if (!out)
        return TagFileCode::CannotWrite;
    RiffChunk riff;
    riff.formType = kWave;
    if (out->createChunk(riff, RiffFile::Create::Riff) != RiffCode::Ok)
        return TagFileCode::CannotWrite;
    for (int i = 0; i < int(layout.chunks.size()); ++i) {
        const RiffChunk& old = layout.chunks[size_t(i)];
        if (i == layout.tagIndex) {
            if (writeChunk(*out, kId3Lower, tag) != TagFileCode::Ok)
                return TagFileCode::CannotWrite;
            continue;
        }
        if (old.id == kId3Lower || old.id == kId3Upper)
            continue;
        // The header of a LIST (or RIFF) chunk carries its form type, which the RIFF layer writes.
        RiffChunk copy;
        copy.id = old.id;
        copy.formType = old.formType;
        RiffChunk body = old;
        if (old.id == kList || old.id == kRiff) {
            body.dataOffset += 4;
            body.size -= 4;
        }
        if (out->createChunk(copy) != RiffCode::Ok)
            return TagFileCode::CannotWrite;
        if (const int rc = copyChunkData(*layout.file, body, *out); rc != TagFileCode::Ok)
            return rc;
        if (out->ascend(copy) != RiffCode::Ok)
            return TagFileCode::CannotWrite;
    }
    if (layout.tagIndex < 0 && writeChunk(*out, kId3Lower, tag) != TagFileCode::Ok)
        return TagFileCode::CannotWrite;
    if (out->ascend(riff) != RiffCode::Ok)
        return TagFileCode::CannotWrite;
    // Whatever follows the RIFF form stays behind it.
    const int64_t formEnd = layout.riff.dataOffset + int64_t(layout.riff.size) + (layout.riff.size & 1);
    const int64_t fileSize = layout.file->fileSize();
    if (fileSize > formEnd) {
        RiffChunk rest;
        rest.dataOffset = formEnd;
        rest.size = uint32_t(std::min<int64_t>(fileSize - formEnd, 0xFFFFFFFF));
        if (const int rc = copyChunkData(*layout.file, rest, *out); rc != TagFileCode::Ok)
            return rc;
    }
    if (out->close() != RiffCode::Ok || !pending.commit())
        return TagFileCode::CannotWrite;
    return TagFileCode::Ok;
}

// Writes tag as the WAV's one tag chunk: over the sole old one when tag has its size exactly (the
// file keeps its size and every other byte), otherwise into a rewritten file.
int storeWaveTag(const QString& path, WaveLayout& layout, const QByteArray& tag)
{
    const RiffChunk* old = layout.soleTag();
    if (!old || int64_t(old->size) != tag.size())
        return rewriteWave(path, layout, tag);
    const int64_t offset = old->dataOffset;
    layout.file.reset();
    QFile out(path);
    if (!out.open(QIODevice::ReadWrite) || !out.seek(offset) || out.write(tag) != tag.size())
        return TagFileCode::CannotWrite;
    return syncAndClose(out) ? TagFileCode::Ok : TagFileCode::CannotWrite;
}

int writeWave(const QString& path, const TID3InfoRecord& record)
{
    WaveLayout layout;
    if (const int rc = readWaveLayout(path, layout); rc != TagFileCode::Ok)
        return rc;
    const QByteArray frames = id3v2Frames(record);
    const RiffChunk* old = layout.soleTag();
    const int64_t size = old && int64_t(old->size) >= kId3HeaderSize + frames.size() ? int64_t(old->size)
                                                                                     : newId3TagSize(frames.size());
    return storeWaveTag(path, layout, id3v2Tag(frames, size));
}

int writeWaveBytes(const QString& path, const QByteArray& tag)
{
    WaveLayout layout;
    if (const int rc = readWaveLayout(path, layout); rc != TagFileCode::Ok)
        return rc;
    const RiffChunk* old = layout.soleTag();
    if (old && int64_t(old->size) > tag.size())
        return storeWaveTag(path, layout, tag + QByteArray(qsizetype(old->size) - tag.size(), '\0'));
    return storeWaveTag(path, layout, tag);
}

// Writes the file's tag with write() after the checks that every tag write shares.
template <typename Write>
int checkedWrite(const QString& path, Write write)
{
    if (!QFileInfo::exists(path))
        return TagFileCode::CannotRead;
    if (!isWritable(path)) {
        qCWarning(lcPlatform).noquote() << "cannot write the tag of" << path << ": the file is read-only";
        return TagFileCode::CannotWrite;
    }
    const int rc = write();
    if (rc != TagFileCode::Ok)
        qCWarning(lcPlatform).noquote() << "cannot write the tag of" << path << ": code" << rc;
    return rc;
}

} // namespace

std::optional<TagFileKind> tagFileKind(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(12);
    if (head.startsWith("RIFF"))
        return head.mid(8, 4) == "WAVE" ? std::optional(TagFileKind::Wave) : std::nullopt;
    if (head.startsWith("ID3") || isMpegFrameStart(head) || path.endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive))
        return TagFileKind::Mp3;
    return std::nullopt;
}

std::optional<QByteArray> readWaveTagChunk(const QString& path)
{
    WaveLayout layout;
    if (readWaveLayout(path, layout) != TagFileCode::Ok) {
        qCWarning(lcPlatform).noquote() << "cannot read the chunks of" << path;
        return std::nullopt;
    }
    if (layout.tagIndex < 0)
        return std::nullopt;
    const RiffChunk& chunk = layout.chunks[size_t(layout.tagIndex)];
    if (chunk.size > kMaxWaveTagSize || layout.file->seek(chunk.dataOffset) < 0) {
        qCWarning(lcPlatform).noquote() << "the tag chunk of" << path << "is not read: its size is" << chunk.size;
        return std::nullopt;
    }
    QByteArray bytes(qsizetype(chunk.size), '\0');
    if (layout.file->read(bytes.data(), bytes.size()) != bytes.size())
        return std::nullopt;
    return bytes;
}

bool readTagFile(const QString& path, TagFileKind kind, TID3InfoRecord* record)
{
    *record = emptySongInfo();
    bool found = false;
    if (kind == TagFileKind::Mp3) {
        found = songInfoFromMp3File(path, record);
    } else if (const std::optional<QByteArray> tag = readWaveTagChunk(path)) {
        found = songInfoFromTagBytes(*tag, record);
    }
    if (!found)
        *record = emptySongInfo();
    return found;
}

int writeTagFile(const QString& path, TagFileKind kind, const TID3InfoRecord& record)
{
    return checkedWrite(path, [&] { return kind == TagFileKind::Wave ? writeWave(path, record) : writeMp3(path, record); });
}

int writeWaveTagChunk(const QString& path, const QByteArray& tag)
{
    return checkedWrite(path, [&] { return writeWaveBytes(path, tag); });
}

} // namespace platform::codecs
