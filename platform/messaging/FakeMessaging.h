#pragma once
// Messaging in memory, for tests of the windows that find other programs' windows and talk to
// them. A FakeDesktop stands for the user's session; each FakeMessaging on it stands for one
// process. Posted messages arrive later from the event loop, copy-data blocks are answered at
// once, and a window can be made to hang. Single-threaded: everything runs on the thread of the
// desktop. FakeWindow is a ready window handler that records what reaches it.

#include "platform/messaging/Messaging.h"

#include <QObject>
#include <QThread>

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace platform {

class FakeDesktop {
public:
    FakeDesktop();
    ~FakeDesktop();
    FakeDesktop(const FakeDesktop&) = delete;
    FakeDesktop& operator=(const FakeDesktop&) = delete;

    // A hung window answers no query and no copy-data block (its sender sees TimedOut); messages
    // posted to it wait and arrive, in order, once it answers again.
    void setHung(const WindowHandle& window, bool hung);
    // While set, every instance claim fails.
    void setClaimsFail(bool fail) { m_claimsFail = fail; }

private:
    friend class FakeMessaging;
    friend class FakeRegistration;
    friend class FakeClaim;

    struct Posted {
        uint32_t message;
        intptr_t wParam;
        intptr_t lParam;
    };
    struct Window {
        QString className;
        WindowHandler* handler = nullptr;
        QObject* context = nullptr; // deliveries are dropped when the window goes
        bool hung = false;
        std::vector<Posted> waiting;
    };

    Window* window(const WindowHandle& handle);
    void deliver(Window& window, const Posted& posted);

    std::map<quint64, Window> m_windows; // by registration number, which is the lookup order
    quint64 m_next = 1;
    std::set<QString> m_claims;
    bool m_claimsFail = false;
};

class FakeMessaging : public Messaging {
public:
    explicit FakeMessaging(FakeDesktop& desktop);

    std::unique_ptr<WindowRegistration> registerWindow(const QString& className, WindowHandler& handler) override;
    QList<WindowHandle> windowsOfClass(const QString& className) override;
    std::optional<WindowInfo> queryWindow(const WindowHandle& window) override;
    bool postMessage(const WindowHandle& window, uint32_t message, intptr_t wParam, intptr_t lParam) override;
    SendResult sendCopyData(const WindowHandle& window, uint64_t dwData, const QByteArray& data) override;
    std::unique_ptr<InstanceClaim> claimInstance(const QString& name) override;

private:
    FakeDesktop& m_desktop;
};

// A window handler with settable state that records what reaches it, and on which thread.
// Thread-safe, so a window served on another thread can be watched from the test's thread.
class FakeWindow : public WindowHandler {
public:
    struct Message {
        uint32_t message;
        intptr_t wParam;
        intptr_t lParam;
        QThread* thread;
    };
    struct CopyData {
        uint64_t dwData;
        QByteArray data;
        QThread* thread;
    };

    explicit FakeWindow(QString caption = {}, bool visible = true, bool enabled = true);

    void setCaption(const QString& caption);
    void setVisible(bool visible);
    void setEnabled(bool enabled);
    // The answer to copy-data blocks (true, 1, at first).
    void setAnswer(bool answer);

    std::vector<Message> messages() const;
    std::vector<CopyData> copies() const;

    QString windowCaption() const override;
    bool windowVisible() const override;
    bool windowEnabled() const override;
    void windowMessage(uint32_t message, intptr_t wParam, intptr_t lParam) override;
    bool windowCopyData(uint64_t dwData, const QByteArray& data) override;

private:
    mutable std::mutex m_mutex;
    QString m_caption;
    bool m_visible;
    bool m_enabled;
    bool m_answer = true;
    std::vector<Message> m_messages;
    std::vector<CopyData> m_copies;
};

} // namespace platform
