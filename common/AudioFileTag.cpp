#include "common/AudioFileTag.h"

#include "common/ErrCodes.h"
#include "common/Log.h"
#include "platform/codecs/Id3Tag.h"
#include "platform/codecs/TagFile.h"
#include "platform/codecs/Tessivo.h"
#include "platform/ui/Messages.h"

#include <QFileInfo>

using namespace platform::codecs;

namespace {

QString extensionOf(const QString& fileName)
{
    return QFileInfo(fileName).suffix().toLower();
}

} // namespace

bool SaveId3Info(const QString& fileName, const TID3InfoRecord& record)
{
    ID3Object tag;
    InitID3Object(tag, fileName);
    if (!tag)
        return true;
    SetID3Info(tag.get(), record);
    const int rc = SaveID3InfoToFile(tag.get());
    DeInitID3Object(tag);
    return rc != TagFileCode::CannotWrite && rc != TagFileCode::CannotRead;
}

void LoadId3Info(const QString& fileName, TID3InfoRecord& record)
{
    ID3Object tag;
    InitID3Object(tag, fileName);
    if (!tag)
        return;
    record = emptySongInfo();
    GetID3Info(tag.get(), record);
    DeInitID3Object(tag);
}

QByteArray BuildId3TagBlock(const TID3InfoRecord& record)
{
    return id3TagBytes(record);
}

bool WriteWavId3Chunk(const QString& wavFile, const QByteArray& tag, const platform::Messages& messages)
{
    if (writeWaveTagChunk(wavFile, tag) == TagFileCode::Ok)
        return true;
    qCWarning(lcCommon).noquote() << "the tag chunk of" << wavFile << "was not written";
    messages.ShowMessageById(kWavTagWriteMessageId, {}, platform::MB_OK | platform::MB_ICONERROR);
    return false;
}

int ReadWavId3Chunk(const QString& wavFile, TID3InfoRecord& record)
{
    const std::optional<QByteArray> tag = readWaveTagChunk(wavFile);
    if (!tag)
        return kNoWavTagCode;
    TID3InfoRecord read = emptySongInfo();
    if (songInfoFromTagBytes(*tag, &read))
        record = read;
    else
        qCWarning(lcCommon).noquote() << "the id3 chunk of" << wavFile << "holds no tag that can be read";
    return 0;
}

bool ReadAudioFileTag(const QString& fileName, TID3InfoRecord& record)
{
    if (!QFileInfo(fileName).isFile())
        return false;
    const QString extension = extensionOf(fileName);
    if (extension == QLatin1String("mp3")) {
        record = emptySongInfo();
        LoadId3Info(fileName, record);
    } else if (extension == QLatin1String("wav")) {
        record = emptySongInfo();
        ReadWavId3Chunk(fileName, record);
    } else if (extension == QLatin1String("wma")) {
        record = emptySongInfo();
        return false;
    }
    return true;
}

bool WriteAudioFileTag(const QString& fileName, const TID3InfoRecord& record, const platform::Messages& messages)
{
    if (!QFileInfo(fileName).isFile())
        return true;
    const QString extension = extensionOf(fileName);
    if (extension == QLatin1String("mp3")) {
        if (SaveId3Info(fileName, record))
            return true;
        messages.ShowMessageBox(QString::fromLatin1(kReadOnlyTagMessage), QString::fromLatin1(kRecorderCaption),
                                platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    if (extension == QLatin1String("wav"))
        return WriteWavId3Chunk(fileName, BuildId3TagBlock(record), messages);
    return true;
}
