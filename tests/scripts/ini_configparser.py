"""Reads an ini file with Python's configparser and prints {section: {key: value}} as JSON.

An independent reader of the files our ini engine writes: '=' is the only delimiter, ';' starts a
comment line, no interpolation, key case kept.
"""
import configparser
import json
import sys


def main():
    parser = configparser.ConfigParser(strict=False, interpolation=None, delimiters=("=",),
                                       comment_prefixes=(";",))
    parser.optionxform = str
    with open(sys.argv[1], encoding="utf-8", newline=None) as handle:
        parser.read_file(handle)
    result = {section: dict(parser[section]) for section in parser.sections()}
    json.dump(result, sys.stdout, ensure_ascii=True)


if __name__ == "__main__":
    main()
