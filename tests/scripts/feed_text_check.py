"""Reads our feed texts with Python's own parsers.

date TEXT...   prints each RFC 822 date as an ISO 8601 UTC time, one a line
xml FILE       parses FILE (<t>...</t>) and prints the element's text as UTF-8
"""
import email.utils
import sys
import xml.etree.ElementTree as ET
from datetime import timezone

mode = sys.argv[1]
if mode == "date":
    for text in sys.argv[2:]:
        print(email.utils.parsedate_to_datetime(text).astimezone(timezone.utc).isoformat())
elif mode == "xml":
    sys.stdout.buffer.write((ET.parse(sys.argv[2]).getroot().text or "").encode("utf-8"))
else:
    sys.exit("unknown mode " + mode)
