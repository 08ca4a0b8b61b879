#include "editor/EditorApplication.h"

#include "common/Log.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/Messages.h"

#include <exception>

bool deliverReportingExceptions(const std::function<bool()>& deliver, const platform::Messages* messages)
{
    try {
        return deliver();
    } catch (const std::exception& error) {
        const QString text = QString::fromLocal8Bit(error.what());
        qCCritical(lcCommon).noquote() << "an event's handling failed:" << text;
        if (messages)
            messages->interaction().messageBox(text, messages->caption(), platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
}

EditorApplication::EditorApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool EditorApplication::notify(QObject* receiver, QEvent* event)
{
    return deliverReportingExceptions([&] { return QApplication::notify(receiver, event); }, m_messages);
}
