"""Makes a zip archive with Python's zipfile, for the unzip tests.

  encode_make_zip.py OUT.zip DESCRIPTION.json

DESCRIPTION: {"entries": [{"name": ..., "size": N, "seed": S, "zeros": false, "store": false}, ...],
       "understate": {"index": I, "size": N},   (optional) claim N unpacked bytes for entry I in
                                               both its local and its central header
       "damage_data": I,                       (optional) flip bytes inside entry I's packed data
       "truncate": N}                          (optional) keep only the first N bytes of the file
Entries hold `size` bytes: zeros, or a repeatable pattern from `seed`. Prints the SHA-256 of each
entry's content as a JSON list."""

import hashlib
import json
import random
import struct
import sys
import zipfile


def content(entry):
    size = entry["size"]
    if entry.get("zeros"):
        return bytes(size)
    rng = random.Random(entry.get("seed", 1))
    return bytes(rng.getrandbits(8) for _ in range(size))


def patch_sizes(data, info, size):
    data = bytearray(data)
    struct.pack_into("<I", data, info.header_offset + 22, size)
    name = info.filename.encode("utf-8")
    pos = data.find(b"PK\x01\x02")
    while pos >= 0:
        name_length = struct.unpack_from("<H", data, pos + 28)[0]
        if data[pos + 46:pos + 46 + name_length] == name:
            struct.pack_into("<I", data, pos + 24, size)
            break
        pos = data.find(b"PK\x01\x02", pos + 4)
    return bytes(data)


def damage(data, info):
    data = bytearray(data)
    name_length, extra_length = struct.unpack_from("<HH", data, info.header_offset + 26)
    start = info.header_offset + 30 + name_length + extra_length
    middle = start + info.compress_size // 2
    for i in range(middle, min(middle + 16, start + info.compress_size)):
        data[i] ^= 0x5A
    return bytes(data)


def main():
    out, description_path = sys.argv[1], sys.argv[2]
    with open(description_path) as f:
        description = json.load(f)
    digests = []
    with zipfile.ZipFile(out, "w") as archive:
        for entry in description["entries"]:
            body = content(entry)
            digests.append(hashlib.sha256(body).hexdigest())
            method = zipfile.ZIP_STORED if entry.get("store") else zipfile.ZIP_DEFLATED
            archive.writestr(zipfile.ZipInfo(entry["name"]), body, compress_type=method)
    with open(out, "rb") as f:
        data = f.read()
    with zipfile.ZipFile(out) as archive:
        infos = archive.infolist()
    if "understate" in description:
        data = patch_sizes(data, infos[description["understate"]["index"]], description["understate"]["size"])
    if "damage_data" in description:
        data = damage(data, infos[description["damage_data"]])
    if "truncate" in description:
        data = data[:description["truncate"]]
    with open(out, "wb") as f:
        f.write(data)
    print(json.dumps(digests))


if __name__ == "__main__":
    main()
