#pragma once
// What the welcome window does once the recording window has closed: the recording window leaves a
// word or a file path in the program-wide next action, and the welcome window reads it after the
// recording window's modal run.
//
// The value is kept from being overwritten at close: a command that leaves the window for a road
// ("Welcome Screen", "Launch Xvq") decides it, and the unloading of the tracks that follows, which
// may offer the saved file, does not undo that decision. Only the creation of a recording window
// clears it.

#include <QLatin1String>
#include <QString>

namespace recorder {

inline constexpr QLatin1String kStayOnWelcomeScreen("STAY_ON_WELCOME_SCREEN");
inline constexpr QLatin1String kLaunchNewXvq("LAUNCH_NEW_XVQ");

// A new recording window: nothing decided yet.
void clearNextAction();
// A command that closes the recording window for a road: its value stands.
void setNextAction(const QString& value);
// The unloading at close offers the file to publish: taken only when no command has decided.
void offerNextAction(const QString& value);
QString nextAction();

enum class AfterRecording {
    ShowWelcome,        // nothing, or the user returned to the welcome screen
    OpenEmptyBuilder,   // the podcast builder on an empty new podcast, without the type question
    AskTypeThenBuilder, // the value is the audio file to publish: the type question, then the builder
};

// Exact and with regard to case: any other text is a path.
AfterRecording afterRecording(const QString& nextAction);

} // namespace recorder
