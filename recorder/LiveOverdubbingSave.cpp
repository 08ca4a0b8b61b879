#include "recorder/LiveOverdubbing.h"

#include "recorder/TrackSave.h"

namespace recorder {

TrackSaveServices TLiveOvedubbingForm::trackSaveServices()
{
    TrackSaveServices services{m_services.runner, m_services.messages, m_services.trackCopy};
    const std::optional<TrackRecord>& voice = m_roads.track(TrackSide::Voice);
    const std::optional<TrackRecord>& music = m_roads.track(TrackSide::Music);
    services.mp3BitRate = mp3RateOfTracks(voice ? &*voice : nullptr, music ? &*music : nullptr);
    if (m_services.saveWindows)
        m_services.saveWindows(services, this);
    return services;
}

} // namespace recorder
