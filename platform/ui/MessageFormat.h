#pragma once
// Arguments of message texts and their substitution. Texts come from a string table and may carry
// "%s" and "%d" placeholders; they are never handed to printf, so a text whose placeholders do not
// fit its arguments still shows, it cannot crash.

#include <QList>
#include <QString>

#include <concepts>

namespace platform {

// One argument of a message: a string or an integer, kept as the text it shows.
class MessageArg {
public:
    MessageArg(const QString& text) : m_text(text) {}
    MessageArg(const char* utf8) : m_text(QString::fromUtf8(utf8)) {}
    template <std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, char>)
    MessageArg(T value) : m_text(QString::number(value))
    {
    }

    const QString& text() const { return m_text; }

private:
    QString m_text;
};

using MessageArgs = QList<MessageArg>;

// Each "%s" or "%d" takes the next argument in order, whatever its kind; "%%" gives "%". A
// placeholder left without an argument stays as it is, arguments left over are ignored, and any
// other '%' is kept.
QString formatMessage(const QString& text, const MessageArgs& args);

} // namespace platform
