#include "editor/WorkspaceFiles.h"

#include "common/Util.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <limits>

using testsupport::testFolder;

namespace {

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

TEST(WorkspaceFiles, NamesAreReservedEmptyWithThePrefixInAnyFolder)
{
    const QStringList folderNames = {"plain", "with spaces", "Temp ü 日本"};
    for (const QString& name : folderNames) {
        SCOPED_TRACE(name.toStdString());
        const QString folder = testFolder() + "/" + name;
        ASSERT_TRUE(QDir().mkpath(folder));
        ReservedFiles names(folder);
        TDocumentRecord document;
        ASSERT_EQ(reserveWorkspaceNames(names, document), 0);
        const QStringList paths = {document.workingFile, document.undoFile, document.redoFile};
        for (const QString& path : paths) {
            const QFileInfo info(path);
            EXPECT_TRUE(info.exists());
            EXPECT_EQ(info.size(), 0);
            EXPECT_EQ(info.absolutePath(), QDir(folder).absolutePath());
            EXPECT_TRUE(info.fileName().startsWith("qel32"));
            EXPECT_TRUE(info.fileName().endsWith(".tmp"));
        }
        EXPECT_EQ(QSet<QString>(paths.begin(), paths.end()).size(), 3);
        names.release();
    }
}

TEST(WorkspaceFiles, ThousandNamesAreUnique)
{
    const QString folder = testFolder();
    ReservedFiles names(folder);
    QSet<QString> seen;
    for (int i = 0; i < 1000; ++i)
        seen.insert(names.reserve());
    EXPECT_EQ(seen.size(), 1000);
    EXPECT_FALSE(seen.contains(QString()));
    EXPECT_EQ(filesIn(folder).size(), 1000);
}

TEST(WorkspaceFiles, NamesNotHandedToADocumentAreDeleted)
{
    const QString folder = testFolder();
    {
        ReservedFiles names(folder);
        TDocumentRecord document;
        ASSERT_EQ(reserveWorkspaceNames(names, document), 0);
        EXPECT_EQ(filesIn(folder).size(), 3);
        // A display that showed the working file before the open failed left its peak cache.
        QFile cache(GetPeakFileName(document.workingFile, folder));
        ASSERT_TRUE(cache.open(QIODevice::WriteOnly));
        EXPECT_EQ(filesIn(folder).size(), 4);
    }
    EXPECT_TRUE(filesIn(folder).isEmpty()) << filesIn(folder).join(", ").toStdString();

    TDocumentRecord kept;
    {
        ReservedFiles names(folder);
        ASSERT_EQ(reserveWorkspaceNames(names, kept), 0);
        names.release();
    }
    EXPECT_EQ(filesIn(folder).size(), 3);
    EXPECT_TRUE(QFileInfo::exists(kept.workingFile));
}

TEST(WorkspaceFiles, AMissingOrReadOnlyFolderGivesNoNames)
{
    const QString readOnly = testFolder() + "/locked";
    ASSERT_TRUE(QDir().mkpath(readOnly));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QStringList folders = {testFolder() + "/gone", QString("/proc/nope"), QString("/proc")};
    // Rights that ignore folder permissions (root) can write into the locked folder.
    if (!QFileInfo(readOnly).isWritable())
        folders.append(readOnly);
    for (const QString& folder : folders) {
        SCOPED_TRACE(folder.toStdString());
        ReservedFiles names(folder);
        TDocumentRecord document;
        EXPECT_EQ(reserveWorkspaceNames(names, document), kNoTempName);
        EXPECT_TRUE(document.workingFile.isEmpty());
        EXPECT_FALSE(names.error().isEmpty());
    }
}

TEST(WorkspaceFiles, SourceKindFollowsTheExtension)
{
    struct Case {
        const char* path;
        SourceKind kind;
    };
    const Case cases[] = {
        {"/a/b.wav", SourceKind::Wave},   {"/a/b.MP3", SourceKind::Mp3},       {"/a/b.Wma", SourceKind::Wma},
        {"/a/b.mp3.wav", SourceKind::Wave}, {"/a/mp3", SourceKind::Wave},      {"/a.mp3/b", SourceKind::Wave},
        {"/a/b.tmp", SourceKind::Wave},   {"/a/ü 日本.mp3", SourceKind::Mp3}, {"", SourceKind::Wave},
        {"/a/.mp3", SourceKind::Mp3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(sourceKindOf(QString::fromUtf8(c.path)), c.kind);
    }
}

TEST(WorkspaceFiles, RoomNeededForTheWorkingCopy)
{
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    struct Case {
        SourceKind kind;
        int64_t size;
        int64_t bitsPerSecond;
        int64_t needed;
    };
    const Case cases[] = {
        {SourceKind::Wave, 123'456, 0, 123'456},
        {SourceKind::Wave, 3LL << 30, 128'000, 3LL << 30},
        {SourceKind::Mp3, 10'000'000, 128'000, 110'250'000},
        {SourceKind::Mp3, 3LL << 30, 128'000, 35'514'010'828}, // a 3 GiB source: no 32-bit wrap
        {SourceKind::Mp3, 10'000'000, 0, 110'250'000},          // unknown rate: 128 kbit/s assumed
        {SourceKind::Mp3, 10'000'000, -5, 110'250'000},
        {SourceKind::Wma, 1'000'000, 64'000, 22'050'000},
        {SourceKind::Wma, 1'000'000, 1'411'200, 1'000'000},
        {SourceKind::Mp3, 1, 320'000, 4},
        {SourceKind::Mp3, 0, 128'000, 0},
        {SourceKind::Mp3, -1, 128'000, 0},
        {SourceKind::Mp3, kMax, 1, kMax}, // clamped, not wrapped
        {SourceKind::Mp3, kMax, kMax, 1'411'200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + " @ " + std::to_string(c.bitsPerSecond));
        EXPECT_EQ(workspaceBytesNeeded(c.kind, c.size, c.bitsPerSecond), c.needed);
    }
}

TEST(WorkspaceFiles, TempSpaceCheck)
{
    struct Case {
        int64_t needed;
        int64_t freeBytes;
        int result;
    };
    const Case cases[] = {
        {110'250'000, 110'250'000, 0}, {110'250'000, 110'249'999, 104}, {0, 0, 0},
        {5, -1, 0}, // unknown free space: the copy itself reports a full disk
        {1LL << 40, 1LL << 39, 104},
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkTempSpace(c.needed, c.freeBytes), c.result) << c.needed << " " << c.freeBytes;

    EXPECT_GT(freeBytesOnDrive(testFolder()), 0);
    EXPECT_EQ(freeBytesOnDrive(testFolder() + "/gone"), -1);
}
