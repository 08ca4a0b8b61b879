"""Reads a settings store file with Python's json module and prints every value as JSON.

Output: {key path: {value name: [type, data]}}, binary data as lower-case hex after a strict
base64 decode, so the test sees what another program reading the file would see.
"""
import base64
import json
import sys


def main():
    with open(sys.argv[1], encoding="utf-8") as handle:
        document = json.load(handle)
    result = {}
    for key, values in document["keys"].items():
        entries = {}
        for name, value in values.items():
            data = value["data"]
            if value["type"] == "binary":
                data = base64.b64decode(data, validate=True).hex()
            entries[name] = [value["type"], data]
        result[key] = entries
    json.dump(result, sys.stdout, ensure_ascii=True, sort_keys=True)


if __name__ == "__main__":
    main()
