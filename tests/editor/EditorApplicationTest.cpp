// What the editor's application object does with an exception that escapes an event's handling.
#include "editor/EditorApplication.h"

#include "common/EditorMessages.h"
#include "tests/support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace {

TEST(EditorApplication, AnEscapedExceptionIsShownUnderTheEditorsCaption)
{
    testsupport::ScriptedInteraction ui;
    const platform::Messages messages = makeEditorMessages(ui);
    ui.expectMessageBox(platform::IDOK);
    EXPECT_FALSE(deliverReportingExceptions([]() -> bool { throw std::runtime_error("the disk went away"); },
                                            &messages));
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].text, QStringLiteral("the disk went away"));
    EXPECT_EQ(ui.prompts()[0].caption, QStringLiteral("Vexal Audio Zuq Editor"));
    EXPECT_EQ(ui.prompts()[0].flags, platform::MB_OK | platform::MB_ICONERROR);

    ui.expectMessageBox(platform::IDOK);
    EXPECT_FALSE(deliverReportingExceptions([]() -> bool { throw std::bad_alloc(); }, &messages));
    EXPECT_EQ(ui.prompts().size(), 2u);
    EXPECT_TRUE(ui.allConsumed());
}

TEST(EditorApplication, AnEventHandledWithoutExceptionKeepsItsResultAndShowsNothing)
{
    testsupport::ScriptedInteraction ui;
    const platform::Messages messages = makeEditorMessages(ui);
    for (const bool handled : {true, false})
        EXPECT_EQ(deliverReportingExceptions([handled] { return handled; }, &messages), handled);
    // Before the messages exist an exception is only logged.
    EXPECT_FALSE(deliverReportingExceptions([]() -> bool { throw std::runtime_error("early"); }, nullptr));
    EXPECT_TRUE(ui.prompts().empty());
}

} // namespace
