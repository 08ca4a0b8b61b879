// The builder window's side column: the help questions of the page shown and the help topics.
#include "podcast/XvqHelpColumn.h"
#include "podcast/XvqMain.h"

#include "common/ErrCodes.h"
#include "platform/settings/IniDocument.h"
#include "platform/settings/IniFile.h"
#include "platform/ui/HelpOpener.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/Messages.h"

namespace podcast {

void TXvqForm::showHelpQuestions(XvqPage page)
{
    const QString path = m_services.questionHelpFile ? m_services.questionHelpFile() : QString();
    std::optional<QList<HelpQuestion>> questions;
    if (!path.isEmpty())
        questions = questionsForPage(platform::IniFile(path), page);
    // A page without questions of its own shows none rather than the previous page's.
    m_helpColumn->showQuestions(questions.value_or(QList<HelpQuestion>()));
}

void TXvqForm::answerHelpQuestion(int index)
{
    const QList<HelpQuestion>& questions = m_helpColumn->questions();
    if (index < 0 || index >= questions.size())
        return;
    const HelpQuestion question = questions[index];
    switch (question.answer) {
    case HelpAnswer::HelpTopic:
        showHelpTopic(platform::IniDocument::parseInteger(question.location.trimmed()).value_or(0));
        break;
    case HelpAnswer::WebAddress:
        m_services.messages.ShowMessageBox(QStringLiteral("URL :") + question.location,
                                           QString::fromLatin1(kRecorderCaption), platform::MB_OK | platform::MB_ICONINFORMATION);
        break;
    case HelpAnswer::None:
        break;
    }
    m_helpColumn->clearUnderlines();
}

void TXvqForm::showHelpTopic(int context)
{
    platform::HelpOpener help(*m_services.urls, m_services.messages.interaction(), m_services.messages.caption());
    help.showContext(QString::fromLatin1(kXvqHelpFile), context);
}

} // namespace podcast
