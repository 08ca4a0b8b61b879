#pragma once
// The test implementation of the interaction seam: answers come from a script of expected prompts,
// every prompt is recorded, and a prompt the script did not expect (or an expected prompt that
// never came) fails the running test.

#include "platform/ui/Interaction.h"

#include <deque>
#include <optional>
#include <vector>

namespace testsupport {

class ScriptedInteraction : public platform::Interaction {
public:
    enum class Kind { MessageBox, OpenFile, SaveFile, ChooseFolder };

    struct Prompt {
        Kind kind;
        QString text;    // message text, or the dialog's title
        QString caption; // message caption
        unsigned flags = 0;
        platform::FileDialogRequest request;
        QString startFolder;
    };

    ScriptedInteraction() = default;
    ~ScriptedInteraction() override;

    // Each expectation is consumed by the next prompt of its kind, in order. A non-empty
    // textContains must occur in the message text (or the dialog title).
    void expectMessageBox(int answer, const QString& textContains = {});
    void expectOpenFile(const platform::FileDialogResult& result, const QString& titleContains = {});
    void expectSaveFile(const platform::FileDialogResult& result, const QString& titleContains = {});
    void expectChooseFolder(const std::optional<QString>& folder, const QString& titleContains = {});

    const std::vector<Prompt>& prompts() const { return m_prompts; }
    bool allConsumed() const { return m_script.empty(); }

    int messageBox(const QString& text, const QString& caption, unsigned flags) override;
    platform::FileDialogResult openFile(const platform::FileDialogRequest& request) override;
    platform::FileDialogResult saveFile(const platform::FileDialogRequest& request) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& startFolder) override;

private:
    struct Expectation {
        Kind kind;
        QString contains;
        int answer = 0;
        platform::FileDialogResult fileResult;
        std::optional<QString> folder;
    };

    // The next expectation, when it matches the prompt; otherwise the test fails and it is null.
    std::optional<Expectation> take(Kind kind, const QString& text);

    std::deque<Expectation> m_script;
    std::vector<Prompt> m_prompts;
};

} // namespace testsupport
