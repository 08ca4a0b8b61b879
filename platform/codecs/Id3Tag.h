#pragma once
// ID3 tags of the song information record, built and read in memory with TagLib.
//
// Written tags are ID3v2.3: title TIT2, artist TPE1, album TALB, track TRCK, year TYER, genre TCON
// (the name), comment COMM (language "eng", empty description), composer TCOM, copyright TCOP,
// language TLAN, link WXXX (empty description); one frame per non-empty field. A frame is
// ISO-8859-1 when its text fits, otherwise UTF-16 with a byte-order mark. A link holds ISO-8859-1
// only (the frame has no other encoding for it): other characters are written percent-encoded as
// UTF-8, which is the same address. Read tags may be ID3v2.2, 2.3 or 2.4 in any text encoding.
// The track is read and written the same way: the part before a "/", at most three bytes, without
// blanks at its ends, so a record read from a tag is saved as it was read.

#include "platform/codecs/SongInfo.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace platform::codecs {

inline constexpr int kId3HeaderSize = 10;
inline constexpr int kId3v1Size = 128;
// The size a new tag is given at least, so that later edits fit into its padding.
inline constexpr int64_t kNewId3TagSize = 4096;

// The frames of the record's tag, without header and padding.
QByteArray id3v2Frames(const TID3InfoRecord& record);
// A whole ID3v2.3 tag: header, frames and zero padding up to totalSize (at least 10 + frames).
QByteArray id3v2Tag(const QByteArray& frames, int64_t totalSize);
// The size of a new tag for frames of this size: kNewId3TagSize, or more in steps of 1,024 bytes.
int64_t newId3TagSize(int64_t framesSize);
// The record's tag as a new tag is written: id3v2Tag(frames, newId3TagSize(frames)).
QByteArray id3TagBytes(const TID3InfoRecord& record);

// The whole size of the ID3v2 tag that a file starts with (header, footer included), read from its
// first 10 bytes: 0 when the bytes are not an ID3v2 header, nothing when the header is damaged.
std::optional<int64_t> id3v2TagSize(const QByteArray& firstBytes);

// The record from a tag at the start of bytes (ID3v2 first, else an ID3v1 tag in the last 128
// bytes); false when bytes hold neither.
bool songInfoFromTagBytes(const QByteArray& bytes, TID3InfoRecord* record);
// The same from a file, which is only read.
bool songInfoFromMp3File(const QString& path, TID3InfoRecord* record);

// A 128-byte ID3v1.1 tag of the record: ISO-8859-1 text cut to its fields ("?" for other
// characters), the track when it is 1 to 255, the genre's number in the common list (255 when the
// name is not in it).
QByteArray id3v1Tag(const TID3InfoRecord& record);

} // namespace platform::codecs
