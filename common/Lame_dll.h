#pragma once
// PCM WAV to MP3 through the encoder library liblame_enc.so of the program folder: whether the
// library is there, whether it takes a WAV at a bit rate, and the encoding loop itself.
//
// The loop writes the MP3 under a temporary name beside the target and renames it over the target
// only when the whole file is written, so a failed or aborted encoding leaves the user's old file
// (or no file) as it was.

#include <QString>

#include <atomic>
#include <cstdint>

namespace LameCode {
inline constexpr int Ok = 0;
inline constexpr int BitRateTooHigh = 406; // above 160 kbit/s at 8,000 to 22,050 Hz
inline constexpr int WaveMissing = 500;
inline constexpr int NotPcm = 501;        // not a readable PCM WAV of 8 or 16 bits
inline constexpr int Refused = 502;       // the encoder refuses the configuration
inline constexpr int NoLibrary = 503;     // the encoder library cannot be loaded
inline constexpr int NoMemory = 504;
inline constexpr int ReadError = 505;
inline constexpr int EncodeError = 506;   // encoding or writing the MP3 failed
inline constexpr int Aborted = 507;
inline constexpr int CannotCreate = 508;  // the MP3 file cannot be created
} // namespace LameCode

// Results of IsLameBitrateSupported's look at the WAV.
namespace LameProbe {
inline constexpr int Ok = 0;
inline constexpr int NotOpened = 1;     // "Not Opened"
inline constexpr int FileReadError = 2; // "File Read Error"
} // namespace LameProbe

inline constexpr char kLameNotOpenedMessage[] = "Not Opened";
inline constexpr char kLameFileReadErrorMessage[] = "File Read Error";
inline constexpr char kLameCannotCreateMessage[] = "File is already open in some other application!";

// Whether the program folder's encoder library loads (it then stays loaded).
bool IsLameEncoderPresent();

// Reads the WAV's format (kept for LameAcceptsBitrate) and sets *supported when the encoder takes it
// at bitRate kbit/s: above 20, not 24 or less at 44,100 Hz and up, not above 160 at 8,000 to
// 22,050 Hz, 8 or 16 bits, and accepted by the library. The result is a LameProbe code; on a
// failure the caller shows its message, once for a whole list of rates.
int IsLameBitrateSupported(const QString& wav, int bitRate, bool* supported);

// Whether the library opens a stream for the WAV last examined at bitRate kbit/s.
bool LameAcceptsBitrate(int bitRate);

// What a window shares with the encoding it runs on a worker: the percent of the data read, 0 to
// 100, and the stop request. The request belongs to one encoding, so a stop asked before the loop
// has started is not lost.
struct Mp3EncodeWords {
    std::atomic<int> percent{0};
    std::atomic<bool> abort{false};
};

// Encodes wav into mp3 at bitRate kbit/s: a LameCode.
int EncodeWaveToMp3(const QString& wav, const QString& mp3, int bitRate, Mp3EncodeWords* words = nullptr);
