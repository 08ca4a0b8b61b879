// The recorder's start without windows: what a start does from what it learnt, the hand-over of a
// later start's file to a running welcome window (on messaging in memory), and the boxes that tell
// the person who started it when nothing was handed over.
#include "recorder/RecorderStart.h"

#include "common/ErrCodes.h"
#include "platform/messaging/FakeMessaging.h"
#include "platform/messaging/ProgramWindows.h"

#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QtEndian>

using namespace platform;
using namespace recorder;

namespace {

using Outcome = RecorderStartOutcome;

TEST(RecorderStart, WhatAStartDoesFollowsFromWhatItLearnt)
{
    struct Case {
        InstanceState claim;
        bool arguments;
        bool fits;
        bool found;
        bool ready;
        int answer;
        Outcome outcome;
    };
    const auto F = InstanceState::First;
    const auto S = InstanceState::Second;
    const auto X = InstanceState::Failed;
    const Case cases[] = {
        {F, false, true, false, false, 0, Outcome::RunAsFirst},
        {F, true, false, true, true, 1, Outcome::RunAsFirst},
        {S, false, true, true, true, 0, Outcome::EndQuietly},
        {S, false, true, false, false, 0, Outcome::EndQuietly},
        {S, true, false, true, true, 0, Outcome::TooLong},
        {S, true, true, false, false, 0, Outcome::Refused},
        {S, true, true, true, false, 0, Outcome::Busy},
        {S, true, true, true, true, 0, Outcome::Refused},
        {S, true, true, true, true, 1, Outcome::HandedOver},
        {X, true, true, false, false, 0, Outcome::RunAsFirst},
        {X, false, true, true, true, 0, Outcome::EndQuietly},
        {X, true, true, true, false, 0, Outcome::Busy},
        {X, true, true, true, true, 1, Outcome::HandedOver},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.claim) << c.arguments << c.fits << c.found << c.ready << c.answer);
        EXPECT_EQ(recorderStartOutcome({c.claim, c.arguments, c.fits, c.found, c.ready, c.answer}), c.outcome);
    }
}

TEST(RecorderStart, TheRecorderHandsOverItsFirstFileWhereverNoSplashStands)
{
    const QString tooLong = QStringLiteral("/") + QString(300, QChar(u'é'));
    struct Case {
        QStringList arguments;
        uint32_t count;
        QString slot0;
        bool refused;
    };
    const Case cases[] = {
        {{}, 0, {}, false},
        {{"/NoSplash"}, 0, {}, false},
        {{"/NoSplash", "/w/x.mp3"}, 1, "/w/x.mp3", false},
        {{"/w/x.mp3", "/NoSplash"}, 1, "/w/x.mp3", false},
        {{"/w/a.mp3", "/w/b.mp3"}, 1, "/w/a.mp3", false},
        {{"/nosplash"}, 1, "/nosplash", false},
        {{tooLong}, 1, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').left(40).toStdString());
        const BuiltArgumentBlock built = recorderArgumentBlock(c.arguments);
        EXPECT_EQ(built.count, c.count);
        EXPECT_EQ(!built.refused.isEmpty(), c.refused);
        const ArgumentBlock parsed = ArgumentBlock::parse(built.bytes);
        EXPECT_EQ(parsed.count(), c.count);
        EXPECT_EQ(parsed.slot(0), c.slot0);
        EXPECT_EQ(parsed.slot(1), QString());
    }
}

TEST(RecorderStart, FilesAreMadeAbsoluteAgainstTheStartsFolder)
{
    EXPECT_EQ(absoluteRecorderArguments({"take.mp3", "/NoSplash", "", "../b/./c.wav", "/abs/d.mp3"},
                                        QStringLiteral("/home/zoë/pods")),
              QStringList({"/home/zoë/pods/take.mp3", "/NoSplash", "", "/home/zoë/b/c.wav", "/abs/d.mp3"}));
}

class RecorderStartOnADesktop : public testing::Test {
protected:
    FakeDesktop desktop;
    FakeMessaging first{desktop};
    FakeMessaging second{desktop};
    FakeWindow welcome{QString::fromLatin1(kWelcomeCaption)};
    std::unique_ptr<InstanceClaim> claim = first.claimInstance(QString(kRecorderInstanceName));
    std::unique_ptr<WindowRegistration> registration;
    int waits = 0;

    void SetUp() override { ASSERT_EQ(claim->state(), InstanceState::First); }

    void showWelcome() { registration = first.registerWindow(kRecorderWelcomeWindowClass, welcome); }

    // A wait that lets the running recorder's window come up after `after` waits (never: -1).
    WindowWait waitUntilWindowAfter(int after, int limit = 40)
    {
        return [this, after, limit] {
            ++waits;
            if (waits == after)
                showWelcome();
            return waits < limit;
        };
    }

    RecorderStartResult start(const QStringList& arguments, const QString& folder = QStringLiteral("/w"))
    {
        return startRecorder(second, arguments, folder, waitUntilWindowAfter(-1, 3));
    }

    std::vector<ArgumentBlock> received() const
    {
        std::vector<ArgumentBlock> blocks;
        for (const FakeWindow::CopyData& copy : welcome.copies()) {
            blocks.push_back(ArgumentBlock::parse(copy.data));
            EXPECT_EQ(copy.dwData, blocks.back().count());
            EXPECT_EQ(copy.data.size(), kArgumentBlockSize);
        }
        return blocks;
    }
};

TEST_F(RecorderStartOnADesktop, TheFirstStartKeepsTheClaimAndItsCommandLine)
{
    claim.reset();
    const RecorderStartResult result = startRecorder(first, {"take.mp3", "/NoSplash"}, QStringLiteral("/home/zoë"),
                                                     waitUntilWindowAfter(-1));
    EXPECT_EQ(result.outcome, Outcome::RunAsFirst);
    ASSERT_TRUE(result.claim);
    EXPECT_EQ(result.claim->state(), InstanceState::First);
    EXPECT_EQ(result.arguments, QStringList({"/home/zoë/take.mp3", "/NoSplash"}));
    EXPECT_EQ(start({}).outcome, Outcome::EndQuietly);
    EXPECT_EQ(waits, 0);
}

TEST_F(RecorderStartOnADesktop, ASecondStartHandsOverItsFileMadeAbsolute)
{
    showWelcome();
    struct Case {
        QStringList arguments;
        uint32_t count;
        QString handed;
    };
    const Case cases[] = {
        {{"Müsik/take 1.mp3"}, 1, "/home/zoë/Müsik/take 1.mp3"},
        {{"/NoSplash", "x.mp3"}, 1, "/home/zoë/x.mp3"},
        {{"a.mp3", "b.mp3"}, 1, "/home/zoë/a.mp3"},
        {{"/NoSplash"}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const RecorderStartResult result = start(c.arguments, QStringLiteral("/home/zoë"));
        EXPECT_EQ(result.outcome, Outcome::HandedOver);
        EXPECT_FALSE(result.claim);
        const std::vector<ArgumentBlock> blocks = received();
        ASSERT_FALSE(blocks.empty());
        EXPECT_EQ(blocks.back().count(), c.count);
        EXPECT_EQ(blocks.back().slot(0), c.handed);
    }
    EXPECT_EQ(received().size(), std::size(cases));
}

TEST_F(RecorderStartOnADesktop, NothingIsSentWithoutArgumentsToABusyWindowOrForANameTooLong)
{
    showWelcome();
    EXPECT_EQ(start({}).outcome, Outcome::EndQuietly);

    const RecorderStartResult tooLong = start({QStringLiteral("/") + QString(256, QChar(u'a'))});
    EXPECT_EQ(tooLong.outcome, Outcome::TooLong);
    EXPECT_EQ(tooLong.tooLong, QStringLiteral("/") + QString(256, QChar(u'a')));

    welcome.setVisible(false);
    EXPECT_EQ(start({"a.mp3"}).outcome, Outcome::Busy);
    welcome.setVisible(true);
    welcome.setEnabled(false);
    EXPECT_EQ(start({"a.mp3"}).outcome, Outcome::Busy);
    EXPECT_TRUE(welcome.copies().empty());

    welcome.setEnabled(true);
    welcome.setAnswer(false);
    EXPECT_EQ(start({"a.mp3"}).outcome, Outcome::Refused);
    EXPECT_EQ(welcome.copies().size(), 1u);
}

TEST_F(RecorderStartOnADesktop, TheCaptionMustNameTheRecorderWithItsCase)
{
    welcome.setCaption(QStringLiteral("Welcome to WEXO RAVADUR"));
    showWelcome();
    EXPECT_EQ(start({"a.mp3"}).outcome, Outcome::Refused);
    welcome.setCaption(QStringLiteral("Wexo Ravadur"));
    EXPECT_EQ(start({"a.mp3"}).outcome, Outcome::HandedOver);

    // The class is compared without case.
    registration.reset();
    FakeWindow other{QString::fromLatin1(kWelcomeCaption)};
    const auto upper = first.registerWindow(QStringLiteral("COM.DROVANE.DIVUZUV"), other);
    EXPECT_EQ(start({"a.mp3"}).outcome, Outcome::HandedOver);
    EXPECT_EQ(other.copies().size(), 1u);
}

// A start that comes while the running recorder is still starting waits for its welcome window.
TEST_F(RecorderStartOnADesktop, ASecondStartWaitsForAWelcomeWindowThatIsStillComing)
{
    const RecorderStartResult result = startRecorder(second, {"a.mp3"}, QStringLiteral("/w"), waitUntilWindowAfter(3));
    EXPECT_EQ(result.outcome, Outcome::HandedOver);
    EXPECT_EQ(waits, 3);
    ASSERT_EQ(received().size(), 1u);
    EXPECT_EQ(received()[0].slot(0), QStringLiteral("/w/a.mp3"));

    registration.reset();
    waits = 0;
    EXPECT_EQ(startRecorder(second, {"a.mp3"}, QStringLiteral("/w"), waitUntilWindowAfter(-1, 5)).outcome,
              Outcome::Refused);
    EXPECT_EQ(waits, 5);
    waits = 0;
    EXPECT_EQ(startRecorder(second, {}, QStringLiteral("/w"), waitUntilWindowAfter(-1, 5)).outcome,
              Outcome::EndQuietly);
    EXPECT_EQ(waits, 0);
}

TEST_F(RecorderStartOnADesktop, AFailedClaimRunsAsFirstUnlessAWelcomeWindowAnswers)
{
    desktop.setClaimsFail(true);
    const RecorderStartResult alone = start({"a.mp3"});
    EXPECT_EQ(alone.outcome, Outcome::RunAsFirst);
    EXPECT_EQ(alone.arguments, QStringList{"/w/a.mp3"});
    EXPECT_EQ(waits, 0);
    showWelcome();
    EXPECT_EQ(start({"a.mp3"}).outcome, Outcome::HandedOver);
    EXPECT_EQ(received().size(), 1u);
}

TEST(RecorderStart, AStartThatHandsNothingOverSaysWhy)
{
    const QString tooLong = QStringLiteral("/") + QString(300, QChar(u'x'));
    struct Case {
        Outcome outcome;
        QString text; // empty: no box
    };
    const Case cases[] = {
        {Outcome::Busy, "It seems that your application is busy performing some other task. Please close any Yqm "
                        "window before you podcast your conversation."},
        {Outcome::Refused, "Wexo Ravadur is currently busy performing another task. Please make sure \n that Wexo "
                           "Ravadur is idle before performing this operation."},
        {Outcome::TooLong, argumentTooLongText(tooLong)},
        {Outcome::RunAsFirst, {}},
        {Outcome::EndQuietly, {}},
        {Outcome::HandedOver, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.outcome));
        testsupport::ScriptedInteraction ui;
        if (!c.text.isEmpty())
            ui.expectMessageBox(IDOK);
        RecorderStartResult result;
        result.outcome = c.outcome;
        result.tooLong = tooLong;
        showStartOutcome(makeRecorderMessages(ui), result);
        ASSERT_EQ(ui.prompts().size(), c.text.isEmpty() ? 0u : 1u);
        if (c.text.isEmpty())
            continue;
        EXPECT_EQ(ui.prompts()[0].text, c.text);
        EXPECT_EQ(ui.prompts()[0].caption, QStringLiteral("Wexo Ravadur"));
        EXPECT_EQ(ui.prompts()[0].flags, MB_OK | MB_ICONINFORMATION);
    }
    EXPECT_TRUE(argumentTooLongText(tooLong).contains(tooLong));
}

} // namespace
