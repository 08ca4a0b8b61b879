#include "platform/settings/IniFile.h"

#include "platform/files/AtomicFile.h"
#include "platform/base/Log.h"

#include <utility>

namespace platform {

namespace {

// One read-modify-write at a time in this process, whichever object does it.
QMutex& writeMutex()
{
    static QMutex mutex;
    return mutex;
}

} // namespace

IniFile::IniFile(QString path)
    : m_snapshot(std::move(path), maxFileSize)
{
}

QString IniFile::path() const
{
    return m_snapshot.path();
}

IniFile::FileState IniFile::fileState() const
{
    QMutexLocker locker(&m_mutex);
    refresh();
    switch (m_snapshot.state()) {
    case FileSnapshot::State::Missing:
        return FileState::Missing;
    case FileSnapshot::State::Present:
        return FileState::Readable;
    default:
        return FileState::Unreadable;
    }
}

void IniFile::refresh() const
{
    if (!m_snapshot.refresh())
        return;
    switch (m_snapshot.state()) {
    case FileSnapshot::State::Present:
        m_document = IniDocument::fromBytes(m_snapshot.bytes());
        return;
    case FileSnapshot::State::TooLarge:
        qCWarning(lcPlatform) << "ini file" << m_snapshot.path() << "is larger than" << maxFileSize
                              << "bytes; read as empty";
        break;
    case FileSnapshot::State::Unreadable:
        qCWarning(lcPlatform) << "cannot read ini file" << m_snapshot.path() << ":" << m_snapshot.errorText();
        break;
    default:
        break;
    }
    m_document = IniDocument();
}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    QMutexLocker locker(&m_mutex);
    refresh();
    return m_document.value(section, key).value_or(defaultValue);
}

qint32 IniFile::readInteger(const QString& section, const QString& key, qint32 defaultValue) const
{
    QMutexLocker locker(&m_mutex);
    refresh();
    const std::optional<QString> text = m_document.value(section, key);
    if (!text)
        return defaultValue;
    return IniDocument::parseInteger(*text).value_or(defaultValue);
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    const QString problem = IniDocument::entryProblem(section, key, value);
    if (!problem.isEmpty()) {
        qCWarning(lcPlatform) << "not written to ini file" << path() << "[" << section << "]" << key << ":"
                              << problem;
        return false;
    }
    return edit(QStringLiteral("write [%1] %2").arg(section, key),
                [&](IniDocument& document) { return document.setValue(section, key, value); });
}

bool IniFile::writeInteger(const QString& section, const QString& key, qint32 value)
{
    return writeString(section, key, QString::number(value));
}

bool IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniFile::eraseSection(const QString& section)
{
    return edit(QStringLiteral("erase [%1]").arg(section),
                [&](IniDocument& document) { return document.removeSection(section); });
}

bool IniFile::deleteKey(const QString& section, const QString& key)
{
    return edit(QStringLiteral("delete [%1] %2").arg(section, key),
                [&](IniDocument& document) { return document.removeKey(section, key); });
}

bool IniFile::writeStrings(const QString& section, const QList<std::pair<QString, QString>>& values)
{
    return edit(QStringLiteral("write %1 values of [%2]").arg(values.size()).arg(section), [&](IniDocument& document) {
        IniDocument::Edit result = IniDocument::Edit::Unchanged;
        for (const auto& [key, value] : values) {
            switch (document.setValue(section, key, value)) {
            case IniDocument::Edit::Invalid:
                return IniDocument::Edit::Invalid;
            case IniDocument::Edit::Changed:
                result = IniDocument::Edit::Changed;
                break;
            case IniDocument::Edit::Unchanged:
                break;
            }
        }
        return result;
    });
}

bool IniFile::edit(const QString& what, const std::function<IniDocument::Edit(IniDocument&)>& change)
{
    QMutexLocker writeLocker(&writeMutex());
    QMutexLocker locker(&m_mutex);
    refresh();
    const FileSnapshot::State state = m_snapshot.state();
    if (state != FileSnapshot::State::Present && state != FileSnapshot::State::Missing) {
        qCWarning(lcPlatform) << "ini file" << path() << "is not written over because it cannot be read:" << what;
        return false;
    }
    IniDocument document = m_document;
    switch (change(document)) {
    case IniDocument::Edit::Unchanged:
        return true;
    case IniDocument::Edit::Invalid:
        qCWarning(lcPlatform) << "ini file" << path() << ": invalid" << what;
        return false;
    case IniDocument::Edit::Changed:
        break;
    }
    const QByteArray bytes = document.toBytes();
    QString error;
    if (!writeFileAtomically(path(), bytes, &error)) {
        qCWarning(lcPlatform) << "cannot write ini file" << path() << "(" << what << "):" << error;
        return false;
    }
    m_document = std::move(document);
    m_snapshot.assume(bytes);
    return true;
}

QStringList IniFile::sectionNames() const
{
    QMutexLocker locker(&m_mutex);
    refresh();
    return m_document.sectionNames();
}

QStringList IniFile::keyNames(const QString& section) const
{
    QMutexLocker locker(&m_mutex);
    refresh();
    return m_document.keyNames(section);
}

bool IniFile::sectionExists(const QString& section) const
{
    QMutexLocker locker(&m_mutex);
    refresh();
    return m_document.sectionExists(section);
}

bool IniFile::valueExists(const QString& section, const QString& key) const
{
    QMutexLocker locker(&m_mutex);
    refresh();
    return m_document.valueExists(section, key);
}

} // namespace platform
