#pragma once
// Result codes of the player and music-track libraries (16 bits, 0 = success) and the numbers of the
// messages they post. The codes are those of the programs' player code map, which turns each into
// the message the user sees; the engine returns no code outside that map but 323, a caller's fault,
// which the map shows as its unknown error. 360 (an edit past 4 GiB) maps to the message that says
// the file would pass the largest size a WAV can have.

#include <cstdint>

namespace platform::audio {

namespace PlayerCode {
inline constexpr uint16_t Ok = 0;
inline constexpr uint16_t NoFileName = 100;          // no file name for playback
inline constexpr uint16_t AlreadyPlaying = 101;      // playback already runs (or runs and is not paused)
inline constexpr uint16_t CannotOpenFile = 102;      // the WAV cannot be opened
inline constexpr uint16_t FormatNotSupported = 104;  // not 8/16-bit 1/2-channel PCM; a pad not in the take's format
inline constexpr uint16_t CannotOpenOutput = 105;    // the output device cannot be opened
inline constexpr uint16_t FormatsDiffer = 107;       // the two files of a mixed playback differ; MixData's format
inline constexpr uint16_t CannotReadFmt = 108;       // no RIFF WAVE, no or bad "fmt " chunk
inline constexpr uint16_t NotPcm = 109;
inline constexpr uint16_t CannotReadData = 110;      // no "data" chunk
inline constexpr uint16_t NoDataToPlay = 117;        // empty range; a transport call while nothing plays
inline constexpr uint16_t NoPreferredOutput = 150;   // the server names no default output among the devices
inline constexpr uint16_t InvalidOutputIndex = 152;
inline constexpr uint16_t NoPreferredInput = 153;
inline constexpr uint16_t InvalidInputIndex = 155;
inline constexpr uint16_t UnsupportedRecordFormat = 201;
inline constexpr uint16_t CannotOpenRecordFile = 203;
inline constexpr uint16_t RecordDeviceBusy = 204;    // cannot open the input; the input went away while recording
inline constexpr uint16_t CannotStartRecording = 205;
inline constexpr uint16_t AlreadyRecording = 206;    // a recording, level test or music take already runs
inline constexpr uint16_t NoRecordFileName = 207;
inline constexpr uint16_t DiskWriteError = 301;      // the take or an edit's output could not be written
inline constexpr uint16_t NoCutSelection = 302;
inline constexpr uint16_t NoTempSpace = 303;         // the disk of an edit's output is full
inline constexpr uint16_t OutOfMemory = 304;
inline constexpr uint16_t NoCopySelection = 306;
inline constexpr uint16_t ClipFileMissing = 307;     // the file to paste cannot be opened
inline constexpr uint16_t ClipFormatDiffers = 308;
inline constexpr uint16_t PlaybackRunning = 310;     // no edit while the engine plays
inline constexpr uint16_t NothingToPaste = 312;      // the clipboard is empty
inline constexpr uint16_t PositionBeyondSize = 313;  // a position or range outside the file, or an unknown unit
inline constexpr uint16_t CompressedFile = 318;      // an edit's input is not PCM
inline constexpr uint16_t FileInUse = 319;           // an output names an input, or cannot be put in place
inline constexpr uint16_t NoClearSelection = 320;
inline constexpr uint16_t NoCropSelection = 321;
inline constexpr uint16_t BadTempLocation = 322;
inline constexpr uint16_t InvalidHandle = 323;       // an unknown process handle, or no handle cell
inline constexpr uint16_t TooLarge = 360;            // an edit's output would pass the 4 GiB limit of a WAV
} // namespace PlayerCode

// Posted to the player's callback window: the playback reached its end (or its device failed).
// wParam: non-zero when the mixed data saturated. lParam: the engine's number of that playback.
inline constexpr uint32_t kMsgPlaybackEnded = 0x465;
// Posted to the player's callback window: the take ended by itself (its input went away or failed,
// or it could not be written). wParam: the code AudioStopRecord will return (204, 205 or 301).
// lParam: the engine's number of that recording. Not delivered once the recording was stopped.
inline constexpr uint32_t kMsgRecordingEnded = 0x467;
// Posted to the music-track library's callback window: wParam = the pad index (0..35).
inline constexpr uint32_t kMsgPadEnded = 0x52D;
// Posted to the music-track library's callback window: the music take ended by itself.
inline constexpr uint32_t kMsgMusicRecordingEnded = 0x52E;

} // namespace platform::audio
