#pragma once
// Decoding of text files that may come from older Windows installations: they were written in
// the single-byte Windows-1252 code page, ours are written in UTF-8.
#include <QByteArray>
#include <QString>

namespace platform {

// Windows-1252 to Unicode. The five bytes that code page leaves unassigned map to the control
// characters of the same value, as Windows itself decodes them.
QString decodeWindows1252(QByteArrayView bytes);

// UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is not part of the text),
// otherwise Windows-1252. hadByteOrderMark (optional) tells whether the mark was present.
QString decodeUtf8OrWindows1252(QByteArrayView bytes, bool* hadByteOrderMark = nullptr);

} // namespace platform
