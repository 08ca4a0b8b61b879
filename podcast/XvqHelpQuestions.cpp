#include "podcast/XvqHelpQuestions.h"

#include "platform/settings/IniFile.h"

#include <algorithm>
#include <array>

namespace podcast {

namespace {

struct PageHelp {
    const char* section;
    int context;
};

constexpr std::array<PageHelp, kXvqPageCount> kPageHelp{{
    {"WelCome", 45},
    {"PodcastType", 48},
    {"AudioFile", 46},
    {"HostSelection", 49},
    {"FeedInfo", 50},
    {"FeedItunesInfo", 52},
    {"PodcastItem", 53},
    {"ItemItunesInfo", 54},
    {"FTPInfo", 55},
    {"UploadInfo", 56},
}};

std::optional<PageHelp> pageHelp(XvqPage page)
{
    const int index = int(page);
    if (index < 0 || index >= kXvqPageCount)
        return std::nullopt;
    return kPageHelp[size_t(index)];
}

QString numbered(const char* key, int n)
{
    return QString::fromLatin1(key) + QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

QString helpQuestionSection(XvqPage page)
{
    const auto help = pageHelp(page);
    return help ? QString::fromLatin1(help->section) : QString();
}

std::optional<QList<HelpQuestion>> questionsForPage(const platform::IniFile& ini, XvqPage page)
{
    const QString section = helpQuestionSection(page);
    if (section.isEmpty())
        return std::nullopt;
    const qint32 total = ini.readInteger(section, QStringLiteral("TotalQuestions"), -1);
    if (total < 0)
        return std::nullopt;
    QList<HelpQuestion> questions;
    for (int n = 0; n < std::min(total, kMaxHelpQuestions); ++n) {
        const QString text = ini.readString(section, numbered("Question", n));
        if (text.isEmpty())
            continue;
        HelpQuestion question;
        question.tag = n;
        question.text = text;
        const qint32 answer = ini.readInteger(section, numbered("AnswerType", n), -1);
        if (answer == int(HelpAnswer::HelpTopic) || answer == int(HelpAnswer::WebAddress))
            question.answer = HelpAnswer(answer);
        question.location = ini.readString(section, numbered("HelpLocation", n));
        questions.append(question);
    }
    return questions;
}

int helpContextForPage(XvqPage page)
{
    const auto help = pageHelp(page);
    return help ? help->context : 0;
}

} // namespace podcast
