#include "editor/ID3v1.h"

#include "common/Log.h"
#include "platform/files/FileIo.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace editor {
namespace {

constexpr int kTagLength = 128;
constexpr int kTextLength = 30;
constexpr int kYearLength = 4;
constexpr int kTitleAt = 3;
constexpr int kArtistAt = 33;
constexpr int kAlbumAt = 63;
constexpr int kYearAt = 93;
constexpr int kCommentAt = 97;
constexpr int kTrackMarkAt = 125;
constexpr int kTrackAt = 126;
constexpr int kGenreAt = 127;

// At most length characters, without trailing blanks and control characters.
QString fieldText(const QString& text, int length)
{
    qsizetype end = std::min<qsizetype>(text.size(), length);
    while (end > 0 && text[end - 1].unicode() <= 0x20)
        --end;
    return text.left(end);
}

// A field's bytes up to the first zero (what follows it is left over from an older text).
QString readField(const QByteArray& tag, int at, int length)
{
    const QByteArray bytes = tag.mid(at, length);
    const qsizetype end = bytes.indexOf('\0');
    return fieldText(QString::fromLatin1(end < 0 ? bytes : bytes.first(end)), length);
}

void writeField(QByteArray& tag, int at, const QString& text, int length)
{
    const QByteArray bytes = text.toLatin1().left(length);
    std::memcpy(tag.data() + at, bytes.constData(), size_t(bytes.size()));
}

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
};

} // namespace

TID3v1::TID3v1()
{
    ResetData();
}

void TID3v1::ResetData()
{
    m_exists = false;
    m_versionId = 1;
    m_title.clear();
    m_artist.clear();
    m_album.clear();
    m_year.clear();
    m_comment.clear();
    m_track = 0;
    m_genre = 255;
}

void TID3v1::SetTitle(const QString& value) { m_title = fieldText(value, kTextLength); }
void TID3v1::SetArtist(const QString& value) { m_artist = fieldText(value, kTextLength); }
void TID3v1::SetAlbum(const QString& value) { m_album = fieldText(value, kTextLength); }
void TID3v1::SetYear(const QString& value) { m_year = fieldText(value, kYearLength); }
void TID3v1::SetComment(const QString& value) { m_comment = fieldText(value, kTextLength); }

bool TID3v1::ReadFromFile(const QString& fileName)
{
    ResetData();
    const Descriptor file(::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC));
    struct stat info;
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0) {
        qCWarning(lcCommon) << "cannot read the ID3v1 tag of" << fileName << ":" << platform::systemErrorText(errno);
        return false;
    }
    QByteArray tag(kTagLength, 0);
    if (info.st_size < kTagLength || platform::readAt(file.fd, tag.data(), kTagLength, info.st_size - kTagLength) != kTagLength) {
        qCWarning(lcCommon) << "cannot read the last" << kTagLength << "bytes of" << fileName;
        return false;
    }
    if (!tag.startsWith("TAG"))
        return true;
    m_exists = true;
    const char mark = tag[kTrackMarkAt];
    const char track = tag[kTrackAt];
    const bool withTrack = (mark == 0 && track != 0) || (mark == ' ' && track != ' ');
    m_versionId = withTrack ? 2 : 1;
    SetTitle(readField(tag, kTitleAt, kTextLength));
    SetArtist(readField(tag, kArtistAt, kTextLength));
    SetAlbum(readField(tag, kAlbumAt, kTextLength));
    SetYear(readField(tag, kYearAt, kYearLength));
    SetComment(readField(tag, kCommentAt, withTrack ? kTrackMarkAt - kCommentAt : kTextLength));
    if (withTrack)
        m_track = uint8_t(track);
    m_genre = uint8_t(tag[kGenreAt]);
    return true;
}

bool TID3v1::SaveToFile(const QString& fileName)
{
    QByteArray tag(kTagLength, 0);
    std::memcpy(tag.data(), "TAG", 3);
    writeField(tag, kTitleAt, m_title, kTextLength);
    writeField(tag, kArtistAt, m_artist, kTextLength);
    writeField(tag, kAlbumAt, m_album, kTextLength);
    writeField(tag, kYearAt, m_year, kYearLength);
    writeField(tag, kCommentAt, m_comment, kTextLength);
    if (m_track != 0) {
        tag[kTrackMarkAt] = 0;
        tag[kTrackAt] = char(m_track);
    }
    tag[kGenreAt] = char(m_genre);

    const QByteArray path = QFile::encodeName(fileName);
    struct stat info;
    if (::stat(path.constData(), &info) != 0) {
        qCWarning(lcCommon) << "cannot save the ID3v1 tag of" << fileName << ":" << platform::systemErrorText(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        qCWarning(lcCommon) << "cannot save an ID3v1 tag in" << fileName << ": it is not a file";
        return false;
    }
    if ((info.st_mode & S_IWUSR) == 0 && ::chmod(path.constData(), (info.st_mode & 07777) | S_IWUSR) != 0) {
        qCWarning(lcCommon) << "cannot make" << fileName << "writable:" << platform::systemErrorText(errno);
        return false;
    }
    // One write in one open: the new tag takes the old one's place, or follows the audio, so a
    // failure never leaves the file without the old tag and without the new one.
    const Descriptor file(::open(path.constData(), O_RDWR | O_CLOEXEC));
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0) {
        qCWarning(lcCommon) << "cannot open" << fileName << ":" << platform::systemErrorText(errno);
        return false;
    }
    int64_t at = info.st_size;
    if (info.st_size >= kTagLength) {
        char old[3];
        if (platform::readAt(file.fd, old, 3, info.st_size - kTagLength) != 3) {
            qCWarning(lcCommon) << "cannot read the end of" << fileName << ":" << platform::systemErrorText(errno);
            return false;
        }
        if (std::memcmp(old, "TAG", 3) == 0)
            at = info.st_size - kTagLength;
    }
    if (!platform::writeAt(file.fd, tag.constData(), kTagLength, at)) {
        qCWarning(lcCommon) << "cannot write the ID3v1 tag of" << fileName << ":" << platform::systemErrorText(errno);
        return false;
    }
    return true;
}

QString TID3v1::GetGenreName() const
{
    return m_genre < GenreNames().size() ? GenreNames()[m_genre] : QString();
}

const QStringList& TID3v1::GenreNames()
{
    // The editor's own numbering: 0 to 12 and 148 differ from the common list, and the names are
    // spelled as the editor has always shown and written them.
    static const QStringList names{
        "Podcast", "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
        "New Age", "Oldies", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial", "Alternative", "Ska",
        "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion",
        "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock",
        "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic",
        "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy",
        "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave",
        "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro",
        "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob",
        "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock", "Progessive Rock", "Psychedelic Rock",
        "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour", "Speech",
        "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire",
        "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle",
        "Duet", "Punk Rock", "Drum Solo", "A capella", "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House",
        "Hardcore", "Terror", "Indie", "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta Rap",
        "Heavy Metal", "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
        "Trash Metal", "Anime", "JPop", "Synthpop", "Other"};
    return names;
}

} // namespace editor
