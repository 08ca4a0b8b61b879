#pragma once
// The text forms of a project file's values: the escaping of the multi-line texts (a value is one
// line) and the numeric form of feed dates.
#include <QString>

namespace podcast::pdi {

// Every line end (CR LF, LF or a lone CR) becomes "\n", "=" becomes "\e" and "\" becomes "\\", so
// that any text comes back exactly.
QString escapeText(const QString& text);
// "\e" gives "=", "\n" gives CR LF (either letter in any case), "\\" gives "\"; a backslash before
// anything else stays as it is, as older files hold Windows paths with single backslashes.
QString unescapeText(const QString& text);

// A one-line value: line ends inside it become single spaces.
QString singleLine(const QString& text);

// A date text holding "GMT" (an RFC-822 date such as "Wed, 02 Oct 2002 13:00:00 GMT") in the form
// "MM/dd/yyyy HH:mm:ss"; any other text, and one that is no date, as it stands.
QString numericDateFromFeedDate(const QString& text);

} // namespace podcast::pdi
