"""Reads the ID3 tag of an MP3 file, or of the "id3 " chunk of a WAV file, with mutagen and prints
one JSON object:
  version   the tag's version as mutagen reads it, e.g. [2, 3, 0]
  frames    every frame as stored (not translated to ID3v2.4): id, encoding (0 ISO-8859-1,
            1 UTF-16), text, lang, desc, url
  v1        (MP3) the ID3v1 tag at the end as mutagen parses it, frame id -> text
  wave      (WAV) the top-level chunks of the RIFF form as [id, size], the RIFF size, the file size,
            and the title that mutagen.wave finds
A file without a tag prints {"frames": null}."""

import io
import json
import struct
import sys

import mutagen.id3
import mutagen.wave


def frame_info(frame):
    info = {"id": frame.FrameID}
    encoding = getattr(frame, "encoding", None)
    info["encoding"] = None if encoding is None else int(encoding)
    text = getattr(frame, "text", None)
    info["text"] = None if text is None else [str(t) for t in text]
    for name in ("lang", "desc", "url"):
        value = getattr(frame, name, None)
        info[name] = None if value is None else str(value)
    return info


def tag_info(tags):
    return {"version": list(tags.version), "frames": [frame_info(f) for f in tags.values()]}


def riff_chunks(data):
    size = struct.unpack("<I", data[4:8])[0]
    end = min(len(data), 8 + size)
    pos = 12
    chunks = []
    while pos + 8 <= end:
        cid = data[pos:pos + 4].decode("latin-1")
        length = struct.unpack("<I", data[pos + 4:pos + 8])[0]
        chunks.append((cid, length, pos + 8))
        pos += 8 + length + (length & 1)
    return size, chunks


def read_wave(path, data):
    riff_size, chunks = riff_chunks(data)
    result = {"frames": None}
    for cid, length, offset in chunks:
        if cid in ("id3 ", "ID3 "):
            tags = mutagen.id3.ID3(io.BytesIO(data[offset:offset + length]), translate=False)
            result = tag_info(tags)
            break
    wave_tags = mutagen.wave.WAVE(path).tags
    title = wave_tags.get("TIT2") if wave_tags is not None else None
    result["wave"] = {
        "chunks": [[cid, length] for cid, length, _ in chunks],
        "riff_size": riff_size,
        "file_size": len(data),
        "title": None if title is None else str(title),
    }
    return result


def read_mp3(path, data):
    try:
        result = tag_info(mutagen.id3.ID3(path, translate=False, load_v1=False))
    except mutagen.id3.ID3NoHeaderError:
        result = {"frames": None}
    v1 = mutagen.id3.ParseID3v1(data[-128:]) if data[-128:-125] == b"TAG" else None
    result["v1"] = None if v1 is None else {key: str(frame) for key, frame in v1.items()}
    return result


def main():
    path = sys.argv[1]
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] == b"RIFF" and data[8:12] == b"WAVE":
        result = read_wave(path, data)
    else:
        result = read_mp3(path, data)
    print(json.dumps(result))


if __name__ == "__main__":
    main()
