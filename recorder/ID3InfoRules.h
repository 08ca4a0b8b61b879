#pragma once
// The rules of the song information dialog without its widgets: the genre list it offers, the
// values its fields take from a record, and the record its fields give back on OK.
#include "platform/codecs/SongInfo.h"

#include <QString>
#include <QStringList>

namespace recorder {

// The genre list of the dialog: 148 names, index 0 "Blues" to 147 "Synthpop".
const QStringList& id3GenreNames();

// What the dialog's fields show.
struct ID3InfoFields {
    QString title, artist, album, year, genre, comment, composer, copyright, language, link;
    int track = 1;
};

// The highest track number the dialog takes (the lowest is 0).
inline constexpr int kMaxTrackNumber = 100;
inline constexpr char kBadTrackMessage[] = "Please fill valid track no. from 0 to 100.";

// The fields for a record (none: a new one): empty texts, "Blues" and currentYear when there is no
// record; otherwise the record's texts, its genre ("Podcast" when empty) and the number its track
// text starts with (1 when it starts with none).
ID3InfoFields fieldsFromRecord(const TID3InfoRecord* record, int currentYear);

// The index of a genre in the list (exact comparison), -1 when it is not one of them.
int genreIndexOf(const QString& genre);

// False when the track number is outside 0 to 100.
bool trackNumberValid(int track);

// Copies the fields, trimmed, into the record, the track as decimal text.
void recordFromFields(const ID3InfoFields& fields, TID3InfoRecord& record);

} // namespace recorder
