#include "recorder/ID3InfoRules.h"

namespace recorder {

using platform::codecs::setSongInfoText;
using platform::codecs::songInfoText;

const QStringList& id3GenreNames()
{
    // The names as the recorder has always shown them; "Christian Rock " keeps its trailing blank.
    static const QStringList names{
        "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal", "New Age",
        "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial", "Alternative", "Ska",
        "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion",
        "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock",
        "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic",
        "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy",
        "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave",
        "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro",
        "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob",
        "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock", "Progessive Rock", "Psychedelic Rock",
        "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour", "Speech",
        "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire",
        "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle",
        "Duet", "Punk Rock", "Drum Solo", "A capella", "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House",
        "Hardcore", "Terror", "Indie", "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta Rap",
        "Heavy Metal", "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock ", "Merengue", "Salsa",
        "Trash Metal", "Anime", "JPop", "Synthpop"};
    return names;
}

int genreIndexOf(const QString& genre)
{
    return int(id3GenreNames().indexOf(genre));
}

namespace {

// The number a track text starts with: tags often hold "3/12".
int leadingNumber(const QString& text, int fallback)
{
    qsizetype digits = 0;
    while (digits < text.size() && digits < 9 && text.at(digits).isDigit())
        ++digits;
    return digits == 0 ? fallback : text.left(digits).toInt();
}

} // namespace

ID3InfoFields fieldsFromRecord(const TID3InfoRecord* record, int currentYear)
{
    ID3InfoFields fields;
    fields.genre = id3GenreNames().constFirst();
    fields.year = QString::number(currentYear);
    if (!record)
        return fields;
    fields.title = songInfoText(record->title);
    fields.artist = songInfoText(record->artist);
    fields.album = songInfoText(record->album);
    fields.year = songInfoText(record->year);
    fields.comment = songInfoText(record->comment);
    fields.composer = songInfoText(record->composer);
    fields.copyright = songInfoText(record->copyright);
    fields.language = songInfoText(record->language);
    fields.link = songInfoText(record->link);
    fields.track = leadingNumber(songInfoText(record->track).trimmed(), 1);
    const QString genre = songInfoText(record->genre);
    fields.genre = genre.isEmpty() ? QStringLiteral("Podcast") : genre;
    return fields;
}

bool trackNumberValid(int track)
{
    return track >= 0 && track <= kMaxTrackNumber;
}

void recordFromFields(const ID3InfoFields& fields, TID3InfoRecord& record)
{
    setSongInfoText(record.title, fields.title.trimmed());
    setSongInfoText(record.artist, fields.artist.trimmed());
    setSongInfoText(record.album, fields.album.trimmed());
    setSongInfoText(record.year, fields.year.trimmed());
    setSongInfoText(record.genre, fields.genre.trimmed());
    setSongInfoText(record.comment, fields.comment.trimmed());
    setSongInfoText(record.composer, fields.composer.trimmed());
    setSongInfoText(record.copyright, fields.copyright.trimmed());
    setSongInfoText(record.language, fields.language.trimmed());
    setSongInfoText(record.link, fields.link.trimmed());
    setSongInfoText(record.track, QString::number(fields.track));
}

} // namespace recorder
