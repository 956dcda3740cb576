#pragma once
// Checks a text against the column it goes to before anything is written:
// every character must have a Shift-JIS (CP932) form, and the bytes must
// fit the column. A failing check warns, names the field and returns false.
#include <QString>

class QWidget;

namespace FieldCheck {
// maxBytes 0: no length limit (notes).
bool Storable(const QString& caption, const QString& text, int maxBytes, QWidget* parent = nullptr);
}
