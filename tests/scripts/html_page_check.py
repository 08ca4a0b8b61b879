"""Reads a web page with Python's own HTML parser and prints what a browser would find in it, as JSON:
the document title, every anchor (its href, or null, and its text), the text of every paragraph,
the names of all elements, the attributes named on*, and the comments.

html_page_check.py FILE
"""
import json
import sys
from html.parser import HTMLParser


class Page(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.title = ""
        self.anchors = []
        self.paragraphs = []
        self.tags = set()
        self.handlers = []
        self.comments = []
        self._open = []  # "title", "a", "p" being read
        self._anchor = None
        self._paragraph = None

    def handle_starttag(self, tag, attrs):
        self.tags.add(tag)
        self.handlers += [name for name, _ in attrs if name.startswith("on")]
        if tag == "p":
            self._close_paragraph()
            self._paragraph = ""
        elif tag == "a":
            self._anchor = {"href": dict(attrs).get("href"), "text": ""}
        elif tag == "title":
            self._open.append("title")

    def handle_endtag(self, tag):
        if tag == "p":
            self._close_paragraph()
        elif tag == "a" and self._anchor is not None:
            self.anchors.append(self._anchor)
            self._anchor = None
        elif tag == "title" and "title" in self._open:
            self._open.remove("title")
        elif tag == "div":
            self._close_paragraph()

    def handle_data(self, data):
        if "title" in self._open:
            self.title += data
        if self._anchor is not None:
            self._anchor["text"] += data
        if self._paragraph is not None:
            self._paragraph += data

    def handle_comment(self, data):
        self.comments.append(data)

    def _close_paragraph(self):
        if self._paragraph is not None:
            self.paragraphs.append(self._paragraph)
            self._paragraph = None


page = Page()
with open(sys.argv[1], "rb") as f:
    page.feed(f.read().decode("utf-8"))
page.close()
print(json.dumps({"title": page.title, "anchors": page.anchors, "paragraphs": page.paragraphs,
                  "tags": sorted(page.tags), "handlers": page.handlers, "comments": page.comments}))
