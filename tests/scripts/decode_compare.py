"""Compares a WAV file (read with Python's wave module) with raw PCM that ffmpeg decoded from the
same source into the same format. Prints one JSON object: the WAV's channels, bits, rate and
frames, the reference's frames, the largest difference between two samples, and how many samples
differ. Usage: decode_compare.py file.wav reference.raw"""

import json
import sys
import wave


def samples(data, width):
    if width == 1:
        return list(data)
    return [int.from_bytes(data[i:i + 2], "little", signed=True) for i in range(0, len(data) - 1, 2)]


def main():
    with wave.open(sys.argv[1], "rb") as w:
        channels = w.getnchannels()
        width = w.getsampwidth()
        info = {
            "channels": channels,
            "bits": width * 8,
            "rate": w.getframerate(),
            "frames": w.getnframes(),
        }
        ours = samples(w.readframes(w.getnframes()), width)
    with open(sys.argv[2], "rb") as f:
        reference = samples(f.read(), width)
    info["reference_frames"] = len(reference) // channels
    common = min(len(ours), len(reference))
    differences = [abs(a - b) for a, b in zip(ours[:common], reference[:common])]
    info["max_diff"] = max(differences, default=0)
    info["differing"] = sum(1 for d in differences if d)
    print(json.dumps(info))


if __name__ == "__main__":
    main()
