#include "platform/codecs/VXWAVMP3.h"

#include "platform/base/Log.h"

namespace platform::codecs {

int IsValidMP3CodecFound(const QString& file)
{
    Q_UNUSED(file);
    return SystemMp3Code::NoCodec;
}

int IsBitrateSupported(const QString& file, uint32_t bitsPerSecond, bool* supported)
{
    Q_UNUSED(file);
    Q_UNUSED(bitsPerSecond);
    if (supported)
        *supported = false;
    return SystemMp3Code::Ok;
}

int ConvertWaveFileToMp3(const QString& source, const QString& target, uint32_t bitsPerSecond)
{
    qCWarning(lcPlatform).noquote() << "no system MP3 codec to convert" << source << "to" << target << "at"
                                    << bitsPerSecond << "bit/s";
    return SystemMp3Code::NoCodec;
}

int GetStatusWavToMP3(int* percent)
{
    if (percent)
        *percent = 0;
    return SystemMp3Code::Ok;
}

int StopConversionWavToMP3()
{
    return SystemMp3Code::Ok;
}

} // namespace platform::codecs
