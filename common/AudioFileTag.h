#pragma once
// The song information of an audio file, read and written by its extension: MP3 files carry it as
// an ID3 tag at their start, WAV files as the same tag bytes in an "id3 " chunk of their RIFF form,
// WMA files carry none. The tag bytes are built and parsed in memory.
//
// A WAV's chunk is written so that the file stays valid RIFF (one "id3 " chunk, a pad byte after an
// odd size, the RIFF size in step), over the old chunk when the tag fits it, else into a complete
// new file that replaces the old one; the audio data is never touched.

#include "platform/codecs/SongInfo.h"

#include <QByteArray>
#include <QString>

namespace platform {
class Messages;
}

// The result of ReadWavId3Chunk when the file has no readable "id3 " chunk.
inline constexpr int kNoWavTagCode = 483;
// The message of a tag that cannot be written into a WAV; the recorder has no text for it.
inline constexpr int kWavTagWriteMessageId = 482;
inline constexpr char kReadOnlyTagMessage[] = "Error : Can not write ID3 information in read only file.";

// Writes the record as the file's tag through the tag library: false when the library cannot
// write it (a read-only or vanished file); true when it did, or when the file takes no tag.
bool SaveId3Info(const QString& fileName, const TID3InfoRecord& record);
// The file's tag into record (emptied first); a file that takes no tag leaves record as it was.
void LoadId3Info(const QString& fileName, TID3InfoRecord& record);

// The tag that the library writes in front of a file's content, for the record.
QByteArray BuildId3TagBlock(const TID3InfoRecord& record);
// Stores tag as the WAV's "id3 " chunk. A failure shows message 482 (which is logged when it has no
// text) and gives false.
bool WriteWavId3Chunk(const QString& wavFile, const QByteArray& tag, const platform::Messages& messages);
// The tag of the WAV's "id3 " chunk into record: 0, or kNoWavTagCode when the file is no WAV, has no
// such chunk or a chunk does not fit the file. Chunk data that holds no tag leaves record as it was.
int ReadWavId3Chunk(const QString& wavFile, TID3InfoRecord& record);

// The file's tag by its extension (any case): ".mp3" and ".wav" give true with the record emptied
// and then filled from the tag when there is one; ".wma" gives false with the record emptied; other
// extensions give true and leave the record as it was. A missing file gives false.
bool ReadAudioFileTag(const QString& fileName, TID3InfoRecord& record);
// Writes the record as the file's tag by its extension: ".mp3" through the tag library (a failure
// shows the read-only error box), ".wav" into its "id3 " chunk; other extensions and missing files
// are left alone (true). False when a tag could not be written.
bool WriteAudioFileTag(const QString& fileName, const TID3InfoRecord& record, const platform::Messages& messages);
