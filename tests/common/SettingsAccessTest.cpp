// The two families of typed settings accessors: where their values live, and each result code
// (RegistryUtil 0/183/186/187, RegEntry 0/20/22/23) on the memory store with its failure switches
// and on the file store.
#include "common/RegEntry.h"
#include "common/RegistryUtil.h"

#include "platform/settings/FileSettingsStore.h"
#include "platform/settings/MemorySettingsStore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using platform::MemorySettingsStore;

namespace {

const QString kKey = QStringLiteral("\\Software\\Drovane\\Wexo Ravadur\\LastUsedFile\\FirstPage");

} // namespace

TEST(RegistryUtil, ValuesLiveUnderTheCompanyKeyAndReadBackTyped)
{
    MemorySettingsStore store;
    RegistryUtil reg(store);
    EXPECT_EQ(reg.WriteRegString("LastUsedFile\\FirstPage", "Pad 1", "/home/me/jingle.wav"), 0);
    EXPECT_EQ(reg.WriteRegInteger("LastUsedFile\\FirstPage", "Count", -5), 0);
    EXPECT_EQ(reg.WriteRegBool("LastUsedFile\\FirstPage", "Loop", true), 0);
    EXPECT_EQ(reg.WriteRegBinary("LastUsedFile\\FirstPage", "Blob", QByteArray("\x00\x01\x02\x03", 4)), 0);

    EXPECT_EQ(store.readString(kKey, "Pad 1").value, "/home/me/jingle.wav");
    EXPECT_EQ(store.readInteger(kKey, "Loop").value, 1) << "a Boolean is the integer 1 or 0";

    QString text;
    int32_t number = 0;
    bool flag = false;
    QByteArray bytes;
    EXPECT_EQ(reg.ReadRegString("LastUsedFile\\FirstPage", "Pad 1", text), 0);
    EXPECT_EQ(reg.ReadRegInteger("LastUsedFile\\FirstPage", "Count", number), 0);
    EXPECT_EQ(reg.ReadRegBool("LastUsedFile\\FirstPage", "Loop", flag), 0);
    EXPECT_EQ(reg.ReadRegBinary("LastUsedFile\\FirstPage", "Blob", bytes, 3), 0);
    EXPECT_EQ(text, "/home/me/jingle.wav");
    EXPECT_EQ(number, -5);
    EXPECT_TRUE(flag);
    EXPECT_EQ(bytes, QByteArray("\x00\x01\x02", 3)) << "at most size bytes";
}

TEST(RegistryUtil, ReadsOfWhatIsMissingOrUnreadableGive186)
{
    struct Case {
        const char* what;
        const char* subKey;
        const char* name;
    } cases[] = {
        {"key missing", "Nowhere", "Count"},
        {"value missing", "Present", "Other"},
        {"another type", "Present", "Text"},
    };
    for (const Case& c : cases) {
        MemorySettingsStore store;
        RegistryUtil reg(store);
        ASSERT_EQ(reg.WriteRegString("Present", "Text", "abc"), 0);
        int32_t number = 7;
        bool flag = true;
        EXPECT_EQ(reg.ReadRegInteger(c.subKey, c.name, number), 186) << c.what;
        EXPECT_EQ(reg.ReadRegBool(c.subKey, c.name, flag), 186) << c.what;
        EXPECT_EQ(number, 7) << "the out value is left alone: " << c.what;
        EXPECT_TRUE(flag) << c.what;
        EXPECT_FALSE(store.keyExists(QString(kRegistryUtilBaseKey) + "\\Nowhere")) << "reads never create: " << c.what;
    }

    MemorySettingsStore store;
    RegistryUtil reg(store);
    ASSERT_EQ(reg.WriteRegInteger("Present", "Count", 3), 0);
    store.setFailReads(true);
    int32_t number = 0;
    QString text;
    EXPECT_EQ(reg.ReadRegInteger("Present", "Count", number), 186);
    EXPECT_EQ(reg.ReadRegString("Present", "Count", text), 186);
}

TEST(RegistryUtil, BinaryReadCreatesItsKey)
{
    MemorySettingsStore store;
    RegistryUtil reg(store);
    QByteArray bytes("kept");
    EXPECT_EQ(reg.ReadRegBinary("Fresh", "Blob", bytes, 16), 186);
    EXPECT_TRUE(store.keyExists(QString(kRegistryUtilBaseKey) + "\\Fresh"));
    EXPECT_EQ(bytes, "kept");

    MemorySettingsStore locked;
    locked.setFailKeyCreation(true);
    RegistryUtil lockedReg(locked);
    EXPECT_EQ(lockedReg.ReadRegBinary("Fresh", "Blob", bytes, 16), 183);
}

TEST(RegistryUtil, WriteFailuresGive183Or187)
{
    MemorySettingsStore store;
    RegistryUtil reg(store);
    ASSERT_EQ(reg.WriteRegInteger("Existing", "Count", 1), 0);

    store.setFailKeyCreation(true);
    EXPECT_EQ(reg.WriteRegString("New", "Text", "x"), 183);
    EXPECT_EQ(reg.WriteRegInteger("Existing", "Count", 2), 0) << "an existing key opens without being made";
    store.setFailKeyCreation(false);

    store.setFailWrites(true);
    EXPECT_EQ(reg.WriteRegInteger("Existing", "Count", 3), 187);
    EXPECT_EQ(reg.WriteRegBool("Existing", "Flag", true), 187);
    EXPECT_EQ(reg.WriteRegBinary("Existing", "Blob", "x"), 187);
    EXPECT_EQ(store.readInteger(QString(kRegistryUtilBaseKey) + "\\Existing", "Count").value, 2)
        << "a failed write loses nothing stored";
}

TEST(RegEntry, ExpressKeyCodesAndBooleans)
{
    MemorySettingsStore store;
    RegEntry reg(store);
    EXPECT_EQ(reg.WriteExpressRegBool("Options", "On", true), 0);
    EXPECT_EQ(reg.WriteExpressRegBool("Options", "Off", false), 0);
    EXPECT_EQ(reg.WriteExpressRegString("Options", "Name", "Show"), 0);
    EXPECT_EQ(store.readString("\\Software\\Vexal Audio\\Wexo Express\\Options", "Name").value, "Show");

    int value = 5;
    EXPECT_EQ(reg.ReadExpressRegBool("Options", "On", value), 0);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(reg.ReadExpressRegBool("Options", "Off", value), 0);
    EXPECT_EQ(value, 0);
    QString text;
    EXPECT_EQ(reg.ReadExpressRegString("Options", "Name", text), 0);
    EXPECT_EQ(text, "Show");

    value = 5;
    EXPECT_EQ(reg.ReadExpressRegBool("Missing", "On", value), 22);
    EXPECT_EQ(reg.ReadExpressRegBool("Options", "Name", value), 22) << "a text is no Boolean";
    EXPECT_EQ(value, 5);
    EXPECT_EQ(reg.ReadExpressRegString("Options", "Missing", text), 22);
    EXPECT_FALSE(store.keyExists("\\Software\\Vexal Audio\\Wexo Express\\Missing"));

    store.setFailKeyCreation(true);
    EXPECT_EQ(reg.WriteExpressRegString("New", "Name", "x"), 20);
    store.setFailKeyCreation(false);
    store.setFailWrites(true);
    EXPECT_EQ(reg.WriteExpressRegBool("Options", "On", false), 23);
}

TEST(RegistryUtil, FileStoreKeepsValuesForTheNextStart)
{
    const QString path = testsupport::testFolder() + "/registry.json";
    {
        platform::FileSettingsStore store(path);
        RegistryUtil reg(store);
        ASSERT_EQ(reg.WriteRegInteger("Window", "Left", 120), 0);
    }
    platform::FileSettingsStore store(path);
    RegistryUtil reg(store);
    int32_t left = 0;
    EXPECT_EQ(reg.ReadRegInteger("Window", "Left", left), 0);
    EXPECT_EQ(left, 120);

    // A damaged file reads as empty: reads give 186, a write starts a new file and keeps the old
    // one aside.
    testsupport::writeFile(path, "{ not json");
    platform::FileSettingsStore damaged(path);
    RegistryUtil damagedReg(damaged);
    EXPECT_EQ(damagedReg.ReadRegInteger("Window", "Left", left), 186);
    EXPECT_EQ(damagedReg.WriteRegInteger("Window", "Left", 7), 0);
    EXPECT_EQ(testsupport::readFile(path + ".corrupt"), "{ not json");
}
