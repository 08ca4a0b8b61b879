#pragma once
// The editor's ID3v2 tag: the text information at the start of an MP3 file. Tags of versions 2.2,
// 2.3 and 2.4 are read; saving always writes version 2.3. Frames the editor does not show
// (pictures, lyrics, private data, ...) are kept across a save where they can be carried into a
// version 2.3 tag. Text is read in all four encodings of the format and written in ISO-8859-1
// where it fits, else in UTF-16.
//
// A tag is hostile input: every size is checked against the tag and the file, so a broken tag is
// read as far as it is sound.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <vector>

namespace editor {

class TID3v2 {
public:
    TID3v2();

    // False when the first 10 bytes of the file cannot be read; true otherwise, also when the file
    // has no tag (Exists() is then false). The fields are reset first.
    bool ReadFromFile(const QString& fileName);
    // Reads a tag at the start of bytes, taken as the whole file (the content of a WAV's "id3 "
    // chunk); false when there are fewer than 10 bytes.
    bool ReadFromBytes(QByteArrayView bytes);

    // Writes the fields as a version 2.3 tag at the start of the file. The old tag is overwritten in
    // place when the new one fits in it and it is at most 4,096 bytes; otherwise the file is written
    // anew beside the old one (a 4,096-byte tag when the frames need less, then the audio) and
    // renamed over it. The frames of the file's old tag that the fields do not hold are kept. A
    // read-only file is made writable. False on any failure, which is logged; the file is then as
    // it was.
    bool SaveToFile(const QString& fileName);

    // The tag as it is written in front of audio that has no tag: padded to 4,096 bytes unless the
    // frames need more. It keeps the frames of the tag last read.
    QByteArray TagBytes() const;

    void ResetData();

    bool Exists() const { return m_exists; }
    // The major version of the tag read (2, 3 or 4 when frames were read).
    uint8_t VersionID() const { return m_versionId; }
    // The tag's length in bytes with its header (and footer); 0 when it claims more than the file.
    int32_t Size() const { return m_size; }

    // Every setter stores the text without leading and trailing blanks and control characters.
    QString Title() const { return m_title; }
    void SetTitle(const QString& value);
    QString Artist() const { return m_artist; }
    void SetArtist(const QString& value);
    QString Album() const { return m_album; }
    void SetAlbum(const QString& value);
    // 0: none.
    uint8_t Track() const { return m_track; }
    void SetTrack(uint8_t value) { m_track = value; }
    QString Year() const { return m_year; }
    void SetYear(const QString& value);
    QString Genre() const { return m_genre; }
    void SetGenre(const QString& value);
    QString Comment() const { return m_comment; }
    void SetComment(const QString& value);
    QString Composer() const { return m_composer; }
    void SetComposer(const QString& value);
    QString Encoder() const { return m_encoder; }
    void SetEncoder(const QString& value);
    QString Copyright() const { return m_copyright; }
    void SetCopyright(const QString& value);
    QString Language() const { return m_language; }
    void SetLanguage(const QString& value);
    QString Link() const { return m_link; }
    void SetLink(const QString& value);

private:
    // A frame read that the fields do not hold, as it is written back in a version 2.3 tag.
    struct KeptFrame {
        QByteArray id; // four characters
        uint16_t flags = 0;
        QByteArray data;
    };

    bool m_exists = false;
    uint8_t m_versionId = 0;
    int32_t m_size = 0;
    QString m_title;
    QString m_artist;
    QString m_album;
    uint8_t m_track = 0;
    QString m_year;
    QString m_genre;
    QString m_comment;
    QString m_composer;
    QString m_encoder;
    QString m_copyright;
    QString m_language;
    QString m_link;
    std::vector<KeptFrame> m_kept;

    void readTag(QByteArrayView tag, int64_t fileSize);
    // The tag of the fields and the kept frames, padded with zeros to length.
    QByteArray buildTag(const std::vector<KeptFrame>& kept, int64_t length) const;
};

} // namespace editor
