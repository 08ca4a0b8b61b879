#include "platform/settings/FileSettingsStore.h"

#include "platform/files/AtomicFile.h"
#include "platform/base/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <utility>

namespace platform {

namespace {

// Long enough for the other program's single change, short enough not to freeze a window.
constexpr int lockTimeoutMs = 5000;

} // namespace

FileSettingsStore::FileSettingsStore(QString path)
    : m_snapshot(std::move(path), maxFileSize)
{
}

QString FileSettingsStore::currentUserPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/vexal-audio/registry.json");
}

std::unique_ptr<FileSettingsStore> FileSettingsStore::currentUser()
{
    return std::make_unique<FileSettingsStore>(currentUserPath());
}

QString FileSettingsStore::path() const
{
    return m_snapshot.path();
}

bool FileSettingsStore::refresh() const
{
    if (m_snapshot.refresh()) {
        m_tree = SettingsTree();
        m_corrupt = false;
        switch (m_snapshot.state()) {
        case FileSnapshot::State::Present:
            if (!m_snapshot.bytes().trimmed().isEmpty()) {
                QString error;
                if (std::optional<SettingsTree> tree = SettingsTree::fromJson(m_snapshot.bytes(), &error)) {
                    m_tree = std::move(*tree);
                } else {
                    m_corrupt = true;
                    qCWarning(lcPlatform) << "settings file" << path() << "is damaged (" << error
                                          << "); read as empty";
                }
            }
            break;
        case FileSnapshot::State::TooLarge:
            m_corrupt = true;
            qCWarning(lcPlatform) << "settings file" << path() << "is larger than" << maxFileSize
                                  << "bytes; read as empty";
            break;
        case FileSnapshot::State::Unreadable:
            qCWarning(lcPlatform) << "cannot read settings file" << path() << ":" << m_snapshot.errorText();
            break;
        default:
            break;
        }
    }
    return m_snapshot.state() != FileSnapshot::State::Unreadable;
}

bool FileSettingsStore::moveCorruptFileAside()
{
    QString aside = path() + QStringLiteral(".corrupt");
    for (int n = 1; QFileInfo::exists(aside) && n <= 1000; ++n)
        aside = path() + QStringLiteral(".corrupt.") + QString::number(n);
    QFile file(path());
    if (!file.rename(aside)) {
        qCWarning(lcPlatform) << "cannot move the damaged settings file" << path() << "aside:" << file.errorString();
        return false;
    }
    qCWarning(lcPlatform) << "moved the damaged settings file" << path() << "to" << aside;
    return true;
}

bool FileSettingsStore::change(const QString& what, const std::function<bool(SettingsTree&)>& apply)
{
    QMutexLocker locker(&m_mutex);
    const QString folder = QFileInfo(path()).absolutePath();
    if (!QDir().mkpath(folder)) {
        qCWarning(lcPlatform) << "settings not written (" << what << "): cannot create the folder" << folder;
        return false;
    }
    QLockFile lock(path() + QStringLiteral(".lock"));
    if (!lock.tryLock(lockTimeoutMs)) {
        qCWarning(lcPlatform) << "settings not written (" << what << "): cannot lock" << path()
                              << "error" << int(lock.error());
        return false;
    }
    if (!refresh()) {
        qCWarning(lcPlatform) << "settings not written (" << what << "): the file cannot be read";
        return false;
    }
    if (m_corrupt) {
        if (!moveCorruptFileAside())
            return false;
        m_corrupt = false;
    }
    SettingsTree tree = m_tree;
    if (!apply(tree))
        return true;
    const QByteArray bytes = tree.toJson();
    QString error;
    if (!writeFileAtomically(path(), bytes, &error)) {
        qCWarning(lcPlatform) << "settings not written (" << what << "):" << error;
        return false;
    }
    m_tree = std::move(tree);
    m_snapshot.assume(bytes);
    return true;
}

bool FileSettingsStore::keyExists(const QString& key) const
{
    QMutexLocker locker(&m_mutex);
    return refresh() && m_tree.keyExists(splitKeyPath(key));
}

bool FileSettingsStore::createKey(const QString& key)
{
    const QStringList path = splitKeyPath(key);
    return change(QStringLiteral("create key ") + key, [&](SettingsTree& tree) { return tree.createKey(path); });
}

bool FileSettingsStore::deleteKey(const QString& key)
{
    const QStringList path = splitKeyPath(key);
    if (path.isEmpty())
        return false;
    return change(QStringLiteral("delete key ") + key, [&](SettingsTree& tree) { return tree.deleteKey(path); });
}

QStringList FileSettingsStore::subKeyNames(const QString& key) const
{
    QMutexLocker locker(&m_mutex);
    return refresh() ? m_tree.subKeyNames(splitKeyPath(key)) : QStringList();
}

QStringList FileSettingsStore::valueNames(const QString& key) const
{
    QMutexLocker locker(&m_mutex);
    return refresh() ? m_tree.valueNames(splitKeyPath(key)) : QStringList();
}

bool FileSettingsStore::valueExists(const QString& key, const QString& name) const
{
    QMutexLocker locker(&m_mutex);
    return refresh() && m_tree.value(splitKeyPath(key), name).ok();
}

bool FileSettingsStore::deleteValue(const QString& key, const QString& name)
{
    const QStringList path = splitKeyPath(key);
    return change(QStringLiteral("delete value %1 of %2").arg(name, key),
                  [&](SettingsTree& tree) { return tree.removeValue(path, name); });
}

SettingsRead<SettingsValue> FileSettingsStore::readValue(const QString& key, const QString& name) const
{
    QMutexLocker locker(&m_mutex);
    if (!refresh())
        return {SettingsReadStatus::Failed, {}};
    return m_tree.value(splitKeyPath(key), name);
}

bool FileSettingsStore::writeValue(const QString& key, const QString& name, const SettingsValue& value)
{
    const QStringList path = splitKeyPath(key);
    if (path.isEmpty()) {
        qCWarning(lcPlatform) << "settings not written: the root key holds no values (" << name << ")";
        return false;
    }
    return change(QStringLiteral("write value %1 of %2").arg(name, key),
                  [&](SettingsTree& tree) { return tree.setValue(path, name, value); });
}

} // namespace platform
