#pragma once
// The three ways into the podcast builder that the welcome window takes. Each call opens a builder
// window for that one call, runs it modally over parent and releases it before returning.

#include <QString>

class QWidget;

namespace recorder {

class BuilderRoads {
public:
    virtual ~BuilderRoads() = default;
    // An empty new podcast.
    virtual void ShowXvq(QWidget* parent) = 0;
    // A new podcast with this audio file (possibly empty or missing: the builder says so) and type
    // (0 basic, 1 with iTunes tags).
    virtual void ShowXvqForNewPodcast(QWidget* parent, const QString& audioFile, int podcastType) = 0;
    // A saved project (.pdi) or feed (.xml).
    virtual void ShowXvqForExistingPodcast(QWidget* parent, const QString& podcastFile) = 0;
};

} // namespace recorder
