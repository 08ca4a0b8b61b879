#include "platform/ui/StringTable.h"

#include "platform/base/Log.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace platform {

namespace {

bool isDecimal(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
}

} // namespace

bool StringTable::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_texts.clear();
        return fail(QStringLiteral("cannot read string table %1: %2").arg(path, file.errorString()));
    }
    return parse(file.readAll(), path);
}

bool StringTable::parse(const QByteArray& utf8, const QString& origin)
{
    m_texts.clear();
    m_error.clear();

    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString all = decoder(utf8);
    if (decoder.hasError())
        return fail(QStringLiteral("string table %1 is not valid UTF-8").arg(origin));

    QHash<int, QString> texts;
    const QList<QStringView> lines = QStringView(all).split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringView line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;

        const auto where = [&] { return QStringLiteral("string table %1, line %2").arg(origin).arg(i + 1); };
        const qsizetype tab = line.indexOf(u'\t');
        if (tab < 0)
            return fail(where() + QStringLiteral(": no tab between id and text"));
        const QStringView idText = line.first(tab);
        bool ok = false;
        const int id = idText.toInt(&ok);
        if (!isDecimal(idText) || !ok)
            return fail(where() + QStringLiteral(": \"%1\" is not a message id").arg(idText));
        const QStringView text = line.sliced(tab + 1);
        if (text.isEmpty())
            return fail(where() + QStringLiteral(": id %1 has no text").arg(id));
        if (texts.contains(id))
            return fail(where() + QStringLiteral(": id %1 is given twice").arg(id));
        texts.insert(id, text.toString());
    }
    m_texts = std::move(texts);
    return true;
}

QList<int> StringTable::ids() const
{
    QList<int> ids = m_texts.keys();
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool StringTable::fail(const QString& error)
{
    m_error = error;
    qCWarning(lcPlatform).noquote() << error;
    return false;
}

} // namespace platform
