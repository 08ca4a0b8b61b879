#include "platform/files/PendingFile.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

using testsupport::readFile;
using testsupport::testFolder;
using testsupport::writeFile;

namespace {
QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}
} // namespace

TEST(PendingFile, ReplacesTheTargetOnlyOnCommitAndKeepsItsPermissions)
{
    const QString folder = testFolder();
    const QString target = folder + "/mix.mp3";
    writeFile(target, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    {
        platform::PendingFile pending(target);
        ASSERT_TRUE(pending.isValid());
        EXPECT_EQ(QFileInfo(pending.path()).absolutePath(), folder);
        EXPECT_TRUE(QFileInfo(pending.path()).fileName().startsWith(".mix.mp3."));
        writeFile(pending.path(), "new content");
        EXPECT_EQ(readFile(target), "old"); // nothing changes before the commit
        ASSERT_TRUE(pending.commit());
    }
    EXPECT_EQ(readFile(target), "new content");
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(folderEntries(folder), QStringList{"mix.mp3"});
}

TEST(PendingFile, AnUncommittedFileLeavesNoTraceAndTheOldFileUntouched)
{
    const QString folder = testFolder();
    const QString target = folder + "/take.wav";
    writeFile(target, "keep me");
    {
        platform::PendingFile pending(target);
        writeFile(pending.path(), "half written");
    }
    EXPECT_EQ(readFile(target), "keep me");
    EXPECT_EQ(folderEntries(folder), QStringList{"take.wav"});

    const QString fresh = folder + "/new.wav";
    {
        platform::PendingFile pending(fresh);
        writeFile(pending.path(), "x");
        pending.discard();
        EXPECT_FALSE(pending.commit());
    }
    EXPECT_FALSE(QFile::exists(fresh));
}

TEST(PendingFile, ALinkIsFollowedToTheRealFile)
{
    const QString folder = testFolder();
    QDir().mkpath(folder + "/real");
    writeFile(folder + "/real/a.wav", "old");
    ASSERT_TRUE(QFile::link(folder + "/real/a.wav", folder + "/link.wav"));
    platform::PendingFile pending(folder + "/link.wav");
    ASSERT_TRUE(pending.isValid());
    writeFile(pending.path(), "new");
    ASSERT_TRUE(pending.commit());
    EXPECT_TRUE(QFileInfo(folder + "/link.wav").isSymLink());
    EXPECT_EQ(readFile(folder + "/real/a.wav"), "new");
}

TEST(PendingFile, AMissingFolderIsInvalidWithAReason)
{
    platform::PendingFile pending(testFolder() + "/no/such/out.wav");
    EXPECT_FALSE(pending.isValid());
    EXPECT_FALSE(pending.errorText().isEmpty());
    EXPECT_FALSE(pending.commit());
}
