// WexoRavadur's entry: one recorder runs per user. A second start hands its file to the running
// recorder's welcome window and ends; the first one opens the welcome window, which opens the file.
#include "recorder/LiveOverdubbing.h"
#include "recorder/Log.h"
#include "recorder/ModalRun.h"
#include "recorder/Proactive.h"
#include "recorder/RecorderStart.h"
#include "recorder/StartInteraction.h"
#include "recorder/TrackSaveDialogs.h"
#include "recorder/XvqBuilderRoads.h"

#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "common/PreferencesForm.h"
#include "common/RecorderPreferences.h"
#include "controls/ProgressBar.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MixerLibrary.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/audio/PulseBackend.h"
#include "platform/audio/PulseMixerBackend.h"
#include "platform/messaging/LocalMessaging.h"
#include "platform/settings/FileSettingsStore.h"
#include "platform/ui/QtInteraction.h"
#include "platform/ui/UrlOpener.h"

#include <QApplication>
#include <QDir>

namespace {

// What loading the preferences tells when the device lists are empty.
constexpr int kNoRecordingDeviceMessageId = 192;
constexpr int kNoPlaybackDeviceMessageId = 194;

bool soundServerReachable(platform::audio::MixerBackend& mixer)
{
    platform::audio::MixerDeviceList outputs;
    return mixer.devices(platform::audio::MixerDirection::Output, &outputs) !=
           platform::audio::MixerBackend::Result::NoServer;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("WexoRavadur"));
    // The welcome window hides while the recording window or the builder runs; the program ends when
    // the welcome window closes, not when the last window in sight does.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::QtInteraction desktopInteraction;
    recorder::StartInteraction interaction(desktopInteraction);
    const platform::Messages messages = makeRecorderMessages(interaction);
    platform::LocalMessaging messaging;

    recorder::RecorderStartResult start =
        recorder::startRecorder(messaging, QApplication::arguments().mid(1), QDir::currentPath(),
                                recorder::windowWaitFor(recorder::kWelcomeWindowWaitMs));
    switch (start.outcome) {
    case recorder::RecorderStartOutcome::EndQuietly:
    case recorder::RecorderStartOutcome::HandedOver:
        return 0;
    case recorder::RecorderStartOutcome::Busy:
    case recorder::RecorderStartOutcome::Refused:
    case recorder::RecorderStartOutcome::TooLong:
        recorder::showStartOutcome(messages, start);
        return 1;
    case recorder::RecorderStartOutcome::RunAsFirst:
        break;
    }

    platform::FileSettingsStore settings(platform::FileSettingsStore::currentUserPath());
    platform::audio::PulseBackend backend;
    platform::audio::AudioEngine engine(backend);
    platform::audio::MusicTrackLibrary music(engine);
    controls::TProgressBarForm progress(controls::ControlVariant::Recorder);
    JobRunner runner(progress);
    const auto mixerBackend = std::make_shared<platform::audio::PulseMixerBackend>();
    const bool soundReachable = soundServerReachable(*mixerBackend);
    RecorderPreferences preferences(settings, engine, messages);
    if (!soundReachable)
        interaction.holdTexts({messages.messageText(kNoRecordingDeviceMessageId),
                               messages.messageText(kNoPlaybackDeviceMessageId)});
    preferences.load();
    interaction.holdTexts({});
    platform::audio::MixerLibrary mixer(mixerBackend);
    recorder::RecordingWindowServices services{settings, messages, engine, music, runner, {}};
    recorder::usePreferences(services, preferences);
    services.mixer = &mixer;
    platform::DesktopUrlOpener urls;
    recorder::useSaveWindows(services, urls);

    const auto runRecordingWindow = [&](QWidget* welcome) {
        recorder::TLiveOvedubbingForm window(services);
        progress.setMainWindow(&window);
        const int code = window.InitMixerDevices(preferences.GetInputDeviceIndex(), preferences.GetOutputDeviceIndex());
        if (code != 0)
            qCWarning(lcRecorder) << "the recording window's devices are not on the mixer:" << code;
        recorder::runModally(window);
        progress.setMainWindow(welcome);
    };
    recorder::XvqBuilderRoads builder(messages, settings, [] { return QDir::tempPath(); }, &engine);
    const recorder::ProactiveServices welcomeServices{messages,          builder,   runRecordingWindow,
                                                      recorder::askPodcastType, &messaging, start.arguments};
    recorder::TProactiveForm welcome(welcomeServices);
    progress.setMainWindow(&welcome);

    // One preferences window for the run: each showing starts from the stored state.
    TPreferencesForm preferencesForm(preferences, nullptr);
    services.showPreferences = [&preferencesForm](RecorderPreferences&, QWidget*, bool devicesPage) {
        return recorder::showPreferencesOn(preferencesForm, devicesPage);
    };

    welcome.show();
    if (!soundReachable) {
        qCWarning(lcRecorder) << "no sound server answers: recording and playback cannot start";
        welcome.showSoundNote(QStringLiteral("No sound device is reachable: the sound server (PulseAudio or "
                                             "PipeWire) does not answer. Recording and playback need it running."));
    }
    return app.exec();
}
