#include "podcast/AudioFileTab.h"
#include "podcast/FTPInfoTab.h"
#include "podcast/FeedInfoTab.h"
#include "podcast/FeediTunesInfoTab.h"
#include "podcast/HostSelectionTab.h"
#include "podcast/ItemiTunesInfoTab.h"
#include "podcast/PodcastItemInfoTab.h"
#include "podcast/UploadTab.h"
#include "podcast/XvqPageWidget.h"

namespace podcast {

std::unique_ptr<XvqPageWidget> createXvqPage(XvqPage page, QWidget* parent)
{
    switch (page) {
    case XvqPage::AudioFile:
        return std::make_unique<AudioFileTab>(parent);
    case XvqPage::HostSelection:
        return std::make_unique<HostSelectionTab>(parent);
    case XvqPage::FeedInfo:
        return std::make_unique<FeedInfoTab>(parent);
    case XvqPage::FeediTunesInfo:
        return std::make_unique<FeediTunesInfoTab>(parent);
    case XvqPage::PodcastItemInfo:
        return std::make_unique<PodcastItemInfoTab>(parent);
    case XvqPage::ItemiTunesInfo:
        return std::make_unique<ItemiTunesInfoTab>(parent);
    case XvqPage::FTPInfo:
        return std::make_unique<FTPInfoTab>(parent);
    case XvqPage::Upload:
        return std::make_unique<UploadTab>(parent);
    case XvqPage::Welcome:
    case XvqPage::PodcastType:
        break;
    }
    // The window builds the welcome and podcast-type pages itself.
    return nullptr;
}

} // namespace podcast
