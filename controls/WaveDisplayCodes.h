#pragma once
// Result codes and peak states of the waveform display. The values are fixed: callers map the
// codes to message ids, and the recorder and the editor compare the states.

#include <cstdint>

namespace controls {

namespace WaveDisplayCode {
inline constexpr int Ok = 0;
inline constexpr int CannotOpenWave = 101;     // the WAV (or a file whose time is wanted) cannot be opened
inline constexpr int NotWave = 102;            // no RIFF chunk of form "WAVE"
inline constexpr int NoFormatChunk = 103;
inline constexpr int FormatChunkUnreadable = 104;
inline constexpr int NoDataChunk = 105;
inline constexpr int OutOfMemory = 106;
inline constexpr int ReadFailed = 107;         // a read of sample data returned nothing
inline constexpr int DrawFailed = 109;
inline constexpr int Cancelled = 110;
inline constexpr int NoFileToBuild = 111;
inline constexpr int NothingToDraw = 112;
inline constexpr int UnsupportedFormat = 113;  // not 8/16 bits, not 1/2 channels, or a wrong block align
inline constexpr int NoWaveOpen = 114;
inline constexpr int EmptyPeakFileName = 115;
inline constexpr int CannotCreatePeakFile = 116;
inline constexpr int PeakFileWriteFailed = 117;
inline constexpr int FileTimeUnreadable = 118;
inline constexpr int CannotOpenPeakFile = 119;
inline constexpr int PeakFileReadFailed = 120;
inline constexpr int PeakFileStale = 121;      // older than the WAV, or the wrong entry or channel count
} // namespace WaveDisplayCode

enum class PeakState : int32_t {
    Opened = 1,
    Building = 2,
    Built = 3,
    CancelRequested = 4,
    Closed = 5,
};

} // namespace controls
