#include "recorder/RecordingFormatChoice.h"

#include <array>

namespace recorder {

namespace {

constexpr std::array<uint32_t, 12> kRates{8000, 11025, 12000, 16000, 22050, 24000,
                                          32000, 44100, 48000, 64000, 88200, 96000};

QString channelText(int channels)
{
    return channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Stereo");
}

void addOnce(QStringList& texts, const QString& text)
{
    if (!texts.contains(text))
        texts << text;
}

} // namespace

std::vector<OfferedFormat> offeredFormats(const std::function<bool(const OfferedFormat&)>& accepts)
{
    std::vector<OfferedFormat> offered;
    for (uint32_t rate : kRates)
        for (int bits : {8, 16})
            for (int channels : {1, 2})
                if (const OfferedFormat format{rate, bits, channels}; accepts(format))
                    offered.push_back(format);
    return offered;
}

QStringList rateTexts(const std::vector<OfferedFormat>& offered)
{
    QStringList texts;
    for (const OfferedFormat& f : offered)
        addOnce(texts, QStringLiteral("%1 Hz").arg(f.rate));
    return texts;
}

QStringList bitTexts(const std::vector<OfferedFormat>& offered, uint32_t rate)
{
    QStringList texts;
    for (const OfferedFormat& f : offered)
        if (f.rate == rate)
            addOnce(texts, QStringLiteral("%1 Bit").arg(f.bits));
    return texts;
}

QStringList channelTexts(const std::vector<OfferedFormat>& offered, uint32_t rate, int bits)
{
    QStringList texts;
    for (const OfferedFormat& f : offered)
        if (f.rate == rate && f.bits == bits)
            addOnce(texts, channelText(f.channels));
    return texts;
}

int choiceIndex(const QStringList& texts, const QString& text, int fallback)
{
    if (const qsizetype at = texts.indexOf(text); at >= 0)
        return int(at);
    return fallback >= 0 && fallback < texts.size() ? fallback : 0;
}

OfferedFormat qualityFormat(Quality quality)
{
    switch (quality) {
    case Quality::Fm:
        return {22050, 16, 2};
    case Quality::AmRadio:
        return {11025, 16, 1};
    case Quality::Cd:
    case Quality::Custom:
        break;
    }
    return {44100, 16, 2};
}

WaveFormatEx chosenFormat(const QString& rate, const QString& bits, const QString& channels)
{
    QString rateText = rate;
    QString bitText = bits;
    rateText.remove(QStringLiteral(" Hz"));
    bitText.remove(QStringLiteral(" Bit"));
    const uint32_t samplesPerSec = rateText.isEmpty() ? 44100 : rateText.toUInt();
    const int bitsPerSample = bitText.isEmpty() ? 16 : bitText.toInt();
    return makePcmFormat(samplesPerSec, uint16_t(bitsPerSample), channels == QStringLiteral("Mono") ? 1 : 2);
}

} // namespace recorder
