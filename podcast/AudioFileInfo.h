#pragma once
// What the builder learns of an episode's audio file: its kind, length and size.
#include "podcast/PodcastRecord.h"

#include <QString>

namespace podcast {

// Reads a WAV, MP3 or WMA file (by its extension, any case) and sets AudioKind, DurationMs,
// Hours, Minutes, Seconds and FileSize. False, with the record untouched, when the file does not
// exist, has another extension or cannot be read as audio (the reason is logged).
bool GetAudioFileInformation(const QString& path, PodcastRecord& record);

} // namespace podcast
