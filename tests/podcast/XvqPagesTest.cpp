// The builder's pages: which are visible, the order Next and Back walk them in, what a change gathers
// and updates, and where the window stands after a gather refuses or an update sends it back.
#include "podcast/XvqPages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace podcast;

namespace {

using P = XvqPage;

struct WalkCase {
    const char* name;
    XvqPageVisibility visibility;
    std::vector<XvqPage> cycle; // the visible pages in Next order; Next on the last gives the first
};

class XvqPageWalk : public testing::TestWithParam<WalkCase> {};

TEST_P(XvqPageWalk, NextAndBackWrapAroundTheVisiblePages)
{
    const WalkCase& c = GetParam();
    const size_t n = c.cycle.size();
    for (int index = 0; index < kXvqPageCount; ++index) {
        const auto page = XvqPage(index);
        const bool listed = std::find(c.cycle.begin(), c.cycle.end(), page) != c.cycle.end();
        EXPECT_EQ(isPageVisible(page, c.visibility), listed) << xvqPageName(page).toStdString();
    }
    for (size_t i = 0; i < n; ++i) {
        EXPECT_EQ(nextVisiblePage(c.cycle[i], c.visibility), c.cycle[(i + 1) % n])
            << "Next on " << xvqPageName(c.cycle[i]).toStdString();
        EXPECT_EQ(previousVisiblePage(c.cycle[i], c.visibility), c.cycle[(i + n - 1) % n])
            << "Back on " << xvqPageName(c.cycle[i]).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Visibility, XvqPageWalk,
    testing::Values(
        WalkCase{"BasicWithoutWelcome",
                 {false, 0},
                 {P::PodcastType, P::AudioFile, P::HostSelection, P::FeedInfo, P::PodcastItemInfo, P::FTPInfo,
                  P::Upload}},
        WalkCase{"BasicWithWelcome",
                 {true, 0},
                 {P::Welcome, P::PodcastType, P::AudioFile, P::HostSelection, P::FeedInfo, P::PodcastItemInfo,
                  P::FTPInfo, P::Upload}},
        WalkCase{"ITunesWithoutWelcome",
                 {false, 1},
                 {P::PodcastType, P::AudioFile, P::HostSelection, P::FeedInfo, P::FeediTunesInfo,
                  P::PodcastItemInfo, P::ItemiTunesInfo, P::FTPInfo, P::Upload}},
        WalkCase{"ITunesWithWelcome",
                 {true, 1},
                 {P::Welcome, P::PodcastType, P::AudioFile, P::HostSelection, P::FeedInfo, P::FeediTunesInfo,
                  P::PodcastItemInfo, P::ItemiTunesInfo, P::FTPInfo, P::Upload}}),
    [](const testing::TestParamInfo<WalkCase>& info) { return std::string(info.param.name); });

// The window may stand on a page that the type just hid (the type was changed on the way back).
TEST(XvqPageWalkFromHiddenPage, StepsToTheNeighbouringVisiblePage)
{
    const XvqPageVisibility basic{false, 0};
    EXPECT_EQ(nextVisiblePage(P::FeediTunesInfo, basic), P::PodcastItemInfo);
    EXPECT_EQ(previousVisiblePage(P::FeediTunesInfo, basic), P::FeedInfo);
    EXPECT_EQ(nextVisiblePage(P::Welcome, basic), P::PodcastType);
    EXPECT_EQ(previousVisiblePage(P::Welcome, basic), P::Upload);
}

struct TransitionCase {
    XvqPage from;
    XvqPage to;
    GatherOp gather;
    UpdateOp update;
};

TEST(XvqPageTransition, GathersTheLeftPageAndUpdatesTheEnteredOne)
{
    const TransitionCase cases[] = {
        {P::Welcome, P::PodcastType, GatherOp::WelcomeCheck, UpdateOp::PodcastTypeInfo},
        {P::PodcastType, P::AudioFile, GatherOp::PodcastTypeInfo, UpdateOp::AudioTab},
        {P::PodcastType, P::Welcome, GatherOp::PodcastTypeInfo, UpdateOp::None},
        {P::AudioFile, P::HostSelection, GatherOp::AudioFileInfo, UpdateOp::HostSelection},
        {P::HostSelection, P::FeedInfo, GatherOp::HostInfo, UpdateOp::FeedInfo},
        {P::FeedInfo, P::FeediTunesInfo, GatherOp::FeedInfo, UpdateOp::FeediTunesInfo},
        {P::FeedInfo, P::PodcastItemInfo, GatherOp::FeedInfo, UpdateOp::PodcastItemInfo},
        {P::FeediTunesInfo, P::PodcastItemInfo, GatherOp::FeediTunesInfo, UpdateOp::PodcastItemInfo},
        {P::PodcastItemInfo, P::ItemiTunesInfo, GatherOp::PodcastItemInfo, UpdateOp::ItemItunesInfo},
        {P::ItemiTunesInfo, P::FTPInfo, GatherOp::ItemItunesInfo, UpdateOp::FTPInfo},
        {P::FTPInfo, P::Upload, GatherOp::FTPInfo, UpdateOp::Upload},
        {P::Upload, P::PodcastType, GatherOp::None, UpdateOp::PodcastTypeInfo},
        {P::Upload, P::FTPInfo, GatherOp::None, UpdateOp::FTPInfo},
        {P::AudioFile, P::AudioFile, GatherOp::None, UpdateOp::None},
        {P::FeedInfo, P::FeedInfo, GatherOp::None, UpdateOp::None},
        {P::Welcome, P::Welcome, GatherOp::None, UpdateOp::None},
    };
    for (const TransitionCase& c : cases) {
        const PageTransition t = pageTransition(c.from, c.to);
        EXPECT_EQ(t.gather, c.gather) << xvqPageName(c.from).toStdString() << " -> " << xvqPageName(c.to).toStdString();
        EXPECT_EQ(t.update, c.update) << xvqPageName(c.from).toStdString() << " -> " << xvqPageName(c.to).toStdString();
    }
}

// What the window tells the navigator after it ran a change's gather and update.
enum class Step { Passed, Refused, SentBack };

struct NavigatorCase {
    const char* name;
    XvqPage start;
    XvqPage requested;
    GatherOp gather; // what request() asks the window to run
    UpdateOp update;
    std::vector<Step> steps;
    XvqPage current;
    XvqPage previous;
};

class XvqNavigatorRoads : public testing::TestWithParam<NavigatorCase> {};

TEST_P(XvqNavigatorRoads, ShownPageFollowsTheVerdicts)
{
    const NavigatorCase& c = GetParam();
    XvqNavigator navigator;
    navigator.reset(c.start);
    const PageTransition t = navigator.request(c.requested);
    EXPECT_EQ(t.gather, c.gather);
    EXPECT_EQ(t.update, c.update);
    for (const Step step : c.steps) {
        switch (step) {
        case Step::Passed:
            navigator.gatherPassed();
            break;
        case Step::Refused:
            navigator.gatherRefused();
            break;
        case Step::SentBack:
            navigator.updateSentBack();
            break;
        }
    }
    EXPECT_EQ(navigator.current(), c.current);
    EXPECT_EQ(navigator.shown(), c.current);
    EXPECT_EQ(navigator.previous(), c.previous);
}

INSTANTIATE_TEST_SUITE_P(
    Roads, XvqNavigatorRoads,
    testing::Values(
        NavigatorCase{"GatherPassed", P::PodcastType, P::AudioFile, GatherOp::PodcastTypeInfo, UpdateOp::AudioTab,
                      {Step::Passed}, P::AudioFile, P::PodcastType},
        // A missing audio file keeps the window on the audio page.
        NavigatorCase{"GatherRefused", P::AudioFile, P::HostSelection, GatherOp::AudioFileInfo,
                      UpdateOp::HostSelection, {Step::Refused}, P::AudioFile, P::AudioFile},
        // After a refusal the dropped change cannot be completed by a late verdict.
        NavigatorCase{"PassAfterRefusalIsIgnored", P::AudioFile, P::HostSelection, GatherOp::AudioFileInfo,
                      UpdateOp::HostSelection, {Step::Refused, Step::Passed}, P::AudioFile, P::AudioFile},
        // Cancel on the unsaved-project question goes back to the page that was left.
        NavigatorCase{"UpdateSentBack", P::FeedInfo, P::PodcastType, GatherOp::FeedInfo, UpdateOp::PodcastTypeInfo,
                      {Step::Passed, Step::SentBack}, P::FeedInfo, P::PodcastType},
        NavigatorCase{"SamePageChangesNothing", P::Upload, P::Upload, GatherOp::None, UpdateOp::None,
                      {Step::Passed}, P::Upload, P::Upload},
        NavigatorCase{"OnlyOneChangePerRequest", P::HostSelection, P::FeedInfo, GatherOp::HostInfo,
                      UpdateOp::FeedInfo, {Step::Passed, Step::Passed}, P::FeedInfo, P::HostSelection}),
    [](const testing::TestParamInfo<NavigatorCase>& info) { return std::string(info.param.name); });

TEST(XvqNavigatorHistory, ARefusedChangeLeavesTheEarlierPreviousPage)
{
    XvqNavigator navigator;
    navigator.reset(P::PodcastType);
    navigator.request(P::AudioFile);
    navigator.gatherPassed();
    navigator.request(P::HostSelection);
    navigator.gatherRefused();
    EXPECT_EQ(navigator.shown(), P::AudioFile);
    EXPECT_EQ(navigator.previous(), P::PodcastType);
}

} // namespace
