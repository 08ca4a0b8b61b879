#include "recorder/StartInteraction.h"

#include "recorder/Log.h"

namespace recorder {

StartInteraction::StartInteraction(platform::Interaction& inner)
    : m_inner(inner)
{
}

int StartInteraction::messageBox(const QString& text, const QString& caption, unsigned flags)
{
    if (m_held.contains(text)) {
        qCWarning(lcRecorder).noquote() << "not shown while starting:" << text;
        return platform::IDCANCEL;
    }
    return m_inner.messageBox(text, caption, flags);
}

platform::FileDialogResult StartInteraction::openFile(const platform::FileDialogRequest& request)
{
    return m_inner.openFile(request);
}

platform::FileDialogResult StartInteraction::saveFile(const platform::FileDialogRequest& request)
{
    return m_inner.saveFile(request);
}

std::optional<QString> StartInteraction::chooseFolder(const QString& title, const QString& startFolder)
{
    return m_inner.chooseFolder(title, startFolder);
}

} // namespace recorder
