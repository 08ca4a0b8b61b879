#include "editor/InstanceStart.h"

#include "common/EditorMessages.h"
#include "platform/messaging/FakeMessaging.h"
#include "platform/messaging/ProgramWindows.h"

#include "tests/support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

using namespace platform;

namespace {

TEST(EditorStart, WhatAStartDoesFollowsFromWhatItLearnt)
{
    struct Case {
        InstanceState claim;
        bool arguments;
        bool window;
        int answer;
        StartOutcome outcome;
    };
    const Case cases[] = {
        {InstanceState::First, false, false, 0, StartOutcome::RunAsFirst},
        {InstanceState::First, true, true, 1, StartOutcome::RunAsFirst},
        {InstanceState::Second, false, false, 0, StartOutcome::EndQuietly},
        {InstanceState::Second, false, true, 0, StartOutcome::EndQuietly},
        {InstanceState::Second, true, false, 0, StartOutcome::Refused},
        {InstanceState::Second, true, true, 0, StartOutcome::Refused},
        {InstanceState::Second, true, true, 1, StartOutcome::HandedOver},
        {InstanceState::Failed, false, false, 0, StartOutcome::RunAsFirst},
        {InstanceState::Failed, true, false, 0, StartOutcome::RunAsFirst},
        {InstanceState::Failed, false, true, 0, StartOutcome::EndQuietly},
        {InstanceState::Failed, true, true, 0, StartOutcome::Refused},
        {InstanceState::Failed, true, true, 1, StartOutcome::HandedOver},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.claim) << c.arguments << c.window << c.answer);
        EXPECT_EQ(startOutcome({c.claim, c.arguments, c.window, c.answer}), c.outcome);
    }
}

class EditorStartOnADesktop : public testing::Test {
protected:
    FakeDesktop desktop;
    FakeMessaging first{desktop};
    FakeMessaging second{desktop};
    FakeWindow editor{QStringLiteral("Vexal Audio Zuq Editor: Voice Track")};
    FakeWindow recorder{QStringLiteral("Recording - Wexo Ravadur")};
    std::unique_ptr<WindowRegistration> recorderWindow = first.registerWindow(kRecordingWindowClass, recorder);

    // The first start, with its window up.
    StartResult runFirst()
    {
        StartResult result = startEditor(first, {}, QStringLiteral("/"));
        m_editorWindow = first.registerWindow(kEditorMainWindowClass, editor);
        return result;
    }

    std::vector<FakeWindow::Message> recorderMessages()
    {
        QCoreApplication::processEvents();
        return recorder.messages();
    }

private:
    std::unique_ptr<WindowRegistration> m_editorWindow;
};

TEST_F(EditorStartOnADesktop, TheFirstStartKeepsTheClaimAndReadsItsOwnFiles)
{
    const StartResult result =
        startEditor(first, {"take 1.wav", "/NoSplash", "/MusicTrack"}, QStringLiteral("/home/zoë"));
    EXPECT_EQ(result.outcome, StartOutcome::RunAsFirst);
    ASSERT_TRUE(result.claim);
    EXPECT_EQ(result.claim->state(), InstanceState::First);
    EXPECT_EQ(result.commandLine.files, QStringList{"/home/zoë/take 1.wav"});
    EXPECT_TRUE(result.commandLine.musicTrack);
    EXPECT_EQ(startEditor(second, {}, QStringLiteral("/")).outcome, StartOutcome::EndQuietly);
}

TEST_F(EditorStartOnADesktop, ASecondStartWithoutArgumentsEndsAndSendsNothing)
{
    const StartResult held = runFirst();
    for (const QStringList& arguments : {QStringList{}, QStringList{"/NoSplash"}, QStringList{""}}) {
        const StartResult result = startEditor(second, arguments, QStringLiteral("/"));
        EXPECT_EQ(result.outcome, StartOutcome::EndQuietly);
        EXPECT_FALSE(result.claim);
    }
    EXPECT_TRUE(editor.copies().empty());
    EXPECT_TRUE(recorderMessages().empty());
}

TEST_F(EditorStartOnADesktop, ASecondStartHandsItsFilesOverAbsolute)
{
    const StartResult held = runFirst();
    const StartResult result =
        startEditor(second, {"Müsik/voice take.wav", "/NoSplash", "/VoiceTrack"}, QStringLiteral("/home/zoë"));
    EXPECT_EQ(result.outcome, StartOutcome::HandedOver);
    EXPECT_FALSE(result.claim);
    ASSERT_EQ(editor.copies().size(), 1u);
    EXPECT_EQ(editor.copies()[0].dwData, 2u);
    const EditorCommandLine sent = readArgumentBlock(ArgumentBlock::parse(editor.copies()[0].data));
    EXPECT_EQ(sent.files, QStringList{"/home/zoë/Müsik/voice take.wav"});
    EXPECT_TRUE(sent.voiceTrack);
    EXPECT_TRUE(recorderMessages().empty());
}

TEST_F(EditorStartOnADesktop, ARefusedTrackIsGivenBackToTheRecorderAndAnyOtherRefusalLeavesItAlone)
{
    const StartResult held = runFirst();
    editor.setAnswer(false);
    struct Case {
        QStringList arguments;
        size_t told;
    };
    const Case cases[] = {
        {{"/a.wav", "/NoSplash", "/VoiceTrack"}, 1},
        {{"/a.wav", "/NoSplash", "/MusicTrack"}, 1},
        {{"/a.wav"}, 0},
        {{"/a.wav", "/Unsaved"}, 0},
    };
    size_t told = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        EXPECT_EQ(startEditor(second, c.arguments, QStringLiteral("/")).outcome, StartOutcome::Refused);
        told += c.told;
        const auto messages = recorderMessages();
        ASSERT_EQ(messages.size(), told);
        if (c.told) {
            EXPECT_EQ(messages.back().message, kRecorderEditorBusyMessage);
            EXPECT_EQ(messages.back().wParam, 0);
        }
    }
}

TEST_F(EditorStartOnADesktop, ASecondStartThatFindsNoWindowIsRefusedAndAHungOneToo)
{
    const StartResult claim = startEditor(first, {}, QStringLiteral("/"));
    EXPECT_EQ(startEditor(second, {"/a.wav", "/MusicTrack"}, QStringLiteral("/")).outcome, StartOutcome::Refused);
    EXPECT_EQ(recorderMessages().size(), 1u);

    auto window = first.registerWindow(kEditorMainWindowClass, editor);
    desktop.setHung(window->handle(), true);
    EXPECT_EQ(startEditor(second, {"/a.wav"}, QStringLiteral("/")).outcome, StartOutcome::Refused);
    EXPECT_TRUE(editor.copies().empty());
}

TEST_F(EditorStartOnADesktop, AFailedClaimRunsAsFirstUnlessAnEditorAnswers)
{
    desktop.setClaimsFail(true);
    const StartResult alone = startEditor(first, {"/a.wav"}, QStringLiteral("/"));
    EXPECT_EQ(alone.outcome, StartOutcome::RunAsFirst);
    EXPECT_EQ(alone.commandLine.files, QStringList{"/a.wav"});

    auto window = first.registerWindow(kEditorMainWindowClass, editor);
    EXPECT_EQ(startEditor(second, {"/a.wav"}, QStringLiteral("/")).outcome, StartOutcome::HandedOver);
    EXPECT_EQ(editor.copies().size(), 1u);
}

// A path too long for its slot (300 two-byte characters) refuses the whole hand-over: nothing is
// sent, and a track the recorder handed over goes back to it.
TEST_F(EditorStartOnADesktop, AnArgumentTooLongForItsSlotRefusesTheHandOver)
{
    const StartResult held = runFirst();
    const QString tooLong = QStringLiteral("/") + QString(300, QChar(u'é'));
    struct Case {
        QStringList arguments;
        size_t told;
    };
    const Case cases[] = {
        {{tooLong, "/b.wav"}, 0},
        {{"/b.wav", tooLong}, 0},
        {{tooLong, "/NoSplash", "/VoiceTrack"}, 1},
    };
    size_t told = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.size());
        EXPECT_EQ(startEditor(second, c.arguments, QStringLiteral("/")).outcome, StartOutcome::Refused);
        told += c.told;
        EXPECT_EQ(recorderMessages().size(), told);
    }
    EXPECT_TRUE(editor.copies().empty());
}

TEST(EditorStart, ARefusedStartSaysTheEditorIsBusyUnderItsCaption)
{
    testsupport::ScriptedInteraction ui;
    ui.expectMessageBox(IDOK);
    showHandOverRefused(makeEditorMessages(ui));
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].text,
              QStringLiteral("ZuqEditor is busy performing some task. Please make sure that "
                             "ZuqEditor is idle, and try to open this file again."));
    EXPECT_EQ(ui.prompts()[0].caption, QStringLiteral("Vexal Audio Zuq Editor"));
    EXPECT_EQ(ui.prompts()[0].flags, MB_OK);
}

} // namespace
