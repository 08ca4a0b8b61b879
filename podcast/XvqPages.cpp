#include "podcast/XvqPages.h"

namespace podcast {

namespace {

struct PageRow {
    XvqPage page;
    const char* name;
    const char* caption;
    GatherOp gather;
    UpdateOp update;
};

// The pages in index order with what leaving and entering each one does.
constexpr std::array<PageRow, kXvqPageCount> kPages{{
    {XvqPage::Welcome, "WelcomeTab", "Welcome", GatherOp::WelcomeCheck, UpdateOp::None},
    {XvqPage::PodcastType, "PodcastTypeTab", "Podcast Type", GatherOp::PodcastTypeInfo, UpdateOp::PodcastTypeInfo},
    {XvqPage::AudioFile, "AudioFileTab", "Audio File", GatherOp::AudioFileInfo, UpdateOp::AudioTab},
    {XvqPage::HostSelection, "HostSelectionTab", "FTP Host Selection", GatherOp::HostInfo, UpdateOp::HostSelection},
    {XvqPage::FeedInfo, "FeedInfoTab", "Feed Info", GatherOp::FeedInfo, UpdateOp::FeedInfo},
    {XvqPage::FeediTunesInfo, "FeediTunesInfoTab", "Feed iTunes Info", GatherOp::FeediTunesInfo,
     UpdateOp::FeediTunesInfo},
    {XvqPage::PodcastItemInfo, "PodcastItemInfoTab", "Podcast Episode Info", GatherOp::PodcastItemInfo,
     UpdateOp::PodcastItemInfo},
    {XvqPage::ItemiTunesInfo, "ItemiTunesInfoTab", "iTunes Info", GatherOp::ItemItunesInfo, UpdateOp::ItemItunesInfo},
    {XvqPage::FTPInfo, "FTPInfoTab", "  FTP Info   ", GatherOp::FTPInfo, UpdateOp::FTPInfo},
    {XvqPage::Upload, "UploadTab", " Upload ", GatherOp::None, UpdateOp::Upload},
}};

const PageRow& rowOf(XvqPage page)
{
    return kPages[static_cast<size_t>(page)];
}

XvqPage pageAt(int index)
{
    return static_cast<XvqPage>((index % kXvqPageCount + kXvqPageCount) % kXvqPageCount);
}

XvqPage stepVisible(XvqPage page, const XvqPageVisibility& visibility, int step)
{
    int index = static_cast<int>(page);
    for (int tried = 0; tried < kXvqPageCount; ++tried) {
        index += step;
        if (isPageVisible(pageAt(index), visibility))
            return pageAt(index);
    }
    return page;
}

} // namespace

QString xvqPageName(XvqPage page)
{
    return QString::fromLatin1(rowOf(page).name);
}

QString xvqPageCaption(XvqPage page)
{
    return QString::fromLatin1(rowOf(page).caption);
}

bool isPageVisible(XvqPage page, const XvqPageVisibility& visibility)
{
    switch (page) {
    case XvqPage::Welcome:
        return visibility.welcomeShown;
    case XvqPage::FeediTunesInfo:
    case XvqPage::ItemiTunesInfo:
        return visibility.podcastType == 1;
    default:
        return true;
    }
}

XvqPage nextVisiblePage(XvqPage page, const XvqPageVisibility& visibility)
{
    return stepVisible(page, visibility, 1);
}

XvqPage previousVisiblePage(XvqPage page, const XvqPageVisibility& visibility)
{
    return stepVisible(page, visibility, -1);
}

GatherOp gatherOpOf(XvqPage leaving)
{
    return rowOf(leaving).gather;
}

UpdateOp updateOpOf(XvqPage entering)
{
    return rowOf(entering).update;
}

PageTransition pageTransition(XvqPage from, XvqPage to)
{
    if (from == to)
        return {};
    return {gatherOpOf(from), updateOpOf(to)};
}

PageTransition XvqNavigator::request(XvqPage to)
{
    m_pending.reset();
    if (to == m_current)
        return {};
    m_pending = to;
    return pageTransition(m_current, to);
}

void XvqNavigator::gatherRefused()
{
    m_pending.reset();
}

void XvqNavigator::gatherPassed()
{
    if (!m_pending)
        return;
    m_previous = m_current;
    m_current = *m_pending;
    m_pending.reset();
}

void XvqNavigator::updateSentBack()
{
    std::swap(m_current, m_previous);
}

void XvqNavigator::reset(XvqPage page)
{
    m_current = page;
    m_previous = page;
    m_pending.reset();
}

} // namespace podcast
