#pragma once
// The builder's help questions: a few clickable questions per page, read from "QuestionHelp.ini"
// beside the program so that they can be changed without touching it, and the help topics of the
// pages' "&Help" and "Quick Start &Guide" buttons.
#include "podcast/XvqPages.h"

#include <QList>
#include <QString>

#include <optional>

namespace platform {
class IniFile;
} // namespace platform

namespace podcast {

// The help file the builder's topics belong to.
inline constexpr char kXvqHelpFile[] = "Xvq.chm";
inline constexpr int kXvqQuickStartContext = 60;
// A page asking for more questions than this gets this many.
inline constexpr int kMaxHelpQuestions = 50;

enum class HelpAnswer : int {
    None = -1,     // no action but clearing the underlines
    HelpTopic = 0, // location is the topic's context number
    WebAddress = 1,
};

struct HelpQuestion {
    int tag = 0; // the question's number in its section
    QString text;
    HelpAnswer answer = HelpAnswer::None;
    QString location;

    bool operator==(const HelpQuestion&) const = default;
};

// The section of "QuestionHelp.ini" that holds a page's questions.
QString helpQuestionSection(XvqPage page);

// The page's questions in their order; questions with an empty text are left out (their numbers
// are kept as tags). Nothing when the section or its "TotalQuestions" is missing.
std::optional<QList<HelpQuestion>> questionsForPage(const platform::IniFile& ini, XvqPage page);

// The help topic of a page's "&Help" button; 0 is the help file's default topic.
int helpContextForPage(XvqPage page);

} // namespace podcast
