#pragma once
// The recorder's interaction while it starts. Without a sound server the device lists are empty,
// and loading the preferences would tell "no recording device" and "no playback device" in two
// boxes, about sound cards, before any window is up. The welcome window says once that no sound
// device is reachable instead: while texts are held, a box with one of them only reaches the log.
// Every other prompt passes through.

#include "platform/ui/Interaction.h"

namespace recorder {

class StartInteraction : public platform::Interaction {
public:
    explicit StartInteraction(platform::Interaction& inner);

    // An empty list lets every box through again.
    void holdTexts(const QStringList& texts) { m_held = texts; }

    int messageBox(const QString& text, const QString& caption, unsigned flags) override;
    platform::FileDialogResult openFile(const platform::FileDialogRequest& request) override;
    platform::FileDialogResult saveFile(const platform::FileDialogRequest& request) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& startFolder) override;

private:
    platform::Interaction& m_inner;
    QStringList m_held;
};

} // namespace recorder
