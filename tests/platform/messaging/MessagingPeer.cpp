// A program of its own for the messaging tests, standing for the other program. As a window it
// registers, reports on its standard output what reaches it, and on command hangs, crashes or
// quits. As a second instance (--hand-over) it finds the editor's window, hands it its arguments
// and, when they are not taken, tells the recording window so, as a second editor does.
//
//   messaging_peer [--folder F] [--claim NAME] --class C --caption T [--hidden] [--disabled] [--refuse]
//   messaging_peer [--folder F] --hand-over CAPTION [ARGUMENT...]

#include "platform/messaging/ArgumentBlock.h"
#include "platform/messaging/LocalMessaging.h"
#include "platform/messaging/ProgramWindows.h"

#include "tests/platform/messaging/MessagingPeerCommands.h"

#include <QCoreApplication>
#include <QCryptographicHash>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include <unistd.h>

using namespace platform;

namespace {

void say(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

class PeerWindow : public WindowHandler {
public:
    PeerWindow(QString caption, bool visible, bool enabled, bool answer)
        : m_caption(std::move(caption))
        , m_visible(visible)
        , m_enabled(enabled)
        , m_answer(answer)
    {
    }

    QString windowCaption() const override { return m_caption; }
    bool windowVisible() const override { return m_visible; }
    bool windowEnabled() const override { return m_enabled; }

    void windowMessage(uint32_t message, intptr_t wParam, intptr_t lParam) override
    {
        say(QStringLiteral("post %1 %2 %3").arg(message).arg(wParam).arg(lParam));
        if (message == peercommand::kCrash)
            ::kill(::getpid(), SIGKILL);
        else if (message == peercommand::kHang)
            std::this_thread::sleep_for(std::chrono::milliseconds(wParam));
        else if (message == peercommand::kQuit)
            QCoreApplication::quit();
    }

    bool windowCopyData(uint64_t dwData, const QByteArray& data) override
    {
        say(QStringLiteral("copydata %1 %2 %3")
                .arg(dwData)
                .arg(data.size())
                .arg(QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex())));
        return m_answer;
    }

private:
    QString m_caption;
    bool m_visible;
    bool m_enabled;
    bool m_answer;
};

int handOver(LocalMessaging& messaging, const QString& caption, const QStringList& arguments)
{
    const std::optional<FoundWindow> editor =
        messaging.findWindow(kEditorMainWindowClass, caption, CaptionMatch::BeginsWith);
    int answer = 0;
    if (editor) {
        const BuiltArgumentBlock block = buildArgumentBlock(arguments, ArgumentBlockSender::Editor);
        answer = messaging.sendCopyData(editor->handle, block.count, block.bytes).result();
    }
    say(QStringLiteral("answer %1").arg(answer));
    if (answer == 1)
        return 0;
    if (const std::optional<FoundWindow> recorder =
            messaging.findWindow(kRecordingWindowClass, QStringLiteral("Wexo Ravadur"), CaptionMatch::Contains))
        messaging.postMessage(recorder->handle, kRecorderEditorBusyMessage, 0, 0);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    LocalMessagingOptions options;
    QString className, caption, claim, handOverCaption;
    bool visible = true, enabled = true, answer = true, handingOver = false;
    while (!arguments.isEmpty()) {
        const QString option = arguments.takeFirst();
        if (option == QLatin1String("--folder") && !arguments.isEmpty())
            options.folder = arguments.takeFirst();
        else if (option == QLatin1String("--class") && !arguments.isEmpty())
            className = arguments.takeFirst();
        else if (option == QLatin1String("--caption") && !arguments.isEmpty())
            caption = arguments.takeFirst();
        else if (option == QLatin1String("--claim") && !arguments.isEmpty())
            claim = arguments.takeFirst();
        else if (option == QLatin1String("--hand-over") && !arguments.isEmpty()) {
            handOverCaption = arguments.takeFirst();
            handingOver = true;
            break;
        } else if (option == QLatin1String("--hidden"))
            visible = false;
        else if (option == QLatin1String("--disabled"))
            enabled = false;
        else if (option == QLatin1String("--refuse"))
            answer = false;
        else {
            say(QStringLiteral("unknown option %1").arg(option));
            return 2;
        }
    }
    LocalMessaging messaging(options);
    if (handingOver)
        return handOver(messaging, handOverCaption, arguments);

    std::unique_ptr<InstanceClaim> instance;
    if (!claim.isEmpty()) {
        instance = messaging.claimInstance(claim);
        const InstanceState state = instance->state();
        say(state == InstanceState::First    ? QStringLiteral("instance first")
            : state == InstanceState::Second ? QStringLiteral("instance second")
                                             : QStringLiteral("instance failed"));
        if (state != InstanceState::First)
            return 3;
    }
    PeerWindow window(caption, visible, enabled, answer);
    std::unique_ptr<WindowRegistration> registration = messaging.registerWindow(className, window);
    if (!registration) {
        say(QStringLiteral("register failed"));
        return 2;
    }
    say(QStringLiteral("ready %1").arg(registration->handle().id));
    return app.exec();
}
