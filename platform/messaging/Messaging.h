#pragma once
// Windows of the running programs that other processes look up and talk to: a window registers
// under its class name with a handler; any process of the same user finds it by class name
// (compared without case) and caption, asks its caption, visible and enabled state, posts it
// numbered messages (id, wParam, lParam) and sends it a copy-data block that the window answers
// with 0 or 1. The same layer keeps a program to one running instance by a named claim.
//
// Two implementations: LocalMessaging (local sockets in the user's runtime folder) and
// FakeMessaging (in memory, for tests of the windows that use it). Both pass the same contract.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace platform {

// One registered window as a lookup returns it; it names the window until it is unregistered.
struct WindowHandle {
    QString id;
    friend bool operator==(const WindowHandle&, const WindowHandle&) = default;
};

struct WindowInfo {
    QString className;
    QString caption;
    bool visible = false;
    bool enabled = false;
};

struct FoundWindow {
    WindowHandle handle;
    WindowInfo info;
};

// How a caption is tested against a text; always with regard to case.
enum class CaptionMatch { Equals, Contains, BeginsWith };

bool captionMatches(const QString& caption, const QString& text, CaptionMatch match);

// What a window gives the layer when it registers. Every call comes on the thread that registered
// the window, from its event loop.
class WindowHandler {
public:
    virtual ~WindowHandler() = default;
    virtual QString windowCaption() const = 0;
    virtual bool windowVisible() const = 0;
    virtual bool windowEnabled() const = 0;
    // A posted message, delivered some time after it was posted.
    virtual void windowMessage(uint32_t message, intptr_t wParam, intptr_t lParam) = 0;
    // A copy-data block while its sender waits: true answers 1 (taken), false answers 0. The data
    // comes from another process and may be anything up to kMaxCopyDataSize bytes, or empty.
    virtual bool windowCopyData(uint64_t dwData, const QByteArray& data) = 0;
};

// A registered window; destroying it unregisters the window (on the thread that registered it).
class WindowRegistration {
public:
    virtual ~WindowRegistration() = default;
    virtual WindowHandle handle() const = 0;
};

enum class InstanceState {
    First,  // this process holds the name
    Second, // another process holds it
    Failed, // the claim could not be made (logged); whether to run as first is the caller's choice
};

// A claim on a program's instance name, held until it is destroyed. A process that ends without
// releasing it (killed, crashed) leaves nothing that keeps the next start from being first.
class InstanceClaim {
public:
    virtual ~InstanceClaim() = default;
    virtual InstanceState state() const = 0;
};

enum class SendStatus {
    Answered, // the window answered; see SendResult::answer
    NoWindow, // no such window (any longer)
    TimedOut, // the window did not answer within the reply timeout
    Failed,   // the data was too large, or the exchange broke down (logged)
};

struct SendResult {
    SendStatus status = SendStatus::Failed;
    bool answer = false;
    // The copy-data message's result: the window's answer, 0 whenever no answer came.
    int result() const { return status == SendStatus::Answered && answer ? 1 : 0; }
};

inline constexpr int kMaxCopyDataSize = 65540;
inline constexpr int kMaxClassNameBytes = 256;

// Not empty, at most kMaxClassNameBytes bytes of UTF-8, no zero character.
bool isValidWindowClassName(const QString& className);

class Messaging {
public:
    virtual ~Messaging() = default;

    // Null (logged) when the class name is empty, longer than kMaxClassNameBytes bytes of UTF-8
    // or holds a zero character, or when the window cannot be made reachable. The handler must
    // outlive the registration.
    virtual std::unique_ptr<WindowRegistration> registerWindow(const QString& className, WindowHandler& handler) = 0;
    // The windows of a class (compared without case), in the order they were registered.
    virtual QList<WindowHandle> windowsOfClass(const QString& className) = 0;
    // Nothing when the window is gone or does not answer within the reply timeout.
    virtual std::optional<WindowInfo> queryWindow(const WindowHandle& window) = 0;
    // Never waits for the window to take the message. False when the window is gone.
    virtual bool postMessage(const WindowHandle& window, uint32_t message, intptr_t wParam, intptr_t lParam) = 0;
    // Waits for the window's answer, at most the reply timeout.
    virtual SendResult sendCopyData(const WindowHandle& window, uint64_t dwData, const QByteArray& data) = 0;
    virtual std::unique_ptr<InstanceClaim> claimInstance(const QString& name) = 0;

    // The first window of the class, in registration order, that answers and whose caption
    // matches; the class name is compared without case, the caption with regard to it.
    std::optional<FoundWindow> findWindow(const QString& className, const QString& caption, CaptionMatch match);
};

} // namespace platform
