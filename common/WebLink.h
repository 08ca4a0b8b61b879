#pragma once
// Web addresses the recorder opens carry the installation's affiliate and site codes; and the
// reversible scrambling with which the podcast builder keeps FTP passwords in its host files.
#include <QString>

namespace platform {
class Messages;
class SettingsStore;
} // namespace platform

namespace common {

// The builder's fixed scrambling key for host-file passwords.
inline constexpr char kHostPasswordKey[] = "QWTRAvelpoZXN4-mkdaHoruzbinKLOPRA";
// Appended after the affiliate code to addresses without one.
inline constexpr char kWebLinkProductTag[] = "&product=WexoRavadur";

// Where the codes live: the user's settings and the installation's (read-only) settings.
inline constexpr char kAffiliateCodeKey[] = "\\Software\\Vexal Audio\\Wexo Ravadur\\Settings";
inline constexpr char kAffiliateCodeValue[] = "Affiliate Code";
inline constexpr char kSiteCodeKey[] = "Software\\Vexal Audio\\Wexo Ravadur\\Web Code";
inline constexpr char kSiteCodeValue[] = "Site Code";

// Each byte of the text's UTF-8 form exclusive-or the key's byte at the same position (the key
// repeats for texts longer than itself, so a long password is kept whole), as two upper-case
// hexadecimal digits. An empty key gives an empty result.
QString HexXorEncode(const QString& text, const QString& key);
// The reverse. Decoding stops at the first pair that is not two hexadecimal digits (a damaged or
// hand-edited value keeps what came before it); bytes that are not UTF-8 are read as Windows-1252,
// the code page of older host files.
QString HexXorDecode(const QString& scrambled, const QString& key);

// The stored affiliate code, or empty. A store that cannot be read shows message 183, a missing
// key message 185 (both only when messages is given; always logged).
QString ReadAffiliateCode(const platform::SettingsStore& user, const platform::Messages* messages);
// The installation's site code; empty when there is none (machine may be null).
QString ReadSiteCode(const platform::SettingsStore* machine);

// The address with the codes: a "ref=" in the address is replaced (first one) by the affiliate
// code and the site code is appended; an address without one gains "?" or "&", the affiliate
// code ("ref=" when there is none), the product tag and the site code.
QString MakeWebLink(const QString& address, const QString& affiliateCode, const QString& siteCode);
QString MakeWebLink(const QString& address, const platform::SettingsStore& user,
                    const platform::SettingsStore* machine, const platform::Messages* messages);

} // namespace common
