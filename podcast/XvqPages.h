#pragma once
// The builder's pages and the way between them, without widgets. Pages are visited in index order;
// the iTunes pages exist only for podcasts with iTunes tags and the welcome page only while it is
// shown. Leaving a page gathers its fields into the podcast record and entering one fills its fields
// from the record; which gather and which update belong to a change is a table (pageTransition).
// A gather may refuse the change and keep the window on the page being left (its field is wrong),
// and entering the podcast-type page may send the window back (an unsaved project's question was
// cancelled); XvqNavigator decides where the window stands afterwards, so the page shown and the
// page the window believes it is on never disagree.
#include <QString>

#include <array>
#include <optional>

namespace podcast {

enum class XvqPage : int {
    Welcome = 0,
    PodcastType = 1,
    AudioFile = 2,
    HostSelection = 3,
    FeedInfo = 4,
    FeediTunesInfo = 5,
    PodcastItemInfo = 6,
    ItemiTunesInfo = 7,
    FTPInfo = 8,
    Upload = 9,
};
inline constexpr int kXvqPageCount = 10;

// The object name of each page (also its widget's objectName) and its tab caption.
QString xvqPageName(XvqPage page);
QString xvqPageCaption(XvqPage page);

struct XvqPageVisibility {
    bool welcomeShown = false;
    quint8 podcastType = 0; // 1: the two iTunes pages are shown
};

bool isPageVisible(XvqPage page, const XvqPageVisibility& visibility);
// The next (previous) visible page after (before) page, wrapping around at the ends.
XvqPage nextVisiblePage(XvqPage page, const XvqPageVisibility& visibility);
XvqPage previousVisiblePage(XvqPage page, const XvqPageVisibility& visibility);

// What leaving a page gathers and what entering one updates.
enum class GatherOp {
    None,
    WelcomeCheck,     // remembers the "do not show" check box
    PodcastTypeInfo,  // GatherPodcastTypeInfo
    AudioFileInfo,    // stops a running preview, then GatherAudioFileInfo
    HostInfo,         // GatherHostInfo
    FeedInfo,         // GatherFeedInfo
    FeediTunesInfo,   // GatherFeediTunesInfo
    PodcastItemInfo,  // GatherPodcastItemInfo
    ItemItunesInfo,   // GatherItemItunesInfo
    FTPInfo,          // GatherFTPInfo
};
enum class UpdateOp {
    None,
    PodcastTypeInfo, // UIUpdatePodcastTypeInfo
    AudioTab,        // UIUpdateAudioTab with the record's audio path
    HostSelection,   // the host page fills itself when shown
    FeedInfo,        // UIUpdateFeedInfo
    FeediTunesInfo,  // UIUpdateFeediTunesInfo
    PodcastItemInfo, // UIUpdatePodcastItemInfo
    ItemItunesInfo,  // UIUpdateItemItunesInfo
    FTPInfo,         // UIUpdateFTPInfo
    Upload,          // UIUpdateUpload
};
GatherOp gatherOpOf(XvqPage leaving);
UpdateOp updateOpOf(XvqPage entering);

// One row of the page-change table: from the current page to the requested one.
struct PageTransition {
    GatherOp gather = GatherOp::None; // None also when the page does not change
    UpdateOp update = UpdateOp::None;
};
PageTransition pageTransition(XvqPage from, XvqPage to);

// What a gather or an update answered.
enum class StepVerdict {
    Proceed,
    StayOnLeftPage, // the gather refused: the window stays on (or goes back to) the page it left
};

// The window's page bookkeeping. A change is asked for (Next, Back, a tab, an entry point), the
// window runs the transition's gather, then the update, and tells the navigator each verdict.
class XvqNavigator {
public:
    XvqPage current() const { return m_current; }
    XvqPage previous() const { return m_previous; }

    // Starts a change to `to`; the transition the window must run (nothing when to == current).
    PageTransition request(XvqPage to);
    // The gather refused: the change is dropped and the window stays on the current page.
    void gatherRefused();
    // The gather passed: the target becomes current and the page left becomes previous.
    void gatherPassed();
    // The update of the entered page sent the window back to the page it came from (no gather of
    // the entered page runs on the way back, and the page come from is not updated again).
    void updateSentBack();
    // The page the window must show now.
    XvqPage shown() const { return m_current; }
    // Puts the window on a page without gather or update (the window's first page).
    void reset(XvqPage page);

private:
    XvqPage m_current = XvqPage::Welcome;
    XvqPage m_previous = XvqPage::Welcome;
    std::optional<XvqPage> m_pending;
};

} // namespace podcast
