#!/usr/bin/python3
"""Writes the peak cache file that a WAV file should get, computed straight from its samples.

usage: peaks_expected.py WAV OUT

Per channel, one entry per 32 frames (the last entry covers the frames left over): the smallest
and the largest sample, as little-endian signed 16-bit values; 8-bit files keep the unsigned
byte values 0 to 255. The file is: channel count (u16), entries per channel (u32), then every
entry of channel 1, then of channel 2. Prints the number of entries per channel.
"""
import struct
import sys
import wave

FRAMES_PER_ENTRY = 32


def samples_of(raw, width):
    if width == 1:
        return list(raw)
    if width == 2:
        return list(struct.unpack('<%dh' % (len(raw) // 2), raw))
    sys.exit('only 8- and 16-bit files have peaks')


def main():
    wav_path, out_path = sys.argv[1:3]
    with wave.open(wav_path, 'rb') as wav:
        channels = wav.getnchannels()
        width = wav.getsampwidth()
        frames = wav.getnframes()
        samples = samples_of(wav.readframes(frames), width)
    entries = (frames + FRAMES_PER_ENTRY - 1) // FRAMES_PER_ENTRY
    out = bytearray(struct.pack('<HI', channels, entries))
    for channel in range(channels):
        values = samples[channel::channels]
        for start in range(0, frames, FRAMES_PER_ENTRY):
            block = values[start:start + FRAMES_PER_ENTRY]
            out += struct.pack('<hh', min(block), max(block))
    with open(out_path, 'wb') as f:
        f.write(out)
    print(entries)


if __name__ == '__main__':
    main()
