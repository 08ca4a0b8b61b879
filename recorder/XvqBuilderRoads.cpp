#include "recorder/XvqBuilderRoads.h"

#include "podcast/XvqMain.h"

namespace recorder {

XvqBuilderRoads::XvqBuilderRoads(const platform::Messages& messages, platform::SettingsStore& settings,
                                 std::function<QString()> tempFolder)
    : m_messages(messages), m_settings(settings), m_tempFolder(std::move(tempFolder))
{
}

void XvqBuilderRoads::ShowXvq(QWidget* parent)
{
    podcast::TXvqForm builder({m_messages, m_settings, m_tempFolder}, parent);
    builder.ShowXvq();
}

void XvqBuilderRoads::ShowXvqForNewPodcast(QWidget* parent, const QString& audioFile, int podcastType)
{
    podcast::TXvqForm builder({m_messages, m_settings, m_tempFolder}, parent);
    builder.ShowXvqForNewPodcast(audioFile, podcastType);
}

void XvqBuilderRoads::ShowXvqForExistingPodcast(QWidget* parent, const QString& podcastFile)
{
    podcast::TXvqForm builder({m_messages, m_settings, m_tempFolder}, parent);
    builder.ShowXvqForExistingPodcast(podcastFile);
}

} // namespace recorder
