"""Reads a WAV file with Python's wave module and prints what it found as one JSON object:
channels, bits, rate, frames and (unless --no-samples) the sample bytes in hex."""

import json
import sys
import wave


def main():
    path = sys.argv[1]
    with_samples = "--no-samples" not in sys.argv[2:]
    with wave.open(path, "rb") as w:
        info = {
            "channels": w.getnchannels(),
            "bits": w.getsampwidth() * 8,
            "rate": w.getframerate(),
            "frames": w.getnframes(),
        }
        if with_samples:
            info["samples"] = w.readframes(w.getnframes()).hex()
    print(json.dumps(info))


if __name__ == "__main__":
    main()
