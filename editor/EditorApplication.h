#pragma once
// The editor's application object: an exception that escapes the handling of an event is logged
// and shown to the user under the editor's caption, and the program goes on instead of ending with
// its documents' temporary files left behind.

#include <QApplication>

#include <functional>

namespace platform {
class Messages;
}

// Runs deliver and returns its result. An exception it throws is logged and, when messages are
// given, its message is shown under the editor's caption with the error icon; the result is then
// false.
bool deliverReportingExceptions(const std::function<bool()>& deliver, const platform::Messages* messages);

class EditorApplication : public QApplication {
public:
    EditorApplication(int& argc, char** argv);

    // Where exceptions are shown from now on (it must outlive the application or be reset to
    // null); until then they are only logged.
    void setMessages(const platform::Messages* messages) { m_messages = messages; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    const platform::Messages* m_messages = nullptr;
};
