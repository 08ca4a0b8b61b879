#pragma once
// The WMA encoder library of the export windows: PCM WAV to WMA in an ASF file with FFmpeg's WMA
// encoders. It offers the encoders FFmpeg has ("WMA Version 1", "WMA Version 2", in that order, so
// that the last one listed is the better one), and for a source format the output formats that
// encoder really produces: the source's rate (8,000 to 48,000 Hz), its channels or mono, at bit
// rates from 24 kbit/s up to a quarter of the 16-bit PCM rate, ordered from the lowest to the
// highest quality (the windows select the last one). Sources outside that (not PCM, more than two
// channels, other sample layouts or rates) have no formats.

#include "common/WaveFormat.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

namespace platform::codecs {

// Error codes (the error word and the results of the calls).
namespace WmaCode {
inline constexpr int Ok = 0;
inline constexpr int FormatNotSupported = 2; // no such format index, or the encoder refuses it
inline constexpr int CodecNotAvailable = 3;  // no encoder of that name
inline constexpr int NoFormat = 4;           // the encoder has no format for the source (or it is no PCM WAV)
inline constexpr int FileInUse = 6;          // the source cannot be opened, or the target cannot be created
inline constexpr int WriteError = 7;         // reading the audio or writing the WMA file failed
inline constexpr int CannotLoad = 8;         // the encoder, resampler or writer cannot be set up
} // namespace WmaCode

// The state word of a conversion.
namespace WmaState {
inline constexpr int32_t Idle = 0;
inline constexpr int32_t Running = 1;
inline constexpr int32_t Cancelled = 2;
inline constexpr int32_t Finished = 3;
inline constexpr int32_t Failed = 4;
} // namespace WmaState

// The longest encoder name and format text (the windows' buffers hold 1,024 characters).
inline constexpr int kWmaTextLimit = 1023;

class WmaEncoderLibrary {
public:
    virtual ~WmaEncoderLibrary() = default;

    virtual int GetNumEncodersSupported(int* count) = 0;
    virtual int GetEncoderDetail(int index, QString* name) = 0;
    // The number of output formats of the encoder for the source (0 when it takes none of it).
    virtual int GetNumDestFormatsSupported(const QString& encoder, const WaveFormatEx& source, int* count) = 0;
    virtual int GetDestFormatDetail(const QString& encoder, const WaveFormatEx& source, int index, QString* text) = 0;

    // Converts on the calling thread until done. While it runs: *progress 0..100, *state Running; at
    // the end *state is Finished, Cancelled (after *cancel turned non-zero) or Failed, and *error
    // (also the result) the error code, 0 unless Failed. The target appears only when complete;
    // the source is never changed.
    virtual int ConvertFileToWMA(const QString& source, const QString& target, int formatIndex, const QString& encoder,
                                 std::atomic<int32_t>* progress, std::atomic<int32_t>* state,
                                 std::atomic<int32_t>* cancel, std::atomic<int32_t>* error) = 0;
};

// The library; null when this FFmpeg has no WMA encoder (the windows then say the codec is missing).
std::unique_ptr<WmaEncoderLibrary> loadWmaEncoderLibrary();

} // namespace platform::codecs
