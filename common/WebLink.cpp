#include "common/WebLink.h"

#include "common/Log.h"
#include "platform/settings/SettingsStore.h"
#include "platform/settings/TextDecoding.h"
#include "platform/ui/Messages.h"

namespace common {

namespace {

int hexDigit(QChar c)
{
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return c.unicode() - '0';
    if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        return c.unicode() - 'a' + 10;
    if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        return c.unicode() - 'A' + 10;
    return -1;
}

} // namespace

QString HexXorEncode(const QString& text, const QString& key)
{
    const QByteArray plain = text.toUtf8();
    const QByteArray keyBytes = key.toUtf8();
    if (keyBytes.isEmpty())
        return {};
    QByteArray mixed(plain.size(), '\0');
    for (qsizetype i = 0; i < plain.size(); ++i)
        mixed[i] = char(plain[i] ^ keyBytes[i % keyBytes.size()]);
    return QString::fromLatin1(mixed.toHex().toUpper());
}

QString HexXorDecode(const QString& scrambled, const QString& key)
{
    const QByteArray keyBytes = key.toUtf8();
    if (keyBytes.isEmpty())
        return {};
    QByteArray plain;
    plain.reserve(scrambled.size() / 2);
    for (qsizetype at = 0; at + 1 < scrambled.size(); at += 2) {
        const int high = hexDigit(scrambled[at]);
        const int low = hexDigit(scrambled[at + 1]);
        if (high < 0 || low < 0) {
            qCWarning(lcCommon) << "scrambled text is damaged after" << plain.size() << "characters";
            break;
        }
        plain.append(char((high * 16 + low) ^ uchar(keyBytes[plain.size() % keyBytes.size()])));
    }
    return platform::decodeUtf8OrWindows1252(plain);
}

QString ReadAffiliateCode(const platform::SettingsStore& user, const platform::Messages* messages)
{
    const QString key = QString::fromLatin1(kAffiliateCodeKey);
    const auto read = user.readString(key, QString::fromLatin1(kAffiliateCodeValue));
    int messageId = 0;
    switch (read.status) {
    case platform::SettingsReadStatus::Ok:
        return read.value;
    case platform::SettingsReadStatus::Failed:
        messageId = 183;
        break;
    case platform::SettingsReadStatus::NoKey:
        messageId = 185;
        break;
    case platform::SettingsReadStatus::NoValue:
    case platform::SettingsReadStatus::WrongType:
        return {};
    }
    qCWarning(lcCommon) << "affiliate code not read from" << key << ": message" << messageId;
    if (messages)
        messages->ShowErrorMessage(messageId);
    return {};
}

QString ReadSiteCode(const platform::SettingsStore* machine)
{
    if (machine == nullptr)
        return {};
    const auto read = machine->readString(QString::fromLatin1(kSiteCodeKey), QString::fromLatin1(kSiteCodeValue));
    return read.ok() ? read.value : QString();
}

QString MakeWebLink(const QString& address, const QString& affiliateCode, const QString& siteCode)
{
    const QString ref = QStringLiteral("ref=");
    const QString affiliate = affiliateCode.isEmpty() ? ref : affiliateCode;
    const qsizetype at = address.indexOf(ref);
    if (at >= 0) {
        QString link = address;
        link.replace(at, ref.size(), affiliate);
        return link + siteCode;
    }
    const QChar joiner = address.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?');
    return address + joiner + affiliate + QString::fromLatin1(kWebLinkProductTag) + siteCode;
}

QString MakeWebLink(const QString& address, const platform::SettingsStore& user,
                    const platform::SettingsStore* machine, const platform::Messages* messages)
{
    const QString site = ReadSiteCode(machine);
    return MakeWebLink(address, ReadAffiliateCode(user, messages), site);
}

} // namespace common
