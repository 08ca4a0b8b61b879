#include "recorder/NextAction.h"

namespace recorder {

namespace {

struct NextActionState {
    QString value;
    bool decided = false;
};

// The GUI thread's alone: the recording and welcome windows set and read it.
NextActionState& state()
{
    static NextActionState next;
    return next;
}

} // namespace

void clearNextAction()
{
    state() = {};
}

void setNextAction(const QString& value)
{
    state() = {value, true};
}

void offerNextAction(const QString& value)
{
    if (!state().decided)
        state().value = value;
}

QString nextAction()
{
    return state().value;
}

AfterRecording afterRecording(const QString& nextAction)
{
    if (nextAction.isEmpty() || nextAction == kStayOnWelcomeScreen)
        return AfterRecording::ShowWelcome;
    if (nextAction == kLaunchNewXvq)
        return AfterRecording::OpenEmptyBuilder;
    return AfterRecording::AskTypeThenBuilder;
}

} // namespace recorder
