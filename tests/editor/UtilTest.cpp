#include "editor/Util.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>

using testsupport::readFile;
using testsupport::testFolder;
using testsupport::writeFile;

namespace {

// Changes the current folder for one test and restores it afterwards.
class CurrentFolder {
public:
    explicit CurrentFolder(const QString& folder) : m_previous(QDir::currentPath()) { QDir::setCurrent(folder); }
    ~CurrentFolder() { QDir::setCurrent(m_previous); }

private:
    QString m_previous;
};

} // namespace

TEST(EditorUtil, ShortenPathDropsLeadingFoldersOneAtATime)
{
    const struct {
        const char* path;
        int maximum;
        const char* expected;
    } cases[] = {
        {"/a/b/c/d.wav", 12, "/a/b/c/d.wav"}, // short enough already
        {"/a/b/c/d.wav", 100, "/a/b/c/d.wav"},
        {"/a/b/c/d.wav", 11, "/.../d.wav"},   // "/.../b/c/d.wav" and "/.../c/d.wav" are still too long
        {"/aaaaa/b/c/d.wav", 15, "/.../b/c/d.wav"},
        {"/aaaaa/b/c/d.wav", 14, "/.../b/c/d.wav"},
        {"/aaaaa/b/c/d.wav", 13, "/.../c/d.wav"},
        {"/a/b/c/d.wav", 10, "/.../d.wav"},
        {"/a/b/c/d.wav", 3, "/.../d.wav"},    // the file name is never cut
        {"/d.wav", 3, "/d.wav"},              // nothing left to drop
        {"d.wav", 2, "d.wav"},
        {"a/b/d.wav", 6, ".../d.wav"},        // a relative path keeps no leading "/"
        {"/home/me/Music/My Show ü.wav", 24, "/.../Music/My Show ü.wav"},
        {"/home/me/Music/", 8, "/.../"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(editor::ShortenPath(QString::fromUtf8(c.path), c.maximum), QString::fromUtf8(c.expected))
            << c.path << " to " << c.maximum;
}

TEST(EditorUtil, BalanceFromVolumes)
{
    const struct {
        int64_t left, right;
        int maximum, minimum;
        int expected;
    } cases[] = {
        {100, 50, 100, 0, 25},
        {50, 100, 100, 0, 75},
        {70, 70, 100, 0, 50},
        {0, 0, 100, 0, 50},
        {0, 80, 100, 0, 100},
        {80, 0, 100, 0, 0},
        {100, 97, 100, 0, 48},        // 50 x 3 / 100 = 1.5 rounds to 2, halves to even
        {100, 99, 100, 0, 50},        // 50 x 1 / 100 = 0.5 rounds to 0
        {65535, 32768, 100, 0, 25},   // P = 49.99... rounds to 50
        {200, 100, 120, 20, 25},      // the centre is half the span, not its middle
        {-5, 10, 100, 0, 100},        // a negative volume counts as silence
        {10, -5, 100, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(editor::BalanceFromVolumes(c.left, c.right, c.maximum, c.minimum), c.expected)
            << c.left << ", " << c.right << " on " << c.minimum << ".." << c.maximum;
}

TEST(EditorUtil, VolumesFromBalance)
{
    const struct {
        int position, maximum, minimum;
        int64_t x, y;
        int64_t right, left;
    } cases[] = {
        {50, 100, 0, 300, 600, 600, 600},      // centre: both the louder volume
        {50, 100, 0, 600, 300, 600, 600},
        {75, 100, 0, 100, 40, 100, 50},        // right of centre: the left is lowered
        {25, 100, 0, 100, 40, 50, 100},
        {100, 100, 0, 100, 100, 100, 0},
        {0, 100, 0, 100, 100, 0, 100},
        {51, 100, 0, 10, 10, 10, 10},          // 10 x 2 / 100 = 0.2 rounds to 0
        {51, 100, 0, 25, 0, 25, 25},           // 25 x 2 / 100 = 0.5 rounds to 0, halves to even
        {53, 100, 0, 50, 0, 50, 47},           // 50 x 6 / 100 = 3
        {500, 100, 0, 100, 0, 100, 0},         // past the end counts as the end
        {-500, 100, 0, 100, 0, 0, 100},
        {1, 1, 0, 70, 30, 70, 70},             // a slider without a centre
    };
    for (const auto& c : cases) {
        int64_t right = -1;
        int64_t left = -1;
        editor::VolumesFromBalance(c.position, c.maximum, c.minimum, right, left, c.x, c.y);
        EXPECT_EQ(right, c.right) << "position " << c.position;
        EXPECT_EQ(left, c.left) << "position " << c.position;
    }
}

TEST(EditorUtil, BalanceRoundTripKeepsTheLouderSide)
{
    // Device volumes to a slider position and back: the louder channel stays the louder one with its
    // volume; the quieter one comes back to within the rounding of a percent.
    for (const auto& [left, right] : {std::pair<int64_t, int64_t>{100, 50}, {30, 90}, {65535, 65535}, {0, 700}}) {
        const int position = editor::BalanceFromVolumes(left, right, 100, 0);
        int64_t newRight = -1;
        int64_t newLeft = -1;
        editor::VolumesFromBalance(position, 100, 0, newRight, newLeft, left, right);
        EXPECT_EQ(std::max(newLeft, newRight), std::max(left, right)) << left << ", " << right;
        EXPECT_EQ(newLeft >= newRight, left >= right) << left << ", " << right;
        EXPECT_NEAR(double(std::min(newLeft, newRight)), double(std::min(left, right)), 1) << left << ", " << right;
    }
}

TEST(EditorUtil, MoveFileOver)
{
    const QString folder = testFolder();
    const QString source = folder + "/new take ü.wav";
    const QString target = folder + "/working.wav";

    writeFile(source, "new");
    writeFile(target, "old");
    EXPECT_TRUE(editor::MoveFileOver(source, target));
    EXPECT_EQ(readFile(target), "new");
    EXPECT_FALSE(QFile::exists(source));

    writeFile(source, "newer");
    EXPECT_TRUE(editor::MoveFileOver(source, folder + "/fresh.wav")) << "no target yet";
    EXPECT_EQ(readFile(folder + "/fresh.wav"), "newer");

    // A move that fails leaves the file it was to replace.
    EXPECT_FALSE(editor::MoveFileOver(folder + "/missing.wav", target));
    EXPECT_EQ(readFile(target), "new");
    EXPECT_FALSE(editor::MoveFileOver(target, folder + "/no folder/x.wav"));
    EXPECT_EQ(readFile(target), "new");
    EXPECT_FALSE(editor::MoveFileOver(QString(), target));
    EXPECT_FALSE(editor::MoveFileOver(target, QString()));
    EXPECT_EQ(readFile(target), "new");

    // An empty target, a reserved name, goes before the rename; never when the move cannot be made,
    // nor when it is the file moved.
    const QString reserved = folder + "/reserved.wav";
    writeFile(reserved, {});
    EXPECT_FALSE(editor::MoveFileOver(folder + "/missing.wav", reserved));
    EXPECT_TRUE(QFile::exists(reserved));
    EXPECT_TRUE(editor::MoveFileOver(reserved, reserved));
    EXPECT_TRUE(QFile::exists(reserved));
    writeFile(source, "newest");
    EXPECT_TRUE(editor::MoveFileOver(source, reserved));
    EXPECT_EQ(readFile(reserved), "newest");
    EXPECT_FALSE(QFile::exists(source));
}

TEST(EditorUtil, ReadFileToString)
{
    const QString folder = testFolder();
    QByteArray bytes = "stale";

    QByteArray content = "line one\r\nline two\0with a zero";
    content += QByteArray(70000, 'x');
    writeFile(folder + "/text.txt", content);
    EXPECT_TRUE(editor::ReadFileToString(folder + "/text.txt", bytes));
    EXPECT_EQ(bytes, content);

    writeFile(folder + "/empty.txt", {});
    const QString unreadable = folder + "/locked.txt";
    writeFile(unreadable, "secret");
    ASSERT_EQ(::chmod(QFile::encodeName(unreadable).constData(), 0), 0);
    const bool root = QFile(unreadable).open(QIODevice::ReadOnly);
    const QString fifo = folder + "/pipe";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    for (const QString& path : {folder + "/empty.txt", folder + "/missing.txt", folder, fifo, QString()}) {
        bytes = "stale";
        EXPECT_FALSE(editor::ReadFileToString(path, bytes)) << path.toStdString();
        EXPECT_TRUE(bytes.isEmpty()) << path.toStdString();
    }
    if (!root) {
        EXPECT_FALSE(editor::ReadFileToString(unreadable, bytes));
        EXPECT_TRUE(bytes.isEmpty());
    }
}

TEST(EditorUtil, FileExistsInTheCurrentFolder)
{
    const QString folder = testFolder();
    QDir(folder).mkpath("sub");
    writeFile(folder + "/sub/take.wav", "x");
    const CurrentFolder here(folder);

    const struct {
        QString name;
        bool exists;
    } cases[] = {
        {folder + "/sub/take.wav", true},
        {"sub/take.wav", true},
        {"sub", true},
        {"take.wav", false},
        {"sub/other.wav", false},
        {QString(), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(editor::FileExistsIn(c.name), c.exists) << c.name.toStdString();
}

TEST(EditorUtil, ExpandLongPathName)
{
    const QString folder = QDir(testFolder()).canonicalPath();
    QDir(folder).mkpath("My Music");
    writeFile(folder + "/My Music/Take ü.wav", "x");
    const CurrentFolder here(folder);

    const struct {
        QString path;
        QString expected;
    } cases[] = {
        {folder + "/My Music/Take ü.wav", folder + "/My Music/Take ü.wav"},
        {folder + "//My Music/./Take ü.wav", folder + "/My Music/Take ü.wav"},
        {"My Music/../My Music/Take ü.wav", folder + "/My Music/Take ü.wav"},
        {"/", "/"},
        {folder + "/My Music", QString()},          // a folder, not a file
        {folder + "/My Music/take ü.wav", QString()}, // names are matched as spelt
        {folder + "/Gone/Take ü.wav", QString()},
        {QString(), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(editor::ExpandLongPathName(c.path), c.expected) << c.path.toStdString();
}
