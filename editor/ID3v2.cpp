#include "editor/ID3v2.h"

#include "common/Log.h"
#include "platform/files/FileIo.h"
#include "platform/files/PendingFile.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <tuple>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace editor {
namespace {

constexpr int kHeaderLength = 10;
// A tag written in front of audio is padded to this length, and an old tag longer than this is
// never overwritten in place.
constexpr int64_t kTagRoom = 4096;
// The size field holds 28 bits.
constexpr int64_t kLargestTagBody = (int64_t(1) << 28) - 1;

struct FrameIds {
    const char* current; // versions 2.3 and 2.4
    const char* old;     // version 2.2
};

// The frames of the fields. The first twelve are written, in this order; the last four are read
// only, as second choices when the first ones are empty.
constexpr std::array<FrameIds, 16> kSlots{{
    {"TIT2", "TT2"}, {"TPE1", "TP1"}, {"TALB", "TAL"}, {"TRCK", "TRK"}, {"TYER", "TYE"}, {"TCON", "TCO"},
    {"COMM", "COM"}, {"TCOM", "TCM"}, {"TENC", "TEN"}, {"TCOP", "TCR"}, {"TLAN", "TLA"}, {"WXXX", "WXX"},
    {"TDRC", "TOR"}, {"TOPE", "TOA"}, {"TIT1", "TT1"}, {"TOAL", "TOT"},
}};
enum Slot {
    kTitle, kArtist, kAlbum, kTrack, kYear, kGenre, kComment, kComposer, kEncoder, kCopyright, kLanguage, kLink,
    kYearAlt, kArtistAlt, kTitleAlt, kAlbumAlt, kWrittenSlots = kLink + 1
};

// Frames of version 2.4 that version 2.3 does not know: a save drops them.
constexpr std::array<const char*, 18> kNewInVersion4{"ASPI", "EQU2", "RVA2", "SEEK", "SIGN", "TDEN",
                                                     "TDOR", "TDRC", "TDRL", "TDTG", "TIPL", "TMCL",
                                                     "TMOO", "TPRO", "TSOA", "TSOP", "TSOT", "TSST"};
// Frames other than the text frames whose data starts with a text encoding byte.
constexpr std::array<const char*, 11> kEncodedFrames{"APIC", "COMM", "COMR", "GEOB", "IPLS", "OWNE",
                                                     "SYLT", "TXXX", "USER", "USLT", "WXXX"};

bool isBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20;
}

QString trimmedField(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && isBlankOrControl(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

uint32_t bigEndian32(const uchar* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

uint32_t syncsafe32(const uchar* p)
{
    return uint32_t(p[0] & 0x7f) << 21 | uint32_t(p[1] & 0x7f) << 14 | uint32_t(p[2] & 0x7f) << 7 | uint32_t(p[3] & 0x7f);
}

const uchar* bytesOf(QByteArrayView view)
{
    return reinterpret_cast<const uchar*>(view.data());
}

// The tag's length from its header: the size field with its bytes taken whole, plus the header and
// the footer when one is flagged; 0 when the file is shorter.
int64_t tagLength(const uchar* header, int64_t fileSize)
{
    int64_t length = int64_t(header[6]) * (1 << 21) + int64_t(header[7]) * (1 << 14) + int64_t(header[8]) * (1 << 7) +
                     int64_t(header[9]);
    length += (header[5] & 0x10) ? 2 * kHeaderLength : kHeaderLength;
    return length > fileSize ? 0 : length;
}

// Undoes unsynchronisation: every 0xFF 0x00 pair loses its 0x00.
QByteArray resynchronised(QByteArrayView data)
{
    QByteArray out;
    out.reserve(data.size());
    for (qsizetype i = 0; i < data.size(); ++i) {
        out.append(data[i]);
        if (uchar(data[i]) == 0xff && i + 1 < data.size() && data[i + 1] == 0)
            ++i;
    }
    return out;
}

int charWidth(uint8_t encoding)
{
    return encoding == 1 || encoding == 2 ? 2 : 1;
}

// Where the string that starts at from ends (its terminator, or the end of the data).
qsizetype stringEnd(uint8_t encoding, QByteArrayView data, qsizetype from)
{
    const int width = charWidth(encoding);
    qsizetype i = from;
    for (; i + width <= data.size(); i += width) {
        if (data[i] == 0 && (width == 1 || data[i + 1] == 0))
            return i;
    }
    return std::min(i, data.size());
}

QString fromUtf16(QByteArrayView data, bool bigEndian)
{
    QString text;
    text.reserve(data.size() / 2);
    for (qsizetype i = 0; i + 1 < data.size(); i += 2) {
        const auto a = uchar(data[i]);
        const auto b = uchar(data[i + 1]);
        text.append(QChar(char16_t(bigEndian ? (a << 8 | b) : (b << 8 | a))));
    }
    return text;
}

// A string in one of the four text encodings, without its terminator.
QString decodeString(uint8_t encoding, QByteArrayView data)
{
    switch (encoding) {
    case 0:
        return QString::fromLatin1(data);
    case 1:
        if (data.size() >= 2 && uchar(data[0]) == 0xfe && uchar(data[1]) == 0xff)
            return fromUtf16(data.sliced(2), true);
        if (data.size() >= 2 && uchar(data[0]) == 0xff && uchar(data[1]) == 0xfe)
            return fromUtf16(data.sliced(2), false);
        return fromUtf16(data, false);
    case 2:
        return fromUtf16(data, true);
    default:
        return QString::fromUtf8(data);
    }
}

// The strings of a frame's data from offset, each ended by the encoding's terminator.
std::vector<QString> decodeStrings(uint8_t encoding, QByteArrayView data, qsizetype offset)
{
    std::vector<QString> strings;
    while (offset < data.size()) {
        const qsizetype end = stringEnd(encoding, data, offset);
        strings.push_back(decodeString(encoding, data.sliced(offset, end - offset)));
        offset = end + charWidth(encoding);
    }
    return strings;
}

bool fitsLatin1(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xff; });
}

// UTF-16 with its byte order mark, little-endian.
QByteArray utf16WithBom(const QString& text)
{
    QByteArray out("\xff\xfe", 2);
    for (QChar c : text) {
        out.append(char(c.unicode() & 0xff));
        out.append(char(c.unicode() >> 8));
    }
    return out;
}

void appendFrame(QByteArray& tag, QByteArrayView id, uint16_t flags, QByteArrayView data)
{
    const auto size = uint32_t(data.size());
    tag.append(id);
    const char header[6] = {char(size >> 24), char(size >> 16), char(size >> 8), char(size), char(flags >> 8),
                            char(flags)};
    tag.append(header, 6);
    tag.append(data);
}

bool isFrameIdChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Whether a version 2.4 frame may start at offset: the end of the frames, padding, or a frame ID.
bool frameMayStartAt(QByteArrayView frames, uint64_t offset)
{
    if (offset > uint64_t(frames.size()))
        return false;
    if (offset == uint64_t(frames.size()) || frames[qsizetype(offset)] == 0)
        return true;
    return offset + kHeaderLength <= uint64_t(frames.size()) &&
           std::all_of(frames.begin() + qsizetype(offset), frames.begin() + qsizetype(offset) + 4, isFrameIdChar);
}

bool contains(const auto& ids, QByteArrayView id)
{
    return std::any_of(ids.begin(), ids.end(), [id](const char* known) { return id == QByteArrayView(known); });
}

std::optional<int> slotOf(QByteArrayView id, uint8_t version)
{
    for (int slot = 0; slot < int(kSlots.size()); ++slot) {
        if (id == QByteArrayView(version == 2 ? kSlots[size_t(slot)].old : kSlots[size_t(slot)].current))
            return slot;
    }
    return std::nullopt;
}

// Reads the frames of one tag into the slots' texts and the frames kept for a save.
class TagReader {
public:
    std::array<QString, kSlots.size()> values;
    std::vector<std::tuple<QByteArray, uint16_t, QByteArray>> kept;

    void read(QByteArrayView tag)
    {
        const uchar* header = bytesOf(tag);
        m_version = header[3];
        const uint8_t flags = header[5];
        if (m_version == 2 && (flags & 0x40))
            return; // a compressed version 2.2 tag: no known way to expand it
        qsizetype end = tag.size();
        if (m_version == 4 && (flags & 0x10))
            end = std::max<qsizetype>(kHeaderLength, end - kHeaderLength);
        QByteArray frames = tag.sliced(kHeaderLength, end - kHeaderLength).toByteArray();
        // Before version 2.4 the whole tag is unsynchronised; from 2.4 on, each frame is.
        m_unsynchronised = flags & 0x80;
        if (m_unsynchronised && m_version < 4)
            frames = resynchronised(frames);
        if ((flags & 0x40) && !skipExtendedHeader(frames))
            return;
        readFrames(frames);
    }

private:
    uint8_t m_version = 0;
    bool m_unsynchronised = false;
    bool m_commentWithoutDescription = false;

    bool skipExtendedHeader(QByteArray& frames) const
    {
        if (frames.size() < 4)
            return false;
        uint64_t length = 0;
        if (m_version == 3)
            length = uint64_t(bigEndian32(bytesOf(frames))) + 4;
        else
            length = syncsafe32(bytesOf(frames));
        if (length < 4 || length > uint64_t(frames.size()))
            return false;
        frames.remove(0, qsizetype(length));
        return true;
    }

    // The length of the version 2.4 frame at offset. The format says syncsafe, but some writers
    // store it plain: the plain length is taken when the syncsafe one does not lead to a frame.
    uint64_t version4Length(QByteArrayView frames, qsizetype offset) const
    {
        const uchar* p = bytesOf(frames) + offset + 4;
        const uint32_t plain = bigEndian32(p);
        if (plain & 0x80808080)
            return plain;
        const uint32_t safe = syncsafe32(p);
        const uint64_t next = uint64_t(offset) + kHeaderLength;
        if (safe != plain && !frameMayStartAt(frames, next + safe) && frameMayStartAt(frames, next + plain))
            return plain;
        return safe;
    }

    void readFrames(QByteArrayView frames)
    {
        const qsizetype idLength = m_version == 2 ? 3 : 4;
        const qsizetype headerLength = m_version == 2 ? 6 : kHeaderLength;
        qsizetype offset = 0;
        while (offset + headerLength <= frames.size()) {
            const uchar* p = bytesOf(frames) + offset;
            if (p[0] < 'A' || p[0] > 'Z')
                break; // padding
            uint64_t length = 0;
            uint16_t flags = 0;
            if (m_version == 2) {
                length = uint32_t(p[3]) << 16 | uint32_t(p[4]) << 8 | p[5];
            } else {
                length = m_version == 4 ? version4Length(frames, offset) : bigEndian32(p + 4);
                flags = uint16_t(p[8] << 8 | p[9]);
            }
            const qsizetype start = offset + headerLength;
            if (length > uint64_t(frames.size() - start)) {
                qCInfo(lcCommon) << "an ID3v2 frame runs past the end of its tag; the frames after it are not read";
                break;
            }
            readFrame(frames.sliced(offset, idLength), flags, frames.sliced(start, qsizetype(length)));
            offset = start + qsizetype(length);
        }
    }

    void readFrame(QByteArrayView id, uint16_t flags, QByteArrayView data)
    {
        // A later frame of a second choice replaces an earlier one wholly, in what is read and in
        // what is kept, even where it cannot be read or kept itself.
        if (const auto slot = slotOf(id, m_version); slot && *slot >= kWrittenSlots) {
            values[size_t(*slot)].clear();
            std::erase_if(kept, [id](const auto& frame) { return std::get<0>(frame) == id; });
        }
        if (m_version == 2) {
            if (const auto slot = slotOf(id, m_version))
                readSlot(*slot, data);
            return;
        }
        if (m_version == 3) {
            const bool sealed = flags & 0x00c0; // compressed or encrypted
            const std::optional<int> slot = slotOf(id, m_version);
            if (slot && !sealed)
                readSlot(*slot, (flags & 0x0020) ? data.sliced(std::min<qsizetype>(1, data.size())) : data);
            // A frame flagged to be dropped when the tag changes is not carried over.
            if ((!slot || *slot >= kWrittenSlots) && !(flags & 0x8000))
                kept.emplace_back(id.toByteArray(), flags, data.toByteArray());
            return;
        }
        // Version 2.4: a group byte and a length may come before the data. A compressed or
        // encrypted frame is neither read nor kept.
        const bool grouped = flags & 0x0040;
        const qsizetype skip = (grouped ? 1 : 0) + ((flags & 0x0001) ? 4 : 0);
        if ((flags & 0x000c) || skip > data.size())
            return;
        QByteArray body = data.sliced(skip).toByteArray();
        if (m_unsynchronised || (flags & 0x0002))
            body = resynchronised(body);
        const std::optional<int> slot = slotOf(id, m_version);
        if (slot)
            readSlot(*slot, body);
        // A grouped frame (its group means nothing in another tag) and one flagged to be dropped
        // when the tag changes are not carried over.
        if ((!slot || *slot >= kWrittenSlots) && !grouped && !(flags & 0x4000))
            keepVersion4Frame(id, body);
    }

    // Keeps a version 2.4 frame in a form version 2.3 reads.
    void keepVersion4Frame(QByteArrayView id, QByteArray body)
    {
        if (contains(kNewInVersion4, id)) {
            qCDebug(lcCommon) << "the ID3v2.4 frame" << id << "has no ID3v2.3 form and is not kept";
            return;
        }
        const bool textFrame = id.startsWith('T') && id != QByteArrayView("TXXX");
        const uint8_t encoding = body.isEmpty() ? 0 : uchar(body[0]);
        if ((textFrame || contains(kEncodedFrames, id)) && encoding >= 2) {
            if (!textFrame || encoding > 3) {
                qCDebug(lcCommon) << "the ID3v2.4 frame" << id << "uses a text encoding ID3v2.3 lacks and is not kept";
                return;
            }
            // The same values in UTF-16, each ended by a zero as before.
            QByteArray converted(1, char(1));
            for (const QString& value : decodeStrings(encoding, body, 1))
                converted += utf16WithBom(value) + QByteArray(2, 0);
            converted.chop(2);
            body = converted;
        }
        kept.emplace_back(id.toByteArray(), uint16_t(0), body);
    }

    void readSlot(int slot, QByteArrayView data)
    {
        if (data.isEmpty())
            return;
        const auto encoding = uint8_t(data[0]);
        if (encoding > 3)
            return;
        if (slot == kComment) {
            if (data.size() < 4)
                return;
            const qsizetype descriptionEnd = stringEnd(encoding, data, 4);
            const bool described = descriptionEnd > 4 && !decodeString(encoding, data.sliced(4, descriptionEnd - 4)).isEmpty();
            // A comment without a description is the comment; described ones (a player's private
            // notes) only stand in while there is none.
            if (described && m_commentWithoutDescription)
                return;
            m_commentWithoutDescription = m_commentWithoutDescription || !described;
            const qsizetype textStart = std::min(data.size(), descriptionEnd + charWidth(encoding));
            values[size_t(slot)] = decodeString(encoding, data.sliced(textStart, stringEnd(encoding, data, textStart) - textStart));
            return;
        }
        if (slot == kLink) {
            const qsizetype urlStart = std::min(data.size(), stringEnd(encoding, data, 1) + charWidth(encoding));
            values[size_t(slot)] = decodeString(0, data.sliced(urlStart, stringEnd(0, data, urlStart) - urlStart));
            return;
        }
        // The first value only, where several follow one another.
        values[size_t(slot)] = decodeString(encoding, data.sliced(1, stringEnd(encoding, data, 1) - 1));
    }
};

// Closes a descriptor when it goes.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int value) : fd(value) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int release() { return std::exchange(fd, -1); }
};

// Lets the owner write the file ("clearing its attributes"). False when the file is missing.
bool makeWritable(const QByteArray& path, const QString& fileName)
{
    struct stat info;
    if (::stat(path.constData(), &info) != 0) {
        qCWarning(lcCommon) << "cannot save the ID3v2 tag of" << fileName << ":" << platform::systemErrorText(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        qCWarning(lcCommon) << "cannot save an ID3v2 tag in" << fileName << ": it is not a file";
        return false;
    }
    if ((info.st_mode & S_IWUSR) == 0 && ::chmod(path.constData(), (info.st_mode & 07777) | S_IWUSR) != 0) {
        qCWarning(lcCommon) << "cannot make" << fileName << "writable:" << platform::systemErrorText(errno);
        return false;
    }
    return true;
}

// Copies count bytes from in at from to out at to: through the kernel where it can, else through
// a buffer.
bool copyRange(int in, int64_t from, int out, int64_t to, int64_t count)
{
    constexpr int64_t kKernelChunk = int64_t(32) << 20;
    while (count > 0) {
        loff_t inOffset = from;
        loff_t outOffset = to;
        const ssize_t done = ::copy_file_range(in, &inOffset, out, &outOffset, size_t(std::min(count, kKernelChunk)), 0);
        if (done > 0) {
            from += done;
            to += done;
            count -= done;
            continue;
        }
        if (done == 0)
            return false; // the file ended early
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EOPNOTSUPP && errno != EINVAL)
            return false;
        break;
    }
    if (count == 0)
        return true;
    constexpr int64_t kBufferSize = int64_t(1) << 20;
    const auto buffer = std::make_unique<char[]>(size_t(kBufferSize));
    while (count > 0) {
        const int64_t wanted = std::min(count, kBufferSize);
        if (platform::readAt(in, buffer.get(), wanted, from) != wanted || !platform::writeAt(out, buffer.get(), wanted, to))
            return false;
        from += wanted;
        to += wanted;
        count -= wanted;
    }
    return true;
}

} // namespace

TID3v2::TID3v2()
{
    ResetData();
}

void TID3v2::ResetData()
{
    m_exists = false;
    m_versionId = 0;
    m_size = 0;
    for (QString* text : {&m_title, &m_artist, &m_album, &m_year, &m_genre, &m_comment, &m_composer, &m_encoder,
                          &m_copyright, &m_language, &m_link})
        text->clear();
    m_track = 0;
    m_kept.clear();
}

void TID3v2::SetTitle(const QString& value) { m_title = trimmedField(value); }
void TID3v2::SetArtist(const QString& value) { m_artist = trimmedField(value); }
void TID3v2::SetAlbum(const QString& value) { m_album = trimmedField(value); }
void TID3v2::SetYear(const QString& value) { m_year = trimmedField(value); }
void TID3v2::SetGenre(const QString& value) { m_genre = trimmedField(value); }
void TID3v2::SetComment(const QString& value) { m_comment = trimmedField(value); }
void TID3v2::SetComposer(const QString& value) { m_composer = trimmedField(value); }
void TID3v2::SetEncoder(const QString& value) { m_encoder = trimmedField(value); }
void TID3v2::SetCopyright(const QString& value) { m_copyright = trimmedField(value); }
void TID3v2::SetLanguage(const QString& value) { m_language = trimmedField(value); }
void TID3v2::SetLink(const QString& value) { m_link = trimmedField(value); }

bool TID3v2::ReadFromFile(const QString& fileName)
{
    ResetData();
    const Descriptor file(::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC));
    struct stat info;
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0) {
        qCWarning(lcCommon) << "cannot read the ID3v2 tag of" << fileName << ":" << platform::systemErrorText(errno);
        return false;
    }
    QByteArray tag(kHeaderLength, 0);
    if (platform::readAt(file.fd, tag.data(), kHeaderLength, 0) != kHeaderLength) {
        qCWarning(lcCommon) << "cannot read the start of" << fileName;
        return false;
    }
    if (tag.startsWith("ID3")) {
        const int64_t length = tagLength(bytesOf(tag), info.st_size);
        if (length > kHeaderLength) {
            tag.resize(qsizetype(length));
            const int64_t got = platform::readAt(file.fd, tag.data() + kHeaderLength, length - kHeaderLength, kHeaderLength);
            tag.resize(kHeaderLength + qsizetype(std::max<int64_t>(got, 0)));
        }
    }
    readTag(tag, info.st_size);
    return true;
}

bool TID3v2::ReadFromBytes(QByteArrayView bytes)
{
    ResetData();
    if (bytes.size() < kHeaderLength)
        return false;
    readTag(bytes, bytes.size());
    return true;
}

void TID3v2::readTag(QByteArrayView bytes, int64_t fileSize)
{
    if (!bytes.startsWith("ID3"))
        return;
    m_exists = true;
    m_versionId = uint8_t(bytes[3]);
    const int64_t length = tagLength(bytesOf(bytes), fileSize);
    m_size = int32_t(length);
    if (m_versionId < 2 || m_versionId > 4 || length <= 0)
        return;

    TagReader reader;
    reader.read(bytes.first(std::min<qsizetype>(bytes.size(), qsizetype(length))));
    const auto& v = reader.values;
    const auto value = [&v](int slot) { return trimmedField(v[size_t(slot)]); };
    const auto firstOf = [&value](int slot, int second) { return value(slot).isEmpty() ? value(second) : value(slot); };
    SetTitle(firstOf(kTitle, kTitleAlt));
    SetArtist(firstOf(kArtist, kArtistAlt));
    SetAlbum(firstOf(kAlbum, kAlbumAlt));
    QString track = value(kTrack);
    track = track.left(track.indexOf(QLatin1Char('/')));
    bool isNumber = false;
    const qlonglong number = track.toLongLong(&isNumber);
    m_track = isNumber ? uint8_t(number & 0xff) : 0;
    SetYear(value(kYear).isEmpty() ? value(kYearAlt).left(4) : value(kYear));
    const QString genre = value(kGenre);
    SetGenre(genre.mid(genre.lastIndexOf(QLatin1Char(')')) + 1));
    SetComment(value(kComment));
    SetComposer(value(kComposer));
    SetEncoder(value(kEncoder));
    SetCopyright(value(kCopyright));
    SetLanguage(value(kLanguage));
    SetLink(value(kLink));
    for (auto& [id, flags, data] : reader.kept)
        m_kept.push_back({id, flags, data});
}

QByteArray TID3v2::TagBytes() const
{
    return buildTag(m_kept, kTagRoom);
}

QByteArray TID3v2::buildTag(const std::vector<KeptFrame>& kept, int64_t length) const
{
    QByteArray tag("ID3\x03\x00\x00\x00\x00\x00\x00", kHeaderLength);
    const auto addText = [&tag](int slot, QByteArrayView prefix, const QString& text) {
        QByteArray data;
        if (fitsLatin1(text)) {
            data = char(0) + prefix.toByteArray();
            if (!prefix.isEmpty())
                data.append(char(0)); // an empty description
            data.append(text.toLatin1());
        } else {
            data = char(1) + prefix.toByteArray();
            if (!prefix.isEmpty())
                data.append(utf16WithBom({}) + QByteArray(2, 0));
            data.append(utf16WithBom(text));
        }
        appendFrame(tag, kSlots[size_t(slot)].current, 0, data);
    };
    const std::array<const QString*, kWrittenSlots> texts{&m_title, &m_artist, &m_album, nullptr, &m_year, &m_genre,
                                                          nullptr, &m_composer, &m_encoder, &m_copyright, &m_language,
                                                          nullptr};
    for (int slot = 0; slot < kWrittenSlots; ++slot) {
        if (slot == kTrack && m_track != 0)
            addText(slot, {}, QString::number(m_track));
        else if (slot == kComment && !m_comment.isEmpty())
            addText(slot, "eng", m_comment);
        else if (slot == kLink && !m_link.isEmpty())
            // A link is ISO-8859-1 whatever the description's encoding.
            appendFrame(tag, kSlots[size_t(slot)].current, 0, QByteArray(2, 0) + m_link.toLatin1());
        else if (texts[size_t(slot)] && !texts[size_t(slot)]->isEmpty())
            addText(slot, {}, *texts[size_t(slot)]);
    }
    for (const KeptFrame& frame : kept)
        appendFrame(tag, frame.id, frame.flags, frame.data);
    if (tag.size() < length)
        tag.append(QByteArray(qsizetype(length) - tag.size(), 0));
    const int64_t body = tag.size() - kHeaderLength;
    if (body > kLargestTagBody) {
        qCWarning(lcCommon) << "an ID3v2 tag of" << tag.size() << "bytes is larger than the format allows";
        return {};
    }
    for (int i = 0; i < 4; ++i)
        tag[6 + i] = char((body >> (7 * (3 - i))) & 0x7f);
    return tag;
}

bool TID3v2::SaveToFile(const QString& fileName)
{
    // The tag the file has now: its room, and its frames that the fields do not hold.
    TID3v2 old;
    old.ReadFromFile(fileName);
    const QByteArray path = QFile::encodeName(fileName);
    const QByteArray frames = buildTag(old.m_kept, 0);
    if (frames.isEmpty() || !makeWritable(path, fileName))
        return false;

    const int64_t oldLength = old.m_size;
    if (old.m_exists && oldLength >= frames.size() && oldLength <= kTagRoom) {
        const QByteArray tag = buildTag(old.m_kept, oldLength);
        const Descriptor file(::open(path.constData(), O_WRONLY | O_CLOEXEC));
        if (file.fd < 0 || !platform::writeAt(file.fd, tag.constData(), tag.size(), 0)) {
            qCWarning(lcCommon) << "cannot write the ID3v2 tag of" << fileName << ":" << platform::systemErrorText(errno);
            return false;
        }
        return true;
    }

    const QByteArray tag = buildTag(old.m_kept, kTagRoom);
    Descriptor in(::open(path.constData(), O_RDONLY | O_CLOEXEC));
    struct stat info;
    if (in.fd < 0 || ::fstat(in.fd, &info) != 0) {
        qCWarning(lcCommon) << "cannot read" << fileName << ":" << platform::systemErrorText(errno);
        return false;
    }
    platform::PendingFile pending(fileName);
    if (!pending.isValid()) {
        qCWarning(lcCommon).noquote() << "cannot save the ID3v2 tag of" << fileName << ":" << pending.errorText();
        return false;
    }
    const Descriptor out(::open(QFile::encodeName(pending.path()).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    // The audio follows the old tag; a tag that claims more than the file is skipped by nothing.
    const int64_t audioStart = old.m_exists ? std::min<int64_t>(oldLength, info.st_size) : 0;
    if (out.fd < 0 || !platform::writeAt(out.fd, tag.constData(), tag.size(), 0) ||
        !copyRange(in.fd, audioStart, out.fd, tag.size(), info.st_size - audioStart)) {
        qCWarning(lcCommon) << "cannot write the new version of" << fileName << ":" << platform::systemErrorText(errno);
        return false;
    }
    if (!pending.commit(platform::PendingFile::Durability::Durable)) {
        qCWarning(lcCommon).noquote() << "cannot save the ID3v2 tag of" << fileName << ":" << pending.errorText();
        return false;
    }
    // The old file goes when its last descriptor closes, and freeing a large file's blocks takes
    // the file system tens of milliseconds: a helper thread closes it, so the save does not wait.
    std::thread([fd = in.release()] { ::close(fd); }).detach();
    return true;
}

} // namespace editor
