#include "platform/codecs/Tessivo.h"

namespace platform::codecs {

class TessivoTag {
public:
    QString path;
    TagFileKind kind = TagFileKind::Mp3;
    TID3InfoRecord record = emptySongInfo();
};

void TessivoTagDeleter::operator()(TessivoTag* tag) const
{
    delete tag;
}

void InitID3Object(ID3Object& object, const QString& fileName)
{
    object.reset();
    const std::optional<TagFileKind> kind = tagFileKind(fileName);
    if (!kind)
        return;
    ID3Object tag(new TessivoTag);
    tag->path = fileName;
    tag->kind = *kind;
    readTagFile(fileName, *kind, &tag->record);
    object = std::move(tag);
}

int SetID3Info(TessivoTag* object, const TID3InfoRecord& record)
{
    if (!object)
        return TagFileCode::CannotRead;
    object->record = record;
    return TagFileCode::Ok;
}

int GetID3Info(TessivoTag* object, TID3InfoRecord& record)
{
    if (!object)
        return TagFileCode::CannotRead;
    record = object->record;
    return TagFileCode::Ok;
}

int SaveID3InfoToFile(TessivoTag* object)
{
    if (!object)
        return TagFileCode::CannotRead;
    return writeTagFile(object->path, object->kind, object->record);
}

void DeInitID3Object(ID3Object& object)
{
    object.reset();
}

} // namespace platform::codecs
