#include "platform/ui/Messages.h"

#include "platform/base/Log.h"
#include "platform/ui/MessageBoxButtons.h"

#include <QCoreApplication>
#include <QThread>

#include <utility>

namespace platform {

bool isGuiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

Messages::Messages(StringTable table, Interaction& interaction, QString caption)
    : m_table(std::move(table)), m_interaction(interaction), m_caption(std::move(caption))
{
}

void Messages::ShowErrorMessage(int id, const MessageArgs& args) const
{
    ShowMessageById(id, args, MB_OK | MB_ICONERROR);
}

void Messages::ShowMessageById(int id, const MessageArgs& args, unsigned flags) const
{
    const QString text = messageText(id, args);
    if (text.isEmpty()) {
        qCWarning(lcPlatform) << "message" << id << "has no text; nothing shown";
        return;
    }
    ShowMessageBox(text, m_caption, flags);
}

int Messages::ShowMessageBox(const QString& text, const QString& caption, unsigned flags) const
{
    if (!isGuiThread()) {
        qCCritical(lcPlatform).noquote() << "message box refused outside the GUI thread:" << text;
        return dismissAnswer(flags);
    }
    return m_interaction.messageBox(text, caption.isEmpty() ? m_caption : caption, flags);
}

QString Messages::messageText(int id, const MessageArgs& args) const
{
    const QString text = m_table.text(id);
    return args.isEmpty() ? text : formatMessage(text, args);
}

} // namespace platform
