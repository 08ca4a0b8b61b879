// CopyFileWithProgress: what it copies, every failure code, and that no failure, cancel or copy of
// a file onto itself ever harms the target or leaves a temporary file behind.
#include "common/Util.h"

#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

using testsupport::readFile;
using testsupport::testFolder;
using testsupport::writeFile;

namespace {

class CopyFileTest : public testing::Test {
protected:
    const QString folder = testFolder();
    const QString source = folder + "/source.wav";
    const QString target = folder + "/target.wav";
    const QByteArray oldTarget = QByteArray("the user's saved mix, not to be lost");
    std::atomic<int32_t> percent{-1};
    std::atomic<int32_t> go{1};

    int copy(const QString& from, const QString& to) { return CopyFileWithProgress(from, to, percent, go); }

    // The files of the folder, so a temporary copy left behind shows.
    QStringList files() const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
};

} // namespace

TEST_F(CopyFileTest, CopiesInBlocksAndReportsProgress)
{
    struct Case {
        int size;
        bool targetExists;
    } cases[] = {
        {3 * kCopyBlockSize + 7, false},
        {3 * kCopyBlockSize + 7, true},
        {kCopyBlockSize, true},
        {1, false},
    };
    for (const Case& c : cases) {
        const QByteArray content = wavefixtures::sampleBytes(c.size, c.size);
        writeFile(source, content);
        QFile::remove(target);
        QFile::Permissions before;
        if (c.targetExists) {
            writeFile(target, oldTarget);
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
            before = QFileInfo(target).permissions();
        }
        percent = -1;
        EXPECT_EQ(copy(source, target), 0) << c.size;
        EXPECT_EQ(readFile(target), content) << c.size;
        EXPECT_EQ(percent.load(), 100) << c.size;
        if (c.targetExists) {
            EXPECT_EQ(QFileInfo(target).permissions(), before) << "the replaced file keeps its permissions";
        }
        EXPECT_EQ(files(), QStringList({"source.wav", "target.wav"}));
    }
}

TEST_F(CopyFileTest, EmptySourceGivesAnEmptyTarget)
{
    writeFile(source, "");
    writeFile(target, oldTarget);
    EXPECT_EQ(copy(source, target), 0);
    EXPECT_TRUE(QFileInfo::exists(target));
    EXPECT_EQ(readFile(target).size(), 0);
    EXPECT_EQ(percent.load(), 0);
}

TEST_F(CopyFileTest, CancelCopiesNothingAndKeepsTheTarget)
{
    writeFile(source, wavefixtures::sampleBytes(2 * kCopyBlockSize));
    for (const int word : {0, 2, -1}) {
        go = word;
        QFile::remove(target);
        EXPECT_EQ(copy(source, target), 129) << word;
        EXPECT_FALSE(QFileInfo::exists(target)) << "a target this copy would have made is not left";

        writeFile(target, oldTarget);
        EXPECT_EQ(copy(source, target), 129) << word;
        EXPECT_EQ(readFile(target), oldTarget) << "an existing target is left as it was";
        EXPECT_EQ(files(), QStringList({"source.wav", "target.wav"}));
    }
}

TEST_F(CopyFileTest, AFileCopiedOntoItselfIsLeftAlone)
{
    const QByteArray content = wavefixtures::sampleBytes(kCopyBlockSize + 100);
    writeFile(source, content);
    QDir().mkpath(folder + "/sub");
    ASSERT_TRUE(QFile::link(source, folder + "/link.wav"));
    ASSERT_EQ(::link(QFile::encodeName(source).constData(), QFile::encodeName(folder + "/hard.wav").constData()), 0);

    const QString spellings[] = {
        source,
        folder + "/./source.wav",
        folder + "/sub/../source.wav",
        folder + "//source.wav",
        folder + "/link.wav",
        folder + "/hard.wav",
    };
    for (const QString& same : spellings) {
        go = 1;
        EXPECT_EQ(copy(source, same), 0) << same.toStdString();
        EXPECT_EQ(readFile(source), content) << same.toStdString() << " must not be truncated";
        go = 0;
        EXPECT_EQ(copy(same, source), 0) << "nothing to cancel either: " << same.toStdString();
        EXPECT_EQ(readFile(source), content);
    }
}

TEST_F(CopyFileTest, FailuresGiveTheirCodeAndKeepTheTarget)
{
    const QByteArray content = wavefixtures::sampleBytes(3 * kCopyBlockSize);
    writeFile(source, content);
    QDir().mkpath(folder + "/folder.wav");
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "/pipe.wav").constData(), 0600), 0);

    struct Case {
        const char* what;
        QString from;
        QString to;
        int code;
    } cases[] = {
        {"missing source", folder + "/missing.wav", target, 148},
        {"source is a folder", folder + "/folder.wav", target, 149},
        {"source is a pipe", folder + "/pipe.wav", target, 149},
        {"target's folder missing", source, folder + "/nowhere/target.wav", 150},
        {"target is a folder", source, folder + "/folder.wav", 150},
    };
    for (const Case& c : cases) {
        writeFile(target, oldTarget);
        EXPECT_EQ(copy(c.from, c.to), c.code) << c.what;
        EXPECT_EQ(readFile(target), oldTarget) << c.what;
        EXPECT_EQ(readFile(source), content) << c.what;
        EXPECT_EQ(files(), QStringList({"source.wav", "target.wav"})) << c.what;
        EXPECT_TRUE(QFileInfo(folder + "/folder.wav").isDir()) << c.what;
    }
}

TEST_F(CopyFileTest, AReadOnlyTargetIsRefusedAndKept)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write any file";
    writeFile(source, wavefixtures::sampleBytes(kCopyBlockSize));
    writeFile(target, oldTarget);
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner));
    EXPECT_EQ(copy(source, target), 150);
    EXPECT_EQ(readFile(target), oldTarget);
    EXPECT_EQ(files(), QStringList({"source.wav", "target.wav"}));
}

TEST_F(CopyFileTest, ASourceThatEndsEarlyGives152)
{
    // Kernel attribute files say 4096 bytes and hold a few: a file that shrank under the copy.
    const QString shrinking = "/sys/kernel/mm/transparent_hugepage/hpage_pmd_size";
    if (GetFileSizeByName(shrinking) <= 100)
        GTEST_SKIP() << "no kernel attribute file that reports more than it holds";
    writeFile(target, oldTarget);
    EXPECT_EQ(copy(shrinking, target), 152);
    EXPECT_EQ(readFile(target), oldTarget);
    EXPECT_EQ(files(), QStringList({"target.wav"}));
}

TEST_F(CopyFileTest, AFullDiskGives153)
{
    const QByteArray content = wavefixtures::sampleBytes(4 * kCopyBlockSize);
    writeFile(source, content);
    writeFile(target, oldTarget);
    int code;
    {
        wavefixtures::FileSizeLimit full(2 * kCopyBlockSize + 10);
        code = copy(source, target);
    }
    EXPECT_EQ(code, 153);
    EXPECT_EQ(readFile(target), oldTarget);
    EXPECT_GT(percent.load(), 0) << "the first blocks were written before the disk filled";
    EXPECT_LT(percent.load(), 100);
    EXPECT_EQ(files(), QStringList({"source.wav", "target.wav"}));
}

// A source on another file system is copied block by block through the buffer (the kernel copies
// only within one): the bytes arrive whole, and a full disk on that road gives 153 as well.
TEST_F(CopyFileTest, ASourceOnAnotherFileSystemIsCopiedThroughTheBuffer)
{
    const QString elsewhere = QStringLiteral("/dev/shm");
    struct stat here;
    struct stat there;
    if (::stat(QFile::encodeName(folder).constData(), &here) != 0
        || ::stat(QFile::encodeName(elsewhere).constData(), &there) != 0 || here.st_dev == there.st_dev
        || ::access(QFile::encodeName(elsewhere).constData(), W_OK) != 0)
        GTEST_SKIP() << "no writable folder on another file system";
    const QString farSource =
        elsewhere + QStringLiteral("/va-copy-test-%1.wav").arg(QCoreApplication::applicationPid());
    const QByteArray content = wavefixtures::sampleBytes(20 * kCopyBlockSize + 3);
    writeFile(farSource, content);

    EXPECT_EQ(copy(farSource, target), 0);
    EXPECT_EQ(readFile(target), content);
    EXPECT_EQ(percent.load(), 100);

    writeFile(target, oldTarget);
    int code;
    {
        wavefixtures::FileSizeLimit full(2 * kCopyBlockSize + 10);
        code = copy(farSource, target);
    }
    QFile::remove(farSource);
    EXPECT_EQ(code, 153);
    EXPECT_EQ(readFile(target), oldTarget);
    EXPECT_EQ(files(), QStringList({"target.wav"}));
}
