#pragma once
// The editor's ID3v1 / ID3v1.1 tag: the last 128 bytes of an MP3 file, and the editor's genre
// table. Text is stored in ISO-8859-1; a character outside it is written as "?".

#include <QString>
#include <QStringList>

#include <cstdint>

namespace editor {

class TID3v1 {
public:
    TID3v1();

    // False when the last 128 bytes cannot be read (a file shorter than 128 bytes included); true
    // otherwise, also when the file has no tag (Exists() is then false). The fields are reset first.
    bool ReadFromFile(const QString& fileName);
    // Replaces the file's tag by the fields, or appends them when it has none; a read-only file is
    // made writable. False on any failure, which is logged.
    bool SaveToFile(const QString& fileName);

    void ResetData();

    bool Exists() const { return m_exists; }
    // 1: ID3v1.0, 2: ID3v1.1 (with a track number).
    uint8_t VersionID() const { return m_versionId; }

    // The setters remove trailing blanks and control characters and cut the text to the field:
    // 30 characters, the year 4. The comment keeps 28 of them when a track is set.
    QString Title() const { return m_title; }
    void SetTitle(const QString& value);
    QString Artist() const { return m_artist; }
    void SetArtist(const QString& value);
    QString Album() const { return m_album; }
    void SetAlbum(const QString& value);
    QString Year() const { return m_year; }
    void SetYear(const QString& value);
    QString Comment() const { return m_comment; }
    void SetComment(const QString& value);
    // 0: none.
    uint8_t Track() const { return m_track; }
    void SetTrack(uint8_t value) { m_track = value; }
    // An index into GenreNames(); 255: none.
    uint8_t Genre() const { return m_genre; }
    void SetGenre(uint8_t value) { m_genre = value; }

    // The table's name of Genre(); empty when it is past the table (255 included).
    QString GetGenreName() const;

    // The editor's genre table, indexed by the genre byte (149 names).
    static const QStringList& GenreNames();

private:
    bool m_exists = false;
    uint8_t m_versionId = 1;
    QString m_title;
    QString m_artist;
    QString m_album;
    QString m_year;
    QString m_comment;
    uint8_t m_track = 0;
    uint8_t m_genre = 255;
};

} // namespace editor
