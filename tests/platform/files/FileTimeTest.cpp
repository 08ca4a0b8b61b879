#include "platform/files/FileTime.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(FileTime, SetsAndReadsNanoseconds)
{
    const QString path = testsupport::testFolder() + "/a.wav";
    testsupport::writeFile(path, "x");
    // Values a millisecond clock could not tell apart, and one before 1970.
    for (int64_t ns : {int64_t(1700000000123456789), int64_t(1700000000123456790), int64_t(-1500000001)}) {
        ASSERT_TRUE(platform::setFileWriteTimeNs(path, ns));
        const auto read = platform::fileWriteTimeNs(path);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(*read, ns);
    }
}

TEST(FileTime, MissingFileGivesErrno)
{
    int error = 0;
    const QString missing = testsupport::testFolder() + "/missing";
    EXPECT_FALSE(platform::fileWriteTimeNs(missing, &error).has_value());
    EXPECT_EQ(error, ENOENT);
    error = 0;
    EXPECT_FALSE(platform::setFileWriteTimeNs(missing, 0, &error));
    EXPECT_EQ(error, ENOENT);
}
