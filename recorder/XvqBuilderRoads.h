#pragma once
// The podcast builder as the recorder's welcome window opens it.

#include "recorder/BuilderRoads.h"

namespace platform {
class Messages;
}

namespace recorder {

class XvqBuilderRoads : public BuilderRoads {
public:
    explicit XvqBuilderRoads(const platform::Messages& messages);

    void ShowXvq(QWidget* parent) override;
    void ShowXvqForNewPodcast(QWidget* parent, const QString& audioFile, int podcastType) override;
    void ShowXvqForExistingPodcast(QWidget* parent, const QString& podcastFile) override;

private:
    void notAvailable(const QString& what);

    const platform::Messages& m_messages;
};

} // namespace recorder
