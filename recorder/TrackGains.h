#pragma once
// The gains of the two tracks from the fader and the two trims: the one formula that playback of
// the mix, recording and the mix-down all use, and how the gains reach the player's two pairs and
// the music-track library for each kind of playback.

#include <optional>

namespace recorder {

// Range of the fader and of both trims.
inline constexpr int kFaderMin = -24;
inline constexpr int kFaderMax = 24;

struct TrackGains {
    float voice = 1.0f;
    float music = 1.0f;

    friend bool operator==(const TrackGains&, const TrackGains&) = default;
};

// voice dB = -0.5 x fader - 0.25 x voice trim, music dB = 0.5 x fader - 0.25 x music trim, each
// gain 10^(dB/20) as a float; a trim at its maximum silences its track (gain 0).
TrackGains trackGains(int fader, int voiceTrim, int musicTrim);

// What plays, which decides where each gain goes.
enum class GainRoute {
    Mixed,          // both tracks play or record (the mix, a re-mix, a mix-down, Voice & Music)
    VoiceAlone,     // the voice track plays alone
    MusicAlone,     // the music track plays alone
    VoiceRecording, // the voice is recorded while the music plays: the pairs are exchanged
    Pads,           // music pads play into the music take: only the music-track library's level
};

// The player's SetVolume pairs and the music-track library's level; an empty field is not set.
struct EngineGains {
    struct Pairs {
        float firstLeft = 1.0f;
        float firstRight = 1.0f;
        float secondLeft = 1.0f;
        float secondRight = 1.0f;
        friend bool operator==(const Pairs&, const Pairs&) = default;
    };
    std::optional<Pairs> volume;
    std::optional<float> musicLevel;

    friend bool operator==(const EngineGains&, const EngineGains&) = default;
};

EngineGains engineGains(const TrackGains& gains, GainRoute route);

} // namespace recorder
