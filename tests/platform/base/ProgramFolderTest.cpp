#include "platform/base/ProgramFolder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

TEST(ProgramFolder, IsTheExecutablesFolderUnlessOverridden)
{
    EXPECT_EQ(platform::programFolder(), QCoreApplication::applicationDirPath());
    EXPECT_EQ(platform::programFile("HostSettings.ini"), QCoreApplication::applicationDirPath() + "/HostSettings.ini");
    {
        platform::ProgramFolderOverride inner("/opt/va");
        EXPECT_EQ(platform::programFile("x"), "/opt/va/x");
    }
    EXPECT_EQ(platform::programFolder(), QCoreApplication::applicationDirPath());
}
