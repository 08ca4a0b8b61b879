// The command-line hand-over block: the two senders' rules, and received blocks that are short,
// long, over-counted or without their terminating zeros (run under the address sanitizer, which
// catches any read outside the block).
#include "platform/messaging/ArgumentBlock.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <climits>
#include <map>

using namespace platform;

namespace {

QStringList numbered(int count)
{
    QStringList arguments;
    for (int i = 0; i < count; ++i)
        arguments << QStringLiteral("a%1").arg(i);
    return arguments;
}

void checkSlots(const ArgumentBlock& block, const std::map<int, QString>& expected)
{
    for (int i = 0; i < kArgumentSlotCount; ++i) {
        const auto found = expected.find(i);
        EXPECT_EQ(block.slot(i), found == expected.end() ? QString() : found->second) << "slot " << i;
    }
}

TEST(ArgumentBlock, BuildsBySendersRules)
{
    const QString longest = QString(kArgumentSlotSize - 1, QLatin1Char('p'));
    const QString tooLong = QString(kArgumentSlotSize, QLatin1Char('p'));
    // 1 + 127 two-byte characters: 255 bytes; one more character straddles the slot's end.
    const QString accents = QStringLiteral("/") + QString(127, QChar(0xE9));
    const QString straddling = accents + QChar(0xE9);
    const QString withZero = QStringLiteral("a") + QChar(0) + QStringLiteral("b");

    struct Row {
        const char* name;
        ArgumentBlockSender sender;
        QStringList arguments;
        uint32_t count;
        std::map<int, QString> filled;
        QStringList refused;
    };
    constexpr auto R = ArgumentBlockSender::Recorder;
    constexpr auto E = ArgumentBlockSender::Editor;
    const Row rows[] = {
        {"recorder, no arguments", R, {}, 0, {}, {}},
        {"recorder, /NoSplash alone", R, {"/NoSplash"}, 0, {}, {}},
        {"recorder, first argument only", R, {"a.wav", "b.wav"}, 1, {{0, "a.wav"}}, {}},
        {"recorder, /NoSplash before a file", R, {"/NoSplash", "a.wav"}, 0, {}, {}},
        {"recorder, /NoSplash compared with case", R, {"/nosplash"}, 1, {{0, "/nosplash"}}, {}},
        {"editor, the recorder's command line", E, {"/w/take.wav", "/NoSplash", "/VoiceTrack"}, 2,
         {{0, "/w/take.wav"}, {2, "/VoiceTrack"}}, {}},
        {"editor, empty file", E, {"", "/NoSplash", "/NormalTrack"}, 2, {{2, "/NormalTrack"}}, {}},
        {"editor, /NoSplash alone", E, {"/NoSplash"}, 0, {}, {}},
        {"editor, /NoSplash last", E, {"x.wav", "/NoSplash"}, 1, {{0, "x.wav"}}, {}},
        {"editor, 300 arguments", E, numbered(300), 255,
         [] {
             std::map<int, QString> filled;
             for (int i = 0; i < 255; ++i)
                 filled[i] = QStringLiteral("a%1").arg(i);
             return filled;
         }(),
         {}},
        {"editor, UTF-8 path", E, {"/tmp/\u00dcber/stra\u00dfe.wav"}, 1, {{0, "/tmp/\u00dcber/stra\u00dfe.wav"}}, {}},
        {"editor, 255 bytes fit", E, {longest, accents}, 2, {{0, longest}, {1, accents}}, {}},
        {"editor, 256 bytes are refused", E, {tooLong, "/NormalTrack"}, 2, {{1, "/NormalTrack"}}, {tooLong}},
        {"editor, a character across the slot's end", E, {straddling}, 1, {}, {straddling}},
        {"editor, a zero character", E, {withZero, "b.wav"}, 2, {{1, "b.wav"}}, {withZero}},
        {"recorder, a refused file", R, {tooLong}, 1, {}, {tooLong}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const BuiltArgumentBlock built = buildArgumentBlock(row.arguments, row.sender);
        ASSERT_EQ(built.bytes.size(), kArgumentBlockSize);
        EXPECT_EQ(built.count, row.count);
        EXPECT_EQ(qFromLittleEndian<uint32_t>(built.bytes.constData() + kArgumentCountOffset), row.count);
        EXPECT_EQ(built.refused, row.refused);
        const ArgumentBlock parsed = ArgumentBlock::parse(built.bytes);
        EXPECT_EQ(parsed.defects(), NoArgumentBlockDefect);
        EXPECT_EQ(parsed.count(), row.count);
        checkSlots(parsed, row.filled);
    }
}

QByteArray blockWith(uint32_t count, const std::map<int, QByteArray>& filled)
{
    QByteArray bytes(kArgumentBlockSize, '\0');
    for (const auto& [index, text] : filled)
        bytes.replace(index * kArgumentSlotSize, text.size(), text);
    qToLittleEndian<uint32_t>(count, bytes.data() + kArgumentCountOffset);
    return bytes;
}

TEST(ArgumentBlock, ReadsAHostileBlockWithinItsSlots)
{
    const QByteArray full = blockWith(2, {{0, "first.wav"}, {1, "second.wav"}});
    const QByteArray unterminated = blockWith(3, {{0, "a.wav"}, {1, QByteArray(kArgumentSlotSize, 'x')}, {2, "c.wav"}});
    const QByteArray lastUnterminated = blockWith(1, {{255, QByteArray(kArgumentSlotSize, 'y')}});

    struct Row {
        const char* name;
        QByteArray received;
        uint32_t defects;
        uint32_t count;
        std::map<int, QString> filled;
    };
    const Row rows[] = {
        {"nothing", {}, ArgumentBlockEmpty, 0, {}},
        {"a slot's worth", QByteArray("short.wav"), ArgumentBlockTruncated, 0, {{0, "short.wav"}}},
        {"cut inside the count", full.left(kArgumentCountOffset + 1), ArgumentBlockTruncated, 2,
         {{0, "first.wav"}, {1, "second.wav"}}},
        {"longer than the block", full + QByteArray(100, '\xff'), ArgumentBlockOversized, 2,
         {{0, "first.wav"}, {1, "second.wav"}}},
        {"count past the filled", blockWith(70000, {{0, "a"}}), ArgumentCountPastSlots, 256, {{0, "a"}}},
        {"count of all ones", blockWith(0xFFFFFFFF, {}), ArgumentCountPastSlots, 256, {}},
        {"count of exactly 256", blockWith(256, {}), NoArgumentBlockDefect, 256, {}},
        {"slot without its zero", unterminated, ArgumentSlotUnterminated, 3, {{0, "a.wav"}, {2, "c.wav"}}},
        {"last slot without its zero, next to the count", lastUnterminated, ArgumentSlotUnterminated, 1, {}},
        {"not UTF-8", blockWith(1, {{0, "\xff\xfe.wav"}}), NoArgumentBlockDefect, 1,
         {{0, QString(QChar::ReplacementCharacter) + QChar::ReplacementCharacter + ".wav"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testsupport::LogCapture log;
        const ArgumentBlock block = ArgumentBlock::parse(row.received);
        EXPECT_EQ(block.defects(), row.defects);
        EXPECT_EQ(block.count(), row.count);
        checkSlots(block, row.filled);
        EXPECT_EQ(log.contains(QStringLiteral("malformed"), QStringLiteral("va.platform")),
                  (row.defects & ~uint32_t(ArgumentBlockEmpty)) != 0);
    }
}

TEST(ArgumentBlock, SlotsOutsideTheBlockReadAsEmpty)
{
    const ArgumentBlock block = ArgumentBlock::parse(blockWith(256, {{0, "a"}, {255, "z"}}));
    EXPECT_EQ(block.slot(255), QStringLiteral("z"));
    for (int index : {-1, 256, 257, INT_MAX, INT_MIN})
        EXPECT_TRUE(block.slot(index).isEmpty()) << index;
    EXPECT_TRUE(ArgumentBlock().slot(0).isEmpty());
}

} // namespace
