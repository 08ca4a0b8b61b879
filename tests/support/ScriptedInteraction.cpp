#include "tests/support/ScriptedInteraction.h"

#include <gtest/gtest.h>

namespace testsupport {

namespace {
const char* kindName(ScriptedInteraction::Kind kind)
{
    switch (kind) {
    case ScriptedInteraction::Kind::MessageBox: return "message box";
    case ScriptedInteraction::Kind::OpenFile: return "open dialog";
    case ScriptedInteraction::Kind::SaveFile: return "save dialog";
    case ScriptedInteraction::Kind::ChooseFolder: return "folder dialog";
    }
    return "?";
}
} // namespace

ScriptedInteraction::~ScriptedInteraction()
{
    for (const Expectation& e : m_script)
        ADD_FAILURE() << "expected " << kindName(e.kind) << " never came"
                      << (e.contains.isEmpty() ? "" : " (text with \"" + e.contains.toStdString() + "\")");
}

void ScriptedInteraction::expectMessageBox(int answer, const QString& textContains)
{
    m_script.push_back({Kind::MessageBox, textContains, answer, {}, {}});
}

void ScriptedInteraction::expectOpenFile(const platform::FileDialogResult& result, const QString& titleContains)
{
    m_script.push_back({Kind::OpenFile, titleContains, 0, result, {}});
}

void ScriptedInteraction::expectSaveFile(const platform::FileDialogResult& result, const QString& titleContains)
{
    m_script.push_back({Kind::SaveFile, titleContains, 0, result, {}});
}

void ScriptedInteraction::expectChooseFolder(const std::optional<QString>& folder, const QString& titleContains)
{
    m_script.push_back({Kind::ChooseFolder, titleContains, 0, {}, folder});
}

std::optional<ScriptedInteraction::Expectation> ScriptedInteraction::take(Kind kind, const QString& text)
{
    if (m_script.empty() || m_script.front().kind != kind) {
        ADD_FAILURE() << "unexpected " << kindName(kind) << ": \"" << text.toStdString() << "\"";
        return std::nullopt;
    }
    Expectation e = m_script.front();
    m_script.pop_front();
    if (!e.contains.isEmpty() && !text.contains(e.contains)) {
        ADD_FAILURE() << kindName(kind) << " \"" << text.toStdString() << "\" lacks \""
                      << e.contains.toStdString() << "\"";
    }
    return e;
}

int ScriptedInteraction::messageBox(const QString& text, const QString& caption, unsigned flags)
{
    m_prompts.push_back({Kind::MessageBox, text, caption, flags, {}, {}});
    const auto e = take(Kind::MessageBox, text);
    return e ? e->answer : platform::IDCANCEL;
}

platform::FileDialogResult ScriptedInteraction::openFile(const platform::FileDialogRequest& request)
{
    m_prompts.push_back({Kind::OpenFile, request.title, {}, 0, request, {}});
    const auto e = take(Kind::OpenFile, request.title);
    return e ? e->fileResult : platform::FileDialogResult{};
}

platform::FileDialogResult ScriptedInteraction::saveFile(const platform::FileDialogRequest& request)
{
    m_prompts.push_back({Kind::SaveFile, request.title, {}, 0, request, {}});
    const auto e = take(Kind::SaveFile, request.title);
    return e ? e->fileResult : platform::FileDialogResult{};
}

std::optional<QString> ScriptedInteraction::chooseFolder(const QString& title, const QString& startFolder)
{
    m_prompts.push_back({Kind::ChooseFolder, title, {}, 0, {}, startFolder});
    const auto e = take(Kind::ChooseFolder, title);
    return e ? e->folder : std::nullopt;
}

} // namespace testsupport
