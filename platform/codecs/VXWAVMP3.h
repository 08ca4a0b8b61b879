#pragma once
// The system MP3 codec road of the MP3 dialogs ("Windows ACM Default"). Linux has no system-wide
// audio codec manager, and the only MP3 encoder here is the LAME library the dialogs already offer
// as "Lame Encoder"; so this road reports that no suitable codec is installed, the dialogs list the
// LAME encoder alone, and without it they take their "no MP3 component" road.

#include <QString>

#include <cstdint>

namespace platform::codecs {

namespace SystemMp3Code {
inline constexpr int Ok = 0;
inline constexpr int NoCodec = 436; // no MP3 codec installed
} // namespace SystemMp3Code

// Always SystemMp3Code::NoCodec.
int IsValidMP3CodecFound(const QString& file);
// 0, with *supported false for every rate.
int IsBitrateSupported(const QString& file, uint32_t bitsPerSecond, bool* supported);
// SystemMp3Code::NoCodec; nothing is written.
int ConvertWaveFileToMp3(const QString& source, const QString& target, uint32_t bitsPerSecond);
// 0, with *percent 0: no conversion ever runs.
int GetStatusWavToMP3(int* percent);
int StopConversionWavToMP3();

} // namespace platform::codecs
