// The rules of the WMA export window without its widgets.
#include "common/WmaExportRules.h"

#include "platform/codecs/Ostrefa.h"

#include <gtest/gtest.h>

namespace {

TEST(WmaExportRules, FormatChoice)
{
    const struct {
        const char* what;
        std::optional<int32_t> rate, index;
        uint32_t sourceRate;
        int count, chosen;
    } cases[] = {
        {"the stored rate is the source's", 44100, 2, 44100, 6, 2},
        {"a negative stored index", 44100, -3, 44100, 6, 0},
        {"an index past the list", 44100, 9, 44100, 6, 5},
        {"a new rate", 22050, 1, 44100, 6, 5},
        {"no stored rate", std::nullopt, 1, 44100, 6, 5},
        {"no stored index", 44100, std::nullopt, 44100, 6, 5},
        {"no formats", 44100, 1, 44100, 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(chooseWmaFormat(c.rate, c.index, c.sourceRate, c.count), c.chosen) << c.what;
}

TEST(WmaExportRules, MessagesAndNames)
{
    namespace WmaCode = platform::codecs::WmaCode;
    const std::pair<int, int> messages[] = {
        {WmaCode::Ok, 0},
        {WmaCode::FormatNotSupported, WmaExportMessage::FormatNotSupported},
        {WmaCode::CodecNotAvailable, WmaExportMessage::CodecNotAvailable},
        {WmaCode::NoFormat, WmaExportMessage::NoFormat},
        {WmaCode::FileInUse, WmaExportMessage::FileInUse},
        {WmaCode::WriteError, WmaExportMessage::WriteError},
        {WmaCode::CannotLoad, WmaExportMessage::CannotLoad},
        {5, 0},
    };
    for (const auto& [code, id] : messages)
        EXPECT_EQ(wmaErrorMessageId(code), id) << code;

    const std::pair<const char*, bool> names[] = {{"/a/show.wma", true}, {"/a/show.WMA", true},
                                                  {"/a/show.mp3", false}, {"/a/show.wma.wav", false}, {"", false}};
    for (const auto& [name, ok] : names)
        EXPECT_EQ(isWmaFileName(QString::fromLatin1(name)), ok) << name;
    EXPECT_EQ(withWmaExtension("/a/show.mp3"), "/a/show.mp3.wma");
    EXPECT_EQ(withWmaExtension("/a/show.Wma"), "/a/show.Wma");
}

} // namespace
