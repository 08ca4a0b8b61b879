#pragma once
// The mix loop of the mix-down: the voice and the music working WAVs mixed block by block into a new
// WAV, each block with the gains that the fader's automation and the trims give at its first frame
// (the formula playback uses, TrackGains.h), through the player's per-sample mix (MixData.h). The
// mix is as long as the shorter track; each track is read only within its own "data" chunk.
//
// The loop runs on a worker: it reads nothing of the window, reports its progress and reads its
// stop request through MixProgress, and shows nothing (the caller reports its code).
#include "recorder/MixFade.h"
#include "recorder/TrackGains.h"

#include "common/WaveFormat.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

namespace recorder {

// Result codes of the mix (message ids of the recorder's string table).
namespace MixCode {
inline constexpr int Ok = 0;
inline constexpr int CannotOpen = 103;   // a track cannot be opened as a PCM WAV
inline constexpr int NoMemory = 104;
inline constexpr int ReadFailed = 111;   // a track could not be read
inline constexpr int Cancelled = 129;
inline constexpr int WriteFailed = 369;  // a block could not be written (a full disk)
inline constexpr int CannotCreate = 398; // the target WAV cannot be created
inline constexpr int TrackMissing = 479; // "Error : No file name specified for mixing."
inline constexpr int NoTarget = 480;     // "Error : No name specified for mixed file."
inline constexpr int CannotMix = 481;    // "Error : Cannot mix the files."
} // namespace MixCode

// Bytes of each track mixed per block.
inline constexpr int64_t kMixBlockBytes = 0xFF00;

// The fader as a mix replays it, taken from the window when the mix starts.
struct MixFader {
    std::optional<TMixFade> automation; // none: the fader stays where it is
    int fader = 0;
    int voiceTrim = 0;
    int musicTrim = 0;

    TrackGains gainsAt(int64_t frame) const;
};

// What the worker and the window share while a mix runs.
struct MixProgress {
    std::atomic<int64_t> total{0}; // bytes the mix will have
    std::atomic<int64_t> done{0};
    std::atomic<bool> stop{false}; // the user asked to stop
    std::atomic<bool> saturated{false};
};

struct MixRequest {
    QString voiceWav;
    QString musicWav;
    QString targetWav; // created, or emptied when it exists
    MixFader fader;
    bool preventSaturation = false;
    // Called on the worker after each block has been written, with the bytes done; tests hold the
    // mix there.
    std::function<void(int64_t done)> afterBlock;
};

// The two tracks mixed into request.targetWav in the voice track's format: 0, 129 when stopped, or
// a MixCode. A failure or a stop leaves the target a valid WAV of the blocks written so far; the
// caller removes it. Both tracks must share one PCM format (8 or 16 bits, 1 or 2 channels); tracks
// that differ give 481 (the window keeps its two tracks in one format, so this is logged only).
int MixTracksToWave(const MixRequest& request, MixProgress& progress);

} // namespace recorder
