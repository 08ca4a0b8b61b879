#pragma once
// WAV fixtures of the waveform display tests: files made by sox, and hand-built RIFF files for
// the malformed cases sox never writes.

#include "tests/support/TestSupport.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace wavefixtures {

// A sox-made file of `frames` frames: a sine on the first channel, white noise on the second, so
// that entries differ from block to block and reach both ends of the range.
inline QString soxWave(const QString& path, int bits, int channels, int64_t frames, int rate = 8000)
{
    // The rate and channels go before -n too: otherwise sox synthesises at its default rate and
    // resamples, and the frame count is not the one asked for.
    const QString r = QString::number(rate);
    const QString c = QString::number(channels);
    const testsupport::ToolResult made = testsupport::runSox({"-D", "-r", r, "-c", c, "-n", "-r", r, "-c", c, "-b",
                                                              QString::number(bits), path, "synth",
                                                              QString::number(frames) + "s", "sine", "300", "whitenoise"});
    EXPECT_EQ(made.exitCode, 0) << made.err.toStdString();
    return path;
}

inline QByteArray le16(uint16_t v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

inline QByteArray le32(uint32_t v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// A chunk with its header; declaredSize overrides the stored size (to make it lie).
inline QByteArray chunk(const char (&id)[5], const QByteArray& body, std::optional<uint32_t> declaredSize = {})
{
    QByteArray bytes = QByteArray(id, 4) + le32(declaredSize.value_or(uint32_t(body.size()))) + body;
    if (body.size() % 2)
        bytes.append('\0');
    return bytes;
}

inline QByteArray riff(const QByteArray& chunks, const char (&form)[5] = "WAVE")
{
    return QByteArray("RIFF", 4) + le32(uint32_t(4 + chunks.size())) + QByteArray(form, 4) + chunks;
}

struct Fmt {
    // blockAlign defaults to channels x bits / 8.
    Fmt(uint16_t tag = 1, uint16_t channels = 1, uint32_t rate = 8000, uint16_t bits = 16,
        std::optional<uint16_t> blockAlign = {})
        : tag(tag), channels(channels), rate(rate), bits(bits), blockAlign(blockAlign)
    {
    }

    uint16_t tag;
    uint16_t channels;
    uint32_t rate;
    uint16_t bits;
    std::optional<uint16_t> blockAlign;
};

// The 16 bytes of a "fmt " body.
inline QByteArray fmtBody(const Fmt& f)
{
    const uint16_t align = f.blockAlign.value_or(uint16_t(f.channels * (f.bits / 8)));
    return le16(f.tag) + le16(f.channels) + le32(f.rate) + le32(f.rate * align) + le16(align) + le16(f.bits);
}

inline QByteArray pcm16(const QList<int16_t>& samples)
{
    QByteArray bytes;
    for (int16_t s : samples)
        bytes += le16(uint16_t(s));
    return bytes;
}

inline QByteArray wave(const Fmt& f, const QByteArray& data)
{
    return riff(chunk("fmt ", fmtBody(f)) + chunk("data", data));
}

} // namespace wavefixtures
