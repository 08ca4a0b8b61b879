#include "controls/ProgressBarLogic.h"

#include <algorithm>

namespace controls {

namespace {

constexpr QRect kBarBesideCancel{4, 5, 276, 20};
constexpr QRect kCancelButton{286, 4, 75, 25};

} // namespace

QRect progressBarRect(bool cancelShown)
{
    QRect bar = kBarBesideCancel;
    if (!cancelShown)
        bar.setWidth(bar.width() + kCancelButton.width());
    return bar;
}

QRect progressCancelRect()
{
    return kCancelButton;
}

QPoint centredTopLeft(const QRect& mainWindow, const QSize& own)
{
    return {mainWindow.left() + mainWindow.width() / 2 - own.width() / 2,
            mainWindow.top() + mainWindow.height() / 2 - own.height() / 2};
}

ProgressWindowLogic::ProgressWindowLogic(ControlVariant variant)
    : m_variant(variant)
{
}

void ProgressWindowLogic::start(bool cancelShown, PollCallback callback, QObject* owner)
{
    m_callback = std::move(callback);
    m_owner = owner;
    m_cancelShown = cancelShown;
    m_barPosition = 0;
    m_timerActive = true;
}

bool ProgressWindowLogic::tick()
{
    if (!m_timerActive)
        return false;
    int32_t running = 0;
    const int percent = m_callback ? m_callback(m_owner.data(), false, running) : 0;
    if (running == 1) {
        m_barPosition = std::clamp(percent, 0, 100);
        return true;
    }
    m_timerActive = false;
    m_keepOpen = false;
    return false;
}

bool ProgressWindowLogic::cancel()
{
    m_timerActive = false;
    if (m_callback) {
        int32_t running = 0;
        m_callback(m_owner.data(), true, running);
    }
    if (!m_keepOpen)
        return true;
    // With the timer off as well, nothing could ever close the window.
    m_timerActive = true;
    return false;
}

ProgressWindowLogic::CloseDecision ProgressWindowLogic::closeRequested() const
{
    if (m_keepOpen)
        return CloseDecision::Refuse;
    if (!m_timerActive)
        return CloseDecision::Close;
    return m_cancelShown ? CloseDecision::Cancel : CloseDecision::Refuse;
}

void ProgressWindowLogic::setKeepOpen(bool keepOpen)
{
    m_keepOpen = keepOpen && m_variant == ControlVariant::Editor;
}

} // namespace controls
