#include "platform/codecs/Unzip.h"

#include "platform/base/Log.h"
#include "platform/files/PendingFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <zip.h>

#include <memory>
#include <unistd.h>
#include <vector>

namespace platform::codecs {

namespace {

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipCloser>;

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipEntry = std::unique_ptr<zip_file_t, ZipFileCloser>;

int codeOfOpenError(int error)
{
    switch (error) {
    case ZIP_ER_NOENT:
    case ZIP_ER_OPEN:
    case ZIP_ER_NOZIP:
        return WizCode::NotZip;
    case ZIP_ER_MEMORY:
        return WizCode::NoMemory;
    default:
        return WizCode::Damaged;
    }
}

int codeOfReadError(int error)
{
    switch (error) {
    case ZIP_ER_COMPNOTSUPP:
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
        return WizCode::Unsupported;
    case ZIP_ER_MEMORY:
        return WizCode::NoMemory;
    default:
        return WizCode::Corrupt;
    }
}

int openArchive(const QString& path, ZipArchive& archive)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0)
        return WizCode::NotZip;
    int error = 0;
    archive.reset(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!archive) {
        qCDebug(lcPlatform).noquote() << path << "is not a readable zip archive: libzip error" << error;
        return codeOfOpenError(error);
    }
    return WizCode::Ok;
}

bool isPlainName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

// An entry's stored path stays inside the folder it is unpacked into.
bool isSafeEntryPath(QString path)
{
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (path.startsWith(QLatin1Char('/')) || (path.size() >= 2 && path[1] == QLatin1Char(':')))
        return false;
    const QStringList parts = path.split(QLatin1Char('/'));
    return !parts.contains(QStringLiteral(".."));
}

QString baseName(QString path)
{
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path.section(QLatin1Char('/'), -1);
}

bool matchesAny(const QString& name, const QStringList& names)
{
    for (const QString& n : names)
        if (name.compare(n, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The index of the entry to unpack for name, or a WizCode (as a negative number) when there is none
// or one of the candidates is unsafe.
int64_t findEntry(zip_t* archive, const QString& name, const QStringList& excludeNames)
{
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    int64_t found = -WizCode::NotFound;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(archive, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        if (!raw)
            continue;
        const QString stored = QString::fromUtf8(raw);
        const QString file = baseName(stored);
        if (file.isEmpty() || file.compare(name, Qt::CaseInsensitive) != 0 || matchesAny(file, excludeNames))
            continue;
        if (!isSafeEntryPath(stored)) {
            qCWarning(lcPlatform).noquote() << "zip entry" << stored << "climbs out of its folder; refused";
            return -WizCode::UnsafePath;
        }
        if (found < 0)
            found = i;
    }
    return found;
}

int unpackEntry(zip_t* archive, zip_uint64_t index, const QString& target)
{
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        return WizCode::Damaged;
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        return WizCode::Unsupported;
    if ((stat.valid & ZIP_STAT_COMP_METHOD) && !zip_compression_method_supported(stat.comp_method, 0))
        return WizCode::Unsupported;
    if (stat.size > zip_uint64_t(kMaxUnzipEntrySize)) {
        qCWarning(lcPlatform) << "zip entry of" << stat.size << "bytes is larger than" << kMaxUnzipEntrySize;
        return WizCode::TooLarge;
    }
    ZipEntry entry(zip_fopen_index(archive, index, 0));
    if (!entry)
        return codeOfReadError(zip_error_code_zip(zip_get_error(archive)));

    PendingFile pending(target);
    if (!pending.isValid())
        return WizCode::DiskError;
    QFile out(pending.path());
    if (!out.open(QIODevice::WriteOnly))
        return WizCode::DiskError;
    std::vector<char> block(64 * 1024);
    zip_uint64_t total = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(entry.get(), block.data(), block.size());
        if (n < 0)
            return codeOfReadError(zip_error_code_zip(zip_file_get_error(entry.get())));
        if (n == 0)
            break;
        total += zip_uint64_t(n);
        // The headers may understate what the data unpacks to: count what really comes out.
        if (total > stat.size)
            return total > zip_uint64_t(kMaxUnzipEntrySize) ? WizCode::TooLarge : WizCode::Corrupt;
        if (out.write(block.data(), n) != n)
            return WizCode::DiskError;
    }
    if (total != stat.size || zip_fclose(entry.release()) != 0)
        return WizCode::Corrupt;
    const bool written = out.flush() && ::fsync(out.handle()) == 0;
    out.close();
    if (!written || out.error() != QFileDevice::NoError || !pending.commit())
        return WizCode::DiskError;
    return WizCode::Ok;
}

} // namespace

int Wiz_Validate(const QString& archive, int allCodes)
{
    ZipArchive zip;
    const int code = openArchive(archive, zip);
    return code == WizCode::Ok || allCodes ? code : 1;
}

int Wiz_SingleEntryUnzip(int fileCount, const QStringList& fileNames, int excludeCount, const QStringList& excludeNames,
                         const WizOptions& options)
{
    if (fileCount < 1 || fileCount != fileNames.size() || excludeCount != excludeNames.size()
        || options.archive.isEmpty() || options.extractFolder.isEmpty())
        return WizCode::BadArguments;
    for (const QString& name : fileNames)
        if (!isPlainName(name))
            return WizCode::BadArguments;
    if (!QFileInfo(options.extractFolder).isDir())
        return WizCode::DiskError;

    ZipArchive zip;
    if (const int code = openArchive(options.archive, zip); code != WizCode::Ok)
        return code;
    for (const QString& name : fileNames) {
        const int64_t index = findEntry(zip.get(), name, excludeNames);
        if (index < 0)
            return int(-index);
        const int code = unpackEntry(zip.get(), zip_uint64_t(index), QDir(options.extractFolder).filePath(name));
        if (code != WizCode::Ok) {
            qCWarning(lcPlatform).noquote() << "cannot unpack" << name << "from" << options.archive << ": code" << code;
            return code;
        }
    }
    return WizCode::Ok;
}

} // namespace platform::codecs
