// ZuqEditor's entry: one editor runs per user. A second start hands its command line to the running
// editor and ends; the first one opens its main window, which opens the command line's files.
#include "editor/EditorApplication.h"
#include "editor/InstanceStart.h"
#include "editor/MainForm.h"
#include "editor/RecSettingsForm.h"
#include "editor/SourceImport.h"

#include "common/EditorMessages.h"
#include "common/EditorPreferences.h"
#include "common/JobRunner.h"
#include "common/Log.h"
#include "common/PreferencesCore.h"
#include "common/SettingsAccess.h"
#include "controls/ProgressBar.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MixerLibrary.h"
#include "platform/audio/PulseBackend.h"
#include "platform/audio/PulseMixerBackend.h"
#include "platform/messaging/LocalMessaging.h"
#include "platform/settings/FileSettingsStore.h"
#include "platform/ui/HelpOpener.h"
#include "platform/ui/QtInteraction.h"
#include "platform/ui/UrlOpener.h"

#include <QApplication>
#include <QDir>
#include <QPointer>

int main(int argc, char* argv[])
{
    EditorApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZuqEditor"));
    platform::QtInteraction interaction;
    const platform::Messages messages = makeEditorMessages(interaction);
    app.setMessages(&messages);
    // The application outlives the messages: it goes back to logging alone before they go.
    struct ForgetMessages {
        EditorApplication& app;
        ~ForgetMessages() { app.setMessages(nullptr); }
    } forgetMessages{app};
    platform::LocalMessaging messaging;

    StartResult start = startEditor(messaging, QApplication::arguments().mid(1), QDir::currentPath());
    switch (start.outcome) {
    case StartOutcome::EndQuietly:
    case StartOutcome::HandedOver:
        return 0;
    case StartOutcome::Refused:
        showHandOverRefused(messages);
        return 1;
    case StartOutcome::RunAsFirst:
        break;
    }

    const auto tempFolder = [] { return PreferencesCore::GetDefaultTempPath(); };
    platform::audio::PulseBackend backend;
    platform::audio::AudioEngine engine(backend);
    engine.SetTempPath(tempFolder());
    EngineEditLibrary<platform::audio::AudioEngine> editLibrary(engine);
    // The mixer works on the server's default devices, as the engine does.
    platform::audio::MixerLibrary mixer(std::make_shared<platform::audio::PulseMixerBackend>());
    for (const int code : {mixer.SelectInputDevice(-1), mixer.SelectOutputDevice(-1)})
        if (code != 0)
            qCWarning(lcCommon) << "the mixer has no device of the server's to work on:" << code;
    controls::TProgressBarForm progress(controls::ControlVariant::Editor);
    JobRunner runner(progress);
    platform::DesktopUrlOpener urlOpener;
    const auto makeDecoder = [&](QWidget* window) -> std::unique_ptr<SourceDecoder> {
        SourceImportServices services;
        services.tempFolder = tempFolder;
        return std::make_unique<SourceImport>(messages, urlOpener, std::move(services), window);
    };
    platform::FileSettingsStore settings(platform::FileSettingsStore::currentUserPath());
    platform::HelpOpener help(urlOpener, interaction, messages.caption());
    // One recording-format dialog for the run, owned by the window: it offers what was chosen last.
    // The level test and the recording use that format; until a choice, the dialog's own.
    QPointer<TRecSettingsForm> recSettings;
    WaveFormatEx recordingFormat = TRecSettingsForm().format();
    const auto chooseFormat = [&](QWidget* parent) -> std::optional<WaveFormatEx> {
        if (!recSettings)
            recSettings = new TRecSettingsForm(acceptEveryRecordFormat, &help, parent);
        if (recSettings->exec() != QDialog::Accepted)
            return std::nullopt;
        recordingFormat = recSettings->format();
        return recordingFormat;
    };
    EditorWindowServices services{messages, settings, runner, editLibrary, makeDecoder, tempFolder, chooseFormat,
                                  &messaging, CopyScratchFileWithProgress, &help};
    services.engine = &engine;
    services.mixer = &mixer;
    services.recordingFormat = [&recordingFormat] { return recordingFormat; };
    services.alwaysTestLevels = [&settings] {
        bool always = false;
        SettingsAccess access(settings, QString::fromLatin1(kEditorSettingsKey), {185, 186, 187});
        return access.readBool({}, PreferenceValue::AlwaysTestLevels, always) == 0 && always;
    };
    TMainForm window(services);
    progress.setMainWindow(&window);
    window.setStartCommandLine(start.commandLine);
    window.show();
    return app.exec();
}
