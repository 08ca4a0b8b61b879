#include "platform/codecs/FormatChoice.h"

#include "platform/base/Rounding.h"
#include "platform/codecs/AudioDecoder.h"
#include "platform/codecs/VXFmtHlp.h"

#include <QLocale>

#include <algorithm>
#include <cstring>

namespace platform::codecs {

namespace {

QString describeFormat(const WaveFormatEx& format)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    return QStringLiteral("%1 Hz, %2 Bit, %3 (%4 KB/s)")
        .arg(english.toString(format.samplesPerSec))
        .arg(format.bitsPerSample)
        .arg(format.channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Stereo"))
        .arg(divRoundHalfEven(format.avgBytesPerSec, 1024));
}

bool offeredRate(uint32_t rate)
{
    return rate >= kMinTargetRate && rate <= kMaxTargetRate;
}

} // namespace

const QList<uint32_t>& FormatChoice::standardRates()
{
    static const QList<uint32_t> rates{8000, 11025, 16000, 22050, 32000, 44100, 48000};
    return rates;
}

FormatChoice::FormatChoice(const WaveFormatEx* source, const uint8_t* buffer, const uint32_t* sizeCell,
                           uint32_t flags)
{
    m_hasBuffer = buffer && sizeCell;
    m_bufferFits = m_hasBuffer && *sizeCell >= uint32_t(kWaveFormatSize);
    const WaveFormatEx inBuffer = m_bufferFits ? parseWaveFormat(buffer, kWaveFormatSize) : WaveFormatEx{};

    QList<uint32_t> rates = standardRates();
    for (const uint32_t extra : {source ? source->samplesPerSec : 0u, inBuffer.samplesPerSec})
        if (offeredRate(extra) && !rates.contains(extra))
            rates.append(extra);
    std::sort(rates.begin(), rates.end());
    for (const uint32_t rate : rates)
        for (const uint16_t bits : {uint16_t(8), uint16_t(16)})
            for (const uint16_t channels : {uint16_t(1), uint16_t(2)}) {
                const WaveFormatEx format = makePcmFormat(rate, bits, channels);
                m_formats.append(Entry{format, describeFormat(format)});
            }

    auto indexOf = [this](const WaveFormatEx& wanted) {
        for (int i = 0; i < m_formats.size(); ++i) {
            const WaveFormatEx& f = m_formats[i].format;
            if (f.samplesPerSec == wanted.samplesPerSec && f.bitsPerSample == wanted.bitsPerSample
                && f.channels == wanted.channels && wanted.formatTag == WAVE_FORMAT_PCM)
                return i;
        }
        return -1;
    };
    int start = (flags & kFormatChoiceStartWithBuffer) ? indexOf(inBuffer) : -1;
    if (start < 0 && source)
        start = indexOf(*source);
    if (start < 0)
        start = indexOf(makePcmFormat(44100, 16, 2));
    m_selected = start;
}

int FormatChoice::prepare(uint32_t* sizeCell) const
{
    if (!m_hasBuffer || !sizeCell)
        return FmtCode::InvalidHandle;
    if (!m_bufferFits) {
        *sizeCell = kWaveFormatSize;
        return FmtCode::BufferTooSmall;
    }
    return FmtCode::Ok;
}

bool FormatChoice::select(int index)
{
    if (index < 0 || index >= m_formats.size())
        return false;
    m_selected = index;
    return true;
}

int FormatChoice::accept(uint8_t* buffer, uint32_t* sizeCell) const
{
    if (!buffer || !sizeCell)
        return FmtCode::InvalidHandle;
    if (*sizeCell < uint32_t(kWaveFormatSize)) {
        *sizeCell = kWaveFormatSize;
        return FmtCode::BufferTooSmall;
    }
    uint8_t bytes[kWaveFormatSize];
    serializeWaveFormat(m_formats[m_selected].format, bytes);
    std::memcpy(buffer, bytes, kWaveFormatSize);
    *sizeCell = kWaveFormatSize;
    return FmtCode::Ok;
}

int FormatChoice::cancel()
{
    return FmtCode::DialogCancelled;
}

} // namespace platform::codecs
