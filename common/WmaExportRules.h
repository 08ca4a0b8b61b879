#pragma once
// The rules of the WAV-to-WMA export window without its widgets: which output format it selects
// for a source, which message a failure of the encoder shows, and which file names it takes.
#include <QString>

#include <cstdint>
#include <optional>

// The recorder's messages for the encoder's error codes.
namespace WmaExportMessage {
inline constexpr int FormatNotSupported = 520;
inline constexpr int CodecNotAvailable = 521;
inline constexpr int NoFormat = 522;
inline constexpr int FileInUse = 523;
inline constexpr int WriteError = 524;
inline constexpr int CannotLoad = 525;
} // namespace WmaExportMessage

// The message id of an error code of the encoder; 0 for none (0, and codes it has no text for).
int wmaErrorMessageId(int code);

// The format to select, -1 for an empty list. When the stored rate is the source's: the stored
// index (a negative one selects the first, one past the list the last). A new rate, or values that
// cannot be read: the last (highest) format. The window then remembers the source's rate.
int chooseWmaFormat(std::optional<int32_t> storedRate, std::optional<int32_t> storedIndex, uint32_t sourceRate,
                    int formatCount);

// Whether the export takes the name: it ends in ".wma", in any case.
bool isWmaFileName(const QString& fileName);
// A name chosen in the save dialog with ".wma" put after another extension.
QString withWmaExtension(const QString& fileName);
