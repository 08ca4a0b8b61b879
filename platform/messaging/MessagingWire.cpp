#include "platform/messaging/MessagingWire.h"

#include <QtEndian>

#include <algorithm>

namespace platform::wire {

namespace {

constexpr int kPostBodySize = 4 + 8 + 8;
constexpr int kCopyDataHeadSize = 8;
constexpr int kQueryReplyHeadSize = 2 + 4 + 4;
constexpr int kMaxQueryReplyBody = kQueryReplyHeadSize + kMaxClassNameBytes + kMaxCaptionBytes;

struct Bounds {
    int min;
    int max;
};

std::optional<Bounds> bodyBounds(uint32_t type)
{
    switch (FrameType(type)) {
    case FrameType::Query:
        return Bounds{0, 0};
    case FrameType::Post:
        return Bounds{kPostBodySize, kPostBodySize};
    case FrameType::CopyData:
        return Bounds{kCopyDataHeadSize, kCopyDataHeadSize + kMaxCopyDataSize};
    case FrameType::QueryReply:
        return Bounds{kQueryReplyHeadSize, kMaxQueryReplyBody};
    case FrameType::CopyDataReply:
        return Bounds{4, 4};
    }
    return std::nullopt;
}

template <typename T>
void put(QByteArray& out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian<T>(value, bytes);
    out.append(bytes, sizeof(T));
}

template <typename T>
T get(const QByteArray& in, qsizetype offset)
{
    return qFromLittleEndian<T>(in.constData() + offset);
}

QByteArray frame(FrameType type, const QByteArray& body)
{
    QByteArray out;
    out.reserve(kHeaderSize + body.size());
    put<uint32_t>(out, kMagic);
    put<uint32_t>(out, uint32_t(type));
    put<uint32_t>(out, uint32_t(body.size()));
    out.append(body);
    return out;
}

// The UTF-8 of a text, cut to at most `limit` bytes without splitting a character.
QByteArray utf8Within(const QString& text, int limit)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.size() <= limit)
        return bytes;
    qsizetype end = limit;
    while (end > 0 && (uchar(bytes.at(end)) & 0xC0) == 0x80)
        --end;
    bytes.truncate(end);
    return bytes;
}

} // namespace

int maxBodySize()
{
    return std::max(kCopyDataHeadSize + kMaxCopyDataSize, kMaxQueryReplyBody);
}

QByteArray queryFrame()
{
    return frame(FrameType::Query, {});
}

QByteArray postFrame(uint32_t message, int64_t wParam, int64_t lParam)
{
    QByteArray body;
    put<uint32_t>(body, message);
    put<int64_t>(body, wParam);
    put<int64_t>(body, lParam);
    return frame(FrameType::Post, body);
}

QByteArray copyDataFrame(uint64_t dwData, const QByteArray& data)
{
    Q_ASSERT(data.size() <= kMaxCopyDataSize);
    QByteArray body;
    body.reserve(kCopyDataHeadSize + data.size());
    put<uint64_t>(body, dwData);
    body.append(data);
    return frame(FrameType::CopyData, body);
}

QByteArray queryReplyFrame(const WindowInfo& info)
{
    const QByteArray className = utf8Within(info.className, kMaxClassNameBytes);
    const QByteArray caption = utf8Within(info.caption, kMaxCaptionBytes);
    QByteArray body;
    body.append(char(info.visible ? 1 : 0));
    body.append(char(info.enabled ? 1 : 0));
    put<uint32_t>(body, uint32_t(className.size()));
    body.append(className);
    put<uint32_t>(body, uint32_t(caption.size()));
    body.append(caption);
    return frame(FrameType::QueryReply, body);
}

QByteArray copyDataReplyFrame(bool answer)
{
    QByteArray body;
    put<uint32_t>(body, answer ? 1 : 0);
    return frame(FrameType::CopyDataReply, body);
}

std::optional<PostBody> parsePost(const QByteArray& body)
{
    if (body.size() != kPostBodySize)
        return std::nullopt;
    return PostBody{get<uint32_t>(body, 0), get<int64_t>(body, 4), get<int64_t>(body, 12)};
}

std::optional<CopyDataBody> parseCopyData(const QByteArray& body)
{
    if (body.size() < kCopyDataHeadSize || body.size() > kCopyDataHeadSize + kMaxCopyDataSize)
        return std::nullopt;
    return CopyDataBody{get<uint64_t>(body, 0), body.mid(kCopyDataHeadSize)};
}

std::optional<WindowInfo> parseQueryReply(const QByteArray& body)
{
    if (body.size() < kQueryReplyHeadSize || body.size() > kMaxQueryReplyBody)
        return std::nullopt;
    const auto visible = uchar(body.at(0));
    const auto enabled = uchar(body.at(1));
    if (visible > 1 || enabled > 1)
        return std::nullopt;
    const uint32_t classSize = get<uint32_t>(body, 2);
    if (classSize > uint32_t(kMaxClassNameBytes) || classSize > uint32_t(body.size() - kQueryReplyHeadSize))
        return std::nullopt;
    const qsizetype captionSizeAt = 6 + qsizetype(classSize);
    const uint32_t captionSize = get<uint32_t>(body, captionSizeAt);
    if (captionSize > uint32_t(kMaxCaptionBytes) || qsizetype(captionSize) != body.size() - captionSizeAt - 4)
        return std::nullopt;
    WindowInfo info;
    info.visible = visible == 1;
    info.enabled = enabled == 1;
    info.className = QString::fromUtf8(body.constData() + 6, classSize);
    info.caption = QString::fromUtf8(body.constData() + captionSizeAt + 4, captionSize);
    return info;
}

std::optional<bool> parseCopyDataReply(const QByteArray& body)
{
    if (body.size() != 4)
        return std::nullopt;
    const uint32_t answer = get<uint32_t>(body, 0);
    if (answer > 1)
        return std::nullopt;
    return answer == 1;
}

FrameReader::Result FrameReader::next(Frame* frame, QString* why)
{
    if (m_broken) {
        *why = QStringLiteral("the stream is already broken");
        return Result::Invalid;
    }
    if (m_buffer.size() < kHeaderSize)
        return Result::NeedMore;
    const uint32_t magic = get<uint32_t>(m_buffer, 0);
    const uint32_t type = get<uint32_t>(m_buffer, 4);
    const uint32_t length = get<uint32_t>(m_buffer, 8);
    const std::optional<Bounds> bounds = bodyBounds(type);
    if (magic != kMagic)
        *why = QStringLiteral("bad magic 0x%1").arg(magic, 8, 16, QLatin1Char('0'));
    else if (!bounds)
        *why = QStringLiteral("unknown frame type %1").arg(type);
    else if (length < uint32_t(bounds->min) || length > uint32_t(bounds->max))
        *why = QStringLiteral("frame type %1 announces %2 bytes, outside %3..%4")
                   .arg(type)
                   .arg(length)
                   .arg(bounds->min)
                   .arg(bounds->max);
    else {
        if (m_buffer.size() < kHeaderSize + qsizetype(length))
            return Result::NeedMore;
        frame->type = FrameType(type);
        frame->body = m_buffer.mid(kHeaderSize, length);
        m_buffer.remove(0, kHeaderSize + length);
        return Result::Frame;
    }
    m_broken = true;
    m_buffer.clear();
    return Result::Invalid;
}

qsizetype FrameReader::room() const
{
    if (m_buffer.size() < kHeaderSize)
        return kHeaderSize - m_buffer.size();
    const uint32_t length = get<uint32_t>(m_buffer, 8);
    const qsizetype wanted = kHeaderSize + qsizetype(std::min<uint32_t>(length, uint32_t(maxBodySize())));
    return std::max<qsizetype>(wanted - m_buffer.size(), 0);
}

} // namespace platform::wire
