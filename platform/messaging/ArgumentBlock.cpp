#include "platform/messaging/ArgumentBlock.h"

#include "platform/base/Log.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

const QString kNoSplash = QStringLiteral("/NoSplash");

int maxArguments(ArgumentBlockSender sender)
{
    return sender == ArgumentBlockSender::Recorder ? 1 : kArgumentSlotCount - 1;
}

} // namespace

BuiltArgumentBlock buildArgumentBlock(const QStringList& arguments, ArgumentBlockSender sender)
{
    BuiltArgumentBlock built;
    built.bytes = QByteArray(kArgumentBlockSize, '\0');
    const int taken = std::min<int>(int(arguments.size()), maxArguments(sender));
    uint32_t count = uint32_t(taken);
    for (int k = 0; k < taken; ++k) {
        const QString& argument = arguments.at(k);
        if (argument == kNoSplash) {
            --count;
            continue;
        }
        const QByteArray text = argument.toUtf8();
        if (text.size() >= kArgumentSlotSize || text.contains('\0')) {
            qCWarning(lcPlatform).noquote() << "argument" << k + 1 << "does not fit the hand-over block and is left out:"
                                            << argument.left(80);
            built.refused << argument;
            continue;
        }
        std::memcpy(built.bytes.data() + k * kArgumentSlotSize, text.constData(), size_t(text.size()));
    }
    qToLittleEndian<uint32_t>(count, built.bytes.data() + kArgumentCountOffset);
    built.count = count;
    return built;
}

ArgumentBlock ArgumentBlock::parse(const QByteArray& received)
{
    ArgumentBlock block;
    block.m_bytes = received.left(kArgumentBlockSize);
    if (received.isEmpty())
        block.m_defects |= ArgumentBlockEmpty;
    else if (received.size() < kArgumentBlockSize)
        block.m_defects |= ArgumentBlockTruncated;
    else if (received.size() > kArgumentBlockSize)
        block.m_defects |= ArgumentBlockOversized;
    block.m_bytes.resize(kArgumentBlockSize, '\0');

    const uint32_t count = qFromLittleEndian<uint32_t>(block.m_bytes.constData() + kArgumentCountOffset);
    block.m_count = std::min<uint32_t>(count, kArgumentSlotCount);
    if (count > kArgumentSlotCount)
        block.m_defects |= ArgumentCountPastSlots;
    for (int i = 0; i < kArgumentSlotCount; ++i) {
        const char* slot = block.m_bytes.constData() + i * kArgumentSlotSize;
        if (!std::memchr(slot, '\0', kArgumentSlotSize)) {
            block.m_defects |= ArgumentSlotUnterminated;
            std::memset(block.m_bytes.data() + i * kArgumentSlotSize, 0, kArgumentSlotSize);
        }
    }
    if (block.m_defects & ~uint32_t(ArgumentBlockEmpty))
        qCWarning(lcPlatform).nospace() << "received hand-over block of " << received.size() << " bytes with count "
                                        << count << " is malformed (defects 0x" << Qt::hex << block.m_defects
                                        << "); read within its slots";
    return block;
}

QString ArgumentBlock::slot(int index) const
{
    if (index < 0 || index >= kArgumentSlotCount)
        return {};
    const char* text = m_bytes.constData() + index * kArgumentSlotSize;
    return QString::fromUtf8(text, qsizetype(::strnlen(text, kArgumentSlotSize)));
}

} // namespace platform
