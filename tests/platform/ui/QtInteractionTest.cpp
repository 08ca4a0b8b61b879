#include "platform/ui/Messages.h"
#include "platform/ui/QtInteraction.h"

#include "tests/support/LogCapture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <thread>

using namespace platform;

namespace {

// Acts on the modal window of type W that the code under test shows, from inside its exec(). When
// no such window shows, or the action leaves it open, it is closed after a while and the test
// fails instead of hanging.
template <typename W>
class WhenShown {
public:
    explicit WhenShown(std::function<void(W*)> action) : m_action(std::move(action))
    {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { poll(); });
        m_poll.start();
    }
    ~WhenShown() { EXPECT_TRUE(m_acted) << "the expected window never showed"; }

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!m_acted) {
            if (W* window = qobject_cast<W*>(modal)) {
                m_acted = true;
                m_deadline.setRemainingTime(5000);
                m_action(window);
            } else if (m_deadline.hasExpired()) {
                m_poll.stop();
            }
        } else if (modal && m_deadline.hasExpired()) {
            ADD_FAILURE() << "the window stayed open after the action";
            modal->close();
            m_poll.stop();
        }
    }

    std::function<void(W*)> m_action;
    QTimer m_poll;
    QDeadlineTimer m_deadline{5000};
    bool m_acted = false;
};

void pressKey(QWidget* widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

} // namespace

static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

TEST(QtInteractionMapping, AnswersAndStandardButtonsCorrespond)
{
    const std::pair<int, QMessageBox::StandardButton> pairs[] = {
        {IDOK, QMessageBox::Ok},       {IDCANCEL, QMessageBox::Cancel}, {IDABORT, QMessageBox::Abort},
        {IDRETRY, QMessageBox::Retry}, {IDIGNORE, QMessageBox::Ignore}, {IDYES, QMessageBox::Yes},
        {IDNO, QMessageBox::No},
    };
    for (const auto& [answer, button] : pairs) {
        EXPECT_EQ(standardButtonForAnswer(answer), button) << answer;
        EXPECT_EQ(answerForStandardButton(button), answer) << answer;
    }
    EXPECT_EQ(standardButtonForAnswer(0), QMessageBox::NoButton);
    EXPECT_EQ(answerForStandardButton(QMessageBox::Help), IDCANCEL);

    EXPECT_EQ(messageBoxIcon(MB_OK), QMessageBox::NoIcon);
    EXPECT_EQ(messageBoxIcon(MB_ICONERROR), QMessageBox::Critical);
    EXPECT_EQ(messageBoxIcon(MB_YESNO | MB_ICONQUESTION), QMessageBox::Question);
    EXPECT_EQ(messageBoxIcon(MB_ICONWARNING | MB_DEFBUTTON2), QMessageBox::Warning);
    EXPECT_EQ(messageBoxIcon(MB_ICONINFORMATION), QMessageBox::Information);
}

TEST(QtInteractionMapping, BoxGetsButtonsDefaultAndEscapeFromTheFlags)
{
    struct Case {
        unsigned flags;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
        QMessageBox::StandardButton escapeButton;
        QMessageBox::Icon icon;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONERROR, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Critical},
        {MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
         QMessageBox::No, QMessageBox::Question},
        {MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON3, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
         QMessageBox::Cancel, QMessageBox::Cancel, QMessageBox::Warning},
        {MB_OKCANCEL, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel,
         QMessageBox::NoIcon},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore,
         QMessageBox::Retry, QMessageBox::Abort, QMessageBox::NoIcon},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << c.flags);
        QMessageBox box;
        setUpMessageBox(box, "Path <b>a&b</b>\\n", "Caption", c.flags);
        EXPECT_EQ(box.standardButtons(), c.buttons);
        EXPECT_EQ(box.defaultButton(), box.button(c.defaultButton));
        EXPECT_EQ(box.escapeButton(), box.button(c.escapeButton));
        EXPECT_EQ(box.icon(), c.icon);
        EXPECT_EQ(box.windowTitle(), QStringLiteral("Caption"));
        EXPECT_EQ(box.text(), QStringLiteral("Path <b>a&b</b>\\n"));
        EXPECT_EQ(box.textFormat(), Qt::PlainText) << "message texts are never read as markup";
    }
}

TEST(QtInteractionMapping, WindowsFiltersBecomeQtNameFilters)
{
    struct Case {
        const char* name;
        QString filter;
        QStringList expected;
    };
    const Case cases[] = {
        {"blanks around the parts",
         "PDI Files (*.pdi) | *.pdi|XML Files (*.xml) | *.XML",
         {"PDI Files (*.pdi) (*.[pP][dD][iI])", "XML Files (*.xml) (*.[xX][mM][lL])"}},
        {"several patterns",
         "Sound Files|*.wav; *.mp3 ;*.wma|All Files (*.*)|*.*",
         {"Sound Files (*.[wW][aA][vV] *.[mM][pP]3 *.[wW][mM][aA])", "All Files (*.*) (*)"}},
        {"wildcards and digits kept", "Takes|take?_01.wav", {"Takes ([tT][aA][kK][eE]?_01.[wW][aA][vV])"}},
        {"trailing bar", "MP3 Files (*.mp3)|*.mp3|", {"MP3 Files (*.mp3) (*.[mM][pP]3)"}},
        {"description without patterns", "Wave|*.wav|Orphan", {"Wave (*.[wW][aA][vV])"}},
        {"empty pattern part", "Anything| ", {"Anything (*)"}},
        {"empty description", "|*.txt", {"*.txt (*.[tT][xX][tT])"}},
        {"no filter", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(toQtNameFilters(c.filter), c.expected);
    }
}

TEST(QtInteractionMapping, DefaultSuffixFollowsTheSelectedFilter)
{
    const QString mix = "MP3 Files (*.mp3)|*.mp3|Wave Files (*.wav)|*.wav|WMA Files (*.WMA)|*.wma";
    const struct {
        QString filter;
        int index;
        QString defaultExtension;
        QString expected;
    } cases[] = {
        {mix, 1, "mp3", "mp3"},
        {mix, 2, "mp3", "wav"},
        {mix, 3, "mp3", "wma"},
        {mix, 0, "mp3", "mp3"},
        {mix, 4, "mp3", "mp3"},
        {mix, 2, "", ""},
        {"Sound Files| *.wav ; *.mp3|All Files (*.*)|*.*", 1, "mp3", "wav"},
        {"Sound Files| *.wav ; *.mp3|All Files (*.*)|*.*", 2, "mp3", "mp3"},
        {"Takes|take?.wav|Any|*|Parts|*.part.wav|Odd|*.w?v", 1, "mp3", "mp3"},
        {"Takes|take?.wav|Any|*|Parts|*.part.wav|Odd|*.w?v", 2, "mp3", "mp3"},
        {"Takes|take?.wav|Any|*|Parts|*.part.wav|Odd|*.w?v", 3, "mp3", "mp3"},
        {"Takes|take?.wav|Any|*|Parts|*.part.wav|Odd|*.w?v", 4, "mp3", "mp3"},
        {"Wave|*.wav|Orphan", 2, "mp3", "mp3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.filter.toStdString() << " #" << c.index);
        EXPECT_EQ(defaultSuffixForFilter(c.filter, c.index, c.defaultExtension), c.expected);
    }
}

TEST(QtInteractionMapping, FileDialogTakesTheRequest)
{
    const QString folder = testsupport::testFolder();
    FileDialogRequest request;
    request.title = "Open Project";
    request.filter = "PDI Files (*.pdi) | *.pdi|XML Files (*.xml) | *.XML";
    request.filterIndex = 2;
    request.initialFolder = folder;
    request.defaultExtension = "pdi";
    request.fileMustExist = true;

    {
        QFileDialog dialog;
        setUpFileDialog(dialog, request, false);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Open Project"));
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog.nameFilters(), toQtNameFilters(request.filter));
        EXPECT_EQ(fileDialogResult(dialog, false).filterIndex, 2) << "the filter index comes back 1-based";
        EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(folder).canonicalPath());
        EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("XML")) << "the selected filter's extension";
        EXPECT_FALSE(fileDialogResult(dialog, false).accepted);
    }
    {
        FileDialogRequest multi = request;
        multi.multiSelect = true;
        multi.filterIndex = 7; // out of range: the first filter
        QFileDialog dialog;
        setUpFileDialog(dialog, multi, false);
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(fileDialogResult(dialog, false).filterIndex, 1);
    }
    {
        FileDialogRequest save = request;
        save.fileMustExist = false;
        save.overwritePrompt = true;
        QFileDialog dialog;
        setUpFileDialog(dialog, save, true);
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog.fileMode(), QFileDialog::AnyFile);
        EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
        save.overwritePrompt = false;
        setUpFileDialog(dialog, save, true);
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    }
}

TEST(QtInteractionShown, PressedButtonGivesItsAnswer)
{
    QtInteraction interaction;
    bool checked = false;
    WhenShown<QMessageBox> press([&](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Caption"));
        EXPECT_EQ(box->text(), QStringLiteral("Overwrite the file?"));
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        checked = true;
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(interaction.messageBox("Overwrite the file?", "Caption", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2),
              IDYES);
    EXPECT_TRUE(checked);
}

TEST(QtInteractionShown, DismissedBoxGivesCancelOrItsNegativeButton)
{
    struct Case {
        unsigned flags;
        bool escape; // Esc, else the window's close
        int expected;
    };
    const Case cases[] = {
        {MB_OKCANCEL, true, IDCANCEL},
        {MB_YESNOCANCEL, false, IDCANCEL},
        {MB_YESNO, true, IDNO},
        {MB_YESNO, false, IDNO},
        {MB_OK | MB_ICONERROR, false, IDOK},
    };
    QtInteraction interaction;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << c.flags << (c.escape ? " Esc" : " close"));
        WhenShown<QMessageBox> dismiss([&](QMessageBox* box) {
            if (c.escape)
                pressKey(box, Qt::Key_Escape);
            else
                box->close();
        });
        EXPECT_EQ(interaction.messageBox("Question", "Caption", c.flags), c.expected);
    }
}

TEST(QtInteractionShown, QuestionWithoutCaptionShowsTheProductName)
{
    QtInteraction interaction;
    Messages messages(StringTable(), interaction, "Wexo Ravadur");
    for (const int answer : {IDYES, IDNO}) {
        WhenShown<QMessageBox> press([&](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Wexo Ravadur"));
            box->button(standardButtonForAnswer(answer))->click();
        });
        EXPECT_EQ(messages.ShowMessageBox("Keep the take?", QString(), MB_YESNO), answer);
    }
}

TEST(QtInteractionShown, OpenDialogReturnsTheFileAndTheFilterChosen)
{
    const QString folder = testsupport::testFolder();
    testsupport::writeFile(QDir(folder).filePath("show.PDI"), "[Project]\n");
    testsupport::writeFile(QDir(folder).filePath("feed.xml"), "<rss/>\n");

    FileDialogRequest request;
    request.title = "Open Project";
    request.filter = "PDI Files (*.pdi) | *.pdi|XML Files (*.xml) | *.XML";
    request.filterIndex = 2;
    request.initialFolder = folder;
    request.fileMustExist = true;

    QtInteraction interaction;
    WhenShown<QFileDialog> choose([&](QFileDialog* dialog) {
        EXPECT_EQ(fileDialogResult(*dialog, false).filterIndex, 2);
        dialog->selectNameFilter(dialog->nameFilters().value(0));
        dialog->selectFile("show.PDI");
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept checks the choice
    });
    const FileDialogResult result = interaction.openFile(request);
    EXPECT_TRUE(result.accepted);
    EXPECT_EQ(result.files, QStringList{QDir(folder).filePath("show.PDI")});
    EXPECT_EQ(result.filterIndex, 1);
}

TEST(QtInteractionShown, SaveDialogAddsTheDefaultExtension)
{
    const QString folder = testsupport::testFolder();
    FileDialogRequest request;
    request.title = "Save Project As";
    request.filter = "PDI Files (*.pdi)|*.pdi";
    request.initialFolder = folder;
    request.fileName = "untitled";
    request.defaultExtension = "pdi";
    request.overwritePrompt = true;

    QtInteraction interaction;
    WhenShown<QFileDialog> save([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        dialog->selectFile("my show");
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept checks the choice
    });
    const FileDialogResult result = interaction.saveFile(request);
    EXPECT_TRUE(result.accepted);
    EXPECT_EQ(result.files, QStringList{QDir(folder).filePath("my show.pdi")});
    EXPECT_EQ(result.filterIndex, 1);
}

// The user switches to "Wave Files" and types a bare name: it comes back as a WAV name, not with
// the request's default extension.
TEST(QtInteractionShown, SaveDialogAddsTheSelectedFiltersExtension)
{
    const QString folder = testsupport::testFolder();
    FileDialogRequest request;
    request.title = "Save Mix file As";
    request.filter = "MP3 Files (*.mp3)|*.mp3|Wave Files (*.wav)|*.wav";
    request.initialFolder = folder;
    request.defaultExtension = "mp3";

    QtInteraction interaction;
    WhenShown<QFileDialog> save([&](QFileDialog* dialog) {
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_TRUE(types);
        EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("mp3"));
        pressKey(types, Qt::Key_Down);
        EXPECT_EQ(types->currentIndex(), 1);
        dialog->selectFile("show");
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept checks the choice
    });
    const FileDialogResult result = interaction.saveFile(request);
    EXPECT_TRUE(result.accepted);
    EXPECT_EQ(result.files, QStringList{QDir(folder).filePath("show.wav")});
    EXPECT_EQ(result.filterIndex, 2);
}

TEST(QtInteractionShown, FolderDialogReturnsTheFolderOrNothing)
{
    const QString folder = testsupport::testFolder();
    ASSERT_TRUE(QDir(folder).mkpath("Episodes"));
    QtInteraction interaction;
    {
        WhenShown<QFileDialog> choose([&](QFileDialog* dialog) {
            EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
            EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
            dialog->selectFile(QDir(folder).filePath("Episodes"));
            static_cast<QDialog*>(dialog)->accept();
        });
        EXPECT_EQ(interaction.chooseFolder("Choose a folder", folder), QDir(folder).filePath("Episodes"));
    }
    {
        WhenShown<QFileDialog> cancel([](QFileDialog* dialog) { dialog->reject(); });
        EXPECT_EQ(interaction.chooseFolder("Choose a folder", folder), std::nullopt);
    }
}

TEST(QtInteractionShown, NothingIsShownFromAnotherThread)
{
    QtInteraction interaction;
    testsupport::LogCapture log;
    int answer = 0;
    FileDialogResult file{true, {"x"}, 3};
    std::optional<QString> folder = QString("x");
    std::thread worker([&] {
        answer = interaction.messageBox("Question", "Caption", MB_YESNO);
        file = interaction.openFile({});
        folder = interaction.chooseFolder("Folder", QString());
    });
    worker.join();
    EXPECT_EQ(answer, IDNO);
    EXPECT_FALSE(file.accepted);
    EXPECT_TRUE(file.files.isEmpty());
    EXPECT_EQ(folder, std::nullopt);
    EXPECT_TRUE(log.contains(QStringLiteral("refused outside the GUI thread"), QStringLiteral("va.platform")));
}
