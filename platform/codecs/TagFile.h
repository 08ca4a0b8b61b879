#pragma once
// Where a file keeps its tag and how a new tag gets there without putting the audio at risk.
//
// An MP3 file carries an ID3v2.3 tag at its start; an ID3v1 tag that it already has at its end is
// kept in step (none is added). A WAV file carries the same tag bytes in an "id3 " chunk of its
// RIFF form. A new tag that fits into the old one (its padding included) is written over it, the
// file keeping its size; otherwise the whole file is written anew beside the old one and renamed
// over it once complete (the new tag then has room to grow, see newId3TagSize). A WAV is rewritten
// as well when it holds more than one tag chunk, so that it is left with exactly one.

#include "platform/codecs/SongInfo.h"

#include <QString>

#include <optional>

namespace platform::codecs {

// Results of writing a tag: only these three values.
namespace TagFileCode {
inline constexpr int Ok = 0;
inline constexpr int CannotWrite = 3; // read-only file or folder, disk full, write error, a WAV past 4 GiB
inline constexpr int CannotRead = 5;  // the file is gone, unreadable, or not (any longer) what it was
} // namespace TagFileCode

enum class TagFileKind { Mp3, Wave };

// A RIFF "WAVE" file is a WAV; a file that starts with an ID3v2 header or an MPEG audio frame, or
// whose name ends in ".mp3", is an MP3; nothing else takes a tag.
std::optional<TagFileKind> tagFileKind(const QString& path);

// The file's tag as a record; false (the record emptied) when it has none or it cannot be read.
bool readTagFile(const QString& path, TagFileKind kind, TID3InfoRecord* record);

int writeTagFile(const QString& path, TagFileKind kind, const TID3InfoRecord& record);

// The data of a WAV's "id3 " (or "ID3 ") chunk as it is stored; nothing when the file is not a WAV,
// has no such chunk, or a chunk header does not fit the file.
std::optional<QByteArray> readWaveTagChunk(const QString& path);

// Stores ready tag bytes as a WAV's one "id3 " chunk, the same way writeTagFile does: over the old
// chunk's data when there is one chunk and the bytes fit (the rest of its data zeroed; an ID3v2
// tag's header says where the tag ends), else by rewriting the file. Every other chunk and its
// bytes stay as they were. One of the TagFileCode values.
int writeWaveTagChunk(const QString& path, const QByteArray& tag);

// The largest "id3 " chunk that is read.
inline constexpr int64_t kMaxWaveTagSize = 16 * 1024 * 1024;

} // namespace platform::codecs
