// The builder window's way between its pages, on fake content pages: Next and Back through every
// visible page, tabs that only ask, pages that refuse to be left, the question on returning to the
// podcast-type page, and the welcome page's option.
#include "tests/podcast/XvqFormSupport.h"

#include "common/RegEntry.h"
#include "podcast/ProjectFile.h"
#include "podcast/XvqPages.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>

#include <optional>

using namespace podcast;
using namespace xvqtest;
using platform::IDCANCEL;
using platform::IDNO;
using platform::IDYES;

namespace {

void setWelcomeHidden(platform::SettingsStore& settings)
{
    ASSERT_EQ(RegEntry(settings).WriteExpressRegBool("Settings", "Donot Show Welcome Screen", true), 0);
}

std::optional<bool> storedWelcomeHidden(platform::SettingsStore& settings)
{
    int value = 0;
    if (RegEntry(settings).ReadExpressRegBool("Settings", "Donot Show Welcome Screen", value) != 0)
        return std::nullopt;
    return value != 0;
}

QString nextName(XvqPage page)
{
    if (page == XvqPage::Welcome)
        return QStringLiteral("WelcomeNextButton");
    if (page == XvqPage::PodcastType)
        return QStringLiteral("TypeNextButton");
    return xvqPageName(page) + QStringLiteral("Next");
}

QString backName(XvqPage page)
{
    if (page == XvqPage::PodcastType)
        return QStringLiteral("TypeBackButton");
    return xvqPageName(page) + QStringLiteral("Back");
}

bool isContentPage(XvqPage page)
{
    return page != XvqPage::Welcome && page != XvqPage::PodcastType;
}

// The fake pages' log of one step from `from` to `to`.
QStringList stepLog(XvqPage from, XvqPage to)
{
    QStringList log;
    if (isContentPage(from) && gatherOpOf(from) != GatherOp::None)
        log << QStringLiteral("gather ") + xvqPageName(from);
    if (isContentPage(to))
        log << QStringLiteral("update ") + xvqPageName(to);
    return log;
}

struct WalkCase {
    const char* name;
    bool welcomeShown;
    int type;
    QList<XvqPage> forward; // from the podcast-type page, by Next
};

TEST_F(XvqFormTest, NextAndBackWalkEveryVisiblePage)
{
    using P = XvqPage;
    const QList<P> basic{P::AudioFile, P::HostSelection, P::FeedInfo, P::PodcastItemInfo, P::FTPInfo, P::Upload};
    const QList<P> iTunes{P::AudioFile,       P::HostSelection,  P::FeedInfo, P::FeediTunesInfo,
                          P::PodcastItemInfo, P::ItemiTunesInfo, P::FTPInfo,  P::Upload};
    const WalkCase cases[] = {
        {"basic, welcome shown", true, 0, basic},
        {"basic, welcome hidden", false, 0, basic},
        {"iTunes, welcome shown", true, 1, iTunes},
        {"iTunes, welcome hidden", false, 1, iTunes},
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.name);
        script.log.clear();
        settings.deleteKey(QStringLiteral("\\Software"));
        if (!c.welcomeShown)
            setWelcomeHidden(settings);
        auto window = makeWindow();
        window->show();
        if (c.welcomeShown) {
            EXPECT_EQ(shownPage(*window), P::Welcome);
            click(*window, nextName(P::Welcome));
        }
        ASSERT_EQ(shownPage(*window), P::PodcastType);
        if (c.type == 1)
            QTest::keyClick(named<QComboBox>(*window, QStringLiteral("PodcastTypeComboBox")), Qt::Key_Down);

        auto* tabs = named<QTabBar>(*window, QStringLiteral("XvqPageControl"));
        for (int index = 0; index < kXvqPageCount; ++index) {
            const bool shown = (index == 0 && c.welcomeShown) || index == 1 || c.forward.contains(P(index));
            EXPECT_EQ(tabs->isTabVisible(index), shown) << index;
        }

        QStringList expectedLog;
        P at = P::PodcastType;
        for (const P page : c.forward) {
            click(*window, nextName(at));
            expectedLog << stepLog(at, page);
            EXPECT_EQ(shownPage(*window), page);
            EXPECT_EQ(window->currentPage(), page);
            at = page;
        }
        QList<P> backward(c.forward.rbegin() + 1, c.forward.rend());
        backward << P::PodcastType;
        for (const P page : backward) {
            click(*window, backName(at));
            expectedLog << stepLog(at, page);
            EXPECT_EQ(shownPage(*window), page);
            at = page;
        }
        EXPECT_EQ(script.log, expectedLog);
        auto* typeBack = named<QPushButton>(*window, backName(P::PodcastType));
        EXPECT_EQ(typeBack->isEnabled(), c.welcomeShown);
        if (c.welcomeShown) {
            click(*window, backName(P::PodcastType));
            EXPECT_EQ(shownPage(*window), P::Welcome);
        }
        // Filling pages is no edit, even from a page whose filling reports one.
        EXPECT_FALSE(window->changed());
        EXPECT_FALSE(named<QPushButton>(*window, QStringLiteral("SaveButton"))->isEnabled());
        // The hints of the buttons that skip or reach the iTunes pages.
        EXPECT_EQ(named<QPushButton>(*window, nextName(P::FeedInfo))->toolTip(),
                  c.type == 1 ? "Press Next To Move on Feed iTunes Information"
                              : "Press Next To Move on Podcast Episode Information");
        EXPECT_EQ(named<QPushButton>(*window, backName(P::PodcastItemInfo))->toolTip(),
                  c.type == 1 ? "Press Back To Move on Feed iTunes Information"
                              : "Press Back To Move on Podcast Feed Information");
        EXPECT_EQ(named<QPushButton>(*window, backName(P::FTPInfo))->toolTip(),
                  c.type == 1 ? "Press Back To Move on Podcast Item iTunes Information"
                              : "Press Back To Move on Podcast Episode Information");
    }
}

struct RefusalCase {
    const char* name;
    bool byTab;
};

// A page that cannot be left keeps the window on it, whether Next or a tab asked; nothing of the
// page asked for runs, and the tab shown stays the page's.
TEST_F(XvqFormTest, ARefusingPageKeepsTheWindowOnIt)
{
    setWelcomeHidden(settings);
    for (const RefusalCase& c : {RefusalCase{"Next", false}, RefusalCase{"tab", true}}) {
        SCOPED_TRACE(c.name);
        auto window = makeWindow();
        window->show();
        clickTab(*window, XvqPage::FeedInfo);
        ASSERT_EQ(shownPage(*window), XvqPage::FeedInfo);
        script.gatherVerdicts[XvqPage::FeedInfo] = StepVerdict::StayOnLeftPage;
        script.log.clear();
        const auto ask = [&] {
            if (c.byTab)
                clickTab(*window, XvqPage::Upload);
            else
                click(*window, nextName(XvqPage::FeedInfo));
        };

        ask();
        EXPECT_EQ(script.log, QStringList{"gather FeedInfoTab"});
        EXPECT_EQ(shownPage(*window), XvqPage::FeedInfo);
        EXPECT_EQ(window->currentPage(), XvqPage::FeedInfo);

        script.gatherVerdicts.clear();
        ask();
        const XvqPage target = c.byTab ? XvqPage::Upload : XvqPage::PodcastItemInfo;
        EXPECT_EQ(shownPage(*window), target);
        EXPECT_EQ(script.log.last(), QStringLiteral("update ") + xvqPageName(target));
        // The page shown again is not gathered again.
        script.log.clear();
        clickTab(*window, target);
        EXPECT_TRUE(script.log.isEmpty());
    }
}

struct ReturnCase {
    const char* name;
    int answer;
    XvqPage shownAfter;
    bool saved;
};

// Coming back to the podcast-type page with unsaved changes asks whether to save the project:
// Cancel goes back to the page left (not updated again), Yes saves, No goes on unsaved.
TEST_F(XvqFormTest, ReturningToTheTypePageWithChangesAsks)
{
    setWelcomeHidden(settings);
    const ReturnCase cases[] = {
        {"Cancel", IDCANCEL, XvqPage::FeedInfo, false},
        {"Yes", IDYES, XvqPage::PodcastType, true},
        {"No", IDNO, XvqPage::PodcastType, false},
    };
    for (const ReturnCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString target = path(QStringLiteral("typed-%1.pdi").arg(c.answer));
        auto window = makeWindow();
        window->show();
        clickTab(*window, XvqPage::FeedInfo);
        typeInto(*window, XvqPage::FeedInfo, QStringLiteral("Typed Title"));
        ASSERT_TRUE(window->changed());
        ASSERT_TRUE(named<QPushButton>(*window, QStringLiteral("SaveButton"))->isEnabled());
        interaction.expectMessageBox(c.answer, QStringLiteral("Do you want to Save Project as a .PDI file?"));
        if (c.saved)
            interaction.expectSaveFile({true, {target}, 1}, QStringLiteral("Save Podcast As"));
        script.log.clear();

        clickTab(*window, XvqPage::PodcastType);

        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(shownPage(*window), c.shownAfter);
        EXPECT_EQ(window->currentPage(), c.shownAfter);
        EXPECT_EQ(script.log, QStringList{"gather FeedInfoTab"} + (c.saved ? QStringList{"gather AudioFileTab",
                                                                                    "gather HostSelectionTab",
                                                                                    "gather FeedInfoTab",
                                                                                    "gather FeediTunesInfoTab",
                                                                                    "gather PodcastItemInfoTab",
                                                                                    "gather ItemiTunesInfoTab",
                                                                                    "gather FTPInfoTab",
                                                                                    "update UploadTab"}
                                                                        : QStringList{}));
        EXPECT_EQ(window->changed(), !c.saved);
        EXPECT_EQ(QFileInfo::exists(target), c.saved);
        if (c.saved) {
            QString title;
            EXPECT_EQ(ReadPDIItemString(target, "ItemTitle", 1, title), PdiOk);
            EXPECT_EQ(title, "Typed Title");
            EXPECT_EQ(window->projectPath(), target);
            EXPECT_TRUE(tempProjects().isEmpty());
        }
    }
}

// The welcome page's check box and the "Show Welcome Screen" item are stored when the window closes,
// and the next window starts as they say. Entry points that hide the page for one use store nothing.
TEST_F(XvqFormTest, WelcomeOptionIsKeptInTheSettings)
{
    {
        auto window = makeWindow();
        window->show();
        EXPECT_EQ(shownPage(*window), XvqPage::Welcome);
        EXPECT_TRUE(named<QAction>(*window, QStringLiteral("ShowWelcomeOption"))->isChecked());
        EXPECT_TRUE(named<QPushButton>(*window, backName(XvqPage::PodcastType))->isEnabled());
        saveScreenshot(*window, QStringLiteral("TXvqForm-welcome"));
        click(*window, QStringLiteral("DonotShowWelcomeCheckBox"));
        click(*window, QStringLiteral("CancelButton"));
        EXPECT_FALSE(window->isVisible());
    }
    EXPECT_EQ(storedWelcomeHidden(settings), true);
    {
        auto window = makeWindow();
        window->show();
        auto* tabs = named<QTabBar>(*window, QStringLiteral("XvqPageControl"));
        EXPECT_EQ(shownPage(*window), XvqPage::PodcastType);
        EXPECT_FALSE(tabs->isTabVisible(int(XvqPage::Welcome)));
        EXPECT_FALSE(named<QPushButton>(*window, backName(XvqPage::PodcastType))->isEnabled());
        auto* option = named<QAction>(*window, QStringLiteral("ShowWelcomeOption"));
        EXPECT_FALSE(option->isChecked());
        option->trigger();
        EXPECT_TRUE(tabs->isTabVisible(int(XvqPage::Welcome)));
        EXPECT_EQ(shownPage(*window), XvqPage::Welcome);
        EXPECT_TRUE(named<QPushButton>(*window, backName(XvqPage::PodcastType))->isEnabled());
        EXPECT_FALSE(named<QCheckBox>(*window, QStringLiteral("DonotShowWelcomeCheckBox"))->isChecked());
        click(*window, QStringLiteral("CancelButton"));
    }
    EXPECT_EQ(storedWelcomeHidden(settings), false);
    {
        auto window = makeWindow();
        window->prepareXvq();
        window->show();
        EXPECT_EQ(shownPage(*window), XvqPage::PodcastType);
        EXPECT_FALSE(named<QAbstractButton>(*window, QStringLiteral("SaveButton"))->isVisible());
        EXPECT_FALSE(named<QAbstractButton>(*window, QStringLiteral("SettingsButton"))->isVisible());
        EXPECT_FALSE(named<QPushButton>(*window, backName(XvqPage::PodcastType))->isEnabled());
        click(*window, QStringLiteral("CancelButton"));
    }
    EXPECT_EQ(storedWelcomeHidden(settings), false);
}

// The window's own title area: its caption, a minimise button, and a close button that leaves as
// "E&xit" does (asking first when there are changes).
TEST_F(XvqFormTest, TitleAreaMinimisesAndCloses)
{
    setWelcomeHidden(settings);
    auto window = makeWindow();
    window->show();
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(named<QLabel>(*window, QStringLiteral("CaptionLabel"))->text(), QStringLiteral("Wexo Ravadur"));
    click(*window, QStringLiteral("MinimizeButton"));
    EXPECT_TRUE(window->isMinimized());
    window->showNormal();

    clickTab(*window, XvqPage::FeedInfo);
    typeInto(*window, XvqPage::FeedInfo, QStringLiteral("Typed"));
    interaction.expectMessageBox(IDCANCEL, QStringLiteral("Do you want to Save Project as a .PDI file?"));
    click(*window, QStringLiteral("CloseButton"));
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_TRUE(window->isVisible());

    interaction.expectMessageBox(IDNO, QStringLiteral("Do you want to Save Project as a .PDI file?"));
    click(*window, QStringLiteral("CloseButton"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(tempProjects().isEmpty());
}

} // namespace
