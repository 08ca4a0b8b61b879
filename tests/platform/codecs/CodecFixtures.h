#pragma once
// Compressed audio fixtures made at test time by tools we did not write (ffmpeg, lame, sox), and the
// reference decodes and probes of the same tools that our decoding is checked against.

#include "tests/support/TestSupport.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>

namespace codecfixtures {

testsupport::ToolResult runFfmpeg(const QStringList& arguments);

// Encodes `seconds` of a tone (mixed with quiet noise, so no two blocks are alike) into path with
// ffmpeg; encoder holds ffmpeg's output options ("-c:a", "libmp3lame", "-b:a", "128k", ...).
// Empty string when ffmpeg failed.
QString ffmpegTone(const QString& path, double seconds, int rate, int channels, const QStringList& encoder);

// An MP3 of a tone made by lame (constant bit rate kbps) from a sox WAV; empty string when a tool
// failed.
QString lameTone(const QString& path, double seconds, int rate, int channels, int kbps);

// A sox-made WAV of a tone with the given sox output options ("-e", "ima-adpcm", ...).
QString soxTone(const QString& path, double seconds, int rate, int channels, const QStringList& options);

// What ffmpeg decodes from path as raw interleaved PCM: 16-bit signed, or 8-bit unsigned when bits
// is 8; rate and channels 0 keep the source's.
QByteArray ffmpegDecode(const QString& path, int bits = 16, int rate = 0, int channels = 0);

// ffprobe's view of the file: "format" and "stream" (its first audio stream) objects.
QJsonObject ffprobe(const QString& path);

// Our WAV against ffmpeg's decode of the same source (tests/scripts/decode_compare.py).
struct Comparison {
    int channels = 0;
    int bits = 0;
    int rate = 0;
    int64_t frames = -1;
    int64_t referenceFrames = -1;
    int maxDiff = -1;
    int64_t differing = -1;
};
Comparison compareWithReference(const QString& wav, const QByteArray& reference);

// Every file in folder, hidden ones (a temporary output left behind) included.
QStringList folderEntries(const QString& folder);

// The bytes of path with its first `keep` bytes only.
void truncateCopy(const QString& from, const QString& to, int64_t keep);

// Holds a conversion on its working thread after its first block until the test releases it, so
// the test can act while the conversion is known to run.
class Gate {
public:
    ~Gate() { release(); }
    // The hook for DecodeEnvironment::blockWritten.
    std::function<void()> hook();
    // Waits (up to 60 s) until the conversion reached the gate; false when it never did.
    bool waitReached();
    void release();
    // Holds the next conversion again (after the last one has ended).
    void close();

private:
    std::atomic<bool> m_reached{false};
    std::atomic<bool> m_open{false};
};

} // namespace codecfixtures
