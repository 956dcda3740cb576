#pragma once
// Comma text as the office's older programs write it: items separated by
// commas or unquoted blanks, double quotes group (a doubled quote is one).
#include <QString>
#include <QStringList>

namespace CommaText {
QStringList Split(const QString& text);
// The reverse: items with blanks, commas or quotes (or empty ones) in double
// quotes, quotes inside doubled.
QString Join(const QStringList& items);
// Value of the first "name=value" item whose name matches without letter case.
QString Value(const QStringList& items, const QString& name);
}
