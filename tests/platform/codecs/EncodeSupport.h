#pragma once
// What the encoder, tag and zip tests share: the program folder of the build (where the encoder
// library is), tone WAVs made by sox, and what ffprobe, ffmpeg and sox say about our output.

#include <QMap>
#include <QString>

#include <cstdint>
#include <string>

namespace encodetest {

// The build's program folder, holding liblame_enc.so.
QString programBin();

// A sox-made WAV: a 1 kHz sine at half scale on every channel, with the plain PCM format tag
// whatever the sample size.
QString toneWave(const QString& path, int rate, int bits, int channels, double seconds);

// ffprobe's view of a file: the keys of "-of flat", e.g. "streams.stream.0.codec_name",
// "format.format_name", "streams.stream.0.nb_read_packets". Empty when ffprobe cannot read it.
QMap<QString, QString> probe(const QString& path);

// What ffmpeg decodes from a file, as a 16-bit WAV at path + ".decoded.wav"; its frame count, or -1.
int64_t decodeWithFfmpeg(const QString& path, QString* decoded = nullptr);

struct ToneStats {
    double frequency = 0;  // sox's rough frequency
    double rms = 0;        // RMS amplitude, full scale 1
    bool ok = false;
};
// sox stat over the first channel (mixed down) of a WAV.
ToneStats soxStats(const QString& wave);

// The names of the files in a folder, sorted and joined by blanks.
std::string folderEntries(const QString& folder);

} // namespace encodetest
