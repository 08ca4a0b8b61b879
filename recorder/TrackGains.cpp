#include "recorder/TrackGains.h"

#include <cmath>

namespace recorder {

namespace {

float gainOf(double decibels)
{
    return float(std::pow(10.0, decibels / 20.0));
}

} // namespace

TrackGains trackGains(int fader, int voiceTrim, int musicTrim)
{
    TrackGains gains;
    gains.voice = voiceTrim >= kFaderMax ? 0.0f : gainOf(-0.5 * fader - 0.25 * voiceTrim);
    gains.music = musicTrim >= kFaderMax ? 0.0f : gainOf(0.5 * fader - 0.25 * musicTrim);
    return gains;
}

EngineGains engineGains(const TrackGains& gains, GainRoute route)
{
    using Pairs = EngineGains::Pairs;
    EngineGains out;
    switch (route) {
    case GainRoute::Pads:
        out.musicLevel = gains.music * 0.5f;
        break;
    case GainRoute::VoiceAlone:
        out.volume = Pairs{gains.voice, gains.voice, 1.0f, 1.0f};
        break;
    case GainRoute::MusicAlone:
        out.volume = Pairs{gains.music, gains.music, 1.0f, 1.0f};
        break;
    case GainRoute::Mixed:
        out.volume = Pairs{gains.voice, gains.voice, gains.music, gains.music};
        out.musicLevel = gains.music;
        break;
    case GainRoute::VoiceRecording:
        out.volume = Pairs{gains.music, gains.music, gains.voice, gains.voice};
        out.musicLevel = gains.voice;
        break;
    }
    return out;
}

} // namespace recorder
