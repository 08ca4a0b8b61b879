#pragma once
// The Ogg Vorbis library of the programs, decoding side: the length of an Ogg Vorbis file and its
// conversion into a PCM WAV. Its preview playback belongs to the audio engine.

#include "platform/codecs/DecodeToWave.h"

#include <QString>

namespace platform::codecs {

class VXVorbisToWav {
public:
    // The playing time in seconds as the file states it (ffprobe's duration); -1 when the file is
    // no Ogg Vorbis file.
    static double GetLengthOfVorbisFile(const QString& fileName);

    // Decodes an Ogg Vorbis file into target (16-bit PCM at the file's rate and channels unless
    // request.target says otherwise). A file that is no Ogg Vorbis file gives NotAudio.
    static DecodeOutcome ConvertVorbisFileIntoWave(const QString& source, const QString& target,
                                                   DecodeRequest request = {},
                                                   const DecodeEnvironment& environment = {});
};

} // namespace platform::codecs
