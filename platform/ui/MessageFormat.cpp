#include "platform/ui/MessageFormat.h"

namespace platform {

QString formatMessage(const QString& text, const MessageArgs& args)
{
    QString result;
    result.reserve(text.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const QChar after = i + 1 < text.size() ? text[i + 1] : QChar();
        if (c != u'%' || after.isNull()) {
            result += c;
        } else if (after == u'%') {
            result += u'%';
            ++i;
        } else if ((after == u's' || after == u'd') && next < args.size()) {
            result += args[next++].text();
            ++i;
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace platform
