#include "platform/messaging/FakeMessaging.h"

#include "platform/base/Log.h"


namespace platform {

namespace {

constexpr QLatin1String kFakeIdPrefix("fake-window:");

WindowHandle fakeHandle(quint64 number)
{
    return {kFakeIdPrefix + QString::number(number)};
}

} // namespace

class FakeRegistration : public WindowRegistration {
public:
    FakeRegistration(FakeDesktop& desktop, quint64 number)
        : m_desktop(desktop)
        , m_number(number)
    {
    }
    ~FakeRegistration() override
    {
        auto found = m_desktop.m_windows.find(m_number);
        delete found->second.context;
        m_desktop.m_windows.erase(found);
    }
    WindowHandle handle() const override { return fakeHandle(m_number); }

private:
    FakeDesktop& m_desktop;
    quint64 m_number;
};

class FakeClaim : public InstanceClaim {
public:
    FakeClaim(FakeDesktop& desktop, const QString& name)
        : m_desktop(desktop)
        , m_name(name)
    {
        if (m_desktop.m_claimsFail)
            m_state = InstanceState::Failed;
        else if (m_desktop.m_claims.insert(name).second)
            m_state = InstanceState::First;
        else
            m_state = InstanceState::Second;
    }
    ~FakeClaim() override
    {
        if (m_state == InstanceState::First)
            m_desktop.m_claims.erase(m_name);
    }
    InstanceState state() const override { return m_state; }

private:
    FakeDesktop& m_desktop;
    QString m_name;
    InstanceState m_state;
};

FakeDesktop::FakeDesktop() = default;

FakeDesktop::~FakeDesktop()
{
    Q_ASSERT_X(m_windows.empty(), "FakeDesktop", "windows are still registered");
}

FakeDesktop::Window* FakeDesktop::window(const WindowHandle& handle)
{
    if (!handle.id.startsWith(kFakeIdPrefix))
        return nullptr;
    bool ok = false;
    const quint64 number = handle.id.mid(kFakeIdPrefix.size()).toULongLong(&ok);
    auto found = ok ? m_windows.find(number) : m_windows.end();
    return found == m_windows.end() ? nullptr : &found->second;
}

void FakeDesktop::deliver(Window& window, const Posted& posted)
{
    WindowHandler* handler = window.handler;
    QMetaObject::invokeMethod(
        window.context, [handler, posted] { handler->windowMessage(posted.message, posted.wParam, posted.lParam); },
        Qt::QueuedConnection);
}

void FakeDesktop::setHung(const WindowHandle& handle, bool hung)
{
    Window* found = window(handle);
    if (!found)
        return;
    found->hung = hung;
    if (hung)
        return;
    for (const Posted& posted : std::exchange(found->waiting, {}))
        deliver(*found, posted);
}

FakeMessaging::FakeMessaging(FakeDesktop& desktop)
    : m_desktop(desktop)
{
}

std::unique_ptr<WindowRegistration> FakeMessaging::registerWindow(const QString& className, WindowHandler& handler)
{
    if (!isValidWindowClassName(className)) {
        qCWarning(lcPlatform).noquote() << "a window cannot register under the class name" << className.left(80);
        return nullptr;
    }
    const quint64 number = m_desktop.m_next++;
    FakeDesktop::Window& window = m_desktop.m_windows[number];
    window.className = className;
    window.handler = &handler;
    window.context = new QObject;
    return std::make_unique<FakeRegistration>(m_desktop, number);
}

QList<WindowHandle> FakeMessaging::windowsOfClass(const QString& className)
{
    QList<WindowHandle> windows;
    for (const auto& [number, window] : m_desktop.m_windows) {
        if (window.className.compare(className, Qt::CaseInsensitive) == 0)
            windows.append(fakeHandle(number));
    }
    return windows;
}

std::optional<WindowInfo> FakeMessaging::queryWindow(const WindowHandle& handle)
{
    FakeDesktop::Window* window = m_desktop.window(handle);
    if (!window || window->hung)
        return std::nullopt;
    return WindowInfo{window->className, window->handler->windowCaption(), window->handler->windowVisible(),
                      window->handler->windowEnabled()};
}

bool FakeMessaging::postMessage(const WindowHandle& handle, uint32_t message, intptr_t wParam, intptr_t lParam)
{
    FakeDesktop::Window* window = m_desktop.window(handle);
    if (!window)
        return false;
    if (window->hung)
        window->waiting.push_back({message, wParam, lParam});
    else
        m_desktop.deliver(*window, {message, wParam, lParam});
    return true;
}

SendResult FakeMessaging::sendCopyData(const WindowHandle& handle, uint64_t dwData, const QByteArray& data)
{
    if (data.size() > kMaxCopyDataSize)
        return {SendStatus::Failed, false};
    FakeDesktop::Window* window = m_desktop.window(handle);
    if (!window)
        return {SendStatus::NoWindow, false};
    if (window->hung)
        return {SendStatus::TimedOut, false};
    return {SendStatus::Answered, window->handler->windowCopyData(dwData, data)};
}

std::unique_ptr<InstanceClaim> FakeMessaging::claimInstance(const QString& name)
{
    return std::make_unique<FakeClaim>(m_desktop, name);
}

FakeWindow::FakeWindow(QString caption, bool visible, bool enabled)
    : m_caption(std::move(caption))
    , m_visible(visible)
    , m_enabled(enabled)
{
}

void FakeWindow::setCaption(const QString& caption)
{
    std::lock_guard lock(m_mutex);
    m_caption = caption;
}

void FakeWindow::setVisible(bool visible)
{
    std::lock_guard lock(m_mutex);
    m_visible = visible;
}

void FakeWindow::setEnabled(bool enabled)
{
    std::lock_guard lock(m_mutex);
    m_enabled = enabled;
}

void FakeWindow::setAnswer(bool answer)
{
    std::lock_guard lock(m_mutex);
    m_answer = answer;
}

std::vector<FakeWindow::Message> FakeWindow::messages() const
{
    std::lock_guard lock(m_mutex);
    return m_messages;
}

std::vector<FakeWindow::CopyData> FakeWindow::copies() const
{
    std::lock_guard lock(m_mutex);
    return m_copies;
}

QString FakeWindow::windowCaption() const
{
    std::lock_guard lock(m_mutex);
    return m_caption;
}

bool FakeWindow::windowVisible() const
{
    std::lock_guard lock(m_mutex);
    return m_visible;
}

bool FakeWindow::windowEnabled() const
{
    std::lock_guard lock(m_mutex);
    return m_enabled;
}

void FakeWindow::windowMessage(uint32_t message, intptr_t wParam, intptr_t lParam)
{
    std::lock_guard lock(m_mutex);
    m_messages.push_back({message, wParam, lParam, QThread::currentThread()});
}

bool FakeWindow::windowCopyData(uint64_t dwData, const QByteArray& data)
{
    std::lock_guard lock(m_mutex);
    m_copies.push_back({dwData, data, QThread::currentThread()});
    return m_answer;
}

} // namespace platform
