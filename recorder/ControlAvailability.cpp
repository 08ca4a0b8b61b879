#include "recorder/ControlAvailability.h"

namespace recorder {

namespace {

using enum Control;

enum class Missing { None, Recording, Mixing, Editor, Other };

Missing missingFeature(Control control)
{
    switch (control) {
    case RecordVoIPConversation:
        return Missing::Recording;
    case FadeInMenu:
    case FadeOutMenu:
        return Missing::Mixing;
    case FileLaunchEditorMenu:
    case OpenInEditor:
    case EditVoiceTrackMenu:
    case EditMusicTrackMenu:
    case EditMixedTrackMenu:
    case EditVoiceTrackCoolButton:
    case EditMusicTrackCoolButton:
    case EditMixTrackCoolButton:
        return Missing::Editor;
    case FileNewMenu:
    case OpenConversationMenu:
    case WelcomeScreen:
    case LaunchXVQOption:
    case UploadButton:
    case ViewSetColorsMenu:
        return Missing::Other;
    default:
        return Missing::None;
    }
}

} // namespace

bool isUnavailable(Control control)
{
    return missingFeature(control) != Missing::None;
}

QString unavailableReason(Control control)
{
    switch (missingFeature(control)) {
    case Missing::None:
        return {};
    case Missing::Recording:
        return QStringLiteral("Recording is not available yet.");
    case Missing::Mixing:
        return QStringLiteral("Mixing the tracks is not available yet.");
    case Missing::Editor:
        return QStringLiteral("The editor is not available yet.");
    case Missing::Other:
        break;
    }
    return QStringLiteral("This command is not available yet.");
}

} // namespace recorder
