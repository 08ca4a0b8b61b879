#include "tests/support/WaveFixtures.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>

namespace wavefixtures {

QByteArray le16(uint16_t value)
{
    const char bytes[2] = {char(value & 0xFF), char(value >> 8)};
    return QByteArray(bytes, 2);
}

QByteArray le32(uint32_t value)
{
    return le16(uint16_t(value)) + le16(uint16_t(value >> 16));
}

QByteArray chunk(const char* id, const QByteArray& body, std::optional<uint32_t> statedSize)
{
    QByteArray bytes = QByteArray(id, 4) + le32(statedSize.value_or(uint32_t(body.size()))) + body;
    if (body.size() % 2)
        bytes += '\0';
    return bytes;
}

QByteArray riff(const char* formType, const QByteArray& body, std::optional<uint32_t> statedSize)
{
    return QByteArray("RIFF") + le32(statedSize.value_or(uint32_t(4 + body.size()))) + QByteArray(formType, 4) + body;
}

QByteArray fmtBody(const WaveFormatEx& format, int size)
{
    uint8_t bytes[kWaveFormatSize];
    serializeWaveFormat(format, bytes);
    QByteArray body(reinterpret_cast<const char*>(bytes), kWaveFormatSize);
    if (size <= kWaveFormatSize)
        return body.left(size);
    return body + QByteArray(size - kWaveFormatSize, '\x5A');
}

QByteArray pcmWave(const WaveFormatEx& format, const QByteArray& samples, const QByteArray& laterChunks)
{
    return riff("WAVE", chunk("fmt ", fmtBody(format)) + chunk("data", samples) + laterChunks);
}

WaveFormatEx waveFormat(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, std::optional<uint16_t> blockAlign)
{
    WaveFormatEx format;
    format.formatTag = tag;
    format.channels = channels;
    format.samplesPerSec = rate;
    format.bitsPerSample = bits;
    format.blockAlign = blockAlign.value_or(uint16_t(channels * (bits / 8)));
    format.avgBytesPerSec = rate * format.blockAlign;
    return format;
}

QByteArray pcm16(const QList<int16_t>& samples)
{
    QByteArray bytes;
    for (int16_t s : samples)
        bytes += le16(uint16_t(s));
    return bytes;
}

QString soxWave(const QString& path, int bits, int channels, int64_t frames, int rate)
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

QByteArray sampleBytes(int count, int seed)
{
    QByteArray bytes(count, Qt::Uninitialized);
    uint32_t state = 0x9E3779B9u * uint32_t(seed);
    for (int i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = char(state >> 24);
    }
    return bytes;
}

WaveInfo pythonWaveInfo(const QString& path, bool withSamples)
{
    QStringList arguments{path};
    if (!withSamples)
        arguments << QStringLiteral("--no-samples");
    const auto result = testsupport::runPythonScript(QStringLiteral("wave_info.py"), arguments);
    WaveInfo info;
    if (result.exitCode != 0)
        return info;
    const QJsonObject json = QJsonDocument::fromJson(result.out).object();
    info.channels = json.value("channels").toInt();
    info.bits = json.value("bits").toInt();
    info.rate = json.value("rate").toInt();
    info.frames = json.value("frames").toInteger(-1);
    info.samples = QByteArray::fromHex(json.value("samples").toString().toLatin1());
    return info;
}

WaveInfo soxWaveInfo(const QString& path, bool withSamples)
{
    WaveInfo info;
    auto ask = [&](const char* option, bool* ok) {
        const auto result = testsupport::runSox({QStringLiteral("--i"), QString::fromLatin1(option), path});
        *ok = *ok && result.exitCode == 0;
        return result.out.trimmed().toLongLong();
    };
    bool ok = true;
    info.channels = int(ask("-c", &ok));
    info.bits = int(ask("-b", &ok));
    info.rate = int(ask("-r", &ok));
    const int64_t frames = ask("-s", &ok);
    if (!ok)
        return info;
    info.frames = frames;
    if (withSamples)
        info.samples = testsupport::runSox({path, QStringLiteral("-t"), QStringLiteral("raw"), QStringLiteral("-")}).out;
    return info;
}

FileSizeLimit::FileSizeLimit(int64_t bytes)
{
    getrlimit(RLIMIT_FSIZE, &m_previous);
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = m_previous;
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_previous);
    std::signal(SIGXFSZ, m_previousHandler);
}

} // namespace wavefixtures
