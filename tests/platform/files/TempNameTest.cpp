#include "platform/files/TempName.h"

#include "tests/support/LogCapture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <set>

TEST(TempName, CreatesDistinctEmptyFilesWithPrefixAndSuffix)
{
    const QString folder = testsupport::testFolder();
    std::set<QString> names;
    for (int i = 0; i < 200; ++i) {
        const QString path = platform::createTempFile(folder + "/", QStringLiteral("LOD"));
        ASSERT_FALSE(path.isEmpty());
        const QFileInfo info(path);
        EXPECT_EQ(info.absolutePath(), folder);
        EXPECT_TRUE(info.fileName().startsWith("LOD"));
        EXPECT_TRUE(info.fileName().endsWith(".tmp"));
        EXPECT_TRUE(info.isFile());
        EXPECT_EQ(info.size(), 0);
        EXPECT_TRUE(names.insert(path).second) << "name given twice: " << path.toStdString();
    }
}

TEST(TempName, MissingFolderFailsWithAReason)
{
    testsupport::LogCapture log;
    QString error;
    const QString folder = testsupport::testFolder() + "/no/such/folder";
    EXPECT_TRUE(platform::createTempFile(folder, QStringLiteral("qel32"), &error).isEmpty());
    EXPECT_TRUE(error.contains(folder));
    EXPECT_TRUE(log.contains(folder, QStringLiteral("va.platform")));
}
