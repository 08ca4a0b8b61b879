// The builder window with its projects: the entry points, a new podcast's temporary project saved
// with every episode, episodes added and deleted through the grid, and leaving with changes.
#include "tests/podcast/XvqFormSupport.h"

#include "common/RegEntry.h"
#include "podcast/FeedWriter.h"
#include "podcast/ProjectFile.h"
#include "podcast/XvqRules.h"
#include "tests/podcast/FeedFixtures.h"

#include <QComboBox>
#include <QFileInfo>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

using namespace podcast;
using namespace xvqtest;
using platform::IDCANCEL;
using platform::IDNO;
using platform::IDOK;
using platform::IDYES;

namespace {

QString recentProject(platform::SettingsStore& settings, int index)
{
    QString value;
    RegEntry(settings).ReadExpressRegString("Settings", QStringLiteral("MRU %1").arg(index), value);
    return value;
}

QStringList projectTitles(const QString& project)
{
    qint32 count = 0;
    EXPECT_EQ(GetPDIItemCount(project, count), PdiOk);
    QStringList titles;
    for (int n = 1; n <= count; ++n) {
        QString title;
        EXPECT_EQ(ReadPDIItemString(project, "ItemTitle", n, title), PdiOk);
        titles << title;
    }
    return titles;
}

void selectRow(TXvqForm& window, int row)
{
    auto* grid = window.findChild<QTableWidget*>(QStringLiteral("ItemsGrid"));
    ASSERT_NE(grid, nullptr);
    ASSERT_LT(row, grid->rowCount());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(row, 0)).center());
    ASSERT_EQ(grid->currentRow(), row);
}

class XvqFormProjectTest : public XvqFormTest {};

// An audio file that cannot be read is refused before anything is made: message 1001, the window
// never shown, no temporary project left.
TEST_F(XvqFormProjectTest, NewPodcastWithUnreadableAudioIsNeverShown)
{
    const QString missing = path("missing.wav");
    const QString text = path("notes.wav");
    testsupport::writeFile(text, "these are notes, not sound");
    const QString other = path("song.ogg");
    testsupport::writeFile(other, "OggS");
    for (const QString& audio : {missing, text, other, QString()}) {
        SCOPED_TRACE(audio.toStdString());
        interaction.expectMessageBox(IDOK, QStringLiteral("Please select an audio file to open."));
        auto window = makeWindow();
        EXPECT_EQ(window->ShowXvqForNewPodcast(audio, 1), QDialog::Rejected);
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_FALSE(window->isVisible());
        EXPECT_TRUE(window->record().AudioFilePath.isEmpty());
        EXPECT_TRUE(window->projectPath().isEmpty());
        EXPECT_TRUE(tempProjects().isEmpty());
    }
}

// A readable file opens the audio page on a fresh temporary project of the type asked for; the
// temporary project goes when the window does.
TEST_F(XvqFormProjectTest, NewPodcastWithAWaveOpensTheAudioPage)
{
    const QString wave = makeWave("interview.wav");
    for (const int type : {0, 1}) {
        SCOPED_TRACE(type);
        script.log.clear();
        {
            auto window = makeWindow();
            ASSERT_TRUE(window->prepareForNewPodcast(wave, type));
            EXPECT_EQ(window->currentPage(), XvqPage::AudioFile);
            EXPECT_EQ(shownPage(*window), XvqPage::AudioFile);
            EXPECT_EQ(window->record().AudioFilePath, wave);
            EXPECT_EQ(window->record().PodcastType, type);
            EXPECT_EQ(script.log, QStringList{"update AudioFileTab"});
            EXPECT_TRUE(IsTemporaryProject(window->projectPath()));
            EXPECT_EQ(QFileInfo(window->projectPath()).absolutePath(), temps);
            EXPECT_EQ(tempProjects().size(), 1);
            auto* tabs = named<QTabBar>(*window, QStringLiteral("XvqPageControl"));
            EXPECT_EQ(tabs->isTabVisible(int(XvqPage::FeediTunesInfo)), type == 1);
            EXPECT_FALSE(tabs->isTabVisible(int(XvqPage::Welcome)));
            EXPECT_FALSE(named<QWidget>(*window, QStringLiteral("SettingsButton"))->isVisibleTo(window.get()));
            EXPECT_FALSE(window->changed());
        }
        EXPECT_TRUE(tempProjects().isEmpty());
    }
}

struct ExistingCase {
    const char* name;
    std::function<QString()> make;
    const char* projectName;
    QStringList titles;
};

// An existing project, or a feed that gets a project beside it, opens on the podcast-type page
// with its episodes in the grid and the project's path at the top of the recent projects.
TEST_F(XvqFormProjectTest, ExistingPodcastOpensOnTheTypePage)
{
    const ExistingCase cases[] = {
        {"project", [this] { return makeProject("kitchen.pdi", 3); }, "kitchen.pdi",
         {"Episode 1", "Episode 2", "Episode 3"}},
        {"feed",
         [this] {
             EXPECT_TRUE(writeFeedFile(path("show.xml"), feedtest::basicChannel(), feedtest::basicItems()));
             return path("show.xml");
         },
         "show.pdi", {"Episode 1", "Episode 2", "Episode 3"}},
    };
    for (const ExistingCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString opened = c.make();
        auto window = makeWindow();
        window->prepareForExistingPodcast(opened);
        window->show();

        EXPECT_EQ(window->projectPath(), path(QString::fromLatin1(c.projectName)));
        EXPECT_EQ(shownPage(*window), XvqPage::PodcastType);
        EXPECT_TRUE(named<QRadioButton>(*window, QStringLiteral("ExistingFeedRadioButton"))->isChecked());
        EXPECT_FALSE(named<QComboBox>(*window, QStringLiteral("PodcastTypeComboBox"))->isEnabled());
        EXPECT_EQ(named<QLineEdit>(*window, QStringLiteral("FeedFilePathEdit"))->text(), window->projectPath());
        EXPECT_EQ(gridTitles(*window), c.titles);
        if (QLatin1String(c.name) == QLatin1String("project")) {
            // Stored in UTC, shown in local time (the test runs off UTC).
            const auto* grid = named<QTableWidget>(*window, QStringLiteral("ItemsGrid"));
            EXPECT_EQ(grid->item(0, 2)->text(), QStringLiteral("03/02/2026 00:00:00"));
        }
        EXPECT_EQ(window->episode(), 1);
        EXPECT_EQ(window->record().ItemTitle, c.titles.first());
        EXPECT_FALSE(window->changed());
        EXPECT_EQ(recentProject(settings, 0), window->projectPath());
        for (const char* button : {"AddItem", "EditItem", "DeleteItem", "UploadItem"})
            EXPECT_TRUE(named<QWidget>(*window, QString::fromLatin1(button))->isEnabled()) << button;
        if (QLatin1String(c.name) == QLatin1String("project"))
            saveScreenshot(*window, QStringLiteral("TXvqForm-type-existing"));
    }
    EXPECT_EQ(recentProject(settings, 1), path("kitchen.pdi"));
}

// A project that cannot be opened is reported; the window stays on an empty type page.
TEST_F(XvqFormProjectTest, ExistingPodcastThatCannotBeOpenedIsReported)
{
    interaction.expectMessageBox(IDOK, QStringLiteral("Cannot open the specified file."));
    auto window = makeWindow();
    window->prepareForExistingPodcast(path("gone.pdi"));
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(shownPage(*window), XvqPage::PodcastType);
    EXPECT_TRUE(window->projectPath().isEmpty());
    EXPECT_TRUE(gridTitles(*window).isEmpty());
    EXPECT_FALSE(named<QWidget>(*window, QStringLiteral("AddItem"))->isEnabled());
    // Leaving the page without a project is refused with its message.
    interaction.expectMessageBox(IDOK, QStringLiteral("Please specify a valid podcast filename"));
    window->show();
    clickTab(*window, XvqPage::AudioFile);
    EXPECT_EQ(shownPage(*window), XvqPage::PodcastType);
}

enum class OpenRoad { Browse, TypedPath, RecentBox };

// A project is opened from the type page by "Bro&wse ...", by typing its path, or from the recent
// projects; each fills the grid and puts the project first among the recent ones.
TEST_F(XvqFormProjectTest, ProjectsOpenFromTheTypePage)
{
    const QString kitchen = makeProject("kitchen.pdi", 3);
    const QString garden = makeProject("garden.pdi", 2);
    ASSERT_EQ(RegEntry(settings).WriteExpressRegBool("Settings", "Donot Show Welcome Screen", true), 0);
    for (const OpenRoad road : {OpenRoad::Browse, OpenRoad::TypedPath, OpenRoad::RecentBox}) {
        SCOPED_TRACE(int(road));
        ASSERT_EQ(RegEntry(settings).WriteExpressRegString("Settings", "MRU 0", garden), 0);
        ASSERT_EQ(RegEntry(settings).WriteExpressRegString("Settings", "MRU 1", kitchen), 0);
        auto window = makeWindow();
        window->show();
        ASSERT_EQ(shownPage(*window), XvqPage::PodcastType);
        EXPECT_FALSE(named<QWidget>(*window, QStringLiteral("FeedFileBrowseButton"))->isEnabled());
        click(*window, QStringLiteral("ExistingFeedRadioButton"));
        auto* recent = named<QComboBox>(*window, QStringLiteral("MruPdiCombo"));
        ASSERT_EQ(recent->count(), 2);
        switch (road) {
        case OpenRoad::Browse:
            interaction.expectOpenFile({true, {kitchen}, 1}, QStringLiteral("Select Podcast File"));
            click(*window, QStringLiteral("FeedFileBrowseButton"));
            EXPECT_EQ(interaction.prompts().back().request.filter,
                      QStringLiteral("PDI Files (*.pdi) | *.pdi|XML Files (*.xml) | *.XML"));
            break;
        case OpenRoad::TypedPath: {
            auto* field = named<QLineEdit>(*window, QStringLiteral("FeedFilePathEdit"));
            field->setFocus();
            QTest::keyClicks(field, kitchen);
            QTest::keyClick(field, Qt::Key_Return);
            break;
        }
        case OpenRoad::RecentBox:
            recent->setFocus();
            QTest::keyClick(recent, Qt::Key_Down);
            break;
        }
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(window->projectPath(), kitchen);
        EXPECT_EQ(gridTitles(*window), (QStringList{"Episode 1", "Episode 2", "Episode 3"}));
        EXPECT_EQ(recentProject(settings, 0), kitchen);
        EXPECT_EQ(recentProject(settings, 1), garden);
        EXPECT_TRUE(recentProject(settings, 2).isEmpty());
        EXPECT_FALSE(window->changed());
        // The project opened is what leaving the page reads.
        clickTab(*window, XvqPage::AudioFile);
        EXPECT_EQ(window->record().ItemTitle, QStringLiteral("Episode 1"));
    }
}

// The entry point runs the window modally and returns when it is left.
TEST_F(XvqFormProjectTest, ExistingPodcastRunsModallyUntilExit)
{
    const QString project = makeProject("kitchen.pdi", 2);
    auto window = makeWindow();
    QTimer::singleShot(0, window.get(), [&] {
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->isVisible(); }));
        click(*window, QStringLiteral("CancelButton"));
    });
    EXPECT_EQ(window->ShowXvqForExistingPodcast(project), QDialog::Rejected);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(interaction.prompts().empty());
}

// A new podcast's temporary project holding two episodes is saved whole under the chosen name,
// and the temporary file goes.
TEST_F(XvqFormProjectTest, NewPodcastSavesEveryEpisode)
{
    const QString wave = makeWave("interview.wav");
    auto window = makeWindow();
    ASSERT_TRUE(window->prepareForNewPodcast(wave, 0));
    window->show();
    const QString temporary = window->projectPath();
    typeInto(*window, XvqPage::AudioFile, QStringLiteral("First Steps"));
    interaction.expectMessageBox(IDNO, QStringLiteral("Do you want to Save Project as a .PDI file?"));
    clickTab(*window, XvqPage::PodcastType);
    EXPECT_EQ(named<QLineEdit>(*window, QStringLiteral("FeedFilePathEdit"))->text(), QStringLiteral("<New Podcast>"));
    EXPECT_EQ(gridTitles(*window).size(), 1);

    click(*window, QStringLiteral("AddItem"));
    EXPECT_EQ(shownPage(*window), XvqPage::AudioFile);
    EXPECT_EQ(window->episode(), 2);
    typeInto(*window, XvqPage::AudioFile, QStringLiteral("Second Steps"));
    const QString target = path("steps.pdi");
    interaction.expectSaveFile({true, {target}, 1}, QStringLiteral("Save Podcast As"));
    click(*window, QStringLiteral("SaveButton"));

    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(window->projectPath(), target);
    EXPECT_EQ(projectTitles(target).size(), 2);
    EXPECT_EQ(projectTitles(target).last(), QStringLiteral("Second Steps"));
    EXPECT_FALSE(QFileInfo::exists(temporary));
    EXPECT_TRUE(tempProjects().isEmpty());
    EXPECT_FALSE(window->changed());
    EXPECT_FALSE(named<QPushButton>(*window, QStringLiteral("SaveButton"))->isEnabled());
    EXPECT_EQ(recentProject(settings, 0), target);
}

// A page that refuses to give up its fields stops the save: nothing is written, the page is shown
// to be mended, and what was typed on the other pages is kept.
TEST_F(XvqFormProjectTest, ARefusingPageStopsTheSave)
{
    const QString project = makeProject("kitchen.pdi", 2);
    auto window = makeWindow();
    window->prepareForExistingPodcast(project);
    window->show();
    clickTab(*window, XvqPage::PodcastItemInfo);
    typeInto(*window, XvqPage::PodcastItemInfo, QStringLiteral("Typed Title"));
    const QByteArray before = testsupport::hashOf(project);
    script.gatherVerdicts[XvqPage::AudioFile] = StepVerdict::StayOnLeftPage;

    click(*window, QStringLiteral("SaveButton"));

    EXPECT_EQ(testsupport::hashOf(project), before);
    EXPECT_EQ(shownPage(*window), XvqPage::AudioFile);
    EXPECT_EQ(window->currentPage(), XvqPage::AudioFile);
    EXPECT_EQ(window->record().ItemTitle, QStringLiteral("Typed Title"));
    EXPECT_TRUE(window->changed());

    script.gatherVerdicts.clear();
    click(*window, QStringLiteral("SaveButton"));
    EXPECT_EQ(projectTitles(project), (QStringList{"Typed Title", "Episode 2"}));
    EXPECT_FALSE(window->changed());
}

// "&Add Podcast" appends an empty episode, shows it in the grid and opens the audio page on it.
TEST_F(XvqFormProjectTest, AddingAnEpisodeExtendsTheGrid)
{
    const QString project = makeProject("kitchen.pdi", 3);
    auto window = makeWindow();
    window->prepareForExistingPodcast(project);
    window->show();
    click(*window, QStringLiteral("AddItem"));

    EXPECT_EQ(projectTitles(project), (QStringList{"Episode 1", "Episode 2", "Episode 3", ""}));
    EXPECT_EQ(gridTitles(*window), projectTitles(project));
    EXPECT_EQ(window->episode(), 4);
    EXPECT_EQ(shownPage(*window), XvqPage::AudioFile);
    EXPECT_TRUE(window->record().ItemTitle.isEmpty());
}

struct DeleteCase {
    const char* name;
    int row;
    int answer;
    QStringList titles;
};

// "&Delete Podcast" asks first; Yes removes the selected episode and moves the later ones down.
TEST_F(XvqFormProjectTest, DeletingAnEpisodeAsksAndRenumbers)
{
    const DeleteCase cases[] = {
        {"second, Yes", 1, IDYES, {"Episode 1", "Episode 3"}},
        {"first, Yes", 0, IDYES, {"Episode 2", "Episode 3"}},
        {"second, No", 1, IDNO, {"Episode 1", "Episode 2", "Episode 3"}},
    };
    for (const DeleteCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString project = makeProject(QStringLiteral("delete-%1-%2.pdi").arg(c.row).arg(c.answer), 3);
        auto window = makeWindow();
        window->prepareForExistingPodcast(project);
        window->show();
        selectRow(*window, c.row);
        interaction.expectMessageBox(c.answer, QStringLiteral("remove it permanently"));
        click(*window, QStringLiteral("DeleteItem"));

        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(interaction.prompts().back().flags,
                  platform::MB_YESNO | platform::MB_ICONQUESTION | platform::MB_DEFBUTTON2);
        EXPECT_EQ(projectTitles(project), c.titles);
        EXPECT_EQ(gridTitles(*window), c.titles);
        EXPECT_EQ(window->record().ItemTitle, c.titles.first());
    }
}

// The last episode cannot be deleted.
TEST_F(XvqFormProjectTest, TheOnlyEpisodeCannotBeDeleted)
{
    auto window = makeWindow();
    window->prepareForExistingPodcast(makeProject("single.pdi", 1));
    EXPECT_FALSE(named<QWidget>(*window, QStringLiteral("DeleteItem"))->isEnabled());
    EXPECT_TRUE(named<QWidget>(*window, QStringLiteral("AddItem"))->isEnabled());
}

struct ExitCase {
    const char* name;
    bool byEscape;
    bool edited;
    int answer; // 0: no question
    bool closes;
    const char* storedTitle;
};

// "E&xit" (or Escape) with unsaved changes asks: Yes saves and closes, No closes, Cancel stays.
TEST_F(XvqFormProjectTest, ExitWithChangesAsks)
{
    const ExitCase cases[] = {
        {"Yes", false, true, IDYES, true, "Changed Title"},
        {"No", false, true, IDNO, true, "Episode 1"},
        {"Cancel", false, true, IDCANCEL, false, "Episode 1"},
        {"unchanged", false, false, 0, true, "Episode 1"},
        {"Escape, Cancel", true, true, IDCANCEL, false, "Episode 1"},
        {"Escape, Yes", true, true, IDYES, true, "Changed Title"},
    };
    for (const ExitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString project = makeProject(QStringLiteral("exit-%1-%2.pdi").arg(c.answer).arg(c.byEscape), 3);
        auto window = makeWindow();
        window->prepareForExistingPodcast(project);
        window->show();
        clickTab(*window, XvqPage::AudioFile);
        if (c.edited)
            typeInto(*window, XvqPage::AudioFile, QStringLiteral("Changed Title"));
        if (c.answer != 0)
            interaction.expectMessageBox(c.answer, QStringLiteral("Do you want to save file ") + project + "?");
        if (c.byEscape)
            QTest::keyClick(window.get(), Qt::Key_Escape);
        else
            click(*window, QStringLiteral("CancelButton"));

        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(window->isVisible(), !c.closes);
        EXPECT_EQ(projectTitles(project).first(), QString::fromLatin1(c.storedTitle));
    }
}

// Leaving a new podcast with changes and Yes, then cancelling the save dialog, keeps the window
// open: nothing was saved, so nothing may be thrown away.
TEST_F(XvqFormProjectTest, ExitKeepsTheWindowWhenTheSaveIsCancelled)
{
    auto window = makeWindow();
    ASSERT_TRUE(window->prepareForNewPodcast(makeWave("talk.wav"), 0));
    window->show();
    typeInto(*window, XvqPage::AudioFile, QStringLiteral("Unsaved"));
    interaction.expectMessageBox(IDYES, QStringLiteral("Do you want to Save Project as a .PDI file?"));
    interaction.expectSaveFile({false, {}, 1}, QStringLiteral("Save Podcast As"));
    click(*window, QStringLiteral("CancelButton"));

    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->changed());
    EXPECT_EQ(tempProjects().size(), 1);
}

} // namespace
