#include "platform/settings/TextDecoding.h"

#include <QStringDecoder>

#include <array>

namespace platform {

namespace {

// Bytes 0x80..0x9F of Windows-1252; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr QByteArrayView byteOrderMark("\xEF\xBB\xBF");

} // namespace

QString decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte <= 0x9F) ? QChar(windows1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

QString decodeUtf8OrWindows1252(QByteArrayView bytes, bool* hadByteOrderMark)
{
    const bool bom = bytes.startsWith(byteOrderMark);
    if (hadByteOrderMark)
        *hadByteOrderMark = bom;
    if (bom)
        bytes = bytes.sliced(byteOrderMark.size());
    // Stateless: a sequence cut off at the end counts as invalid instead of waiting for more. The
    // mark was removed above; a second one is text.
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (!decoder.hasError())
        return text;
    return decodeWindows1252(bytes);
}

} // namespace platform
