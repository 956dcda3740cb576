#pragma once
// Values written into SQL text: quoted texts with embedded quotes doubled,
// dates 'yyyy/mm/dd', date-times 'yyyy/mm/dd hh:nn:ss', flags '1'/'0',
// numbers checked to be integers before they go in unquoted.
#include <QDateTime>
#include <QString>

// SQL value conventions.
QString SqlQuote(const QString& text);
// Number kept as text: the digits unquoted, or null when empty. Anything
// that is not an integer raises EDbError (it would otherwise become SQL).
QString SqlValueOrNull(const QString& text);
QString SqlDate(const QDateTime& dt);        // 'yyyy/mm/dd'
QString SqlDateTime(const QDateTime& dt);    // 'yyyy/mm/dd hh:nn:ss'
QString SqlDateOrNull(const QDateTime& dt);  // null for a null date
QString SqlDateTimeOrNull(const QDateTime& dt);
QString SqlFloat(double v);
QString SqlFlag(bool on);
// Every ASCII "-" removed, nothing else.
QString StripHyphen(const QString& number);
// Integer text check for values written unquoted.
bool IsSqlInteger(const QString& text);
// A table or column name quoted with the first character of quote, that
// character doubled inside; the name unchanged when quote is empty. The
// same character closes the name (an opening "[" stays "[").
QString SqlQuoteName(const QString& name, const QString& quote);

