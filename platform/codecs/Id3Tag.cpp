#include "platform/codecs/Id3Tag.h"

#include <QFile>
#include <QtEndian>

#include <taglib/commentsframe.h>
#include <taglib/id3v1genres.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfilestream.h>
#include <taglib/urllinkframe.h>

#include <algorithm>

namespace platform::codecs {

namespace {

QString fromTagLib(const TagLib::String& text)
{
    return QString::fromStdString(text.to8Bit(true));
}

TagLib::String toTagLib(const QString& text)
{
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

bool fitsLatin1(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

TagLib::String::Type encodingFor(const QString& text)
{
    return fitsLatin1(text) ? TagLib::String::Latin1 : TagLib::String::UTF16;
}

// The link as ISO-8859-1 bytes; characters beyond it become percent-encoded UTF-8.
TagLib::String latin1Link(const QString& link)
{
    std::string bytes;
    for (char32_t c : link.toUcs4()) {
        if (c <= 0xFF) {
            bytes.push_back(char(c));
            continue;
        }
        for (char b : QString::fromUcs4(&c, 1).toUtf8()) {
            static const char hex[] = "0123456789ABCDEF";
            bytes.push_back('%');
            bytes.push_back(hex[uint8_t(b) >> 4]);
            bytes.push_back(hex[uint8_t(b) & 0xF]);
        }
    }
    return TagLib::String(bytes, TagLib::String::Latin1);
}

void addText(TagLib::ID3v2::Tag& tag, const char* id, const QString& text)
{
    if (text.isEmpty())
        return;
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(TagLib::ByteVector(id, 4), encodingFor(text));
    frame->setText(toTagLib(text));
    tag.addFrame(frame);
}

// The track as the record holds it: the number before a "/" (of "3/12"), cut to the field's width
// and without blanks at either end, also where the cut left one ("Tl x" gives "Tl"). Reading and
// writing both go through it, so a track read from a file is written back as it was read.
QString recordTrack(const QString& text)
{
    char field[sizeof(TID3InfoRecord::track)];
    setSongInfoText(field, text.section(QLatin1Char('/'), 0, 0).trimmed());
    return songInfoText(field).trimmed();
}

// The length of the frames at the start of data (ID3v2.3 frame headers), up to the padding.
int framesLength(const QByteArray& data)
{
    int at = 0;
    while (at + kId3HeaderSize <= data.size() && data[at] != '\0') {
        const uint32_t size = qFromBigEndian<uint32_t>(data.constData() + at + 4);
        if (size > uint32_t(data.size() - at - kId3HeaderSize))
            break;
        at += kId3HeaderSize + int(size);
    }
    return at;
}

QString genreName(const TagLib::StringList& fields)
{
    for (const TagLib::String& field : fields) {
        QString text = fromTagLib(field).trimmed();
        bool numeric = false;
        const int number = text.toInt(&numeric);
        if (numeric)
            text = fromTagLib(TagLib::ID3v1::genre(number));
        else if (text.startsWith(QLatin1Char('(')) && text.contains(QLatin1Char(')')))
            text = text.mid(text.lastIndexOf(QLatin1Char(')')) + 1).trimmed();
        if (!text.isEmpty())
            return text;
    }
    return {};
}

template <typename FrameType>
FrameType* preferEmptyDescription(const TagLib::ID3v2::FrameList& frames)
{
    FrameType* first = nullptr;
    for (TagLib::ID3v2::Frame* frame : frames) {
        auto* typed = dynamic_cast<FrameType*>(frame);
        if (!typed)
            continue;
        if (typed->description().isEmpty())
            return typed;
        if (!first)
            first = typed;
    }
    return first;
}

void fromId3v2(const TagLib::ID3v2::Tag& tag, TID3InfoRecord* record)
{
    const TagLib::ID3v2::FrameListMap& map = tag.frameListMap();
    const auto frames = [&map](const char* id) {
        const auto it = map.find(TagLib::ByteVector(id, 4));
        return it == map.end() ? TagLib::ID3v2::FrameList() : it->second;
    };
    const auto text = [&frames](const char* id) {
        const TagLib::ID3v2::FrameList list = frames(id);
        return list.isEmpty() ? QString() : fromTagLib(list.front()->toString());
    };

    setSongInfoText(record->title, text("TIT2"));
    setSongInfoText(record->artist, text("TPE1"));
    setSongInfoText(record->album, text("TALB"));
    QString year = text("TYER");
    if (year.isEmpty())
        year = text("TDRC");
    setSongInfoText(record->year, year.left(4));
    for (TagLib::ID3v2::Frame* frame : frames("TCON"))
        if (auto* genre = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frame))
            setSongInfoText(record->genre, genreName(genre->fieldList()));
    if (auto* comment = preferEmptyDescription<TagLib::ID3v2::CommentsFrame>(frames("COMM")))
        setSongInfoText(record->comment, fromTagLib(comment->text()));
    setSongInfoText(record->composer, text("TCOM"));
    setSongInfoText(record->copyright, text("TCOP"));
    setSongInfoText(record->language, text("TLAN"));
    setSongInfoText(record->track, recordTrack(text("TRCK")));
    if (auto* link = preferEmptyDescription<TagLib::ID3v2::UserUrlLinkFrame>(frames("WXXX")))
        setSongInfoText(record->link, fromTagLib(link->url()));
}

void fromId3v1(const TagLib::ID3v1::Tag& tag, TID3InfoRecord* record)
{
    setSongInfoText(record->title, fromTagLib(tag.title()));
    setSongInfoText(record->artist, fromTagLib(tag.artist()));
    setSongInfoText(record->album, fromTagLib(tag.album()));
    setSongInfoText(record->year, tag.year() ? QString::number(tag.year()) : QString());
    setSongInfoText(record->genre, fromTagLib(tag.genre()));
    setSongInfoText(record->comment, fromTagLib(tag.comment()));
    setSongInfoText(record->track, tag.track() ? QString::number(tag.track()) : QString());
}

bool fromFile(TagLib::IOStream* stream, TID3InfoRecord* record)
{
    TagLib::MPEG::File file(stream, TagLib::ID3v2::FrameFactory::instance(), false);
    if (!file.isValid())
        return false;
    *record = emptySongInfo();
    if (file.hasID3v2Tag()) {
        fromId3v2(*file.ID3v2Tag(), record);
        return true;
    }
    if (file.hasID3v1Tag()) {
        fromId3v1(*file.ID3v1Tag(), record);
        return true;
    }
    return false;
}

// ISO-8859-1 bytes of text, "?" for other characters, cut to width.
QByteArray latin1Field(const QString& text, int width)
{
    QByteArray bytes;
    for (QChar c : text.left(width))
        bytes.append(c.unicode() <= 0xFF ? char(c.unicode()) : '?');
    return bytes;
}

} // namespace

QByteArray id3v2Frames(const TID3InfoRecord& record)
{
    TagLib::ID3v2::Tag tag;
    addText(tag, "TIT2", songInfoText(record.title));
    addText(tag, "TPE1", songInfoText(record.artist));
    addText(tag, "TALB", songInfoText(record.album));
    addText(tag, "TRCK", recordTrack(songInfoText(record.track)));
    addText(tag, "TYER", songInfoText(record.year));
    addText(tag, "TCON", songInfoText(record.genre));
    if (const QString comment = songInfoText(record.comment); !comment.isEmpty()) {
        auto* frame = new TagLib::ID3v2::CommentsFrame(encodingFor(comment));
        frame->setLanguage("eng");
        frame->setText(toTagLib(comment));
        tag.addFrame(frame);
    }
    addText(tag, "TCOM", songInfoText(record.composer));
    addText(tag, "TCOP", songInfoText(record.copyright));
    addText(tag, "TLAN", songInfoText(record.language));
    if (const QString link = songInfoText(record.link); !link.isEmpty()) {
        auto* frame = new TagLib::ID3v2::UserUrlLinkFrame(TagLib::String::Latin1);
        frame->setUrl(latin1Link(link));
        tag.addFrame(frame);
    }
    const TagLib::ByteVector rendered = tag.render(TagLib::ID3v2::v3);
    const QByteArray body(rendered.data() + kId3HeaderSize, int(rendered.size()) - kId3HeaderSize);
    return body.left(framesLength(body));
}

QByteArray id3v2Tag(const QByteArray& frames, int64_t totalSize)
{
    const int64_t size = std::max<int64_t>(totalSize, kId3HeaderSize + frames.size());
    QByteArray tag(qsizetype(size), '\0');
    const uint32_t bodySize = uint32_t(size - kId3HeaderSize);
    tag[0] = 'I';
    tag[1] = 'D';
    tag[2] = '3';
    tag[3] = 3;
    tag[6] = char((bodySize >> 21) & 0x7F);
    tag[7] = char((bodySize >> 14) & 0x7F);
    tag[8] = char((bodySize >> 7) & 0x7F);
    tag[9] = char(bodySize & 0x7F);
    std::copy(frames.begin(), frames.end(), tag.begin() + kId3HeaderSize);
    return tag;
}

int64_t newId3TagSize(int64_t framesSize)
{
    const int64_t needed = kId3HeaderSize + framesSize;
    return needed <= kNewId3TagSize ? kNewId3TagSize : (needed + 1023) / 1024 * 1024;
}

QByteArray id3TagBytes(const TID3InfoRecord& record)
{
    const QByteArray frames = id3v2Frames(record);
    return id3v2Tag(frames, newId3TagSize(frames.size()));
}

std::optional<int64_t> id3v2TagSize(const QByteArray& firstBytes)
{
    if (firstBytes.size() < kId3HeaderSize || !firstBytes.startsWith("ID3"))
        return int64_t(0);
    const auto byte = [&firstBytes](int i) { return uint8_t(firstBytes[i]); };
    if (byte(3) < 2 || byte(3) > 4 || byte(4) == 0xFF)
        return std::nullopt;
    for (int i = 6; i < 10; ++i)
        if (byte(i) & 0x80)
            return std::nullopt;
    const int64_t body = int64_t(byte(6)) << 21 | int64_t(byte(7)) << 14 | int64_t(byte(8)) << 7 | byte(9);
    const bool footer = byte(3) == 4 && (byte(5) & 0x10);
    return kId3HeaderSize + body + (footer ? kId3HeaderSize : 0);
}

bool songInfoFromTagBytes(const QByteArray& bytes, TID3InfoRecord* record)
{
    TagLib::ByteVectorStream stream(TagLib::ByteVector(bytes.constData(), unsigned(bytes.size())));
    return fromFile(&stream, record);
}

bool songInfoFromMp3File(const QString& path, TID3InfoRecord* record)
{
    TagLib::FileStream stream(QFile::encodeName(path).constData(), true);
    return stream.isOpen() && fromFile(&stream, record);
}

QByteArray id3v1Tag(const TID3InfoRecord& record)
{
    QByteArray tag(kId3v1Size, '\0');
    const auto put = [&tag](int offset, int width, const QString& text) {
        const QByteArray bytes = latin1Field(text, width);
        std::copy(bytes.begin(), bytes.end(), tag.begin() + offset);
    };
    tag.replace(0, 3, "TAG");
    put(3, 30, songInfoText(record.title));
    put(33, 30, songInfoText(record.artist));
    put(63, 30, songInfoText(record.album));
    put(93, 4, songInfoText(record.year));
    bool numeric = false;
    const int track = songInfoText(record.track).toInt(&numeric);
    if (numeric && track >= 1 && track <= 255) {
        put(97, 28, songInfoText(record.comment));
        tag[126] = char(track);
    } else {
        put(97, 30, songInfoText(record.comment));
    }
    tag[127] = char(TagLib::ID3v1::genreIndex(toTagLib(songInfoText(record.genre))) & 0xFF);
    return tag;
}

} // namespace platform::codecs
