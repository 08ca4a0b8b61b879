#include "recorder/XvqBuilderRoads.h"

#include "podcast/XvqMain.h"
#include "recorder/ID3Information.h"

namespace recorder {

XvqBuilderRoads::XvqBuilderRoads(const platform::Messages& messages, platform::SettingsStore& settings,
                                 std::function<QString()> tempFolder, platform::audio::AudioEngine* engine)
    : m_messages(messages), m_settings(settings), m_tempFolder(std::move(tempFolder)), m_engine(engine)
{
}

podcast::XvqServices XvqBuilderRoads::services()
{
    podcast::XvqServices services{m_messages, m_settings, m_tempFolder};
    services.editSongInformation = [this](QWidget* parent, TID3InfoRecord& info, bool& autofill) {
        TID3InfoForm form(m_messages, m_urls, parent);
        form.SetTagTarget(&info, true, autofill);
        if (form.exec() != QDialog::Accepted)
            return false;
        autofill = form.autofillChecked();
        return true;
    };
    services.audioEngine = m_engine;
    return services;
}

void XvqBuilderRoads::ShowXvq(QWidget* parent)
{
    podcast::TXvqForm builder(services(), parent);
    builder.ShowXvq();
}

void XvqBuilderRoads::ShowXvqForNewPodcast(QWidget* parent, const QString& audioFile, int podcastType)
{
    podcast::TXvqForm builder(services(), parent);
    builder.ShowXvqForNewPodcast(audioFile, podcastType);
}

void XvqBuilderRoads::ShowXvqForExistingPodcast(QWidget* parent, const QString& podcastFile)
{
    podcast::TXvqForm builder(services(), parent);
    builder.ShowXvqForExistingPodcast(podcastFile);
}

} // namespace recorder
