// Fuzz target of the editor's ID3v2 reader: any bytes are read without a crash, a hang or a read
// past their end, and what was read survives being written and read again unchanged.
#include "editor/ID3v2.h"

#include <QByteArrayView>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QStringList fieldsOf(const editor::TID3v2& tag)
{
    return {tag.Title(),    tag.Artist(),  tag.Album(),     tag.Year(),     tag.Genre(), tag.Comment(),
            tag.Composer(), tag.Encoder(), tag.Copyright(), tag.Language(), tag.Link(),  QString::number(tag.Track())};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    editor::TID3v2 tag;
    tag.ReadFromBytes(QByteArrayView(data, qsizetype(size)));
    const QByteArray written = tag.TagBytes();
    editor::TID3v2 again;
    if (!again.ReadFromBytes(written) || fieldsOf(again) != fieldsOf(tag)) {
        std::fprintf(stderr, "fields changed when written and read again:\n%s\n%s\n",
                     qPrintable(fieldsOf(tag).join(u'|')), qPrintable(fieldsOf(again).join(u'|')));
        std::abort();
    }
    return 0;
}
