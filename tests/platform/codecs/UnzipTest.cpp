// Unpacking the encoder library from a dropped zip archive: archives made by Python's zipfile
// (tests/scripts/encode_make_zip.py), good and hostile.
#include "platform/codecs/Unzip.h"

#include "tests/platform/codecs/EncodeSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFileInfo>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

using namespace platform::codecs;

namespace {

const QString kName = QStringLiteral("liblame_enc.so");

// Makes folder/archive.zip from a description (see the script); the SHA-256 of each entry's content.
QStringList makeZip(const QString& zip, const QByteArray& description)
{
    const QString descriptionPath = zip + ".json";
    testsupport::writeFile(descriptionPath, description);
    const testsupport::ToolResult made = testsupport::runPythonScript("encode_make_zip.py", {zip, descriptionPath});
    EXPECT_EQ(made.exitCode, 0) << made.err.toStdString();
    QFile::remove(descriptionPath);
    QStringList digests;
    for (const QJsonValue& digest : QJsonDocument::fromJson(made.out).array())
        digests << digest.toString();
    return digests;
}

QString sha256(const QString& path)
{
    return QString::fromLatin1(QCryptographicHash::hash(testsupport::readFile(path), QCryptographicHash::Sha256).toHex());
}

int unzip(const QString& zip, const QString& folder, const QString& name = kName)
{
    return Wiz_SingleEntryUnzip(1, {name}, 0, {}, WizOptions{zip, folder});
}

} // namespace

TEST(Unzip, UnpacksTheNamedEntryUnderTheAskedName)
{
    struct Case {
        const char* what;
        const char* entryName;
    };
    const Case cases[] = {
        {"at the top", "liblame_enc.so"},
        {"in another case", "LIBLAME_ENC.SO"},
        {"in a folder of the archive", "lame-3.100/bin/liblame_enc.so"},
    };
    for (const Case& c : cases) {
        const QString folder = testsupport::testFolder();
        const QString target = testsupport::testFolder();
        const QString zip = folder + "/drop.zip";
        const QStringList digests = makeZip(
            zip, QStringLiteral(R"({"entries": [{"name": "readme.txt", "size": 300, "seed": 2},
                                               {"name": "%1", "size": 150000, "seed": 7}]})")
                     .arg(c.entryName)
                     .toUtf8());
        ASSERT_EQ(digests.size(), 2);
        EXPECT_EQ(Wiz_Validate(zip, 1), WizCode::Ok) << c.what;
        EXPECT_EQ(unzip(zip, target), WizCode::Ok) << c.what;
        EXPECT_EQ(encodetest::folderEntries(target), kName.toStdString()) << c.what;
        EXPECT_EQ(sha256(target + "/" + kName), digests[1]) << c.what;
    }
}

TEST(Unzip, ReplacesAnExistingFile)
{
    const QString folder = testsupport::testFolder();
    const QString zip = folder + "/drop.zip";
    const QStringList digests = makeZip(zip, R"({"entries": [{"name": "liblame_enc.so", "size": 1000, "seed": 3}]})");
    testsupport::writeFile(folder + "/" + kName, "the old encoder");
    EXPECT_EQ(unzip(zip, folder), WizCode::Ok);
    EXPECT_EQ(sha256(folder + "/" + kName), digests.value(0));
}

TEST(Unzip, HostileOrBrokenArchivesLeaveNothingBehind)
{
    struct Case {
        const char* what;
        QByteArray description; // empty: the archive is written as `raw`
        QByteArray raw;
        int validate;
        int unzip;
    };
    const QByteArray entry = R"({"name": "liblame_enc.so", "size": 20000, "seed": 5})";
    const Case cases[] = {
        {"no such entry", R"({"entries": [{"name": "other.so", "size": 100}]})", {}, WizCode::Ok, WizCode::NotFound},
        {"an entry that climbs out of its folder", R"({"entries": [{"name": "../liblame_enc.so", "size": 100}]})", {},
         WizCode::Ok, WizCode::UnsafePath},
        {"an entry that climbs out deeper down", R"({"entries": [{"name": "a/../../liblame_enc.so", "size": 100}]})",
         {}, WizCode::Ok, WizCode::UnsafePath},
        {"an absolute entry", R"({"entries": [{"name": "/usr/lib/liblame_enc.so", "size": 100}]})", {}, WizCode::Ok,
         WizCode::UnsafePath},
        {"a Windows path that climbs out", R"({"entries": [{"name": "..\\liblame_enc.so", "size": 100}]})", {},
         WizCode::Ok, WizCode::UnsafePath},
        {"an entry that unpacks to 80 MiB",
         R"({"entries": [{"name": "liblame_enc.so", "size": 83886080, "zeros": true}]})", {}, WizCode::Ok,
         WizCode::TooLarge},
        {"an entry that unpacks to more than its headers say",
         R"({"entries": [{"name": "liblame_enc.so", "size": 83886080, "zeros": true}],
             "understate": {"index": 0, "size": 1000}})",
         {}, WizCode::Ok, WizCode::Corrupt},
        {"damaged packed data", "{\"entries\": [" + entry + "], \"damage_data\": 0}", {}, WizCode::Ok,
         WizCode::Corrupt},
        {"an archive cut short", "{\"entries\": [" + entry + "], \"truncate\": 9000}", {}, WizCode::NotZip,
         WizCode::NotZip},
        {"not a zip", {}, "just some text, not an archive", WizCode::NotZip, WizCode::NotZip},
        {"an empty file", {}, "", WizCode::NotZip, WizCode::NotZip},
    };
    for (const Case& c : cases) {
        const QString folder = testsupport::testFolder();
        const QString target = testsupport::testFolder();
        const QString zip = folder + "/drop.zip";
        if (c.description.isEmpty())
            testsupport::writeFile(zip, c.raw);
        else
            makeZip(zip, c.description);
        EXPECT_EQ(Wiz_Validate(zip, 1), c.validate) << c.what;
        EXPECT_EQ(Wiz_Validate(zip, 0), c.validate == WizCode::Ok ? 0 : 1) << c.what;
        EXPECT_EQ(unzip(zip, target), c.unzip) << c.what;
        EXPECT_EQ(encodetest::folderEntries(target), "") << c.what;
        EXPECT_EQ(encodetest::folderEntries(folder), "drop.zip") << c.what;
        EXPECT_FALSE(QFile::exists(QFileInfo(target).path() + "/" + kName)) << c.what;
        EXPECT_FALSE(QFile::exists("/usr/lib/" + kName)) << c.what;
    }
}

TEST(Unzip, BadArgumentsAndUnwritableTargets)
{
    const QString folder = testsupport::testFolder();
    const QString zip = folder + "/drop.zip";
    makeZip(zip, R"({"entries": [{"name": "liblame_enc.so", "size": 5000, "seed": 9}]})");
    const QString target = testsupport::testFolder();
    EXPECT_EQ(Wiz_SingleEntryUnzip(2, {kName}, 0, {}, WizOptions{zip, target}), WizCode::BadArguments);
    EXPECT_EQ(Wiz_SingleEntryUnzip(1, {kName}, 1, {}, WizOptions{zip, target}), WizCode::BadArguments);
    EXPECT_EQ(unzip(zip, target, "../liblame_enc.so"), WizCode::BadArguments);
    EXPECT_EQ(unzip(zip, target, "sub/liblame_enc.so"), WizCode::BadArguments);
    EXPECT_EQ(unzip(zip, target, ""), WizCode::BadArguments);
    EXPECT_EQ(unzip(zip, ""), WizCode::BadArguments);
    EXPECT_EQ(unzip(folder + "/missing.zip", target), WizCode::NotZip);
    EXPECT_EQ(unzip(zip, target + "/missing-folder"), WizCode::DiskError);
    EXPECT_EQ(Wiz_SingleEntryUnzip(1, {kName}, 1, {kName}, WizOptions{zip, target}), WizCode::NotFound);
    {
        wavefixtures::FileSizeLimit limit(1000);
        EXPECT_EQ(unzip(zip, target), WizCode::DiskError);
    }
    EXPECT_EQ(encodetest::folderEntries(target), "");
}
