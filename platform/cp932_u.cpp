#include "cp932_u.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>
#include <stdexcept>

namespace {
constexpr char kCodec[] = "windows-31j";

// Unicode forms that Windows writes for the same CP932 bytes.
QString ToWindowsForms(QString s)
{
    s.replace(QChar(0x301C), QChar(0xFF5E)); // wave dash -> fullwidth tilde
    s.replace(QChar(0x2212), QChar(0xFF0D)); // minus sign -> fullwidth hyphen-minus
    s.replace(QChar(0x2016), QChar(0x2225)); // double vertical line -> parallel to
    s.replace(QChar(0x00A2), QChar(0xFFE0));
    s.replace(QChar(0x00A3), QChar(0xFFE1));
    s.replace(QChar(0x00AC), QChar(0xFFE2));
    return s;
}

// The character itself and its code point; only the hex digits are upper-cased.
QString DescribeChar(const QString& c)
{
    const QList<uint> points = c.toUcs4();
    const uint code = points.isEmpty() ? 0 : points.first();
    return QStringLiteral("「%1」(U+%2)").arg(c, QString::number(code, 16).rightJustified(4, QLatin1Char('0')).toUpper());
}
} // namespace

ECp932Error::ECp932Error(const QString& badChar)
    : std::runtime_error(QStringLiteral("文字%1はShift-JIS(CP932)で保存できません。").arg(DescribeChar(badChar)).toStdString()),
      BadChar(badChar)
{
}

namespace Cp932 {

bool TryEncode(const QString& text, QByteArray* out, QString* badChar)
{
    bool ascii = true;
    for (const QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        if (out) *out = text.toLatin1();
        return true;
    }
    const QString src = ToWindowsForms(text);
    QStringEncoder enc(kCodec, QStringConverter::Flag::Stateless);
    if (!enc.isValid()) throw std::runtime_error("windows-31j codec unavailable");
    // Encode character by character only on failure, to name the culprit.
    QByteArray bytes = enc.encode(src);
    if (!enc.hasError()) {
        if (out) *out = bytes;
        return true;
    }
    for (qsizetype i = 0; i < src.size(); ++i) {
        const qsizetype n = (src.at(i).isHighSurrogate() && i + 1 < src.size()) ? 2 : 1;
        const QString ch = src.mid(i, n);
        QStringEncoder one(kCodec, QStringConverter::Flag::Stateless);
        // The encoder only runs when its result is taken.
        [[maybe_unused]] const QByteArray probe = one.encode(ch);
        if (one.hasError()) {
            if (badChar) *badChar = ch;
            return false;
        }
        i += n - 1;
    }
    if (badChar) badChar->clear();
    return false;
}

QByteArray Encode(const QString& text)
{
    QByteArray out;
    QString bad;
    if (!TryEncode(text, &out, &bad)) throw ECp932Error(bad);
    return out;
}

QString Decode(const QByteArray& bytes)
{
    // Most stored text (numbers, ids, flags) is ASCII: skip the converter.
    bool ascii = true;
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) return QString::fromLatin1(bytes);
    // Opening the converter costs more than decoding a row: keep one.
    thread_local QStringDecoder dec(kCodec, QStringConverter::Flag::Stateless);
    return dec.decode(bytes);
}

bool WellFormed(const QByteArray& bytes)
{
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(bytes.at(i));
        if (b < 0x81 || (b >= 0xA0 && b <= 0xDF) || b >= 0xFD) continue;
        if (++i >= n) return false;
        const auto t = static_cast<unsigned char>(bytes.at(i));
        if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
    }
    return true;
}

qsizetype ByteLength(const QString& text)
{
    QByteArray out;
    return TryEncode(text, &out) ? out.size() : -1;
}

QString LeftBytes(const QString& text, int maxBytes)
{
    int used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype n = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const qsizetype bytes = ByteLength(text.mid(i, n));
        const int width = bytes < 0 ? 2 : int(bytes);
        if (used + width > maxBytes) break;
        used += width;
        i += n;
    }
    return text.left(i);
}

} // namespace Cp932
