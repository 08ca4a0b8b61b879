"""Writes an ID3 tag into an existing file with mutagen, as another program would.
  id3_write.py PATH SPEC
SPEC is JSON:
  version   3 or 4: the ID3v2 version written (default 4)
  v1        0: no ID3v1 tag, 2: an ID3v1 tag made from the frames as well (default 0)
  padding   bytes of padding after the frames (default mutagen's choice)
  frames    a list of frames, each {"id": "TIT2", ...} with the frame's mutagen arguments
            (encoding, text, lang, desc, url, mime, type, owner); "data" is base64 for byte data
"""

import base64
import json
import sys

import mutagen.id3


def main():
    path = sys.argv[1]
    spec = json.loads(sys.argv[2])
    tags = mutagen.id3.ID3()
    for frame in spec.get("frames", []):
        arguments = dict(frame)
        frame_id = arguments.pop("id")
        if "data" in arguments:
            arguments["data"] = base64.b64decode(arguments["data"])
        tags.add(getattr(mutagen.id3, frame_id)(**arguments))
    options = {"v2_version": spec.get("version", 4), "v1": spec.get("v1", 0)}
    if "padding" in spec:
        padding = spec["padding"]
        options["padding"] = lambda info: padding
    tags.save(path, **options)


if __name__ == "__main__":
    main()
