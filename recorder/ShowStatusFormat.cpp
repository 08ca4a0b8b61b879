#include "recorder/ShowStatusFormat.h"

#include "common/Util.h"

namespace recorder {

StatusPanels statusFormatPanels(uint32_t lengthMs, uint32_t sampleRate, bool clear, int channels, int bits,
                                int zoomLevel)
{
    if (clear)
        return {};
    QString minutes, seconds, milliseconds;
    MsToMinSecMs(lengthMs, minutes, seconds, milliseconds);
    return {
        QString::number(sampleRate) + QStringLiteral(" Hz"),
        QString::number(bits) + QStringLiteral(" Bit"),
        channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Stereo"),
        QStringLiteral("1:") + QString::number(zoomLevel),
        minutes + QLatin1Char(':') + seconds + QLatin1Char(':') + milliseconds,
    };
}

} // namespace recorder
