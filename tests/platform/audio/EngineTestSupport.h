#pragma once
// What the engine's tests share: WAV fixtures with samples that tell their frame apart, frame
// arithmetic on byte arrays, and running the posted messages.
//
// The tests run the outside checkers (sox, Python) only while no playback, recording or take runs,
// so the engine has no thread of its own then: under ThreadSanitizer a process that forks while it
// has threads can start no thread afterwards.

#include "common/WaveFormat.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>

#include <cstdint>
#include <cstring>

namespace enginetest {

// 16-bit frames whose left sample is (first + i) mod 20000 and right sample its negation, so each
// frame of a long file is told apart from its neighbours.
inline QByteArray ramp16(int64_t frames, int channels = 2, int64_t first = 0)
{
    QByteArray bytes(frames * channels * 2, Qt::Uninitialized);
    auto* out = reinterpret_cast<int16_t*>(bytes.data());
    for (int64_t i = 0; i < frames; ++i) {
        const auto v = int16_t((first + i) % 20000);
        out[i * channels] = v;
        if (channels == 2)
            out[i * channels + 1] = int16_t(-v);
    }
    return bytes;
}

// `frames` frames of one 16-bit value on every channel.
inline QByteArray constant16(int64_t frames, int16_t value, int channels = 2)
{
    QByteArray bytes(frames * channels * 2, Qt::Uninitialized);
    auto* out = reinterpret_cast<int16_t*>(bytes.data());
    for (int64_t i = 0; i < frames * channels; ++i)
        out[i] = value;
    return bytes;
}

inline QString writeWave(const QString& path, const WaveFormatEx& format, const QByteArray& samples)
{
    testsupport::writeFile(path, wavefixtures::pcmWave(format, samples));
    return path;
}

inline QByteArray frames(const QByteArray& data, int frameBytes, int64_t first, int64_t count)
{
    return data.mid(first * frameBytes, count * frameBytes);
}

inline int16_t sample16(const QByteArray& data, int64_t index)
{
    int16_t v;
    std::memcpy(&v, data.constData() + index * 2, 2);
    return v;
}

inline void runPostedMessages()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

} // namespace enginetest
