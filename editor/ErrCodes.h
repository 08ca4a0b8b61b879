#pragma once
// The editor's maps from library result codes to its message ids. The mixer and waveform display
// maps are the recorder's (common/ErrCodes.h); the player map differs in one code, and the format
// conversion library has a map of its own.

namespace editor {

// The recorder's player map, except that 107 (play buffers cannot be prepared) gives 105. 360, an
// edit that would pass the 4 GiB limit of a WAV, gives kWaveTooLargeMessageId as it does there.
int PlayerErrorToMessageId(int code);

// Codes of the WAV reader behind the file information (WaveReadCode, and the RIFF layer's for the
// chunks): each gives the message the player library's own file information gives for such a file
// (no name 101, cannot open or read 103, no usable RIFF or "fmt " chunk 109, not PCM 110, out of
// memory 104, past 4 GiB kWaveTooLargeMessageId); any other code 100.
int WaveReadErrorToMessageId(int code);

// Codes of the format conversion process; any code not listed gives 449 (unknown error). 101 is the
// user's cancel (129), and 0 success (nothing to show). 128, a target that would pass the 4 GiB
// limit of a WAV, gives kWaveTooLargeMessageId rather than the write failure 463 of its neighbours.
int VXFmtHlpErrorToMessage(int code);

} // namespace editor
