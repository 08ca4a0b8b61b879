#pragma once
// The song information record: the text of a file's tag in fixed fields, passed by value between the
// tag library and its callers. Each field holds zero-terminated UTF-8, cut on a character boundary
// to its width - 1 bytes.

#include <QString>

#include <cstddef>

struct TID3InfoRecord {
    char title[260];
    char artist[260];
    char album[260];
    char year[5]; // four digits
    char genre[260]; // a genre name, not a number
    char comment[260];
    char composer[260];
    char copyright[260];
    char language[260];
    char track[4]; // decimal text 0..100
    char link[260]; // a URL
};

static_assert(sizeof(TID3InfoRecord) == 2349);
static_assert(offsetof(TID3InfoRecord, title) == 0);
static_assert(offsetof(TID3InfoRecord, artist) == 260);
static_assert(offsetof(TID3InfoRecord, album) == 520);
static_assert(offsetof(TID3InfoRecord, year) == 780);
static_assert(offsetof(TID3InfoRecord, genre) == 785);
static_assert(offsetof(TID3InfoRecord, comment) == 1045);
static_assert(offsetof(TID3InfoRecord, composer) == 1305);
static_assert(offsetof(TID3InfoRecord, copyright) == 1565);
static_assert(offsetof(TID3InfoRecord, language) == 1825);
static_assert(offsetof(TID3InfoRecord, track) == 2085);
static_assert(offsetof(TID3InfoRecord, link) == 2089);

namespace platform::codecs {

// Stores text as UTF-8, cut to the field's width - 1 bytes without splitting a character, and fills
// the rest of the field with zeros.
void setSongInfoText(char* field, std::size_t width, const QString& text);
template <std::size_t N>
void setSongInfoText(char (&field)[N], const QString& text)
{
    setSongInfoText(field, N, text);
}

// The field's text up to its first zero byte (or its whole width when it has none).
QString songInfoText(const char* field, std::size_t width);
template <std::size_t N>
QString songInfoText(const char (&field)[N])
{
    return songInfoText(field, N);
}

// A record of empty fields.
TID3InfoRecord emptySongInfo();

} // namespace platform::codecs
