#pragma once
// One audio file decoded into a new PCM WAV: the conversion core under the MP3, WMA, Ogg and WAV
// format conversions of the suite. The WAV is written under a temporary name beside the target and
// put in its place only when complete; a failure or a cancel leaves the target as it was, and the
// source is never changed.
//
// A file is Corrupt when it fails to decode anywhere, decodes to nothing, ends before its stream
// does (an Ogg stream without its last page), or declares in a header more audio than it holds
// (an MP3's information frame, an ASF header) beyond what a decoder drops at the start and end of
// a stream. A WAV cut short is no such file: it is a recording that ended early, and its whole
// frames are converted.

#include "platform/codecs/AudioDecoder.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace platform::codecs {

// What a conversion asks of the machine, replaceable so tests can reach every road.
struct DecodeEnvironment {
    // Free bytes in a folder; by default what the file system says.
    std::function<int64_t(const QString& folder)> freeSpace;
    // Called on the converting thread after each block written.
    std::function<void()> blockWritten;
};

struct DecodeRequest {
    PcmTarget target;
    // The codecs (AudioFileInfo::codec) a library takes; any other is NotAudio. Empty: all.
    QStringList codecs;
    // Asked before each block; true stops the conversion (Cancelled).
    std::function<bool()> cancelled;
    // Called with the percent done, 0..100, never going down.
    std::function<void(int)> progress;
};

struct DecodeOutcome {
    DecodeStatus status = DecodeStatus::Ok;
    WaveFormatEx format;  // the output's format
    int64_t frames = 0;   // frames written
};

// Free bytes in the folder, or -1 when the file system does not say.
int64_t freeSpaceOf(const QString& folder);

DecodeOutcome decodeToWave(const QString& source, const QString& target, const DecodeRequest& request,
                           const DecodeEnvironment& environment = {});

// Whether two names lead to the same file (either may not exist yet).
bool sameFile(const QString& a, const QString& b);

} // namespace platform::codecs
