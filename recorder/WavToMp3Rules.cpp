#include "recorder/WavToMp3Rules.h"

namespace recorder {

namespace {
QString g_codecUsedThisRun;
}

Mp3CodecChoices buildMp3CodecChoices(bool lameAvailable, const std::function<bool(int kbps)>& lameAccepts,
                                     const std::function<bool(int kbps)>& codecAccepts)
{
    Mp3CodecChoices choices;
    for (const int rate : kMp3CandidateRates) {
        if (lameAvailable && lameAccepts(rate))
            choices.lameRates.append(rate);
        if (codecAccepts(rate))
            choices.codecRates.append(rate);
    }
    if (lameAvailable)
        choices.codecNames.append(QString::fromLatin1(kLameCodecName));
    if (!choices.codecRates.isEmpty())
        choices.codecNames.append(QString::fromLatin1(kSystemCodecName));
    return choices;
}

bool isLameCodec(const QString& codec)
{
    return codec.compare(QLatin1String(kLameCodecName), Qt::CaseInsensitive) == 0;
}

const QList<int>& ratesOfCodec(const Mp3CodecChoices& choices, const QString& codec)
{
    return isLameCodec(codec) ? choices.lameRates : choices.codecRates;
}

int shownRateIndex(const QList<int>& rates)
{
    const qsizetype preferred = rates.indexOf(kPreferredMp3Rate);
    return int(preferred >= 0 ? preferred : rates.size() - 1);
}

QString saveModeCodec(const QString& usedThisRun, bool lamePresent)
{
    if (!usedThisRun.isEmpty())
        return usedThisRun;
    return lamePresent ? QString::fromLatin1(kLameCodecName) : QString();
}

QString mp3CodecUsedThisRun()
{
    return g_codecUsedThisRun;
}

void setMp3CodecUsedThisRun(const QString& codec)
{
    g_codecUsedThisRun = codec;
}

} // namespace recorder
