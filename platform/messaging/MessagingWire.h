#pragma once
// The frames that LocalMessaging exchanges over a window's local socket. A frame is a 12-byte
// header (magic "VAW1", type, body length; little-endian) and its body. Requests: a query of the
// window's state, a posted message, a copy-data block. Replies: the window's state, the copy-data
// answer. Whatever arrives is checked before it is buffered: a wrong magic, an unknown type or a
// body length outside its type's bounds ends the exchange.

#include "platform/messaging/Messaging.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace platform::wire {

inline constexpr uint32_t kMagic = 0x31574156; // "VAW1" as little-endian bytes
inline constexpr int kHeaderSize = 12;
inline constexpr int kMaxCaptionBytes = 4096;

enum class FrameType : uint32_t {
    Query = 1,
    Post = 2,
    CopyData = 3,
    QueryReply = 0x81,
    CopyDataReply = 0x83,
};

// The largest body of any frame.
int maxBodySize();

struct Frame {
    FrameType type = FrameType::Query;
    QByteArray body;
};

QByteArray queryFrame();
QByteArray postFrame(uint32_t message, int64_t wParam, int64_t lParam);
// The data must not be larger than kMaxCopyDataSize.
QByteArray copyDataFrame(uint64_t dwData, const QByteArray& data);
// The class name and caption are cut on a character boundary to their limits.
QByteArray queryReplyFrame(const WindowInfo& info);
QByteArray copyDataReplyFrame(bool answer);

struct PostBody {
    uint32_t message = 0;
    int64_t wParam = 0;
    int64_t lParam = 0;
};
struct CopyDataBody {
    uint64_t dwData = 0;
    QByteArray data;
};

// Each checks the body against its frame's layout; nothing for a body that does not fit it.
std::optional<PostBody> parsePost(const QByteArray& body);
std::optional<CopyDataBody> parseCopyData(const QByteArray& body);
std::optional<WindowInfo> parseQueryReply(const QByteArray& body);
std::optional<bool> parseCopyDataReply(const QByteArray& body);

// Cuts frames out of a byte stream. It never holds more than one frame's worth of bytes beyond
// what it was given: a header that announces too much is refused before the body arrives.
class FrameReader {
public:
    enum class Result { NeedMore, Frame, Invalid };

    void append(const QByteArray& bytes) { m_buffer.append(bytes); }
    // Frame: *frame holds the next frame, taken from the buffer. Invalid: the stream is broken
    // (*why says how) and stays broken.
    Result next(Frame* frame, QString* why);
    // How many more bytes the reader may take now without holding more than a frame.
    qsizetype room() const;
    bool hasPartialFrame() const { return !m_buffer.isEmpty(); }

private:
    QByteArray m_buffer;
    bool m_broken = false;
};

} // namespace platform::wire
