#include "tests/support/LogCapture.h"

#include <QMutex>

namespace testsupport {

namespace {
QMutex g_mutex;
LogCapture* g_active = nullptr;
QtMessageHandler g_previous = nullptr;
} // namespace

LogCapture::LogCapture()
{
    QMutexLocker lock(&g_mutex);
    m_previous = qInstallMessageHandler(&LogCapture::handler);
    g_previous = m_previous;
    g_active = this;
}

LogCapture::~LogCapture()
{
    QMutexLocker lock(&g_mutex);
    qInstallMessageHandler(m_previous);
    g_active = nullptr;
}

bool LogCapture::contains(const QString& text, const QString& category) const
{
    QMutexLocker lock(&g_mutex);
    for (const Entry& e : m_entries) {
        if ((category.isEmpty() || e.category == category) && e.message.contains(text))
            return true;
    }
    return false;
}

void LogCapture::handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    QMutexLocker lock(&g_mutex);
    if (g_active)
        g_active->m_entries.push_back({type, QString::fromUtf8(context.category ? context.category : ""), message});
    if (g_previous)
        g_previous(type, context, message);
}

} // namespace testsupport
