#include "common/TempFolderState.h"

#include "common/Log.h"

#include <QFileInfo>

void TempFolderState::reset(const QString& folder)
{
    QMutexLocker locker(&m_mutex);
    m_current = m_pending = m_field = folder;
}

QString TempFolderState::current() const
{
    QMutexLocker locker(&m_mutex);
    return m_current;
}

QString TempFolderState::pending() const
{
    QMutexLocker locker(&m_mutex);
    return m_pending;
}

QString TempFolderState::field() const
{
    QMutexLocker locker(&m_mutex);
    return m_field;
}

void TempFolderState::showCurrent()
{
    QMutexLocker locker(&m_mutex);
    m_field = m_current;
}

void TempFolderState::fallBack(const QString& folder)
{
    QMutexLocker locker(&m_mutex);
    m_field = m_current = folder;
}

QString TempFolderState::fieldOrDefault(const QString& defaultFolder)
{
    QMutexLocker locker(&m_mutex);
    if (!QFileInfo(m_field).isDir()) {
        qCWarning(lcCommon) << "the temporary folder" << m_field << "is gone; using" << defaultFolder;
        m_field = m_current = defaultFolder;
    }
    return m_field;
}

bool TempFolderState::choose(const QString& folder)
{
    QMutexLocker locker(&m_mutex);
    m_field = m_pending = folder;
    return folder != m_current;
}

QString TempFolderState::folderToSave() const
{
    QMutexLocker locker(&m_mutex);
    return m_pending.isEmpty() ? m_current : m_pending;
}
