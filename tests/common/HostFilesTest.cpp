// Where the host files are looked for, and the host names read from their sections.
#include "common/HostFiles.h"

#include "platform/base/ProgramFolder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>

using namespace common;

TEST(HostFiles, ProgramFolderFilesAreEmptyWhenMissing)
{
    const QString folder = testsupport::testFolder();
    const platform::ProgramFolderOverride program(folder);
    EXPECT_TRUE(GetHostSettingsIniPath().isEmpty());
    EXPECT_TRUE(GetQuestionHelpIniPath().isEmpty());
    testsupport::writeFile(folder + QStringLiteral("/HostSettings.ini"), "[A]\r\n");
    testsupport::writeFile(folder + QStringLiteral("/QuestionHelp.ini"), "[Q]\r\n");
    EXPECT_EQ(GetHostSettingsIniPath(), folder + QStringLiteral("/HostSettings.ini"));
    EXPECT_EQ(GetQuestionHelpIniPath(), folder + QStringLiteral("/QuestionHelp.ini"));
}

TEST(HostFiles, UserFilesAreInTheUsersFoldersEvenWhenMissing)
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    ASSERT_FALSE(config.isEmpty());
    EXPECT_EQ(GetAppDataFolder(), config + QStringLiteral("/vexal-audio/"));
    EXPECT_EQ(GetLocalAppDataFolder(), data + QStringLiteral("/vexal-audio/"));
    EXPECT_EQ(GetCustomHostIniPath(), GetAppDataFolder() + QStringLiteral("CustomHost.ini"));
    EXPECT_EQ(GetHostInfoIniPath(), GetAppDataFolder() + QStringLiteral("HostInfo.ini"));
    EXPECT_FALSE(QFileInfo::exists(GetCustomHostIniPath()));
}

TEST(HostFiles, HostNamesKeepFileOrderAndDuplicates)
{
    const QString folder = testsupport::testFolder();
    const platform::ProgramFolderOverride program(folder);
    QStringList none;
    GetAllHostNames(none);
    EXPECT_TRUE(none.isEmpty());

    testsupport::writeFile(folder + QStringLiteral("/HostSettings.ini"),
                           "[Zeta Host]\r\nFTPAddress=ftp.zeta\r\n[alpha]\r\nFTPAddress=ftp.alpha\r\n");
    ASSERT_TRUE(QDir().mkpath(GetAppDataFolder()));
    testsupport::writeFile(GetCustomHostIniPath(), "[Mine]\r\nPortNo=21\r\n[ALPHA]\r\nPortNo=2121\r\n");

    QStringList names{QStringLiteral("kept")};
    GetPredefinedHostNames(names);
    EXPECT_EQ(names, (QStringList{QStringLiteral("kept"), QStringLiteral("Zeta Host"), QStringLiteral("alpha")}));
    QStringList custom;
    GetCustomHostNames(custom);
    EXPECT_EQ(custom, (QStringList{QStringLiteral("Mine"), QStringLiteral("ALPHA")}));
    QStringList all;
    GetAllHostNames(all);
    EXPECT_EQ(all, (QStringList{QStringLiteral("Zeta Host"), QStringLiteral("alpha"), QStringLiteral("Mine"),
                                QStringLiteral("ALPHA")}));
    QFile::remove(GetCustomHostIniPath());
}
