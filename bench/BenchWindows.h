#pragma once
// What the benchmarks that drive a window need besides BenchSupport.h: an interaction that
// answers at once, and our peak build of a WAV alone, timed.
#include "platform/ui/Interaction.h"

#include <QString>
#include <QStringList>

namespace bench {

// Answers every message box with one answer and keeps its text, and the open dialog with nextFile
// (cancelled while it is empty); the other dialogs are cancelled.
class AnsweringInteraction : public platform::Interaction {
public:
    explicit AnsweringInteraction(int answer = platform::IDCANCEL)
        : m_answer(answer)
    {
    }

    QString nextFile;
    QStringList boxes;

    int messageBox(const QString& text, const QString& caption, unsigned flags) override;
    platform::FileDialogResult openFile(const platform::FileDialogRequest& request) override;
    platform::FileDialogResult saveFile(const platform::FileDialogRequest&) override { return {}; }
    std::optional<QString> chooseFolder(const QString&, const QString&) override { return std::nullopt; }

private:
    int m_answer;
};

// Our peak build alone of a WAV, in seconds; -1 when it failed.
double peakBuildSeconds(const QString& path);

} // namespace bench
