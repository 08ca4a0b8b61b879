#include "platform/codecs/SongInfo.h"

#include <cstring>

namespace platform::codecs {

void setSongInfoText(char* field, std::size_t width, const QString& text)
{
    std::memset(field, 0, width);
    if (width == 0)
        return;
    const QByteArray utf8 = text.toUtf8();
    std::size_t length = std::min<std::size_t>(std::size_t(utf8.size()), width - 1);
    // Step back over continuation bytes (10xxxxxx) so that no character is split.
    if (length < std::size_t(utf8.size()))
        while (length > 0 && (uint8_t(utf8[qsizetype(length)]) & 0xC0) == 0x80)
            --length;
    std::memcpy(field, utf8.constData(), length);
}

QString songInfoText(const char* field, std::size_t width)
{
    const void* end = std::memchr(field, 0, width);
    const std::size_t length = end ? std::size_t(static_cast<const char*>(end) - field) : width;
    return QString::fromUtf8(field, qsizetype(length));
}

TID3InfoRecord emptySongInfo()
{
    TID3InfoRecord record;
    std::memset(&record, 0, sizeof record);
    return record;
}

} // namespace platform::codecs
