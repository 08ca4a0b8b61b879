#pragma once
// The MP3 encoder library liblame_enc.so, loaded by name from a folder (the program folder) at run
// time: when it is not there, MP3 encoding is not available and the programs say so.

#include "platform/codecs/lame_enc/LameEnc.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace platform::codecs {

class LameEncoderLibrary {
public:
    // The library's file name in the folder.
    static QString fileName();

    // Loads folder/liblame_enc.so and its four calls; null when the file is missing, cannot be
    // loaded or lacks a call (*error then says why). Loading the same file again shares it.
    static std::shared_ptr<LameEncoderLibrary> load(const QString& folder, QString* error = nullptr);

    ~LameEncoderLibrary();
    LameEncoderLibrary(const LameEncoderLibrary&) = delete;
    LameEncoderLibrary& operator=(const LameEncoderLibrary&) = delete;

    const QString& path() const { return m_path; }

    LameEncInitStreamFn initStream = nullptr;
    LameEncEncodeChunkFn encodeChunk = nullptr;
    LameEncDeinitStreamFn deinitStream = nullptr;
    LameEncCloseStreamFn closeStream = nullptr;

private:
    LameEncoderLibrary() = default;

    void* m_handle = nullptr;
    QString m_path;
};

// The configuration the programs pass for a constant bit rate: the input's rate kept, mono for one
// channel and stereo otherwise, the high-quality preset, CRC and private bits set, no VBR.
LameEncConfig makeLameConfig(uint32_t sampleRate, uint16_t channels, uint32_t bitRate);

} // namespace platform::codecs
