#pragma once
// A WAV file (PCM of any rate, bits and channels, or compressed: IMA or MS ADPCM, mu-law, A-law,
// GSM, MPEG) converted into a new PCM WAV of a given format. ACMAudioConvertFormatPCM is the
// player library's call; the audio engine passes it on under its own name.
//
// Result codes of ACMAudioConvertFormatPCM (player codes; PlayerErrorToMessageId shows them):
//
// | code | meaning                                                                     | message |
// |------|-----------------------------------------------------------------------------|---------|
// |    0 | converted                                                                   | 0       |
// |  350 | the source cannot be opened                                                 | 428     |
// |  351 | the source is not a RIFF "WAVE" file                                        | 429     |
// |  352 | the source has no "fmt " chunk                                              | 161     |
// |  353 | the source's "fmt " chunk cannot be read or makes no sense                  | 109     |
// |  354 | the source's format cannot be decoded, or the target is not 8/16-bit PCM    | 430     |
// |      | with 1 or 2 channels at 1,000..384,000 Hz and consistent derived fields     |         |
// |  355 | the source's samples are damaged                                            | 111     |
// |  356 | the source has no "data" chunk, or not one whole frame in it                | 164     |
// |  357 | out of memory                                                               | 104     |
// |  358 | the target cannot be created or written (or is the source itself), or       | 431     |
// |      | will not fit in the free space of its folder                                |         |
// |  360 | could not complete: the target would pass 4 GiB                             | 440     |
//
// 359 (rates that cannot be converted into each other) never occurs: every rate converts. The
// target appears only when complete; the source is never changed.

#include "common/WaveFormat.h"
#include "platform/codecs/DecodeToWave.h"

#include <QString>

namespace platform::codecs {

namespace AcmCode {
inline constexpr int Ok = 0;
inline constexpr int CannotOpenSource = 350;
inline constexpr int NotWave = 351;
inline constexpr int NoFormatChunk = 352;
inline constexpr int CannotReadFormat = 353;
inline constexpr int FormatNotSupported = 354;
inline constexpr int CannotReadData = 355;
inline constexpr int NoDataChunk = 356;
inline constexpr int NoMemory = 357;
inline constexpr int CannotCreateDestination = 358;
inline constexpr int CouldNotComplete = 360;
} // namespace AcmCode

// Whether format is a PCM format we write (see 354 above), its derived fields included.
bool isSupportedPcmTarget(const WaveFormatEx& format);
PcmTarget pcmTargetOf(const WaveFormatEx& format);

// Why a WAV source cannot be converted, in ReadWaveFormat's message ids (0 when it can): 103
// cannot open, 108 not WAVE, 161 no "fmt ", 109 unreadable "fmt ", 111 no "data", 164 no whole
// frame of data.
int checkWaveSource(const QString& source);

int ACMAudioConvertFormatPCM(const QString& source, const QString& target, const WaveFormatEx& format,
                             const DecodeEnvironment& environment = {});

} // namespace platform::codecs
