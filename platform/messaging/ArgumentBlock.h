#pragma once
// The command-line hand-over block that a second start of either program sends to the running one
// (and that the first start builds from its own command line): 256 slots of 256 bytes, each holding
// one argument as zero-terminated UTF-8 text, then the argument count as a little-endian unsigned
// 32-bit number at byte 65,536; 65,540 bytes in all. A received block comes from another process
// and is read as hostile: every size, count and slot is checked, nothing is read outside the block.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace platform {

inline constexpr int kArgumentSlotCount = 256;
inline constexpr int kArgumentSlotSize = 256;
inline constexpr int kArgumentCountOffset = kArgumentSlotCount * kArgumentSlotSize;
inline constexpr int kArgumentBlockSize = kArgumentCountOffset + 4;

// The two senders' rules. Both leave the slot of "/NoSplash" empty and lower the count for it, so
// the arguments keep their positions.
enum class ArgumentBlockSender {
    Recorder, // looks at its first argument only
    Editor,   // looks at up to 255 arguments
};

struct BuiltArgumentBlock {
    QByteArray bytes;    // kArgumentBlockSize bytes
    uint32_t count = 0;  // the count stored in the block, also sent beside it
    QStringList refused; // arguments that cannot stand in a slot; their slots stay empty
};

// An argument longer than 255 bytes of UTF-8, or holding a zero character, is refused rather than
// cut: a cut path would name some other file. Its slot stays empty and the count keeps it, so the
// arguments behind it stay at their positions; the caller finds it in `refused`.
BuiltArgumentBlock buildArgumentBlock(const QStringList& arguments, ArgumentBlockSender sender);

// What was wrong with a received block; each is logged when the block is parsed.
enum ArgumentBlockDefect : uint32_t {
    NoArgumentBlockDefect = 0,
    ArgumentBlockEmpty = 1 << 0,       // nothing was received
    ArgumentBlockTruncated = 1 << 1,   // shorter than the block: the rest reads as zero
    ArgumentBlockOversized = 1 << 2,   // longer than the block: the bytes past it are ignored
    ArgumentCountPastSlots = 1 << 3,   // the count was above 256 and reads as 256
    ArgumentSlotUnterminated = 1 << 4, // a slot without its terminating zero reads as empty
};

class ArgumentBlock {
public:
    // Takes the first kArgumentBlockSize bytes of what was received, zero-filled when fewer came.
    static ArgumentBlock parse(const QByteArray& received);

    // At most kArgumentSlotCount.
    uint32_t count() const { return m_count; }
    // The text of a slot; empty for an empty or unterminated slot and for any index outside the slots.
    QString slot(int index) const;
    uint32_t defects() const { return m_defects; }

private:
    QByteArray m_bytes = QByteArray(kArgumentBlockSize, '\0');
    uint32_t m_count = 0;
    uint32_t m_defects = NoArgumentBlockDefect;
};

} // namespace platform
