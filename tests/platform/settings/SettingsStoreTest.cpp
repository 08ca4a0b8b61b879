// The settings store: one contract for the file store and the in-memory fake, then what only the
// file store does (persistence, sharing with another process, damaged files, failing locations)
// and what only the fake does (failure switches).
#include "platform/settings/FileSettingsStore.h"
#include "platform/settings/MemorySettingsStore.h"

#include "tests/support/LogCapture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <limits>
#include <memory>
#include <ostream>

using platform::FileSettingsStore;
using platform::MemorySettingsStore;
using platform::SettingsRead;
using platform::SettingsReadStatus;
using platform::SettingsStore;
using platform::SettingsValue;
using testsupport::readFile;
using testsupport::writeFile;

static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace platform {
static void PrintTo(SettingsReadStatus status, std::ostream* out)
{
    static const char* const names[] = {"Ok", "NoKey", "NoValue", "WrongType", "Failed"};
    *out << names[int(status)];
}
} // namespace platform

namespace {

const QString settingsKey = QStringLiteral("\\Software\\Vexal Audio\\Wexo Ravadur\\Settings");

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray allBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes;
}

struct MemoryStore {
    static std::unique_ptr<SettingsStore> make(const QString&) { return std::make_unique<MemorySettingsStore>(); }
};

struct FileStore {
    static std::unique_ptr<SettingsStore> make(const QString& folder)
    {
        return std::make_unique<FileSettingsStore>(folder + "/registry.json");
    }
};

template <typename Kind>
class SettingsStoreContract : public testing::Test {
protected:
    std::unique_ptr<SettingsStore> store = Kind::make(testsupport::testFolder());
};

class StoreNames {
public:
    template <typename T>
    static std::string GetName(int)
    {
        return std::is_same_v<T, MemoryStore> ? "Memory" : "File";
    }
};

using StoreKinds = testing::Types<MemoryStore, FileStore>;
TYPED_TEST_SUITE(SettingsStoreContract, StoreKinds, StoreNames);

TYPED_TEST(SettingsStoreContract, FreshStoreHasOnlyTheRoot)
{
    SettingsStore& store = *this->store;
    EXPECT_TRUE(store.keyExists(""));
    EXPECT_TRUE(store.keyExists("\\"));
    EXPECT_FALSE(store.keyExists(settingsKey));
    EXPECT_TRUE(store.subKeyNames("").isEmpty());
    EXPECT_EQ(store.readString(settingsKey, "Temp Path").status, SettingsReadStatus::NoKey);
}

TYPED_TEST(SettingsStoreContract, ReadsNeverCreateKeys)
{
    SettingsStore& store = *this->store;
    const QString key = "\\Software\\Drovane\\Wexo Ravadur\\LastUsedFile";
    EXPECT_EQ(store.readInteger(key, "x").status, SettingsReadStatus::NoKey);
    EXPECT_EQ(store.readBool(key, "x").status, SettingsReadStatus::NoKey);
    EXPECT_EQ(store.readString(key, "x").status, SettingsReadStatus::NoKey);
    EXPECT_EQ(store.readBinary(key, "x", 16).status, SettingsReadStatus::NoKey);
    EXPECT_FALSE(store.valueExists(key, "x"));
    EXPECT_TRUE(store.valueNames(key).isEmpty());
    EXPECT_FALSE(store.keyExists(key));
    EXPECT_FALSE(store.keyExists("Software"));
}

TYPED_TEST(SettingsStoreContract, KeyExistsWithoutValuesAndWithItsParents)
{
    SettingsStore& store = *this->store;
    ASSERT_TRUE(store.createKey(settingsKey));
    EXPECT_TRUE(store.keyExists(settingsKey));
    EXPECT_TRUE(store.keyExists("Software\\Vexal Audio"));
    EXPECT_TRUE(store.keyExists("Software"));
    EXPECT_TRUE(store.valueNames(settingsKey).isEmpty());
    EXPECT_EQ(store.readString(settingsKey, "Temp Path").status, SettingsReadStatus::NoValue);
    EXPECT_EQ(store.subKeyNames("Software"), QStringList{"Vexal Audio"});
    EXPECT_TRUE(store.createKey(settingsKey)); // again: nothing to do
}

TYPED_TEST(SettingsStoreContract, WritingAValueCreatesItsKey)
{
    SettingsStore& store = *this->store;
    ASSERT_TRUE(store.writeString(settingsKey, "Temp Path", "/tmp/"));
    EXPECT_TRUE(store.keyExists(settingsKey));
    EXPECT_EQ(store.subKeyNames(""), QStringList{"Software"});
    EXPECT_EQ(store.readString(settingsKey, "Temp Path").value, u8("/tmp/"));
}

struct TypeCase {
    const char* name;
    SettingsValue stored;
    SettingsReadStatus asString;
    SettingsReadStatus asInteger;
    SettingsReadStatus asBinary;
};

TYPED_TEST(SettingsStoreContract, TypesAndWrongTypes)
{
    SettingsStore& store = *this->store;
    const SettingsReadStatus ok = SettingsReadStatus::Ok;
    const SettingsReadStatus wrong = SettingsReadStatus::WrongType;
    const TypeCase cases[] = {
        {"String", SettingsValue(u8("text")), ok, wrong, wrong},
        {"NumericString", SettingsValue(u8("1")), ok, wrong, wrong},
        {"EmptyString", SettingsValue(QString()), ok, wrong, wrong},
        {"Integer", SettingsValue(qint32(-1)), wrong, ok, wrong},
        {"Binary", SettingsValue(QByteArray("\x01\x00\x02", 3)), wrong, wrong, ok},
        {"EmptyBinary", SettingsValue(QByteArray()), wrong, wrong, ok},
    };
    for (const TypeCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(store.writeValue(settingsKey, c.name, c.stored));
        const SettingsRead<SettingsValue> read = store.readValue(settingsKey, c.name);
        ASSERT_EQ(read.status, ok);
        EXPECT_TRUE(read.value == c.stored);
        EXPECT_EQ(read.value.index(), c.stored.index());
        EXPECT_EQ(store.readString(settingsKey, c.name).status, c.asString);
        EXPECT_EQ(store.readInteger(settingsKey, c.name).status, c.asInteger);
        EXPECT_EQ(store.readBool(settingsKey, c.name).status, c.asInteger);
        EXPECT_EQ(store.readBinary(settingsKey, c.name, 100).status, c.asBinary);
    }
}

TYPED_TEST(SettingsStoreContract, BooleansAreIntegers)
{
    SettingsStore& store = *this->store;
    ASSERT_TRUE(store.writeBool(settingsKey, "Always Test Levels", true));
    ASSERT_TRUE(store.writeBool(settingsKey, "Prevent Saturation", false));
    ASSERT_TRUE(store.writeInteger(settingsKey, "Seven", 7));
    EXPECT_EQ(store.readInteger(settingsKey, "Always Test Levels").value, 1);
    EXPECT_EQ(store.readInteger(settingsKey, "Prevent Saturation").value, 0);
    const SettingsRead<bool> yes = store.readBool(settingsKey, "Always Test Levels");
    const SettingsRead<bool> no = store.readBool(settingsKey, "Prevent Saturation");
    const SettingsRead<bool> seven = store.readBool(settingsKey, "Seven");
    EXPECT_TRUE(yes.ok() && yes.value);
    EXPECT_TRUE(no.ok() && !no.value);
    EXPECT_TRUE(seven.ok() && seven.value);
}

TYPED_TEST(SettingsStoreContract, IntegerLimitsAndReplacingTheType)
{
    SettingsStore& store = *this->store;
    for (const qint32 value : {std::numeric_limits<qint32>::min(), -1, 0, std::numeric_limits<qint32>::max()}) {
        ASSERT_TRUE(store.writeInteger(settingsKey, "Last Input Device Selected", value));
        EXPECT_EQ(store.readInteger(settingsKey, "Last Input Device Selected").value, value);
    }
    ASSERT_TRUE(store.writeString(settingsKey, "Last Input Device Selected", "now text"));
    EXPECT_EQ(store.readInteger(settingsKey, "Last Input Device Selected").status, SettingsReadStatus::WrongType);
    EXPECT_EQ(store.readString(settingsKey, "Last Input Device Selected").value, u8("now text"));
}

TYPED_TEST(SettingsStoreContract, NamesIgnoreCaseAndKeepTheCaseOfCreation)
{
    SettingsStore& store = *this->store;
    ASSERT_TRUE(store.createKey("Software\\Vexal Audio"));
    ASSERT_TRUE(store.writeString("SOFTWARE\\vexal audio\\Settings", "Temp Path", "/a/"));
    ASSERT_TRUE(store.writeString("software\\VEXAL AUDIO\\SETTINGS", "TEMP PATH", "/b/"));
    EXPECT_EQ(store.readString("Software\\Vexal Audio\\settings", "temp path").value, u8("/b/"));
    EXPECT_EQ(store.valueNames("software\\vexal audio\\settings"), QStringList{"Temp Path"});
    EXPECT_EQ(store.subKeyNames(""), QStringList{"Software"});
    EXPECT_EQ(store.subKeyNames("software"), QStringList{"Vexal Audio"});
    EXPECT_EQ(store.subKeyNames("SOFTWARE\\VEXAL AUDIO"), QStringList{"Settings"});
    EXPECT_TRUE(store.valueExists("Software\\Vexal Audio\\Settings", "TeMp PaTh"));
}

TYPED_TEST(SettingsStoreContract, PathsAreNormalised)
{
    SettingsStore& store = *this->store;
    ASSERT_TRUE(store.writeInteger("\\\\A\\\\B\\", "v", 5));
    EXPECT_EQ(store.readInteger("A\\B", "v").value, 5);
    EXPECT_EQ(store.readInteger("\\A\\B\\\\", "v").value, 5);
    EXPECT_EQ(store.subKeyNames("\\A\\"), QStringList{"B"});
    EXPECT_FALSE(store.keyExists("A\\B\\v"));
}

TYPED_TEST(SettingsStoreContract, SubKeysAreTheDirectChildrenInCaseInsensitiveOrder)
{
    SettingsStore& store = *this->store;
    for (const char* key : {"K\\beta", "K\\Alpha", "K\\alpha\\deep\\deeper", "K\\Gamma", "Kx\\other"})
        ASSERT_TRUE(store.createKey(key));
    EXPECT_EQ(store.subKeyNames("k"), (QStringList{"Alpha", "beta", "Gamma"}));
    EXPECT_EQ(store.subKeyNames("K\\ALPHA"), QStringList{"deep"});
    EXPECT_EQ(store.subKeyNames(""), (QStringList{"K", "Kx"}));
    EXPECT_TRUE(store.subKeyNames("missing").isEmpty());
}

TYPED_TEST(SettingsStoreContract, DeleteValueAndDeleteKeyWithSubkeys)
{
    SettingsStore& store = *this->store;
    ASSERT_TRUE(store.writeString("A\\B", "keep", "1"));
    ASSERT_TRUE(store.writeString("A\\B", "drop", "2"));
    ASSERT_TRUE(store.writeString("A\\B\\C\\D", "deep", "3"));
    ASSERT_TRUE(store.writeString("A\\BC", "sibling", "4"));
    ASSERT_TRUE(store.writeString("A\\B C", "sibling", "5"));

    ASSERT_TRUE(store.deleteValue("a\\b", "DROP"));
    EXPECT_EQ(store.valueNames("A\\B"), QStringList{"keep"});
    EXPECT_TRUE(store.deleteValue("A\\B", "never there"));
    EXPECT_TRUE(store.deleteValue("No\\Such\\Key", "x"));

    ASSERT_TRUE(store.deleteKey("a\\B"));
    EXPECT_FALSE(store.keyExists("A\\B"));
    EXPECT_FALSE(store.keyExists("A\\B\\C\\D"));
    EXPECT_EQ(store.readString("A\\B\\C\\D", "deep").status, SettingsReadStatus::NoKey);
    EXPECT_EQ(store.readString("A\\BC", "sibling").value, u8("4"));
    EXPECT_EQ(store.readString("A\\B C", "sibling").value, u8("5"));
    EXPECT_EQ(store.subKeyNames("A"), (QStringList{"B C", "BC"}));
    EXPECT_TRUE(store.deleteKey("A\\B"));
    EXPECT_FALSE(store.deleteKey("\\"));
    EXPECT_TRUE(store.keyExists("A"));
}

TYPED_TEST(SettingsStoreContract, BinaryRoundTripAndReadLimit)
{
    SettingsStore& store = *this->store;
    ASSERT_TRUE(store.writeBinary("Pads", "Table", allBytes()));
    EXPECT_EQ(store.readBinary("Pads", "Table", 256).value, allBytes());
    EXPECT_EQ(store.readBinary("Pads", "Table", 1000).value, allBytes());
    const SettingsRead<QByteArray> part = store.readBinary("Pads", "Table", 10);
    EXPECT_TRUE(part.ok());
    EXPECT_EQ(part.value, allBytes().first(10));
    EXPECT_TRUE(store.readBinary("Pads", "Table", 0).value.isEmpty());
}

TYPED_TEST(SettingsStoreContract, UnicodeNamesAndText)
{
    SettingsStore& store = *this->store;
    const QString key = u8("Software\\Zoë\\日本語");
    const QString text = u8("Größe 😀 ") + QString(QChar(0)) + u8(" end\\n\r\n\"quoted\"");
    ASSERT_TRUE(store.writeString(key, u8("Ärger"), text));
    ASSERT_TRUE(store.writeString(key, "", u8("default value")));
    EXPECT_EQ(store.readString(u8("SOFTWARE\\ZOË\\日本語"), u8("ärger")).value, text);
    EXPECT_EQ(store.readString(key, "").value, u8("default value"));
    EXPECT_EQ(store.subKeyNames("Software"), QStringList{u8("Zoë")});
}

class FileSettingsStoreTest : public testing::Test {
protected:
    QString folder = testsupport::testFolder();
    QString path = folder + "/registry.json";
};

TEST_F(FileSettingsStoreTest, ValuesAndEmptyKeysPersistAcrossInstances)
{
    {
        FileSettingsStore store(path);
        ASSERT_TRUE(store.writeString(settingsKey, "Temp Path", "/var/tmp/"));
        ASSERT_TRUE(store.writeBinary(settingsKey, "Blob", allBytes()));
        ASSERT_TRUE(store.createKey("Software\\Drovane\\Wexo Ravadur\\LastUsedFile\\FirstPage"));
    }
    const FileSettingsStore store(path);
    EXPECT_EQ(store.readString(settingsKey, "temp path").value, u8("/var/tmp/"));
    EXPECT_EQ(store.readBinary(settingsKey, "Blob", 256).value, allBytes());
    EXPECT_TRUE(store.keyExists("Software\\Drovane\\Wexo Ravadur\\LastUsedFile\\FirstPage"));
    // The lock file and the temporary file of the last save are gone.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"registry.json"});
}

TEST_F(FileSettingsStoreTest, TwoWritersKeepEachOthersValues)
{
    // As the recorder and the editor would: each with its own copy of the file's content.
    FileSettingsStore recorder(path);
    FileSettingsStore editor(path);
    ASSERT_TRUE(recorder.writeInteger(settingsKey, "Last Input Device Selected", 2));
    ASSERT_EQ(editor.readInteger(settingsKey, "Last Input Device Selected").value, 2);
    ASSERT_TRUE(editor.writeString("Software\\Vexal Audio\\Zuq Editor", "Last Folder", "/home"));
    ASSERT_TRUE(recorder.writeInteger(settingsKey, "Last Output Device Selected", 3));
    ASSERT_TRUE(editor.writeInteger(settingsKey, "Last Input Device Selected", 4));

    EXPECT_EQ(recorder.readInteger(settingsKey, "Last Input Device Selected").value, 4);
    EXPECT_EQ(recorder.readString("Software\\Vexal Audio\\Zuq Editor", "Last Folder").value, u8("/home"));
    const FileSettingsStore later(path);
    EXPECT_EQ(later.readInteger(settingsKey, "Last Input Device Selected").value, 4);
    EXPECT_EQ(later.readInteger(settingsKey, "Last Output Device Selected").value, 3);
    EXPECT_EQ(later.readString("Software\\Vexal Audio\\Zuq Editor", "Last Folder").value, u8("/home"));

    ASSERT_TRUE(editor.deleteKey("Software\\Vexal Audio\\Zuq Editor"));
    EXPECT_FALSE(recorder.keyExists("Software\\Vexal Audio\\Zuq Editor"));
}

struct DamagedCase {
    const char* name;
    QByteArray bytes;
};

class FileSettingsDamaged : public testing::TestWithParam<DamagedCase> {};

TEST_P(FileSettingsDamaged, ReadsAsEmptyAndIsMovedAsideBeforeTheFirstWrite)
{
    const QString folder = testsupport::testFolder();
    const QString path = folder + "/registry.json";
    writeFile(path, GetParam().bytes);
    writeFile(path + ".corrupt", "an earlier damaged file");
    FileSettingsStore store(path);
    {
        testsupport::LogCapture log;
        EXPECT_EQ(store.readString(settingsKey, "Temp Path").status, SettingsReadStatus::NoKey);
        EXPECT_TRUE(store.subKeyNames("").isEmpty());
        EXPECT_TRUE(log.contains("damaged", "va.platform"));
    }
    EXPECT_EQ(readFile(path), GetParam().bytes);

    ASSERT_TRUE(store.writeString(settingsKey, "Temp Path", "/tmp/"));
    EXPECT_EQ(readFile(path + ".corrupt"), QByteArray("an earlier damaged file"));
    EXPECT_EQ(readFile(path + ".corrupt.1"), GetParam().bytes);
    const FileSettingsStore later(path);
    EXPECT_EQ(later.readString(settingsKey, "Temp Path").value, u8("/tmp/"));
    EXPECT_EQ(later.subKeyNames(""), QStringList{"Software"});
}

INSTANTIATE_TEST_SUITE_P(Cases, FileSettingsDamaged,
                         testing::Values(DamagedCase{"NotJson", "{\"keys\": {\"Software\": "},
                                         DamagedCase{"NotAnObject", "[1, 2, 3]"},
                                         DamagedCase{"KeysNotAnObject", "{\"keys\": 5}"},
                                         DamagedCase{"NoKeys", "{\"other\": {}}"},
                                         DamagedCase{"Binary", QByteArray("\x00\xFF\xFE\x01garbage", 11)}),
                         [](const testing::TestParamInfo<DamagedCase>& info) { return std::string(info.param.name); });

TEST_F(FileSettingsStoreTest, EntriesOfAWrongFormAreLeftOutAndTheRestIsRead)
{
    writeFile(path, R"({"keys": {
        "Software\\Good": {
            "text": {"type": "string", "data": "fine"},
            "number": {"type": "integer", "data": 12},
            "bytes": {"type": "binary", "data": "AAEC"},
            "too big": {"type": "integer", "data": 4294967296},
            "fraction": {"type": "integer", "data": 1.5},
            "bad base64": {"type": "binary", "data": "!!!"},
            "text as number": {"type": "integer", "data": "12"},
            "unknown type": {"type": "dword", "data": 1},
            "not an object": 5
        },
        "Software\\\\Doubled\\\\": {},
        "\\": {"x": {"type": "string", "data": "root"}},
        "Software\\NotAnObject": [1]
    }})");
    testsupport::LogCapture log;
    const FileSettingsStore store(path);
    EXPECT_EQ(store.valueNames("Software\\Good"), (QStringList{"bytes", "number", "text"}));
    EXPECT_EQ(store.readString("Software\\Good", "text").value, u8("fine"));
    EXPECT_EQ(store.readInteger("Software\\Good", "number").value, 12);
    EXPECT_EQ(store.readBinary("Software\\Good", "bytes", 10).value, QByteArray("\x00\x01\x02", 3));
    EXPECT_TRUE(store.keyExists("Software\\Doubled"));
    EXPECT_FALSE(store.keyExists("Software\\NotAnObject"));
    EXPECT_TRUE(log.contains("too big", "va.platform"));
}

struct FailingStoreLocation {
    const char* name;
    QString (*make)(const QString& folder);
    SettingsReadStatus readStatus;
};

class FileSettingsFailure : public testing::TestWithParam<FailingStoreLocation> {};

TEST_P(FileSettingsFailure, WritesFailAndAreLoggedWithoutHarm)
{
    const QString path = GetParam().make(testsupport::testFolder());
    FileSettingsStore store(path);
    testsupport::LogCapture log;
    EXPECT_FALSE(store.createKey(settingsKey));
    EXPECT_FALSE(store.writeString(settingsKey, "Temp Path", "/tmp/"));
    EXPECT_FALSE(store.writeInteger(settingsKey, "Last Input Device Selected", 1));
    EXPECT_EQ(store.readString(settingsKey, "Temp Path").status, GetParam().readStatus);
    EXPECT_FALSE(store.keyExists(settingsKey));
    EXPECT_TRUE(log.contains("settings not written", "va.platform"));
}

INSTANTIATE_TEST_SUITE_P(Cases, FileSettingsFailure,
                         testing::Values(FailingStoreLocation{"UnderARegularFile",
                                                              [](const QString& folder) {
                                                                  writeFile(folder + "/plain", "x");
                                                                  return folder + "/plain/vexal-audio/registry.json";
                                                              },
                                                              SettingsReadStatus::NoKey},
                                         FailingStoreLocation{"AFolderInItsPlace",
                                                              [](const QString& folder) {
                                                                  QDir().mkpath(folder + "/registry.json");
                                                                  return folder + "/registry.json";
                                                              },
                                                              SettingsReadStatus::Failed}),
                         [](const testing::TestParamInfo<FailingStoreLocation>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(FileSettingsStoreTest, CurrentUserStoreLivesInTheConfigFolder)
{
    const QString expected = qEnvironmentVariable("XDG_CONFIG_HOME") + "/vexal-audio/registry.json";
    EXPECT_EQ(FileSettingsStore::currentUserPath(), expected);
    const std::unique_ptr<FileSettingsStore> store = FileSettingsStore::currentUser();
    ASSERT_TRUE(store->writeBool(settingsKey, "Always Test Levels", true));
    EXPECT_TRUE(QFileInfo::exists(expected));
    EXPECT_TRUE(FileSettingsStore(expected).readBool(settingsKey, "Always Test Levels").value);
}

TEST_F(FileSettingsStoreTest, PythonReadsTheFileIndependently)
{
    FileSettingsStore store(path);
    ASSERT_TRUE(store.writeString(settingsKey, "Temp Path", u8("/home/zoë/tmp/")));
    ASSERT_TRUE(store.writeInteger(settingsKey, "Last Output Device Selected", -1));
    ASSERT_TRUE(store.writeBinary(settingsKey, "Blob", QByteArray("\x00\xFF\x10", 3)));
    ASSERT_TRUE(store.createKey("\\Software\\Empty\\"));

    const testsupport::ToolResult result = testsupport::runPythonScript("settings_registry_dump.py", {path});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject keys = QJsonDocument::fromJson(result.out).object();
    EXPECT_EQ(keys.keys(), (QStringList{"Software", "Software\\Empty", "Software\\Vexal Audio",
                                        "Software\\Vexal Audio\\Wexo Ravadur",
                                        "Software\\Vexal Audio\\Wexo Ravadur\\Settings"}));
    const QJsonObject settings = keys.value("Software\\Vexal Audio\\Wexo Ravadur\\Settings").toObject();
    EXPECT_EQ(settings.value("Temp Path").toArray(), (QJsonArray{"string", u8("/home/zoë/tmp/")}));
    EXPECT_EQ(settings.value("Last Output Device Selected").toArray(), (QJsonArray{"integer", -1}));
    EXPECT_EQ(settings.value("Blob").toArray(), (QJsonArray{"binary", "00ff10"}));
    EXPECT_TRUE(keys.value("Software\\Empty").toObject().isEmpty());
}

struct FaultCase {
    const char* name;
    void (MemorySettingsStore::*setFault)(bool);
    // Expected results: read of an existing value, createKey of a new key, write under an existing
    // key, write under a new key, deleteValue.
    SettingsReadStatus read;
    bool createNewKey;
    bool writeExistingKey;
    bool writeNewKey;
    bool deleteValue;
};

class MemorySettingsFault : public testing::TestWithParam<FaultCase> {};

TEST_P(MemorySettingsFault, SwitchMakesItsOperationsFail)
{
    const FaultCase& c = GetParam();
    MemorySettingsStore store;
    ASSERT_TRUE(store.writeInteger(settingsKey, "Value", 1));
    (store.*c.setFault)(true);
    EXPECT_EQ(store.readInteger(settingsKey, "Value").status, c.read);
    EXPECT_EQ(store.createKey("New\\Key"), c.createNewKey);
    EXPECT_EQ(store.writeInteger(settingsKey, "Value", 2), c.writeExistingKey);
    EXPECT_EQ(store.writeInteger("Other\\Key", "Value", 3), c.writeNewKey);
    EXPECT_EQ(store.deleteValue(settingsKey, "Value"), c.deleteValue);

    (store.*c.setFault)(false);
    const SettingsRead<qint32> after = store.readInteger(settingsKey, "Value");
    EXPECT_EQ(after.status, c.deleteValue ? SettingsReadStatus::NoValue : SettingsReadStatus::Ok);
    if (!c.deleteValue) {
        EXPECT_EQ(after.value, c.writeExistingKey ? 2 : 1);
    }
    EXPECT_EQ(store.keyExists("Other\\Key"), c.writeNewKey);
}

const SettingsReadStatus ok = SettingsReadStatus::Ok;

INSTANTIATE_TEST_SUITE_P(
    Cases, MemorySettingsFault,
    testing::Values(FaultCase{"Reads", &MemorySettingsStore::setFailReads, SettingsReadStatus::Failed, true, true,
                              true, true},
                    FaultCase{"KeyCreation", &MemorySettingsStore::setFailKeyCreation, ok, false, true, false, true},
                    FaultCase{"Writes", &MemorySettingsStore::setFailWrites, ok, true, false, false, false}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST(MemorySettingsStore, FailingReadsHideKeysAndValues)
{
    MemorySettingsStore store;
    ASSERT_TRUE(store.writeString(settingsKey, "Temp Path", "/tmp/"));
    store.setFailReads(true);
    EXPECT_FALSE(store.keyExists(settingsKey));
    EXPECT_FALSE(store.valueExists(settingsKey, "Temp Path"));
    EXPECT_TRUE(store.valueNames(settingsKey).isEmpty());
    EXPECT_TRUE(store.subKeyNames("Software").isEmpty());
    EXPECT_EQ(store.readBool(settingsKey, "Temp Path").status, SettingsReadStatus::Failed);
}

} // namespace
