"""Reads a feed with feedparser and podcastparser and prints what they found as JSON."""
import calendar
import json
import sys

import feedparser
import podcastparser

path = sys.argv[1]
fp = feedparser.parse(path)
with open(path, "rb") as stream:
    pp = podcastparser.parse("file://" + path, stream)

result = {
    "bozo": int(bool(fp.bozo)),
    "title": fp.feed.get("title", ""),
    "link": fp.feed.get("link", ""),
    "categories": [t.get("term", "") for t in fp.feed.get("tags", [])],
    "image": fp.feed.get("image", {}).get("href", ""),
    "items": [
        {
            "title": e.get("title", ""),
            "summary": e.get("summary", ""),
            "link": e.get("link", ""),
            "published": calendar.timegm(e.published_parsed) if e.get("published_parsed") else None,
            "length": int(e.enclosures[0].get("length", -1)) if e.get("enclosures") else None,
            "type": e.enclosures[0].get("type", "") if e.get("enclosures") else "",
            "href": e.enclosures[0].get("href", "") if e.get("enclosures") else "",
            "duration": e.get("itunes_duration", ""),
        }
        for e in fp.entries
    ],
    "pp_title": pp.get("title", ""),
    "pp_explicit": bool(pp.get("explicit", False)),
    "pp_episodes": [
        {
            "title": e.get("title", ""),
            "published": e.get("published", 0),
            "total_time": e.get("total_time", 0),
            "explicit": bool(e.get("explicit", False)),
            "url": e["enclosures"][0]["url"] if e.get("enclosures") else "",
            "file_size": e["enclosures"][0]["file_size"] if e.get("enclosures") else None,
        }
        for e in pp.get("episodes", [])
    ],
}
print(json.dumps(result, ensure_ascii=False))
