// The colour scheme without its dialog: both programs' tables, the text form of colours, loading
// and saving through the settings store (the in-memory fake and the real file), the default rule
// ("a colour equal to the default is the default"), and the messages for a store that fails.
#include "common/ErrCodes.h"
#include "controls/ColorScheme.h"
#include "platform/settings/FileSettingsStore.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Messages.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace controls;
using platform::MemorySettingsStore;

namespace {

class ColorSchemeTest : public ::testing::Test {
protected:
    QString editorKey() const { return ColorScheme::keyPath(SchemeProgram::Editor); }

    testsupport::ScriptedInteraction m_ui;
    platform::Messages m_messages{recorderStringTable(), m_ui, QStringLiteral("Zuq Editor")};
    MemorySettingsStore m_store;
};

} // namespace

TEST(ColorTextTest, NamesAndHexadecimalReadBackWhatIsWritten)
{
    struct Case {
        uint32_t color;
        const char* text;
    };
    const Case written[] = {
        {0x000000, "clBlack"}, {0x00FF00, "clLime"}, {0x808080, "clGray"}, {0x0000FF, "clRed"},
        {0xFF0000, "clBlue"},  {0xFFFFFF, "clWhite"}, {0x123456, "$00123456"}, {0xFFB56A, "$00FFB56A"},
    };
    for (const Case& c : written) {
        EXPECT_EQ(colorToText(c.color), c.text);
        EXPECT_EQ(textToColor(c.text), c.color) << c.text;
    }
    struct Read {
        const char* text;
        std::optional<uint32_t> color;
    };
    const Read read[] = {
        {"cllime", 0x00FF00u}, {" $00123456 ", 0x123456u}, {"$ff", 0xFFu}, {"255", 0xFFu},
        {"", std::nullopt}, {"$", std::nullopt}, {"$01000000", std::nullopt}, {"$000000123", std::nullopt},
        {"$0x12", std::nullopt}, {"$-12", std::nullopt}, {"clPink", std::nullopt}, {"-5", std::nullopt},
        {"16777216", std::nullopt}, {"12abc", std::nullopt},
    };
    for (const Read& r : read)
        EXPECT_EQ(textToColor(r.text), r.color) << r.text;
}

TEST_F(ColorSchemeTest, TablesOfBothPrograms)
{
    const std::vector<SchemeElement> editor = ColorScheme::defaultElements(SchemeProgram::Editor);
    ASSERT_EQ(editor.size(), size_t(EditorColor::Count));
    EXPECT_EQ(editor[EditorColor::Waveform].name, "Waveform");
    EXPECT_EQ(editor[EditorColor::Waveform].defaultColor, 0xFFB56Au);
    EXPECT_EQ(editor[EditorColor::SelectionWaveform].defaultColor, 0x643C32u);
    EXPECT_EQ(editor[EditorColor::LedBackground].name, "LED Background");
    EXPECT_EQ(editor[EditorColor::ClippingLightOn].defaultColor, 0x0080FFu);

    const std::vector<SchemeElement> recorder = ColorScheme::defaultElements(SchemeProgram::Recorder);
    ASSERT_EQ(recorder.size(), size_t(RecorderColor::Count));
    EXPECT_EQ(recorder[RecorderColor::WaveformBackground].defaultColor, 0xC8C8C8u);
    EXPECT_EQ(recorder[RecorderColor::Waveform].defaultColor, 0x945046u);
    EXPECT_EQ(recorder[RecorderColor::ClippingLightOn].name, "Clipping Light On");
    EXPECT_EQ(recorder[RecorderColor::ClippingLightOn].defaultColor, 0x0000FFu);

    EXPECT_EQ(ColorScheme::keyPath(SchemeProgram::Recorder), "\\Software\\Vexal Audio\\Wexo Ravadur\\Color Scheme\\Default Scheme");
    EXPECT_EQ(editorKey(), "\\Software\\Vexal Audio\\Zuq Editor\\Color Scheme\\Default Scheme");
}

TEST_F(ColorSchemeTest, AFreshProfileIsAtTheDefaultsAndOkWritesEveryElement)
{
    ColorScheme scheme(SchemeProgram::Editor, m_store, m_messages);
    ASSERT_EQ(scheme.LoadColorScheme(), 0);
    EXPECT_TRUE(m_store.keyExists(editorKey()));
    EXPECT_TRUE(m_store.valueNames(editorKey()).isEmpty());
    for (int i = 0; i < scheme.count(); ++i) {
        EXPECT_TRUE(scheme.element(i).useDefault) << i;
        EXPECT_EQ(scheme.GetSchemeColor(i), scheme.element(i).defaultColor);
    }

    ASSERT_EQ(scheme.SaveColorScheme(), 0);
    EXPECT_EQ(m_store.valueNames(editorKey()).size(), EditorColor::Count);
    EXPECT_EQ(m_store.readString(editorKey(), "Waveform").value, "$00FFB56A");
    EXPECT_EQ(m_store.readString(editorKey(), "Cursor").value, "clLime");
    EXPECT_EQ(m_store.readString(editorKey(), "Clipping Light Off").value, "clGray");
}

TEST_F(ColorSchemeTest, StoredColoursBecomeCustomUnlessTheyEqualTheDefault)
{
    const QString key = ColorScheme::keyPath(SchemeProgram::Recorder);
    ASSERT_TRUE(m_store.writeString(key, "Axis", "$00123456"));
    ASSERT_TRUE(m_store.writeString(key, "Waveform", "$00945046")); // the default, written out
    ASSERT_TRUE(m_store.writeString(key, "Cursor", "not a colour"));
    ASSERT_TRUE(m_store.writeInteger(key, "Clipping Light On", 255));
    ColorScheme scheme(SchemeProgram::Recorder, m_store, m_messages);
    testsupport::LogCapture log;
    ASSERT_EQ(scheme.LoadColorScheme(), 0);

    EXPECT_FALSE(scheme.element(RecorderColor::Axis).useDefault);
    EXPECT_EQ(scheme.GetSchemeColor(RecorderColor::Axis), 0x123456u);
    EXPECT_TRUE(scheme.element(RecorderColor::Waveform).useDefault);
    EXPECT_TRUE(scheme.element(RecorderColor::Cursor).useDefault) << "unreadable text gives the default";
    EXPECT_EQ(scheme.GetSchemeColor(RecorderColor::Cursor), 0x00FF00u);
    EXPECT_TRUE(scheme.element(RecorderColor::ClippingLightOn).useDefault) << "a value of another type";
    EXPECT_TRUE(log.contains("not a colour", "va.controls"));
    EXPECT_EQ(scheme.GetSchemeColor(-1), 0u);
    EXPECT_EQ(scheme.GetSchemeColor(RecorderColor::Count), 0u);

    // A custom colour chosen equal to the default is saved and read back as the default.
    scheme.setUseDefault(RecorderColor::Cursor, false);
    scheme.setCustomColor(RecorderColor::Cursor, 0x00FF00);
    // Customised without a colour picked: the custom colour is the one read (the axis's).
    scheme.setUseDefault(RecorderColor::Axis, false);
    ASSERT_EQ(scheme.SaveColorScheme(), 0);
    ColorScheme again(SchemeProgram::Recorder, m_store, m_messages);
    ASSERT_EQ(again.LoadColorScheme(), 0);
    EXPECT_TRUE(again.element(RecorderColor::Cursor).useDefault);
    EXPECT_FALSE(again.element(RecorderColor::Axis).useDefault);
    EXPECT_EQ(again.GetSchemeColor(RecorderColor::Axis), 0x123456u);
}

TEST_F(ColorSchemeTest, StoreFailuresShowTheirMessagesAndKeepTheTable)
{
    ColorScheme scheme(SchemeProgram::Editor, m_store, m_messages);
    scheme.setUseDefault(EditorColor::Axis, false);
    scheme.setCustomColor(EditorColor::Axis, 0x010203);

    m_store.setFailKeyCreation(true);
    m_ui.expectMessageBox(platform::IDOK, "Cannot open registry key");
    EXPECT_EQ(scheme.LoadColorScheme(), ColorSchemeCode::CannotOpenKey);
    m_ui.expectMessageBox(platform::IDOK, "Cannot open registry key");
    EXPECT_EQ(scheme.SaveColorScheme(), ColorSchemeCode::CannotOpenKey);
    EXPECT_EQ(m_ui.prompts().back().caption, "Zuq Editor");
    m_store.setFailKeyCreation(false);

    ASSERT_TRUE(m_store.createKey(editorKey()));
    m_store.setFailReads(true);
    m_ui.expectMessageBox(platform::IDOK, "Cannot open registry.");
    EXPECT_EQ(scheme.LoadColorScheme(), ColorSchemeCode::CannotOpenStore);
    m_store.setFailReads(false);
    EXPECT_EQ(scheme.GetSchemeColor(EditorColor::Axis), 0x010203u) << "the table is left as it was";

    m_store.setFailWrites(true);
    m_ui.expectMessageBox(platform::IDOK, "Cannot write data in registry");
    EXPECT_EQ(scheme.SaveColorScheme(), ColorSchemeCode::CannotWriteValue) << "a lost value is not a success";
    EXPECT_TRUE(m_ui.allConsumed());
}

TEST_F(ColorSchemeTest, TheSettingsFileKeepsTheSchemeBetweenRuns)
{
    const QString path = testsupport::testFolder() + "/registry.json";
    {
        platform::FileSettingsStore store(path);
        ColorScheme scheme(SchemeProgram::Editor, store, m_messages);
        ASSERT_EQ(scheme.LoadColorScheme(), 0);
        scheme.setUseDefault(EditorColor::SelectionBackground, false);
        scheme.setCustomColor(EditorColor::SelectionBackground, 0x203040);
        ASSERT_EQ(scheme.SaveColorScheme(), 0);
    }
    platform::FileSettingsStore store(path);
    EXPECT_EQ(store.readString(editorKey(), "Selection Background").value, "$00203040");
    ColorScheme scheme(SchemeProgram::Editor, store, m_messages);
    ASSERT_EQ(scheme.LoadColorScheme(), 0);
    EXPECT_EQ(scheme.GetSchemeColor(EditorColor::SelectionBackground), 0x203040u);
    EXPECT_TRUE(scheme.element(EditorColor::Waveform).useDefault);
}
