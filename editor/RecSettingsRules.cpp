#include "editor/RecSettingsRules.h"

#include <utility>

namespace {

const int32_t kRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, 64000, 88200, 96000};

QString rateText(int32_t rate)
{
    return QString::number(rate) + QStringLiteral(" Hz");
}

QString bitsText(int bits)
{
    return QString::number(bits) + QStringLiteral(" Bit");
}

QString channelsText(int channels)
{
    return channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Stereo");
}

// The number before the unit ("44100 Hz" -> 44100); fallback for an empty text.
int leadingNumber(const QString& text, int fallback)
{
    if (text.isEmpty())
        return fallback;
    return text.section(QLatin1Char(' '), 0, 0).toInt();
}

// Appends text unless it repeats the entry added just before.
void addOnce(QStringList& list, const QString& text)
{
    if (list.isEmpty() || list.back() != text)
        list << text;
}

int indexOr(const QStringList& list, const QString& text, int fallback)
{
    const int index = list.indexOf(text);
    return index >= 0 ? index : fallback;
}

} // namespace

QList<SupportedFormat> supportedRecordFormats(const RecordFormatQuery& query)
{
    QList<SupportedFormat> supported;
    for (const int32_t rate : kRates)
        for (const uint8_t bits : {uint8_t(8), uint8_t(16)})
            for (const uint8_t channels : {uint8_t(1), uint8_t(2)})
                if (query(makePcmFormat(uint32_t(rate), bits, channels)))
                    supported.append({rate, bits, channels});
    return supported;
}

RecSettingsRules::RecSettingsRules(QList<SupportedFormat> supported)
    : m_supported(std::move(supported))
{
    for (const SupportedFormat& format : m_supported)
        addOnce(m_rates, rateText(format.rate));
    selectRate(m_rates.isEmpty() ? -1 : 0);
    if (const int rate = m_rates.indexOf(rateText(kDefaultRate)); rate >= 0)
        selectRate(rate);
    if (const int bits = m_bits.indexOf(bitsText(kDefaultBits)); bits >= 0)
        selectBits(bits);
    if (const int channels = m_channels.indexOf(channelsText(kDefaultChannels)); channels >= 0)
        selectChannels(channels);
    accept();
}

QString RecSettingsRules::at(const QStringList& list, int index)
{
    return index >= 0 && index < list.size() ? list.at(index) : QString();
}

void RecSettingsRules::selectRate(int index)
{
    m_rateIndex = at(m_rates, index).isEmpty() ? -1 : index;
    fillBits(at(m_bits, m_bitsIndex));
    fillChannels(at(m_channels, m_channelsIndex));
}

void RecSettingsRules::selectBits(int index)
{
    m_bitsIndex = at(m_bits, index).isEmpty() ? -1 : index;
    fillChannels(at(m_channels, m_channelsIndex));
}

void RecSettingsRules::selectChannels(int index)
{
    m_channelsIndex = at(m_channels, index).isEmpty() ? -1 : index;
}

void RecSettingsRules::fillBits(const QString& keep)
{
    const QString rate = at(m_rates, m_rateIndex);
    m_bits.clear();
    for (const SupportedFormat& format : m_supported)
        if (rateText(format.rate) == rate)
            addOnce(m_bits, bitsText(format.bits));
    m_bitsIndex = indexOr(m_bits, keep, m_bits.isEmpty() ? -1 : 0);
}

void RecSettingsRules::fillChannels(const QString& keep)
{
    const QString rate = at(m_rates, m_rateIndex);
    const QString bits = at(m_bits, m_bitsIndex);
    m_channels.clear();
    for (const SupportedFormat& format : m_supported)
        if (rateText(format.rate) == rate && bitsText(format.bits) == bits)
            addOnce(m_channels, channelsText(format.channels));
    m_channelsIndex = indexOr(m_channels, keep, m_channels.isEmpty() ? -1 : 0);
}

void RecSettingsRules::accept()
{
    m_rate = leadingNumber(at(m_rates, m_rateIndex), kDefaultRate);
    m_bitsResult = uint8_t(leadingNumber(at(m_bits, m_bitsIndex), kDefaultBits));
    m_channelsResult = at(m_channels, m_channelsIndex) == channelsText(1) ? 1 : 2;
}
