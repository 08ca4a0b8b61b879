// Web links with the installation's codes, and the scrambling of stored passwords. The scrambled
// vectors were worked out apart from this code (byte by byte against the key).
#include "common/WebLink.h"

#include "common/ErrCodes.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StringTable.h"
#include "tests/support/ScriptedInteraction.h"

#include <gtest/gtest.h>

using namespace common;

namespace {

const QString kKey = QString::fromLatin1(kHostPasswordKey);

} // namespace

TEST(HexXor, EncodesAgainstTheKeyAndDecodesBack)
{
    const struct {
        QString plain;
        const char* scrambled;
    } cases[] = {
        {QString(), ""},
        {QStringLiteral("abc"), "303537"},
        // A character equal to its key character gives a zero byte, which must survive.
        {QStringLiteral("Q"), "00"},
        {QStringLiteral("QWTRA"), "0000000000"},
        {QStringLiteral("s3cret pass"), "226437202402451C111C29"},
        // Non-ASCII text is scrambled as its UTF-8 bytes.
        {QStringLiteral("Grüße"), "162597EE82E900"},
        {QStringLiteral("密码🙂"), "B4F8D2B5E1F795F3E9ED"},
        // Longer than the key: the key repeats, nothing is cut.
        {QString(35, QLatin1Char('x')),
         "292F2C2A390E1D1408172220364C5515131C1930170A0D021A1116333437282A39292F"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scrambled);
        EXPECT_EQ(HexXorEncode(c.plain, kKey), QString::fromLatin1(c.scrambled));
        const QString back = HexXorDecode(QString::fromLatin1(c.scrambled), kKey);
        EXPECT_EQ(back.size(), c.plain.size());
        EXPECT_EQ(back, c.plain);
    }
}

TEST(HexXor, EveryLengthComesBackWhole)
{
    QString text;
    for (int length = 0; length <= 70; ++length) {
        EXPECT_EQ(HexXorDecode(HexXorEncode(text, kKey), kKey), text) << length;
        text += QChar(u"aZ9 é€-"[length % 7]);
    }
}

TEST(HexXor, DamagedTextKeepsWhatCameBeforeTheDamage)
{
    const struct {
        const char* scrambled;
        QString plain;
    } cases[] = {
        {"303537", QStringLiteral("abc")},
        {"30353", QStringLiteral("ab")},     // an odd digit at the end
        {"3035zz37", QStringLiteral("ab")},  // not hexadecimal
        {"30 3537", QStringLiteral("a")},    // a blank inside
        {"zz", QString()},
        {"226437202402451c111c29", QStringLiteral("s3cret pass")}, // lower case digits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scrambled);
        EXPECT_EQ(HexXorDecode(QString::fromLatin1(c.scrambled), kKey), c.plain);
    }
    // A byte that is no UTF-8 (a password stored by an older program in its code page) is read as
    // Windows-1252: 0xE9 ^ 'Q' = 0xB8.
    EXPECT_EQ(HexXorDecode(QStringLiteral("B8"), kKey), QStringLiteral("é"));
    EXPECT_TRUE(HexXorEncode(QStringLiteral("abc"), QString()).isEmpty());
}

TEST(WebLink, CodesAreAddedAsTheAddressAsks)
{
    const QString tag = QString::fromLatin1(kWebLinkProductTag);
    const struct {
        const char* address;
        const char* affiliate;
        const char* site;
        QString expected;
    } cases[] = {
        {"http://x.example/codecs", "", "", QStringLiteral("http://x.example/codecs?ref=") + tag},
        {"http://x.example/codecs", "", "&site=7", QStringLiteral("http://x.example/codecs?ref=") + tag + "&site=7"},
        {"http://x.example/help?page=2", "", "", QStringLiteral("http://x.example/help?page=2&ref=") + tag},
        {"http://x.example/help?page=2", "ref=ab12", "&site=7",
         QStringLiteral("http://x.example/help?page=2&ref=ab12") + tag + "&site=7"},
        // The address names the place of the code: only its first "ref=" takes it.
        {"http://x.example/buy?ref=&x=ref=", "ref=ab12", "&site=7",
         QStringLiteral("http://x.example/buy?ref=ab12&x=ref=&site=7")},
        {"http://x.example/buy?ref=", "", "", QStringLiteral("http://x.example/buy?ref=")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(MakeWebLink(QString::fromLatin1(c.address), QString::fromLatin1(c.affiliate),
                              QString::fromLatin1(c.site)),
                  c.expected);
    }
}

TEST(WebLink, CodesAreReadFromTheStoresAndMissingOnesAreReported)
{
    testsupport::ScriptedInteraction interaction;
    platform::StringTable table;
    ASSERT_TRUE(table.load(QString::fromLatin1(kRecorderStringTablePath)));
    const platform::Messages messages(table, interaction, QStringLiteral("Wexo Ravadur"));
    const QString userKey = QString::fromLatin1(kAffiliateCodeKey);
    const QString machineKey = QString::fromLatin1(kSiteCodeKey);
    const QString address = QStringLiteral("http://x.example/a");

    platform::MemorySettingsStore user;
    platform::MemorySettingsStore machine;
    // No settings key yet: message 185, and the link still works.
    interaction.expectMessageBox(platform::IDOK, QStringLiteral("Cannot open registry key"));
    EXPECT_EQ(MakeWebLink(address, user, nullptr, &messages),
              address + "?ref=" + QString::fromLatin1(kWebLinkProductTag));

    ASSERT_TRUE(user.writeString(userKey, QString::fromLatin1(kAffiliateCodeValue), QStringLiteral("ref=aff9")));
    ASSERT_TRUE(machine.writeString(machineKey, QString::fromLatin1(kSiteCodeValue), QStringLiteral("&sc=3")));
    EXPECT_EQ(MakeWebLink(address, user, &machine, &messages),
              address + "?ref=aff9" + QString::fromLatin1(kWebLinkProductTag) + "&sc=3");
    EXPECT_EQ(ReadSiteCode(&machine), QStringLiteral("&sc=3"));

    // A value of another type reads as no code, silently.
    ASSERT_TRUE(user.writeInteger(userKey, QString::fromLatin1(kAffiliateCodeValue), 5));
    EXPECT_TRUE(ReadAffiliateCode(user, &messages).isEmpty());

    // A store that cannot be read: message 183.
    user.setFailReads(true);
    interaction.expectMessageBox(platform::IDOK, QStringLiteral("Cannot open registry."));
    EXPECT_TRUE(ReadAffiliateCode(user, &messages).isEmpty());
    EXPECT_TRUE(interaction.allConsumed());
}
