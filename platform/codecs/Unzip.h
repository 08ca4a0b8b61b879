#pragma once
// Unpacking one named file from a zip archive (the encoder library, dropped on a window as a zip).
//
// The archive is hostile: an entry whose stored path is absolute or climbs out of its folder ("..")
// is refused, an entry larger than kMaxUnzipEntrySize is refused (whatever its headers claim: the
// bytes are counted as they are unpacked), and a failure leaves no file behind. The unpacked file is
// written beside its target under a temporary name and renamed over it (an existing file of that
// name is replaced) only when it is complete and its checksum is right.

#include <QString>
#include <QStringList>

#include <cstdint>

namespace platform::codecs {

namespace WizCode {
inline constexpr int Ok = 0;
inline constexpr int Corrupt = 2;      // an entry's data cannot be unpacked intact (damaged, checksum)
inline constexpr int Damaged = 3;      // the archive's directory is inconsistent or unreadable
inline constexpr int NoMemory = 4;
inline constexpr int NotZip = 9;       // missing, or not a zip archive
inline constexpr int BadArguments = 10;
inline constexpr int NotFound = 11;    // no entry of that name
inline constexpr int UnsafePath = 12;  // the entry's path is absolute or climbs out of its folder
inline constexpr int TooLarge = 13;    // the entry unpacks to more than kMaxUnzipEntrySize bytes
inline constexpr int Unsupported = 14; // encrypted, or a compression method we cannot unpack
inline constexpr int DiskError = 50;   // the unpacked file cannot be created, written or put in place
} // namespace WizCode

// The largest file unpacked: far above any encoder library, far below a disk's free space.
inline constexpr int64_t kMaxUnzipEntrySize = 64 * 1024 * 1024;

struct WizOptions {
    QString archive;       // the zip file
    QString extractFolder; // where the file goes (it must exist)
};

// 0 when the file is a zip archive whose directory is consistent. With allCodes non-zero a failure
// returns its WizCode; with 0 every failure returns 1.
int Wiz_Validate(const QString& archive, int allCodes);

// Unpacks, for each of the fileCount names, the entry whose file name equals it (ignoring case;
// entries in folders of the archive count by their file name) into options.extractFolder under
// that name; entries that match one of the excludeCount excluded names are passed over. Names are
// plain file names. The result is the first failure's code, WizCode::NotFound when a name has no
// entry, 0 when every name was unpacked.
int Wiz_SingleEntryUnzip(int fileCount, const QStringList& fileNames, int excludeCount, const QStringList& excludeNames,
                         const WizOptions& options);

} // namespace platform::codecs
