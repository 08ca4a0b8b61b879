#pragma once
// Whole-file WAV routines of the shared utilities: create an empty WAV, read a WAV's format and
// length, append silence to a WAV, and convert positions between milliseconds and sample frames.

#include "common/WaveFormat.h"

#include <QString>

#include <cstdint>

// Writes a complete PCM WAV with an empty "data" chunk (46 bytes). 0 on success, otherwise the
// message id of the failed step: 160 open, 170-174 header (see startWaveFile), 175 leaving "data",
// 176 leaving the RIFF chunk or closing the file.
int CreateEmptyWaveFile(const QString& fileName, uint32_t samplesPerSec, uint16_t bitsPerSample, uint16_t channels);

// Reads the format and the number of sample frames of a WAV; either out argument may be null.
// 0 on success, otherwise a message id: 103 cannot open, 108 no RIFF "WAVE" chunk, 161 no "fmt "
// chunk, 109 a "fmt " chunk that cannot be read or makes no sense (under 16 bytes, running past the
// end of the file, 0 channels, block align 0), 111 no readable "data" chunk, 164 no whole frame of
// data. The format tag is not checked. *frames is 0 on every failure.
int ReadWaveFormat(const QString& fileName, uint32_t* frames, WaveFormatEx* format);

// Appends count bytes of silence (128 when eightBit, else 0) to the "data" chunk of a WAV and
// enlarges its sizes. Chunks after "data" are kept: the file is then rewritten under a temporary
// name beside it and renamed over it, so a failure leaves the original as it was. False when the
// file is not a readable WAV, when the result would pass 4 GiB, or when writing fails. A count of 0
// changes nothing and succeeds for a readable WAV.
bool AppendSilenceToWave(const QString& fileName, int64_t count, bool eightBit);

inline constexpr int kPositionMilliseconds = 0;
inline constexpr int kPositionFrames = 1;

// Converts a position between milliseconds and sample frames in exact integer arithmetic:
// frames = round-half-even(ms x rate / 1000), ms = frames x 1000 div rate; the same unit in and
// out returns the value. 0 when the format is null or has a rate, bit depth or channel count of 0,
// and when either unit is not one of the two above.
int64_t ConvertPosition(uint32_t value, int fromUnit, int toUnit, const WaveFormatEx* format);
