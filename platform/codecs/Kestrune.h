#pragma once
// The editor's LAME wrapper: PCM WAV data in whatever layout the file has (8, 16, 24 or 32 bits,
// one or two channels) turned into MP3 through the encoder library liblame_enc.so of the program
// folder. The caller reads the WAV block by block and writes what comes out; after the last block
// LAMEFlushWaveMP3Conversion gives the encoder's last frames, so the end of the audio is kept.

#include "common/WaveFormat.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace platform::codecs {

namespace KestruneCode {
inline constexpr int Ok = 0;
inline constexpr int NotPcm = 501;       // not a PCM layout the wrapper reads
inline constexpr int Refused = 502;      // the encoder refuses the bit rate for this format, or a bad call
inline constexpr int NoEncoder = 503;    // no usable encoder library in the folder
inline constexpr int NoMemory = 504;
inline constexpr int EncodeFailed = 506; // the encoder failed, or a block larger than the suggested input
} // namespace KestruneCode

// The settings block: the bit rate in kbit/s, then 8 bytes that the wrapper does not read.
struct LameSettings {
    uint32_t bitRate = 0;
    uint8_t unused[8] = {};
};
static_assert(sizeof(LameSettings) == 12);

class LameConversion;
struct LameConversionDeleter {
    void operator()(LameConversion* conversion) const;
};
using LameConversionHandle = std::unique_ptr<LameConversion, LameConversionDeleter>;

// 0 when folder holds a usable encoder library; it is then the one the conversions use (after a
// failure, the program folder's is looked for again).
int FindLAMEEncoder(const QString& folder);

// Opens a conversion for the source's format at the settings' bit rate. The encoder library is the
// one FindLAMEEncoder found last, else the program folder's; libraries are never loaded from
// currentDirectory, which is accepted for the call's shape only.
int InitLAMEWaveMP3Conversion(const QString& currentDirectory, const WaveFormatEx& format, const LameSettings& settings,
                              LameConversionHandle& handle);

// The buffer sizes for a conversion of this format: *inputSize bytes of WAV data per call (whole
// frames), and *outputSize bytes that hold what one call (or the flush) can produce.
int GetSuggestedLengthOfBuffersForLame(const LameSettings& settings, const WaveFormatEx& format, uint32_t* outputSize,
                                       uint32_t* inputSize);

// Encodes inputBytes of WAV data (at most twice the suggested input size; a part frame at the end
// is kept for the next call) into output, which holds the suggested output size.
int LAMEConvertWaveMP3(LameConversion* handle, const void* input, void* output, uint32_t inputBytes,
                       uint32_t* outputBytes);

// Ends the audio: the encoder's last frames into output (the suggested output size).
int LAMEFlushWaveMP3Conversion(LameConversion* handle, void* output, uint32_t* outputBytes);

// Frees the conversion and resets the handle.
int UnInitLAMEWaveMP3Conversion(LameConversionHandle& handle);

// 0 when a conversion of this format at bitRate kbit/s would be accepted.
int LAMEIsBitRateSupportedForThisFormat(uint32_t bitRate, const WaveFormatEx& format);

} // namespace platform::codecs
