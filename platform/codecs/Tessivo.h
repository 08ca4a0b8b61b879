#pragma once
// The tag library's calls: a tag object for one file (an MP3, or a WAV with its "id3 " chunk)
// holding that file's song information record, which the caller reads and replaces and then saves
// into the file. See TagFile.h for where the tag goes and Id3Tag.h for what it holds.

#include "platform/codecs/SongInfo.h"
#include "platform/codecs/TagFile.h"

#include <QString>

#include <memory>

namespace platform::codecs {

class TessivoTag;
struct TessivoTagDeleter {
    void operator()(TessivoTag* tag) const;
};
using ID3Object = std::unique_ptr<TessivoTag, TessivoTagDeleter>;

// A tag object for the file, holding the file's current tag (empty fields when it has none); null
// when the file is missing or is neither an MP3 nor a WAV.
void InitID3Object(ID3Object& object, const QString& fileName);

// Replace and copy out the object's record: 0, or TagFileCode::CannotRead for a null object.
int SetID3Info(TessivoTag* object, const TID3InfoRecord& record);
int GetID3Info(TessivoTag* object, TID3InfoRecord& record);

// Writes the object's record into its file: one of the TagFileCode values (a null object gives
// CannotRead).
int SaveID3InfoToFile(TessivoTag* object);

// Frees the object and resets the handle.
void DeInitID3Object(ID3Object& object);

} // namespace platform::codecs
