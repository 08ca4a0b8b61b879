#include "platform/codecs/VXVorbisToWav.h"

namespace platform::codecs {

namespace {

bool isVorbis(const AudioFileInfo& info)
{
    return info.container == QLatin1String("ogg") && info.codec == QLatin1String("vorbis");
}

} // namespace

double VXVorbisToWav::GetLengthOfVorbisFile(const QString& fileName)
{
    AudioDecoder decoder;
    if (decoder.open(fileName) != DecodeStatus::Ok || !isVorbis(decoder.info()) || decoder.info().durationUs < 0)
        return -1;
    return double(decoder.info().durationUs) / 1e6;
}

DecodeOutcome VXVorbisToWav::ConvertVorbisFileIntoWave(const QString& source, const QString& target,
                                                       DecodeRequest request, const DecodeEnvironment& environment)
{
    request.codecs = {QStringLiteral("vorbis")};
    return decodeToWave(source, target, request, environment);
}

} // namespace platform::codecs
