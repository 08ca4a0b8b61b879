#pragma once
// Where the frames of a WaveSource come from: PCM frames in the stream's format, read in order
// from a place the reader is put at. A WAV file's samples (PcmWaveReader), a decoded file, or a
// set of files one after the other.

#include "platform/audio/PcmWave.h"

#include <QString>

#include <cstdint>

namespace platform::audio {

class FrameReader {
public:
    virtual ~FrameReader() = default;

    virtual StreamFormat format() const = 0;
    // Goes to a frame; false when the reader cannot.
    virtual bool seek(int64_t frame) = 0;
    // Reads up to `frames` whole frames from the current place on: how many, 0 at the end, -1 on
    // a failure.
    virtual int64_t read(void* out, int64_t frames) = 0;
    // What is read, for the log.
    virtual QString name() const = 0;
};

// The samples of an open PCM WAV.
class PcmWaveReader : public FrameReader {
public:
    explicit PcmWaveReader(PcmWave wave);

    StreamFormat format() const override { return m_wave.streamFormat(); }
    bool seek(int64_t frame) override;
    int64_t read(void* out, int64_t frames) override;
    QString name() const override;

private:
    PcmWave m_wave;
    int64_t m_next = 0;
};

} // namespace platform::audio
