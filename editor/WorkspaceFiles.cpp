#include "editor/WorkspaceFiles.h"

#include "common/Util.h"
#include "platform/files/TempName.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <limits>

ReservedFiles::ReservedFiles(QString folder)
    : m_folder(std::move(folder))
{
}

ReservedFiles::~ReservedFiles()
{
    // A display may have shown a name's file before the open failed: its peak cache goes too.
    for (const QString& path : m_paths) {
        QFile::remove(path);
        QFile::remove(GetPeakFileName(path, m_folder));
    }
}

QString ReservedFiles::reserve()
{
    const QString path = platform::createTempFile(m_folder, QString::fromLatin1(kEditorTempPrefix), &m_error);
    if (!path.isEmpty())
        m_paths.append(path);
    return path;
}

int reserveWorkspaceNames(ReservedFiles& names, TDocumentRecord& document)
{
    for (QString* name : {&document.workingFile, &document.undoFile, &document.redoFile}) {
        *name = names.reserve();
        if (name->isEmpty())
            return kNoTempName;
    }
    return 0;
}

SourceKind sourceKindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("mp3"), Qt::CaseInsensitive) == 0)
        return SourceKind::Mp3;
    if (suffix.compare(QLatin1String("wma"), Qt::CaseInsensitive) == 0)
        return SourceKind::Wma;
    return SourceKind::Wave;
}

int64_t workspaceBytesNeeded(SourceKind kind, int64_t fileSize, int64_t sourceBitsPerSecond)
{
    if (fileSize <= 0)
        return 0;
    if (kind == SourceKind::Wave || kind == SourceKind::None)
        return fileSize;
    const int64_t rate = sourceBitsPerSecond > 0 ? sourceBitsPerSecond : kAssumedSourceBitsPerSecond;
    // 128-bit product: a size times the CD rate passes 64 bits for sizes over about 6 TB.
    const __int128 bytes = static_cast<__int128>(fileSize) * kCdBitsPerSecond / rate;
    return bytes > std::numeric_limits<int64_t>::max() ? std::numeric_limits<int64_t>::max() : int64_t(bytes);
}

int64_t freeBytesOnDrive(const QString& folder)
{
    const QStorageInfo storage(folder);
    if (!storage.isValid() || !storage.isReady())
        return -1;
    return storage.bytesAvailable();
}

int checkTempSpace(int64_t needed, int64_t freeBytes)
{
    if (freeBytes < 0 || freeBytes >= needed)
        return 0;
    return kNoTempSpace;
}
