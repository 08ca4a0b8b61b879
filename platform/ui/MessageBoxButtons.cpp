#include "platform/ui/MessageBoxButtons.h"

#include "platform/ui/Interaction.h"

namespace platform {

QList<int> messageBoxAnswers(unsigned flags)
{
    switch (flags & MB_BUTTONMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
    }
}

int defaultAnswer(unsigned flags)
{
    const QList<int> answers = messageBoxAnswers(flags);
    qsizetype index = 0;
    switch (flags & MB_DEFMASK) {
    case MB_DEFBUTTON2: index = 1; break;
    case MB_DEFBUTTON3: index = 2; break;
    default: break;
    }
    return index < answers.size() ? answers[index] : answers.first();
}

int dismissAnswer(unsigned flags)
{
    const QList<int> answers = messageBoxAnswers(flags);
    if (answers.contains(IDCANCEL))
        return IDCANCEL;
    if (answers.contains(IDNO))
        return IDNO;
    return answers.first();
}

} // namespace platform
