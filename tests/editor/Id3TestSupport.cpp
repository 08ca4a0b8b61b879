#include "tests/editor/Id3TestSupport.h"

#include "tests/support/TestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

namespace id3test {

const QByteArray& untaggedAudio()
{
    static const QByteArray audio = [] {
        const QString folder = testsupport::testFolder();
        const QString wave = folder + "/tone.wav";
        const QString mp3 = folder + "/tone.mp3";
        testsupport::runSox({"-n", "-r", "44100", "-c", "2", "-b", "16", wave, "synth", "1", "sine", "440"});
        testsupport::runTool("lame", {"--quiet", "-b", "128", wave, mp3});
        return testsupport::readFile(mp3);
    }();
    return audio;
}

QString untaggedMp3(const QString& name)
{
    const QString path = testsupport::testFolder() + "/" + name;
    testsupport::writeFile(path, untaggedAudio());
    return path;
}

QByteArray sha256(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

bool writeWithMutagen(const QString& path, const QJsonObject& spec)
{
    const testsupport::ToolResult result = testsupport::runPythonScript(
        "id3_write.py", {path, QString::fromUtf8(QJsonDocument(spec).toJson(QJsonDocument::Compact))});
    if (result.exitCode != 0)
        qWarning().noquote() << "id3_write.py failed:" << result.err;
    return result.exitCode == 0;
}

QJsonObject readWithMutagen(const QString& path)
{
    const testsupport::ToolResult result = testsupport::runPythonScript("tags_read.py", {path});
    if (result.exitCode != 0) {
        qWarning().noquote() << "tags_read.py failed:" << result.err;
        return {};
    }
    return QJsonDocument::fromJson(result.out).object();
}

QJsonObject frameOf(const QJsonObject& reading, const QString& id)
{
    for (const QJsonValue& frame : reading.value("frames").toArray()) {
        if (frame.toObject().value("id").toString() == id)
            return frame.toObject();
    }
    return {};
}

TagLibReading readWithTagLib(const QString& path)
{
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
    TagLibReading reading;
    if (!file.isValid() || !tag || tag->isEmpty())
        return reading;
    const auto text = [](const TagLib::String& s) { return QString::fromStdWString(s.toWString()); };
    reading.hasTag = true;
    reading.title = text(tag->title());
    reading.artist = text(tag->artist());
    reading.album = text(tag->album());
    reading.comment = text(tag->comment());
    reading.genre = text(tag->genre());
    reading.year = tag->year();
    reading.track = tag->track();
    return reading;
}

} // namespace id3test
