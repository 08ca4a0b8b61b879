#pragma once
// The podcast builder as the recorder's welcome window opens it: a builder window made for each
// call, run modally over the welcome window and released when it closes.

#include "platform/ui/UrlOpener.h"
#include "recorder/BuilderRoads.h"

#include <functional>

namespace platform {
class Messages;
class SettingsStore;
namespace audio {
class AudioEngine;
} // namespace audio
} // namespace platform

namespace podcast {
struct XvqServices;
} // namespace podcast

namespace recorder {

class XvqBuilderRoads : public BuilderRoads {
public:
    // engine: what the builder's audio page previews on (none: no preview).
    XvqBuilderRoads(const platform::Messages& messages, platform::SettingsStore& settings,
                    std::function<QString()> tempFolder, platform::audio::AudioEngine* engine);

    void ShowXvq(QWidget* parent) override;
    void ShowXvqForNewPodcast(QWidget* parent, const QString& audioFile, int podcastType) override;
    void ShowXvqForExistingPodcast(QWidget* parent, const QString& podcastFile) override;

private:
    // What the builder borrows from the recorder.
    podcast::XvqServices services();

    const platform::Messages& m_messages;
    platform::SettingsStore& m_settings;
    std::function<QString()> m_tempFolder;
    platform::audio::AudioEngine* m_engine;
    platform::DesktopUrlOpener m_urls;
};

} // namespace recorder
