"""Checks a mix of two 16-bit PCM WAVs made with the fader's automation, computed here on its own.

Arguments: voice.wav music.wav mix.wav block_frames voice_trim music_trim frame:value ...
The fader of each block is the value of the last automation entry at or before the block's first
frame (the first entry's value before it). Each track's gain is 10^(dB/20) as a 32-bit float, with
voice dB = -0.5 x fader - 0.25 x voice trim and music dB = 0.5 x fader - 0.25 x music trim; a trim
of 24 silences its track. Each sample is voice x gain + music x gain in 32-bit floats, rounded half
to even and clipped to 16 bits. Prints one JSON object: frames, blocks and the mismatched samples
(at most ten, with their expected and found values); exits 1 on any mismatch."""

import array
import json
import struct
import sys
import wave


def f32(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


def gain(decibels, trim):
    return 0.0 if trim >= 24 else f32(10.0 ** (decibels / 20.0))


def samples(path):
    with wave.open(path, "rb") as w:
        assert w.getsampwidth() == 2
        data = array.array("h", w.readframes(w.getnframes()))
        return w.getnchannels(), data


def main():
    voice_path, music_path, mix_path = sys.argv[1:4]
    block = int(sys.argv[4])
    voice_trim, music_trim = int(sys.argv[5]), int(sys.argv[6])
    entries = [tuple(int(x) for x in e.split(":")) for e in sys.argv[7:]]
    channels, voice = samples(voice_path)
    _, music = samples(music_path)
    _, mix = samples(mix_path)
    frames = min(len(voice), len(music)) // channels
    mismatches = []
    blocks = 0
    for start in range(0, frames, block):
        blocks += 1
        fader = entries[0][1]
        for frame, value in entries:
            if frame <= start:
                fader = value
        gv = gain(-0.5 * fader - 0.25 * voice_trim, voice_trim)
        gm = gain(0.5 * fader - 0.25 * music_trim, music_trim)
        for i in range(start * channels, min(start + block, frames) * channels):
            v = f32(f32(voice[i] * gv) + f32(music[i] * gm))
            expected = max(-32768, min(32767, round(v)))
            if mix[i] != expected and len(mismatches) < 10:
                mismatches.append({"sample": i, "expected": expected, "found": mix[i]})
    print(json.dumps({"frames": frames, "blocks": blocks, "mismatches": mismatches}))
    return 1 if mismatches else 0


if __name__ == "__main__":
    sys.exit(main())
