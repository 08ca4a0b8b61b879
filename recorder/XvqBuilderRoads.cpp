#include "recorder/XvqBuilderRoads.h"

#include "recorder/Log.h"

#include "platform/ui/Messages.h"

namespace recorder {

XvqBuilderRoads::XvqBuilderRoads(const platform::Messages& messages)
    : m_messages(messages)
{
}

void XvqBuilderRoads::ShowXvq(QWidget*)
{
    notAvailable(QStringLiteral("a new podcast"));
}

void XvqBuilderRoads::ShowXvqForNewPodcast(QWidget*, const QString& audioFile, int podcastType)
{
    notAvailable(QStringLiteral("a new podcast of type %1 with \"%2\"").arg(podcastType).arg(audioFile));
}

void XvqBuilderRoads::ShowXvqForExistingPodcast(QWidget*, const QString& podcastFile)
{
    notAvailable(QStringLiteral("\"%1\"").arg(podcastFile));
}

void XvqBuilderRoads::notAvailable(const QString& what)
{
    qCWarning(lcRecorder).noquote() << "the podcast builder is not available for" << what;
    m_messages.ShowMessageBox(
        QStringLiteral("The podcast builder is not available yet in this version of Wexo Ravadur."), QString(),
        platform::MB_OK | platform::MB_ICONINFORMATION);
}

} // namespace recorder
