// The episode chooser of the upload on the offscreen platform: the rows and their ticks as the
// project has them, ticks changed by the user, OK and Cancel, and the numbers and audio paths it
// hands back.
#include "common/ErrCodes.h"
#include "platform/ui/Messages.h"
#include "podcast/ItemsUploadRules.h"
#include "podcast/ItemsUploadUnit.h"
#include "podcast/ProjectFile.h"
#include "tests/podcast/ProjectFixtures.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace podcast;

namespace {

platform::StringTable recorderStrings()
{
    platform::StringTable table;
    EXPECT_TRUE(table.load(QString::fromLatin1(kRecorderStringTablePath)));
    return table;
}

class ItemsUploadTest : public ::testing::Test {
protected:
    // A project of `count` episodes; those numbered in `uploaded` were uploaded.
    QString makeProject(int count, const QList<int>& uploaded)
    {
        PodcastRecord settings = projectfixtures::sampleSettings();
        QList<PodcastRecord> episodes;
        for (int n = 1; n <= count; ++n) {
            PodcastRecord episode = settings;
            projectfixtures::setEpisode(episode, n, folder);
            episode.ItemTitle = QStringLiteral("Episode %1 title").arg(n);
            episode.ItemDescription = QStringLiteral("About %1\r\nsecond line").arg(n);
            episode.ItemUploaded = uploaded.contains(n);
            episodes << episode;
        }
        const QString path = QDir(folder).filePath(QStringLiteral("show.pdi"));
        EXPECT_EQ(CreatePDIProject(path, settings, episodes), PdiOk);
        return path;
    }
    QString audioPath(int n) const { return folder + QStringLiteral("/episode%1.mp3").arg(n); }

    std::unique_ptr<TItemsUploadForm> openChooser(const QString& project)
    {
        auto form = std::make_unique<TItemsUploadForm>(messages);
        form->SetPDIFilepath(project);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return form;
    }
    static QTableWidget* list(QWidget& form) { return form.findChild<QTableWidget*>(QStringLiteral("ItemsListView")); }
    static QList<bool> ticks(QWidget& form)
    {
        QList<bool> result;
        for (int row = 0; row < list(form)->rowCount(); ++row)
            result << (list(form)->item(row, 0)->checkState() == Qt::Checked);
        return result;
    }
    // Clicks the row's tick box as a user does.
    static void clickTick(QWidget& form, int row)
    {
        QTableWidget* view = list(form);
        view->scrollToItem(view->item(row, 0));
        QStyleOptionViewItem option;
        option.initFrom(view);
        option.rect = view->visualItemRect(view->item(row, 0));
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        const QRect box = view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box.center());
    }
    static void click(QWidget& form, const char* button)
    {
        auto* widget = form.findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_NE(widget, nullptr) << button;
        QTest::mouseClick(widget, Qt::LeftButton);
    }

    QString folder = testsupport::testFolder();
    testsupport::ScriptedInteraction interaction;
    platform::Messages messages{recorderStrings(), interaction, QString::fromLatin1(kRecorderCaption)};
};

TEST_F(ItemsUploadTest, ListsTheEpisodesTickedUnlessUploaded)
{
    auto form = openChooser(makeProject(3, {2}));

    EXPECT_EQ(form->windowTitle(), QStringLiteral("Select Podcast Items to Upload"));
    QTableWidget* view = list(*form);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->showGrid());
    const QStringList headers{"Items's File Path", "Podcast Item Title", "Podcast Item Description"};
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(view->horizontalHeaderItem(column)->text(), headers[column]);
    EXPECT_EQ(view->columnWidth(0), 200);
    EXPECT_EQ(view->columnWidth(1), 150);
    ASSERT_EQ(view->rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(view->item(row, 0)->text(), audioPath(row + 1));
        EXPECT_EQ(view->item(row, 1)->text(), QStringLiteral("Episode %1 title").arg(row + 1));
        EXPECT_EQ(view->item(row, 2)->text(), QStringLiteral("About %1 second line").arg(row + 1));
    }
    EXPECT_EQ(ticks(*form), (QList<bool>{true, false, true}));
    for (const char* button : {"OKButton", "CancelButton"}) {
        auto* widget = form->findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_NE(widget, nullptr) << button;
        EXPECT_TRUE(widget->isEnabled());
    }

    const QImage image = form->grab().toImage();
    EXPECT_EQ(image.size(), form->size() * form->devicePixelRatio());
    // The ticked and the unticked rows are drawn differently.
    const auto tickBox = [&](int row) {
        const QPoint corner = view->viewport()->mapTo(form.get(), view->visualItemRect(view->item(row, 0)).topLeft());
        return image.copy(QRect(corner * form->devicePixelRatio(), QSize(24, 16) * form->devicePixelRatio()));
    };
    EXPECT_NE(tickBox(2), tickBox(1));
    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    EXPECT_TRUE(image.save(QStringLiteral("screenshots/TItemsUploadForm-three-episodes.png")));
}

TEST_F(ItemsUploadTest, TicksChangedByTheUserGiveTheNumbersAndPathsInRowOrder)
{
    const struct {
        const char* name;
        int episodes;
        QList<int> uploaded;
        QList<int> clicked; // rows, 0-based
        QStringList numbers;
    } cases[] = {
        {"as opened", 3, {2}, {}, {"01", "03"}},
        {"second ticked, first unticked", 3, {2}, {1, 0}, {"02", "03"}},
        {"rows 2 and 10 of twelve", 12, {1, 3, 4, 5, 6, 7, 8, 9, 11, 12}, {}, {"02", "10"}},
        {"all uploaded, one ticked again", 3, {1, 2, 3}, {2}, {"03"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto form = openChooser(makeProject(c.episodes, c.uploaded));
        for (int row : c.clicked)
            clickTick(*form, row);

        click(*form, "OKButton");

        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(form->result(), ItemsUploadResult::Ok);
        QStringList numbers{"kept"};
        QStringList paths{"kept"};
        form->GetItemsListToupload(numbers, paths);
        QStringList expectedPaths{"kept"};
        for (const QString& number : c.numbers)
            expectedPaths << audioPath(number.toInt());
        EXPECT_EQ(numbers, QStringList{"kept"} + c.numbers);
        EXPECT_EQ(paths, expectedPaths);
    }
}

TEST_F(ItemsUploadTest, OkWithoutATickSaysSoAndStays)
{
    auto form = openChooser(makeProject(3, {2}));
    clickTick(*form, 0);
    list(*form)->setCurrentCell(2, 0);
    QTest::keyClick(list(*form), Qt::Key_Space);
    ASSERT_EQ(ticks(*form), (QList<bool>{false, false, false}));
    interaction.expectMessageBox(platform::IDOK, QStringLiteral("No podcast episode selected to upload."));

    click(*form, "OKButton");

    EXPECT_TRUE(interaction.allConsumed());
    ASSERT_EQ(interaction.prompts().size(), 1u);
    EXPECT_EQ(interaction.prompts()[0].flags & platform::MB_ICONMASK, platform::MB_ICONERROR);
    EXPECT_TRUE(form->isVisible());

    clickTick(*form, 1);
    click(*form, "OKButton");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), ItemsUploadResult::Ok);
    QStringList numbers;
    QStringList paths;
    form->GetItemsListToupload(numbers, paths);
    EXPECT_EQ(numbers, QStringList{"02"});
    EXPECT_EQ(paths, QStringList{audioPath(2)});
}

TEST_F(ItemsUploadTest, CancelAndEscapeGiveTwo)
{
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        auto form = openChooser(makeProject(3, {}));
        if (escape)
            QTest::keyClick(form.get(), Qt::Key_Escape);
        else
            click(*form, "CancelButton");
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(form->result(), ItemsUploadResult::Cancel);
    }
}

TEST_F(ItemsUploadTest, ProjectThatCannotBeReadIsReportedAndListsNothing)
{
    const QString damaged = QDir(folder).filePath(QStringLiteral("folder.pdi"));
    ASSERT_TRUE(QDir().mkpath(damaged));
    const struct {
        const char* name;
        QString path;
    } cases[] = {
        {"missing", QDir(folder).filePath(QStringLiteral("missing.pdi"))},
        {"a folder", damaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        interaction.expectMessageBox(platform::IDOK, QStringLiteral("Cannot open the specified file."));
        auto form = openChooser(c.path);
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(list(*form)->rowCount(), 0);
    }
}

TEST(ItemsUploadRules, EpisodeNumbersHaveTwoDigitsAtLeast)
{
    const std::pair<int, const char*> cases[] = {{1, "01"}, {9, "09"}, {10, "10"}, {99, "99"}, {100, "100"}};
    for (const auto& [episode, text] : cases)
        EXPECT_EQ(EpisodeNumberText(episode), QString::fromLatin1(text)) << episode;
}

TEST(ItemsUploadRules, ChosenEpisodesAndWhetherAnyIs)
{
    QList<UploadChoiceRow> rows;
    for (int n = 1; n <= 100; ++n)
        rows << UploadChoiceRow{QStringLiteral("/a/%1.mp3").arg(n), {}, {}, n == 2 || n == 100};
    EXPECT_TRUE(AnyUploadChosen(rows));
    QStringList numbers;
    QStringList paths;
    AppendChosenEpisodes(rows, numbers, paths);
    EXPECT_EQ(numbers, (QStringList{"02", "100"}));
    EXPECT_EQ(paths, (QStringList{"/a/2.mp3", "/a/100.mp3"}));

    for (UploadChoiceRow& row : rows)
        row.ticked = false;
    EXPECT_FALSE(AnyUploadChosen(rows));
    EXPECT_FALSE(AnyUploadChosen({}));
}

} // namespace
