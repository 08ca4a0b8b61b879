#pragma once
// Result codes and their messages in the recorder. A failing code is either a message id of the
// string table already or a code of one of the audio libraries, which its map below turns into a
// message id. 0 is success everywhere and maps to 0 (nothing to show).

#include "platform/ui/Messages.h"
#include "platform/ui/StringTable.h"

// The code of an operation the user cancelled (also the id of the "aborted" warning). A cancelled
// library process ends with it; it is no failure to report.
inline constexpr int kCancelledCode = 129;
// A WAV file would pass the 4 GiB size limit of the format.
inline constexpr int kWaveTooLargeMessageId = 900;

inline constexpr char kRecorderCaption[] = "Wexo Ravadur";
inline constexpr char kRecorderStringTablePath[] = ":/strings/recorder.tsv";

// Player (audio engine) codes; any code not listed gives 100. 360, an edit whose result would pass
// the 4 GiB limit of a WAV, gives kWaveTooLargeMessageId, so the refusal is told in words.
int PlayerErrorToMessageId(int code);
// Mixer codes; any code not listed gives 385.
int MixerErrorToMessageId(int code);
// MP3-to-WAV conversion codes; any code not listed gives 364.
int Mp3ToWavErrorToMessageId(int code);
// Waveform display and peak cache codes; any code not listed gives 168. The peak-cache codes map
// to ids without text: the cache is simply rebuilt.
int WaveDisplayErrorToMessageId(int code);

using ErrorCodeMap = int (*)(int code);

// Shows a library's failing result through its map: 0 shows nothing, and neither does a cancel
// (logged as such; it is handled before the map, where it would read as an unknown error).
void ShowMappedError(const platform::Messages& messages, int code, ErrorCodeMap map);

// The recorder's message texts, loaded once from the program's resources.
const platform::StringTable& recorderStringTable();
// The recorder's message routines: its texts under its caption.
platform::Messages makeRecorderMessages(platform::Interaction& interaction);
