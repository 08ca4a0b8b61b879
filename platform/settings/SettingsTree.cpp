#include "platform/settings/SettingsTree.h"

#include "platform/base/Log.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>

namespace platform {

namespace {

const QString typeString = QStringLiteral("string");
const QString typeInteger = QStringLiteral("integer");
const QString typeBinary = QStringLiteral("binary");

QJsonObject valueToJson(const SettingsValue& value)
{
    QJsonObject object;
    if (const auto* text = std::get_if<QString>(&value)) {
        object.insert(QStringLiteral("type"), typeString);
        object.insert(QStringLiteral("data"), *text);
    } else if (const auto* number = std::get_if<qint32>(&value)) {
        object.insert(QStringLiteral("type"), typeInteger);
        object.insert(QStringLiteral("data"), *number);
    } else {
        object.insert(QStringLiteral("type"), typeBinary);
        object.insert(QStringLiteral("data"), QString::fromLatin1(std::get<QByteArray>(value).toBase64()));
    }
    return object;
}

std::optional<SettingsValue> valueFromJson(const QJsonValue& json)
{
    const QJsonObject object = json.toObject();
    const QString type = object.value(QStringLiteral("type")).toString();
    const QJsonValue data = object.value(QStringLiteral("data"));
    if (type == typeString && data.isString())
        return SettingsValue(data.toString());
    if (type == typeInteger && data.isDouble()) {
        const double number = data.toDouble();
        if (number >= -2147483648.0 && number <= 2147483647.0 && std::trunc(number) == number)
            return SettingsValue(qint32(number));
    }
    if (type == typeBinary && data.isString()) {
        const auto decoded = QByteArray::fromBase64Encoding(data.toString().toLatin1(),
                                                            QByteArray::AbortOnBase64DecodingErrors);
        if (decoded)
            return SettingsValue(*decoded);
    }
    return std::nullopt;
}

} // namespace

QString SettingsTree::foldedPath(const QStringList& path)
{
    return path.join(u'\\').toCaseFolded();
}

bool SettingsTree::keyExists(const QStringList& path) const
{
    return path.isEmpty() || m_keys.count(foldedPath(path)) != 0;
}

bool SettingsTree::createKey(const QStringList& path)
{
    bool changed = false;
    QString stored;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QString folded = foldedPath(path.first(i + 1));
        auto found = m_keys.find(folded);
        if (found == m_keys.end()) {
            const QString keyPath = i == 0 ? path[0] : stored + u'\\' + path[i];
            found = m_keys.emplace(folded, Key{keyPath, {}}).first;
            changed = true;
        }
        stored = found->second.path;
    }
    return changed;
}

bool SettingsTree::deleteKey(const QStringList& path)
{
    if (path.isEmpty())
        return false;
    const QString folded = foldedPath(path);
    const auto found = m_keys.find(folded);
    if (found == m_keys.end())
        return false;
    m_keys.erase(found);
    const QString prefix = folded + u'\\';
    auto child = m_keys.lower_bound(prefix);
    while (child != m_keys.end() && child->first.startsWith(prefix))
        child = m_keys.erase(child);
    return true;
}

QStringList SettingsTree::subKeyNames(const QStringList& path) const
{
    QStringList names;
    const QString prefix = path.isEmpty() ? QString() : foldedPath(path) + u'\\';
    for (auto it = m_keys.lower_bound(prefix); it != m_keys.end() && it->first.startsWith(prefix); ++it) {
        if (it->first.indexOf(u'\\', prefix.size()) < 0)
            names.append(it->second.path.section(u'\\', -1));
    }
    return names;
}

QStringList SettingsTree::valueNames(const QStringList& path) const
{
    QStringList names;
    const auto found = m_keys.find(foldedPath(path));
    if (path.isEmpty() || found == m_keys.end())
        return names;
    for (const auto& [folded, named] : found->second.values)
        names.append(named.name);
    return names;
}

SettingsRead<SettingsValue> SettingsTree::value(const QStringList& path, const QString& name) const
{
    if (!keyExists(path))
        return {SettingsReadStatus::NoKey, {}};
    if (path.isEmpty())
        return {SettingsReadStatus::NoValue, {}};
    const Key& key = m_keys.at(foldedPath(path));
    const auto found = key.values.find(name.toCaseFolded());
    if (found == key.values.end())
        return {SettingsReadStatus::NoValue, {}};
    return {SettingsReadStatus::Ok, found->second.value};
}

bool SettingsTree::setValue(const QStringList& path, const QString& name, const SettingsValue& value)
{
    if (path.isEmpty())
        return false;
    const bool created = createKey(path);
    Key& key = m_keys.at(foldedPath(path));
    const QString folded = name.toCaseFolded();
    const auto found = key.values.find(folded);
    if (found == key.values.end()) {
        key.values.emplace(folded, NamedValue{name, value});
        return true;
    }
    if (found->second.value == value)
        return created;
    found->second.value = value;
    return true;
}

bool SettingsTree::removeValue(const QStringList& path, const QString& name)
{
    const auto found = m_keys.find(foldedPath(path));
    if (path.isEmpty() || found == m_keys.end())
        return false;
    return found->second.values.erase(name.toCaseFolded()) != 0;
}

QByteArray SettingsTree::toJson() const
{
    QJsonObject keys;
    for (const auto& [folded, key] : m_keys) {
        QJsonObject values;
        for (const auto& [foldedName, named] : key.values)
            values.insert(named.name, valueToJson(named.value));
        keys.insert(key.path, values);
    }
    QJsonObject root;
    root.insert(QStringLiteral("keys"), keys);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<SettingsTree> SettingsTree::fromJson(const QByteArray& bytes, QString* errorText)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        *errorText = error.errorString() + QStringLiteral(" at offset ") + QString::number(error.offset);
        return std::nullopt;
    }
    const QJsonValue keys = document.object().value(QStringLiteral("keys"));
    if (!document.isObject() || !keys.isObject()) {
        *errorText = QStringLiteral("no \"keys\" object");
        return std::nullopt;
    }
    SettingsTree tree;
    const QJsonObject keyObject = keys.toObject();
    for (auto key = keyObject.begin(); key != keyObject.end(); ++key) {
        const QStringList path = SettingsStore::splitKeyPath(key.key());
        if (path.isEmpty() || !key.value().isObject()) {
            qCWarning(lcPlatform) << "settings: left out the key entry" << key.key();
            continue;
        }
        tree.createKey(path);
        const QJsonObject values = key.value().toObject();
        for (auto value = values.begin(); value != values.end(); ++value) {
            if (const std::optional<SettingsValue> parsed = valueFromJson(value.value()))
                tree.setValue(path, value.key(), *parsed);
            else
                qCWarning(lcPlatform) << "settings: left out the value" << value.key() << "of" << key.key();
        }
    }
    return tree;
}

} // namespace platform
