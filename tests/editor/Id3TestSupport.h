#pragma once
// What the tag tests share: an untagged MP3 made by sox and lame, mutagen writing and reading tags
// (tests/scripts/id3_write.py, tests/scripts/tags_read.py), TagLib reading them, and the hashes
// that show the audio after a tag was left alone.

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <cstdint>

namespace id3test {

// The bytes of a short lame-made MP3 without tags (made once per test program).
const QByteArray& untaggedAudio();
// A copy of it in the test's folder under name.
QString untaggedMp3(const QString& name);

QByteArray sha256(QByteArrayView bytes);

// mutagen writes a tag (see id3_write.py for the spec's keys); false when it failed.
bool writeWithMutagen(const QString& path, const QJsonObject& spec);
// mutagen's reading of a file (see tags_read.py); an empty object when it failed.
QJsonObject readWithMutagen(const QString& path);
// The frame of that id in mutagen's reading (the first one), or an empty object.
QJsonObject frameOf(const QJsonObject& reading, const QString& id);

// What TagLib reads from the ID3v2 tag of an MP3.
struct TagLibReading {
    bool hasTag = false;
    QString title, artist, album, comment, genre;
    unsigned year = 0;
    unsigned track = 0;
};
TagLibReading readWithTagLib(const QString& path);

} // namespace id3test
