// The welcome window's rules without widgets: what it does after the recording window, the keys,
// its file dialogs, its place on the screen, the file a received block names, and the boxes held
// back while the program starts.
#include "recorder/NextAction.h"
#include "recorder/ProactiveRules.h"
#include "recorder/StartInteraction.h"

#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QtEndian>

#include <cstring>

using namespace recorder;

namespace {

TEST(NextAction, WhatTheWelcomeWindowDoesAfterTheRecordingWindow)
{
    struct Case {
        QString value;
        AfterRecording after;
    };
    const Case cases[] = {
        {"", AfterRecording::ShowWelcome},
        {"STAY_ON_WELCOME_SCREEN", AfterRecording::ShowWelcome},
        {"stay_on_welcome_screen", AfterRecording::AskTypeThenBuilder},
        {"LAUNCH_NEW_XVQ", AfterRecording::OpenEmptyBuilder},
        {"launch_new_xvq", AfterRecording::AskTypeThenBuilder},
        {"LAUNCH_NEW_XVQ ", AfterRecording::AskTypeThenBuilder},
        {"/home/zoë/mix.mp3", AfterRecording::AskTypeThenBuilder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        EXPECT_EQ(afterRecording(c.value), c.after);
    }
}

// A command that leaves the recording window for a road decides; the unloading at close that
// follows offers its file only when nothing was decided; a new recording window starts afresh.
TEST(NextAction, ALeavingCommandsChoiceIsNotOverwrittenAtClose)
{
    clearNextAction();
    offerNextAction(QStringLiteral("/w/take.wav"));
    EXPECT_EQ(nextAction(), QStringLiteral("/w/take.wav"));
    offerNextAction(QStringLiteral("/w/mix.mp3"));
    EXPECT_EQ(nextAction(), QStringLiteral("/w/mix.mp3"));

    setNextAction(kLaunchNewXvq);
    offerNextAction(QString());
    offerNextAction(QStringLiteral("/w/take.wav"));
    EXPECT_EQ(nextAction(), kLaunchNewXvq);
    setNextAction(kStayOnWelcomeScreen);
    EXPECT_EQ(nextAction(), kStayOnWelcomeScreen);

    clearNextAction();
    EXPECT_EQ(nextAction(), QString());
    offerNextAction(QStringLiteral("/w/take.wav"));
    EXPECT_EQ(nextAction(), QStringLiteral("/w/take.wav"));
    clearNextAction();
}

TEST(WelcomeRules, KeysROAndAStartTheRoads)
{
    const std::pair<int, WelcomeRoad> cases[] = {
        {Qt::Key_R, WelcomeRoad::RecordNew},     {Qt::Key_O, WelcomeRoad::OpenExisting},
        {Qt::Key_A, WelcomeRoad::FromAudioFile}, {Qt::Key_C, WelcomeRoad::None},
        {Qt::Key_Escape, WelcomeRoad::None},     {Qt::Key_Return, WelcomeRoad::None},
        {Qt::Key_Alt, WelcomeRoad::None},        {0, WelcomeRoad::None},
    };
    for (const auto& [key, road] : cases) {
        SCOPED_TRACE(key);
        EXPECT_EQ(roadForKey(key), road);
    }
}

TEST(WelcomeRules, TheBuilderRoadsOpenExistingFilesOfTheirKinds)
{
    const platform::FileDialogRequest audio = audioFileRequest();
    EXPECT_EQ(audio.title, QStringLiteral("Select Audio File"));
    EXPECT_EQ(audio.filter, QStringLiteral("MP3 Files (*.mp3)|*.mp3|Wave Files (*.wav)|*.wav|WMA Files (*.WMA)|*.wma"));
    const platform::FileDialogRequest podcast = podcastFileRequest();
    EXPECT_EQ(podcast.title, QStringLiteral("Select Podcast File"));
    EXPECT_EQ(podcast.filter, QStringLiteral("PDI Files (*.pdi) | *.pdi|XML Files (*.xml) | *.XML"));
    for (const platform::FileDialogRequest& request : {audio, podcast}) {
        EXPECT_TRUE(request.fileMustExist);
        EXPECT_FALSE(request.multiSelect);
        EXPECT_FALSE(request.overwritePrompt);
        EXPECT_TRUE(request.fileName.isEmpty());
        EXPECT_EQ(request.filterIndex, 1);
    }
}

TEST(WelcomeRules, TheWindowIsCentredOnTheAvailableArea)
{
    struct Case {
        QRect available;
        QSize frame;
        QPoint topLeft;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1080}, {560, 441}, {680, 319}},
        {{0, 32, 1280, 992}, {561, 440}, {359, 308}},
        {{1920, 0, 1024, 768}, {560, 440}, {2152, 164}},
        {{0, 0, 800, 400}, {900, 500}, {0, 0}},
        {{100, 50, 640, 480}, {640, 480}, {100, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.available.x() << "," << c.frame.width());
        EXPECT_EQ(centredTopLeft(c.available, c.frame), c.topLeft);
    }
}

// A block from outside is read within its slots; the recorder's sender fills the first only.
TEST(WelcomeRules, AReceivedBlockNamesAFileOnlyWhenItsFirstSlotNamesOneThatExists)
{
    const QString folder = testsupport::testFolder();
    const QString present = folder + "/take.mp3";
    const QString other = folder + "/other.mp3";
    for (const QString& path : {present, other}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const auto block = [](uint32_t count, const std::vector<QByteArray>& texts) {
        QByteArray bytes(platform::kArgumentBlockSize, '\0');
        for (size_t i = 0; i < texts.size(); ++i)
            std::memcpy(bytes.data() + i * platform::kArgumentSlotSize, texts[i].constData(),
                        size_t(std::min<qsizetype>(texts[i].size(), platform::kArgumentSlotSize)));
        qToLittleEndian<uint32_t>(count, bytes.data() + platform::kArgumentCountOffset);
        return bytes;
    };
    struct Case {
        const char* name;
        QByteArray bytes;
        QString chosen;
    };
    const Case cases[] = {
        {"an existing file", block(1, {present.toUtf8()}), present},
        {"a missing file", block(1, {(folder + "/gone.mp3").toUtf8()}), {}},
        {"a folder", block(1, {folder.toUtf8()}), {}},
        {"count 0", block(0, {present.toUtf8()}), {}},
        {"a count past the recorder's one argument", block(2, {(folder + "/gone.mp3").toUtf8(), other.toUtf8()}), {}},
        {"a count past the slots", block(0xFFFFFFFF, {present.toUtf8(), other.toUtf8()}), present},
        {"an unterminated slot", block(1, {QByteArray(256, 'a')}), {}},
        {"a short block", present.toUtf8(), {}},
        {"nothing", QByteArray(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(chosenAudioFile(platform::ArgumentBlock::parse(c.bytes)), c.chosen);
    }
}

TEST(StartInteraction, HeldTextsReachOnlyTheLog)
{
    testsupport::ScriptedInteraction ui;
    StartInteraction start(ui);
    start.holdTexts({QStringLiteral("no device"), QStringLiteral("no other device")});
    EXPECT_EQ(start.messageBox(QStringLiteral("no device"), {}, platform::MB_ICONERROR), platform::IDCANCEL);
    EXPECT_TRUE(ui.prompts().empty());

    ui.expectMessageBox(platform::IDOK, QStringLiteral("temporary folder"));
    EXPECT_EQ(start.messageBox(QStringLiteral("The temporary folder is gone"), {}, platform::MB_OK), platform::IDOK);
    ui.expectOpenFile({true, {QStringLiteral("/a.mp3")}, 1});
    EXPECT_TRUE(start.openFile({}).accepted);

    start.holdTexts({});
    ui.expectMessageBox(platform::IDOK, QStringLiteral("no device"));
    start.messageBox(QStringLiteral("no device"), {}, platform::MB_ICONERROR);
    EXPECT_EQ(ui.prompts().size(), 3u);
    EXPECT_TRUE(ui.allConsumed());
}

} // namespace
