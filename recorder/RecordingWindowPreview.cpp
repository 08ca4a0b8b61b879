// Opens the recording window alone, on the sound server and with the user's settings, so that it
// can be looked at and tried without going through the welcome window.
#include "recorder/LiveOverdubbing.h"
#include "recorder/TrackSaveDialogs.h"

#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "common/RecorderPreferences.h"
#include "controls/ProgressBar.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MixerLibrary.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/audio/PulseBackend.h"
#include "platform/audio/PulseMixerBackend.h"
#include "platform/settings/FileSettingsStore.h"
#include "platform/ui/Messages.h"
#include "platform/ui/QtInteraction.h"
#include "platform/ui/StringTable.h"
#include "platform/ui/UrlOpener.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    platform::StringTable strings;
    if (!strings.load(QString::fromLatin1(kRecorderStringTablePath)))
        return 1;
    platform::QtInteraction interaction;
    const platform::Messages messages(strings, interaction, QString::fromLatin1(kRecorderCaption));
    platform::FileSettingsStore settings(platform::FileSettingsStore::currentUserPath());
    platform::audio::PulseBackend backend;
    platform::audio::AudioEngine engine(backend);
    platform::audio::MusicTrackLibrary music(engine);

    controls::TProgressBarForm progress(controls::ControlVariant::Recorder);
    JobRunner runner(progress);
    RecorderPreferences preferences(settings, engine, messages);
    preferences.load();
    platform::audio::MixerLibrary mixer(std::make_shared<platform::audio::PulseMixerBackend>());
    recorder::RecordingWindowServices services{settings, messages, engine, music, runner, {}};
    recorder::usePreferences(services, preferences);
    services.mixer = &mixer;
    platform::DesktopUrlOpener urls;
    recorder::useSaveWindows(services, urls);
    recorder::TLiveOvedubbingForm window(services);
    progress.setMainWindow(&window);
    window.InitMixerDevices(preferences.GetInputDeviceIndex(), preferences.GetOutputDeviceIndex());
    window.show();
    return app.exec();
}
