// The builder's help questions: read from their file as far as it is sound, the file and help
// pages that ship with the program, and the window's side column answering clicks.
#include "tests/podcast/XvqFormSupport.h"

#include "platform/base/ProgramFolder.h"
#include "platform/settings/IniFile.h"
#include "platform/ui/HelpOpener.h"
#include "podcast/XvqHelpColumn.h"
#include "podcast/XvqHelpQuestions.h"

#include <QEnterEvent>
#include <QFileInfo>
#include <QLabel>

using namespace podcast;
using namespace xvqtest;

namespace {

class RecordedUrls : public platform::UrlOpener {
public:
    bool openUrl(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
    QList<QUrl> opened;
};

QList<HelpQuestion> readQuestions(const QString& path, XvqPage page, bool* found = nullptr)
{
    const auto questions = questionsForPage(platform::IniFile(path), page);
    if (found)
        *found = questions.has_value();
    return questions.value_or(QList<HelpQuestion>());
}

TEST(HelpQuestions, ReadAsFarAsTheFileIsSound)
{
    const QString path = testsupport::testFolder() + QStringLiteral("/QuestionHelp.ini");
    QByteArray many = "[FTPInfo]\r\nTotalQuestions=100000\r\n";
    for (int n = 0; n < 60; ++n)
        many += QStringLiteral("Question%1=Q%1\r\n").arg(n, 2, 10, QLatin1Char('0')).toUtf8();
    testsupport::writeFile(path, "[PodcastType]\r\n"
                                 "TotalQuestions=3\r\n"
                                 "Question00=What is a type?\r\nAnswerType00=0\r\nHelpLocation00=48\r\n"
                                 "Question01=\r\nAnswerType01=1\r\nHelpLocation01=http://skipped.example\r\n"
                                 "Question02=Where to read more?\r\nAnswerType02=1\r\nHelpLocation02=https://example.org/a?b=c\r\n"
                                 "Question03=Beyond the total\r\n"
                                 "[AudioFile]\r\n"
                                 "TotalQuestions=2\r\n"
                                 "Question00=No answer type\r\n"
                                 "Question01=An answer type no one knows\r\nAnswerType01=7\r\n"
                                 "[FeedInfo]\r\n"
                                 "Question00=No total\r\n"
                                 "[UploadInfo]\r\n"
                                 "TotalQuestions=-3\r\n"
                                 "Question00=A negative total\r\n"
                                 + many);
    struct Case {
        const char* what;
        XvqPage page;
        bool found;
        QList<HelpQuestion> questions;
    };
    const Case cases[] = {
        {"an empty question is left out, its number kept", XvqPage::PodcastType, true,
         {{0, "What is a type?", HelpAnswer::HelpTopic, "48"},
          {2, "Where to read more?", HelpAnswer::WebAddress, "https://example.org/a?b=c"}}},
        {"missing or unknown answer types do nothing", XvqPage::AudioFile, true,
         {{0, "No answer type", HelpAnswer::None, ""}, {1, "An answer type no one knows", HelpAnswer::None, ""}}},
        {"a section without its total", XvqPage::FeedInfo, false, {}},
        {"a page without a section", XvqPage::HostSelection, false, {}},
        {"a negative total", XvqPage::Upload, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool found = false;
        EXPECT_EQ(readQuestions(path, c.page, &found), c.questions);
        EXPECT_EQ(found, c.found);
    }
    // A huge total asks for no more than the most a page holds.
    EXPECT_EQ(readQuestions(path, XvqPage::FTPInfo).size(), kMaxHelpQuestions);
    // Without the file there are no questions.
    bool found = true;
    EXPECT_TRUE(readQuestions(path + QStringLiteral(".missing"), XvqPage::PodcastType, &found).isEmpty());
    EXPECT_FALSE(found);
}

// What ships beside the program: questions on every page, each leading to a page that exists, and
// the pages of every Help button and of the quick start.
TEST(HelpQuestions, ShippedQuestionsLeadToShippedPages)
{
    const platform::ProgramFolderOverride programFolder{QStringLiteral(VA_PROGRAM_FOLDER)};
    const QString file = QString::fromLatin1(kXvqHelpFile);
    const QString ini = platform::programFile(QStringLiteral("QuestionHelp.ini"));
    ASSERT_TRUE(QFileInfo::exists(ini)) << ini.toStdString();
    for (int index = 0; index < kXvqPageCount; ++index) {
        const auto page = XvqPage(index);
        SCOPED_TRACE(xvqPageName(page).toStdString());
        const QList<HelpQuestion> questions = readQuestions(ini, page);
        EXPECT_FALSE(questions.isEmpty());
        for (const HelpQuestion& question : questions) {
            ASSERT_EQ(question.answer, HelpAnswer::HelpTopic) << question.text.toStdString();
            EXPECT_TRUE(QFileInfo::exists(platform::helpPagePath(file, question.location.toInt())))
                << question.location.toStdString();
        }
        EXPECT_TRUE(QFileInfo::exists(platform::helpPagePath(file, helpContextForPage(page))));
    }
    EXPECT_TRUE(QFileInfo::exists(platform::helpPagePath(file, kXvqQuickStartContext)));
    EXPECT_TRUE(QFileInfo::exists(platform::helpPagePath(file, 0)));
}

class XvqHelpTest : public XvqFormTest {
protected:
    std::unique_ptr<TXvqForm> makeHelpWindow(const QString& questionFile)
    {
        return std::make_unique<TXvqForm>(XvqServices{
            .messages = messages,
            .settings = settings,
            .tempFolder = [this] { return temps; },
            .pageFactory = [this](XvqPage page, QWidget* parent) -> std::unique_ptr<XvqPageWidget> {
                return std::make_unique<FakePage>(page, parent, script);
            },
            .urls = urls,
            .questionHelpFile = [questionFile] { return questionFile; }});
    }
    static QStringList shownQuestions(QWidget& window)
    {
        QStringList texts;
        for (XvqQuestionLabel* label : named<XvqHelpColumn>(window, QStringLiteral("HelpColumn"))->questionLabels()) {
            EXPECT_TRUE(label->isVisible()) << label->text().toStdString();
            texts << label->text();
        }
        return texts;
    }
    static XvqQuestionLabel* question(QWidget& window, int index)
    {
        return named<XvqHelpColumn>(window, QStringLiteral("HelpColumn"))->questionLabels().value(index);
    }
    // The local help page last opened, as "<book>/<page>".
    QString lastHelpPage() const
    {
        if (urls->opened.isEmpty())
            return QString();
        const QFileInfo page(urls->opened.last().toLocalFile());
        return page.dir().dirName() + QLatin1Char('/') + page.fileName();
    }

    std::shared_ptr<RecordedUrls> urls = std::make_shared<RecordedUrls>();
    platform::ProgramFolderOverride programFolder{QStringLiteral(VA_PROGRAM_FOLDER)};
};

TEST_F(XvqHelpTest, TheSideColumnShowsThePagesQuestionsAndAnswersThem)
{
    const QString file = path(QStringLiteral("QuestionHelp.ini"));
    testsupport::writeFile(file, "[WelCome]\r\nTotalQuestions=1\r\nQuestion00=What is this?\r\nAnswerType00=0\r\n"
                                 "HelpLocation00=45\r\n"
                                 "[PodcastType]\r\nTotalQuestions=3\r\n"
                                 "Question00=Which type?\r\nAnswerType00=0\r\nHelpLocation00=48\r\n"
                                 "Question01=\r\n"
                                 "Question02=Where is the site?\r\nAnswerType02=1\r\nHelpLocation02=https://example.org/site\r\n"
                                 "[AudioFile]\r\nTotalQuestions=1\r\nQuestion00=Nothing happens\r\n");
    auto window = makeHelpWindow(file);
    window->show();
    ASSERT_EQ(shownPage(*window), XvqPage::Welcome);
    EXPECT_EQ(shownQuestions(*window), QStringList{QStringLiteral("What is this?")});

    click(*window, QStringLiteral("WelcomeNextButton"));
    ASSERT_EQ(shownPage(*window), XvqPage::PodcastType);
    ASSERT_EQ(shownQuestions(*window), (QStringList{QStringLiteral("Which type?"), QStringLiteral("Where is the site?")}));
    saveScreenshot(*window, QStringLiteral("TXvqForm-help-questions"));

    // The pointer over a question underlines it; leaving takes the underline away.
    XvqQuestionLabel* topic = question(*window, 0);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(topic, &enter);
    EXPECT_TRUE(topic->underlined());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(topic, &leave);
    EXPECT_FALSE(topic->underlined());

    // A help-topic question opens its page, by click or by Return.
    QTest::mouseClick(topic, Qt::LeftButton);
    EXPECT_EQ(lastHelpPage(), QStringLiteral("Xvq/48.html"));
    urls->opened.clear();
    topic->setFocus();
    QTest::keyClick(topic, Qt::Key_Return);
    EXPECT_EQ(lastHelpPage(), QStringLiteral("Xvq/48.html"));

    // A web-address question shows the address and opens nothing.
    urls->opened.clear();
    interaction.expectMessageBox(platform::IDOK, QStringLiteral("URL :https://example.org/site"));
    QEnterEvent enterSite(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(question(*window, 1), &enterSite);
    QTest::mouseClick(question(*window, 1), Qt::LeftButton);
    EXPECT_TRUE(interaction.allConsumed());
    ASSERT_FALSE(interaction.prompts().empty());
    EXPECT_EQ(interaction.prompts().back().caption, QStringLiteral("Wexo Ravadur"));
    EXPECT_EQ(interaction.prompts().back().flags, platform::MB_OK | platform::MB_ICONINFORMATION);
    EXPECT_TRUE(urls->opened.isEmpty());
    // Answering takes every underline away.
    EXPECT_FALSE(question(*window, 1)->underlined());

    // The Help button opens the page's topic, the quick start its own.
    click(*window, QStringLiteral("HelpButton"));
    EXPECT_EQ(lastHelpPage(), QStringLiteral("Xvq/48.html"));
    click(*window, QStringLiteral("QuickStartButton"));
    EXPECT_EQ(lastHelpPage(), QStringLiteral("Xvq/60.html"));

    // A question without an answer type does nothing; a page without a section shows no questions,
    // not the previous page's.
    click(*window, QStringLiteral("TypeNextButton"));
    ASSERT_EQ(shownPage(*window), XvqPage::AudioFile);
    urls->opened.clear();
    QTest::mouseClick(question(*window, 0), Qt::LeftButton);
    EXPECT_TRUE(urls->opened.isEmpty());
    click(*window, xvqPageName(XvqPage::AudioFile) + QStringLiteral("Next"));
    ASSERT_EQ(shownPage(*window), XvqPage::HostSelection);
    EXPECT_TRUE(shownQuestions(*window).isEmpty());
    click(*window, QStringLiteral("HelpButton"));
    EXPECT_EQ(lastHelpPage(), QStringLiteral("Xvq/49.html"));
    EXPECT_TRUE(interaction.allConsumed());
}

TEST_F(XvqHelpTest, WithoutTheQuestionFileOrAHelpPageTheUserIsTold)
{
    auto window = makeHelpWindow(QString());
    window->show();
    EXPECT_TRUE(shownQuestions(*window).isEmpty());
    // Help pages that are not installed are said to be missing; nothing is opened.
    const platform::ProgramFolderOverride emptyFolder{folder};
    interaction.expectMessageBox(platform::IDOK, QStringLiteral("could not be found"));
    click(*window, QStringLiteral("HelpButton"));
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_TRUE(urls->opened.isEmpty());
}

} // namespace
