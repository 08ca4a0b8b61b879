// The welcome window offscreen, driven by keys and the mouse as a user would, with the recording
// window, the podcast-type question and the podcast builder replaced by fakes that note what they
// were asked and whether the welcome window was in sight meanwhile; the file dialogs are scripted.
#include "recorder/ModalRun.h"
#include "recorder/NextAction.h"
#include "recorder/Proactive.h"
#include "recorder/RecorderStart.h"

#include "common/ErrCodes.h"
#include "platform/messaging/FakeMessaging.h"
#include "platform/messaging/ProgramWindows.h"

#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <deque>

using namespace platform;
using namespace recorder;

namespace {

struct BuilderCall {
    QString road; // "empty", "new" or "existing"
    QString file;
    int type = -1;
    bool welcomeVisible = true;
    friend bool operator==(const BuilderCall&, const BuilderCall&) = default;
};

std::ostream& operator<<(std::ostream& out, const BuilderCall& call)
{
    return out << call.road.toStdString() << "(" << call.file.toStdString() << ", " << call.type << ", "
               << (call.welcomeVisible ? "welcome shown" : "welcome hidden") << ")";
}

class FakeBuilder : public BuilderRoads {
public:
    void ShowXvq(QWidget* parent) override { calls.push_back({"empty", {}, -1, parent->isVisible()}); }
    void ShowXvqForNewPodcast(QWidget* parent, const QString& audioFile, int podcastType) override
    {
        calls.push_back({"new", audioFile, podcastType, parent->isVisible()});
    }
    void ShowXvqForExistingPodcast(QWidget* parent, const QString& podcastFile) override
    {
        calls.push_back({"existing", podcastFile, -1, parent->isVisible()});
    }

    std::vector<BuilderCall> calls;
};

class WelcomeWindowTest : public testing::Test {
protected:
    void make(const QStringList& arguments = {})
    {
        const ProactiveServices services{
            messages,
            builder,
            [this](QWidget* welcome) {
                recordingShown.push_back(welcome->isVisible());
                clearNextAction();
                if (!leaveNextAction.isEmpty())
                    setNextAction(leaveNextAction);
            },
            [this](QWidget* welcome) {
                typeAskedShown.push_back(welcome->isVisible());
                if (typeAnswers.empty()) {
                    ADD_FAILURE() << "the podcast type was asked unexpectedly";
                    return -1;
                }
                const int answer = typeAnswers.front();
                typeAnswers.pop_front();
                return answer;
            },
            &messaging,
            arguments};
        form = std::make_unique<TProactiveForm>(services);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    QWidget* named(const char* name) const
    {
        auto* widget = form->findChild<QWidget*>(QString::fromLatin1(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }

    // The road that is lit, -1 when none; fails when a road's picture and label disagree.
    int litRoad() const
    {
        const std::array<std::array<QLabel*, 3>, 3> roads = {{
            {form->NewPodcastImage, form->UpNewPodcastImage, form->RecordNewLabel},
            {form->OpenExistingPodcastImage, form->UpOpenExistingPodcastImage, form->ExistingPodcastLabel},
            {form->PodcastFromExistingAudioImage, form->UpPodcastFromExistingAudioImage, form->ExistingAudioLabel},
        }};
        int lit = -1;
        for (int i = 0; i < 3; ++i) {
            const auto& [rest, up, label] = roads[size_t(i)];
            const QColor colour = label->palette().color(QPalette::WindowText);
            const bool on = up->isVisible();
            EXPECT_NE(rest->isVisible(), on) << i;
            EXPECT_EQ(colour, on ? QColor(Qt::white) : QColor(Qt::black)) << i;
            if (on) {
                EXPECT_EQ(lit, -1) << "two roads lit";
                lit = i;
            }
        }
        return lit;
    }

    void moveOver(QWidget* widget)
    {
        QTest::mouseMove(widget, widget->rect().center());
        QCoreApplication::processEvents();
    }

    // Something the welcome window should do nothing about: no prompt, no fake called.
    void expectNothingHappened()
    {
        QCoreApplication::processEvents();
        EXPECT_TRUE(ui.prompts().empty());
        EXPECT_TRUE(recordingShown.empty());
        EXPECT_TRUE(typeAskedShown.empty());
        EXPECT_TRUE(builder.calls.empty());
        EXPECT_TRUE(form->isVisible());
    }

    QString existingFile(const QString& name)
    {
        const QString path = folder + "/" + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }

    testsupport::ScriptedInteraction ui;
    const Messages messages = makeRecorderMessages(ui);
    FakeBuilder builder;
    FakeDesktop desktop;
    FakeMessaging messaging{desktop};
    FakeMessaging laterStart{desktop};
    const std::unique_ptr<InstanceClaim> claim = messaging.claimInstance(QString(kRecorderInstanceName));
    QString leaveNextAction;
    std::deque<int> typeAnswers;
    std::vector<bool> recordingShown;
    std::vector<bool> typeAskedShown;
    QString folder = testsupport::testFolder();
    std::unique_ptr<TProactiveForm> form;
};

TEST_F(WelcomeWindowTest, ItIsTheNamedWelcomeWindowCentredOnTheScreen)
{
    make();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Welcome to Wexo Ravadur"));
    EXPECT_EQ(QApplication::applicationDisplayName(), QStringLiteral("Wexo Ravadur"));
    const std::pair<const char*, const char*> labels[] = {
        {"RecordNewLabel", "&Record A New Podcast"},
        {"ExistingPodcastLabel", "&Open An Existing Podcast or Podcast Series"},
        {"ExistingAudioLabel", "Create Podcast From Existing &Audio File"},
    };
    for (const auto& [name, text] : labels)
        EXPECT_EQ(static_cast<QLabel*>(named(name))->text(), QString::fromLatin1(text));
    EXPECT_EQ(static_cast<QPushButton*>(named("CloseButton"))->text(), QStringLiteral("&Close"));
    EXPECT_EQ(litRoad(), -1);
    const QRect available = form->screen()->availableGeometry();
    EXPECT_EQ(form->frameGeometry().topLeft(), centredTopLeft(available, form->frameGeometry().size()));
    const std::optional<FoundWindow> found =
        laterStart.findWindow(kRecorderWelcomeWindowClass, QStringLiteral("Wexo Ravadur"), CaptionMatch::Contains);
    ASSERT_TRUE(found);
    EXPECT_TRUE(found->info.visible);
    EXPECT_TRUE(found->info.enabled);
}

TEST_F(WelcomeWindowTest, KeysStartTheirRoadsWhenReleasedWithAnyShiftState)
{
    make();
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int recordings; // recording windows run after this key
        const char* dialog; // the file dialog's title, none: no dialog
    };
    const Case cases[] = {
        {Qt::Key_R, Qt::NoModifier, 1, nullptr},
        {Qt::Key_R, Qt::ShiftModifier, 2, nullptr},
        {Qt::Key_O, Qt::NoModifier, 2, "Select Podcast File"},
        {Qt::Key_O, Qt::ShiftModifier, 2, "Select Podcast File"},
        {Qt::Key_A, Qt::NoModifier, 2, "Select Audio File"},
        {Qt::Key_A, Qt::ShiftModifier | Qt::AltModifier, 2, "Select Audio File"},
        {Qt::Key_C, Qt::NoModifier, 2, nullptr},
        {Qt::Key_Space, Qt::NoModifier, 2, nullptr},
    };
    size_t dialogs = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << QKeySequence(c.key).toString().toStdString() << int(c.modifiers));
        QTest::keyPress(form.get(), c.key, c.modifiers);
        EXPECT_EQ(ui.prompts().size(), dialogs) << "a key acted when pressed";
        if (c.dialog)
            ui.expectOpenFile({}, QString::fromLatin1(c.dialog));
        QTest::keyRelease(form.get(), c.key, c.modifiers);
        dialogs += c.dialog ? 1 : 0;
        EXPECT_EQ(ui.prompts().size(), dialogs);
        EXPECT_EQ(recordingShown.size(), size_t(c.recordings));
        EXPECT_TRUE(form->isVisible());
    }
    EXPECT_TRUE(builder.calls.empty());
    EXPECT_TRUE(typeAskedShown.empty());

    // A release whose press went to another window (a dialog's accelerator that closed it).
    QTest::keyRelease(form.get(), Qt::Key_O, Qt::AltModifier);
    QTest::keyRelease(form.get(), Qt::Key_R);
    EXPECT_EQ(ui.prompts().size(), dialogs);
    EXPECT_EQ(recordingShown.size(), 2u);
}

TEST_F(WelcomeWindowTest, TheMouseLightsTheRoadItIsOverAndTheBareWindowPutsItOut)
{
    make();
    struct Step {
        QLabel* TProactiveForm::*over; // null: the bare window
        int lit;
    };
    const Step steps[] = {
        {&TProactiveForm::NewPodcastImage, 0},
        {&TProactiveForm::UpNewPodcastImage, 0},
        {&TProactiveForm::ExistingAudioLabel, 2},
        {&TProactiveForm::RecordNewLabel, 0},
        {nullptr, -1},
        {&TProactiveForm::OpenExistingPodcastImage, 1},
        {&TProactiveForm::ExistingPodcastLabel, 1},
        {&TProactiveForm::PodcastFromExistingAudioImage, 2},
        {nullptr, -1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.over ? (form.get()->*step.over)->objectName().toStdString() : "the bare window");
        if (step.over)
            moveOver(form.get()->*step.over);
        else
            QTest::mouseMove(form.get(), QPoint(form->width() - 4, form->height() / 2));
        QCoreApplication::processEvents();
        EXPECT_EQ(litRoad(), step.lit);
    }
    expectNothingHappened();
}

TEST_F(WelcomeWindowTest, ClicksActOnTheLitPicturesAndOnTheLabelsOnly)
{
    make();
    struct Case {
        QLabel* TProactiveForm::*hover; // moved over first; null: not
        QLabel* TProactiveForm::*click;
        Qt::MouseButton button;
        int recordings;
        const char* dialog;
    };
    const Case cases[] = {
        {nullptr, &TProactiveForm::NewPodcastImage, Qt::LeftButton, 0, nullptr},
        {&TProactiveForm::NewPodcastImage, &TProactiveForm::UpNewPodcastImage, Qt::LeftButton, 1, nullptr},
        {nullptr, &TProactiveForm::RecordNewLabel, Qt::LeftButton, 2, nullptr},
        {nullptr, &TProactiveForm::RecordNewLabel, Qt::RightButton, 2, nullptr},
        {&TProactiveForm::OpenExistingPodcastImage, &TProactiveForm::UpOpenExistingPodcastImage, Qt::LeftButton, 2,
         "Select Podcast File"},
        {nullptr, &TProactiveForm::ExistingPodcastLabel, Qt::LeftButton, 2, "Select Podcast File"},
        {&TProactiveForm::PodcastFromExistingAudioImage, &TProactiveForm::UpPodcastFromExistingAudioImage,
         Qt::LeftButton, 2, "Select Audio File"},
        {nullptr, &TProactiveForm::ExistingAudioLabel, Qt::LeftButton, 2, "Select Audio File"},
        {nullptr, &TProactiveForm::PodcastFromExistingAudioImage, Qt::LeftButton, 2, nullptr},
    };
    size_t dialogs = 0;
    for (const Case& c : cases) {
        QLabel* target = form.get()->*c.click;
        SCOPED_TRACE(target->objectName().toStdString());
        if (c.hover)
            moveOver(form.get()->*c.hover);
        ASSERT_TRUE(target->isVisible());
        if (c.dialog)
            ui.expectOpenFile({}, QString::fromLatin1(c.dialog));
        QTest::mouseClick(target, c.button, {}, target->rect().center());
        dialogs += c.dialog ? 1 : 0;
        EXPECT_EQ(ui.prompts().size(), dialogs);
        EXPECT_EQ(recordingShown.size(), size_t(c.recordings));
        QTest::mouseMove(form.get(), QPoint(form->width() - 4, form->height() / 2));
    }
    EXPECT_TRUE(builder.calls.empty());

    QTest::mouseClick(form->CloseButton, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(WelcomeWindowTest, APodcastFromAnAudioFileAsksTheTypeThenOpensTheBuilderWithoutTheWelcomeWindow)
{
    make();
    const QString take = existingFile("take.mp3");
    struct Case {
        bool chosen;
        std::optional<int> type; // none: not asked
        std::vector<BuilderCall> calls;
    };
    const Case cases[] = {
        {false, std::nullopt, {}},
        {true, -1, {}},
        {true, 0, {{"new", take, 0, false}}},
        {true, 1, {{"new", take, 1, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.chosen << c.type.value_or(-2));
        builder.calls.clear();
        typeAskedShown.clear();
        ui.expectOpenFile(c.chosen ? FileDialogResult{true, {take}, 1} : FileDialogResult{}, "Select Audio File");
        if (c.type)
            typeAnswers.push_back(*c.type);
        QTest::keyClick(form.get(), Qt::Key_A);
        EXPECT_EQ(typeAskedShown, c.type ? std::vector<bool>{true} : std::vector<bool>{});
        EXPECT_EQ(builder.calls, c.calls);
        EXPECT_TRUE(form->isVisible());
        const FileDialogRequest& asked = ui.prompts().back().request;
        EXPECT_EQ(asked.filter, audioFileRequest().filter);
        EXPECT_TRUE(asked.fileMustExist);
    }
}

TEST_F(WelcomeWindowTest, AnExistingPodcastOpensInTheBuilderWithoutATypeQuestion)
{
    make();
    const QString project = existingFile("show.pdi");
    ui.expectOpenFile({}, "Select Podcast File");
    QTest::keyClick(form.get(), Qt::Key_O);
    EXPECT_TRUE(builder.calls.empty());
    ui.expectOpenFile({true, {project}, 1}, "Select Podcast File");
    QTest::keyClick(form.get(), Qt::Key_O);
    EXPECT_EQ(builder.calls, std::vector<BuilderCall>({{"existing", project, -1, false}}));
    EXPECT_TRUE(typeAskedShown.empty());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(ui.prompts().back().request.filter, podcastFileRequest().filter);
}

TEST_F(WelcomeWindowTest, AfterTheRecordingWindowTheNextActionChoosesTheRoad)
{
    make();
    struct Case {
        QString next;
        std::optional<int> type; // none: not asked
        std::vector<BuilderCall> calls;
    };
    const Case cases[] = {
        {"", std::nullopt, {}},
        {"STAY_ON_WELCOME_SCREEN", std::nullopt, {}},
        {"LAUNCH_NEW_XVQ", std::nullopt, {{"empty", {}, -1, false}}},
        {"stay_on_welcome_screen", 1, {{"new", "stay_on_welcome_screen", 1, false}}},
        {"/w/mix.mp3", 0, {{"new", "/w/mix.mp3", 0, false}}},
        {"/w/mix.mp3", -1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.next.toStdString());
        builder.calls.clear();
        typeAskedShown.clear();
        recordingShown.clear();
        leaveNextAction = c.next;
        if (c.type)
            typeAnswers.push_back(*c.type);
        QTest::keyClick(form.get(), Qt::Key_R);
        EXPECT_EQ(recordingShown, std::vector<bool>{false}) << "started without a file, the welcome window hides";
        EXPECT_EQ(typeAskedShown, c.type ? std::vector<bool>{true} : std::vector<bool>{});
        EXPECT_EQ(builder.calls, c.calls);
        EXPECT_TRUE(form->isVisible());
    }
    EXPECT_TRUE(ui.prompts().empty());
}

TEST_F(WelcomeWindowTest, ItsOwnCommandLineIsTakenOnceWhenItFirstShows)
{
    const QString take = existingFile("take.mp3");
    const QString tooLong = folder + "/" + QString(260, QChar(u'a')) + ".mp3";
    struct Case {
        QStringList arguments;
        std::optional<int> type;
        std::vector<BuilderCall> calls;
        bool tooLongBox;
    };
    const Case cases[] = {
        {{take}, 1, {{"new", take, 1, false}}, false},
        {{"/NoSplash", take}, 0, {{"new", take, 0, false}}, false},
        {{"/NoSplash"}, 0, {{"new", "", 0, false}}, false},
        {{folder + "/gone.mp3"}, 1, {{"new", "", 1, false}}, false},
        {{take}, -1, {}, false},
        {{tooLong}, std::nullopt, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        builder.calls.clear();
        typeAskedShown.clear();
        recordingShown.clear();
        if (c.type)
            typeAnswers.push_back(*c.type);
        if (c.tooLongBox)
            ui.expectMessageBox(IDOK, QStringLiteral("is too long"));
        const size_t prompts = ui.prompts().size();
        make(c.arguments);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !typeAskedShown.empty() || ui.prompts().size() > prompts; }));
        EXPECT_EQ(builder.calls, c.calls);
        if (c.tooLongBox)
            EXPECT_TRUE(ui.prompts().back().text.contains(tooLong));

        // Shown again (after a road), it does not take the command line again.
        const size_t asked = typeAskedShown.size();
        form->hide();
        form->show();
        QTest::qWait(20);
        EXPECT_EQ(typeAskedShown.size(), asked);
        // Started with a file, the welcome window stays in sight under the recording window.
        QTest::keyClick(form.get(), Qt::Key_R);
        EXPECT_EQ(recordingShown, std::vector<bool>{true});
        form.reset();
    }
    EXPECT_TRUE(ui.allConsumed());
}

TEST_F(WelcomeWindowTest, ALaterStartsFileIsTakenThroughTheWelcomeWindow)
{
    make();
    const QString take = existingFile("take 1.mp3");
    const QString relative = QDir(QStringLiteral("/")).relativeFilePath(take);
    typeAnswers.push_back(1);
    const RecorderStartResult result =
        startRecorder(laterStart, {"/NoSplash", relative}, QStringLiteral("/"), [] { return false; });
    EXPECT_EQ(result.outcome, RecorderStartOutcome::HandedOver);
    EXPECT_TRUE(typeAskedShown.empty()) << "the sender is answered before anything is asked";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !builder.calls.empty(); }));
    EXPECT_EQ(builder.calls, std::vector<BuilderCall>({{"new", take, 1, false}}));
    EXPECT_TRUE(form->isVisible());

    // Hidden, or under a modal window of its own, it is busy.
    form->hide();
    EXPECT_EQ(startRecorder(laterStart, {take}, "/", [] { return false; }).outcome, RecorderStartOutcome::Busy);
    form->show();
    QDialog modal(form.get());
    modal.open();
    EXPECT_EQ(startRecorder(laterStart, {take}, "/", [] { return false; }).outcome, RecorderStartOutcome::Busy);
    modal.close();
    QCoreApplication::processEvents();
    EXPECT_EQ(builder.calls.size(), 1u);
}

TEST_F(WelcomeWindowTest, AReceivedBlockIsReadAsHostileInput)
{
    make();
    const QString take = existingFile("take.mp3");
    const std::optional<FoundWindow> welcome =
        laterStart.findWindow(kRecorderWelcomeWindowClass, QStringLiteral("Wexo Ravadur"), CaptionMatch::Contains);
    ASSERT_TRUE(welcome);
    EXPECT_EQ(laterStart.sendCopyData(welcome->handle, 1, {}).result(), 0);

    QByteArray hostile(kArgumentBlockSize, 'x');
    std::memcpy(hostile.data() + kArgumentCountOffset, "\xff\xff\xff\xff", 4);
    QByteArray second = recorderArgumentBlock({take}).bytes;
    std::memcpy(second.data() + kArgumentCountOffset, "\x40\x00\x00\x00", 4);
    struct Case {
        const char* name;
        QByteArray bytes;
        QString file;
    };
    const Case cases[] = {
        {"no terminator anywhere, count past the slots", hostile, ""},
        {"a short block", take.toUtf8(), ""},
        {"a count of 64 with the file in the first slot", second, take},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        builder.calls.clear();
        typeAnswers.push_back(0);
        EXPECT_EQ(laterStart.sendCopyData(welcome->handle, 1, c.bytes).result(), 1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !builder.calls.empty(); }));
        EXPECT_EQ(builder.calls, std::vector<BuilderCall>({{"new", c.file, 0, false}}));
    }
    EXPECT_TRUE(typeAnswers.empty());
}

// A window that refuses its first close, as the recording window does when the user cancels the
// save question.
class RefusingWindow : public QWidget {
public:
    int closes = 0;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (++closes == 1)
            event->ignore();
    }
};

TEST(ModalRun, AWindowRunsModallyUntilItReallyCloses)
{
    QWidget other;
    other.show();
    RefusingWindow window;
    bool returned = false;
    QTimer::singleShot(0, &window, [&] {
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), &window);
        EXPECT_FALSE(window.close());
        QTimer::singleShot(10, &window, [&] {
            EXPECT_FALSE(returned) << "a refused close ended the modal run";
            EXPECT_TRUE(window.close());
        });
    });
    runModally(window);
    returned = true;
    EXPECT_EQ(window.closes, 2);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// Pictures for a person to look at: the window at rest and with the mouse over the first road.
TEST_F(WelcomeWindowTest, ScreenshotsAtRestAndLit)
{
    make();
    form->showSoundNote(QStringLiteral("No sound device is reachable: the sound server (PulseAudio or PipeWire) "
                                       "does not answer. Recording and playback need it running."));
    QCoreApplication::processEvents();
    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    const QImage rest = form->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    moveOver(form->NewPodcastImage);
    ASSERT_EQ(litRoad(), 0);
    const QImage lit = form->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_TRUE(rest.save(QDir::current().filePath(QStringLiteral("screenshots/ProactiveForm-rest.png"))));
    ASSERT_TRUE(lit.save(QDir::current().filePath(QStringLiteral("screenshots/ProactiveForm-hover.png"))));
    ASSERT_EQ(rest.size(), lit.size());

    // The lit road's picture and label changed; the other roads look as they did.
    const auto changedIn = [&](QWidget* widget) {
        const qreal ratio = rest.devicePixelRatio();
        const QRect area(QRectF(QRectF(widget->mapTo(form.get(), QPoint(0, 0)), QSizeF(widget->size())).topLeft() *
                                    ratio,
                                QSizeF(widget->size()) * ratio)
                             .toRect());
        int changed = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                changed += rest.pixel(x, y) != lit.pixel(x, y);
        return double(changed) / double(area.width() * area.height());
    };
    EXPECT_GT(changedIn(form->UpNewPodcastImage), 0.3);
    EXPECT_GT(changedIn(form->RecordNewLabel), 0.05);
    EXPECT_EQ(changedIn(form->ExistingPodcastLabel), 0.0);
    EXPECT_EQ(changedIn(form->OpenExistingPodcastImage), 0.0);
    EXPECT_TRUE(form->SoundNoteLabel->isVisible());
}

} // namespace
