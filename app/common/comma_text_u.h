#pragma once
// Comma text as the office's older programs write it: items separated by
// commas or unquoted blanks, double quotes group (a doubled quote is one).
#include <QString>
#include <QStringList>

namespace CommaText {
QStringList Split(const QString& text);
// Value of the first "name=value" item whose name matches without letter case.
QString Value(const QStringList& items, const QString& name);
}
