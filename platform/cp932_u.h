#pragma once
// Shift-JIS (Windows code page 932) at the edge of stored data. Everything
// above that edge is QString.
#include <QByteArray>
#include <QString>

namespace Cp932 {
// Throws ECp932Error (a std::runtime_error) naming the first character that
// has no CP932 form; never yields silent replacement bytes.
QByteArray Encode(const QString& text);
// Like Encode, but returns false instead of throwing.
bool TryEncode(const QString& text, QByteArray* out, QString* badChar = nullptr);
QString Decode(const QByteArray& bytes);
// False when bytes break the Shift-JIS structure (a lead byte without a
// valid trail byte), which decoding would drop without a word.
bool WellFormed(const QByteArray& bytes);
// Length of the text in CP932 bytes (-1 when it cannot be encoded).
qsizetype ByteLength(const QString& text);
// The longest start of text that takes at most maxBytes CP932 bytes; a
// character is never split (a kanji takes two). Characters without a CP932
// form count as two.
QString LeftBytes(const QString& text, int maxBytes);
}

class ECp932Error : public std::runtime_error
{
public:
    ECp932Error(const QString& badChar);
    QString BadChar;
};
