// The frames between a window and the processes that talk to it: every frame survives being cut
// anywhere, and a stream that lies about its frames is refused before its body is buffered.
#include "platform/messaging/MessagingWire.h"

#include <gtest/gtest.h>

#include <QtEndian>

using namespace platform;
using namespace platform::wire;

namespace {

QByteArray header(uint32_t magic, uint32_t type, uint32_t length)
{
    QByteArray bytes(kHeaderSize, '\0');
    qToLittleEndian<uint32_t>(magic, bytes.data());
    qToLittleEndian<uint32_t>(type, bytes.data() + 4);
    qToLittleEndian<uint32_t>(length, bytes.data() + 8);
    return bytes;
}

TEST(MessagingWire, FramesSurviveBeingCutAnywhere)
{
    WindowInfo info{QStringLiteral("TMainForm"), QStringLiteral("Vexal Audio Zuq Editor: \u00e9.wav"), true, false};
    const QByteArray stream = queryFrame() + postFrame(0x4CD, -2, INT64_MAX) + copyDataFrame(9, QByteArray(1000, 'q'))
                              + queryReplyFrame(info) + copyDataReplyFrame(true) + copyDataFrame(0, {});
    for (qsizetype piece : {qsizetype(1), qsizetype(5), qsizetype(13), stream.size()}) {
        SCOPED_TRACE(piece);
        FrameReader reader;
        std::vector<Frame> frames;
        for (qsizetype at = 0; at < stream.size(); at += piece) {
            reader.append(stream.mid(at, piece));
            Frame frame;
            QString why;
            FrameReader::Result result;
            while ((result = reader.next(&frame, &why)) == FrameReader::Result::Frame)
                frames.push_back(frame);
            ASSERT_EQ(result, FrameReader::Result::NeedMore) << why.toStdString();
        }
        ASSERT_EQ(frames.size(), 6u);
        EXPECT_FALSE(reader.hasPartialFrame());
        EXPECT_EQ(frames[0].type, FrameType::Query);
        const std::optional<PostBody> post = parsePost(frames[1].body);
        ASSERT_TRUE(post);
        EXPECT_EQ(post->message, 0x4CDu);
        EXPECT_EQ(post->wParam, -2);
        EXPECT_EQ(post->lParam, INT64_MAX);
        const std::optional<CopyDataBody> copy = parseCopyData(frames[2].body);
        ASSERT_TRUE(copy);
        EXPECT_EQ(copy->dwData, 9u);
        EXPECT_EQ(copy->data, QByteArray(1000, 'q'));
        const std::optional<WindowInfo> reply = parseQueryReply(frames[3].body);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->className, info.className);
        EXPECT_EQ(reply->caption, info.caption);
        EXPECT_TRUE(reply->visible);
        EXPECT_FALSE(reply->enabled);
        EXPECT_EQ(parseCopyDataReply(frames[4].body), true);
        EXPECT_TRUE(parseCopyData(frames[5].body)->data.isEmpty());
    }
}

TEST(MessagingWire, AStreamThatLiesIsRefusedBeforeItsBodyArrives)
{
    struct Row {
        const char* name;
        QByteArray bytes;
    };
    const Row rows[] = {
        {"bad magic", header(0x12345678, 1, 0)},
        {"unknown type", header(kMagic, 7, 0)},
        {"query with a body", header(kMagic, 1, 1)},
        {"post body too short", header(kMagic, 2, 19)},
        {"post body too long", header(kMagic, 2, 21)},
        {"copy-data without its dwData", header(kMagic, 3, 7)},
        {"copy-data past the block", header(kMagic, 3, 8 + kMaxCopyDataSize + 1)},
        {"copy-data of 4 GiB", header(kMagic, 3, 0xFFFFFFFF)},
        {"reply of a wrong size", header(kMagic, 0x83, 5)},
        {"query reply past its limits", header(kMagic, 0x81, 100000)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FrameReader reader;
        reader.append(row.bytes);
        Frame frame;
        QString why;
        EXPECT_EQ(reader.next(&frame, &why), FrameReader::Result::Invalid);
        EXPECT_FALSE(why.isEmpty());
        EXPECT_FALSE(reader.hasPartialFrame());
        reader.append(queryFrame());
        EXPECT_EQ(reader.next(&frame, &why), FrameReader::Result::Invalid); // it stays broken
    }
}

TEST(MessagingWire, TheReaderAsksForNoMoreThanTheFrameItHolds)
{
    FrameReader reader;
    EXPECT_EQ(reader.room(), kHeaderSize);
    reader.append(header(kMagic, 3, 8 + kMaxCopyDataSize).left(5));
    EXPECT_EQ(reader.room(), kHeaderSize - 5);
    reader.append(header(kMagic, 3, 8 + kMaxCopyDataSize).mid(5));
    EXPECT_EQ(reader.room(), 8 + kMaxCopyDataSize);
    reader.append(QByteArray(8 + kMaxCopyDataSize, 'b'));
    EXPECT_EQ(reader.room(), 0);
    Frame frame;
    QString why;
    EXPECT_EQ(reader.next(&frame, &why), FrameReader::Result::Frame);
    EXPECT_EQ(frame.body.size(), 8 + kMaxCopyDataSize);
    EXPECT_EQ(reader.room(), kHeaderSize);
}

QByteArray replyBody(uint8_t visible, uint8_t enabled, uint32_t classSize, const QByteArray& className,
                     uint32_t captionSize, const QByteArray& caption)
{
    QByteArray body;
    body.append(char(visible));
    body.append(char(enabled));
    char number[4];
    qToLittleEndian<uint32_t>(classSize, number);
    body.append(number, 4);
    body.append(className);
    qToLittleEndian<uint32_t>(captionSize, number);
    body.append(number, 4);
    body.append(caption);
    return body;
}

TEST(MessagingWire, RepliesThatDoNotFitTheirLayoutAreRefused)
{
    EXPECT_TRUE(parseQueryReply(replyBody(1, 0, 3, "abc", 2, "xy")));
    struct Row {
        const char* name;
        QByteArray body;
    };
    const Row rows[] = {
        {"visible neither 0 nor 1", replyBody(2, 0, 3, "abc", 2, "xy")},
        {"class size past the body", replyBody(1, 1, 40, "abc", 2, "xy")},
        {"class size of all ones", replyBody(1, 1, 0xFFFFFFFF, "abc", 2, "xy")},
        {"caption size short of the body", replyBody(1, 1, 3, "abc", 1, "xy")},
        {"caption size past the body", replyBody(1, 1, 3, "abc", 3, "xy")},
        {"class name past its limit", replyBody(1, 1, 300, QByteArray(300, 'c'), 0, {})},
        {"cut inside the caption size", replyBody(1, 1, 3, "abc", 2, "xy").left(10)},
        {"empty", {}},
    };
    for (const Row& row : rows)
        EXPECT_FALSE(parseQueryReply(row.body)) << row.name;

    for (uint32_t answer : {2u, 0xFFFFFFFFu}) {
        QByteArray body(4, '\0');
        qToLittleEndian<uint32_t>(answer, body.data());
        EXPECT_FALSE(parseCopyDataReply(body)) << answer;
    }
    EXPECT_FALSE(parseCopyDataReply(QByteArray(3, '\0')));
    EXPECT_FALSE(parsePost(QByteArray(19, '\0')));
}

TEST(MessagingWire, ALongCaptionIsCutOnACharacterBoundary)
{
    const WindowInfo info{QString(300, QLatin1Char('k')), QString(3000, QChar(0xE9)), true, true};
    FrameReader reader;
    reader.append(queryReplyFrame(info));
    Frame frame;
    QString why;
    ASSERT_EQ(reader.next(&frame, &why), FrameReader::Result::Frame);
    const std::optional<WindowInfo> reply = parseQueryReply(frame.body);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->className, QString(kMaxClassNameBytes, QLatin1Char('k')));
    EXPECT_EQ(reply->caption, QString(kMaxCaptionBytes / 2, QChar(0xE9)));
}

} // namespace
